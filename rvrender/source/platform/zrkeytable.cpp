#include "zrkeytable.h"

#include <cassert>

namespace {

bool inRange(int key) {
    return key >= 0 && key < zrKeyTable::kMaxKeys;
}

// The C locale's islower/toupper: exactly 'a'…'z' become 'A'…'Z'. Done by hand so that the
// program's locale cannot change which key a letter addresses, and so that codes outside the
// unsigned char range never reach the <cctype> functions.
int foldLetter(int key) {
    return (key >= 'a' && key <= 'z') ? key - ('a' - 'A') : key;
}

} // namespace

zrKeyTable::zrKeyTable() : mDown{}, mRepeat{}, mStep(0.0f), mCursor{0, 0} {}

void zrKeyTable::update(float frameTime, const bool down[kMaxKeys]) {
    assert(down && "Key state array is NULL - zrKeyTable::update()");
    mStep = frameTime - mStep;
    for (int k = 0; k < kMaxKeys; ++k) {
        mDown[k] = down[k];
        if (mRepeat[k].remaining > 0.0f) {
            mRepeat[k].remaining -= mStep;
        }
    }
}

bool zrKeyTable::fire(int code) {
    Repeat& repeat = mRepeat[code];
    if (repeat.remaining > 0.0f) {
        return false;
    }
    if (!mDown[code]) {
        return false;
    }
    repeat.remaining = repeat.delay;
    return true;
}

bool zrKeyTable::keyPressed(int key) {
    key = foldLetter(key);
    if (!inRange(key)) {
        return false;
    }
    return fire(key);
}

bool zrKeyTable::buttonPressed(int code) {
    return fire(code);
}

bool zrKeyTable::anyKeyDown() const {
    for (int k = 0; k < kMaxKeys - 1; ++k) {
        if (mDown[k]) {
            return true;
        }
    }
    return false;
}

void zrKeyTable::setKeyDelay(int key, float seconds) {
    key = foldLetter(key);
    if (!inRange(key)) {
        return;
    }
    mRepeat[key].delay = seconds;
    mRepeat[key].remaining = seconds;
}

void zrKeyTable::setKeyState(int which, bool down) {
    assert(which >= 0 && which < kMaxKeys && "Key code out of range - zrKeyTable::setKeyState()");
    if (inRange(which)) {
        mDown[which] = down;
    }
}

void zrKeyTable::setKeyState(unsigned int key, bool down) {
    assert((unsigned int)key < kMaxKeys && "Key code out of range - zrKeyTable::setKeyState()");
    if (key < static_cast<unsigned int>(kMaxKeys)) {
        mDown[key] = down;
    }
}

bool zrKeyTable::isKeyDown(int key) const {
    return inRange(key) && mDown[key];
}

float zrKeyTable::getKeyDelay(int key) const {
    return inRange(key) ? mRepeat[key].delay : 0.0f;
}

float zrKeyTable::getRemaining(int key) const {
    return inRange(key) ? mRepeat[key].remaining : 0.0f;
}
