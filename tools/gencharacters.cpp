// gencharacters <demo dir> [--gltf DIR]: writes the two animated characters (meshes/zax.MSH,
// meshes/zaphod.MSH) and their painted textures under the demo's run directory; with --gltf
// also DIR/zax.glb and DIR/zaphod.glb, the same meshes, skeletons, clips and textures as binary
// glTF for standard tools, and DIR/mico.glb, a 71-bone character that is not the demo's. The output
// is the same on every run: nothing depends on the time or on an unseeded random source.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "characters.h"
#include "gltfwriter.h"
#include "output.h"

namespace {

// The characters' key-frame rate in the demo.
constexpr double kFramesPerSecond = 15.0;

bool writeGlb(const std::string& dir, const chargen::Character& c, std::string* error) {
    CImage texture;
    if (!chargen::paintTexture(c, &texture)) {
        *error = "cannot create the " + c.name + " texture image";
        return false;
    }
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    const std::string path =
        (std::filesystem::path(dir) / std::filesystem::path(c.meshFile).stem()).string() + ".glb";
    const rvMeshFile record = chargen::meshRecord(c);
    if (!gltf::writeGlb(path, gltf::fromMeshFile(record, kFramesPerSecond), &texture, error))
        return false;
    std::printf("gencharacters: wrote %s\n", path.c_str());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const bool gltfWanted = argc == 4 && std::strcmp(argv[2], "--gltf") == 0;
    if (argc != 2 && !gltfWanted) {
        std::fprintf(stderr, "usage: gencharacters <demo dir> [--gltf DIR]\n");
        return 2;
    }
    for (auto make : {chargen::makeZax, chargen::makeZaphod}) {
        const chargen::Character character = make();
        std::vector<std::string> written;
        std::string error;
        bool ok = chargen::writeCharacter(argv[1], character, &written, &error);
        for (const std::string& line : written)
            std::printf("gencharacters: wrote %s\n", line.c_str());
        ok = ok && (!gltfWanted || writeGlb(argv[3], character, &error));
        if (!ok) {
            std::fprintf(stderr, "gencharacters: %s\n", error.c_str());
            return 1;
        }
    }
    std::string error;
    if (gltfWanted && !writeGlb(argv[3], chargen::makeMico(), &error)) {
        std::fprintf(stderr, "gencharacters: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
