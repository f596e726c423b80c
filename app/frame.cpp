#include "frame.h"

#include <algorithm>

#include "rvanimmesh.h"
#include "rvcamera.h"
#include "rvrender.h"
#include "scene.h"

rvAppPlatform* gAppPlatform = nullptr;
zrPoint gMouseCentre = {400, 300};
float gLightTimer = 0.0f;
// 1/30 exactly as a float, so that two frames of 1/60 s make exactly one step and do not yet
// release it: at 60 frames per second the orbit advances every third frame.
float gLightStepTime = 1.0f / 30.0f;
float gMoveSpeed = 20.0f;
float gMouseSensitivity = 0.2f;
bool gAnimationPaused = false;
float gAnimationSpeed = 1.0f;

namespace {

void toggleFullScreen() {
    gRender->toggleFullScreen();
    gMouseCentre = zrPoint{gAppPlatform->getWidth() / 2, gAppPlatform->getHeight() / 2};
    gAppPlatform->setMousePos(gMouseCentre);
    gAppPlatform->hideCursor();
    gRender->setViewMatrix(gCamera->getViewMatrix());
}

// Movement keys in the order they are applied when several are held.
void moveCamera(float distance) {
    struct Move {
        int key;
        rvMatrix44 (rvCamera::*op)(float);
    };
    static const Move kMoves[] = {
        {kKeyForward, &rvCamera::moveForward},   {kKeyBackward, &rvCamera::moveBackward},
        {kKeyStrafeLeft, &rvCamera::strafeLeft}, {kKeyStrafeRight, &rvCamera::strafeRight},
        {kKeyPageUp, &rvCamera::moveUp},         {kKeyPageDown, &rvCamera::moveDown},
    };
    rvCamera* camera = gCamera;
    for (const Move& move : kMoves) {
        if (gAppPlatform->keyPressed(move.key)) {
            gRender->setViewMatrix((camera->*move.op)(distance));
        }
    }
}

// Space, the step keys and the speed keys act on the shown character's time.
void controlTime() {
    auto pressed = [](int key) { return gAppPlatform->keyPressed(key); };
    if (pressed(kKeySpace)) {
        gAnimationPaused = !gAnimationPaused;
    }
    const int step = (pressed(kKeyPeriod) ? 1 : 0) - (pressed(kKeyComma) ? 1 : 0);
    if (step != 0 && gCurrentModel) {
        gAnimationPaused = true;
        gCurrentModel->setPaused(true);
        gCurrentModel->stepKeyFrames(step);
    }
    // The keypad's + and - are read as the main keys.
    const bool faster = pressed(kKeyPlus);
    const bool slower = pressed(kKeyMinus);
    if (faster && !slower) {
        gAnimationSpeed = std::min(kMaxAnimationSpeed, gAnimationSpeed * 2.0f);
    } else if (slower && !faster) {
        gAnimationSpeed = std::max(kMinAnimationSpeed, gAnimationSpeed / 2.0f);
    }
}

// The angles keep the sign of the movement: the camera turns by the signed angle, so the
// mouse moving right (dx < 0) turns the view right and moving up (dy > 0) tilts it up.
void turnCamera() {
    const zrPoint mouse = gAppPlatform->getMousePos();
    const int dx = gMouseCentre.x - mouse.x;
    const int dy = gMouseCentre.y - mouse.y;
    if (dx < 0) {
        gRender->setViewMatrix(gCamera->yawLeft(dx * gMouseSensitivity));
    } else if (dx > 0) {
        gRender->setViewMatrix(gCamera->yawRight(dx * gMouseSensitivity));
    }
    if (dy > 0) {
        gRender->setViewMatrix(gCamera->pitchUp(dy * gMouseSensitivity));
    } else if (dy < 0) {
        gRender->setViewMatrix(gCamera->pitchDown(dy * gMouseSensitivity));
    }
}

} // namespace

void handleInput() {
    if (gAppPlatform->keyPressed(kKeyAlt) && gAppPlatform->keyPressed(kKeyEnter)) {
        toggleFullScreen();
    }
    // The second poll of the frame; the repeat countdowns rely on exactly two.
    gAppPlatform->pollInput();

    if (gAppPlatform->keyPressed(kKeyLight)) {
        gLightOnCamera = !gLightOnCamera;
    }
    if (gAppPlatform->keyPressed(kKeyFPS)) {
        showFPSInTitle();
    }
    if (gAppPlatform->keyPressed(kKeySwitchModel)) {
        switchModel();
        gShowFirstModel = !gShowFirstModel;
    }
    if (gAppPlatform->keyPressed(kKeyWireframe)) {
        gWireframe = !gWireframe;
    }
    if (gAppPlatform->keyPressed(kKeyRig)) {
        gRigView = !gRigView;
    }
    if (gAppPlatform->keyPressed(kKeyCosts)) {
        gShowCosts = !gShowCosts;
    }
    controlTime();

    moveCamera(gAppPlatform->getFrameTime() * gMoveSpeed);
    turnCamera();

    // Pinned to the centre, the cursor measures each frame's movement from there.
    gAppPlatform->setMousePos(gMouseCentre);
}

void stepLightOrbit(float frameTime) {
    gLightTimer += frameTime;
    if (gLightTimer > gLightStepTime) {
        gLightAngle += 1.0f;
        if (gLightAngle > 360.0f) {
            gLightAngle = 0.0f;
        }
        gLightTimer = 0.0f;
    }
}

void runFrame() {
    handleInput();
    const float frameTime = gAppPlatform->getFrameTime();
    if (gCurrentModel) {
        gCurrentModel->setPaused(gAnimationPaused);
        gCurrentModel->setSpeed(gAnimationSpeed);
        gCurrentModel->update(frameTime);
        gFrameCost.animation = gCurrentModel->getLastPoseCost().bones;
        gFrameCost.skinning = gCurrentModel->getLastPoseCost().skinning;
    }
    stepLightOrbit(frameTime);
    if (gShading == rvShading::kProcessorSkinning) {
        drawSceneGL();
    } else {
        drawSceneD3D();
    }
    addFrameCost(frameTime);
}
