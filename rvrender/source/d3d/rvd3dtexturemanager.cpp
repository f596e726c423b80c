#include "rvd3dtexturemanager.h"

#include <cassert>
#include <cstring>

#include "d3dx9.h"

rvD3DTexture::~rvD3DTexture() {
    if (texture) {
        texture->Release();
    }
}

IDirect3DTexture9* rvD3DTextureOf(rvTexture* texture) {
    auto* d3d = dynamic_cast<rvD3DTexture*>(texture);
    return d3d ? d3d->texture : nullptr;
}

bool rvD3DTextureManager::init(void* device) {
    assert(device && "DX9Device");
    mDevice = static_cast<IDirect3DDevice9*>(device);
    return rvTextureManager::init(device);
}

std::unique_ptr<rvTexture> rvD3DTextureManager::makeFromFile(const char* file, bool mipmapped) {
    auto record = std::make_unique<rvD3DTexture>();
    // Textures keep the file's size: rounding up to a power of two without scaling would
    // leave the image in one corner of the texture, and the sky box's cross is not square.
    const HRESULT result = mipmapped
                               ? D3DXCreateTextureFromFileA(mDevice, file, &record->texture)
                               : D3DXCreateTextureFromFileExA(
                                     mDevice, file, D3DX_DEFAULT_NONPOW2, D3DX_DEFAULT_NONPOW2, 0,
                                     0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_FILTER_NONE,
                                     D3DX_FILTER_NONE, 0, nullptr, nullptr, &record->texture);
    if (!mDevice || result != D3D_OK) {
        return nullptr;
    }
    return record;
}

std::unique_ptr<rvTexture> rvD3DTextureManager::makeFromPixels(const unsigned char* pixels,
                                                               int width, int height, int channels,
                                                               bool mipmapped) {
    auto record = std::make_unique<rvD3DTexture>();
    const D3DFORMAT format = channels == 3 ? D3DFMT_R8G8B8 : D3DFMT_A8R8G8B8;
    if (!mDevice || D3DXCreateTexture(mDevice, static_cast<UINT>(width), static_cast<UINT>(height),
                                      mipmapped ? 4 : 1, 0, format, D3DPOOL_MANAGED,
                                      &record->texture) != D3D_OK) {
        return nullptr;
    }
    // D3DX cuts a size beyond the device's limit to the limit: such pixels do not fit, and the
    // caller gets the default texture rather than a cut one.
    D3DSURFACE_DESC desc;
    if (record->texture->GetLevelDesc(0, &desc) != D3D_OK ||
        desc.Width < static_cast<UINT>(width) || desc.Height < static_cast<UINT>(height)) {
        return nullptr;
    }
    D3DLOCKED_RECT locked;
    if (record->texture->LockRect(0, &locked, nullptr, D3DLOCK_DISCARD) != D3D_OK) {
        return nullptr;
    }
    // D3DX may have chosen a format with another texel size (R8G8B8 is not on every device):
    // copy texel by texel then, with opaque alpha.
    const size_t row = static_cast<size_t>(width) * channels;
    const int texel = desc.Format == D3DFMT_R8G8B8 ? 3 : 4;
    for (int r = 0; r < height; ++r) {
        const unsigned char* from = pixels + row * r;
        auto* to =
            static_cast<unsigned char*>(locked.pBits) + static_cast<size_t>(r) * locked.Pitch;
        if (texel == channels) {
            std::memcpy(to, from, row);
            continue;
        }
        for (int x = 0; x < width; ++x) {
            to[texel * x] = from[channels * x];
            to[texel * x + 1] = from[channels * x + 1];
            to[texel * x + 2] = from[channels * x + 2];
            if (texel == 4) {
                to[texel * x + 3] = channels == 4 ? from[channels * x + 3] : 0xFF;
            }
        }
    }
    record->texture->UnlockRect(0);
    if (mipmapped) {
        D3DXFilterTexture(record->texture, nullptr, 0, D3DX_DEFAULT);
    }
    return record;
}
