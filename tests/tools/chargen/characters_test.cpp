#include "characters.h"

#include <algorithm>
#include <array>
#include <utility>

#include <gtest/gtest.h>

#include "rvanimmesh.h"
#include "rvmeshfile.h"

using namespace chargen;

namespace {

// A character as the engine sees it: its file encoded and read back by the engine's reader,
// and skinned by the engine's processor skinning at every key frame and halfway to the next.
struct Loaded {
    Character c;
    float soleY, height; // where the scene expects the soles, and how tall the figure is
    rvMeshFile file;
    std::vector<rvVector3> bind;
    std::vector<std::vector<rvVector3>> poses; // pose 2f is key frame f, 2f + 1 halfway on
};

Loaded load(Character c, float soleY, float height) {
    Loaded l{std::move(c), soleY, height, {}, {}, {}};
    const std::vector<std::uint8_t> image = rvEncodeMeshFile(meshRecord(l.c));
    EXPECT_TRUE(l.file.loadFromMemory(image.data(), image.size())) << l.file.error();
    const rvMeshFile& f = l.file;
    const rvVector3* positions = reinterpret_cast<const rvVector3*>(f.positions.data());
    l.bind.assign(positions, positions + f.vertexCount);
    for (int i = 0; i < 2 * int(f.frameCount); ++i) {
        l.poses.emplace_back(f.vertexCount);
        rvSkinPerVertexReference(positions, int(f.vertexCount), f.boneIndices.data(),
                                 f.boneWeights.data(), f.boneKeys.data(), int(f.frameCount), i / 2,
                                 (i / 2 + 1) % f.frameCount, 0.5f * (i % 2), l.poses[i].data());
    }
    return l;
}

// zax, 40 tall, stands on the floor at its origin; zaphod, about 33 tall, has its origin at its
// pelvis, 16.7 above its soles.
const std::array<Loaded, 2>& figures() {
    static const std::array<Loaded, 2> both{load(makeZax(), 0.0f, 40.0f),
                                            load(makeZaphod(), -16.7f, 33.0f)};
    return both;
}

// Lowest and highest coordinate k (0: x, 1: y, 2: z) of the vertices keep(v) selects.
template <class Keep = bool (*)(size_t)>
std::pair<float, float> extent(
    const std::vector<rvVector3>& p, int k, Keep keep = [](size_t) { return true; }) {
    float lo = 1e30f, hi = -1e30f;
    for (size_t v = 0; v < p.size(); ++v)
        if (keep(v)) {
            lo = std::min(lo, (&p[v].x)[k]);
            hi = std::max(hi, (&p[v].x)[k]);
        }
    return {lo, hi};
}

} // namespace

TEST(CharacterFile, LoadsWithTheEngineReaderWithASoundSkin) {
    // The reader itself refuses vertex and bone numbers out of range.
    for (const Loaded& l : figures()) {
        SCOPED_TRACE(l.c.name);
        const rvMeshFile& f = l.file;
        EXPECT_EQ(std::vector<bool>({f.hasNormals(), f.hasTexCoords(), f.hasTangents()}),
                  std::vector<bool>(3, true));
        for (const rvBoneKey& k : f.boneKeys)
            ASSERT_NEAR(k.rotation.dot(k.rotation), 1.0f, 1e-5f);
        std::vector<float> most(f.boneCount, 0.0f), sum(f.vertexCount, 0.0f);
        for (size_t j = 0; j < f.boneWeights.size(); ++j) {
            most[f.boneIndices[j]] = std::max(most[f.boneIndices[j]], f.boneWeights[j]);
            sum[j / 4] += f.boneWeights[j];
        }
        for (float s : sum)
            ASSERT_NEAR(s, 1.0f, 1e-5f);
        EXPECT_GT(*std::min_element(most.begin(), most.end()), 0.25f); // every bone moves some
    }
}

TEST(CharacterPose, EveryPoseIsWholeFacingPlusZOnTheFloorAndTheLoopIsSeamless) {
    for (const Loaded& l : figures()) {
        SCOPED_TRACE(l.c.name);
        const auto is = [&](PartKind kind) {
            return [&l, kind](size_t v) { return l.c.parts[l.c.mesh.part[v]].desc().kind == kind; };
        };
        EXPECT_NEAR(extent(l.bind, 1, is(PartKind::Foot)).first, l.soleY, 0.05f);
        EXPECT_NEAR(extent(l.bind, 1).second - extent(l.bind, 1).first, l.height, 2.0f);
        for (const std::vector<rvVector3>& p : l.poses) {
            SCOPED_TRACE(::testing::Message() << "key frame " << (&p - l.poses.data()) / 2.0);
            EXPECT_NEAR(extent(p, 1, is(PartKind::Foot)).first, l.soleY, 0.2f);
            EXPECT_GT(extent(p, 2, is(PartKind::Nose)).second,
                      extent(p, 2, is(PartKind::Head)).second);
            for (int k = 0; k < 3; ++k) // within a quarter of its height around its bind box
                EXPECT_LT(std::max(extent(l.bind, k).first - extent(p, k).first,
                                   extent(p, k).second - extent(l.bind, k).second),
                          0.25f * l.height)
                    << "axis " << k;
            float worst = 0.0f; // the most any edge of a triangle is stretched
            for (size_t e = 0; e < l.file.indices.size(); ++e) {
                const uint32_t a = l.file.indices[e], b = l.file.indices[e - e % 3 + (e + 1) % 3];
                const float before = rvDistance(l.bind[a], l.bind[b]);
                worst = before > 1e-4f ? std::max(worst, rvDistance(p[a], p[b]) / before) : worst;
            }
            EXPECT_LT(worst, 2.0f);
        }
        // The loop: vertex movement from key frame f to the next, the last wrapping to key 0,
        // makes neither a jump nor a hitch (a repeated key, or no motion, would make it vanish).
        const int frames = int(l.file.frameCount);
        std::vector<double> steps(frames, 0.0);
        for (int f = 0; f < frames; ++f)
            for (size_t v = 0; v < l.bind.size(); ++v)
                steps[f] += rvDistance(l.poses[2 * f][v], l.poses[2 * ((f + 1) % frames)][v]);
        const double wrap = steps.back(), around = 0.5 * (steps[frames - 2] + steps[0]);
        EXPECT_LE(wrap, *std::max_element(steps.begin(), steps.end() - 1) * 1.001);
        EXPECT_GT(wrap, 0.5 * around);
        EXPECT_LT(wrap, 2.0 * around);
    }
}
