#pragma once
#include <ode/ode.h>

#include <cstdint>
#include <string>

// One collision space of a scene. Its index in the scene's list is its
// class for the collide filters; the first record is the top space that
// the game collides.
struct SpaceRecord {
    static constexpr uint32_t NoParent = 0xFFFFFFFFu;

    dSpaceID space = nullptr;
    std::string name;
    // 0 simple space, 1 hash space.
    uint32_t type = 0;
    uint32_t parentIndex = NoParent;
};
