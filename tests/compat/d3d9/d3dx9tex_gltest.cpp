// D3DX textures: BMP and TGA files written here byte by byte load with D3DX's format, row-order,
// size and filtering rules; D3DXCreateTexture corrects requests; mip levels are box-filtered;
// the demo's own images give the texels the core's reader gives the OpenGL back end.
#include <cstring>
#include <filesystem>

#include "cimage.h"
#include "d3d9device.h"
#include "d3dx9tex.h"

namespace {

using d3dtest::DeviceTest;
using Texels = std::vector<D3DCOLOR>;

std::string le(DWORD v, int bytes) {
    std::string s;
    for (int i = 0; i < bytes; ++i)
        s += char((v >> (8 * i)) & 0xFF);
    return s;
}

std::string pixel(D3DCOLOR c, int bits) {
    return le(c, bits / 8);
} // B, G, R (, A)

// A BITMAPINFOHEADER bitmap of top-first texels; height < 0 stores it top-down.
std::string bmp(int w, int h, int bits, const Texels& texels) {
    std::string rows;
    for (int r = 0; r < std::abs(h); ++r) {
        const int y = h > 0 ? std::abs(h) - 1 - r : r;
        std::string row;
        for (int x = 0; x < w; ++x)
            row += pixel(texels[y * w + x], bits);
        rows += row + std::string((4 - row.size() % 4) % 4, '\0');
    }
    return "BM" + le(54 + rows.size(), 4) + le(0, 4) + le(54, 4) + le(40, 4) + le(w, 4) +
           le(DWORD(h), 4) + le(1, 2) + le(bits, 2) + le(0, 4) + le(rows.size(), 4) + le(2835, 4) +
           le(2835, 4) + std::string(8, '\0') + rows;
}

// An uncompressed true-colour TGA; descriptor 0x20 stores it top-down, 0x10 right to left.
std::string tga(int w, int h, int bits, int descriptor, const Texels& texels) {
    std::string out = std::string("\0\0\2", 3) + std::string(9, '\0') + le(w, 2) + le(h, 2) +
                      char(bits) + char(descriptor | (bits == 32 ? 8 : 0));
    for (int r = 0; r < h; ++r)
        for (int i = 0; i < w; ++i) {
            const int y = (descriptor & 0x20) ? r : h - 1 - r;
            const int x = (descriptor & 0x10) ? w - 1 - i : i;
            out += pixel(texels[y * w + x], bits);
        }
    return out;
}

// One level's texels as D3DCOLORs, top row first, as sampled (X8 and R8G8B8 have alpha 1).
Texels read(IDirect3DTexture9* tex, UINT level) {
    D3DSURFACE_DESC desc;
    D3DLOCKED_RECT lr;
    Texels out;
    if (tex->GetLevelDesc(level, &desc) != D3D_OK ||
        tex->LockRect(level, &lr, nullptr, D3DLOCK_READONLY) != D3D_OK)
        return out;
    const UINT size = desc.Format == D3DFMT_R8G8B8 ? 3 : 4;
    const D3DCOLOR opaque = desc.Format == D3DFMT_A8R8G8B8 ? 0 : 0xFF000000;
    for (UINT y = 0; y < desc.Height; ++y)
        for (UINT x = 0; x < desc.Width; ++x) {
            D3DCOLOR c = 0;
            std::memcpy(&c, static_cast<BYTE*>(lr.pBits) + y * lr.Pitch + x * size, size);
            out.push_back(c | opaque);
        }
    tex->UnlockRect(level);
    return out;
}

const Texels kImage = {0x80FF0000, 0x00112233, 0xFF00FF00, // 3 × 2, top row first
                       0x400000FF, 0xC0445566, 0x01FFFFFF};

class D3DXTexture : public DeviceTest {
protected:
    void TearDown() override {
        if (tex)
            tex->Release();
        DeviceTest::TearDown();
    }
    // Loads at the file's own size, unfiltered, one level.
    HRESULT loadAsIs(const std::string& name, const std::string& bytes) {
        write(name, bytes);
        if (tex)
            tex->Release(), tex = nullptr;
        return D3DXCreateTextureFromFileEx(
            device, name.c_str(), D3DX_DEFAULT_NONPOW2, D3DX_DEFAULT_NONPOW2, 1, 0, D3DFMT_UNKNOWN,
            D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0, &info, nullptr, &tex);
    }
    D3DFORMAT format() {
        D3DSURFACE_DESC desc = {};
        tex->GetLevelDesc(0, &desc);
        return desc.Format;
    }
    Texels opaque(Texels t) {
        for (D3DCOLOR& c : t)
            c |= 0xFF000000;
        return t;
    }
    IDirect3DTexture9* tex = nullptr;
    D3DXIMAGE_INFO info = {};
};

TEST_F(D3DXTexture, BitmapsTakeTheirFormatFromBitsAndAlphaBytes) {
    for (int h : {2, -2}) { // bottom-up and top-down
        ASSERT_EQ(loadAsIs("rgb.bmp", bmp(3, h, 24, kImage)), D3D_OK);
        EXPECT_EQ(format(), D3DFMT_X8R8G8B8);
        EXPECT_EQ(info.Format, D3DFMT_R8G8B8);
        EXPECT_EQ(info.ImageFileFormat, D3DXIFF_BMP);
        EXPECT_EQ(read(tex, 0), opaque(kImage));
    }
    ASSERT_EQ(loadAsIs("argb.bmp", bmp(3, 2, 32, kImage)), D3D_OK);
    EXPECT_EQ(format(), D3DFMT_A8R8G8B8);
    EXPECT_EQ(read(tex, 0), kImage);

    Texels noAlpha = kImage;
    for (D3DCOLOR& c : noAlpha)
        c &= 0x00FFFFFF;
    ASSERT_EQ(loadAsIs("xrgb.bmp", bmp(3, 2, 32, noAlpha)), D3D_OK);
    EXPECT_EQ(format(), D3DFMT_X8R8G8B8);
    EXPECT_EQ(read(tex, 0), opaque(kImage));
}

TEST_F(D3DXTexture, TargasKeepAlphaInEveryRowOrder) {
    for (int descriptor : {0x00, 0x20, 0x30}) {
        ASSERT_EQ(loadAsIs("argb.tga", tga(3, 2, 32, descriptor, kImage)), D3D_OK);
        EXPECT_EQ(format(), D3DFMT_A8R8G8B8);
        EXPECT_EQ(read(tex, 0), kImage);
    }
    EXPECT_EQ(info.Width, 3u);
    EXPECT_EQ(info.Height, 2u);
    EXPECT_EQ(info.ImageFileFormat, D3DXIFF_TGA);
    ASSERT_EQ(loadAsIs("rgb.tga", tga(3, 2, 24, 0, kImage)), D3D_OK);
    EXPECT_EQ(info.Format, D3DFMT_R8G8B8);
    EXPECT_EQ(format(), D3DFMT_X8R8G8B8);
    EXPECT_EQ(read(tex, 0), opaque(kImage));
}

TEST_F(D3DXTexture, DefaultSizeIsAPowerOfTwoFilledByRescaling) {
    const Texels redRedBlue = {0xFFFF0000, 0xFFFF0000, 0xFF0000FF,
                               0xFFFF0000, 0xFFFF0000, 0xFF0000FF};
    write("rrb.bmp", bmp(3, 2, 24, redRedBlue));
    ASSERT_EQ(D3DXCreateTextureFromFile(device, "rrb.bmp", &tex), D3D_OK);
    D3DSURFACE_DESC desc;
    ASSERT_EQ(tex->GetLevelDesc(0, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, 4u);
    EXPECT_EQ(desc.Height, 2u);
    EXPECT_EQ(tex->GetLevelCount(), 3u); // 4×2, 2×1, 1×1
    const Texels top = read(tex, 0);
    ASSERT_EQ(top.size(), 8u);
    EXPECT_EQ(top[0], 0xFFFF0000);
    EXPECT_EQ(top[3], 0xFF0000FF); // the right edge is stretched, not left empty

    tex->Release(), tex = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileEx(device, "rrb.bmp", 0, 0, 0, 0, D3DFMT_A8R8G8B8,
                                          D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_DEFAULT, 0,
                                          nullptr, nullptr, &tex),
              D3D_OK);
    const Texels placed = read(tex, 0);
    ASSERT_EQ(placed.size(), 8u);
    EXPECT_EQ(placed[2], 0xFF0000FF);  // 24-bit into A8R8G8B8: alpha 0xFF
    EXPECT_EQ(placed[3], 0x00000000u); // outside the image: transparent black
}

TEST_F(D3DXTexture, FilterTextureBoxFiltersEveryLevel) {
    ASSERT_EQ(D3DXCreateTexture(device, 4, 4, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex),
              D3D_OK);
    ASSERT_EQ(tex->GetLevelCount(), 3u);
    D3DLOCKED_RECT lr;
    ASSERT_EQ(tex->LockRect(0, &lr, nullptr, 0), D3D_OK);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            reinterpret_cast<D3DCOLOR*>(static_cast<BYTE*>(lr.pBits) + y * lr.Pitch)[x] =
                0x01010101u * DWORD(16 * (x + 4 * y));
    tex->UnlockRect(0);
    ASSERT_EQ(D3DXFilterTexture(tex, nullptr, 0, D3DX_DEFAULT), D3D_OK);
    const Texels half = read(tex, 1);
    ASSERT_EQ(half.size(), 4u);
    EXPECT_EQ(half[0], 0x01010101u * 40);  // (0 + 16 + 64 + 80) / 4
    EXPECT_EQ(half[3], 0x01010101u * 200); // (160 + 176 + 224 + 240) / 4
    EXPECT_EQ(read(tex, 2), Texels{0x01010101u * 120});
}

TEST_F(D3DXTexture, CreateTextureCorrectsSizesAndFormats) {
    ASSERT_EQ(D3DXCreateTexture(device, 0, D3DX_DEFAULT, D3DX_DEFAULT, 0, D3DFMT_X8R8G8B8,
                                D3DPOOL_MANAGED, &tex),
              D3D_OK);
    D3DSURFACE_DESC desc;
    ASSERT_EQ(tex->GetLevelDesc(0, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, 1u);
    EXPECT_EQ(desc.Height, 256u);
    EXPECT_EQ(tex->GetLevelCount(), 9u);
    tex->Release(), tex = nullptr;

    D3DDISPLAYMODE mode;
    ASSERT_EQ(device->GetDisplayMode(0, &mode), D3D_OK);
    for (D3DFORMAT f : {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R8G8B8}) {
        ASSERT_EQ(D3DXCreateTexture(device, 5, 3, 1, 0, f, D3DPOOL_MANAGED, &tex), D3D_OK);
        const bool supported =
            d3d->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, mode.Format, 0,
                                   D3DRTYPE_TEXTURE, f) == D3D_OK;
        EXPECT_EQ(format(), supported ? f : D3DFMT_X8R8G8B8) << f;
        D3DLOCKED_RECT lr;
        ASSERT_EQ(tex->LockRect(0, &lr, nullptr, 0), D3D_OK);
        EXPECT_EQ(lr.Pitch, format() == D3DFMT_R8G8B8 ? 16 : 20) << f; // rows 4-byte aligned
        tex->UnlockRect(0);
        tex->Release(), tex = nullptr;
    }
}

TEST_F(D3DXTexture, MissingOrUndecodableFilesFailWithoutATexture) {
    const std::string whole = bmp(3, 2, 24, kImage);
    write("empty.bmp", "");
    write("text.tga", "not an image at all");
    write("short.bmp", whole.substr(0, 60)); // rows missing
    for (const char* name : {"missing.bmp", "empty.bmp", "text.tga", "short.bmp"}) {
        IDirect3DTexture9* out = reinterpret_cast<IDirect3DTexture9*>(&info); // to be nulled
        EXPECT_EQ(D3DXCreateTextureFromFile(device, name, &out), D3DXERR_INVALIDDATA) << name;
        EXPECT_EQ(out, nullptr) << name;
    }
}

// D3DX decodes with stb, which reads more kinds of file than the core's reader (as D3DX does on
// Windows); the files the demo ships must come out texel for texel as the core reads them.
TEST_F(D3DXTexture, TheDemosImagesGiveTheTexelsOfTheCoresReader) {
    int compared = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(RV_DEMO_DIR)) {
        const std::string path = entry.path().string();
        const std::string ext = entry.path().extension().string();
        CImage image;
        if (ext == ".bmp" ? !image.loadBMP(path.c_str())
                          : ext != ".tga" || !image.loadTGA(path.c_str()))
            continue;
        if (tex)
            tex->Release(), tex = nullptr;
        ASSERT_EQ(D3DXCreateTextureFromFileEx(device, path.c_str(), D3DX_DEFAULT_NONPOW2,
                                              D3DX_DEFAULT_NONPOW2, 1, 0, D3DFMT_UNKNOWN,
                                              D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_FILTER_NONE,
                                              0, &info, nullptr, &tex),
                  D3D_OK)
            << path;
        ASSERT_EQ(int(info.Width), image.getWidth()) << path;
        ASSERT_EQ(int(info.Height), image.getHeight()) << path;
        const Texels texels = read(tex, 0);
        ASSERT_EQ(texels.size(), std::size_t(image.getWidth()) * image.getHeight()) << path;
        const bool alpha = format() == D3DFMT_A8R8G8B8;
        int differing = 0;
        for (int y = 0; y < image.getHeight(); ++y) {
            const std::uint8_t* line = image.getLinePtr(image.getHeight() - 1 - y);
            for (int x = 0; x < image.getWidth(); ++x) {
                D3DCOLOR ours = 0;
                std::memcpy(&ours, line + x * image.getChannels(), image.getChannels());
                const D3DCOLOR mask = alpha ? 0xFFFFFFFF : 0x00FFFFFF;
                differing += (ours & mask) != (texels[y * image.getWidth() + x] & mask);
            }
        }
        EXPECT_EQ(differing, 0) << path;
        ++compared;
    }
    EXPECT_GE(compared, 4) << "the demo's images under " << RV_DEMO_DIR;
}

} // namespace
