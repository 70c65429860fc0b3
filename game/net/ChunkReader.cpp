#include "game/net/ChunkReader.h"
#include "platform/memory/LittleEndian.h"

#include <cstring>

void ChunkReader::append(const uint8_t* data, size_t size)
{
    if (m_head > 0 && m_head >= m_buffer.size() / 2) {
        m_buffer.erase(m_buffer.begin(), m_buffer.begin() + ptrdiff_t(m_head));
        m_head = 0;
    }
    m_buffer.insert(m_buffer.end(), data, data + size);
}

void ChunkReader::clear()
{
    m_buffer.clear();
    m_head = 0;
    m_readLen = -1;
    m_readBufferPos = -1;
    m_overrun = false;
}

uint32_t ChunkReader::lengthField() const
{
    return uint32_t(m_buffer[m_head]) | uint32_t(m_buffer[m_head + 1]) << 8;
}

bool ChunkReader::framingError() const
{
    if (buffered() < 2)
        return false;
    const uint32_t length = lengthField();
    return length < uint32_t(chunk::kHeaderBytes) || length > uint32_t(chunk::kMaxBytes);
}

bool ChunkReader::hasChunk() const
{
    return buffered() >= 2 && !framingError() && buffered() >= lengthField();
}

void ChunkReader::beginRead()
{
    m_readLen = int32_t(lengthField());
    m_readBufferPos = 2;
    m_overrun = false;
}

bool ChunkReader::take(int32_t count)
{
    if (m_readLen < 0 || m_readBufferPos + count > m_readLen) {
        m_overrun = true;
        return false;
    }
    return true;
}

uint8_t ChunkReader::readByte()
{
    if (!take(1))
        return 0;
    return m_buffer[m_head + size_t(m_readBufferPos++)];
}

uint16_t ChunkReader::readWord()
{
    if (!take(2))
        return 0;
    const uint8_t* p = &m_buffer[m_head + size_t(m_readBufferPos)];
    m_readBufferPos += 2;
    return readLe16(p);
}

uint32_t ChunkReader::readDword()
{
    if (!take(4))
        return 0;
    const uint8_t* p = &m_buffer[m_head + size_t(m_readBufferPos)];
    m_readBufferPos += 4;
    return readLe32(p);
}

float ChunkReader::readFloat()
{
    const uint32_t bits = readDword();
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

bool ChunkReader::endRead()
{
    if (m_readLen > 0)
        m_head += size_t(m_readLen);
    if (m_head == m_buffer.size()) {
        m_buffer.clear();
        m_head = 0;
    }
    m_readLen = -1;
    m_readBufferPos = -1;
    return !m_overrun;
}
