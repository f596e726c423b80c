#include "paint.h"

#include <algorithm>
#include <array>
#include <set>

#include <gtest/gtest.h>

#include "characters.h"
#include "cimage.h"

using namespace chargen;

// Distinct colours, near-white and near-black texels in [x0, x1) × [y0, y1) of zax's atlas
// painted 256 texels wide.
static std::array<int, 3> census(int x0, int y0, int x1, int y1) {
    static const Picture p = paintAtlas(makeZax().parts, makeZax().look, 256);
    std::set<int> seen;
    int light = 0, dark = 0;
    for (int i = 0; i < (x1 - x0) * (y1 - y0); ++i) {
        const std::uint8_t* px = p.pixel(x0 + i % (x1 - x0), y0 + i / (x1 - x0));
        seen.insert(px[0] << 16 | px[1] << 8 | px[2]);
        light += px[0] > 215 && px[1] > 215 && px[2] > 200;
        dark += std::max({px[0], px[1], px[2]}) < 50;
    }
    return {int(seen.size()), light, dark};
}

TEST(PaintAtlas, IsDetailedInEveryCellWithAFaceOnTheFrontOfTheHead) {
    // Distinct colours over the atlas, in the torso's cell and in a foot's.
    EXPECT_GT(census(0, 0, 256, 256)[0], 1000);
    EXPECT_GT(census(0, 0, 128, 128)[0], 200);
    EXPECT_GT(census(192, 128, 224, 192)[0], 100);
    // The front of the head (θ = π/2) is a quarter across its cell: the eyes bring near-white and
    // near-black texels that bare skin never has. Its back, three quarters across, has no eyes.
    const std::array<int, 3> front = census(144, 0, 176, 128), back = census(208, 0, 240, 80);
    EXPECT_GT(front[1], 20);
    EXPECT_GT(front[2], 5);
    EXPECT_EQ(back[1], 0);
}

TEST(PictureToImage, StoresLinesBottomUpInBlueGreenRedOrderWithOpaqueAlpha) {
    const Picture p{2, 2, {10, 20, 30, 0, 0, 0, 40, 50, 60, 7, 8, 9}}; // rows from the top
    CImage rgb, rgba;
    ASSERT_TRUE(toImage(p, 3, rgb));
    ASSERT_TRUE(toImage(p, 4, rgba));
    EXPECT_EQ(std::vector<int>(rgb.getLinePtr(0), rgb.getLinePtr(0) + 6),
              std::vector<int>({60, 50, 40, 9, 8, 7}));
    EXPECT_EQ(std::vector<int>(rgba.getLinePtr(1), rgba.getLinePtr(1) + 8),
              std::vector<int>({30, 20, 10, 255, 0, 0, 0, 255}));
}
