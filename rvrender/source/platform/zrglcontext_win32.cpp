// OpenGL contexts on WGL. The window's pixel format is chosen by the first context made on it
// (Windows allows it to be set only once); a context of a version above 2.1 or of the core
// profile is made through WGL_ARB_create_context.
#include <cstdio>

#include "zrglcontext.h"
#include "zrwin32.h"
#include "zrwindow.h"

namespace {

// From WGL_ARB_create_context and WGL_ARB_create_context_profile.
constexpr int kWglContextMajorVersion = 0x2091;
constexpr int kWglContextMinorVersion = 0x2092;
constexpr int kWglContextProfileMask = 0x9126;
constexpr int kWglContextCoreProfileBit = 0x0001;
constexpr int kWglContextCompatibilityProfileBit = 0x0002;
using CreateContextAttribsProc = HGLRC(WINAPI*)(HDC, HGLRC, const int*);
using SwapIntervalProc = BOOL(WINAPI*)(int);
using GetSwapIntervalProc = int(WINAPI*)();

std::string lastError(const char* what) {
    char text[256] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   GetLastError(), 0, text, sizeof(text) - 1, nullptr);
    std::string reason = std::string(what) + ": " + text;
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r')) {
        reason.pop_back();
    }
    return reason;
}

bool choosePixelFormat(HDC dc, const zrGLBuffers& buffers, std::string* reason) {
    if (GetPixelFormat(dc) != 0) {
        return true;
    }
    PIXELFORMATDESCRIPTOR pfd = {};
    pfd.nSize = sizeof(pfd);
    pfd.nVersion = 1;
    pfd.dwFlags =
        PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | (buffers.doubleBuffered ? PFD_DOUBLEBUFFER : 0);
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = static_cast<BYTE>(buffers.colorBits * 3);
    pfd.cAlphaBits = static_cast<BYTE>(buffers.colorBits);
    pfd.cDepthBits = static_cast<BYTE>(buffers.depthBits);
    pfd.cStencilBits = static_cast<BYTE>(buffers.stencilBits);
    pfd.iLayerType = PFD_MAIN_PLANE;
    const int format = ChoosePixelFormat(dc, &pfd);
    if (format == 0) {
        *reason = lastError("no pixel format");
        return false;
    }
    if (!SetPixelFormat(dc, format, &pfd)) {
        *reason = lastError("the pixel format cannot be set");
        return false;
    }
    return true;
}

// A context of the requested version and profile, made with the help of a plain one.
HGLRC createContext(HDC dc, const zrGLContextParams& params, HGLRC share, std::string* reason) {
    HGLRC legacy = wglCreateContext(dc);
    if (!legacy) {
        *reason = lastError("no OpenGL context");
        return nullptr;
    }
    const bool plain =
        params.profile == zrGLProfile::kCompatibility &&
        (params.majorVersion < 2 || (params.majorVersion == 2 && params.minorVersion <= 1));
    if (plain) {
        if (share && !wglShareLists(share, legacy)) {
            wglDeleteContext(legacy);
            *reason = lastError("the OpenGL context cannot share with the current one");
            return nullptr;
        }
        return legacy;
    }
    HDC previousDC = wglGetCurrentDC();
    HGLRC previous = wglGetCurrentContext();
    wglMakeCurrent(dc, legacy);
    auto createAttribs = reinterpret_cast<CreateContextAttribsProc>(
        reinterpret_cast<void*>(wglGetProcAddress("wglCreateContextAttribsARB")));
    HGLRC context = nullptr;
    if (createAttribs) {
        const int attributes[] = {
            kWglContextMajorVersion,
            params.majorVersion,
            kWglContextMinorVersion,
            params.minorVersion,
            kWglContextProfileMask,
            params.profile == zrGLProfile::kCore ? kWglContextCoreProfileBit
                                                 : kWglContextCompatibilityProfileBit,
            0,
        };
        context = createAttribs(dc, share, attributes);
        if (!context) {
            *reason = lastError("no OpenGL context of the requested version");
        }
    } else {
        *reason = "the driver cannot make OpenGL contexts above version 2.1";
    }
    wglMakeCurrent(previousDC, previous);
    wglDeleteContext(legacy);
    return context;
}

} // namespace

std::unique_ptr<zrGLContext> zrGLContext::create(zrWindow* window, const zrGLContextParams& params,
                                                 std::string* error) {
    std::string reason;
    auto fail = [&]() {
        if (error) {
            *error = reason;
        }
        return nullptr;
    };
    HDC dc = window ? static_cast<HDC>(window->getHdc()) : nullptr;
    if (!dc) {
        reason = "the window has not been created";
        return fail();
    }
    if (!choosePixelFormat(dc, params.buffers, &reason)) {
        return fail();
    }
    HGLRC share = params.shareWithCurrent ? wglGetCurrentContext() : nullptr;
    HGLRC context = createContext(dc, params, share, &reason);
    if (!context) {
        return fail();
    }
    std::unique_ptr<zrGLContext> made(new zrGLContext(window, context));
    if (!wglMakeCurrent(dc, context)) {
        reason = lastError("the OpenGL context cannot be made current");
        return fail();
    }
    return made;
}

zrGLContext::~zrGLContext() {
    if (wglGetCurrentContext() == mContext) {
        wglMakeCurrent(nullptr, nullptr);
    }
    wglDeleteContext(static_cast<HGLRC>(mContext));
}

bool zrGLContext::makeCurrent() {
    if (!wglMakeCurrent(static_cast<HDC>(mWindow->getHdc()), static_cast<HGLRC>(mContext))) {
        std::fprintf(stderr, "%s\n", lastError("wglMakeCurrent").c_str());
        return false;
    }
    return true;
}

void zrGLContext::swapBuffers() {
    SwapBuffers(static_cast<HDC>(mWindow->getHdc()));
}

void* zrGLContext::getProcAddress(const char* name) {
    // wglGetProcAddress knows only what lies beyond OpenGL 1.1 (and some drivers answer 1, 2,
    // 3 or -1 for "no"); the 1.1 functions are exported by opengl32.dll itself.
    void* proc = reinterpret_cast<void*>(wglGetProcAddress(name));
    const auto value = reinterpret_cast<INT_PTR>(proc);
    if (value == 0 || value == 1 || value == 2 || value == 3 || value == -1) {
        proc = reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("opengl32.dll"), name));
    }
    return proc;
}

bool zrGLContext::setSwapInterval(int interval) {
    auto swapInterval = reinterpret_cast<SwapIntervalProc>(getProcAddress("wglSwapIntervalEXT"));
    return swapInterval && swapInterval(interval);
}

int zrGLContext::getSwapInterval() {
    auto getInterval =
        reinterpret_cast<GetSwapIntervalProc>(getProcAddress("wglGetSwapIntervalEXT"));
    return getInterval ? getInterval() : 0;
}
