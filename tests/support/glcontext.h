// For tests that need an OpenGL context (label gl): one small window of the
// platform layer on the X display named by DISPLAY, for the whole program, and a fixture that
// runs each test in a fresh working directory with an initialised renderer and the messages
// captured instead of shown. Without a display every test fails and says why: ./test.sh and
// CI provide one (scripts/with-xvfb.sh).
//
// Include from exactly one file of a test program: it registers a global test environment.
#pragma once

#include <unistd.h>

#include <GL/gl.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "lsansuppressions.h"
#include "rvglrender.h"
#include "rvmessage.h"
#include "zrwindow.h"

namespace gltest {

constexpr int kWindowWidth = 128;
constexpr int kWindowHeight = 96;

struct Message {
    std::string text;
    std::string caption;
};
inline std::vector<Message> gMessages;

// The window stays until the program ends: closing it would unload the GL driver, and
// LeakSanitizer could then no longer tell the driver's process-lifetime allocations
// (suppressed above) from ours.
class DisplayEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        const char* display = std::getenv("DISPLAY");
        auto window = std::make_unique<zrWindow>();
        int instance = 0;
        zrWindowParams params = {"gl test", 0x00C00000u, 0, kWindowWidth, kWindowHeight, 0, 0};
        if (display && *display && window->create(&instance, &params))
            sWindow = window.release();
    }

    static inline zrWindow* sWindow = nullptr;
};

inline ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new DisplayEnvironment);

class RenderTest : public ::testing::Test {
protected:
    // Writes the files that the renderer's init is to find.
    virtual void prepare() {}

    void SetUp() override {
        ASSERT_NE(window(), nullptr) << "no window on the X display named by DISPLAY: the tests "
                                        "labelled gl need one with OpenGL (./test.sh runs them "
                                        "under scripts/with-xvfb.sh)";
        mDir = std::filesystem::temp_directory_path() / ("rvgltest-" + std::to_string(getpid()));
        std::filesystem::create_directories(mDir);
        std::filesystem::current_path(mDir);
        rvSetMessageHandler([](const char* text, const char* caption) {
            gMessages.push_back({text ? text : "", caption ? caption : ""});
        });
        prepare();
        render = std::make_unique<rvGLRender>();
        ASSERT_TRUE(render->init(window()));
        gMessages.clear();
        glReadBuffer(GL_BACK); // pixel() reads what was drawn, before any swap
    }
    void TearDown() override {
        render.reset();
        rvSetMessageHandler(nullptr);
        std::error_code ignored;
        std::filesystem::current_path(mPreviousDir, ignored);
        std::filesystem::remove_all(mDir, ignored);
    }
    static zrWindow* window() { return DisplayEnvironment::sWindow; }

    // Writes a file below the working directory, creating its folders.
    static void write(const std::string& relative, const std::string& bytes) {
        std::error_code noFolder;
        std::filesystem::create_directories(std::filesystem::path(relative).parent_path(),
                                            noFolder);
        std::ofstream(relative, std::ios::binary) << bytes;
    }

    // RGBA bytes of one pixel of the back buffer (window coordinates, origin bottom-left).
    static std::vector<unsigned char> pixel(int x, int y) {
        std::vector<unsigned char> rgba(4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        return rgba;
    }

    std::unique_ptr<rvGLRender> render;
    std::filesystem::path mPreviousDir = std::filesystem::current_path();
    std::filesystem::path mDir;
};

} // namespace gltest
