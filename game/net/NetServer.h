#pragma once
#include "game/net/RelayConfig.h"
#include "game/net/RelayCore.h"
#include "platform/net/ServerSocket.h"

#include <atomic>
#include <mutex>
#include <thread>
#include <unordered_map>

class NetServer;

// One accepted client of the relay.
class NetConnection : public ServerConnection {
public:
    NetConnection(NetServer& server, uint32_t id, int sock);
    ~NetConnection() override;

    int32_t onReceive(const uint8_t* data, int32_t size) override;
    void onDisconnect() override;
    void onConnect(uint32_t peerAddress) override;

    uint32_t getPeerAddress() const { return m_peerAddress; }

protected:
    // Nothing more is read from this client while any client's queue is
    // full: what it sends waits in its own socket, and TCP slows it down.
    bool readyToReceive() override;

private:
    NetServer& m_server;
    uint32_t m_id;
    uint32_t m_peerAddress = 0;
};

class NetListenSocket : public ServerSocket {
public:
    explicit NetListenSocket(NetServer& server) : m_server(server) {}
    ServerConnection* createConnection(int sock) override;

private:
    NetServer& m_server;
    uint32_t m_nextId = 1;
};

// The relay server: a listening thread that accepts clients, and the relay
// state that every connection's chunks run through under one lock. Sends
// made under the lock only queue bytes. A client that floods the relay is
// slowed to the pace of the slowest reader rather than overrunning its
// queue; a client that stops reading holds everyone back only for the stall
// time, then it is dropped.
class NetServer : private RelayOutbox {
public:
    // The game's relay: all interfaces, port 12726, unless the environment
    // says otherwise.
    NetServer();
    explicit NetServer(const RelayConfig& config);
    // Stops accepting, ends every connection and joins every thread before
    // the relay state goes.
    ~NetServer() override;

    // The bound port (0 while the port could not be bound).
    uint16_t getPort() const { return m_port.load(); }
    size_t connectionCount() { return m_listen.connectionCount(); }

private:
    friend class NetConnection;
    static double now();
    void listenLoop();
    void send(uint32_t connection, const uint8_t* data, size_t size) override;
    void close(uint32_t connection) override;

    RelayConfig m_config;
    std::mutex m_lock; // the relay lock: slots, lock flag, stored values
    RelayCore m_core;
    std::unordered_map<uint32_t, NetConnection*> m_live;
    std::atomic<bool> m_running{true};
    std::atomic<uint16_t> m_port{0};
    NetListenSocket m_listen;
    std::thread m_thread;
};
