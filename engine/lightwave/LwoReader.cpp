#include "engine/lightwave/LwoReader.h"

#include <cstring>

bool LwoReader::have(size_t count)
{
    if (count <= remaining())
        return true;
    m_short = true;
    m_pos = m_limit;
    return false;
}

uint32_t LwoReader::u1()
{
    if (!have(1))
        return 0;
    return m_data[m_pos++];
}

uint32_t LwoReader::u2()
{
    if (!have(2))
        return 0;
    const uint32_t v = uint32_t(m_data[m_pos]) << 8 | m_data[m_pos + 1];
    m_pos += 2;
    return v;
}

uint32_t LwoReader::u4()
{
    if (!have(4))
        return 0;
    const uint8_t* p = m_data + m_pos;
    m_pos += 4;
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

float LwoReader::f4()
{
    const uint32_t bits = u4();
    float v;
    std::memcpy(&v, &bits, 4);
    return v;
}

uint32_t LwoReader::id4()
{
    return u4();
}

uint32_t LwoReader::vx(uint32_t* width)
{
    const uint32_t w = u2();
    if ((w >> 8) != 0xFF) {
        if (width)
            *width = 2;
        return w;
    }
    if (width)
        *width = 4;
    return (w & 0xFF) << 16 | u2();
}

bool LwoReader::takeF4(float& out)
{
    if (remaining() < 4)
        return false;
    out = f4();
    return true;
}

bool LwoReader::takeU2(uint32_t& out)
{
    if (remaining() < 2)
        return false;
    out = u2();
    return true;
}

bool LwoReader::takeId4(uint32_t& out)
{
    if (remaining() < 4)
        return false;
    out = id4();
    return true;
}

std::string LwoReader::s0()
{
    const size_t start = m_pos;
    const void* zero = std::memchr(m_data + start, 0, remaining());
    if (!zero) {
        std::string text(reinterpret_cast<const char*>(m_data + start), remaining());
        m_pos = m_limit;
        m_short = true;
        return text;
    }
    const size_t length = size_t(static_cast<const uint8_t*>(zero) - (m_data + start));
    std::string text(reinterpret_cast<const char*>(m_data + start), length);
    // Terminator and pad together make the length even.
    skip((length + 2) & ~size_t(1));
    return text;
}

size_t LwoReader::setLimit(size_t limit)
{
    const size_t old = m_limit;
    m_limit = limit < m_limit ? limit : m_limit;
    if (m_pos > m_limit)
        m_pos = m_limit;
    return old;
}

std::string LwoReader::idText(uint32_t id)
{
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = char((id >> shift) & 0xFF);
        text += (c >= 32 && c < 127) ? c : '?';
    }
    return text;
}

bool readSubChunk(LwoReader& reader, LwoSubChunk& sub)
{
    if (reader.remaining() < 6) {
        reader.skip(reader.remaining());
        return false;
    }
    sub.id = reader.id4();
    sub.size = reader.u2();
    const size_t start = reader.tell();
    size_t end = start + sub.size;
    if (end > reader.limit()) {
        end = reader.limit();
        reader.markShort();
    }
    sub.end = end;
    size_t next = start + sub.size + (sub.size & 1);
    sub.next = next < reader.limit() ? next : reader.limit();
    return true;
}
