// The window on SDL2: creation, the timer tick of frame pacing, size changes and the switch
// to a borderless window covering the display.
#include <cstdio>

#include "cimage.h"
#include "zrglcontext.h"
#include "zrplatform.h"
#include "zrsdl.h"
#include "zrwindow.h"

namespace {

constexpr unsigned int kWsCaption = 0x00C00000u;
constexpr unsigned int kWsThickFrame = 0x00040000u;

// Window creation failures go to the debug output, as one line.
bool debugFail(const char* message) {
    std::fprintf(stderr, "%s (%s)\n", message, SDL_GetError());
    return false;
}

} // namespace

SDL_Window* zrSDLWindow(const zrWindow* window) {
    return window ? static_cast<SDL_Window*>(window->getHwnd()) : nullptr;
}

zrWindow* zrWindow::fromHwnd(void* hwnd) {
    return hwnd ? static_cast<zrWindow*>(
                      SDL_GetWindowData(static_cast<SDL_Window*>(hwnd), "zrWindow"))
                : nullptr;
}

zrWindow::~zrWindow() {
    if (mHwnd) {
        SDL_DestroyWindow(static_cast<SDL_Window*>(mHwnd));
        mHwnd = nullptr;
    }
}

bool zrWindow::create(void* instance, const zrWindowParams* params) {
    if (!beginCreate(instance, params)) {
        return false;
    }

    if (!zrPlatformInit()) {
        return debugFail("Couldn't register WNDCLASSEX");
    }
    const int x = params->x < 0 ? SDL_WINDOWPOS_UNDEFINED : params->x;
    const int y = params->y < 0 ? SDL_WINDOWPOS_UNDEFINED : params->y;
    // The window's visual is chosen when it is made: the buffers every context on it uses.
    zrSDLApplyBuffers(zrGLBuffers());
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN;
    if (!(mStyle & kWsCaption)) {
        flags |= SDL_WINDOW_BORDERLESS;
    }
    if (mStyle & kWsThickFrame) {
        flags |= SDL_WINDOW_RESIZABLE;
    }
    SDL_Window* window = SDL_CreateWindow(params->title ? params->title : "", x, y, params->width,
                                          params->height, flags);
    if (!window) {
        return debugFail("Couldn't create the window");
    }
    mHwnd = window;
    SDL_SetWindowData(window, "zrWindow", this);

    int w = 0;
    int h = 0;
    SDL_GetWindowSize(window, &w, &h);
    if (w != params->width || h != params->height) {
        return debugFail("Window's client Rect does not equal desired client size");
    }
    mWidth = w;
    mHeight = h;
    SDL_ShowWindow(window);
    SDL_RaiseWindow(window);

    return startTiming();
}

bool zrWindow::blitBackBuffer() {
    // Nothing draws into the back buffer on this platform: the renderer owns the window's
    // pixels, so there is nothing to copy.
    return mBackBuff && !mBackBuff->empty();
}

bool zrWindow::drawText(const char*, unsigned int, int, int) {
    return false; // no GDI here
}

bool zrWindow::setWindowSize(int wid, int hgt) {
    if (wid <= 0 || hgt <= 0 || !mHwnd) {
        return false;
    }
    // The window has no frame of its own on this platform: outer and client size agree.
    SDL_SetWindowSize(zrSDLWindow(this), wid, hgt);
    SDL_GetWindowSize(zrSDLWindow(this), &mWidth, &mHeight);
    return createBackBuffer();
}

bool zrWindow::setClientSize(int wid, int hgt) {
    if (wid <= 0 || hgt <= 0 || !mHwnd) {
        return false;
    }
    SDL_SetWindowSize(zrSDLWindow(this), wid, hgt);
    SDL_GetWindowSize(zrSDLWindow(this), &mWidth, &mHeight);
    return true;
}

bool zrWindow::toggleFullscreen() {
    if (!mHwnd) {
        return false;
    }
    SDL_Window* window = zrSDLWindow(this);
    if (!mFullscreen) {
        SDL_DisplayMode mode;
        const int display = SDL_GetWindowDisplayIndex(window);
        if (display < 0 || SDL_GetCurrentDisplayMode(display, &mode) != 0) {
            return false;
        }
        SDL_GetWindowPosition(window, &mSavedX, &mSavedY);
        mSavedWidth = mWidth;
        mSavedHeight = mHeight;
        // A borderless window at the display's size; the display mode itself never changes.
        SDL_SetWindowBordered(window, SDL_FALSE);
        if (!setClientSize(mode.w, mode.h)) {
            return false;
        }
        SDL_Rect bounds;
        SDL_GetDisplayBounds(display, &bounds);
        SDL_SetWindowPosition(window, bounds.x, bounds.y);
    } else {
        SDL_SetWindowBordered(window, (mStyle & kWsCaption) ? SDL_TRUE : SDL_FALSE);
        if (!setWindowSize(mSavedWidth, mSavedHeight)) {
            return false;
        }
        SDL_SetWindowPosition(window, mSavedX, mSavedY);
    }
    mFullscreen = !mFullscreen;
    return true;
}

void zrWindow::setTitle(const char* title) {
    if (mHwnd) {
        SDL_SetWindowTitle(zrSDLWindow(this), title ? title : "");
    }
}
