#include "motion.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace chargen {

namespace {

const V3 kX(1, 0, 0), kY(0, 1, 0), kZ(0, 0, 1);

Quat rx(double a) {
    return axisAngle(kX, a);
}
Quat ry(double a) {
    return axisAngle(kY, a);
}
Quat rz(double a) {
    return axisAngle(kZ, a);
}

double fract(double x) {
    return x - std::floor(x);
}

// Poses one leg (side i) so that the ankle reaches `ankle`, with the given global rotations
// of the foot and the toe. The pelvis must already be posed.
void poseLeg(const Skeleton& s, const HumanoidBones& hb, Pose& pose, int i, const V3& ankle,
             const Quat& footRotation, const Quat& toeRotation) {
    const int thigh = hb.thigh[i], shin = hb.shin[i], foot = hb.foot[i];
    const V3 bindThigh = s.bone(shin).head - s.bone(thigh).head;
    const V3 bindShin = s.bone(foot).head - s.bone(shin).head;
    const Quat pelvis = pose.rotation[hb.pelvis];
    const V3 hip = jointPositions(s, pose)[thigh];
    const V3 knee =
        kneePosition(hip, ankle, length(bindThigh), length(bindShin), pelvis.rotate(kZ));
    // Each bone turns from where its parent carried it, so the leg keeps the pelvis's twist.
    const Quat thighRotation = rotationBetween(pelvis.rotate(bindThigh), knee - hip) * pelvis;
    pose.rotation[thigh] = thighRotation;
    const V3 posedKnee = hip + thighRotation.rotate(bindThigh);
    pose.rotation[shin] =
        rotationBetween(thighRotation.rotate(bindShin), ankle - posedKnee) * thighRotation;
    pose.rotation[foot] = footRotation;
    pose.rotation[hb.toe[i]] = toeRotation;
}

// The leg length from hip joint to ankle joint in the bind pose.
double legLength(const Skeleton& s, const HumanoidBones& hb) {
    return s.bone(hb.thigh[0]).head.y - s.bone(hb.foot[0]).head.y;
}

} // namespace

V3 kneePosition(const V3& hip, const V3& ankle, double l1, double l2, const V3& pole) {
    V3 d = ankle - hip;
    double dist = length(d);
    V3 dir = dist > 1e-9 ? d * (1.0 / dist) : V3(0, -1, 0);
    dist = std::clamp(dist, std::fabs(l1 - l2) + 1e-6, (l1 + l2) * 0.99999);
    double c = (l1 * l1 + dist * dist - l2 * l2) / (2.0 * l1 * dist);
    c = std::clamp(c, -1.0, 1.0);
    V3 perp = normalized(pole - dir * dot(pole, dir));
    return hip + dir * (l1 * c) + perp * (l1 * std::sqrt(1.0 - c * c));
}

std::vector<Pose> walkCycle(const Skeleton& s, const WalkParams& w, int frames) {
    assert(frames > 0);
    const HumanoidBones hb(s);
    const double L = legLength(s, hb);
    // Low enough that the leg never has to stretch past kneeReach of its length.
    const double reach = w.kneeReach * L;
    const double drop = L - std::sqrt(reach * reach - (w.stride + 0.5) * (w.stride + 0.5)) + w.bob;
    std::vector<Pose> out;
    for (int f = 0; f < frames; ++f) {
        const double pl = static_cast<double>(f) / frames; // left foot's step phase
        Pose pose = bindPose(s);
        const double mid = w.stance * 0.5; // mid-stance of the left foot
        const double yaw = -w.pelvisYaw * std::cos(2.0 * kPi * pl);
        pose.rootPosition += V3(w.sway * std::cos(2.0 * kPi * (pl - mid)),
                                -drop + w.bob * std::cos(4.0 * kPi * (pl - mid)), 0.0);
        pose.rotation[hb.pelvis] = ry(yaw);
        for (size_t k = 0; k < hb.spine.size(); ++k) {
            double share = 1.0 / hb.spine.size();
            setLocal(s, pose, hb.spine[k], ry(-0.45 * yaw * share) * rx(w.lean * share));
        }
        setLocal(s, pose, hb.neck, rx(-0.5 * w.lean) * ry(0.2 * yaw));
        setLocal(s, pose, hb.head,
                 rx(-0.4 * w.lean + 0.03 * std::sin(4.0 * kPi * pl)) * ry(0.2 * yaw));
        for (int i = 0; i < 2; ++i) {
            const double side = i == 0 ? 1.0 : -1.0;
            // The arm swings with the opposite leg: forward while that foot is in front.
            const double opposite = fract(pl + 0.5 * (1 - i));
            const double a = w.armSwing * std::cos(2.0 * kPi * opposite);
            setLocal(s, pose, hb.clavicle[i], ry(-side * 0.12 * a));
            setLocal(s, pose, hb.upperarm[i], rx(-a) * rz(-side * 0.06));
            setLocal(s, pose, hb.forearm[i],
                     rx(-(w.elbowBend + 0.6 * w.elbowBend * std::max(0.0, a / w.armSwing))));
            setLocal(s, pose, hb.hand[i], rx(-0.12));
        }
        if (hb.hair >= 0)
            setLocal(s, pose, hb.hair, rx(-0.15 * std::sin(4.0 * kPi * pl)));
        for (int i = 0; i < 2; ++i) {
            const double p = fract(pl + 0.5 * i);
            const V3 ball0 = s.bone(hb.toe[i]).head;
            const V3 ankle0 = s.bone(hb.foot[i]).head;
            V3 ball = ball0;
            double pitch, toePitch = 0.0;
            if (p < w.stance) {
                // Flat on the floor sliding back; the heel rises about the ball at the end.
                double u = p / w.stance;
                ball.z += w.stride * (1.0 - 2.0 * u);
                pitch = w.heelRaise * smoothstep(0.7, 1.0, u);
            } else {
                double u = (p - w.stance) / (1.0 - w.stance);
                ball.z += w.stride * (-1.0 + (1.0 - std::cos(kPi * u)));
                ball.y += w.lift * std::sin(kPi * u);
                pitch = w.heelRaise * (1.0 - smoothstep(0.0, 0.55, u)) -
                        w.toeUp * std::sin(kPi * u) * smoothstep(0.2, 1.0, u);
                toePitch = pitch * smoothstep(0.0, 0.4, u);
            }
            const Quat footRotation = rx(pitch);
            const V3 ankle = ball + footRotation.rotate(ankle0 - ball0);
            poseLeg(s, hb, pose, i, ankle, footRotation, rx(toePitch));
        }
        out.push_back(pose);
    }
    return out;
}

std::vector<Pose> waveIdle(const Skeleton& s, const WaveParams& w, int frames) {
    assert(frames > 0);
    const HumanoidBones hb(s);
    std::vector<Pose> out;
    for (int f = 0; f < frames; ++f) {
        const double ph = 2.0 * kPi * f / frames;
        const double wave = std::sin(w.waves * ph);
        Pose pose = bindPose(s);
        pose.rootPosition +=
            V3(w.sway * std::sin(ph), -w.kneeBend - 0.08 * (1.0 - std::cos(2.0 * ph)), 0.0);
        // The hip over the weighted foot rises.
        pose.rotation[hb.pelvis] = rz(0.05 * std::sin(ph));
        for (size_t k = 0; k < hb.spine.size(); ++k) {
            Quat local = rz(-0.06 * std::sin(ph) / hb.spine.size());
            if (k == 1)
                local = rx(w.breathe * std::sin(2.0 * ph)) * local;
            if (k + 1 == hb.spine.size())
                local = ry(-0.08) * rz(-0.03 * wave) * local;
            setLocal(s, pose, hb.spine[k], local);
        }
        setLocal(s, pose, hb.neck, rz(0.04 * std::sin(ph)));
        // The head turns to the waving hand (the figure's right, -x) and tilts in time.
        setLocal(s, pose, hb.head,
                 ry(-0.15) * rz(w.headTilt * std::sin(ph + 0.6)) * rx(0.06 * std::sin(2.0 * ph)));
        if (hb.hair >= 0) {
            // Lags behind the head.
            setLocal(s, pose, hb.hair,
                     rx(-0.22 * std::sin(2.0 * ph - 0.9)) * rz(-0.3 * std::sin(ph - 0.8)));
        }
        // Left arm hanging, swaying a little.
        setLocal(s, pose, hb.clavicle[0], Quat());
        setLocal(s, pose, hb.upperarm[0], rx(-0.08 * std::sin(ph)) * rz(-0.08));
        setLocal(s, pose, hb.forearm[0], rx(-0.3 - 0.06 * std::sin(ph)));
        setLocal(s, pose, hb.hand[0], rx(-0.1));
        // Right arm raised, the forearm sweeping from side to side above the head.
        setLocal(s, pose, hb.clavicle[1], rz(-0.22 - 0.03 * wave));
        setLocal(s, pose, hb.upperarm[1], rz(-w.armRaise - 0.05 * wave) * rx(-0.25));
        const Quat upper = pose.rotation[hb.upperarm[1]];
        const V3 bindFore = s.bone(hb.hand[1]).head - s.bone(hb.forearm[1]).head;
        const double sweep = w.waveAngle * wave;
        const V3 foreDir = normalized(V3(-0.15 + std::sin(sweep), std::cos(sweep), 0.3));
        pose.rotation[hb.forearm[1]] = rotationBetween(upper.rotate(bindFore), foreDir) * upper;
        setLocal(s, pose, hb.hand[1], rz(0.35 * std::sin(w.waves * ph - 0.6)));
        for (int i = 0; i < 2; ++i)
            poseLeg(s, hb, pose, i, s.bone(hb.foot[i]).head, Quat(), Quat());
        out.push_back(pose);
    }
    return out;
}

void curlFingersAndWagTail(const Skeleton& s, std::vector<Pose>* poses) {
    const HumanoidBones hb(s);
    const int frames = static_cast<int>(poses->size());
    for (int f = 0; f < frames; ++f) {
        const double ph = 2.0 * kPi * f / frames;
        Pose& pose = (*poses)[f];
        for (int i = 0; i < 2; ++i) {
            for (size_t k = 0; k < hb.fingers[i].size(); ++k) {
                const std::vector<int>& chain = hb.fingers[i][k];
                // Each joint bends about the axis across the finger and the width of the hand.
                const Bone& first = s.bone(chain.front());
                const V3 axis = normalized(cross(first.tail - first.head, V3(0, 0, 1)));
                const double close = 0.5 - 0.5 * std::cos(2.0 * ph - 0.5 * k);
                for (int b : chain)
                    setLocal(s, pose, b, axisAngle(axis, (i == 0 ? 0.55 : -0.55) * close));
            }
        }
        for (size_t j = 0; j < hb.tail.size(); ++j)
            setLocal(s, pose, hb.tail[j],
                     axisAngle(V3(0, 1, 0), 0.16 * std::sin(ph - 0.45 * j)) *
                         axisAngle(V3(1, 0, 0), 0.03 * std::cos(ph - 0.3 * j)));
    }
}

} // namespace chargen
