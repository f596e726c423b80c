#include "rvmeshfile.h"

#include <unistd.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void putU32(Bytes& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.push_back(std::uint8_t(v >> (8 * i)));
}

void setU32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = std::uint8_t(v >> (8 * i));
}

Bytes floats(const std::vector<float>& values) {
    Bytes b;
    for (float f : values) {
        std::uint32_t bits;
        std::memcpy(&bits, &f, 4);
        putU32(b, bits);
    }
    return b;
}

Bytes header() {
    return {'R', 'V', 'E', 'N', 'G', 'M', 'S', 'H', 100, 0, 0, 0, 1};
}

// `uncounted` stands between the chunk header and the payload (BONE's frameCount).
Bytes chunk(const char* tag, const Bytes& payload, const Bytes& uncounted = {}) {
    Bytes b(tag, tag + 4);
    putU32(b, 0); // reserved
    putU32(b, std::uint32_t(payload.size()));
    b.insert(b.end(), uncounted.begin(), uncounted.end());
    b.insert(b.end(), payload.begin(), payload.end());
    return b;
}

std::vector<float> countFrom(float first, int n) {
    std::vector<float> v;
    for (int i = 0; i < n; ++i)
        v.push_back(first + float(i));
    return v;
}

// A file as its parts: the header, then the chunks in this order.
enum Part { HDR, POSN, NORM, TEXC, TANG, COLR, INDX, BONE, BONW, BONI };
using Parts = std::vector<Bytes>;

// Three vertices, one triangle, 2 bones × 3 frames, every chunk kind, distinct values.
Parts validParts() {
    return {header(),
            chunk("POSN", floats({0, 0, 0, 1, 0, 0, 0, 2, -3})),
            chunk("NORM", floats(countFrom(10, 9))),
            chunk("TEXC", floats(countFrom(20, 6))),
            chunk("TANG", floats(countFrom(30, 12))),
            chunk("COLR", floats(countFrom(50, 12))),
            chunk("INDX", {0, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0}),
            chunk("BONE", floats(countFrom(100, 42)), {3, 0, 0, 0}),
            chunk("BONW", {255, 0, 0, 0, 64, 191, 0, 0, 128, 127, 0, 0}),
            chunk("BONI", {0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0})};
}

Bytes join(const Parts& parts) {
    Bytes image;
    for (const Bytes& p : parts)
        image.insert(image.end(), p.begin(), p.end());
    return image;
}

bool loadParts(rvMeshFile& m, const Parts& parts) {
    Bytes image = join(parts);
    return m.loadFromMemory(image.data(), image.size());
}

using Malformed = std::pair<void (*)(Parts&), const char*>; // mutation, reason fragment

// Each mutated file must fail with its reason and leave the record (filled by a valid load
// first) empty.
void expectAllRejected(std::initializer_list<Malformed> cases) {
    for (const Malformed& c : cases) {
        SCOPED_TRACE(c.second);
        rvMeshFile m;
        ASSERT_TRUE(loadParts(m, validParts())) << m.error();
        Parts parts = validParts();
        c.first(parts);
        EXPECT_FALSE(loadParts(m, parts));
        EXPECT_NE(m.error().find(c.second), std::string::npos) << m.error();
        EXPECT_EQ(m.error().find('\n'), std::string::npos);
        EXPECT_TRUE(m.positions.empty() && m.indices.empty() && m.boneKeys.empty() &&
                    m.boneWeights.empty() && m.chunks.empty());
        EXPECT_EQ(m.vertexCount + m.indexCount + m.boneCount + m.frameCount, 0u);
    }
}

// A key as stored in the file: translation x, y, z, rotation w, x, y, z.
std::vector<float> fileOrder(const rvBoneKey& k) {
    return {k.translation.x, k.translation.y, k.translation.z, k.rotation.w,
            k.rotation.x,    k.rotation.y,    k.rotation.z};
}

} // namespace

TEST(MeshFileHeader, EachCheckRejectsInTheOrderFlagMagicVersion) {
    expectAllRejected({
        {[](Parts& p) { p = {Bytes(5, 'R')}; }, "header: file has 5 bytes"},
        {[](Parts& p) { p[HDR][12] = 0; }, "format flag is 0"},
        {[](Parts& p) { p[HDR][0] ^= 0x20; }, "magic"},
        {[](Parts& p) { p[HDR][7] ^= 0x20; }, "magic"},
        {[](Parts& p) { setU32(p[HDR], 8, 101); }, "version 101"},
        {[](Parts& p) { p[HDR] = Bytes(13, 2); }, "flag"},  // magic and version wrong too
        {[](Parts& p) { p[HDR] = Bytes(13, 1); }, "magic"}, // version wrong too
    });
}

TEST(MeshFileMalformed, OneFilePerValidityRule) {
    expectAllRejected({
        {[](Parts& p) { p.resize(1); }, "POSN: chunk missing"},
        {[](Parts& p) { p.erase(p.begin() + INDX); }, "INDX: chunk missing"},
        {[](Parts& p) { p.erase(p.begin() + BONW); }, "BONW: chunk missing"},
        {[](Parts& p) { p.erase(p.begin() + BONE); }, "BONW: present without BONE"},
        {[](Parts& p) { p.push_back(p[NORM]); }, "NORM: second chunk"},
        {[](Parts& p) { std::memcpy(p[TANG].data(), "TAN\x01", 4); }, "TAN\\x01"},
        {[](Parts& p) { std::swap(p[POSN], p[NORM]); }, "NORM: stands before POSN"},
        {[](Parts& p) { p[BONI] = chunk("BONI", Bytes(8, 0)); }, "BONI: length 8 is not 4 ×"},
        {[](Parts& p) { p[POSN] = chunk("POSN", Bytes(16, 0)); }, "POSN: length 16"},
        {[](Parts& p) { p[INDX] = chunk("INDX", {}); }, "INDX: length 0"},
        {[](Parts& p) { p[INDX] = chunk("INDX", Bytes(16, 0)); }, "INDX: 4 indices"},
        {[](Parts& p) { p[INDX][12 + 8] = 3; }, "INDX: index 3 at position 2"},
        {[](Parts& p) { p[BONI][12 + 7] = 2; }, "BONI: bone number 2 at vertex 1"},
        {[](Parts& p) { setU32(p[BONE], 12, 0); }, "BONE: frameCount is 0"},
        {[](Parts& p) { setU32(p[BONE], 12, 7); }, "BONE: length 168 holds no whole bone"},
        // frameCount × 28 wraps to 20 in 32 bits and must not give 8 bones.
        {[](Parts& p) { setU32(p[BONE], 12, 0x92492493u); }, "BONE: length 168 holds no"},
        {[](Parts& p) { setU32(p[BONE], 8, 0xFFFFFFFFu); }, "BONE: length 4294967295 runs"},
        {[](Parts& p) { p[BONI].pop_back(); }, "length 12 runs past the end of the file (11"},
        {[](Parts& p) { p.resize(BONE + 1), p[BONE].resize(14); }, "ends before its frameCount"},
        {[](Parts& p) { p.push_back(Bytes(5, 'P')); }, "only 5 of its 12 bytes"},
    });
}

TEST(MeshFileLoad, CountsComeFromThePosnAndIndxLengths) {
    rvMeshFile m;
    Bytes posn = chunk("POSN", floats({1, 2, 3, 4, 5, 6, 7, 8, 9}));
    setU32(posn, 4, 0xDEADBEEF); // the reserved field is not interpreted
    ASSERT_TRUE(loadParts(m, {header(), posn, chunk("INDX", {2, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0})}))
        << m.error();
    EXPECT_EQ(m.vertexCount, 3u);
    EXPECT_EQ(m.indexCount, 3u);
    EXPECT_EQ(m.positions, (std::vector<float>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(m.indices, (std::vector<std::uint32_t>{2, 0, 1}));
    EXPECT_FALSE(m.hasNormals() || m.hasTexCoords() || m.hasTangents() || m.hasColors() ||
                 m.hasSkeleton());
}

TEST(MeshFileLoad, KeysAreBoneByBoneTranslationFirstAndWeightsAreBytesOver255) {
    for (std::size_t surplus : {0, 27}) { // bytes after the last whole bone are skipped
        SCOPED_TRACE(surplus);
        Bytes keys = floats(countFrom(0, 28));
        keys.resize(keys.size() + surplus, 0xEE);
        rvMeshFile m;
        ASSERT_TRUE(loadParts(m, {header(), chunk("POSN", floats({0, 0, 0})),
                                  chunk("INDX", Bytes(12, 0)), chunk("BONE", keys, {2, 0, 0, 0}),
                                  chunk("BONW", {255, 0, 128, 0}), chunk("BONI", {1, 0, 1, 0})}))
            << m.error();
        EXPECT_EQ(m.frameCount, 2u);
        EXPECT_EQ(m.boneCount, 2u);
        ASSERT_EQ(m.boneKeys.size(), 4u);
        EXPECT_EQ(fileOrder(m.key(1, 0)), countFrom(14, 7)); // the third 7-float group
        EXPECT_EQ(fileOrder(m.key(0, 1)), countFrom(7, 7));
        EXPECT_EQ(fileOrder(m.key(1, 1)), countFrom(21, 7));
        EXPECT_EQ(m.boneWeights, (std::vector<float>{1.0f, 0.0f, 128 / 255.0f, 0.0f}));
        EXPECT_EQ(m.boneIndices, (std::vector<std::uint8_t>{1, 0, 1, 0}));
    }
}

// A loaded file written to disk and loaded again encodes to the original bytes.
TEST(MeshFileWrite, RoundTripThroughDiskKeepsEveryByte) {
    const Bytes image = join(validParts());
    rvMeshFile a, b;
    ASSERT_TRUE(a.loadFromMemory(image.data(), image.size())) << a.error();
    a.boneWeights[4] = 0.25f; // 63.75 must round to the stored 64
    const std::string path =
        testing::TempDir() + std::to_string(getpid()) + "_" + "rvmeshfile_test_roundtrip.MSH";
    std::string error;
    ASSERT_TRUE(rvWriteMeshFile(path.c_str(), a, &error)) << error;
    EXPECT_TRUE(b.load(path.c_str())) << b.error();
    std::remove(path.c_str());
    EXPECT_EQ(rvEncodeMeshFile(b), image);
}

TEST(MeshFileWrite, UnwritablePathReportsWhy) {
    std::string error;
    EXPECT_FALSE(rvWriteMeshFile("/nonexistent-dir/x.MSH", rvMeshFile(), &error));
    EXPECT_NE(error.find("/nonexistent-dir/x.MSH"), std::string::npos);
}

TEST(MeshFileLoad, MissingFileFailsWithAReasonNamingIt) {
    rvMeshFile m;
    ASSERT_TRUE(loadParts(m, validParts()));
    EXPECT_FALSE(m.load("/nonexistent-dir/none.MSH"));
    EXPECT_NE(m.error().find("/nonexistent-dir/none.MSH"), std::string::npos);
    EXPECT_TRUE(m.positions.empty() && m.boneKeys.empty() && m.vertexCount == 0);
}
