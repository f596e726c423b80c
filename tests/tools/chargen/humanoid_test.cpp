#include "humanoid.h"

#include <algorithm>
#include <set>

#include <gtest/gtest.h>

#include "characters.h"

using namespace chargen;

TEST(Humanoid, HasTheBonesAndPartsItsProportionsAskForAndStandsOnItsSolesFacingPlusZ) {
    // zax has two spine bones and ears, zaphod three spine bones and a hair tuft.
    for (const Character& c : {makeZax(), makeZaphod()}) {
        SCOPED_TRACE(c.name);
        const Skeleton& s = c.body.skeleton;
        const HumanoidBones b(s);
        std::vector<int> parts(9, 0); // by kind: torso, head, arm, hand, leg, foot, nose, ear, hair
        std::set<int> used;
        for (const TubeDesc& d : c.body.parts) {
            ++parts[int(d.kind)];
            used.insert(d.bones.begin(), d.bones.end());
            for (const SoftInfluence& e : d.extra)
                used.insert(e.bone);
        }
        const bool hair = b.hair >= 0;
        EXPECT_EQ(parts, std::vector<int>({1, 1, 2, 2, 2, 2, 1, hair ? 0 : 2, hair ? 1 : 0}));
        // The pelvis (the root), the spine, neck, head, the hair tuft and eight bones a side,
        // every one moving some part, and no part naming a bone that does not exist.
        EXPECT_TRUE(b.pelvis == 0 && b.spine.size() == (hair ? 3u : 2u) &&
                    s.size() == 3 + int(b.spine.size()) + hair + 16 &&
                    used.size() == size_t(s.size()) && *used.begin() == 0 &&
                    *used.rbegin() == s.size() - 1);
        for (int i = 0; i < 2; ++i) { // legs straight down, toes forward, arms down and out
            const double side = i == 0 ? 1.0 : -1.0; // the figure's left at +x
            const V3 &hip = s.bone(b.thigh[i]).head, &ankle = s.bone(b.foot[i]).head,
                     &shoulder = s.bone(b.upperarm[i]).head, &wrist = s.bone(b.hand[i]).head;
            EXPECT_TRUE(hip.x == ankle.x && s.bone(b.toe[i]).tail.z > ankle.z &&
                        wrist.y < shoulder.y && side * wrist.x > side * shoulder.x &&
                        side * shoulder.x > 0.0);
        }
        for (const TubeDesc& d : c.body.parts) { // the feet's flat soles on the floor
            const Tube tube(d);
            double lowest = 1e9;
            for (double t : tube.ringParameters())
                for (double theta = 0; theta < 2 * kPi && d.kind == PartKind::Foot; theta += 0.05)
                    lowest = std::min(lowest, tube.point(theta, t).y);
            EXPECT_TRUE(d.kind != PartKind::Foot ||
                        (lowest > c.soleY - 1e-9 && lowest < c.soleY + 1e-3))
                << lowest;
        }
    }
}
