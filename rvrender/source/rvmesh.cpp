#include "rvmesh.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <vector>

#include "rvrender.h"
#include "rvtexture.h"

namespace {

static_assert(sizeof(rvVector3) == 3 * sizeof(float), "vectors are three packed floats");
static_assert(sizeof(rvUVPair) == 2 * sizeof(float), "uv pairs are two packed floats");

// Whole vertices of `width` values in `count` values; -1 for a null array or a negative count.
int wholeVertices(const void* array, int count, int width) {
    return (!array || count < 0) ? -1 : count / width;
}

// The element count of `count` records of `width` elements each: -1 for a null array, a negative
// count, or a count whose elements would not fit an int.
int recordElements(const void* array, int count, int width) {
    if (!array || count < 0 || count > 0x7fffffff / width) {
        return -1;
    }
    return count * width;
}

constexpr float channel(unsigned int packed, int shift) {
    return static_cast<float>((packed >> shift) & 0xffu) / 255.0f;
}

} // namespace

rvMesh::rvMesh(int primitiveType)
    : mVertexCount(0), mPrimitiveType(kTriangleList), mTexture(nullptr), mTexture2(nullptr) {
    assert(primitiveType >= kPointList && primitiveType <= kTriangleStrip &&
           "Invalid primitive type");
    setPrimitiveType(primitiveType);
}

rvMesh::~rvMesh() = default;

// The largest index is kept even when a back end's store reports false for an array it kept.
bool rvMesh::setIndexArray32(const unsigned int* indexArray, int count) {
    if (!indexArray || count <= 0) {
        return false;
    }
    const unsigned int largest = *std::max_element(indexArray, indexArray + count);
    mMaxIndex = largest > 0x7fffffffu ? 0x7fffffff : static_cast<int>(largest);
    return storeIndices(indexArray, count, true);
}

bool rvMesh::setIndexArray16(const unsigned short* indexArray, int count) {
    if (!indexArray || count <= 0) {
        return false;
    }
    mMaxIndex = *std::max_element(indexArray, indexArray + count);
    return storeIndices(indexArray, count, false);
}

int rvMesh::countPrimitives() {
    return rvPrimitivesFrom(mPrimitiveType, mVertexCount);
}

bool rvMesh::setARGBColor(const unsigned int* ARGBColor, int vertexCount) {
    if (!ARGBColor) {
        return false;
    }
    const unsigned int c = ARGBColor[0];
    return setConstantColor(channel(c, 24), channel(c, 16), channel(c, 8), channel(c, 0),
                            vertexCount);
}

bool rvMesh::setFourFloatColors(const float* fourFloatColor, int floatCount) {
    const int n = wholeVertices(fourFloatColor, floatCount, 4);
    return n >= 0 && storeColors(fourFloatColor, n);
}

bool rvMesh::setConstantColor(float a, float r, float g, float b, int vertexCount) {
    if (vertexCount < 0) {
        return false;
    }
    std::vector<float> argb;
    argb.reserve(static_cast<size_t>(vertexCount) * 4);
    for (int i = 0; i < vertexCount; ++i) {
        argb.insert(argb.end(), {a, r, g, b});
    }
    return storeColors(argb.data(), vertexCount);
}

bool rvMesh::setPositionArray(const rvVector3* posArray, int count) {
    return setPositions(reinterpret_cast<const float*>(posArray),
                        recordElements(posArray, count, 3));
}

bool rvMesh::setPositions(const float* threeFloatPos, int floatCount) {
    const int n = wholeVertices(threeFloatPos, floatCount, 3);
    if (n < 0) {
        return false;
    }
    setBoundsFromPositions(threeFloatPos, n);
    return storePositions(threeFloatPos, n);
}

bool rvMesh::setBoneWeights(const float* fourFloats, int floatCount) {
    const int n = wholeVertices(fourFloats, floatCount, 4);
    return n >= 0 && storeBoneWeights(fourFloats, n);
}

bool rvMesh::setBoneIndices(const unsigned char* fourIndices, int byteCount) {
    const int n = wholeVertices(fourIndices, byteCount, 4);
    return n >= 0 && storeBoneIndices(fourIndices, n);
}

bool rvMesh::setUVStream(int set, const float* uv, int floatCount) {
    const int n = wholeVertices(uv, floatCount, 2);
    return n >= 0 && storeUVs(set, uv, n);
}

bool rvMesh::setUVPairArray(const rvUVPair* uvPairs, int count) {
    return setUVStream(0, reinterpret_cast<const float*>(uvPairs),
                       recordElements(uvPairs, count, 2));
}

bool rvMesh::setUVs(const float* uvPairs, int floatCount) {
    return setUVStream(0, uvPairs, floatCount);
}

bool rvMesh::setUVPairArray2(const rvUVPair* uvPairs, int count) {
    return setUVStream(1, reinterpret_cast<const float*>(uvPairs),
                       recordElements(uvPairs, count, 2));
}

bool rvMesh::setUVs2(const float* uvPairs, int floatCount) {
    return setUVStream(1, uvPairs, floatCount);
}

bool rvMesh::setDataStream(int stream, const void* data, int byteCount, int components) {
    if (components < 1 || components > 4) {
        return false;
    }
    const int n = wholeVertices(data, byteCount, components * static_cast<int>(sizeof(float)));
    if (n < 0) {
        return false;
    }
    // The bytes may sit at any address; the back ends read floats.
    std::vector<float> values(static_cast<size_t>(n) * components);
    if (!values.empty()) {
        std::memcpy(values.data(), data, values.size() * sizeof(float));
    }
    return storeData(stream, values.data(), n, components);
}

bool rvMesh::setDataArray(const rvVector3* data, int count) {
    return setDataStream(0, data, recordElements(data, count, sizeof(rvVector3)), 3);
}

bool rvMesh::setData(const void* data, int byteCount, int components) {
    return setDataStream(0, data, byteCount, components);
}

bool rvMesh::setDataArray2(const rvVector3* data, int count) {
    return setDataStream(1, data, recordElements(data, count, sizeof(rvVector3)), 3);
}

bool rvMesh::setData2(const void* data, int byteCount, int components) {
    return setDataStream(1, data, byteCount, components);
}

rvMesh* rvMesh::setTexture(rvTexture* texture) {
    mTexture = texture;
    return this;
}

rvTexture* rvMesh::loadTexture(const char* file) {
    return loadInto(&mTexture, &rvTextureManager::loadTexture, file);
}

rvMesh* rvMesh::setTexture2(rvTexture* texture) {
    mTexture2 = texture;
    return this;
}

rvTexture* rvMesh::loadTexture2(const char* file) {
    return loadInto(&mTexture2, &rvTextureManager::loadTexture, file);
}

rvTexture* rvMesh::loadMipmappedTexture(const char* file) {
    return loadInto(&mTexture, &rvTextureManager::loadMipmappedTexture, file);
}

rvTexture* rvMesh::loadMipmappedTexture2(const char* file) {
    return loadInto(&mTexture2, &rvTextureManager::loadMipmappedTexture, file);
}

rvTexture* rvMesh::loadInto(rvTexture** slot, rvTexture* (rvTextureManager::*load)(const char*),
                            const char* file) {
    if (!gTextureManager) {
        return nullptr;
    }
    return *slot = (gTextureManager->*load)(file);
}

rvTexture* rvMesh::getTexture() {
    return mTexture;
}

rvTexture* rvMesh::getTexture2() {
    return mTexture2;
}

bool rvMesh::setNormalArray(const rvVector3* normalArray, int count) {
    return setNormals(reinterpret_cast<const float*>(normalArray),
                      recordElements(normalArray, count, 3));
}

bool rvMesh::setNormals(const float* threeFloatArray, int floatCount) {
    const int n = wholeVertices(threeFloatArray, floatCount, 3);
    return n >= 0 && storeNormals(threeFloatArray, n);
}

void rvMesh::setPrimitiveType(int type) {
    if (type >= kPointList && type <= kTriangleStrip) {
        mPrimitiveType = type;
    }
}

int rvMesh::getPrimitiveType() {
    return mPrimitiveType;
}

bool rvMesh::drawBoundingBox(rvRender* renderer) {
    assert(renderer && "renderer != NULL");
    if (!renderer) {
        return false;
    }
    const float x[2] = {mMin.x, mMax.x};
    const float y[2] = {mMin.y, mMax.y};
    const float z[2] = {mMin.z, mMax.z};
    // Corner i has x from bit 0, y from bit 1, z from bit 2; an edge joins corners that differ
    // in one bit.
    float lines[72];
    int n = 0;
    for (int corner = 0; corner < 8; ++corner) {
        for (int bit = 1; bit < 8; bit <<= 1) {
            if (corner & bit) {
                continue;
            }
            for (int e : {corner, corner | bit}) {
                lines[n++] = x[e & 1];
                lines[n++] = y[(e >> 1) & 1];
                lines[n++] = z[(e >> 2) & 1];
            }
        }
    }
    return renderer->drawPrimitives(kLineList, lines, 24, 12);
}

float* rvMesh::beginPositions(int n) {
    return positionStorage(n > 0 ? n : 0);
}

bool rvMesh::commitPositions(int n, const rvVector3& min, const rvVector3& max) {
    mVertexCount = n > 0 ? n : 0;
    if (mVertexCount > 0) {
        mMin = min;
        mMax = max;
    }
    return commitPositionStorage(mVertexCount);
}

float* rvMesh::positionStorage(int n) {
    mPositionStorage.resize(3 * static_cast<size_t>(n));
    return mPositionStorage.data();
}

bool rvMesh::commitPositionStorage(int n) {
    return storePositions(mPositionStorage.data(), n);
}

void rvMesh::setBoundsFromPositions(const float* xyz, int count) {
    mVertexCount = count;
    if (count <= 0) {
        return;
    }
    mMin = rvVector3(xyz[0], xyz[1], xyz[2]);
    mMax = mMin;
    for (int i = 1; i < count; ++i) {
        const float* p = xyz + 3 * i;
        float* lo = &mMin.x;
        float* hi = &mMax.x;
        for (int axis = 0; axis < 3; ++axis) {
            if (p[axis] < lo[axis]) {
                lo[axis] = p[axis];
            } else if (p[axis] > hi[axis]) {
                hi[axis] = p[axis];
            }
        }
    }
}
