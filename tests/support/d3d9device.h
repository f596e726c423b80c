// For the Direct3D 9 layer's tests (label gl): one window of the platform layer for the whole
// program and a fixture with a fresh device on it for each test, in a fresh working directory.
// Pixels are read back the documented Direct3D way: the back buffer copied to a system-memory
// surface by GetRenderTargetData and locked. Without a display every test fails and says why.
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
#include "d3d9.h"
#include "zrwindow.h"

namespace d3dtest {

constexpr int kWidth = 64;
constexpr int kHeight = 48;

class WindowEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        const char* display = std::getenv("DISPLAY");
        auto window = std::make_unique<zrWindow>();
        int instance = 0;
        zrWindowParams params = {"d3d9 test", 0x00C00000u, 0, kWidth, kHeight, 0, 0};
        if (display && *display && window->create(&instance, &params))
            sWindow = window.release();
    }
    static inline zrWindow* sWindow = nullptr;
};

inline ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new WindowEnvironment);

// The parameters the demo's renderer uses: windowed, size from the window, depth and stencil.
inline D3DPRESENT_PARAMETERS windowedParameters() {
    D3DPRESENT_PARAMETERS pp = {};
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.BackBufferCount = 1;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.Windowed = TRUE;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D24S8;
    pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    return pp;
}

class DeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(WindowEnvironment::sWindow, nullptr)
            << "no window on the X display named by DISPLAY: the tests labelled gl need one with "
               "OpenGL (./test.sh runs them under scripts/with-xvfb.sh)";
        mDir = std::filesystem::temp_directory_path() / ("d3d9test-" + std::to_string(getpid()));
        std::filesystem::create_directories(mDir);
        std::filesystem::current_path(mDir);
        d3d = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(d3d, nullptr);
        D3DPRESENT_PARAMETERS pp = windowedParameters();
        ASSERT_EQ(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, hwnd(),
                                    D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device),
                  D3D_OK);
    }
    void TearDown() override {
        if (device) {
            EXPECT_EQ(device->Release(), 0u) << "a test left objects of the device alive";
        }
        if (d3d)
            d3d->Release();
        std::error_code ignored;
        std::filesystem::current_path(mPreviousDir, ignored);
        std::filesystem::remove_all(mDir, ignored);
    }
    static HWND hwnd() { return WindowEnvironment::sWindow->getHwnd(); }

    // The back buffer as D3DCOLORs, top row first.
    std::vector<D3DCOLOR> readBack() {
        std::vector<D3DCOLOR> pixels;
        IDirect3DSurface9 *back = nullptr, *copy = nullptr;
        D3DSURFACE_DESC desc;
        if (device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back) != D3D_OK)
            return pixels;
        back->GetDesc(&desc);
        if (device->CreateOffscreenPlainSurface(desc.Width, desc.Height, D3DFMT_A8R8G8B8,
                                                D3DPOOL_SYSTEMMEM, &copy, nullptr) == D3D_OK &&
            device->GetRenderTargetData(back, copy) == D3D_OK) {
            D3DLOCKED_RECT locked;
            if (copy->LockRect(&locked, nullptr, D3DLOCK_READONLY) == D3D_OK) {
                for (UINT y = 0; y < desc.Height; ++y) {
                    auto row = static_cast<const D3DCOLOR*>(locked.pBits) + y * locked.Pitch / 4;
                    pixels.insert(pixels.end(), row, row + desc.Width);
                }
                copy->UnlockRect();
            }
        }
        if (copy)
            copy->Release();
        back->Release();
        return pixels;
    }
    // One pixel of the back buffer, (0, 0) at the top left; alpha ignored.
    D3DCOLOR pixel(int x, int y) { return readBack().at(y * kWidth + x) & 0x00FFFFFFu; }

    // Writes a file into the working directory.
    static void write(const std::string& name, const std::string& bytes) {
        std::ofstream(name, std::ios::binary) << bytes;
    }

    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;

private:
    std::filesystem::path mPreviousDir = std::filesystem::current_path();
    std::filesystem::path mDir;
};

} // namespace d3dtest
