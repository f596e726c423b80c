# The renderer back ends. Each is a library of its own with listed sources; RV_BACKEND_LIBRARIES
# names those built, for the executable and the tests.
set(RV_BACKEND_LIBRARIES)

if(RV_BACKEND_GL)
  find_package(OpenGL REQUIRED COMPONENTS OpenGL)
  rv_sources(RVGL_SOURCES rvrender/source/gl
             glprocs.cpp rvglrender.cpp rvglmesh.cpp rvgltexturemanager.cpp
             rvglhudtextmanager.cpp rvglparticlemanager.cpp)
  add_library(rvgl STATIC ${RVGL_SOURCES})
  target_include_directories(rvgl PUBLIC ${CMAKE_SOURCE_DIR}/rvrender/source/gl)
  target_link_libraries(rvgl PUBLIC rvcore rvplatform OpenGL::GL OpenGL::GLU)
  list(APPEND RV_BACKEND_LIBRARIES rvgl)
endif()

if(RV_BACKEND_D3D9)
  message(FATAL_ERROR "RV_BACKEND_D3D9: the Direct3D 9 back end (rvrender/source/d3d/) and its "
                      "d3d9 layer (compat/d3d9/) are not in this tree yet; configure with "
                      "-DRV_BACKEND_D3D9=OFF")
endif()

if(NOT RV_BACKEND_LIBRARIES)
  message(FATAL_ERROR "No renderer back end is selected: turn on RV_BACKEND_GL or RV_BACKEND_D3D9")
endif()
