#pragma once
// Raw TCP peers on 127.0.0.1 for the network tests: they send exact bytes
// (well-formed or not), read chunks with deadlines and can misbehave: stop
// reading, reset the connection. A LoopbackListener stands in for a relay.
#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

using Bytes = std::vector<uint8_t>;

// A chunk with any length field: the length counts the 4 header bytes.
Bytes rawChunk(uint32_t lengthField, uint16_t id, const Bytes& payload = {});
// A well-formed chunk.
Bytes chunkBytes(uint16_t id, const Bytes& payload = {});
Bytes dwordBytes(uint32_t value);

struct TestChunk {
    uint16_t id = 0;
    Bytes payload;
};

class LoopbackPeer {
public:
    static constexpr std::chrono::milliseconds kWait{2000};

    LoopbackPeer() = default;
    explicit LoopbackPeer(int fd) : m_fd(fd) {}
    ~LoopbackPeer();
    LoopbackPeer(const LoopbackPeer&) = delete;
    LoopbackPeer& operator=(const LoopbackPeer&) = delete;

    // receiveBuffer > 0 shrinks the kernel's receive buffer (a slow reader).
    bool connect(uint16_t port, int receiveBuffer = 0);
    bool isOpen() const { return m_fd >= 0; }

    bool send(const Bytes& bytes);
    bool sendChunk(uint16_t id, const Bytes& payload = {}) { return send(chunkBytes(id, payload)); }
    // The next chunk within the wait; nothing on time-out or close.
    std::optional<TestChunk> read(std::chrono::milliseconds wait = kWait);
    // Reads chunks until one with this id arrives (others are skipped).
    std::optional<TestChunk> readId(uint16_t id, std::chrono::milliseconds wait = kWait);
    // The other side closed the connection within the wait (chunks before
    // the close are dropped).
    bool closedWithin(std::chrono::milliseconds wait = kWait);
    // No byte arrives for the whole wait and the connection stays open.
    bool silentFor(std::chrono::milliseconds wait);

    void close();
    // Closes with a reset instead of an orderly close.
    void reset();

private:
    // Waits for more bytes: false on time-out or close.
    bool fill(std::chrono::steady_clock::time_point deadline);

    int m_fd = -1;
    bool m_eof = false;
    Bytes m_buffer;
};

// A listening socket on 127.0.0.1 with an ephemeral port.
class LoopbackListener {
public:
    LoopbackListener();
    ~LoopbackListener();
    uint16_t port() const { return m_port; }
    // The next connection within the wait, or null.
    int accept(std::chrono::milliseconds wait = LoopbackPeer::kWait);

private:
    int m_fd = -1;
    uint16_t m_port = 0;
};

// Open descriptors and threads of this process, for leak checks.
int openDescriptorCount();
int threadCount();
