// A window and a Direct3D 9 device on it, for the benchmarks that draw through the layer: made
// once per program, windowed, with depth and without waiting for the display.
#pragma once

#include <cstdlib>
#include <memory>
#include <string>

#include "d3d9.h"
#include "zrwindow.h"

struct BenchDevice {
    std::unique_ptr<zrWindow> window = std::make_unique<zrWindow>();
    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;
    std::string error; // why there is no device

    BenchDevice(const char* title, int width, int height) {
        int instance = 0;
        zrWindowParams params = {title, 0x00C00000u, 0, width, height, 0, 0};
        if (!std::getenv("DISPLAY") || !window->create(&instance, &params)) {
            error = "no window (is DISPLAY set?)";
            return;
        }
        d3d = Direct3DCreate9(D3D_SDK_VERSION);
        D3DPRESENT_PARAMETERS pp = {};
        pp.BackBufferFormat = D3DFMT_X8R8G8B8;
        pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        pp.Windowed = TRUE;
        pp.EnableAutoDepthStencil = TRUE;
        pp.AutoDepthStencilFormat = D3DFMT_D24S8;
        pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
        if (!d3d || d3d->CreateDevice(
                        D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, static_cast<HWND>(window->getHwnd()),
                        D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device) != D3D_OK) {
            device = nullptr;
            error = "no Direct3D device";
        }
    }
};
