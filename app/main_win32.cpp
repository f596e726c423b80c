// The entry point on Windows.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdlib>

#include "appmain.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // The first argument, as the C runtime splits the command line: a path in quotes (as
    // Explorer passes one with blanks) arrives without them.
    return rvAppMain(instance, __argc > 1 ? __argv[1] : nullptr);
}
