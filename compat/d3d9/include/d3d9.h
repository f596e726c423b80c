// Direct3D 9: the object, the device and its resources, as COM-style interfaces with the
// documented names and signatures. This layer declares the calls it implements, in the
// documented order of each interface; code written against these declarations also compiles
// against the Windows SDK.
#pragma once

#include "d3d9caps.h"
#include "d3d9types.h"

struct IDirect3D9;
struct IDirect3DDevice9;
struct IDirect3DResource9;
struct IDirect3DBaseTexture9;
struct IDirect3DTexture9;
struct IDirect3DSurface9;
struct IDirect3DVertexBuffer9;
struct IDirect3DIndexBuffer9;
struct IDirect3DVertexDeclaration9;
struct IDirect3DVertexShader9;
struct IDirect3DPixelShader9;

typedef IDirect3D9* LPDIRECT3D9;
typedef IDirect3DDevice9* LPDIRECT3DDEVICE9;
typedef IDirect3DResource9* LPDIRECT3DRESOURCE9;
typedef IDirect3DBaseTexture9* LPDIRECT3DBASETEXTURE9;
typedef IDirect3DTexture9* LPDIRECT3DTEXTURE9;
typedef IDirect3DSurface9* LPDIRECT3DSURFACE9;
typedef IDirect3DVertexBuffer9* LPDIRECT3DVERTEXBUFFER9;
typedef IDirect3DIndexBuffer9* LPDIRECT3DINDEXBUFFER9;
typedef IDirect3DVertexDeclaration9* LPDIRECT3DVERTEXDECLARATION9;
typedef IDirect3DVertexShader9* LPDIRECT3DVERTEXSHADER9;
typedef IDirect3DPixelShader9* LPDIRECT3DPIXELSHADER9;

struct IUnknown {
    virtual HRESULT WINAPI QueryInterface(REFIID riid, void** ppvObj) = 0;
    virtual ULONG WINAPI AddRef() = 0;
    virtual ULONG WINAPI Release() = 0;
};
typedef IUnknown* LPUNKNOWN;

struct IDirect3D9 : public IUnknown {
    virtual HRESULT WINAPI GetAdapterDisplayMode(UINT Adapter, D3DDISPLAYMODE* pMode) = 0;
    virtual HRESULT WINAPI CheckDeviceFormat(UINT Adapter, D3DDEVTYPE DeviceType,
                                             D3DFORMAT AdapterFormat, DWORD Usage,
                                             D3DRESOURCETYPE RType, D3DFORMAT CheckFormat) = 0;
    virtual HRESULT WINAPI GetDeviceCaps(UINT Adapter, D3DDEVTYPE DeviceType, D3DCAPS9* pCaps) = 0;
    virtual HRESULT WINAPI CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow,
                                        DWORD BehaviorFlags,
                                        D3DPRESENT_PARAMETERS* pPresentationParameters,
                                        IDirect3DDevice9** ppReturnedDeviceInterface) = 0;
};

struct IDirect3DDevice9 : public IUnknown {
    virtual HRESULT WINAPI GetDirect3D(IDirect3D9** ppD3D9) = 0;
    virtual HRESULT WINAPI GetDeviceCaps(D3DCAPS9* pCaps) = 0;
    virtual HRESULT WINAPI GetDisplayMode(UINT iSwapChain, D3DDISPLAYMODE* pMode) = 0;
    virtual HRESULT WINAPI Reset(D3DPRESENT_PARAMETERS* pPresentationParameters) = 0;
    virtual HRESULT WINAPI Present(const RECT* pSourceRect, const RECT* pDestRect,
                                   HWND hDestWindowOverride, const RGNDATA* pDirtyRegion) = 0;
    virtual HRESULT WINAPI GetBackBuffer(UINT iSwapChain, UINT iBackBuffer, D3DBACKBUFFER_TYPE Type,
                                         IDirect3DSurface9** ppBackBuffer) = 0;
    virtual HRESULT WINAPI CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage,
                                         D3DFORMAT Format, D3DPOOL Pool,
                                         IDirect3DTexture9** ppTexture, HANDLE* pSharedHandle) = 0;
    virtual HRESULT WINAPI CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                                              IDirect3DVertexBuffer9** ppVertexBuffer,
                                              HANDLE* pSharedHandle) = 0;
    virtual HRESULT WINAPI CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format,
                                             D3DPOOL Pool, IDirect3DIndexBuffer9** ppIndexBuffer,
                                             HANDLE* pSharedHandle) = 0;
    virtual HRESULT WINAPI GetRenderTargetData(IDirect3DSurface9* pRenderTarget,
                                               IDirect3DSurface9* pDestSurface) = 0;
    virtual HRESULT WINAPI CreateOffscreenPlainSurface(UINT Width, UINT Height, D3DFORMAT Format,
                                                       D3DPOOL Pool, IDirect3DSurface9** ppSurface,
                                                       HANDLE* pSharedHandle) = 0;
    virtual HRESULT WINAPI BeginScene() = 0;
    virtual HRESULT WINAPI EndScene() = 0;
    virtual HRESULT WINAPI Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color,
                                 float Z, DWORD Stencil) = 0;
    virtual HRESULT WINAPI SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) = 0;
    virtual HRESULT WINAPI GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) = 0;
    virtual HRESULT WINAPI SetViewport(const D3DVIEWPORT9* pViewport) = 0;
    virtual HRESULT WINAPI GetViewport(D3DVIEWPORT9* pViewport) = 0;
    virtual HRESULT WINAPI SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) = 0;
    virtual HRESULT WINAPI GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue) = 0;
    virtual HRESULT WINAPI GetTexture(DWORD Stage, IDirect3DBaseTexture9** ppTexture) = 0;
    virtual HRESULT WINAPI SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture) = 0;
    virtual HRESULT WINAPI GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type,
                                                DWORD* pValue) = 0;
    virtual HRESULT WINAPI SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type,
                                                DWORD Value) = 0;
    virtual HRESULT WINAPI GetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type,
                                           DWORD* pValue) = 0;
    virtual HRESULT WINAPI SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type,
                                           DWORD Value) = 0;
    virtual HRESULT WINAPI DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex,
                                         UINT PrimitiveCount) = 0;
    virtual HRESULT WINAPI DrawIndexedPrimitive(D3DPRIMITIVETYPE PrimitiveType, INT BaseVertexIndex,
                                                UINT MinVertexIndex, UINT NumVertices,
                                                UINT startIndex, UINT primCount) = 0;
    virtual HRESULT WINAPI DrawPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT PrimitiveCount,
                                           const void* pVertexStreamZeroData,
                                           UINT VertexStreamZeroStride) = 0;
    virtual HRESULT WINAPI DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType,
                                                  UINT MinVertexIndex, UINT NumVertices,
                                                  UINT PrimitiveCount, const void* pIndexData,
                                                  D3DFORMAT IndexDataFormat,
                                                  const void* pVertexStreamZeroData,
                                                  UINT VertexStreamZeroStride) = 0;
    virtual HRESULT WINAPI CreateVertexDeclaration(const D3DVERTEXELEMENT9* pVertexElements,
                                                   IDirect3DVertexDeclaration9** ppDecl) = 0;
    virtual HRESULT WINAPI SetVertexDeclaration(IDirect3DVertexDeclaration9* pDecl) = 0;
    virtual HRESULT WINAPI SetFVF(DWORD FVF) = 0;
    virtual HRESULT WINAPI SetVertexShader(IDirect3DVertexShader9* pShader) = 0;
    virtual HRESULT WINAPI SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData,
                                           UINT OffsetInBytes, UINT Stride) = 0;
    virtual HRESULT WINAPI GetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9** ppStreamData,
                                           UINT* pOffsetInBytes, UINT* pStride) = 0;
    virtual HRESULT WINAPI SetIndices(IDirect3DIndexBuffer9* pIndexData) = 0;
    virtual HRESULT WINAPI GetIndices(IDirect3DIndexBuffer9** ppIndexData) = 0;
    virtual HRESULT WINAPI SetPixelShader(IDirect3DPixelShader9* pShader) = 0;
};

struct IDirect3DResource9 : public IUnknown {
    virtual HRESULT WINAPI GetDevice(IDirect3DDevice9** ppDevice) = 0;
    virtual D3DRESOURCETYPE WINAPI GetType() = 0;
};

struct IDirect3DBaseTexture9 : public IDirect3DResource9 {
    virtual DWORD WINAPI GetLevelCount() = 0;
};

struct IDirect3DTexture9 : public IDirect3DBaseTexture9 {
    virtual HRESULT WINAPI GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) = 0;
    virtual HRESULT WINAPI LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect,
                                    DWORD Flags) = 0;
    virtual HRESULT WINAPI UnlockRect(UINT Level) = 0;
};

struct IDirect3DSurface9 : public IDirect3DResource9 {
    virtual HRESULT WINAPI GetDesc(D3DSURFACE_DESC* pDesc) = 0;
    virtual HRESULT WINAPI LockRect(D3DLOCKED_RECT* pLockedRect, const RECT* pRect,
                                    DWORD Flags) = 0;
    virtual HRESULT WINAPI UnlockRect() = 0;
};

struct IDirect3DVertexBuffer9 : public IDirect3DResource9 {
    virtual HRESULT WINAPI Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData,
                                DWORD Flags) = 0;
    virtual HRESULT WINAPI Unlock() = 0;
    virtual HRESULT WINAPI GetDesc(D3DVERTEXBUFFER_DESC* pDesc) = 0;
};

struct IDirect3DIndexBuffer9 : public IDirect3DResource9 {
    virtual HRESULT WINAPI Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData,
                                DWORD Flags) = 0;
    virtual HRESULT WINAPI Unlock() = 0;
    virtual HRESULT WINAPI GetDesc(D3DINDEXBUFFER_DESC* pDesc) = 0;
};

struct IDirect3DVertexDeclaration9 : public IUnknown {
    virtual HRESULT WINAPI GetDevice(IDirect3DDevice9** ppDevice) = 0;
    virtual HRESULT WINAPI GetDeclaration(D3DVERTEXELEMENT9* pElement, UINT* pNumElements) = 0;
};

// Shader objects exist in this layer only as what effects bind; SetVertexShader(NULL) and
// SetPixelShader(NULL) select the fixed-function pipeline.
struct IDirect3DVertexShader9 : public IUnknown {
    virtual HRESULT WINAPI GetDevice(IDirect3DDevice9** ppDevice) = 0;
};
struct IDirect3DPixelShader9 : public IUnknown {
    virtual HRESULT WINAPI GetDevice(IDirect3DDevice9** ppDevice) = 0;
};

extern "C" IDirect3D9* WINAPI Direct3DCreate9(UINT SDKVersion);
