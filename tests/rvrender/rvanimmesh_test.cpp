#include "rvanimmesh.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>
#include <random>
#include <vector>

#include "recordingmesh.h"

// Counts heap allocations while gCountAllocations is set, to show that posing allocates
// nothing once the first pose is done.
namespace {
std::atomic<bool> gCountAllocations{false};
std::atomic<int> gAllocations{0};
} // namespace

void* operator new(std::size_t size) {
    if (gCountAllocations) {
        ++gAllocations;
    }
    if (void* p = std::malloc(size ? size : 1)) {
        return p;
    }
    throw std::bad_alloc();
}
// Not inlined: a visible free() of memory from operator new draws a false mismatch warning.
[[gnu::noinline]] void operator delete(void* p) noexcept {
    std::free(p);
}
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

const rvQuaternion kIdentity(1.0f, 0.0f, 0.0f, 0.0f);

rvQuaternion rotationZ(float degrees) {
    const float half = degrees * kRvPi / 360.0f;
    return rvQuaternion(std::cos(half), 0.0f, 0.0f, std::sin(half));
}

rvBoneKey makeKey(const rvQuaternion& q, const rvVector3& t) {
    rvBoneKey k;
    k.rotation = q;
    k.translation = t;
    return k;
}

// One bone whose key f translates by (10·f, 0, 0); every vertex follows it with weight 1.
// A vertex at the origin therefore sits at x = 10·(frame + t) (or blends towards key 0).
rvMeshFile slidingSkeleton(int frames, int vertices) {
    rvMeshFile r;
    r.vertexCount = vertices;
    r.frameCount = frames;
    r.boneCount = 1;
    for (int f = 0; f < frames; ++f) {
        r.boneKeys.push_back(makeKey(kIdentity, rvVector3(10.0f * f, 0.0f, 0.0f)));
    }
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

    explicit Model(const std::vector<float>& positions) : mesh(new RecordingMesh) {
        mesh->setPositions(positions.data(), static_cast<int>(positions.size()));
        anim.setMesh(mesh);
    }
    float x(int v = 0) const { return mesh->positions[3 * v]; }
};

rvMeshFile randomSkeleton(std::mt19937& rng, int vertices, int bones, int frames) {
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    std::uniform_real_distribution<float> weight(0.0f, 1.0f);
    std::uniform_int_distribution<int> bone(0, bones - 1);
    rvMeshFile r;
    r.vertexCount = vertices;
    r.frameCount = frames;
    r.boneCount = bones;
    for (int i = 0; i < bones * frames; ++i) {
        rvQuaternion q(unit(rng), unit(rng), unit(rng), unit(rng));
        const float len = std::sqrt(q.dot(q));
        q = rvQuaternion(q.w / len, q.x / len, q.y / len, q.z / len);
        r.boneKeys.push_back(
            makeKey(q, rvVector3(unit(rng) * 20.0f, unit(rng) * 20.0f, unit(rng) * 20.0f)));
    }
    for (int v = 0; v < vertices; ++v) {
        for (int j = 0; j < 4; ++j) {
            r.boneIndices.push_back(static_cast<std::uint8_t>(bone(rng)));
            r.boneWeights.push_back(weight(rng));
        }
    }
    return r;
}

std::vector<float> randomPositions(std::mt19937& rng, int vertices) {
    std::uniform_real_distribution<float> coord(-50.0f, 50.0f);
    std::vector<float> p(3 * vertices);
    for (float& c : p) {
        c = coord(rng);
    }
    return p;
}

} // namespace

// --- Frame timing -------------------------------------------------------------------------

TEST(AnimMeshUpdate, FifteenFramesPerSecondAdvancesOnSecondStepAndDropsSurplusTime) {
    Model m({0, 0, 0});
    m.anim.setSkeleton(slidingSkeleton(4, 1));
    m.anim.setFrameRate(15);
    EXPECT_FLOAT_EQ(m.anim.getFrameDuration(), 1.0f / 15.0f);

    m.anim.update(0.05f);
    EXPECT_EQ(m.anim.getCurrentFrame(), 0);
    EXPECT_FLOAT_EQ(m.anim.getTime(), 0.05f);
    EXPECT_NEAR(m.x(), 7.5f, 1e-4f); // key 0 → key 1 at t = 0.05·15

    m.anim.update(0.05f); // 0.1 ≥ 1/15
    EXPECT_EQ(m.anim.getCurrentFrame(), 1);
    EXPECT_EQ(m.anim.getTime(), 0.0f); // not 0.1 − 1/15
    EXPECT_EQ(m.x(), 10.0f);           // exactly key 1, t = 0

    m.anim.update(0.05f);
    EXPECT_EQ(m.anim.getCurrentFrame(), 1);
    EXPECT_NEAR(m.x(), 17.5f, 1e-4f);
}

TEST(AnimMeshUpdate, AdvancesAtMostOneKeyFramePerCall) {
    Model m({0, 0, 0});
    m.anim.setSkeleton(slidingSkeleton(4, 1));
    m.anim.setFrameRate(15);
    m.anim.update(1.0f); // fifteen key frames' worth of time
    EXPECT_EQ(m.anim.getCurrentFrame(), 1);
    EXPECT_EQ(m.anim.getTime(), 0.0f);
}

TEST(AnimMeshUpdate, FourFramesWrapAndTheLastBlendsTowardsKeyZero) {
    Model m({0, 0, 0});
    m.anim.setSkeleton(slidingSkeleton(4, 1));
    m.anim.setFrameRate(2); // 0.5 s per key frame
    const int expected[] = {1, 2, 3, 0, 1};
    for (int frame : expected) {
        m.anim.update(0.5f);
        EXPECT_EQ(m.anim.getCurrentFrame(), frame);
        EXPECT_EQ(m.x(), 10.0f * frame);
    }
    m.anim.update(0.5f);
    m.anim.update(0.5f);
    ASSERT_EQ(m.anim.getCurrentFrame(), 3);
    m.anim.update(0.25f); // halfway from key 3 (x = 30) to key 0 (x = 0)
    EXPECT_EQ(m.anim.getCurrentFrame(), 3);
    EXPECT_NEAR(m.x(), 15.0f, 1e-4f);
}

TEST(AnimMeshUpdate, SingleKeyFrameStaysAtKeyZero) {
    Model m({1, 2, 3});
    rvMeshFile s = slidingSkeleton(1, 1);
    s.boneKeys[0].translation = rvVector3(5, 0, 0);
    m.anim.setSkeleton(s);
    m.anim.setFrameRate(2);
    for (int i = 0; i < 5; ++i) {
        m.anim.update(0.2f);
        EXPECT_EQ(m.anim.getCurrentFrame(), 0);
        EXPECT_NEAR(m.x(), 6.0f, 1e-5f);
        EXPECT_NEAR(m.mesh->positions[1], 2.0f, 1e-5f);
    }
}

TEST(AnimMeshUpdate, WithoutFrameRateEveryUpdateAdvancesAtTZero) {
    Model m({0, 0, 0});
    m.anim.setSkeleton(slidingSkeleton(3, 1));
    EXPECT_EQ(m.anim.getFrameDuration(), 0.0f);
    const int expected[] = {1, 2, 0, 1};
    for (int frame : expected) {
        m.anim.update(0.001f);
        EXPECT_EQ(m.anim.getCurrentFrame(), frame);
        EXPECT_EQ(m.anim.getTime(), 0.0f);
        EXPECT_EQ(m.x(), 10.0f * frame);
    }
}

TEST(AnimMeshUpdate, NonPositiveFrameRateChangesNothing) {
    rvAnimMesh anim;
    anim.setFrameRate(15);
    anim.setFrameRate(0);
    anim.setFrameRate(-3);
    EXPECT_FLOAT_EQ(anim.getFrameDuration(), 1.0f / 15.0f);
}

// --- Skinning -----------------------------------------------------------------------------

TEST(AnimMeshSkinning, FullWeightFollowsTheFirstBoneExactly) {
    Model m({1, 0, 0, 0, 2, 0});
    rvMeshFile s;
    s.vertexCount = 2;
    s.frameCount = 1;
    s.boneCount = 2;
    s.boneKeys = {makeKey(kIdentity, rvVector3(-7, -7, -7)),
                  makeKey(rotationZ(90.0f), rvVector3(1, 2, 3))};
    // Vertex 0 follows bone 1; the zero-weight influences name bone 0, which must not matter.
    s.boneIndices = {1, 0, 0, 0, 0, 1, 1, 1};
    s.boneWeights = {1, 0, 0, 0, 1, 0, 0, 0};
    m.anim.setSkeleton(s);
    m.anim.animate(0, 0, 0.0f);
    // 90° about z takes (1, 0, 0) to (0, 1, 0); then the translation.
    EXPECT_NEAR(m.mesh->positions[0], 1.0f, 1e-5f);
    EXPECT_NEAR(m.mesh->positions[1], 3.0f, 1e-5f);
    EXPECT_NEAR(m.mesh->positions[2], 3.0f, 1e-5f);
    // Vertex 1 follows bone 0: a pure translation.
    EXPECT_NEAR(m.mesh->positions[3], -7.0f, 1e-5f);
    EXPECT_NEAR(m.mesh->positions[4], -5.0f, 1e-5f);
    EXPECT_NEAR(m.mesh->positions[5], -7.0f, 1e-5f);
}

TEST(AnimMeshSkinning, WeightsSummingToHalfShrinkTowardsTheOrigin) {
    Model m({4, -6, 8});
    rvMeshFile s = slidingSkeleton(1, 1);
    s.boneWeights = {0.125f, 0.125f, 0.125f, 0.125f}; // used as stored, not normalised
    m.anim.setSkeleton(s);
    m.anim.animate(0, 0, 0.0f);
    EXPECT_FLOAT_EQ(m.mesh->positions[0], 2.0f);
    EXPECT_FLOAT_EQ(m.mesh->positions[1], -3.0f);
    EXPECT_FLOAT_EQ(m.mesh->positions[2], 4.0f);
}

TEST(AnimMeshSkinning, EveryInfluenceContributes) {
    Model m({0, 0, 0});
    rvMeshFile s;
    s.vertexCount = 1;
    s.frameCount = 1;
    s.boneCount = 4;
    for (int b = 0; b < 4; ++b) {
        s.boneKeys.push_back(makeKey(kIdentity, rvVector3(0, 0, std::pow(10.0f, b))));
    }
    s.boneIndices = {0, 1, 2, 3};
    s.boneWeights = {1, 1, 1, 1};
    m.anim.setSkeleton(s);
    m.anim.animate(0, 0, 0.0f);
    EXPECT_FLOAT_EQ(m.mesh->positions[2], 1111.0f);
}

TEST(AnimMeshSkinning, EveryPoseStartsFromTheBindPose) {
    Model m({1, 1, 1});
    m.anim.setSkeleton(slidingSkeleton(3, 1));
    m.anim.animate(2, 0, 0.0f);
    EXPECT_FLOAT_EQ(m.x(), 21.0f);
    m.anim.animate(1, 2, 0.0f);
    EXPECT_FLOAT_EQ(m.x(), 11.0f); // not 31: the first pose is not the new bind pose
    EXPECT_EQ(m.anim.getSkinnedPositions()[0].x, 11.0f);
}

TEST(AnimMeshSkinning, PerBoneMatricesMatchThePerVertexReference) {
    std::mt19937 rng(20240611);
    const int vertices = 800, bones = 30, frames = 5;
    const std::vector<float> positions = randomPositions(rng, vertices);
    const rvMeshFile s = randomSkeleton(rng, vertices, bones, frames);
    Model m(positions);
    m.anim.setSkeleton(s);

    std::vector<rvVector3> expected(vertices);
    const struct {
        int a, b;
        float t;
    } poses[] = {{0, 1, 0.0f}, {1, 2, 0.37f}, {4, 0, 0.93f}, {3, 3, 0.5f}};
    for (const auto& pose : poses) {
        m.anim.animate(pose.a, pose.b, pose.t);
        rvSkinPerVertexReference(reinterpret_cast<const rvVector3*>(positions.data()), vertices,
                                 s.boneIndices.data(), s.boneWeights.data(), s.boneKeys.data(),
                                 frames, pose.a, pose.b, pose.t, expected.data());
        ASSERT_EQ(m.mesh->positions.size(), positions.size());
        for (int v = 0; v < vertices; ++v) {
            const float* got = &m.mesh->positions[3 * v];
            const float tol = 1e-4f * (1.0f + std::fabs(expected[v].x) + std::fabs(expected[v].y) +
                                       std::fabs(expected[v].z));
            EXPECT_NEAR(got[0], expected[v].x, tol) << "vertex " << v;
            EXPECT_NEAR(got[1], expected[v].y, tol) << "vertex " << v;
            EXPECT_NEAR(got[2], expected[v].z, tol) << "vertex " << v;
        }
        // Each bone's matrix: slerped rotation, lerped translation in row 3.
        const rvMatrix44* mats = m.anim.getBoneMatrices();
        ASSERT_NE(mats, nullptr);
        for (int b = 0; b < bones; ++b) {
            const rvBoneKey& ka = s.key(b, pose.a);
            const rvBoneKey& kb = s.key(b, pose.b);
            const rvMatrix44 rot = rvSlerp(pose.t, ka.rotation, kb.rotation).toMatrix();
            const rvVector3 trans = rvLerp(ka.translation, kb.translation, pose.t);
            for (int r = 0; r < 3; ++r) {
                for (int c = 0; c < 3; ++c) {
                    EXPECT_NEAR(mats[b](r, c), rot(r, c), 1e-6f);
                }
                EXPECT_EQ(mats[b](r, 3), 0.0f);
            }
            EXPECT_NEAR(mats[b](3, 0), trans.x, 1e-4f);
            EXPECT_NEAR(mats[b](3, 1), trans.y, 1e-4f);
            EXPECT_NEAR(mats[b](3, 2), trans.z, 1e-4f);
            EXPECT_EQ(mats[b](3, 3), 1.0f);
        }
    }
}

TEST(AnimMeshSkinning, NothingIsAllocatedAfterTheFirstPose) {
    std::mt19937 rng(7);
    Model m(randomPositions(rng, 50));
    m.anim.setSkeleton(randomSkeleton(rng, 50, 6, 3));
    m.anim.setFrameRate(15);
    m.anim.update(0.01f);
    const rvVector3* skinned = m.anim.getSkinnedPositions();
    const rvMatrix44* mats = m.anim.getBoneMatrices();

    gAllocations = 0;
    gCountAllocations = true;
    for (int i = 0; i < 40; ++i) {
        m.anim.update(0.03f);
    }
    gCountAllocations = false;
    EXPECT_EQ(gAllocations.load(), 0);
    EXPECT_EQ(m.anim.getSkinnedPositions(), skinned);
    EXPECT_EQ(m.anim.getBoneMatrices(), mats);
    EXPECT_EQ(m.mesh->positionUploads, 1 + 41);
}

// --- Models without usable animation data -------------------------------------------------

TEST(AnimMeshWithoutSkeleton, KeepsTheFilePoseAndDoesNotAdvanceTheFrame) {
    const std::vector<float> file = {1, 2, 3, 4, 5, 6};
    Model m(file);
    for (int i = 0; i < 3; ++i) {
        m.anim.update(0.02f); // no frame rate: the advance test always passes
    }
    m.anim.setFrameRate(15);
    for (int i = 0; i < 10; ++i) {
        m.anim.update(0.05f);
    }
    m.anim.animate(0, 0, 0.0f);
    EXPECT_EQ(m.anim.getCurrentFrame(), 0);
    EXPECT_EQ(m.mesh->positions, file);
    EXPECT_EQ(m.mesh->positionUploads, 1);
    EXPECT_EQ(m.anim.getBoneCount(), 0);
    EXPECT_EQ(m.anim.getFrameCount(), 0);
    EXPECT_EQ(m.anim.getBoneMatrices(), nullptr);
    EXPECT_EQ(m.anim.getSkinnedPositions(), nullptr);
    EXPECT_EQ(m.anim.getBoneWeights(), nullptr);
    EXPECT_EQ(m.anim.getBoneIndices(), nullptr);
}

TEST(AnimMeshWithoutSkeleton, NoInnerMeshIsHarmless) {
    rvAnimMesh anim;
    anim.setSkeleton(slidingSkeleton(2, 1));
    anim.update(0.1f);
    EXPECT_EQ(anim.getMesh(), nullptr);
    EXPECT_EQ(anim.getSkinnedPositions(), nullptr);
}

TEST(AnimMeshWithoutSkeleton, VertexCountMismatchSkipsSkinning) {
    const std::vector<float> file = {1, 0, 0, 2, 0, 0, 3, 0, 0, 4, 0, 0};
    Model m(file);                             // four vertices
    m.anim.setSkeleton(slidingSkeleton(2, 3)); // bone data for three
    m.anim.animate(1, 0, 0.0f);
    EXPECT_EQ(m.mesh->positions, file);
    EXPECT_EQ(m.mesh->positionUploads, 1);
    // The bone matrices are still valid for the skeleton.
    ASSERT_NE(m.anim.getBoneMatrices(), nullptr);
    EXPECT_EQ(m.anim.getBoneMatrices()[0](3, 0), 10.0f);
}

TEST(AnimMeshWithoutSkeleton, MeshRefilledWithOtherVertexCountIsNotOverwritten) {
    Model m({0, 0, 0, 1, 1, 1});
    m.anim.setSkeleton(slidingSkeleton(2, 2));
    m.anim.animate(1, 0, 0.0f);
    ASSERT_EQ(m.x(1), 11.0f);
    const std::vector<float> refilled = {5, 5, 5, 6, 6, 6, 7, 7, 7};
    m.mesh->setPositions(refilled.data(), 9);
    m.anim.animate(0, 1, 0.5f);
    EXPECT_EQ(m.mesh->positions, refilled);
}

// --- Skeleton, ownership, helpers ---------------------------------------------------------

TEST(AnimMeshSkeleton, CopiesTheRecordAndClearsWithoutOne) {
    std::mt19937 rng(3);
    rvMeshFile s = randomSkeleton(rng, 4, 3, 2);
    rvAnimMesh anim;
    anim.setSkeleton(s);
    EXPECT_EQ(anim.getBoneCount(), 3);
    EXPECT_EQ(anim.getFrameCount(), 2);
    EXPECT_EQ(anim.key(2, 1).translation.z, s.boneKeys[2 * 2 + 1].translation.z);
    EXPECT_EQ(anim.key(1, 0).rotation.x, s.boneKeys[2].rotation.x);
    ASSERT_NE(anim.getBoneWeights(), nullptr);
    EXPECT_EQ(std::vector<float>(anim.getBoneWeights(), anim.getBoneWeights() + 16), s.boneWeights);
    EXPECT_EQ(std::vector<unsigned char>(anim.getBoneIndices(), anim.getBoneIndices() + 16),
              s.boneIndices);
    s.boneKeys[5].translation.z += 1.0f; // a copy, not a reference
    EXPECT_NE(anim.key(2, 1).translation.z, s.boneKeys[5].translation.z);

    anim.setSkeleton(rvMeshFile());
    EXPECT_EQ(anim.getBoneCount(), 0);
    EXPECT_EQ(anim.getFrameCount(), 0);
    EXPECT_EQ(anim.getBoneWeights(), nullptr);
}

namespace {
struct DeletionFlagMesh : RecordingMesh {
    explicit DeletionFlagMesh(int* deleted) : deleted(deleted) {}
    ~DeletionFlagMesh() override { ++*deleted; }
    int* deleted;
};
} // namespace

TEST(AnimMeshOwnership, DeletesItsInnerMeshAndAReplacedOne) {
    int first = 0, second = 0;
    {
        rvAnimMesh anim;
        anim.setMesh(new DeletionFlagMesh(&first));
        anim.setMesh(new DeletionFlagMesh(&second));
        EXPECT_EQ(first, 1);
        EXPECT_EQ(second, 0);
    }
    EXPECT_EQ(second, 1);
    auto* polymorphic = new rvAnimMesh;
    polymorphic->setMesh(new DeletionFlagMesh(&first));
    delete polymorphic;
    EXPECT_EQ(first, 2);
}

TEST(AnimMeshOwnership, ANewInnerMeshGetsItsOwnBindPose) {
    Model m({0, 0, 0});
    m.anim.setSkeleton(slidingSkeleton(2, 1));
    m.anim.animate(1, 0, 0.0f);
    auto* other = new RecordingMesh;
    const float p[] = {3, 3, 3};
    other->setPositions(p, 3);
    m.anim.setMesh(other);
    m.anim.animate(1, 0, 0.0f);
    EXPECT_EQ(other->positions[0], 13.0f);
}

TEST(AnimMeshMath, LerpBlendsComponentwise) {
    rvVector3 out;
    rvAnimMesh::lerp(rvVector3(0, 0, 0), rvVector3(2, 4, 6), 0.25f, &out);
    EXPECT_FLOAT_EQ(out.x, 0.5f);
    EXPECT_FLOAT_EQ(out.y, 1.0f);
    EXPECT_FLOAT_EQ(out.z, 1.5f);
    rvAnimMesh::lerp(rvVector3(1, -1, 2), rvVector3(3, 1, 2), 1.0f, &out);
    EXPECT_FLOAT_EQ(out.x, 3.0f);
    EXPECT_FLOAT_EQ(out.y, 1.0f);
    EXPECT_FLOAT_EQ(out.z, 2.0f);
}

TEST(AnimMeshMath, IdentityKeyBoneMatrixIsATranslation) {
    const rvBoneKey k = makeKey(kIdentity, rvVector3(1, 2, 3));
    const rvMatrix44 m = rvBoneMatrix(k, k, 0.6f);
    const float expected[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1};
    for (int e = 0; e < 16; ++e) {
        EXPECT_FLOAT_EQ(m.m[e], expected[e]) << "element " << e;
    }
}

TEST(AnimMeshMath, BoneMatrixSlerpsRotationAndLerpsTranslation) {
    const rvMatrix44 m = rvBoneMatrix(makeKey(kIdentity, rvVector3(0, 0, 0)),
                                      makeKey(rotationZ(90.0f), rvVector3(4, 8, -2)), 0.5f);
    const float c = std::cos(kRvPi / 4.0f);
    // 45° about z in the row-vector convention: row 0 = (cos, sin, 0).
    EXPECT_NEAR(m(0, 0), c, 1e-5f);
    EXPECT_NEAR(m(0, 1), c, 1e-5f);
    EXPECT_NEAR(m(1, 0), -c, 1e-5f);
    EXPECT_NEAR(m(1, 1), c, 1e-5f);
    EXPECT_NEAR(m(2, 2), 1.0f, 1e-5f);
    EXPECT_FLOAT_EQ(m(0, 3), 0.0f);
    EXPECT_FLOAT_EQ(m(3, 0), 2.0f);
    EXPECT_FLOAT_EQ(m(3, 1), 4.0f);
    EXPECT_FLOAT_EQ(m(3, 2), -1.0f);
    EXPECT_FLOAT_EQ(m(3, 3), 1.0f);
}
