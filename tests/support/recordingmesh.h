// A processor-only mesh for tests of the core: it keeps every stream exactly as the mesh
// interface accepted it (colours alpha first, v not flipped), so tests see what a generator,
// an importer or the animated mesh handed over. The rules for refused data are the
// interface's own (rvmesh.h), as on every back end.
#pragma once

#include <algorithm>
#include <vector>

#include "rvmesh.h"
#include "rvrender.h"

class RecordingMesh : public rvMesh {
public:
    explicit RecordingMesh(int type = kTriangleList) : rvMesh(type) {}

    void getPositions(float** out) override { *out = copyOut(positions); }
    void getNormals(float** out) override { *out = copyOut(normals); }
    void setPrimitiveCount(int count) override { primitiveCount = count; }
    int countPrimitives() override {
        return mVertexCount / (mPrimitiveType >= kTriangleList ? 3 : 2);
    }
    bool drawNormals(rvRender*) override { return !normals.empty(); }

    std::vector<float> positions, colors, uvs, uvs2, normals, data[2], boneWeights;
    std::vector<unsigned char> boneIndices;
    std::vector<unsigned short> indices16;
    std::vector<unsigned int> indices32;
    int dataComponents[2] = {0, 0};
    int primitiveCount = 0;
    int positionUploads = 0;

protected:
    bool storeIndices(const void* indices, int count, bool wide) override {
        indices16.clear();
        indices32.clear();
        if (wide) {
            const auto* i = static_cast<const unsigned int*>(indices);
            indices32.assign(i, i + count);
        } else {
            const auto* i = static_cast<const unsigned short*>(indices);
            indices16.assign(i, i + count);
        }
        return true;
    }
    bool storePositions(const float* xyz, int n) override {
        ++positionUploads;
        return keep(positions, xyz, n * 3);
    }
    bool storeColors(const float* argb, int n) override { return keep(colors, argb, n * 4); }
    bool storeUVs(int set, const float* uv, int n) override {
        return keep(set == 0 ? uvs : uvs2, uv, n * 2);
    }
    bool storeData(int stream, const float* values, int n, int components) override {
        dataComponents[stream] = components;
        return keep(data[stream], values, n * components);
    }
    bool storeNormals(const float* xyz, int n) override { return keep(normals, xyz, n * 3); }
    bool storeBoneWeights(const float* w, int n) override { return keep(boneWeights, w, n * 4); }
    bool storeBoneIndices(const unsigned char* b, int n) override {
        boneIndices.assign(b, b + n * 4);
        return true;
    }

private:
    static bool keep(std::vector<float>& stream, const float* values, int count) {
        stream.assign(values, values + count);
        return true;
    }
    static float* copyOut(const std::vector<float>& v) {
        if (v.empty()) {
            return nullptr;
        }
        float* out = new float[v.size()];
        std::copy(v.begin(), v.end(), out);
        return out;
    }
};
