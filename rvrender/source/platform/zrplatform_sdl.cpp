// Platform services on SDL2: message boxes, title, cursor, coordinates and the message pump.
#include <cstdio>
#include <cstring>

#include "rvmessage.h"
#include "zrplatform.h"
#include "zrsdl.h"
#include "zrwindow.h"

namespace {

bool gInitialised = false;

} // namespace

void* zrModuleHandle() {
    // There is no module handle on this platform; the window only asks for a non-null one.
    static char standIn;
    return &standIn;
}

bool zrPlatformInit() {
    if (gInitialised) {
        return true;
    }
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        std::fprintf(stderr, "SDL could not start: %s\n", SDL_GetError());
        return false;
    }
    // Without a reachable display SDL falls back to drivers that open no window at all; the
    // program would then run unseen and never end.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0) {
        std::fprintf(stderr, "No display could be opened (video driver: %s).\n",
                     driver ? driver : "none");
        SDL_Quit();
        return false;
    }
    gInitialised = true;
    rvSetMessageHandler(zrShowMessage);
    return true;
}

bool zrPlatformInitHeadless() {
    if (gInitialised) {
        return true;
    }
    // The offscreen driver draws windows into EGL pbuffers of Mesa's surfaceless platform.
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        std::fprintf(stderr, "SDL could not start without a display: %s\n", SDL_GetError());
        return false;
    }
    gInitialised = true;
    rvSetMessageHandler(nullptr); // standard error
    return true;
}

void zrPlatformShutdown() {
    if (!gInitialised) {
        return;
    }
    rvSetMessageHandler(nullptr);
    SDL_Quit();
    gInitialised = false;
}

bool zrAskYesNo(zrWindow* owner, const char* text, const char* caption) {
    const SDL_MessageBoxButtonData buttons[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "No"},
    };
    SDL_MessageBoxData box = {};
    box.flags = 0;
    box.window = zrSDLWindow(owner);
    box.title = caption;
    box.message = text;
    box.numbuttons = 2;
    box.buttons = buttons;
    int pressed = -1;
    if (SDL_ShowMessageBox(&box, &pressed) != 0) {
        std::fprintf(stderr, "%s: %s (no answer: %s)\n", caption, text, SDL_GetError());
        return false;
    }
    return pressed == 1;
}

void zrShowMessage(const char* text, const char* caption) {
    // Also on standard error, so that a run without anyone at the screen leaves a trace.
    std::fprintf(stderr, "%s: %s\n", caption, text);
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_WARNING, caption, text, zrSDLWindow(gWindow));
}

bool zrGetDisplayMode(zrWindow* window, zrDisplayMode* mode) {
    SDL_Window* sdl = window ? zrSDLWindow(window) : nullptr;
    const int display = sdl ? SDL_GetWindowDisplayIndex(sdl) : 0;
    SDL_DisplayMode current;
    if (!mode || display < 0 || SDL_GetDesktopDisplayMode(display, &current) != 0) {
        return false;
    }
    *mode = {current.w, current.h, current.refresh_rate};
    return true;
}

void zrSetWindowTitle(zrWindow* window, const char* title) {
    if (window) {
        window->setTitle(title);
    }
}

void zrHideCursor() {
    SDL_ShowCursor(SDL_DISABLE);
}

void zrClientToScreen(zrWindow* window, zrPoint* point) {
    int x = 0;
    int y = 0;
    if (SDL_Window* w = zrSDLWindow(window)) {
        SDL_GetWindowPosition(w, &x, &y);
    }
    point->x += x;
    point->y += y;
}

void zrScreenToClient(zrWindow* window, zrPoint* point) {
    int x = 0;
    int y = 0;
    if (SDL_Window* w = zrSDLWindow(window)) {
        SDL_GetWindowPosition(w, &x, &y);
    }
    point->x -= x;
    point->y -= y;
}

bool zrPumpMessage(bool* quit) {
    SDL_Event event;
    if (!SDL_PollEvent(&event)) {
        return false;
    }
    switch (event.type) {
    case SDL_QUIT:
        *quit = true;
        break;
    case SDL_KEYDOWN:
        // Escape closes the window; every other key is polled by the input module.
        if (event.key.keysym.sym == SDLK_ESCAPE) {
            *quit = true;
        }
        break;
    case SDL_KEYMAPCHANGED:
        zrSDLKeymapChanged();
        break;
    case SDL_WINDOWEVENT:
        switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
            *quit = true;
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            gWindow->onResized(event.window.data1, event.window.data2);
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
        case SDL_WINDOWEVENT_RESTORED:
            gWindow->onActivate(true);
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
        case SDL_WINDOWEVENT_MINIMIZED:
            gWindow->onActivate(false);
            break;
        default:
            break;
        }
        break;
    default:
        break;
    }
    return true;
}
