// Processor skinning throughput: rvAnimMesh::animate (one matrix per bone per pose) against the
// per-vertex reference (one slerp, lerp, quaternion-to-matrix conversion and point transform
// per influence), on a synthetic character of 5,000 vertices and 30 bones with four
// influences per vertex. Items processed are vertices.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "../tests/support/recordingmesh.h"
#include "rvanimmesh.h"
#include "rvmeshfile.h"

namespace {

constexpr int kVertices = 5000;
constexpr int kBones = 30;
constexpr int kFrames = 8;

struct Character {
    std::vector<float> positions;
    rvMeshFile skeleton;
};

const Character& character() {
    static const Character c = [] {
        Character ch;
        std::mt19937 rng(1234);
        std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
        std::uniform_real_distribution<float> weight(0.0f, 1.0f);
        std::uniform_int_distribution<int> bone(0, kBones - 1);
        for (int i = 0; i < 3 * kVertices; ++i) {
            ch.positions.push_back(unit(rng) * 20.0f);
        }
        rvMeshFile& s = ch.skeleton;
        s.vertexCount = kVertices;
        s.boneCount = kBones;
        s.frameCount = kFrames;
        for (int i = 0; i < kBones * kFrames; ++i) {
            rvQuaternion q(unit(rng), unit(rng), unit(rng), unit(rng));
            const float len = std::sqrt(q.dot(q));
            rvBoneKey k;
            k.rotation = rvQuaternion(q.w / len, q.x / len, q.y / len, q.z / len);
            k.translation = rvVector3(unit(rng), unit(rng), unit(rng));
            s.boneKeys.push_back(k);
        }
        for (int v = 0; v < kVertices; ++v) {
            float w[4];
            float sum = 0.0f;
            for (float& x : w) {
                x = weight(rng);
                sum += x;
            }
            for (int j = 0; j < 4; ++j) {
                s.boneIndices.push_back(static_cast<std::uint8_t>(bone(rng)));
                s.boneWeights.push_back(w[j] / sum);
            }
        }
        return ch;
    }();
    return c;
}

// Poses cycle through key-frame pairs and blend factors as update() would produce them.
void poseFor(std::int64_t i, int* a, int* b, float* t) {
    *a = static_cast<int>(i % kFrames);
    *b = (*a + 1) % kFrames;
    *t = static_cast<float>(i % 15) / 15.0f;
}

void BM_AnimateBoneMatrices(benchmark::State& state) {
    const Character& ch = character();
    rvAnimMesh anim;
    auto* mesh = new RecordingMesh;
    mesh->setPositions(ch.positions.data(), static_cast<int>(ch.positions.size()));
    anim.setMesh(mesh);
    anim.setSkeleton(ch.skeleton);
    anim.animate(0, 1, 0.5f); // bind-pose copy outside the timing
    std::int64_t i = 0;
    for (auto _ : state) {
        int a, b;
        float t;
        poseFor(i++, &a, &b, &t);
        anim.animate(a, b, t);
        benchmark::DoNotOptimize(mesh->positions.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kVertices);
}
BENCHMARK(BM_AnimateBoneMatrices)->Unit(benchmark::kMicrosecond);

void BM_PerVertexReference(benchmark::State& state) {
    const Character& ch = character();
    const rvMeshFile& s = ch.skeleton;
    // The reference's own output plus the same copy into a mesh that animate() pays for.
    RecordingMesh mesh;
    mesh.setPositions(ch.positions.data(), static_cast<int>(ch.positions.size()));
    std::vector<rvVector3> out(kVertices);
    const auto* bind = reinterpret_cast<const rvVector3*>(ch.positions.data());
    std::int64_t i = 0;
    for (auto _ : state) {
        int a, b;
        float t;
        poseFor(i++, &a, &b, &t);
        rvSkinPerVertexReference(bind, kVertices, s.boneIndices.data(), s.boneWeights.data(),
                                 s.boneKeys.data(), kFrames, a, b, t, out.data());
        mesh.setPositionArray(out.data(), kVertices);
        benchmark::DoNotOptimize(mesh.positions.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kVertices);
}
BENCHMARK(BM_PerVertexReference)->Unit(benchmark::kMicrosecond);

} // namespace
