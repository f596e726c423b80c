# Tests of the back ends. Those that need a GL context make their own X display when none is
# set (tests/support/glcontext.h), so they run alike on a desktop, under Xvfb and in CI.
if(TARGET rvgl)
  rv_add_test_folder(gl rvgl rvplatform)
  # The renderer's tests compile the demo's own ARB programs.
  if(TARGET rvglrender_test)
    target_compile_definitions(rvglrender_test PRIVATE RV_DATA_DIR="${CMAKE_SOURCE_DIR}/data")
  endif()
endif()
