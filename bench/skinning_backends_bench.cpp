// What the skinning of the first character (meshes/zax.MSH) costs each back end per frame, on
// the processor:
//   OpenGL    rvAnimMesh::animate poses every bone and skins every vertex, then hands the
//             positions to the inner rvGLMesh (no graphics context involved);
//   Direct3D  rvD3DAnimMesh::animate computes the bone matrices only, and they go to the demo's
//             effect (mirethShader.fx) as its "bones" array: SetMatrixArray and CommitChanges
//             inside an open pass, as the back end does before each draw.
// The vertex work that Direct3D leaves to the effect's vertex shader is part of its draw, which
// bench/run_demo_fps.sh measures with the rest of the frame. After the benchmarks the program
// prints the Direct3D time per frame as a fraction of the OpenGL one.
//
// The model and the effect are read below the directory named by RV_DEMO_DIR, else below the
// working directory (build/demo/ holds them once the demo's data is built). The Direct3D half
// needs an X display (run under scripts/with-xvfb.sh).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "benchdevice.h"
#include "recordingreporter.h"
#include "d3dx9.h"
#include "rvanimmesh.h"
#include "rvd3danimmesh.h"
#include "rvglmesh.h"
#include "rvmeshimport.h"
#include "rvrender.h"
#include "zrwindow.h"

namespace {

std::string demoPath(const char* relative) {
    const char* dir = std::getenv("RV_DEMO_DIR");
    return dir ? std::string(dir) + "/" + relative : std::string(relative);
}

const char kModelFile[] = "meshes/zax.MSH";
const char kEffectFile[] = "mirethShader.fx";

// Loads the character into `model` (the demo's import, with an OpenGL inner mesh); false with
// the benchmark skipped when the file cannot be read.
bool loadCharacter(benchmark::State& state, rvAnimMesh* model) {
    const std::string path = demoPath(kModelFile);
    std::string error;
    if (!rvImportAnimMeshFile(path.c_str(), model, new rvGLMesh(kTriangleList), &error) ||
        model->getFrameCount() < 2) {
        state.SkipWithError(("cannot read " + path + " (set RV_DEMO_DIR): " + error).c_str());
        return false;
    }
    model->animate(0, 1, 0.0f); // the first pose allocates, outside the timing
    return true;
}

// The poses a run at a few hundred frames per second goes through: every key-frame pair, at
// blend factors between them.
void nextPose(const rvAnimMesh& model, std::int64_t i, int* a, int* b, float* t) {
    *a = static_cast<int>((i / 15) % model.getFrameCount());
    *b = (*a + 1) % model.getFrameCount();
    *t = static_cast<float>(i % 15) / 15.0f;
}

void BM_OpenGLSkinning(benchmark::State& state) {
    rvAnimMesh model;
    if (!loadCharacter(state, &model)) {
        return;
    }
    auto* mesh = static_cast<rvGLMesh*>(model.getMesh());
    std::int64_t i = 0;
    for (auto _ : state) {
        int a, b;
        float t;
        nextPose(model, i++, &a, &b, &t);
        model.animate(a, b, t);
        benchmark::DoNotOptimize(mesh->positions());
        benchmark::ClobberMemory();
    }
    state.counters["vertices"] = mesh->getVertexCount();
    state.counters["bones"] = model.getBoneCount();
}
BENCHMARK(BM_OpenGLSkinning)->Unit(benchmark::kMicrosecond);

// A window, a device and the demo's effect, made once.
struct Direct3D : BenchDevice {
    ID3DXEffect* effect = nullptr;

    Direct3D() : BenchDevice("skinning bench", 800, 600) {
        if (!device) {
            return;
        }
        const std::string path = demoPath(kEffectFile);
        ID3DXBuffer* errors = nullptr;
        if (D3DXCreateEffectFromFileA(device, path.c_str(), nullptr, nullptr, 0, nullptr, &effect,
                                      &errors) != D3D_OK) {
            effect = nullptr;
            error = path + ": " +
                    (errors ? static_cast<const char*>(errors->GetBufferPointer())
                            : "cannot load (set RV_DEMO_DIR)");
        }
        if (errors) {
            errors->Release();
        }
    }
};

Direct3D& direct3D() {
    static Direct3D d;
    return d;
}

void BM_Direct3DBonesAndUpload(benchmark::State& state) {
    ID3DXEffect* effect = direct3D().effect;
    if (!effect) {
        state.SkipWithError(direct3D().error.c_str());
        return;
    }
    rvD3DAnimMesh model;
    if (!loadCharacter(state, &model)) {
        return;
    }
    const int bones = model.getBoneCount();
    UINT passes = 0;
    if (effect->SetTechnique("phongLighting") != D3D_OK ||
        effect->Begin(&passes, D3DXFX_DONOTSAVESTATE) != D3D_OK || effect->BeginPass(0) != D3D_OK) {
        state.SkipWithError("the effect's pass does not begin");
        return;
    }
    std::int64_t i = 0;
    for (auto _ : state) {
        int a, b;
        float t;
        nextPose(model, i++, &a, &b, &t);
        model.animate(a, b, t);
        const auto* matrices = reinterpret_cast<const D3DXMATRIX*>(model.getBoneMatrices());
        if (effect->SetMatrixArray("bones", matrices, static_cast<UINT>(bones)) != D3D_OK ||
            effect->CommitChanges() != D3D_OK) {
            state.SkipWithError("the bone matrices were not taken");
            break;
        }
    }
    effect->EndPass();
    effect->End();
    state.counters["vertices"] = model.getMesh()->getVertexCount();
    state.counters["bones"] = bones;
}
BENCHMARK(BM_Direct3DBonesAndUpload)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const auto gl = reporter.nanoseconds.find("BM_OpenGLSkinning");
    const auto d3d = reporter.nanoseconds.find("BM_Direct3DBonesAndUpload");
    if (gl != reporter.nanoseconds.end() && d3d != reporter.nanoseconds.end()) {
        std::printf("per frame: OpenGL %.0f ns, Direct3D %.0f ns, Direct3D / OpenGL = %.3f\n",
                    gl->second, d3d->second, d3d->second / gl->second);
    }
    return 0;
}
