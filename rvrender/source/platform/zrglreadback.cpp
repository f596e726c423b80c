// Reading the window's picture back from the current context, on every platform: the functions
// come from the driver (zrGLContext::getProcAddress), so that no OpenGL header is needed here.
#include <cstring>
#include <vector>

#include "zrglcontext.h"

namespace {

// The few OpenGL names used, with the values OpenGL gives them.
using GLenum = unsigned int;
using GLint = int;
using GLuint = unsigned int;
using GLsizei = int;
constexpr GLenum kFramebuffer = 0x8D40, kBack = 0x0405, kRGBA = 0x1908, kUnsignedByte = 0x1401;
constexpr GLenum kPackAlignment = 0x0D05;

#if defined(_WIN32)
#define ZR_GL_API __stdcall
#else
#define ZR_GL_API
#endif

template <class F> F proc(const char* name) {
    return reinterpret_cast<F>(zrGLContext::getProcAddress(name));
}

} // namespace

bool zrGLContext::readPixels(int width, int height, unsigned char* rgba) {
    using BindFramebuffer = void(ZR_GL_API*)(GLenum, GLuint);
    using ReadBuffer = void(ZR_GL_API*)(GLenum);
    using PixelStorei = void(ZR_GL_API*)(GLenum, GLint);
    using ReadPixels = void(ZR_GL_API*)(GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, void*);
    using GetError = GLenum(ZR_GL_API*)();
    const auto bindFramebuffer = proc<BindFramebuffer>("glBindFramebuffer");
    const auto readBuffer = proc<ReadBuffer>("glReadBuffer");
    const auto pixelStorei = proc<PixelStorei>("glPixelStorei");
    const auto readPixels = proc<ReadPixels>("glReadPixels");
    const auto getError = proc<GetError>("glGetError");
    if (!rgba || width <= 0 || height <= 0 || !readBuffer || !pixelStorei || !readPixels ||
        !getError) {
        return false;
    }
    while (getError() != 0) {
    }
    if (bindFramebuffer) {
        bindFramebuffer(kFramebuffer, 0);
    }
    readBuffer(kBack);
    pixelStorei(kPackAlignment, 1);
    readPixels(0, 0, width, height, kRGBA, kUnsignedByte, rgba);
    if (getError() != 0) {
        return false;
    }
    // OpenGL's first row is the bottom one.
    const std::size_t row = static_cast<std::size_t>(width) * 4;
    std::vector<unsigned char> swap(row);
    for (int y = 0; y < height / 2; ++y) {
        unsigned char* top = rgba + row * y;
        unsigned char* bottom = rgba + row * (height - 1 - y);
        std::memcpy(swap.data(), top, row);
        std::memcpy(top, bottom, row);
        std::memcpy(bottom, swap.data(), row);
    }
    return true;
}
