// Key codes: Win32 virtual-key codes 0…255, on every platform. Letters are 'A'–'Z' and digits
// '0'–'9' (their upper-case ASCII codes); the named keys are below.
#pragma once

enum : int {
    kKeyLeftButton = 1,
    kKeyRightButton = 2,
    kKeyMiddleButton = 4,
    kKeyBackspace = 8,
    kKeyTab = 9,
    kKeyEnter = 13,
    kKeyShift = 16,
    kKeyControl = 17,
    kKeyAlt = 18,
    kKeyPause = 19,
    kKeyCapsLock = 20,
    kKeyEscape = 27,
    kKeySpace = 32,
    kKeyPageUp = 33,
    kKeyPageDown = 34,
    kKeyEnd = 35,
    kKeyHome = 36,
    kKeyLeft = 37,
    kKeyUp = 38,
    kKeyRight = 39,
    kKeyDown = 40,
    kKeyInsert = 45,
    kKeyDelete = 46,
    kKeyF1 = 112, // F1…F12 are 112…123
    kKeyLeftShift = 160,
    kKeyRightShift = 161,
    kKeyLeftControl = 162,
    kKeyRightControl = 163,
    kKeyLeftAlt = 164,
    kKeyRightAlt = 165,
    kKeyPlus = 187, // the key of '=' and '+' (VK_OEM_PLUS), and the keypad's +
    kKeyComma = 188,
    kKeyMinus = 189, // and the keypad's -
    kKeyPeriod = 190,
};
