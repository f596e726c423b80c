// Point-sprite particles. The application owns its particle systems and hands them to a
// back-end particle manager, which draws every particle as a textured, additively blended
// point sprite.
//
// Batching is the same on every back end and is done here: render() copies the particles of
// each system, in order, into the batch arrays and has the back end draw a batch whenever
// kMaxBatch particles have gathered, and the rest (possibly none) after each system's last
// particle.
#pragma once

#include <vector>

#include "rvvector.h"

class rvTexture;

struct rvParticle {
    rvVector3 position;
    float color[4]; // alpha, red, green, blue
};

struct rvParticleSystem {
    rvTexture* texture = nullptr;
    float pointSize = 1.0f;
    std::vector<rvParticle> particles;
};

// Slot order: init, render, destructor, drawBatch.
class rvParticleManager {
public:
    // The batch arrays hold 2048 particles; a batch is drawn when it reaches 2047.
    static constexpr int kBufferParticles = 2048;
    static constexpr int kMaxBatch = 2047;
    // A sprite is viewport height × pointSize / distance from the eye pixels wide, clamped to
    // these, on every back end.
    static constexpr float kMinPointSize = 1.0f;
    static constexpr float kMaxPointSize = 64.0f;

    rvParticleManager();
    // Direct3D: the device; OpenGL: the renderer.
    virtual void init(void* handle) = 0;
    // Needs the renderer's context.
    virtual void render();
    virtual ~rvParticleManager();
    // Draws the first count particles of the batch arrays (count is cut to 0…kBufferParticles).
    virtual void drawBatch(rvTexture* texture, float pointSize, int count) = 0;

    // Systems are not owned.
    void addSystem(rvParticleSystem* system) { mSystems.push_back(system); }
    void clearSystems() { mSystems.clear(); }

    // The batch arrays: x, y, z and alpha, red, green, blue per particle.
    const float* batchPositions() const { return mBatchPositions.data(); }
    const float* batchColors() const { return mBatchColors.data(); }

protected:
    int mBatchCount;
    std::vector<rvParticleSystem*> mSystems;
    std::vector<float> mBatchPositions;
    std::vector<float> mBatchColors;
};
