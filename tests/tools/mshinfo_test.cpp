// Runs the mshinfo program (its path comes from the build as RV_MSHINFO_PATH) on files made
// with the engine's writer and checks its output and exit status.
#include "rvmeshfile.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <sys/wait.h>

namespace {

// Runs mshinfo on `args` (already quoted): its exit status and what it prints, stderr after
// stdout unless `errTo` sends it elsewhere.
std::pair<int, std::string> runMshinfo(const std::string& args, const std::string& errTo = "&1") {
    const std::string cmd = std::string("\"") + RV_MSHINFO_PATH + "\" " + args + " 2>" + errTo;
    std::FILE* pipe = popen(cmd.c_str(), "r");
    std::string out;
    for (int c; pipe && (c = std::fgetc(pipe)) != EOF;)
        out += char(c);
    const int raw = pipe ? pclose(pipe) : -1;
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, out};
}

// 3 vertices, 2 triangles, 2 bones × 3 frames, written to a scratch file.
std::string writeSample(int boneNumberOfVertex1) {
    rvMeshFile r;
    r.positions = {-1, 2, 3, 4, -5, 6, 0, 0.5f, -7};
    r.indices = {0, 1, 2, 2, 1, 0};
    r.frameCount = 3;
    r.boneKeys.resize(6);
    r.boneWeights = {1, 0, 0, 0, 1, 0, 0, 0, 0.5f, 0.5f, 0, 0};
    r.boneIndices = {0, 0, 0, 0, std::uint8_t(boneNumberOfVertex1), 0, 0, 0, 0, 1, 0, 0};
    // CTest runs the cases of this file as parallel processes: each needs its own file.
    const std::string path =
        testing::TempDir() + "mshinfo_test_" + std::to_string(getpid()) + ".MSH";
    std::string error;
    EXPECT_TRUE(rvWriteMeshFile(path.c_str(), r, &error)) << error;
    return path;
}

} // namespace

TEST(Mshinfo, ValidFilePrintsHeaderChunksCountsAndBoundsOnly) {
    const std::string file = writeSample(1);
    const auto [status, out] = runMshinfo("\"" + file + "\"");
    std::remove(file.c_str());
    EXPECT_EQ(status, 0);
    // Offsets: 13-byte header, 12-byte chunk headers, BONE's frameCount after its header.
    EXPECT_EQ(out, "file     " + file + "\nmagic    RVENGMSH\nversion  100\nflag     1\n" +
                       "chunks   5\n  POSN  length         36  at offset 13\n"
                       "  INDX  length         24  at offset 61\n"
                       "  BONE  length        168  at offset 97\n"
                       "  BONW  length         12  at offset 281\n"
                       "  BONI  length         12  at offset 305\n"
                       "vertices 3\nindices  6 (2 triangles)\nbones    2\nframes   3\n"
                       "bounds   min (-1, -5, -7)  max (4, 2, 6)\n");
}

TEST(Mshinfo, RejectedFileGivesTheReaderReasonOnStderrAndExitStatus1) {
    const std::string file = writeSample(9);
    // Nothing on stdout.
    EXPECT_EQ(runMshinfo("\"" + file + "\"", "/dev/null"), std::make_pair(1, std::string()));
    const std::string err = runMshinfo("\"" + file + "\"").second;
    std::remove(file.c_str());
    EXPECT_EQ(err.rfind("mshinfo: " + file + ": BONI: ", 0), 0u) << err;
    EXPECT_EQ(err.find('\n'), err.size() - 1) << "one line expected: " << err;
}

TEST(Mshinfo, WrongCommandLinePrintsUsageOnStderrAndExitsWithStatus2) {
    EXPECT_EQ(runMshinfo("", "/dev/null"), std::make_pair(2, std::string()));
    EXPECT_EQ(runMshinfo("").second.rfind("usage: mshinfo FILE", 0), 0u);
    EXPECT_EQ(runMshinfo("a b", "/dev/null").first, 2);
}
