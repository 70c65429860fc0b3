#include "engine/core/display/DisplayManager.h"

#include "engine/core/base/EngineLog.h"
#include "engine/core/display/FormatRequirements.h"
#include "engine/core/base/Report.h"
#include "platform/d3d9/Direct3D9.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/win/MessageBox.h"
#include "platform/win/MessageQueue.h"
#include "platform/win/Window.h"

#include <ios>

namespace {

DisplayManager* g_instance = nullptr;

const char* const kDeviceFailed = "Creation of Direct3D Device failed.";

// Device creation lowers the x87 unit to 24-bit precision on Windows. On
// x86-64 all float arithmetic runs in SSE registers, whose precision no
// control word changes, so there is nothing to put back.
void restoreFloatingPointPrecision()
{
}

} // namespace

DisplayManager::DisplayManager() : m_settings(std::make_unique<EngineSettings>())
{
    g_instance = this;
}

DisplayManager::~DisplayManager()
{
    shutdown();
    if (g_instance == this)
        g_instance = nullptr;
}

DisplayManager* DisplayManager::instance()
{
    return g_instance;
}

bool DisplayManager::validAdapter(int adapter) const
{
    return adapter >= 0 && adapter < m_adapterCount;
}

bool DisplayManager::init(const char* message, const char* caption)
{
    // A second init starts over rather than leaking the first Direct3D.
    if (m_d3d)
        shutdown();
    m_d3d = Direct3DCreate9(D3D_SDK_VERSION);
    // Without a single adapter there is no Direct3D to work with either, and
    // every later step would index an empty list.
    if (m_d3d && m_d3d->GetAdapterCount() == 0) {
        m_d3d->Release();
        m_d3d = nullptr;
    }
    if (!m_d3d) {
        MessageBoxA(nullptr, message, caption, MB_ICONHAND);
        return false;
    }
    m_adapterCount = int32_t(m_d3d->GetAdapterCount());
    m_adapters.assign(size_t(m_adapterCount), AdapterInfo{});
    engineLog() << "number of adapters: " << m_adapterCount << "\n";

    for (int32_t a = 0; a < m_adapterCount; ++a) {
        AdapterInfo& info = m_adapters[size_t(a)];
        m_d3d->GetAdapterIdentifier(UINT(a), 0, &info.identifier);
        engineLog() << "adapter " << a << ": " << info.identifier.Description << "\n";
        info.monitor = m_d3d->GetAdapterMonitor(UINT(a));
        m_d3d->GetDeviceCaps(UINT(a), D3DDEVTYPE_HAL, &info.caps);
        info.modeCount = int32_t(m_d3d->GetAdapterModeCount(UINT(a), D3DFMT_X8R8G8B8));
        info.modes.resize(size_t(info.modeCount));
        for (int32_t m = 0; m < info.modeCount; ++m)
            m_d3d->EnumAdapterModes(UINT(a), D3DFMT_X8R8G8B8, UINT(m), &info.modes[size_t(m)]);
        m_d3d->GetAdapterDisplayMode(UINT(a), &info.currentMode);
        const uint64_t version = uint64_t(info.identifier.DriverVersion.QuadPart);
        engineLog() << "driver version: " << ((version >> 48) & 0xFFFF) << "." << ((version >> 32) & 0xFFFF) << "."
                    << ((version >> 16) & 0xFFFF) << "." << (version & 0xFFFF) << "\n";
    }
    for (AdapterInfo& info : m_adapters)
        if (info.caps.AdapterOrdinalInGroup != 0 && info.caps.MasterAdapterOrdinal < UINT(m_adapterCount))
            info.master = &m_adapters[info.caps.MasterAdapterOrdinal];
    return true;
}

void DisplayManager::setTitle(const char* text)
{
    m_settings->title.assignCString(text);
}

bool DisplayManager::createWindows(const char* className, HINSTANCE instance)
{
    if (!m_d3d || m_adapterCount <= 0) {
        MessageBoxA(nullptr, kDeviceFailed, "Error", MB_ICONHAND);
        return false;
    }
    m_numHeads = m_stereoMode == 4 ? 2 : 1;
    if (m_stereoMode == 4 && !m_settings->windowed && m_adapterCount < 2) {
        MessageBoxA(nullptr, "For fullscreen stereo two adapters are required.", "Error", MB_ICONHAND);
        return false;
    }
    m_heads.assign(size_t(m_numHeads), DisplayHead{});
    for (int32_t h = 0; h < m_numHeads; ++h) {
        DisplayHead& head = m_heads[size_t(h)];
        // The settings may name an adapter that has gone since they were
        // saved; the modulo keeps the index in range either way.
        int32_t index = (m_settings->adapterIndex + h) % m_adapterCount;
        if (index < 0)
            index += m_adapterCount;
        // A driver naming a master beyond the adapters it reported leaves
        // the head where it is; the group check below then refuses it.
        if (m_stereoMode == 3 && m_adapters[size_t(index)].caps.NumberOfAdaptersInGroup == 0
            && m_adapters[size_t(index)].caps.MasterAdapterOrdinal < UINT(m_adapterCount))
            index = int32_t(m_adapters[size_t(index)].caps.MasterAdapterOrdinal);
        head.adapterIndex = index;
        head.adapter = &m_adapters[size_t(index)];
        head.deviceType = m_settings->referenceDevice ? 2 : 1;
        if (m_stereoMode == 3)
            head.windowCount = int32_t(head.adapter->caps.NumberOfAdaptersInGroup);
        if (!(head.adapter->caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT))
            m_settings->softwareVertexProcessing = 1;
        // A group of none would leave the head without a window to create
        // its device on: as unusable for dual-head stereo as a group of one.
        if (m_stereoMode == 3 && h == 0 && head.adapter->caps.NumberOfAdaptersInGroup <= 1) {
            MessageBoxA(nullptr,
                        "For dualhead stereo support two monitors are required to be connected to the adapter.\n"
                        "Please refer to the manual on how to set up your system appropriately.",
                        "Error", MB_ICONHAND);
            return false;
        }
    }
    for (int32_t h = 0; h < m_numHeads; ++h) {
        DisplayHead& head = m_heads[size_t(h)];
        for (int32_t w = 0; w < head.windowCount; ++w) {
            RECT rect{0, 0, m_settings->windowWidth, m_settings->windowHeight};
            AdjustWindowRect(&rect, WS_OVERLAPPEDWINDOW, FALSE);
            head.windows.push_back(CreateWindowExA(0, className, m_settings->title.c_str(), WS_OVERLAPPEDWINDOW,
                                                   m_settings->windowWidth * h, 0, rect.right - rect.left,
                                                   rect.bottom - rect.top, nullptr, nullptr, instance, nullptr));
        }
    }
    for (DisplayHead& head : m_heads) {
        if (!createDevice(head)) {
            MessageBoxA(nullptr, kDeviceFailed, "Error", MB_ICONHAND);
            return false;
        }
    }
    restoreFloatingPointPrecision();
    return true;
}

void DisplayManager::chooseDepthStencilFormat(DisplayHead& head)
{
    FormatRequirements req;
    req.m_min[0] = formatChannel(0);
    req.m_min[1] = formatChannel(15);
    req.m_preferred[0] = formatChannel(8);
    req.m_preferred[1] = formatChannel(24, FormatFloat);
    for (uint32_t& field : req.m_max)
        field = formatChannel(32, FormatFloat);
    req.m_requiredFlags = FormatClassDepth;
    req.m_allowedFlags = FormatClassDisplay | FormatClassDepth | FormatClassDiscardable;
    req.m_preferredFlags.push_back(int32_t(FormatClassDiscardable));
    head.depthStencilFormat = req.choose(head.adapter->depthStencilFormats);
    if (!head.depthStencilFormat)
        reportAssertion("m_autoDepthStencilDesc != 0 && \"device does not support depth/stencil?\"");
}

bool DisplayManager::createDevice(DisplayHead& head)
{
    chooseDepthStencilFormat(head);
    const EngineSettings& s = *m_settings;
    head.presentParams.assign(size_t(head.windowCount), D3DPRESENT_PARAMETERS{});
    for (int32_t i = 0; i < head.windowCount; ++i) {
        D3DPRESENT_PARAMETERS& pp = head.presentParams[size_t(i)];
        pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        pp.BackBufferCount = 2;
        pp.MultiSampleType = D3DMULTISAMPLE_TYPE(s.multisampleType);
        pp.MultiSampleQuality = s.multisampleQuality;
        pp.PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
        pp.hDeviceWindow = head.windows[size_t(i)];
        pp.EnableAutoDepthStencil = head.depthStencilFormat ? TRUE : FALSE;
        pp.AutoDepthStencilFormat = head.depthStencilFormat ? head.depthStencilFormat->format : D3DFMT_UNKNOWN;
        pp.Flags = D3DPRESENTFLAG_DISCARD_DEPTHSTENCIL;
        pp.BackBufferFormat = s.backBufferFormat;
        if (s.windowed) {
            pp.Windowed = TRUE;
            pp.BackBufferWidth = 0;
            pp.BackBufferHeight = 0;
            if (head.windowCount > 1)
                reportAssertion("m_numHeads == 1");
        } else {
            pp.Windowed = FALSE;
            pp.BackBufferWidth = UINT(s.width);
            pp.BackBufferHeight = UINT(s.height);
            pp.FullScreen_RefreshRateInHz = 0;
        }
    }

    DWORD flags = D3DCREATE_MULTITHREADED;
    if (s.pureDevice)
        flags |= D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_PUREDEVICE;
    else if (s.softwareVertexProcessing)
        flags |= D3DCREATE_SOFTWARE_VERTEXPROCESSING;
    else if ((head.adapter->caps.VertexShaderVersion & 0xFFFF) < 0x101)
        flags |= D3DCREATE_MIXED_VERTEXPROCESSING;
    else
        flags |= D3DCREATE_HARDWARE_VERTEXPROCESSING;
    if (head.windowCount >= 2)
        flags |= D3DCREATE_ADAPTERGROUP_DEVICE;

    const D3DDEVTYPE type = head.deviceType == 2 ? D3DDEVTYPE_REF : D3DDEVTYPE_HAL;
    engineLog() << "trying to create the d3d device for adapter " << head.adapterIndex << "... ";
    HRESULT hr = m_d3d->CreateDevice(UINT(head.adapterIndex), type, head.windows[0], flags, head.presentParams.data(),
                                     &head.device);
    if (FAILED(hr)) {
        engineLog() << "failed! (0x" << std::hex << uint32_t(hr) << std::dec << ")\n";
        engineLog() << "CreateDevice first attempt failed, starting second attempt... ";
        hr = m_d3d->CreateDevice(UINT(head.adapterIndex), type, head.windows[0], flags, head.presentParams.data(),
                                 &head.device);
        if (FAILED(hr)) {
            engineLog() << "CreateDevice failed... exiting...\n";
            head.device = nullptr;
            return false;
        }
    }
    engineLog() << "succeeded!\n";
    return true;
}

HRESULT DisplayManager::resetDevices()
{
    HRESULT hr = D3D_OK;
    for (DisplayHead& head : m_heads) {
        if (!head.device)
            continue;
        hr = head.device->Reset(head.presentParams.data());
        RECT rect{0, 0, m_settings->width, m_settings->height};
        AdjustWindowRect(&rect, WS_OVERLAPPEDWINDOW, FALSE);
        for (HWND window : head.windows) {
            // The frame goes where the adjusted rectangle puts it, so that
            // the client area starts at 0, 0.
            MoveWindow(window, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
            if (m_settings->windowed)
                SetWindowPos(window, HWND_NOTOPMOST, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                             SWP_NOSIZE);
        }
    }
    restoreFloatingPointPrecision();
    return hr;
}

void DisplayManager::hideWindows()
{
    for (DisplayHead& head : m_heads)
        for (HWND window : head.windows)
            ShowWindow(window, SW_HIDE);
}

void DisplayManager::shutdown()
{
    m_adapters.clear();
    m_adapterCount = 0;
    bool destroyed = false;
    for (DisplayHead& head : m_heads) {
        head.presentParams.clear();
        if (head.device)
            head.device->Release();
        head.device = nullptr;
        for (HWND window : head.windows)
            destroyed = DestroyWindow(window) || destroyed;
        head.windows.clear();
    }
    m_heads.clear();
    m_numHeads = 0;
    if (destroyed) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (GetMessageA(&msg, nullptr, 0, 0) <= 0)
                continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    if (m_d3d)
        m_d3d->Release();
    m_d3d = nullptr;
}

void DisplayManager::checkMultiSampleTypes(int adapter, D3DDEVTYPE deviceType, D3DFORMAT format, BOOL windowed)
{
    if (!m_d3d || !validAdapter(adapter))
        return;
    AdapterInfo& info = m_adapters[size_t(adapter)];
    info.multisampleTypes.clear();
    for (int type = 2; type <= 16; ++type)
        if (SUCCEEDED(m_d3d->CheckDeviceMultiSampleType(UINT(adapter), deviceType, format, windowed,
                                                         D3DMULTISAMPLE_TYPE(type), nullptr)))
            info.multisampleTypes.push_back(type);
    DWORD qualities = 0;
    if (FAILED(m_d3d->CheckDeviceMultiSampleType(UINT(adapter), deviceType, format, windowed,
                                                  D3DMULTISAMPLE_NONMASKABLE, &qualities)))
        qualities = 0;
    info.nonMaskableQualities = qualities;

    EngineSettings& s = *m_settings;
    const int32_t highest = info.multisampleTypes.empty() ? 0 : info.multisampleTypes.back();
    if (s.multisampleType == 0) {
        s.multisampleQuality = 0;
    } else if (s.multisampleType >= 2 && s.multisampleType <= 16) {
        int32_t chosen = 0;
        for (int32_t type : info.multisampleTypes)
            if (type <= s.multisampleType)
                chosen = type;
        s.multisampleType = chosen;
        s.multisampleQuality = 0;
    } else if (qualities != 0) {
        s.multisampleType = D3DMULTISAMPLE_NONMASKABLE;
        if (s.multisampleQuality > qualities - 1)
            s.multisampleQuality = qualities - 1;
    } else {
        s.multisampleType = highest;
        s.multisampleQuality = 0;
    }
}

void DisplayManager::checkBackBufferFormats(int adapter, D3DDEVTYPE deviceType, D3DFORMAT displayFormat,
                                            BOOL windowed)
{
    if (!m_d3d || !validAdapter(adapter))
        return;
    AdapterInfo& info = m_adapters[size_t(adapter)];
    info.backBufferFormats.clear();
    for (D3DFORMAT candidate : {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5,
                                D3DFMT_A2R10G10B10})
        if (SUCCEEDED(m_d3d->CheckDeviceType(UINT(adapter), deviceType, displayFormat, candidate, windowed)))
            info.backBufferFormats.push_back(findFormatDescription(candidate));

    info.textureFormats.clear();
    info.cubeTextureFormats.clear();
    info.volumeTextureFormats.clear();
    info.renderTargetFormats.clear();
    const bool cubes = (info.caps.TextureCaps & D3DPTEXTURECAPS_CUBEMAP) != 0;
    const bool volumes = (info.caps.TextureCaps & D3DPTEXTURECAPS_VOLUMEMAP) != 0;
    auto supported = [&](DWORD usage, D3DRESOURCETYPE type, D3DFORMAT format) {
        return SUCCEEDED(m_d3d->CheckDeviceFormat(UINT(adapter), deviceType, displayFormat, usage, type, format));
    };
    for (int i = 0; i < formatTableSize; ++i) {
        const FormatDescription* d = &formatTable()[i];
        if (d->flags & FormatClassDepth) {
            if (supported(D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_TEXTURE, d->format))
                info.renderTargetFormats.push_back(d);
            continue;
        }
        if (supported(0, D3DRTYPE_TEXTURE, d->format))
            info.textureFormats.push_back(d);
        if (cubes && supported(0, D3DRTYPE_CUBETEXTURE, d->format))
            info.cubeTextureFormats.push_back(d);
        if (volumes && supported(0, D3DRTYPE_VOLUMETEXTURE, d->format))
            info.volumeTextureFormats.push_back(d);
        if (supported(D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, d->format))
            info.renderTargetFormats.push_back(d);
    }
}

void DisplayManager::checkDepthStencilFormats(int adapter, D3DDEVTYPE deviceType, D3DFORMAT displayFormat,
                                              D3DFORMAT renderTargetFormat)
{
    if (!m_d3d || !validAdapter(adapter))
        return;
    AdapterInfo& info = m_adapters[size_t(adapter)];
    info.depthStencilFormats.clear();
    for (int i = 0; i < formatTableSize; ++i) {
        const FormatDescription* d = &formatTable()[i];
        if (!(d->flags & FormatClassDepth))
            continue;
        if (SUCCEEDED(m_d3d->CheckDeviceFormat(UINT(adapter), deviceType, displayFormat, D3DUSAGE_DEPTHSTENCIL,
                                               D3DRTYPE_SURFACE, d->format))
            && SUCCEEDED(m_d3d->CheckDepthStencilMatch(UINT(adapter), deviceType, displayFormat, renderTargetFormat,
                                                       d->format)))
            info.depthStencilFormats.push_back(d);
    }
}
