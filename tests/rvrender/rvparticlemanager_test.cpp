// Particle batching, the same on every back end.
#include "rvparticlemanager.h"

#include <gtest/gtest.h>

namespace {

// Records every batch: its texture, point size, count and first particle's colour.
struct BatchRecorder : rvParticleManager {
    struct Batch {
        rvTexture* texture;
        float size;
        int count;
        std::vector<float> firstColour;
    };
    void init(void*) override {}
    void drawBatch(rvTexture* texture, float size, int count) override {
        batches.push_back({texture, size, count, {batchColors(), batchColors() + 4}});
    }
    std::vector<Batch> batches;
};

TEST(ParticleBatches, FlushAtTheBatchSizeAndAfterEverySystemEvenAnEmptyOne) {
    rvParticleSystem big, empty;
    big.texture = reinterpret_cast<rvTexture*>(&big); // only compared
    big.pointSize = 4;
    big.particles.resize(5000);
    big.particles[2047].color[0] = 0.5f; // the first particle of the second batch
    BatchRecorder manager;
    manager.addSystem(&big);
    manager.addSystem(&empty);
    manager.render();
    ASSERT_EQ(manager.batches.size(), 4u);
    const int counts[] = {2047, 2047, 906, 0};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(manager.batches[i].count, counts[i]) << i;
    }
    EXPECT_EQ(manager.batches[1].texture, big.texture);
    EXPECT_EQ(manager.batches[1].size, 4.0f);
    EXPECT_EQ(manager.batches[1].firstColour, (std::vector<float>{0.5f, 0, 0, 0})); // alpha first
    EXPECT_EQ(manager.batches[3].texture, nullptr);
}

} // namespace
