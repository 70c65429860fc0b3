#pragma once
#include "engine/scene/Channel.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Span shapes, stored on the key that ends the span. The codes are the ones
// scene files and ENVL chunks carry.
enum EnvelopeShape : int32_t {
    ShapeTCB = 0,
    ShapeHermite = 1,
    ShapeBezier = 2,
    ShapeLinear = 3,
    ShapeStepped = 4,
    ShapeBezier2D = 5,
};

// What the envelope does before its first and after its last key.
enum EnvelopeBehavior : int32_t {
    BehaviorReset = 0,
    BehaviorConstant = 1,
    BehaviorRepeat = 2,
    BehaviorOscillate = 3,
    BehaviorOffsetRepeat = 4,
    BehaviorLinear = 5,
};

// One keyframe. Parameters a shape does not use stay zero. For Hermite and
// Bezier spans param[0] and param[1] are the incoming and outgoing tangents;
// for 2D Bezier spans they are the incoming handle's time and value offsets
// and param[2], param[3] the outgoing handle's.
struct EnvelopeKey {
    float value = 0.0f;
    float time = 0.0f;
    int32_t shape = ShapeTCB;
    float tension = 0.0f;
    float continuity = 0.0f;
    float bias = 0.0f;
    float param[4] = {0.0f, 0.0f, 0.0f, 0.0f};
};

// A LightWave keyframe envelope. Keys are kept in the order the loaders
// append them, which is expected to be ascending time; evaluation stays
// finite when a file breaks that promise, but the curve is then not
// meaningful. Evaluating remembers the span it found so that playback
// moving forward does not walk the keys from the start every frame.
class Envelope : public Channel {
public:
    static constexpr size_t NoKey = SIZE_MAX;

    Envelope() = default;

    double evaluate(double time) override;
    Envelope* asEnvelope() override { return this; }

    void addKeyTCB(float time, float tension, float continuity, float bias, float value);
    void addKeyHermite(float time, float param0, float param1, float value);
    void addKeyBezier(float time, float param0, float param1, float value);
    void addKeyLinear(float time, float value);
    void addKeyStepped(float time, float value);
    void addKeyBezier2(float time, float param0, float param1, float param2, float param3, float value);

    // The latest key (in list order, from the end) whose time lies before
    // the given one. The particle emitter compares successive answers to
    // notice that a key boundary was crossed. Null before the first key and
    // while the envelope has no key.
    const EnvelopeKey* firstKeyBefore(double time) const;

    std::string name;
    std::vector<EnvelopeKey> keys;
    int32_t preBehavior = BehaviorConstant;
    int32_t postBehavior = BehaviorConstant;
    // Span cache: the wrapped time of the last evaluation and the index of
    // the key that starts its span (NoKey until the first evaluation).
    float lastTime = 0.0f;
    size_t lastKey = NoKey;

private:
    void append(const EnvelopeKey& key);
    float outgoing(size_t span) const;
    float incoming(size_t span) const;
    float bezier2D(size_t span, float time) const;
};
