// The Direct3D object, what every object of the device shares, and the hooks D3DX uses.
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "d3d9device.h"
#include "zrglcontext.h"
#include "zrplatform.h"
#include "zrwindow.h"

namespace d3d9gl {

template <class Interface>
Child<Interface>::Child(Device* device, bool holdsDevice)
    : mDevice(device), mHoldsDevice(holdsDevice) {
    if (mHoldsDevice)
        mDevice->AddRef();
}

template <class Interface> Child<Interface>::~Child() {
    mDevice->forget(this);
    if (mHoldsDevice)
        mDevice->Release();
}

template <class Interface> HRESULT Child<Interface>::GetDevice(IDirect3DDevice9** device) {
    if (!device)
        return D3DERR_INVALIDCALL;
    mDevice->AddRef();
    *device = mDevice;
    return D3D_OK;
}

template class Child<IDirect3DVertexBuffer9>;
template class Child<IDirect3DIndexBuffer9>;
template class Child<IDirect3DTexture9>;
template class Child<IDirect3DSurface9>;
template class Child<IDirect3DVertexDeclaration9>;

int inputLocation(unsigned usage, unsigned usageIndex) {
    switch (usage) {
    case D3DDECLUSAGE_POSITION:
        return usageIndex == 0 ? 0 : -1;
    case D3DDECLUSAGE_BLENDWEIGHT:
        return usageIndex == 0 ? 1 : -1;
    case D3DDECLUSAGE_BLENDINDICES:
        return usageIndex == 0 ? 2 : -1;
    case D3DDECLUSAGE_NORMAL:
        return usageIndex == 0 ? 3 : -1;
    case D3DDECLUSAGE_PSIZE:
        return usageIndex == 0 ? 4 : -1;
    case D3DDECLUSAGE_COLOR:
        return usageIndex < 2 ? 5 + static_cast<int>(usageIndex) : -1;
    case D3DDECLUSAGE_TEXCOORD:
        return usageIndex < 8 ? 7 + static_cast<int>(usageIndex) : -1;
    case D3DDECLUSAGE_TANGENT:
        return usageIndex == 0 ? 15 : -1;
    default:
        return -1;
    }
}

int inputLocationOfSemantic(const char* semantic) {
    static const struct {
        const char* name;
        unsigned usage;
    } kUsages[] = {{"POSITION", D3DDECLUSAGE_POSITION},
                   {"BLENDWEIGHT", D3DDECLUSAGE_BLENDWEIGHT},
                   {"BLENDINDICES", D3DDECLUSAGE_BLENDINDICES},
                   {"NORMAL", D3DDECLUSAGE_NORMAL},
                   {"PSIZE", D3DDECLUSAGE_PSIZE},
                   {"TEXCOORD", D3DDECLUSAGE_TEXCOORD},
                   {"TANGENT", D3DDECLUSAGE_TANGENT},
                   {"COLOR", D3DDECLUSAGE_COLOR}};
    if (!semantic)
        return -1;
    std::string name;
    for (const char* c = semantic; *c && !std::isdigit(static_cast<unsigned char>(*c)); ++c)
        name += static_cast<char>(std::toupper(static_cast<unsigned char>(*c)));
    const char* digits = semantic + name.size();
    unsigned index = 0;
    for (const char* c = digits; *c; ++c) {
        if (!std::isdigit(static_cast<unsigned char>(*c)) || index > 100)
            return -1;
        index = index * 10 + static_cast<unsigned>(*c - '0');
    }
    for (const auto& usage : kUsages) {
        if (name == usage.name)
            return inputLocation(usage.usage, index);
    }
    return -1;
}

bool setShaderProgram(IDirect3DDevice9* device, GLuint program, unsigned integerInputs) {
    auto* ours = dynamic_cast<Device*>(device);
    if (!ours)
        return false;
    ours->useProgram(program, integerInputs);
    return true;
}

GLuint textureName(IDirect3DBaseTexture9* texture) {
    auto* ours = dynamic_cast<Texture*>(texture);
    return ours ? ours->name() : 0;
}

void makeCurrent(IDirect3DDevice9* device) {
    if (auto* ours = dynamic_cast<Device*>(device))
        ours->makeCurrent();
}

// ---------------------------------------------------------------------------------------------
// The Direct3D object: one adapter, the desktop's display, one HAL device type.

namespace {

bool isDisplayFormat(D3DFORMAT format) {
    return format == D3DFMT_X8R8G8B8 || format == D3DFMT_A8R8G8B8;
}

bool isDepthFormat(D3DFORMAT format) {
    return format == D3DFMT_D16 || format == D3DFMT_D24S8 || format == D3DFMT_D24X8 ||
           format == D3DFMT_D32;
}

} // namespace

HRESULT Direct3D::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) {
    zrDisplayMode display;
    if (adapter != D3DADAPTER_DEFAULT || !mode)
        return D3DERR_INVALIDCALL;
    if (!zrGetDisplayMode(gWindow, &display))
        return D3DERR_NOTAVAILABLE;
    *mode = {static_cast<UINT>(display.width), static_cast<UINT>(display.height),
             static_cast<UINT>(display.refreshRate), D3DFMT_X8R8G8B8};
    return D3D_OK;
}

HRESULT Direct3D::CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                    DWORD usage, D3DRESOURCETYPE resourceType, D3DFORMAT format) {
    if (adapter != D3DADAPTER_DEFAULT)
        return D3DERR_INVALIDCALL;
    if (type != D3DDEVTYPE_HAL || !isDisplayFormat(adapterFormat))
        return D3DERR_NOTAVAILABLE;
    if (usage & D3DUSAGE_DEPTHSTENCIL)
        return resourceType == D3DRTYPE_SURFACE && isDepthFormat(format) ? D3D_OK
                                                                         : D3DERR_NOTAVAILABLE;
    if (resourceType != D3DRTYPE_SURFACE && resourceType != D3DRTYPE_TEXTURE)
        return D3DERR_NOTAVAILABLE;
    if (usage & D3DUSAGE_RENDERTARGET)
        return isDisplayFormat(format) ? D3D_OK : D3DERR_NOTAVAILABLE;
    return bytesPerTexel(format) ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT Direct3D::GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) {
    if (adapter != D3DADAPTER_DEFAULT || !caps)
        return D3DERR_INVALIDCALL;
    if (type != D3DDEVTYPE_HAL)
        return D3DERR_NOTAVAILABLE;
    *caps = {};
    caps->DeviceType = D3DDEVTYPE_HAL;
    caps->PresentationIntervals = D3DPRESENT_INTERVAL_ONE | D3DPRESENT_INTERVAL_IMMEDIATE;
    caps->DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT;
    caps->PrimitiveMiscCaps = D3DPMISCCAPS_CULLNONE | D3DPMISCCAPS_CULLCW | D3DPMISCCAPS_CULLCCW;
    caps->TextureCaps = D3DPTEXTURECAPS_ALPHA | D3DPTEXTURECAPS_MIPMAP;
    caps->MaxTextureWidth = caps->MaxTextureHeight = 8192;
    caps->MaxTextureAspectRatio = 8192;
    caps->MaxAnisotropy = 1;
    caps->FVFCaps = 8 | D3DFVFCAPS_PSIZE;
    caps->MaxTextureBlendStages = Device::kStages;
    caps->MaxSimultaneousTextures = Device::kStages;
    caps->VertexProcessingCaps = D3DVTXPCAPS_MATERIALSOURCE7;
    caps->MaxPointSize = 64.0f;
    caps->MaxPrimitiveCount = 0xFFFFFF;
    caps->MaxVertexIndex = 0xFFFFFF;
    caps->MaxStreams = Device::kStreams;
    caps->MaxStreamStride = 255;
    caps->VertexShaderVersion = D3DVS_VERSION(3, 0);
    caps->MaxVertexShaderConst = 256;
    caps->PixelShaderVersion = D3DPS_VERSION(3, 0);
    caps->NumSimultaneousRTs = 1;
    return D3D_OK;
}

HRESULT Direct3D::CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD flags,
                               D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** device) {
    (void)flags;
    if (!device || !parameters || adapter != D3DADAPTER_DEFAULT)
        return D3DERR_INVALIDCALL;
    *device = nullptr;
    if (type != D3DDEVTYPE_HAL)
        return D3DERR_NOTAVAILABLE;
    zrWindow* window =
        zrWindow::fromHwnd(parameters->hDeviceWindow ? parameters->hDeviceWindow : focusWindow);
    if (!window)
        return D3DERR_INVALIDCALL;
    if (parameters->EnableAutoDepthStencil && !isDepthFormat(parameters->AutoDepthStencilFormat))
        return D3DERR_INVALIDCALL;
    zrGLContextParams params;
    params.majorVersion = 4;
    params.minorVersion = 5;
    params.profile = zrGLProfile::kCore;
    std::string error;
    std::unique_ptr<zrGLContext> context = zrGLContext::create(window, params, &error);
    if (!context) {
        std::fprintf(stderr, "Direct3D 9: %s\n", error.c_str());
        return D3DERR_NOTAVAILABLE;
    }
    *device = new Device(this, window, std::move(context), params.buffers, *parameters);
    return D3D_OK;
}

} // namespace d3d9gl

extern "C" IDirect3D9* WINAPI Direct3DCreate9(UINT sdkVersion) {
    if (sdkVersion != D3D_SDK_VERSION)
        return nullptr;
    return new d3d9gl::Direct3D;
}
