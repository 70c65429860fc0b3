#include "engine/scene/AnimatedValue.h"
#include "engine/scene/Envelope.h"
#include "engine/scene/MixerChannel.h"

#include <gtest/gtest.h>

#include <memory>

TEST(AnimatedValue, EvaluateKeepsTheChannelValue)
{
    AnimatedValue constant(3.5f);
    EXPECT_EQ(constant.evaluate(10.0), 3.5f);
    EXPECT_TRUE(constant.m_name.empty());

    AnimatedValue animated(-1.0f);
    auto e = std::make_unique<Envelope>();
    e->addKeyLinear(0, 0);
    e->addKeyLinear(1, 10);
    animated.m_envelope = std::move(e);
    EXPECT_EQ(animated.evaluate(0.25), 2.5f);
    EXPECT_EQ(animated.m_value, 2.5f);
    EXPECT_FLOAT_EQ(animated.evaluate(1.0 / 3.0), 10.0f / 3.0f);
    EXPECT_FLOAT_EQ(animated.m_value, 10.0f / 3.0f);
}

TEST(AnimatedValue, EnsureEnvelope)
{
    // A constant becomes a one-key TCB envelope of its value at time 0.
    AnimatedValue constant(7.0f);
    Envelope* made = ensureEnvelope(constant);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(constant.m_envelope.get(), made);
    ASSERT_EQ(made->keys.size(), 1u);
    EXPECT_EQ(made->keys[0].shape, ShapeTCB);
    EXPECT_EQ(made->keys[0].time, 0.0f);
    EXPECT_EQ(made->keys[0].value, 7.0f);

    // An envelope is kept as it is.
    made->addKeyLinear(1, 9);
    EXPECT_EQ(ensureEnvelope(constant), made);
    EXPECT_EQ(made->keys.size(), 2u);

    // Any other channel is replaced by an envelope of the current value.
    AnimatedValue mixed(4.0f);
    mixed.m_envelope = std::make_unique<MixerChannel>();
    Envelope* replaced = ensureEnvelope(mixed);
    EXPECT_EQ(mixed.m_envelope.get(), replaced);
    ASSERT_EQ(replaced->keys.size(), 1u);
    EXPECT_EQ(replaced->keys[0].value, 4.0f);
}

TEST(AnimatedValue, CreateMixerChannel)
{
    AnimatedValue constant(7.0f);
    MixerChannel* mixer = createMixerChannel(constant);
    ASSERT_NE(mixer, nullptr);
    EXPECT_EQ(constant.m_envelope.get(), mixer);
    ASSERT_EQ(mixer->entryCount(), 1);
    const MixerEntry& base = mixer->entries[0];
    EXPECT_EQ(base.weight, 0.0f);
    EXPECT_EQ(base.speed, 1.0f);
    EXPECT_EQ(base.startTime, 0.0f);
    Envelope* envelope = base.channel->asEnvelope();
    ASSERT_NE(envelope, nullptr);
    ASSERT_EQ(envelope->keys.size(), 1u);
    EXPECT_EQ(envelope->keys[0].value, 7.0f);
    EXPECT_EQ(envelope->keys[0].time, 0.0f);
    // Nothing is weighted in yet, so the value still plays its own envelope.
    EXPECT_EQ(constant.evaluate(5.0), 7.0f);

    // A second call keeps the mixer and its entries.
    EXPECT_EQ(createMixerChannel(constant), mixer);
    EXPECT_EQ(mixer->entryCount(), 1);

    // An existing envelope moves into entry 0 unchanged.
    AnimatedValue animated;
    auto e = std::make_unique<Envelope>();
    e->addKeyLinear(0, 0);
    e->addKeyLinear(1, 10);
    Envelope* own = e.get();
    animated.m_envelope = std::move(e);
    MixerChannel* m2 = createMixerChannel(animated);
    EXPECT_EQ(m2->entries[0].channel.get(), own);
    EXPECT_NEAR(animated.evaluate(0.5), 5.0f, 1e-6);
}
