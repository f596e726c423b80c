// The converter from the rigged formats the Open Asset Import Library reads to our mesh files:
// every mesh of the model merged into one, the skeleton sampled into key frames, at most four
// influences per vertex, and the demo's size and axes.
//
// Keys: for bone b at key frame f the file holds the rigid transform K that takes a bind-pose
// vertex p (as stored in POSN) to its posed place, K = S · G_b(t_f) · O_b · N⁻¹ · S⁻¹, where
// G_b is the bone node's animated global transform, O_b its offset (inverse bind) matrix, N
// the global transform of the node that holds the mesh, and S the similarity that gives the
// demo's conventions (y up, the chosen height, feet on the floor) for the poses the demo shows,
// which are the clip's key frames: the tallest of them is the chosen height, the lowest point of
// all of them is at y = 0, and the box around all of them is centred on x = z = 0 (without a
// clip: the bind pose). POSN holds S · N · v. A
// mesh without bones, or a vertex no bone weighs, follows its own node as if that node were a
// bone with offset N⁻¹.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "rvmeshfile.h"

struct aiScene;

namespace mshconvert {

struct Options {
    double framesPerSecond = 15.0;
    double height = 40.0;   // units from the feet to the top of the tallest key frame (the
                            // bind pose without a clip)
    bool keepUnits = false; // no scaling, only the axes and the origin
    std::string clip;       // name or index; empty: the first
    bool force = false;     // write even when rotations and translations cannot hold the motion
    double maxRigidError = 1e-3; // of the height: past it the conversion is refused without force
};

struct Report {
    unsigned meshes = 0; // meshes merged
    unsigned vertices = 0;
    unsigned triangles = 0;
    unsigned bones = 0; // bones written (nodes that move vertices)
    unsigned frames = 0;
    std::string clipName;
    double clipSeconds = 0;
    double height = 0; // of the tallest key frame (the bind pose) in the output's units
    // The lowest point of the key frames: 0 for the lowest of them, and the highest of them.
    double lowestFeet = 0, highestFeet = 0;
    double scale = 1; // output units per model unit
    // What could not be represented.
    double rigidError = 0; // largest position error of rotation + translation keys, in output units
    unsigned verticesLosingWeight = 0; // vertices with more than four influences
    double largestWeightLost = 0;   // largest weight dropped from one vertex, before renormalising
    unsigned skippedFaces = 0;      // points and lines
    bool staticMesh = false;        // no skeleton or no animation: written without one
    std::vector<std::string> notes; // one line each, for the summary
};

// The transform S as a 4 × 4 matrix in the column-vector convention, row by row (m[4 * row +
// column]), so that tests can evaluate the source model in the output's space.
struct Similarity {
    double m[16];
};

// A scene as the library imported it; released with it.
using Scene = std::unique_ptr<const aiScene, void (*)(const aiScene*)>;

// Reads a model with the import flags the converter relies on (triangulation, joined vertices,
// generated normals and tangents where the file has none, nothing else changed). Empty with
// *error set (the library's own message) when it cannot be read.
Scene importModel(const std::string& path, std::string* error);

// One line per clip, mesh and skeleton: what --list prints.
std::string describe(const aiScene& scene);

// Converts the scene. False with *error set when the model cannot be written (nothing to
// convert, no such clip, more than 255 bones, or motion beyond the rigid threshold without
// force). progress(done, total) is called while the clip is sampled.
bool convert(const aiScene& scene, const Options& options, rvMeshFile* out, Report* report,
             std::string* error, Similarity* similarity = nullptr,
             const std::function<void(unsigned, unsigned)>& progress = {});

} // namespace mshconvert
