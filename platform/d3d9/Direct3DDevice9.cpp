#include "platform/d3d9/Direct3DDevice9.h"

#include "platform/d3d9/DeviceBackend.h"
#include "platform/d3d9/Direct3D9.h"
#include "platform/d3d9/Direct3DBaseTexture9.h"
#include "platform/d3d9/Direct3DIndexBuffer9.h"
#include "platform/d3d9/Direct3DShader9.h"
#include "platform/d3d9/Direct3DSurface9.h"
#include "platform/d3d9/Direct3DVertexBuffer9.h"
#include "platform/d3d9/Direct3DVertexDeclaration9.h"
#include "platform/win/WindowRecord.h"

#include <algorithm>
#include <climits>
#include <cstdio>

IDirect3DDevice9::IDirect3DDevice9(IDirect3D9* d3d, UINT adapter, D3DDEVTYPE type, HWND focus, DWORD flags,
                                   const CapabilityModel& capabilities, std::unique_ptr<DeviceBackend> backend)
    : m_d3d(d3d), m_adapter(adapter), m_type(type), m_focus(focus), m_flags(flags),
      m_capabilities(capabilities), m_backend(std::move(backend)),
      m_softwareVertexProcessing((flags & D3DCREATE_SOFTWARE_VERTEXPROCESSING) != 0),
      m_vertexConstants(IDirect3DShader9::kVertexConstants * 4, 0.0f),
      m_pixelConstants(IDirect3DShader9::kPixelConstants * 4, 0.0f),
      m_maxPrimitives(capabilities.caps(adapter, type).MaxPrimitiveCount)
{
    m_d3d->AddRef();
}

IDirect3DDevice9::~IDirect3DDevice9()
{
    unbindAll();
    dropSwapChain();
    m_backend.reset();
    m_d3d->Release();
}

ULONG IDirect3DDevice9::AddRef()
{
    return ++m_refs;
}

ULONG IDirect3DDevice9::Release()
{
    const ULONG left = --m_refs;
    if (left == 0) {
        delete this;
    } else if (!m_releasing && onlyBindingsHoldDevice(left)) {
        // Objects the program released while they were bound hold the last
        // references; unbinding them lets the device go as Direct3D would.
        m_releasing = true;
        ++m_refs;
        unbindAll();
        if (m_renderTarget != m_backBuffer || m_depthStencil != m_autoDepthStencil) {
            bind(m_renderTarget, m_backBuffer);
            bind(m_depthStencil, m_autoDepthStencil);
            applyTargets();
        }
        m_releasing = false;
        if (--m_refs == 0) {
            delete this;
            return 0;
        }
        return m_refs;
    }
    return left;
}

bool IDirect3DDevice9::onlyBindingsHoldDevice(ULONG refs) const
{
    ULONG held = 0;
    auto count = [&](const auto* object) {
        if (object && object->m_refs == 0)
            ++held;
    };
    std::vector<const void*> seen;
    auto once = [&](const auto* object) {
        if (!object || std::find(seen.begin(), seen.end(), object) != seen.end())
            return;
        seen.push_back(object);
        count(object);
    };
    for (const IDirect3DBaseTexture9* t : m_textures)
        once(t);
    for (const Stream& s : m_streams)
        once(s.buffer);
    once(m_indices);
    once(m_declaration);
    once(m_vertexShader);
    once(m_pixelShader);
    if (m_renderTarget != m_backBuffer) {
        once(m_renderTarget);
        // A released level surface is the last holder of its texture.
        const IDirect3DBaseTexture9* texture = m_renderTarget ? m_renderTarget->container() : nullptr;
        if (m_renderTarget && m_renderTarget->m_refs == 0 && texture && texture->m_refs == 1)
            ++held;
    }
    if (m_depthStencil != m_autoDepthStencil)
        once(m_depthStencil);
    return held > 0 && held == refs;
}

void IDirect3DDevice9::unbindAll()
{
    for (IDirect3DBaseTexture9*& t : m_textures)
        bindObject(t, static_cast<IDirect3DBaseTexture9*>(nullptr));
    for (Stream& s : m_streams)
        bindObject(s.buffer, static_cast<IDirect3DVertexBuffer9*>(nullptr));
    bindObject(m_indices, static_cast<IDirect3DIndexBuffer9*>(nullptr));
    bindObject(m_declaration, static_cast<IDirect3DVertexDeclaration9*>(nullptr));
    bindObject(m_vertexShader, static_cast<IDirect3DVertexShader9*>(nullptr));
    bindObject(m_pixelShader, static_cast<IDirect3DPixelShader9*>(nullptr));
}

HRESULT IDirect3DDevice9::start(D3DPRESENT_PARAMETERS* params)
{
    if (!params)
        return D3DERR_INVALIDCALL;
    D3DPRESENT_PARAMETERS resolved = *params;
    HRESULT hr = resolve(resolved);
    if (FAILED(hr))
        return hr;
    hr = m_backend->configure(resolved, presentWindowOf(resolved));
    if (FAILED(hr))
        return hr;
    m_params = resolved;
    m_state.reset(resolved.EnableAutoDepthStencil != 0);
    hr = buildSwapChain();
    if (FAILED(hr))
        return hr;
    *params = m_params;
    return D3D_OK;
}

HWND IDirect3DDevice9::presentWindowOf(const D3DPRESENT_PARAMETERS& params) const
{
    return params.hDeviceWindow ? params.hDeviceWindow : m_focus;
}

HRESULT IDirect3DDevice9::resolve(D3DPRESENT_PARAMETERS& params) const
{
    const HWND window = presentWindowOf(params);
    if (!windowIsLive(window))
        return D3DERR_INVALIDCALL;
    if (params.Windowed && (params.BackBufferWidth == 0 || params.BackBufferHeight == 0)) {
        RECT client{};
        GetClientRect(window, &client);
        if (params.BackBufferWidth == 0)
            params.BackBufferWidth = UINT(std::max<LONG>(1, client.right - client.left));
        if (params.BackBufferHeight == 0)
            params.BackBufferHeight = UINT(std::max<LONG>(1, client.bottom - client.top));
    }
    if (params.BackBufferWidth == 0 || params.BackBufferHeight == 0)
        return D3DERR_INVALIDCALL;
    // Windows only accepts an unknown format in a window; we take the
    // desktop's format in full screen too.
    if (params.BackBufferFormat == D3DFMT_UNKNOWN)
        params.BackBufferFormat = D3DFMT_X8R8G8B8;
    if (!m_capabilities.isBackBufferFormat(params.BackBufferFormat))
        return D3DERR_INVALIDCALL;
    if (params.BackBufferCount == 0)
        params.BackBufferCount = 1;
    if (params.BackBufferCount > 3)
        return D3DERR_INVALIDCALL;
    if (params.MultiSampleType != D3DMULTISAMPLE_NONE) {
        DWORD qualities = 0;
        if (params.SwapEffect != D3DSWAPEFFECT_DISCARD
            || FAILED(m_capabilities.checkMultiSampleType(params.BackBufferFormat, params.MultiSampleType, &qualities))
            || params.MultiSampleQuality >= qualities)
            return D3DERR_INVALIDCALL;
    }
    if (params.EnableAutoDepthStencil && !m_capabilities.isDepthFormat(params.AutoDepthStencilFormat))
        return D3DERR_INVALIDCALL;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::buildSwapChain()
{
    const int samples = m_capabilities.samplesFor(m_params.MultiSampleType, m_params.MultiSampleQuality);
    D3DSURFACE_DESC colour{m_params.BackBufferFormat, D3DRTYPE_SURFACE, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT,
                           m_params.MultiSampleType, m_params.MultiSampleQuality, m_params.BackBufferWidth,
                           m_params.BackBufferHeight};
    const uint32_t colourStorage = m_backend->createSurface(colour, samples);
    if (!colourStorage)
        return D3DERR_OUTOFVIDEOMEMORY;
    m_backBuffer = new IDirect3DSurface9(this, colour, colourStorage, true);
    if (m_params.EnableAutoDepthStencil) {
        D3DSURFACE_DESC depth = colour;
        depth.Format = m_params.AutoDepthStencilFormat;
        depth.Usage = D3DUSAGE_DEPTHSTENCIL;
        const uint32_t depthStorage = m_backend->createSurface(depth, samples);
        if (!depthStorage)
            return D3DERR_OUTOFVIDEOMEMORY;
        m_autoDepthStencil = new IDirect3DSurface9(this, depth, depthStorage, true);
    }
    bind(m_renderTarget, m_backBuffer);
    bind(m_depthStencil, m_autoDepthStencil);
    applyTargets();
    return D3D_OK;
}

void IDirect3DDevice9::dropSwapChain()
{
    bind(m_renderTarget, nullptr);
    bind(m_depthStencil, nullptr);
    if (m_backend)
        m_backend->bindTargets(0, 0);
    delete m_backBuffer;
    delete m_autoDepthStencil;
    m_backBuffer = nullptr;
    m_autoDepthStencil = nullptr;
}

void IDirect3DDevice9::bind(IDirect3DSurface9*& slot, IDirect3DSurface9* surface)
{
    if (slot == surface)
        return;
    if (surface)
        ++surface->m_bindings;
    IDirect3DSurface9* old = slot;
    slot = surface;
    if (old) {
        --old->m_bindings;
        old->destroyIfUnused();
    }
}

// Binding a render target resets the viewport to the whole target, as
// Direct3D does.
void IDirect3DDevice9::applyTargets()
{
    m_backend->bindTargets(m_renderTarget ? m_renderTarget->storage() : 0,
                           m_depthStencil ? m_depthStencil->storage() : 0);
    if (m_renderTarget) {
        m_viewport = D3DVIEWPORT9{0, 0, m_renderTarget->desc().Width, m_renderTarget->desc().Height, 0.0f, 1.0f};
        m_backend->setViewport(m_viewport);
    }
}

void IDirect3DDevice9::trackResource(IDirect3DResource9* resource)
{
    m_resources.push_back(resource);
}

void IDirect3DDevice9::untrackResource(IDirect3DResource9* resource)
{
    m_resources.erase(std::remove(m_resources.begin(), m_resources.end(), resource), m_resources.end());
}

bool IDirect3DDevice9::reportLiveResources()
{
    std::vector<const IDirect3DResource9*> alive;
    for (const IDirect3DResource9* r : m_resources)
        if (r->m_pool == D3DPOOL_DEFAULT && r->m_refs > 0)
            alive.push_back(r);
    for (const IDirect3DSurface9* s : {m_backBuffer, m_autoDepthStencil})
        if (s && s->m_refs > 0)
            alive.push_back(s);
    if (alive.empty())
        return false;
    std::fprintf(stderr, "Direct3D: Reset refused, %zu default-pool resource(s) still alive:\n", alive.size());
    for (const IDirect3DResource9* r : alive) {
        char line[160];
        r->describe(line, sizeof(line));
        std::fprintf(stderr, "  %s\n", line);
    }
    return true;
}

HRESULT IDirect3DDevice9::Reset(D3DPRESENT_PARAMETERS* params)
{
    if (!params || m_inScene)
        return D3DERR_INVALIDCALL;
    if (reportLiveResources()) {
        m_needsReset = true;
        return D3DERR_INVALIDCALL;
    }
    D3DPRESENT_PARAMETERS resolved = *params;
    HRESULT hr = resolve(resolved);
    if (FAILED(hr)) {
        m_needsReset = true;
        return hr;
    }
    // Reset puts every state back to its default and unbinds everything.
    unbindAll();
    m_state.reset(resolved.EnableAutoDepthStencil != 0);
    std::fill(m_vertexConstants.begin(), m_vertexConstants.end(), 0.0f);
    std::fill(m_pixelConstants.begin(), m_pixelConstants.end(), 0.0f);
    dropSwapChain();
    hr = m_backend->configure(resolved, presentWindowOf(resolved));
    if (SUCCEEDED(hr)) {
        m_params = resolved;
        hr = buildSwapChain();
    }
    m_needsReset = FAILED(hr);
    if (SUCCEEDED(hr))
        *params = m_params;
    return hr;
}

HRESULT IDirect3DDevice9::TestCooperativeLevel()
{
    return m_needsReset ? D3DERR_DEVICENOTRESET : D3D_OK;
}

HRESULT IDirect3DDevice9::GetDeviceCaps(D3DCAPS9* caps)
{
    if (!caps)
        return D3DERR_INVALIDCALL;
    *caps = m_capabilities.caps(m_adapter, m_type);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetSoftwareVertexProcessing(BOOL software)
{
    // Only a mixed device may switch; GL has one vertex path either way.
    if (!(m_flags & D3DCREATE_MIXED_VERTEXPROCESSING))
        return (m_flags & D3DCREATE_SOFTWARE_VERTEXPROCESSING) ? (software ? D3D_OK : D3DERR_INVALIDCALL)
                                                               : (software ? D3DERR_INVALIDCALL : D3D_OK);
    m_softwareVertexProcessing = software != 0;
    m_backend->setSoftwareVertexProcessing(m_softwareVertexProcessing);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::Present(const RECT* sourceRect, const RECT* destRect, HWND overrideWindow,
                                  const void* dirtyRegion)
{
    if (m_needsReset)
        return D3DERR_DEVICELOST;
    if (m_inScene || !m_backBuffer)
        return D3DERR_INVALIDCALL;
    return m_backend->present(m_backBuffer->storage(), overrideWindow ? overrideWindow : presentWindowOf(m_params));
}

HRESULT IDirect3DDevice9::BeginScene()
{
    if (m_inScene)
        return D3DERR_INVALIDCALL;
    m_inScene = true;
    m_backend->beginScene();
    return D3D_OK;
}

HRESULT IDirect3DDevice9::EndScene()
{
    if (!m_inScene)
        return D3DERR_INVALIDCALL;
    m_inScene = false;
    m_backend->endScene();
    return D3D_OK;
}

HRESULT IDirect3DDevice9::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR colour, float z,
                                DWORD stencil)
{
    if (flags & ~(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL))
        return D3DERR_INVALIDCALL;
    if ((flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) && !m_depthStencil)
        return D3DERR_INVALIDCALL;
    if ((flags & D3DCLEAR_STENCIL) && m_depthStencil->desc().Format != D3DFMT_D24S8)
        return D3DERR_INVALIDCALL;
    if ((flags & D3DCLEAR_TARGET) && !m_renderTarget)
        return D3DERR_INVALIDCALL;
    // Direct3D clears the viewport, cut down by each rectangle and by the
    // target's edge.
    const D3DSURFACE_DESC* target = m_renderTarget ? &m_renderTarget->desc() : nullptr;
    const RECT view{LONG(m_viewport.X), LONG(m_viewport.Y),
                    LONG(std::min<uint64_t>(uint64_t(m_viewport.X) + m_viewport.Width,
                                            target ? target->Width : uint64_t(LONG_MAX))),
                    LONG(std::min<uint64_t>(uint64_t(m_viewport.Y) + m_viewport.Height,
                                            target ? target->Height : uint64_t(LONG_MAX)))};
    auto clearArea = [&](RECT area) {
        area.left = std::max(area.left, view.left);
        area.top = std::max(area.top, view.top);
        area.right = std::min(area.right, view.right);
        area.bottom = std::min(area.bottom, view.bottom);
        if (area.left < area.right && area.top < area.bottom)
            m_backend->clear(area, flags, colour, z, stencil);
    };
    // No rectangles clears the whole viewport; a count of 0 with
    // rectangles clears nothing, as Direct3D does.
    if (!rects) {
        clearArea(view);
        return D3D_OK;
    }
    for (DWORD i = 0; i < count; ++i)
        clearArea(RECT{rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2});
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetViewport(D3DVIEWPORT9* viewport)
{
    if (!viewport)
        return D3DERR_INVALIDCALL;
    *viewport = m_viewport;
    return D3D_OK;
}

namespace {

// Twice the largest target the capability model offers, and within every GL
// implementation's viewport bound.
constexpr DWORD kMaxViewportSize = 16384;

} // namespace

HRESULT IDirect3DDevice9::SetViewport(const D3DVIEWPORT9* viewport)
{
    if (!viewport || !m_renderTarget)
        return D3DERR_INVALIDCALL;
    const D3DSURFACE_DESC& target = m_renderTarget->desc();
    // A viewport reaching past the target keeps its size, so coordinates map
    // as asked, and drawing stops at the target's edge, as drivers do. One
    // that starts outside the target or has no area is refused, and so is a
    // size no rasteriser takes. MinZ above MaxZ turns the depth range round.
    if (viewport->Width == 0 || viewport->Height == 0 || viewport->X >= target.Width
        || viewport->Y >= target.Height || viewport->Width > kMaxViewportSize || viewport->Height > kMaxViewportSize)
        return D3DERR_INVALIDCALL;
    if (!(viewport->MinZ >= 0.0f && viewport->MinZ <= 1.0f && viewport->MaxZ >= 0.0f && viewport->MaxZ <= 1.0f))
        return D3DERR_INVALIDCALL;
    m_viewport = *viewport;
    m_backend->setViewport(m_viewport);
    return D3D_OK;
}

void IDirect3DDevice9::SetGammaRamp(UINT swapChain, DWORD flags, const D3DGAMMARAMP* ramp)
{
    if (swapChain != 0 || !ramp)
        return;
    m_gamma = *ramp;
    // Calibration is the display's business; the ramp goes as it is.
    if (!m_backend->setGammaRamp(presentWindowOf(m_params), *ramp) && !m_gammaWarned) {
        m_gammaWarned = true;
        std::fprintf(stderr, "Direct3D: the display does not take a gamma ramp; it stays as it is\n");
    }
}

HRESULT IDirect3DDevice9::GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE type,
                                        IDirect3DSurface9** surface)
{
    if (!surface)
        return D3DERR_INVALIDCALL;
    *surface = nullptr;
    // One swap chain with one back buffer that can be reached: the further
    // buffers of a flip chain exist only inside GL's swap.
    if (swapChain != 0 || index != 0 || type != D3DBACKBUFFER_TYPE_MONO || !m_backBuffer)
        return D3DERR_INVALIDCALL;
    m_backBuffer->AddRef();
    *surface = m_backBuffer;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetRenderTarget(DWORD index, IDirect3DSurface9* surface)
{
    if (index != 0 || !surface || !(surface->desc().Usage & D3DUSAGE_RENDERTARGET) || !surface->storage())
        return D3DERR_INVALIDCALL;
    bind(m_renderTarget, surface);
    applyTargets();
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetRenderTarget(DWORD index, IDirect3DSurface9** surface)
{
    if (!surface)
        return D3DERR_INVALIDCALL;
    *surface = index == 0 ? m_renderTarget : nullptr;
    if (!*surface)
        return D3DERR_NOTFOUND;
    (*surface)->AddRef();
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetDepthStencilSurface(IDirect3DSurface9** surface)
{
    if (!surface)
        return D3DERR_INVALIDCALL;
    *surface = m_depthStencil;
    if (!m_depthStencil)
        return D3DERR_NOTFOUND;
    m_depthStencil->AddRef();
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetDepthStencilSurface(IDirect3DSurface9* surface)
{
    if (surface && !(surface->desc().Usage & D3DUSAGE_DEPTHSTENCIL))
        return D3DERR_INVALIDCALL;
    bind(m_depthStencil, surface);
    m_backend->bindTargets(m_renderTarget ? m_renderTarget->storage() : 0,
                           m_depthStencil ? m_depthStencil->storage() : 0);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                                    D3DMULTISAMPLE_TYPE multiSample, DWORD quality, BOOL discard,
                                                    IDirect3DSurface9** surface, HANDLE* shared)
{
    if (!surface)
        return D3DERR_INVALIDCALL;
    *surface = nullptr;
    DWORD qualities = 0;
    if (width == 0 || height == 0 || shared || !m_capabilities.isDepthFormat(format)
        || FAILED(m_capabilities.checkMultiSampleType(format, multiSample, &qualities)) || quality >= qualities)
        return D3DERR_INVALIDCALL;
    const D3DCAPS9 caps = m_capabilities.caps(m_adapter, m_type);
    if (width > caps.MaxTextureWidth || height > caps.MaxTextureHeight)
        return D3DERR_OUTOFVIDEOMEMORY;
    const D3DSURFACE_DESC desc{format, D3DRTYPE_SURFACE, D3DUSAGE_DEPTHSTENCIL, D3DPOOL_DEFAULT,
                               multiSample, quality, width, height};
    const uint32_t storage = m_backend->createSurface(desc, m_capabilities.samplesFor(multiSample, quality));
    if (!storage)
        return D3DERR_OUTOFVIDEOMEMORY;
    *surface = new IDirect3DSurface9(this, desc, storage, false);
    return D3D_OK;
}
