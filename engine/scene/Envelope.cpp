#include "engine/scene/Envelope.h"

#include <cmath>

namespace {

// The 2D Bezier solve stops once the curve's time is this close to the
// wanted one. Far from zero a float cannot get that close, and handles that
// fold the curve back in time make it jump over the wanted time, so the
// bisection is also stopped once the bracket cannot shrink any more; by then
// it has converged on a crossing of the curve.
constexpr float BezierTolerance = 0.0001f;
constexpr int BezierMaxSteps = 64;

// A 2D Bezier handle shorter than this in time would blow the tangent up.
constexpr float ShortHandle = 1e-5f;
constexpr float ShortHandleFactor = 100000.0f;

// Key spacings divide the tangents; keys that share a time give no
// spacing to scale by, and must not produce infinities or NaN.
float ratio(float num, float den)
{
    return den != 0.0f ? num / den : 0.0f;
}

// Slope of a 2D Bezier handle expressed over a whole span of the given
// length, the form the Hermite basis wants.
float handleTangent(float valueOffset, float timeOffset, float span)
{
    float v = valueOffset * span;
    return std::fabs(timeOffset) > ShortHandle ? v / timeOffset : v * ShortHandleFactor;
}

float cubic(float p0, float p1, float p2, float p3, float u)
{
    float c = 3.0f * (p1 - p0);
    float b = 3.0f * (p2 - p1) - c;
    float a = p3 - p0 - c - b;
    return ((a * u + b) * u + c) * u + p0;
}

// Folds v into the key range [lo, hi]. period counts the whole ranges
// between v and the result: negative before the range, positive after it.
float wrapTime(float v, float lo, float hi, float& period)
{
    period = 0.0f;
    float r = hi - lo;
    float q = r != 0.0f ? (v - lo) / r : 0.0f;
    if (r == 0.0f || !std::isfinite(q))
        return lo;
    float w = v - std::floor(q) * r;
    float c = w > v ? 0.5f : -0.5f;
    period = -std::trunc((w - v) / r + c);
    return w;
}

} // namespace

void Envelope::append(const EnvelopeKey& key)
{
    keys.push_back(key);
}

void Envelope::addKeyTCB(float time, float tension, float continuity, float bias, float value)
{
    EnvelopeKey k;
    k.value = value;
    k.time = time;
    k.shape = ShapeTCB;
    k.tension = tension;
    k.continuity = continuity;
    k.bias = bias;
    append(k);
}

void Envelope::addKeyHermite(float time, float param0, float param1, float value)
{
    EnvelopeKey k;
    k.value = value;
    k.time = time;
    k.shape = ShapeHermite;
    k.param[0] = param0;
    k.param[1] = param1;
    append(k);
}

void Envelope::addKeyBezier(float time, float param0, float param1, float value)
{
    EnvelopeKey k;
    k.value = value;
    k.time = time;
    k.shape = ShapeBezier;
    k.param[0] = param0;
    k.param[1] = param1;
    append(k);
}

void Envelope::addKeyLinear(float time, float value)
{
    EnvelopeKey k;
    k.value = value;
    k.time = time;
    k.shape = ShapeLinear;
    append(k);
}

void Envelope::addKeyStepped(float time, float value)
{
    EnvelopeKey k;
    k.value = value;
    k.time = time;
    k.shape = ShapeStepped;
    append(k);
}

void Envelope::addKeyBezier2(float time, float param0, float param1, float param2, float param3, float value)
{
    EnvelopeKey k;
    k.value = value;
    k.time = time;
    k.shape = ShapeBezier2D;
    k.param[0] = param0;
    k.param[1] = param1;
    k.param[2] = param2;
    k.param[3] = param3;
    append(k);
}

// The key in effect at the time. The emitter must see every boundary it
// crosses, so the answer moves on at each key, first one included; until
// the first key has passed there is none.
const EnvelopeKey* Envelope::firstKeyBefore(double time) const
{
    float t = float(time);
    for (size_t i = keys.size(); i-- > 0;) {
        if (t > keys[i].time)
            return &keys[i];
    }
    return nullptr;
}

// Tangent leaving keys[span] towards keys[span + 1], by the leaving key's shape.
float Envelope::outgoing(size_t span) const
{
    const EnvelopeKey& key0 = keys[span];
    const EnvelopeKey& key1 = keys[span + 1];
    const EnvelopeKey* prev = span > 0 ? &keys[span - 1] : nullptr;
    float d = key1.value - key0.value;
    float s = prev ? ratio(key1.time - key0.time, key1.time - prev->time) : 1.0f;

    switch (key0.shape) {
    case ShapeTCB: {
        float a = (1.0f - key0.tension) * (1.0f + key0.continuity) * (1.0f + key0.bias);
        float b = (1.0f - key0.tension) * (1.0f - key0.continuity) * (1.0f - key0.bias);
        return prev ? s * (a * (key0.value - prev->value) + b * d) : b * d;
    }
    case ShapeLinear:
        return prev ? s * (key0.value - prev->value + d) : d;
    case ShapeHermite:
    case ShapeBezier:
        return prev ? key0.param[1] * s : key0.param[1];
    case ShapeBezier2D:
        return handleTangent(key0.param[3], key0.param[2], key1.time - key0.time);
    default:
        return 0.0f;
    }
}

// Tangent arriving at keys[span + 1] from keys[span], by the arriving key's shape.
float Envelope::incoming(size_t span) const
{
    const EnvelopeKey& key0 = keys[span];
    const EnvelopeKey& key1 = keys[span + 1];
    const EnvelopeKey* next = span + 2 < keys.size() ? &keys[span + 2] : nullptr;
    float d = key1.value - key0.value;
    float s = next ? ratio(key1.time - key0.time, next->time - key0.time) : 1.0f;

    switch (key1.shape) {
    case ShapeTCB: {
        float a = (1.0f - key1.tension) * (1.0f - key1.continuity) * (1.0f + key1.bias);
        float b = (1.0f - key1.tension) * (1.0f + key1.continuity) * (1.0f - key1.bias);
        return next ? s * (b * (next->value - key1.value) + a * d) : a * d;
    }
    case ShapeLinear:
        return next ? s * (next->value - key1.value + d) : d;
    case ShapeHermite:
    case ShapeBezier:
        return next ? key1.param[0] * s : key1.param[0];
    case ShapeBezier2D:
        return handleTangent(key1.param[1], key1.param[0], key1.time - key0.time);
    default:
        return 0.0f;
    }
}

// The span as a cubic Bezier curve in (time, value): find the curve
// parameter whose time is the wanted one, then read the value there.
float Envelope::bezier2D(size_t span, float time) const
{
    const EnvelopeKey& key0 = keys[span];
    const EnvelopeKey& key1 = keys[span + 1];
    bool handle0 = key0.shape == ShapeBezier2D;

    float x0 = key0.time;
    float x1 = handle0 ? key0.time + key0.param[2] : key0.time + (key1.time - key0.time) / 3.0f;
    float x2 = key1.time + key1.param[0];
    float x3 = key1.time;

    float lo = 0.0f, hi = 1.0f;
    float u = lo + (hi - lo) * 0.5f;
    for (int step = 0; step < BezierMaxSteps; ++step) {
        float x = cubic(x0, x1, x2, x3, u);
        if (std::fabs(time - x) <= BezierTolerance)
            break;
        if (x <= time)
            lo = u;
        else
            hi = u;
        float next = lo + (hi - lo) * 0.5f;
        if (next == u)
            break;
        u = next;
    }

    // A key of another shape has no value handle. A third of its outgoing
    // tangent puts the handle where a Hermite span leaving with that tangent
    // would have it, which keeps the curve smooth through the key.
    float y0 = key0.value;
    float y1 = handle0 ? key0.value + key0.param[3] : key0.value + outgoing(span) / 3.0f;
    float y2 = key1.value + key1.param[1];
    float y3 = key1.value;
    return cubic(y0, y1, y2, y3, u);
}

double Envelope::evaluate(double t)
{
    const size_t count = keys.size();
    if (count == 0)
        return 0.0;
    if (count == 1)
        return keys[0].value;

    const EnvelopeKey& skey = keys.front();
    const EnvelopeKey& ekey = keys.back();
    float time = float(t);
    float offset = 0.0f;

    bool before = time < skey.time;
    if (before || time > ekey.time) {
        float period = 0.0f;
        switch (before ? preBehavior : postBehavior) {
        case BehaviorReset:
            return 0.0;
        case BehaviorRepeat:
            time = wrapTime(time, skey.time, ekey.time, period);
            break;
        case BehaviorOscillate:
            time = wrapTime(time, skey.time, ekey.time, period);
            if (std::fmod(period, 2.0f) != 0.0f)
                time = skey.time + ekey.time - time;
            break;
        case BehaviorOffsetRepeat:
            time = wrapTime(time, skey.time, ekey.time, period);
            offset = period * (ekey.value - skey.value);
            break;
        case BehaviorLinear: {
            // Keys sharing a time have no slope to continue along: hold the end value.
            if (before) {
                float slope = ratio(outgoing(0), keys[1].time - skey.time);
                return slope != 0.0f ? slope * (time - skey.time) + skey.value : skey.value;
            }
            const EnvelopeKey& prev = keys[count - 2];
            float slope = ratio(incoming(count - 2), ekey.time - prev.time);
            return slope != 0.0f ? slope * (time - ekey.time) + ekey.value : ekey.value;
        }
        default:
            // Constant, and any code a file might carry that names no behaviour.
            return before ? skey.value : ekey.value;
        }
    }

    // Forward playback resumes at the cached span; going back in time (or a
    // cache left by a NaN time) restarts from the first key.
    size_t k = 0;
    if (time >= lastTime && lastKey < count - 1)
        k = lastKey;
    while (k + 2 < count && time > keys[k + 1].time)
        ++k;
    lastKey = k;
    lastTime = time;

    const EnvelopeKey& key0 = keys[k];
    const EnvelopeKey& key1 = keys[k + 1];
    if (time == key0.time)
        return key0.value + offset;
    if (time == key1.time)
        return key1.value + offset;
    float span = key1.time - key0.time;
    if (span == 0.0f)
        return key0.value + offset;
    float u = (time - key0.time) / span;

    switch (key1.shape) {
    case ShapeTCB:
    case ShapeHermite:
    case ShapeBezier: {
        float u2 = u * u;
        float u3 = u * u2;
        float h2 = 3.0f * u2 - 2.0f * u3;
        float h1 = 1.0f - h2;
        float h4 = u3 - u2;
        float h3 = h4 - u2 + u;
        return h1 * key0.value + h2 * key1.value + h3 * outgoing(k) + h4 * incoming(k) + offset;
    }
    case ShapeStepped:
        return key0.value + offset;
    case ShapeBezier2D:
        return bezier2D(k, time) + offset;
    case ShapeLinear:
    default:
        return key0.value + u * (key1.value - key0.value) + offset;
    }
}
