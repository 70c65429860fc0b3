#pragma once
#include "engine/core/base/ByteBuffer.h"
#include "platform/d3d9/D3D9Types.h"

#include <cstdint>

// The device configuration the display manager works from: defaults, then
// the registry's values under HKEY_LOCAL_MACHINE "Software\Brennic\Vantrel",
// then whatever the game sets before the windows open.
struct EngineSettings {
    EngineSettings();

    int32_t width = 1024;
    int32_t height = 768;
    uint8_t windowed = 0;
    int32_t windowWidth = 960;
    int32_t windowHeight = 720;
    uint8_t softwareVertexProcessing = 0;
    uint8_t pureDevice = 0;
    uint8_t referenceDevice = 0;
    uint8_t fixedFunction = 1;
    D3DFORMAT displayFormat = D3DFMT_UNKNOWN;
    D3DFORMAT backBufferFormat = D3DFMT_UNKNOWN;
    int32_t multisampleType = 0;
    uint32_t multisampleQuality = 0;
    int32_t adapterIndex = 0;
    ByteBuffer title;
};
