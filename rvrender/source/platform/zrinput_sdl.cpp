// Keyboard and mouse state on SDL2, read under Win32 virtual-key codes. Letters follow the
// keyboard layout, as virtual-key codes do: the key labelled M is 'M' on an AZERTY keyboard
// too. Every other key is read by its position.
#include "zrinputsource.h"
#include "zrsdl.h"

namespace {

struct ScancodeKey {
    SDL_Scancode scancode;
    int vk;
};

// Keys other than letters, digits and F-keys (which map as ranges below).
const ScancodeKey kKeyMap[] = {
    {SDL_SCANCODE_BACKSPACE, kKeyBackspace},
    {SDL_SCANCODE_TAB, kKeyTab},
    {SDL_SCANCODE_RETURN, kKeyEnter},
    {SDL_SCANCODE_KP_ENTER, kKeyEnter},
    {SDL_SCANCODE_LSHIFT, kKeyShift},
    {SDL_SCANCODE_RSHIFT, kKeyShift},
    {SDL_SCANCODE_LCTRL, kKeyControl},
    {SDL_SCANCODE_RCTRL, kKeyControl},
    {SDL_SCANCODE_LALT, kKeyAlt},
    {SDL_SCANCODE_RALT, kKeyAlt},
    {SDL_SCANCODE_PAUSE, kKeyPause},
    {SDL_SCANCODE_CAPSLOCK, kKeyCapsLock},
    {SDL_SCANCODE_ESCAPE, kKeyEscape},
    {SDL_SCANCODE_SPACE, kKeySpace},
    {SDL_SCANCODE_PAGEUP, kKeyPageUp},
    {SDL_SCANCODE_PAGEDOWN, kKeyPageDown},
    {SDL_SCANCODE_END, kKeyEnd},
    {SDL_SCANCODE_HOME, kKeyHome},
    {SDL_SCANCODE_LEFT, kKeyLeft},
    {SDL_SCANCODE_UP, kKeyUp},
    {SDL_SCANCODE_RIGHT, kKeyRight},
    {SDL_SCANCODE_DOWN, kKeyDown},
    {SDL_SCANCODE_INSERT, kKeyInsert},
    {SDL_SCANCODE_DELETE, kKeyDelete},
    {SDL_SCANCODE_LSHIFT, kKeyLeftShift},
    {SDL_SCANCODE_RSHIFT, kKeyRightShift},
    {SDL_SCANCODE_LCTRL, kKeyLeftControl},
    {SDL_SCANCODE_RCTRL, kKeyRightControl},
    {SDL_SCANCODE_LALT, kKeyLeftAlt},
    {SDL_SCANCODE_RALT, kKeyRightAlt},
    {SDL_SCANCODE_EQUALS, kKeyPlus},
    {SDL_SCANCODE_COMMA, kKeyComma},
    {SDL_SCANCODE_MINUS, kKeyMinus},
    {SDL_SCANCODE_PERIOD, kKeyPeriod},
    {SDL_SCANCODE_KP_PLUS, kKeyPlus},
    {SDL_SCANCODE_KP_MINUS, kKeyMinus},
};

// The key that types each letter in the current layout; looked up again after the layout
// changes (SDL_KEYMAPCHANGED).
SDL_Scancode gLetterKeys[26];
bool gLetterKeysStale = true;

void readKeys(bool down[zrInput::kMaxKeys]) {
    for (int i = 0; i < zrInput::kMaxKeys; ++i) {
        down[i] = false;
    }
    if (gLetterKeysStale) {
        for (int i = 0; i < 26; ++i) {
            gLetterKeys[i] = SDL_GetScancodeFromKey(SDLK_a + i);
        }
        gLetterKeysStale = false;
    }
    int count = 0;
    const Uint8* state = SDL_GetKeyboardState(&count);
    auto pressed = [&](SDL_Scancode s) {
        return s != SDL_SCANCODE_UNKNOWN && s < count && state[s];
    };
    for (int i = 0; i < 26; ++i) {
        down['A' + i] = pressed(gLetterKeys[i]);
    }
    // SDL orders the digit row 1…9, 0.
    for (int i = 0; i < 9; ++i) {
        down['1' + i] = pressed(static_cast<SDL_Scancode>(SDL_SCANCODE_1 + i));
    }
    down['0'] = pressed(SDL_SCANCODE_0);
    for (int i = 0; i < 12; ++i) {
        down[kKeyF1 + i] = pressed(static_cast<SDL_Scancode>(SDL_SCANCODE_F1 + i));
    }
    for (const ScancodeKey& k : kKeyMap) {
        down[k.vk] = down[k.vk] || pressed(k.scancode);
    }
}

} // namespace

void zrSDLKeymapChanged() {
    gLetterKeysStale = true;
}

void zrPollInput(bool down[zrInput::kMaxKeys], int* cursorX, int* cursorY) {
    readKeys(down);
    const Uint32 buttons = SDL_GetGlobalMouseState(cursorX, cursorY);
    down[kKeyLeftButton] = (buttons & SDL_BUTTON(SDL_BUTTON_LEFT)) != 0;
    down[kKeyRightButton] = (buttons & SDL_BUTTON(SDL_BUTTON_RIGHT)) != 0;
    down[kKeyMiddleButton] = (buttons & SDL_BUTTON(SDL_BUTTON_MIDDLE)) != 0;
}

void zrWarpCursor(int x, int y) {
    SDL_WarpMouseGlobal(x, y);
}
