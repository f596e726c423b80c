#include "rvtestprimitives.h"

#include <cmath>
#include <map>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "recordingmesh.h"

namespace {

const rvColor4 kColour = {0.25f, 0.5f, 0.75f, 1.0f};

rvVector3 at(const std::vector<float>& v, std::size_t i) {
    return rvVector3(v[3 * i], v[3 * i + 1], v[3 * i + 2]);
}

// Corner k of triangle t, unindexed or indexed.
rvVector3 corner(const RecordingMesh& m, std::size_t t, int k) {
    const std::size_t i = 3 * t + k;
    return at(m.positions, m.indices32.empty() ? i : m.indices32[i]);
}

// Points to the side from which the triangle winds counter-clockwise, |n| ~ its area.
rvVector3 faceNormal(const RecordingMesh& m, std::size_t t) {
    const rvVector3 p0 = corner(m, t, 0);
    return (corner(m, t, 1) - p0).cross(corner(m, t, 2) - p0);
}

rvVector3 centroid(const RecordingMesh& m, std::size_t t) {
    return (corner(m, t, 0) + corner(m, t, 1) + corner(m, t, 2)) * (1.0f / 3.0f);
}

void expectVec(const rvVector3& v, const rvVector3& e, float eps = 0.0f) {
    EXPECT_NEAR(v.x, e.x, eps);
    EXPECT_NEAR(v.y, e.y, eps);
    EXPECT_NEAR(v.z, e.z, eps);
}

// Tangents are 4 floats per vertex in extra stream 0, with handedness w exactly ±1.
void expectTangentStream(const RecordingMesh& m, std::size_t vertices) {
    ASSERT_EQ(m.data[0].size(), 4 * vertices);
    EXPECT_EQ(m.dataComponents[0], 4);
    for (std::size_t i = 0; i < vertices; ++i)
        EXPECT_TRUE(m.data[0][4 * i + 3] == 1.0f || m.data[0][4 * i + 3] == -1.0f) << i;
}

// Every vertex gets the colour, alpha first.
void expectColour(const RecordingMesh& m) {
    std::vector<float> expected;
    for (std::size_t i = 0; i < m.positions.size() / 3; ++i)
        expected.insert(expected.end(), {kColour.a, kColour.r, kColour.g, kColour.b});
    EXPECT_EQ(m.colors, expected);
}

} // namespace

TEST(CreatePlane, SpansSizeAroundTheOriginAndWindsTowardsItsNormal) {
    const struct {
        float orientation;
        rvVector3 min, max, normal;
    } cases[] = {{0.0f, {-50, 0, -50}, {50, 0, 50}, {0, 1, 0}},
                 {1.0f, {-50, -50, 0}, {50, 50, 0}, {0, 0, 1}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.orientation);
        RecordingMesh mesh;
        rvTestPrimitive::createPlane(100.0f, kColour, &mesh, c.orientation);
        ASSERT_EQ(mesh.positions.size(), 18u);
        EXPECT_EQ(mesh.primitiveCount, 2);
        expectVec(mesh.getBoundsMin(), c.min);
        expectVec(mesh.getBoundsMax(), c.max);
        for (std::size_t i = 0; i < 6; ++i)
            expectVec(at(mesh.normals, i), c.normal);
        for (std::size_t t = 0; t < 2; ++t)
            EXPECT_GT(faceNormal(mesh, t).dot(c.normal), 0.0f) << "triangle " << t;
        EXPECT_EQ(mesh.uvs, (std::vector<float>{1, 1, 1, 0, 0, 0, 0, 0, 0, 1, 1, 1}));
        expectTangentStream(mesh, 6);
        expectColour(mesh);
    }
}

TEST(CreatePlane, FloorTangentFollowsUAndIsLeftHanded) {
    // u grows along +x, v along +z; with normal +y, n × T = −z opposes the v direction.
    RecordingMesh mesh;
    rvTestPrimitive::createPlane(100.0f, kColour, &mesh, 0.0f);
    ASSERT_EQ(mesh.data[0].size(), 24u);
    for (std::size_t i = 0; i < 6; ++i) {
        expectVec(rvVector3(mesh.data[0][4 * i], mesh.data[0][4 * i + 1], mesh.data[0][4 * i + 2]),
                  rvVector3(1, 0, 0), 1e-6f);
        EXPECT_EQ(mesh.data[0][4 * i + 3], -1.0f);
    }
}

TEST(CreateCube, InsideWindsAndPointsNormalsTowardsTheCentre) {
    RecordingMesh outside;
    rvTestPrimitive::createCube(100.0f, kColour, false, true, &outside);
    for (bool inside : {false, true}) {
        SCOPED_TRACE(inside);
        const float sign = inside ? -1.0f : 1.0f;
        RecordingMesh mesh;
        rvTestPrimitive::createCube(100.0f, kColour, inside, true, &mesh);
        ASSERT_EQ(mesh.positions.size(), 36u * 3);
        EXPECT_EQ(mesh.primitiveCount, 12);
        expectVec(mesh.getBoundsMin(), rvVector3(-50, -50, -50));
        expectVec(mesh.getBoundsMax(), rvVector3(50, 50, 50));
        // A ray from the centre meets the front (counter-clockwise) side only from inside.
        for (std::size_t t = 0; t < 12; ++t)
            EXPECT_GT(sign * faceNormal(mesh, t).dot(centroid(mesh, t)), 0.0f) << "triangle " << t;
        for (std::size_t i = 0; i < 36; ++i)
            expectVec(at(mesh.normals, i), at(mesh.positions, i) * sign);
        expectTangentStream(mesh, 36);
        expectColour(mesh);
        for (std::size_t i = 0; i < 144; ++i) // one tangent per face
            EXPECT_EQ(mesh.data[0][i], mesh.data[0][i % 4 + i / 24 * 24]) << i;
        // The inside exchange keeps each vertex's texture coordinate with its corner.
        for (std::size_t i = 0; i < 36; ++i) {
            for (std::size_t j = i / 6 * 6; j < i / 6 * 6 + 6; ++j) {
                if ((at(mesh.positions, i) - at(outside.positions, j)).length() == 0.0f) {
                    EXPECT_EQ(mesh.uvs[2 * i], outside.uvs[2 * j]) << i;
                    EXPECT_EQ(mesh.uvs[2 * i + 1], outside.uvs[2 * j + 1]) << i;
                }
            }
        }
    }
    // The edges are normalised before solving: the +z tangent turns 22.5° from +x (increasing
    // u) towards the diagonal of the first triangle; v grows towards −y: left-handed.
    expectVec(rvVector3(outside.data[0][0], outside.data[0][1], outside.data[0][2]),
              rvVector3(std::cos(kRvPi / 8), std::sin(kRvPi / 8), 0), 1e-5f);
    EXPECT_EQ(outside.data[0][3], -1.0f);
}

TEST(FillCubeUVs, CrossLayoutUsesTheDecimalRowEdgesAndPlainMapsTheWholeTexture) {
    float uv[72];
    rvTestPrimitive::fillCubeUVs(true, uv);
    const float cross[72] = {
        0.5f,  0.66f, 0.5f,  0.33f, 0.25f, 0.33f, 0.25f, 0.33f, 0.25f, 0.66f, 0.5f,  0.66f, // +z
        0.75f, 0.66f, 0.75f, 0.33f, 0.5f,  0.33f, 0.5f,  0.33f, 0.5f,  0.66f, 0.75f, 0.66f, // +x
        0.5f,  0.33f, 0.5f,  0.0f,  0.25f, 0.0f,  0.25f, 0.0f,  0.25f, 0.33f, 0.5f,  0.33f, // +y
        0.25f, 0.66f, 0.25f, 0.33f, 0.0f,  0.33f, 0.0f,  0.33f, 0.0f,  0.66f, 0.25f, 0.66f, // −x
        0.5f,  1.0f,  0.5f,  0.66f, 0.25f, 0.66f, 0.25f, 0.66f, 0.25f, 1.0f,  0.5f,  1.0f,  // −y
        1.0f,  0.66f, 1.0f,  0.33f, 0.75f, 0.33f, 0.75f, 0.33f, 0.75f, 0.66f, 1.0f,  0.66f, // −z
    };
    for (int i = 0; i < 72; ++i)
        EXPECT_EQ(uv[i], cross[i]) << i;
    rvTestPrimitive::fillCubeUVs(false, uv);
    const float face[12] = {1, 1, 1, 0, 0, 0, 0, 0, 0, 1, 1, 1};
    for (int i = 0; i < 72; ++i)
        EXPECT_EQ(uv[i], face[i % 12]) << i;
}

TEST(CreateGeoSphere, SubdividedCountsOnTheSphereAndAClosedOutwardSurface) {
    const float radius = 3.0f;
    const struct {
        int s;
        std::size_t vertices, triangles;
    } cases[] = {{0, 12, 20}, {1, 42, 80}, {2, 162, 320}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.s);
        RecordingMesh mesh;
        rvTestPrimitive::createGeoSphere(radius, c.s, false, kColour, &mesh);
        ASSERT_EQ(mesh.positions.size(), 3 * c.vertices);
        ASSERT_EQ(mesh.indices32.size(), 3 * c.triangles);
        EXPECT_EQ(mesh.primitiveCount, int(c.triangles));
        EXPECT_EQ(mesh.normals, mesh.positions); // smooth normals are the position vectors
        expectColour(mesh);
        for (std::size_t i = 0; i < c.vertices; ++i)
            EXPECT_NEAR(at(mesh.positions, i).length(), radius, 1e-5f) << "vertex " << i;
        // Closed: every edge is run once in each direction by the two triangles sharing it,
        // so no crack and no midpoint made twice.
        std::map<std::pair<unsigned, unsigned>, int> edges;
        for (std::size_t t = 0; t < c.triangles; ++t) {
            EXPECT_GT(faceNormal(mesh, t).dot(centroid(mesh, t)), 0.0f) << "triangle " << t;
            for (int k = 0; k < 3; ++k) {
                const unsigned a = mesh.indices32[3 * t + k];
                ASSERT_LT(a, c.vertices);
                ++edges[{a, mesh.indices32[3 * t + (k + 1) % 3]}];
            }
        }
        for (const auto& [edge, count] : edges) {
            EXPECT_EQ(count, 1);
            EXPECT_EQ(edges.count({edge.second, edge.first}), 1u);
        }
    }
}

TEST(CreateGeoSphere, FaceNormalsAreUnitAndPointOutwards) {
    RecordingMesh mesh;
    rvTestPrimitive::createGeoSphere(0.1f, 1, true, kColour, &mesh);
    ASSERT_EQ(mesh.normals.size(), mesh.positions.size());
    for (std::size_t i = 0; i < mesh.positions.size() / 3; ++i) {
        EXPECT_NEAR(at(mesh.normals, i).length(), 1.0f, 1e-5f) << i;
        EXPECT_GT(at(mesh.normals, i).dot(at(mesh.positions, i)), 0.09f) << i;
    }
}
