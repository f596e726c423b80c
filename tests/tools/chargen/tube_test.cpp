#include "tube.h"

#include <gtest/gtest.h>

using namespace chargen;

TEST(MonotoneCubic, PassesThroughItsKnotsFlatAtTheEndsWithoutOvershooting) {
    const std::vector<double> xs{0, 1, 3, 4}, ys{1, 2, 2.5, 0};
    for (size_t i = 0; i < xs.size(); ++i)
        EXPECT_DOUBLE_EQ(monotoneCubic(xs, ys, xs[i]), ys[i]);
    EXPECT_EQ(monotoneCubic(xs, ys, -3), 1.0); // constant outside
    EXPECT_EQ(monotoneCubic(xs, ys, 9), 0.0);
    EXPECT_NEAR(monotoneCubic(xs, ys, 4 - 1e-4), 0.0, 1e-6); // zero slope at the last knot
    for (double x = 0; x <= 3; x += 0.01) // a Catmull-Rom spline overshoots around this step
        EXPECT_LE(std::fabs(monotoneCubic({0, 1, 1.2, 3}, {0, 0, 1, 1}, x) - 0.5), 0.5) << x;
}

TEST(TubeSurface, FollowsTheProfileAroundTheAxisBetweenPolesBeyondItsEndsInsideItsCell) {
    TubeDesc d; // up the y axis over 10, facing +z; at its end the section is off the axis
    d.end = V3(0, 10, 0);
    d.front = V3(0, 0, 1);
    d.profile = {{0, 2.0, 1.0}, {0.5, 3.0, 1.5}, {1, 1.0, 0.5, 0.5, 2.0}};
    const Tube tube(d);
    const std::vector<double> ts = tube.ringParameters(); // pole, cap, body, cap, pole
    ASSERT_EQ(ts.size(), size_t(d.bodyRings + 1 + 2 * d.capRings));
    EXPECT_EQ(ts.front(), 0.0);
    EXPECT_EQ(ts.back(), 1.0);
    EXPECT_NEAR(tube.axial(ts[d.capRings]), 0.0, 1e-12);
    EXPECT_NEAR(tube.axial(ts[d.capRings + d.bodyRings]), 1.0, 1e-12);
    // Halfway: θ = 0 along the side axis U at the half-width, θ = π/2 along the front at the
    // half-depth.
    const double t = ts[d.capRings + d.bodyRings / 2];
    const V3 c = tube.center(t), front = tube.point(0.5 * kPi, t) - c,
             side = tube.point(0.0, t) - c;
    EXPECT_NEAR(c.y, 5.0, 1e-9);
    EXPECT_NEAR(front.z, 1.5, 1e-9);
    EXPECT_NEAR(length(front), 1.5, 1e-9);
    EXPECT_NEAR(length(side), 3.0, 1e-9);
    // The end's section is offset 0.5 along U and 2 along the front.
    const V3 end = tube.center(ts[d.capRings + d.bodyRings]);
    EXPECT_NEAR(end.z, 2.0, 1e-9);
    EXPECT_NEAR(dot(end, tube.axisU()), 0.5, 1e-9);
    // The poles lie beyond the ends, the start pole on the axis.
    const V3 pole = tube.point(1.0, 0.0);
    EXPECT_NEAR(std::hypot(pole.x, pole.z), 0.0, 1e-12);
    EXPECT_LT(pole.y, 0.0);
    EXPECT_GT(tube.point(2.0, 1.0).y, 10.0);
    // Texture coordinates keep a margin inside the cell on every side.
    const UVRect in = uvInside({0.25, 0.5, 0.5, 1.0});
    for (double margin : {in.u0 - 0.25, in.v0 - 0.5, 0.5 - in.u1, 1.0 - in.v1})
        EXPECT_GT(margin, 0.0);
}
