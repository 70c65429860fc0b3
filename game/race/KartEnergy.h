#pragma once
#include "game/net/NetValue.h"

#include <cstdint>
#include <cstring>

// A kart's energy (0 to 100): a replicated value whose four bytes are an
// i32. A local change is marked for sending when the value's flags send.
class KartEnergy : public NetValue {
public:
    int32_t get() const
    {
        int32_t value;
        std::memcpy(&value, m_value, sizeof value);
        return value;
    }
    void set(int32_t value)
    {
        if (value == get())
            return;
        std::memcpy(m_value, &value, sizeof value);
        if (m_flags & kSendChanges)
            m_dirty = 1;
    }
};
