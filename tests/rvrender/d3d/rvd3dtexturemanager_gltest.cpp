// The Direct3D texture manager on the Direct3D 9 layer: the list rules as they reach Direct3D
// textures, texels of a created 24-bit texture, and files kept at their own size.
#include "rvd3dtexturemanager.h"

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "cimage.h"
#include "d3dcontext.h"

namespace {

class D3DTextureTest : public d3dtest::RenderTest {
protected:
    rvTextureManager* manager() { return render->getTextureManager(); }
    static D3DSURFACE_DESC level0(rvTexture* texture) {
        D3DSURFACE_DESC desc = {};
        rvD3DTextureOf(texture)->GetLevelDesc(0, &desc);
        return desc;
    }
    static void writeBMP(const char* name, int width, int height) {
        CImage image;
        ASSERT_TRUE(image.create(width, height, 3));
        ASSERT_TRUE(image.writeBMP(name));
    }
};

TEST_F(D3DTextureTest, ANameIsLoadedOnceAndAMissingFileGivesTheDefault) {
    writeBMP("a.bmp", 4, 4);
    rvTexture* a = manager()->loadTexture("a.bmp");
    const int count = manager()->getTextureCount();
    ASSERT_NE(rvD3DTextureOf(a), nullptr);
    EXPECT_EQ(manager()->loadTexture("a.bmp"), a);
    EXPECT_EQ(manager()->getTextureCount(), count);
    EXPECT_EQ(manager()->loadTexture("missing.bmp")->handle, 0);
}

TEST_F(D3DTextureTest, OnlyEntriesBetweenTheDefaultAndTheLastAreReleased) {
    const unsigned char px[4] = {1, 2, 3, 4};
    rvTexture* one = manager()->createTexture(px, "one", 1, 1, 32);
    manager()->createTexture(px, "two", 1, 1, 32);
    ASSERT_EQ(manager()->getTextureCount(), 3);
    EXPECT_EQ(manager()->createTexture(px + 1, "one", 1, 1, 24), one);
    EXPECT_FALSE(manager()->releaseTexture(0));
    EXPECT_FALSE(manager()->releaseTexture(2));
    EXPECT_TRUE(manager()->releaseTexture(1));
    EXPECT_EQ(manager()->getTexture(1), manager()->getTexture(0));
}

TEST_F(D3DTextureTest, A24BitTextureReadsThreeBytesPerSourcePixel) {
    // Three pixels a row (9 bytes, no padding), every byte different.
    std::vector<unsigned char> bgr(3 * 3 * 2);
    for (size_t i = 0; i < bgr.size(); ++i)
        bgr[i] = static_cast<unsigned char>(10 * i + 5);
    IDirect3DTexture9* texture =
        rvD3DTextureOf(manager()->createTexture(bgr.data(), "bgr", 3, 2, 24));
    ASSERT_NE(texture, nullptr);
    D3DSURFACE_DESC desc;
    texture->GetLevelDesc(0, &desc);
    const int texel = desc.Format == D3DFMT_R8G8B8 ? 3 : 4;
    D3DLOCKED_RECT locked;
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    std::vector<unsigned char> texels;
    for (int y = 0; y < 2; ++y) {
        const auto* row = static_cast<const unsigned char*>(locked.pBits) + y * locked.Pitch;
        for (int x = 0; x < 3; ++x)
            texels.insert(texels.end(), row + texel * x, row + texel * x + 3);
    }
    texture->UnlockRect(0);
    EXPECT_EQ(texels, bgr);
}

TEST_F(D3DTextureTest, AFileKeepsItsSizeWhenItIsNoPowerOfTwo) {
    writeBMP("odd.bmp", 3, 5);
    const D3DSURFACE_DESC desc = level0(manager()->loadTexture("odd.bmp"));
    EXPECT_EQ(desc.Width, 3u);
    EXPECT_EQ(desc.Height, 5u);
}

} // namespace
