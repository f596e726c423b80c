#include "rvhudtextmanager.h"

#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "recordingmesh.h"
#include "rvmessage.h"
#include "stubrender.h"

namespace fs = std::filesystem;

namespace {

// ---- helpers --------------------------------------------------------------------------------

std::vector<std::pair<std::string, std::string>> gMessages;
void recordMessage(const char* text, const char* caption) {
    gMessages.emplace_back(text, caption);
}

const char* kHeader = "brindle glyph file\nfont: test\nwidth height u0 v0 u1 v1\n";

// A glyph line whose values identify the code: width c % 23 + 1, height c % 7 + 9,
// u0 = c / 256, v0 = c / 512, u1 = u0 + 1/64, v1 = v0 + 1/32.
std::string glyphLine(int c) {
    char buf[128];
    std::snprintf(buf, sizeof(buf), "%d %d %.6f %.6f %.6f %.6f", c % 23 + 1, c % 7 + 9, c / 256.0,
                  c / 512.0, c / 256.0 + 1.0 / 64, c / 512.0 + 1.0 / 32);
    return buf;
}

std::string glyphText(int lines, const char* eol = "\n") {
    std::string text;
    for (const char* p = kHeader; *p; ++p) {
        if (*p == '\n') {
            text += eol;
        } else {
            text += *p;
        }
    }
    for (int c = 0; c < lines; ++c) {
        text += glyphLine(c) + eol;
    }
    return text;
}

void expectGlyphOfCode(const rvGlyph& g, int c) {
    const float w = static_cast<float>(c % 23 + 1);
    const float h = static_cast<float>(c % 7 + 9);
    EXPECT_EQ(g.width, c % 23 + 1) << "code " << c;
    EXPECT_EQ(g.height, c % 7 + 9) << "code " << c;
    EXPECT_FLOAT_EQ(g.corners[2].x, w);
    EXPECT_FLOAT_EQ(g.corners[2].y, -h);
    EXPECT_NEAR(g.uvs[0][0], c / 256.0, 1e-6) << "code " << c;
    EXPECT_NEAR(g.uvs[2][1], c / 512.0 + 1.0 / 32, 1e-6) << "code " << c;
}

bool glyphIsZero(const rvGlyph& g) {
    if (g.width != 0 || g.height != 0) {
        return false;
    }
    for (int i = 0; i < 4; ++i) {
        if (g.corners[i].x != 0 || g.corners[i].y != 0 || g.corners[i].z != 0 || g.uvs[i][0] != 0 ||
            g.uvs[i][1] != 0) {
            return false;
        }
    }
    return true;
}

void expectSameGlyph(const rvGlyph& a, const rvGlyph& b) {
    EXPECT_EQ(a.width, b.width);
    EXPECT_EQ(a.height, b.height);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(a.corners[i].x, b.corners[i].x);
        EXPECT_EQ(a.corners[i].y, b.corners[i].y);
        EXPECT_EQ(a.uvs[i][0], b.uvs[i][0]);
        EXPECT_EQ(a.uvs[i][1], b.uvs[i][1]);
    }
}

rvGlyph parse(const char* line) {
    rvGlyph g{};
    rvParseGlyphLine(line, &g);
    return g;
}

// Writes files into a directory of its own and captures the messages shown meanwhile.
class GlyphFiles : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        mDir = fs::path(::testing::TempDir()) /
               (std::string("rvhud_") + info->test_suite_name() + "_" + info->name());
        fs::remove_all(mDir);
        fs::create_directories(mDir);
        gMessages.clear();
        mPrevious = rvSetMessageHandler(recordMessage);
    }
    void TearDown() override {
        rvSetMessageHandler(mPrevious);
        fs::remove_all(mDir);
    }
    std::string write(const std::string& name, const std::string& content) {
        const fs::path path = mDir / name;
        std::ofstream out(path, std::ios::binary);
        out << content;
        return path.string();
    }

    fs::path mDir;
    rvMessageHandler mPrevious = nullptr;
};

// The HUD text operations the way a back end builds them on the base class.
class TestHUD : public rvHUDTextManager {
public:
    int addString(const char* text, float x, float y, float lineSpacing, float a, float r, float g,
                  float b, float scale, int fHandle) override {
        return appendString(buildStringMesh(text, x, y, lineSpacing, a, r, g, b, scale, fHandle));
    }
    bool setString(int index, const char* text, float x, float y, float lineSpacing, float a,
                   float r, float g, float b, float scale, int fHandle) override {
        replaceString(index, buildStringMesh(text, x, y, lineSpacing, a, r, g, b, scale, fHandle));
        return true;
    }
    bool drawString(int) override { return true; }
    bool drawStrings() override { return true; }

    using rvHUDTextManager::buildStringMesh;
};

// Counts destroyed meshes, to see that the manager frees what it owns.
int gMeshesDestroyed = 0;
class CountingMesh : public RecordingMesh {
public:
    using RecordingMesh::RecordingMesh;
    ~CountingMesh() override { ++gMeshesDestroyed; }
};
class CountingRender : public StubRender {
public:
    rvMesh* createMesh(rvMesh** out, int type) override {
        *out = new CountingMesh(type);
        return *out;
    }
};

// ---- glyph lines ----------------------------------------------------------------------------

TEST(GlyphLine, ReadsSizeCornersAndUVs) {
    const rvGlyph g = parse("8 12 0.0 0.0 0.03125 0.046875");
    EXPECT_EQ(g.width, 8);
    EXPECT_EQ(g.height, 12);
    const float corners[4][3] = {{0, 0, 0}, {8, 0, 0}, {8, -12, 0}, {0, -12, 0}};
    const float uvs[4][2] = {{0, 0}, {0.03125f, 0}, {0.03125f, 0.046875f}, {0, 0.046875f}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(g.corners[i].x, corners[i][0]) << i;
        EXPECT_EQ(g.corners[i].y, corners[i][1]) << i;
        EXPECT_EQ(g.corners[i].z, corners[i][2]) << i;
        EXPECT_EQ(g.uvs[i][0], uvs[i][0]) << i;
        EXPECT_EQ(g.uvs[i][1], uvs[i][1]) << i;
    }
}

TEST(GlyphLine, LineEndsAreNotPartOfTheLastField) {
    const rvGlyph bare = parse("8 12 0.0 0.0 0.03125 0.046875");
    expectSameGlyph(parse("8 12 0.0 0.0 0.03125 0.046875\n"), bare);
    expectSameGlyph(parse("8 12 0.0 0.0 0.03125 0.046875\r\n"), bare);
}

TEST(GlyphLine, TwoSpacesGiveAnEmptyFieldAndShiftTheRest) {
    const rvGlyph g = parse("8  12 0.25 0.5 0.75");
    EXPECT_EQ(g.width, 8);
    EXPECT_EQ(g.height, 0);
    EXPECT_FLOAT_EQ(g.uvs[0][0], 12.0f); // u0
    EXPECT_FLOAT_EQ(g.uvs[0][1], 0.25f); // v0
    EXPECT_FLOAT_EQ(g.uvs[1][0], 0.5f);  // u1
    EXPECT_FLOAT_EQ(g.uvs[2][1], 0.75f); // v1
}

TEST(GlyphLine, AnElevenCharacterFieldIsCutAndItsLastCharacterSkipped) {
    // "0.123456789" is cut to "0.12345678"; the '9' is taken as the separator, so the space
    // after it starts an empty field.
    const rvGlyph g = parse("8 12 0.123456789 0.5 0.25 0.75");
    EXPECT_FLOAT_EQ(g.uvs[0][0], 0.12345678f);
    EXPECT_FLOAT_EQ(g.uvs[0][1], 0.0f);
    EXPECT_FLOAT_EQ(g.uvs[1][0], 0.5f);
    EXPECT_FLOAT_EQ(g.uvs[2][1], 0.25f);
}

TEST(GlyphLine, ALongerFieldContinuesAsTheNextField) {
    // "0.1234567891" → "0.12345678", '9' skipped, "1" is v0.
    const rvGlyph g = parse("8 12 0.1234567891 0.5 0.25 0.75");
    EXPECT_FLOAT_EQ(g.uvs[0][0], 0.12345678f);
    EXPECT_FLOAT_EQ(g.uvs[0][1], 1.0f);
    EXPECT_FLOAT_EQ(g.uvs[1][0], 0.5f);
    EXPECT_FLOAT_EQ(g.uvs[2][1], 0.25f);
}

TEST(GlyphLine, TheLastFieldEndsAtASpace) {
    const rvGlyph g = parse("8 12 0 0 0.5 0.25 trailing words");
    EXPECT_FLOAT_EQ(g.uvs[2][1], 0.25f);
}

TEST(GlyphLine, TextThatIsNotANumberReadsAsZero) {
    const rvGlyph g = parse("wide tall left top right bottom");
    EXPECT_TRUE(glyphIsZero(g));
}

TEST(GlyphLine, AShortLineLeavesTheMissingFieldsZero) {
    rvGlyph g;
    g.width = g.height = 99;
    g.uvs[2][0] = g.uvs[2][1] = 99.0f;
    rvParseGlyphLine("8 12\n9 9 9 9", &g);
    EXPECT_EQ(g.width, 8);
    EXPECT_EQ(g.height, 12);
    EXPECT_EQ(g.uvs[2][0], 0.0f);
    EXPECT_EQ(g.uvs[2][1], 0.0f);
    EXPECT_TRUE(glyphIsZero(parse("")));
}

TEST(GlyphLine, IntegersBeyondTheIntRangeClamp) {
    EXPECT_EQ(parse("9999999999 -999999999 0 0 0 0").width, INT_MAX);
    EXPECT_EQ(parse("9999999999 -999999999 0 0 0 0").height, -999999999);
}

// ---- glyph files ----------------------------------------------------------------------------

TEST(GlyphText, ReadsAll256CodesAndIgnoresLaterLines) {
    rvFontSet font{};
    std::string error;
    const std::string text = glyphText(256) + "0 0 0 0 0 0\nmore\n";
    EXPECT_TRUE(rvParseGlyphText(text, &font, &error));
    EXPECT_TRUE(error.empty());
    for (int c = 0; c < 256; ++c) {
        expectGlyphOfCode(font.glyphs[c], c);
    }
}

TEST(GlyphText, AFinalLineWithoutLineFeedCounts) {
    std::string text = glyphText(256);
    text.pop_back();
    rvFontSet font{};
    EXPECT_TRUE(rvParseGlyphText(text, &font, nullptr));
    expectGlyphOfCode(font.glyphs[255], 255);
}

TEST(GlyphText, EndingEarlyKeepsTheGlyphsRead) {
    rvFontSet font{};
    std::string error;
    EXPECT_FALSE(rvParseGlyphText(glyphText(10), &font, &error));
    EXPECT_EQ(error, "Abnormal end of UV file");
    for (int c = 0; c < 10; ++c) {
        expectGlyphOfCode(font.glyphs[c], c);
    }
    for (int c = 10; c < 256; ++c) {
        EXPECT_TRUE(glyphIsZero(font.glyphs[c])) << "code " << c;
    }
}

TEST(GlyphText, EndingInTheHeaderIsAnAbnormalEnd) {
    rvFontSet font{};
    std::string error;
    EXPECT_FALSE(rvParseGlyphText("one\ntwo\n", &font, &error));
    EXPECT_EQ(error, "Abnormal end of UV file");
    EXPECT_FALSE(rvParseGlyphText("", &font, &error));
}

TEST(GlyphText, CRLFReadsLikeLF) {
    rvFontSet lf{};
    rvFontSet crlf{};
    ASSERT_TRUE(rvParseGlyphText(glyphText(256), &lf, nullptr));
    ASSERT_TRUE(rvParseGlyphText(glyphText(256, "\r\n"), &crlf, nullptr));
    for (int c = 0; c < 256; ++c) {
        expectSameGlyph(crlf.glyphs[c], lf.glyphs[c]);
    }
}

TEST(GlyphText, AnOverlongLineIsStillOneLine) {
    // A header line and code 5's line are far longer than the line buffer; every later line
    // must still belong to its own code.
    for (const char* eol : {"\n", "\r\n"}) {
        std::string text = std::string(400, '#') + eol + "second" + eol + "third" + eol;
        for (int c = 0; c < 256; ++c) {
            text += glyphLine(c);
            if (c == 5) {
                text += " " + std::string(300, 'x');
            }
            text += eol;
        }
        rvFontSet font{};
        ASSERT_TRUE(rvParseGlyphText(text, &font, nullptr));
        for (int c = 0; c < 256; ++c) {
            expectGlyphOfCode(font.glyphs[c], c);
        }
    }
}

TEST_F(GlyphFiles, FileReadsLikeText) {
    const std::string path = write("font.gtft", glyphText(256, "\r\n"));
    rvFontSet font{};
    std::string error;
    EXPECT_TRUE(rvReadGlyphFile(path.c_str(), &font, &error));
    for (int c = 0; c < 256; ++c) {
        expectGlyphOfCode(font.glyphs[c], c);
    }
}

TEST_F(GlyphFiles, MissingFileReadsNothing) {
    rvFontSet font{};
    font.glyphs[0].width = 77;
    std::string error;
    const std::string path = (mDir / "absent.gtft").string();
    EXPECT_FALSE(rvReadGlyphFile(path.c_str(), &font, &error));
    EXPECT_EQ(error, "Unable to Open UV File: " + path);
    EXPECT_EQ(font.glyphs[0].width, 77);
}

// ---- font sets ------------------------------------------------------------------------------

TEST_F(GlyphFiles, FontSetsGetHandlesInLoadOrder) {
    const std::string path = write("font.gtft", glyphText(256));
    TestHUD hud;
    EXPECT_EQ(hud.loadFontSet("fonts/a.bmp", path.c_str()), 0);
    EXPECT_EQ(hud.loadFontSet("fonts/b.bmp", path.c_str()), 1);
    EXPECT_EQ(hud.getFontSetCount(), 2);
    EXPECT_STREQ(hud.getFontSet(0)->textureFileName, "fonts/a.bmp");
    EXPECT_STREQ(hud.getFontSet(1)->textureFileName, "fonts/b.bmp");
    expectGlyphOfCode(hud.getFontSet(1)->glyphs[200], 200);
    EXPECT_TRUE(gMessages.empty());
    EXPECT_EQ(hud.getFontSet(2), nullptr);
    EXPECT_EQ(hud.getFontSet(-1), nullptr);
}

TEST_F(GlyphFiles, ShortFileIsReportedOnceAndStillAdded) {
    const std::string path = write("short.gtft", glyphText(10));
    TestHUD hud;
    EXPECT_EQ(hud.loadFontSet("fonts/a.bmp", path.c_str()), 0);
    ASSERT_EQ(gMessages.size(), 1u);
    EXPECT_EQ(gMessages[0].first, "Abnormal end of UV file");
    EXPECT_EQ(gMessages[0].second, "IO Error");
    const rvFontSet* font = hud.getFontSet(0);
    ASSERT_NE(font, nullptr);
    for (int c = 0; c < 10; ++c) {
        expectGlyphOfCode(font->glyphs[c], c);
    }
    for (int c = 10; c < 256; ++c) {
        EXPECT_TRUE(glyphIsZero(font->glyphs[c])) << "code " << c;
    }
}

TEST_F(GlyphFiles, UnopenableFileIsReportedByNameAndLeavesEmptyGlyphs) {
    const std::string path = (mDir / "missing.gtft").string();
    TestHUD hud;
    EXPECT_EQ(hud.loadFontSet("fonts/a.bmp", path.c_str()), 0);
    ASSERT_EQ(gMessages.size(), 1u);
    EXPECT_EQ(gMessages[0].first, "Unable to Open UV File: " + path);
    EXPECT_EQ(gMessages[0].second, "IO Error");
    for (const rvGlyph& g : hud.getFontSet(0)->glyphs) {
        EXPECT_TRUE(glyphIsZero(g));
    }
}

TEST_F(GlyphFiles, DefaultFontSetUsesTheProgramFontNames) {
    TestHUD hud;
    EXPECT_TRUE(hud.loadDefaultFontSet()); // true even when the font is not where we run
    ASSERT_EQ(hud.getFontSetCount(), 1);
    EXPECT_STREQ(hud.getFontSet(0)->textureFileName, "fonts/textImageDungeon.bmp");
}

#ifndef NDEBUG
TEST_F(GlyphFiles, PreconditionsAreAsserted) {
    const std::string path = write("font.gtft", glyphText(256));
    TestHUD hud;
    EXPECT_DEATH(hud.loadFontSet(nullptr, path.c_str()), "Bad Texture Filename");
    EXPECT_DEATH(hud.loadFontSet("a.bmp", nullptr), "Bad UV Filename");
    const std::string longName(256, 'n');
    EXPECT_DEATH(hud.loadFontSet(longName.c_str(), path.c_str()), "Texture filename exceeds 256");
}
#else
TEST_F(GlyphFiles, WithoutAssertionsBadNamesAreHarmless) {
    const std::string path = write("font.gtft", glyphText(256));
    TestHUD hud;
    EXPECT_EQ(hud.loadFontSet(nullptr, path.c_str()), -1);
    EXPECT_EQ(hud.loadFontSet("a.bmp", nullptr), -1);
    EXPECT_EQ(hud.getFontSetCount(), 0);
    const std::string longName(300, 'n');
    ASSERT_EQ(hud.loadFontSet(longName.c_str(), path.c_str()), 0);
    EXPECT_EQ(std::string(hud.getFontSet(0)->textureFileName), longName.substr(0, 255));
}
#endif

// ---- string layout and meshes --------------------------------------------------------------

// 'A' is 10 × 16, 'B' 12 × 16, the newline glyph 4 × 18, code 201 7 × 9, all others 6 × 8.
class HUDStrings : public GlyphFiles {
protected:
    void SetUp() override {
        GlyphFiles::SetUp();
        std::string text = kHeader;
        for (int c = 0; c < 256; ++c) {
            switch (c) {
            case 'A':
                text += "10 16 0.25 0.5 0.3125 0.625\n";
                break;
            case 'B':
                text += "12 16 0.5 0.5 0.59375 0.625\n";
                break;
            case '\n':
                text += "4 18 0 0 0 0\n";
                break;
            case 201:
                text += "7 9 0.75 0.75 0.8 0.8\n";
                break;
            default:
                text += "6 8 0 0 0 0\n";
            }
        }
        mFontPath = write("hud.gtft", text);
        hud.setRenderer(&render);
        ASSERT_EQ(hud.loadFontSet("fonts/hud.bmp", mFontPath.c_str()), 0);
        ASSERT_TRUE(gMessages.empty());
    }

    RecordingMesh* add(const char* text, float x = 10, float y = 20, float lineSpacing = 2,
                       float scale = 1) {
        const int index = hud.addString(text, x, y, lineSpacing, 1, 0.5f, 0.25f, 0.125f, scale, 0);
        return static_cast<RecordingMesh*>(hud.getString(index));
    }
    // Position (x, y) of vertex v.
    static std::pair<float, float> vertex(const RecordingMesh* m, int v) {
        return {m->positions[3 * v], m->positions[3 * v + 1]};
    }

    std::string mFontPath;
    StubRender render;
    TestHUD hud;
};

using XY = std::pair<float, float>;

TEST_F(HUDStrings, OneGlyphIsTwoTrianglesInCornerOrder0322210) {
    const RecordingMesh* m = add("A");
    ASSERT_EQ(m->positions.size(), 18u);
    // Top-left at the pen (10, 20); 'A' reaches 10 right and 16 down.
    const XY expected[6] = {{10, 20}, {10, 4}, {20, 4}, {20, 4}, {20, 20}, {10, 20}};
    for (int v = 0; v < 6; ++v) {
        EXPECT_EQ(vertex(m, v), expected[v]) << "vertex " << v;
        EXPECT_EQ(m->positions[3 * v + 2], 0.0f);
    }
    const float uvs[12] = {0.25f,   0.5f,   0.25f,   0.625f, 0.3125f, 0.625f,
                           0.3125f, 0.625f, 0.3125f, 0.5f,   0.25f,   0.5f};
    ASSERT_EQ(m->uvs.size(), 12u);
    for (int i = 0; i < 12; ++i) {
        EXPECT_FLOAT_EQ(m->uvs[i], uvs[i]) << i;
    }
}

TEST_F(HUDStrings, TheSecondGlyphStartsOneWidthFurther) {
    const RecordingMesh* m = add("AB");
    ASSERT_EQ(m->positions.size(), 36u); // 12 vertices
    EXPECT_EQ(vertex(m, 6), XY(10 + 10, 20));
    EXPECT_EQ(vertex(m, 8), XY(10 + 10 + 12, 20 - 16)); // B's bottom-right
    EXPECT_FLOAT_EQ(m->uvs[12], 0.5f);                  // B's u0
}

TEST_F(HUDStrings, NewlineReturnsToXAndStepsDownByTheNewlineGlyph) {
    const RecordingMesh* m = add("A\nB", 10, 20, 2);
    ASSERT_EQ(m->positions.size(), 36u);
    EXPECT_EQ(vertex(m, 6), XY(10, 20 - (18 - 2)));
    EXPECT_EQ(m->colors.size(), 48u);
    EXPECT_EQ(m->uvs.size(), 24u);
}

TEST_F(HUDStrings, ScaleAppliesToCornersAndAdvanceButNotToTheLineStep) {
    const RecordingMesh* m = add("AB\nA", 10, 20, 2, 2);
    ASSERT_EQ(m->positions.size(), 54u);
    EXPECT_EQ(vertex(m, 2), XY(10 + 20, 20 - 32));   // A's bottom-right, doubled
    EXPECT_EQ(vertex(m, 6), XY(10 + 20, 20));        // B after a doubled advance
    EXPECT_EQ(vertex(m, 10), XY(10 + 20 + 24, 20));  // B's top-right
    EXPECT_EQ(vertex(m, 12), XY(10, 20 - (18 - 2))); // unscaled line step
    EXPECT_EQ(vertex(m, 14), XY(10 + 20, 4 - 32));   // bottom-right of the second line's A
}

TEST_F(HUDStrings, EmptyTextAndNewlinesOnlyGiveNoVertices) {
    for (const char* text : {"", "\n\n"}) {
        const RecordingMesh* m = add(text);
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(m->getVertexCount(), 0);
        EXPECT_EQ(m->positionUploads, 1);
        EXPECT_TRUE(m->positions.empty());
        EXPECT_TRUE(m->colors.empty());
        EXPECT_TRUE(m->uvs.empty());
        EXPECT_EQ(m->loadedTextures, std::vector<std::string>{"fonts/hud.bmp"});
    }
}

TEST_F(HUDStrings, EveryVertexGetsTheColourAlphaFirst) {
    const RecordingMesh* m = add("ABA");
    ASSERT_EQ(m->colors.size(), 3u * 24u);
    for (size_t v = 0; v < m->colors.size() / 4; ++v) {
        EXPECT_EQ(m->colors[4 * v + 0], 1.0f) << v;
        EXPECT_EQ(m->colors[4 * v + 1], 0.5f) << v;
        EXPECT_EQ(m->colors[4 * v + 2], 0.25f) << v;
        EXPECT_EQ(m->colors[4 * v + 3], 0.125f) << v;
    }
}

TEST_F(HUDStrings, MeshIsATriangleListWithTheFontTexture) {
    const RecordingMesh* m = add("AB");
    EXPECT_EQ(m->type, kTriangleList);
    EXPECT_EQ(m->getVertexCount(), 12);
    EXPECT_EQ(m->loadedTextures, std::vector<std::string>{"fonts/hud.bmp"});
    EXPECT_EQ(render.meshesCreated, 1);
}

TEST_F(HUDStrings, BytesAbove127UseTheirUnsignedCode) {
    const RecordingMesh* m = add("\xC9");
    ASSERT_EQ(m->positions.size(), 18u);
    EXPECT_EQ(vertex(m, 2), XY(10 + 7, 20 - 9));
    EXPECT_FLOAT_EQ(m->uvs[0], 0.75f);
}

TEST_F(HUDStrings, StringsAreIndexedInOrder) {
    EXPECT_EQ(hud.addString("A", 0, 0, 0, 1, 1, 1, 1, 1, 0), 0);
    EXPECT_EQ(hud.addString("B", 0, 0, 0, 1, 1, 1, 1, 1, 0), 1);
    EXPECT_EQ(hud.getStringCount(), 2);
    EXPECT_EQ(hud.getString(2), nullptr);
    EXPECT_EQ(hud.getString(-1), nullptr);
}

TEST_F(HUDStrings, SetStringReplacesOnlyItsIndex) {
    add("A");
    rvMesh* second = add("B");
    rvMesh* third = add("AB");
    ASSERT_TRUE(hud.setString(0, "BB", 50, 60, 0, 1, 1, 1, 1, 1, 0));
    EXPECT_EQ(hud.getStringCount(), 3);
    EXPECT_EQ(hud.getString(1), second);
    EXPECT_EQ(hud.getString(2), third);
    const auto* first = static_cast<RecordingMesh*>(hud.getString(0));
    ASSERT_EQ(first->positions.size(), 36u);
    EXPECT_EQ(vertex(first, 0), XY(50, 60));
    EXPECT_EQ(static_cast<RecordingMesh*>(second)->positions.size(), 18u);
}

TEST_F(HUDStrings, LayoutCountsGlyphsAndAppends) {
    std::vector<float> positions{1, 2, 3};
    std::vector<float> uvs{4};
    const int n = rvLayoutString(*hud.getFontSet(0), "A\nBA", 0, 0, 0, 1, &positions, &uvs);
    EXPECT_EQ(n, 3);
    EXPECT_EQ(positions.size(), 3u + 3 * 18);
    EXPECT_EQ(uvs.size(), 1u + 3 * 12);
    EXPECT_EQ(positions[0], 1.0f);
    EXPECT_EQ(rvLayoutString(*hud.getFontSet(0), nullptr, 0, 0, 0, 1, &positions, &uvs), 0);
}

TEST_F(GlyphFiles, TheManagerDeletesTheMeshesItOwns) {
    const std::string path = write("font.gtft", glyphText(256));
    CountingRender render;
    gMeshesDestroyed = 0;
    {
        TestHUD hud;
        hud.setRenderer(&render);
        ASSERT_EQ(hud.loadFontSet("f.bmp", path.c_str()), 0);
        hud.addString("abc", 0, 0, 0, 1, 1, 1, 1, 1, 0);
        hud.addString("def", 0, 0, 0, 1, 1, 1, 1, 1, 0);
        hud.setString(0, "x", 0, 0, 0, 1, 1, 1, 1, 1, 0);
        EXPECT_EQ(gMeshesDestroyed, 1); // the replaced string
    }
    EXPECT_EQ(gMeshesDestroyed, 3);
}

#ifndef NDEBUG
TEST_F(HUDStrings, BadIndicesAndHandlesAreAsserted) {
    add("A");
    EXPECT_DEATH(hud.addString("A", 0, 0, 0, 1, 1, 1, 1, 1, 1),
                 "fHandle >= 0 && fHandle < mFontSets.size\\(\\)");
    EXPECT_DEATH(hud.setString(1, "A", 0, 0, 0, 1, 1, 1, 1, 1, 0),
                 "index <= mStrings.size\\(\\)-1");
}
#else
TEST_F(HUDStrings, WithoutAssertionsBadIndicesAndHandlesChangeNothing) {
    rvMesh* first = add("A");
    EXPECT_EQ(hud.addString("A", 0, 0, 0, 1, 1, 1, 1, 1, 1), -1);
    EXPECT_EQ(hud.addString("A", 0, 0, 0, 1, 1, 1, 1, 1, -1), -1);
    hud.setString(1, "B", 0, 0, 0, 1, 1, 1, 1, 1, 0);
    hud.setString(-1, "B", 0, 0, 0, 1, 1, 1, 1, 1, 0);
    EXPECT_EQ(hud.getStringCount(), 1);
    EXPECT_EQ(hud.getString(0), first);
}
#endif

} // namespace
