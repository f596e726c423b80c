// The device: Direct3D's state with its documented defaults, applied to OpenGL when a draw
// needs it; the back buffer; clearing, presenting, resetting and drawing.
//
// OpenGL is set up once to take Direct3D's clip space unchanged: depth from 0 to 1
// (glClipControl), clockwise front faces, and the viewport flipped to OpenGL's bottom-left
// origin.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "d3d9device.h"
#include "zrglcontext.h"
#include "zrplatform.h"
#include "zrwindow.h"

namespace d3d9gl {

namespace {

const D3DMATRIX kIdentity = {{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}}};

DWORD floatBits(float f) {
    DWORD bits;
    std::memcpy(&bits, &f, 4);
    return bits;
}

GLenum blendFactor(DWORD blend, bool* known) {
    switch (blend) {
    case D3DBLEND_ZERO:
        return GL_ZERO;
    case D3DBLEND_ONE:
        return GL_ONE;
    case D3DBLEND_SRCCOLOR:
        return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR:
        return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA:
        return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA:
        return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA:
        return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA:
        return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR:
        return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR:
        return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT:
        return GL_SRC_ALPHA_SATURATE;
    case D3DBLEND_BLENDFACTOR:
        return GL_CONSTANT_COLOR;
    case D3DBLEND_INVBLENDFACTOR:
        return GL_ONE_MINUS_CONSTANT_COLOR;
    default:
        *known = false;
        return GL_ONE;
    }
}

GLenum compareFunction(DWORD func) {
    static const GLenum kFunctions[] = {GL_NEVER,   GL_LESS,     GL_EQUAL,  GL_LEQUAL,
                                        GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS};
    return func >= D3DCMP_NEVER && func <= D3DCMP_ALWAYS ? kFunctions[func - 1] : GL_ALWAYS;
}

GLenum stencilOperation(DWORD op) {
    static const GLenum kOps[] = {GL_KEEP, GL_ZERO,   GL_REPLACE,   GL_INCR,
                                  GL_DECR, GL_INVERT, GL_INCR_WRAP, GL_DECR_WRAP};
    return op >= D3DSTENCILOP_KEEP && op <= D3DSTENCILOP_DECR ? kOps[op - 1] : GL_KEEP;
}

GLenum addressMode(DWORD mode) {
    switch (mode) {
    case D3DTADDRESS_MIRROR:
        return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP:
        return GL_CLAMP_TO_EDGE;
    case D3DTADDRESS_BORDER:
        return GL_CLAMP_TO_BORDER;
    case D3DTADDRESS_MIRRORONCE:
        return GL_MIRROR_CLAMP_TO_EDGE;
    default:
        return GL_REPEAT;
    }
}

// Vertices and OpenGL mode of a primitive count.
bool primitiveVertices(D3DPRIMITIVETYPE type, UINT count, GLenum* mode, UINT* vertices) {
    switch (type) {
    case D3DPT_POINTLIST:
        *mode = GL_POINTS;
        *vertices = count;
        return true;
    case D3DPT_LINELIST:
        *mode = GL_LINES;
        *vertices = 2 * count;
        return true;
    case D3DPT_LINESTRIP:
        *mode = GL_LINE_STRIP;
        *vertices = count + 1;
        return true;
    case D3DPT_TRIANGLELIST:
        *mode = GL_TRIANGLES;
        *vertices = 3 * count;
        return true;
    case D3DPT_TRIANGLESTRIP:
        *mode = GL_TRIANGLE_STRIP;
        *vertices = count + 2;
        return true;
    case D3DPT_TRIANGLEFAN:
        *mode = GL_TRIANGLE_FAN;
        *vertices = count + 2;
        return true;
    default:
        return false;
    }
}

int transformIndex(D3DTRANSFORMSTATETYPE state) {
    if (state == D3DTS_WORLD)
        return Device::kWorld;
    if (state == D3DTS_VIEW)
        return Device::kView;
    if (state == D3DTS_PROJECTION)
        return Device::kProjection;
    if (state >= D3DTS_TEXTURE0 && state <= D3DTS_TEXTURE7)
        return Device::kTexture0 + (state - D3DTS_TEXTURE0);
    return -1;
}

} // namespace

Device::Device(Direct3D* d3d, zrWindow* window, std::unique_ptr<zrGLContext> context,
               const D3DPRESENT_PARAMETERS& parameters)
    : mD3D(d3d), mWindow(window), mContext(std::move(context)) {
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

bool Device::makeBackBuffer(UINT width, UINT height, bool depth) {
    releaseBackBuffer();
    glCreateFramebuffers(1, &mFramebuffer);
    glCreateRenderbuffers(1, &mColorBuffer);
    glNamedRenderbufferStorage(mColorBuffer, GL_RGBA8, width, height);
    glNamedFramebufferRenderbuffer(mFramebuffer, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                   mColorBuffer);
    if (depth) {
        glCreateRenderbuffers(1, &mDepthBuffer);
        glNamedRenderbufferStorage(mDepthBuffer, GL_DEPTH24_STENCIL8, width, height);
        glNamedFramebufferRenderbuffer(mFramebuffer, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                                       mDepthBuffer);
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
    if (p.BackBufferWidth == 0 || p.BackBufferHeight == 0 ||
        !makeBackBuffer(p.BackBufferWidth, p.BackBufferHeight, p.EnableAutoDepthStencil))
        return D3DERR_INVALIDCALL;
    *parameters = p;
    mParameters = p;
    zrGLContext::setSwapInterval(p.PresentationInterval == D3DPRESENT_INTERVAL_IMMEDIATE ? 0 : 1);
    resetState();
    return D3D_OK;
}

void Device::resetState() {
    mRenderStates.fill(0);
    auto rs = [this](D3DRENDERSTATETYPE state, DWORD value) { mRenderStates[state] = value; };
    rs(D3DRS_ZENABLE, mParameters.EnableAutoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE);
    rs(D3DRS_FILLMODE, D3DFILL_SOLID);
    rs(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
    rs(D3DRS_ZWRITEENABLE, TRUE);
    rs(D3DRS_LASTPIXEL, TRUE);
    rs(D3DRS_SRCBLEND, D3DBLEND_ONE);
    rs(D3DRS_DESTBLEND, D3DBLEND_ZERO);
    rs(D3DRS_CULLMODE, D3DCULL_CCW);
    rs(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    rs(D3DRS_ALPHAFUNC, D3DCMP_ALWAYS);
    rs(D3DRS_FOGDENSITY, floatBits(1.0f));
    rs(D3DRS_FOGEND, floatBits(1.0f));
    rs(D3DRS_STENCILFAIL, D3DSTENCILOP_KEEP);
    rs(D3DRS_STENCILZFAIL, D3DSTENCILOP_KEEP);
    rs(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
    rs(D3DRS_STENCILFUNC, D3DCMP_ALWAYS);
    rs(D3DRS_STENCILMASK, 0xFFFFFFFF);
    rs(D3DRS_STENCILWRITEMASK, 0xFFFFFFFF);
    rs(D3DRS_TEXTUREFACTOR, 0xFFFFFFFF);
    rs(D3DRS_CLIPPING, TRUE);
    rs(D3DRS_LIGHTING, TRUE);
    rs(D3DRS_COLORVERTEX, TRUE);
    rs(D3DRS_LOCALVIEWER, TRUE);
    rs(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1);
    rs(D3DRS_SPECULARMATERIALSOURCE, D3DMCS_COLOR2);
    rs(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL);
    rs(D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_MATERIAL);
    rs(D3DRS_POINTSIZE, floatBits(1.0f));
    rs(D3DRS_POINTSIZE_MIN, floatBits(1.0f));
    rs(D3DRS_POINTSCALE_A, floatBits(1.0f));
    rs(D3DRS_POINTSIZE_MAX, floatBits(64.0f));
    rs(D3DRS_MULTISAMPLEANTIALIAS, TRUE);
    rs(D3DRS_MULTISAMPLEMASK, 0xFFFFFFFF);
    rs(D3DRS_COLORWRITEENABLE, 0xF);
    rs(D3DRS_BLENDOP, D3DBLENDOP_ADD);
    rs(D3DRS_BLENDFACTOR, 0xFFFFFFFF);
    rs(D3DRS_SRCBLENDALPHA, D3DBLEND_ONE);
    rs(D3DRS_DESTBLENDALPHA, D3DBLEND_ZERO);
    rs(D3DRS_BLENDOPALPHA, D3DBLENDOP_ADD);

    for (int stage = 0; stage < kStages; ++stage) {
        auto& s = mStageStates[stage];
        s.fill(0);
        s[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        s[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
        s[D3DTSS_COLORARG2] = D3DTA_CURRENT;
        s[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        s[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        s[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
        s[D3DTSS_TEXCOORDINDEX] = static_cast<DWORD>(stage);
    }
    for (int sampler = 0; sampler < kSamplers; ++sampler) {
        auto& s = mSamplerStates[sampler];
        s.fill(0);
        s[D3DSAMP_ADDRESSU] = s[D3DSAMP_ADDRESSV] = s[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
        s[D3DSAMP_MAGFILTER] = s[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
        s[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
        s[D3DSAMP_MAXANISOTROPY] = 1;
        applySampler(sampler);
    }
    for (auto& transform : mTransforms)
        transform = kIdentity;
    mMaterial = {};
    mViewport = {0, 0, mBackWidth, mBackHeight, 0.0f, 1.0f};
    mScissor = {0, 0, static_cast<LONG>(mBackWidth), static_cast<LONG>(mBackHeight)};
    mTextures.fill(nullptr);
    mStreams.fill({});
    mIndices = nullptr;
    mDeclaration = nullptr;
    mFVF = 0;
    mProgram = 0;
    mIntegerInputs = 0;
    mStateDirty = true;
}

HRESULT Device::Present(const RECT* source, const RECT* dest, HWND, const RGNDATA*) {
    if (source || dest)
        return D3DERR_INVALIDCALL;
    if (mInScene)
        return D3DERR_INVALIDCALL;
    const GLint width = mWindow->getWidth(), height = mWindow->getHeight();
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
    glNamedFramebufferReadBuffer(mFramebuffer, GL_COLOR_ATTACHMENT0);
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

// ---------------------------------------------------------------------------------------------
// Scene, clear and state.

HRESULT Device::BeginScene() {
    if (mInScene)
        return D3DERR_INVALIDCALL;
    mInScene = true;
    return D3D_OK;
}

HRESULT Device::EndScene() {
    if (!mInScene)
        return D3DERR_INVALIDCALL;
    mInScene = false;
    return D3D_OK;
}

void Device::applyViewport() {
    const auto& v = mViewport;
    glViewport(v.X, static_cast<GLint>(mBackHeight - v.Y - v.Height), v.Width, v.Height);
    glDepthRangef(v.MinZ, v.MaxZ);
}

HRESULT Device::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                      DWORD stencil) {
    if ((count > 0) != (rects != nullptr))
        return D3DERR_INVALIDCALL;
    if ((flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) && !mHasDepth)
        return D3DERR_INVALIDCALL;
    if (!(flags & (D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)))
        return D3DERR_INVALIDCALL;
    glBindFramebuffer(GL_FRAMEBUFFER, mFramebuffer);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    glStencilMask(0xFF);
    glClearColor(((color >> 16) & 255) / 255.0f, ((color >> 8) & 255) / 255.0f,
                 (color & 255) / 255.0f, (color >> 24) / 255.0f);
    glClearDepthf(z);
    glClearStencil(static_cast<GLint>(stencil));
    GLbitfield mask = 0;
    if (flags & D3DCLEAR_TARGET)
        mask |= GL_COLOR_BUFFER_BIT;
    if (flags & D3DCLEAR_ZBUFFER)
        mask |= GL_DEPTH_BUFFER_BIT;
    if (flags & D3DCLEAR_STENCIL)
        mask |= GL_STENCIL_BUFFER_BIT;
    // The cleared area: viewport ∩ scissor (when on) ∩ each rectangle, in top-left coordinates.
    LONG left = mViewport.X, top = mViewport.Y;
    LONG right = left + mViewport.Width, bottom = top + mViewport.Height;
    if (mRenderStates[D3DRS_SCISSORTESTENABLE]) {
        left = std::max(left, mScissor.left);
        top = std::max(top, mScissor.top);
        right = std::min(right, mScissor.right);
        bottom = std::min(bottom, mScissor.bottom);
    }
    glEnable(GL_SCISSOR_TEST);
    auto clearArea = [&](LONG x1, LONG y1, LONG x2, LONG y2) {
        x1 = std::max(x1, left);
        y1 = std::max(y1, top);
        x2 = std::min(x2, right);
        y2 = std::min(y2, bottom);
        if (x1 >= x2 || y1 >= y2)
            return;
        glScissor(x1, static_cast<GLint>(mBackHeight) - y2, x2 - x1, y2 - y1);
        glClear(mask);
    };
    if (count == 0)
        clearArea(left, top, right, bottom);
    for (DWORD i = 0; i < count; ++i)
        clearArea(rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2);
    mStateDirty = true;
    return D3D_OK;
}

HRESULT Device::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
    const int index = transformIndex(state);
    if (!matrix || index < 0)
        return D3DERR_INVALIDCALL;
    mTransforms[index] = *matrix;
    return D3D_OK;
}

HRESULT Device::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) {
    const int index = transformIndex(state);
    if (!matrix || index < 0)
        return D3DERR_INVALIDCALL;
    *matrix = mTransforms[index];
    return D3D_OK;
}

HRESULT Device::SetViewport(const D3DVIEWPORT9* viewport) {
    if (!viewport || viewport->Width == 0 || viewport->Height == 0 ||
        viewport->X + viewport->Width > mBackWidth ||
        viewport->Y + viewport->Height > mBackHeight || viewport->MinZ < 0.0f ||
        viewport->MaxZ > 1.0f || viewport->MinZ > viewport->MaxZ)
        return D3DERR_INVALIDCALL;
    mViewport = *viewport;
    mStateDirty = true;
    return D3D_OK;
}

HRESULT Device::GetViewport(D3DVIEWPORT9* viewport) {
    if (!viewport)
        return D3DERR_INVALIDCALL;
    *viewport = mViewport;
    return D3D_OK;
}

HRESULT Device::SetMaterial(const D3DMATERIAL9* material) {
    if (!material)
        return D3DERR_INVALIDCALL;
    mMaterial = *material;
    return D3D_OK;
}

HRESULT Device::GetMaterial(D3DMATERIAL9* material) {
    if (!material)
        return D3DERR_INVALIDCALL;
    *material = mMaterial;
    return D3D_OK;
}

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    if (state < 0 || state >= kRenderStates)
        return D3DERR_INVALIDCALL;
    mRenderStates[state] = value;
    mStateDirty = true;
    return D3D_OK;
}

HRESULT Device::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) {
    if (!value || state < 0 || state >= kRenderStates)
        return D3DERR_INVALIDCALL;
    *value = mRenderStates[state];
    return D3D_OK;
}

HRESULT Device::GetTexture(DWORD stage, IDirect3DBaseTexture9** texture) {
    if (!texture || stage >= kSamplers)
        return D3DERR_INVALIDCALL;
    *texture = mTextures[stage];
    if (*texture)
        (*texture)->AddRef();
    return D3D_OK;
}

HRESULT Device::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) {
    if (stage >= kSamplers || (texture && !dynamic_cast<Texture*>(texture)))
        return D3DERR_INVALIDCALL;
    mTextures[stage] = texture;
    glBindTextureUnit(stage, textureName(texture));
    return D3D_OK;
}

HRESULT Device::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) {
    if (!value || stage >= kStages || type < 0 || type >= kStageStates)
        return D3DERR_INVALIDCALL;
    *value = mStageStates[stage][type];
    return D3D_OK;
}

HRESULT Device::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
    if (stage >= kStages || type < 0 || type >= kStageStates)
        return D3DERR_INVALIDCALL;
    mStageStates[stage][type] = value;
    return D3D_OK;
}

HRESULT Device::GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) {
    if (!value || sampler >= kSamplers || type < 0 || type >= kSamplerStates)
        return D3DERR_INVALIDCALL;
    *value = mSamplerStates[sampler][type];
    return D3D_OK;
}

HRESULT Device::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
    if (sampler >= kSamplers || type < 0 || type >= kSamplerStates)
        return D3DERR_INVALIDCALL;
    mSamplerStates[sampler][type] = value;
    applySampler(static_cast<int>(sampler));
    return D3D_OK;
}

void Device::applySampler(int sampler) {
    const auto& s = mSamplerStates[sampler];
    const GLuint object = mSamplerObjects[sampler];
    const bool linearMin = s[D3DSAMP_MINFILTER] >= D3DTEXF_LINEAR;
    GLenum min = linearMin ? GL_LINEAR : GL_NEAREST;
    if (s[D3DSAMP_MIPFILTER] == D3DTEXF_POINT)
        min = linearMin ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    else if (s[D3DSAMP_MIPFILTER] >= D3DTEXF_LINEAR)
        min = linearMin ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    glSamplerParameteri(object, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(min));
    glSamplerParameteri(object, GL_TEXTURE_MAG_FILTER,
                        s[D3DSAMP_MAGFILTER] >= D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST);
    glSamplerParameteri(object, GL_TEXTURE_WRAP_S,
                        static_cast<GLint>(addressMode(s[D3DSAMP_ADDRESSU])));
    glSamplerParameteri(object, GL_TEXTURE_WRAP_T,
                        static_cast<GLint>(addressMode(s[D3DSAMP_ADDRESSV])));
    glSamplerParameteri(object, GL_TEXTURE_WRAP_R,
                        static_cast<GLint>(addressMode(s[D3DSAMP_ADDRESSW])));
    const D3DCOLOR border = s[D3DSAMP_BORDERCOLOR];
    const float color[4] = {((border >> 16) & 255) / 255.0f, ((border >> 8) & 255) / 255.0f,
                            (border & 255) / 255.0f, (border >> 24) / 255.0f};
    glSamplerParameterfv(object, GL_TEXTURE_BORDER_COLOR, color);
    float bias;
    std::memcpy(&bias, &s[D3DSAMP_MIPMAPLODBIAS], 4);
    glSamplerParameterf(object, GL_TEXTURE_LOD_BIAS, bias);
    glSamplerParameterf(object, GL_TEXTURE_MIN_LOD, static_cast<float>(s[D3DSAMP_MAXMIPLEVEL]));
}

HRESULT Device::SetScissorRect(const RECT* rect) {
    if (!rect || rect->left > rect->right || rect->top > rect->bottom)
        return D3DERR_INVALIDCALL;
    mScissor = *rect;
    mStateDirty = true;
    return D3D_OK;
}

HRESULT Device::GetScissorRect(RECT* rect) {
    if (!rect)
        return D3DERR_INVALIDCALL;
    *rect = mScissor;
    return D3D_OK;
}

void Device::applyState() {
    const auto& r = mRenderStates;
    glBindFramebuffer(GL_FRAMEBUFFER, mFramebuffer);
    applyViewport();
    if (r[D3DRS_SCISSORTESTENABLE]) {
        glEnable(GL_SCISSOR_TEST);
        glScissor(mScissor.left, static_cast<GLint>(mBackHeight) - mScissor.bottom,
                  mScissor.right - mScissor.left, mScissor.bottom - mScissor.top);
    } else {
        glDisable(GL_SCISSOR_TEST);
    }
    if (r[D3DRS_ZENABLE] && mHasDepth)
        glEnable(GL_DEPTH_TEST);
    else
        glDisable(GL_DEPTH_TEST);
    glDepthMask(r[D3DRS_ZWRITEENABLE] ? GL_TRUE : GL_FALSE);
    glDepthFunc(compareFunction(r[D3DRS_ZFUNC]));
    const DWORD cull = r[D3DRS_CULLMODE];
    if (cull == D3DCULL_CW || cull == D3DCULL_CCW) {
        glEnable(GL_CULL_FACE);
        glCullFace(cull == D3DCULL_CCW ? GL_BACK : GL_FRONT);
    } else {
        glDisable(GL_CULL_FACE);
    }
    const DWORD fill = r[D3DRS_FILLMODE];
    glPolygonMode(GL_FRONT_AND_BACK, fill == D3DFILL_POINT       ? GL_POINT
                                     : fill == D3DFILL_WIREFRAME ? GL_LINE
                                                                 : GL_FILL);
    if (r[D3DRS_ALPHABLENDENABLE]) {
        glEnable(GL_BLEND);
        bool known = true;
        GLenum src = blendFactor(r[D3DRS_SRCBLEND], &known);
        GLenum dst = blendFactor(r[D3DRS_DESTBLEND], &known);
        if (r[D3DRS_SRCBLEND] == D3DBLEND_BOTHSRCALPHA) {
            src = GL_SRC_ALPHA;
            dst = GL_ONE_MINUS_SRC_ALPHA;
        } else if (r[D3DRS_SRCBLEND] == D3DBLEND_BOTHINVSRCALPHA) {
            src = GL_ONE_MINUS_SRC_ALPHA;
            dst = GL_SRC_ALPHA;
        }
        glBlendFunc(src, dst);
        static const GLenum kOps[] = {GL_FUNC_ADD, GL_FUNC_SUBTRACT, GL_FUNC_REVERSE_SUBTRACT,
                                      GL_MIN, GL_MAX};
        const DWORD op = r[D3DRS_BLENDOP];
        glBlendEquation(op >= 1 && op <= 5 ? kOps[op - 1] : GL_FUNC_ADD);
        const D3DCOLOR f = r[D3DRS_BLENDFACTOR];
        glBlendColor(((f >> 16) & 255) / 255.0f, ((f >> 8) & 255) / 255.0f, (f & 255) / 255.0f,
                     (f >> 24) / 255.0f);
    } else {
        glDisable(GL_BLEND);
    }
    const DWORD write = r[D3DRS_COLORWRITEENABLE];
    glColorMask(write & 1, (write >> 1) & 1, (write >> 2) & 1, (write >> 3) & 1);
    if (r[D3DRS_STENCILENABLE] && mHasDepth) {
        glEnable(GL_STENCIL_TEST);
        glStencilFunc(compareFunction(r[D3DRS_STENCILFUNC]),
                      static_cast<GLint>(r[D3DRS_STENCILREF]), r[D3DRS_STENCILMASK]);
        glStencilOp(stencilOperation(r[D3DRS_STENCILFAIL]), stencilOperation(r[D3DRS_STENCILZFAIL]),
                    stencilOperation(r[D3DRS_STENCILPASS]));
        glStencilMask(r[D3DRS_STENCILWRITEMASK]);
    } else {
        glDisable(GL_STENCIL_TEST);
    }
    mStateDirty = false;
}

// ---------------------------------------------------------------------------------------------
// Vertex declarations, streams and drawing.

HRESULT Device::CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements,
                                        IDirect3DVertexDeclaration9** declaration) {
    std::vector<D3DVERTEXELEMENT9> list;
    if (!declaration || !validDeclaration(elements, &list))
        return D3DERR_INVALIDCALL;
    *declaration = new VertexDeclaration(this, std::move(list));
    return D3D_OK;
}

HRESULT Device::SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration) {
    auto* ours = dynamic_cast<VertexDeclaration*>(declaration);
    if (declaration && !ours)
        return D3DERR_INVALIDCALL;
    // Held without a public reference, as every binding is; a declaration that goes away
    // unbinds itself.
    mDeclaration = ours;
    mFVF = 0;
    return D3D_OK;
}

HRESULT Device::GetVertexDeclaration(IDirect3DVertexDeclaration9** declaration) {
    if (!declaration)
        return D3DERR_INVALIDCALL;
    *declaration = mDeclaration;
    if (mDeclaration)
        mDeclaration->AddRef();
    return D3D_OK;
}

HRESULT Device::SetFVF(DWORD fvf) {
    if (fvf == 0)
        return D3D_OK;
    auto found = mFVFDeclarations.find(fvf);
    if (found == mFVFDeclarations.end()) {
        std::vector<D3DVERTEXELEMENT9> list;
        if (!declarationOfFVF(fvf, &list))
            return D3DERR_INVALIDCALL;
        found = mFVFDeclarations.emplace(fvf, new VertexDeclaration(this, list, false)).first;
    }
    SetVertexDeclaration(found->second);
    mFVF = fvf;
    return D3D_OK;
}

HRESULT Device::GetFVF(DWORD* fvf) {
    if (!fvf)
        return D3DERR_INVALIDCALL;
    *fvf = mFVF;
    return D3D_OK;
}

HRESULT Device::SetVertexShader(IDirect3DVertexShader9* shader) {
    if (shader)
        return D3DERR_INVALIDCALL; // only effects bind programs here
    useProgram(0, 0);
    return D3D_OK;
}

HRESULT Device::GetVertexShader(IDirect3DVertexShader9** shader) {
    if (!shader)
        return D3DERR_INVALIDCALL;
    *shader = nullptr;
    return D3D_OK;
}

HRESULT Device::SetPixelShader(IDirect3DPixelShader9* shader) {
    if (shader)
        return D3DERR_INVALIDCALL;
    useProgram(0, 0);
    return D3D_OK;
}

HRESULT Device::GetPixelShader(IDirect3DPixelShader9** shader) {
    if (!shader)
        return D3DERR_INVALIDCALL;
    *shader = nullptr;
    return D3D_OK;
}

HRESULT Device::SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset,
                                UINT stride) {
    auto* ours = dynamic_cast<VertexBuffer*>(buffer);
    if (stream >= kStreams || (buffer && !ours) || (ours && offset >= ours->size() && offset))
        return D3DERR_INVALIDCALL;
    mStreams[stream] = {ours, offset, stride};
    return D3D_OK;
}

HRESULT Device::GetStreamSource(UINT stream, IDirect3DVertexBuffer9** buffer, UINT* offset,
                                UINT* stride) {
    if (stream >= kStreams || !buffer || !offset || !stride)
        return D3DERR_INVALIDCALL;
    *buffer = mStreams[stream].buffer;
    if (*buffer)
        (*buffer)->AddRef();
    *offset = mStreams[stream].offset;
    *stride = mStreams[stream].stride;
    return D3D_OK;
}

HRESULT Device::SetIndices(IDirect3DIndexBuffer9* buffer) {
    auto* ours = dynamic_cast<IndexBuffer*>(buffer);
    if (buffer && !ours)
        return D3DERR_INVALIDCALL;
    mIndices = ours;
    return D3D_OK;
}

HRESULT Device::GetIndices(IDirect3DIndexBuffer9** buffer) {
    if (!buffer)
        return D3DERR_INVALIDCALL;
    *buffer = mIndices;
    if (mIndices)
        mIndices->AddRef();
    return D3D_OK;
}

bool Device::prepareDraw(D3DPRIMITIVETYPE type, bool indexed) {
    if (!mDeclaration || (indexed && !mIndices))
        return false;
    for (unsigned s = 0; s < kStreams; ++s) {
        if ((mDeclaration->streams() >> s & 1) && !mStreams[s].buffer)
            return false;
    }
    if (mStateDirty)
        applyState();
    const GLuint vertexArray = mDeclaration->vertexArray(mIntegerInputs);
    for (unsigned s = 0; s < kStreams; ++s) {
        if (mDeclaration->streams() >> s & 1)
            glVertexArrayVertexBuffer(vertexArray, s, mStreams[s].buffer->name(),
                                      mStreams[s].offset, static_cast<GLsizei>(mStreams[s].stride));
    }
    glVertexArrayElementBuffer(vertexArray, indexed ? mIndices->name() : 0);
    glBindVertexArray(vertexArray);
    if (mProgram)
        glUseProgram(mProgram);
    else
        mFixedFunction.prepare(*this, type, mDeclaration->inputs());
    return true;
}

HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE type, UINT start, UINT count) {
    GLenum mode;
    UINT vertices;
    if (!primitiveVertices(type, count, &mode, &vertices))
        return D3DERR_INVALIDCALL;
    if (count == 0)
        return D3D_OK;
    if (!prepareDraw(type, false))
        return D3DERR_INVALIDCALL;
    glDrawArrays(mode, static_cast<GLint>(start), static_cast<GLsizei>(vertices));
    return D3D_OK;
}

HRESULT Device::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertex, UINT minIndex,
                                     UINT numVertices, UINT startIndex, UINT count) {
    GLenum mode;
    UINT indices;
    if (!primitiveVertices(type, count, &mode, &indices))
        return D3DERR_INVALIDCALL;
    if (count == 0)
        return D3D_OK;
    if (!prepareDraw(type, true))
        return D3DERR_INVALIDCALL;
    D3DINDEXBUFFER_DESC desc;
    mIndices->GetDesc(&desc);
    const UINT size = desc.Format == D3DFMT_INDEX32 ? 4 : 2;
    if (static_cast<uint64_t>(startIndex + indices) * size > desc.Size)
        return D3DERR_INVALIDCALL;
    glDrawRangeElementsBaseVertex(
        mode, minIndex, minIndex + (numVertices ? numVertices - 1 : 0),
        static_cast<GLsizei>(indices), size == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
        reinterpret_cast<const void*>(uintptr_t{startIndex} * size), baseVertex);
    return D3D_OK;
}

void Device::drawUserPrimitives(D3DPRIMITIVETYPE type, UINT count, UINT vertexCount,
                                const void* vertices, UINT stride, const void* indices,
                                D3DFORMAT indexFormat) {
    GLenum mode;
    UINT elements;
    primitiveVertices(type, count, &mode, &elements);
    glNamedBufferData(mUserVertices, static_cast<GLsizeiptr>(vertexCount) * stride, vertices,
                      GL_STREAM_DRAW);
    if (mStateDirty)
        applyState();
    const GLuint vertexArray = mDeclaration->vertexArray(mIntegerInputs);
    glVertexArrayVertexBuffer(vertexArray, 0, mUserVertices, 0, static_cast<GLsizei>(stride));
    glBindVertexArray(vertexArray);
    if (mProgram)
        glUseProgram(mProgram);
    else
        mFixedFunction.prepare(*this, type, mDeclaration->inputs());
    if (indices) {
        const UINT size = indexFormat == D3DFMT_INDEX32 ? 4 : 2;
        glNamedBufferData(mUserIndices, static_cast<GLsizeiptr>(elements) * size, indices,
                          GL_STREAM_DRAW);
        glVertexArrayElementBuffer(vertexArray, mUserIndices);
        glDrawElements(mode, static_cast<GLsizei>(elements),
                       size == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT, nullptr);
    } else {
        glVertexArrayElementBuffer(vertexArray, 0);
        glDrawArrays(mode, 0, static_cast<GLsizei>(elements));
    }
    // Afterwards stream 0 and the indices are unset, as Direct3D documents.
    mStreams[0] = {};
    mIndices = nullptr;
}

HRESULT Device::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT count, const void* vertices,
                                UINT stride) {
    GLenum mode;
    UINT vertexCount;
    if (!vertices || stride == 0 || !primitiveVertices(type, count, &mode, &vertexCount) ||
        !mDeclaration || (mDeclaration->streams() & ~1u))
        return D3DERR_INVALIDCALL;
    if (count > 0)
        drawUserPrimitives(type, count, vertexCount, vertices, stride, nullptr, D3DFMT_UNKNOWN);
    return D3D_OK;
}

HRESULT Device::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT numVertices,
                                       UINT count, const void* indices, D3DFORMAT indexFormat,
                                       const void* vertices, UINT stride) {
    GLenum mode;
    UINT elements;
    if (!vertices || !indices || stride == 0 ||
        (indexFormat != D3DFMT_INDEX16 && indexFormat != D3DFMT_INDEX32) ||
        !primitiveVertices(type, count, &mode, &elements) || !mDeclaration ||
        (mDeclaration->streams() & ~1u))
        return D3DERR_INVALIDCALL;
    if (count > 0)
        drawUserPrimitives(type, count, minIndex + numVertices, vertices, stride, indices,
                           indexFormat);
    return D3D_OK;
}

} // namespace d3d9gl
