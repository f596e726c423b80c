#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include <assimp/scene.h>

#include <stb/stb_image.h>

#include "texture.h"

namespace mshconvert {

bool baseColourTexture(const aiScene& scene, const std::string& modelDir, CImage* image,
                       std::string* source, std::string* error) {
    // The material that covers most triangles.
    std::vector<std::size_t> faces(scene.mNumMaterials);
    for (unsigned m = 0; m < scene.mNumMeshes; ++m)
        if (scene.mMeshes[m]->mMaterialIndex < faces.size())
            faces[scene.mMeshes[m]->mMaterialIndex] += scene.mMeshes[m]->mNumFaces;
    if (faces.empty()) {
        *error = "the model has no material";
        return false;
    }
    const aiMaterial* material =
        scene.mMaterials[std::max_element(faces.begin(), faces.end()) - faces.begin()];
    aiString path;
    if ((material->GetTexture(aiTextureType_BASE_COLOR, 0, &path) != AI_SUCCESS ||
         path.length == 0) &&
        (material->GetTexture(aiTextureType_DIFFUSE, 0, &path) != AI_SUCCESS || path.length == 0)) {
        *error = "its largest material has no base-colour texture";
        return false;
    }
    *source = path.C_Str();
    int w = 0, h = 0, channels = 0;
    std::unique_ptr<stbi_uc, void (*)(void*)> pixels(nullptr, stbi_image_free);
    if (const aiTexture* embedded = scene.GetEmbeddedTexture(path.C_Str())) {
        *source = "embedded texture " + *source;
        if (embedded->mHeight == 0) {
            pixels.reset(stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(embedded->pcData),
                                               static_cast<int>(embedded->mWidth), &w, &h,
                                               &channels, 4));
        } else {
            w = static_cast<int>(embedded->mWidth);
            h = static_cast<int>(embedded->mHeight);
            auto* rgba = static_cast<stbi_uc*>(std::malloc(std::size_t(w) * h * 4));
            for (std::size_t i = 0; rgba && i < std::size_t(w) * h; ++i) {
                const aiTexel& t = embedded->pcData[i];
                rgba[4 * i] = t.r;
                rgba[4 * i + 1] = t.g;
                rgba[4 * i + 2] = t.b;
                rgba[4 * i + 3] = t.a;
            }
            pixels.reset(rgba);
        }
    } else {
        std::string name = path.C_Str();
        std::replace(name.begin(), name.end(), '\\', '/');
        std::filesystem::path file = std::filesystem::path(modelDir) / name;
        if (!std::filesystem::exists(file))
            file = std::filesystem::path(modelDir) / std::filesystem::path(name).filename();
        *source = file.string();
        pixels.reset(stbi_load(file.c_str(), &w, &h, &channels, 4));
    }
    if (!pixels || w <= 0 || h <= 0) {
        *error = *source + ": " + (stbi_failure_reason() ? stbi_failure_reason() : "not decoded");
        return false;
    }
    bool opaque = true;
    for (std::size_t i = 0; i < std::size_t(w) * h; ++i)
        opaque = opaque && pixels.get()[4 * i + 3] == 255;
    if (!image->create(w, h, opaque ? 3 : 4)) {
        *error = *source + ": " + std::to_string(w) + " × " + std::to_string(h) +
                 " pixels is larger than the demo loads";
        return false;
    }
    // Rows arrive top first; the image keeps them bottom first, pixels as blue, green, red.
    for (int y = 0; y < h; ++y) {
        std::uint8_t* line = image->getLinePtr(h - 1 - y);
        const stbi_uc* row = pixels.get() + std::size_t(y) * w * 4;
        for (int x = 0; x < w; ++x) {
            std::uint8_t* px = line + x * image->getChannels();
            px[0] = row[4 * x + 2];
            px[1] = row[4 * x + 1];
            px[2] = row[4 * x];
            if (!opaque)
                px[3] = row[4 * x + 3];
        }
    }
    return true;
}

} // namespace mshconvert
