#pragma once
// A race for the power-up tests: karts of scripted human drivers whose
// outputs stay as the test sets them, loaded and not started, the
// simulation stepped by the test itself. Karts are put where a test wants
// them on the ring.
#include "RaceRig.h"

#include "game/race/Kart.h"

#include <cstdint>
#include <string>
#include <vector>

class PowerupRig {
public:
    // `network` lists the players whose karts another machine drives.
    explicit PowerupRig(int32_t karts = 2, const std::string& level = "testring",
                        const std::vector<int32_t>& network = {});

    TestRace& race() { return *rig.race; }
    Kart& kart(int32_t i) { return *rig.race->m_karts[i]; }
    bool loaded() const { return rig.race && rig.race->loaded(); }

    // Kart i on the ring at distance s along the lap, `across` metres to the
    // right of the centre line, heading along the lap; its cached position
    // follows at once.
    void place(int32_t i, float s, float across = 0.0f);
    // Kart i with its chassis over the point (on the ground), heading along
    // the lap.
    void placeOver(int32_t i, const Vector3& at);
    void steps(int32_t n);
    // The cues played since the mark (an index into the race's list).
    std::vector<uint32_t> cuesSince(size_t mark) const;
    // The scene's collision objects of a surface class.
    int32_t collisionObjects(uint32_t surfaceClass) const;

    RaceRig rig;
};
