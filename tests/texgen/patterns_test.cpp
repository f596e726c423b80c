#include "patterns.h"

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "cimage.h"

using namespace texgen;

namespace {

struct Rgb8 {
    int r, g, b;
};

// Picture coordinates: y = 0 is the top row.
Rgb8 pixel(const CImage& image, int x, int y) {
    const std::uint8_t* p = image.getLinePtr(image.getHeight() - 1 - y) + x * 3;
    return {p[2], p[1], p[0]};
}

double luma(const Rgb8& c) {
    return 0.3 * c.r + 0.59 * c.g + 0.11 * c.b;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Floor tiles

class FloorTiles : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(paintFloorTiles(&image, kSize, kTiles, &error)) << error; }
    static constexpr int kSize = 256;
    static constexpr int kTiles = 8;
    static constexpr int kCell = kSize / kTiles;
    CImage image;
    std::string error;
};

TEST_F(FloorTiles, IsA24BitSquareOfTheGivenSize) {
    EXPECT_EQ(image.getWidth(), kSize);
    EXPECT_EQ(image.getHeight(), kSize);
    EXPECT_EQ(image.getChannels(), 3);
}

TEST_F(FloorTiles, HasEnoughContrastToSeeMotion) {
    double sum = 0.0, sum2 = 0.0;
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const double l = luma(pixel(image, x, y));
            sum += l;
            sum2 += l * l;
        }
    }
    const double n = double(kSize) * kSize;
    const double mean = sum / n;
    const double deviation = std::sqrt(sum2 / n - mean * mean);
    EXPECT_GT(mean, 80.0);
    EXPECT_LT(mean, 200.0);
    EXPECT_GT(deviation, 15.0);
}

TEST_F(FloorTiles, GroutLinesAreDarkerThanEveryTile) {
    double groutMax = 0.0;
    for (int i = 0; i < kSize; ++i) {
        // The first and last texel of every cell, across and down.
        for (int k = 0; k < kTiles; ++k) {
            groutMax = std::fmax(groutMax, luma(pixel(image, k * kCell, i)));
            groutMax = std::fmax(groutMax, luma(pixel(image, i, k * kCell + kCell - 1)));
        }
    }
    for (int ty = 0; ty < kTiles; ++ty) {
        for (int tx = 0; tx < kTiles; ++tx) {
            const Rgb8 centre = pixel(image, tx * kCell + kCell / 2, ty * kCell + kCell / 2);
            EXPECT_GT(luma(centre), groutMax + 20.0) << "tile " << tx << ", " << ty;
        }
    }
}

TEST_F(FloorTiles, TilesDifferInShade) {
    std::vector<double> means;
    for (int t = 0; t < kTiles * kTiles; ++t) {
        const int x0 = (t % kTiles) * kCell, y0 = (t / kTiles) * kCell;
        double sum = 0.0;
        for (int y = 3; y < kCell - 3; ++y) {
            for (int x = 3; x < kCell - 3; ++x) {
                sum += luma(pixel(image, x0 + x, y0 + y));
            }
        }
        means.push_back(sum / ((kCell - 6) * (kCell - 6)));
    }
    double lo = 255.0, hi = 0.0;
    for (double m : means) {
        lo = std::fmin(lo, m);
        hi = std::fmax(hi, m);
    }
    EXPECT_GT(hi - lo, 20.0);
}

TEST_F(FloorTiles, IsGreyWithoutAStrongTint) {
    for (int y = 0; y < kSize; y += 7) {
        for (int x = 0; x < kSize; x += 5) {
            const Rgb8 c = pixel(image, x, y);
            ASSERT_LE(std::abs(c.r - c.b), 6) << x << ", " << y;
            ASSERT_LE(std::abs(c.r - c.g), 6) << x << ", " << y;
        }
    }
}

TEST(FloorTilesArguments, SizesThatDoNotHoldTheTilesAreRefused) {
    CImage image;
    std::string error;
    EXPECT_FALSE(paintFloorTiles(&image, 100, 8, &error)); // not a multiple
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(paintFloorTiles(&image, 64, 16, &error)); // 4-texel tiles
    EXPECT_FALSE(paintFloorTiles(&image, 64, 0, &error));
    EXPECT_TRUE(paintFloorTiles(&image, 64, 8, &error));
}

// ---------------------------------------------------------------------------------------------
// White grid

TEST(WhiteGrid, WhiteLinesOnMidGrey) {
    CImage image;
    std::string error;
    ASSERT_TRUE(paintWhiteGrid(&image, 128, 16, &error)) << error;
    ASSERT_EQ(image.getWidth(), 128);
    ASSERT_EQ(image.getChannels(), 3);
    int white = 0;
    for (int y = 0; y < 128; ++y) {
        for (int x = 0; x < 128; ++x) {
            const Rgb8 c = pixel(image, x, y);
            const bool onLine = x % 16 < 2 || y % 16 < 2;
            if (onLine) {
                ASSERT_EQ(c.r + c.g + c.b, 3 * 255) << x << ", " << y;
                ++white;
            } else {
                ASSERT_GT(luma(c), 70.0);
                ASSERT_LT(luma(c), 180.0);
            }
        }
    }
    // 8 × 8 cells of 16 with two-texel lines: 1 − (14/16)² of the picture.
    EXPECT_EQ(white, 128 * 128 - 64 * 14 * 14);
}

TEST(WhiteGrid, SpacingMustDivideTheSize) {
    CImage image;
    std::string error;
    EXPECT_FALSE(paintWhiteGrid(&image, 100, 16, &error));
    EXPECT_FALSE(paintWhiteGrid(&image, 128, 2, &error));
    EXPECT_FALSE(error.empty());
}

// ---------------------------------------------------------------------------------------------
// Default texture

TEST(DefaultPattern, IsUnmistakablyMagentaAndBlackWithAWhiteCross) {
    CImage image;
    std::string error;
    ASSERT_TRUE(paintDefaultPattern(&image, 128, 8, &error)) << error;
    int magenta = 0, black = 0, white = 0;
    for (int y = 0; y < 128; ++y) {
        for (int x = 0; x < 128; ++x) {
            const Rgb8 c = pixel(image, x, y);
            magenta += c.r == 255 && c.g == 0 && c.b == 255 ? 1 : 0;
            black += c.r == 0 && c.g == 0 && c.b == 0 ? 1 : 0;
            white += c.r == 255 && c.g == 255 && c.b == 255 ? 1 : 0;
        }
    }
    EXPECT_EQ(magenta + black + white, 128 * 128); // nothing else
    EXPECT_GT(magenta, 128 * 128 * 3 / 10);
    EXPECT_GT(black, 128 * 128 * 3 / 10);
    EXPECT_GT(white, 128 * 4);
    // The cross runs corner to corner through the centre.
    for (const auto& p : {std::pair<int, int>{0, 0}, {127, 127}, {0, 127}, {127, 0}, {64, 64}}) {
        const Rgb8 c = pixel(image, p.first, p.second);
        EXPECT_EQ(c.r + c.g + c.b, 3 * 255) << p.first << ", " << p.second;
    }
    // The checkerboard alternates square by square.
    const Rgb8 a = pixel(image, 24, 8), b = pixel(image, 40, 8);
    EXPECT_NE(a.g == 0 && a.r == 255, b.g == 0 && b.r == 255);
}

TEST(DefaultPattern, TooSmallOrUnevenSizesAreRefused) {
    CImage image;
    std::string error;
    EXPECT_FALSE(paintDefaultPattern(&image, 8, 2, &error));
    EXPECT_FALSE(paintDefaultPattern(&image, 100, 8, &error));
    EXPECT_FALSE(error.empty());
}
