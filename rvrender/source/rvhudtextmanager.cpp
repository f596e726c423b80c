#include "rvhudtextmanager.h"

#include <cassert>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "rvfile.h"
#include "rvmesh.h"
#include "rvmessage.h"
#include "rvrender.h"

namespace {

constexpr int kHeaderLines = 3;
constexpr int kGlyphCount = 256;
// A line is read into a buffer of this size: at most kLineBuffer − 1 characters of a line are
// kept, the rest of that line is dropped.
constexpr int kLineBuffer = 256;
constexpr int kFieldChars = 10;
constexpr int kFieldCount = 6;
constexpr const char* kAbnormalEnd = "Abnormal end of UV file";

// atoi without its undefined result for numbers beyond the int range (they clamp).
int toInt(const char* field) {
    errno = 0;
    const long value = std::strtol(field, nullptr, 10);
    if (value > INT_MAX) {
        return INT_MAX;
    }
    if (value < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<int>(value);
}

// Reads the next line through `next` (a callable returning the next byte or EOF) into buf
// without its line end: LF ends a line, a CR right before the LF belongs to the line end.
// Characters beyond the buffer are consumed and dropped, so one line of the source is
// always one line here. False when the source is exhausted before any character.
template <typename NextChar> bool readLine(NextChar next, char (&buf)[kLineBuffer]) {
    int stored = 0;
    long total = 0;
    int c = next();
    if (c == EOF) {
        return false;
    }
    int last = EOF;
    while (c != EOF && c != '\n') {
        if (stored < kLineBuffer - 1) {
            buf[stored++] = static_cast<char>(c);
        }
        ++total;
        last = c;
        c = next();
    }
    // total == stored means the CR (the last character read) was kept in the buffer.
    if (c == '\n' && last == '\r' && total == stored) {
        --stored;
    }
    buf[stored] = '\0';
    return true;
}

template <typename NextChar> bool readGlyphs(NextChar next, rvFontSet* font, std::string* error) {
    char line[kLineBuffer];
    for (int i = 0; i < kHeaderLines; ++i) {
        if (!readLine(next, line)) {
            if (error) {
                *error = kAbnormalEnd;
            }
            return false;
        }
    }
    for (int c = 0; c < kGlyphCount; ++c) {
        if (!readLine(next, line)) {
            if (error) {
                *error = kAbnormalEnd;
            }
            return false;
        }
        rvParseGlyphLine(line, &font->glyphs[c]);
    }
    return true;
}

} // namespace

void rvParseGlyphLine(const char* line, rvGlyph* glyph) {
    const char* p = line ? line : "";
    // The line ends at its line feed (with a CR before it) or at its terminator; the cursor
    // never passes that point, so a short line leaves its missing fields empty (0).
    const char* end = p;
    while (*end != '\0' && *end != '\n') {
        ++end;
    }
    if (*end == '\n' && end > p && end[-1] == '\r') {
        --end;
    }

    char fields[kFieldCount][kFieldChars + 1];
    for (auto& field : fields) {
        std::memset(field, 0, sizeof(field));
        int n = 0;
        while (p < end && *p != ' ' && n < kFieldChars) {
            field[n++] = *p++;
        }
        // One character is the separator, whatever it is (an 11th field character included).
        if (p < end) {
            ++p;
        }
    }

    const int width = toInt(fields[0]);
    const int height = toInt(fields[1]);
    const float u0 = static_cast<float>(std::atof(fields[2]));
    const float v0 = static_cast<float>(std::atof(fields[3]));
    const float u1 = static_cast<float>(std::atof(fields[4]));
    const float v1 = static_cast<float>(std::atof(fields[5]));

    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    glyph->width = width;
    glyph->height = height;
    glyph->corners[0] = rvVector3(0.0f, 0.0f, 0.0f);
    glyph->corners[1] = rvVector3(w, 0.0f, 0.0f);
    glyph->corners[2] = rvVector3(w, -h, 0.0f);
    glyph->corners[3] = rvVector3(0.0f, -h, 0.0f);
    const float uvs[4][2] = {{u0, v0}, {u1, v0}, {u1, v1}, {u0, v1}};
    std::memcpy(glyph->uvs, uvs, sizeof(uvs));
}

bool rvParseGlyphText(const std::string& text, rvFontSet* font, std::string* error) {
    size_t pos = 0;
    auto next = [&]() -> int {
        return pos < text.size() ? static_cast<unsigned char>(text[pos++]) : EOF;
    };
    return readGlyphs(next, font, error);
}

bool rvReadGlyphFile(const char* fileName, rvFontSet* font, std::string* error) {
    std::vector<std::uint8_t> bytes;
    if (!rvReadFile(fileName, &bytes, nullptr)) {
        if (error) {
            *error = std::string("Unable to Open UV File: ") + (fileName ? fileName : "(null)");
        }
        return false;
    }
    return rvParseGlyphText(std::string(bytes.begin(), bytes.end()), font, error);
}

int rvLayoutString(const rvFontSet& font, const char* text, float x, float y, float lineSpacing,
                   float scale, std::vector<float>* positions, std::vector<float>* uvs) {
    static const int kOrder[6] = {0, 3, 2, 2, 1, 0};
    float penX = x;
    float penY = y;
    int glyphs = 0;
    for (const char* s = text ? text : ""; *s != '\0'; ++s) {
        const unsigned char code = static_cast<unsigned char>(*s);
        if (code == '\n') {
            // The line step is the newline glyph's own height, not scaled.
            penY -= static_cast<float>(font.glyphs[static_cast<unsigned char>('\n')].height) -
                    lineSpacing;
            penX = x;
            continue;
        }
        const rvGlyph& glyph = font.glyphs[code];
        for (int corner : kOrder) {
            const rvVector3& c = glyph.corners[corner];
            positions->push_back(c.x * scale + penX);
            positions->push_back(c.y * scale + penY);
            positions->push_back(c.z * scale);
            uvs->push_back(glyph.uvs[corner][0]);
            uvs->push_back(glyph.uvs[corner][1]);
        }
        penX += static_cast<float>(glyph.width) * scale;
        ++glyphs;
    }
    return glyphs;
}

rvHUDTextManager::rvHUDTextManager() : mRender(nullptr) {}

rvHUDTextManager::~rvHUDTextManager() = default;

int rvHUDTextManager::loadFontSet(const char* textureFilename, const char* uvInfoFilename) {
    assert(textureFilename != nullptr && "Bad Texture Filename");
    assert(uvInfoFilename != nullptr && "Bad UV Filename");
    if (!textureFilename || !uvInfoFilename) {
        return -1;
    }
    const size_t nameLength = std::strlen(textureFilename);
    assert(nameLength < 256 && "Texture filename exceeds 256");

    // Value-initialised: every glyph no line describes stays zero.
    auto font = std::make_unique<rvFontSet>();
    const size_t copied =
        nameLength < sizeof(font->textureFileName) ? nameLength : sizeof(font->textureFileName) - 1;
    std::memcpy(font->textureFileName, textureFilename, copied);
    font->textureFileName[copied] = '\0';

    std::string error;
    if (!rvReadGlyphFile(uvInfoFilename, font.get(), &error)) {
        rvShowMessage(error.c_str(), "IO Error");
    }
    mFontSets.push_back(std::move(font));
    return static_cast<int>(mFontSets.size()) - 1;
}

bool rvHUDTextManager::loadDefaultFontSet() {
    loadFontSet(kDefaultFontTexture, kDefaultFontGlyphs);
    return true;
}

const rvFontSet* rvHUDTextManager::getFontSet(int handle) const {
    if (handle < 0 || static_cast<size_t>(handle) >= mFontSets.size()) {
        return nullptr;
    }
    return mFontSets[handle].get();
}

rvMesh* rvHUDTextManager::getString(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= mStrings.size()) {
        return nullptr;
    }
    return mStrings[index].get();
}

std::unique_ptr<rvMesh> rvHUDTextManager::buildStringMesh(const char* text, float x, float y,
                                                          float lineSpacing, float a, float r,
                                                          float g, float b, float scale,
                                                          int fHandle) {
    const bool validHandle = fHandle >= 0 && static_cast<size_t>(fHandle) < mFontSets.size();
    assert(validHandle && "fHandle >= 0 && fHandle < mFontSets.size()");
    assert(mRender != nullptr && "HUD text manager has no renderer");
    if (!validHandle || !mRender) {
        return nullptr;
    }
    const rvFontSet& font = *mFontSets[fHandle];

    std::vector<float> positions;
    std::vector<float> uvs;
    const int glyphs = rvLayoutString(font, text, x, y, lineSpacing, scale, &positions, &uvs);
    std::vector<float> colors;
    colors.reserve(static_cast<size_t>(glyphs) * 24);
    for (int v = 0; v < glyphs * 6; ++v) {
        colors.insert(colors.end(), {a, r, g, b});
    }

    std::unique_ptr<rvMesh> mesh(mRender->createMesh(nullptr, kTriangleList));
    if (!mesh) {
        return nullptr;
    }
    // An empty string still gets its (empty) streams; meshes refuse null arrays.
    static const float kNothing[1] = {0.0f};
    auto data = [](const std::vector<float>& v) { return v.empty() ? kNothing : v.data(); };
    mesh->setPositions(data(positions), glyphs * 18);
    mesh->setFourFloatColors(data(colors), glyphs * 24);
    mesh->setUVs(data(uvs), glyphs * 12);
    mesh->loadTexture(font.textureFileName);
    return mesh;
}

int rvHUDTextManager::addString(const char* text, float x, float y, float lineSpacing, float a,
                                float r, float g, float b, float scale, int fHandle) {
    std::unique_ptr<rvMesh> mesh =
        buildStringMesh(text, x, y, lineSpacing, a, r, g, b, scale, fHandle);
    if (!mesh) {
        return -1;
    }
    mStrings.push_back(std::move(mesh));
    return getStringCount() - 1;
}

bool rvHUDTextManager::setString(int index, const char* text, float x, float y, float lineSpacing,
                                 float a, float r, float g, float b, float scale, int fHandle) {
    assert(isString(index) && "index <= mStrings.size()-1");
    if (!isString(index)) {
        return false;
    }
    std::unique_ptr<rvMesh> mesh =
        buildStringMesh(text, x, y, lineSpacing, a, r, g, b, scale, fHandle);
    if (!mesh) {
        return false;
    }
    mStrings[index] = std::move(mesh);
    return true;
}

bool rvHUDTextManager::drawString(int index) {
    assert(isString(index) && "index <= mStrings.size()-1");
    assert(mRender && "HUD text manager has no renderer");
    if (!isString(index) || !mRender) {
        return false;
    }
    mRender->setTexture(mStrings[index]->getTexture());
    drawStringMesh(mStrings[index].get());
    mRender->setTexture(nullptr);
    return true;
}

bool rvHUDTextManager::drawStrings() {
    assert(mRender && "HUD text manager has no renderer");
    if (!mRender) {
        return false;
    }
    for (const std::unique_ptr<rvMesh>& mesh : mStrings) {
        mRender->setTexture(mesh->getTexture());
        drawStringMesh(mesh.get());
    }
    mRender->setTexture(nullptr);
    return true;
}
