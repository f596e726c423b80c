#include "rvmeshimport.h"

#include <cassert>

#include "rvanimmesh.h"
#include "rvmesh.h"
#include "rvmeshfile.h"

void rvFillMeshFromRecord(const rvMeshFile& record, rvMesh* mesh) {
    assert(mesh && "Error in rvFillMeshFromRecord()");
    const int n = static_cast<int>(record.vertexCount);
    // Counts come from the record's header fields; a record must agree with its arrays (the
    // reader guarantees it), or the mesh would copy past their ends.
    assert(record.positions.size() == 3u * record.vertexCount);
    assert(record.indices.size() == record.indexCount);

    mesh->setPositions(record.positions.data(), n * 3);
    mesh->setIndexArray32(record.indices.data(), static_cast<int>(record.indexCount));
    if (record.hasTexCoords()) {
        assert(record.texCoords.size() == 2u * record.vertexCount);
        mesh->setUVs(record.texCoords.data(), n * 2);
    }
    if (record.hasNormals()) {
        assert(record.normals.size() == 3u * record.vertexCount);
        mesh->setNormals(record.normals.data(), n * 3);
    }
    if (record.hasTangents()) {
        assert(record.tangents.size() == 4u * record.vertexCount);
        mesh->setData(record.tangents.data(), n * 16, 4);
    }
    if (record.hasColors()) {
        assert(record.colors.size() == 4u * record.vertexCount);
        mesh->setFourFloatColors(record.colors.data(), n * 4);
    } else {
        mesh->setConstantColor(1.0f, 1.0f, 1.0f, 1.0f, n);
    }
    mesh->setPrimitiveCount(static_cast<int>(record.indexCount / 3));
}

bool rvImportMeshFile(const char* file, rvMesh* mesh, std::string* error) {
    assert(file && mesh && "Error in rvImportMeshFile()");
    rvMeshFile record;
    if (!record.load(file)) {
        if (error) {
            *error = record.error();
        }
        return false;
    }
    rvFillMeshFromRecord(record, mesh);
    return true;
}

bool rvImportAnimMeshFile(const char* file, rvAnimMesh* anim, rvMesh* innerMesh,
                          std::string* error) {
    assert(file && anim && innerMesh && "Error in rvImportAnimMeshFile()");
    anim->setMesh(innerMesh);
    rvMeshFile record;
    if (!record.load(file)) {
        // No skeleton either: an empty mesh with bones would have nothing to pose.
        anim->setSkeleton(rvMeshFile());
        if (error) {
            *error = record.error();
        }
        return false;
    }
    rvFillMeshFromRecord(record, innerMesh);
    if (record.hasSkeleton()) {
        anim->setSkeleton(record);
    }
    return true;
}
