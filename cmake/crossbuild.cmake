# The Windows program, cross-built with MinGW-w64 into <build>/windows from the same sources and
# with this build's generated data: <build>/windows/demo is its run directory and
# <build>/windows/brindle-windows.zip the package. Its tests run under Wine (tests/CMakeLists.txt).
find_program(RV_MINGW_CXX x86_64-w64-mingw32-g++-posix)
if(NOT RV_MINGW_CXX)
  message(FATAL_ERROR "RV_BUILD_WINDOWS needs the MinGW-w64 cross compiler (Debian package "
                      "g++-mingw-w64-x86-64-posix)")
endif()

include(ExternalProject)
set(RV_WINDOWS_DIR ${CMAKE_BINARY_DIR}/windows)
ExternalProject_Add(windows
  SOURCE_DIR ${CMAKE_SOURCE_DIR}
  BINARY_DIR ${RV_WINDOWS_DIR}
  CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake
             -DCMAKE_BUILD_TYPE=Release
             -DRV_HOST_DEMO_DIR=${RV_DEMO_DIR}
             -DRV_BACKEND_GL=ON -DRV_BACKEND_D3D9=ON
             -DRV_BUILD_TESTS=${RV_BUILD_TESTS} -DRV_BUILD_BENCH=OFF -DRV_WERROR=${RV_WERROR}
  INSTALL_COMMAND ""
  # The sources are this tree's: let the inner build decide what is out of date.
  BUILD_ALWAYS TRUE
  DEPENDS demo_data demo_text_data)
