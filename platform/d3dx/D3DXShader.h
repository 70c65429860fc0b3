#pragma once
// The shader side of D3DX over our GLSL: an effect compiler that turns one
// source into the device's shader containers (platform/d3d9/Direct3DShader9.h),
// the constant table that sets its uniforms by name, and the sampler list.
//
// The source is GLSL 3.30 without #version, in sections: lines "#stage
// common", "#stage vertex" and "#stage pixel" start them (text before the
// first marker is common). A compile takes the common section and the
// section of the profile's stage ("vs_..." vertex, "ps_..." pixel):
//   - every value set on the compiler becomes a literal: `const int name`
//     (or `const int name[n]` for more than one value), ahead of the source;
//   - `uniform float|vec2|vec3|vec4 name;` and `name[n];` become constants:
//     one register per element, in declaration order, loaded before the
//     entry point runs; at most 256 registers for a vertex shader, 224 for
//     a pixel shader;
//   - `uniform sampler2D name;` (or samplerCube) in the pixel section reads
//     texture stage k for the k-th sampler declared;
//   - the entry point is the function of that name, called from main.
#include "platform/d3dx/D3DXTypes.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class IDirect3DDevice9;

using D3DXHANDLE = const char*;

constexpr DWORD D3DXSHADER_NO_PRESHADER = 0x100;
constexpr UINT D3DX_MAX_SAMPLERS = 16;

class ID3DXBuffer {
public:
    explicit ID3DXBuffer(size_t bytes) : m_bytes(bytes, 0) {}
    ULONG AddRef() { return ++m_refs; }
    ULONG Release();
    void* GetBufferPointer() { return m_bytes.data(); }
    DWORD GetBufferSize() const { return DWORD(m_bytes.size()); }

private:
    ~ID3DXBuffer() = default;
    ULONG m_refs = 1;
    std::vector<uint8_t> m_bytes;
};

// One constant of a compiled shader: `elements` registers from `reg`, each
// holding `columns` floats of the packed value.
struct D3DXConstantSlot {
    UINT reg;
    UINT elements;
    UINT columns;
};

class ID3DXConstantTable {
public:
    ID3DXConstantTable(bool pixel, std::map<std::string, D3DXConstantSlot> constants);
    ULONG AddRef() { return ++m_refs; }
    ULONG Release();

    // Every constant of the shader back to zero.
    HRESULT SetDefaults(IDirect3DDevice9* device);
    // Floats packed element after element; bytes beyond the constant are
    // ignored, a name the shader does not have is D3DERR_INVALIDCALL.
    HRESULT SetValue(IDirect3DDevice9* device, D3DXHANDLE name, const void* data, UINT bytes);

    const D3DXConstantSlot* find(const char* name) const;
    bool isPixel() const { return m_pixel; }

private:
    ~ID3DXConstantTable() = default;
    ULONG m_refs = 1;
    bool m_pixel;
    std::map<std::string, D3DXConstantSlot> m_constants;
};

class ID3DXEffectCompiler {
public:
    explicit ID3DXEffectCompiler(std::string source) : m_source(std::move(source)) {}
    ULONG AddRef() { return ++m_refs; }
    ULONG Release();

    // Integer values the next compiles see as literals.
    HRESULT SetValue(D3DXHANDLE name, const void* data, UINT bytes);
    // The shader container, or D3DXERR_INVALIDDATA with an error text
    // "(line): message" when the source cannot make that entry point.
    HRESULT CompileShader(D3DXHANDLE function, const char* profile, DWORD flags, ID3DXBuffer** shader,
                          ID3DXBuffer** errors, ID3DXConstantTable** constants);

private:
    ~ID3DXEffectCompiler() = default;
    ULONG m_refs = 1;
    std::string m_source;
    std::map<std::string, std::vector<int32_t>> m_literals;
};

HRESULT D3DXCreateEffectCompiler(const char* source, UINT length, ID3DXEffectCompiler** compiler);

// The sampler names of a compiled pixel shader, by texture stage; `samplers`
// (room for D3DX_MAX_SAMPLERS) may be null to ask for the count only. The
// names stay valid for the life of the process.
HRESULT D3DXGetShaderSamplers(const DWORD* function, LPCSTR* samplers, UINT* count);
