#include "rvtestprimitives.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

#include "rvmesh.h"

namespace {

// Every vertex gets the same four floats, in the order the mesh's colour setter takes them.
std::vector<float> repeatColour(rvColor4 colour, int vertexCount) {
    std::vector<float> colours;
    colours.reserve(static_cast<std::size_t>(vertexCount) * 4);
    for (int i = 0; i < vertexCount; ++i) {
        colours.insert(colours.end(), {colour.a, colour.r, colour.g, colour.b});
    }
    return colours;
}

rvVector3 uvPoint(const rvUVPair& uv) {
    return rvVector3(uv.u, uv.v, 0.0f);
}

// The geosphere's counts grow as 4^s; beyond this the index count no longer fits an int.
constexpr int kMaxGeoSphereSubdivisions = 10;
// The unit grid's cells per side are capped so that its vertex count stays small.
constexpr int kMaxGridCells = 4096;

} // namespace

void rvTestPrimitive::computeTangent(rvVector3 p0, rvVector3 t0, rvVector3 p1, rvVector3 t1,
                                     rvVector3 p2, rvVector3 t2, rvVector3 n, float out[4]) {
    rvVector3 e1 = p1 - p0;
    rvVector3 e2 = p2 - p0;
    const rvVector3 d1 = t1 - t0;
    const rvVector3 d2 = t2 - t0;
    e1.normalize();
    e2.normalize();

    // A degenerate texture mapping divides by zero here; the non-finite result is passed on.
    const float r = 1.0f / (d1.x * d2.y - d2.x * d1.y);
    rvVector3 tangent = (e1 * d2.y - e2 * d1.y) * r;
    const rvVector3 bitangent = (e2 * d1.x - e1 * d2.x) * r;
    tangent.normalize();

    out[0] = tangent.x;
    out[1] = tangent.y;
    out[2] = tangent.z;
    out[3] = n.cross(tangent).dot(bitangent) < 0.0f ? -1.0f : 1.0f;
}

void rvTestPrimitive::createPlane(float size, rvColor4 colour, rvMesh* pMesh, float orientation) {
    assert(pMesh != NULL);
    if (!pMesh) {
        return;
    }
    const float h = size / 2.0f;
    rvVector3 positions[6];
    rvVector3 normal;
    if (orientation == 0.0f) {
        const rvVector3 p[6] = {{h, 0, h},   {h, 0, -h}, {-h, 0, -h},
                                {-h, 0, -h}, {-h, 0, h}, {h, 0, h}};
        std::copy(p, p + 6, positions);
        normal = rvVector3(0.0f, 1.0f, 0.0f);
    } else {
        const rvVector3 p[6] = {{h, -h, 0}, {h, h, 0},   {-h, h, 0},
                                {-h, h, 0}, {-h, -h, 0}, {h, -h, 0}};
        std::copy(p, p + 6, positions);
        normal = rvVector3(0.0f, 0.0f, 1.0f);
    }
    const rvVector3 normals[6] = {normal, normal, normal, normal, normal, normal};
    const rvUVPair uvs[6] = {{1, 1}, {1, 0}, {0, 0}, {0, 0}, {0, 1}, {1, 1}};

    // The four distinct corners in cyclic order; each takes the tangent of the corner triangle
    // (corner, next, previous). Vertices 3 and 5 repeat vertices 2 and 0.
    const int cycle[4] = {0, 1, 2, 4};
    float tangents[6][4];
    for (int i = 0; i < 4; ++i) {
        const int c = cycle[i];
        const int next = cycle[(i + 1) % 4];
        const int prev = cycle[(i + 3) % 4];
        computeTangent(positions[c], uvPoint(uvs[c]), positions[next], uvPoint(uvs[next]),
                       positions[prev], uvPoint(uvs[prev]), normals[c], tangents[c]);
    }
    std::copy(tangents[2], tangents[2] + 4, tangents[3]);
    std::copy(tangents[0], tangents[0] + 4, tangents[5]);

    const std::vector<float> colours = repeatColour(colour, 6);
    pMesh->setPositionArray(positions, 6);
    pMesh->setUVPairArray(uvs, 6);
    pMesh->setData(tangents, static_cast<int>(sizeof(tangents)), 4);
    pMesh->setNormalArray(normals, 6);
    pMesh->setFourFloatColors(colours.data(), static_cast<int>(colours.size()));
    pMesh->setPrimitiveCount(2);
}

void rvTestPrimitive::fillCubeUVs(bool crossLayout, float uv[72]) {
    // The six vertices of a face, as fractions of the face's cell: (1,1) (1,0) (0,0) (0,0)
    // (0,1) (1,1) with u running right and v down the cell.
    static const float kCorner[6][2] = {{1, 1}, {1, 0}, {0, 0}, {0, 0}, {0, 1}, {1, 1}};
    // Cells of the horizontal cross, face by face (+z, +x, +y, −x, −y, −z): u and v edges of
    // the cell. The v edges are the decimals 0.33 and 0.66, not exact thirds.
    struct Cell {
        float u0, u1, v0, v1;
    };
    static const Cell kCross[6] = {
        {0.25f, 0.5f, 0.33f, 0.66f}, // +z
        {0.5f, 0.75f, 0.33f, 0.66f}, // +x
        {0.25f, 0.5f, 0.0f, 0.33f},  // +y
        {0.0f, 0.25f, 0.33f, 0.66f}, // −x
        {0.25f, 0.5f, 0.66f, 1.0f},  // −y
        {0.75f, 1.0f, 0.33f, 0.66f}, // −z
    };
    static const Cell kWhole = {0.0f, 1.0f, 0.0f, 1.0f};

    for (int face = 0; face < 6; ++face) {
        const Cell& cell = crossLayout ? kCross[face] : kWhole;
        for (int i = 0; i < 6; ++i) {
            float* out = uv + (face * 6 + i) * 2;
            out[0] = kCorner[i][0] != 0.0f ? cell.u1 : cell.u0;
            out[1] = kCorner[i][1] != 0.0f ? cell.v1 : cell.v0;
        }
    }
}

void rvTestPrimitive::createCube(float size, rvColor4 colour, bool inside, bool crossLayout,
                                 rvMesh* pMesh) {
    assert(pMesh != NULL);
    if (!pMesh) {
        return;
    }
    const float h = size / 2.0f;
    const rvVector3 corners[8] = {{h, -h, h},  {h, h, h},  {-h, -h, h},  {-h, h, h},
                                  {h, -h, -h}, {h, h, -h}, {-h, -h, -h}, {-h, h, -h}};
    // Faces +z, +x, +y, −x, −y, −z; triangles a b c and c d a, counter-clockwise from outside.
    static const int kFaceCorners[36] = {0, 1, 3, 3, 2, 0, 4, 5, 1, 1, 0, 4, 1, 5, 7, 7, 3, 1,
                                         2, 3, 7, 7, 6, 2, 4, 0, 2, 2, 6, 4, 6, 7, 5, 5, 4, 6};

    rvVector3 positions[36];
    rvVector3 normals[36];
    rvUVPair uvs[36];
    fillCubeUVs(crossLayout, &uvs[0].u);
    for (int i = 0; i < 36; ++i) {
        positions[i] = corners[kFaceCorners[i]];
        // The corner vector itself, of length h·√3: lit as a rounded box.
        normals[i] = positions[i];
    }

    if (inside) {
        // Swapping the last two vertices of every triangle turns its front face to the centre.
        for (int i = 1; i < 36; i += 3) {
            std::swap(positions[i], positions[i + 1]);
            std::swap(uvs[i], uvs[i + 1]);
            std::swap(normals[i], normals[i + 1]);
        }
        for (rvVector3& n : normals) {
            n = n * -1.0f;
        }
    }

    float tangents[36][4];
    for (int f = 0; f < 36; f += 6) {
        computeTangent(positions[f], uvPoint(uvs[f]), positions[f + 1], uvPoint(uvs[f + 1]),
                       positions[f + 2], uvPoint(uvs[f + 2]), normals[f], tangents[f]);
        for (int i = 1; i < 6; ++i) {
            std::copy(tangents[f], tangents[f] + 4, tangents[f + i]);
        }
    }

    const std::vector<float> colours = repeatColour(colour, 36);
    pMesh->setPositionArray(positions, 36);
    pMesh->setFourFloatColors(colours.data(), static_cast<int>(colours.size()));
    pMesh->setNormalArray(normals, 36);
    pMesh->setUVPairArray(uvs, 36);
    pMesh->setData(tangents, static_cast<int>(sizeof(tangents)), 4);
    pMesh->setPrimitiveCount(12);
}

void rvTestPrimitive::createGeoSphere(float radius, int subdivisions, bool faceNormals,
                                      rvColor4 colour, rvMesh* pMesh) {
    assert(pMesh != NULL);
    assert(subdivisions >= 0 && subdivisions <= kMaxGeoSphereSubdivisions &&
           "Subdivisions out of range - rvTestPrimitive::createGeoSphere()");
    if (!pMesh) {
        return;
    }
    const int s = subdivisions < 0 ? 0 : std::min(subdivisions, kMaxGeoSphereSubdivisions);
    const int vertexCount = 10 * (1 << (2 * s)) + 2;
    const int indexCount = 60 * (1 << (2 * s));

    std::vector<rvVector3> positions(vertexCount);
    std::vector<unsigned int> indices(indexCount, 0u);

    const float phi = 1.61803f;
    const float len = std::sqrt(phi * phi + 1.0f);
    const float a = 1.0f / len;
    const float b = phi / len;
    const rvVector3 base[12] = {{a, b, 0}, {-a, b, 0}, {a, -b, 0}, {-a, -b, 0},
                                {0, a, b}, {0, -a, b}, {0, a, -b}, {0, -a, -b},
                                {b, 0, a}, {b, 0, -a}, {-b, 0, a}, {-b, 0, -a}};
    for (int i = 0; i < 12; ++i) {
        positions[i] = base[i].normalized() * radius;
    }
    static const unsigned int kBaseFaces[60] = {1, 0, 6,  0,  1,  4, 2,  3,  7, 3, 2, 5,  8, 9,  0,
                                                9, 8, 2,  10, 11, 3, 11, 10, 1, 4, 5, 8,  5, 4,  10,
                                                6, 7, 11, 7,  6,  9, 0,  9,  6, 1, 6, 11, 1, 10, 4,
                                                0, 4, 8,  2,  7,  9, 3,  11, 7, 3, 5, 10, 2, 8,  5};
    std::copy(kBaseFaces, kBaseFaces + 60, indices.begin());

    // Each pass splits every face in four. Each edge's midpoint is made once: the second face
    // along an edge meets it in the opposite direction among the blocks written earlier in the
    // same pass, and reuses the vertex. The blocks' edges are kept in a map from directed edge
    // to midpoint, earliest block first.
    int n = 60;
    unsigned int next = 12;
    for (int pass = 0; pass < s; ++pass) {
        std::unordered_map<std::uint64_t, unsigned int> blockEdges;
        blockEdges.reserve(static_cast<std::size_t>(n) * 2);
        const auto key = [](unsigned int from, unsigned int to) {
            return (static_cast<std::uint64_t>(from) << 32) | to;
        };
        const auto midpoint = [&](unsigned int first, unsigned int second) {
            const auto found = blockEdges.find(key(second, first));
            if (found != blockEdges.end()) {
                return found->second;
            }
            positions[next] = ((positions[first] + positions[second]) * 0.5f).normalized() * radius;
            return next++;
        };

        int w = n;
        for (int f = 0; f < n; f += 3) {
            const unsigned int va = indices[f];
            const unsigned int vb = indices[f + 1];
            const unsigned int vc = indices[f + 2];
            const unsigned int mab = midpoint(va, vb);
            const unsigned int mbc = midpoint(vb, vc);
            const unsigned int mca = midpoint(vc, va);

            const unsigned int block[9] = {va, mab, mca, vb, mbc, mab, vc, mca, mbc};
            std::copy(block, block + 9, indices.begin() + w);
            blockEdges.emplace(key(va, vb), mab);
            blockEdges.emplace(key(vb, vc), mbc);
            blockEdges.emplace(key(vc, va), mca);

            indices[f] = mab;
            indices[f + 1] = mbc;
            indices[f + 2] = mca;
            w += 9;
        }
        n = w;
    }
    assert(n == indexCount && static_cast<int>(next) == vertexCount &&
           "Subdivision count mismatch - rvTestPrimitive::createGeoSphere()");

    std::vector<rvVector3> normals(vertexCount);
    if (faceNormals) {
        // A vertex shared by several triangles keeps the normal of the last one.
        for (int i = 0; i < indexCount; i += 3) {
            const rvVector3& p0 = positions[indices[i]];
            const rvVector3 faceNormal =
                (positions[indices[i + 1]] - p0).cross(positions[indices[i + 2]] - p0).normalized();
            for (int k = 0; k < 3; ++k) {
                normals[indices[i + k]] = faceNormal;
            }
        }
    } else {
        normals = positions;
    }

    const std::vector<float> uvs(static_cast<std::size_t>(vertexCount) * 2, 0.0f);
    const std::vector<float> colours = repeatColour(colour, vertexCount);
    pMesh->setPositionArray(positions.data(), vertexCount);
    pMesh->setFourFloatColors(colours.data(), static_cast<int>(colours.size()));
    pMesh->setNormalArray(normals.data(), vertexCount);
    pMesh->setIndexArray32(indices.data(), indexCount);
    pMesh->setUVs(uvs.data(), static_cast<int>(uvs.size()));
    pMesh->setPrimitiveCount(indexCount / 3);
}

void rvTestPrimitive::createUnitGrid(float size, rvColor4 colour, rvMesh* pMesh) {
    assert(pMesh && "Mesh pointer is NULL - rvTestPrimitive::createUnitGrid()");
    if (!pMesh) {
        return;
    }
    int cells = 1;
    if (size >= 1.0f) {
        cells = size >= static_cast<float>(kMaxGridCells) ? kMaxGridCells : static_cast<int>(size);
    }
    const float h = cells / 2.0f;
    const int lines = 2 * (cells + 1);
    const int vertexCount = 2 * lines;

    std::vector<rvVector3> positions;
    std::vector<rvUVPair> uvs;
    positions.reserve(vertexCount);
    uvs.reserve(vertexCount);
    const auto add = [&](float x, float z) {
        positions.emplace_back(x, 0.0f, z);
        uvs.push_back(rvUVPair{(x + h) / (2.0f * h), (z + h) / (2.0f * h)});
    };
    for (int i = 0; i <= cells; ++i) { // parallel to z, by increasing x
        add(-h + i, -h);
        add(-h + i, h);
    }
    for (int i = 0; i <= cells; ++i) { // parallel to x, by increasing z
        add(-h, -h + i);
        add(h, -h + i);
    }
    const std::vector<rvVector3> normals(vertexCount, rvVector3(0.0f, 1.0f, 0.0f));

    const std::vector<float> colours = repeatColour(colour, vertexCount);
    pMesh->setPositionArray(positions.data(), vertexCount);
    pMesh->setFourFloatColors(colours.data(), static_cast<int>(colours.size()));
    pMesh->setNormalArray(normals.data(), vertexCount);
    pMesh->setUVPairArray(uvs.data(), vertexCount);
    pMesh->setPrimitiveCount(lines);
}
