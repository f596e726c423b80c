#include "rvrender.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>

#include "rvanimmesh.h"
#include "rvhudtextmanager.h"
#include "rvmesh.h"
#include "rvmeshimport.h"
#include "rvmessage.h"
#include "rvtexture.h"

namespace {
constexpr const char* kImportCaption = "File IO Error";
}

int getPrimitiveCount(int type) {
    switch (type) {
    case kPointList:
    case kLineList:
        return 2;
    case kLineStrip:
    case kTriangleList:
    case kTriangleStrip:
        return 3;
    default:
        return 1;
    }
}

int rvPrimitivesFrom(int type, int count) {
    if (count < 0) {
        return -1;
    }
    switch (type) {
    case kPointList:
        return count;
    case kLineList:
        return count / 2;
    case kLineStrip:
        return count > 1 ? count - 1 : 0;
    case kTriangleList:
        return count / 3;
    case kTriangleStrip:
        return count > 2 ? count - 2 : 0;
    default:
        return -1;
    }
}

int rvVerticesFor(int type, int primitives) {
    if (primitives < 0 || type < kPointList || type > kTriangleStrip) {
        return -1;
    }
    if (primitives == 0) {
        return 0;
    }
    static const int kPer[5] = {1, 2, 1, 3, 1};   // vertices each primitive adds
    static const int kFirst[5] = {0, 0, 1, 0, 2}; // and the strips' first one or two
    // Counts too large for an int cannot be held by any array.
    const long long n = static_cast<long long>(primitives) * kPer[type] + kFirst[type];
    return n > 0x7fffffff ? -1 : static_cast<int>(n);
}

void rvExtractFrustum(const rvMatrix44& wvp, rvFrustum* out, bool depthFromZero) {
    // Plane p takes column 3 plus sign[p] times column axis[p]; row r of that combination is
    // the plane's r-th coefficient (a, b, c, d). With depth from 0 to w the near plane is
    // z ≥ 0: column 2 alone (w3 = 0).
    static const int axis[6] = {0, 0, 1, 1, 2, 2};
    static const float sign[6] = {-1.0f, 1.0f, 1.0f, -1.0f, -1.0f, 1.0f};
    for (int p = 0; p < 6; ++p) {
        float* plane = out->planes[p];
        const float w3 = (depthFromZero && p == kPlaneNear) ? 0.0f : 1.0f;
        for (int r = 0; r < 4; ++r) {
            plane[r] = w3 * wvp(r, 3) + sign[p] * wvp(r, axis[p]);
        }
        const float length =
            std::sqrt(plane[0] * plane[0] + plane[1] * plane[1] + plane[2] * plane[2]);
        // A degenerate matrix can give a plane without a normal; dividing would fill it with
        // infinities or NaN, so such a plane is kept as it came out of the matrix.
        if (length > 0.0f) {
            for (int r = 0; r < 4; ++r) {
                plane[r] /= length;
            }
        }
    }
}

rvRender::rvRender() : mWindow(nullptr) {
    std::memset(&mFrustum, 0, sizeof(mFrustum));
    for (bool& flag : mStates.flags) {
        flag = false;
    }
    mStates.fillMode = 0;
}

rvRender::~rvRender() {
    stopManagers();
}

void rvRender::startManagers(std::unique_ptr<rvTextureManager> textures, void* device,
                             std::unique_ptr<rvHUDTextManager> hud) {
    mTextureManager = std::move(textures);
    mTextureManager->init(device);
    gTextureManager = mTextureManager.get();
    mHUD = std::move(hud);
    mHUD->setRenderer(this);
    mHUD->loadDefaultFontSet();
}

void rvRender::stopManagers() {
    mHUD.reset();
    if (mTextureManager && gTextureManager == mTextureManager.get()) {
        gTextureManager = nullptr;
    }
    mTextureManager.reset();
}

// --- Render states ---------------------------------------------------------------------------

void rvRender::resetRenderStates() {
    mStates.flags[kStateDepthTest] = true;
    mStates.flags[kStateBlend] = false;
    mStates.flags[kStateCull] = true;
    mStates.flags[kStateLighting] = false;
    mStates.fillMode = kFillSolid;
}

void rvRender::pushRenderStates() {
    mSavedStates.push_back(mStates);
}

void rvRender::popRenderStates() {
    if (!mSavedStates.empty()) {
        mStates = mSavedStates.back();
        mSavedStates.pop_back();
    }
    for (int i = 0; i < kStateCount; ++i) {
        setRenderState(i, mStates.flags[i]);
    }
    setFillMode(mStates.fillMode);
}

int rvRender::userArrayLength(int type, const float* vertices, int vertexCount,
                              const unsigned short* indices, int indexCount, int primitiveCount) {
    const int needed = rvVerticesFor(type, primitiveCount);
    if (!vertices || vertexCount < 0 || needed < 0) {
        return -1;
    }
    if (!indices) {
        return needed <= vertexCount ? needed : -1;
    }
    if (indexCount < 0 || needed > indexCount) {
        return -1;
    }
    // An index past the vertices would make the device read beyond the caller's array.
    for (int i = 0; i < needed; ++i) {
        if (indices[i] >= vertexCount) {
            return -1;
        }
    }
    return needed;
}

// --- Transforms ------------------------------------------------------------------------------

bool rvRender::lookAt(rvVector3* eye, rvVector3* at, rvVector3* up) {
    assert(eye && at && up && "lookAt needs eye, at and up");
    if (!eye || !at || !up) {
        return false;
    }
    return setViewMatrix(rvLookAtRH(*eye, *at, *up));
}

void rvRender::updateFrustum() {
    rvMatrix44 wvp;
    getWorldViewProjection(wvp.m);
    rvExtractFrustum(wvp, &mFrustum, depthFromZero());
}

unsigned int rvRender::makeColor(unsigned char a, unsigned char r, unsigned char g,
                                 unsigned char b) {
    return (static_cast<unsigned int>(a) << 24) | (static_cast<unsigned int>(r) << 16) |
           (static_cast<unsigned int>(g) << 8) | static_cast<unsigned int>(b);
}

// --- Meshes ----------------------------------------------------------------------------------

rvAnimMesh* rvRender::newAnimMesh() {
    return new rvAnimMesh;
}

rvTexture* rvRender::createMeshFromPrimitive(rvPrimitiveModel* model, rvMesh** out,
                                             int primitiveType) {
    rvMesh* mesh = createMesh(out, primitiveType);
    assert(model && !model->geometry.empty() && "model has no geometry");
    if (!model || model->geometry.empty()) {
        return nullptr;
    }
    const rvPrimitiveGeometry& g = model->geometry[0];
    const int positions = std::min(g.vertexCount * 3, static_cast<int>(g.positions.size()));
    const int indices = std::min(g.indexCount, static_cast<int>(g.indices.size()));
    const int uvs = std::min(g.vertexCount * 2, static_cast<int>(g.uvs.size()));
    mesh->setPositions(g.positions.data(), positions);
    mesh->setIndexArray16(g.indices.data(), indices);
    mesh->setUVs(g.uvs.data(), uvs);
    mesh->setPrimitiveCount(rvPrimitivesFrom(primitiveType, indices > 0 ? indices : positions / 3));
    return mesh->loadTexture(model->textureName.c_str());
}

void rvRender::importMSHFile(const char* file, rvAnimMesh** out) {
    assert(file && out && "importMSHFile needs a file name and an out pointer");
    if (!out) {
        return;
    }
    rvAnimMesh* anim = newAnimMesh();
    *out = anim;
    std::string error;
    if (!rvImportAnimMeshFile(file ? file : "", anim, createMesh(nullptr, kTriangleList), &error)) {
        rvShowMessage(error.c_str(), kImportCaption);
    }
}

void rvRender::importMSHFile(const char* file, rvMesh** out) {
    assert(file && out && "importMSHFile needs a file name and an out pointer");
    if (!out) {
        return;
    }
    std::string error;
    if (!rvImportMeshFile(file ? file : "", createMesh(out, kTriangleList), &error)) {
        rvShowMessage(error.c_str(), kImportCaption);
    }
}

// --- Textures and HUD text -------------------------------------------------------------------

rvTexture* rvRender::loadTexture(const char* file) {
    return mTextureManager ? mTextureManager->loadTexture(file) : nullptr;
}

rvTexture* rvRender::createTexture(const void* data, const char* name, int width, int height,
                                   unsigned char bitDepth) {
    return mTextureManager ? mTextureManager->createTexture(data, name, width, height, bitDepth)
                           : nullptr;
}

rvTexture* rvRender::loadMipmappedTexture(const char* file) {
    return mTextureManager ? mTextureManager->loadMipmappedTexture(file) : nullptr;
}

rvTexture* rvRender::createMipmappedTexture(const void* data, const char* name, int width,
                                            int height, unsigned char bitDepth) {
    return mTextureManager
               ? mTextureManager->createMipmappedTexture(data, name, width, height, bitDepth)
               : nullptr;
}

int rvRender::loadFontSet(const char* textureFilename, const char* uvInfoFilename) {
    return mHUD ? mHUD->loadFontSet(textureFilename, uvInfoFilename) : -1;
}

int rvRender::addString(const char* text, float x, float y, float lineSpacing, float a, float r,
                        float g, float b, float scale, int fHandle) {
    return mHUD ? mHUD->addString(text, x, y, lineSpacing, a, r, g, b, scale, fHandle) : -1;
}

bool rvRender::releaseFontSet(int) {
    return true;
}

bool rvRender::setString(int index, const char* text, float x, float y, float lineSpacing, float a,
                         float r, float g, float b, float scale, int fHandle) {
    return mHUD ? mHUD->setString(index, text, x, y, lineSpacing, a, r, g, b, scale, fHandle)
                : false;
}

template <typename Draw> bool rvRender::drawInOrtho(Draw draw) {
    if (!mHUD) {
        return false;
    }
    toggleOrtho();
    enableAlphaTest(0.0f);
    const bool drawn = draw(*mHUD);
    disableAlphaTest();
    toggleOrtho();
    return drawn;
}

bool rvRender::drawString(int index) {
    return drawInOrtho([index](rvHUDTextManager& hud) { return hud.drawString(index); });
}

bool rvRender::drawStrings() {
    return drawInOrtho([](rvHUDTextManager& hud) { return hud.drawStrings(); });
}
