#pragma once
#include "game/net/ChunkReader.h"

// Builds one chunk at a time: a length placeholder, the id, the fields.
class ChunkWriter {
public:
    // Starts a chunk; false (and nothing started) for an id outside 0..1999.
    bool beginChunk(int32_t nid);
    void writeByte(uint8_t value);
    void writeWord(uint16_t value);
    void writeDword(uint32_t value);
    void writeFloat(float value);
    void writeBytes(const uint8_t* data, size_t size);

    // Writes the length into the header. False when nothing was started or
    // the fields outgrew a chunk; the chunk is then dropped.
    bool finish();
    const std::vector<uint8_t>& data() const { return m_writeData; }
    bool empty() const { return m_writeData.empty(); }
    void clear();

private:
    std::vector<uint8_t> m_writeData;
    bool m_overflow = false;
};
