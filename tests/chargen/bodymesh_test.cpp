#include "bodymesh.h"

#include <cmath>
#include <map>
#include <tuple>
#include <utility>

#include <gtest/gtest.h>

using namespace chargen;

namespace {

TubeDesc limb() {
    TubeDesc d;
    d.start = V3(1, 10, 0);
    d.end = V3(1, 0, 0);
    d.front = V3(0, 0, 1);
    d.profile = {{0, 1.5, 1.2}, {0.5, 1.0, 1.0}, {1, 0.8, 0.7}};
    d.segments = 12;
    d.bodyRings = 10;
    d.capRings = 3;
    d.bones = {2, 3};
    d.joints = {0.5};
    d.blend = {0.1};
    d.uv = {0.5, 0.25, 0.75, 0.5};
    return d;
}

int sum(const std::array<std::uint8_t, 4>& w) {
    return w[0] + w[1] + w[2] + w[3];
}

} // namespace

TEST(SkinQuantisation, OneInfluenceTakesAllTheWeight) {
    std::array<std::uint8_t, 4> bones, weights;
    quantiseWeights({{7, 1.0}}, 3, bones, weights);
    EXPECT_EQ(bones[0], 7);
    EXPECT_EQ(weights[0], 255);
    EXPECT_EQ(bones[1], 3);
    EXPECT_EQ(weights[1] + weights[2] + weights[3], 0);
}

TEST(SkinQuantisation, RoundingRemainderGoesToTheLargest) {
    std::array<std::uint8_t, 4> bones, weights;
    // Halves round up to 128 + 128: one count too many.
    quantiseWeights({{1, 0.5}, {2, 0.5}}, 0, bones, weights);
    EXPECT_EQ(sum(weights), 255);
    // Thirds round down to 85 each: exact.
    quantiseWeights({{1, 1.0}, {2, 1.0}, {3, 1.0}}, 0, bones, weights);
    EXPECT_EQ(sum(weights), 255);
    // Many small weights.
    quantiseWeights({{1, 0.2515}, {2, 0.2515}, {3, 0.2515}, {4, 0.2455}}, 0, bones, weights);
    EXPECT_EQ(sum(weights), 255);
}

TEST(SkinQuantisation, KeepsTheFourLargestAndRenormalises) {
    std::array<std::uint8_t, 4> bones, weights;
    quantiseWeights({{1, 0.05}, {2, 0.3}, {3, 0.25}, {4, 0.2}, {5, 0.2}}, 0, bones, weights);
    EXPECT_EQ(sum(weights), 255);
    EXPECT_EQ(bones[0], 2);
    for (std::uint8_t b : bones)
        EXPECT_NE(b, 1);
    EXPECT_NEAR(weights[0], 0.3 / 0.95 * 255, 1.5);
}

TEST(SkinQuantisation, NoInfluenceFallsBackToTheGivenBone) {
    std::array<std::uint8_t, 4> bones, weights;
    quantiseWeights({}, 9, bones, weights);
    EXPECT_EQ(bones[0], 9);
    EXPECT_EQ(weights[0], 255);
}

TEST(SkinWeights, BlendSmoothlyAcrossJoints) {
    TubeDesc d;
    d.bones = {10, 11, 12};
    d.joints = {0.3, 0.7};
    d.blend = {0.1, 0.1};
    auto weightOf = [&](double f, int bone) {
        for (const Influence& i : skinWeights(d, f, V3()))
            if (i.bone == bone)
                return i.weight;
        return 0.0;
    };
    EXPECT_DOUBLE_EQ(weightOf(0.0, 10), 1.0);
    EXPECT_DOUBLE_EQ(weightOf(0.5, 11), 1.0);
    EXPECT_DOUBLE_EQ(weightOf(1.0, 12), 1.0);
    EXPECT_NEAR(weightOf(0.3, 10), 0.5, 1e-12);
    EXPECT_NEAR(weightOf(0.3, 11), 0.5, 1e-12);
    double previous = 1.0;
    for (double f = 0.0; f <= 1.0; f += 0.01) {
        double total = 0.0;
        for (const Influence& i : skinWeights(d, f, V3())) {
            EXPECT_GT(i.weight, 0.0);
            total += i.weight;
        }
        EXPECT_NEAR(total, 1.0, 1e-12);
        // The parent's share only falls along the axis, and never jumps.
        double w = weightOf(f, 10);
        EXPECT_LE(w, previous + 1e-12);
        EXPECT_LT(previous - w, 0.2);
        previous = w;
    }
}

TEST(SkinWeights, SoftRegionsTakeOverInsideTheirRadius) {
    TubeDesc d;
    d.bones = {0};
    d.extra = {{5, V3(0, 0, 0), V3(2, 2, 2), 0.8}};
    auto weightOf = [&](const V3& p, int bone) {
        for (const Influence& i : skinWeights(d, 0.5, p))
            if (i.bone == bone)
                return i.weight;
        return 0.0;
    };
    EXPECT_NEAR(weightOf(V3(0.5, 0, 0), 5), 0.8, 1e-12);
    EXPECT_NEAR(weightOf(V3(0.5, 0, 0), 0), 0.2, 1e-12);
    EXPECT_DOUBLE_EQ(weightOf(V3(0, 3, 0), 5), 0.0);
    double between = weightOf(V3(0, 1.5, 0), 5);
    EXPECT_GT(between, 0.0);
    EXPECT_LT(between, 0.8);
}

TEST(BodyMeshBuild, CountsFollowTheRingLayout) {
    std::vector<Tube> parts{Tube(limb()), Tube(limb())};
    BodyMesh mesh = buildBodyMesh(parts);
    const int rings = 10 + 1 + 2 * 3; // poles included
    const int perPart = 2 + (rings - 2) * (12 + 1);
    EXPECT_EQ(mesh.vertexCount(), 2 * perPart);
    EXPECT_EQ(mesh.triangleCount(), 2 * (2 * 12 * (rings - 3) + 2 * 12));
    EXPECT_EQ(mesh.part[0], 0);
    EXPECT_EQ(mesh.part[perPart], 1);
    EXPECT_EQ(mesh.normals.size(), mesh.positions.size());
    EXPECT_EQ(mesh.texCoords.size(), 2 * mesh.positions.size());
    EXPECT_EQ(mesh.tangents.size(), 4 * mesh.positions.size());
    EXPECT_EQ(mesh.boneWeights.size(), 4 * mesh.positions.size());
}

TEST(BodyMeshBuild, EachPartIsAClosedConsistentlyWoundSurface) {
    std::vector<Tube> parts{Tube(limb())};
    BodyMesh mesh = buildBodyMesh(parts);
    // Seam copies share a position: weld by position, then every directed edge must have
    // exactly one partner running the other way.
    std::map<std::tuple<double, double, double>, int> ids;
    std::vector<int> id(mesh.vertexCount());
    for (int v = 0; v < mesh.vertexCount(); ++v) {
        const V3& p = mesh.positions[v];
        auto key =
            std::make_tuple(std::round(p.x * 1e6), std::round(p.y * 1e6), std::round(p.z * 1e6));
        id[v] = ids.emplace(key, int(ids.size())).first->second;
    }
    std::map<std::pair<int, int>, int> directed;
    for (size_t i = 0; i < mesh.indices.size(); i += 3) {
        for (int e = 0; e < 3; ++e) {
            int a = id[mesh.indices[i + e]], b = id[mesh.indices[i + (e + 1) % 3]];
            ASSERT_NE(a, b) << "degenerate triangle " << i / 3;
            ++directed[{a, b}];
        }
    }
    for (const auto& [edge, count] : directed) {
        EXPECT_EQ(count, 1);
        EXPECT_EQ(directed.count({edge.second, edge.first}), 1u);
    }
}

TEST(BodyMeshBuild, NormalsPointOutwardAndAgreeWithTheWinding) {
    std::vector<Tube> parts{Tube(limb())};
    BodyMesh mesh = buildBodyMesh(parts);
    for (int v = 0; v < mesh.vertexCount(); ++v) {
        const V3& n = mesh.normals[v];
        EXPECT_NEAR(length(n), 1.0, 1e-9);
        V3 radial = mesh.positions[v] - V3(1, mesh.positions[v].y, 0);
        if (mesh.positions[v].y > 0.5 && mesh.positions[v].y < 9.5) {
            EXPECT_GT(dot(n, radial), 0.0) << "vertex " << v;
        }
    }
    for (size_t i = 0; i < mesh.indices.size(); i += 3) {
        uint32_t a = mesh.indices[i], b = mesh.indices[i + 1], c = mesh.indices[i + 2];
        V3 face =
            cross(mesh.positions[b] - mesh.positions[a], mesh.positions[c] - mesh.positions[a]);
        EXPECT_GT(dot(face, mesh.normals[a] + mesh.normals[b] + mesh.normals[c]), 0.0);
    }
    // The poles close the ends: outward along the axis (the axis runs downwards).
    EXPECT_GT(mesh.normals[0].y, 0.99);
    EXPECT_LT(mesh.normals[mesh.vertexCount() - 1].y, -0.99);
}

TEST(BodyMeshBuild, TangentsAreUnitAndAcrossTheNormal) {
    std::vector<Tube> parts{Tube(limb())};
    BodyMesh mesh = buildBodyMesh(parts);
    for (int v = 0; v < mesh.vertexCount(); ++v) {
        V3 t(mesh.tangents[4 * v], mesh.tangents[4 * v + 1], mesh.tangents[4 * v + 2]);
        EXPECT_NEAR(length(t), 1.0, 1e-9);
        EXPECT_NEAR(dot(t, mesh.normals[v]), 0.0, 1e-9);
        EXPECT_EQ(std::fabs(mesh.tangents[4 * v + 3]), 1.0);
    }
}

TEST(BodyMeshBuild, TextureCoordinatesStayInThePartsCell) {
    std::vector<Tube> parts{Tube(limb())};
    BodyMesh mesh = buildBodyMesh(parts);
    UVRect in = uvInside(limb().uv);
    for (int v = 0; v < mesh.vertexCount(); ++v) {
        EXPECT_GE(mesh.texCoords[2 * v], in.u0 - 1e-12);
        EXPECT_LE(mesh.texCoords[2 * v], in.u1 + 1e-12);
        EXPECT_GE(mesh.texCoords[2 * v + 1], in.v0 - 1e-12);
        EXPECT_LE(mesh.texCoords[2 * v + 1], in.v1 + 1e-12);
    }
    // Rings run down the cell from the start pole at the top to the end pole at the bottom.
    EXPECT_NEAR(mesh.texCoords[1], in.v0, 1e-12);
    EXPECT_NEAR(mesh.texCoords[2 * mesh.vertexCount() - 1], in.v1, 1e-12);
}

TEST(BodyMeshBuild, SkinFollowsTheAxisAndSumsTo255) {
    std::vector<Tube> parts{Tube(limb())};
    BodyMesh mesh = buildBodyMesh(parts);
    for (int v = 0; v < mesh.vertexCount(); ++v) {
        int total = 0;
        double bone3 = 0.0;
        for (int j = 0; j < 4; ++j) {
            total += mesh.boneWeights[4 * v + j];
            if (mesh.boneIndices[4 * v + j] == 3)
                bone3 += mesh.boneWeights[4 * v + j];
        }
        EXPECT_EQ(total, 255);
        // The axis runs from y = 10 (bone 2) down to y = 0 (bone 3), joint at y = 5.
        double y = mesh.positions[v].y;
        if (y > 6.5) {
            EXPECT_EQ(bone3, 0.0);
        }
        if (y < 3.5) {
            EXPECT_EQ(bone3, 255.0);
        }
    }
}
