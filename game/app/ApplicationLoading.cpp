#include "game/app/Application.h"

#include "engine/core/base/EngineLog.h"
#include "engine/core/render/Renderer.h"
#include "game/app/Gui.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/gui/GuiRenderer.h"

#include <CEGUI/GUIContext.h>
#include <CEGUI/MouseCursor.h>
#include <CEGUI/widgets/ProgressBar.h>

#include <algorithm>

namespace {
const char* const kLoadingImage = "LoadingBg";
} // namespace

void Application::openLoadingScreen(const std::string& levelName, float progress, float a, float b)
{
    engineLog() << "progressOpen" << std::endl;
    m_progressLow = std::min(a, b);
    m_progressHigh = std::max(a, b);
    if (m_loadingWindow) {
        gui::destroyImageFromFile(kLoadingImage);
        gui::addImageFromFile(kLoadingImage, loadingPicture(levelName));
        m_loadingWindow->setProperty("Image", kLoadingImage);
        m_loadingWindow->setVisible(true);
        m_loadingWindow->setModalState(true);
        m_loadingWindow->activate();
    }
    setLoadingProgress(progress);
}

void Application::setLoadingProgress(float progress)
{
    engineLog() << "progress: " << progress << std::endl;
    if (m_progressBar)
        m_progressBar->setProgress(loadingBarValue(progress));
    // One whole frame, so the window stays alive while loading.
    if (!m_renderer || !m_renderer->m_device)
        return;
    IDirect3DDevice9* device = m_renderer->m_device;
    device->BeginScene();
    m_renderer->restoreRenderTarget();
    m_renderer->restoreDepthStencil();
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0, 1.0f, 0);
    if (m_guiRenderer)
        m_guiRenderer->render();
    device->EndScene();
    device->Present(nullptr, nullptr, nullptr, nullptr);
}

void Application::closeLoadingScreen()
{
    engineLog() << "progressClose" << std::endl;
    if (!m_loadingWindow)
        return;
    m_loadingWindow->deactivate();
    m_loadingWindow->setModalState(false);
    m_loadingWindow->hide();
    gui::destroyImageFromFile(kLoadingImage);
    gui::context().getMouseCursor().show();
}
