#include "toolmath.h"

#include <gtest/gtest.h>

#include <random>

using namespace toolmath;

namespace {

// The rotation of q as a matrix: its columns are the turned axes.
Mat4 matrixOf(const Quat& q, const V3& translation = {}) {
    Mat4 m;
    const V3 axes[3] = {q.rotate({1, 0, 0}), q.rotate({0, 1, 0}), q.rotate({0, 0, 1})};
    for (int c = 0; c < 3; ++c) {
        m.m[0][c] = axes[c].x;
        m.m[1][c] = axes[c].y;
        m.m[2][c] = axes[c].z;
    }
    m.m[0][3] = translation.x;
    m.m[1][3] = translation.y;
    m.m[2][3] = translation.z;
    return m;
}

double largestDifference(const Mat4& a, const Mat4& b) {
    double d = 0;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            d = std::max(d, std::abs(a.m[i][j] - b.m[i][j]));
    return d;
}

TEST(ToolMath, MatricesAndQuaternionsAgreeOnRandomRotations) {
    std::mt19937 random(3);
    std::uniform_real_distribution<double> u(-1, 1);
    for (int trial = 0; trial < 200; ++trial) {
        const Quat q = axisAngle({u(random), u(random), u(random) + 1.5}, 3.1 * u(random));
        const V3 t(10 * u(random), 10 * u(random), 10 * u(random));
        const Mat4 rigid = matrixOf(q, t);
        // The quaternion of the matrix is q or −q, the same rotation.
        const Quat back = quaternion(rigid);
        const double sign = back.w * q.w + back.x * q.x + back.y * q.y + back.z * q.z;
        EXPECT_NEAR(std::abs(sign), 1.0, 1e-12);
        const V3 p(u(random), u(random), u(random));
        EXPECT_NEAR(length(point(rigid, p) - (q.rotate(p) + t)), 0.0, 1e-12);

        // Scaled (uniformly, then mirrored along z) and sheared a little: the inverse undoes
        // it, and the nearest rigid transform is the rotation again, translation kept.
        Mat4 scaled = rigid;
        const double s = 0.5 + std::abs(u(random));
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                scaled.m[i][j] *= s;
        EXPECT_LT(largestDifference(inverse(scaled) * scaled, Mat4()), 1e-12);
        EXPECT_LT(largestDifference(nearestRigid(scaled), rigid), 1e-9);
        Mat4 mirrored = rigid;
        for (int i = 0; i < 3; ++i)
            mirrored.m[i][2] = -mirrored.m[i][2];
        EXPECT_LT(det3(mirrored), 0);
        EXPECT_LT(largestDifference(nearestRigid(mirrored), rigid), 1e-9);
        // The normal matrix of a scaled rotation is the rotation over the scale.
        const Mat4 normal = inverseTranspose3(scaled);
        EXPECT_NEAR(length(direction(normal, p) - q.rotate(p) * (1 / s)), 0.0, 1e-12);
    }
    // A singular block has the identity as its normal matrix.
    Mat4 flat;
    flat.m[1][1] = 0;
    EXPECT_EQ(largestDifference(inverseTranspose3(flat), Mat4()), 0.0);
}

} // namespace
