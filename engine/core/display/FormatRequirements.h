#pragma once
#include "engine/core/display/FormatDescription.h"

#include <cstdint>
#include <vector>

// Picks the best format description for a purpose: every candidate is
// scored against minimum, preferred and maximum channel layouts and the
// class-flag masks, and the highest score wins.
class FormatRequirements {
public:
    // Negated: candidates lacking these flags are preferred. Adds the mask
    // to the allowed flags so such candidates still qualify.
    void avoid(uint32_t mask);
    // -1 when the candidate is unacceptable. The score needs more than 32
    // bits once a dozen preference masks have doubled it.
    int64_t score(const FormatDescription& description) const;
    // The first of the best-scoring candidates, or null when none scores.
    const FormatDescription* choose(const std::vector<const FormatDescription*>& candidates) const;

    uint32_t m_min[4] = {0, 0, 0, 0};
    uint32_t m_preferred[4] = {0, 0, 0, 0};
    uint32_t m_max[4] = {0, 0, 0, 0};
    uint32_t m_requiredFlags = 0;
    uint32_t m_allowedFlags = 0;
    // In order of importance; only the first 12 count.
    std::vector<int32_t> m_preferredFlags;
};
