// Whole files in and out: the one place the engine opens files. A failure gives a one-line
// reason that starts with the file's name, for example "meshes/zax.MSH: cannot open (No such
// file or directory)"; the loaders built on it word their own failures the same way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

struct rvFileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
// A file that closes itself.
using rvFile = std::unique_ptr<std::FILE, rvFileCloser>;

// Reads the whole file into *bytes. False, with the reason in *error (error may be null), when
// it cannot be opened or read, or holds more than maxBytes.
bool rvReadFile(const char* path, std::vector<std::uint8_t>* bytes, std::string* error,
                std::size_t maxBytes = SIZE_MAX);

// Creates or replaces the file with size bytes. False, with the reason in *error, when it
// cannot be created or written completely.
bool rvWriteFile(const char* path, const void* data, std::size_t size, std::string* error);
