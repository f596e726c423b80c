// What the frame's input handling and the scene ask of the platform: keys, the mouse, the
// window's size, frame time and frames-per-second count, and its title. The program implements
// it over the platform layer (zrInput, zrWindow, zrplatform.h; see main.cpp); tests substitute
// their own, so that the input decisions run without a window.
#pragma once

#include "zrplatform.h"

class rvAppPlatform {
public:
    virtual ~rvAppPlatform() = default;

    // zrInput::keyPressed: true when the key is down and its repeat delay has run out.
    virtual bool keyPressed(int key) = 0;
    // zrInput::update: the second input poll of the frame.
    virtual void pollInput() = 0;
    // The cursor in client coordinates, as last polled or warped.
    virtual zrPoint getMousePos() = 0;
    // Warps the cursor to a point given in client coordinates.
    virtual void setMousePos(zrPoint client) = 0;
    virtual void hideCursor() = 0;

    // The window: its client size, last frame interval (seconds) and frames-per-second count.
    virtual int getWidth() = 0;
    virtual int getHeight() = 0;
    virtual float getFrameTime() = 0;
    virtual int getFPS() = 0;
    virtual void setTitle(const char* title) = 0;
};

// Set by the program before the first frame; not owned.
extern rvAppPlatform* gAppPlatform;
