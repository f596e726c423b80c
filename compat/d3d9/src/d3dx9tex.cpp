// D3DX 9 textures: D3DXCreateTexture's size, level and format rules, image files decoded with
// stb_image into textures through the public Direct3D 9 interfaces, and mip-chain filtering.
// Images are handled on the CPU as D3DCOLOR (0xAARRGGBB) arrays, top row first.
#include "d3dx9tex.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <vector>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#define STBI_NO_GIF
#define STBI_NO_PSD
#define STBI_NO_PIC
#define STBI_NO_HDR
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

namespace {

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
constexpr bool kLittleEndian = false;
#else
constexpr bool kLittleEndian = true;
#endif

struct Image {
    UINT width = 0;
    UINT height = 0;
    std::vector<D3DCOLOR> texels; // width × height, top row first
};

using Bytes = std::vector<unsigned char>;

UINT read16(const Bytes& b, size_t at) {
    return b[at] | (b[at + 1] << 8);
}
DWORD read32(const Bytes& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (DWORD(b[at + 3]) << 24);
}

bool hasAlpha(D3DFORMAT format) {
    return format == D3DFMT_A8R8G8B8 || format == D3DFMT_A1R5G5B5 || format == D3DFMT_A4R4G4B4 ||
           format == D3DFMT_A8 || format == D3DFMT_A8B8G8R8 || format == D3DFMT_A16B16G16R16F ||
           format == D3DFMT_A32B32G32R32F;
}

// The formats this file converts texels to and from, with their texel size.
UINT bytesPerTexel(D3DFORMAT format) {
    switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
    case D3DFMT_A8B8G8R8:
    case D3DFMT_X8B8G8R8:
        return 4;
    case D3DFMT_R8G8B8:
        return 3;
    default:
        return 0;
    }
}

// What the file holds, read from its header: its file type and the Direct3D format of its
// pixels. A 32-bit BI_RGB bitmap counts as X8R8G8B8 when every fourth byte is zero and as
// A8R8G8B8 otherwise. False when the bytes are of no type handled here.
bool inspectHeader(const Bytes& b, D3DXIMAGE_FILEFORMAT* type, D3DFORMAT* format) {
    const size_t n = b.size();
    if (n >= 30 && b[0] == 'B' && b[1] == 'M') {
        *type = D3DXIFF_BMP;
        const DWORD offBits = read32(b, 10), infoSize = read32(b, 14);
        if (infoSize == 12) { // OS/2 BITMAPCOREHEADER
            *format = read16(b, 24) == 32 ? D3DFMT_X8R8G8B8 : D3DFMT_R8G8B8;
            return true;
        }
        if (n < 34)
            return false;
        const UINT bits = read16(b, 28);
        const DWORD compression = read32(b, 30);
        const int width = static_cast<int>(read32(b, 18));
        const int height = static_cast<int>(read32(b, 22));
        if (width <= 0 || height == 0)
            return false;
        if (compression == 0 || compression == 3) { // uncompressed: all rows must be there
            const size_t rowBytes = (size_t(width) * bits + 31) / 32 * 4;
            if (offBits > n || rowBytes * size_t(std::abs(height)) > n - offBits)
                return false;
        }
        if (bits == 24) {
            *format = D3DFMT_R8G8B8;
        } else if (bits == 32 && compression == 0) {
            const size_t size = size_t(width) * size_t(std::abs(height)) * 4;
            *format = D3DFMT_X8R8G8B8;
            for (size_t i = offBits + 3; i < offBits + size; i += 4)
                if (b[i] != 0) {
                    *format = D3DFMT_A8R8G8B8;
                    break;
                }
        } else if (bits == 32 && compression == 3) { // BI_BITFIELDS: an alpha mask or not
            const bool alphaMask = infoSize >= 56 && n >= 14 + 56 && read32(b, 14 + 52) != 0;
            *format = alphaMask ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
        } else if (bits == 16) {
            *format = D3DFMT_X1R5G5B5;
        } else {
            *format = D3DFMT_X8R8G8B8; // palettized: expanded to 32 bits
        }
        return true;
    }
    if (n >= 8 && b[0] == 0x89 && b[1] == 'P' && b[2] == 'N' && b[3] == 'G') {
        *type = D3DXIFF_PNG;
        // Colour type at byte 25: 4 (grey + alpha) and 6 (RGBA) carry alpha; a tRNS chunk too.
        const bool alpha =
            n > 25 && (b[25] == 4 || b[25] == 6 ||
                       std::search(b.begin(), b.end(), "tRNS", "tRNS" + 4) != b.end());
        *format = alpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
        return true;
    }
    if (n >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF) {
        *type = D3DXIFF_JPG;
        *format = D3DFMT_X8R8G8B8;
        return true;
    }
    if (n >= 2 && b[0] == 'P' && (b[1] == '5' || b[1] == '6')) {
        *type = D3DXIFF_PPM;
        *format = D3DFMT_X8R8G8B8;
        return true;
    }
    // TGA has no signature: accept a plausible header of an uncompressed or RLE image.
    if (n >= 18 && b[1] <= 1) {
        const unsigned imageType = b[2], depth = b[16], descriptor = b[17];
        const size_t width = read16(b, 12), height = read16(b, 14);
        const size_t colorMap = b[1] ? read16(b, 5) * size_t((b[7] + 7) / 8) : 0;
        if (width == 0 || height == 0)
            return false;
        if (imageType < 8 && 18 + b[0] + colorMap + width * height * ((depth + 7) / 8) > n)
            return false; // uncompressed with pixels missing
        *type = D3DXIFF_TGA;
        switch (imageType) {
        case 2:
        case 10: // true colour
            if (depth == 32)
                *format = D3DFMT_A8R8G8B8;
            else if (depth == 24)
                *format = D3DFMT_R8G8B8;
            else if (depth == 16 || depth == 15)
                *format = (descriptor & 0x0F) ? D3DFMT_A1R5G5B5 : D3DFMT_X1R5G5B5;
            else
                return false;
            return true;
        case 1:
        case 9: // colour-mapped
        case 3:
        case 11: // grey
            *format = D3DFMT_X8R8G8B8;
            return depth == 8;
        default:
            return false;
        }
    }
    return false;
}

// Uncompressed 24- and 32-bit bitmaps (nearly all there are, the demo's among them) are read
// here in one pass, B, G, R (and A) bytes to texels; stb_image reads every other kind. The
// header has been checked to hold all the rows. False when the bitmap is of another kind.
bool readPlainBitmap(const Bytes& b, D3DCOLOR opaque, Image* image) {
    const UINT bits = read16(b, 28);
    if (read32(b, 14) < 40 || read16(b, 26) != 1 || read32(b, 30) != 0 ||
        (bits != 24 && bits != 32))
        return false;
    const UINT width = read32(b, 18);
    const long long signedHeight = static_cast<int>(read32(b, 22));
    const UINT height = static_cast<UINT>(signedHeight < 0 ? -signedHeight : signedHeight);
    const size_t texelBytes = bits / 8, rowBytes = (size_t(width) * bits + 31) / 32 * 4;
    const BYTE* pixels = b.data() + read32(b, 10);
    image->width = width;
    image->height = height;
    image->texels.resize(size_t(width) * height);
    for (UINT y = 0; y < height; ++y) {
        // Bottom row first unless the height is negative.
        const BYTE* p = pixels + rowBytes * (signedHeight < 0 ? y : height - 1 - y);
        D3DCOLOR* row = image->texels.data() + size_t(y) * width;
        for (UINT x = 0; x < width; ++x, p += texelBytes)
            row[x] = D3DCOLOR_ARGB(bits == 32 ? p[3] : 0xFF, p[2], p[1], p[0]) | opaque;
    }
    return true;
}

// Decodes a whole file into texels; the file's own format and type come from its header.
bool decode(const Bytes& bytes, Image* image, D3DXIMAGE_FILEFORMAT* type, D3DFORMAT* format) {
    if (bytes.empty() || bytes.size() > 0x7FFFFFFF || !inspectHeader(bytes, type, format))
        return false;
    // An opaque format's texels are opaque whatever the file holds in the fourth byte.
    const D3DCOLOR opaque = hasAlpha(*format) ? 0 : 0xFF000000u;
    if (*type == D3DXIFF_BMP && bytes.size() >= 54 && readPlainBitmap(bytes, opaque, image))
        return true;
    int w = 0, h = 0, comp = 0;
    stbi_uc* rgba =
        stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &w, &h, &comp, 4);
    if (!rgba)
        return false;
    image->width = UINT(w);
    image->height = UINT(h);
    image->texels.resize(size_t(w) * size_t(h));
    for (size_t i = 0; i < image->texels.size(); ++i) {
        const stbi_uc* p = rgba + 4 * i;
        image->texels[i] = D3DCOLOR_ARGB(p[3], p[0], p[1], p[2]) | opaque;
    }
    stbi_image_free(rgba);
    // A TGA image stored right to left (descriptor bit 4), which stb_image does not undo.
    if (*type == D3DXIFF_TGA && (bytes[17] & 0x10))
        for (UINT y = 0; y < image->height; ++y) {
            auto row = image->texels.begin() + size_t(y) * image->width;
            std::reverse(row, row + image->width);
        }
    return true;
}

// One axis of a resampling: the source texels and weights each destination texel takes.
struct Tap {
    UINT index;
    float weight;
};
std::vector<std::vector<Tap>> axisTaps(UINT src, UINT dst, bool point) {
    std::vector<std::vector<Tap>> taps(dst);
    const double scale = double(src) / double(dst);
    for (UINT d = 0; d < dst; ++d) {
        if (point) {
            taps[d].push_back({std::min(src - 1, UINT((d + 0.5) * scale)), 1.0f});
        } else if (src >= dst) { // shrinking: average the texels the destination texel covers
            const double lo = d * scale, hi = (d + 1) * scale;
            for (UINT s = UINT(lo); s < src && s < hi; ++s) {
                const double w = std::min(hi, s + 1.0) - std::max(lo, double(s));
                if (w > 0.0)
                    taps[d].push_back({s, float(w / scale)});
            }
        } else { // enlarging: interpolate between the two nearest texel centres
            const double c = (d + 0.5) * scale - 0.5;
            const double s0 = std::floor(c);
            const float f = float(c - s0);
            auto clampIndex = [src](double s) { return UINT(std::clamp(s, 0.0, double(src - 1))); };
            taps[d].push_back({clampIndex(s0), 1.0f - f});
            taps[d].push_back({clampIndex(s0 + 1.0), f});
        }
    }
    return taps;
}

// Rescales src to width × height: point sampling, or a box average when shrinking and
// linear interpolation when enlarging.
Image resample(const Image& src, UINT width, UINT height, bool point) {
    if (src.width == width && src.height == height)
        return src;
    const auto xTaps = axisTaps(src.width, width, point);
    const auto yTaps = axisTaps(src.height, height, point);
    // Horizontal pass into float channels (a, r, g, b), then the vertical pass.
    std::vector<float> rows(size_t(width) * src.height * 4, 0.0f);
    for (UINT y = 0; y < src.height; ++y)
        for (UINT x = 0; x < width; ++x) {
            float* out = &rows[(size_t(y) * width + x) * 4];
            for (const Tap& t : xTaps[x]) {
                const D3DCOLOR c = src.texels[size_t(y) * src.width + t.index];
                for (int k = 0; k < 4; ++k)
                    out[k] += t.weight * float((c >> (24 - 8 * k)) & 0xFF);
            }
        }
    Image dst;
    dst.width = width;
    dst.height = height;
    dst.texels.resize(size_t(width) * height);
    for (UINT y = 0; y < height; ++y)
        for (UINT x = 0; x < width; ++x) {
            float sum[4] = {};
            for (const Tap& t : yTaps[y])
                for (int k = 0; k < 4; ++k)
                    sum[k] += t.weight * rows[(size_t(t.index) * width + x) * 4 + k];
            D3DCOLOR c = 0;
            for (int k = 0; k < 4; ++k)
                c |= D3DCOLOR(std::clamp(std::lround(sum[k]), 0L, 255L)) << (24 - 8 * k);
            dst.texels[size_t(y) * width + x] = c;
        }
    return dst;
}

// src at the top left of a width × height image, the rest transparent black.
Image placeTopLeft(Image src, UINT width, UINT height) {
    if (src.width == width && src.height == height)
        return src;
    Image dst;
    dst.width = width;
    dst.height = height;
    dst.texels.assign(size_t(width) * height, 0);
    for (UINT y = 0; y < std::min(height, src.height); ++y)
        std::copy_n(src.texels.begin() + size_t(y) * src.width, std::min(width, src.width),
                    dst.texels.begin() + size_t(y) * width);
    return dst;
}

D3DCOLOR loadTexel(const BYTE* p, D3DFORMAT format) {
    switch (format) {
    case D3DFMT_A8R8G8B8:
        return D3DCOLOR_ARGB(p[3], p[2], p[1], p[0]);
    case D3DFMT_X8R8G8B8:
        return D3DCOLOR_ARGB(0xFF, p[2], p[1], p[0]);
    case D3DFMT_A8B8G8R8:
        return D3DCOLOR_ARGB(p[3], p[0], p[1], p[2]);
    case D3DFMT_X8B8G8R8:
        return D3DCOLOR_ARGB(0xFF, p[0], p[1], p[2]);
    default: // R8G8B8
        return D3DCOLOR_ARGB(0xFF, p[2], p[1], p[0]);
    }
}

void storeTexel(BYTE* p, D3DFORMAT format, D3DCOLOR c) {
    const BYTE a = BYTE(c >> 24), r = BYTE(c >> 16), g = BYTE(c >> 8), b = BYTE(c);
    switch (format) {
    case D3DFMT_A8B8G8R8:
    case D3DFMT_X8B8G8R8:
        p[0] = r, p[1] = g, p[2] = b, p[3] = a;
        break;
    case D3DFMT_R8G8B8:
        p[0] = b, p[1] = g, p[2] = r;
        break;
    default: // A8R8G8B8, X8R8G8B8 (the X byte keeps the alpha)
        p[0] = b, p[1] = g, p[2] = r, p[3] = a;
        break;
    }
}

// The level's description and the bytes of one of its texels (a format the layer holds).
HRESULT describeLevel(IDirect3DTexture9* texture, UINT level, D3DSURFACE_DESC* desc,
                      UINT* texelSize) {
    HRESULT hr = texture->GetLevelDesc(level, desc);
    if (FAILED(hr))
        return hr;
    *texelSize = bytesPerTexel(desc->Format);
    return *texelSize ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT readLevel(IDirect3DTexture9* texture, UINT level, Image* image) {
    D3DSURFACE_DESC desc;
    UINT texelSize = 0;
    HRESULT hr = describeLevel(texture, level, &desc, &texelSize);
    if (FAILED(hr))
        return hr;
    D3DLOCKED_RECT locked;
    if (FAILED(hr = texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY)))
        return hr;
    image->width = desc.Width;
    image->height = desc.Height;
    image->texels.resize(size_t(desc.Width) * desc.Height);
    for (UINT y = 0; y < desc.Height; ++y) {
        const BYTE* row = static_cast<const BYTE*>(locked.pBits) + size_t(y) * locked.Pitch;
        for (UINT x = 0; x < desc.Width; ++x)
            image->texels[size_t(y) * desc.Width + x] = loadTexel(row + x * texelSize, desc.Format);
    }
    return texture->UnlockRect(level);
}

// Writes an image of the level's size into the level.
HRESULT writeLevel(IDirect3DTexture9* texture, UINT level, const Image& image) {
    D3DSURFACE_DESC desc;
    UINT texelSize = 0;
    HRESULT hr = describeLevel(texture, level, &desc, &texelSize);
    if (FAILED(hr))
        return hr;
    if (desc.Width != image.width || desc.Height != image.height)
        return D3DERR_INVALIDCALL;
    D3DLOCKED_RECT locked;
    if (FAILED(hr = texture->LockRect(level, &locked, nullptr, 0)))
        return hr;
    // A8R8G8B8 and X8R8G8B8 hold a D3DCOLOR as it is in memory (little-endian).
    const bool asIs = desc.Format == D3DFMT_A8R8G8B8 || desc.Format == D3DFMT_X8R8G8B8;
    for (UINT y = 0; y < desc.Height; ++y) {
        BYTE* row = static_cast<BYTE*>(locked.pBits) + size_t(y) * locked.Pitch;
        const D3DCOLOR* from = image.texels.data() + size_t(y) * desc.Width;
        if (asIs && kLittleEndian) {
            std::memcpy(row, from, size_t(desc.Width) * 4);
            continue;
        }
        for (UINT x = 0; x < desc.Width; ++x)
            storeTexel(row + x * texelSize, desc.Format, from[x]);
    }
    return texture->UnlockRect(level);
}

// Fills the levels below srcLevel, each from the one above it.
HRESULT filterLevels(IDirect3DTexture9* texture, UINT srcLevel, DWORD filter) {
    const DWORD kind = filter & 0xF;
    if (kind == D3DX_FILTER_NONE)
        return D3D_OK;
    const UINT levels = texture->GetLevelCount();
    Image above;
    HRESULT hr = D3D_OK;
    if (srcLevel + 1 < levels)
        hr = readLevel(texture, srcLevel, &above);
    for (UINT level = srcLevel + 1; level < levels && SUCCEEDED(hr); ++level) {
        D3DSURFACE_DESC desc;
        if (FAILED(hr = texture->GetLevelDesc(level, &desc)))
            break;
        above = resample(above, desc.Width, desc.Height, kind == D3DX_FILTER_POINT);
        hr = writeLevel(texture, level, above);
    }
    return hr;
}

bool validFilter(DWORD filter) {
    const DWORD kind = filter & 0xF;
    return kind >= D3DX_FILTER_NONE && kind <= D3DX_FILTER_BOX;
}

UINT roundUpToPowerOfTwo(UINT n) {
    UINT p = 1;
    while (p < n && p < 0x80000000u)
        p <<= 1;
    return p;
}

UINT fullChain(UINT width, UINT height) {
    UINT levels = 1;
    for (UINT size = std::max(width, height); size > 1; size >>= 1)
        ++levels;
    return levels;
}

// The format closest to the requested one that the device can make textures of: the format
// itself, else 32-bit RGB for a format without alpha, else 32-bit ARGB.
D3DFORMAT supportedFormat(IDirect3DDevice9* device, DWORD usage, D3DFORMAT format) {
    if (format == D3DFMT_UNKNOWN || format == D3DFORMAT(D3DX_DEFAULT))
        format = D3DFMT_A8R8G8B8;
    IDirect3D9* d3d = nullptr;
    if (FAILED(device->GetDirect3D(&d3d)) || !d3d)
        return format;
    D3DDISPLAYMODE mode = {};
    const D3DFORMAT adapterFormat =
        SUCCEEDED(device->GetDisplayMode(0, &mode)) ? mode.Format : D3DFMT_X8R8G8B8;
    auto supported = [&](D3DFORMAT f) {
        return SUCCEEDED(d3d->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, adapterFormat,
                                                usage, D3DRTYPE_TEXTURE, f));
    };
    D3DFORMAT chosen = format;
    if (!supported(format)) {
        const D3DFORMAT withAlpha[] = {D3DFMT_A8R8G8B8, D3DFMT_A8B8G8R8};
        const D3DFORMAT opaque[] = {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_X8B8G8R8};
        if (hasAlpha(format)) {
            for (D3DFORMAT f : withAlpha)
                if (supported(f)) {
                    chosen = f;
                    break;
                }
        } else {
            for (D3DFORMAT f : opaque)
                if (supported(f)) {
                    chosen = f;
                    break;
                }
        }
    }
    d3d->Release();
    return chosen;
}

// D3DX's corrections of a texture request: size 0 → 1, D3DX_DEFAULT → 256, powers of two and
// size limits as the device's caps demand, levels 0 or D3DX_DEFAULT → the full chain, and a
// format the device supports.
void checkRequirements(IDirect3DDevice9* device, UINT* width, UINT* height, UINT* levels,
                       DWORD usage, D3DFORMAT* format) {
    for (UINT* size : {width, height}) {
        if (*size == D3DX_DEFAULT)
            *size = 256;
        else if (*size == 0)
            *size = 1;
    }
    D3DCAPS9 caps = {};
    if (SUCCEEDED(device->GetDeviceCaps(&caps))) {
        const bool conditional = caps.TextureCaps & D3DPTEXTURECAPS_NONPOW2CONDITIONAL;
        if ((caps.TextureCaps & D3DPTEXTURECAPS_POW2) && !(conditional && *levels == 1)) {
            *width = roundUpToPowerOfTwo(*width);
            *height = roundUpToPowerOfTwo(*height);
        }
        if (caps.MaxTextureWidth)
            *width = std::min<UINT>(*width, caps.MaxTextureWidth);
        if (caps.MaxTextureHeight)
            *height = std::min<UINT>(*height, caps.MaxTextureHeight);
    }
    const UINT full = fullChain(*width, *height);
    *levels = (*levels == 0 || *levels == D3DX_DEFAULT) ? full : std::min(*levels, full);
    *format = supportedFormat(device, usage, *format);
}

bool readFile(LPCSTR path, Bytes* bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    // Read in one piece: the sky's image is ten megabytes.
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (size < 0 || !in)
        return false;
    bytes->resize(static_cast<size_t>(size));
    in.read(reinterpret_cast<char*>(bytes->data()), size);
    return in.gcount() == size;
}

} // namespace

HRESULT WINAPI D3DXCreateTexture(LPDIRECT3DDEVICE9 pDevice, UINT Width, UINT Height, UINT MipLevels,
                                 DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                 LPDIRECT3DTEXTURE9* ppTexture) {
    if (!pDevice || !ppTexture)
        return D3DERR_INVALIDCALL;
    *ppTexture = nullptr;
    checkRequirements(pDevice, &Width, &Height, &MipLevels, Usage, &Format);
    return pDevice->CreateTexture(Width, Height, MipLevels, Usage, Format, Pool, ppTexture,
                                  nullptr);
}

HRESULT WINAPI D3DXCreateTextureFromFileA(LPDIRECT3DDEVICE9 pDevice, LPCSTR pSrcFile,
                                          LPDIRECT3DTEXTURE9* ppTexture) {
    return D3DXCreateTextureFromFileExA(pDevice, pSrcFile, D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT,
                                        0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT,
                                        D3DX_DEFAULT, 0, nullptr, nullptr, ppTexture);
}

HRESULT WINAPI D3DXCreateTextureFromFileExA(LPDIRECT3DDEVICE9 pDevice, LPCSTR pSrcFile, UINT Width,
                                            UINT Height, UINT MipLevels, DWORD Usage,
                                            D3DFORMAT Format, D3DPOOL Pool, DWORD Filter,
                                            DWORD MipFilter, D3DCOLOR ColorKey,
                                            D3DXIMAGE_INFO* pSrcInfo, PALETTEENTRY* /*pPalette*/,
                                            LPDIRECT3DTEXTURE9* ppTexture) {
    if (!pDevice || !pSrcFile || !ppTexture)
        return D3DERR_INVALIDCALL;
    *ppTexture = nullptr;
    if (Filter == D3DX_DEFAULT)
        Filter = D3DX_FILTER_TRIANGLE | D3DX_FILTER_DITHER;
    if (MipFilter == D3DX_DEFAULT)
        MipFilter = D3DX_FILTER_BOX;
    if (!validFilter(Filter) || !validFilter(MipFilter))
        return D3DERR_INVALIDCALL;

    // A file that cannot be read counts as invalid data, as for undecodable contents.
    Bytes bytes;
    Image image;
    D3DXIMAGE_FILEFORMAT fileType = D3DXIFF_BMP;
    D3DFORMAT fileFormat = D3DFMT_UNKNOWN;
    if (!readFile(pSrcFile, &bytes) || !decode(bytes, &image, &fileType, &fileFormat))
        return D3DXERR_INVALIDDATA;
    if (pSrcInfo) {
        pSrcInfo->Width = image.width;
        pSrcInfo->Height = image.height;
        pSrcInfo->Depth = 1;
        pSrcInfo->MipLevels = 1;
        pSrcInfo->Format = fileFormat;
        pSrcInfo->ResourceType = D3DRTYPE_TEXTURE;
        pSrcInfo->ImageFileFormat = fileType;
    }
    if (ColorKey)
        for (D3DCOLOR& c : image.texels)
            if (c == ColorKey)
                c = 0;

    auto fileSize = [](UINT requested, UINT size) {
        if (requested == 0 || requested == D3DX_DEFAULT)
            return roundUpToPowerOfTwo(size);
        if (requested == D3DX_DEFAULT_NONPOW2 || requested == D3DX_FROM_FILE)
            return size;
        return requested;
    };
    Width = fileSize(Width, image.width);
    Height = fileSize(Height, image.height);
    if (MipLevels == D3DX_FROM_FILE)
        MipLevels = 1;
    if (Format == D3DFMT_UNKNOWN || Format == D3DFMT_FROM_FILE || Format == D3DFORMAT(D3DX_DEFAULT))
        // Direct3D 9 drivers make no 24-bit textures: such images load as X8R8G8B8.
        Format = hasAlpha(fileFormat) ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    checkRequirements(pDevice, &Width, &Height, &MipLevels, Usage, &Format);
    // Texels are written in 8-bit-per-channel formats only.
    if (!bytesPerTexel(Format))
        Format =
            supportedFormat(pDevice, Usage, hasAlpha(Format) ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8);

    IDirect3DTexture9* texture = nullptr;
    HRESULT hr =
        pDevice->CreateTexture(Width, Height, MipLevels, Usage, Format, Pool, &texture, nullptr);
    if (FAILED(hr))
        return hr;
    D3DSURFACE_DESC desc;
    if (SUCCEEDED(hr = texture->GetLevelDesc(0, &desc))) {
        if ((Filter & 0xF) == D3DX_FILTER_NONE)
            image = placeTopLeft(std::move(image), desc.Width, desc.Height);
        else
            image = resample(image, desc.Width, desc.Height, (Filter & 0xF) == D3DX_FILTER_POINT);
        hr = writeLevel(texture, 0, image);
    }
    if (SUCCEEDED(hr))
        hr = filterLevels(texture, 0, MipFilter);
    if (FAILED(hr)) {
        texture->Release();
        return hr;
    }
    *ppTexture = texture;
    return D3D_OK;
}

HRESULT WINAPI D3DXFilterTexture(LPDIRECT3DBASETEXTURE9 pBaseTexture,
                                 const PALETTEENTRY* /*pPalette*/, UINT SrcLevel, DWORD Filter) {
    if (!pBaseTexture || pBaseTexture->GetType() != D3DRTYPE_TEXTURE)
        return D3DERR_INVALIDCALL;
    if (SrcLevel == D3DX_DEFAULT)
        SrcLevel = 0;
    if (Filter == D3DX_DEFAULT)
        Filter = D3DX_FILTER_BOX;
    if (!validFilter(Filter) || SrcLevel >= pBaseTexture->GetLevelCount())
        return D3DERR_INVALIDCALL;
    return filterLevels(static_cast<IDirect3DTexture9*>(pBaseTexture), SrcLevel, Filter);
}
