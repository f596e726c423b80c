// The OpenGL mesh: every vertex stream is a plain array in system memory, in the layout that
// OpenGL 1.x client arrays take directly, drawn by rvGLRender::drawMesh. Conversions are paid
// once when data is set: colours are reordered from (alpha, red, green, blue) to (red, green,
// blue, alpha) and the v texture coordinate becomes 1 − v. Bone weights and indices are not
// stored (the processor skins the model): their setters return false.
//
// The rules for refused data are the mesh interface's (rvmesh.h). Setting, copying and
// deleting a mesh make no GL call, so meshes may outlive the renderer. drawNormals needs a
// current context.
#pragma once

#include <vector>

#include "rvmesh.h"

class rvGLMesh : public rvMesh {
public:
    explicit rvGLMesh(int primitiveType) : rvMesh(primitiveType) {}

    void getPositions(float** out) override;
    // Normals missing for some vertices read as 0.
    void getNormals(float** out) override;
    // Ignored: a draw derives the count from the vertices or the indices.
    void setPrimitiveCount(int) override {}
    // One line per vertex from black at the position to red at position + normal. False with
    // the message "ERROR DRAWING NORMALS - Buffers not set" when positions or normals are
    // missing or fewer than the vertices. The line buffer is rebuilt after either changes.
    bool drawNormals(rvRender* renderer) override;

    // What rvGLRender::drawMesh reads. A stream pointer is null when the stream is empty.
    // Element counts are vertices (colours, uvs, normals, extra streams).
    unsigned int glMode() const;
    const float* positions() const { return data(mPositions); }
    const float* colors() const { return data(mColors); }
    int colorCount() const { return static_cast<int>(mColors.size() / 4); }
    const float* uvs(int set) const { return data(mUVs[set]); }
    int uvCount(int set) const { return static_cast<int>(mUVs[set].size() / 2); }
    const float* normals() const { return data(mNormals); }
    int normalCount() const { return static_cast<int>(mNormals.size() / 3); }
    const float* extraData(int stream) const { return data(mExtra[stream].values); }
    int extraComponents(int stream) const { return mExtra[stream].components; }
    int extraCount(int stream) const;
    int indexCount() const { return mIndexCount; }
    bool uses32BitIndices() const { return mUse32; }
    const unsigned int* indices32() const {
        return mIndices32.empty() ? nullptr : mIndices32.data();
    }
    const unsigned short* indices16() const {
        return mIndices16.empty() ? nullptr : mIndices16.data();
    }
    // The number of vertices a draw reads: vertexCount without indices, else the largest
    // index + 1. A stream shorter than this must not be enabled.
    int verticesRead() const { return mIndexCount > 0 ? mMaxIndex + 1 : mVertexCount; }

protected:
    bool storeIndices(const void* indices, int count, bool wide) override;
    bool storePositions(const float* xyz, int n) override;
    bool storeColors(const float* argb, int n) override;
    bool storeUVs(int set, const float* uv, int n) override;
    bool storeData(int stream, const float* values, int n, int components) override;
    bool storeNormals(const float* xyz, int n) override;
    bool storeBoneWeights(const float*, int) override { return false; }
    bool storeBoneIndices(const unsigned char*, int) override { return false; }
    // The skinned positions are written straight into the stream.
    float* positionStorage(int n) override;
    bool commitPositionStorage(int n) override;

private:
    struct ExtraStream {
        std::vector<float> values;
        int components = 0;
    };

    static const float* data(const std::vector<float>& v) { return v.empty() ? nullptr : v.data(); }

    std::vector<float> mPositions;
    std::vector<float> mColors; // red, green, blue, alpha
    std::vector<float> mUVs[2]; // u, 1 − v
    ExtraStream mExtra[2];
    std::vector<float> mNormals;
    std::vector<unsigned short> mIndices16;
    std::vector<unsigned int> mIndices32;
    int mIndexCount = 0;
    bool mUse32 = false;
    std::vector<float> mNormalLines; // GL_C3F_V3F, two vertices per mesh vertex
    bool mNormalLinesStale = true;
};
