#include "platform/d3d9/Direct3DVertexDeclaration9.h"

#include <algorithm>

namespace {
constexpr UINT kMaxElements = 64;
constexpr UINT kMaxStreams = 4;
} // namespace

IDirect3DVertexDeclaration9::IDirect3DVertexDeclaration9(IDirect3DDevice9* device,
                                                         std::vector<D3DVERTEXELEMENT9> elements, DWORD fvf)
    : IDirect3DDeviceChild9(device), m_elements(std::move(elements)), m_fvf(fvf)
{
    m_format = FixedFunctionVertexFormat::fromDeclaration(m_elements.data());
    for (const D3DVERTEXELEMENT9& e : m_elements) {
        if (e.Stream == 0xFF)
            break;
        m_extent[e.Stream] = std::max<UINT>(m_extent[e.Stream], e.Offset + typeBytes(e.Type));
        if (e.Usage == D3DDECLUSAGE_POSITIONT)
            m_pretransformed = true;
    }
}

UINT IDirect3DVertexDeclaration9::typeBytes(BYTE type)
{
    switch (type) {
    case D3DDECLTYPE_FLOAT1: return 4;
    case D3DDECLTYPE_FLOAT2: return 8;
    case D3DDECLTYPE_FLOAT3: return 12;
    case D3DDECLTYPE_FLOAT4: return 16;
    case D3DDECLTYPE_D3DCOLOR:
    case D3DDECLTYPE_UBYTE4:
    case D3DDECLTYPE_SHORT2:
    case D3DDECLTYPE_UBYTE4N: return 4;
    case D3DDECLTYPE_SHORT4: return 8;
    default: return 0;
    }
}

IDirect3DVertexDeclaration9* IDirect3DVertexDeclaration9::fromElements(IDirect3DDevice9* device,
                                                                     const D3DVERTEXELEMENT9* elements)
{
    if (!elements)
        return nullptr;
    std::vector<D3DVERTEXELEMENT9> list;
    for (UINT i = 0;; ++i) {
        if (i >= kMaxElements)
            return nullptr;
        const D3DVERTEXELEMENT9& e = elements[i];
        list.push_back(e);
        if (e.Stream == 0xFF)
            break;
        if (e.Stream >= kMaxStreams || typeBytes(e.Type) == 0 || e.Offset % 4 != 0 || e.UsageIndex >= 16)
            return nullptr;
        // One element per usage and index, as Direct3D requires.
        for (size_t j = 0; j + 1 < list.size(); ++j)
            if (list[j].Usage == e.Usage && list[j].UsageIndex == e.UsageIndex)
                return nullptr;
    }
    return new IDirect3DVertexDeclaration9(device, std::move(list), 0);
}

UINT IDirect3DVertexDeclaration9::fvfStride(DWORD fvf)
{
    UINT stride = 0;
    switch (fvf & D3DFVF_POSITION_MASK) {
    case D3DFVF_XYZ: stride = 12; break;
    case D3DFVF_XYZRHW: stride = 16; break;
    default: return 0;
    }
    if (fvf & D3DFVF_NORMAL)
        stride += 12;
    if (fvf & D3DFVF_PSIZE)
        stride += 4;
    if (fvf & D3DFVF_DIFFUSE)
        stride += 4;
    if (fvf & D3DFVF_SPECULAR)
        stride += 4;
    const UINT sets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    if (sets > 8)
        return 0;
    for (UINT i = 0; i < sets; ++i) {
        switch ((fvf >> (i * 2 + 16)) & 3) {
        case D3DFVF_TEXTUREFORMAT1: stride += 4; break;
        case D3DFVF_TEXTUREFORMAT3: stride += 12; break;
        case D3DFVF_TEXTUREFORMAT4: stride += 16; break;
        default: stride += 8; break;
        }
    }
    return stride;
}

IDirect3DVertexDeclaration9* IDirect3DVertexDeclaration9::fromFvf(IDirect3DDevice9* device, DWORD fvf)
{
    if (fvfStride(fvf) == 0)
        return nullptr;
    std::vector<D3DVERTEXELEMENT9> list;
    WORD offset = 0;
    auto add = [&](BYTE type, BYTE usage, BYTE index) {
        list.push_back(D3DVERTEXELEMENT9{0, offset, type, D3DDECLMETHOD_DEFAULT, usage, index});
        offset = WORD(offset + typeBytes(type));
    };
    if ((fvf & D3DFVF_POSITION_MASK) == D3DFVF_XYZRHW)
        add(D3DDECLTYPE_FLOAT4, D3DDECLUSAGE_POSITIONT, 0);
    else
        add(D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION, 0);
    if (fvf & D3DFVF_NORMAL)
        add(D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_NORMAL, 0);
    if (fvf & D3DFVF_PSIZE)
        add(D3DDECLTYPE_FLOAT1, D3DDECLUSAGE_PSIZE, 0);
    if (fvf & D3DFVF_DIFFUSE)
        add(D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 0);
    if (fvf & D3DFVF_SPECULAR)
        add(D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 1);
    const UINT sets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    for (UINT i = 0; i < sets; ++i) {
        BYTE type = D3DDECLTYPE_FLOAT2;
        switch ((fvf >> (i * 2 + 16)) & 3) {
        case D3DFVF_TEXTUREFORMAT1: type = D3DDECLTYPE_FLOAT1; break;
        case D3DFVF_TEXTUREFORMAT3: type = D3DDECLTYPE_FLOAT3; break;
        case D3DFVF_TEXTUREFORMAT4: type = D3DDECLTYPE_FLOAT4; break;
        default: break;
        }
        add(type, D3DDECLUSAGE_TEXCOORD, BYTE(i));
    }
    list.push_back(D3DVERTEXELEMENT9 D3DDECL_END());
    return new IDirect3DVertexDeclaration9(device, std::move(list), fvf);
}

HRESULT IDirect3DVertexDeclaration9::GetDeclaration(D3DVERTEXELEMENT9* elements, UINT* count) const
{
    if (!count)
        return D3DERR_INVALIDCALL;
    if (elements)
        std::copy(m_elements.begin(), m_elements.end(), elements);
    *count = UINT(m_elements.size());
    return D3D_OK;
}
