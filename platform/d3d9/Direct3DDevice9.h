#pragma once
#include "platform/d3d9/CapabilityModel.h"
#include "platform/d3d9/D3D9States.h"
#include "platform/d3d9/D3D9Types.h"
#include "platform/d3d9/FixedFunctionState.h"

#include <array>
#include <memory>
#include <vector>

class DeviceBackend;
class IDirect3D9;
class IDirect3DBaseTexture9;
class IDirect3DCubeTexture9;
class IDirect3DDeviceChild9;
class IDirect3DIndexBuffer9;
class IDirect3DPixelShader9;
class IDirect3DQuery9;
class IDirect3DResource9;
class IDirect3DSurface9;
class IDirect3DTexture9;
class IDirect3DVertexBuffer9;
class IDirect3DVertexDeclaration9;
class IDirect3DVertexShader9;
class IDirect3DVolumeTexture9;
struct DrawCall;

// How Direct3D's conventions are met on GL, settled here once for every
// draw the layer will make:
//
// - Orientation. Everything is drawn into framebuffer objects, never into
//   the window, and those are stored top row first: Direct3D's top-left
//   window coordinates are GL's framebuffer coordinates unchanged. A
//   viewport or clear rectangle (X, Y, W, H) goes to glViewport/glScissor as
//   it is, a read-back comes out top-down, and a rendered texture is
//   already the right way up for Direct3D texture coordinates. Present
//   turns the picture over once, in the blit to the window.
// - Clip space. The vertex stage ends with
//       gl_Position = vec4(p.x + p.w * halfPixel.x, -p.y + p.w * halfPixel.y,
//                          2.0 * p.z - p.w, p.w);
//   The y negation draws into the top-first storage; z in [0, 1] becomes
//   GL's [-1, 1], so a viewport's MinZ/MaxZ go straight to glDepthRange.
//   (glClipControl would do the z part, but is not in a 3.3 context.)
// - Pixel centres. Direct3D 9 samples pixel centres at integer
//   coordinates; halfPixel = (1 / viewport width, 1 / viewport height)
//   moves geometry by half a pixel so the same vertices cover the same
//   pixels. Clears and viewports are whole pixels and need no offset.
// - Winding. The y negation mirrors the picture, so a triangle that is
//   clockwise on a Direct3D screen is counter-clockwise to GL: with GL's
//   glFrontFace(GL_CCW), D3DCULL_CCW culls GL_BACK and D3DCULL_CW GL_FRONT.
// - Matrices. Row vectors and row-major matrices are uploaded as they are,
//   sixteen floats unchanged, and the shaders multiply v * M.
// - Colours. D3DCOLOR is 0xAARRGGBB; clears take its bytes as such, and
//   read-backs answer in the same layout.
// - Textures. Row 0 of a Direct3D texture is its top row and is uploaded as
//   GL row 0, so (0, 0) addresses the top-left texel on both.
//
// Drawing. States are kept in a FixedFunctionState and reach the backend
// with each draw, where only what changed since the last draw is applied.
// Every draw is checked against the buffers it reads before the backend sees
// it: a vertex or index past the end of a buffer is D3DERR_INVALIDCALL. The
// device keeps no reference on what is bound (the program's references
// decide lifetimes); a bound object outlives its last Release until it is
// unbound, and the device's own last Release unbinds such objects. Reset
// puts every state back to its default and unbinds everything, as on
// Direct3D. The class spans Direct3DDevice9.cpp (creation, Reset, targets,
// clears), Direct3DDevice9Resources.cpp, Direct3DDevice9State.cpp and
// Direct3DDevice9Draw.cpp.
//
// GL has no device loss. Reset still keeps Direct3D's contract: every
// default-pool resource must have been released first, otherwise Reset
// reports what is still alive, fails with D3DERR_INVALIDCALL and the device
// answers D3DERR_DEVICENOTRESET until a Reset succeeds. Multisampling is a
// multisampled framebuffer object resolved at Present, so a Reset never
// touches the context or the managed resources.
class IDirect3DDevice9 {
public:
    ULONG AddRef();
    ULONG Release();

    HRESULT TestCooperativeLevel();
    HRESULT GetDeviceCaps(D3DCAPS9* caps);
    HRESULT SetSoftwareVertexProcessing(BOOL software);
    // The parameters are resolved and written back, as Direct3D does.
    HRESULT Reset(D3DPRESENT_PARAMETERS* params);
    HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND overrideWindow, const void* dirtyRegion);
    HRESULT BeginScene();
    HRESULT EndScene();
    HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR colour, float z, DWORD stencil);
    HRESULT SetViewport(const D3DVIEWPORT9* viewport);
    HRESULT GetViewport(D3DVIEWPORT9* viewport);
    void SetGammaRamp(UINT swapChain, DWORD flags, const D3DGAMMARAMP* ramp);
    HRESULT GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface9** surface);
    HRESULT SetRenderTarget(DWORD index, IDirect3DSurface9* surface);
    // The bound colour target, with a reference for the caller.
    HRESULT GetRenderTarget(DWORD index, IDirect3DSurface9** surface);
    HRESULT GetDepthStencilSurface(IDirect3DSurface9** surface);
    HRESULT SetDepthStencilSurface(IDirect3DSurface9* surface);
    HRESULT CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                      DWORD quality, BOOL discard, IDirect3DSurface9** surface, HANDLE* shared);

    // Resources (Direct3DDevice9Resources.cpp).
    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                          IDirect3DTexture9** texture, HANDLE* shared);
    HRESULT CreateCubeTexture(UINT edge, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DCubeTexture9** texture, HANDLE* shared);
    HRESULT CreateVolumeTexture(UINT width, UINT height, UINT depth, UINT levels, DWORD usage, D3DFORMAT format,
                                D3DPOOL pool, IDirect3DVolumeTexture9** texture, HANDLE* shared);
    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool, IDirect3DVertexBuffer9** buffer,
                               HANDLE* shared);
    HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DIndexBuffer9** buffer, HANDLE* shared);
    HRESULT CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements, IDirect3DVertexDeclaration9** declaration);
    HRESULT CreateQuery(D3DQUERYTYPE type, IDirect3DQuery9** query);
    HRESULT CreateVertexShader(const DWORD* function, IDirect3DVertexShader9** shader);
    HRESULT CreatePixelShader(const DWORD* function, IDirect3DPixelShader9** shader);

    // States (Direct3DDevice9State.cpp).
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value);
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value);
    HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value);
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value);
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix);
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix);
    HRESULT SetLight(DWORD index, const D3DLIGHT9* light);
    HRESULT LightEnable(DWORD index, BOOL enable);
    HRESULT SetMaterial(const D3DMATERIAL9* material);
    HRESULT SetClipPlane(DWORD index, const float* plane);
    HRESULT SetVertexShaderConstantF(UINT start, const float* data, UINT count);
    HRESULT SetPixelShaderConstantF(UINT start, const float* data, UINT count);

    // Bindings and draws (Direct3DDevice9Draw.cpp).
    HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* texture);
    // The texture bound to a stage, with a reference for the caller.
    HRESULT GetTexture(DWORD stage, IDirect3DBaseTexture9** texture);
    HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride);
    HRESULT SetIndices(IDirect3DIndexBuffer9* buffer);
    HRESULT SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration);
    HRESULT SetFVF(DWORD fvf);
    HRESULT SetVertexShader(IDirect3DVertexShader9* shader);
    HRESULT SetPixelShader(IDirect3DPixelShader9* shader);
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount);
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertex, UINT minIndex, UINT vertexCount,
                                 UINT startIndex, UINT primitiveCount);
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices, UINT stride);
    HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount, UINT primitiveCount,
                                   const void* indices, D3DFORMAT indexFormat, const void* vertices, UINT stride);

    // Layer internals.
    IDirect3DDevice9(IDirect3D9* d3d, UINT adapter, D3DDEVTYPE type, HWND focus, DWORD flags,
                     const CapabilityModel& capabilities, std::unique_ptr<DeviceBackend> backend);
    HRESULT start(D3DPRESENT_PARAMETERS* params);
    DeviceBackend& backend() { return *m_backend; }
    const D3DPRESENT_PARAMETERS& presentParameters() const { return m_params; }
    DWORD behaviourFlags() const { return m_flags; }
    const D3DGAMMARAMP& gammaRamp() const { return m_gamma; }
    void trackResource(IDirect3DResource9* resource);
    void untrackResource(IDirect3DResource9* resource);
    const FixedFunctionState& state() const { return m_state; }

    IDirect3DDevice9(const IDirect3DDevice9&) = delete;
    IDirect3DDevice9& operator=(const IDirect3DDevice9&) = delete;

private:
    ~IDirect3DDevice9();
    HRESULT resolve(D3DPRESENT_PARAMETERS& params) const;
    HRESULT buildSwapChain();
    void dropSwapChain();
    void bind(IDirect3DSurface9*& slot, IDirect3DSurface9* surface);
    void applyTargets();
    bool reportLiveResources();
    HWND presentWindowOf(const D3DPRESENT_PARAMETERS& params) const;
    HRESULT createTextureChecks(UINT width, UINT height, UINT depth, UINT* levels, DWORD usage, D3DFORMAT format,
                                D3DPOOL pool, D3DRESOURCETYPE type) const;
    template <typename Slot, typename Object>
    void bindObject(Slot*& slot, Object* object);
    void unbindAll();
    // Called when references run out while bound objects still hold some.
    bool onlyBindingsHoldDevice(ULONG refs) const;
    HRESULT submit(DrawCall& call, bool userMemory);
    UINT maxPrimitives() const { return m_maxPrimitives; }
    bool streamsHold(const DrawCall& call, INT lowest, uint64_t highest) const;
    void bindStreams(DrawCall& call) const;

    struct Stream {
        IDirect3DVertexBuffer9* buffer = nullptr;
        UINT offset = 0;
        UINT stride = 0;
    };

    ULONG m_refs = 1;
    IDirect3D9* m_d3d;
    UINT m_adapter;
    D3DDEVTYPE m_type;
    HWND m_focus;
    DWORD m_flags;
    CapabilityModel m_capabilities;
    std::unique_ptr<DeviceBackend> m_backend;
    D3DPRESENT_PARAMETERS m_params{};
    IDirect3DSurface9* m_backBuffer = nullptr;
    IDirect3DSurface9* m_autoDepthStencil = nullptr;
    IDirect3DSurface9* m_renderTarget = nullptr;
    IDirect3DSurface9* m_depthStencil = nullptr;
    D3DVIEWPORT9 m_viewport{};
    D3DGAMMARAMP m_gamma{};
    bool m_inScene = false;
    bool m_needsReset = false;
    bool m_softwareVertexProcessing = false;
    bool m_gammaWarned = false;
    std::vector<IDirect3DResource9*> m_resources;

    FixedFunctionState m_state;
    std::array<IDirect3DBaseTexture9*, 16> m_textures {};
    std::array<Stream, 4> m_streams {};
    IDirect3DIndexBuffer9* m_indices = nullptr;
    IDirect3DVertexDeclaration9* m_declaration = nullptr;
    IDirect3DVertexShader9* m_vertexShader = nullptr;
    IDirect3DPixelShader9* m_pixelShader = nullptr;
    std::vector<float> m_vertexConstants;
    std::vector<float> m_pixelConstants;
    bool m_releasing = false;
    UINT m_maxPrimitives;
};

// Bindings count on the object, not references: see the drawing notes above.
template <typename Slot, typename Object>
void IDirect3DDevice9::bindObject(Slot*& slot, Object* object)
{
    if (slot == object)
        return;
    if (object)
        ++object->m_bindings;
    Slot* old = slot;
    slot = object;
    if (old) {
        --old->m_bindings;
        old->destroyIfUnused();
    }
}
