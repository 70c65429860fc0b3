// trackgen: the levels of our data set.
//
//   trackgen level PARAMS.track CONFIG.xml OUTDIR SCRATCH
//       one level from its parameter file, under the names of its record
//       in config.xml, below OUTDIR by archive entry name; the menu's
//       picture of it goes to SCRATCH for the Tracks imageset
//   trackgen pickups OUTDIR
//       the coin and the five add-ons the levels place
//   trackgen tracks CONFIG.xml OUTDIR SCRATCH
//       the menu's "Tracks" imageset: one picture per level, named by the
//       level records' menu images
//
// Exit status 0 on success; otherwise a message naming the file and line
// on standard error, and nothing of that level written.
#include "tools/trackgen/Level.h"
#include "tools/trackgen/Pickups.h"
#include "tools/trackgen/TracksImageset.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: trackgen level PARAMS.track CONFIG.xml OUTDIR SCRATCH\n"
                         "       trackgen pickups OUTDIR\n"
                         "       trackgen tracks CONFIG.xml OUTDIR SCRATCH\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return usage();
    const std::string command = argv[1];
    std::string error;
    bool ok = false;
    if (command == "level" && argc == 6) {
        const auto start = std::chrono::steady_clock::now();
        track::LevelStats stats;
        ok = track::makeLevel(argv[2], argv[3], argv[4], argv[5], error, &stats);
        if (ok) {
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            std::printf("trackgen: %s: %.0f m lap, %zu triangles (%zu floor), %.1f MB in %.1f s\n", argv[2],
                        double(stats.length), stats.triangles, stats.floorTriangles, double(stats.bytes) / 1e6,
                        seconds);
        }
    } else if (command == "pickups" && argc == 3) {
        ok = track::writePickups(argv[2], error);
    } else if (command == "tracks" && argc == 5) {
        ok = track::writeTracksImageset(argv[2], argv[3], argv[4], error);
    } else {
        return usage();
    }
    if (!ok) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    return 0;
}
