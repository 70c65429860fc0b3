#include "engine/core/geometry/RenderGeometry.h"

#include "engine/core/math/Color.h"
#include "engine/core/display/DisplayManager.h"
#include "engine/core/geometry/LwVertex.h"
#include "engine/core/render/Renderer.h"
#include "engine/core/base/Report.h"
#include "engine/core/render/ShaderPass.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/Direct3DIndexBuffer9.h"
#include "platform/d3d9/Direct3DVertexBuffer9.h"
#include "platform/d3d9/Direct3DVertexDeclaration9.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

void put(uint8_t*& out, const float* values, int count)
{
    std::memcpy(out, values, size_t(count) * 4);
    out += count * 4;
}

void normalise(float* v)
{
    const double length = std::sqrt(double(v[0]) * v[0] + double(v[1]) * v[1] + double(v[2]) * v[2]);
    if (length != 0.0)
        for (int i = 0; i < 3; ++i)
            v[i] = float(v[i] / length);
}

} // namespace

std::vector<D3DVERTEXELEMENT9> VertexFormat::elements() const
{
    std::vector<D3DVERTEXELEMENT9> list;
    WORD offset = 0;
    auto add = [&](BYTE type, BYTE usage, BYTE index, WORD size) {
        list.push_back({0, offset, type, 0, usage, index});
        offset = WORD(offset + size);
    };
    add(D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION, 0, 12);
    add(D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_NORMAL, 0, 12);
    if (m_layout.hasColor)
        add(D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 0, 4);
    BYTE texCoord = 0;
    for (int32_t k = 0; k < m_layout.slotCount; ++k, ++texCoord) {
        const bool three = m_layout.animatedSlot[k];
        add(three ? D3DDECLTYPE_FLOAT3 : D3DDECLTYPE_FLOAT2, D3DDECLUSAGE_TEXCOORD, texCoord, three ? 12 : 8);
    }
    if (m_layout.hasTangents)
        for (int i = 0; i < 4; ++i, ++texCoord)
            add(D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_TEXCOORD, texCoord, 12);
    if (m_layout.boneWeightCount > 0) {
        add(D3DDECLTYPE_UBYTE4, D3DDECLUSAGE_BLENDINDICES, 0, 4);
        const int32_t weights = std::min(m_layout.boneWeightCount, 4);
        add(BYTE(D3DDECLTYPE_FLOAT1 + weights - 1), D3DDECLUSAGE_BLENDWEIGHT, 0, WORD(4 * weights));
    }
    list.push_back(D3DDECL_END());
    return list;
}

RenderGeometry::RenderGeometry(const StagePlan* stagePlan, Material* surface, Renderer* renderer,
                               const VertexLayout& layout)
    : m_renderer(renderer), m_surface(surface)
{
    VertexLayout l = layout;
    l.slotCount = std::clamp(l.slotCount, 0, VertexLayout::MaxSlots);
    l.boneWeightCount = std::clamp(l.boneWeightCount, 0, 4);
    m_format.m_renderer = renderer;
    m_format.m_stagePlan = stagePlan;
    m_format.m_layout = l;
    m_format.m_softwareProcessing = l.softwareProcessing;
    uint32_t offset = 24;
    if (l.hasColor) {
        m_format.m_colorOffset = offset;
        offset += 4;
    }
    m_format.m_texCoordOffset = offset;
    for (int32_t k = 0; k < l.slotCount; ++k)
        offset += l.animatedSlot[k] ? 12 : 8;
    m_format.m_tangentOffset = offset;
    if (l.hasTangents)
        offset += 48;
    m_format.m_boneOffset = offset;
    if (l.boneWeightCount > 0)
        offset += 4 + 4 * uint32_t(l.boneWeightCount);
    m_format.m_stride = offset;

    const int32_t heads = headCount();
    m_vertexBuffers.assign(size_t(heads), nullptr);
    m_indexBuffers.assign(size_t(heads), nullptr);
    m_format.m_declarations.assign(size_t(heads), nullptr);
    const std::vector<D3DVERTEXELEMENT9> elements = m_format.elements();
    for (int32_t head = 0; head < heads; ++head)
        if (IDirect3DDevice9* device = headDevice(head))
            device->CreateVertexDeclaration(elements.data(), &m_format.m_declarations[size_t(head)]);
}

RenderGeometry::~RenderGeometry()
{
    releaseBuffers();
    for (IDirect3DVertexDeclaration9*& declaration : m_format.m_declarations) {
        if (declaration)
            declaration->Release();
        declaration = nullptr;
    }
}

void RenderGeometry::releaseBuffers()
{
    for (IDirect3DVertexBuffer9*& buffer : m_vertexBuffers) {
        if (buffer)
            buffer->Release();
        buffer = nullptr;
    }
    for (IDirect3DIndexBuffer9*& buffer : m_indexBuffers) {
        if (buffer)
            buffer->Release();
        buffer = nullptr;
    }
}

int32_t RenderGeometry::headCount() const
{
    if (!m_renderer || !m_renderer->m_displayManager || m_renderer->m_displayManager->m_heads.empty())
        return 1;
    return int32_t(m_renderer->m_displayManager->m_heads.size());
}

IDirect3DDevice9* RenderGeometry::headDevice(int32_t head) const
{
    if (!m_renderer)
        return nullptr;
    const DisplayManager* dm = m_renderer->m_displayManager;
    if (dm && head >= 0 && size_t(head) < dm->m_heads.size())
        return dm->m_heads[size_t(head)].device;
    return head == 0 ? m_renderer->m_device : nullptr;
}

void RenderGeometry::draw(ShaderPass* pass, double time, const std::vector<ActiveLight>& lights)
{
    const int32_t head = m_renderer ? m_renderer->m_currentHead : 0;
    IDirect3DDevice9* device = headDevice(head);
    if (!device || !pass || head < 0 || size_t(head) >= m_vertexBuffers.size())
        return;
    device->SetSoftwareVertexProcessing(m_format.m_softwareProcessing);
    pass->m_stagePlan = m_format.m_stagePlan;
    pass->applyMaterialStates(m_surface, time);
    device->SetVertexDeclaration(m_format.m_declarations[size_t(head)]);
    if (pass->activate())
        pass->bindTextures(m_surface, time, lights);
    IDirect3DVertexBuffer9* vertices = m_vertexBuffers[size_t(head)];
    IDirect3DIndexBuffer9* indices = m_indexBuffers[size_t(head)];
    if (!vertices || !indices || m_primitiveCount <= 0)
        return;
    device->SetStreamSource(0, vertices, 0, m_format.m_stride);
    device->SetIndices(indices);
    device->DrawIndexedPrimitive(m_primitiveType, 0, 0, UINT(m_vertexCount), 0, UINT(m_primitiveCount));
    m_renderer->m_drawCallCount += 1;
    m_renderer->m_primitiveCount += uint32_t(m_primitiveCount);
}

void RenderGeometry::packVertex(const VertexFormat& format, const LwVertex& source, uint8_t* destination)
{
    const VertexLayout& l = format.m_layout;
    uint8_t* out = destination;
    put(out, source.position, 3);
    put(out, source.normal, 3);
    if (l.hasColor) {
        const uint32_t argb = colorToArgb({source.color[0], source.color[1], source.color[2], source.color[3]});
        std::memcpy(out, &argb, 4);
        out += 4;
    }
    for (int32_t k = 0; k < l.slotCount; ++k)
        put(out, source.texCoords[k], l.animatedSlot[k] ? 3 : 2);
    if (l.hasTangents) {
        std::memset(out, 0, 48);
        out += 48;
    }
    if (l.boneWeightCount > 0) {
        std::memcpy(out, source.boneIndex, 4);
        out += 4;
        put(out, source.boneWeight, l.boneWeightCount);
    }
}

void RenderGeometry::computeTangents(const VertexFormat& format, uint8_t* vertices,
                                     const std::vector<uint32_t>& indices, int32_t vertexCount)
{
    if (!format.m_layout.hasTangents || vertexCount <= 0)
        return;
    const uint32_t stride = format.m_stride;
    auto floats = [&](uint32_t vertex, uint32_t offset) {
        return reinterpret_cast<float*>(vertices + size_t(vertex) * stride + offset);
    };
    const bool haveUV = format.m_layout.slotCount > 0;
    for (size_t t = 0; t + 2 < indices.size(); t += 3) {
        const uint32_t i[3] = {indices[t], indices[t + 1], indices[t + 2]};
        if (i[0] >= uint32_t(vertexCount) || i[1] >= uint32_t(vertexCount) || i[2] >= uint32_t(vertexCount))
            continue;
        float p[3][3], u[3] = {0, 0, 0};
        for (int c = 0; c < 3; ++c) {
            std::memcpy(p[c], floats(i[c], 0), 12);
            if (haveUV)
                std::memcpy(&u[c], floats(i[c], format.m_texCoordOffset), 4);
        }
        float T[3], S[3], n0[3];
        for (int k = 0; k < 3; ++k)
            T[k] = (p[2][k] - p[1][k]) * (u[0] - u[1]) - (p[0][k] - p[1][k]) * (u[2] - u[1]);
        normalise(T);
        std::memcpy(n0, floats(i[0], 12), 12);
        S[0] = T[1] * n0[2] - T[2] * n0[1];
        S[1] = T[2] * n0[0] - T[0] * n0[2];
        S[2] = T[0] * n0[1] - T[1] * n0[0];
        normalise(S);
        for (int c = 0; c < 3; ++c) {
            float* block = floats(i[c], format.m_tangentOffset);
            for (int k = 0; k < 3; ++k) {
                block[k] += S[k];
                block[3 + k] += T[k];
            }
        }
    }
    for (int32_t v = 0; v < vertexCount; ++v) {
        float* block = floats(uint32_t(v), format.m_tangentOffset);
        normalise(block);
        normalise(block + 3);
        block[6] = block[1] * block[5] - block[2] * block[4];
        block[7] = block[2] * block[3] - block[0] * block[5];
        block[8] = block[0] * block[4] - block[1] * block[3];
    }
}

bool MeshGeometry::addVertices(const LwVertex* vertices, int32_t count)
{
    if (m_uploaded || count < 0)
        return false;
    const size_t start = m_vertexData.size();
    m_vertexData.resize(start + size_t(count) * m_format.m_stride);
    for (int32_t i = 0; i < count; ++i)
        packVertex(m_format, vertices[i], m_vertexData.data() + start + size_t(i) * m_format.m_stride);
    m_vertexCount += count;
    return true;
}

bool MeshGeometry::addTriangles(const uint32_t* indices, int32_t count)
{
    if (m_uploaded || count < 0 || (m_primitiveType != 0 && m_primitiveType != D3DPT_TRIANGLELIST))
        return false;
    m_primitiveCount += count / 3;
    m_primitiveType = D3DPT_TRIANGLELIST;
    m_indices.insert(m_indices.end(), indices, indices + count);
    m_indexCount = int32_t(m_indices.size());
    return true;
}

bool MeshGeometry::upload()
{
    if (m_uploaded)
        return false;
    DWORD usage = D3DUSAGE_WRITEONLY;
    if (m_format.m_softwareProcessing)
        usage |= D3DUSAGE_SOFTWAREPROCESSING;
    m_vertexUsage = m_indexUsage = usage;
    computeTangents(m_format, m_vertexData.data(), m_indices, m_vertexCount);
    m_vertexBytes = uint32_t(m_vertexData.size());
    uint32_t maxIndex = 0;
    for (uint32_t index : m_indices)
        maxIndex = std::max(maxIndex, index);
    const DWORD deviceMax = m_renderer ? m_renderer->m_caps.MaxVertexIndex : 0xFFFF;
    if (deviceMax < 0x10000 || maxIndex < 0x10000) {
        m_indexFormat = D3DFMT_INDEX16;
        if (maxIndex > 0xFFFF)
            reportAssertion("\"too many indices\"");
    } else {
        m_indexFormat = D3DFMT_INDEX32;
        if (maxIndex > deviceMax)
            reportAssertion("\"too many indices\"");
    }
    const uint32_t indexSize = m_indexFormat == D3DFMT_INDEX16 ? 2 : 4;
    m_indexBytes = uint32_t(m_indices.size()) * indexSize;
    for (int32_t head = 0; head < headCount(); ++head) {
        IDirect3DDevice9* device = headDevice(head);
        if (!device || m_vertexBytes == 0 || m_indexBytes == 0)
            return false;
        IDirect3DVertexBuffer9*& vb = m_vertexBuffers[size_t(head)];
        if (!vb) {
            if (FAILED(device->CreateVertexBuffer(m_vertexBytes, usage, 0, D3DPOOL_MANAGED, &vb, nullptr)))
                return false;
            void* data = nullptr;
            if (FAILED(vb->Lock(0, 0, &data, 0)))
                return false;
            std::memcpy(data, m_vertexData.data(), m_vertexBytes);
            vb->Unlock();
            vb->PreLoad();
        }
        IDirect3DIndexBuffer9*& ib = m_indexBuffers[size_t(head)];
        if (!ib) {
            if (FAILED(device->CreateIndexBuffer(m_indexBytes, usage, m_indexFormat, D3DPOOL_MANAGED, &ib, nullptr)))
                return false;
            void* data = nullptr;
            if (FAILED(ib->Lock(0, 0, &data, 0)))
                return false;
            if (indexSize == 2) {
                auto* out = static_cast<uint16_t*>(data);
                for (size_t i = 0; i < m_indices.size(); ++i)
                    out[i] = uint16_t(m_indices[i]);
            } else {
                std::memcpy(data, m_indices.data(), m_indexBytes);
            }
            ib->Unlock();
            ib->PreLoad();
        }
    }
    m_uploaded = true;
    return true;
}

bool MeshBuffers::makeBuffers(int32_t head)
{
    IDirect3DDevice9* device = headDevice(head);
    if (!device)
        return false;
    IDirect3DVertexBuffer9*& vb = m_vertexBuffers[size_t(head)];
    if (!vb && FAILED(device->CreateVertexBuffer(m_vertexBytes, m_vertexUsage, 0,
                                                 m_dynamicVertices ? D3DPOOL_DEFAULT : D3DPOOL_MANAGED, &vb, nullptr)))
        return false;
    IDirect3DIndexBuffer9*& ib = m_indexBuffers[size_t(head)];
    if (!ib && FAILED(device->CreateIndexBuffer(m_indexBytes, m_indexUsage, m_indexFormat,
                                                m_dynamicIndices ? D3DPOOL_DEFAULT : D3DPOOL_MANAGED, &ib, nullptr)))
        return false;
    return true;
}

bool MeshBuffers::create(bool staticVertices, bool staticIndices, int32_t vertexCapacity, int32_t indexCapacity)
{
    if (m_uploaded || vertexCapacity <= 0 || indexCapacity <= 0)
        return false;
    DWORD extra = m_format.m_softwareProcessing ? D3DUSAGE_SOFTWAREPROCESSING : 0;
    m_dynamicVertices = !staticVertices;
    m_dynamicIndices = !staticIndices;
    m_vertexUsage = extra | D3DUSAGE_WRITEONLY | (m_dynamicVertices ? D3DUSAGE_DYNAMIC : 0);
    m_indexUsage = extra | D3DUSAGE_WRITEONLY | (m_dynamicIndices ? D3DUSAGE_DYNAMIC : 0);
    m_vertexCapacity = vertexCapacity;
    m_indexCapacity = indexCapacity;
    m_vertexBytes = m_format.m_stride * uint32_t(vertexCapacity);
    m_indexFormat = D3DFMT_INDEX16;
    m_indexBytes = 2 * uint32_t(indexCapacity);
    for (int32_t head = 0; head < headCount(); ++head)
        if (!makeBuffers(head))
            return false;
    m_uploaded = true;
    return true;
}

bool MeshBuffers::writeVertices(int32_t first, const LwVertex* vertices, int32_t count, bool discard)
{
    if (!m_uploaded || first < 0 || count < 0 || int64_t(first) + count > m_vertexCapacity)
        return false;
    const uint32_t stride = m_format.m_stride;
    for (IDirect3DVertexBuffer9* vb : m_vertexBuffers) {
        if (!vb)
            continue;
        void* data = nullptr;
        const DWORD flags = discard && m_dynamicVertices ? D3DLOCK_DISCARD : 0;
        if (FAILED(vb->Lock(discard ? 0 : uint32_t(first) * stride, discard ? 0 : uint32_t(count) * stride, &data,
                            flags)))
            return false;
        auto* out = static_cast<uint8_t*>(data) + (discard ? size_t(first) * stride : 0);
        for (int32_t i = 0; i < count; ++i)
            packVertex(m_format, vertices[i], out + size_t(i) * stride);
        vb->Unlock();
    }
    return true;
}

bool MeshBuffers::setVertices(const LwVertex* vertices, int32_t count)
{
    if (!writeVertices(0, vertices, count, true))
        return false;
    m_vertexCount = count;
    return true;
}

bool MeshBuffers::setVerticesAt(int32_t first, const LwVertex* vertices, int32_t count)
{
    if (!writeVertices(first, vertices, count, false))
        return false;
    m_vertexCount = std::max(m_vertexCount, first + count);
    return true;
}

bool MeshBuffers::writeIndices(int32_t first, const uint32_t* indices, int32_t count, bool discard)
{
    if (m_primitiveType != 0 && m_primitiveType != D3DPT_TRIANGLELIST)
        return false;
    if (!m_uploaded || first < 0 || count < 0 || int64_t(first) + count > m_indexCapacity)
        return false;
    for (IDirect3DIndexBuffer9* ib : m_indexBuffers) {
        if (!ib)
            continue;
        void* data = nullptr;
        const DWORD flags = discard && m_dynamicIndices ? D3DLOCK_DISCARD : 0;
        if (FAILED(ib->Lock(discard ? 0 : 2 * uint32_t(first), discard ? 0 : 2 * uint32_t(count), &data, flags)))
            return false;
        auto* out = static_cast<uint16_t*>(data) + (discard ? first : 0);
        for (int32_t i = 0; i < count; ++i)
            out[i] = uint16_t(indices[i]);
        ib->Unlock();
    }
    m_primitiveType = D3DPT_TRIANGLELIST;
    return true;
}

bool MeshBuffers::setIndices(const uint32_t* indices, int32_t count)
{
    if (!writeIndices(0, indices, count, true))
        return false;
    m_indexCount = count;
    m_primitiveCount = count / 3;
    return true;
}

bool MeshBuffers::setIndicesAt(int32_t first, const uint32_t* indices, int32_t count)
{
    if (!writeIndices(first, indices, count, false))
        return false;
    m_indexCount = std::max(m_indexCount, first + count);
    m_primitiveCount = m_indexCount / 3;
    return true;
}

void MeshBuffers::onLostDevice()
{
    for (IDirect3DVertexBuffer9*& vb : m_vertexBuffers)
        if (vb && m_dynamicVertices) {
            vb->Release();
            vb = nullptr;
        }
    for (IDirect3DIndexBuffer9*& ib : m_indexBuffers)
        if (ib && m_dynamicIndices) {
            ib->Release();
            ib = nullptr;
        }
}

void MeshBuffers::onResetDevice()
{
    if (!m_uploaded)
        return;
    for (int32_t head = 0; head < headCount(); ++head)
        makeBuffers(head);
}
