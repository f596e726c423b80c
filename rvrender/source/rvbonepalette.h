// Splitting a skinned mesh into parts for a bone palette: a vertex shader holds only so many
// bone matrices (its palette), so a model with more bones is drawn part by part, each part's
// triangles moved by at most a palette's worth of bones, with that palette uploaded before the
// part is drawn.
//
// A part lists its bones (palette slot → bone of the model), its vertices (part vertex → vertex
// of the model), its triangles in its own vertex numbers, and four bone indices per vertex that
// are palette slots. A vertex used by triangles of two parts is in both, with slots of each
// part's palette. Only influences of non-zero weight count; an influence of weight 0 gets slot
// 0, which moves nothing.
#pragma once

#include <cstdint>
#include <vector>

struct rvBonePart {
    std::vector<int> bones;
    std::vector<std::uint32_t> vertices;
    std::vector<std::uint32_t> indices;
    std::vector<std::uint8_t> boneIndices;
};

// Splits the triangles (three indices each, into vertexCount vertices with four bone indices and
// four weights each) into parts of at most paletteBones bones. Triangles keep their order within
// a part. A part is filled with every remaining triangle that still fits its palette, in mesh
// order, before the next is begun, so a mesh whose bones fit is one part. Empty when a single
// triangle needs more bones than the palette holds, or an index is not below vertexCount.
std::vector<rvBonePart> rvSplitByBones(const std::uint32_t* indices, std::size_t indexCount,
                                       int vertexCount, const std::uint8_t* boneIndices,
                                       const float* weights, int paletteBones);
