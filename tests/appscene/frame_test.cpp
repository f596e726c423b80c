#include "frame.h"

#include <cmath>
#include <sstream>

#include <gtest/gtest.h>

#include "scenefixture.h"

namespace {

std::string pressed(int key) {
    return "keyPressed " + std::to_string(key);
}

// Rounded to three decimals, as "x y z".
std::string str(const rvVector3& v) {
    std::ostringstream out;
    for (float c : {v.x, v.y, v.z}) {
        out << (out.tellp() ? " " : "") << std::round(c * 1e3f) / 1e3f + 0.0f;
    }
    return out.str();
}

// The fixture's clean-up returns the orbit angle, its timer and the toggles to their start.
using Frame = SceneTest;

TEST_F(Frame, LightOrbitRunsThrough361AnglesOneDegreeAtMostPerStepDroppingTheRest) {
    for (int step = 1; step <= 361; ++step) {
        stepLightOrbit(0.5f); // fifteen steps' worth of time
        ASSERT_EQ(gLightAngle, float(step % 361)) << "step " << step;
    }
    stepLightOrbit(0.01f);
    EXPECT_EQ(gLightAngle, 0.0f);
    EXPECT_NEAR(gLightTimer, 0.01f, 1e-7f);
}

TEST_F(Frame, LightOrbitStepsEveryThirdFrameAtSixtyFramesPerSecond) {
    std::string angles;
    for (int frame = 1; frame <= 6; ++frame) {
        stepLightOrbit(1.0f / 60.0f);
        angles += std::to_string(int(gLightAngle));
    }
    EXPECT_EQ(angles, "001112"); // two frames gather exactly one step time: not yet above it
}

TEST_F(Frame, InputAsksAltBeforeEnterPollsAgainThenActsOnCFMQAndPinsTheCursor) {
    initAndForget();
    platform.held = {kKeyEnter, 'C', 'F', 'M', 'Q'}; // Enter alone is not even asked for
    platform.fps = 42;
    handleInput();
    EXPECT_EQ(platform.log,
              (std::vector<std::string>{pressed(kKeyAlt), "pollInput", pressed('C'), pressed('F'),
                                        pressed('M'), pressed('Q'), pressed('W'), pressed('S'),
                                        pressed('A'), pressed('D'), pressed(kKeyPageUp),
                                        pressed(kKeyPageDown), "setMousePos 400,300"}));
    EXPECT_EQ(render.ops(), std::vector<std::string>{"setProgramMatrix"}); // the switch only
    EXPECT_TRUE(!gLightOnCamera && gWireframe && !gShowFirstModel && gCurrentModel == gModel2);
    platform.log.clear();
    platform.held.insert(kKeyAlt);
    platform.width = 1025; // 800 × 600 before: the height keeps its centre
    platform.mouse = zrPoint{512, 300};
    platform.fps = 43;
    handleInput();
    EXPECT_EQ(render.ops(), (std::vector<std::string>{"setProgramMatrix", "toggleFullScreen",
                                                      "setViewMatrix", "setProgramMatrix"}));
    EXPECT_EQ(std::vector<std::string>(platform.log.begin(), platform.log.begin() + 5),
              (std::vector<std::string>{pressed(kKeyAlt), pressed(kKeyEnter), "setMousePos 512,300",
                                        "hideCursor", "pollInput"}));
    EXPECT_EQ(platform.log.back(), "setMousePos 512,300");
    EXPECT_TRUE(gLightOnCamera && !gWireframe && gShowFirstModel && gCurrentModel == gModel1);
    EXPECT_EQ(platform.titles, (std::vector<std::string>{"FPS= 42", "FPS= 43"}));
}

TEST_F(Frame, MovementKeysMoveTwentyUnitsPerSecondAndSendEachView) {
    initAndForget();
    platform.frameTime = 0.025f; // half a world unit
    platform.held = {'W', 'D', kKeyPageUp};
    handleInput();
    EXPECT_EQ(str(camera.mPosition), "0.5 5.5 9.5");
    ASSERT_EQ(render.callsOf("setViewMatrix").size(), 3u);
    EXPECT_EQ(str(rvTransformPoint(camera.mPosition, render.lastView)), "0 0 0"); // the camera's
    platform.held = {'S', 'A', kKeyPageDown};
    handleInput();
    EXPECT_EQ(str(camera.mPosition), "0 5 10");
}

TEST_F(Frame, MouseTurnsTheViewTheWayItMovesAFifthOfADegreePerPixel) {
    initAndForget();
    const float d2 = 2.0f * kRvPi / 180.0f, d1 = kRvPi / 180.0f;
    // Right and up by 10 pixels, then left and down by 5: yaw, then pitch about the new right.
    const std::pair<zrPoint, rvVector3> cases[] = {
        {{410, 290}, {std::sin(d2) * std::cos(d2), std::sin(d2), -std::cos(d2) * std::cos(d2)}},
        {{395, 305}, {-std::sin(d1) * std::cos(d1), -std::sin(d1), -std::cos(d1) * std::cos(d1)}}};
    for (const auto& [mouse, view] : cases) {
        camera.mUp = rvVector3(0, 1, 0);
        camera.setZAxis(0, 0, 1);
        platform.mouse = mouse;
        handleInput();
        EXPECT_EQ(str(camera.mZAxis * -1.0f), str(view));
        EXPECT_EQ(platform.log.back(), "setMousePos 400,300"); // warped back
    }
    EXPECT_EQ(render.callsOf("setViewMatrix").size(), 4u); // one per turn
}

} // namespace
