#include "rvgltexturemanager.h"

#include <GL/glu.h>

#include <cassert>
#include <cstring>

#include "cimage.h"

namespace {

// Row length in bytes as OpenGL's default unpack alignment of 4 expects it.
int paddedRow(int width, int channels) {
    return (width * channels + 3) & ~3;
}

// The stand-in default texture: 2 × 2 cells of magenta and black, 16 × 16 pixels.
void makeFallbackImage(CImage* image) {
    constexpr int kSize = 16;
    image->create(kSize, kSize, 3);
    for (int line = 0; line < kSize; ++line) {
        std::uint8_t* p = image->getLinePtr(line);
        for (int x = 0; x < kSize; ++x) {
            const bool magenta = ((x / (kSize / 2)) + (line / (kSize / 2))) % 2 == 0;
            p[3 * x] = magenta ? 255 : 0;     // blue
            p[3 * x + 1] = 0;                 // green
            p[3 * x + 2] = magenta ? 255 : 0; // red
        }
    }
}

} // namespace

rvGLTexture::~rvGLTexture() {
    if (glName != 0) {
        glDeleteTextures(1, &glName);
    }
}

rvGLTextureManager::~rvGLTextureManager() {
    releaseAll();
}

bool rvGLTextureManager::init(void*) {
    if (!mTextures.empty()) {
        return true;
    }
    auto* texture = new rvGLTexture;
    texture->setName(kDefaultTexture);
    CImage image;
    if (!image.loadBMP(kDefaultTexture) || (image.getChannels() != 3 && image.getChannels() != 4)) {
        makeFallbackImage(&image);
    }
    generate(texture);
    upload(image.getLinePtr(0), image.getWidth(), image.getHeight(), image.getChannels(), false);
    append(texture);
    return true;
}

rvGLTexture* rvGLTextureManager::getTexture(int handle) const {
    if (handle < 0 || handle >= getTextureCount()) {
        return nullptr;
    }
    return mTextures[handle];
}

rvGLTexture* rvGLTextureManager::find(const char* name) const {
    for (rvGLTexture* texture : mTextures) {
        if (std::strcmp(texture->name, name) == 0) {
            return texture;
        }
    }
    return nullptr;
}

void rvGLTextureManager::generate(rvGLTexture* texture) {
    glGenTextures(1, &texture->glName);
    glBindTexture(GL_TEXTURE_2D, texture->glName);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

void rvGLTextureManager::upload(const void* pixels, int width, int height, int channels,
                                bool mipmapped) {
    if (channels == 3 || channels == 4) {
        const GLenum format = channels == 4 ? GL_BGRA : GL_BGR;
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        if (mipmapped) {
            gluBuild2DMipmaps(GL_TEXTURE_2D, channels, width, height, format, GL_UNSIGNED_BYTE,
                              pixels);
        } else {
            glTexImage2D(GL_TEXTURE_2D, 0, channels, width, height, 0, format, GL_UNSIGNED_BYTE,
                         pixels);
        }
    }
    // Upload errors leave the texture without an image; drawing with it is still valid.
    glGetError();
}

rvTexture* rvGLTextureManager::append(rvGLTexture* texture) {
    texture->handle = getTextureCount();
    mTextures.push_back(texture);
    return texture;
}

rvTexture* rvGLTextureManager::load(const char* file, bool mipmapped) {
    if (!file) {
        return defaultTexture();
    }
    if (rvGLTexture* existing = find(file)) {
        return existing;
    }
    static const char* const kAll[] = {".bmp", ".BMP", ".tga", ".TGA"};
    static const char* const kLowerOnly[] = {".bmp", ".tga"};
    const char* const* extensions = mipmapped ? kLowerOnly : kAll;
    const int extensionCount = mipmapped ? 2 : 4;
    const char* match = nullptr;
    for (int i = 0; i < extensionCount && !match; ++i) {
        if (std::strstr(file, extensions[i])) {
            match = extensions[i];
        }
    }
    if (!match) {
        return defaultTexture();
    }
    CImage image;
    const bool isBMP = match[1] == 'b' || match[1] == 'B';
    const bool loaded = isBMP ? image.loadBMP(file) : image.loadTGA(file);
    if (!loaded) {
        return defaultTexture();
    }
    auto* texture = new rvGLTexture;
    texture->setName(file);
    generate(texture);
    upload(image.getLinePtr(0), image.getWidth(), image.getHeight(), image.getChannels(),
           mipmapped);
    return append(texture);
}

rvTexture* rvGLTextureManager::loadTexture(const char* file) {
    return load(file, false);
}

rvTexture* rvGLTextureManager::loadMipmappedTexture(const char* file) {
    return load(file, true);
}

rvTexture* rvGLTextureManager::create(const void* data, const char* name, int width, int height,
                                      unsigned char bitDepth, bool mipmapped) {
    assert((bitDepth == 24 || bitDepth == 32) && "bitDepth == 24 || bitDepth == 32");
    assert(width > 0 && height > 0 && "Invalid Size Param");
    if ((bitDepth != 24 && bitDepth != 32) || width <= 0 || height <= 0 ||
        width > CImage::kMaxDimension || height > CImage::kMaxDimension || !data || !name) {
        return defaultTexture();
    }
    if (rvGLTexture* existing = find(name)) {
        return existing;
    }
    const int channels = bitDepth / 8;
    const size_t sourceRow = static_cast<size_t>(width) * channels;
    const size_t row = static_cast<size_t>(paddedRow(width, channels));
    std::vector<unsigned char> flipped(row * height);
    const auto* source = static_cast<const unsigned char*>(data);
    for (int r = 0; r < height; ++r) {
        std::memcpy(&flipped[row * r], source + sourceRow * (height - 1 - r), sourceRow);
    }
    auto* texture = new rvGLTexture;
    texture->setName(name);
    generate(texture);
    upload(flipped.data(), width, height, channels, mipmapped);
    return append(texture);
}

rvTexture* rvGLTextureManager::createTexture(const void* data, const char* name, int width,
                                             int height, unsigned char bitDepth) {
    return create(data, name, width, height, bitDepth, false);
}

rvTexture* rvGLTextureManager::createMipmappedTexture(const void* data, const char* name, int width,
                                                      int height, unsigned char bitDepth) {
    return create(data, name, width, height, bitDepth, true);
}

bool rvGLTextureManager::releaseTexture(int handle) {
    if (handle < 1 || handle >= getTextureCount() - 1 || mTextures[handle] == defaultTexture()) {
        return false;
    }
    delete mTextures[handle];
    mTextures[handle] = defaultTexture();
    return true;
}

void rvGLTextureManager::releaseAll() {
    rvGLTexture* fallback = defaultTexture();
    for (rvGLTexture* texture : mTextures) {
        if (texture != fallback) {
            delete texture;
        }
    }
    delete fallback;
    mTextures.clear();
}
