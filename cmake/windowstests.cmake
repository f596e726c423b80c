# The test programs of the Windows build, shared by that build (tests/windows), which makes them,
# and the native build (tests/windows/wine.cmake), which runs them under Wine. Every *_test.cpp
# (label unit: runs without a window) and *_gltest.cpp (label gl: makes a window, a display for
# Wine) of these folders under tests/ is one program; tests/windows holds the tests of the Win32
# code itself.
# The cross build turns every back end on; each brings its own test folder (cmake/backends.cmake).
set(RV_WINDOWS_TEST_FOLDERS mathlib rvrender rvrender/platform app)
rv_backends(rv_registered ALL)
foreach(library ${rv_registered})
  rv_backend_get(folder ${library} TESTS)
  list(APPEND RV_WINDOWS_TEST_FOLDERS ${folder})
endforeach()
list(APPEND RV_WINDOWS_TEST_FOLDERS windows)

# rv_windows_tests(<out-var>): one "name|folder|label" string per test program;
# rv_windows_test_parts(<entry>) sets name, folder and label from one of them.
macro(rv_windows_test_parts entry)
  string(REPLACE "|" ";" rv_parts ${entry})
  list(GET rv_parts 0 name)
  list(GET rv_parts 1 folder)
  list(GET rv_parts 2 label)
endmacro()

function(rv_windows_tests out)
  set(result)
  foreach(folder ${RV_WINDOWS_TEST_FOLDERS})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${folder}/*_test.cpp
                                        ${CMAKE_SOURCE_DIR}/tests/${folder}/*_gltest.cpp)
    foreach(src ${sources})
      get_filename_component(name ${src} NAME_WE)
      if(name MATCHES "_gltest$")
        set(label gl)
      else()
        set(label unit)
      endif()
      list(APPEND result "${name}|${folder}|${label}")
    endforeach()
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()
