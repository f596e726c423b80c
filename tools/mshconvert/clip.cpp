#include "clip.h"

#include <algorithm>
#include <cmath>

namespace mshconvert {

namespace {

template <class Key>
std::pair<unsigned, double> segment(const Key* keys, unsigned count, double ticks) {
    if (count < 2 || ticks <= keys[0].mTime)
        return {0, 0.0};
    if (ticks >= keys[count - 1].mTime)
        return {count - 1, 0.0};
    unsigned i = 0;
    while (i + 2 < count && keys[i + 1].mTime <= ticks)
        ++i;
    double span = keys[i + 1].mTime - keys[i].mTime;
    return {i, span > 0 ? (ticks - keys[i].mTime) / span : 0.0};
}

// A channel's value at a time: its keys blended, held beyond them, or the fallback without any.
template <class Key, class Value, class Blend>
Value sampleKeys(const Key* keys, unsigned count, double ticks, Value fallback, Blend blend) {
    if (count == 0)
        return fallback;
    auto [i, t] = segment(keys, count, ticks);
    return t == 0.0 ? keys[i].mValue
                    : blend(keys[i].mValue, keys[i + 1].mValue, static_cast<ai_real>(t));
}

aiVector3D lerp(const aiVector3D& a, const aiVector3D& b, ai_real t) {
    return a + (b - a) * t;
}

aiQuaternion slerp(const aiQuaternion& a, const aiQuaternion& b, ai_real t) {
    aiQuaternion out;
    aiQuaternion::Interpolate(out, a, b, t);
    return out.Normalize();
}

} // namespace

const aiAnimation* findClip(const aiScene& scene, const std::string& wanted, std::string* error) {
    if (scene.mNumAnimations == 0)
        return nullptr;
    if (wanted.empty())
        return scene.mAnimations[0];
    for (unsigned a = 0; a < scene.mNumAnimations; ++a)
        if (wanted == scene.mAnimations[a]->mName.C_Str())
            return scene.mAnimations[a];
    char* end = nullptr;
    unsigned long index = std::strtoul(wanted.c_str(), &end, 10);
    if (*end == '\0' && end != wanted.c_str() && index < scene.mNumAnimations)
        return scene.mAnimations[index];
    *error = "no clip named or numbered \"" + wanted + "\" (--list shows the " +
             std::to_string(scene.mNumAnimations) + ")";
    return nullptr;
}

double ticksPerSecond(const aiAnimation* clip) {
    return clip && clip->mTicksPerSecond > 0 ? clip->mTicksPerSecond : 25.0;
}

Poser::Poser(const aiScene& scene, const aiAnimation* clip) : mScene(scene) {
    if (clip)
        for (unsigned c = 0; c < clip->mNumChannels; ++c)
            mChannels[clip->mChannels[c]->mNodeName.C_Str()] = clip->mChannels[c];
}

void Poser::pose(double ticks) {
    mGlobal.clear();
    walk(mScene.mRootNode, Mat4(), ticks);
}

void Poser::walk(const aiNode* node, const Mat4& parent, double ticks) {
    Mat4 local = fromAi(node->mTransformation);
    auto c = mChannels.find(node->mName.C_Str());
    if (c != mChannels.end()) {
        aiVector3D scaling, position;
        aiQuaternion rotation;
        node->mTransformation.Decompose(scaling, rotation, position);
        const aiNodeAnim* ch = c->second;
        position = sampleKeys(ch->mPositionKeys, ch->mNumPositionKeys, ticks, position, lerp);
        rotation = sampleKeys(ch->mRotationKeys, ch->mNumRotationKeys, ticks, rotation, slerp);
        scaling = sampleKeys(ch->mScalingKeys, ch->mNumScalingKeys, ticks, scaling, lerp);
        aiMatrix4x4 m(scaling, rotation, position);
        local = fromAi(m);
    }
    Mat4 global = parent * local;
    mGlobal[node] = global;
    for (unsigned i = 0; i < node->mNumChildren; ++i)
        walk(node->mChildren[i], global, ticks);
}

void addPose(const std::vector<V3>& pose, Extent* e) {
    double bottom = HUGE_VAL, top = -HUGE_VAL;
    for (const V3& q : pose) {
        e->lo = {std::min(e->lo.x, q.x), std::min(e->lo.y, q.y), std::min(e->lo.z, q.z)};
        e->hi = {std::max(e->hi.x, q.x), std::max(e->hi.y, q.y), std::max(e->hi.z, q.z)};
        bottom = std::min(bottom, q.y);
        top = std::max(top, q.y);
    }
    e->bottoms.push_back(bottom);
    e->tallest = std::max(e->tallest, top - bottom);
}

// The clip's key frames as the demo plays them: every vertex moved by its bones (weights
// normalised, all influences) at each key frame time.
Extent clipExtent(const aiScene& scene, const aiAnimation* clip, unsigned frames,
                  double framesPerSecond, const Mat4& b, const std::vector<Bone>& bones,
                  const std::vector<Influence>& influences, const std::vector<V3>& positions,
                  const std::function<void(unsigned)>& progress) {
    Extent e;
    Poser poser(scene, clip);
    std::vector<Mat4> skin(bones.size());
    std::vector<V3> pose(positions.size());
    for (unsigned f = 0; f < frames; ++f) {
        poser.pose(f / framesPerSecond * ticksPerSecond(clip));
        for (std::size_t i = 0; i < bones.size(); ++i)
            skin[i] = b * poser.global(bones[i].node) * bones[i].bind;
        for (std::size_t v = 0; v < positions.size(); ++v) {
            V3 p;
            double total = 0;
            for (const auto& [w, bone] : influences[v]) {
                const V3 q = point(skin[bone], positions[v]);
                p = {p.x + w * q.x, p.y + w * q.y, p.z + w * q.z};
                total += w;
            }
            pose[v] = {p.x / total, p.y / total, p.z / total};
        }
        addPose(pose, &e);
        if (progress)
            progress(f + 1);
    }
    return e;
}

} // namespace mshconvert
