// The effect reader's parser on text alone: what it reads from an effect, the HLSL the compiler
// is given for each stage of a pass, and the failures of files made to exhaust memory or
// overflow a conversion.
#include "fxparser.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "fxcompiler.h"

namespace {

const char* const kEffect = R"(#define BONES 2
float4x4 world : WORLD;
float4x4 bones[BONES];
float4 tint < string UIName = "Tint"; > = {1, 0.5, 0.25 * 2, -1};
int count = 1e300;
texture tex;
sampler texSampler = sampler_state { Texture = <tex>; MinFilter = Point; AddressU = Clamp; };
struct VOut {
    float4 pos : POSITION;
    float2 uv : TEXCOORD0;
};
VOut Skin(float4 p : POSITION, uniform int n) { VOut o; o.pos = mul(p, bones[n]); o.uv = 0; return o; }
float4 Colour(VOut i) : COLOR { return tint; }
technique Skinned {
    pass P0 {
        VertexShader = compile vs_3_0 Skin(1);
        PixelShader = compile ps_3_0 Colour();
        CullMode = None; AlphaRef = 8888888888888888888888; ZEnable = <count>;
    }
}
)";

struct Parsed {
    bool ok;
    fx::Effect effect;
    std::string errors;
};

Parsed parse(const std::string& source) {
    Parsed p;
    p.ok = fx::parseEffect(source, "fx.fx", nullptr, nullptr, 0, p.effect, p.errors);
    return p;
}

float asFloat(std::uint32_t bits) {
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}

TEST(FxParser, ParametersTechniquesAndPassesAreRead) {
    const Parsed p = parse(kEffect);
    ASSERT_TRUE(p.ok) << p.errors;
    const fx::Effect& e = p.effect;

    const fx::Parameter& world = e.parameters[e.findParameter("world")];
    EXPECT_TRUE(world.matrix);
    EXPECT_EQ(world.semantic, "WORLD");
    EXPECT_EQ(e.parameters[e.findParameter("bones")].elements, 2u); // the macro expanded
    const fx::Parameter& tint = e.parameters[e.findParameter("tint")];
    ASSERT_EQ(tint.initial.size(), 4u);
    EXPECT_EQ(asFloat(tint.initial[2]), 0.5f);
    EXPECT_EQ(asFloat(tint.initial[3]), -1.0f);
    ASSERT_EQ(tint.annotations.size(), 1u);
    EXPECT_EQ(tint.annotations[0].text, "Tint");
    // Integers beyond 32 bits are clamped: converting them is undefined.
    EXPECT_EQ(e.parameters[e.findParameter("count")].initial,
              (std::vector<std::uint32_t>{0x7fffffff}));
    // A plain sampler takes the dimension of its texture.
    const fx::Parameter& sampler = e.parameters[e.findParameter("texSampler")];
    EXPECT_EQ(sampler.type, fx::BaseType::Sampler2D);
    EXPECT_EQ(sampler.texture, e.findParameter("tex"));
    EXPECT_EQ(sampler.samplerStates.size(), 2u);

    ASSERT_EQ(e.techniques.size(), 1u);
    ASSERT_EQ(e.techniques[0].passes.size(), 1u);
    const fx::Pass& pass = e.techniques[0].passes[0];
    EXPECT_EQ(pass.vertexShader.profile, "vs_3_0");
    EXPECT_EQ(pass.vertexShader.arguments, (std::vector<std::string>{"1"}));
    EXPECT_EQ(pass.pixelShader.entry, "Colour");
    ASSERT_EQ(pass.states.size(), 3u);
    EXPECT_EQ(pass.states[0].type, static_cast<std::uint32_t>(D3DRS_CULLMODE));
    EXPECT_EQ(pass.states[0].value, static_cast<std::uint32_t>(D3DCULL_NONE));
    EXPECT_EQ(pass.states[1].value, 0xffffffffu); // clamped to the state's 32 bits
    EXPECT_EQ(pass.states[2].parameter, e.findParameter("count"));
    EXPECT_EQ(e.where(pass.states[0].line), "fx.fx(18)");
}

TEST(FxParser, EachStageOfAPassIsTheEffectsHLSLWithoutItsSyntax) {
    const Parsed p = parse(kEffect);
    ASSERT_TRUE(p.ok) << p.errors;
    const fx::Pass& pass = p.effect.techniques[0].passes[0];
    std::string vertex, vertexEntry, pixel, pixelEntry, errors;
    ASSERT_TRUE(fx::stageHLSL(p.effect, pass.vertexShader, true, vertex, vertexEntry, errors))
        << errors;
    ASSERT_TRUE(fx::stageHLSL(p.effect, pass.pixelShader, false, pixel, pixelEntry, errors))
        << errors;
    for (const std::string& hlsl : {vertex, pixel}) {
        for (const char* effectOnly : {"technique", "sampler_state", "compile", "UIName"})
            EXPECT_EQ(hlsl.find(effectOnly), std::string::npos) << effectOnly << "\n" << hlsl;
        EXPECT_NE(hlsl.find("float4 Colour(VOut i) : COLOR { return tint; }"), std::string::npos);
    }
    // The vertex stage writes SV_Position (its input POSITION stays a vertex input); its uniform
    // argument goes through a wrapper.
    EXPECT_NE(vertex.find("float4 pos : SV_Position;"), std::string::npos) << vertex;
    EXPECT_EQ(vertexEntry, "fx_Skin_16");
    EXPECT_NE(vertex.find("VOut fx_Skin_16(float4 p : POSITION) { return Skin(p, 1); }"),
              std::string::npos)
        << vertex;
    EXPECT_EQ(pixelEntry, "Colour");
    // The pixel stage reads the struct's POSITION as SV_Position too.
    EXPECT_NE(pixel.find("float4 pos : SV_Position;"), std::string::npos) << pixel;

    fx::ShaderCall wrong = pass.vertexShader;
    wrong.arguments.clear();
    EXPECT_FALSE(fx::stageHLSL(p.effect, wrong, true, vertex, vertexEntry, errors));
    EXPECT_NE(errors.find("fx.fx(16): error: 'Skin' takes 1 uniform parameters"), std::string::npos)
        << errors;
}

TEST(FxParser, SizesAndNestingBeyondAnyRealEffectFail) {
    const std::string technique = "\ntechnique T { pass P { } }\n";
    const struct {
        std::string source;
        const char* message;
    } rows[] = {
        {"float4x4 bones[1e90];", "fx.fx(1): "},
        {"float4x4 bones[2.5];", "fx.fx(1): "},
        {"float4x4 bones[100000];", "fx.fx(1): "},
        {"vector<float, 1000000000000> v;", "dimension must be 1 to 4"},
        {"float4 deep = " + std::string(5000, '{') + ";", "nested more than 256 deep"},
        {"technique T { pass P { CullMode = Sideways; } }", "fx.fx(1): "},
        {"technique T { pass P { CullMood = None; } }", "unknown render state 'CullMood'"},
        {"float4 x;", "the effect has no technique"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.source.substr(0, 60));
        const bool hasTechnique = row.source.find("technique") != std::string::npos ||
                                  std::strcmp(row.message, "the effect has no technique") == 0;
        const Parsed p = parse(row.source + (hasTechnique ? "" : technique));
        EXPECT_FALSE(p.ok);
        EXPECT_NE(p.errors.find(row.message), std::string::npos) << p.errors;
    }
}

} // namespace
