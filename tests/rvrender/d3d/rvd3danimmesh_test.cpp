// The Direct3D animated mesh: it computes the bone matrices for the effect and leaves the inner
// mesh with the positions of its file.
#include "rvd3danimmesh.h"

#include <vector>

#include <gtest/gtest.h>

#include "recordingmesh.h"

namespace {

TEST(D3DAnimMesh, UpdateComputesTheBoneMatricesAndLeavesThePositions) {
    rvMeshFile skeleton;
    skeleton.frameCount = 2;
    skeleton.boneCount = 1;
    const rvBoneKey key{rvQuaternion(1, 0, 0, 0), rvVector3(1, 2, 3)};
    skeleton.boneKeys = {key, key};
    skeleton.boneWeights = {1, 0, 0, 0, 1, 0, 0, 0};
    skeleton.boneIndices = std::vector<std::uint8_t>(8, 0);
    auto* mesh = new RecordingMesh;
    const float file[6] = {0, 1, 0, 2, 0, 0};
    mesh->setPositions(file, 6);
    rvD3DAnimMesh model;
    model.setMesh(mesh);
    model.setSkeleton(skeleton);
    model.setFrameRate(10);
    model.update(0.1f);
    ASSERT_NE(model.getBoneMatrices(), nullptr);
    rvMatrix44 expected;
    expected(3, 0) = 1;
    expected(3, 1) = 2;
    expected(3, 2) = 3;
    const rvMatrix44& bone = model.getBoneMatrices()[0];
    EXPECT_EQ(std::vector<float>(bone.m, bone.m + 16),
              std::vector<float>(expected.m, expected.m + 16));
    EXPECT_EQ(mesh->positions, std::vector<float>(file, file + 6));
}

} // namespace
