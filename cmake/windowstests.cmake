# The test programs of the Windows build, shared by that build (tests/windows), which makes them,
# and the native build (tests/windows/wine.cmake), which runs them under Wine. Each entry is
# <folder under tests/>:<label>; every *_test.cpp of the folder is one program.
#   unit: runs without a window; gl: makes a window (a display for Wine).
# tests/windows holds the tests of the Win32 code itself.
set(RV_WINDOWS_TEST_FOLDERS
    mathlib:unit rvrender:unit rvrender/platform:unit app:unit rvrender/gl:gl rvrender/d3d:gl
    windows:gl)

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
  foreach(entry ${RV_WINDOWS_TEST_FOLDERS})
    string(REPLACE ":" ";" parts ${entry})
    list(GET parts 0 folder)
    list(GET parts 1 label)
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${folder}/*_test.cpp)
    foreach(src ${sources})
      get_filename_component(name ${src} NAME_WE)
      list(APPEND result "${name}|${folder}|${label}")
    endforeach()
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()
