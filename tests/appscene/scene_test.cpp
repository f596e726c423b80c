#include "scene.h"

#include <cmath>
#include <cstring>

#include <gtest/gtest.h>

#include "rvanimmesh.h"
#include "scenefixture.h"

namespace {

constexpr float kEps = 1e-5f;

void expectPointNear(const rvVector3& p, float x, float y, float z) {
    EXPECT_NEAR(p.x, x, kEps);
    EXPECT_NEAR(p.y, y, kEps);
    EXPECT_NEAR(p.z, z, kEps);
}

void expectNumbers(const RecordedCall& call, std::vector<float> expected) {
    ASSERT_EQ(call.numbers.size(), expected.size()) << call.op;
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(call.numbers[i], expected[i], kEps) << call.op << " argument " << i;
    }
}

bool isIdentity(const rvMatrix44& m) {
    const rvMatrix44 identity;
    for (int i = 0; i < 16; ++i) {
        if (std::fabs(m.m[i] - identity.m[i]) > kEps) {
            return false;
        }
    }
    return true;
}

// --- The command-line test ---------------------------------------------------------------

TEST(IsMSHFileName, NamesWhoseFirstDotIsFollowedByMSHInAnyCase) {
    EXPECT_TRUE(isMSHFileName("meshes/zaphod.MSH"));
    EXPECT_TRUE(isMSHFileName("model.msh"));
    EXPECT_TRUE(isMSHFileName("model.mSh"));
    EXPECT_TRUE(isMSHFileName(".msh"));
    EXPECT_TRUE(isMSHFileName("model.MSHX")); // what follows the three letters is not examined
}

TEST(IsMSHFileName, RejectsOtherNames) {
    EXPECT_FALSE(isMSHFileName(nullptr));
    EXPECT_FALSE(isMSHFileName(""));
    EXPECT_FALSE(isMSHFileName("model"));
    EXPECT_FALSE(isMSHFileName("model."));
    EXPECT_FALSE(isMSHFileName("model.MS"));
    EXPECT_FALSE(isMSHFileName("model.obj"));
    EXPECT_FALSE(isMSHFileName("a.b.MSH"));     // only the first dot counts
    EXPECT_FALSE(isMSHFileName("./model.MSH")); // its first dot belongs to the directory
}

TEST(IsMSHFileName, LeavesTheNameAsGiven) {
    char name[] = "meshes/zaphod.msh";
    EXPECT_TRUE(isMSHFileName(name));
    EXPECT_STREQ(name, "meshes/zaphod.msh");
}

// --- Loading ------------------------------------------------------------------------------

TEST_F(SceneTest, LoadsBothCharactersWithTheirTexturesAndAnimation) {
    initScene();
    const auto imports = render.callsOf("importMSHFile");
    ASSERT_EQ(imports.size(), 2u);
    EXPECT_EQ(imports[0].text, "meshes/zax.MSH");
    EXPECT_EQ(imports[1].text, "meshes/zaphod.MSH");
    ASSERT_TRUE(gModel1 && gModel2);
    EXPECT_EQ(gCurrentModel, gModel1);

    EXPECT_EQ(recorded(gModel1)->loadedTextures,
              std::vector<std::string>{"textures/Diffuse Map - Zax.bmp"});
    EXPECT_EQ(recorded(gModel2)->loadedTextures,
              std::vector<std::string>{"textures/zaphod_red.tga"});

    for (rvAnimMesh* model : {gModel1, gModel2}) {
        EXPECT_NEAR(model->getFrameDuration(), 1.0f / 15.0f, 1e-7f);
        const int count = model->getMesh()->getVertexCount() * 4;
        const RecordingMesh* mesh = recorded(model);
        EXPECT_EQ(mesh->boneWeights,
                  std::vector<float>(model->getBoneWeights(), model->getBoneWeights() + count));
        EXPECT_EQ(mesh->boneIndices, std::vector<unsigned char>(model->getBoneIndices(),
                                                                model->getBoneIndices() + count));
    }
}

TEST_F(SceneTest, PlacesTheCharactersOnTheFloor) {
    initScene();
    // Scale 0.1 then (−1, 0, 5): the feet (model origin) on the floor, 40 units tall → 4.
    expectPointNear(rvTransformPoint(rvVector3(0, 0, 0), gWorld1), -1.0f, 0.0f, 5.0f);
    expectPointNear(rvTransformPoint(rvVector3(10, 40, -10), gWorld1), 0.0f, 4.0f, 4.0f);
    // Scale 0.15 then (−3, 2.5, 0): the pelvis 16.7 units above the soles puts them at y ≈ 0.
    expectPointNear(rvTransformPoint(rvVector3(0, 0, 0), gWorld2), -3.0f, 2.5f, 0.0f);
    expectPointNear(rvTransformPoint(rvVector3(20, -16.7f, 0), gWorld2), 0.0f, -0.005f, 0.0f);
    EXPECT_FLOAT_EQ(gWorld1(3, 3), 1.0f);
    EXPECT_FLOAT_EQ(gWorld2(3, 3), 1.0f);
}

TEST_F(SceneTest, GeneratesFloorSkyBoxAndLightMarker) {
    initScene();
    ASSERT_TRUE(gFloor && gSkyBox && gLightMarker);
    for (rvMesh* mesh : {gFloor, gSkyBox, gLightMarker}) {
        EXPECT_EQ(recorded(mesh)->getPrimitiveType(), kTriangleList);
    }
    // A 100 × 100 floor at y = 0.
    EXPECT_EQ(gFloor->getVertexCount(), 6);
    expectPointNear(gFloor->getBoundsMin(), -50.0f, 0.0f, -50.0f);
    expectPointNear(gFloor->getBoundsMax(), 50.0f, 0.0f, 50.0f);
    // A 100-unit cube around the origin.
    EXPECT_EQ(gSkyBox->getVertexCount(), 36);
    expectPointNear(gSkyBox->getBoundsMax(), 50.0f, 50.0f, 50.0f);
    // A sphere of radius 0.1 subdivided once: 10 · 4 + 2 vertices.
    EXPECT_EQ(gLightMarker->getVertexCount(), 42);
    expectPointNear(gLightMarker->getBoundsMax(), 0.1f, 0.1f, 0.1f);

    EXPECT_EQ(recorded(gFloor)->loadedTextures,
              std::vector<std::string>{"textures/grayTexture.bmp"});
    EXPECT_EQ(recorded(gSkyBox)->loadedTextures, std::vector<std::string>{"textures/skybox1.bmp"});
    EXPECT_EQ(recorded(gLightMarker)->loadedTextures,
              std::vector<std::string>{"textures/whitegrid.bmp"});
}

TEST_F(SceneTest, CommandLineModelIsOpenedAsGivenInGreyWithoutItsAnimationSetUp) {
    render.addModelFile("models/Custom.msh", tinyCharacter(3));
    gCommandLine = "models/Custom.msh";
    initScene();
    EXPECT_EQ(render.callsOf("importMSHFile")[0].text, "models/Custom.msh");
    EXPECT_STREQ(gCommandLine, "models/Custom.msh");
    EXPECT_EQ(recorded(gModel1)->loadedTextures,
              std::vector<std::string>{"textures/grayTexture.bmp"});
    EXPECT_EQ(gModel1->getFrameDuration(), 0.0f); // no frame rate
    EXPECT_TRUE(recorded(gModel1)->boneWeights.empty());
    EXPECT_TRUE(recorded(gModel1)->boneIndices.empty());
    // The second model is unaffected.
    EXPECT_EQ(render.callsOf("importMSHFile")[1].text, "meshes/zaphod.MSH");
}

TEST_F(SceneTest, CommandLineThatIsNoModelKeepsTheDefaultCharacter) {
    gCommandLine = "./notes.txt";
    initScene();
    EXPECT_EQ(render.callsOf("importMSHFile")[0].text, "meshes/zax.MSH");
}

TEST_F(SceneTest, UnreadableCommandLineModelIsDrawnAsAnEmptyMesh) {
    gCommandLine = "missing.MSH"; // not registered: reads like a file that cannot be opened
    initScene();
    ASSERT_TRUE(gModel1 && gModel1->getMesh());
    EXPECT_EQ(gModel1->getMesh()->getVertexCount(), 0);
    render.calls.clear();
    for (int i = 0; i < 3; ++i) {
        gModel1->update(0.02f);
        drawSceneGL();
    }
    EXPECT_EQ(render.callsOf("endScene").size(), 3u);
}

// --- Shader set-up --------------------------------------------------------------------------

TEST_F(SceneTest, OpenGLProgramsGetTheirConstantsInOrder) {
    initScene();
    std::vector<RecordedCall> programCalls;
    for (const RecordedCall& c : render.calls) {
        if (c.op.find("Program") != std::string::npos) {
            programCalls.push_back(c);
        }
    }
    ASSERT_EQ(programCalls.size(), 10u);
    EXPECT_EQ(programCalls[0].op, "loadVertexProgram");
    EXPECT_EQ(programCalls[0].text, "mirethVShader.vp");
    expectNumbers(programCalls[0], {1});
    EXPECT_EQ(programCalls[1].op, "bindVertexProgram");
    expectNumbers(programCalls[1], {1});
    EXPECT_EQ(programCalls[2].op, "setVertexProgramParameter");
    expectNumbers(programCalls[2], {1, 1, 1, 1, 1});
    EXPECT_EQ(programCalls[3].op, "setVertexProgramParameter");
    expectNumbers(programCalls[3], {0.1f, 0.1f, 0.1f, 1, 2});
    EXPECT_EQ(programCalls[4].op, "setProgramMatrix");
    expectNumbers(programCalls[4], {0});
    EXPECT_TRUE(isIdentity(programCalls[4].matrix * gWorld1));
    EXPECT_EQ(programCalls[5].op, "loadFragmentProgram");
    EXPECT_EQ(programCalls[5].text, "mirethPShader.fp");
    expectNumbers(programCalls[5], {3});
    EXPECT_EQ(programCalls[6].op, "bindFragmentProgram");
    expectNumbers(programCalls[6], {3});
    expectNumbers(programCalls[7], {1, 1, 1, 1, 1});
    expectNumbers(programCalls[8], {0.1f, 0.1f, 0.1f, 1, 2});
    expectNumbers(programCalls[9], {128, 0, 0, 0, 5});
    EXPECT_TRUE(render.callsOf("loadFX").empty());
}

TEST_F(SceneTest, Direct3DEffectGetsItsConstantsInOrder) {
    gUseOpenGL = false;
    initScene();
    std::vector<RecordedCall> fx;
    for (const RecordedCall& c : render.calls) {
        if (c.op.find("FX") != std::string::npos) {
            fx.push_back(c);
        }
    }
    ASSERT_EQ(fx.size(), 6u);
    EXPECT_EQ(fx[0].op, "loadFX");
    EXPECT_EQ(fx[0].text, "mirethShader.fx");
    EXPECT_EQ(fx[1].op, "setFXMatrix");
    EXPECT_EQ(fx[1].text, "invworld");
    EXPECT_TRUE(isIdentity(fx[1].matrix * gWorld1));
    EXPECT_EQ(fx[2].op, "setFXTexture");
    EXPECT_EQ(fx[2].text, "diffTex");
    EXPECT_EQ(fx[2].pointer, textures.find("textures/Diffuse Map - Zax.bmp"));
    EXPECT_NE(fx[2].pointer, nullptr);
    EXPECT_EQ(fx[3].text, "pLightColor");
    expectNumbers(fx[3], {1, 1, 1, 1});
    EXPECT_EQ(fx[4].text, "ambientColor");
    expectNumbers(fx[4], {0.1f, 0.1f, 0.1f, 1});
    EXPECT_EQ(fx[5].op, "setFXFloat");
    EXPECT_EQ(fx[5].text, "specShiny");
    expectNumbers(fx[5], {128});
    EXPECT_TRUE(render.callsOf("loadVertexProgram").empty());
}

TEST_F(SceneTest, HelpTextsHaveTheirPlacesAndColours) {
    initScene();
    const auto strings = render.callsOf("addString");
    ASSERT_EQ(strings.size(), 3u);
    // x, y, line spacing, a, r, g, b, scale, font handle.
    EXPECT_EQ(strings[0].text, "Press 'C' to attach the light to the camera.");
    expectNumbers(strings[0], {10, 590, 2, 1, 0, 0, 1, 1, 0}); // blue
    EXPECT_EQ(strings[1].text, "Press 'C' to release the light.");
    expectNumbers(strings[1], {10, 590, 2, 1, 1, 0, 0, 1, 0}); // red
    EXPECT_EQ(strings[2].text, "Press 'M' to switch models.");
    expectNumbers(strings[2], {10, 570, 2, 1, 0, 1, 0, 1, 0}); // green
    EXPECT_EQ(gTextAttachLight, 0);
    EXPECT_EQ(gTextReleaseLight, 1);
    EXPECT_EQ(gTextSwitchModels, 2);
}

// --- Drawing --------------------------------------------------------------------------------

TEST_F(SceneTest, OpenGLFrameDrawsEnvironmentTextThenCharacter) {
    initAndForget();
    drawSceneGL();
    const std::vector<std::string> expected = {"clear",
                                               "beginScene",
                                               "toggleVertexPrograms",
                                               "toggleFragmentPrograms",
                                               "setVertexProgramParameter", // camera, local 3
                                               "setTexture",
                                               "setTexture2",
                                               "setWorldMatrix",
                                               "drawMesh", // light marker
                                               "setWorldMatrix",
                                               "setTexture",
                                               "drawMesh",
                                               "setTexture",
                                               "drawMesh", // sky, floor
                                               "setTexture",
                                               "setVertexProgramParameter",
                                               "drawString",
                                               "drawString",
                                               "toggleVertexPrograms",
                                               "toggleFragmentPrograms",
                                               "setWorldMatrix",
                                               "setTexture",
                                               "drawMesh",
                                               "endScene"};
    ASSERT_EQ(render.ops(), expected);
    const auto& c = render.calls;
    expectNumbers(c[0], {1, 0, 0, 0, 1}); // opaque black, depth 1
    expectNumbers(c[4], {0, 5, 10, 0, 3});
    EXPECT_EQ(c[5].pointer, textures.find("textures/whitegrid.bmp"));
    EXPECT_EQ(c[6].pointer, nullptr);
    EXPECT_TRUE(isIdentity(c[7].matrix)); // angle 0
    EXPECT_EQ(c[8].pointer, gLightMarker);
    EXPECT_TRUE(isIdentity(c[9].matrix));
    EXPECT_EQ(c[10].pointer, textures.find("textures/skybox1.bmp"));
    EXPECT_EQ(c[11].pointer, gSkyBox);
    EXPECT_EQ(c[12].pointer, textures.find("textures/grayTexture.bmp"));
    EXPECT_EQ(c[13].pointer, gFloor);
    EXPECT_EQ(c[14].pointer, nullptr);
    expectNumbers(c[15], {0, 5, 10, 0, 0}); // the light sits on the camera
    expectNumbers(c[16], {float(gTextReleaseLight)});
    expectNumbers(c[17], {float(gTextSwitchModels)});
    EXPECT_EQ(c[20].pointer, &gWorld1);
    EXPECT_EQ(c[21].pointer, textures.find("textures/Diffuse Map - Zax.bmp"));
    EXPECT_EQ(c[22].pointer, gModel1->getMesh());
}

TEST_F(SceneTest, ReleasedLightOrbitsAndTheBlueLineIsShown) {
    initAndForget();
    gLightOnCamera = false;
    gLightAngle = 90.0f;
    drawSceneGL();
    const auto& c = render.calls;
    // The marker turns in place: rotation about y by 90°, no translation.
    const rvMatrix44& marker = c[7].matrix;
    expectPointNear(rvTransformPoint(rvVector3(0, 0, 0), marker), 0, 0, 0);
    expectPointNear(rvTransformPoint(rvVector3(1, 0, 0), marker), 0, 0, -1);
    // (3, 3, 3) turned by 90° about y.
    expectNumbers(c[15], {3, 3, -3, 0, 0});
    expectPointNear(gLightPos, 3, 3, -3);
    expectNumbers(c[16], {float(gTextAttachLight)});
    expectNumbers(c[17], {float(gTextSwitchModels)});
}

TEST_F(SceneTest, OpenGLWireframeAlsoCoversTheHelpText) {
    initAndForget();
    gWireframe = true;
    drawSceneGL();
    const auto ops = render.ops();
    ASSERT_GE(ops.size(), 4u);
    EXPECT_EQ(ops[2], "setFillMode");
    expectNumbers(render.calls[2], {kFillWireframe});
    EXPECT_EQ(ops[ops.size() - 2], "setFillMode");
    expectNumbers(render.calls[ops.size() - 2], {kFillSolid});
    EXPECT_EQ(ops.back(), "endScene");
    EXPECT_EQ(render.callsOf("drawString").size(), 2u);
}

TEST_F(SceneTest, SecondModelIsDrawnWithItsOwnWorldAndTexture) {
    initAndForget();
    switchModel();
    gShowFirstModel = false;
    render.calls.clear();
    drawSceneGL();
    const auto worlds = render.callsOf("setWorldMatrix");
    EXPECT_EQ(worlds.back().pointer, &gWorld2);
    const auto textureCalls = render.callsOf("setTexture");
    EXPECT_EQ(textureCalls.back().pointer, textures.find("textures/zaphod_red.tga"));
    EXPECT_EQ(render.callsOf("drawMesh").back().pointer, gModel2->getMesh());
}

TEST_F(SceneTest, Direct3DFrameDrawsCharacterWithTheEffectThenText) {
    gUseOpenGL = false;
    initAndForget();
    gModel1->update(0.1f); // poses the model: the bone matrices exist
    render.wvp(3, 0) = 42.0f;
    drawSceneD3D();
    const std::vector<std::string> expected = {"clear",
                                               "beginScene",
                                               "setFXVector3",
                                               "setTexture",
                                               "setTexture2",
                                               "setWorldMatrix",
                                               "drawMesh",
                                               "setWorldMatrix",
                                               "setTexture",
                                               "drawMesh",
                                               "setTexture",
                                               "drawMesh",
                                               "setFXVector3",
                                               "setCurrentFX",
                                               "setFXTechnique",
                                               "setWorldMatrix",
                                               "getWorldViewProjectionMatrix",
                                               "setFXMatrix",
                                               "setFXMatrixArray",
                                               "drawMesh",
                                               "setCurrentFX",
                                               "setWorldMatrix",
                                               "drawString",
                                               "drawString",
                                               "endScene"};
    ASSERT_EQ(render.ops(), expected);
    const auto& c = render.calls;
    expectNumbers(c[0], {1, 0, 0, 0, 1});
    EXPECT_EQ(c[2].text, "cameraPos");
    expectNumbers(c[2], {0, 5, 10});
    EXPECT_EQ(c[12].text, "lightPos");
    expectNumbers(c[12], {0, 5, 10}); // equal to the camera position
    EXPECT_EQ(c[13].pointer, &gShader);
    EXPECT_EQ(c[14].text, "phongLighting");
    EXPECT_EQ(c[15].pointer, &gWorld1);
    EXPECT_EQ(c[17].text, "wvp");
    EXPECT_FLOAT_EQ(c[17].matrix(3, 0), 42.0f);
    EXPECT_EQ(c[18].text, "bones");
    expectNumbers(c[18], {2});
    EXPECT_EQ(c[18].pointer, gModel1->getBoneMatrices());
    EXPECT_EQ(c[19].pointer, gModel1->getMesh());
    EXPECT_EQ(c[20].pointer, nullptr);
    EXPECT_TRUE(isIdentity(c[21].matrix));
    expectNumbers(c[22], {float(gTextSwitchModels)});
    expectNumbers(c[23], {float(gTextReleaseLight)});
}

TEST_F(SceneTest, Direct3DWireframeRestoresSolidFillBeforeTheText) {
    gUseOpenGL = false;
    initAndForget();
    gWireframe = true;
    gLightOnCamera = false;
    drawSceneD3D();
    const auto ops = render.ops();
    EXPECT_EQ(ops[2], "setFillMode");
    const auto fills = render.callsOf("setFillMode");
    ASSERT_EQ(fills.size(), 2u);
    expectNumbers(fills[1], {kFillSolid});
    // Solid fill, the identity world, then the two lines; the released light's line is blue.
    const size_t n = ops.size();
    EXPECT_EQ(ops[n - 5], "setFillMode");
    EXPECT_EQ(ops[n - 4], "setWorldMatrix");
    expectNumbers(render.calls[n - 2], {float(gTextAttachLight)});
    const auto lightPos = render.callsOf("setFXVector3")[1];
    EXPECT_EQ(lightPos.text, "lightPos");
    expectNumbers(lightPos, {3, 3, 3}); // angle 0
}

// --- Model switch -------------------------------------------------------------------------

TEST_F(SceneTest, SwitchOnOpenGLHandsTheProgramTheShownModelsInverseWorld) {
    initAndForget();
    switchModel();
    gShowFirstModel = false;
    EXPECT_EQ(gCurrentModel, gModel2);
    auto matrices = render.callsOf("setProgramMatrix");
    ASSERT_EQ(matrices.size(), 1u);
    expectNumbers(matrices[0], {0});
    EXPECT_TRUE(isIdentity(matrices[0].matrix * gWorld2));
    EXPECT_TRUE(render.callsOf("setFXMatrix").empty());

    switchModel();
    gShowFirstModel = true;
    EXPECT_EQ(gCurrentModel, gModel1);
    matrices = render.callsOf("setProgramMatrix");
    ASSERT_EQ(matrices.size(), 2u);
    EXPECT_TRUE(isIdentity(matrices[1].matrix * gWorld1));
}

TEST_F(SceneTest, SwitchOnDirect3DHandsTheEffectInverseWorldAndTexture) {
    gUseOpenGL = false;
    initAndForget();
    switchModel();
    EXPECT_EQ(gCurrentModel, gModel2);
    const std::vector<std::string> expected = {"setFXMatrix", "setFXTexture"};
    ASSERT_EQ(render.ops(), expected);
    EXPECT_EQ(render.calls[0].text, "invworld");
    EXPECT_TRUE(isIdentity(render.calls[0].matrix * gWorld2));
    EXPECT_EQ(render.calls[1].text, "diffTex");
    EXPECT_EQ(render.calls[1].pointer, textures.find("textures/zaphod_red.tga"));
}

// --- Title, light matrix, shutdown ----------------------------------------------------------

TEST_F(SceneTest, FramesPerSecondGoIntoTheTitle) {
    platform.fps = 57;
    showFPSInTitle();
    ASSERT_EQ(platform.titles.size(), 1u);
    EXPECT_EQ(platform.titles[0], "FPS= 57");
    EXPECT_EQ(fpsTitle(0), "FPS= 0");
}

TEST_F(SceneTest, LightMatrixTurnsAboutTheVerticalAxis) {
    gLightAngle = 0.0f;
    EXPECT_TRUE(isIdentity(mainLightMatrix()));
    gLightAngle = 90.0f;
    expectPointNear(rvTransformPoint(gLightBase, mainLightMatrix()), 3, 3, -3);
    gLightAngle = 180.0f;
    expectPointNear(rvTransformPoint(gLightBase, mainLightMatrix()), -3, 3, -3);
    // The orbit keeps height 3 and distance √18 from the axis.
    gLightAngle = 37.0f;
    const rvVector3 p = rvTransformPoint(gLightBase, mainLightMatrix());
    EXPECT_NEAR(p.y, 3.0f, kEps);
    EXPECT_NEAR(std::sqrt(p.x * p.x + p.z * p.z), std::sqrt(18.0f), 1e-4f);
}

TEST_F(SceneTest, ShutdownReleasesEverythingEvenAfterTheRenderer) {
    auto* owned = new RecordingRender;
    owned->addModelFile("meshes/zax.MSH", tinyCharacter(2));
    gRender = owned;
    initScene();
    delete owned; // the renderer goes first, as at program exit
    gRender = nullptr;
    shutdownScene();
    EXPECT_EQ(gModel1, nullptr);
    EXPECT_EQ(gModel2, nullptr);
    EXPECT_EQ(gCurrentModel, nullptr);
    EXPECT_EQ(gFloor, nullptr);
    EXPECT_EQ(gSkyBox, nullptr);
    EXPECT_EQ(gLightMarker, nullptr);
}

} // namespace
