#include "game/app/GameConfig.h"

#include "game/app/TuningValues.h"
#include "tools/lib/MemoryFileSystem.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <string>

namespace {

// A file system holding config.xml and empty files under every name in
// `present`: a level or kart is added only when its files exist.
struct ConfigRig {
    MemoryFileSystem files;
    GameConfig config;

    explicit ConfigRig(std::initializer_list<const char*> present = {"lv.lws", "k.lws", "c.lws"})
    {
        for (const char* name : present)
            files.addFile(name, std::vector<uint8_t>{});
    }
    bool load(const std::string& body, const char* root = "vrl9")
    {
        std::string text = std::string("<?xml version=\"1.0\" ?><") + root + ">" + body + "</" + root + ">";
        files.addFile("config.xml", reinterpret_cast<const uint8_t*>(text.data()), text.size());
        resetTuningValues();
        cameraFov = 99.0f; // loading starts from the defaults
        return config.loadConfig(files);
    }
};

TEST(GameConfigTest, AWholeFileFillsEveryRecord)
{
    ConfigRig rig;
    ASSERT_TRUE(rig.load(R"(
      <game>
        <cameraFov>1.5</cameraFov><cameraDistance>5</cameraDistance><cameraHeight>0.75</cameraHeight>
        <cameraSpeedfactor>0.03</cameraSpeedfactor><kartERP>0.8</kartERP><kartCFM>0.001</kartCFM>
        <wheelsERP>0.9</wheelsERP><wheelsCFM>0.002</wheelsCFM>
        <upgrades>
          <engine speed="1.1" acceleration="1.2" drift="1.3" price="100"/>
          <spoiler price="50"/><logo speed="2"/><color/><color price="7"/>
        </upgrades>
      </game>
      <levels>
        <level name="track" filename="lv.lws">
          <menutext>40000</menutext><menuimage>img</menuimage><loadingscreen>load.png</loadingscreen>
          <aifiles path="ai\" lanes="4"><maps xmin="-1" xmax="2" zmin="-3" zmax="4"><speed>s.pcx</speed></maps></aifiles>
          <objectfiles path="obj/"/>
          <minimap filename="mini.png" xmin="1" xmax="2" zmin="3" zmax="4"/>
          <posmap filename="pos.pcx" xmin="5" xmax="6" zmin="7" zmax="8"/>
          <colormap filename="col.bmp" xmin="9" xmax="10" zmin="11" zmax="12"/>
          <music>3</music>
        </level>
      </levels>
      <karts>
        <kart name="k1" kart="k.lws" character="c.lws">
          <menuscene>menu.lws</menuscene><menutext>41000</menutext><menuimage>kimg</menuimage>
          <kartObject>kart.lwo</kartObject><characterObject>char.lwo</characterObject>
          <forwardSpeed>110</forwardSpeed><forwardForce>2</forwardForce><backwardSpeed>40</backwardSpeed>
          <backwardForce>3</backwardForce><brakeForce>12</brakeForce><idleForce>4</idleForce><mu>6</mu>
          <drift>0.5</drift><driftexp>2</driftexp><slip>0.1</slip><spring>150</spring><damper>15</damper>
          <mass>0.7</mass><turbotime>11</turbotime><masswheels>0.2</masswheels><masssuspensions>0.06</masssuspensions>
          <special>2</special><steerangle>45</steerangle><steeranglemin>90</steeranglemin><steerspeed>0.04</steerspeed>
        </kart>
      </karts>
      <singlerace><tracklist><track name="track"/><track/><track name="track"/></tracklist></singlerace>
      <lastmanstanding><tracklist><track name="arena"/></tracklist></lastmanstanding>
      <career>
        <ccm class="50"><tracklist><track name="track" game="timedrun" time="95.5" laps="1"/></tracklist></ccm>
        <ccm class="0"><tracklist><track name="b" game="coinrace"/></tracklist></ccm>
        <ccm class="150"><tracklist><track name="c" game="lastmanstanding" laps="0"/></tracklist></ccm>
      </career>)"))
        << rig.config.error();
    const GameConfig& c = rig.config;

    const float tuning[] = {cameraFov, cameraDistance, cameraHeight, cameraSpeedfactor,
                            kartERP,   kartCFM,        wheelsERP,    wheelsCFM};
    const float expected[] = {1.5f, 5.0f, 0.75f, 0.03f, 0.8f, 0.001f, 0.9f, 0.002f};
    for (int i = 0; i < 8; ++i)
        EXPECT_FLOAT_EQ(tuning[i], expected[i]) << i;

    const UpgradeTable& u = c.upgrades();
    ASSERT_EQ(u.engine.size(), 2u);
    EXPECT_FLOAT_EQ(u.engine[0].speed, 1.0f); // the stock part
    EXPECT_FLOAT_EQ(u.engine[1].speed, 1.1f);
    EXPECT_FLOAT_EQ(u.engine[1].acceleration, 1.2f);
    EXPECT_FLOAT_EQ(u.engine[1].drift, 1.3f);
    EXPECT_EQ(u.engine[1].price, 100);
    ASSERT_EQ(u.spoiler.size(), 2u);
    EXPECT_EQ(u.spoiler[1].price, 50);
    EXPECT_FLOAT_EQ(u.spoiler[1].drift, 1.0f);
    EXPECT_EQ(u.sideskirts.size(), 1u);
    EXPECT_EQ(u.tires.size(), 1u);
    ASSERT_EQ(u.logo.size(), 1u); // logo 0 is the first logo element
    EXPECT_FLOAT_EQ(u.logo[0].speed, 2.0f);
    ASSERT_EQ(u.color.size(), 2u);
    EXPECT_EQ(u.color[1].price, 7);

    const LevelInfo* level = c.findLevel("track");
    ASSERT_NE(level, nullptr);
    EXPECT_EQ(level, c.levelAt(0));
    EXPECT_EQ(level->filename, "lv.lws");
    EXPECT_EQ(level->menutext, 40000);
    EXPECT_EQ(level->menuimage, "img");
    EXPECT_EQ(level->loadingscreen, "load.png");
    EXPECT_EQ(level->aiPath, "ai\\");
    EXPECT_EQ(level->lanes, 4);
    EXPECT_FLOAT_EQ(level->speedMapRect.xmin, -1.0f);
    EXPECT_FLOAT_EQ(level->speedMapRect.zmax, 4.0f);
    EXPECT_EQ(level->speedMap, "s.pcx");
    EXPECT_EQ(level->objectPath, "obj/");
    EXPECT_EQ(level->minimap, "mini.png");
    EXPECT_FLOAT_EQ(level->minimapRect.zmin, 3.0f);
    EXPECT_EQ(level->posmap, "pos.pcx");
    EXPECT_FLOAT_EQ(level->posmapRect.xmax, 6.0f);
    EXPECT_EQ(level->colormap, "col.bmp");
    EXPECT_FLOAT_EQ(level->colormapRect.zmax, 12.0f);
    EXPECT_EQ(level->music, 3);

    const KartInfo* kart = c.findKart("k1");
    ASSERT_NE(kart, nullptr);
    EXPECT_EQ(kart, c.kartAt(0));
    EXPECT_EQ(kart->kartFile, "k.lws");
    EXPECT_EQ(kart->characterFile, "c.lws");
    EXPECT_EQ(kart->menuscene, "menu.lws");
    EXPECT_EQ(kart->menutext, 41000);
    EXPECT_EQ(kart->menuimage, "kimg");
    EXPECT_EQ(kart->kartObject, "kart.lwo");
    EXPECT_EQ(kart->characterObject, "char.lwo");
    EXPECT_EQ(kart->jointBRsuspension, "jointBRsuspension");
    EXPECT_EQ(kart->wheelFL, "wheelFL");
    const float values[] = {kart->forwardSpeed, kart->forwardForce, kart->backwardSpeed, kart->backwardForce,
                            kart->brakeForce,   kart->idleForce,    kart->mu,            kart->drift,
                            kart->driftexp,     kart->slip,         kart->spring,        kart->damper,
                            kart->mass,         kart->turbotime,    kart->masswheels,    kart->masssuspensions,
                            kart->steerspeed};
    const float read[] = {110, 2, 40, 3, 12, 4, 6, 0.5f, 2, 0.1f, 150, 15, 0.7f, 11, 0.2f, 0.06f, 0.04f};
    for (int i = 0; i < 17; ++i)
        EXPECT_FLOAT_EQ(values[i], read[i]) << i;
    EXPECT_EQ(kart->special, 2);
    EXPECT_FLOAT_EQ(kart->steerangle, 0.7853982f);
    EXPECT_FLOAT_EQ(kart->steeranglemin, 1.5707964f);

    EXPECT_EQ(c.singleRaceTracks(), (std::vector<std::string>{"track", "", "track"}));
    EXPECT_EQ(c.lastManStandingTracks(), (std::vector<std::string>{"arena"}));
    EXPECT_EQ(c.singleRaceTrackIndex(""), 1);
    EXPECT_EQ(c.lastManStandingTrackIndex("arena"), 0);

    // Class 50 and class 0 are one class.
    EXPECT_EQ(c.careerTracks(0), (std::vector<std::string>{"track", "b"}));
    EXPECT_EQ(c.careerGames(0), (std::vector<int32_t>{2, 1}));
    EXPECT_EQ(c.careerTimes(0), (std::vector<float>{95.5f, 0.0f}));
    EXPECT_EQ(c.careerLaps(0), (std::vector<int32_t>{1, 0}));
    EXPECT_EQ(c.careerTrackCount(1), 0);
    EXPECT_EQ(c.careerTrackCount(2), 1);
    EXPECT_EQ(c.careerGames(2), (std::vector<int32_t>{3}));
}

struct FragmentCase {
    const char* name;
    std::string body;
    std::function<void(const GameConfig&)> check;
};

TEST(GameConfigTest, FragmentsFollowTheReadingRules)
{
    const FragmentCase cases[] = {
        {"a repeated level name skips the element and its children",
         R"(<levels><level name="a" filename="lv.lws"><music>1</music></level>
                    <level name="a" filename="lv.lws"><music>2</music></level></levels>)",
         [](const GameConfig& c) {
             ASSERT_EQ(c.levels().size(), 1u);
             EXPECT_EQ(c.levels()[0].music, 1);
         }},
        {"a level without name reuses the previous one and is skipped",
         R"(<levels><level name="a" filename="lv.lws"/><level filename="other.lws"/></levels>)",
         [](const GameConfig& c) { EXPECT_EQ(c.levels().size(), 1u); }},
        {"a level without filename reuses the previous file",
         R"(<levels><level name="a" filename="lv.lws"/><level name="b"/></levels>)",
         [](const GameConfig& c) {
             ASSERT_EQ(c.levels().size(), 2u);
             EXPECT_EQ(c.levels()[1].filename, "lv.lws");
         }},
        {"a level whose scene is missing is left out",
         R"(<levels><level name="gone" filename="missing.lws"/></levels>
            <singlerace><tracklist><track name="gone"/></tracklist></singlerace>)",
         [](const GameConfig& c) {
             EXPECT_TRUE(c.levels().empty());
             EXPECT_EQ(c.findLevel("gone"), nullptr);
             EXPECT_EQ(c.singleRaceTracks().size(), 1u);
         }},
        {"defaults of a level without sub-elements",
         R"(<levels><level name="a" filename="lv.lws"><aifiles/><minimap filename="m.png"/></level></levels>)",
         [](const GameConfig& c) {
             const LevelInfo& l = c.levels().at(0);
             EXPECT_EQ(l.menutext, 99999);
             EXPECT_EQ(l.lanes, 3);
             EXPECT_FLOAT_EQ(l.minimapRect.xmin, 0.0f);
             EXPECT_FLOAT_EQ(l.minimapRect.xmax, 1.0f);
             EXPECT_FLOAT_EQ(l.minimapRect.zmin, 0.0f);
             EXPECT_FLOAT_EQ(l.minimapRect.zmax, 1.0f);
             EXPECT_FLOAT_EQ(l.speedMapRect.xmax, 0.0f);
             EXPECT_EQ(l.music, 0);
         }},
        {"karts reuse names and need both files",
         R"(<karts><kart name="a" kart="k.lws" character="c.lws"/><kart kart="k.lws"/>
                   <kart name="b" character="missing.lws"/><kart name="c" character="c.lws"/></karts>)",
         [](const GameConfig& c) {
             ASSERT_EQ(c.karts().size(), 2u);
             EXPECT_EQ(c.karts()[1].name, "c");
             EXPECT_EQ(c.karts()[1].kartFile, "k.lws");
             EXPECT_EQ(c.karts()[1].menutext, 99999);
             EXPECT_FLOAT_EQ(c.karts()[1].mass, 0.6f);
         }},
        {"career classes and games",
         R"(<career><ccm class="75"><tracklist><track name="x" game="singlerace"/></tracklist></ccm>
                    <ccm><tracklist><track name="x" game="singlerace"/></tracklist></ccm>
                    <ccm class="1"><tracklist><track name="a" game="TimedRun"/><track game="coinrace"/>
                      <track name="b"/><track name="c" game="singlerace" laps="3"/></tracklist></ccm></career>)",
         [](const GameConfig& c) {
             EXPECT_EQ(c.careerTrackCount(0), 0);
             EXPECT_EQ(c.careerTracks(1), (std::vector<std::string>{"c"}));
             EXPECT_EQ(c.careerLaps(1), (std::vector<int32_t>{3}));
         }},
        {"attributes that are not numbers take their defaults",
         R"(<game><upgrades><engine speed="fast" price="cheap"/></upgrades></game>)",
         [](const GameConfig& c) {
             EXPECT_FLOAT_EQ(c.upgrades().engine.at(1).speed, 1.0f);
             EXPECT_EQ(c.upgrades().engine.at(1).price, 0);
         }},
        {"missing tuning elements keep the defaults", "<game><kartCFM>0.5</kartCFM></game>",
         [](const GameConfig&) {
             EXPECT_FLOAT_EQ(cameraFov, 3.2f);
             EXPECT_FLOAT_EQ(kartCFM, 0.5f);
         }},
    };
    for (const FragmentCase& fragment : cases) {
        SCOPED_TRACE(fragment.name);
        ConfigRig rig;
        ASSERT_TRUE(rig.load(fragment.body)) << rig.config.error();
        fragment.check(rig.config);
    }
}

// What the cases below put after their fragment: only the first of each
// top-level element is read, so the fragment leads and this fills the rest.
const std::string kRestOfAFile = R"(<game><cameraFov>2</cameraFov><upgrades><engine/></upgrades></game>
    <levels><level name="first" filename="lv.lws"/></levels>
    <singlerace><tracklist><track name="t"/></tracklist></singlerace>)";

TEST(GameConfigTest, UnreadableFilesFailNamingTheCauseAndLeaveEverythingEmpty)
{
    const struct {
        const char* name;
        std::string body;
        const char* root;
        const char* mentions;
    } cases[] = {
        {"malformed", "<levels>", "vrl9", "config.xml"},
        {"wrong root", "<levels/>", "vrl8", "vrl9"},
        {"nested too deep", std::string(300, '<'), "vrl9", "nest"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ConfigRig rig;
        EXPECT_FALSE(rig.load(c.body + kRestOfAFile, c.root));
        EXPECT_NE(rig.config.error().find(c.mentions), std::string::npos) << rig.config.error();
        EXPECT_TRUE(rig.config.levels().empty());
        EXPECT_TRUE(rig.config.singleRaceTracks().empty());
        EXPECT_EQ(rig.config.upgrades().engine.size(), 1u);
        EXPECT_FLOAT_EQ(cameraFov, 3.2f);
    }
    ConfigRig rig;
    EXPECT_FALSE(rig.config.loadConfig(rig.files, "missing.xml"));
    EXPECT_EQ(rig.config.error(), "missing.xml: cannot be read");
    rig.files.addFile("empty.xml", std::vector<uint8_t>{});
    EXPECT_FALSE(rig.config.loadConfig(rig.files, "empty.xml"));
}

// One number a race cannot use costs that value (its default stands) or,
// in the career, that race; one report names it and everything else loads.
TEST(GameConfigTest, BadValuesAreSkippedWithOneReportEachAndTheRestLoads)
{
    const struct {
        const char* name;
        std::string body;
        const char* mentions;
        std::function<void(const GameConfig&)> check;
    } cases[] = {
        {"lanes 0", R"(<levels><level name="a" filename="lv.lws"><aifiles lanes="0"/></level></levels>)",
         "levels/level \"a\"/aifiles lanes", [](const GameConfig& c) { EXPECT_EQ(c.findLevel("a")->lanes, 3); }},
        {"mass 0",
         R"(<karts><kart name="k" kart="k.lws" character="c.lws"><mass>0</mass><mu>7</mu></kart></karts>)",
         "karts/kart \"k\"/mass",
         [](const GameConfig& c) {
             EXPECT_FLOAT_EQ(c.findKart("k")->mass, 0.6f);
             EXPECT_FLOAT_EQ(c.findKart("k")->mu, 7.0f);
         }},
        {"speed nan",
         R"(<karts><kart name="k" kart="k.lws" character="c.lws"><forwardSpeed>nan</forwardSpeed></kart></karts>)",
         "karts/kart \"k\"/forwardSpeed", [](const GameConfig& c) { EXPECT_FLOAT_EQ(c.findKart("k")->forwardSpeed, 100.0f); }},
        {"tuning beyond f32", "<game><cameraDistance>1e300</cameraDistance></game>", "game/cameraDistance",
         [](const GameConfig&) { EXPECT_FLOAT_EQ(cameraDistance, 4.0f); }},
        {"negative price", R"(<game><upgrades><color price="-5" speed="1.5"/><color price="3"/></upgrades></game>)",
         "game/upgrades/color 0 price",
         [](const GameConfig& c) {
             ASSERT_EQ(c.upgrades().color.size(), 2u);
             EXPECT_EQ(c.upgrades().color[0].price, 0);
             EXPECT_FLOAT_EQ(c.upgrades().color[0].speed, 1.5f);
             EXPECT_EQ(c.upgrades().color[1].price, 3);
         }},
        {"negative factor", R"(<game><upgrades><tires speed="-1" drift="1.2"/></upgrades></game>)",
         "game/upgrades/tires 1 speed",
         [](const GameConfig& c) {
             ASSERT_EQ(c.upgrades().tires.size(), 2u);
             EXPECT_FLOAT_EQ(c.upgrades().tires[1].speed, 1.0f);
             EXPECT_FLOAT_EQ(c.upgrades().tires[1].drift, 1.2f);
         }},
        {"empty minimap", R"(<levels><level name="a" filename="lv.lws"><minimap filename="m" xmax="0"/></level></levels>)",
         "levels/level \"a\"/minimap",
         [](const GameConfig& c) {
             const MapRect& r = c.findLevel("a")->minimapRect;
             EXPECT_EQ(c.findLevel("a")->minimap, "m");
             EXPECT_EQ((std::array{r.xmin, r.xmax, r.zmin, r.zmax}), (std::array{0.0f, 1.0f, 0.0f, 1.0f}));
         }},
        {"laps 200",
         R"(<career><ccm class="100"><tracklist><track name="a" game="singlerace" laps="200"/>
            <track name="b" game="coinrace" laps="2"/></tracklist></ccm></career>)",
         "career/ccm 100/track \"a\" laps",
         [](const GameConfig& c) {
             ASSERT_EQ(c.careerTrackCount(1), 1);
             EXPECT_EQ(c.careerTracks(1)[0], "b");
             EXPECT_EQ(c.careerLaps(1)[0], 2);
         }},
        {"negative time",
         R"(<career><ccm class="2"><tracklist><track name="a" game="timedrun" time="-4"/></tracklist></ccm></career>)",
         "career/ccm 2/track \"a\" time", [](const GameConfig& c) { EXPECT_EQ(c.careerTrackCount(2), 0); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ConfigRig rig;
        ASSERT_TRUE(rig.load(c.body + kRestOfAFile)) << rig.config.error();
        ASSERT_EQ(rig.config.reports().size(), 1u);
        const std::string& report = rig.config.reports()[0];
        EXPECT_EQ(report.rfind("config.xml: ", 0), 0u) << report;
        EXPECT_NE(report.find(c.mentions), std::string::npos) << report;
        c.check(rig.config);
        EXPECT_EQ(rig.config.singleRaceTracks(), std::vector<std::string>{"t"});
        EXPECT_FALSE(rig.config.levels().empty());
    }
    // Every bad value of one file is reported.
    ConfigRig rig;
    ASSERT_TRUE(rig.load(R"(<game><cameraFov>inf</cameraFov><kartERP>-1e40</kartERP></game>)"));
    EXPECT_EQ(rig.config.reports().size(), 2u);
    EXPECT_FLOAT_EQ(cameraFov, 3.2f);
    EXPECT_FLOAT_EQ(kartERP, 1.0f);
}

TEST(GameConfigTest, EveryLookupMissesSafely)
{
    ConfigRig rig;
    ASSERT_TRUE(rig.load(R"(<levels><level name="a" filename="lv.lws"/></levels>
        <karts><kart name="k" kart="k.lws" character="c.lws"/></karts>
        <singlerace><tracklist><track name="x"/><track name="y"/></tracklist></singlerace>)"));
    const GameConfig& c = rig.config;
    EXPECT_EQ(c.findLevel("A"), nullptr);
    EXPECT_EQ(c.findLevel(""), nullptr);
    EXPECT_EQ(c.levelAt(-1), nullptr);
    EXPECT_EQ(c.levelAt(1), nullptr);
    EXPECT_EQ(c.findKart("K"), nullptr);
    EXPECT_EQ(c.kartAt(1), nullptr);
    EXPECT_EQ(c.kartAt(INT32_MIN), nullptr);
    EXPECT_EQ(c.singleRaceTrackIndex("z"), 0);
    EXPECT_EQ(c.lastManStandingTrackIndex("x"), 0);
    for (int32_t ccm : {-1, 3, INT32_MAX}) {
        EXPECT_EQ(c.careerTrackCount(ccm), 0);
        EXPECT_TRUE(c.careerTracks(ccm).empty());
        EXPECT_TRUE(c.careerTimes(ccm).empty());
    }
    float ratios[GameConfig::StatCount] = {1, 1, 1, 1, 1, 1};
    EXPECT_FALSE(c.kartStatRatios("nobody", ratios));
    for (float r : ratios)
        EXPECT_EQ(r, 0.0f);
    EXPECT_EQ(UpgradeTable::at(c.upgrades().engine, 1), nullptr);
    EXPECT_EQ(UpgradeTable::at(c.upgrades().engine, -1), nullptr);
    EXPECT_EQ(UpgradeTable::at(c.upgrades().color, 0), nullptr);
    EXPECT_NE(UpgradeTable::at(c.upgrades().engine, 0), nullptr);
}

TEST(GameConfigTest, StatRatiosLeaveRoomForTheBestUpgrades)
{
    ConfigRig rig;
    // One kart with the stock parts only: every ratio is 1, or 0 where its value is 0.
    ASSERT_TRUE(rig.load(R"(<karts><kart name="k" kart="k.lws" character="c.lws"/></karts>)"));
    float r[GameConfig::StatCount];
    ASSERT_TRUE(rig.config.kartStatRatios("k", r));
    const float stock[] = {1, 1, 1, 0, 1, 1};
    for (int i = 0; i < GameConfig::StatCount; ++i)
        EXPECT_FLOAT_EQ(r[i], stock[i]) << i;

    ASSERT_TRUE(rig.load(R"(<game><upgrades><engine speed="1.25" acceleration="1.5"/><tires speed="1.25" drift="1.5"/></upgrades></game>
        <karts><kart name="a" kart="k.lws" character="c.lws"><forwardSpeed>50</forwardSpeed><drift>2</drift><mass>0.3</mass></kart>
               <kart name="b" kart="k.lws" character="c.lws"><forwardForce>4</forwardForce><brakeForce>20</brakeForce><turbotime>40</turbotime></kart></karts>)"));
    ASSERT_TRUE(rig.config.kartStatRatios("a", r));
    // speed 50 / ((1 + 0.25 + 0.25) * 100), acceleration 1 / ((1 + 0.5) * 4), drift 2 / ((1 + 0.5) * 2)
    const float a[] = {50.0f / 150.0f, 1.0f / 6.0f, 0.5f, 2.0f / 3.0f, 0.5f, 0.25f};
    for (int i = 0; i < GameConfig::StatCount; ++i)
        EXPECT_FLOAT_EQ(r[i], a[i]) << i;
}

} // namespace
