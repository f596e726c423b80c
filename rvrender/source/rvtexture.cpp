#include "rvtexture.h"

#include <cstring>

rvTextureManager* gTextureManager = nullptr;

rvTexture::rvTexture() : handle(-1) {
    name[0] = '\0';
}

rvTexture::~rvTexture() = default;

void rvTexture::setName(const char* n) {
    std::strncpy(name, n ? n : "", sizeof(name) - 1);
    name[sizeof(name) - 1] = '\0';
}

rvTextureManager::~rvTextureManager() = default;
