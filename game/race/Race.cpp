#include "game/race/Race.h"

#include "engine/core/render/Renderer.h"
#include "engine/core/base/Report.h"
#include "engine/scene/CollideFilter.h"
#include "engine/scene/ContactHandler.h"
#include "engine/scene/SceneManager.h"
#include "game/app/Application.h"
#include "game/app/DebugConsole.h"
#include "game/app/Gui.h"
#include "game/app/Hud.h"
#include "game/app/RaceSetup.h"
#include "game/race/ColourMap.h"
#include "game/race/EffectManager.h"
#include "game/race/Extras.h"
#include "game/race/GroundMap.h"
#include "game/race/Kart.h"
#include "game/race/SpeedMap.h"

#include <CEGUI/GUIContext.h>
#include <CEGUI/MouseCursor.h>

namespace {
Race* g_race = nullptr;
} // namespace

Race::Race(Application* application, Renderer* renderer) : m_renderer(renderer), m_app(application)
{
    g_race = this;
    if (m_renderer)
        m_renderer->m_drawGadgets = 1;
}

Race::~Race()
{
    // No message may reach the race while it goes.
    removeRaceHandlers();
    if (m_app) {
        m_app->stopCategory(1);
        m_app->openLoadingScreen("", 0.0f, 0.0f, 0.5f);
    }
    hideMouseCursor();
    auto progress = [this](float p) {
        if (m_app)
            m_app->setLoadingProgress(p);
    };
    delete m_posMap;
    m_posMap = nullptr;
    delete m_colourMap;
    m_colourMap = nullptr;
    delete m_extras;
    m_extras = nullptr;
    // Its emitters are the scene's.
    delete m_effects;
    m_effects = nullptr;
    delete m_console;
    m_console = nullptr;
    progress(0.1f);
    // The scene goes with its manager, before the handlers and filter its
    // tables point at and the karts whose objects it holds.
    delete m_sceneManager;
    m_sceneManager = nullptr;
    m_scene = nullptr;
    progress(0.3f);
    for (ContactHandler* handler : m_contactHandlers)
        delete handler;
    m_contactHandlers.clear();
    delete m_collideFilter;
    m_collideFilter = nullptr;
    progress(0.5f);
    for (Kart*& kart : m_karts) {
        delete kart;
        kart = nullptr;
    }
    progress(0.7f);
    destroyDialogs();
    progress(0.8f);
    deleteScreens();
    delete m_hud;
    m_hud = nullptr;
    delete m_speedMap;
    m_speedMap = nullptr;
    progress(1.0f);
    if (m_app)
        m_app->closeLoadingScreen();
    if (g_race == this)
        g_race = nullptr;
}

Race* Race::current()
{
    return g_race;
}

void Race::onLostDevice()
{
    if (m_sceneManager)
        m_sceneManager->onLostDevice();
}

void Race::onResetDevice()
{
    if (m_sceneManager)
        m_sceneManager->onResetDevice();
}

void Race::playCue(uint32_t cue)
{
    if (m_app)
        m_app->playCue(cue);
}

void Race::stopCue(uint32_t cue)
{
    if (m_app)
        m_app->stopCue(cue);
}

void Race::spawnEffect(int32_t kind, const float position[3], const float direction[3], float size, int32_t count)
{
    // A kind without a pool (the chassis's sparks) shows nothing.
    if (m_effects)
        m_effects->spawn(kind, Vector3(position[0], position[1], position[2]),
                         Vector3(direction[0], direction[1], direction[2]), size, uint8_t(count));
}

void Race::hideMouseCursor()
{
    if (m_app && m_app->m_guiSystem)
        gui::context().getMouseCursor().hide();
}

void Race::refuse(const std::string& why)
{
    const std::string message = "race refused: " + why;
    reportError(message.c_str());
    // A race refused before its HUD or console was made keeps windowless
    // ones, so that nothing it is asked later finds none.
    if (!m_hud)
        m_hud = new Hud(nullptr, m_setup, m_viewCount);
    if (!m_console)
        m_console = new DebugConsole(nullptr);
    m_result = 1;
    if (m_renderer)
        m_renderer->m_drawGadgets = 0;
    if (m_app)
        m_app->closeLoadingScreen();
}
