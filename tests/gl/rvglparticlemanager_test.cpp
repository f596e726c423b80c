// The OpenGL particle manager on a real context: batching, colour order, the point sprites on
// screen and the state left behind.
#include "rvglparticlemanager.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "glcontext.h"
#include "glprocs.h"
#include "rvgltexturemanager.h"

namespace {

using gltest::kWindowHeight;
using gltest::kWindowWidth;
using gltest::messages;

struct Batch {
    rvTexture* texture;
    float pointSize;
    int count;
};

// Records every batch and still draws it.
class CountingParticles : public rvGLParticleManager {
public:
    void drawBatch(rvTexture* texture, float pointSize, int count) override {
        batches.push_back({texture, pointSize, count});
        rvGLParticleManager::drawBatch(texture, pointSize, count);
    }
    std::vector<Batch> batches;
};

rvParticleSystem makeSystem(int count, float pointSize = 4.0f) {
    rvParticleSystem system;
    system.pointSize = pointSize;
    rvParticle particle{rvVector3(0, 0, -5), {1, 1, 1, 1}};
    system.particles.assign(count, particle);
    return system;
}

class GLParticleTest : public gltest::RenderTest {
protected:
    void SetUp() override {
        RenderTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        particles.init(render.get());
        ASSERT_TRUE(messages().empty());
        rvMatrix44 identity;
        render->setWorldMatrix(&identity);
    }
    std::vector<int> counts() const {
        std::vector<int> result;
        for (const Batch& b : particles.batches) {
            result.push_back(b.count);
        }
        return result;
    }
    CountingParticles particles;
};

TEST_F(GLParticleTest, InitFindsThePointParameters) {
    EXPECT_TRUE(particles.hasPointParameters());
    ASSERT_NE(particles.positionBuffer(), nullptr);
    ASSERT_NE(particles.colorBuffer(), nullptr);
}

TEST_F(GLParticleTest, FiveThousandParticlesGoInThreeBatches) {
    rvParticleSystem system = makeSystem(5000);
    particles.addSystem(&system);
    particles.render();
    EXPECT_EQ(counts(), (std::vector<int>{2047, 2047, 906}));
}

TEST_F(GLParticleTest, AnEmptySystemStillDrawsOneEmptyBatch) {
    rvParticleSystem system = makeSystem(0);
    particles.addSystem(&system);
    particles.render();
    EXPECT_EQ(counts(), std::vector<int>{0});
}

TEST_F(GLParticleTest, EachSystemDrawsWithItsOwnTextureAndSize) {
    const unsigned char px[4] = {255, 255, 255, 255};
    rvParticleSystem a = makeSystem(10, 2.0f);
    rvParticleSystem b = makeSystem(20, 6.0f);
    a.texture = render->createTexture(px, "a", 1, 1, 32);
    b.texture = render->createTexture(px, "b", 1, 1, 32);
    particles.addSystem(&a);
    particles.addSystem(&b);
    particles.render();
    ASSERT_EQ(counts(), (std::vector<int>{10, 20}));
    EXPECT_EQ(particles.batches[0].texture, a.texture);
    EXPECT_EQ(particles.batches[0].pointSize, 2.0f);
    EXPECT_EQ(particles.batches[1].texture, b.texture);
    EXPECT_EQ(particles.batches[1].pointSize, 6.0f);
}

TEST_F(GLParticleTest, ColoursAreStoredRedGreenBlueAlpha) {
    rvParticleSystem system = makeSystem(2);
    system.particles[1].position = rvVector3(1, 2, 3);
    const float argb[4] = {0.5f, 1.0f, 0.0f, 0.25f};
    std::memcpy(system.particles[1].color, argb, sizeof(argb));
    particles.addSystem(&system);
    particles.render();
    const float* rgba = particles.colorBuffer() + 4;
    EXPECT_EQ(std::vector<float>(rgba, rgba + 4), (std::vector<float>{1.0f, 0.0f, 0.25f, 0.5f}));
    const float* xyz = particles.positionBuffer() + 3;
    EXPECT_EQ(std::vector<float>(xyz, xyz + 3), (std::vector<float>{1, 2, 3}));
}

TEST_F(GLParticleTest, ParticlesAppearAsTexturedSprites) {
    const float black[4] = {1, 0, 0, 0};
    render->clear(black, 1.0f);
    const unsigned char white[4] = {255, 255, 255, 255};
    rvParticleSystem system = makeSystem(1, 8.0f);
    system.texture = render->createTexture(white, "white", 1, 1, 32);
    const float red[4] = {1, 1, 0, 0};
    std::memcpy(system.particles[0].color, red, sizeof(red));
    particles.addSystem(&system);
    particles.render();
    const std::vector<unsigned char> centre = pixel(kWindowWidth / 2, kWindowHeight / 2);
    EXPECT_GT(centre[0], 200);
    EXPECT_LT(centre[1], 50);
    EXPECT_LT(pixel(kWindowWidth / 2 + 10, kWindowHeight / 2)[0], 20);
}

TEST_F(GLParticleTest, DrawingLeavesDepthOnAndBlendingOff) {
    render->setRenderState(kStateDepthTest, false);
    render->setRenderState(kStateBlend, true);
    rvParticleSystem system = makeSystem(3);
    particles.addSystem(&system);
    particles.render();
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_POINT_SPRITE_ARB));
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_COLOR_ARRAY));
    GLint dst = 0;
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(dst, GL_ONE);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(GLParticleTest, PointSizeLimitsFollowTheBatch) {
    rvParticleSystem system = makeSystem(1, 5.0f);
    particles.addSystem(&system);
    particles.render();
    GLfloat value = 0;
    glGetFloatv(GL_POINT_SIZE, &value);
    EXPECT_EQ(value, 5.0f);
    glGetFloatv(GL_POINT_SIZE_MIN_ARB, &value);
    EXPECT_EQ(value, 5.0f);
    glGetFloatv(GL_POINT_SIZE_MAX_ARB, &value);
    EXPECT_EQ(value, 80.0f);
    GLfloat attenuation[3] = {};
    glGetFloatv(GL_POINT_DISTANCE_ATTENUATION_ARB, attenuation);
    EXPECT_EQ(std::vector<float>(attenuation, attenuation + 3),
              (std::vector<float>{1.0f, 0.0f, 0.01f}));
}

TEST_F(GLParticleTest, OversizedBatchCountsAreCut) {
    particles.drawBatch(nullptr, 1.0f, 1000000);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

void* withoutPointParameters(const char* name) {
    if (std::strncmp(name, "glPointParameter", 16) == 0) {
        return nullptr;
    }
    return SDL_GL_GetProcAddress(name);
}

TEST_F(GLParticleTest, MissingEntryPointsAreReportedOnceAndDrawingGoesOn) {
    rvSetGLProcLoader(withoutPointParameters);
    rvResetGLProcs();
    CountingParticles lacking;
    lacking.init(render.get());
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text, "One or more GL_ARB_point_parameters functions were not found");
    EXPECT_EQ(messages()[0].caption, "ERROR");
    EXPECT_FALSE(lacking.hasPointParameters());
    rvParticleSystem system = makeSystem(3);
    lacking.addSystem(&system);
    lacking.render();
    rvSetGLProcLoader(nullptr);
    rvResetGLProcs();
    EXPECT_EQ(lacking.batches.size(), 1u);
    EXPECT_EQ(messages().size(), 1u);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
}

} // namespace
