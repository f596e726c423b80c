#include "rvfile.h"

#include <cerrno>
#include <cstring>

namespace {

bool fail(std::string* error, const char* what, const char* path, int code) {
    if (error) {
        *error = std::string(path ? path : "(no file name)") + ": " + what + " (" +
                 std::strerror(code) + ")";
    }
    return false;
}

} // namespace

bool rvReadFile(const char* path, std::vector<std::uint8_t>* bytes, std::string* error,
                std::size_t maxBytes) {
    bytes->clear();
    rvFile file(path ? std::fopen(path, "rb") : nullptr);
    if (!file) {
        return fail(error, "cannot open", path, path ? errno : ENOENT);
    }
    // Read in blocks until the end: the size a file reports is only a hint (pipes have none).
    std::uint8_t block[65536];
    for (;;) {
        const std::size_t got = std::fread(block, 1, sizeof block, file.get());
        if (got > maxBytes - bytes->size()) {
            return fail(error, "too long to read", path, EFBIG);
        }
        bytes->insert(bytes->end(), block, block + got);
        if (got < sizeof block) {
            break;
        }
    }
    if (std::ferror(file.get())) {
        return fail(error, "cannot read", path, errno);
    }
    return true;
}

bool rvWriteFile(const char* path, const void* data, std::size_t size, std::string* error) {
    rvFile file(path ? std::fopen(path, "wb") : nullptr);
    if (!file) {
        return fail(error, "cannot create", path, path ? errno : ENOENT);
    }
    const bool written = std::fwrite(data, 1, size, file.get()) == size;
    const int writeErrno = errno;
    // Closing flushes: a full disk may only show here.
    if (std::fclose(file.release()) != 0 || !written) {
        return fail(error, "cannot write", path, written ? errno : writeErrno);
    }
    return true;
}
