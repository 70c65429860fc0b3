#include "game/app/GameConfig.h"

#include "engine/core/io/Stream.h"
#include "game/app/TuningValues.h"
#include "game/app/XmlText.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr int32_t kMaxLanes = 99; // path files are numbered with two digits
constexpr int32_t kMaxLaps = 99;
constexpr double kDegreesToRadians = 0.017453292519943295;

const char* const kGameKinds[] = {"singlerace", "coinrace", "timedrun", "lastmanstanding"};


// Typed attribute: the default when missing or when it does not start with a number.
double attrDouble(const TiXmlElement* e, const char* name, double fallback)
{
    queryDouble(e, name, fallback);
    return fallback;
}

int32_t attrInt(const TiXmlElement* e, const char* name, int32_t fallback)
{
    queryInt(e, name, fallback);
    return fallback;
}

void readText(const TiXmlElement* parent, const char* name, std::string& value)
{
    if (const char* text = childText(parent, name))
        value = text;
}

void readInt(const TiXmlElement* parent, const char* name, int32_t& value)
{
    if (const char* text = childText(parent, name))
        value = textToInt(text);
}

} // namespace

// Walks the document. A value a race could not use is skipped (the record
// keeps its default for it) and a career track with one is left out; each
// gets a report and the rest of the file still loads.
class GameConfig::Reader {
public:
    Reader(GameConfig& config, Stream& files) : m_config(config), m_files(files) {}

    void read(const TiXmlElement* root)
    {
        readGame(root->FirstChildElement("game"));
        readLevels(root->FirstChildElement("levels"));
        readKarts(root->FirstChildElement("karts"));
        readTrackList(root->FirstChildElement("singlerace"), m_config.m_singleRaceTracks);
        readTrackList(root->FirstChildElement("lastmanstanding"), m_config.m_lastManStandingTracks);
        readCareer(root->FirstChildElement("career"));
    }

private:
    void report(const std::string& where, const std::string& what, const char* dropped = "skipped")
    {
        m_config.m_reports.push_back(where + ": " + what + " (" + dropped + ")");
    }

    // A number that is finite, fits an f32 and lies in [low, high]; any
    // other is reported.
    bool usable(double value, const std::string& where, double low = -DBL_MAX, double high = DBL_MAX,
                const char* dropped = "skipped")
    {
        if (!std::isfinite(value) || std::fabs(value) > FLT_MAX) {
            report(where, "not a usable number", dropped);
            return false;
        }
        if (value < low || value > high) {
            report(where, formatNumber(value) + " is out of range", dropped);
            return false;
        }
        return true;
    }

    // Stores a usable value; leaves the one there otherwise.
    void take(float& out, double value, const std::string& where, double low = -DBL_MAX, double high = DBL_MAX)
    {
        if (usable(value, where, low, high))
            out = toFloat(value);
    }

    void readFloat(const TiXmlElement* parent, const char* name, float& value, const std::string& where,
                   double low = -DBL_MAX, double high = DBL_MAX)
    {
        if (const char* text = childText(parent, name))
            take(value, textToDouble(text), where + "/" + name, low, high);
    }

    static std::string formatNumber(double value)
    {
        char text[32];
        std::snprintf(text, sizeof text, "%g", value);
        return text;
    }

    void readGame(const TiXmlElement* game)
    {
        if (!game)
            return;
        struct Tuning {
            const char* name;
            float* value;
        } const tunings[] = {
            {"cameraFov", &cameraFov},   {"cameraDistance", &cameraDistance}, {"cameraSpeedfactor", &cameraSpeedfactor},
            {"cameraHeight", &cameraHeight}, {"kartERP", &kartERP},           {"kartCFM", &kartCFM},
            {"wheelsERP", &wheelsERP},   {"wheelsCFM", &wheelsCFM},
        };
        for (const Tuning& t : tunings)
            readFloat(game, t.name, *t.value, "game");

        const TiXmlElement* upgrades = game->FirstChildElement("upgrades");
        UpgradeTable& table = m_config.m_upgrades;
        struct Kind {
            const char* name;
            std::vector<UpgradeInfo>* list;
        } const kinds[] = {
            {"spoiler", &table.spoiler}, {"sideskirts", &table.sideskirts}, {"engine", &table.engine},
            {"tires", &table.tires},     {"logo", &table.logo},             {"color", &table.color},
        };
        // An entry's index is its level, colour or logo number: one with a
        // bad value keeps its place and the default for that value.
        for (const Kind& kind : kinds) {
            if (!upgrades)
                break;
            for (const TiXmlElement* e = upgrades->FirstChildElement(kind.name); e;
                 e = e->NextSiblingElement(kind.name)) {
                const std::string where = std::string("game/upgrades/") + kind.name + " " +
                                          std::to_string(kind.list->size());
                UpgradeInfo info;
                take(info.speed, attrDouble(e, "speed", 1.0), where + " speed", 0.0);
                take(info.acceleration, attrDouble(e, "acceleration", 1.0), where + " acceleration", 0.0);
                take(info.drift, attrDouble(e, "drift", 1.0), where + " drift", 0.0);
                const int32_t price = attrInt(e, "price", 0);
                if (price < 0)
                    report(where + " price", std::to_string(price) + " is negative");
                else
                    info.price = price;
                kind.list->push_back(info);
            }
        }
    }

    void readRect(const TiXmlElement* e, MapRect& rect, const MapRect& fallback, const std::string& where)
    {
        rect = fallback;
        take(rect.xmin, attrDouble(e, "xmin", fallback.xmin), where + " xmin");
        take(rect.xmax, attrDouble(e, "xmax", fallback.xmax), where + " xmax");
        take(rect.zmin, attrDouble(e, "zmin", fallback.zmin), where + " zmin");
        take(rect.zmax, attrDouble(e, "zmax", fallback.zmax), where + " zmax");
    }

    // An image that maps the world needs a rectangle with an extent, or the
    // mapping divides by zero: an empty one gives way to the whole image.
    void readImageMap(const TiXmlElement* level, const char* name, std::string& file, MapRect& rect,
                      const std::string& where)
    {
        const TiXmlElement* e = level->FirstChildElement(name);
        if (!e)
            return;
        file = attributeText(e, "filename");
        readRect(e, rect, MapRect(), where + "/" + name);
        if (!(rect.xmax != rect.xmin && rect.zmax != rect.zmin)) {
            report(where + "/" + name, "the rectangle is empty", "0 1 0 1 instead");
            rect = MapRect();
        }
    }

    void readLevels(const TiXmlElement* levels)
    {
        std::string name;
        std::string fileName;
        for (const TiXmlElement* e = levels ? levels->FirstChildElement("level") : nullptr; e;
             e = e->NextSiblingElement("level")) {
            // Names carry over to a later element that lacks them.
            if (const char* text = e->Attribute("name"))
                name = text;
            if (const char* text = e->Attribute("filename"))
                fileName = text;
            LevelInfo* level = m_config.addLevel(m_files, name, fileName);
            if (!level)
                continue;
            const std::string where = "levels/level \"" + name + "\"";
            readInt(e, "menutext", level->menutext);
            readText(e, "menuimage", level->menuimage);
            readText(e, "loadingscreen", level->loadingscreen);
            if (const TiXmlElement* ai = e->FirstChildElement("aifiles")) {
                level->aiPath = attributeText(ai, "path");
                const int32_t lanes = attrInt(ai, "lanes", 3);
                if (lanes < 1 || lanes > kMaxLanes)
                    report(where + "/aifiles lanes", std::to_string(lanes) + " is outside 1-99", "3 instead");
                else
                    level->lanes = lanes;
                if (const TiXmlElement* maps = ai->FirstChildElement("maps")) {
                    readRect(maps, level->speedMapRect, MapRect{0.0f, 0.0f, 0.0f, 0.0f}, where + "/aifiles/maps");
                    readText(maps, "speed", level->speedMap);
                }
            }
            if (const TiXmlElement* objects = e->FirstChildElement("objectfiles"))
                level->objectPath = attributeText(objects, "path");
            readInt(e, "music", level->music);
            readImageMap(e, "minimap", level->minimap, level->minimapRect, where);
            readImageMap(e, "posmap", level->posmap, level->posmapRect, where);
            readImageMap(e, "colormap", level->colormap, level->colormapRect, where);
        }
    }

    void readKarts(const TiXmlElement* karts)
    {
        std::string name;
        std::string kartFile;
        std::string characterFile;
        for (const TiXmlElement* e = karts ? karts->FirstChildElement("kart") : nullptr; e;
             e = e->NextSiblingElement("kart")) {
            if (const char* text = e->Attribute("name"))
                name = text;
            if (const char* text = e->Attribute("kart"))
                kartFile = text;
            if (const char* text = e->Attribute("character"))
                characterFile = text;
            KartInfo* kart = m_config.addKart(m_files, name, kartFile, characterFile);
            if (!kart)
                continue;
            const std::string where = "karts/kart \"" + name + "\"";
            readText(e, "menuscene", kart->menuscene);
            readInt(e, "menutext", kart->menutext);
            readText(e, "menuimage", kart->menuimage);
            readText(e, "kartObject", kart->kartObject);
            readText(e, "characterObject", kart->characterObject);
            // Forces, speeds and times cannot be negative; a body needs a mass.
            struct Value {
                const char* name;
                float* value;
                double low;
            } const values[] = {
                {"forwardSpeed", &kart->forwardSpeed, 0.0},   {"forwardForce", &kart->forwardForce, 0.0},
                {"backwardSpeed", &kart->backwardSpeed, 0.0}, {"backwardForce", &kart->backwardForce, 0.0},
                {"brakeForce", &kart->brakeForce, 0.0},       {"idleForce", &kart->idleForce, 0.0},
                {"mu", &kart->mu, 0.0},                       {"drift", &kart->drift, 0.0},
                {"driftexp", &kart->driftexp, -DBL_MAX},      {"slip", &kart->slip, 0.0},
                {"spring", &kart->spring, 0.0},               {"damper", &kart->damper, 0.0},
                {"mass", &kart->mass, FLT_MIN},               {"turbotime", &kart->turbotime, 0.0},
                {"masswheels", &kart->masswheels, FLT_MIN},   {"masssuspensions", &kart->masssuspensions, FLT_MIN},
            };
            for (const Value& v : values)
                readFloat(e, v.name, *v.value, where, v.low);
            readInt(e, "special", kart->special);
            for (auto [tag, angle] : {std::pair{"steerangle", &kart->steerangle},
                                      std::pair{"steeranglemin", &kart->steeranglemin}}) {
                if (const char* text = childText(e, tag))
                    take(*angle, textToDouble(text) * kDegreesToRadians, where + "/" + tag);
            }
            readFloat(e, "steerspeed", kart->steerspeed, where);
        }
    }

    static void readTrackList(const TiXmlElement* owner, std::vector<std::string>& tracks)
    {
        const TiXmlElement* list = owner ? owner->FirstChildElement("tracklist") : nullptr;
        for (const TiXmlElement* t = list ? list->FirstChildElement("track") : nullptr; t;
             t = t->NextSiblingElement("track"))
            tracks.push_back(attributeText(t, "name"));
    }

    void readCareer(const TiXmlElement* career)
    {
        for (const TiXmlElement* ccm = career ? career->FirstChildElement("ccm") : nullptr; ccm;
             ccm = ccm->NextSiblingElement("ccm")) {
            int32_t value = attrInt(ccm, "class", -1);
            int32_t cls = value == 50 ? 0 : value == 100 ? 1 : value == 150 ? 2 : value;
            if (!ccm->Attribute("class") || cls < 0 || cls >= kClasses)
                continue;
            Career& lists = m_config.m_career[cls];
            const TiXmlElement* list = ccm->FirstChildElement("tracklist");
            for (const TiXmlElement* t = list ? list->FirstChildElement("track") : nullptr; t;
                 t = t->NextSiblingElement("track")) {
                const char* name = t->Attribute("name");
                const char* game = t->Attribute("game");
                if (!name || !game)
                    continue;
                int32_t kind = -1;
                for (int32_t k = 0; k < 4; ++k)
                    if (std::strcmp(game, kGameKinds[k]) == 0)
                        kind = k;
                if (kind < 0)
                    continue;
                // A career race is one entry of four parallel lists: with a
                // time or lap count no race can use, the whole race is left
                // out.
                const std::string where = "career/ccm " + std::to_string(value) + "/track \"" + name + "\"";
                const double time = attrDouble(t, "time", 0.0);
                if (!usable(time, where + " time", 0.0, DBL_MAX, "track left out"))
                    continue;
                const int32_t laps = attrInt(t, "laps", 0);
                if (laps < 0 || laps > kMaxLaps) {
                    report(where + " laps", std::to_string(laps) + " is outside 0-99", "track left out");
                    continue;
                }
                lists.tracks.push_back(name);
                lists.games.push_back(kind);
                lists.times.push_back(toFloat(time));
                lists.laps.push_back(laps);
            }
        }
    }

    GameConfig& m_config;
    Stream& m_files;
};

void GameConfig::clear()
{
    m_levels.clear();
    m_karts.clear();
    m_upgrades = UpgradeTable();
    m_singleRaceTracks.clear();
    m_lastManStandingTracks.clear();
    for (Career& career : m_career)
        career = Career();
    resetTuningValues();
}

bool GameConfig::loadConfig(Stream& files, const char* path)
{
    clear();
    m_error.clear();
    m_reports.clear();
    const std::string file = path ? path : "";
    std::string text;
    if (!path || !readStreamText(files, path, text)) {
        m_error = file + ": cannot be read";
        return false;
    }
    TiXmlDocument doc;
    std::string parseError;
    if (!parseXmlText(doc, text, &parseError)) {
        m_error = file + ": " + parseError;
        return false;
    }
    const TiXmlElement* root = doc.FirstChildElement("vrl9");
    if (!root) {
        m_error = file + ": no root element \"vrl9\"";
        return false;
    }
    Reader(*this, files).read(root);
    for (std::string& report : m_reports)
        report.insert(0, file + ": ");
    return true;
}

LevelInfo* GameConfig::addLevel(Stream& files, const std::string& name, const std::string& fileName)
{
    if (findLevel(name) || !files.exists(fileName.c_str()))
        return nullptr;
    LevelInfo& level = m_levels.emplace_back();
    level.filename = fileName;
    level.name = name;
    return &level;
}

KartInfo* GameConfig::addKart(Stream& files, const std::string& name, const std::string& kartFile,
                              const std::string& characterFile)
{
    if (findKart(name) || !files.exists(kartFile.c_str()) || !files.exists(characterFile.c_str()))
        return nullptr;
    KartInfo& kart = m_karts.emplace_back();
    kart.name = name;
    kart.kartFile = kartFile;
    kart.characterFile = characterFile;
    return &kart;
}

const LevelInfo* GameConfig::findLevel(const std::string& name) const
{
    for (const LevelInfo& level : m_levels)
        if (level.name == name)
            return &level;
    return nullptr;
}

const LevelInfo* GameConfig::levelAt(int32_t index) const
{
    return index >= 0 && size_t(index) < m_levels.size() ? &m_levels[size_t(index)] : nullptr;
}

const KartInfo* GameConfig::findKart(const std::string& name) const
{
    for (const KartInfo& kart : m_karts)
        if (kart.name == name)
            return &kart;
    return nullptr;
}

const KartInfo* GameConfig::kartAt(int32_t index) const
{
    return index >= 0 && size_t(index) < m_karts.size() ? &m_karts[size_t(index)] : nullptr;
}

static int32_t indexIn(const std::vector<std::string>& tracks, const std::string& name)
{
    for (size_t i = 0; i < tracks.size(); ++i)
        if (tracks[i] == name)
            return int32_t(i);
    return 0;
}

int32_t GameConfig::singleRaceTrackIndex(const std::string& name) const
{
    return indexIn(m_singleRaceTracks, name);
}

int32_t GameConfig::lastManStandingTrackIndex(const std::string& name) const
{
    return indexIn(m_lastManStandingTracks, name);
}

int32_t GameConfig::careerTrackCount(int32_t ccm) const
{
    return int32_t(careerTracks(ccm).size());
}

namespace {
template <typename T>
const std::vector<T>& emptyList()
{
    static const std::vector<T> empty;
    return empty;
}
} // namespace

const std::vector<std::string>& GameConfig::careerTracks(int32_t ccm) const
{
    return ccm >= 0 && ccm < kClasses ? m_career[ccm].tracks : emptyList<std::string>();
}

const std::vector<int32_t>& GameConfig::careerGames(int32_t ccm) const
{
    return ccm >= 0 && ccm < kClasses ? m_career[ccm].games : emptyList<int32_t>();
}

const std::vector<float>& GameConfig::careerTimes(int32_t ccm) const
{
    return ccm >= 0 && ccm < kClasses ? m_career[ccm].times : emptyList<float>();
}

const std::vector<int32_t>& GameConfig::careerLaps(int32_t ccm) const
{
    return ccm >= 0 && ccm < kClasses ? m_career[ccm].laps : emptyList<int32_t>();
}

bool GameConfig::kartStatRatios(const std::string& kartName, float ratios[StatCount]) const
{
    for (int i = 0; i < StatCount; ++i)
        ratios[i] = 0.0f;
    const KartInfo* kart = findKart(kartName);
    if (!kart)
        return false;

    float best[StatCount];
    for (float& b : best)
        b = FLT_MIN; // the smallest positive normal: no division by zero
    for (const KartInfo& k : m_karts) {
        best[StatSpeed] = std::max(best[StatSpeed], k.forwardSpeed);
        best[StatAcceleration] = std::max(best[StatAcceleration], k.forwardForce);
        best[StatBrake] = std::max(best[StatBrake], k.brakeForce);
        best[StatDrift] = std::max(best[StatDrift], k.drift);
        best[StatMass] = std::max(best[StatMass], k.mass);
        best[StatTurbo] = std::max(best[StatTurbo], k.turbotime);
    }
    // The fractional part of the best multiplier of each kind is the room an
    // upgrade can add on top of the kart's own value.
    float speedBonus = 0.0f, accelerationBonus = 0.0f, driftBonus = 0.0f;
    for (const std::vector<UpgradeInfo>* list :
         {&m_upgrades.engine, &m_upgrades.spoiler, &m_upgrades.sideskirts, &m_upgrades.tires}) {
        float speed = 0.0f, drift = 0.0f, acceleration = 0.0f;
        for (const UpgradeInfo& u : *list) {
            speed = std::max(speed, u.speed);
            drift = std::max(drift, u.drift);
            acceleration = std::max(acceleration, u.acceleration);
        }
        speedBonus += speed - std::floor(speed);
        driftBonus += drift - std::floor(drift);
        accelerationBonus += acceleration - std::floor(acceleration);
    }
    ratios[StatSpeed] = kart->forwardSpeed / ((1.0f + speedBonus) * best[StatSpeed]);
    ratios[StatAcceleration] = kart->forwardForce / ((1.0f + accelerationBonus) * best[StatAcceleration]);
    ratios[StatBrake] = kart->brakeForce / best[StatBrake];
    ratios[StatDrift] = kart->drift / ((1.0f + driftBonus) * best[StatDrift]);
    ratios[StatMass] = kart->mass / best[StatMass];
    ratios[StatTurbo] = kart->turbotime / best[StatTurbo];
    return true;
}
