// Mesh file load throughput: a synthetic skinned mesh of 60 000 vertices with every chunk and a
// skeleton of 40 bones × 30 frames (about 6 MB), read from a temporary file and from memory.
#include "rvmeshfile.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

constexpr std::uint32_t kVertices = 60000;
constexpr std::uint32_t kBones = 40;
constexpr std::uint32_t kFrames = 30;

rvMeshFile syntheticRecord() {
    rvMeshFile r;
    for (std::uint32_t v = 0; v < kVertices; ++v) {
        float f = float(v);
        r.positions.insert(r.positions.end(), {f * 0.01f, f * 0.02f, -f * 0.03f});
        r.normals.insert(r.normals.end(), {0.0f, 1.0f, 0.0f});
        r.texCoords.insert(r.texCoords.end(), {f / kVertices, 1.0f - f / kVertices});
        r.tangents.insert(r.tangents.end(), {1.0f, 0.0f, 0.0f, 1.0f});
        r.colors.insert(r.colors.end(), {1.0f, 0.5f, 0.5f, 0.5f});
        r.boneWeights.insert(r.boneWeights.end(), {0.5f, 0.25f, 0.25f, 0.0f});
        std::uint8_t b = std::uint8_t(v % kBones);
        r.boneIndices.insert(r.boneIndices.end(), {b, std::uint8_t((b + 1) % kBones), 0, 0});
    }
    // A strip-like triangle list: two triangles per vertex.
    for (std::uint32_t v = 0; v + 2 < kVertices; ++v) {
        r.indices.insert(r.indices.end(), {v, v + 1, v + 2});
        r.indices.insert(r.indices.end(), {v + 2, v + 1, v});
    }
    r.frameCount = kFrames;
    r.boneKeys.resize(std::size_t(kBones) * kFrames);
    for (std::size_t k = 0; k < r.boneKeys.size(); ++k) {
        r.boneKeys[k].rotation = rvQuaternion(1.0f, 0.0f, 0.0f, 0.0f);
        r.boneKeys[k].translation = rvVector3(float(k), 0.0f, 0.0f);
    }
    return r;
}

const std::vector<std::uint8_t>& image() {
    static const std::vector<std::uint8_t> bytes = rvEncodeMeshFile(syntheticRecord());
    return bytes;
}

void BM_LoadFromMemory(benchmark::State& state) {
    const std::vector<std::uint8_t>& bytes = image();
    rvMeshFile mesh;
    for (auto _ : state) {
        if (!mesh.loadFromMemory(bytes.data(), bytes.size())) {
            state.SkipWithError(mesh.error().c_str());
            break;
        }
        benchmark::DoNotOptimize(mesh.positions.data());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(bytes.size()));
}
BENCHMARK(BM_LoadFromMemory)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LoadFromFile(benchmark::State& state) {
    std::string path = (std::filesystem::temp_directory_path() / "meshload_bench.MSH").string();
    std::string error;
    if (!rvWriteMeshFile(path.c_str(), syntheticRecord(), &error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    std::size_t size = image().size();
    rvMeshFile mesh;
    for (auto _ : state) {
        if (!mesh.load(path.c_str())) {
            state.SkipWithError(mesh.error().c_str());
            break;
        }
        benchmark::DoNotOptimize(mesh.positions.data());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(size));
    state.counters["file_MB"] = double(size) / 1e6;
    std::remove(path.c_str());
}
BENCHMARK(BM_LoadFromFile)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
