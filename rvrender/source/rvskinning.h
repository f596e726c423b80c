// Processor skinning of positions: every vertex goes to Σ w · (p · M) over its non-zero
// influences (bone matrix M, weight w as stored; the weights need not sum to 1).
//
// The vertices are grouped once, when the skeleton and the bind pose are known, by their number
// of non-zero weights (a vertex with none goes to the origin) and then by the bones they name,
// so that each group is skinned by a loop for exactly that count with no work for the
// influences that do not exist. Consecutive vertices on the same bones (characters are made of
// such runs, a limb after another) are kept as runs: their bones' matrices are read once per
// run, and their positions and weights are stored eight vertices to a block, coordinate by
// coordinate, so that a wide register holds one coordinate of eight vertices. The remaining
// vertices are skinned one by one, each with its own bones. The skinning writes the positions
// in vertex order and computes their bounding box on the way.
//
// Three interchangeable kernels give the same results within float rounding: a scalar one
// (the reference), SSE2 (every x86-64 processor), and AVX2 with FMA, chosen at run time from
// what the processor has.
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
    // Vertices skinned in runs on shared bones (the others are skinned one by one).
    int vertexCountInRuns() const;

    // Writes the n skinned positions (3 floats each, vertex order) to out and their box to
    // *min and *max (unchanged when there are no vertices).
    void skin(const rvMatrix44* boneMatrices, float* out, rvVector3* min, rvVector3* max,
              rvSkinPath path) const;

    // Vertices in a block of a run.
    static constexpr int kBlock = 8;

private:
    struct Run {
        std::uint32_t first = 0;              // vertex of its first skinned position
        std::uint32_t count = 0;              // vertices, consecutive
        std::uint32_t data = 0;               // its first block in Group::blocks (floats)
        std::uint32_t bone[4] = {0, 0, 0, 0}; // k matrix offsets in floats (bone × 16)
    };
    struct Group {
        // Runs: per block of kBlock vertices x[8], y[8], z[8] and k weights [8]; a run's last
        // block is filled up by repeating its last vertex.
        std::vector<Run> runs;
        std::vector<float> blocks;
        // The vertices one by one.
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
