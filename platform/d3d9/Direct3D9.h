#pragma once
#include "platform/d3d9/CapabilityModel.h"
#include "platform/d3d9/D3D9Backend.h"
#include "platform/d3d9/D3D9Types.h"

#include <string>
#include <vector>

class IDirect3DDevice9;

// The adapters are SDL's displays (or the recording setup's), one adapter
// group each; every capability and format answer comes from the backend's
// capability model.
class IDirect3D9 {
public:
    ULONG AddRef();
    ULONG Release();

    UINT GetAdapterCount();
    HRESULT GetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER9* identifier);
    UINT GetAdapterModeCount(UINT adapter, D3DFORMAT format);
    HRESULT EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT mode, D3DDISPLAYMODE* displayMode);
    HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* displayMode);
    HMONITOR GetAdapterMonitor(UINT adapter);
    HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps);
    HRESULT CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, D3DFORMAT backBufferFormat,
                            BOOL windowed);
    HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                              D3DRESOURCETYPE resourceType, D3DFORMAT format);
    HRESULT CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE type, D3DFORMAT surfaceFormat, BOOL windowed,
                                       D3DMULTISAMPLE_TYPE multiSample, DWORD* qualityLevels);
    HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                   D3DFORMAT renderTargetFormat, D3DFORMAT depthStencilFormat);
    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviourFlags,
                         D3DPRESENT_PARAMETERS* params, IDirect3DDevice9** device);

    // Layer internals.
    struct Adapter {
        std::string description;
        std::vector<D3DDISPLAYMODE> modes;
        D3DDISPLAYMODE currentMode;
    };
    IDirect3D9(D3D9Backend backend, std::vector<Adapter> adapters, const CapabilityModel& capabilities);
    D3D9Backend backendKind() const { return m_backend; }

    IDirect3D9(const IDirect3D9&) = delete;
    IDirect3D9& operator=(const IDirect3D9&) = delete;

private:
    ~IDirect3D9() = default;
    bool validAdapter(UINT adapter, D3DDEVTYPE type) const;

    ULONG m_refs = 1;
    D3D9Backend m_backend;
    std::vector<Adapter> m_adapters;
    CapabilityModel m_capabilities;
};

// Null for any SDK version but D3D_SDK_VERSION, and when the GL backend has
// no display to work on.
IDirect3D9* Direct3DCreate9(UINT sdkVersion);
