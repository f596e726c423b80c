// Texture records and the abstract texture manager. The manager owns every texture record;
// meshes, effects, HUD strings and particles only refer to them.
#pragma once

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
    // Entry 0 of the list becomes the default texture "images/default.bmp".
    virtual bool init(void* device) = 0;
    // Returns the record already loaded under exactly this name, else loads the file; a file
    // that cannot be loaded yields the default texture. Never returns null after init.
    virtual rvTexture* loadTexture(const char* file) = 0;
    // bitDepth is 24 or 32. A name already in the list returns that record unchanged.
    virtual rvTexture* createTexture(const void* data, const char* name, int width, int height,
                                     unsigned char bitDepth) = 0;
    virtual rvTexture* loadMipmappedTexture(const char* file) = 0;
    virtual rvTexture* createMipmappedTexture(const void* data, const char* name, int width,
                                              int height, unsigned char bitDepth) = 0;
    // False for handle < 1 or handle ≥ size − 1; otherwise the slot then yields the default.
    virtual bool releaseTexture(int handle) = 0;
    virtual void releaseAll() = 0;
    virtual ~rvTextureManager();
};

// The one texture manager of the process, published by the renderer's init.
extern rvTextureManager* gTextureManager;
