// The OpenGL texture manager: owns every texture of the process, loads BMP and TGA files
// through CImage and uploads them as unsigned bytes in blue, green, red (, alpha) order with
// linear filtering. Entry 0 of the list is always the default texture "images/default.bmp"
// (a built-in magenta and black checker when that file cannot be read); a file that cannot be
// loaded, or whose name has no recognised extension, yields the default texture.
//
// Every operation, including destruction, needs the renderer's context to be current:
// destroying a texture deletes its GL texture name.
#pragma once

#include <GL/gl.h>

#include <vector>

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

class rvGLTextureManager : public rvTextureManager {
public:
    static constexpr const char* kDefaultTexture = "images/default.bmp";

    rvGLTextureManager() = default;
    // The device is ignored (the renderer passes 0). Creates the default texture as entry 0
    // and returns true; a second call changes nothing.
    bool init(void* device) override;
    // loadTexture recognises a name containing ".bmp", ".BMP", ".tga" or ".TGA" (searched in
    // that order anywhere in the name); loadMipmappedTexture only ".bmp" and ".tga", and
    // uploads the mip chain with gluBuild2DMipmaps.
    rvTexture* loadTexture(const char* file) override;
    // data holds height rows of width pixels, the top row first: 3 bytes per pixel (blue,
    // green, red) for bitDepth 24, 4 (blue, green, red, alpha) for 32. The rows are flipped,
    // since OpenGL's first row is the bottom one. bitDepth must be 24 or 32 and the sizes
    // positive (asserted); null data or a bad argument yields the default texture.
    rvTexture* createTexture(const void* data, const char* name, int width, int height,
                             unsigned char bitDepth) override;
    rvTexture* loadMipmappedTexture(const char* file) override;
    rvTexture* createMipmappedTexture(const void* data, const char* name, int width, int height,
                                      unsigned char bitDepth) override;
    // False for handle < 1, handle ≥ size − 1, or an entry already released; otherwise the
    // texture is destroyed and its entry yields the default texture from then on.
    bool releaseTexture(int handle) override;
    // Destroys every distinct texture once, the default included, and empties the list.
    void releaseAll() override;
    ~rvGLTextureManager() override;

    int getTextureCount() const { return static_cast<int>(mTextures.size()); }
    // The entry at handle, or null outside the list.
    rvGLTexture* getTexture(int handle) const;

    rvGLTextureManager(const rvGLTextureManager&) = delete;
    rvGLTextureManager& operator=(const rvGLTextureManager&) = delete;

private:
    rvGLTexture* find(const char* name) const;
    rvGLTexture* defaultTexture() const { return mTextures.empty() ? nullptr : mTextures[0]; }
    rvTexture* load(const char* file, bool mipmapped);
    rvTexture* create(const void* data, const char* name, int width, int height,
                      unsigned char bitDepth, bool mipmapped);
    // Gives the texture a GL name with linear filtering, bound to GL_TEXTURE_2D.
    static void generate(rvGLTexture* texture);
    // Uploads width × height pixels of 3 or 4 bytes whose rows are padded to 4 bytes.
    static void upload(const void* pixels, int width, int height, int channels, bool mipmapped);
    rvTexture* append(rvGLTexture* texture);

    std::vector<rvGLTexture*> mTextures; // indexed by handle; released entries hold entry 0
};
