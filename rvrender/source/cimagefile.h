// What the image and its BMP and TGA codecs share: line padding, little-endian fields, the
// file size limit and messages. Private to cimage*.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cimage.h"
#include "rvfile.h"

namespace cimagefile {

// No valid file of ours is larger than the biggest image plus generous room for headers and
// palettes; anything longer is refused before it is read into memory.
constexpr std::size_t kMaxFileBytes =
    std::size_t(CImage::kMaxDimension) * std::size_t(CImage::kMaxDimension) * 4 +
    (std::size_t(1) << 20);

// A line's bytes padded to a multiple of 4, as in a DIB; 0 when it does not fit an int.
inline int paddedLineBytes(long long width, long long channels) {
    long long bytes = (width * channels + 3) / 4 * 4;
    return bytes >= 0 && bytes <= 0x7fffffffLL ? int(bytes) : 0;
}

inline std::uint16_t readU16(const std::uint8_t* p) {
    return std::uint16_t(p[0] | (p[1] << 8));
}

inline std::uint32_t readU32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

inline std::int32_t readI32(const std::uint8_t* p) {
    std::uint32_t u = readU32(p);
    return u <= 0x7fffffffu ? std::int32_t(u) : -std::int32_t(~u) - 1;
}

inline void putU16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}

inline void putU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    putU16(out, v & 0xffffu);
    putU16(out, v >> 16);
}

inline bool writeFile(const char* fileName, const std::vector<std::uint8_t>& bytes) {
    return !bytes.empty() && rvWriteFile(fileName, bytes.data(), bytes.size(), nullptr);
}

inline std::string sizeText(long long width, long long height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

} // namespace cimagefile
