// The BMP reader.
#include <cstddef>
#include <cstdint>

#include "cimage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CImage image;
    image.loadBMPFromMemory(data, size);
    return 0;
}
