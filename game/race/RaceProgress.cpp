// The race's game logic between loading and the results: the grid, the
// countdown, the order of the karts, the wrong-way warning, the HUD's values
// and the rules by which each race kind ends.
#include "game/race/Race.h"

#include "engine/scene/MeshObject.h"
#include "engine/scene/Scene.h"
#include "game/app/Application.h"
#include "game/app/Hud.h"
#include "game/app/RaceSetup.h"
#include "game/race/Kart.h"
#include "game/race/KartController.h"
#include "game/race/SceneLookup.h"
#include "game/race/VectorOps.h"

#include <algorithm>

namespace {

// The set-up's player type of a computer driver.
constexpr int32_t kComputerPlayer = 4;

} // namespace

void Race::start()
{
    updateTransforms();
    for (int32_t i = 0; i < m_kartCount; ++i) {
        Kart* kart = m_karts[i];
        const int32_t slot = m_setup->startSlot[i];
        if (MeshObject* grid = lookup::instance(m_scene, "start", -1, slot + 1)) {
            const Matrix4 m = grid->getMatrix(0.0);
            const Vector3 at{m.at(3, 0), m.at(3, 1), m.at(3, 2)};
            // The engine's angles: x is the negated pitch, y the heading, z
            // the negated bank.
            const Vector3 turn{-grid->m_motion[RotationP].evaluate(0.0), grid->m_motion[RotationH].evaluate(0.0),
                               -grid->m_motion[RotationB].evaluate(0.0)};
            kart->setTransform(at, turn);
        }
        kart->resetForRace(slot);
    }
    for (int32_t view = 0; view < m_viewCount; ++view)
        setCameraMode(view, StartCamera);
    for (int32_t view = 0; view < kMaxViews; ++view) {
        m_wrongWay[view] = 0;
        m_wrongWayTime[view] = 0.0f;
        for (int32_t& value : m_posHistory[view])
            value = 1;
    }
    m_started = 0;
    m_abandoned = 0;
    m_countdownStart = -1.0f;
    m_startTime = -1.0f;
    m_countdownPhase = 1;
    m_overTime = -1.0;
    for (int32_t view = 0; view < m_viewCount; ++view) {
        m_hud->setStartText(false, view);
        m_hud->setStartVisible(true, view);
    }
    m_hud->setCountdownVisible(false);
    if (m_app) {
        m_app->m_soundOff = 1;
        m_app->stopCategory(1);
    }
    setCoinsActive(m_setup->gameType == CoinRace);
    setPickupsActive(true);
}

bool Race::updateCountdown()
{
    const double t0 = m_countdownStart;
    if (t0 < 0.0)
        return false;
    const double c = raceClock(), d = m_timer.m_frameTime;
    // A mark fires once, in the frame that reaches it.
    auto reached = [c, d, t0](double offset) { return c >= t0 + offset && c - d < t0 + offset; };
    bool go = false;
    if (m_countdownPhase == 1) {
        m_countdownPhase = 2;
        m_hud->setCountdownVisible(true);
        m_hud->setCountdown(2);
        if (m_app)
            m_app->m_soundOff = 0;
        playCue(22);
    }
    if (reached(1.0)) {
        m_countdownPhase = 3;
        m_hud->setCountdown(1);
        playCue(23);
    }
    if (reached(2.0)) {
        m_countdownPhase = 4;
        m_hud->setCountdown(0);
        playCue(23);
    }
    if (reached(3.0)) {
        m_countdownPhase = 5;
        m_hud->setCountdown(3);
        playCue(8);
        go = true;
    }
    if (reached(4.0)) {
        m_countdownPhase = 0;
        m_hud->setCountdownVisible(false);
    }
    return go;
}

void Race::updatePositions()
{
    // A kart that has finished keeps its place: ahead of every kart still
    // racing in the order of finishing, or, in last man standing, behind
    // every kart still in, the last one out first.
    const bool lastManStanding = m_setup->gameType == LastManStanding;
    auto ahead = [&](const Kart& a, int32_t keyA, const Kart& b, int32_t keyB) {
        if (a.m_finished != b.m_finished)
            return lastManStanding ? !a.m_finished : a.m_finished != 0;
        if (a.m_finished)
            return lastManStanding ? a.m_finishTime > b.m_finishTime : a.m_finishTime < b.m_finishTime;
        return keyA > keyB;
    };
    int32_t order[kMaxKarts];
    int32_t key[kMaxKarts];
    for (int32_t i = 0; i < m_kartCount; ++i) {
        key[i] = m_karts[i]->m_lap * 256 + positionValue(m_karts[i]->m_position);
        // Highest key first; on a tie the better rank of the last update
        // stays in front.
        int32_t at = i;
        while (at > 0) {
            const int32_t other = order[at - 1];
            const Kart& a = *m_karts[other];
            const Kart& b = *m_karts[i];
            const bool tie = !ahead(a, key[other], b, key[i]) && !ahead(b, key[i], a, key[other]);
            if (ahead(a, key[other], b, key[i]) || (tie && a.m_rank < b.m_rank))
                break;
            order[at] = other;
            --at;
        }
        order[at] = i;
    }
    for (int32_t position = 0; position < m_kartCount; ++position)
        m_karts[order[position]]->m_rank = position;
    for (int32_t i = 0; i < m_kartCount; ++i) {
        Kart& kart = *m_karts[i];
        if (kart.m_rank >= kart.m_previousRank)
            continue;
        const int32_t passedRank = kart.m_previousRank;
        Kart* passed = nullptr;
        for (int32_t j = 0; j < m_kartCount && !passed; ++j)
            if (m_karts[j]->m_rank == passedRank)
                passed = m_karts[j];
        if (!passed || passed == &kart)
            continue;
        const bool rightSide = vec::dot(kart.m_position - passed->m_position, passed->m_side) > 0.0f;
        kart.onOvertake(true, rightSide);
        passed->onOvertake(false, !rightSide);
    }
}

void Race::updatePosmapHistory()
{
    for (int32_t view = 0; view < m_viewCount; ++view) {
        const Kart* kart = m_karts[m_viewKart[view]];
        if (!kart)
            continue;
        const int32_t value = positionValue(kart->m_position);
        int32_t* history = m_posHistory[view];
        if (value != 0 && value != history[0]) {
            history[3] = history[2];
            history[2] = history[1];
            history[1] = history[0];
            history[0] = value;
        }
    }
}

void Race::updateWrongWay()
{
    for (int32_t view = 0; view < m_viewCount; ++view) {
        int32_t* h = m_posHistory[view];
        // Three falls in a row; the next pulse needs three more.
        m_wrongWay[view] = h[0] < h[1] && h[1] < h[2] && h[2] < h[3] ? 1 : 0;
        if (m_wrongWay[view])
            h[1] = h[2] = h[3] = h[0];
    }
}

void Race::updateHud()
{
    const double clock = raceClock();
    const float elapsed = float(clock) - m_startTime;
    for (int32_t view = 0; view < m_viewCount; ++view) {
        const Kart* kart = m_karts[m_viewKart[view]];
        if (!kart)
            continue;
        float total = elapsed;
        if (m_startTime == -1.0f) {
            total = -1.0f;
        } else if (kart->m_finished) {
            total = kart->m_finishTime;
        } else if (!m_started) {
            total = 0.0f;
        } else if (m_setup->gameType == TimedRun && m_app) {
            // The time left of the career track's target.
            const std::vector<float>& times = m_app->m_config.careerTimes(m_setup->ccm);
            const int32_t r = m_setup->careerRace;
            if (r >= 0 && size_t(r) < times.size())
                total = std::max(times[size_t(r)] - elapsed, 0.0f);
        }
        m_hud->setTotalTime(total, view);
        m_hud->setLap(std::min(kart->m_maxLap, m_setup->laps), m_setup->laps, view);
        m_hud->setBestLapTime(kart->m_bestLapTime, view);
        m_hud->setLapTime(kart->m_lapTime, view);
        m_hud->setRank(kart->m_rank, view);
        m_hud->setCoins(kart->m_coins, view);
        m_hud->setPowerup(kart->m_powerup, view);
        if (m_wrongWay[view]) {
            m_hud->setUTurnVisible(true, view);
            m_wrongWayTime[view] = float(clock);
        } else if (clock - m_wrongWayTime[view] >= 0.5) {
            m_hud->setUTurnVisible(false, view);
        }
    }
    for (int32_t i = 0; i < m_kartCount; ++i)
        m_hud->updateMarker(i, m_karts[i]->m_position);
    if (m_setup->gameType != LastManStanding)
        return;
    for (int32_t view = 0; view < m_viewCount; ++view) {
        const int32_t own = m_viewKart[view];
        int32_t bar = 1;
        for (int32_t i = 0; i < m_kartCount; ++i)
            m_hud->setEnergy(i == own ? 0 : bar++, float(m_karts[i]->energy()) * 0.01f, view);
    }
}

bool Race::checkFinished(float elapsed)
{
    const int32_t laps = m_setup->laps;
    for (int32_t i = 0; i < m_kartCount; ++i)
        m_karts[i]->updateFinished(elapsed, laps);
    bool over;
    // A race set up with computer drivers only has nobody to wait for: it
    // lasts until the last kart is in, or in last man standing until one is
    // left.
    bool computersOnly = true;
    for (int32_t i = 0; i < m_kartCount && i < RaceSetup::kPlayers; ++i)
        computersOnly = computersOnly && m_setup->playerType[i] == kComputerPlayer;
    if (m_setup->gameType != LastManStanding) {
        // Computer karts never hold a race open.
        over = true;
        for (int32_t i = 0; i < m_kartCount; ++i) {
            const Kart& kart = *m_karts[i];
            const int32_t type = kart.m_controller ? kart.m_controller->getType() : KartController::Computer;
            if ((computersOnly || type != KartController::Computer) && !kart.m_finished && !m_departed[i])
                over = false;
        }
    } else {
        int32_t drivers = 0, driversOut = 0, out = 0;
        for (int32_t i = 0; i < m_kartCount; ++i) {
            const Kart& kart = *m_karts[i];
            const bool computer =
                m_departed[i] || (kart.m_controller && kart.m_controller->getType() == KartController::Computer);
            drivers += computer ? 0 : 1;
            driversOut += !computer && kart.m_finished ? 1 : 0;
            out += kart.m_finished ? 1 : 0;
        }
        over = computersOnly ? out >= m_kartCount - 1
                             : driversOut == drivers || (driversOut == drivers - 1 && out == m_kartCount - 1);
        if (over) {
            // The survivor finishes a second after the last one out.
            for (int32_t i = 0; i < m_kartCount; ++i) {
                Kart& kart = *m_karts[i];
                if (kart.energy() > 0)
                    kart.setEnergy(0);
                kart.updateFinished(elapsed + 1.0f, laps);
            }
        }
    }
    for (int32_t view = 0; view < m_viewCount; ++view) {
        const Kart* kart = m_karts[m_viewKart[view]];
        if (over) {
            m_hud->setStartVisible(false, view);
        } else if (kart && kart->m_finished) {
            m_hud->setStartText(true, view);
            m_hud->setStartVisible(true, view);
        }
    }
    return over;
}
