#include "rvanimmesh.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <tuple>
#include <vector>

#include "recordingmesh.h"

using ::testing::FloatNear;
using ::testing::Pointwise;

namespace {

// One bone whose key f translates by (10·f + 5, 0, 0), and one vertex following it with
// weight 1: from the origin it sits at x = 10·(frame + t) + 5 (or blends towards key 0).
rvMeshFile slidingSkeleton(int frames) {
    rvMeshFile r;
    r.frameCount = frames;
    r.boneCount = 1;
    for (int f = 0; f < frames; ++f)
        r.boneKeys.push_back(
            rvBoneKey{rvQuaternion(1, 0, 0, 0), rvVector3(10.0f * f + 5.0f, 0.0f, 0.0f)});
    r.boneIndices = {0, 0, 0, 0};
    r.boneWeights = {1, 0, 0, 0};
    return r;
}

// An animated mesh over a RecordingMesh holding `positions` (3 floats per vertex).
struct Model {
    rvAnimMesh anim;
    RecordingMesh* mesh;

    explicit Model(const std::vector<float>& positions, const rvMeshFile& skeleton)
        : mesh(new RecordingMesh) {
        mesh->setPositions(positions.data(), static_cast<int>(positions.size()));
        anim.setMesh(mesh);
        anim.setSkeleton(skeleton);
    }
};

} // namespace

// update() advances at most one key frame per call, drops the time beyond it, wraps after the
// last key frame and blends the last towards key 0. Each step: the milliseconds passed to
// update, then the current key frame and x of the vertex that starts at the origin.
TEST(AnimMeshUpdate, StepsOneKeyFrameAtATimeAndWraps) {
    const struct {
        const char* name;
        int frames, fps;
        std::vector<std::tuple<int, int, float>> steps;
    } cases[] = {
        // 0.05·15 = 0.75 of the way to key 1; 0.1 ≥ 1/15 lands exactly on key 1 and drops the
        // rest, or the third step would reach key 2.
        {"15 fps", 4, 15, {{50, 0, 12.5f}, {50, 1, 15}, {50, 1, 22.5f}, {1000, 2, 25}}},
        {"2 fps", 4, 2, {{500, 1, 15}, {500, 2, 25}, {500, 3, 35}, {250, 3, 20}, {250, 0, 5}}},
        // Without a frame rate every update advances, always at t = 0.
        {"no frame rate", 3, 0, {{1, 1, 15}, {1, 2, 25}, {1, 0, 5}, {1, 1, 15}}},
        {"one key frame", 1, 2, {{200, 0, 5}, {200, 0, 5}, {200, 0, 5}, {200, 0, 5}}},
        // Without key frames nothing is posed: the vertex keeps its place in the file.
        {"no skeleton", 0, 2, {{200, 0, 0}, {300, 0, 0}, {600, 0, 0}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Model m({0, 0, 0}, slidingSkeleton(c.frames));
        m.anim.setFrameRate(c.fps);
        for (const auto& [ms, frame, x] : c.steps) {
            m.anim.update(ms / 1000.0f);
            EXPECT_EQ(m.anim.getCurrentFrame(), frame) << ms;
            ASSERT_EQ(m.mesh->positions.size(), 3u);
            EXPECT_NEAR(m.mesh->positions[0], x, 1e-4f) << ms;
        }
    }
}

// The viewer's time control on the sliding skeleton (4 key frames at 2 fps): the pause holds
// the pose, the steps go to the start of a key frame around both ends, and a speed other than
// 1 keeps the time beyond a key frame, so that 8 times as fast crosses several per update.
TEST(AnimMeshUpdate, PauseStepAndSpeedMoveTheTimeAsTheViewerAsks) {
    Model m({0, 0, 0}, slidingSkeleton(4));
    m.anim.setFrameRate(2);
    auto expectAt = [&](int frame, float x) {
        EXPECT_EQ(m.anim.getCurrentFrame(), frame);
        EXPECT_NEAR(m.mesh->positions[0], x, 1e-4f);
    };
    m.anim.update(0.25f);
    expectAt(0, 10);
    m.anim.setPaused(true);
    m.anim.update(10.0f);
    expectAt(0, 10);
    m.anim.stepKeyFrames(-1); // from the first key frame back to the last
    expectAt(3, 35);
    m.anim.stepKeyFrames(2);
    expectAt(1, 15);
    EXPECT_EQ(m.anim.getTime(), 0.0f);

    m.anim.setPaused(false);
    m.anim.setSpeed(8.0f);
    m.anim.update(0.3f); // 2.4 s of animation: 4.8 key frames on, from key 1 to key 1 + 0.8
    expectAt(1, 23);
    m.anim.setSpeed(0.125f);
    m.anim.update(0.2f); // 0.025 s: key 1, 0.85 of the way
    expectAt(1, 23.5f);
    m.anim.setSpeed(0.0f); // refused
    EXPECT_EQ(m.anim.getSpeed(), 0.125f);
}

TEST(AnimMeshSkinning, BoneRotatesThenTranslatesAndWeightsAreUsedAsStored) {
    rvMeshFile s;
    s.frameCount = 1;
    s.boneCount = 2;
    const float h = std::sqrt(0.5f); // 90° about z
    s.boneKeys = {rvBoneKey{rvQuaternion(1, 0, 0, 0), rvVector3(0, 0, 0)},
                  rvBoneKey{rvQuaternion(h, 0, 0, h), rvVector3(1, 2, 3)}};
    // Vertex 0 follows bone 1; its zero-weight influences name bone 0. Vertex 1 has four
    // weights of 0.125 on the identity bone, used as stored (not normalised).
    s.boneIndices = {1, 0, 0, 0, 0, 0, 0, 0};
    s.boneWeights = {1, 0, 0, 0, 0.125f, 0.125f, 0.125f, 0.125f};
    Model m({1, 0, 0, 4, -6, 8}, s);
    m.anim.animate(0, 0, 0.0f);
    // 90° about z takes (1, 0, 0) to (0, 1, 0); then the translation.
    EXPECT_THAT(m.mesh->positions,
                Pointwise(FloatNear(1e-5f), std::vector<float>{1, 3, 3, 2, -3, 4}));
}

// The per-bone skinning against the plain per-vertex reference on a random skeleton.
TEST(AnimMeshSkinning, PerBoneMatricesMatchThePerVertexReference) {
    const int vertices = 500, bones = 30, frames = 5;
    std::mt19937 rng(20240611);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    std::vector<float> positions(3 * vertices);
    std::generate(positions.begin(), positions.end(), [&] { return 50.0f * unit(rng); });
    rvMeshFile s;
    s.frameCount = frames;
    s.boneCount = bones;
    for (int i = 0; i < bones * frames; ++i) {
        const rvQuaternion q(unit(rng), unit(rng), unit(rng), unit(rng));
        const float len = std::sqrt(q.dot(q));
        s.boneKeys.push_back(rvBoneKey{rvQuaternion(q.w / len, q.x / len, q.y / len, q.z / len),
                                       rvVector3(unit(rng), unit(rng), unit(rng)) * 20.0f});
    }
    for (int i = 0; i < 4 * vertices; ++i) {
        s.boneIndices.push_back(static_cast<std::uint8_t>(rng() % bones));
        s.boneWeights.push_back(0.5f + 0.5f * unit(rng));
    }
    Model m(positions, s);
    std::vector<float> expected(3 * vertices);
    const int frameA[] = {1, 4, 3}, frameB[] = {2, 0, 3};
    const float t[] = {0.37f, 0.93f, 0.5f};
    for (int p = 0; p < 3; ++p) {
        SCOPED_TRACE(p);
        m.anim.animate(frameA[p], frameB[p], t[p]);
        rvSkinPerVertexReference(reinterpret_cast<const rvVector3*>(positions.data()), vertices,
                                 s.boneIndices.data(), s.boneWeights.data(), s.boneKeys.data(),
                                 frames, frameA[p], frameB[p], t[p],
                                 reinterpret_cast<rvVector3*>(expected.data()));
        EXPECT_THAT(m.mesh->positions, Pointwise(FloatNear(1e-3f), expected));
    }
}
