#include "skeleton.h"

#include <algorithm>
#include <cmath>

namespace mshconvert {

Mat4 fromAi(const aiMatrix4x4& a) {
    Mat4 r;
    const ai_real* src = &a.a1;
    for (int i = 0; i < 16; ++i)
        r.m[i / 4][i % 4] = src[i];
    return r;
}

void collectInstances(const aiScene& scene, const aiNode* node, const Mat4& parent,
                      std::vector<Instance>* out) {
    Mat4 global = parent * fromAi(node->mTransformation);
    for (unsigned i = 0; i < node->mNumMeshes; ++i)
        out->push_back({scene.mMeshes[node->mMeshes[i]], node, global});
    for (unsigned i = 0; i < node->mNumChildren; ++i)
        collectInstances(scene, node->mChildren[i], global, out);
}

bool nearlyEqual(const Mat4& a, const Mat4& b) {
    double scale = 1e-9, diff = 0;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            scale = std::max(scale, std::abs(a.m[i][j]));
            diff = std::max(diff, std::abs(a.m[i][j] - b.m[i][j]));
        }
    return diff <= 1e-6 * scale;
}

unsigned boneOf(std::vector<Bone>* bones, const aiNode* node, const Mat4& bind) {
    for (unsigned b = 0; b < bones->size(); ++b)
        if ((*bones)[b].node == node && nearlyEqual((*bones)[b].bind, bind))
            return b;
    bones->push_back({node, bind, node->mName.C_Str()});
    return static_cast<unsigned>(bones->size() - 1);
}

// Up and front axes from the file's metadata (FBX says them; other formats arrive y up):
// the rotation that makes them +y and +z.
Mat4 axes(const aiScene& scene) {
    Mat4 b;
    int up = 1, upSign = 1, front = 2, frontSign = 1;
    if (!scene.mMetaData)
        return b;
    bool known = scene.mMetaData->Get("UpAxis", up) && scene.mMetaData->Get("FrontAxis", front);
    scene.mMetaData->Get("UpAxisSign", upSign);
    scene.mMetaData->Get("FrontAxisSign", frontSign);
    if (!known || up == front || up < 0 || up > 2 || front < 0 || front > 2)
        return b;
    V3 y, z;
    (&y.x)[up] = upSign < 0 ? -1 : 1;
    (&z.x)[front] = frontSign < 0 ? -1 : 1;
    V3 x{y.y * z.z - y.z * z.y, y.z * z.x - y.x * z.z, y.x * z.y - y.y * z.x};
    const V3 rows[3] = {x, y, z};
    for (int i = 0; i < 3; ++i) {
        b.m[i][0] = rows[i].x;
        b.m[i][1] = rows[i].y;
        b.m[i][2] = rows[i].z;
    }
    return b;
}

Influences quantise(Influence list, Report* report) {
    std::sort(list.begin(), list.end(),
              [](const auto& a, const auto& b) { return a.first > b.first; });
    double total = 0, kept = 0;
    for (std::size_t i = 0; i < list.size(); ++i)
        (i < 4 ? kept : total) += list[i].first;
    if (list.size() > 4) {
        ++report->verticesLosingWeight;
        report->largestWeightLost = std::max(report->largestWeightLost, total / (total + kept));
        list.resize(4);
    }
    Influences out;
    std::array<double, 4> exact{};
    int sum = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        exact[i] = 255.0 * list[i].first / kept;
        out.bone[i] = static_cast<std::uint8_t>(list[i].second);
        out.weight[i] = static_cast<std::uint8_t>(std::floor(exact[i]));
        sum += out.weight[i];
    }
    // The bytes lost to rounding down go to the largest remainders.
    while (sum < 255) {
        std::size_t best = 0;
        for (std::size_t i = 1; i < list.size(); ++i)
            if (exact[i] - out.weight[i] > exact[best] - out.weight[best])
                best = i;
        ++out.weight[best];
        ++sum;
    }
    return out;
}

} // namespace mshconvert
