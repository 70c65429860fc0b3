#include "game/app/Application.h"

#include "engine/core/Random.h"
#include "engine/core/Renderer.h"
#include "engine/core/Report.h"

#include <ctime>
#include <cstdio>

namespace {
Application* g_application = nullptr;
} // namespace

Application::Application(Renderer* renderer, StageMakers makers) : m_renderer(renderer), m_makers(std::move(makers))
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

    // TODO(gui): the GUI's time pulse once the GUI system is up.
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
    // TODO(settings): the settings' texture, object and shadow detail levels
    // go into the renderer here.
    m_race->load(m_archive, m_raceSetup, input);
    m_state = StateRace;
    closeLoadingScreen();
    // TODO(config): the level record's music number goes into the music
    // variable here.
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
    // TODO(records): the career's books need the profile store.
    return result;
}

void Application::missingStage(const char* what)
{
    std::fprintf(stderr, "vorlund: this build has no %s yet; quitting\n", what);
}

void Application::onLostDevice()
{
    // TODO(gui): the preview scenes and the GUI renderer take part here too.
    if (m_state == StateMenu && m_menu)
        m_menu->onLostDevice();
    else if (m_state == StateRace && m_race)
        m_race->onLostDevice();
}

void Application::onResetDevice()
{
    if (m_state == StateMenu && m_menu)
        m_menu->onResetDevice();
    else if (m_state == StateRace && m_race)
        m_race->onResetDevice();
}
