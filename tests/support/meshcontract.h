// The contract of rvMesh, written once and run on every mesh: each back end's test instantiates
// it for its mesh type with a MeshReader that reads the mesh's streams back in the interface's
// terms (colours alpha first, v as given):
//
//   template <> struct MeshReader<rvGLMesh> { ... };
//   INSTANTIATE_TYPED_TEST_SUITE_P(OpenGL, MeshContract, rvGLMesh);
//
// A MeshReader<M> has: static constexpr bool kStoresBones; static void setUp(), run before each
// case (a mesh that needs a device makes sure of it there, failing the case without one); and
// static functions colors(M&),
// uvs(M&, set), data(M&, stream) returning std::vector<float>, components(M&, stream),
// indices(M&) returning std::vector<unsigned> and wideIndices(M&).
//
// A mesh may store colours as bytes (they then compare within 1/255) and may return false from
// a setter while it has no positions (rvd3dmesh.h): the cases that need a true result give the
// mesh its positions first.
#pragma once

#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "rvmesh.h"
#include "rvtexture.h"
#include "stubrender.h"

template <typename Mesh> struct MeshReader;

template <typename Mesh> class MeshContract : public ::testing::Test {
protected:
    using Read = MeshReader<Mesh>;
    void SetUp() override { Read::setUp(); }
    static std::vector<float> positions(rvMesh& mesh) { return take(&rvMesh::getPositions, mesh); }
    static std::vector<float> normals(rvMesh& mesh) { return take(&rvMesh::getNormals, mesh); }

    Mesh mesh{kTriangleList};

private:
    static std::vector<float> take(void (rvMesh::*get)(float**), rvMesh& mesh) {
        float* copy = nullptr;
        (mesh.*get)(&copy);
        std::vector<float> values(copy, copy ? copy + mesh.getVertexCount() * 3 : copy);
        delete[] copy;
        return values;
    }
};

TYPED_TEST_SUITE_P(MeshContract);

using Floats = std::vector<float>;

inline void expectColours(const Floats& actual, const Floats& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); ++i) {
        EXPECT_NEAR(actual[i], expected[i], 1.0f / 255.0f) << "component " << i;
    }
}

TYPED_TEST_P(MeshContract, PositionsSetTheCountAndTheBoxAndAreCopied) {
    float p[10] = {1, -2, 3, -4, 5, 0.5f, 2, 0, -6, 99}; // the tenth float is no whole vertex
    EXPECT_TRUE(this->positions(this->mesh).empty());
    ASSERT_TRUE(this->mesh.setPositions(p, 10));
    p[0] = 7; // the mesh keeps its own copy
    EXPECT_EQ(this->mesh.getVertexCount(), 3);
    EXPECT_EQ(this->positions(this->mesh), (Floats{1, -2, 3, -4, 5, 0.5f, 2, 0, -6}));
    const rvVector3 lo = this->mesh.getBoundsMin();
    const rvVector3 hi = this->mesh.getBoundsMax();
    EXPECT_EQ((Floats{lo.x, lo.y, lo.z, hi.x, hi.y, hi.z}), (Floats{-4, -2, -6, 2, 5, 3}));
    const rvVector3 v[2] = {rvVector3(1, 2, 3), rvVector3(4, 5, 6)};
    ASSERT_TRUE(this->mesh.setPositionArray(v, 2));
    EXPECT_EQ(this->positions(this->mesh), (Floats{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(this->mesh.getVertexCount(), 2);
}

TYPED_TEST_P(MeshContract, RefusedDataKeepsEveryStream) {
    using Read = typename TestFixture::Read;
    auto& mesh = this->mesh;
    const float f[12] = {1, 0.5f, 0.25f, 0, 0, 1, 0, 0.75f, 1, 1, 0.5f, 0.25f};
    const unsigned short i16[3] = {0, 1, 2};
    ASSERT_TRUE(mesh.setPositions(f, 9));
    ASSERT_TRUE(mesh.setNormals(f, 9));
    ASSERT_TRUE(mesh.setFourFloatColors(f, 12));
    ASSERT_TRUE(mesh.setUVs(f, 6));
    ASSERT_TRUE(mesh.setData(f, 48, 4));
    ASSERT_TRUE(mesh.setIndexArray16(i16, 3));
    const auto before = [&] {
        return std::vector<Floats>{this->positions(mesh), this->normals(mesh), Read::colors(mesh),
                                   Read::uvs(mesh, 0), Read::data(mesh, 0)};
    }();
    EXPECT_FALSE(mesh.setPositions(nullptr, 9));
    EXPECT_FALSE(mesh.setPositionArray(nullptr, 3));
    EXPECT_FALSE(mesh.setPositions(f, -3));
    EXPECT_FALSE(mesh.setNormals(nullptr, 9));
    EXPECT_FALSE(mesh.setNormalArray(nullptr, 1));
    EXPECT_FALSE(mesh.setFourFloatColors(nullptr, 12));
    EXPECT_FALSE(mesh.setConstantColor(1, 1, 1, 1, -1));
    EXPECT_FALSE(mesh.setUVs(nullptr, 6));
    EXPECT_FALSE(mesh.setUVPairArray(nullptr, 3));
    EXPECT_FALSE(mesh.setData(nullptr, 48, 4));
    EXPECT_FALSE(mesh.setData(f, 48, 0));
    EXPECT_FALSE(mesh.setData(f, 48, 5));
    EXPECT_FALSE(mesh.setIndexArray16(i16, 0));
    EXPECT_FALSE(mesh.setIndexArray32(nullptr, 3));
    EXPECT_FALSE(mesh.setBoneWeights(nullptr, 12));
    EXPECT_FALSE(mesh.setBoneIndices(nullptr, 12));
    const std::vector<Floats> after = {this->positions(mesh), this->normals(mesh),
                                       Read::colors(mesh), Read::uvs(mesh, 0), Read::data(mesh, 0)};
    EXPECT_EQ(after, before);
    EXPECT_EQ(Read::indices(mesh), (std::vector<unsigned>{0, 1, 2}));
    EXPECT_EQ(mesh.getVertexCount(), 3);
}

TYPED_TEST_P(MeshContract, ColoursArriveAlphaFirstAndOneColourFillsEveryVertex) {
    using Read = typename TestFixture::Read;
    const float argb[8] = {1, 0.5f, 0.25f, 0, 0.25f, 0, 1, 0.75f};
    ASSERT_TRUE(this->mesh.setPositions(argb, 6));
    ASSERT_TRUE(this->mesh.setFourFloatColors(argb, 8));
    expectColours(Read::colors(this->mesh), Floats(argb, argb + 8));
    ASSERT_TRUE(this->mesh.setConstantColor(1, 0.5f, 0.25f, 0, 2));
    expectColours(Read::colors(this->mesh), Floats{1, 0.5f, 0.25f, 0, 1, 0.5f, 0.25f, 0});
}

TYPED_TEST_P(MeshContract, TextureCoordinatesIndicesAndExtraStreamsKeepTheirValues) {
    using Read = typename TestFixture::Read;
    auto& mesh = this->mesh;
    const float uv[4] = {0.25f, 0, 0.5f, 0.75f};
    const float tangents[8] = {1, 0, 0, 1, 0, 1, 0, -1};
    ASSERT_TRUE(mesh.setPositions(uv, 3));
    ASSERT_TRUE(mesh.setUVs(uv, 4));
    ASSERT_TRUE(mesh.setData(tangents, sizeof(tangents), 4));
    EXPECT_EQ(Read::uvs(mesh, 0), Floats(uv, uv + 4));
    EXPECT_EQ(Read::data(mesh, 0), Floats(tangents, tangents + 8));
    EXPECT_EQ(Read::components(mesh, 0), 4);
    // The last index setter decides the width.
    const unsigned int i32[3] = {0, 1, 70000};
    const unsigned short i16[2] = {2, 1};
    ASSERT_TRUE(mesh.setIndexArray32(i32, 3));
    EXPECT_TRUE(Read::wideIndices(mesh));
    EXPECT_EQ(Read::indices(mesh), (std::vector<unsigned>{0, 1, 70000}));
    ASSERT_TRUE(mesh.setIndexArray16(i16, 2));
    EXPECT_FALSE(Read::wideIndices(mesh));
    EXPECT_EQ(Read::indices(mesh), (std::vector<unsigned>{2, 1}));
    EXPECT_EQ(mesh.setBoneWeights(tangents, 4), Read::kStoresBones);
    EXPECT_TRUE(this->normals(mesh).empty());
}

TYPED_TEST_P(MeshContract, TexturesComeFromTheProcessManager) {
    rvTextureManager* previous = gTextureManager;
    gTextureManager = nullptr;
    EXPECT_EQ(this->mesh.loadTexture("a.bmp"), nullptr);
    FakeTextureManager textures;
    textures.init(nullptr);
    gTextureManager = &textures;
    rvTexture* a = this->mesh.loadTexture("a.bmp");
    EXPECT_STREQ(a->name, "a.bmp");
    EXPECT_EQ(this->mesh.getTexture(), a);
    gTextureManager = previous;
}

REGISTER_TYPED_TEST_SUITE_P(MeshContract, PositionsSetTheCountAndTheBoxAndAreCopied,
                            RefusedDataKeepsEveryStream,
                            ColoursArriveAlphaFirstAndOneColourFillsEveryVertex,
                            TextureCoordinatesIndicesAndExtraStreamsKeepTheirValues,
                            TexturesComeFromTheProcessManager);
