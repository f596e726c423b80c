// The texture list every back end shares: names, handles, the default texture and releasing.
#include "rvtexture.h"

#include <gtest/gtest.h>

#include "stubrender.h"

namespace {

struct Textures : ::testing::Test {
    void SetUp() override { ASSERT_TRUE(manager.init(nullptr)); }
    rvTexture* fallback() const { return manager.getTexture(0); }
    FakeTextureManager manager;
};

TEST_F(Textures, ANameIsLoadedOnceAndWhatCannotBeMadeYieldsTheDefault) {
    ASSERT_NE(fallback(), nullptr);
    EXPECT_STREQ(fallback()->name, rvTextureManager::kDefaultTexture);
    EXPECT_TRUE(manager.init(nullptr)); // a second init changes nothing
    rvTexture* a = manager.loadTexture("a.bmp");
    EXPECT_EQ(manager.loadMipmappedTexture("a.bmp"), a);
    EXPECT_EQ(a->handle, 1);
    EXPECT_EQ(manager.made, 2);
    EXPECT_EQ(manager.loadTexture("missing.bmp"), fallback());
    EXPECT_EQ(manager.loadTexture(nullptr), fallback());
    // Created textures: an existing name returns its record, whatever the pixels.
    const unsigned char px[4] = {1, 2, 3, 4};
    EXPECT_EQ(manager.createTexture(px, "a.bmp", 1, 1, 32), a);
    EXPECT_EQ(manager.createMipmappedTexture(px, "made", 1, 1, 32)->handle, 2);
    EXPECT_EQ(manager.createTexture(nullptr, "none", 1, 1, 32), fallback());
    EXPECT_EQ(manager.createTexture(px, "huge", 1, 100000, 24), fallback());
    EXPECT_EQ(manager.getTextureCount(), 3);
}

TEST_F(Textures, ReleasingKeepsEveryHandleAndNeverTheDefaultOrTheLastEntry) {
    for (const char* name : {"1.bmp", "2.bmp", "3.bmp"}) {
        manager.loadTexture(name);
    }
    for (int handle : {-1, 0, 3, 4}) {
        EXPECT_FALSE(manager.releaseTexture(handle)) << handle;
    }
    EXPECT_TRUE(manager.releaseTexture(1));
    EXPECT_FALSE(manager.releaseTexture(1)); // already released
    EXPECT_EQ(manager.getTexture(1), fallback());
    EXPECT_STREQ(manager.getTexture(2)->name, "2.bmp");
    EXPECT_EQ(manager.loadTexture("1.bmp")->handle, 4); // loaded anew, at the end
    manager.releaseAll();
    EXPECT_EQ(manager.getTextureCount(), 0);
    EXPECT_EQ(manager.getTexture(0), nullptr);
}

// Without images/default.bmp the default texture is made from the built-in checker.
struct NoFiles : FakeTextureManager {
    std::unique_ptr<rvTexture> makeFromFile(const char*, bool) override { return nullptr; }
    std::unique_ptr<rvTexture> makeFromPixels(const unsigned char* p, int w, int h, int c,
                                              bool mip) override {
        pixels.assign(p, p + w * h * c);
        return FakeTextureManager::makeFromPixels(p, w, h, c, mip);
    }
    std::vector<unsigned char> pixels;
};

TEST(DefaultTexture, IsAMagentaAndBlackCheckerWhenItsFileCannotBeRead) {
    NoFiles manager;
    manager.init(nullptr);
    ASSERT_EQ(manager.pixels.size(), 16u * 16 * 3);
    auto bgr = [&](int x, int row) {
        return std::vector<unsigned char>(&manager.pixels[(row * 16 + x) * 3],
                                          &manager.pixels[(row * 16 + x) * 3 + 3]);
    };
    EXPECT_EQ(bgr(0, 15), (std::vector<unsigned char>{255, 0, 255})); // bottom left
    EXPECT_EQ(bgr(15, 0), (std::vector<unsigned char>{255, 0, 255})); // top right
    EXPECT_EQ(bgr(0, 0), (std::vector<unsigned char>{0, 0, 0}));
    EXPECT_STREQ(manager.getTexture(0)->name, rvTextureManager::kDefaultTexture);
}

} // namespace
