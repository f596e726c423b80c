#include "skeleton.h"

#include <gtest/gtest.h>

#include "rvquaternion.h"

using namespace chargen;

namespace {

// root at y = 10, a chain of two bones up to y = 20, and a side bone.
Skeleton smallSkeleton() {
    Skeleton s;
    s.add("root", -1, V3(0, 10, 0), V3(0, 15, 0));
    s.add("mid", 0, V3(0, 15, 0), V3(0, 20, 0));
    s.add("tip", 1, V3(0, 20, 0), V3(0, 25, 0));
    s.add("side", 0, V3(3, 10, 0), V3(6, 10, 0));
    return s;
}

void expectNear(const V3& a, const V3& b, double eps = 1e-9) {
    EXPECT_NEAR(a.x, b.x, eps);
    EXPECT_NEAR(a.y, b.y, eps);
    EXPECT_NEAR(a.z, b.z, eps);
}

} // namespace

TEST(SkeletonBones, FindsBonesByNameAndKeepsParentsFirst) {
    Skeleton s = smallSkeleton();
    EXPECT_EQ(s.size(), 4);
    EXPECT_EQ(s.find("tip"), 2);
    EXPECT_EQ(s.find("missing"), -1);
    for (int b = 1; b < s.size(); ++b)
        EXPECT_LT(s.bone(b).parent, b);
}

TEST(SkeletonPose, BindPoseLeavesEveryJointWhereItIs) {
    Skeleton s = smallSkeleton();
    Pose pose = bindPose(s);
    std::vector<V3> joints = jointPositions(s, pose);
    for (int b = 0; b < s.size(); ++b)
        expectNear(joints[b], s.bone(b).head);
    for (const Rigid& r : skinTransforms(s, pose))
        expectNear(r.apply(V3(1, 2, 3)), V3(1, 2, 3));
}

TEST(SkeletonPose, ChildrenFollowTheirParentsRotation) {
    Skeleton s = smallSkeleton();
    Pose pose = bindPose(s);
    // The root tips over by 90° about z: the chain above it now points along -x.
    pose.rotation[0] = axisAngle(V3(0, 0, 1), 0.5 * kPi);
    setLocal(s, pose, 1, Quat());
    setLocal(s, pose, 2, axisAngle(V3(0, 0, 1), 0.5 * kPi));
    setLocal(s, pose, 3, Quat());
    std::vector<V3> joints = jointPositions(s, pose);
    expectNear(joints[1], V3(-5, 10, 0));
    expectNear(joints[2], V3(-10, 10, 0));
    expectNear(joints[3], V3(0, 13, 0));
    // The tip bone turned a further 90°: its segment points down.
    std::vector<Rigid> skin = skinTransforms(s, pose);
    expectNear(skin[2].apply(s.bone(2).tail), V3(-10, 5, 0));
    // A bone's transform takes its own bind head to its posed joint.
    for (int b = 0; b < s.size(); ++b)
        expectNear(skin[b].apply(s.bone(b).head), joints[b]);
}

TEST(SkeletonPose, MovingTheRootTranslatesTheWholeChain) {
    Skeleton s = smallSkeleton();
    Pose pose = bindPose(s);
    pose.rootPosition = V3(1, 12, -2);
    std::vector<Rigid> skin = skinTransforms(s, pose);
    for (int b = 0; b < s.size(); ++b)
        expectNear(skin[b].apply(V3(4, 4, 4)), V3(5, 6, 2));
}

TEST(SkeletonPose, KeysReproduceThePoseThroughTheEngineRotationMatrix) {
    // The engine builds a bone matrix from the key's quaternion (row-vector convention) and
    // puts the key's translation in row 3: that must be the same transform.
    Skeleton s = smallSkeleton();
    Pose pose = bindPose(s);
    pose.rotation[0] = axisAngle(V3(1, 2, 0.5), 0.7);
    setLocal(s, pose, 1, axisAngle(V3(0, 0, 1), -0.4));
    setLocal(s, pose, 2, axisAngle(V3(1, 0, 0), 1.1));
    setLocal(s, pose, 3, axisAngle(V3(0, 1, 0), 0.3));
    pose.rootPosition = V3(0.5, 9, 1);
    std::vector<Rigid> skin = skinTransforms(s, pose);
    const V3 p(2, 17, -1);
    for (const Rigid& r : skin) {
        rvMatrix44 m = rvQuaternion(float(r.rotation.w), float(r.rotation.x), float(r.rotation.y),
                                    float(r.rotation.z))
                           .toMatrix();
        m(3, 0) = float(r.translation.x);
        m(3, 1) = float(r.translation.y);
        m(3, 2) = float(r.translation.z);
        rvVector3 q = rvTransformPoint(rvVector3(float(p.x), float(p.y), float(p.z)), m);
        V3 expected = r.apply(p);
        EXPECT_NEAR(q.x, expected.x, 1e-4);
        EXPECT_NEAR(q.y, expected.y, 1e-4);
        EXPECT_NEAR(q.z, expected.z, 1e-4);
    }
}

TEST(SkeletonPose, PosesKeepBoneLengths) {
    Skeleton s = smallSkeleton();
    Pose pose = bindPose(s);
    pose.rotation[0] = axisAngle(V3(1, 1, 0), 0.9);
    setLocal(s, pose, 1, axisAngle(V3(0, 1, 1), -1.3));
    setLocal(s, pose, 2, axisAngle(V3(1, 0, 0), 0.2));
    setLocal(s, pose, 3, axisAngle(V3(0, 0, 1), 2.0));
    std::vector<V3> joints = jointPositions(s, pose);
    for (int b = 1; b < s.size(); ++b) {
        int p = s.bone(b).parent;
        EXPECT_NEAR(length(joints[b] - joints[p]), length(s.bone(b).head - s.bone(p).head), 1e-9);
    }
}
