#include "game/menu/LobbyInbox.h"

namespace {

// More than a lobby ever has in flight: the state answer is 25 messages.
constexpr size_t kMaxWaiting = 4096;

} // namespace

void LobbyInbox::Handler::operator()(const uint8_t* payload, int32_t size)
{
    m_inbox.post(m_id, payload, size);
}

void LobbyInbox::post(int32_t id, const uint8_t* payload, int32_t size)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    // A peer that floods the lobby loses its oldest news, not our memory.
    if (m_messages.size() >= kMaxWaiting)
        m_messages.pop_front();
    m_messages.push_back({id, std::vector<uint8_t>(payload, payload + (size > 0 ? size : 0))});
}

std::deque<LobbyInbox::Message> LobbyInbox::take()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::deque<Message> out;
    out.swap(m_messages);
    return out;
}

void LobbyInbox::clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_messages.clear();
}
