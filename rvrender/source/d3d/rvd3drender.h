// The Direct3D 9 renderer: a HAL device on the window, Direct3D's fixed-function pipeline for
// the environment and the HUD, D3DX effects for the character, and the Direct3D texture, HUD
// text and particle managers. Written against the Direct3D 9 and D3DX 9 interfaces only, so the
// same source builds against the Windows libraries and, on Linux, against compat/d3d9.
//
// Matrices: the engine's row-major, row-vector rvMatrix44 is a D3DMATRIX as it is; the combined
// transform is world · view · projection. Colours given as four floats are alpha, red, green,
// blue. ARB program operations (slots 52–64) only show "ASM Vertex and Pixel shaders not
// available in DirectX" / "ASM Load Error".
#pragma once

#include <string>
#include <vector>

#include "d3dx9.h"
#include "rvrender.h"

// The device of the one Direct3D renderer, for the meshes, the texture manager and the particle
// managers; null while there is none.
extern IDirect3DDevice9* gD3DDevice;

// Four floats (alpha, red, green, blue in 0…1) packed to a D3DCOLOR, each scaled by 255 and
// truncated to a byte.
D3DCOLOR rvD3DPackColor(const float* argb);

class rvD3DRender : public rvRender {
public:
    rvD3DRender();

    // Makes the Direct3D object and a windowed HAL device with a 24-bit depth buffer on the
    // window, applies the default render states and linear filtering on sampler 0, sets a 60°
    // perspective (near 1, far 8192) and creates the texture manager (published in
    // gTextureManager) and the HUD text manager with the default font set. False at the first
    // step that fails; a later init releases what exists and starts again.
    bool init(zrWindow* window) override;
    bool setFillMode(int mode) override;
    // An index outside 0…3 changes nothing and returns true.
    bool setRenderState(int state, bool enable) override;
    void enableAlphaTest(float reference) override;
    void disableAlphaTest() override;
    bool setPerspective(float fovYDegrees, float nearZ, float farZ) override;
    bool setViewport(int x, int y, int width, int height) override;
    bool setViewMatrix(rvMatrix44 view) override;
    bool setWorldMatrix(rvMatrix44* world) override;
    void getWorldViewProjection(float* out) override;
    rvMatrix44* getWorldViewProjectionMatrix(rvMatrix44* out) override;
    bool beginScene() override;
    // EndScene, then Present of the whole back buffer.
    bool endScene() override;
    // Depth is always cleared to 1.0.
    bool clear(const float* argb, float depth) override;
    // Draws an rvD3DMesh through the current effect (its technique's only pass), or through
    // the fixed-function pipeline when none is current. False for another kind of mesh, a
    // mesh without positions, or without a device.
    bool drawMesh(rvMesh* mesh) override;
    bool drawIndexedPrimitives(int type, const float* vertices, int vertexCount,
                               const unsigned short* indices, int indexCount,
                               int primitiveCount) override;
    bool drawPrimitives(int type, const float* vList, int vertexCount, int primitiveCount) override;
    rvMesh* createMesh(rvMesh** out, int primitiveType) override;
    void setTexture(rvTexture* texture) override;
    void setTexture2(rvTexture* texture) override;
    // Enters (first call) or leaves (second call) a 2D mode whose units are the window's pixels
    // with the origin at the bottom-left corner (texel centres on pixel centres), identity world
    // and view, and depth testing off; leaving restores the world, view and projection and the
    // caller's depth-test flag.
    void toggleOrtho() override;
    // Switches the window between framed and full screen and resets the device to match; the
    // loaded effects are told about the reset.
    void toggleFullScreen() override;
    // x and y are window coordinates as on OpenGL: from the bottom-left corner, pixel centres
    // at .5; z runs from 0 (near) to 1 (far).
    rvVector3* unproject(rvVector3* out, float x, float y, float z) override;
    rvParticleManager* createParticleManager() override;
    // A failure shows the compiler's messages (or, without any, why the file could not be
    // read) with the caption "FX Load Error"; the shader's effect stays null. The renderer
    // keeps the effect: it is told about device resets and released with the renderer.
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
    void loadVertexProgram(const char* filename, unsigned int* id) override;
    void bindVertexProgram(unsigned int id) override;
    void toggleVertexPrograms() override;
    void deleteVertexProgram(unsigned int id) override;
    void setVertexProgramParameter(float x, float y, float z, float w, int index) override;
    void setVertexProgramVector(rvVector4* value, int varIndex) override;
    void loadFragmentProgram(const char* filename, unsigned int* id) override;
    void bindFragmentProgram(unsigned int id) override;
    void toggleFragmentPrograms() override;
    void deleteFragmentProgram(unsigned int id) override;
    void setFragmentProgramParameter(float x, float y, float z, float w, int index) override;
    void setFragmentProgramVector(rvVector4* value, int varIndex) override;
    void setProgramMatrix(const float* matrix, int index) override;
    // Destroys the managers, releases the loaded effects, then the device and the Direct3D
    // object.
    ~rvD3DRender() override;

    // Engine primitive type 0…4 to Direct3D's; any other value gives D3DPT_POINTLIST.
    static D3DPRIMITIVETYPE convertPType(int type);

    IDirect3DDevice9* getDevice() const { return mDevice; }
    bool isOrtho() const { return mOrtho; }
    bool isFullScreen() const { return mFullScreen; }
    const std::string& getTechnique() const { return mTechnique; }

protected:
    // The animated meshes import makes: they compute bone matrices for the effect.
    rvAnimMesh* newAnimMesh() override;
    // Direct3D's projections put clip-space depth from 0 to w.
    bool depthFromZero() const override { return true; }

private:
    D3DPRESENT_PARAMETERS presentParameters(bool fullScreen) const;
    void release();
    void asmStub();

    IDirect3D9* mD3D;
    IDirect3DDevice9* mDevice;
    D3DFORMAT mDisplayFormat;
    bool mFullScreen;
    bool mOrtho;
    ID3DXEffect* mCurrentEffect;
    std::string mTechnique;
    D3DMATRIX mSavedProjection;
    D3DMATRIX mSavedView;
    D3DMATRIX mSavedWorld;
    std::vector<ID3DXEffect*> mEffects; // every effect loadFX made (owned)
};
