// Feeds arbitrary bytes to the highscore reader as highscores.dat.
#include "game/menu/Highscores.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Highscores scores("/nonexistent/highscores.dat");
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    if (scores.parse(bytes)) {
        // A file that loads writes back to the same bytes, less any tail
        // behind the last table and with non-positive lengths as zero.
        Highscores again("/nonexistent/highscores.dat");
        if (!again.parse(scores.serialize()) || again.serialize() != scores.serialize())
            __builtin_trap();
    }
    return 0;
}
