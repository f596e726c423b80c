// What every test program that draws shares: the one window of the platform layer (tests
// labelled gl; without a display they fail and say why), and a fresh working directory for
// each test with the messages the program shows captured instead.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "lsansuppressions.h"
#include "rvmessage.h"
#include "zrplatform.h"
#include "zrwindow.h"

namespace testsupport {

constexpr const char* kNoWindow =
    "no window on the X display named by DISPLAY: the tests labelled gl need one with OpenGL "
    "(./test.sh runs them under scripts/with-xvfb.sh)";

// Made by the first call, at that call's client size, and kept until the program ends: closing
// it would unload the GL driver, and LeakSanitizer could then no longer tell the driver's
// process-lifetime allocations from ours. Null when there is no display.
inline zrWindow* window(int width, int height) {
    static zrWindow* made = [width, height]() -> zrWindow* {
        const char* display = std::getenv("DISPLAY");
        auto* w = new zrWindow;
        zrWindowParams params = {"test", 0x00C00000u, 0, width, height, 0, 0};
        if (display && *display && w->create(zrModuleHandle(), &params))
            return w;
        delete w;
        return nullptr;
    }();
    return made;
}

struct Message {
    std::string text;
    std::string caption;
};
inline std::vector<Message> gMessages;

// For the life of one test: a fresh working directory (the previous one is restored and the
// new one removed afterwards), and every message the program shows added to gMessages.
class Sandbox {
public:
    explicit Sandbox(const std::string& prefix)
        : mPrevious(std::filesystem::current_path()),
          mDir(std::filesystem::temp_directory_path() / (prefix + std::to_string(getpid()))) {
        std::filesystem::create_directories(mDir);
        std::filesystem::current_path(mDir);
        gMessages.clear();
        rvSetMessageHandler([](const char* text, const char* caption) {
            gMessages.push_back({text ? text : "", caption ? caption : ""});
        });
    }
    ~Sandbox() {
        rvSetMessageHandler(nullptr);
        std::error_code ignored;
        std::filesystem::current_path(mPrevious, ignored);
        std::filesystem::remove_all(mDir, ignored);
    }
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    // Writes a file below the working directory, creating its folders.
    static void write(const std::string& relative, const std::string& bytes) {
        std::error_code noFolder;
        std::filesystem::create_directories(std::filesystem::path(relative).parent_path(),
                                            noFolder);
        std::ofstream(relative, std::ios::binary) << bytes;
    }

private:
    std::filesystem::path mPrevious;
    std::filesystem::path mDir;
};

} // namespace testsupport
