// For tests of the Direct3D back end (label gl): a fixture that runs each test on the
// program's test window (testwindow.h) in a fresh working directory, with an initialised
// rvD3DRender and the messages captured instead of shown. Pixels of the last frame are read
// back through gD3DDevice after Present. Direct3D leaves a discarded back buffer undefined; here
// the layer draws a back buffer of the window's size into the window itself, whose back buffer
// Mesa's software driver keeps after the swap. Without a display every test fails and says why
// (./test.sh runs them under scripts/with-xvfb.sh).
//
// Include from exactly one file of a test program.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "d3dreadback.h"
#include "rvd3drender.h"
#include "testwindow.h"

namespace d3dtest {

constexpr int kWindowWidth = 128;
constexpr int kWindowHeight = 96;

using testsupport::gMessages;

inline zrWindow* window() {
    return testsupport::window(kWindowWidth, kWindowHeight);
}

// The back buffer of gD3DDevice, top row first (empty without a device).
inline std::vector<D3DCOLOR> readBackBuffer(int* width = nullptr) {
    return testsupport::readBackBuffer(gD3DDevice, width);
}

class RenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(window(), nullptr) << testsupport::kNoWindow;
        mSandbox = std::make_unique<testsupport::Sandbox>("rvd3dtest-");
        render = std::make_unique<rvD3DRender>();
        ASSERT_TRUE(render->init(window()));
        gMessages.clear();
    }
    void TearDown() override {
        render.reset();
        mSandbox.reset();
    }
    static zrWindow* window() { return d3dtest::window(); }
    IDirect3DDevice9* device() const { return render->getDevice(); }
    static void write(const std::string& relative, const std::string& bytes) {
        testsupport::Sandbox::write(relative, bytes);
    }

    // One pixel of the last frame, (0, 0) at the top left, as 0xRRGGBB.
    static D3DCOLOR pixel(int x, int y) {
        return readBackBuffer().at(y * kWindowWidth + x) & 0x00FFFFFFu;
    }

    std::unique_ptr<rvD3DRender> render;
    std::unique_ptr<testsupport::Sandbox> mSandbox;
};

} // namespace d3dtest
