// Feeds arbitrary traffic to the relay's chunk handling: the input is a
// script of steps, each naming one of eight connections and what happens to
// it (connect, a block of bytes, an end, time passing). Every reply and
// forward it produces is framed again by a chunk reader, as a client would,
// and what a client would hand to its lobby or race goes there: the lobby's
// checks, and the handlers of a race of three karts (the last of them driven
// by another machine).
#include "engine/core/base/Report.h"
#include "game/app/RaceSetup.h"
#include "game/menu/LobbyMessages.h"
#include "game/net/ChunkReader.h"
#include "game/net/RelayCore.h"
#include "game/race/Kart.h"
#include "game/race/KartController.h"
#include "game/race/Race.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

namespace {

// A race without a level: its karts have no parts, which the handlers must
// bear as they bear any kart.
Race& race()
{
    static Race* race = [] {
        resetReportSwitch();
        reportLevel = 3;
        reportToText = 1;
        static RaceSetup setup;
        setup.mode = 2;
        setup.gameType = Race::LastManStanding;
        auto* r = new Race(nullptr, nullptr);
        r->m_setup = &setup;
        for (int32_t i = 0; i < 3; ++i) {
            KartController* driver = i == 2 ? new KartController() : nullptr;
            r->m_karts[i] = new Kart(nullptr, nullptr, i, nullptr, driver, driver, nullptr, nullptr, 0);
        }
        r->m_kartCount = 3;
        return r;
    }();
    return *race;
}

void deliver(uint16_t id, const uint8_t* payload, int32_t size)
{
    using Handler = void (Race::*)(const uint8_t*, int32_t);
    static const std::map<uint16_t, Handler> handlers = {
        {31, &Race::onReadyMessage},     {32, &Race::onUnusedMessage}, {33, &Race::onHitMessage},
        {34, &Race::onAnimationMessage}, {35, &Race::onAnimationEndMessage}, {36, &Race::onFinishMessage},
        {37, &Race::onPoseMessage},      {38, &Race::onSpawnMessage},
    };
    if (lobby::payloadSize(id) != 0 || id == lobby::StateRequest) {
        lobby::Limits limits;
        limits.karts = 7;
        limits.tracks = 6;
        lobby::Fields f;
        if (lobby::decode(id, payload, size, limits, f)) {
            const bool slotNamed = id == lobby::Kart || id == lobby::Name || id == lobby::Ready || id == lobby::Leave;
            if (slotNamed && (f.slot < 0 || f.slot >= lobby::kSlots))
                __builtin_trap();
            if (f.name.size() > lobby::kMaxNameLength)
                __builtin_trap();
        }
        return;
    }
    const auto it = handlers.find(id);
    if (it != handlers.end())
        (race().*(it->second))(payload, size);
}

class CheckingOutbox : public RelayOutbox {
public:
    void send(uint32_t connection, const uint8_t* data, size_t size) override
    {
        ChunkReader& reader = m_readers[connection];
        reader.append(data, size);
        while (reader.hasChunk()) {
            reader.beginRead();
            const uint16_t id = reader.readWord();
            if (id >= chunk::kIdCount)
                __builtin_trap();
            const int32_t size = reader.chunkSize();
            m_payload.assign(reader.remaining(), reader.remaining() + size);
            deliver(id, m_payload.data(), size);
            reader.endRead();
        }
        if (reader.framingError())
            __builtin_trap();
    }
    void close(uint32_t connection) override { m_readers.erase(connection); }

private:
    std::map<uint32_t, ChunkReader> m_readers;
    std::vector<uint8_t> m_payload;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    RelayCore relay(1.0);
    CheckingOutbox out;
    double now = 0.0;
    size_t at = 0;
    while (at < size) {
        const uint8_t step = data[at++];
        const uint32_t connection = step & 7;
        switch (step >> 3 & 3) {
        case 0:
            relay.connect(connection, now);
            break;
        case 1: {
            const size_t length = at < size ? data[at++] : 0;
            const size_t taken = length < size - at ? length : size - at;
            relay.receive(connection, data + at, taken, now, out);
            at += taken;
            break;
        }
        case 2:
            relay.disconnect(connection, out);
            break;
        default:
            now += 0.25 * double(step >> 5);
            relay.expire(now, out);
            break;
        }
    }
    return 0;
}
