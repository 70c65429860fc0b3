// The menu's frame: the fades between screens, Escape, the credits' scroll,
// and the picture (the 3D background, the kart previews, the GUI, a trophy).
#include "game/menu/Menu.h"

#include "engine/core/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "game/app/Application.h"
#include "game/app/WinInput.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/gui/GuiRenderer.h"

#include <CEGUI/Window.h>

#include <algorithm>

namespace {

// DirectInput's code of the Escape key.
constexpr int kEscape = 0x01;

Camera* firstCamera(Scene* scene)
{
    return scene && !scene->m_cameras.empty() ? scene->m_cameras.front() : nullptr;
}

} // namespace

int32_t Menu::update()
{
    if (m_loadFailed)
        return 1;
    updateLobby();
    const bool fading = m_fadeInWindow || m_fadeOutWindow;
    if (fading)
        updateFades();
    const auto credits = m_screens.find("Credits");
    if (credits != m_screens.end() && credits->second->isVisible())
        scrollCredits(float(m_timer.m_frameTime));
    render();
    if (!fading && m_input && m_input->m_keys[kEscape]) {
        m_input->m_keys[kEscape] = 0;
        // Escape leaves the game only from the main menu; elsewhere it is
        // swallowed.
        CEGUI::Window* mainMenu = m_screens["MainMenu"];
        if (mainMenu && mainMenu->isActive())
            openDialog(mainMenu, m_screens["Exit"]);
    }
    m_timer.update();
    return fading ? 0 : m_result;
}

void Menu::fadeIn(CEGUI::Window* window)
{
    // The focus belongs to the screen that goes.
    m_focus.clear();
    m_fadeInStart = float(m_timer.m_total);
    m_fadeInWindow = window;
    if (!window)
        return;
    window->deactivate();
    window->setAlpha(0.0f);
    window->setVisible(true);
}

void Menu::fadeOut(CEGUI::Window* window)
{
    m_fadeOutStart = float(m_timer.m_total);
    m_fadeOutWindow = window;
    if (!window)
        return;
    window->deactivate();
    window->setAlpha(1.0f);
    window->setVisible(true);
}

void Menu::switchTo(CEGUI::Window* from, CEGUI::Window* to)
{
    fadeOut(from);
    fadeIn(to);
}

void Menu::updateFades()
{
    const double now = m_timer.m_total;
    if (m_fadeInWindow) {
        const double elapsed = now - double(m_fadeInStart);
        if (elapsed < kFadeSeconds) {
            m_fadeInWindow->setAlpha(float(elapsed * 2.0));
        } else {
            m_fadeInWindow->setAlpha(1.0f);
            m_fadeInWindow->setModalState(true);
            m_fadeInWindow->activate();
            if (m_fadeInWindow == m_screens["Profile"])
                m_windows["Profile/EdtName"]->activate();
            const bool mainMenu = m_fadeInWindow == m_screens["MainMenu"];
            const bool multiplayer = m_fadeInWindow == m_screens["Multiplayer"];
            m_fadeInWindow = nullptr;
            if (mainMenu && m_recordsNoticePending)
                showRecordsNotice();
            if (multiplayer && m_connectionNoticePending)
                showConnectionNotice();
        }
    }
    if (m_fadeOutWindow) {
        const double elapsed = now - double(m_fadeOutStart);
        if (elapsed < kFadeSeconds) {
            m_fadeOutWindow->setAlpha(float(1.0 - elapsed * 2.0));
        } else {
            m_fadeOutWindow->setAlpha(0.0f);
            m_fadeOutWindow->hide();
            m_fadeOutWindow->setModalState(false);
            m_fadeOutWindow = nullptr;
        }
    }
    if (m_input)
        m_input->m_guiBlocked = m_fadeInWindow || m_fadeOutWindow ? 1 : 0;
}

void Menu::previewsOff()
{
    m_application->m_previewCount = 0;
}

void Menu::placeKartPreview(int32_t preview, CEGUI::Window* image)
{
    if (preview < 0 || preview > 1)
        return;
    const CEGUI::Rectf r = image->getUnclippedOuterRect().get();
    float* rect = m_application->m_previewRects[preview];
    rect[0] = float(int32_t(r.left()));
    rect[1] = float(int32_t(r.top()));
    rect[2] = float(int32_t(r.right()));
    rect[3] = float(int32_t(r.bottom()));
    m_application->m_previewCount = std::max(m_application->m_previewCount, preview + 1);
}

void Menu::render()
{
    IDirect3DDevice9* device = m_renderer ? m_renderer->m_device : nullptr;
    if (!device)
        return;
    const double now = m_timer.m_total;
    device->BeginScene();
    m_renderer->m_primitiveCount = 0;
    m_renderer->m_drawCallCount = 0;
    m_renderer->restoreRenderTarget();
    m_renderer->restoreDepthStencil();
    // The size of the whole picture: the last frame's kart previews left
    // theirs in the renderer until the target was restored.
    const int32_t width = m_renderer->m_width, height = m_renderer->m_height;
    m_renderer->setViewportRect(0, 0, width, height, height > 0 ? float(width) / float(height) : 1.0f);
    Camera* camera = firstCamera(m_background);
    if (camera)
        device->SetViewport(camera->viewport());
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0, 1.0f, 0);
    if (camera)
        m_background->render(now, camera);
    m_application->renderKartPreviews();

    m_renderer->setViewport(0, 0, width, height, 0.0f, 1.0f);
    device->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    if (m_application->m_guiRenderer)
        m_application->m_guiRenderer->render();

    if (m_trophyIndex >= 1 && m_trophyIndex <= 4) {
        Scene* trophy = m_trophies[m_trophyIndex - 1];
        if (Camera* trophyCamera = firstCamera(trophy)) {
            // Over the GUI and in front of the background, whatever depth
            // the background left.
            device->SetViewport(trophyCamera->viewport());
            device->Clear(0, nullptr, D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0, 1.0f, 0);
            trophy->render(now, trophyCamera);
        }
    }
    device->EndScene();
    device->Present(nullptr, nullptr, nullptr, nullptr);
}

void Menu::onLostDevice()
{
    if (m_scenes)
        m_scenes->onLostDevice();
}

void Menu::onResetDevice()
{
    if (m_scenes)
        m_scenes->onResetDevice();
}

void Menu::placeCreditsLine(const CreditsLine& line)
{
    line.window->setPosition(CEGUI::UVector2(CEGUI::UDim(line.x / 1024.0f, 0.0f), CEGUI::UDim(line.y / 768.0f, 0.0f)));
}

void Menu::scrollCredits(float delta)
{
    for (CreditsLine& line : m_creditsLines) {
        // A line wholly above the top comes in again from below.
        if (line.y < 0.0f && line.y <= -line.height)
            line.y += m_creditsWrap;
        line.y -= delta * 50.0f;
        placeCreditsLine(line);
    }
}

void Menu::showCredits()
{
    for (CreditsLine& line : m_creditsLines) {
        line.y = line.startY;
        placeCreditsLine(line);
    }
    fadeIn(m_screens["Credits"]);
}

CEGUI::Window* Menu::shownScreen() const
{
    for (const auto& [name, root] : m_screens)
        if (root->isVisible() && root != m_fadeOutWindow && root->getAlpha() > 0.0f && root->getModalState())
            return root;
    return m_fadeInWindow;
}
