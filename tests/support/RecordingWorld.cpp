#include "RecordingWorld.h"

#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/RecordingBackend.h"
#include "platform/registry/Registry.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include <unistd.h>

RecordingWorld::RecordingWorld()
{
    selectD3D9Backend(D3D9Backend::Recording);
    recordingSetup() = RecordingSetup::standard();
    // One file per process: test programs run side by side under ctest -j.
    m_registryPath = ::testing::TempDir() + "vorlund-recording-registry-" + std::to_string(getpid()) + ".txt";
    std::remove(m_registryPath.c_str());
    setRegistryFile(m_registryPath.c_str());
}

RecordingWorld::~RecordingWorld()
{
    selectD3D9Backend(D3D9Backend::Default);
    recordingSetup() = RecordingSetup::standard();
    setRegistryFile(nullptr);
    std::remove(m_registryPath.c_str());
}

void RecordingWorld::setRegistry(const std::string& text)
{
    std::remove(m_registryPath.c_str());
    if (!text.empty())
        std::ofstream(m_registryPath) << text;
}

RecordingBackend& recordingBackend(IDirect3DDevice9* device)
{
    return static_cast<RecordingBackend&>(device->backend());
}

std::vector<std::string> recordedCalls(IDirect3DDevice9* device, const std::string& prefix)
{
    std::vector<std::string> out;
    for (const std::string& call : recordingBackend(device).calls())
        if (call.rfind(prefix, 0) == 0)
            out.push_back(call);
    return out;
}
