// The objects of the layer: the Direct3D object, the device on its OpenGL 4.5 core context,
// and the resources made from the device. Every resource holds a reference to its device (as
// Direct3D's do), so the device and its context outlive them; a bound resource that is
// destroyed unbinds itself.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "d3d9internal.h"
#include "zrglcontext.h"

class zrWindow;

namespace d3d9gl {

// Reference counting as COM does it; the object deletes itself at zero. QueryInterface knows
// no interface identifiers: objects are reached through the pointers the API hands out.
template <class Interface> class Object : public Interface {
public:
    virtual ~Object() = default;
    HRESULT WINAPI QueryInterface(REFIID, void** object) override {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG WINAPI AddRef() override { return ++mRefs; }
    ULONG WINAPI Release() override {
        const ULONG refs = --mRefs;
        if (refs == 0)
            delete this;
        return refs;
    }

private:
    ULONG mRefs = 1;
};

class Device;

// Something made from the device: keeps the device alive while it exists.
// The device's own helpers (holdsDevice false) do not, or the device could never go.
template <class Interface> class Child : public Object<Interface> {
public:
    explicit Child(Device* device, bool holdsDevice = true);
    ~Child() override;
    HRESULT WINAPI GetDevice(IDirect3DDevice9** device) override;
    Device* device() const { return mDevice; }

private:
    Device* mDevice;
    bool mHoldsDevice;
};

template <class Interface, D3DRESOURCETYPE kType> class Resource : public Child<Interface> {
public:
    Resource(Device* device, D3DPOOL pool) : Child<Interface>(device), mPool(pool) {}
    D3DRESOURCETYPE WINAPI GetType() override { return kType; }
    D3DPOOL pool() const { return mPool; }

private:
    D3DPOOL mPool;
};

// Vertex and index buffers: the bytes live in memory the application locks, and go to the
// OpenGL buffer when the last lock is undone.
template <class Interface, class Desc, D3DRESOURCETYPE kType>
class Buffer : public Resource<Interface, kType> {
public:
    Buffer(Device* device, const Desc& desc);
    ~Buffer() override;
    HRESULT WINAPI Lock(UINT offset, UINT size, void** data, DWORD flags) override;
    HRESULT WINAPI Unlock() override;
    HRESULT WINAPI GetDesc(Desc* desc) override;
    GLuint name() const { return mName; }
    UINT size() const { return mDesc.Size; }

private:
    Desc mDesc;
    std::vector<std::uint8_t> mBytes;
    GLuint mName = 0;
    int mLocks = 0;
    UINT mDirtyBegin = 0, mDirtyEnd = 0;
};

using VertexBuffer = Buffer<IDirect3DVertexBuffer9, D3DVERTEXBUFFER_DESC, D3DRTYPE_VERTEXBUFFER>;
using IndexBuffer = Buffer<IDirect3DIndexBuffer9, D3DINDEXBUFFER_DESC, D3DRTYPE_INDEXBUFFER>;

// Bytes per texel of the colour formats the layer has (0 for any other).
UINT bytesPerTexel(D3DFORMAT format);
// Rows start on 4-byte boundaries.
inline UINT rowPitch(D3DFORMAT format, UINT width) {
    return (width * bytesPerTexel(format) + 3) & ~3u;
}

class Texture;

// A surface: the device's back buffer, a texture level, or a plain surface in memory.
class Surface : public Resource<IDirect3DSurface9, D3DRTYPE_SURFACE> {
public:
    enum class Kind { kBackBuffer, kTextureLevel, kPlain };
    Surface(Device* device, Kind kind, const D3DSURFACE_DESC& desc, Texture* texture = nullptr,
            UINT level = 0);
    ~Surface() override;
    HRESULT WINAPI GetDesc(D3DSURFACE_DESC* desc) override;
    HRESULT WINAPI LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT WINAPI UnlockRect() override;
    Kind kind() const { return mKind; }
    const D3DSURFACE_DESC& desc() const { return mDesc; }
    std::uint8_t* bits() { return mBytes.data(); }
    UINT pitch() const { return rowPitch(mDesc.Format, mDesc.Width); }

private:
    Kind mKind;
    D3DSURFACE_DESC mDesc;
    Texture* mTexture; // a texture level's texture (not referenced: the level references it)
    UINT mLevel;
    std::vector<std::uint8_t> mBytes; // a plain surface's texels
    bool mLocked = false;
};

class Texture : public Resource<IDirect3DTexture9, D3DRTYPE_TEXTURE> {
public:
    Texture(Device* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
            D3DPOOL pool);
    ~Texture() override;
    DWORD WINAPI GetLevelCount() override { return static_cast<DWORD>(mLevels.size()); }
    HRESULT WINAPI GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT WINAPI LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect,
                            DWORD flags) override;
    HRESULT WINAPI UnlockRect(UINT level) override;
    GLuint name() const { return mName; }

private:
    struct Level {
        UINT width, height;
        std::vector<std::uint8_t> bytes;
        bool locked;
    };
    void upload(UINT level);

    D3DFORMAT mFormat;
    DWORD mUsage;
    std::vector<Level> mLevels;
    GLuint mName = 0;
};

class VertexDeclaration : public Child<IDirect3DVertexDeclaration9> {
public:
    VertexDeclaration(Device* device, std::vector<D3DVERTEXELEMENT9> elements,
                      bool holdsDevice = true);
    ~VertexDeclaration() override;
    HRESULT WINAPI GetDeclaration(D3DVERTEXELEMENT9* elements, UINT* count) override;
    const std::vector<D3DVERTEXELEMENT9>& elements() const { return mElements; }
    // The vertex array with this layout; the attribute formats follow which locations the
    // current program reads as integers.
    GLuint vertexArray(unsigned integerInputs);
    // Bit n: location n has an element.
    unsigned inputs() const { return mInputs; }
    // The streams the elements read.
    unsigned streams() const { return mStreams; }

private:
    std::vector<D3DVERTEXELEMENT9> mElements; // without the end marker
    GLuint mVertexArray = 0;
    unsigned mIntegerInputs = 0;
    unsigned mInputs = 0;
    unsigned mStreams = 0;
};

// Checks an element list (up to D3DDECL_END); false for an invalid one.
bool validDeclaration(const D3DVERTEXELEMENT9* elements, std::vector<D3DVERTEXELEMENT9>* out);
// The element list of a flexible vertex format; false for what the layer does not draw.
bool declarationOfFVF(DWORD fvf, std::vector<D3DVERTEXELEMENT9>* out);

class Direct3D : public Object<IDirect3D9> {
public:
    HRESULT WINAPI GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override;
    HRESULT WINAPI CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                     DWORD usage, D3DRESOURCETYPE resourceType,
                                     D3DFORMAT format) override;
    HRESULT WINAPI GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) override;
    HRESULT WINAPI CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD flags,
                                D3DPRESENT_PARAMETERS* parameters,
                                IDirect3DDevice9** device) override;
};

// The fixed-function pipeline: programs generated from the state they depend on, made once
// per combination.
class FixedFunction {
public:
    FixedFunction();
    ~FixedFunction();
    // Binds the program for the device's current state and sets its uniforms.
    void prepare(Device& device, D3DPRIMITIVETYPE type, unsigned inputs);

    // The state a program depends on, as numbers: the inputs, the render states it reads and
    // each texture stage's operations, coordinates and whether it has a texture.
    static constexpr int kMaxStages = 8;
    using Key = std::array<DWORD, 8 + 8 * kMaxStages>;

private:
    struct Program;
    // The program for a key, made the first time the key is drawn.
    Program* program(Device& device, const Key& key, D3DPRIMITIVETYPE type, unsigned inputs);
    // Binds the program and sends it the uniforms whose values changed since its last draw.
    void setUniforms(Device& device, Program& program);
    std::map<Key, std::unique_ptr<Program>> mPrograms;
    Key mLastKey{}; // of the last draw, whose program is mLast
    Program* mLast = nullptr;
    // The last draw's device state generation, primitive type and inputs: a draw with the same
    // ones needs only the program bound.
    std::uint64_t mLastGeneration = 0;
    D3DPRIMITIVETYPE mLastType = D3DPT_FORCE_DWORD;
    unsigned mLastInputs = 0;
};

class Device : public Object<IDirect3DDevice9> {
public:
    // `windowBuffers` are the buffers the context's window was made with.
    Device(Direct3D* d3d, zrWindow* window, std::unique_ptr<zrGLContext> context,
           const zrGLBuffers& windowBuffers, const D3DPRESENT_PARAMETERS& parameters);
    ~Device() override;

    HRESULT WINAPI GetDirect3D(IDirect3D9** d3d) override;
    HRESULT WINAPI GetDeviceCaps(D3DCAPS9* caps) override;
    HRESULT WINAPI GetDisplayMode(UINT swapChain, D3DDISPLAYMODE* mode) override;
    HRESULT WINAPI Reset(D3DPRESENT_PARAMETERS* parameters) override;
    HRESULT WINAPI Present(const RECT* source, const RECT* dest, HWND override,
                           const RGNDATA* dirty) override;
    HRESULT WINAPI GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE type,
                                 IDirect3DSurface9** surface) override;
    HRESULT WINAPI CreateTexture(UINT width, UINT height, UINT levels, DWORD usage,
                                 D3DFORMAT format, D3DPOOL pool, IDirect3DTexture9** texture,
                                 HANDLE* shared) override;
    HRESULT WINAPI CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                      IDirect3DVertexBuffer9** buffer, HANDLE* shared) override;
    HRESULT WINAPI CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                     IDirect3DIndexBuffer9** buffer, HANDLE* shared) override;
    HRESULT WINAPI GetRenderTargetData(IDirect3DSurface9* target, IDirect3DSurface9* dest) override;
    HRESULT WINAPI CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format,
                                               D3DPOOL pool, IDirect3DSurface9** surface,
                                               HANDLE* shared) override;
    HRESULT WINAPI BeginScene() override;
    HRESULT WINAPI EndScene() override;
    HRESULT WINAPI Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                         DWORD stencil) override;
    HRESULT WINAPI SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
    HRESULT WINAPI GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
    HRESULT WINAPI SetViewport(const D3DVIEWPORT9* viewport) override;
    HRESULT WINAPI GetViewport(D3DVIEWPORT9* viewport) override;
    HRESULT WINAPI SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT WINAPI GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
    HRESULT WINAPI GetTexture(DWORD stage, IDirect3DBaseTexture9** texture) override;
    HRESULT WINAPI SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) override;
    HRESULT WINAPI GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                        DWORD* value) override;
    HRESULT WINAPI SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                        DWORD value) override;
    HRESULT WINAPI GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) override;
    HRESULT WINAPI SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override;
    HRESULT WINAPI DrawPrimitive(D3DPRIMITIVETYPE type, UINT start, UINT count) override;
    HRESULT WINAPI DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertex, UINT minIndex,
                                        UINT numVertices, UINT startIndex, UINT count) override;
    HRESULT WINAPI DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT count, const void* vertices,
                                   UINT stride) override;
    HRESULT WINAPI DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT numVertices,
                                          UINT count, const void* indices, D3DFORMAT indexFormat,
                                          const void* vertices, UINT stride) override;
    HRESULT WINAPI CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements,
                                           IDirect3DVertexDeclaration9** declaration) override;
    HRESULT WINAPI SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration) override;
    HRESULT WINAPI SetFVF(DWORD fvf) override;
    HRESULT WINAPI SetVertexShader(IDirect3DVertexShader9* shader) override;
    HRESULT WINAPI SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset,
                                   UINT stride) override;
    HRESULT WINAPI GetStreamSource(UINT stream, IDirect3DVertexBuffer9** buffer, UINT* offset,
                                   UINT* stride) override;
    HRESULT WINAPI SetIndices(IDirect3DIndexBuffer9* buffer) override;
    HRESULT WINAPI GetIndices(IDirect3DIndexBuffer9** buffer) override;
    HRESULT WINAPI SetPixelShader(IDirect3DPixelShader9* shader) override;

    // For the layer's own objects.
    void makeCurrent();
    void forget(const void* object); // unbinds a resource that is going away
    void countPoolDefault(int change) { mPoolDefaultResources += change; }
    void useProgram(GLuint program, unsigned integerInputs);

    static constexpr int kStreams = 16;
    static constexpr int kSamplers = 16;
    static constexpr int kStages = 8;
    static constexpr int kRenderStates = 210;
    static constexpr int kSamplerStates = 14;
    static constexpr int kStageStates = 33;

    // Changes whenever a state the fixed-function programs read may have changed.
    std::uint64_t stateGeneration() const { return mStateGeneration; }
    // The state the fixed-function programs read.
    DWORD renderState(D3DRENDERSTATETYPE state) const { return mRenderStates[state]; }
    DWORD stageState(int stage, D3DTEXTURESTAGESTATETYPE type) const {
        return mStageStates[stage][type];
    }
    IDirect3DBaseTexture9* texture(int stage) const { return mTextures[stage]; }
    const D3DMATRIX& transform(int index) const { return mTransforms[index]; }
    const D3DVIEWPORT9& viewport() const { return mViewport; }

    enum Transform { kWorld, kView, kProjection, kTexture0, kTransforms = kTexture0 + 8 };

private:
    void resetState();
    // The back buffer for these parameters: the window's own framebuffer when it can be
    // (drawsIntoWindow), else a framebuffer object. False when it cannot be made.
    bool makeBackBuffer(const D3DPRESENT_PARAMETERS& p, bool intoWindow);
    bool drawsIntoWindow(const D3DPRESENT_PARAMETERS& p) const;
    void releaseBackBuffer();
    void applyState();
    void applySampler(int sampler);
    void applyViewport();
    // Binds the vertex array, streams and program for a draw; false when it cannot be made.
    bool prepareDraw(D3DPRIMITIVETYPE type, bool indexed);
    void drawUserPrimitives(D3DPRIMITIVETYPE type, UINT count, UINT vertexCount,
                            const void* vertices, UINT stride, const void* indices,
                            D3DFORMAT indexFormat);

    Direct3D* mD3D;
    zrWindow* mWindow;
    std::unique_ptr<zrGLContext> mContext;
    D3DPRESENT_PARAMETERS mParameters;

    // The back buffer is the window's own framebuffer (mIntoWindow; mFramebuffer is then 0), which
    // Present swaps, or a framebuffer object of its own, which Present stretches onto the window.
    zrGLBuffers mWindowBuffers;
    bool mIntoWindow = false;
    GLuint mFramebuffer = 0, mColorBuffer = 0, mDepthBuffer = 0;
    UINT mBackWidth = 0, mBackHeight = 0;
    bool mHasDepth = false;
    Surface* mBackBufferSurface = nullptr;

    std::array<DWORD, kRenderStates> mRenderStates{};
    std::array<std::array<DWORD, kSamplerStates>, kSamplers> mSamplerStates{};
    std::array<std::array<DWORD, kStageStates>, kStages> mStageStates{};
    std::array<D3DMATRIX, kTransforms> mTransforms{};
    D3DVIEWPORT9 mViewport{};
    std::array<IDirect3DBaseTexture9*, kSamplers> mTextures{};
    struct Stream {
        VertexBuffer* buffer;
        UINT offset, stride;
    };
    std::array<Stream, kStreams> mStreams{};
    IndexBuffer* mIndices = nullptr;
    // The streams and indices the last draw gave its vertex array, so that a draw with the same
    // ones sends nothing again. Cleared when any object goes away (a new buffer may get its
    // name or address) and by the user-array draws, which bind their own.
    struct ArrayBindings {
        GLuint vertexArray = 0;
        std::array<Stream, kStreams> streams{};
        IndexBuffer* indices = nullptr;
    } mArrayBindings;
    VertexDeclaration* mDeclaration = nullptr;
    std::map<DWORD, VertexDeclaration*> mFVFDeclarations; // owned
    bool mInScene = false;
    bool mStateDirty = true;
    std::uint64_t mStateGeneration = 0;
    std::array<bool, kSamplers> mSamplerDirty{};
    std::array<GLuint, kSamplers> mSamplerObjects{};

    GLuint mProgram = 0; // an effect's program, or 0 for the fixed-function pipeline
    unsigned mIntegerInputs = 0;
    FixedFunction mFixedFunction;

    GLuint mUserVertices = 0, mUserIndices = 0; // the UP draws' data
    int mPoolDefaultResources = 0;
};

} // namespace d3d9gl
