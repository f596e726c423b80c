// CImage's TGA codec: uncompressed true-colour (type 2) 24- and 32-bit Targas, in and out.
#include <cstring>

#include "cimage.h"
#include "cimagefile.h"

using namespace cimagefile;

namespace {

constexpr std::size_t kTgaHeaderBytes = 18;
constexpr std::uint8_t kTgaTrueColour = 2;
constexpr std::uint8_t kTgaAlphaBits = 8; // descriptor bits 0-3; bit 5 clear = bottom-left origin

} // namespace

bool CImage::loadTGA(const char* fileName) {
    return loadFile(fileName, &CImage::loadTGAFromMemory);
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

bool CImage::writeTGA(const char* fileName) const {
    return writeFile(fileName, encodeTGA());
}
