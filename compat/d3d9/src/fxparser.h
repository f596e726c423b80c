// The effect-file reader: finds an effect's parameters, samplers, techniques and passes, and
// produces the HLSL that the shader compiler sees (the effect-only syntax removed, line numbers
// kept), together with the map from its lines back to the files they came from.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "d3dx9effect.h"
#include "fxtokens.h"

namespace fx {

enum class BaseType {
    Void,
    Bool,
    Int,
    Float,
    String,
    Texture,
    Texture1D,
    Texture2D,
    Texture3D,
    TextureCube,
    Sampler,
    Sampler1D,
    Sampler2D,
    Sampler3D,
    SamplerCube
};

inline bool isNumeric(BaseType t) {
    return t == BaseType::Bool || t == BaseType::Int || t == BaseType::Float;
}
inline bool isTexture(BaseType t) {
    return t >= BaseType::Texture && t <= BaseType::TextureCube;
}
inline bool isSampler(BaseType t) {
    return t >= BaseType::Sampler && t <= BaseType::SamplerCube;
}

struct Annotation {
    std::string type;
    std::string name;
    std::string text;                  // a string annotation's value
    std::vector<std::uint32_t> values; // a numeric annotation's words (float or int as typed)
};

// One state assignment of a pass or of a sampler_state block.
struct State {
    enum Kind { Render, Sampler, TextureStage, Texture, Transform } kind = Render;
    std::uint32_t type = 0;  // D3DRS_, D3DSAMP_, D3DTSS_ or D3DTS_ value
    std::uint32_t index = 0; // stage or sampler for indexed states
    std::uint32_t value = 0;
    int parameter = -1;   // the value comes from this parameter when it is not -1
    bool isFloat = false; // the state holds a float's bits
    int line = 0;
};

struct ShaderCall {
    bool present = false;
    std::string profile;
    std::string entry;
    std::vector<std::string> arguments; // source text of each argument
    int line = 0;
};

struct Parameter {
    std::string name;
    std::string semantic;
    BaseType type = BaseType::Float;
    unsigned rows = 1, columns = 1; // 1x1 scalar, 1xN vector, RxC matrix
    bool matrix = false;
    bool rowMajor = false;
    bool shared = false;
    unsigned elements = 0; // 0: not an array
    std::vector<Annotation> annotations;
    std::vector<std::uint32_t> initial; // words, as many as given (floats or ints by type)
    // Samplers: the texture parameter named by Texture = <T> (-1 if none) and the other states.
    int texture = -1;
    std::vector<State> samplerStates;
    int line = 0;
};

struct Pass {
    std::string name;
    std::vector<Annotation> annotations;
    ShaderCall vertexShader, pixelShader;
    std::vector<State> states;
    int line = 0;
};

struct Technique {
    std::string name;
    std::vector<Annotation> annotations;
    std::vector<Pass> passes;
    int line = 0;
};

// A replacement in the HLSL text: [offset, offset + length) becomes text.
struct Edit {
    std::size_t offset = 0;
    std::size_t length = 0;
    std::string text;
};

struct FunctionParameter {
    std::string text; // the declaration as written, modifiers and semantic included
    std::string name;
    std::string type;
    bool uniform = false;
    bool out = false;
    std::size_t semanticOffset = 0; // 0 when there is no semantic
    std::string semantic;
};

struct Function {
    std::string name;
    std::string returnType;
    std::string returnSemantic;
    std::size_t returnSemanticOffset = 0;
    std::vector<FunctionParameter> parameters;
};

struct StructMember {
    std::string name;
    std::string semantic;
    std::size_t offset = 0; // of the member's declaration
    std::size_t semanticOffset = 0;
};

struct Struct {
    std::string name;
    std::vector<StructMember> members;
};

struct Effect {
    std::vector<Parameter> parameters;
    std::vector<Technique> techniques;
    std::vector<Function> functions;
    std::vector<Struct> structs;
    std::string text;        // preprocessed source, the effect syntax still in place
    std::vector<Edit> edits; // what turns text into HLSL for the compiler
    std::vector<std::string> files;
    std::vector<std::pair<int, int>> lines; // per line of text: (file index, line in that file)

    int findParameter(const std::string& name) const;
    const Function* findFunction(const std::string& name) const;
    const Struct* findStruct(const std::string& name) const;
    // "file(line)" for a line of text (1-based).
    std::string where(int line) const;
    // The HLSL with the effect's edits and the extra ones applied.
    std::string hlsl(std::vector<Edit> extra = {}) const;
};

// Reads an effect. fileName names the source in messages and is where included files are
// looked for when include is null; flags are D3DXSHADER_ flags. False with the reason in errors
// ("fx.fx(3): ...").
bool parseEffect(const std::string& source, const std::string& fileName, const D3DXMACRO* defines,
                 ID3DXInclude* include, DWORD flags, Effect& effect, std::string& errors);

} // namespace fx
