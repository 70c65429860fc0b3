#pragma once
#include "game/net/ChunkReader.h"
#include "game/net/ChunkWriter.h"
#include "game/net/NetHandler.h"
#include "platform/net/ClientSocket.h"

#include <atomic>
#include <bitset>
#include <mutex>
#include <string>
#include <vector>

class NetValue;

// The game's connection to a relay: joins as host or guest, frames outgoing
// messages, hands received ones to the registered handlers or replicated
// values, and keeps the state that the menus and the race show.
//
// The network lock is recursive: handlers run under it on the receive
// thread and may send, lock the game or disconnect; the race frame holds it
// for its whole update. Nothing that holds it may connect (connect waits for
// the old receive thread).
class NetControl : public ClientSocket {
public:
    enum State {
        StateOk = 0,           // also after a connect whose socket dropped before any reply
        StateRefused = 1,      // refused by the relay, or no reply within 5 s
        StateHostLeft = 3,
        StatePlayerLeft = 4,   // another player left a locked game; the others play on
        StateDisconnected = 5, // this side left
        StateNoConnection = 6, // the name did not resolve or the TCP connect failed
    };
    static constexpr double kConnectWait = 5.0;
    static constexpr int32_t kSlotCount = 6;

    // The game's one instance, made on first use.
    static NetControl& getInstance();
    // Further instances serve tests and tools; they connect to the port the
    // environment names (VORLUND_RELAY_PORT) unless told otherwise.
    NetControl();
    ~NetControl() override;

    void setPort(uint16_t port) { m_port = port; }
    bool connect(const std::string& host, bool asHost);
    void disconnect();
    int32_t getState() const { return m_state.load(); }
    int32_t getOwnSlot() const { return m_ownSlot.load(); }
    bool isResyncDone() const { return m_resyncDone.load(); }
    int32_t getBarrier() const { return m_barrier.load(); }
    // The slots (bit n for slot n) whose players left the locked game since
    // the last call.
    uint32_t takeDepartedSlots() { return m_departedSlots.exchange(0); }
    // Bytes handed to the connection since it was made.
    uint64_t bytesSent() const { return m_bytesSent.load(); }

    // Handlers: the first entry with an id wins; the control owns them.
    void addHandler(int32_t nid, int32_t size, NetHandler* handler);
    void addHandler(const HandlerEntry& entry) { addHandler(entry.id, entry.size, entry.handler); }
    void removeHandler(int32_t nid);

    void addValue(NetValue* value);
    void removeValue(NetValue* value);
    NetValue* getValueId(int32_t id);

    // One chunk at a time, built and sent under the network lock: beginChunk
    // takes the lock and sendChunk releases it.
    void beginChunk(int32_t nid);
    void writeByte(uint8_t value);
    void writeWord(uint16_t value);
    void writeDword(uint32_t value);
    void writeFloat(float value);
    void sendChunk();

    // Payload bytes of the chunk being handled.
    int32_t readChunkSize() const { return m_reader.chunkSize(); }
    void setGameLocked(bool locked);
    // Sends the changed replicated values and commits all of them; the race
    // calls it once per frame after it released the lock.
    void sendValues();

    std::recursive_mutex& getLock() { return m_lock; }

    int32_t onReceive(const uint8_t* data, int32_t size) override;
    void onDisconnect() override;
    void onConnected() override;

private:
    // Handles one whole chunk; false ends the connection.
    bool handleChunk();
    void dispatch(uint16_t nid);

    std::recursive_mutex m_lock;
    uint16_t m_port;
    std::vector<NetValue*> m_netValue;
    std::vector<HandlerEntry> m_handlers;
    // Handlers removed while a handler runs are freed once it returned.
    std::vector<NetHandler*> m_retired;
    int m_dispatching = 0;
    ChunkReader m_reader;
    ChunkWriter m_writer;
    bool m_chunkOpen = false;
    std::vector<uint8_t> m_payload;
    // The ids that reached no handler and no value, already told.
    std::bitset<2000> m_unknownIds;

    std::atomic<int32_t> m_state{StateOk};
    std::atomic<bool> m_accepted{false}, m_refused{false}, m_resyncDone{false};
    std::atomic<int32_t> m_barrier{0};
    std::atomic<int32_t> m_ownSlot{0};
    std::atomic<uint32_t> m_departedSlots{0};
    std::atomic<uint64_t> m_bytesSent{0};
};
