#include "rvanimmesh.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>
#include <random>
#include <vector>

#include "recordingmesh.h"

// Counts heap allocations. Not inlined: a visible malloc()/free() pair across new and delete
// draws a false mismatch warning.
static std::atomic<int> gAllocations{0};

[[gnu::noinline]] void* operator new(std::size_t size) {
    ++gAllocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* p) noexcept {
    std::free(p);
}
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

const rvQuaternion kIdentity(1.0f, 0.0f, 0.0f, 0.0f);

// One bone whose key f translates by (10·f, 0, 0); every vertex follows it with weight 1,
// so a vertex at the origin sits at x = 10·(frame + t) (or blends towards key 0).
rvMeshFile slidingSkeleton(int frames, int vertices) {
    rvMeshFile r;
    r.frameCount = frames;
    r.boneCount = 1;
    for (int f = 0; f < frames; ++f)
        r.boneKeys.push_back(rvBoneKey{kIdentity, rvVector3(10.0f * f, 0.0f, 0.0f)});
    for (int v = 0; v < vertices; ++v) {
        r.boneIndices.insert(r.boneIndices.end(), {0, 0, 0, 0});
        r.boneWeights.insert(r.boneWeights.end(), {1.0f, 0.0f, 0.0f, 0.0f});
    }
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
    // Updates once and checks the frame and the pose of a vertex starting at the origin.
    void step(float seconds, int frame, float x) {
        anim.update(seconds);
        EXPECT_EQ(anim.getCurrentFrame(), frame);
        EXPECT_NEAR(mesh->positions[0], x, 1e-4f);
    }
};

} // namespace

TEST(AnimMeshUpdate, FifteenFpsAdvancesOnTheSecondStepAndDropsSurplusTime) {
    Model m({0, 0, 0}, slidingSkeleton(4, 1));
    m.anim.setFrameRate(15);
    m.step(0.05f, 0, 7.5f);            // key 0 → key 1 at t = 0.05·15
    m.step(0.05f, 1, 10.0f);           // 0.1 ≥ 1/15: exactly key 1, t = 0
    EXPECT_EQ(m.anim.getTime(), 0.0f); // not 0.1 − 1/15
    m.step(0.05f, 1, 17.5f);
    m.step(1.0f, 2, 20.0f); // at most one key frame per call
}

TEST(AnimMeshUpdate, FourFramesWrapAndTheLastBlendsTowardsKeyZero) {
    Model m({0, 0, 0}, slidingSkeleton(4, 1));
    m.anim.setFrameRate(2); // 0.5 s per key frame
    for (int frame : {1, 2, 3, 0, 1, 2, 3})
        m.step(0.5f, frame, 10.0f * frame);
    m.step(0.25f, 3, 15.0f); // halfway from key 3 (x = 30) to key 0 (x = 0)
}

TEST(AnimMeshUpdate, SingleKeyFrameStaysAtKeyZero) {
    rvMeshFile s = slidingSkeleton(1, 1);
    s.boneKeys[0].translation = rvVector3(5, 0, 0);
    Model m({1, 2, 3}, s);
    m.anim.setFrameRate(2);
    for (int i = 0; i < 5; ++i)
        m.step(0.2f, 0, 6.0f);
}

TEST(AnimMeshUpdate, WithoutFrameRateEveryUpdateAdvancesAtTZero) {
    Model m({0, 0, 0}, slidingSkeleton(3, 1));
    for (int frame : {1, 2, 0, 1}) {
        m.step(0.001f, frame, 10.0f * frame);
        EXPECT_EQ(m.anim.getTime(), 0.0f);
    }
}

TEST(AnimMeshSkinning, FullWeightFollowsTheFirstBoneAndHalfWeightShrinks) {
    rvMeshFile s;
    s.frameCount = 1;
    s.boneCount = 2;
    const float h = std::sqrt(0.5f); // 90° about z
    s.boneKeys = {rvBoneKey{kIdentity, rvVector3(0, 0, 0)},
                  rvBoneKey{rvQuaternion(h, 0, 0, h), rvVector3(1, 2, 3)}};
    // Vertex 0 follows bone 1; its zero-weight influences name bone 0. Vertex 1 has four
    // weights of 0.125 on the identity bone, used as stored (not normalised).
    s.boneIndices = {1, 0, 0, 0, 0, 0, 0, 0};
    s.boneWeights = {1, 0, 0, 0, 0.125f, 0.125f, 0.125f, 0.125f};
    Model m({1, 0, 0, 4, -6, 8}, s);
    m.anim.animate(0, 0, 0.0f);
    // 90° about z takes (1, 0, 0) to (0, 1, 0); then the translation.
    const std::vector<float> expected = {1, 3, 3, 2, -3, 4};
    for (int i = 0; i < 6; ++i)
        EXPECT_NEAR(m.mesh->positions[i], expected[i], 1e-5f) << i;
}

TEST(AnimMeshSkinning, PerBoneMatricesMatchThePerVertexReferenceWithoutAllocating) {
    const int vertices = 500, bones = 30, frames = 5;
    std::mt19937 rng(20240611);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    std::vector<float> positions(3 * vertices);
    for (float& c : positions)
        c = 50.0f * unit(rng);
    rvMeshFile s;
    s.frameCount = frames;
    s.boneCount = bones;
    for (int i = 0; i < bones * frames; ++i) {
        rvQuaternion q(unit(rng), unit(rng), unit(rng), unit(rng));
        const float len = std::sqrt(q.dot(q));
        q = rvQuaternion(q.w / len, q.x / len, q.y / len, q.z / len);
        s.boneKeys.push_back(rvBoneKey{q, rvVector3(unit(rng), unit(rng), unit(rng)) * 20.0f});
    }
    for (int i = 0; i < 4 * vertices; ++i) {
        s.boneIndices.push_back(static_cast<std::uint8_t>(rng() % bones));
        s.boneWeights.push_back(0.5f + 0.5f * unit(rng));
    }
    Model m(positions, s);
    m.anim.animate(0, 1, 0.0f); // the first pose allocates the pose arrays
    std::vector<rvVector3> expected(vertices);
    const int frameA[] = {1, 4, 3}, frameB[] = {2, 0, 3};
    const float t[] = {0.37f, 0.93f, 0.5f};
    for (int p = 0; p < 3; ++p) {
        const int allocations = gAllocations;
        m.anim.animate(frameA[p], frameB[p], t[p]);
        EXPECT_EQ(gAllocations, allocations);
        rvSkinPerVertexReference(reinterpret_cast<const rvVector3*>(positions.data()), vertices,
                                 s.boneIndices.data(), s.boneWeights.data(), s.boneKeys.data(),
                                 frames, frameA[p], frameB[p], t[p], expected.data());
        ASSERT_EQ(m.mesh->positions.size(), positions.size());
        for (int v = 0; v < vertices; ++v) {
            const float* g = &m.mesh->positions[3 * v];
            const rvVector3 e = expected[v], got(g[0], g[1], g[2]);
            EXPECT_LE((got - e).length(), 1e-4f * (1.0f + e.length())) << "vertex " << v;
        }
    }
}

TEST(AnimMeshWithoutSkeleton, KeepsTheFilePoseAndDoesNotAdvanceTheFrame) {
    const std::vector<float> file = {1, 2, 3, 4, 5, 6};
    Model m(file, rvMeshFile());
    for (int i = 0; i < 3; ++i)
        m.anim.update(0.02f); // no frame rate: the advance test always passes
    EXPECT_EQ(m.anim.getCurrentFrame(), 0);
    EXPECT_EQ(m.mesh->positions, file);
    EXPECT_EQ(m.mesh->positionUploads, 1);
}

TEST(AnimMeshMath, LerpAndIdentityKeyBoneMatrix) {
    rvVector3 out;
    rvAnimMesh::lerp(rvVector3(0, 0, 0), rvVector3(2, 4, 6), 0.25f, &out);
    EXPECT_FLOAT_EQ(out.x, 0.5f);
    EXPECT_FLOAT_EQ(out.y, 1.0f);
    EXPECT_FLOAT_EQ(out.z, 1.5f);
    const rvBoneKey k{kIdentity, rvVector3(1, 2, 3)};
    const rvMatrix44 m = rvBoneMatrix(k, k, 0.6f);
    const float expected[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1};
    for (int e = 0; e < 16; ++e)
        EXPECT_FLOAT_EQ(m.m[e], expected[e]) << "element " << e;
}
