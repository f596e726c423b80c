// The OpenGL mesh's setters and getters make no GL call; they are tested without a context.
#include "rvglmesh.h"

#include <GL/gl.h>

#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "recordingrender.h"
#include "rvmessage.h"

namespace {

using Floats = std::vector<float>;

Floats floats(const float* p, size_t n) {
    return p ? Floats(p, p + n) : Floats();
}

TEST(GLMesh, PrimitiveTypesMapToGLModesAndDecideThePrimitiveCount) {
    const GLenum modes[5] = {GL_POINTS, GL_LINES, GL_LINE_STRIP, GL_TRIANGLES, GL_TRIANGLE_STRIP};
    const int primitivesOfFive[5] = {2, 2, 2, 1, 1}; // vertices / 2 or / 3
    const float p[15] = {};
    for (int type = 0; type < 5; ++type) {
        rvGLMesh mesh(type);
        EXPECT_EQ(mesh.glMode(), modes[type]) << type;
        mesh.setPrimitiveType(5); // ignored, as is any type outside 0…4
        ASSERT_TRUE(mesh.setPositions(p, 15));
        EXPECT_EQ(mesh.getPrimitiveType(), type);
        EXPECT_EQ(mesh.countPrimitives(), primitivesOfFive[type]) << type;
    }
}

TEST(GLMesh, PositionsGiveTheVertexCountTheBoxAndCopies) {
    rvGLMesh mesh(kTriangleList);
    const float p[9] = {1, -2, 3, -4, 5, 0.5f, 2, 0, -6};
    ASSERT_TRUE(mesh.setPositions(p, 9));
    EXPECT_EQ(mesh.getVertexCount(), 3);
    const rvVector3 lo = mesh.getBoundsMin();
    const rvVector3 hi = mesh.getBoundsMax();
    EXPECT_EQ(Floats({lo.x, lo.y, lo.z, hi.x, hi.y, hi.z}), (Floats{-4, -2, -6, 2, 5, 3}));
    float* copy = nullptr;
    mesh.getPositions(&copy);
    EXPECT_EQ(floats(copy, 9), (Floats{1, -2, 3, -4, 5, 0.5f, 2, 0, -6}));
    delete[] copy;
}

TEST(GLMesh, VIsFlippedInBothSets) {
    rvGLMesh mesh(kTriangleList);
    const float uv[4] = {0.25f, 0.0f, 0.5f, 0.75f};
    ASSERT_TRUE(mesh.setUVs(uv, 4));
    EXPECT_EQ(floats(mesh.uvs(0), 4), (Floats{0.25f, 1.0f, 0.5f, 0.25f}));
    const rvUVPair pair[1] = {{0.1f, 0.2f}};
    ASSERT_TRUE(mesh.setUVPairArray2(pair, 1));
    EXPECT_FLOAT_EQ(mesh.uvs(1)[1], 0.8f);
}

TEST(GLMesh, ColoursAreStoredRedGreenBlueAlpha) {
    rvGLMesh mesh(kTriangleList);
    const float argb[8] = {1.0f, 0.5f, 0.25f, 0.0f, 0.2f, 0.4f, 0.6f, 0.8f};
    ASSERT_TRUE(mesh.setFourFloatColors(argb, 8));
    EXPECT_EQ(floats(mesh.colors(), 8), (Floats{0.5f, 0.25f, 0.0f, 1.0f, 0.4f, 0.6f, 0.8f, 0.2f}));
    ASSERT_TRUE(mesh.setConstantColor(0.5f, 1.0f, 0.25f, 0.0f, 2));
    EXPECT_EQ(floats(mesh.colors(), 8), (Floats{1.0f, 0.25f, 0.0f, 0.5f, 1.0f, 0.25f, 0.0f, 0.5f}));
    // Every vertex takes the first packed colour, its bytes scaled to 0…1.
    const unsigned int packed[2] = {0x80FF0000u, 0x00123456u};
    ASSERT_TRUE(mesh.setARGBColor(packed, 3));
    ASSERT_EQ(mesh.colorCount(), 3);
    EXPECT_EQ(floats(mesh.colors() + 8, 4), (Floats{1.0f, 0.0f, 0.0f, 128.0f / 255.0f}));
}

TEST(GLMesh, RefusedDataKeepsThePreviousStreams) {
    rvGLMesh mesh(kTriangleList);
    const float f[6] = {1, 2, 3, 4, 5, 6};
    const unsigned short i16[3] = {0, 1, 2};
    ASSERT_TRUE(mesh.setPositions(f, 3) && mesh.setUVs(f, 2) && mesh.setIndexArray16(i16, 3));
    ASSERT_TRUE(mesh.setConstantColor(1, 1, 1, 1, 1));
    EXPECT_FALSE(mesh.setPositionArray(nullptr, 3));
    EXPECT_FALSE(mesh.setUVs(nullptr, 2));
    EXPECT_FALSE(mesh.setFourFloatColors(nullptr, 8));
    EXPECT_FALSE(mesh.setIndexArray16(i16, 0));
    EXPECT_FALSE(mesh.setIndexArray32(nullptr, 1));
    EXPECT_FALSE(mesh.setData(f, 16, 5));    // more components than a texture coordinate has
    EXPECT_FALSE(mesh.setBoneWeights(f, 4)); // skinning stays on the processor
    EXPECT_EQ(floats(mesh.positions(), 3), (Floats{1, 2, 3}));
    EXPECT_EQ(floats(mesh.uvs(0), 2), (Floats{1, -1}));
    EXPECT_EQ(floats(mesh.colors(), 4), (Floats{1, 1, 1, 1}));
    EXPECT_EQ(mesh.indexCount(), 3);
    // The last index setter decides the width.
    const unsigned int i32[4] = {0, 1, 2, 70000};
    ASSERT_TRUE(mesh.setIndexArray32(i32, 4));
    EXPECT_TRUE(mesh.uses32BitIndices());
    EXPECT_EQ(mesh.verticesRead(), 70001);
    ASSERT_TRUE(mesh.setIndexArray16(i16 + 1, 2));
    EXPECT_FALSE(mesh.uses32BitIndices());
    EXPECT_EQ(mesh.verticesRead(), 3);
}

std::vector<std::string> gMessages;

TEST(GLMesh, StreamsKeepTheirLengthsAndShortNormalsAreNotDrawn) {
    rvGLMesh mesh(kTriangleList);
    const float p[9] = {0, 0, 0, 1, 1, 1, 2, 2, 2};
    const float tangents[8] = {1, 0, 0, 1, 0, 1, 0, -1};
    const rvVector3 v[1] = {rvVector3(0, 0, 1)};
    ASSERT_TRUE(mesh.setPositions(p, 9) && mesh.setNormalArray(v, 1));
    ASSERT_TRUE(mesh.setData(tangents, sizeof(tangents), 4) && mesh.setDataArray2(v, 1));
    EXPECT_EQ(mesh.extraComponents(0), 4);
    EXPECT_EQ(mesh.extraCount(0), 2);
    EXPECT_EQ(mesh.extraComponents(1), 3);
    // A copy of the normals covers every vertex, but drawing needs a normal per vertex.
    float* out = nullptr;
    mesh.getNormals(&out);
    EXPECT_EQ(floats(out, 9), (Floats{0, 0, 1, 0, 0, 0, 0, 0, 0}));
    delete[] out;
    rvMessageHandler previous =
        rvSetMessageHandler([](const char* text, const char*) { gMessages.push_back(text); });
    StubRender render;
    EXPECT_FALSE(mesh.drawNormals(&render));
    rvSetMessageHandler(previous);
    EXPECT_EQ(gMessages, std::vector<std::string>{"ERROR DRAWING NORMALS - Buffers not set"});
}

TEST(GLMesh, TexturesAreLoadedThroughTheProcessManager) {
    NamedTextureManager manager;
    rvTextureManager* previous = gTextureManager;
    rvGLMesh mesh(kTriangleList);
    gTextureManager = nullptr;
    EXPECT_EQ(mesh.loadTexture("a.bmp"), nullptr);
    gTextureManager = &manager;
    mesh.loadMipmappedTexture("d.tga");
    mesh.loadTexture2("b.bmp");
    EXPECT_EQ(mesh.getTexture(), manager.find("d.tga"));
    EXPECT_EQ(mesh.getTexture2(), manager.find("b.bmp"));
    gTextureManager = previous;
}

// Records the line list the bounding box is drawn with.
struct LineRender : StubRender {
    bool drawPrimitives(int type, const float* v, int count, int lines) override {
        edges.assign(v, v + count * 3);
        return type == kLineList && lines == 12 && count == 24;
    }
    Floats edges;
};

TEST(GLMesh, BoundingBoxIsDrawnAsTwelveEdges) {
    rvGLMesh mesh(kTriangleList);
    const float p[6] = {-1, -2, -3, 1, 2, 3};
    mesh.setPositions(p, 6);
    LineRender render;
    ASSERT_TRUE(mesh.drawBoundingBox(&render));
    // Every edge joins two corners of the box that differ in exactly one coordinate.
    for (size_t e = 0; e < render.edges.size(); e += 6) {
        const float* a = &render.edges[e];
        EXPECT_EQ((a[0] != a[3]) + (a[1] != a[4]) + (a[2] != a[5]), 1) << e;
        EXPECT_EQ(Floats({std::abs(a[0]), std::abs(a[1]), std::abs(a[2])}), (Floats{1, 2, 3}));
    }
}

} // namespace
