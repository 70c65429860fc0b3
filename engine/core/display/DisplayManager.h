#pragma once
#include "engine/core/display/AdapterInfo.h"
#include "engine/core/display/DisplayHead.h"
#include "engine/core/display/EngineSettings.h"
#include "platform/win/WinTypes.h"

#include <memory>
#include <vector>

class IDirect3D9;

// Owns Direct3D, the adapters with their capabilities and modes, the
// application's top-level windows and one device per display head.
class DisplayManager {
public:
    DisplayManager();
    virtual ~DisplayManager();
    // It owns Direct3D, the devices and the settings: a copy would release
    // and free them twice.
    DisplayManager(const DisplayManager&) = delete;
    DisplayManager& operator=(const DisplayManager&) = delete;

    // The one display manager of the process, null before it exists.
    static DisplayManager* instance();

    bool init(const char* message, const char* caption);
    void setTitle(const char* text);
    bool createWindows(const char* className, HINSTANCE instance);
    HRESULT resetDevices();
    void hideWindows();
    void shutdown();

    void checkBackBufferFormats(int adapter, D3DDEVTYPE deviceType, D3DFORMAT displayFormat, BOOL windowed);
    void checkMultiSampleTypes(int adapter, D3DDEVTYPE deviceType, D3DFORMAT format, BOOL windowed);
    void checkDepthStencilFormats(int adapter, D3DDEVTYPE deviceType, D3DFORMAT displayFormat,
                                  D3DFORMAT renderTargetFormat);

    IDirect3D9* m_d3d = nullptr;
    int32_t m_adapterCount = 0;
    int32_t m_numHeads = 0;
    std::vector<AdapterInfo> m_adapters;
    std::vector<DisplayHead> m_heads;
    std::unique_ptr<EngineSettings> m_settings;
    // 0 none, 3 dual-head stereo on one adapter group, 4 full-screen stereo
    // over two adapters.
    int32_t m_stereoMode = 0;

private:
    bool createDevice(DisplayHead& head);
    void chooseDepthStencilFormat(DisplayHead& head);
    bool validAdapter(int adapter) const;
};
