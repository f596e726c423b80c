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

# Each behaviour is checked on every back end built: e2e_<name> with the OpenGL one (the scripts
# answer the renderer question Yes), e2e_<name>_d3d with Direct3D (No), each name ending in its
# back end's E2E_SUFFIX (cmake/backends.cmake). e2e_renderer_no checks the ways of choosing
# Direct3D themselves and runs once.
function(rv_add_e2e test script backend)
  add_test(NAME ${test} COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/${script} $<TARGET_FILE_DIR:brindle>
                                ${CMAKE_BINARY_DIR}/test-artifacts)
  set_tests_properties(${test} PROPERTIES LABELS "e2e;gl" TIMEOUT 90 RUN_SERIAL TRUE
                                          ENVIRONMENT "E2E_BACKEND=${backend};E2E_TEST=${test}")
endfunction()
rv_backends(rv_backend_libraries)
set(rv_renderers)
foreach(library ${rv_backend_libraries})
  rv_backend_get(backend ${library} RENDERER)
  rv_backend_get(suffix ${library} E2E_SUFFIX)
  list(APPEND rv_renderers ${backend})
  foreach(name camera capture cmdline fullscreen layout models scene timecontrol toggles)
    rv_add_e2e(e2e_${name}${suffix} e2e_${name}.sh ${backend})
  endforeach()
endforeach()
if(TARGET rvd3d)
  rv_add_e2e(e2e_renderer_no e2e_renderer_no.sh direct3d)
endif()

# A minute of every key and mouse movement per back end; fails when the resident memory grows
# beyond noise (scripts/soak.sh, which also takes longer runs by hand).
foreach(backend ${rv_renderers})
  add_test(NAME soak_${backend} COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/soak.sh
                                        $<TARGET_FILE_DIR:brindle> 60 ${backend})
  set_tests_properties(soak_${backend} PROPERTIES LABELS "e2e;gl" TIMEOUT 180 RUN_SERIAL TRUE
                       ENVIRONMENT "SOAK_ARTIFACTS=${CMAKE_BINARY_DIR}/test-artifacts")
endforeach()

# In a sanitizer build, one round of the same mix per back end and Escape: LeakSanitizer makes
# the exit status non-zero on any leak not in scripts/lsan.supp (which says why each entry is
# there, and why the check preloads nodlclose and leaves thread-local storage out). Not labelled
# e2e, so that the sanitizer run of the unit tests includes it.
if(RV_SANITIZE)
  add_library(nodlclose SHARED ${CMAKE_CURRENT_LIST_DIR}/../support/nodlclose.c)
  set_target_properties(nodlclose PROPERTIES COMPILE_OPTIONS "" LINK_OPTIONS "")
  foreach(backend ${rv_renderers})
    add_test(NAME leaks_at_exit_${backend} COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/soak.sh
                                                   $<TARGET_FILE_DIR:brindle> 0 ${backend})
    set_tests_properties(
      leaks_at_exit_${backend}
      PROPERTIES
        LABELS "gl" TIMEOUT 300 RUN_SERIAL TRUE
        ENVIRONMENT
        "E2E_TEST=leaks_at_exit_${backend};E2E_SLOW_TIMEOUT=60;SOAK_ARTIFACTS=${CMAKE_BINARY_DIR}/test-artifacts;LD_PRELOAD=$<TARGET_FILE:nodlclose>;ASAN_OPTIONS=detect_leaks=1:verify_asan_link_order=0;LSAN_OPTIONS=${RV_LSAN_OPTIONS}")
  endforeach()
endif()
