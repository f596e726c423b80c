// What the processor skinning costs the running demo per frame: rvAnimMesh::update on the real
// characters, exactly as the frame loop calls it on the OpenGL back end (advance the animation,
// pose every bone, skin every vertex, hand the positions to the inner mesh). The inner mesh here
// copies the positions like the OpenGL mesh does, without a graphics context.
//
// The characters are read from meshes/zax.MSH and meshes/zaphod.MSH below the directory named by
// the environment variable RV_DEMO_DIR, else below the working directory (build/demo/ holds
// them once the demo's data is built). Compare the time per update with the frame time that
// bench/run_demo_fps.sh measures to get the skinning's share of a frame.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "../tests/support/recordingmesh.h"
#include "rvanimmesh.h"
#include "rvmeshimport.h"

namespace {

std::string demoPath(const char* relative) {
    const char* dir = std::getenv("RV_DEMO_DIR");
    return dir ? std::string(dir) + "/" + relative : std::string(relative);
}

// One update per frame at a frame rate well above the 15 key frames per second, so that most
// calls blend within a key-frame pair and some advance to the next, as in the demo.
void updateCharacter(benchmark::State& state, const char* file) {
    const std::string path = demoPath(file);
    rvAnimMesh model;
    auto* mesh = new RecordingMesh;
    std::string error;
    if (!rvImportAnimMeshFile(path.c_str(), &model, mesh, &error)) {
        state.SkipWithError(("cannot read " + path + " (set RV_DEMO_DIR): " + error).c_str());
        return;
    }
    model.setFrameRate(15);
    model.update(0.0f); // the bind-pose copy is made once, outside the timing
    for (auto _ : state) {
        model.update(1.0f / 250.0f);
        benchmark::DoNotOptimize(mesh->positions.data());
        benchmark::ClobberMemory();
    }
    const int vertices = mesh->getVertexCount();
    state.SetItemsProcessed(state.iterations() * vertices);
    state.counters["vertices"] = vertices;
    state.counters["bones"] = model.getBoneCount();
    state.counters["keyFrames"] = model.getFrameCount();
}

void BM_UpdateZax(benchmark::State& state) {
    updateCharacter(state, "meshes/zax.MSH");
}
BENCHMARK(BM_UpdateZax)->Unit(benchmark::kMicrosecond);

void BM_UpdateZaphod(benchmark::State& state) {
    updateCharacter(state, "meshes/zaphod.MSH");
}
BENCHMARK(BM_UpdateZaphod)->Unit(benchmark::kMicrosecond);

} // namespace
