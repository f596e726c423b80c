#include "tube.h"

#include <gtest/gtest.h>

using namespace chargen;

namespace {

TubeDesc verticalTube() {
    TubeDesc d;
    d.start = V3(0, 0, 0);
    d.end = V3(0, 10, 0);
    d.front = V3(0, 0, 1);
    d.profile = {{0, 2.0, 1.0}, {0.5, 3.0, 1.5}, {1, 1.0, 0.5}};
    d.bones = {0};
    return d;
}

} // namespace

TEST(MonotoneCubic, PassesThroughItsKnotsAndIsFlatAtTheEnds) {
    std::vector<double> xs{0, 1, 3, 4}, ys{1, 2, 2.5, 0};
    for (size_t i = 0; i < xs.size(); ++i)
        EXPECT_DOUBLE_EQ(monotoneCubic(xs, ys, xs[i]), ys[i]);
    EXPECT_NEAR(monotoneCubic(xs, ys, 1e-4), 1.0, 1e-6);
    EXPECT_NEAR(monotoneCubic(xs, ys, 4 - 1e-4), 0.0, 1e-6);
    EXPECT_DOUBLE_EQ(monotoneCubic(xs, ys, -3), 1.0);
    EXPECT_DOUBLE_EQ(monotoneCubic(xs, ys, 9), 0.0);
}

TEST(MonotoneCubic, NeverOvershootsTheKnots) {
    // A step: a Catmull-Rom spline would dip below 0 and rise above 1 around it.
    std::vector<double> xs{0, 1, 1.2, 3}, ys{0, 0, 1, 1};
    for (double x = 0; x <= 3; x += 0.01) {
        double y = monotoneCubic(xs, ys, x);
        EXPECT_GE(y, -1e-12);
        EXPECT_LE(y, 1 + 1e-12);
    }
}

TEST(TubeSurface, SectionsFollowTheProfileAroundTheAxis) {
    Tube tube(verticalTube());
    // θ = 0 along U, θ = π/2 along the front W.
    EXPECT_NEAR(tube.axisW().z, 1.0, 1e-12);
    EXPECT_NEAR(tube.axisT().y, 1.0, 1e-12);
    const TubeDesc& d = tube.desc();
    const double tMid = tube.ringParameters()[d.capRings + d.bodyRings / 2];
    const double f = tube.axial(tMid);
    ASSERT_NEAR(f, 0.5, 1e-12);
    Section s = tube.section(f);
    EXPECT_NEAR(s.a, 3.0, 1e-12);
    EXPECT_NEAR(s.b, 1.5, 1e-12);
    V3 front = tube.point(0.5 * kPi, tMid), side = tube.point(0.0, tMid);
    V3 c = tube.center(tMid);
    EXPECT_NEAR(length(front - c), s.b, 1e-9);
    EXPECT_NEAR(dot(front - c, V3(0, 0, 1)), s.b, 1e-9);
    EXPECT_NEAR(length(side - c), s.a, 1e-9);
    EXPECT_NEAR(c.y, f * 10.0, 1e-9);
}

TEST(TubeSurface, CapsCloseInPolesBeyondTheAxisEnds) {
    Tube tube(verticalTube());
    V3 bottom = tube.point(1.0, 0.0), top = tube.point(2.0, 1.0);
    // Both poles lie on the axis, outside the body, whatever θ.
    EXPECT_NEAR(bottom.x, 0.0, 1e-12);
    EXPECT_NEAR(bottom.z, 0.0, 1e-12);
    EXPECT_LT(bottom.y, 0.0);
    EXPECT_NEAR(top.x, 0.0, 1e-12);
    EXPECT_GT(top.y, 10.0);
    EXPECT_LT(tube.axial(0.0), 0.0);
    EXPECT_GT(tube.axial(1.0), 1.0);
}

TEST(TubeSurface, RingParametersRunFromPoleToPole) {
    TubeDesc d = verticalTube();
    d.bodyRings = 7;
    d.capRings = 3;
    Tube tube(d);
    std::vector<double> ts = tube.ringParameters();
    ASSERT_EQ(ts.size(), size_t(7 + 1 + 2 * 3));
    EXPECT_DOUBLE_EQ(ts.front(), 0.0);
    EXPECT_DOUBLE_EQ(ts.back(), 1.0);
    for (size_t i = 1; i < ts.size(); ++i)
        EXPECT_GT(ts[i], ts[i - 1]);
    // The body rings span the axis from f = 0 to f = 1.
    EXPECT_NEAR(tube.axial(ts[3]), 0.0, 1e-12);
    EXPECT_NEAR(tube.axial(ts[3 + 7]), 1.0, 1e-12);
}

TEST(TubeSurface, FrontOffsetsMoveTheSectionCentre) {
    TubeDesc d = verticalTube();
    d.profile = {{0, 1, 1, 0, 0}, {1, 1, 1, 0.5, 2.0}};
    Tube tube(d);
    V3 c = tube.center(tube.ringParameters()[d.capRings + d.bodyRings]); // f = 1
    EXPECT_NEAR(c.z, 2.0, 1e-9);
    EXPECT_NEAR(dot(c, tube.axisU()), 0.5, 1e-9);
}

TEST(TubeSurface, TextureCellsKeepAMargin) {
    UVRect in = uvInside({0.25, 0.5, 0.5, 1.0});
    EXPECT_GT(in.u0, 0.25);
    EXPECT_LT(in.u1, 0.5);
    EXPECT_GT(in.v0, 0.5);
    EXPECT_LT(in.v1, 1.0);
    EXPECT_NEAR(in.u0 - 0.25, 1.0 - in.v1, 1e-12);
}
