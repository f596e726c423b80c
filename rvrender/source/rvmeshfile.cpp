// Reader and writer of the "RVENGMSH" mesh file. The reader works on a file image in memory:
// every length is checked against the bytes that remain before anything is allocated for it,
// and the cross-chunk rules (presence, index ranges) are checked once all chunks are read.
#include "rvmeshfile.h"

#include <cassert>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "rvfile.h"

namespace {

constexpr std::size_t kHeaderSize = 13;
constexpr std::size_t kChunkHeaderSize = 12;
constexpr std::size_t kKeySize = 7 * 4;
constexpr std::uint32_t kVersion = 100;
constexpr unsigned char kFormatFlag = 1;
const char kMagic[8] = {'R', 'V', 'E', 'N', 'G', 'M', 'S', 'H'};

// The order in which the tag of a chunk is compared.
enum Tag { kPOSN, kTEXC, kCOLR, kNORM, kTANG, kINDX, kBONE, kBONW, kBONI, kTagCount };
const char* const kTagNames[kTagCount] = {"POSN", "TEXC", "COLR", "NORM", "TANG",
                                          "INDX", "BONE", "BONW", "BONI"};

std::uint32_t getU32(const unsigned char* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

float getFloat(const unsigned char* p) {
    std::uint32_t bits = getU32(p);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

void getFloats(const unsigned char* p, std::size_t count, std::vector<float>& out) {
    out.resize(count);
    for (std::size_t i = 0; i < count; ++i)
        out[i] = getFloat(p + i * 4);
}

std::string num(std::uint64_t v) {
    return std::to_string(v);
}

// A tag as readable text: printable ASCII as is, other bytes as \xNN.
std::string printableTag(const unsigned char* p) {
    std::string s;
    for (int i = 0; i < 4; ++i) {
        if (p[i] >= 0x20 && p[i] < 0x7f && p[i] != '"' && p[i] != '\\') {
            s += char(p[i]);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", unsigned(p[i]));
            s += buf;
        }
    }
    return s;
}

// Element size in bytes of the chunks whose length is fixed by vertexCount.
std::size_t perVertexSize(Tag tag) {
    switch (tag) {
    case kNORM:
        return 12;
    case kTEXC:
        return 8;
    case kTANG:
    case kCOLR:
        return 16;
    case kBONW:
    case kBONI:
        return 4;
    default:
        return 0;
    }
}

// Fills `out` (empty on entry) from a file image; false with `why` set on the first fault.
bool parseImage(const unsigned char* data, std::size_t size, rvMeshFile& out, std::string& why) {
    if (size < kHeaderSize) {
        why = "header: file has " + num(size) + " bytes, the header needs 13";
        return false;
    }
    if (data[12] != kFormatFlag) {
        why = "header: format flag is " + num(data[12]) + ", not 1";
        return false;
    }
    if (std::memcmp(data, kMagic, sizeof kMagic) != 0) {
        why = "header: magic is not RVENGMSH";
        return false;
    }
    std::uint32_t version = getU32(data + 8);
    if (version != kVersion) {
        why = "header: version " + num(version) + " is not 100";
        return false;
    }

    bool seen[kTagCount] = {};
    std::size_t pos = kHeaderSize;
    while (pos < size) {
        std::size_t left = size - pos;
        if (left < kChunkHeaderSize) {
            why = "chunk header at offset " + num(pos) + ": only " + num(left) +
                  " of its 12 bytes are in the file";
            return false;
        }
        const unsigned char* head = data + pos;
        int found = kTagCount;
        for (int t = 0; t < kTagCount && found == kTagCount; ++t) {
            if (std::memcmp(head, kTagNames[t], 4) == 0)
                found = t;
        }
        if (found == kTagCount) {
            why = "unknown chunk tag \"" + printableTag(head) + "\" at offset " + num(pos);
            return false;
        }
        Tag tag = Tag(found);
        std::string name = kTagNames[tag];
        if (seen[tag]) {
            why = name + ": second chunk at offset " + num(pos) + " (each tag may occur once)";
            return false;
        }
        seen[tag] = true;

        std::uint32_t length = getU32(head + 8);
        rvMeshChunkInfo info;
        std::memcpy(info.tag, head, 4);
        info.tag[4] = '\0';
        info.length = length;
        info.offset = pos;
        out.chunks.push_back(info);
        pos += kChunkHeaderSize;
        left -= kChunkHeaderSize;

        std::uint32_t frameCount = 0;
        if (tag == kBONE) {
            if (left < 4) {
                why = "BONE: the file ends before its frameCount";
                return false;
            }
            frameCount = getU32(data + pos);
            pos += 4;
            left -= 4;
        }
        if (length > left) {
            why = name + ": length " + num(length) + " runs past the end of the file (" +
                  num(left) + " bytes left)";
            return false;
        }
        const unsigned char* payload = data + pos;
        pos += length;

        std::size_t elementSize = perVertexSize(tag);
        if (elementSize != 0) {
            if (!seen[kPOSN]) {
                why = name + ": stands before POSN, which gives the vertex count";
                return false;
            }
            if (std::uint64_t(out.vertexCount) * elementSize != length) {
                why = name + ": length " + num(length) + " is not " + num(elementSize) +
                      " × vertexCount (" + num(out.vertexCount) + ")";
                return false;
            }
        }

        switch (tag) {
        case kPOSN:
            if (length == 0 || length % 12 != 0) {
                why = "POSN: length " + num(length) + " is not a positive multiple of 12";
                return false;
            }
            out.vertexCount = length / 12;
            getFloats(payload, length / 4, out.positions);
            break;
        case kNORM:
            getFloats(payload, length / 4, out.normals);
            break;
        case kTEXC:
            getFloats(payload, length / 4, out.texCoords);
            break;
        case kTANG:
            getFloats(payload, length / 4, out.tangents);
            break;
        case kCOLR:
            getFloats(payload, length / 4, out.colors);
            break;
        case kINDX: {
            if (length == 0 || length % 4 != 0) {
                why = "INDX: length " + num(length) + " is not a positive multiple of 4";
                return false;
            }
            std::uint32_t count = length / 4;
            if (count % 3 != 0) {
                why = "INDX: " + num(count) + " indices do not form whole triangles";
                return false;
            }
            out.indexCount = count;
            out.indices.resize(count);
            for (std::uint32_t i = 0; i < count; ++i)
                out.indices[i] = getU32(payload + std::size_t(i) * 4);
            break;
        }
        case kBONE: {
            if (frameCount == 0) {
                why = "BONE: frameCount is 0";
                return false;
            }
            std::uint64_t boneSize = std::uint64_t(frameCount) * kKeySize;
            std::uint64_t boneCount = length / boneSize;
            if (boneCount == 0) {
                why = "BONE: length " + num(length) + " holds no whole bone (frameCount " +
                      num(frameCount) + " × 28 = " + num(boneSize) + " bytes)";
                return false;
            }
            // Bytes after the last whole bone are skipped, as the exporter may pad.
            out.frameCount = frameCount;
            out.boneCount = std::uint32_t(boneCount);
            std::size_t keyCount = std::size_t(boneCount * frameCount);
            out.boneKeys.resize(keyCount);
            for (std::size_t k = 0; k < keyCount; ++k) {
                const unsigned char* p = payload + k * kKeySize;
                rvBoneKey& key = out.boneKeys[k];
                key.translation = rvVector3(getFloat(p), getFloat(p + 4), getFloat(p + 8));
                key.rotation = rvQuaternion(getFloat(p + 12), getFloat(p + 16), getFloat(p + 20),
                                            getFloat(p + 24));
            }
            break;
        }
        case kBONW:
            out.boneWeights.resize(length);
            for (std::uint32_t i = 0; i < length; ++i)
                out.boneWeights[i] = payload[i] / 255.0f;
            break;
        case kBONI:
            out.boneIndices.assign(payload, payload + length);
            break;
        case kTagCount:
            break;
        }
    }

    if (!seen[kPOSN]) {
        why = "POSN: chunk missing";
        return false;
    }
    if (!seen[kINDX]) {
        why = "INDX: chunk missing";
        return false;
    }
    for (Tag t : {kBONW, kBONI}) {
        if (seen[kBONE] && !seen[t]) {
            why = std::string(kTagNames[t]) + ": chunk missing (the file has BONE)";
            return false;
        }
        if (!seen[kBONE] && seen[t]) {
            why = std::string(kTagNames[t]) + ": present without BONE";
            return false;
        }
    }
    for (std::uint32_t i = 0; i < out.indexCount; ++i) {
        if (out.indices[i] >= out.vertexCount) {
            why = "INDX: index " + num(out.indices[i]) + " at position " + num(i) +
                  " is not below vertexCount (" + num(out.vertexCount) + ")";
            return false;
        }
    }
    for (std::size_t i = 0; i < out.boneIndices.size(); ++i) {
        if (out.boneIndices[i] >= out.boneCount) {
            why = "BONI: bone number " + num(out.boneIndices[i]) + " at vertex " + num(i / 4) +
                  " is not below boneCount (" + num(out.boneCount) + ")";
            return false;
        }
    }
    return true;
}

class Encoder {
public:
    explicit Encoder(std::vector<std::uint8_t>& out) : mOut(out) {}

    void bytes(const void* p, std::size_t n) {
        const std::uint8_t* b = static_cast<const std::uint8_t*>(p);
        mOut.insert(mOut.end(), b, b + n);
    }
    void u8(std::uint8_t v) { mOut.push_back(v); }
    void u32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            mOut.push_back(std::uint8_t(v >> (8 * i)));
    }
    void f32(float f) {
        std::uint32_t bits;
        std::memcpy(&bits, &f, sizeof bits);
        u32(bits);
    }
    void chunkHeader(const char* tag, std::size_t length) {
        assert(length <= 0xFFFFFFFFu && "chunk too long for the mesh file");
        bytes(tag, 4);
        u32(0); // reserved
        u32(std::uint32_t(length));
    }
    void floatChunk(const char* tag, const std::vector<float>& values) {
        if (values.empty())
            return;
        chunkHeader(tag, values.size() * 4);
        for (float f : values)
            f32(f);
    }

private:
    std::vector<std::uint8_t>& mOut;
};

std::uint8_t weightByte(float w) {
    if (!(w > 0.0f))
        return 0;
    if (w >= 1.0f)
        return 255;
    return std::uint8_t(std::lround(w * 255.0f));
}

} // namespace

void rvMeshFile::clear() {
    positions = {};
    normals = {};
    texCoords = {};
    tangents = {};
    colors = {};
    indices = {};
    vertexCount = 0;
    indexCount = 0;
    boneKeys = {};
    boneWeights = {};
    boneIndices = {};
    frameCount = 0;
    boneCount = 0;
    chunks = {};
}

bool rvMeshFile::loadFromMemory(const void* data, std::size_t size) {
    clear();
    mError.clear();
    std::string why;
    if (data == nullptr && size != 0) {
        mError = "no file image";
        return false;
    }
    if (!parseImage(static_cast<const unsigned char*>(data), size, *this, why)) {
        clear();
        mError = why;
        return false;
    }
    return true;
}

bool rvMeshFile::load(const char* path) {
    clear();
    std::vector<std::uint8_t> image;
    if (!rvReadFile(path, &image, &mError)) {
        return false;
    }
    if (!loadFromMemory(image.data(), image.size())) {
        mError = std::string(path) + ": " + mError;
        return false;
    }
    return true;
}

std::vector<std::uint8_t> rvEncodeMeshFile(const rvMeshFile& record) {
    std::vector<std::uint8_t> out;
    Encoder e(out);
    e.bytes(kMagic, sizeof kMagic);
    e.u32(kVersion);
    e.u8(kFormatFlag);

    e.floatChunk("POSN", record.positions);
    e.floatChunk("NORM", record.normals);
    e.floatChunk("TEXC", record.texCoords);
    e.floatChunk("TANG", record.tangents);
    e.floatChunk("COLR", record.colors);
    if (!record.indices.empty()) {
        e.chunkHeader("INDX", record.indices.size() * 4);
        for (std::uint32_t i : record.indices)
            e.u32(i);
    }
    if (!record.boneKeys.empty()) {
        e.chunkHeader("BONE", record.boneKeys.size() * kKeySize);
        e.u32(record.frameCount);
        for (const rvBoneKey& k : record.boneKeys) {
            e.f32(k.translation.x);
            e.f32(k.translation.y);
            e.f32(k.translation.z);
            e.f32(k.rotation.w);
            e.f32(k.rotation.x);
            e.f32(k.rotation.y);
            e.f32(k.rotation.z);
        }
    }
    if (!record.boneWeights.empty()) {
        e.chunkHeader("BONW", record.boneWeights.size());
        for (float w : record.boneWeights)
            e.u8(weightByte(w));
    }
    if (!record.boneIndices.empty()) {
        e.chunkHeader("BONI", record.boneIndices.size());
        e.bytes(record.boneIndices.data(), record.boneIndices.size());
    }
    return out;
}

bool rvWriteMeshFile(const char* path, const rvMeshFile& record, std::string* error) {
    const std::vector<std::uint8_t> image = rvEncodeMeshFile(record);
    return rvWriteFile(path, image.data(), image.size(), error);
}
