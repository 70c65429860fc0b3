#include "game/menu/ProfileStore.h"

#include "game/app/ConfigRecords.h"
#include "game/app/XmlText.h"
#include "game/menu/ProfileScrambler.h"
#include "platform/files/PlayerFiles.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <sstream>

namespace {

// Five full careers print to a few hundred kilobytes.
constexpr size_t kMaxFileBytes = 4u << 20;

const std::string kNoText;
const std::vector<std::string> kNoTracks;

const char* const kLookTags[] = {"spoiler", "tires", "sideskirts", "engine", "color", "logo"};

TiXmlElement* addElement(TiXmlNode* parent, const char* name)
{
    auto* element = new TiXmlElement(name);
    parent->LinkEndChild(element);
    return element;
}

void addText(TiXmlNode* parent, const char* name, const std::string& text)
{
    addElement(parent, name)->LinkEndChild(new TiXmlText(text));
}

void readText(const TiXmlElement* parent, const char* name, std::string& value)
{
    if (const char* text = childText(parent, name))
        value = text;
}

void appendTracks(const TiXmlElement* owner, std::vector<std::string>& tracks)
{
    const TiXmlElement* list = owner->FirstChildElement("tracklist");
    for (const TiXmlElement* t = list ? list->FirstChildElement("track") : nullptr; t;
         t = t->NextSiblingElement("track"))
        if (const char* text = t->GetText())
            tracks.push_back(text);
}

bool validClass(int32_t ccm)
{
    return ccm >= 0 && ccm < ProfileStore::kClasses;
}

} // namespace

ProfileStore::ClassRecord::ClassRecord()
{
    for (int race = 0; race < kRaces; ++race) {
        rank[race] = -1;
        time[race] = -1.0f;
    }
}

ProfileStore::ProfileStore() = default;

ProfileStore::ProfileStore(std::string path) : m_path(std::move(path)) {}

const std::string& ProfileStore::path() const
{
    if (m_resolvedPath.empty())
        m_resolvedPath = m_path.empty() ? playerFilePath(kFileName) : m_path;
    return m_resolvedPath;
}

ProfileStore::Slot* ProfileStore::slotAt(int32_t slot)
{
    return const_cast<Slot*>(static_cast<const ProfileStore*>(this)->slotAt(slot));
}

const ProfileStore::Slot* ProfileStore::slotAt(int32_t slot) const
{
    if (slot == -1)
        slot = m_currentSlot;
    return slot >= 0 && slot < kSlots ? &m_slots[slot] : nullptr;
}

ProfileStore::Player* ProfileStore::playerAt(int32_t player, int32_t slot)
{
    return const_cast<Player*>(static_cast<const ProfileStore*>(this)->playerAt(player, slot));
}

const ProfileStore::Player* ProfileStore::playerAt(int32_t player, int32_t slot) const
{
    const Slot* s = slotAt(slot);
    return s && player >= 0 && player < kPlayers ? &s->players[player] : nullptr;
}

ProfileStore::ClassRecord* ProfileStore::recordAt(int32_t player, int32_t ccm, int32_t slot)
{
    return const_cast<ClassRecord*>(static_cast<const ProfileStore*>(this)->recordAt(player, ccm, slot));
}

const ProfileStore::ClassRecord* ProfileStore::recordAt(int32_t player, int32_t ccm, int32_t slot) const
{
    const Player* p = playerAt(player, slot);
    return p && validClass(ccm) ? &p->classes[ccm] : nullptr;
}

void ProfileStore::setCurrentSlot(int32_t slot)
{
    if (slot >= 0 && slot < kSlots)
        m_currentSlot = slot;
}

uint8_t ProfileStore::isEmpty(int32_t slot) const
{
    const Slot* s = slotAt(slot);
    return s ? s->empty : 1;
}

void ProfileStore::setEmpty(uint8_t flag, int32_t slot)
{
    if (Slot* s = slotAt(slot))
        s->empty = flag;
}

uint8_t ProfileStore::isGameOver(int32_t slot) const
{
    const Slot* s = slotAt(slot);
    return s ? s->gameOver : 0;
}

void ProfileStore::setGameOver(uint8_t flag, int32_t slot)
{
    if (Slot* s = slotAt(slot))
        s->gameOver = flag;
}

int32_t ProfileStore::getCcm(int32_t slot) const
{
    const Slot* s = slotAt(slot);
    return s ? s->ccm : 0;
}

void ProfileStore::setCcm(int32_t value, int32_t slot)
{
    // The class indexes the per-class records of every reader.
    if (Slot* s = slotAt(slot); s && validClass(value))
        s->ccm = value;
}

int32_t ProfileStore::getRetries(int32_t slot) const
{
    const Slot* s = slotAt(slot);
    return s ? s->retries : 0;
}

void ProfileStore::setRetries(int32_t value, int32_t slot)
{
    if (Slot* s = slotAt(slot))
        s->retries = value;
}

int32_t ProfileStore::getLevel(int32_t ccm, int32_t slot) const
{
    const Slot* s = slotAt(slot);
    return s && validClass(ccm) ? s->level[ccm] : 0;
}

void ProfileStore::setLevel(int32_t ccm, int32_t value, int32_t slot)
{
    if (Slot* s = slotAt(slot); s && validClass(ccm))
        s->level[ccm] = value;
}

const std::string& ProfileStore::getName(int32_t player, int32_t slot) const
{
    const Player* p = playerAt(player, slot);
    return p ? p->name : kNoText;
}

void ProfileStore::setName(int32_t player, const std::string& name, int32_t slot)
{
    if (Player* p = playerAt(player, slot))
        p->name = name;
}

const std::string& ProfileStore::getKart(int32_t player, int32_t slot) const
{
    const Player* p = playerAt(player, slot);
    return p ? p->kart : kNoText;
}

void ProfileStore::setKart(int32_t player, const std::string& kart, int32_t slot)
{
    if (Player* p = playerAt(player, slot))
        p->kart = kart;
}

int32_t ProfileStore::getKudos(int32_t player, int32_t slot) const
{
    const Player* p = playerAt(player, slot);
    return p && p->kudos > 0 ? p->kudos : 0;
}

void ProfileStore::setKudos(int32_t player, int32_t value, int32_t slot)
{
    if (Player* p = playerAt(player, slot))
        p->kudos = value < 0 ? 0 : value;
}

int32_t ProfileStore::getSeasonPoints(int32_t player, int32_t ccm, int32_t slot) const
{
    const ClassRecord* r = recordAt(player, ccm, slot);
    return r ? r->seasonPoints : 0;
}

void ProfileStore::setSeasonPoints(int32_t player, int32_t ccm, int32_t value, int32_t slot)
{
    if (ClassRecord* r = recordAt(player, ccm, slot))
        r->seasonPoints = value;
}

int32_t ProfileStore::getSeasonPosition(int32_t player, int32_t ccm, int32_t slot) const
{
    const ClassRecord* own = recordAt(player, ccm, slot);
    if (!own)
        return 0;
    int32_t ahead = 0;
    for (int32_t other = 0; other < kPlayers; ++other)
        if (other != player && recordAt(other, ccm, slot)->seasonPoints > own->seasonPoints)
            ++ahead;
    return ahead;
}

int32_t ProfileStore::getRank(int32_t player, int32_t ccm, int32_t race, int32_t slot) const
{
    const ClassRecord* r = recordAt(player, ccm, slot);
    return r && race >= 0 && race < kRaces ? r->rank[race] : -1;
}

void ProfileStore::setRank(int32_t player, int32_t ccm, int32_t race, int32_t value, int32_t slot)
{
    if (ClassRecord* r = recordAt(player, ccm, slot); r && race >= 0 && race < kRaces)
        r->rank[race] = value;
}

float ProfileStore::getTime(int32_t player, int32_t ccm, int32_t race, int32_t slot) const
{
    const ClassRecord* r = recordAt(player, ccm, slot);
    return r && race >= 0 && race < kRaces ? r->time[race] : -1.0f;
}

void ProfileStore::setTime(int32_t player, int32_t ccm, int32_t race, float value, int32_t slot)
{
    if (ClassRecord* r = recordAt(player, ccm, slot); r && race >= 0 && race < kRaces)
        r->time[race] = value;
}

float ProfileStore::getTotalTime(int32_t player, int32_t ccm, int32_t slot) const
{
    const ClassRecord* r = recordAt(player, ccm, slot);
    float total = 0.0f;
    for (int race = 0; r && race < kRaces; ++race)
        if (r->time[race] != -1.0f)
            total += r->time[race];
    return total;
}

int32_t ProfileStore::getStartPosition(int32_t player, int32_t ccm, int32_t race, int32_t slot) const
{
    if (race == 0)
        return 6 - player < 0 ? 0 : 6 - player > 6 ? 6 : 6 - player;
    // A player without a rank in the race before (-1) starts like the last
    // one; a rank from a damaged file must not put the kart beside the grid.
    int32_t rank = getRank(player, ccm, race - 1, slot);
    if (rank < 0 || rank > kPlayers - 1)
        rank = kPlayers - 1;
    return kPlayers - 1 - rank;
}

int32_t ProfileStore::getLook(Look look, int32_t player, int32_t ccm, int32_t slot) const
{
    const ClassRecord* r = recordAt(player, ccm, slot);
    return r ? r->look[look] : 0;
}

void ProfileStore::setLook(Look look, int32_t player, int32_t value, int32_t slot)
{
    if (Player* p = playerAt(player, slot))
        for (ClassRecord& record : p->classes)
            record.look[look] = value;
}

int32_t ProfileStore::getSpoiler(int32_t player, int32_t ccm, int32_t slot) const { return getLook(LookSpoiler, player, ccm, slot); }
int32_t ProfileStore::getTires(int32_t player, int32_t ccm, int32_t slot) const { return getLook(LookTires, player, ccm, slot); }
int32_t ProfileStore::getSideskirts(int32_t player, int32_t ccm, int32_t slot) const { return getLook(LookSideskirts, player, ccm, slot); }
int32_t ProfileStore::getEngine(int32_t player, int32_t ccm, int32_t slot) const { return getLook(LookEngine, player, ccm, slot); }
int32_t ProfileStore::getColor(int32_t player, int32_t ccm, int32_t slot) const { return getLook(LookColor, player, ccm, slot); }
int32_t ProfileStore::getLogo(int32_t player, int32_t ccm, int32_t slot) const { return getLook(LookLogo, player, ccm, slot); }
void ProfileStore::setSpoiler(int32_t player, int32_t, int32_t value, int32_t slot) { setLook(LookSpoiler, player, value, slot); }
void ProfileStore::setTires(int32_t player, int32_t, int32_t value, int32_t slot) { setLook(LookTires, player, value, slot); }
void ProfileStore::setSideskirts(int32_t player, int32_t, int32_t value, int32_t slot) { setLook(LookSideskirts, player, value, slot); }
void ProfileStore::setEngine(int32_t player, int32_t, int32_t value, int32_t slot) { setLook(LookEngine, player, value, slot); }
void ProfileStore::setColor(int32_t player, int32_t, int32_t value, int32_t slot) { setLook(LookColor, player, value, slot); }
void ProfileStore::setLogo(int32_t player, int32_t, int32_t value, int32_t slot) { setLook(LookLogo, player, value, slot); }

const std::string& ProfileStore::getCreationDate(int32_t slot) const
{
    const Slot* s = slotAt(slot);
    return s ? s->creationDate : kNoText;
}

const std::string& ProfileStore::getCreationTime(int32_t slot) const
{
    const Slot* s = slotAt(slot);
    return s ? s->creationTime : kNoText;
}

const std::string& ProfileStore::getLastUsedDate(int32_t slot) const
{
    const Slot* s = slotAt(slot);
    return s ? s->lastUsedDate : kNoText;
}

const std::string& ProfileStore::getLastUsedTime(int32_t slot) const
{
    const Slot* s = slotAt(slot);
    return s ? s->lastUsedTime : kNoText;
}

void ProfileStore::stampCreation(int32_t slot)
{
    Slot* s = slotAt(slot);
    if (!s)
        return;
    std::time_t now = std::time(nullptr);
    std::tm utc {};
    gmtime_r(&now, &utc);
    char date[32];
    char time[16];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday);
    std::snprintf(time, sizeof time, "%02d:%02d", utc.tm_hour, utc.tm_min);
    s->creationDate = date;
    s->creationTime = time;
}

const std::vector<std::string>& ProfileStore::getTracks(int32_t ccm, int32_t slot) const
{
    const Slot* s = slotAt(slot);
    return s && validClass(ccm) ? s->tracks[ccm] : kNoTracks;
}

void ProfileStore::unlockTrack(int32_t ccm, const std::string& track, int32_t slot)
{
    Slot* s = slotAt(slot);
    if (!s || !validClass(ccm))
        return;
    for (const std::string& name : s->tracks[ccm])
        if (name == track)
            return;
    s->tracks[ccm].push_back(track);
}

void ProfileStore::resetSlot(int32_t slot)
{
    Slot* s = slotAt(slot);
    if (!s)
        return;
    *s = Slot();
    s->empty = 1;
}

void ProfileStore::resetClass(int32_t ccm, int32_t slot)
{
    Slot* s = slotAt(slot);
    if (!s || !validClass(ccm))
        return;
    s->level[ccm] = 0;
    s->tracks[ccm].clear();
    for (Player& player : s->players) {
        ClassRecord& record = player.classes[ccm];
        const ClassRecord fresh;
        record.seasonPoints = 0;
        std::memcpy(record.rank, fresh.rank, sizeof record.rank);
        std::memcpy(record.time, fresh.time, sizeof record.time);
    }
}

void ProfileStore::resetAll()
{
    m_currentSlot = 0;
    for (int32_t slot = 0; slot < kSlots; ++slot)
        resetSlot(slot);
}

void ProfileStore::buyOpponentUpgrades(const UpgradeTable& upgrades, int32_t slot)
{
    Slot* s = slotAt(slot);
    if (!s)
        return;
    const int32_t ccm = s->ccm;
    struct Kind {
        Look look;
        const std::vector<UpgradeInfo>* list;
    } const kinds[] = {
        {LookEngine, &upgrades.engine},
        {LookSpoiler, &upgrades.spoiler},
        {LookSideskirts, &upgrades.sideskirts},
        {LookTires, &upgrades.tires},
    };
    for (int32_t player = 1; player < kPlayers; ++player) {
        Player& p = s->players[player];
        int32_t kudos = p.kudos;
        bool bought = true;
        while (bought) {
            bought = false;
            for (const Kind& kind : kinds) {
                const int32_t level = p.classes[ccm].look[kind.look];
                if (level >= 4)
                    continue;
                // A level the table does not sell cannot be bought.
                const UpgradeInfo* next = UpgradeTable::at(*kind.list, level + 1);
                if (!next || kudos < next->price)
                    continue;
                kudos -= next->price;
                setLook(kind.look, player, level + 1, slot);
                bought = true;
            }
            p.kudos = kudos;
        }
    }
}

std::string ProfileStore::print() const
{
    TiXmlDocument doc;
    doc.LinkEndChild(new TiXmlDeclaration("1.0", "", ""));
    TiXmlElement* root = addElement(&doc, "profiles");
    root->SetAttribute("version", "1.0");
    for (int32_t index = 0; index < kSlots; ++index) {
        const Slot& s = m_slots[index];
        if (s.empty)
            continue;
        TiXmlElement* profile = addElement(root, "profile");
        profile->SetAttribute("slot", index);
        profile->SetAttribute("ccm", s.ccm);
        profile->SetAttribute("gameover", s.gameOver ? 1 : 0);
        profile->SetAttribute("retries", s.retries);
        for (const Player& p : s.players) {
            TiXmlElement* player = addElement(profile, "player");
            player->SetAttribute("name", p.name);
            player->SetAttribute("kart", p.kart);
            player->SetAttribute("kudos", p.kudos);
            for (int32_t c = 0; c < kClasses; ++c) {
                const ClassRecord& r = p.classes[c];
                TiXmlElement* ccm = addElement(player, "ccm");
                ccm->SetAttribute("class", c);
                ccm->SetAttribute("level", s.level[c]);
                ccm->SetAttribute("seasonpoints", r.seasonPoints);
                TiXmlElement* rankings = addElement(ccm, "rankings");
                for (int race = 0; race < kRaces; ++race) {
                    TiXmlElement* e = addElement(rankings, "race");
                    e->SetAttribute("rank", r.rank[race]);
                    char time[64];
                    std::snprintf(time, sizeof time, "%f", double(r.time[race]));
                    e->SetAttribute("time", time);
                }
                TiXmlElement* looks = addElement(ccm, "upgrades");
                for (Look look : {LookColor, LookLogo, LookEngine, LookSpoiler, LookSideskirts, LookTires})
                    addText(looks, kLookTags[look], std::to_string(r.look[look]));
            }
        }
        for (int32_t c = 0; c < kClasses; ++c) {
            TiXmlElement* ccm = addElement(profile, "ccm");
            ccm->SetAttribute("class", c);
            TiXmlElement* list = addElement(ccm, "tracklist");
            for (const std::string& track : s.tracks[c])
                addText(list, "track", track);
        }
        TiXmlElement* creation = addElement(profile, "creation");
        addText(creation, "date", s.creationDate);
        addText(creation, "time", s.creationTime);
        TiXmlElement* lastUsed = addElement(profile, "lastused");
        addText(lastUsed, "date", s.lastUsedDate);
        addText(lastUsed, "time", s.lastUsedTime);
    }
    std::ostringstream out;
    out << doc;
    return out.str();
}

bool ProfileStore::parse(const std::string& text)
{
    TiXmlDocument doc;
    if (!parseXmlText(doc, text))
        return false;
    const TiXmlElement* root = doc.FirstChildElement("profiles");
    if (!root)
        return false;
    if (const char* version = root->Attribute("version"); version && std::strcmp(version, "1.0") != 0)
        return false;
    for (const TiXmlElement* profile = root->FirstChildElement("profile"); profile;
         profile = profile->NextSiblingElement("profile")) {
        int32_t index = 0, gameOver = 0, ccm = 0, retries = 0;
        if (!queryInt(profile, "slot", index) || !queryInt(profile, "gameover", gameOver) ||
            !queryInt(profile, "ccm", ccm) || !queryInt(profile, "retries", retries))
            return false;
        // The store holds five slots and three classes; anything else is a
        // damaged file.
        if (index < 0 || index >= kSlots || !validClass(ccm))
            return false;
        Slot& s = m_slots[index];
        s.gameOver = gameOver != 0;
        s.ccm = ccm;
        s.retries = retries;

        int32_t position = 0;
        for (const TiXmlElement* player = profile->FirstChildElement("player"); player && position < kPlayers;
             player = player->NextSiblingElement("player"), ++position) {
            Player& p = s.players[position];
            if (const char* name = player->Attribute("name"))
                p.name = name;
            if (const char* kart = player->Attribute("kart"))
                p.kart = kart;
            p.kudos = 0;
            queryInt(player, "kudos", p.kudos);
            for (const TiXmlElement* e = player->FirstChildElement("ccm"); e; e = e->NextSiblingElement("ccm")) {
                int32_t c = 0;
                queryInt(e, "class", c);
                if (!validClass(c))
                    return false;
                ClassRecord& r = p.classes[c];
                s.level[c] = 0;
                queryInt(e, "level", s.level[c]);
                r.seasonPoints = 0;
                queryInt(e, "seasonpoints", r.seasonPoints);
                appendTracks(e, s.tracks[c]);
                const TiXmlElement* rankings = e->FirstChildElement("rankings");
                int race = 0;
                for (const TiXmlElement* rc = rankings ? rankings->FirstChildElement("race") : nullptr;
                     rc && race < kRaces; rc = rc->NextSiblingElement("race"), ++race) {
                    r.rank[race] = -1;
                    queryInt(rc, "rank", r.rank[race]);
                    double time = -1.0;
                    queryDouble(rc, "time", time);
                    // A time that is no number would poison every sum and sort.
                    r.time[race] = std::isfinite(time) ? toFloat(time) : -1.0f;
                }
                const TiXmlElement* looks = e->FirstChildElement("upgrades");
                for (int look = 0; looks && look < LookCount; ++look)
                    if (const char* value = childText(looks, kLookTags[look]))
                        r.look[look] = textToInt(value);
            }
        }
        for (const TiXmlElement* e = profile->FirstChildElement("ccm"); e; e = e->NextSiblingElement("ccm")) {
            int32_t c = 0;
            queryInt(e, "class", c);
            if (!validClass(c))
                return false;
            appendTracks(e, s.tracks[c]);
        }
        const TiXmlElement* creation = profile->FirstChildElement("creation");
        readText(creation, "date", s.creationDate);
        readText(creation, "time", s.creationTime);
        const TiXmlElement* lastUsed = profile->FirstChildElement("lastused");
        readText(lastUsed, "date", s.lastUsedDate);
        readText(lastUsed, "time", s.lastUsedTime);
        s.empty = 0;
    }
    return true;
}

bool ProfileStore::save() const
{
    std::string text = print();
    scrambleProfileText(reinterpret_cast<uint8_t*>(text.data()), text.size(), kProfileKey);
    return replaceFile(path(), text.data(), text.size());
}

bool ProfileStore::load()
{
    resetAll();
    std::string bytes;
    if (!readWholeFile(path(), bytes, kMaxFileBytes))
        return false;
    scrambleProfileText(reinterpret_cast<uint8_t*>(bytes.data()), bytes.size(), kProfileKey);
    // The text ends at the first zero byte.
    bytes.resize(std::strlen(bytes.c_str()));
    return parse(bytes);
}

bool ProfileStore::loadOrReset()
{
    if (load())
        return true;
    m_damagedCopy.clear();
    if (fileExists(path()))
        keepBackup(path(), &m_damagedCopy);
    resetAll();
    save();
    setCurrentSlot(0);
    return false;
}
