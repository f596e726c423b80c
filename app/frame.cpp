#include "frame.h"

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
}
