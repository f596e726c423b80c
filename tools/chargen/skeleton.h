// A bone hierarchy in its bind pose, poses of it, and the skinning keys that take the bind
// pose to a pose.
//
// Every bone's bind orientation is the identity: a bone is its joint position (head) and
// the end of its segment (tail) in model space. A pose gives each bone a global rotation
// and the root a position; every other joint follows from its parent (forward kinematics),
// so joints stay connected whatever rotations a pose holds.
#pragma once

#include <string>
#include <vector>

#include "toolmath.h"

namespace chargen {

using namespace toolmath;

struct Bone {
    std::string name;
    int parent = -1; // -1 only for the root, bone 0
    V3 head;         // joint position in the bind pose
    V3 tail;         // end of the bone's segment in the bind pose (for skin weights)
};

class Skeleton {
public:
    // Adds a bone and returns its number. The parent must already exist (or be -1 for the
    // first bone), so parents always precede their children.
    int add(const std::string& name, int parent, const V3& head, const V3& tail);
    // The bone's number, or -1 when no bone has that name.
    int find(const std::string& name) const;
    int size() const { return static_cast<int>(mBones.size()); }
    const Bone& bone(int i) const { return mBones[i]; }

private:
    std::vector<Bone> mBones;
};

// Global rotations (one per bone, relative to the bind pose) and the root joint's position.
struct Pose {
    std::vector<Quat> rotation;
    V3 rootPosition;
};

// The identity rotations with the root at its bind position.
Pose bindPose(const Skeleton& skeleton);
// Sets bone b's global rotation to its parent's global rotation followed by `local`
// (expressed in the parent's frame). The parent's rotation must be final.
void setLocal(const Skeleton& skeleton, Pose& pose, int b, const Quat& local);
// Joint positions of the pose, one per bone.
std::vector<V3> jointPositions(const Skeleton& skeleton, const Pose& pose);
// Per bone, the rigid transform that takes a bind-pose point attached to the bone to its
// place in the pose: rotation(p) + translation. These are the mesh file's keys.
std::vector<Rigid> skinTransforms(const Skeleton& skeleton, const Pose& pose);

} // namespace chargen
