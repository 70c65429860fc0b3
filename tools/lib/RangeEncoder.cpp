#include "tools/lib/RangeEncoder.h"

#include "engine/core/archive/FrequencyModel.h"

#include <stdexcept>

namespace {
constexpr uint32_t kBottomValue = 0x800000;
constexpr uint64_t kWindowMask = 0x7FFFFFFF;
constexpr uint64_t kCarry = 0x80000000u;
} // namespace

RangeEncoder::RangeEncoder(uint8_t headerByte)
{
    m_out.push_back(headerByte);
}

void RangeEncoder::shiftByte()
{
    m_out.push_back(uint8_t(m_low >> 23));
    m_low = (m_low << 8) & kWindowMask;
}

void RangeEncoder::encode(uint32_t cumulative, uint32_t frequency, uint32_t total)
{
    while (m_range <= kBottomValue) {
        shiftByte();
        m_range <<= 8;
    }
    const uint32_t help = m_range / total;
    const uint32_t cut = help * cumulative;
    m_low += cut;
    if (cumulative + frequency < total)
        m_range = help * frequency;
    else
        m_range -= cut;
    if (m_low & kCarry) {
        m_low &= kWindowMask;
        // The coding interval began inside the first window, so a carry can
        // never reach the header byte.
        size_t i = m_out.size() - 1;
        while (m_out[i] == 0xFF) {
            m_out[i] = 0;
            --i;
        }
        if (i == 0)
            throw std::logic_error("range encoder carry reached the header byte");
        ++m_out[i];
    }
}

std::vector<uint8_t> RangeEncoder::finish()
{
    // 31 bits of low: three whole bytes and the top seven bits of a fourth.
    for (int i = 0; i < 4; ++i)
        shiftByte();
    return std::move(m_out);
}

std::vector<uint8_t> RangeEncoder::encodeBlock(const uint8_t* data, size_t n)
{
    constexpr uint32_t kEndOfBlock = 256;
    FrequencyModel model(257, 1);
    RangeEncoder encoder;
    for (size_t i = 0; i < n; ++i) {
        const uint32_t s = data[i];
        encoder.encode(model.cumulative(s), model.counts[s], model.total);
        model.update(s);
    }
    encoder.encode(model.cumulative(kEndOfBlock), model.counts[kEndOfBlock], model.total);
    return encoder.finish();
}
