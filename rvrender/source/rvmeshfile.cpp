// Reader and writer of the "RVENGMSH" mesh file. The reader works on a file image in memory:
// every length is checked against the bytes that remain before anything is allocated for it,
// and the cross-chunk rules (presence, index ranges) are checked once all chunks are read.
// Geometry and key frames must be finite numbers no larger than kLargestValue in magnitude and
// rotations unit quaternions (within 1 %, which is then normalised away).
#include "rvmeshfile.h"

#include <cassert>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "rvfile.h"

namespace {

constexpr std::size_t kMagicSize = 8;
constexpr std::size_t kHeaderSize = kMagicSize + 4 + 1; // magic, version, format flag
constexpr std::size_t kChunkHeaderSize = 12;            // tag, reserved, length
constexpr std::size_t kFrameCountSize = 4;              // after the BONE chunk header
constexpr float kLargestValue = kRvLargestMeshValue;
constexpr std::size_t kKeySize = 7 * 4; // translation xyz, rotation wxyz
constexpr std::size_t kPositionSize = 3 * 4;
constexpr std::size_t kIndexSize = 4;
constexpr std::uint32_t kVersion = 100;
constexpr unsigned char kFormatFlag = 1;
const char kMagic[kMagicSize] = {'R', 'V', 'E', 'N', 'G', 'M', 'S', 'H'};

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
        return 3 * 4;
    case kTEXC:
        return 2 * 4;
    case kTANG:
    case kCOLR:
        return 4 * 4;
    case kBONW:
    case kBONI:
        return 4;
    default:
        return 0;
    }
}

// The parse of one file image. Each stage returns false with `why` set on the first fault.
class Parser {
public:
    Parser(const unsigned char* data, std::size_t size, rvMeshFile& out)
        : mData(data), mSize(size), mOut(out) {}

    bool run(std::string& why) {
        if (!header(why)) {
            return false;
        }
        for (std::size_t pos = kHeaderSize; pos < mSize;) {
            if (!chunk(pos, why)) {
                return false;
            }
        }
        return crossChunk(why);
    }

private:
    bool header(std::string& why) const {
        if (mSize < kHeaderSize) {
            why = "header: file has " + num(mSize) + " bytes, the header needs " + num(kHeaderSize);
            return false;
        }
        if (mData[kHeaderSize - 1] != kFormatFlag) {
            why = "header: format flag is " + num(mData[kHeaderSize - 1]) + ", not " +
                  num(kFormatFlag);
            return false;
        }
        if (std::memcmp(mData, kMagic, kMagicSize) != 0) {
            why = "header: magic is not " + std::string(kMagic, kMagicSize);
            return false;
        }
        const std::uint32_t version = getU32(mData + kMagicSize);
        if (version != kVersion) {
            why = "header: version " + num(version) + " is not " + num(kVersion);
            return false;
        }
        return true;
    }

    // Reads the chunk at pos and moves pos past it.
    bool chunk(std::size_t& pos, std::string& why) {
        std::size_t left = mSize - pos;
        if (left < kChunkHeaderSize) {
            why = "chunk header at offset " + num(pos) + ": only " + num(left) + " of its " +
                  num(kChunkHeaderSize) + " bytes are in the file";
            return false;
        }
        const unsigned char* head = mData + pos;
        int found = 0;
        while (found < kTagCount && std::memcmp(head, kTagNames[found], 4) != 0) {
            ++found;
        }
        if (found == kTagCount) {
            why = "unknown chunk tag \"" + printableTag(head) + "\" at offset " + num(pos);
            return false;
        }
        const Tag tag = Tag(found);
        const std::string name = kTagNames[tag];
        if (mSeen[tag]) {
            why = name + ": second chunk at offset " + num(pos) + " (each tag may occur once)";
            return false;
        }
        mSeen[tag] = true;

        const std::uint32_t length = getU32(head + 8);
        rvMeshChunkInfo info;
        std::memcpy(info.tag, head, 4);
        info.tag[4] = '\0';
        info.length = length;
        info.offset = pos;
        mOut.chunks.push_back(info);
        pos += kChunkHeaderSize;
        left -= kChunkHeaderSize;

        std::uint32_t frameCount = 0;
        if (tag == kBONE) {
            if (left < kFrameCountSize) {
                why = "BONE: the file ends before its frameCount";
                return false;
            }
            frameCount = getU32(mData + pos);
            pos += kFrameCountSize;
            left -= kFrameCountSize;
        }
        if (length > left) {
            why = name + ": length " + num(length) + " runs past the end of the file (" +
                  num(left) + " bytes left)";
            return false;
        }
        const unsigned char* payload = mData + pos;
        pos += length;

        const std::size_t elementSize = perVertexSize(tag);
        if (elementSize != 0) {
            if (!mSeen[kPOSN]) {
                why = name + ": stands before POSN, which gives the vertex count";
                return false;
            }
            if (std::uint64_t(mOut.vertexCount) * elementSize != length) {
                why = name + ": length " + num(length) + " is not " + num(elementSize) +
                      " × vertexCount (" + num(mOut.vertexCount) + ")";
                return false;
            }
        }
        return payloadOf(tag, payload, length, frameCount, why);
    }

    // Decodes a payload whose length has been checked against the file.
    bool payloadOf(Tag tag, const unsigned char* payload, std::uint32_t length,
                   std::uint32_t frameCount, std::string& why) {
        switch (tag) {
        case kPOSN:
            if (length == 0 || length % kPositionSize != 0) {
                why = "POSN: length " + num(length) + " is not a positive multiple of " +
                      num(kPositionSize);
                return false;
            }
            mOut.vertexCount = std::uint32_t(length / kPositionSize);
            return floats(tag, payload, length, mOut.positions, why);
        case kNORM:
            return floats(tag, payload, length, mOut.normals, why);
        case kTEXC:
            return floats(tag, payload, length, mOut.texCoords, why);
        case kTANG:
            return floats(tag, payload, length, mOut.tangents, why);
        case kCOLR:
            return floats(tag, payload, length, mOut.colors, why);
        case kINDX:
            return indices(payload, length, why);
        case kBONE:
            return bones(payload, length, frameCount, why);
        case kBONW:
            mOut.boneWeights.resize(length);
            for (std::uint32_t i = 0; i < length; ++i)
                mOut.boneWeights[i] = payload[i] / 255.0f;
            return true;
        case kBONI:
            mOut.boneIndices.assign(payload, payload + length);
            return true;
        case kTagCount:
            break;
        }
        return true;
    }

    // Geometry is finite and of a model's size: an infinity or a NaN, or a number that
    // overflows once transformed, would pass into the skinning, the bounding box and the
    // rasteriser.
    static bool floats(Tag tag, const unsigned char* payload, std::uint32_t length,
                       std::vector<float>& out, std::string& why) {
        getFloats(payload, length / 4, out);
        for (std::size_t i = 0; i < out.size(); ++i) {
            if (!std::isfinite(out[i])) {
                why = std::string(kTagNames[tag]) + ": value " + num(i) + " is not a finite number";
                return false;
            }
            if (std::fabs(out[i]) > kLargestValue) {
                char value[32];
                std::snprintf(value, sizeof value, "%g", out[i]);
                why = std::string(kTagNames[tag]) + ": value " + num(i) + " (" + value +
                      ") is larger than any model's (1e6)";
                return false;
            }
        }
        return true;
    }

    bool indices(const unsigned char* payload, std::uint32_t length, std::string& why) {
        if (length == 0 || length % kIndexSize != 0) {
            why =
                "INDX: length " + num(length) + " is not a positive multiple of " + num(kIndexSize);
            return false;
        }
        const std::uint32_t count = std::uint32_t(length / kIndexSize);
        if (count % 3 != 0) {
            why = "INDX: " + num(count) + " indices do not form whole triangles";
            return false;
        }
        mOut.indexCount = count;
        mOut.indices.resize(count);
        for (std::uint32_t i = 0; i < count; ++i)
            mOut.indices[i] = getU32(payload + std::size_t(i) * kIndexSize);
        return true;
    }

    bool bones(const unsigned char* payload, std::uint32_t length, std::uint32_t frameCount,
               std::string& why) {
        if (frameCount == 0) {
            why = "BONE: frameCount is 0";
            return false;
        }
        const std::uint64_t boneSize = std::uint64_t(frameCount) * kKeySize;
        const std::uint64_t boneCount = length / boneSize;
        if (boneCount == 0) {
            why = "BONE: length " + num(length) + " holds no whole bone (frameCount " +
                  num(frameCount) + " × " + num(kKeySize) + " = " + num(boneSize) + " bytes)";
            return false;
        }
        // Bytes after the last whole bone are skipped, as the exporter may pad.
        mOut.frameCount = frameCount;
        mOut.boneCount = std::uint32_t(boneCount);
        const std::size_t keyCount = std::size_t(boneCount * frameCount);
        mOut.boneKeys.resize(keyCount);
        for (std::size_t k = 0; k < keyCount; ++k) {
            const unsigned char* p = payload + k * kKeySize;
            rvBoneKey& key = mOut.boneKeys[k];
            key.translation = rvVector3(getFloat(p), getFloat(p + 4), getFloat(p + 8));
            key.rotation = rvQuaternion(getFloat(p + 12), getFloat(p + 16), getFloat(p + 20),
                                        getFloat(p + 24));
            if (!checkKey(key, k, frameCount, why)) {
                return false;
            }
        }
        return true;
    }

    // A key is finite and its rotation a unit quaternion. Exporters write rotations rounded to
    // a few digits: within 1 % of unit length one is normalised; any other is refused, since
    // the blend between keys needs unit quaternions.
    static bool checkKey(rvBoneKey& key, std::size_t k, std::uint32_t frameCount,
                         std::string& why) {
        const auto where = [&] {
            return "BONE: bone " + num(k / frameCount) + ", key frame " + num(k % frameCount) +
                   ": ";
        };
        const float values[7] = {key.translation.x, key.translation.y, key.translation.z,
                                 key.rotation.w,    key.rotation.x,    key.rotation.y,
                                 key.rotation.z};
        for (float v : values) {
            if (!std::isfinite(v)) {
                why = where() + "a value is not a finite number";
                return false;
            }
            if (std::fabs(v) > kLargestValue) {
                why = where() + "a value is larger than any model's (1e6)";
                return false;
            }
        }
        const double length = std::sqrt(
            double(key.rotation.w) * key.rotation.w + double(key.rotation.x) * key.rotation.x +
            double(key.rotation.y) * key.rotation.y + double(key.rotation.z) * key.rotation.z);
        if (!(std::fabs(length - 1.0) <= 0.01)) {
            why = where() + "the rotation's length " + std::to_string(length) +
                  " is not 1 (a unit quaternion)";
            return false;
        }
        const rvQuaternion& q = key.rotation;
        key.rotation = rvQuaternion(float(q.w / length), float(q.x / length), float(q.y / length),
                                    float(q.z / length));
        return true;
    }

    // The rules that need every chunk: presence, and indices within their ranges.
    bool crossChunk(std::string& why) const {
        for (Tag t : {kPOSN, kINDX}) {
            if (!mSeen[t]) {
                why = std::string(kTagNames[t]) + ": chunk missing";
                return false;
            }
        }
        for (Tag t : {kBONW, kBONI}) {
            if (mSeen[kBONE] && !mSeen[t]) {
                why = std::string(kTagNames[t]) + ": chunk missing (the file has BONE)";
                return false;
            }
            if (!mSeen[kBONE] && mSeen[t]) {
                why = std::string(kTagNames[t]) + ": present without BONE";
                return false;
            }
        }
        for (std::uint32_t i = 0; i < mOut.indexCount; ++i) {
            if (mOut.indices[i] >= mOut.vertexCount) {
                why = "INDX: index " + num(mOut.indices[i]) + " at position " + num(i) +
                      " is not below vertexCount (" + num(mOut.vertexCount) + ")";
                return false;
            }
        }
        for (std::size_t i = 0; i < mOut.boneIndices.size(); ++i) {
            if (mOut.boneIndices[i] >= mOut.boneCount) {
                why = "BONI: bone number " + num(mOut.boneIndices[i]) + " at vertex " + num(i / 4) +
                      " is not below boneCount (" + num(mOut.boneCount) + ")";
                return false;
            }
        }
        return true;
    }

    const unsigned char* mData;
    std::size_t mSize;
    rvMeshFile& mOut;
    bool mSeen[kTagCount] = {};
};

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
    if (!Parser(static_cast<const unsigned char*>(data), size, *this).run(why)) {
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
