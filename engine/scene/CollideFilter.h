#pragma once
#include <ode/ode.h>

#include <cstdint>

// Whether a pair of collision spaces (or a space with itself) is collided.
// The game derives its own filters and may answer per pair of geoms; the
// answer is a plain filter by value, and only its m_enabled counts.
class CollideFilter {
public:
    explicit CollideFilter(bool enabled = false) : m_enabled(enabled) {}
    CollideFilter(const CollideFilter&) = default;
    CollideFilter& operator=(const CollideFilter&) = default;
    virtual ~CollideFilter() = default;

    // By default the filter itself.
    virtual CollideFilter test(dGeomID first, dGeomID second);

    bool m_enabled;
};

// The filters of a scene by [space class 1][space class 2]. The diagonal
// entry [c][c] governs the geoms inside space c. Every entry starts at a
// disabled default, so nothing collides until the game enables a pair; the
// table owns none of what the game stores in it.
class CollideFilterTable {
public:
    static constexpr uint32_t Size = 50;

    CollideFilterTable();
    CollideFilterTable(const CollideFilterTable&) = delete;
    CollideFilterTable& operator=(const CollideFilterTable&) = delete;

    CollideFilter m_default;
    CollideFilter m_diagonalDefault;
    CollideFilter* m_filters[Size][Size];
};
