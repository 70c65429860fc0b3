#pragma once
#include <cstdint>

// Reads the fields of a received payload for a handler. Every read is
// bounded by the payload; a read past its end, or a float that is not
// finite (it would reach the physics and the renderer), yields 0 and makes
// the payload bad, so the handler drops the whole message.
class NetPayload {
public:
    NetPayload(const uint8_t* data, int32_t size) : m_data(data), m_size(size < 0 ? 0 : size) {}

    int8_t readChar() { return int8_t(readByte()); }
    uint8_t readByte();
    uint16_t readWord();
    uint32_t readDword();
    float readFloat();

    bool good() const { return m_good; }
    int32_t remaining() const { return m_size - m_pos; }

private:
    bool take(int32_t count);

    const uint8_t* m_data;
    int32_t m_size;
    int32_t m_pos = 0;
    bool m_good = true;
};
