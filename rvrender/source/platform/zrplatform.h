// The few platform services the application needs besides the window and the input: message
// boxes, the window title, the cursor, coordinate conversion and the message pump. One
// implementation file per platform (zrplatform_sdl.cpp, zrplatform_win32.cpp).
#pragma once

class zrWindow;

struct zrPoint {
    int x, y;
};

// The program's module handle (an HINSTANCE) on Windows, which the window's create asks for;
// elsewhere a constant non-null stand-in.
void* zrModuleHandle();

// Starts the platform layer (video and events). False with a reason on standard error.
bool zrPlatformInit();
// Starts it for pictures without a desktop: windows are drawn but never shown, OpenGL comes
// from Mesa's EGL without a display (SDL's offscreen driver; on Windows an ordinary window),
// and messages go to standard error only. False with a reason on standard error.
bool zrPlatformInitHeadless();
void zrPlatformShutdown();

// A modal question with Yes and No buttons, owned by the window when it is given. Returns
// true only for Yes; No, Escape and closing the box return false.
bool zrAskYesNo(zrWindow* owner, const char* text, const char* caption);
// A modal message with an OK button. Also installed as the core's message handler.
void zrShowMessage(const char* text, const char* caption);

// The desktop's current mode on the display that holds the window (the first display without
// a window). False when the platform cannot tell.
struct zrDisplayMode {
    int width, height, refreshRate; // refreshRate 0: unknown
};
bool zrGetDisplayMode(zrWindow* window, zrDisplayMode* mode);
void zrSetWindowTitle(zrWindow* window, const char* title);
void zrHideCursor();
// Client coordinates of the window to screen coordinates, in place.
void zrClientToScreen(zrWindow* window, zrPoint* point);
void zrScreenToClient(zrWindow* window, zrPoint* point);

// Handles at most one pending message. Returns true when one was taken; *quit is set when it
// asks the program to end (the window was closed, or Escape was pressed in it).
bool zrPumpMessage(bool* quit);
