// The demo's content: which files are loaded, what the scene holds, which shader parameters get
// which values, and the order in which one frame is drawn on each back end.
//
// The scene is one skinned character (two models, one shown at a time), a sky box, a floor and a
// small sphere at the origin drawn with the main light's orbit transform, with two lines of help
// text on top. Everything is drawn through gRender; nothing here knows which back end it is,
// except that the shader set-up differs (an effect on Direct3D, ARB programs on OpenGL).
//
// All state is process-wide and single-threaded. The application owns every object created
// here; shutdownScene deletes them.
#pragma once

#include <string>

#include "rvmatrix.h"
#include "rvrender.h"
#include "rvvector.h"

class rvAnimMesh;
class rvMesh;
class rvFlyCamera;

// Program-wide state shared by the frame loop and the scene.
extern const char* gCommandLine; // the first program argument, or null; names a model to show
extern rvRender* gRender;        // the chosen back end; owned by the program
extern bool gUseOpenGL;          // the OpenGL back end was chosen
// How the scene draws with the chosen back end (its entry in app/backends.cpp says it):
//   kEffect             the models skin on the graphics card in the effect's vertex shader,
//                       drawn by drawSceneD3D;
//   kProcessorSkinning  the models skin on the processor and the ARB programs light them,
//                       drawn by drawSceneGL.
enum class rvShading { kEffect, kProcessorSkinning };
extern rvShading gShading;
extern rvFlyCamera* gCamera; // owned by the program
extern bool gLightOnCamera;  // the light follows the camera ('C' toggles); starts true
extern bool gShowFirstModel; // the first model is shown ('M' toggles); starts true
extern bool gWireframe;      // the scene is drawn as lines ('Q' toggles); starts false
extern float gLightAngle;    // degrees, 0…360: the main light's orbit angle

// The scene. World matrices scale uniformly and then translate: the first model by 0.1 to
// (−1, 0, 5), the second by 0.15 to (−3, 2.5, 0), so that both stand on the floor (y = 0).
extern rvAnimMesh* gModel1;
extern rvAnimMesh* gModel2;
extern rvAnimMesh* gCurrentModel; // the model that is animated and drawn
extern rvMatrix44 gWorld1;
extern rvMatrix44 gWorld2;
extern rvMesh* gFloor;
extern rvMesh* gSkyBox;
extern rvMesh* gLightMarker;
extern rvMatrix44 gLightOrbit; // the identity: the light circles the y axis
extern rvVector3 gLightBase;   // (3, 3, 3): the light before the orbit rotation
extern rvVector3 gLightPos;    // last orbiting light position
extern rvVector4 gLightColour;
extern rvVector4 gAmbientColour;
extern float gSpecularPower;
extern rvShader gShader; // "mirethShader.fx"
extern std::string gTechnique;
extern unsigned int gVertexProgram;   // in/out for loadVertexProgram
extern unsigned int gFragmentProgram; // in/out for loadFragmentProgram
extern int gTextSwitchModels;
extern int gTextAttachLight;
extern int gTextReleaseLight;

// Whether a program argument names a mesh file: the extension of its file name (after the last
// '.' of the part after the last '/' or '\\') is "MSH" in any case. Dots in folder names do
// not count ("../my.models/hero.msh" is a mesh file). False for null. The name is not
// changed: it is opened exactly as given.
bool isMSHFileName(const char* name);
// The texture shown on a mesh file named on the command line: the file beside it with the same
// name and the extension .tga or .bmp (in either case), the first that exists; empty if none.
// Precondition: isMSHFileName(modelFile).
std::string textureBeside(const char* modelFile);

// Loads the models, textures and generated meshes and gives the shader its constant
// parameters. Preconditions: gRender initialised, gShading set. Missing files are reported by
// the back end (the mesh is then empty) and the scene goes on.
void initScene();

// One frame on each back end, from clear to the end of the scene. Preconditions: initScene has
// run and gCamera exists.
void drawSceneD3D();
void drawSceneGL();

// Another copy of the first character, loaded and set up as initScene sets up the first model
// (texture, key-frame rate, skinning streams and, on Direct3D, its palette). The caller owns
// it. After initScene; for programs that draw a crowd (bench/crowd_bench).
rvAnimMesh* loadFirstCharacterCopy();

// A frame like the one of the chosen back end with `count` characters instead of the shown
// one, each at its world matrix with its own inverse world (and, on Direct3D, texture), and
// without the help text. The caller poses them (update or animate) first. For programs that
// draw a crowd (bench/crowd_bench); same preconditions.
void drawCrowd(rvAnimMesh* const* models, const rvMatrix44* worlds, int count);

// What the last frame cost the program's thread, in seconds, by stage: posing the shown
// character (key sampling and bone matrices), skinning its vertices (processor skinning),
// handing the effect its bones (Direct3D), the frame's other drawing calls, and the end of the
// scene (the back end's present, which waits for the drawing to finish where it must).
// runFrame fills the first two, the frame's drawing the others.
struct rvFrameCost {
    double animation = 0.0;
    double skinning = 0.0;
    double upload = 0.0;
    double drawing = 0.0;
    double present = 0.0;
};
extern rvFrameCost gFrameCost;

// The 'T' key shows, under the help lines, the stages' milliseconds averaged over the last
// second and the frames per second; addFrameCost, called once per frame with its frame time,
// rewrites the lines once a second.
constexpr int kCostLines = 3;
constexpr float kCostLineY[kCostLines] = {550.0f, 530.0f, 510.0f};
extern bool gShowCosts; // starts false

// The 'B' key: the rig view. The shown character is drawn unlit, each vertex in the colour of
// its most-weighted bone, with a white square at each bone's centre of influence (the weighted
// centre of the bind-pose vertices it moves) in its current pose. On Direct3D the effect's
// technique kRigTechnique colours it, on OpenGL the fixed pipeline.
extern bool gRigView; // starts false
constexpr const char* kRigTechnique = "rigColours";
// The rig view's colour of a bone (0xAARRGGBB, opaque): bright hues a golden angle apart.
unsigned int rigColour(int bone);
extern int gTextCosts[kCostLines];
void addFrameCost(float frameTime);

// The 'M' key: makes the other model current and gives the shader its inverse world matrix
// (and, on Direct3D, its texture). The caller then inverts gShowFirstModel.
void switchModel();

// The 'F' key: the window title becomes "FPS= " and the latest frames-per-second count.
void showFPSInTitle();

// The window title showFPSInTitle sets for a count.
std::string fpsTitle(int fps);

// The main light's orbit transform: gLightOrbit · rotation about y by gLightAngle degrees.
rvMatrix44 mainLightMatrix();

// Deletes the floor, the light marker, the sky box and the two models, in that order, and
// clears the pointers. Meshes outlive the renderer that made them: this may run after it is gone.
void shutdownScene();
