#include "rvtestprimitives.h"

#include <cmath>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "recordingmesh.h"

namespace {

const rvColor4 kColour = {0.25f, 0.5f, 0.75f, 1.0f};

// Also records the order in which the setters were called.
class OrderMesh : public RecordingMesh {
public:
    bool setIndexArray32(const unsigned int* a, int count) override {
        order.push_back("setIndexArray32");
        return RecordingMesh::setIndexArray32(a, count);
    }
    bool setFourFloatColors(const float* c, int count) override {
        order.push_back("setFourFloatColors");
        return RecordingMesh::setFourFloatColors(c, count);
    }
    bool setPositionArray(const rvVector3* p, int count) override {
        order.push_back("setPositionArray");
        return RecordingMesh::setPositionArray(p, count);
    }
    bool setUVPairArray(const rvUVPair* uv, int count) override {
        order.push_back("setUVPairArray");
        forwarding = true; // the base forwards to setUVs
        const bool ok = RecordingMesh::setUVPairArray(uv, count);
        forwarding = false;
        return ok;
    }
    bool setUVs(const float* uv, int count) override {
        if (!forwarding) {
            order.push_back("setUVs");
        }
        return RecordingMesh::setUVs(uv, count);
    }
    bool setData(const void* d, int bytes, int components) override {
        order.push_back("setData");
        dataBytes = bytes;
        return RecordingMesh::setData(d, bytes, components);
    }
    bool setNormalArray(const rvVector3* n, int count) override {
        order.push_back("setNormalArray");
        return RecordingMesh::setNormalArray(n, count);
    }
    void setPrimitiveCount(int count) override {
        order.push_back("setPrimitiveCount");
        RecordingMesh::setPrimitiveCount(count);
    }

    rvVector3 position(std::size_t i) const {
        return rvVector3(positions[3 * i], positions[3 * i + 1], positions[3 * i + 2]);
    }
    rvVector3 normal(std::size_t i) const {
        return rvVector3(normals[3 * i], normals[3 * i + 1], normals[3 * i + 2]);
    }
    std::pair<float, float> uv(std::size_t i) const { return {uvs[2 * i], uvs[2 * i + 1]}; }
    rvVector3 tangent(std::size_t i) const {
        return rvVector3(data0[4 * i], data0[4 * i + 1], data0[4 * i + 2]);
    }
    float handedness(std::size_t i) const { return data0[4 * i + 3]; }
    std::size_t vertexCount() const { return positions.size() / 3; }
    // Vertex i of triangle t, unindexed or indexed.
    rvVector3 corner(std::size_t t, int i) const {
        const std::size_t k = 3 * t + i;
        return position(indices32.empty() ? k : indices32[k]);
    }

    std::vector<std::string> order;
    int dataBytes = 0;

private:
    bool forwarding = false;
};

rvVector3 faceNormal(const rvVector3& p0, const rvVector3& p1, const rvVector3& p2) {
    return (p1 - p0).cross(p2 - p0);
}

rvVector3 centroid(const rvVector3& p0, const rvVector3& p1, const rvVector3& p2) {
    return (p0 + p1 + p2) * (1.0f / 3.0f);
}

void expectColours(const OrderMesh& mesh) {
    ASSERT_EQ(mesh.colors.size(), mesh.vertexCount() * 4);
    for (std::size_t i = 0; i < mesh.colors.size(); i += 4) {
        EXPECT_EQ(mesh.colors[i], kColour.a);
        EXPECT_EQ(mesh.colors[i + 1], kColour.r);
        EXPECT_EQ(mesh.colors[i + 2], kColour.g);
        EXPECT_EQ(mesh.colors[i + 3], kColour.b);
    }
}

#define EXPECT_VEC3_NEAR(v, ex, ey, ez, eps)                                                       \
    do {                                                                                           \
        const rvVector3 actual_ = (v);                                                             \
        EXPECT_NEAR(actual_.x, (ex), (eps));                                                       \
        EXPECT_NEAR(actual_.y, (ey), (eps));                                                       \
        EXPECT_NEAR(actual_.z, (ez), (eps));                                                       \
    } while (0)

} // namespace

// --- computeTangent ------------------------------------------------------------------------

TEST(ComputeTangent, FollowsIncreasingU) {
    float out[4];
    rvTestPrimitive::computeTangent({0, 0, 0}, {0, 0, 0}, {1, 0, 0}, {1, 0, 0}, {0, 1, 0},
                                    {0, 1, 0}, {0, 0, 1}, out);
    EXPECT_VEC3_NEAR(rvVector3(out[0], out[1], out[2]), 1.0f, 0.0f, 0.0f, 1e-6f);
    EXPECT_EQ(out[3], 1.0f); // n × T = +y, the direction of increasing v
}

TEST(ComputeTangent, MirroredMappingIsLeftHanded) {
    float out[4];
    rvTestPrimitive::computeTangent({0, 0, 0}, {0, 0, 0}, {1, 0, 0}, {-1, 0, 0}, {0, 1, 0},
                                    {0, 1, 0}, {0, 0, 1}, out);
    EXPECT_VEC3_NEAR(rvVector3(out[0], out[1], out[2]), -1.0f, 0.0f, 0.0f, 1e-6f);
    EXPECT_EQ(out[3], -1.0f);
}

TEST(ComputeTangent, IsNotOrthogonalisedAgainstTheNormal) {
    float out[4];
    const rvVector3 tilted = rvVector3(1, 0, 1).normalized();
    rvTestPrimitive::computeTangent({0, 0, 0}, {0, 0, 0}, {3, 0, 0}, {1, 0, 0}, {0, 3, 0},
                                    {0, 1, 0}, tilted, out);
    EXPECT_VEC3_NEAR(rvVector3(out[0], out[1], out[2]), 1.0f, 0.0f, 0.0f, 1e-6f);
}

TEST(ComputeTangent, DegenerateMappingGivesNonFiniteTangentButUnitHandedness) {
    float out[4];
    rvTestPrimitive::computeTangent({0, 0, 0}, {0, 0, 0}, {1, 0, 0}, {0, 0, 0}, {0, 1, 0},
                                    {0, 0, 0}, {0, 0, 1}, out);
    EXPECT_FALSE(std::isfinite(out[0]));
    EXPECT_TRUE(out[3] == 1.0f || out[3] == -1.0f);
}

// --- createPlane ---------------------------------------------------------------------------

TEST(CreatePlane, FloorSpansFiftyEachWayAtYZero) {
    OrderMesh mesh;
    rvTestPrimitive::createPlane(100.0f, kColour, &mesh, 0.0f);
    ASSERT_EQ(mesh.vertexCount(), 6u);
    EXPECT_EQ(mesh.primitiveCount, 2);
    EXPECT_VEC3_NEAR(mesh.getBoundsMin(), -50.0f, 0.0f, -50.0f, 0.0f);
    EXPECT_VEC3_NEAR(mesh.getBoundsMax(), 50.0f, 0.0f, 50.0f, 0.0f);
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(mesh.position(i).y, 0.0f);
        EXPECT_VEC3_NEAR(mesh.normal(i), 0.0f, 1.0f, 0.0f, 0.0f);
    }
    expectColours(mesh);
}

TEST(CreatePlane, WallSpansFiftyEachWayAtZZero) {
    OrderMesh mesh;
    rvTestPrimitive::createPlane(100.0f, kColour, &mesh, 1.0f);
    ASSERT_EQ(mesh.vertexCount(), 6u);
    EXPECT_VEC3_NEAR(mesh.getBoundsMin(), -50.0f, -50.0f, 0.0f, 0.0f);
    EXPECT_VEC3_NEAR(mesh.getBoundsMax(), 50.0f, 50.0f, 0.0f, 0.0f);
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_VEC3_NEAR(mesh.normal(i), 0.0f, 0.0f, 1.0f, 0.0f);
    }
}

TEST(CreatePlane, WindsCounterClockwiseSeenFromTheNormalSide) {
    for (float orientation : {0.0f, 1.0f, -2.5f}) {
        OrderMesh mesh;
        rvTestPrimitive::createPlane(10.0f, kColour, &mesh, orientation);
        for (std::size_t t = 0; t < 2; ++t) {
            const rvVector3 n = faceNormal(mesh.corner(t, 0), mesh.corner(t, 1), mesh.corner(t, 2));
            EXPECT_GT(n.dot(mesh.normal(3 * t)), 0.0f) << "orientation " << orientation;
        }
    }
}

TEST(CreatePlane, TextureCoordinatesCoverTheSquare) {
    OrderMesh mesh;
    rvTestPrimitive::createPlane(100.0f, kColour, &mesh, 0.0f);
    const std::vector<float> expected = {1, 1, 1, 0, 0, 0, 0, 0, 0, 1, 1, 1};
    EXPECT_EQ(mesh.uvs, expected);
    // u grows with x, v with z: every vertex's uv matches its corner.
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(mesh.uv(i).first, mesh.position(i).x > 0 ? 1.0f : 0.0f);
        EXPECT_EQ(mesh.uv(i).second, mesh.position(i).z > 0 ? 1.0f : 0.0f);
    }
}

TEST(CreatePlane, TangentsPointAlongUWithMirroredHandedness) {
    // u grows along +x and v along +z; with normal +y, n × T = −z opposes the v direction.
    OrderMesh mesh;
    rvTestPrimitive::createPlane(100.0f, kColour, &mesh, 0.0f);
    ASSERT_EQ(mesh.data0.size(), 24u);
    EXPECT_EQ(mesh.data0Components, 4);
    EXPECT_EQ(mesh.dataBytes, 96);
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_VEC3_NEAR(mesh.tangent(i), 1.0f, 0.0f, 0.0f, 1e-6f);
        EXPECT_EQ(mesh.handedness(i), -1.0f);
    }
}

TEST(CreatePlane, HandsDataOverInOrder) {
    OrderMesh mesh;
    rvTestPrimitive::createPlane(1.0f, kColour, &mesh, 0.0f);
    const std::vector<std::string> expected = {
        "setPositionArray", "setUVPairArray",     "setData",
        "setNormalArray",   "setFourFloatColors", "setPrimitiveCount"};
    EXPECT_EQ(mesh.order, expected);
}

// --- fillCubeUVs ---------------------------------------------------------------------------

TEST(FillCubeUVs, WithoutCrossEveryFaceMapsTheWholeTexture) {
    float uv[72];
    rvTestPrimitive::fillCubeUVs(false, uv);
    const float face[12] = {1, 1, 1, 0, 0, 0, 0, 0, 0, 1, 1, 1};
    for (int i = 0; i < 72; ++i) {
        EXPECT_EQ(uv[i], face[i % 12]) << i;
    }
}

TEST(FillCubeUVs, CrossLayoutUsesTheDecimalRowEdges) {
    float uv[72];
    rvTestPrimitive::fillCubeUVs(true, uv);
    const float expected[72] = {
        0.5f,  0.66f, 0.5f,  0.33f, 0.25f, 0.33f, 0.25f, 0.33f, 0.25f, 0.66f, 0.5f,  0.66f, // +z
        0.75f, 0.66f, 0.75f, 0.33f, 0.5f,  0.33f, 0.5f,  0.33f, 0.5f,  0.66f, 0.75f, 0.66f, // +x
        0.5f,  0.33f, 0.5f,  0.0f,  0.25f, 0.0f,  0.25f, 0.0f,  0.25f, 0.33f, 0.5f,  0.33f, // +y
        0.25f, 0.66f, 0.25f, 0.33f, 0.0f,  0.33f, 0.0f,  0.33f, 0.0f,  0.66f, 0.25f, 0.66f, // −x
        0.5f,  1.0f,  0.5f,  0.66f, 0.25f, 0.66f, 0.25f, 0.66f, 0.25f, 1.0f,  0.5f,  1.0f,  // −y
        1.0f,  0.66f, 1.0f,  0.33f, 0.75f, 0.33f, 0.75f, 0.33f, 0.75f, 0.66f, 1.0f,  0.66f, // −z
    };
    for (int i = 0; i < 72; ++i) {
        EXPECT_EQ(uv[i], expected[i]) << i;
    }
}

// --- createCube ----------------------------------------------------------------------------

TEST(CreateCube, OutsideCubeWindsCounterClockwiseFromOutside) {
    OrderMesh mesh;
    rvTestPrimitive::createCube(100.0f, kColour, false, false, &mesh);
    ASSERT_EQ(mesh.vertexCount(), 36u);
    EXPECT_EQ(mesh.primitiveCount, 12);
    EXPECT_VEC3_NEAR(mesh.getBoundsMin(), -50.0f, -50.0f, -50.0f, 0.0f);
    EXPECT_VEC3_NEAR(mesh.getBoundsMax(), 50.0f, 50.0f, 50.0f, 0.0f);
    for (std::size_t t = 0; t < 12; ++t) {
        const rvVector3 p0 = mesh.corner(t, 0), p1 = mesh.corner(t, 1), p2 = mesh.corner(t, 2);
        EXPECT_GT(faceNormal(p0, p1, p2).dot(centroid(p0, p1, p2)), 0.0f) << "triangle " << t;
    }
    for (std::size_t i = 0; i < 36; ++i) {
        const rvVector3 p = mesh.position(i);
        EXPECT_VEC3_NEAR(mesh.normal(i), p.x, p.y, p.z, 0.0f);
        EXPECT_NEAR(mesh.normal(i).length(), 50.0f * std::sqrt(3.0f), 1e-3f);
    }
    expectColours(mesh);
}

TEST(CreateCube, FacesComeInTheOrderPlusZPlusXPlusYMinusXMinusYMinusZ) {
    OrderMesh mesh;
    rvTestPrimitive::createCube(2.0f, kColour, false, false, &mesh);
    const rvVector3 axes[6] = {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}, {-1, 0, 0}, {0, -1, 0}, {0, 0, -1}};
    for (int face = 0; face < 6; ++face) {
        for (int i = 0; i < 6; ++i) {
            EXPECT_EQ(mesh.position(face * 6 + i).dot(axes[face]), 1.0f) << face << "/" << i;
        }
    }
}

TEST(CreateCube, InsideCubeFacesTheCentre) {
    OrderMesh mesh;
    rvTestPrimitive::createCube(100.0f, kColour, true, true, &mesh);
    ASSERT_EQ(mesh.vertexCount(), 36u);
    for (std::size_t t = 0; t < 12; ++t) {
        const rvVector3 p0 = mesh.corner(t, 0), p1 = mesh.corner(t, 1), p2 = mesh.corner(t, 2);
        // A ray from the centre towards the triangle meets its front (counter-clockwise) side.
        const rvVector3 ray = centroid(p0, p1, p2);
        EXPECT_LT(faceNormal(p0, p1, p2).dot(ray), 0.0f) << "triangle " << t;
    }
    for (std::size_t i = 0; i < 36; ++i) {
        const rvVector3 p = mesh.position(i);
        EXPECT_VEC3_NEAR(mesh.normal(i), -p.x, -p.y, -p.z, 0.0f);
    }
}

TEST(CreateCube, InsideExchangeKeepsEachVertexsTextureCoordinate) {
    OrderMesh outside, inside;
    rvTestPrimitive::createCube(100.0f, kColour, false, true, &outside);
    rvTestPrimitive::createCube(100.0f, kColour, true, true, &inside);
    for (std::size_t i = 0; i < 36; ++i) {
        const std::size_t face = i / 6;
        bool found = false;
        for (std::size_t j = face * 6; j < face * 6 + 6; ++j) {
            const rvVector3 a = inside.position(i), b = outside.position(j);
            if (a.x == b.x && a.y == b.y && a.z == b.z) {
                EXPECT_EQ(inside.uv(i), outside.uv(j)) << "vertex " << i;
                found = true;
            }
        }
        EXPECT_TRUE(found) << "vertex " << i;
    }
    // Vertex 0 of each triangle stays in place.
    for (std::size_t i = 0; i < 36; i += 3) {
        EXPECT_EQ(inside.uv(i), outside.uv(i));
    }
}

TEST(CreateCube, EachFaceSharesOneUnitTangentInItsPlane) {
    for (bool inside : {false, true}) {
        OrderMesh mesh;
        rvTestPrimitive::createCube(100.0f, kColour, inside, true, &mesh);
        ASSERT_EQ(mesh.data0.size(), 144u);
        EXPECT_EQ(mesh.dataBytes, 576);
        EXPECT_EQ(mesh.data0Components, 4);
        for (std::size_t f = 0; f < 36; f += 6) {
            const rvVector3 t = mesh.tangent(f);
            EXPECT_NEAR(t.length(), 1.0f, 1e-6f);
            const rvVector3 n =
                faceNormal(mesh.position(f), mesh.position(f + 1), mesh.position(f + 2))
                    .normalized();
            EXPECT_NEAR(t.dot(n), 0.0f, 1e-6f);
            for (std::size_t i = f; i < f + 6; ++i) {
                EXPECT_TRUE(mesh.handedness(i) == 1.0f || mesh.handedness(i) == -1.0f);
                EXPECT_EQ(mesh.handedness(i), mesh.handedness(f));
                EXPECT_VEC3_NEAR(mesh.tangent(i), t.x, t.y, t.z, 0.0f);
            }
        }
    }
}

TEST(CreateCube, TangentLeansTowardsTheDiagonalOfTheFirstTriangle) {
    // The edges are normalised before solving: on the +z face, whose first triangle has a side
    // (length 2h) and a diagonal (2h·√2), the tangent turns 22.5° from +x (increasing u) towards
    // the diagonal; v grows towards −y, so the frame is left-handed.
    OrderMesh mesh;
    rvTestPrimitive::createCube(100.0f, kColour, false, false, &mesh);
    const float c = std::cos(22.5f * 3.14159265f / 180.0f);
    const float s = std::sin(22.5f * 3.14159265f / 180.0f);
    EXPECT_VEC3_NEAR(mesh.tangent(0), c, s, 0.0f, 1e-5f);
    EXPECT_EQ(mesh.handedness(0), -1.0f);
}

TEST(CreateCube, HandsDataOverInOrder) {
    OrderMesh mesh;
    rvTestPrimitive::createCube(1.0f, kColour, true, true, &mesh);
    const std::vector<std::string> expected = {"setPositionArray", "setFourFloatColors",
                                               "setNormalArray",   "setUVPairArray",
                                               "setData",          "setPrimitiveCount"};
    EXPECT_EQ(mesh.order, expected);
}

// --- createGeoSphere -----------------------------------------------------------------------

namespace {

struct SphereCase {
    int subdivisions;
    std::size_t vertices;
    std::size_t triangles;
};

class GeoSphere : public ::testing::TestWithParam<SphereCase> {};

} // namespace

TEST_P(GeoSphere, HasTheSubdividedCounts) {
    const SphereCase c = GetParam();
    OrderMesh mesh;
    rvTestPrimitive::createGeoSphere(2.0f, c.subdivisions, false, kColour, &mesh);
    EXPECT_EQ(mesh.vertexCount(), c.vertices);
    EXPECT_EQ(mesh.indices32.size(), 3 * c.triangles);
    EXPECT_TRUE(mesh.uses32);
    EXPECT_EQ(mesh.primitiveCount, static_cast<int>(c.triangles));
    EXPECT_EQ(mesh.normals.size(), 3 * c.vertices);
    EXPECT_EQ(mesh.uvs, std::vector<float>(2 * c.vertices, 0.0f));
    expectColours(mesh);
}

TEST_P(GeoSphere, EveryVertexLiesOnTheSphereOnce) {
    const SphereCase c = GetParam();
    const float radius = 3.0f;
    OrderMesh mesh;
    rvTestPrimitive::createGeoSphere(radius, c.subdivisions, false, kColour, &mesh);
    for (std::size_t i = 0; i < mesh.vertexCount(); ++i) {
        EXPECT_NEAR(mesh.position(i).length(), radius, 1e-5f) << "vertex " << i;
        for (std::size_t j = i + 1; j < mesh.vertexCount(); ++j) {
            EXPECT_GT(mesh.position(i).distance(mesh.position(j)), 1e-3f) << i << " and " << j;
        }
    }
}

TEST_P(GeoSphere, IsAClosedSurfaceWoundCounterClockwiseFromOutside) {
    const SphereCase c = GetParam();
    OrderMesh mesh;
    rvTestPrimitive::createGeoSphere(1.0f, c.subdivisions, false, kColour, &mesh);
    std::map<std::pair<unsigned, unsigned>, int> directedEdges;
    std::set<unsigned> used;
    for (std::size_t t = 0; t < c.triangles; ++t) {
        const rvVector3 p0 = mesh.corner(t, 0), p1 = mesh.corner(t, 1), p2 = mesh.corner(t, 2);
        EXPECT_GT(faceNormal(p0, p1, p2).dot(centroid(p0, p1, p2)), 0.0f) << "triangle " << t;
        for (int k = 0; k < 3; ++k) {
            const unsigned from = mesh.indices32[3 * t + k];
            const unsigned to = mesh.indices32[3 * t + (k + 1) % 3];
            ASSERT_LT(from, mesh.vertexCount());
            ++directedEdges[{from, to}];
            used.insert(from);
        }
    }
    // Each edge is shared by exactly two triangles running along it in opposite directions:
    // no cracks, no midpoint made twice.
    for (const auto& [edge, count] : directedEdges) {
        EXPECT_EQ(count, 1);
        EXPECT_EQ(directedEdges.count({edge.second, edge.first}), 1u);
    }
    EXPECT_EQ(used.size(), mesh.vertexCount());
    // Euler characteristic of a sphere: V − E + F = 2.
    const long e = static_cast<long>(directedEdges.size() / 2);
    EXPECT_EQ(static_cast<long>(mesh.vertexCount()) - e + static_cast<long>(c.triangles), 2);
}

INSTANTIATE_TEST_SUITE_P(Subdivisions, GeoSphere,
                         ::testing::Values(SphereCase{0, 12, 20}, SphereCase{1, 42, 80},
                                           SphereCase{2, 162, 320}, SphereCase{3, 642, 1280}));

TEST(CreateGeoSphere, BaseIsTheIcosahedronInItsOrder) {
    OrderMesh mesh;
    rvTestPrimitive::createGeoSphere(1.0f, 0, false, kColour, &mesh);
    const std::vector<unsigned int> faces = {1, 0, 6,  0,  1,  4, 2,  3,  7, 3, 2, 5,  8, 9,  0,
                                             9, 8, 2,  10, 11, 3, 11, 10, 1, 4, 5, 8,  5, 4,  10,
                                             6, 7, 11, 7,  6,  9, 0,  9,  6, 1, 6, 11, 1, 10, 4,
                                             0, 4, 8,  2,  7,  9, 3,  11, 7, 3, 5, 10, 2, 8,  5};
    EXPECT_EQ(mesh.indices32, faces);
    const float phi = 1.61803f;
    const float len = std::sqrt(phi * phi + 1.0f);
    EXPECT_VEC3_NEAR(mesh.position(0), 1.0f / len, phi / len, 0.0f, 1e-6f);
    EXPECT_VEC3_NEAR(mesh.position(11), -phi / len, 0.0f, -1.0f / len, 1e-6f);
}

TEST(CreateGeoSphere, SubdivisionNumbersMidpointsInOrderAndReusesSharedOnes) {
    OrderMesh mesh;
    rvTestPrimitive::createGeoSphere(1.0f, 1, false, kColour, &mesh);
    ASSERT_EQ(mesh.indices32.size(), 240u);
    // Face (1, 0, 6) makes midpoints 12 (1–0), 13 (0–6), 14 (6–1); face (0, 1, 4) meets edge
    // 1–0 again and reuses 12, then makes 15 (1–4) and 16 (4–0).
    const std::vector<unsigned int> centres(mesh.indices32.begin(), mesh.indices32.begin() + 6);
    EXPECT_EQ(centres, (std::vector<unsigned int>{12, 13, 14, 12, 15, 16}));
    const std::vector<unsigned int> firstBlock(mesh.indices32.begin() + 60,
                                               mesh.indices32.begin() + 69);
    EXPECT_EQ(firstBlock, (std::vector<unsigned int>{1, 12, 14, 0, 13, 12, 6, 14, 13}));
    const rvVector3 expected = ((mesh.position(1) + mesh.position(0)) * 0.5f).normalized();
    EXPECT_VEC3_NEAR(mesh.position(12), expected.x, expected.y, expected.z, 1e-6f);
}

TEST(CreateGeoSphere, SmoothNormalsArePositions) {
    OrderMesh mesh;
    rvTestPrimitive::createGeoSphere(0.1f, 1, false, kColour, &mesh);
    EXPECT_EQ(mesh.normals, mesh.positions);
}

TEST(CreateGeoSphere, FaceNormalsAreUnitAndPointOutwards) {
    OrderMesh mesh;
    rvTestPrimitive::createGeoSphere(0.1f, 1, true, kColour, &mesh);
    for (std::size_t i = 0; i < mesh.vertexCount(); ++i) {
        const rvVector3 n = mesh.normal(i);
        EXPECT_NEAR(n.length(), 1.0f, 1e-5f);
        EXPECT_GT(n.dot(mesh.position(i).normalized()), 0.9f);
    }
    // The last triangle's vertices carry its own normal.
    const std::size_t last = mesh.indices32.size() / 3 - 1;
    const rvVector3 n =
        faceNormal(mesh.corner(last, 0), mesh.corner(last, 1), mesh.corner(last, 2)).normalized();
    for (int k = 0; k < 3; ++k) {
        const rvVector3 got = mesh.normal(mesh.indices32[3 * last + k]);
        EXPECT_VEC3_NEAR(got, n.x, n.y, n.z, 1e-6f);
    }
}

TEST(CreateGeoSphere, HandsDataOverInOrder) {
    OrderMesh mesh;
    rvTestPrimitive::createGeoSphere(0.1f, 1, false, kColour, &mesh);
    const std::vector<std::string> expected = {"setPositionArray", "setFourFloatColors",
                                               "setNormalArray",   "setIndexArray32",
                                               "setUVs",           "setPrimitiveCount"};
    EXPECT_EQ(mesh.order, expected);
}

// --- createUnitGrid ------------------------------------------------------------------------

TEST(CreateUnitGrid, LinesOfUnitSpacingInTheFloorPlane) {
    OrderMesh mesh;
    rvTestPrimitive::createUnitGrid(4.0f, kColour, &mesh);
    ASSERT_EQ(mesh.vertexCount(), 20u);
    EXPECT_EQ(mesh.primitiveCount, 10);
    EXPECT_VEC3_NEAR(mesh.getBoundsMin(), -2.0f, 0.0f, -2.0f, 0.0f);
    EXPECT_VEC3_NEAR(mesh.getBoundsMax(), 2.0f, 0.0f, 2.0f, 0.0f);
    std::set<float> alongZ, alongX;
    for (std::size_t l = 0; l < 10; ++l) {
        const rvVector3 a = mesh.position(2 * l), b = mesh.position(2 * l + 1);
        EXPECT_EQ(a.y, 0.0f);
        EXPECT_EQ(b.y, 0.0f);
        EXPECT_FLOAT_EQ(a.distance(b), 4.0f);
        if (a.x == b.x) {
            alongZ.insert(a.x);
        } else {
            EXPECT_EQ(a.z, b.z);
            alongX.insert(a.z);
        }
    }
    const std::set<float> offsets = {-2.0f, -1.0f, 0.0f, 1.0f, 2.0f};
    EXPECT_EQ(alongZ, offsets);
    EXPECT_EQ(alongX, offsets);
    for (std::size_t i = 0; i < mesh.vertexCount(); ++i) {
        EXPECT_VEC3_NEAR(mesh.normal(i), 0.0f, 1.0f, 0.0f, 0.0f);
    }
    expectColours(mesh);
}

TEST(CreateUnitGrid, OddCellCountsStayCentred) {
    OrderMesh mesh;
    rvTestPrimitive::createUnitGrid(3.7f, kColour, &mesh);
    ASSERT_EQ(mesh.vertexCount(), 16u);
    EXPECT_VEC3_NEAR(mesh.getBoundsMin(), -1.5f, 0.0f, -1.5f, 0.0f);
    EXPECT_VEC3_NEAR(mesh.getBoundsMax(), 1.5f, 0.0f, 1.5f, 0.0f);
}

TEST(CreateUnitGrid, TooSmallOrInvalidSizeGivesOneCell) {
    for (float size : {0.0f, 0.5f, -3.0f, std::nanf("")}) {
        OrderMesh mesh;
        rvTestPrimitive::createUnitGrid(size, kColour, &mesh);
        EXPECT_EQ(mesh.vertexCount(), 8u) << size;
        EXPECT_EQ(mesh.primitiveCount, 4) << size;
    }
}
