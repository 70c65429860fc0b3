#pragma once
#include "RecordedReports.h"
#include "platform/d3d9/D3D9Backend.h"

#include <string>
#include <vector>

class IDirect3DDevice9;
class RecordingBackend;

// Puts the process on the recording Direct3D backend with the standard
// recording machine, an empty registry and the report switch recording, and
// puts everything back afterwards.
class RecordingWorld {
public:
    RecordingWorld();
    ~RecordingWorld();
    RecordingWorld(const RecordingWorld&) = delete;
    RecordingWorld& operator=(const RecordingWorld&) = delete;

    // Registry text for the rest of the test ("" = no registry file).
    void setRegistry(const std::string& text);
    RecordingSetup& setup() { return recordingSetup(); }

private:
    RecordedReports m_reports;
    std::string m_registryPath;
};

// The recording backend under a device made in a RecordingWorld, and the
// calls it recorded that start with `prefix`, in order.
RecordingBackend& recordingBackend(IDirect3DDevice9* device);
std::vector<std::string> recordedCalls(IDirect3DDevice9* device, const std::string& prefix);
