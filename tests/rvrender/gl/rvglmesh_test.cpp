// The OpenGL mesh: the mesh contract, and the layout it keeps for client arrays. Setting data
// makes no GL call, so these tests need no context.
#include "rvglmesh.h"

#include <GL/gl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "meshcontract.h"
#include "rvmessage.h"

using Floats = std::vector<float>;

namespace {

Floats floats(const float* p, int n) {
    return p ? Floats(p, p + n) : Floats();
}

} // namespace

// Reads the OpenGL layout back in the interface's terms: colours alpha first, v not flipped.
template <> struct MeshReader<rvGLMesh> {
    static constexpr bool kStoresBones = false; // the processor skins the model
    static void setUp() {}
    static Floats colors(rvGLMesh& m) {
        Floats argb = floats(m.colors(), m.colorCount() * 4);
        for (size_t i = 0; i < argb.size(); i += 4) {
            std::rotate(argb.begin() + i, argb.begin() + i + 3, argb.begin() + i + 4);
        }
        return argb;
    }
    static Floats uvs(rvGLMesh& m, int set) {
        Floats uv = floats(m.uvs(set), m.uvCount(set) * 2);
        for (size_t i = 1; i < uv.size(); i += 2) {
            uv[i] = 1.0f - uv[i];
        }
        return uv;
    }
    static Floats data(rvGLMesh& m, int s) {
        return floats(m.extraData(s), m.extraCount(s) * m.extraComponents(s));
    }
    static int components(rvGLMesh& m, int stream) { return m.extraComponents(stream); }
    static bool wideIndices(rvGLMesh& m) { return m.uses32BitIndices(); }
    static std::vector<unsigned> indices(rvGLMesh& m) {
        if (m.uses32BitIndices()) {
            return std::vector<unsigned>(m.indices32(), m.indices32() + m.indexCount());
        }
        return std::vector<unsigned>(m.indices16(), m.indices16() + m.indexCount());
    }
};

INSTANTIATE_TYPED_TEST_SUITE_P(OpenGL, MeshContract, rvGLMesh);

namespace {

TEST(GLMesh, StoresWhatClientArraysTakeAndCountsTheVerticesADrawReads) {
    const GLenum modes[5] = {GL_POINTS, GL_LINES, GL_LINE_STRIP, GL_TRIANGLES, GL_TRIANGLE_STRIP};
    for (int type = 0; type < 5; ++type) {
        EXPECT_EQ(rvGLMesh(type).glMode(), modes[type]) << type;
    }
    rvGLMesh mesh(kTriangleList);
    const float argb[4] = {1, 0.5f, 0.25f, 0};
    const float uv[2] = {0.25f, 0};
    ASSERT_TRUE(mesh.setFourFloatColors(argb, 4));
    ASSERT_TRUE(mesh.setUVs(uv, 2));
    EXPECT_EQ(floats(mesh.colors(), 4), (Floats{0.5f, 0.25f, 0, 1}));
    EXPECT_EQ(floats(mesh.uvs(0), 2), (Floats{0.25f, 1}));
    const float p[9] = {};
    const unsigned int past[3] = {0, 1, 70000};
    mesh.setPositions(p, 9);
    EXPECT_EQ(mesh.verticesRead(), 3);
    mesh.setIndexArray32(past, 3);
    EXPECT_EQ(mesh.verticesRead(), 70001); // more than the mesh holds: not drawn
}

std::vector<std::string> gMessages;

TEST(GLMesh, NormalsShorterThanThePositionsReadAsZeroAndAreNotDrawn) {
    rvGLMesh mesh(kTriangleList);
    const float p[9] = {0, 0, 0, 1, 1, 1, 2, 2, 2};
    const rvVector3 n[1] = {rvVector3(0, 0, 1)};
    ASSERT_TRUE(mesh.setPositions(p, 9));
    ASSERT_TRUE(mesh.setNormalArray(n, 1));
    float* out = nullptr;
    mesh.getNormals(&out);
    EXPECT_EQ(floats(out, 9), (Floats{0, 0, 1, 0, 0, 0, 0, 0, 0}));
    delete[] out;
    rvMessageHandler previous =
        rvSetMessageHandler([](const char* text, const char*) { gMessages.push_back(text); });
    EXPECT_FALSE(mesh.drawNormals(nullptr));
    rvSetMessageHandler(previous);
    EXPECT_EQ(gMessages, std::vector<std::string>{"ERROR DRAWING NORMALS - Buffers not set"});
}

} // namespace
