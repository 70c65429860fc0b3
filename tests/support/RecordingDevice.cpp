#include "RecordingDevice.h"

#include "DeviceReadBack.h"
#include "platform/d3d9/D3D9Backend.h"
#include "platform/d3d9/Direct3D9.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/RecordingBackend.h"

RecordingDevice::RecordingDevice()
{
    selectD3D9Backend(D3D9Backend::Recording);
    recordingSetup() = RecordingSetup::standard();
    m_window = CreateWindowExA(0, testWindowClass(), "recording device", WS_OVERLAPPEDWINDOW, 0, 0, 64, 48, nullptr,
                               nullptr, nullptr, nullptr);
    m_d3d = Direct3DCreate9(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS pp{};
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.Windowed = TRUE;
    pp.hDeviceWindow = m_window;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D24S8;
    if (m_d3d)
        m_d3d->CreateDevice(0, D3DDEVTYPE_HAL, m_window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &m_device);
}

RecordingDevice::~RecordingDevice()
{
    releaseDevice();
    if (m_d3d)
        m_d3d->Release();
    if (m_window)
        DestroyWindow(m_window);
    selectD3D9Backend(D3D9Backend::Default);
}

unsigned long RecordingDevice::releaseDevice()
{
    unsigned long left = 0;
    if (m_device)
        left = m_device->Release();
    m_device = nullptr;
    return left;
}

RecordingBackend& RecordingDevice::recording() const
{
    return static_cast<RecordingBackend&>(m_device->backend());
}

std::vector<std::string> RecordingDevice::take(const std::string& prefix)
{
    std::vector<std::string> lines;
    for (const std::string& line : recording().calls())
        if (line.compare(0, prefix.size(), prefix) == 0)
            lines.push_back(line);
    recording().clearCalls();
    return lines;
}
