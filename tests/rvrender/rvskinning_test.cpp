// Every skinning kernel the processor runs, forced in turn, against the plain per-vertex
// reference: on the demo's characters and on data chosen to break the grouping and the wide
// loops.
#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "rvanimmesh.h"
#include "rvmeshfile.h"
#include "rvskinning.h"

namespace {

// Skins the record's bind pose between two key frames with the kernel and checks every
// coordinate against the reference (relative 1e-5) and the box against the positions.
void expectMatchesReference(const rvMeshFile& r, rvSkinPath path, int frameA, int frameB, float t) {
    const int n = static_cast<int>(r.vertexCount);
    std::vector<rvMatrix44> bones;
    for (std::uint32_t b = 0; b < r.boneCount; ++b) {
        bones.push_back(rvBoneMatrix(r.boneKeys[b * r.frameCount + frameA],
                                     r.boneKeys[b * r.frameCount + frameB], t));
    }
    std::vector<rvVector3> expected(n);
    rvSkinPerVertexReference(reinterpret_cast<const rvVector3*>(r.positions.data()), n,
                             r.boneIndices.data(), r.boneWeights.data(), r.boneKeys.data(),
                             static_cast<int>(r.frameCount), frameA, frameB, t, expected.data());
    rvSkinPlan plan;
    plan.build(r.positions.data(), n, r.boneIndices.data(), r.boneWeights.data());
    std::vector<float> out(3 * static_cast<size_t>(n), NAN);
    const rvVector3 untouched(7, 7, 7);
    rvVector3 lo = untouched, hi = untouched;
    plan.skin(bones.data(), out.data(), &lo, &hi, path);
    float box[6] = {INFINITY, INFINITY, INFINITY, -INFINITY, -INFINITY, -INFINITY};
    for (int v = 0; v < n; ++v) {
        const float* want = &expected[v].x;
        for (int c = 0; c < 3; ++c) {
            const float got = out[3 * v + c];
            ASSERT_NEAR(got, want[c], 1e-5f * (1.0f + std::fabs(want[c])))
                << "vertex " << v << ", coordinate " << c;
            box[c] = std::min(box[c], got);
            box[3 + c] = std::max(box[3 + c], got);
        }
    }
    if (n == 0) {
        box[0] = box[1] = box[2] = box[3] = box[4] = box[5] = 7;
    }
    EXPECT_EQ((std::vector<float>{lo.x, lo.y, lo.z, hi.x, hi.y, hi.z}),
              std::vector<float>(box, box + 6));
}

// n vertices, `bones` bones with random keys over 3 frames; influences from the generator.
template <typename Influence>
rvMeshFile randomCharacter(int n, int bones, std::mt19937& rng, Influence influence) {
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    rvMeshFile r;
    r.vertexCount = n;
    r.boneCount = bones;
    r.frameCount = 3;
    for (int i = 0; i < 3 * n; ++i) {
        r.positions.push_back(30.0f * unit(rng));
    }
    for (int i = 0; i < 3 * bones; ++i) {
        rvQuaternion q(unit(rng), unit(rng), unit(rng), unit(rng));
        const float len = std::sqrt(q.dot(q));
        r.boneKeys.push_back({rvQuaternion(q.w / len, q.x / len, q.y / len, q.z / len),
                              rvVector3(unit(rng), unit(rng), unit(rng)) * 10.0f});
    }
    for (int v = 0; v < n; ++v) {
        for (int j = 0; j < 4; ++j) {
            float w;
            int bone;
            influence(v, j, &w, &bone);
            r.boneWeights.push_back(w);
            r.boneIndices.push_back(static_cast<std::uint8_t>(bone));
        }
    }
    return r;
}

class SkinKernel : public ::testing::TestWithParam<rvSkinPath> {};

TEST_P(SkinKernel, MatchesTheReferenceOnEveryKindOfInfluence) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> weight(0.05f, 0.9f);
    // Four non-zero weights that do not sum to 1, 30 bones, a count no SIMD width divides.
    const rvMeshFile four = randomCharacter(1001, 30, rng, [&](int, int, float* w, int* b) {
        *w = weight(rng);
        *b = static_cast<int>(rng() % 30);
    });
    // Mixed counts, 0 to 4 influences (a vertex without any goes to the origin), one bone.
    const rvMeshFile mixed = randomCharacter(37, 1, rng, [&](int v, int j, float* w, int* b) {
        *w = j < v % 5 ? weight(rng) : 0.0f;
        *b = 0;
    });
    // The most bones a vertex can name (bytes), one influence each, in no order.
    const rvMeshFile widest = randomCharacter(515, 256, rng, [&](int v, int j, float* w, int* b) {
        *w = j == 0 ? 1.0f : 0.0f;
        *b = (v * 97) % 256;
    });
    const rvMeshFile none = randomCharacter(0, 2, rng, [](int, int, float*, int*) {});
    // Stretches of 1 to 40 consecutive vertices on the same 1 to 4 bones, named in any slots
    // and order, so that runs of every length and influence count meet lone vertices.
    std::vector<std::array<int, 4>> stretch; // per vertex: a bone per slot, -1 for no weight
    while (stretch.size() < 900) {
        std::array<int, 4> slots = {-1, -1, -1, -1};
        for (std::uint32_t j = 0, k = 1 + rng() % 4; j < k; ++j) {
            slots[j] = static_cast<int>(rng() % 12);
        }
        std::shuffle(slots.begin(), slots.end(), rng);
        stretch.insert(stretch.end(), 1 + rng() % 40, slots);
    }
    const rvMeshFile runs = randomCharacter(static_cast<int>(stretch.size()), 12, rng,
                                            [&](int v, int j, float* w, int* b) {
                                                *w = stretch[v][j] < 0 ? 0.0f : weight(rng);
                                                *b = std::max(stretch[v][j], 0);
                                            });
    rvSkinPlan plan;
    plan.build(runs.positions.data(), static_cast<int>(runs.vertexCount), runs.boneIndices.data(),
               runs.boneWeights.data());
    EXPECT_GT(plan.vertexCountInRuns(), 0);
    EXPECT_LT(plan.vertexCountInRuns(), plan.vertexCount());
    for (const rvMeshFile* r : {&four, &mixed, &widest, &none, &runs}) {
        SCOPED_TRACE(r->vertexCount);
        expectMatchesReference(*r, GetParam(), 0, 1, 0.3f);
        expectMatchesReference(*r, GetParam(), 2, 0, 0.85f);
    }
}

TEST_P(SkinKernel, MatchesTheReferenceOnTheDemosCharacters) {
    for (const char* name : {"zax.MSH", "zaphod.MSH"}) {
        SCOPED_TRACE(name);
        rvMeshFile r;
        ASSERT_TRUE(r.load((std::string(RV_DEMO_DIR) + "/meshes/" + name).c_str())) << r.error();
        expectMatchesReference(r, GetParam(), 3, 4, 0.6f);
    }
}

std::string pathName(const ::testing::TestParamInfo<rvSkinPath>& info) {
    std::string name = rvSkinPathName(info.param);
    name.erase(std::remove(name.begin(), name.end(), '+'), name.end());
    return name;
}

INSTANTIATE_TEST_SUITE_P(EachPath, SkinKernel, ::testing::ValuesIn(rvAvailableSkinPaths()),
                         pathName);

TEST(SkinPaths, TheBestIsTheWidestThisProcessorRunsAndAnimatedMeshesUseIt) {
    const std::vector<rvSkinPath> paths = rvAvailableSkinPaths();
    EXPECT_EQ(paths.front(), rvSkinPath::kScalar);
    EXPECT_EQ(paths.back(), rvBestSkinPath());
#if defined(__x86_64__)
    EXPECT_GE(paths.size(), 2u) << "SSE2 is part of every x86-64 processor";
#endif
    EXPECT_EQ(rvCurrentSkinPath(), rvBestSkinPath());
}

} // namespace
