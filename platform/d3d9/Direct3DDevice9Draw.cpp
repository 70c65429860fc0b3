// The device's bindings and draws. Each draw is checked against everything
// it will read (buffer sizes, index values, the layout's streams) before the
// backend sees it, so a bad draw is D3DERR_INVALIDCALL and never a read past
// a buffer on the GL side.
#include "platform/d3d9/Direct3DDevice9.h"

#include "platform/d3d9/DeviceBackend.h"
#include "platform/d3d9/Direct3DBaseTexture9.h"
#include "platform/d3d9/Direct3DIndexBuffer9.h"
#include "platform/d3d9/Direct3DShader9.h"
#include "platform/d3d9/Direct3DVertexBuffer9.h"
#include "platform/d3d9/Direct3DVertexDeclaration9.h"

#include <algorithm>
#include <cstring>

namespace {

// Vertices (or indices) a primitive count reads; 0 for an unknown type.
uint64_t elementsFor(D3DPRIMITIVETYPE type, uint64_t primitives)
{
    switch (type) {
    case D3DPT_POINTLIST: return primitives;
    case D3DPT_LINELIST: return primitives * 2;
    case D3DPT_LINESTRIP: return primitives + 1;
    case D3DPT_TRIANGLELIST: return primitives * 3;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN: return primitives + 2;
    default: return 0;
    }
}

// Smallest and largest of `count` indices.
void indexRange(const void* data, D3DFORMAT format, uint64_t count, uint32_t* lowest, uint32_t* highest)
{
    uint32_t lo = UINT32_MAX, hi = 0;
    if (format == D3DFMT_INDEX32) {
        const auto* p = static_cast<const uint8_t*>(data);
        for (uint64_t i = 0; i < count; ++i) {
            uint32_t v;
            std::memcpy(&v, p + i * 4, 4);
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
    } else {
        const auto* p = static_cast<const uint8_t*>(data);
        for (uint64_t i = 0; i < count; ++i) {
            uint16_t v;
            std::memcpy(&v, p + i * 2, 2);
            lo = std::min<uint32_t>(lo, v);
            hi = std::max<uint32_t>(hi, v);
        }
    }
    *lowest = lo;
    *highest = hi;
}

} // namespace

HRESULT IDirect3DDevice9::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture)
{
    if (stage >= m_textures.size())
        return D3DERR_INVALIDCALL;
    if (texture && (texture->pool() == D3DPOOL_SYSTEMMEM || texture->pool() == D3DPOOL_SCRATCH))
        return D3DERR_INVALIDCALL;
    bindObject(m_textures[stage], texture);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetTexture(DWORD stage, IDirect3DBaseTexture9** texture)
{
    if (!texture || stage >= m_textures.size())
        return D3DERR_INVALIDCALL;
    *texture = m_textures[stage];
    if (*texture)
        (*texture)->AddRef();
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride)
{
    if (stream >= m_streams.size())
        return D3DERR_INVALIDCALL;
    if (buffer && (buffer->pool() == D3DPOOL_SCRATCH || offset % 4 != 0 || offset >= buffer->size()))
        return D3DERR_INVALIDCALL;
    bindObject(m_streams[stream].buffer, buffer);
    m_streams[stream].offset = buffer ? offset : 0;
    m_streams[stream].stride = buffer ? stride : 0;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetIndices(IDirect3DIndexBuffer9* buffer)
{
    if (buffer && buffer->pool() == D3DPOOL_SCRATCH)
        return D3DERR_INVALIDCALL;
    bindObject(m_indices, buffer);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration)
{
    bindObject(m_declaration, declaration);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetFVF(DWORD fvf)
{
    if (m_declaration && m_declaration->fvf() == fvf && fvf != 0)
        return D3D_OK;
    if (fvf == 0)
        return D3D_OK;
    IDirect3DVertexDeclaration9* declaration = IDirect3DVertexDeclaration9::fromFvf(this, fvf);
    if (!declaration)
        return D3DERR_INVALIDCALL;
    bindObject(m_declaration, declaration);
    declaration->Release();
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetVertexShader(IDirect3DVertexShader9* shader)
{
    bindObject(m_vertexShader, shader);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetPixelShader(IDirect3DPixelShader9* shader)
{
    bindObject(m_pixelShader, shader);
    return D3D_OK;
}

// Whether every bound stream the layout reads holds vertices `lowest` to
// `highest` (a vertex's bytes are the end of the layout's last element in
// that stream).
bool IDirect3DDevice9::streamsHold(const DrawCall& call, INT lowest, uint64_t highest) const
{
    if (lowest < 0)
        return false;
    for (UINT s = 0; s < DrawCall::kStreamCount; ++s) {
        if (!m_declaration->usesStream(s))
            continue;
        const DrawStream& stream = call.streams[s];
        if (stream.buffer == 0 && stream.memory == nullptr)
            return false;
        // A start vertex past 2^32 times a stride near 2^32 passes 2^64: a
        // wrapped end would look small enough to fit.
        uint64_t end = 0;
        if (__builtin_mul_overflow(highest, uint64_t(stream.stride), &end)
            || __builtin_add_overflow(end, uint64_t(stream.offset) + m_declaration->streamExtent(s), &end)
            || end > stream.bytes)
            return false;
    }
    return true;
}

HRESULT IDirect3DDevice9::submit(DrawCall& call, bool userMemory)
{
    const bool programmable = m_vertexShader || m_pixelShader;
    if (programmable && !(m_vertexShader && m_pixelShader))
        return D3DERR_INVALIDCALL;
    call.elements = m_declaration->elements().data();
    call.vertexFormat = m_declaration->format();
    call.state = &m_state;
    call.viewport = m_viewport;
    for (size_t i = 0; i < m_textures.size(); ++i)
        if (m_textures[i])
            call.textures[i] = DrawTexture{m_textures[i]->prepareForDraw(), m_textures[i]->kind()};
    if (programmable) {
        call.vertexShader = m_vertexShader->storage();
        call.pixelShader = m_pixelShader->storage();
        call.vertexConstants = m_vertexConstants.data();
        call.vertexConstantCount = IDirect3DShader9::kVertexConstants;
        call.pixelConstants = m_pixelConstants.data();
        call.pixelConstantCount = IDirect3DShader9::kPixelConstants;
    }
    const HRESULT hr = m_backend->draw(call);
    m_state.clearDirty();
    // Direct3D forgets the user-memory stream after a UP draw, and the index
    // buffer after an indexed one only: a plain UP draw between buffer draws
    // leaves their indices bound.
    if (userMemory) {
        bindObject(m_streams[0].buffer, static_cast<IDirect3DVertexBuffer9*>(nullptr));
        m_streams[0] = Stream{};
        if (call.indexed)
            bindObject(m_indices, static_cast<IDirect3DIndexBuffer9*>(nullptr));
    }
    return hr;
}

// System-memory buffers have no backend storage and are read as user
// memory, as Direct3D reads them through its slow path.
void IDirect3DDevice9::bindStreams(DrawCall& call) const
{
    for (UINT s = 0; s < DrawCall::kStreamCount; ++s) {
        const IDirect3DVertexBuffer9* buffer = m_streams[s].buffer;
        if (buffer)
            call.streams[s] = DrawStream{buffer->storage(), buffer->storage() ? nullptr : buffer->bytes(),
                                         buffer->size(), m_streams[s].offset, m_streams[s].stride};
    }
}

HRESULT IDirect3DDevice9::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount)
{
    if (elementsFor(type, 1) == 0)
        return D3DERR_INVALIDCALL;
    if (primitiveCount == 0)
        return D3D_OK;
    const uint64_t vertices = elementsFor(type, primitiveCount);
    if (!m_declaration || primitiveCount > maxPrimitives())
        return D3DERR_INVALIDCALL;
    DrawCall call;
    call.type = type;
    call.primitiveCount = primitiveCount;
    call.vertexCount = UINT(vertices);
    call.start = startVertex;
    bindStreams(call);
    if (!streamsHold(call, 0, uint64_t(startVertex) + vertices - 1))
        return D3DERR_INVALIDCALL;
    return submit(call, false);
}

HRESULT IDirect3DDevice9::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertex, UINT minIndex,
                                               UINT vertexCount, UINT startIndex, UINT primitiveCount)
{
    if (elementsFor(type, 1) == 0)
        return D3DERR_INVALIDCALL;
    if (primitiveCount == 0)
        return D3D_OK;
    const uint64_t indices = elementsFor(type, primitiveCount);
    if (!m_declaration || !m_indices || primitiveCount > maxPrimitives())
        return D3DERR_INVALIDCALL;
    const UINT indexBytes = m_indices->indexBytes();
    if ((uint64_t(startIndex) + indices) * indexBytes > m_indices->size())
        return D3DERR_INVALIDCALL;
    // While a lock is open the memory copy holds what the backend has not
    // seen yet: the indices checked below would not be the ones drawn.
    if (m_indices->storage() && m_indices->locked())
        return D3DERR_INVALIDCALL;
    // The indices themselves decide what is read: minIndex and vertexCount
    // are only hints on Direct3D, and a stray index must not reach GL.
    uint32_t lowest = 0, highest = 0;
    indexRange(m_indices->bytes() + uint64_t(startIndex) * indexBytes, m_indices->format(), indices, &lowest,
               &highest);
    DrawCall call;
    call.type = type;
    call.primitiveCount = primitiveCount;
    call.vertexCount = UINT(indices);
    call.start = startIndex;
    call.baseVertex = baseVertex;
    call.indexed = true;
    call.indexBuffer = m_indices->storage();
    call.indexFormat = m_indices->format();
    // System-memory indices have no backend buffer; they go as user memory.
    if (!call.indexBuffer) {
        call.indexMemory = m_indices->bytes() + uint64_t(startIndex) * indexBytes;
        call.start = 0;
    }
    bindStreams(call);
    const int64_t first = int64_t(baseVertex) + lowest;
    const int64_t last = int64_t(baseVertex) + highest;
    if (first < 0 || last < 0 || !streamsHold(call, 0, uint64_t(last)))
        return D3DERR_INVALIDCALL;
    return submit(call, false);
}

HRESULT IDirect3DDevice9::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices,
                                          UINT stride)
{
    const uint64_t count = elementsFor(type, primitiveCount);
    if (count == 0 || !vertices || stride == 0 || !m_declaration
        || primitiveCount > maxPrimitives())
        return D3DERR_INVALIDCALL;
    for (UINT s = 1; s < DrawCall::kStreamCount; ++s)
        if (m_declaration->usesStream(s))
            return D3DERR_INVALIDCALL;
    const uint64_t bytes = (count - 1) * stride + m_declaration->streamExtent(0);
    if (bytes > UINT32_MAX || m_declaration->streamExtent(0) > stride)
        return D3DERR_INVALIDCALL;
    DrawCall call;
    call.type = type;
    call.primitiveCount = primitiveCount;
    call.vertexCount = UINT(count);
    call.streams[0] = DrawStream{0, vertices, UINT(bytes), 0, stride};
    return submit(call, true);
}

HRESULT IDirect3DDevice9::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount,
                                                 UINT primitiveCount, const void* indices, D3DFORMAT indexFormat,
                                                 const void* vertices, UINT stride)
{
    const uint64_t count = elementsFor(type, primitiveCount);
    if (count == 0 || !indices || !vertices || stride == 0 || vertexCount == 0 || !m_declaration
        || (indexFormat != D3DFMT_INDEX16 && indexFormat != D3DFMT_INDEX32)
        || primitiveCount > maxPrimitives())
        return D3DERR_INVALIDCALL;
    for (UINT s = 1; s < DrawCall::kStreamCount; ++s)
        if (m_declaration->usesStream(s))
            return D3DERR_INVALIDCALL;
    // Only the caller knows how much memory it passed: minIndex and
    // vertexCount say so here, and every index must stay inside them.
    uint32_t lowest = 0, highest = 0;
    indexRange(indices, indexFormat, count, &lowest, &highest);
    if (lowest < minIndex || uint64_t(highest) >= uint64_t(minIndex) + vertexCount
        || m_declaration->streamExtent(0) > stride)
        return D3DERR_INVALIDCALL;
    const uint64_t bytes = uint64_t(highest) * stride + m_declaration->streamExtent(0);
    if (bytes > UINT32_MAX)
        return D3DERR_INVALIDCALL;
    DrawCall call;
    call.type = type;
    call.primitiveCount = primitiveCount;
    call.vertexCount = UINT(count);
    call.indexed = true;
    call.indexMemory = indices;
    call.indexFormat = indexFormat;
    call.streams[0] = DrawStream{0, vertices, UINT(bytes), 0, stride};
    return submit(call, true);
}
