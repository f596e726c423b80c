# The Windows build's tests, run under Wine in a prefix of the build folder's own, made once by
# the wine_prefix test. Included by the native build's tests when RV_BUILD_WINDOWS is on.
find_program(RV_WINE wine)
if(NOT RV_WINE)
  message(FATAL_ERROR "RV_BUILD_WINDOWS tests need Wine (Debian packages wine and wine64)")
endif()
set(rv_wine ${CMAKE_SOURCE_DIR}/scripts/wine.sh)
set(rv_wine_env "WINEPREFIX=${RV_WINDOWS_DIR}/wineprefix")

add_test(NAME wine_prefix COMMAND ${rv_wine} --init)
set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine LABELS wine TIMEOUT 300
                                            ENVIRONMENT "${rv_wine_env}")

# Every unit-test program of the Windows build (cmake/windowstests.cmake).
include(${CMAKE_SOURCE_DIR}/cmake/windowstests.cmake)
rv_windows_tests(rv_tests)
foreach(entry ${rv_tests})
  rv_windows_test_parts(${entry})
  set(filter)
  if(name STREQUAL "rvd3drender_gltest")
    # Wine 8's D3DX compiles no effect text, and names no file in its messages: the tests of
    # the effects run on Linux only, where our own D3DX does both as Windows does.
    set(filter "--gtest_filter=-*Effect*")
  endif()
  add_test(NAME windows_${name}
           COMMAND ${rv_wine} ${RV_WINDOWS_DIR}/tests/${name}.exe --gtest_brief=1 ${filter}
           WORKING_DIRECTORY ${RV_WINDOWS_DIR}/tests)
  set_tests_properties(windows_${name} PROPERTIES FIXTURES_REQUIRED wine LABELS "wine;${label}"
                                                  TIMEOUT 120 ENVIRONMENT "${rv_wine_env}")
endforeach()

# The whole program under Wine, with the Linux scripts: the OpenGL scene, keys, mouse, toggles
# and full screen; on Direct3D (whose effect Wine's D3DX cannot compile, so the program first
# shows "FX Load Error") the environment, keys and the device's reset for full screen and back.
function(rv_add_wine_e2e test script backend)
  add_test(NAME ${test} COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/${script} ${RV_WINDOWS_DIR}/demo
                                ${CMAKE_BINARY_DIR}/test-artifacts)
  set(env "${rv_wine_env};E2E_BACKEND=${backend};E2E_TEST=${test};E2E_SLOW_TIMEOUT=30"
          "E2E_PROGRAM=${rv_wine} brindle.exe")
  if(backend STREQUAL "direct3d")
    list(APPEND env "E2E_START_BOX=FX Load Error")
  endif()
  set_tests_properties(${test} PROPERTIES FIXTURES_REQUIRED wine LABELS "wine;e2e;gl" TIMEOUT 120
                                          RUN_SERIAL TRUE ENVIRONMENT "${env}")
endfunction()
foreach(name scene camera toggles fullscreen)
  rv_add_wine_e2e(windows_e2e_${name} e2e_${name}.sh opengl)
endforeach()
rv_add_wine_e2e(windows_e2e_fullscreen_d3d e2e_fullscreen.sh direct3d)
rv_add_wine_e2e(windows_e2e_direct3d e2e_wine_direct3d.sh direct3d)
# Without the DirectX 9 runtime the program starts and falls back to OpenGL.
rv_add_wine_e2e(windows_e2e_no_d3dx e2e_wine_no_d3dx.sh opengl)
