#include "game/net/NetPayload.h"
#include "platform/memory/LittleEndian.h"

#include <cmath>
#include <cstring>

bool NetPayload::take(int32_t count)
{
    if (!m_good || count > m_size - m_pos) {
        m_good = false;
        return false;
    }
    return true;
}

uint8_t NetPayload::readByte()
{
    return take(1) ? m_data[m_pos++] : 0;
}

uint16_t NetPayload::readWord()
{
    if (!take(2))
        return 0;
    const uint8_t* p = m_data + m_pos;
    m_pos += 2;
    return readLe16(p);
}

uint32_t NetPayload::readDword()
{
    if (!take(4))
        return 0;
    const uint8_t* p = m_data + m_pos;
    m_pos += 4;
    return readLe32(p);
}

float NetPayload::readFloat()
{
    const uint32_t bits = readDword();
    float value;
    std::memcpy(&value, &bits, sizeof value);
    if (!std::isfinite(value)) {
        m_good = false;
        return 0.0f;
    }
    return value;
}
