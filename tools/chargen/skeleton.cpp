#include "skeleton.h"

#include <cassert>

namespace chargen {

int Skeleton::add(const std::string& name, int parent, const V3& head, const V3& tail) {
    assert(parent < size() && (parent >= 0 || mBones.empty()) && "parents precede children");
    mBones.push_back({name, parent, head, tail});
    return size() - 1;
}

int Skeleton::find(const std::string& name) const {
    for (int i = 0; i < size(); ++i) {
        if (mBones[i].name == name)
            return i;
    }
    return -1;
}

Pose bindPose(const Skeleton& skeleton) {
    Pose pose;
    pose.rotation.assign(skeleton.size(), Quat());
    if (skeleton.size() > 0)
        pose.rootPosition = skeleton.bone(0).head;
    return pose;
}

void setLocal(const Skeleton& skeleton, Pose& pose, int b, const Quat& local) {
    int parent = skeleton.bone(b).parent;
    pose.rotation[b] = parent >= 0 ? pose.rotation[parent] * local : local;
}

std::vector<V3> jointPositions(const Skeleton& skeleton, const Pose& pose) {
    std::vector<V3> joints(skeleton.size());
    for (int b = 0; b < skeleton.size(); ++b) {
        const Bone& bone = skeleton.bone(b);
        if (bone.parent < 0) {
            joints[b] = pose.rootPosition;
        } else {
            const Bone& parent = skeleton.bone(bone.parent);
            joints[b] =
                joints[bone.parent] + pose.rotation[bone.parent].rotate(bone.head - parent.head);
        }
    }
    return joints;
}

std::vector<Rigid> skinTransforms(const Skeleton& skeleton, const Pose& pose) {
    std::vector<V3> joints = jointPositions(skeleton, pose);
    std::vector<Rigid> out(skeleton.size());
    for (int b = 0; b < skeleton.size(); ++b) {
        // bind → pose: undo the bind placement (a pure translation, the bind rotation being
        // the identity), rotate, and move to the posed joint.
        const Quat& r = pose.rotation[b];
        out[b] = {r, joints[b] - r.rotate(skeleton.bone(b).head)};
    }
    return out;
}

} // namespace chargen
