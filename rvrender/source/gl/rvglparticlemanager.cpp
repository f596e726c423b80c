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
    if (mPointParameters) {
        const GLfloat attenuation[3] = {1.0f, 0.0f, 0.01f};
        RV_GL(glPointParameterfvARB)(GL_POINT_DISTANCE_ATTENUATION_ARB, attenuation);
    }
    glPointSize(pointSize);
    if (mPointParameters) {
        RV_GL(glPointParameterfARB)(GL_POINT_SIZE_MIN_ARB, pointSize);
        RV_GL(glPointParameterfARB)(GL_POINT_SIZE_MAX_ARB, 80.0f);
    }
    glTexEnvf(GL_POINT_SPRITE_ARB, GL_COORD_REPLACE_ARB, 1.0f);
    glEnable(GL_POINT_SPRITE_ARB);

    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glDisable(GL_DEPTH_TEST);

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
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_POINT_SPRITE_ARB);
}
