// The menu's life: construction, loading every screen under the loading
// screen, the first screen, and the teardown before a race or the end.
#include "game/menu/Menu.h"

#include "engine/core/display/DisplayManager.h"
#include "engine/core/math/Random.h"
#include "engine/core/render/Renderer.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "game/app/Application.h"
#include "game/app/Gui.h"
#include "game/app/RaceSetup.h"
#include "game/menu/CareerScreen.h"
#include "game/menu/Highscores.h"
#include "game/menu/ProfileStore.h"
#include "game/menu/RankingScreen.h"
#include "game/menu/ShopScreen.h"
#include "platform/win/MessageBox.h"

#include <CEGUI/Exceptions.h>
#include <CEGUI/GUIContext.h>
#include <CEGUI/ImageManager.h>
#include <CEGUI/MouseCursor.h>
#include <CEGUI/Window.h>
#include <CEGUI/WindowManager.h>

#include <algorithm>

uint8_t Menu::s_firstMenu = 1;

namespace {

const char* const kBackgrounds[4] = {
    "D:\\Zoprax9\\menu\\menu_bg_scenes\\menu_bg_paris.lws",
    "D:\\Zoprax9\\menu\\menu_bg_scenes\\menu_bg_london.lws",
    "D:\\Zoprax9\\menu\\menu_bg_scenes\\menu_bg_berlin.lws",
    "D:\\Zoprax9\\menu\\menu_bg_scenes\\menu_bg_sydney.lws",
};

struct TrophyScene {
    const char* name;
    const char* file;
};
const TrophyScene kTrophies[4] = {
    {"winnerBronze", "D:\\Zoprax9\\menu\\winner\\pokal_bronze.lws"},
    {"winnerSilver", "D:\\Zoprax9\\menu\\winner\\pokal_silver.lws"},
    {"winnerGold", "D:\\Zoprax9\\menu\\winner\\pokal_gold.lws"},
    {"looser", "D:\\Zoprax9\\menu\\winner\\trostpreis.lws"},
};

// Created in this order, destroyed in this order with these progress values.
const char* const kImagesets[4] = {"Vorlund", "Flags", "Portraits", "Tracks"};
const float kImagesetTeardown[4] = {0.78f, 0.8f, 0.9f, 0.95f};

struct Teardown {
    const char* screen;
    float progress;
};
const Teardown kScreenTeardown[] = {
    {"Language", 0.05f},     {"MainMenu", 0.1f},          {"Exit", 0.125f},           {"Confirm", 0.15f},
    {"Singleplayer", 0.2f},  {"SingleRace", 0.25f},       {"LastManStanding", 0.3f},  {"Multiplayer", 0.35f},
    {"Join", 0.37f},         {"Join_MessageBox", 0.4f},   {"TwoPlayers", 0.45f},      {"Lobby", 0.5f},
    {"Credits", 0.53f},      {"Options", 0.58f},          {"HighscoresCareer", 0.6f}, {"HighscoresSingle", 0.63f},
    {"Winning", 0.68f},      {"HighscoresLMS", 0.7f},     {"Profile", 0.73f},
};

} // namespace

Menu::Menu(Application* application, Renderer* renderer, WinInput* input)
    : m_application(application), m_renderer(renderer), m_input(input),
      m_textTable(application ? application->m_textTable : nullptr),
      m_profileStore(application ? application->m_profileStore : nullptr)
{
    if (renderer && renderer->m_displayManager && renderer->m_displayManager->m_settings) {
        DisplayManager& display = *renderer->m_displayManager;
        const size_t adapter = size_t(std::max(display.m_settings->adapterIndex, 0));
        if (adapter < display.m_adapters.size())
            m_videoModes = videoModes(display.m_adapters[adapter].modes, renderer->m_windowed);
    } else if (renderer && renderer->m_windowed) {
        m_videoModes = videoModes({}, true);
    }
    if (renderer)
        renderer->m_renderEnabled = 0;
}

std::vector<VideoMode> Menu::videoModes(const std::vector<D3DDISPLAYMODE>& adapterModes, bool windowed)
{
    std::vector<VideoMode> modes;
    for (const D3DDISPLAYMODE& mode : adapterModes) {
        const VideoMode entry(int32_t(mode.Width), int32_t(mode.Height), 0);
        // The first mode of a size stands for every refresh rate and format.
        if (entry.width >= 800 && entry.height >= 600 && std::find(modes.begin(), modes.end(), entry) == modes.end())
            modes.push_back(entry);
    }
    std::sort(modes.begin(), modes.end());
    if (windowed) {
        VideoMode window(960, 720, 1);
        window.label = "Windowed";
        modes.push_back(window);
    }
    return modes;
}

void Menu::load(Stream* fileSystem, RaceSetup& setup)
{
    m_result = 0;
    m_fileSystem = fileSystem;
    Application& app = *m_application;
    app.openLoadingScreen("", 0.0f, 0.5f, 1.0f);
    gui::context().getMouseCursor().hide();
    app.m_previewCount = 0;
    std::fill(&app.m_previewRects[0][0], &app.m_previewRects[0][0] + 8, 0.0f);

    loadScenes(fileSystem);
    app.setLoadingProgress(0.55f);

    // The file each step reads, for the message when it fails.
    std::string file;
    CEGUI_TRY
    {
        for (const char* set : kImagesets) {
            file = std::string(set) + ".imageset";
            CEGUI::ImageManager::getSingleton().loadImageset(file);
        }
        struct Step {
            float progress;
            void (Menu::*build)();
            const char* file;
        };
        const Step steps[] = {
            {0.6f, &Menu::buildMainMenu, "MainMenu.layout"},
            {0.625f, &Menu::buildExit, "Exit.layout"},
            {0.635f, &Menu::buildConfirm, "Confirm.layout"},
            {0.642f, &Menu::buildProfile, "Profile.layout"},
            {0.65f, &Menu::buildSingleplayer, "Singleplayer.layout"},
            {0.675f, &Menu::buildSingleRace, "SingleRace.layout"},
            {0.7f, &Menu::buildLastManStanding, "LastManStanding.layout"},
            {0.725f, &Menu::buildRanking, "Ranking.layout"},
            {0.735f, &Menu::buildCareer, "Career.layout"},
            {0.75f, &Menu::buildShop, "Shop.layout"},
            {0.775f, &Menu::buildMultiplayer, "Multiplayer.layout"},
            {-1.0f, &Menu::buildJoin, "Join.layout"},
            {0.8f, &Menu::buildTwoPlayers, "TwoPlayers.layout"},
            {0.825f, &Menu::buildLobby, "Lobby.layout"},
            {0.85f, &Menu::buildOptions,
             app.m_settings.multilanguage ? "Options.layout" : "Options2.layout"},
            {0.875f, &Menu::buildHighscoresCareer, "HighscoresCareer.layout"},
            {0.9f, &Menu::buildHighscoresSingle, "HighscoresSingle.layout"},
            {0.925f, &Menu::buildHighscoresLMS, "HighscoresLMS.layout"},
            {0.95f, &Menu::buildCredits, "Credits.layout"},
            {0.975f, &Menu::buildLanguage, "Language.layout"},
            {-1.0f, &Menu::buildWinning, "Winning.layout"},
        };
        for (const Step& step : steps) {
            if (step.progress >= 0.0f)
                app.setLoadingProgress(step.progress);
            file = step.file;
            (this->*step.build)();
        }
        app.setLoadingProgress(1.0f);
    }
    CEGUI_CATCH(const CEGUI::Exception& e)
    {
        std::string text = "The game cannot start: the GUI file \"" + file + "\" is missing or damaged.\n";
        text += e.getMessage().c_str();
        MessageBoxA(nullptr, text.c_str(), "Error", MB_OK | MB_ICONERROR);
        m_loadFailed = true;
        m_result = 1;
        return;
    }
    m_built = true;

    app.closeLoadingScreen();
    gui::context().getMouseCursor().show();
    m_fadeInStart = m_fadeOutStart = 0.0f;
    m_fadeInWindow = m_fadeOutWindow = nullptr;
    // Player records found damaged at start-up are told of once, over the
    // first main menu.
    const Highscores* highscores = app.m_highscores;
    m_recordsNoticePending = s_firstMenu && ((m_profileStore && !m_profileStore->damagedCopy().empty())
                                             || (highscores && !highscores->damagedCopy().empty()));
    chooseFirstScreen(setup);
    applyLanguageTexts();
    m_timer.start();
}

void Menu::loadScenes(Stream* fileSystem)
{
    // The scenes are drawn by the device: without one there is nothing to load.
    if (!m_renderer || !m_renderer->m_device)
        return;
    m_scenes = new SceneManager(m_renderer, "metascene");
    m_background = m_scenes->loadScene("sceneBackground");
    m_background->loadLWS(fileSystem, kBackgrounds[engineRand() % 4], nullptr, 0.0f, 0.7f);
    for (int i = 0; i < 4; ++i) {
        m_trophies[i] = m_scenes->loadScene(kTrophies[i].name);
        m_trophies[i]->loadLWS(fileSystem, kTrophies[i].file, nullptr, 0.0f, 0.7f);
    }
    m_scenes->prepare(nullptr);
}

void Menu::chooseFirstScreen(const RaceSetup& setup)
{
    Application& app = *m_application;
    if (app.m_settings.language == -1) {
        fadeIn(m_screens["Language"]);
        return;
    }
    if (s_firstMenu) {
        showMainMenu();
        s_firstMenu = 0;
        return;
    }
    switch (setup.mode) {
    case 3:
        if (setup.careerResult != 0)
            showWinning();
        else
            showCareer();
        break;
    case 0:
        if (setup.gameType == 0 && setup.highscoreSlot != -1) {
            m_singleCcm = setup.ccm;
            m_singleLaps = setup.laps;
            m_singleTrack = app.m_config.singleRaceTrackIndex(setup.level);
            showHighscoresSingle(false);
        } else if (setup.gameType == 3 && setup.highscoreSlot != -1) {
            m_lmsCcm = setup.ccm;
            m_lmsArena = app.m_config.lastManStandingTrackIndex(setup.level);
            showHighscoresLMS(false);
        } else {
            showSingleplayer();
        }
        break;
    case 2:
        // A race that lost its game says so over the multiplayer screen.
        m_connectionNoticePending = setup.connectionLost;
        showMultiplayer();
        break;
    default:
        showMainMenu();
        break;
    }
}

Menu::~Menu()
{
    removeLobbyHandlers();
    Application& app = *m_application;
    if (m_result == 1)
        app.openLoadingScreen("", 0.0f, 0.0f, 1.0f);
    else
        app.openLoadingScreen(app.m_raceSetup.level, 0.0f, 0.0f, 0.5f);
    gui::context().getMouseCursor().hide();
    m_focus.clear();
    delete m_career;
    delete m_ranking;
    delete m_shop;
    m_career = nullptr;
    m_ranking = nullptr;
    m_shop = nullptr;
    CEGUI::WindowManager& windows = CEGUI::WindowManager::getSingleton();
    for (const Teardown& step : kScreenTeardown) {
        const auto it = m_screens.find(step.screen);
        if (it != m_screens.end())
            windows.destroyWindow(it->second);
        app.setLoadingProgress(step.progress);
    }
    m_screens.clear();
    m_windows.clear();
    CEGUI::ImageManager& images = CEGUI::ImageManager::getSingleton();
    for (int i = 0; i < 4; ++i) {
        images.destroyImageCollection(kImagesets[i]);
        app.setLoadingProgress(kImagesetTeardown[i]);
    }
    delete m_scenes;
    m_scenes = nullptr;
    app.setLoadingProgress(1.0f);
}

CEGUI::Window* Menu::window(const std::string& path) const
{
    const auto it = m_windows.find(path);
    if (it != m_windows.end())
        return it->second;
    const auto screen = m_screens.find(path);
    return screen != m_screens.end() ? screen->second : nullptr;
}
