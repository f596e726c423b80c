// Tests of CImage: line layout, fills, the copy family with its clipping and blending rules,
// nearest and bilinear rescaling, the BMP/TGA loaders against hand-built and malformed files,
// and round trips through the writers.
#include "cimage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void le16(Bytes& b, unsigned v) {
    b.push_back(std::uint8_t(v));
    b.push_back(std::uint8_t(v >> 8));
}

void le32(Bytes& b, std::uint32_t v) {
    le16(b, v & 0xffff);
    le16(b, v >> 16);
}

void set32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = std::uint8_t(v >> (8 * i));
}

// Pixel in picture coordinates (y downwards).
std::uint8_t* px(CImage& img, int x, int y) {
    return img.getLinePtr(img.getHeight() - 1 - y) + x * img.getChannels();
}

// A distinct colour for every picture position; alpha (if any) 40 + x.
void paintPattern(CImage& img) {
    for (int y = 0; y < img.getHeight(); ++y)
        for (int x = 0; x < img.getWidth(); ++x) {
            std::uint8_t* p = px(img, x, y);
            p[0] = std::uint8_t(x * 16 + y);
            p[1] = std::uint8_t(100 + x);
            p[2] = std::uint8_t(200 + y);
            if (img.getChannels() == 4)
                p[3] = std::uint8_t(40 + x);
        }
}

bool samePixel(const std::uint8_t* a, const std::uint8_t* b, int n) {
    return std::memcmp(a, b, std::size_t(n)) == 0;
}

bool isZero(const std::uint8_t* p, int n) {
    for (int i = 0; i < n; ++i)
        if (p[i] != 0)
            return false;
    return true;
}

// Hand-built BMP: file header, `infoSize`-byte info header, optional masks, then rows of
// pixel bytes (value 3 * row + column byte index) padded with 0xEE.
struct BmpSpec {
    int width = 3;
    int height = 2;
    int bits = 24;
    std::uint32_t compression = 0;
    std::uint32_t infoSize = 40;
    std::vector<std::uint32_t> masks;
};

Bytes makeBmp(const BmpSpec& s) {
    int absHeight = s.height < 0 ? -s.height : s.height;
    int rowBytes = s.width * s.bits / 8, padded = (rowBytes + 3) / 4 * 4;
    std::uint32_t offset = 14 + s.infoSize + 4 * std::uint32_t(s.masks.size());
    Bytes b;
    b.push_back('B');
    b.push_back('M');
    le32(b, offset + std::uint32_t(padded * absHeight));
    le32(b, 0);
    le32(b, offset);
    le32(b, s.infoSize);
    le32(b, std::uint32_t(s.width));
    le32(b, std::uint32_t(s.height));
    le16(b, 1);
    le16(b, unsigned(s.bits));
    le32(b, s.compression);
    b.resize(14 + s.infoSize, 0);
    for (std::uint32_t m : s.masks)
        le32(b, m);
    for (int row = 0; row < absHeight; ++row)
        for (int i = 0; i < padded; ++i)
            b.push_back(i < rowBytes ? std::uint8_t(3 * row + i) : 0xEE);
    return b;
}

// Hand-built TGA: 18-byte header, image ID, colour map, then unpadded rows (value 7 * row + i).
struct TgaSpec {
    int width = 3;
    int height = 2;
    int depth = 24;
    int type = 2;
    int idLength = 0;
    int descriptor = 0;
    int mapLength = 0; // 24-bit colour-map entries
};

Bytes makeTga(const TgaSpec& s) {
    Bytes b;
    b.push_back(std::uint8_t(s.idLength));
    b.push_back(s.mapLength ? 1 : 0);
    b.push_back(std::uint8_t(s.type));
    le16(b, 0);
    le16(b, unsigned(s.mapLength));
    b.push_back(s.mapLength ? 24 : 0);
    le16(b, 0);
    le16(b, 0);
    le16(b, unsigned(s.width));
    le16(b, unsigned(s.height));
    b.push_back(std::uint8_t(s.depth));
    b.push_back(std::uint8_t(s.descriptor));
    b.insert(b.end(), std::size_t(s.idLength) + 3 * std::size_t(s.mapLength), 0xAB);
    int rowBytes = s.width * s.depth / 8;
    for (int row = 0; row < s.height; ++row)
        for (int i = 0; i < rowBytes; ++i)
            b.push_back(std::uint8_t(7 * row + i));
    return b;
}

} // namespace

// ---------------------------------------------------------------- layout and creation

TEST(CImageLayout, LinesArePaddedToFourBytes) {
    CImage img;
    ASSERT_TRUE(img.create(3, 2, 3));
    EXPECT_EQ(img.getLineBytes(), 12); // 9 rounded up
    ASSERT_TRUE(img.create(1, 5, 3));
    EXPECT_EQ(img.getLineBytes(), 4);
    ASSERT_TRUE(img.create(5, 1, 3));
    EXPECT_EQ(img.getLineBytes(), 16);
    ASSERT_TRUE(img.create(3, 1, 4));
    EXPECT_EQ(img.getLineBytes(), 12);
}

TEST(CImageLayout, PixelBlockIsContiguousAndZeroed) {
    CImage img;
    ASSERT_TRUE(img.create(3, 4, 3));
    EXPECT_EQ(img.getLinePtr(3) - img.getLinePtr(0), 3 * 12);
    EXPECT_TRUE(isZero(img.getLinePtr(0), 4 * 12));
}

TEST(CImageLayout, CreateRefusesBadChannelCountsKeepingSizes) {
    CImage img;
    EXPECT_FALSE(img.create(4, 2, 2));
    EXPECT_TRUE(img.empty());
    EXPECT_EQ(img.getWidth(), 4);
    EXPECT_EQ(img.getHeight(), 2);
    EXPECT_FALSE(img.create(4, 2, 1));
    EXPECT_FALSE(img.create(4, 2, 5));
}

TEST(CImageLayout, CreateRefusesNonPositiveAndAbsurdSizes) {
    CImage img;
    for (auto wh : {std::pair<int, int>{0, 4},
                    {4, 0},
                    {-1, 4},
                    {4, -3},
                    {CImage::kMaxDimension + 1, 1},
                    {1, CImage::kMaxDimension + 1},
                    {0x7fffffff, 0x7fffffff}}) {
        EXPECT_FALSE(img.create(wh.first, wh.second, 4)) << wh.first << " x " << wh.second;
        EXPECT_TRUE(img.empty());
    }
}

TEST(CImageLayout, ReleaseAndRecreateReplaceTheImage) {
    CImage img;
    ASSERT_TRUE(img.create(2, 2, 4));
    px(img, 0, 0)[0] = 9;
    ASSERT_TRUE(img.create(2, 2, 4));
    EXPECT_EQ(px(img, 0, 0)[0], 0);
    img.release();
    EXPECT_TRUE(img.empty());
    EXPECT_EQ(img.getWidth(), 0);
    EXPECT_EQ(img.getLineBytes(), 0);
}

// ---------------------------------------------------------------- clear and fills

TEST(CImageFill, ClearUsesBackBufferByteOrderAndKeepsAlpha) {
    CImage img;
    ASSERT_TRUE(img.create(3, 3, 4));
    std::memset(img.getLinePtr(0), 77, std::size_t(img.getLineBytes()) * 3);
    img.clear(10, 20, 30);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) {
            const std::uint8_t* p = px(img, x, y);
            EXPECT_EQ(p[2], 10);
            EXPECT_EQ(p[1], 30);
            EXPECT_EQ(p[0], 20);
            EXPECT_EQ(p[3], 77);
        }
}

TEST(CImageFill, FillColoursEveryPixelIncludingTheBottomRow) {
    CImage img;
    ASSERT_TRUE(img.create(3, 4, 3));
    img.fill(1, 2, 3);
    for (int line = 0; line < 4; ++line)
        for (int x = 0; x < 3; ++x) {
            const std::uint8_t* p = img.getLinePtr(line) + 3 * x;
            EXPECT_EQ(p[2], 1) << "line " << line;
            EXPECT_EQ(p[1], 2);
            EXPECT_EQ(p[0], 3);
        }
    EXPECT_TRUE(isZero(img.getLinePtr(0) + 9, 3)); // padding stays untouched
}

TEST(CImageFill, FillRectClipsRightAndBottomAndWritesBack) {
    CImage img;
    ASSERT_TRUE(img.create(4, 3, 4));
    rvRect r = {2, 1, 10, 7};
    img.fillRect(&r, 5, 6, 7);
    EXPECT_EQ(r.left, 2);
    EXPECT_EQ(r.top, 1);
    EXPECT_EQ(r.right, 4);
    EXPECT_EQ(r.bottom, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) {
            const std::uint8_t* p = px(img, x, y);
            bool inside = x >= 2 && y >= 1;
            EXPECT_EQ(p[2], inside ? 5 : 0) << x << "," << y;
            EXPECT_EQ(p[1], inside ? 6 : 0);
            EXPECT_EQ(p[0], inside ? 7 : 0);
            EXPECT_EQ(p[3], 0);
        }
}

TEST(CImageFill, FillRectStartingOutsideDoesNothing) {
    CImage img;
    ASSERT_TRUE(img.create(2, 2, 3));
    rvRect r = {2, 0, 5, 5};
    img.fillRect(&r, 9, 9, 9);
    EXPECT_EQ(r.right, 5);
    r = {0, 2, 5, 5};
    img.fillRect(&r, 9, 9, 9);
    EXPECT_EQ(r.bottom, 5);
    EXPECT_TRUE(isZero(img.getLinePtr(0), 2 * img.getLineBytes()));
}

// ---------------------------------------------------------------- blit and its clipping

TEST(CImageBlit, CopiesTheRectangleToThePosition) {
    CImage src, dst;
    ASSERT_TRUE(src.create(4, 3, 4));
    ASSERT_TRUE(dst.create(6, 5, 4));
    paintPattern(src);
    rvRect r = {1, 0, 3, 2};
    dst.blit(src, 2, 1, &r);
    EXPECT_EQ(r.left, 1);
    EXPECT_EQ(r.right, 3);
    EXPECT_EQ(r.bottom, 2);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) {
            bool inside = x >= 2 && x < 4 && y >= 1 && y < 3;
            if (inside)
                EXPECT_TRUE(samePixel(px(dst, x, y), px(src, x - 1, y - 1), 4)) << x << "," << y;
            else
                EXPECT_TRUE(isZero(px(dst, x, y), 4)) << x << "," << y;
        }
}

TEST(CImageBlit, NegativePositionShowsOnlyTheVisiblePart) {
    CImage src, dst;
    ASSERT_TRUE(src.create(4, 4, 3));
    ASSERT_TRUE(dst.create(4, 4, 3));
    paintPattern(src);
    rvRect r = {0, 0, 4, 4};
    dst.blit(src, -1, -2, &r);
    EXPECT_EQ(r.left, 1);
    EXPECT_EQ(r.top, 2);
    EXPECT_EQ(r.right, 4);
    EXPECT_EQ(r.bottom, 4);
    // The first visible source row (2) lands on destination row 0.
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            if (x < 3 && y < 2)
                EXPECT_TRUE(samePixel(px(dst, x, y), px(src, x + 1, y + 2), 3)) << x << "," << y;
            else
                EXPECT_TRUE(isZero(px(dst, x, y), 3)) << x << "," << y;
        }
}

TEST(CImageBlit, RectangleReachingPastRightAndBottomIsCutOff) {
    CImage src, dst;
    ASSERT_TRUE(src.create(4, 4, 3));
    ASSERT_TRUE(dst.create(4, 4, 3));
    paintPattern(src);
    rvRect r = {0, 0, 4, 4};
    dst.blit(src, 2, 3, &r);
    EXPECT_EQ(r.right, 2);
    EXPECT_EQ(r.bottom, 1);
    EXPECT_TRUE(samePixel(px(dst, 2, 3), px(src, 0, 0), 3));
    EXPECT_TRUE(samePixel(px(dst, 3, 3), px(src, 1, 0), 3));
    EXPECT_TRUE(isZero(px(dst, 1, 3), 3));
    EXPECT_TRUE(isZero(px(dst, 2, 2), 3));
}

TEST(CImageBlit, CopiesLandingOutsideDoNothing) {
    CImage src, dst;
    ASSERT_TRUE(src.create(2, 2, 3));
    ASSERT_TRUE(dst.create(3, 3, 3));
    paintPattern(src);
    const rvRect whole = {0, 0, 2, 2};
    for (auto xy : {std::pair<int, int>{3, 0}, {0, 3}, {-2, 0}, {0, -2}, {-100, -100}}) {
        rvRect r = whole;
        dst.blit(src, xy.first, xy.second, &r);
        EXPECT_EQ(r.right, 2);
        EXPECT_EQ(r.bottom, 2);
    }
    EXPECT_TRUE(isZero(dst.getLinePtr(0), 3 * dst.getLineBytes()));
}

TEST(CImageBlit, SourceRectangleIsCutToTheSource) {
    CImage src, dst;
    ASSERT_TRUE(src.create(2, 2, 3));
    ASSERT_TRUE(dst.create(4, 4, 3));
    paintPattern(src);
    rvRect r = {-1, -1, 10, 10};
    dst.blit(src, 0, 0, &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, 2);
    EXPECT_EQ(r.bottom, 2);
    EXPECT_TRUE(isZero(px(dst, 0, 0), 3));
    EXPECT_TRUE(samePixel(px(dst, 1, 1), px(src, 0, 0), 3));
    EXPECT_TRUE(samePixel(px(dst, 2, 2), px(src, 1, 1), 3));
    EXPECT_TRUE(isZero(px(dst, 3, 3), 3));
}

// ---------------------------------------------------------------- blending and colour keys

namespace {
// One destination pixel (B, G, R, A) and one source pixel blended with blitAlpha.
void blendOne(const std::uint8_t (&d)[4], const std::uint8_t (&s)[4], std::uint8_t (&out)[4]) {
    CImage src, dst;
    ASSERT_TRUE(src.create(1, 1, 4));
    ASSERT_TRUE(dst.create(1, 1, 4));
    std::memcpy(src.getLinePtr(0), s, 4);
    std::memcpy(dst.getLinePtr(0), d, 4);
    rvRect r = {0, 0, 1, 1};
    dst.blitAlpha(src, 0, 0, &r);
    std::memcpy(out, dst.getLinePtr(0), 4);
}
} // namespace

TEST(CImageBlend, BlitAlphaFollowsTheRoundedShiftRule) {
    std::uint8_t out[4];
    // (100 * 128 + 255) >> 8 = 50; (-10 * 128 + 255) >> 8 = -5 (floor); (-255 * 128 + 255) >> 8 =
    // -127.
    blendOne({100, 20, 255, 9}, {200, 10, 0, 128}, out);
    EXPECT_EQ(out[0], 150);
    EXPECT_EQ(out[1], 15);
    EXPECT_EQ(out[2], 128);
    EXPECT_EQ(out[3], 9); // destination alpha untouched
    // Full alpha: 0 -> 255 reaches 255, 255 -> 0 stops at 1.
    blendOne({0, 255, 77, 0}, {255, 0, 77, 255}, out);
    EXPECT_EQ(out[0], 255);
    EXPECT_EQ(out[1], 1);
    EXPECT_EQ(out[2], 77);
    // Zero alpha leaves the destination.
    blendOne({12, 34, 56, 0}, {200, 200, 200, 0}, out);
    EXPECT_EQ(out[0], 12);
    EXPECT_EQ(out[1], 34);
    EXPECT_EQ(out[2], 56);
}

TEST(CImageBlend, BlitBlendUsesOneAlphaForAllPixelsFromAThreeChannelSource) {
    CImage src, dst;
    ASSERT_TRUE(src.create(2, 1, 3));
    ASSERT_TRUE(dst.create(2, 1, 4));
    std::uint8_t s[6] = {200, 0, 50, 100, 100, 100};
    std::memcpy(src.getLinePtr(0), s, 6);
    std::uint8_t d[8] = {100, 255, 50, 1, 0, 0, 0, 2};
    std::memcpy(dst.getLinePtr(0), d, 8);
    rvRect r = {0, 0, 2, 1};
    dst.blitBlend(src, 0, 0, &r, 64);
    // (100*64+255)>>8 = 25; (-255*64+255)>>8 = -63; 0; (100*64+255)>>8 = 25.
    const std::uint8_t expected[8] = {125, 192, 50, 1, 25, 25, 25, 2};
    EXPECT_TRUE(samePixel(dst.getLinePtr(0), expected, 8));
}

TEST(CImageBlend, ColorKeySkipsOnlyExactKeyPixels) {
    CImage src, dst;
    ASSERT_TRUE(src.create(3, 1, 4));
    ASSERT_TRUE(dst.create(3, 1, 4));
    // Key is red 255, green 0, blue 255 (bytes B, G, R = 255, 0, 255).
    std::uint8_t s[12] = {255, 0, 255, 1, 254, 0, 255, 2, 10, 20, 30, 3};
    std::memcpy(src.getLinePtr(0), s, 12);
    std::memset(dst.getLinePtr(0), 99, 12);
    rvRect r = {0, 0, 3, 1};
    dst.blitColorKey(src, 0, 0, &r, 255, 0, 255);
    const std::uint8_t expected[12] = {99, 99, 99, 99, 254, 0, 255, 99, 10, 20, 30, 99};
    EXPECT_TRUE(samePixel(dst.getLinePtr(0), expected, 12));
}

TEST(CImageBlend, BlendColorKeyBlendsTheRest) {
    CImage src, dst;
    ASSERT_TRUE(src.create(2, 1, 4));
    ASSERT_TRUE(dst.create(2, 1, 4));
    std::uint8_t s[8] = {0, 255, 0, 0, 200, 200, 200, 0};
    std::memcpy(src.getLinePtr(0), s, 8);
    std::memset(dst.getLinePtr(0), 100, 8);
    rvRect r = {0, 0, 2, 1};
    dst.blitBlendColorKey(src, 0, 0, &r, 128, 0, 255, 0);
    const std::uint8_t expected[8] = {100, 100, 100, 100, 150, 150, 150, 100};
    EXPECT_TRUE(samePixel(dst.getLinePtr(0), expected, 8));
}

// ---------------------------------------------------------------- scaling

namespace {
// Source with one value per line/column for byte 0; bytes 1 and 2 derived.
void paintLines(CImage& img, const std::function<int(int, int)>& value) {
    for (int line = 0; line < img.getHeight(); ++line)
        for (int x = 0; x < img.getWidth(); ++x) {
            std::uint8_t* p = img.getLinePtr(line) + x * img.getChannels();
            p[0] = std::uint8_t(value(line, x));
            p[1] = std::uint8_t(value(line, x) / 2);
            p[2] = std::uint8_t(255 - value(line, x));
        }
}

// Bilinear with pixel centres at half integers and clamped edges, in double precision.
double bilinearReference(const CImage& s, int dw, int dh, int line, int x, int byte) {
    auto centre = [](int i, int from, int to) {
        double u = (i + 0.5) * from / to - 0.5;
        return std::min(std::max(u, 0.0), double(from - 1));
    };
    double u = centre(x, s.getWidth(), dw), v = centre(line, s.getHeight(), dh);
    int x0 = int(std::floor(u)), y0 = int(std::floor(v));
    int x1 = std::min(x0 + 1, s.getWidth() - 1), y1 = std::min(y0 + 1, s.getHeight() - 1);
    double wx = u - x0, wy = v - y0;
    auto c = [&](int yy, int xx) { return double(s.getLinePtr(yy)[xx * s.getChannels() + byte]); };
    return c(y0, x0) * (1 - wx) * (1 - wy) + c(y0, x1) * wx * (1 - wy) + c(y1, x0) * (1 - wx) * wy +
           c(y1, x1) * wx * wy;
}
} // namespace

TEST(CImageScale, NearestPicksTheSourcePixelBelowEachPosition) {
    CImage src, up, down, odd;
    ASSERT_TRUE(src.create(4, 4, 3));
    paintLines(src, [](int line, int x) { return line * 10 + x; });
    ASSERT_TRUE(up.create(8, 8, 4));
    ASSERT_TRUE(down.create(2, 2, 3));
    ASSERT_TRUE(odd.create(3, 3, 3));
    std::memset(up.getLinePtr(0), 5, std::size_t(up.getLineBytes()) * 8);
    up.scaleFrom(src);
    down.scaleFrom(src);
    odd.scaleFrom(src);
    for (CImage* d : {&up, &down, &odd})
        for (int line = 0; line < d->getHeight(); ++line)
            for (int x = 0; x < d->getWidth(); ++x) {
                int sl = line * 4 / d->getHeight(), sx = x * 4 / d->getWidth();
                const std::uint8_t* p = d->getLinePtr(line) + x * d->getChannels();
                EXPECT_TRUE(samePixel(p, src.getLinePtr(sl) + 3 * sx, 3))
                    << d->getWidth() << ": " << line << "," << x;
                if (d->getChannels() == 4) {
                    EXPECT_EQ(p[3], 5); // alpha untouched
                }
            }
}

TEST(CImageScale, FromRectReadsOnlyThatPart) {
    CImage src, dst;
    ASSERT_TRUE(src.create(4, 4, 3));
    paintLines(src, [](int line, int x) { return line * 10 + x; });
    ASSERT_TRUE(dst.create(2, 2, 3));
    dst.scaleFromRect(src, 1, 2, 3, 4);
    for (int line = 0; line < 2; ++line)
        for (int x = 0; x < 2; ++x)
            EXPECT_EQ(dst.getLinePtr(line)[3 * x], (line + 2) * 10 + (x + 1));
}

TEST(CImageScale, FromRectOutsideTheSourceDrawsNothing) {
    CImage src, dst;
    ASSERT_TRUE(src.create(4, 4, 3));
    paintLines(src, [](int, int) { return 50; });
    ASSERT_TRUE(dst.create(2, 2, 3));
    dst.scaleFromRect(src, 2, 2, 6, 4);
    dst.scaleFromRect(src, -1, 0, 2, 2);
    dst.scaleFromRect(src, 2, 2, 2, 4);
    EXPECT_TRUE(isZero(dst.getLinePtr(0), 2 * dst.getLineBytes()));
}

TEST(CImageScale, BilinearUpscaleMatchesReference) {
    CImage src, dst;
    ASSERT_TRUE(src.create(2, 2, 3));
    // Multiples of 16 keep every weighted term exact, so truncation cannot differ.
    paintLines(src, [](int line, int x) { return 16 * (1 + 4 * line + 8 * x); });
    ASSERT_TRUE(dst.create(4, 4, 4));
    std::memset(dst.getLinePtr(0), 3, std::size_t(dst.getLineBytes()) * 4);
    dst.scaleBilinear(src);
    for (int line = 0; line < 4; ++line)
        for (int x = 0; x < 4; ++x)
            for (int b = 0; b < 3; ++b)
                EXPECT_EQ(dst.getLinePtr(line)[4 * x + b],
                          int(bilinearReference(src, 4, 4, line, x, b)))
                    << line << "," << x << " byte " << b;
    EXPECT_EQ(dst.getLinePtr(2)[4 * 1 + 3], 3);
    // Corners keep the corner values; a middle sample mixes all four.
    EXPECT_EQ(dst.getLinePtr(0)[0], 16);
    EXPECT_EQ(dst.getLinePtr(3)[12], 16 * 13);
}

TEST(CImageScale, BilinearDownscaleAveragesBlocks) {
    CImage src, dst;
    ASSERT_TRUE(src.create(4, 4, 3));
    paintLines(src, [](int line, int x) { return 4 * (line * 4 + x); });
    ASSERT_TRUE(dst.create(2, 2, 3));
    dst.scaleBilinear(src);
    for (int line = 0; line < 2; ++line)
        for (int x = 0; x < 2; ++x) {
            int sum = 0;
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx)
                    sum += src.getLinePtr(2 * line + dy)[3 * (2 * x + dx)];
            EXPECT_EQ(dst.getLinePtr(line)[3 * x], sum / 4);
        }
}

TEST(CImageScale, BilinearTruncatesInsteadOfRounding) {
    CImage src, dst;
    ASSERT_TRUE(src.create(2, 1, 3));
    src.getLinePtr(0)[0] = 1;
    src.getLinePtr(0)[3] = 2;
    ASSERT_TRUE(dst.create(4, 1, 3));
    dst.scaleBilinear(src);
    // Samples at 0, 0.25, 0.75 and the clamped edge: 1, 1.25, 1.75, 2.
    const int expected[4] = {1, 1, 1, 2};
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(dst.getLinePtr(0)[3 * x], expected[x]) << x;
}

// ---------------------------------------------------------------- loaders: good files

TEST(CImageLoadBMP, Reads24BitRowsBottomUpWithoutPadding) {
    CImage img;
    Bytes f = makeBmp({});
    ASSERT_TRUE(img.loadBMPFromMemory(f.data(), f.size())) << img.error();
    EXPECT_EQ(img.getWidth(), 3);
    EXPECT_EQ(img.getHeight(), 2);
    EXPECT_EQ(img.getChannels(), 3);
    EXPECT_EQ(img.getLineBytes(), 12);
    for (int line = 0; line < 2; ++line)
        for (int i = 0; i < 12; ++i)
            EXPECT_EQ(img.getLinePtr(line)[i], i < 9 ? 3 * line + i : 0) << line << ":" << i;
    EXPECT_TRUE(img.error().empty());
}

TEST(CImageLoadBMP, Reads32BitAndLargerInfoHeaders) {
    CImage img;
    BmpSpec s;
    s.bits = 32;
    s.infoSize = 124;
    Bytes f = makeBmp(s);
    ASSERT_TRUE(img.loadBMPFromMemory(f.data(), f.size())) << img.error();
    EXPECT_EQ(img.getChannels(), 4);
    EXPECT_EQ(img.getLinePtr(1)[11], 3 + 11);
}

TEST(CImageLoadBMP, AcceptsBitfieldsOnlyWithPlainMasks) {
    CImage img;
    BmpSpec s;
    s.bits = 32;
    s.compression = 3;
    s.masks = {0x00ff0000u, 0x0000ff00u, 0x000000ffu};
    Bytes f = makeBmp(s);
    ASSERT_TRUE(img.loadBMPFromMemory(f.data(), f.size())) << img.error();
    EXPECT_EQ(img.getLinePtr(0)[5], 5);
}

TEST(CImageLoadBMP, FlipsTopDownFiles) {
    CImage img;
    BmpSpec s;
    s.height = -2;
    Bytes f = makeBmp(s);
    ASSERT_TRUE(img.loadBMPFromMemory(f.data(), f.size())) << img.error();
    EXPECT_EQ(img.getHeight(), 2);
    EXPECT_EQ(img.getLinePtr(1)[0], 0); // first file row is the top line
    EXPECT_EQ(img.getLinePtr(0)[0], 3);
}

TEST(CImageLoadTGA, ReadsUnpaddedRowsIntoPaddedLines) {
    CImage img;
    Bytes f = makeTga({});
    ASSERT_TRUE(img.loadTGAFromMemory(f.data(), f.size())) << img.error();
    EXPECT_EQ(img.getChannels(), 3);
    EXPECT_EQ(img.getLineBytes(), 12);
    for (int line = 0; line < 2; ++line)
        for (int i = 0; i < 12; ++i)
            EXPECT_EQ(img.getLinePtr(line)[i], i < 9 ? 7 * line + i : 0) << line << ":" << i;
}

TEST(CImageLoadTGA, SkipsImageIdAndColourMap) {
    CImage img;
    TgaSpec s;
    s.depth = 32;
    s.idLength = 5;
    s.mapLength = 2;
    Bytes f = makeTga(s);
    ASSERT_TRUE(img.loadTGAFromMemory(f.data(), f.size())) << img.error();
    EXPECT_EQ(img.getChannels(), 4);
    EXPECT_EQ(img.getLinePtr(0)[0], 0);
    EXPECT_EQ(img.getLinePtr(1)[11], 7 + 11);
}

TEST(CImageLoadTGA, IgnoresTheOriginBitsAndKeepsRowsBottomUp) {
    CImage img;
    TgaSpec s;
    s.descriptor = 0x20; // top-left origin flag
    Bytes f = makeTga(s);
    ASSERT_TRUE(img.loadTGAFromMemory(f.data(), f.size())) << img.error();
    EXPECT_EQ(img.getLinePtr(0)[0], 0);
    EXPECT_EQ(img.getLinePtr(1)[0], 7);
}

// ---------------------------------------------------------------- loaders: malformed files

namespace {
struct BadFile {
    const char* name;
    bool tga;
    std::function<Bytes()> make;
    const char* reason; // part of the expected error text
};

Bytes bmpOf(int bits, std::uint32_t compression = 0, std::vector<std::uint32_t> masks = {}) {
    BmpSpec s;
    s.bits = bits;
    s.width = 4;
    s.compression = compression;
    s.masks = std::move(masks);
    return makeBmp(s);
}

Bytes tgaOf(int type, int depth, int width = 3, int height = 2) {
    TgaSpec s;
    s.type = type;
    s.depth = depth;
    s.width = width;
    s.height = height;
    return makeTga(s);
}

// A valid 3 x 2 file with a 32-bit field (BMP) or one byte (TGA) overwritten.
Bytes bmpPatched(std::size_t at, std::uint32_t value) {
    Bytes b = makeBmp({});
    set32(b, at, value);
    return b;
}

Bytes tgaPatched(std::size_t at, std::uint8_t value) {
    Bytes b = makeTga({});
    b[at] = value;
    return b;
}

Bytes keep(Bytes b, std::size_t bytes) {
    b.resize(bytes);
    return b;
}

Bytes dropLast(Bytes b) {
    b.pop_back();
    return b;
}

// A valid file whose header claims a colour map of `entries` 24-bit entries that is not there.
Bytes tgaWithMap(unsigned entries) {
    Bytes b = makeTga({});
    b[1] = 1;
    b[5] = std::uint8_t(entries);
    b[6] = std::uint8_t(entries >> 8);
    b[7] = 24;
    return b;
}

// clang-format off
const BadFile kBadFiles[] = {
    {"BmpEmpty", false, [] { return Bytes(); }, "file header truncated"},
    {"BmpFileHeaderTruncated", false, [] { return keep(makeBmp({}), 10); }, "header truncated"},
    {"BmpWrongSignature", false, [] { return bmpPatched(0, 0x11004142); }, "signature"},
    {"BmpInfoHeaderTruncated", false, [] { return keep(makeBmp({}), 34); }, "info header trunc"},
    {"BmpCoreHeader", false, [] { return bmpPatched(14, 12); }, "info header size 12"},
    {"BmpDepth8", false, [] { return bmpOf(8); }, "bit depth 8"},
    {"BmpDepth16", false, [] { return bmpOf(16); }, "bit depth 16"},
    {"BmpRle", false, [] { return bmpOf(24, 1); }, "compression 1"},
    {"BmpBitfields24", false, [] { return bmpOf(24, 3, {0xff0000, 0xff00, 0xff}); }, "32-bit"},
    {"BmpBitfieldsOddMasks", false, [] { return bmpOf(32, 3, {0xff, 0xff00, 0xff0000}); }, "masks"},
    {"BmpBitfieldsMasksTruncated", false, [] { return keep(bmpOf(32, 3), 60); }, "masks truncated"},
    {"BmpZeroWidth", false, [] { return bmpPatched(18, 0); }, "bad image size"},
    {"BmpZeroHeight", false, [] { return bmpPatched(22, 0); }, "bad image size"},
    {"BmpNegativeWidth", false, [] { return bmpPatched(18, std::uint32_t(-3)); }, "bad image size"},
    {"BmpHugeWidth", false, [] { return bmpPatched(18, CImage::kMaxDimension + 1); }, "too large"},
    {"BmpHugeHeight", false, [] { return bmpPatched(22, 0x7fffffff); }, "too large"},
    {"BmpHugeTopDownHeight", false, [] { return bmpPatched(22, 0x80000000u); }, "too large"},
    {"BmpOffsetInsideHeaders", false, [] { return bmpPatched(10, 20); }, "inside the headers"},
    {"BmpOffsetPastEnd", false, [] { return bmpPatched(10, 1000); }, "past the end"},
    {"BmpRowsPastEnd", false, [] { return bmpPatched(22, 3); }, "rows end past"},
    {"BmpShortLastRow", false, [] { return dropLast(makeBmp({})); }, "rows end past"},
    {"TgaEmpty", true, [] { return Bytes(); }, "header truncated"},
    {"TgaHeaderTruncated", true, [] { return keep(makeTga({}), 17); }, "header truncated"},
    {"TgaRle", true, [] { return tgaOf(10, 24); }, "image type 10"},
    {"TgaColourMapped", true, [] { return tgaOf(1, 24); }, "image type 1 "},
    {"TgaGrey", true, [] { return tgaOf(3, 24); }, "image type 3"},
    {"TgaDepth16", true, [] { return tgaOf(2, 16); }, "pixel depth 16"},
    {"TgaDepth8", true, [] { return tgaOf(2, 8); }, "pixel depth 8"},
    {"TgaZeroWidth", true, [] { return tgaOf(2, 24, 0, 2); }, "bad image size"},
    {"TgaZeroHeight", true, [] { return tgaOf(2, 24, 3, 0); }, "bad image size"},
    {"TgaHugeWidth", true, [] { return tgaPatched(13, 0xff); }, "too large"},      // 65283
    {"TgaHugeHeight", true, [] { return tgaPatched(15, 0x4e); }, "too large"},     // 19970
    {"TgaIdPastEnd", true, [] { return tgaPatched(0, 255); }, "image ID"},
    {"TgaColourMapPastEnd", true, [] { return tgaWithMap(4096); }, "colour map"},
    {"TgaRowsPastEnd", true, [] { return tgaPatched(14, 3); }, "rows end past"},
    {"TgaShortLastRow", true, [] { return dropLast(makeTga({})); }, "rows end past"},
};
// clang-format on

void PrintTo(const BadFile& c, std::ostream* os) {
    *os << c.name;
}

class CImageBadFile : public ::testing::TestWithParam<BadFile> {};
} // namespace

TEST_P(CImageBadFile, FailsWithAReasonAndLeavesTheImageEmpty) {
    const BadFile& c = GetParam();
    CImage img;
    ASSERT_TRUE(img.create(2, 2, 3)); // a failed load must not leave the old image behind
    Bytes f = c.make();
    bool ok = c.tga ? img.loadTGAFromMemory(f.data(), f.size())
                    : img.loadBMPFromMemory(f.data(), f.size());
    EXPECT_FALSE(ok);
    EXPECT_TRUE(img.empty());
    EXPECT_EQ(img.getWidth(), 0);
    EXPECT_NE(img.error().find(c.reason), std::string::npos) << img.error();
    EXPECT_EQ(img.error().find('\n'), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Cases, CImageBadFile, ::testing::ValuesIn(kBadFiles),
                         [](const ::testing::TestParamInfo<BadFile>& i) { return i.param.name; });

TEST(CImageLoadRobustness, EveryTruncationFailsCleanly) {
    BmpSpec s32;
    s32.bits = 32;
    TgaSpec t32;
    t32.depth = 32;
    t32.idLength = 2;
    for (bool tga : {false, true})
        for (const Bytes& full : tga ? std::vector<Bytes>{makeTga({}), makeTga(t32)}
                                     : std::vector<Bytes>{makeBmp({}), makeBmp(s32)})
            for (std::size_t n = 0; n < full.size(); ++n) {
                Bytes part(full.begin(), full.begin() + std::ptrdiff_t(n));
                CImage img;
                bool ok = tga ? img.loadTGAFromMemory(part.data(), n)
                              : img.loadBMPFromMemory(part.data(), n);
                EXPECT_FALSE(ok) << (tga ? "TGA " : "BMP ") << n;
                EXPECT_TRUE(img.empty());
                EXPECT_FALSE(img.error().empty());
            }
}

TEST(CImageLoadRobustness, CorruptedHeaderBytesNeverYieldAnInconsistentImage) {
    const Bytes bmp = makeBmp({}), tga = makeTga({});
    for (bool isTga : {false, true}) {
        const Bytes& good = isTga ? tga : bmp;
        std::size_t headerBytes = isTga ? 18 : 54;
        for (std::size_t at = 0; at < headerBytes; ++at)
            for (std::uint8_t v : {0x00, 0x01, 0x7f, 0x80, 0xff}) {
                Bytes b = good;
                b[at] = v;
                CImage img;
                bool ok = isTga ? img.loadTGAFromMemory(b.data(), b.size())
                                : img.loadBMPFromMemory(b.data(), b.size());
                if (ok) {
                    ASSERT_FALSE(img.empty());
                    std::size_t rows = std::size_t(img.getWidth()) * img.getChannels();
                    EXPECT_LE(rows * std::size_t(img.getHeight()), b.size()) << at;
                } else {
                    EXPECT_TRUE(img.empty()) << at;
                    EXPECT_FALSE(img.error().empty()) << at;
                }
            }
    }
}

TEST(CImageLoadFile, MissingFileFailsNamingIt) {
    CImage img;
    std::string name = ::testing::TempDir() + "cimage_no_such_file.bmp";
    EXPECT_FALSE(img.loadBMP(name.c_str()));
    EXPECT_NE(img.error().find(name), std::string::npos) << img.error();
    EXPECT_NE(img.error().find("cannot open"), std::string::npos);
    EXPECT_FALSE(img.loadTGA(name.c_str()));
    EXPECT_NE(img.error().find("cannot open"), std::string::npos);
    EXPECT_FALSE(img.loadTGA(nullptr));
    EXPECT_FALSE(img.error().empty());
    EXPECT_TRUE(img.empty());
}

TEST(CImageLoadFile, UnreadableFileFails) {
    CImage img;
    std::string dir = ::testing::TempDir();
    EXPECT_FALSE(img.loadBMP(dir.c_str()));
    EXPECT_NE(img.error().find(dir), std::string::npos) << img.error();
    EXPECT_TRUE(img.empty());
}

TEST(CImageLoadFile, BadFileOnDiskReportsNameAndReason) {
    std::string name = ::testing::TempDir() + "cimage_bad_depth.tga";
    Bytes f = tgaOf(2, 16);
    std::FILE* out = std::fopen(name.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    std::fwrite(f.data(), 1, f.size(), out);
    std::fclose(out);
    CImage img;
    EXPECT_FALSE(img.loadTGA(name.c_str()));
    EXPECT_EQ(img.error().rfind(name + ": TGA: unsupported pixel depth 16", 0), 0u) << img.error();
    std::remove(name.c_str());
}

// ---------------------------------------------------------------- writers

TEST(CImageWrite, EncodedBMPHasTheStandardHeadersAndRoundTrips) {
    for (int channels : {3, 4}) {
        CImage img;
        ASSERT_TRUE(img.create(5, 3, channels));
        paintPattern(img);
        Bytes f = img.encodeBMP();
        std::size_t pixelBytes = std::size_t(img.getLineBytes()) * 3;
        ASSERT_EQ(f.size(), 54 + pixelBytes);
        EXPECT_EQ(f[0], 'B');
        EXPECT_EQ(f[1], 'M');
        EXPECT_EQ(f[2] | f[3] << 8 | f[4] << 16, int(f.size()));
        EXPECT_EQ(f[10], 54);
        EXPECT_EQ(f[14], 40);
        EXPECT_EQ(f[18], 5);
        EXPECT_EQ(f[22], 3); // positive height: bottom-up
        EXPECT_EQ(f[26], 1);
        EXPECT_EQ(f[28], channels * 8);
        EXPECT_EQ(f[30], 0); // BI_RGB
        EXPECT_EQ(std::memcmp(f.data() + 54, img.getLinePtr(0), img.getLineBytes()), 0);
        CImage back;
        ASSERT_TRUE(back.loadBMPFromMemory(f.data(), f.size())) << back.error();
        ASSERT_EQ(back.getChannels(), channels);
        EXPECT_EQ(std::memcmp(back.getLinePtr(0), img.getLinePtr(0), pixelBytes), 0);
    }
}

TEST(CImageWrite, EncodedTGAHasUnpaddedRowsAndRoundTrips) {
    for (int channels : {3, 4}) {
        CImage img;
        ASSERT_TRUE(img.create(5, 3, channels));
        paintPattern(img);
        Bytes f = img.encodeTGA();
        ASSERT_EQ(f.size(), 18u + 5 * 3 * std::size_t(channels));
        EXPECT_EQ(f[0], 0);
        EXPECT_EQ(f[1], 0);
        EXPECT_EQ(f[2], 2);
        EXPECT_EQ(f[12], 5);
        EXPECT_EQ(f[14], 3);
        EXPECT_EQ(f[16], channels * 8);
        EXPECT_EQ(f[17], channels == 4 ? 8 : 0);
        // Second stored row starts right after the first row's pixels.
        EXPECT_EQ(std::memcmp(f.data() + 18 + 5 * channels, img.getLinePtr(1), 5 * channels), 0);
        CImage back;
        ASSERT_TRUE(back.loadTGAFromMemory(f.data(), f.size())) << back.error();
        EXPECT_EQ(
            std::memcmp(back.getLinePtr(0), img.getLinePtr(0), std::size_t(img.getLineBytes()) * 3),
            0);
    }
}

TEST(CImageWrite, FilesRoundTripThroughTheLoaders) {
    CImage img;
    ASSERT_TRUE(img.create(7, 4, 3));
    paintPattern(img);
    std::string bmp = ::testing::TempDir() + "cimage_roundtrip.bmp";
    std::string tga = ::testing::TempDir() + "cimage_roundtrip.tga";
    ASSERT_TRUE(img.writeBMP(bmp.c_str()));
    ASSERT_TRUE(img.writeTGA(tga.c_str()));
    CImage a, b;
    ASSERT_TRUE(a.loadBMP(bmp.c_str())) << a.error();
    ASSERT_TRUE(b.loadTGA(tga.c_str())) << b.error();
    std::size_t bytes = std::size_t(img.getLineBytes()) * 4;
    EXPECT_EQ(std::memcmp(a.getLinePtr(0), img.getLinePtr(0), bytes), 0);
    EXPECT_EQ(std::memcmp(b.getLinePtr(0), img.getLinePtr(0), bytes), 0);
    std::remove(bmp.c_str());
    std::remove(tga.c_str());
}

TEST(CImageWrite, EmptyImageWritesNothing) {
    CImage img;
    EXPECT_TRUE(img.encodeBMP().empty());
    EXPECT_TRUE(img.encodeTGA().empty());
    std::string name = ::testing::TempDir() + "cimage_empty.bmp";
    EXPECT_FALSE(img.writeBMP(name.c_str()));
    EXPECT_FALSE(img.writeTGA(name.c_str()));
    std::FILE* f = std::fopen(name.c_str(), "rb");
    EXPECT_EQ(f, nullptr);
    if (f)
        std::fclose(f);
}
