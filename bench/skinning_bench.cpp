// Processor skinning, per vertex: the kernels of rvskinning.h (the fastest this processor runs,
// and each one forced), the per-bone loop the demo used before them (all four influences in
// scalar code, then setPositionArray with its bounding-box pass), and the plain per-vertex
// algorithm (a slerp, a lerp and a matrix per influence). Each skins the bind pose with the
// bone matrices of one pose and hands the positions to an OpenGL mesh (which needs no
// context), as rvAnimMesh::animate does after its bone-matrix step.
//
// On the demo's two characters (meshes/ below RV_DEMO_DIR, else below the working directory)
// and on a synthetic mesh of 5,000 vertices and 30 bones with four non-zero weights everywhere.
// At the end a table gives ns per vertex and the speed-up over the old loop, and the used kernel
// as a multiple of a memcpy of the bytes a vertex reads and writes, all from this run.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "rvanimmesh.h"
#include "rvglmesh.h"
#include "rvmeshfile.h"
#include "rvrender.h"
#include "rvskinning.h"

namespace {

struct Model {
    std::string name;
    rvMeshFile record;
    std::vector<rvMatrix44> bones; // one pose
};

rvMeshFile synthetic() {
    constexpr int kVertices = 5000, kBones = 30, kFrames = 2;
    std::mt19937 rng(1234);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    rvMeshFile s;
    s.vertexCount = kVertices;
    s.boneCount = kBones;
    s.frameCount = kFrames;
    for (int i = 0; i < 3 * kVertices; ++i) {
        s.positions.push_back(unit(rng) * 20.0f);
    }
    for (int i = 0; i < kBones * kFrames; ++i) {
        rvQuaternion q(unit(rng), unit(rng), unit(rng), unit(rng));
        const float len = std::sqrt(q.dot(q));
        s.boneKeys.push_back({rvQuaternion(q.w / len, q.x / len, q.y / len, q.z / len),
                              rvVector3(unit(rng), unit(rng), unit(rng))});
    }
    for (int v = 0; v < kVertices; ++v) {
        float w[4], sum = 0.0f;
        for (float& x : w) {
            sum += x = 0.1f + 0.9f * (unit(rng) + 1.0f) / 2.0f;
        }
        for (float x : w) {
            s.boneIndices.push_back(static_cast<std::uint8_t>(rng() % kBones));
            s.boneWeights.push_back(x / sum);
        }
    }
    return s;
}

std::vector<Model>& models() {
    static std::vector<Model> all = [] {
        std::vector<Model> list;
        const char* dir = std::getenv("RV_DEMO_DIR");
        for (const char* name : {"zax", "zaphod"}) {
            Model m{name, {}, {}};
            const std::string path =
                (dir ? std::string(dir) + "/" : std::string()) + "meshes/" + name + ".MSH";
            if (!m.record.load(path.c_str())) {
                std::fprintf(stderr, "%s (set RV_DEMO_DIR)\n", m.record.error().c_str());
                continue;
            }
            list.push_back(std::move(m));
        }
        list.push_back({"synthetic", synthetic(), {}});
        for (Model& m : list) {
            const rvMeshFile& r = m.record;
            for (std::uint32_t b = 0; b < r.boneCount; ++b) {
                m.bones.push_back(rvBoneMatrix(r.boneKeys[b * r.frameCount],
                                               r.boneKeys[b * r.frameCount + 1], 0.4f));
            }
        }
        return list;
    }();
    return all;
}

void finish(benchmark::State& state, const Model& m) {
    state.counters["ns/vertex"] = benchmark::Counter(static_cast<double>(m.record.vertexCount),
                                                     benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
    benchmark::ClobberMemory();
}

void kernel(benchmark::State& state, const Model& m, rvSkinPath path) {
    const rvMeshFile& r = m.record;
    const int n = static_cast<int>(r.vertexCount);
    rvSkinPlan plan;
    plan.build(r.positions.data(), n, r.boneIndices.data(), r.boneWeights.data());
    rvGLMesh mesh(kTriangleList);
    mesh.setPositions(r.positions.data(), 3 * n);
    rvVector3 lo, hi;
    for (auto _ : state) {
        plan.skin(m.bones.data(), mesh.beginPositions(n), &lo, &hi, path);
        mesh.commitPositions(n, lo, hi);
        benchmark::DoNotOptimize(mesh.positions());
    }
    finish(state, m);
}

// The memory floor: a copy of the bytes skinning a vertex reads from the file's arrays and
// writes (position 12, four bone indices 4, four weights 16, the skinned position 12).
constexpr std::size_t kBytesPerVertex = 44;

void copyFloor(benchmark::State& state, const Model& m) {
    const std::size_t bytes = kBytesPerVertex * m.record.vertexCount;
    std::vector<char> from(bytes, 1), to(bytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
    }
    finish(state, m);
}

// The loop rvAnimMesh::animate ran before the kernels: every influence, weight 0 or not.
void oldLoop(benchmark::State& state, const Model& m) {
    const rvMeshFile& r = m.record;
    const int n = static_cast<int>(r.vertexCount);
    const auto* bind = reinterpret_cast<const rvVector3*>(r.positions.data());
    std::vector<rvVector3> skinned(n);
    rvGLMesh mesh(kTriangleList);
    for (auto _ : state) {
        for (int v = 0; v < n; ++v) {
            const rvVector3& p = bind[v];
            rvVector3 acc;
            for (int j = 0; j < 4; ++j) {
                const float* b = m.bones[r.boneIndices[4 * v + j]].m;
                const float w = r.boneWeights[4 * v + j];
                acc.x += (p.x * b[0] + p.y * b[4] + p.z * b[8] + b[12]) * w;
                acc.y += (p.x * b[1] + p.y * b[5] + p.z * b[9] + b[13]) * w;
                acc.z += (p.x * b[2] + p.y * b[6] + p.z * b[10] + b[14]) * w;
            }
            skinned[v] = acc;
        }
        mesh.setPositionArray(skinned.data(), n);
        benchmark::DoNotOptimize(mesh.positions());
    }
    finish(state, m);
}

void perVertex(benchmark::State& state, const Model& m) {
    const rvMeshFile& r = m.record;
    const int n = static_cast<int>(r.vertexCount);
    std::vector<rvVector3> skinned(n);
    rvGLMesh mesh(kTriangleList);
    for (auto _ : state) {
        rvSkinPerVertexReference(reinterpret_cast<const rvVector3*>(r.positions.data()), n,
                                 r.boneIndices.data(), r.boneWeights.data(), r.boneKeys.data(),
                                 static_cast<int>(r.frameCount), 0, 1, 0.4f, skinned.data());
        mesh.setPositionArray(skinned.data(), n);
        benchmark::DoNotOptimize(mesh.positions());
    }
    finish(state, m);
}

// Keeps ns per vertex of every run for the table.
class Table : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const auto found = run.counters.find("ns/vertex");
            if (found != run.counters.end()) {
                nsPerVertex[run.benchmark_name()] = found->second.value * 1e9;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> nsPerVertex;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    std::vector<std::string> methods;
    auto add = [&methods](const std::string& method, auto run) {
        methods.push_back(method);
        for (const Model& m : models()) {
            benchmark::RegisterBenchmark((method + "/" + m.name).c_str(),
                                         [&m, run](benchmark::State& s) { run(s, m); });
        }
    };
    const rvSkinPath best = rvBestSkinPath();
    add(std::string("kernel ") + rvSkinPathName(best) + " (used)",
        [best](benchmark::State& s, const Model& m) { kernel(s, m, best); });
    for (rvSkinPath path : rvAvailableSkinPaths()) {
        if (path != best) {
            add(std::string("kernel ") + rvSkinPathName(path),
                [path](benchmark::State& s, const Model& m) { kernel(s, m, path); });
        }
    }
    add("old per-bone loop", oldLoop);
    add("memcpy of 44 bytes", copyFloor);
    add("per-vertex algorithm", perVertex);
    Table table;
    benchmark::RunSpecifiedBenchmarks(&table);

    std::printf("\nns per vertex (speed-up over the old per-bone loop):\n%-28s", "");
    for (const Model& m : models()) {
        std::printf("%22s", m.name.c_str());
    }
    std::printf("\n");
    for (const std::string& method : methods) {
        std::printf("%-28s", method.c_str());
        for (const Model& m : models()) {
            const double ns = table.nsPerVertex[method + "/" + m.name];
            const double old = table.nsPerVertex["old per-bone loop/" + m.name];
            std::printf("%13.2f (%5.1fx)", ns, ns > 0 ? old / ns : 0.0);
        }
        std::printf("\n");
    }
    std::printf("\n%-28s", "used kernel / memcpy");
    for (const Model& m : models()) {
        const double used = table.nsPerVertex[methods.front() + "/" + m.name];
        const double floor = table.nsPerVertex["memcpy of 44 bytes/" + m.name];
        std::printf("%22.2f", floor > 0 ? used / floor : 0.0);
    }
    std::printf("\n");
    benchmark::Shutdown();
    return 0;
}
