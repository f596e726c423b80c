// Runs the mshinfo program (its path comes from the build as RV_MSHINFO_PATH) on files made
// with the engine's writer and checks what it prints on each stream and its exit status.
#include "rvmeshfile.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <tuple>
#include <sys/wait.h>

namespace {

// Runs mshinfo on `args` (already quoted) with the shell redirections `redirect`: its exit
// status and what reaches the pipe.
std::pair<int, std::string> runMshinfo(const std::string& args, const char* redirect) {
    const std::string cmd = std::string("\"") + RV_MSHINFO_PATH + "\" " + args + " " + redirect;
    std::FILE* pipe = popen(cmd.c_str(), "r");
    std::string out;
    for (int c; pipe && (c = std::fgetc(pipe)) != EOF;)
        out += char(c);
    const int raw = pipe ? pclose(pipe) : -1;
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, out};
}

} // namespace

TEST(Mshinfo, ListsAValidFileOnStdoutAndGivesEachFailureAsItsMessageOnStderr) {
    // 3 vertices, 2 triangles, 2 bones × 3 frames. CTest runs the cases of this file as
    // parallel processes: each needs its own file.
    const std::string good = testing::TempDir() + "mshinfo_" + std::to_string(getpid()) + ".MSH";
    rvMeshFile r;
    r.positions = {-1, 2, 3, 4, -5, 6, 0, 0.5f, -7};
    r.indices = {0, 1, 2, 2, 1, 0};
    r.frameCount = 3;
    r.boneKeys.assign(6, rvBoneKey{rvQuaternion(1, 0, 0, 0), rvVector3()});
    r.boneWeights = {1, 0, 0, 0, 1, 0, 0, 0, 0.5f, 0.5f, 0, 0};
    r.boneIndices = {0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0};
    ASSERT_TRUE(rvWriteMeshFile(good.c_str(), r, nullptr));
    // Offsets: 13-byte header, 12-byte chunk headers, BONE's frameCount after its header.
    const std::string listing =
        "file     " + good + "\nmagic    RVENGMSH\nversion  100\nflag     1\nchunks   5\n" +
        "  POSN  length         36  at offset 13\n  INDX  length         24  at offset 61\n"
        "  BONE  length        168  at offset 97\n  BONW  length         12  at offset 281\n"
        "  BONI  length         12  at offset 305\nvertices 3\nindices  6 (2 triangles)\n"
        "bones    2\nframes   3\nbounds   min (-1, -5, -7)  max (4, 2, 6)\n";
    // Arguments, exit status, stdout, the start of stderr and its number of lines.
    const std::tuple<std::string, int, std::string, std::string, long> cases[] = {
        {"'" + good + "'", 0, listing, "", 0},
        {"/dev/null", 1, "", "mshinfo: /dev/null: header: file has 0 bytes", 1}, // rejected
        {"/nonexistent/none.MSH", 1, "", "mshinfo: /nonexistent/none.MSH: cannot open (", 1},
        {"", 2, "", "usage: mshinfo FILE\n", 2},
        {"a b", 2, "", "usage: mshinfo FILE\n", 2},
    };
    for (const auto& [args, status, out, err, lines] : cases) {
        SCOPED_TRACE(args);
        EXPECT_EQ(runMshinfo(args, "2>/dev/null"), std::make_pair(status, out));
        const std::string got = runMshinfo(args, "2>&1 >/dev/null").second;
        EXPECT_EQ(got.substr(0, err.size()), err);
        EXPECT_EQ(std::count(got.begin(), got.end(), '\n'), lines) << got;
    }
    std::remove(good.c_str());
}
