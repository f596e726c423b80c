// The OpenGL mesh's setters and getters make no GL call; they are tested without a context.
#include "rvglmesh.h"

#include <GL/gl.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "rvmessage.h"
#include "rvtexture.h"
#include "stubrender.h"

namespace {

std::vector<float> copyPositions(rvGLMesh& mesh) {
    float* out = nullptr;
    mesh.getPositions(&out);
    std::vector<float> result;
    if (out) {
        result.assign(out, out + mesh.getVertexCount() * 3);
        delete[] out;
    }
    return result;
}

std::vector<float> colorsOf(const rvGLMesh& mesh) {
    return std::vector<float>(mesh.colors(), mesh.colors() + mesh.colorCount() * 4);
}

TEST(GLMeshConstruction, StartsEmptyWithTheGivenMode) {
    rvGLMesh mesh(kTriangleStrip);
    EXPECT_EQ(mesh.glMode(), static_cast<unsigned>(GL_TRIANGLE_STRIP));
    EXPECT_EQ(mesh.getPrimitiveType(), kTriangleStrip);
    EXPECT_EQ(mesh.getVertexCount(), 0);
    EXPECT_EQ(mesh.positions(), nullptr);
    EXPECT_EQ(mesh.colors(), nullptr);
    EXPECT_EQ(mesh.uvs(0), nullptr);
    EXPECT_EQ(mesh.uvs(1), nullptr);
    EXPECT_EQ(mesh.normals(), nullptr);
    EXPECT_EQ(mesh.extraData(0), nullptr);
    EXPECT_EQ(mesh.indexCount(), 0);
    EXPECT_FALSE(mesh.uses32BitIndices());
    EXPECT_EQ(mesh.getTexture(), nullptr);
    EXPECT_EQ(mesh.getTexture2(), nullptr);
}

TEST(GLMeshPrimitiveType, MapsEngineTypesToGLModesAndBack) {
    const GLenum modes[5] = {GL_POINTS, GL_LINES, GL_LINE_STRIP, GL_TRIANGLES, GL_TRIANGLE_STRIP};
    rvGLMesh mesh(kTriangleList);
    for (int type = 0; type < 5; ++type) {
        mesh.setPrimitiveType(type);
        EXPECT_EQ(mesh.glMode(), modes[type]) << type;
        EXPECT_EQ(mesh.getPrimitiveType(), type);
    }
}

TEST(GLMeshPrimitiveType, OutOfRangeTypeLeavesTheModeUnchanged) {
    rvGLMesh mesh(kLineStrip);
    mesh.setPrimitiveType(5);
    mesh.setPrimitiveType(-1);
    EXPECT_EQ(mesh.getPrimitiveType(), kLineStrip);
}

TEST(GLMeshPositions, NineFloatsGiveThreeVerticesAndTheirBox) {
    rvGLMesh mesh(kTriangleList);
    const float p[9] = {1, -2, 3, -4, 5, 0.5f, 2, 0, -6};
    ASSERT_TRUE(mesh.setPositions(p, 9));
    EXPECT_EQ(mesh.getVertexCount(), 3);
    EXPECT_EQ(mesh.getBoundsMin().x, -4.0f);
    EXPECT_EQ(mesh.getBoundsMin().y, -2.0f);
    EXPECT_EQ(mesh.getBoundsMin().z, -6.0f);
    EXPECT_EQ(mesh.getBoundsMax().x, 2.0f);
    EXPECT_EQ(mesh.getBoundsMax().y, 5.0f);
    EXPECT_EQ(mesh.getBoundsMax().z, 3.0f);
    EXPECT_EQ(copyPositions(mesh), std::vector<float>(p, p + 9));
}

TEST(GLMeshPositions, ArrayFormCopiesTheVectors) {
    rvGLMesh mesh(kTriangleList);
    const rvVector3 p[2] = {rvVector3(1, 2, 3), rvVector3(4, 5, 6)};
    ASSERT_TRUE(mesh.setPositionArray(p, 2));
    EXPECT_EQ(copyPositions(mesh), (std::vector<float>{1, 2, 3, 4, 5, 6}));
}

TEST(GLMeshPositions, NullKeepsThePreviousPositions) {
    rvGLMesh mesh(kTriangleList);
    const float p[3] = {1, 2, 3};
    ASSERT_TRUE(mesh.setPositions(p, 3));
    EXPECT_FALSE(mesh.setPositions(nullptr, 9));
    EXPECT_FALSE(mesh.setPositionArray(nullptr, 3));
    EXPECT_EQ(mesh.getVertexCount(), 1);
    EXPECT_EQ(copyPositions(mesh), (std::vector<float>{1, 2, 3}));
}

TEST(GLMeshPositions, TheMeshKeepsItsOwnCopy) {
    rvGLMesh mesh(kTriangleList);
    float p[3] = {1, 2, 3};
    mesh.setPositions(p, 3);
    p[0] = 99.0f;
    EXPECT_EQ(mesh.positions()[0], 1.0f);
}

TEST(GLMeshPositions, GetPositionsWithoutPositionsIsNull) {
    rvGLMesh mesh(kTriangleList);
    float* out = reinterpret_cast<float*>(&mesh);
    mesh.getPositions(&out);
    EXPECT_EQ(out, nullptr);
}

TEST(GLMeshUVs, VIsFlipped) {
    rvGLMesh mesh(kTriangleList);
    const float uv[4] = {0.25f, 0.0f, 0.5f, 0.75f};
    ASSERT_TRUE(mesh.setUVs(uv, 4));
    ASSERT_EQ(mesh.uvCount(0), 2);
    EXPECT_EQ(mesh.uvs(0)[0], 0.25f);
    EXPECT_EQ(mesh.uvs(0)[1], 1.0f);
    EXPECT_EQ(mesh.uvs(0)[2], 0.5f);
    EXPECT_EQ(mesh.uvs(0)[3], 0.25f);
}

TEST(GLMeshUVs, PairFormsAndTheSecondSetFlipToo) {
    rvGLMesh mesh(kTriangleList);
    const rvUVPair pairs[1] = {{0.1f, 0.2f}};
    ASSERT_TRUE(mesh.setUVPairArray(pairs, 1));
    ASSERT_TRUE(mesh.setUVPairArray2(pairs, 1));
    EXPECT_FLOAT_EQ(mesh.uvs(0)[1], 0.8f);
    EXPECT_FLOAT_EQ(mesh.uvs(1)[1], 0.8f);
    const float uv[2] = {0.0f, 1.0f};
    ASSERT_TRUE(mesh.setUVs2(uv, 2));
    EXPECT_EQ(mesh.uvs(1)[1], 0.0f);
    EXPECT_FLOAT_EQ(mesh.uvs(0)[1], 0.8f);
}

TEST(GLMeshUVs, NullIsRefused) {
    rvGLMesh mesh(kTriangleList);
    EXPECT_FALSE(mesh.setUVs(nullptr, 2));
    EXPECT_FALSE(mesh.setUVs2(nullptr, 2));
    EXPECT_FALSE(mesh.setUVPairArray(nullptr, 1));
    EXPECT_FALSE(mesh.setUVPairArray2(nullptr, 1));
    EXPECT_EQ(mesh.uvs(0), nullptr);
}

TEST(GLMeshColors, FourFloatsAreReorderedToRGBA) {
    rvGLMesh mesh(kTriangleList);
    const float argb[8] = {1.0f, 0.5f, 0.25f, 0.0f, 0.2f, 0.4f, 0.6f, 0.8f};
    ASSERT_TRUE(mesh.setFourFloatColors(argb, 8));
    EXPECT_EQ(colorsOf(mesh),
              (std::vector<float>{0.5f, 0.25f, 0.0f, 1.0f, 0.4f, 0.6f, 0.8f, 0.2f}));
}

TEST(GLMeshColors, ConstantColorFillsEveryVertex) {
    rvGLMesh mesh(kTriangleList);
    ASSERT_TRUE(mesh.setConstantColor(0.5f, 1.0f, 0.25f, 0.0f, 3));
    EXPECT_EQ(colorsOf(mesh), (std::vector<float>{1.0f, 0.25f, 0.0f, 0.5f, 1.0f, 0.25f, 0.0f, 0.5f,
                                                  1.0f, 0.25f, 0.0f, 0.5f}));
}

TEST(GLMeshColors, PackedColorIsScaledToUnitRangeAndOnlyTheFirstIsRead) {
    rvGLMesh mesh(kTriangleList);
    // The second value must not matter: every vertex takes the first.
    const unsigned int packed[2] = {0x80FF0000u, 0x00123456u};
    ASSERT_TRUE(mesh.setARGBColor(packed, 3));
    const std::vector<float> c = colorsOf(mesh);
    ASSERT_EQ(c.size(), 12u);
    for (int v = 0; v < 3; ++v) {
        EXPECT_EQ(c[4 * v + 0], 1.0f);
        EXPECT_EQ(c[4 * v + 1], 0.0f);
        EXPECT_EQ(c[4 * v + 2], 0.0f);
        EXPECT_FLOAT_EQ(c[4 * v + 3], 128.0f / 255.0f);
    }
}

TEST(GLMeshColors, NullAndNegativeCountsAreRefused) {
    rvGLMesh mesh(kTriangleList);
    ASSERT_TRUE(mesh.setConstantColor(1, 1, 1, 1, 2));
    EXPECT_FALSE(mesh.setARGBColor(nullptr, 2));
    EXPECT_FALSE(mesh.setFourFloatColors(nullptr, 8));
    EXPECT_FALSE(mesh.setConstantColor(1, 0, 0, 0, -1));
    EXPECT_EQ(mesh.colorCount(), 2);
    EXPECT_EQ(mesh.colors()[1], 1.0f);
}

TEST(GLMeshIndices, SixteenBitIndicesAreCopied) {
    rvGLMesh mesh(kTriangleList);
    const unsigned short idx[3] = {2, 0, 1};
    ASSERT_TRUE(mesh.setIndexArray16(idx, 3));
    EXPECT_EQ(mesh.indexCount(), 3);
    EXPECT_FALSE(mesh.uses32BitIndices());
    EXPECT_EQ(std::vector<unsigned short>(mesh.indices16(), mesh.indices16() + 3),
              (std::vector<unsigned short>{2, 0, 1}));
    EXPECT_EQ(mesh.verticesRead(), 3);
}

TEST(GLMeshIndices, ZeroCountKeepsThePreviousIndices) {
    rvGLMesh mesh(kTriangleList);
    const unsigned short idx[3] = {0, 1, 2};
    ASSERT_TRUE(mesh.setIndexArray16(idx, 3));
    EXPECT_FALSE(mesh.setIndexArray16(idx, 0));
    EXPECT_FALSE(mesh.setIndexArray16(nullptr, 3));
    const unsigned int idx32[1] = {0};
    EXPECT_FALSE(mesh.setIndexArray32(idx32, -2));
    EXPECT_FALSE(mesh.setIndexArray32(nullptr, 1));
    EXPECT_EQ(mesh.indexCount(), 3);
    EXPECT_FALSE(mesh.uses32BitIndices());
    EXPECT_EQ(mesh.indices16()[2], 2);
}

TEST(GLMeshIndices, TheLastIndexSetterDecidesTheWidth) {
    rvGLMesh mesh(kTriangleList);
    const unsigned int idx32[4] = {0, 1, 2, 70000};
    const unsigned short idx16[2] = {1, 0};
    ASSERT_TRUE(mesh.setIndexArray32(idx32, 4));
    EXPECT_TRUE(mesh.uses32BitIndices());
    EXPECT_EQ(mesh.verticesRead(), 70001);
    ASSERT_TRUE(mesh.setIndexArray16(idx16, 2));
    EXPECT_FALSE(mesh.uses32BitIndices());
    EXPECT_EQ(mesh.indexCount(), 2);
    EXPECT_EQ(mesh.indices32(), nullptr);
    EXPECT_EQ(mesh.verticesRead(), 2);
}

TEST(GLMeshNormals, BothFormsCopyAndGetNormalsReturnsACopy) {
    rvGLMesh mesh(kTriangleList);
    const float p[6] = {0, 0, 0, 1, 1, 1};
    mesh.setPositions(p, 6);
    const rvVector3 n[2] = {rvVector3(0, 1, 0), rvVector3(1, 0, 0)};
    ASSERT_TRUE(mesh.setNormalArray(n, 2));
    float* out = nullptr;
    mesh.getNormals(&out);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(std::vector<float>(out, out + 6), (std::vector<float>{0, 1, 0, 1, 0, 0}));
    delete[] out;
    const float f[6] = {0, 0, 1, 0, 0, -1};
    ASSERT_TRUE(mesh.setNormals(f, 6));
    EXPECT_EQ(mesh.normals()[5], -1.0f);
    EXPECT_FALSE(mesh.setNormals(nullptr, 6));
    EXPECT_FALSE(mesh.setNormalArray(nullptr, 2));
    EXPECT_EQ(mesh.normalCount(), 2);
}

TEST(GLMeshNormals, GetNormalsCoversEveryVertexEvenWhenNormalsAreShort) {
    rvGLMesh mesh(kTriangleList);
    const float p[9] = {0, 0, 0, 1, 1, 1, 2, 2, 2};
    mesh.setPositions(p, 9);
    const float n[3] = {0, 0, 1};
    mesh.setNormals(n, 3);
    float* out = nullptr;
    mesh.getNormals(&out);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(std::vector<float>(out, out + 9), (std::vector<float>{0, 0, 1, 0, 0, 0, 0, 0, 0}));
    delete[] out;
}

TEST(GLMeshExtraStreams, RawBytesKeepTheirComponentCount) {
    rvGLMesh mesh(kTriangleList);
    const float tangents[8] = {1, 0, 0, 1, 0, 1, 0, -1};
    ASSERT_TRUE(mesh.setData(tangents, sizeof(tangents), 4));
    EXPECT_EQ(mesh.extraComponents(0), 4);
    EXPECT_EQ(mesh.extraCount(0), 2);
    EXPECT_EQ(static_cast<const float*>(mesh.extraData(0))[7], -1.0f);
    EXPECT_EQ(mesh.extraData(1), nullptr);
}

TEST(GLMeshExtraStreams, VectorFormsHaveThreeComponents) {
    rvGLMesh mesh(kTriangleList);
    const rvVector3 v[2] = {rvVector3(1, 2, 3), rvVector3(4, 5, 6)};
    ASSERT_TRUE(mesh.setDataArray2(v, 2));
    EXPECT_EQ(mesh.extraComponents(1), 3);
    EXPECT_EQ(mesh.extraCount(1), 2);
    EXPECT_EQ(static_cast<const float*>(mesh.extraData(1))[5], 6.0f);
    ASSERT_TRUE(mesh.setDataArray(v, 1));
    EXPECT_EQ(mesh.extraCount(0), 1);
}

TEST(GLMeshExtraStreams, NullAndComponentCountsGLCannotTakeAreRefused) {
    rvGLMesh mesh(kTriangleList);
    const float f[4] = {1, 2, 3, 4};
    EXPECT_FALSE(mesh.setData(nullptr, 16, 4));
    EXPECT_FALSE(mesh.setData2(f, 16, 0));
    EXPECT_FALSE(mesh.setData2(f, 16, 5));
    EXPECT_FALSE(mesh.setDataArray(nullptr, 1));
    EXPECT_EQ(mesh.extraData(0), nullptr);
    EXPECT_EQ(mesh.extraData(1), nullptr);
}

TEST(GLMeshBones, AreNotStored) {
    rvGLMesh mesh(kTriangleList);
    const float w[4] = {1, 0, 0, 0};
    const unsigned char i[4] = {0, 0, 0, 0};
    EXPECT_FALSE(mesh.setBoneWeights(w, 4));
    EXPECT_FALSE(mesh.setBoneIndices(i, 4));
}

TEST(GLMeshPrimitiveCount, FollowsTheModeAndTheVertexCount) {
    const float p[15] = {};
    rvGLMesh strip(kTriangleStrip);
    strip.setPositions(p, 15);
    EXPECT_EQ(strip.countPrimitives(), 1);
    rvGLMesh lineStrip(kLineStrip);
    lineStrip.setPositions(p, 15);
    EXPECT_EQ(lineStrip.countPrimitives(), 2);
    const float q[36] = {};
    rvGLMesh list(kTriangleList);
    list.setPositions(q, 36);
    list.setPrimitiveCount(99);
    EXPECT_EQ(list.countPrimitives(), 4);
}

TEST(GLMeshTextures, SetAndGetBothStages) {
    rvGLMesh mesh(kTriangleList);
    rvTexture a;
    rvTexture b;
    EXPECT_EQ(mesh.setTexture(&a), &mesh);
    EXPECT_EQ(mesh.setTexture2(&b), &mesh);
    EXPECT_EQ(mesh.getTexture(), &a);
    EXPECT_EQ(mesh.getTexture2(), &b);
}

// A manager that hands out one record per name, to see which of its slots a mesh uses.
class NameManager : public rvTextureManager {
public:
    bool init(void*) override { return true; }
    rvTexture* loadTexture(const char* file) override { return make(std::string("plain:") + file); }
    rvTexture* createTexture(const void*, const char*, int, int, unsigned char) override {
        return nullptr;
    }
    rvTexture* loadMipmappedTexture(const char* file) override {
        return make(std::string("mip:") + file);
    }
    rvTexture* createMipmappedTexture(const void*, const char*, int, int, unsigned char) override {
        return nullptr;
    }
    bool releaseTexture(int) override { return false; }
    void releaseAll() override { textures.clear(); }

    rvTexture* make(const std::string& name) {
        textures.push_back(std::make_unique<rvTexture>());
        textures.back()->setName(name.c_str());
        return textures.back().get();
    }
    std::vector<std::unique_ptr<rvTexture>> textures;
};

TEST(GLMeshTextures, LoadGoesThroughTheProcessManager) {
    NameManager manager;
    rvTextureManager* previous = gTextureManager;
    gTextureManager = &manager;
    rvGLMesh mesh(kTriangleList);
    EXPECT_STREQ(mesh.loadTexture("a.bmp")->name, "plain:a.bmp");
    EXPECT_STREQ(mesh.loadTexture2("b.bmp")->name, "plain:b.bmp");
    EXPECT_STREQ(mesh.getTexture()->name, "plain:a.bmp");
    EXPECT_STREQ(mesh.loadMipmappedTexture2("c.tga")->name, "mip:c.tga");
    EXPECT_STREQ(mesh.getTexture2()->name, "mip:c.tga");
    EXPECT_STREQ(mesh.loadMipmappedTexture("d.tga")->name, "mip:d.tga");
    EXPECT_STREQ(mesh.getTexture()->name, "mip:d.tga");
    gTextureManager = previous;
}

TEST(GLMeshTextures, LoadWithoutAManagerGivesNull) {
    rvTextureManager* previous = gTextureManager;
    gTextureManager = nullptr;
    rvGLMesh mesh(kTriangleList);
    EXPECT_EQ(mesh.loadTexture("a.bmp"), nullptr);
    EXPECT_EQ(mesh.getTexture(), nullptr);
    gTextureManager = previous;
}

// Records the line lists the bounding box is drawn with.
class LineRender : public StubRender {
public:
    bool drawPrimitives(int type, const float* v, int vertexCount, int primitiveCount) override {
        this->type = type;
        this->primitiveCount = primitiveCount;
        lines.assign(v, v + vertexCount * 3);
        return true;
    }
    int type = -1;
    int primitiveCount = -1;
    std::vector<float> lines;
};

TEST(GLMeshBoundingBox, DrawsTwelveEdgesOfTheBox) {
    rvGLMesh mesh(kTriangleList);
    const float p[6] = {-1, -2, -3, 1, 2, 3};
    mesh.setPositions(p, 6);
    LineRender render;
    ASSERT_TRUE(mesh.drawBoundingBox(&render));
    EXPECT_EQ(render.type, kLineList);
    EXPECT_EQ(render.primitiveCount, 12);
    ASSERT_EQ(render.lines.size(), 72u);
    // Every edge joins two corners that differ in exactly one coordinate.
    for (int e = 0; e < 12; ++e) {
        const float* a = &render.lines[6 * e];
        const float* b = a + 3;
        int differing = 0;
        for (int axis = 0; axis < 3; ++axis) {
            EXPECT_EQ(std::abs(a[axis]), std::abs(p[3 + axis]));
            differing += a[axis] != b[axis];
        }
        EXPECT_EQ(differing, 1) << "edge " << e;
    }
}

std::vector<std::string> gMessages;
void captureMessage(const char* text, const char* caption) {
    gMessages.push_back(std::string(caption) + ": " + text);
}

TEST(GLMeshNormalsDrawing, MissingNormalsAreReportedInsteadOfDrawn) {
    gMessages.clear();
    rvMessageHandler previous = rvSetMessageHandler(captureMessage);
    rvGLMesh mesh(kTriangleList);
    const float p[9] = {};
    mesh.setPositions(p, 9);
    StubRender render;
    EXPECT_FALSE(mesh.drawNormals(&render));
    rvSetMessageHandler(previous);
    ASSERT_EQ(gMessages.size(), 1u);
    EXPECT_NE(gMessages[0].find("ERROR DRAWING NORMALS - Buffers not set"), std::string::npos);
}

} // namespace
