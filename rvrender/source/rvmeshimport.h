// The one import sequence that both back ends run for importMSHFile: read a mesh file and
// pour its arrays into a back-end mesh through the rvMesh interface, in this order:
// positions, 32-bit indices, texture coordinates, normals, tangents (extra stream 0, 4
// components), colours (or opaque white), primitive count = indexCount / 3.
#pragma once

#include <string>

class rvMesh;
class rvAnimMesh;
class rvMeshFile;

// Fills `mesh` from a loaded record.
void rvFillMeshFromRecord(const rvMeshFile& record, rvMesh* mesh);

// Loads `file` into `mesh`. On failure returns false with the reason in *error (the message
// names the file) and leaves the mesh empty, so it draws nothing.
bool rvImportMeshFile(const char* file, rvMesh* mesh, std::string* error);

// Loads `file` into `innerMesh`, hands it to `anim` (which takes ownership) and gives `anim`
// the skeleton when the file has one. On failure returns false with *error set; the inner
// mesh is still handed over, empty.
bool rvImportAnimMeshFile(const char* file, rvAnimMesh* anim, rvMesh* innerMesh,
                          std::string* error);
