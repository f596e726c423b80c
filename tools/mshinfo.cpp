// mshinfo FILE — loads a mesh file with the engine's reader and prints what it holds: the
// header, each chunk, the vertex, index, bone and frame counts and the bounding box of the
// positions. Exit status: 0 for a valid file, 1 for a file the reader rejects (the reason goes
// to stderr as "mshinfo: FILE: <reason>"), 2 for a wrong command line.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "rvfile.h"
#include "rvmeshfile.h"

namespace {

// The header as stored; the reader has already accepted it when this runs.
void printHeader(const std::vector<std::uint8_t>& image) {
    const std::uint8_t* h = image.data();
    std::uint32_t version = std::uint32_t(h[8]) | std::uint32_t(h[9]) << 8 |
                            std::uint32_t(h[10]) << 16 | std::uint32_t(h[11]) << 24;
    std::printf("magic    %.8s\nversion  %u\nflag     %u\n", reinterpret_cast<const char*>(h),
                unsigned(version), unsigned(h[12]));
}

void printBounds(const rvMeshFile& m) {
    float lo[3] = {m.positions[0], m.positions[1], m.positions[2]};
    float hi[3] = {lo[0], lo[1], lo[2]};
    for (std::size_t i = 0; i < m.positions.size(); ++i) {
        lo[i % 3] = std::min(lo[i % 3], m.positions[i]);
        hi[i % 3] = std::max(hi[i % 3], m.positions[i]);
    }
    std::printf("bounds   min (%g, %g, %g)  max (%g, %g, %g)\n", lo[0], lo[1], lo[2], hi[0], hi[1],
                hi[2]);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: mshinfo FILE\n"
                             "Prints the header, chunks, counts and bounds of a mesh file.\n");
        return 2;
    }
    const char* path = argv[1];
    std::vector<std::uint8_t> image;
    std::string error;
    rvMeshFile mesh;
    if (!rvReadFile(path, &image, &error)) {
        std::fprintf(stderr, "mshinfo: %s\n", error.c_str());
        return 1;
    }
    if (!mesh.loadFromMemory(image.data(), image.size())) {
        std::fprintf(stderr, "mshinfo: %s: %s\n", path, mesh.error().c_str());
        return 1;
    }

    std::printf("file     %s\n", path);
    printHeader(image);
    std::printf("chunks   %zu\n", mesh.chunks.size());
    for (const rvMeshChunkInfo& c : mesh.chunks) {
        std::printf("  %s  length %10u  at offset %llu\n", c.tag, unsigned(c.length),
                    static_cast<unsigned long long>(c.offset));
    }
    std::printf("vertices %u\n", unsigned(mesh.vertexCount));
    std::printf("indices  %u (%u triangles)\n", unsigned(mesh.indexCount),
                unsigned(mesh.indexCount / 3));
    std::printf("bones    %u\n", unsigned(mesh.boneCount));
    std::printf("frames   %u\n", unsigned(mesh.frameCount));
    printBounds(mesh);
    return 0;
}
