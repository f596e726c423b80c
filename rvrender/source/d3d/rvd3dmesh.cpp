#include "rvd3dmesh.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "rvd3drender.h"
#include "rvmessage.h"

namespace {

template <typename T> void release(T*& object) {
    if (object) {
        object->Release();
        object = nullptr;
    }
}

} // namespace

rvD3DMesh::rvD3DMesh(int primitiveType) : rvMesh(primitiveType) {
    mMax = rvVector3(0.1f, 0.1f, 0.1f);
}

rvD3DMesh::~rvD3DMesh() {
    for (auto& buffer : mBuffers) {
        release(buffer);
    }
    release(mIndices);
    release(mDeclaration);
}

unsigned int rvD3DMesh::stride(Stream stream) const {
    static const unsigned int kStrides[kStreamCount] = {12, 4, 8, 8, 0, 0, 12, 16, 4};
    if (stream == kData0 || stream == kData1) {
        return 4 * static_cast<unsigned int>(mComponents[stream - kData0]);
    }
    return kStrides[stream];
}

D3DVERTEXELEMENT9 rvD3DMesh::element(Stream stream, WORD number) const {
    switch (stream) {
    case kPositions:
        return {number, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0};
    case kColors:
        return {number, 0, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0};
    case kUVs0:
    case kUVs1:
        return {number,
                0,
                D3DDECLTYPE_FLOAT2,
                D3DDECLMETHOD_DEFAULT,
                D3DDECLUSAGE_TEXCOORD,
                static_cast<BYTE>(stream - kUVs0)};
    case kData0:
    case kData1:
        return {number,
                0,
                static_cast<BYTE>(D3DDECLTYPE_FLOAT1 + mComponents[stream - kData0] - 1),
                D3DDECLMETHOD_DEFAULT,
                D3DDECLUSAGE_TEXCOORD,
                static_cast<BYTE>(2 + stream - kData0)};
    case kNormals:
        return {number, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_NORMAL, 0};
    case kBoneWeights:
        return {number, 0, D3DDECLTYPE_FLOAT4, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_BLENDWEIGHT, 0};
    default:
        return {number, 0, D3DDECLTYPE_UBYTE4, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_BLENDINDICES, 0};
    }
}

bool rvD3DMesh::rebuildDeclaration() {
    release(mDeclaration);
    if (!mBuffers[kPositions] || !gD3DDevice) {
        return false;
    }
    std::vector<D3DVERTEXELEMENT9> elements;
    for (int s = 0; s < kStreamCount; ++s) {
        if (mBuffers[s]) {
            elements.push_back(element(static_cast<Stream>(s), static_cast<WORD>(elements.size())));
        }
    }
    elements.push_back(D3DDECL_END());
    return gD3DDevice->CreateVertexDeclaration(elements.data(), &mDeclaration) == D3D_OK;
}

bool rvD3DMesh::storeStream(Stream stream, const void* bytes, unsigned int size) {
    release(mBuffers[stream]);
    if (size > 0) {
        if (!gD3DDevice || gD3DDevice->CreateVertexBuffer(size, 0, 0, D3DPOOL_MANAGED,
                                                          &mBuffers[stream], nullptr) != D3D_OK) {
            mBuffers[stream] = nullptr;
            rebuildDeclaration();
            return false;
        }
        void* locked = nullptr;
        if (mBuffers[stream]->Lock(0, 0, &locked, 0) == D3D_OK) {
            std::memcpy(locked, bytes, size);
            mBuffers[stream]->Unlock();
        }
    }
    return rebuildDeclaration();
}

bool rvD3DMesh::storeIndices(const void* indices, int count, bool wide) {
    release(mIndices);
    mIndexCount = 0;
    const unsigned int size = static_cast<unsigned int>(count) * (wide ? 4 : 2);
    if (!gD3DDevice || gD3DDevice->CreateIndexBuffer(
                           size, D3DUSAGE_WRITEONLY, wide ? D3DFMT_INDEX32 : D3DFMT_INDEX16,
                           D3DPOOL_MANAGED, &mIndices, nullptr) != D3D_OK) {
        mIndices = nullptr;
        return false;
    }
    void* locked = nullptr;
    if (mIndices->Lock(0, 0, &locked, 0) == D3D_OK) {
        std::memcpy(locked, indices, size);
        mIndices->Unlock();
    }
    mIndexCount = count;
    mWideIndices = wide;
    return rebuildDeclaration();
}

bool rvD3DMesh::storePositions(const float* xyz, int n) {
    return storeStream(kPositions, xyz, 12u * static_cast<unsigned int>(n));
}

bool rvD3DMesh::storeColors(const float* argb, int n) {
    std::vector<D3DCOLOR> packed(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        packed[i] = rvD3DPackColor(argb + 4 * i);
    }
    return storeStream(kColors, packed.data(), 4u * static_cast<unsigned int>(n));
}

bool rvD3DMesh::storeUVs(int set, const float* uv, int n) {
    return storeStream(set == 0 ? kUVs0 : kUVs1, uv, 8u * static_cast<unsigned int>(n));
}

bool rvD3DMesh::storeData(int stream, const float* values, int n, int components) {
    mComponents[stream] = n > 0 ? components : 0;
    return storeStream(stream == 0 ? kData0 : kData1, values,
                       4u * static_cast<unsigned int>(n * components));
}

bool rvD3DMesh::storeNormals(const float* xyz, int n) {
    return storeStream(kNormals, xyz, 12u * static_cast<unsigned int>(n));
}

bool rvD3DMesh::storeBoneWeights(const float* weights, int n) {
    return storeStream(kBoneWeights, weights, 16u * static_cast<unsigned int>(n));
}

bool rvD3DMesh::storeBoneIndices(const unsigned char* bones, int n) {
    return storeStream(kBoneIndices, bones, 4u * static_cast<unsigned int>(n));
}

void rvD3DMesh::readFloats(Stream stream, float** out) const {
    assert(out && "out != NULL");
    if (!out) {
        return;
    }
    *out = nullptr;
    IDirect3DVertexBuffer9* buffer = mBuffers[stream];
    void* locked = nullptr;
    if (!buffer || buffer->Lock(0, 0, &locked, D3DLOCK_READONLY) != D3D_OK) {
        return;
    }
    // Callers read vertexCount × 3 floats; a shorter stream reads as 0 beyond its end.
    D3DVERTEXBUFFER_DESC desc;
    buffer->GetDesc(&desc);
    const size_t floats = std::max<size_t>(desc.Size / 4, static_cast<size_t>(mVertexCount) * 3);
    *out = new float[floats]();
    std::memcpy(*out, locked, desc.Size);
    buffer->Unlock();
}

std::unique_ptr<rvD3DMesh>
rvD3DMesh::copyVertices(const std::vector<std::uint32_t>& vertices,
                        const std::vector<std::uint32_t>& indices) const {
    const std::size_t n = vertices.size();
    for (std::uint32_t v : vertices) {
        if (v >= static_cast<std::uint32_t>(mVertexCount)) {
            return nullptr;
        }
    }
    for (std::uint32_t i : indices) {
        if (i >= n) {
            return nullptr;
        }
    }
    auto part = std::make_unique<rvD3DMesh>(mPrimitiveType);
    part->mComponents[0] = mComponents[0];
    part->mComponents[1] = mComponents[1];
    for (int s = 0; s < kStreamCount; ++s) {
        IDirect3DVertexBuffer9* buffer = mBuffers[s];
        void* locked = nullptr;
        if (!buffer || buffer->Lock(0, 0, &locked, D3DLOCK_READONLY) != D3D_OK) {
            continue;
        }
        D3DVERTEXBUFFER_DESC desc;
        buffer->GetDesc(&desc);
        const unsigned int size = stride(static_cast<Stream>(s));
        std::vector<unsigned char> bytes(n * size);
        for (std::size_t i = 0; i < n; ++i) {
            const std::size_t from = static_cast<std::size_t>(vertices[i]) * size;
            if (from + size <= desc.Size) { // a short stream reads as 0 beyond its end
                std::memcpy(&bytes[i * size], static_cast<const unsigned char*>(locked) + from,
                            size);
            }
        }
        buffer->Unlock();
        if (s == kPositions) {
            part->setPositions(reinterpret_cast<const float*>(bytes.data()),
                               static_cast<int>(3 * n));
        } else {
            part->storeStream(static_cast<Stream>(s), bytes.data(),
                              static_cast<unsigned int>(bytes.size()));
        }
    }
    if (!part->mBuffers[kPositions]) {
        return nullptr;
    }
    if (!indices.empty() &&
        !part->setIndexArray32(indices.data(), static_cast<int>(indices.size()))) {
        return nullptr;
    }
    part->setTexture(mTexture);
    part->setTexture2(mTexture2);
    return part;
}

void rvD3DMesh::getPositions(float** out) {
    readFloats(kPositions, out);
}

void rvD3DMesh::getNormals(float** out) {
    readFloats(kNormals, out);
}

bool rvD3DMesh::drawBuffers(IDirect3DDevice9* device) {
    if (!mBuffers[kPositions] || !device || (mIndexCount > 0 && mMaxIndex >= mVertexCount)) {
        return false;
    }
    const int primitives =
        rvPrimitivesFrom(mPrimitiveType, mIndexCount > 0 ? mIndexCount : mVertexCount);
    if (primitives <= 0) {
        return true;
    }
    UINT number = 0;
    for (int s = 0; s < kStreamCount; ++s) {
        if (mBuffers[s]) {
            device->SetStreamSource(number++, mBuffers[s], 0, stride(static_cast<Stream>(s)));
        }
    }
    const D3DPRIMITIVETYPE type = rvD3DRender::convertPType(mPrimitiveType);
    if (mIndexCount > 0) {
        device->SetIndices(mIndices);
        device->DrawIndexedPrimitive(type, 0, 0, static_cast<UINT>(mVertexCount), 0,
                                     static_cast<UINT>(primitives));
    } else {
        device->DrawPrimitive(type, 0, static_cast<UINT>(primitives));
    }
    return true;
}

bool rvD3DMesh::drawNormals(rvRender*) {
    if (mNormalLines.empty()) {
        float* positions = nullptr;
        float* normals = nullptr;
        getPositions(&positions);
        getNormals(&normals);
        if (!positions || !normals || mVertexCount == 0) {
            delete[] positions;
            delete[] normals;
            rvShowMessage("ERROR DRAWING NORMALS - Buffers not set", "Draw Error");
            return false;
        }
        for (int i = 0; i < mVertexCount; ++i) {
            const float* p = positions + 3 * i;
            const float* n = normals + 3 * i;
            mNormalLines.push_back({p[0], p[1], p[2], 0xFF000000});
            mNormalLines.push_back({p[0] + n[0], p[1] + n[1], p[2] + n[2], 0xFFFF0000});
        }
        delete[] positions;
        delete[] normals;
    }
    if (!gD3DDevice) {
        return false;
    }
    gD3DDevice->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    // The lines kept from the first call, whatever the vertex count is now.
    gD3DDevice->DrawPrimitiveUP(D3DPT_LINELIST, static_cast<UINT>(mNormalLines.size() / 2),
                                mNormalLines.data(), sizeof(LineVertex));
    return true;
}
