#include "zrkeytable.h"

#include <initializer_list>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

constexpr float kFrame = 1.0f / 64.0f; // exact in binary: 32 frames are exactly 0.5 s

// Stands in for the keyboard: the key states the platform layer would read, and the frame
// loop that polls them.
class KeyTable : public ::testing::Test {
protected:
    // One frame as the program runs it: the window's poll, then the input handling's poll,
    // both with the same frame interval.
    void frame(float frameTime, int polls = 2) {
        for (int p = 0; p < polls; ++p)
            table.update(frameTime, keys);
    }

    // Plays one frame per entry of frameTimes and queries the key once after it; the script
    // gives, per frame, '-' for the key up, '.' for down and not reported, 'F' for reported.
    void play(int key, std::initializer_list<float> frameTimes, const std::string& script) {
        ASSERT_EQ(frameTimes.size(), script.size());
        int n = 0;
        for (float t : frameTimes) {
            keys[key] = script[n] != '-';
            frame(t);
            EXPECT_EQ(table.keyPressed(key), script[n++] == 'F') << "frame " << n;
        }
    }

    // Frames (1-based) after whose polls a query reported the held key, whose delay is 0.5 s.
    std::vector<int> firingFrames(int key, int frames, int polls) {
        std::vector<int> fired;
        table.setKeyDelay(key, 0.5f);
        keys[key] = true;
        for (int f = 1; f <= frames; ++f) {
            frame(kFrame, polls);
            if (table.keyPressed(key))
                fired.push_back(f);
        }
        return fired;
    }

    zrKeyTable table;
    bool keys[zrKeyTable::kMaxKeys] = {};
};

} // namespace

TEST_F(KeyTable, StartsReleasedAndUpdateCopiesTheKeyStates) {
    for (int k = 0; k < zrKeyTable::kMaxKeys; ++k)
        EXPECT_FALSE(table.isKeyDown(k) || table.getKeyDelay(k) || table.getRemaining(k)) << k;
    keys[255] = true;
    table.setCursorPos(400, 300);
    frame(kFrame); // polling keys leaves the cursor to the platform layer
    EXPECT_TRUE(table.getCursorPos().x == 400 && table.getCursorPos().y == 300);
    // anyKeyDown examines the codes 0…254 only.
    EXPECT_TRUE(table.isKeyDown(255) && !table.isKeyDown(254) && !table.anyKeyDown());
    keys[254] = true;
    frame(kFrame);
    EXPECT_TRUE(table.isKeyDown(254) && table.anyKeyDown());
}

TEST_F(KeyTable, HeldKeyFiresOncePerDelayOnlyWithTwoPollsPerFrame) {
    // The first firing comes once one full delay has passed after setKeyDelay.
    EXPECT_EQ(firingFrames('M', 100, 2), (std::vector<int>{32, 64, 96}));
    // With one poll the step alternates between a frame and nothing: only odd frames count,
    // so the 0.5 s delay (32 frames) would last 63.
    table = zrKeyTable();
    EXPECT_EQ(firingFrames('M', 70, 1).at(0), 63);
}

TEST_F(KeyTable, CountdownsFollowFrameTime) {
    // Without a delay, every query while down (frames of 0 s are just more queries).
    play('W', {kFrame, 0, 0, kFrame}, "FFF-");
    // Frames of any length: 0.5 s are complete after the fifth, and again after the seventh.
    table.setKeyDelay(13, 0.5f);
    play(13, {0.125f, 0.25f, 0.0625f, 0.03125f, 0.03125f, 0.25f, 0.25f}, "....F.F");
    // The countdown runs while the key is up, and releasing it does not restart it.
    table.setKeyDelay('Q', 0.5f);
    play('Q', {0, 0.5f, 0, 0.25f, 0.125f, 0.125f}, ".-F-.F");
    // 0.125 − 0.375 ends 0.25 below zero; the restart drops that, or the third frame would fire.
    table.setKeyDelay('B', 0.5f);
    play('B', {0.375f, 0.375f, 0.375f, 0.375f}, ".F.F");
}

TEST_F(KeyTable, LowerCaseLettersFoldSoCodes97To122AreUnreachable) {
    for (int code = '`'; code <= '{'; ++code)
        keys[code] = true; // 96…123 down; of 'A'…'Z' only 'M'
    keys['M'] = keys[0xE0] = true;
    frame(kFrame);
    for (int code = 'a'; code <= 'z'; ++code)
        EXPECT_EQ(table.keyPressed(code), code == 'm') << code; // asks for code − 32
    table.setKeyDelay('m', 0.5f);
    EXPECT_TRUE(table.getKeyDelay('M') == 0.5f && table.getKeyDelay('m') == 0.0f);
    // Only 'a'…'z' fold: their neighbours and codes above 127 keep their own slot.
    EXPECT_TRUE(table.keyPressed('`') && table.keyPressed('{') && table.keyPressed(0xE0));
}

TEST_F(KeyTable, MouseButtonsAreCodesOneTwoAndFourWithTheirDelays) {
    keys[1] = keys[2] = keys[4] = true;
    table.setKeyDelay(1, 0.5f);
    frame(0.25f);
    EXPECT_TRUE(!table.leftButtonPressed() && table.rightButtonPressed() &&
                table.middleButtonPressed());
    frame(0.25f);
    EXPECT_TRUE(table.leftButtonPressed() && !table.leftButtonPressed());
}

TEST_F(KeyTable, SetKeyStateHoldsUntilTheNextUpdateAndCodesOutsideTheTableAreRefused) {
    table.setKeyState(16, true);
    table.setKeyState(200u, true);
    table.setKeyState('m', true);
    EXPECT_TRUE(table.keyPressed(16) && table.isKeyDown(200) && table.isKeyDown('m'));
    EXPECT_FALSE(table.isKeyDown('M') || table.keyPressed('m'));
    frame(kFrame);
    EXPECT_FALSE(table.isKeyDown(16) || table.isKeyDown(200) || table.isKeyDown('m'));
    // Codes outside the table: refused, and a precondition of setKeyState.
    table.setKeyDelay(-1, 1.0f);
    table.setKeyDelay(256, 1.0f);
    EXPECT_FALSE(table.keyPressed(-1) || table.keyPressed(256) || table.keyPressed(100000));
    for (int k = -1; k <= zrKeyTable::kMaxKeys; ++k) // the raw table reads -1 and 256 as 0
        EXPECT_EQ(table.getKeyDelay(k), 0.0f) << k;
    EXPECT_DEBUG_DEATH(table.setKeyState(256, true), "setKeyState");
    EXPECT_DEBUG_DEATH(table.setKeyState(0xFFFFFFFFu, true), "setKeyState");
    EXPECT_FALSE(table.anyKeyDown()); // with assertions off the table is left alone
}
