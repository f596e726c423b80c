#include "output.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "cimage.h"
#include "rvmeshfile.h"

namespace chargen {

void meshBounds(const BodyMesh& mesh, V3* lo, V3* hi) {
    *lo = V3(1e30, 1e30, 1e30);
    *hi = V3(-1e30, -1e30, -1e30);
    for (const V3& p : mesh.positions) {
        *lo = V3(std::min(lo->x, p.x), std::min(lo->y, p.y), std::min(lo->z, p.z));
        *hi = V3(std::max(hi->x, p.x), std::max(hi->y, p.y), std::max(hi->z, p.z));
    }
}

bool paintTexture(const Character& c, CImage* image) {
    return toImage(paintAtlas(c.parts, c.look, c.textureSize), c.textureChannels, *image);
}

bool writeCharacter(const std::string& demoDir, const Character& c,
                    std::vector<std::string>* written, std::string* error) {
    namespace fs = std::filesystem;
    const fs::path meshPath = fs::path(demoDir) / c.meshFile;
    const fs::path texturePath = fs::path(demoDir) / c.textureFile;
    std::error_code ec;
    for (const fs::path& dir : {meshPath.parent_path(), texturePath.parent_path()}) {
        fs::create_directories(dir, ec);
        if (ec) {
            *error = "cannot create " + dir.string() + ": " + ec.message();
            return false;
        }
    }
    const rvMeshFile record = meshRecord(c);
    if (!rvWriteMeshFile(meshPath.string().c_str(), record, error))
        return false;

    CImage image;
    if (!paintTexture(c, &image)) {
        *error = "cannot create the " + c.name + " texture image";
        return false;
    }
    const bool saved = c.textureChannels == 4 ? image.writeTGA(texturePath.string().c_str())
                                              : image.writeBMP(texturePath.string().c_str());
    if (!saved) {
        *error = "cannot write " + texturePath.string();
        return false;
    }

    V3 lo, hi;
    meshBounds(c.mesh, &lo, &hi);
    char line[512];
    std::snprintf(line, sizeof line,
                  "%s: %u vertices, %u triangles, %u bones, %u key frames, bounds (%.2f, %.2f, "
                  "%.2f) to (%.2f, %.2f, %.2f)",
                  meshPath.string().c_str(), record.vertexCount, record.indexCount / 3,
                  record.boneCount, record.frameCount, lo.x, lo.y, lo.z, hi.x, hi.y, hi.z);
    written->push_back(line);
    std::snprintf(line, sizeof line, "%s: %d x %d, %d-bit", texturePath.string().c_str(),
                  image.getWidth(), image.getHeight(), 8 * c.textureChannels);
    written->push_back(line);
    return true;
}

} // namespace chargen
