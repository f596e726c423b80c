#include "rvglmesh.h"

#include <GL/gl.h>

#include <algorithm>
#include <cassert>
#include <cstring>

#include "rvmessage.h"
#include "rvrender.h"
#include "rvtexture.h"

namespace {

const GLenum kModes[5] = {GL_POINTS, GL_LINES, GL_LINE_STRIP, GL_TRIANGLES, GL_TRIANGLE_STRIP};

template <typename T> int largest(const T* values, int count) {
    return static_cast<int>(*std::max_element(values, values + count));
}

// Whole vertices of `width` floats in `floatCount` floats; -1 for a bad array or count.
int wholeVertices(const void* array, int floatCount, int width) {
    if (!array || floatCount < 0) {
        return -1;
    }
    return floatCount / width;
}

} // namespace

rvGLMesh::rvGLMesh(int primitiveType)
    : mGLMode(GL_TRIANGLES), mTexture(nullptr), mTexture2(nullptr), mIndexCount(0), mMaxIndex(0),
      mUse32(false), mNormalLinesStale(true) {
    assert(primitiveType >= kPointList && primitiveType <= kTriangleStrip &&
           "Invalid primitive type");
    setPrimitiveType(primitiveType);
}

rvGLMesh::~rvGLMesh() = default;

bool rvGLMesh::setIndexArray32(const unsigned int* indexArray, int count) {
    if (!indexArray || count <= 0) {
        return false;
    }
    mIndices32.assign(indexArray, indexArray + count);
    mIndices16.clear();
    mIndexCount = count;
    mMaxIndex = largest(indexArray, count);
    mUse32 = true;
    return true;
}

bool rvGLMesh::setIndexArray16(const unsigned short* indexArray, int count) {
    if (!indexArray || count <= 0) {
        return false;
    }
    mIndices16.assign(indexArray, indexArray + count);
    mIndices32.clear();
    mIndexCount = count;
    mMaxIndex = largest(indexArray, count);
    mUse32 = false;
    return true;
}

bool rvGLMesh::setARGBColor(const unsigned int* ARGBColor, int vertexCount) {
    if (!ARGBColor) {
        return false;
    }
    const unsigned int c = ARGBColor[0];
    auto channel = [c](int shift) { return static_cast<float>((c >> shift) & 0xffu) / 255.0f; };
    return setConstantColor(channel(24), channel(16), channel(8), channel(0), vertexCount);
}

bool rvGLMesh::setFourFloatColors(const float* fourFloatColor, int floatCount) {
    const int n = wholeVertices(fourFloatColor, floatCount, 4);
    if (n < 0) {
        return false;
    }
    mColors.resize(static_cast<size_t>(n) * 4);
    for (int i = 0; i < n; ++i) {
        const float* argb = fourFloatColor + 4 * i;
        float* rgba = &mColors[4 * static_cast<size_t>(i)];
        rgba[0] = argb[1];
        rgba[1] = argb[2];
        rgba[2] = argb[3];
        rgba[3] = argb[0];
    }
    return true;
}

bool rvGLMesh::setConstantColor(float a, float r, float g, float b, int vertexCount) {
    if (vertexCount < 0) {
        return false;
    }
    mColors.resize(static_cast<size_t>(vertexCount) * 4);
    for (int i = 0; i < vertexCount; ++i) {
        float* rgba = &mColors[4 * static_cast<size_t>(i)];
        rgba[0] = r;
        rgba[1] = g;
        rgba[2] = b;
        rgba[3] = a;
    }
    return true;
}

bool rvGLMesh::setPositionArray(const rvVector3* posArray, int count) {
    if (!posArray || count < 0) {
        return false;
    }
    mPositions.resize(static_cast<size_t>(count) * 3);
    for (int i = 0; i < count; ++i) {
        mPositions[3 * i] = posArray[i].x;
        mPositions[3 * i + 1] = posArray[i].y;
        mPositions[3 * i + 2] = posArray[i].z;
    }
    setBoundsFromPositions(mPositions.data(), count);
    mNormalLinesStale = true;
    return true;
}

bool rvGLMesh::setPositions(const float* threeFloatPos, int floatCount) {
    const int n = wholeVertices(threeFloatPos, floatCount, 3);
    if (n < 0) {
        return false;
    }
    mPositions.assign(threeFloatPos, threeFloatPos + 3 * n);
    setBoundsFromPositions(mPositions.data(), n);
    mNormalLinesStale = true;
    return true;
}

bool rvGLMesh::setBoneWeights(const float*, int) {
    return false;
}

bool rvGLMesh::setBoneIndices(const unsigned char*, int) {
    return false;
}

void rvGLMesh::getPositions(float** out) {
    assert(out && "out != NULL");
    if (!out) {
        return;
    }
    *out = nullptr;
    if (!mPositions.empty()) {
        *out = new float[mPositions.size()];
        std::copy(mPositions.begin(), mPositions.end(), *out);
    }
}

bool rvGLMesh::setUVStream(std::vector<float>* stream, const float* uvPairs, int pairs) {
    if (!uvPairs || pairs < 0) {
        return false;
    }
    stream->resize(static_cast<size_t>(pairs) * 2);
    for (int i = 0; i < pairs; ++i) {
        (*stream)[2 * i] = uvPairs[2 * i];
        (*stream)[2 * i + 1] = 1.0f - uvPairs[2 * i + 1];
    }
    return true;
}

bool rvGLMesh::setUVPairArray(const rvUVPair* uvPairs, int count) {
    static_assert(sizeof(rvUVPair) == 2 * sizeof(float), "uv pairs are two packed floats");
    return setUVStream(&mUVs[0], reinterpret_cast<const float*>(uvPairs), count);
}

bool rvGLMesh::setUVs(const float* uvPairs, int floatCount) {
    return setUVStream(&mUVs[0], uvPairs, floatCount < 0 ? -1 : floatCount / 2);
}

bool rvGLMesh::setUVPairArray2(const rvUVPair* uvPairs, int count) {
    return setUVStream(&mUVs[1], reinterpret_cast<const float*>(uvPairs), count);
}

bool rvGLMesh::setUVs2(const float* uvPairs, int floatCount) {
    return setUVStream(&mUVs[1], uvPairs, floatCount < 0 ? -1 : floatCount / 2);
}

bool rvGLMesh::setExtraStream(ExtraStream* stream, const void* data, int byteCount,
                              int components) {
    if (!data || byteCount < 0 || components < 1 || components > 4) {
        return false;
    }
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    stream->bytes.assign(bytes, bytes + byteCount);
    stream->components = components;
    return true;
}

bool rvGLMesh::setDataArray(const rvVector3* data, int count) {
    static_assert(sizeof(rvVector3) == 3 * sizeof(float), "vectors are three packed floats");
    return setExtraStream(&mExtra[0], data, count < 0 ? -1 : count * 12, 3);
}

bool rvGLMesh::setData(const void* data, int byteCount, int components) {
    return setExtraStream(&mExtra[0], data, byteCount, components);
}

bool rvGLMesh::setDataArray2(const rvVector3* data, int count) {
    return setExtraStream(&mExtra[1], data, count < 0 ? -1 : count * 12, 3);
}

bool rvGLMesh::setData2(const void* data, int byteCount, int components) {
    return setExtraStream(&mExtra[1], data, byteCount, components);
}

const void* rvGLMesh::extraData(int stream) const {
    return mExtra[stream].bytes.empty() ? nullptr : mExtra[stream].bytes.data();
}

int rvGLMesh::extraCount(int stream) const {
    const ExtraStream& s = mExtra[stream];
    if (s.components <= 0) {
        return 0;
    }
    return static_cast<int>(s.bytes.size() / (sizeof(float) * s.components));
}

rvMesh* rvGLMesh::setTexture(rvTexture* texture) {
    mTexture = texture;
    return this;
}

rvTexture* rvGLMesh::loadTexture(const char* file) {
    if (gTextureManager) {
        mTexture = gTextureManager->loadTexture(file);
    }
    return gTextureManager ? mTexture : nullptr;
}

rvMesh* rvGLMesh::setTexture2(rvTexture* texture) {
    mTexture2 = texture;
    return this;
}

rvTexture* rvGLMesh::loadTexture2(const char* file) {
    if (gTextureManager) {
        mTexture2 = gTextureManager->loadTexture(file);
    }
    return gTextureManager ? mTexture2 : nullptr;
}

rvTexture* rvGLMesh::loadMipmappedTexture(const char* file) {
    if (gTextureManager) {
        mTexture = gTextureManager->loadMipmappedTexture(file);
    }
    return gTextureManager ? mTexture : nullptr;
}

rvTexture* rvGLMesh::loadMipmappedTexture2(const char* file) {
    if (gTextureManager) {
        mTexture2 = gTextureManager->loadMipmappedTexture(file);
    }
    return gTextureManager ? mTexture2 : nullptr;
}

bool rvGLMesh::setNormalArray(const rvVector3* normalArray, int count) {
    if (!normalArray || count < 0) {
        return false;
    }
    const float* floats = reinterpret_cast<const float*>(normalArray);
    mNormals.assign(floats, floats + 3 * static_cast<size_t>(count));
    mNormalLinesStale = true;
    return true;
}

bool rvGLMesh::setNormals(const float* threeFloatArray, int floatCount) {
    const int n = wholeVertices(threeFloatArray, floatCount, 3);
    if (n < 0) {
        return false;
    }
    mNormals.assign(threeFloatArray, threeFloatArray + 3 * n);
    mNormalLinesStale = true;
    return true;
}

void rvGLMesh::getNormals(float** out) {
    assert(out && "out != NULL");
    if (!out) {
        return;
    }
    *out = nullptr;
    if (!mNormals.empty()) {
        // Callers read vertexCount × 3 floats: normals missing for some vertices read as 0.
        const size_t n = std::max(mNormals.size(), static_cast<size_t>(mVertexCount) * 3);
        *out = new float[n]();
        std::copy(mNormals.begin(), mNormals.end(), *out);
    }
}

void rvGLMesh::setPrimitiveCount(int) {}

int rvGLMesh::countPrimitives() {
    switch (mGLMode) {
    case GL_POINTS:
    case GL_LINES:
    case GL_LINE_STRIP:
        return mVertexCount / 2;
    case GL_TRIANGLES:
    case GL_TRIANGLE_STRIP:
        return mVertexCount / 3;
    default:
        return -1;
    }
}

void rvGLMesh::setPrimitiveType(int type) {
    if (type >= kPointList && type <= kTriangleStrip) {
        mGLMode = kModes[type];
    }
}

int rvGLMesh::getPrimitiveType() {
    for (int type = kPointList; type <= kTriangleStrip; ++type) {
        if (kModes[type] == mGLMode) {
            return type;
        }
    }
    return -1;
}

bool rvGLMesh::drawBoundingBox(rvRender* renderer) {
    assert(renderer && "renderer != NULL");
    if (!renderer) {
        return false;
    }
    float lines[72];
    boundingBoxLines(lines);
    return renderer->drawPrimitives(kLineList, lines, 24, 12);
}

bool rvGLMesh::drawNormals(rvRender*) {
    const size_t n = static_cast<size_t>(mVertexCount);
    if (n == 0 || mPositions.size() < 3 * n || mNormals.size() < 3 * n) {
        rvShowMessage("ERROR DRAWING NORMALS - Buffers not set", "Draw Error");
        return false;
    }
    if (mNormalLinesStale) {
        mNormalLines.resize(n * 12);
        for (size_t i = 0; i < n; ++i) {
            const float* p = &mPositions[3 * i];
            const float* nrm = &mNormals[3 * i];
            float* line = &mNormalLines[12 * i];
            const float start[6] = {0.0f, 0.0f, 0.0f, p[0], p[1], p[2]};
            const float end[6] = {1.0f, 0.0f, 0.0f, p[0] + nrm[0], p[1] + nrm[1], p[2] + nrm[2]};
            std::memcpy(line, start, sizeof(start));
            std::memcpy(line + 6, end, sizeof(end));
        }
        mNormalLinesStale = false;
    }
    glInterleavedArrays(GL_C3F_V3F, 24, mNormalLines.data());
    glDrawArrays(GL_LINES, 0, static_cast<GLsizei>(n * 2));
    // glInterleavedArrays enabled both arrays on our buffer; leave none pointing into it.
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glColor4ub(255, 255, 255, 255);
    return true;
}
