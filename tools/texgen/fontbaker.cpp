#include "fontbaker.h"

#include <cstdio>
#include <memory>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H

namespace texgen {

namespace {

struct LibraryCloser {
    void operator()(FT_Library library) const { FT_Done_FreeType(library); }
};
struct FaceCloser {
    void operator()(FT_Face face) const { FT_Done_Face(face); }
};
using LibraryPtr = std::unique_ptr<FT_LibraryRec_, LibraryCloser>;
using FacePtr = std::unique_ptr<FT_FaceRec_, FaceCloser>;

// One rendered glyph before packing: its coverage (0–255), placement and advance.
struct Rendered {
    bool present = false;
    int advance = 0;
    int left = 0, top = 0; // bitmap origin relative to the pen on the baseline (y up)
    int width = 0, rows = 0;
    std::vector<std::uint8_t> coverage; // rows × width, top row first
};

bool isPrintable(int code) {
    return (code >= 32 && code <= 126) || code >= 160;
}

bool render(FT_Face face, int code, bool monochrome, Rendered* out) {
    const FT_UInt index = FT_Get_Char_Index(face, static_cast<FT_ULong>(code));
    if (index == 0) {
        return true; // no outline for this code: left as a blank
    }
    const FT_Int32 flags =
        FT_LOAD_RENDER | (monochrome ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL);
    if (FT_Load_Glyph(face, index, flags) != 0) {
        return false;
    }
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bm = slot->bitmap;
    out->present = true;
    out->advance = static_cast<int>((slot->advance.x + 32) >> 6);
    out->left = slot->bitmap_left;
    out->top = slot->bitmap_top;
    out->width = static_cast<int>(bm.width);
    out->rows = static_cast<int>(bm.rows);
    out->coverage.assign(static_cast<std::size_t>(out->width) * out->rows, 0);
    const int pitch = bm.pitch < 0 ? -bm.pitch : bm.pitch;
    for (int r = 0; r < out->rows; ++r) {
        const unsigned char* src = bm.buffer + (bm.pitch < 0 ? out->rows - 1 - r : r) * pitch;
        for (int c = 0; c < out->width; ++c) {
            std::uint8_t value;
            if (bm.pixel_mode == FT_PIXEL_MODE_MONO) {
                value = (src[c >> 3] & (0x80 >> (c & 7))) ? 255 : 0;
            } else if (bm.pixel_mode == FT_PIXEL_MODE_GRAY) {
                value = static_cast<std::uint8_t>(src[c] * 255 / (bm.num_grays - 1));
            } else {
                return false;
            }
            out->coverage[static_cast<std::size_t>(r) * out->width + c] = value;
        }
    }
    return true;
}

int nextPowerOfTwo(int n) {
    int p = 1;
    while (p < n) {
        p *= 2;
    }
    return p;
}

} // namespace

bool bakeFont(const char* fontPath, const FontBakeOptions& options, BakedFont* font,
              std::string* error) {
    FT_Library rawLibrary = nullptr;
    if (FT_Init_FreeType(&rawLibrary) != 0) {
        *error = "cannot initialise FreeType";
        return false;
    }
    LibraryPtr library(rawLibrary);
    FT_Face rawFace = nullptr;
    if (FT_New_Face(library.get(), fontPath, 0, &rawFace) != 0) {
        *error = std::string("cannot open font ") + fontPath;
        return false;
    }
    FacePtr face(rawFace);
    if (FT_Set_Pixel_Sizes(face.get(), 0, static_cast<FT_UInt>(options.pixelSize)) != 0) {
        *error = "the font has no size " + std::to_string(options.pixelSize) + " px";
        return false;
    }

    const FT_Size_Metrics& metrics = face->size->metrics;
    font->pixelSize = options.pixelSize;
    font->familyName = std::string(face->family_name ? face->family_name : "?") + " " +
                       (face->style_name ? face->style_name : "");
    font->ascender = static_cast<int>((metrics.ascender + 63) >> 6);
    font->descender = static_cast<int>(-(metrics.descender >> 6));
    font->lineHeight = font->ascender + font->descender;

    std::vector<Rendered> rendered(256);
    for (int code = 0; code < 256; ++code) {
        if (isPrintable(code) && !render(face.get(), code, options.monochrome, &rendered[code])) {
            *error = "cannot render character code " + std::to_string(code);
            return false;
        }
    }
    if (!rendered[' '].present) {
        *error = "the font has no space character";
        return false;
    }
    const int blank = rendered[' '].advance;

    // Cells in code order, rows of one line height, one empty texel around each cell.
    const int W = options.atlasWidth;
    int x = 1, y = 1;
    for (int code = 0; code < 256; ++code) {
        BakedGlyph& g = font->glyphs[code];
        g.height = font->lineHeight;
        if (!rendered[code].present) {
            continue;
        }
        g.hasOutline = true;
        g.width = rendered[code].advance;
        if (g.width + 2 > W) {
            *error = "character code " + std::to_string(code) + " is wider than the texture";
            return false;
        }
        if (x + g.width + 1 > W) {
            x = 1;
            y += font->lineHeight + 1;
        }
        g.x = x;
        g.y = y;
        x += g.width + 1;
    }
    const BakedGlyph space = font->glyphs[' '];
    for (int code = 0; code < 256; ++code) {
        BakedGlyph& g = font->glyphs[code];
        if (!g.hasOutline) {
            g.width = code == '\n' ? 0 : blank;
            g.x = space.x;
            g.y = space.y;
        }
    }

    const int H = nextPowerOfTwo(y + font->lineHeight + 1);
    if (!font->atlas.create(W, H, 4)) {
        *error = "cannot create a " + std::to_string(W) + "x" + std::to_string(H) + " texture";
        return false;
    }
    for (int line = 0; line < H; ++line) {
        std::uint8_t* p = font->atlas.getLinePtr(line);
        for (int i = 0; i < W; ++i) {
            p[i * 4 + 0] = p[i * 4 + 1] = p[i * 4 + 2] = 255;
            p[i * 4 + 3] = 0;
        }
    }
    for (int code = 0; code < 256; ++code) {
        const Rendered& r = rendered[code];
        BakedGlyph& g = font->glyphs[code];
        if (!r.present) {
            continue;
        }
        // Keep the left bearing where the ink fits, otherwise move the ink inside the cell.
        int inkX = r.left;
        if (inkX + r.width > g.width) {
            inkX = g.width - r.width;
        }
        if (inkX < 0) {
            inkX = 0;
        }
        g.clippedColumns = r.width > g.width ? r.width - g.width : 0;
        const int inkY = font->ascender - r.top;
        for (int row = 0; row < r.rows; ++row) {
            const int cy = inkY + row;
            if (cy < 0 || cy >= g.height) {
                continue;
            }
            std::uint8_t* line = font->atlas.getLinePtr(H - 1 - (g.y + cy));
            for (int col = 0; col < r.width; ++col) {
                const int cx = inkX + col;
                if (cx >= g.width) {
                    break;
                }
                line[(g.x + cx) * 4 + 3] =
                    r.coverage[static_cast<std::size_t>(row) * r.width + col];
            }
        }
    }
    return true;
}

std::string glyphFileText(const BakedFont& font) {
    const double W = font.atlas.getWidth();
    const double H = font.atlas.getHeight();
    char line[256];
    std::string text = "Glyph file of a bitmap font (made by genfont)\n";
    std::snprintf(line, sizeof line,
                  "%s, %d px, line height %d (ascender %d, descender %d), %dx%d\n",
                  font.familyName.substr(0, 100).c_str(), font.pixelSize, font.lineHeight,
                  font.ascender, font.descender, font.atlas.getWidth(), font.atlas.getHeight());
    text += line;
    text += "width height u0 v0 u1 v1 (pixels; texture coordinates, v = 0 at the top)\n";
    for (int code = 0; code < 256; ++code) {
        const BakedGlyph& g = font.glyphs[code];
        // Eight decimals write every multiple of 1/256 exactly and keep each field at ten
        // characters at most.
        std::snprintf(line, sizeof line, "%d %d %.8f %.8f %.8f %.8f\n", g.width, g.height, g.x / W,
                      g.y / H, (g.x + g.width) / W, (g.y + g.height) / H);
        text += line;
    }
    return text;
}

std::string findDejaVuFont() {
    const char* candidates[] = {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                                "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf"};
    for (const char* path : candidates) {
        if (std::FILE* f = std::fopen(path, "rb")) {
            std::fclose(f);
            return path;
        }
    }
    return std::string();
}

} // namespace texgen
