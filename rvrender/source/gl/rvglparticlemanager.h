// The OpenGL particle manager: every particle is one textured, additively blended point
// sprite whose size shrinks with distance, drawn from two client arrays in batches of at most
// kMaxBatch particles (the arrays hold kBufferParticles).
//
// init checks for GL_ARB_point_parameters and its two entry points and reports what is
// missing in a message box captioned "ERROR"; without them batches are drawn at the plain
// point size. Drawing needs the renderer's context and leaves depth testing on, blending off
// and texturing off whatever the renderer's stored flags say.
#pragma once

#include <vector>

#include "rvparticlemanager.h"

class rvGLRender;

class rvGLParticleManager : public rvParticleManager {
public:
    rvGLParticleManager();
    // handle is the owning rvGLRender (not owned).
    void init(void* handle) override;
    // Draws every particle system: a batch whenever kMaxBatch particles have gathered, and
    // the rest (possibly none) after each system's last particle.
    void render() override;
    ~rvGLParticleManager() override;
    // Draws the first count (at most kBufferParticles) particles of the arrays.
    void drawBatch(rvTexture* texture, float pointSize, int count) override;

    // The batch arrays: 3 floats (x, y, z) and 4 floats (red, green, blue, alpha) per particle.
    const float* positionBuffer() const { return mPositionBuffer.data(); }
    const float* colorBuffer() const { return mColorBuffer.data(); }
    bool hasPointParameters() const { return mPointParameters; }

private:
    rvGLRender* mRender;
    std::vector<float> mPositionBuffer;
    std::vector<float> mColorBuffer;
    bool mPointParameters;
};
