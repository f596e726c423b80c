// CImage's pixels on Windows: a bottom-up DIB section of 24 or 32 bits per pixel, selected into a
// memory device context of the image's own, so that GDI draws into the same bytes that
// getLinePtr addresses. DIB lines are padded to 4 bytes, as CImage's are.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "cimage.h"

bool CImage::allocatePixels() {
    freePixels();
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = mWidth;
    info.bmiHeader.biHeight = mHeight; // positive: line 0 is the bottom row
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(mChannels * 8);
    info.bmiHeader.biCompression = BI_RGB;
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) {
        return false;
    }
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = bitmap ? SelectObject(dc, bitmap) : nullptr;
    if (!old) {
        if (bitmap) {
            DeleteObject(bitmap);
        }
        DeleteDC(dc);
        return false;
    }
    // A new DIB section is zeroed already.
    mDC = dc;
    mBitmap = bitmap;
    mOldBitmap = old;
    mBits = static_cast<std::uint8_t*>(bits);
    return true;
}

void CImage::freePixels() {
    if (mOldBitmap) {
        SelectObject(static_cast<HDC>(mDC), static_cast<HGDIOBJ>(mOldBitmap));
        DeleteObject(static_cast<HGDIOBJ>(mBitmap));
        DeleteDC(static_cast<HDC>(mDC));
    }
    mBits = nullptr;
    mDC = nullptr;
    mBitmap = nullptr;
    mOldBitmap = nullptr;
}
