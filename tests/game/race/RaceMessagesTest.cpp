// The race's network messages: what another machine's messages do to the
// karts here (a remote kart follows its poses, plays its animations and
// finishes with its owner's time), what malformed ones are refused for, and
// what this machine's karts tell the others through a relay.
#include "MessagePayload.h"
#include "PowerupRig.h"

#include "engine/core/base/Report.h"
#include "engine/scene/SceneObject.h"
#include "game/app/RaceSetup.h"
#include "game/net/NetControl.h"
#include "game/net/NetServer.h"
#include "game/race/RemoteKart.h"
#include "support/RecordedReports.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;

MessagePayload pose(int32_t kart, const Vector3& p, const Vector3& forward, const Vector3& side)
{
    return MessagePayload().byte(kart).vec(p).vec(forward).vec(side);
}

float readFloat(const std::vector<uint8_t>& bytes, size_t at)
{
    float v;
    std::memcpy(&v, bytes.data() + at, 4);
    return v;
}

// Kart 2 is driven by another machine.
class RaceMessages : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_rig.loaded());
        m_rig.place(0, 100.0f);
        m_rig.place(1, 150.0f);
        m_rig.place(2, 200.0f);
        m_rig.steps(2);
        lastErrorText.assignCString("");
    }
    TestRace& race() { return m_rig.race(); }
    Kart& kart(int32_t i) { return m_rig.kart(i); }
    using Handler = void (Race::*)(const uint8_t*, int32_t);
    void receive(Handler handler, const MessagePayload& p) { (race().*handler)(p.data(), p.size()); }

    RecordedReports m_reports;
    PowerupRig m_rig{3, "testring", {2}};
};

} // namespace

TEST_F(RaceMessages, AKartDrivenElsewhereHasNoBodiesAndStandsStill)
{
    Kart& remote = kart(2);
    int32_t bodies = 0;
    remote.m_root->forEachChild([&bodies](SceneObject* item) { bodies += item->m_body ? 1 : 0; });
    EXPECT_EQ(bodies, 0);
    int32_t localBodies = 0;
    kart(0).m_root->forEachChild([&localBodies](SceneObject* item) { localBodies += item->m_body ? 1 : 0; });
    EXPECT_GT(localBodies, 0);
    Vector3 v{1.0f, 1.0f, 1.0f};
    remote.getVelocity(v);
    EXPECT_EQ(v.length(), 0.0f);
}

TEST_F(RaceMessages, ARemoteKartStandsAtItsLastPose)
{
    // Turned a quarter: forward along +x, the side axis as the kart keeps it.
    const Vector3 at{30.0f, 1.5f, -20.0f}, forward{1.0f, 0.0f, 0.0f}, side{0.0f, 0.0f, 1.0f};
    receive(&Race::onPoseMessage, pose(2, at, forward, side));
    m_rig.steps(1);
    race().updateTransforms();
    const Matrix4 root = kart(2).m_root->getMatrix(race().raceClock());
    EXPECT_FLOAT_EQ(root.at(3, 0), 30.0f);
    EXPECT_FLOAT_EQ(root.at(3, 1), 1.5f);
    EXPECT_FLOAT_EQ(root.at(3, 2), -20.0f);
    EXPECT_FLOAT_EQ(root.at(2, 0), 1.0f);
    EXPECT_FLOAT_EQ(root.at(0, 2), -1.0f);
    EXPECT_FLOAT_EQ(root.at(1, 1), 1.0f) << "up stays up";
    // A pose for a kart this machine drives changes nothing: it drives.
    const Vector3 before = kart(0).m_position;
    receive(&Race::onPoseMessage, pose(0, at, forward, side));
    EXPECT_FLOAT_EQ(kart(0).m_position.x, before.x);
    EXPECT_EQ(m_reports.last(), "");
}

TEST_F(RaceMessages, ARemoteKartOnTheGridKeepsItsHeadingUntilItsFirstPose)
{
    Kart& remote = kart(2);
    const Matrix4 placed = remote.m_root->getMatrix(race().raceClock());
    m_rig.steps(3);
    race().updateTransforms();
    const Matrix4 stepped = remote.m_root->getMatrix(race().raceClock());
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(stepped.m[i], placed.m[i], 1e-4f) << i;
}

TEST_F(RaceMessages, ReadyAnimationAndFinishReachTheirKart)
{
    receive(&Race::onReadyMessage, MessagePayload().byte(2));
    EXPECT_EQ(race().m_ready[2], 1);
    receive(&Race::onUnusedMessage, MessagePayload().byte(1));

    Kart& remote = kart(2);
    receive(&Race::onAnimationMessage,
            MessagePayload().byte(2).byte(Kart::AnimCrash | 0x80).f32(0.5f).f32(0.1f).f32(0.2f).f32(3.0f));
    EXPECT_TRUE(remote.m_envelope[Kart::AnimCrash].active);
    EXPECT_FLOAT_EQ(remote.m_envelope[Kart::AnimCrash].hold, 3.0f);
    receive(&Race::onAnimationEndMessage, MessagePayload().byte(2).byte(Kart::AnimCrash).f32(0.25f));
    EXPECT_FLOAT_EQ(remote.m_envelope[Kart::AnimCrash].fadeOut, 0.25f);

    receive(&Race::onFinishMessage, MessagePayload().byte(2).f32(61.25f));
    EXPECT_EQ(remote.m_finished, 1);
    EXPECT_FLOAT_EQ(remote.m_finishTime, 61.25f);
    // Its own machine timed it: the lap count here changes nothing.
    EXPECT_TRUE(remote.updateFinished(70.0f, 3));
    EXPECT_FLOAT_EQ(remote.m_finishTime, 61.25f);
    // This machine times its own karts: another machine's word is ignored.
    receive(&Race::onFinishMessage, MessagePayload().byte(0).f32(5.0f));
    EXPECT_EQ(kart(0).m_finished, 0);
    EXPECT_EQ(m_reports.last(), "");
}

TEST_F(RaceMessages, ARemoteKartFinishesOnlyByItsMachinesWord)
{
    Kart& remote = kart(2);
    remote.m_lap = 4;
    EXPECT_FALSE(remote.updateFinished(20.0f, 3));
    EXPECT_EQ(remote.m_finished, 0);
    kart(0).m_lap = 4;
    EXPECT_TRUE(kart(0).updateFinished(20.0f, 3));
}

TEST_F(RaceMessages, MalformedMessagesAreRefusedWithAReport)
{
    struct Case {
        const char* what;
        Handler handler;
        MessagePayload payload;
        const char* report;
    };
    const Vector3 zero{}, ahead{0.0f, 0.0f, 1.0f};
    const Case cases[] = {
        {"ready: a kart past the race's", &Race::onReadyMessage, MessagePayload().byte(3), "kart 3 is not in the race"},
        {"ready: a negative kart", &Race::onReadyMessage, MessagePayload().byte(0xFF), "kart -1 is not in the race"},
        {"ready: empty", &Race::onReadyMessage, MessagePayload(), "0 bytes"},
        {"ready: too long", &Race::onReadyMessage, MessagePayload().byte(1).byte(1), "2 bytes"},
        {"animation: a kart past the race's", &Race::onAnimationMessage,
         MessagePayload().byte(7).byte(1).f32(1).f32(0).f32(0).f32(1), "kart 7 is not in the race"},
        {"animation: an animation past the last", &Race::onAnimationMessage,
         MessagePayload().byte(2).byte(30).f32(1).f32(0).f32(0).f32(1), "animation 30 does not exist"},
        {"animation: a weight that is no number", &Race::onAnimationMessage,
         MessagePayload().byte(2).byte(1).f32(std::nanf("")).f32(0).f32(0).f32(1), "not a number"},
        {"animation: short", &Race::onAnimationMessage, MessagePayload().byte(2).byte(1).f32(1), "6 bytes long"},
        {"animation end: a negative animation", &Race::onAnimationEndMessage, MessagePayload().byte(2).byte(0x80).f32(0),
         "animation -128 does not exist"},
        {"animation end: a kart past the race's", &Race::onAnimationEndMessage, MessagePayload().byte(100).byte(1).f32(0),
         "kart 100 is not in the race"},
        {"finish: an endless time", &Race::onFinishMessage, MessagePayload().byte(2).f32(INFINITY), "not a number"},
        {"finish: a negative kart", &Race::onFinishMessage, MessagePayload().byte(0x80).f32(1), "kart -128"},
        {"finish: too long", &Race::onFinishMessage, MessagePayload().byte(2).f32(1).byte(0), "6 bytes"},
        {"pose: a kart past the race's", &Race::onPoseMessage, pose(3, zero, ahead, zero), "kart 3 is not"},
        {"pose: a position that is no number", &Race::onPoseMessage,
         pose(2, {std::nanf(""), 0, 0}, ahead, zero), "not a number"},
        {"pose: short", &Race::onPoseMessage, MessagePayload().byte(2).vec(zero), "13 bytes long"},
        {"hit: too long", &Race::onHitMessage, MessagePayload().byte(1).byte(3).byte(0).byte(0).byte(0), "5 bytes"},
        {"spawn: an unknown kind", &Race::onSpawnMessage,
         MessagePayload().byte(2).byte(99).vec(zero).vec(ahead), "kind 99 leaves no object"},
    };
    Kart& remote = kart(2);
    const Vector3 before = remote.m_position;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        lastErrorText.assignCString("");
        receive(c.handler, c.payload);
        EXPECT_NE(m_reports.last().find(c.report), std::string::npos) << m_reports.last();
    }
    EXPECT_EQ(race().m_ready[2], 0);
    EXPECT_EQ(remote.m_finished, 0);
    EXPECT_FLOAT_EQ(remote.m_position.x, before.x);
    for (int32_t i = 0; i < Kart::kAnimations; ++i)
        EXPECT_FALSE(remote.m_envelope[i].active && i != Kart::AnimDrive) << i;
}

namespace {

// The race's machine joined to a relay as host, with a second machine
// (a bare network control) as guest that records what it is sent.
class NetworkRace : public testing::Test {
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
        NetControl& net = NetControl::getInstance();
        net.setPort(m_relay.getPort());
        ASSERT_TRUE(net.connect("127.0.0.1", true));
        m_guest.setPort(m_relay.getPort());
        ASSERT_TRUE(m_guest.connect("127.0.0.1", false));
        for (int32_t id = 31; id <= 38; ++id)
            m_guest.addHandler(id, -1, new Recorder(*this, id));
        m_guest.addHandler(41, -1, new Recorder(*this, 41));

        m_rig.setUp(3);
        RaceSetup& setup = m_rig.app->m_raceSetup;
        setup.mode = 2;
        setup.localSlot = 0;
        // Karts 0 and 1 are the host's, kart 2 the guest's.
        setup.lobbySlot[0] = setup.lobbySlot[1] = 0;
        setup.lobbySlot[2] = m_guest.getOwnSlot();
        m_rig.make().m_controllerMaker = [](int32_t player) -> KartController* {
            return player == 2 ? new KartController() : new ScriptedController(nullptr);
        };
        ASSERT_TRUE(m_rig.load().loaded());
    }
    void TearDown() override
    {
        m_rig.race.reset();
        m_guest.disconnect();
        NetControl::getInstance().setPort(RelayConfig::fromEnvironment().port);
    }
    struct Message {
        int32_t id;
        std::vector<uint8_t> bytes;
    };
    class Recorder : public NetHandler {
    public:
        Recorder(NetworkRace& test, int32_t id) : m_test(test), m_id(id) {}
        void operator()(const uint8_t* payload, int32_t size) override
        {
            std::lock_guard<std::mutex> lock(m_test.m_mutex);
            m_test.m_received.push_back({m_id, std::vector<uint8_t>(payload, payload + size)});
            m_test.m_changed.notify_all();
        }

    private:
        NetworkRace& m_test;
        int32_t m_id;
    };
    // The first message with the id the guest got within two seconds.
    std::vector<uint8_t> waitFor(int32_t id, size_t skip = 0)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        std::vector<uint8_t> found;
        m_changed.wait_for(lock, 2s, [&] {
            size_t seen = 0;
            for (const Message& m : m_received)
                if (m.id == id && seen++ == skip) {
                    found = m.bytes;
                    return true;
                }
            return false;
        });
        return found;
    }
    size_t count(int32_t id)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        size_t n = 0;
        for (const Message& m : m_received)
            n += m.id == id ? 1 : 0;
        return n;
    }
    Kart& kart(int32_t i) { return *m_rig.race->m_karts[i]; }
    void steps(int32_t n)
    {
        for (int32_t k = 0; k < n; ++k)
            m_rig.race->stepOnce();
    }
    // Chunks the guest sends to the race's machine are handled once it
    // answers a chunk of its own sent after them.
    void sendFromGuest(int32_t id, const MessagePayload& p)
    {
        m_guest.beginChunk(id);
        for (uint8_t b : p.bytes())
            m_guest.writeByte(b);
        m_guest.sendChunk();
    }

    RecordedReports m_reports;
    // Before the guest, whose receive thread records into them.
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Message> m_received;
    NetServer m_relay{loopback()};
    NetControl m_guest;
    RaceRig m_rig;
};

} // namespace

TEST_F(NetworkRace, TheKartsDrivenHereTellTheirPosesFinishAndAnimations)
{
    TestRace& race = *m_rig.race;
    steps(3);
    EXPECT_EQ(count(37), 0u) << "no pose before the start";
    race.m_started = 1;
    steps(2);
    const std::vector<uint8_t> first = waitFor(37);
    ASSERT_EQ(first.size(), 37u);
    // Two karts driven here, a pose each per step; none for the remote one.
    const std::vector<uint8_t> fourth = waitFor(37, 3);
    ASSERT_EQ(fourth.size(), 37u);
    EXPECT_EQ(count(37), 4u);
    for (size_t n = 0; n < 4; ++n)
        EXPECT_NE(waitFor(37, n)[0], 2) << n;
    EXPECT_FLOAT_EQ(readFloat(first, 1), kart(first[0]).m_position.x);

    kart(1).playAnimation(Kart::AnimShoot, 1.0f, 0.1f, 0.2f, 0.5f, true, true, false);
    const std::vector<uint8_t> animation = waitFor(34);
    ASSERT_EQ(animation.size(), 18u);
    EXPECT_EQ(animation[0], 1);
    EXPECT_EQ(animation[1], Kart::AnimShoot | 0x80);
    EXPECT_FLOAT_EQ(readFloat(animation, 14), 0.5f);

    kart(1).m_lap = 4;
    race.checkFinished(42.5f);
    const std::vector<uint8_t> finish = waitFor(36);
    ASSERT_EQ(finish.size(), 5u);
    EXPECT_EQ(finish[0], 1);
    EXPECT_FLOAT_EQ(readFloat(finish, 1), 42.5f);

    // A hit on the remote kart goes to its machine.
    kart(2).applyHit(3, 0, 0, true);
    const std::vector<uint8_t> hit = waitFor(33);
    ASSERT_EQ(hit.size(), 4u);
    EXPECT_EQ(hit[0], 2);
    EXPECT_EQ(hit[1], 3);
}

TEST_F(NetworkRace, TheOtherMachinesMessagesMoveTheRemoteKart)
{
    sendFromGuest(37, pose(2, {10.0f, 2.0f, 3.0f}, {0, 0, 1}, {-1, 0, 0}));
    sendFromGuest(36, MessagePayload().byte(2).f32(12.0f));
    // A value the network reads without a kart of the race: dropped by size.
    sendFromGuest(37, MessagePayload().byte(2));
    Kart& remote = kart(2);
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    auto finished = [&] {
        std::lock_guard<std::recursive_mutex> lock(NetControl::getInstance().getLock());
        return remote.m_finished != 0;
    };
    while (!finished() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    std::lock_guard<std::recursive_mutex> lock(NetControl::getInstance().getLock());
    EXPECT_FLOAT_EQ(remote.m_finishTime, 12.0f);
    EXPECT_FLOAT_EQ(remote.m_position.x, 10.0f);
}

TEST_F(NetworkRace, ThePlayerWhoLeftHoldsTheRaceOpenNoMore)
{
    TestRace& race = *m_rig.race;
    race.m_started = 1;
    kart(0).m_lap = 4;
    kart(1).m_lap = 4;
    EXPECT_FALSE(race.checkFinished(30.0f)) << "the remote kart runs on";
    NetControl::getInstance().setGameLocked(true);
    // The lock is in place once the guest has seen a chunk sent after it.
    {
        NetControl& host = NetControl::getInstance();
        host.beginChunk(32);
        host.writeByte(0);
        host.sendChunk();
        ASSERT_FALSE(waitFor(32).empty());
    }
    m_guest.disconnect();
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    bool over = false;
    while (!over && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(1ms);
        std::lock_guard<std::recursive_mutex> lock(NetControl::getInstance().getLock());
        race.dropDepartedPlayers();
        over = race.checkFinished(31.0f);
    }
    EXPECT_TRUE(over);
    EXPECT_TRUE(NetControl::getInstance().isConnected()) << "the host plays on";
}
