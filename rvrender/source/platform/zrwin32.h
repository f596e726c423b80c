// What the Win32 implementation files of the platform layer share. Included by *_win32.cpp
// only: nothing above the platform layer sees <windows.h>.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
