#include "game/net/ChunkWriter.h"

#include <cstring>

bool ChunkWriter::beginChunk(int32_t nid)
{
    m_writeData.clear();
    m_overflow = false;
    if (nid < 0 || nid >= chunk::kIdCount)
        return false;
    m_writeData = {0, 0, uint8_t(nid), uint8_t(nid >> 8)};
    return true;
}

void ChunkWriter::writeBytes(const uint8_t* data, size_t size)
{
    if (m_writeData.empty() || m_overflow)
        return;
    if (m_writeData.size() + size > size_t(chunk::kMaxBytes)) {
        m_overflow = true;
        return;
    }
    m_writeData.insert(m_writeData.end(), data, data + size);
}

void ChunkWriter::writeByte(uint8_t value)
{
    writeBytes(&value, 1);
}

void ChunkWriter::writeWord(uint16_t value)
{
    const uint8_t bytes[2] = {uint8_t(value), uint8_t(value >> 8)};
    writeBytes(bytes, 2);
}

void ChunkWriter::writeDword(uint32_t value)
{
    const uint8_t bytes[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
    writeBytes(bytes, 4);
}

void ChunkWriter::writeFloat(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    writeDword(bits);
}

bool ChunkWriter::finish()
{
    if (m_writeData.empty() || m_overflow) {
        clear();
        return false;
    }
    const size_t size = m_writeData.size();
    m_writeData[0] = uint8_t(size);
    m_writeData[1] = uint8_t(size >> 8);
    return true;
}

void ChunkWriter::clear()
{
    m_writeData.clear();
    m_overflow = false;
}
