// The OpenGL particle manager on a real context: colour order, the sprites on screen and the
// state left behind.
#include "rvglparticlemanager.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "glcontext.h"
#include "glprocs.h"
#include "zrglcontext.h"

namespace {

using gltest::gMessages;

rvParticleSystem makeSystem(int count) {
    rvParticleSystem system;
    system.pointSize = 8.0f;
    system.particles.assign(count, rvParticle{rvVector3(0, 0, -5), {1, 1, 0, 0}}); // red
    return system;
}

class GLParticleTest : public gltest::RenderTest {};

TEST_F(GLParticleTest, SpritesAreSizedByDistanceDrawnRedGreenBlueAlphaAndLeaveBlendingOff) {
    const float black[4] = {1, 0, 0, 0};
    render->clear(black, 1.0f);
    render->setRenderState(kStateDepthTest, false);
    render->setRenderState(kStateBlend, true);
    const unsigned char white[4] = {255, 255, 255, 255};
    rvParticleSystem system = makeSystem(3);
    system.pointSize = 2.0f; // 96 × 2 / 5 = 38 pixels wide at 5 units
    system.texture = render->createTexture(white, "white", 1, 1, 32);
    system.particles[2].color[0] = 0.5f; // alpha 0.5
    rvGLParticleManager particles;
    particles.init(render.get());
    EXPECT_TRUE(particles.hasPointParameters());
    particles.addSystem(&system);
    particles.render();
    const float* rgba = particles.colorBuffer() + 4 * 2;
    EXPECT_EQ(std::vector<float>(rgba, rgba + 4), (std::vector<float>{1, 0, 0, 0.5f}));
    const int x = gltest::kWindowWidth / 2, y = gltest::kWindowHeight / 2;
    EXPECT_GT(pixel(x + 16, y)[0], 200);
    EXPECT_LT(pixel(x + 22, y)[0], 20);
    // The caller's depth test stays as it was, depth writes come back on.
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    GLboolean depthWrites = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    EXPECT_TRUE(depthWrites);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
}

void* withoutPointParameters(const char* name) {
    return std::strncmp(name, "glPointParameter", 16) == 0 ? nullptr
                                                           : zrGLContext::getProcAddress(name);
}

TEST_F(GLParticleTest, MissingEntryPointsAreReportedOnceAndDrawingGoesOn) {
    rvSetGLProcLoader(withoutPointParameters);
    rvResetGLProcs();
    rvGLParticleManager lacking;
    lacking.init(render.get());
    rvParticleSystem system = makeSystem(3);
    lacking.addSystem(&system);
    lacking.render(); // at the plain point size
    rvSetGLProcLoader(nullptr);
    rvResetGLProcs();
    EXPECT_FALSE(lacking.hasPointParameters());
    ASSERT_EQ(gMessages.size(), 1u);
    EXPECT_EQ(gMessages[0].text, "One or more GL_ARB_point_parameters functions were not found");
    EXPECT_EQ(gMessages[0].caption, "ERROR");
}

} // namespace
