// The OpenGL mesh: every vertex stream is a plain array in system memory, in the layout that
// OpenGL 1.x client arrays take directly, drawn by rvGLRender::drawMesh. Conversions are paid
// once when data is set: colours are reordered from (alpha, red, green, blue) to (red, green,
// blue, alpha) and the v texture coordinate becomes 1 − v.
//
// Setters return false and keep the previous stream for a null array or a negative count;
// index setters also refuse a count ≤ 0. Float-count setters use whole vertices only (a
// trailing partial vertex is dropped). Bone weights and indices are not stored (the processor
// skins the model): their setters always return false.
//
// Setting, copying and deleting a mesh make no GL call, so meshes may outlive the renderer.
// drawNormals needs a current context.
#pragma once

#include <vector>

#include "rvmesh.h"

class rvGLMesh : public rvMesh {
public:
    // type is one of the primitive types 0…4 (asserted; another value gives a triangle list).
    explicit rvGLMesh(int primitiveType);
    ~rvGLMesh() override;

    bool setIndexArray32(const unsigned int* indexArray, int count) override;
    bool setIndexArray16(const unsigned short* indexArray, int count) override;
    // All vertexCount vertices get the first packed colour, each byte scaled to 0…1.
    bool setARGBColor(const unsigned int* ARGBColor, int vertexCount) override;
    bool setFourFloatColors(const float* fourFloatColor, int floatCount) override;
    bool setConstantColor(float a, float r, float g, float b, int vertexCount) override;
    bool setPositionArray(const rvVector3* posArray, int count) override;
    bool setPositions(const float* threeFloatPos, int floatCount) override;
    bool setBoneWeights(const float* fourFloats, int floatCount) override;
    bool setBoneIndices(const unsigned char* fourIndices, int byteCount) override;
    void getPositions(float** out) override;
    bool setUVPairArray(const rvUVPair* uvPairs, int count) override;
    bool setUVs(const float* uvPairs, int floatCount) override;
    bool setUVPairArray2(const rvUVPair* uvPairs, int count) override;
    bool setUVs2(const float* uvPairs, int floatCount) override;
    bool setDataArray(const rvVector3* data, int count) override;
    // components (floats per vertex) must be 1…4, the sizes a texture-coordinate array takes.
    bool setData(const void* data, int byteCount, int components) override;
    bool setDataArray2(const rvVector3* data, int count) override;
    bool setData2(const void* data, int byteCount, int components) override;
    rvMesh* setTexture(rvTexture* texture) override;
    // Through the process's texture manager; null (and nothing stored) when there is none.
    rvTexture* loadTexture(const char* file) override;
    rvMesh* setTexture2(rvTexture* texture) override;
    rvTexture* loadTexture2(const char* file) override;
    rvTexture* loadMipmappedTexture(const char* file) override;
    rvTexture* loadMipmappedTexture2(const char* file) override;
    rvTexture* getTexture() override { return mTexture; }
    rvTexture* getTexture2() override { return mTexture2; }
    bool setNormalArray(const rvVector3* normalArray, int count) override;
    bool setNormals(const float* threeFloatArray, int floatCount) override;
    void getNormals(float** out) override;
    // Ignored: OpenGL derives the count from the vertices.
    void setPrimitiveCount(int count) override;
    // vertexCount / 2 for points and lines, vertexCount / 3 for triangles.
    int countPrimitives() override;
    void setPrimitiveType(int type) override;
    int getPrimitiveType() override;
    bool drawBoundingBox(rvRender* renderer) override;
    // One line per vertex from black at the position to red at position + normal. False with
    // the message "ERROR DRAWING NORMALS - Buffers not set" when positions or normals are
    // missing or fewer than the vertices. The line buffer is rebuilt after either changes.
    bool drawNormals(rvRender* renderer) override;
    void reserved(int) override {}

    // What rvGLRender::drawMesh reads. A stream pointer is null when the stream is empty.
    // Element counts are vertices (colours, uvs, normals, extra streams).
    unsigned int glMode() const { return mGLMode; }
    const float* positions() const { return data(mPositions); }
    const float* colors() const { return data(mColors); }
    int colorCount() const { return static_cast<int>(mColors.size() / 4); }
    const float* uvs(int set) const { return data(mUVs[set]); }
    int uvCount(int set) const { return static_cast<int>(mUVs[set].size() / 2); }
    const float* normals() const { return data(mNormals); }
    int normalCount() const { return static_cast<int>(mNormals.size() / 3); }
    const void* extraData(int stream) const;
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

private:
    struct ExtraStream {
        std::vector<unsigned char> bytes;
        int components = 0;
    };

    static const float* data(const std::vector<float>& v) { return v.empty() ? nullptr : v.data(); }
    static bool setUVStream(std::vector<float>* stream, const float* uvPairs, int pairs);
    static bool setExtraStream(ExtraStream* stream, const void* data, int byteCount,
                               int components);

    unsigned int mGLMode;
    rvTexture* mTexture;
    rvTexture* mTexture2;
    std::vector<float> mPositions;
    std::vector<float> mColors; // red, green, blue, alpha
    std::vector<float> mUVs[2]; // u, 1 − v
    ExtraStream mExtra[2];
    std::vector<float> mNormals;
    std::vector<unsigned short> mIndices16;
    std::vector<unsigned int> mIndices32;
    int mIndexCount;
    int mMaxIndex;
    bool mUse32;
    std::vector<float> mNormalLines; // GL_C3F_V3F, two vertices per mesh vertex
    bool mNormalLinesStale;
};
