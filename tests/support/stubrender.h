// A renderer without a device for tests of the core: every operation is a stub, except that the
// render-state operations keep the shared state record the way both back ends do, createMesh
// hands out RecordingMesh objects (owned by the caller, as from a real renderer), and the
// texture and draw calls are recorded so that callers can see what they were asked to do.
#pragma once

#include <string>
#include <vector>

#include "recordingmesh.h"
#include "rvrender.h"

class StubRender : public rvRender {
public:
    bool init(zrWindow* window) override {
        mWindow = window;
        return true;
    }
    bool setFillMode(int mode) override {
        mStates.fillMode = mode;
        return true;
    }
    bool setRenderState(int state, bool enable) override {
        ++stateApplications;
        if (!isValidState(state)) {
            return false;
        }
        mStates.flags[state] = enable;
        return true;
    }
    void enableAlphaTest(float) override {}
    void disableAlphaTest() override {}
    void resetRenderStates() override { resetStateFlags(); }
    void pushRenderStates() override { pushStateRecord(); }
    void popRenderStates() override {
        popStateRecord();
        for (int i = 0; i < kStateCount; ++i) {
            setRenderState(i, mStates.flags[i]);
        }
    }
    bool setPerspective(float, float, float) override { return true; }
    bool setViewport(int, int, int, int) override { return true; }
    bool setViewMatrix(rvMatrix44) override { return true; }
    bool lookAt(rvVector3*, rvVector3*, rvVector3*) override { return true; }
    bool setWorldMatrix(rvMatrix44*) override { return true; }
    void getWorldViewProjection(float*) override {}
    rvMatrix44* getWorldViewProjectionMatrix(rvMatrix44* out) override { return out; }
    bool beginScene() override { return true; }
    bool endScene() override { return true; }
    bool clear(const float*, float) override { return true; }
    bool drawMesh(rvMesh* mesh) override {
        drawnMeshes.push_back(mesh);
        return true;
    }
    bool drawIndexedPrimitives(int, const float*, int, const unsigned short*, int, int) override {
        return true;
    }
    bool drawPrimitives(int, const float*, int, int) override { return true; }
    rvMesh* createMesh(rvMesh** out, int primitiveType) override {
        rvMesh* mesh = new RecordingMesh(primitiveType);
        ++meshesCreated;
        if (out) {
            *out = mesh;
        }
        return mesh;
    }
    rvTexture* createMeshFromPrimitive(rvPrimitiveModel*, rvMesh** out, int type) override {
        createMesh(out, type);
        return nullptr;
    }
    void importMSHFile(const char*, rvAnimMesh** out) override { *out = nullptr; }
    void importMSHFile(const char*, rvMesh** out) override { *out = nullptr; }
    rvTexture* loadTexture(const char*) override { return nullptr; }
    rvTexture* createTexture(const void*, const char*, int, int, unsigned char) override {
        return nullptr;
    }
    rvTexture* loadMipmappedTexture(const char*) override { return nullptr; }
    rvTexture* createMipmappedTexture(const void*, const char*, int, int, unsigned char) override {
        return nullptr;
    }
    int loadFontSet(const char*, const char*) override { return -1; }
    int addString(const char*, float, float, float, float, float, float, float, float,
                  int) override {
        return -1;
    }
    bool releaseFontSet(int) override { return true; }
    bool setString(int, const char*, float, float, float, float, float, float, float, float,
                   int) override {
        return false;
    }
    bool drawString(int) override { return false; }
    bool drawStrings() override { return false; }
    void setTexture(rvTexture* texture) override { boundTextures.push_back(texture); }
    void setTexture2(rvTexture*) override {}
    unsigned int makeColor(unsigned char a, unsigned char r, unsigned char g,
                           unsigned char b) override {
        return (unsigned(a) << 24) | (unsigned(r) << 16) | (unsigned(g) << 8) | unsigned(b);
    }
    void toggleOrtho() override {}
    void toggleFullScreen() override {}
    rvVector3* unproject(rvVector3* out, float, float, float) override { return out; }
    rvParticleManager* createParticleManager() override { return nullptr; }
    void updateFrustum() override {}
    void loadFX(rvShader*) override {}
    void setCurrentFX(rvShader*) override {}
    void setFXTechnique(std::string) override {}
    void setFXTexture(rvTexture*, rvShader*, const char*) override {}
    void setFXMatrix(rvMatrix44, rvShader*, const char*) override {}
    void setFXMatrixArray(rvMatrix44*, int, rvShader*, const char*) override {}
    void setFXVector4(float, float, float, float, rvShader*, const char*) override {}
    void setFXVector3(float, float, float, rvShader*, const char*) override {}
    void setFXFloat(float, rvShader*, const char*) override {}
    void loadVertexProgram(const char*, unsigned int* id) override { *id = 0; }
    void bindVertexProgram(unsigned int) override {}
    void toggleVertexPrograms() override {}
    void deleteVertexProgram(unsigned int) override {}
    void setVertexProgramParameter(float, float, float, float, int) override {}
    void setVertexProgramVector(rvVector4*, int) override {}
    void loadFragmentProgram(const char*, unsigned int* id) override { *id = 0; }
    void bindFragmentProgram(unsigned int) override {}
    void toggleFragmentPrograms() override {}
    void deleteFragmentProgram(unsigned int) override {}
    void setFragmentProgramParameter(float, float, float, float, int) override {}
    void setFragmentProgramVector(rvVector4*, int) override {}
    void setProgramMatrix(const float*, int) override {}

    int meshesCreated = 0;
    int stateApplications = 0;
    std::vector<rvMesh*> drawnMeshes;
    std::vector<rvTexture*> boundTextures;
};
