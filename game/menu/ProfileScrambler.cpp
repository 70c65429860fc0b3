#include "game/menu/ProfileScrambler.h"

const char* const kProfileKey = "Wq4NbT8sLm2XcV7hRj5KdP9gYe3FaU6z";

namespace {

uint32_t rotateLeft16(uint32_t value)
{
    return (value << 16) | (value >> 16);
}

} // namespace

void scrambleProfileText(uint8_t* data, size_t count, const char* key)
{
    uint32_t a = 1;
    uint32_t b = 1;
    for (const char* k = key; *k; ++k) {
        // Key bytes count as signed, widened to 32 bits.
        const uint32_t byte = uint32_t(int32_t(static_cast<signed char>(*k)));
        a = (a + byte) * 987660757u;
        b = (b + byte) * 345689647u;
    }
    uint8_t table[256];
    for (int i = 0; i < 256; ++i) {
        a = rotateLeft16(a * 123456791u) * 234567891u;
        b = rotateLeft16(b * 234577751u) * 876546821u;
        table[i] = uint8_t((a ^ b) >> 24);
    }
    uint8_t i = 0;
    uint8_t j = 0;
    for (size_t n = 0; n < count; ++n) {
        i = uint8_t(i + 1);
        const uint8_t x = table[i];
        j = uint8_t(j + x);
        const uint8_t y = table[j];
        table[i] = y;
        table[j] = x;
        data[n] ^= table[uint8_t(x + y)];
    }
}
