// The animated mesh of the Direct3D back end: update computes one matrix per bone and leaves
// the skinning to the effect, which receives them as its "bones" array; the inner mesh keeps
// the positions of its file.
#pragma once

#include "rvanimmesh.h"

class rvD3DAnimMesh : public rvAnimMesh {
public:
    // Computes the bone matrices of the pose between frameA and frameB at t; without skeleton
    // data nothing is posed.
    void animate(int frameA, int frameB, float t) override;
    // Allocates the bone matrices (identity until the first animate); no bind-pose copy.
    void prepareSkinning() override;
};
