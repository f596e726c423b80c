// Both back ends draw the demo's first frame (the camera where the demo starts, the light on the
// camera, the same pose) in the demo's run directory, and the two pictures must agree. Both are
// written beside the test as samepicture_gl.ppm and samepicture_d3d.ppm for looking at.
#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "d3dreadback.h"
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
using Picture = std::vector<unsigned char>; // RGB, top row first

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

// Keeps the back buffer of its last frame just before the swap: Mesa under Xvfb does not give
// the front buffer back.
class CapturingGLRender : public rvGLRender {
public:
    bool endScene() override {
        picture.assign(kWidth * kHeight * 3, 0);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadBuffer(GL_BACK);
        for (int y = 0; y < kHeight; ++y) // OpenGL's rows start at the bottom
            glReadPixels(0, kHeight - 1 - y, kWidth, 1, GL_RGB, GL_UNSIGNED_BYTE,
                         &picture[static_cast<size_t>(y) * kWidth * 3]);
        return rvGLRender::endScene();
    }
    static inline Picture picture;
};

Picture readD3D() {
    Picture rgb;
    for (D3DCOLOR c : testsupport::readBackBuffer(gD3DDevice))
        rgb.insert(rgb.end(), {static_cast<unsigned char>(c >> 16),
                               static_cast<unsigned char>(c >> 8), static_cast<unsigned char>(c)});
    return rgb;
}

void writePPM(const std::filesystem::path& file, const Picture& rgb) {
    std::ofstream out(file, std::ios::binary);
    out << "P6\n" << kWidth << " " << kHeight << "\n255\n";
    out.write(reinterpret_cast<const char*>(rgb.data()), static_cast<std::streamsize>(rgb.size()));
}

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
    const Picture d3d = drawFrame(window, new rvD3DRender, false, readD3D);
    writePPM(here / "samepicture_gl.ppm", gl);
    writePPM(here / "samepicture_d3d.ppm", d3d);
    ASSERT_EQ(gl.size(), d3d.size());

    int close = 0;
    double sum = 0;
    for (size_t p = 0; p < gl.size(); p += 3) {
        int worst = 0;
        for (size_t c = p; c < p + 3; ++c) {
            const int d = std::abs(gl[c] - d3d[c]);
            worst = std::max(worst, d);
            sum += d;
        }
        close += worst <= 16;
    }
    const double closeShare = static_cast<double>(close) / (kWidth * kHeight);
    const double meanDifference = sum / static_cast<double>(gl.size());
    std::printf("pixels within 16/255: %.4f%%, mean absolute difference %.3f/255\n",
                100.0 * closeShare, meanDifference);
    EXPECT_GE(closeShare, 0.99);
    EXPECT_LT(meanDifference, 2.0);
}

} // namespace
