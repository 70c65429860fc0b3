// Our packed data set: config.xml and Texts.xml read back through data.sar
// exactly as the game mounts it.
#include "engine/core/archive/ArchiveFile.h"
#include "engine/core/io/DiskFile.h"
#include "game/app/GameConfig.h"
#include "game/app/TextIds.h"
#include "game/app/TextTable.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>

namespace {

class DataSetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string archive = std::string(std::getenv("VORLUND_BINARY_DIR")) + "/bin/data.sar";
        DiskFile disk("");
        ASSERT_TRUE(m_archive.mount(disk, archive.c_str())) << archive;
        ASSERT_FALSE(m_archive.diskFallback);
    }
    ArchiveFile m_archive;
};

TEST_F(DataSetTest, ConfigurationYieldsAWholeGame)
{
    GameConfig config;
    ASSERT_TRUE(config.loadConfig(m_archive)) << config.error();

    // The shop sells levels 1-5 of each part, seven colours and seven logos.
    const UpgradeTable& u = config.upgrades();
    for (const auto* list : {&u.engine, &u.spoiler, &u.sideskirts, &u.tires})
        EXPECT_EQ(list->size(), 6u);
    EXPECT_EQ(u.color.size(), 7u);
    EXPECT_EQ(u.logo.size(), 7u);

    EXPECT_EQ(config.karts().size(), 7u); // one per driver of a race
    ASSERT_FALSE(config.singleRaceTracks().empty());
    EXPECT_LE(config.singleRaceTracks().size(), 9u); // the highscore tables hold nine tracks
    ASSERT_FALSE(config.lastManStandingTracks().empty());
    EXPECT_LE(config.lastManStandingTracks().size(), 3u); // and three arenas
    for (const auto* list : {&config.singleRaceTracks(), &config.lastManStandingTracks()})
        for (const std::string& track : *list)
            EXPECT_NE(config.findLevel(track), nullptr) << track;
    for (int ccm = 0; ccm < GameConfig::kClasses; ++ccm) {
        EXPECT_GT(config.careerTrackCount(ccm), 0);
        EXPECT_LE(config.careerTrackCount(ccm), 16); // a profile records sixteen races a class
        for (const std::string& track : config.careerTracks(ccm))
            EXPECT_NE(config.findLevel(track), nullptr) << track;
    }
    for (const KartInfo& kart : config.karts()) {
        float ratios[GameConfig::StatCount];
        ASSERT_TRUE(config.kartStatRatios(kart.name, ratios));
        for (float r : ratios) {
            EXPECT_GE(r, 0.0f) << kart.name;
            EXPECT_LE(r, 1.0f) << kart.name;
        }
    }
}

TEST_F(DataSetTest, EveryTextTheGameAsksForExistsInEveryLanguage)
{
    TextTable texts(&m_archive, "D:\\Zoprax9/menu/Texts.xml");
    GameConfig config;
    ASSERT_TRUE(config.loadConfig(m_archive)) << config.error();

    std::set<int32_t> ids(std::begin(kGameTextIds), std::end(kGameTextIds));
    for (const LevelInfo& level : config.levels())
        ids.insert(level.menutext);
    for (const KartInfo& kart : config.karts())
        ids.insert(kart.menutext);
    for (uint32_t language = 0; language < TextTable::kLanguageCount; ++language) {
        texts.language = language;
        for (int32_t id : ids)
            EXPECT_FALSE(texts.getText(id).empty()) << "text " << id << " in language " << language;
    }
}

} // namespace
