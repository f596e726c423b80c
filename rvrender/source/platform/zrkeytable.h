// The state behind keyboard and mouse polling, kept apart from where key states come from:
// the platform layer reads the keys once per poll and hands them to update() with the frame
// time; the application asks keyPressed(), which lets a held key fire at most once per delay.
//
// Key codes are virtual-key codes 0…255 (zrkeys.h); the mouse buttons are codes of the same
// table. Depends on nothing but the standard library.
#pragma once

#include "zrkeys.h"

class zrKeyTable {
public:
    static constexpr int kMaxKeys = 256;

    struct Point {
        int x;
        int y;
    };

    // All keys released, every delay and countdown 0, the step 0, the cursor (0, 0).
    zrKeyTable();

    // One poll: down[k] is whether key k is down now (precondition: down is not null).
    // The countdown step is frameTime minus the previous step, and every running countdown
    // (remaining > 0) falls by it. Polled exactly twice per frame with that frame's interval,
    // the first poll subtracts the whole interval and the second nothing, so countdowns run
    // at the speed of frame time; any other number of polls per frame runs them wrongly.
    void update(float frameTime, const bool down[kMaxKeys]);

    // True when the key is down and its countdown has run out; the countdown then restarts at
    // the full delay (an overshoot below zero is dropped). Lower-case letters 'a'…'z' address
    // the keys 'A'…'Z', so the codes 97…122 cannot be reached. Codes outside 0…255 give false.
    bool keyPressed(int key);
    // keyPressed without the letter folding, for the three mouse buttons.
    bool leftButtonPressed() { return buttonPressed(kKeyLeftButton); }
    bool rightButtonPressed() { return buttonPressed(kKeyRightButton); }
    bool middleButtonPressed() { return buttonPressed(kKeyMiddleButton); }
    // Whether any of the codes 0…254 is down (255 is not examined).
    bool anyKeyDown() const;

    // Sets the key's repeat delay and starts its countdown at that delay, so the key cannot
    // fire before one full delay of frame time has passed. Folds letters like keyPressed;
    // codes outside 0…255 are ignored. A delay of 0 puts no limit on the key.
    void setKeyDelay(int key, float seconds);

    // Overwrite one key's state until the next update. Precondition: the code is in 0…255
    // (asserted; ignored when assertions are off). No letter folding.
    void setKeyState(int which, bool down);
    void setKeyState(unsigned int key, bool down);

    // The remembered cursor position in screen coordinates: the last polled position or the
    // last warp, whichever came later. The platform layer stores both here.
    void setCursorPos(int x, int y) { mCursor = Point{x, y}; }
    Point getCursorPos() const { return mCursor; }

    // The raw table, unfolded; codes outside 0…255 read as released with no delay.
    bool isKeyDown(int key) const;
    float getKeyDelay(int key) const;
    float getRemaining(int key) const;

private:
    struct Repeat {
        float delay;     // seconds between firings while held
        float remaining; // seconds before the key may fire again
    };

    bool buttonPressed(int code);
    // keyPressed on an already folded, in-range code.
    bool fire(int code);

    bool mDown[kMaxKeys];
    Repeat mRepeat[kMaxKeys];
    float mStep;
    Point mCursor;
};
