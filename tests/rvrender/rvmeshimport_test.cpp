#include "rvmeshimport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>
#include <unistd.h>

#include "recordingmesh.h"
#include "rvanimmesh.h"
#include "rvmeshfile.h"

namespace {

// A RecordingMesh that also notes which setter was called, in order.
struct OrderMesh : RecordingMesh {
    std::vector<std::string> order;
    bool setPositions(const float* p, int n) override {
        order.push_back("positions");
        return RecordingMesh::setPositions(p, n);
    }
    bool setIndexArray32(const unsigned int* a, int n) override {
        order.push_back("indices32");
        return RecordingMesh::setIndexArray32(a, n);
    }
    bool setUVs(const float* uv, int n) override {
        order.push_back("uvs");
        return RecordingMesh::setUVs(uv, n);
    }
    bool setNormals(const float* p, int n) override {
        order.push_back("normals");
        return RecordingMesh::setNormals(p, n);
    }
    bool setData(const void* d, int bytes, int components) override {
        order.push_back("data");
        return RecordingMesh::setData(d, bytes, components);
    }
    bool setFourFloatColors(const float* c, int n) override {
        order.push_back("colors");
        return RecordingMesh::setFourFloatColors(c, n);
    }
    bool setConstantColor(float a, float r, float g, float b, int n) override {
        order.push_back("constantColor");
        return RecordingMesh::setConstantColor(a, r, g, b, n);
    }
    void setPrimitiveCount(int n) override {
        order.push_back("primitiveCount");
        RecordingMesh::setPrimitiveCount(n);
    }
};

// One triangle: POSN of 36 bytes, INDX of 12 bytes.
rvMeshFile triangle() {
    rvMeshFile r;
    r.positions = {0, 0, 0, 1, 0, 0, 0, 2, 0};
    r.indices = {0, 1, 2};
    r.vertexCount = 3;
    r.indexCount = 3;
    return r;
}

rvMeshFile fullRecord() {
    rvMeshFile r = triangle();
    r.texCoords = {0, 0, 1, 0, 0, 1};
    r.normals = {0, 0, 1, 0, 0, 1, 0, 0, 1};
    r.tangents = {1, 0, 0, 1, 1, 0, 0, -1, 0, 1, 0, 1};
    r.colors = {0.5f, 1, 0, 0, 1, 0, 1, 0, 0.25f, 0, 0, 1};
    return r;
}

rvBoneKey key(float tx, float rw, float rz) {
    rvBoneKey k;
    k.translation = rvVector3(tx, 0, 0);
    k.rotation = rvQuaternion(rw, 0, 0, rz);
    return k;
}

// Two bones, two frames; weights are multiples of 1/255 so that they survive the byte
// encoding of the file.
rvMeshFile skinnedTriangle() {
    rvMeshFile r = triangle();
    r.frameCount = 2;
    r.boneCount = 2;
    r.boneKeys = {key(0, 1, 0), key(1, 1, 0), key(2, 0.6f, 0.8f), key(3, 0.8f, 0.6f)};
    r.boneIndices = {0, 1, 0, 0, 1, 1, 1, 1, 0, 1, 0, 1};
    r.boneWeights = {1, 0, 0, 0, 0, 1, 0, 0, 128 / 255.0f, 127 / 255.0f, 0, 0};
    return r;
}

// A file in the test's temporary directory, removed at the end of the test.
class TempMeshFile {
public:
    explicit TempMeshFile(const rvMeshFile& record) : mPath(uniquePath()) {
        std::string error;
        EXPECT_TRUE(rvWriteMeshFile(mPath.c_str(), record, &error)) << error;
    }
    explicit TempMeshFile(const std::vector<unsigned char>& bytes) : mPath(uniquePath()) {
        std::ofstream(mPath, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    ~TempMeshFile() { std::remove(mPath.c_str()); }
    const char* path() const { return mPath.c_str(); }

private:
    static std::string uniquePath() {
        static int counter = 0;
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        return testing::TempDir() + "rvmeshimport_" + info->name() + "_" +
               std::to_string(getpid()) + "_" + std::to_string(counter++) + ".MSH";
    }
    std::string mPath;
};

} // namespace

// --- Static form ---------------------------------------------------------------------------

TEST(MeshImport, HandsTheStreamsOverInTheFixedOrder) {
    TempMeshFile file(fullRecord());
    OrderMesh mesh;
    std::string error;
    ASSERT_TRUE(rvImportMeshFile(file.path(), &mesh, &error)) << error;
    const std::vector<std::string> expected = {"positions", "indices32", "uvs",           "normals",
                                               "data",      "colors",    "primitiveCount"};
    EXPECT_EQ(mesh.order, expected);
    const rvMeshFile r = fullRecord();
    EXPECT_EQ(mesh.positions, r.positions);
    EXPECT_EQ(mesh.getVertexCount(), 3);
    EXPECT_EQ(mesh.uvs, r.texCoords);
    EXPECT_EQ(mesh.normals, r.normals);
}

TEST(MeshImport, WithoutColoursEveryVertexIsOpaqueWhite) {
    TempMeshFile file(triangle());
    OrderMesh mesh;
    std::string error;
    ASSERT_TRUE(rvImportMeshFile(file.path(), &mesh, &error)) << error;
    EXPECT_TRUE(mesh.constantColor);
    EXPECT_EQ(mesh.colors, std::vector<float>(12, 1.0f));
    // Optional streams that the file lacks are not handed over at all.
    const std::vector<std::string> expected = {"positions", "indices32", "constantColor",
                                               "primitiveCount"};
    EXPECT_EQ(mesh.order, expected);
    EXPECT_TRUE(mesh.uvs.empty());
    EXPECT_TRUE(mesh.normals.empty());
}

TEST(MeshImport, ColoursPassThroughAlphaFirst) {
    TempMeshFile file(fullRecord());
    RecordingMesh mesh;
    ASSERT_TRUE(rvImportMeshFile(file.path(), &mesh, nullptr));
    EXPECT_FALSE(mesh.constantColor);
    EXPECT_EQ(mesh.colors, fullRecord().colors);
}

TEST(MeshImport, TwelveIndexBytesGiveOneTriangle) {
    TempMeshFile file(triangle());
    RecordingMesh mesh;
    ASSERT_TRUE(rvImportMeshFile(file.path(), &mesh, nullptr));
    EXPECT_TRUE(mesh.uses32);
    EXPECT_EQ(mesh.indices32, (std::vector<unsigned int>{0, 1, 2}));
    EXPECT_EQ(mesh.primitiveCount, 1);
}

TEST(MeshImport, PrimitiveCountIsIndexCountOverThree) {
    rvMeshFile r = triangle();
    r.indices = {0, 1, 2, 2, 1, 0, 0, 2, 1, 1, 2, 0};
    r.indexCount = 12;
    TempMeshFile file(r);
    RecordingMesh mesh;
    ASSERT_TRUE(rvImportMeshFile(file.path(), &mesh, nullptr));
    EXPECT_EQ(mesh.indices32.size(), 12u);
    EXPECT_EQ(mesh.primitiveCount, 4);
}

TEST(MeshImport, TangentsBecomeOneExtraStreamOfFourFloats) {
    TempMeshFile with(fullRecord());
    RecordingMesh mesh;
    ASSERT_TRUE(rvImportMeshFile(with.path(), &mesh, nullptr));
    EXPECT_EQ(mesh.data0Components, 4);
    EXPECT_EQ(mesh.data0, fullRecord().tangents);
    EXPECT_TRUE(mesh.data1.empty());

    TempMeshFile without(triangle());
    RecordingMesh plain;
    ASSERT_TRUE(rvImportMeshFile(without.path(), &plain, nullptr));
    EXPECT_EQ(plain.data0Components, 0);
    EXPECT_TRUE(plain.data0.empty());
}

TEST(MeshImport, SameFileTwiceGivesIndependentMeshes) {
    TempMeshFile file(fullRecord());
    auto first = std::make_unique<RecordingMesh>();
    auto second = std::make_unique<RecordingMesh>();
    ASSERT_TRUE(rvImportMeshFile(file.path(), first.get(), nullptr));
    ASSERT_TRUE(rvImportMeshFile(file.path(), second.get(), nullptr));
    first->positions[0] = 99.0f;
    first.reset();
    const rvMeshFile r = fullRecord();
    EXPECT_EQ(second->positions, r.positions);
    EXPECT_EQ(second->colors, r.colors);
    EXPECT_EQ(second->data0, r.tangents);
}

// --- Failed loads ---------------------------------------------------------------------------

TEST(MeshImportFailure, MissingFileLeavesTheMeshEmptyAndNamesTheFile) {
    const std::string path = testing::TempDir() + "rvmeshimport_no_such_file.MSH";
    OrderMesh mesh;
    std::string error;
    EXPECT_FALSE(rvImportMeshFile(path.c_str(), &mesh, &error));
    EXPECT_EQ(error.rfind(path + ": ", 0), 0u) << error;
    EXPECT_GT(error.size(), path.size() + 2);
    EXPECT_TRUE(mesh.order.empty());
    EXPECT_EQ(mesh.getVertexCount(), 0);
    EXPECT_TRUE(mesh.colors.empty());
}

TEST(MeshImportFailure, InvalidFileReportsTheReadersReason) {
    std::vector<std::uint8_t> bytes = rvEncodeMeshFile(triangle());
    bytes[0] = 'X'; // magic
    TempMeshFile file(bytes);
    OrderMesh mesh;
    std::string error;
    EXPECT_FALSE(rvImportMeshFile(file.path(), &mesh, &error));
    rvMeshFile reader;
    ASSERT_FALSE(reader.load(file.path()));
    EXPECT_EQ(error, std::string(file.path()) + ": " + reader.error());
    EXPECT_TRUE(mesh.order.empty());
}

TEST(MeshImportFailure, AnimatedFormHandsOverTheEmptyInnerMesh) {
    const std::string path = testing::TempDir() + "rvmeshimport_missing_anim.MSH";
    rvAnimMesh anim;
    auto* inner = new OrderMesh;
    std::string error;
    EXPECT_FALSE(rvImportAnimMeshFile(path.c_str(), &anim, inner, &error));
    EXPECT_EQ(error.rfind(path + ": ", 0), 0u) << error;
    EXPECT_EQ(anim.getMesh(), inner);
    EXPECT_TRUE(inner->order.empty());
    EXPECT_EQ(anim.getBoneCount(), 0);
    anim.setFrameRate(15);
    anim.update(0.1f); // nothing to pose, nothing to crash on
    EXPECT_EQ(inner->positionUploads, 0);
}

// --- Animated form --------------------------------------------------------------------------

TEST(AnimMeshImport, WithoutBoneChunkFillsTheInnerMeshOnly) {
    TempMeshFile file(fullRecord());
    rvAnimMesh anim;
    auto* inner = new RecordingMesh;
    std::string error;
    ASSERT_TRUE(rvImportAnimMeshFile(file.path(), &anim, inner, &error)) << error;
    EXPECT_EQ(anim.getMesh(), inner);
    EXPECT_EQ(inner->positions, fullRecord().positions);
    EXPECT_EQ(inner->primitiveCount, 1);
    EXPECT_EQ(anim.getBoneCount(), 0);
    EXPECT_EQ(anim.getFrameCount(), 0);
    EXPECT_EQ(anim.getBoneWeights(), nullptr);
    EXPECT_EQ(anim.getBoneIndices(), nullptr);
}

TEST(AnimMeshImport, BoneChunkGivesTheSkeleton) {
    const rvMeshFile r = skinnedTriangle();
    TempMeshFile file(r);
    rvAnimMesh anim;
    auto* inner = new RecordingMesh;
    std::string error;
    ASSERT_TRUE(rvImportAnimMeshFile(file.path(), &anim, inner, &error)) << error;
    EXPECT_EQ(anim.getBoneCount(), 2);
    EXPECT_EQ(anim.getFrameCount(), 2);
    // Bone 1, frame 0 is the third key of the file.
    EXPECT_EQ(anim.key(1, 0).translation.x, 2.0f);
    EXPECT_EQ(anim.key(1, 0).rotation.w, 0.6f);
    EXPECT_EQ(anim.key(1, 1).rotation.z, 0.6f);
    ASSERT_NE(anim.getBoneIndices(), nullptr);
    EXPECT_EQ(std::vector<unsigned char>(anim.getBoneIndices(), anim.getBoneIndices() + 12),
              r.boneIndices);
    for (int i = 0; i < 12; ++i) {
        EXPECT_NEAR(anim.getBoneWeights()[i], r.boneWeights[i], 1e-6f) << i;
    }
    // The import itself does not give the inner mesh the bone streams.
    EXPECT_TRUE(inner->boneWeights.empty());
    EXPECT_TRUE(inner->boneIndices.empty());
}

TEST(AnimMeshImport, ImportedModelAnimates) {
    TempMeshFile file(skinnedTriangle());
    rvAnimMesh anim;
    auto* inner = new RecordingMesh;
    ASSERT_TRUE(rvImportAnimMeshFile(file.path(), &anim, inner, nullptr));
    anim.update(0.0f); // no rate set: straight to key frame 1, t = 0
    ASSERT_EQ(anim.getCurrentFrame(), 1);
    // Vertex 0 follows bone 0 fully; its key in frame 1 is a translation by (1, 0, 0).
    EXPECT_NEAR(inner->positions[0], 1.0f, 1e-5f);
    EXPECT_NEAR(inner->positions[1], 0.0f, 1e-5f);
    EXPECT_EQ(inner->positionUploads, 2);
}
