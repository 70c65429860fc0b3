// The race frame: the bookkeeping in its order, the fixed 0.01 s steps of the
// simulation behind the race clock, and the transform update after them.
#include "game/race/Race.h"

#include "engine/core/base/Profiler.h"
#include "engine/core/render/Renderer.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/NearCallback.h"
#include "engine/scene/Scene.h"
#include "game/app/Application.h"
#include "game/app/DebugConsole.h"
#include "game/app/RaceSetup.h"
#include "game/app/WinInput.h"
#include "game/net/NetControl.h"
#include "game/race/Extras.h"
#include "game/race/Kart.h"
#include "game/race/KartController.h"

#include <cstdio>
#include <mutex>
#include <string>

namespace {

// DirectInput scan code of the Space key, which steps a single-stepped race.
constexpr uint8_t kSpaceKey = 0x39;

// Times a block into a profiling section.
class ProfileScope {
public:
    explicit ProfileScope(ProfileSection& section) : m_index(section.index()) { Profiler::start(m_index); }
    ~ProfileScope() { Profiler::stop(m_index); }
    ProfileScope(const ProfileScope&) = delete;
    ProfileScope& operator=(const ProfileScope&) = delete;

private:
    int32_t m_index;
};

} // namespace

void Race::update(WinInput* input)
{
    if (!m_loaded)
        return;
    NetControl& net = NetControl::getInstance();
    {
        // Network messages are handled between frames, never inside one.
        std::lock_guard<std::recursive_mutex> lock(net.getLock());
        if (m_setup->mode == 2)
            dropDepartedPlayers();
        const bool over = checkFinished(float(raceClock()) - m_startTime);
        const bool go = updateCountdown();
        if (go && !m_started && !over && !m_abandoned) {
            m_started = 1;
            for (int32_t i = 0; i < m_kartCount; ++i)
                m_karts[i]->m_gear = 1;
            m_startTime = float(raceClock());
        }
        if (m_started && over)
            showResults();
        if (m_setup->mode == 2 && !net.isConnected() && !over) {
            m_result = 1;
            m_setup->connectionLost = true;
        }

        if (m_singleStep) {
            if (input && input->m_keys[kSpaceKey])
                stepOnce();
        } else {
            stepPhysics();
        }
        updatePosmapHistory();
        if (!m_abandoned && !over)
            updatePositions();
        if (m_setup->gameType != LastManStanding)
            updateWrongWay();
        updateHud();

        updateMouseCursor();

        updateWatches();

        handleInput(input);
        updateCameras();
        render();
        m_timer.update();
    }
    net.sendValues();
}

void Race::updateWatches()
{
    if (const Kart* kart = m_karts[m_viewKart[0]]) {
        m_console->setWatchInt(WatchPosmap, positionValue(kart->m_position));
        m_console->setWatchInt(WatchCheck, kart->m_direction);
        m_console->setWatchInt(WatchLap, kart->m_lap);
        m_console->setWatchFloat(WatchSpeed, kart->m_speed);
    }
    m_console->setWatchFloat(WatchFps, float(m_timer.m_framesPerSecond));
    if (m_renderer) {
        m_console->setWatchInt(WatchPolys, int32_t(m_renderer->m_primitiveCount));
        m_console->setWatchInt(WatchDipcalls, int32_t(m_renderer->m_drawCallCount));
    }
    m_console->refreshWatches();
}

void Race::stepPhysics()
{
    int32_t steps = 0;
    while (double(m_physicsClock) < raceClock() && steps < kMaxStepsPerFrame) {
        stepSimulation();
        ++steps;
    }
    // A frame too slow to catch up drops the rest rather than spiralling.
    if (steps == kMaxStepsPerFrame)
        m_physicsClock = float(raceClock());
    updateTransforms();
}

void Race::stepOnce()
{
    stepSimulation();
    updateTransforms();
}

void Race::stepSimulation()
{
    for (int32_t i = 0; i < m_kartCount; ++i) {
        Kart* kart = m_karts[i];
        if (kart->m_controller)
            kart->m_controller->update();
        kart->update(m_physicsClock, kStep);
        if (kart->m_respawnRequest && canRespawn()) {
            respawnKart(i);
            kart->m_respawnRequest = 0;
        }
    }
    updatePickups(m_physicsClock, kStep);
    if (m_extras)
        m_extras->update(m_physicsClock, kStep);
    {
        // The collider with the contact handlers: each nested space inside
        // itself once, so that no pair makes its contacts twice.
        static ProfileSection collide("race collide");
        const ProfileScope scope(collide);
        collideSpace(m_scene, m_scene->getSpace(SpaceDefault).space);
    }
    {
        static ProfileSection solve("race world step");
        const ProfileScope scope(solve);
        dWorldQuickStep(m_scene->m_world, kStep);
        dJointGroupEmpty(m_scene->m_contactGroup);
    }
    m_physicsClock += kStep;
}

void Race::updateTransforms()
{
    if (!m_scene || !m_scene->m_root)
        return;
    // Joint items are left out: evaluating a suspension applies its spring,
    // which the karts do once per step.
    SceneObject* root = m_scene->m_root;
    root->invalidateMatrices();
    root->forEachChild([](SceneObject* item) {
        if (item->m_itemType != ItemOdeJoint)
            item->invalidateMatrices();
    });
    const double time = raceClock();
    root->forEachChild([time](SceneObject* item) {
        if (item->m_itemType != ItemOdeJoint)
            item->getMatrix(time);
    });
}
