# The renderer back ends. Each is registered by one call in its folder's CMakeLists.txt, which
# builds its library when its option is on and records what the executable, the tests and the
# benchmarks need of it:
#
#   rv_add_backend(<library> OPTION <option> RENDERER <name> [E2E_SUFFIX <suffix>]
#                  SOURCES <files...> [LIBS <libraries...>]
#                  TESTS <folder under tests/> [BENCH <benchmark programs...>])
#
# SOURCES are in the calling folder, which is also the library's public include folder.
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
  cmake_parse_arguments(B "" "OPTION;RENDERER;E2E_SUFFIX;TESTS" "SOURCES;LIBS;BENCH" ${ARGN})
  foreach(required OPTION RENDERER SOURCES TESTS)
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
  add_library(${library} STATIC ${B_SOURCES})
  target_include_directories(${library} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${library} PUBLIC rvcore rvplatform ${B_LIBS})
  set_property(GLOBAL APPEND PROPERTY RV_BACKENDS_BUILT ${library})
endfunction()

# rv_check_backends(): stops the configuration when no back end is built.
function(rv_check_backends)
  rv_backends(built)
  if(NOT built)
    message(FATAL_ERROR "No renderer back end is selected: turn on RV_BACKEND_GL or RV_BACKEND_D3D9")
  endif()
endfunction()
