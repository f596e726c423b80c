#include "demodata.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H
#include <gtest/gtest.h>
#include <unistd.h>

#include "cimage.h"
#include "patterns.h"
#include "rvhudtextmanager.h"
#include "skybox.h" // kSkyWidth, kSkyHeight

using namespace texgen;
namespace fs = std::filesystem;

namespace {

// A fresh folder under the system's temporary folder, removed again by the destructor.
class TempFolder {
public:
    explicit TempFolder(const std::string& tag)
        : mPath(fs::temp_directory_path() / ("texgen_" + tag + "_" + std::to_string(::getpid()))) {
        fs::remove_all(mPath);
        fs::create_directories(mPath);
    }
    ~TempFolder() {
        std::error_code ec;
        fs::remove_all(mPath, ec);
    }
    std::string str() const { return mPath.string(); }
    std::string file(const char* relative) const { return (mPath / relative).string(); }

private:
    fs::path mPath;
};

bool startsWith(const std::string& s, const std::string& prefix) {
    return s.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Scene textures

class SceneTextureFiles : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder = std::make_unique<TempFolder>("scene");
        std::string error;
        ok = writeSceneTextures(folder->str(), &written, &error);
        ASSERT_TRUE(ok) << error;
    }
    static void TearDownTestSuite() { folder.reset(); }
    void SetUp() override { ASSERT_TRUE(ok); }

    static std::unique_ptr<TempFolder> folder;
    static std::vector<std::string> written;
    static bool ok;
};
std::unique_ptr<TempFolder> SceneTextureFiles::folder;
std::vector<std::string> SceneTextureFiles::written;
bool SceneTextureFiles::ok = false;

TEST_F(SceneTextureFiles, ReportsEveryFileItWrote) {
    ASSERT_EQ(written.size(), 4u);
    EXPECT_TRUE(startsWith(written[0], "textures/grayTexture.bmp (512x512, 24-bit, "));
    EXPECT_TRUE(startsWith(written[1], "textures/whitegrid.bmp (128x128, 24-bit, "));
    EXPECT_TRUE(startsWith(written[2], "textures/skybox1.bmp (2048x1600, 24-bit, "));
    EXPECT_TRUE(startsWith(written[3], "images/default.bmp (128x128, 24-bit, "));
}

TEST_F(SceneTextureFiles, LoadWithTheEnginesReaderAtTheirSizes) {
    const struct {
        const char* path;
        int width, height;
    } files[] = {{kFloorTexture, kFloorSize, kFloorSize},
                 {kGridTexture, kGridSize, kGridSize},
                 {kSkyTexture, kSkyWidth, kSkyHeight},
                 {kDefaultTexture, kDefaultSize, kDefaultSize}};
    for (const auto& f : files) {
        CImage image;
        ASSERT_TRUE(image.loadBMP(folder->file(f.path).c_str())) << f.path << ": " << image.error();
        EXPECT_EQ(image.getWidth(), f.width) << f.path;
        EXPECT_EQ(image.getHeight(), f.height) << f.path;
        EXPECT_EQ(image.getChannels(), 3) << f.path;
    }
}

TEST_F(SceneTextureFiles, TheDefaultTextureLoadsExactlyAsPainted) {
    // Also pins the line order: the loaded picture is not upside down.
    CImage loaded, painted;
    std::string error;
    ASSERT_TRUE(loaded.loadBMP(folder->file(kDefaultTexture).c_str())) << loaded.error();
    ASSERT_TRUE(paintDefaultPattern(&painted, kDefaultSize, kDefaultSquares, &error));
    for (int line = 0; line < kDefaultSize; ++line) {
        ASSERT_TRUE(std::equal(painted.getLinePtr(line),
                               painted.getLinePtr(line) + kDefaultSize * 3,
                               loaded.getLinePtr(line)))
            << "line " << line;
    }
}

TEST(ImageFiles, FoldersAreCreatedAsNeeded) {
    TempFolder folder("nested");
    CImage image;
    ASSERT_TRUE(image.create(4, 4, 3));
    std::vector<std::string> written;
    std::string error;
    ASSERT_TRUE(writeImageFile(image, folder.str(), "a/b/c.bmp", &written, &error)) << error;
    EXPECT_TRUE(fs::exists(folder.file("a/b/c.bmp")));
    ASSERT_EQ(written.size(), 1u);
    EXPECT_TRUE(startsWith(written[0], "a/b/c.bmp (4x4, 24-bit, ")) << written[0];
}

TEST(ImageFiles, AnUnwritablePlaceIsReported) {
    TempFolder folder("blocked");
    // A plain file where the folder should be.
    std::ofstream(folder.file("textures")) << "x";
    CImage image;
    ASSERT_TRUE(image.create(4, 4, 3));
    std::vector<std::string> written;
    std::string error;
    EXPECT_FALSE(writeImageFile(image, folder.str(), "textures/x.bmp", &written, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(written.empty());
}

// ---------------------------------------------------------------------------------------------
// The HUD font files, read back the way the engine reads them.

class FontFiles : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder = std::make_unique<TempFolder>("font");
        fontPath = findDejaVuFont();
        ASSERT_FALSE(fontPath.empty()) << "install Debian's fonts-dejavu-core";
        std::string error;
        ok = writeFont(folder->str(), fontPath, FontBakeOptions(), &written, &error);
        ASSERT_TRUE(ok) << error;
        ok = atlas.loadBMP(folder->file(kFontTexture).c_str());
        ASSERT_TRUE(ok) << atlas.error();
        ok = rvReadGlyphFile(folder->file(kFontGlyphs).c_str(), &font, &error);
        ASSERT_TRUE(ok) << error;
    }
    static void TearDownTestSuite() {
        atlas.release();
        folder.reset();
    }
    void SetUp() override { ASSERT_TRUE(ok); }

    // Alpha of the atlas texel at picture coordinates (y down).
    static int alphaAt(int x, int y) {
        return atlas.getLinePtr(atlas.getHeight() - 1 - y)[x * 4 + 3];
    }

    static std::unique_ptr<TempFolder> folder;
    static std::string fontPath;
    static std::vector<std::string> written;
    static CImage atlas;
    static rvFontSet font;
    static bool ok;
};
std::unique_ptr<TempFolder> FontFiles::folder;
std::string FontFiles::fontPath;
std::vector<std::string> FontFiles::written;
CImage FontFiles::atlas;
rvFontSet FontFiles::font;
bool FontFiles::ok = false;

TEST_F(FontFiles, ReportsBothFiles) {
    ASSERT_EQ(written.size(), 2u);
    EXPECT_TRUE(startsWith(written[0], "fonts/textImageDungeon.bmp (256x")) << written[0];
    EXPECT_NE(written[0].find("32-bit"), std::string::npos) << written[0];
    EXPECT_TRUE(startsWith(written[1], "fonts/textImageDungeon.gtft (256 glyphs")) << written[1];
}

TEST_F(FontFiles, TheTextureKeepsItsAlphaThroughTheEnginesReader) {
    ASSERT_EQ(atlas.getChannels(), 4);
    int inked = 0;
    for (int line = 0; line < atlas.getHeight(); ++line) {
        for (int x = 0; x < atlas.getWidth(); ++x) {
            inked += atlas.getLinePtr(line)[x * 4 + 3] ? 1 : 0;
        }
    }
    EXPECT_GT(inked, 1000);
}

TEST_F(FontFiles, AHelpLineLaysOutWithFreeTypesAdvancesAndOneLineHeight) {
    const char* text = "Press 'C' to attach the light to the camera.";
    std::vector<float> positions, uvs;
    const int glyphs = rvLayoutString(font, text, 10.0f, 590.0f, 2.0f, 1.0f, &positions, &uvs);
    ASSERT_EQ(glyphs, static_cast<int>(std::strlen(text)));

    FT_Library library = nullptr;
    FT_Face face = nullptr;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    ASSERT_EQ(FT_New_Face(library, fontPath.c_str(), 0, &face), 0);
    FT_Set_Pixel_Sizes(face, 0, FontBakeOptions().pixelSize);
    const int lineHeight = font.glyphs['\n'].height;
    EXPECT_EQ(lineHeight, static_cast<int>((face->size->metrics.ascender + 63) >> 6) -
                              static_cast<int>(face->size->metrics.descender >> 6));

    float pen = 10.0f;
    for (int i = 0; i < glyphs; ++i) {
        const float* p = &positions[i * 18]; // vertices p0, p3, p2, p2, p1, p0
        const float* t = &uvs[i * 12];
        ASSERT_EQ(p[0], pen) << "glyph " << i;    // top-left at the pen
        ASSERT_EQ(p[1], 590.0f) << "glyph " << i; // every glyph's top on the line
        ASSERT_EQ(p[1] - p[7], static_cast<float>(lineHeight)) << "glyph " << i;
        ASSERT_EQ(FT_Load_Char(face, static_cast<unsigned char>(text[i]),
                               FT_LOAD_DEFAULT | FT_LOAD_TARGET_MONO),
                  0);
        const float advance = static_cast<float>((face->glyph->advance.x + 32) >> 6);
        ASSERT_EQ(p[6] - p[0], advance) << "glyph " << i << " '" << text[i] << "'";
        pen += advance;

        // The quad's texture rectangle holds all of the glyph's ink and is bordered by empty
        // texels, so nearest filtering shows this glyph and nothing of its neighbours.
        const int x0 = static_cast<int>(t[0] * atlas.getWidth());
        const int y0 = static_cast<int>(t[1] * atlas.getHeight());
        const int x1 = static_cast<int>(t[4] * atlas.getWidth());
        const int y1 = static_cast<int>(t[5] * atlas.getHeight());
        ASSERT_EQ(x1 - x0, static_cast<int>(advance)) << "glyph " << i;
        ASSERT_EQ(y1 - y0, lineHeight) << "glyph " << i;
        int ink = 0;
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) {
                ink += alphaAt(x, y) ? 1 : 0;
            }
        }
        for (int y = y0 - 1; y <= y1; ++y) {
            for (int x = x0 - 1; x <= x1; ++x) {
                const bool border = y == y0 - 1 || y == y1 || x == x0 - 1 || x == x1;
                if (border && x >= 0 && y >= 0 && x < atlas.getWidth() && y < atlas.getHeight()) {
                    ASSERT_EQ(alphaAt(x, y), 0) << "glyph " << i << " border " << x << ", " << y;
                }
            }
        }
        int expected = 0;
        ASSERT_EQ(FT_Load_Char(face, static_cast<unsigned char>(text[i]),
                               FT_LOAD_RENDER | FT_LOAD_TARGET_MONO),
                  0);
        const FT_Bitmap& bm = face->glyph->bitmap;
        for (unsigned r = 0; r < bm.rows; ++r) {
            for (unsigned c = 0; c < bm.width; ++c) {
                expected += (bm.buffer[r * bm.pitch + c / 8] & (0x80 >> (c % 8))) ? 1 : 0;
            }
        }
        EXPECT_EQ(ink, expected) << "glyph " << i << " '" << text[i] << "'";
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
}

TEST_F(FontFiles, ANewlineStepsDownByTheLineHeightLessTheSpacing) {
    std::vector<float> positions, uvs;
    ASSERT_EQ(rvLayoutString(font, "A\nB", 10.0f, 590.0f, 2.0f, 1.0f, &positions, &uvs), 2);
    EXPECT_EQ(positions[18], 10.0f);
    EXPECT_EQ(positions[19], 590.0f - (font.glyphs['\n'].height - 2.0f));
}
