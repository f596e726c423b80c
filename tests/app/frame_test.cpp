#include "frame.h"

#include <algorithm>
#include <cmath>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "rvanimmesh.h"
#include "scenefixture.h"

namespace {

using ::testing::FloatNear;
using ::testing::Pointwise;

std::vector<float> xyz(const rvVector3& v) {
    return {v.x, v.y, v.z};
}

// The fixture's clean-up returns the orbit angle, its timer and the toggles to their start.
using Frame = SceneTest;

TEST_F(Frame, LightOrbitRunsThrough361AnglesOneDegreeAtMostPerStepDroppingTheRest) {
    for (int step = 1; step <= 361; ++step) {
        stepLightOrbit(0.5f); // fifteen steps' worth of time
        ASSERT_EQ(gLightAngle, float(step % 361)) << "step " << step;
    }
    // At 60 frames per second two frames gather exactly one step time, not yet above it.
    std::vector<float> angles;
    for (int frame = 1; frame <= 6; ++frame) {
        stepLightOrbit(1.0f / 60.0f);
        angles.push_back(gLightAngle);
    }
    EXPECT_EQ(angles, (std::vector<float>{0, 0, 1, 1, 1, 2}));
}

TEST_F(Frame, EachToggleKeyFlipsItsStateAndTheInputIsPolledOnceMore) {
    initScene();
    platform.held = {'C', 'F', 'M', 'Q'};
    platform.fps = 42;
    handleInput();
    EXPECT_FALSE(gLightOnCamera);
    EXPECT_TRUE(gWireframe);
    EXPECT_FALSE(gShowFirstModel);
    EXPECT_EQ(gCurrentModel, gModel2);
    EXPECT_EQ(platform.titles, std::vector<std::string>{"FPS= 42"});
    EXPECT_EQ(platform.polls, 1);
    handleInput();
    EXPECT_TRUE(gLightOnCamera);
    EXPECT_FALSE(gWireframe);
    EXPECT_EQ(gCurrentModel, gModel1);
    EXPECT_EQ(platform.polls, 2);
}

// The time keys act on the shown character (the first has 4 key frames): a step pauses, + and -
// together change nothing, and the speed stays within 1/8 and 8.
TEST_F(Frame, TimeKeysPauseStepAndSetTheSpeedWithinItsBounds) {
    initScene();
    platform.held = {kKeySpace, 'T'};
    handleInput();
    EXPECT_TRUE(gAnimationPaused);
    EXPECT_TRUE(gShowCosts);
    platform.held = {kKeyComma};
    handleInput();
    EXPECT_EQ(gModel1->getCurrentFrame(), 3);
    platform.held = {kKeySpace};
    handleInput();
    platform.held = {kKeyPeriod};
    handleInput();
    EXPECT_TRUE(gAnimationPaused) << "a step pauses";
    EXPECT_EQ(gModel1->getCurrentFrame(), 0);
    std::vector<float> speeds;
    for (int key : {kKeyPlus, kKeyPlus, kKeyPlus, kKeyPlus, kKeyMinus, kKeyMinus}) {
        platform.held = {key};
        handleInput();
        speeds.push_back(gAnimationSpeed);
    }
    platform.held = {kKeyPlus, kKeyMinus};
    handleInput();
    speeds.push_back(gAnimationSpeed);
    platform.held = {kKeyPlus};
    handleInput();
    speeds.push_back(gAnimationSpeed);
    for (int i = 0; i < 8; ++i) {
        platform.held = {kKeyMinus};
        handleInput();
    }
    speeds.push_back(gAnimationSpeed);
    EXPECT_EQ(speeds, (std::vector<float>{2, 4, 8, 8, 4, 2, 2, 4, 0.125f}));
    EXPECT_EQ(gModel2->getCurrentFrame(), 0) << "the other character keeps its time";
}

TEST_F(Frame, EnterIsAskedForOnlyWithAltSoThatItsDelayIsNotUsedUp) {
    initScene();
    platform.held = {kKeyEnter};
    handleInput();
    EXPECT_EQ(std::count(platform.asked.begin(), platform.asked.end(), kKeyEnter), 0);
    EXPECT_EQ(render.fullScreenToggles, 0);
    // Alt+Enter: full screen, and the cursor's centre follows the new client size.
    platform.held = {kKeyAlt, kKeyEnter};
    platform.width = 1025;
    platform.height = 769;
    handleInput();
    EXPECT_EQ(render.fullScreenToggles, 1);
    EXPECT_EQ(gMouseCentre.x, 512);
    EXPECT_EQ(gMouseCentre.y, 384);
    EXPECT_EQ(platform.mouse.x, 512); // pinned there at the end of the frame
}

TEST_F(Frame, MovementKeysMoveTwentyUnitsPerSecondAndSendTheView) {
    initScene();
    platform.frameTime = 0.025f; // half a world unit
    platform.held = {'W', 'D', kKeyPageUp};
    handleInput();
    EXPECT_THAT(xyz(camera.mPosition),
                Pointwise(FloatNear(1e-5f), std::vector<float>{0.5f, 5.5f, 9.5f}));
    // The renderer has the view of the camera's new place.
    EXPECT_THAT(xyz(rvTransformPoint(camera.mPosition, render.view)),
                Pointwise(FloatNear(1e-5f), std::vector<float>{0, 0, 0}));
    platform.held = {'S', 'A', kKeyPageDown};
    handleInput();
    EXPECT_THAT(xyz(camera.mPosition), Pointwise(FloatNear(1e-5f), std::vector<float>{0, 5, 10}));
}

TEST_F(Frame, MouseTurnsTheViewTheWayItMovesAFifthOfADegreePerPixel) {
    initScene();
    const float d2 = 2.0f * kRvPi / 180.0f;
    const float d1 = kRvPi / 180.0f;
    // Right and up by 10 pixels, then left and down by 5: yaw, then pitch about the new right.
    const std::pair<zrPoint, std::vector<float>> cases[] = {
        {{410, 290}, {std::sin(d2) * std::cos(d2), std::sin(d2), -std::cos(d2) * std::cos(d2)}},
        {{395, 305}, {-std::sin(d1) * std::cos(d1), -std::sin(d1), -std::cos(d1) * std::cos(d1)}}};
    for (const auto& [mouse, view] : cases) {
        camera.mUp = rvVector3(0, 1, 0);
        camera.setZAxis(0, 0, 1);
        platform.mouse = mouse;
        handleInput();
        EXPECT_THAT(xyz(camera.mZAxis * -1.0f), Pointwise(FloatNear(1e-5f), view));
        EXPECT_EQ(platform.mouse.x, 400); // warped back to the centre
        EXPECT_EQ(platform.mouse.y, 300);
    }
}

} // namespace
