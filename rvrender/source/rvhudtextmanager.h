// Bitmap fonts, their glyph files, the HUD string layout and the abstract HUD text manager.
//
// Glyph file: a text file whose first three lines are a header (skipped); lines 4 to 259
// describe character codes 0 to 255 in order, each as six fields separated by one space:
//   width height u0 v0 u1 v1
// (integers, then decimal numbers; text that is not a number reads as 0; a field is cut after
// 10 characters). CR LF line ends read as LF; lines after the 259th are ignored.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "rvvector.h"

class rvMesh;
class rvRender;

struct rvGlyph {
    // The quad in pixels with y up: top-left (0, 0, 0), top-right (w, 0, 0),
    // bottom-right (w, −h, 0), bottom-left (0, −h, 0).
    rvVector3 corners[4];
    // Texture coordinates of the corners in the same order: (u0, v0), (u1, v0), (u1, v1),
    // (u0, v1).
    float uvs[4][2];
    int width;
    int height;
};

struct rvFontSet {
    char textureFileName[256];
    rvGlyph glyphs[256];
};

// Reads a glyph file into the 256 glyphs of `font` (glyphs no line describes are left as they
// were). Returns false with a one-line reason in *error (error may be null) when the file
// cannot be opened ("Unable to Open UV File: <name>", nothing is read) or ends before the
// 256th glyph line ("Abnormal end of UV file"; the glyphs read so far are kept). Lines are
// read through a 256-byte buffer: characters beyond the 255th of a line are dropped, and the
// next line still describes the next code.
bool rvReadGlyphFile(const char* fileName, rvFontSet* font, std::string* error);
// The same from text in memory.
bool rvParseGlyphText(const std::string& text, rvFontSet* font, std::string* error);
// Sets every glyph field from one glyph line (the exact field rules above). A trailing LF or
// CR LF is not part of the line; a line that ends early leaves its remaining fields 0.
void rvParseGlyphLine(const char* line, rvGlyph* glyph);

// Lays out `text` from pen position (x, y) (top-left of the first glyph; y up). A newline
// moves the pen to x and down by (height of glyph 10 − lineSpacing); any other byte emits one
// quad as two triangles (corners 0, 3, 2 and 2, 1, 0, scaled by `scale` and moved by the pen)
// and advances the pen by width × scale. Appends 18 position floats and 12 uv floats per
// glyph; returns the number of glyphs emitted.
int rvLayoutString(const rvFontSet& font, const char* text, float x, float y, float lineSpacing,
                   float scale, std::vector<float>* positions, std::vector<float>* uvs);

// The HUD text manager: every string is one triangle-list mesh made through the renderer and
// drawn with the renderer's drawMesh. Slot order: addString, setString, drawString,
// drawStrings, then the destructor. A back end only draws one string's mesh (the hook after
// the slots), with its font texture already bound.
class rvHUDTextManager {
public:
    static constexpr const char* kDefaultFontTexture = "fonts/textImageDungeon.bmp";
    static constexpr const char* kDefaultFontGlyphs = "fonts/textImageDungeon.gtft";

    rvHUDTextManager();

    // Returns the new string's index (0 for the first), or -1 when no mesh could be made.
    // An invalid fHandle or a missing renderer is a caller error (asserted; -1).
    virtual int addString(const char* text, float x, float y, float lineSpacing, float a, float r,
                          float g, float b, float scale, int fHandle);
    // Rebuilds the string at index; the others keep their indices. An invalid index is a
    // caller error (asserted; false and nothing changed when assertions are off).
    virtual bool setString(int index, const char* text, float x, float y, float lineSpacing,
                           float a, float r, float g, float b, float scale, int fHandle);
    // Binds the string's font texture, draws it, and unbinds the stage-0 texture. Needs the
    // renderer's context. An invalid index is a caller error (asserted; false).
    virtual bool drawString(int index);
    // Every string in index order, then the stage-0 texture is unbound (also with none).
    virtual bool drawStrings();
    virtual ~rvHUDTextManager();

    // Adds a font set and returns its handle. A glyph file that cannot be opened or read
    // completely is reported with a message ("IO Error") and the font set is still added.
    // Null names are caller errors (asserted; -1 and nothing added when assertions are off);
    // a texture name of 256 characters or more is asserted and otherwise cut to 255.
    int loadFontSet(const char* textureFilename, const char* uvInfoFilename);
    bool loadDefaultFontSet();

    void setRenderer(rvRender* renderer) { mRender = renderer; }
    int getFontSetCount() const { return static_cast<int>(mFontSets.size()); }
    const rvFontSet* getFontSet(int handle) const;
    int getStringCount() const { return static_cast<int>(mStrings.size()); }
    rvMesh* getString(int index) const;

protected:
    // Draws one string's mesh, its font texture bound on stage 0: the back end's filtering
    // for text around the renderer's drawMesh.
    virtual void drawStringMesh(rvMesh* mesh) = 0;

    std::vector<std::unique_ptr<rvFontSet>> mFontSets;
    std::vector<std::unique_ptr<rvMesh>> mStrings;
    rvRender* mRender;

private:
    // The triangle-list mesh of one string: positions, colours (a, r, g, b on every vertex),
    // uvs and the font texture; null for an invalid fHandle or without a renderer (asserted).
    std::unique_ptr<rvMesh> buildStringMesh(const char* text, float x, float y, float lineSpacing,
                                            float a, float r, float g, float b, float scale,
                                            int fHandle);
    bool isString(int index) const { return index >= 0 && index < getStringCount(); }
};
