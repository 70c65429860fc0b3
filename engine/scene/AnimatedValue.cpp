#include "engine/scene/AnimatedValue.h"

#include "engine/scene/Envelope.h"
#include "engine/scene/MixerChannel.h"

Envelope* ensureEnvelope(AnimatedValue& value)
{
    if (value.m_envelope) {
        if (Envelope* envelope = value.m_envelope->asEnvelope())
            return envelope;
    }
    auto envelope = std::make_unique<Envelope>();
    envelope->addKeyTCB(0.0f, 0.0f, 0.0f, 0.0f, value.m_value);
    Envelope* result = envelope.get();
    value.m_envelope = std::move(envelope);
    return result;
}

MixerChannel* createMixerChannel(AnimatedValue& value)
{
    if (value.m_envelope) {
        if (MixerChannel* mixer = value.m_envelope->asMixerChannel())
            return mixer;
    }
    ensureEnvelope(value);
    auto mixer = std::make_unique<MixerChannel>();
    mixer->addEntry(std::move(value.m_envelope));
    MixerChannel* result = mixer.get();
    value.m_envelope = std::move(mixer);
    return result;
}
