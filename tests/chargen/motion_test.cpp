#include "motion.h"

#include <algorithm>

#include <gtest/gtest.h>

using namespace chargen;

namespace {

Proportions figure() {
    Proportions p;
    p.spine = {2, 5};
    p.torsoBottomY = 16.0;
    p.torsoTopY = 30.0;
    p.torsoShape = {{16, 3, 2}, {30, 3, 2}};
    p.neckBottomY = 28.0;
    p.headShape = {{28, 1, 1}, {35, 3, 3}};
    p.armShape = p.legShape = {{0, 1, 1}, {1, 0.6, 0.6}};
    p.handShape = {{0, 0.4, 0.6}, {1, 0.3, 0.5}};
    p.footShape = {{0, 0.8, 0.8}, {1, 0.6, 0.4}};
    return p;
}

double distance(const V3& a, const V3& b) {
    return length(a - b);
}

// The largest joint movement from one key frame to the next, per step; the last entry is
// the step from the last frame back to the first.
std::vector<double> steps(const Skeleton& s, const std::vector<Pose>& poses) {
    std::vector<double> out;
    for (size_t f = 0; f < poses.size(); ++f) {
        std::vector<V3> a = jointPositions(s, poses[f]);
        std::vector<V3> b = jointPositions(s, poses[(f + 1) % poses.size()]);
        double m = 0.0;
        for (size_t j = 0; j < a.size(); ++j)
            m = std::max(m, distance(a[j], b[j]));
        out.push_back(m);
    }
    return out;
}

} // namespace

TEST(KneeSolver, KeepsBoneLengthsAndBendsTowardsThePole) {
    const V3 hip(0, 10, 0), ankle(0.5, 2, 1.5), pole(0, 0, 1);
    V3 knee = kneePosition(hip, ankle, 4.5, 4.5, pole);
    EXPECT_NEAR(distance(knee, hip), 4.5, 1e-9);
    EXPECT_NEAR(distance(knee, ankle), 4.5, 1e-9);
    // In front of the hip–ankle line.
    V3 mid = lerp(hip, ankle, 0.5);
    EXPECT_GT(knee.z, mid.z);
}

TEST(KneeSolver, OutOfReachStretchesAlongTheLine) {
    const V3 hip(0, 10, 0), ankle(0, -10, 0);
    V3 knee = kneePosition(hip, ankle, 4, 5, V3(0, 0, 1));
    EXPECT_NEAR(distance(knee, hip), 4.0, 1e-9);
    EXPECT_NEAR(knee.y, 6.0, 1e-3);
    EXPECT_NEAR(knee.z, 0.0, 0.05);
}

TEST(WalkCycle, StanceFootStaysFlatOnTheFloor) {
    Proportions p = figure();
    Humanoid h = buildHumanoid(p);
    WalkParams w;
    std::vector<Pose> poses = walkCycle(h.skeleton, w, 32);
    ASSERT_EQ(poses.size(), 32u);
    HumanoidBones b(h.skeleton);
    const double ankleHeight = h.skeleton.bone(b.foot[0]).head.y;
    for (int f = 0; f < 32; ++f) {
        std::vector<V3> joints = jointPositions(h.skeleton, poses[f]);
        int planted = 0;
        for (int i = 0; i < 2; ++i) {
            double phase = std::fmod(f / 32.0 + 0.5 * i, 1.0);
            if (phase < w.stance) {
                // The ball and the toes rest on the floor all through the stance...
                ++planted;
                EXPECT_NEAR(joints[b.toe[i]].y, h.skeleton.bone(b.toe[i]).head.y, 1e-6);
                EXPECT_NEAR(poses[f].rotation[b.toe[i]].w, 1.0, 1e-12);
            }
            if (phase < 0.7 * w.stance) {
                // ...and the heel too until it starts to rise.
                EXPECT_NEAR(joints[b.foot[i]].y, ankleHeight, 1e-6) << "frame " << f;
                EXPECT_NEAR(poses[f].rotation[b.foot[i]].w, 1.0, 1e-12);
            }
            // The ball of the foot never goes below its bind height (the sole stays up).
            EXPECT_GE(joints[b.toe[i]].y, h.skeleton.bone(b.toe[i]).head.y - 1e-6);
        }
        EXPECT_GE(planted, 1) << "frame " << f;
    }
}

TEST(WalkCycle, FeetAndArmsSwingInOppositePhase) {
    Humanoid h = buildHumanoid(figure());
    WalkParams w;
    std::vector<Pose> poses = walkCycle(h.skeleton, w, 32);
    HumanoidBones b(h.skeleton);
    // Frame 0: the left foot lands in front, so the right foot is behind and the left hand
    // is behind the right hand.
    std::vector<V3> j = jointPositions(h.skeleton, poses[0]);
    EXPECT_GT(j[b.toe[0]].z, j[b.toe[1]].z + w.stride);
    EXPECT_LT(j[b.hand[0]].z, j[b.hand[1]].z);
    std::vector<V3> half = jointPositions(h.skeleton, poses[16]);
    EXPECT_LT(half[b.toe[0]].z, half[b.toe[1]].z - w.stride);
    EXPECT_GT(half[b.hand[0]].z, half[b.hand[1]].z);
}

TEST(WalkCycle, LoopsWithoutAJump) {
    Humanoid h = buildHumanoid(figure());
    std::vector<Pose> poses = walkCycle(h.skeleton, WalkParams(), 32);
    std::vector<double> s = steps(h.skeleton, poses);
    const double wrap = s.back();
    const double largest = *std::max_element(s.begin(), s.end() - 1);
    EXPECT_LE(wrap, largest + 1e-9);
    // Neither a jump nor a hitch: the wrap moves like the steps on either side of it.
    const double around = 0.5 * (s[s.size() - 2] + s[0]);
    EXPECT_GT(wrap, 0.5 * around);
    EXPECT_LT(wrap, 2.0 * around);
}

TEST(WaveIdle, FeetStayPutWhileTheRightHandWavesOverTheHead) {
    Humanoid h = buildHumanoid(figure());
    std::vector<Pose> poses = waveIdle(h.skeleton, WaveParams(), 36);
    HumanoidBones b(h.skeleton);
    double handLeft = 1e9, handRight = -1e9;
    for (const Pose& pose : poses) {
        std::vector<V3> j = jointPositions(h.skeleton, pose);
        for (int i = 0; i < 2; ++i)
            EXPECT_LT(distance(j[b.foot[i]], h.skeleton.bone(b.foot[i]).head), 1e-6);
        EXPECT_GT(j[b.hand[1]].y, j[b.head].y);
        EXPECT_LT(j[b.hand[0]].y, j[b.pelvis].y);
        handLeft = std::min(handLeft, j[b.hand[1]].x);
        handRight = std::max(handRight, j[b.hand[1]].x);
    }
    // The waving hand sweeps sideways.
    EXPECT_GT(handRight - handLeft, 2.0);
    std::vector<double> s = steps(h.skeleton, poses);
    EXPECT_LE(s.back(), *std::max_element(s.begin(), s.end() - 1) + 1e-9);
    const double around = 0.5 * (s[s.size() - 2] + s[0]);
    EXPECT_GT(s.back(), 0.5 * around);
    EXPECT_LT(s.back(), 2.0 * around);
}
