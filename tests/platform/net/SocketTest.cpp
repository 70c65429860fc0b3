// The socket layer over loopback: receive threads, disconnect reporting,
// byte counters, sends that outlive their peer.
#include "support/LoopbackPeer.h"
#include "platform/net/ClientSocket.h"
#include "platform/net/ServerSocket.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Collects what its receive thread sees.
class RecordingClient : public ClientSocket {
public:
    ~RecordingClient() override { closeSocket(); }

    int32_t onReceive(const uint8_t* data, int32_t size) override
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_bytes.insert(m_bytes.end(), data, data + size);
        m_changed.notify_all();
        return size;
    }
    void onDisconnect() override
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        ++m_disconnects;
        m_changed.notify_all();
    }
    template <class Predicate> bool waitFor(Predicate predicate)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, 2s, [&] { return predicate(*this); });
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    Bytes m_bytes;
    int m_disconnects = 0;
};

class EchoConnection : public ServerConnection {
public:
    using ServerConnection::ServerConnection;
    ~EchoConnection() override { closeSocket(); }
    int32_t onReceive(const uint8_t* data, int32_t size) override { return send(data, size); }
};

class EchoServer : public ServerSocket {
public:
    ServerConnection* createConnection(int sock) override { return new EchoConnection(sock); }
};

TEST(Socket, PeerCloseReportsDisconnectOnceAndCountsBytes)
{
    LoopbackListener listener;
    RecordingClient client;
    ASSERT_TRUE(client.connect("127.0.0.1", listener.port(), ClientSocket::kReceiveThread | ClientSocket::kNoDelay));
    LoopbackPeer peer(listener.accept());
    ASSERT_TRUE(peer.isOpen());
    EXPECT_TRUE(client.isConnected());

    const Bytes hello = {1, 2, 3, 4, 5};
    ASSERT_TRUE(peer.send(hello));
    ASSERT_TRUE(client.waitFor([&](RecordingClient& c) { return c.m_bytes == hello; }));
    EXPECT_EQ(client.send("abc", 3), 3);
    peer.close();
    ASSERT_TRUE(client.waitFor([](RecordingClient& c) { return c.m_disconnects > 0; }));

    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(client.m_disconnects, 1);
    EXPECT_FALSE(client.isConnected());
    EXPECT_EQ(client.getReceived(), 5u);
    EXPECT_EQ(client.getReceivedTotal(), 5);
    EXPECT_EQ(client.getSent(), 3u);
    EXPECT_EQ(client.getSentTotal(), 3);
    EXPECT_EQ(client.getTotal(), 8);
    EXPECT_EQ(client.getTraffic(), 8u);
    // Nothing left to send to: a failed send counts nothing.
    EXPECT_EQ(client.send("x", 1), 0);
    EXPECT_EQ(client.getSentTotal(), 3);
}

TEST(Socket, OwnDisconnectReportsOnce)
{
    LoopbackListener listener;
    RecordingClient client;
    ASSERT_TRUE(client.connect("127.0.0.1", listener.port(), ClientSocket::kReceiveThread));
    LoopbackPeer peer(listener.accept());
    ASSERT_EQ(client.send("bye", 3), 3);
    client.disconnect();
    EXPECT_FALSE(client.isConnected());
    EXPECT_TRUE(peer.closedWithin());
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(client.m_disconnects, 1);
}

TEST(Socket, ConnectFailuresStartNoThread)
{
    // ThreadSanitizer starts a helper thread with the first thread it sees.
    std::thread([] {}).join();
    const int threads = threadCount();
    RecordingClient client;
    // An empty name never resolves, and no lookup leaves the machine for it.
    EXPECT_FALSE(client.connect("", 1, ClientSocket::kReceiveThread));
    uint16_t closedPort;
    {
        LoopbackListener listener;
        closedPort = listener.port();
    }
    EXPECT_FALSE(client.connect("127.0.0.1", closedPort, ClientSocket::kReceiveThread));
    EXPECT_FALSE(client.isConnected());
    EXPECT_EQ(threadCount(), threads);
}

TEST(Socket, ServerAcceptsAndEchoesUntilClosed)
{
    EchoServer server;
    server.setBindAddress("127.0.0.1");
    ASSERT_TRUE(server.listen(0));
    ASSERT_NE(server.getPort(), 0);
    std::thread acceptor([&] { server.listenAndAccept(0, 2000); });
    LoopbackPeer peer;
    ASSERT_TRUE(peer.connect(server.getPort()));
    acceptor.join();
    EXPECT_EQ(server.connectionCount(), 1u);

    const Bytes message = chunkBytes(40, {9, 8, 7});
    ASSERT_TRUE(peer.send(message));
    const auto echoed = peer.read();
    ASSERT_TRUE(echoed);
    EXPECT_EQ(echoed->id, 40);
    EXPECT_EQ(echoed->payload, (Bytes{9, 8, 7}));

    peer.close();
    for (int i = 0; i < 200 && server.connectionCount() > 0; ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_EQ(server.connectionCount(), 0u);
}

TEST(Socket, SendsToAVanishedPeerNeitherKillNorBlock)
{
    LoopbackListener listener;
    RecordingClient client;
    ASSERT_TRUE(client.connect("127.0.0.1", listener.port(), ClientSocket::kReceiveThread));
    LoopbackPeer(listener.accept()).reset();
    ASSERT_TRUE(client.waitFor([](RecordingClient& c) { return c.m_disconnects > 0; }));
    const Bytes block(1000, 0x55);
    for (int i = 0; i < 100; ++i)
        client.send(block.data(), int32_t(block.size()));
    EXPECT_FALSE(client.isConnected());
}

// A full queue alone drops nobody: a peer is dropped when it has taken
// none of its bytes for the stall time.
TEST(Socket, ReaderThatStopsIsDroppedAfterTheStallTime)
{
    LoopbackListener listener;
    RecordingClient client;
    ASSERT_TRUE(client.connect("127.0.0.1", listener.port(), ClientSocket::kReceiveThread));
    client.setStallTimeout(60s);
    LoopbackPeer stalled(listener.accept());
    const Bytes block(64 * 1024, 0x33);
    // 24 MB: more than the kernel buffers, then a queue far past its full
    // mark and under its hard bound.
    for (int i = 0; i < 384; ++i)
        ASSERT_GT(client.send(block.data(), int32_t(block.size())), 0) << i;
    EXPECT_TRUE(client.queueFull());
    EXPECT_TRUE(client.isConnected());
    // The stall is counted from the first byte that had to wait.
    client.setStallTimeout(200ms);
    ASSERT_TRUE(client.waitFor([](RecordingClient& c) { return c.m_disconnects > 0; }));
    EXPECT_FALSE(client.isConnected());
}

TEST(Socket, ReaderThatStopsIsDroppedOnceItsQueueOverflows)
{
    LoopbackListener listener;
    RecordingClient client;
    ASSERT_TRUE(client.connect("127.0.0.1", listener.port(), ClientSocket::kReceiveThread));
    LoopbackPeer stalled(listener.accept());
    const Bytes block(64 * 1024, 0x33);
    int accepted = 0;
    // The kernel buffers take a few megabytes, then the queue fills.
    for (int i = 0; i < 4096 && client.send(block.data(), int32_t(block.size())) > 0; ++i)
        ++accepted;
    EXPECT_LT(accepted, 4096);
    ASSERT_TRUE(client.waitFor([](RecordingClient& c) { return c.m_disconnects > 0; }));
    EXPECT_FALSE(client.isConnected());
}

} // namespace
