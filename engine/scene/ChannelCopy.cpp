#include "engine/scene/ChannelCopy.h"

#include "engine/scene/Envelope.h"
#include "engine/scene/MixerChannel.h"

std::unique_ptr<Channel> copyChannel(Channel* channel)
{
    if (!channel)
        return nullptr;
    if (Envelope* envelope = channel->asEnvelope())
        return std::make_unique<Envelope>(*envelope);
    if (MixerChannel* mixer = channel->asMixerChannel()) {
        auto copy = std::make_unique<MixerChannel>();
        for (MixerEntry& entry : mixer->entries) {
            MixerEntry& to = copy->entries.emplace_back();
            to.channel = copyChannel(entry.channel.get());
            to.weight = entry.weight;
            to.speed = entry.speed;
            to.startTime = entry.startTime;
        }
        copy->loop = mixer->loop;
        copy->loopLength = mixer->loopLength;
        copy->name = mixer->name;
        return copy;
    }
    // A channel kind this copy does not know: the copy keeps the value it
    // was last evaluated at rather than sharing the original's channel.
    return nullptr;
}

void copyAnimatedValue(AnimatedValue& to, const AnimatedValue& from)
{
    to.m_value = from.m_value;
    to.m_name = from.m_name;
    to.m_envelope = copyChannel(from.m_envelope.get());
}
