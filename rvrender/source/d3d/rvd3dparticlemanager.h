// The Direct3D particle manager: a batch goes into two managed vertex buffers (positions, and
// packed ARGB colours in a second stream) and is drawn as point sprites whose size follows
// Direct3D's point-scale formula with A = 0, B = 0, C = 1 (shrinking with the distance from the
// eye, never below one pixel), textured and added to the picture. Afterwards depth writes are
// on, blending is off and stage 0 has no texture; the destination blend factor stays ONE.
#pragma once

#include "d3d9.h"
#include "rvparticlemanager.h"

class rvD3DParticleManager : public rvParticleManager {
public:
    rvD3DParticleManager() = default;
    // handle is the IDirect3DDevice9.
    void init(void* handle) override;
    ~rvD3DParticleManager() override;
    void drawBatch(rvTexture* texture, float pointSize, int count) override;

private:
    IDirect3DDevice9* mDevice = nullptr;
    IDirect3DVertexBuffer9* mPositions = nullptr; // 2048 × 12 bytes
    IDirect3DVertexBuffer9* mColors = nullptr;    // 2048 × 4 bytes used
};
