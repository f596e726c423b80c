// The OpenGL renderer on a real context (Mesa under Xvfb in CI): state, transforms, clearing,
// drawing, textures on the units, the 2D mode, mesh import, stubs and ARB programs.
#include "rvglrender.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "glcontext.h"
#include "glprocs.h"
#include "rvanimmesh.h"
#include "rvglhudtextmanager.h"
#include "rvglmesh.h"
#include "rvglparticlemanager.h"
#include "rvgltexturemanager.h"
#include "rvmeshfile.h"
#include "stubrender.h"

namespace {

using gltest::kWindowHeight;
using gltest::kWindowWidth;
using gltest::messages;
using gltest::ScopedWorkDir;

class GLRenderTest : public gltest::RenderTest {
protected:
    static GLint integer(GLenum name) {
        GLint value = 0;
        glGetIntegerv(name, &value);
        return value;
    }
    static std::vector<float> floats(GLenum name, int count = 16) {
        std::vector<float> values(count);
        glGetFloatv(name, values.data());
        return values;
    }
    static void expectRed(const std::vector<unsigned char>& p) {
        EXPECT_GT(p[0], 200);
        EXPECT_LT(p[1], 50);
        EXPECT_LT(p[2], 50);
    }
    static void expectBlack(const std::vector<unsigned char>& p) {
        EXPECT_LT(p[0], 20);
        EXPECT_LT(p[1], 20);
        EXPECT_LT(p[2], 20);
    }
    void clearBlack() {
        const float black[4] = {1, 0, 0, 0};
        render->clear(black, 1.0f);
    }
    // A triangle around the origin of its model space, about a unit across.
    static rvGLMesh* triangle(float a, float r, float g, float b) {
        auto* mesh = new rvGLMesh(kTriangleList);
        const float p[9] = {-0.5f, -0.5f, 0.0f, 0.5f, -0.5f, 0.0f, 0.0f, 0.5f, 0.0f};
        mesh->setPositions(p, 9);
        mesh->setConstantColor(a, r, g, b, 3);
        return mesh;
    }
    // World placement five units in front of the default camera.
    void placeAhead() {
        rvMatrix44 world = rvTranslationMatrix(rvVector3(0, 0, -5));
        render->setWorldMatrix(&world);
    }
    std::vector<std::string> captions() const {
        std::vector<std::string> result;
        for (const auto& m : messages()) {
            result.push_back(m.caption);
        }
        return result;
    }
};

// --- init and teardown -------------------------------------------------------------------------

TEST_F(GLRenderTest, InitAppliesTheDefaultStates) {
    EXPECT_TRUE(render->isInitialised());
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    const rvRenderStates& s = render->getRenderStates();
    EXPECT_TRUE(s.flags[kStateDepthTest]);
    EXPECT_FALSE(s.flags[kStateBlend]);
    EXPECT_TRUE(s.flags[kStateCull]);
    EXPECT_FALSE(s.flags[kStateLighting]);
    EXPECT_EQ(render->getWindow(), window());
}

TEST_F(GLRenderTest, InitMakesACompatibilityContextWithTheARBPrograms) {
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    ASSERT_NE(extensions, nullptr);
    EXPECT_NE(std::strstr(extensions, "GL_ARB_vertex_program"), nullptr);
    EXPECT_NE(std::strstr(extensions, "GL_ARB_fragment_program"), nullptr);
    EXPECT_GE(integer(GL_DEPTH_BITS), 16);
}

TEST_F(GLRenderTest, InitCreatesAndPublishesTheManagers) {
    ASSERT_NE(render->getTextureManager(), nullptr);
    EXPECT_EQ(gTextureManager, render->getTextureManager());
    EXPECT_EQ(render->getTextureManager()->getTextureCount(), 1);
    ASSERT_NE(render->getHUDTextManager(), nullptr);
    EXPECT_EQ(render->getHUDTextManager()->getFontSetCount(), 1);
}

TEST_F(GLRenderTest, SecondInitReturnsTrueAndCreatesNothing) {
    rvGLTextureManager* textures = render->getTextureManager();
    rvGLHUDTextManager* hud = render->getHUDTextManager();
    EXPECT_TRUE(render->init(window()));
    EXPECT_EQ(render->getTextureManager(), textures);
    EXPECT_EQ(render->getHUDTextManager(), hud);
    EXPECT_EQ(gTextureManager, textures);
    EXPECT_EQ(hud->getFontSetCount(), 1);
    EXPECT_TRUE(messages().empty());
}

TEST_F(GLRenderTest, InitWithoutAWindowIsReported) {
    rvGLRender other;
    EXPECT_FALSE(other.init(nullptr));
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text, "Error initializing the OpenGL objects ");
    EXPECT_EQ(messages()[0].caption, "GL Init Error");
    EXPECT_FALSE(other.isInitialised());
}

TEST_F(GLRenderTest, DestructionWithdrawsTheTextureManager) {
    render.reset();
    EXPECT_EQ(gTextureManager, nullptr);
}

// --- render states -----------------------------------------------------------------------------

TEST_F(GLRenderTest, EachStateSwitchesItsCapability) {
    const GLenum caps[4] = {GL_DEPTH_TEST, GL_BLEND, GL_CULL_FACE, GL_LIGHTING};
    for (int state = 0; state < 4; ++state) {
        EXPECT_TRUE(render->setRenderState(state, true));
        EXPECT_TRUE(glIsEnabled(caps[state])) << state;
        EXPECT_TRUE(render->getRenderStates().flags[state]);
        EXPECT_TRUE(render->setRenderState(state, false));
        EXPECT_FALSE(glIsEnabled(caps[state])) << state;
        EXPECT_FALSE(render->getRenderStates().flags[state]);
    }
}

TEST_F(GLRenderTest, StateOutsideTheFourIsRefusedAndChangesNothing) {
    const rvRenderStates before = render->getRenderStates();
    EXPECT_FALSE(render->setRenderState(4, true));
    EXPECT_FALSE(render->setRenderState(-1, false));
    const rvRenderStates& after = render->getRenderStates();
    for (int i = 0; i < kStateCount; ++i) {
        EXPECT_EQ(after.flags[i], before.flags[i]);
    }
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(GLRenderTest, BlendingUsesSourceAlphaAndDestinationAlpha) {
    glBlendFunc(GL_ONE, GL_ZERO);
    ASSERT_TRUE(render->setRenderState(kStateBlend, true));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(integer(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(integer(GL_BLEND_DST), GL_DST_ALPHA);
}

TEST_F(GLRenderTest, ResetStoresDefaultsWithoutApplyingThem) {
    render->setRenderState(kStateDepthTest, false);
    render->setRenderState(kStateLighting, true);
    render->resetRenderStates();
    EXPECT_TRUE(render->getRenderStates().flags[kStateDepthTest]);
    EXPECT_FALSE(render->getRenderStates().flags[kStateLighting]);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
}

TEST_F(GLRenderTest, PopOnAnEmptyStackReappliesTheCurrentFlags) {
    render->setFillMode(kFillSolid);
    glDisable(GL_DEPTH_TEST); // behind the renderer's back
    glEnable(GL_BLEND);
    render->popRenderStates();
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(render->getRenderStates().flags[kStateDepthTest]);
    EXPECT_EQ(render->getRenderStates().fillMode, kFillSolid);
}

TEST_F(GLRenderTest, PopRestoresTheStoredFillModeButNotGLs) {
    render->setFillMode(kFillSolid);
    render->pushRenderStates();
    render->setFillMode(kFillWireframe);
    render->popRenderStates();
    EXPECT_EQ(render->getRenderStates().fillMode, kFillSolid);
    GLint modes[2] = {0, 0};
    glGetIntegerv(GL_POLYGON_MODE, modes);
    EXPECT_EQ(modes[0], GL_LINE);
    EXPECT_EQ(modes[1], GL_LINE);
}

TEST_F(GLRenderTest, NestedPushesAndPopsRestoreTheFirstState) {
    render->pushRenderStates();
    render->setRenderState(kStateCull, false);
    render->pushRenderStates();
    render->setRenderState(kStateBlend, true);
    render->setRenderState(kStateDepthTest, false);
    render->popRenderStates();
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    render->popRenderStates();
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(render->getRenderStates().flags[kStateCull]);
}

TEST_F(GLRenderTest, FillModesMapToPolygonModes) {
    const GLint expected[3] = {GL_POINT, GL_LINE, GL_FILL};
    for (int mode = 0; mode < 3; ++mode) {
        EXPECT_TRUE(render->setFillMode(mode));
        GLint modes[2] = {0, 0};
        glGetIntegerv(GL_POLYGON_MODE, modes);
        EXPECT_EQ(modes[0], expected[mode]);
        EXPECT_EQ(modes[1], expected[mode]);
    }
    EXPECT_TRUE(render->setFillMode(7));
    EXPECT_EQ(render->getRenderStates().fillMode, 7);
    GLint modes[2] = {0, 0};
    glGetIntegerv(GL_POLYGON_MODE, modes);
    EXPECT_EQ(modes[0], GL_FILL);
}

TEST_F(GLRenderTest, AlphaTestPassesOnlyGreaterAlpha) {
    render->enableAlphaTest(0.25f);
    EXPECT_TRUE(glIsEnabled(GL_ALPHA_TEST));
    EXPECT_EQ(integer(GL_ALPHA_TEST_FUNC), GL_GREATER);
    EXPECT_FLOAT_EQ(floats(GL_ALPHA_TEST_REF, 1)[0], 0.25f);
    render->disableAlphaTest();
    EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
}

// --- transforms --------------------------------------------------------------------------------

TEST_F(GLRenderTest, ModelViewIsWorldTimesViewUnchanged) {
    rvMatrix44 world = rvRotationYMatrix(0.5f) * rvTranslationMatrix(rvVector3(1, 2, 3));
    const rvMatrix44 view = rvTranslationMatrix(rvVector3(0, 0, -7)) * rvRotationXMatrix(0.2f);
    render->setWorldMatrix(&world);
    render->setViewMatrix(view);
    EXPECT_EQ(integer(GL_MATRIX_MODE), GL_MODELVIEW);
    const std::vector<float> mv = floats(GL_MODELVIEW_MATRIX);
    const rvMatrix44 expected = world * view;
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(mv[i], expected.m[i], 1e-5f) << i;
    }
}

TEST_F(GLRenderTest, LookAtLoadsTheRightHandedLookAt) {
    rvVector3 eye(0, 5, 10);
    rvVector3 at(0, 5, 0);
    rvVector3 up(0, 1, 0);
    ASSERT_TRUE(render->lookAt(&eye, &at, &up));
    const rvMatrix44 expected = rvLookAtRH(eye, at, up);
    const std::vector<float> mv = floats(GL_MODELVIEW_MATRIX);
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(mv[i], expected.m[i], 1e-5f) << i;
    }
}

TEST_F(GLRenderTest, PerspectiveFollowsTheWindowsAspect) {
    ASSERT_TRUE(render->setPerspective(90.0f, 1.0f, 100.0f));
    EXPECT_EQ(integer(GL_MATRIX_MODE), GL_PROJECTION);
    const std::vector<float> p = floats(GL_PROJECTION_MATRIX);
    const float aspect = static_cast<float>(kWindowWidth) / kWindowHeight;
    EXPECT_NEAR(p[0], 1.0f / aspect, 1e-5f);
    EXPECT_NEAR(p[5], 1.0f, 1e-5f);
    EXPECT_NEAR(p[11], -1.0f, 1e-6f);
}

TEST_F(GLRenderTest, PointAheadOfTheCameraProjectsToTheCentre) {
    clearBlack();
    placeAhead();
    std::unique_ptr<rvGLMesh> mesh(triangle(1, 1, 0, 0));
    ASSERT_TRUE(render->drawMesh(mesh.get()));
    expectRed(pixel(kWindowWidth / 2, kWindowHeight / 2));
    expectBlack(pixel(2, 2));
    expectBlack(pixel(kWindowWidth - 3, kWindowHeight - 3));
}

TEST_F(GLRenderTest, WorldViewProjectionIsWorldThenViewThenProjection) {
    rvMatrix44 world = rvTranslationMatrix(rvVector3(1, 0, 0));
    render->setWorldMatrix(&world);
    render->setViewMatrix(rvTranslationMatrix(rvVector3(0, 0, -5)));
    float wvp[16];
    render->getWorldViewProjection(wvp);
    rvMatrix44 m;
    std::memcpy(m.m, wvp, sizeof(wvp));
    // The model origin is one unit right of the line of sight, five units ahead.
    const float clip[4] = {m(3, 0), m(3, 1), m(3, 2), m(3, 3)};
    const float f = 1.0f / std::tan(30.0f * 3.1415927f / 180.0f);
    const float aspect = static_cast<float>(kWindowWidth) / kWindowHeight;
    EXPECT_NEAR(clip[3], 5.0f, 1e-4f);
    EXPECT_NEAR(clip[0] / clip[3], f / aspect / 5.0f, 1e-4f);
    EXPECT_NEAR(clip[1] / clip[3], 0.0f, 1e-5f);

    rvMatrix44 readBack;
    EXPECT_EQ(render->getWorldViewProjectionMatrix(&readBack), &readBack);
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(readBack.m[i], wvp[i], 1e-4f) << i;
    }
}

TEST_F(GLRenderTest, FrustumPlanesSeparateInsideFromOutside) {
    render->updateFrustum();
    const rvFrustum& frustum = render->getFrustum();
    auto distance = [&](int plane, float x, float y, float z) {
        const float* p = frustum.planes[plane];
        return p[0] * x + p[1] * y + p[2] * z + p[3];
    };
    for (int plane = 0; plane < 6; ++plane) {
        const float* p = frustum.planes[plane];
        EXPECT_NEAR(std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]), 1.0f, 1e-5f);
        EXPECT_GT(distance(plane, 0, 0, -5), 0.0f) << plane;
    }
    EXPECT_LT(distance(kPlaneNear, 0, 0, 5), 0.0f);
    EXPECT_LT(distance(kPlaneFar, 0, 0, -9000), 0.0f);
    EXPECT_LT(distance(kPlaneRight, 100, 0, -5), 0.0f);
    EXPECT_LT(distance(kPlaneLeft, -100, 0, -5), 0.0f);
    EXPECT_LT(distance(kPlaneTop, 0, 100, -5), 0.0f);
    EXPECT_LT(distance(kPlaneBottom, 0, -100, -5), 0.0f);
}

TEST_F(GLRenderTest, UnprojectInvertsTheCurrentTransforms) {
    rvMatrix44 world = rvTranslationMatrix(rvVector3(2, -1, 0));
    render->setWorldMatrix(&world);
    render->setViewMatrix(rvTranslationMatrix(rvVector3(0, 0, -6)));
    GLdouble mv[16];
    GLdouble proj[16];
    GLint vp[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, mv);
    glGetDoublev(GL_PROJECTION_MATRIX, proj);
    glGetIntegerv(GL_VIEWPORT, vp);
    GLdouble wx = 0;
    GLdouble wy = 0;
    GLdouble wz = 0;
    ASSERT_TRUE(gluProject(0.5, 0.25, -1.0, mv, proj, vp, &wx, &wy, &wz));
    rvVector3 out;
    EXPECT_EQ(render->unproject(&out, static_cast<float>(wx), static_cast<float>(wy),
                                static_cast<float>(wz)),
              &out);
    EXPECT_NEAR(out.x, 0.5f, 1e-2f);
    EXPECT_NEAR(out.y, 0.25f, 1e-2f);
    EXPECT_NEAR(out.z, -1.0f, 1e-2f);
}

TEST_F(GLRenderTest, OrthoModeUsesWindowPixelsAndRestoresTheTransforms) {
    rvMatrix44 world = rvTranslationMatrix(rvVector3(0, 0, -5));
    render->setWorldMatrix(&world);
    const std::vector<float> perspective = floats(GL_PROJECTION_MATRIX);
    render->toggleOrtho();
    EXPECT_TRUE(render->isOrtho());
    const std::vector<float> ortho = floats(GL_PROJECTION_MATRIX);
    EXPECT_NEAR(ortho[0], 2.0f / kWindowWidth, 1e-6f);
    EXPECT_NEAR(ortho[5], 2.0f / kWindowHeight, 1e-6f);
    EXPECT_NEAR(ortho[12], -1.0f, 1e-6f);
    EXPECT_NEAR(ortho[13], -1.0f, 1e-6f);
    const std::vector<float> identity = floats(GL_MODELVIEW_MATRIX);
    EXPECT_EQ(identity[14], 0.0f);
    EXPECT_EQ(identity[0], 1.0f);

    render->toggleOrtho();
    EXPECT_FALSE(render->isOrtho());
    EXPECT_EQ(integer(GL_MATRIX_MODE), GL_PROJECTION);
    EXPECT_EQ(floats(GL_PROJECTION_MATRIX), perspective);
    EXPECT_EQ(floats(GL_MODELVIEW_MATRIX)[14], -5.0f);
}

TEST_F(GLRenderTest, OrthoModeOriginIsTheBottomLeftCorner) {
    clearBlack();
    render->setRenderState(kStateCull, false);
    render->toggleOrtho();
    const float quad[18] = {0, 0, 0, 20, 0, 0, 20, 10, 0, 0, 0, 0, 20, 10, 0, 0, 10, 0};
    glColor3f(1, 0, 0);
    ASSERT_TRUE(render->drawPrimitives(kTriangleList, quad, 6, 2));
    render->toggleOrtho();
    expectRed(pixel(5, 5));
    expectBlack(pixel(5, kWindowHeight - 5));
    expectBlack(pixel(30, 5));
}

TEST_F(GLRenderTest, FullScreenToggleFitsViewportAndPerspectiveToTheWindow) {
    render->toggleFullScreen();
    GLint vp[4];
    glGetIntegerv(GL_VIEWPORT, vp);
    EXPECT_EQ(vp[2], window()->getWidth());
    EXPECT_EQ(vp[3], window()->getHeight());
    const float aspect = static_cast<float>(window()->getWidth()) / window()->getHeight();
    const float f = 1.0f / std::tan(30.0f * 3.1415927f / 180.0f);
    EXPECT_NEAR(floats(GL_PROJECTION_MATRIX)[0], f / aspect, 1e-4f);
    render->toggleFullScreen();
    glGetIntegerv(GL_VIEWPORT, vp);
    EXPECT_EQ(vp[2], kWindowWidth);
    EXPECT_EQ(vp[3], kWindowHeight);
}

// --- clearing and presenting -------------------------------------------------------------------

TEST_F(GLRenderTest, ClearTakesAlphaFirstColours) {
    const float halfRed[4] = {1.0f, 0.5f, 0.0f, 0.0f};
    ASSERT_TRUE(render->clear(halfRed, 1.0f));
    const std::vector<unsigned char> p = pixel(10, 10);
    EXPECT_NEAR(p[0], 128, 1);
    EXPECT_EQ(p[1], 0);
    EXPECT_EQ(p[2], 0);
}

TEST_F(GLRenderTest, ClearSetsTheGivenDepth) {
    const float black[4] = {1, 0, 0, 0};
    ASSERT_TRUE(render->clear(black, 0.5f));
    float depth = 0.0f;
    glReadPixels(3, 3, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_NEAR(depth, 0.5f, 1e-3f);
}

TEST_F(GLRenderTest, SceneBracketsSucceedAndPresent) {
    EXPECT_TRUE(render->beginScene());
    clearBlack();
    EXPECT_TRUE(render->endScene());
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// --- drawing -----------------------------------------------------------------------------------

TEST_F(GLRenderTest, PerVertexColoursReachGLInTheirChannels) {
    clearBlack();
    placeAhead();
    std::unique_ptr<rvGLMesh> mesh(triangle(1, 1, 0, 0));
    const float argbGreen[12] = {1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0};
    mesh->setFourFloatColors(argbGreen, 12);
    ASSERT_TRUE(render->drawMesh(mesh.get()));
    const std::vector<unsigned char> p = pixel(kWindowWidth / 2, kWindowHeight / 2);
    EXPECT_LT(p[0], 50);
    EXPECT_GT(p[1], 200);
    EXPECT_LT(p[2], 50);
}

TEST_F(GLRenderTest, IndexedMeshesOfBothWidthsAreDrawn) {
    placeAhead();
    std::unique_ptr<rvGLMesh> mesh(triangle(1, 1, 0, 0));
    const unsigned short i16[3] = {0, 1, 2};
    const unsigned int i32[3] = {0, 1, 2};
    mesh->setIndexArray16(i16, 3);
    clearBlack();
    ASSERT_TRUE(render->drawMesh(mesh.get()));
    expectRed(pixel(kWindowWidth / 2, kWindowHeight / 2));
    mesh->setIndexArray32(i32, 3);
    clearBlack();
    ASSERT_TRUE(render->drawMesh(mesh.get()));
    expectRed(pixel(kWindowWidth / 2, kWindowHeight / 2));
}

TEST_F(GLRenderTest, DrawingLeavesNoArrayEnabledAndWhiteAsTheColour) {
    placeAhead();
    std::unique_ptr<rvGLMesh> mesh(triangle(1, 1, 0, 0));
    const float uv[6] = {0, 0, 1, 0, 0.5f, 1};
    const float n[9] = {0, 0, 1, 0, 0, 1, 0, 0, 1};
    const float tangents[12] = {1, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 1};
    mesh->setUVs(uv, 6);
    mesh->setUVs2(uv, 6);
    mesh->setNormals(n, 9);
    mesh->setData(tangents, sizeof(tangents), 4);
    mesh->setDataArray2(reinterpret_cast<const rvVector3*>(n), 3);
    ASSERT_TRUE(render->drawMesh(mesh.get()));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_COLOR_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_NORMAL_ARRAY));
    for (int unit = 0; unit < 4; ++unit) {
        RV_GL(glClientActiveTextureARB)(GL_TEXTURE0_ARB + unit);
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY)) << "unit " << unit;
    }
    RV_GL(glClientActiveTextureARB)(GL_TEXTURE0_ARB);
    const std::vector<float> colour = floats(GL_CURRENT_COLOR, 4);
    EXPECT_EQ(colour, (std::vector<float>{1, 1, 1, 1}));
}

TEST_F(GLRenderTest, MeshWithoutTextureCoordinatesUnbindsStageZero) {
    render->setTexture(render->getTextureManager()->getTexture(0));
    std::unique_ptr<rvGLMesh> mesh(triangle(1, 1, 0, 0));
    ASSERT_TRUE(render->drawMesh(mesh.get()));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(integer(GL_TEXTURE_BINDING_2D), 0);
}

TEST_F(GLRenderTest, TexturedMeshShowsTheTopRowAtTheTop) {
    // Rows top first, as every caller supplies them; v = 0 is the top of the picture.
    const unsigned char pixels[16] = {0,   0, 255, 255, 0,   0, 255, 255,  // top: red (BGRA)
                                      255, 0, 0,   255, 255, 0, 0,   255}; // bottom: blue
    rvTexture* texture = render->createTexture(pixels, "two rows", 2, 2, 32);
    auto* mesh = new rvGLMesh(kTriangleList);
    std::unique_ptr<rvGLMesh> owner(mesh);
    const float w = kWindowWidth;
    const float h = kWindowHeight;
    const float p[18] = {0, 0, 0, w, 0, 0, w, h, 0, 0, 0, 0, w, h, 0, 0, h, 0};
    const float uv[12] = {0, 1, 1, 1, 1, 0, 0, 1, 1, 0, 0, 0};
    mesh->setPositions(p, 18);
    mesh->setUVs(uv, 12);
    mesh->setTexture(texture);
    clearBlack();
    render->setRenderState(kStateCull, false);
    render->toggleOrtho();
    render->setTexture(mesh->getTexture());
    ASSERT_TRUE(render->drawMesh(mesh));
    render->toggleOrtho();
    render->setTexture(nullptr);
    // Sampled at the texel centres: linear filtering with the default repeat wrap blends rows
    // elsewhere.
    const std::vector<unsigned char> top = pixel(kWindowWidth / 2, kWindowHeight * 3 / 4);
    const std::vector<unsigned char> bottom = pixel(kWindowWidth / 2, kWindowHeight / 4 - 1);
    EXPECT_GT(top[0], 200);
    EXPECT_LT(top[2], 50);
    EXPECT_LT(bottom[0], 50);
    EXPECT_GT(bottom[2], 200);
}

TEST_F(GLRenderTest, ForeignMeshesAndEmptyMeshesAreNotDrawn) {
    RecordingMesh foreign;
    EXPECT_FALSE(render->drawMesh(&foreign));
    rvGLMesh empty(kTriangleList);
    EXPECT_TRUE(render->drawMesh(&empty));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(GLRenderTest, IndicesPastThePositionsAreNotDrawn) {
    clearBlack();
    placeAhead();
    std::unique_ptr<rvGLMesh> mesh(triangle(1, 1, 0, 0));
    const unsigned short indices[3] = {0, 1, 3};
    mesh->setIndexArray16(indices, 3);
    EXPECT_FALSE(render->drawMesh(mesh.get()));
    expectBlack(pixel(kWindowWidth / 2, kWindowHeight / 2));
}

TEST_F(GLRenderTest, ShortStreamsAreLeftOut) {
    clearBlack();
    placeAhead();
    std::unique_ptr<rvGLMesh> mesh(triangle(1, 1, 0, 0));
    mesh->setConstantColor(1, 0, 1, 0, 1); // one colour for three vertices
    glColor3f(0, 0, 1);
    ASSERT_TRUE(render->drawMesh(mesh.get()));
    const std::vector<unsigned char> p = pixel(kWindowWidth / 2, kWindowHeight / 2);
    EXPECT_LT(p[1], 50);
    EXPECT_GT(p[2], 200);
}

TEST_F(GLRenderTest, DrawPrimitivesDrawsWithTheCurrentColour) {
    clearBlack();
    placeAhead();
    const float tri[9] = {-0.5f, -0.5f, 0, 0.5f, -0.5f, 0, 0, 0.5f, 0};
    glColor3f(1, 0, 0);
    ASSERT_TRUE(render->drawPrimitives(kTriangleList, tri, 3, 1));
    expectRed(pixel(kWindowWidth / 2, kWindowHeight / 2));
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
}

TEST_F(GLRenderTest, UnknownPrimitiveTypeIsRejectedByGL) {
    const float tri[9] = {-0.5f, -0.5f, -5, 0.5f, -0.5f, -5, 0, 0.5f, -5};
    while (glGetError() != GL_NO_ERROR) {
    }
    EXPECT_EQ(rvGLRender::convertPType(5), -1);
    EXPECT_TRUE(render->drawPrimitives(5, tri, 3, 1));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_INVALID_ENUM));
}

TEST_F(GLRenderTest, PrimitiveTypesConvertToGLModes) {
    EXPECT_EQ(rvGLRender::convertPType(kPointList), GL_POINTS);
    EXPECT_EQ(rvGLRender::convertPType(kLineList), GL_LINES);
    EXPECT_EQ(rvGLRender::convertPType(kLineStrip), GL_LINE_STRIP);
    EXPECT_EQ(rvGLRender::convertPType(kTriangleList), GL_TRIANGLES);
    EXPECT_EQ(rvGLRender::convertPType(kTriangleStrip), GL_TRIANGLE_STRIP);
    EXPECT_EQ(rvGLRender::convertPType(-1), -1);
}

TEST_F(GLRenderTest, IndexedUserArraysAreDrawnAndCheckedAgainstTheVertexCount) {
    clearBlack();
    placeAhead();
    const float v[12] = {9, 9, 0, -0.5f, -0.5f, 0, 0.5f, -0.5f, 0, 0, 0.5f, 0};
    const unsigned short good[3] = {1, 2, 3};
    const unsigned short bad[3] = {1, 2, 4};
    glColor3f(1, 0, 0);
    EXPECT_FALSE(render->drawIndexedPrimitives(kTriangleList, v, 4, bad, 3, 1));
    expectBlack(pixel(kWindowWidth / 2, kWindowHeight / 2));
    ASSERT_TRUE(render->drawIndexedPrimitives(kTriangleList, v, 4, good, 3, 1));
    expectRed(pixel(kWindowWidth / 2, kWindowHeight / 2));
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
}

TEST_F(GLRenderTest, NormalsAreDrawnAsLinesAndTheBufferFollowsChanges) {
    clearBlack();
    render->setRenderState(kStateCull, false);
    render->toggleOrtho();
    rvGLMesh mesh(kPointList);
    const float p[3] = {10.5f, 10, 0};
    const float n[3] = {0, 30, 0};
    mesh.setPositions(p, 3);
    mesh.setNormals(n, 3);
    ASSERT_TRUE(mesh.drawNormals(render.get()));
    EXPECT_GT(pixel(10, 35)[0], 100); // red end of the line
    clearBlack();
    const float moved[3] = {50.5f, 10, 0};
    mesh.setPositions(moved, 3);
    ASSERT_TRUE(mesh.drawNormals(render.get()));
    render->toggleOrtho();
    EXPECT_GT(pixel(50, 35)[0], 100);
    EXPECT_LT(pixel(10, 35)[0], 20);
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_COLOR_ARRAY));
}

// --- meshes ------------------------------------------------------------------------------------

TEST_F(GLRenderTest, CreateMeshHandsOutAGLMeshOfTheType) {
    rvMesh* out = nullptr;
    std::unique_ptr<rvMesh> mesh(render->createMesh(&out, kLineStrip));
    EXPECT_EQ(out, mesh.get());
    ASSERT_NE(dynamic_cast<rvGLMesh*>(mesh.get()), nullptr);
    EXPECT_EQ(mesh->getPrimitiveType(), kLineStrip);
}

TEST_F(GLRenderTest, MeshFromPrimitiveTakesTheFirstGeometryAndItsTexture) {
    rvPrimitiveModel model;
    rvPrimitiveGeometry g;
    g.positions = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    g.indices = {0, 1, 2};
    g.uvs = {0, 0, 1, 0, 0, 0.25f};
    g.vertexCount = 3;
    g.indexCount = 3;
    model.geometry.push_back(g);
    model.textureName = "missing.bmp";
    rvMesh* out = nullptr;
    rvTexture* texture = render->createMeshFromPrimitive(&model, &out, kTriangleList);
    std::unique_ptr<rvMesh> owner(out);
    ASSERT_NE(out, nullptr);
    auto* mesh = dynamic_cast<rvGLMesh*>(out);
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->getVertexCount(), 3);
    EXPECT_EQ(mesh->indexCount(), 3);
    EXPECT_FLOAT_EQ(mesh->uvs(0)[5], 0.75f);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->handle, 0); // the missing file gives the default texture
    EXPECT_EQ(mesh->getTexture(), texture);
}

rvMeshFile triangleRecord(bool withSkeleton) {
    rvMeshFile r;
    r.positions = {-0.5f, -0.5f, 0, 0.5f, -0.5f, 0, 0, 0.5f, 0};
    r.normals = {0, 0, 1, 0, 0, 1, 0, 0, 1};
    r.texCoords = {0, 0, 1, 0, 0.5f, 1};
    r.indices = {0, 1, 2};
    r.vertexCount = 3;
    r.indexCount = 3;
    if (withSkeleton) {
        r.frameCount = 2;
        r.boneCount = 1;
        r.boneKeys.resize(2);
        r.boneWeights = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
        r.boneIndices.assign(12, 0);
    }
    return r;
}

TEST_F(GLRenderTest, StaticImportFillsATriangleListMesh) {
    ScopedWorkDir dir;
    std::string error;
    ASSERT_TRUE(rvWriteMeshFile("tri.MSH", triangleRecord(false), &error)) << error;
    rvMesh* out = nullptr;
    render->importMSHFile("tri.MSH", &out);
    std::unique_ptr<rvMesh> owner(out);
    auto* mesh = dynamic_cast<rvGLMesh*>(out);
    ASSERT_NE(mesh, nullptr);
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(mesh->getPrimitiveType(), kTriangleList);
    EXPECT_EQ(mesh->getVertexCount(), 3);
    EXPECT_TRUE(mesh->uses32BitIndices());
    EXPECT_EQ(mesh->normalCount(), 3);
    EXPECT_FLOAT_EQ(mesh->uvs(0)[5], 0.0f);
    // No colours in the file: opaque white.
    ASSERT_EQ(mesh->colorCount(), 3);
    EXPECT_EQ(mesh->colors()[3], 1.0f);
}

TEST_F(GLRenderTest, AnimatedImportWrapsAGLMeshWithTheSkeleton) {
    ScopedWorkDir dir;
    std::string error;
    ASSERT_TRUE(rvWriteMeshFile("boned.MSH", triangleRecord(true), &error)) << error;
    rvAnimMesh* anim = nullptr;
    render->importMSHFile("boned.MSH", &anim);
    std::unique_ptr<rvAnimMesh> owner(anim);
    ASSERT_NE(anim, nullptr);
    EXPECT_TRUE(messages().empty());
    auto* inner = dynamic_cast<rvGLMesh*>(anim->getMesh());
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->getVertexCount(), 3);
    EXPECT_EQ(anim->getBoneCount(), 1);
    EXPECT_EQ(anim->getFrameCount(), 2);
}

TEST_F(GLRenderTest, MissingMeshFilesAreReportedAndGiveEmptyMeshes) {
    ScopedWorkDir dir;
    rvMesh* out = nullptr;
    render->importMSHFile("nothere.MSH", &out);
    std::unique_ptr<rvMesh> owner(out);
    rvAnimMesh* anim = nullptr;
    render->importMSHFile("nothere.MSH", &anim);
    std::unique_ptr<rvAnimMesh> animOwner(anim);
    ASSERT_NE(out, nullptr);
    ASSERT_NE(anim, nullptr);
    EXPECT_EQ(out->getVertexCount(), 0);
    ASSERT_NE(anim->getMesh(), nullptr);
    EXPECT_EQ(captions(), (std::vector<std::string>{"File IO Error", "File IO Error"}));
    EXPECT_NE(messages()[0].text.find("nothere.MSH"), std::string::npos);
    EXPECT_TRUE(render->drawMesh(out));
}

TEST_F(GLRenderTest, MeshesOutliveTheRenderer) {
    rvMesh* out = nullptr;
    render->createMesh(&out, kTriangleList);
    out->setTexture(render->getTextureManager()->getTexture(0));
    render.reset();
    delete out; // must not touch GL or the texture
    SUCCEED();
}

// --- textures on the units ---------------------------------------------------------------------

TEST_F(GLRenderTest, SetTextureBindsAndUnbindsStageZero) {
    const unsigned char pixels[4] = {1, 2, 3, 4};
    auto* texture = static_cast<rvGLTexture*>(render->createTexture(pixels, "one", 1, 1, 32));
    render->setTexture(texture);
    EXPECT_EQ(integer(GL_ACTIVE_TEXTURE_ARB), GL_TEXTURE0_ARB);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(integer(GL_TEXTURE_BINDING_2D), static_cast<GLint>(texture->glName));
    render->setTexture(nullptr);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(integer(GL_TEXTURE_BINDING_2D), 0);
}

TEST_F(GLRenderTest, NullSecondTextureLeavesUnitOneEnabled) {
    const unsigned char pixels[4] = {1, 2, 3, 4};
    auto* texture = static_cast<rvGLTexture*>(render->createTexture(pixels, "one", 1, 1, 32));
    render->setTexture2(texture);
    EXPECT_EQ(integer(GL_ACTIVE_TEXTURE_ARB), GL_TEXTURE0_ARB);
    RV_GL(glActiveTextureARB)(GL_TEXTURE1_ARB);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(integer(GL_TEXTURE_BINDING_2D), static_cast<GLint>(texture->glName));
    render->setTexture2(nullptr);
    RV_GL(glActiveTextureARB)(GL_TEXTURE1_ARB);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(integer(GL_TEXTURE_BINDING_2D), 0);
    RV_GL(glActiveTextureARB)(GL_TEXTURE0_ARB);
}

TEST_F(GLRenderTest, TextureSlotsReachTheManager) {
    rvGLTextureManager* manager = render->getTextureManager();
    const unsigned char pixels[12] = {};
    rvTexture* made = render->createTexture(pixels, "made", 2, 2, 24);
    EXPECT_EQ(manager->getTexture(made->handle), made);
    rvTexture* mip = render->createMipmappedTexture(pixels, "mip", 2, 2, 24);
    EXPECT_EQ(manager->getTexture(mip->handle), mip);
    EXPECT_EQ(render->loadTexture("none.bmp"), manager->getTexture(0));
    EXPECT_EQ(render->loadMipmappedTexture("none.tga"), manager->getTexture(0));
}

TEST_F(GLRenderTest, MakeColorPacksARGB) {
    EXPECT_EQ(render->makeColor(255, 1, 2, 3), 0xFF010203u);
    EXPECT_EQ(render->makeColor(0, 255, 0, 128), 0x00FF0080u);
}

// --- HUD text, particles, stubs ----------------------------------------------------------------

TEST_F(GLRenderTest, HUDSlotsReachTheManager) {
    EXPECT_EQ(render->addString("ab", 0, 0, 0, 1, 1, 1, 1, 1, 0), 0);
    EXPECT_EQ(render->addString("cd", 0, 0, 0, 1, 1, 1, 1, 1, 0), 1);
    EXPECT_TRUE(render->setString(0, "x", 0, 0, 0, 1, 1, 1, 1, 1, 0));
    EXPECT_EQ(render->getHUDTextManager()->getStringCount(), 2);
    EXPECT_TRUE(render->releaseFontSet(0));
    EXPECT_EQ(render->loadFontSet("f.bmp", "f.gtft"), 1);
}

TEST_F(GLRenderTest, DrawStringsBracketsWithTheOrthoModeAndTheAlphaTest) {
    render->addString("ab", 0, 0, 0, 1, 1, 1, 1, 1, 0);
    const std::vector<float> projection = floats(GL_PROJECTION_MATRIX);
    EXPECT_TRUE(render->drawStrings());
    EXPECT_TRUE(render->drawString(0));
    EXPECT_FALSE(render->isOrtho());
    EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(floats(GL_PROJECTION_MATRIX), projection);
}

TEST_F(GLRenderTest, ParticleManagerIsCreatedInitialised) {
    std::unique_ptr<rvParticleManager> manager(render->createParticleManager());
    auto* gl = dynamic_cast<rvGLParticleManager*>(manager.get());
    ASSERT_NE(gl, nullptr);
    EXPECT_TRUE(gl->hasPointParameters());
    EXPECT_NE(gl->positionBuffer(), nullptr);
    EXPECT_TRUE(messages().empty());
}

TEST_F(GLRenderTest, EveryEffectOperationShowsOneMessage) {
    rvShader shader("mirethShader.fx");
    rvMatrix44 m;
    render->loadFX(&shader);
    render->setCurrentFX(nullptr);
    render->setFXTechnique("phongLighting");
    render->setFXTexture(nullptr, &shader, "t");
    render->setFXMatrix(m, &shader, "m");
    render->setFXMatrixArray(&m, 1, &shader, "a");
    render->setFXVector4(1, 2, 3, 4, &shader, "v4");
    render->setFXVector3(1, 2, 3, &shader, "v3");
    render->setFXFloat(1, &shader, "f");
    ASSERT_EQ(messages().size(), 9u);
    for (const auto& message : messages()) {
        EXPECT_EQ(message.text, "FX files not available in OpenGL");
        EXPECT_EQ(message.caption, "FX Load Error");
    }
    EXPECT_EQ(shader.effect, nullptr);
}

// --- ARB programs ------------------------------------------------------------------------------

const char* const kTinyVertexProgram = "!!ARBvp1.0\n"
                                       "MOV result.position, vertex.position;\n"
                                       "MOV result.color, vertex.color;\n"
                                       "END\n";
const char* const kTinyFragmentProgram = "!!ARBfp1.0\n"
                                         "MOV result.color, fragment.color;\n"
                                         "END\n";

class GLProgramTest : public GLRenderTest {
protected:
    static GLint binding(GLenum target) {
        GLint value = 0;
        RV_GL(glGetProgramivARB)(target, GL_PROGRAM_BINDING_ARB, &value);
        return value;
    }
    ScopedWorkDir dir;
};

TEST_F(GLProgramTest, LoadCompilesAndBindsWithoutEnabling) {
    ScopedWorkDir::write("tiny.vp", kTinyVertexProgram);
    unsigned int id = 0;
    render->loadVertexProgram("tiny.vp", &id);
    EXPECT_TRUE(messages().empty());
    ASSERT_NE(id, 0u);
    EXPECT_TRUE(RV_GL(glIsProgramARB)(id));
    EXPECT_EQ(binding(GL_VERTEX_PROGRAM_ARB), static_cast<GLint>(id));
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_PROGRAM_ARB));
    GLint length = 0;
    RV_GL(glGetProgramivARB)(GL_VERTEX_PROGRAM_ARB, GL_PROGRAM_LENGTH_ARB, &length);
    EXPECT_EQ(length, static_cast<GLint>(std::strlen(kTinyVertexProgram)));
}

TEST_F(GLProgramTest, BindEnablesAndBindZeroDisablesKeepingTheBinding) {
    ScopedWorkDir::write("tiny.fp", kTinyFragmentProgram);
    unsigned int id = 0;
    render->loadFragmentProgram("tiny.fp", &id);
    render->bindFragmentProgram(id);
    EXPECT_TRUE(glIsEnabled(GL_FRAGMENT_PROGRAM_ARB));
    EXPECT_FALSE(render->isFragmentProgramDisabled());
    render->bindFragmentProgram(0);
    EXPECT_FALSE(glIsEnabled(GL_FRAGMENT_PROGRAM_ARB));
    EXPECT_TRUE(render->isFragmentProgramDisabled());
    EXPECT_EQ(binding(GL_FRAGMENT_PROGRAM_ARB), static_cast<GLint>(id));
}

TEST_F(GLProgramTest, TwoTogglesFromTheStartLeaveProgramsEnabled) {
    render->toggleVertexPrograms();
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_PROGRAM_ARB));
    EXPECT_TRUE(render->isVertexProgramDisabled());
    render->toggleVertexPrograms();
    EXPECT_TRUE(glIsEnabled(GL_VERTEX_PROGRAM_ARB));
    render->toggleFragmentPrograms();
    render->toggleFragmentPrograms();
    EXPECT_TRUE(glIsEnabled(GL_FRAGMENT_PROGRAM_ARB));
    EXPECT_FALSE(render->isFragmentProgramDisabled());
    render->toggleVertexPrograms();
    render->toggleFragmentPrograms();
}

TEST_F(GLProgramTest, CompileErrorsShowTheDriversTextUnderTheTargetsCaption) {
    ScopedWorkDir::write("broken.vp", "!!ARBvp1.0\nMOV result.position, nonsense;\nEND\n");
    ScopedWorkDir::write("broken.fp", "!!ARBfp1.0\nTEX result.color;\nEND\n");
    unsigned int vp = 0;
    unsigned int fp = 0;
    render->loadVertexProgram("broken.vp", &vp);
    render->loadFragmentProgram("broken.fp", &fp);
    ASSERT_EQ(captions(), (std::vector<std::string>{"Vertex Program Compile Error",
                                                    "Pixel Prog Compile Error"}));
    EXPECT_FALSE(messages()[0].text.empty());
    EXPECT_FALSE(messages()[1].text.empty());
    // The program object stays, bound.
    EXPECT_NE(vp, 0u);
    EXPECT_EQ(binding(GL_FRAGMENT_PROGRAM_ARB), static_cast<GLint>(fp));
}

TEST_F(GLProgramTest, UnreadableFilesAreReportedAndLeaveTheIdAlone) {
    unsigned int id = 12345;
    render->loadVertexProgram("missing.vp", &id);
    render->loadFragmentProgram("missing.fp", &id);
    EXPECT_EQ(id, 12345u);
    ASSERT_EQ(messages().size(), 2u);
    for (const auto& message : messages()) {
        EXPECT_EQ(message.text, "Error Reding Vertex File");
        EXPECT_EQ(message.caption, "File IO Error");
    }
}

TEST_F(GLProgramTest, ProgramsLongerThanFourKilobytesAreReadWhole) {
    std::string text = "!!ARBvp1.0\n";
    while (text.size() < 6000) {
        text += "# padding that makes the program longer than the old buffer\n";
    }
    text += "MOV result.position, vertex.position;\nEND\n";
    ScopedWorkDir::write("long.vp", text);
    unsigned int id = 0;
    render->loadVertexProgram("long.vp", &id);
    EXPECT_TRUE(messages().empty());
    EXPECT_NE(id, 0u);
}

TEST_F(GLProgramTest, TextEndsAtTheFirstZeroByte) {
    std::string text = kTinyFragmentProgram;
    text += std::string(1, '\0') + "garbage that would not compile";
    ScopedWorkDir::write("zero.fp", text);
    unsigned int id = 0;
    render->loadFragmentProgram("zero.fp", &id);
    EXPECT_TRUE(messages().empty());
}

TEST_F(GLProgramTest, LocalParametersReachTheTargets) {
    ScopedWorkDir::write("tiny.vp", kTinyVertexProgram);
    ScopedWorkDir::write("tiny.fp", kTinyFragmentProgram);
    unsigned int vp = 0;
    unsigned int fp = 0;
    render->loadVertexProgram("tiny.vp", &vp);
    render->loadFragmentProgram("tiny.fp", &fp);
    render->setFragmentProgramParameter(0.5f, 0, 0, 0, 5);
    rvVector4 v(1, 2, 3, 4);
    render->setVertexProgramVector(&v, 3);
    render->setVertexProgramParameter(-1, 0.25f, 0, 1, 0);
    float value[4] = {};
    RV_GL(glGetProgramLocalParameterfvARB)(GL_FRAGMENT_PROGRAM_ARB, 5, value);
    EXPECT_EQ(std::vector<float>(value, value + 4), (std::vector<float>{0.5f, 0, 0, 0}));
    RV_GL(glGetProgramLocalParameterfvARB)(GL_VERTEX_PROGRAM_ARB, 3, value);
    EXPECT_EQ(std::vector<float>(value, value + 4), (std::vector<float>{1, 2, 3, 4}));
    RV_GL(glGetProgramLocalParameterfvARB)(GL_VERTEX_PROGRAM_ARB, 0, value);
    EXPECT_EQ(std::vector<float>(value, value + 4), (std::vector<float>{-1, 0.25f, 0, 1}));
    rvVector4 f(9, 8, 7, 6);
    render->setFragmentProgramVector(&f, 1);
    RV_GL(glGetProgramLocalParameterfvARB)(GL_FRAGMENT_PROGRAM_ARB, 1, value);
    EXPECT_EQ(std::vector<float>(value, value + 4), (std::vector<float>{9, 8, 7, 6}));
}

TEST_F(GLProgramTest, DeleteReleasesTheProgram) {
    ScopedWorkDir::write("tiny.vp", kTinyVertexProgram);
    ScopedWorkDir::write("tiny.fp", kTinyFragmentProgram);
    unsigned int vp = 0;
    unsigned int fp = 0;
    render->loadVertexProgram("tiny.vp", &vp);
    render->loadFragmentProgram("tiny.fp", &fp);
    render->deleteVertexProgram(vp);
    render->deleteFragmentProgram(fp);
    EXPECT_FALSE(RV_GL(glIsProgramARB)(vp));
    EXPECT_FALSE(RV_GL(glIsProgramARB)(fp));
}

TEST_F(GLProgramTest, ProgramMatrixIsLoadedUnchangedAndStaysCurrent) {
    const rvMatrix44 m = rvTranslationMatrix(rvVector3(1, 2, 3)) * rvRotationZMatrix(0.3f);
    render->setProgramMatrix(m.m, 0);
    EXPECT_EQ(integer(GL_MATRIX_MODE), GL_MATRIX0_ARB);
    EXPECT_EQ(floats(GL_CURRENT_MATRIX_ARB), std::vector<float>(m.m, m.m + 16));
    // The next model-view load selects the model-view matrix again itself.
    rvMatrix44 world;
    render->setWorldMatrix(&world);
    EXPECT_EQ(integer(GL_MATRIX_MODE), GL_MODELVIEW);
}

TEST_F(GLProgramTest, BadProgramMatrixIndexLeavesTheCurrentMatrixAlone) {
#ifdef NDEBUG
    rvMatrix44 world = rvTranslationMatrix(rvVector3(0, 0, -5));
    render->setWorldMatrix(&world);
    const rvMatrix44 m = rvScalingMatrix(rvVector3(2, 2, 2));
    render->setProgramMatrix(m.m, integer(GL_MAX_PROGRAM_MATRICES_ARB));
    render->setProgramMatrix(m.m, -1);
    EXPECT_EQ(integer(GL_MATRIX_MODE), GL_MODELVIEW);
    EXPECT_EQ(floats(GL_MODELVIEW_MATRIX)[14], -5.0f);
#else
    GTEST_SKIP() << "an invalid index is asserted in debug builds";
#endif
}

TEST_F(GLProgramTest, TheDemosProgramsCompile) {
    unsigned int vp = 0;
    unsigned int fp = 0;
    render->loadVertexProgram(RV_DATA_DIR "/mirethVShader.vp", &vp);
    render->loadFragmentProgram(RV_DATA_DIR "/mirethPShader.fp", &fp);
    for (const auto& message : messages()) {
        ADD_FAILURE() << message.caption << ": " << message.text;
    }
    EXPECT_NE(vp, 0u);
    EXPECT_NE(fp, 0u);
}

TEST_F(GLProgramTest, TheDemosProgramsLightAFaceTurnedToTheLight) {
    unsigned int vp = 0;
    unsigned int fp = 0;
    render->loadVertexProgram(RV_DATA_DIR "/mirethVShader.vp", &vp);
    render->loadFragmentProgram(RV_DATA_DIR "/mirethPShader.fp", &fp);
    ASSERT_TRUE(messages().empty());
    const unsigned char white[4] = {255, 255, 255, 255};
    rvTexture* texture = render->createTexture(white, "white", 1, 1, 32);

    rvMatrix44 world = rvTranslationMatrix(rvVector3(0, 0, -5));
    render->setWorldMatrix(&world);
    const rvMatrix44 inverseWorld = world.inverse();
    render->setProgramMatrix(inverseWorld.m, 0);
    render->bindVertexProgram(vp);
    render->bindFragmentProgram(fp);
    render->setVertexProgramParameter(0, 0, 0, 0, 0); // light at the camera
    render->setVertexProgramParameter(1, 1, 1, 1, 1); // light colour
    render->setVertexProgramParameter(0, 0, 0, 0, 2); // ambient
    render->setVertexProgramParameter(0, 0, 0, 1, 3); // camera
    render->setFragmentProgramParameter(1, 1, 1, 1, 1);
    render->setFragmentProgramParameter(0, 0, 0, 0, 2);
    render->setFragmentProgramParameter(16, 0, 0, 0, 5);

    std::unique_ptr<rvGLMesh> mesh(triangle(1, 1, 1, 1));
    const float uv[6] = {0, 0, 1, 0, 0.5f, 1};
    const float towards[9] = {0, 0, 1, 0, 0, 1, 0, 0, 1};
    mesh->setUVs(uv, 6);
    mesh->setNormals(towards, 9);
    clearBlack();
    render->setTexture(texture);
    ASSERT_TRUE(render->drawMesh(mesh.get()));
    const std::vector<unsigned char> lit = pixel(kWindowWidth / 2, kWindowHeight / 2);

    const float away[9] = {0, 0, -1, 0, 0, -1, 0, 0, -1};
    mesh->setNormals(away, 9);
    clearBlack();
    ASSERT_TRUE(render->drawMesh(mesh.get()));
    const std::vector<unsigned char> unlit = pixel(kWindowWidth / 2, kWindowHeight / 2);
    render->bindVertexProgram(0);
    render->bindFragmentProgram(0);
    render->setTexture(nullptr);

    EXPECT_GT(lit[0], 200);
    EXPECT_GT(lit[1], 200);
    EXPECT_LT(unlit[0], 20);
}

} // namespace
