#include "engine/core/display/FormatRequirements.h"

#include "engine/core/base/Report.h"

#include <algorithm>

void FormatRequirements::avoid(uint32_t mask)
{
    m_allowedFlags |= mask;
    m_preferredFlags.push_back(-int32_t(mask));
}

int64_t FormatRequirements::score(const FormatDescription& d) const
{
    if ((d.flags & m_requiredFlags) != m_requiredFlags || (d.flags & ~m_allowedFlags) != 0)
        return -1;
    for (int c = 0; c < 4; ++c) {
        const uint32_t v = d.channels[c];
        if (channelKind(v) < channelKind(m_min[c]) || channelKind(v) > channelKind(m_max[c])
            || channelMiddle(v) < channelMiddle(m_min[c]) || channelMiddle(v) > channelMiddle(m_max[c])
            || channelBits(v) < channelBits(m_min[c]) || channelBits(v) > channelBits(m_max[c]))
            return -1;
    }
    int64_t s = 0;
    for (int c = 0; c < 4; ++c) {
        const uint32_t v = d.channels[c];
        const uint32_t p = m_preferred[c];
        s += int64_t(std::min(channelBits(v), channelBits(p))) << std::min(channelMiddle(v), channelMiddle(p));
    }
    s *= 8;
    for (int c = 0; c < 4; ++c)
        s += (channelKind(d.channels[c]) == FormatFloat) == (channelKind(m_preferred[c]) == FormatFloat) ? 1 : 0;
    s *= 8;
    for (int c = 0; c < 4; ++c)
        s += (channelKind(d.channels[c]) == FormatSigned) == (channelKind(m_preferred[c]) == FormatSigned) ? 1 : 0;
    s = (s + 1) * 32 - (d.totalBits >> 2);

    ENGINE_ASSERT(m_preferredFlags.size() <= 12 && "duplicated preference flags?");
    const size_t masks = std::min<size_t>(m_preferredFlags.size(), 12);
    for (size_t i = 0; i < masks; ++i) {
        s *= 2;
        const int32_t mask = m_preferredFlags[i];
        if (mask >= 0) {
            if ((d.flags & uint32_t(mask)) == uint32_t(mask))
                s += 1;
        } else {
            const uint32_t avoided = uint32_t(-int64_t(mask));
            if ((d.flags & avoided) != avoided)
                s += 1;
        }
    }
    return s;
}

const FormatDescription* FormatRequirements::choose(const std::vector<const FormatDescription*>& candidates) const
{
    const FormatDescription* best = nullptr;
    int64_t bestScore = -1;
    for (const FormatDescription* candidate : candidates) {
        if (!candidate)
            continue;
        const int64_t s = score(*candidate);
        if (s >= 0 && s > bestScore) {
            best = candidate;
            bestScore = s;
        }
    }
    return best;
}
