#include "game/race/AIKartController.h"

#include "engine/core/math/Random.h"
#include "game/race/Kart.h"
#include "game/race/Path.h"
#include "game/race/Race.h"
#include "game/race/VectorOps.h"

#include <algorithm>

namespace {

// Points the position search looks ahead of the last nearest one.
constexpr int32_t kWindow = 10;
// Steps after GO (or a reset) before the driver may be stuck, and before it
// avoids other karts.
constexpr uint32_t kSettleSteps = 100;
constexpr uint32_t kAvoidAfterSteps = 300;
// Steps of being stuck that ask for a reset.
constexpr uint32_t kStuckLimit = 100;
// A kart that has not got this far (metres) in this many steps is stuck.
constexpr float kHeadway = 2.0f;
constexpr uint32_t kHeadwaySteps = 100;
// Karts nearer than this are touching, farther ones do not matter.
constexpr float kNearKart = 2.4f;
constexpr float kFarKart = 30.0f;
// cos 45 and cos 30 degrees.
constexpr float kCos45 = 0.707f;
constexpr float kCos30 = 0.866f;
// Steps a path change holds at least, and the random part on top.
constexpr uint32_t kPathHoldSteps = 1000;
constexpr int kPathHoldRandom = 1000;

bool holdsPowerup(int32_t held, std::initializer_list<int32_t> kinds)
{
    return std::find(kinds.begin(), kinds.end(), held) != kinds.end();
}

} // namespace

AIKartController::AIKartController(int32_t) {}

bool AIKartController::havePath()
{
    if (m_path && m_path->usable())
        return true;
    m_path = chooseNearestPath();
    return m_path && m_path->usable();
}

Path* AIKartController::chooseNearestPath() const
{
    Race* race = Race::current();
    if (!race)
        return nullptr;
    Path* best = &race->m_paths[0];
    if (!m_kart)
        return best;
    float bestLateral = 0.0f;
    const int32_t count = std::clamp(race->m_pathCount, 0, Race::kPathSlots);
    for (int32_t i = 0; i < count; ++i) {
        Vector3 direction;
        float lateral;
        race->m_paths[i].closestPoint(m_kart->m_position, direction, lateral);
        if (i == 0 || lateral < bestLateral) {
            best = &race->m_paths[i];
            bestLateral = lateral;
        }
    }
    return best;
}

Kart* AIKartController::findNearestKart(float minDistance, float maxDistance) const
{
    const Race* race = Race::current();
    if (!race || !m_kart)
        return nullptr;
    Kart* nearest = nullptr;
    float nearestDistance = 0.0f;
    for (int32_t i = 0; i < race->m_kartCount; ++i) {
        Kart* other = race->m_karts[i];
        if (!other || other->m_index == m_kart->m_index)
            continue;
        const float d = vec::distance(other->m_position, m_kart->m_position);
        if (d < minDistance || d > maxDistance)
            continue;
        if (!nearest || d < nearestDistance) {
            nearest = other;
            nearestDistance = d;
        }
    }
    return nearest;
}

Vector3 AIKartController::directionTo(const Vector3& p) const
{
    return vec::unit(p - m_kart->m_position);
}

Vector3 AIKartController::directionFrom(const Vector3& p) const
{
    return vec::unit(m_kart->m_position - p);
}

Vector3 AIKartController::avoidance(const Kart* other, float time) const
{
    const Kart& kart = *m_kart;
    const Vector3 predicted = other->m_position + other->m_forward * (other->m_speed * time);
    const Vector3 toOther = other->m_position - kart.m_position;
    if (vec::lengthSquared(toOther) >= kNearKart * kNearKart)
        return {};
    const float c = vec::dot(kart.m_forward, vec::unit(toOther));
    if (other->m_speed > kart.m_speed)
        return c > kCos45 ? directionTo(predicted) : Vector3{};
    if (c > kCos45)
        return directionFrom(predicted);
    if (c > -kCos45 && c < kCos45)
        return directionTo(predicted);
    return {};
}

void AIKartController::decidePowerupUse(const Kart* target)
{
    const int32_t held = m_kart->m_powerup;
    if (held < 0)
        return;
    if (holdsPowerup(held, {Kart::PowerupBoost, Kart::PowerupShield, Kart::PowerupHealth, Kart::PowerupQuadDamage})) {
        m_fire = 1.0f;
        return;
    }
    if (!target)
        return;
    const float c = vec::dot(m_kart->m_forward, directionTo(target->m_position));
    bool fire = false;
    if (c < -kCos45)
        fire = holdsPowerup(held, {Kart::PowerupOil, Kart::PowerupDecoy, Kart::PowerupBananas});
    else if (c > kCos45)
        fire = holdsPowerup(held, {Kart::PowerupRocket, Kart::PowerupSnowball, Kart::PowerupSpeedup,
                                   Kart::PowerupFrog, Kart::PowerupFrog2, Kart::PowerupFrog3, Kart::PowerupPumpkin,
                                   Kart::PowerupAlien, Kart::PowerupHole});
    else if (c > -kCos45)
        fire = held == Kart::PowerupTank;
    // The hammer is never fired by the computer.
    if (fire)
        m_fire = 1.0f;
}

Vector3 AIKartController::steeringDirection(float lookAheadTime) const
{
    const Kart& kart = *m_kart;
    const Path& path = *m_path;
    const float distance = kart.m_speed * lookAheadTime;
    const float along = path.distanceAlongInWindow(kart.m_position, m_vertexIndex, m_vertexIndex + kWindow);
    float f;
    if (m_lookAheadLateral < 0.0f && m_insideBand) {
        // Inside the band and staying in it: straight on.
        if (m_headingAlong)
            return kart.m_forward;
        f = -0.1f;
    } else {
        f = m_headingAlong ? 1.0f : -0.1f;
    }
    Vector3 target = path.pointAtDistanceInWindow(along + f * distance, m_segmentIndex, m_segmentIndex + kWindow);
    // A hairpin: the point ahead lies on a segment that turns back on the
    // kart's; aim twice as far along instead.
    const int32_t next = path.nearestSegment(target);
    if (next == m_segmentIndex + 1 && m_segmentIndex >= 0 && next < path.count &&
        vec::dot(path.directions[size_t(next)], path.directions[size_t(m_segmentIndex)]) < -0.1f)
        target = path.pointAtDistance(2.0f * distance + along);
    if (m_lateral > 0.0f)
        return directionTo(m_closestPoint);
    return directionTo(target);
}

const Kart* AIKartController::leader(const Race& race) const
{
    const Kart* best = nullptr;
    for (int32_t i = 0; i < race.m_kartCount; ++i) {
        const Kart* kart = race.m_karts[i];
        if (!kart || kart->m_finished)
            continue;
        const KartController* driver = kart->m_controller;
        if (driver && driver->getType() == Computer)
            continue;
        if (!best || kart->m_rank < best->m_rank)
            best = kart;
    }
    return best;
}

void AIKartController::applyRubberBand(const Race& race, Kart& kart) const
{
    const Kart* first = leader(race);
    if (!first || first == &kart)
        return;
    const int32_t own = race.positionValue(kart.m_position);
    const int32_t theirs = race.positionValue(first->m_position);
    // 0 and 255 lie off the racing line: no progress to compare.
    if (own <= 0 || own >= 255 || theirs <= 0)
        return;
    const int32_t progress = own + 256 * kart.m_lap;
    const int32_t leaderProgress = theirs + 256 * first->m_lap;
    if (progress < leaderProgress) {
        const int32_t gap = leaderProgress - progress;
        if (gap >= m_behindThreshold) {
            const float e = float(std::min(gap - m_behindThreshold, m_behindRange));
            kart.m_forwardSpeed *= 1.0f + e / float(m_behindRange) * (m_behindMaxFactor - 1.0f);
        }
    } else if (progress > leaderProgress && kart.m_forward.y < 0.1f) {
        // Not while climbing: a kart held back on a slope could stall.
        const int32_t gap = progress - leaderProgress;
        if (gap >= m_aheadThreshold) {
            const float e = float(std::min(gap - m_aheadThreshold, m_aheadRange));
            kart.m_forwardSpeed *= (1.0f - e / float(m_aheadRange)) * (1.0f - m_aheadMinFactor) + m_aheadMinFactor;
        }
    }
}

void AIKartController::update()
{
    m_steerLeft = m_steerRight = m_brake = m_fire = 0.0f;
    m_throttle = 1.0f;
    const Race* race = Race::current();
    if (!m_kart || !race || !race->m_started)
        return;
    if (!havePath()) {
        // Nowhere to go: let the kart roll to a stop where it is.
        m_throttle = 0.0f;
        return;
    }
    Kart& kart = *m_kart;
    kart.m_forwardSpeed = kart.m_baseForwardSpeed;
    kart.m_backwardSpeed = kart.m_baseForwardSpeed;

    // Where the kart is on its path.
    const int32_t from = m_vertexIndex;
    m_closestPoint = m_path->closestPointInWindow(kart.m_position, m_pathDirection, m_lateral, from, from + kWindow);
    m_insideBand = m_lateral < 0.0f ? 1 : 0;
    m_headingAlong = vec::dot(kart.m_forward, m_pathDirection) > 0.0f ? 1 : 0;
    const float lookAheadTime = std::clamp(kart.m_speed, 0.1f, 0.2f);

    if (m_insideBand) {
        m_offBandAtChoice = 0;
        m_vertexIndex = m_path->nearestVertexInWindow(kart.m_position, from, from + kWindow);
        m_segmentIndex = m_path->nearestSegmentInWindow(kart.m_position, from, from + kWindow);
    } else {
        m_offBandAtChoice = 1;
        if (Path* nearest = chooseNearestPath(); nearest && nearest->usable())
            m_path = nearest;
        m_vertexIndex = m_path->nearestVertex(kart.m_position);
        m_segmentIndex = m_path->nearestSegment(kart.m_position);
    }

    // Where it will be shortly.
    m_lookAheadPoint = kart.m_position + kart.m_forward * (kart.m_speed * lookAheadTime);
    m_lookAheadClosest = m_path->closestPointInWindow(m_lookAheadPoint, m_lookAheadDirection, m_lookAheadLateral,
                                                      from, from + kWindow);

    applyRubberBand(*race, kart);
    if (m_lookAheadLateral > 0.6f || !m_headingAlong)
        kart.m_forwardSpeed *= 0.5f;

    if (vec::distance(kart.m_position, m_headwayPoint) > kHeadway) {
        m_headwayPoint = kart.m_position;
        m_headwayStep = m_step;
    }
    const bool noHeadway = m_step - m_headwayStep >= kHeadwaySteps;
    if (m_step <= kSettleSteps)
        m_stuckSteps = 0;
    else if (kart.m_speed < 1.0f || !m_headingAlong || noHeadway)
        ++m_stuckSteps;
    else
        m_stuckSteps = 0;

    Kart* nearest = findNearestKart(kNearKart, kFarKart);
    Vector3 wanted = steeringDirection(lookAheadTime);
    if (m_step > kAvoidAfterSteps && m_headingAlong && m_insideBand && kart.m_speed > 1.0f && nearest)
        wanted = wanted + clampToCone(avoidance(nearest, 2.0f * lookAheadTime), kCos45, kart.m_forward) * 0.2f;
    wanted = wanted + clampToCone(wanted, kCos45, m_lookAheadDirection) * 0.5f;
    wanted = vec::unit(clampToCone(wanted, kCos30, kart.m_forward));

    m_steer += (vec::dot(wanted, kart.m_side) - m_steer) * 0.5f;
    if (m_steer < 0.0f)
        m_steerRight = -m_steer;
    else
        m_steerLeft = m_steer;

    if (m_stuckSteps < kStuckLimit) {
        m_brake = 0.0f;
        m_throttle = 1.0f;
        if (m_step % 10 == 0 && !kart.m_finished)
            decidePowerupUse(nearest);
        if (m_step > m_nextPathSwitchStep && m_headingAlong && m_insideBand && !m_offBandAtChoice) {
            Path* nearer = chooseNearestPath();
            if (nearer && nearer != m_path && nearer->usable()) {
                m_path = nearer;
                m_vertexIndex = m_path->nearestVertex(kart.m_position);
                m_segmentIndex = m_path->nearestSegment(kart.m_position);
                m_nextPathSwitchStep = m_step + kPathHoldSteps + uint32_t(engineRand() % kPathHoldRandom);
            }
        }
    } else if (!isBusy()) {
        // Stuck: the race puts the kart back on the track.
        m_stuckSteps = 0;
        kart.m_respawnRequest = 1;
    }
    ++m_step;
}

void AIKartController::reset()
{
    m_steerLeft = m_steerRight = m_throttle = m_brake = m_fire = 0.0f;
    m_step = 0;
    m_steer = 0.0f;
    m_stuckSteps = 0;
    m_nextPathSwitchStep = 0;
    m_lateral = m_lookAheadLateral = 0.0f;
    m_headingAlong = m_insideBand = 1;
    m_headwayStep = 0;
    if (m_kart)
        m_headwayPoint = m_kart->m_position;
    m_path = chooseNearestPath();
    if (m_path && m_kart) {
        m_segmentIndex = m_path->nearestSegment(m_kart->m_position);
        m_vertexIndex = m_path->nearestVertex(m_kart->m_position);
    }
    m_offBandAtChoice = 1;
}
