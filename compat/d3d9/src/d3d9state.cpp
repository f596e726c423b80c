// The device's state: Direct3D's documented defaults, the setters and getters, clearing, and the
// state a draw needs applied to OpenGL (render states, samplers, viewport).
#include <algorithm>
#include <cstring>

#include "d3d9device.h"

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

void Device::resetState() {
    ++mStateGeneration;
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
    mViewport = {0, 0, mBackWidth, mBackHeight, 0.0f, 1.0f};
    mTextures.fill(nullptr);
    mStreams.fill({});
    mIndices = nullptr;
    mDeclaration = nullptr;
    mProgram = 0;
    mIntegerInputs = 0;
    mStateDirty = true;
}

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
    // The cleared area: viewport ∩ each rectangle, in top-left coordinates. (The scissor
    // rectangle is always the whole back buffer: the layer has no SetScissorRect.)
    const LONG left = mViewport.X, top = mViewport.Y;
    const LONG right = left + mViewport.Width, bottom = top + mViewport.Height;
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
    ++mStateGeneration;
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
    ++mStateGeneration;
    return D3D_OK;
}

HRESULT Device::GetViewport(D3DVIEWPORT9* viewport) {
    if (!viewport)
        return D3DERR_INVALIDCALL;
    *viewport = mViewport;
    return D3D_OK;
}

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    if (state < 0 || state >= kRenderStates)
        return D3DERR_INVALIDCALL;
    // Setting a state to the value it has changes nothing for OpenGL, as the Direct3D runtime
    // drops redundant states before the driver sees them.
    if (mRenderStates[state] != value) {
        mRenderStates[state] = value;
        mStateDirty = true;
        ++mStateGeneration;
    }
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
    ++mStateGeneration;
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
    ++mStateGeneration;
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

void Device::applyState() {
    const auto& r = mRenderStates;
    glBindFramebuffer(GL_FRAMEBUFFER, mFramebuffer);
    applyViewport();
    glDisable(GL_SCISSOR_TEST); // the scissor rectangle is the whole back buffer
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

} // namespace d3d9gl
