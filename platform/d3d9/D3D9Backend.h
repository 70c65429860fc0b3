#pragma once
#include "platform/d3d9/CapabilityModel.h"

#include <string>
#include <vector>

// Which device backend Direct3DCreate9 builds on: the GL one, or the
// recording one that draws into memory and logs every call. The default is
// $VORLUND_D3D_BACKEND ("record" or "gl"), else GL.
enum class D3D9Backend { Default, Gl, Recording };
void selectD3D9Backend(D3D9Backend backend);
D3D9Backend activeD3D9Backend();

// The world the recording backend pretends to run in. Tests change it
// before Direct3DCreate9 to model other machines.
struct RecordingAdapter {
    std::string description = "Recording adapter";
    std::vector<D3DDISPLAYMODE> modes;
    D3DDISPLAYMODE currentMode{1280, 1024, 60, D3DFMT_X8R8G8B8};
};

struct RecordingSetup {
    std::vector<RecordingAdapter> adapters;
    CapabilityModel capabilities = CapabilityModel::gl();
    // CreateDevice answers D3DERR_NOTAVAILABLE this many times first.
    int createDeviceFailures = 0;

    static RecordingSetup standard();
};
RecordingSetup& recordingSetup();
