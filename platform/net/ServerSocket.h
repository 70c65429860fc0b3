#pragma once
#include "platform/net/Socket.h"

#include <memory>
#include <string>

// The server side of one accepted client. The listening socket that made it
// owns it: it is reaped there once its receive thread has ended.
class ServerConnection : public Socket {
public:
    explicit ServerConnection(int sock);
    ~ServerConnection() override;

    // Starts the receive thread; the listening socket calls it once the
    // connection is complete and onConnect has run.
    void start();
    virtual void onConnect(uint32_t peerAddress);
    void exitThread() override;

private:
    int m_accepted;
};

// A listening TCP socket that accepts one client per call.
class ServerSocket : public Socket {
public:
    // More live connections than this are closed as soon as they are accepted.
    static constexpr size_t kDefaultMaxConnections = 32;

    ServerSocket();
    ~ServerSocket() override;

    // An IPv4 address in dotted form; empty means all interfaces.
    void setBindAddress(const std::string& address) { m_bindAddress = address; }
    void setMaxConnections(size_t count) { m_maxConnections = count; }

    // Creates, binds and listens when not yet listening; false when the bind
    // fails. Port 0 takes an ephemeral port (see getPort).
    bool listen(uint16_t port);
    bool isListening() const { return m_sock >= 0; }
    uint16_t getPort() const { return m_port; }

    // Listens when needed, then waits up to timeoutMs (-1: no limit) for one
    // client: createConnection, onConnect with its IPv4 address (host order),
    // start. False on a failed bind, a time-out, a refused or failed accept,
    // or after stopListening.
    bool listenAndAccept(uint16_t port, int timeoutMs = -1);
    // Wakes a waiting listenAndAccept; later calls return false at once.
    void stopListening();
    // Ends every connection, joins its thread and frees it.
    void closeConnections();
    size_t connectionCount();

    virtual ServerConnection* createConnection(int sock);

private:
    void reapLocked();

    std::string m_bindAddress;
    uint16_t m_port = 0;
    size_t m_maxConnections = kDefaultMaxConnections;
    std::atomic<bool> m_stopped{false};
    std::mutex m_connectionsMutex;
    std::vector<std::unique_ptr<ServerConnection>> m_connections;
};
