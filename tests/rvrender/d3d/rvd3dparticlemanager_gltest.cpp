// The Direct3D particle manager on the Direct3D 9 layer: batches, the sprites on screen and the
// state left behind.
#include "rvd3dparticlemanager.h"

#include <vector>

#include <gtest/gtest.h>

#include "d3dcontext.h"

namespace {

class CountingParticleManager : public rvD3DParticleManager {
public:
    void drawBatch(rvTexture* texture, float pointSize, int count) override {
        batches.push_back(count);
        rvD3DParticleManager::drawBatch(texture, pointSize, count);
    }
    std::vector<int> batches;
};

class D3DParticleTest : public d3dtest::RenderTest {};

TEST_F(D3DParticleTest, SpritesAreDrawnInBatchesAndLeaveDepthWritesOnBlendingOffNoTexture) {
    const float black[4] = {1, 0, 0, 0};
    render->clear(black, 1.0f);
    const unsigned char white[4] = {255, 255, 255, 255};
    rvParticleSystem system;
    system.texture = render->createTexture(white, "white", 1, 1, 32);
    system.pointSize = 0.5f;
    system.particles.assign(5000, rvParticle{rvVector3(0, 0, -5), {1, 1, 0, 0}}); // red
    CountingParticleManager particles;
    particles.init(device());
    particles.addSystem(&system);
    particles.render();
    EXPECT_EQ(particles.batches, (std::vector<int>{2047, 2047, 906}));
    EXPECT_EQ(pixel(d3dtest::kWindowWidth / 2, d3dtest::kWindowHeight / 2), 0xFF0000u);
    EXPECT_EQ(pixel(4, 4), 0u);
    DWORD depthWrites = 0, blending = 1;
    device()->GetRenderState(D3DRS_ZWRITEENABLE, &depthWrites);
    device()->GetRenderState(D3DRS_ALPHABLENDENABLE, &blending);
    EXPECT_EQ(depthWrites, static_cast<DWORD>(TRUE));
    EXPECT_EQ(blending, static_cast<DWORD>(FALSE));
    IDirect3DBaseTexture9* stage0 = nullptr;
    device()->GetTexture(0, &stage0);
    EXPECT_EQ(stage0, nullptr);
    if (stage0)
        stage0->Release();
}

} // namespace
