// The application's scene on SceneRender, in a scratch working directory that holds two tiny
// animated characters under the scene's model file names: the globals the program would set
// before initScene, and a clean-up that returns every global to its start value.
#pragma once

#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "assets.h"
#include "fakeappplatform.h"
#include "frame.h"
#include "rvcamera.h"
#include "rvmeshfile.h"
#include "scene.h"
#include "scenerender.h"

// A triangle skinned to two bones with `frames` key frames; bone 1 moves up by one unit per
// frame, so the pose shows which frame is current.
inline rvMeshFile tinyCharacter(std::uint32_t frames) {
    rvMeshFile r;
    r.positions = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    r.vertexCount = 3;
    r.indices = {0, 1, 2};
    r.indexCount = 3;
    r.frameCount = frames;
    r.boneCount = 2;
    for (std::uint32_t bone = 0; bone < 2; ++bone) {
        for (std::uint32_t f = 0; f < frames; ++f) {
            r.boneKeys.push_back({rvQuaternion(1, 0, 0, 0), rvVector3(0, bone ? float(f) : 0, 0)});
        }
    }
    r.boneWeights = {1, 0, 0, 0, 0, 1, 0, 0, 0.5f, 0.5f, 0, 0};
    r.boneIndices = {0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0};
    return r;
}

class SceneTest : public ::testing::Test {
protected:
    void SetUp() override {
        namespace fs = std::filesystem;
        mDir = fs::temp_directory_path() / ("scenetest-" + std::to_string(::getpid()));
        fs::create_directories(mDir / "meshes");
        fs::current_path(mDir);
        ASSERT_TRUE(rvWriteMeshFile(kFirstModelFile, tinyCharacter(4), nullptr));
        ASSERT_TRUE(rvWriteMeshFile(kSecondModelFile, tinyCharacter(6), nullptr));
        render.init(nullptr);
        gRender = &render;
        camera.mPosition = rvVector3(0.0f, 5.0f, 10.0f);
        camera.mUp = rvVector3(0.0f, 1.0f, 0.0f);
        camera.setZAxis(0.0f, 0.0f, 1.0f);
        camera.getViewMatrix();
        gCamera = &camera;
        gAppPlatform = &platform;
        gShading = rvShading::kProcessorSkinning;
    }

    void TearDown() override {
        shutdownScene();
        gRender = nullptr;
        gCamera = nullptr;
        gAppPlatform = nullptr;
        gCommandLine = nullptr;
        gShading = rvShading::kEffect;
        gLightOnCamera = true;
        gShowFirstModel = true;
        gWireframe = false;
        gLightAngle = 0.0f;
        gLightTimer = 0.0f;
        gMouseCentre = zrPoint{400, 300};
        gAnimationPaused = false;
        gAnimationSpeed = 1.0f;
        gShowCosts = false;
        gRigView = false;
        std::filesystem::current_path(mPreviousDir);
        std::filesystem::remove_all(mDir);
    }

    // The recorded draws of one frame.
    std::vector<DrawnItem> drawFrame() {
        render.drawn.clear();
        gShading == rvShading::kProcessorSkinning ? drawSceneGL() : drawSceneD3D();
        return render.drawn;
    }

    SceneRender render;
    rvFlyCamera camera;
    FakeAppPlatform platform;

private:
    std::filesystem::path mPreviousDir = std::filesystem::current_path();
    std::filesystem::path mDir;
};
