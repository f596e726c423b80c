#include "demodata.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

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
struct TempFolder {
    const fs::path path = fs::temp_directory_path() / ("texgen_test_" + std::to_string(::getpid()));
    TempFolder() {
        fs::remove_all(path);
        fs::create_directories(path);
    }
    std::error_code ec; // removal at the end is best effort
    ~TempFolder() { fs::remove_all(path, ec); }
    std::string file(const char* relative) const { return (path / relative).string(); }
};

} // namespace

TEST(SceneTextureFiles, AreReportedAndLoadWithTheEnginesReaderAtTheirSizes) {
    const TempFolder folder;
    std::vector<std::string> written;
    std::string error;
    ASSERT_TRUE(writeSceneTextures(folder.path.string(), &written, &error)) << error;
    const char* paths[] = {kFloorTexture, kGridTexture, kSkyTexture, kDefaultTexture};
    const int sizes[] = {kFloorSize, kFloorSize, kGridSize,    kGridSize,
                         kSkyWidth,  kSkyHeight, kDefaultSize, kDefaultSize}; // width, height
    ASSERT_EQ(written.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(written[i].rfind(std::string(paths[i]) + " (", 0), 0u) << written[i];
        CImage image;
        ASSERT_TRUE(image.loadBMP(folder.file(paths[i]).c_str())) << image.error();
        EXPECT_EQ(std::vector<int>({image.getWidth(), image.getHeight(), image.getChannels()}),
                  std::vector<int>({sizes[2 * i], sizes[2 * i + 1], 3}))
            << paths[i];
    }
    // The default texture reads back exactly as painted (so not upside down either).
    CImage loaded, painted;
    ASSERT_TRUE(loaded.loadBMP(folder.file(kDefaultTexture).c_str()));
    ASSERT_TRUE(paintDefaultPattern(&painted, kDefaultSize, kDefaultSquares, &error));
    EXPECT_EQ(0, std::memcmp(painted.getLinePtr(0), loaded.getLinePtr(0),
                             kDefaultSize * kDefaultSize * 3));
}

TEST(FontFiles, ReadBackByTheEngineLayOutATestStringWithTheBakedMetrics) {
    const TempFolder folder;
    const std::string fontPath = findDejaVuFont();
    ASSERT_FALSE(fontPath.empty()) << "install Debian's fonts-dejavu-core";
    std::vector<std::string> written;
    std::string error;
    ASSERT_TRUE(writeFont(folder.path.string(), fontPath, FontBakeOptions(), &written, &error))
        << error;
    EXPECT_EQ(written.size(), 2u);
    std::ofstream(folder.file("blocked")) << "a plain file where a folder should be";
    EXPECT_FALSE(writeFont(folder.file("blocked"), fontPath, FontBakeOptions(), &written, &error));
    EXPECT_NE(error.find("blocked"), std::string::npos) << error;
    EXPECT_EQ(written.size(), 2u); // the failure is not reported as written
    BakedFont baked;
    ASSERT_TRUE(bakeFont(fontPath.c_str(), FontBakeOptions(), &baked, &error)) << error;
    CImage atlas; // keeps its alpha through the engine's reader
    ASSERT_TRUE(atlas.loadBMP(folder.file(kFontTexture).c_str())) << atlas.error();
    const int W = atlas.getWidth(), H = atlas.getHeight();
    ASSERT_EQ(std::vector<int>({W, H, atlas.getChannels()}),
              std::vector<int>({baked.atlas.getWidth(), baked.atlas.getHeight(), 4}));
    EXPECT_EQ(0, std::memcmp(atlas.getLinePtr(0), baked.atlas.getLinePtr(0), 4 * W * H));

    rvFontSet font;
    ASSERT_TRUE(rvReadGlyphFile(folder.file(kFontGlyphs).c_str(), &font, &error)) << error;
    const char* text = "Press 'C' to attach the light to the camera.";
    std::vector<float> positions, uvs;
    const int n = rvLayoutString(font, text, 10.0f, 590.0f, 2.0f, 1.0f, &positions, &uvs);
    ASSERT_EQ(n, int(std::strlen(text)));
    float pen = 10.0f;
    for (int i = 0; i < n; ++i) {
        const BakedGlyph& g = baked.glyphs[static_cast<unsigned char>(text[i])];
        const float *p = &positions[18 * i], *t = &uvs[12 * i]; // vertices p0, p3, p2, p2, p1, p0
        EXPECT_EQ(
            std::vector<float>(
                {p[0], p[1], p[6] - p[0], p[1] - p[7], t[0] * W, t[1] * H, t[4] * W, t[5] * H}),
            std::vector<float>({pen, 590.0f, float(g.width), float(baked.lineHeight), float(g.x),
                                float(g.y), float(g.x + g.width), float(g.y + g.height)}))
            << "glyph " << i << " '" << text[i] << "'";
        pen += g.width;
    }
}
