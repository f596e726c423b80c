// The application's scene on a recording renderer: the globals the program would set before
// initScene (renderer, camera at its start-up pose, texture manager, toggles), two tiny
// animated characters registered under the scene's model file names, and a clean-up that
// returns every global to its start value.
#pragma once

#include <gtest/gtest.h>

#include "fakeappplatform.h"
#include "frame.h"
#include "recordingrender.h"
#include "rvcamera.h"
#include "scene.h"

// A triangle skinned to two bones with `frames` key frames; bone 1 moves up by one unit per
// frame, so the pose shows which frame is current.
inline rvMeshFile tinyCharacter(std::uint32_t frames) {
    rvMeshFile r;
    r.positions = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    r.vertexCount = 3;
    r.indices = {0, 1, 2};
    r.indexCount = 3;
    r.texCoords = {0, 0, 1, 0, 0, 1};
    r.frameCount = frames;
    r.boneCount = 2;
    for (std::uint32_t bone = 0; bone < 2; ++bone) {
        for (std::uint32_t f = 0; f < frames; ++f) {
            rvBoneKey key;
            key.rotation = rvQuaternion(1, 0, 0, 0);
            key.translation = rvVector3(0, bone == 1 ? float(f) : 0.0f, 0);
            r.boneKeys.push_back(key);
        }
    }
    r.boneWeights = {1, 0, 0, 0, 0, 1, 0, 0, 0.5f, 0.5f, 0, 0};
    r.boneIndices = {0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0};
    return r;
}

class SceneTest : public ::testing::Test {
protected:
    void SetUp() override {
        render.addModelFile("meshes/zax.MSH", tinyCharacter(4));
        render.addModelFile("meshes/zaphod.MSH", tinyCharacter(6));
        gTextureManager = &textures;
        gRender = &render;
        camera.mPosition = rvVector3(0.0f, 5.0f, 10.0f);
        camera.mUp = rvVector3(0.0f, 1.0f, 0.0f);
        camera.setZAxis(0.0f, 0.0f, 1.0f);
        camera.getViewMatrix();
        gCamera = &camera;
        gAppPlatform = &platform;
        gUseOpenGL = true;
        gCommandLine = nullptr;
    }

    void TearDown() override {
        shutdownScene();
        gTextureManager = nullptr;
        gRender = nullptr;
        gCamera = nullptr;
        gAppPlatform = nullptr;
        gCommandLine = nullptr;
        gUseOpenGL = false;
        gLightOnCamera = true;
        gShowFirstModel = true;
        gWireframe = false;
        gLightAngle = 0.0f;
        gLightTimer = 0.0f;
        gMouseCentre = zrPoint{400, 300};
        gVertexProgram = 1;
        gFragmentProgram = 3;
    }

    // initScene, then forgets the calls it made so that a test sees only what follows.
    void initAndForget() {
        initScene();
        render.calls.clear();
    }

    RecordingMesh* recorded(rvMesh* mesh) { return static_cast<RecordingMesh*>(mesh); }
    RecordingMesh* recorded(rvAnimMesh* model) { return recorded(model->getMesh()); }

    NamedTextureManager textures;
    RecordingRender render;
    rvFlyCamera camera;
    FakeAppPlatform platform;
};
