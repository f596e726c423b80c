#include "output.h"

#include <filesystem>
#include <fstream>
#include <tuple>

#include <gtest/gtest.h>
#include <unistd.h>

#include "assets.h"
#include "cimage.h"
#include "rvmeshfile.h"

using namespace chargen;
namespace fs = std::filesystem;

TEST(CharacterOutput, WritesFilesTheEngineLoadsAtTheScenesPathsAndReportsAFolderNotMade) {
    const fs::path dir = fs::temp_directory_path() / ("chargen_" + std::to_string(::getpid()));
    std::vector<std::string> written;
    std::string error;
    const std::tuple<Character, const char*, const char*> figures[] = {
        {makeZax(), kFirstModelFile, kFirstModelTexture},
        {makeZaphod(), kSecondModelFile, kSecondModelTexture}};
    for (const auto& [c, meshFile, textureFile] : figures) {
        ASSERT_TRUE(writeCharacter(dir.string(), c, &written, &error)) << error;
        ASSERT_GE(written.size(), 2u); // a line per file, naming it
        EXPECT_NE(written.end()[-2].find(meshFile), std::string::npos) << written.end()[-2];
        EXPECT_NE(written.back().find(textureFile), std::string::npos) << written.back();
        rvMeshFile file;
        ASSERT_TRUE(file.load((dir / meshFile).string().c_str())) << file.error();
        EXPECT_EQ(file.vertexCount, uint32_t(c.mesh.vertexCount()));
        // The texture reads back exactly as painted (opaque where it has alpha).
        CImage image, want;
        const std::string t = (dir / textureFile).string();
        ASSERT_TRUE(c.textureChannels == 4 ? image.loadTGA(t.c_str()) : image.loadBMP(t.c_str()))
            << image.error();
        ASSERT_TRUE(toImage(paintAtlas(c.parts, c.look, c.textureSize), c.textureChannels, want));
        EXPECT_TRUE(image.encodeTGA() == want.encodeTGA()) << textureFile;
    }
    std::ofstream(dir / "blocked") << "a plain file where a folder should be";
    EXPECT_FALSE(writeCharacter((dir / "blocked").string(), makeZax(), &written, &error));
    EXPECT_EQ(written.size(), 4u); // the failure is not reported as written
    EXPECT_NE(error.find("meshes"), std::string::npos) << error;
    fs::remove_all(dir);
}
