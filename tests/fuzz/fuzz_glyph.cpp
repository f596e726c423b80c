// The glyph file, then a string laid out with the glyphs read. The input is the glyph text, a
// NUL byte, and the string (the part after the first NUL; a fixed one without it).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "rvhudtextmanager.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\0');
    rvFontSet font{};
    rvParseGlyphText(input.substr(0, split), &font, nullptr);
    const std::string text =
        split == std::string::npos ? std::string("Press 'M'\nto switch") : input.substr(split + 1);
    std::vector<float> positions, uvs;
    rvLayoutString(font, text.c_str(), 10.0f, 590.0f, 2.0f, 1.5f, &positions, &uvs);
    return 0;
}
