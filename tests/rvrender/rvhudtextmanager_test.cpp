#include "rvhudtextmanager.h"

#include <unistd.h>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "recordingmesh.h"
#include "rvmessage.h"
#include "stubrender.h"

namespace {

std::vector<std::pair<std::string, std::string>> gMessages;
const rvMessageHandler recordMessage = [](const char* text, const char* caption) {
    gMessages.emplace_back(text, caption);
};

// Glyph c is (c % 23 + 1) x (c % 7 + 9) pixels in cell (c % 16, c / 16) of a 16 x 16 atlas, so
// 'A' is 20 x 11 with uvs 0.0625..0.125 x 0.25..0.3125, 'B' 21 x 12, the newline glyph 11 x 12.
std::string glyphLine(int c) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "%d %d %g %g %g %g", c % 23 + 1, c % 7 + 9, c % 16 / 16.0,
                  c / 16 / 16.0, (c % 16 + 1) / 16.0, (c / 16 + 1) / 16.0);
    return buf;
}

// The three header lines, then the first `lines` glyph lines; code 5's line gets `tail5`.
std::string glyphText(int lines, const std::string& eol = "\n", const std::string& tail5 = "") {
    std::string text = "brindle glyph file" + eol + "font: test" + eol + "w h u0 v0 u1 v1" + eol;
    for (int c = 0; c < lines; ++c)
        text += glyphLine(c) + (c == 5 ? tail5 : "") + eol;
    return text;
}

// Size, corners (0, 0), (w, 0), (w, -h), (0, -h) and uvs (u0, v0), (u1, v0), (u1, v1), (u0, v1).
// All values used here are exact in binary, or parse to the same float as the literal.
void expectGlyph(const rvGlyph& g, int w, int h, float u0, float v0, float u1, float v1) {
    EXPECT_EQ(g.width, w);
    EXPECT_EQ(g.height, h);
    const float x[4] = {0, float(w), float(w), 0}, y[4] = {0, 0, -float(h), -float(h)};
    const float u[4] = {u0, u1, u1, u0}, v[4] = {v0, v0, v1, v1};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ((std::vector<float>{g.corners[i].x, g.corners[i].y, g.corners[i].z}),
                  (std::vector<float>{x[i], y[i], 0}))
            << "corner " << i;
        EXPECT_EQ((std::vector<float>{g.uvs[i][0], g.uvs[i][1]}), (std::vector<float>{u[i], v[i]}))
            << "corner " << i;
    }
}

void expectGlyphOfCode(const rvGlyph& g, int c) {
    SCOPED_TRACE(c); // a failure names the code
    expectGlyph(g, c % 23 + 1, c % 7 + 9, c % 16 / 16.f, c / 16 / 16.f, (c % 16 + 1) / 16.f,
                (c / 16 + 1) / 16.f);
}

// Hands out meshes that count their destruction.
int gMeshesDestroyed = 0;
struct CountingMesh : RecordingMesh {
    using RecordingMesh::RecordingMesh;
    ~CountingMesh() override { ++gMeshesDestroyed; }
};
struct CountingRender : StubRender {
    rvMesh* createMesh(rvMesh** out, int type) override {
        rvMesh* mesh = new CountingMesh(type);
        return out ? *out = mesh : mesh;
    }
};

// Captures the messages shown and writes glyph files; the font "fonts/hud.bmp" (handle 0) is
// loaded from a complete glyph file.
class HUDText : public ::testing::Test {
protected:
    void SetUp() override {
        gMessages.clear();
        rvSetMessageHandler(recordMessage);
        textures.init(nullptr);
        gTextureManager = &textures;
        hud->setRenderer(&render);
        ASSERT_EQ(hud->loadFontSet("fonts/hud.bmp", write("font.gtft", glyphText(256)).c_str()), 0);
    }
    void TearDown() override {
        gTextureManager = nullptr;
        rvSetMessageHandler(nullptr);
        for (const std::string& f : mFiles)
            std::remove(f.c_str());
    }
    std::string write(const std::string& name, const std::string& text) {
        mFiles.push_back(::testing::TempDir() + std::to_string(getpid()) + "_" + "rvhud_" + name);
        std::ofstream(mFiles.back(), std::ios::binary) << text;
        return mFiles.back();
    }
    RecordingMesh* add(const char* text, float x = 10, float y = 20, float scale = 1) {
        const int index = hud->addString(text, x, y, 2, 1, 0.5f, 0.25f, 0.125f, scale, 0);
        return static_cast<RecordingMesh*>(hud->getString(index));
    }

    std::vector<std::string> mFiles;
    FakeTextureManager textures;
    CountingRender render;
    std::optional<StubHUDTextManager> hud{std::in_place}; // resettable, to see what it frees
};

TEST(GlyphLine, FieldsFollowTheExactCuttingRules) {
    const std::tuple<const char*, int, int, float, float, float, float> cases[] = {
        {"8 12 0.0 0.0 0.03125 0.046875", 8, 12, 0, 0, 0.03125f, 0.046875f},
        {"8 12 0.0 0.0 0.03125 0.046875\r\n", 8, 12, 0, 0, 0.03125f, 0.046875f},
        {"8  12 0.25 0.5 0.75", 8, 0, 12, 0.25f, 0.5f, 0.75f}, // empty field shifts the rest
        // Cut after 10 characters; the 11th is taken as the separator.
        {"8 12 0.123456789 0.5 0.25 0.75", 8, 12, 0.12345678f, 0, 0.5f, 0.25f},
        {"8 12 0.1234567891 0.5 0.25 0.75", 8, 12, 0.12345678f, 1, 0.5f, 0.25f},
        {"8 12 0 0 0.5 0.25 trailing words", 8, 12, 0, 0, 0.5f, 0.25f},
        {"wide tall left top right bottom", 0, 0, 0, 0, 0, 0},
        {"8 12\n9 9 9 9", 8, 12, 0, 0, 0, 0}, // a line ending early leaves the rest 0
        {"9999999999 -999999999 0 0 0 0", INT_MAX, -999999999, 0, 0, 0, 0},
    };
    for (const auto& [line, w, h, u0, v0, u1, v1] : cases) {
        SCOPED_TRACE(line);
        rvGlyph g;
        std::memset(static_cast<void*>(&g), 0x7f, sizeof g); // every field must be set
        rvParseGlyphLine(line, &g);
        expectGlyph(g, w, h, u0, v0, u1, v1);
    }
}

TEST(GlyphText, LinesAfterTheHeaderDescribeTheCodesInOrder) {
    const std::string lf = glyphText(256);
    // Later lines ignored; CR LF; no final line feed; lines longer than the line buffer (the
    // first header line and code 5's line) still count as one line each.
    const std::string texts[] = {
        lf + "0 0 0 0 0 0\nmore\n", glyphText(256, "\r\n"), lf.substr(0, lf.size() - 1),
        std::string(400, '#') + glyphText(256, "\r\n", " " + std::string(300, 'x'))};
    for (const std::string& text : texts) {
        SCOPED_TRACE(&text - texts);
        rvFontSet font{};
        ASSERT_TRUE(rvParseGlyphText(text, &font, nullptr)); // the error text is optional
        for (int c = 0; c < 256; ++c)
            expectGlyphOfCode(font.glyphs[c], c);
    }
}

TEST_F(HUDText, FontSetsGetHandlesInLoadOrderAndBadGlyphFilesAreReportedOnce) {
    EXPECT_EQ(hud->loadFontSet("fonts/b.bmp", write("b.gtft", glyphText(256, "\r\n")).c_str()), 1);
    EXPECT_STREQ(hud->getFontSet(1)->textureFileName, "fonts/b.bmp");
    expectGlyphOfCode(hud->getFontSet(1)->glyphs[200], 200);
    EXPECT_TRUE(gMessages.empty());
    // A glyph file ending early (in the header, or after 10 glyph lines) or missing: one
    // message, the font set is still added, and the glyphs read so far are kept.
    const std::string missing =
        ::testing::TempDir() + std::to_string(getpid()) + "_" + "rvhud_missing.gtft";
    const std::pair<std::string, std::string> cases[] = {
        {write("header.gtft", "one\ntwo\n"), "Abnormal end of UV file"},
        {write("short.gtft", glyphText(10)), "Abnormal end of UV file"},
        {missing, "Unable to Open UV File: " + missing}};
    for (int i = 0; i < 3; ++i) {
        gMessages.clear();
        EXPECT_EQ(hud->loadFontSet("fonts/a.bmp", cases[i].first.c_str()), i + 2);
        EXPECT_EQ(gMessages, decltype(gMessages)({{cases[i].second, "IO Error"}}));
    }
    expectGlyphOfCode(hud->getFontSet(3)->glyphs[9], 9);
    for (int c = 10; c < 256; ++c)
        expectGlyph(hud->getFontSet(3)->glyphs[c], 0, 0, 0, 0, 0, 0);
    expectGlyph(hud->getFontSet(4)->glyphs[0], 0, 0, 0, 0, 0, 0);
    EXPECT_TRUE(hud->loadDefaultFontSet()); // true even where the font is missing
    EXPECT_STREQ(hud->getFontSet(5)->textureFileName, "fonts/textImageDungeon.bmp");
    EXPECT_EQ(hud->getFontSet(6), nullptr);
    EXPECT_EQ(hud->getFontSet(-1), nullptr);
}

TEST_F(HUDText, GlyphsAreLaidOutAsTwoTrianglesEachAlongThePen) {
    RecordingMesh* m = add("AB");
    // Corners 0, 3, 2, 2, 1, 0 of A at the pen (10, 20), then of B one A width further.
    const std::vector<float> positions = {10, 20, 0, 10, 9,  0, 30, 9,  0, 30, 9,  0,
                                          30, 20, 0, 10, 20, 0, 30, 20, 0, 30, 8,  0,
                                          51, 8,  0, 51, 8,  0, 51, 20, 0, 30, 20, 0};
    const std::vector<float> uvsOfA = {0.0625f, 0.25f,   0.0625f, 0.3125f, 0.125f,  0.3125f,
                                       0.125f,  0.3125f, 0.125f,  0.25f,   0.0625f, 0.25f};
    EXPECT_EQ(m->positions, positions);
    ASSERT_EQ(m->uvs.size(), 24u);
    EXPECT_EQ(std::vector<float>(m->uvs.begin(), m->uvs.begin() + 12), uvsOfA);
    // Every vertex has the colour a, r, g, b = 1, 0.5, 0.25, 0.125.
    ASSERT_EQ(m->colors.size(), 48u);
    for (std::size_t i = 0; i < 48; ++i)
        EXPECT_EQ(m->colors[i], 1.0f / float(1 << (i % 4))) << i;
    EXPECT_EQ(m->getPrimitiveType(), kTriangleList);

    // A newline returns to x and steps down by the newline glyph's height less the spacing,
    // unscaled; the scale applies to the glyphs.
    m = add("A\nB", 10, 20, 2);
    ASSERT_EQ(m->positions.size(), 36u);
    const auto xy = [&m](int v) { return std::pair(m->positions[3 * v], m->positions[3 * v + 1]); };
    EXPECT_EQ(xy(2), std::pair(10.0f + 40, 20.0f - 22)); // A's bottom-right, doubled
    EXPECT_EQ(xy(6), std::pair(10.0f, 20.0f - (12 - 2)));
    EXPECT_EQ(xy(8), std::pair(10.0f + 42, 10.0f - 24));
    m = add("\xC9"); // code 201, 18 x 14: bytes are unsigned
    ASSERT_EQ(m->positions.size(), 18u);
    EXPECT_EQ(xy(2), std::pair(10.0f + 18, 20.0f - 14));
    for (const char* text : {"", "\n\n"}) { // no glyphs: still a mesh, with the font texture
        m = add(text);
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(m->getVertexCount(), 0);
        EXPECT_TRUE(m->uvs.empty());
        EXPECT_STREQ(m->getTexture()->name, "fonts/hud.bmp");
    }
}

TEST_F(HUDText, SetStringReplacesOnlyItsIndexAndTheManagerDeletesWhatItOwns) {
    add("A");
    rvMesh* second = add("B");
    gMeshesDestroyed = 0;
    ASSERT_TRUE(hud->setString(0, "BB", 50, 60, 0, 1, 1, 1, 1, 1, 0));
    EXPECT_EQ(gMeshesDestroyed, 1); // the replaced string
    EXPECT_EQ(hud->getStringCount(), 2);
    EXPECT_EQ(hud->getString(1), second);
    auto* first = static_cast<RecordingMesh*>(hud->getString(0));
    ASSERT_EQ(first->positions.size(), 36u);
    EXPECT_EQ(std::pair(first->positions[0], first->positions[1]), std::pair(50.f, 60.f));
    hud.reset();
    EXPECT_EQ(gMeshesDestroyed, 3);
}

TEST_F(HUDText, StringsAreDrawnWithTheirFontTextureWhichIsThenUnbound) {
    rvMesh* a = add("A");
    rvMesh* b = add("B");
    ASSERT_TRUE(hud->drawStrings());
    EXPECT_EQ(render.drawnMeshes, (std::vector<rvMesh*>{a, b}));
    EXPECT_EQ(render.boundTextures,
              (std::vector<rvTexture*>{a->getTexture(), b->getTexture(), nullptr}));
    ASSERT_TRUE(hud->drawString(1));
    EXPECT_EQ(render.drawnMeshes.back(), b);
    EXPECT_EQ(render.boundTextures.back(), nullptr);
    EXPECT_EQ(hud->addString("C", 0, 0, 0, 1, 1, 1, 1, 1, 0), 2);
}

} // namespace
