// The animated mesh of the Direct3D back end: update computes one matrix per bone and leaves
// the skinning to the effect, which receives them as its "bones" array; the inner mesh keeps
// the positions of its file. A model with more bones than the array holds is drawn in parts
// (usePalette), each a mesh of its own with the vertices its triangles use.
#pragma once

#include "rvanimmesh.h"

class rvD3DAnimMesh : public rvAnimMesh {
public:
    // Computes the bone matrices of the pose between frameA and frameB at t; without skeleton
    // data nothing is posed.
    void animate(int frameA, int frameB, float t) override;
    // Allocates the bone matrices (identity until the first animate); no bind-pose copy.
    void prepareSkinning() override;
    // Splits a model with more than paletteBones bones into parts (rvSplitByBones), each a
    // Direct3D mesh with every stream of the inner mesh for its vertices, the model's weights
    // and its palette's bone indices. False when the inner mesh, the skinning data and the
    // triangles do not fit together, or a part's buffers cannot be made.
    bool usePalette(int paletteBones) override;
};
