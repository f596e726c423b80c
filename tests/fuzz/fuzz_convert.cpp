// The converter's own checks on what the import library hands it: a scene is built from the
// input (nodes, meshes with faces and bones, a clip with keys; every number as the input says,
// NaN and infinity included) and converted. A conversion that succeeds must give a file our
// reader accepts.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <assimp/scene.h>
#include <fuzzer/FuzzedDataProvider.h>

#include "convert.h"

namespace {

float number(FuzzedDataProvider& in) {
    // Mostly small values, sometimes any bit pattern.
    if (in.ConsumeBool())
        return in.ConsumeIntegralInRange<int>(-8, 8) * 0.5f;
    return in.ConsumeFloatingPoint<float>();
}

aiMatrix4x4 matrix(FuzzedDataProvider& in) {
    aiMatrix4x4 m;
    if (in.ConsumeBool())
        return m; // identity
    for (ai_real* v = &m.a1; v <= &m.d4; ++v)
        *v = number(in);
    return m;
}

// The library's destructors free an array only when its count is not zero.
template <class T> T* array(unsigned count) {
    return count ? new T[count] : nullptr;
}

aiString name(unsigned index) {
    return aiString("n" + std::to_string(index));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    aiScene scene;

    // Nodes n0 … n(k-1), each a child of an earlier one.
    const unsigned nodes = in.ConsumeIntegralInRange<unsigned>(1, 8);
    std::vector<aiNode*> node(nodes);
    std::vector<std::vector<aiNode*>> children(nodes);
    for (unsigned i = 0; i < nodes; ++i) {
        node[i] = new aiNode(name(i).C_Str());
        node[i]->mTransformation = matrix(in);
        if (i > 0) {
            unsigned parent = in.ConsumeIntegralInRange<unsigned>(0, i - 1);
            node[i]->mParent = node[parent];
            children[parent].push_back(node[i]);
        }
    }
    for (unsigned i = 0; i < nodes; ++i)
        if (!children[i].empty()) {
            node[i]->mNumChildren = static_cast<unsigned>(children[i].size());
            node[i]->mChildren = new aiNode*[children[i].size()];
            std::copy(children[i].begin(), children[i].end(), node[i]->mChildren);
        }
    scene.mRootNode = node[0];

    // Meshes, each held by one node.
    scene.mNumMeshes = in.ConsumeIntegralInRange<unsigned>(0, 3);
    scene.mMeshes = array<aiMesh*>(scene.mNumMeshes);
    std::vector<std::vector<unsigned>> held(nodes);
    for (unsigned m = 0; m < scene.mNumMeshes; ++m) {
        aiMesh* mesh = scene.mMeshes[m] = new aiMesh();
        held[in.ConsumeIntegralInRange<unsigned>(0, nodes - 1)].push_back(m);
        mesh->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
        mesh->mNumVertices = in.ConsumeIntegralInRange<unsigned>(1, 32);
        mesh->mVertices = new aiVector3D[mesh->mNumVertices];
        mesh->mNormals = new aiVector3D[mesh->mNumVertices];
        for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
            mesh->mVertices[v] = aiVector3D(number(in), number(in), number(in));
            mesh->mNormals[v] = aiVector3D(number(in), number(in), number(in));
        }
        mesh->mNumFaces = in.ConsumeIntegralInRange<unsigned>(1, 16);
        mesh->mFaces = new aiFace[mesh->mNumFaces];
        for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
            aiFace& face = mesh->mFaces[f];
            face.mNumIndices = in.ConsumeIntegralInRange<unsigned>(2, 3);
            face.mIndices = new unsigned[face.mNumIndices];
            for (unsigned k = 0; k < face.mNumIndices; ++k)
                face.mIndices[k] = in.ConsumeIntegralInRange<unsigned>(0, mesh->mNumVertices);
        }
        mesh->mNumBones = in.ConsumeIntegralInRange<unsigned>(0, 6);
        mesh->mBones = array<aiBone*>(mesh->mNumBones);
        for (unsigned b = 0; b < mesh->mNumBones; ++b) {
            aiBone* bone = mesh->mBones[b] = new aiBone();
            bone->mName = name(in.ConsumeIntegralInRange<unsigned>(0, nodes)); // n(nodes): none
            bone->mOffsetMatrix = matrix(in);
            bone->mNumWeights = in.ConsumeIntegralInRange<unsigned>(0, 8);
            bone->mWeights = array<aiVertexWeight>(bone->mNumWeights);
            for (unsigned w = 0; w < bone->mNumWeights; ++w)
                bone->mWeights[w] = aiVertexWeight(
                    in.ConsumeIntegralInRange<unsigned>(0, mesh->mNumVertices), number(in));
        }
    }
    for (unsigned i = 0; i < nodes; ++i)
        if (!held[i].empty()) {
            node[i]->mNumMeshes = static_cast<unsigned>(held[i].size());
            node[i]->mMeshes = new unsigned[held[i].size()];
            std::copy(held[i].begin(), held[i].end(), node[i]->mMeshes);
        }

    // A clip, or none.
    if (in.ConsumeBool()) {
        scene.mNumAnimations = 1;
        scene.mAnimations = array<aiAnimation*>(1);
        aiAnimation* clip = scene.mAnimations[0] = new aiAnimation();
        clip->mDuration = number(in);
        clip->mTicksPerSecond = number(in);
        clip->mNumChannels = in.ConsumeIntegralInRange<unsigned>(0, 4);
        clip->mChannels = array<aiNodeAnim*>(clip->mNumChannels);
        for (unsigned c = 0; c < clip->mNumChannels; ++c) {
            aiNodeAnim* ch = clip->mChannels[c] = new aiNodeAnim();
            ch->mNodeName = name(in.ConsumeIntegralInRange<unsigned>(0, nodes - 1));
            ch->mNumPositionKeys = in.ConsumeIntegralInRange<unsigned>(0, 3);
            ch->mPositionKeys = array<aiVectorKey>(ch->mNumPositionKeys);
            for (unsigned k = 0; k < ch->mNumPositionKeys; ++k)
                ch->mPositionKeys[k] =
                    aiVectorKey(number(in), aiVector3D(number(in), number(in), number(in)));
            ch->mNumRotationKeys = in.ConsumeIntegralInRange<unsigned>(0, 3);
            ch->mRotationKeys = array<aiQuatKey>(ch->mNumRotationKeys);
            for (unsigned k = 0; k < ch->mNumRotationKeys; ++k)
                ch->mRotationKeys[k] = aiQuatKey(
                    number(in), aiQuaternion(number(in), number(in), number(in), number(in)));
            ch->mNumScalingKeys = in.ConsumeIntegralInRange<unsigned>(0, 3);
            ch->mScalingKeys = array<aiVectorKey>(ch->mNumScalingKeys);
            for (unsigned k = 0; k < ch->mNumScalingKeys; ++k)
                ch->mScalingKeys[k] =
                    aiVectorKey(number(in), aiVector3D(number(in), number(in), number(in)));
        }
    }

    mshconvert::Options options;
    options.force = in.ConsumeBool();
    options.keepUnits = in.ConsumeBool();
    rvMeshFile record;
    mshconvert::Report report;
    std::string error;
    if (mshconvert::convert(scene, options, &record, &report, &error)) {
        const std::vector<std::uint8_t> bytes = rvEncodeMeshFile(record);
        rvMeshFile reread;
        if (!reread.loadFromMemory(bytes.data(), bytes.size()))
            __builtin_trap(); // the converter wrote a file our reader refuses
    }
    return 0;
}
