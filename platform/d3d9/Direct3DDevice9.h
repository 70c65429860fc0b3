#pragma once
#include "platform/d3d9/CapabilityModel.h"
#include "platform/d3d9/D3D9Types.h"

#include <memory>
#include <vector>

class DeviceBackend;
class IDirect3D9;
class IDirect3DResource9;
class IDirect3DSurface9;

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
    void SetGammaRamp(UINT swapChain, DWORD flags, const D3DGAMMARAMP* ramp);
    HRESULT GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface9** surface);
    HRESULT SetRenderTarget(DWORD index, IDirect3DSurface9* surface);
    HRESULT GetDepthStencilSurface(IDirect3DSurface9** surface);
    HRESULT SetDepthStencilSurface(IDirect3DSurface9* surface);
    HRESULT CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                      DWORD quality, BOOL discard, IDirect3DSurface9** surface, HANDLE* shared);

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
};
