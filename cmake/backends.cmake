# The renderer back ends. Each is a library of its own with listed sources; RV_BACKEND_LIBRARIES
# names those built, for the executable and the tests.
set(RV_BACKEND_LIBRARIES)

if(RV_BACKEND_GL AND NOT WIN32)
  find_package(OpenGL REQUIRED COMPONENTS OpenGL)
endif()
if(RV_BACKEND_GL)
  rv_sources(RVGL_SOURCES rvrender/source/gl
             glprocs.cpp rvglrender.cpp rvglmesh.cpp rvgltexturemanager.cpp
             rvglhudtextmanager.cpp rvglparticlemanager.cpp)
  add_library(rvgl STATIC ${RVGL_SOURCES})
  target_include_directories(rvgl PUBLIC ${CMAKE_SOURCE_DIR}/rvrender/source/gl)
  if(WIN32)
    target_link_libraries(rvgl PUBLIC rvcore rvplatform opengl32 glu32)
  else()
    target_link_libraries(rvgl PUBLIC rvcore rvplatform OpenGL::GL OpenGL::GLU)
  endif()
  list(APPEND RV_BACKEND_LIBRARIES rvgl)
endif()

if(RV_BACKEND_D3D9)
  # Written against the Direct3D 9 and D3DX 9 names only: on Windows the real libraries, on
  # Linux compat/d3d9.
  rv_sources(RVD3D_SOURCES rvrender/source/d3d
             rvd3drender.cpp rvd3dmesh.cpp rvd3danimmesh.cpp rvd3dtexturemanager.cpp
             rvd3dhudtextmanager.cpp rvd3dparticlemanager.cpp)
  add_library(rvd3d STATIC ${RVD3D_SOURCES})
  target_include_directories(rvd3d PUBLIC ${CMAKE_SOURCE_DIR}/rvrender/source/d3d)
  if(WIN32)
    # D3DX is taken from d3dx9_43.dll only when Direct3D draws (d3dxlazy_win32.cpp): Windows
    # does not ship that DLL, and the program must start without it.
    target_sources(rvd3d PRIVATE ${CMAKE_SOURCE_DIR}/rvrender/source/d3d/d3dxlazy_win32.cpp)
    target_link_libraries(rvd3d PUBLIC rvcore rvplatform d3d9)
  else()
    target_link_libraries(rvd3d PUBLIC rvcore rvplatform d3d9compat)
  endif()
  list(APPEND RV_BACKEND_LIBRARIES rvd3d)
endif()

if(NOT RV_BACKEND_LIBRARIES)
  message(FATAL_ERROR "No renderer back end is selected: turn on RV_BACKEND_GL or RV_BACKEND_D3D9")
endif()
