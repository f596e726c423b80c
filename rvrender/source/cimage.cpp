#include "cimage.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <new>
#include <utility>

#include "cimagefile.h"
#include "rvfile.h"

bool CImage::create(int width, int height, int channels) {
    release();
    mWidth = width;
    mHeight = height;
    mChannels = channels;
    mLineBytes = cimagefile::paddedLineBytes(width, channels);
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

bool CImage::loadFile(const char* fileName, bool (CImage::*decode)(const void*, std::size_t)) {
    std::vector<std::uint8_t> bytes;
    std::string reason;
    if (!rvReadFile(fileName, &bytes, &reason, cimagefile::kMaxFileBytes))
        return fail(reason);
    if (!(this->*decode)(bytes.data(), bytes.size()))
        return fail(std::string(fileName) + ": " + mError);
    return true;
}
