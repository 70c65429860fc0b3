#pragma once
#include <cstdint>
#include <string>

// The lobby's messages as they come off the network, checked before any of
// their values reaches the lobby: each names a slot that exists, a kart of
// the configuration, a class, laps, game kind and track the lobby offers,
// and has its own length.
namespace lobby {

enum Message : int32_t {
    Ccm = 21, Game = 22, Kart = 23, Laps = 24, Name = 25,
    Track = 26, Ready = 27, StateRequest = 28, Start = 29, Leave = 30,
};
constexpr int32_t kSlots = 7;
// As long as the name box lets a name be.
constexpr size_t kMaxNameLength = 12;

// What the receiving lobby offers.
struct Limits {
    int32_t karts = 0;
    // Tracks in the list of the lobby's current game kind.
    int32_t tracks = 0;
};

// A message's values: the slot it names (-1 none), its one value, and for a
// name message the name's characters (their code points' low bytes).
struct Fields {
    int32_t slot = -1;
    int32_t value = 0;
    std::string name;
};

// The payload size each message is registered with (-1: any); 0 for ids
// that are no lobby message.
int32_t payloadSize(int32_t id);

// False, with a report naming the message and why, when the message is
// refused.
bool decode(int32_t id, const uint8_t* payload, int32_t size, const Limits& limits, Fields& out);

} // namespace lobby
