// NetControl against a real relay on loopback, and against a scripted fake
// relay that sends what no relay should.
#include "support/LoopbackPeer.h"
#include "engine/core/base/Report.h"
#include "game/net/NetControl.h"
#include "game/net/NetPayload.h"
#include "game/net/NetServer.h"
#include "game/net/NetValue.h"

#include <gtest/gtest.h>

#include <cmath>
#include <condition_variable>
#include <cstring>
#include <future>
#include <limits>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Records handler calls made on a receive thread.
class Calls {
public:
    struct Call {
        int tag;
        Bytes payload;
    };
    void record(int tag, const uint8_t* payload, int32_t size)
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_calls.push_back({tag, Bytes(payload, payload + size)});
        m_changed.notify_all();
    }
    // Waits until n calls were made; returns them.
    std::vector<Call> wait(size_t n)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait_for(lock, 2s, [&] { return m_calls.size() >= n; });
        return m_calls;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Call> m_calls;
};

class Tagged : public NetHandler {
public:
    Tagged(Calls& calls, int tag) : m_calls(calls), m_tag(tag) {}
    void operator()(const uint8_t* payload, int32_t size) override { m_calls.record(m_tag, payload, size); }

private:
    Calls& m_calls;
    int m_tag;
};

// A replicated value whose owner sets it.
class TestValue : public NetValue {
public:
    TestValue(NetControl& control, int32_t id, int32_t flags = kTakeReceived | kSendChanges) : NetValue(control)
    {
        setId(id);
        m_flags = flags;
    }
    void set(int32_t value)
    {
        std::lock_guard<std::recursive_mutex> guard(m_control.getLock());
        if (std::memcmp(m_value, &value, 4) != 0 && (m_flags & kSendChanges))
            m_dirty = 1;
        std::memcpy(m_value, &value, 4);
    }
    int32_t get()
    {
        std::lock_guard<std::recursive_mutex> guard(m_control.getLock());
        int32_t value;
        std::memcpy(&value, m_value, 4);
        return value;
    }
    bool hasPending()
    {
        std::lock_guard<std::recursive_mutex> guard(m_control.getLock());
        return m_hasReceived != 0;
    }
};

void sendBytes(NetControl& net, uint16_t id, const Bytes& payload)
{
    net.beginChunk(id);
    for (const uint8_t byte : payload)
        net.writeByte(byte);
    net.sendChunk();
}

class ReportCapture {
public:
    ReportCapture()
    {
        resetReportSwitch();
        reportLevel = 3;
        reportToText = 1;
    }
    ~ReportCapture() { resetReportSwitch(); }
    std::string last() const { return lastErrorText.c_str(); }
};

class NetControlTest : public ::testing::Test {
protected:
    static RelayConfig loopbackConfig()
    {
        RelayConfig config;
        config.address = "127.0.0.1";
        config.port = 0;
        return config;
    }
    std::unique_ptr<NetControl> client()
    {
        auto net = std::make_unique<NetControl>();
        net->setPort(relay.getPort());
        return net;
    }

    NetServer relay{loopbackConfig()};
};

TEST_F(NetControlTest, HostAndGuestsExchangeHandlersInOrder)
{
    Calls calls;
    auto host = client();
    ASSERT_TRUE(host->connect("127.0.0.1", true));
    EXPECT_EQ(host->getOwnSlot(), 0);
    std::vector<std::unique_ptr<NetControl>> guests;
    for (int slot = 1; slot <= 2; ++slot) {
        guests.push_back(client());
        ASSERT_TRUE(guests.back()->connect("localhost", false));
        EXPECT_EQ(guests.back()->getOwnSlot(), slot);
        EXPECT_EQ(guests.back()->getState(), NetControl::StateOk);
        guests.back()->addHandler(26, 1, new Tagged(calls, slot));
        guests.back()->addHandler(37, -1, new Tagged(calls, slot * 10));
    }
    for (uint8_t i = 0; i < 20; ++i)
        sendBytes(*host, i % 2 ? 37 : 26, Bytes(i % 2 ? 5 : 1, i));
    const auto got = calls.wait(40);
    ASSERT_EQ(got.size(), 40u);
    // Each guest sees the host's chunks in the order they were sent.
    for (int slot = 1; slot <= 2; ++slot) {
        uint8_t expected = 0;
        for (const auto& call : got) {
            if (call.tag != slot && call.tag != slot * 10)
                continue;
            EXPECT_EQ(call.tag, expected % 2 ? slot * 10 : slot);
            EXPECT_EQ(call.payload, Bytes(expected % 2 ? 5 : 1, expected));
            ++expected;
        }
        EXPECT_EQ(expected, 20);
    }
}

TEST_F(NetControlTest, FirstHandlerWinsAndSizesMustMatch)
{
    ReportCapture reports;
    Calls calls;
    auto host = client();
    auto guest = client();
    ASSERT_TRUE(host->connect("127.0.0.1", true));
    ASSERT_TRUE(guest->connect("127.0.0.1", false));
    guest->addHandler(23, 2, new Tagged(calls, 1));
    guest->addHandler(23, 2, new Tagged(calls, 2));
    guest->addHandler(HandlerEntry(24, -1, new Tagged(calls, 3)));
    TestValue shadowed(*guest, 24);

    for (const Bytes& wrong : {Bytes{}, Bytes{1}, Bytes{1, 2, 3}})
        sendBytes(*host, 23, wrong); // dropped, never seen by the handler
    sendBytes(*host, 23, {4, 5});
    sendBytes(*host, 24, {1, 2, 3, 4, 5}); // any size, and before the value
    auto got = calls.wait(2);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].tag, 1);
    EXPECT_EQ(got[0].payload, (Bytes{4, 5}));
    EXPECT_EQ(got[1].tag, 3);
    EXPECT_EQ(reports.last(), "network error: wrong chunk size!");
    EXPECT_FALSE(shadowed.hasPending());

    guest->removeHandler(23);
    sendBytes(*host, 23, {6, 7});
    got = calls.wait(3);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[2].tag, 2);
}

TEST_F(NetControlTest, HandlersMaySendAndRemoveThemselvesUnderTheLock)
{
    struct Echo : NetHandler {
        NetControl* net = nullptr;
        void operator()(const uint8_t* payload, int32_t size) override
        {
            sendBytes(*net, 41, Bytes(payload, payload + size));
            net->removeHandler(40);
        }
    };
    Calls calls;
    auto host = client();
    auto guest = client();
    ASSERT_TRUE(host->connect("127.0.0.1", true));
    ASSERT_TRUE(guest->connect("127.0.0.1", false));
    auto* echo = new Echo;
    echo->net = guest.get();
    guest->addHandler(40, -1, echo);
    host->addHandler(41, -1, new Tagged(calls, 41));
    sendBytes(*host, 40, {1, 2});
    sendBytes(*host, 40, {3});
    const auto got = calls.wait(1);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].payload, (Bytes{1, 2}));
}

TEST_F(NetControlTest, ValuesAreSentWhenChangedAndTakenOverAtCommit)
{
    auto host = client();
    auto guest = client();
    ASSERT_TRUE(host->connect("127.0.0.1", true));
    ASSERT_TRUE(guest->connect("127.0.0.1", false));
    TestValue hostEnergy(*host, 39), guestEnergy(*guest, 39);
    TestValue sendOnly(*host, 40, NetValue::kSendChanges), receiver(*guest, 40, NetValue::kSendChanges);
    TestValue takeOnly(*host, 41, NetValue::kTakeReceived), quiet(*guest, 41);

    hostEnergy.set(100);
    sendOnly.set(5);
    takeOnly.set(9);
    host->sendValues();
    for (int i = 0; i < 200 && !(guestEnergy.hasPending() && receiver.hasPending()); ++i)
        std::this_thread::sleep_for(5ms);
    ASSERT_TRUE(guestEnergy.hasPending());
    // A local change of the same frame is sent, then the received value wins.
    guestEnergy.set(50);
    EXPECT_EQ(guestEnergy.get(), 50);
    guest->sendValues();
    EXPECT_EQ(guestEnergy.get(), 100);
    EXPECT_EQ(receiver.get(), 0); // flags 2: never takes a received value
    EXPECT_EQ(quiet.get(), 0);    // flags 1 on the sender: never sent
    for (int i = 0; i < 200 && !hostEnergy.hasPending(); ++i)
        std::this_thread::sleep_for(5ms);
    host->sendValues();
    EXPECT_EQ(hostEnergy.get(), 50);
}

TEST_F(NetControlTest, ValueIdsAndSizesAreChecked)
{
    ReportCapture reports;
    auto host = client();
    auto guest = client();
    ASSERT_TRUE(host->connect("127.0.0.1", true));
    ASSERT_TRUE(guest->connect("127.0.0.1", false));
    TestValue energy(*guest, 39);
    {
        TestValue twin(*guest, 39);
        EXPECT_EQ(reports.last(), "!NetControl::getInstance().getValueId(id)");
    }
    EXPECT_EQ(guest->getValueId(39), &energy); // the twin left, the first stays

    // An id nothing takes is told on standard error, once.
    testing::internal::CaptureStderr();
    Calls calls;
    guest->addHandler(60, -1, new Tagged(calls, 60));
    sendBytes(*host, 39, {1, 2, 3});
    sendBytes(*host, 39, {1, 2, 3, 4, 5});
    sendBytes(*host, 55, {1});
    sendBytes(*host, 55, {2});
    sendBytes(*host, 60, {});
    ASSERT_EQ(calls.wait(1).size(), 1u);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "value not present: 55\n");
    EXPECT_FALSE(energy.hasPending());
}

TEST_F(NetControlTest, RefusedWellBeforeTheWaitEnds)
{
    auto late = client();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(late->connect("127.0.0.1", false)); // no host yet
    EXPECT_EQ(late->getState(), NetControl::StateRefused);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 4s);
}

template <class Predicate> bool eventually(Predicate predicate)
{
    for (int i = 0; i < 400 && !predicate(); ++i)
        std::this_thread::sleep_for(5ms);
    return predicate();
}

TEST_F(NetControlTest, DepartureFromALockedGameLeavesTheOthersPlaying)
{
    auto host = client();
    auto a = client();
    auto b = client();
    ASSERT_TRUE(host->connect("127.0.0.1", true));
    ASSERT_TRUE(a->connect("127.0.0.1", false));
    ASSERT_TRUE(b->connect("127.0.0.1", false));
    host->setGameLocked(true);
    // Once the lock is in place (the host's next chunk arrived), a leaves.
    Calls calls;
    b->addHandler(70, -1, new Tagged(calls, 70));
    sendBytes(*host, 70, {});
    ASSERT_EQ(calls.wait(1).size(), 1u);
    const int32_t leaving = a->getOwnSlot();
    a->disconnect();
    EXPECT_EQ(a->getState(), NetControl::StateDisconnected);
    EXPECT_TRUE(eventually([&] { return b->getState() == NetControl::StatePlayerLeft; }));
    EXPECT_TRUE(eventually([&] { return host->getState() == NetControl::StatePlayerLeft; }));
    EXPECT_EQ(b->takeDepartedSlots(), 1u << leaving);
    EXPECT_EQ(host->takeDepartedSlots(), 1u << leaving);
    EXPECT_EQ(host->takeDepartedSlots(), 0u) << "told once";
    // The two left still play together.
    sendBytes(*host, 70, {});
    EXPECT_EQ(calls.wait(2).size(), 2u);
    EXPECT_TRUE(host->isConnected() && b->isConnected());
}

TEST_F(NetControlTest, GuestRejoinsThenTheHostLeaves)
{
    auto host = client();
    auto guest = client();
    ASSERT_TRUE(host->connect("127.0.0.1", true));
    ASSERT_TRUE(guest->connect("127.0.0.1", false));
    guest->disconnect();
    ASSERT_TRUE(guest->connect("127.0.0.1", false));
    EXPECT_EQ(guest->getState(), NetControl::StateOk);
    host->disconnect();
    EXPECT_TRUE(eventually([&] { return !guest->isConnected(); }));
    EXPECT_EQ(guest->getState(), NetControl::StateHostLeft);
}

TEST(NetControl, NoRelayMeansNoConnection)
{
    uint16_t port;
    {
        LoopbackListener listener;
        port = listener.port();
    }
    NetControl net;
    net.setPort(port);
    EXPECT_FALSE(net.connect("127.0.0.1", true));
    EXPECT_EQ(net.getState(), NetControl::StateNoConnection);
    EXPECT_FALSE(net.connect("", true));
    EXPECT_EQ(net.getState(), NetControl::StateNoConnection);
}

// A fake relay: the test plays the relay's side byte by byte.
class FakeRelayTest : public ::testing::Test {
protected:
    void SetUp() override { net.setPort(listener.port()); }
    void TearDown() override
    {
        if (result.valid())
            result.wait();
    }
    // Starts a guest join and accepts it; the join chunk is read.
    void startJoin()
    {
        result = std::async(std::launch::async, [this] { return net.connect("127.0.0.1", false); });
        relay = std::make_unique<LoopbackPeer>(listener.accept());
        ASSERT_TRUE(relay->isOpen());
        const auto join = relay->read();
        ASSERT_TRUE(join);
        EXPECT_EQ(join->id, 2);
    }
    void accept(uint8_t slot = 1)
    {
        startJoin();
        relay->sendChunk(3, {slot});
        ASSERT_TRUE(result.get());
    }
    // Sends a marker chunk and waits for its handler: everything sent
    // before it has been handled.
    void sync()
    {
        relay->sendChunk(99, {});
        ++markers;
        ASSERT_EQ(marker.wait(markers).size(), markers);
    }

    LoopbackListener listener;
    NetControl net;
    std::unique_ptr<LoopbackPeer> relay;
    std::future<bool> result;
    Calls marker;
    size_t markers = 0;
};

TEST_F(FakeRelayTest, AcceptsOnlySlotsThatExist)
{
    for (const Bytes& reply : {Bytes{6}, Bytes{200}, Bytes{255}, Bytes{}}) {
        startJoin();
        relay->sendChunk(3, reply);
        if (reply.empty()) { // not an answer: the wait runs on
            relay->sendChunk(4);
        }
        EXPECT_FALSE(result.get());
        EXPECT_EQ(net.getState(), NetControl::StateRefused);
        EXPECT_EQ(net.getOwnSlot(), 0);
    }
    // A refusal is final even when an acceptance follows.
    startJoin();
    Bytes both = chunkBytes(4);
    const Bytes accepted = chunkBytes(3, {1});
    both.insert(both.end(), accepted.begin(), accepted.end());
    relay->send(both);
    EXPECT_FALSE(result.get());
    EXPECT_EQ(net.getState(), NetControl::StateRefused);
}

TEST_F(FakeRelayTest, ShortProtocolRepliesAreIgnored)
{
    accept(5);
    EXPECT_EQ(net.getOwnSlot(), 5);
    net.addHandler(99, 0, new Tagged(marker, 99));
    relay->sendChunk(6);
    relay->sendChunk(11, {1, 2});
    relay->sendChunk(3, {2}); // a second acceptance changes nothing
    sync();
    EXPECT_TRUE(net.isConnected());
    EXPECT_EQ(net.getBarrier(), 0);
    EXPECT_EQ(net.getOwnSlot(), 5);
    relay->sendChunk(11, dwordBytes(42));
    relay->sendChunk(9);
    sync();
    EXPECT_EQ(net.getBarrier(), 42);
    EXPECT_TRUE(net.isResyncDone());
}

TEST_F(FakeRelayTest, PayloadsOfAnySizeReachAnOpenHandler)
{
    accept();
    Calls names;
    net.addHandler(99, 0, new Tagged(marker, 99));
    net.addHandler(25, -1, new Tagged(names, 25));
    relay->sendChunk(25);
    relay->sendChunk(25, Bytes(chunk::kMaxPayload, 'a'));
    const auto got = names.wait(2);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_TRUE(got[0].payload.empty());
    EXPECT_EQ(got[1].payload.size(), size_t(chunk::kMaxPayload));
}

TEST_F(FakeRelayTest, ImpossibleLengthsEndTheConnection)
{
    for (const uint32_t length : {0u, 1u, 3u, 32000u, 65535u}) {
        accept();
        ASSERT_TRUE(relay->send(rawChunk(length, 30, {1, 2, 3, 4})));
        EXPECT_TRUE(relay->closedWithin()) << length;
        for (int i = 0; i < 200 && net.isConnected(); ++i)
            std::this_thread::sleep_for(5ms);
        EXPECT_FALSE(net.isConnected());
    }
}

TEST_F(FakeRelayTest, ARelayThatClosesAtOnceFailsQuickly)
{
    startJoin();
    relay->close();
    EXPECT_FALSE(result.get());
    EXPECT_EQ(net.getState(), NetControl::StateOk);
}

TEST_F(FakeRelayTest, ARelayThatNeverAnswersTimesOutAndLeaves)
{
    startJoin();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(result.get());
    EXPECT_GE(std::chrono::steady_clock::now() - start, 4500ms);
    EXPECT_EQ(net.getState(), NetControl::StateRefused);
    const auto leave = relay->read();
    ASSERT_TRUE(leave);
    EXPECT_EQ(leave->id, 6);
}

TEST(NetPayload, ReadsAreBoundedAndFloatsFinite)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        float value;
        bool good;
    };
    for (const Case c : {Case{1.5f, true}, Case{-0.0f, true}, Case{nan, false}, Case{inf, false}, Case{-inf, false}}) {
        uint8_t bytes[5] = {7};
        std::memcpy(bytes + 1, &c.value, 4);
        NetPayload payload(bytes, 5);
        EXPECT_EQ(payload.readChar(), 7);
        const float read = payload.readFloat();
        EXPECT_EQ(payload.good(), c.good);
        EXPECT_EQ(read, c.good ? c.value : 0.0f);
    }
    const uint8_t three[3] = {1, 2, 3};
    NetPayload shortOne(three, 3);
    EXPECT_EQ(shortOne.readWord(), 0x0201);
    EXPECT_EQ(shortOne.readWord(), 0);
    EXPECT_FALSE(shortOne.good());
    EXPECT_EQ(shortOne.readByte(), 0);
}

} // namespace
