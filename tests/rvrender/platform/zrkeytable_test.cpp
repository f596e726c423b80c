#include "zrkeytable.h"

#include <algorithm>
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
    void play(int key, const std::vector<float>& frameTimes, const std::string& script,
              int polls = 2) {
        ASSERT_EQ(frameTimes.size(), script.size());
        for (std::size_t n = 0; n < script.size(); ++n) {
            keys[key] = script[n] != '-';
            frame(frameTimes[n], polls);
            EXPECT_EQ(table.keyPressed(key), script[n] == 'F') << "frame " << n + 1;
        }
    }

    zrKeyTable table;
    bool keys[zrKeyTable::kMaxKeys] = {};
};

} // namespace

TEST_F(KeyTable, HeldKeyFiresOncePerDelayOnlyWithTwoPollsPerFrame) {
    // The first firing comes once one full delay (32 frames) has passed after setKeyDelay.
    const std::string every32 = std::string(31, '.') + 'F';
    table.setKeyDelay('M', 0.5f);
    play('M', std::vector<float>(96, kFrame), every32 + every32 + every32);
    // With one poll the step alternates between a frame and nothing: only odd frames count,
    // so the 0.5 s delay lasts 63 frames.
    table.setKeyDelay('N', 0.5f);
    play('N', std::vector<float>(63, kFrame), std::string(62, '.') + 'F', 1);
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
    // Only 'a'…'z' fold: their neighbours and codes above 127 keep their own slot.
    for (int code : {int('`'), int('{'), 0xE0})
        EXPECT_TRUE(table.keyPressed(code)) << code;
    table.setKeyDelay('m', 0.5f);
    EXPECT_EQ(table.getKeyDelay('M'), 0.5f);
    EXPECT_EQ(table.getKeyDelay('m'), 0.0f);
}

// Left, right and middle are the codes 1, 2 and 4 (3 is no button), with their delays.
TEST_F(KeyTable, MouseButtonsAreCodesOneTwoAndFourWithTheirDelays) {
    for (int code : {1, 2, 3, 4}) {
        keys[code] = true;
        frame(kFrame);
        EXPECT_EQ(table.leftButtonPressed(), code == 1) << code;
        EXPECT_EQ(table.rightButtonPressed(), code == 2) << code;
        EXPECT_EQ(table.middleButtonPressed(), code == 4) << code;
        keys[code] = false;
    }
    keys[1] = true;
    table.setKeyDelay(1, 0.5f);
    frame(0.25f);
    EXPECT_FALSE(table.leftButtonPressed()); // held, but for half its delay
}

// setKeyState overrides one key until the next update; anyKeyDown examines the
// codes 0…254 only. Codes outside the table are refused everywhere.
TEST_F(KeyTable, SetKeyStateHoldsUntilTheNextUpdateAndCodesOutsideTheTableAreRefused) {
    table.setKeyState(255, true);
    EXPECT_TRUE(table.isKeyDown(255));
    EXPECT_FALSE(table.anyKeyDown());
    table.setKeyState(254u, true);
    EXPECT_TRUE(table.anyKeyDown());
    frame(kFrame);
    EXPECT_FALSE(table.anyKeyDown());
    // Out of range: a precondition of setKeyState (with assertions off the table is left
    // alone); setKeyDelay and the queries ignore such codes.
    EXPECT_DEBUG_DEATH(table.setKeyState(256, true), "setKeyState");
    EXPECT_DEBUG_DEATH(table.setKeyState(0xFFFFFFFFu, true), "setKeyState");
    EXPECT_FALSE(table.anyKeyDown());
    EXPECT_FALSE(table.isKeyDown(255));
    table.setKeyDelay(-1, 1.0f);
    table.setKeyDelay(256, 1.0f);
    for (int k = -1; k <= zrKeyTable::kMaxKeys; ++k) // the raw table reads -1 and 256 as 0
        EXPECT_EQ(table.getKeyDelay(k), 0.0f) << k;
    std::fill(keys, keys + zrKeyTable::kMaxKeys, true);
    frame(kFrame);
    for (int k : {-1, 256, 100000})
        EXPECT_FALSE(table.keyPressed(k)) << k;
}
