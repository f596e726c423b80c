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

foreach(name camera cmdline fullscreen layout renderer_no scene toggles)
  set(script ${CMAKE_CURRENT_LIST_DIR}/e2e_${name}.sh)
  add_test(NAME e2e_${name}
           COMMAND bash ${script} $<TARGET_FILE_DIR:brindle> ${CMAKE_BINARY_DIR}/test-artifacts)
  set_tests_properties(e2e_${name} PROPERTIES LABELS "e2e;gl" TIMEOUT 90 RUN_SERIAL TRUE)
endforeach()
