// The OpenGL particle manager: a batch is drawn from two client arrays as point sprites,
// textured and additively blended, depth-tested without writing depth. A sprite is viewport
// height × size / distance pixels wide, between 1 and 64 (GL_ARB_point_parameters), as a
// Direct3D sprite is.
//
// init checks for GL_ARB_point_parameters and its two entry points and reports what is
// missing in a message box captioned "ERROR"; without them batches are drawn at the plain
// point size. Drawing needs the renderer's context and leaves blending and texturing off
// whatever the renderer's stored flags say.
#pragma once

#include <vector>

#include "rvparticlemanager.h"

class rvGLParticleManager : public rvParticleManager {
public:
    rvGLParticleManager();
    // handle is the owning rvGLRender (not owned).
    void init(void* handle) override;
    ~rvGLParticleManager() override;
    void drawBatch(rvTexture* texture, float pointSize, int count) override;

    // The colours of the last batch as OpenGL takes them: red, green, blue, alpha.
    const float* colorBuffer() const { return mColors.data(); }
    bool hasPointParameters() const { return mPointParameters; }

private:
    std::vector<float> mColors;
    bool mPointParameters;
    bool mSpriteOrigin = false; // OpenGL 2.0's GL_POINT_SPRITE_COORD_ORIGIN can be set
};
