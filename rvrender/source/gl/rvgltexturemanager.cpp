#include "rvgltexturemanager.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <cstring>

#include "cimage.h"

namespace {

// The first of the recognised extensions found anywhere in the name, or null.
const char* imageExtension(const char* file, bool mipmapped) {
    static const char* const kExtensions[] = {".bmp", ".BMP", ".tga", ".TGA"};
    for (const char* extension : kExtensions) {
        const bool lowerCase = extension[1] == 'b' || extension[1] == 't';
        if ((lowerCase || !mipmapped) && std::strstr(file, extension)) {
            return extension;
        }
    }
    return nullptr;
}

} // namespace

rvGLTexture::~rvGLTexture() {
    if (glName != 0) {
        glDeleteTextures(1, &glName);
    }
}

std::unique_ptr<rvTexture> rvGLTextureManager::upload(const CImage& image, bool mipmapped) {
    auto texture = std::make_unique<rvGLTexture>();
    glGenTextures(1, &texture->glName);
    glBindTexture(GL_TEXTURE_2D, texture->glName);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    const int channels = image.getChannels();
    if (channels == 3 || channels == 4) {
        const GLenum format = channels == 4 ? GL_BGRA : GL_BGR;
        // CImage lines are padded to 4 bytes, as this alignment expects.
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        const void* pixels = image.getLinePtr(0);
        const int width = image.getWidth();
        const int height = image.getHeight();
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
    return texture;
}

std::unique_ptr<rvTexture> rvGLTextureManager::makeFromFile(const char* file, bool mipmapped) {
    const char* extension = imageExtension(file, mipmapped);
    if (!extension) {
        return nullptr;
    }
    CImage image;
    const bool isBMP = extension[1] == 'b' || extension[1] == 'B';
    if (!(isBMP ? image.loadBMP(file) : image.loadTGA(file))) {
        return nullptr;
    }
    return upload(image, mipmapped);
}

std::unique_ptr<rvTexture> rvGLTextureManager::makeFromPixels(const unsigned char* pixels,
                                                              int width, int height, int channels,
                                                              bool mipmapped) {
    // A size the implementation cannot hold gets the default texture, as on Direct3D.
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    if (width > largest || height > largest) {
        return nullptr;
    }
    // OpenGL's first row is the bottom one: the rows go into the image's lines reversed.
    CImage image;
    if (!image.create(width, height, channels)) {
        return nullptr;
    }
    const size_t row = static_cast<size_t>(width) * channels;
    for (int r = 0; r < height; ++r) {
        std::memcpy(image.getLinePtr(height - 1 - r), pixels + row * r, row);
    }
    return upload(image, mipmapped);
}
