#include "RendererRig.h"

#include "DeviceReadBack.h"
#include "engine/core/DisplayChecker.h"
#include "engine/core/DisplayManager.h"
#include "engine/core/Renderer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

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

ScopedWorkingDirectory::ScopedWorkingDirectory(const std::string& name)
{
    namespace fs = std::filesystem;
    m_previous = fs::current_path().string();
    m_path = ::testing::TempDir() + name + "-" + std::to_string(getpid());
    fs::remove_all(m_path);
    fs::create_directories(m_path);
    fs::current_path(m_path);
}

ScopedWorkingDirectory::~ScopedWorkingDirectory()
{
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::current_path(m_previous, ec);
    fs::remove_all(m_path, ec);
}
