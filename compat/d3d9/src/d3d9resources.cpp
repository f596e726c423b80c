// Buffers, textures, surfaces and vertex declarations. Every resource keeps its bytes in
// memory (so locks need no read-back and managed resources outlive a reset) and hands them to
// OpenGL when the lock is undone.
#include <algorithm>
#include <cstring>

#include "d3d9device.h"

namespace d3d9gl {

namespace {

// Texels of the colour formats, as OpenGL reads them from the locked bytes.
struct TexelFormat {
    GLenum format;
    GLint alignment;
};

TexelFormat texelFormat(D3DFORMAT format) {
    return format == D3DFMT_R8G8B8 ? TexelFormat{GL_BGR, 4} : TexelFormat{GL_BGRA, 4};
}

} // namespace

UINT bytesPerTexel(D3DFORMAT format) {
    switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
        return 4;
    case D3DFMT_R8G8B8:
        return 3;
    default:
        return 0;
    }
}

// ---------------------------------------------------------------------------------------------
// Buffers.

template <class I, class Desc, D3DRESOURCETYPE kType>
Buffer<I, Desc, kType>::Buffer(Device* device, const Desc& desc)
    : Resource<I, kType>(device, desc.Pool), mDesc(desc), mBytes(desc.Size) {
    glCreateBuffers(1, &mName);
    glNamedBufferData(mName, desc.Size, mBytes.data(),
                      (desc.Usage & D3DUSAGE_DYNAMIC) ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
    if (desc.Pool == D3DPOOL_DEFAULT)
        device->countPoolDefault(+1);
}

template <class I, class Desc, D3DRESOURCETYPE kType> Buffer<I, Desc, kType>::~Buffer() {
    this->device()->makeCurrent();
    glDeleteBuffers(1, &mName);
    if (mDesc.Pool == D3DPOOL_DEFAULT)
        this->device()->countPoolDefault(-1);
}

template <class I, class Desc, D3DRESOURCETYPE kType>
HRESULT Buffer<I, Desc, kType>::Lock(UINT offset, UINT size, void** data, DWORD flags) {
    if (!data || offset > mDesc.Size || (size && size > mDesc.Size - offset))
        return D3DERR_INVALIDCALL;
    if (size == 0)
        size = mDesc.Size - offset;
    if (!(flags & D3DLOCK_READONLY)) {
        if (mDirtyBegin == mDirtyEnd) {
            mDirtyBegin = offset;
            mDirtyEnd = offset + size;
        } else {
            mDirtyBegin = std::min(mDirtyBegin, offset);
            mDirtyEnd = std::max(mDirtyEnd, offset + size);
        }
    }
    ++mLocks;
    *data = mBytes.data() + offset;
    return D3D_OK;
}

template <class I, class Desc, D3DRESOURCETYPE kType> HRESULT Buffer<I, Desc, kType>::Unlock() {
    if (mLocks == 0)
        return D3DERR_INVALIDCALL;
    if (--mLocks == 0 && mDirtyEnd > mDirtyBegin) {
        glNamedBufferSubData(mName, mDirtyBegin, mDirtyEnd - mDirtyBegin,
                             mBytes.data() + mDirtyBegin);
        mDirtyBegin = mDirtyEnd = 0;
    }
    return D3D_OK;
}

template <class I, class Desc, D3DRESOURCETYPE kType>
HRESULT Buffer<I, Desc, kType>::GetDesc(Desc* desc) {
    if (!desc)
        return D3DERR_INVALIDCALL;
    *desc = mDesc;
    return D3D_OK;
}

template class Buffer<IDirect3DVertexBuffer9, D3DVERTEXBUFFER_DESC, D3DRTYPE_VERTEXBUFFER>;
template class Buffer<IDirect3DIndexBuffer9, D3DINDEXBUFFER_DESC, D3DRTYPE_INDEXBUFFER>;

HRESULT Device::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                   IDirect3DVertexBuffer9** buffer, HANDLE* shared) {
    if (!buffer || shared || length == 0 || pool > D3DPOOL_SYSTEMMEM)
        return D3DERR_INVALIDCALL;
    D3DVERTEXBUFFER_DESC desc = {
        D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, usage, pool, length, fvf};
    makeCurrent();
    *buffer = new VertexBuffer(this, desc);
    return D3D_OK;
}

HRESULT Device::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                  IDirect3DIndexBuffer9** buffer, HANDLE* shared) {
    if (!buffer || shared || length == 0 || pool > D3DPOOL_SYSTEMMEM ||
        (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32))
        return D3DERR_INVALIDCALL;
    D3DINDEXBUFFER_DESC desc = {format, D3DRTYPE_INDEXBUFFER, usage, pool, length};
    makeCurrent();
    *buffer = new IndexBuffer(this, desc);
    return D3D_OK;
}

// ---------------------------------------------------------------------------------------------
// Textures and surfaces.

Texture::Texture(Device* device, UINT width, UINT height, UINT levels, DWORD usage,
                 D3DFORMAT format, D3DPOOL pool)
    : Resource(device, pool), mFormat(format), mUsage(usage) {
    for (UINT i = 0; i < levels; ++i) {
        const UINT w = std::max(1u, width >> i), h = std::max(1u, height >> i);
        mLevels.push_back(
            {w, h, std::vector<std::uint8_t>(size_t{rowPitch(format, w)} * h), false});
    }
    glCreateTextures(GL_TEXTURE_2D, 1, &mName);
    glTextureStorage2D(mName, static_cast<GLsizei>(levels), GL_RGBA8, static_cast<GLsizei>(width),
                       static_cast<GLsizei>(height));
    glTextureParameteri(mName, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels - 1));
    if (format == D3DFMT_X8R8G8B8 || format == D3DFMT_R8G8B8)
        glTextureParameteri(mName, GL_TEXTURE_SWIZZLE_A, GL_ONE);
    // New textures read as zeros, as Direct3D's do: cleared where they are, without sending
    // the zeros of every level over.
    for (UINT i = 0; i < levels; ++i)
        glClearTexImage(mName, static_cast<GLint>(i), GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    if (pool == D3DPOOL_DEFAULT)
        device->countPoolDefault(+1);
}

Texture::~Texture() {
    device()->makeCurrent();
    glDeleteTextures(1, &mName);
    if (pool() == D3DPOOL_DEFAULT)
        device()->countPoolDefault(-1);
}

void Texture::upload(UINT level) {
    const Level& l = mLevels[level];
    const TexelFormat texel = texelFormat(mFormat);
    glPixelStorei(GL_UNPACK_ALIGNMENT, texel.alignment);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, static_cast<GLint>(l.width));
    // Direct3D's top row is the first in memory and is read at v = 0; OpenGL's first row is
    // read at t = 0, so the rows go up unchanged.
    glTextureSubImage2D(mName, static_cast<GLint>(level), 0, 0, static_cast<GLsizei>(l.width),
                        static_cast<GLsizei>(l.height), texel.format, GL_UNSIGNED_BYTE,
                        l.bytes.data());
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
}

HRESULT Texture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
    if (!desc || level >= mLevels.size())
        return D3DERR_INVALIDCALL;
    *desc = {mFormat,
             D3DRTYPE_SURFACE,
             mUsage,
             pool(),
             D3DMULTISAMPLE_NONE,
             0,
             mLevels[level].width,
             mLevels[level].height};
    return D3D_OK;
}

HRESULT Texture::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD) {
    if (!locked || level >= mLevels.size() || mLevels[level].locked)
        return D3DERR_INVALIDCALL;
    Level& l = mLevels[level];
    const UINT pitch = rowPitch(mFormat, l.width);
    size_t offset = 0;
    if (rect) {
        if (rect->left < 0 || rect->top < 0 || rect->left >= rect->right ||
            rect->top >= rect->bottom || static_cast<UINT>(rect->right) > l.width ||
            static_cast<UINT>(rect->bottom) > l.height)
            return D3DERR_INVALIDCALL;
        offset = size_t{pitch} * rect->top + size_t{bytesPerTexel(mFormat)} * rect->left;
    }
    l.locked = true;
    locked->Pitch = static_cast<INT>(pitch);
    locked->pBits = l.bytes.data() + offset;
    return D3D_OK;
}

HRESULT Texture::UnlockRect(UINT level) {
    if (level >= mLevels.size() || !mLevels[level].locked)
        return D3DERR_INVALIDCALL;
    mLevels[level].locked = false;
    upload(level);
    return D3D_OK;
}

HRESULT Device::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                              D3DPOOL pool, IDirect3DTexture9** texture, HANDLE* shared) {
    if (!texture || shared || width == 0 || height == 0 || width > 8192 || height > 8192 ||
        bytesPerTexel(format) == 0 || pool > D3DPOOL_SYSTEMMEM ||
        (usage & ~(D3DUSAGE_DYNAMIC | D3DUSAGE_AUTOGENMIPMAP)))
        return D3DERR_INVALIDCALL;
    UINT chain = 1;
    while ((std::max(width, height) >> chain) > 0)
        ++chain;
    if (levels == 0)
        levels = chain;
    if (levels > chain)
        return D3DERR_INVALIDCALL;
    makeCurrent();
    *texture = new Texture(this, width, height, levels, usage, format, pool);
    return D3D_OK;
}

Surface::Surface(Device* device, Kind kind, const D3DSURFACE_DESC& desc, Texture* texture,
                 UINT level)
    : Resource(device, desc.Pool), mKind(kind), mDesc(desc), mTexture(texture), mLevel(level) {
    if (kind == Kind::kPlain)
        mBytes.resize(size_t{pitch()} * desc.Height);
}

Surface::~Surface() {
    if (mTexture)
        mTexture->Release();
}

HRESULT Surface::GetDesc(D3DSURFACE_DESC* desc) {
    if (!desc)
        return D3DERR_INVALIDCALL;
    *desc = mDesc;
    return D3D_OK;
}

HRESULT Surface::LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
    if (mKind == Kind::kTextureLevel)
        return mTexture->LockRect(mLevel, locked, rect, flags);
    // The back buffer is not lockable: its pixels are read through GetRenderTargetData.
    if (!locked || mKind == Kind::kBackBuffer || mLocked)
        return D3DERR_INVALIDCALL;
    size_t offset = 0;
    if (rect) {
        if (rect->left < 0 || rect->top < 0 || rect->left >= rect->right ||
            rect->top >= rect->bottom || static_cast<UINT>(rect->right) > mDesc.Width ||
            static_cast<UINT>(rect->bottom) > mDesc.Height)
            return D3DERR_INVALIDCALL;
        offset = size_t{pitch()} * rect->top + size_t{bytesPerTexel(mDesc.Format)} * rect->left;
    }
    mLocked = true;
    locked->Pitch = static_cast<INT>(pitch());
    locked->pBits = mBytes.data() + offset;
    return D3D_OK;
}

HRESULT Surface::UnlockRect() {
    if (mKind == Kind::kTextureLevel)
        return mTexture->UnlockRect(mLevel);
    if (!mLocked)
        return D3DERR_INVALIDCALL;
    mLocked = false;
    return D3D_OK;
}

HRESULT Device::CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                            IDirect3DSurface9** surface, HANDLE* shared) {
    if (!surface || shared || width == 0 || height == 0 || bytesPerTexel(format) == 0 ||
        pool == D3DPOOL_MANAGED || pool > D3DPOOL_SCRATCH)
        return D3DERR_INVALIDCALL;
    D3DSURFACE_DESC desc = {format, D3DRTYPE_SURFACE, 0, pool, D3DMULTISAMPLE_NONE, 0, width,
                            height};
    *surface = new Surface(this, Surface::Kind::kPlain, desc);
    return D3D_OK;
}

// ---------------------------------------------------------------------------------------------
// Vertex declarations.

namespace {

struct ElementFormat {
    GLint size;
    GLenum type;
    GLboolean normalized;
    UINT bytes;
};

bool elementFormat(BYTE type, ElementFormat* format) {
    switch (type) {
    case D3DDECLTYPE_FLOAT1:
        *format = {1, GL_FLOAT, GL_FALSE, 4};
        return true;
    case D3DDECLTYPE_FLOAT2:
        *format = {2, GL_FLOAT, GL_FALSE, 8};
        return true;
    case D3DDECLTYPE_FLOAT3:
        *format = {3, GL_FLOAT, GL_FALSE, 12};
        return true;
    case D3DDECLTYPE_FLOAT4:
        *format = {4, GL_FLOAT, GL_FALSE, 16};
        return true;
    // Stored B, G, R, A; delivered as (R, G, B, A).
    case D3DDECLTYPE_D3DCOLOR:
        *format = {GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, 4};
        return true;
    case D3DDECLTYPE_UBYTE4:
        *format = {4, GL_UNSIGNED_BYTE, GL_FALSE, 4};
        return true;
    case D3DDECLTYPE_SHORT2:
        *format = {2, GL_SHORT, GL_FALSE, 4};
        return true;
    case D3DDECLTYPE_SHORT4:
        *format = {4, GL_SHORT, GL_FALSE, 8};
        return true;
    case D3DDECLTYPE_UBYTE4N:
        *format = {4, GL_UNSIGNED_BYTE, GL_TRUE, 4};
        return true;
    case D3DDECLTYPE_SHORT2N:
        *format = {2, GL_SHORT, GL_TRUE, 4};
        return true;
    case D3DDECLTYPE_SHORT4N:
        *format = {4, GL_SHORT, GL_TRUE, 8};
        return true;
    case D3DDECLTYPE_USHORT2N:
        *format = {2, GL_UNSIGNED_SHORT, GL_TRUE, 4};
        return true;
    case D3DDECLTYPE_USHORT4N:
        *format = {4, GL_UNSIGNED_SHORT, GL_TRUE, 8};
        return true;
    case D3DDECLTYPE_FLOAT16_2:
        *format = {2, GL_HALF_FLOAT, GL_FALSE, 4};
        return true;
    case D3DDECLTYPE_FLOAT16_4:
        *format = {4, GL_HALF_FLOAT, GL_FALSE, 8};
        return true;
    default:
        return false;
    }
}

} // namespace

bool validDeclaration(const D3DVERTEXELEMENT9* elements, std::vector<D3DVERTEXELEMENT9>* out) {
    if (!elements)
        return false;
    out->clear();
    for (int i = 0; elements[i].Stream != 0xFF; ++i) {
        const D3DVERTEXELEMENT9& e = elements[i];
        ElementFormat format;
        if (i >= MAXD3DDECLLENGTH || e.Stream >= Device::kStreams ||
            !elementFormat(e.Type, &format) || e.Offset % 4 != 0 || e.Usage > D3DDECLUSAGE_SAMPLE)
            return false;
        for (const auto& earlier : *out) {
            if (earlier.Usage == e.Usage && earlier.UsageIndex == e.UsageIndex)
                return false;
        }
        out->push_back(e);
    }
    return true;
}

bool declarationOfFVF(DWORD fvf, std::vector<D3DVERTEXELEMENT9>* out) {
    out->clear();
    if ((fvf & D3DFVF_POSITION_MASK) != D3DFVF_XYZ)
        return false; // blend weights and pre-transformed positions are not drawn here
    WORD offset = 0;
    auto add = [&](BYTE type, BYTE usage, BYTE index, WORD bytes) {
        out->push_back({0, offset, type, D3DDECLMETHOD_DEFAULT, usage, index});
        offset += bytes;
    };
    add(D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION, 0, 12);
    if (fvf & D3DFVF_NORMAL)
        add(D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_NORMAL, 0, 12);
    if (fvf & D3DFVF_PSIZE)
        add(D3DDECLTYPE_FLOAT1, D3DDECLUSAGE_PSIZE, 0, 4);
    if (fvf & D3DFVF_DIFFUSE)
        add(D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 0, 4);
    if (fvf & D3DFVF_SPECULAR)
        add(D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 1, 4);
    const DWORD texCoords = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    if (texCoords > 8)
        return false;
    for (DWORD i = 0; i < texCoords; ++i) {
        // The texture-coordinate size bits (D3DFVF_TEXCOORDSIZEn) sit two per set from bit 16.
        static const BYTE kTypes[] = {D3DDECLTYPE_FLOAT2, D3DDECLTYPE_FLOAT3, D3DDECLTYPE_FLOAT4,
                                      D3DDECLTYPE_FLOAT1};
        static const WORD kBytes[] = {8, 12, 16, 4};
        const DWORD size = (fvf >> (16 + 2 * i)) & 3;
        add(kTypes[size], D3DDECLUSAGE_TEXCOORD, static_cast<BYTE>(i), kBytes[size]);
    }
    return true;
}

VertexDeclaration::VertexDeclaration(Device* device, std::vector<D3DVERTEXELEMENT9> elements,
                                     bool holdsDevice)
    : Child(device, holdsDevice), mElements(std::move(elements)) {
    for (const auto& e : mElements) {
        const int location = inputLocation(e.Usage, e.UsageIndex);
        if (location >= 0) {
            mInputs |= 1u << location;
            mStreams |= 1u << e.Stream;
        }
    }
}

VertexDeclaration::~VertexDeclaration() {
    device()->makeCurrent();
    glDeleteVertexArrays(1, &mVertexArray);
}

GLuint VertexDeclaration::vertexArray(unsigned integerInputs) {
    if (mVertexArray && integerInputs == mIntegerInputs)
        return mVertexArray;
    if (!mVertexArray)
        glCreateVertexArrays(1, &mVertexArray);
    mIntegerInputs = integerInputs;
    for (const auto& e : mElements) {
        const int location = inputLocation(e.Usage, e.UsageIndex);
        ElementFormat format;
        if (location < 0 || !elementFormat(e.Type, &format))
            continue;
        const GLuint loc = static_cast<GLuint>(location);
        glEnableVertexArrayAttrib(mVertexArray, loc);
        if ((integerInputs >> location & 1) && !format.normalized && format.type != GL_FLOAT &&
            format.type != GL_HALF_FLOAT)
            glVertexArrayAttribIFormat(mVertexArray, loc, format.size, format.type, e.Offset);
        else
            glVertexArrayAttribFormat(mVertexArray, loc, format.size, format.type,
                                      format.normalized, e.Offset);
        glVertexArrayAttribBinding(mVertexArray, loc, e.Stream);
    }
    return mVertexArray;
}

HRESULT VertexDeclaration::GetDeclaration(D3DVERTEXELEMENT9* elements, UINT* count) {
    if (!count)
        return D3DERR_INVALIDCALL;
    *count = static_cast<UINT>(mElements.size() + 1);
    if (elements) {
        std::copy(mElements.begin(), mElements.end(), elements);
        elements[mElements.size()] = D3DDECL_END();
    }
    return D3D_OK;
}

} // namespace d3d9gl
