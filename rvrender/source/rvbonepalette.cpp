#include "rvbonepalette.h"

#include <bitset>

namespace {

using BoneSet = std::bitset<256>;

// The bones that move a triangle.
BoneSet bonesOf(const std::uint32_t* triangle, const std::uint8_t* boneIndices,
                const float* weights) {
    BoneSet bones;
    for (int corner = 0; corner < 3; ++corner) {
        const std::size_t v = triangle[corner];
        for (int k = 0; k < 4; ++k) {
            if (weights[4 * v + k] != 0.0f) {
                bones.set(boneIndices[4 * v + k]);
            }
        }
    }
    return bones;
}

} // namespace

std::vector<rvBonePart> rvSplitByBones(const std::uint32_t* indices, std::size_t indexCount,
                                       int vertexCount, const std::uint8_t* boneIndices,
                                       const float* weights, int paletteBones) {
    const std::size_t triangles = indexCount / 3;
    std::vector<BoneSet> needs(triangles);
    for (std::size_t t = 0; t < triangles; ++t) {
        for (int corner = 0; corner < 3; ++corner) {
            if (indices[3 * t + corner] >= static_cast<std::uint32_t>(vertexCount)) {
                return {};
            }
        }
        needs[t] = bonesOf(&indices[3 * t], boneIndices, weights);
        if (needs[t].count() > static_cast<std::size_t>(paletteBones)) {
            return {};
        }
    }

    std::vector<rvBonePart> parts;
    std::vector<std::size_t> remaining(triangles);
    for (std::size_t t = 0; t < triangles; ++t) {
        remaining[t] = t;
    }
    std::vector<int> partVertex(static_cast<std::size_t>(vertexCount), -1);
    while (!remaining.empty()) {
        BoneSet used;
        std::vector<std::size_t> taken, left;
        for (std::size_t t : remaining) {
            const BoneSet with = used | needs[t];
            if (with.count() <= static_cast<std::size_t>(paletteBones)) {
                used = with;
                taken.push_back(t);
            } else {
                left.push_back(t);
            }
        }
        rvBonePart part;
        int slotOf[256];
        for (int b = 0; b < 256; ++b) {
            if (used.test(b)) {
                slotOf[b] = static_cast<int>(part.bones.size());
                part.bones.push_back(b);
            }
        }
        for (std::size_t t : taken) {
            for (int corner = 0; corner < 3; ++corner) {
                const std::uint32_t v = indices[3 * t + corner];
                if (partVertex[v] < 0) {
                    partVertex[v] = static_cast<int>(part.vertices.size());
                    part.vertices.push_back(v);
                    for (int k = 0; k < 4; ++k) {
                        const bool moves = weights[4 * v + k] != 0.0f;
                        part.boneIndices.push_back(
                            static_cast<std::uint8_t>(moves ? slotOf[boneIndices[4 * v + k]] : 0));
                    }
                }
                part.indices.push_back(static_cast<std::uint32_t>(partVertex[v]));
            }
        }
        for (std::uint32_t v : part.vertices) {
            partVertex[v] = -1;
        }
        parts.push_back(std::move(part));
        remaining.swap(left);
    }
    return parts;
}
