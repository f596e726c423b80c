#include "rvglhudtextmanager.h"

#include <GL/gl.h>

#include "rvrender.h"

void rvGLHUDTextManager::drawStringMesh(rvMesh* mesh) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    mRender->drawMesh(mesh);
    // Every texture keeps linear filtering outside HUD drawing, also when strings use
    // different font textures.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}
