// The converter against models nobody here wrote (Debian's assimp-testmodels), evaluated
// independently from the library's own node transforms and bone weights; our characters
// through glTF and back; and what cannot be represented, on small models of the glTF writer.
#include "convert.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <tuple>
#include <string>
#include <vector>

#include <assimp/scene.h>
#include <gtest/gtest.h>

#include "characters.h"
#include "gltfwriter.h"

namespace {

const std::string kModels = "/usr/share/assimp/models/";

// Posed positions of a mesh file's vertices at key frame f, as the demo poses them.
std::vector<rvVector3> posed(const rvMeshFile& r, std::uint32_t f) {
    std::vector<rvVector3> out(r.vertexCount);
    for (std::uint32_t v = 0; v < r.vertexCount; ++v) {
        const rvVector3 p(r.positions[3 * v], r.positions[3 * v + 1], r.positions[3 * v + 2]);
        rvVector3 sum(0, 0, 0);
        for (int k = 0; k < 4; ++k) {
            const rvBoneKey& key = r.key(r.boneIndices[4 * v + k], f);
            rvMatrix44 m = key.rotation.toMatrix();
            m(3, 0) = key.translation.x;
            m(3, 1) = key.translation.y;
            m(3, 2) = key.translation.z;
            sum = sum + rvTransformPoint(p, m) * r.boneWeights[4 * v + k];
        }
        out[v] = sum;
    }
    return out;
}

aiVector3D applyS(const mshconvert::Similarity& s, const aiVector3D& p) {
    aiVector3D r;
    for (int i = 0; i < 3; ++i)
        r[i] = static_cast<ai_real>(s.m[4 * i] * p.x + s.m[4 * i + 1] * p.y + s.m[4 * i + 2] * p.z +
                                    s.m[4 * i + 3]);
    return r;
}

// The library's model at a time, evaluated here on its own: node transforms from the clip's
// keys (linear, spherical between them, held outside them), vertices moved by their bones'
// global transforms times offsets, or by their node where no bone weighs them.
class Evaluation {
public:
    Evaluation(const aiScene& scene, const aiAnimation& clip) : mScene(scene), mClip(clip) {}

    std::vector<aiVector3D> at(double seconds) {
        const double tps = mClip.mTicksPerSecond > 0 ? mClip.mTicksPerSecond : 25.0;
        mGlobal.clear();
        walk(mScene.mRootNode, aiMatrix4x4(), seconds * tps);
        std::vector<aiVector3D> out;
        meshes(mScene.mRootNode, &out);
        return out;
    }

private:
    template <class Key, class Value, class Blend>
    Value sample(const Key* keys, unsigned n, double t, Value fallback, Blend blend) {
        if (n == 0)
            return fallback;
        if (t <= keys[0].mTime || n == 1)
            return keys[0].mValue;
        for (unsigned i = 0; i + 1 < n; ++i)
            if (t < keys[i + 1].mTime)
                return blend(keys[i].mValue, keys[i + 1].mValue,
                             static_cast<ai_real>((t - keys[i].mTime) /
                                                  (keys[i + 1].mTime - keys[i].mTime)));
        return keys[n - 1].mValue;
    }
    void walk(const aiNode* node, const aiMatrix4x4& parent, double t) {
        aiMatrix4x4 local = node->mTransformation;
        for (unsigned c = 0; c < mClip.mNumChannels; ++c) {
            const aiNodeAnim* ch = mClip.mChannels[c];
            if (ch->mNodeName != node->mName)
                continue;
            aiVector3D s, p;
            aiQuaternion q;
            local.Decompose(s, q, p);
            auto lerp = [](aiVector3D a, aiVector3D b, ai_real f) { return a + (b - a) * f; };
            auto slerp = [](aiQuaternion a, aiQuaternion b, ai_real f) {
                aiQuaternion r;
                aiQuaternion::Interpolate(r, a, b, f);
                return r.Normalize();
            };
            p = sample(ch->mPositionKeys, ch->mNumPositionKeys, t, p, lerp);
            q = sample(ch->mRotationKeys, ch->mNumRotationKeys, t, q, slerp);
            s = sample(ch->mScalingKeys, ch->mNumScalingKeys, t, s, lerp);
            local = aiMatrix4x4(s, q, p);
        }
        mGlobal[node->mName.C_Str()] = parent * local;
        for (unsigned i = 0; i < node->mNumChildren; ++i)
            walk(node->mChildren[i], mGlobal[node->mName.C_Str()], t);
    }
    void meshes(const aiNode* node, std::vector<aiVector3D>* out) {
        for (unsigned m = 0; m < node->mNumMeshes; ++m) {
            const aiMesh* mesh = mScene.mMeshes[node->mMeshes[m]];
            std::vector<aiVector3D> sum(mesh->mNumVertices);
            std::vector<ai_real> weight(mesh->mNumVertices);
            for (unsigned b = 0; b < mesh->mNumBones; ++b) {
                const aiBone* bone = mesh->mBones[b];
                const aiMatrix4x4 skin = mGlobal[bone->mName.C_Str()] * bone->mOffsetMatrix;
                for (unsigned w = 0; w < bone->mNumWeights; ++w) {
                    const aiVertexWeight& vw = bone->mWeights[w];
                    sum[vw.mVertexId] += (skin * mesh->mVertices[vw.mVertexId]) * vw.mWeight;
                    weight[vw.mVertexId] += vw.mWeight;
                }
            }
            for (unsigned v = 0; v < mesh->mNumVertices; ++v)
                out->push_back(weight[v] > 0 ? sum[v] / weight[v]
                                             : mGlobal[node->mName.C_Str()] * mesh->mVertices[v]);
        }
        for (unsigned i = 0; i < node->mNumChildren; ++i)
            meshes(node->mChildren[i], out);
    }

    const aiScene& mScene;
    const aiAnimation& mClip;
    std::map<std::string, aiMatrix4x4> mGlobal;
};

// The largest distance at any key frame between the converted file and the expected places.
template <class Expected> double largestError(const rvMeshFile& r, Expected expected) {
    double worst = 0;
    for (std::uint32_t f = 0; f < r.frameCount; ++f) {
        const std::vector<aiVector3D> want = expected(f);
        const std::vector<rvVector3> got = posed(r, f);
        if (want.size() != got.size())
            return HUGE_VAL;
        for (std::size_t v = 0; v < got.size(); ++v)
            worst = std::max<double>(worst,
                                     (aiVector3D(got[v].x, got[v].y, got[v].z) - want[v]).Length());
    }
    return worst;
}

TEST(Mshconvert, RealModelsMatchTheLibrarysOwnEvaluationAtEveryKeyFrame) {
    for (const char* file : {"glTF2/simple_skin/simple_skin.gltf", "FBX/huesitos.fbx",
                             "X/BCN_Epileptic.X", "X/Testwuson.X"}) {
        SCOPED_TRACE(file);
        std::string error;
        mshconvert::Scene scene = mshconvert::importModel(kModels + file, &error);
        ASSERT_TRUE(scene) << error;
        rvMeshFile r;
        mshconvert::Report report;
        mshconvert::Similarity s;
        ASSERT_TRUE(mshconvert::convert(*scene, {}, &r, &report, &error, &s)) << error;
        EXPECT_NEAR(report.height, 40.0, 1e-6);
        EXPECT_EQ(report.verticesLosingWeight, 0u); // else the evaluation would differ
        ASSERT_GT(r.frameCount, 1u);
        Evaluation evaluation(*scene, *scene->mAnimations[0]);
        const double error3d = largestError(r, [&](std::uint32_t f) {
            std::vector<aiVector3D> v = evaluation.at(f / 15.0);
            for (aiVector3D& p : v)
                p = applyS(s, p);
            return v;
        });
        EXPECT_LT(error3d, 1e-3 * report.height);
        // The poses the demo plays stand on the floor: the tallest key frame is the height, the
        // lowest point of all of them on y = 0.
        double tallest = 0, lowest = HUGE_VAL;
        for (std::uint32_t f = 0; f < r.frameCount; ++f) {
            double bottom = HUGE_VAL, top = -HUGE_VAL;
            for (const rvVector3& p : posed(r, f)) {
                bottom = std::min<double>(bottom, p.y);
                top = std::max<double>(top, p.y);
            }
            tallest = std::max(tallest, top - bottom);
            lowest = std::min(lowest, bottom);
        }
        EXPECT_NEAR(tallest, 40.0, 1e-3 * 40);
        EXPECT_NEAR(lowest, 0.0, 1e-3 * 40);
        std::printf("%s: %u vertices, %u bones, %u frames, largest error %.3g (of %g), feet %.3g "
                    "to %.3g\n",
                    file, r.vertexCount, r.boneCount, r.frameCount, error3d, report.height,
                    report.lowestFeet, report.highestFeet);
    }
}

TEST(Mshconvert, OurCharactersComeBackFromGlbInTheirOwnPoses) {
    for (auto make : {chargen::makeZax, chargen::makeZaphod}) {
        const rvMeshFile original = chargen::meshRecord(make());
        const std::string path =
            testing::TempDir() + "character_" + std::to_string(getpid()) + ".glb";
        std::string error;
        ASSERT_TRUE(gltf::writeGlb(path, gltf::fromMeshFile(original, 15), nullptr, &error));
        mshconvert::Scene scene = mshconvert::importModel(path, &error);
        ASSERT_TRUE(scene) << error;
        rvMeshFile r;
        mshconvert::Report report;
        mshconvert::Similarity s;
        ASSERT_TRUE(mshconvert::convert(*scene, {}, &r, &report, &error, &s)) << error;
        EXPECT_EQ(r.frameCount, original.frameCount);
        EXPECT_EQ(r.boneCount, original.boneCount);
        const double error3d = largestError(r, [&](std::uint32_t f) {
            std::vector<aiVector3D> v;
            for (const rvVector3& p : posed(original, f))
                v.push_back(applyS(s, aiVector3D(p.x, p.y, p.z)));
            return v;
        });
        EXPECT_LT(error3d, 1e-3 * report.height);
        std::printf("round trip: %u vertices, largest error %.3g (of %g)\n", r.vertexCount, error3d,
                    report.height);
        std::remove(path.c_str());
    }
}

// A triangle moved by `joints` joints over two key frames; each vertex weighs every joint
// with the given weights (padded with zeros to 4 or 8 influences).
gltf::Model triangle(unsigned joints, const std::vector<float>& weights) {
    gltf::Model m;
    m.positions = {0, 0, 0, 1, 0, 0, 0, 2, 0};
    m.indices = {0, 1, 2};
    m.influences = weights.size() > 4 ? 8 : 4;
    for (int v = 0; v < 3; ++v)
        for (unsigned k = 0; k < m.influences; ++k) {
            m.joints.push_back(static_cast<std::uint16_t>(k % joints));
            m.weights.push_back(k < weights.size() ? weights[k] : 0.0f);
        }
    m.jointCount = joints;
    m.frameCount = 2;
    for (unsigned j = 0; j < joints; ++j)
        for (unsigned f = 0; f < 2; ++f) {
            m.translations.insert(m.translations.end(), {0.1f * f, 0, 0});
            m.rotations.insert(m.rotations.end(), {1, 0, 0, 0});
        }
    return m;
}

// Converts a model of the writer; false with *error as the converter says.
bool convertModel(const gltf::Model& model, const mshconvert::Options& options, rvMeshFile* r,
                  mshconvert::Report* report, std::string* error) {
    const std::string path = testing::TempDir() + "model_" + std::to_string(getpid()) + ".glb";
    if (!gltf::writeGlb(path, model, nullptr, error))
        return false;
    mshconvert::Scene scene = mshconvert::importModel(path, error);
    std::remove(path.c_str());
    return scene && mshconvert::convert(*scene, options, r, report, error);
}

TEST(Mshconvert, WhatCannotBeRepresentedIsSaidOrRefused) {
    rvMeshFile r;
    mshconvert::Report report;
    std::string error;

    // A joint that doubles in size: refused, unless forced, with the error it causes.
    gltf::Model scaled = triangle(1, {1});
    scaled.scales = {1, 1, 1, 2, 2, 2};
    EXPECT_FALSE(convertModel(scaled, {}, &r, &report, &error));
    EXPECT_NE(error.find("scales or shears"), std::string::npos) << error;
    mshconvert::Options force;
    force.force = true;
    ASSERT_TRUE(convertModel(scaled, force, &r, &report, &error)) << error;
    EXPECT_GT(report.rigidError, 20.0); // the top vertex, 40 units up, would be at 80

    // Six influences: the four largest kept, renormalised, as bytes that sum to 255.
    ASSERT_TRUE(
        convertModel(triangle(6, {0.3f, 0.2f, 0.2f, 0.1f, 0.1f, 0.1f}), {}, &r, &report, &error))
        << error;
    EXPECT_EQ(report.verticesLosingWeight, 3u);
    EXPECT_NEAR(report.largestWeightLost, 0.2, 1e-6);
    for (std::uint32_t v = 0; v < r.vertexCount; ++v) {
        int sum = 0;
        for (int k = 0; k < 4; ++k)
            sum += static_cast<int>(std::lround(r.boneWeights[4 * v + k] * 255));
        EXPECT_EQ(sum, 255);
        EXPECT_NEAR(r.boneWeights[4 * v], 0.3 / 0.8, 1.0 / 255);
    }

    // No skeleton: a static mesh, with a note.
    gltf::Model still = triangle(1, {1});
    still.jointCount = 0;
    ASSERT_TRUE(convertModel(still, {}, &r, &report, &error)) << error;
    EXPECT_TRUE(report.staticMesh);
    EXPECT_FALSE(r.hasSkeleton());
    EXPECT_NEAR(report.height, 40.0, 1e-9); // the triangle as it stands, its foot at y = 0
    ASSERT_EQ(r.vertexCount, 3u);
    EXPECT_NEAR(std::min({r.positions[1], r.positions[4], r.positions[7]}), 0.0f, 1e-5f);
    ASSERT_EQ(report.notes.size(), 1u);

    // Kept in its units, three million units tall: beyond what a mesh file holds.
    gltf::Model far = triangle(1, {1});
    far.positions = {0, 0, 0, 1, 0, 0, 0, 3e6f, 0};
    mshconvert::Options keep;
    keep.keepUnits = true;
    EXPECT_FALSE(convertModel(far, keep, &r, &report, &error));
    EXPECT_NE(error.find("beyond the million units a mesh file holds"), std::string::npos) << error;

    // No such clip; a file the library cannot read.
    mshconvert::Options clip;
    clip.clip = "run";
    EXPECT_FALSE(convertModel(triangle(1, {1}), clip, &r, &report, &error));
    EXPECT_NE(error.find("no clip named or numbered \"run\""), std::string::npos) << error;
    EXPECT_FALSE(mshconvert::importModel(kModels + "glTF2/MissingBin/BoxTextured.gltf", &error));
    EXPECT_NE(error.find("BoxTextured.gltf: "), std::string::npos) << error;
}

// The program: its summary says what the demo's Direct3D effect cannot hold, and a file it
// cannot read ends it with status 1 and the library's message.
TEST(Mshconvert, TheProgramSummarisesAndFailsWithTheLibrarysMessage) {
    const std::string in = testing::TempDir() + "bones_" + std::to_string(getpid()) + ".glb";
    const std::string out = testing::TempDir() + "bones_" + std::to_string(getpid()) + ".MSH";
    std::string error;
    ASSERT_TRUE(gltf::writeGlb(in, triangle(60, {1}), nullptr, &error));
    auto run = [](const std::string& args) {
        std::FILE* pipe =
            popen((std::string(RV_MSHCONVERT_PATH) + " " + args + " 2>&1").c_str(), "r");
        std::string text;
        for (int c; pipe && (c = std::fgetc(pipe)) != EOF;)
            text += char(c);
        const int status = pipe ? pclose(pipe) : -1;
        return std::make_pair(WIFEXITED(status) ? WEXITSTATUS(status) : -1, text);
    };
    auto [status, text] = run(in + " " + out);
    EXPECT_EQ(status, 0) << text;
    EXPECT_NE(text.find("60 bones"), std::string::npos) << text;
    EXPECT_NE(text.find("more bones than the Direct3D effect's 56: that back end draws it in 1 "
                        "part(s)"),
              std::string::npos)
        << text;
    rvMeshFile written;
    EXPECT_TRUE(written.load(out.c_str())) << written.error();
    std::tie(status, text) = run(kModels + "glTF2/MissingBin/BoxTextured.gltf " + out);
    EXPECT_EQ(status, 1);
    EXPECT_NE(text.find("mshconvert: "), std::string::npos) << text;
    std::remove(in.c_str());
    std::remove(out.c_str());
}

} // namespace
