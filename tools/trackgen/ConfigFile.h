#pragma once
#include <string>

class GameConfig;

namespace track {

// Reads config.xml from the disk as the game reads it, except that the
// files its records name need not exist: trackgen is what makes them.
bool readConfig(const std::string& path, GameConfig& out, std::string& error);

} // namespace track
