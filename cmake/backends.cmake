# The renderer back ends. Each is registered by one call, which builds its library when its
# option is on and records what the executable, the tests and the benchmarks need of it:
#
#   rv_add_backend(<library> OPTION <option> RENDERER <name> [E2E_SUFFIX <suffix>]
#                  DIR <source folder> SOURCES <files...> [LIBS <libraries...>]
#                  TESTS <folder under tests/> [BENCH <benchmark programs...>])
#
# RENDERER is the name the whole-program tests give the demo (E2E_BACKEND) and E2E_SUFFIX ends
# the names of its whole-program tests; TESTS is the folder of its unit tests; BENCH names the
# programs of bench/ that need this back end (a program is built when every back end that names
# it is). The registry is read back with rv_backends() and rv_backend_get().

# rv_backends(<out-var> [ALL]): the libraries of the back ends built, in the order registered;
# with ALL, those registered whether built or not.
function(rv_backends out)
  if(ARGN STREQUAL "ALL")
    get_property(list GLOBAL PROPERTY RV_BACKENDS_REGISTERED)
  else()
    get_property(list GLOBAL PROPERTY RV_BACKENDS_BUILT)
  endif()
  set(${out} ${list} PARENT_SCOPE)
endfunction()

# rv_backend_get(<out-var> <library> OPTION|RENDERER|E2E_SUFFIX|TESTS|BENCH)
function(rv_backend_get out library what)
  get_property(value GLOBAL PROPERTY RV_BACKEND_${library}_${what})
  set(${out} ${value} PARENT_SCOPE)
endfunction()

function(rv_add_backend library)
  cmake_parse_arguments(B "" "OPTION;RENDERER;E2E_SUFFIX;DIR;TESTS" "SOURCES;LIBS;BENCH" ${ARGN})
  foreach(required OPTION RENDERER DIR SOURCES TESTS)
    if(NOT B_${required})
      message(FATAL_ERROR "rv_add_backend(${library}) needs ${required}")
    endif()
  endforeach()
  set_property(GLOBAL APPEND PROPERTY RV_BACKENDS_REGISTERED ${library})
  foreach(what OPTION RENDERER E2E_SUFFIX TESTS BENCH)
    set_property(GLOBAL PROPERTY RV_BACKEND_${library}_${what} ${B_${what}})
  endforeach()
  if(NOT ${B_OPTION})
    return()
  endif()
  rv_sources(sources ${B_DIR} ${B_SOURCES})
  add_library(${library} STATIC ${sources})
  target_include_directories(${library} PUBLIC ${CMAKE_SOURCE_DIR}/${B_DIR})
  target_link_libraries(${library} PUBLIC rvcore rvplatform ${B_LIBS})
  set_property(GLOBAL APPEND PROPERTY RV_BACKENDS_BUILT ${library})
endfunction()

if(RV_BACKEND_GL AND NOT WIN32)
  find_package(OpenGL REQUIRED COMPONENTS OpenGL)
endif()
if(WIN32)
  set(rv_gl_libs opengl32 glu32)
else()
  set(rv_gl_libs OpenGL::GL OpenGL::GLU)
endif()
rv_add_backend(rvgl OPTION RV_BACKEND_GL RENDERER opengl
               DIR rvrender/source/gl
               SOURCES glprocs.cpp rvglrender.cpp rvglmesh.cpp rvgltexturemanager.cpp
                       rvglhudtextmanager.cpp rvglparticlemanager.cpp
               LIBS ${rv_gl_libs}
               TESTS rvrender/gl
               BENCH skinning_bench skinning_backends_bench)

# Written against the Direct3D 9 and D3DX 9 names only: on Windows the real libraries, on Linux
# compat/d3d9. On Windows D3DX is taken from d3dx9_43.dll only when Direct3D draws
# (d3dxlazy_win32.cpp): Windows does not ship that DLL, and the program must start without it.
if(WIN32)
  set(rv_d3d_platform_sources d3dxlazy_win32.cpp)
  set(rv_d3d_libs d3d9)
else()
  set(rv_d3d_platform_sources)
  set(rv_d3d_libs d3d9compat)
endif()
rv_add_backend(rvd3d OPTION RV_BACKEND_D3D9 RENDERER direct3d E2E_SUFFIX _d3d
               DIR rvrender/source/d3d
               SOURCES rvd3drender.cpp rvd3dmesh.cpp rvd3danimmesh.cpp rvd3dtexturemanager.cpp
                       rvd3dhudtextmanager.cpp rvd3dparticlemanager.cpp
                       ${rv_d3d_platform_sources}
               LIBS ${rv_d3d_libs}
               TESTS rvrender/d3d
               BENCH skinning_backends_bench)

rv_backends(rv_built)
if(NOT rv_built)
  message(FATAL_ERROR "No renderer back end is selected: turn on RV_BACKEND_GL or RV_BACKEND_D3D9")
endif()
