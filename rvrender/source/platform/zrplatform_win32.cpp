// Platform services on Win32: message boxes, title, cursor, coordinates and the message pump.
#include <cstdio>

#include "rvmessage.h"
#include "zrplatform.h"
#include "zrwin32.h"
#include "zrwindow.h"

namespace {

HWND hwndOf(zrWindow* window) {
    return window ? static_cast<HWND>(window->getHwnd()) : nullptr;
}

} // namespace

void* zrModuleHandle() {
    return GetModuleHandleA(nullptr);
}

bool zrPlatformInit() {
    rvSetMessageHandler(zrShowMessage);
    return true;
}

// Windows always has a desktop: the pictures are drawn in an ordinary window.
bool zrPlatformInitHeadless() {
    return zrPlatformInit();
}

void zrPlatformShutdown() {
    rvSetMessageHandler(nullptr);
}

bool zrAskYesNo(zrWindow* owner, const char* text, const char* caption) {
    return MessageBoxA(hwndOf(owner), text, caption, MB_YESNO) == IDYES;
}

void zrShowMessage(const char* text, const char* caption) {
    // Also on standard error (where there is one) and the debugger output, so that a run
    // without anyone at the screen leaves a trace.
    std::fprintf(stderr, "%s: %s\n", caption, text);
    std::fflush(stderr);
    OutputDebugStringA(text);
    MessageBoxA(hwndOf(gWindow), text, caption, MB_OK);
}

bool zrGetDisplayMode(zrWindow*, zrDisplayMode* mode) {
    DEVMODEA current = {};
    current.dmSize = sizeof(current);
    if (!mode || !EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &current)) {
        return false;
    }
    // Windows reports 0 or 1 for the hardware's default rate.
    const int rate = current.dmDisplayFrequency > 1 ? int(current.dmDisplayFrequency) : 0;
    *mode = {int(current.dmPelsWidth), int(current.dmPelsHeight), rate};
    return true;
}

void zrSetWindowTitle(zrWindow* window, const char* title) {
    if (window) {
        window->setTitle(title);
    }
}

void zrHideCursor() {
    SetCursor(nullptr);
}

void zrClientToScreen(zrWindow* window, zrPoint* point) {
    POINT p = {point->x, point->y};
    if (HWND hwnd = hwndOf(window)) {
        ClientToScreen(hwnd, &p);
    }
    *point = {int(p.x), int(p.y)};
}

void zrScreenToClient(zrWindow* window, zrPoint* point) {
    POINT p = {point->x, point->y};
    if (HWND hwnd = hwndOf(window)) {
        ScreenToClient(hwnd, &p);
    }
    *point = {int(p.x), int(p.y)};
}

bool zrPumpMessage(bool* quit) {
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        return false;
    }
    if (msg.message == WM_QUIT) {
        *quit = true;
        return true;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    return true;
}
