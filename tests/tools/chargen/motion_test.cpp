#include "motion.h"

#include <algorithm>
#include <cmath>

#include <gtest/gtest.h>

#include "characters.h"

using namespace chargen;

// Whether the loops close seamlessly is tested on the demo's figures (characters_test), through
// the engine's own skinning.

TEST(KneeSolver, KeepsBoneLengthsBendsTowardsThePoleAndStretchesOutOfReach) {
    const V3 hip(0, 10, 0), ankle(0.5, 2, 1.5);
    const V3 knee = kneePosition(hip, ankle, 4.5, 4.5, V3(0, 0, 1));
    EXPECT_NEAR(length(knee - ankle), 4.5, 1e-9);
    EXPECT_NEAR(length(knee - hip), 4.5, 1e-9);
    EXPECT_GT(knee.z, lerp(hip, ankle, 0.5).z); // in front of the hip–ankle line
    // Out of reach: along the line, the thigh at its length, the chain a little short.
    const V3 far = kneePosition(hip, V3(0, -10, 0), 4, 5, V3(0, 0, 1));
    EXPECT_NEAR(length(far - hip), 4.0, 1e-9);
    EXPECT_NEAR(far.y, 6.0, 1e-3);
    EXPECT_NEAR(far.z, 0.0, 0.05);
}

TEST(WalkCycle, StanceFootStaysFlatOnTheFloorWhileFeetAndArmsSwingInOppositePhase) {
    const Skeleton s = makeZax().body.skeleton;
    const HumanoidBones b(s);
    const WalkParams w;
    const std::vector<Pose> poses = walkCycle(s, w, 32);
    ASSERT_EQ(poses.size(), 32u);
    for (int f = 0; f < 32; ++f) {
        const std::vector<V3> j = jointPositions(s, poses[f]);
        for (int i = 0; i < 2; ++i) {
            // The ball rests on the floor all through the stance and never sinks below it; the
            // heel rests there too until it starts to lift.
            const double phase = std::fmod(f / 32.0 + 0.5 * i, 1.0);
            const double ball = j[b.toe[i]].y - s.bone(b.toe[i]).head.y;
            const double heel = j[b.foot[i]].y - s.bone(b.foot[i]).head.y;
            SCOPED_TRACE(::testing::Message() << "frame " << f << ", foot " << i);
            EXPECT_GT(ball, -1e-6);
            EXPECT_TRUE(phase >= w.stance || ball < 1e-6) << "lifted in the stance: " << ball;
            EXPECT_TRUE(phase >= 0.7 * w.stance || std::fabs(heel) < 1e-6) << "heel " << heel;
        }
    }
    // Frame 0: the left foot lands in front and the left hand is behind; half a cycle on, the
    // other way round.
    const std::vector<V3> a = jointPositions(s, poses[0]), c = jointPositions(s, poses[16]);
    EXPECT_GT(a[b.toe[0]].z - a[b.toe[1]].z, w.stride);
    EXPECT_LT(a[b.hand[0]].z, a[b.hand[1]].z);
    EXPECT_GT(c[b.toe[1]].z - c[b.toe[0]].z, w.stride);
    EXPECT_LT(c[b.hand[1]].z, c[b.hand[0]].z);
}

TEST(WaveIdle, FeetStayPutWhileTheRightHandWavesOverTheHead) {
    const Skeleton s = makeZaphod().body.skeleton;
    const HumanoidBones b(s);
    double lo = 1e9, hi = -1e9; // the waving hand's sideways sweep
    for (const Pose& pose : waveIdle(s, WaveParams(), 36)) {
        const std::vector<V3> j = jointPositions(s, pose);
        for (int i = 0; i < 2; ++i)
            EXPECT_LT(length(j[b.foot[i]] - s.bone(b.foot[i]).head), 1e-6);
        EXPECT_GT(j[b.hand[1]].y, j[b.head].y);
        EXPECT_LT(j[b.hand[0]].y, j[b.pelvis].y);
        lo = std::min(lo, j[b.hand[1]].x);
        hi = std::max(hi, j[b.hand[1]].x);
    }
    EXPECT_GT(hi - lo, 2.0);
}
