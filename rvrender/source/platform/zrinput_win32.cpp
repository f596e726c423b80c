// Keyboard and mouse state on Win32: every virtual-key code through GetAsyncKeyState (letters
// already follow the keyboard layout there), the cursor through GetCursorPos.
#include "zrinputsource.h"
#include "zrwin32.h"

void zrPollInput(bool down[zrInput::kMaxKeys], int* cursorX, int* cursorY) {
    for (int key = 0; key < zrInput::kMaxKeys; ++key) {
        down[key] = (GetAsyncKeyState(key) & 0x8000) != 0;
    }
    // The keypad's + and - count as the main keys: their own codes (VK_ADD, VK_SUBTRACT) are
    // those of lower-case letters, which name letter keys here.
    down[kKeyPlus] = down[kKeyPlus] || (GetAsyncKeyState(VK_ADD) & 0x8000) != 0;
    down[kKeyMinus] = down[kKeyMinus] || (GetAsyncKeyState(VK_SUBTRACT) & 0x8000) != 0;
    POINT cursor = {0, 0};
    GetCursorPos(&cursor);
    *cursorX = cursor.x;
    *cursorY = cursor.y;
}

void zrWarpCursor(int x, int y) {
    SetCursorPos(x, y);
}
