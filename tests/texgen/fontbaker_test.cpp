#include "fontbaker.h"

#include <algorithm>
#include <memory>
#include <sstream>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H
#include <gtest/gtest.h>

#include "rvhudtextmanager.h"

using namespace texgen;

namespace {

// FreeType's own rendering of one code at the baker's settings, to compare against.
struct Reference {
    bool present = false;
    int advance = 0, left = 0, top = 0, width = 0, rows = 0;
    std::vector<int> coverage; // 0 or 255 in monochrome
};

class FreeTypeReference {
public:
    FreeTypeReference(const std::string& path, int pixelSize) {
        if (FT_Init_FreeType(&mLibrary) == 0 &&
            FT_New_Face(mLibrary, path.c_str(), 0, &mFace) == 0) {
            FT_Set_Pixel_Sizes(mFace, 0, pixelSize);
        }
    }
    ~FreeTypeReference() {
        if (mFace) {
            FT_Done_Face(mFace);
        }
        if (mLibrary) {
            FT_Done_FreeType(mLibrary);
        }
    }
    bool ok() const { return mFace != nullptr; }
    Reference render(int code) const {
        Reference r;
        const FT_UInt index = FT_Get_Char_Index(mFace, code);
        if (index == 0 || FT_Load_Glyph(mFace, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0) {
            return r;
        }
        const FT_GlyphSlot g = mFace->glyph;
        r.present = true;
        r.advance = static_cast<int>((g->advance.x + 32) >> 6);
        r.left = g->bitmap_left;
        r.top = g->bitmap_top;
        r.width = static_cast<int>(g->bitmap.width);
        r.rows = static_cast<int>(g->bitmap.rows);
        for (int y = 0; y < r.rows; ++y) {
            for (int x = 0; x < r.width; ++x) {
                const unsigned char byte = g->bitmap.buffer[y * g->bitmap.pitch + x / 8];
                r.coverage.push_back((byte & (0x80 >> (x % 8))) ? 255 : 0);
            }
        }
        return r;
    }

private:
    FT_Library mLibrary = nullptr;
    FT_Face mFace = nullptr;
};

bool isPrintable(int code) {
    return (code >= 32 && code <= 126) || code >= 160;
}

int alphaAt(const CImage& atlas, int x, int y) {
    return atlas.getLinePtr(atlas.getHeight() - 1 - y)[x * 4 + 3];
}

bool isPowerOfTwo(int n) {
    return n > 0 && (n & (n - 1)) == 0;
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

} // namespace

class BakedDejaVu : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        fontPath = findDejaVuFont();
        ASSERT_FALSE(fontPath.empty()) << "install Debian's fonts-dejavu-core";
        font = std::make_unique<BakedFont>();
        std::string error;
        ASSERT_TRUE(bakeFont(fontPath.c_str(), FontBakeOptions(), font.get(), &error)) << error;
    }
    static void TearDownTestSuite() { font.reset(); }
    void SetUp() override { ASSERT_TRUE(font) << "the font could not be baked"; }

    static std::string fontPath;
    static std::unique_ptr<BakedFont> font;
};
std::string BakedDejaVu::fontPath;
std::unique_ptr<BakedFont> BakedDejaVu::font;

TEST_F(BakedDejaVu, LineHeightIsAscenderPlusDescenderAndReadsWellAt800x600) {
    EXPECT_EQ(font->lineHeight, font->ascender + font->descender);
    EXPECT_GE(font->lineHeight, 14);
    EXPECT_LE(font->lineHeight, 18);
    EXPECT_GT(font->descender, 0);
    EXPECT_EQ(font->familyName.rfind("DejaVu", 0), 0u);
}

TEST_F(BakedDejaVu, EveryCellIsOneLineHigh) {
    for (int code = 0; code < 256; ++code) {
        EXPECT_EQ(font->glyphs[code].height, font->lineHeight) << "code " << code;
    }
}

TEST_F(BakedDejaVu, PrintableCodesAdvanceAsFreeTypeSays) {
    const FreeTypeReference ft(fontPath, FontBakeOptions().pixelSize);
    ASSERT_TRUE(ft.ok());
    int checked = 0;
    for (int code = 0; code < 256; ++code) {
        if (!isPrintable(code)) {
            continue;
        }
        const Reference r = ft.render(code);
        ASSERT_TRUE(r.present) << "DejaVu covers Latin-1; code " << code;
        EXPECT_TRUE(font->glyphs[code].hasOutline) << "code " << code;
        EXPECT_EQ(font->glyphs[code].width, r.advance) << "code " << code;
        ++checked;
    }
    EXPECT_EQ(checked, 95 + 96);
}

TEST_F(BakedDejaVu, NewlineHasNoWidthAndTheLineHeight) {
    EXPECT_EQ(font->glyphs['\n'].width, 0);
    EXPECT_EQ(font->glyphs['\n'].height, font->lineHeight);
}

TEST_F(BakedDejaVu, CodesWithoutAGlyphAreBlankSpaces) {
    const BakedGlyph& space = font->glyphs[' '];
    EXPECT_GT(space.width, 0);
    for (int code = 0; code < 256; ++code) {
        if (isPrintable(code) || code == '\n') {
            continue;
        }
        const BakedGlyph& g = font->glyphs[code];
        EXPECT_FALSE(g.hasOutline) << "code " << code;
        EXPECT_EQ(g.width, space.width) << "code " << code;
        EXPECT_EQ(g.x, space.x) << "code " << code;
        EXPECT_EQ(g.y, space.y) << "code " << code;
    }
    // The space's own cell is empty, so blanks draw nothing.
    for (int y = space.y; y < space.y + space.height; ++y) {
        for (int x = space.x; x < space.x + space.width; ++x) {
            ASSERT_EQ(alphaAt(font->atlas, x, y), 0);
        }
    }
}

TEST_F(BakedDejaVu, AtlasIsWhiteWithCoverageInAlpha) {
    const CImage& atlas = font->atlas;
    ASSERT_EQ(atlas.getChannels(), 4);
    EXPECT_TRUE(isPowerOfTwo(atlas.getWidth()));
    EXPECT_TRUE(isPowerOfTwo(atlas.getHeight()));
    EXPECT_LE(atlas.getWidth(), 256);
    EXPECT_LE(atlas.getHeight(), 256);
    int inked = 0;
    for (int line = 0; line < atlas.getHeight(); ++line) {
        const std::uint8_t* p = atlas.getLinePtr(line);
        for (int x = 0; x < atlas.getWidth(); ++x) {
            ASSERT_EQ(p[x * 4], 255);
            ASSERT_EQ(p[x * 4 + 1], 255);
            ASSERT_EQ(p[x * 4 + 2], 255);
            // Monochrome glyphs: fully in or fully out, for the HUD's alpha test.
            ASSERT_TRUE(p[x * 4 + 3] == 0 || p[x * 4 + 3] == 255);
            inked += p[x * 4 + 3] ? 1 : 0;
        }
    }
    EXPECT_GT(inked, 1000);
}

TEST_F(BakedDejaVu, CellsLieInsideTheAtlasAndNeverOverlap) {
    std::vector<int> owner(font->atlas.getWidth() * font->atlas.getHeight(), -1);
    for (int code = 0; code < 256; ++code) {
        const BakedGlyph& g = font->glyphs[code];
        if (!g.hasOutline) {
            continue;
        }
        ASSERT_GE(g.x, 0);
        ASSERT_GE(g.y, 0);
        ASSERT_LE(g.x + g.width, font->atlas.getWidth()) << "code " << code;
        ASSERT_LE(g.y + g.height, font->atlas.getHeight()) << "code " << code;
        for (int y = g.y; y < g.y + g.height; ++y) {
            for (int x = g.x; x < g.x + g.width; ++x) {
                int& o = owner[y * font->atlas.getWidth() + x];
                ASSERT_EQ(o, -1) << "codes " << o << " and " << code << " share texel " << x << ", "
                                 << y;
                o = code;
            }
        }
    }
    // Ink only inside cells: nothing a neighbour's quad could pick up.
    for (int y = 0; y < font->atlas.getHeight(); ++y) {
        for (int x = 0; x < font->atlas.getWidth(); ++x) {
            if (owner[y * font->atlas.getWidth() + x] < 0) {
                ASSERT_EQ(alphaAt(font->atlas, x, y), 0) << x << ", " << y;
            }
        }
    }
}

TEST_F(BakedDejaVu, EachCellHoldsFreeTypesGlyphOnTheBaseline) {
    const FreeTypeReference ft(fontPath, FontBakeOptions().pixelSize);
    ASSERT_TRUE(ft.ok());
    int clipped = 0;
    for (int code = 0; code < 256; ++code) {
        if (!isPrintable(code)) {
            continue;
        }
        const BakedGlyph& g = font->glyphs[code];
        const Reference r = ft.render(code);
        // The left bearing is kept where the ink fits the advance, else the ink moves inside.
        const int inkX = std::max(0, std::min(r.left, g.width - r.width));
        const int inkY = font->ascender - r.top; // baseline at the ascender for every cell
        clipped += g.clippedColumns > 0 ? 1 : 0;
        EXPECT_EQ(g.clippedColumns, std::max(0, r.width - g.width)) << "code " << code;
        int expectedInk = 0, foundInk = 0;
        for (int y = 0; y < g.height; ++y) {
            for (int x = 0; x < g.width; ++x) {
                const int rx = x - inkX, ry = y - inkY;
                const int want = rx >= 0 && ry >= 0 && rx < r.width && ry < r.rows
                                     ? r.coverage[ry * r.width + rx]
                                     : 0;
                ASSERT_EQ(alphaAt(font->atlas, g.x + x, g.y + y), want)
                    << "code " << code << " at " << x << ", " << y;
                expectedInk += want ? 1 : 0;
                foundInk += alphaAt(font->atlas, g.x + x, g.y + y) ? 1 : 0;
            }
        }
        EXPECT_EQ(foundInk, expectedInk);
        // Nothing of the glyph falls outside the cell vertically.
        EXPECT_GE(inkY, 0) << "code " << code;
        EXPECT_LE(inkY + r.rows, g.height) << "code " << code;
    }
    EXPECT_LE(clipped, 4); // a few accented capitals wider than their advance, at most
}

TEST_F(BakedDejaVu, GlyphFileHasTheHeaderAnd256ParseableLines) {
    const std::vector<std::string> lines = splitLines(glyphFileText(*font));
    ASSERT_EQ(lines.size(), 259u);
    for (const std::string& line : lines) {
        EXPECT_LT(line.size(), 256u);
    }
    for (int code = 0; code < 256; ++code) {
        const std::string& line = lines[3 + code];
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (std::size_t end; (end = line.find(' ', start)) != std::string::npos; start = end + 1) {
            fields.push_back(line.substr(start, end - start));
        }
        fields.push_back(line.substr(start));
        ASSERT_EQ(fields.size(), 6u) << "code " << code << ": " << line;
        for (const std::string& f : fields) {
            EXPECT_FALSE(f.empty()) << "code " << code;
            EXPECT_LE(f.size(), 10u) << "code " << code << ": " << f;
        }
    }
}

TEST_F(BakedDejaVu, GlyphFileRoundTripsThroughTheEnginesReaderOnTexelEdges) {
    rvFontSet set;
    std::string error;
    ASSERT_TRUE(rvParseGlyphText(glyphFileText(*font), &set, &error)) << error;
    const float W = static_cast<float>(font->atlas.getWidth());
    const float H = static_cast<float>(font->atlas.getHeight());
    for (int code = 0; code < 256; ++code) {
        const BakedGlyph& b = font->glyphs[code];
        const rvGlyph& g = set.glyphs[code];
        EXPECT_EQ(g.width, b.width) << "code " << code;
        EXPECT_EQ(g.height, b.height) << "code " << code;
        // Exactly on texel edges: nearest filtering at scale 1 then hits texel centres.
        EXPECT_EQ(g.uvs[0][0] * W, static_cast<float>(b.x)) << "code " << code;
        EXPECT_EQ(g.uvs[0][1] * H, static_cast<float>(b.y)) << "code " << code;
        EXPECT_EQ(g.uvs[2][0] * W, static_cast<float>(b.x + b.width)) << "code " << code;
        EXPECT_EQ(g.uvs[2][1] * H, static_cast<float>(b.y + b.height)) << "code " << code;
    }
}

TEST(FontBaking, AntialiasedBakingKeepsPartialCoverage) {
    const std::string path = findDejaVuFont();
    ASSERT_FALSE(path.empty());
    FontBakeOptions options;
    options.monochrome = false;
    BakedFont font;
    std::string error;
    ASSERT_TRUE(bakeFont(path.c_str(), options, &font, &error)) << error;
    int partial = 0;
    for (int line = 0; line < font.atlas.getHeight(); ++line) {
        const std::uint8_t* p = font.atlas.getLinePtr(line);
        for (int x = 0; x < font.atlas.getWidth(); ++x) {
            partial += p[x * 4 + 3] > 0 && p[x * 4 + 3] < 255 ? 1 : 0;
        }
    }
    EXPECT_GT(partial, 500);
}

TEST(FontBaking, AMissingFontFileIsReportedByName) {
    BakedFont font;
    std::string error;
    EXPECT_FALSE(bakeFont("/nonexistent/NoSuchFont.ttf", FontBakeOptions(), &font, &error));
    EXPECT_NE(error.find("/nonexistent/NoSuchFont.ttf"), std::string::npos) << error;
}

TEST(FontBaking, AnAtlasTooNarrowForAGlyphIsRefused) {
    const std::string path = findDejaVuFont();
    ASSERT_FALSE(path.empty());
    FontBakeOptions options;
    options.atlasWidth = 8; // narrower than 'W' and its padding
    BakedFont font;
    std::string error;
    EXPECT_FALSE(bakeFont(path.c_str(), options, &font, &error));
    EXPECT_FALSE(error.empty());
}
