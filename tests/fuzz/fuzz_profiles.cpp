// Feeds arbitrary bytes to the profile store as the unscrambled text of
// profiles.dat.
#include "game/menu/ProfileStore.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ProfileStore store("/nonexistent/profiles.dat");
    store.resetAll();
    if (store.parse(std::string(reinterpret_cast<const char*>(data), size))) {
        // What loaded prints again and reads back.
        ProfileStore again("/nonexistent/profiles.dat");
        again.resetAll();
        if (!again.parse(store.print()))
            __builtin_trap();
        for (int32_t slot = 0; slot < ProfileStore::kSlots; ++slot)
            for (int32_t race = 0; race < ProfileStore::kRaces; ++race)
                (void)store.getStartPosition(0, store.getCcm(slot), race, slot);
    }
    return 0;
}
