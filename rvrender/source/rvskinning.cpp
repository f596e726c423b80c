#include "rvskinning.h"

#include <algorithm>
#include <cassert>
#include <numeric>

#if defined(__x86_64__) || defined(_M_X64)
#include <immintrin.h>
#define RV_SKIN_X86 1
#else
#define RV_SKIN_X86 0
#endif

// The wide kernels' loops over coordinates and bones are unrolled before the compiler places
// their registers, so that rows, sums and boxes stay in registers rather than on the stack.
#if defined(__GNUC__) && !defined(__clang__)
#define RV_UNROLL _Pragma("GCC unroll 16")
#else
#define RV_UNROLL
#endif

namespace {

// A run is only worth its matrix set-up and its padded last block from this length on.
constexpr int kMinRun = 2 * rvSkinPlan::kBlock;

// A vertex's non-zero influences, ordered by bone so that vertices on the same bones compare
// equal whatever slots their file used.
struct Influences {
    int count = 0;
    std::uint8_t bone[4] = {0, 0, 0, 0};
    float weight[4] = {0, 0, 0, 0};

    bool sameBones(const Influences& o) const {
        return count == o.count && std::equal(bone, bone + count, o.bone);
    }
    bool operator<(const Influences& o) const {
        return count != o.count
                   ? count < o.count
                   : std::lexicographical_compare(bone, bone + count, o.bone, o.bone + o.count);
    }
};

} // namespace

void rvSkinPlan::build(const float* bindXYZ, int n, const std::uint8_t* bones,
                       const float* weights) {
    for (Group& g : mGroups) {
        g = Group();
    }
    mVertexCount = n > 0 ? n : 0;
    std::vector<Influences> of(mVertexCount);
    for (int v = 0; v < mVertexCount; ++v) {
        Influences& in = of[v];
        for (int j = 0; j < 4; ++j) {
            if (weights[4 * v + j] != 0.0f) {
                int at = in.count++;
                for (; at > 0 && in.bone[at - 1] > bones[4 * v + j]; --at) {
                    in.bone[at] = in.bone[at - 1];
                    in.weight[at] = in.weight[at - 1];
                }
                in.bone[at] = bones[4 * v + j];
                in.weight[at] = weights[4 * v + j];
            }
        }
    }
    // Ordered by influence count and bones, keeping the vertex order among equals, so that a
    // run of consecutive vertices on the same bones stays together.
    std::vector<int> order(mVertexCount);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return of[a] < of[b]; });

    auto addRun = [&](const int* first, int count) {
        const Influences& in = of[first[0]];
        Group& g = mGroups[in.count];
        Run run;
        run.first = static_cast<std::uint32_t>(first[0]);
        run.count = static_cast<std::uint32_t>(count);
        run.data = static_cast<std::uint32_t>(g.blocks.size());
        for (int j = 0; j < in.count; ++j) {
            run.bone[j] = 16u * in.bone[j];
        }
        g.runs.push_back(run);
        const int stride = 3 + in.count;
        for (int b = 0; b < count; b += kBlock) {
            const std::size_t at = g.blocks.size();
            g.blocks.resize(at + static_cast<std::size_t>(stride) * kBlock);
            for (int lane = 0; lane < kBlock; ++lane) {
                const int v = first[std::min(b + lane, count - 1)];
                for (int c = 0; c < 3; ++c) {
                    g.blocks[at + c * kBlock + lane] = bindXYZ[3 * v + c];
                }
                for (int j = 0; j < in.count; ++j) {
                    g.blocks[at + (3 + j) * kBlock + lane] = of[v].weight[j];
                }
            }
        }
    };
    auto addOne = [&](int v) {
        const Influences& in = of[v];
        Group& g = mGroups[in.count];
        g.vertex.push_back(static_cast<std::uint32_t>(v));
        // With one influence the weight goes into the position, w · (p · M) = (w·p, w) · M, so
        // that the loop has no multiplication of its own for it.
        const float w = in.count == 1 ? in.weight[0] : 1.0f;
        g.position.insert(g.position.end(),
                          {w * bindXYZ[3 * v], w * bindXYZ[3 * v + 1], w * bindXYZ[3 * v + 2], w});
        for (int j = 0; j < in.count; ++j) {
            g.bone.push_back(16u * in.bone[j]);
            g.weight.push_back(in.weight[j]);
        }
    };
    for (int i = 0; i < mVertexCount;) {
        int end = i + 1;
        while (end < mVertexCount && order[end] == order[end - 1] + 1 &&
               of[order[end]].sameBones(of[order[i]])) {
            ++end;
        }
        if (of[order[i]].count > 0 && end - i >= kMinRun) {
            addRun(&order[i], end - i);
        } else {
            for (int k = i; k < end; ++k) {
                addOne(order[k]);
            }
        }
        i = end;
    }
    // The wide kernel reads positions two vertices at a time: one spare vertex at the end.
    for (Group& g : mGroups) {
        g.position.insert(g.position.end(), 4, 0.0f);
    }
}

int rvSkinPlan::vertexCountInRuns() const {
    int count = 0;
    for (const Group& g : mGroups) {
        for (const Run& run : g.runs) {
            count += static_cast<int>(run.count);
        }
    }
    return count;
}

namespace {

struct Box {
    float lo[3] = {0, 0, 0};
    float hi[3] = {0, 0, 0};
    bool empty = true;
};

constexpr int kBlock = rvSkinPlan::kBlock;

// Writes a skinned position and grows the box by it.
void store(const float* p, float* o, Box* box) {
    for (int c = 0; c < 3; ++c) {
        o[c] = p[c];
        if (box->empty || p[c] < box->lo[c]) {
            box->lo[c] = p[c];
        }
        if (box->empty || p[c] > box->hi[c]) {
            box->hi[c] = p[c];
        }
    }
    box->empty = false;
}

// --- The scalar kernels: the reference the others are checked against. ----------------------

void skinScalar(const std::uint32_t* vertex, int n, int k, const float* position,
                const std::uint32_t* bone, const float* weight, const float* matrices, float* out,
                Box* box) {
    for (int i = 0; i < n; ++i) {
        const float* p = position + 4 * i;
        float acc[3] = {0, 0, 0};
        for (int j = 0; j < k; ++j) {
            const float* m = matrices + bone[k * i + j];
            if (k == 1) { // the weight is in the position
                for (int c = 0; c < 3; ++c) {
                    acc[c] = p[0] * m[c] + p[1] * m[4 + c] + p[2] * m[8 + c] + p[3] * m[12 + c];
                }
                continue;
            }
            const float w = weight[k * i + j];
            for (int c = 0; c < 3; ++c) {
                acc[c] += (p[0] * m[c] + p[1] * m[4 + c] + p[2] * m[8 + c] + m[12 + c]) * w;
            }
        }
        store(acc, out + 3 * vertex[i], box);
    }
}

// A run's vertices: lane `lane` of block `block`, the coordinates then the weights.
void runScalar(int k, std::uint32_t first, int count, const std::uint32_t* bone,
               const float* blocks, const float* matrices, float* out, Box* box) {
    const int stride = (3 + k) * kBlock;
    for (int i = 0; i < count; ++i) {
        const float* b = blocks + (i / kBlock) * stride;
        const int lane = i % kBlock;
        const float x = b[lane], y = b[kBlock + lane], z = b[2 * kBlock + lane];
        float acc[3] = {0, 0, 0};
        for (int j = 0; j < k; ++j) {
            const float* m = matrices + bone[j];
            const float w = b[(3 + j) * kBlock + lane];
            for (int c = 0; c < 3; ++c) {
                acc[c] += (x * m[c] + y * m[4 + c] + z * m[8 + c] + m[12 + c]) * w;
            }
        }
        store(acc, out + 3 * (first + i), box);
    }
}

#if RV_SKIN_X86

inline void store3(float* o, __m128 v) {
    _mm_storel_pi(reinterpret_cast<__m64*>(o), v);
    _mm_store_ss(o + 2, _mm_movehl_ps(v, v));
}

inline void mergeBox(__m128 lo, __m128 hi, Box* box) {
    alignas(16) float l[4], h[4];
    _mm_store_ps(l, lo);
    _mm_store_ps(h, hi);
    for (int c = 0; c < 3; ++c) {
        box->lo[c] = box->empty ? l[c] : std::min(box->lo[c], l[c]);
        box->hi[c] = box->empty ? h[c] : std::max(box->hi[c], h[c]);
    }
    box->empty = false;
}

// --- SSE2: one vertex per step, a matrix row per register. ------------------------------------
// The four rows of a bone matrix, p · M = x·row0 + y·row1 + z·row2 + row3 (row vectors); a row
// is one 4-wide register.

inline __m128 transformSSE(__m128 p, const float* m) {
    const __m128 x = _mm_shuffle_ps(p, p, 0x00);
    const __m128 y = _mm_shuffle_ps(p, p, 0x55);
    const __m128 z = _mm_shuffle_ps(p, p, 0xAA);
    return _mm_add_ps(
        _mm_add_ps(_mm_mul_ps(x, _mm_loadu_ps(m)), _mm_mul_ps(y, _mm_loadu_ps(m + 4))),
        _mm_add_ps(_mm_mul_ps(z, _mm_loadu_ps(m + 8)), _mm_loadu_ps(m + 12)));
}

void skinSSE2(const std::uint32_t* vertex, int n, int k, const float* position,
              const std::uint32_t* bone, const float* weight, const float* matrices, float* out,
              Box* box) {
    if (n == 0) {
        return;
    }
    __m128 lo = _mm_set1_ps(3.4e38f), hi = _mm_set1_ps(-3.4e38f);
    if (k == 1) {
        // Runs of vertices on one bone (the plan orders them so): its rows are read once per
        // run, and the weight is in the position.
        for (int i = 0; i < n;) {
            const std::uint32_t b = bone[i];
            const float* m = matrices + b;
            const __m128 r0 = _mm_loadu_ps(m), r1 = _mm_loadu_ps(m + 4);
            const __m128 r2 = _mm_loadu_ps(m + 8), r3 = _mm_loadu_ps(m + 12);
            for (; i < n && bone[i] == b; ++i) {
                const __m128 p = _mm_loadu_ps(position + 4 * i);
                const __m128 acc =
                    _mm_add_ps(_mm_add_ps(_mm_mul_ps(_mm_shuffle_ps(p, p, 0x00), r0),
                                          _mm_mul_ps(_mm_shuffle_ps(p, p, 0x55), r1)),
                               _mm_add_ps(_mm_mul_ps(_mm_shuffle_ps(p, p, 0xAA), r2),
                                          _mm_mul_ps(_mm_shuffle_ps(p, p, 0xFF), r3)));
                store3(out + 3 * vertex[i], acc);
                lo = _mm_min_ps(lo, acc);
                hi = _mm_max_ps(hi, acc);
            }
        }
        mergeBox(lo, hi, box);
        return;
    }
    for (int i = 0; i < n; ++i) {
        const __m128 p = _mm_loadu_ps(position + 4 * i);
        __m128 acc =
            _mm_mul_ps(transformSSE(p, matrices + bone[k * i]), _mm_set1_ps(weight[k * i]));
        for (int j = 1; j < k; ++j) {
            acc = _mm_add_ps(acc, _mm_mul_ps(transformSSE(p, matrices + bone[k * i + j]),
                                             _mm_set1_ps(weight[k * i + j])));
        }
        store3(out + 3 * vertex[i], acc);
        lo = _mm_min_ps(lo, acc);
        hi = _mm_max_ps(hi, acc);
    }
    mergeBox(lo, hi, box);
}

// A run, four vertices per step: one coordinate of four vertices per register, the matrix
// elements broadcast once per run.

// Four vertices' coordinates (one register each) as their 12 floats in vertex order.
inline void interleave(__m128 x, __m128 y, __m128 z, __m128 o[3]) {
    const __m128 xy01 = _mm_unpacklo_ps(x, y), xy23 = _mm_unpackhi_ps(x, y);
    o[0] = _mm_shuffle_ps(xy01, _mm_shuffle_ps(z, xy01, _MM_SHUFFLE(2, 2, 0, 0)),
                          _MM_SHUFFLE(2, 0, 1, 0));
    o[1] = _mm_shuffle_ps(_mm_shuffle_ps(xy01, z, _MM_SHUFFLE(1, 1, 3, 3)), xy23,
                          _MM_SHUFFLE(1, 0, 2, 0));
    o[2] =
        _mm_shuffle_ps(_mm_shuffle_ps(z, xy23, _MM_SHUFFLE(2, 2, 2, 2)),
                       _mm_shuffle_ps(xy23, z, _MM_SHUFFLE(3, 3, 3, 3)), _MM_SHUFFLE(2, 0, 2, 0));
}

inline float lowest(__m128 v) {
    v = _mm_min_ps(v, _mm_movehl_ps(v, v));
    return _mm_cvtss_f32(_mm_min_ss(v, _mm_shuffle_ps(v, v, 1)));
}

inline float highest(__m128 v) {
    v = _mm_max_ps(v, _mm_movehl_ps(v, v));
    return _mm_cvtss_f32(_mm_max_ss(v, _mm_shuffle_ps(v, v, 1)));
}

// Grows the box by the lowest and highest of each coordinate's register.
inline void mergeLanes(const float lo[3], const float hi[3], Box* box) {
    for (int c = 0; c < 3; ++c) {
        box->lo[c] = box->empty ? lo[c] : std::min(box->lo[c], lo[c]);
        box->hi[c] = box->empty ? hi[c] : std::max(box->hi[c], hi[c]);
    }
    box->empty = false;
}

template <int K>
void runSSE2(std::uint32_t first, int count, const std::uint32_t* bone, const float* blocks,
             const float* matrices, float* out, Box* box) {
    __m128 e[K][16]; // per bone, element 4·row + coordinate (a matrix without its last column)
    RV_UNROLL
    for (int j = 0; j < K; ++j) {
        RV_UNROLL
        for (int r = 0; r < 4; ++r) {
            RV_UNROLL
            for (int c = 0; c < 3; ++c) {
                e[j][4 * r + c] = _mm_set1_ps(matrices[bone[j] + 4 * r + c]);
            }
        }
    }
    __m128 lo[3], hi[3];
    RV_UNROLL
    for (int c = 0; c < 3; ++c) {
        lo[c] = _mm_set1_ps(3.4e38f);
        hi[c] = _mm_set1_ps(-3.4e38f);
    }
    float* o = out + 3 * first;
    for (int i = 0; i < count; i += 4, o += 12) {
        const float* b = blocks + (i / kBlock) * (3 + K) * kBlock + i % kBlock;
        const __m128 x = _mm_loadu_ps(b), y = _mm_loadu_ps(b + kBlock);
        const __m128 z = _mm_loadu_ps(b + 2 * kBlock);
        __m128 acc[3];
        RV_UNROLL
        for (int j = 0; j < K; ++j) {
            const __m128 w = _mm_loadu_ps(b + (3 + j) * kBlock);
            RV_UNROLL
            for (int c = 0; c < 3; ++c) {
                const __m128 t =
                    _mm_add_ps(_mm_add_ps(_mm_mul_ps(x, e[j][c]), _mm_mul_ps(y, e[j][4 + c])),
                               _mm_add_ps(_mm_mul_ps(z, e[j][8 + c]), e[j][12 + c]));
                acc[c] = j == 0 ? _mm_mul_ps(t, w) : _mm_add_ps(acc[c], _mm_mul_ps(t, w));
            }
        }
        RV_UNROLL
        for (int c = 0; c < 3; ++c) {
            lo[c] = _mm_min_ps(lo[c], acc[c]);
            hi[c] = _mm_max_ps(hi[c], acc[c]);
        }
        __m128 v[3];
        interleave(acc[0], acc[1], acc[2], v);
        if (count - i >= 4) {
            for (int q = 0; q < 3; ++q) {
                _mm_storeu_ps(o + 4 * q, v[q]);
            }
        } else { // the run's last vertices; the block's spare lanes repeat the last one
            alignas(16) float rest[12];
            for (int q = 0; q < 3; ++q) {
                _mm_store_ps(rest + 4 * q, v[q]);
            }
            std::copy(rest, rest + 3 * (count - i), o);
        }
    }
    float l[3], h[3];
    RV_UNROLL
    for (int c = 0; c < 3; ++c) {
        l[c] = lowest(lo[c]);
        h[c] = highest(hi[c]);
    }
    mergeLanes(l, h, box);
}

// --- AVX2 with FMA: two vertices per step, each in one half of a register. --------------------

__attribute__((target("avx2,fma"))) inline __m256 rowPair(const float* a, const float* b) {
    return _mm256_insertf128_ps(_mm256_castps128_ps256(_mm_loadu_ps(a)), _mm_loadu_ps(b), 1);
}

__attribute__((target("avx2,fma"))) inline __m256 transformAVX(__m256 p, const float* a,
                                                               const float* b) {
    __m256 r = _mm256_fmadd_ps(_mm256_permute_ps(p, 0x00), rowPair(a, b), rowPair(a + 12, b + 12));
    r = _mm256_fmadd_ps(_mm256_permute_ps(p, 0x55), rowPair(a + 4, b + 4), r);
    return _mm256_fmadd_ps(_mm256_permute_ps(p, 0xAA), rowPair(a + 8, b + 8), r);
}

__attribute__((target("avx2,fma"))) void skinAVX2(const std::uint32_t* vertex, int n, int k,
                                                  const float* position, const std::uint32_t* bone,
                                                  const float* weight, const float* matrices,
                                                  float* out, Box* box) {
    if (n == 0) {
        return;
    }
    __m256 lo = _mm256_set1_ps(3.4e38f), hi = _mm256_set1_ps(-3.4e38f);
    if (k == 1) {
        // Runs of vertices on one bone, two at a time: the rows are read once per run and the
        // weight is in the position.
        for (int i = 0; i < n;) {
            const std::uint32_t b = bone[i];
            const float* m = matrices + b;
            const __m256 r0 = _mm256_broadcast_ps(reinterpret_cast<const __m128*>(m));
            const __m256 r1 = _mm256_broadcast_ps(reinterpret_cast<const __m128*>(m + 4));
            const __m256 r2 = _mm256_broadcast_ps(reinterpret_cast<const __m128*>(m + 8));
            const __m256 r3 = _mm256_broadcast_ps(reinterpret_cast<const __m128*>(m + 12));
            int end = i;
            while (end < n && bone[end] == b) {
                ++end;
            }
            for (; i < end; i += 2) {
                // An odd run's last vertex is paired with the next one's position, whose
                // result is not stored.
                const __m256 p = _mm256_loadu_ps(position + 4 * i);
                __m256 acc = _mm256_mul_ps(_mm256_permute_ps(p, 0xFF), r3);
                acc = _mm256_fmadd_ps(_mm256_permute_ps(p, 0xAA), r2, acc);
                acc = _mm256_fmadd_ps(_mm256_permute_ps(p, 0x55), r1, acc);
                acc = _mm256_fmadd_ps(_mm256_permute_ps(p, 0x00), r0, acc);
                const __m128 first = _mm256_castps256_ps128(acc);
                store3(out + 3 * vertex[i], first);
                if (i + 1 < end) {
                    store3(out + 3 * vertex[i + 1], _mm256_extractf128_ps(acc, 1));
                    lo = _mm256_min_ps(lo, acc);
                    hi = _mm256_max_ps(hi, acc);
                } else {
                    const __m256 one = _mm256_castps128_ps256(first);
                    lo = _mm256_min_ps(lo, _mm256_permute2f128_ps(one, one, 0x00));
                    hi = _mm256_max_ps(hi, _mm256_permute2f128_ps(one, one, 0x00));
                }
            }
            i = end;
        }
        mergeBox(_mm_min_ps(_mm256_castps256_ps128(lo), _mm256_extractf128_ps(lo, 1)),
                 _mm_max_ps(_mm256_castps256_ps128(hi), _mm256_extractf128_ps(hi, 1)), box);
        return;
    }
    int i = 0;
    for (; i + 1 < n; i += 2) {
        const __m256 p = _mm256_loadu_ps(position + 4 * i);
        const std::uint32_t* ba = bone + k * i;
        const float* wa = weight + k * i;
        __m256 acc = _mm256_mul_ps(transformAVX(p, matrices + ba[0], matrices + ba[k]),
                                   _mm256_set_m128(_mm_set1_ps(wa[k]), _mm_set1_ps(wa[0])));
        for (int j = 1; j < k; ++j) {
            acc = _mm256_fmadd_ps(transformAVX(p, matrices + ba[j], matrices + ba[k + j]),
                                  _mm256_set_m128(_mm_set1_ps(wa[k + j]), _mm_set1_ps(wa[j])), acc);
        }
        store3(out + 3 * vertex[i], _mm256_castps256_ps128(acc));
        store3(out + 3 * vertex[i + 1], _mm256_extractf128_ps(acc, 1));
        lo = _mm256_min_ps(lo, acc);
        hi = _mm256_max_ps(hi, acc);
    }
    if (i < n) { // the odd vertex: paired with itself
        const __m256 p = _mm256_broadcast_ps(reinterpret_cast<const __m128*>(position + 4 * i));
        const std::uint32_t* ba = bone + k * i;
        const float* wa = weight + k * i;
        __m256 acc = _mm256_mul_ps(transformAVX(p, matrices + ba[0], matrices + ba[0]),
                                   _mm256_set1_ps(wa[0]));
        for (int j = 1; j < k; ++j) {
            acc = _mm256_fmadd_ps(transformAVX(p, matrices + ba[j], matrices + ba[j]),
                                  _mm256_set1_ps(wa[j]), acc);
        }
        store3(out + 3 * vertex[i], _mm256_castps256_ps128(acc));
        lo = _mm256_min_ps(lo, acc);
        hi = _mm256_max_ps(hi, acc);
    }
    mergeBox(_mm_min_ps(_mm256_castps256_ps128(lo), _mm256_extractf128_ps(lo, 1)),
             _mm_max_ps(_mm256_castps256_ps128(hi), _mm256_extractf128_ps(hi, 1)), box);
}

// A run, eight vertices (a block) per step, as the SSE2 run kernel with 8-wide registers: the
// interleaving works on each half, and the halves are put in order on the way out.
template <int K>
__attribute__((target("avx2,fma"))) void runAVX2(std::uint32_t first, int count,
                                                 const std::uint32_t* bone, const float* blocks,
                                                 const float* matrices, float* out, Box* box) {
    __m256 e[K][16];
    RV_UNROLL
    for (int j = 0; j < K; ++j) {
        RV_UNROLL
        for (int r = 0; r < 4; ++r) {
            RV_UNROLL
            for (int c = 0; c < 3; ++c) {
                e[j][4 * r + c] = _mm256_set1_ps(matrices[bone[j] + 4 * r + c]);
            }
        }
    }
    __m256 lo[3], hi[3];
    RV_UNROLL
    for (int c = 0; c < 3; ++c) {
        lo[c] = _mm256_set1_ps(3.4e38f);
        hi[c] = _mm256_set1_ps(-3.4e38f);
    }
    float* o = out + 3 * first;
    const float* b = blocks;
    for (int i = 0; i < count; i += kBlock, o += 3 * kBlock, b += (3 + K) * kBlock) {
        const __m256 x = _mm256_loadu_ps(b), y = _mm256_loadu_ps(b + kBlock);
        const __m256 z = _mm256_loadu_ps(b + 2 * kBlock);
        __m256 acc[3];
        RV_UNROLL
        for (int j = 0; j < K; ++j) {
            const __m256 w = _mm256_loadu_ps(b + (3 + j) * kBlock);
            RV_UNROLL
            for (int c = 0; c < 3; ++c) {
                __m256 t = _mm256_fmadd_ps(x, e[j][c], e[j][12 + c]);
                t = _mm256_fmadd_ps(y, e[j][4 + c], t);
                t = _mm256_fmadd_ps(z, e[j][8 + c], t);
                acc[c] = j == 0 ? _mm256_mul_ps(t, w) : _mm256_fmadd_ps(t, w, acc[c]);
            }
        }
        RV_UNROLL
        for (int c = 0; c < 3; ++c) {
            lo[c] = _mm256_min_ps(lo[c], acc[c]);
            hi[c] = _mm256_max_ps(hi[c], acc[c]);
        }
        const __m256 xy01 = _mm256_unpacklo_ps(acc[0], acc[1]);
        const __m256 xy23 = _mm256_unpackhi_ps(acc[0], acc[1]);
        const __m256 z0 = acc[2];
        const __m256 v0 = _mm256_shuffle_ps(
            xy01, _mm256_shuffle_ps(z0, xy01, _MM_SHUFFLE(2, 2, 0, 0)), _MM_SHUFFLE(2, 0, 1, 0));
        const __m256 v1 = _mm256_shuffle_ps(_mm256_shuffle_ps(xy01, z0, _MM_SHUFFLE(1, 1, 3, 3)),
                                            xy23, _MM_SHUFFLE(1, 0, 2, 0));
        const __m256 v2 = _mm256_shuffle_ps(_mm256_shuffle_ps(z0, xy23, _MM_SHUFFLE(2, 2, 2, 2)),
                                            _mm256_shuffle_ps(xy23, z0, _MM_SHUFFLE(3, 3, 3, 3)),
                                            _MM_SHUFFLE(2, 0, 2, 0));
        const __m256 q0 = _mm256_permute2f128_ps(v0, v1, 0x20);
        const __m256 q1 = _mm256_permute2f128_ps(v2, v0, 0x30);
        const __m256 q2 = _mm256_permute2f128_ps(v1, v2, 0x31);
        if (count - i >= kBlock) {
            _mm256_storeu_ps(o, q0);
            _mm256_storeu_ps(o + 8, q1);
            _mm256_storeu_ps(o + 16, q2);
        } else { // the run's last vertices; the block's spare lanes repeat the last one
            alignas(32) float rest[3 * kBlock];
            _mm256_store_ps(rest, q0);
            _mm256_store_ps(rest + 8, q1);
            _mm256_store_ps(rest + 16, q2);
            std::copy(rest, rest + 3 * (count - i), o);
        }
    }
    float l[3], h[3];
    RV_UNROLL
    for (int c = 0; c < 3; ++c) {
        l[c] = lowest(_mm_min_ps(_mm256_castps256_ps128(lo[c]), _mm256_extractf128_ps(lo[c], 1)));
        h[c] = highest(_mm_max_ps(_mm256_castps256_ps128(hi[c]), _mm256_extractf128_ps(hi[c], 1)));
    }
    mergeLanes(l, h, box);
}

#endif // RV_SKIN_X86

using Kernel = void (*)(const std::uint32_t*, int, int, const float*, const std::uint32_t*,
                        const float*, const float*, float*, Box*);
using RunKernel = void (*)(std::uint32_t, int, const std::uint32_t*, const float*, const float*,
                           float*, Box*);

template <template <int> class Family> RunKernel forCount(int k) {
    switch (k) {
    case 1:
        return Family<1>::run;
    case 2:
        return Family<2>::run;
    case 3:
        return Family<3>::run;
    default:
        return Family<4>::run;
    }
}

template <int K> struct Scalar {
    static void run(std::uint32_t first, int count, const std::uint32_t* bone, const float* blocks,
                    const float* matrices, float* out, Box* box) {
        runScalar(K, first, count, bone, blocks, matrices, out, box);
    }
};
#if RV_SKIN_X86
template <int K> struct SSE2 { static constexpr RunKernel run = runSSE2<K>; };
template <int K> struct AVX2 { static constexpr RunKernel run = runAVX2<K>; };
#endif

struct Kernels {
    Kernel one;        // vertices one by one
    RunKernel runs[5]; // runs by influence count (1…4)
};

Kernels kernelsFor(rvSkinPath path) {
    Kernels k{skinScalar, {}};
    for (int i = 1; i <= 4; ++i) {
        k.runs[i] = forCount<Scalar>(i);
    }
#if RV_SKIN_X86
    if (path == rvSkinPath::kAVX2 || path == rvSkinPath::kSSE2) {
        const bool wide = path == rvSkinPath::kAVX2;
        k.one = wide ? skinAVX2 : skinSSE2;
        for (int i = 1; i <= 4; ++i) {
            k.runs[i] = wide ? forCount<AVX2>(i) : forCount<SSE2>(i);
        }
    }
#endif
    (void)path;
    return k;
}

} // namespace

void rvSkinPlan::skin(const rvMatrix44* boneMatrices, float* out, rvVector3* min, rvVector3* max,
                      rvSkinPath path) const {
    const Kernels kernels = kernelsFor(path);
    const float* matrices = boneMatrices ? boneMatrices[0].m : nullptr;
    Box box;
    // Vertices without a weight go to the origin (a sum over no influences).
    for (std::uint32_t v : mGroups[0].vertex) {
        std::fill(out + 3 * v, out + 3 * v + 3, 0.0f);
    }
    if (!mGroups[0].vertex.empty()) {
        box.empty = false;
    }
    for (int k = 1; k <= 4; ++k) {
        const Group& g = mGroups[k];
        for (const Run& run : g.runs) {
            kernels.runs[k](run.first, static_cast<int>(run.count), run.bone,
                            g.blocks.data() + run.data, matrices, out, &box);
        }
        kernels.one(g.vertex.data(), static_cast<int>(g.vertex.size()), k, g.position.data(),
                    g.bone.data(), g.weight.data(), matrices, out, &box);
    }
    if (!box.empty && min && max) {
        *min = rvVector3(box.lo[0], box.lo[1], box.lo[2]);
        *max = rvVector3(box.hi[0], box.hi[1], box.hi[2]);
    }
}

rvSkinPath rvBestSkinPath() {
#if RV_SKIN_X86
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) {
        return rvSkinPath::kAVX2;
    }
    return rvSkinPath::kSSE2;
#else
    return rvSkinPath::kScalar;
#endif
}

namespace {
rvSkinPath& chosenPath() {
    static rvSkinPath path = rvBestSkinPath();
    return path;
}
} // namespace

rvSkinPath rvCurrentSkinPath() {
    return chosenPath();
}

void rvChooseSkinPath(rvSkinPath path) {
    chosenPath() = path;
}

std::vector<rvSkinPath> rvAvailableSkinPaths() {
    std::vector<rvSkinPath> paths = {rvSkinPath::kScalar};
#if RV_SKIN_X86
    paths.push_back(rvSkinPath::kSSE2);
    if (rvBestSkinPath() == rvSkinPath::kAVX2) {
        paths.push_back(rvSkinPath::kAVX2);
    }
#endif
    return paths;
}

const char* rvSkinPathName(rvSkinPath path) {
    switch (path) {
    case rvSkinPath::kAVX2:
        return "AVX2+FMA";
    case rvSkinPath::kSSE2:
        return "SSE2";
    default:
        return "scalar";
    }
}
