// Both back ends draw the demo's first frame (the camera where the demo starts, the light on the
// camera, the same pose) in the demo's run directory, and the two pictures must agree. Both are
// written beside the test as samepicture_gl.png and samepicture_d3d.png for looking at.
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>

#include <gtest/gtest.h>

#include "pictures.h"
#include "rvanimmesh.h"
#include "rvcamera.h"
#include "rvd3drender.h"
#include "rvglrender.h"
#include "rvmessage.h"
#include "scene.h"
#include "testwindow.h"
#include "zrwindow.h"

namespace {

constexpr int kWidth = 800; // the demo's window
constexpr int kHeight = 600;
using testsupport::Picture;

// Draws one frame of the scene on a fresh renderer and returns what read() reads afterwards.
Picture drawFrame(zrWindow* window, rvRender* render, bool openGL,
                  const std::function<Picture()>& read) {
    gRender = render;
    gUseOpenGL = openGL;
    if (!render->init(window)) {
        ADD_FAILURE() << (openGL ? "OpenGL" : "Direct3D") << " renderer: init failed";
        delete render;
        return {};
    }
    rvFlyCamera camera;
    camera.mPosition = rvVector3(0, 5, 10);
    camera.mUp = rvVector3(0, 1, 0);
    camera.setZAxis(0, 0, 1);
    gCamera = &camera;
    render->setViewMatrix(camera.getViewMatrix());
    initScene();
    gModel1->update(0.25f);
    openGL ? drawSceneGL() : drawSceneD3D();
    Picture picture = read();
    shutdownScene();
    gCamera = nullptr;
    gRender = nullptr;
    delete render;
    return picture;
}

// Keeps the back buffer of its last frame just before the swap.
class CapturingGLRender : public rvGLRender {
public:
    bool endScene() override {
        picture = testsupport::readGLBackBuffer(kWidth, kHeight);
        return rvGLRender::endScene();
    }
    static inline Picture picture;
};

TEST(SamePicture, BothBackEndsDrawTheDemosFirstFrameAlike) {
    zrWindow* window = testsupport::window(kWidth, kHeight);
    ASSERT_NE(window, nullptr) << testsupport::kNoWindow;
    // Whatever the scene reports (a missing file) is a failure, not a dialog.
    rvSetMessageHandler(
        [](const char* text, const char* caption) { ADD_FAILURE() << caption << ": " << text; });
    const std::filesystem::path here = std::filesystem::current_path();
    std::filesystem::current_path(RV_DEMO_DIR);

    const Picture gl =
        drawFrame(window, new CapturingGLRender, true, [] { return CapturingGLRender::picture; });
    const Picture d3d = drawFrame(window, new rvD3DRender, false, testsupport::readD3DBackBuffer);
    testsupport::writePNG((here / "samepicture_gl.png").string(), gl);
    testsupport::writePNG((here / "samepicture_d3d.png").string(), d3d);
    ASSERT_EQ(gl.rgb.size(), d3d.rgb.size());

    const unsigned char black[3] = {0, 0, 0};
    const testsupport::Agreement a = testsupport::compare(gl, d3d, black);
    const double closeShare = a.close, meanDifference = a.mean;
    std::printf("pixels within 16/255: %.4f%%, mean absolute difference %.3f/255\n",
                100.0 * closeShare, meanDifference);
    EXPECT_GE(closeShare, 0.99);
    EXPECT_LT(meanDifference, 2.0);
}

} // namespace
