#pragma once
#include "tools/trackgen/Params.h"

#include <string>
#include <vector>

namespace track {

// One cross-section of the track, every `Centreline::kSpacing` metres from
// the finish line in the driving direction.
struct Section {
    Vector3 centre;        // on the road surface
    Vector3 forward;       // unit, along the road (climbing with it)
    Vector3 left;          // unit, across the road to the left, tilted by the bank
    Vector3 flatLeft;      // unit, across to the left, level
    float s = 0.0f;        // metres from the finish line
    float width = 12.0f;
    float bank = 0.0f;     // degrees, + lifts the left edge
    float param = 0.0f;    // control point index and fraction
    // Resolved from the level's defaults and its stretches.
    std::string verge;
    float vergeWidth = 0.0f;
    int walls = 0;
    std::string barrier;
    bool kerbs = false;
    bool bridge = false;
    bool tunnel = false;
    std::string tunnelMaterial;
    // The source line of the stretch or point this section is described by.
    int line = 0;

    Vector3 at(float lateral) const { return centre + left * lateral; }
};

// The closed centre line: a centripetal Catmull-Rom spline through the
// control points with width, height and bank interpolated alike, the jumps'
// dips laid over the height, cut into evenly spaced sections.
class Centreline {
public:
    static constexpr float kSpacing = 2.0f;
    // Height between a bridge's deck and a road that passes under it.
    static constexpr float kClearance = 4.5f;

    bool build(const LevelParams& params, std::string& error);

    const std::vector<Section>& sections() const { return m_sections; }
    float length() const { return m_length; }
    // The section nearest to `s` (wrapping) and an interpolated copy.
    const Section& nearest(float s) const;
    Section at(float s) const;
    // Whether a section lies from control point `from` up to `to`.
    bool inRange(const Section& section, int from, int to) const;
    // Lays the line on a floor of its own (an arena's): every section's
    // height from `floor`, the directions after them.
    template <typename Floor>
    void layOn(const Floor& floor)
    {
        for (Section& s : m_sections)
            s.centre.y = floor(s.centre.x, s.centre.z);
        frames();
    }

private:
    void frames();
    bool checkCrossings(const LevelParams& params, std::string& error) const;
    std::vector<Section> m_sections;
    float m_length = 0.0f;
    int m_points = 0;
};

// A jump's height offset at `d` metres after its lip: a kicker up to the
// lip, a dip that fast karts fly over and slow ones drive through, a climb
// back and an easing to the road's own height.
float jumpProfile(float d);

} // namespace track
