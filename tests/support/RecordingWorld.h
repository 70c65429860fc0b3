#pragma once
#include "platform/d3d9/D3D9Backend.h"

#include <string>

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
    std::string m_registryPath;
};
