#include "rvd3danimmesh.h"

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
