#include "rvd3danimmesh.h"

#include "rvbonepalette.h"
#include "rvd3dmesh.h"

void rvD3DAnimMesh::prepareSkinning() {
    mBoneMatrices.assign(mBoneCount, rvMatrix44());
    mPrepared = true;
}

void rvD3DAnimMesh::animate(int frameA, int frameB, float t) {
    if (!hasSkeleton()) {
        return;
    }
    if (!mPrepared) {
        prepareSkinning();
    }
    computeBoneMatrices(frameA, frameB, t);
}

bool rvD3DAnimMesh::usePalette(int paletteBones) {
    mPaletteBones = paletteBones;
    mPartMeshes.clear();
    mPartBones.clear();
    if (mBoneCount <= paletteBones) {
        return true;
    }
    auto* mesh = dynamic_cast<rvD3DMesh*>(mMesh.get());
    const std::size_t n = mesh ? static_cast<std::size_t>(mesh->getVertexCount()) : 0;
    if (n == 0 || mBoneIndices.size() != 4 * n || mBoneWeights.size() != 4 * n) {
        return false;
    }
    std::vector<rvBonePart> parts =
        rvSplitByBones(mTriangles.data(), mTriangles.size(), static_cast<int>(n),
                       mBoneIndices.data(), mBoneWeights.data(), paletteBones);
    for (rvBonePart& part : parts) {
        std::vector<float> weights;
        weights.reserve(4 * part.vertices.size());
        for (std::uint32_t v : part.vertices) {
            weights.insert(weights.end(), &mBoneWeights[4 * v], &mBoneWeights[4 * v + 4]);
        }
        std::unique_ptr<rvD3DMesh> partMesh = mesh->copyVertices(part.vertices, part.indices);
        if (!partMesh ||
            !partMesh->setBoneWeights(weights.data(), static_cast<int>(weights.size())) ||
            !partMesh->setBoneIndices(part.boneIndices.data(),
                                      static_cast<int>(part.boneIndices.size()))) {
            mPartMeshes.clear();
            mPartBones.clear();
            return false;
        }
        mPartMeshes.push_back(std::move(partMesh));
        mPartBones.push_back(std::move(part.bones));
    }
    return !mPartMeshes.empty();
}
