#include "engine/scene/MixerChannel.h"

#include <cmath>

void MixerChannel::addEntry(std::unique_ptr<Channel> channel)
{
    MixerEntry entry;
    entry.channel = std::move(channel);
    entries.push_back(std::move(entry));
}

double MixerChannel::evaluate(double time)
{
    double sum = 0.0;
    double weights = 0.0;
    // A loop of no length (a motion with equal first and last frames) would
    // make fmod answer NaN: such a motion plays unlooped.
    bool wrap = loop != 0 && std::fabs(loopLength) > 0.0f;
    for (MixerEntry& entry : entries) {
        if (entry.weight == 0.0f || !entry.channel)
            continue;
        double local = (time - entry.startTime) * entry.speed;
        if (wrap)
            local = std::fmod(local, double(loopLength));
        sum += entry.weight * entry.channel->evaluate(local);
        weights += entry.weight;
    }
    if (weights != 0.0)
        return sum / weights;
    // No motion is weighted in (or their weights cancel): the value plays
    // its own envelope at scene time.
    if (entries.empty() || !entries[0].channel)
        return 0.0;
    return entries[0].channel->evaluate(time);
}
