// The platform-independent half of the window: frame pacing and frames-per-second counting.
#include "zrwindow.h"

#include <cassert>
#include <cstdio>

#include "cimage.h"
#include "zrinput.h"

namespace {
zrWindow gWindowObject;
}

zrWindow* gWindow = &gWindowObject;

zrWindow::zrWindow()
    : mHwnd(nullptr), mHdc(nullptr), mWidth(0), mHeight(0), mStyle(0), mExStyle(0), mCreated(false),
      mFullscreen(false), mActive(true), mDesiredFrameTime(0.0f), mFrameTime(0.0f), mFPS(0),
      mFrameAccumulator(0.0f), mFPSSeconds(0.0f), mFPSFrames(0), mSavedX(0), mSavedY(0),
      mSavedWidth(0), mSavedHeight(0) {}

void zrWindow::setDesiredFPS(unsigned int desiredFPS) {
    assert(desiredFPS > 0 && "desiredFPS > 0");
    mDesiredFrameTime = 1.0f / static_cast<float>(desiredFPS);
}

bool zrWindow::beginCreate(void* instance, const zrWindowParams* params) {
    if (mCreated || !instance || !params) {
        return false;
    }
    mCreated = true;
    mStyle = params->style;
    mExStyle = params->exStyle;
    mActive = true;
    mFullscreen = false;
    return true;
}

bool zrWindow::startTiming() {
    setDesiredFPS(60);
    mTimer = std::make_unique<rvTimer>();
    if (!mTimer->init()) {
        return false;
    }
    return createBackBuffer();
}

bool zrWindow::update() {
    mTimer->tick();
    if (!advance(mTimer->getElapsed())) {
        return false;
    }
    zrInput::update();
    return true;
}

bool zrWindow::advance(float elapsed) {
    mFrameAccumulator += elapsed;
    if (mFrameAccumulator <= mDesiredFrameTime) {
        return false;
    }
    mFrameTime = mFrameAccumulator;
    mFrameAccumulator = 0.0f;

    // The figure is the number of frames in the last period of just over one second,
    // including the frame that closed it.
    mFPSSeconds += mFrameTime;
    mFPSFrames += 1;
    if (mFPSSeconds > 1.0f) {
        mFPS = mFPSFrames;
        mFPSSeconds = 0.0f;
        mFPSFrames = 0;
    }
    return true;
}

bool zrWindow::createBackBuffer() {
    if (!mBackBuff) {
        mBackBuff = std::make_unique<CImage>();
    }
    return mBackBuff->create(mWidth, mHeight, 4);
}

bool zrWindow::drawFPS(unsigned int colour, int x, int y) {
    char text[64] = {};
    std::snprintf(text, sizeof(text), "FPS = %d", mFPS);
    return drawText(text, colour, x, y);
}

void zrWindow::clearBackBuffer(unsigned char c1, unsigned char c2, unsigned char c3) {
    if (mBackBuff && !mBackBuff->empty()) {
        mBackBuff->clear(c1, c2, c3);
    }
}

void zrWindow::onResized(int clientWidth, int clientHeight) {
    mWidth = clientWidth;
    mHeight = clientHeight;
}
