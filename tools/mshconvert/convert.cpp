#include "convert.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <map>
#include <sstream>

#include <assimp/cimport.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <stb/stb_image.h>

namespace mshconvert {

namespace {

// The longest clip written: 40 minutes at 15 key frames per second.
constexpr double kMaxFrames = 36000;

// 4 × 4 affine transforms in double precision, column-vector convention (p' = M · p), row by
// row: the library's convention, so that its matrices copy over as they are.
struct Mat4 {
    double m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
};

Mat4 fromAi(const aiMatrix4x4& a) {
    Mat4 r;
    const ai_real* src = &a.a1;
    for (int i = 0; i < 16; ++i)
        r.m[i / 4][i % 4] = src[i];
    return r;
}

Mat4 operator*(const Mat4& a, const Mat4& b) {
    Mat4 r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            double s = 0;
            for (int k = 0; k < 4; ++k)
                s += a.m[i][k] * b.m[k][j];
            r.m[i][j] = s;
        }
    return r;
}

struct Vec3 {
    double x = 0, y = 0, z = 0;
};

Vec3 point(const Mat4& a, const Vec3& p) {
    return {a.m[0][0] * p.x + a.m[0][1] * p.y + a.m[0][2] * p.z + a.m[0][3],
            a.m[1][0] * p.x + a.m[1][1] * p.y + a.m[1][2] * p.z + a.m[1][3],
            a.m[2][0] * p.x + a.m[2][1] * p.y + a.m[2][2] * p.z + a.m[2][3]};
}

Vec3 direction(const Mat4& a, const Vec3& v) {
    return {a.m[0][0] * v.x + a.m[0][1] * v.y + a.m[0][2] * v.z,
            a.m[1][0] * v.x + a.m[1][1] * v.y + a.m[1][2] * v.z,
            a.m[2][0] * v.x + a.m[2][1] * v.y + a.m[2][2] * v.z};
}

double length(const Vec3& v) {
    return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

Vec3 normalised(const Vec3& v) {
    double l = length(v);
    return l > 0 ? Vec3{v.x / l, v.y / l, v.z / l} : v;
}

double det3(const Mat4& a) {
    const auto& m = a.m;
    return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
           m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
           m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

// Inverse of the upper 3 × 3 block, transposed (the normal matrix); identity when singular.
Mat4 inverseTranspose3(const Mat4& a) {
    const auto& m = a.m;
    double d = det3(a);
    Mat4 r;
    if (d == 0)
        return r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            int i1 = (i + 1) % 3, i2 = (i + 2) % 3, j1 = (j + 1) % 3, j2 = (j + 2) % 3;
            r.m[i][j] = (m[i1][j1] * m[i2][j2] - m[i1][j2] * m[i2][j1]) / d; // cofactor / det
        }
    return r;
}

Mat4 inverse(const Mat4& a) {
    Mat4 it = inverseTranspose3(a), r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r.m[i][j] = it.m[j][i];
    Vec3 t = direction(r, {a.m[0][3], a.m[1][3], a.m[2][3]});
    r.m[0][3] = -t.x;
    r.m[1][3] = -t.y;
    r.m[2][3] = -t.z;
    return r;
}

// The rotation nearest to the upper 3 × 3 block (polar decomposition by averaging with the
// inverse transpose), translation kept. A mirroring block is first unmirrored along z; the
// error this causes is measured by the caller.
Mat4 nearestRigid(const Mat4& a) {
    Mat4 r = a;
    if (det3(r) < 0)
        for (int i = 0; i < 3; ++i)
            r.m[i][2] = -r.m[i][2];
    for (int iteration = 0; iteration < 50; ++iteration) {
        Mat4 it = inverseTranspose3(r);
        double change = 0;
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) {
                double v = 0.5 * (r.m[i][j] + it.m[i][j]);
                change = std::max(change, std::abs(v - r.m[i][j]));
                r.m[i][j] = v;
            }
        if (change < 1e-13)
            break;
    }
    return r;
}

// The unit quaternion (w, x, y, z) of a rotation block.
std::array<double, 4> quaternion(const Mat4& a) {
    const auto& m = a.m;
    double trace = m[0][0] + m[1][1] + m[2][2];
    std::array<double, 4> q;
    if (trace > 0) {
        double s = 0.5 / std::sqrt(trace + 1.0);
        q = {0.25 / s, (m[2][1] - m[1][2]) * s, (m[0][2] - m[2][0]) * s, (m[1][0] - m[0][1]) * s};
    } else if (m[0][0] > m[1][1] && m[0][0] > m[2][2]) {
        double s = 2.0 * std::sqrt(1.0 + m[0][0] - m[1][1] - m[2][2]);
        q = {(m[2][1] - m[1][2]) / s, 0.25 * s, (m[0][1] + m[1][0]) / s, (m[0][2] + m[2][0]) / s};
    } else if (m[1][1] > m[2][2]) {
        double s = 2.0 * std::sqrt(1.0 + m[1][1] - m[0][0] - m[2][2]);
        q = {(m[0][2] - m[2][0]) / s, (m[0][1] + m[1][0]) / s, 0.25 * s, (m[1][2] + m[2][1]) / s};
    } else {
        double s = 2.0 * std::sqrt(1.0 + m[2][2] - m[0][0] - m[1][1]);
        q = {(m[1][0] - m[0][1]) / s, (m[0][2] + m[2][0]) / s, (m[1][2] + m[2][1]) / s, 0.25 * s};
    }
    double l = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
    for (double& c : q)
        c /= l;
    return q;
}

// ---------------------------------------------------------------------------------------------
// The clip: node transforms at a time.

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

class Poser {
public:
    Poser(const aiScene& scene, const aiAnimation* clip) : mScene(scene) {
        if (clip)
            for (unsigned c = 0; c < clip->mNumChannels; ++c)
                mChannels[clip->mChannels[c]->mNodeName.C_Str()] = clip->mChannels[c];
    }
    // Global transforms of every node at a time in the clip's ticks (without a clip: the
    // nodes' own transforms).
    void pose(double ticks) {
        mGlobal.clear();
        walk(mScene.mRootNode, Mat4(), ticks);
    }
    const Mat4& global(const aiNode* node) const { return mGlobal.at(node); }

private:
    void walk(const aiNode* node, const Mat4& parent, double ticks) {
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

    const aiScene& mScene;
    std::map<std::string, const aiNodeAnim*> mChannels;
    std::map<const aiNode*, Mat4> mGlobal;
};

// ---------------------------------------------------------------------------------------------
// What is merged.

struct Instance {
    const aiMesh* mesh;
    const aiNode* node;
    Mat4 global; // N
};

void collectInstances(const aiScene& scene, const aiNode* node, const Mat4& parent,
                      std::vector<Instance>* out) {
    Mat4 global = parent * fromAi(node->mTransformation);
    for (unsigned i = 0; i < node->mNumMeshes; ++i)
        out->push_back({scene.mMeshes[node->mMeshes[i]], node, global});
    for (unsigned i = 0; i < node->mNumChildren; ++i)
        collectInstances(scene, node->mChildren[i], global, out);
}

struct Bone {
    const aiNode* node;
    Mat4 bind; // O · N⁻¹
    std::string name;
};

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
    Vec3 y, z;
    (&y.x)[up] = upSign < 0 ? -1 : 1;
    (&z.x)[front] = frontSign < 0 ? -1 : 1;
    Vec3 x{y.y * z.z - y.z * z.y, y.z * z.x - y.x * z.z, y.x * z.y - y.y * z.x};
    const Vec3 rows[3] = {x, y, z};
    for (int i = 0; i < 3; ++i) {
        b.m[i][0] = rows[i].x;
        b.m[i][1] = rows[i].y;
        b.m[i][2] = rows[i].z;
    }
    return b;
}

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

// Four influences at most: the largest, renormalised, as bytes that sum to 255.
struct Influences {
    std::array<std::uint8_t, 4> bone{};
    std::array<std::uint8_t, 4> weight{};
};

Influences quantise(std::vector<std::pair<double, unsigned>> list, Report* report) {
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

// What the library hands over is not checked for numbers that are not finite; the file must not
// hold any (our reader refuses them).
bool allFinite(const rvMeshFile& r, std::string* error) {
    auto finite = [](const std::vector<float>& values) {
        return std::all_of(values.begin(), values.end(), [](float v) { return std::isfinite(v); });
    };
    const std::pair<const char*, const std::vector<float>*> arrays[] = {
        {"positions", &r.positions},
        {"normals", &r.normals},
        {"tangents", &r.tangents},
        {"texture coordinates", &r.texCoords}};
    for (const auto& [name, values] : arrays)
        if (!finite(*values)) {
            *error = std::string("the model's ") + name + " (or the transforms that place them) " +
                     "hold values that are not finite numbers";
            return false;
        }
    for (const rvBoneKey& k : r.boneKeys)
        if (!finite({k.rotation.w, k.rotation.x, k.rotation.y, k.rotation.z, k.translation.x,
                     k.translation.y, k.translation.z})) {
            *error = "the clip's transforms give keys that are not finite numbers";
            return false;
        }
    return true;
}

using Influence = std::vector<std::pair<double, unsigned>>; // (weight, bone), any number

// Where the demo will show the model, in the axes b (no scale, no origin yet): the box around
// every pose, the lowest point of each pose, and the height of the tallest.
struct Extent {
    Vec3 lo{HUGE_VAL, HUGE_VAL, HUGE_VAL}, hi{-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    std::vector<double> bottoms; // one per pose
    double tallest = 0;
};

void addPose(const std::vector<Vec3>& pose, Extent* e) {
    double bottom = HUGE_VAL, top = -HUGE_VAL;
    for (const Vec3& q : pose) {
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
                  const std::vector<Influence>& influences, const std::vector<Vec3>& positions,
                  const std::function<void(unsigned)>& progress) {
    Extent e;
    Poser poser(scene, clip);
    std::vector<Mat4> skin(bones.size());
    std::vector<Vec3> pose(positions.size());
    for (unsigned f = 0; f < frames; ++f) {
        poser.pose(f / framesPerSecond * ticksPerSecond(clip));
        for (std::size_t i = 0; i < bones.size(); ++i)
            skin[i] = b * poser.global(bones[i].node) * bones[i].bind;
        for (std::size_t v = 0; v < positions.size(); ++v) {
            Vec3 p;
            double total = 0;
            for (const auto& [w, bone] : influences[v]) {
                const Vec3 q = point(skin[bone], positions[v]);
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

} // namespace

Scene importModel(const std::string& path, std::string* error) {
    const unsigned flags = aiProcess_Triangulate | aiProcess_JoinIdenticalVertices |
                           aiProcess_GenSmoothNormals | aiProcess_CalcTangentSpace |
                           aiProcess_SortByPType | aiProcess_ValidateDataStructure;
    Scene scene(aiImportFile(path.c_str(), flags), aiReleaseImport);
    if (!scene) {
        *error = path + ": " + aiGetErrorString();
    } else if (!scene->mRootNode) {
        *error = path + ": the file holds no scene";
        scene.reset();
    }
    return scene;
}

std::string describe(const aiScene& scene) {
    std::ostringstream out;
    out << scene.mNumAnimations << " clip(s)\n";
    for (unsigned a = 0; a < scene.mNumAnimations; ++a) {
        const aiAnimation* clip = scene.mAnimations[a];
        out << "  clip " << a << " \"" << clip->mName.C_Str()
            << "\": " << clip->mDuration / ticksPerSecond(clip) << " s, " << clip->mNumChannels
            << " animated nodes\n";
    }
    out << scene.mNumMeshes << " mesh(es)\n";
    std::map<std::string, int> bones;
    for (unsigned m = 0; m < scene.mNumMeshes; ++m) {
        const aiMesh* mesh = scene.mMeshes[m];
        out << "  mesh " << m << " \"" << mesh->mName.C_Str() << "\": " << mesh->mNumVertices
            << " vertices, " << mesh->mNumFaces << " faces, " << mesh->mNumBones << " bones\n";
        for (unsigned b = 0; b < mesh->mNumBones; ++b)
            ++bones[mesh->mBones[b]->mName.C_Str()];
    }
    out << "skeleton: " << bones.size() << " bones that move vertices\n";
    return out.str();
}

bool convert(const aiScene& scene, const Options& options, rvMeshFile* out, Report* report,
             std::string* error, Similarity* similarity,
             const std::function<void(unsigned, unsigned)>& progress) {
    *report = Report();
    error->clear();
    out->clear();
    std::vector<Instance> instances;
    collectInstances(scene, scene.mRootNode, Mat4(), &instances);
    instances.erase(std::remove_if(instances.begin(), instances.end(),
                                   [](const Instance& i) {
                                       return !(i.mesh->mPrimitiveTypes & aiPrimitiveType_TRIANGLE);
                                   }),
                    instances.end());
    if (instances.empty()) {
        *error = "the model holds no triangles";
        return false;
    }
    const aiAnimation* clip = findClip(scene, options.clip, error);
    if (!clip && !error->empty())
        return false;

    // Vertices in the model's space (N · v), their influences, and the bones.
    std::vector<Bone> bones;
    std::vector<Vec3> positions, normals;
    std::vector<std::array<double, 4>> tangents;
    std::vector<Influence> influences;
    bool hasTexCoords = true, hasTangents = true, hasSkeleton = false;
    for (const Instance& in : instances) {
        hasTexCoords = hasTexCoords && in.mesh->HasTextureCoords(0);
        hasTangents = hasTangents && in.mesh->HasTangentsAndBitangents();
        hasSkeleton = hasSkeleton || in.mesh->HasBones();
    }
    std::vector<float> texCoords;
    std::vector<std::uint32_t> indices;
    for (const Instance& in : instances) {
        const aiMesh* mesh = in.mesh;
        const std::size_t first = positions.size();
        if (first + mesh->mNumVertices > UINT32_MAX) {
            *error = "the model has more vertices than a mesh file holds";
            return false;
        }
        const Mat4 normalMatrix = inverseTranspose3(in.global);
        for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
            const aiVector3D& p = mesh->mVertices[v];
            positions.push_back(point(in.global, {p.x, p.y, p.z}));
            Vec3 n;
            if (mesh->HasNormals())
                n = normalised(direction(
                    normalMatrix, {mesh->mNormals[v].x, mesh->mNormals[v].y, mesh->mNormals[v].z}));
            normals.push_back(n);
            if (hasTexCoords) {
                texCoords.push_back(mesh->mTextureCoords[0][v].x);
                texCoords.push_back(mesh->mTextureCoords[0][v].y);
            }
            if (hasTangents) {
                const aiVector3D &t = mesh->mTangents[v], &b = mesh->mBitangents[v];
                Vec3 tw = normalised(direction(in.global, {t.x, t.y, t.z}));
                Vec3 bw = direction(in.global, {b.x, b.y, b.z});
                // The fourth component says which way the bitangent points: n × t or t × n.
                Vec3 c{n.y * tw.z - n.z * tw.y, n.z * tw.x - n.x * tw.z, n.x * tw.y - n.y * tw.x};
                double handed = c.x * bw.x + c.y * bw.y + c.z * bw.z < 0 ? -1.0 : 1.0;
                tangents.push_back({tw.x, tw.y, tw.z, handed});
            }
        }
        influences.resize(positions.size());
        const Mat4 toMesh = inverse(in.global);
        for (unsigned b = 0; b < mesh->mNumBones; ++b) {
            const aiBone* bone = mesh->mBones[b];
            const aiNode* node = scene.mRootNode->FindNode(bone->mName);
            if (!node) {
                *error = "bone \"" + std::string(bone->mName.C_Str()) + "\" of mesh \"" +
                         mesh->mName.C_Str() + "\" names no node of the model";
                return false;
            }
            unsigned index = boneOf(&bones, node, fromAi(bone->mOffsetMatrix) * toMesh);
            for (unsigned w = 0; w < bone->mNumWeights; ++w) {
                const aiVertexWeight& vw = bone->mWeights[w];
                if (vw.mVertexId < mesh->mNumVertices && vw.mWeight > 0 &&
                    std::isfinite(vw.mWeight))
                    influences[first + vw.mVertexId].push_back({vw.mWeight, index});
            }
        }
        // Vertices no bone weighs (all of a mesh without bones) follow the mesh's own node.
        for (std::size_t v = first; v < positions.size(); ++v)
            if (influences[v].empty())
                influences[v].push_back({1.0, boneOf(&bones, in.node, toMesh)});
        for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
            const aiFace& face = mesh->mFaces[f];
            if (face.mNumIndices != 3) {
                ++report->skippedFaces;
                continue;
            }
            for (unsigned k = 0; k < 3; ++k) {
                if (face.mIndices[k] >= mesh->mNumVertices) {
                    *error = "a face of mesh \"" + std::string(mesh->mName.C_Str()) +
                             "\" names vertex " + std::to_string(face.mIndices[k]) + " of " +
                             std::to_string(mesh->mNumVertices);
                    return false;
                }
                indices.push_back(static_cast<std::uint32_t>(first + face.mIndices[k]));
            }
        }
        ++report->meshes;
    }
    if (indices.empty()) {
        *error = "the model holds no triangles";
        return false;
    }

    // The clip's length in key frames at the chosen rate; the end is the start again and not
    // repeated.
    const double tps = ticksPerSecond(clip);
    const double seconds = clip ? clip->mDuration / tps : 0;
    const double wanted = seconds * options.framesPerSecond;
    if (clip && !(wanted >= 0 && wanted <= kMaxFrames)) {
        *error = "the clip lasts " + std::to_string(seconds) + " s: at " +
                 std::to_string(options.framesPerSecond) +
                 " key frames per second that is not 1 to " + std::to_string(kMaxFrames) +
                 " key frames";
        return false;
    }
    const unsigned frames = std::max<unsigned>(1, static_cast<unsigned>(std::lround(wanted)));

    // S: the axes, then the size and the origin from the poses the demo shows: every key frame
    // of the clip (the tallest one the chosen height, the lowest point of all on the floor,
    // centred on the box around all of them), or without a clip the bind pose.
    const Mat4 b = axes(scene);
    Extent extent;
    if (clip) {
        extent = clipExtent(scene, clip, frames, options.framesPerSecond, b, bones, influences,
                            positions, [&](unsigned done) {
                                if (progress)
                                    progress(done, 2 * frames);
                            });
    } else {
        std::vector<Vec3> bindPose;
        for (const Vec3& p : positions)
            bindPose.push_back(point(b, p));
        addPose(bindPose, &extent);
    }
    const Vec3 lo{extent.lo.x, *std::min_element(extent.bottoms.begin(), extent.bottoms.end()),
                  extent.lo.z};
    const Vec3 hi = extent.hi;
    double modelHeight = extent.tallest;
    double s = 1.0;
    if (!options.keepUnits) {
        if (modelHeight > 0 && std::isfinite(modelHeight))
            s = options.height / modelHeight;
        else
            report->notes.push_back("the model has no height; its units are kept");
    }
    Mat4 sMat = b;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            sMat.m[i][j] *= s;
    sMat.m[0][3] = -s * 0.5 * (lo.x + hi.x);
    sMat.m[1][3] = -s * lo.y;
    sMat.m[2][3] = -s * 0.5 * (lo.z + hi.z);
    const Mat4 sInverse = inverse(sMat);
    if (similarity)
        for (int i = 0; i < 16; ++i)
            similarity->m[i] = sMat.m[i / 4][i % 4];
    report->scale = s;
    report->height = s * modelHeight;
    report->lowestFeet = 0;
    report->highestFeet =
        s * (*std::max_element(extent.bottoms.begin(), extent.bottoms.end()) - lo.y);

    // The bind pose, normals and tangents in the output's space.
    const std::size_t n = positions.size();
    out->vertexCount = static_cast<std::uint32_t>(n);
    out->positions.reserve(3 * n);
    std::vector<Vec3> bind(n);
    for (std::size_t v = 0; v < n; ++v) {
        bind[v] = point(sMat, positions[v]);
        out->positions.insert(out->positions.end(),
                              {static_cast<float>(bind[v].x), static_cast<float>(bind[v].y),
                               static_cast<float>(bind[v].z)});
        Vec3 nn = normalised(direction(b, normals[v]));
        out->normals.insert(out->normals.end(), {static_cast<float>(nn.x), static_cast<float>(nn.y),
                                                 static_cast<float>(nn.z)});
        if (hasTangents) {
            Vec3 t = normalised(direction(b, {tangents[v][0], tangents[v][1], tangents[v][2]}));
            out->tangents.insert(out->tangents.end(),
                                 {static_cast<float>(t.x), static_cast<float>(t.y),
                                  static_cast<float>(t.z), static_cast<float>(tangents[v][3])});
        }
    }
    out->texCoords = texCoords;
    out->indices = indices;
    out->indexCount = static_cast<std::uint32_t>(indices.size());
    report->vertices = static_cast<unsigned>(n);
    report->triangles = static_cast<unsigned>(indices.size() / 3);

    // Without a clip the model is written in the pose of its nodes, as a static mesh.
    if (!clip) {
        Poser poser(scene, nullptr);
        poser.pose(0);
        for (std::size_t v = 0; v < n; ++v) {
            Vec3 p;
            double total = 0;
            for (const auto& [w, bone] : influences[v]) {
                Vec3 q = point(sMat * poser.global(bones[bone].node) * bones[bone].bind * sInverse,
                               bind[v]);
                p = {p.x + w * q.x, p.y + w * q.y, p.z + w * q.z};
                total += w;
            }
            for (int k = 0; k < 3; ++k)
                out->positions[3 * v + k] = static_cast<float>((&p.x)[k] / total);
        }
        report->staticMesh = true;
        report->notes.push_back(
            std::string("the model has ") +
            (hasSkeleton ? "a skeleton but no animation" : "no skeleton or animation") +
            ": written as a static mesh in the pose of its nodes");
        return allFinite(*out, error);
    }

    if (bones.size() > 255) {
        *error = "the model has " + std::to_string(bones.size()) +
                 " bones; a mesh file numbers at most 255";
        return false;
    }
    out->boneIndices.resize(4 * n);
    out->boneWeights.resize(4 * n);
    for (std::size_t v = 0; v < n; ++v) {
        Influences q = quantise(influences[v], report);
        for (int k = 0; k < 4; ++k) {
            out->boneIndices[4 * v + k] = q.bone[k];
            out->boneWeights[4 * v + k] = q.weight[k] / 255.0f;
        }
    }

    report->clipName = clip->mName.C_Str();
    report->clipSeconds = seconds;
    report->frames = frames;
    report->bones = static_cast<unsigned>(bones.size());
    out->frameCount = frames;
    out->boneCount = static_cast<std::uint32_t>(bones.size());
    out->boneKeys.resize(bones.size() * frames);
    Poser poser(scene, clip);
    std::vector<Mat4> exact(bones.size()), rigid(bones.size());
    for (unsigned f = 0; f < frames; ++f) {
        poser.pose(f / options.framesPerSecond * tps);
        for (std::size_t bi = 0; bi < bones.size(); ++bi) {
            exact[bi] = sMat * poser.global(bones[bi].node) * bones[bi].bind * sInverse;
            rigid[bi] = nearestRigid(exact[bi]);
            std::array<double, 4> q = quaternion(rigid[bi]);
            rvBoneKey& key = out->boneKeys[bi * frames + f];
            key.rotation = rvQuaternion(static_cast<float>(q[0]), static_cast<float>(q[1]),
                                        static_cast<float>(q[2]), static_cast<float>(q[3]));
            key.translation = rvVector3(static_cast<float>(rigid[bi].m[0][3]),
                                        static_cast<float>(rigid[bi].m[1][3]),
                                        static_cast<float>(rigid[bi].m[2][3]));
        }
        // How far rotation and translation alone put each vertex from its place.
        for (std::size_t v = 0; v < n; ++v) {
            Vec3 d;
            for (int k = 0; k < 4; ++k) {
                double w = out->boneWeights[4 * v + k];
                if (w == 0)
                    continue;
                unsigned bi = out->boneIndices[4 * v + k];
                Vec3 a = point(exact[bi], bind[v]), r = point(rigid[bi], bind[v]);
                d = {d.x + w * (a.x - r.x), d.y + w * (a.y - r.y), d.z + w * (a.z - r.z)};
            }
            report->rigidError = std::max(report->rigidError, length(d));
        }
        if (progress)
            progress(frames + f + 1, 2 * frames);
    }
    if (report->rigidError > options.maxRigidError * report->height && !options.force) {
        std::ostringstream text;
        text << "the clip scales or shears bones: rotations and translations put vertices up to "
             << report->rigidError << " units (" << 100.0 * report->rigidError / report->height
             << " % of the height) from their place; --force writes it anyway";
        *error = text.str();
        return false;
    }
    return allFinite(*out, error);
}

bool baseColourTexture(const aiScene& scene, const std::string& modelDir, CImage* image,
                       std::string* source, std::string* error) {
    // The material that covers most triangles.
    std::vector<std::size_t> faces(scene.mNumMaterials);
    for (unsigned m = 0; m < scene.mNumMeshes; ++m)
        if (scene.mMeshes[m]->mMaterialIndex < faces.size())
            faces[scene.mMeshes[m]->mMaterialIndex] += scene.mMeshes[m]->mNumFaces;
    if (faces.empty()) {
        *error = "the model has no material";
        return false;
    }
    const aiMaterial* material =
        scene.mMaterials[std::max_element(faces.begin(), faces.end()) - faces.begin()];
    aiString path;
    if ((material->GetTexture(aiTextureType_BASE_COLOR, 0, &path) != AI_SUCCESS ||
         path.length == 0) &&
        (material->GetTexture(aiTextureType_DIFFUSE, 0, &path) != AI_SUCCESS || path.length == 0)) {
        *error = "its largest material has no base-colour texture";
        return false;
    }
    *source = path.C_Str();
    int w = 0, h = 0, channels = 0;
    std::unique_ptr<stbi_uc, void (*)(void*)> pixels(nullptr, stbi_image_free);
    if (const aiTexture* embedded = scene.GetEmbeddedTexture(path.C_Str())) {
        *source = "embedded texture " + *source;
        if (embedded->mHeight == 0) {
            pixels.reset(stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(embedded->pcData),
                                               static_cast<int>(embedded->mWidth), &w, &h,
                                               &channels, 4));
        } else {
            w = static_cast<int>(embedded->mWidth);
            h = static_cast<int>(embedded->mHeight);
            auto* rgba = static_cast<stbi_uc*>(std::malloc(std::size_t(w) * h * 4));
            for (std::size_t i = 0; rgba && i < std::size_t(w) * h; ++i) {
                const aiTexel& t = embedded->pcData[i];
                rgba[4 * i] = t.r;
                rgba[4 * i + 1] = t.g;
                rgba[4 * i + 2] = t.b;
                rgba[4 * i + 3] = t.a;
            }
            pixels.reset(rgba);
        }
    } else {
        std::string name = path.C_Str();
        std::replace(name.begin(), name.end(), '\\', '/');
        std::filesystem::path file = std::filesystem::path(modelDir) / name;
        if (!std::filesystem::exists(file))
            file = std::filesystem::path(modelDir) / std::filesystem::path(name).filename();
        *source = file.string();
        pixels.reset(stbi_load(file.c_str(), &w, &h, &channels, 4));
    }
    if (!pixels || w <= 0 || h <= 0) {
        *error = *source + ": " + (stbi_failure_reason() ? stbi_failure_reason() : "not decoded");
        return false;
    }
    bool opaque = true;
    for (std::size_t i = 0; i < std::size_t(w) * h; ++i)
        opaque = opaque && pixels.get()[4 * i + 3] == 255;
    if (!image->create(w, h, opaque ? 3 : 4)) {
        *error = *source + ": " + std::to_string(w) + " × " + std::to_string(h) +
                 " pixels is larger than the demo loads";
        return false;
    }
    // Rows arrive top first; the image keeps them bottom first, pixels as blue, green, red.
    for (int y = 0; y < h; ++y) {
        std::uint8_t* line = image->getLinePtr(h - 1 - y);
        const stbi_uc* row = pixels.get() + std::size_t(y) * w * 4;
        for (int x = 0; x < w; ++x) {
            std::uint8_t* px = line + x * image->getChannels();
            px[0] = row[4 * x + 2];
            px[1] = row[4 * x + 1];
            px[2] = row[4 * x];
            if (!opaque)
                px[3] = row[4 * x + 3];
        }
    }
    return true;
}

} // namespace mshconvert
