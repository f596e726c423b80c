// The files the demo reads, relative to its working directory, named once for the program and
// for the tools that make them. The default texture and the HUD font are the engine's own
// (rvTextureManager::kDefaultTexture, rvHUDTextManager::kDefaultFont*).
#pragma once

constexpr const char* kFirstModelFile = "meshes/zax.MSH";
constexpr const char* kFirstModelTexture = "textures/Diffuse Map - Zax.bmp";
constexpr const char* kSecondModelFile = "meshes/zaphod.MSH";
constexpr const char* kSecondModelTexture = "textures/zaphod_red.tga";
// The floor's texture, also worn by a model named on the command line.
constexpr const char* kGreyTexture = "textures/grayTexture.bmp";
constexpr const char* kSkyTexture = "textures/skybox1.bmp";
constexpr const char* kMarkerTexture = "textures/whitegrid.bmp";

constexpr const char* kEffectFile = "mirethShader.fx";
// The bones the effect's "bones" array holds.
constexpr int kEffectBones = 56;
constexpr const char* kVertexProgramFile = "mirethVShader.vp";
constexpr const char* kFragmentProgramFile = "mirethPShader.fp";

// The parameters of the two ARB programs: program-local parameters by index, and program
// matrix 0 (the inverse world matrix of the shown model). The vertex program's colour slots
// are set with the others but not read by mirethVShader.vp.
enum : int {
    kVPLightPosition = 0,
    kVPLightColour = 1,
    kVPAmbientColour = 2,
    kVPCameraPosition = 3,
    kFPLightColour = 1,
    kFPAmbientColour = 2,
    kFPShininess = 5,
    kInverseWorldMatrix = 0,
};
