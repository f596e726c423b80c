#include "zrkeytable.h"

#include <vector>

#include <gtest/gtest.h>

namespace {

// Stands in for the keyboard: the key states the platform layer would read, and the frame
// loop that polls them.
class KeyTable : public ::testing::Test {
protected:
    void hold(int code) { keys[code] = true; }
    void release(int code) { keys[code] = false; }

    // One frame as the program runs it: the window's poll, then the input handling's poll,
    // both with the same frame interval.
    void frame(float frameTime) {
        table.update(frameTime, keys);
        table.update(frameTime, keys);
    }

    // Frames (1-based) on which a query after the frame's polls reported the key.
    std::vector<int> firingFrames(int key, float frameTime, int frames, int pollsPerFrame = 2) {
        std::vector<int> fired;
        for (int f = 1; f <= frames; ++f) {
            for (int p = 0; p < pollsPerFrame; ++p) {
                table.update(frameTime, keys);
            }
            if (table.keyPressed(key)) {
                fired.push_back(f);
            }
        }
        return fired;
    }

    zrKeyTable table;
    bool keys[zrKeyTable::kMaxKeys] = {};
};

constexpr float kFrame = 1.0f / 64.0f; // exact in binary: 32 frames are exactly 0.5 s

} // namespace

TEST_F(KeyTable, StartsReleasedWithoutDelays) {
    for (int k = 0; k < zrKeyTable::kMaxKeys; ++k) {
        EXPECT_FALSE(table.isKeyDown(k)) << k;
        EXPECT_EQ(table.getKeyDelay(k), 0.0f) << k;
        EXPECT_EQ(table.getRemaining(k), 0.0f) << k;
    }
    EXPECT_FALSE(table.anyKeyDown());
    EXPECT_EQ(table.getCursorPos().x, 0);
    EXPECT_EQ(table.getCursorPos().y, 0);
}

TEST_F(KeyTable, UpdateCopiesTheKeyStates) {
    hold(13);
    hold(255);
    table.update(kFrame, keys);
    EXPECT_TRUE(table.isKeyDown(13));
    EXPECT_TRUE(table.isKeyDown(255));
    EXPECT_FALSE(table.isKeyDown(14));
    release(13);
    table.update(kFrame, keys);
    EXPECT_FALSE(table.isKeyDown(13));
}

// --- Repeat delays -------------------------------------------------------------------------

TEST_F(KeyTable, KeyWithoutDelayFiresOnEveryQueryWhileDown) {
    hold('W');
    frame(kFrame);
    EXPECT_TRUE(table.keyPressed('W'));
    EXPECT_TRUE(table.keyPressed('W'));
    EXPECT_TRUE(table.keyPressed('W'));
    release('W');
    frame(kFrame);
    EXPECT_FALSE(table.keyPressed('W'));
}

TEST_F(KeyTable, HeldKeyFiresFirstAfterOneDelayThenEveryDelay) {
    table.setKeyDelay('M', 0.5f);
    hold('M');
    const std::vector<int> expected = {32, 64, 96};
    EXPECT_EQ(firingFrames('M', kFrame, 100), expected);
}

TEST_F(KeyTable, DelayFollowsFrameTimeWhateverTheFrameLengths) {
    table.setKeyDelay(13, 0.5f);
    hold(13);
    const float frames[] = {0.125f, 0.25f, 0.0625f, 0.03125f, 0.03125f, 0.25f, 0.25f};
    std::vector<bool> fired;
    for (float t : frames) {
        frame(t);
        fired.push_back(table.keyPressed(13));
    }
    // 0.5 s are complete after the fifth frame; the sixth and seventh bring the next 0.5 s.
    const std::vector<bool> expected = {false, false, false, false, true, false, true};
    EXPECT_EQ(fired, expected);
}

TEST_F(KeyTable, OnePollPerFrameWouldRunDelaysAtTheWrongSpeed) {
    // The step rule belongs to two polls per frame: with one, the step alternates between a
    // frame and nothing, so only odd frames count and a 0.5 s delay (32 frames) lasts 63.
    table.setKeyDelay('M', 0.5f);
    hold('M');
    const std::vector<int> once = firingFrames('M', kFrame, 70, 1);
    ASSERT_FALSE(once.empty());
    EXPECT_EQ(once.front(), 63);
}

TEST_F(KeyTable, SetKeyDelayStartsTheCountdown) {
    hold('C');
    frame(kFrame);
    EXPECT_TRUE(table.keyPressed('C'));
    table.setKeyDelay('C', 0.25f);
    EXPECT_FALSE(table.keyPressed('C'));
    EXPECT_FLOAT_EQ(table.getKeyDelay('C'), 0.25f);
    EXPECT_FLOAT_EQ(table.getRemaining('C'), 0.25f);
}

TEST_F(KeyTable, CountdownRunsWhileTheKeyIsUp) {
    table.setKeyDelay('Q', 0.5f);
    for (int i = 0; i < 32; ++i) {
        frame(kFrame);
    }
    hold('Q');
    frame(0.0f);
    EXPECT_TRUE(table.keyPressed('Q'));
}

TEST_F(KeyTable, ReleasingDoesNotResetTheCountdown) {
    table.setKeyDelay('Q', 0.5f);
    hold('Q');
    for (int i = 0; i < 32; ++i) {
        frame(kFrame);
    }
    ASSERT_TRUE(table.keyPressed('Q'));
    release('Q');
    frame(kFrame);
    hold('Q');
    frame(kFrame);
    EXPECT_FALSE(table.keyPressed('Q'));
    EXPECT_FLOAT_EQ(table.getRemaining('Q'), 0.5f - 2 * kFrame);
}

TEST_F(KeyTable, CountdownMayEndBelowZeroAndRestartsAtTheFullDelay) {
    table.setKeyDelay('B', 0.5f);
    hold('B');
    frame(0.375f);
    EXPECT_FALSE(table.keyPressed('B'));
    frame(0.375f); // 0.125 − 0.375: ends 0.25 below zero
    EXPECT_FLOAT_EQ(table.getRemaining('B'), -0.25f);
    EXPECT_TRUE(table.keyPressed('B'));
    EXPECT_FLOAT_EQ(table.getRemaining('B'), 0.5f);
    // Carrying the overshoot would leave 0.25 and fire on the next frame.
    frame(0.375f);
    EXPECT_FALSE(table.keyPressed('B'));
    frame(0.375f);
    EXPECT_TRUE(table.keyPressed('B'));
}

// --- Letter folding ------------------------------------------------------------------------

TEST_F(KeyTable, LowerAndUpperCaseLettersAddressTheSameKey) {
    hold('M');
    frame(kFrame);
    EXPECT_TRUE(table.keyPressed('m'));
    EXPECT_TRUE(table.keyPressed('M'));
    table.setKeyDelay('m', 0.5f);
    EXPECT_FLOAT_EQ(table.getKeyDelay('M'), 0.5f);
    EXPECT_FALSE(table.keyPressed('M'));
}

TEST_F(KeyTable, CodesNinetySevenToOneTwentyTwoCannotBeReached) {
    for (int code = 97; code <= 122; ++code) {
        hold(code);
    }
    frame(kFrame);
    for (int code = 97; code <= 122; ++code) {
        EXPECT_TRUE(table.isKeyDown(code)) << code;
        EXPECT_FALSE(table.keyPressed(code)) << code; // asks code − 32, which is up
    }
    table.setKeyDelay(97, 1.0f);
    EXPECT_FLOAT_EQ(table.getKeyDelay('A'), 1.0f);
    EXPECT_EQ(table.getKeyDelay(97), 0.0f);
}

TEST_F(KeyTable, OnlyAsciiLettersFold) {
    // Codes next to the letter range and above 127 keep their own slot.
    const int neighbours[] = {'`', '{', 0xE0, 0xFE};
    for (int code : neighbours) {
        hold(code);
    }
    frame(kFrame);
    for (int code : neighbours) {
        EXPECT_TRUE(table.keyPressed(code)) << code;
    }
}

TEST_F(KeyTable, OutOfRangeCodesAreRefused) {
    table.setKeyDelay(-1, 1.0f);
    table.setKeyDelay(256, 1.0f);
    EXPECT_FALSE(table.keyPressed(-1));
    EXPECT_FALSE(table.keyPressed(256));
    EXPECT_FALSE(table.keyPressed(100000));
    for (int k = 0; k < zrKeyTable::kMaxKeys; ++k) {
        EXPECT_EQ(table.getKeyDelay(k), 0.0f) << k;
    }
}

// --- Buttons and any key -------------------------------------------------------------------

TEST_F(KeyTable, MouseButtonsAreCodesOneTwoAndFour) {
    hold(1);
    frame(kFrame);
    EXPECT_TRUE(table.leftButtonPressed());
    EXPECT_FALSE(table.rightButtonPressed());
    EXPECT_FALSE(table.middleButtonPressed());
    release(1);
    hold(2);
    frame(kFrame);
    EXPECT_FALSE(table.leftButtonPressed());
    EXPECT_TRUE(table.rightButtonPressed());
    release(2);
    hold(4);
    frame(kFrame);
    EXPECT_TRUE(table.middleButtonPressed());
    EXPECT_FALSE(table.rightButtonPressed());
}

TEST_F(KeyTable, MouseButtonsObeyTheirDelays) {
    table.setKeyDelay(1, 0.5f);
    hold(1);
    frame(0.25f);
    EXPECT_FALSE(table.leftButtonPressed());
    frame(0.25f);
    EXPECT_TRUE(table.leftButtonPressed());
    EXPECT_FALSE(table.leftButtonPressed());
}

TEST_F(KeyTable, AnyKeyDownIgnoresCode255) {
    hold(255);
    frame(kFrame);
    EXPECT_FALSE(table.anyKeyDown());
    hold(254);
    frame(kFrame);
    EXPECT_TRUE(table.anyKeyDown());
    release(254);
    hold(0);
    frame(kFrame);
    EXPECT_TRUE(table.anyKeyDown());
}

// --- Overriding key states and the cursor --------------------------------------------------

TEST_F(KeyTable, SetKeyStateHoldsUntilTheNextUpdate) {
    table.setKeyState(16, true);
    EXPECT_TRUE(table.isKeyDown(16));
    EXPECT_TRUE(table.keyPressed(16));
    table.setKeyState(200u, true);
    EXPECT_TRUE(table.isKeyDown(200));
    frame(kFrame);
    EXPECT_FALSE(table.isKeyDown(16));
    EXPECT_FALSE(table.isKeyDown(200));
}

TEST_F(KeyTable, SetKeyStateDoesNotFoldLetters) {
    table.setKeyState('m', true);
    EXPECT_TRUE(table.isKeyDown('m'));
    EXPECT_FALSE(table.isKeyDown('M'));
    EXPECT_FALSE(table.keyPressed('m'));
}

TEST_F(KeyTable, SetKeyStateOutOfRangeIsAPrecondition) {
    EXPECT_DEBUG_DEATH(table.setKeyState(256, true), "setKeyState");
    EXPECT_DEBUG_DEATH(table.setKeyState(-1, true), "setKeyState");
    EXPECT_DEBUG_DEATH(table.setKeyState(0xFFFFFFFFu, true), "setKeyState");
    // With assertions off the call leaves the table alone.
    EXPECT_FALSE(table.anyKeyDown());
    EXPECT_FALSE(table.isKeyDown(255));
}

TEST_F(KeyTable, CursorPositionIsRemembered) {
    table.setCursorPos(400, 300);
    EXPECT_EQ(table.getCursorPos().x, 400);
    EXPECT_EQ(table.getCursorPos().y, 300);
    frame(kFrame); // polling keys leaves the cursor to the platform layer
    EXPECT_EQ(table.getCursorPos().x, 400);
    table.setCursorPos(-20, 7);
    EXPECT_EQ(table.getCursorPos().x, -20);
    EXPECT_EQ(table.getCursorPos().y, 7);
}
