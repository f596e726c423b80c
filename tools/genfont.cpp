// genfont <demo dir> [font file]: bakes the HUD font (fonts/textImageDungeon.bmp and its glyph
// file fonts/textImageDungeon.gtft) from a TrueType font, by default DejaVu Sans.
#include <cstdio>
#include <string>
#include <vector>

#include "demodata.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: genfont <demo dir> [font.ttf]\n");
        return 2;
    }
    const std::string fontPath = argc > 2 ? argv[2] : texgen::findDejaVuFont();
    if (fontPath.empty()) {
        std::fprintf(stderr, "genfont: no DejaVu font found (looked for "
                             "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf and "
                             "DejaVuSansMono.ttf); install Debian's fonts-dejavu-core\n");
        return 1;
    }
    std::vector<std::string> written;
    std::string error;
    const bool ok =
        texgen::writeFont(argv[1], fontPath, texgen::FontBakeOptions(), &written, &error);
    for (const std::string& line : written) {
        std::printf("genfont: wrote %s/%s\n", argv[1], line.c_str());
    }
    if (!ok) {
        std::fprintf(stderr, "genfont: %s\n", error.c_str());
        return 1;
    }
    std::printf("genfont: from %s\n", fontPath.c_str());
    return 0;
}
