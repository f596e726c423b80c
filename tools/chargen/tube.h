// A body part as a smooth closed surface: a generalised cylinder around a straight axis with
// a superelliptic cross-section whose radii (and centre offsets) vary smoothly along the
// axis, closed at both ends by rounded caps that meet in a pole.
//
// The surface is parametrised by θ around the axis and t from the start pole (0) to the end
// pole (1). θ = 0 points along the side axis U, θ = π/2 along the front axis W; t runs over
// the start cap, the body and the end cap in proportion to their lengths. The mesh builder
// samples this parametrisation and the painter inverts the part's texture rectangle onto it,
// so both agree on what lies where.
#pragma once

#include <string>
#include <vector>

#include "toolmath.h"

namespace chargen {

using namespace toolmath;

enum class PartKind { Torso, Head, Arm, Hand, Leg, Foot, Nose, Ear, Hair };

// Texture rectangle, in texture coordinates with v = 0 at the top row of the picture.
struct UVRect {
    double u0 = 0.0, v0 = 0.0, u1 = 1.0, v1 = 1.0;
};

// The part of a cell that texture coordinates use: the cell less a margin of about two texels
// of a 512-texel texture on every side, so that filtering never reaches a neighbouring cell.
// The painter fills the whole cell.
UVRect uvInside(const UVRect& cell);

// Cross-section at axial fraction f (0 at the start, 1 at the end): half-widths a (along U)
// and b (along W), and an offset of the section's centre from the axis.
struct ProfileKnot {
    double f = 0.0;
    double a = 1.0, b = 1.0;
    double offU = 0.0, offW = 0.0;
};

// A bone that takes over a soft ellipsoidal region of the part: weight `strength` inside half
// the radii, falling smoothly to 0 at the radii (bind-pose model space).
struct SoftInfluence {
    int bone = 0;
    V3 center;
    V3 radii;
    double strength = 1.0;
};

struct TubeDesc {
    std::string name;
    PartKind kind = PartKind::Torso;
    int side = 0; // +1 the figure's left (+x), -1 its right, 0 on the middle line
    V3 start, end;
    V3 front;                            // direction of W; its component along the axis is ignored
    std::vector<ProfileKnot> profile;    // sorted by f, from f = 0 to f = 1
    double exponent = 2.0;               // 2: ellipse; larger values give boxier sections
    double capStart = 1.0, capEnd = 1.0; // cap length along the axis, relative to the radius
    int segments = 24;                   // vertices around (plus one seam copy)
    int bodyRings = 24;                  // ring intervals between f = 0 and f = 1
    int capRings = 5;                    // ring intervals from a body end to its pole
    // Skin along the axis: bones[k] hands over to bones[k + 1] around f = joints[k], over
    // f ± blend[k]. One bone and no joints make a rigid part.
    std::vector<int> bones;
    std::vector<double> joints, blend;
    std::vector<SoftInfluence> extra;
    UVRect uv;
};

struct Section {
    double a, b, offU, offW;
};

class Tube {
public:
    explicit Tube(const TubeDesc& desc);

    const TubeDesc& desc() const { return mDesc; }
    double axisLength() const { return mLength; }
    const V3& axisT() const { return mT; }
    const V3& axisU() const { return mU; }
    const V3& axisW() const { return mW; }

    // The cross-section at axial fraction f (clamped to [0, 1]).
    Section section(double f) const;
    // Surface point at (θ, t). t = 0 and t = 1 are the poles.
    V3 point(double theta, double t) const;
    // Centre of the cross-section that passes through (·, t).
    V3 center(double t) const;
    // Axial fraction of parameter t: below 0 in the start cap and above 1 in the end cap.
    double axial(double t) const;
    // Ring parameters from pole to pole, both poles included.
    std::vector<double> ringParameters() const;

private:
    TubeDesc mDesc;
    V3 mT, mU, mW;
    double mLength = 0.0;
    double mT0 = 0.0, mT1 = 1.0; // t where the body starts and ends
    double mCap0 = 0.0, mCap1 = 0.0;
};

// Monotone cubic (Fritsch–Carlson) through (xs, ys) with zero slope at the first and last
// knot, constant outside the knots: smooth, and never overshooting the knot values.
double monotoneCubic(const std::vector<double>& xs, const std::vector<double>& ys, double x);

} // namespace chargen
