#pragma once
#include <filesystem>
#include <string>

namespace track {

// The pickups the levels place, in D:\Zoprax9/3dobjects_extras/: the coin
// (coin.lwo) and the five add-ons (extra_addon, spezial_addon,
// health_addon, hammer_addon, quaddamage_addon). Each is about a metre
// across round its own origin, bright and readable from every side as it
// spins about y, and glows a little so it shows in shade.
bool writePickups(const std::filesystem::path& outDir, std::string& error);

} // namespace track
