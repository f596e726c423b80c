// Both back ends draw the demo's first frame (the camera where the demo starts, the light on the
// camera, the same pose) in the demo's run directory, and the two pictures must agree; and so
// they must with a model of more bones than the Direct3D effect holds. Both pictures of each are
// written beside the test for looking at.
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "characters.h"
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

// Where the camera stands and the way it looks away from (its z axis): by default where the
// demo starts.
struct View {
    rvVector3 position{0, 5, 10};
    rvVector3 back{0, 0, 1};
};

// Draws one frame of the scene on a fresh renderer and returns what read() reads afterwards.
Picture drawFrame(zrWindow* window, rvRender* render, bool openGL,
                  const std::function<Picture()>& read, const View& view = {}) {
    gRender = render;
    gShading = openGL ? rvShading::kProcessorSkinning : rvShading::kEffect;
    if (!render->init(window)) {
        ADD_FAILURE() << (openGL ? "OpenGL" : "Direct3D") << " renderer: init failed";
        delete render;
        return {};
    }
    rvFlyCamera camera;
    camera.mPosition = view.position;
    camera.mUp = rvVector3(0, 1, 0);
    camera.setZAxis(view.back.x, view.back.y, view.back.z);
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

// Draws the scene's frame on both back ends (in the demo's run directory, every message a
// failure), keeps both pictures beside the test as <name>_gl.png and <name>_d3d.png, and
// expects them to agree.
void expectSamePicture(const std::string& name, const View& view = {}) {
    zrWindow* window = testsupport::window(kWidth, kHeight);
    ASSERT_NE(window, nullptr) << testsupport::kNoWindow;
    rvSetMessageHandler(
        [](const char* text, const char* caption) { ADD_FAILURE() << caption << ": " << text; });
    const std::filesystem::path here = std::filesystem::current_path();
    std::filesystem::current_path(RV_DEMO_DIR);

    const Picture gl = drawFrame(
        window, new CapturingGLRender, true, [] { return CapturingGLRender::picture; }, view);
    const Picture d3d =
        drawFrame(window, new rvD3DRender, false, testsupport::readD3DBackBuffer, view);
    std::filesystem::current_path(here);
    rvSetMessageHandler(nullptr);
    testsupport::writePNG((here / (name + "_gl.png")).string(), gl);
    testsupport::writePNG((here / (name + "_d3d.png")).string(), d3d);
    ASSERT_EQ(gl.rgb.size(), d3d.rgb.size());

    const unsigned char black[3] = {0, 0, 0};
    const testsupport::Agreement a = testsupport::compare(gl, d3d, black);
    std::printf("%s: pixels within 16/255: %.4f%% (%.4f%% of those drawn), mean absolute "
                "difference %.3f/255\n",
                name.c_str(), 100.0 * a.close, 100.0 * a.drawnClose, a.mean);
    EXPECT_GE(a.close, 0.99);
    EXPECT_GE(a.drawnClose, 0.95);
    EXPECT_LT(a.mean, 2.0);
}

TEST(SamePicture, BothBackEndsDrawTheDemosFirstFrameAlike) {
    expectSamePicture("samepicture");
}

// 71 bones, so Direct3D draws it in parts; the bones past the effect's 56 are those of its
// tail, which the side view shows swinging behind it.
TEST(SamePicture, BothBackEndsPoseAModelWithMoreBonesThanTheEffectHoldsAlike) {
    const rvMeshFile record = chargen::meshRecord(chargen::makeMico());
    ASSERT_GT(record.boneCount, 56u);
    const std::string file = (std::filesystem::current_path() / "mico.MSH").string();
    std::string error;
    ASSERT_TRUE(rvWriteMeshFile(file.c_str(), record, &error)) << error;
    gCommandLine = file.c_str();
    View side;
    side.position = rvVector3(4.5f, 2.0f, 4.0f);
    side.back = rvVector3(1, 0, -0.25f);
    expectSamePicture("samepicture_bones", side);
    gCommandLine = nullptr;
    std::remove(file.c_str());
}

} // namespace
