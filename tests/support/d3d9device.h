// For the Direct3D 9 layer's tests (label gl): a fixture with a fresh device for each test on
// the program's test window (testwindow.h), in a fresh working directory. Pixels are read back
// the documented Direct3D way (d3dreadback.h). Without a display every test fails and says why.
//
// Include from exactly one file of a test program.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "d3d9.h"
#include "d3dreadback.h"
#include "testwindow.h"

namespace d3dtest {

constexpr int kWidth = 64;
constexpr int kHeight = 48;

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
        ASSERT_NE(testsupport::window(kWidth, kHeight), nullptr) << testsupport::kNoWindow;
        mSandbox = std::make_unique<testsupport::Sandbox>("d3d9test-");
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
        mSandbox.reset();
    }
    static HWND hwnd() {
        return static_cast<HWND>(testsupport::window(kWidth, kHeight)->getHwnd());
    }

    std::vector<D3DCOLOR> readBack() { return testsupport::readBackBuffer(device); }
    // One pixel of the back buffer, (0, 0) at the top left; alpha ignored.
    D3DCOLOR pixel(int x, int y) { return readBack().at(y * kWidth + x) & 0x00FFFFFFu; }
    static void write(const std::string& name, const std::string& bytes) {
        testsupport::Sandbox::write(name, bytes);
    }

    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;

private:
    std::unique_ptr<testsupport::Sandbox> mSandbox;
};

} // namespace d3dtest
