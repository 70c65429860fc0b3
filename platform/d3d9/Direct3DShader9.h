#pragma once
// Programmable shaders over GLSL. Where Direct3D takes compiled shader
// bytes, this layer takes its own small container of GLSL 3.30 source:
//
//   DWORD 0      version token: D3DVS_VERSION(3, 0) for a vertex shader,
//                D3DPS_VERSION(3, 0) for a pixel shader
//   DWORD 1      MAKEFOURCC('G', 'L', 'S', 'L')
//   DWORD 2      n, the bytes of source that follow (at most 1 MiB)
//   n bytes      the source, without #version, padded with zeros to a DWORD
//   DWORD        0x0000FFFF, the end token
//
// The source is a GLSL stage whose main() writes, for a vertex shader,
// `d3d_Position` (Direct3D clip space: z in [0, 1], y up) and, for a pixel
// shader, `d3d_FragColor`. The layer declares both, plus the constant
// registers `vs_c[256]` and `ps_c[224]` that SetVertexShaderConstantF and
// SetPixelShaderConstantF fill, and turns d3d_Position into GL's clip space
// with the half-pixel shift the fixed-function programs use; user clip
// planes apply to d3d_Position, in clip space as Direct3D applies them to
// vertex shader output. Vertex inputs
// take their locations from the declaration's usages:
//   POSITION 0, NORMAL 1, COLOR0 2, COLOR1 3, TEXCOORDi 4 + i,
//   BLENDWEIGHT 12, BLENDINDICES 13, TANGENT 14, BINORMAL 15;
// samplers are named ps_s0 to ps_s15 and read texture stage i. Stage
// outputs and inputs match by name, as GLSL has them.
#include "platform/d3d9/Direct3DDeviceChild9.h"

#include <cstdint>
#include <string>
#include <vector>

class IDirect3DShader9 : public IDirect3DDeviceChild9 {
public:
    static constexpr UINT kVertexConstants = 256;
    static constexpr UINT kPixelConstants = 224;
    static constexpr DWORD kTag = MAKEFOURCC('G', 'L', 'S', 'L');
    static constexpr DWORD kEndToken = 0x0000FFFF;
    static constexpr DWORD kMaxSourceBytes = 1u << 20;

    // The GLSL of a container, wrapped for the stage; false when the
    // container is malformed or for the other stage.
    static bool unwrap(const DWORD* function, bool pixel, std::string* source);
    // Writes a container around `source`, for tests and tools.
    static std::vector<DWORD> wrap(const std::string& source, bool pixel);

    // Layer internals.
    uint32_t storage() const { return m_storage; }
    bool isPixel() const { return m_pixel; }

protected:
    IDirect3DShader9(IDirect3DDevice9* device, bool pixel, uint32_t storage);
    ~IDirect3DShader9() override;

private:
    bool m_pixel;
    uint32_t m_storage;
};

class IDirect3DVertexShader9 : public IDirect3DShader9 {
public:
    IDirect3DVertexShader9(IDirect3DDevice9* device, uint32_t storage) : IDirect3DShader9(device, false, storage) {}

protected:
    ~IDirect3DVertexShader9() override = default;
};

class IDirect3DPixelShader9 : public IDirect3DShader9 {
public:
    IDirect3DPixelShader9(IDirect3DDevice9* device, uint32_t storage) : IDirect3DShader9(device, true, storage) {}

protected:
    ~IDirect3DPixelShader9() override = default;
};
