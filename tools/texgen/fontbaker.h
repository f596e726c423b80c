// Bakes a TrueType font into the engine's bitmap font: one 32-bit texture holding a cell per
// character code (white, coverage in alpha) and the glyph file that gives each code's size in
// pixels and its rectangle in the texture.
//
// The HUD layout draws every glyph as a quad of width × height pixels whose top-left corner is
// the pen, textured from (u0, v0) at the top-left to (u1, v1) at the bottom-right, and then
// advances the pen by width; the height of glyph 10 (newline) is the line step. So every cell
// is exactly the font's advance wide and one line high (ascender to descender), with the glyph
// drawn on the common baseline inside it; ink that would leave the cell sideways is moved in
// where it fits and cut where it does not. Rectangles lie on texel edges so that nearest
// filtering at scale 1 reproduces the glyphs exactly.
#pragma once

#include <string>

#include "cimage.h"

namespace texgen {

struct FontBakeOptions {
    int pixelSize = 13;
    // The HUD draws text with an alpha test (alpha > 0) and no blending, so antialiased edge
    // pixels would be drawn solid; glyphs hinted and rendered for 1-bit output look right there.
    bool monochrome = true;
    // A power of two up to 256, so every texel edge is a short exact decimal (k / 256).
    int atlasWidth = 256;
};

struct BakedGlyph {
    int width = 0;           // pen advance and quad width in pixels
    int height = 0;          // the line height for every code
    int x = 0, y = 0;        // top-left of the cell in the atlas, picture coordinates (y down)
    bool hasOutline = false; // drawn from the font (false: a blank advance)
    int clippedColumns = 0;  // ink columns that did not fit the advance
};

struct BakedFont {
    CImage atlas; // 4 channels: B = G = R = 255, A = coverage
    std::string familyName;
    int pixelSize = 0;
    int ascender = 0;  // pixels above the baseline
    int descender = 0; // pixels below it (positive)
    int lineHeight = 0;
    BakedGlyph glyphs[256];
};

// Codes 32–126 and 160–255 are Latin-1 characters taken from the font (a code without an
// outline becomes a blank advance). Code 10 has width 0 and the line height. The other control
// codes and 127–159 are blank cells as wide as the space.
bool bakeFont(const char* fontPath, const FontBakeOptions& options, BakedFont* font,
              std::string* error);

// The glyph file: three header lines, then one line per code 0–255,
// "width height u0 v0 u1 v1", every field at most 10 characters, v = 0 at the top row.
std::string glyphFileText(const BakedFont& font);

// The DejaVu font Debian's fonts-dejavu-core installs (Sans, else Sans Mono); empty if neither
// exists.
std::string findDejaVuFont();

} // namespace texgen
