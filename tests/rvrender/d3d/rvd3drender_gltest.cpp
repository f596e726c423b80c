// The Direct3D renderer on the Direct3D 9 layer: init, the 2D mode and full-screen round trips,
// clearing and render states, the ARB stubs, and drawing through the fixed-function pipeline and
// through effects (the demo's own skinning effect included).
#include "rvd3drender.h"

#include <cmath>
#include <filesystem>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "d3dcontext.h"
#include "rvd3dmesh.h"
#include "rvtexture.h"

namespace {

using d3dtest::gMessages;
using d3dtest::kWindowHeight;
using d3dtest::kWindowWidth;
using Floats = std::vector<float>;

// Returns green from a plain transform: shows whether an effect drew.
const char kGreenEffect[] = "float4x4 wvp;\nfloat gain = 1;\n"
                            "float4 vs(float4 p : POSITION) : POSITION { return mul(p, wvp); }\n"
                            "float4 ps() : COLOR0 { return float4(0, gain, 0, 1); }\n"
                            "technique green { pass p0 {\n"
                            "  VertexShader = compile vs_3_0 vs();\n"
                            "  PixelShader = compile ps_3_0 ps(); } }\n";

class D3DRenderTest : public d3dtest::RenderTest {
protected:
    Floats transform(D3DTRANSFORMSTATETYPE which) {
        D3DMATRIX m;
        device()->GetTransform(which, &m);
        return Floats(&m._11, &m._11 + 16);
    }
    DWORD state(D3DRENDERSTATETYPE which) {
        DWORD value = 0;
        device()->GetRenderState(which, &value);
        return value;
    }
    // Clears to black and places model space five units in front of the camera.
    void clearAndPlaceAhead() {
        const float black[4] = {1, 0, 0, 0};
        render->clear(black, 1.0f);
        rvMatrix44 world = rvTranslationMatrix(rvVector3(0, 0, -5));
        render->setWorldMatrix(&world);
    }
    // A red quad one unit across around the origin, two triangles facing the camera.
    static std::unique_ptr<rvD3DMesh> quad() {
        auto mesh = std::make_unique<rvD3DMesh>(kTriangleList);
        const float p[18] = {-.5f, -.5f, 0, .5f, -.5f, 0, .5f,  .5f, 0,
                             -.5f, -.5f, 0, .5f, .5f,  0, -.5f, .5f, 0};
        mesh->setPositions(p, 18);
        mesh->setConstantColor(1, 1, 0, 0, 6);
        return mesh;
    }
    void loadEffect(rvShader* shader, const char* source) {
        write(shader->getFileName(), source);
        render->loadFX(shader);
    }
};

TEST_F(D3DRenderTest, InitRefusesAMissingWindow) {
    rvD3DRender other;
    EXPECT_FALSE(other.init(nullptr));
}

TEST_F(D3DRenderTest, LeavingTheOrthoModeRestoresTheTransformsAndTheDepthFlag) {
    rvVector3 eye(1, 5, 10), at(0, 0, 0), up(0, 1, 0);
    render->lookAt(&eye, &at, &up);
    render->setPerspective(45, 2, 100);
    rvMatrix44 moved = rvTranslationMatrix(rvVector3(1, 2, 3));
    render->setWorldMatrix(&moved);
    const Floats projection = transform(D3DTS_PROJECTION);
    const Floats view = transform(D3DTS_VIEW);
    const Floats world = transform(D3DTS_WORLD);
    for (bool depth : {true, false}) {
        render->setRenderState(kStateDepthTest, depth);
        render->toggleOrtho();
        EXPECT_EQ(state(D3DRS_ZENABLE), static_cast<DWORD>(D3DZB_FALSE));
        EXPECT_NE(transform(D3DTS_PROJECTION), projection);
        EXPECT_NE(transform(D3DTS_WORLD), world);
        render->toggleOrtho();
        EXPECT_EQ(transform(D3DTS_PROJECTION), projection);
        EXPECT_EQ(transform(D3DTS_VIEW), view);
        EXPECT_EQ(transform(D3DTS_WORLD), world);
        EXPECT_EQ(state(D3DRS_ZENABLE), static_cast<DWORD>(depth ? D3DZB_TRUE : D3DZB_FALSE));
    }
}

TEST_F(D3DRenderTest, FullScreenAndBackKeepsTheStatesAndSetsTheDefaultPerspective) {
    render->setRenderState(kStateBlend, true);
    render->setRenderState(kStateCull, false);
    render->setPerspective(90, 1, 10);
    render->toggleFullScreen();
    EXPECT_TRUE(render->isFullScreen());
    render->toggleFullScreen();
    EXPECT_FALSE(render->isFullScreen());
    EXPECT_FALSE(window()->isFullscreen());
    IDirect3DSurface9* back = nullptr;
    ASSERT_EQ(device()->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    D3DSURFACE_DESC desc;
    back->GetDesc(&desc);
    back->Release();
    EXPECT_EQ(desc.Width, static_cast<UINT>(kWindowWidth));
    EXPECT_EQ(desc.Height, static_cast<UINT>(kWindowHeight));
    EXPECT_EQ(state(D3DRS_ALPHABLENDENABLE), static_cast<DWORD>(TRUE));
    EXPECT_EQ(state(D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_NONE));
    EXPECT_EQ(state(D3DRS_ZENABLE), static_cast<DWORD>(D3DZB_TRUE));
    EXPECT_EQ(state(D3DRS_LIGHTING), static_cast<DWORD>(FALSE));
    const Floats p = transform(D3DTS_PROJECTION);
    EXPECT_NEAR(p[5], 1.0f / std::tan(30.0f * 3.14159265f / 180.0f), 1e-4f); // cot(fov / 2)
    EXPECT_NEAR(p[0], p[5] * kWindowHeight / kWindowWidth, 1e-4f);
}

TEST_F(D3DRenderTest, ClearTakesAlphaRedGreenBlueAndBlendingIsSourceAlphaDestinationAlpha) {
    const float red[4] = {1, 1, 0, 0};
    ASSERT_TRUE(render->clear(red, 1.0f));
    EXPECT_EQ(d3dtest::readBackBuffer().at(0), 0xFFFF0000u);
    device()->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device()->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
    render->setRenderState(kStateBlend, true);
    EXPECT_EQ(state(D3DRS_ALPHABLENDENABLE), static_cast<DWORD>(TRUE));
    EXPECT_EQ(state(D3DRS_SRCBLEND), static_cast<DWORD>(D3DBLEND_SRCALPHA));
    EXPECT_EQ(state(D3DRS_DESTBLEND), static_cast<DWORD>(D3DBLEND_DESTALPHA));
    EXPECT_EQ(rvD3DRender::convertPType(7), D3DPT_POINTLIST);
}

TEST_F(D3DRenderTest, ArbProgramSlotsOnlyReportThatThereAreNone) {
    unsigned int id = 0;
    render->loadFragmentProgram("x.fp", &id);
    render->setProgramMatrix(nullptr, 0);
    ASSERT_EQ(gMessages.size(), 2u);
    for (const auto& m : gMessages) {
        EXPECT_EQ(m.text, "ASM Vertex and Pixel shaders not available in DirectX");
        EXPECT_EQ(m.caption, "ASM Load Error");
    }
}

TEST_F(D3DRenderTest, AMeshIsDrawnByTheCurrentEffectAndWithoutOneByTheFixedPipeline) {
    rvShader shader("green.fx");
    loadEffect(&shader, kGreenEffect);
    ASSERT_NE(shader.effect, nullptr);
    clearAndPlaceAhead();
    rvMatrix44 wvp;
    render->setFXMatrix(*render->getWorldViewProjectionMatrix(&wvp), &shader, "wvp");
    render->setCurrentFX(&shader);
    render->setFXTechnique("green");
    auto mesh = quad();
    ASSERT_TRUE(render->drawMesh(mesh.get()));
    EXPECT_EQ(pixel(kWindowWidth / 2, kWindowHeight / 2), 0x00FF00u);
    // A user-array draw after it is fixed-function (plain white), effect or not.
    const float triangle[9] = {-.2f, -.2f, 0, .2f, -.2f, 0, 0, .2f, 0};
    ASSERT_TRUE(render->drawPrimitives(kTriangleList, triangle, 3, 1));
    EXPECT_EQ(pixel(kWindowWidth / 2, kWindowHeight / 2), 0xFFFFFFu);
    render->setCurrentFX(nullptr);
    ASSERT_TRUE(render->drawMesh(mesh.get()));
    EXPECT_EQ(pixel(kWindowWidth / 2, kWindowHeight / 2), 0xFF0000u);
    EXPECT_EQ(pixel(2, 2), 0x000000u);
    render->setFXFloat(0.5f, &shader, "gian");
    ASSERT_EQ(gMessages.size(), 1u);
    EXPECT_EQ(gMessages[0].text, "Error setting FX Float: gian");
}

TEST_F(D3DRenderTest, AnEffectThatDoesNotCompileIsReportedWithTheCompilersMessages) {
    rvShader shader("broken.fx");
    loadEffect(&shader, "float4x4 wvp;\n\nfloat4 ps() : COLOR0 { return undeclared; }\n");
    EXPECT_EQ(shader.effect, nullptr);
    ASSERT_EQ(gMessages.size(), 1u);
    EXPECT_EQ(gMessages[0].caption, "FX Load Error");
    EXPECT_NE(gMessages[0].text.find("broken.fx(3"), std::string::npos) << gMessages[0].text;
}

// The demo's effect skins from BLENDINDICES and BLENDWEIGHT: every vertex is a quarter bone 0
// (4 units right) and three quarters bone 1 (none), which puts the quad 1 unit right.
TEST_F(D3DRenderTest, TheDemosEffectSkinsAQuadWithTheBoneMatrices) {
    std::filesystem::copy_file(std::filesystem::path(RV_DATA_DIR) / "mirethShader.fx",
                               "mirethShader.fx");
    rvShader shader("mirethShader.fx");
    render->loadFX(&shader);
    ASSERT_NE(shader.effect, nullptr) << (gMessages.empty() ? "" : gMessages[0].text);
    auto mesh = quad();
    std::vector<float> normals, uvs(12, 0.5f), weights;
    std::vector<unsigned char> bones;
    for (int v = 0; v < 6; ++v) {
        normals.insert(normals.end(), {0, 0, 1});
        weights.insert(weights.end(), {0.75f, 0.25f, 0, 0});
        bones.insert(bones.end(), {1, 0, 0, 0});
    }
    mesh->setNormals(normals.data(), 18);
    mesh->setUVs(uvs.data(), 12);
    mesh->setBoneWeights(weights.data(), 24);
    mesh->setBoneIndices(bones.data(), 24);
    const unsigned char white[4] = {255, 255, 255, 255};
    render->setFXTexture(render->createTexture(white, "white", 1, 1, 32), &shader, "diffTex");
    clearAndPlaceAhead();
    rvMatrix44 wvp, bonePair[2] = {rvTranslationMatrix(rvVector3(4, 0, 0)), rvMatrix44()};
    render->setFXMatrix(*render->getWorldViewProjectionMatrix(&wvp), &shader, "wvp");
    render->setFXMatrix(rvTranslationMatrix(rvVector3(0, 0, 5)), &shader, "invworld");
    render->setFXVector3(0, 0, 0, &shader, "lightPos");
    render->setFXVector3(0, 0, 0, &shader, "cameraPos");
    render->setFXMatrixArray(bonePair, 2, &shader, "bones");
    render->setCurrentFX(&shader);
    render->setFXTechnique("phongLighting");
    ASSERT_TRUE(render->drawMesh(mesh.get()));
    EXPECT_TRUE(gMessages.empty());
    // x = 1 at 5 units: 64 + 64 / (5 · tan 30° · 4 / 3) ≈ 81 pixels from the left.
    for (int x : {74, 81, 87}) // the whole quad, 17 pixels wide
        EXPECT_GT(pixel(x, kWindowHeight / 2) & 0xFF, 200u) << x;
    EXPECT_EQ(pixel(kWindowWidth / 2 - 4, kWindowHeight / 2), 0u);
    EXPECT_EQ(pixel(100, kWindowHeight / 2), 0u);
}

} // namespace
