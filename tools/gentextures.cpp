// gentextures <demo dir>: writes the scene's textures (floor, light-marker grid, sky box) and
// the default texture under the demo's run directory.
#include <cstdio>
#include <string>
#include <vector>

#include "demodata.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: gentextures <demo dir>\n");
        return 2;
    }
    std::vector<std::string> written;
    std::string error;
    const bool ok = texgen::writeSceneTextures(argv[1], &written, &error);
    for (const std::string& line : written) {
        std::printf("gentextures: wrote %s/%s\n", argv[1], line.c_str());
    }
    if (!ok) {
        std::fprintf(stderr, "gentextures: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
