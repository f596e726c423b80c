#include "rvd3drender.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <string>

#include "rvd3danimmesh.h"
#include "rvd3dhudtextmanager.h"
#include "rvd3dmesh.h"
#include "rvd3dparticlemanager.h"
#include "rvd3dtexturemanager.h"
#include "rvmessage.h"
#include "zrwindow.h"

IDirect3DDevice9* gD3DDevice = nullptr;

D3DCOLOR rvD3DPackColor(const float* argb) {
    auto byte = [](float f) { return static_cast<D3DCOLOR>(static_cast<int>(f * 255.0f) & 0xff); };
    return byte(argb[0]) << 24 | byte(argb[1]) << 16 | byte(argb[2]) << 8 | byte(argb[3]);
}

namespace {

constexpr float kDefaultFov = 60.0f;
constexpr float kDefaultNear = 1.0f;
constexpr float kDefaultFar = 8192.0f;
constexpr float kDegreesToRadians = 0.017453292f;

const D3DXMATRIX& asD3DX(const rvMatrix44& m) {
    static_assert(sizeof(rvMatrix44) == sizeof(D3DXMATRIX), "both are 16 floats, row by row");
    return *reinterpret_cast<const D3DXMATRIX*>(m.m);
}

rvMatrix44 fromD3D(const D3DMATRIX& m) {
    rvMatrix44 out;
    std::memcpy(out.m, &m, sizeof(out.m));
    return out;
}

// Sets an effect parameter; a failure shows prefix + name with the caption.
void setParameter(HRESULT result, const char* prefix, const char* name, const char* caption) {
    if (FAILED(result)) {
        rvShowMessage((std::string(prefix) + (name ? name : "")).c_str(), caption);
    }
}

} // namespace

rvD3DRender::rvD3DRender()
    : mD3D(nullptr), mDevice(nullptr), mDisplayFormat(D3DFMT_X8R8G8B8), mFullScreen(false),
      mOrtho(false), mCurrentEffect(nullptr), mSavedProjection(), mSavedView(), mSavedWorld() {}

rvD3DRender::~rvD3DRender() {
    // The managers release their textures and buffers while the device still exists.
    stopManagers();
    release();
}

void rvD3DRender::release() {
    for (ID3DXEffect* effect : mEffects) {
        effect->Release();
    }
    mEffects.clear();
    mCurrentEffect = nullptr;
    if (mDevice) {
        if (gD3DDevice == mDevice) {
            gD3DDevice = nullptr;
        }
        mDevice->Release();
        mDevice = nullptr;
    }
    if (mD3D) {
        mD3D->Release();
        mD3D = nullptr;
    }
}

D3DPRESENT_PARAMETERS rvD3DRender::presentParameters(bool fullScreen) const {
    D3DPRESENT_PARAMETERS pp = {};
    pp.BackBufferFormat = mDisplayFormat;
    pp.BackBufferCount = 1;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.Windowed = TRUE;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D24S8;
    pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    pp.hDeviceWindow = mWindow ? static_cast<HWND>(mWindow->getHwnd()) : nullptr;
    D3DDISPLAYMODE mode;
    if (fullScreen && mD3D && mD3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode) == D3D_OK) {
        pp.BackBufferWidth = mode.Width;
        pp.BackBufferHeight = mode.Height;
        pp.Windowed = FALSE;
        pp.FullScreen_RefreshRateInHz = mode.RefreshRate;
    }
    return pp;
}

bool rvD3DRender::init(zrWindow* window) {
    stopManagers();
    release();
    if (!window) {
        return false;
    }
    mWindow = window;
    mD3D = Direct3DCreate9(D3D_SDK_VERSION);
    if (!mD3D) {
        return false;
    }
    D3DDISPLAYMODE mode;
    if (mD3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode) != D3D_OK) {
        return false;
    }
    mDisplayFormat = mode.Format;
    if (mD3D->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, mode.Format,
                                D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE,
                                D3DFMT_D16) == D3DERR_NOTAVAILABLE) {
        return false;
    }
    D3DCAPS9 caps;
    if (mD3D->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &caps) != D3D_OK) {
        return false;
    }
    const DWORD flags = caps.VertexProcessingCaps != 0 ? D3DCREATE_HARDWARE_VERTEXPROCESSING
                                                       : D3DCREATE_SOFTWARE_VERTEXPROCESSING;
    D3DPRESENT_PARAMETERS pp = presentParameters(false);
    if (mD3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, static_cast<HWND>(window->getHwnd()),
                           flags, &pp, &mDevice) != D3D_OK) {
        mDevice = nullptr;
        return false;
    }
    gD3DDevice = mDevice;
    mFullScreen = false;
    mOrtho = false;

    resetRenderStates();
    mStates.fillMode = kFillSolid;
    for (int i = 0; i < kStateCount; ++i) {
        setRenderState(i, mStates.flags[i]);
    }
    mDevice->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    mDevice->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    setPerspective(kDefaultFov, kDefaultNear, kDefaultFar);

    startManagers(std::make_unique<rvD3DTextureManager>(), mDevice,
                  std::make_unique<rvD3DHUDTextManager>());
    return true;
}

// --- Render states ---------------------------------------------------------------------------

bool rvD3DRender::setFillMode(int mode) {
    mStates.fillMode = mode;
    static const D3DFILLMODE kModes[3] = {D3DFILL_POINT, D3DFILL_WIREFRAME, D3DFILL_SOLID};
    if (mDevice && mode >= kFillPoint && mode <= kFillSolid) {
        mDevice->SetRenderState(D3DRS_FILLMODE, kModes[mode]);
    }
    return true;
}

bool rvD3DRender::setRenderState(int state, bool enable) {
    assert(mDevice && "mDXDevice");
    if (!isValidState(state) || !mDevice) {
        return true;
    }
    mStates.flags[state] = enable;
    switch (state) {
    case kStateDepthTest:
        mDevice->SetRenderState(D3DRS_ZENABLE, enable ? D3DZB_TRUE : D3DZB_FALSE);
        break;
    case kStateBlend:
        mDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, enable);
        if (enable) {
            mDevice->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
            mDevice->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_DESTALPHA);
        }
        break;
    case kStateCull:
        mDevice->SetRenderState(D3DRS_CULLMODE, enable ? D3DCULL_CW : D3DCULL_NONE);
        break;
    default:
        mDevice->SetRenderState(D3DRS_LIGHTING, enable);
        break;
    }
    return true;
}

void rvD3DRender::enableAlphaTest(float reference) {
    if (mDevice) {
        mDevice->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
        mDevice->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
        mDevice->SetRenderState(D3DRS_ALPHAREF, static_cast<DWORD>(reference * 255.0f));
    }
}

void rvD3DRender::disableAlphaTest() {
    if (mDevice) {
        mDevice->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    }
}

// --- Transforms --------------------------------------------------------------------------------

bool rvD3DRender::setPerspective(float fovYDegrees, float nearZ, float farZ) {
    if (!mWindow || !mDevice) {
        return false;
    }
    const int height = mWindow->getHeight() > 0 ? mWindow->getHeight() : 1;
    const int width = mWindow->getWidth() > 0 ? mWindow->getWidth() : 1;
    D3DXMATRIX projection, halfPixel;
    D3DXMatrixPerspectiveFovRH(&projection, fovYDegrees * kDegreesToRadians,
                               static_cast<float>(width) / height, nearZ, farZ);
    // Direct3D 9 samples pixels at integer coordinates, OpenGL half a pixel further right and
    // down: moving the picture half a pixel left and up makes both back ends cover the same
    // pixels (as the 2D mode does for the text).
    D3DXMatrixTranslation(&halfPixel, -1.0f / width, 1.0f / height, 0.0f);
    D3DXMatrixMultiply(&projection, &projection, &halfPixel);
    mDevice->SetTransform(D3DTS_PROJECTION, &projection);
    return true;
}

bool rvD3DRender::setViewport(int x, int y, int width, int height) {
    if (!mDevice) {
        return false;
    }
    const D3DVIEWPORT9 viewport = {static_cast<DWORD>(x),
                                   static_cast<DWORD>(y),
                                   static_cast<DWORD>(width),
                                   static_cast<DWORD>(height),
                                   0.0f,
                                   1.0f};
    return mDevice->SetViewport(&viewport) == D3D_OK;
}

bool rvD3DRender::setViewMatrix(rvMatrix44 view) {
    return mDevice && mDevice->SetTransform(D3DTS_VIEW, &asD3DX(view)) == D3D_OK;
}

bool rvD3DRender::setWorldMatrix(rvMatrix44* world) {
    assert(world && "world != NULL");
    return world && mDevice && mDevice->SetTransform(D3DTS_WORLD, &asD3DX(*world)) == D3D_OK;
}

rvMatrix44* rvD3DRender::getWorldViewProjectionMatrix(rvMatrix44* out) {
    assert(out && "out != NULL");
    if (!out || !mDevice) {
        return out;
    }
    D3DMATRIX world, view, projection;
    mDevice->GetTransform(D3DTS_WORLD, &world);
    mDevice->GetTransform(D3DTS_VIEW, &view);
    mDevice->GetTransform(D3DTS_PROJECTION, &projection);
    *out = fromD3D(world) * fromD3D(view) * fromD3D(projection);
    return out;
}

void rvD3DRender::getWorldViewProjection(float* out) {
    assert(out && "out != NULL");
    if (out) {
        rvMatrix44 wvp;
        std::memcpy(out, getWorldViewProjectionMatrix(&wvp)->m, sizeof(wvp.m));
    }
}

rvVector3* rvD3DRender::unproject(rvVector3* out, float x, float y, float z) {
    assert(out && "out != NULL");
    if (!out || !mDevice) {
        return out;
    }
    D3DVIEWPORT9 viewport;
    D3DXMATRIX projection, view, world;
    mDevice->GetViewport(&viewport);
    mDevice->GetTransform(D3DTS_PROJECTION, &projection);
    mDevice->GetTransform(D3DTS_VIEW, &view);
    mDevice->GetTransform(D3DTS_WORLD, &world);
    // Window coordinates come as OpenGL's: y up from the bottom edge, pixel centres at .5.
    // Direct3D's run down from the top with centres on integers, and the projection's half-
    // pixel move makes both name the same point.
    const float height = mWindow ? static_cast<float>(mWindow->getHeight())
                                 : static_cast<float>(viewport.Y + viewport.Height);
    const D3DXVECTOR3 in(x - 0.5f, height - y - 0.5f, z);
    D3DXVECTOR3 result;
    D3DXVec3Unproject(&result, &in, &viewport, &projection, &view, &world);
    *out = rvVector3(result.x, result.y, result.z);
    return out;
}

void rvD3DRender::toggleOrtho() {
    if (!mDevice) {
        return;
    }
    if (!mOrtho) {
        mDevice->GetTransform(D3DTS_PROJECTION, &mSavedProjection);
        mDevice->GetTransform(D3DTS_VIEW, &mSavedView);
        mDevice->GetTransform(D3DTS_WORLD, &mSavedWorld);
        D3DXMATRIX identity, ortho;
        D3DXMatrixIdentity(&identity);
        const float width = mWindow ? static_cast<float>(mWindow->getWidth()) : 1.0f;
        const float height = mWindow ? static_cast<float>(mWindow->getHeight()) : 1.0f;
        // Direct3D 9 puts pixel centres on integer coordinates: moved by half a pixel left and
        // up, a glyph's texel centres land on pixel centres and point sampling keeps every
        // column of the font (texel edges would fall on the centres otherwise).
        D3DXMatrixOrthoOffCenterRH(&ortho, 0.5f, width + 0.5f, -0.5f, height - 0.5f, 0.1f, -2.0f);
        mDevice->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
        mDevice->SetTransform(D3DTS_PROJECTION, &ortho);
        mDevice->SetTransform(D3DTS_VIEW, &identity);
        mDevice->SetTransform(D3DTS_WORLD, &identity);
    } else {
        mDevice->SetTransform(D3DTS_PROJECTION, &mSavedProjection);
        mDevice->SetTransform(D3DTS_VIEW, &mSavedView);
        mDevice->SetTransform(D3DTS_WORLD, &mSavedWorld);
        setRenderState(kStateDepthTest, mStates.flags[kStateDepthTest]);
    }
    mOrtho = !mOrtho;
}

void rvD3DRender::toggleFullScreen() {
    if (!mDevice || !mWindow) {
        return;
    }
    pushRenderStates();
    mWindow->toggleFullscreen();
    D3DPRESENT_PARAMETERS pp = presentParameters(!mFullScreen);
    // D3DX effects must let go of their device objects around a reset.
    for (ID3DXEffect* effect : mEffects) {
        effect->OnLostDevice();
    }
    mDevice->Reset(&pp);
    for (ID3DXEffect* effect : mEffects) {
        effect->OnResetDevice();
    }
    mDevice->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    mDevice->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    mFullScreen = !mFullScreen;
    popRenderStates();
    setPerspective(kDefaultFov, kDefaultNear, kDefaultFar);
}

// --- Frames and drawing ------------------------------------------------------------------------

bool rvD3DRender::beginScene() {
    return mDevice && mDevice->BeginScene() == D3D_OK;
}

bool rvD3DRender::endScene() {
    if (!mDevice) {
        return false;
    }
    mDevice->EndScene();
    mDevice->Present(nullptr, nullptr, nullptr, nullptr);
    return true;
}

bool rvD3DRender::clear(const float* argb, float) {
    assert(argb && "argb != NULL");
    if (!argb || !mDevice) {
        return false;
    }
    mDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, rvD3DPackColor(argb), 1.0f, 0);
    return true;
}

D3DPRIMITIVETYPE rvD3DRender::convertPType(int type) {
    switch (type) {
    case kLineList:
        return D3DPT_LINELIST;
    case kLineStrip:
        return D3DPT_LINESTRIP;
    case kTriangleList:
        return D3DPT_TRIANGLELIST;
    case kTriangleStrip:
        return D3DPT_TRIANGLESTRIP;
    default:
        return D3DPT_POINTLIST;
    }
}

bool rvD3DRender::drawMesh(rvMesh* mesh) {
    assert(mesh && "mesh != NULL");
    auto* d3dMesh = dynamic_cast<rvD3DMesh*>(mesh);
    if (!mDevice || !d3dMesh || !d3dMesh->declaration()) {
        return false;
    }
    mDevice->SetVertexDeclaration(d3dMesh->declaration());
    UINT passes = 0;
    if (!mCurrentEffect) {
        mDevice->SetVertexShader(nullptr);
        mDevice->SetPixelShader(nullptr);
    } else {
        mCurrentEffect->SetTechnique(mTechnique.c_str());
        if (FAILED(mCurrentEffect->Begin(&passes, D3DXFX_DONOTSAVESTATE))) {
            rvShowMessage("Error Beginning Effect", "FX Effect Error");
        }
        assert(passes == 1 && "numpasses==1");
        if (FAILED(mCurrentEffect->BeginPass(0))) {
            rvShowMessage("Error Beginning Effect Pass", "FX Effect Error");
        }
    }
    const bool drawn = d3dMesh->drawBuffers(mDevice);
    if (mCurrentEffect) {
        mCurrentEffect->EndPass();
        mCurrentEffect->End();
        // End leaves the pass's shaders bound (nothing was saved): the draws that follow, the
        // user arrays, particles and text among them, are fixed-function.
        mDevice->SetVertexShader(nullptr);
        mDevice->SetPixelShader(nullptr);
    }
    return drawn;
}

bool rvD3DRender::drawIndexedPrimitives(int type, const float* vertices, int vertexCount,
                                        const unsigned short* indices, int indexCount,
                                        int primitiveCount) {
    assert(vertices && indices && "vertices != NULL && indices != NULL");
    const int length =
        indices ? userArrayLength(type, vertices, vertexCount, indices, indexCount, primitiveCount)
                : -1;
    if (!mDevice || length < 0) {
        return false;
    }
    if (primitiveCount == 0) {
        return true;
    }
    mDevice->SetFVF(D3DFVF_XYZ);
    return mDevice->DrawIndexedPrimitiveUP(convertPType(type), 0, static_cast<UINT>(vertexCount),
                                           static_cast<UINT>(primitiveCount), indices,
                                           D3DFMT_INDEX16, vertices, 12) == D3D_OK;
}

bool rvD3DRender::drawPrimitives(int type, const float* vList, int vertexCount,
                                 int primitiveCount) {
    assert(vList != nullptr && "vList != NULL");
    const int length = userArrayLength(type, vList, vertexCount, nullptr, 0, primitiveCount);
    if (!mDevice || length < 0) {
        return false;
    }
    if (primitiveCount == 0) {
        return true;
    }
    mDevice->SetFVF(D3DFVF_XYZ);
    return mDevice->DrawPrimitiveUP(convertPType(type), static_cast<UINT>(primitiveCount), vList,
                                    12) == D3D_OK;
}

rvMesh* rvD3DRender::createMesh(rvMesh** out, int primitiveType) {
    rvMesh* mesh = new rvD3DMesh(primitiveType);
    if (out) {
        *out = mesh;
    }
    return mesh;
}

rvAnimMesh* rvD3DRender::newAnimMesh() {
    return new rvD3DAnimMesh;
}

void rvD3DRender::setTexture(rvTexture* texture) {
    if (mDevice) {
        mDevice->SetTexture(0, rvD3DTextureOf(texture));
    }
}

void rvD3DRender::setTexture2(rvTexture* texture) {
    if (!mDevice) {
        return;
    }
    IDirect3DBaseTexture9* d3dTexture = rvD3DTextureOf(texture);
    mDevice->SetTexture(1, d3dTexture);
    // Stage 1 starts disabled: with a texture it modulates what stage 0 gave, read through the
    // second coordinate set and filtered as stage 0 is, as OpenGL's unit 1 does.
    const DWORD op = d3dTexture ? D3DTOP_MODULATE : D3DTOP_DISABLE;
    mDevice->SetTextureStageState(1, D3DTSS_COLOROP, op);
    mDevice->SetTextureStageState(1, D3DTSS_ALPHAOP, op);
    if (d3dTexture) {
        mDevice->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        mDevice->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
        mDevice->SetTextureStageState(1, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        mDevice->SetTextureStageState(1, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
        mDevice->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);
        mDevice->SetSamplerState(1, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
        mDevice->SetSamplerState(1, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    }
}

rvParticleManager* rvD3DRender::createParticleManager() {
    auto* manager = new rvD3DParticleManager;
    manager->init(mDevice);
    return manager;
}

// --- Effects -------------------------------------------------------------------------------

void rvD3DRender::loadFX(rvShader* shader) {
    assert(shader && "shader != NULL");
    if (!shader || !mDevice) {
        return;
    }
    ID3DXBuffer* errors = nullptr;
    const std::string file = shader->getFileName();
    if (FAILED(D3DXCreateEffectFromFileA(mDevice, file.c_str(), nullptr, nullptr, 0, nullptr,
                                         &shader->effect, &errors))) {
        shader->effect = nullptr;
        // The compiler's text need not end in a NUL inside its buffer (Wine's does not).
        std::string text = file + ": cannot load";
        if (errors && errors->GetBufferSize() > 0) {
            const char* begin = static_cast<const char*>(errors->GetBufferPointer());
            text.assign(begin, std::find(begin, begin + errors->GetBufferSize(), '\0'));
        }
        rvShowMessage(text.c_str(), "FX Load Error");
    } else {
        mEffects.push_back(shader->effect);
    }
    if (errors) {
        errors->Release();
    }
}

void rvD3DRender::setCurrentFX(rvShader* shader) {
    mCurrentEffect = shader ? shader->effect : nullptr;
}

void rvD3DRender::setFXTechnique(std::string name) {
    mTechnique = std::move(name);
}

void rvD3DRender::setFXTexture(rvTexture* texture, rvShader* shader, const char* varName) {
    assert(shader && texture && varName && "shader != NULL && texture != NULL && varName != NULL");
    if (!shader || !texture || !varName || !shader->effect) {
        return;
    }
    setParameter(shader->effect->SetTexture(varName, rvD3DTextureOf(texture)),
                 "Error setting FX Texture: ", texture->name, "FX Texture Load Error");
}

void rvD3DRender::setFXMatrix(rvMatrix44 matrix, rvShader* shader, const char* varName) {
    assert(shader && varName && "shader != NULL && varName != NULL");
    if (!shader || !varName || !shader->effect) {
        return;
    }
    setParameter(shader->effect->SetMatrix(varName, &asD3DX(matrix)),
                 "Error setting FX Matrix: ", varName, "FX Matrix Load Error");
}

void rvD3DRender::setFXMatrixArray(rvMatrix44* matrixArrayElements, int count, rvShader* shader,
                                   const char* varName) {
    assert(shader && varName && matrixArrayElements &&
           "shader != NULL && varName != NULL && matrixArrayElements != NULL");
    if (!shader || !varName || !matrixArrayElements || !shader->effect || count < 0) {
        return;
    }
    setParameter(shader->effect->SetMatrixArray(varName, &asD3DX(*matrixArrayElements),
                                                static_cast<UINT>(count)),
                 "Error setting FX Matrix: ", varName, "FX Matrix Load Error");
}

void rvD3DRender::setFXVector4(float x, float y, float z, float w, rvShader* shader,
                               const char* varName) {
    if (!shader || !shader->effect) {
        return;
    }
    const float values[4] = {x, y, z, w};
    setParameter(shader->effect->SetFloatArray(varName, values, 4),
                 "Error setting FX Variable: ", varName, "FX Variable Load Error");
}

void rvD3DRender::setFXVector3(float x, float y, float z, rvShader* shader, const char* varName) {
    if (!shader || !shader->effect) {
        return;
    }
    const float values[3] = {x, y, z};
    setParameter(shader->effect->SetFloatArray(varName, values, 3),
                 "Error setting FX Variable: ", varName, "FX Variable Load Error");
}

void rvD3DRender::setFXFloat(float value, rvShader* shader, const char* varName) {
    assert(shader && varName && "shader != NULL && varName != NULL");
    if (!shader || !varName || !shader->effect) {
        return;
    }
    setParameter(shader->effect->SetFloat(varName, value), "Error setting FX Float: ", varName,
                 "FX Float Load Error");
}

// --- ARB programs: not on Direct3D -------------------------------------------------------------

void rvD3DRender::asmStub() {
    rvShowMessage("ASM Vertex and Pixel shaders not available in DirectX", "ASM Load Error");
}

void rvD3DRender::loadVertexProgram(const char*, unsigned int*) {
    asmStub();
}
void rvD3DRender::bindVertexProgram(unsigned int) {
    asmStub();
}
void rvD3DRender::toggleVertexPrograms() {
    asmStub();
}
void rvD3DRender::deleteVertexProgram(unsigned int) {
    asmStub();
}
void rvD3DRender::setVertexProgramParameter(float, float, float, float, int) {
    asmStub();
}
void rvD3DRender::setVertexProgramVector(rvVector4*, int) {
    asmStub();
}
void rvD3DRender::loadFragmentProgram(const char*, unsigned int*) {
    asmStub();
}
void rvD3DRender::bindFragmentProgram(unsigned int) {
    asmStub();
}
void rvD3DRender::toggleFragmentPrograms() {
    asmStub();
}
void rvD3DRender::deleteFragmentProgram(unsigned int) {
    asmStub();
}
void rvD3DRender::setFragmentProgramParameter(float, float, float, float, int) {
    asmStub();
}
void rvD3DRender::setFragmentProgramVector(rvVector4*, int) {
    asmStub();
}
void rvD3DRender::setProgramMatrix(const float*, int) {
    asmStub();
}
