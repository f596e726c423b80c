// A renderer for tests of the scene: it keeps the state a back end would keep (world matrix,
// texture, fill mode, programs switched on, current effect, shader parameters) and records,
// for everything drawn, the state it was drawn in. Help texts are built by the core's HUD text
// manager and remembered by index.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "stubrender.h"

struct DrawnItem {
    rvMesh* mesh; // null for a help text
    int string;   // the help text's index, or -1
    rvMatrix44 world;
    rvTexture* texture;
    int fillMode;
    bool programs;            // vertex and fragment programs on (OpenGL)
    const rvShader* effect;   // the current effect (Direct3D)
    std::vector<float> bones; // the effect's "bones" then (Direct3D)
};

class SceneRender : public StubRender {
public:
    bool drawMesh(rvMesh* mesh) override {
        drawn.push_back(
            {mesh, -1, world, texture, mStates.fillMode, programsOn(), effect, fx["bones"]});
        return StubRender::drawMesh(mesh);
    }
    int addString(const char* text, float x, float y, float lineSpacing, float a, float r, float g,
                  float b, float scale, int fHandle) override {
        texts.push_back(text);
        return rvRender::addString(text, x, y, lineSpacing, a, r, g, b, scale, fHandle);
    }
    bool drawString(int index) override {
        drawn.push_back(
            {nullptr, index, world, texture, mStates.fillMode, programsOn(), effect, {}});
        return true;
    }
    void setTexture(rvTexture* t) override { texture = t; }
    bool endScene() override {
        ++frames;
        return true;
    }
    void loadVertexProgram(const char* file, unsigned int*) override { loaded.push_back(file); }
    void loadFragmentProgram(const char* file, unsigned int*) override { loaded.push_back(file); }
    void bindVertexProgram(unsigned int id) override { vertexOn = id != 0; }
    void bindFragmentProgram(unsigned int id) override { fragmentOn = id != 0; }
    void toggleVertexPrograms() override { vertexOn = !vertexOn; }
    void toggleFragmentPrograms() override { fragmentOn = !fragmentOn; }
    void setVertexProgramParameter(float x, float y, float z, float w, int i) override {
        vertexParams[i] = {x, y, z, w};
    }
    void setFragmentProgramParameter(float x, float y, float z, float w, int i) override {
        fragmentParams[i] = {x, y, z, w};
    }
    void setProgramMatrix(const float* m, int index) override {
        programMatrices[index] = std::vector<float>(m, m + 16);
    }
    void loadFX(rvShader* shader) override { loaded.push_back(shader->getFileName()); }
    void setCurrentFX(rvShader* shader) override { effect = shader; }
    void setFXTexture(rvTexture* t, rvShader*, const char* name) override { fxTextures[name] = t; }
    void setFXMatrix(rvMatrix44 m, rvShader*, const char* name) override {
        fx[name] = std::vector<float>(m.m, m.m + 16);
    }
    void setFXMatrixArray(rvMatrix44* m, int count, rvShader*, const char* name) override {
        fx[name] = std::vector<float>(m->m, m->m + 16 * count);
    }
    void setFXVector4(float x, float y, float z, float w, rvShader*, const char* name) override {
        fx[name] = {x, y, z, w};
    }
    void setFXVector3(float x, float y, float z, rvShader*, const char* name) override {
        fx[name] = {x, y, z};
    }
    void setFXFloat(float v, rvShader*, const char* name) override { fx[name] = {v}; }

    // The animated meshes the imports fill: made by makeAnimMesh when it is set.
    rvAnimMesh* newAnimMesh() override {
        return makeAnimMesh ? makeAnimMesh() : StubRender::newAnimMesh();
    }

    bool programsOn() const { return vertexOn && fragmentOn; }
    std::function<rvAnimMesh*()> makeAnimMesh;

    std::vector<DrawnItem> drawn;
    std::vector<std::string> texts;
    std::vector<std::string> loaded; // shader files, in order
    rvTexture* texture = nullptr;
    const rvShader* effect = nullptr;
    bool vertexOn = false;
    bool fragmentOn = false;
    int frames = 0;
    std::map<int, std::vector<float>> vertexParams, fragmentParams, programMatrices;
    std::map<std::string, std::vector<float>> fx;
    std::map<std::string, rvTexture*> fxTextures;
};
