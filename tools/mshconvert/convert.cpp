#include "convert.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <sstream>

#include <assimp/cimport.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include "clip.h"
#include "skeleton.h"

namespace mshconvert {

namespace {

// The longest clip written: 40 minutes at 15 key frames per second.
constexpr double kMaxFrames = 36000;

// What the library hands over is not checked for numbers that are not finite, and a model may
// be placed far away or measured in tiny units; the file must hold neither (our reader refuses
// numbers beyond kRvLargestMeshValue).
bool allRepresentable(const rvMeshFile& r, std::string* error) {
    auto fits = [](const std::vector<float>& values) {
        return std::all_of(values.begin(), values.end(), [](float v) {
            return std::isfinite(v) && std::fabs(v) <= kRvLargestMeshValue;
        });
    };
    const std::pair<const char*, const std::vector<float>*> arrays[] = {
        {"positions", &r.positions},
        {"normals", &r.normals},
        {"tangents", &r.tangents},
        {"texture coordinates", &r.texCoords}};
    for (const auto& [name, values] : arrays)
        if (!fits(*values)) {
            *error = std::string("the model's ") + name + " (or the transforms that place them) " +
                     "hold values that are not finite numbers or beyond the million units a "
                     "mesh file holds";
            return false;
        }
    for (const rvBoneKey& k : r.boneKeys)
        if (!fits({k.rotation.w, k.rotation.x, k.rotation.y, k.rotation.z, k.translation.x,
                   k.translation.y, k.translation.z})) {
            *error = "the clip's transforms give keys that are not finite numbers or beyond the "
                     "million units a mesh file holds";
            return false;
        }
    return true;
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
    std::vector<V3> positions, normals;
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
            V3 n;
            if (mesh->HasNormals())
                n = normalized(direction(
                    normalMatrix, {mesh->mNormals[v].x, mesh->mNormals[v].y, mesh->mNormals[v].z}));
            normals.push_back(n);
            if (hasTexCoords) {
                texCoords.push_back(mesh->mTextureCoords[0][v].x);
                texCoords.push_back(mesh->mTextureCoords[0][v].y);
            }
            if (hasTangents) {
                const aiVector3D &t = mesh->mTangents[v], &b = mesh->mBitangents[v];
                V3 tw = normalized(direction(in.global, {t.x, t.y, t.z}));
                V3 bw = direction(in.global, {b.x, b.y, b.z});
                // The fourth component says which way the bitangent points: n × t or t × n.
                V3 c{n.y * tw.z - n.z * tw.y, n.z * tw.x - n.x * tw.z, n.x * tw.y - n.y * tw.x};
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
        std::vector<V3> bindPose;
        for (const V3& p : positions)
            bindPose.push_back(point(b, p));
        addPose(bindPose, &extent);
    }
    const V3 lo{extent.lo.x, *std::min_element(extent.bottoms.begin(), extent.bottoms.end()),
                extent.lo.z};
    const V3 hi = extent.hi;
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
    std::vector<V3> bind(n);
    for (std::size_t v = 0; v < n; ++v) {
        bind[v] = point(sMat, positions[v]);
        out->positions.insert(out->positions.end(),
                              {static_cast<float>(bind[v].x), static_cast<float>(bind[v].y),
                               static_cast<float>(bind[v].z)});
        V3 nn = normalized(direction(b, normals[v]));
        out->normals.insert(out->normals.end(), {static_cast<float>(nn.x), static_cast<float>(nn.y),
                                                 static_cast<float>(nn.z)});
        if (hasTangents) {
            V3 t = normalized(direction(b, {tangents[v][0], tangents[v][1], tangents[v][2]}));
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
            V3 p;
            double total = 0;
            for (const auto& [w, bone] : influences[v]) {
                V3 q = point(sMat * poser.global(bones[bone].node) * bones[bone].bind * sInverse,
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
        return allRepresentable(*out, error);
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
            const Quat q = quaternion(rigid[bi]);
            rvBoneKey& key = out->boneKeys[bi * frames + f];
            key.rotation = rvQuaternion(static_cast<float>(q.w), static_cast<float>(q.x),
                                        static_cast<float>(q.y), static_cast<float>(q.z));
            key.translation = rvVector3(static_cast<float>(rigid[bi].m[0][3]),
                                        static_cast<float>(rigid[bi].m[1][3]),
                                        static_cast<float>(rigid[bi].m[2][3]));
        }
        // How far rotation and translation alone put each vertex from its place.
        for (std::size_t v = 0; v < n; ++v) {
            V3 d;
            for (int k = 0; k < 4; ++k) {
                double w = out->boneWeights[4 * v + k];
                if (w == 0)
                    continue;
                unsigned bi = out->boneIndices[4 * v + k];
                V3 a = point(exact[bi], bind[v]), r = point(rigid[bi], bind[v]);
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
    return allRepresentable(*out, error);
}

} // namespace mshconvert
