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

std::string tempPath(const std::string& name) {
    return testing::TempDir() + std::to_string(getpid()) + "_rvmeshimport_test_" + name;
}

// A mesh file in the test's temporary directory, removed at the end of the test.
struct TempMeshFile {
    std::string path;
    TempMeshFile(const rvMeshFile& r, const char* name) : path(tempPath(name)) {
        EXPECT_TRUE(rvWriteMeshFile(path.c_str(), r, nullptr));
    }
    ~TempMeshFile() { std::remove(path.c_str()); }
};

} // namespace

// One triangle with every optional chunk: both forms hand each stream over as the file holds
// it (tangents as extra stream 0 with 4 floats per vertex, colours alpha first), and the
// animated form takes the skeleton. A later failed load into the same animated mesh still
// hands its inner mesh over, empty, and drops the skeleton; both forms name the file.
TEST(MeshImport, HandsEveryStreamOverAndAFailedLoadLeavesNothingToDraw) {
    rvMeshFile r;
    r.positions = {0, 0, 0, 1, 0, 0, 0, 2, 0};
    r.indices = {0, 1, 2};
    r.texCoords = {0, 0, 1, 0, 0, 1};
    r.normals = {0, 0, 1, 0, 0, 1, 0, 0, 1};
    r.tangents = {1, 0, 0, 1, 1, 0, 0, -1, 0, 1, 0, 1};
    r.colors = {0.5f, 1, 0, 0, 1, 0, 1, 0, 0.25f, 0, 0, 1};
    r.frameCount = 2; // one bone; key f translates by (f, 0, 0)
    r.boneKeys = {{{1, 0, 0, 0}, {0, 0, 0}}, {{1, 0, 0, 0}, {1, 0, 0}}};
    r.boneWeights = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
    r.boneIndices.assign(12, 0);
    TempMeshFile file(r, "full.MSH");
    RecordingMesh mesh;
    rvAnimMesh anim;
    auto* inner = new RecordingMesh;
    std::string error;
    ASSERT_TRUE(rvImportMeshFile(file.path.c_str(), &mesh, &error)) << error;
    ASSERT_TRUE(rvImportAnimMeshFile(file.path.c_str(), &anim, inner, &error)) << error;
    for (const RecordingMesh* m : {&mesh, inner}) {
        EXPECT_EQ(m->positions, r.positions);
        EXPECT_EQ(m->indices32, r.indices);
        EXPECT_EQ(m->primitiveCount, 1);
        EXPECT_EQ(m->uvs, r.texCoords);
        EXPECT_EQ(m->normals, r.normals);
        EXPECT_EQ(m->data[0], r.tangents);
        EXPECT_EQ(m->dataComponents[0], 4);
        EXPECT_EQ(m->colors, r.colors);
    }
    EXPECT_EQ(anim.getBoneCount(), 1);
    EXPECT_EQ(anim.getFrameCount(), 2);
    EXPECT_EQ(anim.key(0, 1).translation.x, 1.0f);

    const std::string missing = tempPath("missing.MSH");
    RecordingMesh untouched;
    EXPECT_FALSE(rvImportMeshFile(missing.c_str(), &untouched, &error));
    EXPECT_EQ(error.rfind(missing + ": ", 0), 0u) << error;
    EXPECT_EQ(untouched.positionUploads, 0);
    auto* empty = new RecordingMesh;
    error.clear();
    EXPECT_FALSE(rvImportAnimMeshFile(missing.c_str(), &anim, empty, &error));
    EXPECT_EQ(error.rfind(missing + ": ", 0), 0u) << error;
    EXPECT_EQ(anim.getMesh(), empty);
    EXPECT_EQ(empty->positionUploads, 0);
    EXPECT_EQ(anim.getBoneCount(), 0);
    EXPECT_EQ(anim.getFrameCount(), 0);
}

// Without colours every vertex is opaque white; without bones there is no skeleton.
TEST(MeshImport, WithoutColoursOrBonesAnAnimatedImportIsOpaqueWhiteWithoutSkeleton) {
    rvMeshFile r;
    r.positions = {0, 0, 0, 1, 0, 0, 0, 2, 0};
    r.indices = {0, 1, 2, 2, 1, 0, 0, 2, 1, 1, 2, 0};
    TempMeshFile file(r, "plain.MSH");
    rvAnimMesh anim;
    auto* inner = new RecordingMesh;
    ASSERT_TRUE(rvImportAnimMeshFile(file.path.c_str(), &anim, inner, nullptr));
    EXPECT_EQ(inner->colors, std::vector<float>(12, 1.0f));
    EXPECT_EQ(inner->primitiveCount, 4);
    EXPECT_EQ(anim.getBoneCount(), 0);
    EXPECT_EQ(anim.getFrameCount(), 0);
}
