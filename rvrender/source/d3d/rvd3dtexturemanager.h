// The Direct3D texture manager: files through D3DX (BMP and TGA, at their own size), created
// textures as managed A8R8G8B8 or R8G8B8 textures, mip chains filled by D3DX's filtering. The
// list, the name cache, the default texture and the release rules are the core's
// (rvtexture.h).
#pragma once

#include "d3d9.h"
#include "rvtexture.h"

class rvD3DTexture : public rvTexture {
public:
    rvD3DTexture() : texture(nullptr) {}
    // Releases the Direct3D texture when there is one.
    ~rvD3DTexture() override;
    IDirect3DTexture9* texture;
};

// The Direct3D texture of a record, or null (no record, or not a Direct3D one).
IDirect3DTexture9* rvD3DTextureOf(rvTexture* texture);

class rvD3DTextureManager : public rvTextureManager {
public:
    rvD3DTextureManager() : mDevice(nullptr) {}
    // device is the IDirect3DDevice9 (asserted non-null).
    bool init(void* device) override;

protected:
    std::unique_ptr<rvTexture> makeFromFile(const char* file, bool mipmapped) override;
    std::unique_ptr<rvTexture> makeFromPixels(const unsigned char* pixels, int width, int height,
                                              int channels, bool mipmapped) override;

private:
    IDirect3DDevice9* mDevice;
};
