// The demo's two characters, complete: proportions, body, motion, look, and the mesh record
// and key frames the engine reads.
//
// zax: short, stocky and broad, with a big head in a knit cap, big ears and short legs; 40
// units tall with its model origin between its feet, walking on the spot (32 key frames).
// zaphod: tall and lanky with long arms, a long nose and a hair tuft; about 33 units tall
// with its model origin at the pelvis, 16.7 units above its soles, standing and waving its
// right hand (36 key frames).
#pragma once

#include <string>
#include <vector>

#include "bodymesh.h"
#include "humanoid.h"
#include "paint.h"
#include "rvmeshfile.h"
#include "skeleton.h"
#include "tube.h"

namespace chargen {

struct Character {
    std::string name;
    std::string meshFile;    // relative to the demo directory
    std::string textureFile; // relative to the demo directory
    int textureChannels = 3; // 3: 24-bit BMP, 4: 32-bit TGA
    int textureSize = 512;
    double soleY = 0.0; // bind-pose height of the soles
    Humanoid body;
    std::vector<Tube> parts;
    BodyMesh mesh;
    std::vector<Pose> poses; // one per key frame
    Look look;
};

Character makeZax();
Character makeZaphod();
// mico: zax's build and clothes with five three-joint fingers on each hand and a tail of 20
// joints (71 bones), walking like zax, the fingers closing and the tail swinging. Not one of the
// demo's characters: a model for the converter and the renderers with more bones than the
// Direct3D effect holds.
Character makeMico();

// The mesh file record: geometry, skin, and keys[bone * frameCount + frame] taking the bind
// pose to each key frame's pose. Weights are the mesh's bytes / 255, so that the writer's
// rounding gives the same bytes back.
rvMeshFile meshRecord(const Character& character);

} // namespace chargen
