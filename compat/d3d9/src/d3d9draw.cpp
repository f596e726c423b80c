// The device's vertex input and draws: declarations and FVF codes, streams and indices, and the
// four draw calls (from buffers and from the caller's arrays).
#include <algorithm>
#include <vector>

#include "d3d9device.h"

namespace d3d9gl {

namespace {

// Vertices and OpenGL mode of a primitive count.
bool primitiveVertices(D3DPRIMITIVETYPE type, UINT count, GLenum* mode, UINT* vertices) {
    switch (type) {
    case D3DPT_POINTLIST:
        *mode = GL_POINTS;
        *vertices = count;
        return true;
    case D3DPT_LINELIST:
        *mode = GL_LINES;
        *vertices = 2 * count;
        return true;
    case D3DPT_LINESTRIP:
        *mode = GL_LINE_STRIP;
        *vertices = count + 1;
        return true;
    case D3DPT_TRIANGLELIST:
        *mode = GL_TRIANGLES;
        *vertices = 3 * count;
        return true;
    case D3DPT_TRIANGLESTRIP:
        *mode = GL_TRIANGLE_STRIP;
        *vertices = count + 2;
        return true;
    case D3DPT_TRIANGLEFAN:
        *mode = GL_TRIANGLE_FAN;
        *vertices = count + 2;
        return true;
    default:
        return false;
    }
}

} // namespace

HRESULT Device::CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements,
                                        IDirect3DVertexDeclaration9** declaration) {
    std::vector<D3DVERTEXELEMENT9> list;
    if (!declaration || !validDeclaration(elements, &list))
        return D3DERR_INVALIDCALL;
    *declaration = new VertexDeclaration(this, std::move(list));
    return D3D_OK;
}

HRESULT Device::SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration) {
    auto* ours = dynamic_cast<VertexDeclaration*>(declaration);
    if (declaration && !ours)
        return D3DERR_INVALIDCALL;
    // Held without a public reference, as every binding is; a declaration that goes away
    // unbinds itself.
    mDeclaration = ours;
    ++mStateGeneration;
    return D3D_OK;
}

HRESULT Device::SetFVF(DWORD fvf) {
    if (fvf == 0)
        return D3D_OK;
    auto found = mFVFDeclarations.find(fvf);
    if (found == mFVFDeclarations.end()) {
        std::vector<D3DVERTEXELEMENT9> list;
        if (!declarationOfFVF(fvf, &list))
            return D3DERR_INVALIDCALL;
        found = mFVFDeclarations.emplace(fvf, new VertexDeclaration(this, list, false)).first;
    }
    SetVertexDeclaration(found->second);
    return D3D_OK;
}

HRESULT Device::SetVertexShader(IDirect3DVertexShader9* shader) {
    if (shader)
        return D3DERR_INVALIDCALL; // only effects bind programs here
    useProgram(0, 0);
    return D3D_OK;
}

HRESULT Device::SetPixelShader(IDirect3DPixelShader9* shader) {
    if (shader)
        return D3DERR_INVALIDCALL;
    useProgram(0, 0);
    return D3D_OK;
}

HRESULT Device::SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset,
                                UINT stride) {
    auto* ours = dynamic_cast<VertexBuffer*>(buffer);
    if (stream >= kStreams || (buffer && !ours) || (ours && offset >= ours->size() && offset))
        return D3DERR_INVALIDCALL;
    mStreams[stream] = {ours, offset, stride};
    return D3D_OK;
}

HRESULT Device::GetStreamSource(UINT stream, IDirect3DVertexBuffer9** buffer, UINT* offset,
                                UINT* stride) {
    if (stream >= kStreams || !buffer || !offset || !stride)
        return D3DERR_INVALIDCALL;
    *buffer = mStreams[stream].buffer;
    if (*buffer)
        (*buffer)->AddRef();
    *offset = mStreams[stream].offset;
    *stride = mStreams[stream].stride;
    return D3D_OK;
}

HRESULT Device::SetIndices(IDirect3DIndexBuffer9* buffer) {
    auto* ours = dynamic_cast<IndexBuffer*>(buffer);
    if (buffer && !ours)
        return D3DERR_INVALIDCALL;
    mIndices = ours;
    return D3D_OK;
}

HRESULT Device::GetIndices(IDirect3DIndexBuffer9** buffer) {
    if (!buffer)
        return D3DERR_INVALIDCALL;
    *buffer = mIndices;
    if (mIndices)
        mIndices->AddRef();
    return D3D_OK;
}

bool Device::prepareDraw(D3DPRIMITIVETYPE type, bool indexed) {
    if (!mDeclaration || (indexed && !mIndices))
        return false;
    for (unsigned s = 0; s < kStreams; ++s) {
        if ((mDeclaration->streams() >> s & 1) && !mStreams[s].buffer)
            return false;
    }
    if (mStateDirty)
        applyState();
    const GLuint vertexArray = mDeclaration->vertexArray(mIntegerInputs);
    IndexBuffer* indices = indexed ? mIndices : nullptr;
    const auto sameStream = [](const Stream& a, const Stream& b) {
        return a.buffer == b.buffer && a.offset == b.offset && a.stride == b.stride;
    };
    if (mArrayBindings.vertexArray != vertexArray || mArrayBindings.indices != indices ||
        !std::equal(mStreams.begin(), mStreams.end(), mArrayBindings.streams.begin(), sameStream)) {
        for (unsigned s = 0; s < kStreams; ++s) {
            if (mDeclaration->streams() >> s & 1)
                glVertexArrayVertexBuffer(vertexArray, s, mStreams[s].buffer->name(),
                                          mStreams[s].offset,
                                          static_cast<GLsizei>(mStreams[s].stride));
        }
        glVertexArrayElementBuffer(vertexArray, indices ? indices->name() : 0);
        mArrayBindings = {vertexArray, mStreams, indices};
    }
    glBindVertexArray(vertexArray);
    if (mProgram)
        glUseProgram(mProgram);
    else
        mFixedFunction.prepare(*this, type, mDeclaration->inputs());
    return true;
}

HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE type, UINT start, UINT count) {
    GLenum mode;
    UINT vertices;
    if (!primitiveVertices(type, count, &mode, &vertices))
        return D3DERR_INVALIDCALL;
    if (count == 0)
        return D3D_OK;
    if (!prepareDraw(type, false))
        return D3DERR_INVALIDCALL;
    glDrawArrays(mode, static_cast<GLint>(start), static_cast<GLsizei>(vertices));
    return D3D_OK;
}

HRESULT Device::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertex, UINT minIndex,
                                     UINT numVertices, UINT startIndex, UINT count) {
    GLenum mode;
    UINT indices;
    if (!primitiveVertices(type, count, &mode, &indices))
        return D3DERR_INVALIDCALL;
    if (count == 0)
        return D3D_OK;
    if (!prepareDraw(type, true))
        return D3DERR_INVALIDCALL;
    D3DINDEXBUFFER_DESC desc;
    mIndices->GetDesc(&desc);
    const UINT size = desc.Format == D3DFMT_INDEX32 ? 4 : 2;
    if (static_cast<uint64_t>(startIndex + indices) * size > desc.Size)
        return D3DERR_INVALIDCALL;
    glDrawRangeElementsBaseVertex(
        mode, minIndex, minIndex + (numVertices ? numVertices - 1 : 0),
        static_cast<GLsizei>(indices), size == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
        reinterpret_cast<const void*>(uintptr_t{startIndex} * size), baseVertex);
    return D3D_OK;
}

void Device::drawUserPrimitives(D3DPRIMITIVETYPE type, UINT count, UINT vertexCount,
                                const void* vertices, UINT stride, const void* indices,
                                D3DFORMAT indexFormat) {
    GLenum mode;
    UINT elements;
    primitiveVertices(type, count, &mode, &elements);
    glNamedBufferData(mUserVertices, static_cast<GLsizeiptr>(vertexCount) * stride, vertices,
                      GL_STREAM_DRAW);
    if (mStateDirty)
        applyState();
    const GLuint vertexArray = mDeclaration->vertexArray(mIntegerInputs);
    glVertexArrayVertexBuffer(vertexArray, 0, mUserVertices, 0, static_cast<GLsizei>(stride));
    glBindVertexArray(vertexArray);
    if (mProgram)
        glUseProgram(mProgram);
    else
        mFixedFunction.prepare(*this, type, mDeclaration->inputs());
    if (indices) {
        const UINT size = indexFormat == D3DFMT_INDEX32 ? 4 : 2;
        glNamedBufferData(mUserIndices, static_cast<GLsizeiptr>(elements) * size, indices,
                          GL_STREAM_DRAW);
        glVertexArrayElementBuffer(vertexArray, mUserIndices);
        glDrawElements(mode, static_cast<GLsizei>(elements),
                       size == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT, nullptr);
    } else {
        glVertexArrayElementBuffer(vertexArray, 0);
        glDrawArrays(mode, 0, static_cast<GLsizei>(elements));
    }
    // Afterwards stream 0 and the indices are unset, as Direct3D documents.
    mStreams[0] = {};
    mIndices = nullptr;
    mArrayBindings = {};
}

HRESULT Device::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT count, const void* vertices,
                                UINT stride) {
    GLenum mode;
    UINT vertexCount;
    if (!vertices || stride == 0 || !primitiveVertices(type, count, &mode, &vertexCount) ||
        !mDeclaration || (mDeclaration->streams() & ~1u))
        return D3DERR_INVALIDCALL;
    if (count > 0)
        drawUserPrimitives(type, count, vertexCount, vertices, stride, nullptr, D3DFMT_UNKNOWN);
    return D3D_OK;
}

HRESULT Device::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT numVertices,
                                       UINT count, const void* indices, D3DFORMAT indexFormat,
                                       const void* vertices, UINT stride) {
    GLenum mode;
    UINT elements;
    if (!vertices || !indices || stride == 0 ||
        (indexFormat != D3DFMT_INDEX16 && indexFormat != D3DFMT_INDEX32) ||
        !primitiveVertices(type, count, &mode, &elements) || !mDeclaration ||
        (mDeclaration->streams() & ~1u))
        return D3DERR_INVALIDCALL;
    if (count > 0)
        drawUserPrimitives(type, count, minIndex + numVertices, vertices, stride, indices,
                           indexFormat);
    return D3D_OK;
}

} // namespace d3d9gl
