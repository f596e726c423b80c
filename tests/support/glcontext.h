// For tests that need an OpenGL context: an X display (an Xvfb server started for the test
// program when DISPLAY is unset), one hidden window of the platform layer for the whole
// program, and a fixture that runs each test in a fresh working directory with the messages
// captured instead of shown.
//
// Include from exactly one file of a test program: it registers a global test environment.
#pragma once

#include <SDL.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <GL/gl.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "rvglrender.h"
#include "rvmessage.h"
#include "zrwindow.h"

// Mesa, LLVM, SDL and Xlib keep process-lifetime allocations that LeakSanitizer would report.
extern "C" __attribute__((used)) const char* __lsan_default_suppressions() {
    return "leak:libGL\nleak:swrast_dri\nleak:libgallium\nleak:libLLVM\nleak:libSDL2\nleak:libX11\n"
           "leak:libxcb\nleak:libglapi\nleak:libdbus\nleak:libdrm\nleak:libEGL\n";
}

namespace gltest {

constexpr int kWindowWidth = 128;
constexpr int kWindowHeight = 96;

struct Message {
    std::string text;
    std::string caption;
};
inline std::vector<Message> gMessages;

// The window, SDL and the server stay until the program ends: closing them would unload the
// GL driver, and LeakSanitizer could then no longer tell the driver's process-lifetime
// allocations (suppressed above) from ours. The server is told to end when its parent dies.
class DisplayEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        const char* display = std::getenv("DISPLAY");
        if ((!display || !*display) && !startXvfb()) {
            return;
        }
        auto window = std::make_unique<zrWindow>();
        int instance = 0;
        zrWindowParams params = {"gl test", 0x00C00000u, 0, kWindowWidth, kWindowHeight, 0, 0};
        if (!window->create(&instance, &params)) {
            sReason = std::string("the platform window could not be created: ") + SDL_GetError();
            return;
        }
        SDL_HideWindow(static_cast<SDL_Window*>(window->getHwnd()));
        sWindow = window.release();
    }

    static inline zrWindow* sWindow = nullptr;
    static inline std::string sReason;

private:
    // The server picks a free display number and writes it to its standard output (the pipe)
    // once it accepts clients; an empty pipe means it did not start (and has ended).
    static bool startXvfb() {
        sReason = "DISPLAY is unset and Xvfb did not start (apt-get install xvfb)";
        int fds[2];
        if (pipe(fds) != 0) {
            return false;
        }
        const pid_t parent = getpid();
        if (fork() == 0) {
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            dup2(fds[1], 1);
            dup2(open("/dev/null", O_WRONLY), 2);
            for (int fd = 3; fd < 1024; ++fd) {
                close(fd); // nothing else of the test program stays open in the server
            }
            if (getppid() == parent) {
                execlp("Xvfb", "Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24",
                       "-nolisten", "tcp", static_cast<char*>(nullptr));
            }
            _exit(127);
        }
        close(fds[1]);
        char number[16] = {}; // written in one piece, "N\n"
        const bool started = read(fds[0], number, sizeof(number) - 1) > 0;
        // The read end stays open for the life of the program: the server writes to its
        // standard output again later and would end on a broken pipe.
        const std::string display = ":" + std::to_string(std::atoi(number));
        return started && setenv("DISPLAY", display.c_str(), 1) == 0;
    }
};

inline ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new DisplayEnvironment);

// Skips the test when there is no window. Each test runs in a fresh working directory (the
// texture manager, the HUD text and program loads read files relative to it), removed
// afterwards, with an initialised renderer on the window.
class RenderTest : public ::testing::Test {
protected:
    // Writes the files that the renderer's init is to find.
    virtual void prepare() {}

    void SetUp() override {
        char pattern[] = "/tmp/rvgltest.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        std::filesystem::current_path(mDir = pattern);
        mPreviousHandler = rvSetMessageHandler([](const char* text, const char* caption) {
            gMessages.push_back({text ? text : "", caption ? caption : ""});
        });
        if (!DisplayEnvironment::sWindow) {
            GTEST_SKIP() << DisplayEnvironment::sReason;
        }
        prepare();
        render = std::make_unique<rvGLRender>();
        ASSERT_TRUE(render->init(window()));
        gMessages.clear();
        glReadBuffer(GL_BACK); // pixel() reads what was drawn, before any swap
    }
    void TearDown() override {
        render.reset();
        rvSetMessageHandler(mPreviousHandler);
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
    rvMessageHandler mPreviousHandler = nullptr;
    std::filesystem::path mPreviousDir = std::filesystem::current_path();
    std::filesystem::path mDir;
};

} // namespace gltest
