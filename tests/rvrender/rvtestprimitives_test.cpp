#include "rvtestprimitives.h"

#include <cmath>
#include <map>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "recordingmesh.h"

using ::testing::FloatNear;
using ::testing::Pointwise;

namespace {

using Floats = std::vector<float>;

const rvColor4 kColour = {0.25f, 0.5f, 0.75f, 1.0f};
const Floats kARGB = {kColour.a, kColour.r, kColour.g, kColour.b}; // as every vertex gets it

// `values` written n times in a row.
Floats repeat(const Floats& values, std::size_t n) {
    Floats out;
    for (std::size_t i = 0; i < n; ++i)
        out.insert(out.end(), values.begin(), values.end());
    return out;
}

Floats xyz(const rvVector3& v) {
    return {v.x, v.y, v.z};
}

// Vertex i's n floats of a stream.
Floats vertex(const Floats& stream, std::size_t i, std::size_t n) {
    return Floats(stream.begin() + n * i, stream.begin() + n * (i + 1));
}

rvVector3 at(const Floats& v, std::size_t i) {
    return rvVector3(v[3 * i], v[3 * i + 1], v[3 * i + 2]);
}

// Corner k of triangle t, unindexed or indexed.
rvVector3 corner(const RecordingMesh& m, std::size_t t, int k) {
    const std::size_t i = 3 * t + k;
    return at(m.positions, m.indices32.empty() ? i : m.indices32[i]);
}

// Points to the side from which the triangle winds counter-clockwise, |n| ~ its area. Its dot
// product with any point of the triangle tells on which side of the plane the origin lies.
rvVector3 faceNormal(const RecordingMesh& m, std::size_t t) {
    const rvVector3 p0 = corner(m, t, 0);
    return (corner(m, t, 1) - p0).cross(corner(m, t, 2) - p0);
}

} // namespace

// The floor plane: size around the origin, wound towards its normal +y. u grows along +x and
// v against n × T, so every tangent is +x with handedness −1.
TEST(CreatePlane, SpansSizeAroundTheOriginAndWindsTowardsItsNormal) {
    RecordingMesh mesh;
    rvTestPrimitive::createPlane(100.0f, kColour, &mesh, 0.0f);
    ASSERT_EQ(mesh.positions.size(), 18u);
    EXPECT_EQ(mesh.primitiveCount, 2);
    EXPECT_EQ(xyz(mesh.getBoundsMin()), (Floats{-50, 0, -50}));
    EXPECT_EQ(xyz(mesh.getBoundsMax()), (Floats{50, 0, 50}));
    EXPECT_EQ(mesh.normals, repeat({0, 1, 0}, 6));
    for (std::size_t t = 0; t < 2; ++t)
        EXPECT_GT(faceNormal(mesh, t).y, 0.0f) << "triangle " << t;
    EXPECT_EQ(mesh.uvs, (Floats{1, 1, 1, 0, 0, 0, 0, 0, 0, 1, 1, 1}));
    EXPECT_EQ(mesh.dataComponents[0], 4);
    EXPECT_THAT(mesh.data[0], Pointwise(FloatNear(1e-6f), repeat({1, 0, 0, -1}, 6)));
    EXPECT_EQ(mesh.colors, repeat(kARGB, 6));
}

TEST(CreateCube, InsideWindsAndLightsFromTheCentreAndTheCrossLayoutUsesDecimalRowEdges) {
    RecordingMesh outside;
    rvTestPrimitive::createCube(100.0f, kColour, false, true, &outside);
    for (bool inside : {false, true}) {
        SCOPED_TRACE(inside);
        const float sign = inside ? -1.0f : 1.0f;
        RecordingMesh mesh;
        rvTestPrimitive::createCube(100.0f, kColour, inside, true, &mesh);
        ASSERT_EQ(mesh.positions.size(), 36u * 3);
        ASSERT_EQ(mesh.normals.size(), 36u * 3);
        ASSERT_EQ(mesh.data[0].size(), 36u * 4);
        ASSERT_EQ(mesh.uvs.size(), 36u * 2);
        EXPECT_EQ(mesh.dataComponents[0], 4);
        EXPECT_EQ(mesh.primitiveCount, 12);
        EXPECT_EQ(xyz(mesh.getBoundsMin()), Floats(3, -50));
        EXPECT_EQ(xyz(mesh.getBoundsMax()), Floats(3, 50));
        EXPECT_EQ(mesh.colors, repeat(kARGB, 36));
        // A ray from the centre meets the front (counter-clockwise) side only from inside.
        for (std::size_t t = 0; t < 12; ++t)
            EXPECT_GT(sign * faceNormal(mesh, t).dot(corner(mesh, t, 0)), 0.0f) << "triangle " << t;
        for (std::size_t i = 0; i < 36; ++i) {
            // The normal is the corner vector, turned inwards from inside; one tangent per face.
            EXPECT_EQ(vertex(mesh.normals, i, 3), xyz(at(mesh.positions, i) * sign)) << i;
            EXPECT_EQ(vertex(mesh.data[0], i, 4), vertex(mesh.data[0], i / 6 * 6, 4)) << i;
            // The inside exchange keeps each vertex's texture coordinate with its corner.
            for (std::size_t j = i / 6 * 6; j < i / 6 * 6 + 6; ++j) {
                if (vertex(mesh.positions, i, 3) == vertex(outside.positions, j, 3)) {
                    EXPECT_EQ(vertex(mesh.uvs, i, 2), vertex(outside.uvs, j, 2)) << i;
                }
            }
        }
    }
    // Texture coordinates face by face (+z, +x, +y, −x, −y, −z): the cells of a horizontal
    // cross whose row edges are the decimals 0.33 and 0.66.
    const Floats crossUVs = {
        0.5f,  0.66f, 0.5f,  0.33f, 0.25f, 0.33f, 0.25f, 0.33f, 0.25f, 0.66f, 0.5f,  0.66f, // +z
        0.75f, 0.66f, 0.75f, 0.33f, 0.5f,  0.33f, 0.5f,  0.33f, 0.5f,  0.66f, 0.75f, 0.66f, // +x
        0.5f,  0.33f, 0.5f,  0.0f,  0.25f, 0.0f,  0.25f, 0.0f,  0.25f, 0.33f, 0.5f,  0.33f, // +y
        0.25f, 0.66f, 0.25f, 0.33f, 0.0f,  0.33f, 0.0f,  0.33f, 0.0f,  0.66f, 0.25f, 0.66f, // −x
        0.5f,  1.0f,  0.5f,  0.66f, 0.25f, 0.66f, 0.25f, 0.66f, 0.25f, 1.0f,  0.5f,  1.0f,  // −y
        1.0f,  0.66f, 1.0f,  0.33f, 0.75f, 0.33f, 0.75f, 0.33f, 0.75f, 0.66f, 1.0f,  0.66f, // −z
    };
    EXPECT_EQ(outside.uvs, crossUVs);
    // The edges are normalised before solving: the +z tangent turns 22.5° from +x (increasing
    // u) towards the diagonal of the first triangle; v grows towards −y: left-handed.
    EXPECT_THAT(
        vertex(outside.data[0], 0, 4),
        Pointwise(FloatNear(1e-5f), Floats{std::cos(kRvPi / 8), std::sin(kRvPi / 8), 0, -1}));
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
        EXPECT_EQ(mesh.colors, repeat(kARGB, c.vertices));
        for (std::size_t i = 0; i < c.vertices; ++i)
            EXPECT_NEAR(at(mesh.positions, i).length(), radius, 1e-5f) << "vertex " << i;
        // Closed: every edge is run once in each direction by the two triangles sharing it,
        // so no crack and no midpoint made twice.
        std::map<std::pair<unsigned, unsigned>, int> edges;
        for (std::size_t t = 0; t < c.triangles; ++t) {
            EXPECT_GT(faceNormal(mesh, t).dot(corner(mesh, t, 0)), 0.0f) << "triangle " << t;
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
