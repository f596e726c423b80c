// The OpenGL renderer: a compatibility-profile context on the window (made by the platform's
// GL-context service), OpenGL 1.x state and client arrays, ARB vertex and fragment programs,
// and the OpenGL texture, HUD text and particle managers.
//
// Matrices: the engine's row-major, row-vector rvMatrix44 goes to glLoadMatrixf unchanged;
// the model-view matrix is always world · view, the projection is built by GLU. Colours given
// as four floats are alpha, red, green, blue.
//
// Every operation except construction, destruction and init needs a successful init, and
// runs on the thread that made the context current. Effect-file operations (slots 43–51)
// only show "FX files not available in OpenGL" / "FX Load Error".
#pragma once

#include <memory>

#include "rvrender.h"

class rvGLMesh;
class zrGLContext;

class rvGLRender : public rvRender {
public:
    rvGLRender();

    // Makes an OpenGL compatibility context (double buffered, 8-bit RGBA, depth ≥ 16) on the
    // window, switches vertical synchronisation off, applies the default render states,
    // sets a 60° perspective (near 1, far 8192) and creates the texture manager (published in
    // gTextureManager) and the HUD text manager with the default font set. A context that
    // cannot be made or made current is reported ("Error initializing the OpenGL objects " /
    // "GL Init Error") and init returns false; a second call after success returns true and
    // does nothing.
    bool init(zrWindow* window) override;
    // Any mode other than 0…2 is only stored.
    bool setFillMode(int mode) override;
    // False for an index outside 0…3 (nothing stored, nothing applied).
    bool setRenderState(int state, bool enable) override;
    void enableAlphaTest(float reference) override;
    void disableAlphaTest() override;
    // Leaves the projection matrix current.
    bool setPerspective(float fovYDegrees, float nearZ, float farZ) override;
    bool setViewport(int x, int y, int width, int height) override;
    bool setViewMatrix(rvMatrix44 view) override;
    bool setWorldMatrix(rvMatrix44* world) override;
    void getWorldViewProjection(float* out) override;
    rvMatrix44* getWorldViewProjectionMatrix(rvMatrix44* out) override;
    bool beginScene() override;
    bool endScene() override;
    bool clear(const float* argb, float depth) override;
    // Draws an rvGLMesh with the current textures; false for another kind of mesh. Streams
    // shorter than the draw reads are left out; without enough positions nothing is drawn.
    bool drawMesh(rvMesh* mesh) override;
    bool drawIndexedPrimitives(int type, const float* vertices, int vertexCount,
                               const unsigned short* indices, int indexCount,
                               int primitiveCount) override;
    bool drawPrimitives(int type, const float* vList, int vertexCount, int primitiveCount) override;
    rvMesh* createMesh(rvMesh** out, int primitiveType) override;
    // Texture unit 0; null unbinds and disables texturing on the unit.
    void setTexture(rvTexture* texture) override;
    // Texture unit 1; null unbinds but leaves texturing enabled on the unit.
    void setTexture2(rvTexture* texture) override;
    // Enters (first call) or leaves (second call) a 2D mode whose units are the window's
    // pixels with the origin at the bottom-left corner, identity model-view and depth testing
    // off; leaving restores the matrices and the caller's depth-test flag. Calls must be paired.
    void toggleOrtho() override;
    void toggleFullScreen() override;
    rvVector3* unproject(rvVector3* out, float x, float y, float z) override;
    rvParticleManager* createParticleManager() override;
    void loadFX(rvShader* shader) override;
    void setCurrentFX(rvShader* shader) override;
    void setFXTechnique(std::string name) override;
    void setFXTexture(rvTexture* texture, rvShader* shader, const char* varName) override;
    void setFXMatrix(rvMatrix44 matrix, rvShader* shader, const char* varName) override;
    void setFXMatrixArray(rvMatrix44* matrixArrayElements, int count, rvShader* shader,
                          const char* varName) override;
    void setFXVector4(float x, float y, float z, float w, rvShader* shader,
                      const char* varName) override;
    void setFXVector3(float x, float y, float z, rvShader* shader, const char* varName) override;
    void setFXFloat(float value, rvShader* shader, const char* varName) override;
    // Reads the whole file and compiles it as an ARB vertex program; *id receives the new
    // program name, which stays bound (but the target is not enabled) even when compiling
    // fails. A file that cannot be read is reported ("Error Reding Vertex File" / "File IO
    // Error") and *id is not written; a compile error shows the driver's error string with
    // the caption "Vertex Program Compile Error".
    void loadVertexProgram(const char* filename, unsigned int* id) override;
    // id 0 disables vertex programs and keeps the previous binding.
    void bindVertexProgram(unsigned int id) override;
    void toggleVertexPrograms() override;
    void deleteVertexProgram(unsigned int id) override;
    void setVertexProgramParameter(float x, float y, float z, float w, int index) override;
    // varIndex ≥ 0 (asserted; nothing is set otherwise).
    void setVertexProgramVector(rvVector4* value, int varIndex) override;
    // As the vertex forms; the compile-error caption is "Pixel Prog Compile Error".
    void loadFragmentProgram(const char* filename, unsigned int* id) override;
    void bindFragmentProgram(unsigned int id) override;
    void toggleFragmentPrograms() override;
    void deleteFragmentProgram(unsigned int id) override;
    void setFragmentProgramParameter(float x, float y, float z, float w, int index) override;
    void setFragmentProgramVector(rvVector4* value, int varIndex) override;
    // Loads program matrix index and leaves it the current matrix mode.
    void setProgramMatrix(const float* matrix, int index) override;
    // Destroys the managers (their GL objects through the still current context), then the
    // context.
    ~rvGLRender() override;

    // Engine primitive type 0…4 to the GL mode; −1 for any other value.
    static int convertPType(int type);

    bool isInitialised() const { return mInitialised; }
    bool isOrtho() const { return mOrtho; }
    bool isVertexProgramDisabled() const { return mVertexProgramDisabled; }
    bool isFragmentProgramDisabled() const { return mFragmentProgramDisabled; }
    const rvMatrix44& getWorldMatrix() const { return mWorld; }
    const rvMatrix44& getViewMatrix() const { return mView; }

private:
    void reloadModelView();
    void loadProgram(unsigned int target, const char* filename, unsigned int* id,
                     const char* compileCaption);
    void bindProgram(unsigned int target, unsigned int id, bool* disabled);
    void toggleProgram(unsigned int target, bool* disabled);
    void fxStub();
    void drawMeshArrays(const rvGLMesh& mesh);

    std::unique_ptr<zrGLContext> mContext;
    rvMatrix44 mWorld;
    rvMatrix44 mView;
    bool mOrtho;
    bool mVertexProgramDisabled;
    bool mFragmentProgramDisabled;
    bool mInitialised;
};
