#include "output.h"

#include <filesystem>
#include <fstream>
#include <set>

#include <gtest/gtest.h>

#include "cimage.h"
#include "rvmeshfile.h"

using namespace chargen;
namespace fs = std::filesystem;

namespace {

fs::path scratch(const char* name) {
    fs::path dir = fs::temp_directory_path() / (std::string("chargen_output_") + name);
    fs::remove_all(dir);
    return dir;
}

// Distinct colours of an image that the engine's loader read.
size_t distinctColours(const CImage& image) {
    std::set<unsigned> seen;
    for (int line = 0; line < image.getHeight(); ++line) {
        const std::uint8_t* p = image.getLinePtr(line);
        for (int x = 0; x < image.getWidth(); ++x) {
            const std::uint8_t* px = p + x * image.getChannels();
            seen.insert(px[0] << 16 | px[1] << 8 | px[2]);
        }
    }
    return seen.size();
}

} // namespace

TEST(CharacterOutput, WritesFilesTheEngineLoads) {
    const fs::path dir = scratch("ok");
    for (Character c : {makeZax(), makeZaphod()}) {
        std::vector<std::string> written;
        std::string error;
        ASSERT_TRUE(writeCharacter(dir.string(), c, &written, &error)) << error;
        ASSERT_EQ(written.size(), 2u);
        EXPECT_NE(written[0].find(c.meshFile), std::string::npos);
        EXPECT_NE(written[0].find(std::to_string(c.mesh.vertexCount()) + " vertices"),
                  std::string::npos);
        EXPECT_NE(written[1].find(c.textureFile), std::string::npos);

        rvMeshFile file;
        ASSERT_TRUE(file.load((dir / c.meshFile).string().c_str())) << file.error();
        EXPECT_EQ(file.vertexCount, uint32_t(c.mesh.vertexCount()));
        EXPECT_EQ(file.frameCount, c.poses.size());

        CImage image;
        const std::string texture = (dir / c.textureFile).string();
        ASSERT_TRUE(c.textureChannels == 4 ? image.loadTGA(texture.c_str())
                                           : image.loadBMP(texture.c_str()))
            << image.error();
        EXPECT_EQ(image.getWidth(), c.textureSize);
        EXPECT_EQ(image.getChannels(), c.textureChannels);
        EXPECT_GT(distinctColours(image), 1000u);
        if (image.getChannels() == 4) {
            for (int line = 0; line < image.getHeight(); line += 37)
                EXPECT_EQ(image.getLinePtr(line)[3 + 4 * (line % image.getWidth())], 255);
        }
    }
    EXPECT_TRUE(fs::exists(dir / "textures" / "Diffuse Map - Zax.bmp"));
    EXPECT_TRUE(fs::exists(dir / "textures" / "zaphod_red.tga"));
    fs::remove_all(dir);
}

TEST(CharacterOutput, ReportsADirectoryThatCannotBeMade) {
    const fs::path dir = scratch("blocked");
    fs::create_directories(dir);
    std::ofstream(dir / "meshes") << "a file where the directory should be";
    std::vector<std::string> written;
    std::string error;
    EXPECT_FALSE(writeCharacter(dir.string(), makeZax(), &written, &error));
    EXPECT_TRUE(written.empty());
    EXPECT_NE(error.find("meshes"), std::string::npos);
    fs::remove_all(dir);
}

TEST(CharacterOutput, BoundsEncloseEveryVertex) {
    const Character c = makeZaphod();
    V3 lo, hi;
    meshBounds(c.mesh, &lo, &hi);
    for (const V3& p : c.mesh.positions) {
        EXPECT_GE(p.x, lo.x);
        EXPECT_LE(p.y, hi.y);
    }
    EXPECT_LT(lo.y, hi.y);
}
