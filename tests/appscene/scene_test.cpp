#include "scene.h"

#include <algorithm>
#include <cmath>
#include <regex>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "rvanimmesh.h"
#include "scenefixture.h"

namespace {

// Numbers rounded to four decimals, as "(a,b,…)"; nothing for none.
std::string fmt(const std::vector<float>& v) {
    std::ostringstream out;
    for (size_t i = 0; i < v.size(); ++i) {
        out << (i ? "," : "(") << std::round(v[i] * 1e4f) / 1e4f + 0.0f;
    }
    return v.empty() ? "" : out.str() + ")";
}
std::string fmt(const rvVector3& p) {
    return fmt(std::vector<float>{p.x, p.y, p.z});
}
std::string fmt(const rvMatrix44& m) {
    return fmt(std::vector<float>(m.m, m.m + 16));
}

struct Scene : SceneTest {
    // The calls as "op[text](numbers)@pointer" joined by blanks, only those in which `pattern`
    // is found. Textures by file name, scene objects by name, any other pointer as "@?".
    std::string trace(const std::string& pattern = "") {
        const void *m1 = gModel1->getMesh(), *m2 = gModel2->getMesh();
        const void* objects[] = {gLightMarker, gSkyBox, gFloor, &gWorld1, &gWorld2, m1, m2};
        const char* labels[] = {"marker", "sky", "floor", "world1", "world2", "model1", "model2"};
        std::string out;
        for (const RecordedCall& c : render.calls) {
            const auto* known = std::find(std::begin(objects), std::end(objects), c.pointer);
            std::string name = known == std::end(objects) ? "?" : labels[known - objects];
            if (c.pointer && c.op.find("Texture") != std::string::npos) {
                name = static_cast<const rvTexture*>(c.pointer)->name + 9; // after "textures/"
            }
            const std::string entry = c.op + (c.text.empty() ? "" : "[" + c.text + "]") +
                                      fmt(c.numbers) + (c.pointer ? "@" + name : "");
            if (std::regex_search(entry, std::regex(pattern))) {
                out += (out.empty() ? "" : " ") + entry;
            }
        }
        return out;
    }
};

TEST(IsMSHFileName, OnlyTheFirstDotFollowedByMSHInAnyCaseCounts) {
    EXPECT_FALSE(isMSHFileName(nullptr));
    const std::pair<const char*, bool> cases[] = {
        {"meshes/zaphod.MSH", true}, {"model.mSh", true},  {".msh", true},
        {"model.MSHX", true},        {"", false},          {"model", false},
        {"model.MS", false},         {"model.obj", false}, {"a.b.MSH", false},
        {"./model.MSH", false}};
    for (const auto& [name, expected] : cases) {
        SCOPED_TRACE(name);
        std::string copy = name; // writable, so that a change in place would show
        EXPECT_EQ(isMSHFileName(copy.data()), expected);
        EXPECT_EQ(copy, name);
    }
}

TEST_F(Scene, LoadsItsFilesAndPlacesTheCharactersOnTheFloor) {
    gCommandLine = "./model.MSH"; // its first dot belongs to the directory: not a model
    initScene();
    EXPECT_EQ(trace("import"), "importMSHFile[meshes/zax.MSH] importMSHFile[meshes/zaphod.MSH]");
    ASSERT_TRUE(gModel1 && gModel2 && gFloor && gSkyBox && gLightMarker);
    std::string loaded;
    for (rvMesh* mesh : {gModel1->getMesh(), gModel2->getMesh(), gFloor, gSkyBox, gLightMarker}) {
        EXPECT_EQ(recorded(mesh)->getPrimitiveType(), kTriangleList);
        loaded += recorded(mesh)->loadedTextures.at(0).substr(9) + ";";
    }
    EXPECT_EQ(loaded,
              "Diffuse Map - Zax.bmp;zaphod_red.tga;grayTexture.bmp;skybox1.bmp;whitegrid.bmp;");
    for (rvAnimMesh* model : {gModel1, gModel2}) {
        EXPECT_NEAR(model->getFrameDuration(), 1.0f / 15.0f, 1e-7f);
        const int n = model->getMesh()->getVertexCount() * 4;
        EXPECT_EQ(recorded(model)->boneWeights,
                  std::vector<float>(model->getBoneWeights(), model->getBoneWeights() + n));
        EXPECT_EQ(recorded(model)->boneIndices,
                  std::vector<unsigned char>(model->getBoneIndices(), model->getBoneIndices() + n));
    }
    // A 100 × 100 floor at y = 0, a 100-unit sky cube, a once-subdivided sphere of radius 0.1.
    EXPECT_EQ(fmt(gFloor->getBoundsMin()) + fmt(gFloor->getBoundsMax()) +
                  fmt(gSkyBox->getBoundsMax()) + fmt(gLightMarker->getBoundsMax()),
              "(-50,0,-50)(50,0,50)(50,50,50)(0.1,0.1,0.1)");
    EXPECT_EQ(gLightMarker->getVertexCount(), 42);
    // Uniform scale, then the translation in row 3; everything else the identity's.
    EXPECT_EQ(fmt(gWorld1), "(0.1,0,0,0,0,0.1,0,0,0,0,0.1,0,-1,0,5,1)");
    EXPECT_EQ(fmt(gWorld2), "(0.15,0,0,0,0,0.15,0,0,0,0,0.15,0,-3,2.5,0,1)");
}

TEST_F(Scene, CommandLineModelIsOpenedAsGivenInGreyWithoutItsAnimationSetUp) {
    render.addModelFile("models/Custom.msh", tinyCharacter(3));
    gCommandLine = "models/Custom.msh";
    initScene();
    EXPECT_EQ(trace("import"), "importMSHFile[models/Custom.msh] importMSHFile[meshes/zaphod.MSH]");
    EXPECT_EQ(recorded(gModel1)->loadedTextures.at(0), "textures/grayTexture.bmp");
    EXPECT_EQ(gModel1->getFrameDuration(), 0.0f);
    EXPECT_TRUE(recorded(gModel1)->boneWeights.empty() && recorded(gModel1)->boneIndices.empty());
}

TEST_F(Scene, UnreadableCommandLineModelIsDrawnAsAnEmptyMesh) {
    gCommandLine = "missing.MSH"; // not registered: a file that cannot be read
    initAndForget();
    ASSERT_TRUE(gModel1 && gModel1->getMesh());
    gModel1->update(0.02f);
    drawSceneGL();
    EXPECT_EQ(trace("Mesh|end"),
              "drawMesh@marker drawMesh@sky drawMesh@floor drawMesh@model1 endScene");
}

TEST_F(Scene, OpenGLProgramsAndHelpTextsAreSetUpInOrder) {
    initScene();
    ASSERT_EQ(trace("Program"),
              "loadVertexProgram[mirethVShader.vp](1) bindVertexProgram(1) "
              "setVertexProgramParameter(1,1,1,1,1) setVertexProgramParameter(0.1,0.1,0.1,1,2) "
              "setProgramMatrix(0) loadFragmentProgram[mirethPShader.fp](3) bindFragmentProgram(3) "
              "setFragmentProgramParameter(1,1,1,1,1) setFragmentProgramParameter(0.1,0.1,0.1,1,2) "
              "setFragmentProgramParameter(128,0,0,0,5)");
    EXPECT_EQ(fmt(render.callsOf("setProgramMatrix")[0].matrix * gWorld1), fmt(rvMatrix44()));
    EXPECT_EQ(trace("FX"), "");
    // x, y, line spacing, a, r, g, b, scale, font: blue, red, green.
    EXPECT_EQ(trace("addString"),
              "addString[Press 'C' to attach the light to the camera.](10,590,2,1,0,0,1,1,0) "
              "addString[Press 'C' to release the light.](10,590,2,1,1,0,0,1,0) "
              "addString[Press 'M' to switch models.](10,570,2,1,0,1,0,1,0)");
}

TEST_F(Scene, OpenGLFrameDrawsEnvironmentWithoutProgramsThenTextThenCharacter) {
    initAndForget();
    drawSceneGL();
    // Help line 1 (release the light: it sits on the camera), then line 2 (switch models).
    ASSERT_EQ(trace(), "clear(1,0,0,0,1) beginScene toggleVertexPrograms toggleFragmentPrograms "
                       "setVertexProgramParameter(0,5,10,0,3) setTexture@whitegrid.bmp "
                       "setTexture2 setWorldMatrix@? drawMesh@marker setWorldMatrix@? "
                       "setTexture@skybox1.bmp drawMesh@sky setTexture@grayTexture.bmp "
                       "drawMesh@floor setTexture setVertexProgramParameter(0,5,10,0,0) "
                       "drawString(1) drawString(2) toggleVertexPrograms toggleFragmentPrograms "
                       "setWorldMatrix@world1 setTexture@Diffuse Map - Zax.bmp drawMesh@model1 "
                       "endScene");
    EXPECT_EQ(fmt(render.calls[7].matrix) + fmt(render.calls[9].matrix),
              fmt(rvMatrix44()) + fmt(rvMatrix44())); // orbit angle 0
}

TEST_F(Scene, ReleasedLightOrbitsAndWireframeCoversTheHelpText) {
    initAndForget();
    gLightOnCamera = false;
    gLightAngle = 90.0f;
    gWireframe = true;
    drawSceneGL();
    // (3, 3, 3) turned by 90° about y; help line 0 (attach the light) while lines are drawn.
    ASSERT_EQ(trace("Fill|Parameter|String|marker|model|end"),
              "setFillMode(1) setVertexProgramParameter(0,5,10,0,3) drawMesh@marker "
              "setVertexProgramParameter(3,3,-3,0,0) drawString(0) drawString(2) drawMesh@model1 "
              "setFillMode(2) endScene");
    // The marker, at the origin, turns in place.
    EXPECT_EQ(fmt(rvTransformPoint(rvVector3(1, 0, 0), render.calls[8].matrix)), "(0,0,-1)");
}

TEST_F(Scene, SwitchHandsTheShownModelsInverseWorldToTheProgramAndAlternates) {
    initAndForget();
    for (int i = 0; i < 2; ++i) {
        switchModel();
        gShowFirstModel = !gShowFirstModel;
        drawSceneGL(); // the shown model with its own world and texture
    }
    ASSERT_EQ(trace("ProgramMatrix|@world|@model|zaphod|Zax"),
              "setProgramMatrix(0) setWorldMatrix@world2 setTexture@zaphod_red.tga drawMesh@model2 "
              "setProgramMatrix(0) setWorldMatrix@world1 setTexture@Diffuse Map - Zax.bmp "
              "drawMesh@model1");
    const auto inverses = render.callsOf("setProgramMatrix");
    EXPECT_EQ(fmt(inverses[0].matrix * gWorld2) + fmt(inverses[1].matrix * gWorld1),
              fmt(rvMatrix44()) + fmt(rvMatrix44()));
    EXPECT_EQ(gCurrentModel, gModel1);
}

TEST_F(Scene, ShutdownReleasesEverythingEvenAfterTheRenderer) {
    auto* owned = new RecordingRender;
    gRender = owned;
    initScene();
    delete owned; // the renderer goes first, as at program exit
    gRender = nullptr;
    shutdownScene();
    EXPECT_TRUE(!gModel1 && !gModel2 && !gCurrentModel && !gFloor && !gSkyBox && !gLightMarker);
}

} // namespace
