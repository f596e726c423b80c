// CImage's pixels where there is no GDI: a zeroed block of plain memory and no device context.
#include <new>

#include "cimage.h"

bool CImage::allocatePixels() {
    freePixels();
    mBits = new (std::nothrow) std::uint8_t[std::size_t(mLineBytes) * std::size_t(mHeight)]();
    return mBits != nullptr;
}

void CImage::freePixels() {
    delete[] mBits;
    mBits = nullptr;
}
