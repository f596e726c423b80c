// The pixels of a Direct3D back buffer, read back the documented way: GetRenderTargetData into
// a system-memory surface, then LockRect.
#pragma once

#include <vector>

#include "d3d9.h"

namespace testsupport {

// The back buffer of a Direct3D device as D3DCOLORs, top row first; *width receives its width.
// Empty when it cannot be read.
inline std::vector<D3DCOLOR> readBackBuffer(IDirect3DDevice9* device, int* width = nullptr) {
    std::vector<D3DCOLOR> pixels;
    IDirect3DSurface9 *back = nullptr, *copy = nullptr;
    if (!device || device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back) != D3D_OK)
        return pixels;
    D3DSURFACE_DESC desc;
    back->GetDesc(&desc);
    D3DLOCKED_RECT locked;
    if (device->CreateOffscreenPlainSurface(desc.Width, desc.Height, D3DFMT_A8R8G8B8,
                                            D3DPOOL_SYSTEMMEM, &copy, nullptr) == D3D_OK &&
        device->GetRenderTargetData(back, copy) == D3D_OK &&
        copy->LockRect(&locked, nullptr, D3DLOCK_READONLY) == D3D_OK) {
        for (UINT y = 0; y < desc.Height; ++y) {
            auto row = static_cast<const D3DCOLOR*>(locked.pBits) + y * locked.Pitch / 4;
            pixels.insert(pixels.end(), row, row + desc.Width);
        }
        copy->UnlockRect();
    }
    if (copy)
        copy->Release();
    back->Release();
    if (width)
        *width = static_cast<int>(desc.Width);
    return pixels;
}

} // namespace testsupport
