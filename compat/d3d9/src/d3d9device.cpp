// The device: Direct3D's state with its documented defaults, applied to OpenGL when a draw
// needs it; the back buffer; clearing, presenting, resetting and drawing.
//
// OpenGL is set up once to take Direct3D's clip space unchanged: depth from 0 to 1
// (glClipControl), clockwise front faces, and the viewport flipped to OpenGL's bottom-left
// origin.
//
// The device's state and its translation to OpenGL are d3d9state.cpp; its vertex input and
// draws, d3d9draw.cpp.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "d3d9device.h"
#include "zrglcontext.h"
#include "zrplatform.h"
#include "zrwindow.h"

namespace d3d9gl {

Device::Device(Direct3D* d3d, zrWindow* window, std::unique_ptr<zrGLContext> context,
               const zrGLBuffers& windowBuffers, const D3DPRESENT_PARAMETERS& parameters)
    : mD3D(d3d), mWindow(window), mContext(std::move(context)), mWindowBuffers(windowBuffers) {
    mD3D->AddRef();
    glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);
    glFrontFace(GL_CW);
    glEnable(GL_PROGRAM_POINT_SIZE);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glCreateSamplers(kSamplers, mSamplerObjects.data());
    for (int i = 0; i < kSamplers; ++i)
        glBindSampler(i, mSamplerObjects[i]);
    glCreateBuffers(1, &mUserVertices);
    glCreateBuffers(1, &mUserIndices);
    D3DPRESENT_PARAMETERS copy = parameters;
    Reset(&copy);
}

Device::~Device() {
    makeCurrent();
    for (auto& entry : mFVFDeclarations)
        entry.second->Release();
    releaseBackBuffer();
    glDeleteSamplers(kSamplers, mSamplerObjects.data());
    glDeleteBuffers(1, &mUserVertices);
    glDeleteBuffers(1, &mUserIndices);
    mContext.reset();
    mD3D->Release();
}

void Device::makeCurrent() {
    mContext->makeCurrent();
}

void Device::forget(const void* object) {
    mArrayBindings = {};
    ++mStateGeneration;
    for (auto& texture : mTextures) {
        if (texture == object)
            texture = nullptr;
    }
    for (auto& stream : mStreams) {
        if (stream.buffer == object)
            stream = {};
    }
    if (mIndices == object)
        mIndices = nullptr;
    if (mDeclaration == object)
        mDeclaration = nullptr;
    if (mBackBufferSurface == object)
        mBackBufferSurface = nullptr;
}

void Device::useProgram(GLuint program, unsigned integerInputs) {
    mProgram = program;
    mIntegerInputs = program ? integerInputs : 0;
}

HRESULT Device::GetDirect3D(IDirect3D9** d3d) {
    if (!d3d)
        return D3DERR_INVALIDCALL;
    mD3D->AddRef();
    *d3d = mD3D;
    return D3D_OK;
}

HRESULT Device::GetDeviceCaps(D3DCAPS9* caps) {
    return mD3D->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, caps);
}

HRESULT Device::GetDisplayMode(UINT swapChain, D3DDISPLAYMODE* mode) {
    if (swapChain != 0)
        return D3DERR_INVALIDCALL;
    return mD3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, mode);
}

// ---------------------------------------------------------------------------------------------
// Back buffer, reset and present.

// Drawing straight into the window saves Present a full-window copy. It needs the window's size,
// buffers with the depth and stencil asked for (the window's colour buffer is RGBA8, as the
// framebuffer object's), and a swap effect that leaves the back buffer undefined after Present.
bool Device::drawsIntoWindow(const D3DPRESENT_PARAMETERS& p) const {
    if (p.SwapEffect == D3DSWAPEFFECT_COPY || !mWindowBuffers.doubleBuffered ||
        mWindowBuffers.colorBits != 8 || p.BackBufferWidth != UINT(mWindow->getWidth()) ||
        p.BackBufferHeight != UINT(mWindow->getHeight()))
        return false;
    if (!p.EnableAutoDepthStencil)
        return true;
    const bool stencil = p.AutoDepthStencilFormat == D3DFMT_D24S8;
    return (stencil || p.AutoDepthStencilFormat == D3DFMT_D24X8) &&
           mWindowBuffers.depthBits == 24 && (!stencil || mWindowBuffers.stencilBits == 8);
}

bool Device::makeBackBuffer(const D3DPRESENT_PARAMETERS& p, bool intoWindow) {
    releaseBackBuffer();
    const UINT width = p.BackBufferWidth, height = p.BackBufferHeight;
    const bool depth = p.EnableAutoDepthStencil;
    mIntoWindow = intoWindow;
    if (!intoWindow) {
        glCreateFramebuffers(1, &mFramebuffer);
        glCreateRenderbuffers(1, &mColorBuffer);
        glNamedRenderbufferStorage(mColorBuffer, GL_RGBA8, width, height);
        glNamedFramebufferRenderbuffer(mFramebuffer, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                       mColorBuffer);
        if (depth) {
            glCreateRenderbuffers(1, &mDepthBuffer);
            glNamedRenderbufferStorage(mDepthBuffer, GL_DEPTH24_STENCIL8, width, height);
            glNamedFramebufferRenderbuffer(mFramebuffer, GL_DEPTH_STENCIL_ATTACHMENT,
                                           GL_RENDERBUFFER, mDepthBuffer);
        }
    }
    mBackWidth = width;
    mBackHeight = height;
    mHasDepth = depth;
    glBindFramebuffer(GL_FRAMEBUFFER, mFramebuffer);
    // Direct3D leaves new buffers undefined; black and the far plane are the kindest reading.
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    glClearColor(0, 0, 0, 1);
    glClearDepthf(1.0f);
    glClear(GL_COLOR_BUFFER_BIT | (depth ? GL_DEPTH_BUFFER_BIT : 0));
    return glCheckNamedFramebufferStatus(mFramebuffer, GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

void Device::releaseBackBuffer() {
    glDeleteFramebuffers(1, &mFramebuffer);
    glDeleteRenderbuffers(1, &mColorBuffer);
    glDeleteRenderbuffers(1, &mDepthBuffer);
    mFramebuffer = mColorBuffer = mDepthBuffer = 0;
}

HRESULT Device::Reset(D3DPRESENT_PARAMETERS* parameters) {
    if (!parameters || mPoolDefaultResources > 0 || mBackBufferSurface)
        return D3DERR_INVALIDCALL;
    if (parameters->EnableAutoDepthStencil) {
        switch (parameters->AutoDepthStencilFormat) {
        case D3DFMT_D16:
        case D3DFMT_D24S8:
        case D3DFMT_D24X8:
        case D3DFMT_D32:
            break;
        default:
            return D3DERR_INVALIDCALL;
        }
    }
    makeCurrent();
    D3DPRESENT_PARAMETERS p = *parameters;
    if (p.BackBufferWidth == 0)
        p.BackBufferWidth = static_cast<UINT>(mWindow->getWidth());
    if (p.BackBufferHeight == 0)
        p.BackBufferHeight = static_cast<UINT>(mWindow->getHeight());
    if (p.BackBufferFormat == D3DFMT_UNKNOWN)
        p.BackBufferFormat = D3DFMT_X8R8G8B8;
    if (p.BackBufferCount == 0)
        p.BackBufferCount = 1;
    if (p.BackBufferWidth == 0 || p.BackBufferHeight == 0 || !makeBackBuffer(p, drawsIntoWindow(p)))
        return D3DERR_INVALIDCALL;
    *parameters = p;
    mParameters = p;
    zrGLContext::setSwapInterval(p.PresentationInterval == D3DPRESENT_INTERVAL_IMMEDIATE ? 0 : 1);
    resetState();
    return D3D_OK;
}

HRESULT Device::Present(const RECT* source, const RECT* dest, HWND, const RGNDATA*) {
    if (source || dest)
        return D3DERR_INVALIDCALL;
    if (mInScene)
        return D3DERR_INVALIDCALL;
    const GLint width = mWindow->getWidth(), height = mWindow->getHeight();
    if (mIntoWindow) {
        mContext->swapBuffers();
        // A window that changed size since the last Reset (a switch to full screen) gets the
        // back buffer stretched onto it from the next frame on, as Direct3D does.
        if (UINT(width) != mBackWidth || UINT(height) != mBackHeight)
            makeBackBuffer(mParameters, false);
        mStateDirty = true;
        return D3D_OK;
    }
    glDisable(GL_SCISSOR_TEST);
    // Binding the window's framebuffer lets the driver notice that the window changed size
    // (a switch to full screen); a blit into it while another framebuffer is bound would be
    // cut to its old size.
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glViewport(0, 0, width, height);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, mFramebuffer);
    glBlitFramebuffer(0, 0, static_cast<GLint>(mBackWidth), static_cast<GLint>(mBackHeight), 0, 0,
                      width, height, GL_COLOR_BUFFER_BIT, GL_LINEAR);
    mContext->swapBuffers();
    glBindFramebuffer(GL_FRAMEBUFFER, mFramebuffer);
    mStateDirty = true;
    return D3D_OK;
}

HRESULT Device::GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE type,
                              IDirect3DSurface9** surface) {
    if (!surface || swapChain != 0 || index != 0 || type != D3DBACKBUFFER_TYPE_MONO)
        return D3DERR_INVALIDCALL;
    if (mBackBufferSurface) {
        mBackBufferSurface->AddRef();
    } else {
        D3DSURFACE_DESC desc = {mParameters.BackBufferFormat,
                                D3DRTYPE_SURFACE,
                                D3DUSAGE_RENDERTARGET,
                                D3DPOOL_DEFAULT,
                                D3DMULTISAMPLE_NONE,
                                0,
                                mBackWidth,
                                mBackHeight};
        mBackBufferSurface = new Surface(this, Surface::Kind::kBackBuffer, desc);
    }
    *surface = mBackBufferSurface;
    return D3D_OK;
}

HRESULT Device::GetRenderTargetData(IDirect3DSurface9* target, IDirect3DSurface9* dest) {
    auto* from = dynamic_cast<Surface*>(target);
    auto* to = dynamic_cast<Surface*>(dest);
    if (!from || !to || from->kind() != Surface::Kind::kBackBuffer ||
        to->kind() != Surface::Kind::kPlain || to->desc().Pool != D3DPOOL_SYSTEMMEM ||
        to->desc().Width != mBackWidth || to->desc().Height != mBackHeight ||
        bytesPerTexel(to->desc().Format) != 4)
        return D3DERR_INVALIDCALL;
    // OpenGL's rows run bottom-up; the surface's top-down.
    std::vector<std::uint8_t> rows(static_cast<size_t>(mBackWidth) * mBackHeight * 4);
    glNamedFramebufferReadBuffer(mFramebuffer, mIntoWindow ? GL_BACK : GL_COLOR_ATTACHMENT0);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, mFramebuffer);
    glReadPixels(0, 0, mBackWidth, mBackHeight, GL_BGRA, GL_UNSIGNED_BYTE, rows.data());
    const size_t row = mBackWidth * 4;
    for (UINT y = 0; y < mBackHeight; ++y) {
        std::uint8_t* out = to->bits() + static_cast<size_t>(y) * to->pitch();
        std::memcpy(out, rows.data() + (mBackHeight - 1 - y) * row, row);
        if (to->desc().Format == D3DFMT_X8R8G8B8 || mParameters.BackBufferFormat == D3DFMT_X8R8G8B8)
            for (UINT x = 0; x < mBackWidth; ++x)
                out[4 * x + 3] = 0xFF;
    }
    return D3D_OK;
}

} // namespace d3d9gl
