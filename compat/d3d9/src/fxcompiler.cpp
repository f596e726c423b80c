// The effect compiler. Each stage is compiled from its own copy of the effect's HLSL: outputs
// with the POSITION semantic become SV_Position (glslang's DX9 mode makes only out parameters
// the position), and an entry that takes uniform parameters is called from a wrapper that passes
// the compile statement's arguments. glslang then makes SPIR-V, and SPIRV-Cross GLSL 4.50 after
// the interface is rewired: vertex inputs go to the layer's location for their semantic, varyings
// are matched between the stages by semantic, samplers are bound to their sampler number and the
// parameter block to uniform binding 0.
#include "fxcompiler.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <mutex>
#include <regex>
#include <set>
#include <sstream>

// The HLSL front end's switches are declared only for builds that say they have it.
#define ENABLE_HLSL 1
#include <glslang/Public/ResourceLimits.h>
#include <glslang/Public/ShaderLang.h>
#include <glslang/SPIRV/GlslangToSpv.h>
#include <spirv_cross/spirv_cross_c.h>

namespace fx {
namespace {

// "TEXCOORD" and "TEXCOORD0" name the same semantic.
std::string canonicalSemantic(const std::string& semantic) {
    std::string s = upper(semantic);
    if (s.empty() || !std::isdigit(static_cast<unsigned char>(s.back())))
        s += '0';
    return s;
}

bool isSemantic(const std::string& semantic, const char* name) {
    return !semantic.empty() && canonicalSemantic(semantic) == canonicalSemantic(name);
}

// The POSITION and PSIZE rewrites of one stage: the vertex shader's outputs and the pixel
// shader's inputs (where POSITION, when a shared struct carries it, becomes gl_FragCoord).
std::vector<Edit> stageEdits(const Effect& fx, const Function& f, bool vertex) {
    std::vector<Edit> edits;
    std::set<std::size_t> done;
    auto add = [&](std::size_t offset, std::size_t length, const std::string& text) {
        if (done.insert(offset).second)
            edits.push_back({offset, length, text});
    };
    auto structMembers = [&](const std::string& typeName) {
        const Struct* s = fx.findStruct(typeName);
        if (!s)
            return;
        for (const StructMember& m : s->members) {
            if (isSemantic(m.semantic, "POSITION"))
                add(m.semanticOffset, m.semantic.size(), "SV_Position");
            else if (vertex && isSemantic(m.semantic, "PSIZE"))
                add(m.offset, 0, "[[vk::builtin(\"PointSize\")]] ");
        }
    };
    if (vertex) {
        structMembers(f.returnType);
        if (isSemantic(f.returnSemantic, "POSITION"))
            add(f.returnSemanticOffset, f.returnSemantic.size(), "SV_Position");
    }
    for (const FunctionParameter& p : f.parameters) {
        if (p.uniform || p.out != vertex)
            continue;
        structMembers(p.type);
        if (isSemantic(p.semantic, "POSITION"))
            add(p.semanticOffset, p.semantic.size(), "SV_Position");
    }
    return edits;
}

// A wrapper that calls entry with the compile statement's arguments for its uniform
// parameters; empty when the entry takes none.
std::string wrapper(const Function& f, const ShaderCall& call, bool vertex, std::string& name) {
    std::string params, args;
    std::size_t argument = 0;
    for (const FunctionParameter& p : f.parameters) {
        if (!args.empty())
            args += ", ";
        if (p.uniform) {
            args += call.arguments[argument++];
            continue;
        }
        std::string text = p.text;
        if (p.out == vertex && isSemantic(p.semantic, "POSITION")) {
            std::size_t at = text.rfind(p.semantic);
            text.replace(at, p.semantic.size(), "SV_Position");
        }
        params += (params.empty() ? "" : ", ") + text;
        args += p.name;
    }
    name = "fx_" + f.name + "_" + std::to_string(call.line);
    std::string semantic = f.returnSemantic;
    if (vertex && isSemantic(semantic, "POSITION"))
        semantic = "SV_Position";
    return "\n" + f.returnType + " " + name + "(" + params + ")" +
           (semantic.empty() ? "" : " : " + semantic) + " { " +
           (f.returnType == "void" ? "" : "return ") + f.name + "(" + args + "); }\n";
}

// glslang's messages ("ERROR: 0:12: 'x' : undeclared identifier") in the effect's terms.
std::string effectMessages(const Effect& fx, const std::string& log, int fallbackLine) {
    static const std::regex positioned(R"(^ERROR: \d+:(\d+): (.*)$)");
    static const std::regex plain(R"(^ERROR: (.*)$)");
    static const std::regex summary(R"(^ERROR: \d+ compilation errors)");
    std::string out;
    std::stringstream ss(log);
    for (std::string line; std::getline(ss, line);) {
        line.erase(line.find_last_not_of(" \t\r") + 1);
        std::smatch m;
        if (std::regex_search(line, summary))
            continue;
        if (std::regex_match(line, m, positioned)) {
            int l = std::stoi(m[1]);
            if (l > static_cast<int>(fx.lines.size()))
                l = fallbackLine;
            out += fx.where(l) + ": error: " + m[2].str() + "\n";
        } else if (std::regex_match(line, m, plain)) {
            out += fx.where(fallbackLine) + ": error: " + m[1].str() + "\n";
        }
    }
    if (out.empty())
        out = fx.where(fallbackLine) + ": error: " + log + "\n";
    return out;
}

bool toSpirv(const Effect& fx, const std::string& hlsl, EShLanguage stage, const std::string& entry,
             int line, std::vector<unsigned>& spirv, std::string& errors) {
    static std::once_flag once;
    std::call_once(once, [] { glslang::InitializeProcess(); });
    glslang::TShader shader(stage);
    const char* text = hlsl.c_str();
    shader.setStrings(&text, 1);
    shader.setEntryPoint(entry.c_str());
    shader.setEnvInput(glslang::EShSourceHlsl, stage, glslang::EShClientVulkan, 100);
    shader.setEnvClient(glslang::EShClientVulkan, glslang::EShTargetVulkan_1_0);
    shader.setEnvTarget(glslang::EShTargetSpv, glslang::EShTargetSpv_1_0);
    shader.setEnvInputVulkanRulesRelaxed();
    shader.setEnvTargetHlslFunctionality1();
    shader.setAutoMapBindings(true);
    const auto messages = static_cast<EShMessages>(EShMsgSpvRules | EShMsgVulkanRules |
                                                   EShMsgReadHlsl | EShMsgHlslDX9Compatible);
    if (!shader.parse(GetDefaultResources(), 100, false, messages)) {
        errors += effectMessages(fx, shader.getInfoLog(), line);
        return false;
    }
    glslang::TProgram program;
    program.addShader(&shader);
    if (!program.link(messages) || !program.mapIO()) {
        errors += effectMessages(fx, program.getInfoLog(), line);
        return false;
    }
    spv::SpvBuildLogger logger;
    glslang::SpvOptions options;
    glslang::GlslangToSpv(*program.getIntermediate(stage), spirv, &logger, &options);
    return !spirv.empty();
}

// A SPIRV-Cross compiler for one stage.
class CrossStage {
public:
    CrossStage() { spvc_context_create(&mContext); }
    ~CrossStage() { spvc_context_destroy(mContext); }
    CrossStage(const CrossStage&) = delete;
    CrossStage& operator=(const CrossStage&) = delete;

    bool load(const std::vector<unsigned>& spirv) {
        spvc_parsed_ir ir = nullptr;
        if (spvc_context_parse_spirv(mContext, spirv.data(), spirv.size(), &ir) != SPVC_SUCCESS ||
            spvc_context_create_compiler(mContext, SPVC_BACKEND_GLSL, ir,
                                         SPVC_CAPTURE_MODE_TAKE_OWNERSHIP,
                                         &mCompiler) != SPVC_SUCCESS)
            return false;
        return spvc_compiler_create_shader_resources(mCompiler, &mResources) == SPVC_SUCCESS;
    }
    std::vector<spvc_reflected_resource> resources(spvc_resource_type type) const {
        const spvc_reflected_resource* list = nullptr;
        size_t count = 0;
        spvc_resources_get_resource_list_for_type(mResources, type, &list, &count);
        std::vector<spvc_reflected_resource> out(list, list + count);
        out.erase(std::remove_if(out.begin(), out.end(),
                                 [this](const spvc_reflected_resource& r) {
                                     return spvc_compiler_has_decoration(mCompiler, r.id,
                                                                         SpvDecorationBuiltIn);
                                 }),
                  out.end());
        return out;
    }
    std::string semantic(const spvc_reflected_resource& r) const {
        const char* s =
            spvc_compiler_get_decoration_string(mCompiler, r.id, SpvDecorationUserSemantic);
        return canonicalSemantic(s && *s ? s : r.name);
    }
    spvc_type type(spvc_type_id id) const { return spvc_compiler_get_type_handle(mCompiler, id); }
    // Locations an interface variable takes: one per matrix column and array element.
    unsigned locations(const spvc_reflected_resource& r) const {
        spvc_type t = type(r.type_id);
        unsigned n = std::max(1u, spvc_type_get_columns(t));
        for (unsigned d = 0; d < spvc_type_get_num_array_dimensions(t); ++d)
            n *= std::max<unsigned>(1u, spvc_type_get_array_dimension(t, d));
        return n;
    }
    void decorate(SpvId id, SpvDecoration d, unsigned value) {
        spvc_compiler_set_decoration(mCompiler, id, d, value);
    }
    spvc_compiler compiler() const { return mCompiler; }
    bool glsl(std::string& out) {
        spvc_compiler_options options = nullptr;
        spvc_compiler_create_compiler_options(mCompiler, &options);
        spvc_compiler_options_set_uint(options, SPVC_COMPILER_OPTION_GLSL_VERSION, 450);
        spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_GLSL_ES, SPVC_FALSE);
        spvc_compiler_install_compiler_options(mCompiler, options);
        const char* source = nullptr;
        if (spvc_compiler_compile(mCompiler, &source) != SPVC_SUCCESS || !source)
            return false;
        out = source;
        return true;
    }
    std::string lastError() const { return spvc_context_get_last_error_string(mContext); }

private:
    spvc_context mContext = nullptr;
    spvc_compiler mCompiler = nullptr;
    spvc_resources mResources = nullptr;
};

// The parameter block's layout as one stage declares it; binds it to uniform binding 0.
bool reflectBlock(CrossStage& stage, std::vector<BlockMember>& members, std::uint32_t& size) {
    for (const spvc_reflected_resource& r : stage.resources(SPVC_RESOURCE_TYPE_UNIFORM_BUFFER)) {
        const char* typeName = spvc_compiler_get_name(stage.compiler(), r.base_type_id);
        if (std::string(r.name) != "$Global" && std::string(typeName ? typeName : "") != "$Global")
            continue;
        stage.decorate(r.id, SpvDecorationBinding, 0);
        spvc_compiler c = stage.compiler();
        spvc_type block = stage.type(r.base_type_id);
        size_t declared = 0;
        spvc_compiler_get_declared_struct_size(c, block, &declared);
        size = static_cast<std::uint32_t>(declared);
        members.clear();
        for (unsigned i = 0; i < spvc_type_get_num_member_types(block); ++i) {
            BlockMember m;
            m.name = spvc_compiler_get_member_name(c, r.base_type_id, i);
            unsigned value = 0;
            spvc_compiler_type_struct_member_offset(c, block, i, &value);
            m.offset = value;
            spvc_type member = stage.type(spvc_type_get_member_type(block, i));
            if (spvc_type_get_num_array_dimensions(member) > 0 &&
                spvc_compiler_type_struct_member_array_stride(c, block, i, &value) == SPVC_SUCCESS)
                m.arrayStride = value;
            if (spvc_type_get_columns(member) > 1 &&
                spvc_compiler_type_struct_member_matrix_stride(c, block, i, &value) == SPVC_SUCCESS)
                m.matrixStride = value;
            m.rowMajor =
                spvc_compiler_has_member_decoration(c, r.base_type_id, i, SpvDecorationRowMajor);
            members.push_back(m);
        }
        return true;
    }
    return false;
}

std::string glslType(CrossStage& stage, const spvc_reflected_resource& r) {
    spvc_type t = stage.type(r.type_id);
    if (spvc_type_get_columns(t) > 1 || spvc_type_get_num_array_dimensions(t) > 0)
        return std::string();
    unsigned n = spvc_type_get_vector_size(t);
    std::string prefix;
    switch (spvc_type_get_basetype(t)) {
    case SPVC_BASETYPE_FP32:
        return n == 1 ? "float" : "vec" + std::to_string(n);
    case SPVC_BASETYPE_INT32:
        prefix = "i";
        break;
    case SPVC_BASETYPE_UINT32:
        prefix = "u";
        break;
    default:
        return std::string();
    }
    return n == 1 ? (prefix == "i" ? "int" : "uint") : prefix + "vec" + std::to_string(n);
}

// Inserts declarations after the #version and #extension lines.
void insertDeclarations(std::string& glsl, const std::string& declarations) {
    std::size_t at = 0;
    while (at < glsl.size() && (glsl[at] == '#' || glsl[at] == '\n')) {
        std::size_t eol = glsl.find('\n', at);
        at = eol == std::string::npos ? glsl.size() : eol + 1;
    }
    glsl.insert(at, declarations);
}

} // namespace

unsigned samplerNumber(const Effect& effect, int parameter) {
    unsigned n = 0;
    for (int i = 0; i < parameter; ++i)
        if (isSampler(effect.parameters[i].type))
            ++n;
    return n;
}

bool stageHLSL(const Effect& fx, const ShaderCall& call, bool vertex, std::string& hlsl,
               std::string& entry, std::string& errors) {
    const Function* f = fx.findFunction(call.entry);
    std::vector<Edit> edits;
    std::string extra;
    entry = call.entry;
    if (f) {
        edits = stageEdits(fx, *f, vertex);
        std::size_t uniforms = std::count_if(f->parameters.begin(), f->parameters.end(),
                                             [](const FunctionParameter& p) { return p.uniform; });
        if (uniforms != call.arguments.size()) {
            errors += fx.where(call.line) + ": error: '" + call.entry + "' takes " +
                      std::to_string(uniforms) +
                      " uniform parameters, the compile statement passes " +
                      std::to_string(call.arguments.size()) + "\n";
            return false;
        }
        if (uniforms)
            extra = wrapper(*f, call, vertex, entry);
    } else if (!call.arguments.empty()) {
        errors += fx.where(call.line) + ": error: entry point '" + call.entry + "' not found\n";
        return false;
    }
    hlsl = fx.hlsl(edits) + extra;
    return true;
}

bool translatePass(const Effect& fx, const Pass& pass, PassSource& out, std::string& errors) {
    std::vector<unsigned> spirv[2];
    const ShaderCall* calls[2] = {&pass.vertexShader, &pass.pixelShader};
    for (int s = 0; s < 2; ++s) {
        const bool vertex = s == 0;
        std::string hlsl, entry;
        if (!stageHLSL(fx, *calls[s], vertex, hlsl, entry, errors) ||
            !toSpirv(fx, hlsl, vertex ? EShLangVertex : EShLangFragment, entry, calls[s]->line,
                     spirv[s], errors))
            return false;
    }

    CrossStage vs, ps;
    if (!vs.load(spirv[0]) || !ps.load(spirv[1])) {
        errors +=
            fx.where(pass.line) + ": error: SPIRV-Cross: " + vs.lastError() + ps.lastError() + "\n";
        return false;
    }

    // Vertex inputs: the layer's location for each semantic.
    out.integerInputs = 0;
    for (const spvc_reflected_resource& r : vs.resources(SPVC_RESOURCE_TYPE_STAGE_INPUT)) {
        std::string semantic = vs.semantic(r);
        int location = d3d9gl::inputLocationOfSemantic(semantic.c_str());
        if (location < 0) {
            errors += fx.where(pass.vertexShader.line) + ": error: vertex input '" + r.name +
                      "' has semantic " + semantic + ", which no vertex element can feed\n";
            return false;
        }
        vs.decorate(r.id, SpvDecorationLocation, static_cast<unsigned>(location));
        spvc_basetype base = spvc_type_get_basetype(vs.type(r.type_id));
        if (base == SPVC_BASETYPE_INT32 || base == SPVC_BASETYPE_UINT32)
            out.integerInputs |= 1u << location;
    }

    // Varyings: the same location for the same semantic in both stages.
    auto outputs = vs.resources(SPVC_RESOURCE_TYPE_STAGE_OUTPUT);
    auto inputs = ps.resources(SPVC_RESOURCE_TYPE_STAGE_INPUT);
    std::map<std::string, unsigned> sizes;
    for (const auto& r : outputs)
        sizes[vs.semantic(r)] = std::max(sizes[vs.semantic(r)], vs.locations(r));
    for (const auto& r : inputs)
        sizes[ps.semantic(r)] = std::max(sizes[ps.semantic(r)], ps.locations(r));
    std::map<std::string, unsigned> locations;
    unsigned next = 0;
    for (const auto& [semantic, size] : sizes) {
        locations[semantic] = next;
        next += size;
    }
    std::set<std::string> written;
    for (const auto& r : outputs) {
        vs.decorate(r.id, SpvDecorationLocation, locations[vs.semantic(r)]);
        written.insert(vs.semantic(r));
    }
    std::string unwritten; // pixel-shader inputs the vertex shader leaves undefined
    for (const auto& r : inputs) {
        std::string semantic = ps.semantic(r);
        ps.decorate(r.id, SpvDecorationLocation, locations[semantic]);
        if (written.count(semantic))
            continue;
        std::string type = glslType(ps, r);
        if (type.empty()) {
            errors += fx.where(pass.pixelShader.line) + ": error: pixel shader input " + semantic +
                      " is not written by the vertex shader\n";
            return false;
        }
        unwritten += "layout(location = " + std::to_string(locations[semantic]) + ") out " +
                     (type[0] == 'i' || type[0] == 'u' ? "flat " : "") + type + " fx_unwritten_" +
                     semantic + ";\n";
    }

    // The parameter block.
    std::vector<BlockMember> psBlock;
    std::uint32_t psSize = 0;
    bool vsHas = reflectBlock(vs, out.block, out.blockSize);
    bool psHas = reflectBlock(ps, psBlock, psSize);
    if (!vsHas && psHas) {
        out.block = psBlock;
        out.blockSize = psSize;
    } else if (vsHas && psHas) {
        bool same = psBlock.size() == out.block.size();
        for (std::size_t i = 0; same && i < psBlock.size(); ++i)
            same = psBlock[i].name == out.block[i].name && psBlock[i].offset == out.block[i].offset;
        if (!same) {
            errors += fx.where(pass.line) +
                      ": error: the vertex and pixel shaders lay out the parameters differently\n";
            return false;
        }
    }

    // Samplers: binding = sampler number.
    out.samplers.clear();
    for (CrossStage* stage : {&vs, &ps}) {
        for (const auto& r : stage->resources(SPVC_RESOURCE_TYPE_SAMPLED_IMAGE)) {
            int index = fx.findParameter(r.name);
            if (index < 0 || !isSampler(fx.parameters[index].type)) {
                errors += fx.where(pass.line) + ": error: sampler '" + r.name +
                          "' is not a parameter of the effect\n";
                return false;
            }
            stage->decorate(r.id, SpvDecorationBinding, samplerNumber(fx, index));
            if (std::find(out.samplers.begin(), out.samplers.end(), index) == out.samplers.end())
                out.samplers.push_back(index);
        }
    }

    if (!vs.glsl(out.vertex) || !ps.glsl(out.fragment)) {
        errors +=
            fx.where(pass.line) + ": error: SPIRV-Cross: " + vs.lastError() + ps.lastError() + "\n";
        return false;
    }
    // Direct3D 9 samples pixels at integer coordinates, OpenGL half a pixel further: the
    // vertex shader moves its position by half a pixel right and down.
    insertDeclarations(out.vertex, "uniform vec2 fx_pixelOffset;\n" + unwritten);
    std::size_t close = out.vertex.rfind('}');
    if (close != std::string::npos && out.vertex.find("gl_Position") != std::string::npos)
        out.vertex.insert(close, "    gl_Position.xy += fx_pixelOffset * gl_Position.w;\n");
    return true;
}

GLuint linkPass(const PassSource& source, GLint& pixelOffsetLocation, std::string& errors) {
    GLuint program = glCreateProgram();
    const std::string* sources[2] = {&source.vertex, &source.fragment};
    const GLenum types[2] = {GL_VERTEX_SHADER, GL_FRAGMENT_SHADER};
    for (int i = 0; i < 2; ++i) {
        GLuint shader = glCreateShader(types[i]);
        const char* text = sources[i]->c_str();
        glShaderSource(shader, 1, &text, nullptr);
        glCompileShader(shader);
        GLint ok = GL_FALSE;
        glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
        if (!ok) {
            char log[2048] = {};
            glGetShaderInfoLog(shader, sizeof log, nullptr, log);
            errors += std::string("OpenGL rejects the translated ") + (i ? "pixel" : "vertex") +
                      " shader: " + log + "\n";
        }
        glAttachShader(program, shader);
        glDeleteShader(shader);
    }
    glLinkProgram(program);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) {
        char log[2048] = {};
        glGetProgramInfoLog(program, sizeof log, nullptr, log);
        errors += std::string("OpenGL cannot link the pass: ") + log + "\n";
        glDeleteProgram(program);
        return 0;
    }
    pixelOffsetLocation = glGetUniformLocation(program, "fx_pixelOffset");
    return program;
}

} // namespace fx
