#include "rvglrender.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <cstring>
#include <string>

#include "glprocs.h"
#include "rvanimmesh.h"
#include "rvglhudtextmanager.h"
#include "rvglmesh.h"
#include "rvglparticlemanager.h"
#include "rvgltexturemanager.h"
#include "rvfile.h"
#include "rvmessage.h"
#include "zrglcontext.h"
#include "zrwindow.h"

namespace {

constexpr const char* kInitError = "Error initializing the OpenGL objects ";
constexpr const char* kInitCaption = "GL Init Error";
constexpr float kDefaultFov = 60.0f;
constexpr float kDefaultNear = 1.0f;
constexpr float kDefaultFar = 8192.0f;
constexpr int kMinDepthBits = 16;

rvGLTexture* asGLTexture(rvTexture* texture) {
    return dynamic_cast<rvGLTexture*>(texture);
}

} // namespace

rvGLRender::rvGLRender()
    : mOrtho(false), mVertexProgramDisabled(false), mFragmentProgramDisabled(false),
      mInitialised(false) {}

rvGLRender::~rvGLRender() {
    // The managers delete GL names, so they go first, while the context is still current.
    if (mContext) {
        mContext->makeCurrent();
    }
    stopManagers();
}

bool rvGLRender::init(zrWindow* window) {
    if (mInitialised) {
        return true;
    }
    if (!window || !window->getHwnd()) {
        rvShowMessage(kInitError, kInitCaption);
        return false;
    }
    mWindow = window;

    std::string error;
    mContext = zrGLContext::create(window, zrGLContextParams(), &error);
    if (!mContext) {
        std::fprintf(stderr, "%s\n", error.c_str());
        rvShowMessage(kInitError, kInitCaption);
        return false;
    }
    GLint depthBits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    if (depthBits < kMinDepthBits) {
        mContext.reset();
        return false;
    }

    RV_GL(swapInterval)(0);

    resetRenderStates();
    for (int i = 0; i < kStateCount; ++i) {
        setRenderState(i, mStates.flags[i]);
    }
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    setPerspective(kDefaultFov, kDefaultNear, kDefaultFar);
    mWorld = rvMatrix44();
    mView = rvMatrix44();
    reloadModelView();

    startManagers(std::make_unique<rvGLTextureManager>(), nullptr,
                  std::make_unique<rvGLHUDTextManager>());
    mInitialised = true;
    return true;
}

// --- Render states ---------------------------------------------------------------------------

bool rvGLRender::setFillMode(int mode) {
    mStates.fillMode = mode;
    static const GLenum kModes[3] = {GL_POINT, GL_LINE, GL_FILL};
    if (mode >= kFillPoint && mode <= kFillSolid) {
        glPolygonMode(GL_FRONT_AND_BACK, kModes[mode]);
    }
    return true;
}

bool rvGLRender::setRenderState(int state, bool enable) {
    if (!isValidState(state)) {
        return false;
    }
    mStates.flags[state] = enable;
    static const GLenum kCaps[kStateCount] = {GL_DEPTH_TEST, GL_BLEND, GL_CULL_FACE, GL_LIGHTING};
    if (enable) {
        glEnable(kCaps[state]);
        if (state == kStateBlend) {
            glBlendFunc(GL_SRC_ALPHA, GL_DST_ALPHA);
        }
    } else {
        glDisable(kCaps[state]);
    }
    return true;
}

void rvGLRender::enableAlphaTest(float reference) {
    glAlphaFunc(GL_GREATER, reference);
    glEnable(GL_ALPHA_TEST);
}

void rvGLRender::disableAlphaTest() {
    glDisable(GL_ALPHA_TEST);
}

// --- Transforms --------------------------------------------------------------------------------

bool rvGLRender::setPerspective(float fovYDegrees, float nearZ, float farZ) {
    assert(mWindow && "setPerspective needs a window");
    if (!mWindow) {
        return false;
    }
    const int height = mWindow->getHeight() > 0 ? mWindow->getHeight() : 1;
    const double aspect = static_cast<double>(mWindow->getWidth()) / height;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fovYDegrees, aspect, nearZ, farZ);
    return true;
}

bool rvGLRender::setViewport(int x, int y, int width, int height) {
    glViewport(x, y, width, height);
    return true;
}

void rvGLRender::reloadModelView() {
    const rvMatrix44 modelView = mWorld * mView;
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(modelView.m);
}

bool rvGLRender::setViewMatrix(rvMatrix44 view) {
    mView = view;
    reloadModelView();
    return true;
}

bool rvGLRender::setWorldMatrix(rvMatrix44* world) {
    assert(world && "world != NULL");
    if (!world) {
        return false;
    }
    mWorld = *world;
    reloadModelView();
    return true;
}

void rvGLRender::getWorldViewProjection(float* out) {
    assert(out && "out != NULL");
    if (!out) {
        return;
    }
    rvMatrix44 projection;
    glGetFloatv(GL_PROJECTION_MATRIX, projection.m);
    const rvMatrix44 wvp = mWorld * mView * projection;
    std::memcpy(out, wvp.m, sizeof(wvp.m));
}

rvMatrix44* rvGLRender::getWorldViewProjectionMatrix(rvMatrix44* out) {
    assert(out && "out != NULL");
    if (!out) {
        return out;
    }
    rvMatrix44 modelView;
    rvMatrix44 projection;
    glGetFloatv(GL_MODELVIEW_MATRIX, modelView.m);
    glGetFloatv(GL_PROJECTION_MATRIX, projection.m);
    *out = modelView * projection;
    return out;
}

rvVector3* rvGLRender::unproject(rvVector3* out, float x, float y, float z) {
    assert(out && "out != NULL");
    if (!out) {
        return out;
    }
    GLdouble modelView[16];
    GLdouble projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    GLdouble ox = 0.0;
    GLdouble oy = 0.0;
    GLdouble oz = 0.0;
    gluUnProject(x, y, z, modelView, projection, viewport, &ox, &oy, &oz);
    *out = rvVector3(static_cast<float>(ox), static_cast<float>(oy), static_cast<float>(oz));
    return out;
}

void rvGLRender::toggleOrtho() {
    if (!mOrtho) {
        const int width = mWindow ? mWindow->getWidth() : 1;
        const int height = mWindow ? mWindow->getHeight() : 1;
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glLoadIdentity();
        gluOrtho2D(0.0, width, 0.0, height);
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
        glDisable(GL_DEPTH_TEST);
    } else {
        glMatrixMode(GL_MODELVIEW);
        glPopMatrix();
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
        setRenderState(kStateDepthTest, mStates.flags[kStateDepthTest]);
    }
    mOrtho = !mOrtho;
}

void rvGLRender::toggleFullScreen() {
    assert(mWindow && "toggleFullScreen needs a window");
    if (!mWindow) {
        return;
    }
    mWindow->toggleFullscreen();
    setViewport(0, 0, mWindow->getWidth(), mWindow->getHeight());
    setPerspective(kDefaultFov, kDefaultNear, kDefaultFar);
}

// --- Frames and drawing ------------------------------------------------------------------------

bool rvGLRender::beginScene() {
    return true;
}

bool rvGLRender::endScene() {
    if (mContext) {
        mContext->swapBuffers();
    }
    return true;
}

bool rvGLRender::clear(const float* argb, float depth) {
    assert(argb && "argb != NULL");
    if (!argb) {
        return false;
    }
    glClearColor(argb[1], argb[2], argb[3], argb[0]);
    glClearDepth(depth);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    return true;
}

int rvGLRender::convertPType(int type) {
    switch (type) {
    case kPointList:
        return GL_POINTS;
    case kLineList:
        return GL_LINES;
    case kLineStrip:
        return GL_LINE_STRIP;
    case kTriangleList:
        return GL_TRIANGLES;
    case kTriangleStrip:
        return GL_TRIANGLE_STRIP;
    default:
        return -1;
    }
}

bool rvGLRender::drawMesh(rvMesh* mesh) {
    assert(mesh != nullptr && "mesh != NULL");
    auto* glMesh = dynamic_cast<rvGLMesh*>(mesh);
    if (!glMesh) {
        return false;
    }
    const int needed = glMesh->verticesRead();
    if (needed == 0) {
        return true;
    }
    if (!glMesh->positions() || glMesh->getVertexCount() < needed) {
        return false;
    }
    drawMeshArrays(*glMesh);
    return true;
}

void rvGLRender::drawMeshArrays(const rvGLMesh& mesh) {
    const int needed = mesh.verticesRead();
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, mesh.positions());

    const bool colors = mesh.colors() && mesh.colorCount() >= needed;
    if (colors) {
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(4, GL_FLOAT, 0, mesh.colors());
    }

    // Texture-coordinate arrays: sets 0 and 1, then the extra streams on units 2 and 3.
    bool units[4] = {false, false, false, false};
    for (int set = 0; set < 2; ++set) {
        if (mesh.uvs(set) && mesh.uvCount(set) >= needed) {
            units[set] = true;
            RV_GL(glClientActiveTextureARB)(GL_TEXTURE0_ARB + set);
            glEnableClientState(GL_TEXTURE_COORD_ARRAY);
            glTexCoordPointer(2, GL_FLOAT, 0, mesh.uvs(set));
        }
    }
    for (int stream = 0; stream < 2; ++stream) {
        if (mesh.extraData(stream) && mesh.extraCount(stream) >= needed) {
            units[2 + stream] = true;
            RV_GL(glClientActiveTextureARB)(GL_TEXTURE2_ARB + stream);
            glEnableClientState(GL_TEXTURE_COORD_ARRAY);
            glTexCoordPointer(mesh.extraComponents(stream), GL_FLOAT, 0, mesh.extraData(stream));
        }
    }
    const bool normals = mesh.normals() && mesh.normalCount() >= needed;
    if (normals) {
        glEnableClientState(GL_NORMAL_ARRAY);
        glNormalPointer(GL_FLOAT, 0, mesh.normals());
    }
    if (!units[0] && !units[1]) {
        setTexture(nullptr);
    }

    const GLenum mode = mesh.glMode();
    if (mesh.indexCount() < 1) {
        glDrawArrays(mode, 0, mesh.getVertexCount());
    } else if (mesh.uses32BitIndices()) {
        glDrawElements(mode, mesh.indexCount(), GL_UNSIGNED_INT, mesh.indices32());
    } else {
        glDrawElements(mode, mesh.indexCount(), GL_UNSIGNED_SHORT, mesh.indices16());
    }

    // No array may stay enabled on memory of this mesh, which the caller may free.
    glDisableClientState(GL_VERTEX_ARRAY);
    if (colors) {
        glDisableClientState(GL_COLOR_ARRAY);
        glColor4ub(255, 255, 255, 255);
    }
    for (int unit = 0; unit < 4; ++unit) {
        if (units[unit]) {
            RV_GL(glClientActiveTextureARB)(GL_TEXTURE0_ARB + unit);
            glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        }
    }
    if (units[1] || units[2] || units[3]) {
        RV_GL(glClientActiveTextureARB)(GL_TEXTURE0_ARB);
    }
    if (normals) {
        glDisableClientState(GL_NORMAL_ARRAY);
    }
}

bool rvGLRender::drawIndexedPrimitives(int type, const float* vertices, int vertexCount,
                                       const unsigned short* indices, int indexCount,
                                       int primitiveCount) {
    assert(vertices && indices && "vertices != NULL && indices != NULL");
    const int length =
        indices ? userArrayLength(type, vertices, vertexCount, indices, indexCount, primitiveCount)
                : -1;
    if (length < 0) {
        return false;
    }
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, vertices);
    glDrawElements(static_cast<GLenum>(convertPType(type)), length, GL_UNSIGNED_SHORT, indices);
    glDisableClientState(GL_VERTEX_ARRAY);
    return true;
}

bool rvGLRender::drawPrimitives(int type, const float* vList, int vertexCount, int primitiveCount) {
    assert(vList != nullptr && "vList != NULL");
    const int length = userArrayLength(type, vList, vertexCount, nullptr, 0, primitiveCount);
    if (length < 0) {
        return false;
    }
    glInterleavedArrays(GL_V3F, 12, vList);
    glDrawArrays(static_cast<GLenum>(convertPType(type)), 0, length);
    glDisableClientState(GL_VERTEX_ARRAY);
    return true;
}

// --- Meshes ------------------------------------------------------------------------------------

rvMesh* rvGLRender::createMesh(rvMesh** out, int primitiveType) {
    rvMesh* mesh = new rvGLMesh(primitiveType);
    if (out) {
        *out = mesh;
    }
    return mesh;
}

void rvGLRender::setTexture(rvTexture* texture) {
    RV_GL(glActiveTextureARB)(GL_TEXTURE0_ARB);
    if (rvGLTexture* glTexture = asGLTexture(texture)) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, glTexture->glName);
    } else {
        glDisable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, 0);
    }
}

void rvGLRender::setTexture2(rvTexture* texture) {
    RV_GL(glActiveTextureARB)(GL_TEXTURE1_ARB);
    if (rvGLTexture* glTexture = asGLTexture(texture)) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, glTexture->glName);
    } else {
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    // Unit 0 stays the active one, so that uploads and texture parameters elsewhere never
    // land on unit 1 by accident.
    RV_GL(glActiveTextureARB)(GL_TEXTURE0_ARB);
}

rvParticleManager* rvGLRender::createParticleManager() {
    auto* manager = new rvGLParticleManager;
    manager->init(this);
    return manager;
}

// --- Effect files (Direct3D only) --------------------------------------------------------------

void rvGLRender::fxStub() {
    rvShowMessage("FX files not available in OpenGL", "FX Load Error");
}

void rvGLRender::loadFX(rvShader*) {
    fxStub();
}
void rvGLRender::setCurrentFX(rvShader*) {
    fxStub();
}
void rvGLRender::setFXTechnique(std::string) {
    fxStub();
}
void rvGLRender::setFXTexture(rvTexture*, rvShader*, const char*) {
    fxStub();
}
void rvGLRender::setFXMatrix(rvMatrix44, rvShader*, const char*) {
    fxStub();
}
void rvGLRender::setFXMatrixArray(rvMatrix44*, int, rvShader*, const char*) {
    fxStub();
}
void rvGLRender::setFXVector4(float, float, float, float, rvShader*, const char*) {
    fxStub();
}
void rvGLRender::setFXVector3(float, float, float, rvShader*, const char*) {
    fxStub();
}
void rvGLRender::setFXFloat(float, rvShader*, const char*) {
    fxStub();
}

// --- ARB vertex and fragment programs ----------------------------------------------------------

void rvGLRender::loadProgram(unsigned int target, const char* filename, unsigned int* id,
                             const char* compileCaption) {
    assert(filename != nullptr && "filename != NULL");
    assert(id != nullptr && "id != NULL");
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!rvReadFile(filename, &bytes, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        rvShowMessage("Error Reding Vertex File", "File IO Error");
        return;
    }
    // The program text ends at the first zero byte, if the file holds one.
    const std::string text(bytes.begin(), std::find(bytes.begin(), bytes.end(), 0));
    const GLsizei length = static_cast<GLsizei>(text.size());
    GLuint name = 0;
    RV_GL(glGenProgramsARB)(1, &name);
    if (id) {
        *id = name;
    }
    RV_GL(glBindProgramARB)(target, name);
    RV_GL(glProgramStringARB)(target, GL_PROGRAM_FORMAT_ASCII_ARB, length, text.c_str());
    GLint errorPosition = -1;
    glGetIntegerv(GL_PROGRAM_ERROR_POSITION_ARB, &errorPosition);
    if (errorPosition != -1) {
        rvShowMessage(reinterpret_cast<const char*>(glGetString(GL_PROGRAM_ERROR_STRING_ARB)),
                      compileCaption);
    }
}

void rvGLRender::bindProgram(unsigned int target, unsigned int id, bool* disabled) {
    if (id != 0) {
        *disabled = false;
        glEnable(target);
        RV_GL(glBindProgramARB)(target, id);
    } else {
        *disabled = true;
        glDisable(target);
    }
}

void rvGLRender::toggleProgram(unsigned int target, bool* disabled) {
    if (*disabled) {
        glEnable(target);
        *disabled = false;
    } else {
        glDisable(target);
        *disabled = true;
    }
}

void rvGLRender::loadVertexProgram(const char* filename, unsigned int* id) {
    loadProgram(GL_VERTEX_PROGRAM_ARB, filename, id, "Vertex Program Compile Error");
}

void rvGLRender::bindVertexProgram(unsigned int id) {
    bindProgram(GL_VERTEX_PROGRAM_ARB, id, &mVertexProgramDisabled);
}

void rvGLRender::toggleVertexPrograms() {
    toggleProgram(GL_VERTEX_PROGRAM_ARB, &mVertexProgramDisabled);
}

void rvGLRender::deleteVertexProgram(unsigned int id) {
    RV_GL(glDeleteProgramsARB)(1, &id);
}

void rvGLRender::setVertexProgramParameter(float x, float y, float z, float w, int index) {
    RV_GL(glProgramLocalParameter4fARB)
    (GL_VERTEX_PROGRAM_ARB, static_cast<GLuint>(index), x, y, z, w);
}

void rvGLRender::setVertexProgramVector(rvVector4* value, int varIndex) {
    assert(varIndex >= 0 && "Invalid Vertex Variable Index");
    assert(value && "value != NULL");
    if (varIndex < 0 || !value) {
        return;
    }
    setVertexProgramParameter(value->x, value->y, value->z, value->w, varIndex);
}

void rvGLRender::loadFragmentProgram(const char* filename, unsigned int* id) {
    loadProgram(GL_FRAGMENT_PROGRAM_ARB, filename, id, "Pixel Prog Compile Error");
}

void rvGLRender::bindFragmentProgram(unsigned int id) {
    bindProgram(GL_FRAGMENT_PROGRAM_ARB, id, &mFragmentProgramDisabled);
}

void rvGLRender::toggleFragmentPrograms() {
    toggleProgram(GL_FRAGMENT_PROGRAM_ARB, &mFragmentProgramDisabled);
}

void rvGLRender::deleteFragmentProgram(unsigned int id) {
    RV_GL(glDeleteProgramsARB)(1, &id);
}

void rvGLRender::setFragmentProgramParameter(float x, float y, float z, float w, int index) {
    RV_GL(glProgramLocalParameter4fARB)
    (GL_FRAGMENT_PROGRAM_ARB, static_cast<GLuint>(index), x, y, z, w);
}

void rvGLRender::setFragmentProgramVector(rvVector4* value, int varIndex) {
    assert(varIndex >= 0 && "Invalid Fragment Variable Index");
    assert(value && "value != NULL");
    if (varIndex < 0 || !value) {
        return;
    }
    setFragmentProgramParameter(value->x, value->y, value->z, value->w, varIndex);
}

void rvGLRender::setProgramMatrix(const float* matrix, int index) {
    GLint count = 0;
    glGetIntegerv(GL_MAX_PROGRAM_MATRICES_ARB, &count);
    // A bad index would leave the previous matrix mode current and overwrite that matrix.
    assert(matrix && index >= 0 && index < count && "Invalid program matrix");
    if (!matrix || index < 0 || index >= count) {
        return;
    }
    glMatrixMode(GL_MATRIX0_ARB + static_cast<GLenum>(index));
    glLoadMatrixf(matrix);
}
