#include "rvmatrix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

namespace {

// Element by element, for vectors and matrices alike.
template <class T> void expectNear(const T& a, const T& b, float tol = 1e-5f) {
    for (std::size_t i = 0; i < sizeof(T) / sizeof(float); ++i)
        EXPECT_NEAR(reinterpret_cast<const float*>(&a)[i], reinterpret_cast<const float*>(&b)[i],
                    tol)
            << "element " << i;
}

// The identity with the listed elements {index, value} set.
using Pattern = std::vector<std::pair<int, float>>;
rvMatrix44 identityWith(const Pattern& set) {
    rvMatrix44 m;
    for (const auto& e : set)
        m.m[e.first] = e.second;
    return m;
}

// A general matrix with no structure that could hide a wrong sign or index; when affine, its
// column 3 is (0, 0, 0, 1).
rvMatrix44 general(int seed, bool affine = false) {
    rvMatrix44 m;
    for (int i = 0, k = seed * 16; i < 16; ++i, ++k)
        m.m[i] = (affine && i % 4 == 3) ? float(i == 15) : 2 * std::sin(0.37f * k * k + k);
    return m;
}

// Parameters of the builder table (its captureless lambdas read them).
const rvVector3 kV(1.5f, -2.0f, 0.5f), kN = rvVector3(2, -1, 2).normalized();
const float kA = 0.9f, kB = -1.3f, kC = std::cos(kA), kS = std::sin(kA);

} // namespace

TEST(Matrix44, IsRowMajorWithElementWiseOperatorsAndAppliesTheLeftFactorFirst) {
    const rvMatrix44 m(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15), t = m.transpose();
    rvMatrix44 acc = m;
    acc += 3.0f * t - m; // 3·transpose
    acc.transposeInPlace();
    acc = acc + m; // 4·m
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(rvMatrix44().m[i], i % 5 == 0 ? 1.0f : 0.0f);
        EXPECT_EQ(m(i / 4, i % 4), static_cast<float>(i));
        EXPECT_EQ(t(i / 4, i % 4), m(i % 4, i / 4));
        EXPECT_EQ(acc.m[i], 4.0f * i);
    }
    // A · B moves a point by A first, for any affine A and B; rvMultiply is the same product.
    const rvMatrix44 a = general(3, true), b = general(4, true);
    const rvVector3 p(3, -1, 2);
    expectNear(rvTransformPoint(p, a * b), rvTransformPoint(rvTransformPoint(p, a), b), 1e-4f);
    rvMatrix44 out;
    rvMultiply(a, b, out);
    expectNear(out, a * b, 0);
}

TEST(Matrix44Inverse, UndoesAGeneralMatrixAndRefusesOnlyAZeroDeterminant) {
    // General, so the sign and place of every cofactor and determinant term matter.
    const rvMatrix44 m = general(4);
    rvMatrix44 inPlace = m;
    ASSERT_TRUE(inPlace.invert());
    expectNear(m * inPlace, rvMatrix44(), 1e-4f);
    expectNear(m.inverse(), inPlace, 0);
    // det = 1e-9 is not exactly 0: no tolerance may refuse it.
    rvMatrix44 tiny = rvScalingMatrix(rvVector3(1e-3f, 1e-3f, 1e-3f));
    ASSERT_TRUE(tiny.invert());
    EXPECT_NEAR(tiny(1, 1), 1000.0f, 0.01f);
    // A zero row; a row that is the sum of two others: the identity, and invert changes nothing.
    for (const rvMatrix44& s : {rvMatrix44(1, 2, 3, 4, 0, 0, 0, 0, 5, 6, 7, 8, 9, 1, 2, 3),
                                rvMatrix44(1, 2, 0, 1, 3, -1, 2, 0, 4, 1, 2, 1, 0, 0, 0, 1)}) {
        expectNear(s.inverse(), rvMatrix44(), 0);
        rvMatrix44 copy = s;
        EXPECT_FALSE(copy.invert());
        expectNear(copy, s, 0);
    }
    // The array form: rows 0–2 built with column 3 zeroed, row 3 kept, then inverted; scale
    // (2, 4, 8) then move (1, 2, 3) is undone by moving back and scaling down.
    const rvVector3 r0(2, 0, 0), r1(0, 4, 0), r2(0, 0, 8);
    rvMatrix44 out[2] = {rvMatrix44(1, 0, 0, 9, 0, 1, 0, 9, 0, 0, 1, 9, 1, 2, 3, 1), m};
    EXPECT_EQ(rvBuildAndInvertMatrices(&r0, &r1, &r2, out, 1), 1);
    expectNear(out[0],
               identityWith(
                   {{0, 0.5f}, {5, 0.25f}, {10, 0.125f}, {12, -0.5f}, {13, -0.5f}, {14, -0.375f}}));
    expectNear(out[1], m, 0); // beyond the count: untouched
}

// A builder and its companion point function, computed independently.
#define BUILDER(builder, point, ...)                                                               \
#point, builder(__VA_ARGS__), [](rvVector3 p) { return point(p, __VA_ARGS__); }

TEST(Matrix44Builders, SetTheirElementsAndAgreeWithTheirPointFunctions) {
    const struct {
        const char* name;
        rvMatrix44 m;
        rvVector3 (*move)(rvVector3);
        Pattern set = {}; // the elements set, when given
    } cases[] = {
        {BUILDER(rvTranslationMatrix, rvTranslatePoint, kV), {{12, kV.x}, {13, kV.y}, {14, kV.z}}},
        {BUILDER(rvScalingMatrix, rvScalePoint, kV), {{0, kV.x}, {5, kV.y}, {10, kV.z}}},
        {BUILDER(rvRotationXMatrix, rvRotatePointX, kA), {{5, kC}, {6, kS}, {9, -kS}, {10, kC}}},
        {BUILDER(rvRotationYMatrix, rvRotatePointY, kA), {{0, kC}, {2, -kS}, {8, kS}, {10, kC}}},
        {BUILDER(rvRotationZMatrix, rvRotatePointZ, kA), {{0, kC}, {1, kS}, {4, -kS}, {5, kC}}},
        {BUILDER(rvShearXMatrix, rvShearPointX, kA, kB), {{1, kA}, {2, kB}}},
        {BUILDER(rvShearYMatrix, rvShearPointY, kA, kB), {{4, kA}, {6, kB}}},
        {BUILDER(rvShearZMatrix, rvShearPointZ, kA, kB), {{8, kA}, {9, kB}}},
        {BUILDER(rvRotationAxisMatrix, rvRotatePointAxis, kN, kA)},
        {BUILDER(rvPlaneProjectionMatrix, rvProjectPointOntoPlane, kN)},
        {BUILDER(rvReflectionMatrix, rvReflectPoint, kN)},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        if (!k.set.empty())
            expectNear(k.m, identityWith(k.set), 1e-6f);
        for (const rvVector3& p : {rvVector3(), rvVector3(1, 0, 0), rvVector3(3, -7, 2)})
            expectNear(k.move(p), rvTransformPoint(p, k.m), 1e-4f);
    }
    // The axis rotation (its two forms share their elements) against Rodrigues' formula:
    // p cos a + (n × p) sin a + n (n·p)(1 − cos a).
    const rvVector3 p(3, -7, 2);
    expectNear(rvRotatePointAxis(p, kN, kA),
               p * kC + kN.cross(p) * kS + kN * (kN.dot(p) * (1 - kC)), 1e-4f);
}

TEST(Matrix44Projection, PerspectiveAndLookAt) {
    // Left-handed, depth 0…1: 1 / tan 30° = √3, m22 = f / (f − n), m32 = −n·f / (f − n).
    expectNear(rvPerspectiveMatrix(kRvPi / 3, 2, 1, 100),
               rvMatrix44(0.8660254f, 0, 0, 0, 0, 1.7320508f, 0, 0, 0, 0, 100.f / 99, 1, 0, 0,
                          -100.f / 99, 0));
    // Right-handed look-at from (0, 0, 5) at the origin: the eye goes to the origin and the
    // origin to (0, 0, −5); left-handed, the view axes x and z are reversed.
    const rvVector3 up(0, 1, 0), eye(0, 0, 5);
    expectNear(rvLookAtRH(eye, rvVector3(), up), identityWith({{14, -5}}), 1e-6f);
    expectNear(rvLookAtLH(eye, rvVector3(), up), identityWith({{0, -1}, {10, -1}, {14, 5}}), 1e-6f);
    // From (3, 0, 4): the view x axis is (0.8, 0, −0.6), so (4, 0, −3) lies 5 to the right.
    const rvMatrix44 side = rvLookAtRH(rvVector3(3, 0, 4), rvVector3(), up);
    expectNear(rvTransformPoint(rvVector3(4, 0, -3), side), rvVector3(5, 0, -5));
    // eye == at: zero axes by the normalisation rule, not NaN.
    expectNear(rvLookAtRH(eye, eye, up), rvMatrix44(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1),
               0);
}

TEST(Matrix33, ProductSarrusAndAxisRotation) {
    const float av[9] = {2, -3, 1, 2, 5, -1, 1, 4, 5}, bv[9] = {1, 0, 2, -1, 3, 1, 0, 2, -2};
    const float product[9] = {5, -7, -1, -3, 13, 11, -3, 22, -4}; // worked by hand
    rvMatrix33 a, b;
    for (int i = 0; i < 9; ++i)
        a.m[i] = av[i], b.m[i] = bv[i];
    EXPECT_EQ(a.determinant(), 94.0f); // 2·29 + 3·11 + 1·3
    const rvMatrix33 ab = a * b, axis = rvRotationAxisMatrix33(kN, kA);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(ab.m[i], product[i]) << i;
        EXPECT_FLOAT_EQ(axis.m[i], rvRotationAxisMatrix(kN, kA)(i / 3, i % 3)) << i;
    }
}
