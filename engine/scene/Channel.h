#pragma once

class Envelope;
class MixerChannel;

// A scalar function of scene time. An AnimatedValue owns at most one; the
// loaders decide whether that is a keyframe envelope or a blend of several.
// The as* queries stand in for run-time type information, which the engine
// keeps for exception types only.
class Channel {
public:
    virtual ~Channel() = default;

    virtual double evaluate(double time) = 0;
    virtual Envelope* asEnvelope() { return nullptr; }
    virtual MixerChannel* asMixerChannel() { return nullptr; }
};
