#include "rvglparticlemanager.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "glprocs.h"
#include "rvgltexturemanager.h"
#include "rvmessage.h"

rvGLParticleManager::rvGLParticleManager()
    : mColors(static_cast<size_t>(kBufferParticles) * 4), mPointParameters(false) {}

rvGLParticleManager::~rvGLParticleManager() = default;

void rvGLParticleManager::init(void*) {
    mBatchCount = 0;
    mPointParameters = false;
    mSpriteOrigin = false;

    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (!extensions || !std::strstr(extensions, "GL_ARB_point_parameters")) {
        rvShowMessage("GL_ARB_point_parameters extension was not found", "ERROR");
        return;
    }
    if (!rvHasGLProc("glPointParameterfARB") || !rvHasGLProc("glPointParameterfvARB")) {
        rvShowMessage("One or more GL_ARB_point_parameters functions were not found", "ERROR");
        return;
    }
    mPointParameters = true;
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    mSpriteOrigin = version && version[0] >= '2' && version[0] <= '9';
}

void rvGLParticleManager::drawBatch(rvTexture* texture, float pointSize, int count) {
    count = std::clamp(count, 0, static_cast<int>(kBufferParticles));
    for (int i = 0; i < count; ++i) {
        const float* argb = &mBatchColors[4 * static_cast<size_t>(i)];
        float* rgba = &mColors[4 * static_cast<size_t>(i)];
        rgba[0] = argb[1];
        rgba[1] = argb[2];
        rgba[2] = argb[3];
        rgba[3] = argb[0];
    }
    glPointSize(pointSize);
    if (mPointParameters) {
        // size / sqrt(c · d²) = viewport height × size / distance, between 1 and 64 pixels: the
        // size a Direct3D point sprite has with POINTSCALE_C = 1.
        GLint viewport[4] = {0, 0, 1, 1};
        glGetIntegerv(GL_VIEWPORT, viewport);
        const float height = static_cast<float>(std::max(viewport[3], 1));
        const GLfloat attenuation[3] = {0.0f, 0.0f, 1.0f / (height * height)};
        RV_GL(glPointParameterfvARB)(GL_POINT_DISTANCE_ATTENUATION_ARB, attenuation);
        RV_GL(glPointParameterfARB)(GL_POINT_SIZE_MIN_ARB, kMinPointSize);
        RV_GL(glPointParameterfARB)(GL_POINT_SIZE_MAX_ARB, kMaxPointSize);
    }
    glTexEnvf(GL_POINT_SPRITE_ARB, GL_COORD_REPLACE_ARB, 1.0f);
    // Texture images lie bottom row first: a sprite's t runs up from its bottom edge so that
    // the image stands upright, as on Direct3D (OpenGL 2.0).
    if (mSpriteOrigin) {
        RV_GL(glPointParameterfARB)(GL_POINT_SPRITE_COORD_ORIGIN, GL_LOWER_LEFT);
    }
    glEnable(GL_POINT_SPRITE_ARB);

    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    // Nearer geometry hides a particle; particles do not hide each other.
    glDepthMask(GL_FALSE);

    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, mBatchPositions.data());
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(4, GL_FLOAT, 0, mColors.data());

    const auto* glTexture = dynamic_cast<const rvGLTexture*>(texture);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, glTexture ? glTexture->glName : 0);

    glDrawArrays(GL_POINTS, 0, count);

    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glColor4ub(255, 255, 255, 255);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
    glDisable(GL_POINT_SPRITE_ARB);
    if (mSpriteOrigin) {
        RV_GL(glPointParameterfARB)(GL_POINT_SPRITE_COORD_ORIGIN, GL_UPPER_LEFT);
    }
}
