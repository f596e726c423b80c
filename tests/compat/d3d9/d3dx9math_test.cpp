// D3DX math: projections land points where Direct3D's clip space puts them, products apply
// their left factor first, and projecting and unprojecting through a viewport are inverses.
#include <gtest/gtest.h>

#include "d3dx9math.h"

namespace {

constexpr float kEps = 1e-5f;

D3DXVECTOR3 transformCoord(const D3DXVECTOR3& v, const D3DXMATRIX& m) {
    D3DXVECTOR3 out;
    D3DXVec3TransformCoord(&out, &v, &m);
    return out;
}

TEST(D3DXMath, PerspectiveFovRHMapsViewDepthsToZeroToOne) {
    const float zn = 2.0f, zf = 10.0f, aspect = 2.0f;
    D3DXMATRIX proj;
    D3DXMatrixPerspectiveFovRH(&proj, D3DX_PI / 2, aspect, zn, zf); // cot(fovy/2) = 1
    D3DXVECTOR4 clip;
    const D3DXVECTOR3 p(1.0f, 0.5f, -5.0f);
    D3DXVec3Transform(&clip, &p, &proj);
    EXPECT_NEAR(clip.w, 5.0f, kEps); // w = -z_view
    const D3DXVECTOR3 ndc = transformCoord(p, proj);
    EXPECT_NEAR(ndc.x, 1.0f / aspect / 5.0f, kEps);
    EXPECT_NEAR(ndc.y, 0.5f / 5.0f, kEps);
    EXPECT_NEAR(ndc.z, zf / (zf - zn) * (1.0f - zn / 5.0f), kEps);
    EXPECT_NEAR(transformCoord({0, 0, -zn}, proj).z, 0.0f, kEps);
    EXPECT_NEAR(transformCoord({0, 0, -zf}, proj).z, 1.0f, kEps);
}

TEST(D3DXMath, OrthoOffCenterRHMapsTheBoxToClipSpace) {
    D3DXMATRIX ortho;
    D3DXMatrixOrthoOffCenterRH(&ortho, -2.0f, 6.0f, -1.0f, 3.0f, 1.0f, 5.0f);
    const D3DXVECTOR3 low = transformCoord({-2.0f, -1.0f, -1.0f}, ortho);
    const D3DXVECTOR3 high = transformCoord({6.0f, 3.0f, -5.0f}, ortho);
    EXPECT_NEAR(low.x, -1.0f, kEps);
    EXPECT_NEAR(low.y, -1.0f, kEps);
    EXPECT_NEAR(low.z, 0.0f, kEps);
    EXPECT_NEAR(high.x, 1.0f, kEps);
    EXPECT_NEAR(high.y, 1.0f, kEps);
    EXPECT_NEAR(high.z, 1.0f, kEps);
}

TEST(D3DXMath, MultiplyAppliesTheLeftMatrixFirstAndAllowsAliasing) {
    D3DXMATRIX t, r, tr, rt;
    D3DXMatrixTranslation(&t, 1.0f, 0.0f, 0.0f);
    D3DXMatrixRotationZ(&r, D3DX_PI / 2);
    D3DXMatrixMultiply(&tr, &t, &r);
    D3DXMatrixMultiply(&rt, &r, &t);
    const D3DXVECTOR3 a = transformCoord({1, 0, 0}, tr); // (2,0,0) turned to (0,2,0)
    const D3DXVECTOR3 b = transformCoord({1, 0, 0}, rt); // (0,1,0) moved to (1,1,0)
    EXPECT_NEAR(a.x, 0.0f, kEps);
    EXPECT_NEAR(a.y, 2.0f, kEps);
    EXPECT_NEAR(b.x, 1.0f, kEps);
    EXPECT_NEAR(b.y, 1.0f, kEps);
    EXPECT_TRUE(t * r == tr);

    D3DXMATRIX left = t, right = r;
    D3DXMatrixMultiply(&left, &left, &r);
    D3DXMatrixMultiply(&right, &t, &right);
    EXPECT_TRUE(left == tr);
    EXPECT_TRUE(right == tr);
}

TEST(D3DXMath, UnprojectUndoesProject) {
    D3DXMATRIX world, view, proj, spin;
    D3DXMatrixRotationY(&spin, 0.7f);
    D3DXMatrixTranslation(&world, 0.5f, -0.25f, 1.0f);
    world = spin * world;
    const D3DXVECTOR3 eye(1.0f, 2.0f, 6.0f), at(0, 0, 0), up(0, 1, 0);
    D3DXMatrixLookAtRH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovRH(&proj, 0.9f, 4.0f / 3.0f, 0.5f, 50.0f);
    const D3DVIEWPORT9 vp = {10, 20, 200, 100, 0.25f, 0.75f};

    const D3DXVECTOR3 p(0.3f, -0.4f, 0.2f);
    D3DXVECTOR3 screen, back;
    D3DXVec3Project(&screen, &p, &vp, &proj, &view, &world);
    ASSERT_NE(D3DXVec3Unproject(&back, &screen, &vp, &proj, &view, &world), nullptr);
    EXPECT_NEAR(back.x, p.x, 1e-3f);
    EXPECT_NEAR(back.y, p.y, 1e-3f);
    EXPECT_NEAR(back.z, p.z, 1e-3f);

    // Null matrices are identities: only the viewport mapping is left (y points down).
    const D3DXVECTOR3 ndc(0.5f, 0.5f, 0.5f);
    D3DXVec3Project(&screen, &ndc, &vp, nullptr, nullptr, nullptr);
    EXPECT_NEAR(screen.x, 10.0f + 150.0f, kEps);
    EXPECT_NEAR(screen.y, 20.0f + 25.0f, kEps);
    EXPECT_NEAR(screen.z, 0.5f, kEps);
}

TEST(D3DXMath, LookAtRHPutsTheTargetOnTheNegativeZAxis) {
    D3DXMATRIX view;
    const D3DXVECTOR3 eye(0, 0, 5), at(0, 0, 0), up(0, 1, 0);
    D3DXMatrixLookAtRH(&view, &eye, &at, &up);
    const D3DXVECTOR3 v = transformCoord({1, 0, 0}, view);
    EXPECT_NEAR(v.x, 1.0f, kEps);
    EXPECT_NEAR(v.z, -5.0f, kEps);
}

TEST(D3DXMath, InverseOfRegularAndSingularMatrices) {
    D3DXMATRIX m, inv, product, scale;
    D3DXMatrixRotationX(&m, 0.3f);
    D3DXMatrixScaling(&scale, 2.0f, 3.0f, 4.0f);
    m *= scale;
    m._41 = 7.0f;
    FLOAT det = 0.0f;
    ASSERT_EQ(D3DXMatrixInverse(&inv, &det, &m), &inv);
    EXPECT_NEAR(det, 24.0f, 1e-4f);
    D3DXMatrixMultiply(&product, &m, &inv);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            EXPECT_NEAR(product(i, j), i == j ? 1.0f : 0.0f, kEps);

    D3DXMatrixScaling(&scale, 1.0f, 0.0f, 1.0f);
    D3DXMatrixIdentity(&inv);
    EXPECT_EQ(D3DXMatrixInverse(&inv, &det, &scale), nullptr);
    EXPECT_EQ(det, 0.0f);
    EXPECT_TRUE(D3DXMatrixIsIdentity(&inv)); // left untouched
}

} // namespace
