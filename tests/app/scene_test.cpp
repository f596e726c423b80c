#include "scene.h"

#include <array>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "rvanimmesh.h"
#include "rvmessage.h"
#include "rvtexture.h"
#include "scenefixture.h"

namespace {

using ::testing::ElementsAre;
using ::testing::FloatNear;
using ::testing::Pointwise;

std::vector<float> xyz(const rvVector3& v) {
    return {v.x, v.y, v.z};
}

std::vector<float> floats(const rvMatrix44& m) {
    return std::vector<float>(m.m, m.m + 16);
}

rvMatrix44 matrix(const std::vector<float>& values) {
    rvMatrix44 m;
    std::copy_n(values.begin(), 16, m.m);
    return m;
}

const char* textureName(rvMesh* mesh) {
    return mesh && mesh->getTexture() ? mesh->getTexture()->name : "";
}

RecordingMesh* recorded(rvAnimMesh* model) {
    return static_cast<RecordingMesh*>(model->getMesh());
}

TEST(IsMSHFileName, TheFileNamesExtensionDecidesInAnyCase) {
    EXPECT_FALSE(isMSHFileName(nullptr));
    const std::pair<const char*, bool> cases[] = {{"meshes/zaphod.MSH", true},
                                                  {"model.mSh", true},
                                                  {"a.b.MSH", true},
                                                  {"../src/brindle.git/m.msh", true},
                                                  {"C:\\models\\hero.MSH", true},
                                                  {"model.MSHX", false},
                                                  {"model.MS", false},
                                                  {"brindle.git/model", false},
                                                  {"", false}};
    for (const auto& [name, expected] : cases) {
        EXPECT_EQ(isMSHFileName(name), expected) << name;
    }
}

// Bones that are near each other in a skeleton are near each other in number: the rig view's
// colours of any two bones up to four apart must tell them apart, and all are opaque.
TEST(RigColour, NearbyBonesGetClearlyDifferentOpaqueColours) {
    auto channels = [](unsigned int c) {
        return std::array<int, 3>{int(c >> 16 & 255), int(c >> 8 & 255), int(c & 255)};
    };
    for (int bone = 0; bone < 255; ++bone) {
        ASSERT_EQ(rigColour(bone) >> 24, 255u) << bone;
        for (int other = bone + 1; other <= std::min(254, bone + 4); ++other) {
            const auto a = channels(rigColour(bone)), b = channels(rigColour(other));
            const int distance =
                std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]);
            EXPECT_GT(distance, 100) << "bones " << bone << " and " << other;
        }
    }
}

using Scene = SceneTest;

TEST_F(Scene, LoadsItsFilesAndPlacesTheCharactersOnTheFloor) {
    initScene();
    ASSERT_NE(gModel1, nullptr);
    ASSERT_NE(gModel2, nullptr);
    EXPECT_EQ(gCurrentModel, gModel1);
    for (rvAnimMesh* model : {gModel1, gModel2}) {
        EXPECT_EQ(model->getMesh()->getVertexCount(), 3);
        EXPECT_EQ(model->getBoneCount(), 2);
        EXPECT_NEAR(model->getFrameDuration(), 1.0f / 15.0f, 1e-7f);
        // The skinning data also goes to the mesh, for the effect.
        EXPECT_EQ(recorded(model)->boneWeights,
                  std::vector<float>(model->getBoneWeights(), model->getBoneWeights() + 12));
        EXPECT_EQ(recorded(model)->boneIndices.size(), 12u);
    }
    EXPECT_STREQ(textureName(gModel1->getMesh()), kFirstModelTexture);
    EXPECT_STREQ(textureName(gModel2->getMesh()), kSecondModelTexture);
    EXPECT_STREQ(textureName(gFloor), kGreyTexture);
    EXPECT_STREQ(textureName(gSkyBox), kSkyTexture);
    EXPECT_STREQ(textureName(gLightMarker), kMarkerTexture);
    // A 100 × 100 floor at y = 0 and a 100-unit sky cube.
    EXPECT_EQ(xyz(gFloor->getBoundsMin()), (std::vector<float>{-50, 0, -50}));
    EXPECT_EQ(xyz(gFloor->getBoundsMax()), (std::vector<float>{50, 0, 50}));
    EXPECT_EQ(xyz(gSkyBox->getBoundsMax()), (std::vector<float>{50, 50, 50}));
    // Model origins (feet, pelvis) go to (−1, 0, 5) and (−3, 2.5, 0), scaled by 0.1 and 0.15.
    EXPECT_THAT(xyz(rvTransformPoint(rvVector3(0, 0, 0), gWorld1)), ElementsAre(-1, 0, 5));
    EXPECT_THAT(xyz(rvTransformPoint(rvVector3(10, 0, 0), gWorld2)),
                Pointwise(FloatNear(1e-6f), std::vector<float>{-1.5f, 2.5f, 0}));
    EXPECT_EQ(render.loaded, (std::vector<std::string>{kVertexProgramFile, kFragmentProgramFile}));
}

TEST_F(Scene, CommandLineModelTakesTheTextureBesideItAndTheRateAndAMissingOneIsEmpty) {
    std::filesystem::create_directories("my.models");
    ASSERT_TRUE(rvWriteMeshFile("my.models/hero.msh", tinyCharacter(3), nullptr));
    gCommandLine = "my.models/hero.msh";
    initScene();
    EXPECT_EQ(gModel1->getMesh()->getVertexCount(), 3);
    EXPECT_STREQ(textureName(gModel1->getMesh()), kGreyTexture); // nothing beside it
    EXPECT_NEAR(gModel1->getFrameDuration(), 1.0f / 15.0f, 1e-7f);
    // Its skinning data reaches the mesh, for the Direct3D effect.
    EXPECT_EQ(recorded(gModel1)->boneWeights.size(), 12u);
    shutdownScene();

    for (const char* texture : {"my.models/hero.BMP", "my.models/hero.tga"}) {
        std::ofstream(texture) << "image";
        initScene();
        // The same file: on Windows, whose file names ignore case, hero.bmp opens hero.BMP.
        EXPECT_TRUE(std::filesystem::equivalent(textureName(gModel1->getMesh()), texture))
            << textureName(gModel1->getMesh());
        shutdownScene();
    }
    shutdownScene();

    std::vector<std::string> messages;
    static std::vector<std::string>* sink = &messages;
    rvMessageHandler previous = rvSetMessageHandler([](const char* text, const char* caption) {
        sink->push_back(std::string(caption) + ": " + text);
    });
    gCommandLine = "missing.MSH";
    initScene();
    rvSetMessageHandler(previous);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("File IO Error: missing.MSH: cannot open", 0), 0u) << messages[0];
    gModel1->update(0.02f);
    const std::vector<DrawnItem> frame = drawFrame();
    EXPECT_EQ(gModel1->getMesh()->getVertexCount(), 0);
    EXPECT_EQ(frame.back().mesh, gModel1->getMesh()); // drawn, and draws nothing
}

TEST_F(Scene, OpenGLDrawsTheEnvironmentAndTextWithoutProgramsAndTheCharacterLastWithThem) {
    initScene();
    for (bool lightOnCamera : {true, false}) {
        gLightOnCamera = lightOnCamera;
        gLightAngle = 90.0f;
        const std::vector<DrawnItem> frame = drawFrame();
        ASSERT_EQ(frame.size(), 6u);
        for (size_t i = 0; i + 1 < frame.size(); ++i) {
            EXPECT_FALSE(frame[i].programs) << i;
        }
        EXPECT_EQ(frame[0].mesh, gLightMarker);
        EXPECT_EQ(floats(frame[0].world), floats(mainLightMatrix())); // turns in place
        EXPECT_EQ(frame[1].mesh, gSkyBox);
        EXPECT_EQ(frame[2].mesh, gFloor);
        EXPECT_EQ(floats(frame[2].world), floats(rvMatrix44()));
        // The help line says what C does next: release the light, or attach it.
        EXPECT_EQ(render.texts[frame[3].string],
                  lightOnCamera ? "Press 'C' to release the light."
                                : "Press 'C' to attach the light to the camera.");
        EXPECT_EQ(render.texts[frame[4].string], "Press 'M' to switch models.");
        const DrawnItem& character = frame.back();
        EXPECT_EQ(character.mesh, gModel1->getMesh());
        EXPECT_TRUE(character.programs);
        EXPECT_EQ(floats(character.world), floats(gWorld1));
        EXPECT_STREQ(character.texture->name, kFirstModelTexture);
        // The light sits on the camera, or at (3, 3, 3) turned by the orbit: (3, 3, −3).
        const std::vector<float> light =
            lightOnCamera ? std::vector<float>{0, 5, 10, 0} : std::vector<float>{3, 3, -3, 0};
        EXPECT_THAT(render.vertexParams[kVPLightPosition], Pointwise(FloatNear(1e-5f), light));
        EXPECT_THAT(render.vertexParams[kVPCameraPosition], ElementsAre(0, 5, 10, 0));
    }
    EXPECT_EQ(render.frames, 2);
}

TEST_F(Scene, WireframeCoversEveryMeshAndTheFrameEndsSolid) {
    initScene();
    gWireframe = true;
    for (bool openGL : {true, false}) {
        gShading = openGL ? rvShading::kProcessorSkinning : rvShading::kEffect;
        for (const DrawnItem& item : drawFrame()) {
            if (item.mesh) {
                EXPECT_EQ(item.fillMode, kFillWireframe) << openGL;
            }
        }
        EXPECT_EQ(render.getRenderStates().fillMode, kFillSolid);
    }
}

TEST_F(Scene, SwitchingShowsTheOtherModelWithItsOwnWorldAndInverseWorld) {
    initScene();
    for (rvAnimMesh* shown : {gModel2, gModel1}) {
        switchModel();
        gShowFirstModel = !gShowFirstModel;
        const rvMatrix44& world = shown == gModel1 ? gWorld1 : gWorld2;
        EXPECT_EQ(gCurrentModel, shown);
        const DrawnItem character = drawFrame().back();
        EXPECT_EQ(character.mesh, shown->getMesh());
        EXPECT_EQ(floats(character.world), floats(world));
        const rvMatrix44 inverse = matrix(render.programMatrices[kInverseWorldMatrix]);
        EXPECT_THAT(floats(inverse * world), Pointwise(FloatNear(1e-5f), floats(rvMatrix44())));
    }
}

TEST_F(Scene, Direct3DDrawsOnlyTheCharacterWithTheEffectAndItsBones) {
    gShading = rvShading::kEffect;
    initScene();
    EXPECT_EQ(render.loaded, std::vector<std::string>{kEffectFile});
    gModel1->update(0.01f);
    const std::vector<DrawnItem> frame = drawFrame();
    ASSERT_EQ(frame.size(), 6u);
    for (size_t i = 0; i < frame.size(); ++i) {
        const bool character = frame[i].mesh == gModel1->getMesh();
        EXPECT_EQ(frame[i].effect != nullptr, character) << i;
    }
    EXPECT_EQ(render.effect, nullptr);
    EXPECT_EQ(render.fx["bones"].size(), 2u * 16);
    EXPECT_EQ(render.fx["wvp"], floats(gWorld1 * render.view * render.projection));
    EXPECT_EQ(render.fx["lightPos"], (std::vector<float>{0, 5, 10}));
    EXPECT_EQ(render.fx["cameraPos"], (std::vector<float>{0, 5, 10}));
    switchModel();
    EXPECT_STREQ(render.fxTextures["diffTex"]->name, kSecondModelTexture);
    EXPECT_THAT(floats(matrix(render.fx["invworld"]) * gWorld2),
                Pointwise(FloatNear(1e-5f), floats(rvMatrix44())));
}

// A model whose palette splits it into two parts, of its first bone and of the others, as the
// Direct3D one splits a model with more bones than the effect holds; or one that cannot be split.
class PartedModel : public rvAnimMesh {
public:
    explicit PartedModel(bool splits) : mSplits(splits) {}
    bool usePalette(int paletteBones) override {
        mPaletteBones = paletteBones;
        if (!mSplits || mBoneCount <= paletteBones)
            return mBoneCount <= paletteBones;
        std::vector<int> others;
        for (int b = 1; b < mBoneCount; ++b)
            others.push_back(b);
        for (const std::vector<int>& bones : {std::vector<int>{0}, others}) {
            mPartMeshes.push_back(std::make_unique<RecordingMesh>());
            mPartBones.push_back(bones);
        }
        return true;
    }

private:
    bool mSplits;
};

TEST_F(Scene, Direct3DDrawsAModelWithMoreBonesThanTheEffectHoldsPartByPart) {
    rvMeshFile many = tinyCharacter(2);
    many.boneCount = kEffectBones + 1;
    many.boneKeys.resize(many.boneCount * 2, many.boneKeys[0]);
    many.boneKeys.back().translation = rvVector3(7, 0, 0); // the last bone's second key
    ASSERT_TRUE(rvWriteMeshFile(kSecondModelFile, many, nullptr));
    for (bool splits : {true, false}) {
        SCOPED_TRACE(splits ? "split" : "not split");
        render.makeAnimMesh = [splits] { return new PartedModel(splits); };
        std::vector<std::string> messages;
        static std::vector<std::string>* sink = &messages;
        rvMessageHandler previous =
            rvSetMessageHandler([](const char* text, const char*) { sink->push_back(text); });
        gShading = rvShading::kEffect;
        initScene();
        rvSetMessageHandler(previous);
        switchModel();
        gShowFirstModel = false;
        gModel2->update(0.01f);
        gModel2->update(0.07f); // key frame 1, where the last bone is at x = 7
        std::vector<DrawnItem> parts;
        for (const DrawnItem& item : drawFrame())
            if (item.effect)
                parts.push_back(item);
        if (splits) {
            EXPECT_TRUE(messages.empty());
            ASSERT_EQ(parts.size(), 2u);
            EXPECT_EQ(parts[0].mesh, gModel2->getPartMesh(0));
            EXPECT_EQ(parts[0].bones.size(), 16u);
            ASSERT_EQ(parts[1].bones.size(), static_cast<size_t>(kEffectBones) * 16);
            EXPECT_EQ(parts[1].bones[16 * kEffectBones - 4], 7.0f); // the last bone's x
        } else {
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_NE(messages[0].find(std::string(kSecondModelFile) + " has 57 bones"),
                      std::string::npos)
                << messages[0];
            ASSERT_EQ(parts.size(), 1u);
            ASSERT_EQ(parts[0].bones.size(), static_cast<size_t>(kEffectBones) * 16);
            EXPECT_EQ(std::vector<float>(parts[0].bones.end() - 16, parts[0].bones.end()),
                      floats(rvMatrix44()));
        }
        shutdownScene();
        gShowFirstModel = true;
    }
    render.makeAnimMesh = nullptr;
}

TEST_F(Scene, ShutdownReleasesEverythingEvenAfterTheRenderer) {
    auto* owned = new SceneRender;
    owned->init(nullptr);
    gRender = owned;
    initScene();
    delete owned; // the renderer goes first, as at program exit
    gRender = nullptr;
    shutdownScene();
    EXPECT_EQ(gModel1, nullptr);
    EXPECT_EQ(gCurrentModel, nullptr);
    EXPECT_EQ(gFloor, nullptr);
    EXPECT_EQ(gLightMarker, nullptr);
}

} // namespace
