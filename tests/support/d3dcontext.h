// For tests of the Direct3D back end (label gl): one small window of the platform layer on the X
// display named by DISPLAY, for the whole program, and a fixture that runs each test in a fresh
// working directory with an initialised rvD3DRender and the messages captured instead of shown.
// Pixels of the last frame are read back through gD3DDevice the Direct3D way (the back buffer
// copied to a system-memory surface); the layer keeps the back buffer after Present. Without a
// display every test fails and says why (./test.sh runs them under scripts/with-xvfb.sh).
//
// Include from exactly one file of a test program: it registers a global test environment.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "lsansuppressions.h"
#include "rvd3drender.h"
#include "rvmessage.h"
#include "zrwindow.h"

namespace d3dtest {

constexpr int kWindowWidth = 128;
constexpr int kWindowHeight = 96;

struct Message {
    std::string text;
    std::string caption;
};
inline std::vector<Message> gMessages;

// The window stays until the program ends, as in glcontext.h.
class DisplayEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        const char* display = std::getenv("DISPLAY");
        auto window = std::make_unique<zrWindow>();
        int instance = 0;
        zrWindowParams params = {"d3d test", 0x00C00000u, 0, kWindowWidth, kWindowHeight, 0, 0};
        if (display && *display && window->create(&instance, &params))
            sWindow = window.release();
    }
    static inline zrWindow* sWindow = nullptr;
};

inline ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new DisplayEnvironment);

// The back buffer of gD3DDevice as ARGB words, top row first (empty without a device).
inline std::vector<D3DCOLOR> readBackBuffer(int* width = nullptr) {
    std::vector<D3DCOLOR> pixels;
    IDirect3DSurface9 *back = nullptr, *copy = nullptr;
    if (!gD3DDevice || gD3DDevice->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back) != D3D_OK)
        return pixels;
    D3DSURFACE_DESC desc;
    back->GetDesc(&desc);
    D3DLOCKED_RECT locked;
    if (gD3DDevice->CreateOffscreenPlainSurface(desc.Width, desc.Height, D3DFMT_A8R8G8B8,
                                                D3DPOOL_SYSTEMMEM, &copy, nullptr) == D3D_OK &&
        gD3DDevice->GetRenderTargetData(back, copy) == D3D_OK &&
        copy->LockRect(&locked, nullptr, D3DLOCK_READONLY) == D3D_OK) {
        for (UINT y = 0; y < desc.Height; ++y) {
            auto row = static_cast<const D3DCOLOR*>(locked.pBits) + y * locked.Pitch / 4;
            pixels.insert(pixels.end(), row, row + desc.Width);
        }
        copy->UnlockRect();
    }
    if (copy)
        copy->Release();
    back->Release();
    if (width)
        *width = static_cast<int>(desc.Width);
    return pixels;
}

class RenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(window(), nullptr) << "no window on the X display named by DISPLAY: the tests "
                                        "labelled gl need one with OpenGL (./test.sh runs them "
                                        "under scripts/with-xvfb.sh)";
        mDir = std::filesystem::temp_directory_path() / ("rvd3dtest-" + std::to_string(getpid()));
        std::filesystem::create_directories(mDir);
        std::filesystem::current_path(mDir);
        rvSetMessageHandler([](const char* text, const char* caption) {
            gMessages.push_back({text ? text : "", caption ? caption : ""});
        });
        render = std::make_unique<rvD3DRender>();
        ASSERT_TRUE(render->init(window()));
        gMessages.clear();
    }
    void TearDown() override {
        render.reset();
        rvSetMessageHandler(nullptr);
        std::error_code ignored;
        std::filesystem::current_path(mPreviousDir, ignored);
        std::filesystem::remove_all(mDir, ignored);
    }
    static zrWindow* window() { return DisplayEnvironment::sWindow; }
    IDirect3DDevice9* device() const { return render->getDevice(); }

    // Writes a file below the working directory.
    static void write(const std::string& name, const std::string& bytes) {
        std::ofstream(name, std::ios::binary) << bytes;
    }

    // One pixel of the last frame, (0, 0) at the top left, as 0xRRGGBB.
    static D3DCOLOR pixel(int x, int y) {
        return readBackBuffer().at(y * kWindowWidth + x) & 0x00FFFFFFu;
    }

    std::unique_ptr<rvD3DRender> render;
    std::filesystem::path mPreviousDir = std::filesystem::current_path();
    std::filesystem::path mDir;
};

} // namespace d3dtest
