#include "platform/net/ClientSocket.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

ClientSocket::ClientSocket() = default;

ClientSocket::~ClientSocket()
{
    closeSocket();
}

void ClientSocket::onConnected() {}

void ClientSocket::exitThread()
{
    notifyDisconnect();
    shutdownNow();
    m_connected = false;
}

bool ClientSocket::connect(const char* host, uint16_t port, uint32_t flags)
{
    // A hook cannot wait for its own thread to end.
    if (onReceiveThread() || !host)
        return false;
    closeSocket();

    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host, nullptr, &hints, &found) != 0 || !found)
        return false;
    sockaddr_in address = *reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    ::freeaddrinfo(found);
    address.sin_port = htons(port);

    const int sock = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (sock < 0)
        return false;
    if (::connect(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address) < 0) {
        ::close(sock);
        return false;
    }
    if (flags & kNoDelay) {
        const int one = 1;
        ::setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    }
    attach(sock, (flags & kReceiveThread) != 0);
    onConnected();
    return true;
}
