#pragma once
// Integers stored least significant byte first, as the game's files and
// packets keep them, read the same on any machine.
#include <cstdint>

inline uint16_t readLe16(const uint8_t* p)
{
    return uint16_t(p[0] | p[1] << 8);
}

inline uint32_t readLe32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
