// Tests of CImage as the program uses it: creation and line layout, the BMP/TGA loaders against
// hand-built and broken files, round trips through the writers, and clearing.
#include "cimage.h"

#include <unistd.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
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

// BMP 3 pixels wide; rows hold 3 * row + byte index, padded with 0xEE.
Bytes makeBmp(int bits = 24, int height = 2, std::uint32_t infoSize = 40,
              std::uint32_t compression = 0, std::vector<std::uint32_t> masks = {}) {
    const int rows = std::abs(height), rowBytes = 3 * bits / 8, padded = (rowBytes + 3) / 4 * 4;
    const long long offset = 14 + infoSize + 4 * masks.size(), size = offset + padded * rows;
    Bytes b;
    put(b, {0x4d42, 2, size,   4, 0, 4, offset, 4, infoSize,    4,
            3,      4, height, 4, 1, 2, bits,   2, compression, 4});
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

// The file with `bytes` bytes at `at` replaced by `value`, or cut to `at` bytes (bytes = 0).
Bytes edited(Bytes b, std::size_t at, std::uint32_t value = 0, int bytes = 0) {
    b.resize(bytes ? b.size() : at);
    for (int i = 0; i < bytes; ++i)
        b[at + i] = std::uint8_t(value >> (8 * i));
    return b;
}

bool load(CImage& img, const Bytes& f, bool tga) {
    return tga ? img.loadTGAFromMemory(f.data(), f.size())
               : img.loadBMPFromMemory(f.data(), f.size());
}

Bytes pixelBlock(const CImage& img) {
    return Bytes(img.getLinePtr(0), img.getLinePtr(0) + img.getLineBytes() * img.getHeight());
}

} // namespace

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
    for (const auto& [name, file, channels, topDown] : cases) {
        SCOPED_TRACE(name);
        const bool tga = name[0] == 'T';
        CImage img;
        ASSERT_TRUE(load(img, file, tga)) << img.error();
        EXPECT_EQ(img.getWidth(), 3);
        EXPECT_EQ(img.getHeight(), 2);
        ASSERT_EQ(img.getChannels(), channels);
        for (int line = 0; line < 2; ++line) // pixels from the file's row, then zero padding
            for (int i = 0; i < img.getLineBytes(); ++i)
                EXPECT_EQ(img.getLinePtr(line)[i],
                          i < 3 * channels ? (tga ? 7 : 3) * (topDown ? 1 - line : line) + i : 0)
                    << line << ":" << i;
    }
}

TEST(CImageLoad, BrokenFilesFailWithAOneLineReasonAndLeaveTheImageEmpty) {
    const Bytes bmp = makeBmp(), tga = makeTga();
    const std::tuple<bool, Bytes, const char*> cases[] = {
        // TGA?, file, reason
        {false, Bytes(), "file header truncated"},
        {false, edited(bmp, 0, 'A', 1), "signature"},
        {false, edited(bmp, 34), "info header truncated"},
        {false, edited(bmp, 14, 12, 4), "info header size 12"},
        {false, makeBmp(16), "bit depth 16"},
        {false, makeBmp(24, 2, 40, 1), "compression 1"},
        {false, makeBmp(24, 2, 40, 3, {0xff0000, 0xff00, 0xff}), "32-bit"},
        {false, makeBmp(32, 2, 40, 3, {0xff, 0xff00, 0xff0000}), "masks"},
        {false, edited(makeBmp(32, 2, 40, 3), 60), "masks truncated"},
        {false, edited(bmp, 18, 0, 4), "bad image size"},
        {false, edited(bmp, 22, 0x80000000u, 4), "too large"}, // top-down, 2^31 rows
        {false, edited(bmp, 10, 20, 4), "inside the headers"},
        {false, edited(bmp, bmp.size() - 1), "rows end past"},
        {true, edited(tga, 17), "header truncated"},
        {true, makeTga(10), "image type 10"},
        {true, makeTga(2, 16), "pixel depth 16"},
        {true, edited(tga, 12, 0, 2), "bad image size"},
        {true, edited(tga, 13, 0xff, 1), "too large"},
        {true, edited(edited(tga, 1, 1, 1), 5, 4096 | 24u << 16, 3), "colour map"},
        {true, edited(tga, tga.size() - 1), "rows end past"},
    };
    for (const auto& [isTga, file, reason] : cases) {
        SCOPED_TRACE(reason);
        CImage img;
        ASSERT_TRUE(img.create(2, 2, 3)); // a failed load must not leave the old image behind
        EXPECT_FALSE(load(img, file, isTga));
        EXPECT_TRUE(img.empty());
        EXPECT_NE(img.error().find(reason), std::string::npos) << img.error();
        EXPECT_EQ(img.error().find('\n'), std::string::npos) << img.error();
    }
}

TEST(CImageFiles, CreatedImagesHavePaddedLinesAndRoundTripThroughTheWriters) {
    const std::string file = ::testing::TempDir() + std::to_string(getpid()) + "_cimage_test";
    // Width, height, channels, the line length (0: refused).
    const int cases[][4] = {{3, 2, 3, 12}, {1, 3, 3, 4},  {5, 2, 3, 16},
                            {3, 2, 4, 12}, {4, 2, 2, 0},  {4, 2, 5, 0},
                            {0, 4, 3, 0},  {4, -3, 3, 0}, {CImage::kMaxDimension + 1, 1, 3, 0}};
    for (const auto& [width, height, channels, lineBytes] : cases) {
        SCOPED_TRACE(::testing::Message() << width << " x " << height << " x " << channels);
        CImage img;
        ASSERT_EQ(img.create(width, height, channels), lineBytes > 0);
        if (lineBytes == 0) { // empty: encodes to nothing and writes no file
            EXPECT_TRUE(img.empty());
            EXPECT_FALSE(img.writeTGA(file.c_str()));
            continue;
        }
        EXPECT_EQ(img.getLinePtr(1) - img.getLinePtr(0), lineBytes);
        EXPECT_EQ(pixelBlock(img), Bytes(height * lineBytes, 0));
        for (int i = 0; i < width * height * channels; ++i) // distinct bytes, padding left 0
            img.getLinePtr(i / (width * channels))[i % (width * channels)] = std::uint8_t(i + 1);
        // Fields the loaders do not read: BMP file size and planes, TGA alpha bits.
        const Bytes b = img.encodeBMP(), t = img.encodeTGA();
        EXPECT_EQ(std::size_t(b[2] | b[3] << 8), b.size());
        EXPECT_EQ(b[26], 1);
        EXPECT_EQ(t[17], channels == 4 ? 8 : 0);
        for (bool tga : {false, true}) {
            CImage back;
            ASSERT_TRUE(tga ? img.writeTGA(file.c_str()) : img.writeBMP(file.c_str()));
            ASSERT_TRUE(tga ? back.loadTGA(file.c_str()) : back.loadBMP(file.c_str()))
                << back.error();
            EXPECT_EQ(pixelBlock(back), pixelBlock(img)) << (tga ? "TGA" : "BMP");
        }
    }
    // Failures to load a file start with its name; the file holds the last TGA.
    CImage img;
    EXPECT_FALSE(img.loadBMP(file.c_str()));
    EXPECT_EQ(img.error().rfind(file + ": BMP: wrong signature", 0), 0u) << img.error();
    std::remove(file.c_str());
    EXPECT_FALSE(img.loadTGA(file.c_str()));
    EXPECT_EQ(img.error().rfind(file + ": cannot open (", 0), 0u) << img.error();
    // clear, as the window's back buffer uses it: byte 2 = c1, byte 1 = c3, byte 0 = c2.
    ASSERT_TRUE(img.create(2, 2, 4));
    img.clear(1, 2, 3);
    EXPECT_EQ(pixelBlock(img), (Bytes{2, 3, 1, 0, 2, 3, 1, 0, 2, 3, 1, 0, 2, 3, 1, 0}));
}
