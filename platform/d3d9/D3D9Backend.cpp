#include "platform/d3d9/D3D9Backend.h"

#include <cstdlib>
#include <cstring>

namespace {
D3D9Backend g_selected = D3D9Backend::Default;
}

void selectD3D9Backend(D3D9Backend backend)
{
    g_selected = backend;
}

D3D9Backend activeD3D9Backend()
{
    if (g_selected != D3D9Backend::Default)
        return g_selected;
    const char* env = std::getenv("VORLUND_D3D_BACKEND");
    if (env && std::strcmp(env, "record") == 0)
        return D3D9Backend::Recording;
    return D3D9Backend::Gl;
}

RecordingSetup RecordingSetup::standard()
{
    RecordingSetup setup;
    RecordingAdapter adapter;
    adapter.modes = {{640, 480, 60, D3DFMT_X8R8G8B8},
                     {800, 600, 60, D3DFMT_X8R8G8B8},
                     {1024, 768, 60, D3DFMT_X8R8G8B8},
                     {1280, 1024, 60, D3DFMT_X8R8G8B8}};
    setup.adapters.push_back(adapter);
    return setup;
}

RecordingSetup& recordingSetup()
{
    static RecordingSetup setup = RecordingSetup::standard();
    return setup;
}
