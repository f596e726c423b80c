#include "rvglparticlemanager.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "glprocs.h"
#include "rvglrender.h"
#include "rvgltexturemanager.h"
#include "rvmessage.h"

rvGLParticleManager::rvGLParticleManager() : mRender(nullptr), mPointParameters(false) {}

rvGLParticleManager::~rvGLParticleManager() = default;

void rvGLParticleManager::init(void* handle) {
    mRender = static_cast<rvGLRender*>(handle);
    mPositionBuffer.assign(static_cast<size_t>(kBufferParticles) * 3, 0.0f);
    mColorBuffer.assign(static_cast<size_t>(kBufferParticles) * 4, 0.0f);
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

void rvGLParticleManager::render() {
    assert(!mPositionBuffer.empty() && !mColorBuffer.empty() &&
           "mPositionBuffer != NULL && mColorBuffer != NULL");
    if (mPositionBuffer.empty() || mColorBuffer.empty()) {
        return;
    }
    for (const rvParticleSystem* system : mSystems) {
        for (const rvParticle& particle : system->particles) {
            float* position = &mPositionBuffer[3 * static_cast<size_t>(mBatchCount)];
            position[0] = particle.position.x;
            position[1] = particle.position.y;
            position[2] = particle.position.z;
            float* rgba = &mColorBuffer[4 * static_cast<size_t>(mBatchCount)];
            rgba[0] = particle.color[1];
            rgba[1] = particle.color[2];
            rgba[2] = particle.color[3];
            rgba[3] = particle.color[0];
            if (++mBatchCount == kMaxBatch) {
                drawBatch(system->texture, system->pointSize, mBatchCount);
                mBatchCount = 0;
            }
        }
        drawBatch(system->texture, system->pointSize, mBatchCount);
        mBatchCount = 0;
    }
}

void rvGLParticleManager::drawBatch(rvTexture* texture, float pointSize, int count) {
    if (mPositionBuffer.empty() || mColorBuffer.empty()) {
        return;
    }
    count = std::clamp(count, 0, static_cast<int>(kBufferParticles));
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
    glVertexPointer(3, GL_FLOAT, 0, mPositionBuffer.data());
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(4, GL_FLOAT, 0, mColorBuffer.data());

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
