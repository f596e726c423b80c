// The binary mesh file ("RVENGMSH", version 100) and its reader.
//
// Layout (little-endian, unaligned): a 13-byte header (8 magic bytes, u32 version 100, u8
// format flag 1), then chunks up to the end of the file, each a 12-byte header (4-char tag,
// u32 reserved, u32 payload length) and its payload:
//   POSN 3 floats per vertex (sets vertexCount)   NORM 3 floats per vertex
//   TEXC 2 floats per vertex                      TANG 4 floats per vertex
//   COLR 4 floats per vertex (alpha, red, green, blue)
//   INDX u32 triangle-list indices                BONW 4 weight bytes per vertex (byte / 255)
//   BONI 4 bone-number bytes per vertex
//   BONE a u32 frameCount stands after the chunk header and is not counted in the length;
//        then the keys bone by bone, frameCount keys per bone, each 7 floats: translation
//        x, y, z, rotation w, x, y, z.
//
// The reader defines validity and checks every length once at the edge: a valid file has each
// tag at most once, only the nine tags, POSN (at least one vertex) and INDX (at least one
// whole triangle) present, POSN before every other per-vertex chunk, per-vertex lengths of
// exactly vertexCount elements, indices below vertexCount, BONE with frameCount ≥ 1 and a
// length of at least one whole bone (bytes after the last whole bone are skipped), BONW and
// BONI exactly when BONE is present and bone numbers below boneCount, and no chunk or chunk
// header running past the end of the file. Anything else fails the load with a one-line
// reason; nothing is read from or allocated for a length the file does not hold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "rvquaternion.h"
#include "rvvector.h"

// The largest magnitude of a number of the geometry and the keys that a file may hold. No model
// has a coordinate, a texture coordinate or a translation of a million units (a 2 m figure in
// millimetres is 2000); numbers near the float limit are finite but overflow to infinity once
// the skinning adds and multiplies them.
constexpr float kRvLargestMeshValue = 1.0e6f;

// One skeleton key in memory: rotation first, then translation (the file stores the
// translation first).
struct rvBoneKey {
    rvQuaternion rotation;
    rvVector3 translation;
};

// One chunk as found in a file, for inspection tools.
struct rvMeshChunkInfo {
    char tag[5];          // NUL-terminated
    std::uint32_t length; // payload length as stored (BONE: without its frameCount)
    std::uint64_t offset; // file offset of the chunk header
};

class rvMeshFile {
public:
    rvMeshFile() = default;

    // Reads a whole file. True on success. On failure the record is left empty and error()
    // gives one line naming the file and saying why (for example "zax.MSH: BONI: length 400
    // is not 4 × vertexCount (120)").
    bool load(const char* path);
    // The same for a file image in memory; error() then names no file.
    bool loadFromMemory(const void* data, std::size_t size);
    const std::string& error() const { return mError; }

    // Empties the record.
    void clear();

    bool hasNormals() const { return !normals.empty(); }
    bool hasTexCoords() const { return !texCoords.empty(); }
    bool hasTangents() const { return !tangents.empty(); }
    bool hasColors() const { return !colors.empty(); }
    bool hasSkeleton() const { return !boneKeys.empty(); }

    // The record. Arrays are empty when their chunk is absent.
    std::vector<float> positions; // 3 per vertex
    std::vector<float> normals;   // 3 per vertex
    std::vector<float> texCoords; // 2 per vertex
    std::vector<float> tangents;  // 4 per vertex
    std::vector<float> colors;    // 4 per vertex: alpha, red, green, blue
    std::vector<std::uint32_t> indices;
    std::uint32_t vertexCount = 0;
    std::uint32_t indexCount = 0;
    // boneKeys[b * frameCount + f] is the key of bone b in frame f.
    std::vector<rvBoneKey> boneKeys;
    std::vector<float> boneWeights;        // 4 per vertex
    std::vector<std::uint8_t> boneIndices; // 4 per vertex
    std::uint32_t frameCount = 0;
    std::uint32_t boneCount = 0;
    // The chunks in file order, as read by the last load.
    std::vector<rvMeshChunkInfo> chunks;

    const rvBoneKey& key(std::uint32_t bone, std::uint32_t frame) const {
        return boneKeys[bone * frameCount + frame];
    }

private:
    std::string mError;
};

// Encodes a record as a file image. Chunks are written for the non-empty arrays in the order
// POSN, NORM, TEXC, TANG, COLR, INDX, BONE, BONW, BONI. Weights are stored as bytes
// (rounded weight × 255). The record must be consistent (the writer does not validate it).
std::vector<std::uint8_t> rvEncodeMeshFile(const rvMeshFile& record);
// Writes rvEncodeMeshFile(record) to path. False with *error set when the file cannot be
// written.
bool rvWriteMeshFile(const char* path, const rvMeshFile& record, std::string* error);
