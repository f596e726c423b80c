// Turns a figure's body parts into one indexed triangle mesh with smooth outward normals,
// texture coordinates in each part's atlas rectangle, tangents and four skin influences per
// vertex.
//
// Each part keeps its own vertices (parts overlap like the pieces of a doll; they are not
// welded). Per part the vertices are the start pole, the rings from start to end with a seam
// copy of the first vertex at the end of every ring (u = 1), and the end pole. Triangles wind
// counter-clockwise seen from outside.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "toolmath.h"
#include "tube.h"

namespace chargen {

using namespace toolmath;

struct BodyMesh {
    std::vector<V3> positions;
    std::vector<V3> normals;
    std::vector<double> texCoords; // u, v per vertex (v = 0 at the top of the picture)
    std::vector<double> tangents;  // x, y, z and handedness ±1 per vertex
    std::vector<std::uint32_t> indices;
    // Four influences per vertex; the weight bytes of a vertex sum to 255 exactly, so the
    // weights the engine reads (byte / 255) sum to 1 up to float rounding.
    std::vector<std::uint8_t> boneIndices;
    std::vector<std::uint8_t> boneWeights;
    std::vector<int> part; // the part each vertex belongs to

    int vertexCount() const { return static_cast<int>(positions.size()); }
    int triangleCount() const { return static_cast<int>(indices.size() / 3); }
};

struct Influence {
    int bone;
    double weight;
};

// The influences of a point of a part: the bones along the axis blended by the axial
// fraction f (clamped to the body), then the part's soft regions at the bind-pose point.
// Weights are positive and sum to 1; each bone appears once.
std::vector<Influence> skinWeights(const TubeDesc& desc, double f, const V3& bindPoint);

// Keeps the four largest influences and turns them into bytes that sum to exactly 255 (the
// rounding remainder goes to the largest). Unused slots get bone `fallbackBone` and weight 0.
void quantiseWeights(std::vector<Influence> influences, int fallbackBone,
                     std::array<std::uint8_t, 4>& bones, std::array<std::uint8_t, 4>& weights);

BodyMesh buildBodyMesh(const std::vector<Tube>& parts);

} // namespace chargen
