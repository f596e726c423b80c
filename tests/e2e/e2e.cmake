# Whole-program tests: the demo in a private Xvfb display, driven with xdotool, checked on its
# screenshots (ImageMagick) and window titles. One test per behaviour group, run one at a time
# (each starts its own display, but key holds are timed and the renderer is the processor).
# Screenshots of failures are kept in <build>/test-artifacts/<test>/.
if(NOT TARGET brindle)
  message(STATUS "e2e tests skipped: the demo executable is not built in this configuration")
  return()
endif()

set(rv_e2e_missing)
foreach(tool Xvfb xdotool xwininfo import convert compare)
  string(TOUPPER "RV_E2E_${tool}" var)
  find_program(${var} ${tool})
  if(NOT ${var})
    list(APPEND rv_e2e_missing ${tool})
  endif()
endforeach()
if(rv_e2e_missing)
  message(STATUS "e2e tests skipped: not found: ${rv_e2e_missing} (packages xvfb, xdotool, "
                 "x11-utils, imagemagick)")
  return()
endif()

file(GLOB rv_e2e_scripts CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/e2e_*.sh)
foreach(script ${rv_e2e_scripts})
  get_filename_component(name ${script} NAME_WE)
  add_test(NAME ${name}
           COMMAND bash ${script} $<TARGET_FILE_DIR:brindle> ${CMAKE_BINARY_DIR}/test-artifacts)
  set_tests_properties(${name} PROPERTIES LABELS e2e TIMEOUT 90 RUN_SERIAL TRUE)
endforeach()
