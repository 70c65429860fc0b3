#pragma once
// The stream cipher that hides profiles.dat from casual editing. The key
// stream depends on the key only, so scrambling twice with one key restores
// the bytes.
#include <cstddef>
#include <cstdint>

// The key of profiles.dat.
extern const char* const kProfileKey;

void scrambleProfileText(uint8_t* data, size_t count, const char* key);
