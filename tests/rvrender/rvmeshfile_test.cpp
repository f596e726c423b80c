#include "rvmeshfile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void putU32(Bytes& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.push_back(std::uint8_t(v >> (8 * i)));
}

void putF32(Bytes& b, float f) {
    std::uint32_t bits;
    std::memcpy(&bits, &f, 4);
    putU32(b, bits);
}

void setU32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = std::uint8_t(v >> (8 * i));
}

Bytes header() {
    Bytes b = {'R', 'V', 'E', 'N', 'G', 'M', 'S', 'H'};
    putU32(b, 100);
    b.push_back(1);
    return b;
}

// One chunk as raw bytes: tag, reserved, length, (BONE: frameCount), payload.
Bytes chunk(const char* tag, const Bytes& payload, std::uint32_t reserved = 0) {
    Bytes b(tag, tag + 4);
    putU32(b, reserved);
    putU32(b, std::uint32_t(payload.size()));
    b.insert(b.end(), payload.begin(), payload.end());
    return b;
}

Bytes boneChunk(std::uint32_t frameCount, const Bytes& keys) {
    Bytes b = chunk("BONE", keys);
    Bytes fc;
    putU32(fc, frameCount);
    b.insert(b.begin() + 12, fc.begin(), fc.end());
    return b;
}

Bytes floats(std::initializer_list<float> values) {
    Bytes b;
    for (float f : values)
        putF32(b, f);
    return b;
}

Bytes u32s(std::initializer_list<std::uint32_t> values) {
    Bytes b;
    for (std::uint32_t v : values)
        putU32(b, v);
    return b;
}

Bytes join(std::vector<Bytes> parts) {
    Bytes out = header();
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

// Three vertices, one triangle, a skeleton of 2 bones × 3 frames and every per-vertex chunk.
rvMeshFile skinnedRecord() {
    rvMeshFile r;
    r.positions = {0, 0, 0, 1, 0, 0, 0, 2, -3};
    r.normals = {0, 0, 1, 0, 0, 1, 0, 1, 0};
    r.texCoords = {0, 0, 1, 0, 0.5f, 1};
    r.tangents = {1, 0, 0, 1, 1, 0, 0, -1, 0, 1, 0, 1};
    r.colors = {1, 1, 0, 0, 1, 0, 1, 0, 0.5f, 0, 0, 1};
    r.indices = {0, 1, 2};
    r.frameCount = 3;
    for (int k = 0; k < 6; ++k) {
        rvBoneKey key;
        key.rotation = rvQuaternion(1.0f, 0.1f * k, 0.2f, -0.3f);
        key.translation = rvVector3(float(k), 2.0f * k, -1.0f);
        r.boneKeys.push_back(key);
    }
    r.boneWeights = {1, 0, 0, 0, 0.25f, 0.75f, 0, 0, 0.5f, 0.5f, 0, 0};
    r.boneIndices = {0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0};
    return r;
}

// The chunks of an encoded image, each as its raw bytes, for reordering and corrupting.
std::vector<Bytes> splitChunks(const Bytes& image) {
    std::vector<Bytes> out;
    std::size_t pos = 13;
    while (pos < image.size()) {
        std::uint32_t length;
        std::memcpy(&length, &image[pos + 8], 4);
        std::size_t size = 12 + length + (std::memcmp(&image[pos], "BONE", 4) == 0 ? 4 : 0);
        out.emplace_back(image.begin() + pos, image.begin() + pos + size);
        pos += size;
    }
    return out;
}

std::vector<Bytes> validChunks() {
    return splitChunks(rvEncodeMeshFile(skinnedRecord()));
}

std::size_t indexOf(const std::vector<Bytes>& chunks, const char* tag) {
    for (std::size_t i = 0; i < chunks.size(); ++i) {
        if (std::memcmp(chunks[i].data(), tag, 4) == 0)
            return i;
    }
    ADD_FAILURE() << "no chunk " << tag;
    return 0;
}

void removeChunk(std::vector<Bytes>& chunks, const char* tag) {
    chunks.erase(chunks.begin() + indexOf(chunks, tag));
}

void expectEmpty(const rvMeshFile& m) {
    EXPECT_TRUE(m.positions.empty());
    EXPECT_TRUE(m.normals.empty());
    EXPECT_TRUE(m.texCoords.empty());
    EXPECT_TRUE(m.tangents.empty());
    EXPECT_TRUE(m.colors.empty());
    EXPECT_TRUE(m.indices.empty());
    EXPECT_TRUE(m.boneKeys.empty());
    EXPECT_TRUE(m.boneWeights.empty());
    EXPECT_TRUE(m.boneIndices.empty());
    EXPECT_TRUE(m.chunks.empty());
    EXPECT_EQ(m.vertexCount, 0u);
    EXPECT_EQ(m.indexCount, 0u);
    EXPECT_EQ(m.frameCount, 0u);
    EXPECT_EQ(m.boneCount, 0u);
}

// Loads an image that must fail with a one-line reason containing `mention`; the record is
// filled from a valid file first so that clearing is checked too.
void expectRejected(const Bytes& image, const std::string& mention) {
    rvMeshFile m;
    Bytes good = rvEncodeMeshFile(skinnedRecord());
    ASSERT_TRUE(m.loadFromMemory(good.data(), good.size())) << m.error();
    EXPECT_FALSE(m.loadFromMemory(image.data(), image.size()));
    EXPECT_NE(m.error().find(mention), std::string::npos)
        << "error \"" << m.error() << "\" does not mention " << mention;
    EXPECT_EQ(m.error().find('\n'), std::string::npos);
    expectEmpty(m);
}

std::string tempPath(const char* name) {
    return (std::filesystem::temp_directory_path() / (std::string("rvmeshfile_test_") + name))
        .string();
}

// ---------------------------------------------------------------------------------------------

TEST(MeshFileHeader, HeaderOnlyFileIsRejectedBecausePosnIsMissing) {
    expectRejected(header(), "POSN");
}

TEST(MeshFileHeader, TruncatedHeaderIsRejected) {
    Bytes h = header();
    for (std::size_t n = 0; n < h.size(); ++n)
        expectRejected(Bytes(h.begin(), h.begin() + n), "header");
}

TEST(MeshFileHeader, FlagZeroIsRejected) {
    Bytes image = join(validChunks());
    image[12] = 0;
    expectRejected(image, "flag");
}

TEST(MeshFileHeader, Version101IsRejected) {
    Bytes image = join(validChunks());
    setU32(image, 8, 101);
    expectRejected(image, "version 101");
}

TEST(MeshFileHeader, EachWrongMagicByteIsRejected) {
    for (int i = 0; i < 8; ++i) {
        Bytes image = join(validChunks());
        image[i] ^= 0x20;
        SCOPED_TRACE(i);
        expectRejected(image, "magic");
    }
}

TEST(MeshFileHeader, FlagIsCheckedBeforeMagicAndMagicBeforeVersion) {
    Bytes image = join(validChunks());
    image[0] = 'X';
    setU32(image, 8, 7);
    expectRejected(image, "magic");
    image[12] = 2;
    expectRejected(image, "flag");
}

TEST(MeshFileLoad, PosnOf36BytesGivesThreeVerticesAndIndxOf12BytesThreeIndices) {
    Bytes image =
        join({chunk("POSN", floats({1, 2, 3, 4, 5, 6, 7, 8, 9})), chunk("INDX", u32s({2, 0, 1}))});
    rvMeshFile m;
    ASSERT_TRUE(m.loadFromMemory(image.data(), image.size())) << m.error();
    EXPECT_EQ(m.vertexCount, 3u);
    EXPECT_EQ(m.indexCount, 3u);
    EXPECT_EQ(m.positions, (std::vector<float>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(m.indices, (std::vector<std::uint32_t>{2, 0, 1}));
    EXPECT_FALSE(m.hasNormals() || m.hasTexCoords() || m.hasTangents() || m.hasColors());
    EXPECT_FALSE(m.hasSkeleton());
    EXPECT_TRUE(m.error().empty());
}

TEST(MeshFileLoad, ReservedFieldIsIgnoredAndChunksAreRecorded) {
    Bytes image =
        join({chunk("INDX", u32s({0, 0, 0}), 0xDEADBEEF), chunk("POSN", floats({1, 2, 3}), 5)});
    rvMeshFile m;
    ASSERT_TRUE(m.loadFromMemory(image.data(), image.size())) << m.error();
    ASSERT_EQ(m.chunks.size(), 2u);
    EXPECT_STREQ(m.chunks[0].tag, "INDX");
    EXPECT_EQ(m.chunks[0].length, 12u);
    EXPECT_EQ(m.chunks[0].offset, 13u);
    EXPECT_STREQ(m.chunks[1].tag, "POSN");
    EXPECT_EQ(m.chunks[1].offset, 13u + 24u);
}

// 2 bones × 2 frames; floats are numbered so that each key shows where it came from.
Bytes twoBoneImage(std::size_t surplus) {
    Bytes keys;
    for (int i = 0; i < 28; ++i)
        putF32(keys, float(i));
    keys.resize(keys.size() + surplus, 0xEE);
    return join({chunk("POSN", floats({0, 0, 0})), chunk("INDX", u32s({0, 0, 0})),
                 boneChunk(2, keys), chunk("BONW", {255, 0, 128, 0}), chunk("BONI", {1, 0, 1, 0})});
}

TEST(MeshFileSkeleton, KeysAreStoredBoneByBoneTranslationFirst) {
    Bytes image = twoBoneImage(0);
    rvMeshFile m;
    ASSERT_TRUE(m.loadFromMemory(image.data(), image.size())) << m.error();
    EXPECT_EQ(m.frameCount, 2u);
    EXPECT_EQ(m.boneCount, 2u);
    ASSERT_EQ(m.boneKeys.size(), 4u);
    EXPECT_EQ(m.chunks[2].length, 112u);
    // The third 7-float group is bone 1, frame 0.
    const rvBoneKey& k = m.key(1, 0);
    EXPECT_EQ(k.translation.x, 14.0f);
    EXPECT_EQ(k.translation.y, 15.0f);
    EXPECT_EQ(k.translation.z, 16.0f);
    EXPECT_EQ(k.rotation.w, 17.0f);
    EXPECT_EQ(k.rotation.x, 18.0f);
    EXPECT_EQ(k.rotation.y, 19.0f);
    EXPECT_EQ(k.rotation.z, 20.0f);
    EXPECT_EQ(m.key(0, 1).translation.x, 7.0f);
    EXPECT_EQ(m.key(1, 1).rotation.z, 27.0f);
}

TEST(MeshFileSkeleton, WeightBytesAreDividedBy255) {
    Bytes image = twoBoneImage(0);
    rvMeshFile m;
    ASSERT_TRUE(m.loadFromMemory(image.data(), image.size())) << m.error();
    ASSERT_EQ(m.boneWeights.size(), 4u);
    EXPECT_FLOAT_EQ(m.boneWeights[0], 1.0f);
    EXPECT_FLOAT_EQ(m.boneWeights[1], 0.0f);
    EXPECT_NEAR(m.boneWeights[2], 0.50196f, 1e-5f);
    EXPECT_FLOAT_EQ(m.boneWeights[3], 0.0f);
    EXPECT_EQ(m.boneIndices, (std::vector<std::uint8_t>{1, 0, 1, 0}));
}

TEST(MeshFileSkeleton, SurplusAfterTheLastWholeBoneIsSkipped) {
    Bytes image = twoBoneImage(27);
    rvMeshFile m;
    ASSERT_TRUE(m.loadFromMemory(image.data(), image.size())) << m.error();
    EXPECT_EQ(m.boneCount, 2u);
    EXPECT_EQ(m.key(1, 1).rotation.z, 27.0f);
    EXPECT_NEAR(m.boneWeights[2], 0.50196f, 1e-5f); // the chunks after BONE still line up
}

// ---------------------------------------------------------------------------------------------

void expectSameRecord(const rvMeshFile& a, const rvMeshFile& b) {
    EXPECT_EQ(a.positions, b.positions);
    EXPECT_EQ(a.normals, b.normals);
    EXPECT_EQ(a.texCoords, b.texCoords);
    EXPECT_EQ(a.tangents, b.tangents);
    EXPECT_EQ(a.colors, b.colors);
    EXPECT_EQ(a.indices, b.indices);
    EXPECT_EQ(a.frameCount, b.frameCount);
    ASSERT_EQ(a.boneKeys.size(), b.boneKeys.size());
    for (std::size_t i = 0; i < a.boneKeys.size(); ++i) {
        EXPECT_EQ(a.boneKeys[i].rotation.x, b.boneKeys[i].rotation.x);
        EXPECT_EQ(a.boneKeys[i].rotation.w, b.boneKeys[i].rotation.w);
        EXPECT_EQ(a.boneKeys[i].translation.y, b.boneKeys[i].translation.y);
    }
    ASSERT_EQ(a.boneWeights.size(), b.boneWeights.size());
    for (std::size_t i = 0; i < a.boneWeights.size(); ++i)
        EXPECT_NEAR(a.boneWeights[i], b.boneWeights[i], 0.5f / 255.0f + 1e-6f);
    EXPECT_EQ(a.boneIndices, b.boneIndices);
}

TEST(MeshFileWrite, EncodedRecordLoadsBackInChunkOrder) {
    rvMeshFile original = skinnedRecord();
    Bytes image = rvEncodeMeshFile(original);
    rvMeshFile m;
    ASSERT_TRUE(m.loadFromMemory(image.data(), image.size())) << m.error();
    expectSameRecord(original, m);
    EXPECT_EQ(m.vertexCount, 3u);
    EXPECT_EQ(m.indexCount, 3u);
    EXPECT_EQ(m.boneCount, 2u);
    const char* order[] = {"POSN", "NORM", "TEXC", "TANG", "COLR", "INDX", "BONE", "BONW", "BONI"};
    ASSERT_EQ(m.chunks.size(), 9u);
    for (int i = 0; i < 9; ++i) {
        EXPECT_STREQ(m.chunks[i].tag, order[i]);
        EXPECT_EQ(image[m.chunks[i].offset + 4], 0) << "reserved field of " << order[i];
    }
    EXPECT_EQ(image.size(), m.chunks[8].offset + 12 + m.chunks[8].length);
}

TEST(MeshFileWrite, WeightsAreRoundedToBytes) {
    rvMeshFile r = skinnedRecord();
    r.boneWeights[4] = 0.25f; // 63.75 -> 64
    r.boneWeights[5] = 0.7f;  // 178.5 -> 179 (rounded half away from zero)
    Bytes image = rvEncodeMeshFile(r);
    rvMeshFile m;
    ASSERT_TRUE(m.loadFromMemory(image.data(), image.size())) << m.error();
    EXPECT_FLOAT_EQ(m.boneWeights[4], 64 / 255.0f);
    EXPECT_FLOAT_EQ(m.boneWeights[5], 179 / 255.0f);
}

TEST(MeshFileWrite, WrittenFileLoadsFromDisk) {
    std::string path = tempPath("roundtrip.MSH");
    rvMeshFile original = skinnedRecord();
    std::string error;
    ASSERT_TRUE(rvWriteMeshFile(path.c_str(), original, &error)) << error;
    rvMeshFile m;
    EXPECT_TRUE(m.load(path.c_str())) << m.error();
    expectSameRecord(original, m);
    std::remove(path.c_str());
}

TEST(MeshFileWrite, UnwritablePathReportsWhy) {
    std::string error;
    EXPECT_FALSE(rvWriteMeshFile("/nonexistent-dir/x.MSH", skinnedRecord(), &error));
    EXPECT_NE(error.find("/nonexistent-dir/x.MSH"), std::string::npos);
}

TEST(MeshFileLoad, MissingFileFailsWithAReasonNamingIt) {
    rvMeshFile m;
    EXPECT_FALSE(m.load("/nonexistent-dir/none.MSH"));
    EXPECT_NE(m.error().find("/nonexistent-dir/none.MSH"), std::string::npos);
    expectEmpty(m);
}

TEST(MeshFileLoad, SuccessClearsThePreviousError) {
    rvMeshFile m;
    EXPECT_FALSE(m.loadFromMemory(nullptr, 0));
    EXPECT_FALSE(m.error().empty());
    Bytes image = rvEncodeMeshFile(skinnedRecord());
    ASSERT_TRUE(m.loadFromMemory(image.data(), image.size()));
    EXPECT_TRUE(m.error().empty());
}

// ---------------------------------------------------------------------------------------------
// One tiny malformed image per rule, each made by corrupting a valid encoded file.

TEST(MeshFileMalformed, RepeatedTag) {
    std::vector<Bytes> c = validChunks();
    c.push_back(c[indexOf(c, "NORM")]);
    expectRejected(join(c), "NORM: second chunk");
}

TEST(MeshFileMalformed, UnknownTagIsNamed) {
    std::vector<Bytes> c = validChunks();
    std::memcpy(c[indexOf(c, "TANG")].data(), "TAN\x01", 4);
    expectRejected(join(c), "TAN\\x01");
}

TEST(MeshFileMalformed, PerVertexChunkBeforePosn) {
    for (const char* tag : {"NORM", "TEXC", "TANG", "COLR", "BONW", "BONI"}) {
        std::vector<Bytes> c = validChunks();
        Bytes moved = c[indexOf(c, tag)];
        removeChunk(c, tag);
        c.insert(c.begin(), moved);
        SCOPED_TRACE(tag);
        expectRejected(join(c), std::string(tag) + ": stands before POSN");
    }
}

TEST(MeshFileMalformed, PerVertexChunkOfWrongLength) {
    for (const char* tag : {"NORM", "TEXC", "TANG", "COLR", "BONW", "BONI"}) {
        std::vector<Bytes> c = validChunks();
        Bytes& bad = c[indexOf(c, tag)];
        bad.resize(bad.size() + 4, 0);
        setU32(bad, 8, std::uint32_t(bad.size() - 12));
        SCOPED_TRACE(tag);
        expectRejected(join(c), std::string(tag) + ": length");
    }
    std::vector<Bytes> c = validChunks();
    Bytes& boni = c[indexOf(c, "BONI")];
    boni.resize(boni.size() - 4);
    setU32(boni, 8, 8);
    expectRejected(join(c), "BONI: length 8 is not 4 × vertexCount (3)");
}

TEST(MeshFileMalformed, PosnNotWholeVerticesOrEmpty) {
    std::vector<Bytes> c = validChunks();
    c[indexOf(c, "POSN")] = chunk("POSN", floats({1, 2, 3, 4}));
    expectRejected(join(c), "POSN: length 16");
    c[indexOf(c, "POSN")] = chunk("POSN", {});
    expectRejected(join(c), "POSN: length 0");
}

TEST(MeshFileMalformed, IndxNotWholeIndicesOrTrianglesOrEmpty) {
    std::vector<Bytes> c = validChunks();
    c[indexOf(c, "INDX")] = chunk("INDX", {0, 0, 0, 0, 1, 0});
    expectRejected(join(c), "INDX: length 6");
    c[indexOf(c, "INDX")] = chunk("INDX", u32s({0, 1, 2, 0}));
    expectRejected(join(c), "INDX: 4 indices");
    c[indexOf(c, "INDX")] = chunk("INDX", {});
    expectRejected(join(c), "INDX: length 0");
}

TEST(MeshFileMalformed, IndexNotBelowVertexCount) {
    std::vector<Bytes> c = validChunks();
    c[indexOf(c, "INDX")] = chunk("INDX", u32s({0, 1, 3}));
    expectRejected(join(c), "INDX: index 3 at position 2");
}

TEST(MeshFileMalformed, BoneNumberNotBelowBoneCount) {
    std::vector<Bytes> c = validChunks();
    c[indexOf(c, "BONI")][12 + 7] = 2; // two bones
    expectRejected(join(c), "BONI: bone number 2 at vertex 1");
}

TEST(MeshFileMalformed, FrameCountZero) {
    std::vector<Bytes> c = validChunks();
    setU32(c[indexOf(c, "BONE")], 12, 0);
    expectRejected(join(c), "BONE: frameCount is 0");
}

TEST(MeshFileMalformed, BoneShorterThanOneBone) {
    std::vector<Bytes> c = validChunks();
    setU32(c[indexOf(c, "BONE")], 12, 7); // 6 keys stored, 7 needed per bone
    expectRejected(join(c), "BONE: length 168 holds no whole bone");
    // frameCount × 28 does not fit 32 bits and must not wrap to a small bone size.
    setU32(c[indexOf(c, "BONE")], 12, 0x92492493u);
    expectRejected(join(c), "BONE: length 168 holds no whole bone");
}

TEST(MeshFileMalformed, LengthPastTheEndOfTheFile) {
    std::vector<Bytes> c = validChunks();
    setU32(c.back(), 8, std::uint32_t(c.back().size() - 12 + 1));
    expectRejected(join(c), "BONI: length 13 runs past the end of the file (12 bytes left)");
}

TEST(MeshFileMalformed, HugeLengthIsCheckedBeforeAnythingIsAllocated) {
    for (const char* tag : {"POSN", "INDX", "BONE", "BONW"}) {
        std::vector<Bytes> c = validChunks();
        setU32(c[indexOf(c, tag)], 8, 0xFFFFFFFFu);
        SCOPED_TRACE(tag);
        expectRejected(join(c), std::string(tag) + ": length 4294967295 runs past the end");
    }
}

TEST(MeshFileMalformed, TruncatedPayload) {
    Bytes image = join(validChunks());
    image.resize(image.size() - 3);
    expectRejected(image, "BONI: length 12 runs past the end of the file (9 bytes left)");
}

TEST(MeshFileMalformed, BoneEndsBeforeItsFrameCount) {
    std::vector<Bytes> c = validChunks();
    Bytes bone = c[indexOf(c, "BONE")];
    bone.resize(14);
    c.push_back(bone);
    removeChunk(c, "BONE");
    expectRejected(join(c), "BONE: the file ends before its frameCount");
}

TEST(MeshFileMalformed, TrailingPartialChunkHeader) {
    for (std::size_t n = 1; n < 12; ++n) {
        Bytes image = join(validChunks());
        image.insert(image.end(), n, 'P');
        SCOPED_TRACE(n);
        expectRejected(image, "only " + std::to_string(n) + " of its 12 bytes");
    }
}

TEST(MeshFileMalformed, RequiredChunkMissing) {
    for (const char* tag : {"POSN", "INDX", "BONW", "BONI"}) {
        std::vector<Bytes> c = validChunks();
        removeChunk(c, tag);
        SCOPED_TRACE(tag);
        // Without POSN the per-vertex chunks are refused first, so drop them too.
        if (std::string(tag) == "POSN") {
            for (const char* pv : {"NORM", "TEXC", "TANG", "COLR", "BONW", "BONI", "BONE"})
                removeChunk(c, pv);
        }
        expectRejected(join(c), std::string(tag) + ": chunk missing");
    }
}

TEST(MeshFileMalformed, SkinningChunksWithoutBone) {
    std::vector<Bytes> c = validChunks();
    removeChunk(c, "BONE");
    expectRejected(join(c), "BONW: present without BONE");
    removeChunk(c, "BONW");
    expectRejected(join(c), "BONI: present without BONE");
}

// Every prefix and many single-byte corruptions of a valid image: the reader either loads or
// fails with a reason, and never reads outside the image (checked under AddressSanitizer).
TEST(MeshFileMalformed, PrefixesFailAndRandomCorruptionNeverCrashes) {
    Bytes image = rvEncodeMeshFile(skinnedRecord());
    rvMeshFile m;
    ASSERT_TRUE(m.loadFromMemory(image.data(), image.size()));
    // Cut just before BONE the file is a valid unskinned mesh; every other cut is invalid.
    std::size_t boneAt = std::size_t(m.chunks[6].offset);
    for (std::size_t n = 0; n < image.size(); ++n) {
        Bytes prefix(image.begin(), image.begin() + n);
        ASSERT_EQ(m.loadFromMemory(prefix.data(), prefix.size()), n == boneAt) << n;
        ASSERT_EQ(m.error().empty(), n == boneAt) << n;
    }
    std::mt19937 rng(1234);
    for (int round = 0; round < 3000; ++round) {
        Bytes bad = image;
        std::size_t at = rng() % bad.size();
        bad[at] = std::uint8_t(rng());
        if (m.loadFromMemory(bad.data(), bad.size())) {
            EXPECT_TRUE(m.error().empty());
            EXPECT_EQ(m.positions.size(), std::size_t(m.vertexCount) * 3);
        } else {
            EXPECT_FALSE(m.error().empty());
            EXPECT_TRUE(m.positions.empty());
        }
    }
}

} // namespace
