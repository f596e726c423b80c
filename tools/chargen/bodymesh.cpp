#include "bodymesh.h"

#include <algorithm>
#include <cassert>

namespace chargen {

std::vector<Influence> skinWeights(const TubeDesc& desc, double f, const V3& bindPoint) {
    assert(!desc.bones.empty() && desc.joints.size() + 1 == desc.bones.size() &&
           desc.blend.size() == desc.joints.size());
    f = clamp01(f);
    std::vector<Influence> out;
    double carry = 1.0;
    for (size_t k = 0; k < desc.joints.size(); ++k) {
        double h = desc.blend[k] > 0.0 ? smoothstep(desc.joints[k] - desc.blend[k],
                                                    desc.joints[k] + desc.blend[k], f)
                                       : (f >= desc.joints[k] ? 1.0 : 0.0);
        out.push_back({desc.bones[k], carry * (1.0 - h)});
        carry *= h;
    }
    out.push_back({desc.bones.back(), carry});
    for (const SoftInfluence& s : desc.extra) {
        V3 d = bindPoint - s.center;
        double r = length(V3(d.x / s.radii.x, d.y / s.radii.y, d.z / s.radii.z));
        double e = s.strength * (1.0 - smoothstep(0.5, 1.0, r));
        if (e <= 0.0)
            continue;
        for (Influence& i : out)
            i.weight *= 1.0 - e;
        out.push_back({s.bone, e});
    }
    // One entry per bone, only positive weights.
    std::vector<Influence> merged;
    for (const Influence& i : out) {
        if (i.weight <= 0.0)
            continue;
        auto it = std::find_if(merged.begin(), merged.end(),
                               [&](const Influence& m) { return m.bone == i.bone; });
        if (it == merged.end())
            merged.push_back(i);
        else
            it->weight += i.weight;
    }
    return merged;
}

void quantiseWeights(std::vector<Influence> influences, int fallbackBone,
                     std::array<std::uint8_t, 4>& bones, std::array<std::uint8_t, 4>& weights) {
    std::stable_sort(influences.begin(), influences.end(),
                     [](const Influence& a, const Influence& b) { return a.weight > b.weight; });
    if (influences.size() > 4)
        influences.resize(4);
    double sum = 0.0;
    for (const Influence& i : influences)
        sum += i.weight;
    int total = 0;
    for (int k = 0; k < 4; ++k) {
        bool used = k < static_cast<int>(influences.size()) && sum > 0.0;
        bones[k] = static_cast<std::uint8_t>(used ? influences[k].bone : fallbackBone);
        int w = used ? static_cast<int>(std::lround(influences[k].weight / sum * 255.0)) : 0;
        weights[k] = static_cast<std::uint8_t>(w);
        total += w;
    }
    if (influences.empty() || sum <= 0.0) {
        weights[0] = 255;
        return;
    }
    // Rounding may leave the sum a few counts off 255: the largest weight absorbs it.
    weights[0] = static_cast<std::uint8_t>(weights[0] + (255 - total));
}

namespace {

// Adds one part's vertices, triangles and skin to the mesh.
void appendPart(const Tube& tube, int partIndex, BodyMesh& mesh) {
    const TubeDesc& d = tube.desc();
    const int seg = d.segments;
    const std::vector<double> ts = tube.ringParameters();
    const int rings = static_cast<int>(ts.size()); // both poles included
    const uint32_t base = static_cast<uint32_t>(mesh.positions.size());
    const int fallback = d.bones.front();
    const UVRect uv = uvInside(d.uv);

    auto addVertex = [&](const V3& p, double u, double t) {
        mesh.positions.push_back(p);
        mesh.texCoords.push_back(uv.u0 + u * (uv.u1 - uv.u0));
        mesh.texCoords.push_back(uv.v0 + t * (uv.v1 - uv.v0));
        std::array<std::uint8_t, 4> bones, weights;
        quantiseWeights(skinWeights(d, tube.axial(t), p), fallback, bones, weights);
        mesh.boneIndices.insert(mesh.boneIndices.end(), bones.begin(), bones.end());
        mesh.boneWeights.insert(mesh.boneWeights.end(), weights.begin(), weights.end());
        mesh.part.push_back(partIndex);
    };

    addVertex(tube.point(0.0, 0.0), 0.5, 0.0);
    for (int r = 1; r < rings - 1; ++r) {
        for (int j = 0; j <= seg; ++j) {
            double u = static_cast<double>(j) / seg;
            addVertex(tube.point(2.0 * kPi * u, ts[r]), u, ts[r]);
        }
    }
    addVertex(tube.point(0.0, 1.0), 0.5, 1.0);

    const uint32_t startPole = base;
    const uint32_t endPole = base + 1 + (rings - 2) * (seg + 1);
    auto ring = [&](int r, int j) { return base + 1 + (r - 1) * (seg + 1) + j; };
    for (int j = 0; j < seg; ++j)
        mesh.indices.insert(mesh.indices.end(), {startPole, ring(1, j + 1), ring(1, j)});
    for (int r = 1; r + 1 < rings - 1; ++r) {
        for (int j = 0; j < seg; ++j) {
            uint32_t a = ring(r, j), b = ring(r, j + 1), c = ring(r + 1, j + 1), e = ring(r + 1, j);
            mesh.indices.insert(mesh.indices.end(), {a, b, c, a, c, e});
        }
    }
    for (int j = 0; j < seg; ++j)
        mesh.indices.insert(mesh.indices.end(),
                            {ring(rings - 2, j), ring(rings - 2, j + 1), endPole});
}

// Area-weighted face normals and texture-space tangents summed per vertex; the two copies
// of every seam vertex share their sums so the surface shows no seam.
void computeFrames(const std::vector<Tube>& parts, BodyMesh& mesh) {
    const size_t n = mesh.positions.size();
    std::vector<V3> nsum(n), ssum(n), tsum(n);
    for (size_t i = 0; i + 2 < mesh.indices.size(); i += 3) {
        uint32_t a = mesh.indices[i], b = mesh.indices[i + 1], c = mesh.indices[i + 2];
        V3 e1 = mesh.positions[b] - mesh.positions[a];
        V3 e2 = mesh.positions[c] - mesh.positions[a];
        V3 fn = cross(e1, e2);
        nsum[a] += fn;
        nsum[b] += fn;
        nsum[c] += fn;
        double du1 = mesh.texCoords[2 * b] - mesh.texCoords[2 * a];
        double dv1 = mesh.texCoords[2 * b + 1] - mesh.texCoords[2 * a + 1];
        double du2 = mesh.texCoords[2 * c] - mesh.texCoords[2 * a];
        double dv2 = mesh.texCoords[2 * c + 1] - mesh.texCoords[2 * a + 1];
        double det = du1 * dv2 - du2 * dv1;
        if (std::fabs(det) < 1e-14)
            continue;
        double area = length(fn);
        // Directions of increasing u and v, weighted by the triangle's area.
        V3 sdir = normalized((e1 * dv2 - e2 * dv1) * (1.0 / det)) * area;
        V3 tdir = normalized((e2 * du1 - e1 * du2) * (1.0 / det)) * area;
        for (uint32_t v : {a, b, c}) {
            ssum[v] += sdir;
            tsum[v] += tdir;
        }
    }
    uint32_t base = 0;
    for (const Tube& tube : parts) {
        const int seg = tube.desc().segments;
        const int rings = static_cast<int>(tube.ringParameters().size());
        for (int r = 1; r < rings - 1; ++r) {
            uint32_t first = base + 1 + (r - 1) * (seg + 1), last = first + seg;
            for (std::vector<V3>* sums : {&nsum, &ssum, &tsum}) {
                V3 s = (*sums)[first] + (*sums)[last];
                (*sums)[first] = (*sums)[last] = s;
            }
        }
        base += 2 + (rings - 2) * (seg + 1);
    }
    mesh.normals.resize(n);
    mesh.tangents.resize(4 * n);
    for (size_t v = 0; v < n; ++v) {
        V3 nn = normalized(nsum[v]);
        V3 t = normalized(ssum[v] - nn * dot(nn, ssum[v]));
        if (length(t) == 0.0) {
            // Poles have no u direction of their own: any direction across the normal.
            t = normalized(cross(std::fabs(nn.y) < 0.9 ? V3(0, 1, 0) : V3(1, 0, 0), nn));
        }
        mesh.normals[v] = nn;
        mesh.tangents[4 * v] = t.x;
        mesh.tangents[4 * v + 1] = t.y;
        mesh.tangents[4 * v + 2] = t.z;
        mesh.tangents[4 * v + 3] = dot(cross(nn, t), tsum[v]) < 0.0 ? -1.0 : 1.0;
    }
}

} // namespace

BodyMesh buildBodyMesh(const std::vector<Tube>& parts) {
    BodyMesh mesh;
    for (size_t p = 0; p < parts.size(); ++p)
        appendPart(parts[p], static_cast<int>(p), mesh);
    computeFrames(parts, mesh);
    return mesh;
}

} // namespace chargen
