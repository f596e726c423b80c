// Writes the fuzzers' seed inputs into <out>/<target>/: small valid files of each format, made
// by the program's own writers so that nothing binary is kept in the repository.
//   fuzz_seeds <out dir>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "cimage.h"
#include "rvfile.h"
#include "rvmeshfile.h"

namespace {

namespace fs = std::filesystem;

rvMeshFile character(bool animated) {
    rvMeshFile r;
    r.positions = {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0};
    r.vertexCount = 4;
    r.indices = {0, 1, 2, 2, 1, 3};
    r.indexCount = 6;
    r.normals = {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1};
    r.texCoords = {0, 0, 1, 0, 0, 1, 1, 1};
    if (animated) {
        r.frameCount = 2;
        r.boneCount = 2;
        for (int k = 0; k < 4; ++k) {
            r.boneKeys.push_back({rvQuaternion(1, 0, 0, 0), rvVector3(0, float(k), 0)});
        }
        r.boneWeights = {1, 0, 0, 0, 0.5f, 0.5f, 0, 0, 0.25f, 0.25f, 0.25f, 0.25f, 0, 1, 0, 0};
        r.boneIndices = {0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 0, 1, 0, 0};
    }
    return r;
}

bool image(const fs::path& file, int channels, bool tga) {
    CImage picture;
    if (!picture.create(5, 3, channels)) {
        return false;
    }
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5 * channels; ++x) {
            picture.getLinePtr(y)[x] = static_cast<std::uint8_t>(40 * y + 7 * x);
        }
    }
    return tga ? picture.writeTGA(file.c_str()) : picture.writeBMP(file.c_str());
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds <out dir>\n");
        return 2;
    }
    const fs::path out = argv[1];
    for (const char* target : {"mesh", "bmp", "tga", "glyph"}) {
        fs::create_directories(out / target);
    }
    bool ok = rvWriteMeshFile((out / "mesh/animated.MSH").c_str(), character(true), nullptr) &&
              rvWriteMeshFile((out / "mesh/static.MSH").c_str(), character(false), nullptr) &&
              image(out / "bmp/rgb.bmp", 3, false) && image(out / "bmp/rgba.bmp", 4, false) &&
              image(out / "tga/rgb.tga", 3, true) && image(out / "tga/rgba.tga", 4, true);
    // A glyph file (three header lines, then "width height u0 v0 u1 v1" per code), a NUL and a
    // string to lay out.
    std::ofstream glyphs(out / "glyph/font.gtft", std::ios::binary);
    glyphs << "font\n256 128\nglyphs\n";
    for (int code = 0; code < 256; ++code) {
        const float u = (code % 32) / 32.0f, v = (code / 32) / 8.0f;
        glyphs << 7 << ' ' << 15 << ' ' << u << ' ' << v << ' ' << u + 1 / 32.0f << ' '
               << v + 1 / 8.0f << '\n';
    }
    glyphs << '\0' << "Press 'C'\nto release";
    ok = ok && glyphs.good();
    if (!ok) {
        std::fprintf(stderr, "fuzz_seeds: cannot write the seeds into %s\n", out.c_str());
        return 1;
    }
    return 0;
}
