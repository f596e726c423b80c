#include "fontbaker.h"

#include <algorithm>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H
#include <gtest/gtest.h>

#include "rvhudtextmanager.h"

using namespace texgen;

// The HUD font as the demo bakes it, and FreeType's face at the same size to compare with.
class BakedDejaVu : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string path = findDejaVuFont();
        ASSERT_FALSE(path.empty()) << "install Debian's fonts-dejavu-core";
        std::string error;
        ASSERT_TRUE(bakeFont(path.c_str(), FontBakeOptions(), &font, &error)) << error;
        ASSERT_EQ(FT_Init_FreeType(&library), 0);
        ASSERT_EQ(FT_New_Face(library, path.c_str(), 0, &face), 0);
        FT_Set_Pixel_Sizes(face, 0, FontBakeOptions().pixelSize);
    }
    void TearDown() override {
        FT_Done_Face(face); // both accept null
        FT_Done_FreeType(library);
    }
    BakedFont font;
    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

TEST_F(BakedDejaVu, EveryCellIsOneLineHighAndHoldsFreeTypesGlyphOnTheBaseline) {
    const FT_Size_Metrics& m = face->size->metrics;
    EXPECT_EQ(font.lineHeight, int((m.ascender + 63) >> 6) - int(m.descender >> 6));
    EXPECT_EQ(font.lineHeight, font.ascender + font.descender);
    EXPECT_GE(font.lineHeight, 14); // readable at 800×600, and not too tall
    EXPECT_LE(font.lineHeight, 18);
    EXPECT_EQ(font.glyphs['\n'].width, 0);
    const BakedGlyph& space = font.glyphs[' '];
    for (int code = 0; code < 256; ++code) {
        SCOPED_TRACE(::testing::Message() << "code " << code);
        const BakedGlyph& g = font.glyphs[code];
        EXPECT_EQ(g.height, font.lineHeight);
        const bool blank = (code < 32 || code > 126) && code < 160;
        if (blank && code != '\n') { // no character: a blank, the space's cell
            EXPECT_FALSE(g.hasOutline);
            EXPECT_EQ(std::vector<int>({g.width, g.x, g.y}),
                      std::vector<int>({space.width, space.x, space.y}));
        }
        if (blank)
            continue;
        ASSERT_EQ(FT_Load_Char(face, code, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO), 0);
        const FT_GlyphSlot ft = face->glyph;
        const int w = int(ft->bitmap.width), rows = int(ft->bitmap.rows);
        EXPECT_TRUE(g.hasOutline);
        EXPECT_EQ(g.width, int((ft->advance.x + 32) >> 6));
        // The left bearing is kept where the ink fits the advance, else the ink moves inside;
        // the baseline is at the ascender in every cell.
        const int inkX = std::max(0, std::min(ft->bitmap_left, g.width - w));
        const int inkY = font.ascender - ft->bitmap_top;
        EXPECT_EQ(g.clippedColumns, std::max(0, w - g.width));
        EXPECT_GE(inkY, 0);
        EXPECT_LE(inkY + rows, g.height);
        for (int y = 0; y < g.height; ++y)
            for (int x = 0; x < g.width; ++x) {
                const int c = x - inkX, r = y - inkY;
                const bool ink =
                    c >= 0 && r >= 0 && c < w && r < rows &&
                    (ft->bitmap.buffer[r * ft->bitmap.pitch + c / 8] & (0x80 >> c % 8));
                const int alpha =
                    font.atlas.getLinePtr(font.atlas.getHeight() - 1 - g.y - y)[4 * (g.x + x) + 3];
                ASSERT_EQ(alpha, ink ? 255 : 0) << x << ", " << y;
            }
    }
}

TEST_F(BakedDejaVu, AtlasIsAWhitePowerOfTwoHoldingEveryCell) {
    // Ink lies only where the cells test above expects it; cells overlapping would break it.
    const int W = font.atlas.getWidth(), H = font.atlas.getHeight();
    ASSERT_EQ(font.atlas.getChannels(), 4);
    for (int size : {W, H}) { // a power of two up to 256
        EXPECT_LE(size, 256);
        EXPECT_EQ(size & (size - 1), 0) << size;
    }
    for (const BakedGlyph& g : font.glyphs) {
        EXPECT_GE(std::min(g.x, g.y), 0);
        EXPECT_LE(g.x + g.width, W);
        EXPECT_LE(g.y + g.height, H);
    }
    for (int i = 0; i < W * H; ++i)
        ASSERT_EQ(std::vector<int>(font.atlas.getLinePtr(i / W) + 4 * (i % W),
                                   font.atlas.getLinePtr(i / W) + 4 * (i % W) + 3),
                  std::vector<int>(3, 255))
            << "texel " << i;
}

TEST_F(BakedDejaVu, GlyphFileRoundTripsThroughTheEnginesReaderOnTexelEdges) {
    rvFontSet set;
    std::string error;
    ASSERT_TRUE(rvParseGlyphText(glyphFileText(font), &set, &error)) << error;
    const float W = float(font.atlas.getWidth()), H = float(font.atlas.getHeight());
    for (int code = 0; code < 256; ++code) {
        const BakedGlyph& b = font.glyphs[code];
        const rvGlyph& g = set.glyphs[code];
        EXPECT_EQ(std::vector<float>({float(g.width), float(g.height), g.uvs[0][0] * W,
                                      g.uvs[0][1] * H, g.uvs[2][0] * W, g.uvs[2][1] * H}),
                  std::vector<float>({float(b.width), float(b.height), float(b.x), float(b.y),
                                      float(b.x + b.width), float(b.y + b.height)}))
            << "code " << code;
    }
}

TEST(FontBaking, AMissingFileOrAnAtlasTooNarrowIsRefusedWithAReason) {
    FontBakeOptions narrow;
    narrow.atlasWidth = 8; // narrower than 'W'
    BakedFont font;
    std::string error;
    EXPECT_FALSE(bakeFont("/nonexistent/NoSuchFont.ttf", FontBakeOptions(), &font, &error));
    EXPECT_NE(error.find("/nonexistent/NoSuchFont.ttf"), std::string::npos) << error;
    EXPECT_FALSE(bakeFont(findDejaVuFont().c_str(), narrow, &font, &error));
    EXPECT_NE(error.find("wider than the texture"), std::string::npos) << error;
}
