#include "humanoid.h"

#include <cassert>
#include <cmath>

namespace chargen {

namespace {

const char* const kSide[2] = {"_l", "_r"};
const double kSign[2] = {1.0, -1.0}; // the figure's left is +x

// Atlas cells (v = 0 at the top of the picture).
const UVRect kTorsoCell{0.0, 0.0, 0.5, 0.5};
const UVRect kHeadCell{0.5, 0.0, 1.0, 0.5};
const UVRect kLegCell[2] = {{0.0, 0.5, 0.25, 1.0}, {0.25, 0.5, 0.5, 1.0}};
const UVRect kArmCell[2] = {{0.5, 0.5, 0.625, 1.0}, {0.625, 0.5, 0.75, 1.0}};
const UVRect kFootCell[2] = {{0.75, 0.5, 0.875, 0.75}, {0.875, 0.5, 1.0, 0.75}};
const UVRect kHandCell[2] = {{0.75, 0.75, 0.875, 0.875}, {0.875, 0.75, 1.0, 0.875}};
const UVRect kNoseCell{0.75, 0.875, 0.8125, 1.0};
const UVRect kEarCell[2] = {{0.8125, 0.875, 0.90625, 1.0}, {0.90625, 0.875, 1.0, 1.0}};
const UVRect kHairCell{0.8125, 0.875, 1.0, 1.0}; // the ears' cells: a figure has one or the other

// Knots at model heights become knots at fractions of the axis from y0 to y1.
std::vector<ProfileKnot> heightProfile(const std::vector<GirthKnot>& knots, double y0, double y1) {
    std::vector<ProfileKnot> out;
    for (const GirthKnot& k : knots)
        out.push_back({(k.at - y0) / (y1 - y0), k.a, k.b, 0.0, k.forward});
    return out;
}

std::vector<ProfileKnot> fractionProfile(const std::vector<GirthKnot>& knots) {
    std::vector<ProfileKnot> out;
    for (const GirthKnot& k : knots)
        out.push_back({k.at, k.a, k.b, 0.0, k.forward});
    return out;
}

TubeDesc tube(const std::string& name, PartKind kind, int side, const V3& start, const V3& end,
              const V3& front, std::vector<ProfileKnot> profile, const UVRect& uv) {
    TubeDesc d;
    d.name = name;
    d.kind = kind;
    d.side = side;
    d.start = start;
    d.end = end;
    d.front = front;
    d.profile = std::move(profile);
    d.uv = uv;
    return d;
}

} // namespace

HumanoidBones::HumanoidBones(const Skeleton& s)
    : pelvis(s.find("pelvis")), neck(s.find("neck")), head(s.find("head")), hair(s.find("hair")) {
    for (int k = 1; s.find("spine" + std::to_string(k)) >= 0; ++k)
        spine.push_back(s.find("spine" + std::to_string(k)));
    for (int i = 0; i < 2; ++i) {
        std::string sd = kSide[i];
        clavicle[i] = s.find("clavicle" + sd);
        upperarm[i] = s.find("upperarm" + sd);
        forearm[i] = s.find("forearm" + sd);
        hand[i] = s.find("hand" + sd);
        thigh[i] = s.find("thigh" + sd);
        shin[i] = s.find("shin" + sd);
        foot[i] = s.find("foot" + sd);
        toe[i] = s.find("toe" + sd);
        for (int k = 1; s.find("finger" + std::to_string(k) + "_1" + sd) >= 0; ++k) {
            fingers[i].emplace_back();
            for (int j = 1;; ++j) {
                const int b = s.find("finger" + std::to_string(k) + "_" + std::to_string(j) + sd);
                if (b < 0)
                    break;
                fingers[i].back().push_back(b);
            }
        }
    }
    for (int j = 1; s.find("tail" + std::to_string(j)) >= 0; ++j)
        tail.push_back(s.find("tail" + std::to_string(j)));
}

Humanoid buildHumanoid(const Proportions& p) {
    assert(p.spine.size() >= 2 && p.spine.size() <= 3);
    assert(((p.earLength > 0.0) + (p.hairLength > 0.0) + (p.tailJoints > 0)) <= 1 &&
           "ears, hair and a tail share an atlas cell");
    Humanoid h;
    Skeleton& s = h.skeleton;
    const double ankleY = p.soleY + p.ankleHeight;
    const double kneeY = ankleY + p.shinLength;
    const double hipY = kneeY + p.thighLength;
    const double pelvisY = hipY + p.pelvisAboveHips;
    const double neckY = pelvisY + p.neckAbovePelvis;
    const double headY = neckY + p.headAboveNeck;
    const double topY = headY + p.headHeight;
    const double shoulderY = pelvisY + p.shoulderAbovePelvis;

    // Skeleton.
    int pelvis = s.add("pelvis", -1, V3(0, pelvisY, 0), V3(0, pelvisY + p.spine[0], 0));
    int parent = pelvis;
    std::vector<int> spine;
    for (size_t k = 0; k < p.spine.size(); ++k) {
        double y = pelvisY + p.spine[k];
        double next = k + 1 < p.spine.size() ? pelvisY + p.spine[k + 1] : neckY;
        parent = s.add("spine" + std::to_string(k + 1), parent, V3(0, y, 0), V3(0, next, 0));
        spine.push_back(parent);
    }
    const int chest = spine.back();
    int neck = s.add("neck", chest, V3(0, neckY, 0), V3(0, headY, 0));
    int head = s.add("head", neck, V3(0, headY, 0), V3(0, topY, 0));
    int hair = -1;
    V3 hairStart(0, topY + 0.2 * p.hairRadius, -0.1 * p.headHeight);
    V3 hairEnd = hairStart + V3(0, p.hairLength, -0.45 * p.hairLength);
    if (p.hairLength > 0.0)
        hair = s.add("hair", head, lerp(hairStart, hairEnd, 0.3), hairEnd);

    int upperarm[2], forearm[2], handB[2], clavicle[2], thigh[2], shin[2], foot[2], toe[2];
    V3 shoulder[2], elbow[2], wrist[2], armDir[2];
    for (int i = 0; i < 2; ++i) {
        double x = kSign[i];
        shoulder[i] = V3(x * p.shoulderHalfWidth, shoulderY, 0);
        armDir[i] = V3(x * std::sin(p.armSpread), -std::cos(p.armSpread), 0);
        elbow[i] = shoulder[i] + armDir[i] * p.upperArm;
        wrist[i] = elbow[i] + armDir[i] * p.forearm;
        clavicle[i] = s.add(std::string("clavicle") + kSide[i], chest,
                            V3(x * p.clavicleInner, shoulderY, 0), shoulder[i]);
        upperarm[i] = s.add(std::string("upperarm") + kSide[i], clavicle[i], shoulder[i], elbow[i]);
        forearm[i] = s.add(std::string("forearm") + kSide[i], upperarm[i], elbow[i], wrist[i]);
        handB[i] = s.add(std::string("hand") + kSide[i], forearm[i], wrist[i],
                         wrist[i] + armDir[i] * p.hand);
    }
    // Fingers leave the end of the hand side by side across its width (z), pointing on.
    std::vector<std::vector<int>> fingerBones[2];
    std::vector<V3> fingerBase[2];
    const double palm = p.handShape.empty() ? 1.0 : p.handShape.back().b;
    for (int i = 0; i < 2 && p.fingers > 0; ++i) {
        for (int k = 0; k < p.fingers; ++k) {
            const double across =
                p.fingers > 1 ? 0.75 * palm * (1.0 - 2.0 * k / (p.fingers - 1)) : 0.0;
            const V3 base = wrist[i] + armDir[i] * (0.8 * p.hand) + V3(0, 0, across);
            fingerBase[i].push_back(base);
            fingerBones[i].emplace_back();
            int up = handB[i];
            const double step = p.fingerLength / p.fingerJoints;
            for (int j = 0; j < p.fingerJoints; ++j) {
                const std::string name =
                    "finger" + std::to_string(k + 1) + "_" + std::to_string(j + 1) + kSide[i];
                up = s.add(name, up, base + armDir[i] * (j * step),
                           base + armDir[i] * ((j + 1) * step));
                fingerBones[i].back().push_back(up);
            }
        }
    }
    double ballY = p.soleY + 0.45 * p.ankleHeight;
    for (int i = 0; i < 2; ++i) {
        double x = kSign[i] * p.hipHalfWidth;
        thigh[i] = s.add(std::string("thigh") + kSide[i], pelvis, V3(x, hipY, 0), V3(x, kneeY, 0));
        shin[i] =
            s.add(std::string("shin") + kSide[i], thigh[i], V3(x, kneeY, 0), V3(x, ankleY, 0));
        foot[i] = s.add(std::string("foot") + kSide[i], shin[i], V3(x, ankleY, 0),
                        V3(x, ballY, p.ballForward));
        toe[i] = s.add(std::string("toe") + kSide[i], foot[i], V3(x, ballY, p.ballForward),
                       V3(x, ballY, p.ballForward + p.toeLength));
    }

    // The tail leaves the back of the pelvis, backwards and a little down.
    const V3 tailDir = normalized(V3(0, -0.35, -1));
    const V3 tailRoot(0, pelvisY - 0.5 * p.pelvisAboveHips, -p.tailRootBack);
    std::vector<int> tail;
    for (int j = 0, up = pelvis; j < p.tailJoints; ++j) {
        const double step = p.tailLength / p.tailJoints;
        up = s.add("tail" + std::to_string(j + 1), up, tailRoot + tailDir * (j * step),
                   tailRoot + tailDir * ((j + 1) * step));
        tail.push_back(up);
    }

    // Torso: pelvis and spine bones along the axis, the clavicles over the shoulders and the
    // thighs a little over the hips so that the crotch follows the legs.
    {
        TubeDesc d =
            tube("torso", PartKind::Torso, 0, V3(0, p.torsoBottomY, 0), V3(0, p.torsoTopY, 0),
                 V3(0, 0, 1), heightProfile(p.torsoShape, p.torsoBottomY, p.torsoTopY), kTorsoCell);
        d.exponent = p.torsoSquareness;
        d.segments = p.around + 8;
        d.bodyRings = p.torsoRings;
        d.capStart = 0.5;
        d.capEnd = 0.3;
        const double span = p.torsoTopY - p.torsoBottomY;
        d.bones.push_back(pelvis);
        for (size_t k = 0; k < spine.size(); ++k) {
            d.bones.push_back(spine[k]);
            d.joints.push_back((pelvisY + p.spine[k] - p.torsoBottomY) / span);
            d.blend.push_back(0.07);
        }
        for (int i = 0; i < 2; ++i) {
            d.extra.push_back({clavicle[i], V3(kSign[i] * p.shoulderHalfWidth * 0.85, shoulderY, 0),
                               V3(p.shoulderHalfWidth * 0.75, 0.22 * span, p.shoulderHalfWidth),
                               0.9});
            d.extra.push_back({thigh[i], V3(kSign[i] * p.hipHalfWidth, hipY - 0.5, 0),
                               V3(p.hipHalfWidth * 1.3, 0.26 * span, p.hipHalfWidth * 2.5), 0.35});
        }
        h.parts.push_back(d);
    }
    // Neck and head.
    int headPart = static_cast<int>(h.parts.size());
    {
        TubeDesc d = tube("head", PartKind::Head, 0, V3(0, p.neckBottomY, 0), V3(0, topY, 0),
                          V3(0, 0, 1), heightProfile(p.headShape, p.neckBottomY, topY), kHeadCell);
        d.segments = p.around + 8;
        d.bodyRings = p.headRings;
        d.capStart = 0.3;
        d.capEnd = 0.8;
        const double span = topY - p.neckBottomY;
        d.bones = {chest, neck, head};
        d.joints = {(neckY - p.neckBottomY) / span, (headY - p.neckBottomY) / span};
        d.blend = {0.08, 0.08};
        h.parts.push_back(d);
    }
    const Tube headTube(h.parts[headPart]);
    auto headSection = [&](double y) {
        return headTube.section((y - p.neckBottomY) / (topY - p.neckBottomY));
    };
    if (p.noseLength > 0.0) {
        double y = headY + p.noseHeight * p.headHeight;
        Section hs = headSection(y);
        double front = hs.b + hs.offW;
        TubeDesc d = tube("nose", PartKind::Nose, 0, V3(0, y, front - p.noseRadius),
                          V3(0, y - 0.35 * p.noseLength, front + p.noseLength), V3(0, 1, 0),
                          {{0, p.noseRadius * 0.8, p.noseRadius * 0.7},
                           {0.6, p.noseRadius, p.noseRadius * 0.8},
                           {1, p.noseRadius * 0.8, p.noseRadius * 0.6}},
                          kNoseCell);
        d.segments = 12;
        d.bodyRings = 6;
        d.capRings = 4;
        d.bones = {head};
        h.parts.push_back(d);
    }
    if (p.earLength > 0.0) {
        for (int i = 0; i < 2; ++i) {
            double y = headY + 0.42 * p.headHeight;
            Section hs = headSection(y);
            V3 start(kSign[i] * (hs.a - 0.4 * p.earRadius), y, hs.offW - 0.3 * p.earRadius);
            V3 end = start + V3(kSign[i] * p.earLength, 0.45 * p.earLength, -0.2 * p.earLength);
            TubeDesc d = tube(std::string("ear") + kSide[i], PartKind::Ear, i == 0 ? 1 : -1, start,
                              end, V3(0, 0, 1),
                              {{0, 0.45 * p.earRadius, 0.25 * p.earRadius},
                               {0.5, p.earRadius, 0.3 * p.earRadius},
                               {1, 0.7 * p.earRadius, 0.25 * p.earRadius}},
                              kEarCell[i]);
            d.segments = 14;
            d.bodyRings = 8;
            d.capRings = 4;
            d.bones = {head};
            h.parts.push_back(d);
        }
    }
    if (hair >= 0) {
        TubeDesc d = tube("hair", PartKind::Hair, 0, hairStart, hairEnd, V3(0, 0, 1),
                          {{0, p.hairRadius, p.hairRadius * 0.9},
                           {0.3, p.hairRadius * 0.85, p.hairRadius * 0.7, 0, -0.2 * p.hairRadius},
                           {0.7, p.hairRadius * 0.45, p.hairRadius * 0.4, 0, 0.1 * p.hairRadius},
                           {1, p.hairRadius * 0.12, p.hairRadius * 0.1, 0, 0.6 * p.hairRadius}},
                          kHairCell);
        d.segments = 14;
        d.bodyRings = 12;
        d.capRings = 3;
        d.capEnd = 0.5;
        d.bones = {head, hair};
        d.joints = {0.3};
        d.blend = {0.2};
        h.parts.push_back(d);
    }
    if (!tail.empty()) {
        const V3 start = tailRoot - tailDir * (1.5 * p.tailRadius);
        const double total = p.tailLength + 1.5 * p.tailRadius;
        TubeDesc d =
            tube("tail", PartKind::Hair, 0, start, tailRoot + tailDir * p.tailLength, V3(0, 1, 0),
                 {{0, p.tailRadius, p.tailRadius},
                  {0.5, 0.75 * p.tailRadius, 0.75 * p.tailRadius},
                  {1, 0.35 * p.tailRadius, 0.35 * p.tailRadius}},
                 kHairCell);
        d.segments = 12;
        d.bodyRings = 3 * p.tailJoints;
        d.capRings = 3;
        d.bones = {pelvis};
        for (int j = 0; j < p.tailJoints; ++j) {
            d.bones.push_back(tail[j]);
            d.joints.push_back((1.5 * p.tailRadius + j * p.tailLength / p.tailJoints) / total);
            d.blend.push_back(0.5 / p.tailJoints);
        }
        h.parts.push_back(d);
    }
    // Arms, hands, legs and feet.
    for (int i = 0; i < 2; ++i) {
        int side = i == 0 ? 1 : -1;
        double len = p.upperArm + p.forearm;
        TubeDesc arm = tube(std::string("arm") + kSide[i], PartKind::Arm, side, shoulder[i],
                            wrist[i], V3(0, 0, 1), fractionProfile(p.armShape), kArmCell[i]);
        arm.segments = p.limbAround;
        arm.bodyRings = p.limbRings;
        arm.capStart = 0.9;
        arm.capEnd = 0.5;
        arm.bones = {upperarm[i], forearm[i]};
        arm.joints = {p.upperArm / len};
        arm.blend = {0.12};
        h.parts.push_back(arm);

        TubeDesc hand = tube(std::string("hand") + kSide[i], PartKind::Hand, side,
                             wrist[i] - armDir[i] * (0.2 * p.hand), wrist[i] + armDir[i] * p.hand,
                             V3(0, 0, 1), fractionProfile(p.handShape), kHandCell[i]);
        hand.exponent = 2.4;
        hand.segments = p.limbAround;
        hand.bodyRings = 10;
        hand.capStart = 0.4;
        hand.capEnd = 0.7;
        hand.bones = {forearm[i], handB[i]};
        hand.joints = {0.17};
        hand.blend = {0.08};
        h.parts.push_back(hand);

        // A finger starts inside the hand, which moves its root; its joints bend it.
        for (size_t k = 0; k < fingerBones[i].size(); ++k) {
            const double inside = 0.3 * p.fingerLength, total = inside + p.fingerLength;
            TubeDesc finger = tube("finger" + std::to_string(k + 1) + kSide[i], PartKind::Hand,
                                   side, fingerBase[i][k] - armDir[i] * inside,
                                   fingerBase[i][k] + armDir[i] * p.fingerLength, V3(0, 0, 1),
                                   {{0, p.fingerRadius, p.fingerRadius},
                                    {0.6, 0.9 * p.fingerRadius, 0.9 * p.fingerRadius},
                                    {1, 0.75 * p.fingerRadius, 0.75 * p.fingerRadius}},
                                   kHandCell[i]);
            finger.segments = 8;
            finger.bodyRings = 4 * p.fingerJoints;
            finger.capRings = 3;
            finger.bones = {handB[i]};
            for (int j = 0; j < p.fingerJoints; ++j) {
                finger.bones.push_back(fingerBones[i][k][j]);
                finger.joints.push_back((inside + j * p.fingerLength / p.fingerJoints) / total);
                finger.blend.push_back(0.04);
            }
            h.parts.push_back(finger);
        }
    }
    for (int i = 0; i < 2; ++i) {
        int side = i == 0 ? 1 : -1;
        double x = kSign[i] * p.hipHalfWidth;
        // The leg ends inside the boot, so it needs no share of the foot's motion.
        const double legEnd = ankleY - 0.1 * p.ankleHeight;
        TubeDesc leg =
            tube(std::string("leg") + kSide[i], PartKind::Leg, side, V3(x, hipY, 0),
                 V3(x, legEnd, 0), V3(0, 0, 1), fractionProfile(p.legShape), kLegCell[i]);
        leg.segments = p.limbAround + 2;
        leg.bodyRings = p.limbRings;
        leg.capStart = 0.8;
        leg.capEnd = 0.4;
        leg.bones = {thigh[i], shin[i]};
        leg.joints = {p.thighLength / (hipY - legEnd)};
        leg.blend = {0.17};
        h.parts.push_back(leg);

        double footLen = p.heelBack + p.ballForward + p.toeLength;
        std::vector<ProfileKnot> profile;
        for (const GirthKnot& k : p.footShape)
            profile.push_back({k.at, k.a, k.b, 0.0, k.b}); // sections sit on the sole
        TubeDesc sole =
            tube(std::string("foot") + kSide[i], PartKind::Foot, side, V3(x, p.soleY, -p.heelBack),
                 V3(x, p.soleY, p.ballForward + p.toeLength), V3(0, 1, 0), profile, kFootCell[i]);
        sole.exponent = 2.6;
        sole.segments = p.limbAround + 2;
        sole.bodyRings = 20;
        sole.capStart = 0.5;
        sole.capEnd = 0.6;
        sole.bones = {foot[i], toe[i]};
        sole.joints = {(p.heelBack + p.ballForward) / footLen};
        sole.blend = {0.05};
        h.parts.push_back(sole);
    }
    return h;
}

} // namespace chargen
