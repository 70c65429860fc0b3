#include "game/menu/ProfileStore.h"

#include "game/app/ConfigRecords.h"
#include "game/menu/ProfileScrambler.h"
#include "support/PlayerFolderRig.h"
#include "support/RecordFixtures.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

std::string hex(const std::string& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string scrambled(std::string text, const char* key = kProfileKey)
{
    scrambleProfileText(reinterpret_cast<uint8_t*>(text.data()), text.size(), key);
    return text;
}

TEST(ProfileStoreTest, TheScramblerMatchesItsCrossCheckVectors)
{
    EXPECT_EQ(hex(scrambled(std::string(32, '\0'))),
              "7c54d6e99e065b8cd6834b0ee9249f83feb4e30152259d224131d5999b6ff330");
    EXPECT_EQ(hex(scrambled(std::string(16, '\0'), "")), "7da322c0499b23f216b8b8cdac6ac0ae");
    EXPECT_EQ(hex(scrambled(std::string(16, '\0'), "A")), "588ae34cc45269f0c0cffc7e0296f059");
    const std::string text = "<profiles version=\"1.0\"/>";
    EXPECT_EQ(scrambled(scrambled(text)), text);
}

// A store with two used slots and every field set to something of its own.
ProfileStore filledStore()
{
    ProfileStore store;
    store.resetAll();
    for (int32_t slot : {0, 3}) {
        store.resetSlot(slot);
        store.setEmpty(0, slot);
        store.setCcm(slot == 0 ? 2 : 1, slot);
        store.setGameOver(slot == 3, slot);
        store.setRetries(slot + 4, slot);
        for (int32_t c = 0; c < 3; ++c) {
            store.setLevel(c, c + slot, slot);
            store.unlockTrack(c, "track" + std::to_string(c), slot);
            store.unlockTrack(c, "t&<\"'>" + std::to_string(slot), slot);
        }
        for (int32_t p = 0; p < 7; ++p) {
            store.setName(p, "Name \"" + std::to_string(p) + "\" & co", slot);
            store.setKart(p, "kart" + std::to_string(p), slot);
            store.setKudos(p, 100 * p + slot, slot);
            store.setEngine(p, 0, p % 6, slot);
            store.setSpoiler(p, 0, (p + 1) % 6, slot);
            store.setTires(p, 0, (p + 2) % 6, slot);
            store.setSideskirts(p, 0, (p + 3) % 6, slot);
            store.setColor(p, 0, p, slot);
            store.setLogo(p, 0, 7 - p, slot);
            for (int32_t c = 0; c < 3; ++c) {
                store.setSeasonPoints(p, c, p * 3 + c, slot);
                for (int32_t r = 0; r < 16; r += 2) {
                    store.setRank(p, c, r, (p + r) % 7, slot);
                    store.setTime(p, c, r, 60.5f + float(r + p + c), slot);
                }
            }
        }
        store.stampCreation(slot);
    }
    return store;
}

void expectSameStore(const ProfileStore& a, const ProfileStore& b)
{
    for (int32_t s = 0; s < 5; ++s) {
        SCOPED_TRACE(s);
        ASSERT_EQ(a.isEmpty(s), b.isEmpty(s));
        if (a.isEmpty(s))
            continue;
        EXPECT_EQ(a.getCcm(s), b.getCcm(s));
        EXPECT_EQ(a.isGameOver(s), b.isGameOver(s));
        EXPECT_EQ(a.getRetries(s), b.getRetries(s));
        EXPECT_EQ(a.getCreationDate(s), b.getCreationDate(s));
        EXPECT_EQ(a.getCreationTime(s), b.getCreationTime(s));
        EXPECT_EQ(a.getLastUsedDate(s), b.getLastUsedDate(s));
        EXPECT_EQ(a.getLastUsedTime(s), b.getLastUsedTime(s));
        for (int32_t c = 0; c < 3; ++c) {
            EXPECT_EQ(a.getLevel(c, s), b.getLevel(c, s));
            EXPECT_EQ(a.getTracks(c, s), b.getTracks(c, s));
        }
        for (int32_t p = 0; p < 7; ++p) {
            EXPECT_EQ(a.getName(p, s), b.getName(p, s));
            EXPECT_EQ(a.getKart(p, s), b.getKart(p, s));
            EXPECT_EQ(a.getKudos(p, s), b.getKudos(p, s));
            for (int32_t c = 0; c < 3; ++c) {
                EXPECT_EQ(a.getSeasonPoints(p, c, s), b.getSeasonPoints(p, c, s));
                EXPECT_EQ(a.getEngine(p, c, s), b.getEngine(p, c, s));
                EXPECT_EQ(a.getSpoiler(p, c, s), b.getSpoiler(p, c, s));
                EXPECT_EQ(a.getTires(p, c, s), b.getTires(p, c, s));
                EXPECT_EQ(a.getSideskirts(p, c, s), b.getSideskirts(p, c, s));
                EXPECT_EQ(a.getColor(p, c, s), b.getColor(p, c, s));
                EXPECT_EQ(a.getLogo(p, c, s), b.getLogo(p, c, s));
                for (int32_t r = 0; r < 16; ++r) {
                    EXPECT_EQ(a.getRank(p, c, r, s), b.getRank(p, c, r, s));
                    EXPECT_EQ(a.getTime(p, c, r, s), b.getTime(p, c, r, s));
                }
            }
        }
    }
}

TEST(ProfileStoreTest, EveryFieldRoundTripsThroughTheScrambledFile)
{
    PlayerFolderRig rig;
    ProfileStore written = filledStore();
    written.setCurrentSlot(3);
    ASSERT_TRUE(written.save());
    // The plain text as TinyXML's stream printing lays it out.
    const std::string plain = scrambled(rig.read("profiles.dat"));
    EXPECT_EQ(plain.rfind("<?xml version=\"1.0\" ?><profiles version=\"1.0\"><profile slot=\"0\" ccm=\"2\" "
                          "gameover=\"0\" retries=\"4\"><player name='Name &quot;0&quot; &amp; co' kart=\"kart0\" "
                          "kudos=\"0\"><ccm class=\"0\" level=\"0\" seasonpoints=\"0\"><rankings>"
                          "<race rank=\"0\" time=\"60.500000\" /><race rank=\"-1\" time=\"-1.000000\" />",
                          0),
              0u);
    EXPECT_NE(plain.find("<upgrades><color>0</color><logo>7</logo><engine>0</engine><spoiler>1</spoiler>"
                         "<sideskirts>3</sideskirts><tires>2</tires></upgrades>"),
              std::string::npos);

    ProfileStore read;
    read.setCurrentSlot(4);
    ASSERT_TRUE(read.load());
    EXPECT_EQ(read.getCurrentSlot(), 0);
    expectSameStore(read, written);
    EXPECT_EQ(read.getCreationDate(0).size(), 10u);
    EXPECT_EQ(read.getCreationTime(0).size(), 5u);
}

struct LoadCase {
    const char* name;
    std::string plain;
    bool loads;
    std::function<void(const ProfileStore&)> check;
};

TEST(ProfileStoreTest, TheLoadFollowsTheFileRules)
{
    using fixtures::profileXml;
    using fixtures::profilesXml;
    const std::string player = "<player name=\"p\" kart=\"k\" kudos=\"5\"/>";
    const LoadCase cases[] = {
        {"no version", profilesXml(profileXml(1, player), ""), true,
         [](const ProfileStore& s) { EXPECT_EQ(s.getKudos(0, 1), 5); }},
        {"version 1.1", profilesXml(profileXml(1, player), " version=\"1.1\""), false, nullptr},
        {"no profiles", profilesXml(""), true,
         [](const ProfileStore& s) {
             for (int slot = 0; slot < 5; ++slot)
                 EXPECT_TRUE(s.isEmpty(slot));
         }},
        {"other root", "<profile/>", false, nullptr},
        {"malformed", "<profiles><profile slot=\"0\"", false, nullptr},
        {"no retries", profilesXml("<profile slot=\"0\" ccm=\"0\" gameover=\"0\"/>"), false, nullptr},
        {"slot not a number", profilesXml("<profile slot=\"x\" ccm=\"0\" gameover=\"0\" retries=\"0\"/>"), false, nullptr},
        {"slot 5", profilesXml(profileXml(5, "")), false, nullptr},
        {"slot -1", profilesXml(profileXml(-1, "")), false, nullptr},
        {"career class 3", profilesXml("<profile slot=\"0\" ccm=\"3\" gameover=\"1\" retries=\"0\"/>"), false, nullptr},
        {"player class 3", profilesXml(profileXml(0, "<player><ccm class=\"3\"/></player>")), false, nullptr},
        {"track list class 7", profilesXml(profileXml(0, "<ccm class=\"7\"/>")), false, nullptr},
        {"defaults",
         profilesXml(profileXml(2, "<player><ccm level=\"4\"><rankings><race rank=\"2\"/><race time=\"nan\"/>"
                                   "<race time=\"7.5\"/></rankings><upgrades><engine> 3x</engine><logo/></upgrades>"
                                   "</ccm></player>",
                                "")),
         true,
         [](const ProfileStore& s) {
             EXPECT_FALSE(s.isEmpty(2));
             EXPECT_EQ(s.getKudos(0, 2), 0);
             EXPECT_EQ(s.getName(0, 2), "");
             EXPECT_EQ(s.getLevel(0, 2), 4); // a ccm without class is class 0
             EXPECT_EQ(s.getRank(0, 0, 0, 2), 2);
             EXPECT_EQ(s.getTime(0, 0, 0, 2), -1.0f);
             EXPECT_EQ(s.getTime(0, 0, 1, 2), -1.0f);
             EXPECT_EQ(s.getRank(0, 0, 1, 2), -1);
             EXPECT_EQ(s.getTime(0, 0, 2, 2), 7.5f);
             EXPECT_EQ(s.getEngine(0, 0, 2), 3);
             EXPECT_EQ(s.getEngine(0, 1, 2), 0); // the file sets its own class only
             EXPECT_EQ(s.getLogo(0, 0, 2), 0);
         }},
        {"eight players", profilesXml(profileXml(0, [] {
             std::string players;
             for (int i = 0; i < 8; ++i)
                 players += "<player name=\"p" + std::to_string(i) + "\"/>";
             return players;
         }())),
         true,
         [](const ProfileStore& s) {
             EXPECT_EQ(s.getName(6, 0), "p6");
             EXPECT_EQ(s.getName(7, 0), "");
         }},
        {"tracks of both places",
         profilesXml(profileXml(0, "<player><ccm class=\"1\"><tracklist><track>a</track><track/></tracklist></ccm>"
                                   "</player><ccm class=\"1\"><tracklist><track>b</track><track>a</track></tracklist>"
                                   "</ccm><creation><date>d</date><time/></creation>")),
         true,
         [](const ProfileStore& s) {
             EXPECT_EQ(s.getTracks(1, 0), (std::vector<std::string>{"a", "b", "a"}));
             EXPECT_EQ(s.getCreationDate(0), "d");
             EXPECT_EQ(s.getCreationTime(0), "");
         }},
        {"text ends at a zero byte", profilesXml(profileXml(0, player)) + std::string(1, '\0') + "garbage", true,
         [](const ProfileStore& s) { EXPECT_EQ(s.getKudos(0, 0), 5); }},
    };
    for (const LoadCase& c : cases) {
        SCOPED_TRACE(c.name);
        PlayerFolderRig rig;
        rig.write("profiles.dat", scrambled(c.plain));
        ProfileStore store;
        EXPECT_EQ(store.load(), c.loads);
        if (c.loads)
            c.check(store);
    }
    PlayerFolderRig rig;
    rig.write("profiles.dat", scrambled(profilesXml(profileXml(0, player)), "another key"));
    ProfileStore store;
    EXPECT_FALSE(store.load());
}

TEST(ProfileStoreTest, AFailedLoadKeepsTheFileBesideTheFreshOne)
{
    PlayerFolderRig rig;
    ProfileStore store;
    EXPECT_FALSE(store.loadOrReset()); // no file: a fresh one, nothing to keep
    EXPECT_FALSE(std::filesystem::exists(rig.file("profiles.dat.bak")));
    EXPECT_TRUE(store.load());

    const std::string future = scrambled(fixtures::profilesXml(fixtures::profileXml(0, ""), " version=\"2.0\""));
    rig.write("profiles.dat", future);
    EXPECT_FALSE(store.loadOrReset());
    EXPECT_EQ(rig.read("profiles.dat.bak"), future);
    EXPECT_EQ(scrambled(rig.read("profiles.dat")), "<?xml version=\"1.0\" ?><profiles version=\"1.0\" />");
    for (int slot = 0; slot < 5; ++slot)
        EXPECT_TRUE(store.isEmpty(slot));
}

TEST(ProfileStoreTest, AccessorsKeepTheirRules)
{
    ProfileStore store;
    store.resetAll();
    store.setKudos(0, -5, -1);
    EXPECT_EQ(store.getKudos(0), 0);
    store.setEngine(0, 1, 3);
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(store.getEngine(0, c), 3);

    const int32_t points[] = {10, 10, 5, 0, 0, 0, 0};
    for (int p = 0; p < 7; ++p)
        store.setSeasonPoints(p, 1, points[p]);
    EXPECT_EQ(store.getSeasonPosition(0, 1), 0);
    EXPECT_EQ(store.getSeasonPosition(1, 1), 0);
    EXPECT_EQ(store.getSeasonPosition(2, 1), 2);
    EXPECT_EQ(store.getSeasonPosition(6, 1), 3);

    store.setTime(0, 2, 0, 60.0f);
    store.setTime(0, 2, 5, 61.5f);
    EXPECT_FLOAT_EQ(store.getTotalTime(0, 2), 121.5f);
    EXPECT_EQ(store.getTotalTime(1, 2), 0.0f);

    EXPECT_EQ(store.getStartPosition(2, 0, 0), 4);
    store.setRank(2, 0, 2, 0);
    EXPECT_EQ(store.getStartPosition(2, 0, 3), 6);
    EXPECT_EQ(store.getStartPosition(2, 0, 5), 0); // rank -1 in race 4: the back of the grid, not slot 7
    store.setRank(2, 0, 6, 40);
    EXPECT_EQ(store.getStartPosition(2, 0, 7), 0);

    store.unlockTrack(0, "harbour");
    store.unlockTrack(0, "harbour");
    store.unlockTrack(0, "Harbour");
    EXPECT_EQ(store.getTracks(0), (std::vector<std::string>{"harbour", "Harbour"}));

    // Indices outside the store address nothing.
    store.setCurrentSlot(9);
    EXPECT_EQ(store.getCurrentSlot(), 0);
    store.setKudos(7, 5);
    store.setRank(0, 3, 0, 1);
    store.setRank(0, 0, 16, 1);
    store.setName(0, "x", 5);
    EXPECT_EQ(store.getKudos(7), 0);
    EXPECT_EQ(store.getRank(0, 0, 16), -1);
    EXPECT_EQ(store.getName(0, 5), "");
    EXPECT_TRUE(store.isEmpty(-2));
    EXPECT_TRUE(store.getTracks(3).empty());
}

TEST(ProfileStoreTest, OpponentsBuyUpgradesLevelByLevel)
{
    UpgradeTable table;
    for (auto* list : {&table.engine, &table.spoiler, &table.sideskirts, &table.tires})
        for (int level = 1; level <= 5; ++level)
            list->push_back(UpgradeInfo{1.0f, 1.0f, 1.0f, 300});
    ProfileStore store;
    store.resetAll();
    store.setKudos(1, 1000);
    store.setKudos(2, 2400);
    store.setEngine(3, 0, 4);
    store.setKudos(3, 300);
    store.buyOpponentUpgrades(table);
    EXPECT_EQ(store.getKudos(1), 100);
    EXPECT_EQ(store.getEngine(1, 2), 1);
    EXPECT_EQ(store.getSpoiler(1, 2), 1);
    EXPECT_EQ(store.getSideskirts(1, 2), 1);
    EXPECT_EQ(store.getTires(1, 2), 0);
    EXPECT_EQ(store.getKudos(2), 0); // two passes of four
    EXPECT_EQ(store.getTires(2, 0), 2);
    EXPECT_EQ(store.getEngine(3, 0), 4); // level 4 is the last a computer player buys
    EXPECT_EQ(store.getSpoiler(3, 0), 1);
    EXPECT_EQ(store.getKudos(0), 0);

    // A table that sells fewer levels than the file's looks ask for buys nothing more.
    UpgradeTable stock;
    store.setKudos(4, 5000);
    store.buyOpponentUpgrades(stock);
    EXPECT_EQ(store.getKudos(4), 5000);
}

// The child saves over and over until it is killed; whatever moment the kill
// hits, the file left behind is a whole profiles.dat.
TEST(ProfileStoreTest, AKillDuringASaveLeavesAFileThatLoads)
{
    PlayerFolderRig rig;
    ProfileStore store = filledStore();
    ASSERT_TRUE(store.save());
    for (int round = 0; round < 6; ++round) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (;;)
                store.save();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5 + round * 7));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status));
        ProfileStore read;
        ASSERT_TRUE(read.load()) << "round " << round;
        expectSameStore(read, store);
    }
}

} // namespace
