// The race's dialogs: pause, the message box, the results, and after a
// career race the ranking, career and shop screens, with the buttons that
// lead from one to the next and finally set the race's result word.
#include "game/race/Race.h"

#include "game/app/Application.h"
#include "game/app/Gui.h"
#include "game/app/Hud.h"
#include "game/app/RaceSetup.h"
#include "game/app/TextTable.h"
#include "game/menu/CareerScreen.h"
#include "game/menu/ProfileStore.h"
#include "game/menu/RankingScreen.h"
#include "game/menu/ScreenManifest.h"
#include "game/menu/ShopScreen.h"
#include "game/race/Kart.h"

#include <CEGUI/GUIContext.h>
#include <CEGUI/MouseCursor.h>
#include <CEGUI/Window.h>
#include <CEGUI/WindowManager.h>
#include <CEGUI/widgets/PushButton.h>

#include <cstdio>

namespace {

// Text numbers of the dialogs.
constexpr int32_t kTextOk = 1000;
constexpr int32_t kTextContinue = 10340;
constexpr int32_t kTextRestart = 10350;
constexpr int32_t kTextExit = 10360;
// The results' header by race kind: single race, coin race, timed run,
// last man standing.
constexpr int32_t kResultsHeader[4] = {5010, 5040, 5030, 5020};
// Place texts run 7000 (first) in steps of 10.
constexpr int32_t kTextFirstPlace = 7000;

using Handler = bool (Race::*)(const CEGUI::EventArgs&);

void onClick(CEGUI::Window* button, Handler handler, Race* race)
{
    button->subscribeEvent(CEGUI::PushButton::EventClicked, CEGUI::Event::Subscriber(handler, race));
}

void showModal(CEGUI::Window* window)
{
    window->show();
    window->setModalState(true);
    window->activate();
}

void hideModal(CEGUI::Window* window)
{
    window->setModalState(false);
    window->hide();
}

std::vector<std::string> rowPaths(const char* root)
{
    std::vector<std::string> paths{std::string(root) + "/BtnOk", std::string(root) + "/LblHeader"};
    for (int r = 1; r <= Race::kMaxKarts; ++r)
        for (const char* pattern : {"/LblRank%02d", "/LblName%02d", "/LblTime%02d"}) {
            char name[32];
            std::snprintf(name, sizeof name, pattern, r);
            paths.push_back(root + std::string(name));
        }
    return paths;
}

} // namespace

bool Race::loadDialogs(std::string& why)
{
    if (!m_app || !m_app->m_guiSystem || !m_app->m_rootWindow || !m_app->m_textTable)
        return true;
    const TextTable& texts = *m_app->m_textTable;
    CEGUI::Window* root = m_app->m_rootWindow;
    auto progress = [this](float p) { m_app->setLoadingProgress(p); };
    CEGUI_TRY
    {
        LoadedScreen pause =
            loadScreenLayout({"Pause.layout", "Pause", {"Pause/BtnContinue", "Pause/BtnRestart", "Pause/BtnExit"}});
        m_pauseWindow = pause.root;
        root->addChild(m_pauseWindow);
        m_pauseContinue = pause.windows.at("Pause/BtnContinue");
        m_pauseRestart = pause.windows.at("Pause/BtnRestart");
        m_pauseExit = pause.windows.at("Pause/BtnExit");
        m_pauseContinue->setText(texts.getText(kTextContinue));
        m_pauseRestart->setText(texts.getText(kTextRestart));
        m_pauseExit->setText(texts.getText(kTextExit));
        onClick(m_pauseContinue, &Race::onPauseContinue, this);
        onClick(m_pauseRestart, &Race::onPauseRestart, this);
        onClick(m_pauseExit, &Race::onPauseExit, this);
        if (m_setup->mode == 3 || m_setup->mode == 2)
            m_pauseRestart->disable();
        progress(0.9f);

        const CEGUI::String brush = gui::image("Speed", "SemiTransparentBrush");
        m_careerScreen = new CareerScreen(m_app);
        m_careerScreen->root()->setProperty("Image", brush);
        onClick(m_careerScreen->shopButton(), &Race::onCareerShop, this);
        onClick(m_careerScreen->backButton(), &Race::onCareerBack, this);
        onClick(m_careerScreen->startButton(), &Race::onCareerStart, this);
        progress(0.92f);
        m_rankingScreen = new RankingScreen(m_app);
        m_rankingScreen->root()->setProperty("Image", brush);
        onClick(m_rankingScreen->backButton(), &Race::onRankingBack, this);
        onClick(m_rankingScreen->continueButton(), &Race::onRankingContinue, this);
        if (m_setup->mode == 3 && m_app->m_profileStore)
            for (int32_t p = 0; p < kMaxKarts; ++p) {
                m_kudosBefore[p] = m_app->m_profileStore->getKudos(p);
                m_seasonPointsBefore[p] = m_app->m_profileStore->getSeasonPoints(p, m_setup->ccm);
            }
        progress(0.93f);

        LoadedScreen message = loadScreenLayout(
            {"MessageBox.layout", "Game_MessageBox", {"Game_MessageBox/LblMessage", "Game_MessageBox/BtnOk"}});
        m_messageBox = message.root;
        root->addChild(m_messageBox);
        m_messageText = message.windows.at("Game_MessageBox/LblMessage");
        m_messageOk = message.windows.at("Game_MessageBox/BtnOk");
        m_messageOk->setText(texts.getText(kTextOk));
        onClick(m_messageOk, &Race::onMessageOk, this);
        progress(0.94f);

        m_shopScreen = new ShopScreen(m_app);
        m_shopScreen->root()->setProperty("Image", brush);
        onClick(m_shopScreen->backButton(), &Race::onShopBack, this);
        progress(0.95f);

        const bool lastManStanding = m_setup->gameType == LastManStanding;
        LoadedScreen results =
            loadScreenLayout({lastManStanding ? "Results2.layout" : "Results.layout", "Results", rowPaths("Results")});
        m_resultsWindow = results.root;
        m_resultsOk = results.windows.at("Results/BtnOk");
        m_resultsOk->setText(texts.getText(kTextOk));
        onClick(m_resultsOk, &Race::onResultsOk, this);
        m_resultsHeader = results.windows.at("Results/LblHeader");
        const int32_t kind = m_setup->gameType;
        if (kind >= 0 && kind <= LastManStanding)
            m_resultsHeader->setText(texts.getText(kResultsHeader[kind]));
        for (int32_t r = 0; r < kMaxKarts; ++r) {
            m_resultsRank[r] = results.row("Results/LblRank", r + 1);
            m_resultsName[r] = results.row("Results/LblName", r + 1);
            m_resultsTime[r] = results.row("Results/LblTime", r + 1);
            m_resultsRank[r]->setText(r < m_kartCount ? texts.getText(kTextFirstPlace + 10 * r) : "");
            m_resultsName[r]->setText("");
            m_resultsTime[r]->setText("");
        }
        root->addChild(m_resultsWindow);
        progress(0.975f);
    }
    CEGUI_CATCH(const CEGUI::Exception& e)
    {
        why = e.getMessage().c_str();
        return false;
    }
    return true;
}

void Race::destroyDialogs()
{
    CEGUI::WindowManager* windows = CEGUI::WindowManager::getSingletonPtr();
    for (CEGUI::Window** window : {&m_pauseWindow, &m_resultsWindow, &m_messageBox}) {
        if (*window && windows)
            windows->destroyWindow(*window);
        *window = nullptr;
    }
}

void Race::deleteScreens()
{
    delete m_rankingScreen;
    m_rankingScreen = nullptr;
    delete m_careerScreen;
    m_careerScreen = nullptr;
    delete m_shopScreen;
    m_shopScreen = nullptr;
}

bool Race::dialogShown() const
{
    for (const CEGUI::Window* w :
         {m_rankingScreen ? m_rankingScreen->root() : nullptr, m_careerScreen ? m_careerScreen->root() : nullptr,
          m_shopScreen ? m_shopScreen->root() : nullptr, m_pauseWindow, m_resultsWindow})
        if (w && w->isVisible())
            return true;
    return false;
}

void Race::updateMouseCursor()
{
    if (!m_app || !m_app->m_guiSystem)
        return;
    CEGUI::MouseCursor& cursor = gui::context().getMouseCursor();
    if (dialogShown())
        cursor.show();
    else
        cursor.hide();
}

void Race::renderShopPreview()
{
    if (!m_app || !m_shopScreen || !m_shopScreen->root()->isVisible())
        return;
    const CEGUI::Rectf r = m_shopScreen->windows().at("Shop/ImgKart")->getUnclippedOuterRect().get();
    m_app->m_previewCount = 1;
    float* rect = m_app->m_previewRects[0];
    rect[0] = r.left();
    rect[1] = r.top();
    rect[2] = r.right();
    rect[3] = r.bottom();
    m_app->renderKartPreviews();
}

void Race::setPaused(bool paused)
{
    m_paused = paused;
    if (m_pauseWindow) {
        if (paused)
            showModal(m_pauseWindow);
        else
            hideModal(m_pauseWindow);
    }
    // A network race never stops its clock.
    if (m_setup->mode != 2) {
        m_timer.m_speedFactor = paused ? 0.0 : 1.0;
        if (m_app)
            m_app->setCategoryPaused(1, paused);
    }
}

bool Race::onPauseContinue(const CEGUI::EventArgs&)
{
    setPaused(false);
    return true;
}

bool Race::onPauseRestart(const CEGUI::EventArgs&)
{
    setPaused(false);
    start();
    return true;
}

bool Race::onPauseExit(const CEGUI::EventArgs&)
{
    if (m_pauseWindow)
        hideModal(m_pauseWindow);
    m_paused = false;
    if (m_setup->mode != 3) {
        m_result = 1;
        return true;
    }
    giveUp();
    return true;
}

void Race::giveUp()
{
    updatePositions();
    // The player drops to the last place; everyone behind moves up one.
    Kart* own = m_karts[m_viewKart[0]];
    if (own) {
        for (int32_t i = 0; i < m_kartCount; ++i)
            if (m_karts[i]->m_rank > own->m_rank)
                --m_karts[i]->m_rank;
        own->m_rank = m_kartCount - 1;
    }
    const float target = careerTargetTime();
    for (int32_t i = 0; i < m_kartCount; ++i) {
        Kart& kart = *m_karts[i];
        kart.m_lap = m_setup->laps + 1;
        kart.m_finishTime = target;
        if (kart.energy() > 0)
            kart.setEnergy(0);
    }
    m_started = 1;
    m_abandoned = 1;
    m_countdownPhase = 0;
    checkFinished(float(raceClock()) - m_startTime);
}

bool Race::onResultsOk(const CEGUI::EventArgs&)
{
    hideModal(m_resultsWindow);
    if (m_setup->mode != 3) {
        m_result = 1;
        return true;
    }
    m_rankingScreen->fill(m_seasonPointsBefore, m_kudosBefore);
    showModal(m_rankingScreen->root());
    m_hud->setVisible(false);
    return true;
}

bool Race::onRankingBack(const CEGUI::EventArgs&)
{
    hideModal(m_rankingScreen->root());
    m_result = 1;
    return true;
}

bool Race::onRankingContinue(const CEGUI::EventArgs&)
{
    m_careerScreen->refresh();
    hideModal(m_rankingScreen->root());
    showModal(m_careerScreen->root());
    return true;
}

bool Race::onCareerBack(const CEGUI::EventArgs&)
{
    hideModal(m_careerScreen->root());
    showModal(m_rankingScreen->root());
    return true;
}

bool Race::onCareerShop(const CEGUI::EventArgs&)
{
    m_shopScreen->refresh();
    hideModal(m_careerScreen->root());
    showModal(m_shopScreen->root());
    return true;
}

bool Race::onShopBack(const CEGUI::EventArgs&)
{
    hideModal(m_shopScreen->root());
    m_careerScreen->refresh();
    showModal(m_careerScreen->root());
    return true;
}

bool Race::onCareerStart(const CEGUI::EventArgs&)
{
    m_result = 2;
    return true;
}

bool Race::onMessageOk(const CEGUI::EventArgs&)
{
    return true;
}
