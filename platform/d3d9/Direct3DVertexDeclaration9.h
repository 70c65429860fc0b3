#pragma once
#include "platform/d3d9/D3D9States.h"
#include "platform/d3d9/Direct3DDeviceChild9.h"
#include "platform/d3d9/FixedFunctionKey.h"

#include <vector>

// A vertex layout: the elements up to and including D3DDECL_END(), checked
// once here so a draw only has to check the buffers against them. An FVF
// code becomes the same elements in the order Direct3D packs them.
class IDirect3DVertexDeclaration9 : public IDirect3DDeviceChild9 {
public:
    HRESULT GetDeclaration(D3DVERTEXELEMENT9* elements, UINT* count) const;

    // Layer internals. Null for an invalid layout.
    static IDirect3DVertexDeclaration9* fromElements(IDirect3DDevice9* device, const D3DVERTEXELEMENT9* elements);
    static IDirect3DVertexDeclaration9* fromFvf(IDirect3DDevice9* device, DWORD fvf);
    // Bytes of one vertex of an FVF code (0 for an invalid one).
    static UINT fvfStride(DWORD fvf);
    static UINT typeBytes(BYTE type);

    const std::vector<D3DVERTEXELEMENT9>& elements() const { return m_elements; }
    const FixedFunctionVertexFormat& format() const { return m_format; }
    // Bytes each stream must hold past a vertex's start: the end of its last element.
    UINT streamExtent(UINT stream) const { return stream < 16 ? m_extent[stream] : 0; }
    bool usesStream(UINT stream) const { return streamExtent(stream) > 0; }
    bool pretransformed() const { return m_pretransformed; }
    DWORD fvf() const { return m_fvf; }

private:
    IDirect3DVertexDeclaration9(IDirect3DDevice9* device, std::vector<D3DVERTEXELEMENT9> elements, DWORD fvf);
    ~IDirect3DVertexDeclaration9() override = default;

    std::vector<D3DVERTEXELEMENT9> m_elements;
    FixedFunctionVertexFormat m_format;
    UINT m_extent[16] = {};
    bool m_pretransformed = false;
    DWORD m_fvf;
};
