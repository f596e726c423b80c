#include "rvparticlemanager.h"

#include <algorithm>

rvParticleManager::rvParticleManager()
    : mBatchCount(0), mBatchPositions(static_cast<size_t>(kBufferParticles) * 3),
      mBatchColors(static_cast<size_t>(kBufferParticles) * 4) {}

rvParticleManager::~rvParticleManager() = default;

void rvParticleManager::render() {
    for (const rvParticleSystem* system : mSystems) {
        for (const rvParticle& particle : system->particles) {
            const rvVector3& p = particle.position;
            std::copy(&p.x, &p.x + 3, &mBatchPositions[3 * static_cast<size_t>(mBatchCount)]);
            std::copy(particle.color, particle.color + 4,
                      &mBatchColors[4 * static_cast<size_t>(mBatchCount)]);
            if (++mBatchCount == kMaxBatch) {
                drawBatch(system->texture, system->pointSize, mBatchCount);
                mBatchCount = 0;
            }
        }
        drawBatch(system->texture, system->pointSize, mBatchCount);
        mBatchCount = 0;
    }
}
