#pragma once
// A Direct3D device on the recording backend (no GL): a 64x48 window, an
// X8R8G8B8 back buffer with a D24S8 depth-stencil surface. The backend's
// log and test seams are reachable through recording().
#include "platform/d3d9/D3D9Types.h"
#include "platform/win/Window.h"

#include <string>
#include <vector>

class IDirect3D9;
class IDirect3DDevice9;
class RecordingBackend;

class RecordingDevice {
public:
    RecordingDevice();
    ~RecordingDevice();
    RecordingDevice(const RecordingDevice&) = delete;
    RecordingDevice& operator=(const RecordingDevice&) = delete;

    IDirect3DDevice9* device() const { return m_device; }
    IDirect3DDevice9* operator->() const { return m_device; }
    RecordingBackend& recording() const;
    // Log lines since the last call that start with `prefix`.
    std::vector<std::string> take(const std::string& prefix = "");
    // Releases the device; answers what its Release returned.
    unsigned long releaseDevice();

private:
    HWND m_window = nullptr;
    IDirect3D9* m_d3d = nullptr;
    IDirect3DDevice9* m_device = nullptr;
};
