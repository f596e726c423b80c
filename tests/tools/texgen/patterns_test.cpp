#include "patterns.h"

#include <algorithm>
#include <array>
#include <map>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "cimage.h"

using namespace texgen;

using Rgb8 = std::array<int, 3>;
const Rgb8 kWhite{255, 255, 255}, kBlack{0, 0, 0}, kMagenta{255, 0, 255};

struct Pattern : ::testing::Test {
    // Red, green and blue of texel i of the picture, counted row by row from the top-left.
    Rgb8 rgb(int i) const {
        const int w = image.getWidth();
        const std::uint8_t* p = image.getLinePtr(image.getHeight() - 1 - i / w) + i % w * 3;
        return {p[2], p[1], p[0]};
    }
    double luma(int i) const { return 0.3 * rgb(i)[0] + 0.59 * rgb(i)[1] + 0.11 * rgb(i)[2]; }
    CImage image;
    std::string error;
};

TEST_F(Pattern, FloorTilesWithDarkGroutHaveContrastToSeeMotion) {
    ASSERT_TRUE(paintFloorTiles(&image, 256, 8, &error)) << error; // tiles of 32 × 32 texels
    double mean = 0.0, grout = 0.0, tile = 255.0;                  // brightest grout, darkest tile
    for (int i = 0; i < 256 * 256; ++i) {
        mean += luma(i) / (256 * 256);
        // Grout: each cell's first column and last row; tiles: each cell's centre.
        grout = std::max(grout, i % 32 == 0 || i / 256 % 32 == 31 ? luma(i) : 0.0);
        tile = std::min(tile, i % 32 == 16 && i / 256 % 32 == 16 ? luma(i) : 255.0);
    }
    EXPECT_GT(mean, 80.0);
    EXPECT_LT(mean, 200.0);
    EXPECT_GT(tile, grout + 20.0);
}

TEST_F(Pattern, WhiteGridHasTwoTexelWhiteLinesOnMidGrey) {
    ASSERT_TRUE(paintWhiteGrid(&image, 128, 16, &error)) << error;
    for (int i = 0; i < 128 * 128; ++i) { // lines at x and y = 0, 1, 16, 17, 32, 33 and so on
        const bool line = i % 16 < 2 || i / 128 % 16 < 2, white = rgb(i) == kWhite;
        const bool grey = luma(i) > 70 && luma(i) < 180;
        ASSERT_EQ(line ? white : grey, true)
            << "texel " << i << (line ? " not white" : " not grey");
    }
}

TEST_F(Pattern, DefaultIsUnmistakablyMagentaAndBlackWithAWhiteCrossCornerToCorner) {
    ASSERT_TRUE(paintDefaultPattern(&image, 128, 8, &error)) << error;
    std::map<Rgb8, int> texels; // by colour
    for (int i = 0; i < 128 * 128; ++i)
        ++texels[rgb(i)];
    EXPECT_EQ(texels.size(), 3u); // magenta, black and the white below, nothing else
    EXPECT_GT(std::min(texels[kMagenta], texels[kBlack]), 128 * 128 * 3 / 10);
    for (int i : {0, 127, 127 * 128, 128 * 128 - 1, 64 * 128 + 64}) // the corners and the centre
        EXPECT_EQ(rgb(i), kWhite) << "texel " << i;
}

TEST_F(Pattern, SizesThatDoNotHoldThePatternAreRefusedWithAReason) {
    const std::tuple<bool (*)(CImage*, int, int, std::string*), int, int> cases[] = {
        {paintFloorTiles, 100, 8},    {paintFloorTiles, 64, 16}, {paintFloorTiles, 64, 0},
        {paintWhiteGrid, 100, 16},    {paintWhiteGrid, 128, 2},  {paintDefaultPattern, 8, 2},
        {paintDefaultPattern, 100, 8}};
    for (const auto& [paint, size, count] : cases) {
        error.clear();
        EXPECT_FALSE(paint(&image, size, count, &error)) << size << " / " << count;
        EXPECT_NE(error, "") << size << " / " << count;
    }
}
