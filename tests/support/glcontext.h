// For tests that need an OpenGL context (label gl): a fixture that runs each test on the
// program's test window (testwindow.h) in a fresh working directory, with an initialised
// renderer and the messages captured instead of shown. Without a display every test fails and
// says why: ./test.sh and CI provide one (scripts/with-xvfb.sh).
//
// Include from exactly one file of a test program.
#pragma once

#include <GL/gl.h>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "rvglrender.h"
#include "testwindow.h"

namespace gltest {

constexpr int kWindowWidth = 128;
constexpr int kWindowHeight = 96;

using testsupport::gMessages;

class RenderTest : public ::testing::Test {
protected:
    // Writes the files that the renderer's init is to find.
    virtual void prepare() {}

    void SetUp() override {
        ASSERT_NE(window(), nullptr) << testsupport::kNoWindow;
        mSandbox = std::make_unique<testsupport::Sandbox>("rvgltest-");
        prepare();
        render = std::make_unique<rvGLRender>();
        ASSERT_TRUE(render->init(window()));
        gMessages.clear();
        glReadBuffer(GL_BACK); // pixel() reads what was drawn, before any swap
    }
    void TearDown() override {
        render.reset();
        mSandbox.reset();
    }
    static zrWindow* window() { return testsupport::window(kWindowWidth, kWindowHeight); }
    static void write(const std::string& relative, const std::string& bytes) {
        testsupport::Sandbox::write(relative, bytes);
    }

    // RGBA bytes of one pixel of the back buffer (window coordinates, origin bottom-left).
    static std::vector<unsigned char> pixel(int x, int y) {
        std::vector<unsigned char> rgba(4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        return rgba;
    }

    std::unique_ptr<rvGLRender> render;
    std::unique_ptr<testsupport::Sandbox> mSandbox;
};

} // namespace gltest
