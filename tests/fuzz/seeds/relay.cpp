// Seeds for the relay: scripts of a host and guests joining, forwarding,
// locking, asking for a resend, waiting at a barrier and leaving, and a
// lobby that fills and starts a race whose messages then go round.
#include "SeedRegistry.h"

#include "game/net/ChunkWriter.h"

#include <initializer_list>

namespace {

using Script = std::vector<unsigned char>;

void connect(Script& s, int connection)
{
    s.push_back(uint8_t(connection));
}

void addChunk(Script& s, int connection, int id, std::initializer_list<uint8_t> payload = {})
{
    ChunkWriter writer;
    writer.beginChunk(id);
    for (const uint8_t byte : payload)
        writer.writeByte(byte);
    writer.finish();
    s.push_back(uint8_t(0x08 | connection));
    s.push_back(uint8_t(writer.data().size()));
    s.insert(s.end(), writer.data().begin(), writer.data().end());
}

void end(Script& s, int connection)
{
    s.push_back(uint8_t(0x10 | connection));
}

} // namespace

VORLUND_SEEDS(fuzz_relay)
{
    Script game;
    for (int c = 0; c < 4; ++c)
        connect(game, c);
    addChunk(game, 0, 1);
    addChunk(game, 1, 2);
    addChunk(game, 2, 2);
    addChunk(game, 1, 26, {3});
    addChunk(game, 0, 37, {1, 2, 3, 4, 5, 6, 7, 8});
    addChunk(game, 2, 8);
    addChunk(game, 0, 10, {1});
    addChunk(game, 3, 2);
    addChunk(game, 0, 11, {1, 0, 0, 0});
    addChunk(game, 1, 11, {1, 0, 0, 0});
    addChunk(game, 2, 11, {1, 0, 0, 0});
    end(game, 2);
    addChunk(game, 1, 6);
    addChunk(game, 3, 1);
    seeds::writeFile(dir / "game", game);

    Script lan;
    connect(lan, 0);
    connect(lan, 1);
    addChunk(lan, 0, 1);
    addChunk(lan, 1, 2);
    addChunk(lan, 1, 28);
    for (int id : {21, 22, 24, 26})
        addChunk(lan, 0, id, {uint8_t(id == 24 ? 5 : 0)});
    addChunk(lan, 1, 23, {1, 2});
    addChunk(lan, 1, 25, {1, 'G', 'u', 'e', 's', 't'});
    addChunk(lan, 1, 27, {1, 1});
    addChunk(lan, 0, 29, {2});
    addChunk(lan, 0, 10, {1});
    addChunk(lan, 1, 31, {2});
    addChunk(lan, 1, 32, {0});
    addChunk(lan, 1, 33, {0, 3, 2, 0});
    addChunk(lan, 1, 34, {2, 0x86, 0, 0, 0x80, 0x3F, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x40, 0x40});
    addChunk(lan, 1, 35, {2, 6, 0, 0, 0x80, 0xBF});
    addChunk(lan, 1, 36, {2, 0, 0, 0x48, 0x42});
    addChunk(lan, 1, 37, {2, 0, 0, 0x20, 0x41, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80, 0x3F,
                          0, 0, 0x80, 0xBF, 0, 0, 0, 0, 0, 0, 0, 0});
    addChunk(lan, 1, 38, {2, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80, 0x3F});
    addChunk(lan, 1, 30, {1});
    end(lan, 1);
    seeds::writeFile(dir / "lan", lan);

    Script full;
    for (int c = 0; c < 8; ++c) {
        connect(full, c);
        addChunk(full, c, c == 0 ? 1 : 2);
    }
    full.push_back(0xE0); // time passes
    seeds::writeFile(dir / "full", full);
}
