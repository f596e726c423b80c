// D3DX effects: parameters reach the shaders as Direct3D hands them over (matrices, matrix
// arrays indexed by UBYTE4 blend indices, tightly stored float arrays, textures through
// sampler_state), techniques switch the picture, Begin/End restore what a pass changed, and
// broken or missing effect files fail with a message that names file and line.
#include <algorithm>
#include <cstring>
#include <string>

#include "d3d9device.h"
#include "d3dx9.h"

namespace {

using d3dtest::kHeight;
using d3dtest::kWidth;

const char* const kEffect = R"(#define BONES 2
float4x4 world;
float4x4 bones[BONES];
float4 tint = {1, 1, 1, 1};
float scale = 1;
float3 offsets[2];
texture tex;
sampler2D texSampler = sampler_state { Texture = <tex>; MinFilter = Point; MagFilter = Point;
                                       AddressU = Clamp; };
struct VIn {
    float4 pos : POSITION;
    float2 weights : BLENDWEIGHT;
    int4 index : BLENDINDICES;
    float2 uv : TEXCOORD0;
};
struct VOut {
    float4 pos : POSITION;
    float2 uv : TEXCOORD0;
};
VOut Plain(VIn v) { VOut o; o.pos = mul(v.pos, world); o.uv = v.uv; return o; }
VOut Skin(VIn v) {
    VOut o;
    o.pos = mul(v.pos, bones[v.index.x]) * v.weights.x + mul(v.pos, bones[v.index.y]) * v.weights.y;
    o.uv = v.uv;
    return o;
}
float4 Colour(VOut i) : COLOR { return tint * scale + float4(offsets[1], 0); }
float4 Textured(VOut i) : COLOR { return tex2D(texSampler, i.uv); }
technique Flat { pass P0 { VertexShader = compile vs_3_0 Plain(); PixelShader = compile ps_3_0 Colour();
                           CullMode = None; } }
technique Skinned { pass P0 { VertexShader = compile vs_3_0 Skin(); PixelShader = compile ps_3_0 Colour(); } }
technique Texture { pass P0 { VertexShader = compile vs_3_0 Plain(); PixelShader = compile ps_3_0 Textured(); } }
)";

struct Vertex {
    float x, y, z;
    float weights[2];
    BYTE index[4];
    float u, v;
};

class EffectTest : public d3dtest::DeviceTest {
protected:
    void TearDown() override {
        if (decl) {
            device->SetVertexDeclaration(nullptr);
            decl->Release();
        }
        if (effect)
            effect->Release();
        if (errors)
            errors->Release();
        DeviceTest::TearDown();
    }
    HRESULT load(const std::string& source) {
        write("effect.fx", source);
        return D3DXCreateEffectFromFile(device, "effect.fx", nullptr, nullptr, 0, nullptr, &effect,
                                        &errors);
    }
    std::string messages() const {
        return errors ? static_cast<const char*>(errors->GetBufferPointer()) : "";
    }
    // The vertex layout of every draw here.
    void useDeclaration() {
        const D3DVERTEXELEMENT9 elements[] = {
            {0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
            {0, 12, D3DDECLTYPE_FLOAT2, 0, D3DDECLUSAGE_BLENDWEIGHT, 0},
            {0, 20, D3DDECLTYPE_UBYTE4, 0, D3DDECLUSAGE_BLENDINDICES, 0},
            {0, 24, D3DDECLTYPE_FLOAT2, 0, D3DDECLUSAGE_TEXCOORD, 0},
            D3DDECL_END()};
        if (!decl) {
            ASSERT_EQ(device->CreateVertexDeclaration(elements, &decl), D3D_OK);
        }
        device->SetVertexDeclaration(decl);
    }
    // A square of half size h around the centre, every vertex with the same bones and weights.
    void draw(float h = 0.25f, BYTE bone0 = 0, BYTE bone1 = 0, float w0 = 1, float w1 = 0) {
        useDeclaration();
        Vertex q[4];
        const float corners[4][4] = {{-h, h, 0, 0}, {h, h, 1, 0}, {-h, -h, 0, 1}, {h, -h, 1, 1}};
        for (int i = 0; i < 4; ++i)
            q[i] = {corners[i][0],        corners[i][1], 0.5f,         {w0, w1},
                    {bone0, bone1, 0, 0}, corners[i][2], corners[i][3]};
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        UINT passes = 0;
        ASSERT_EQ(effect->Begin(&passes, 0), D3D_OK);
        ASSERT_EQ(passes, 1u);
        ASSERT_EQ(effect->BeginPass(0), D3D_OK);
        EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof(Vertex)), D3D_OK);
        effect->EndPass();
        effect->End();
    }
    ID3DXEffect* effect = nullptr;
    ID3DXBuffer* errors = nullptr;
    IDirect3DVertexDeclaration9* decl = nullptr;
};

TEST_F(EffectTest, SetMatrixTranslationMovesTheQuadAndTheEffectHoldsTheDevice) {
    ASSERT_EQ(load(kEffect), D3D_OK) << messages();
    IDirect3DDevice9* owner = nullptr;
    ASSERT_EQ(effect->GetDevice(&owner), D3D_OK);
    EXPECT_EQ(owner->Release(), 2u); // the test's reference and the effect's
    D3DXMATRIX m;
    effect->SetMatrix("world", D3DXMatrixTranslation(&m, 0.5f, 0, 0)); // x 40..56 on screen
    draw();
    EXPECT_EQ(pixel(48, 24), 0xFFFFFFu);
    EXPECT_EQ(pixel(32, 24), 0u);
    // The transpose alone would leave x alone (w = 1 + 0.5·x only shrinks the quad).
    D3DXMATRIX t;
    effect->SetMatrixTranspose("world", D3DXMatrixTranspose(&t, &m));
    draw();
    EXPECT_EQ(pixel(48, 24), 0xFFFFFFu);
    EXPECT_EQ(pixel(32, 24), 0u);
}

TEST_F(EffectTest, MatrixArrayIsIndexedByUbyte4BlendIndices) {
    ASSERT_EQ(load(kEffect), D3D_OK) << messages();
    ASSERT_EQ(effect->SetTechnique(effect->GetTechniqueByName("Skinned")), D3D_OK);
    D3DXMATRIX bones[2];
    D3DXMatrixTranslation(&bones[0], -0.5f, 0, 0);
    D3DXMatrixTranslation(&bones[1], 0.5f, 0, 0);
    ASSERT_EQ(effect->SetMatrixArray("bones", bones, 2), D3D_OK);
    draw(0.25f, 1, 0, 1, 0);
    EXPECT_EQ(pixel(48, 24), 0xFFFFFFu);
    EXPECT_EQ(pixel(16, 24), 0u);
    draw(0.25f, 1, 0, 0, 1); // all weight on bone 0
    EXPECT_EQ(pixel(16, 24), 0xFFFFFFu);
    EXPECT_EQ(pixel(48, 24), 0u);
    draw(0.25f, 0, 1, 0.5f, 0.5f); // half each: back in the middle
    EXPECT_EQ(pixel(32, 24), 0xFFFFFFu);
    EXPECT_EQ(effect->SetMatrixArray("bones", bones, 3), D3DERR_INVALIDCALL);
}

TEST_F(EffectTest, FloatArraysAreTightAndCommitChangesUploadsNewValues) {
    ASSERT_EQ(load(kEffect), D3D_OK) << messages();
    D3DXMATRIX identity;
    effect->SetMatrix(effect->GetParameterByName(nullptr, "world"), D3DXMatrixIdentity(&identity));
    const float blue[6] = {0, 0, 1, 1, 9, 9};
    ASSERT_EQ(effect->SetFloatArray("tint", blue, 6), D3D_OK); // only 4 are taken
    const float offsets[6] = {0, 1, 0, 1, 0, 0};               // offsets[1] = (1, 0, 0)
    ASSERT_EQ(effect->SetFloatArray("offsets", offsets, 6), D3D_OK);
    draw();
    EXPECT_EQ(pixel(32, 24), 0xFF00FFu);

    const float half[2] = {0.5f, 0.5f};
    ASSERT_EQ(effect->SetFloatArray("tint", half, 2), D3D_OK); // the rest keeps its value
    float tint[4] = {};
    ASSERT_EQ(effect->GetFloatArray("tint", tint, 4), D3D_OK);
    EXPECT_EQ(tint[1], 0.5f);
    EXPECT_EQ(tint[2], 1.0f);

    // A change inside a pass reaches the draw only through CommitChanges.
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    useDeclaration();
    ASSERT_EQ(effect->Begin(nullptr, 0), D3D_OK);
    ASSERT_EQ(effect->BeginPass(0), D3D_OK);
    ASSERT_EQ(effect->SetFloat("scale", 0.0f), D3D_OK);
    ASSERT_EQ(effect->CommitChanges(), D3D_OK);
    Vertex v[3] = {
        {-1, 1, 0.5f, {}, {}, 0, 0}, {3, 1, 0.5f, {}, {}, 0, 0}, {-1, -3, 0.5f, {}, {}, 0, 0}};
    device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, v, sizeof(Vertex));
    effect->EndPass();
    effect->End();
    EXPECT_EQ(pixel(32, 24), 0xFF0000u);
    EXPECT_EQ(effect->SetFloat("tint", 1.0f), D3DERR_INVALIDCALL); // not a scalar
}

TEST_F(EffectTest, SamplerStateBindsTheTextureAndEndRestoresTheStates) {
    ASSERT_EQ(load(kEffect), D3D_OK) << messages();
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(
        device->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
        D3D_OK);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    const D3DCOLOR texels[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00};
    for (int y = 0; y < 2; ++y)
        std::memcpy(static_cast<char*>(locked.pBits) + y * locked.Pitch, texels + 2 * y, 8);
    texture->UnlockRect(0);
    ASSERT_EQ(effect->SetTexture("tex", texture), D3D_OK);
    texture->Release(); // the effect keeps it
    D3DXMATRIX identity;
    effect->SetMatrix("world", D3DXMatrixIdentity(&identity));

    draw(1.0f); // the first technique: plain white
    EXPECT_EQ(pixel(8, 8), 0xFFFFFFu);
    ASSERT_EQ(effect->SetTechnique("Texture"), D3D_OK);
    draw(1.0f);
    DWORD address = 0, cull = 0;
    device->GetSamplerState(0, D3DSAMP_ADDRESSU, &address);
    EXPECT_EQ(address, DWORD(D3DTADDRESS_WRAP)); // restored by End
    EXPECT_EQ(pixel(8, 8), 0xFF0000u);
    EXPECT_EQ(pixel(kWidth - 8, 8), 0x00FF00u);
    EXPECT_EQ(pixel(8, kHeight - 8), 0x0000FFu);
    EXPECT_EQ(pixel(kWidth - 8, kHeight - 8), 0xFFFF00u);

    // Begin(0) restores what the technique set; DONOTSAVESTATE leaves it.
    ASSERT_EQ(effect->SetTechnique("Flat"), D3D_OK);
    effect->Begin(nullptr, 0);
    effect->BeginPass(0);
    device->GetRenderState(D3DRS_CULLMODE, &cull);
    EXPECT_EQ(cull, DWORD(D3DCULL_NONE));
    effect->EndPass();
    effect->End();
    device->GetRenderState(D3DRS_CULLMODE, &cull);
    EXPECT_EQ(cull, DWORD(D3DCULL_CCW));
    effect->SetTechnique("Texture");
    effect->Begin(nullptr, D3DXFX_DONOTSAVESTATE);
    effect->BeginPass(0);
    effect->EndPass();
    effect->End();
    device->GetSamplerState(0, D3DSAMP_ADDRESSU, &address);
    EXPECT_EQ(address, DWORD(D3DTADDRESS_CLAMP));

    // DONOTSAVESTATE also leaves the pass's shaders bound after End: a draw goes through them
    // until null shaders are set, and then through the fixed-function pipeline.
    struct Coloured {
        float x, y, z;
        D3DCOLOR color;
    };
    const Coloured green[3] = {
        {-1, 1, 0.5f, 0xFF00FF00}, {3, 1, 0.5f, 0xFF00FF00}, {-1, -3, 0.5f, 0xFF00FF00}};
    ASSERT_EQ(effect->SetTechnique("Flat"), D3D_OK);
    const float red[4] = {1, 0, 0, 1};
    effect->SetFloatArray("tint", red, 4);
    effect->Begin(nullptr, D3DXFX_DONOTSAVESTATE);
    effect->BeginPass(0);
    effect->EndPass();
    effect->End();
    device->SetTexture(0, nullptr);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, green, sizeof(Coloured));
    EXPECT_EQ(pixel(8, 8), 0xFF0000u) << "drawn without the effect's shaders";
    device->SetVertexShader(nullptr);
    device->SetPixelShader(nullptr);
    device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, green, sizeof(Coloured));
    EXPECT_EQ(pixel(8, 8), 0x00FF00u);
}

// "effect.fx(N)" for the line of kEffect that holds text.
std::string lineOf(const char* text) {
    std::string s = kEffect;
    std::size_t at = s.find(text);
    return "effect.fx(" + std::to_string(std::count(s.begin(), s.begin() + at, '\n') + 1) + ")";
}

TEST_F(EffectTest, BrokenAndMissingFilesFailWithFileAndLine) {
    std::string compileError = kEffect;
    compileError.replace(compileError.find("tint * scale"), 4, "tnit");
    EXPECT_TRUE(FAILED(load(compileError)));
    EXPECT_EQ(effect, nullptr);
    EXPECT_NE(messages().find(lineOf("tint * scale")), std::string::npos) << messages();
    EXPECT_NE(messages().find("tnit"), std::string::npos) << messages();
    errors->Release();
    errors = nullptr;

    std::string parseError = kEffect;
    parseError.replace(parseError.find("CullMode"), 8, "CullMood");
    EXPECT_TRUE(FAILED(load(parseError)));
    EXPECT_EQ(effect, nullptr);
    EXPECT_NE(messages().find(lineOf("CullMode") + ": unknown render state 'CullMood'"),
              std::string::npos)
        << messages();
    errors->Release();
    errors = nullptr;

    EXPECT_TRUE(FAILED(D3DXCreateEffectFromFile(device, "none.fx", nullptr, nullptr, 0, nullptr,
                                                &effect, &errors)));
    EXPECT_EQ(effect, nullptr);
    EXPECT_NE(messages().find("none.fx"), std::string::npos) << messages();
}

TEST_F(EffectTest, TheEffectKeepsWorkingAcrossAReset) {
    ASSERT_EQ(load(kEffect), D3D_OK) << messages();
    D3DXMATRIX m;
    effect->SetMatrix("world", D3DXMatrixTranslation(&m, -0.5f, 0, 0));
    ASSERT_EQ(effect->OnLostDevice(), D3D_OK);
    D3DPRESENT_PARAMETERS pp = d3dtest::windowedParameters();
    ASSERT_EQ(device->Reset(&pp), D3D_OK);
    ASSERT_EQ(effect->OnResetDevice(), D3D_OK);
    const float green[4] = {0, 1, 0, 1};
    effect->SetFloatArray("tint", green, 4);
    draw();
    EXPECT_EQ(pixel(16, 24), 0x00FF00u);
    EXPECT_EQ(pixel(32, 24), 0u);
}

} // namespace
