// The model as the converter merges it: the meshes with the nodes that hold them, the bones
// that move their vertices, the axes the file says it uses, and the influences cut to the four
// a mesh file holds.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <assimp/scene.h>

#include "convert.h"
#include "toolmath.h"

namespace mshconvert {

using namespace toolmath;

// The library's matrices as they are (it stores them row by row, for column vectors).
Mat4 fromAi(const aiMatrix4x4& a);

// A mesh of the model and the node that holds it.
struct Instance {
    const aiMesh* mesh;
    const aiNode* node;
    Mat4 global; // N
};

// Every mesh under node, with its node's global transform.
void collectInstances(const aiScene& scene, const aiNode* node, const Mat4& parent,
                      std::vector<Instance>* out);

// A bone of the output: a node and the transform that takes the merged model's vertices into
// its space.
struct Bone {
    const aiNode* node;
    Mat4 bind; // O · N⁻¹
    std::string name;
};

// The number of the bone of this node and bind transform, added when it is new.
unsigned boneOf(std::vector<Bone>* bones, const aiNode* node, const Mat4& bind);

// Up and front axes from the file's metadata (FBX says them; other formats arrive y up): the
// rotation that makes them +y and +z.
Mat4 axes(const aiScene& scene);

using Influence = std::vector<std::pair<double, unsigned>>; // (weight, bone), any number

// Four influences at most: the largest, renormalised, as bytes that sum to 255.
struct Influences {
    std::array<std::uint8_t, 4> bone{};
    std::array<std::uint8_t, 4> weight{};
};

// Counts in *report the vertices that lose influences and the largest weight lost.
Influences quantise(Influence list, Report* report);

} // namespace mshconvert
