#pragma once
#include "game/net/NetHandler.h"

#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

// The lobby messages as they arrive: the network control's receive thread
// files them here, and the menu applies them on its own thread in its
// frame, where it may touch the GUI.
class LobbyInbox {
public:
    struct Message {
        int32_t id;
        std::vector<uint8_t> payload;
    };
    // A handler for the network control that files messages of one id.
    class Handler : public NetHandler {
    public:
        Handler(LobbyInbox& inbox, int32_t id) : m_inbox(inbox), m_id(id) {}
        void operator()(const uint8_t* payload, int32_t size) override;

    private:
        LobbyInbox& m_inbox;
        int32_t m_id;
    };

    void post(int32_t id, const uint8_t* payload, int32_t size);
    // Everything filed so far, oldest first; the inbox is empty after.
    std::deque<Message> take();
    void clear();

private:
    std::mutex m_mutex;
    std::deque<Message> m_messages;
};
