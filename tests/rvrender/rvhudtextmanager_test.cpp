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

using Floats = std::vector<float>;
using Messages = std::vector<std::pair<std::string, std::string>>;

Messages gMessages;
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

// A glyph as its width, its height, then each corner's x, y, z, u and v.
using GlyphValues = std::tuple<int, int, Floats>;
GlyphValues values(const rvGlyph& g) {
    Floats v;
    for (int i = 0; i < 4; ++i)
        v.insert(v.end(),
                 {g.corners[i].x, g.corners[i].y, g.corners[i].z, g.uvs[i][0], g.uvs[i][1]});
    return {g.width, g.height, v};
}

// What the fields "w h u0 v0 u1 v1" describe: corners (0, 0), (w, 0), (w, -h), (0, -h) with uvs
// (u0, v0), (u1, v0), (u1, v1), (u0, v1). All values used here are exact in binary, or parse to
// the same float as the literal.
GlyphValues described(int w, int h, float u0, float v0, float u1, float v1) {
    const float x = float(w), y = -float(h);
    return {w, h, {0, 0, 0, u0, v0, x, 0, 0, u1, v0, x, y, 0, u1, v1, 0, y, 0, u0, v1}};
}

GlyphValues describedByGlyphLine(int c) {
    return described(c % 23 + 1, c % 7 + 9, c % 16 / 16.f, c / 16 / 16.f, (c % 16 + 1) / 16.f,
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
    static std::string path(const std::string& name) {
        return ::testing::TempDir() + std::to_string(getpid()) + "_rvhud_" + name;
    }
    std::string write(const std::string& name, const std::string& text) {
        mFiles.push_back(path(name));
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
        rvGlyph g;
        std::memset(static_cast<void*>(&g), 0x7f, sizeof g); // every field must be set
        rvParseGlyphLine(line, &g);
        EXPECT_EQ(values(g), described(w, h, u0, v0, u1, v1)) << line;
    }
}

// Each glyph file gives a font set, handles in load order. The lines after the header describe
// codes 0…255 in order: later lines are ignored; CR LF; no final line feed; lines longer than
// the line buffer (the first header line and code 5's line) still count as one line each. A
// file ending early (in the header, or after 10 glyph lines) or missing: one message, and the
// font set is still added with the glyphs read so far (the others zero).
TEST_F(HUDText, GlyphFilesDescribeTheCodesInOrderAndBadOnesAreReportedOnce) {
    const std::string lf = glyphText(256), missing = path("missing.gtft");
    const std::string ended = "Abnormal end of UV file";
    const std::tuple<std::string, int, std::string> cases[] = {
        {write("later.gtft", lf + "0 0 0 0 0 0\nmore\n"), 256, ""},
        {write("crlf.gtft", glyphText(256, "\r\n")), 256, ""},
        {write("unended.gtft", lf.substr(0, lf.size() - 1)), 256, ""},
        {write("long.gtft",
               std::string(400, '#') + glyphText(256, "\r\n", " " + std::string(300, 'x'))),
         256, ""},
        {write("header.gtft", "one\ntwo\n"), 0, ended},
        {write("short.gtft", glyphText(10)), 10, ended},
        {missing, 0, "Unable to Open UV File: " + missing}};
    int handle = 0;
    for (const auto& [file, glyphs, message] : cases) {
        SCOPED_TRACE(file);
        gMessages.clear();
        ASSERT_EQ(hud->loadFontSet("fonts/a.bmp", file.c_str()), ++handle);
        EXPECT_STREQ(hud->getFontSet(handle)->textureFileName, "fonts/a.bmp");
        for (int c = 0; c < 256; ++c)
            EXPECT_EQ(values(hud->getFontSet(handle)->glyphs[c]),
                      c < glyphs ? describedByGlyphLine(c) : described(0, 0, 0, 0, 0, 0))
                << c;
        EXPECT_EQ(gMessages, (message.empty() ? Messages{} : Messages{{message, "IO Error"}}));
    }
}

TEST_F(HUDText, GlyphsAreLaidOutAsTwoTrianglesEachAlongThePen) {
    RecordingMesh* m = add("AB");
    // Corners 0, 3, 2, 2, 1, 0 of A at the pen (10, 20), then of B one A width further.
    EXPECT_EQ(m->positions,
              (Floats{10, 20, 0, 10, 9, 0, 30, 9, 0, 30, 9, 0, 30, 20, 0, 10, 20, 0,
                      30, 20, 0, 30, 8, 0, 51, 8, 0, 51, 8, 0, 51, 20, 0, 30, 20, 0}));
    EXPECT_EQ(m->uvs,
              (Floats{0.0625f, 0.25f,   0.0625f, 0.3125f, 0.125f,  0.3125f, 0.125f, 0.3125f,
                      0.125f,  0.25f,   0.0625f, 0.25f,   0.125f,  0.25f,   0.125f, 0.3125f,
                      0.1875f, 0.3125f, 0.1875f, 0.3125f, 0.1875f, 0.25f,   0.125f, 0.25f}));
    Floats argb; // the colour a, r, g, b = 1, 0.5, 0.25, 0.125 on every vertex
    for (int v = 0; v < 12; ++v)
        argb.insert(argb.end(), {1, 0.5f, 0.25f, 0.125f});
    EXPECT_EQ(m->colors, argb);
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
}

} // namespace
