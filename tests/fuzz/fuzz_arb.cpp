// The ARB program files up to where OpenGL takes over: the whole file is read as it is (the
// driver parses it), so what can go wrong is the reading of the file.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "rvfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = "/tmp/fuzz_arb_" + std::to_string(getpid()) + ".vp";
    std::string error;
    if (!rvWriteFile(path.c_str(), data, size, &error)) {
        return 0;
    }
    std::vector<std::uint8_t> bytes;
    if (rvReadFile(path.c_str(), &bytes, &error) &&
        (bytes.size() != size || !std::equal(bytes.begin(), bytes.end(), data))) {
        __builtin_trap(); // the program text must arrive whole and unchanged
    }
    return 0;
}
