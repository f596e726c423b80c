// A renderer without a device for tests of the core: the core's own operations run as on every
// back end, the back end's are stubs that record what a test needs to see. Meshes are
// RecordingMesh objects (owned by the caller, as from a real renderer); init creates the core's
// managers over FakeTextureManager and a HUD text manager that draws through drawMesh.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "recordingmesh.h"
#include "rvhudtextmanager.h"
#include "rvrender.h"
#include "rvtexture.h"

// Makes a plain record for any file whose name does not contain "missing", and for any
// pixels; counts what it made.
class FakeTextureManager : public rvTextureManager {
public:
    int made = 0;

protected:
    std::unique_ptr<rvTexture> makeFromFile(const char* file, bool) override {
        return std::string(file).find("missing") == std::string::npos ? make() : nullptr;
    }
    std::unique_ptr<rvTexture> makeFromPixels(const unsigned char*, int, int, int, bool) override {
        return make();
    }

private:
    std::unique_ptr<rvTexture> make() {
        ++made;
        return std::make_unique<rvTexture>();
    }
};

class StubHUDTextManager : public rvHUDTextManager {
protected:
    void drawStringMesh(rvMesh* mesh) override { mRender->drawMesh(mesh); }
};

class StubRender : public rvRender {
public:
    bool init(zrWindow* window) override {
        mWindow = window;
        startManagers(std::make_unique<FakeTextureManager>(), nullptr,
                      std::make_unique<StubHUDTextManager>());
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
    bool setPerspective(float, float, float) override { return true; }
    bool setViewport(int, int, int, int) override { return true; }
    bool setViewMatrix(rvMatrix44 matrix) override {
        view = matrix;
        return true;
    }
    bool setWorldMatrix(rvMatrix44* matrix) override {
        world = *matrix;
        return true;
    }
    void getWorldViewProjection(float* out) override {
        const rvMatrix44 wvp = world * view * projection;
        std::copy(wvp.m, wvp.m + 16, out);
    }
    rvMatrix44* getWorldViewProjectionMatrix(rvMatrix44* out) override {
        getWorldViewProjection(out->m);
        return out;
    }
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
        if (out) {
            *out = mesh;
        }
        return mesh;
    }
    void setTexture(rvTexture* texture) override { boundTextures.push_back(texture); }
    void setTexture2(rvTexture*) override {}
    void toggleOrtho() override {}
    void toggleFullScreen() override { ++fullScreenToggles; }
    rvVector3* unproject(rvVector3* out, float, float, float) override { return out; }
    rvParticleManager* createParticleManager() override { return nullptr; }
    void loadFX(rvShader*) override {}
    void setCurrentFX(rvShader*) override {}
    void setFXTechnique(std::string) override {}
    void setFXTexture(rvTexture*, rvShader*, const char*) override {}
    void setFXMatrix(rvMatrix44, rvShader*, const char*) override {}
    void setFXMatrixArray(rvMatrix44*, int, rvShader*, const char*) override {}
    void setFXVector4(float, float, float, float, rvShader*, const char*) override {}
    void setFXVector3(float, float, float, rvShader*, const char*) override {}
    void setFXFloat(float, rvShader*, const char*) override {}
    void loadVertexProgram(const char*, unsigned int*) override {}
    void bindVertexProgram(unsigned int) override {}
    void toggleVertexPrograms() override {}
    void deleteVertexProgram(unsigned int) override {}
    void setVertexProgramParameter(float, float, float, float, int) override {}
    void setVertexProgramVector(rvVector4*, int) override {}
    void loadFragmentProgram(const char*, unsigned int*) override {}
    void bindFragmentProgram(unsigned int) override {}
    void toggleFragmentPrograms() override {}
    void deleteFragmentProgram(unsigned int) override {}
    void setFragmentProgramParameter(float, float, float, float, int) override {}
    void setFragmentProgramVector(rvVector4*, int) override {}
    void setProgramMatrix(const float*, int) override {}

    rvMatrix44 world, view, projection;
    int stateApplications = 0;
    int fullScreenToggles = 0;
    std::vector<rvMesh*> drawnMeshes;
    std::vector<rvTexture*> boundTextures;
};
