#include "rvmatrix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

namespace {

void expectVec(const rvVector3& v, const rvVector3& w, float tol = 1e-5f) {
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR((&v.x)[i], (&w.x)[i], tol) << "component " << i;
}

void expectMat(const rvMatrix44& a, const rvMatrix44& b, float tol = 1e-5f) {
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(a.m[i], b.m[i], tol) << "element (" << i / 4 << ", " << i % 4 << ")";
}

// The listed elements {index, value}; every other element must be that of the identity.
using Pattern = std::vector<std::pair<int, float>>;
void expectPattern(const rvMatrix44& m, const Pattern& set) {
    rvMatrix44 want;
    for (const auto& e : set)
        want.m[e.first] = e.second;
    expectMat(m, want, 1e-6f);
}

// Laplace expansion along the first row, recursively, in double: an independent reference.
double referenceDet(const std::vector<double>& a, int n) {
    double det = (n == 1) ? a[0] : 0.0;
    for (int c = 0; c < n && n > 1; ++c) {
        std::vector<double> minor;
        for (int i = n; i < n * n; ++i) {
            if (i % n != c)
                minor.push_back(a[i]);
        }
        det += (c % 2 ? -a[c] : a[c]) * referenceDet(minor, n - 1);
    }
    return det;
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
const rvVector3 kV(1.5f, -2.0f, 0.5f);
const rvVector3 kN = rvVector3(2, -1, 2).normalized();
const float kA = 0.9f, kB = -1.3f, kC = std::cos(kA), kS = std::sin(kA);

} // namespace

TEST(Matrix44, DefaultIsIdentityStorageIsRowMajorAndOperatorsAreElementWise) {
    expectPattern(rvMatrix44(), {});
    const rvMatrix44 m(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15), t = m.transpose();
    rvMatrix44 acc = m;
    acc += 3.0f * t - m; // 3·transpose
    acc.transposeInPlace();
    acc = acc + m; // 4·m
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(m(i / 4, i % 4), static_cast<float>(i));
        EXPECT_EQ(t(i / 4, i % 4), m(i % 4, i / 4));
        EXPECT_EQ(acc.m[i], 4.0f * i);
    }
}

TEST(Matrix44Transform, TranslationRotationAndComposition) {
    expectVec(rvTransformPoint(rvVector3(), rvTranslationMatrix(rvVector3(1, 2, 3))),
              rvVector3(1, 2, 3), 0);
    expectVec(rvTransformPoint(rvVector3(1, 0, 0), rvRotationZMatrix(kRvPi / 2)),
              rvVector3(0, 1, 0));
    // A · B applies A first, for any affine A and B; rvMultiply is the same product.
    const rvMatrix44 a = general(3, true), b = general(4, true);
    rvMatrix44 out;
    const rvVector3 p(3, -1, 2);
    expectVec(rvTransformPoint(p, a * b), rvTransformPoint(rvTransformPoint(p, a), b), 1e-4f);
    rvMultiply(a, b, out);
    expectMat(out, a * b, 0);
}

TEST(Matrix44Inverse, SingularGivesIdentityAndInvertFailsLeavingItUnchanged) {
    // A zero row; a row that is the sum of two others (the determinant is exactly 0).
    for (const rvMatrix44& m : {rvMatrix44(1, 2, 3, 4, 0, 0, 0, 0, 5, 6, 7, 8, 9, 1, 2, 3),
                                rvMatrix44(1, 2, 0, 1, 3, -1, 2, 0, 4, 1, 2, 1, 0, 0, 0, 1)}) {
        expectPattern(m.inverse(), {});
        rvMatrix44 copy = m;
        EXPECT_FALSE(copy.invert());
        expectMat(copy, m, 0);
    }
}

TEST(Matrix44Inverse, DeterminantMatchesAReferenceAndProductWithTheInverseIsIdentity) {
    // General, so every cofactor's sign and place matters.
    const rvMatrix44 m = general(4);
    EXPECT_NEAR(m.determinant(), referenceDet(std::vector<double>(m.m, m.m + 16), 4), 1e-4);
    rvMatrix44 inPlace = m;
    EXPECT_TRUE(inPlace.invert());
    expectMat(m * inPlace, rvMatrix44(), 1e-4f);
    expectMat(m.inverse(), inPlace, 0);
    // det = 1e-9 is not exactly 0: no tolerance may refuse it.
    rvMatrix44 tiny = rvScalingMatrix(rvVector3(1e-3f, 1e-3f, 1e-3f));
    EXPECT_TRUE(tiny.invert() && std::fabs(tiny(1, 1) - 1000.0f) < 0.01f);
}

// A builder and its companion point function; then either the elements the builder sets or
// where a point must go.
#define BUILDER(builder, point, ...)                                                               \
#point, builder(__VA_ARGS__), [](rvVector3 p) { return point(p, __VA_ARGS__); }

TEST(Matrix44Builders, SetTheirElementsAndAgreeWithTheirPointFunctions) {
    const struct {
        const char* name;
        rvMatrix44 m;
        rvVector3 (*move)(rvVector3);
        Pattern set;
        rvVector3 (*want)(rvVector3) = nullptr;
    } cases[] = {
        {BUILDER(rvTranslationMatrix, rvTranslatePoint, kV), {{12, kV.x}, {13, kV.y}, {14, kV.z}}},
        {BUILDER(rvScalingMatrix, rvScalePoint, kV), {{0, kV.x}, {5, kV.y}, {10, kV.z}}},
        {BUILDER(rvRotationXMatrix, rvRotatePointX, kA), {{5, kC}, {6, kS}, {9, -kS}, {10, kC}}},
        {BUILDER(rvRotationYMatrix, rvRotatePointY, kA), {{0, kC}, {2, -kS}, {8, kS}, {10, kC}}},
        {BUILDER(rvRotationZMatrix, rvRotatePointZ, kA), {{0, kC}, {1, kS}, {4, -kS}, {5, kC}}},
        {BUILDER(rvShearXMatrix, rvShearPointX, kA, kB), {{1, kA}, {2, kB}}},
        {BUILDER(rvShearYMatrix, rvShearPointY, kA, kB), {{4, kA}, {6, kB}}},
        {BUILDER(rvShearZMatrix, rvShearPointZ, kA, kB), {{8, kA}, {9, kB}}},
        // Rodrigues: p cos a + (n × p) sin a + n (n·p)(1 − cos a).
        {BUILDER(rvRotationAxisMatrix, rvRotatePointAxis, kN, kA),
         {},
         [](rvVector3 p) { return p * kC + kN.cross(p) * kS + kN * (kN.dot(p) * (1 - kC)); }},
        {BUILDER(rvPlaneProjectionMatrix, rvProjectPointOntoPlane, kN),
         {},
         [](rvVector3 p) { return p - kN * kN.dot(p); }},
        {BUILDER(rvReflectionMatrix, rvReflectPoint, kN),
         {},
         [](rvVector3 p) { return p - kN * (2 * kN.dot(p)); }},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        if (!k.set.empty())
            expectPattern(k.m, k.set);
        for (const rvVector3& p : {rvVector3(), rvVector3(1, 0, 0), rvVector3(0, 1, 0),
                                   rvVector3(0, 0, 1), rvVector3(3, -7, 2)}) {
            expectVec(k.move(p), rvTransformPoint(p, k.m), 1e-4f);
            if (k.want)
                expectVec(k.move(p), k.want(p), 1e-4f);
        }
    }
}

TEST(Matrix44Projection, PerspectiveAndLookAt) {
    // Left-handed, depth 0…1: 1 / tan 30° = √3, m22 = f / (f − n), m32 = −n·f / (f − n).
    expectMat(rvPerspectiveMatrix(kRvPi / 3, 2, 1, 100),
              rvMatrix44(0.8660254f, 0, 0, 0, 0, 1.7320508f, 0, 0, 0, 0, 100.f / 99, 1, 0, 0,
                         -100.f / 99, 0));
    // Right-handed look-at from (0, 0, 5) at the origin: the eye goes to the origin and the
    // origin to (0, 0, −5); left-handed, the view axes x and z are reversed.
    const rvVector3 up(0, 1, 0), eye(0, 0, 5);
    expectPattern(rvLookAtRH(eye, rvVector3(), up), {{14, -5}});
    expectPattern(rvLookAtLH(eye, rvVector3(), up), {{0, -1}, {10, -1}, {14, 5}});
    // From (3, 0, 4): the view x axis is (0.8, 0, −0.6), so (4, 0, −3) lies 5 to the right.
    const rvMatrix44 side = rvLookAtRH(rvVector3(3, 0, 4), rvVector3(), up);
    expectVec(rvTransformPoint(rvVector3(4, 0, -3), side), rvVector3(5, 0, -5));
    // eye == at: zero axes by the normalisation rule, not NaN.
    const rvMatrix44 same = rvLookAtRH(eye, eye, up);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(same.m[i], 0.0f) << i;
}

TEST(Matrix44Arrays, BuildRowsKeepRowThreeAndInvert) {
    const rvVector3 r0(2, 0, 0), r1(0, 4, 0), r2(0, 0, 8);
    // Column 3 of out[0] is overwritten by the build, row 3 kept.
    rvMatrix44 out[2] = {rvMatrix44(1, 0, 0, 9, 0, 1, 0, 9, 0, 0, 1, 9, 1, 2, 3, 1),
                         rvScalingMatrix(kV)};
    EXPECT_EQ(rvBuildAndInvertMatrices(&r0, &r1, &r2, out, 1), 1);
    // Scale (2, 4, 8) then move (1, 2, 3): undone by moving back and scaling down.
    expectPattern(out[0],
                  {{0, 0.5f}, {5, 0.25f}, {10, 0.125f}, {12, -0.5f}, {13, -0.5f}, {14, -0.375f}});
    expectPattern(out[1], {{0, kV.x}, {5, kV.y}, {10, kV.z}}); // beyond the count: untouched
}

TEST(Matrix33, IdentityOperatorsSarrusAndRotationBuilders) {
    const float av[9] = {2, -3, 1, 2, 5, -1, 1, 4, 5}, bv[9] = {1, 0, 2, -1, 3, 1, 0, 2, -2};
    const float product[9] = {5, -7, -1, -3, 13, 11, -3, 22, -4}; // worked by hand
    rvMatrix33 a, b;
    for (int i = 0; i < 9; ++i)
        a.m[i] = av[i], b.m[i] = bv[i];
    EXPECT_NEAR(a.determinant(), referenceDet(std::vector<double>(av, av + 9), 3), 1e-5);
    const std::pair<rvMatrix33, rvMatrix44> rotations[] = {
        {rvRotationXMatrix33(kA), rvRotationXMatrix(kA)},
        {rvRotationYMatrix33(kA), rvRotationYMatrix(kA)},
        {rvRotationZMatrix33(kA), rvRotationZMatrix(kA)},
        {rvRotationAxisMatrix33(kN, kA), rvRotationAxisMatrix(kN, kA)}};
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(rvMatrix33().m[i], i % 4 == 0 ? 1.0f : 0.0f);
        EXPECT_EQ((a * b).m[i], product[i]);
        EXPECT_EQ(((a + b) -= a).m[i], bv[i]);
        EXPECT_EQ(((a - b) += b).m[i], av[i]);
        for (const auto& r : rotations) // the upper part of the 4×4 builder
            EXPECT_FLOAT_EQ(r.first.m[i], r.second(i / 3, i % 3)) << i;
    }
}
