// Feeds arbitrary traffic to the relay's chunk handling: the input is a
// script of steps, each naming one of eight connections and what happens to
// it (connect, a block of bytes, an end, time passing). Every reply and
// forward it produces is framed again by a chunk reader, as a client would.
#include "game/net/ChunkReader.h"
#include "game/net/RelayCore.h"

#include <cstddef>
#include <cstdint>
#include <map>

namespace {

class CheckingOutbox : public RelayOutbox {
public:
    void send(uint32_t connection, const uint8_t* data, size_t size) override
    {
        ChunkReader& reader = m_readers[connection];
        reader.append(data, size);
        while (reader.hasChunk()) {
            reader.beginRead();
            if (reader.readWord() >= chunk::kIdCount)
                __builtin_trap();
            reader.endRead();
        }
        if (reader.framingError())
            __builtin_trap();
    }
    void close(uint32_t connection) override { m_readers.erase(connection); }

private:
    std::map<uint32_t, ChunkReader> m_readers;
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
