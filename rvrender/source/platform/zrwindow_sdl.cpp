// The window on SDL2: creation, the timer tick of frame pacing, size changes and the switch
// to a borderless window covering the display.
#include <SDL.h>

#include <cstdio>

#include "cimage.h"
#include "zrinput.h"
#include "zrplatform.h"
#include "zrwindow.h"

namespace {

constexpr unsigned int kWsCaption = 0x00C00000u;
constexpr unsigned int kWsThickFrame = 0x00040000u;

SDL_Window* sdlWindow(void* hwnd) {
    return static_cast<SDL_Window*>(hwnd);
}

// Window creation failures go to the debug output, as one line.
bool debugFail(const char* message) {
    std::fprintf(stderr, "%s (%s)\n", message, SDL_GetError());
    return false;
}

} // namespace

zrWindow::~zrWindow() {
    if (mHwnd) {
        SDL_DestroyWindow(sdlWindow(mHwnd));
        mHwnd = nullptr;
    }
}

bool zrWindow::create(void* instance, const zrWindowParams* params) {
    if (mCreated || !instance || !params) {
        return false;
    }
    mCreated = true;
    mStyle = params->style;
    mExStyle = params->exStyle;
    mActive = true;
    mFullscreen = false;

    if (!zrPlatformInit()) {
        return debugFail("Couldn't register WNDCLASSEX");
    }
    const int x = params->x < 0 ? SDL_WINDOWPOS_UNDEFINED : params->x;
    const int y = params->y < 0 ? SDL_WINDOWPOS_UNDEFINED : params->y;
    // The window's visual is chosen when it is made: ask for what the renderers need of it
    // (a double-buffered RGBA colour buffer with a depth buffer).
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
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

bool zrWindow::setWindowSize(int wid, int hgt) {
    if (wid <= 0 || hgt <= 0 || !mHwnd) {
        return false;
    }
    // The window has no frame of its own on this platform: outer and client size agree.
    SDL_SetWindowSize(sdlWindow(mHwnd), wid, hgt);
    SDL_GetWindowSize(sdlWindow(mHwnd), &mWidth, &mHeight);
    return createBackBuffer();
}

bool zrWindow::setClientSize(int wid, int hgt) {
    if (wid <= 0 || hgt <= 0 || !mHwnd) {
        return false;
    }
    SDL_SetWindowSize(sdlWindow(mHwnd), wid, hgt);
    SDL_GetWindowSize(sdlWindow(mHwnd), &mWidth, &mHeight);
    return true;
}

bool zrWindow::toggleFullscreen() {
    if (!mHwnd) {
        return false;
    }
    SDL_Window* window = sdlWindow(mHwnd);
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
        SDL_SetWindowTitle(sdlWindow(mHwnd), title ? title : "");
    }
}
