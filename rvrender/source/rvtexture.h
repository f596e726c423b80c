// Texture records and the texture manager. The manager owns every texture record; meshes,
// effects, HUD strings and particles only refer to them.
//
// The manager's list is the same on every back end and is kept here: a record's handle is its
// position in the list; entry 0 is the default texture "images/default.bmp" (a built-in
// magenta and black checker when that file cannot be read); a name already in the list
// (compared exactly) returns its record and loads nothing; whatever cannot be loaded or
// created yields the default texture, so callers always receive a usable record after init.
// A back end only makes its textures, through the two protected hooks after the slots.
#pragma once

#include <memory>
#include <vector>

class rvTexture {
public:
    rvTexture();
    virtual ~rvTexture();

    // File name, or the name given to a created texture; NUL-terminated, at most 255 chars.
    char name[256];
    // Index in the manager's list; −1 until the record is added.
    int handle;

    // Copies at most 255 characters of `n` into `name`.
    void setName(const char* n);
};

// The slot order is part of the contract between the back ends.
class rvTextureManager {
public:
    static constexpr const char* kDefaultTexture = "images/default.bmp";

    rvTextureManager();

    // Makes the default texture entry 0 and returns true; a second call changes nothing.
    // The device is the back end's (Direct3D: its device; OpenGL: ignored).
    virtual bool init(void* device);
    // Returns the record already loaded under exactly this name, else loads the file; a file
    // that cannot be loaded (or a null name) yields the default texture.
    virtual rvTexture* loadTexture(const char* file);
    // data holds height rows of width pixels, the top row first, rows packed: 3 bytes per
    // pixel (blue, green, red) for bitDepth 24, 4 (blue, green, red, alpha) for 32. bitDepth
    // must be 24 or 32 and the sizes positive (asserted); a bad argument, null data or a size
    // beyond what the device holds yields the default texture. A name already in the list
    // returns that record unchanged.
    virtual rvTexture* createTexture(const void* data, const char* name, int width, int height,
                                     unsigned char bitDepth);
    // As loadTexture and createTexture, with a chain of smaller levels.
    virtual rvTexture* loadMipmappedTexture(const char* file);
    virtual rvTexture* createMipmappedTexture(const void* data, const char* name, int width,
                                              int height, unsigned char bitDepth);
    // False for handle < 1, handle ≥ size − 1 (the default texture and the last entry are
    // never released) or an entry already released; otherwise the texture is destroyed and
    // its entry yields the default texture from then on, so no other handle changes.
    virtual bool releaseTexture(int handle);
    // Destroys every texture, the default included, and empties the list.
    virtual void releaseAll();
    virtual ~rvTextureManager();

    int getTextureCount() const { return static_cast<int>(mTextures.size()); }
    // The entry at handle (the default texture for a released one), or null outside the list.
    rvTexture* getTexture(int handle) const;

    rvTextureManager(const rvTextureManager&) = delete;
    rvTextureManager& operator=(const rvTextureManager&) = delete;

protected:
    // A new texture from an image file, or null when it cannot be read or decoded.
    virtual std::unique_ptr<rvTexture> makeFromFile(const char* file, bool mipmapped) = 0;
    // A new texture from checked pixels in createTexture's layout (channels 3 or 4), or null
    // (also for a size the device cannot hold).
    virtual std::unique_ptr<rvTexture> makeFromPixels(const unsigned char* pixels, int width,
                                                      int height, int channels, bool mipmapped) = 0;

private:
    rvTexture* defaultTexture() const { return mTextures.empty() ? nullptr : mTextures[0].get(); }
    rvTexture* find(const char* name) const;
    rvTexture* load(const char* file, bool mipmapped);
    rvTexture* create(const void* data, const char* name, int width, int height,
                      unsigned char bitDepth, bool mipmapped);
    rvTexture* append(std::unique_ptr<rvTexture> texture, const char* name);

    std::vector<std::unique_ptr<rvTexture>> mTextures; // by handle; released entries are null
};

// The one texture manager of the process, published by the renderer's init.
extern rvTextureManager* gTextureManager;
