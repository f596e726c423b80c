#include "humanoid.h"

#include <gtest/gtest.h>

#include "characters.h"

using namespace chargen;

TEST(Humanoid, HasTheBonesAndPartsItsProportionsAskForWithTheLimbsOfItsBindPose) {
    // zax has two spine bones and ears, zaphod three spine bones and a hair tuft.
    for (const Character& c : {makeZax(), makeZaphod()}) {
        SCOPED_TRACE(c.name);
        const Skeleton& s = c.body.skeleton;
        const HumanoidBones b(s);
        std::vector<int> parts(9, 0); // by kind: torso, head, arm, hand, leg, foot, nose, ear, hair
        for (const TubeDesc& d : c.body.parts)
            ++parts[int(d.kind)];
        const bool hair = b.hair >= 0;
        EXPECT_EQ(parts, std::vector<int>({1, 1, 2, 2, 2, 2, 1, hair ? 0 : 2, hair ? 1 : 0}));
        // The pelvis, the spine, neck, head, the hair tuft and eight bones a side. (That every
        // bone moves some of the skin is checked on the finished characters.)
        EXPECT_EQ(b.spine.size(), hair ? 3u : 2u);
        EXPECT_EQ(s.size(), 3 + int(b.spine.size()) + hair + 16);
        for (int i = 0; i < 2; ++i) { // legs straight down, toes forward, arms down and out
            SCOPED_TRACE(i == 0 ? "left" : "right");
            const double side = i == 0 ? 1.0 : -1.0; // the figure's left at +x
            const V3 &hip = s.bone(b.thigh[i]).head, &ankle = s.bone(b.foot[i]).head,
                     &shoulder = s.bone(b.upperarm[i]).head, &wrist = s.bone(b.hand[i]).head;
            EXPECT_EQ(hip.x, ankle.x);
            EXPECT_GT(s.bone(b.toe[i]).tail.z, ankle.z);
            EXPECT_LT(wrist.y, shoulder.y);
            EXPECT_GT(side * wrist.x, side * shoulder.x);
            EXPECT_GT(side * shoulder.x, 0.0);
        }
    }
}
