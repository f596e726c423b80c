// The model's texture, as the converter writes it beside the mesh file.
#pragma once

#include <string>

#include <assimp/scene.h>

#include "cimage.h"

namespace mshconvert {

// The base-colour (else diffuse) texture of the material that covers most triangles, decoded
// from its file (relative to modelDir) or from the scene's embedded data. False with *error
// set when there is none or it cannot be decoded; *source names it.
bool baseColourTexture(const aiScene& scene, const std::string& modelDir, CImage* image,
                       std::string* source, std::string* error);

} // namespace mshconvert
