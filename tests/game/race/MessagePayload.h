#pragma once
#include "engine/core/math/Vector3.h"

#include <cstdint>
#include <cstring>
#include <vector>

// Builds a network message's payload field by field, as another machine
// would send it: bytes, little-endian floats and vectors of three.
class MessagePayload {
public:
    MessagePayload& byte(int32_t v)
    {
        m_bytes.push_back(uint8_t(v));
        return *this;
    }
    MessagePayload& f32(float v)
    {
        uint8_t b[4];
        std::memcpy(b, &v, 4);
        m_bytes.insert(m_bytes.end(), b, b + 4);
        return *this;
    }
    MessagePayload& vec(const Vector3& v) { return f32(v.x).f32(v.y).f32(v.z); }
    const uint8_t* data() const { return m_bytes.data(); }
    int32_t size() const { return int32_t(m_bytes.size()); }
    const std::vector<uint8_t>& bytes() const { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
};
