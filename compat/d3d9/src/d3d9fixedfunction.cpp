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
    ~Program() { glDeleteProgram(name); }
};

FixedFunction::FixedFunction() = default;
FixedFunction::~FixedFunction() = default;

void FixedFunction::prepare(Device& device, D3DPRIMITIVETYPE type, unsigned inputs) {
    auto rs = [&](D3DRENDERSTATETYPE state) { return device.renderState(state); };
    const bool hasColor0 = inputs >> 5 & 1, hasColor1 = inputs >> 6 & 1;
    const bool points = type == D3DPT_POINTLIST;
    const bool lighting = rs(D3DRS_LIGHTING) != 0;
    const bool sprites = points && rs(D3DRS_POINTSPRITEENABLE);

    // The stages that take part: up to the first disabled one, or the first that reads a
    // texture it does not have.
    struct Stage {
        DWORD colorOp, colorArg1, colorArg2, alphaOp, alphaArg1, alphaArg2, texCoord;
    };
    std::vector<Stage> stages;
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
        stages.push_back(stage);
    }

    mKey.clear();
    char part[160];
    std::snprintf(part, sizeof part, "%x/%d%d%d/%lu,%lu,%lu,%lu/%lu/", inputs, lighting, points,
                  sprites, static_cast<unsigned long>(rs(D3DRS_COLORVERTEX)),
                  static_cast<unsigned long>(rs(D3DRS_DIFFUSEMATERIALSOURCE)),
                  static_cast<unsigned long>(rs(D3DRS_AMBIENTMATERIALSOURCE)),
                  static_cast<unsigned long>(rs(D3DRS_EMISSIVEMATERIALSOURCE)),
                  static_cast<unsigned long>(rs(D3DRS_ALPHATESTENABLE) ? rs(D3DRS_ALPHAFUNC) : 0));
    mKey += part;
    mKey += rs(D3DRS_SPECULARENABLE) ? "s" : "-";
    mKey += rs(D3DRS_POINTSCALEENABLE) ? "p" : "-";
    for (const Stage& s : stages) {
        std::snprintf(
            part, sizeof part, "|%lu,%lu,%lu,%lu,%lu,%lu,%lu",
            static_cast<unsigned long>(s.colorOp), static_cast<unsigned long>(s.colorArg1),
            static_cast<unsigned long>(s.colorArg2), static_cast<unsigned long>(s.alphaOp),
            static_cast<unsigned long>(s.alphaArg1), static_cast<unsigned long>(s.alphaArg2),
            static_cast<unsigned long>(s.texCoord));
        mKey += part;
    }

    auto found = mPrograms.find(mKey);
    if (found == mPrograms.end()) {
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
        found = mPrograms.emplace(mKey, std::move(program)).first;
    }

    const Program& program = *found->second;
    const GLuint p = program.name;
    glUseProgram(p);
    const D3DMATRIX worldView =
        multiply(device.transform(Device::kWorld), device.transform(Device::kView));
    const D3DMATRIX wvp = multiply(worldView, device.transform(Device::kProjection));
    // Direct3D's row-major memory read as a column-major mat4 is the transpose, and
    // transpose(M) · v = (v · M): the matrices go up unchanged.
    glProgramUniformMatrix4fv(p, program.worldViewProjection, 1, GL_FALSE, &wvp.m[0][0]);
    glProgramUniformMatrix4fv(p, program.worldView, 1, GL_FALSE, &worldView.m[0][0]);
    const D3DVIEWPORT9& vp = device.viewport();
    glProgramUniform4f(p, program.viewport, static_cast<float>(vp.Width),
                       static_cast<float>(vp.Height), 0.0f, 0.0f);
    float color[4];
    colorOf(rs(D3DRS_AMBIENT), color);
    glProgramUniform4fv(p, program.ambient, 1, color);
    colorOf(rs(D3DRS_TEXTUREFACTOR), color);
    glProgramUniform4fv(p, program.textureFactor, 1, color);
    glProgramUniform1f(p, program.alphaRef, static_cast<float>(rs(D3DRS_ALPHAREF) & 255) / 255.0f);
    glProgramUniform4f(p, program.point, asFloat(rs(D3DRS_POINTSIZE)),
                       asFloat(rs(D3DRS_POINTSIZE_MIN)),
                       std::fmin(asFloat(rs(D3DRS_POINTSIZE_MAX)), 64.0f), 0.0f);
    glProgramUniform3f(p, program.pointScale, asFloat(rs(D3DRS_POINTSCALE_A)),
                       asFloat(rs(D3DRS_POINTSCALE_B)), asFloat(rs(D3DRS_POINTSCALE_C)));
}

} // namespace d3d9gl
