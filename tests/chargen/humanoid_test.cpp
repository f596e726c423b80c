#include "humanoid.h"

#include <set>

#include <gtest/gtest.h>

using namespace chargen;

namespace {

Proportions simple(int spines, bool hair, bool ears) {
    Proportions p;
    p.soleY = -5.0;
    p.spine = spines == 3 ? std::vector<double>{2, 4, 6} : std::vector<double>{2, 5};
    p.hairLength = hair ? 2.0 : 0.0;
    p.earLength = ears ? 1.0 : 0.0;
    p.torsoBottomY = 12.0;
    p.torsoTopY = 25.0;
    p.torsoShape = {{12, 2, 1.5}, {25, 2.5, 1.5}};
    p.neckBottomY = 23.0;
    p.headShape = {{23, 1, 1}, {28, 3, 3}, {33, 2.5, 2.5}};
    p.armShape = p.legShape = {{0, 1, 1}, {1, 0.6, 0.6}};
    p.handShape = {{0, 0.4, 0.6}, {1, 0.3, 0.5}};
    p.footShape = {{0, 0.8, 0.8}, {1, 0.6, 0.4}};
    return p;
}

} // namespace

TEST(HumanoidSkeleton, HasTheNamedBonesOfAHumanFigure) {
    Humanoid h = buildHumanoid(simple(2, false, false));
    HumanoidBones b(h.skeleton);
    EXPECT_EQ(b.pelvis, 0);
    EXPECT_EQ(b.spine.size(), 2u);
    EXPECT_EQ(b.hair, -1);
    for (int i = 0; i < 2; ++i) {
        for (int bone : {b.clavicle[i], b.upperarm[i], b.forearm[i], b.hand[i], b.thigh[i],
                         b.shin[i], b.foot[i], b.toe[i]})
            EXPECT_GE(bone, 0);
    }
    EXPECT_EQ(h.skeleton.size(), 1 + 2 + 2 + 2 * 8);
    Humanoid tall = buildHumanoid(simple(3, true, false));
    EXPECT_EQ(tall.skeleton.size(), 1 + 3 + 2 + 1 + 2 * 8);
    EXPECT_GE(HumanoidBones(tall.skeleton).hair, 0);
}

TEST(HumanoidSkeleton, StandsOnItsSolesFacingPlusZWithTheLeftSideAtPlusX) {
    Proportions p = simple(2, false, false);
    Humanoid h = buildHumanoid(p);
    const Skeleton& s = h.skeleton;
    HumanoidBones b(s);
    EXPECT_DOUBLE_EQ(s.bone(b.foot[0]).head.y, p.soleY + p.ankleHeight);
    EXPECT_DOUBLE_EQ(s.bone(b.pelvis).head.y,
                     p.soleY + p.ankleHeight + p.shinLength + p.thighLength + p.pelvisAboveHips);
    EXPECT_GT(s.bone(b.hand[0]).head.x, 0.0);
    EXPECT_LT(s.bone(b.hand[1]).head.x, 0.0);
    EXPECT_GT(s.bone(b.toe[0]).tail.z, s.bone(b.foot[0]).head.z);
    // Legs hang straight down; arms hang down and out.
    EXPECT_DOUBLE_EQ(s.bone(b.thigh[0]).head.x, s.bone(b.foot[0]).head.x);
    EXPECT_LT(s.bone(b.hand[0]).head.y, s.bone(b.upperarm[0]).head.y);
    EXPECT_GT(s.bone(b.hand[0]).head.x, s.bone(b.upperarm[0]).head.x);
}

TEST(HumanoidParts, EveryBoneIsUsedBySomePartAndPartsNameValidBones) {
    for (bool hair : {false, true}) {
        Humanoid h = buildHumanoid(simple(hair ? 3 : 2, hair, !hair));
        std::set<int> used;
        for (const TubeDesc& d : h.parts) {
            ASSERT_FALSE(d.bones.empty()) << d.name;
            ASSERT_EQ(d.joints.size() + 1, d.bones.size()) << d.name;
            for (int bone : d.bones) {
                EXPECT_GE(bone, 0);
                EXPECT_LT(bone, h.skeleton.size());
                used.insert(bone);
            }
            for (const SoftInfluence& e : d.extra)
                used.insert(e.bone);
        }
        EXPECT_EQ(int(used.size()), h.skeleton.size());
    }
}

TEST(HumanoidParts, OptionalPartsFollowTheProportions) {
    auto count = [](const Humanoid& h, PartKind kind) {
        int n = 0;
        for (const TubeDesc& d : h.parts)
            n += d.kind == kind;
        return n;
    };
    Humanoid eared = buildHumanoid(simple(2, false, true));
    Humanoid haired = buildHumanoid(simple(3, true, false));
    EXPECT_EQ(count(eared, PartKind::Ear), 2);
    EXPECT_EQ(count(eared, PartKind::Hair), 0);
    EXPECT_EQ(count(haired, PartKind::Ear), 0);
    EXPECT_EQ(count(haired, PartKind::Hair), 1);
    for (const Humanoid* h : {&eared, &haired}) {
        EXPECT_EQ(count(*h, PartKind::Arm), 2);
        EXPECT_EQ(count(*h, PartKind::Leg), 2);
        EXPECT_EQ(count(*h, PartKind::Foot), 2);
        EXPECT_EQ(count(*h, PartKind::Hand), 2);
        EXPECT_EQ(count(*h, PartKind::Nose), 1);
    }
}

TEST(HumanoidParts, FeetSitOnTheSoles) {
    Proportions p = simple(2, false, false);
    Humanoid h = buildHumanoid(p);
    for (const TubeDesc& d : h.parts) {
        if (d.kind != PartKind::Foot)
            continue;
        Tube tube(d);
        double lowest = 1e9;
        for (double t : tube.ringParameters())
            for (double theta = 0; theta < 2 * kPi; theta += 0.05)
                lowest = std::min(lowest, tube.point(theta, t).y);
        // Sampled every 0.05 rad around: the flat sole is met to within the sampling error.
        EXPECT_GE(lowest, p.soleY - 1e-9);
        EXPECT_NEAR(lowest, p.soleY, 1e-3);
    }
}
