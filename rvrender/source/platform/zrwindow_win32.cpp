// The window on Win32: the window class and procedure, creation with an exact client size,
// the timer tick of frame pacing, the GDI back buffer, size and style changes, and the switch
// to a borderless pop-up covering the primary display.
#include "zrwin32.h"

#include <cstring>

#include "cimage.h"
#include "zrwindow.h"

namespace {

const char kClassName[] = "DefaultWindow";

// The class is registered by the first create only.
int gRegistrations = 0;

// The full-screen save area: the framed window's styles and placement, taken on every switch
// to full screen.
struct SavedWindow {
    DWORD style = 0;
    DWORD exStyle = 0;
    WINDOWPLACEMENT placement = {};
} gSaved;

HWND hwndOf(const zrWindow* window) {
    return static_cast<HWND>(window->getHwnd());
}

// Window creation failures go to the debugger output, as one line without a line end.
bool debugFail(const char* message) {
    OutputDebugStringA(message);
    return false;
}

// The window's messages. The object is bound to the window at WM_CREATE; messages that arrive
// before (non-client creation, size queries) get default processing.
LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        // A pointer needs the pointer-sized slot on 64-bit Windows.
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        return 0;
    }
    auto* window = reinterpret_cast<zrWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!window) {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    switch (message) {
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_ACTIVATE:
        window->onActivate(LOWORD(wParam) != WA_INACTIVE && HIWORD(wParam) == 0);
        return 0;
    case WM_KEYDOWN:
        // Escape closes the window; every other key is polled by the input module.
        if (wParam == VK_ESCAPE) {
            SendMessageA(hwnd, WM_CLOSE, 0, 0);
        }
        return 0;
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED) {
            window->onResized(LOWORD(lParam), HIWORD(lParam));
        }
        return DefWindowProcA(hwnd, message, wParam, lParam);
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

bool registerClass(HINSTANCE instance) {
    if (gRegistrations++ > 0) {
        return true;
    }
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.lpszClassName = kClassName;
    return RegisterClassExA(&wc) != 0;
}

// Sets one of the window's style words; SetWindowLongA's 0 is a failure only with an error set.
bool setLong(HWND hwnd, int index, DWORD value) {
    SetLastError(0);
    return SetWindowLongA(hwnd, index, static_cast<LONG>(value)) != 0 || GetLastError() == 0;
}

// Changes the window's styles (0 leaves one as it is) and lets the frame follow.
bool setStyle(HWND hwnd, DWORD style, DWORD exStyle) {
    if ((style && !setLong(hwnd, GWL_STYLE, style)) ||
        (exStyle && !setLong(hwnd, GWL_EXSTYLE, exStyle))) {
        return false;
    }
    if ((style || exStyle) &&
        !SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                      SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED)) {
        return false;
    }
    ShowWindow(hwnd, SW_SHOW);
    return true;
}

} // namespace

zrWindow* zrWindow::fromHwnd(void* hwnd) {
    if (!hwnd || !IsWindow(static_cast<HWND>(hwnd))) {
        return nullptr;
    }
    return reinterpret_cast<zrWindow*>(GetWindowLongPtrA(static_cast<HWND>(hwnd), GWLP_USERDATA));
}

zrWindow::~zrWindow() {
    // The window itself is gone by now (closing destroys it); a window still open at exit is
    // destroyed with the process.
    if (mHwnd && IsWindow(hwndOf(this))) {
        SetWindowLongPtrA(hwndOf(this), GWLP_USERDATA, 0);
    }
}

bool zrWindow::create(void* instance, const zrWindowParams* params) {
    if (!beginCreate(instance, params)) {
        return false;
    }

    HINSTANCE module = static_cast<HINSTANCE>(instance);
    if (!registerClass(module)) {
        return debugFail("Couldn't register WNDCLASSEX");
    }
    RECT rect = {0, 0, params->width, params->height};
    const int x = params->x < 0 ? CW_USEDEFAULT : params->x;
    const int y = params->y < 0 ? CW_USEDEFAULT : params->y;
    AdjustWindowRectEx(&rect, mStyle, FALSE, mExStyle);
    HWND hwnd = CreateWindowExA(mExStyle, kClassName, params->title ? params->title : "", mStyle, x,
                                y, rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                                module, this);
    if (!hwnd) {
        return debugFail("Couldn't create the window");
    }
    mHwnd = hwnd;
    GetClientRect(hwnd, &rect);
    if (rect.right != params->width || rect.bottom != params->height) {
        return debugFail("Window's client Rect does not equal desired client size");
    }
    mWidth = rect.right;
    mHeight = rect.bottom;
    mHdc = GetDC(hwnd);
    if (!mHdc) {
        return debugFail("Couldn't get HDC");
    }
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
    SetForegroundWindow(hwnd);

    return startTiming();
}

bool zrWindow::blitBackBuffer() {
    if (!mBackBuff || mBackBuff->empty() || !mHdc) {
        return false;
    }
    return BitBlt(static_cast<HDC>(mHdc), 0, 0, getWidth(), getHeight(),
                  static_cast<HDC>(mBackBuff->getDC()), 0, 0, SRCCOPY) != 0;
}

bool zrWindow::drawText(const char* text, unsigned int colour, int x, int y) {
    if (!text || !mBackBuff || mBackBuff->empty()) {
        return false;
    }
    HDC dc = static_cast<HDC>(mBackBuff->getDC());
    const int mode = SetBkMode(dc, TRANSPARENT);
    const COLORREF previous = SetTextColor(dc, colour);
    const BOOL drawn = TextOutA(dc, x, y, text, static_cast<int>(std::strlen(text)));
    SetTextColor(dc, previous);
    SetBkMode(dc, mode);
    return drawn != 0;
}

bool zrWindow::setWindowSize(int wid, int hgt) {
    if (wid <= 0 || hgt <= 0 || !mHwnd) {
        return false;
    }
    if (!SetWindowPos(hwndOf(this), nullptr, 0, 0, wid, hgt, SWP_NOMOVE | SWP_NOZORDER)) {
        return false;
    }
    RECT rect;
    GetClientRect(hwndOf(this), &rect);
    mWidth = rect.right;
    mHeight = rect.bottom;
    return createBackBuffer();
}

bool zrWindow::setClientSize(int wid, int hgt) {
    if (wid <= 0 || hgt <= 0 || !mHwnd) {
        return false;
    }
    RECT rect = {0, 0, wid, hgt};
    if (!AdjustWindowRectEx(&rect, mStyle, FALSE, mExStyle)) {
        return false;
    }
    if (!SetWindowPos(hwndOf(this), nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                      SWP_NOMOVE | SWP_NOZORDER)) {
        return false;
    }
    GetClientRect(hwndOf(this), &rect);
    mWidth = rect.right;
    mHeight = rect.bottom;
    return true;
}

bool zrWindow::toggleFullscreen() {
    if (!mHwnd) {
        return false;
    }
    HWND hwnd = hwndOf(this);
    if (!mFullscreen) {
        gSaved.style = mStyle;
        gSaved.exStyle = mExStyle;
        gSaved.placement.length = sizeof(gSaved.placement);
        GetWindowPlacement(hwnd, &gSaved.placement);
        DEVMODEA mode = {};
        mode.dmSize = sizeof(mode);
        if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode)) {
            return false;
        }
        if (!setStyle(hwnd, WS_POPUP, 0)) {
            return false;
        }
        mStyle = WS_POPUP;
        if (!setClientSize(static_cast<int>(mode.dmPelsWidth),
                           static_cast<int>(mode.dmPelsHeight))) {
            return false;
        }
        SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOCOPYBITS);
    } else {
        if (!setStyle(hwnd, gSaved.style, gSaved.exStyle)) {
            return false;
        }
        mStyle = gSaved.style;
        mExStyle = gSaved.exStyle;
        const RECT& normal = gSaved.placement.rcNormalPosition;
        if (!setWindowSize(normal.right - normal.left, normal.bottom - normal.top)) {
            return false;
        }
        if (!SetWindowPlacement(hwnd, &gSaved.placement)) {
            return false;
        }
    }
    mFullscreen = !mFullscreen;
    return true;
}

void zrWindow::setTitle(const char* title) {
    if (mHwnd) {
        SetWindowTextA(hwndOf(this), title ? title : "");
    }
}
