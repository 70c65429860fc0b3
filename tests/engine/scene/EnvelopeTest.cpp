#include "engine/scene/Envelope.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

namespace {

using Build = std::function<void(Envelope&)>;

Envelope make(const Build& build)
{
    Envelope e;
    build(e);
    return e;
}

// (0, 0) to (1, 10), both linear: the envelope most behaviour cases use.
void rampTo10(Envelope& e)
{
    e.addKeyLinear(0.0f, 0.0f);
    e.addKeyLinear(1.0f, 10.0f);
}

const float Third = 1.0f / 3.0f;

} // namespace

TEST(Envelope, AppendersStoreTheirArgumentsInOrder)
{
    Envelope e;
    e.addKeyTCB(1.0f, 0.1f, 0.2f, 0.3f, 9.0f);
    e.addKeyHermite(2.0f, 0.4f, 0.5f, 8.0f);
    e.addKeyBezier(3.0f, 0.6f, 0.7f, 7.0f);
    e.addKeyLinear(4.0f, 6.0f);
    e.addKeyStepped(5.0f, 5.0f);
    e.addKeyBezier2(6.0f, 1.1f, 1.2f, 1.3f, 1.4f, 4.0f);

    struct Want {
        float value, time;
        int32_t shape;
        float tension, continuity, bias, p0, p1, p2, p3;
    } want[] = {
        {9, 1, ShapeTCB, 0.1f, 0.2f, 0.3f, 0, 0, 0, 0},
        {8, 2, ShapeHermite, 0, 0, 0, 0.4f, 0.5f, 0, 0},
        {7, 3, ShapeBezier, 0, 0, 0, 0.6f, 0.7f, 0, 0},
        {6, 4, ShapeLinear, 0, 0, 0, 0, 0, 0, 0},
        {5, 5, ShapeStepped, 0, 0, 0, 0, 0, 0, 0},
        {4, 6, ShapeBezier2D, 0, 0, 0, 1.1f, 1.2f, 1.3f, 1.4f},
    };
    ASSERT_EQ(e.keys.size(), 6u);
    for (size_t i = 0; i < 6; ++i) {
        const EnvelopeKey& k = e.keys[i];
        const Want& w = want[i];
        EXPECT_EQ(k.value, w.value) << i;
        EXPECT_EQ(k.time, w.time) << i;
        EXPECT_EQ(k.shape, w.shape) << i;
        EXPECT_EQ(k.tension, w.tension) << i;
        EXPECT_EQ(k.continuity, w.continuity) << i;
        EXPECT_EQ(k.bias, w.bias) << i;
        EXPECT_EQ(k.param[0], w.p0) << i;
        EXPECT_EQ(k.param[1], w.p1) << i;
        EXPECT_EQ(k.param[2], w.p2) << i;
        EXPECT_EQ(k.param[3], w.p3) << i;
    }
    EXPECT_EQ(e.preBehavior, BehaviorConstant);
    EXPECT_EQ(e.postBehavior, BehaviorConstant);
}

// Reference values worked by hand from the Hermite basis
// h1 = 1 - h2, h2 = 3u^2 - 2u^3, h3 = u^3 - 2u^2 + u, h4 = u^3 - u^2
// (at u = 0.5: 0.5, 0.5, 0.125, -0.125; at u = 0.25: 0.84375, 0.15625,
// 0.140625, -0.046875), and for 2D Bezier spans from the Bernstein form.
TEST(Envelope, SpanShapesMatchHandWorkedValues)
{
    struct Case {
        const char* what;
        Build build;
        double time;
        double expected;
        double tolerance;
    } cases[] = {
        {"TCB plain, next key pulls the arriving tangent flat",
         [](Envelope& e) { e.addKeyTCB(0, 0, 0, 0, 0); e.addKeyTCB(1, 0, 0, 0, 10); e.addKeyTCB(2, 0, 0, 0, 0); },
         0.5, 6.25, 1e-6},
        {"TCB bias on the arriving key: incoming 0.5 x (0.5 x -10 + 1.5 x 10) = 5",
         [](Envelope& e) { e.addKeyTCB(0, 0, 0, 0, 0); e.addKeyTCB(1, 0, 0, 0.5f, 10); e.addKeyTCB(2, 0, 0, 0, 0); },
         0.5, 5.625, 1e-6},
        {"TCB continuity on the first key: outgoing 0.5 x 10",
         [](Envelope& e) { e.addKeyTCB(0, 0, 0.5f, 0, 0); e.addKeyTCB(1, 0, 0, 0, 10); },
         0.5, 4.375, 1e-6},
        {"TCB full tension eases in and out",
         [](Envelope& e) { e.addKeyTCB(0, 1, 0, 0, 0); e.addKeyTCB(1, 1, 0, 0, 10); },
         0.25, 1.5625, 1e-6},
        {"TCB on uneven spans: the span ratio keeps collinear keys straight",
         [](Envelope& e) { e.addKeyTCB(0, 0, 0, 0, 0); e.addKeyTCB(1, 0, 0, 0, 10); e.addKeyTCB(3, 0, 0, 0, 30); },
         1.5, 15.0, 1e-5},
        {"Hermite tangents as given",
         [](Envelope& e) { e.addKeyHermite(0, 0, 2, 0); e.addKeyHermite(2, 6, 0, 4); },
         1.0, 1.5, 1e-6},
        {"Hermite incoming tangent scaled by span / (next - key0) = 1/3",
         [](Envelope& e) { e.addKeyHermite(0, 0, 2, 0); e.addKeyHermite(2, 6, 0, 4); e.addKeyHermite(6, 0, 0, 0); },
         1.0, 2.0, 1e-6},
        {"Bezier (1D) uses the Hermite form",
         [](Envelope& e) { e.addKeyBezier(0, 0, 2, 0); e.addKeyBezier(2, 6, 0, 4); },
         1.0, 1.5, 1e-6},
        {"Linear", rampTo10, 0.25, 2.5, 0},
        {"Linear key into a TCB key stays straight",
         [](Envelope& e) { e.addKeyLinear(0, 0); e.addKeyTCB(1, 0, 0, 0, 10); },
         0.25, 2.5, 1e-6},
        {"Stepped holds the previous value",
         [](Envelope& e) { e.addKeyLinear(0, 3); e.addKeyStepped(1, 10); },
         0.5, 3.0, 0},
        {"Stepped reaches its own value on the key",
         [](Envelope& e) { e.addKeyLinear(0, 3); e.addKeyStepped(1, 10); },
         1.0, 10.0, 0},
        {"Bezier 2D, handles a third along in time: value (0 + 18 + 27 + 10) / 8",
         [](Envelope& e) { e.addKeyBezier2(0, 0, 0, Third, 6, 0); e.addKeyBezier2(1, -Third, -1, 0, 0, 10); },
         0.5, 6.875, 1e-3},
        {"Bezier 2D at a quarter",
         [](Envelope& e) { e.addKeyBezier2(0, 0, 0, Third, 6, 0); e.addKeyBezier2(1, -Third, -1, 0, 0, 10); },
         0.25, 3.953125, 1e-3},
        {"Bezier 2D with a curved time axis, early",
         [](Envelope& e) { e.addKeyBezier2(0, 0, 0, 0.5f, 4, 0); e.addKeyBezier2(2, -1.5f, 0, 0, 0, 10); },
         0.3, 3.1000439, 2e-3},
        {"Bezier 2D with a curved time axis, middle",
         [](Envelope& e) { e.addKeyBezier2(0, 0, 0, 0.5f, 4, 0); e.addKeyBezier2(2, -1.5f, 0, 0, 0, 10); },
         1.0, 8.5923039, 2e-3},
        {"Bezier 2D with a curved time axis, late",
         [](Envelope& e) { e.addKeyBezier2(0, 0, 0, 0.5f, 4, 0); e.addKeyBezier2(2, -1.5f, 0, 0, 0, 10); },
         1.7, 9.9105729, 2e-3},
        {"Bezier 2D after a linear key: the first handle follows the linear tangent",
         [](Envelope& e) { e.addKeyLinear(0, 0); e.addKeyBezier2(1, -Third, -10 * Third, 0, 0, 10); },
         0.25, 2.5, 1e-3},
        {"Bezier 2D key leaving into a TCB span: outgoing 2 x 1 / 0.5",
         [](Envelope& e) { e.addKeyBezier2(0, 0, 0, 0.5f, 2, 0); e.addKeyTCB(1, 0, 0, 0, 10); },
         0.5, 4.25, 1e-6},
        {"TCB on both ends of a middle span: outgoing 2/3 x (0.375 x 10 + 0.375 x -6) = 1, "
         "incoming 2/3 x (2.25 x -4 + 0.25 x -6) = -7",
         [](Envelope& e) {
             e.addKeyTCB(0, 0, 0, 0, 0);
             e.addKeyTCB(1, 0.5f, -0.5f, 0.5f, 10);
             e.addKeyTCB(3, 0, 0.5f, -0.5f, 4);
             e.addKeyTCB(4, 0, 0, 0, 0);
         },
         2.0, 8.0, 1e-5},
        {"TCB on both ends of a middle span, at a quarter",
         [](Envelope& e) {
             e.addKeyTCB(0, 0, 0, 0, 0);
             e.addKeyTCB(1, 0.5f, -0.5f, 0.5f, 10);
             e.addKeyTCB(3, 0, 0.5f, -0.5f, 4);
             e.addKeyTCB(4, 0, 0, 0, 0);
         },
         1.5, 9.53125, 1e-5},
        {"Linear key leaving with a previous key: 2/3 x (10 - 0 + 10)",
         [](Envelope& e) { e.addKeyTCB(0, 0, 0, 0, 0); e.addKeyLinear(1, 10); e.addKeyTCB(3, 0, 0, 0, 20); },
         2.0, 15.0 + 5.0 / 12.0, 1e-5},
        {"Hermite outgoing tangent scaled by span / (key1 - prev) = 2/3",
         [](Envelope& e) { e.addKeyHermite(0, 0, 0, 0); e.addKeyHermite(1, 0, 4, 2); e.addKeyTCB(3, 0, 0, 0, 2); },
         2.0, 2.0 + 1.0 / 3.0, 1e-5},
        {"Stepped key leaves flat into a TCB span",
         [](Envelope& e) { e.addKeyLinear(0, 0); e.addKeyStepped(1, 4); e.addKeyTCB(2, 0, 0, 0, 8); },
         1.5, 5.5, 1e-6},
        {"Bezier 2D handle of no length: factor 100000 instead of dividing",
         [](Envelope& e) { e.addKeyBezier2(0, 0, 0, 0, 1e-5f, 0); e.addKeyTCB(1, 0, 0, 0, 10); },
         0.5, 3.875, 1e-5},
    };
    for (const Case& c : cases) {
        Envelope e = make(c.build);
        EXPECT_NEAR(e.evaluate(c.time), c.expected, c.tolerance) << c.what;
    }
}

TEST(Envelope, PreAndPostBehaviours)
{
    // Pre cases use a ramp from 2 so that Constant, Reset and the wraps differ.
    Build rampFrom2 = [](Envelope& e) { e.addKeyLinear(0, 2); e.addKeyLinear(1, 10); };
    Build tcbPeak = [](Envelope& e) { e.addKeyTCB(0, 0, 0, 0, 0); e.addKeyTCB(1, 0, 0, 0, 10); e.addKeyTCB(2, 0, 0, 0, 0); };
    Build decade = [](Envelope& e) { e.addKeyLinear(10, 0); e.addKeyLinear(20, 10); };

    struct Case {
        const char* what;
        Build build;
        bool pre;
        int32_t behavior;
        double time;
        double expected;
    } cases[] = {
        {"post Reset", rampTo10, false, BehaviorReset, 1.25, 0},
        {"post Constant", rampTo10, false, BehaviorConstant, 1.25, 10},
        {"post Repeat", rampTo10, false, BehaviorRepeat, 1.25, 2.5},
        {"post Repeat on a key", rampTo10, false, BehaviorRepeat, 2.0, 0},
        {"post Oscillate, odd period mirrored", rampTo10, false, BehaviorOscillate, 1.25, 7.5},
        {"post Oscillate, even period not", rampTo10, false, BehaviorOscillate, 2.25, 2.5},
        {"post Oscillate, keys at 10 and 20: 22 plays 18", decade, false, BehaviorOscillate, 22, 8},
        {"post Offset Repeat", rampTo10, false, BehaviorOffsetRepeat, 1.25, 12.5},
        {"post Offset Repeat on a key adds the period offset", rampTo10, false, BehaviorOffsetRepeat, 2.0, 20},
        {"post Offset Repeat, third period", rampTo10, false, BehaviorOffsetRepeat, 3.5, 35},
        {"post Linear", rampTo10, false, BehaviorLinear, 1.25, 12.5},
        {"post Linear follows the TCB arriving tangent", tcbPeak, false, BehaviorLinear, 3.0, -10},
        {"pre Reset", rampFrom2, true, BehaviorReset, -0.25, 0},
        {"pre Constant", rampFrom2, true, BehaviorConstant, -0.25, 2},
        {"pre Repeat", rampFrom2, true, BehaviorRepeat, -0.25, 8},
        {"pre Oscillate, period -1 mirrored", rampFrom2, true, BehaviorOscillate, -0.25, 4},
        {"pre Oscillate, period -2 not", rampFrom2, true, BehaviorOscillate, -1.25, 8},
        {"pre Offset Repeat, two periods down", rampFrom2, true, BehaviorOffsetRepeat, -1.25, -8},
        {"pre Linear", rampFrom2, true, BehaviorLinear, -1.0, -6},
        {"pre Linear follows the TCB leaving tangent", tcbPeak, true, BehaviorLinear, -1.0, -10},
        {"pre code no file should carry acts as Constant", rampFrom2, true, 9, -1.0, 2},
        {"post code no file should carry acts as Constant", rampFrom2, false, -3, 4.0, 10},
    };
    for (const Case& c : cases) {
        Envelope e = make(c.build);
        e.preBehavior = c.pre ? c.behavior : BehaviorReset;
        e.postBehavior = c.pre ? BehaviorReset : c.behavior;
        EXPECT_NEAR(e.evaluate(c.time), c.expected, 1e-5) << c.what;
        // Inside the key range the behaviours play no part.
        EXPECT_NEAR(e.evaluate(e.keys[0].time), e.keys[0].value, 1e-6) << c.what;
    }
}

TEST(Envelope, DegenerateKeySetsGiveDefinedValues)
{
    Build none = [](Envelope&) {};
    Build single = [](Envelope& e) { e.addKeyTCB(3, 0, 0, 0, 7); };
    Build sharedTime = [](Envelope& e) { e.addKeyLinear(0, 1); e.addKeyLinear(1, 5); e.addKeyLinear(1, 9); e.addKeyLinear(2, 3); };
    Build allAtOne = [](Envelope& e) { e.addKeyTCB(1, 0, 0, 0, 5); e.addKeyTCB(1, 0, 0, 0, 9); };

    struct Case {
        const char* what;
        Build build;
        int32_t pre, post;
        double time;
        double expected;
    } cases[] = {
        {"no key", none, BehaviorLinear, BehaviorRepeat, -1, 0},
        {"no key", none, BehaviorLinear, BehaviorRepeat, 5, 0},
        {"one key, before", single, BehaviorLinear, BehaviorOffsetRepeat, -100, 7},
        {"one key, on it", single, BehaviorReset, BehaviorReset, 3, 7},
        {"one key, after", single, BehaviorLinear, BehaviorOffsetRepeat, 100, 7},
        {"shared time: the earlier span ends on its own key", sharedTime, 1, 1, 1.0, 5},
        {"shared time: the later span starts from the later key", sharedTime, 1, 1, 1.5, 6},
        {"shared time, before it", sharedTime, 1, 1, 0.5, 3},
        {"all keys at one time, Repeat", allAtOne, BehaviorRepeat, BehaviorRepeat, 2, 5},
        {"all keys at one time, Offset Repeat", allAtOne, BehaviorOffsetRepeat, BehaviorOffsetRepeat, 0, 5},
        {"all keys at one time, Oscillate", allAtOne, BehaviorOscillate, BehaviorOscillate, 2, 5},
        {"all keys at one time, Linear before", allAtOne, BehaviorLinear, BehaviorLinear, 0, 5},
        {"all keys at one time, Linear after", allAtOne, BehaviorLinear, BehaviorLinear, 2, 9},
        {"all keys at one time, on it", allAtOne, BehaviorLinear, BehaviorLinear, 1, 5},
    };
    for (const Case& c : cases) {
        Envelope e = make(c.build);
        e.preBehavior = c.pre;
        e.postBehavior = c.post;
        EXPECT_EQ(e.evaluate(c.time), c.expected) << c.what << " at " << c.time;
    }
}

// Keys out of time order are a broken file, not a supported curve, but no
// shape or behaviour may answer NaN or infinity for them.
TEST(Envelope, KeysOutOfOrderStayFinite)
{
    for (int32_t shape = ShapeTCB; shape <= ShapeBezier2D; ++shape) {
        for (int32_t behavior = BehaviorReset; behavior <= BehaviorLinear; ++behavior) {
            Envelope e;
            float times[] = {0, 2, 1, 1, 2, -1};
            float value = 0;
            for (float t : times) {
                EnvelopeKey k;
                k.time = t;
                k.value = value += 3;
                k.shape = shape;
                k.tension = 0.5f;
                k.param[0] = -0.2f;
                k.param[1] = 1;
                k.param[2] = 0;
                k.param[3] = 2;
                e.keys.push_back(k);
            }
            e.preBehavior = behavior;
            e.postBehavior = behavior;
            for (double t = -3; t <= 4; t += 0.125)
                ASSERT_TRUE(std::isfinite(e.evaluate(t))) << "shape " << shape << " behaviour " << behavior << " at " << t;
        }
    }
}

// Handles that fold the curve back in time, or times where a float cannot
// resolve the solve's tolerance, must still end with the bisection's limit.
TEST(Envelope, BezierSolveEndsWhereToleranceCannotBeMet)
{
    Envelope folded;
    folded.addKeyBezier2(0, 0, 0, 1e7f, 0, 0);
    folded.addKeyBezier2(1, -1e7f, 0, 0, 0, 10);
    for (double t = 0.05; t < 1; t += 0.1) {
        double v = folded.evaluate(t);
        EXPECT_TRUE(std::isfinite(v)) << t;
        EXPECT_GE(v, 0.0) << t;
        EXPECT_LE(v, 10.0) << t;
    }

    // Near 100000 s a float moves in steps of 1/128 s, far above 0.0001.
    // The crossing found must still be the one a double-precision solve finds
    // (3.13769 at 100000.3671875, the time narrowed to float), to within what
    // one such step moves the value.
    Envelope late;
    late.addKeyBezier2(100000, 0, 0, 0.3f, 0, 0);
    late.addKeyBezier2(100001, -0.3f, 0, 0, 0, 10);
    EXPECT_NEAR(late.evaluate(100000.37), 3.13769, 0.1);
}

TEST(Envelope, SpanCacheRestartsWhenTimeGoesBack)
{
    Build build = [](Envelope& e) {
        e.addKeyTCB(0, 0, 0, 0, 0);
        e.addKeyLinear(1, 4);
        e.addKeyHermite(2.5f, 1, -1, 2);
        e.addKeyTCB(4, 0.3f, 0, 0, 8);
        e.addKeyBezier2(5, -0.3f, 1, 0.3f, 0, 1);
        e.addKeyTCB(6, 0, 0, 0, 5);
        e.preBehavior = BehaviorOffsetRepeat;
        e.postBehavior = BehaviorOscillate;
    };
    Envelope played = make(build);
    double times[] = {5.5, 1.2, 5.5, 0.2, 3.3, 3.3, 2.9, 2.5, 7.5, -1, 4.4, 12.7, 0.9};
    for (double t : times) {
        Envelope fresh = make(build);
        EXPECT_EQ(played.evaluate(t), fresh.evaluate(t)) << t;
    }
}

TEST(Envelope, FirstKeyBefore)
{
    Envelope e;
    EXPECT_EQ(e.firstKeyBefore(1.0), nullptr);
    e.addKeyLinear(1, 10);
    e.addKeyLinear(2, 20);
    e.addKeyLinear(3, 30);

    // Index of the key expected, -1 for none.
    struct Case {
        double time;
        int expected;
    } cases[] = {
        {-5.0, -1}, {0.5, -1}, {1.0, -1}, {1.5, 0}, {2.0, 0},
        {2.25, 1}, {3.0, 1}, {3.5, 2}, {500.0, 2},
    };
    for (const Case& c : cases) {
        const EnvelopeKey* want = c.expected < 0 ? nullptr : &e.keys[size_t(c.expected)];
        EXPECT_EQ(e.firstKeyBefore(c.time), want) << c.time;
    }
}

// The particle emitter triggers when the answer differs between one frame
// and the last: playing through the keys must notice each one once.
TEST(Envelope, FirstKeyBeforeChangesOncePerKeyCrossed)
{
    Envelope e;
    e.addKeyTCB(0, 0, 0, 0, 1);
    e.addKeyTCB(1, 0, 0, 0, 2);
    e.addKeyTCB(2.5f, 0, 0, 0, 3);
    e.addKeyTCB(4, 0, 0, 0, 4);
    const double dt = 0.125;
    std::vector<double> crossedAt;
    for (double t = 0; t <= 6; t += dt) {
        if (e.firstKeyBefore(t) != e.firstKeyBefore(t - dt))
            crossedAt.push_back(t);
    }
    EXPECT_EQ(crossedAt, (std::vector<double>{0.125, 1.125, 2.625, 4.125}));
}
