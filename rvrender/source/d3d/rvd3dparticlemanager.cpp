#include "rvd3dparticlemanager.h"

#include <algorithm>
#include <cstring>

#include "rvd3drender.h"
#include "rvd3dtexturemanager.h"

namespace {

DWORD floatBits(float f) {
    DWORD bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

} // namespace

void rvD3DParticleManager::init(void* handle) {
    mDevice = static_cast<IDirect3DDevice9*>(handle);
    mBatchCount = 0;
    if (!mDevice) {
        return;
    }
    mDevice->CreateVertexBuffer(kBufferParticles * 12, 0, 0, D3DPOOL_MANAGED, &mPositions, nullptr);
    mDevice->CreateVertexBuffer(kBufferParticles * 16, 0, 0, D3DPOOL_MANAGED, &mColors, nullptr);
}

rvD3DParticleManager::~rvD3DParticleManager() {
    if (mPositions) {
        mPositions->Release();
    }
    if (mColors) {
        mColors->Release();
    }
}

void rvD3DParticleManager::drawBatch(rvTexture* texture, float pointSize, int count) {
    if (!mDevice || !mPositions || !mColors) {
        return;
    }
    count = std::clamp(count, 0, static_cast<int>(kBufferParticles));
    void* locked = nullptr;
    if (mPositions->Lock(0, 0, &locked, D3DLOCK_DISCARD) == D3D_OK) {
        std::memcpy(locked, batchPositions(), static_cast<size_t>(count) * 12);
        mPositions->Unlock();
    }
    if (mColors->Lock(0, kBufferParticles * 4, &locked, D3DLOCK_DISCARD) == D3D_OK) {
        auto* packed = static_cast<D3DCOLOR*>(locked);
        for (int i = 0; i < count; ++i) {
            packed[i] = rvD3DPackColor(batchColors() + 4 * i);
        }
        mColors->Unlock();
    }

    mDevice->SetRenderState(D3DRS_POINTSPRITEENABLE, TRUE);
    mDevice->SetRenderState(D3DRS_POINTSCALEENABLE, TRUE);
    mDevice->SetRenderState(D3DRS_POINTSIZE, floatBits(pointSize));
    mDevice->SetRenderState(D3DRS_POINTSIZE_MIN, floatBits(kMinPointSize));
    mDevice->SetRenderState(D3DRS_POINTSIZE_MAX, floatBits(kMaxPointSize));
    mDevice->SetRenderState(D3DRS_POINTSCALE_A, floatBits(0.0f));
    mDevice->SetRenderState(D3DRS_POINTSCALE_B, floatBits(0.0f));
    mDevice->SetRenderState(D3DRS_POINTSCALE_C, floatBits(1.0f));
    mDevice->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    mDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    mDevice->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    mDevice->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);

    const D3DVERTEXELEMENT9 elements[] = {
        {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
        {1, 0, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
        D3DDECL_END()};
    IDirect3DVertexDeclaration9* declaration = nullptr;
    if (mDevice->CreateVertexDeclaration(elements, &declaration) == D3D_OK) {
        mDevice->SetVertexDeclaration(declaration);
        mDevice->SetStreamSource(0, mPositions, 0, 12);
        mDevice->SetStreamSource(1, mColors, 0, 4);
        mDevice->SetTexture(0, rvD3DTextureOf(texture));
        mDevice->DrawPrimitive(D3DPT_POINTLIST, 0, static_cast<UINT>(count));
        mDevice->SetVertexDeclaration(nullptr);
        declaration->Release();
    }

    mDevice->SetRenderState(D3DRS_POINTSPRITEENABLE, FALSE);
    mDevice->SetRenderState(D3DRS_POINTSCALEENABLE, FALSE);
    mDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    mDevice->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    mDevice->SetTexture(0, nullptr);
}
