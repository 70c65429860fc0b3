#pragma once
#include "platform/d3d9/D3D9States.h"
#include "platform/d3d9/D3D9Types.h"
#include "platform/d3d9/FixedFunctionKey.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class FixedFunctionState;

// A texture's storage as the backend allocates it: every level (and face)
// at once, contents arriving level by level.
struct BackendTextureDesc {
    FixedFunctionTextureKind kind = FixedFunctionTextureKind::Texture2D;
    D3DFORMAT format = D3DFMT_UNKNOWN;
    UINT width = 0;
    UINT height = 0;
    UINT depth = 1;
    UINT levels = 1;
    DWORD usage = 0;
};

// One finished draw: validated by the device (every index and vertex it can
// reach lies inside its buffers), with the state block whose dirty bits say
// what changed since the last draw. Buffers are backend handles, or user
// memory for the UP draws (handle 0, memory set, offset 0).
struct DrawStream {
    uint32_t buffer = 0;
    const void* memory = nullptr;
    UINT bytes = 0; // what the draw may read from `memory`
    UINT offset = 0;
    UINT stride = 0;
};

struct DrawTexture {
    uint32_t texture = 0;
    FixedFunctionTextureKind kind = FixedFunctionTextureKind::Texture2D;
};

struct DrawCall {
    static constexpr int kStreamCount = 4;
    static constexpr int kSamplerCount = 16;

    D3DPRIMITIVETYPE type = D3DPT_TRIANGLELIST;
    UINT primitiveCount = 0;
    UINT vertexCount = 0; // vertices (non-indexed) or indices (indexed) read
    // Non-indexed: the first vertex. Indexed: the first index, added base vertex.
    UINT start = 0;
    INT baseVertex = 0;
    bool indexed = false;
    uint32_t indexBuffer = 0;
    const void* indexMemory = nullptr;
    D3DFORMAT indexFormat = D3DFMT_INDEX16;

    const D3DVERTEXELEMENT9* elements = nullptr; // up to D3DDECL_END()
    FixedFunctionVertexFormat vertexFormat;
    std::array<DrawStream, kStreamCount> streams {};
    std::array<DrawTexture, kSamplerCount> textures {};
    const FixedFunctionState* state = nullptr;
    D3DVIEWPORT9 viewport {};

    // Programmable path: both shaders set, constants as the device holds them.
    uint32_t vertexShader = 0;
    uint32_t pixelShader = 0;
    const float* vertexConstants = nullptr;
    UINT vertexConstantCount = 0;
    const float* pixelConstants = nullptr;
    UINT pixelConstantCount = 0;
};

// What a device needs from the machine underneath. The device keeps the
// Direct3D bookkeeping (references, bindings, validation, the viewport) and
// hands the backend finished decisions. Storage handles are the backend's
// own; 0 is none.
class DeviceBackend {
public:
    virtual ~DeviceBackend() = default;

    // At creation and at every Reset: the parameters are already resolved
    // (no zero sizes, no unknown back-buffer format).
    virtual HRESULT configure(const D3DPRESENT_PARAMETERS& params, HWND window) = 0;

    virtual uint32_t createSurface(const D3DSURFACE_DESC& desc, int samples) = 0;
    virtual void destroySurface(uint32_t storage) = 0;

    virtual void bindTargets(uint32_t colour, uint32_t depth) = 0;
    virtual void setViewport(const D3DVIEWPORT9& viewport) = 0;
    // One rectangle of the bound targets, top-left origin, already clipped.
    virtual void clear(const RECT& area, DWORD flags, D3DCOLOR colour, float z, DWORD stencil) = 0;
    virtual void beginScene() = 0;
    virtual void endScene() = 0;
    virtual HRESULT present(uint32_t backBuffer, HWND window) = 0;
    // False when the display refuses the ramp.
    virtual bool setGammaRamp(HWND window, const D3DGAMMARAMP& ramp) = 0;
    virtual void setSoftwareVertexProcessing(bool software) = 0;

    virtual uint32_t createTexture(const BackendTextureDesc& desc) = 0;
    virtual void destroyTexture(uint32_t texture) = 0;
    // One whole level of one face (or all slices of a volume level), rows
    // top first, tightly packed per `rowPitch` and `slicePitch`.
    virtual void uploadTexture(uint32_t texture, UINT face, UINT level, const void* data, UINT rowPitch,
                               UINT slicePitch) = 0;
    // A level of a render-target texture as a colour surface, for
    // bindTargets and readPixels; destroySurface lets go of it.
    virtual uint32_t createTextureSurface(uint32_t texture, UINT face, UINT level, const D3DSURFACE_DESC& desc) = 0;

    virtual uint32_t createBuffer(UINT bytes, bool index, bool dynamic) = 0;
    virtual void destroyBuffer(uint32_t buffer) = 0;
    // `discard` says no draw still needs the old contents.
    virtual void uploadBuffer(uint32_t buffer, UINT offset, const void* data, UINT bytes, bool discard) = 0;

    virtual uint32_t createQuery() = 0;
    virtual void destroyQuery(uint32_t query) = 0;
    virtual void beginQuery(uint32_t query) = 0;
    virtual void endQuery(uint32_t query) = 0;
    // False while the result is not ready yet.
    virtual bool queryResult(uint32_t query, DWORD* samples, bool flush) = 0;

    // GLSL source of one stage, already wrapped; 0 when it does not compile.
    virtual uint32_t createShader(bool pixel, const std::string& source) = 0;
    virtual void destroyShader(uint32_t shader) = 0;

    // Applies what changed in the state block and draws. The device clears
    // the dirty bits afterwards.
    virtual HRESULT draw(const DrawCall& call) = 0;

    // Test seam: the ARGB pixels of a colour surface, top row first.
    virtual bool readPixels(uint32_t storage, const RECT& area, std::vector<D3DCOLOR>& pixels) = 0;

    // Another GL user (the GUI) draws on the context this backend draws on.
    // begin makes the context current with the device's render target bound
    // as the draw framebuffer, and answers false when the backend has no GL
    // context; end forgets what the backend believed about the GL state, so
    // its next draw sets everything again.
    virtual bool beginForeignDraw() { return false; }
    virtual void endForeignDraw() {}
};
