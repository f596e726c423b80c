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

// The four rows of a bone matrix, p · M = x·row0 + y·row1 + z·row2 + row3 (row vectors); a row
// is one 4-wide register.
void rvSkinPlan::build(const float* bindXYZ, int n, const std::uint8_t* bones,
                       const float* weights) {
    for (Group& g : mGroups) {
        g = Group();
    }
    mVertexCount = n > 0 ? n : 0;
    // Vertices with one influence are ordered by bone, so that a run of them reads the bone's
    // rows once; the others keep their order.
    std::vector<int> order(mVertexCount);
    std::iota(order.begin(), order.end(), 0);
    auto influences = [&](int v) {
        return static_cast<int>(
            std::count_if(weights + 4 * v, weights + 4 * v + 4, [](float w) { return w != 0.0f; }));
    };
    auto firstBone = [&](int v) {
        for (int j = 0; j < 4; ++j) {
            if (weights[4 * v + j] != 0.0f) {
                return bones[4 * v + j];
            }
        }
        return std::uint8_t{0};
    };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const int ka = influences(a), kb = influences(b);
        if (ka != kb) {
            return ka < kb;
        }
        return ka == 1 && firstBone(a) < firstBone(b);
    });
    for (int v : order) {
        const int k = influences(v);
        Group& g = mGroups[k];
        g.vertex.push_back(static_cast<std::uint32_t>(v));
        // With one influence the weight goes into the position, w · (p · M) = (w·p, w) · M, so
        // that the loop has no multiplication of its own for it.
        float w = 1.0f;
        for (int j = 0; k == 1 && j < 4; ++j) {
            w = weights[4 * v + j] != 0.0f ? weights[4 * v + j] : w;
        }
        g.position.insert(g.position.end(),
                          {w * bindXYZ[3 * v], w * bindXYZ[3 * v + 1], w * bindXYZ[3 * v + 2], w});
        for (int j = 0; j < 4; ++j) {
            if (weights[4 * v + j] != 0.0f) {
                g.bone.push_back(16u * bones[4 * v + j]);
                g.weight.push_back(weights[4 * v + j]);
            }
        }
    }
    // The wide kernel reads positions two vertices at a time: one spare vertex at the end.
    for (Group& g : mGroups) {
        g.position.insert(g.position.end(), 4, 0.0f);
    }
}

namespace {

struct Box {
    float lo[3] = {0, 0, 0};
    float hi[3] = {0, 0, 0};
    bool empty = true;
};

// --- The scalar kernel: the reference the others are checked against. -----------------------

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
        float* o = out + 3 * vertex[i];
        for (int c = 0; c < 3; ++c) {
            o[c] = acc[c];
            if (box->empty || acc[c] < box->lo[c]) {
                box->lo[c] = acc[c];
            }
            if (box->empty || acc[c] > box->hi[c]) {
                box->hi[c] = acc[c];
            }
        }
        box->empty = false;
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

#endif // RV_SKIN_X86

using Kernel = void (*)(const std::uint32_t*, int, int, const float*, const std::uint32_t*,
                        const float*, const float*, float*, Box*);

Kernel kernelFor(rvSkinPath path) {
#if RV_SKIN_X86
    switch (path) {
    case rvSkinPath::kAVX2:
        return skinAVX2;
    case rvSkinPath::kSSE2:
        return skinSSE2;
    default:
        break;
    }
#endif
    (void)path;
    return skinScalar;
}

} // namespace

void rvSkinPlan::skin(const rvMatrix44* boneMatrices, float* out, rvVector3* min, rvVector3* max,
                      rvSkinPath path) const {
    const Kernel kernel = kernelFor(path);
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
        kernel(g.vertex.data(), static_cast<int>(g.vertex.size()), k, g.position.data(),
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
