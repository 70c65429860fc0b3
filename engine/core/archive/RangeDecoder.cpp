#include "engine/core/archive/RangeDecoder.h"

#include "engine/core/archive/BlockTransforms.h"
#include "engine/core/archive/GroupedFrequencyModel.h"

#include <array>
#include <cstring>

namespace {

// range / total without a divide on the decoder's critical path. With
// m = ceil(2^64 / total), the high half of range * m is range / total
// rounded down, exactly: the excess over range / total is below
// range / 2^64 < 2^-32, and a quotient's fraction is at most 1 - 1/total
// with total < 2^14, so the excess never reaches the next integer. One
// multiply, no correction step.
class TotalDivider {
public:
    TotalDivider()
    {
        // Totals start at 257; the first two slots are never used.
        m_reciprocal[0] = m_reciprocal[1] = 0;
        for (uint32_t d = 2; d < GroupedFrequencyModel::kHalvingTotal; ++d)
            m_reciprocal[d] = ~uint64_t(0) / d + 1;
    }
    uint32_t divide(uint32_t value, uint32_t total) const
    {
        return uint32_t((static_cast<unsigned __int128>(value) * m_reciprocal[total]) >> 64);
    }
    // (help * count) / total for count < total and help * count < 2^32,
    // exactly, with the product never formed: count * m overshoots count *
    // 2^64 / total by less than count < 2^14, which adds under 2^-32 to the
    // quotient, as above. A run of zeros needs just this, one multiply a
    // symbol on its chain of dependent steps.
    static uint64_t scaledReciprocal(uint64_t reciprocal, uint32_t count) { return reciprocal * count; }
    uint64_t reciprocal(uint32_t total) const { return m_reciprocal[total]; }
    static uint32_t multiplyHigh(uint32_t value, uint64_t scaled)
    {
        return uint32_t((static_cast<unsigned __int128>(value) * scaled) >> 64);
    }

private:
    std::array<uint64_t, GroupedFrequencyModel::kHalvingTotal> m_reciprocal;
};

const TotalDivider& totalDivider()
{
    static const TotalDivider divider;
    return divider;
}

// Room for the symbol at `outPos`; false at the limit, where a longer stream
// is corrupt. Grows by the buffer's own rule, then hands out all the room
// that made (up to the limit) before asking again.
[[gnu::noinline]] bool growOutput(DataBuffer& output, uint32_t outPos, uint32_t limit)
{
    if (outPos >= limit)
        return false;
    output.resize(int32_t(outPos) + 1);
    output.size = output.capacity < int32_t(limit) ? output.capacity : int32_t(limit);
    return true;
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
    return decodeSymbols<false>(src, output, limit);
}

bool RangeDecoder::decodeBlockMoveToFront(DataBuffer& src, DataBuffer& output, uint32_t limit)
{
    return decodeSymbols<true>(src, output, limit);
}

template <bool kMoveToFront>
bool RangeDecoder::decodeSymbols(DataBuffer& src, DataBuffer& output, uint32_t limit)
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
    // Symbols go straight to the output until `room`; only then is the
    // limit checked or the buffer grown.
    uint32_t room = output.size > 0 ? uint32_t(output.size) : 0;
    if (room > limit)
        room = limit;
    uint8_t* out = output.data;
    // With move-to-front on, every symbol is passed through the table as
    // it is decoded: that work hides behind the range decoder's long chain
    // of dependent multiplies instead of taking a pass of its own.
    MoveToFrontTable table;
    bool afterLow = false;
    for (;;) {
        while (rangeV <= kBottomValue) {
            lowV = (lowV << 8) | ((buf & 1) << 7);
            buf = inPos < inSize ? in[inPos] : 0xFF;
            ++inPos;
            lowV |= buf >> 1;
            rangeV <<= 8;
        }
        helpV = divider.divide(rangeV, model.total);
    decode:
        const uint32_t total = model.total;
        // Run-heavy input makes symbols 0 and 1 the common answers, so they
        // are tried first without dividing: cum(s) <= low / help holds
        // exactly when help * cum(s) <= low. Neither is the last symbol, so
        // the new range is always help * freq.
        const uint32_t count0 = model.counts[0];
        const uint32_t count1 = model.counts[1];
        const uint32_t cut0 = helpV * count0;
        if (lowV < cut0 + helpV * count1) {
            const uint32_t s = lowV >= cut0 ? 1 : 0;
            if (outPos >= room) [[unlikely]] {
                if (!growOutput(output, outPos, limit))
                    break;
                room = uint32_t(output.size);
                out = output.data;
            }
            if (s == 0) {
                // A run of zeros, the bulk of a sorted block: each one only
                // narrows the range and counts one more zero, so the loop
                // keeps the model in registers and writes the bytes at the
                // end. It stops before the halving point and at the end of
                // the output's room, where the general steps take over.
                const uint32_t most = room - outPos;
                uint32_t zeros = 1;
                uint32_t zeroCount = count0 + 1;
                uint32_t runTotal = total + 1;
                rangeV = cut0;
                bool fresh = false; // helpV belongs to the range and total after the run
                while (zeros < most && runTotal < GroupedFrequencyModel::kHalvingTotal) {
                    if (rangeV > kBottomValue) [[likely]] {
                        // rangeV = helpV * (zeroCount - 1): the next help
                        // follows from the last without the range.
                        helpV = TotalDivider::multiplyHigh(
                            helpV, TotalDivider::scaledReciprocal(divider.reciprocal(runTotal), zeroCount - 1));
                    } else {
                        do {
                            lowV = (lowV << 8) | ((buf & 1) << 7);
                            buf = inPos < inSize ? in[inPos] : 0xFF;
                            ++inPos;
                            lowV |= buf >> 1;
                            rangeV <<= 8;
                        } while (rangeV <= kBottomValue);
                        helpV = divider.divide(rangeV, runTotal);
                    }
                    const uint32_t cut = helpV * zeroCount;
                    if (lowV >= cut) {
                        fresh = true;
                        break;
                    }
                    rangeV = cut;
                    ++zeros;
                    ++zeroCount;
                    ++runTotal;
                }
                if constexpr (kMoveToFront) {
                    std::memset(out + outPos, table.front(), zeros);
                    afterLow = true;
                } else {
                    std::memset(out + outPos, 0, zeros);
                }
                outPos += zeros;
                model.addZeros(zeros);
                if (fresh)
                    goto decode;
                continue;
            }
            if constexpr (kMoveToFront) {
                // 0 and 1 both go to the front: 0 stays there, 1 swaps.
                out[outPos++] = table.moveToFront(0, s);
                afterLow = true;
            } else {
                out[outPos++] = uint8_t(s);
            }
            lowV -= s ? cut0 : 0;
            rangeV = helpV * (s ? count1 : count0);
            model.updateFront(s);
            continue;
        }

        uint32_t t = lowV / helpV;
        if (t >= total)
            t = total - 1;
        const uint32_t s = model.find(t);
        if (s == kEndOfBlock) {
            complete = true;
            break;
        }
        if (outPos >= room) [[unlikely]] {
            if (!growOutput(output, outPos, limit))
                break;
            room = uint32_t(output.size);
            out = output.data;
        }
        if constexpr (kMoveToFront) {
            // After a 0 or 1 the front is protected: the symbol stops at
            // position 1.
            out[outPos++] = table.moveToFront(afterLow ? 1 : 0, s);
            afterLow = false;
        } else {
            out[outPos++] = uint8_t(s);
        }

        const uint32_t lowFreq = model.cumulative(s);
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
