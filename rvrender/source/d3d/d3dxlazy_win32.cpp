// The D3DX functions the Direct3D back end calls, taken from d3dx9_43.dll at their first call
// instead of being imported: Windows does not ship that DLL (the DirectX 9 runtime installs it),
// and a program importing it would not start at all, not even to draw with OpenGL. The program
// asks for the DLL before it chooses Direct3D (backends_win32.cpp), so the failure results
// below are not reached in a normal run.
//
// (The linker's delay-import thunks would do the same, but MinGW's do not keep the floating-point
// argument registers across the lookup, so the first call of every D3DXMatrix* function would
// get garbage.)
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <d3dx9.h>

namespace {

void* lookUp(const char* name) {
    static const HMODULE d3dx = LoadLibraryA("d3dx9_43.dll");
    return d3dx ? reinterpret_cast<void*>(GetProcAddress(d3dx, name)) : nullptr;
}

} // namespace

// Defines Name with the header's signature, forwarding to the DLL's function of that name.
#define RV_D3DX_FORWARD(Result, Name, Parameters, Arguments, Failure)                              \
    Result WINAPI Name Parameters {                                                                \
        static const auto forward = reinterpret_cast<decltype(&Name)>(lookUp(#Name));              \
        return forward ? forward Arguments : Failure;                                              \
    }

RV_D3DX_FORWARD(HRESULT, D3DXCreateEffectFromFileA,
                (IDirect3DDevice9 * device, const char* file, const D3DXMACRO* defines,
                 ID3DXInclude* include, DWORD flags, ID3DXEffectPool* pool, ID3DXEffect** effect,
                 ID3DXBuffer** errors),
                (device, file, defines, include, flags, pool, effect, errors), D3DERR_NOTAVAILABLE)
RV_D3DX_FORWARD(HRESULT, D3DXCreateTexture,
                (IDirect3DDevice9 * device, UINT width, UINT height, UINT levels, DWORD usage,
                 D3DFORMAT format, D3DPOOL pool, IDirect3DTexture9** texture),
                (device, width, height, levels, usage, format, pool, texture), D3DERR_NOTAVAILABLE)
RV_D3DX_FORWARD(HRESULT, D3DXCreateTextureFromFileA,
                (IDirect3DDevice9 * device, const char* file, IDirect3DTexture9** texture),
                (device, file, texture), D3DERR_NOTAVAILABLE)
RV_D3DX_FORWARD(HRESULT, D3DXCreateTextureFromFileExA,
                (IDirect3DDevice9 * device, const char* file, UINT width, UINT height, UINT levels,
                 DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter, DWORD mipFilter,
                 D3DCOLOR colorKey, D3DXIMAGE_INFO* info, PALETTEENTRY* palette,
                 IDirect3DTexture9** texture),
                (device, file, width, height, levels, usage, format, pool, filter, mipFilter,
                 colorKey, info, palette, texture),
                D3DERR_NOTAVAILABLE)
RV_D3DX_FORWARD(HRESULT, D3DXFilterTexture,
                (IDirect3DBaseTexture9 * texture, const PALETTEENTRY* palette, UINT level,
                 DWORD filter),
                (texture, palette, level, filter), D3DERR_NOTAVAILABLE)
RV_D3DX_FORWARD(D3DXMATRIX*, D3DXMatrixMultiply,
                (D3DXMATRIX * out, const D3DXMATRIX* a, const D3DXMATRIX* b), (out, a, b), out)
RV_D3DX_FORWARD(D3DXMATRIX*, D3DXMatrixOrthoOffCenterRH,
                (D3DXMATRIX * out, FLOAT l, FLOAT r, FLOAT b, FLOAT t, FLOAT zn, FLOAT zf),
                (out, l, r, b, t, zn, zf), out)
RV_D3DX_FORWARD(D3DXMATRIX*, D3DXMatrixPerspectiveFovRH,
                (D3DXMATRIX * out, FLOAT fovY, FLOAT aspect, FLOAT zn, FLOAT zf),
                (out, fovY, aspect, zn, zf), out)
RV_D3DX_FORWARD(D3DXMATRIX*, D3DXMatrixTranslation, (D3DXMATRIX * out, FLOAT x, FLOAT y, FLOAT z),
                (out, x, y, z), out)
RV_D3DX_FORWARD(D3DXVECTOR3*, D3DXVec3Unproject,
                (D3DXVECTOR3 * out, const D3DXVECTOR3* v, const D3DVIEWPORT9* viewport,
                 const D3DXMATRIX* projection, const D3DXMATRIX* view, const D3DXMATRIX* world),
                (out, v, viewport, projection, view, world), out)
