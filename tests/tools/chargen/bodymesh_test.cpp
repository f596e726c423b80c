#include "bodymesh.h"

#include <cmath>
#include <map>
#include <array>

#include <gtest/gtest.h>

using namespace chargen;

namespace {

// A limb from y = 10 down to y = 0 at x = 1, thinning downwards: bone 2 above its middle, bone
// 3 below; 12 segments around, 10 body rings and 3 cap rings at each end.
// clang-format off
const TubeDesc kLimb{"limb", PartKind::Arm, 0, V3(1, 10, 0), V3(1, 0, 0), V3(0, 0, 1),
                     {{0, 1.5, 1.2}, {0.5, 1.0, 1.0}, {1, 0.8, 0.7}}, 2.0, 1.0, 1.0, 12, 10, 3,
                     {2, 3}, {0.5}, {0.1}, {}, {0.5, 0.25, 0.75, 0.5}};
// clang-format on

// Bone 2's share of the limb's skin at f = k / 100.
double shareOfBone2(int k) {
    double w = 0.0;
    for (const Influence& i : skinWeights(kLimb, k / 100.0, V3()))
        w += i.bone == 2 ? i.weight : 0.0;
    return w;
}

} // namespace

TEST(SkinWeights, QuantiseToTheFourLargestBytesSummingTo255AndBlendSmoothlyAcrossJoints) {
    // Influences and the first slot's byte (within one): halves round up (one count too many),
    // thirds down; of five the smallest (bone 1) goes and the largest is renormalised over the
    // rest; with none all goes to the fallback bone 9.
    // clang-format off
    const std::pair<std::vector<Influence>, double> cases[] = {
        {{{1, 0.5}, {2, 0.5}}, 127.5}, {{{1, 1.0}, {2, 1.0}, {3, 1.0}}, 85},
        {{{1, 0.05}, {2, 0.3}, {3, 0.25}, {4, 0.2}, {5, 0.2}}, 0.3 / 0.95 * 255}, {{}, 255}};
    // clang-format on
    for (const auto& [in, first] : cases) {
        SCOPED_TRACE(::testing::Message() << in.size() << " influences");
        std::array<std::uint8_t, 4> bones, weights;
        quantiseWeights(in, 9, bones, weights);
        EXPECT_EQ(weights[0] + weights[1] + weights[2] + weights[3], 255);
        EXPECT_NEAR(weights[0], first, 1.0);
        for (int j = 0; j < 4; ++j) {
            EXPECT_TRUE(weights[j] > 0 || bones[j] == 9)
                << "unused slot " << j << " names bone " << int(bones[j]);
            EXPECT_TRUE(in.size() < 5 || bones[j] != 1) << "the smallest is kept in slot " << j;
        }
    }
    // The limb's joint at f = 0.5, blended over ±0.1: bone 2's share is whole above the blend
    // (and beyond the start, where f is clamped to the body), none below, a half at the joint,
    // and it only falls, never jumping.
    EXPECT_NEAR(shareOfBone2(50), 0.5, 1e-12);
    double previous = 1.0;
    for (int k = -20; k <= 120; ++k) { // f = k / 100
        const double w = shareOfBone2(k);
        EXPECT_TRUE(k > 39 || w == 1.0) << "above the blend, f = " << k / 100.0 << ": " << w;
        EXPECT_TRUE(k < 61 || w == 0.0) << "below the blend, f = " << k / 100.0 << ": " << w;
        EXPECT_LE(w, previous + 1e-12) << k;
        EXPECT_LT(previous - w, 0.2) << k;
        previous = w;
    }
}

TEST(BodyMeshBuild, PartsAreClosedOutwardSurfacesWithUnitFramesInTheirCell) {
    const BodyMesh m = buildBodyMesh({Tube(kLimb), Tube(kLimb)});
    const UVRect in = uvInside(kLimb.uv);
    for (int v = 0; v < m.vertexCount(); ++v) {
        SCOPED_TRACE(v);
        const V3 &p = m.positions[v], &n = m.normals[v];
        const V3 t(m.tangents[4 * v], m.tangents[4 * v + 1], m.tangents[4 * v + 2]);
        EXPECT_NEAR(length(n), 1.0, 1e-9);
        EXPECT_NEAR(length(t), 1.0, 1e-9);
        EXPECT_NEAR(dot(t, n), 0.0, 1e-9);
        EXPECT_EQ(std::fabs(m.tangents[4 * v + 3]), 1.0);
        // Inside the cell's texture rectangle.
        EXPECT_LE(std::fabs(m.texCoords[2 * v] - (in.u0 + in.u1) / 2), (in.u1 - in.u0) / 2 + 1e-12);
        EXPECT_LE(std::fabs(m.texCoords[2 * v + 1] - (in.v0 + in.v1) / 2),
                  (in.v1 - in.v0) / 2 + 1e-12);
        EXPECT_TRUE(p.y < 0.5 || p.y > 9.5 || dot(n, p - V3(1, p.y, 0)) > 0.0) << "inwards";
    }
    // Per part: the start pole at the top of the cell (its normal outwards, up the axis), the
    // rings with a seam copy each, the end pole at the bottom.
    const int perPart = 2 + (10 + 2 * 3 - 1) * (12 + 1);
    ASSERT_EQ(m.vertexCount(), 2 * perPart);
    EXPECT_NEAR(m.texCoords[1], in.v0, 1e-12);
    EXPECT_GT(m.normals[0].y, 0.99);
    EXPECT_NEAR(m.texCoords[2 * perPart - 1], in.v1, 1e-12);
    EXPECT_LT(m.normals[perPart - 1].y, -0.99);
    // Welded by position (seam copies), every directed edge has exactly one partner running the
    // other way, and each face agrees with the normals of its corners.
    const auto id = [&](uint32_t k) {
        const V3& q = m.positions[k];
        return std::array<long, 4>{std::lround(q.x * 1e6), std::lround(q.y * 1e6),
                                   std::lround(q.z * 1e6), m.part[k]};
    };
    std::map<std::pair<std::array<long, 4>, std::array<long, 4>>, int> directed;
    for (size_t i = 0; i < m.indices.size(); ++i) {
        const uint32_t a = m.indices[i], b = m.indices[i - i % 3 + (i + 1) % 3],
                       c = m.indices[i - i % 3 + (i + 2) % 3];
        ASSERT_NE(id(a), id(b)) << "a degenerate triangle: " << i / 3;
        ++directed[{id(a), id(b)}];
        const V3 face = cross(m.positions[b] - m.positions[a], m.positions[c] - m.positions[a]);
        EXPECT_GT(dot(face, m.normals[a] + m.normals[b] + m.normals[c]), 0.0) << i / 3;
    }
    for (const auto& [edge, count] : directed) {
        EXPECT_EQ(count, 1);
        EXPECT_EQ(directed.count({edge.second, edge.first}), 1u);
    }
}
