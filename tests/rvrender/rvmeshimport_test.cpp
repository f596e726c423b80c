#include "rvmeshimport.h"

#include <unistd.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "recordingmesh.h"
#include "rvanimmesh.h"
#include "rvmeshfile.h"

namespace {

// An override that notes the setter's name, then stores as RecordingMesh does.
#define NOTED(R, name, params, args)                                                               \
    R name params override {                                                                       \
        order.push_back(#name);                                                                    \
        return RecordingMesh::name args;                                                           \
    }

// Also notes the order in which the import calls the setters.
struct OrderMesh : RecordingMesh {
    std::vector<std::string> order;
    NOTED(bool, setPositions, (const float* p, int n), (p, n))
    NOTED(bool, setIndexArray32, (const unsigned* p, int n), (p, n))
    NOTED(bool, setUVs, (const float* p, int n), (p, n))
    NOTED(bool, setNormals, (const float* p, int n), (p, n))
    NOTED(bool, setData, (const void* p, int n, int c), (p, n, c))
    NOTED(bool, setFourFloatColors, (const float* p, int n), (p, n))
    NOTED(bool, setConstantColor, (float a, float r, float g, float b, int n), (a, r, g, b, n))
    NOTED(void, setPrimitiveCount, (int n), (n))
};

// One triangle (POSN of 36 bytes, INDX of 12 bytes) with every optional chunk.
rvMeshFile fullRecord() {
    rvMeshFile r;
    r.positions = {0, 0, 0, 1, 0, 0, 0, 2, 0};
    r.indices = {0, 1, 2};
    r.texCoords = {0, 0, 1, 0, 0, 1};
    r.normals = {0, 0, 1, 0, 0, 1, 0, 0, 1};
    r.tangents = {1, 0, 0, 1, 1, 0, 0, -1, 0, 1, 0, 1};
    r.colors = {0.5f, 1, 0, 0, 1, 0, 1, 0, 0.25f, 0, 0, 1}; // alpha first
    r.frameCount = 2; // one bone; key f translates by (f, 0, 0)
    r.boneKeys = {{{1, 0, 0, 0}, {0, 0, 0}}, {{1, 0, 0, 0}, {1, 0, 0}}};
    r.boneWeights = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
    r.boneIndices.assign(12, 0);
    return r;
}

// A mesh file in the test's temporary directory, removed at the end of the test.
struct TempMeshFile {
    std::string path;
    TempMeshFile(const rvMeshFile& r, const char* name)
        : path(testing::TempDir() + std::to_string(getpid()) + "_" + name) {
        EXPECT_TRUE(rvWriteMeshFile(path.c_str(), r, nullptr));
    }
    ~TempMeshFile() { std::remove(path.c_str()); }
};

} // namespace

TEST(MeshImport, HandsEveryStreamOverInOrderAndTheAnimatedFormFillsItsInnerMeshAlike) {
    TempMeshFile file(fullRecord(), "rvmeshimport_test_full.MSH");
    OrderMesh mesh;
    std::string error;
    ASSERT_TRUE(rvImportMeshFile(file.path.c_str(), &mesh, &error)) << error;
    EXPECT_EQ(mesh.order,
              (std::vector<std::string>{"setPositions", "setIndexArray32", "setUVs", "setNormals",
                                        "setData", "setFourFloatColors", "setPrimitiveCount"}));
    const rvMeshFile r = fullRecord();
    EXPECT_EQ(mesh.positions, r.positions);
    EXPECT_EQ(mesh.primitiveCount, 1); // 12 index bytes: one triangle
    EXPECT_EQ(mesh.uvs, r.texCoords);
    EXPECT_EQ(mesh.normals, r.normals);
    EXPECT_EQ(mesh.data[0], r.tangents); // the first extra stream, 4 floats per vertex
    EXPECT_EQ(mesh.dataComponents[0], 4);
    EXPECT_EQ(mesh.colors, r.colors); // passed through, alpha first
    // The same file again, animated: a second, equally filled mesh and the skeleton.
    rvAnimMesh anim;
    auto* inner = new OrderMesh;
    ASSERT_TRUE(rvImportAnimMeshFile(file.path.c_str(), &anim, inner, &error)) << error;
    EXPECT_EQ(inner->order, mesh.order);
    EXPECT_EQ(anim.getBoneCount(), 1);
    EXPECT_EQ(anim.getFrameCount(), 2);
    EXPECT_EQ(anim.key(0, 1).translation.x, 1.0f);
}

TEST(MeshImport, WithoutColoursOrBoneAnAnimatedImportIsOpaqueWhiteWithoutSkeleton) {
    rvMeshFile r;
    r.positions = fullRecord().positions;
    r.indices = {0, 1, 2, 2, 1, 0, 0, 2, 1, 1, 2, 0};
    TempMeshFile file(r, "rvmeshimport_test_plain.MSH");
    rvAnimMesh anim;
    auto* inner = new OrderMesh;
    ASSERT_TRUE(rvImportAnimMeshFile(file.path.c_str(), &anim, inner, nullptr));
    EXPECT_EQ(inner->order, (std::vector<std::string>{"setPositions", "setIndexArray32",
                                                      "setConstantColor", "setPrimitiveCount"}));
    EXPECT_EQ(inner->colors, std::vector<float>(12, 1.0f));
    EXPECT_EQ(inner->primitiveCount, 4);
    EXPECT_EQ(anim.getBoneCount(), 0); // no skeleton
    EXPECT_EQ(anim.getFrameCount(), 0);
}

TEST(MeshImport, FailedLoadLeavesTheMeshEmptyAndNamesTheFile) {
    const std::string path =
        testing::TempDir() + std::to_string(getpid()) + "_" + "rvmeshimport_test_missing.MSH";
    OrderMesh mesh;
    std::string error, animError;
    EXPECT_FALSE(rvImportMeshFile(path.c_str(), &mesh, &error));
    EXPECT_EQ(error.rfind(path + ": ", 0), 0u) << error;
    EXPECT_TRUE(mesh.order.empty());
    // The animated form still hands over its inner mesh, empty, with nothing to pose.
    rvAnimMesh anim;
    auto* inner = new OrderMesh;
    EXPECT_FALSE(rvImportAnimMeshFile(path.c_str(), &anim, inner, &animError));
    EXPECT_EQ(animError.rfind(path + ": ", 0), 0u) << animError;
    EXPECT_EQ(anim.getMesh(), inner);
    anim.update(0.1f);
    EXPECT_EQ(inner->positionUploads, 0);
}
