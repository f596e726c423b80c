// D3DX 9 effects: an effect file's parameters, techniques and passes, compiled once, set by
// name and applied to the device pass by pass.
#pragma once

#include "d3dx9core.h"
#include "d3dx9math.h"

// A parameter, technique or pass: its name (as a string) or a handle the effect returned.
typedef LPCSTR D3DXHANDLE;
typedef D3DXHANDLE* LPD3DXHANDLE;

struct D3DXMACRO {
    LPCSTR Name;
    LPCSTR Definition;
};
typedef D3DXMACRO* LPD3DXMACRO;

typedef enum _D3DXINCLUDE_TYPE {
    D3DXINC_LOCAL = 0,
    D3DXINC_SYSTEM = 1,
    D3DXINC_FORCE_DWORD = 0x7fffffff
} D3DXINCLUDE_TYPE;

struct ID3DXInclude {
    virtual HRESULT WINAPI Open(D3DXINCLUDE_TYPE IncludeType, LPCSTR pFileName, LPCVOID pParentData,
                                LPCVOID* ppData, UINT* pBytes) = 0;
    virtual HRESULT WINAPI Close(LPCVOID pData) = 0;
};
typedef ID3DXInclude* LPD3DXINCLUDE;

struct ID3DXEffectPool : public IUnknown {};
typedef ID3DXEffectPool* LPD3DXEFFECTPOOL;

// Begin flags.
#define D3DXFX_DONOTSAVESTATE (1 << 0)
#define D3DXFX_DONOTSAVESHADERSTATE (1 << 1)
#define D3DXFX_DONOTSAVESAMPLERSTATE (1 << 2)

// Creation flags (the shader compiler's).
#define D3DXSHADER_DEBUG (1 << 0)
#define D3DXSHADER_SKIPVALIDATION (1 << 1)
#define D3DXSHADER_SKIPOPTIMIZATION (1 << 2)
#define D3DXSHADER_PACKMATRIX_ROWMAJOR (1 << 3)
#define D3DXSHADER_PACKMATRIX_COLUMNMAJOR (1 << 4)

struct ID3DXBaseEffect : public IUnknown {
    virtual D3DXHANDLE WINAPI GetParameterByName(D3DXHANDLE hParameter, LPCSTR pName) = 0;
    virtual D3DXHANDLE WINAPI GetTechniqueByName(LPCSTR pName) = 0;
    virtual HRESULT WINAPI SetFloat(D3DXHANDLE hParameter, FLOAT f) = 0;
    virtual HRESULT WINAPI SetFloatArray(D3DXHANDLE hParameter, const FLOAT* pf, UINT Count) = 0;
    virtual HRESULT WINAPI GetFloatArray(D3DXHANDLE hParameter, FLOAT* pf, UINT Count) = 0;
    virtual HRESULT WINAPI SetMatrix(D3DXHANDLE hParameter, const D3DXMATRIX* pMatrix) = 0;
    virtual HRESULT WINAPI GetMatrix(D3DXHANDLE hParameter, D3DXMATRIX* pMatrix) = 0;
    virtual HRESULT WINAPI SetMatrixArray(D3DXHANDLE hParameter, const D3DXMATRIX* pMatrix,
                                          UINT Count) = 0;
    virtual HRESULT WINAPI SetMatrixTranspose(D3DXHANDLE hParameter, const D3DXMATRIX* pMatrix) = 0;
    virtual HRESULT WINAPI SetTexture(D3DXHANDLE hParameter, LPDIRECT3DBASETEXTURE9 pTexture) = 0;
};

struct ID3DXEffect : public ID3DXBaseEffect {
    virtual HRESULT WINAPI SetTechnique(D3DXHANDLE hTechnique) = 0;
    virtual HRESULT WINAPI Begin(UINT* pPasses, DWORD Flags) = 0;
    virtual HRESULT WINAPI BeginPass(UINT Pass) = 0;
    virtual HRESULT WINAPI CommitChanges() = 0;
    virtual HRESULT WINAPI EndPass() = 0;
    virtual HRESULT WINAPI End() = 0;
    virtual HRESULT WINAPI GetDevice(LPDIRECT3DDEVICE9* ppDevice) = 0;
    virtual HRESULT WINAPI OnLostDevice() = 0;
    virtual HRESULT WINAPI OnResetDevice() = 0;
};
typedef ID3DXEffect* LPD3DXEFFECT;

HRESULT WINAPI D3DXCreateEffectFromFileA(LPDIRECT3DDEVICE9 pDevice, LPCSTR pSrcFile,
                                         const D3DXMACRO* pDefines, LPD3DXINCLUDE pInclude,
                                         DWORD Flags, LPD3DXEFFECTPOOL pPool,
                                         LPD3DXEFFECT* ppEffect, LPD3DXBUFFER* ppCompilationErrors);
HRESULT WINAPI D3DXCreateEffect(LPDIRECT3DDEVICE9 pDevice, LPCVOID pSrcData, UINT SrcDataLen,
                                const D3DXMACRO* pDefines, LPD3DXINCLUDE pInclude, DWORD Flags,
                                LPD3DXEFFECTPOOL pPool, LPD3DXEFFECT* ppEffect,
                                LPD3DXBUFFER* ppCompilationErrors);

#define D3DXCreateEffectFromFile D3DXCreateEffectFromFileA
