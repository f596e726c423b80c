// Runs the mshinfo program (its path comes from the build as RV_MSHINFO_PATH) on files made
// with the engine's writer and checks its output and exit status.
#include "rvmeshfile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>

#ifndef RV_MSHINFO_PATH
#error "RV_MSHINFO_PATH must name the mshinfo program"
#endif

namespace {

namespace fs = std::filesystem;

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

fs::path scratch(const std::string& name) {
    return fs::temp_directory_path() / ("mshinfo_test_" + name);
}

// Runs mshinfo with `args` (already quoted) and captures both streams.
ToolRun runMshinfo(const std::string& args, const std::string& name) {
    fs::path out = scratch(name + ".out");
    fs::path err = scratch(name + ".err");
    std::string cmd = std::string("\"") + RV_MSHINFO_PATH + "\" " + args + " >\"" + out.string() +
                      "\" 2>\"" + err.string() + "\"";
    ToolRun r;
    int raw = std::system(cmd.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = slurp(out);
    r.err = slurp(err);
    fs::remove(out);
    fs::remove(err);
    return r;
}

rvMeshFile sampleRecord() {
    rvMeshFile r;
    r.positions = {-1, 2, 3, 4, -5, 6, 0, 0.5f, -7};
    r.indices = {0, 1, 2, 2, 1, 0};
    r.frameCount = 3;
    r.boneKeys.resize(6);
    r.boneWeights = {1, 0, 0, 0, 1, 0, 0, 0, 0.5f, 0.5f, 0, 0};
    r.boneIndices = {0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0};
    return r;
}

void expectContains(const std::string& text, const std::string& part) {
    EXPECT_NE(text.find(part), std::string::npos) << "\"" << part << "\" not in:\n" << text;
}

TEST(Mshinfo, ValidFilePrintsHeaderChunksCountsAndBounds) {
    fs::path file = scratch("valid.MSH");
    std::string error;
    ASSERT_TRUE(rvWriteMeshFile(file.string().c_str(), sampleRecord(), &error)) << error;
    ToolRun r = runMshinfo("\"" + file.string() + "\"", "valid");
    fs::remove(file);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err;
    expectContains(r.out, "magic    RVENGMSH\n");
    expectContains(r.out, "version  100\n");
    expectContains(r.out, "flag     1\n");
    expectContains(r.out, "chunks   5\n");
    expectContains(r.out, "  POSN  length         36  at offset 13\n");
    expectContains(r.out, "  INDX  length         24");
    expectContains(r.out, "  BONE  length        168");
    expectContains(r.out, "  BONW  length         12");
    expectContains(r.out, "  BONI  length         12");
    expectContains(r.out, "vertices 3\n");
    expectContains(r.out, "indices  6 (2 triangles)\n");
    expectContains(r.out, "bones    2\n");
    expectContains(r.out, "frames   3\n");
    expectContains(r.out, "bounds   min (-1, -5, -7)  max (4, 2, 6)\n");
}

TEST(Mshinfo, RejectedFileGivesTheReaderReasonAndExitStatus1) {
    fs::path file = scratch("bad_boni_range.MSH");
    rvMeshFile record = sampleRecord();
    record.boneIndices[5] = 9;
    std::string error;
    ASSERT_TRUE(rvWriteMeshFile(file.string().c_str(), record, &error)) << error;
    ToolRun r = runMshinfo("\"" + file.string() + "\"", "bad");
    fs::remove(file);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.empty()) << r.out;
    std::string prefix = "mshinfo: " + file.string() + ": BONI: ";
    EXPECT_EQ(r.err.compare(0, prefix.size(), prefix), 0) << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line expected: " << r.err;
}

TEST(Mshinfo, MissingFileExitsWithStatus1) {
    fs::path file = scratch("does_not_exist.MSH");
    ToolRun r = runMshinfo("\"" + file.string() + "\"", "missing");
    EXPECT_EQ(r.status, 1);
    expectContains(r.err, "mshinfo: " + file.string() + ": ");
}

TEST(Mshinfo, WrongCommandLinePrintsUsageAndExitsWithStatus2) {
    ToolRun none = runMshinfo("", "noargs");
    EXPECT_EQ(none.status, 2);
    EXPECT_TRUE(none.out.empty());
    expectContains(none.err, "usage: mshinfo FILE");
    ToolRun two = runMshinfo("a b", "twoargs");
    EXPECT_EQ(two.status, 2);
}

} // namespace
