// The effect-file reader of the Direct3D 9 layer up to the shader compiler: preprocessing,
// parameters, annotations, initialisers, samplers, techniques and passes, and the HLSL text it
// hands on.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fxparser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string source(reinterpret_cast<const char*>(data), size);
    fx::Effect effect;
    std::string errors;
    // No include handler and a file name in a folder without files: an #include fails cleanly.
    fx::parseEffect(source, "/nonexistent/fuzz.fx", nullptr, nullptr, 0, effect, errors);
    return 0;
}
