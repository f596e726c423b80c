// Looping motions of a humanoid skeleton (see humanoid.h for the bone names).
//
// A motion is sampled at `frames` key frames; frame f is at phase 2π·f / frames and every
// curve is periodic over the loop, so the last key blends seamlessly into key 0. The legs are
// posed by two-bone inverse kinematics towards foot targets, so a planted foot stays exactly
// where it was put whatever the pelvis does.
#pragma once

#include <vector>

#include "humanoid.h"
#include "skeleton.h"

namespace chargen {

// A walk on the spot: the stance foot slides back flat on the floor (y = soleY) while the
// other swings forward through the air, arms swinging against the legs.
struct WalkParams {
    double stride = 3.5;     // the feet move ±stride along z
    double lift = 3.0;       // swing height of the ball of the foot
    double stance = 0.56;    // fraction of a step cycle a foot is on the floor
    double heelRaise = 0.35; // radians, at toe-off
    double toeUp = 0.15;     // radians, before heel strike
    double bob = 0.35;       // pelvis rise at mid-stance
    double sway = 0.5;       // pelvis sideways over the stance foot
    double pelvisYaw = 0.12; // radians
    double lean = 0.08;      // forward lean of the spine, radians
    double armSwing = 0.45;  // radians forward/back at the shoulder
    double elbowBend = 0.35; // radians, plus more while the arm is in front
    double kneeReach = 0.96; // the longest leg extension as a fraction of full length
};

// Standing on the spot, weight shifting from foot to foot, waving the right hand above the
// head while the head and the hair tuft follow the rhythm.
struct WaveParams {
    double sway = 0.6;       // pelvis sideways
    double kneeBend = 0.35;  // pelvis drop that keeps the knees soft
    double breathe = 0.04;   // radians of chest pitch
    double armRaise = 2.05;  // radians the waving upper arm lifts away from the side
    double waveAngle = 0.45; // radians of the forearm's side-to-side sweep
    int waves = 3;           // sweeps per loop
    double headTilt = 0.12;  // radians
};

std::vector<Pose> walkCycle(const Skeleton& skeleton, const WalkParams& params, int frames);
// Adds to a looping motion the fingers closing and opening twice per loop, one after the other,
// and a tail swinging from side to side in a wave that runs down it. The hands and the pelvis
// must be posed already.
void curlFingersAndWagTail(const Skeleton& skeleton, std::vector<Pose>* poses);
std::vector<Pose> waveIdle(const Skeleton& skeleton, const WaveParams& params, int frames);

// The knee of a two-bone chain from `hip` towards `ankle` with bone lengths l1 and l2, bent
// towards `pole`. A target out of reach is approached along the straight line (the chain
// stays a little short of full extension).
V3 kneePosition(const V3& hip, const V3& ankle, double l1, double l2, const V3& pole);

} // namespace chargen
