// The program: creates the window, asks which renderer to use, loads the scene and runs the
// frame loop until the window is closed (Escape or the close box). The platform's entry point
// (main_sdl.cpp: main; main_win32.cpp: WinMain) calls rvAppMain.
//
// Usage: brindle [model.MSH]   A mesh file named as the first argument replaces the first
// character; it is opened exactly as given, relative to the working directory.
//
// With BRINDLE_FRAME_REPORT=1 in the environment, the program writes one line to its standard
// output after every frame it draws (see reportFrame): the whole-program tests wait on these
// lines instead of guessing how long a frame takes. Before the first of them it writes
// "startup <ms> ms", the time from the answer to the renderer question until the first frame
// was drawn (bench/run_startup.sh reads it).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#if RV_CAPTURE
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>
#endif

#include "appmain.h"
#include "backends.h"
#include "frame.h"
#include "options.h"
#include "rvanimmesh.h"
#include "rvcamera.h"
#include "rvmeshfile.h"
#include "rvrender.h"
#include "scene.h"
#include "zrglcontext.h"
#include "zrinput.h"
#include "zrplatform.h"
#include "zrwindow.h"

namespace {

// rvAppPlatform over the platform layer.
class zrAppPlatform final : public rvAppPlatform {
public:
    bool keyPressed(int key) override { return zrInput::keyPressed(key); }
    void pollInput() override { zrInput::update(); }
    zrPoint getMousePos() override { return zrInput::getMousePos(gWindow); }
    void setMousePos(zrPoint client) override {
        zrClientToScreen(gWindow, &client);
        zrInput::setMousePos(client);
    }
    void hideCursor() override { zrHideCursor(); }
    int getWidth() override { return gWindow->getWidth(); }
    int getHeight() override { return gWindow->getHeight(); }
    float getFrameTime() override { return gWindow->getFrameTime(); }
    int getFPS() override { return gWindow->getFPS(); }
    void setTitle(const char* title) override { zrSetWindowTitle(gWindow, title); }
};

#if RV_CAPTURE
// The platform for pictures without a desktop: no keys, the mouse resting at the window's
// centre (the view does not turn), and frames of exactly 1/60 s.
class zrCapturePlatform final : public rvAppPlatform {
public:
    bool keyPressed(int) override { return false; }
    void pollInput() override {}
    zrPoint getMousePos() override { return gMouseCentre; }
    void setMousePos(zrPoint) override {}
    void hideCursor() override {}
    int getWidth() override { return gWindow->getWidth(); }
    int getHeight() override { return gWindow->getHeight(); }
    float getFrameTime() override { return 1.0f / 60.0f; }
    int getFPS() override { return 60; }
    void setTitle(const char*) override {}
};
#endif

// The window styles of a fixed-size framed window with a title bar and a system menu
// (WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU) shown in the task bar
// (WS_EX_APPWINDOW).
constexpr unsigned int kWindowStyle = 0x6c80000;
constexpr unsigned int kWindowExStyle = 0x40000;

const char kRendererQuestion[] =
    "The default Renderer is DirectX.  Would you like to switch to OpenGL?";
const char kRendererCaption[] = "Default Renderer";

// The moment the question was answered, for the start-up time of the frame report.
std::chrono::steady_clock::time_point gAnswered;

// Yes chooses OpenGL; No, or closing the box, Direct3D. A back end this build lacks, or one the
// machine cannot run, is said so in a box, and the other one draws.
void chooseRenderer() {
    const bool yes = zrAskYesNo(gWindow, kRendererQuestion, kRendererCaption);
    gAnswered = std::chrono::steady_clock::now();
    const rvBackEnd* chosen = &rvGetBackEnd(yes ? rvBackEndId::kOpenGL : rvBackEndId::kDirect3D9);
    zrSetWindowTitle(gWindow, chosen->title);
    std::string why;
    if (!chosen->create) {
        // A build configured without this back end (RV_BACKEND_GL or RV_BACKEND_D3D9 off).
        why = std::string("The ") + chosen->name + " back end is not in this build";
    } else if (const char* missing = rvBackEndMissing(chosen->id)) {
        why = missing;
    }
    if (!why.empty()) {
        const rvBackEnd& other = rvGetBackEnd(yes ? rvBackEndId::kDirect3D9 : rvBackEndId::kOpenGL);
        const std::string message = why + "; using " + other.name + ".";
        zrShowMessage(message.c_str(), kRendererCaption);
        chosen = &other;
        zrSetWindowTitle(gWindow, chosen->title);
    }
    gRender = chosen->create();
    gShading = chosen->shading;
    gUseOpenGL = chosen->id == rvBackEndId::kOpenGL;
}

void centreMouse() {
    zrPoint centre = gMouseCentre;
    zrClientToScreen(gWindow, &centre);
    zrInput::setMousePos(centre);
}

void setKeyDelays() {
    zrInput::setKeyDelay(kKeyEnter, 0.5f);
    zrInput::setKeyDelay('b', 0.2f);
    zrInput::setKeyDelay(kKeyShift, 0.2f);
    zrInput::setKeyDelay(kKeyLight, 0.5f);
    zrInput::setKeyDelay(kKeyWireframe, 0.5f);
    zrInput::setKeyDelay(kKeySwitchModel, 0.5f);
    zrInput::setKeyDelay(kKeySpace, 0.5f);
    zrInput::setKeyDelay(kKeyCosts, 0.5f);
    for (int key : {kKeyPeriod, kKeyComma}) {
        zrInput::setKeyDelay(key, 0.2f);
    }
    for (int key : {kKeyPlus, kKeyMinus}) {
        zrInput::setKeyDelay(key, 0.3f);
    }
}

// One line per drawn frame, for programs that drive the demo: the frame's number, the seconds
// of frame time since the first, the camera's position and viewing direction, the toggles, and
// the shown character's time: its key frame, the fraction of the way to the next (0…1), whether
// it is paused and its speed, then whether the rig view and the frame's costs are shown.
//   frame 12 time 0.213 camera 0.000 5.000 10.000 look 0.000 0.000 -1.000 light camera model 1
//   wireframe 0 fullscreen 0 anim 3 0.250 paused 0 speed 1 rig 0 stats 0   (one line)
void reportFrame(unsigned long frame, float time) {
    const rvVector3& p = gCamera->mPosition;
    // Adding 0 turns a negative zero into a plain one: "0.000", never "-0.000".
    const rvVector3 look = gCamera->mZAxis * -1.0f + rvVector3(0.0f, 0.0f, 0.0f);
    int keyFrame = 0;
    float fraction = 0.0f;
    if (gCurrentModel && gCurrentModel->getFrameDuration() > 0.0f) {
        keyFrame = gCurrentModel->getCurrentFrame();
        fraction = gCurrentModel->getTime() / gCurrentModel->getFrameDuration();
    }
    std::printf("frame %lu time %.3f camera %.3f %.3f %.3f look %.3f %.3f %.3f light %s model %d "
                "wireframe %d fullscreen %d anim %d %.3f paused %d speed %g rig %d stats %d\n",
                frame, time, p.x, p.y, p.z, look.x, look.y, look.z,
                gLightOnCamera ? "camera" : "orbit", gShowFirstModel ? 1 : 2, gWireframe ? 1 : 0,
                gWindow->isFullscreen() ? 1 : 0, keyFrame, fraction, gAnimationPaused ? 1 : 0,
                gAnimationSpeed, gRigView ? 1 : 0, gShowCosts ? 1 : 0);
    std::fflush(stdout);
}

void createCamera() {
    gCamera = new rvFlyCamera;
    gCamera->mPosition = rvVector3(0.0f, 5.0f, 10.0f);
    gCamera->mUp = rvVector3(0.0f, 1.0f, 0.0f);
    gCamera->setZAxis(0.0f, 0.0f, 1.0f);
    gRender->setViewMatrix(gCamera->getViewMatrix());
}

// The renderer goes first: the meshes it made must outlive it (the back ends allow that).
void shutdown() {
    delete gRender;
    gRender = nullptr;
    delete gCamera;
    gCamera = nullptr;
    shutdownScene();
}

#if RV_CAPTURE
// The picture's last frame as RGB bytes in a PNG file; false with the reason on standard error.
bool writePicture(const std::string& file, int width, int height) {
    std::vector<unsigned char> rgba(static_cast<std::size_t>(width) * height * 4);
    if (!zrGLContext::readPixels(width, height, rgba.data())) {
        std::fprintf(stderr, "brindle: the picture could not be read back from OpenGL\n");
        return false;
    }
    std::vector<unsigned char> rgb;
    rgb.reserve(rgba.size() / 4 * 3);
    for (std::size_t i = 0; i < rgba.size(); i += 4) {
        rgb.insert(rgb.end(), {rgba[i], rgba[i + 1], rgba[i + 2]});
    }
    if (!stbi_write_png(file.c_str(), width, height, 3, rgb.data(), width * 3)) {
        std::fprintf(stderr, "brindle: %s could not be written\n", file.c_str());
        return false;
    }
    return true;
}

#endif

} // namespace

#if RV_CAPTURE
int rvCaptureMain(const rvCaptureOptions& options) {
    // A picture of a model that could not be read would be a failure reported as success.
    if (!options.model.empty()) {
        rvMeshFile record;
        if (!isMSHFileName(options.model.c_str())) {
            std::fprintf(stderr, "brindle: --model takes a mesh file (.MSH), not %s\n",
                         options.model.c_str());
            return 1;
        }
        if (!record.load(options.model.c_str())) {
            std::fprintf(stderr, "brindle: %s\n", record.error().c_str());
            return 1;
        }
    }
    if (!zrPlatformInitHeadless()) {
        return 1;
    }
    const zrWindowParams params = {
        "Tamsk - Brindle", kWindowStyle, kWindowExStyle, 800, 600, -1, -1};
    const rvBackEnd& backEnd =
        rvGetBackEnd(options.renderer == "opengl" ? rvBackEndId::kOpenGL : rvBackEndId::kDirect3D9);
    const char* missing = backEnd.create ? rvBackEndMissing(backEnd.id) : "not in this build";
    if (missing) {
        std::fprintf(stderr, "brindle: the %s renderer cannot draw here: %s\n", backEnd.name,
                     missing);
        zrPlatformShutdown();
        return 1;
    }
    if (!gWindow->create(zrModuleHandle(), &params)) {
        std::fprintf(stderr, "brindle: no window could be made for the picture\n");
        zrPlatformShutdown();
        return 1;
    }
    gRender = backEnd.create();
    gShading = backEnd.shading;
    gUseOpenGL = backEnd.id == rvBackEndId::kOpenGL;
    bool done = gRender->init(gWindow);
    if (!done) {
        std::fprintf(stderr, "brindle: the %s renderer could not start (no OpenGL to be had)\n",
                     backEnd.name);
    } else {
        createCamera();
        zrCapturePlatform platform;
        gAppPlatform = &platform;
        gCommandLine = options.model.empty() ? nullptr : options.model.c_str();
        initScene();
        const char* report = std::getenv("BRINDLE_FRAME_REPORT");
        float time = 0.0f;
        for (int frame = 0; frame < options.frames; ++frame) {
            runFrame();
            time += platform.getFrameTime();
            if (report && std::strcmp(report, "1") == 0) {
                reportFrame(static_cast<unsigned long>(frame) + 1, time);
            }
        }
        done = writePicture(options.output, gWindow->getWidth(), gWindow->getHeight());
    }
    shutdown();
    gAppPlatform = nullptr;
    zrPlatformShutdown();
    return done ? 0 : 1;
}
#endif

int rvAppMain(void* instance, const char* commandLine) {
    gCommandLine = commandLine;

    if (!zrPlatformInit()) {
        return 1;
    }
    const zrWindowParams params = {
        "Tamsk - Brindle", kWindowStyle, kWindowExStyle, 800, 600, -1, -1,
    };
    if (!gWindow->create(instance, &params)) {
        zrPlatformShutdown();
        return 1;
    }
    // 5000 frames per second in effect lifts the cap: a frame on nearly every pass.
    gWindow->setDesiredFPS(5000);
    gWindow->blitBackBuffer();

    chooseRenderer();
    // A failed initialisation has been reported by the back end; the loop runs anyway.
    gRender->init(gWindow);
    zrHideCursor();
    centreMouse();
    setKeyDelays();
    createCamera();

    zrAppPlatform platform;
    gAppPlatform = &platform;
    initScene();

    const char* report = std::getenv("BRINDLE_FRAME_REPORT");
    const bool reportFrames = report && std::strcmp(report, "1") == 0;
    unsigned long frames = 0;
    float time = 0.0f;
    for (;;) {
        bool quit = false;
        if (zrPumpMessage(&quit)) {
            if (quit) {
                break;
            }
            continue;
        }
        if (gWindow->update()) {
            runFrame();
            time += gWindow->getFrameTime();
            if (reportFrames && frames == 0) {
                const std::chrono::duration<double, std::milli> startup =
                    std::chrono::steady_clock::now() - gAnswered;
                std::printf("startup %.1f ms\n", startup.count());
            }
            if (reportFrames) {
                reportFrame(++frames, time);
            }
        }
    }

    shutdown();
    gAppPlatform = nullptr;
    zrPlatformShutdown();
    return 0;
}
