#pragma once
#include "tools/trackgen/Centreline.h"
#include "tools/trackgen/LevelModel.h"

#include <vector>

namespace track {

// The ground round the track: a height field laid under the road and its
// verges and running out to the horizon, with the level's water and lava
// basins, the jumps' gulches and the platforms; and the sky over it.
class Terrain {
public:
    Terrain(const LevelParams& params, const Centreline& line);

    // The ground where the track does not shape it.
    float natural(float x, float z) const;
    // The ground as built: below the road and its verges everywhere, and
    // leaning towards them nearby.
    float height(float x, float z) const;
    // What a prop stands on: a platform's top, else the ground.
    float standHeight(float x, float z) const;
    // Distance from (x, z) to the nearest section's centre, and that section.
    float nearestTrack(float x, float z, const Section** section = nullptr) const;

    void build(LevelModel& level) const;

    // Lowest and highest x and z of the track's footprint.
    float x0() const { return m_x0; }
    float z0() const { return m_z0; }
    float x1() const { return m_x1; }
    float z1() const { return m_z1; }
    static constexpr float kSkyRadius = 1600.0f;

private:
    const Section* const* bucket(int bx, int bz, size_t& count) const;
    float footprint(const Section& s) const;
    void buildGround(LevelModel& level) const;
    void buildSky(LevelModel& level) const;

    const LevelParams& m_params;
    const Centreline& m_line;
    float m_x0 = 0, m_z0 = 0, m_x1 = 0, m_z1 = 0;
    // The sections by 20 m cells, for the searches near a point.
    static constexpr float kBucket = 20.0f;
    int m_bx0 = 0, m_bz0 = 0, m_bw = 0, m_bh = 0;
    std::vector<std::vector<const Section*>> m_buckets;
};

} // namespace track
