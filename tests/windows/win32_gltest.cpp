// The Win32 side of the platform layer, run under Wine: the window class, client size and
// styles, the GDI back buffer (a DIB section in a memory DC), Escape closing the window, the
// full-screen switch and back, and the timer on the performance counter.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <gtest/gtest.h>

#include "cimage.h"
#include "rvtimer.h"
#include "zrplatform.h"
#include "zrwindow.h"

namespace {

// Counts the back-buffer pixels of the top rows (lines from the top of the DIB) with the given
// byte pattern test.
template <typename Test> int countTopPixels(const CImage& image, int rows, Test test) {
    int n = 0;
    for (int line = image.getHeight() - rows; line < image.getHeight(); ++line) {
        const std::uint8_t* p = image.getLinePtr(line);
        for (int x = 0; x < image.getWidth(); ++x, p += image.getChannels()) {
            n += test(p) ? 1 : 0;
        }
    }
    return n;
}

TEST(Win32Image, PixelsAreADibSectionWhoseFirstLineIsTheBottomRow) {
    CImage image;
    ASSERT_TRUE(image.create(5, 3, 3));
    HDC dc = static_cast<HDC>(image.getDC());
    ASSERT_NE(dc, nullptr);
    std::uint8_t* bottom = image.getLinePtr(0);
    bottom[0] = 0x30; // blue
    bottom[1] = 0x20; // green
    bottom[2] = 0x10; // red
    GdiFlush();
    EXPECT_EQ(GetPixel(dc, 0, 2), RGB(0x10, 0x20, 0x30));
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 0, 0));
    // GDI draws into the same bytes.
    SetPixel(dc, 4, 0, RGB(0xff, 0, 0));
    GdiFlush();
    EXPECT_EQ(image.getLinePtr(2)[4 * 3 + 2], 0xff);

    CImage copy(image);
    EXPECT_NE(copy.getDC(), image.getDC());
    EXPECT_EQ(copy.getLinePtr(0)[2], 0x10);
    image.release();
    EXPECT_EQ(image.getDC(), nullptr);
}

TEST(Win32Timer, MeasuresWithThePerformanceCounter) {
    rvTimer timer;
    ASSERT_TRUE(timer.init());
    Sleep(30);
    timer.tick();
    EXPECT_GT(timer.getElapsed(), 0.025f);
    EXPECT_LT(timer.getElapsed(), 1.0f);
}

// One window for the whole program, as in the demo; the last test closes it.
class Win32Window : public ::testing::Test {
protected:
    static constexpr int kWidth = 320;
    static constexpr int kHeight = 200;
    static constexpr unsigned int kStyle = 0x6c80000; // the demo's fixed-size framed window

    static zrWindow* window() {
        static zrWindow* made = [] {
            auto* w = new zrWindow;
            const zrWindowParams params = {"Win32 test", kStyle, WS_EX_APPWINDOW, kWidth, kHeight,
                                           -1,           -1};
            return w->create(zrModuleHandle(), &params) ? w : nullptr;
        }();
        return made;
    }
    static HWND hwnd() { return static_cast<HWND>(window()->getHwnd()); }

    void SetUp() override { ASSERT_NE(window(), nullptr) << "the window could not be made"; }
};

TEST_F(Win32Window, HasTheDesignedClassStylesAndClientSize) {
    char name[64] = {};
    GetClassNameA(hwnd(), name, sizeof(name));
    EXPECT_STREQ(name, "DefaultWindow");
    EXPECT_EQ(GetClassLongA(hwnd(), GCL_STYLE), UINT(CS_HREDRAW | CS_VREDRAW | CS_OWNDC));
    EXPECT_EQ(GetWindowLongA(hwnd(), GWL_STYLE) & kStyle, LONG(kStyle));
    RECT client;
    GetClientRect(hwnd(), &client);
    EXPECT_EQ(client.right, kWidth);
    EXPECT_EQ(client.bottom, kHeight);
    EXPECT_EQ(zrWindow::fromHwnd(hwnd()), window());
    EXPECT_EQ(window()->getHdc(), static_cast<void*>(GetDC(hwnd()))); // the class's own DC
}

TEST_F(Win32Window, TextIsDrawnIntoTheBackBufferWithGdi) {
    const CImage* back = window()->getBackBuffer();
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->getWidth(), kWidth);
    EXPECT_EQ(back->getChannels(), 4);
    window()->clearBackBuffer(0, 0, 0);
    auto red = [](const std::uint8_t* p) { return p[2] > 128 && p[1] < 64 && p[0] < 64; };
    EXPECT_EQ(countTopPixels(*back, 20, red), 0);
    ASSERT_TRUE(window()->drawText("WWWW", RGB(255, 0, 0), 2, 2));
    ASSERT_TRUE(window()->drawFPS(RGB(255, 0, 0), 100, 2));
    GdiFlush();
    EXPECT_GT(countTopPixels(*back, 20, red), 20);
    // Transparent: around the letters the black stays.
    auto black = [](const std::uint8_t* p) { return p[0] == 0 && p[1] == 0 && p[2] == 0; };
    EXPECT_GT(countTopPixels(*back, 20, black), kWidth * 20 / 2);
    EXPECT_TRUE(window()->blitBackBuffer());
}

TEST_F(Win32Window, FullScreenAndBackRestoresStylesAndSize) {
    RECT before;
    GetWindowRect(hwnd(), &before);
    ASSERT_TRUE(window()->toggleFullscreen());
    EXPECT_TRUE(window()->isFullscreen());
    EXPECT_EQ(GetWindowLongA(hwnd(), GWL_STYLE) & (WS_POPUP | WS_CAPTION), LONG(WS_POPUP));
    EXPECT_EQ(window()->getWidth(), GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(window()->getHeight(), GetSystemMetrics(SM_CYSCREEN));
    ASSERT_TRUE(window()->toggleFullscreen());
    EXPECT_FALSE(window()->isFullscreen());
    EXPECT_EQ(GetWindowLongA(hwnd(), GWL_STYLE) & kStyle, LONG(kStyle));
    EXPECT_EQ(window()->getWidth(), kWidth);
    EXPECT_EQ(window()->getHeight(), kHeight);
    RECT after;
    GetWindowRect(hwnd(), &after);
    EXPECT_EQ(after.right - after.left, before.right - before.left);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
}

// Last: it closes the window.
TEST_F(Win32Window, ZzEscapeClosesTheWindowAndEndsTheMessageLoop) {
    PostMessageA(hwnd(), WM_KEYDOWN, 'Q', 0); // other keys are left to the input module
    PostMessageA(hwnd(), WM_KEYDOWN, VK_ESCAPE, 0);
    bool quit = false;
    for (int i = 0; i < 1000 && !quit; ++i) {
        if (!zrPumpMessage(&quit)) {
            Sleep(1);
        }
    }
    EXPECT_TRUE(quit);
    EXPECT_FALSE(IsWindow(hwnd()));
}

} // namespace
