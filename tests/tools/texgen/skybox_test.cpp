#include "skybox.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <map>
#include <vector>

#include <gtest/gtest.h>

#include "cimage.h"
#include "recordingmesh.h"
#include "rvtestprimitives.h"

using namespace texgen;

namespace {

constexpr float kCubeSize = 100.0f;   // as the scene creates it
using Colour = std::array<double, 3>; // red, green, blue, 0–255

// The scene's sky box exactly as the engine generates it.
const RecordingMesh& sceneCube() {
    static RecordingMesh mesh;
    if (mesh.positions.empty())
        rvTestPrimitive::createCube(kCubeSize, {1.0f, 1.0f, 1.0f, 1.0f}, true, true, &mesh);
    return mesh;
}

// Bilinear sampling with repeat addressing, as both back ends sample the sky: texel centres at
// (i + 0.5) / size, v = 0 at the top picture row.
Colour sample(const CImage& image, double u, double v) {
    const int w = image.getWidth(), h = image.getHeight();
    const double x = u * w - 0.5, y = v * h - 0.5, fx = x - std::floor(x), fy = y - std::floor(y);
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

struct Seam {
    double worst = 0.0, control = 0.0; // control: one texel apart, inside one face
    bool seamed() const { return worst > 1.5 * control + 4.0; }
};

// Along every edge of the scene's cube (faces of six vertices sharing two corners), the two
// faces' colours, each sampled `inset` texels inside its own face (faces are axis-aligned in
// texture space). The bottom face's far edge lies under the floor and gives its last texel row
// to the top face's far edge (repeat addressing), so it is measured from the second texel in.
std::vector<Seam> measureSeams(const CImage& image, double inset) {
    const RecordingMesh& m = sceneCube();
    const int w = image.getWidth(), h = image.getHeight();
    std::vector<Seam> seams;
    for (int f = 0; f < 6; ++f)
        for (int g = f + 1; g < 6; ++g) {
            std::map<std::vector<float>, std::array<int, 2>> shared; // corner: vertex on f, on g
            for (int i = 6 * f; i < 6 * f + 6; ++i)
                for (int j = 6 * g; j < 6 * g + 6; ++j)
                    if (std::equal(&m.positions[3 * i], &m.positions[3 * i + 3],
                                   &m.positions[3 * j]))
                        shared[{&m.positions[3 * i], &m.positions[3 * i + 3]}] = {i, j};
            if (shared.size() != 2)
                continue;
            double side[2][6] = {}; // u0, v0, u1, v1 of the edge and the face's centre, f and g
            for (int s = 0; s < 2; ++s)
                for (int c = 0; c < 2; ++c) {
                    side[s][c] = m.uvs[2 * shared.begin()->second[s] + c];
                    side[s][2 + c] = m.uvs[2 * shared.rbegin()->second[s] + c];
                    for (int k = 6 * (s ? g : f); k < 6 * (s ? g : f) + 6; ++k)
                        side[s][4 + c] += m.uvs[2 * k + c] / 6;
                }
            const bool underFloor = side[0][1] + side[0][3] == 2 || side[1][1] + side[1][3] == 2;
            const double in = underFloor ? 1.5 : inset;
            Seam seam;
            for (int k = 0; k < 256; ++k) {
                Colour c[2], near[2], far[2];
                for (int s = 0; s < 2; ++s) {
                    const double* e = side[s];
                    const double t = 0.01 + 0.98 * (k + 0.5) / 256; // the corners left out
                    const double u = e[0] + (e[2] - e[0]) * t, v = e[1] + (e[3] - e[1]) * t;
                    const double du = e[0] == e[2] ? std::copysign(1.0 / w, e[4] - e[0]) : 0.0;
                    const double dv = e[0] == e[2] ? 0.0 : std::copysign(1.0 / h, e[5] - e[1]);
                    c[s] = sample(image, u + in * du, v + in * dv);
                    near[s] = sample(image, u + (in + 0.5) * du, v + (in + 0.5) * dv);
                    far[s] = sample(image, u + (in + 1.5) * du, v + (in + 1.5) * dv);
                }
                seam.worst = std::max(seam.worst, difference(c[0], c[1]));
                seam.control = std::max(
                    {seam.control, difference(near[0], far[0]), difference(near[1], far[1])});
            }
            seams.push_back(seam);
        }
    return seams;
}

Colour skyAt(const Vec3d& d) {
    const Rgb c = skyColour(normalized(d));
    return {c.r, c.g, c.b};
}

} // namespace

TEST(SkyBox, ACollapsedFaceMappingIsRefused) {
    CubeVertex vertices[36];
    skyCubeVertices(kCubeSize, vertices);
    vertices[2] = vertices[1]; // the first triangle of +z collapses onto a line
    CImage image;
    std::string error;
    EXPECT_FALSE(paintSkyBox(&image, 64, 48, vertices, &error));
    EXPECT_FALSE(error.empty());
}

TEST(SkyBox, APaintingWithTheSideFacesSwappedShowsSeams) {
    // The control for the seam measurement: +x and −x exchange their cells.
    CubeVertex swapped[36];
    skyCubeVertices(kCubeSize, swapped);
    for (int k = 0; k < 6; ++k) {
        std::swap(swapped[6 + k].u, swapped[18 + k].u);
        std::swap(swapped[6 + k].v, swapped[18 + k].v);
    }
    CImage wrong;
    std::string error;
    ASSERT_TRUE(paintSkyBox(&wrong, kSkyWidth / 4, kSkyHeight / 4, swapped, &error)) << error;
    const std::vector<Seam> seams = measureSeams(wrong, 0.5);
    const auto seamed =
        std::count_if(seams.begin(), seams.end(), [](auto& s) { return s.seamed(); });
    // The four vertical edges and the top face's edges with ±x join directions far apart (the
    // bottom face's edges with ±x run through plain ground and may pass).
    EXPECT_GE(seamed, 6);
}

TEST(SkyColour, HasNoSeamWhereTheAzimuthWrapsNorAtThePoles) {
    for (int e = -90; e <= 90; ++e) { // straight behind the start view (+z), pole to pole
        const double y = std::sin(e * 0.0174533), z = std::cos(e * 0.0174533);
        EXPECT_LT(difference(skyAt({-1e-4, y, z}), skyAt({1e-4, y, z})), 2e-3) << e;
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
        const std::vector<Seam> seams = measureSeams(sky, inset);
        ASSERT_EQ(seams.size(), 12u);
        for (const Seam& s : seams)
            EXPECT_FALSE(s.seamed()) << "inset " << inset << ", edge " << &s - &seams[0] << ": "
                                     << s.worst << " against " << s.control;
    }
    // Where the sun's direction meets the −z face, found through the engine's cube, the texture
    // shows the sun, neither mirrored left to right nor upside down.
    const RecordingMesh& cube = sceneCube();
    double u[2] = {}, v[2] = {}; // face −z: u at x < 0 and x > 0, v at y < 0 and y > 0
    for (int i = 30; i < 36; ++i) {
        u[cube.positions[3 * i] > 0] = cube.uvs[2 * i];
        v[cube.positions[3 * i + 1] > 0] = cube.uvs[2 * i + 1];
    }
    const Vec3d sun = sunDirection(); // 30° right of the starting view (−z), 22° up
    EXPECT_TRUE(sun.x > 0.4 && sun.y > 0.3 && sun.z < -0.7);
    const auto at = [&](double x, double y) { // on the plane z = −1, x and y in [−1, 1]
        return sample(sky, u[0] + (x + 1) / 2 * (u[1] - u[0]), v[0] + (y + 1) / 2 * (v[1] - v[0]));
    };
    const double x = sun.x / -sun.z, y = sun.y / -sun.z;
    const Colour atSun = at(x, y);
    EXPECT_GE(*std::min_element(atSun.begin(), atSun.end()), 245.0);
    for (const Colour& c : {at(-x, y), at(x, -y)})
        EXPECT_LT(c[0] + c[1] + c[2], atSun[0] + atSun[1] + atSun[2] - 60.0);
    // Under repeat addressing v = 0 is sampled half from the last row, which repeats the first.
    EXPECT_EQ(0, std::memcmp(sky.getLinePtr(0), sky.getLinePtr(kSkyHeight - 1), kSkyWidth * 3));
}
