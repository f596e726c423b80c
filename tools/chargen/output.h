// Writing a character's files into the demo's run directory.
#pragma once

#include <string>
#include <vector>

#include "characters.h"
#include "cimage.h"

namespace chargen {

// Writes the character's mesh file and texture under `demoDir` (creating meshes/ and
// textures/ as needed). On success `written` receives one line per file (its path, and for
// the mesh its vertex, triangle, bone and key-frame counts and bind-pose bounds, for the
// texture its size). False with `error` set when a file cannot be written.
bool writeCharacter(const std::string& demoDir, const Character& character,
                    std::vector<std::string>* written, std::string* error);

// The character's painted texture, as writeCharacter writes it.
bool paintTexture(const Character& character, CImage* image);

// Bind-pose bounding box of the mesh.
void meshBounds(const BodyMesh& mesh, V3* lo, V3* hi);

} // namespace chargen
