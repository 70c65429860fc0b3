#include "engine/core/RangeDecoder.h"

#include "engine/core/GroupedFrequencyModel.h"

#include <array>

namespace {

// range / total without a divide on the decoder's critical path: a 32-bit
// reciprocal of every total the model can reach gives the quotient or one
// less, and one compare settles which.
class TotalDivider {
public:
    TotalDivider()
    {
        // Totals start at 257; the first two slots are never used.
        m_reciprocal[0] = m_reciprocal[1] = 0;
        for (uint32_t d = 2; d < GroupedFrequencyModel::kHalvingTotal; ++d)
            m_reciprocal[d] = uint32_t((uint64_t(1) << 32) / d);
    }
    uint32_t divide(uint32_t value, uint32_t total) const
    {
        uint32_t q = uint32_t((uint64_t(value) * m_reciprocal[total]) >> 32);
        q += value - q * total >= total ? 1 : 0;
        return q;
    }

private:
    std::array<uint32_t, GroupedFrequencyModel::kHalvingTotal> m_reciprocal;
};

const TotalDivider& totalDivider()
{
    static const TotalDivider divider;
    return divider;
}

} // namespace

uint8_t RangeDecoder::readByte()
{
    if (!source)
        throw Error();
    const int32_t at = source->position;
    if (at < 0x7FFFFFFF)
        ++source->position;
    return at >= 0 && at < source->size ? source->data[at] : 0xFF;
}

void RangeDecoder::normalize()
{
    while (range <= kBottomValue) {
        low = (low << 8) | (uint32_t(buffer & 1) << 7);
        buffer = readByte();
        low |= buffer >> 1;
        range <<= 8;
    }
}

bool RangeDecoder::decodeBlock(DataBuffer& src, DataBuffer& output, uint32_t limit)
{
    if (limit > 0x7FFFFFFF)
        limit = 0x7FFFFFFF; // the most a DataBuffer can hold
    GroupedFrequencyModel model;
    const TotalDivider& divider = totalDivider();
    source = &src;
    src.position = 0;
    output.position = 0;

    readByte(); // the header byte carries nothing for the decoder
    buffer = readByte();
    low = buffer >> 1;
    range = 0x80;

    // The hot loop works on locals; the members are written back at the end.
    const uint8_t* in = src.data;
    const uint32_t inSize = src.size > 0 ? uint32_t(src.size) : 0;
    uint64_t inPos = uint64_t(src.position);
    uint32_t lowV = low;
    uint32_t rangeV = range;
    uint32_t helpV = 0;
    uint32_t buf = buffer;
    uint32_t outPos = 0;
    bool complete = false;

    for (;;) {
        while (rangeV <= kBottomValue) {
            lowV = (lowV << 8) | ((buf & 1) << 7);
            buf = inPos < inSize ? in[inPos] : 0xFF;
            ++inPos;
            lowV |= buf >> 1;
            rangeV <<= 8;
        }
        const uint32_t total = model.total;
        helpV = divider.divide(rangeV, total);
        // Run-heavy input makes symbols 0 and 1 the common answers, so they
        // are tried first without dividing: cum(s) <= low / help holds
        // exactly when help * cum(s) <= low.
        uint32_t s;
        uint32_t lowFreq;
        const uint32_t count0 = model.counts[0];
        if (lowV < helpV * count0) {
            s = 0;
            lowFreq = 0;
        } else if (lowV < helpV * (count0 + model.counts[1])) {
            s = 1;
            lowFreq = count0;
        } else {
            uint32_t t = lowV / helpV;
            if (t >= total)
                t = total - 1;
            s = model.find(t);
            if (s == kEndOfBlock) {
                complete = true;
                break;
            }
            lowFreq = model.cumulative(s);
        }
        if (outPos >= limit)
            break;
        if (int64_t(outPos) >= output.size) {
            // Grow by the buffer's own rule, then use all the room that made
            // (up to the limit) before asking again.
            output.resize(int32_t(outPos) + 1);
            output.size = output.capacity < int32_t(limit) ? output.capacity : int32_t(limit);
        }
        output.data[outPos++] = uint8_t(s);

        const uint32_t freq = model.counts[s];
        const uint32_t cut = helpV * lowFreq;
        lowV -= cut;
        if (lowFreq + freq < total)
            rangeV = helpV * freq;
        else
            rangeV -= cut;
        model.update(s);
    }

    low = lowV;
    range = rangeV;
    help = helpV;
    buffer = uint8_t(buf);
    src.position = int32_t(inPos > 0x7FFFFFFF ? 0x7FFFFFFF : inPos);
    source = nullptr;
    output.resize(int32_t(outPos));
    output.position = 0;
    return complete;
}
