// The effect compiler: a pass's vertex and pixel shader, HLSL to SPIR-V with glslang and on to
// GLSL 4.50 with SPIRV-Cross, wired to the layer's fixed vertex-input locations, and linked into
// an OpenGL program, with the layout of the uniform block the effect's parameters live in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "d3d9internal.h"
#include "fxparser.h"

namespace fx {

// A member of the "_Global" uniform block (std140, as laid out by the compiler).
struct BlockMember {
    std::string name;
    std::uint32_t offset = 0;
    std::uint32_t arrayStride = 0;  // 0 when not an array
    std::uint32_t matrixStride = 0; // 0 when not a matrix
    bool rowMajor = false;          // SPIR-V RowMajor: the HLSL column_major (default) packing
};

// One pass, translated to GLSL.
struct PassSource {
    std::string vertex, fragment;
    unsigned integerInputs = 0; // bit n: the input at location n is an integer vector
    std::uint32_t blockSize = 0;
    std::vector<BlockMember> block;
    std::vector<int> samplers; // the sampler parameters the pass reads
};

// The HLSL the shader compiler reads for one stage of a pass: the effect's text with the effect
// syntax blanked out, POSITION rewritten to SV_Position where the stage writes or reads it (and
// PSIZE to the point-size built-in), and, when the compile statement passes uniform arguments, a
// wrapper entry point that calls the entry with them; entry receives the name to compile. False
// with the reason in errors when the arguments do not match the entry.
bool stageHLSL(const Effect& effect, const ShaderCall& call, bool vertex, std::string& hlsl,
               std::string& entry, std::string& errors);

// Translates a pass that has both shaders. False with compiler messages ("fx.fx(12): error: ...")
// in errors.
bool translatePass(const Effect& effect, const Pass& pass, PassSource& out, std::string& errors);

// The sampler number (and texture unit) of a sampler parameter: its place among the effect's
// samplers.
unsigned samplerNumber(const Effect& effect, int parameter);

// Links the translated pass on the current GL context. The program's vertex shader reads the
// half-pixel offset from the uniform at pixelOffsetLocation. 0 with the reason in errors.
GLuint linkPass(const PassSource& source, GLint& pixelOffsetLocation, std::string& errors);

} // namespace fx
