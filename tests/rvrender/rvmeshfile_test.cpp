#include "rvmeshfile.h"

#include <unistd.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void setF32(Bytes& b, std::size_t at, float v) {
    std::memcpy(&b[at], &v, 4);
}

void setU32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = std::uint8_t(v >> (8 * i));
}

// The floats' bytes; the file's floats are little-endian, as on every host the engine runs on.
Bytes floats(const std::vector<float>& values) {
    Bytes b(4 * values.size());
    std::memcpy(b.data(), values.data(), b.size());
    return b;
}

std::vector<float> countFrom(float first, int n) {
    std::vector<float> v;
    for (int i = 0; i < n; ++i)
        v.push_back(first + float(i));
    return v;
}

// `uncounted` stands between the chunk header and the payload (BONE's frameCount).
Bytes chunk(const char* tag, const Bytes& payload, const Bytes& uncounted = {}) {
    Bytes b(12, 0); // the tag, a reserved word and the length
    b.reserve(12 + uncounted.size() + payload.size());
    std::memcpy(b.data(), tag, 4);
    setU32(b, 8, std::uint32_t(payload.size()));
    b.insert(b.end(), uncounted.begin(), uncounted.end());
    b.insert(b.end(), payload.begin(), payload.end());
    return b;
}

// Six keys (2 bones × 3 frames) in file order, distinct: translations count up from 100, the
// rotations are exact unit quaternions along the four axes.
std::vector<float> keyFloats() {
    std::vector<float> v;
    for (int k = 0; k < 6; ++k) {
        const float t = 100.0f + 3.0f * float(k);
        v.insert(v.end(), {t, t + 1, t + 2, 0, 0, 0, 0});
        v[v.size() - 4 + k % 4] = k < 4 ? 1.0f : -1.0f;
    }
    return v;
}

// A file as its parts: the header, then the chunks in this order.
enum Part { HDR, POSN, NORM, TEXC, TANG, COLR, INDX, BONE, BONW, BONI };
using Parts = std::vector<Bytes>;

// Three vertices, one triangle, 2 bones × 3 frames, every chunk kind, distinct values.
Parts validParts() {
    return {{'R', 'V', 'E', 'N', 'G', 'M', 'S', 'H', 100, 0, 0, 0, 1},
            chunk("POSN", floats({0, 0, 0, 1, 0, 0, 0, 2, -3})),
            chunk("NORM", floats(countFrom(10, 9))),
            chunk("TEXC", floats(countFrom(20, 6))),
            chunk("TANG", floats(countFrom(30, 12))),
            chunk("COLR", floats(countFrom(50, 12))),
            chunk("INDX", {0, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0}),
            chunk("BONE", floats(keyFloats()), {3, 0, 0, 0}),
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
    const Bytes image = join(parts);
    return m.loadFromMemory(image.data(), image.size());
}

// Every array and count of the record: all 0 once a load has failed.
std::vector<std::size_t> sizes(const rvMeshFile& m) {
    return {m.positions.size(), m.normals.size(),     m.texCoords.size(), m.tangents.size(),
            m.colors.size(),    m.indices.size(),     m.boneKeys.size(),  m.boneWeights.size(),
            m.chunks.size(),    m.boneIndices.size(), m.vertexCount,      m.indexCount,
            m.boneCount,        m.frameCount};
}

// A key as stored in the file: translation x, y, z, rotation w, x, y, z.
std::vector<float> fileOrder(const rvBoneKey& k) {
    return {k.translation.x, k.translation.y, k.translation.z, k.rotation.w,
            k.rotation.x,    k.rotation.y,    k.rotation.z};
}

} // namespace

TEST(MeshFileMalformed, OneFilePerValidityRule) {
    using Mutation = void (*)(Parts&);
    const std::pair<Mutation, const char*> cases[] = {
        // the mutation, its reason
        // The header, checked in the order flag, magic, version.
        {[](Parts& p) { p = {Bytes(5, 'R')}; }, "header: file has 5 bytes"},
        {[](Parts& p) { p[HDR][12] = 0; }, "format flag is 0"},
        {[](Parts& p) { p[HDR][0] ^= 0x20; }, "magic"},
        {[](Parts& p) { p[HDR][7] ^= 0x20; }, "magic"},
        {[](Parts& p) { setU32(p[HDR], 8, 101); }, "version 101"},
        {[](Parts& p) { p[HDR] = Bytes(13, 2); }, "flag"},  // magic and version wrong too
        {[](Parts& p) { p[HDR] = Bytes(13, 1); }, "magic"}, // version wrong too
        // The chunks.
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
        // Numbers: geometry and keys finite, rotations unit quaternions.
        {[](Parts& p) { setF32(p[POSN], 12 + 4, NAN); }, "POSN: value 1 is not a finite"},
        {[](Parts& p) { setF32(p[TEXC], 12 + 20, INFINITY); }, "TEXC: value 5 is not a finite"},
        // Finite, but overflowing once skinned.
        {[](Parts& p) { setF32(p[POSN], 12 + 8, -1.7e38f); }, "POSN: value 2 (-1.7e+38) is larger"},
        {[](Parts& p) { setF32(p[NORM], 12, 2e6f); }, "NORM: value 0 (2e+06)"},
        {[](Parts& p) { setF32(p[BONE], 16 + 28 + 4, 3e7f); }, "key frame 1: a value is larger"},
        {[](Parts& p) { setF32(p[BONE], 16 + 28 + 8, NAN); }, "bone 0, key frame 1: a value"},
        {[](Parts& p) { setF32(p[BONE], 16 + 28 * 2 + 20, 0); },
         "frame 2: the rotation's length 0"},
        {[](Parts& p) { setF32(p[BONE], 16 + 28 * 4 + 16, 2); },
         "bone 1, key frame 1: the rotation"},
    };
    // Each mutated file fails with its one-line reason and leaves the record, filled by a valid
    // load first, empty.
    for (const auto& [mutate, reason] : cases) {
        SCOPED_TRACE(reason);
        rvMeshFile m;
        ASSERT_TRUE(loadParts(m, validParts())) << m.error();
        Parts parts = validParts();
        mutate(parts);
        EXPECT_FALSE(loadParts(m, parts));
        EXPECT_NE(m.error().find(reason), std::string::npos) << m.error();
        EXPECT_EQ(m.error().find('\n'), std::string::npos) << m.error();
        EXPECT_EQ(sizes(m), std::vector<std::size_t>(14, 0));
    }
}

TEST(MeshFileLoad, CountsComeFromTheLengthsAndKeysAreBoneByBoneTranslationFirst) {
    Parts parts = validParts();
    std::vector<float> values = keyFloats();
    values[4 + 7 * 5] = -1.005f; // the last key's rotation, 0.5 % too long, is normalised
    Bytes keys = floats(values);
    keys.resize(keys.size() + 27, 0xEE); // bytes after the last whole bone are skipped
    parts[BONE] = chunk("BONE", keys, {3, 0, 0, 0});
    setU32(parts[POSN], 4, 0xDEADBEEF); // the reserved field is not interpreted
    rvMeshFile m;
    ASSERT_TRUE(loadParts(m, parts)) << m.error();
    EXPECT_EQ(m.vertexCount, 3u);
    EXPECT_EQ(m.indexCount, 3u);
    EXPECT_EQ(m.frameCount, 3u);
    EXPECT_EQ(m.boneCount, 2u);
    ASSERT_EQ(m.boneKeys.size(), 6u);
    const std::vector<float> file = keyFloats();
    EXPECT_EQ(fileOrder(m.key(0, 1)), std::vector<float>(&file[7], &file[14]));  // the second
    EXPECT_EQ(fileOrder(m.key(1, 0)), std::vector<float>(&file[21], &file[28])); // the fourth
    EXPECT_EQ(fileOrder(m.key(1, 2)), std::vector<float>(&file[35], &file[42])); // the last
    EXPECT_EQ(m.boneWeights[4], 64 / 255.0f);                                    // bytes over 255
    EXPECT_EQ(m.boneWeights[0], 1.0f);
}

TEST(MeshFileWrite, WrittenFileLoadsToTheSameBytesAndFileErrorsStartWithTheName) {
    // A loaded file written to disk and loaded again encodes to the original bytes.
    const Bytes image = join(validParts());
    rvMeshFile a, b;
    ASSERT_TRUE(a.loadFromMemory(image.data(), image.size())) << a.error();
    a.boneWeights[4] = 0.25f; // 63.75 must round to the stored 64
    const std::string path =
        testing::TempDir() + std::to_string(getpid()) + "_rvmeshfile_test_roundtrip.MSH";
    std::string error;
    ASSERT_TRUE(rvWriteMeshFile(path.c_str(), a, &error)) << error;
    EXPECT_TRUE(b.load(path.c_str())) << b.error();
    EXPECT_EQ(rvEncodeMeshFile(b), image);
    // A file the reader rejects, one that does not exist and one that cannot be written.
    a.boneIndices[0] = 7;
    ASSERT_TRUE(rvWriteMeshFile(path.c_str(), a, &error)) << error;
    EXPECT_FALSE(b.load(path.c_str()));
    EXPECT_EQ(b.error(), path + ": BONI: bone number 7 at vertex 0 is not below boneCount (2)");
    EXPECT_EQ(sizes(b), std::vector<std::size_t>(14, 0));
    std::remove(path.c_str());
    EXPECT_FALSE(b.load(path.c_str()));
    EXPECT_EQ(b.error().rfind(path + ": cannot open (", 0), 0u) << b.error();
    EXPECT_FALSE(rvWriteMeshFile("/nonexistent-dir/x.MSH", a, &error));
    EXPECT_EQ(error.rfind("/nonexistent-dir/x.MSH: cannot create (", 0), 0u) << error;
}
