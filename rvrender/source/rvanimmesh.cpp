#include "rvanimmesh.h"

#include <algorithm>
#include <cassert>
#include <chrono>
#include <memory>

#include "rvmesh.h"
#include "rvquaternion.h"

namespace {
double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}
} // namespace

rvAnimMesh::rvAnimMesh()
    : mFrameCount(0), mBoneCount(0), mTime(0.0f), mCurrentFrame(0), mFrameDuration(0.0f),
      mPrepared(false) {}

rvAnimMesh::~rvAnimMesh() = default;

void rvAnimMesh::update(float seconds) {
    if (!mPaused && (mSpeed == 1.0f || mFrameDuration <= 0.0f)) {
        mTime += seconds;
        if (mTime >= mFrameDuration) {
            ++mCurrentFrame;
            // ≥ rather than ==: without key frames (mFrameCount 0) the counter stays at 0
            // instead of running away.
            if (mCurrentFrame >= mFrameCount) {
                mCurrentFrame = 0;
            }
            mTime = 0.0f;
        }
    } else if (!mPaused) {
        mTime = std::max(0.0f, mTime + seconds * mSpeed);
        for (; mTime >= mFrameDuration; mTime -= mFrameDuration) {
            mCurrentFrame = mCurrentFrame + 1 < mFrameCount ? mCurrentFrame + 1 : 0;
        }
    }
    pose();
}

void rvAnimMesh::setSpeed(float speed) {
    if (speed > 0.0f) {
        mSpeed = speed;
    }
}

void rvAnimMesh::stepKeyFrames(int frames) {
    if (mFrameCount > 0) {
        mCurrentFrame = ((mCurrentFrame + frames) % mFrameCount + mFrameCount) % mFrameCount;
    }
    mTime = 0.0f;
    pose();
}

void rvAnimMesh::pose() {
    int next = mCurrentFrame + 1;
    if (next >= mFrameCount) {
        next = 0;
    }
    const float t = (mTime == 0.0f) ? 0.0f : mTime / mFrameDuration;
    animate(mCurrentFrame, next, t);
}

void rvAnimMesh::setFrameRate(int framesPerSecond) {
    if (framesPerSecond > 0) {
        mFrameDuration = 1.0f / static_cast<float>(framesPerSecond);
    }
}

void rvAnimMesh::lerp(const rvVector3& a, const rvVector3& b, float t, rvVector3* out) {
    assert(out && "Error in rvAnimMesh::lerp()");
    const float s = 1.0f - t;
    out->x = s * a.x + t * b.x;
    out->y = s * a.y + t * b.y;
    out->z = s * a.z + t * b.z;
}

void rvAnimMesh::setMesh(rvMesh* mesh) {
    if (mesh != mMesh.get()) {
        mMesh.reset(mesh);
    }
    // The bind pose belongs to the mesh it was copied from: a new mesh gets a new copy at
    // the next animate.
    mPrepared = false;
    mBindPositions.clear();
    // So do the parts made from it.
    mPartMeshes.clear();
    mPartBones.clear();
}

void rvAnimMesh::setSkeleton(const rvMeshFile& record) {
    if (!record.hasSkeleton()) {
        mFrameCount = 0;
        mBoneCount = 0;
        mBoneKeys.clear();
        mBoneIndices.clear();
        mBoneWeights.clear();
        mBoneMatrices.clear();
        mTriangles.clear();
        mCurrentFrame = 0;
        return;
    }
    // A loaded record is consistent (the reader checks it); a hand-built one must be too.
    assert(record.boneKeys.size() ==
           static_cast<std::size_t>(record.boneCount) * record.frameCount);
    assert(record.boneIndices.size() == record.boneWeights.size());
#ifndef NDEBUG
    for (std::uint8_t b : record.boneIndices) {
        assert(b < record.boneCount);
    }
#endif
    mFrameCount = static_cast<int>(record.frameCount);
    mBoneCount = static_cast<int>(record.boneCount);
    mBoneKeys = record.boneKeys;
    mBoneIndices = record.boneIndices;
    mBoneWeights = record.boneWeights;
    mTriangles = record.indices;
    if (mTriangles.empty()) { // an unindexed triangle list
        mTriangles.resize(record.vertexCount - record.vertexCount % 3);
        for (std::size_t i = 0; i < mTriangles.size(); ++i) {
            mTriangles[i] = static_cast<std::uint32_t>(i);
        }
    }
    if (mPrepared) {
        buildPlan(); // the bind pose stays; the influences are new
    }
    if (mCurrentFrame >= mFrameCount) {
        mCurrentFrame = 0;
    }
}

const float* rvAnimMesh::getBoneWeights() const {
    return mBoneWeights.empty() ? nullptr : mBoneWeights.data();
}

const unsigned char* rvAnimMesh::getBoneIndices() const {
    return mBoneIndices.empty() ? nullptr : mBoneIndices.data();
}

const rvMatrix44* rvAnimMesh::getBoneMatrices() const {
    return (hasSkeleton() && !mBoneMatrices.empty()) ? mBoneMatrices.data() : nullptr;
}

bool rvAnimMesh::usePalette(int paletteBones) {
    mPaletteBones = 0; // the processor reads every bone matrix wherever it is
    (void)paletteBones;
    return true;
}

int rvAnimMesh::getPartCount() const {
    return mPartMeshes.empty() ? 1 : static_cast<int>(mPartMeshes.size());
}

rvMesh* rvAnimMesh::getPartMesh(int part) const {
    if (mPartMeshes.empty()) {
        return part == 0 ? mMesh.get() : nullptr;
    }
    return part >= 0 && part < getPartCount() ? mPartMeshes[part].get() : nullptr;
}

const rvMatrix44* rvAnimMesh::getPartPalette(int part, int* count) {
    *count = 0;
    const rvMatrix44* all = getBoneMatrices();
    if (!all || part < 0 || part >= getPartCount()) {
        return nullptr;
    }
    if (mPartMeshes.empty()) {
        if (mPaletteBones > 0 && mBoneCount > mPaletteBones) {
            return nullptr;
        }
        *count = mBoneCount;
        return all;
    }
    const std::vector<int>& bones = mPartBones[part];
    mPalette.resize(bones.size());
    for (std::size_t slot = 0; slot < bones.size(); ++slot) {
        mPalette[slot] = all[bones[slot]];
    }
    *count = static_cast<int>(bones.size());
    return mPalette.data();
}

void rvAnimMesh::prepareSkinning() {
    mBindPositions.clear();
    if (mMesh) {
        float* copy = nullptr;
        mMesh->getPositions(&copy);
        const std::unique_ptr<float[]> verts(copy);
        if (verts) {
            const int n = mMesh->getVertexCount();
            mBindPositions.resize(n);
            for (int i = 0; i < n; ++i) {
                mBindPositions[i] = rvVector3(verts[3 * i], verts[3 * i + 1], verts[3 * i + 2]);
            }
        }
    }
    mBoneMatrices.assign(mBoneCount, rvMatrix44());
    buildPlan();
    mPrepared = true;
}

void rvAnimMesh::buildPlan() {
    const std::size_t n = mBindPositions.size();
    if (n > 0 && mBoneIndices.size() == 4 * n && mBoneWeights.size() == 4 * n) {
        mPlan.build(&mBindPositions[0].x, static_cast<int>(n), mBoneIndices.data(),
                    mBoneWeights.data());
    } else {
        mPlan.build(nullptr, 0, nullptr, nullptr);
    }
}

void rvAnimMesh::computeBoneMatrices(int frameA, int frameB, float t) {
    assert(frameA >= 0 && frameA < mFrameCount && frameB >= 0 && frameB < mFrameCount);
    const auto start = std::chrono::steady_clock::now();
    if (mBoneMatrices.size() != static_cast<std::size_t>(mBoneCount)) {
        mBoneMatrices.resize(mBoneCount); // only when the skeleton changed
    }
    for (int b = 0; b < mBoneCount; ++b) {
        mBoneMatrices[b] = rvBoneMatrix(key(b, frameA), key(b, frameB), t);
    }
    mLastPoseCost.bones = secondsSince(start);
    mLastPoseCost.skinning = 0.0;
}

void rvAnimMesh::animate(int frameA, int frameB, float t) {
    // Without animation data the mesh keeps the positions of its file.
    if (!hasSkeleton() || !mMesh) {
        return;
    }
    if (!mPrepared) {
        prepareSkinning();
    }
    computeBoneMatrices(frameA, frameB, t);

    // The bind pose, the bone arrays and the mesh must describe the same vertices; if the mesh
    // was refilled with another vertex count the skeleton no longer fits and is not applied.
    const int n = mPlan.vertexCount();
    if (n == 0 || mMesh->getVertexCount() != n) {
        return;
    }
    const auto start = std::chrono::steady_clock::now();
    rvVector3 lo, hi;
    float* out = mMesh->beginPositions(n);
    mPlan.skin(mBoneMatrices.data(), out, &lo, &hi, rvCurrentSkinPath());
    mMesh->commitPositions(n, lo, hi);
    mLastPoseCost.skinning = secondsSince(start);
}

rvMatrix44 rvBoneMatrix(const rvBoneKey& a, const rvBoneKey& b, float t) {
    rvMatrix44 m = rvSlerp(t, a.rotation, b.rotation).toMatrix();
    rvVector3 trans;
    rvAnimMesh::lerp(a.translation, b.translation, t, &trans);
    m.m[3] = 0.0f;
    m.m[7] = 0.0f;
    m.m[11] = 0.0f;
    m.m[12] = trans.x;
    m.m[13] = trans.y;
    m.m[14] = trans.z;
    m.m[15] = 1.0f;
    return m;
}

void rvSkinPerVertexReference(const rvVector3* bind, int vertexCount, const unsigned char* indices,
                              const float* weights, const rvBoneKey* keys, int frameCount,
                              int frameA, int frameB, float t, rvVector3* out) {
    for (int v = 0; v < vertexCount; ++v) {
        rvVector3 posAccum;
        for (int j = 0; j < 4; ++j) {
            const int b = indices[4 * v + j];
            const rvBoneKey& ka = keys[b * frameCount + frameA];
            const rvBoneKey& kb = keys[b * frameCount + frameB];
            const rvQuaternion slerped = rvSlerp(t, ka.rotation, kb.rotation);
            rvVector3 trans;
            rvAnimMesh::lerp(ka.translation, kb.translation, t, &trans);
            rvMatrix44 bone = slerped.toMatrix();
            bone(3, 0) = trans.x;
            bone(3, 1) = trans.y;
            bone(3, 2) = trans.z;
            bone(3, 3) = 1.0f;
            posAccum += rvTransformPoint(bind[v], bone) * weights[4 * v + j];
        }
        out[v] = posAccum;
    }
}
