// Point-sprite particles. The application owns its particle systems and hands them to a
// back-end particle manager, which draws every particle as a textured, additively blended
// point sprite in batches of at most kMaxBatch.
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

    rvParticleManager();
    // Direct3D: the device; OpenGL: the renderer.
    virtual void init(void* handle) = 0;
    virtual void render() = 0;
    virtual ~rvParticleManager();
    virtual void drawBatch(rvTexture* texture, float pointSize, int count) = 0;

    // Systems are not owned.
    void addSystem(rvParticleSystem* system) { mSystems.push_back(system); }
    void clearSystems() { mSystems.clear(); }

protected:
    int mBatchCount;
    std::vector<rvParticleSystem*> mSystems;
};
