#include "engine/scene/MixerRecords.h"

#include "engine/scene/AnimatedValue.h"
#include "engine/scene/MixerChannel.h"
#include "engine/scene/Scene.h"

MixerChannel* mixerChannelOf(AnimatedValue& value)
{
    return value.m_envelope ? value.m_envelope->asMixerChannel() : nullptr;
}

MixerActor* Scene::addMixerActor(const std::string& name)
{
    auto actor = std::make_unique<MixerActor>();
    actor->name = name;
    m_mixerActors.push_back(std::move(actor));
    return m_mixerActors.back().get();
}

MixerActor* Scene::findObject(const std::string& name, int32_t instance)
{
    for (const auto& actor : m_mixerActors)
        if (actor->name == name && instance-- == 0)
            return actor.get();
    return nullptr;
}
