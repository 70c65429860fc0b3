#include "game/net/NetServer.h"

#include <chrono>
#include <cstdio>

NetConnection::NetConnection(NetServer& server, uint32_t id, int sock)
    : ServerConnection(sock), m_server(server), m_id(id)
{
    setStallTimeout(std::chrono::milliseconds(int64_t(server.m_config.stallTimeout * 1000.0)));
}

NetConnection::~NetConnection()
{
    closeSocket();
}

void NetConnection::onConnect(uint32_t peerAddress)
{
    m_peerAddress = peerAddress;
    std::printf("got connection from %x\n", peerAddress);
    std::lock_guard<std::mutex> guard(m_server.m_lock);
    m_server.m_core.connect(m_id, NetServer::now());
    m_server.m_live[m_id] = this;
}

int32_t NetConnection::onReceive(const uint8_t* data, int32_t size)
{
    std::lock_guard<std::mutex> guard(m_server.m_lock);
    m_server.m_core.receive(m_id, data, size_t(size), NetServer::now(), m_server);
    return size;
}

bool NetConnection::readyToReceive()
{
    std::lock_guard<std::mutex> guard(m_server.m_lock);
    for (const auto& [id, connection] : m_server.m_live)
        if (connection->queueFull())
            return false;
    return true;
}

void NetConnection::onDisconnect()
{
    std::lock_guard<std::mutex> guard(m_server.m_lock);
    m_server.m_core.disconnect(m_id, m_server);
    m_server.m_live.erase(m_id);
}

ServerConnection* NetListenSocket::createConnection(int sock)
{
    return new NetConnection(m_server, m_nextId++, sock);
}

NetServer::NetServer()
    : NetServer(RelayConfig::fromEnvironment())
{
}

NetServer::NetServer(const RelayConfig& config)
    : m_config(config), m_core(config.unjoinedTimeout), m_listen(*this)
{
    m_listen.setBindAddress(config.address);
    m_listen.setMaxConnections(config.maxConnections);
    if (m_listen.listen(config.port))
        m_port = m_listen.getPort();
    m_thread = std::thread([this] { listenLoop(); });
}

NetServer::~NetServer()
{
    m_running = false;
    m_listen.stopListening();
    m_thread.join();
    m_listen.closeConnections();
}

double NetServer::now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void NetServer::listenLoop()
{
    // Short waits so that unjoined connections time out without a client.
    constexpr int kAcceptWaitMs = 100;
    while (m_running) {
        if (!m_listen.listenAndAccept(m_config.port, kAcceptWaitMs) && !m_listen.isListening()) {
            // Another program holds the port: try again later, not in a spin.
            for (int i = 0; i < 10 && m_running; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            continue;
        }
        if (m_listen.isListening())
            m_port = m_listen.getPort();
        std::lock_guard<std::mutex> guard(m_lock);
        m_core.expire(now(), *this);
    }
}

void NetServer::send(uint32_t connection, const uint8_t* data, size_t size)
{
    const auto it = m_live.find(connection);
    if (it != m_live.end())
        it->second->send(data, int32_t(size));
}

void NetServer::close(uint32_t connection)
{
    const auto it = m_live.find(connection);
    if (it != m_live.end())
        it->second->shutdownAfterSend();
}
