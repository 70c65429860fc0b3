// Seeds for the relay: scripts of a host and guests joining, forwarding,
// locking, asking for a resend, waiting at a barrier and leaving.
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

    Script full;
    for (int c = 0; c < 8; ++c) {
        connect(full, c);
        addChunk(full, c, c == 0 ? 1 : 2);
    }
    full.push_back(0xE0); // time passes
    seeds::writeFile(dir / "full", full);
}
