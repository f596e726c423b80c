// OpenGL contexts on the program's window. This is the one place that knows how the platform
// makes, binds and presents them (SDL on Linux, zrglcontext_sdl.cpp; WGL on Windows,
// zrglcontext_win32.cpp): the OpenGL back end and the Direct3D 9 layer get their contexts here
// and include no platform header.
//
// Single-threaded: a context is made, used and destroyed on the thread that runs the window.
#pragma once

#include <memory>
#include <string>

class zrWindow;

// The window's colour, depth and stencil buffers. The window is made with the defaults (its
// pixel format is chosen then), and a context on it must ask for the same.
struct zrGLBuffers {
    int colorBits = 8; // each of red, green, blue and alpha
    int depthBits = 24;
    int stencilBits = 8; // Direct3D's D24S8, which the Direct3D layer draws into the window with
    bool doubleBuffered = true;
};

enum class zrGLProfile { kCompatibility, kCore };

struct zrGLContextParams {
    int majorVersion = 2;
    int minorVersion = 1;
    zrGLProfile profile = zrGLProfile::kCompatibility;
    zrGLBuffers buffers;
    // Share textures and programs with the context current when this one is made.
    bool shareWithCurrent = false;
};

class zrGLContext {
public:
    // Makes a context on the window and makes it current. Null, with a one-line reason in
    // *error (error may be null), when the window has no native handle or the platform cannot
    // make the context or make it current.
    static std::unique_ptr<zrGLContext> create(zrWindow* window, const zrGLContextParams& params,
                                               std::string* error);
    // Destroys the context; if it was current, none is current afterwards.
    ~zrGLContext();

    // False (with the platform's reason on standard error) when it cannot be made current.
    bool makeCurrent();
    // Presents the back buffer of the window.
    void swapBuffers();

    // The current context's window picture (its back buffer), width × height pixels of red,
    // green, blue and alpha bytes, top row first. False when it cannot be read.
    static bool readPixels(int width, int height, unsigned char* rgba);
    // The driver's function of that name for the current context, or null.
    static void* getProcAddress(const char* name);
    // 0 switches vertical synchronisation off, 1 waits for it. False when the driver has no
    // swap control.
    static bool setSwapInterval(int interval);
    static int getSwapInterval();

    zrGLContext(const zrGLContext&) = delete;
    zrGLContext& operator=(const zrGLContext&) = delete;

private:
    zrGLContext(zrWindow* window, void* context) : mWindow(window), mContext(context) {}

    zrWindow* mWindow;
    void* mContext; // the platform's context handle
};
