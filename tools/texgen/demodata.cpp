#include "demodata.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "cimage.h"
#include "patterns.h"
#include "skybox.h"

namespace texgen {

namespace {

namespace fs = std::filesystem;

bool prepareFolder(const fs::path& file, std::string* error) {
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    if (ec) {
        *error = "cannot create folder " + file.parent_path().string() + ": " + ec.message();
        return false;
    }
    return true;
}

std::string describe(const std::string& relativePath, const fs::path& file, int width, int height,
                     int bits) {
    std::error_code ec;
    const auto bytes = fs::file_size(file, ec);
    return relativePath + " (" + std::to_string(width) + "x" + std::to_string(height) + ", " +
           std::to_string(bits) + "-bit, " + std::to_string(ec ? 0 : bytes) + " bytes)";
}

} // namespace

bool writeImageFile(const CImage& image, const std::string& demoDir,
                    const std::string& relativePath, std::vector<std::string>* written,
                    std::string* error) {
    const fs::path file = fs::path(demoDir) / relativePath;
    if (!prepareFolder(file, error)) {
        return false;
    }
    if (!image.writeBMP(file.string().c_str())) {
        *error = "cannot write " + file.string();
        return false;
    }
    written->push_back(
        describe(relativePath, file, image.getWidth(), image.getHeight(), image.getChannels() * 8));
    return true;
}

bool writeSceneTextures(const std::string& demoDir, std::vector<std::string>* written,
                        std::string* error) {
    CImage image;
    if (!paintFloorTiles(&image, kFloorSize, kFloorTiles, error) ||
        !writeImageFile(image, demoDir, kFloorTexture, written, error)) {
        return false;
    }
    if (!paintWhiteGrid(&image, kGridSize, kGridSpacing, error) ||
        !writeImageFile(image, demoDir, kGridTexture, written, error)) {
        return false;
    }
    if (!paintSkyBox(&image, kSkyWidth, kSkyHeight, error) ||
        !writeImageFile(image, demoDir, kSkyTexture, written, error)) {
        return false;
    }
    return paintDefaultPattern(&image, kDefaultSize, kDefaultSquares, error) &&
           writeImageFile(image, demoDir, kDefaultTexture, written, error);
}

bool writeFont(const std::string& demoDir, const std::string& fontPath,
               const FontBakeOptions& options, std::vector<std::string>* written,
               std::string* error) {
    BakedFont font;
    if (!bakeFont(fontPath.c_str(), options, &font, error) ||
        !writeImageFile(font.atlas, demoDir, kFontTexture, written, error)) {
        return false;
    }
    const fs::path file = fs::path(demoDir) / kFontGlyphs;
    if (!prepareFolder(file, error)) {
        return false;
    }
    const std::string text = glyphFileText(font);
    std::ofstream out(file, std::ios::binary);
    out << text;
    out.close();
    if (!out) {
        *error = "cannot write " + file.string();
        return false;
    }
    std::error_code ec;
    written->push_back(std::string(kFontGlyphs) + " (256 glyphs, " + font.familyName + " " +
                       std::to_string(font.pixelSize) + " px, line height " +
                       std::to_string(font.lineHeight) + ", " +
                       std::to_string(fs::file_size(file, ec)) + " bytes)");
    return true;
}

} // namespace texgen
