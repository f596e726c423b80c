#include "frame.h"

#include <cmath>
#include <set>

#include <gtest/gtest.h>

#include "rvanimmesh.h"
#include "scenefixture.h"

namespace {

constexpr float kEps = 1e-4f;

std::string pressed(int key) {
    return "keyPressed " + std::to_string(key);
}

// --- Light orbit ----------------------------------------------------------------------------

class LightOrbit : public ::testing::Test {
protected:
    void SetUp() override {
        gLightAngle = 0.0f;
        gLightTimer = 0.0f;
    }
    void TearDown() override { SetUp(); }
};

TEST_F(LightOrbit, RunsThrough361AnglesAndStartsAgain) {
    std::vector<float> seen = {gLightAngle};
    for (int i = 0; i < 361; ++i) {
        stepLightOrbit(0.05f); // more than one step per frame: one degree each time
        seen.push_back(gLightAngle);
    }
    EXPECT_EQ(seen[1], 1.0f);
    EXPECT_EQ(seen[360], 360.0f);
    EXPECT_EQ(seen[361], 0.0f);
    EXPECT_EQ(std::set<float>(seen.begin(), seen.end()).size(), 361u);
}

TEST_F(LightOrbit, AtSixtyFramesPerSecondStepsEveryThirdFrame) {
    const float frame = 1.0f / 60.0f;
    std::vector<int> stepFrames;
    for (int f = 1; f <= 12; ++f) {
        const float before = gLightAngle;
        stepLightOrbit(frame);
        if (gLightAngle != before) {
            stepFrames.push_back(f);
        }
    }
    // Two frames gather exactly one step time, which does not yet release a step.
    EXPECT_EQ(stepFrames, (std::vector<int>{3, 6, 9, 12}));
    EXPECT_EQ(gLightTimer, 0.0f);
}

TEST_F(LightOrbit, DropsTheTimeBeyondTheStep) {
    stepLightOrbit(0.5f); // fifteen steps' worth of time
    EXPECT_EQ(gLightAngle, 1.0f);
    EXPECT_EQ(gLightTimer, 0.0f);
    stepLightOrbit(0.01f);
    EXPECT_EQ(gLightAngle, 1.0f);
    EXPECT_NEAR(gLightTimer, 0.01f, 1e-7f);
}

// --- Input handling -------------------------------------------------------------------------

using HandleInput = SceneTest;

TEST_F(HandleInput, AsksForTheKeysInTheBoundOrderAndPinsTheCursor) {
    initAndForget();
    handleInput();
    const std::vector<std::string> expected = {
        pressed(kKeyAlt),     "pollInput",  pressed('C'),        pressed('F'),
        pressed('M'),         pressed('Q'), pressed('W'),        pressed('S'),
        pressed('A'),         pressed('D'), pressed(kKeyPageUp), pressed(kKeyPageDown),
        "setMousePos 400,300"};
    EXPECT_EQ(platform.log, expected);
    EXPECT_TRUE(render.callsOf("setViewMatrix").empty()); // nothing moved
}

TEST_F(HandleInput, AltEnterTogglesFullScreenAndRecentresBeforeTheSecondPoll) {
    initAndForget();
    platform.hold(kKeyAlt);
    platform.hold(kKeyEnter);
    platform.width = 1025;
    platform.height = 769;
    platform.mouse = zrPoint{512, 384};
    handleInput();
    EXPECT_EQ(render.ops(), (std::vector<std::string>{"toggleFullScreen", "setViewMatrix"}));
    EXPECT_EQ(gMouseCentre.x, 512);
    EXPECT_EQ(gMouseCentre.y, 384);
    const std::vector<std::string> head(platform.log.begin(), platform.log.begin() + 5);
    EXPECT_EQ(head, (std::vector<std::string>{pressed(kKeyAlt), pressed(kKeyEnter),
                                              "setMousePos 512,384", "hideCursor", "pollInput"}));
    EXPECT_EQ(platform.log.back(), "setMousePos 512,384");
}

TEST_F(HandleInput, EnterWithoutAltIsNotEvenAsked) {
    initAndForget();
    platform.hold(kKeyEnter);
    handleInput();
    EXPECT_TRUE(render.callsOf("toggleFullScreen").empty());
    for (const std::string& entry : platform.log) {
        EXPECT_NE(entry, pressed(kKeyEnter));
    }
}

TEST_F(HandleInput, TogglesFollowTheirKeys) {
    initAndForget();
    platform.hold('c');
    platform.hold('q');
    handleInput();
    EXPECT_FALSE(gLightOnCamera);
    EXPECT_TRUE(gWireframe);
    EXPECT_TRUE(gShowFirstModel);
    handleInput();
    EXPECT_TRUE(gLightOnCamera);
    EXPECT_FALSE(gWireframe);
}

TEST_F(HandleInput, MSwitchesTheModelAndTheFlag) {
    initAndForget();
    platform.hold('m');
    handleInput();
    EXPECT_EQ(gCurrentModel, gModel2);
    EXPECT_FALSE(gShowFirstModel);
    handleInput(); // two switches return to the first model
    EXPECT_EQ(gCurrentModel, gModel1);
    EXPECT_TRUE(gShowFirstModel);
}

TEST_F(HandleInput, FWritesTheCountIntoTheTitleEveryFrameWhileHeld) {
    initAndForget();
    platform.hold('f');
    platform.fps = 42;
    handleInput();
    platform.fps = 43;
    handleInput();
    EXPECT_EQ(platform.titles, (std::vector<std::string>{"FPS= 42", "FPS= 43"}));
}

TEST_F(HandleInput, MovementKeysMoveByFrameTimeAndSendEachView) {
    initAndForget();
    platform.frameTime = 0.05f; // one world unit at 20 units per second
    platform.hold('w');
    handleInput();
    EXPECT_NEAR(camera.mPosition.z, 9.0f, kEps);
    ASSERT_EQ(render.callsOf("setViewMatrix").size(), 1u);
    // The view sent is the camera's: the eye maps to the origin.
    const rvVector3 eye = rvTransformPoint(camera.mPosition, render.lastView);
    EXPECT_NEAR(eye.x, 0.0f, kEps);
    EXPECT_NEAR(eye.z, 0.0f, kEps);

    platform.release('w');
    platform.hold('d');
    platform.hold(kKeyPageUp);
    handleInput();
    EXPECT_NEAR(camera.mPosition.x, 1.0f, kEps);
    EXPECT_NEAR(camera.mPosition.y, 6.0f, kEps);
    EXPECT_EQ(render.callsOf("setViewMatrix").size(), 3u);

    platform.held.clear();
    platform.hold('s');
    platform.hold('a');
    platform.hold(kKeyPageDown);
    handleInput();
    EXPECT_NEAR(camera.mPosition.x, 0.0f, kEps);
    EXPECT_NEAR(camera.mPosition.y, 5.0f, kEps);
    EXPECT_NEAR(camera.mPosition.z, 10.0f, kEps);
}

TEST_F(HandleInput, HoldingWForOneSecondMovesTwentyUnitsAtAnyFrameRate) {
    initAndForget();
    platform.hold('w');
    for (int fps : {60, 250}) {
        camera.mPosition = rvVector3(0.0f, 5.0f, 10.0f);
        platform.frameTime = 1.0f / fps;
        for (int f = 0; f < fps; ++f) {
            handleInput();
        }
        EXPECT_NEAR(camera.mPosition.z, -10.0f, 1e-3f) << fps << " frames per second";
    }
}

TEST_F(HandleInput, MouseToTheRightTurnsTheViewRight) {
    initAndForget();
    platform.mouse = zrPoint{410, 300}; // 10 pixels right of the centre: 2 degrees
    handleInput();
    const rvVector3 view = camera.mZAxis * -1.0f;
    EXPECT_NEAR(view.x, std::sin(2.0f * kRvPi / 180.0f), kEps);
    EXPECT_NEAR(view.z, -std::cos(2.0f * kRvPi / 180.0f), kEps);
    EXPECT_NEAR(view.y, 0.0f, kEps);
    EXPECT_EQ(render.callsOf("setViewMatrix").size(), 1u);
    EXPECT_EQ(platform.log.back(), "setMousePos 400,300");
}

TEST_F(HandleInput, MouseToTheLeftTurnsTheViewLeft) {
    initAndForget();
    platform.mouse = zrPoint{395, 300};
    handleInput();
    EXPECT_NEAR(-camera.mZAxis.x, -std::sin(1.0f * kRvPi / 180.0f), kEps);
}

TEST_F(HandleInput, MouseUpTiltsTheViewUpAndDownTiltsItDown) {
    initAndForget();
    platform.mouse = zrPoint{400, 290};
    handleInput();
    EXPECT_NEAR(-camera.mZAxis.y, std::sin(2.0f * kRvPi / 180.0f), kEps);
    platform.mouse = zrPoint{400, 310};
    handleInput();
    EXPECT_NEAR(camera.mZAxis.y, 0.0f, kEps);
    platform.mouse = zrPoint{400, 305};
    handleInput();
    EXPECT_NEAR(-camera.mZAxis.y, -std::sin(1.0f * kRvPi / 180.0f), kEps);
}

// --- One frame ------------------------------------------------------------------------------

using RunFrame = SceneTest;

TEST_F(RunFrame, AnimatesOnlyTheShownModelWhichResumesWhereItStopped) {
    initAndForget();
    platform.frameTime = 0.07f; // more than one key frame (1/15 s) per frame
    runFrame();
    runFrame();
    EXPECT_EQ(gModel1->getCurrentFrame(), 2);
    EXPECT_EQ(gModel2->getCurrentFrame(), 0);

    platform.hold('m');
    runFrame(); // switches first, then animates the second model
    platform.release('m');
    runFrame();
    EXPECT_EQ(gModel1->getCurrentFrame(), 2);
    EXPECT_EQ(gModel2->getCurrentFrame(), 2);

    platform.hold('m');
    runFrame();
    EXPECT_EQ(gModel1->getCurrentFrame(), 3);
    EXPECT_EQ(gModel2->getCurrentFrame(), 2);
}

TEST_F(RunFrame, AdvancesTheLightAndDrawsThroughTheChosenBackEnd) {
    initAndForget();
    platform.frameTime = 0.05f;
    runFrame();
    EXPECT_EQ(gLightAngle, 1.0f);
    EXPECT_FALSE(render.callsOf("toggleVertexPrograms").empty());
    EXPECT_TRUE(render.callsOf("setCurrentFX").empty());
    EXPECT_EQ(render.ops().back(), "endScene");

    render.calls.clear();
    gUseOpenGL = false;
    runFrame();
    EXPECT_EQ(gLightAngle, 2.0f);
    EXPECT_TRUE(render.callsOf("toggleVertexPrograms").empty());
    EXPECT_FALSE(render.callsOf("setCurrentFX").empty());
}

} // namespace
