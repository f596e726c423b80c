// The Direct3D 9 device against Direct3D's documented behaviour, by drawing and reading the
// back buffer.
#include <cmath>
#include <cstring>

#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>

#include "d3d9device.h"
#include "d3dx9.h"

namespace {

using d3dtest::kHeight;
using d3dtest::kWidth;

constexpr D3DCOLOR kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;

struct ColorVertex {
    float x, y, z;
    D3DCOLOR color = 0;
};

class Device : public d3dtest::DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        if (device)
            device->SetRenderState(D3DRS_LIGHTING, FALSE);
    }
    // A triangle list in clip space (identity transforms), with one colour.
    void drawTriangles(std::vector<ColorVertex> v, D3DCOLOR color) {
        for (auto& vertex : v)
            vertex.color = 0xFF000000 | color;
        device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
        ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, static_cast<UINT>(v.size() / 3),
                                          v.data(), sizeof(ColorVertex)),
                  D3D_OK);
    }
    // Two triangles covering the target, wound clockwise on screen.
    void fill(D3DCOLOR color, float z = 0.5f) {
        drawTriangles({{-1, 1, z}, {1, 1, z}, {-1, -1, z}, {1, 1, z}, {1, -1, z}, {-1, -1, z}},
                      color);
    }
};

TEST_F(Device, ClearCoversTheViewportOrTheRectanglesOnly) {
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER,
                            D3DCOLOR_XRGB(255, 0, 0), 1.0f, 0),
              D3D_OK);
    EXPECT_EQ(pixel(0, 0), kRed);
    EXPECT_EQ(pixel(kWidth - 1, kHeight - 1), kRed);
    const D3DRECT rect = {10, 5, 20, 15};
    ASSERT_EQ(device->Clear(1, &rect, D3DCLEAR_TARGET, D3DCOLOR_XRGB(0, 0, 255), 1.0f, 0), D3D_OK);
    EXPECT_EQ(pixel(10, 5), kBlue);
    EXPECT_EQ(pixel(19, 14), kBlue);
    EXPECT_EQ(pixel(20, 14), kRed);
    EXPECT_EQ(pixel(19, 15), kRed);
    const D3DVIEWPORT9 vp = {32, 0, 32, 48, 0.0f, 1.0f};
    ASSERT_EQ(device->SetViewport(&vp), D3D_OK);
    device->SetRenderState(D3DRS_COLORWRITEENABLE, 0); // a clear ignores the write mask
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER,
                            D3DCOLOR_XRGB(0, 255, 0), 1.0f, 0),
              D3D_OK);
    EXPECT_EQ(pixel(31, 40), kRed);
    EXPECT_EQ(pixel(32, 40), kGreen);
    // A rectangle count without rectangles.
    EXPECT_EQ(device->Clear(1, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), D3DERR_INVALIDCALL);
}

TEST_F(Device, APointLandsWhereThePerspectiveAndViewportFormulasPutIt) {
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovRH(&projection, D3DX_PI / 3, float(kWidth) / kHeight, 1.0f, 100.0f);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    // (1, 0.5, -5) by hand: x_ndc = xs·x/5, y_ndc = ys·y/5.
    const float ys = 1.0f / std::tan(D3DX_PI / 6), xs = ys * kHeight / kWidth;
    const float sx = (1 + xs * 1.0f / 5) * kWidth / 2, sy = (1 - ys * 0.5f / 5) * kHeight / 2;
    ColorVertex point = {1.0f, 0.5f, -5.0f, 0xFFFFFFFF};
    device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &point, sizeof point), D3D_OK);
    // Direct3D's pixel centres are at integer coordinates: the point covers the nearest one.
    const int px = static_cast<int>(std::lround(sx)), py = static_cast<int>(std::lround(sy));
    EXPECT_EQ(pixel(px, py), kWhite) << sx << ", " << sy;
    EXPECT_EQ(pixel(px + 2, py), 0u);

    // A rectangle from 9.5 to 19.5 on screen covers the pixels 10 to 19 in each direction.
    device->SetTransform(D3DTS_PROJECTION, &projection.operator=(D3DXMATRIX(
                                               1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1)));
    auto ndcX = [](float x) { return 2 * x / kWidth - 1; };
    auto ndcY = [](float y) { return 1 - 2 * y / kHeight; };
    drawTriangles({{ndcX(9.5f), ndcY(9.5f), 0.5f},
                   {ndcX(19.5f), ndcY(9.5f), 0.5f},
                   {ndcX(9.5f), ndcY(19.5f), 0.5f},
                   {ndcX(19.5f), ndcY(9.5f), 0.5f},
                   {ndcX(19.5f), ndcY(19.5f), 0.5f},
                   {ndcX(9.5f), ndcY(19.5f), 0.5f}},
                  kRed);
    EXPECT_EQ(pixel(10, 10), kRed);
    EXPECT_EQ(pixel(19, 19), kRed);
    EXPECT_EQ(pixel(9, 15), 0u);
    EXPECT_EQ(pixel(15, 9), 0u);
}

TEST_F(Device, CullingRemovesTheWindingEachModeNames) {
    const std::vector<ColorVertex> clockwise = {{-1, 1, 0.5f}, {1, 1, 0.5f}, {-1, -1, 0.5f}};
    const std::vector<ColorVertex> counter = {{1, -1, 0.5f}, {1, 1, 0.5f}, {-1, -1, 0.5f}};
    const struct {
        D3DCULL mode;
        bool clockwiseDrawn, counterDrawn;
    } cases[] = {{D3DCULL_CCW, true, false}, {D3DCULL_CW, false, true}, {D3DCULL_NONE, true, true}};
    for (const auto& c : cases) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        device->SetRenderState(D3DRS_CULLMODE, c.mode);
        drawTriangles(clockwise, kRed);
        drawTriangles(counter, kGreen);
        EXPECT_EQ(pixel(4, 4), c.clockwiseDrawn ? kRed : 0u) << "mode " << c.mode;
        EXPECT_EQ(pixel(kWidth - 4, kHeight - 4), c.counterDrawn ? kGreen : 0u)
            << "mode " << c.mode;
    }
}

TEST_F(Device, DepthIsZeroToOneAndWireframeLeavesTheInsideEmpty) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    fill(kRed, 0.25f);
    fill(kGreen, 0.75f); // behind: LESSEQUAL keeps red
    EXPECT_EQ(pixel(30, 20), kRed);
    fill(kBlue, -0.1f); // in front of the near plane: clipped
    EXPECT_EQ(pixel(30, 20), kRed);
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    drawTriangles({{-0.5f, 0.5f, 0.5f}, {0.5f, 0.5f, 0.5f}, {-0.5f, -0.5f, 0.5f}}, kWhite);
    EXPECT_EQ(pixel(kWidth / 2 - 10, kHeight / 2 - 6), 0u);
}

TEST_F(Device, AlphaTestAndBlendingUseTheStatedFactors) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_XRGB(0, 0, 200), 1.0f,
                  0);
    std::vector<ColorVertex> quad = {{-1, 1, 0.5f}, {1, 1, 0.5f},  {-1, -1, 0.5f},
                                     {1, 1, 0.5f},  {1, -1, 0.5f}, {-1, -1, 0.5f}};
    for (auto& v : quad)
        v.color = D3DCOLOR_ARGB(0x40, 255, 0, 0);
    device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
    device->SetRenderState(D3DRS_ALPHAREF, 0x40); // 0x40 > 0x40 fails
    device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, quad.data(), sizeof(ColorVertex));
    EXPECT_EQ(pixel(10, 10), 200u);
    device->SetRenderState(D3DRS_ALPHAREF, 0x3F);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, quad.data(), sizeof(ColorVertex));
    const D3DCOLOR blended = pixel(10, 10);
    EXPECT_NEAR(static_cast<int>(blended >> 16), 64, 2);
    EXPECT_NEAR(static_cast<int>(blended & 255), 150, 2);
}

TEST_F(Device, VertexColoursAreBlackWithLightingOnAndNoLights) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_XRGB(0, 0, 255), 1.0f,
                  0);
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    fill(kGreen);
    EXPECT_EQ(pixel(5, 5), 0u);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    fill(kGreen);
    EXPECT_EQ(pixel(5, 5), kGreen);
}

// A 2 × 2 texture of the given format, texel (x, y) = colours[y * 2 + x].
IDirect3DTexture9* makeTexture(IDirect3DDevice9* device, D3DFORMAT format, const D3DCOLOR colors[4],
                               INT* pitch) {
    IDirect3DTexture9* texture = nullptr;
    if (device->CreateTexture(2, 2, 1, 0, format, D3DPOOL_MANAGED, &texture, nullptr) != D3D_OK)
        return nullptr;
    D3DLOCKED_RECT locked;
    texture->LockRect(0, &locked, nullptr, 0);
    *pitch = locked.Pitch;
    const int bytes = format == D3DFMT_R8G8B8 ? 3 : 4;
    for (int i = 0; i < 4; ++i)
        std::memcpy(static_cast<BYTE*>(locked.pBits) + (i / 2) * locked.Pitch + (i % 2) * bytes,
                    &colors[i], bytes);
    texture->UnlockRect(0);
    return texture;
}

TEST_F(Device, TexturesOfTheThreeFormatsModulateTheVertexColour) {
    struct TexVertex {
        float x, y, z;
        D3DCOLOR color;
        float u, v;
    };
    const TexVertex quad[] = {{-1, 1, 0.5f, 0xFFFFFFFF, 0, 0},
                              {1, 1, 0.5f, 0xFFFFFFFF, 1, 0},
                              {-1, -1, 0.5f, 0xFFFFFFFF, 0, 1},
                              {1, -1, 0.5f, 0xFFFFFFFF, 1, 1}};
    const D3DCOLOR texels[4] = {0x80FF0000, 0x8000FF00, 0x800000FF, 0x80FFFFFF};
    const struct {
        D3DFORMAT format;
        INT pitch;
    } formats[] = {{D3DFMT_A8R8G8B8, 8}, {D3DFMT_X8R8G8B8, 8}, {D3DFMT_R8G8B8, 8}};
    for (const auto& f : formats) {
        INT pitch = 0;
        IDirect3DTexture9* texture = makeTexture(device, f.format, texels, &pitch);
        ASSERT_NE(texture, nullptr) << f.format;
        EXPECT_EQ(pitch, f.pitch) << f.format;
        device->SetTexture(0, texture);
        device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1);
        device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(TexVertex));
        // Point sampling: each quarter of the target shows one texel, top row first.
        EXPECT_EQ(pixel(8, 8), kRed) << f.format;
        EXPECT_EQ(pixel(kWidth - 8, 8), kGreen) << f.format;
        EXPECT_EQ(pixel(8, kHeight - 8), kBlue) << f.format;
        EXPECT_EQ(pixel(kWidth - 8, kHeight - 8), kWhite) << f.format;
        device->SetTexture(0, nullptr);
        EXPECT_EQ(texture->Release(), 0u);
    }
}

TEST_F(Device, StreamsIndicesBaseVertexAndTheUserPointerDraws) {
    // Positions in stream 0, colours in stream 1 of another buffer.
    const float positions[] = {9, 9, 9, -1, 1, 0.5f, 1, 1, 0.5f, -1, -1, 0.5f, 1, -1, 0.5f};
    const D3DCOLOR colors[] = {0, kGreen | 0xFF000000u, kGreen | 0xFF000000u, 0xFF00FF00,
                               0xFF00FF00};
    IDirect3DVertexBuffer9 *vb0 = nullptr, *vb1 = nullptr;
    IDirect3DIndexBuffer9* ib = nullptr;
    void* data;
    ASSERT_EQ(device->CreateVertexBuffer(sizeof positions, 0, 0, D3DPOOL_MANAGED, &vb0, nullptr),
              D3D_OK);
    ASSERT_EQ(device->CreateVertexBuffer(sizeof colors, 0, 0, D3DPOOL_MANAGED, &vb1, nullptr),
              D3D_OK);
    ASSERT_EQ(device->CreateIndexBuffer(12, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED,
                                        &ib, nullptr),
              D3D_OK);
    vb0->Lock(0, 0, &data, 0);
    std::memcpy(data, positions, sizeof positions);
    vb0->Unlock();
    vb1->Lock(0, 0, &data, D3DLOCK_DISCARD);
    std::memcpy(data, colors, sizeof colors);
    vb1->Unlock();
    const WORD indices[] = {0, 1, 2, 1, 3, 2};
    ib->Lock(0, 0, &data, 0);
    std::memcpy(data, indices, sizeof indices);
    ib->Unlock();
    const D3DVERTEXELEMENT9 elements[] = {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
                                          {1, 0, D3DDECLTYPE_D3DCOLOR, 0, D3DDECLUSAGE_COLOR, 0},
                                          D3DDECL_END()};
    IDirect3DVertexDeclaration9* decl = nullptr;
    ASSERT_EQ(device->CreateVertexDeclaration(elements, &decl), D3D_OK);
    device->SetVertexDeclaration(decl);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 1, 0, 4, 0, 2), D3DERR_INVALIDCALL)
        << "no streams";
    device->SetStreamSource(0, vb0, 0, 12);
    device->SetStreamSource(1, vb1, 0, 4);
    device->SetIndices(ib);
    ASSERT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 1, 0, 4, 0, 2), D3D_OK);
    EXPECT_EQ(pixel(2, 2), kGreen) << "the base vertex skips the first vertex";
    EXPECT_EQ(pixel(kWidth - 2, kHeight - 2), kGreen);

    // DrawIndexedPrimitiveUP leaves stream 0 and the indices unset.
    const ColorVertex strip[] = {{-1, 1, 0.5f, 0xFFFF0000},
                                 {1, 1, 0.5f, 0xFFFF0000},
                                 {-1, -1, 0.5f, 0xFFFF0000},
                                 {1, -1, 0.5f, 0xFFFF0000}};
    device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    ASSERT_EQ(device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, indices, D3DFMT_INDEX16,
                                             strip, sizeof(ColorVertex)),
              D3D_OK);
    EXPECT_EQ(pixel(kWidth - 2, kHeight - 2), kRed);
    IDirect3DVertexBuffer9* bound = vb0;
    IDirect3DIndexBuffer9* boundIndices = ib;
    UINT offset, stride;
    device->GetStreamSource(0, &bound, &offset, &stride);
    device->GetIndices(&boundIndices);
    EXPECT_EQ(bound, nullptr);
    EXPECT_EQ(boundIndices, nullptr);

    // The buffers bound again draw again, and a new buffer in place of a released one (it may
    // get the released one's name) draws its own data.
    device->SetVertexDeclaration(decl);
    device->SetStreamSource(0, vb0, 0, 12);
    device->SetIndices(ib);
    ASSERT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 1, 0, 4, 0, 2), D3D_OK);
    EXPECT_EQ(pixel(kWidth - 2, kHeight - 2), kGreen);
    EXPECT_EQ(vb1->Release(), 0u);
    const D3DCOLOR blue[] = {0, 0xFF0000FF, 0xFF0000FF, 0xFF0000FF, 0xFF0000FF};
    ASSERT_EQ(device->CreateVertexBuffer(sizeof blue, 0, 0, D3DPOOL_MANAGED, &vb1, nullptr),
              D3D_OK);
    vb1->Lock(0, 0, &data, 0);
    std::memcpy(data, blue, sizeof blue);
    vb1->Unlock();
    device->SetStreamSource(1, vb1, 0, 4);
    ASSERT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 1, 0, 4, 0, 2), D3D_OK);
    EXPECT_EQ(pixel(kWidth - 2, kHeight - 2), kBlue);
    EXPECT_EQ(decl->Release(), 0u);
    EXPECT_EQ(vb0->Release(), 0u);
    EXPECT_EQ(vb1->Release(), 0u);
    EXPECT_EQ(ib->Release(), 0u);
}

TEST_F(Device, PointSpritesScaleWithDistanceAsDocumented) {
    device->SetRenderState(D3DRS_POINTSIZE, 0x41000000); // 8.0f
    device->SetRenderState(D3DRS_POINTSCALEENABLE, TRUE);
    device->SetRenderState(D3DRS_POINTSCALE_A, 0);
    device->SetRenderState(D3DRS_POINTSCALE_C, 0x3F800000); // 1.0f
    device->SetRenderState(D3DRS_POINTSIZE_MIN, 0x3F800000);
    // At eye distance 24 the size is Height · 8 / 24 = 16 pixels.
    D3DXMATRIX view, projection;
    D3DXMatrixTranslation(&view, 0, 0, -24);
    D3DXMatrixPerspectiveFovRH(&projection, D3DX_PI / 3, float(kWidth) / kHeight, 1.0f, 100.0f);
    device->SetTransform(D3DTS_VIEW, &view);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    ColorVertex point = {0, 0, 0, 0xFFFFFFFF};
    device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &point, sizeof point), D3D_OK);
    int covered = 0;
    for (int x = 0; x < kWidth; ++x)
        covered += pixel(x, kHeight / 2) == kWhite;
    EXPECT_EQ(covered, 16);
}

// Present fills the window whatever the back buffer: drawn into the window itself when it has
// the window's size, stretched onto it when it has another; COPY keeps the back buffer after.
TEST_F(Device, PresentFillsTheWindowFromABackBufferOfAnySize) {
    struct Case {
        UINT width, height;
        D3DSWAPEFFECT effect;
        D3DCOLOR colour;
    };
    for (const Case& c : {Case{kWidth, kHeight, D3DSWAPEFFECT_DISCARD, kGreen},
                          Case{kWidth / 2, kHeight / 2, D3DSWAPEFFECT_DISCARD, kRed},
                          Case{kWidth, kHeight, D3DSWAPEFFECT_COPY, kBlue}}) {
        D3DPRESENT_PARAMETERS pp = d3dtest::windowedParameters();
        pp.BackBufferWidth = c.width;
        pp.BackBufferHeight = c.height;
        pp.SwapEffect = c.effect;
        ASSERT_EQ(device->Reset(&pp), D3D_OK);
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000 | c.colour, 1.0f, 0);
        ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
        // The window's buffer after the swap (Mesa's software driver keeps it).
        std::vector<std::uint32_t> window(std::size_t(kWidth) * kHeight);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, kWidth, kHeight, GL_BGRA, GL_UNSIGNED_BYTE, window.data());
        int other = 0;
        for (std::uint32_t p : window)
            other += (p & 0x00FFFFFF) != c.colour;
        EXPECT_EQ(other, 0) << c.width << " x " << c.height << ", swap effect " << c.effect;
        if (c.effect == D3DSWAPEFFECT_COPY) {
            EXPECT_EQ(pixel(0, 0), c.colour) << "COPY keeps the back buffer";
        }
    }
}

TEST_F(Device, ResetKeepsManagedTexturesAndRefusesWhileDefaultPoolResourcesLive) {
    const D3DCOLOR texels[4] = {0xFFFF0000, 0xFFFF0000, 0xFFFF0000, 0xFFFF0000};
    INT pitch;
    IDirect3DTexture9* managed = makeTexture(device, D3DFMT_A8R8G8B8, texels, &pitch);
    IDirect3DVertexBuffer9* dynamic = nullptr;
    ASSERT_EQ(
        device->CreateVertexBuffer(64, D3DUSAGE_DYNAMIC, 0, D3DPOOL_DEFAULT, &dynamic, nullptr),
        D3D_OK);
    D3DPRESENT_PARAMETERS pp = d3dtest::windowedParameters();
    EXPECT_EQ(device->Reset(&pp), D3DERR_INVALIDCALL);
    dynamic->Release();
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    ASSERT_EQ(device->Reset(&pp), D3D_OK);
    DWORD cull = 0, lighting = 0;
    device->GetRenderState(D3DRS_CULLMODE, &cull);
    device->GetRenderState(D3DRS_LIGHTING, &lighting);
    EXPECT_EQ(cull, static_cast<DWORD>(D3DCULL_CCW)) << "states return to their defaults";
    EXPECT_EQ(lighting, static_cast<DWORD>(TRUE));
    D3DLOCKED_RECT locked;
    ASSERT_EQ(managed->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(*static_cast<D3DCOLOR*>(locked.pBits), 0xFFFF0000u);
    managed->UnlockRect(0);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetTexture(0, managed);
    const struct {
        float x, y, z;
        float u, v;
    } quad[] = {{-1, 1, 0.5f, 0, 0}, {1, 1, 0.5f, 1, 0}, {-1, -1, 0.5f, 0, 1}, {1, -1, 0.5f, 1, 1}};
    device->SetFVF(D3DFVF_XYZ | D3DFVF_TEX1);
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof quad[0]);
    EXPECT_EQ(pixel(20, 20), kRed);
    managed->Release();
}

TEST_F(Device, InvalidCallsChangeNothingAndChildrenKeepTheDeviceAlive) {
    IDirect3DVertexBuffer9* vb = nullptr;
    EXPECT_EQ(device->CreateVertexBuffer(0, 0, 0, D3DPOOL_MANAGED, &vb, nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetStreamSource(16, nullptr, 0, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetTexture(99, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL)
        << "no declaration";
    EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, nullptr, 12), D3DERR_INVALIDCALL);
    const D3DVIEWPORT9 tooWide = {0, 0, kWidth + 1, kHeight, 0, 1};
    EXPECT_EQ(device->SetViewport(&tooWide), D3DERR_INVALIDCALL);
    D3DVIEWPORT9 vp;
    device->GetViewport(&vp);
    EXPECT_EQ(vp.Width, static_cast<DWORD>(kWidth));
    ASSERT_EQ(device->CreateVertexBuffer(16, 0, 0, D3DPOOL_MANAGED, &vb, nullptr), D3D_OK);
    void* data;
    EXPECT_EQ(vb->Lock(8, 16, &data, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(vb->Unlock(), D3DERR_INVALIDCALL);
    // The buffer holds the device: releasing the device first leaves it alive.
    device->SetStreamSource(0, vb, 0, 16);
    EXPECT_EQ(device->Release(), 1u);
    EXPECT_EQ(vb->Release(), 0u);
    device = nullptr;
}

} // namespace
