// OpenGL contexts on SDL2.
#include <cstdio>

#include "zrglcontext.h"
#include "zrsdl.h"
#include "zrwindow.h"

void zrSDLApplyBuffers(const zrGLBuffers& buffers) {
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, buffers.colorBits);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, buffers.colorBits);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, buffers.colorBits);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, buffers.colorBits);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, buffers.depthBits);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, buffers.stencilBits);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, buffers.doubleBuffered ? 1 : 0);
}

std::unique_ptr<zrGLContext> zrGLContext::create(zrWindow* window, const zrGLContextParams& params,
                                                 std::string* error) {
    auto fail = [error](const std::string& reason) {
        if (error) {
            *error = reason;
        }
        return nullptr;
    };
    SDL_Window* sdl = zrSDLWindow(window);
    if (!sdl) {
        return fail("the window has not been created");
    }
    zrSDLApplyBuffers(params.buffers);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, params.profile == zrGLProfile::kCore
                                                         ? SDL_GL_CONTEXT_PROFILE_CORE
                                                         : SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, params.majorVersion);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, params.minorVersion);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, 0);
    SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, params.shareWithCurrent ? 1 : 0);
    SDL_GLContext context = SDL_GL_CreateContext(sdl);
    SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 0);
    if (!context) {
        return fail(std::string("no OpenGL context: ") + SDL_GetError());
    }
    std::unique_ptr<zrGLContext> made(new zrGLContext(window, context));
    if (SDL_GL_MakeCurrent(sdl, context) != 0) {
        return fail(std::string("the OpenGL context cannot be made current: ") + SDL_GetError());
    }
    return made;
}

zrGLContext::~zrGLContext() {
    if (SDL_GL_GetCurrentContext() == mContext) {
        SDL_GL_MakeCurrent(zrSDLWindow(mWindow), nullptr);
    }
    SDL_GL_DeleteContext(mContext);
}

bool zrGLContext::makeCurrent() {
    if (SDL_GL_MakeCurrent(zrSDLWindow(mWindow), mContext) != 0) {
        std::fprintf(stderr, "SDL_GL_MakeCurrent: %s\n", SDL_GetError());
        return false;
    }
    return true;
}

void zrGLContext::swapBuffers() {
    SDL_GL_SwapWindow(zrSDLWindow(mWindow));
}

void* zrGLContext::getProcAddress(const char* name) {
    return SDL_GL_GetProcAddress(name);
}

bool zrGLContext::setSwapInterval(int interval) {
    return SDL_GL_SetSwapInterval(interval) == 0;
}

int zrGLContext::getSwapInterval() {
    return SDL_GL_GetSwapInterval();
}
