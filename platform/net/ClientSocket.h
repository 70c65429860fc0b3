#pragma once
#include "platform/net/Socket.h"

// An outgoing TCP connection.
class ClientSocket : public Socket {
public:
    // connect flags
    static constexpr uint32_t kReceiveThread = 1;
    static constexpr uint32_t kNoDelay = 2;

    ClientSocket();
    ~ClientSocket() override;

    // Resolves host (IPv4, first address) and connects. A connection made
    // earlier is ended and its receive thread joined first, so its end can
    // never touch the new socket. False when the name does not resolve or
    // the connect fails; no thread is started then.
    bool connect(const char* host, uint16_t port, uint32_t flags);

    virtual void onConnected();
    void exitThread() override;
};
