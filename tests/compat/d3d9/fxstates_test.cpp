// The effect reader's tables: state names and the names of their values, and type names.
#include "fxstates.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(FxStates, StatesAreFoundByNameInAnyCaseInTheirOwnTable) {
    const struct {
        const fx::StateName* (*find)(const std::string&);
        const char* name;
        std::uint32_t value; // 0: not in that table
        fx::Values values;
    } rows[] = {
        {fx::findRenderState, "CullMode", D3DRS_CULLMODE, fx::Values::Cull},
        {fx::findRenderState, "zenable", D3DRS_ZENABLE, fx::Values::ZBuffer},
        {fx::findRenderState, "BLENDOPALPHA", D3DRS_BLENDOPALPHA, fx::Values::BlendOp},
        {fx::findRenderState, "MinFilter", 0, {}},
        {fx::findSamplerState, "MinFilter", D3DSAMP_MINFILTER, fx::Values::Filter},
        {fx::findSamplerState, "addressu", D3DSAMP_ADDRESSU, fx::Values::Address},
        {fx::findStageState, "ColorOp", D3DTSS_COLOROP, fx::Values::TextureOp},
        {fx::findStageState, "TextureTransformFlags", D3DTSS_TEXTURETRANSFORMFLAGS,
         fx::Values::TextureTransformFlags},
        {fx::findStageState, "CullMode", 0, {}},
        {fx::findRenderState, "CullMood", 0, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const fx::StateName* s = row.find(row.name);
        ASSERT_EQ(s != nullptr, row.value != 0);
        if (s) {
            EXPECT_EQ(s->value, row.value);
            EXPECT_EQ(s->values, row.values);
        }
    }
}

TEST(FxStates, ValueNamesHaveTheirDirect3DNumbers) {
    const struct {
        fx::Values values;
        const char* name;
        std::uint32_t value;
    } rows[] = {
        {fx::Values::Cull, "CCW", D3DCULL_CCW},
        {fx::Values::Blend, "INVSRCALPHA", D3DBLEND_INVSRCALPHA},
        {fx::Values::Cmp, "LESSEQUAL", D3DCMP_LESSEQUAL},
        {fx::Values::Filter, "ANISOTROPIC", D3DTEXF_ANISOTROPIC},
        {fx::Values::Address, "MIRRORONCE", D3DTADDRESS_MIRRORONCE},
        {fx::Values::TextureOp, "MODULATE", D3DTOP_MODULATE},
        {fx::Values::Fill, "WIREFRAME", D3DFILL_WIREFRAME},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        int found = 0;
        for (const fx::ValueName& v : fx::valueNames(row.values))
            if (std::string(v.name) == row.name) {
                EXPECT_EQ(v.value, row.value);
                ++found;
            }
        EXPECT_EQ(found, 1);
    }
    EXPECT_TRUE(fx::valueNames(fx::Values::Dword).empty());
}

TEST(FxStates, TypeNamesGiveTheirShape) {
    const struct {
        const char* name;
        bool known;
        fx::BaseType base;
        unsigned rows, columns;
        bool matrix;
    } rows[] = {
        {"float", true, fx::BaseType::Float, 1, 1, false},
        {"half3", true, fx::BaseType::Float, 1, 3, false},
        {"float4x3", true, fx::BaseType::Float, 4, 3, true},
        {"int2", true, fx::BaseType::Int, 1, 2, false},
        {"bool", true, fx::BaseType::Bool, 1, 1, false},
        {"float5", false, {}, 0, 0, false},
        {"float4x0", false, {}, 0, 0, false},
        {"Sampler2D", true, fx::BaseType::Sampler2D, 1, 1, false},
        {"texture", true, fx::BaseType::Texture, 1, 1, false},
        {"VOut", false, {}, 0, 0, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        fx::TypeInfo t;
        const bool known = fx::numericType(row.name, t) || fx::objectType(row.name, t);
        ASSERT_EQ(known, row.known);
        if (known) {
            EXPECT_EQ(t.base, row.base);
            EXPECT_EQ(t.rows, row.rows);
            EXPECT_EQ(t.columns, row.columns);
            EXPECT_EQ(t.matrix, row.matrix);
        }
    }
}

} // namespace
