#include "game/menu/Highscores.h"

#include "support/PlayerFolderRig.h"
#include "support/RecordFixtures.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

HighscoreTable tableOfTimes(float first, int32_t score)
{
    HighscoreTable table;
    for (int i = 0; i < HighscoreTable::kEntries; ++i)
        table.insertAt(i, HighscoreEntry("k", "n" + std::to_string(i), score, first + float(i), 0));
    return table;
}

TEST(HighscoresTest, InsertKeepsTheBestTenFirst)
{
    struct Case {
        const char* name;
        HighscoreTable table;
        float time;
        int32_t score;
        int32_t index;
        float lastTime;
    } cases[] = {
        {"faster than all", tableOfTimes(10, 0), 9.5f, 0, 0, 18.0f},
        {"slower than all", tableOfTimes(10, 0), 25.0f, 0, -1, 19.0f},
        {"equal time, higher score", tableOfTimes(10, 3), 12.0f, 5, 2, 18.0f},
        {"equal time, equal score", tableOfTimes(10, 3), 12.0f, 3, 3, 18.0f},
        {"empty table", HighscoreTable(), 30.0f, 0, 0, -1.0f},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.table.insert(HighscoreEntry("kart", "new", c.score, c.time, 1)), c.index);
        if (c.index >= 0) {
            EXPECT_EQ(c.table.entry(c.index).name, "new");
            EXPECT_EQ(c.table.entry(c.index).retries, 1);
        }
        EXPECT_EQ(c.table.entry(9).time, c.lastTime);
    }
    HighscoreTable table;
    table.insert(HighscoreEntry("a", "first", 0, 30.0f, 0));
    EXPECT_EQ(table.insert(HighscoreEntry("b", "slower", 0, 31.0f, 0)), 1);
    EXPECT_TRUE(table.entry(10).isEmpty());
    EXPECT_TRUE(table.entry(-1).isEmpty());
}

TEST(HighscoresTest, TablesAreAddressedByClassTrackLapsAndArena)
{
    Highscores scores;
    struct Case {
        int32_t ccm, track, laps;
        int index;
    } cases[] = {
        {1, 4, 8, 42}, {1, 4, 3, 40}, {1, 4, 7, 40}, {1, 4, 5, 41}, {0, 0, 3, 1}, {2, 8, 8, 81},
        {3, 0, 3, -1}, {-1, 0, 3, -1}, {0, 9, 3, -1}, {0, -1, 3, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Highscores::tableIndex(c.ccm, c.track, c.laps), c.index);
        HighscoreTable* t = scores.table(c.ccm, c.track, c.laps);
        EXPECT_EQ(t, c.index < 0 ? nullptr : &scores.tableAt(c.index));
    }
    EXPECT_EQ(scores.extraTable(0, 0), &scores.tableAt(82));
    EXPECT_EQ(scores.extraTable(2, 2), &scores.tableAt(90));
    EXPECT_EQ(scores.extraTable(2, 3), nullptr); // would be table 91
    EXPECT_EQ(scores.extraTable(-1, 0), nullptr);
    EXPECT_EQ(&scores.overallTable(), &scores.tableAt(0));
}

TEST(HighscoresTest, EveryEntryRoundTripsInFileOrder)
{
    PlayerFolderRig rig;
    Highscores written;
    for (int t = 0; t < Highscores::kTables; ++t)
        for (int e = 0; e < 10; e += 3)
            written.tableAt(t).insertAt(e, HighscoreEntry(std::string("k\0\xff", 3) + std::to_string(t),
                                                          "n" + std::to_string(e), t - e, float(t) + 0.25f, e));
    ASSERT_TRUE(written.save());
    Highscores read;
    ASSERT_TRUE(read.load());
    for (int t = 0; t < Highscores::kTables; ++t)
        for (int e = 0; e < 10; ++e) {
            const HighscoreEntry& a = written.tableAt(t).entry(e);
            const HighscoreEntry& b = read.tableAt(t).entry(e);
            EXPECT_EQ(a.kart, b.kart);
            EXPECT_EQ(a.name, b.name);
            EXPECT_EQ(a.time, b.time);
            EXPECT_EQ(a.score, b.score);
            EXPECT_EQ(a.retries, b.retries);
        }
    // Table 82 stands right after table 27 in the file.
    Highscores order;
    order.tableAt(82).insertAt(0, HighscoreEntry("", "x", 0, 1.0f, 0));
    const std::string bytes = order.serialize();
    EXPECT_EQ(bytes.substr(27 * 200, 20), fixtures::highscoreEntry("", "", -1.0f, 0, 0));
    EXPECT_EQ(bytes.substr(28 * 200, 21), fixtures::highscoreEntry("", "x", 1.0f, 0, 0));
}

TEST(HighscoresTest, AFreshFileIsEmptyEntriesOnly)
{
    PlayerFolderRig rig;
    Highscores scores;
    EXPECT_FALSE(scores.loadOrReset());
    EXPECT_EQ(rig.read("highscores.dat"), fixtures::emptyHighscores());
    EXPECT_EQ(rig.read("highscores.dat").size(), 18200u);
    EXPECT_FALSE(std::filesystem::exists(rig.file("highscores.dat.bak")));
    EXPECT_TRUE(scores.loadOrReset());
}

TEST(HighscoresTest, DamagedFilesFailTheLoadAndAreKept)
{
    const std::string whole = fixtures::emptyHighscores();
    const std::string named = fixtures::highscoreEntry("kart", "name", 1.0f, 2, 3) + fixtures::emptyHighscores(909);
    struct Case {
        const char* name;
        std::string bytes;
        bool loads;
    } cases[] = {
        {"whole", whole, true},
        {"trailing bytes", whole + "xyz", true},
        {"negative lengths read no bytes",
         fixtures::le32(-5) + fixtures::le32(INT32_MIN) + fixtures::le32f(1.0f) + fixtures::le32(0) +
             fixtures::le32(0) + fixtures::emptyHighscores(909),
         true},
        {"empty", "", false},
        {"one entry short", fixtures::emptyHighscores(909), false},
        {"cut inside a field", whole.substr(0, whole.size() - 2), false},
        {"length near 2^31", fixtures::le32(0x7FFFFFF0) + whole.substr(4), false},
        {"length past the end", fixtures::le32(int32_t(named.size())) + named.substr(4), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlayerFolderRig rig;
        rig.write("highscores.dat", c.bytes);
        Highscores scores;
        scores.overallTable().insert(HighscoreEntry("keep", "me", 0, 5.0f, 0));
        EXPECT_EQ(scores.parse(c.bytes), c.loads);
        if (!c.loads)
            EXPECT_EQ(scores.overallTable().entry(0).kart, "keep"); // a failed load changes nothing
        EXPECT_EQ(scores.loadOrReset(), c.loads);
        if (!c.loads) {
            EXPECT_EQ(rig.read("highscores.dat.bak"), c.bytes);
            EXPECT_EQ(rig.read("highscores.dat"), whole);
            EXPECT_TRUE(scores.overallTable().entry(0).isEmpty());
        }
    }
}

} // namespace
