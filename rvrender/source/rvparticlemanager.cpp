#include "rvparticlemanager.h"

rvParticleManager::rvParticleManager() : mBatchCount(0) {}

rvParticleManager::~rvParticleManager() = default;
