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

typedef enum _D3DXPARAMETER_CLASS {
    D3DXPC_SCALAR = 0,
    D3DXPC_VECTOR = 1,
    D3DXPC_MATRIX_ROWS = 2,
    D3DXPC_MATRIX_COLUMNS = 3,
    D3DXPC_OBJECT = 4,
    D3DXPC_STRUCT = 5,
    D3DXPC_FORCE_DWORD = 0x7fffffff
} D3DXPARAMETER_CLASS;

typedef enum _D3DXPARAMETER_TYPE {
    D3DXPT_VOID = 0,
    D3DXPT_BOOL = 1,
    D3DXPT_INT = 2,
    D3DXPT_FLOAT = 3,
    D3DXPT_STRING = 4,
    D3DXPT_TEXTURE = 5,
    D3DXPT_TEXTURE1D = 6,
    D3DXPT_TEXTURE2D = 7,
    D3DXPT_TEXTURE3D = 8,
    D3DXPT_TEXTURECUBE = 9,
    D3DXPT_SAMPLER = 10,
    D3DXPT_SAMPLER1D = 11,
    D3DXPT_SAMPLER2D = 12,
    D3DXPT_SAMPLER3D = 13,
    D3DXPT_SAMPLERCUBE = 14,
    D3DXPT_PIXELSHADER = 15,
    D3DXPT_VERTEXSHADER = 16,
    D3DXPT_FORCE_DWORD = 0x7fffffff
} D3DXPARAMETER_TYPE;

struct D3DXPARAMETER_DESC {
    LPCSTR Name;
    LPCSTR Semantic;
    D3DXPARAMETER_CLASS Class;
    D3DXPARAMETER_TYPE Type;
    UINT Rows;
    UINT Columns;
    UINT Elements;
    UINT Annotations;
    UINT StructMembers;
    DWORD Flags;
    UINT Bytes;
};

struct D3DXTECHNIQUE_DESC {
    LPCSTR Name;
    UINT Passes;
    UINT Annotations;
};

struct D3DXEFFECT_DESC {
    LPCSTR Creator;
    UINT Parameters;
    UINT Techniques;
    UINT Functions;
};

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
    virtual HRESULT WINAPI GetDesc(D3DXEFFECT_DESC* pDesc) = 0;
    virtual HRESULT WINAPI GetParameterDesc(D3DXHANDLE hParameter, D3DXPARAMETER_DESC* pDesc) = 0;
    virtual HRESULT WINAPI GetTechniqueDesc(D3DXHANDLE hTechnique, D3DXTECHNIQUE_DESC* pDesc) = 0;
    virtual D3DXHANDLE WINAPI GetParameter(D3DXHANDLE hParameter, UINT Index) = 0;
    virtual D3DXHANDLE WINAPI GetParameterByName(D3DXHANDLE hParameter, LPCSTR pName) = 0;
    virtual D3DXHANDLE WINAPI GetParameterBySemantic(D3DXHANDLE hParameter, LPCSTR pSemantic) = 0;
    virtual D3DXHANDLE WINAPI GetTechnique(UINT Index) = 0;
    virtual D3DXHANDLE WINAPI GetTechniqueByName(LPCSTR pName) = 0;
    virtual HRESULT WINAPI SetValue(D3DXHANDLE hParameter, LPCVOID pData, UINT Bytes) = 0;
    virtual HRESULT WINAPI GetValue(D3DXHANDLE hParameter, LPVOID pData, UINT Bytes) = 0;
    virtual HRESULT WINAPI SetBool(D3DXHANDLE hParameter, BOOL b) = 0;
    virtual HRESULT WINAPI SetInt(D3DXHANDLE hParameter, INT n) = 0;
    virtual HRESULT WINAPI SetFloat(D3DXHANDLE hParameter, FLOAT f) = 0;
    virtual HRESULT WINAPI GetFloat(D3DXHANDLE hParameter, FLOAT* pf) = 0;
    virtual HRESULT WINAPI SetFloatArray(D3DXHANDLE hParameter, const FLOAT* pf, UINT Count) = 0;
    virtual HRESULT WINAPI GetFloatArray(D3DXHANDLE hParameter, FLOAT* pf, UINT Count) = 0;
    virtual HRESULT WINAPI SetVector(D3DXHANDLE hParameter, const D3DXVECTOR4* pVector) = 0;
    virtual HRESULT WINAPI SetMatrix(D3DXHANDLE hParameter, const D3DXMATRIX* pMatrix) = 0;
    virtual HRESULT WINAPI GetMatrix(D3DXHANDLE hParameter, D3DXMATRIX* pMatrix) = 0;
    virtual HRESULT WINAPI SetMatrixArray(D3DXHANDLE hParameter, const D3DXMATRIX* pMatrix,
                                          UINT Count) = 0;
    virtual HRESULT WINAPI SetMatrixTranspose(D3DXHANDLE hParameter, const D3DXMATRIX* pMatrix) = 0;
    virtual HRESULT WINAPI SetTexture(D3DXHANDLE hParameter, LPDIRECT3DBASETEXTURE9 pTexture) = 0;
    virtual HRESULT WINAPI GetTexture(D3DXHANDLE hParameter, LPDIRECT3DBASETEXTURE9* ppTexture) = 0;
};

struct ID3DXEffect : public ID3DXBaseEffect {
    virtual HRESULT WINAPI GetPool(LPD3DXEFFECTPOOL* ppPool) = 0;
    virtual HRESULT WINAPI SetTechnique(D3DXHANDLE hTechnique) = 0;
    virtual D3DXHANDLE WINAPI GetCurrentTechnique() = 0;
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
