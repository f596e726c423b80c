// A renderer that records, in order, every call the application makes to draw and to set up
// its shaders, with the arguments, so that tests can check a frame's call sequence. Meshes are
// RecordingMesh objects; importMSHFile builds an animated mesh from a record registered under
// the file name (an unregistered name behaves like a file that cannot be read: an empty inner
// mesh without a skeleton). Textures come from NamedTextureManager, one record per name.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "recordingmesh.h"
#include "rvanimmesh.h"
#include "rvmeshfile.h"
#include "rvmeshimport.h"
#include "rvtexture.h"
#include "stubrender.h"

// Hands out one texture record per distinct name and owns them.
class NamedTextureManager : public rvTextureManager {
public:
    bool init(void*) override { return true; }
    rvTexture* loadTexture(const char* file) override {
        std::unique_ptr<rvTexture>& slot = mTextures[file ? file : ""];
        if (!slot) {
            slot = std::make_unique<rvTexture>();
            slot->setName(file);
            slot->handle = static_cast<int>(mTextures.size()) - 1;
        }
        return slot.get();
    }
    rvTexture* createTexture(const void*, const char* name, int, int, unsigned char) override {
        return loadTexture(name);
    }
    rvTexture* loadMipmappedTexture(const char* file) override { return loadTexture(file); }
    rvTexture* createMipmappedTexture(const void*, const char* name, int, int,
                                      unsigned char) override {
        return loadTexture(name);
    }
    bool releaseTexture(int) override { return false; }
    void releaseAll() override { mTextures.clear(); }

    // The record loaded under exactly this name, or null.
    rvTexture* find(const std::string& name) const {
        auto it = mTextures.find(name);
        return it == mTextures.end() ? nullptr : it->second.get();
    }

private:
    std::map<std::string, std::unique_ptr<rvTexture>> mTextures;
};

// One recorded call: the operation's name and its arguments (numbers in order, a text or name,
// a pointer, a matrix where the operation takes one).
struct RecordedCall {
    std::string op;
    std::vector<float> numbers;
    std::string text;
    const void* pointer = nullptr;
    rvMatrix44 matrix;
};

class RecordingRender : public StubRender {
public:
    // Registers the content importMSHFile gives for a file name.
    void addModelFile(const std::string& name, const rvMeshFile& record) { mFiles[name] = record; }

    bool setFillMode(int mode) override {
        record("setFillMode", {float(mode)});
        return StubRender::setFillMode(mode);
    }
    bool setViewMatrix(rvMatrix44 view) override {
        RecordedCall& c = record("setViewMatrix");
        c.matrix = view;
        lastView = view;
        return true;
    }
    bool setWorldMatrix(rvMatrix44* world) override {
        RecordedCall& c = record("setWorldMatrix");
        c.matrix = *world;
        c.pointer = world;
        return true;
    }
    rvMatrix44* getWorldViewProjectionMatrix(rvMatrix44* out) override {
        record("getWorldViewProjectionMatrix");
        *out = wvp;
        return out;
    }
    bool beginScene() override {
        record("beginScene");
        return true;
    }
    bool endScene() override {
        record("endScene");
        return true;
    }
    bool clear(const float* argb, float depth) override {
        record("clear", {argb[0], argb[1], argb[2], argb[3], depth});
        return true;
    }
    bool drawMesh(rvMesh* mesh) override {
        record("drawMesh").pointer = mesh;
        return StubRender::drawMesh(mesh);
    }
    void importMSHFile(const char* file, rvAnimMesh** out) override {
        record("importMSHFile", {}, file);
        *out = new rvAnimMesh;
        auto* inner = new RecordingMesh(kTriangleList);
        auto it = mFiles.find(file);
        if (it == mFiles.end()) {
            (*out)->setMesh(inner); // as after a failed load: empty, no skeleton
            return;
        }
        (*out)->setMesh(inner);
        rvFillMeshFromRecord(it->second, inner);
        (*out)->setSkeleton(it->second);
    }
    int addString(const char* text, float x, float y, float lineSpacing, float a, float r, float g,
                  float b, float scale, int fHandle) override {
        record("addString", {x, y, lineSpacing, a, r, g, b, scale, float(fHandle)}, text);
        return nextStringIndex++;
    }
    bool drawString(int index) override {
        record("drawString", {float(index)});
        return true;
    }
    void setTexture(rvTexture* texture) override { record("setTexture").pointer = texture; }
    void setTexture2(rvTexture* texture) override { record("setTexture2").pointer = texture; }
    void toggleFullScreen() override { record("toggleFullScreen"); }
    void loadFX(rvShader* shader) override { record("loadFX", {}, shader->getFileName()); }
    void setCurrentFX(rvShader* shader) override { record("setCurrentFX").pointer = shader; }
    void setFXTechnique(std::string name) override { record("setFXTechnique", {}, name); }
    void setFXTexture(rvTexture* texture, rvShader*, const char* var) override {
        record("setFXTexture", {}, var).pointer = texture;
    }
    void setFXMatrix(rvMatrix44 m, rvShader*, const char* var) override {
        record("setFXMatrix", {}, var).matrix = m;
    }
    void setFXMatrixArray(rvMatrix44* m, int count, rvShader*, const char* var) override {
        record("setFXMatrixArray", {float(count)}, var).pointer = m;
    }
    void setFXVector4(float x, float y, float z, float w, rvShader*, const char* var) override {
        record("setFXVector4", {x, y, z, w}, var);
    }
    void setFXVector3(float x, float y, float z, rvShader*, const char* var) override {
        record("setFXVector3", {x, y, z}, var);
    }
    void setFXFloat(float v, rvShader*, const char* var) override {
        record("setFXFloat", {v}, var);
    }
    void loadVertexProgram(const char* file, unsigned int* id) override {
        record("loadVertexProgram", {float(*id)}, file);
    }
    void bindVertexProgram(unsigned int id) override { record("bindVertexProgram", {float(id)}); }
    void toggleVertexPrograms() override { record("toggleVertexPrograms"); }
    void setVertexProgramParameter(float x, float y, float z, float w, int index) override {
        record("setVertexProgramParameter", {x, y, z, w, float(index)});
    }
    void loadFragmentProgram(const char* file, unsigned int* id) override {
        record("loadFragmentProgram", {float(*id)}, file);
    }
    void bindFragmentProgram(unsigned int id) override {
        record("bindFragmentProgram", {float(id)});
    }
    void toggleFragmentPrograms() override { record("toggleFragmentPrograms"); }
    void setFragmentProgramParameter(float x, float y, float z, float w, int index) override {
        record("setFragmentProgramParameter", {x, y, z, w, float(index)});
    }
    void setProgramMatrix(const float* m, int index) override {
        RecordedCall& c = record("setProgramMatrix", {float(index)});
        for (int i = 0; i < 16; ++i) {
            c.matrix.m[i] = m[i];
        }
    }

    // The recorded operation names, in order.
    std::vector<std::string> ops() const {
        std::vector<std::string> names;
        for (const RecordedCall& c : calls) {
            names.push_back(c.op);
        }
        return names;
    }
    // The recorded calls of one operation, in order.
    std::vector<RecordedCall> callsOf(const std::string& op) const {
        std::vector<RecordedCall> out;
        for (const RecordedCall& c : calls) {
            if (c.op == op) {
                out.push_back(c);
            }
        }
        return out;
    }

    std::vector<RecordedCall> calls;
    rvMatrix44 lastView;
    rvMatrix44 wvp; // what getWorldViewProjectionMatrix answers
    int nextStringIndex = 0;

private:
    RecordedCall& record(const std::string& op, std::vector<float> numbers = {},
                         const std::string& text = std::string()) {
        calls.push_back(RecordedCall{op, std::move(numbers), text, nullptr, rvMatrix44()});
        return calls.back();
    }

    std::map<std::string, rvMeshFile> mFiles;
};
