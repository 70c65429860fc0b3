#include "DialogRig.h"

#include "engine/core/io/DiskFile.h"
#include "game/app/Gui.h"
#include "game/menu/ProfileStore.h"
#include "support/AlteredArchive.h"

#include <CEGUI/GUIContext.h>
#include <CEGUI/InputEvent.h>
#include <CEGUI/Window.h>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// The menu the application makes after a race: it stays.
class StayingMenu : public MenuStage {
public:
    void load(Stream*, RaceSetup&) override {}
    int32_t update() override { return 0; }
    void onLostDevice() override {}
    void onResetDevice() override {}
};

} // namespace

DialogRig::DialogRig(bool gl, int width, int height, const std::string& missing) : base(gl, width, height)
{
    if (!base.started())
        return;
    const std::string packed = std::string(std::getenv("VORLUND_BINARY_DIR")) + "/bin/data.sar";
    DiskFile disk("");
    if (!files.mount(disk, packed.c_str()) || !base.fixture.mountOn(files)) {
        ADD_FAILURE() << "cannot mount " << packed << " and the race fixture";
        return;
    }
    drivers = [](TestRace& race, int32_t player) -> KartController* {
        if (player == 0)
            return new ScriptedController(followPath(race, 2.5f, 1.0f));
        return new ComputerScript(followPath(race, player % 2 == 0 ? 2.5f : -2.5f, 0.5f));
    };
    StageMakers makers;
    makers.makeMenu = [this](Application*, Renderer*, WinInput*) {
        ++menusMade;
        return new StayingMenu();
    };
    makers.makeRace = [this](Application* application, Renderer* r) {
        auto* race = new TestRace(application, r);
        race->m_controllerMaker = [this, race](int32_t player) { return drivers(*race, player); };
        return race;
    };
    app = std::make_unique<Application>(renderer.renderer.get(), makers);
    if (!missing.empty())
        altered = std::make_unique<AlteredArchive>(files, missing, nullptr);
    m_started = app->init(altered ? altered.get() : &files);
    EXPECT_TRUE(m_started) << "the application did not start";
}

DialogRig::~DialogRig()
{
    // Before the archive it reads from.
    app.reset();
}

RaceSetup& DialogRig::setUp(int32_t players, int32_t mode, int32_t gameType)
{
    RaceSetup& s = app->m_raceSetup;
    s = RaceSetup{};
    s.mode = mode;
    s.gameType = gameType;
    s.level = gameType == Race::LastManStanding ? "nochecks" : "testring";
    s.ccm = 0;
    s.careerRace = 0;
    s.laps = gameType == Race::LastManStanding ? -1 : 1;
    for (int32_t i = 0; i < players && i < RaceSetup::kPlayers; ++i) {
        s.playerType[i] = i == 0 ? 1 : 4;
        s.kartName[i] = "k" + std::to_string(i);
        s.playerName[i] = "driver " + std::to_string(i);
        s.startSlot[i] = i;
    }
    return s;
}

void DialogRig::addProfile()
{
    ProfileStore& store = *app->m_profileStore;
    store.setCurrentSlot(0);
    store.resetSlot(0);
    store.setEmpty(0, 0);
    for (int32_t p = 0; p < ProfileStore::kPlayers; ++p) {
        store.setName(p, "driver " + std::to_string(p), 0);
        store.setKart(p, "k" + std::to_string(p), 0);
        store.setKudos(p, 100 + p, 0);
    }
    store.unlockTrack(0, "testring", 0);
    store.stampCreation(0);
    ASSERT_TRUE(store.save());
}

TestRace& DialogRig::startRace()
{
    app->m_state = Application::StateStartRace;
    app->update(&input);
    EXPECT_EQ(app->m_state, Application::StateRace);
    return *race();
}

TestRace* DialogRig::race() const
{
    return static_cast<TestRace*>(app->m_race);
}

void DialogRig::frame(double seconds)
{
    base.clock.advanceSeconds(seconds);
    app->update(&input);
}

bool DialogRig::runUntil(const std::function<bool()>& until, double seconds, double step)
{
    for (double t = 0.0; t < seconds; t += step) {
        frame(step);
        if (until())
            return true;
    }
    return false;
}

void DialogRig::go()
{
    input.m_keys[0x39] = 1;
    frame(0.05);
    EXPECT_TRUE(runUntil([this] { return race() && race()->m_started != 0; }, 5.0, 0.05));
}

void DialogRig::click(const std::string& path)
{
    CEGUI::Window* root = gui::context().getRootWindow();
    ASSERT_TRUE(root && root->isChild(path)) << path;
    const CEGUI::Rectf r = root->getChild(path)->getUnclippedOuterRect().get();
    CEGUI::GUIContext& gui = gui::context();
    const float x = (r.left() + r.right()) * 0.5f, y = (r.top() + r.bottom()) * 0.5f;
    gui.injectMousePosition(x + 1.0f, y);
    gui.injectMousePosition(x, y);
    gui.injectMouseButtonDown(CEGUI::LeftButton);
    gui.injectMouseButtonUp(CEGUI::LeftButton);
}

bool DialogRig::shown(const std::string& path) const
{
    CEGUI::Window* root = gui::context().getRootWindow();
    return root && root->isChild(path) && root->getChild(path)->isEffectiveVisible();
}

std::string DialogRig::text(const std::string& path) const
{
    CEGUI::Window* root = gui::context().getRootWindow();
    return root && root->isChild(path) ? root->getChild(path)->getText().c_str() : "";
}
