// A writer of skinned, animated meshes as binary glTF 2.0 (.glb), so that our characters open
// in standard tools, and so that tests can hand the converter models of any shape.
//
// The skeleton is flat: every joint is a child of one root node, with an identity inverse bind
// matrix, so a joint's animated transform is exactly the key that takes a bind-pose vertex to
// its posed place (rotation, then translation, then nothing else, or a scale if one is given).
// The clip holds one key per frame and a closing key equal to the first one frame later, so
// that it loops and lasts frameCount / framesPerSecond seconds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cimage.h"
#include "rvmeshfile.h"

namespace gltf {

struct Model {
    std::vector<float> positions; // 3 per vertex
    std::vector<float> normals;   // 3 per vertex, or empty
    std::vector<float> texCoords; // 2 per vertex (v up, as in our files), or empty
    std::vector<std::uint32_t> indices;
    unsigned influences = 4;           // per vertex: 4 or 8
    std::vector<std::uint16_t> joints; // `influences` per vertex
    std::vector<float> weights;        // `influences` per vertex
    unsigned jointCount = 0;
    unsigned frameCount = 0;
    double framesPerSecond = 15;
    std::vector<float> translations; // per joint, per frame: 3
    std::vector<float> rotations;    // per joint, per frame: 4 (w, x, y, z)
    std::vector<float> scales;       // per joint, per frame: 3, or empty
};

// The model of a mesh file: its geometry, skin and keys as the flat skeleton above.
Model fromMeshFile(const rvMeshFile& record, double framesPerSecond);

// The .glb image of a model, with the texture (if not null) as its base colour, stored as PNG.
std::vector<std::uint8_t> encodeGlb(const Model& model, const CImage* texture);
// Writes encodeGlb to path. False with *error set when the file cannot be written.
bool writeGlb(const std::string& path, const Model& model, const CImage* texture,
              std::string* error);

} // namespace gltf
