// The OpenGL texture manager: decodes BMP and TGA files with CImage and uploads them as
// unsigned bytes in blue, green, red (, alpha) order with linear filtering. The list, the
// name cache, the default texture and the release rules are the core's (rvtexture.h).
//
// Every operation, including destruction, needs the renderer's context to be current:
// destroying a texture deletes its GL texture name.
#pragma once

#include <GL/gl.h>

#include "rvtexture.h"

class CImage;

class rvGLTexture : public rvTexture {
public:
    rvGLTexture() : glName(0) {}
    // Deletes the GL texture name when there is one.
    ~rvGLTexture() override;

    // The GL texture name; 0 while none exists.
    GLuint glName;
};

// loadTexture recognises a name containing ".bmp", ".BMP", ".tga" or ".TGA" (searched in that
// order anywhere in the name); loadMipmappedTexture only ".bmp" and ".tga", and uploads the
// mip chain with gluBuild2DMipmaps. Another name yields the default texture.
class rvGLTextureManager : public rvTextureManager {
public:
    rvGLTextureManager() = default;
    ~rvGLTextureManager() override = default;

protected:
    std::unique_ptr<rvTexture> makeFromFile(const char* file, bool mipmapped) override;
    std::unique_ptr<rvTexture> makeFromPixels(const unsigned char* pixels, int width, int height,
                                              int channels, bool mipmapped) override;

private:
    // A new texture name with linear filtering, bound to GL_TEXTURE_2D, holding the image.
    static std::unique_ptr<rvTexture> upload(const CImage& image, bool mipmapped);
};
