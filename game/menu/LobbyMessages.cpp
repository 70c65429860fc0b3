#include "game/menu/LobbyMessages.h"

#include "engine/core/base/Report.h"

namespace lobby {

namespace {

bool refuse(int32_t id, const std::string& why)
{
    reportError(("lobby message " + std::to_string(id) + " refused: " + why).c_str());
    return false;
}

bool lengthIs(int32_t id, int32_t size, int32_t expected)
{
    return size == expected || refuse(id, "it is " + std::to_string(size) + " bytes long");
}

bool slotOf(int32_t id, const uint8_t* payload, Fields& out)
{
    out.slot = int8_t(payload[0]);
    return (out.slot >= 0 && out.slot < kSlots) || refuse(id, "slot " + std::to_string(out.slot) + " does not exist");
}

bool inRange(int32_t id, int32_t value, int32_t first, int32_t last, const char* what)
{
    return (value >= first && value <= last) ||
           refuse(id, std::string(what) + " " + std::to_string(value) + " does not exist");
}

} // namespace

int32_t payloadSize(int32_t id)
{
    switch (id) {
    case Kart:
    case Ready: return 2;
    case Name: return -1;
    case StateRequest: return 0;
    case Ccm:
    case Game:
    case Laps:
    case Track:
    case Start:
    case Leave: return 1;
    default: return 0;
    }
}

bool decode(int32_t id, const uint8_t* payload, int32_t size, const Limits& limits, Fields& out)
{
    out = Fields();
    switch (id) {
    case Ccm:
        return lengthIs(id, size, 1) && inRange(id, out.value = int8_t(payload[0]), 0, 2, "class");
    case Game:
        if (!lengthIs(id, size, 1))
            return false;
        out.value = int8_t(payload[0]);
        return out.value == 0 || out.value == 3 || refuse(id, "game kind " + std::to_string(out.value) + " does not exist");
    case Laps:
        if (!lengthIs(id, size, 1))
            return false;
        out.value = int8_t(payload[0]);
        return out.value == 3 || out.value == 5 || out.value == 8 ||
               refuse(id, std::to_string(out.value) + " laps cannot be chosen");
    case Track:
        return lengthIs(id, size, 1) && inRange(id, out.value = int8_t(payload[0]), 0, limits.tracks - 1, "track");
    case Start:
        return lengthIs(id, size, 1) && inRange(id, out.value = int8_t(payload[0]), 1, kSlots, "player count");
    case Leave:
        return lengthIs(id, size, 1) && slotOf(id, payload, out);
    case Kart:
        return lengthIs(id, size, 2) && slotOf(id, payload, out) &&
               inRange(id, out.value = int8_t(payload[1]), -1, limits.karts - 1, "kart");
    case Ready:
        return lengthIs(id, size, 2) && slotOf(id, payload, out) &&
               inRange(id, out.value = int8_t(payload[1]), 0, 2, "ready state");
    case Name:
        if (size < 1)
            return refuse(id, "it is empty");
        if (!slotOf(id, payload, out))
            return false;
        for (int32_t i = 1; i < size && size_t(i) <= kMaxNameLength; ++i)
            out.name.push_back(char(payload[i]));
        return true;
    case StateRequest:
        return lengthIs(id, size, 0);
    default:
        return refuse(id, "it is no lobby message");
    }
}

} // namespace lobby
