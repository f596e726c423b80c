// The Direct3D mesh: every vertex attribute lives in its own managed vertex buffer and its own
// stream, and a vertex declaration is rebuilt from the streams that exist after every change.
// Streams, in declaration and stream order (missing ones are skipped, so stream numbers run
// from 0 without gaps):
//
//   positions        FLOAT3    POSITION0      colours          D3DCOLOR  COLOR0
//   uvs (set 0)      FLOAT2    TEXCOORD0      uvs (set 1)      FLOAT2    TEXCOORD1
//   extra data 0     FLOAT1…4  TEXCOORD2      extra data 1     FLOAT1…4  TEXCOORD3
//   normals          FLOAT3    NORMAL0        bone weights     FLOAT4    BLENDWEIGHT0
//   bone indices     UBYTE4    BLENDINDICES0
//
// So an effect sees the imported tangents as TEXCOORD2 and the skinning data as BLENDWEIGHT
// and BLENDINDICES. Colours are packed ARGB; texture coordinates are stored as given.
//
// The rules for refused data are the mesh interface's (rvmesh.h). A setter whose data is
// accepted returns whether the mesh has a declaration afterwards: false while it has no
// positions, though the data is kept. Buffers are made on gD3DDevice.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "d3d9.h"
#include "rvmesh.h"

class rvD3DMesh : public rvMesh {
public:
    enum Stream {
        kPositions,
        kColors,
        kUVs0,
        kUVs1,
        kData0,
        kData1,
        kNormals,
        kBoneWeights,
        kBoneIndices,
        kStreamCount
    };

    // The bounding-box maximum starts at (0.1, 0.1, 0.1).
    explicit rvD3DMesh(int primitiveType);
    ~rvD3DMesh() override;

    void getPositions(float** out) override;
    void getNormals(float** out) override;
    // Stored and handed back by primitiveCount(); a draw derives the count from the vertices
    // or the indices, as OpenGL's does.
    void setPrimitiveCount(int count) override { mPrimitiveCount = count; }
    // Built on the first call from the positions and normals then present and kept: later
    // changes to either are not shown. False with "ERROR DRAWING NORMALS - Buffers not set"
    // when either is missing.
    bool drawNormals(rvRender* renderer) override;

    // Binds the streams and the indices and draws every vertex, or every index, as primitives
    // of the mesh's type; the declaration must be set. False without positions or with an
    // index past the vertices.
    bool drawBuffers(IDirect3DDevice9* device);

    // A new mesh of the same type with every stream's data for the listed vertices (part vertex
    // i is vertex vertices[i] of this one), the given indices into them, and the same textures;
    // null when a vertex is past this mesh's, an index past the list, or a buffer cannot be made.
    std::unique_ptr<rvD3DMesh> copyVertices(const std::vector<std::uint32_t>& vertices,
                                            const std::vector<std::uint32_t>& indices) const;

    IDirect3DVertexDeclaration9* declaration() const { return mDeclaration; }
    IDirect3DVertexBuffer9* buffer(Stream stream) const { return mBuffers[stream]; }
    IDirect3DIndexBuffer9* indexBuffer() const { return mIndices; }
    int indexCount() const { return mIndexCount; }
    bool wideIndices() const { return mWideIndices; }
    int components(int extraStream) const { return mComponents[extraStream]; }
    int primitiveCount() const { return mPrimitiveCount; }

protected:
    bool storeIndices(const void* indices, int count, bool wide) override;
    bool storePositions(const float* xyz, int n) override;
    bool storeColors(const float* argb, int n) override;
    bool storeUVs(int set, const float* uv, int n) override;
    bool storeData(int stream, const float* values, int n, int components) override;
    bool storeNormals(const float* xyz, int n) override;
    bool storeBoneWeights(const float* weights, int n) override;
    bool storeBoneIndices(const unsigned char* bones, int n) override;

private:
    // Replaces a stream's buffer with the bytes (none: the stream goes) and rebuilds the
    // declaration; false when the buffer cannot be made.
    bool storeStream(Stream stream, const void* bytes, unsigned int size);
    bool rebuildDeclaration();
    // The element and stride of a stream that exists.
    D3DVERTEXELEMENT9 element(Stream stream, WORD number) const;
    unsigned int stride(Stream stream) const;
    // The stream's contents as floats, or null.
    void readFloats(Stream stream, float** out) const;

    IDirect3DVertexBuffer9* mBuffers[kStreamCount] = {};
    IDirect3DIndexBuffer9* mIndices = nullptr;
    IDirect3DVertexDeclaration9* mDeclaration = nullptr;
    int mComponents[2] = {0, 0};
    int mIndexCount = 0;
    bool mWideIndices = false;
    int mPrimitiveCount = 0;
    // Two vertices per mesh vertex: position and packed colour.
    struct LineVertex {
        float x, y, z;
        D3DCOLOR color;
    };
    std::vector<LineVertex> mNormalLines;
};
