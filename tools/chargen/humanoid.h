// A humanoid figure built from a set of proportions: the skeleton in its bind pose and the
// smooth body parts skinned to it.
//
// Bind pose: standing upright facing +z with the legs straight down and the arms hanging
// outwards (A-pose) in the x–y plane; the figure's left side is +x. Bone names:
//   pelvis (root), spine1 … spineN, neck, head, [hair],
//   clavicle_l, upperarm_l, forearm_l, hand_l, thigh_l, shin_l, foot_l, toe_l, and the same
//   with _r for the right side; with fingers, finger<k>_<j>_l (finger k = 1 … from the front,
//   joint j = 1 … from the hand) on each hand, and with a tail, tail1 … tailN from the pelvis.
#pragma once

#include <string>
#include <vector>

#include "skeleton.h"
#include "tube.h"

namespace chargen {

// A cross-section given at a model-space height (torso, head) or at a fraction of a limb.
struct GirthKnot {
    double at;          // y in model space (torso, head) or fraction along the limb
    double a, b;        // half-width (side) and half-depth (front)
    double forward = 0; // offset of the section's centre towards +z (towards the toes
                        // for the foot, upwards for the nose)
};

struct Proportions {
    double soleY = 0.0;
    // Legs (vertical in the bind pose) and feet.
    double hipHalfWidth = 2.0;
    double ankleHeight = 2.0, shinLength = 8.0, thighLength = 8.0;
    double pelvisAboveHips = 1.0;
    double heelBack = 2.0, ballForward = 4.0, toeLength = 2.0, footHalfWidth = 1.2;
    // Spine joints, as heights above the pelvis joint (two or three of them).
    std::vector<double> spine{2.0, 5.0};
    double neckAbovePelvis = 10.0, headAboveNeck = 1.5, headHeight = 6.0;
    // Arms.
    double shoulderAbovePelvis = 9.0, clavicleInner = 0.8, shoulderHalfWidth = 4.0;
    double upperArm = 5.0, forearm = 5.0, hand = 3.0, armSpread = 0.25; // radians
    // Head extras; 0 leaves the part out. Ears and a hair tuft exclude each other.
    double noseLength = 1.0, noseRadius = 0.5, noseHeight = 0.3; // height as head fraction
    double earLength = 0.0, earRadius = 1.0;
    double hairLength = 0.0, hairRadius = 1.0;
    // Fingers on each hand (0: a mitten), each a chain of fingerJoints bones. A tail (0 joints:
    // none) leaves the back of the pelvis; it takes the hair's atlas cell.
    int fingers = 0, fingerJoints = 3;
    double fingerLength = 2.0, fingerRadius = 0.3;
    int tailJoints = 0;
    double tailLength = 12.0, tailRadius = 1.0, tailRootBack = 3.0;

    // Shapes. Torso and head knots are at model heights (bottom to top), limb knots at
    // fractions from the proximal joint (0) to the distal end (1), foot knots from heel
    // (0) to toe tip (1) with b the half-height.
    std::vector<GirthKnot> torsoShape, headShape, armShape, handShape, legShape, footShape;
    double torsoBottomY = 0.0, torsoTopY = 1.0; // torso axis
    double neckBottomY = 0.0;                   // head part axis starts here, ends at the top
    double torsoSquareness = 2.4;
    // Ring and segment counts: the figure's resolution.
    int torsoRings = 30, headRings = 28, limbRings = 32, around = 24, limbAround = 18;
};

struct Humanoid {
    Skeleton skeleton;
    std::vector<TubeDesc> parts;
};

Humanoid buildHumanoid(const Proportions& p);

// Named bone numbers of a humanoid skeleton (-1 for a bone the figure lacks).
struct HumanoidBones {
    int pelvis, neck, head, hair;
    std::vector<int> spine;
    int clavicle[2], upperarm[2], forearm[2], hand[2], thigh[2], shin[2], foot[2], toe[2];
    // Each finger's joints from the hand out, fingers from the front; the tail from the pelvis.
    std::vector<std::vector<int>> fingers[2];
    std::vector<int> tail;
    // Index 0 is the figure's left side, 1 its right.
    explicit HumanoidBones(const Skeleton& s);
};

} // namespace chargen
