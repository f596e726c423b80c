// For tests that need an OpenGL context: an X display (an Xvfb server started for the test
// program when DISPLAY is unset), one window of the platform layer for the whole program,
// hidden, and a fixture that gives every test a freshly initialised rvGLRender on it with the
// messages captured instead of shown.
//
// Include from exactly one file of a test program: it registers a global test environment.
#pragma once

#include <SDL.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <GL/gl.h>

#include <cstdio>
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
    return "leak:libGLX_mesa\nleak:swrast_dri\nleak:libgallium\nleak:libLLVM\nleak:libSDL2\n"
           "leak:libX11\nleak:libxcb\nleak:libglapi\nleak:libGLdispatch\nleak:libGLX.so\n"
           "leak:libdbus\nleak:libdrm\nleak:libEGL\n";
}

namespace gltest {

constexpr int kWindowWidth = 128;
constexpr int kWindowHeight = 96;

struct Message {
    std::string text;
    std::string caption;
};

inline std::vector<Message>& messages() {
    static std::vector<Message> list;
    return list;
}

inline void captureMessage(const char* text, const char* caption) {
    messages().push_back({text ? text : "", caption ? caption : ""});
}

// Starts Xvfb when DISPLAY is unset; the server picks a free display number itself and writes
// it to a pipe once it accepts clients. Creates the window.
class DisplayEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display) {
            startXvfb();
            if (mServer <= 0) {
                return;
            }
        }
        auto window = std::make_unique<zrWindow>();
        int instance = 0;
        zrWindowParams params = {"gl test", 0x00C00000u, 0, kWindowWidth, kWindowHeight, 0, 0};
        if (!window->create(&instance, &params)) {
            sReason = std::string("the platform window could not be created: ") + SDL_GetError();
            return;
        }
        SDL_HideWindow(static_cast<SDL_Window*>(window->getHwnd()));
        // Never deleted (see TearDown); the static pointer keeps it reachable.
        sWindow = window.release();
    }

    // The window, SDL and the server stay until the program ends: closing them would unload
    // the GL driver, and LeakSanitizer could then no longer tell the driver's own
    // process-lifetime allocations (suppressed above) from ours. The server ends with the
    // program (it is asked to when its parent dies).
    void TearDown() override {}

    static zrWindow* window() { return sWindow; }
    static const std::string& reason() { return sReason; }

private:
    void startXvfb() {
        const char* candidates[] = {"/usr/bin/Xvfb", "/usr/local/bin/Xvfb"};
        const char* xvfb = nullptr;
        for (const char* c : candidates) {
            if (access(c, X_OK) == 0) {
                xvfb = c;
            }
        }
        if (!xvfb) {
            sReason = "DISPLAY is unset and Xvfb is not installed (apt-get install xvfb)";
            return;
        }
        int fds[2];
        if (pipe(fds) != 0) {
            sReason = "no pipe for Xvfb";
            return;
        }
        const pid_t parent = getpid();
        const pid_t pid = fork();
        if (pid == 0) {
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (getppid() != parent) {
                _exit(1);
            }
            const int devnull = open("/dev/null", O_RDWR);
            dup2(devnull, 0);
            dup2(devnull, 1);
            dup2(devnull, 2);
            // Nothing else of the test program stays open in the server.
            for (int fd = 3; fd < 1024; ++fd) {
                if (fd != fds[1]) {
                    close(fd);
                }
            }
            const std::string fd = std::to_string(fds[1]);
            execl(xvfb, xvfb, "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten",
                  "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        char number[32] = {};
        size_t got = 0;
        while (got < sizeof(number) - 1) {
            const ssize_t n = read(fds[0], number + got, sizeof(number) - 1 - got);
            if (n <= 0 || number[got + n - 1] == '\n') {
                got += n > 0 ? static_cast<size_t>(n) : 0;
                break;
            }
            got += static_cast<size_t>(n);
        }
        close(fds[0]);
        if (pid < 0 || got == 0) {
            sReason = "Xvfb did not start";
            if (pid > 0) {
                kill(pid, SIGTERM);
                waitpid(pid, nullptr, 0);
            }
            return;
        }
        mServer = pid;
        const std::string digits(number);
        const std::string value = ":" + digits.substr(0, digits.find('\n'));
        setenv("DISPLAY", value.c_str(), 1);
    }

    pid_t mServer = 0;
    static inline zrWindow* sWindow = nullptr;
    static inline std::string sReason;
};

inline ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new DisplayEnvironment);

// A fresh directory that becomes the working directory for the object's life (the texture
// manager and the HUD text read their files relative to it); removed afterwards.
class ScopedWorkDir {
public:
    ScopedWorkDir() {
        char pattern[] = "/tmp/rvgltest.XXXXXX";
        const char* made = mkdtemp(pattern);
        mPath = made ? made : "";
        mPrevious = std::filesystem::current_path();
        if (!mPath.empty()) {
            std::filesystem::current_path(mPath);
        }
    }
    ~ScopedWorkDir() {
        std::error_code ignored;
        std::filesystem::current_path(mPrevious, ignored);
        if (!mPath.empty()) {
            std::filesystem::remove_all(mPath, ignored);
        }
    }
    ScopedWorkDir(const ScopedWorkDir&) = delete;
    ScopedWorkDir& operator=(const ScopedWorkDir&) = delete;

    // Writes a file below the directory (creating its folders).
    static void write(const std::string& relative, const std::string& bytes) {
        const std::filesystem::path path(relative);
        if (path.has_parent_path()) {
            std::filesystem::create_directories(path.parent_path());
        }
        std::ofstream(relative, std::ios::binary) << bytes;
    }

private:
    std::filesystem::path mPath;
    std::filesystem::path mPrevious;
};

// Skips the test when there is no window; otherwise captures messages.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!DisplayEnvironment::window()) {
            GTEST_SKIP() << DisplayEnvironment::reason();
        }
        mPreviousHandler = rvSetMessageHandler(captureMessage);
        messages().clear();
    }
    void TearDown() override { rvSetMessageHandler(mPreviousHandler); }

    static zrWindow* window() { return DisplayEnvironment::window(); }

private:
    rvMessageHandler mPreviousHandler = nullptr;
};

// A renderer initialised on the window for every test.
class RenderTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        render = std::make_unique<rvGLRender>();
        ASSERT_TRUE(render->init(window()));
        messages().clear();
        glViewport(0, 0, kWindowWidth, kWindowHeight);
        glReadBuffer(GL_BACK);
    }
    void TearDown() override {
        render.reset();
        WindowTest::TearDown();
    }

    // RGBA bytes of one pixel of the back buffer (window coordinates, origin bottom-left).
    static std::vector<unsigned char> pixel(int x, int y) {
        std::vector<unsigned char> rgba(4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        return rgba;
    }

    std::unique_ptr<rvGLRender> render;
};

} // namespace gltest
