#pragma once
#include "engine/scene/Channel.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// One channel of a motion-mixer blend: the channel is played from startTime
// at the given speed and contributes with its weight.
struct MixerEntry {
    std::unique_ptr<Channel> channel;
    float weight = 0.0f;
    float speed = 1.0f;
    float startTime = 0.0f;
};

// The weighted blend of several channels that the motion mixer puts on an
// animated value. Entry 0 is the value's own envelope; the motions append
// theirs behind it. The mixer owns every entry's channel.
class MixerChannel : public Channel {
public:
    MixerChannel() = default;
    MixerChannel(const MixerChannel&) = delete;
    MixerChannel& operator=(const MixerChannel&) = delete;

    double evaluate(double time) override;
    MixerChannel* asMixerChannel() override { return this; }
    virtual int32_t entryCount() const { return int32_t(entries.size()); }

    // Appends {channel, weight 0, speed 1, start 0}; the motion that added it
    // sets its weight when it plays.
    void addEntry(std::unique_ptr<Channel> channel);

    std::vector<MixerEntry> entries;
    uint8_t loop = 0;
    float loopLength = 0.0f;
    std::string name;
};
