// The cost of the Direct3D 9 layer: a small indexed draw through the layer against the same
// draw in plain OpenGL on the same context, and the creation of a skinning effect. After the
// benchmarks the program prints the layer's time per draw as a multiple of plain OpenGL's. Needs
// an X display (run under scripts/with-xvfb.sh).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <vector>

#include <benchmark/benchmark.h>

#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>

#include "benchdevice.h"
#include "recordingreporter.h"
#include "d3dx9.h"
#include "zrwindow.h"

namespace {

struct Vertex {
    float x, y, z;
    D3DCOLOR color;
};
// A quad of a few pixels: the time per draw is then the work of the calls (the layer's and the
// driver's), not the rasteriser's filling of the window.
constexpr float kHalf = 0.02f;
const Vertex kQuad[] = {{-kHalf, kHalf, 0.5f, 0xFFFF0000},
                        {kHalf, kHalf, 0.5f, 0xFF00FF00},
                        {-kHalf, -kHalf, 0.5f, 0xFF0000FF},
                        {kHalf, -kHalf, 0.5f, 0xFFFFFFFF}};
const WORD kIndices[] = {0, 1, 2, 1, 3, 2};

// One window and device for the whole program.
BenchDevice& context() {
    static BenchDevice c("d3d9 bench", 256, 256);
    return c;
}

void BM_LayerIndexedDraw(benchmark::State& state) {
    IDirect3DDevice9* device = context().device;
    if (!device) {
        state.SkipWithError("no Direct3D device (is DISPLAY set?)");
        return;
    }
    IDirect3DVertexBuffer9* vb = nullptr;
    IDirect3DIndexBuffer9* ib = nullptr;
    void* data;
    device->CreateVertexBuffer(sizeof kQuad, 0, 0, D3DPOOL_MANAGED, &vb, nullptr);
    vb->Lock(0, 0, &data, 0);
    std::memcpy(data, kQuad, sizeof kQuad);
    vb->Unlock();
    device->CreateIndexBuffer(sizeof kIndices, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib, nullptr);
    ib->Lock(0, 0, &data, 0);
    std::memcpy(data, kIndices, sizeof kIndices);
    ib->Unlock();
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    device->SetStreamSource(0, vb, 0, sizeof(Vertex));
    device->SetIndices(ib);
    for (auto _ : state) {
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE); // a state change per draw
        device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2);
    }
    glFinish();
    state.SetItemsProcessed(state.iterations());
    vb->Release();
    ib->Release();
}
BENCHMARK(BM_LayerIndexedDraw);

GLuint compile(GLenum stage, const char* source) {
    const GLuint shader = glCreateShader(stage);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
}

// The same draw with the same pipeline work, written directly against OpenGL 4.5.
void BM_PlainGLIndexedDraw(benchmark::State& state) {
    if (!context().device) {
        state.SkipWithError("no OpenGL context (is DISPLAY set?)");
        return;
    }
    const GLuint program = glCreateProgram();
    glAttachShader(program, compile(GL_VERTEX_SHADER, R"(#version 450 core
        layout(location = 0) in vec4 p; layout(location = 5) in vec4 c;
        uniform mat4 m; out vec4 color;
        void main() { gl_Position = m * p; color = c; })"));
    glAttachShader(program, compile(GL_FRAGMENT_SHADER, R"(#version 450 core
        in vec4 color; out vec4 o; void main() { o = color; })"));
    glLinkProgram(program);
    GLuint buffers[2], vao;
    glCreateBuffers(2, buffers);
    glNamedBufferData(buffers[0], sizeof kQuad, kQuad, GL_STATIC_DRAW);
    glNamedBufferData(buffers[1], sizeof kIndices, kIndices, GL_STATIC_DRAW);
    glCreateVertexArrays(1, &vao);
    glEnableVertexArrayAttrib(vao, 0);
    glVertexArrayAttribFormat(vao, 0, 3, GL_FLOAT, GL_FALSE, 0);
    glVertexArrayAttribBinding(vao, 0, 0);
    glEnableVertexArrayAttrib(vao, 5);
    glVertexArrayAttribFormat(vao, 5, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, 12);
    glVertexArrayAttribBinding(vao, 5, 0);
    glVertexArrayVertexBuffer(vao, 0, buffers[0], 0, sizeof(Vertex));
    glVertexArrayElementBuffer(vao, buffers[1]);
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const GLint m = glGetUniformLocation(program, "m");
    // Direct3D's default state that the layer's draw runs with: the depth test (less or equal)
    // with depth writes, on the device's depth buffer.
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_TRUE);
    for (auto _ : state) {
        glDisable(GL_CULL_FACE);
        glUseProgram(program);
        glProgramUniformMatrix4fv(program, m, 1, GL_FALSE, identity);
        glBindVertexArray(vao);
        glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_SHORT, nullptr);
    }
    glFinish();
    state.SetItemsProcessed(state.iterations());
    glDeleteVertexArrays(1, &vao);
    glDeleteBuffers(2, buffers);
    glDeleteProgram(program);
}
BENCHMARK(BM_PlainGLIndexedDraw);

const char kSkinningEffect[] = R"(
float4x4 wvp;
float4x4 invworld;
float4x4 bones[56];
float3 lightPos;
float3 cameraPos;
float4 pLightColor = {1, 1, 1, 1};
float4 ambientColor = {0.2, 0.2, 0.2, 1};
float specShiny = 16;
texture diffTex;
sampler2D diffSampler = sampler_state { Texture = <diffTex>; MinFilter = Linear; MagFilter = Linear; };

struct VSIn {
    float4 pos : POSITION;
    float3 normal : NORMAL;
    float2 uv : TEXCOORD0;
    float4 weights : BLENDWEIGHT;
    int4 indices : BLENDINDICES;
};
struct VSOut {
    float4 pos : POSITION;
    float2 uv : TEXCOORD0;
    float3 normal : TEXCOORD1;
    float3 world : TEXCOORD2;
};

VSOut VS(VSIn v) {
    VSOut o;
    float4x4 skin = bones[v.indices.x] * v.weights.x + bones[v.indices.y] * v.weights.y +
                    bones[v.indices.z] * v.weights.z + bones[v.indices.w] * v.weights.w;
    float4 p = mul(v.pos, skin);
    o.pos = mul(p, wvp);
    o.uv = v.uv;
    o.normal = mul(v.normal, (float3x3)skin);
    o.world = p.xyz;
    return o;
}

float4 PS(VSOut i) : COLOR0 {
    float3 n = normalize(i.normal);
    float3 l = normalize(mul(float4(lightPos, 1), invworld).xyz - i.world);
    float3 e = normalize(mul(float4(cameraPos, 1), invworld).xyz - i.world);
    float d = saturate(dot(n, l));
    float s = pow(saturate(dot(reflect(-l, n), e)), specShiny);
    float4 t = tex2D(diffSampler, i.uv);
    return t * (ambientColor + pLightColor * d) + pLightColor * s;
}

technique phongLighting {
    pass p0 {
        VertexShader = compile vs_3_0 VS();
        PixelShader = compile ps_3_0 PS();
    }
}
)";

void BM_CreateSkinningEffect(benchmark::State& state) {
    IDirect3DDevice9* device = context().device;
    if (!device) {
        state.SkipWithError("no Direct3D device (is DISPLAY set?)");
        return;
    }
    for (auto _ : state) {
        ID3DXEffect* effect = nullptr;
        ID3DXBuffer* errors = nullptr;
        if (D3DXCreateEffect(device, kSkinningEffect, sizeof kSkinningEffect - 1, nullptr, nullptr,
                             0, nullptr, &effect, &errors) != D3D_OK) {
            state.SkipWithError(errors ? static_cast<const char*>(errors->GetBufferPointer())
                                       : "the effect did not compile");
            if (errors)
                errors->Release();
            break;
        }
        effect->Release();
    }
}
BENCHMARK(BM_CreateSkinningEffect)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

// The two draws are repeated in a random interleaving and compared by their medians: the time
// is mostly the driver's rasterising threads, which share the machine with everything else.
int main(int argc, char** argv) {
    std::vector<char*> args(argv, argv + argc);
    char repetitions[] = "--benchmark_repetitions=9";
    char interleaving[] = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, {repetitions, interleaving}); // options given still win
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) {
        return 1;
    }
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const double ratio = reporter.ratio("BM_LayerIndexedDraw", "BM_PlainGLIndexedDraw");
    if (ratio > 0) {
        std::printf("per draw: layer / plain OpenGL 4.5 = %.3f\n", ratio);
    }
    return 0;
}
