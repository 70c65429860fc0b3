#include "engine/core/render/Material.h"

int32_t StagePlan::channelCode(int32_t planChannel)
{
    static const int32_t codes[PlanChannelCount] = {ChannelColour,     ChannelLuminosity,   ChannelDiffuse,
                                                     ChannelReflection, ChannelSpecularity, ChannelTransparency,
                                                     ChannelBump};
    return planChannel >= 0 && planChannel < PlanChannelCount ? codes[planChannel] : -1;
}

MaterialLayer* StagePlan::channelLayer(int32_t planChannel, int32_t k) const
{
    if (planChannel < 0 || planChannel >= PlanChannelCount || k < 0 || k >= stageCount[planChannel])
        return nullptr;
    const int32_t slot = firstStage[planChannel] + k;
    return slot >= 0 && slot < count && slot < MaxStages ? layers[slot] : nullptr;
}
