// How a frame's cost grows with the crowd: N copies of the first character (meshes/zax.MSH),
// each at its own animation time, drawn in the demo's scene (sky box, floor, light marker)
// through each back end in an 800 × 600 window, N = 1, 4, 16, 64, 256. The copies stand in
// rows on the floor in front of a camera that sees them all.
//
// One benchmark iteration is one frame: every copy is posed (update, 1/60 s on), then the frame
// is drawn (drawCrowd) and presented. Besides the wall-clock time per frame, the program's
// thread measures the stages the scene reports (rvFrameCost): animation (keys and bone
// matrices), skinning on the processor (OpenGL) or handing the effect the bones (Direct3D), the
// other drawing calls, and the present, which waits for the drawing to finish. At the end a
// table per back end gives them per frame and, between one crowd and the next, per added
// character: where the cost per character changes, the back end bends.
//
// Run from a directory holding the demo's data (RV_DEMO_DIR, else the working directory; the
// demo's run directory build/demo/ holds it), with a display (scripts/with-xvfb.sh).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "backends.h"
#include "recordingreporter.h"
#include "rvanimmesh.h"
#include "rvcamera.h"
#include "rvrender.h"
#include "scene.h"
#include "zrplatform.h"
#include "zrwindow.h"

namespace {

constexpr int kCrowds[] = {1, 4, 16, 64, 256};
constexpr float kFrameTime = 1.0f / 60.0f;

// Milliseconds per frame of each stage (and of the whole frame, from the reporter).
struct Stages {
    double animation = 0, skinning = 0, upload = 0, drawing = 0, present = 0;
};

// The back end that is up: its renderer on the one window, the scene loaded, the crowd made.
struct Stage {
    const rvBackEnd* backEnd = nullptr;
    std::vector<std::unique_ptr<rvAnimMesh>> crowd;
    std::vector<rvAnimMesh*> models; // the crowd's, for drawCrowd
    std::vector<rvMatrix44> worlds;
    std::string error;

    void bringUp(const rvBackEnd& which) {
        if (backEnd == &which) {
            return;
        }
        tearDown();
        backEnd = &which;
        error.clear();
        gRender = which.create();
        gShading = which.shading;
        gUseOpenGL = which.id == rvBackEndId::kOpenGL;
        if (!gRender->init(gWindow)) {
            error = std::string(which.name) + " does not start here";
            return;
        }
        gCamera = new rvFlyCamera;
        gCamera->mPosition = rvVector3(0.0f, 8.0f, 34.0f);
        gCamera->mUp = rvVector3(0.0f, 1.0f, 0.0f);
        gCamera->setZAxis(0.0f, 0.0f, 1.0f);
        gRender->setViewMatrix(gCamera->getViewMatrix());
        initScene();
    }

    // The first `count` copies, each at its own time: copy i starts i key frames and a part of
    // one on.
    void makeCrowd(int count) {
        const int columns = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(count))));
        while (static_cast<int>(crowd.size()) < count) {
            const int i = static_cast<int>(crowd.size());
            crowd.emplace_back(loadFirstCharacterCopy());
            models.push_back(crowd.back().get());
            rvAnimMesh& model = *crowd.back();
            for (int k = 0; k < i % std::max(1, model.getFrameCount()); ++k) {
                model.update(model.getFrameDuration());
            }
            model.update(model.getFrameDuration() * std::fmod(0.37f * i, 1.0f));
        }
        worlds.assign(count, gWorld1);
        for (int i = 0; i < count; ++i) {
            worlds[i](3, 0) = 1.6f * (i % columns - 0.5f * (columns - 1));
            worlds[i](3, 2) = gWorld1(3, 2) - 2.0f * (i / columns);
        }
    }

    void tearDown() {
        if (!backEnd) {
            return;
        }
        delete gRender; // first: the meshes it made outlive it
        gRender = nullptr;
        crowd.clear();
        models.clear();
        worlds.clear();
        delete gCamera;
        gCamera = nullptr;
        shutdownScene();
        backEnd = nullptr;
    }
};

Stage& stage() {
    static Stage s;
    return s;
}

std::map<std::string, Stages>& stagesOf() {
    static std::map<std::string, Stages> all;
    return all;
}

std::string nameOf(const rvBackEnd& backEnd, int count) {
    return std::string("crowd/") + backEnd.name + "/" + std::to_string(count);
}

void crowdFrame(benchmark::State& state, const rvBackEnd& backEnd, int count) {
    Stage& s = stage();
    s.bringUp(backEnd);
    if (!s.error.empty()) {
        state.SkipWithError(s.error.c_str());
        return;
    }
    s.makeCrowd(count);
    Stages sum;
    for (auto _ : state) {
        bool quit = false;
        while (zrPumpMessage(&quit)) {
        }
        for (int i = 0; i < count; ++i) {
            s.crowd[i]->update(kFrameTime);
            sum.animation += s.crowd[i]->getLastPoseCost().bones;
            sum.skinning += s.crowd[i]->getLastPoseCost().skinning;
        }
        drawCrowd(s.models.data(), s.worlds.data(), count);
        sum.upload += gFrameCost.upload;
        sum.drawing += gFrameCost.drawing;
        sum.present += gFrameCost.present;
    }
    const double frames = static_cast<double>(state.iterations());
    Stages& per = stagesOf()[nameOf(backEnd, count)];
    per.animation = 1e3 * sum.animation / frames;
    per.skinning = 1e3 * sum.skinning / frames;
    per.upload = 1e3 * sum.upload / frames;
    per.drawing = 1e3 * sum.drawing / frames;
    per.present = 1e3 * sum.present / frames;
    state.counters["characters"] = count;
}

void printTable(const rvBackEnd& backEnd, const RecordingReporter& reporter) {
    const char* bones = backEnd.shading == rvShading::kEffect ? "bone upload" : "skinning";
    std::printf("\n%s, ms per frame (800x600):\n%6s %9s %10s %12s %9s %9s\n", backEnd.name, "N",
                "frame", "animation", bones, "drawing", "present");
    for (int n : kCrowds) {
        const std::string name = nameOf(backEnd, n);
        const auto wall = reporter.nanoseconds.find(name);
        if (wall == reporter.nanoseconds.end()) {
            continue;
        }
        const Stages& s = stagesOf()[name];
        std::printf("%6d %9.2f %10.3f %12.3f %9.2f %9.2f\n", n, wall->second / 1e6, s.animation,
                    s.skinning + s.upload, s.drawing, s.present);
    }
    std::printf("%s, ms per added character:\n%11s %9s %10s %12s %9s %9s\n", backEnd.name, "N",
                "frame", "animation", bones, "drawing", "present");
    for (std::size_t k = 1; k < sizeof(kCrowds) / sizeof(kCrowds[0]); ++k) {
        const std::string from = nameOf(backEnd, kCrowds[k - 1]), to = nameOf(backEnd, kCrowds[k]);
        const auto a = reporter.nanoseconds.find(from), b = reporter.nanoseconds.find(to);
        if (a == reporter.nanoseconds.end() || b == reporter.nanoseconds.end()) {
            continue;
        }
        const double added = kCrowds[k] - kCrowds[k - 1];
        const Stages& p = stagesOf()[from];
        const Stages& q = stagesOf()[to];
        std::printf("%4d → %4d %9.3f %10.4f %12.4f %9.3f %9.3f\n", kCrowds[k - 1], kCrowds[k],
                    (b->second - a->second) / 1e6 / added, (q.animation - p.animation) / added,
                    (q.skinning + q.upload - p.skinning - p.upload) / added,
                    (q.drawing - p.drawing) / added, (q.present - p.present) / added);
    }
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    if (const char* dir = std::getenv("RV_DEMO_DIR")) {
        if (chdir(dir) != 0) {
            std::fprintf(stderr, "cannot enter %s\n", dir);
            return 1;
        }
    }
    int instance = 0;
    const zrWindowParams params = {"crowd bench", 0x00C00000u, 0, 800, 600, 0, 0};
    if (!std::getenv("DISPLAY") || !zrPlatformInit() || !gWindow->create(&instance, &params)) {
        std::fprintf(stderr, "no window (is DISPLAY set?)\n");
        return 1;
    }
    std::vector<const rvBackEnd*> backEnds;
    for (rvBackEndId id : {rvBackEndId::kDirect3D9, rvBackEndId::kOpenGL}) {
        const rvBackEnd& backEnd = rvGetBackEnd(id);
        if (!backEnd.create || rvBackEndMissing(id)) {
            continue;
        }
        backEnds.push_back(&backEnd);
        for (int n : kCrowds) {
            benchmark::RegisterBenchmark(nameOf(backEnd, n).c_str(), [&backEnd,
                                                                      n](benchmark::State& state) {
                crowdFrame(state, backEnd, n);
            })->Unit(benchmark::kMillisecond);
        }
    }
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    stage().tearDown();
    for (const rvBackEnd* backEnd : backEnds) {
        printTable(*backEnd, reporter);
    }
    benchmark::Shutdown();
    zrPlatformShutdown();
    return 0;
}
