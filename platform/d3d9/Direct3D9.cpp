#include "platform/d3d9/Direct3D9.h"

#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/GlBackend.h"
#include "platform/d3d9/RecordingBackend.h"
#include "platform/win/SdlVideo.h"
#include "platform/win/WindowRecord.h"

#include <SDL2/SDL.h>
#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

D3DFORMAT formatOfSdl(Uint32 format)
{
    switch (SDL_BITSPERPIXEL(format)) {
    case 24:
    case 32:
        return D3DFMT_X8R8G8B8;
    case 16:
        return D3DFMT_R5G6B5;
    case 15:
        return D3DFMT_X1R5G5B5;
    default:
        return D3DFMT_UNKNOWN;
    }
}

std::vector<IDirect3D9::Adapter> sdlAdapters()
{
    std::vector<IDirect3D9::Adapter> adapters;
    const int displays = SDL_GetNumVideoDisplays();
    for (int d = 0; d < displays; ++d) {
        IDirect3D9::Adapter adapter;
        const char* name = SDL_GetDisplayName(d);
        adapter.description = std::string("OpenGL on ") + (name ? name : "display");
        SDL_DisplayMode current{};
        if (SDL_GetDesktopDisplayMode(d, &current) != 0)
            continue;
        adapter.currentMode = {UINT(current.w), UINT(current.h), UINT(current.refresh_rate), formatOfSdl(current.format)};
        for (int m = 0; m < SDL_GetNumDisplayModes(d); ++m) {
            SDL_DisplayMode mode{};
            if (SDL_GetDisplayMode(d, m, &mode) != 0)
                continue;
            const D3DDISPLAYMODE dm{UINT(mode.w), UINT(mode.h), UINT(mode.refresh_rate), formatOfSdl(mode.format)};
            const bool seen = std::any_of(adapter.modes.begin(), adapter.modes.end(), [&](const D3DDISPLAYMODE& o) {
                return o.Width == dm.Width && o.Height == dm.Height && o.RefreshRate == dm.RefreshRate
                       && o.Format == dm.Format;
            });
            if (!seen && dm.Format != D3DFMT_UNKNOWN)
                adapter.modes.push_back(dm);
        }
        // Direct3D lists modes from the smallest up; SDL from the largest down.
        std::sort(adapter.modes.begin(), adapter.modes.end(), [](const D3DDISPLAYMODE& a, const D3DDISPLAYMODE& b) {
            if (a.Width != b.Width)
                return a.Width < b.Width;
            if (a.Height != b.Height)
                return a.Height < b.Height;
            return a.RefreshRate < b.RefreshRate;
        });
        adapters.push_back(adapter);
    }
    return adapters;
}

} // namespace

IDirect3D9* Direct3DCreate9(UINT sdkVersion)
{
    if (sdkVersion != D3D_SDK_VERSION)
        return nullptr;
    const D3D9Backend backend = activeD3D9Backend();
    if (backend == D3D9Backend::Recording) {
        std::vector<IDirect3D9::Adapter> adapters;
        for (const RecordingAdapter& a : recordingSetup().adapters)
            adapters.push_back({a.description, a.modes, a.currentMode});
        return new IDirect3D9(backend, adapters, recordingSetup().capabilities);
    }
    if (!sdlVideoReady())
        return nullptr;
    return new IDirect3D9(backend, sdlAdapters(), CapabilityModel::gl());
}

IDirect3D9::IDirect3D9(D3D9Backend backend, std::vector<Adapter> adapters, const CapabilityModel& capabilities)
    : m_backend(backend), m_adapters(std::move(adapters)), m_capabilities(capabilities)
{
}

ULONG IDirect3D9::AddRef()
{
    return ++m_refs;
}

ULONG IDirect3D9::Release()
{
    const ULONG left = --m_refs;
    if (left == 0)
        delete this;
    return left;
}

bool IDirect3D9::validAdapter(UINT adapter, D3DDEVTYPE type) const
{
    return adapter < m_adapters.size() && (type == D3DDEVTYPE_HAL || type == D3DDEVTYPE_REF);
}

UINT IDirect3D9::GetAdapterCount()
{
    return UINT(m_adapters.size());
}

HRESULT IDirect3D9::GetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER9* identifier)
{
    if (adapter >= m_adapters.size() || !identifier)
        return D3DERR_INVALIDCALL;
    std::memset(identifier, 0, sizeof(*identifier));
    std::snprintf(identifier->Driver, sizeof(identifier->Driver), "%s",
                  m_backend == D3D9Backend::Recording ? "vorlund-record" : "vorlund-gl");
    std::snprintf(identifier->Description, sizeof(identifier->Description), "%s",
                  m_adapters[adapter].description.c_str());
    std::snprintf(identifier->DeviceName, sizeof(identifier->DeviceName), "\\\\.\\DISPLAY%u", adapter + 1);
    // product.version.subversion.build: the layer is product 1, and the SDL
    // release it runs on is the rest.
    SDL_version sdl;
    SDL_GetVersion(&sdl);
    identifier->DriverVersion.HighPart = LONG((1u << 16) | sdl.major);
    identifier->DriverVersion.LowPart = (DWORD(sdl.minor) << 16) | sdl.patch;
    identifier->DeviceIdentifier.Data1 = adapter + 1;
    return D3D_OK;
}

UINT IDirect3D9::GetAdapterModeCount(UINT adapter, D3DFORMAT format)
{
    if (adapter >= m_adapters.size())
        return 0;
    return UINT(std::count_if(m_adapters[adapter].modes.begin(), m_adapters[adapter].modes.end(),
                              [&](const D3DDISPLAYMODE& m) { return m.Format == format; }));
}

HRESULT IDirect3D9::EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT mode, D3DDISPLAYMODE* displayMode)
{
    if (adapter >= m_adapters.size() || !displayMode)
        return D3DERR_INVALIDCALL;
    UINT index = 0;
    for (const D3DDISPLAYMODE& m : m_adapters[adapter].modes) {
        if (m.Format != format)
            continue;
        if (index++ == mode) {
            *displayMode = m;
            return D3D_OK;
        }
    }
    return D3DERR_INVALIDCALL;
}

HRESULT IDirect3D9::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* displayMode)
{
    if (adapter >= m_adapters.size() || !displayMode)
        return D3DERR_INVALIDCALL;
    *displayMode = m_adapters[adapter].currentMode;
    return D3D_OK;
}

HMONITOR IDirect3D9::GetAdapterMonitor(UINT adapter)
{
    if (adapter >= m_adapters.size())
        return nullptr;
    return reinterpret_cast<HMONITOR>(uintptr_t(adapter) + 1);
}

HRESULT IDirect3D9::GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps)
{
    if (!validAdapter(adapter, type) || !caps)
        return D3DERR_INVALIDCALL;
    *caps = m_capabilities.caps(adapter, type);
    return D3D_OK;
}

HRESULT IDirect3D9::CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                    D3DFORMAT backBufferFormat, BOOL windowed)
{
    if (!validAdapter(adapter, type))
        return D3DERR_INVALIDCALL;
    return m_capabilities.checkDeviceType(adapterFormat, backBufferFormat, windowed);
}

HRESULT IDirect3D9::CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                      D3DRESOURCETYPE resourceType, D3DFORMAT format)
{
    if (!validAdapter(adapter, type))
        return D3DERR_INVALIDCALL;
    return m_capabilities.checkDeviceFormat(adapterFormat, usage, resourceType, format);
}

HRESULT IDirect3D9::CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE type, D3DFORMAT surfaceFormat,
                                               BOOL windowed, D3DMULTISAMPLE_TYPE multiSample, DWORD* qualityLevels)
{
    if (qualityLevels)
        *qualityLevels = 0;
    if (!validAdapter(adapter, type) || DWORD(multiSample) > 16)
        return D3DERR_INVALIDCALL;
    return m_capabilities.checkMultiSampleType(surfaceFormat, multiSample, qualityLevels);
}

HRESULT IDirect3D9::CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                           D3DFORMAT renderTargetFormat, D3DFORMAT depthStencilFormat)
{
    if (!validAdapter(adapter, type))
        return D3DERR_INVALIDCALL;
    return m_capabilities.checkDepthStencilMatch(adapterFormat, renderTargetFormat, depthStencilFormat);
}

HRESULT IDirect3D9::CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviourFlags,
                                 D3DPRESENT_PARAMETERS* params, IDirect3DDevice9** device)
{
    if (!device)
        return D3DERR_INVALIDCALL;
    *device = nullptr;
    if (!validAdapter(adapter, type) || !params || !windowIsLive(focusWindow))
        return D3DERR_INVALIDCALL;
    const DWORD processing = behaviourFlags
                             & (D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING
                                | D3DCREATE_MIXED_VERTEXPROCESSING);
    if (processing != D3DCREATE_SOFTWARE_VERTEXPROCESSING && processing != D3DCREATE_HARDWARE_VERTEXPROCESSING
        && processing != D3DCREATE_MIXED_VERTEXPROCESSING)
        return D3DERR_INVALIDCALL;
    if ((behaviourFlags & D3DCREATE_PUREDEVICE) && processing != D3DCREATE_HARDWARE_VERTEXPROCESSING)
        return D3DERR_INVALIDCALL;
    if ((processing != D3DCREATE_SOFTWARE_VERTEXPROCESSING)
        && !(m_capabilities.devCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT))
        return D3DERR_NOTAVAILABLE;
    // Only one adapter group of one adapter exists, so a group device is an
    // ordinary one with one window.
    std::unique_ptr<DeviceBackend> backend;
    if (m_backend == D3D9Backend::Recording) {
        if (recordingSetup().createDeviceFailures > 0) {
            --recordingSetup().createDeviceFailures;
            return D3DERR_NOTAVAILABLE;
        }
        backend = std::make_unique<RecordingBackend>();
    } else {
        backend = std::make_unique<GlBackend>(m_capabilities);
    }
    auto* created = new IDirect3DDevice9(this, adapter, type, focusWindow, behaviourFlags, m_capabilities,
                                         std::move(backend));
    const HRESULT hr = created->start(params);
    if (FAILED(hr)) {
        created->Release();
        return hr;
    }
    *device = created;
    return D3D_OK;
}
