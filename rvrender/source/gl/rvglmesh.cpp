#include "rvglmesh.h"

#include <GL/gl.h>

#include <algorithm>
#include <cassert>
#include <cstring>

#include "rvmessage.h"
#include "rvrender.h"

namespace {

// *out = a new copy of the floats, at least `least` of them (the rest 0), or null for none.
void copyOut(const std::vector<float>& values, size_t least, float** out) {
    assert(out && "out != NULL");
    if (!out) {
        return;
    }
    *out = nullptr;
    if (!values.empty()) {
        *out = new float[std::max(values.size(), least)]();
        std::copy(values.begin(), values.end(), *out);
    }
}

} // namespace

unsigned int rvGLMesh::glMode() const {
    static const GLenum kModes[5] = {GL_POINTS, GL_LINES, GL_LINE_STRIP, GL_TRIANGLES,
                                     GL_TRIANGLE_STRIP};
    return kModes[mPrimitiveType];
}

bool rvGLMesh::storeIndices(const void* indices, int count, bool wide) {
    if (wide) {
        const auto* i32 = static_cast<const unsigned int*>(indices);
        mIndices32.assign(i32, i32 + count);
        mIndices16.clear();
    } else {
        const auto* i16 = static_cast<const unsigned short*>(indices);
        mIndices16.assign(i16, i16 + count);
        mIndices32.clear();
    }
    mIndexCount = count;
    mUse32 = wide;
    return true;
}

bool rvGLMesh::storePositions(const float* xyz, int n) {
    mPositions.assign(xyz, xyz + 3 * static_cast<size_t>(n));
    mNormalLinesStale = true;
    return true;
}

float* rvGLMesh::positionStorage(int n) {
    mPositions.resize(3 * static_cast<size_t>(n));
    return mPositions.data();
}

bool rvGLMesh::commitPositionStorage(int) {
    mNormalLinesStale = true;
    return true;
}

bool rvGLMesh::storeColors(const float* argb, int n) {
    mColors.resize(static_cast<size_t>(n) * 4);
    for (size_t i = 0; i < mColors.size(); i += 4) {
        mColors[i] = argb[i + 1];
        mColors[i + 1] = argb[i + 2];
        mColors[i + 2] = argb[i + 3];
        mColors[i + 3] = argb[i];
    }
    return true;
}

bool rvGLMesh::storeUVs(int set, const float* uv, int n) {
    std::vector<float>& stream = mUVs[set];
    stream.resize(static_cast<size_t>(n) * 2);
    for (size_t i = 0; i < stream.size(); i += 2) {
        stream[i] = uv[i];
        stream[i + 1] = 1.0f - uv[i + 1];
    }
    return true;
}

bool rvGLMesh::storeData(int stream, const float* values, int n, int components) {
    mExtra[stream].values.assign(values, values + static_cast<size_t>(n) * components);
    mExtra[stream].components = components;
    return true;
}

bool rvGLMesh::storeNormals(const float* xyz, int n) {
    mNormals.assign(xyz, xyz + 3 * static_cast<size_t>(n));
    mNormalLinesStale = true;
    return true;
}

int rvGLMesh::extraCount(int stream) const {
    const ExtraStream& s = mExtra[stream];
    return s.components > 0 ? static_cast<int>(s.values.size()) / s.components : 0;
}

void rvGLMesh::getPositions(float** out) {
    copyOut(mPositions, 0, out);
}

void rvGLMesh::getNormals(float** out) {
    // Callers read vertexCount × 3 floats.
    copyOut(mNormals, static_cast<size_t>(mVertexCount) * 3, out);
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
            const float line[12] = {0.0f, 0.0f, 0.0f, p[0],          p[1],          p[2],
                                    1.0f, 0.0f, 0.0f, p[0] + nrm[0], p[1] + nrm[1], p[2] + nrm[2]};
            std::memcpy(&mNormalLines[12 * i], line, sizeof(line));
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
