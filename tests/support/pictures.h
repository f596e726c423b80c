// Pictures of both back ends, for the tests that check they draw alike: the back buffer of the
// current OpenGL context or of gD3DDevice read as RGB rows (top row first), their comparison,
// and PNG files of them for looking at.
//
// Include from exactly one file of a test program (it holds stb's PNG writer).
#pragma once

#include <GL/gl.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include "d3dreadback.h"
#include "rvd3drender.h"

namespace testsupport {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb; // top row first

    const unsigned char* at(int x, int y) const {
        return &rgb[3 * (static_cast<size_t>(y) * width + x)];
    }
};

// The back buffer of the current OpenGL context, before it is swapped (Mesa under Xvfb does
// not give the front buffer back).
inline Picture readGLBackBuffer(int width, int height) {
    Picture p{width, height, std::vector<unsigned char>(static_cast<size_t>(width) * height * 3)};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    for (int y = 0; y < height; ++y) // OpenGL's rows start at the bottom
        glReadPixels(0, height - 1 - y, width, 1, GL_RGB, GL_UNSIGNED_BYTE,
                     &p.rgb[static_cast<size_t>(y) * width * 3]);
    return p;
}

// The back buffer of gD3DDevice (GetRenderTargetData), empty without a device.
inline Picture readD3DBackBuffer() {
    Picture p;
    const std::vector<D3DCOLOR> pixels = readBackBuffer(gD3DDevice, &p.width);
    p.height = p.width > 0 ? static_cast<int>(pixels.size()) / p.width : 0;
    for (D3DCOLOR c : pixels)
        p.rgb.insert(p.rgb.end(),
                     {static_cast<unsigned char>(c >> 16), static_cast<unsigned char>(c >> 8),
                      static_cast<unsigned char>(c)});
    return p;
}

inline bool writePNG(const std::string& file, const Picture& p) {
    return !p.rgb.empty() &&
           stbi_write_png(file.c_str(), p.width, p.height, 3, p.rgb.data(), p.width * 3) != 0;
}

// Whether two pixels (red, green, blue) are within 16/255 in every channel.
inline bool samePixel(const unsigned char* a, const unsigned char* b) {
    return std::abs(a[0] - b[0]) <= 16 && std::abs(a[1] - b[1]) <= 16 &&
           std::abs(a[2] - b[2]) <= 16;
}

struct Agreement {
    double close = 0; // share of pixels whose every channel is within 16/255
    double mean = 0;  // mean absolute difference per channel, in 1/255
    // Of the pixels either picture drew (unlike the background), the share that agree: a
    // small shape drawn differently barely moves the other two.
    double drawnClose = 0;
};

// Two pictures of the same size compared pixel by pixel; `background` is the clear colour.
inline Agreement compare(const Picture& a, const Picture& b, const unsigned char background[3]) {
    Agreement result;
    if (a.rgb.size() != b.rgb.size() || a.rgb.empty())
        return result;
    size_t close = 0, drawn = 0, drawnClose = 0;
    double sum = 0;
    for (size_t p = 0; p < a.rgb.size(); p += 3) {
        for (size_t c = p; c < p + 3; ++c)
            sum += std::abs(a.rgb[c] - b.rgb[c]);
        const bool same = samePixel(&a.rgb[p], &b.rgb[p]);
        close += same;
        if (!samePixel(&a.rgb[p], background) || !samePixel(&b.rgb[p], background)) {
            ++drawn;
            drawnClose += same;
        }
    }
    result.close = static_cast<double>(close) / static_cast<double>(a.rgb.size() / 3);
    result.mean = sum / static_cast<double>(a.rgb.size());
    result.drawnClose = drawn ? static_cast<double>(drawnClose) / static_cast<double>(drawn) : 1;
    return result;
}

// Pixels further than 16/255 in some channel from the colour.
inline int pixelsUnlike(const Picture& p, const unsigned char colour[3]) {
    int count = 0;
    for (size_t i = 0; i < p.rgb.size(); i += 3)
        count += !samePixel(&p.rgb[i], colour);
    return count;
}

} // namespace testsupport
