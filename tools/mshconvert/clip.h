// The clip: the model's node transforms at any time of it, and where the demo will show the
// model over its key frames.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include <assimp/scene.h>

#include "skeleton.h"

namespace mshconvert {

// The clip named or numbered by `wanted` (empty: the first), or null: the model has none, or
// *error says that none has that name or number.
const aiAnimation* findClip(const aiScene& scene, const std::string& wanted, std::string* error);

// The clip's ticks per second (25 when it does not say).
double ticksPerSecond(const aiAnimation* clip);

// Global transforms of every node at a time of the clip: its channels' keys blended (linearly,
// spherically for rotations), held beyond their ends; nodes without a channel keep their own
// transform.
class Poser {
public:
    // Without a clip every node keeps its own transform.
    Poser(const aiScene& scene, const aiAnimation* clip);
    // Poses every node at a time in the clip's ticks.
    void pose(double ticks);
    const Mat4& global(const aiNode* node) const { return mGlobal.at(node); }

private:
    void walk(const aiNode* node, const Mat4& parent, double ticks);

    const aiScene& mScene;
    std::map<std::string, const aiNodeAnim*> mChannels;
    std::map<const aiNode*, Mat4> mGlobal;
};

// Where the demo will show the model, in the axes b (no scale, no origin yet): the box around
// every pose, the lowest point of each pose, and the height of the tallest.
struct Extent {
    V3 lo{HUGE_VAL, HUGE_VAL, HUGE_VAL}, hi{-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    std::vector<double> bottoms; // one per pose
    double tallest = 0;
};

// Adds a pose (the places of every vertex) to the extent.
void addPose(const std::vector<V3>& pose, Extent* e);

// The clip's key frames as the demo plays them: every vertex (positions in the merged model's
// space) moved by its bones, weights normalised, all influences, at each key frame's time.
// progress(done) is called after each key frame.
Extent clipExtent(const aiScene& scene, const aiAnimation* clip, unsigned frames,
                  double framesPerSecond, const Mat4& b, const std::vector<Bone>& bones,
                  const std::vector<Influence>& influences, const std::vector<V3>& positions,
                  const std::function<void(unsigned)>& progress);

} // namespace mshconvert
