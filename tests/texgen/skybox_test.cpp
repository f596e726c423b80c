#include "skybox.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "cimage.h"
#include "recordingmesh.h"
#include "rvtestprimitives.h"

using namespace texgen;

namespace {

constexpr float kCubeSize = 100.0f; // as the scene creates it
constexpr float kHalf = kCubeSize / 2.0f;

struct Sample {
    double c[3]; // red, green, blue, 0–255
};

// Bilinear sampling with repeat addressing, as both back ends sample the sky texture: texel
// centres at (i + 0.5) / size, v = 0 at the top picture row.
Sample sampleRepeat(const CImage& image, double u, double v) {
    const int w = image.getWidth(), h = image.getHeight();
    const double x = u * w - 0.5, y = v * h - 0.5;
    const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    const double fx = x - x0, fy = y - y0;
    Sample s = {{0.0, 0.0, 0.0}};
    for (int j = 0; j < 2; ++j) {
        for (int i = 0; i < 2; ++i) {
            const int xi = ((x0 + i) % w + w) % w;
            const int row = ((y0 + j) % h + h) % h;
            const double weight = (i ? fx : 1.0 - fx) * (j ? fy : 1.0 - fy);
            const std::uint8_t* p = image.getLinePtr(h - 1 - row) + xi * 3;
            s.c[0] += weight * p[2];
            s.c[1] += weight * p[1];
            s.c[2] += weight * p[0];
        }
    }
    return s;
}

double maxChannelDifference(const Sample& a, const Sample& b) {
    return std::max(
        {std::fabs(a.c[0] - b.c[0]), std::fabs(a.c[1] - b.c[1]), std::fabs(a.c[2] - b.c[2])});
}

// The scene's sky box exactly as the engine generates it.
std::unique_ptr<RecordingMesh> makeSceneCube() {
    auto mesh = std::make_unique<RecordingMesh>();
    rvTestPrimitive::createCube(kCubeSize, {1.0f, 1.0f, 1.0f, 1.0f}, true, true, mesh.get());
    return mesh;
}

rvVector3 position(const RecordingMesh& m, int i) {
    return rvVector3(m.positions[i * 3], m.positions[i * 3 + 1], m.positions[i * 3 + 2]);
}

bool samePoint(const rvVector3& a, const rvVector3& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

// One side of a cube edge: the texture coordinates of the edge's two ends on that face, and
// the face's centre in texture space (to find the inside).
struct EdgeSide {
    double u0, v0, u1, v1;
    double cu, cv;
};
struct CubeEdge {
    rvVector3 a, b;
    int faces[2];
    EdgeSide side[2];
};

// Every pair of faces of the mesh that share two corners, with the texture coordinates each
// face gives those corners.
std::vector<CubeEdge> findEdges(const RecordingMesh& m) {
    std::vector<CubeEdge> edges;
    for (int f = 0; f < 6; ++f) {
        for (int g = f + 1; g < 6; ++g) {
            std::vector<std::pair<int, int>> shared; // vertex of f, vertex of g
            for (int i = f * 6; i < f * 6 + 6; ++i) {
                for (int j = g * 6; j < g * 6 + 6; ++j) {
                    if (!samePoint(position(m, i), position(m, j))) {
                        continue;
                    }
                    const bool known = std::any_of(shared.begin(), shared.end(), [&](auto& p) {
                        return samePoint(position(m, p.first), position(m, i));
                    });
                    if (!known) {
                        shared.push_back({i, j});
                    }
                }
            }
            if (shared.size() != 2) {
                continue;
            }
            CubeEdge e;
            e.a = position(m, shared[0].first);
            e.b = position(m, shared[1].first);
            e.faces[0] = f;
            e.faces[1] = g;
            for (int s = 0; s < 2; ++s) {
                const int i0 = s == 0 ? shared[0].first : shared[0].second;
                const int i1 = s == 0 ? shared[1].first : shared[1].second;
                EdgeSide& side = e.side[s];
                side.u0 = m.uvs[i0 * 2];
                side.v0 = m.uvs[i0 * 2 + 1];
                side.u1 = m.uvs[i1 * 2];
                side.v1 = m.uvs[i1 * 2 + 1];
                side.cu = side.cv = 0.0;
                for (int k = e.faces[s] * 6; k < e.faces[s] * 6 + 6; ++k) {
                    side.cu += m.uvs[k * 2] / 6.0;
                    side.cv += m.uvs[k * 2 + 1] / 6.0;
                }
            }
            edges.push_back(e);
        }
    }
    return edges;
}

// The point at fraction t along the edge on this face, moved `inset` texels towards the face's
// inside.
void insetPoint(const EdgeSide& s, double t, double inset, int w, int h, double* u, double* v) {
    *u = s.u0 + (s.u1 - s.u0) * t;
    *v = s.v0 + (s.v1 - s.v0) * t;
    // The faces' edges are axis-aligned in texture space.
    if (s.u0 == s.u1) {
        *u += (s.cu > s.u0 ? inset : -inset) / w;
    } else {
        *v += (s.cv > s.v0 ? inset : -inset) / h;
    }
}

struct EdgeSeam {
    int faces[2];
    int samples = 0;
    double worst = 0.0;        // largest channel difference across the edge
    double mean = 0.0;         // mean of the per-sample largest channel difference
    double controlWorst = 0.0; // the same between neighbouring texels on one face
    double controlMean = 0.0;
};

// Compares the two faces' colours along every edge of the cube, each sampled `inset` texels
// inside its own face, and, as a control, each face's colour there with its colour one texel
// further in. Samples whose filter reaches the last picture row are skipped: that row repeats
// the first (the top face's far edge) for repeat addressing.
std::vector<EdgeSeam> measureSeams(const CImage& image, const RecordingMesh& cube, double inset) {
    const int w = image.getWidth(), h = image.getHeight();
    std::vector<EdgeSeam> seams;
    const int samples = 256;
    for (const CubeEdge& e : findEdges(cube)) {
        EdgeSeam seam;
        seam.faces[0] = e.faces[0];
        seam.faces[1] = e.faces[1];
        for (int k = 0; k < samples; ++k) {
            const double t = (k + 0.5) / samples;
            double u[2], v[2], uIn[2], vIn[2];
            bool skip = false;
            for (int s = 0; s < 2; ++s) {
                insetPoint(e.side[s], t, inset, w, h, &u[s], &v[s]);
                insetPoint(e.side[s], t, inset + 1.0, w, h, &uIn[s], &vIn[s]);
                skip = skip || std::max(v[s], vIn[s]) * h - 0.5 > h - 2;
            }
            if (skip) {
                continue;
            }
            const Sample a = sampleRepeat(image, u[0], v[0]), b = sampleRepeat(image, u[1], v[1]);
            const double d = maxChannelDifference(a, b);
            const double c = std::max(maxChannelDifference(a, sampleRepeat(image, uIn[0], vIn[0])),
                                      maxChannelDifference(b, sampleRepeat(image, uIn[1], vIn[1])));
            seam.worst = std::max(seam.worst, d);
            seam.controlWorst = std::max(seam.controlWorst, c);
            seam.mean += d;
            seam.controlMean += c;
            ++seam.samples;
        }
        if (seam.samples > 0) {
            seam.mean /= seam.samples;
            seam.controlMean /= seam.samples;
        }
        seams.push_back(seam);
    }
    return seams;
}

// Faces in the engine's cube order.
constexpr int kBottomFace = 4;
constexpr int kBackFace = 5; // −z
bool isBottomFarEdge(const EdgeSeam& s) {
    return (s.faces[0] == kBottomFace && s.faces[1] == kBackFace) ||
           (s.faces[0] == kBackFace && s.faces[1] == kBottomFace);
}

double luminance(const Sample& s) {
    return 0.3 * s.c[0] + 0.59 * s.c[1] + 0.11 * s.c[2];
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The cube the sky is painted for is the cube the scene draws.

TEST(SkyCube, VerticesAreTheEnginesInsideCrossLayoutCube) {
    const auto cube = makeSceneCube();
    const RecordingMesh& mesh = *cube;
    ASSERT_EQ(mesh.positions.size(), 108u);
    ASSERT_EQ(mesh.uvs.size(), 72u);
    CubeVertex vertices[36];
    skyCubeVertices(kCubeSize, vertices);
    for (int i = 0; i < 36; ++i) {
        EXPECT_EQ(vertices[i].position.x, mesh.positions[i * 3]) << "vertex " << i;
        EXPECT_EQ(vertices[i].position.y, mesh.positions[i * 3 + 1]) << "vertex " << i;
        EXPECT_EQ(vertices[i].position.z, mesh.positions[i * 3 + 2]) << "vertex " << i;
        EXPECT_EQ(vertices[i].u, mesh.uvs[i * 2]) << "vertex " << i;
        EXPECT_EQ(vertices[i].v, mesh.uvs[i * 2 + 1]) << "vertex " << i;
    }
}

TEST(SkyCube, TheTwelveEdgesAreFound) {
    // Guards the seam measurement below: it must look at every edge of the cube.
    EXPECT_EQ(findEdges(*makeSceneCube()).size(), 12u);
}

// ---------------------------------------------------------------------------------------------
// Texture space to cube.

class FaceMaps : public ::testing::Test {
protected:
    void SetUp() override {
        skyCubeVertices(kCubeSize, vertices);
        ASSERT_TRUE(buildFaceMaps(vertices, faces));
    }
    CubeVertex vertices[36];
    CubeFaceMap faces[6];
};

TEST_F(FaceMaps, EveryVertexMapsBackToItsPosition) {
    for (int i = 0; i < 36; ++i) {
        const CubeFaceMap& m = faces[i / 6];
        const double u = vertices[i].u, v = vertices[i].v;
        EXPECT_NEAR(m.origin.x + u * m.dPdu.x + v * m.dPdv.x, vertices[i].position.x, 1e-3);
        EXPECT_NEAR(m.origin.y + u * m.dPdu.y + v * m.dPdv.y, vertices[i].position.y, 1e-3);
        EXPECT_NEAR(m.origin.z + u * m.dPdu.z + v * m.dPdv.z, vertices[i].position.z, 1e-3);
    }
}

TEST_F(FaceMaps, RectanglesFollowTheCrossWithItsExactVEdges) {
    // +z, +x, +y, −x, −y, −z: columns and rows of the 4 × 3 cross.
    const double expected[6][4] = {{0.25, 0.5, 0.33, 0.66}, {0.5, 0.75, 0.33, 0.66},
                                   {0.25, 0.5, 0.0, 0.33},  {0.0, 0.25, 0.33, 0.66},
                                   {0.25, 0.5, 0.66, 1.0},  {0.75, 1.0, 0.33, 0.66}};
    for (int f = 0; f < 6; ++f) {
        EXPECT_NEAR(faces[f].uMin, expected[f][0], 1e-6) << "face " << f;
        EXPECT_NEAR(faces[f].uMax, expected[f][1], 1e-6) << "face " << f;
        EXPECT_NEAR(faces[f].vMin, expected[f][2], 1e-6) << "face " << f;
        EXPECT_NEAR(faces[f].vMax, expected[f][3], 1e-6) << "face " << f;
    }
}

TEST_F(FaceMaps, FaceCentresLookAlongTheAxes) {
    const struct {
        double u, v, x, y, z;
    } cases[] = {{0.375, 0.495, 0, 0, 1},  {0.625, 0.495, 1, 0, 0}, {0.375, 0.165, 0, 1, 0},
                 {0.125, 0.495, -1, 0, 0}, {0.375, 0.83, 0, -1, 0}, {0.875, 0.495, 0, 0, -1}};
    for (const auto& c : cases) {
        const Vec3d d = textureToDirection(faces, c.u, c.v, kSkyWidth, kSkyHeight);
        EXPECT_NEAR(d.x, c.x, 1e-6) << "at " << c.u << ", " << c.v;
        EXPECT_NEAR(d.y, c.y, 1e-6) << "at " << c.u << ", " << c.v;
        EXPECT_NEAR(d.z, c.z, 1e-6) << "at " << c.u << ", " << c.v;
    }
}

TEST_F(FaceMaps, UnusedCellsTakeTheNearestFace) {
    // Top-left cell: just left of the top face's left edge, and just above −x's top edge.
    EXPECT_EQ(nearestFace(faces, 0.249, 0.10, kSkyWidth, kSkyHeight), 2);
    EXPECT_EQ(nearestFace(faces, 0.10, 0.329, kSkyWidth, kSkyHeight), 3);
    // Bottom-right cell, just under −z.
    EXPECT_EQ(nearestFace(faces, 0.9, 0.661, kSkyWidth, kSkyHeight), 5);
    // Inside a rectangle the distance is zero.
    EXPECT_EQ(nearestFace(faces, 0.6, 0.5, kSkyWidth, kSkyHeight), 1);
}

TEST_F(FaceMaps, BeyondAnEdgeTheFacePlaneContinues) {
    // Half a texel left of the top face's left edge the direction is that of a point on the
    // top plane just past x = −h, close to the direction of the edge itself.
    const double u = 0.25 - 0.5 / kSkyWidth;
    const Vec3d d = textureToDirection(faces, u, 0.165, kSkyWidth, kSkyHeight);
    const Vec3d edge = normalized({-kHalf, kHalf, 0.0});
    EXPECT_GT(dot(d, edge), std::cos(0.5 * 3.14159265 / 180.0));
    EXPECT_LT(d.x, -d.y); // past the edge: |x| > y on the top plane
}

TEST(FaceMapsDegenerate, ACollapsedFaceIsRefused) {
    CubeVertex vertices[36];
    skyCubeVertices(kCubeSize, vertices);
    for (int i = 0; i < 6; ++i) {
        vertices[i].u = 0.3f; // all of +z's texture coordinates on one point
        vertices[i].v = 0.4f;
    }
    CubeFaceMap faces[6];
    EXPECT_FALSE(buildFaceMaps(vertices, faces));
    CImage image;
    std::string error;
    EXPECT_FALSE(paintSkyBox(&image, 64, 48, vertices, &error));
    EXPECT_FALSE(error.empty());
}

// ---------------------------------------------------------------------------------------------
// The sky as a function of direction.

TEST(SkyColour, ZenithIsDeeperBlueThanTheSkyNearTheHorizon) {
    // Straight up may carry a cloud; compare the mean of a ring instead.
    double zenithBlue = 0.0, zenithLum = 0.0, lowLum = 0.0;
    const int n = 72;
    for (int i = 0; i < n; ++i) {
        const double a = i * 2.0 * 3.14159265 / n;
        const Rgb hi = skyColour(normalized({0.05 * std::cos(a), 1.0, 0.05 * std::sin(a)}));
        const Rgb lo = skyColour(normalized({std::cos(a), 0.35, std::sin(a)}));
        zenithBlue += (hi.b - hi.r) / n;
        zenithLum += (hi.r + hi.g + hi.b) / (3 * n);
        lowLum += (lo.r + lo.g + lo.b) / (3 * n);
    }
    EXPECT_GT(zenithBlue, 0.2);
    EXPECT_LT(zenithLum, lowLum);
}

TEST(SkyColour, BelowTheHorizonIsDarkGround) {
    for (int i = 0; i < 36; ++i) {
        const double a = i * 10.0 * 3.14159265 / 180.0;
        const Rgb c = skyColour(normalized({std::cos(a), -0.3, std::sin(a)}));
        EXPECT_LT(c.r + c.g + c.b, 0.9) << "azimuth step " << i;
        EXPECT_GE(c.g, c.b) << "azimuth step " << i; // earthy, not sky blue
    }
}

TEST(SkyColour, TheSunIsAheadToTheRightAndAboveTheHorizon) {
    const Vec3d sun = sunDirection();
    EXPECT_NEAR(dot(sun, sun), 1.0, 1e-9);
    EXPECT_GT(sun.x, 0.2);  // right of the start view
    EXPECT_GT(sun.y, 0.2);  // above the horizon
    EXPECT_LT(sun.z, -0.5); // ahead
}

TEST(SkyColour, TheSunsDiskIsWhiteAndNothingNearItIsBrighter) {
    const Vec3d sun = sunDirection();
    const Rgb centre = skyColour(sun);
    EXPECT_GE(std::min({centre.r, centre.g, centre.b}), 0.99);
    for (int i = 0; i < 400; ++i) {
        const double jitter = 0.17; // about 10°
        const Vec3d d = normalized({sun.x + jitter * (latticeValue(i, 0, 0, 2u) - 0.5),
                                    sun.y + jitter * (latticeValue(i, 1, 0, 2u) - 0.5),
                                    sun.z + jitter * (latticeValue(i, 2, 0, 2u) - 0.5)});
        const Rgb c = skyColour(d);
        ASSERT_LE(c.r + c.g + c.b, centre.r + centre.g + centre.b + 1e-12);
    }
    // The same elevation on the other side of the view is ordinary sky.
    const Rgb mirrored = skyColour({-sun.x, sun.y, sun.z});
    EXPECT_LT(mirrored.r + mirrored.g + mirrored.b, 2.8);
}

namespace {

// The largest channel difference between skyColour at d and at d turned by `step` radians.
double worstStep(const Vec3d& d, double step) {
    const Vec3d axis = normalized({d.z, 0.3, -d.x});
    const Vec3d e = normalized({d.x + axis.x * step, d.y + axis.y * step, d.z + axis.z * step});
    const Rgb a = skyColour(d), b = skyColour(e);
    return std::max({std::fabs(a.r - b.r), std::fabs(a.g - b.g), std::fabs(a.b - b.b)});
}

} // namespace

TEST(SkyColour, IsContinuousInTheDirection) {
    // Directions 0.02° apart (a ninth of a side-face texel) never differ by more than a few
    // levels, wherever they point.
    const double step = 0.02 * 3.14159265 / 180.0;
    double worst = 0.0;
    for (int i = 0; i < 20000; ++i) {
        const double el = (latticeValue(i, 0, 0, 1u) - 0.5) * 3.14159265;
        const double az = latticeValue(i, 1, 0, 1u) * 6.2831853;
        worst = std::max(worst, worstStep({std::cos(el) * std::sin(az), std::sin(el),
                                           -std::cos(el) * std::cos(az)},
                                          step));
    }
    EXPECT_LT(worst * 255.0, 10.0);
}

TEST(SkyColour, HasNoSeamBehindTheCameraNorAtThePoles) {
    // Behind the start view (+z) the azimuth wraps; up and down it is undefined.
    for (int e = -30; e <= 60; ++e) {
        const double el = e * 3.14159265 / 180.0;
        const Rgb left = skyColour(normalized({-1e-4, std::sin(el), std::cos(el)}));
        const Rgb right = skyColour(normalized({1e-4, std::sin(el), std::cos(el)}));
        ASSERT_NEAR(left.r, right.r, 2e-3) << "elevation " << e;
        ASSERT_NEAR(left.g, right.g, 2e-3) << "elevation " << e;
        ASSERT_NEAR(left.b, right.b, 2e-3) << "elevation " << e;
    }
    for (double y : {1.0, -1.0}) {
        const Rgb pole = skyColour({0.0, y, 0.0});
        for (int a = 0; a < 8; ++a) {
            const double az = a * 3.14159265 / 4;
            const Rgb near = skyColour(normalized({1e-4 * std::cos(az), y, 1e-4 * std::sin(az)}));
            EXPECT_NEAR(near.r, pole.r, 2e-3);
            EXPECT_NEAR(near.g, pole.g, 2e-3);
            EXPECT_NEAR(near.b, pole.b, 2e-3);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// The painted texture, as the scene's cube samples it.

class PaintedSky : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        sky = std::make_unique<CImage>();
        std::string error;
        ASSERT_TRUE(paintSkyBox(sky.get(), kSkyWidth, kSkyHeight, &error)) << error;
    }
    static void TearDownTestSuite() { sky.reset(); }
    static std::unique_ptr<CImage> sky;
};
std::unique_ptr<CImage> PaintedSky::sky;

TEST_F(PaintedSky, IsContinuousAcrossAllTwelveCubeEdges) {
    const auto cube = makeSceneCube();
    // Half a texel inside each face: the texel centres on either side of the edge. Across an
    // edge the colour changes no more than between two neighbouring texels of one face. The
    // bottom face's far edge lies under the floor and gives its last texel row to the top
    // face's far edge, so it is measured from the second texel in.
    const std::vector<EdgeSeam> nearEdge = measureSeams(*sky, *cube, 0.5);
    const std::vector<EdgeSeam> secondTexel = measureSeams(*sky, *cube, 1.5);
    ASSERT_EQ(nearEdge.size(), 12u);
    ASSERT_EQ(secondTexel.size(), 12u);
    int exempt = 0;
    for (std::size_t i = 0; i < nearEdge.size(); ++i) {
        const bool farBottom = isBottomFarEdge(nearEdge[i]);
        exempt += farBottom ? 1 : 0;
        const EdgeSeam& s = farBottom ? secondTexel[i] : nearEdge[i];
        ASSERT_GT(s.samples, 200) << "faces " << s.faces[0] << " and " << s.faces[1];
        EXPECT_LT(s.worst, 1.5 * s.controlWorst + 4.0)
            << "faces " << s.faces[0] << " and " << s.faces[1];
        EXPECT_LT(s.mean, 1.5 * s.controlMean + 1.0)
            << "faces " << s.faces[0] << " and " << s.faces[1];
        EXPECT_LT(s.mean, 3.0) << "faces " << s.faces[0] << " and " << s.faces[1];
    }
    EXPECT_EQ(exempt, 1);
}

TEST_F(PaintedSky, AWrongFaceAssignmentShowsSeams) {
    // The seam measurement must notice a sky painted for another mapping: here the +x and −x
    // faces exchange their cells.
    CubeVertex swapped[36];
    skyCubeVertices(kCubeSize, swapped);
    for (int k = 0; k < 6; ++k) {
        std::swap(swapped[6 + k].u, swapped[18 + k].u);
        std::swap(swapped[6 + k].v, swapped[18 + k].v);
    }
    CImage wrong;
    std::string error;
    ASSERT_TRUE(paintSkyBox(&wrong, kSkyWidth / 4, kSkyHeight / 4, swapped, &error)) << error;
    int seamed = 0;
    for (const EdgeSeam& s : measureSeams(wrong, *makeSceneCube(), 0.5)) {
        seamed += s.samples > 0 && s.worst > 1.5 * s.controlWorst + 4.0 ? 1 : 0;
    }
    // The four vertical edges and the top face's edges with ±x join directions far apart (the
    // bottom face's edges with ±x run through plain ground and may pass).
    EXPECT_GE(seamed, 6);
}

TEST_F(PaintedSky, TheTopFacesFarEdgeStaysSkyUnderRepeatAddressing) {
    // v = 0 is sampled half from the last picture row; that row repeats the first.
    EXPECT_EQ(0, std::memcmp(sky->getLinePtr(0), sky->getLinePtr(kSkyHeight - 1),
                             static_cast<std::size_t>(kSkyWidth) * 3));
    double worst = 0.0;
    for (int k = 0; k < 128; ++k) {
        const double u = 0.25 + 0.25 * (k + 0.5) / 128;
        const Sample edge = sampleRepeat(*sky, u, 0.0);
        const Sample inside = sampleRepeat(*sky, u, 1.0 / kSkyHeight);
        worst = std::max(worst, maxChannelDifference(edge, inside));
    }
    EXPECT_LT(worst, 8.0);
}

TEST_F(PaintedSky, NoTexelIsLeftBlack) {
    // The unused cells of the cross are painted too, so filtering at face edges reads sky.
    int dark = 0;
    for (int line = 0; line < kSkyHeight; ++line) {
        const std::uint8_t* p = sky->getLinePtr(line);
        for (int x = 0; x < kSkyWidth; ++x) {
            if (std::max({p[x * 3], p[x * 3 + 1], p[x * 3 + 2]}) < 12) {
                ++dark;
            }
        }
    }
    EXPECT_EQ(dark, 0);
}

TEST_F(PaintedSky, TopBandIsSkyBottomBandIsGround) {
    // v = 0 is the top of the picture: the +y face (up) is sky, the −y face (down) is ground.
    const Sample up = sampleRepeat(*sky, 0.375, 0.2);
    const Sample down = sampleRepeat(*sky, 0.375, 0.83);
    EXPECT_GT(up.c[2], up.c[0] + 40.0); // blue well above red
    EXPECT_GT(up.c[2], down.c[2] + 60.0);
    EXPECT_LT(luminance(down), 80.0);
}

TEST_F(PaintedSky, TheSunIsSeenAheadAndToTheRightFromInside) {
    // Where the sun's direction meets the −z face, found through the engine's cube (its −z
    // face's corners and their texture coordinates), the texture shows the sun; the mirrored
    // point (−x) does not.
    const auto cube = makeSceneCube();
    double uAtPlusX = 0, uAtMinusX = 0, vAtTop = 0, vAtBottom = 0;
    for (int i = 30; i < 36; ++i) { // face −z
        const double u = cube->uvs[i * 2], v = cube->uvs[i * 2 + 1];
        (cube->positions[i * 3] > 0 ? uAtPlusX : uAtMinusX) = u;
        (cube->positions[i * 3 + 1] > 0 ? vAtTop : vAtBottom) = v;
    }
    const Vec3d sun = sunDirection();
    const double x = sun.x / -sun.z, y = sun.y / -sun.z; // on the plane z = −1, in [−1, 1]
    const auto texel = [&](double px, double py) {
        return sampleRepeat(*sky, uAtMinusX + (px + 1.0) / 2.0 * (uAtPlusX - uAtMinusX),
                            vAtBottom + (py + 1.0) / 2.0 * (vAtTop - vAtBottom));
    };
    const Sample atSun = texel(x, y);
    const Sample mirrored = texel(-x, y);
    EXPECT_GE(std::min({atSun.c[0], atSun.c[1], atSun.c[2]}), 245.0);
    EXPECT_LT(luminance(mirrored), luminance(atSun) - 20.0);
}
