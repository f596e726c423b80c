// The input module on SDL2: keyboard and mouse state read into the key table under Win32
// virtual-key codes.
#include <SDL.h>

#include <cassert>

#include "zrinput.h"
#include "zrkeytable.h"
#include "zrwindow.h"

namespace {

zrKeyTable gKeys;

struct ScancodeKey {
    SDL_Scancode scancode;
    int vk;
};

// Keys other than letters, digits and F-keys (which map as ranges below).
const ScancodeKey kKeyMap[] = {
    {SDL_SCANCODE_BACKSPACE, 8}, {SDL_SCANCODE_TAB, 9},      {SDL_SCANCODE_RETURN, 13},
    {SDL_SCANCODE_KP_ENTER, 13}, {SDL_SCANCODE_LSHIFT, 16},  {SDL_SCANCODE_RSHIFT, 16},
    {SDL_SCANCODE_LCTRL, 17},    {SDL_SCANCODE_RCTRL, 17},   {SDL_SCANCODE_LALT, 18},
    {SDL_SCANCODE_RALT, 18},     {SDL_SCANCODE_PAUSE, 19},   {SDL_SCANCODE_CAPSLOCK, 20},
    {SDL_SCANCODE_ESCAPE, 27},   {SDL_SCANCODE_SPACE, 32},   {SDL_SCANCODE_PAGEUP, 33},
    {SDL_SCANCODE_PAGEDOWN, 34}, {SDL_SCANCODE_END, 35},     {SDL_SCANCODE_HOME, 36},
    {SDL_SCANCODE_LEFT, 37},     {SDL_SCANCODE_UP, 38},      {SDL_SCANCODE_RIGHT, 39},
    {SDL_SCANCODE_DOWN, 40},     {SDL_SCANCODE_INSERT, 45},  {SDL_SCANCODE_DELETE, 46},
    {SDL_SCANCODE_LSHIFT, 160},  {SDL_SCANCODE_RSHIFT, 161}, {SDL_SCANCODE_LCTRL, 162},
    {SDL_SCANCODE_RCTRL, 163},   {SDL_SCANCODE_LALT, 164},   {SDL_SCANCODE_RALT, 165},
};

void readKeys(bool down[zrInput::kMaxKeys]) {
    for (int i = 0; i < zrInput::kMaxKeys; ++i) {
        down[i] = false;
    }
    int count = 0;
    const Uint8* state = SDL_GetKeyboardState(&count);
    auto pressed = [&](SDL_Scancode s) { return s < count && state[s] != 0; };
    for (int i = 0; i < 26; ++i) {
        down['A' + i] = pressed(static_cast<SDL_Scancode>(SDL_SCANCODE_A + i));
    }
    // SDL orders the digit row 1…9, 0.
    for (int i = 0; i < 9; ++i) {
        down['1' + i] = pressed(static_cast<SDL_Scancode>(SDL_SCANCODE_1 + i));
    }
    down['0'] = pressed(SDL_SCANCODE_0);
    for (int i = 0; i < 12; ++i) {
        down[112 + i] = pressed(static_cast<SDL_Scancode>(SDL_SCANCODE_F1 + i));
    }
    for (const ScancodeKey& k : kKeyMap) {
        down[k.vk] = down[k.vk] || pressed(k.scancode);
    }
}

} // namespace

namespace zrInput {

void update() {
    assert(gWindow && "gWindow");
    bool down[kMaxKeys];
    readKeys(down);
    int x = 0;
    int y = 0;
    const Uint32 buttons = SDL_GetGlobalMouseState(&x, &y);
    down[1] = (buttons & SDL_BUTTON(SDL_BUTTON_LEFT)) != 0;
    down[2] = (buttons & SDL_BUTTON(SDL_BUTTON_RIGHT)) != 0;
    down[4] = (buttons & SDL_BUTTON(SDL_BUTTON_MIDDLE)) != 0;
    gKeys.update(gWindow->getFrameTime(), down);
    gKeys.setCursorPos(x, y);
}

bool keyPressed(int key) {
    return gKeys.keyPressed(key);
}
bool leftButtonPressed() {
    return gKeys.leftButtonPressed();
}
bool rightButtonPressed() {
    return gKeys.rightButtonPressed();
}
bool middleButtonPressed() {
    return gKeys.middleButtonPressed();
}
bool anyKeyDown() {
    return gKeys.anyKeyDown();
}
void setKeyDelay(int key, float seconds) {
    gKeys.setKeyDelay(key, seconds);
}
void setKeyState(int which, bool down) {
    gKeys.setKeyState(which, down);
}
void setKeyState(unsigned int key, bool down) {
    gKeys.setKeyState(key, down);
}

void setMousePos(int x, int y) {
    assert(x >= 0 && y >= 0 && "x >= 0 && y >= 0");
    gKeys.setCursorPos(x, y);
    SDL_WarpMouseGlobal(x, y);
}

void setMousePos(zrPoint point) {
    gKeys.setCursorPos(point.x, point.y);
    SDL_WarpMouseGlobal(point.x, point.y);
}

zrPoint getMousePos(zrWindow* window) {
    const zrKeyTable::Point p = gKeys.getCursorPos();
    zrPoint point{p.x, p.y};
    zrScreenToClient(window, &point);
    return point;
}

} // namespace zrInput
