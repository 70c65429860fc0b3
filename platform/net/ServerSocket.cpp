#include "platform/net/ServerSocket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

ServerConnection::ServerConnection(int sock)
    : m_accepted(sock)
{
}

ServerConnection::~ServerConnection()
{
    closeSocket();
    if (m_accepted >= 0)
        ::close(m_accepted);
}

void ServerConnection::start()
{
    const int sock = m_accepted;
    m_accepted = -1;
    attach(sock, true);
}

void ServerConnection::onConnect(uint32_t) {}

void ServerConnection::exitThread()
{
    notifyDisconnect();
    shutdownNow();
    m_connected = false;
}

ServerSocket::ServerSocket() = default;

ServerSocket::~ServerSocket()
{
    stopListening();
    closeConnections();
}

ServerConnection* ServerSocket::createConnection(int sock)
{
    return new ServerConnection(sock);
}

bool ServerSocket::listen(uint16_t port)
{
    if (m_sock >= 0)
        return true;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (!m_bindAddress.empty() && ::inet_pton(AF_INET, m_bindAddress.c_str(), &address.sin_addr) != 1)
        return false;
    const int sock = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (sock < 0)
        return false;
    // A restarted program binds again while old connections sit in TIME_WAIT.
    const int one = 1;
    ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    ::setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    if (::bind(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address) < 0 ||
        ::listen(sock, SOMAXCONN) < 0) {
        ::close(sock);
        return false;
    }
    sockaddr_in bound{};
    socklen_t length = sizeof bound;
    ::getsockname(sock, reinterpret_cast<sockaddr*>(&bound), &length);
    m_port = ntohs(bound.sin_port);
    m_sock = sock;
    return true;
}

bool ServerSocket::listenAndAccept(uint16_t port, int timeoutMs)
{
    {
        std::lock_guard<std::mutex> guard(m_connectionsMutex);
        reapLocked();
    }
    if (m_stopped || !listen(port))
        return false;
    pollfd fds[2] = {{m_sock, POLLIN, 0}, {m_wake, POLLIN, 0}};
    if (::poll(fds, 2, timeoutMs) <= 0 || m_stopped)
        return false;
    if (fds[1].revents)
        drainWake();
    if (!(fds[0].revents & POLLIN))
        return false;
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    const int client = ::accept4(m_sock, reinterpret_cast<sockaddr*>(&peer), &length, SOCK_CLOEXEC);
    if (client < 0)
        return false;
    const int one = 1;
    ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    std::lock_guard<std::mutex> guard(m_connectionsMutex);
    if (m_connections.size() >= m_maxConnections) {
        ::close(client);
        return false;
    }
    ServerConnection* connection = createConnection(client);
    m_connections.emplace_back(connection);
    connection->onConnect(ntohl(peer.sin_addr.s_addr));
    connection->start();
    return true;
}

void ServerSocket::stopListening()
{
    m_stopped = true;
    wake();
}

void ServerSocket::reapLocked()
{
    std::erase_if(m_connections, [](const std::unique_ptr<ServerConnection>& c) { return c->threadFinished(); });
}

size_t ServerSocket::connectionCount()
{
    std::lock_guard<std::mutex> guard(m_connectionsMutex);
    reapLocked();
    return m_connections.size();
}

void ServerSocket::closeConnections()
{
    std::vector<std::unique_ptr<ServerConnection>> connections;
    {
        std::lock_guard<std::mutex> guard(m_connectionsMutex);
        connections.swap(m_connections);
    }
    connections.clear();
}
