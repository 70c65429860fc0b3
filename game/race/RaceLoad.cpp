// Building a race from its set-up: the level scene, the physics tables, the
// karts with their controllers, the pickups and checkpoints, then the start.
#include "game/race/Race.h"

#include "engine/core/render/Renderer.h"
#include "engine/core/base/Report.h"
#include "engine/scene/Camera.h"
#include "engine/scene/CollisionObject.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "game/app/Application.h"
#include "game/app/DebugConsole.h"
#include "game/app/Hud.h"
#include "game/app/RaceSetup.h"
#include "game/app/TuningValues.h"
#include "game/race/AIKartController.h"
#include "game/race/EffectManager.h"
#include "game/race/Extras.h"
#include "game/race/HumanKartController.h"
#include "game/race/Kart.h"
#include "game/race/RemoteKart.h"
#include "game/race/SceneLookup.h"

#include <CEGUI/Exceptions.h>
#include <ode/ode.h>

namespace {

// The pickup models placed in the levels, and the list each goes to.
const char* const kCoin = "D:\\Zoprax9/3dobjects_extras/coin.lwo";
const char* const kItemPickup = "D:\\Zoprax9/3dobjects_extras/extra_addon.lwo";
const char* const kSpecialPickup = "D:\\Zoprax9/3dobjects_extras/spezial_addon.lwo";
const char* const kHealthPickup = "D:\\Zoprax9/3dobjects_extras/health_addon.lwo";
const char* const kHammerPickup = "D:\\Zoprax9/3dobjects_extras/hammer_addon.lwo";
const char* const kQuadDamagePickup = "D:\\Zoprax9/3dobjects_extras/quaddamage_addon.lwo";

// Lap counting needs the line, the checkpoint after it and the one before.
constexpr int32_t kCheckpointsForLaps = 3;

} // namespace

void Race::load(Stream* files, RaceSetup& setup, WinInput* input)
{
    m_setup = &setup;
    for (uint8_t& ready : m_ready)
        ready = 0;
    if (setup.mode == 2)
        registerReadyHandler();
    m_viewCount = setup.mode == 1 ? 2 : 1;

    m_sceneManager = new SceneManager(m_renderer, "metascene");
    m_scene = m_sceneManager->loadScene("scene");
    for (Camera*& camera : m_cameras)
        camera = m_scene->addCamera(false);

    const LevelInfo* level = m_app ? m_app->findLevel(setup.level) : nullptr;
    if (!level)
        return refuse("no level named \"" + setup.level + "\"");
    std::string why;
    if (!loadHudAndConsole(why))
        return refuse(why);
    if (!loadLevel(files, *level))
        return refuse("the level scene " + level->filename + " does not load");
    if (m_app)
        m_app->openLoadingScreen(level->name, 0.0f, 0.5f, 1.0f);
    hideMouseCursor();
    auto progress = [this](float p) {
        if (m_app)
            m_app->setLoadingProgress(p);
    };
    loadPaths(files, *level);
    progress(0.1f);

    createSpaces();
    installContacts();
    dWorldSetQuickStepNumIterations(m_scene->m_world, 5);
    dWorldSetGravity(m_scene->m_world, 0.0, -18.0, 0.0);
    progress(0.2f);

    if (!createKarts(files, input, why))
        return refuse(why);
    // The local player of a network game comes from the lobby.
    if (setup.mode == 2 && (setup.localSlot < 0 || setup.localSlot >= m_kartCount))
        return refuse("the local player's slot " + std::to_string(setup.localSlot) + " holds no kart");
    m_extras = new Extras(files, m_scene);
    m_effects = new EffectManager(files, m_app, m_sceneManager, m_scene);
    m_effects->createRaceEffects();
    m_sceneManager->prepare(nullptr);
    for (int32_t i = 0; i < m_kartCount; ++i) {
        Kart* kart = m_karts[i];
        if (kart->m_controller && kart->m_controller->getType() == KartController::Network)
            static_cast<RemoteKart*>(kart)->makeKinematic();
    }

    findPickups();
    if (!numberCheckpoints(why))
        return refuse(why);
    progress(0.75f);
    loadMaps(files, *level);
    if (!loadDialogs(why))
        return refuse(why);

    if (m_renderer)
        m_renderer->m_drawGadgets = 0;
    m_timer.start();
    m_physicsClock = 0.0f;
    for (int32_t v = 0; v < kMaxViews; ++v) {
        m_viewKart[v] = setup.mode == 2 ? setup.localSlot : v;
        m_cameraDistance[v] = cameraDistance;
        m_cameraSpeedfactor[v] = cameraSpeedfactor;
        m_cameraHeight[v] = cameraHeight;
        m_cameraFov[v] = cameraFov;
    }
    // The rows the frame sets (WatchRow).
    m_console->addWatchInt("game::posmap", 0);
    m_console->addWatchInt("kart::check", 0);
    m_console->addWatchInt("kart::lap", 0);
    m_console->addWatchFloat("engine::fps", 0.0f);
    m_console->addWatchInt("engine::polys", 0);
    m_console->addWatchInt("engine::dipcalls", 0);
    m_console->addWatchFloat("kart::speed", 0.0f);
    if (setup.mode == 2)
        registerRaceHandlers();
    progress(1.0f);

    m_loaded = true;
    start();
    updateTransforms();
    snapPathsToFloor();

    if (setup.gameType == LastManStanding) {
        for (int32_t i = 0; i < m_kartCount; ++i)
            m_hud->setEnergyVisible(i, true);
        for (int32_t view = 0; view < m_viewCount; ++view) {
            int32_t bar = 1;
            for (int32_t i = 0; i < m_kartCount; ++i)
                if (i != m_viewKart[view])
                    m_hud->setEnergyText(bar++, setup.playerName[i], view);
        }
    }
    m_hud->setVisible(true);
    if (m_app)
        m_app->closeLoadingScreen();
}

bool Race::loadHudAndConsole(std::string& why)
{
    CEGUI_TRY
    {
        m_hud = new Hud(m_app, m_setup, m_viewCount);
        m_console = new DebugConsole(this);
    }
    CEGUI_CATCH(const CEGUI::Exception& e)
    {
        why = std::string(m_hud ? "the debug console" : "the HUD") + " does not load: " + e.getMessage().c_str();
        return false;
    }
    return true;
}

bool Race::loadLevel(Stream* files, const LevelInfo& level)
{
    return m_scene->loadLWS(files, level.filename, nullptr, 0.0f, 0.7f);
}

bool Race::makeControllers(int32_t playerType, WinInput* input, KartController*& primary, KartController*& second,
                           int32_t markerColours[2])
{
    const int32_t ccm = m_setup ? m_setup->ccm : 0;
    switch (playerType) {
    case 1:
    case 2:
    case 3:
        primary = new HumanKartController(input, playerType);
        second = new AIKartController(ccm);
        // The player of key set 3 is the second view's own kart.
        markerColours[0] = playerType == 3 ? 1 : 0;
        markerColours[1] = playerType == 3 ? 0 : 1;
        return true;
    case 4:
        primary = second = new AIKartController(ccm);
        markerColours[0] = markerColours[1] = 1;
        return true;
    case 5:
        primary = second = new KartController();
        markerColours[0] = markerColours[1] = 1;
        return true;
    default:
        return false;
    }
}

bool Race::createKarts(Stream* files, WinInput* input, std::string& why)
{
    // Players fill the slots from 0 without gaps.
    int32_t players = 0;
    for (int32_t type : m_setup->playerType)
        players += type != 0 ? 1 : 0;
    for (int32_t i = 0; i < players; ++i) {
        const int32_t type = m_setup->playerType[i];
        KartController* primary = nullptr;
        KartController* second = nullptr;
        int32_t colours[2] = {1, 1};
        if (!makeControllers(type, input, primary, second, colours)) {
            reportAssertion("");
            why = "player " + std::to_string(i) + " has type " + std::to_string(type) + ", not 1 to 5";
            return false;
        }
        const KartInfo* info = m_app ? m_app->findKart(m_setup->kartName[i]) : nullptr;
        // A kart another machine drives follows its poses instead.
        const UpgradeTable* upgrades = m_app ? &m_app->m_config.upgrades() : nullptr;
        Kart* kart = primary->getType() == KartController::Network
                         ? new RemoteKart(files, m_scene, i, info, primary, second, m_setup->upgrades[i], upgrades,
                                          m_setup->ccm)
                         : new Kart(files, m_scene, i, info, primary, second, m_setup->upgrades[i], upgrades,
                                    m_setup->ccm);
        m_karts[i] = kart;
        m_kartCount = i + 1;
        kart->m_marker = m_hud->addMarker(colours[0], colours[1]);
        if (!info) {
            why = "no kart named \"" + m_setup->kartName[i] + "\"";
            return false;
        }
        if (!kart->m_missing.empty()) {
            why = "kart " + info->name + " lacks" + kart->m_missing;
            return false;
        }
        if (m_app)
            m_app->setLoadingProgress(0.2f + 0.05f * float(i + 1));
    }
    return true;
}

void Race::findPickups()
{
    struct PickupList {
        const char* model;
        std::vector<SceneObject*>* list;
        float progress;
    };
    const PickupList lists[] = {
        {kCoin, &m_coins, 0.6f},
        {kItemPickup, &m_itemPickups, 0.65f},
        {kSpecialPickup, &m_specialPickups, 0.7f},
        {kHealthPickup, &m_healthPickups, -1.0f},
        {kHammerPickup, &m_hammerPickups, -1.0f},
        {kQuadDamagePickup, &m_quadDamagePickups, -1.0f},
    };
    for (const PickupList& p : lists) {
        const int32_t count = lookup::count(m_scene, p.model, 0);
        for (int32_t n = 1; n <= count; ++n)
            p.list->push_back(lookup::instance(m_scene, p.model, 0, n));
        if (p.progress > 0.0f && m_app)
            m_app->setLoadingProgress(p.progress);
    }
    auto setChannels = [](const std::vector<SceneObject*>& list, bool pitch) {
        for (SceneObject* o : list) {
            for (int32_t c = ScaleX; c <= ScaleZ; ++c) {
                o->m_motion[c].m_envelope.reset();
                o->m_motion[c].m_value = 1.0f;
            }
            if (pitch) {
                o->m_motion[RotationP].m_envelope.reset();
                o->m_motion[RotationP].m_value = 0.0f;
            }
        }
    };
    setChannels(m_coins, true);
    setChannels(m_itemPickups, true);
    setChannels(m_hammerPickups, false);
    setChannels(m_quadDamagePickups, false);
}

bool Race::numberCheckpoints(std::string& why)
{
    const int32_t count = lookup::count(m_scene, "check", -1);
    for (int32_t n = 1; n <= count; ++n) {
        MeshObject* check = lookup::instance(m_scene, "check", -1, n);
        if (check && check->m_itemType == ItemCollision)
            static_cast<CollisionObject*>(check)->m_trigger = n - 1;
    }
    if (m_setup->gameType != LastManStanding && count < kCheckpointsForLaps) {
        why = "the level has " + std::to_string(count) + " check objects; laps need " +
              std::to_string(kCheckpointsForLaps);
        return false;
    }
    return true;
}
