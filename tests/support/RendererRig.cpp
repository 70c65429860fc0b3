#include "RendererRig.h"

#include "DeviceReadBack.h"
#include "engine/core/display/DisplayChecker.h"
#include "engine/core/display/DisplayManager.h"
#include "engine/core/render/Renderer.h"

RendererRig::RendererRig() : displayManager(std::make_unique<DisplayManager>()) {}

RendererRig::~RendererRig()
{
    renderer.reset();
    if (displayManager) {
        displayManager->hideWindows();
        displayManager->shutdown();
    }
}

bool RendererRig::start(int width, int height, bool fixedFunction)
{
    DisplayManager& dm = *displayManager;
    if (!dm.init("", ""))
        return false;
    DisplayChecker(&dm).check(0);
    dm.m_settings->width = width;
    dm.m_settings->height = height;
    dm.m_settings->windowed = 1;
    dm.m_settings->windowWidth = width;
    dm.m_settings->windowHeight = height;
    dm.m_settings->fixedFunction = fixedFunction ? 1 : 0;
    dm.setTitle("Vorlund");
    if (!dm.createWindows(testWindowClass(), nullptr))
        return false;
    renderer = std::make_unique<Renderer>(displayManager.get());
    return true;
}

IDirect3DDevice9* RendererRig::device() const
{
    return renderer ? renderer->m_device : nullptr;
}
