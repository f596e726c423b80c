// The OpenGL renderer on a real context (Mesa under Xvfb in CI): init and teardown, render
// states, transforms, clearing, drawing and its guards, textures on the units, mesh import,
// the 2D mode around HUD text and ARB programs.
#include "rvglrender.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "glcontext.h"
#include "glprocs.h" // with GL/glext.h
#include "recordingmesh.h"
#include "rvanimmesh.h"
#include "rvglmesh.h"
#include "rvgltexturemanager.h"
#include "rvtexture.h"
#include "zrglcontext.h"

namespace {

using gltest::gMessages;
using gltest::kWindowHeight;
using gltest::kWindowWidth;
using Pixel = std::vector<unsigned char>;

class GLRenderTest : public gltest::RenderTest {
protected:
    // The first value of a state (the polygon mode has two).
    static GLint integer(GLenum name) {
        GLint values[4] = {};
        glGetIntegerv(name, values);
        return values[0];
    }
    static std::vector<float> floats(GLenum name, int count = 16) {
        std::vector<float> values(count);
        glGetFloatv(name, values.data());
        return values;
    }
    static bool isRed(const Pixel& p) { return p[0] > 200 && p[1] < 50 && p[2] < 50; }
    static bool isBlack(const Pixel& p) { return p[0] < 20 && p[1] < 20 && p[2] < 20; }
    static Pixel centre() { return pixel(kWindowWidth / 2, kWindowHeight / 2); }
    // Clears to black and places model space five units in front of the default camera.
    void clearAndPlaceAhead() {
        const float black[4] = {1, 0, 0, 0};
        render->clear(black, 1.0f);
        rvMatrix44 world = rvTranslationMatrix(rvVector3(0, 0, -5));
        render->setWorldMatrix(&world);
    }
    // A triangle about a unit across around the origin of its model space.
    static std::unique_ptr<rvGLMesh> triangle(float a, float r, float g, float b) {
        auto mesh = std::make_unique<rvGLMesh>(kTriangleList);
        const float p[9] = {-0.5f, -0.5f, 0.0f, 0.5f, -0.5f, 0.0f, 0.0f, 0.5f, 0.0f};
        mesh->setPositions(p, 9);
        mesh->setConstantColor(a, r, g, b, 3);
        return mesh;
    }
};

// --- init and teardown -------------------------------------------------------------------------

TEST_F(GLRenderTest, InitTurnsOnDepthAndCullingOnlyAndReportsAMissingWindow) {
    const GLenum caps[4] = {GL_DEPTH_TEST, GL_BLEND, GL_CULL_FACE, GL_LIGHTING};
    for (int state = 0; state < 4; ++state)
        EXPECT_EQ(glIsEnabled(caps[state]), state % 2 == 0) << state;
    EXPECT_EQ(gTextureManager, render->getTextureManager());
    rvGLRender other;
    EXPECT_FALSE(other.init(nullptr));
    ASSERT_EQ(gMessages.size(), 1u);
    EXPECT_EQ(gMessages[0].text + "/" + gMessages[0].caption,
              "Error initializing the OpenGL objects /GL Init Error");
}

TEST_F(GLRenderTest, TeardownDeletesTheTexturesThroughItsContext) {
    const unsigned char px[4] = {1, 2, 3, 4};
    const GLuint name = static_cast<rvGLTexture*>(render->createTexture(px, "t", 1, 1, 32))->glName;
    // A context sharing the renderer's objects outlives it and sees whether the name is gone.
    zrGLContextParams shared;
    shared.shareWithCurrent = true;
    std::string error;
    std::unique_ptr<zrGLContext> witness = zrGLContext::create(window(), shared, &error);
    ASSERT_NE(witness, nullptr) << error;
    render.reset();
    EXPECT_EQ(gTextureManager, nullptr);
    ASSERT_TRUE(witness->makeCurrent());
    EXPECT_FALSE(glIsTexture(name));
}

// --- render states -----------------------------------------------------------------------------

TEST_F(GLRenderTest, EachStateSwitchesItsCapabilityAndOthersAreRefused) {
    const GLenum caps[4] = {GL_DEPTH_TEST, GL_BLEND, GL_CULL_FACE, GL_LIGHTING};
    for (int state = 0; state < 4; ++state) {
        for (bool on : {true, false}) {
            EXPECT_TRUE(render->setRenderState(state, on));
            EXPECT_EQ(glIsEnabled(caps[state]), on) << state;
            EXPECT_EQ(render->getRenderStates().flags[state], on) << state;
        }
    }
    glBlendFunc(GL_ONE, GL_ZERO);
    render->setRenderState(kStateBlend, true);
    EXPECT_EQ(integer(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(integer(GL_BLEND_DST), GL_DST_ALPHA);
    EXPECT_FALSE(render->setRenderState(4, true));
    EXPECT_FALSE(render->setRenderState(-1, true));
    EXPECT_FALSE(render->getRenderStates().flags[kStateLighting]);
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
}

// --- transforms --------------------------------------------------------------------------------

TEST_F(GLRenderTest, ModelViewIsWorldTimesViewUnchanged) {
    rvMatrix44 world = rvRotationYMatrix(0.5f) * rvTranslationMatrix(rvVector3(1, 2, 3));
    rvVector3 eye(0, 5, 10), at(0, 5, 0), up(0, 1, 0);
    render->setWorldMatrix(&world);
    glMatrixMode(GL_TEXTURE); // each load selects the model-view matrix itself
    ASSERT_TRUE(render->lookAt(&eye, &at, &up));
    EXPECT_EQ(integer(GL_MATRIX_MODE), GL_MODELVIEW);
    const rvMatrix44 expected = world * rvLookAtRH(eye, at, up);
    const std::vector<float> modelView = floats(GL_MODELVIEW_MATRIX);
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(modelView[i], expected.m[i], 1e-5f) << i;
    }
}

// --- clearing and drawing ----------------------------------------------------------------------

TEST_F(GLRenderTest, ClearColoursAndIndicesOfBothWidthsReachGL) {
    const float halfRed[4] = {1.0f, 0.5f, 0.0f, 0.0f}; // alpha first
    ASSERT_TRUE(render->clear(halfRed, 1.0f));
    EXPECT_NEAR(pixel(10, 10)[0], 128, 1);
    EXPECT_EQ(pixel(10, 10)[1] + pixel(10, 10)[2], 0);
    std::unique_ptr<rvGLMesh> mesh = triangle(1, 1, 0, 0);
    const float argbGreen[12] = {1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0};
    mesh->setFourFloatColors(argbGreen, 12);
    const unsigned short i16[3] = {0, 1, 2};
    const unsigned int i32[3] = {0, 1, 2};
    mesh->setIndexArray16(i16, 3);
    clearAndPlaceAhead();
    ASSERT_TRUE(render->drawMesh(mesh.get()));
    EXPECT_EQ(centre(), (Pixel{0, 255, 0, 255}));
    mesh->setIndexArray32(i32, 3);
    clearAndPlaceAhead();
    ASSERT_TRUE(render->drawMesh(mesh.get()));
    EXPECT_EQ(centre(), (Pixel{0, 255, 0, 255}));
}

TEST_F(GLRenderTest, DrawingLeavesNoArrayEnabledWhiteAsTheColourAndUnitZeroUnbound) {
    render->setTexture(render->getTextureManager()->getTexture(0));
    std::unique_ptr<rvGLMesh> mesh = triangle(1, 1, 0, 0);
    const float n[12] = {0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 1, 1};
    mesh->setNormals(n, 9);
    mesh->setData(n, sizeof(n), 4); // tangents, as the mesh files carry them
    ASSERT_TRUE(render->drawMesh(mesh.get()));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D)); // no coordinates for unit 0
    EXPECT_EQ(integer(GL_TEXTURE_BINDING_2D), 0);
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_COLOR_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_NORMAL_ARRAY));
    RV_GL(glClientActiveTextureARB)(GL_TEXTURE2_ARB);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
    EXPECT_EQ(floats(GL_CURRENT_COLOR, 4), (std::vector<float>{1, 1, 1, 1}));
}

TEST_F(GLRenderTest, IndicesAndStreamsThatDoNotFitThePositionsAreNotUsed) {
    clearAndPlaceAhead();
    std::unique_ptr<rvGLMesh> mesh = triangle(1, 1, 0, 0);
    const unsigned short past[3] = {0, 1, 3};
    mesh->setIndexArray16(past, 3);
    EXPECT_FALSE(render->drawMesh(mesh.get()));
    EXPECT_TRUE(isBlack(centre()));
    mesh = triangle(1, 1, 0, 0);
    mesh->setConstantColor(1, 0, 1, 0, 1); // one colour for three vertices: left out
    glColor3f(1, 0, 0);
    ASSERT_TRUE(render->drawMesh(mesh.get()));
    EXPECT_TRUE(isRed(centre()));
    RecordingMesh foreign;
    EXPECT_FALSE(render->drawMesh(&foreign));
    rvGLMesh empty(kTriangleList);
    EXPECT_TRUE(render->drawMesh(&empty));
}

// --- textures on the units ---------------------------------------------------------------------

TEST_F(GLRenderTest, NullTextureDisablesUnitZeroButLeavesUnitOneEnabled) {
    const unsigned char px[4] = {1, 2, 3, 4};
    auto* texture = static_cast<rvGLTexture*>(render->createTexture(px, "one", 1, 1, 32));
    render->setTexture(texture);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(integer(GL_TEXTURE_BINDING_2D), static_cast<GLint>(texture->glName));
    render->setTexture(nullptr);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    render->setTexture2(texture);
    render->setTexture2(nullptr);
    RV_GL(glActiveTextureARB)(GL_TEXTURE1_ARB);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(integer(GL_TEXTURE_BINDING_2D), 0);
}

// --- meshes and HUD text -----------------------------------------------------------------------

TEST_F(GLRenderTest, ImportedMeshesAreOpenGLMeshes) {
    rvMesh* out = nullptr;
    rvAnimMesh* anim = nullptr;
    render->importMSHFile("nothere.MSH", &out);
    render->importMSHFile("nothere.MSH", &anim);
    std::unique_ptr<rvMesh> owner(out);
    std::unique_ptr<rvAnimMesh> animOwner(anim);
    EXPECT_NE(dynamic_cast<rvGLMesh*>(out), nullptr);
    EXPECT_NE(dynamic_cast<rvGLMesh*>(anim->getMesh()), nullptr);
    EXPECT_EQ(gMessages.size(), 2u); // each reported
}

TEST_F(GLRenderTest, DrawStringsBracketsWithTheOrthoModeAndTheAlphaTest) {
    render->addString("ab", 0, 0, 0, 1, 1, 1, 1, 1, 0);
    const std::vector<float> projection = floats(GL_PROJECTION_MATRIX);
    EXPECT_TRUE(render->drawStrings());
    EXPECT_FALSE(render->isOrtho());
    EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
    EXPECT_EQ(floats(GL_PROJECTION_MATRIX), projection);
}

// --- ARB programs ------------------------------------------------------------------------------

// Longer than 4,096 bytes: the whole text is read, however long.
const std::string kLongVertexProgram = "!!ARBvp1.0\n#" + std::string(5000, '-') +
                                       "\nMOV result.position, vertex.position;\n"
                                       "MOV result.color, vertex.color;\nEND\n";

class GLProgramTest : public GLRenderTest {
protected:
    static GLint binding(GLenum target) {
        GLint value = 0;
        RV_GL(glGetProgramivARB)(target, GL_PROGRAM_BINDING_ARB, &value);
        return value;
    }
    static std::vector<float> local(GLenum target, int index) {
        float value[4] = {};
        RV_GL(glGetProgramLocalParameterfvARB)(target, index, value);
        return std::vector<float>(value, value + 4);
    }
    unsigned int vp = 0;
    unsigned int fp = 0;
};

TEST_F(GLProgramTest, LoadCompilesTheWholeTextUpToAZeroAndBindsWithoutEnabling) {
    write("long.vp", kLongVertexProgram);
    write("tiny.fp", std::string("!!ARBfp1.0\nMOV result.color, fragment.color;\nEND\n") + '\0' +
                         "text after a zero byte");
    render->loadVertexProgram("long.vp", &vp);
    render->loadFragmentProgram("tiny.fp", &fp);
    EXPECT_TRUE(gMessages.empty());
    EXPECT_EQ(binding(GL_VERTEX_PROGRAM_ARB), static_cast<GLint>(vp));
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_PROGRAM_ARB));
    GLint length = 0;
    RV_GL(glGetProgramivARB)(GL_VERTEX_PROGRAM_ARB, GL_PROGRAM_LENGTH_ARB, &length);
    EXPECT_EQ(length, static_cast<GLint>(kLongVertexProgram.size()));
    render->bindFragmentProgram(fp);
    EXPECT_TRUE(glIsEnabled(GL_FRAGMENT_PROGRAM_ARB));
    render->bindFragmentProgram(0);
    EXPECT_FALSE(glIsEnabled(GL_FRAGMENT_PROGRAM_ARB));
    EXPECT_EQ(binding(GL_FRAGMENT_PROGRAM_ARB), static_cast<GLint>(fp)); // still bound
    render->setFragmentProgramParameter(0.5f, 0, 0, 0, 5);
    render->setVertexProgramParameter(1, 2, 3, 4, 3);
    EXPECT_EQ(local(GL_FRAGMENT_PROGRAM_ARB, 5), (std::vector<float>{0.5f, 0, 0, 0}));
    EXPECT_EQ(local(GL_VERTEX_PROGRAM_ARB, 3), (std::vector<float>{1, 2, 3, 4}));
    EXPECT_EQ(local(GL_FRAGMENT_PROGRAM_ARB, 3), (std::vector<float>(4, 0)));
}

TEST_F(GLProgramTest, CompileErrorsAndUnreadableFilesAreReported) {
    write("broken.vp", "!!ARBvp1.0\nMOV result.position, nonsense;\nEND\n");
    write("broken.fp", "!!ARBfp1.0\nTEX result.color;\nEND\n");
    render->loadVertexProgram("broken.vp", &vp);
    render->loadFragmentProgram("broken.fp", &fp);
    unsigned int untouched = 12345;
    render->loadVertexProgram("missing.vp", &untouched);
    EXPECT_EQ(untouched, 12345u);
    ASSERT_EQ(gMessages.size(), 3u);
    EXPECT_EQ(gMessages[0].caption, "Vertex Program Compile Error");
    EXPECT_FALSE(gMessages[0].text.empty()); // the driver's own error text
    EXPECT_EQ(gMessages[1].caption, "Pixel Prog Compile Error");
    EXPECT_EQ(binding(GL_FRAGMENT_PROGRAM_ARB), static_cast<GLint>(fp)); // kept, bound
    EXPECT_EQ(gMessages[2].text + "/" + gMessages[2].caption,
              "Error Reding Vertex File/File IO Error");
}

TEST_F(GLProgramTest, TheDemosProgramsCompileAndLightAFaceTurnedToTheLight) {
    render->loadVertexProgram(RV_DATA_DIR "/mirethVShader.vp", &vp);
    render->loadFragmentProgram(RV_DATA_DIR "/mirethPShader.fp", &fp);
    ASSERT_TRUE(gMessages.empty()) << gMessages[0].caption << ": " << gMessages[0].text;
    const unsigned char white[4] = {255, 255, 255, 255};
    render->setTexture(render->createTexture(white, "white", 1, 1, 32));
    clearAndPlaceAhead();
    // The programs take the inverse world matrix unchanged, as program matrix 0.
    const rvMatrix44 inverseWorld = rvTranslationMatrix(rvVector3(0, 0, 5));
    render->setProgramMatrix(inverseWorld.m, 0);
    EXPECT_EQ(integer(GL_MATRIX_MODE), GL_MATRIX0_ARB);
    render->bindVertexProgram(vp);
    render->bindFragmentProgram(fp);
    render->setVertexProgramParameter(0, 0, 0, 0, 0); // light at the camera
    render->setVertexProgramParameter(1, 1, 1, 1, 1); // light colour
    render->setVertexProgramParameter(0, 0, 0, 1, 3); // camera
    render->setFragmentProgramParameter(1, 1, 1, 1, 1);
    render->setFragmentProgramParameter(16, 0, 0, 0, 5); // shininess
    std::unique_ptr<rvGLMesh> mesh = triangle(1, 1, 1, 1);
    const float uv[6] = {0, 0, 1, 0, 0.5f, 1};
    const float towards[9] = {0, 0, 1, 0, 0, 1, 0, 0, 1};
    const float away[9] = {0, 0, -1, 0, 0, -1, 0, 0, -1};
    mesh->setUVs(uv, 6);
    mesh->setNormals(towards, 9);
    ASSERT_TRUE(render->drawMesh(mesh.get()));
    const Pixel lit = centre();
    mesh->setNormals(away, 9);
    clearAndPlaceAhead();
    ASSERT_TRUE(render->drawMesh(mesh.get()));
    EXPECT_GT(lit[0], 200);
    EXPECT_LT(centre()[0], 20);
}

} // namespace
