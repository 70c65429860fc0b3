#pragma once
#include "game/net/ChunkReader.h"

#include <array>
#include <map>

// Where the relay's decisions go: bytes for a connection, or its end.
class RelayOutbox {
public:
    virtual ~RelayOutbox() = default;
    virtual void send(uint32_t connection, const uint8_t* data, size_t size) = 0;
    // The relay is done with the connection: write out what is queued, then
    // shut it down.
    virtual void close(uint32_t connection) = 0;
};

// Protocol message ids (1-11); lobby, race and value ids lie above.
namespace relaymsg {
constexpr uint16_t kJoinHost = 1;
constexpr uint16_t kJoinGuest = 2;
constexpr uint16_t kAccepted = 3;
constexpr uint16_t kRefused = 4;
constexpr uint16_t kLeave = 6;
constexpr uint16_t kIgnored = 7;
constexpr uint16_t kResend = 8;
constexpr uint16_t kResendDone = 9;
constexpr uint16_t kLock = 10;
constexpr uint16_t kBarrier = 11;
// Ids up to this one are the protocol's own and never forwarded.
constexpr uint16_t kLastProtocolId = 11;
} // namespace relaymsg

// The relay's state and its handling of every chunk, free of sockets and
// threads: connections are numbers, time is passed in, and every reply,
// forward and close goes to an outbox in order. The caller serialises calls
// (the relay lock).
//
// A game is a star: the host takes slot 0, guests slots 1-5. The relay
// forwards every game message to the other occupied slots and keeps its last
// payload per id, so a late client can ask for all of them again.
class RelayCore {
public:
    static constexpr int32_t kSlotCount = 6;

    explicit RelayCore(double unjoinedTimeout = 10.0) : m_unjoinedTimeout(unjoinedTimeout) {}

    void connect(uint32_t connection, double now);
    void receive(uint32_t connection, const uint8_t* data, size_t size, double now, RelayOutbox& out);
    // The connection ended, whatever the cause. Frees its slot once.
    void disconnect(uint32_t connection, RelayOutbox& out);
    // Closes connections that have held no slot for the time-out.
    void expire(double now, RelayOutbox& out);

    int32_t slotOf(uint32_t connection) const;
    bool isLocked() const { return m_locked; }
    const std::vector<uint8_t>& lastValue(int32_t id) const { return m_lastValue[size_t(id)]; }
    size_t connectionCount() const { return m_connections.size(); }

private:
    struct Connection {
        int32_t slot = -1;
        bool closed = false;
        bool waiting = false; // sent a barrier that is not yet answered
        uint32_t barrierValue = 0;
        double unjoinedSince = 0.0;
        ChunkReader reader;
    };
    static constexpr uint32_t kFree = ~0u;

    // Handles one chunk; false when the connection must be dropped.
    bool handleChunk(uint32_t id, Connection& c, double now, RelayOutbox& out);
    void joinHost(uint32_t id, Connection& c, double now, RelayOutbox& out);
    void joinGuest(uint32_t id, Connection& c, RelayOutbox& out);
    void forward(uint32_t id, const Connection& c, uint16_t nid, RelayOutbox& out);
    void resend(uint32_t id, RelayOutbox& out);
    // Ends a connection: frees its slot, announces it, closes it.
    void end(uint32_t id, Connection& c, RelayOutbox& out);
    void releaseSlot(Connection& c, RelayOutbox& out);
    void releaseBarriers(RelayOutbox& out);
    void sendChunk(uint32_t to, uint16_t nid, const uint8_t* payload, size_t size, RelayOutbox& out);

    double m_unjoinedTimeout;
    std::map<uint32_t, Connection> m_connections;
    std::array<uint32_t, kSlotCount> m_slots{kFree, kFree, kFree, kFree, kFree, kFree};
    bool m_locked = false;
    // The last payload of every id; the ids and the chunk length bound them
    // (2000 payloads under 32000 bytes).
    std::array<std::vector<uint8_t>, chunk::kIdCount> m_lastValue;
};
