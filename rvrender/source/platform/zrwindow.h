// The program's one top-level window: a client area of exactly the requested size, frame
// pacing against a desired frame rate, frames-per-second counting, and the switch between
// the framed window and a borderless window covering the whole display.
//
// There is exactly one window object, reached through gWindow. Everything runs on the
// thread that creates it and pumps its messages (zrplatform.h).
#pragma once

#include <memory>

#include "rvtimer.h"

class CImage;

// The creation record. style / exStyle are the Win32 style bits; the Windows window uses them
// as they are, the Linux window honours WS_CAPTION (a title bar) and the absence of a sizing
// border (a fixed-size window).
struct zrWindowParams {
    const char* title;
    unsigned int style;
    unsigned int exStyle;
    int width;  // client width in pixels
    int height; // client height in pixels
    int x;      // negative: the system chooses
    int y;
};

class zrWindow {
public:
    zrWindow();
    // instance is the module handle on Windows and ignored (but must not be null) elsewhere.
    // False on a second call, a null instance, or when the window cannot be made with the
    // requested client size; the reason goes to the debug output (OutputDebugStringA on
    // Windows, standard error elsewhere).
    virtual bool create(void* instance, const zrWindowParams* params);
    virtual ~zrWindow();

    // Frame pacing, once per pass of the message loop when no message waits: ticks the timer
    // and returns true when more than the desired frame time has gathered; then the frame
    // time is that gathered time, the frame is counted and the input is polled once.
    bool update();
    // Precondition: desiredFPS > 0.
    void setDesiredFPS(unsigned int desiredFPS);

    // The back buffer is a 4-channel client-sized image. On Windows blitBackBuffer copies it
    // into the window; on Linux it only checks that it exists (the renderer owns the window's
    // pixels there).
    bool createBackBuffer();
    bool blitBackBuffer();
    void clearBackBuffer(unsigned char c1, unsigned char c2, unsigned char c3);
    // Text into the back buffer with GDI (on a transparent background; colour is a COLORREF,
    // 0x00BBGGRR), shown by the next blitBackBuffer. False where there is no GDI (Linux) or no
    // back buffer. drawFPS writes "FPS = <count>".
    bool drawText(const char* text, unsigned int colour, int x, int y);
    bool drawFPS(unsigned int colour, int x, int y);
    const CImage* getBackBuffer() const { return mBackBuff.get(); }

    bool setWindowSize(int wid, int hgt);
    bool setClientSize(int wid, int hgt);
    // Framed ↔ borderless covering the display at its current resolution; switching back
    // restores the former size and position.
    bool toggleFullscreen();
    void setTitle(const char* title);

    // The native window: an HWND on Windows, an SDL_Window* on Linux.
    void* getHwnd() const { return mHwnd; }
    // The window's own device context (an HDC) on Windows; null elsewhere.
    void* getHdc() const { return mHdc; }
    // The window object of a native window this layer made, or null.
    static zrWindow* fromHwnd(void* hwnd);
    int getWidth() const { return mWidth; }
    int getHeight() const { return mHeight; }
    float getFrameTime() const { return mFrameTime; }
    int getFPS() const { return mFPS; }
    bool isFullscreen() const { return mFullscreen; }
    bool isActive() const { return mActive; }

    // The platform-independent part of update: adds an elapsed interval to the accumulator
    // and returns true when it is strictly above the desired frame time (then the frame time
    // becomes the accumulated time and the frame is counted).
    bool advance(float elapsed);

    // Called by the message pump for window events (size changes, activation).
    void onResized(int clientWidth, int clientHeight);
    void onActivate(bool active) { mActive = active; }

    zrWindow(const zrWindow&) = delete;
    zrWindow& operator=(const zrWindow&) = delete;

private:
    // The start of create on every platform: false on a second call or a null instance or
    // record, else the record's styles are taken.
    bool beginCreate(void* instance, const zrWindowParams* params);
    // The end of a successful create on every platform: 60 frames per second, the timer
    // started, the back buffer made.
    bool startTiming();

    void* mHwnd;
    void* mHdc;
    int mWidth;
    int mHeight;
    unsigned int mStyle;
    unsigned int mExStyle;
    bool mCreated;
    bool mFullscreen;
    bool mActive;
    float mDesiredFrameTime;
    float mFrameTime;
    int mFPS;
    float mFrameAccumulator;
    float mFPSSeconds;
    int mFPSFrames;
    int mSavedX, mSavedY, mSavedWidth, mSavedHeight;
    std::unique_ptr<CImage> mBackBuff;
    std::unique_ptr<rvTimer> mTimer;
};

extern zrWindow* gWindow;
