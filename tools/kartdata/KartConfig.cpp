#include "tools/kartdata/KartConfig.h"

#include "tools/kartdata/Params.h"

#include <cstdlib>

namespace {

// The text between <tag> and </tag> inside [from, to), or empty.
std::string element(const std::string& text, const std::string& tag, size_t from, size_t to)
{
    const std::string open = "<" + tag + ">";
    const size_t start = text.find(open, from);
    if (start == std::string::npos || start > to)
        return {};
    const size_t end = text.find("</" + tag + ">", start);
    return end == std::string::npos || end > to ? std::string()
                                                : text.substr(start + open.size(), end - start - open.size());
}

// The value of attribute `name` in the tag text, or empty.
std::string attribute(const std::string& tag, const std::string& name)
{
    const std::string key = " " + name + "=\"";
    const size_t start = tag.find(key);
    if (start == std::string::npos)
        return {};
    const size_t end = tag.find('"', start + key.size());
    return end == std::string::npos ? std::string() : tag.substr(start + key.size(), end - start - key.size());
}

void number(const std::string& text, const std::string& tag, size_t from, size_t to, float& out)
{
    const std::string value = element(text, tag, from, to);
    if (!value.empty())
        out = std::strtof(value.c_str(), nullptr);
}

} // namespace

std::vector<KartEntry> readKarts(const std::string& config)
{
    std::vector<KartEntry> list;
    for (size_t at = config.find("<kart "); at != std::string::npos; at = config.find("<kart ", at + 1)) {
        const size_t tagEnd = config.find('>', at);
        const size_t end = config.find("</kart>", at);
        if (tagEnd == std::string::npos || end == std::string::npos)
            break;
        const std::string tag = config.substr(at, tagEnd - at);
        KartEntry kart;
        kart.name = attribute(tag, "name");
        kart.kartScene = attribute(tag, "kart");
        kart.characterScene = attribute(tag, "character");
        kart.menuScene = element(config, "menuscene", at, end);
        kart.kartObject = element(config, "kartObject", at, end);
        kart.characterObject = element(config, "characterObject", at, end);
        number(config, "mass", at, end, kart.mass);
        number(config, "masswheels", at, end, kart.massWheels);
        number(config, "masssuspensions", at, end, kart.massSuspensions);
        number(config, "spring", at, end, kart.spring);
        number(config, "damper", at, end, kart.damper);
        list.push_back(kart);
    }
    return list;
}

Vec KartFrame::wheel(int i) const
{
    const bool front = i < 2;
    const float x = front ? frontTrack : rearTrack;
    return {i % 2 ? x : -x, wheelRadius, front ? frontAxle : rearAxle};
}

Vec KartFrame::hub(int i) const
{
    const Vec w = wheel(i);
    return {w.x + (w.x < 0 ? hubInset : -hubInset), w.y, w.z};
}

bool readKartFrame(const std::string& path, KartFrame& f, std::string& error)
{
    Params file;
    if (!file.load(path, {})) {
        error = file.error();
        return false;
    }
    ParamReader r(file, file.blocks().front());
    auto vec = [&](const char* key) {
        const std::vector<float> v = r.numbers(key, 3);
        return Vec{v[0], v[1], v[2]};
    };
    f.wheelRadius = r.number("wheelRadius");
    f.frontAxle = r.number("frontAxle");
    f.rearAxle = r.number("rearAxle");
    f.frontTrack = r.number("frontTrack");
    f.rearTrack = r.number("rearTrack");
    f.frontTyreWidth = r.number("frontTyreWidth");
    f.rearTyreWidth = r.number("rearTyreWidth");
    f.chassisHeight = r.number("chassisHeight");
    f.chassisBox = vec("chassisBox");
    f.hubInset = r.number("hubInset");
    f.bodyCollision = vec("bodyCollision");
    f.bodyCollisionY = r.number("bodyCollisionY");
    f.cabinCollision = vec("cabinCollision");
    f.cabinCollisionAt = vec("cabinCollisionAt");
    f.cameraTarget = vec("cameraTarget");
    f.hips = vec("hips");
    f.steeringWheel = vec("steeringWheel");
    f.steeringRadius = r.number("steeringRadius");
    f.exhaust = vec("exhaust");
    if (!r.ok()) {
        error = r.error();
        return false;
    }
    if (f.wheelRadius <= 0.0f || f.frontTrack <= 0.0f || f.rearTrack <= 0.0f || f.frontAxle <= f.rearAxle) {
        error = path + ": the wheels want a positive radius and track and the front axle ahead of the rear";
        return false;
    }
    return true;
}
