// X3DAudio's set-up over FAudio's F3DAudio. XACT's own helper would read the
// "SpeedOfSound" variable through an index it never checks; this one asks
// the engine, which answers only for variables that exist.
#include "platform/audio/Xact.h"

#include <F3DAudio.h>

#include <cstring>

HRESULT XACT3DInitialize(IXACT3Engine* engine, X3DAUDIO_HANDLE instance)
{
    if (!engine || !instance)
        return E_FAIL;
    WAVEFORMATEXTENSIBLE mix;
    if (HRESULT hr = engine->GetFinalMixFormat(&mix); FAILED(hr))
        return hr;
    const XACTVARIABLEINDEX index = engine->GetGlobalVariableIndex("SpeedOfSound");
    if (index == XACTVARIABLEINDEX_INVALID)
        return XACTENGINE_E_INVALIDVARIABLEINDEX;
    XACTVARIABLEVALUE speed = 0.0f;
    if (HRESULT hr = engine->GetGlobalVariable(index, &speed); FAILED(hr))
        return hr;
    F3DAUDIO_HANDLE handle;
    // F3DAudioInitialize8 refuses a speed or speaker mask it cannot use.
    if (F3DAudioInitialize8(mix.dwChannelMask, speed, handle) != 0)
        return E_FAIL;
    static_assert(sizeof handle == X3DAUDIO_HANDLE_BYTECOUNT);
    std::memcpy(instance, handle, sizeof handle);
    return S_OK;
}
