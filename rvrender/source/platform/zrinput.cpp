// The input module: one key table polled through the platform (zrinputsource.h).
#include "zrinput.h"

#include <cassert>

#include "zrinputsource.h"
#include "zrkeytable.h"
#include "zrwindow.h"

namespace {

zrKeyTable gKeys;

} // namespace

namespace zrInput {

void update() {
    assert(gWindow && "gWindow");
    bool down[kMaxKeys] = {};
    int x = 0;
    int y = 0;
    zrPollInput(down, &x, &y);
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
    zrWarpCursor(x, y);
}

void setMousePos(zrPoint point) {
    gKeys.setCursorPos(point.x, point.y);
    zrWarpCursor(point.x, point.y);
}

zrPoint getMousePos(zrWindow* window) {
    const zrKeyTable::Point p = gKeys.getCursorPos();
    zrPoint point{p.x, p.y};
    zrScreenToClient(window, &point);
    return point;
}

} // namespace zrInput
