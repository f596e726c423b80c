// A processor-only rvMesh for tests of the core: it stores every stream exactly as given
// (no colour reordering, no v flip) and counts the calls, so tests see what a generator or
// importer handed over. Textures come from a given manager or stay null.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "rvmesh.h"
#include "rvtexture.h"

class RecordingMesh : public rvMesh {
public:
    explicit RecordingMesh(int type = 3) : type(type) {}

    bool setIndexArray32(const unsigned int* a, int count) override {
        if (!a || count < 0)
            return false;
        indices32.assign(a, a + count);
        indices16.clear();
        uses32 = true;
        ++calls;
        return true;
    }
    bool setIndexArray16(const unsigned short* a, int count) override {
        if (!a || count < 0)
            return false;
        indices16.assign(a, a + count);
        indices32.clear();
        uses32 = false;
        ++calls;
        return true;
    }
    bool setARGBColor(const unsigned int* c, int n) override {
        if (!c)
            return false;
        colors.clear();
        for (int i = 0; i < n; ++i) {
            colors.push_back(((*c >> 24) & 255) / 255.0f);
            colors.push_back(((*c >> 16) & 255) / 255.0f);
            colors.push_back(((*c >> 8) & 255) / 255.0f);
            colors.push_back((*c & 255) / 255.0f);
        }
        return true;
    }
    bool setFourFloatColors(const float* c, int count) override {
        if (!c)
            return false;
        colors.assign(c, c + count);
        constantColor = false;
        return true;
    }
    bool setConstantColor(float a, float r, float g, float b, int n) override {
        colors.clear();
        for (int i = 0; i < n; ++i)
            colors.insert(colors.end(), {a, r, g, b});
        constantColor = true;
        return true;
    }
    bool setPositionArray(const rvVector3* p, int count) override {
        if (!p)
            return false;
        return setPositions(&p->x, count * 3);
    }
    bool setPositions(const float* p, int count) override {
        if (!p && count > 0)
            return false;
        positions.assign(p, p + count);
        setBoundsFromPositions(positions.data(), count / 3);
        ++positionUploads;
        return true;
    }
    bool setBoneWeights(const float* w, int count) override {
        if (!w)
            return false;
        boneWeights.assign(w, w + count);
        return true;
    }
    bool setBoneIndices(const unsigned char* b, int count) override {
        if (!b)
            return false;
        boneIndices.assign(b, b + count);
        return true;
    }
    void getPositions(float** out) override { *out = copyOut(positions); }
    bool setUVPairArray(const rvUVPair* uv, int count) override {
        if (!uv)
            return false;
        return setUVs(&uv->u, count * 2);
    }
    bool setUVs(const float* uv, int count) override {
        if (!uv && count > 0)
            return false;
        uvs.assign(uv, uv + count);
        return true;
    }
    bool setUVPairArray2(const rvUVPair* uv, int count) override {
        if (!uv)
            return false;
        return setUVs2(&uv->u, count * 2);
    }
    bool setUVs2(const float* uv, int count) override {
        if (!uv)
            return false;
        uvs2.assign(uv, uv + count);
        return true;
    }
    bool setDataArray(const rvVector3* d, int count) override {
        if (!d)
            return false;
        return setData(d, count * 12, 3);
    }
    bool setData(const void* d, int bytes, int components) override {
        if (!d && bytes > 0)
            return false;
        data0.resize(bytes / 4);
        if (bytes > 0)
            std::memcpy(data0.data(), d, bytes / 4 * 4);
        data0Components = components;
        return true;
    }
    bool setDataArray2(const rvVector3* d, int count) override {
        if (!d)
            return false;
        return setData2(d, count * 12, 3);
    }
    bool setData2(const void* d, int bytes, int components) override {
        if (!d)
            return false;
        data1.resize(bytes / 4);
        std::memcpy(data1.data(), d, bytes / 4 * 4);
        data1Components = components;
        return true;
    }
    rvMesh* setTexture(rvTexture* t) override {
        texture = t;
        return this;
    }
    rvTexture* loadTexture(const char* file) override {
        loadedTextures.push_back(file ? file : "");
        texture = gTextureManager ? gTextureManager->loadTexture(file) : nullptr;
        return texture;
    }
    rvMesh* setTexture2(rvTexture* t) override {
        texture2 = t;
        return this;
    }
    rvTexture* loadTexture2(const char* file) override {
        loadedTextures.push_back(file ? file : "");
        texture2 = gTextureManager ? gTextureManager->loadTexture(file) : nullptr;
        return texture2;
    }
    rvTexture* loadMipmappedTexture(const char* file) override { return loadTexture(file); }
    rvTexture* loadMipmappedTexture2(const char* file) override { return loadTexture2(file); }
    rvTexture* getTexture() override { return texture; }
    rvTexture* getTexture2() override { return texture2; }
    bool setNormalArray(const rvVector3* n, int count) override {
        if (!n)
            return false;
        return setNormals(&n->x, count * 3);
    }
    bool setNormals(const float* n, int count) override {
        if (!n && count > 0)
            return false;
        normals.assign(n, n + count);
        return true;
    }
    void getNormals(float** out) override { *out = copyOut(normals); }
    void setPrimitiveCount(int count) override { primitiveCount = count; }
    int countPrimitives() override { return primitiveCount; }
    void setPrimitiveType(int t) override {
        if (t >= 0 && t <= 4)
            type = t;
    }
    int getPrimitiveType() override { return type; }
    bool drawBoundingBox(rvRender*) override { return true; }
    bool drawNormals(rvRender*) override { return true; }
    void reserved(int) override {}

    std::vector<float> positions, normals, uvs, uvs2, colors, data0, data1, boneWeights;
    std::vector<unsigned char> boneIndices;
    std::vector<unsigned int> indices32;
    std::vector<unsigned short> indices16;
    std::vector<std::string> loadedTextures;
    bool uses32 = false;
    bool constantColor = false;
    int data0Components = 0;
    int data1Components = 0;
    int primitiveCount = 0;
    int positionUploads = 0;
    int calls = 0;
    int type;
    rvTexture* texture = nullptr;
    rvTexture* texture2 = nullptr;

private:
    float* copyOut(const std::vector<float>& v) {
        if (v.empty())
            return nullptr;
        float* out = new float[v.size()];
        std::memcpy(out, v.data(), v.size() * sizeof(float));
        return out;
    }
};
