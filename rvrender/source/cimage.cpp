#include "cimage.h"

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <cstring>
#include <new>
#include <utility>

#include "rvfile.h"

namespace {

constexpr std::uint16_t kBmpSignature = 19778; // 'B', 'M' read as a little-endian word
constexpr std::size_t kBmpFileHeaderBytes = 14;
constexpr std::size_t kBmpInfoHeaderBytes = 40;
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::size_t kTgaHeaderBytes = 18;
constexpr std::uint8_t kTgaTrueColour = 2;
constexpr std::uint8_t kTgaAlphaBits = 8; // descriptor bits 0-3; bit 5 clear = bottom-left origin

// No valid file of ours is larger than the biggest image plus generous room for headers and
// palettes; anything longer is refused before it is read into memory.
constexpr std::size_t kMaxFileBytes =
    std::size_t(CImage::kMaxDimension) * std::size_t(CImage::kMaxDimension) * 4 +
    (std::size_t(1) << 20);

int paddedLineBytes(long long width, long long channels) {
    long long bytes = (width * channels + 3) / 4 * 4;
    return bytes >= 0 && bytes <= 0x7fffffffLL ? int(bytes) : 0;
}

std::uint16_t readU16(const std::uint8_t* p) {
    return std::uint16_t(p[0] | (p[1] << 8));
}

std::uint32_t readU32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

std::int32_t readI32(const std::uint8_t* p) {
    std::uint32_t u = readU32(p);
    return u <= 0x7fffffffu ? std::int32_t(u) : -std::int32_t(~u) - 1;
}

void putU16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}

void putU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    putU16(out, v & 0xffffu);
    putU16(out, v >> 16);
}

bool writeFile(const char* fileName, const std::vector<std::uint8_t>& bytes) {
    return !bytes.empty() && rvWriteFile(fileName, bytes.data(), bytes.size(), nullptr);
}

std::string sizeText(long long width, long long height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

} // namespace

bool CImage::create(int width, int height, int channels) {
    release();
    mWidth = width;
    mHeight = height;
    mChannels = channels;
    mLineBytes = paddedLineBytes(width, channels);
    if (channels != 3 && channels != 4)
        return false;
    if (width <= 0 || height <= 0 || width > kMaxDimension || height > kMaxDimension)
        return false;
    // Zeroed so that padding and unwritten pixels are deterministic.
    return allocatePixels();
}

void CImage::release() {
    freePixels();
    mWidth = mHeight = mChannels = mLineBytes = 0;
}

CImage::~CImage() {
    freePixels();
}

CImage::CImage(const CImage& other) : mError(other.mError) {
    if (!other.empty() && create(other.mWidth, other.mHeight, other.mChannels)) {
        std::memcpy(mBits, other.mBits, std::size_t(mLineBytes) * std::size_t(mHeight));
    }
}

CImage& CImage::operator=(const CImage& other) {
    if (this != &other) {
        CImage copy(other);
        swap(copy);
    }
    return *this;
}

CImage::CImage(CImage&& other) noexcept {
    swap(other);
}

CImage& CImage::operator=(CImage&& other) noexcept {
    if (this != &other) {
        CImage taken(std::move(other));
        swap(taken);
    }
    return *this;
}

void CImage::swap(CImage& other) noexcept {
    std::swap(mWidth, other.mWidth);
    std::swap(mHeight, other.mHeight);
    std::swap(mChannels, other.mChannels);
    std::swap(mLineBytes, other.mLineBytes);
    std::swap(mBits, other.mBits);
    std::swap(mDC, other.mDC);
    std::swap(mBitmap, other.mBitmap);
    std::swap(mOldBitmap, other.mOldBitmap);
    std::swap(mError, other.mError);
}

std::uint8_t* CImage::getLinePtr(int lineNum) {
    assert(lineNum >= 0 && lineNum < mHeight && mBits && "Error in CImage::getLinePtr()");
    return mBits + std::size_t(lineNum) * std::size_t(mLineBytes);
}

const std::uint8_t* CImage::getLinePtr(int lineNum) const {
    assert(lineNum >= 0 && lineNum < mHeight && mBits && "Error in CImage::getLinePtr()");
    return mBits + std::size_t(lineNum) * std::size_t(mLineBytes);
}

void CImage::clear(std::uint8_t c1, std::uint8_t c2, std::uint8_t c3) {
    if (empty())
        return;
    std::uint8_t* first = getLinePtr(0);
    for (int x = 0; x < mWidth; ++x) {
        std::uint8_t* p = first + x * mChannels;
        p[2] = c1;
        p[1] = c3;
        p[0] = c2;
    }
    for (int line = 1; line < mHeight; ++line)
        std::memcpy(getLinePtr(line), first, std::size_t(mLineBytes));
}

void CImage::fill(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    rvRect all = {0, 0, mWidth, mHeight};
    fillRect(&all, red, green, blue);
}

void CImage::fillRect(rvRect* rect, std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    assert(rect && rect->left >= 0 && rect->top >= 0 && "Error in CImage::fillRect()");
    if (!rect || empty() || rect->left < 0 || rect->top < 0)
        return;
    if (rect->left >= mWidth || rect->top >= mHeight)
        return;
    rect->right = std::min(rect->right, mWidth);
    rect->bottom = std::min(rect->bottom, mHeight);
    for (int y = rect->top; y < rect->bottom; ++y) {
        std::uint8_t* line = getLinePtr(mHeight - 1 - y);
        for (int x = rect->left; x < rect->right; ++x) {
            std::uint8_t* p = line + x * mChannels;
            p[2] = red;
            p[1] = green;
            p[0] = blue;
        }
    }
}

namespace {

// The visible part of a copy: source rectangle (picture rows) and destination corner.
struct Span {
    int srcLeft, srcTop, width, height, x, y;
};

// Clips *src against the source image first (a rectangle reaching outside it would read past
// its pixels; the destination corner moves with a clipped left or top edge), then against the
// destination on all sides. Writes the clipped rectangle back; false when nothing is visible.
bool clipCopy(int dstWidth, int dstHeight, int srcWidth, int srcHeight, long long x, long long y,
              rvRect* src, Span& span) {
    long long left = src->left, top = src->top, right = src->right, bottom = src->bottom;
    if (left < 0) {
        x -= left;
        left = 0;
    }
    if (top < 0) {
        y -= top;
        top = 0;
    }
    right = std::min<long long>(right, srcWidth);
    bottom = std::min<long long>(bottom, srcHeight);
    if (right <= left || bottom <= top)
        return false;
    if (x >= dstWidth || y >= dstHeight)
        return false;
    if (y + (bottom - top) < 1 || x + (right - left) < 1)
        return false;
    if (x + (right - left) > dstWidth)
        right = dstWidth - x + left;
    if (y + (bottom - top) > dstHeight)
        bottom = dstHeight - y + top;
    if (x < 0) {
        left += -x;
        x = 0;
    }
    if (y < 0) {
        top += -y;
        y = 0;
    }
    *src = rvRect{int(left), int(top), int(right), int(bottom)};
    span = Span{int(left), int(top), int(right - left), int(bottom - top), int(x), int(y)};
    return true;
}

std::uint8_t blendByte(std::uint8_t d, std::uint8_t s, int alpha) {
    // Arithmetic shift: a negative difference rounds towards minus infinity.
    return std::uint8_t(d + (((int(s) - int(d)) * alpha + 255) >> 8));
}

bool isKey(const std::uint8_t* s, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return s[2] == r && s[1] == g && s[0] == b;
}

enum class CopyMode { Alpha, ColorKey, Blend, BlendColorKey };

} // namespace

void CImage::blit(const CImage& source, int x, int y, rvRect* src) {
    assert(src && source.mChannels == mChannels && "Error in CImage::blit()");
    if (!src || empty() || source.empty() || source.mChannels != mChannels)
        return;
    Span s;
    if (!clipCopy(mWidth, mHeight, source.mWidth, source.mHeight, x, y, src, s))
        return;
    std::size_t bytes = std::size_t(s.width) * std::size_t(mChannels);
    for (int row = 0; row < s.height; ++row) {
        const std::uint8_t* from =
            source.getLinePtr(source.mHeight - 1 - (s.srcTop + row)) + s.srcLeft * source.mChannels;
        std::uint8_t* to = getLinePtr(mHeight - 1 - (s.y + row)) + s.x * mChannels;
        std::memmove(to, from, bytes); // a blit within one image may overlap
    }
}

namespace {

void copyPixels(CImage& dst, const CImage& source, const Span& s, CopyMode mode, std::uint8_t alpha,
                std::uint8_t kr, std::uint8_t kg, std::uint8_t kb) {
    int dc = dst.getChannels(), sc = source.getChannels();
    for (int row = 0; row < s.height; ++row) {
        const std::uint8_t* sp =
            source.getLinePtr(source.getHeight() - 1 - (s.srcTop + row)) + s.srcLeft * sc;
        std::uint8_t* dp = dst.getLinePtr(dst.getHeight() - 1 - (s.y + row)) + s.x * dc;
        for (int i = 0; i < s.width; ++i, sp += sc, dp += dc) {
            bool keyed = (mode == CopyMode::ColorKey || mode == CopyMode::BlendColorKey);
            if (keyed && isKey(sp, kr, kg, kb))
                continue;
            if (mode == CopyMode::ColorKey) {
                dp[2] = sp[2];
                dp[1] = sp[1];
                dp[0] = sp[0];
                continue;
            }
            int a = mode == CopyMode::Alpha ? sp[3] : alpha;
            dp[2] = blendByte(dp[2], sp[2], a);
            dp[1] = blendByte(dp[1], sp[1], a);
            dp[0] = blendByte(dp[0], sp[0], a);
        }
    }
}

} // namespace

void CImage::blitAlpha(const CImage& source, int x, int y, rvRect* src) {
    assert(src && mChannels == 4 && source.mChannels == 4 && "Error in CImage::blitAlpha()");
    if (!src || empty() || source.empty() || mChannels != 4 || source.mChannels != 4)
        return;
    Span s;
    if (clipCopy(mWidth, mHeight, source.mWidth, source.mHeight, x, y, src, s))
        copyPixels(*this, source, s, CopyMode::Alpha, 0, 0, 0, 0);
}

void CImage::blitColorKey(const CImage& source, int x, int y, rvRect* src, std::uint8_t keyRed,
                          std::uint8_t keyGreen, std::uint8_t keyBlue) {
    assert(src && mChannels == 4 && "Error in CImage::blitColorKey()");
    if (!src || empty() || source.empty() || mChannels != 4)
        return;
    Span s;
    if (clipCopy(mWidth, mHeight, source.mWidth, source.mHeight, x, y, src, s))
        copyPixels(*this, source, s, CopyMode::ColorKey, 0, keyRed, keyGreen, keyBlue);
}

void CImage::blitBlend(const CImage& source, int x, int y, rvRect* src, std::uint8_t alpha) {
    assert(src && mChannels == 4 && "Error in CImage::blitBlend()");
    if (!src || empty() || source.empty() || mChannels != 4)
        return;
    Span s;
    if (clipCopy(mWidth, mHeight, source.mWidth, source.mHeight, x, y, src, s))
        copyPixels(*this, source, s, CopyMode::Blend, alpha, 0, 0, 0);
}

void CImage::blitBlendColorKey(const CImage& source, int x, int y, rvRect* src, std::uint8_t alpha,
                               std::uint8_t keyRed, std::uint8_t keyGreen, std::uint8_t keyBlue) {
    assert(src && mChannels == 4 && "Error in CImage::blitBlendColorKey()");
    if (!src || empty() || source.empty() || mChannels != 4)
        return;
    Span s;
    if (clipCopy(mWidth, mHeight, source.mWidth, source.mHeight, x, y, src, s))
        copyPixels(*this, source, s, CopyMode::BlendColorKey, alpha, keyRed, keyGreen, keyBlue);
}

void CImage::scaleFrom(const CImage& source) {
    scaleFromRect(source, 0, 0, source.mWidth, source.mHeight);
}

void CImage::scaleFromRect(const CImage& source, int left, int top, int right, int bottom) {
    if (empty() || source.empty())
        return;
    if (left < 0 || top < 0 || right > source.mWidth || bottom > source.mHeight || left >= right ||
        top >= bottom)
        return;
    float xs = float(right - left) / float(mWidth);
    float ys = float(bottom - top) / float(mHeight);
    for (int y = 0; y < mHeight; ++y) {
        // The clamps only guard against rounding; exact arithmetic stays below the limits.
        int sy = std::min(int(float(y) * ys + float(top)), bottom - 1);
        const std::uint8_t* from = source.getLinePtr(sy);
        std::uint8_t* to = getLinePtr(y);
        for (int x = 0; x < mWidth; ++x) {
            int sx = std::min(int(float(x) * xs + float(left)), right - 1);
            const std::uint8_t* s = from + sx * source.mChannels;
            std::uint8_t* d = to + x * mChannels;
            d[2] = s[2];
            d[1] = s[1];
            d[0] = s[0];
        }
    }
}

void CImage::scaleBilinear(const CImage& source) {
    if (empty() || source.empty())
        return;
    const float xs = float(source.mWidth) / float(mWidth);
    const float ys = float(source.mHeight) / float(mHeight);
    const int lastLine = source.mHeight - 1, lastColumn = source.mWidth - 1;
    const int sc = source.mChannels;
    for (int y = 0; y < mHeight; ++y) {
        float fy = std::max((float(y) + 0.5f) * ys - 0.5f, 0.0f);
        int y0 = std::min(int(fy), lastLine);
        float wy = fy - float(y0);
        const std::uint8_t* lower = source.getLinePtr(y0);
        const std::uint8_t* upper = source.getLinePtr(y0 < lastLine ? y0 + 1 : y0);
        std::uint8_t* to = getLinePtr(y);
        for (int x = 0; x < mWidth; ++x) {
            float fx = std::max((float(x) + 0.5f) * xs - 0.5f, 0.0f);
            int x0 = int(fx), x1 = x0 + 1;
            if (x0 >= lastColumn)
                x0 = x1 = lastColumn;
            float wx = fx - float(x0);
            std::uint8_t* d = to + x * mChannels;
            for (int b = 2; b >= 0; --b) {
                float v = float(lower[x0 * sc + b]) * (1.0f - wy) * (1.0f - wx);
                v += float(upper[x0 * sc + b]) * wy * (1.0f - wx);
                v += float(lower[x1 * sc + b]) * (1.0f - wy) * wx;
                v += float(upper[x1 * sc + b]) * wy * wx;
                d[b] = std::uint8_t(v);
            }
        }
    }
}

bool CImage::fail(const std::string& reason) {
    release();
    mError = reason;
    return false;
}

bool CImage::loadBMP(const char* fileName) {
    std::vector<std::uint8_t> bytes;
    std::string reason;
    if (!rvReadFile(fileName, &bytes, &reason, kMaxFileBytes))
        return fail(reason);
    if (!loadBMPFromMemory(bytes.data(), bytes.size()))
        return fail(std::string(fileName) + ": " + mError);
    return true;
}

bool CImage::loadTGA(const char* fileName) {
    std::vector<std::uint8_t> bytes;
    std::string reason;
    if (!rvReadFile(fileName, &bytes, &reason, kMaxFileBytes))
        return fail(reason);
    if (!loadTGAFromMemory(bytes.data(), bytes.size()))
        return fail(std::string(fileName) + ": " + mError);
    return true;
}

bool CImage::loadBMPFromMemory(const void* data, std::size_t size) {
    const std::uint8_t* p = static_cast<const std::uint8_t*>(data);
    if (!p && size > 0)
        return fail("BMP: no data");
    if (size < kBmpFileHeaderBytes)
        return fail("BMP: file header truncated (" + std::to_string(size) + " bytes)");
    if (readU16(p) != kBmpSignature)
        return fail("BMP: wrong signature (not 'BM')");
    const std::uint64_t pixelOffset = readU32(p + 10);
    if (size < kBmpFileHeaderBytes + kBmpInfoHeaderBytes)
        return fail("BMP: info header truncated (" + std::to_string(size) + " bytes)");
    const std::uint8_t* info = p + kBmpFileHeaderBytes;
    const std::uint32_t infoSize = readU32(info);
    const long long width = readI32(info + 4);
    const long long rawHeight = readI32(info + 8);
    const int bitCount = readU16(info + 14);
    const std::uint32_t compression = readU32(info + 16);

    // Smaller (OS/2 core) headers lay the fields out differently.
    if (infoSize < kBmpInfoHeaderBytes)
        return fail("BMP: unsupported info header size " + std::to_string(infoSize));
    if (bitCount != 24 && bitCount != 32)
        return fail("BMP: unsupported bit depth " + std::to_string(bitCount) +
                    " (only 24 and 32 bits load)");
    // Channel masks, when present, follow a 40-byte header or sit inside a larger one.
    std::uint64_t headersEnd = kBmpFileHeaderBytes + std::uint64_t(infoSize);
    if (compression == kBiBitfields) {
        if (bitCount != 32)
            return fail("BMP: BI_BITFIELDS is only accepted for 32-bit files");
        headersEnd = std::max<std::uint64_t>(headersEnd, kBmpFileHeaderBytes + 52);
        if (size < kBmpFileHeaderBytes + kBmpInfoHeaderBytes + 12)
            return fail("BMP: channel masks truncated");
        const std::uint8_t* masks = info + kBmpInfoHeaderBytes;
        // Only the masks that describe the plain B, G, R, A byte order are accepted.
        if (readU32(masks) != 0x00ff0000u || readU32(masks + 4) != 0x0000ff00u ||
            readU32(masks + 8) != 0x000000ffu)
            return fail("BMP: unsupported BI_BITFIELDS channel masks");
    } else if (compression != kBiRgb) {
        return fail("BMP: unsupported compression " + std::to_string(compression) +
                    " (only uncompressed files load)");
    }
    // A negative height marks a top-down file; it is flipped into bottom-up lines.
    const bool topDown = rawHeight < 0;
    const long long height = topDown ? -rawHeight : rawHeight;
    if (width <= 0 || height <= 0)
        return fail("BMP: bad image size " + sizeText(width, rawHeight));
    if (width > kMaxDimension || height > kMaxDimension)
        return fail("BMP: image size " + sizeText(width, rawHeight) + " is too large");
    if (pixelOffset < headersEnd)
        return fail("BMP: pixel data offset " + std::to_string(pixelOffset) +
                    " lies inside the headers");
    const int channels = bitCount / 8;
    const std::uint64_t fileLine = std::uint64_t(paddedLineBytes(width, channels));
    const std::uint64_t needed = pixelOffset + fileLine * std::uint64_t(height);
    if (pixelOffset > size)
        return fail("BMP: pixel data offset " + std::to_string(pixelOffset) +
                    " lies past the end of the file (" + std::to_string(size) + " bytes)");
    if (needed > size)
        return fail("BMP: pixel rows end past the end of the file (need " + std::to_string(needed) +
                    " bytes, have " + std::to_string(size) + ")");

    if (!create(int(width), int(height), channels))
        return fail("BMP: cannot allocate " + sizeText(width, height) + " pixels");
    const std::size_t rowBytes = std::size_t(width) * std::size_t(channels);
    for (int row = 0; row < mHeight; ++row) {
        const std::uint8_t* from = p + pixelOffset + std::size_t(row) * fileLine;
        int line = topDown ? mHeight - 1 - row : row;
        std::memcpy(getLinePtr(line), from, rowBytes);
    }
    mError.clear();
    return true;
}

bool CImage::loadTGAFromMemory(const void* data, std::size_t size) {
    const std::uint8_t* p = static_cast<const std::uint8_t*>(data);
    if (!p && size > 0)
        return fail("TGA: no data");
    if (size < kTgaHeaderBytes)
        return fail("TGA: header truncated (" + std::to_string(size) + " bytes)");
    const std::uint8_t idLength = p[0];
    const std::uint8_t colourMapType = p[1];
    const std::uint8_t imageType = p[2];
    const std::uint16_t colourMapLength = readU16(p + 5);
    const std::uint8_t colourMapEntryBits = p[7];
    const int width = readU16(p + 12);
    const int height = readU16(p + 14);
    const int depth = p[16];
    // The descriptor (p[17]) is not examined: rows are always taken bottom-up.

    if (imageType != kTgaTrueColour)
        return fail("TGA: unsupported image type " + std::to_string(imageType) +
                    " (only uncompressed true colour, type 2, loads)");
    if (depth != 24 && depth != 32)
        return fail("TGA: unsupported pixel depth " + std::to_string(depth) +
                    " (only 24 and 32 bits load)");
    if (width <= 0 || height <= 0)
        return fail("TGA: bad image size " + sizeText(width, height));
    if (width > kMaxDimension || height > kMaxDimension)
        return fail("TGA: image size " + sizeText(width, height) + " is too large");
    // A true-colour file may still carry a colour map; its entries precede the pixels.
    std::uint64_t pixelOffset = kTgaHeaderBytes + std::uint64_t(idLength);
    if (colourMapType != 0)
        pixelOffset += std::uint64_t(colourMapLength) * ((colourMapEntryBits + 7u) / 8u);
    if (pixelOffset > size)
        return fail("TGA: image ID or colour map runs past the end of the file");
    const int channels = depth / 8;
    const std::size_t rowBytes = std::size_t(width) * std::size_t(channels);
    const std::uint64_t needed = pixelOffset + std::uint64_t(rowBytes) * std::uint64_t(height);
    if (needed > size)
        return fail("TGA: pixel rows end past the end of the file (need " + std::to_string(needed) +
                    " bytes, have " + std::to_string(size) + ")");

    if (!create(width, height, channels))
        return fail("TGA: cannot allocate " + sizeText(width, height) + " pixels");
    for (int line = 0; line < mHeight; ++line)
        std::memcpy(getLinePtr(line), p + pixelOffset + std::size_t(line) * rowBytes, rowBytes);
    mError.clear();
    return true;
}

std::vector<std::uint8_t> CImage::encodeBMP() const {
    std::vector<std::uint8_t> out;
    if (empty())
        return out;
    const std::uint32_t pixelBytes = std::uint32_t(mLineBytes) * std::uint32_t(mHeight);
    const std::uint32_t offset = kBmpFileHeaderBytes + kBmpInfoHeaderBytes;
    out.reserve(offset + pixelBytes);
    putU16(out, kBmpSignature);
    putU32(out, offset + pixelBytes);
    putU32(out, 0); // two reserved words
    putU32(out, offset);
    putU32(out, kBmpInfoHeaderBytes);
    putU32(out, std::uint32_t(mWidth));
    putU32(out, std::uint32_t(mHeight)); // positive: bottom-up rows
    putU16(out, 1);                      // planes
    putU16(out, std::uint32_t(mChannels * 8));
    putU32(out, kBiRgb);
    putU32(out, pixelBytes);
    for (int i = 0; i < 4; ++i)
        putU32(out, 0); // resolution and palette fields
    const std::size_t rowBytes = std::size_t(mWidth) * std::size_t(mChannels);
    for (int line = 0; line < mHeight; ++line) {
        const std::uint8_t* row = getLinePtr(line);
        out.insert(out.end(), row, row + rowBytes);
        out.insert(out.end(), std::size_t(mLineBytes) - rowBytes, 0);
    }
    return out;
}

std::vector<std::uint8_t> CImage::encodeTGA() const {
    std::vector<std::uint8_t> out;
    if (empty())
        return out;
    const std::size_t rowBytes = std::size_t(mWidth) * std::size_t(mChannels);
    out.reserve(kTgaHeaderBytes + rowBytes * std::size_t(mHeight));
    out.push_back(0); // no image ID
    out.push_back(0); // no colour map
    out.push_back(kTgaTrueColour);
    out.insert(out.end(), 9, 0); // colour-map fields, x and y origin
    putU16(out, std::uint32_t(mWidth));
    putU16(out, std::uint32_t(mHeight));
    out.push_back(std::uint8_t(mChannels * 8));
    out.push_back(mChannels == 4 ? kTgaAlphaBits : 0);
    for (int line = 0; line < mHeight; ++line) {
        const std::uint8_t* row = getLinePtr(line);
        out.insert(out.end(), row, row + rowBytes);
    }
    return out;
}

bool CImage::writeBMP(const char* fileName) const {
    return writeFile(fileName, encodeBMP());
}

bool CImage::writeTGA(const char* fileName) const {
    return writeFile(fileName, encodeTGA());
}
