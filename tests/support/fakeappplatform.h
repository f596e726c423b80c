// An rvAppPlatform without a window: keys are held or released by the test, and every query and
// action is recorded in order so that tests can check what the input handling asked for.
//
// Keys fire the way the input module's do with no repeat delay: keyPressed is true while the
// key is in `held`. Letters are held as upper-case virtual keys and asked for in either case.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "appplatform.h"

class FakeAppPlatform : public rvAppPlatform {
public:
    static int fold(int key) { return (key >= 'a' && key <= 'z') ? key - 'a' + 'A' : key; }

    bool keyPressed(int key) override {
        log.push_back("keyPressed " + std::to_string(fold(key)));
        return held.count(fold(key)) > 0;
    }
    void pollInput() override { log.push_back("pollInput"); }
    zrPoint getMousePos() override { return mouse; }
    void setMousePos(zrPoint client) override {
        log.push_back("setMousePos " + std::to_string(client.x) + "," + std::to_string(client.y));
        mouse = client;
    }
    void hideCursor() override { log.push_back("hideCursor"); }
    int getWidth() override { return width; }
    int getHeight() override { return height; }
    float getFrameTime() override { return frameTime; }
    int getFPS() override { return fps; }
    void setTitle(const char* title) override { titles.push_back(title); }

    std::set<int> held;
    zrPoint mouse = {400, 300};
    int width = 800;
    int height = 600;
    float frameTime = 0.01f;
    int fps = 0;

    std::vector<std::string> log;
    std::vector<std::string> titles;
};
