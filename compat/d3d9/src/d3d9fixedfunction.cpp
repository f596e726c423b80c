// The fixed-function pipeline as GLSL: one program per combination of the state it depends on
// (vertex inputs, lighting, texture stages, alpha test, point sprites), generated and linked
// the first time the combination is drawn.
//
// What it does: transform by World · View · Projection; vertex colours, or white; lighting
// without lights (emissive plus ambient, so black with the default material, as Direct3D);
// the texture stages with their colour and alpha operations; specular add; alpha test; point
// size with Direct3D's scale formula and point sprites. Pixel centres follow Direct3D's rule
// (integer coordinates), by shifting every vertex half a pixel right and down.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "d3d9device.h"

namespace d3d9gl {

namespace {

float asFloat(DWORD bits) {
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}

void colorOf(D3DCOLOR c, float out[4]) {
    out[0] = ((c >> 16) & 255) / 255.0f;
    out[1] = ((c >> 8) & 255) / 255.0f;
    out[2] = (c & 255) / 255.0f;
    out[3] = (c >> 24) / 255.0f;
}

// a · b for Direct3D's row-major matrices.
D3DMATRIX multiply(const D3DMATRIX& a, const D3DMATRIX& b) {
    D3DMATRIX out;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            out.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] +
                          a.m[i][3] * b.m[3][j];
        }
    }
    return out;
}

const char* const kCompare[] = {"false", "<", "==", "<=", ">", "!=", ">=", "true"};

std::string argument(DWORD arg, int stage) {
    std::string value;
    switch (arg & D3DTA_SELECTMASK) {
    case D3DTA_DIFFUSE:
        value = "vDiffuse";
        break;
    case D3DTA_CURRENT:
        value = stage == 0 ? "vDiffuse" : "current";
        break;
    case D3DTA_TEXTURE:
        value = "tex";
        break;
    case D3DTA_TFACTOR:
        value = "uTextureFactor";
        break;
    case D3DTA_SPECULAR:
        value = "vSpecular";
        break;
    case D3DTA_TEMP:
        value = "temp";
        break;
    default:
        value = "vec4(1.0)";
        break;
    }
    if (arg & D3DTA_ALPHAREPLICATE)
        value = "vec4((" + value + ").a)";
    if (arg & D3DTA_COMPLEMENT)
        value = "(vec4(1.0) - " + value + ")";
    return value;
}

// The result of a texture operation on arguments a1 and a2 (GLSL vec4 expressions).
std::string operation(DWORD op, const std::string& a1, const std::string& a2) {
    switch (op) {
    case D3DTOP_SELECTARG1:
        return a1;
    case D3DTOP_SELECTARG2:
        return a2;
    case D3DTOP_MODULATE2X:
        return "2.0 * " + a1 + " * " + a2;
    case D3DTOP_MODULATE4X:
        return "4.0 * " + a1 + " * " + a2;
    case D3DTOP_ADD:
        return a1 + " + " + a2;
    case D3DTOP_ADDSIGNED:
        return a1 + " + " + a2 + " - vec4(0.5)";
    case D3DTOP_ADDSIGNED2X:
        return "2.0 * (" + a1 + " + " + a2 + " - vec4(0.5))";
    case D3DTOP_SUBTRACT:
        return a1 + " - " + a2;
    case D3DTOP_ADDSMOOTH:
        return a1 + " + " + a2 + " - " + a1 + " * " + a2;
    case D3DTOP_BLENDDIFFUSEALPHA:
        return "mix(" + a2 + ", " + a1 + ", vDiffuse.a)";
    case D3DTOP_BLENDTEXTUREALPHA:
        return "mix(" + a2 + ", " + a1 + ", tex.a)";
    case D3DTOP_BLENDFACTORALPHA:
        return "mix(" + a2 + ", " + a1 + ", uTextureFactor.a)";
    case D3DTOP_BLENDCURRENTALPHA:
        return "mix(" + a2 + ", " + a1 + ", current.a)";
    default:
        return a1 + " * " + a2; // MODULATE, and what the layer does not have
    }
}

GLuint compile(GLenum stage, const std::string& source) {
    const GLuint shader = glCreateShader(stage);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[2048];
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "Direct3D 9 fixed function: %s\n%s\n", log, text);
    }
    return shader;
}

} // namespace

struct FixedFunction::Program {
    GLuint name = 0;
    GLint worldViewProjection, worldView, viewport, ambient, textureFactor, alphaRef, point,
        pointScale;
    // The uniforms' values as last sent: a draw sends only what changed.
    struct Values {
        D3DMATRIX worldViewProjection, worldView;
        float viewport[4], ambient[4], textureFactor[4], alphaRef, point[4], pointScale[3];
    } sent;
    bool anySent = false;
    ~Program() { glDeleteProgram(name); }
};

FixedFunction::FixedFunction() = default;
FixedFunction::~FixedFunction() = default;

void FixedFunction::prepare(Device& device, D3DPRIMITIVETYPE type, unsigned inputs) {
    static_assert(Device::kStages == kMaxStages, "a key holds every texture stage");
    if (mLast && device.stateGeneration() == mLastGeneration && type == mLastType &&
        inputs == mLastInputs) {
        glUseProgram(mLast->name);
        return;
    }
    mLastGeneration = device.stateGeneration();
    mLastType = type;
    mLastInputs = inputs;
    auto rs = [&](D3DRENDERSTATETYPE state) { return device.renderState(state); };
    const bool points = type == D3DPT_POINTLIST;
    const bool lighting = rs(D3DRS_LIGHTING) != 0;
    const bool sprites = points && rs(D3DRS_POINTSPRITEENABLE);

    // The stages that take part: up to the first disabled one, or the first that reads a
    // texture it does not have.
    struct Stage {
        DWORD colorOp, colorArg1, colorArg2, alphaOp, alphaArg1, alphaArg2, texCoord;
    };
    Stage stages[kMaxStages];
    int stageCount = 0;
    for (int s = 0; s < Device::kStages; ++s) {
        auto ts = [&](D3DTEXTURESTAGESTATETYPE t) { return device.stageState(s, t); };
        Stage stage = {ts(D3DTSS_COLOROP),          ts(D3DTSS_COLORARG1), ts(D3DTSS_COLORARG2),
                       ts(D3DTSS_ALPHAOP),          ts(D3DTSS_ALPHAARG1), ts(D3DTSS_ALPHAARG2),
                       ts(D3DTSS_TEXCOORDINDEX) & 7};
        if (stage.colorOp == D3DTOP_DISABLE)
            break;
        const bool readsTexture = (stage.colorArg1 & D3DTA_SELECTMASK) == D3DTA_TEXTURE ||
                                  ((stage.colorArg2 & D3DTA_SELECTMASK) == D3DTA_TEXTURE &&
                                   stage.colorOp != D3DTOP_SELECTARG1);
        if (readsTexture && !device.texture(s))
            break;
        stages[stageCount++] = stage;
    }

    Key key{};
    key[0] = inputs;
    key[1] = DWORD{lighting} | DWORD{points} << 1 | DWORD{sprites} << 2 |
             DWORD{rs(D3DRS_SPECULARENABLE) != 0} << 3 |
             DWORD{rs(D3DRS_POINTSCALEENABLE) != 0} << 4;
    key[2] = rs(D3DRS_COLORVERTEX);
    key[3] = rs(D3DRS_DIFFUSEMATERIALSOURCE);
    key[4] = rs(D3DRS_AMBIENTMATERIALSOURCE);
    key[5] = rs(D3DRS_EMISSIVEMATERIALSOURCE);
    key[6] = rs(D3DRS_ALPHATESTENABLE) ? rs(D3DRS_ALPHAFUNC) : 0;
    key[7] = static_cast<DWORD>(stageCount);
    for (int i = 0; i < stageCount; ++i) {
        const Stage& s = stages[i];
        DWORD* k = &key[8 + 8 * i];
        k[0] = s.colorOp, k[1] = s.colorArg1, k[2] = s.colorArg2, k[3] = s.alphaOp;
        k[4] = s.alphaArg1, k[5] = s.alphaArg2, k[6] = s.texCoord;
        k[7] = device.texture(i) != nullptr;
    }

    if (!mLast || key != mLastKey) {
        mLast = program(device, key, type, inputs);
        mLastKey = key;
    }
    setUniforms(device, *mLast);
}

FixedFunction::Program* FixedFunction::program(Device& device, const Key& key,
                                               D3DPRIMITIVETYPE type, unsigned inputs) {
    auto found = mPrograms.find(key);
    if (found == mPrograms.end()) {
        auto rs = [&](D3DRENDERSTATETYPE state) { return device.renderState(state); };
        const bool hasColor0 = inputs >> 5 & 1, hasColor1 = inputs >> 6 & 1;
        const bool points = type == D3DPT_POINTLIST;
        const bool lighting = key[1] & 1, sprites = key[1] >> 2 & 1;
        struct Stage {
            DWORD colorOp, colorArg1, colorArg2, alphaOp, alphaArg1, alphaArg2, texCoord;
        };
        std::vector<Stage> stages;
        for (DWORD i = 0; i < key[7]; ++i) {
            const DWORD* k = &key[8 + 8 * i];
            stages.push_back({k[0], k[1], k[2], k[3], k[4], k[5], k[6]});
        }
        std::string vs = "#version 450 core\nlayout(location = 0) in vec4 aPosition;\n";
        if (inputs >> 4 & 1)
            vs += "layout(location = 4) in float aPointSize;\n";
        if (hasColor0)
            vs += "layout(location = 5) in vec4 aColor0;\n";
        if (hasColor1)
            vs += "layout(location = 6) in vec4 aColor1;\n";
        for (int i = 0; i < 8; ++i) {
            if (inputs >> (7 + i) & 1)
                vs += "layout(location = " + std::to_string(7 + i) + ") in vec4 aTexCoord" +
                      std::to_string(i) + ";\n";
        }
        vs += "uniform mat4 uWorldViewProjection, uWorldView;\n"
              "uniform vec4 uViewport, uAmbient, uPoint;\n"
              "uniform vec3 uPointScale;\n"
              "out vec4 vDiffuse, vSpecular;\nout vec4 vTexCoord[8];\n"
              "void main() {\n"
              "    gl_Position = uWorldViewProjection * aPosition;\n";
        vs += std::string("    vec4 color0 = ") + (hasColor0 ? "aColor0" : "vec4(1.0)") + ";\n";
        vs += std::string("    vec4 color1 = ") + (hasColor1 ? "aColor1" : "vec4(0.0)") + ";\n";
        if (lighting) {
            // No lights exist: emissive plus ambient, the material's colours taken from the
            // vertex where the material sources say so. The material is Direct3D's default,
            // all zero (the layer has no SetMaterial).
            auto source = [&](D3DRENDERSTATETYPE state) -> std::string {
                const DWORD from = rs(D3DRS_COLORVERTEX) ? rs(state) : DWORD{D3DMCS_MATERIAL};
                if (from == D3DMCS_COLOR1 && hasColor0)
                    return "color0";
                if (from == D3DMCS_COLOR2 && hasColor1)
                    return "color1";
                return "vec4(0.0)";
            };
            vs += "    vec4 diffuseMaterial = " + source(D3DRS_DIFFUSEMATERIALSOURCE) + ";\n";
            vs += "    vec3 lit = " + source(D3DRS_EMISSIVEMATERIALSOURCE) + ".rgb + " +
                  source(D3DRS_AMBIENTMATERIALSOURCE) +
                  ".rgb * uAmbient.rgb;\n"
                  "    vDiffuse = clamp(vec4(lit, diffuseMaterial.a), 0.0, 1.0);\n"
                  "    vSpecular = vec4(0.0);\n";
        } else {
            vs += "    vDiffuse = color0;\n    vSpecular = color1;\n";
        }
        for (int i = 0; i < 8; ++i) {
            vs += "    vTexCoord[" + std::to_string(i) + "] = " +
                  ((inputs >> (7 + i) & 1) ? "aTexCoord" + std::to_string(i) : "vec4(0.0)") + ";\n";
        }
        if (points) {
            vs += std::string("    float size = ") +
                  ((inputs >> 4 & 1) ? "aPointSize" : "uPoint.x") + ";\n";
            if (rs(D3DRS_POINTSCALEENABLE))
                vs += "    float distance = length((uWorldView * aPosition).xyz);\n"
                      "    size = uViewport.y * size * sqrt(1.0 / (uPointScale.x + uPointScale.y "
                      "* distance + uPointScale.z * distance * distance));\n";
            vs += "    gl_PointSize = clamp(size, uPoint.y, uPoint.z);\n";
        }
        vs += "    gl_Position.xy += vec2(gl_Position.w, -gl_Position.w) / uViewport.xy;\n}\n";

        std::string fs = "#version 450 core\nin vec4 vDiffuse, vSpecular;\nin vec4 vTexCoord[8];\n"
                         "uniform vec4 uTextureFactor;\nuniform float uAlphaRef;\n"
                         "out vec4 fragColor;\n";
        for (size_t s = 0; s < stages.size(); ++s)
            fs += "layout(binding = " + std::to_string(s) + ") uniform sampler2D uTexture" +
                  std::to_string(s) + ";\n";
        fs += "void main() {\n    vec4 current = vDiffuse, temp = vec4(0.0), tex;\n";
        for (size_t i = 0; i < stages.size(); ++i) {
            const Stage& s = stages[i];
            const int stage = static_cast<int>(i);
            const std::string coord =
                sprites ? "gl_PointCoord" : "vTexCoord[" + std::to_string(s.texCoord) + "].xy";
            fs +=
                "    tex = " +
                (device.texture(stage) ? "texture(uTexture" + std::to_string(i) + ", " + coord + ")"
                                       : std::string("vec4(0.0)")) +
                ";\n";
            const std::string color =
                operation(s.colorOp, argument(s.colorArg1, stage), argument(s.colorArg2, stage));
            const std::string alpha = s.alphaOp == D3DTOP_DISABLE
                                          ? argument(D3DTA_CURRENT, stage)
                                          : operation(s.alphaOp, argument(s.alphaArg1, stage),
                                                      argument(s.alphaArg2, stage));
            fs += "    current = clamp(vec4((" + color + ").rgb, (" + alpha + ").a), 0.0, 1.0);\n";
        }
        if (rs(D3DRS_SPECULARENABLE))
            fs += "    current.rgb = clamp(current.rgb + vSpecular.rgb, 0.0, 1.0);\n";
        if (rs(D3DRS_ALPHATESTENABLE)) {
            const DWORD func = rs(D3DRS_ALPHAFUNC);
            if (func >= D3DCMP_NEVER && func <= D3DCMP_ALWAYS)
                fs += std::string("    if (!(current.a ") +
                      (func == D3DCMP_NEVER    ? "< -1.0"
                       : func == D3DCMP_ALWAYS ? ">= -1.0"
                                               : std::string(kCompare[func - 1]) + " uAlphaRef") +
                      ")) discard;\n";
        }
        fs += "    fragColor = current;\n}\n";

        auto program = std::make_unique<Program>();
        program->name = glCreateProgram();
        const GLuint vertex = compile(GL_VERTEX_SHADER, vs);
        const GLuint fragment = compile(GL_FRAGMENT_SHADER, fs);
        glAttachShader(program->name, vertex);
        glAttachShader(program->name, fragment);
        glLinkProgram(program->name);
        glDeleteShader(vertex);
        glDeleteShader(fragment);
        const GLuint p = program->name;
        program->worldViewProjection = glGetUniformLocation(p, "uWorldViewProjection");
        program->worldView = glGetUniformLocation(p, "uWorldView");
        program->viewport = glGetUniformLocation(p, "uViewport");
        program->ambient = glGetUniformLocation(p, "uAmbient");
        program->textureFactor = glGetUniformLocation(p, "uTextureFactor");
        program->alphaRef = glGetUniformLocation(p, "uAlphaRef");
        program->point = glGetUniformLocation(p, "uPoint");
        program->pointScale = glGetUniformLocation(p, "uPointScale");
        found = mPrograms.emplace(key, std::move(program)).first;
    }
    return found->second.get();
}

void FixedFunction::setUniforms(Device& device, Program& program) {
    auto rs = [&](D3DRENDERSTATETYPE state) { return device.renderState(state); };
    Program::Values v;
    v.worldView = multiply(device.transform(Device::kWorld), device.transform(Device::kView));
    v.worldViewProjection = multiply(v.worldView, device.transform(Device::kProjection));
    const D3DVIEWPORT9& vp = device.viewport();
    const float viewport[4] = {static_cast<float>(vp.Width), static_cast<float>(vp.Height), 0, 0};
    std::memcpy(v.viewport, viewport, sizeof viewport);
    colorOf(rs(D3DRS_AMBIENT), v.ambient);
    colorOf(rs(D3DRS_TEXTUREFACTOR), v.textureFactor);
    v.alphaRef = static_cast<float>(rs(D3DRS_ALPHAREF) & 255) / 255.0f;
    const float point[4] = {asFloat(rs(D3DRS_POINTSIZE)), asFloat(rs(D3DRS_POINTSIZE_MIN)),
                            std::fmin(asFloat(rs(D3DRS_POINTSIZE_MAX)), 64.0f), 0.0f};
    std::memcpy(v.point, point, sizeof point);
    const float scale[3] = {asFloat(rs(D3DRS_POINTSCALE_A)), asFloat(rs(D3DRS_POINTSCALE_B)),
                            asFloat(rs(D3DRS_POINTSCALE_C))};
    std::memcpy(v.pointScale, scale, sizeof scale);

    const GLuint p = program.name;
    glUseProgram(p);
    Program::Values& sent = program.sent;
    const bool all = !program.anySent;
    program.anySent = true;
    auto changed = [all](auto& was, const auto& now) {
        if (!all && std::memcmp(&was, &now, sizeof now) == 0)
            return false;
        std::memcpy(&was, &now, sizeof now);
        return true;
    };
    // Direct3D's row-major memory read as a column-major mat4 is the transpose, and
    // transpose(M) · v = (v · M): the matrices go up unchanged.
    if (changed(sent.worldViewProjection, v.worldViewProjection))
        glProgramUniformMatrix4fv(p, program.worldViewProjection, 1, GL_FALSE,
                                  &v.worldViewProjection.m[0][0]);
    if (changed(sent.worldView, v.worldView))
        glProgramUniformMatrix4fv(p, program.worldView, 1, GL_FALSE, &v.worldView.m[0][0]);
    if (changed(sent.viewport, v.viewport))
        glProgramUniform4fv(p, program.viewport, 1, v.viewport);
    if (changed(sent.ambient, v.ambient))
        glProgramUniform4fv(p, program.ambient, 1, v.ambient);
    if (changed(sent.textureFactor, v.textureFactor))
        glProgramUniform4fv(p, program.textureFactor, 1, v.textureFactor);
    if (changed(sent.alphaRef, v.alphaRef))
        glProgramUniform1f(p, program.alphaRef, v.alphaRef);
    if (changed(sent.point, v.point))
        glProgramUniform4fv(p, program.point, 1, v.point);
    if (changed(sent.pointScale, v.pointScale))
        glProgramUniform3fv(p, program.pointScale, 1, v.pointScale);
}

} // namespace d3d9gl
