#include "game/net/NetControl.h"

#include "engine/core/base/Report.h"
#include "game/app/Timer.h"
#include "game/net/NetValue.h"
#include "game/net/RelayConfig.h"
#include "game/net/RelayCore.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

using namespace relaymsg;

NetControl& NetControl::getInstance()
{
    static NetControl instance;
    return instance;
}

NetControl::NetControl()
    : m_port(RelayConfig::fromEnvironment().port)
{
}

NetControl::~NetControl()
{
    closeSocket();
    for (HandlerEntry& entry : m_handlers)
        delete entry.handler;
    for (NetHandler* handler : m_retired)
        delete handler;
}

void NetControl::onDisconnect() {}

void NetControl::onConnected() {}

bool NetControl::connect(const std::string& host, bool asHost)
{
    if (onReceiveThread())
        return false;
    m_ownSlot = 0;
    m_departedSlots = 0;
    m_bytesSent = 0;
    m_resyncDone = false;
    m_accepted = false;
    m_refused = false;
    m_state = StateOk;
    // The old receive thread ends before the reader starts over.
    closeSocket();
    {
        std::lock_guard<std::recursive_mutex> guard(m_lock);
        m_reader.clear();
        m_unknownIds.reset();
    }
    if (!ClientSocket::connect(host.c_str(), m_port, kReceiveThread | kNoDelay)) {
        m_state = StateNoConnection;
        return false;
    }
    beginChunk(asHost ? kJoinHost : kJoinGuest);
    sendChunk();

    Timer timer;
    timer.start();
    while (timer.getSeconds() < kConnectWait) {
        if (m_accepted || m_refused || !isConnected())
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (m_refused) {
        m_state = StateRefused;
        return false;
    }
    if (!isConnected()) {
        m_state = StateOk;
        return false;
    }
    if (m_accepted)
        return true;
    disconnect();
    m_state = StateRefused;
    return false;
}

void NetControl::disconnect()
{
    beginChunk(kLeave);
    sendChunk();
    m_state = StateDisconnected;
    Socket::disconnect();
}

void NetControl::addHandler(int32_t nid, int32_t size, NetHandler* handler)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    m_handlers.push_back({nid, size, handler});
}

void NetControl::removeHandler(int32_t nid)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    const auto it = std::find_if(m_handlers.begin(), m_handlers.end(), [&](const HandlerEntry& e) { return e.id == nid; });
    if (it == m_handlers.end())
        return;
    if (m_dispatching)
        m_retired.push_back(it->handler);
    else
        delete it->handler;
    m_handlers.erase(it);
}

void NetControl::addValue(NetValue* value)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    m_netValue.push_back(value);
}

// By identity: values that share an id (none yet given is -1) must not
// unregister one another.
void NetControl::removeValue(NetValue* value)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    const auto it = std::find(m_netValue.begin(), m_netValue.end(), value);
    if (it != m_netValue.end())
        m_netValue.erase(it);
}

NetValue* NetControl::getValueId(int32_t id)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    for (NetValue* value : m_netValue)
        if (value->getId() == id)
            return value;
    return nullptr;
}

void NetControl::beginChunk(int32_t nid)
{
    m_lock.lock();
    if (m_chunkOpen) {
        // A chunk begun and never sent by this thread: it is dropped, and
        // the lock it holds serves the new one.
        reportAssertion("\"m_writeData.empty()\"");
        m_lock.unlock();
    }
    m_chunkOpen = true;
    if (!m_writer.beginChunk(nid))
        reportAssertion("\"nid < 2000\" && \"nid >= 0\"");
}

void NetControl::writeByte(uint8_t value)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    m_writer.writeByte(value);
}

void NetControl::writeWord(uint16_t value)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    m_writer.writeWord(value);
}

void NetControl::writeDword(uint32_t value)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    m_writer.writeDword(value);
}

void NetControl::writeFloat(float value)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    m_writer.writeFloat(value);
}

void NetControl::sendChunk()
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (!m_chunkOpen)
        return;
    if (m_writer.finish()) {
        send(m_writer.data().data(), int32_t(m_writer.data().size()));
        m_bytesSent += m_writer.data().size();
    }
    m_writer.clear();
    m_chunkOpen = false;
    m_lock.unlock(); // the hold taken by beginChunk
}

void NetControl::setGameLocked(bool locked)
{
    beginChunk(kLock);
    writeByte(locked ? 1 : 0);
    sendChunk();
}

void NetControl::sendValues()
{
    if (!isConnected())
        return;
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    for (NetValue* value : m_netValue) {
        if ((value->getFlags() & NetValue::kSendChanges) && value->isDirty() && value->getId() != -1) {
            beginChunk(value->getId());
            const uint8_t* bytes = value->data();
            for (int32_t i = 0; i < value->size(); ++i)
                m_writer.writeByte(bytes[i]);
            sendChunk();
        }
    }
    for (NetValue* value : m_netValue)
        value->commit();
}

int32_t NetControl::onReceive(const uint8_t* data, int32_t size)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    m_reader.append(data, size_t(size));
    while (m_reader.hasChunk()) {
        if (!handleChunk()) {
            stopReading();
            return size;
        }
    }
    // A length no chunk can have: the stream cannot be followed any more.
    if (m_reader.framingError())
        stopReading();
    return size;
}

bool NetControl::handleChunk()
{
    m_reader.beginRead();
    const uint16_t nid = m_reader.readWord();
    const int32_t payload = m_reader.chunkSize();
    switch (nid) {
    case kAccepted:
        // Only a slot that exists, and only as the answer to the join.
        if (payload == 1 && !m_accepted && !m_refused) {
            const uint8_t slot = m_reader.readByte();
            if (slot >= kSlotCount) {
                m_refused = true;
                m_reader.endRead();
                return false;
            }
            m_ownSlot = slot;
            m_accepted = true;
        }
        break;
    case kRefused:
        if (!m_accepted)
            m_refused = true;
        break;
    case kLeave:
        // The host's departure ends the game; another player's leaves the
        // rest playing on.
        if (payload == 1) {
            const uint8_t slot = m_reader.readByte();
            if (slot == 0) {
                m_state = StateHostLeft;
                m_reader.endRead();
                return false;
            }
            m_state = StatePlayerLeft;
            if (slot < kSlotCount)
                m_departedSlots |= 1u << slot;
        }
        break;
    case kResendDone:
        m_resyncDone = true;
        break;
    case kBarrier:
        if (payload == 4)
            m_barrier = int32_t(m_reader.readDword());
        break;
    default:
        dispatch(nid);
        break;
    }
    m_reader.endRead();
    return true;
}

// A handler or value gets exactly the size it was registered with: fixed
// size handlers read their fields without checking the length again.
void NetControl::dispatch(uint16_t nid)
{
    const int32_t size = m_reader.chunkSize();
    for (const HandlerEntry& entry : m_handlers) {
        if (entry.id != nid)
            continue;
        if (entry.size != -1 && entry.size != size) {
            reportAssertion("\"network error: wrong chunk size!\"");
            return;
        }
        m_payload.assign(m_reader.remaining(), m_reader.remaining() + size);
        NetHandler* handler = entry.handler;
        ++m_dispatching;
        (*handler)(m_payload.data(), size);
        if (--m_dispatching == 0) {
            for (NetHandler* retired : m_retired)
                delete retired;
            m_retired.clear();
        }
        return;
    }
    for (NetValue* value : m_netValue) {
        if (value->getId() != nid)
            continue;
        if (size != value->size()) {
            reportAssertion("readChunkSize() == m_netValue[i]->size()");
            return;
        }
        m_payload.assign(m_reader.remaining(), m_reader.remaining() + size);
        value->setReceived(m_payload.data(), uint32_t(size));
        return;
    }
    // Told once per id and connection (a race still loading meets many of
    // the other machines' poses), on standard error: the engine log belongs
    // to the main thread.
    if (nid < m_unknownIds.size() && !m_unknownIds[nid]) {
        m_unknownIds[nid] = true;
        std::fprintf(stderr, "value not present: %u\n", unsigned(nid));
    }
}
