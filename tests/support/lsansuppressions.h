// Mesa, LLVM, SDL, Xlib and D-Bus keep process-lifetime allocations that LeakSanitizer would
// report in every program that opens a window. Include from exactly one file of such a test
// program.
#pragma once

extern "C" __attribute__((used)) const char* __lsan_default_suppressions() {
    return "leak:libGL\nleak:swrast_dri\nleak:libgallium\nleak:libLLVM\nleak:libSDL2\nleak:libX11\n"
           "leak:libxcb\nleak:libglapi\nleak:libdbus\nleak:libdrm\nleak:libEGL\n";
}
