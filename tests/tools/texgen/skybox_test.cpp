#include "skybox.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "cimage.h"
#include "recordingmesh.h"
#include "rvtestprimitives.h"

using namespace texgen;

namespace {

constexpr float kCubeSize = 100.0f, kHalf = kCubeSize / 2; // as the scene creates it
using Colour = std::array<double, 3>;                      // red, green, blue, 0–255
using Point = std::array<double, 3>;

// The scene's sky box exactly as the engine generates it: six vertices per face.
const RecordingMesh& sceneCube() {
    static RecordingMesh mesh;
    if (mesh.positions.empty())
        rvTestPrimitive::createCube(kCubeSize, {1.0f, 1.0f, 1.0f, 1.0f}, true, true, &mesh);
    return mesh;
}

// The axis a face of the cube is perpendicular to: its vertices agree on it.
int axisOf(int face) {
    const float* q = &sceneCube().positions[18 * face];
    return q[0] == q[3] && q[0] == q[6] ? 0 : q[1] == q[4] && q[1] == q[7] ? 1 : 2;
}

// Where the engine's cube puts the point p of a face in the texture: affine over the face,
// from its first triangle.
std::array<double, 2> uvAt(int face, const Point& p) {
    const float *q = &sceneCube().positions[18 * face], *t = &sceneCube().uvs[12 * face];
    const int i = axisOf(face) == 0 ? 1 : 0, j = axisOf(face) == 2 ? 1 : 2; // in the plane
    const double e1i = q[3 + i] - q[i], e1j = q[3 + j] - q[j], e2i = q[6 + i] - q[i],
                 e2j = q[6 + j] - q[j], det = e1i * e2j - e1j * e2i;
    const double a = ((p[i] - q[i]) * e2j - (p[j] - q[j]) * e2i) / det,
                 b = (e1i * (p[j] - q[j]) - e1j * (p[i] - q[i])) / det;
    return {t[0] + a * (t[2] - t[0]) + b * (t[4] - t[0]),
            t[1] + a * (t[3] - t[1]) + b * (t[5] - t[1])};
}

// Bilinear sampling with repeat addressing, as both back ends sample the sky: texel centres at
// (i + 0.5) / size, v = 0 at the top picture row.
Colour sample(const CImage& image, const std::array<double, 2>& uv) {
    const int w = image.getWidth(), h = image.getHeight();
    const double x = uv[0] * w - 0.5, y = uv[1] * h - 0.5, fx = x - std::floor(x),
                 fy = y - std::floor(y);
    Colour s{};
    for (int k = 0; k < 4; ++k) {
        const int i = (int(std::floor(x)) + (k & 1) + w) % w;
        const int row = (int(std::floor(y)) + (k >> 1) + h) % h;
        for (int c = 0; c < 3; ++c)
            s[c] += ((k & 1) ? fx : 1 - fx) * ((k >> 1) ? fy : 1 - fy) *
                    image.getLinePtr(h - 1 - row)[3 * i + 2 - c];
    }
    return s;
}

double difference(const Colour& a, const Colour& b) {
    return std::max({std::fabs(a[0] - b[0]), std::fabs(a[1] - b[1]), std::fabs(a[2] - b[2])});
}

// Along each of the cube's 12 edges (the corners left out), the largest colour difference
// between the two faces, each sampled `inset` texels inside its own face, and as a control the
// largest between neighbouring texels inside one face. A seam stands out from the control.
// The bottom face's far edge (v = 1) lies under the floor and gives its last texel row to the
// top face's far edge (repeat addressing), so it is measured from the second texel in.
std::vector<std::pair<double, double>> measureSeams(const CImage& image, double inset) {
    std::vector<std::pair<double, double>> seams; // worst, control
    for (int f = 0; f < 6; ++f)
        for (int g = f + 1; g < 6; ++g) {
            const int a = axisOf(f), b = axisOf(g);
            if (a == b)
                continue;
            double worst = 0.0, control = 0.0;
            for (int k = 0; k < 256; ++k) {
                Point p;
                p[a] = sceneCube().positions[18 * f + a], p[b] = sceneCube().positions[18 * g + b];
                p[3 - a - b] = kHalf * 0.98 * ((k + 0.5) / 128 - 1);
                const double in = uvAt(f, p)[1] > 0.999 || uvAt(g, p)[1] > 0.999 ? 1.5 : inset;
                // `texels` inside `face`, away from the edge along `across`.
                const auto at = [&](int face, int across, double texels) {
                    Point q = p;
                    q[across] -=
                        (q[across] > 0 ? 1 : -1) * texels * 4 * kCubeSize / image.getWidth();
                    return sample(image, uvAt(face, q));
                };
                worst = std::max(worst, difference(at(f, b, in), at(g, a, in)));
                control = std::max({control, difference(at(f, b, in + 0.5), at(f, b, in + 1.5)),
                                    difference(at(g, a, in + 0.5), at(g, a, in + 1.5))});
            }
            seams.push_back({worst, control});
        }
    return seams;
}

bool seamed(const std::pair<double, double>& s) {
    return s.first > 1.5 * s.second + 4.0;
}

} // namespace

TEST(SkyBox, ACollapsedFaceMappingIsRefusedAndSwappedFacesShowSeams) {
    CubeVertex vertices[36];
    skyCubeVertices(kCubeSize, vertices);
    CImage image;
    std::string error;
    vertices[2] = vertices[1]; // the first triangle of +z collapses onto a line
    EXPECT_FALSE(paintSkyBox(&image, 64, 48, vertices, &error));
    EXPECT_FALSE(error.empty());
    // The control for the seam measurement: +x and −x exchange their cells.
    skyCubeVertices(kCubeSize, vertices);
    for (int k = 0; k < 6; ++k) {
        std::swap(vertices[6 + k].u, vertices[18 + k].u);
        std::swap(vertices[6 + k].v, vertices[18 + k].v);
    }
    ASSERT_TRUE(paintSkyBox(&image, kSkyWidth / 4, kSkyHeight / 4, vertices, &error)) << error;
    const std::vector<std::pair<double, double>> seams = measureSeams(image, 0.5);
    // The four vertical edges and the top face's edges with ±x join directions far apart (the
    // bottom face's edges with ±x run through plain ground and may pass).
    EXPECT_GE(std::count_if(seams.begin(), seams.end(), seamed), 6);
}

TEST(SkyColour, HasNoSeamWhereTheAzimuthWrapsNorAtThePoles) {
    const auto sky = [](double x, double y, double z) {
        const Rgb c = skyColour(normalized({x, y, z}));
        return Colour{c.r, c.g, c.b};
    };
    for (int e = -90; e <= 90; ++e) { // straight behind the start view (+z), pole to pole
        const double y = std::sin(e * 0.0174533), z = std::cos(e * 0.0174533);
        EXPECT_LT(difference(sky(-1e-4, y, z), sky(1e-4, y, z)), 2e-3) << e;
    }
}

TEST(PaintedSky, LooksRightOnTheScenesCube) {
    CImage sky;
    std::string error;
    ASSERT_TRUE(paintSkyBox(&sky, kSkyWidth, kSkyHeight, &error)) << error;
    // On each of the 12 edges (where filtering reads half a texel beyond each face) and at the
    // texel centres either side, the colour changes no more than between neighbouring texels
    // of one face.
    for (double inset : {0.0, 0.5}) {
        const std::vector<std::pair<double, double>> seams = measureSeams(sky, inset);
        ASSERT_EQ(seams.size(), 12u);
        for (const auto& s : seams)
            EXPECT_FALSE(seamed(s)) << "inset " << inset << ", edge " << &s - &seams[0] << ": "
                                    << s.first << " against " << s.second;
    }
    // Where the sun's direction meets the −z face of the engine's cube, the texture shows the
    // sun, neither mirrored left to right nor upside down.
    const Vec3d sun = sunDirection(); // 30° right of the starting view (−z), 22° up
    EXPECT_GT(sun.x, 0.4);
    EXPECT_GT(sun.y, 0.3);
    EXPECT_LT(sun.z, -0.7);
    int back = 0; // the −z face
    while (axisOf(back) != 2 || sceneCube().positions[18 * back + 2] > 0)
        ++back;
    const auto at = [&](double x, double y) {
        return sample(sky, uvAt(back, {x * kHalf, y * kHalf, -kHalf}));
    };
    const double x = sun.x / -sun.z, y = sun.y / -sun.z;
    const Colour atSun = at(x, y);
    EXPECT_GE(*std::min_element(atSun.begin(), atSun.end()), 245.0);
    for (const Colour& c : {at(-x, y), at(x, -y)})
        EXPECT_LT(c[0] + c[1] + c[2], atSun[0] + atSun[1] + atSun[2] - 60.0);
    // Under repeat addressing v = 0 is sampled half from the last row, which repeats the first.
    EXPECT_EQ(0, std::memcmp(sky.getLinePtr(0), sky.getLinePtr(kSkyHeight - 1), kSkyWidth * 3));
}
