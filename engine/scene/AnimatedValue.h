#pragma once
#include "engine/scene/Channel.h"

#include <memory>
#include <string>

class Envelope;
class MixerChannel;

// Every animatable scalar of the engine: a constant, or the value of its
// channel at the time it was last evaluated. Code that only reads the
// current value reads m_value; code that animates evaluates first.
class AnimatedValue {
public:
    explicit AnimatedValue(float value = 0.0f) : m_value(value) {}

    // The channel's value at the time (seconds), kept in m_value; the
    // constant when there is no channel.
    float evaluate(double time)
    {
        if (m_envelope)
            m_value = float(m_envelope->evaluate(time));
        return m_value;
    }

    float m_value;
    std::unique_ptr<Channel> m_envelope;
    std::string m_name;
};

// Gives the value an envelope to hold keys, unless its channel is one
// already: a constant (or a mixer) is replaced by an envelope with one TCB
// key of the current value at time 0.
Envelope* ensureEnvelope(AnimatedValue& value);

// Turns the value's channel into a mixer whose entry 0 is the value's own
// envelope, weighted 0 so that the value keeps playing it until a motion is
// weighted in. A value that already has a mixer keeps it.
MixerChannel* createMixerChannel(AnimatedValue& value);
