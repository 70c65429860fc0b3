#pragma once
#include "engine/core/math/Vector3.h"
#include "game/race/KartController.h"

#include <cstdint>

class Kart;
class Path;
class Race;

// The computer driver. It follows one of the race's AI paths: it finds where
// it is on the path in a window of points ahead of the last one, aims at a
// point a little ahead along the line, steers towards it with its steering
// smoothed, slows when it runs off the band, speeds up behind the leading
// driver and holds back far ahead of it (the rubber band), fires the power-up
// it holds when a kart stands where that power-up hits, changes to a nearer
// path now and then, and asks to be put back on the track when it has been
// stuck for a second. Until GO it only holds the throttle. With no path of
// at least two points it lets go of everything and asks for nothing.
class AIKartController : public KartController {
public:
    // The engine class is taken and not used.
    explicit AIKartController(int32_t ccm);

    bool isAI() const override { return true; }
    int32_t getType() const override { return Computer; }
    void update() override;
    void reset() override;

    // Of the race's paths, the one whose band is nearest to the kart; the
    // first wins a tie; the first slot when the race has none.
    Path* chooseNearestPath() const;
    // The nearest other kart between the two distances; null when none.
    Kart* findNearestKart(float minDistance, float maxDistance) const;
    // Unit vectors from the kart to p and from p to the kart (unnormalised
    // when the distance is zero).
    Vector3 directionTo(const Vector3& p) const;
    Vector3 directionFrom(const Vector3& p) const;
    // Where to go to keep clear of `other`, `time` seconds ahead; zero when
    // there is nothing to avoid.
    Vector3 avoidance(const Kart* other, float time) const;
    // Sets `fire` when the held power-up would hit `target` from here.
    void decidePowerupUse(const Kart* target);
    // The unit direction the driver wants to go in.
    Vector3 steeringDirection(float lookAheadTime) const;

    // Set when the last path choice was made off the band (or by reset).
    uint8_t m_offBandAtChoice = 1;
    // Steps driven since GO (or since the last reset).
    uint32_t m_step = 0;
    Path* m_path = nullptr;
    int32_t m_vertexIndex = 1;
    int32_t m_segmentIndex = 1;
    Vector3 m_lookAheadPoint{};
    Vector3 m_lookAheadClosest{};
    // Distance from the band of where the kart will be, and of where it is
    // (negative inside).
    float m_lookAheadLateral = 0.0f;
    Vector3 m_lookAheadDirection{};
    Vector3 m_closestPoint{};
    float m_lateral = 0.0f;
    Vector3 m_pathDirection{};
    uint8_t m_headingAlong = 1;
    uint8_t m_insideBand = 1;
    uint32_t m_stuckSteps = 0;
    uint32_t m_nextPathSwitchStep = 0;
    // Smoothed steering, positive to the left.
    float m_steer = 0.0f;
    // Where the kart last made headway, and the step it was there: a kart
    // rocking in place (at the foot of a ramp, say) is fast now and then but
    // gets nowhere, and counts as stuck too.
    Vector3 m_headwayPoint{};
    uint32_t m_headwayStep = 0;

    // The rubber band, in position-map units of progress against the leading
    // driver: behind by behindThreshold or more, the drive speeds up to
    // behindMaxFactor over behindRange units; ahead by aheadThreshold or
    // more, it slows down to aheadMinFactor over aheadRange units.
    int32_t m_aheadThreshold = 10;
    int32_t m_aheadRange = 10;
    float m_aheadMinFactor = 0.5f;
    int32_t m_behindThreshold = 4;
    int32_t m_behindRange = 6;
    float m_behindMaxFactor = 1.5f;

private:
    // The drive speed scaled by the rubber band against the leading driver.
    void applyRubberBand(const Race& race, Kart& kart) const;
    // The first unfinished kart in rank order whose driver is not a computer.
    const Kart* leader(const Race& race) const;
    // A path the queries can walk: the one chosen, else the nearest.
    bool havePath();
};
