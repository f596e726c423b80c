#include "rvrender.h"

#include <cmath>
#include <memory>

#include <gtest/gtest.h>

#include "stubrender.h"

namespace {

class StateRender : public StubRender {
public:
    using rvRender::mStates;
};

rvRenderStates states(bool depth, bool blend, bool cull, bool light, int fill) {
    return rvRenderStates{{depth, blend, cull, light}, fill};
}

void expectStates(const rvRenderStates& actual, const rvRenderStates& expected) {
    for (int i = 0; i < kStateCount; ++i) {
        EXPECT_EQ(actual.flags[i], expected.flags[i]) << "flag " << i;
    }
    EXPECT_EQ(actual.fillMode, expected.fillMode);
}

TEST(RenderStates, ResetStoresTheDefaultFlagsAndTheStackIsLastInFirstOut) {
    StateRender r;
    r.mStates = states(false, true, false, true, kFillWireframe);
    r.resetRenderStates();
    expectStates(r.getRenderStates(), states(true, false, true, false, kFillSolid));
    EXPECT_EQ(r.stateApplications, 0); // stored, not applied
    const rvRenderStates saved[] = {states(true, false, true, false, kFillSolid),
                                    states(false, true, false, true, kFillPoint)};
    for (const rvRenderStates& s : saved) {
        r.mStates = s;
        r.pushRenderStates();
    }
    r.mStates = states(false, false, true, true, kFillSolid);
    for (int i = 1; i >= 0; --i) {
        r.popRenderStates();
        expectStates(r.getRenderStates(), saved[i]);
    }
    // Every pop re-applies the four flags and the fill mode, also on an empty stack, which
    // changes nothing.
    r.popRenderStates();
    expectStates(r.getRenderStates(), saved[0]);
    EXPECT_EQ(r.stateApplications, 3 * kStateCount);
}

// A right-handed perspective with clip depth -w..w (row vectors): the eye looks along -z.
rvMatrix44 clipPerspective(float fovY, float zn, float zf) {
    const float f = 1.0f / std::tan(fovY / 2.0f);
    return rvMatrix44(f, 0, 0, 0, 0, f, 0, 0, 0, 0, (zf + zn) / (zn - zf), -1, 0, 0,
                      2.0f * zf * zn / (zn - zf), 0);
}

TEST(FrustumExtraction, PlanesGiveUnitSignedDistancesPositiveInside) {
    // 90° field, square: side planes at 45° through the eye, near 1, far 100. The point
    // (1, 0.5, -5) lies 4 and 95 inside near and far and (5 ∓ offset) / √2 inside the sides.
    rvFrustum f;
    rvExtractFrustum(clipPerspective(1.5707964f, 1.0f, 100.0f), &f);
    const float s = std::sqrt(2.0f);
    const float expected[6] = {4 / s, 6 / s, 5.5f / s, 4.5f / s, 95.0f, 4.0f};
    for (int p = 0; p < 6; ++p) {
        const float* q = f.planes[p];
        EXPECT_NEAR(q[0] * 1 + q[1] * 0.5f + q[2] * -5 + q[3], expected[p], 1e-2f) << p;
        EXPECT_NEAR(std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2]), 1.0f, 1e-5f) << p;
    }
}

TEST(FrustumExtraction, APlaneWithoutANormalIsLeftUnnormalised) {
    // Columns 0 and 3 agree in rows 0..2, so right = col3 - col0 has no normal.
    const rvMatrix44 m(1, 0, 0, 1, 0, 1, 0, 0, 0, 0, 1, 0, 2, 0, 0, 5);
    rvFrustum f;
    rvExtractFrustum(m, &f);
    const float right[4] = {0, 0, 0, 3}, left[4] = {1, 0, 0, 3.5f}; // left = (2, 0, 0, 7) / 2
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(f.planes[kPlaneRight][i], right[i]);
        EXPECT_FLOAT_EQ(f.planes[kPlaneLeft][i], left[i]);
    }
}

TEST(PrimitiveCount, FollowsTheTable) {
    const int expected[] = {1, 2, 2, 3, 3, 3, 1}; // types -1 to 5
    for (int type = -1; type <= 5; ++type) {
        EXPECT_EQ(getPrimitiveCount(type), expected[type + 1]) << type;
    }
}

TEST(PrimitiveCount, VerticesMakePrimitivesAndBack) {
    struct Row {
        int type, vertices, primitives;
    };
    // Strips share vertices; a partial list primitive is dropped; too few make none.
    const Row rows[] = {{kPointList, 5, 5},     {kLineList, 5, 2},      {kLineStrip, 5, 4},
                        {kLineStrip, 1, 0},     {kTriangleList, 7, 2},  {kTriangleStrip, 5, 3},
                        {kTriangleStrip, 2, 0}, {kTriangleStrip, 0, 0}, {5, 6, -1},
                        {kPointList, -1, -1}};
    for (const Row& r : rows) {
        EXPECT_EQ(rvPrimitivesFrom(r.type, r.vertices), r.primitives)
            << r.type << " " << r.vertices;
        if (r.primitives > 0 && r.type != kLineList && r.type != kTriangleList) {
            EXPECT_EQ(rvVerticesFor(r.type, r.primitives), r.vertices) << r.type;
        }
    }
    EXPECT_EQ(rvVerticesFor(kTriangleList, 2), 6);
    EXPECT_EQ(rvVerticesFor(kTriangleStrip, 0), 0);
    EXPECT_EQ(rvVerticesFor(kTriangleList, 0x7fffffff), -1); // beyond any array
    EXPECT_EQ(rvVerticesFor(-1, 1), -1);
}

class ArrayRender : public StubRender {
public:
    using rvRender::userArrayLength;
};

TEST(Render, UserArrayDrawsReadOnlyWhatTheArraysHold) {
    const float v[12] = {};
    const unsigned short in[4] = {0, 1, 2, 3}, past[3] = {0, 1, 4};
    EXPECT_EQ(ArrayRender::userArrayLength(kTriangleStrip, v, 4, nullptr, 0, 2), 4);
    EXPECT_EQ(ArrayRender::userArrayLength(kTriangleList, v, 4, nullptr, 0, 1), 3);
    EXPECT_EQ(ArrayRender::userArrayLength(kTriangleList, v, 4, nullptr, 0, 0), 0);
    EXPECT_EQ(ArrayRender::userArrayLength(kTriangleList, v, 4, nullptr, 0, 2), -1);
    EXPECT_EQ(ArrayRender::userArrayLength(kTriangleList, nullptr, 4, nullptr, 0, 1), -1);
    EXPECT_EQ(ArrayRender::userArrayLength(kLineList, v, 4, in, 4, 2), 4);
    EXPECT_EQ(ArrayRender::userArrayLength(kLineList, v, 4, in, 3, 2), -1);    // 3 indices
    EXPECT_EQ(ArrayRender::userArrayLength(kLineStrip, v, 4, past, 3, 2), -1); // index 4
    EXPECT_EQ(ArrayRender::userArrayLength(kLineStrip, v, 4, past, 3, 1), 2);  // 4 is not read
    EXPECT_EQ(ArrayRender::userArrayLength(kPointList, v, -1, nullptr, 0, 0), -1);
}

TEST(Render, FrustumAndLookAtUseTheBackEndsTransformsAndColoursPackAsARGB) {
    StubRender r;
    rvVector3 eye(0, 0, 10), at(0, 0, 0), up(0, 1, 0);
    ASSERT_TRUE(r.lookAt(&eye, &at, &up));
    EXPECT_EQ(rvTransformPoint(eye, r.view).z, 0.0f);
    r.projection = clipPerspective(1.5707964f, 1.0f, 100.0f);
    r.updateFrustum();
    EXPECT_NEAR(r.getFrustum().planes[kPlaneNear][3], 9.0f, 1e-4f); // the origin: 9 beyond near
    EXPECT_EQ(r.makeColor(255, 1, 2, 3), 0xFF010203u);
}

TEST(Render, PrimitiveModelsFillAMeshCutToWhatTheEntryHolds) {
    StubRender r;
    r.init(nullptr);
    rvPrimitiveModel model;
    model.geometry.push_back({{0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2}, {0, 0, 1, 0, 0, 1}, 5, 3});
    model.textureName = "grid.bmp";
    rvMesh* out = nullptr;
    rvTexture* texture = r.createMeshFromPrimitive(&model, &out, kTriangleList);
    std::unique_ptr<rvMesh> owner(out);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out->getVertexCount(), 3);
    EXPECT_EQ(static_cast<RecordingMesh*>(out)->indices16, (std::vector<unsigned short>{0, 1, 2}));
    EXPECT_EQ(out->getTexture(), texture);
    EXPECT_STREQ(texture->name, "grid.bmp");
}

} // namespace
