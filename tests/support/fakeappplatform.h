// An rvAppPlatform without a window: keys are held or released by the test and fire while held
// (as with no repeat delay); the queries, polls, cursor warps and titles are recorded.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "appplatform.h"

class FakeAppPlatform : public rvAppPlatform {
public:
    static int fold(int key) { return (key >= 'a' && key <= 'z') ? key - 'a' + 'A' : key; }

    bool keyPressed(int key) override {
        asked.push_back(fold(key));
        return held.count(fold(key)) > 0;
    }
    void pollInput() override { ++polls; }
    zrPoint getMousePos() override { return mouse; }
    void setMousePos(zrPoint client) override { mouse = client; }
    void hideCursor() override {}
    int getWidth() override { return width; }
    int getHeight() override { return height; }
    float getFrameTime() override { return frameTime; }
    int getFPS() override { return fps; }
    void setTitle(const char* title) override { titles.push_back(title); }

    std::set<int> held;
    std::vector<int> asked;
    int polls = 0;
    zrPoint mouse = {400, 300};
    int width = 800;
    int height = 600;
    float frameTime = 0.01f;
    int fps = 0;
    std::vector<std::string> titles;
};
