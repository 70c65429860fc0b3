#include "game/net/RelayCore.h"

#include "game/net/ChunkWriter.h"

using namespace relaymsg;

void RelayCore::connect(uint32_t connection, double now)
{
    Connection& c = m_connections[connection];
    c = Connection{};
    c.unjoinedSince = now;
}

int32_t RelayCore::slotOf(uint32_t connection) const
{
    const auto it = m_connections.find(connection);
    return it == m_connections.end() ? -1 : it->second.slot;
}

void RelayCore::sendChunk(uint32_t to, uint16_t nid, const uint8_t* payload, size_t size, RelayOutbox& out)
{
    ChunkWriter writer;
    writer.beginChunk(nid);
    writer.writeBytes(payload, size);
    if (writer.finish())
        out.send(to, writer.data().data(), writer.data().size());
}

void RelayCore::receive(uint32_t connection, const uint8_t* data, size_t size, double now, RelayOutbox& out)
{
    const auto it = m_connections.find(connection);
    if (it == m_connections.end() || it->second.closed)
        return;
    Connection& c = it->second;
    c.reader.append(data, size);
    while (!c.closed && c.reader.hasChunk()) {
        if (!handleChunk(connection, c, now, out)) {
            end(connection, c, out);
            return;
        }
    }
    // A length that can never frame a chunk leaves no way to find the next.
    if (!c.closed && c.reader.framingError())
        end(connection, c, out);
}

bool RelayCore::handleChunk(uint32_t id, Connection& c, double now, RelayOutbox& out)
{
    ChunkReader& r = c.reader;
    r.beginRead();
    const uint16_t nid = r.readWord();
    const bool joined = c.slot >= 0;
    switch (nid) {
    case kJoinHost:
    case kJoinGuest:
        r.endRead();
        // A connection joins once; a second join is refused like any other.
        if (joined) {
            sendChunk(id, kRefused, nullptr, 0, out);
            end(id, c, out);
        } else if (nid == kJoinHost) {
            joinHost(id, c, now, out);
        } else {
            joinGuest(id, c, out);
        }
        return true;
    case kLeave:
        r.endRead();
        end(id, c, out);
        return true;
    case kIgnored:
        r.readByte();
        break;
    case kResend:
        if (joined)
            resend(id, out);
        break;
    case kLock: {
        const uint8_t locked = r.readByte();
        if (joined && !r.overrun())
            m_locked = locked != 0;
        break;
    }
    case kBarrier: {
        const uint32_t value = r.readDword();
        if (joined && !r.overrun()) {
            c.waiting = true;
            c.barrierValue = value;
            releaseBarriers(out);
        }
        break;
    }
    default:
        // The protocol's own ids are never passed on, nor anything from a
        // connection outside the game.
        if (nid > kLastProtocolId && nid < chunk::kIdCount && joined)
            forward(id, c, nid, out);
        break;
    }
    return r.endRead();
}

void RelayCore::joinHost(uint32_t id, Connection& c, double now, RelayOutbox& out)
{
    if (m_slots[0] != kFree) {
        sendChunk(id, kRefused, nullptr, 0, out);
        end(id, c, out);
        return;
    }
    // A new game starts clean, even with guests of an earlier one still
    // connected: they keep their connections but hold no slot any more.
    for (auto& value : m_lastValue)
        std::vector<uint8_t>().swap(value);
    for (int32_t s = 1; s < kSlotCount; ++s) {
        if (m_slots[size_t(s)] == kFree)
            continue;
        Connection& demoted = m_connections[m_slots[size_t(s)]];
        demoted.slot = -1;
        demoted.waiting = false;
        demoted.unjoinedSince = now;
        m_slots[size_t(s)] = kFree;
    }
    m_slots[0] = id;
    c.slot = 0;
    m_locked = false;
    const uint8_t slot = 0;
    sendChunk(id, kAccepted, &slot, 1, out);
}

void RelayCore::joinGuest(uint32_t id, Connection& c, RelayOutbox& out)
{
    int32_t slot = -1;
    if (m_slots[0] != kFree && !m_locked) {
        for (int32_t s = 0; s < kSlotCount && slot < 0; ++s)
            if (m_slots[size_t(s)] == kFree)
                slot = s;
    }
    if (slot < 0) {
        sendChunk(id, kRefused, nullptr, 0, out);
        end(id, c, out);
        return;
    }
    m_slots[size_t(slot)] = id;
    c.slot = slot;
    const uint8_t reply = uint8_t(slot);
    sendChunk(id, kAccepted, &reply, 1, out);
}

void RelayCore::forward(uint32_t id, const Connection& c, uint16_t nid, RelayOutbox& out)
{
    const uint8_t* chunkBytes = c.reader.remaining() - chunk::kHeaderBytes;
    const int32_t payloadSize = c.reader.remainingSize();
    const size_t length = size_t(payloadSize) + chunk::kHeaderBytes;

    m_lastValue[nid].assign(chunkBytes + chunk::kHeaderBytes, chunkBytes + length);
    for (int32_t s = 0; s < kSlotCount; ++s) {
        const uint32_t to = m_slots[size_t(s)];
        if (to != kFree && s != c.slot)
            out.send(to, chunkBytes, length);
    }
}

void RelayCore::resend(uint32_t id, RelayOutbox& out)
{
    for (int32_t nid = 0; nid < chunk::kIdCount; ++nid) {
        const std::vector<uint8_t>& value = m_lastValue[size_t(nid)];
        if (!value.empty())
            sendChunk(id, uint16_t(nid), value.data(), value.size(), out);
    }
    sendChunk(id, kResendDone, nullptr, 0, out);
}

void RelayCore::releaseSlot(Connection& c, RelayOutbox& out)
{
    if (c.slot < 0)
        return;
    const int32_t slot = c.slot;
    // Only the holder frees its slot.
    const auto holder = m_connections.find(m_slots[size_t(slot)]);
    if (holder != m_connections.end() && &holder->second == &c)
        m_slots[size_t(slot)] = kFree;
    c.slot = -1;
    c.waiting = false;
    // A guest leaving an open lobby is announced by the lobby itself.
    if (slot == 0 || m_locked) {
        const uint8_t departed = uint8_t(slot);
        for (const uint32_t to : m_slots)
            if (to != kFree)
                sendChunk(to, kLeave, &departed, 1, out);
    }
    releaseBarriers(out);
}

void RelayCore::end(uint32_t id, Connection& c, RelayOutbox& out)
{
    if (c.closed)
        return;
    c.closed = true;
    releaseSlot(c, out);
    out.close(id);
}

void RelayCore::disconnect(uint32_t connection, RelayOutbox& out)
{
    const auto it = m_connections.find(connection);
    if (it == m_connections.end())
        return;
    it->second.closed = true;
    releaseSlot(it->second, out);
    m_connections.erase(it);
}

void RelayCore::expire(double now, RelayOutbox& out)
{
    for (auto& [id, c] : m_connections)
        if (!c.closed && c.slot < 0 && now - c.unjoinedSince >= m_unjoinedTimeout)
            end(id, c, out);
}

// A barrier is answered once every occupied slot waits with the same value;
// all of them are released together, so none misses the others' answer.
void RelayCore::releaseBarriers(RelayOutbox& out)
{
    bool any = false;
    uint32_t value = 0;
    for (const uint32_t id : m_slots) {
        if (id == kFree)
            continue;
        const Connection& c = m_connections[id];
        if (!c.waiting || (any && c.barrierValue != value))
            return;
        value = c.barrierValue;
        any = true;
    }
    if (!any)
        return;
    uint8_t payload[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
    for (const uint32_t id : m_slots) {
        if (id == kFree)
            continue;
        m_connections[id].waiting = false;
        sendChunk(id, kBarrier, payload, 4, out);
    }
}
