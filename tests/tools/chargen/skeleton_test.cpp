#include "skeleton.h"

#include <gtest/gtest.h>

#include "rvquaternion.h"

using namespace chargen;

TEST(SkeletonPose, ChildrenFollowTheirParentsAndTheKeysWorkAsTheEnginesBoneMatrices) {
    Skeleton s; // the root at y = 10, a chain of two bones above it up to y = 25, a side bone
    s.add("root", -1, V3(0, 10, 0), V3(0, 15, 0));
    s.add("mid", 0, V3(0, 15, 0), V3(0, 20, 0));
    s.add("tip", 1, V3(0, 20, 0), V3(0, 25, 0));
    s.add("side", 0, V3(3, 10, 0), V3(6, 10, 0));
    EXPECT_EQ(s.find("tip"), 2);
    EXPECT_EQ(s.find("missing"), -1);
    Pose pose = bindPose(s);
    for (const Rigid& r : skinTransforms(s, pose)) // the bind pose moves nothing
        EXPECT_LT(length(r.apply(V3(1, 2, 3)) - V3(1, 2, 3)), 1e-12);
    // The root moves and tips over by 90° about z, so the chain above it points along −x; the
    // tip turns a further 90°, so its segment points down; the side bone turns about its joint.
    pose.rootPosition = V3(1, 12, -2);
    pose.rotation[0] = axisAngle(V3(0, 0, 1), 0.5 * kPi);
    setLocal(s, pose, 1, Quat());
    setLocal(s, pose, 2, axisAngle(V3(0, 0, 1), 0.5 * kPi));
    setLocal(s, pose, 3, axisAngle(V3(1, 2, 0.5), 0.7));
    const std::vector<V3> joints = jointPositions(s, pose);
    const std::vector<Rigid> skin = skinTransforms(s, pose);
    const V3 expected[] = {V3(1, 12, -2), V3(-4, 12, -2), V3(-9, 12, -2), V3(1, 15, -2)},
             p(2, 17, -1);
    EXPECT_LT(length(skin[2].apply(s.bone(2).tail) - V3(-9, 7, -2)), 1e-9);
    for (int b = 0; b < 4; ++b) { // a bone's key takes its bind head to its joint
        EXPECT_LT(length(joints[b] - expected[b]), 1e-9) << b;
        EXPECT_LT(length(skin[b].apply(s.bone(b).head) - joints[b]), 1e-9) << b;
        // The engine builds a bone's matrix from the key's quaternion (row-vector convention)
        // with the key's translation in row 3: that must be the same transform.
        const Quat& q = skin[b].rotation;
        rvMatrix44 m = rvQuaternion(float(q.w), float(q.x), float(q.y), float(q.z)).toMatrix();
        m(3, 0) = float(skin[b].translation.x);
        m(3, 1) = float(skin[b].translation.y);
        m(3, 2) = float(skin[b].translation.z);
        const rvVector3 e = rvTransformPoint(rvVector3(float(p.x), float(p.y), float(p.z)), m);
        EXPECT_LT(length(V3(e.x, e.y, e.z) - skin[b].apply(p)), 1e-4) << b;
    }
}
