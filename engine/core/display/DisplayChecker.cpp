#include "engine/core/display/DisplayChecker.h"

#include "engine/core/display/DisplayManager.h"

#include <cstddef>

namespace {

D3DDEVTYPE deviceTypeOf(const EngineSettings& s)
{
    return s.referenceDevice ? D3DDEVTYPE_REF : D3DDEVTYPE_HAL;
}

// A window shows the desktop's format; full screen switches to the chosen
// one, or the desktop's when none was chosen.
D3DFORMAT displayFormatOf(const DisplayManager& dm, int adapter)
{
    const D3DFORMAT current = dm.m_adapters[std::size_t(adapter)].currentMode.Format;
    if (dm.m_settings->windowed || dm.m_settings->displayFormat == D3DFMT_UNKNOWN)
        return current;
    return dm.m_settings->displayFormat;
}

// An unknown back-buffer format means "the display's", as at device creation.
D3DFORMAT backBufferFormatOf(const DisplayManager& dm, int adapter)
{
    const D3DFORMAT chosen = dm.m_settings->backBufferFormat;
    return chosen != D3DFMT_UNKNOWN ? chosen : displayFormatOf(dm, adapter);
}

} // namespace

DisplayChecker::DisplayChecker(DisplayManager* displayManager) : m_displayManager(displayManager)
{
}

bool DisplayChecker::check(int flags)
{
    if (!m_displayManager)
        return false;
    // The same adapter the first head will use: an index beyond the
    // adapters (saved on another machine) wraps around.
    const int count = m_displayManager->m_adapterCount;
    int adapter = m_displayManager->m_settings->adapterIndex;
    if (count > 0) {
        adapter %= count;
        if (adapter < 0)
            adapter += count;
    }
    bool ok = enumerateModes(adapter);
    ok = checkBackBufferFormats(adapter) && ok;
    ok = checkMultiSampleTypes(adapter) && ok;
    ok = checkDepthStencilFormats(adapter) && ok;
    return ok;
}

bool DisplayChecker::enumerateModes(int adapter)
{
    return adapter >= 0 && adapter < m_displayManager->m_adapterCount
           && m_displayManager->m_adapters[std::size_t(adapter)].modeCount > 0;
}

bool DisplayChecker::checkBackBufferFormats(int adapter)
{
    DisplayManager& dm = *m_displayManager;
    if (adapter < 0 || adapter >= dm.m_adapterCount)
        return false;
    dm.checkBackBufferFormats(adapter, deviceTypeOf(*dm.m_settings), displayFormatOf(dm, adapter),
                              dm.m_settings->windowed);
    return !dm.m_adapters[std::size_t(adapter)].backBufferFormats.empty();
}

bool DisplayChecker::checkMultiSampleTypes(int adapter)
{
    DisplayManager& dm = *m_displayManager;
    if (adapter < 0 || adapter >= dm.m_adapterCount)
        return false;
    dm.checkMultiSampleTypes(adapter, deviceTypeOf(*dm.m_settings), backBufferFormatOf(dm, adapter),
                             dm.m_settings->windowed);
    return true;
}

bool DisplayChecker::checkDepthStencilFormats(int adapter)
{
    DisplayManager& dm = *m_displayManager;
    if (adapter < 0 || adapter >= dm.m_adapterCount)
        return false;
    dm.checkDepthStencilFormats(adapter, deviceTypeOf(*dm.m_settings), displayFormatOf(dm, adapter),
                                backBufferFormatOf(dm, adapter));
    return !dm.m_adapters[std::size_t(adapter)].depthStencilFormats.empty();
}
