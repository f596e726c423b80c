// gencharacters <demo dir>: writes the two animated characters (meshes/zax.MSH,
// meshes/zaphod.MSH) and their painted textures under the demo's run directory. The output is
// the same on every run: nothing depends on the time or on an unseeded random source.
#include <cstdio>
#include <string>
#include <vector>

#include "characters.h"
#include "output.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: gencharacters <demo dir>\n");
        return 2;
    }
    for (auto make : {chargen::makeZax, chargen::makeZaphod}) {
        const chargen::Character character = make();
        std::vector<std::string> written;
        std::string error;
        const bool ok = chargen::writeCharacter(argv[1], character, &written, &error);
        for (const std::string& line : written)
            std::printf("gencharacters: wrote %s\n", line.c_str());
        if (!ok) {
            std::fprintf(stderr, "gencharacters: %s\n", error.c_str());
            return 1;
        }
    }
    return 0;
}
