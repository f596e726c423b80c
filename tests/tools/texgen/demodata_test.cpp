#include "demodata.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "cimage.h"
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
    // The paths the program opens, and each file's width and height.
    const std::tuple<const char*, int, int> files[] = {
        {kFloorTexture, kFloorSize, kFloorSize},
        {kGridTexture, kGridSize, kGridSize},
        {kSkyTexture, kSkyWidth, kSkyHeight},
        {kDefaultTexture, kDefaultSize, kDefaultSize}};
    ASSERT_EQ(written.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        const auto& [path, width, height] = files[i];
        SCOPED_TRACE(path);
        EXPECT_EQ(written[i].rfind(std::string(path) + " (", 0), 0u) << written[i];
        CImage image;
        ASSERT_TRUE(image.loadBMP(folder.file(path).c_str())) << image.error();
        EXPECT_EQ(std::vector<int>({image.getWidth(), image.getHeight(), image.getChannels()}),
                  std::vector<int>({width, height, 3}));
    }
}

TEST(FontFiles, ReadBackByTheEngineAsBakedAndAFolderThatCannotBeMadeIsReported) {
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
    // The atlas keeps its alpha through the engine's reader; the glyph file holds the baked
    // font's text (which fontbaker_test reads with the engine's parser).
    BakedFont baked;
    ASSERT_TRUE(bakeFont(fontPath.c_str(), FontBakeOptions(), &baked, &error)) << error;
    CImage atlas;
    ASSERT_TRUE(atlas.loadBMP(folder.file(kFontTexture).c_str())) << atlas.error();
    ASSERT_EQ(std::vector<int>({atlas.getWidth(), atlas.getHeight(), atlas.getChannels()}),
              std::vector<int>({baked.atlas.getWidth(), baked.atlas.getHeight(), 4}));
    EXPECT_EQ(0, std::memcmp(atlas.getLinePtr(0), baked.atlas.getLinePtr(0),
                             std::size_t(4) * atlas.getWidth() * atlas.getHeight()));
    std::ifstream glyphs(folder.file(kFontGlyphs), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(glyphs), {}), glyphFileText(baked));
}
