// Processor skinning of positions: every vertex goes to Σ w · (p · M) over its non-zero
// influences (bone matrix M, weight w as stored; the weights need not sum to 1).
//
// The vertices are grouped once, when the skeleton and the bind pose are known, by their number
// of non-zero weights (a vertex with none goes to the origin), so that each group is skinned by
// a loop for exactly that count with no work for the influences that do not exist. The groups
// keep their vertices' bind positions, bones and weights next to each other in the order the
// loop reads them. The skinning writes the positions in vertex order and computes their
// bounding box on the way.
//
// Three interchangeable kernels give the same results within float rounding: a scalar one
// (the reference), SSE2 (every x86-64 processor), and AVX2 with FMA (two vertices at a time),
// chosen at run time from what the processor has.
#pragma once

#include <cstdint>
#include <vector>

#include "rvmatrix.h"
#include "rvvector.h"

enum class rvSkinPath { kScalar, kSSE2, kAVX2 };

class rvSkinPlan {
public:
    // Groups n vertices (bind positions xyz, 4 bone indices and 4 weights each). Bone indices
    // must be below the bone count the matrices will have.
    void build(const float* bindXYZ, int n, const std::uint8_t* bones, const float* weights);
    int vertexCount() const { return mVertexCount; }
    // Vertices with 0…4 non-zero weights.
    int groupSize(int influences) const {
        return static_cast<int>(mGroups[influences].vertex.size());
    }

    // Writes the n skinned positions (3 floats each, vertex order) to out and their box to
    // *min and *max (unchanged when there are no vertices).
    void skin(const rvMatrix44* boneMatrices, float* out, rvVector3* min, rvVector3* max,
              rvSkinPath path) const;

private:
    struct Group {
        std::vector<std::uint32_t> vertex;
        std::vector<float> position;     // x, y, z, 1 per vertex
        std::vector<std::uint32_t> bone; // k per vertex: matrix offsets in floats (bone × 16)
        std::vector<float> weight;       // k per vertex
    };
    Group mGroups[5];
    int mVertexCount = 0;
};

// The fastest kernel this processor runs; the build's baseline is SSE2.
rvSkinPath rvBestSkinPath();
// The kernel the animated meshes use: rvBestSkinPath() unless another was chosen (tests and
// benchmarks choose each in turn).
rvSkinPath rvCurrentSkinPath();
void rvChooseSkinPath(rvSkinPath path);
// The kernels this processor runs, the scalar one first.
std::vector<rvSkinPath> rvAvailableSkinPaths();
const char* rvSkinPathName(rvSkinPath path);
