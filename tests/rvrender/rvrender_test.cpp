#include "rvrender.h"

#include <cmath>

#include <gtest/gtest.h>

#include "stubrender.h"

namespace {

// Opens the shared state helpers of the base class to the tests.
class StateRender : public StubRender {
public:
    using rvRender::mSavedStates;
    using rvRender::mStates;
    using rvRender::popStateRecord;
    using rvRender::pushStateRecord;
    using rvRender::resetStateFlags;
};

void setStates(StateRender& r, bool depth, bool blend, bool cull, bool light, int fill) {
    r.mStates.flags[kStateDepthTest] = depth;
    r.mStates.flags[kStateBlend] = blend;
    r.mStates.flags[kStateCull] = cull;
    r.mStates.flags[kStateLighting] = light;
    r.mStates.fillMode = fill;
}

void expectStates(const rvRenderStates& s, bool depth, bool blend, bool cull, bool light,
                  int fill) {
    EXPECT_EQ(s.flags[kStateDepthTest], depth);
    EXPECT_EQ(s.flags[kStateBlend], blend);
    EXPECT_EQ(s.flags[kStateCull], cull);
    EXPECT_EQ(s.flags[kStateLighting], light);
    EXPECT_EQ(s.fillMode, fill);
}

TEST(RenderConstruction, StartsCleared) {
    StateRender r;
    expectStates(r.getRenderStates(), false, false, false, false, 0);
    EXPECT_EQ(r.getWindow(), nullptr);
    for (const auto& plane : r.getFrustum().planes) {
        for (float v : plane) {
            EXPECT_EQ(v, 0.0f);
        }
    }
    EXPECT_TRUE(r.mSavedStates.empty());
}

TEST(RenderStateFlags, ResetStoresDefaultsAndKeepsFillMode) {
    StateRender r;
    setStates(r, false, true, false, true, kFillWireframe);
    r.resetStateFlags();
    expectStates(r.getRenderStates(), true, false, true, false, kFillWireframe);
}

TEST(RenderStateStack, PopRestoresPushedRecord) {
    StateRender r;
    setStates(r, true, false, true, false, kFillSolid);
    r.pushStateRecord();
    setStates(r, false, true, false, true, kFillPoint);
    EXPECT_TRUE(r.popStateRecord());
    expectStates(r.getRenderStates(), true, false, true, false, kFillSolid);
    EXPECT_TRUE(r.mSavedStates.empty());
}

TEST(RenderStateStack, TwoPushesAChangeAndTwoPopsRestoreTheStart) {
    StateRender r;
    setStates(r, true, false, true, false, kFillSolid);
    r.pushStateRecord();
    setStates(r, true, true, true, false, kFillSolid);
    r.pushStateRecord();
    setStates(r, false, true, false, true, kFillWireframe);

    ASSERT_TRUE(r.popStateRecord());
    expectStates(r.getRenderStates(), true, true, true, false, kFillSolid);
    ASSERT_TRUE(r.popStateRecord());
    expectStates(r.getRenderStates(), true, false, true, false, kFillSolid);
}

TEST(RenderStateStack, DeepNestingIsLastInFirstOut) {
    StateRender r;
    const int depth = 200;
    for (int i = 0; i < depth; ++i) {
        setStates(r, i % 2 == 0, i % 3 == 0, i % 5 == 0, i % 7 == 0, i);
        r.pushStateRecord();
    }
    for (int i = depth - 1; i >= 0; --i) {
        ASSERT_TRUE(r.popStateRecord());
        expectStates(r.getRenderStates(), i % 2 == 0, i % 3 == 0, i % 5 == 0, i % 7 == 0, i);
    }
    EXPECT_FALSE(r.popStateRecord());
}

TEST(RenderStateStack, PopOnEmptyStackChangesNothing) {
    StateRender r;
    setStates(r, false, true, true, false, kFillWireframe);
    EXPECT_FALSE(r.popStateRecord());
    expectStates(r.getRenderStates(), false, true, true, false, kFillWireframe);
}

TEST(RenderStateStack, StubPopOnEmptyStackReappliesTheFlags) {
    StateRender r;
    setStates(r, true, true, false, false, kFillSolid);
    r.popRenderStates();
    EXPECT_EQ(r.stateApplications, kStateCount);
    expectStates(r.getRenderStates(), true, true, false, false, kFillSolid);
}

TEST(PrimitiveCount, FollowsTheTable) {
    EXPECT_EQ(getPrimitiveCount(kPointList), 2);
    EXPECT_EQ(getPrimitiveCount(kLineList), 2);
    EXPECT_EQ(getPrimitiveCount(kLineStrip), 3);
    EXPECT_EQ(getPrimitiveCount(kTriangleList), 3);
    EXPECT_EQ(getPrimitiveCount(kTriangleStrip), 3);
    EXPECT_EQ(getPrimitiveCount(-1), 1);
    EXPECT_EQ(getPrimitiveCount(5), 1);
    EXPECT_EQ(getPrimitiveCount(7), 1);
}

// A right-handed perspective with clip depth −w…w (row vectors): the eye looks along −z and
// the six clip planes are exactly the view volume's faces.
rvMatrix44 clipPerspective(float fovY, float aspect, float zn, float zf) {
    const float f = 1.0f / std::tan(fovY / 2.0f);
    return rvMatrix44(f / aspect, 0, 0, 0, 0, f, 0, 0, 0, 0, (zf + zn) / (zn - zf), -1, 0, 0,
                      2.0f * zf * zn / (zn - zf), 0);
}

float signedDistance(const float* plane, float x, float y, float z) {
    return plane[0] * x + plane[1] * y + plane[2] * z + plane[3];
}

const float kPi = 3.1415927f;

TEST(FrustumExtraction, PlanesAreUnitLength) {
    rvFrustum f;
    const rvMatrix44 wvp = rvTranslationMatrix(rvVector3(3, -2, 7)) * rvRotationYMatrix(0.4f) *
                           clipPerspective(1.0f, 1.6f, 0.5f, 300.0f);
    rvExtractFrustum(wvp, &f);
    for (const auto& plane : f.planes) {
        const float len =
            std::sqrt(plane[0] * plane[0] + plane[1] * plane[1] + plane[2] * plane[2]);
        EXPECT_NEAR(len, 1.0f, 1e-5f);
    }
}

TEST(FrustumExtraction, DistancesOfAKnownVolume) {
    // 90° vertical field, square aspect: the side planes are at 45° through the eye.
    const float zn = 1.0f;
    const float zf = 100.0f;
    rvFrustum f;
    rvExtractFrustum(clipPerspective(kPi / 2.0f, 1.0f, zn, zf), &f);

    // (1, 0.5, −5): 5 − zn from the near plane, zf − 5 from the far one, and
    // (depth ∓ offset) / √2 from the side planes.
    const float s = std::sqrt(2.0f);
    EXPECT_NEAR(signedDistance(f.planes[kPlaneNear], 1, 0.5f, -5), 5.0f - zn, 1e-3f);
    EXPECT_NEAR(signedDistance(f.planes[kPlaneFar], 1, 0.5f, -5), zf - 5.0f, 1e-2f);
    EXPECT_NEAR(signedDistance(f.planes[kPlaneRight], 1, 0.5f, -5), (5.0f - 1.0f) / s, 1e-4f);
    EXPECT_NEAR(signedDistance(f.planes[kPlaneLeft], 1, 0.5f, -5), (5.0f + 1.0f) / s, 1e-4f);
    EXPECT_NEAR(signedDistance(f.planes[kPlaneTop], 1, 0.5f, -5), (5.0f - 0.5f) / s, 1e-4f);
    EXPECT_NEAR(signedDistance(f.planes[kPlaneBottom], 1, 0.5f, -5), (5.0f + 0.5f) / s, 1e-4f);
}

TEST(FrustumExtraction, EachPlaneRejectsThePointsBeyondIt) {
    rvFrustum f;
    rvExtractFrustum(clipPerspective(kPi / 2.0f, 1.0f, 1.0f, 100.0f), &f);
    struct Case {
        int plane;
        float x, y, z;
    };
    const Case outside[] = {
        {kPlaneRight, 6, 0, -5},   {kPlaneLeft, -6, 0, -5}, {kPlaneTop, 0, 6, -5},
        {kPlaneBottom, 0, -6, -5}, {kPlaneFar, 0, 0, -101}, {kPlaneNear, 0, 0, -0.5f},
    };
    for (const Case& c : outside) {
        for (int p = 0; p < 6; ++p) {
            const float d = signedDistance(f.planes[p], c.x, c.y, c.z);
            if (p == c.plane) {
                EXPECT_LT(d, 0.0f) << "plane " << p;
            } else {
                EXPECT_GT(d, 0.0f) << "plane " << p << " for a point beyond plane " << c.plane;
            }
        }
    }
}

TEST(FrustumExtraction, AgreesWithTheClipSpaceTestUnderAWorldTransform) {
    const rvMatrix44 wvp = rvTranslationMatrix(rvVector3(-2, 1, -10)) * rvRotationXMatrix(0.3f) *
                           clipPerspective(1.0f, 1.33f, 1.0f, 50.0f);
    rvFrustum f;
    rvExtractFrustum(wvp, &f);
    int inside = 0;
    for (int i = -6; i <= 6; ++i) {
        for (int j = -6; j <= 6; ++j) {
            for (int k = -8; k <= 8; ++k) {
                const float p[4] = {i * 1.7f, j * 1.3f, k * 4.1f, 1.0f};
                float clip[4] = {0, 0, 0, 0};
                for (int c = 0; c < 4; ++c) {
                    for (int r = 0; r < 4; ++r) {
                        clip[c] += p[r] * wvp(r, c);
                    }
                }
                const float w = clip[3];
                const bool inClip = clip[0] >= -w && clip[0] <= w && clip[1] >= -w &&
                                    clip[1] <= w && clip[2] >= -w && clip[2] <= w;
                bool inPlanes = true;
                for (const auto& plane : f.planes) {
                    inPlanes = inPlanes && signedDistance(plane, p[0], p[1], p[2]) >= 0.0f;
                }
                EXPECT_EQ(inPlanes, inClip) << p[0] << ", " << p[1] << ", " << p[2];
                inside += inClip ? 1 : 0;
            }
        }
    }
    EXPECT_GT(inside, 0); // the grid must reach into the volume to be a test at all
}

TEST(FrustumExtraction, PlaneWithoutNormalIsLeftUnnormalised) {
    // Column 0 equals column 3 in the rows 0..2, so right = col3 − col0 has no normal.
    const rvMatrix44 m(1, 0, 0, 1, 0, 1, 0, 0, 0, 0, 1, 0, 2, 0, 0, 5);
    rvFrustum f;
    rvExtractFrustum(m, &f);
    EXPECT_EQ(f.planes[kPlaneRight][0], 0.0f);
    EXPECT_EQ(f.planes[kPlaneRight][1], 0.0f);
    EXPECT_EQ(f.planes[kPlaneRight][2], 0.0f);
    EXPECT_EQ(f.planes[kPlaneRight][3], 3.0f);
    // left = col3 + col0 = (2, 0, 0, 7) → (1, 0, 0, 3.5)
    EXPECT_FLOAT_EQ(f.planes[kPlaneLeft][0], 1.0f);
    EXPECT_FLOAT_EQ(f.planes[kPlaneLeft][3], 3.5f);
    for (const auto& plane : f.planes) {
        for (float v : plane) {
            EXPECT_TRUE(std::isfinite(v));
        }
    }
}

TEST(FrustumExtraction, ZeroMatrixGivesZeroPlanes) {
    rvMatrix44 zero;
    for (float& v : zero.m) {
        v = 0.0f;
    }
    rvFrustum f;
    rvExtractFrustum(zero, &f);
    for (const auto& plane : f.planes) {
        for (float v : plane) {
            EXPECT_EQ(v, 0.0f);
        }
    }
}

} // namespace
