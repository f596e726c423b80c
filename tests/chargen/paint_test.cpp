#include "paint.h"

#include <set>

#include <gtest/gtest.h>

#include "characters.h"
#include "cimage.h"

using namespace chargen;

namespace {

const Picture& zaxPicture() {
    static const Character c = makeZax();
    static const Picture p = paintAtlas(c.parts, c.look, 256);
    return p;
}

std::set<unsigned> colours(const Picture& p, int x0, int y0, int x1, int y1) {
    std::set<unsigned> out;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const std::uint8_t* px = p.pixel(x, y);
            out.insert(px[0] << 16 | px[1] << 8 | px[2]);
        }
    return out;
}

} // namespace

TEST(PaintAtlas, IsDetailedNotFlat) {
    const Picture& p = zaxPicture();
    ASSERT_EQ(p.width, 256);
    ASSERT_EQ(p.rgb.size(), size_t(3 * 256 * 256));
    EXPECT_GT(colours(p, 0, 0, 256, 256).size(), 1000u);
    // Every cell has texture of its own, not one colour per part.
    EXPECT_GT(colours(p, 0, 0, 128, 128).size(), 200u);     // torso
    EXPECT_GT(colours(p, 192, 128, 224, 192).size(), 100u); // a foot
}

TEST(PaintAtlas, PaintsAFaceOnTheFrontOfTheHead) {
    // The head cell's front (θ = π/2) is a quarter across it; the eyes bring near-white
    // and near-black texels, which bare skin never has.
    const Picture& p = zaxPicture();
    int light = 0, dark = 0;
    for (int y = 0; y < 128; ++y)
        for (int x = 128 + 16; x < 128 + 48; ++x) {
            const std::uint8_t* px = p.pixel(x, y);
            light += px[0] > 215 && px[1] > 215 && px[2] > 200;
            dark += px[0] < 50 && px[1] < 50 && px[2] < 50;
        }
    EXPECT_GT(light, 20);
    EXPECT_GT(dark, 5);
    // The back of the head (three quarters across) has no eyes.
    int backLight = 0;
    for (int y = 0; y < 128; ++y)
        for (int x = 128 + 80; x < 128 + 112; ++x) {
            const std::uint8_t* px = p.pixel(x, y);
            backLight += px[0] > 215 && px[1] > 215 && px[2] > 200 && y < 80;
        }
    EXPECT_EQ(backLight, 0);
}

TEST(PaintAtlas, IsTheSameOnEveryRun) {
    const Character c = makeZax();
    EXPECT_EQ(paintAtlas(c.parts, c.look, 256).rgb, zaxPicture().rgb);
}

TEST(PaintAtlas, NoiseIsDeterministicAndBounded) {
    for (double x = -3; x < 3; x += 0.37) {
        double n = valueNoise(V3(x, 2 * x, -x), 0.5, 4);
        EXPECT_GE(n, 0.0);
        EXPECT_LE(n, 1.0);
        EXPECT_EQ(n, valueNoise(V3(x, 2 * x, -x), 0.5, 4));
    }
    EXPECT_NE(valueNoise(V3(0.3, 0.3, 0.3), 1.0, 1), valueNoise(V3(0.3, 0.3, 0.3), 1.0, 2));
}

TEST(PictureToImage, StoresLinesBottomUpInBlueGreenRedOrder) {
    Picture p;
    p.width = 3;
    p.height = 2;
    p.rgb = {10, 20, 30, 0, 0, 0, 0, 0, 0,  // top row
             40, 50, 60, 0, 0, 0, 7, 8, 9}; // bottom row
    CImage image;
    ASSERT_TRUE(toImage(p, 3, image));
    const std::uint8_t* bottom = image.getLinePtr(0);
    EXPECT_EQ(bottom[0], 60);
    EXPECT_EQ(bottom[2], 40);
    EXPECT_EQ(bottom[6], 9);
    EXPECT_EQ(bottom[8], 7);
    EXPECT_EQ(image.getLinePtr(1)[0], 30);
    CImage withAlpha;
    ASSERT_TRUE(toImage(p, 4, withAlpha));
    EXPECT_EQ(withAlpha.getLinePtr(1)[2], 10);
    EXPECT_EQ(withAlpha.getLinePtr(1)[3], 255);
    EXPECT_EQ(withAlpha.getLinePtr(0)[11], 255);
}
