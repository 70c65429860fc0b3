#pragma once
// Writers of small player-record fixtures: raw highscores.dat fields and the
// plain XML of profiles.dat, so a test states only what it is about.
#include <cstdint>
#include <string>

namespace fixtures {

// A little-endian i32 as the highscore file stores it.
std::string le32(int32_t value);
std::string le32f(float value);
// One highscore entry in file layout.
std::string highscoreEntry(const std::string& kart, const std::string& name, float time, int32_t score,
                           int32_t retries);
// A highscore file of `entries` empty entries (910 make a whole file).
std::string emptyHighscores(int entries = 910);

// The plain text of a profiles.dat holding `body` under the root.
std::string profilesXml(const std::string& body, const std::string& rootAttributes = " version=\"1.0\"");
// A profile element with the required attributes and `body` inside.
std::string profileXml(int slot, const std::string& body, const std::string& extraAttributes = "");

} // namespace fixtures
