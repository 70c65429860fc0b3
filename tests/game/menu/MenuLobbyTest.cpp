// The lobby against another machine played by a bare network control on a
// relay on loopback: as host, the start waits for the guest's ready and
// fills the empty places with computer drivers on karts of their own; as
// guest, the host's state comes first and the guest takes a kart nobody
// has, shows the host's choices and leaves when the host does.
#include "MenuRig.h"

#include "game/app/RaceSetup.h"
#include "game/app/TextTable.h"
#include "game/net/NetControl.h"
#include "game/net/NetServer.h"

#include <CEGUI/Window.h>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;

// What the other machine was sent, by message id.
class Inbox {
public:
    class Handler : public NetHandler {
    public:
        Handler(Inbox& inbox, int32_t id) : m_inbox(inbox), m_id(id) {}
        void operator()(const uint8_t* payload, int32_t size) override
        {
            std::lock_guard<std::mutex> lock(m_inbox.m_mutex);
            m_inbox.m_messages.push_back({m_id, std::vector<uint8_t>(payload, payload + size)});
        }

    private:
        Inbox& m_inbox;
        int32_t m_id;
    };
    std::vector<std::vector<uint8_t>> of(int32_t id)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::vector<std::vector<uint8_t>> out;
        for (const auto& m : m_messages)
            if (m.first == id)
                out.push_back(m.second);
        return out;
    }

private:
    std::mutex m_mutex;
    std::vector<std::pair<int32_t, std::vector<uint8_t>>> m_messages;
};

class MenuLobby : public ::testing::Test {
protected:
    static RelayConfig loopback()
    {
        RelayConfig config;
        config.address = "127.0.0.1";
        config.port = 0;
        return config;
    }
    void SetUp() override
    {
        std::string why;
        ASSERT_TRUE(rig.start(why)) << why;
        rig.addProfile();
        NetControl::getInstance().setPort(relay.getPort());
        other.setPort(relay.getPort());
        for (int32_t id = 21; id <= 30; ++id)
            other.addHandler(id, -1, new Inbox::Handler(inbox, id));
        rig.openMenu();
        rig.settle();
        rig.click("MainMenu/BtnMultiplayer");
        rig.settle();
    }
    void TearDown() override
    {
        rig.closeMenu();
        NetControl::getInstance().disconnect();
        other.disconnect();
        NetControl::getInstance().setPort(RelayConfig::fromEnvironment().port);
    }
    void send(int32_t id, std::initializer_list<int32_t> bytes)
    {
        other.beginChunk(id);
        for (int32_t b : bytes)
            other.writeByte(uint8_t(b));
        other.sendChunk();
    }
    // Menu frames until the condition holds, for at most two seconds.
    bool frameUntil(const std::function<bool()>& done)
    {
        const auto deadline = std::chrono::steady_clock::now() + 2s;
        while (!done() && std::chrono::steady_clock::now() < deadline)
            rig.frame(0.02);
        return done();
    }
    std::string text(const std::string& path) { return rig.window(path)->getText().c_str(); }
    std::string label(int32_t id) { return rig.app->m_textTable->getText(id).c_str(); }

    NetServer relay{loopback()};
    Inbox inbox;
    NetControl other;
    MenuRig rig{"menu-lobby"};
};

} // namespace

TEST_F(MenuLobby, TheHostStartsOnceTheGuestIsReadyWithComputersOnTheFreeKarts)
{
    rig.click("Multiplayer/BtnCreateGame");
    rig.settle();
    ASSERT_EQ(rig.shown(), "Lobby");
    ASSERT_TRUE(other.connect("127.0.0.1", false));
    const int32_t guest = other.getOwnSlot();
    // The guest as it enters: waiting, named, on kart 1.
    send(27, {guest, 0});
    send(25, {guest, 'G', 'u', 's'});
    send(23, {guest, 1});
    ASSERT_TRUE(frameUntil([&] { return text("Lobby/ImgPlayerList/LblName02") == "Gus"; }));
    EXPECT_TRUE(rig.window("Lobby/BtnStart")->isDisabled()) << "the guest is not ready";
    send(27, {guest, 1});
    ASSERT_TRUE(frameUntil([&] { return !rig.window("Lobby/BtnStart")->isDisabled(); }));

    rig.click("Lobby/BtnStart");
    EXPECT_EQ(rig.settle(), 2) << "the race starts";
    const RaceSetup& setup = rig.app->m_raceSetup;
    EXPECT_EQ(setup.mode, 2);
    EXPECT_EQ(setup.gameType, 0);
    EXPECT_EQ(setup.laps, 3);
    EXPECT_EQ(setup.localSlot, 0);
    std::set<std::string> karts;
    for (int32_t k = 0; k < RaceSetup::kPlayers; ++k) {
        SCOPED_TRACE(k);
        karts.insert(setup.kartName[k]);
        EXPECT_EQ(setup.lobbySlot[k], k);
        EXPECT_EQ(setup.startSlot[k], 6 - k);
        EXPECT_EQ(setup.upgrades[k][4], k) << "the colour of the place";
        EXPECT_EQ(setup.playerType[k], k == 0 ? 1 : k == guest ? 5 : 4);
    }
    EXPECT_EQ(karts.size(), 7u) << "every kart once";
    EXPECT_EQ(setup.playerName[guest], "Gus");
    // The guest heard the computers' karts and names, then the start.
    ASSERT_TRUE(frameUntil([&] { return !inbox.of(29).empty(); }));
    EXPECT_EQ(inbox.of(29).front(), std::vector<uint8_t>{2});
    EXPECT_GE(inbox.of(23).size(), 5u);
}

TEST_F(MenuLobby, TheGuestTakesTheHostsStateAndAKartNobodyHasThenLeavesWithTheHost)
{
    ASSERT_TRUE(other.connect("127.0.0.1", true));
    rig.click("Multiplayer/BtnJoinGame");
    rig.settle();
    rig.window("Join/EdtHost")->setText("127.0.0.1");
    rig.click("Join/BtnOk");
    rig.settle();
    ASSERT_EQ(rig.shown(), "Lobby");
    ASSERT_TRUE(frameUntil([&] { return !inbox.of(28).empty(); })) << "the guest asks for the state";
    // The host's answer: laps 5, the host on kart 1, the guest's slot as the
    // guest left it, nobody else.
    const int32_t own = NetControl::getInstance().getOwnSlot();
    send(22, {0});
    send(26, {0});
    send(21, {1});
    send(24, {5});
    for (int32_t slot = 0; slot < 7; ++slot) {
        const int32_t kart = slot == 0 ? 1 : slot == own ? 0 : -1;
        send(23, {slot, kart});
        send(27, {slot, slot == 0 || slot == own ? 0 : 2});
        if (slot == 0)
            send(25, {slot, 'H', 'o', 's', 't'});
        else
            send(25, {slot});
    }
    ASSERT_TRUE(frameUntil([&] {
        const auto karts = inbox.of(23);
        return !karts.empty() && karts.back() == std::vector<uint8_t>{uint8_t(own), 2};
    })) << "kart 1 is the host's: the guest takes kart 2";
    EXPECT_EQ(text("Lobby/LblLaps"), label(2034));
    EXPECT_EQ(text("Lobby/LblCcm"), label(2010));
    EXPECT_EQ(text("Lobby/ImgPlayerList/LblName01"), "Host");
    EXPECT_TRUE(rig.window("Lobby/BtnCcmInc")->isDisabled()) << "the host's choice";

    // A game kind and a slot that do not exist change nothing.
    send(22, {7});
    send(23, {9, 1});
    send(30, {0});
    ASSERT_TRUE(frameUntil([&] { return rig.menu->fading(); }));
    rig.settle();
    EXPECT_EQ(rig.shown(), "Multiplayer") << "the host left";
    EXPECT_EQ(text("Lobby/LblGame"), label(5010));
}
