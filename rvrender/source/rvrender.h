// The abstract renderer: everything the application draws goes through these 66 operations,
// implemented per back end (Direct3D 9 and OpenGL). Operations one back end cannot honour
// (effect files on OpenGL, assembly programs on Direct3D) are stubs that show a fixed message.
// The slot order is part of the contract between the back ends.
//
// The operations that are the same on every back end are carried out here, once: the render-
// state stack, lookAt, the mesh import and primitive models, the texture and HUD text
// operations (which forward to the managers a back end's init creates), makeColor and the
// frustum. The pure slots are the back end's.
//
// Shared conventions: matrices are rvMatrix44 (row-major, row vectors, world · view ·
// projection); colours given as four floats are alpha, red, green, blue in 0…1; a packed
// colour is 32-bit ARGB.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "rvmatrix.h"
#include "rvvector.h"

class zrWindow;
class rvMesh;
class rvAnimMesh;
class rvTexture;
class rvParticleManager;
class rvTextureManager;
class rvHUDTextManager;
struct ID3DXEffect;

// Primitive types.
enum : int {
    kPointList = 0,
    kLineList = 1,
    kLineStrip = 2,
    kTriangleList = 3,
    kTriangleStrip = 4,
};

// Render-state indices.
enum : int {
    kStateDepthTest = 0,
    kStateBlend = 1, // source alpha / destination alpha
    kStateCull = 2,
    kStateLighting = 3,
    kStateCount = 4,
};

// Fill modes.
enum : int {
    kFillPoint = 0,
    kFillWireframe = 1,
    kFillSolid = 2,
};

// Vertices per primitive for a type: 2 for point and line lists, 3 for strips and triangle
// lists, 1 for anything else.
int getPrimitiveCount(int type);

// The primitives of a type that `count` vertices (or indices) make: a point each, a line per
// two for a line list, count − 1 lines for a strip, a triangle per three for a triangle list,
// count − 2 triangles for a strip (never fewer than 0); −1 for another type or a negative
// count. Both back ends draw a mesh's primitives by this rule.
int rvPrimitivesFrom(int type, int count);
// The vertices (or indices) `primitives` primitives of a type read, the inverse of
// rvPrimitivesFrom (0 for none); −1 for another type or a negative count.
int rvVerticesFor(int type, int primitives);

// Six planes (a, b, c, d), each normalised so that (a, b, c) has length 1, in the order right,
// left, bottom, top, far, near.
struct rvFrustum {
    float planes[6][4];
};
enum : int {
    kPlaneRight = 0,
    kPlaneLeft = 1,
    kPlaneBottom = 2,
    kPlaneTop = 3,
    kPlaneFar = 4,
    kPlaneNear = 5,
};
// Extracts the planes from a combined world · view · projection matrix (row-vector
// convention): right = col3 − col0, left = col3 + col0, bottom = col3 + col1,
// top = col3 − col1, far = col3 − col2, near = col3 + col2, or near = col2 when clip-space
// depth runs from 0 to w (depthFromZero, Direct3D's projections).
void rvExtractFrustum(const rvMatrix44& wvp, rvFrustum* out, bool depthFromZero = false);

// The render-state record: four flags and the fill mode.
struct rvRenderStates {
    bool flags[kStateCount];
    int fillMode;
};

// An effect file and its compiled effect (Direct3D). The application owns the record.
class rvShader {
public:
    explicit rvShader(const char* fileName) : mFileName(fileName), effect(nullptr) {}
    std::string getFileName() const { return mFileName; }

private:
    std::string mFileName;

public:
    ID3DXEffect* effect;
};

// A generated model for createMeshFromPrimitive: geometry entries and a texture file name.
struct rvPrimitiveGeometry {
    std::vector<float> positions; // 3 per vertex
    std::vector<unsigned short> indices;
    std::vector<float> uvs; // 2 per vertex
    int vertexCount = 0;
    int indexCount = 0;
};
struct rvPrimitiveModel {
    std::vector<rvPrimitiveGeometry> geometry;
    std::string textureName;
};

class rvRender {
public:
    rvRender();

    virtual bool init(zrWindow* window) = 0;                 // 0
    virtual bool setFillMode(int mode) = 0;                  // 1
    virtual bool setRenderState(int state, bool enable) = 0; // 2
    virtual void enableAlphaTest(float reference) = 0;       // 3
    virtual void disableAlphaTest() = 0;                     // 4
    // Stores depth on, blending off, culling on, lighting off and solid fill; nothing is
    // applied.
    virtual void resetRenderStates(); // 5
    // Pushes the four flags and the fill mode.
    virtual void pushRenderStates(); // 6
    // Restores the top record if there is one, then re-applies the four flags through
    // setRenderState and the fill mode through setFillMode (also on an empty stack).
    virtual void popRenderStates();                                              // 7
    virtual bool setPerspective(float fovYDegrees, float nearZ, float farZ) = 0; // 8
    virtual bool setViewport(int x, int y, int width, int height) = 0;           // 9
    virtual bool setViewMatrix(rvMatrix44 view) = 0;                             // 10
    // setViewMatrix with the right-handed look-at.
    virtual bool lookAt(rvVector3* eye, rvVector3* at, rvVector3* up);     // 11
    virtual bool setWorldMatrix(rvMatrix44* world) = 0;                    // 12
    virtual void getWorldViewProjection(float* out) = 0;                   // 13
    virtual rvMatrix44* getWorldViewProjectionMatrix(rvMatrix44* out) = 0; // 14
    virtual bool beginScene() = 0;                                         // 15
    virtual bool endScene() = 0;                                           // 16
    virtual bool clear(const float* argb, float depth) = 0;                // 17
    virtual bool drawMesh(rvMesh* mesh) = 0;                               // 18
    // The user-array draws take three floats per vertex and draw primitiveCount primitives.
    // They refuse (false, nothing drawn) a null array, a type outside 0…4, a negative count,
    // more primitives than the vertices or indices hold, and an index past the vertices.
    virtual bool drawIndexedPrimitives(int type, const float* vertices, int vertexCount,
                                       const unsigned short* indices, int indexCount,
                                       int primitiveCount) = 0; // 19
    virtual bool drawPrimitives(int type, const float* vList, int vertexCount,
                                int primitiveCount) = 0;             // 20
    virtual rvMesh* createMesh(rvMesh** out, int primitiveType) = 0; // 21
    // A mesh from the first geometry entry (counts beyond what the entry holds are cut to
    // it), then its loadTexture with the model's texture name, whose result is returned.
    virtual rvTexture* createMeshFromPrimitive(rvPrimitiveModel* model, rvMesh** out,
                                               int primitiveType); // 22
    // Both forms hand out a triangle-list mesh filled from the file (rvmeshimport.h); a file
    // that cannot be loaded is reported ("File IO Error") and the mesh is then empty.
    virtual void importMSHFile(const char* file, rvAnimMesh** out); // 23
    virtual void importMSHFile(const char* file, rvMesh** out);     // 24
    // Slots 25–28 forward to the texture manager; null before init.
    virtual rvTexture* loadTexture(const char* file); // 25
    virtual rvTexture* createTexture(const void* data, const char* name, int width, int height,
                                     unsigned char bitDepth);  // 26
    virtual rvTexture* loadMipmappedTexture(const char* file); // 27
    virtual rvTexture* createMipmappedTexture(const void* data, const char* name, int width,
                                              int height, unsigned char bitDepth); // 28
    // Slots 29–34 forward to the HUD text manager (-1 or false before init).
    virtual int loadFontSet(const char* textureFilename, const char* uvInfoFilename); // 29
    virtual int addString(const char* text, float x, float y, float lineSpacing, float a, float r,
                          float g, float b, float scale, int fHandle); // 30
    // Does nothing and returns true.
    virtual bool releaseFontSet(int handle); // 31
    virtual bool setString(int index, const char* text, float x, float y, float lineSpacing,
                           float a, float r, float g, float b, float scale, int fHandle); // 32
    // Drawn in the 2D mode (toggleOrtho) with enableAlphaTest(0).
    virtual bool drawString(int index);               // 33
    virtual bool drawStrings();                       // 34
    virtual void setTexture(rvTexture* texture) = 0;  // 35
    virtual void setTexture2(rvTexture* texture) = 0; // 36
    // Packed ARGB: a << 24 | r << 16 | g << 8 | b.
    virtual unsigned int makeColor(unsigned char a, unsigned char r, unsigned char g,
                                   unsigned char b);                             // 37
    virtual void toggleOrtho() = 0;                                              // 38
    virtual void toggleFullScreen() = 0;                                         // 39
    virtual rvVector3* unproject(rvVector3* out, float x, float y, float z) = 0; // 40
    virtual rvParticleManager* createParticleManager() = 0;                      // 41
    // The six planes of getWorldViewProjection (rvExtractFrustum).
    virtual void updateFrustum();                                                             // 42
    virtual void loadFX(rvShader* shader) = 0;                                                // 43
    virtual void setCurrentFX(rvShader* shader) = 0;                                          // 44
    virtual void setFXTechnique(std::string name) = 0;                                        // 45
    virtual void setFXTexture(rvTexture* texture, rvShader* shader, const char* varName) = 0; // 46
    virtual void setFXMatrix(rvMatrix44 matrix, rvShader* shader, const char* varName) = 0;   // 47
    virtual void setFXMatrixArray(rvMatrix44* matrixArrayElements, int count, rvShader* shader,
                                  const char* varName) = 0; // 48
    virtual void setFXVector4(float x, float y, float z, float w, rvShader* shader,
                              const char* varName) = 0; // 49
    virtual void setFXVector3(float x, float y, float z, rvShader* shader,
                              const char* varName) = 0;                              // 50
    virtual void setFXFloat(float value, rvShader* shader, const char* varName) = 0; // 51
    virtual void loadVertexProgram(const char* filename, unsigned int* id) = 0;      // 52
    virtual void bindVertexProgram(unsigned int id) = 0;                             // 53
    virtual void toggleVertexPrograms() = 0;                                         // 54
    virtual void deleteVertexProgram(unsigned int id) = 0;                           // 55
    virtual void setVertexProgramParameter(float x, float y, float z, float w,
                                           int index) = 0;                        // 56
    virtual void setVertexProgramVector(rvVector4* value, int varIndex) = 0;      // 57
    virtual void loadFragmentProgram(const char* filename, unsigned int* id) = 0; // 58
    virtual void bindFragmentProgram(unsigned int id) = 0;                        // 59
    virtual void toggleFragmentPrograms() = 0;                                    // 60
    virtual void deleteFragmentProgram(unsigned int id) = 0;                      // 61
    virtual void setFragmentProgramParameter(float x, float y, float z, float w,
                                             int index) = 0;                   // 62
    virtual void setFragmentProgramVector(rvVector4* value, int varIndex) = 0; // 63
    virtual void setProgramMatrix(const float* matrix, int index) = 0;         // 64
    virtual ~rvRender();                                                       // 65

    const rvFrustum& getFrustum() const { return mFrustum; }
    const rvRenderStates& getRenderStates() const { return mStates; }
    zrWindow* getWindow() const { return mWindow; }
    rvTextureManager* getTextureManager() const { return mTextureManager.get(); }
    rvHUDTextManager* getHUDTextManager() const { return mHUD.get(); }

    rvRender(const rvRender&) = delete;
    rvRender& operator=(const rvRender&) = delete;

protected:
    // The animated mesh importMSHFile fills: an rvAnimMesh, which skins on the processor.
    virtual rvAnimMesh* newAnimMesh();

    // Called by a back end's init: initialises the texture manager with the device and
    // publishes it in gTextureManager, and gives the HUD text manager this renderer and the
    // default font set.
    void startManagers(std::unique_ptr<rvTextureManager> textures, void* device,
                       std::unique_ptr<rvHUDTextManager> hud);
    // Destroys the managers, the HUD text first, and clears gTextureManager if it is ours. A
    // back end calls it while the graphics objects they hold can still be released.
    void stopManagers();
    // Whether a render-state index is one of the four.
    static bool isValidState(int state) { return state >= 0 && state < kStateCount; }
    // The vertices (indices, when `indices` is given) a user-array draw reads, or −1 when the
    // draw must be refused (the rules at drawIndexedPrimitives).
    static int userArrayLength(int type, const float* vertices, int vertexCount,
                               const unsigned short* indices, int indexCount, int primitiveCount);
    // Whether clip-space depth runs from 0 to w (Direct3D) rather than from −w to w (OpenGL):
    // the near plane updateFrustum extracts depends on it.
    virtual bool depthFromZero() const { return false; }

    rvFrustum mFrustum;
    zrWindow* mWindow;
    rvRenderStates mStates;
    std::deque<rvRenderStates> mSavedStates;
    std::unique_ptr<rvTextureManager> mTextureManager;
    std::unique_ptr<rvHUDTextManager> mHUD;

private:
    // HUD text in the 2D mode with the alpha test on.
    template <typename Draw> bool drawInOrtho(Draw draw);
};
