#include "rvtexture.h"

#include <cassert>
#include <cstring>

#include "cimage.h"

rvTextureManager* gTextureManager = nullptr;

namespace {

// The stand-in default texture, top row first: 16 × 16 pixels in 2 × 2 cells, magenta at the
// bottom left and the top right, black elsewhere.
constexpr int kFallbackSize = 16;
std::vector<unsigned char> fallbackPixels() {
    std::vector<unsigned char> bgr;
    for (int row = 0; row < kFallbackSize; ++row) {
        const int fromBottom = kFallbackSize - 1 - row;
        for (int x = 0; x < kFallbackSize; ++x) {
            const bool magenta =
                (x / (kFallbackSize / 2) + fromBottom / (kFallbackSize / 2)) % 2 == 0;
            const unsigned char v = magenta ? 255 : 0;
            bgr.insert(bgr.end(), {v, 0, v});
        }
    }
    return bgr;
}

} // namespace

rvTexture::rvTexture() : handle(-1) {
    name[0] = '\0';
}

rvTexture::~rvTexture() = default;

void rvTexture::setName(const char* n) {
    std::strncpy(name, n ? n : "", sizeof(name) - 1);
    name[sizeof(name) - 1] = '\0';
}

rvTextureManager::rvTextureManager() = default;

rvTextureManager::~rvTextureManager() = default;

bool rvTextureManager::init(void*) {
    if (!mTextures.empty()) {
        return true;
    }
    std::unique_ptr<rvTexture> fallback = makeFromFile(kDefaultTexture, false);
    if (!fallback) {
        const std::vector<unsigned char> pixels = fallbackPixels();
        fallback = makeFromPixels(pixels.data(), kFallbackSize, kFallbackSize, 3, false);
    }
    assert(fallback && "the default texture cannot be made");
    if (fallback) {
        append(std::move(fallback), kDefaultTexture);
    }
    return true;
}

rvTexture* rvTextureManager::getTexture(int handle) const {
    if (handle < 0 || handle >= getTextureCount()) {
        return nullptr;
    }
    return mTextures[handle] ? mTextures[handle].get() : defaultTexture();
}

rvTexture* rvTextureManager::find(const char* name) const {
    for (const std::unique_ptr<rvTexture>& texture : mTextures) {
        if (texture && std::strcmp(texture->name, name) == 0) {
            return texture.get();
        }
    }
    return nullptr;
}

rvTexture* rvTextureManager::append(std::unique_ptr<rvTexture> texture, const char* name) {
    texture->setName(name);
    texture->handle = getTextureCount();
    mTextures.push_back(std::move(texture));
    return mTextures.back().get();
}

rvTexture* rvTextureManager::load(const char* file, bool mipmapped) {
    if (!file) {
        return defaultTexture();
    }
    if (rvTexture* existing = find(file)) {
        return existing;
    }
    std::unique_ptr<rvTexture> texture = makeFromFile(file, mipmapped);
    return texture ? append(std::move(texture), file) : defaultTexture();
}

rvTexture* rvTextureManager::create(const void* data, const char* name, int width, int height,
                                    unsigned char bitDepth, bool mipmapped) {
    assert((bitDepth == 24 || bitDepth == 32) && "bitDepth == 24 || bitDepth == 32");
    assert(width > 0 && height > 0 && "Invalid Size Param");
    if ((bitDepth != 24 && bitDepth != 32) || width <= 0 || height <= 0 ||
        width > CImage::kMaxDimension || height > CImage::kMaxDimension || !data || !name) {
        return defaultTexture();
    }
    if (rvTexture* existing = find(name)) {
        return existing;
    }
    std::unique_ptr<rvTexture> texture = makeFromPixels(static_cast<const unsigned char*>(data),
                                                        width, height, bitDepth / 8, mipmapped);
    return texture ? append(std::move(texture), name) : defaultTexture();
}

rvTexture* rvTextureManager::loadTexture(const char* file) {
    return load(file, false);
}

rvTexture* rvTextureManager::loadMipmappedTexture(const char* file) {
    return load(file, true);
}

rvTexture* rvTextureManager::createTexture(const void* data, const char* name, int width,
                                           int height, unsigned char bitDepth) {
    return create(data, name, width, height, bitDepth, false);
}

rvTexture* rvTextureManager::createMipmappedTexture(const void* data, const char* name, int width,
                                                    int height, unsigned char bitDepth) {
    return create(data, name, width, height, bitDepth, true);
}

bool rvTextureManager::releaseTexture(int handle) {
    if (handle < 1 || handle >= getTextureCount() - 1 || !mTextures[handle]) {
        return false;
    }
    mTextures[handle].reset();
    return true;
}

void rvTextureManager::releaseAll() {
    mTextures.clear();
}
