#include "engine/core/display/ScreenTarget.h"

#include "engine/core/display/DisplayManager.h"
#include "engine/core/render/Renderer.h"
#include "platform/d3d9/Direct3DResource9.h"
#include "platform/win/DisplaySettings.h"

ScreenTarget::ScreenTarget(Renderer* renderer) : m_renderer(renderer)
{
    const EngineSettings& s = *renderer->m_displayManager->m_settings;
    if (s.windowed) {
        DEVMODEA mode{};
        mode.dmSize = sizeof(mode);
        // Without a display the size stays 0 rather than garbage.
        if (EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode)) {
            m_width = int32_t(mode.dmPelsWidth);
            m_height = int32_t(mode.dmPelsHeight);
        }
    } else {
        m_width = s.width;
        m_height = s.height;
    }
    m_useBackBuffer = s.backBufferFormat == D3DFMT_A8R8G8B8 && s.multisampleType == 0 ? 1 : 0;
}

ScreenTarget::~ScreenTarget()
{
    release();
    if (m_objects[0])
        m_objects[0]->Release();
    m_objects[0] = nullptr;
}

void ScreenTarget::release()
{
    for (int i = 1; i < 3; ++i) {
        if (m_objects[i])
            m_objects[i]->Release();
        m_objects[i] = nullptr;
    }
    m_value0 = 0;
    m_value1 = 0;
    m_name.assignCString("");
}
