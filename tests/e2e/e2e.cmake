# Whole-program tests: the demo in a private Xvfb display, driven with xdotool, checked on its
# screenshots (ImageMagick) and window titles, and waiting on the frames it reports
# (BRINDLE_FRAME_REPORT). One test per behaviour group, run one at a time. Screenshots of
# failures are kept in <build>/test-artifacts/<test>/.
set(rv_e2e_missing)
foreach(tool Xvfb xdotool xwininfo setxkbmap import convert compare)
  string(TOUPPER "RV_E2E_${tool}" var)
  find_program(${var} ${tool})
  if(NOT ${var})
    list(APPEND rv_e2e_missing ${tool})
  endif()
endforeach()
if(rv_e2e_missing)
  message(FATAL_ERROR "The whole-program tests need ${rv_e2e_missing} (Debian packages xvfb, "
                      "xdotool, x11-utils, x11-xkb-utils, imagemagick), or configure with "
                      "-DRV_BUILD_TESTS=OFF")
endif()

# Each behaviour is checked on both back ends: e2e_<name> answers the renderer question Yes
# (OpenGL), e2e_<name>_d3d answers No (Direct3D). e2e_renderer_no checks the ways of choosing
# Direct3D themselves and runs once.
function(rv_add_e2e test script backend)
  add_test(NAME ${test} COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/${script} $<TARGET_FILE_DIR:brindle>
                                ${CMAKE_BINARY_DIR}/test-artifacts)
  set_tests_properties(${test} PROPERTIES LABELS "e2e;gl" TIMEOUT 90 RUN_SERIAL TRUE
                                          ENVIRONMENT "E2E_BACKEND=${backend};E2E_TEST=${test}")
endfunction()
foreach(name camera cmdline fullscreen layout scene toggles)
  rv_add_e2e(e2e_${name} e2e_${name}.sh opengl)
  rv_add_e2e(e2e_${name}_d3d e2e_${name}.sh direct3d)
endforeach()
rv_add_e2e(e2e_renderer_no e2e_renderer_no.sh direct3d)
