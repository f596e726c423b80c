// Tests of CImage: line layout, fills, the copy family with its clipping and blending rules,
// rescaling of tiny known images, the BMP/TGA loaders against hand-built and malformed files,
// and round trips through the writers.
#include "cimage.h"

#include <unistd.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// Appends little-endian fields given as value, byte count, value, byte count, ...
void put(Bytes& b, std::initializer_list<long long> fields) {
    for (auto f = fields.begin(); f != fields.end(); f += 2)
        for (int i = 0; i < f[1]; ++i)
            b.push_back(std::uint8_t(f[0] >> (8 * i)));
}

// A one-line image holding `bytes`, and the whole pixel block of an image, padding included.
CImage lineOf(int channels, const Bytes& bytes) {
    CImage img;
    EXPECT_TRUE(img.create(int(bytes.size()) / channels, 1, channels));
    std::memcpy(img.getLinePtr(0), bytes.data(), bytes.size());
    return img;
}

Bytes bytesOf(const CImage& img) {
    return Bytes(img.getLinePtr(0), img.getLinePtr(0) + img.getLineBytes() * img.getHeight());
}

// Pixel in picture coordinates (y downwards).
std::uint8_t* px(CImage& img, int x, int y) {
    return img.getLinePtr(img.getHeight() - 1 - y) + x * img.getChannels();
}

// A distinct colour for every picture position.
void paintPattern(CImage& img) {
    for (int y = 0; y < img.getHeight(); ++y)
        for (int x = 0; x < img.getWidth(); ++x)
            for (int c = 0; c < img.getChannels(); ++c)
                px(img, x, y)[c] = std::uint8_t(x * 16 + y + 60 * c + 1);
}

// BMP 3 pixels wide; rows hold 3 * row + byte index, padded with 0xEE.
Bytes makeBmp(int bits = 24, int height = 2, std::uint32_t infoSize = 40,
              std::uint32_t compression = 0, std::vector<std::uint32_t> masks = {}) {
    const int rows = std::abs(height), rowBytes = 3 * bits / 8, padded = (rowBytes + 3) / 4 * 4;
    const std::uint32_t offset = 14 + infoSize + 4 * std::uint32_t(masks.size());
    Bytes b;
    const long long fileSize = offset + padded * rows;
    put(b, {0x4d42, 2, fileSize, 4, 0, 4, offset, 4, infoSize,    4,
            3,      4, height,   4, 1, 2, bits,   2, compression, 4});
    b.resize(14 + infoSize, 0);
    for (std::uint32_t m : masks)
        put(b, {m, 4});
    for (int i = 0; i < padded * rows; ++i)
        b.push_back(i % padded < rowBytes ? std::uint8_t(3 * (i / padded) + i % padded) : 0xEE);
    return b;
}

// TGA 3 x 2: header, image ID, colour map (24-bit entries), unpadded rows of 7 * row + i.
Bytes makeTga(int type = 2, int depth = 24, int idLength = 0, int mapLength = 0,
              int descriptor = 0) {
    Bytes b;
    const int map = mapLength ? 1 : 0;
    put(b, {idLength, 1, map, 1, type, 1, 0, 2,     mapLength, 2,          24 * map,
            1,        0, 4,   3, 2,    2, 2, depth, 1,         descriptor, 1});
    b.insert(b.end(), std::size_t(idLength + 3 * mapLength), 0xAB);
    for (int i = 0; i < 2 * 3 * depth / 8; ++i)
        b.push_back(std::uint8_t(7 * (i / (3 * depth / 8)) + i % (3 * depth / 8)));
    return b;
}

Bytes patched(Bytes b, std::size_t at, std::uint32_t value, int bytes = 4) {
    for (int i = 0; i < bytes; ++i)
        b[at + i] = std::uint8_t(value >> (8 * i));
    return b;
}

Bytes cut(Bytes b, std::size_t bytes) {
    b.resize(bytes);
    return b;
}

bool load(CImage& img, const Bytes& f, bool tga) {
    return tga ? img.loadTGAFromMemory(f.data(), f.size())
               : img.loadBMPFromMemory(f.data(), f.size());
}

} // namespace

TEST(CImageLayout, LinesArePaddedToFourBytesAndBadSizesAreRefused) {
    CImage img;
    const int cases[][3] = {{3, 3, 12}, {1, 3, 4}, {5, 3, 16}, {3, 4, 12}}; // width, channels
    for (const auto& c : cases) {
        ASSERT_TRUE(img.create(c[0], 2, c[1]));
        EXPECT_EQ(img.getLineBytes(), c[2]) << c[0] << " x " << c[1];
        EXPECT_EQ(img.getLinePtr(1) - img.getLinePtr(0), c[2]);
        EXPECT_EQ(std::count(img.getLinePtr(0), img.getLinePtr(0) + 2 * c[2], 0), 2 * c[2]);
    }
    const int bad[][3] = {
        {4, 2, 2}, {4, 2, 5}, {0, 4, 3}, {4, -3, 3}, {CImage::kMaxDimension + 1, 1, 3}};
    for (const auto& c : bad) {
        EXPECT_FALSE(img.create(c[0], c[1], c[2])) << c[0] << " " << c[1] << " " << c[2];
        EXPECT_TRUE(img.empty());
    }
}

TEST(CImageFill, ClearFillAndFillRectUseTheirByteOrdersAndClip) {
    CImage img;
    ASSERT_TRUE(img.create(4, 3, 4));
    std::memset(img.getLinePtr(0), 77, std::size_t(img.getLineBytes()) * 3);
    img.clear(10, 20, 30);
    const std::uint8_t cleared[4] = {20, 30, 10, 77}; // alpha untouched
    for (int line = 0; line < 3; ++line)
        EXPECT_EQ(std::memcmp(img.getLinePtr(line) + 12, cleared, 4), 0) << line;
    img.fill(1, 2, 3);
    const std::uint8_t filled[4] = {3, 2, 1, 77};
    EXPECT_EQ(std::memcmp(px(img, 0, 2), filled, 4), 0); // bottom row included
    rvRect r = {2, 1, 10, 7};
    img.fillRect(&r, 5, 6, 7);
    EXPECT_EQ(r.right, 4);
    EXPECT_EQ(r.bottom, 3);
    const std::uint8_t rect[4] = {7, 6, 5, 77};
    EXPECT_EQ(std::memcmp(px(img, 2, 1), rect, 4), 0);
    EXPECT_EQ(std::memcmp(px(img, 3, 2), rect, 4), 0);
    EXPECT_EQ(std::memcmp(px(img, 1, 2), filled, 4), 0); // left of the rectangle
    EXPECT_EQ(std::memcmp(px(img, 3, 0), filled, 4), 0); // above it
    r = {4, 0, 5, 5};                                    // starts outside: nothing happens
    img.fillRect(&r, 9, 9, 9);
    EXPECT_EQ(r.right, 5);
}

TEST(CImageBlit, ClipsOnAllSidesAndWritesTheRectangleBack) {
    // x, y, source rectangle, expected clipped rectangle, whether anything is drawn.
    const int cases[][11] = {
        {2, 1, 1, 0, 3, 2, 1, 0, 3, 2, 1},   // inside
        {-1, -2, 0, 0, 4, 4, 1, 2, 4, 4, 1}, // first visible row lands on row 0
        {2, 3, 0, 0, 4, 4, 0, 0, 2, 1, 1},   // cut off right and bottom
        {0, 0, -1, -1, 9, 9, 0, 0, 3, 3, 1}, // cut to the source, moving the target
        {4, 0, 0, 0, 4, 4, 0, 0, 4, 4, 0},   // lands outside
        {0, -4, 0, 0, 4, 4, 0, 0, 4, 4, 0},
        {3, 0, 3, 0, 1, 2, 3, 0, 1, 2, 0}, // inverted: nothing to copy
    };
    CImage src;
    ASSERT_TRUE(src.create(4, 4, 3));
    paintPattern(src);
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "blit at " << c[0] << "," << c[1]);
        CImage dst;
        ASSERT_TRUE(dst.create(4, 4, 3));
        rvRect r = {c[2], c[3], c[4], c[5]};
        dst.blit(src, c[0], c[1], &r);
        EXPECT_EQ(std::memcmp(&r, c + 6, sizeof r), 0) << r.left << r.top << r.right << r.bottom;
        // Clipping moves both ends alike: destination (x, y) shows source (x + dx, y + dy)
        // wherever that lies inside the clipped rectangle.
        const int dx = c[2] - c[0], dy = c[3] - c[1];
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) {
                const int sx = x + dx, sy = y + dy;
                if (c[10] && sx >= c[6] && sx < c[8] && sy >= c[7] && sy < c[9])
                    EXPECT_EQ(std::memcmp(px(dst, x, y), px(src, sx, sy), 3), 0) << x << "," << y;
                else
                    EXPECT_EQ(std::count(px(dst, x, y), px(dst, x, y) + 3, 0), 3) << x << "," << y;
            }
    }
}

TEST(CImageBlend, AlphaBlendsRoundTheShiftAndColourKeysSkipOnlyExactMatches) {
    rvRect all = {0, 0, 3, 1}; // inside every destination below
    // d + (((s - d) * a + 255) >> 8), floor shift: 100 -> 200 at 128 gives 150, 20 -> 10 gives
    // 15, 255 -> 0 gives 128; at full alpha 0 -> 255 reaches 255 and 255 -> 0 stops at 1.
    CImage d = lineOf(4, {100, 20, 255, 9, 0, 255, 77, 0, 12, 34, 56, 0});
    d.blitAlpha(lineOf(4, {200, 10, 0, 128, 255, 0, 77, 255, 200, 200, 200, 0}), 0, 0, &all);
    EXPECT_EQ(bytesOf(d), Bytes({150, 15, 128, 9, 255, 1, 77, 0, 12, 34, 56, 0}));
    // A 3-channel source is stepped by its own channel count; alpha 64 for every pixel.
    d = lineOf(4, {100, 255, 50, 1, 0, 0, 0, 2, 7, 7, 7, 7});
    d.blitBlend(lineOf(3, {200, 0, 50, 100, 100, 100, 7, 7, 7}), 0, 0, &all, 64);
    EXPECT_EQ(bytesOf(d), Bytes({125, 192, 50, 1, 25, 25, 25, 2, 7, 7, 7, 7}));
    // Key red 255, green 0, blue 255 (bytes 255, 0, 255); a blue of 254 is not the key.
    d = lineOf(4, Bytes(12, 99));
    d.blitColorKey(lineOf(4, {255, 0, 255, 1, 254, 0, 255, 2, 9, 8, 7, 6}), 0, 0, &all, 255, 0,
                   255);
    EXPECT_EQ(bytesOf(d), Bytes({99, 99, 99, 99, 254, 0, 255, 99, 9, 8, 7, 99}));
    d = lineOf(4, Bytes(12, 100));
    d.blitBlendColorKey(lineOf(4, {0, 255, 0, 0, 200, 200, 200, 0, 0, 255, 0, 9}), 0, 0, &all, 128,
                        0, 255, 0);
    EXPECT_EQ(bytesOf(d), Bytes({100, 100, 100, 100, 150, 150, 150, 100, 100, 100, 100, 100}));
}

TEST(CImageScale, NearestAndBilinearOnTinyKnownImages) {
    CImage src, odd, part, wide, half;
    ASSERT_TRUE(src.create(4, 4, 3) && odd.create(3, 3, 4) && part.create(2, 2, 3));
    for (int i = 0; i < 16; ++i)
        src.getLinePtr(i / 4)[3 * (i % 4)] = std::uint8_t(4 * i); // 16 * line + 4 * column
    std::memset(odd.getLinePtr(0), 5, 36);
    odd.scaleFrom(src); // 4 / 3 per step: lines and columns 0, 1, 2
    part.scaleFromRect(src, 1, 2, 3, 4);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(odd.getLinePtr(i)[4 * i], 20 * i) << i;
        EXPECT_EQ(odd.getLinePtr(i)[4 * i + 3], 5) << i; // alpha untouched
    }
    // Lines 2..3, columns 1..2; each line padded to 8 bytes.
    EXPECT_EQ(bytesOf(part), Bytes({36, 0, 0, 40, 0, 0, 0, 0, 52, 0, 0, 56, 0, 0, 0, 0}));
    const Bytes before = bytesOf(part);
    part.scaleFromRect(src, 2, 2, 6, 4); // outside the source
    part.scaleFromRect(src, 2, 2, 2, 4); // empty
    EXPECT_EQ(bytesOf(part), before);

    // Bilinear: samples at 0 (clamped), 0.25, 0.75 and 1 (clamped edge), truncated.
    ASSERT_TRUE(wide.create(4, 1, 4) && half.create(2, 2, 3));
    wide.scaleBilinear(lineOf(3, {0, 1, 0, 64, 2, 0}));
    EXPECT_EQ(bytesOf(wide), Bytes({0, 1, 0, 0, 16, 1, 0, 0, 48, 1, 0, 0, 64, 2, 0, 0}));
    half.scaleBilinear(src);
    // The average of each 2 x 2 block.
    EXPECT_EQ(bytesOf(half), Bytes({10, 0, 0, 18, 0, 0, 0, 0, 42, 0, 0, 50, 0, 0, 0, 0}));
}

TEST(CImageLoad, GoodFilesFillPaddedBottomUpLines) {
    // Name ("BMP..." or "TGA..."), file, channels, whether the file's rows are top-down.
    const std::tuple<const char*, Bytes, int, bool> cases[] = {
        {"BMP 24", makeBmp(), 3, false},
        {"BMP 32, 124-byte info header", makeBmp(32, 2, 124), 4, false},
        {"BMP 32, plain bitfields", makeBmp(32, 2, 40, 3, {0xff0000, 0xff00, 0xff}), 4, false},
        {"BMP top-down", makeBmp(24, -2), 3, true},
        {"TGA 24", makeTga(), 3, false},
        {"TGA 32 with ID and colour map", makeTga(2, 32, 5, 2), 4, false},
        {"TGA top-left origin bit, still bottom-up", makeTga(2, 24, 0, 0, 0x20), 3, false},
    };
    for (const auto& [name, file, channels, flipped] : cases) {
        SCOPED_TRACE(name);
        const bool tga = name[0] == 'T';
        CImage img;
        ASSERT_TRUE(load(img, file, tga)) << img.error();
        ASSERT_TRUE(img.getWidth() == 3 && img.getHeight() == 2 && img.getChannels() == channels);
        for (int line = 0; line < 2; ++line)
            for (int i = 0; i < img.getLineBytes(); ++i)
                EXPECT_EQ(img.getLinePtr(line)[i],
                          i < 3 * channels ? (tga ? 7 : 3) * (flipped ? 1 - line : line) + i : 0)
                    << line << ":" << i;
    }
}

TEST(CImageLoad, MalformedFilesFailWithAReasonAndLeaveTheImageEmpty) {
    const Bytes bmp = makeBmp(), tga = makeTga();
    const std::tuple<bool, Bytes, const char*> cases[] = {
        {false, Bytes(), "file header truncated"},
        {false, patched(bmp, 0, 'A', 1), "signature"},
        {false, cut(bmp, 34), "info header truncated"},
        {false, patched(bmp, 14, 12), "info header size 12"},
        {false, makeBmp(16), "bit depth 16"},
        {false, makeBmp(24, 2, 40, 1), "compression 1"},
        {false, makeBmp(24, 2, 40, 3, {0xff0000, 0xff00, 0xff}), "32-bit"},
        {false, makeBmp(32, 2, 40, 3, {0xff, 0xff00, 0xff0000}), "masks"},
        {false, cut(makeBmp(32, 2, 40, 3), 60), "masks truncated"},
        {false, patched(bmp, 18, 0), "bad image size"},
        {false, patched(bmp, 22, 0x80000000u), "too large"}, // top-down, 2^31 rows
        {false, patched(bmp, 10, 20), "inside the headers"},
        {false, cut(bmp, bmp.size() - 1), "rows end past"},
        {true, cut(tga, 17), "header truncated"},
        {true, makeTga(10), "image type 10"},
        {true, makeTga(2, 16), "pixel depth 16"},
        {true, patched(tga, 12, 0, 2), "bad image size"},
        {true, patched(tga, 13, 0xff, 1), "too large"},
        {true, patched(patched(tga, 1, 1, 1), 5, 4096 | 24u << 16, 3), "colour map"},
        {true, cut(tga, tga.size() - 1), "rows end past"},
    };
    for (const auto& [isTga, file, reason] : cases) {
        SCOPED_TRACE(reason);
        CImage img;
        ASSERT_TRUE(img.create(2, 2, 3)); // a failed load must not leave the old image behind
        EXPECT_FALSE(load(img, file, isTga));
        EXPECT_TRUE(img.empty());
        EXPECT_NE(img.error().find(reason), std::string::npos) << img.error();
        EXPECT_EQ(img.error().find('\n'), std::string::npos);
    }
}

TEST(CImageFiles, WritersUseTheStandardHeadersAndRoundTripThroughTheLoaders) {
    const std::string bmp =
        ::testing::TempDir() + std::to_string(getpid()) + "_" + "cimage_roundtrip.bmp";
    const std::string tga =
        ::testing::TempDir() + std::to_string(getpid()) + "_" + "cimage_roundtrip.tga";
    for (int channels : {3, 4}) {
        SCOPED_TRACE(channels);
        CImage img, fromBmp, fromTga;
        ASSERT_TRUE(img.create(5, 3, channels));
        paintPattern(img);
        const std::size_t pixelBytes = std::size_t(img.getLineBytes()) * 3;
        const Bytes b = img.encodeBMP(), t = img.encodeTGA();
        ASSERT_EQ(b.size(), 54 + pixelBytes);
        ASSERT_EQ(t.size(), 18u + 15 * std::size_t(channels));
        // BMP "BM", size, offset 54, 40-byte info, 5 x 3 bottom-up, 1 plane, depth, BI_RGB (as
        // 16-bit fields, which these small values fit); TGA type 2, 5 x 3, depth, alpha bits.
        const int size = int(b.size()), bits = 8 * channels, alphaBits = channels == 4 ? 8 : 0;
        const int bmpFields[] = {0, 0x4d42, 2, size, 10, 54, 14,   40, 18,
                                 5, 22,     3, 26,   1,  28, bits, 30, 0};
        const int tgaFields[] = {2, 2, 12, 5, 14, 3, 16, bits, 17, alphaBits}; // offset, value, ...
        for (std::size_t i = 0; i < std::size(bmpFields); i += 2)
            EXPECT_EQ(b[bmpFields[i]] | b[bmpFields[i] + 1] << 8, bmpFields[i + 1]) << bmpFields[i];
        for (std::size_t i = 0; i < std::size(tgaFields); i += 2)
            EXPECT_EQ(t[tgaFields[i]], tgaFields[i + 1]) << tgaFields[i];
        EXPECT_EQ(std::memcmp(t.data() + 18 + 5 * channels, img.getLinePtr(1), 5 * channels), 0);
        ASSERT_TRUE(img.writeBMP(bmp.c_str()) && img.writeTGA(tga.c_str()));
        ASSERT_TRUE(fromBmp.loadBMP(bmp.c_str()) && fromTga.loadTGA(tga.c_str()));
        EXPECT_EQ(std::memcmp(fromBmp.getLinePtr(0), img.getLinePtr(0), pixelBytes), 0);
        EXPECT_EQ(std::memcmp(fromTga.getLinePtr(0), img.getLinePtr(0), pixelBytes), 0);
    }
    CImage img;
    // A file that is not what its loader expects fails naming the file and the reason.
    EXPECT_FALSE(img.loadBMP(tga.c_str()));
    EXPECT_EQ(img.error().rfind(tga + ": BMP: wrong signature", 0), 0u) << img.error();
    std::remove(bmp.c_str());
    std::remove(tga.c_str());
    EXPECT_FALSE(img.loadTGA(bmp.c_str()));
    EXPECT_NE(img.error().find(bmp + ": cannot open"), std::string::npos) << img.error();
    EXPECT_TRUE(!img.loadTGA(nullptr) && img.empty());
    // An empty image encodes to nothing and writes no file.
    EXPECT_TRUE(img.encodeBMP().empty() && img.encodeTGA().empty());
    EXPECT_FALSE(img.writeBMP(bmp.c_str()) || img.writeTGA(bmp.c_str()));
    EXPECT_FALSE(img.loadBMP(bmp.c_str()));
}
