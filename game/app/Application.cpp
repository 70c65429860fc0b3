#include "game/app/Application.h"

#include "engine/core/math/Random.h"
#include "engine/core/render/Renderer.h"
#include "engine/core/base/Report.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "game/app/TextTable.h"
#include "platform/gui/GuiRenderer.h"
#include "game/menu/Highscores.h"
#include "game/menu/ProfileStore.h"

#include <CEGUI/GUIContext.h>
#include <CEGUI/System.h>

#include <ctime>
#include <cstdio>

namespace {
Application* g_application = nullptr;
} // namespace

Application::Application(Renderer* renderer, StageMakers makers)
    : m_renderer(renderer), m_settings(g_settings ? *g_settings : m_ownSettings), m_makers(std::move(makers))
{
    g_application = this;
    engineSrand(uint32_t(std::time(nullptr)));
}

Application::~Application()
{
    delete m_race;
    delete m_menu;
    m_race = nullptr;
    m_menu = nullptr;
    stopGui();
    delete m_textTable;
    delete m_highscores;
    delete m_profileStore;
    m_textTable = nullptr;
    m_highscores = nullptr;
    m_profileStore = nullptr;
    // The kart models hang wherever the preview last put them; back under
    // the preview scene's root, the scene takes them down with the rest.
    for (SceneObject*& model : m_kartMenuModels) {
        if (model && m_previewScene && m_previewScene->m_root) {
            if (model->m_parent)
                model->m_parent->removeChild(model);
            m_previewScene->m_root->addChild(model);
        }
        model = nullptr;
    }
    delete m_previewScenes;
    m_previewScenes = nullptr;
    m_previewScene = nullptr;
    m_audio.shutDown();
    if (g_application == this)
        g_application = nullptr;
}

Application* Application::instance()
{
    return g_application;
}

bool Application::update(WinInput* input)
{
    switch (m_state) {
    case StateMenu: {
        const int32_t answer = m_menu ? m_menu->update() : 1;
        if (answer == 1)
            m_state = StateMenuToQuit;
        else if (answer == 2)
            m_state = StateMenuToRace;
        break;
    }
    case StateRace:
        if (m_race) {
            m_race->update(input);
            if (m_race->result() != 0)
                m_state = StateRaceEnded;
        } else {
            m_state = StateRaceEnded;
        }
        break;
    case StateStartRace:
        startRace(input);
        break;
    case StateRaceEnded:
        endRace();
        break;
    case StateQuit:
        m_quit = 1;
        break;
    case StateCreateMenu:
        createMenu(input);
        break;
    case StateMenuToQuit:
        stopCue(kMenuMusicCue);
        delete m_menu;
        m_menu = nullptr;
        m_state = StateQuit;
        break;
    case StateMenuToRace:
        delete m_menu;
        m_menu = nullptr;
        m_state = StateStartRace;
        break;
    default:
        reportAssertion("0");
        break;
    }

    // CEGUI counts its time in seconds: tooltips, caret blinks and fades
    // would run a thousand times too fast on milliseconds.
    if (m_guiSystem) {
        const float seconds = float(m_timer.m_frameTime);
        m_guiSystem->injectTimePulse(seconds);
        m_guiSystem->getDefaultGUIContext().injectTimePulse(seconds);
    }
    doAudioWork();
    m_timer.update();
    return true;
}

void Application::createMenu(WinInput* input)
{
    MenuStage* menu = m_makers.makeMenu ? m_makers.makeMenu(this, m_renderer, input) : nullptr;
    if (!menu) {
        missingStage("menu");
        m_state = StateQuit;
        return;
    }
    m_menu = menu;
    if (m_renderer) {
        m_renderer->m_textureDetail = 0;
        m_renderer->m_objectDetail = 1;
        m_renderer->m_shadowDetail = 0;
    }
    m_menu->load(m_archive, m_raceSetup);
    m_state = StateMenu;
    closeLoadingScreen();
    setGlobalVariable(kMusicVariable, -1.0f);
}

void Application::startRace(WinInput* input)
{
    RaceStage* race = m_makers.makeRace ? m_makers.makeRace(this, m_renderer) : nullptr;
    if (!race) {
        missingStage("race");
        m_state = StateQuit;
        return;
    }
    m_race = race;
    if (m_renderer) {
        m_renderer->m_textureDetail = m_settings.textureDetail;
        m_renderer->m_objectDetail = m_settings.objectDetail;
        m_renderer->m_shadowDetail = m_settings.shadowDetail;
    }
    m_race->load(m_archive, m_raceSetup, input);
    m_state = StateRace;
    closeLoadingScreen();
    // The level's music; a level name from a profile or a peer that no
    // record has keeps the music that plays.
    if (const LevelInfo* level = findLevel(m_raceSetup.level))
        setGlobalVariable(kMusicVariable, float(level->music));
}

void Application::endRace()
{
    int32_t result = m_race ? m_race->result() : m_raceResult;
    m_raceResult = result;
    delete m_race;
    m_race = nullptr;
    if (m_raceSetup.mode == 3)
        result = bookCareer(result);
    if (result == 1 || result == 3)
        m_state = StateCreateMenu;
    else if (result == 2)
        m_state = StateStartRace;
    else
        reportAssertion("0 && \"you shouldn't be here\"");
}

int32_t Application::bookCareer(int32_t result)
{
    if (!m_profileStore)
        return result;
    ProfileStore& store = *m_profileStore;
    store.buyOpponentUpgrades(m_config.upgrades());
    const int32_t c = store.getCcm();
    const int32_t n = store.getLevel(c) + 1;
    const std::vector<std::string>& tracks = m_config.careerTracks(c);
    if (int32_t(tracks.size()) > n) {
        // The next race of the season.
        store.setLevel(c, n);
        store.unlockTrack(c, tracks[size_t(n)]);
        const int32_t ccm = store.getCcm();
        const int32_t r = store.getLevel(ccm);
        const std::vector<std::string>& list = m_config.careerTracks(ccm);
        if (r >= 0 && size_t(r) < list.size()) {
            m_raceSetup.gameType = m_config.careerGames(ccm)[size_t(r)];
            m_raceSetup.laps = m_config.careerLaps(ccm)[size_t(r)];
            m_raceSetup.level = list[size_t(r)];
            m_raceSetup.careerRace = r;
        }
        for (int i = 0; i < RaceSetup::kPlayers; ++i) {
            m_raceSetup.playerName[i] = store.getName(i);
            m_raceSetup.kartName[i] = store.getKart(i);
            m_raceSetup.kudos[i] = store.getKudos(i);
            m_raceSetup.startSlot[i] = store.getStartPosition(i, ccm, r);
            int32_t* look = m_raceSetup.upgrades[i];
            look[0] = store.getSpoiler(i, ccm);
            look[1] = store.getTires(i, ccm);
            look[2] = store.getSideskirts(i, ccm);
            look[3] = store.getEngine(i, ccm);
            look[4] = store.getColor(i, ccm);
            look[5] = store.getLogo(i, ccm);
            m_raceSetup.playerType[i] = i == 0 ? 1 : 4;
        }
    } else {
        // The season of this class is over.
        if (store.getSeasonPosition(0, c) == 0) {
            m_raceSetup.careerResult = 1;
            if (c < 2) {
                store.setCcm(c + 1);
                if (!tracks.empty())
                    store.unlockTrack(c, tracks[0]);
            } else {
                // The top class: the career is complete.
                if (m_highscores) {
                    const HighscoreEntry entry(store.getKart(0), store.getName(0), store.getSeasonPoints(0, 2),
                                               store.getTotalTime(0, 2), store.getRetries());
                    const int32_t slot = m_highscores->overallTable().insert(entry);
                    m_raceSetup.highscoreSlot = slot;
                    if (slot != -1)
                        m_highscores->save();
                }
                store.setGameOver(1);
            }
        } else {
            m_raceSetup.careerResult = 2;
            store.resetClass(c);
            store.setRetries(store.getRetries() + 1);
        }
        result = 1;
    }
    store.save();
    return result;
}

void Application::missingStage(const char* what)
{
    std::fprintf(stderr, "vorlund: this build has no %s yet; quitting\n", what);
}

void Application::onLostDevice()
{
    if (m_previewScenes)
        m_previewScenes->onLostDevice();
    if (m_state == StateMenu && m_menu)
        m_menu->onLostDevice();
    else if (m_state == StateRace && m_race)
        m_race->onLostDevice();
    // CEGUI's GL renderer keeps its textures across a reset: GL loses nothing.
}

void Application::onResetDevice()
{
    if (m_previewScenes)
        m_previewScenes->onResetDevice();
    if (m_state == StateMenu && m_menu)
        m_menu->onResetDevice();
    else if (m_state == StateRace && m_race)
        m_race->onResetDevice();
    if (m_guiSystem && m_guiRenderer && m_renderer && m_renderer->m_width > 0 && m_renderer->m_height > 0) {
        m_guiRenderer->setDisplaySize(m_renderer->m_width, m_renderer->m_height);
        m_guiSystem->notifyDisplaySizeChanged(CEGUI::Sizef(float(m_renderer->m_width), float(m_renderer->m_height)));
    }
}
