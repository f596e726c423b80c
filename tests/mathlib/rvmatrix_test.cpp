#include "rvmatrix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <utility>

namespace {

const float kHalfPi = kRvPi / 2.0f;

void expectVec(const rvVector3& v, float x, float y, float z, float tol = 1e-5f) {
    EXPECT_NEAR(v.x, x, tol);
    EXPECT_NEAR(v.y, y, tol);
    EXPECT_NEAR(v.z, z, tol);
}

void expectVec(const rvVector3& v, const rvVector3& w, float tol = 1e-5f) {
    expectVec(v, w.x, w.y, w.z, tol);
}

void expectMat(const rvMatrix44& a, const rvMatrix44& b, float tol = 1e-5f) {
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(a.m[i], b.m[i], tol) << "element (" << i / 4 << ", " << i % 4 << ")";
}

bool sameBits(const rvMatrix44& a, const rvMatrix44& b) {
    return std::memcmp(a.m, b.m, sizeof a.m) == 0;
}

// Element (r, c) of `m` must be `v` if (r, c) is listed, that of the identity otherwise.
void expectPattern(const rvMatrix44& m, std::initializer_list<std::pair<int, float>> set) {
    for (int i = 0; i < 16; ++i) {
        float want = (i % 5 == 0) ? 1.0f : 0.0f;
        for (const auto& e : set) {
            if (e.first == i)
                want = e.second;
        }
        EXPECT_FLOAT_EQ(m.m[i], want) << "element (" << i / 4 << ", " << i % 4 << ")";
    }
}

// The determinant by Gaussian elimination in double: an independent reference.
double referenceDet(const float* src, int n) {
    double a[16];
    for (int i = 0; i < n * n; ++i)
        a[i] = src[i];
    double det = 1.0;
    for (int k = 0; k < n; ++k) {
        int p = k;
        for (int r = k + 1; r < n; ++r) {
            if (std::fabs(a[r * n + k]) > std::fabs(a[p * n + k]))
                p = r;
        }
        if (a[p * n + k] == 0.0)
            return 0.0;
        if (p != k) {
            for (int c = 0; c < n; ++c)
                std::swap(a[p * n + c], a[k * n + c]);
            det = -det;
        }
        det *= a[k * n + k];
        for (int r = k + 1; r < n; ++r) {
            const double f = a[r * n + k] / a[k * n + k];
            for (int c = k; c < n; ++c)
                a[r * n + c] -= f * a[k * n + c];
        }
    }
    return det;
}

struct Random {
    std::mt19937 gen{20240521u};
    float uniform(float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(gen); }
    rvVector3 vec(float r) { return rvVector3(uniform(-r, r), uniform(-r, r), uniform(-r, r)); }
    rvVector3 unit() {
        rvVector3 v;
        while (v.length() < 0.1f)
            v = vec(1.0f);
        return v.normalized();
    }
    rvMatrix44 general() {
        rvMatrix44 m;
        for (float& e : m.m)
            e = uniform(-2.0f, 2.0f);
        return m;
    }
    // Scale, rotation and translation with scales away from 0: well conditioned.
    rvMatrix44 affine() {
        const rvVector3 s(uniform(0.5f, 2.0f), uniform(0.5f, 2.0f), uniform(0.5f, 2.0f));
        return rvScalingMatrix(s) * rvRotationAxisMatrix(unit(), uniform(-3.0f, 3.0f)) *
               rvTranslationMatrix(vec(10.0f));
    }
    // Diagonally dominant, with a non-trivial last column: far from singular, not affine.
    rvMatrix44 dominant() {
        rvMatrix44 m = general();
        for (int i = 0; i < 4; ++i)
            m(i, i) += (uniform(0.0f, 1.0f) < 0.5f ? -9.0f : 9.0f);
        return m;
    }
};

} // namespace

// Storage and element access

TEST(Matrix44Layout, DefaultIsIdentityAndStorageIsRowMajor) {
    expectPattern(rvMatrix44(), {});
    const rvMatrix44 m(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_EQ(m(r, c), static_cast<float>(r * 4 + c));
            EXPECT_EQ(m.m[r * 4 + c], m(r, c));
        }
    }
    static_assert(sizeof(rvMatrix44) == 16 * sizeof(float), "16 packed floats");
}

// Arithmetic

TEST(Matrix44Arithmetic, ElementWiseOperators) {
    Random rnd;
    const rvMatrix44 a = rnd.general(), b = rnd.general();
    const rvMatrix44 sum = a + b, diff = a - b, scaled = 2.5f * a;
    rvMatrix44 acc = a;
    EXPECT_EQ(&(acc += b), &acc);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(sum.m[i], a.m[i] + b.m[i]);
        EXPECT_EQ(diff.m[i], a.m[i] - b.m[i]);
        EXPECT_EQ(scaled.m[i], 2.5f * a.m[i]);
        EXPECT_EQ(acc.m[i], sum.m[i]);
    }
}

TEST(Matrix44Arithmetic, ProductIsSumOverInnerIndex) {
    Random rnd;
    const rvMatrix44 a = rnd.general(), b = rnd.general();
    const rvMatrix44 p = a * b;
    rvMatrix44 out;
    rvMultiply(a, b, out);
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            double want = 0.0;
            for (int k = 0; k < 4; ++k)
                want += static_cast<double>(a(r, k)) * b(k, c);
            EXPECT_NEAR(p(r, c), want, 1e-5);
        }
    }
    EXPECT_TRUE(sameBits(p, out));
}

TEST(Matrix44Composition, ProductAppliesLeftOperandFirst) {
    Random rnd;
    for (int i = 0; i < 50; ++i) {
        const rvMatrix44 a = rnd.affine(), b = rnd.affine();
        const rvVector3 p = rnd.vec(5.0f);
        expectVec(rvTransformPoint(p, a * b), rvTransformPoint(rvTransformPoint(p, a), b), 1e-3f);
    }
    // Move to (1, 0, 0), then turn a quarter about Z: ends on the y axis.
    expectVec(rvTransformPoint(rvVector3(), rvTranslationMatrix(rvVector3(1, 0, 0)) *
                                                rvRotationZMatrix(kHalfPi)),
              0, 1, 0);
}

TEST(Matrix44Transpose, CopyAndInPlaceSwapRowsAndColumns) {
    const rvMatrix44 m(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    const rvMatrix44 t = m.transpose();
    rvMatrix44 in = m;
    in.transposeInPlace();
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(t(r, c), m(c, r));
    }
    EXPECT_TRUE(sameBits(t, in));
    EXPECT_EQ(m(1, 2), 6.0f);
}

// Transforming points

TEST(Matrix44TransformPoint, TranslationMovesTheOrigin) {
    expectVec(rvTransformPoint(rvVector3(0, 0, 0), rvTranslationMatrix(rvVector3(1, 2, 3))), 1, 2,
              3, 0);
}

TEST(Matrix44TransformPoint, UsesWOfOneAndNeverDividesByW) {
    rvMatrix44 m = rvTranslationMatrix(rvVector3(1, 2, 3));
    m(0, 3) = 5.0f;
    m(3, 3) = 4.0f;
    expectVec(rvTransformPoint(rvVector3(1, 1, 1), m), 2, 3, 4, 0);
}

// Determinant and cofactors

TEST(Matrix44Determinant, KnownValues) {
    EXPECT_EQ(rvMatrix44().determinant(), 1.0f);
    EXPECT_FLOAT_EQ(rvScalingMatrix(rvVector3(2, 3, 4)).determinant(), 24.0f);
    // Swapping two rows of the identity: an odd permutation.
    const rvMatrix44 swap(0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    EXPECT_EQ(swap.determinant(), -1.0f);
    // A 4-cycle of the rows: odd as well.
    const rvMatrix44 cycle(0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 1, 0, 0, 0);
    EXPECT_EQ(cycle.determinant(), -1.0f);
    // Triangular: the product of the diagonal, whatever lies above it.
    const rvMatrix44 tri(2, 7, -3, 9, 0, -1, 5, 4, 0, 0, 3, 8, 0, 0, 0, 0.5f);
    EXPECT_FLOAT_EQ(tri.determinant(), -3.0f);
    EXPECT_FLOAT_EQ(tri.transpose().determinant(), -3.0f);
}

TEST(Matrix44Determinant, MatchesAnIndependentReference) {
    Random rnd;
    for (int i = 0; i < 200; ++i) {
        const rvMatrix44 m = rnd.general();
        EXPECT_NEAR(m.determinant(), referenceDet(m.m, 4), 1e-4);
    }
}

TEST(Matrix44Determinant, ProductOfDeterminants) {
    Random rnd;
    const rvMatrix44 a = rnd.general(), b = rnd.general();
    const float want = a.determinant() * b.determinant();
    EXPECT_NEAR((a * b).determinant(), want, 1e-4f * (1.0f + std::fabs(want)));
}

TEST(Matrix44Cofactor, ExpansionAlongAnyRowOrColumnGivesTheDeterminant) {
    Random rnd;
    const rvMatrix44 m = rnd.general();
    const float det = m.determinant();
    for (int k = 0; k < 4; ++k) {
        float row = 0.0f, col = 0.0f;
        for (int j = 0; j < 4; ++j) {
            row += m(k, j) * m.cofactor(k, j);
            col += m(j, k) * m.cofactor(j, k);
        }
        EXPECT_NEAR(row, det, 1e-4f) << "row " << k;
        EXPECT_NEAR(col, det, 1e-4f) << "column " << k;
    }
}

TEST(Matrix44Cofactor, SignFollowsRowPlusColumn) {
    // A permutation matrix: each minor is 0 or ±1, so the sign is visible on its own.
    const rvMatrix44 m(1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 0, 0);
    // Minor without row 1 and column 2: rows (1,0,0), (0,0,1), (0,1,0) -> det −1; odd -> +1.
    EXPECT_EQ(m.cofactor(1, 2), 1.0f);
    // Minor without row 0 and column 0: rows (0,1,0), (0,0,1), (1,0,0) -> det 1; even -> 1.
    EXPECT_EQ(m.cofactor(0, 0), 1.0f);
    // Minor without row 3 and column 1: rows (1,0,0), (0,1,0), (0,0,1) -> 1; even -> 1.
    EXPECT_EQ(m.cofactor(3, 1), 1.0f);
    // Minor without row 2 and column 3: rows (1,0,0), (0,0,1), (0,1,0) -> −1; odd -> 1.
    EXPECT_EQ(m.cofactor(2, 3), 1.0f);
    // Minor without row 0 and column 1: rows (0,1,0), (0,0,1), (0,0,0) -> 0.
    EXPECT_EQ(m.cofactor(0, 1), 0.0f);
    // A lone off-diagonal 1 in a scaled identity: cofactor (0, 1) picks up the odd sign.
    const rvMatrix44 s(2, 0, 0, 0, 1, 2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2);
    EXPECT_EQ(s.cofactor(0, 1), -4.0f);
}

// Inversion

TEST(Matrix44Inverse, ZeroRowGivesIdentityAndFailsInPlace) {
    const rvMatrix44 m(1, 2, 3, 4, 0, 0, 0, 0, 5, 6, 7, 8, 9, 1, 2, 3);
    expectPattern(m.inverse(), {});
    rvMatrix44 copy = m;
    EXPECT_FALSE(copy.invert());
    EXPECT_TRUE(sameBits(copy, m));
}

TEST(Matrix44Inverse, DependentRowsAreSingularToo) {
    // Row 2 = row 0 + row 1 with small integers: the determinant is exactly 0.
    rvMatrix44 m(1, 2, 0, 1, 3, -1, 2, 0, 4, 1, 2, 1, 0, 0, 0, 1);
    const rvMatrix44 before = m;
    EXPECT_EQ(m.determinant(), 0.0f);
    EXPECT_FALSE(m.invert());
    EXPECT_TRUE(sameBits(m, before));
}

TEST(Matrix44Inverse, ProductWithInverseIsIdentity) {
    Random rnd;
    for (int i = 0; i < 100; ++i) {
        const rvMatrix44 m = (i % 2) ? rnd.affine() : rnd.dominant();
        const rvMatrix44 inv = m.inverse();
        expectMat(m * inv, rvMatrix44(), 1e-4f);
        expectMat(inv * m, rvMatrix44(), 1e-4f);
        rvMatrix44 inPlace = m;
        EXPECT_TRUE(inPlace.invert());
        EXPECT_TRUE(sameBits(inPlace, inv));
    }
}

TEST(Matrix44Inverse, KnownInverses) {
    expectMat(rvTranslationMatrix(rvVector3(1, -2, 3)).inverse(),
              rvTranslationMatrix(rvVector3(-1, 2, -3)));
    const rvMatrix44 r = rvRotationAxisMatrix(rvVector3(0.6f, 0, 0.8f), 1.2f);
    expectMat(r.inverse(), r.transpose());
}

TEST(Matrix44Inverse, NearlySingularIsStillInverted) {
    // det = 1e-9: small, but not exactly 0, so no tolerance may reject it.
    rvMatrix44 m = rvScalingMatrix(rvVector3(1e-3f, 1e-3f, 1e-3f));
    EXPECT_TRUE(m.invert());
    EXPECT_NEAR(m(0, 0), 1000.0f, 0.01f);
    EXPECT_NEAR(m(2, 2), 1000.0f, 0.01f);
}

// Builders: exact element patterns

TEST(Matrix44Builders, TranslationAndScaling) {
    expectPattern(rvTranslationMatrix(rvVector3(1, 2, 3)), {{12, 1}, {13, 2}, {14, 3}});
    expectPattern(rvScalingMatrix(rvVector3(4, 5, 6)), {{0, 4}, {5, 5}, {10, 6}});
}

TEST(Matrix44Builders, RotationsAboutTheAxes) {
    const float a = 0.7f, c = std::cos(a), s = std::sin(a);
    expectPattern(rvRotationXMatrix(a), {{5, c}, {6, s}, {9, -s}, {10, c}});
    expectPattern(rvRotationYMatrix(a), {{0, c}, {2, -s}, {8, s}, {10, c}});
    expectPattern(rvRotationZMatrix(a), {{0, c}, {1, s}, {4, -s}, {5, c}});
}

TEST(Matrix44Builders, QuarterTurnsFollowTheRightHandRule) {
    expectVec(rvTransformPoint(rvVector3(1, 0, 0), rvRotationZMatrix(kHalfPi)), 0, 1, 0);
    expectVec(rvTransformPoint(rvVector3(0, 1, 0), rvRotationXMatrix(kHalfPi)), 0, 0, 1);
    expectVec(rvTransformPoint(rvVector3(0, 0, 1), rvRotationYMatrix(kHalfPi)), 1, 0, 0);
}

TEST(Matrix44Builders, AxisRotationMatchesTheAxisBuilders) {
    for (float a : {-2.5f, 0.3f, 1.9f}) {
        expectMat(rvRotationAxisMatrix(rvVector3(1, 0, 0), a), rvRotationXMatrix(a));
        expectMat(rvRotationAxisMatrix(rvVector3(0, 1, 0), a), rvRotationYMatrix(a));
        expectMat(rvRotationAxisMatrix(rvVector3(0, 0, 1), a), rvRotationZMatrix(a));
    }
}

TEST(Matrix44Builders, AxisRotationKeepsTheAxisAndIsOrthonormal) {
    Random rnd;
    for (int i = 0; i < 20; ++i) {
        const rvVector3 axis = rnd.unit();
        const rvMatrix44 r = rvRotationAxisMatrix(axis, rnd.uniform(-3.0f, 3.0f));
        expectVec(rvTransformPoint(axis, r), axis);
        expectMat(r * r.transpose(), rvMatrix44());
        EXPECT_NEAR(r.determinant(), 1.0f, 1e-5f);
    }
    // A third of a turn about the diagonal carries x onto y.
    const rvVector3 diag = rvVector3(1, 1, 1).normalized();
    expectVec(rvTransformPoint(rvVector3(1, 0, 0), rvRotationAxisMatrix(diag, 2 * kRvPi / 3)), 0, 1,
              0);
}

TEST(Matrix44Builders, Shears) {
    expectPattern(rvShearXMatrix(2, 3), {{1, 2}, {2, 3}});
    expectPattern(rvShearYMatrix(2, 3), {{4, 2}, {6, 3}});
    expectPattern(rvShearZMatrix(2, 3), {{8, 2}, {9, 3}});
}

TEST(Matrix44Builders, PlaneProjectionAndReflection) {
    const rvVector3 n = rvVector3(1, 2, 2).normalized();
    const rvMatrix44 proj = rvPlaneProjectionMatrix(n);
    const rvMatrix44 refl = rvReflectionMatrix(n);
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            const float nr = (&n.x)[r], nc = (&n.x)[c];
            EXPECT_NEAR(proj(r, c), (r == c ? 1.0f : 0.0f) - nr * nc, 1e-6f);
            EXPECT_NEAR(refl(r, c), (r == c ? 1.0f : 0.0f) - 2 * nr * nc, 1e-6f);
        }
    }
    const rvVector3 p(3, -1, 4);
    EXPECT_NEAR(rvTransformPoint(p, proj).dot(n), 0.0f, 1e-5f);
    expectMat(proj * proj, proj);
    expectMat(refl * refl, rvMatrix44());
    EXPECT_NEAR(refl.determinant(), -1.0f, 1e-5f);
    // The normal is reversed, a vector in the plane kept.
    expectVec(rvTransformPoint(n, refl), n * -1.0f);
    const rvVector3 inPlane(2, -1, 0);
    expectVec(rvTransformPoint(inPlane, refl), inPlane);
}

// Companion point functions agree with their builders

TEST(Matrix44PointFunctions, AgreeWithTheirBuilders) {
    Random rnd;
    for (int i = 0; i < 30; ++i) {
        const rvVector3 p = rnd.vec(10.0f), v = rnd.vec(3.0f), n = rnd.unit(), axis = rnd.unit();
        const float a = rnd.uniform(-4.0f, 4.0f), b = rnd.uniform(-4.0f, 4.0f);
        const float tol = 1e-4f;
        expectVec(rvTranslatePoint(p, v), rvTransformPoint(p, rvTranslationMatrix(v)), tol);
        expectVec(rvScalePoint(p, v), rvTransformPoint(p, rvScalingMatrix(v)), tol);
        expectVec(rvRotatePointX(p, a), rvTransformPoint(p, rvRotationXMatrix(a)), tol);
        expectVec(rvRotatePointY(p, a), rvTransformPoint(p, rvRotationYMatrix(a)), tol);
        expectVec(rvRotatePointZ(p, a), rvTransformPoint(p, rvRotationZMatrix(a)), tol);
        expectVec(rvRotatePointAxis(p, axis, a), rvTransformPoint(p, rvRotationAxisMatrix(axis, a)),
                  tol);
        expectVec(rvShearPointX(p, a, b), rvTransformPoint(p, rvShearXMatrix(a, b)), tol);
        expectVec(rvShearPointY(p, a, b), rvTransformPoint(p, rvShearYMatrix(a, b)), tol);
        expectVec(rvShearPointZ(p, a, b), rvTransformPoint(p, rvShearZMatrix(a, b)), tol);
        expectVec(rvProjectPointOntoPlane(p, n), rvTransformPoint(p, rvPlaneProjectionMatrix(n)),
                  tol);
        expectVec(rvReflectPoint(p, n), rvTransformPoint(p, rvReflectionMatrix(n)), tol);
    }
}

// Projection and view

TEST(Matrix44Perspective, ElementsAndDepthRange) {
    const float fov = kRvPi / 3.0f, aspect = 4.0f / 3.0f, zn = 1.0f, zf = 100.0f;
    const rvMatrix44 m = rvPerspectiveMatrix(fov, aspect, zn, zf);
    const float ys = 1.0f / std::tan(fov / 2.0f);
    EXPECT_NEAR(m(0, 0), ys / aspect, 1e-6f);
    EXPECT_NEAR(m(1, 1), ys, 1e-6f);
    EXPECT_EQ(m(2, 3), 1.0f);
    EXPECT_EQ(m(3, 3), 0.0f);
    for (int i : {1, 2, 3, 4, 6, 7, 8, 9, 12, 13})
        EXPECT_EQ(m.m[i], 0.0f) << "element " << i;
    // Left-handed: depth 0 at the near plane and 1 at the far plane in front (+z).
    for (const std::pair<float, float>& zd : {std::make_pair(zn, 0.0f), std::make_pair(zf, 1.0f)}) {
        const rvVector3 p(0.5f, -0.25f, zd.first);
        const float w = p.x * m(0, 3) + p.y * m(1, 3) + p.z * m(2, 3) + m(3, 3);
        EXPECT_NEAR(rvTransformPoint(p, m).z / w, zd.second, 1e-6f);
    }
}

TEST(Matrix44LookAt, RightHandedMapsEyeToOriginAndLooksDownMinusZ) {
    const rvMatrix44 v = rvLookAtRH(rvVector3(0, 0, 5), rvVector3(0, 0, 0), rvVector3(0, 1, 0));
    expectVec(rvTransformPoint(rvVector3(0, 0, 5), v), 0, 0, 0);
    expectVec(rvTransformPoint(rvVector3(0, 0, 0), v), 0, 0, -5);
    expectVec(rvTransformPoint(rvVector3(1, 0, 0), v), 1, 0, -5);
    expectVec(rvTransformPoint(rvVector3(0, 1, 0), v), 0, 1, -5);
    EXPECT_EQ(v(0, 3) + v(1, 3) + v(2, 3), 0.0f);
    EXPECT_EQ(v(3, 3), 1.0f);
}

TEST(Matrix44LookAt, GeneralViewsKeepDistancesAndCentreTheTarget) {
    Random rnd;
    for (int i = 0; i < 20; ++i) {
        const rvVector3 eye = rnd.vec(20.0f), at = rnd.vec(20.0f);
        const float d = eye.distance(at);
        const rvMatrix44 rh = rvLookAtRH(eye, at, rvVector3(0, 1, 0));
        const rvMatrix44 lh = rvLookAtLH(eye, at, rvVector3(0, 1, 0));
        expectVec(rvTransformPoint(eye, rh), 0, 0, 0, 1e-4f);
        expectVec(rvTransformPoint(at, rh), 0, 0, -d, 1e-4f);
        expectVec(rvTransformPoint(eye, lh), 0, 0, 0, 1e-4f);
        expectVec(rvTransformPoint(at, lh), 0, 0, d, 1e-4f);
        // Up stays up: a point above the eye is above the view centre.
        EXPECT_GT(rvTransformPoint(eye + rvVector3(0, 1, 0), rh).y, 0.0f);
        EXPECT_NEAR(rh.determinant(), 1.0f, 1e-4f);
        EXPECT_NEAR(lh.determinant(), 1.0f, 1e-4f);
    }
}

TEST(Matrix44LookAt, DegenerateInputsGiveZeroAxesNotNaN) {
    const rvMatrix44 same = rvLookAtRH(rvVector3(1, 2, 3), rvVector3(1, 2, 3), rvVector3(0, 1, 0));
    const rvMatrix44 parallel =
        rvLookAtLH(rvVector3(0, 5, 0), rvVector3(0, 0, 0), rvVector3(0, 1, 0));
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(same.m[i], 0.0f) << i;
        EXPECT_FALSE(std::isnan(parallel.m[i])) << i;
    }
    EXPECT_EQ(parallel(0, 0), 0.0f);
    EXPECT_EQ(parallel(1, 2), -1.0f);
}

// Building and inverting arrays of matrices

TEST(Matrix44Arrays, BuildsRowsKeepsRowThreeAndInverts) {
    const rvVector3 r0[2] = {rvVector3(2, 0, 0), rvVector3(0, 1, 0)};
    const rvVector3 r1[2] = {rvVector3(0, 4, 0), rvVector3(-1, 0, 0)};
    const rvVector3 r2[2] = {rvVector3(0, 0, 8), rvVector3(0, 0, 1)};
    rvMatrix44 out[3];
    out[0] = rvTranslationMatrix(rvVector3(1, 2, 3));
    out[2] = rvScalingMatrix(rvVector3(7, 7, 7));
    const rvMatrix44 untouched = out[2];
    EXPECT_EQ(rvBuildAndInvertMatrices(r0, r1, r2, out, 2), 2);
    const rvMatrix44 built0(2, 0, 0, 0, 0, 4, 0, 0, 0, 0, 8, 0, 1, 2, 3, 1);
    expectMat(out[0] * built0, rvMatrix44());
    expectMat(out[0], built0.inverse());
    const rvMatrix44 built1(0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    expectMat(out[1], built1.transpose());
    EXPECT_TRUE(sameBits(out[2], untouched));
}

TEST(Matrix44Arrays, SingularEntryIsLeftAsBuilt) {
    const rvVector3 r0(1, 2, 3), r1(2, 4, 6), r2(0, 0, 1);
    rvMatrix44 out;
    out(0, 3) = 9.0f; // overwritten by the build
    EXPECT_EQ(rvBuildAndInvertMatrices(&r0, &r1, &r2, &out, 1), 1);
    expectPattern(out, {{0, 1}, {1, 2}, {2, 3}, {4, 2}, {5, 4}, {6, 6}, {8, 0}, {9, 0}});
    EXPECT_EQ(rvBuildAndInvertMatrices(&r0, &r1, &r2, &out, 0), 0);
}

// rvMatrix33

TEST(Matrix33, DefaultIsIdentityAndOperatorsAreElementWise) {
    const rvMatrix33 id;
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(id.m[i], i % 4 == 0 ? 1.0f : 0.0f);
    rvMatrix33 a, b;
    for (int i = 0; i < 9; ++i) {
        a.m[i] = static_cast<float>(i);
        b.m[i] = static_cast<float>(2 * i - 5);
    }
    const rvMatrix33 sum = a + b, diff = a - b;
    rvMatrix33 acc = a;
    EXPECT_EQ(&(acc += b), &acc);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(sum.m[i], a.m[i] + b.m[i]);
        EXPECT_EQ(diff.m[i], a.m[i] - b.m[i]);
        EXPECT_EQ(acc.m[i], sum.m[i]);
    }
    EXPECT_EQ(&(acc -= b), &acc);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(acc.m[i], a.m[i]);
}

TEST(Matrix33, ProductAndSarrusDeterminant) {
    rvMatrix33 a;
    const float av[9] = {2, -3, 1, 2, 0, -1, 1, 4, 5};
    std::memcpy(a.m, av, sizeof av);
    EXPECT_FLOAT_EQ(a.determinant(), 49.0f);
    rvMatrix33 b;
    const float bv[9] = {1, 0, 2, -1, 3, 1, 0, 2, -2};
    std::memcpy(b.m, bv, sizeof bv);
    const rvMatrix33 p = a * b;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(p(r, c), a(r, 0) * b(0, c) + a(r, 1) * b(1, c) + a(r, 2) * b(2, c));
    }
    EXPECT_NEAR(p.determinant(), referenceDet(a.m, 3) * referenceDet(b.m, 3), 1e-3);
    Random rnd;
    for (int i = 0; i < 50; ++i) {
        rvMatrix33 m;
        for (float& e : m.m)
            e = rnd.uniform(-3.0f, 3.0f);
        EXPECT_NEAR(m.determinant(), referenceDet(m.m, 3), 1e-4);
    }
}

TEST(Matrix33, RotationsAreTheUpperPartOfThe44Builders) {
    const rvVector3 axis = rvVector3(2, -1, 2).normalized();
    const float a = 1.1f;
    const rvMatrix44 r44[4] = {rvRotationXMatrix(a), rvRotationYMatrix(a), rvRotationZMatrix(a),
                               rvRotationAxisMatrix(axis, a)};
    const rvMatrix33 r33[4] = {rvRotationXMatrix33(a), rvRotationYMatrix33(a),
                               rvRotationZMatrix33(a), rvRotationAxisMatrix33(axis, a)};
    for (int k = 0; k < 4; ++k) {
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c)
                EXPECT_FLOAT_EQ(r33[k](r, c), r44[k](r, c)) << k << ": (" << r << ", " << c << ")";
        }
        EXPECT_NEAR(r33[k].determinant(), 1.0f, 1e-5f);
    }
}
