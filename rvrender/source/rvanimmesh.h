// A skinned, key-framed character: an inner back-end mesh plus a skeleton of bones with one
// key (rotation, translation) per key frame, and four bone indices and weights per vertex.
//
// update() advances the key frame at a fixed rate and poses the model between the current
// key frame and the next. This base class skins every vertex position on the processor,
// straight into the inner mesh (OpenGL back end), with the kernels of rvskinning.h; the Direct3D
// back end derives from it and only computes the bone matrices, leaving the skinning to its effect.
//
// A bone's matrix rotates by the slerped key rotation and then translates by the lerped key
// translation (row-vector convention): it takes a bind-pose vertex to its posed place.
#pragma once

#include <memory>
#include <vector>

#include "rvmatrix.h"
#include "rvmeshfile.h"
#include "rvskinning.h"
#include "rvvector.h"

class rvMesh;

class rvAnimMesh {
public:
    rvAnimMesh();

    // Poses the model between key frames frameA and frameB with blend factor t in [0, 1).
    // The first call takes the bind-pose copy (prepareSkinning). Each bone's matrix is
    // computed once per call. Without skeleton data nothing is posed and the mesh keeps the
    // positions of its file.
    virtual void animate(int frameA, int frameB, float t); // 0
    // Copies the inner mesh's positions as the bind pose and allocates the pose arrays.
    virtual void prepareSkinning(); // 1
    virtual ~rvAnimMesh();          // 2
    // Prepares drawing with a bone palette of at most paletteBones matrices (a vertex shader's
    // bone array): a model with more bones is split into parts once, each drawn with its own
    // palette. Processor skinning needs no palette: this class keeps one part. False when the
    // model cannot be split; it then stays one part, with no palette (getPartPalette).
    virtual bool usePalette(int paletteBones); // 3

    // Adds the time; when it reaches one key frame's duration, advances one key frame (the
    // time beyond it is dropped) and poses between the current and the next key frame.
    void update(float seconds);
    // fps > 0 sets the key-frame duration to 1 / fps; other values change nothing.
    void setFrameRate(int framesPerSecond);

    // Time control. While paused, update adds no time and poses where the model is. The speed
    // multiplies update's seconds; at 1 the time beyond one key frame is dropped (as always),
    // at any other speed it is kept, so that a fast model advances as many key frames as the
    // time holds. A speed of 0 or less changes nothing.
    void setPaused(bool paused) { mPaused = paused; }
    bool isPaused() const { return mPaused; }
    void setSpeed(float speed);
    float getSpeed() const { return mSpeed; }
    // Moves `frames` key frames on (back when negative, around the clip's end and start) to
    // the start of that key frame, and poses there.
    void stepKeyFrames(int frames);
    // out = (1 − t)·a + t·b; out must not be null.
    static void lerp(const rvVector3& a, const rvVector3& b, float t, rvVector3* out);

    // Takes ownership of the inner mesh (deleting any previous one).
    void setMesh(rvMesh* mesh);
    // Copies the skeleton of a loaded record: keys, per-vertex indices and weights, and the
    // triangles they belong to (for usePalette). A record without a skeleton clears it.
    void setSkeleton(const rvMeshFile& record);

    rvMesh* getMesh() const { return mMesh.get(); }
    // 4 per vertex, or null without a skeleton.
    const float* getBoneWeights() const;
    const unsigned char* getBoneIndices() const;
    int getBoneCount() const { return mBoneCount; }
    int getFrameCount() const { return mFrameCount; }
    int getCurrentFrame() const { return mCurrentFrame; }
    float getTime() const { return mTime; }
    float getFrameDuration() const { return mFrameDuration; }
    // One matrix per bone from the last animate (16 floats each, row-major), or null before
    // the first animate or without a skeleton.
    const rvMatrix44* getBoneMatrices() const;
    // The parts to draw, each with its palette: one part (the inner mesh, every bone) unless
    // usePalette split the model.
    int getPartCount() const;
    rvMesh* getPartMesh(int part) const;
    // The part's bone matrices in its palette's order, from the last animate, and their number
    // in *count; null before the first animate, without a skeleton, or when the part has more
    // bones than the palette of the last usePalette.
    const rvMatrix44* getPartPalette(int part, int* count);
    // What the last animate cost, in seconds: the bone matrices (sampling the keys and making
    // the matrices) and the skinning of the vertices (0 where the effect skins them).
    struct PoseCost {
        double bones = 0.0;
        double skinning = 0.0;
    };
    const PoseCost& getLastPoseCost() const { return mLastPoseCost; }
    const rvBoneKey& key(int bone, int frame) const {
        return mBoneKeys[bone * mFrameCount + frame];
    }

    rvAnimMesh(const rvAnimMesh&) = delete;
    rvAnimMesh& operator=(const rvAnimMesh&) = delete;

protected:
    // Poses between the current key frame and the next at the time reached.
    void pose();
    bool hasSkeleton() const { return mBoneCount > 0 && mFrameCount > 0; }
    // Fills mBoneMatrices for the pose between frameA and frameB at t.
    void computeBoneMatrices(int frameA, int frameB, float t);
    // Groups the bind pose's vertices for skinning (none when the arrays do not fit together).
    void buildPlan();

    int mFrameCount;
    int mBoneCount;
    float mTime;
    std::vector<rvVector3> mBindPositions;
    rvSkinPlan mPlan; // the vertices grouped for skinning, made with the bind-pose copy
    std::unique_ptr<rvMesh> mMesh;
    std::vector<unsigned char> mBoneIndices; // 4 per vertex
    std::vector<float> mBoneWeights;         // 4 per vertex
    std::vector<rvBoneKey> mBoneKeys;        // [bone * mFrameCount + frame]
    int mCurrentFrame;
    float mFrameDuration;
    std::vector<rvMatrix44> mBoneMatrices; // one per bone, valid after the first animate
    bool mPrepared;
    std::vector<std::uint32_t> mTriangles; // the file's indices (three per triangle)
    // Set by usePalette: the palette's size (0: none asked for), and when the model is split,
    // each part's mesh and bones (palette slot → bone).
    int mPaletteBones = 0;
    std::vector<std::unique_ptr<rvMesh>> mPartMeshes;
    std::vector<std::vector<int>> mPartBones;
    std::vector<rvMatrix44> mPalette; // the last palette handed out
    PoseCost mLastPoseCost;
    bool mPaused = false;
    float mSpeed = 1.0f;
};

// The bone matrix of one bone: rotation of slerp(t, a.rotation, b.rotation) in rows 0–2,
// lerp(a.translation, b.translation, t) in row 3.
rvMatrix44 rvBoneMatrix(const rvBoneKey& a, const rvBoneKey& b, float t);

// The plain per-vertex skinning: for every vertex and each of its four influences the bone
// matrix is built anew from the keys. The reference that animate's per-bone skinning is tested
// and measured against. out receives vertexCount positions.
void rvSkinPerVertexReference(const rvVector3* bind, int vertexCount, const unsigned char* indices,
                              const float* weights, const rvBoneKey* keys, int frameCount,
                              int frameA, int frameB, float t, rvVector3* out);
