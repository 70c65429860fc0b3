#include "RecordFixtures.h"

#include <cstring>

namespace fixtures {

std::string le32(int32_t value)
{
    const uint32_t v = uint32_t(value);
    return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
}

std::string le32f(float value)
{
    int32_t bits = 0;
    std::memcpy(&bits, &value, 4);
    return le32(bits);
}

std::string highscoreEntry(const std::string& kart, const std::string& name, float time, int32_t score,
                           int32_t retries)
{
    return le32(int32_t(kart.size())) + kart + le32(int32_t(name.size())) + name + le32f(time) + le32(score) +
           le32(retries);
}

std::string emptyHighscores(int entries)
{
    std::string out;
    for (int i = 0; i < entries; ++i)
        out += highscoreEntry("", "", -1.0f, 0, 0);
    return out;
}

std::string profilesXml(const std::string& body, const std::string& rootAttributes)
{
    return "<?xml version=\"1.0\" ?><profiles" + rootAttributes + ">" + body + "</profiles>";
}

std::string profileXml(int slot, const std::string& body, const std::string& extraAttributes)
{
    return "<profile slot=\"" + std::to_string(slot) + "\" ccm=\"0\" gameover=\"0\" retries=\"0\"" +
           extraAttributes + ">" + body + "</profile>";
}

} // namespace fixtures
