// CImage's BMP codec: uncompressed 24- and 32-bit Windows bitmaps in, 40-byte-header bitmaps out.
#include <algorithm>
#include <cstring>

#include "cimage.h"
#include "cimagefile.h"

using namespace cimagefile;

namespace {

constexpr std::uint16_t kBmpSignature = 19778; // 'B', 'M' read as a little-endian word
constexpr std::size_t kBmpFileHeaderBytes = 14;
constexpr std::size_t kBmpInfoHeaderBytes = 40;
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;

} // namespace

bool CImage::loadBMP(const char* fileName) {
    return loadFile(fileName, &CImage::loadBMPFromMemory);
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

bool CImage::writeBMP(const char* fileName) const {
    return writeFile(fileName, encodeBMP());
}
