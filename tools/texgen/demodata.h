// Writes the demo's generated data files under a run directory, at the paths the program opens
// them (relative to its working directory), creating folders as needed. Each writer appends one
// line per file to *written: "<relative path> (<width>x<height>, <bits>-bit, <bytes> bytes)".
#pragma once

#include <string>
#include <vector>

#include "assets.h"
#include "fontbaker.h"
#include "rvhudtextmanager.h"
#include "rvtexture.h"

namespace texgen {

constexpr const char* kFloorTexture = kGreyTexture;
constexpr const char* kGridTexture = kMarkerTexture;
constexpr const char* kDefaultTexture = rvTextureManager::kDefaultTexture;
constexpr const char* kFontTexture = rvHUDTextManager::kDefaultFontTexture;
constexpr const char* kFontGlyphs = rvHUDTextManager::kDefaultFontGlyphs;

// Sizes of the scene textures.
constexpr int kFloorSize = 512;
constexpr int kFloorTiles = 16;
constexpr int kGridSize = 128;
constexpr int kGridSpacing = 16;
constexpr int kDefaultSize = 128;
constexpr int kDefaultSquares = 8;

// The floor, the light marker's grid, the sky box and the default texture.
bool writeSceneTextures(const std::string& demoDir, std::vector<std::string>* written,
                        std::string* error);

// The HUD font baked from the TrueType file at fontPath: its texture and its glyph file.
bool writeFont(const std::string& demoDir, const std::string& fontPath,
               const FontBakeOptions& options, std::vector<std::string>* written,
               std::string* error);

// Saves an image as a BMP (24- or 32-bit after its channel count) at demoDir/relativePath.
bool writeImageFile(const CImage& image, const std::string& demoDir,
                    const std::string& relativePath, std::vector<std::string>* written,
                    std::string* error);

} // namespace texgen
