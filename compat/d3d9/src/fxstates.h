// The effect reader's tables: the render, sampler and texture-stage states a pass or a
// sampler_state block may set, with the names their values may be given by, and the HLSL type
// names of parameters.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fxparser.h"

namespace fx {

// What the values of a state are called.
enum class Values {
    Dword,
    Float,
    Bool,
    ZBuffer,
    Fill,
    Shade,
    Blend,
    BlendOp,
    Cmp,
    Cull,
    StencilOp,
    Fog,
    MaterialSource,
    ColorWrite,
    VertexBlend,
    TextureOp,
    TextureArg,
    Filter,
    Address,
    TextureTransformFlags
};

struct StateName {
    const char* name;
    std::uint32_t value;
    Values values;
};

struct ValueName {
    const char* name;
    std::uint32_t value;
};

// The names of a kind of values (none for plain numbers), without their D3D prefix.
const std::vector<ValueName>& valueNames(Values v);

// A state by its name without the D3DRS_, D3DSAMP_ or D3DTSS_ prefix, in any case; null when
// there is none.
const StateName* findRenderState(const std::string& name);
const StateName* findSamplerState(const std::string& name);
const StateName* findStageState(const std::string& name);

struct TypeInfo {
    bool known = false;
    bool isStruct = false;
    BaseType base = BaseType::Float;
    unsigned rows = 1, columns = 1;
    bool matrix = false;
};

// A numeric type name such as float, float3, half4x4, int2, bool: true with t filled.
bool numericType(const std::string& name, TypeInfo& t);
// string, texture…, sampler… in any case: true with t filled.
bool objectType(const std::string& name, TypeInfo& t);

} // namespace fx
