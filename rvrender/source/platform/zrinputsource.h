// Where the input module's key states come from: one implementation per platform
// (zrinput_sdl.cpp, zrinput_win32.cpp). Included by the platform layer only.
#pragma once

#include "zrinput.h"

// Reads every key and mouse button (down[code] for the virtual-key codes 0…255) and the cursor
// position in screen coordinates.
void zrPollInput(bool down[zrInput::kMaxKeys], int* cursorX, int* cursorY);
// Moves the cursor to a screen position.
void zrWarpCursor(int x, int y);
