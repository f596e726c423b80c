#include "output.h"

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>
#include <unistd.h>

#include "cimage.h"
#include "rvmeshfile.h"

using namespace chargen;
namespace fs = std::filesystem;

TEST(CharacterOutput, WritesFilesTheEngineLoadsAndReportsAFolderThatCannotBeMade) {
    const fs::path dir = fs::temp_directory_path() / ("chargen_" + std::to_string(::getpid()));
    std::vector<std::string> written;
    std::string error;
    for (const Character& c : {makeZax(), makeZaphod()}) {
        ASSERT_TRUE(writeCharacter(dir.string(), c, &written, &error)) << error;
        rvMeshFile file;
        ASSERT_TRUE(file.load((dir / c.meshFile).string().c_str())) << file.error();
        EXPECT_EQ(file.vertexCount, uint32_t(c.mesh.vertexCount()));
        // The texture reads back exactly as painted (opaque where it has alpha).
        CImage image, want;
        const std::string t = (dir / c.textureFile).string();
        ASSERT_TRUE(c.textureChannels == 4 ? image.loadTGA(t.c_str()) : image.loadBMP(t.c_str()))
            << image.error();
        ASSERT_TRUE(toImage(paintAtlas(c.parts, c.look, c.textureSize), c.textureChannels, want));
        EXPECT_TRUE(image.encodeTGA() == want.encodeTGA()) << c.textureFile;
    }
    const char* names[] = {"meshes/zax.MSH", "textures/Diffuse Map - Zax.bmp", "meshes/zaphod.MSH",
                           "textures/zaphod_red.tga"};
    for (int i = 0; i < 4; ++i) // a line per file, naming it, at the paths the scene opens
        EXPECT_NE(written.at(i).find(names[i]), std::string::npos) << written.at(i);
    std::ofstream(dir / "blocked") << "a plain file where a folder should be";
    EXPECT_FALSE(writeCharacter((dir / "blocked").string(), makeZax(), &written, &error));
    EXPECT_TRUE(written.size() == 4u && error.find("meshes") != std::string::npos) << error;
    fs::remove_all(dir);
}
