// Keyboard and mouse: one process-wide key table polled once per update, and repeat delays
// that let a held key fire at most once per delay. Key codes are Win32 virtual-key codes
// (zrkeys.h). Lower-case letters passed to keyPressed and setKeyDelay address the upper-case
// keys, and a letter is the key that types it in the current keyboard layout.
//
// The application polls twice per frame (the window's update, then its own input handling);
// the countdown step rule relies on exactly that.
#pragma once

#include "zrkeys.h"
#include "zrplatform.h"

namespace zrInput {

constexpr int kMaxKeys = 256;

// Polls every key and the cursor and runs the repeat countdowns. Precondition: gWindow set.
void update();
bool keyPressed(int key);
bool leftButtonPressed();
bool rightButtonPressed();
bool middleButtonPressed();
bool anyKeyDown();
void setKeyDelay(int key, float seconds);
void setKeyState(int which, bool down);
void setKeyState(unsigned int key, bool down);
// Warps the cursor to screen position (x, y) and remembers it at once.
void setMousePos(int x, int y);
void setMousePos(zrPoint point);
// The remembered cursor position in the window's client coordinates (not polled anew).
zrPoint getMousePos(zrWindow* window);

} // namespace zrInput
