#include "rvglhudtextmanager.h"

#include <GL/gl.h>

#include <cassert>

#include "rvmesh.h"
#include "rvrender.h"

int rvGLHUDTextManager::addString(const char* text, float x, float y, float lineSpacing, float a,
                                  float r, float g, float b, float scale, int fHandle) {
    return appendString(buildStringMesh(text, x, y, lineSpacing, a, r, g, b, scale, fHandle));
}

bool rvGLHUDTextManager::setString(int index, const char* text, float x, float y, float lineSpacing,
                                   float a, float r, float g, float b, float scale, int fHandle) {
    const bool validIndex = index >= 0 && index < getStringCount();
    assert(validIndex && "index <= mStrings.size()-1");
    if (!validIndex) {
        return false;
    }
    rvMesh* mesh = buildStringMesh(text, x, y, lineSpacing, a, r, g, b, scale, fHandle);
    if (!mesh) {
        return false;
    }
    replaceString(index, mesh);
    return true;
}

void rvGLHUDTextManager::drawWithNearestFilter(rvMesh* mesh) {
    mRender->setTexture(mesh->getTexture());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    mRender->drawMesh(mesh);
    // Every texture keeps linear filtering outside HUD drawing, also when strings use
    // different font textures.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

bool rvGLHUDTextManager::drawString(int index) {
    const bool validIndex = index >= 0 && index < getStringCount();
    assert(validIndex && "index <= mStrings.size()-1");
    assert(mRender && "HUD text manager has no renderer");
    if (!validIndex || !mRender) {
        return false;
    }
    drawWithNearestFilter(mStrings[index]);
    mRender->setTexture(nullptr);
    return true;
}

bool rvGLHUDTextManager::drawStrings() {
    assert(mRender && "HUD text manager has no renderer");
    if (!mRender) {
        return false;
    }
    for (rvMesh* mesh : mStrings) {
        drawWithNearestFilter(mesh);
    }
    mRender->setTexture(nullptr);
    return true;
}
