// The game's flows through the menu and into the race, as the application
// runs them frame by frame on our data set: the recording device under the
// scenes and previews, the GUI on CEGUI's null renderer, the player's clicks
// injected. A single race on a track and back to the menu; the shop's
// purchases in the profile, on the preview kart and in the next race; a race
// of two players on this machine.
#include "MenuRig.h"

#include "engine/core/texture/Texture.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "game/app/RaceSetup.h"
#include "game/menu/ProfileStore.h"
#include "game/race/Kart.h"
#include "game/race/KartController.h"
#include "game/race/Race.h"
#include "platform/d3d9/D3D9Backend.h"
#include "game/app/TextTable.h"
#include "support/AlteredArchive.h"
#include "support/RecordingWorld.h"
#include "support/RendererRig.h"

#include <CEGUI/Window.h>
#include <gtest/gtest.h>

#include <functional>

namespace {

const char* const kKartObject = "D:\\Zoprax9/3dobjects_cars/kart_01.lwo";
constexpr uint8_t kSpaceKey = 0x39;

// The recording backend for as long as the test's rigs live.
struct RecordingBackendScope {
    RecordingBackendScope() { selectD3D9Backend(D3D9Backend::Recording); }
    ~RecordingBackendScope() { selectD3D9Backend(D3D9Backend::Default); }
};

class MenuFlow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(renderer.start(320, 240));
        rig = std::make_unique<MenuRig>("menu-flow", renderer.renderer.get());
        rig->makers.makeMenu = [](Application* a, Renderer* r, WinInput* i) -> MenuStage* { return new Menu(a, r, i); };
        rig->makers.makeRace = [](Application* a, Renderer* r) -> RaceStage* { return new Race(a, r); };
    }
    void TearDown() override
    {
        rig.reset();
        altered.reset();
    }

    // The application started on the data set (or the files given), with a
    // profile of seven drivers, and its first frame, which makes the menu.
    void begin(Stream* files = nullptr)
    {
        std::string why;
        ASSERT_TRUE(rig->start(why, files)) << why;
        rig->addProfile();
        ProfileStore& store = *rig->app->m_profileStore;
        const std::vector<KartInfo>& karts = rig->app->m_config.karts();
        for (int32_t p = 1; p < 7; ++p) {
            store.setName(p, "driver " + std::to_string(p));
            store.setKart(p, karts[size_t(p) % karts.size()].name);
        }
        frame();
        ASSERT_EQ(rig->app->m_state, Application::StateMenu);
        settle();
        ASSERT_EQ(rig->shown(), "MainMenu");
    }

    // One application frame of `seconds`.
    void frame(double seconds = 0.05)
    {
        rig->clock.advanceSeconds(seconds);
        rig->app->update(&rig->input);
    }
    // Frames until `done` says so, at most `seconds` of them; whether it did.
    bool runUntil(const std::function<bool()>& done, double seconds, double step = 0.05)
    {
        for (double t = 0.0; t < seconds; t += step) {
            if (done())
                return true;
            frame(step);
        }
        return done();
    }
    // Frames until the menu's fades are over.
    void settle()
    {
        ASSERT_TRUE(runUntil([this] { return rig->current() && !rig->current()->fading(); }, 5.0));
        frame();
    }
    void walk(std::initializer_list<const char*> clicks)
    {
        for (const char* path : clicks) {
            SCOPED_TRACE(path);
            rig->click(path);
            settle();
        }
    }
    // From the start button's click to the race's first frame.
    Race& startRace(const char* button)
    {
        rig->click(button);
        EXPECT_TRUE(runUntil([this] { return rig->app->m_state == Application::StateRace; }, 5.0));
        Race* race = Race::current();
        EXPECT_NE(race, nullptr);
        return *race;
    }
    // The start key, then frames until GO.
    void driveOff(Race& race)
    {
        rig->input.m_keys[kSpaceKey] = 1;
        ASSERT_TRUE(runUntil([&race] { return race.m_started != 0; }, 8.0));
    }
    // The player wins the race at once: crosses the line after the last
    // lap, or in last man standing sees every other kart knocked out.
    void win(Race& race)
    {
        if (race.m_setup->gameType == Race::LastManStanding) {
            for (int32_t i = 1; i < race.m_kartCount; ++i)
                race.m_karts[i]->setEnergy(0);
        } else {
            race.m_karts[0]->m_lap = race.m_setup->laps + 1;
        }
    }
    // Frames from the end of a race until the menu is settled or the next
    // race runs; a dialog the race shows on its way is answered with its
    // button onwards.
    void leaveRace()
    {
        const char* const onwards[] = {"Results/BtnOk", "Ranking/BtnContinue", "Career/BtnStart"};
        bool ended = false;
        for (double t = 0.0; t < 30.0; t += 0.05) {
            const int32_t state = rig->app->m_state;
            if (state == Application::StateMenu && rig->current() && !rig->current()->fading())
                break;
            ended = ended || state != Application::StateRace;
            if (ended && state == Application::StateRace)
                return;
            if (state == Application::StateRace && !rig->input.m_guiBlocked)
                for (const char* button : onwards)
                    if (CEGUI::Window* w = rig->window(button); w && w->isEffectiveVisible() && !w->isDisabled())
                        rig->click(button);
            frame();
        }
        settle();
    }
    MeshObject* previewPart(int32_t layer)
    {
        return rig->app->m_previewScene->findObjectInstance(kKartObject, layer, 1);
    }

    RecordingWorld recording;
    RecordingBackendScope backend;
    RendererRig renderer;
    std::unique_ptr<MenuRig> rig;
    // Files the application reads instead of the data set's, when a test
    // alters one; they outlive the application.
    std::string alteredText;
    std::unique_ptr<AlteredArchive> altered;
};

TEST_F(MenuFlow, ASingleRaceRunsOnItsTrackAndComesBackToTheMenu)
{
    ASSERT_NO_FATAL_FAILURE(begin());
    walk({"MainMenu/BtnLoadProfile", "Singleplayer/BtnSingleRace"});
    ASSERT_EQ(rig->shown(), "SingleRace");
    // The profile's kart turns over the kart picture.
    EXPECT_EQ(rig->app->m_previewCount, 1);
    const CEGUI::Rectf image = rig->window("SingleRace/ImgKart")->getUnclippedOuterRect().get();
    EXPECT_NEAR(rig->app->m_previewRects[0][0], image.left(), 1.0f);
    EXPECT_NEAR(rig->app->m_previewRects[0][3], image.bottom(), 1.0f);
    rig->click("SingleRace/BtnTrackInc");
    const std::string track = rig->app->m_config.singleRaceTracks()[1];

    Race& race = startRace("SingleRace/BtnStart");
    ASSERT_TRUE(race.loaded()) << "the race refused its set-up";
    EXPECT_EQ(race.m_setup->level, track);
    ASSERT_EQ(race.m_kartCount, 7);
    EXPECT_EQ(race.m_karts[0]->m_controller->getType(), KartController::Human);
    for (int32_t i = 1; i < 7; ++i)
        EXPECT_EQ(race.m_karts[i]->m_controller->getType(), KartController::Computer) << i;

    ASSERT_NO_FATAL_FAILURE(driveOff(race));
    win(race);
    ASSERT_NO_FATAL_FAILURE(leaveRace());
    ASSERT_EQ(rig->app->m_state, Application::StateMenu);
    // The single-player screen, or first the table the race's time entered.
    const std::string shown = rig->shown();
    EXPECT_TRUE(shown == "Singleplayer" || shown == "HighscoresSingle") << shown;
}

TEST_F(MenuFlow, PurchasesShowOnThePreviewKartAndInTheNextRace)
{
    ASSERT_NO_FATAL_FAILURE(begin());
    ProfileStore& store = *rig->app->m_profileStore;
    store.setKudos(0, 1000);
    walk({"MainMenu/BtnLoadProfile", "Singleplayer/BtnCareer", "Ranking/BtnContinue", "Career/BtnShop"});
    ASSERT_EQ(rig->shown(), "Shop");
    EXPECT_EQ(rig->app->m_previewCount, 1);
    const CEGUI::Rectf image = rig->window("Shop/ImgKart")->getUnclippedOuterRect().get();
    EXPECT_NEAR(rig->app->m_previewRects[0][2], image.right(), 1.0f);
    SceneManager& previews = *rig->app->m_previewScenes;
    EXPECT_EQ(rig->app->m_previews[0].colour, previews.findTexture("D:\\Zoprax9\\textures_cars\\kart_blau_0001.bmp", 0));
    EXPECT_EQ(rig->app->m_previews[0].logo, nullptr);

    // An engine level, the yellow paint and the first logo on offer.
    for (const char* button : {"Shop/BtnEngine", "Shop/BtnColor", "Shop/BtnLogo"}) {
        SCOPED_TRACE(button);
        rig->click(button);
        frame();
        ASSERT_TRUE(rig->window("Shop/Confirm")->isVisible());
        rig->click("Shop/Confirm/BtnYes");
        frame();
        EXPECT_FALSE(rig->window("Shop/Confirm")->isVisible());
    }
    const UpgradeTable& prices = rig->app->m_config.upgrades();
    EXPECT_EQ(store.getKudos(0), 1000 - prices.engine[1].price - prices.color[1].price - prices.logo[1].price);
    EXPECT_EQ(store.getEngine(0, 0), 1);
    EXPECT_EQ(store.getColor(0, 0), 1);
    EXPECT_EQ(store.getLogo(0, 0), 2);
    // The preview wears them at once: engine level 1's parts, the paint, the logo.
    EXPECT_EQ(rig->app->m_previews[0].colour, previews.findTexture("D:\\Zoprax9\\textures_cars\\kart_gelb_0001.bmp", 0));
    EXPECT_EQ(rig->app->m_previews[0].logo, previews.findTexture("D:\\Zoprax9\\textures_cars\\kartlogo_02.png", 0));
    ASSERT_NE(rig->app->m_previews[0].logo, nullptr);
    for (int32_t layer : {46, 51, 53})
        EXPECT_FALSE(previewPart(layer)->m_hidden) << layer;
    for (int32_t layer : {47, 48, 50, 54, 55})
        EXPECT_TRUE(previewPart(layer)->m_hidden) << layer;

    // Leaving the shop saves the profile.
    walk({"Shop/BtnBack"});
    ASSERT_EQ(rig->shown(), "Career");
    ProfileStore saved(store.path());
    ASSERT_TRUE(saved.load());
    EXPECT_EQ(saved.getEngine(0, 0), 1);
    EXPECT_EQ(saved.getColor(0, 0), 1);
    EXPECT_EQ(saved.getLogo(0, 0), 2);
    EXPECT_EQ(saved.getKudos(0), store.getKudos(0));

    // The career's next race carries them onto the player's kart.
    Race& race = startRace("Career/BtnStart");
    const RaceSetup& setup = rig->app->m_raceSetup;
    EXPECT_EQ(setup.mode, 3);
    const int32_t look[6] = {0, 0, 0, 1, 1, 2};
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(setup.upgrades[0][k], look[k]) << k;
    ASSERT_TRUE(race.loaded()) << "the race refused its set-up";
    const Kart& kart = *race.m_karts[0];
    ASSERT_NE(kart.m_colourTexture, nullptr);
    ASSERT_NE(kart.m_logoTexture, nullptr);
    EXPECT_EQ(kart.m_colourTexture->m_name, "D:\\Zoprax9\\textures_cars\\kart_gelb_0001.bmp");
    EXPECT_EQ(kart.m_logoTexture->m_name, "D:\\Zoprax9\\textures_cars\\kartlogo_02.png");
    // The engine's level speeds the kart up beyond its class's own speed.
    EXPECT_FLOAT_EQ(kart.m_forwardSpeed, kart.m_baseForwardSpeed * prices.engine[1].speed);
}

TEST_F(MenuFlow, ATwoPlayerRaceStartsWithTwoViews)
{
    ASSERT_NO_FATAL_FAILURE(begin());
    walk({"MainMenu/BtnMultiplayer", "Multiplayer/BtnTwoPlayers"});
    ASSERT_EQ(rig->shown(), "TwoPlayers");
    EXPECT_EQ(rig->app->m_previewCount, 2);
    EXPECT_EQ(rig->app->m_previews[1].colour, rig->app->m_previewScenes->findTexture(
                                                  "D:\\Zoprax9\\textures_cars\\kart_gelb_0001.bmp", 0));
    Race& race = startRace("TwoPlayers/BtnStart");
    ASSERT_TRUE(race.loaded()) << "the race refused its set-up";
    EXPECT_EQ(race.m_viewCount, 2);
    ASSERT_EQ(race.m_kartCount, 7);
    EXPECT_EQ(race.m_karts[0]->m_controller->getType(), KartController::Human);
    EXPECT_EQ(race.m_karts[1]->m_controller->getType(), KartController::Human);
    EXPECT_EQ(race.m_karts[2]->m_controller->getType(), KartController::Computer);
    driveOff(race);
    EXPECT_TRUE(race.m_started);
}

// A class of two races (a single race and last man standing) won from the
// career screen: each race from the career's Start, the winning screen with
// its trophy after the last, and the career going on in the next class.
TEST_F(MenuFlow, ACareerClassWonShowsTheTrophyAndOpensTheNextClass)
{
    ASSERT_TRUE(rig->mount());
    rig->archive.openRead("config.xml");
    std::string config(rig->archive.length, '\0');
    rig->archive.read(config.data(), uint32_t(config.size()));
    rig->archive.close();
    const size_t from = config.find("<ccm class=\"50\">"), to = config.find("</ccm>", from);
    ASSERT_NE(from, std::string::npos);
    config.replace(from, to - from,
                   "<ccm class=\"50\"><tracklist>"
                   "<track name=\"harbour\" game=\"singlerace\" time=\"0\" laps=\"1\"/>"
                   "<track name=\"crater\" game=\"lastmanstanding\" time=\"0\" laps=\"0\"/>"
                   "</tracklist>");
    alteredText = config;
    altered = std::make_unique<AlteredArchive>(rig->archive, "config.xml", alteredText.c_str());
    ASSERT_NO_FATAL_FAILURE(begin(altered.get()));
    ProfileStore& store = *rig->app->m_profileStore;
    ASSERT_EQ(rig->app->m_config.careerTracks(0).size(), 2u);

    walk({"MainMenu/BtnLoadProfile", "Singleplayer/BtnCareer", "Ranking/BtnContinue"});
    const char* const kinds[2] = {"single race", "last man standing"};
    for (int32_t r = 0; r < 2; ++r) {
        SCOPED_TRACE(kinds[r]);
        if (rig->app->m_state == Application::StateMenu) {
            ASSERT_EQ(rig->shown(), "Career");
            EXPECT_EQ(rig->window("Career/LblTrack0" + std::to_string(r + 1))->getProperty("TextColours"),
                      "tl:FFFFEC18 tr:FFFFEC18 bl:FFFFEC18 br:FFFFEC18");
            rig->click("Career/BtnStart");
            ASSERT_TRUE(runUntil([this] { return rig->app->m_state == Application::StateRace; }, 5.0));
        }
        Race* race = Race::current();
        ASSERT_NE(race, nullptr);
        ASSERT_TRUE(race->loaded()) << "the race refused its set-up";
        EXPECT_EQ(race->m_setup->mode, 3);
        EXPECT_EQ(race->m_setup->careerRace, r);
        EXPECT_EQ(race->m_setup->level, r == 0 ? "harbour" : "crater");
        ASSERT_NO_FATAL_FAILURE(driveOff(*race));
        win(*race);
        ASSERT_NO_FATAL_FAILURE(leaveRace());
    }
    // The season is over and won: the trophy, then the next class.
    ASSERT_EQ(rig->shown(), "Winning");
    EXPECT_EQ(rig->current()->trophyIndex(), 1);
    EXPECT_EQ(store.getCcm(), 1);
    EXPECT_EQ(rig->app->m_raceSetup.careerResult, 1);
    walk({"Winning/BtnOk"});
    ASSERT_EQ(rig->shown(), "Career");
    EXPECT_EQ(rig->window("Career/LblHeader")->getText(),
              rig->app->m_textTable->getText(5000) + " - " + rig->app->m_textTable->getText(2010));
    ProfileStore saved(store.path());
    ASSERT_TRUE(saved.load());
    EXPECT_EQ(saved.getCcm(), 1);
    EXPECT_EQ(saved.getLevel(1), 0);
}

} // namespace
