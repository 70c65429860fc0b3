#pragma once
// game/net: the LAN protocol: chunk framing, the relay server that every
// copy of the game runs, the client connection NetControl with its message
// handlers and replicated values. Sockets come from platform/net.
#include <cstddef>
#include <cstdint>
#include <vector>

// Every unit on the wire is a chunk: u16 total length (header included),
// u16 message id, payload; all values little-endian.
namespace chunk {
constexpr int32_t kHeaderBytes = 4;
// A chunk is shorter than 32000 bytes.
constexpr int32_t kMaxBytes = 31999;
constexpr int32_t kMaxPayload = kMaxBytes - kHeaderBytes;
// Message ids are below 2000.
constexpr int32_t kIdCount = 2000;
} // namespace chunk

// Reassembles chunks from received blocks and reads their fields. Lengths
// are checked where the bytes enter: a length outside 4..31999 is a framing
// error that no later bytes can repair, and a read past the chunk's payload
// yields 0 and marks the chunk as overrun.
class ChunkReader {
public:
    void append(const uint8_t* data, size_t size);
    void clear();

    // A whole chunk with a valid length is buffered.
    bool hasChunk() const;
    // The buffered length field can never start a valid chunk.
    bool framingError() const;

    // Starts on the first buffered chunk (hasChunk must hold); the next
    // readWord yields its message id.
    void beginRead();
    uint8_t readByte();
    uint16_t readWord();
    uint32_t readDword();
    float readFloat();
    // Removes the chunk; false when a read went past its payload.
    bool endRead();

    bool overrun() const { return m_overrun; }
    // The unread rest of the chunk being read.
    const uint8_t* remaining() const { return m_buffer.data() + m_head + size_t(m_readBufferPos); }
    int32_t remainingSize() const { return m_readLen - m_readBufferPos; }
    // Payload bytes of the chunk being read.
    int32_t chunkSize() const { return m_readLen - chunk::kHeaderBytes; }
    size_t buffered() const { return m_buffer.size() - m_head; }

private:
    uint32_t lengthField() const;
    bool take(int32_t count);

    std::vector<uint8_t> m_buffer;
    size_t m_head = 0;
    int32_t m_readLen = -1;
    int32_t m_readBufferPos = -1;
    bool m_overrun = false;
};
