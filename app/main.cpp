// The program's entry point: creates the window, asks which renderer to use, loads the scene
// and runs the frame loop until the window is closed (Escape or the close box).
//
// Usage: brindle [model.MSH]   A mesh file named as the first argument replaces the first
// character; it is opened exactly as given, relative to the working directory.
#include "frame.h"
#include "rvanimmesh.h"
#include "rvcamera.h"
#include "rvglrender.h"
#include "rvrender.h"
#include "scene.h"
#include "zrinput.h"
#include "zrplatform.h"
#include "zrwindow.h"

#ifdef RV_HAVE_D3D
#include "rvd3drender.h"
#endif

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

// The window styles of a fixed-size framed window with a title bar and a system menu
// (WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU) shown in the task bar
// (WS_EX_APPWINDOW).
constexpr unsigned int kWindowStyle = 0x6c80000;
constexpr unsigned int kWindowExStyle = 0x40000;

const char kRendererQuestion[] =
    "The default Renderer is DirectX.  Would you like to switch to OpenGL?";
const char kRendererCaption[] = "Default Renderer";

void chooseRenderer() {
    if (zrAskYesNo(gWindow, kRendererQuestion, kRendererCaption)) {
        zrSetWindowTitle(gWindow, "Tamsk - Brindler: OpenGL");
        gRender = new rvGLRender;
        gUseOpenGL = true;
        return;
    }
    zrSetWindowTitle(gWindow, "Tamsk - Brindler: DirectX");
#ifdef RV_HAVE_D3D
    gRender = new rvD3DRender;
    gUseOpenGL = false;
#else
    // Without a Direct3D back end in this build the answer cannot be honoured: say so, and
    // let the title name the back end that actually draws.
    zrShowMessage("The Direct3D back end is not built yet; using OpenGL.", kRendererCaption);
    zrSetWindowTitle(gWindow, "Tamsk - Brindler: OpenGL");
    gRender = new rvGLRender;
    gUseOpenGL = true;
#endif
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
    zrInput::setKeyDelay('c', 0.5f);
    zrInput::setKeyDelay('q', 0.5f);
    zrInput::setKeyDelay('m', 0.5f);
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

} // namespace

int main(int argc, char** argv) {
    gCommandLine = argc > 1 ? argv[1] : nullptr;

    if (!zrPlatformInit()) {
        return 1;
    }
    const zrWindowParams params = {
        "Tamsk - Brindle", kWindowStyle, kWindowExStyle, 800, 600, -1, -1,
    };
    // There is no module handle on this platform; create only asks for a non-null one.
    static char moduleHandle;
    if (!gWindow->create(&moduleHandle, &params)) {
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
        }
    }

    shutdown();
    gAppPlatform = nullptr;
    zrPlatformShutdown();
    return 0;
}
