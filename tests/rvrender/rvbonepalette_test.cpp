#include "rvbonepalette.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <set>
#include <vector>

namespace {

// A long strip like a tail: rung r (two vertices) is weighed by bones r, r + 1 and a random
// third bone near them (or by nothing at all every seventh rung, weight 0 for every influence).
struct Strip {
    int vertexCount = 0;
    std::vector<std::uint32_t> indices;
    std::vector<std::uint8_t> bones;
    std::vector<float> weights;
};

Strip strip(int rungs, int boneCount) {
    Strip s;
    std::mt19937 random(7);
    for (int r = 0; r < rungs; ++r) {
        const int b = r * (boneCount - 3) / rungs;
        for (int side = 0; side < 2; ++side) {
            const bool still = r % 7 == 3;
            const int near = b + static_cast<int>(random() % 3);
            s.bones.insert(s.bones.end(), {std::uint8_t(b), std::uint8_t(b + 1), std::uint8_t(near),
                                           std::uint8_t(random() % 256)});
            s.weights.insert(s.weights.end(),
                             {still ? 0.0f : 0.5f, still ? 0.0f : 0.3f, still ? 0.0f : 0.2f, 0.0f});
        }
        if (r > 0) {
            const std::uint32_t a = 2 * (r - 1), c = 2 * r;
            s.indices.insert(s.indices.end(), {a, a + 1, c, c, a + 1, c + 1});
        }
    }
    s.vertexCount = 2 * rungs;
    return s;
}

std::vector<rvBonePart> split(const Strip& s, int palette) {
    return rvSplitByBones(s.indices.data(), s.indices.size(), s.vertexCount, s.bones.data(),
                          s.weights.data(), palette);
}

TEST(BonePalette, PartsHoldEveryTriangleOnceWithTheBonesThatMoveIt) {
    for (const auto& [bones, palette, mostParts] :
         {std::array<int, 3>{255, 56, 5}, {70, 56, 2}, {40, 56, 1}, {255, 12, 30}}) {
        SCOPED_TRACE("bones " + std::to_string(bones) + ", palette " + std::to_string(palette));
        const Strip s = strip(600, bones);
        const std::vector<rvBonePart> parts = split(s, palette);
        ASSERT_FALSE(parts.empty());
        EXPECT_LE(parts.size(), static_cast<std::size_t>(mostParts));

        std::multiset<std::array<std::uint32_t, 3>> drawn;
        for (const rvBonePart& part : parts) {
            EXPECT_LE(part.bones.size(), static_cast<std::size_t>(palette));
            EXPECT_EQ(std::set<int>(part.bones.begin(), part.bones.end()).size(),
                      part.bones.size());
            ASSERT_EQ(part.boneIndices.size(), 4 * part.vertices.size());
            for (std::size_t i = 0; i < part.indices.size(); i += 3) {
                std::array<std::uint32_t, 3> triangle;
                for (int c = 0; c < 3; ++c) {
                    ASSERT_LT(part.indices[i + c], part.vertices.size());
                    triangle[c] = part.vertices[part.indices[i + c]];
                }
                drawn.insert(triangle);
            }
            for (std::size_t pv = 0; pv < part.vertices.size(); ++pv) {
                const std::uint32_t v = part.vertices[pv];
                for (int k = 0; k < 4; ++k) {
                    const std::uint8_t slot = part.boneIndices[4 * pv + k];
                    ASSERT_LT(slot, part.bones.size() + (s.weights[4 * v + k] == 0 ? 1 : 0));
                    if (s.weights[4 * v + k] != 0)
                        EXPECT_EQ(part.bones[slot], s.bones[4 * v + k]);
                    else
                        EXPECT_EQ(slot, 0);
                }
            }
        }
        std::multiset<std::array<std::uint32_t, 3>> given;
        for (std::size_t i = 0; i < s.indices.size(); i += 3)
            given.insert({s.indices[i], s.indices[i + 1], s.indices[i + 2]});
        EXPECT_EQ(drawn, given);
    }
}

TEST(BonePalette, WhatNoPaletteCanDrawGivesNoParts) {
    // Three vertices of four bones each: twelve bones for one triangle.
    Strip s;
    s.vertexCount = 3;
    s.indices = {0, 1, 2};
    for (std::uint8_t b = 0; b < 12; ++b) {
        s.bones.push_back(b);
        s.weights.push_back(0.25f);
    }
    EXPECT_EQ(split(s, 12).size(), 1u);
    EXPECT_TRUE(split(s, 11).empty());
    s.indices[2] = 3; // past the vertices
    EXPECT_TRUE(split(s, 12).empty());
}

} // namespace
