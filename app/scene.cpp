#include "scene.h"

#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "appplatform.h"
#include "assets.h"
#include "rvanimmesh.h"
#include "rvcamera.h"
#include "rvmesh.h"
#include "rvmessage.h"
#include "rvtestprimitives.h"

const char* gCommandLine = nullptr;
rvRender* gRender = nullptr;
bool gUseOpenGL = false;
rvShading gShading = rvShading::kEffect;
rvFlyCamera* gCamera = nullptr;
bool gLightOnCamera = true;
bool gShowFirstModel = true;
bool gWireframe = false;
float gLightAngle = 0.0f;

rvAnimMesh* gModel1 = nullptr;
rvAnimMesh* gModel2 = nullptr;
rvAnimMesh* gCurrentModel = nullptr;
rvMatrix44 gWorld1;
rvMatrix44 gWorld2;
rvMesh* gFloor = nullptr;
rvMesh* gSkyBox = nullptr;
rvMesh* gLightMarker = nullptr;
rvMatrix44 gLightOrbit;
rvVector3 gLightBase(3.0f, 3.0f, 3.0f);
rvVector3 gLightPos(3.0f, 3.0f, 3.0f);
rvVector4 gLightColour(1.0f, 1.0f, 1.0f, 1.0f);
rvVector4 gAmbientColour(0.1f, 0.1f, 0.1f, 1.0f);
float gSpecularPower = 128.0f;
rvShader gShader(kEffectFile);
std::string gTechnique = "phongLighting";
unsigned int gVertexProgram = 1;
unsigned int gFragmentProgram = 3;
int gTextSwitchModels = 0;
int gTextAttachLight = 0;
int gTextReleaseLight = 0;
rvFrameCost gFrameCost;
bool gShowCosts = false;
bool gRigView = false;
int gTextCosts[kCostLines] = {};

namespace {

constexpr float kDegreesToRadians = kRvPi / 180.0f;

// Colours are handed over as alpha, red, green, blue, each a byte divided by 255.
constexpr float channel(int byte) {
    return static_cast<float>(byte) / 255.0f;
}

rvMesh* meshOf(rvAnimMesh* model) {
    return model ? model->getMesh() : nullptr;
}

rvTexture* textureOf(rvAnimMesh* model) {
    rvMesh* mesh = meshOf(model);
    return mesh ? mesh->getTexture() : nullptr;
}

// Hands the model's skinning data to its mesh (4 weights and 4 bone indices per vertex), which
// the Direct3D effect reads as vertex streams. A model whose file could not be read has no
// skeleton and keeps an empty mesh.
void setUpSkinningStreams(rvAnimMesh* model) {
    rvMesh* mesh = meshOf(model);
    if (!mesh) {
        return;
    }
    const int count = mesh->getVertexCount() * 4;
    if (model->getBoneWeights()) {
        mesh->setBoneWeights(model->getBoneWeights(), count);
    }
    if (model->getBoneIndices()) {
        mesh->setBoneIndices(model->getBoneIndices(), count);
    }
}

// Each model's bones' centres of influence in the bind pose (the rig view's markers).
std::map<const rvAnimMesh*, std::vector<rvVector3>>& rigCentres() {
    static std::map<const rvAnimMesh*, std::vector<rvVector3>> centres;
    return centres;
}

// The rig view's data: every vertex coloured by its most-weighted bone (a colour stream of the
// mesh, which the lit drawing does not read), and each bone's centre of influence, the
// weighted centre of the bind-pose vertices it moves.
void setUpRig(rvAnimMesh* model) {
    rvMesh* mesh = meshOf(model);
    if (!mesh || !model->getBoneWeights() || !model->getBoneIndices()) {
        return;
    }
    float* copy = nullptr;
    mesh->getPositions(&copy);
    const std::unique_ptr<float[]> bind(copy);
    const int n = mesh->getVertexCount();
    if (!bind || n <= 0) {
        return;
    }
    const float* weights = model->getBoneWeights();
    const unsigned char* bones = model->getBoneIndices();
    std::vector<float> colours(4 * static_cast<std::size_t>(n)); // alpha, red, green, blue
    std::vector<rvVector3> sum(model->getBoneCount());
    std::vector<float> total(model->getBoneCount(), 0.0f);
    for (int v = 0; v < n; ++v) {
        int heaviest = 0;
        for (int j = 0; j < 4; ++j) {
            const int b = bones[4 * v + j];
            const float w = weights[4 * v + j];
            heaviest = w > weights[4 * v + heaviest] ? j : heaviest;
            if (b < model->getBoneCount() && w > 0.0f) {
                sum[b] += rvVector3(bind[3 * v], bind[3 * v + 1], bind[3 * v + 2]) * w;
                total[b] += w;
            }
        }
        const unsigned int c = rigColour(bones[4 * v + heaviest]);
        for (int k = 0; k < 4; ++k) {
            colours[4 * v + k] = static_cast<float>(c >> (24 - 8 * k) & 255) / 255.0f;
        }
    }
    mesh->setFourFloatColors(colours.data(), 4 * n);
    std::vector<rvVector3>& centres = rigCentres()[model];
    centres.clear();
    for (std::size_t b = 0; b < sum.size(); ++b) {
        if (total[b] > 0.0f) {
            centres.push_back(sum[b] * (1.0f / total[b]));
        } else {
            centres.push_back(rvVector3(NAN, NAN, NAN)); // a bone that moves no vertex
        }
    }
}

// A model that comes with its own animation: 15 key frames per second, its skinning data and
// its rig view's data.
void setUpAnimatedModel(rvAnimMesh* model) {
    if (meshOf(model)) {
        model->setFrameRate(15);
    }
    setUpSkinningStreams(model);
    setUpRig(model);
}

// The effect's bone array holds kEffectBones matrices: a model with more bones is drawn in
// parts, each with a palette of its own. One that cannot be split is drawn in the pose of its
// file, with identity matrices.
void usePalette(rvAnimMesh* model, const char* file) {
    if (model && !model->usePalette(kEffectBones)) {
        const std::string text = std::string(file) + " has " +
                                 std::to_string(model->getBoneCount()) +
                                 " bones and cannot be split into parts of at most " +
                                 std::to_string(kEffectBones) + ", the bones the effect " +
                                 kEffectFile + " holds, so it is drawn in the pose of its file.";
        rvShowMessage(text.c_str(), "Model Error");
    }
}

void loadModelTexture(rvAnimMesh* model, const char* file) {
    if (rvMesh* mesh = meshOf(model)) {
        mesh->loadTexture(file);
    }
}

// Colour (1, 1, 1, 1) for the generated meshes.
constexpr rvColor4 kWhite = {1.0f, 1.0f, 1.0f, 1.0f};

int addHelpLine(const char* text, float y, int a, int r, int g, int b) {
    return gRender->addString(text, 10.0f, y, 2.0f, channel(a), channel(r), channel(g), channel(b),
                              1.0f, 0);
}

void setUpEffect() {
    gRender->loadFX(&gShader);
    gRender->setFXMatrix(gWorld1.inverse(), &gShader, "invworld");
    gRender->setFXTexture(textureOf(gModel1), &gShader, "diffTex");
    gRender->setFXVector4(gLightColour.x, gLightColour.y, gLightColour.z, gLightColour.w, &gShader,
                          "pLightColor");
    gRender->setFXVector4(gAmbientColour.x, gAmbientColour.y, gAmbientColour.z, gAmbientColour.w,
                          &gShader, "ambientColor");
    gRender->setFXFloat(gSpecularPower, &gShader, "specShiny");
}

// Both programs stay bound and switched on after this; drawSceneGL switches them off for the
// environment and on again for the character.
void setUpPrograms() {
    gRender->loadVertexProgram(kVertexProgramFile, &gVertexProgram);
    gRender->bindVertexProgram(gVertexProgram);
    gRender->setVertexProgramParameter(gLightColour.x, gLightColour.y, gLightColour.z, 1.0f,
                                       kVPLightColour);
    gRender->setVertexProgramParameter(gAmbientColour.x, gAmbientColour.y, gAmbientColour.z, 1.0f,
                                       kVPAmbientColour);
    const rvMatrix44 invWorld = gWorld1.inverse();
    gRender->setProgramMatrix(invWorld.m, kInverseWorldMatrix);

    gRender->loadFragmentProgram(kFragmentProgramFile, &gFragmentProgram);
    gRender->bindFragmentProgram(gFragmentProgram);
    gRender->setFragmentProgramParameter(gLightColour.x, gLightColour.y, gLightColour.z,
                                         gLightColour.w, kFPLightColour);
    gRender->setFragmentProgramParameter(gAmbientColour.x, gAmbientColour.y, gAmbientColour.z,
                                         gAmbientColour.w, kFPAmbientColour);
    gRender->setFragmentProgramParameter(gSpecularPower, 0.0f, 0.0f, 0.0f, kFPShininess);
}

void clearAndBegin() {
    const float black[4] = {channel(255), channel(0), channel(0), channel(0)};
    gRender->clear(black, 1.0f);
    gRender->beginScene();
}

// The light marker turns in place with the orbit; the sky box and the floor are in world space.
void drawEnvironment(rvMatrix44 lightMatrix) {
    gRender->setTexture(gLightMarker->getTexture());
    gRender->setTexture2(nullptr);
    gRender->setWorldMatrix(&lightMatrix);
    gRender->drawMesh(gLightMarker);

    rvMatrix44 identity;
    gRender->setWorldMatrix(&identity);
    gRender->setTexture(gSkyBox->getTexture());
    gRender->drawMesh(gSkyBox);
    gRender->setTexture(gFloor->getTexture());
    gRender->drawMesh(gFloor);
}

rvMatrix44* currentWorld() {
    return gShowFirstModel ? &gWorld1 : &gWorld2;
}

} // namespace

std::string textureBeside(const char* modelFile) {
    std::string base = modelFile;
    base.erase(base.size() - 4); // the ".MSH"
    for (const char* extension : {".tga", ".bmp", ".TGA", ".BMP"}) {
        if (std::FILE* file = std::fopen((base + extension).c_str(), "rb")) {
            std::fclose(file);
            return base + extension;
        }
    }
    return std::string();
}

bool isMSHFileName(const char* name) {
    if (!name) {
        return false;
    }
    const char* fileName = name;
    for (const char* p = name; *p; ++p) {
        if (*p == '/' || *p == '\\') {
            fileName = p + 1;
        }
    }
    const char* dot = std::strrchr(fileName, '.');
    if (!dot || std::strlen(dot) != 4) {
        return false;
    }
    auto is = [](char c, char upper) {
        return std::toupper(static_cast<unsigned char>(c)) == upper;
    };
    return is(dot[1], 'M') && is(dot[2], 'S') && is(dot[3], 'H');
}

rvMatrix44 mainLightMatrix() {
    return gLightOrbit * rvRotationYMatrix(gLightAngle * kDegreesToRadians);
}

std::string fpsTitle(int fps) {
    return "FPS= " + std::to_string(fps);
}

void initScene() {
    if (isMSHFileName(gCommandLine)) {
        // A model of the user's own: with the texture of its name beside it if there is one
        // (else grey), at the characters' key-frame rate.
        gRender->importMSHFile(gCommandLine, &gModel1);
        const std::string texture = textureBeside(gCommandLine);
        loadModelTexture(gModel1, texture.empty() ? kGreyTexture : texture.c_str());
        setUpAnimatedModel(gModel1);
    } else {
        gRender->importMSHFile(kFirstModelFile, &gModel1);
        loadModelTexture(gModel1, kFirstModelTexture);
        setUpAnimatedModel(gModel1);
    }
    gCurrentModel = gModel1;

    gRender->importMSHFile(kSecondModelFile, &gModel2);
    loadModelTexture(gModel2, kSecondModelTexture);
    setUpAnimatedModel(gModel2);

    gWorld1 = rvMatrix44();
    gWorld1(0, 0) = gWorld1(1, 1) = gWorld1(2, 2) = 0.1f;
    gWorld1(3, 0) = -1.0f;
    gWorld1(3, 2) = 5.0f;
    gWorld2 = rvMatrix44();
    gWorld2(0, 0) = gWorld2(1, 1) = gWorld2(2, 2) = 0.15f;
    gWorld2(3, 0) = -3.0f;
    gWorld2(3, 1) = 2.5f;

    gRender->createMesh(&gFloor, kTriangleList);
    rvTestPrimitive::createPlane(100.0f, kWhite, gFloor, 0.0f);
    gFloor->loadTexture(kGreyTexture);

    gRender->createMesh(&gSkyBox, kTriangleList);
    gSkyBox->loadTexture(kSkyTexture);
    rvTestPrimitive::createCube(100.0f, kWhite, true, true, gSkyBox);

    gRender->createMesh(&gLightMarker, kTriangleList);
    gLightMarker->loadTexture(kMarkerTexture);
    rvTestPrimitive::createGeoSphere(0.1f, 1, false, kWhite, gLightMarker);

    if (gShading == rvShading::kProcessorSkinning) {
        setUpPrograms();
    } else {
        setUpEffect();
        usePalette(gModel1, isMSHFileName(gCommandLine) ? gCommandLine : kFirstModelFile);
        usePalette(gModel2, kSecondModelFile);
    }

    gTextAttachLight =
        addHelpLine("Press 'C' to attach the light to the camera.", 590.0f, 255, 0, 0, 255);
    gTextReleaseLight = addHelpLine("Press 'C' to release the light.", 590.0f, 255, 255, 0, 0);
    gTextSwitchModels = addHelpLine("Press 'M' to switch models.", 570.0f, 255, 0, 255, 0);
    for (int i = 0; i < kCostLines; ++i) {
        gTextCosts[i] = addHelpLine(" ", kCostLineY[i], 255, 255, 255, 255);
    }
}

void addFrameCost(float frameTime) {
    static rvFrameCost sum;
    static double seconds = 0.0;
    static int frames = 0;
    sum.animation += gFrameCost.animation;
    sum.skinning += gFrameCost.skinning;
    sum.upload += gFrameCost.upload;
    sum.drawing += gFrameCost.drawing;
    sum.present += gFrameCost.present;
    seconds += frameTime;
    ++frames;
    if (seconds < 1.0) {
        return;
    }
    auto ms = [](double total) { return 1e3 * total / frames; };
    char line[kCostLines][96];
    std::snprintf(line[0], sizeof line[0], "animation %.3f ms, %s %.3f ms", ms(sum.animation),
                  gShading == rvShading::kEffect ? "bone upload" : "skinning",
                  ms(sum.skinning + sum.upload));
    std::snprintf(line[1], sizeof line[1], "drawing %.3f ms, present %.3f ms", ms(sum.drawing),
                  ms(sum.present));
    std::snprintf(line[2], sizeof line[2], "%.0f frames per second", frames / seconds);
    for (int i = 0; i < kCostLines; ++i) {
        gRender->setString(gTextCosts[i], line[i], 10.0f, kCostLineY[i], 2.0f, 1.0f, 1.0f, 1.0f,
                           1.0f, 1.0f, 0);
    }
    sum = rvFrameCost();
    seconds = 0.0;
    frames = 0;
}

unsigned int rigColour(int bone) {
    // Hues a golden angle (137.5°) apart, so that neighbouring bones never look alike.
    const float hue = std::fmod(137.508f * static_cast<float>(bone), 360.0f) / 60.0f;
    const float x = 1.0f - std::fabs(std::fmod(hue, 2.0f) - 1.0f);
    const float rgb[6][3] = {{1, x, 0}, {x, 1, 0}, {0, 1, x}, {0, x, 1}, {x, 0, 1}, {1, 0, x}};
    const float* c = rgb[static_cast<int>(hue) % 6];
    auto byte = [](float v) { return static_cast<unsigned int>(40.0f + 215.0f * v + 0.5f); };
    return 0xFF000000u | byte(c[0]) << 16 | byte(c[1]) << 8 | byte(c[2]);
}

rvAnimMesh* loadFirstCharacterCopy() {
    rvAnimMesh* model = nullptr;
    gRender->importMSHFile(kFirstModelFile, &model);
    loadModelTexture(model, kFirstModelTexture);
    setUpAnimatedModel(model);
    if (gShading == rvShading::kEffect) {
        usePalette(model, kFirstModelFile);
    }
    return model;
}

void switchModel() {
    rvAnimMesh* next = gShowFirstModel ? gModel2 : gModel1;
    const rvMatrix44& world = gShowFirstModel ? gWorld2 : gWorld1;
    gCurrentModel = next;
    const rvMatrix44 invWorld = world.inverse();
    if (gShading == rvShading::kProcessorSkinning) {
        gRender->setProgramMatrix(invWorld.m, kInverseWorldMatrix);
    } else {
        gRender->setFXMatrix(invWorld, &gShader, "invworld");
        gRender->setFXTexture(textureOf(next), &gShader, "diffTex");
    }
}

namespace {

using Clock = std::chrono::steady_clock;

// A white square of 6 pixels at each bone's centre of influence in its current pose, drawn
// over the picture in the 2D mode.
void drawRigMarkers(rvAnimMesh* model, rvMatrix44 world) {
    const auto found = rigCentres().find(model);
    const rvMatrix44* poses = model ? model->getBoneMatrices() : nullptr;
    if (found == rigCentres().end() || !poses) {
        return;
    }
    gRender->setWorldMatrix(&world);
    rvMatrix44 wvp;
    gRender->getWorldViewProjectionMatrix(&wvp);
    const float width = gAppPlatform ? static_cast<float>(gAppPlatform->getWidth()) : 800.0f;
    const float height = gAppPlatform ? static_cast<float>(gAppPlatform->getHeight()) : 600.0f;
    std::vector<float> squares;
    for (std::size_t b = 0; b < found->second.size(); ++b) {
        const rvVector3 p = rvTransformPoint(found->second[b], poses[b]);
        if (std::isnan(p.x)) {
            continue;
        }
        const float clip[4] = {p.x * wvp(0, 0) + p.y * wvp(1, 0) + p.z * wvp(2, 0) + wvp(3, 0),
                               p.x * wvp(0, 1) + p.y * wvp(1, 1) + p.z * wvp(2, 1) + wvp(3, 1),
                               p.x * wvp(0, 2) + p.y * wvp(1, 2) + p.z * wvp(2, 2) + wvp(3, 2),
                               p.x * wvp(0, 3) + p.y * wvp(1, 3) + p.z * wvp(2, 3) + wvp(3, 3)};
        if (clip[3] <= 0.0f) {
            continue; // behind the camera
        }
        const float x = (clip[0] / clip[3] + 1.0f) * 0.5f * width;
        const float y = (clip[1] / clip[3] + 1.0f) * 0.5f * height;
        const float corners[6][2] = {{-3, -3}, {3, -3}, {3, 3}, {-3, -3}, {3, 3}, {-3, 3}};
        for (const auto& c : corners) {
            squares.insert(squares.end(), {x + c[0], y + c[1], 0.0f});
        }
    }
    if (squares.empty()) {
        return;
    }
    rvMatrix44 identity;
    gRender->setWorldMatrix(&identity);
    gRender->setTexture(nullptr);
    gRender->toggleOrtho();
    const int vertices = static_cast<int>(squares.size() / 3);
    gRender->drawPrimitives(kTriangleList, squares.data(), vertices, vertices / 3);
    gRender->toggleOrtho();
}

void drawCostLines() {
    for (int i = 0; gShowCosts && i < kCostLines; ++i) {
        gRender->drawString(gTextCosts[i]);
    }
}

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The end of every frame: the scene ends (the back end presents) and the frame's drawing cost
// is what remains of its time after the bone upload and the present.
void endFrame(Clock::time_point start, double upload) {
    const Clock::time_point presentStart = Clock::now();
    gRender->endScene();
    gFrameCost.present = secondsSince(presentStart);
    gFrameCost.upload = upload;
    gFrameCost.drawing = secondsSince(start) - gFrameCost.present - upload;
}

// The Direct3D frame with the given characters; a crowd gives each character its own inverse
// world and texture and leaves out the help text.
void drawD3D(rvAnimMesh* const* models, const rvMatrix44* worlds, int count, bool crowd) {
    const Clock::time_point start = Clock::now();
    double upload = 0.0;
    clearAndBegin();
    rvMatrix44 identity;
    if (gWireframe) {
        gRender->setFillMode(kFillWireframe);
    }
    const rvVector3 eye = gCamera->mPosition;
    gRender->setFXVector3(eye.x, eye.y, eye.z, &gShader, "cameraPos");

    const rvMatrix44 lightMatrix = mainLightMatrix();
    drawEnvironment(lightMatrix);

    if (gLightOnCamera) {
        gRender->setFXVector3(eye.x, eye.y, eye.z, &gShader, "lightPos");
    } else {
        gLightPos = rvTransformPoint(gLightBase, lightMatrix);
        gRender->setFXVector3(gLightPos.x, gLightPos.y, gLightPos.z, &gShader, "lightPos");
    }

    gRender->setCurrentFX(&gShader);
    gRender->setFXTechnique(gTechnique);
    for (int i = 0; i < count; ++i) {
        rvAnimMesh* model = models[i];
        rvMatrix44 world = worlds[i];
        if (crowd) {
            gRender->setFXMatrix(world.inverse(), &gShader, "invworld");
            gRender->setFXTexture(textureOf(model), &gShader, "diffTex");
        }
        gRender->setWorldMatrix(&world);
        rvMatrix44 wvp;
        gRender->setFXMatrix(*gRender->getWorldViewProjectionMatrix(&wvp), &gShader, "wvp");
        if (!model) {
            continue;
        }
        // Each part with its palette; a model without a skeleton (or one that could not be
        // split) is drawn in the pose of its file. The effect only reads the array; the
        // interface takes it unqualified.
        static std::vector<rvMatrix44> identities(kEffectBones);
        const bool rig = gRigView && !crowd;
        if (rig) {
            gRender->setFXTechnique(kRigTechnique);
        }
        for (int part = 0; part < model->getPartCount(); ++part) {
            const Clock::time_point uploadStart = Clock::now();
            int bones = 0;
            const rvMatrix44* palette = model->getPartPalette(part, &bones);
            if (palette) {
                gRender->setFXMatrixArray(const_cast<rvMatrix44*>(palette), bones, &gShader,
                                          "bones");
            } else {
                gRender->setFXMatrixArray(identities.data(), kEffectBones, &gShader, "bones");
            }
            upload += secondsSince(uploadStart);
            if (rvMesh* mesh = model->getPartMesh(part)) {
                gRender->drawMesh(mesh);
            }
        }
        if (rig) {
            gRender->setFXTechnique(gTechnique);
        }
    }
    gRender->setCurrentFX(nullptr);
    if (gRigView && !crowd) {
        drawRigMarkers(models[0], worlds[0]);
    }

    if (gWireframe) {
        gRender->setFillMode(kFillSolid);
    }
    gRender->setWorldMatrix(&identity);
    if (!crowd) {
        gRender->drawString(gTextSwitchModels);
        gRender->drawString(gLightOnCamera ? gTextReleaseLight : gTextAttachLight);
        drawCostLines();
    }
    endFrame(start, upload);
}

// The OpenGL frame with the given characters, skinned already; a crowd gives each character
// its own inverse world and leaves out the help text.
void drawGL(rvAnimMesh* const* models, const rvMatrix44* worlds, int count, bool crowd) {
    const Clock::time_point start = Clock::now();
    clearAndBegin();
    if (gWireframe) {
        gRender->setFillMode(kFillWireframe);
    }
    gRender->toggleVertexPrograms();
    gRender->toggleFragmentPrograms();

    const rvMatrix44 lightMatrix = mainLightMatrix();
    const rvVector3 eye = gCamera->mPosition;
    gRender->setVertexProgramParameter(eye.x, eye.y, eye.z, 0.0f, kVPCameraPosition);

    drawEnvironment(lightMatrix);
    gRender->setTexture(nullptr);

    if (gLightOnCamera) {
        gRender->setVertexProgramParameter(eye.x, eye.y, eye.z, 0.0f, kVPLightPosition);
    } else {
        gLightPos = rvTransformPoint(gLightBase, lightMatrix);
        gRender->setVertexProgramParameter(gLightPos.x, gLightPos.y, gLightPos.z, 0.0f,
                                           kVPLightPosition);
    }
    if (!crowd) {
        gRender->drawString(gLightOnCamera ? gTextReleaseLight : gTextAttachLight);
        gRender->drawString(gTextSwitchModels);
        drawCostLines();
    }

    // The rig view draws the character in the fixed pipeline, in its vertex colours, and turns
    // the programs back on at the end of the frame.
    const bool rig = gRigView && !crowd;
    if (!rig) {
        gRender->toggleVertexPrograms();
        gRender->toggleFragmentPrograms();
    }
    for (int i = 0; i < count; ++i) {
        rvMatrix44 world = worlds[i];
        if (crowd) {
            gRender->setProgramMatrix(world.inverse().m, kInverseWorldMatrix);
        }
        gRender->setWorldMatrix(&world);
        if (rvMesh* mesh = meshOf(models[i])) {
            gRender->setTexture(rig ? nullptr : mesh->getTexture());
            gRender->drawMesh(mesh);
        }
    }
    if (rig) {
        drawRigMarkers(models[0], worlds[0]);
        gRender->toggleVertexPrograms();
        gRender->toggleFragmentPrograms();
    }

    if (gWireframe) {
        gRender->setFillMode(kFillSolid);
    }
    endFrame(start, 0.0);
}

} // namespace

void drawSceneD3D() {
    drawD3D(&gCurrentModel, currentWorld(), 1, false);
}

void drawSceneGL() {
    drawGL(&gCurrentModel, currentWorld(), 1, false);
}

void drawCrowd(rvAnimMesh* const* models, const rvMatrix44* worlds, int count) {
    if (gShading == rvShading::kProcessorSkinning) {
        drawGL(models, worlds, count, true);
    } else {
        drawD3D(models, worlds, count, true);
    }
}

void showFPSInTitle() {
    gAppPlatform->setTitle(fpsTitle(gAppPlatform->getFPS()).c_str());
}

void shutdownScene() {
    rigCentres().clear();
    delete gFloor;
    gFloor = nullptr;
    delete gLightMarker;
    gLightMarker = nullptr;
    delete gSkyBox;
    gSkyBox = nullptr;
    delete gModel1;
    gModel1 = nullptr;
    delete gModel2;
    gModel2 = nullptr;
    gCurrentModel = nullptr;
}
