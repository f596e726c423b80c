// An in-memory 24- or 32-bit image in the layout of an uncompressed DIB: pixels are blue,
// green, red (, alpha); lines are stored bottom-up (line 0 is the bottom row of the picture)
// and padded to a multiple of 4 bytes, and the whole pixel block is contiguous, so
// getLinePtr(0) addresses all of it (OpenGL's default unpack alignment reads it as is).
//
// Operations that take picture coordinates (x to the right, y downwards; rectangles left,
// top, right, bottom with right and bottom exclusive) convert row y to line height − 1 − y.
//
// On Windows the pixels live in a DIB section selected into a memory device context of the
// image's own (getDC), so that GDI can draw text into it and BitBlt can copy it; elsewhere in
// plain memory. The two allocations are cimage_win32.cpp and cimage_memory.cpp; the file
// codecs are cimagebmp.cpp and cimagetga.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct rvRect {
    int left, top, right, bottom;
};

class CImage {
public:
    // Images larger than this in either direction are refused by the loaders.
    static constexpr int kMaxDimension = 16384;

    CImage() = default;
    ~CImage();
    CImage(const CImage& other);
    CImage& operator=(const CImage& other);
    CImage(CImage&& other) noexcept;
    CImage& operator=(CImage&& other) noexcept;

    // width × height pixels of `channels` bytes (3 or 4). False for another channel count or
    // a non-positive or absurd size (the sizes stay stored). New pixels are zero.
    bool create(int width, int height, int channels);
    void release();

    // Uncompressed 24/32-bit BMP and uncompressed true-colour (type 2) 24/32-bit TGA. A file
    // whose sizes disagree with its length, or that ends early, fails with a one-line reason
    // in error(); the image is then empty.
    // BMP: the info header must be at least 40 bytes; compression BI_RGB, or BI_BITFIELDS on a
    // 32-bit file whose masks are the plain B, G, R order; a negative height (top-down rows) is
    // flipped into bottom-up lines. TGA: a colour map in the file is skipped; the descriptor's
    // origin bits are not examined, rows are always taken bottom-up.
    bool loadBMP(const char* fileName);
    bool loadTGA(const char* fileName);
    bool loadBMPFromMemory(const void* data, std::size_t size);
    bool loadTGAFromMemory(const void* data, std::size_t size);
    const std::string& error() const { return mError; }

    // Writers for the tools: BMP with a 40-byte info header, TGA type 2 with bottom-up rows.
    // An empty image encodes to no bytes and is not written (false).
    bool writeBMP(const char* fileName) const;
    bool writeTGA(const char* fileName) const;
    std::vector<std::uint8_t> encodeBMP() const;
    std::vector<std::uint8_t> encodeTGA() const;

    int getWidth() const { return mWidth; }
    int getHeight() const { return mHeight; }
    int getChannels() const { return mChannels; }
    int getLineBytes() const { return mLineBytes; }
    bool empty() const { return mBits == nullptr; }
    // The memory device context holding the pixels (an HDC) on Windows; null elsewhere and
    // while the image is empty.
    void* getDC() const { return mDC; }
    // Precondition: 0 ≤ lineNum < height.
    std::uint8_t* getLinePtr(int lineNum);
    const std::uint8_t* getLinePtr(int lineNum) const;

    // Whole image: byte 2 = c1, byte 1 = c3, byte 0 = c2 (the window's back-buffer order).
    void clear(std::uint8_t c1, std::uint8_t c2, std::uint8_t c3);
    void fill(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
    // Clips right and bottom to the image and writes the clipped values back; left and top
    // must be ≥ 0. Byte 3 is not touched.
    void fillRect(rvRect* rect, std::uint8_t red, std::uint8_t green, std::uint8_t blue);

    // Copies the source rectangle `src` to (x, y), clipped against this image on all sides;
    // the clipped rectangle is written back into *src. A rectangle reaching outside the source
    // is first cut to the source (a clipped left or top edge moves the destination with it).
    // A broken precondition below does nothing (and asserts in debug builds).
    // blit: same channel count on both; all bytes of each pixel are copied.
    void blit(const CImage& source, int x, int y, rvRect* src);
    // The rest need a 4-channel destination. blitAlpha: source alpha (byte 3) per pixel.
    void blitAlpha(const CImage& source, int x, int y, rvRect* src);
    void blitColorKey(const CImage& source, int x, int y, rvRect* src, std::uint8_t keyRed,
                      std::uint8_t keyGreen, std::uint8_t keyBlue);
    void blitBlend(const CImage& source, int x, int y, rvRect* src, std::uint8_t alpha);
    void blitBlendColorKey(const CImage& source, int x, int y, rvRect* src, std::uint8_t alpha,
                           std::uint8_t keyRed, std::uint8_t keyGreen, std::uint8_t keyBlue);

    // Rescale the source into this image's size (bytes 0–2; byte 3 untouched).
    void scaleFrom(const CImage& source);
    // Over the source part given in line coordinates; it must lie inside the source with
    // left < right and top < bottom, otherwise nothing is drawn.
    void scaleFromRect(const CImage& source, int left, int top, int right, int bottom);
    void scaleBilinear(const CImage& source);

private:
    bool fail(const std::string& reason);
    // Reads the file (within the size limit) and decodes it with loadBMPFromMemory or
    // loadTGAFromMemory; a failure names the file.
    bool loadFile(const char* fileName, bool (CImage::*decode)(const void*, std::size_t));
    // A zeroed pixel block of mLineBytes × mHeight bytes; false, with every handle null, when
    // the platform cannot make one. freePixels gives it back and nulls the handles.
    bool allocatePixels();
    void freePixels();
    void swap(CImage& other) noexcept;

    int mWidth = 0;
    int mHeight = 0;
    int mChannels = 0;
    int mLineBytes = 0;
    std::uint8_t* mBits = nullptr;
    void* mDC = nullptr;        // Windows: the memory device context
    void* mBitmap = nullptr;    // Windows: the DIB section
    void* mOldBitmap = nullptr; // Windows: the bitmap the DC held before
    std::string mError;
};
