#include "engine/scene/Envelope.h"
#include "engine/scene/MixerChannel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

std::unique_ptr<Channel> constant(float value)
{
    auto e = std::make_unique<Envelope>();
    e->addKeyLinear(0, value);
    return e;
}

// (0, 0) to (1, 10), linear, held constant outside.
std::unique_ptr<Channel> ramp()
{
    auto e = std::make_unique<Envelope>();
    e->addKeyLinear(0, 0);
    e->addKeyLinear(1, 10);
    return e;
}

struct EntrySetup {
    std::unique_ptr<Channel> (*make)();
    float weight, speed, startTime;
};

std::unique_ptr<Channel> constant2() { return constant(2); }
std::unique_ptr<Channel> constant6() { return constant(6); }
std::unique_ptr<Channel> none() { return nullptr; }

} // namespace

TEST(MixerChannel, WeightedBlend)
{
    struct Case {
        const char* what;
        std::vector<EntrySetup> entries;
        uint8_t loop;
        float loopLength;
        double time;
        double expected;
    } cases[] = {
        {"weights 1 and 3: (a + 3b) / 4", {{constant2, 1, 1, 0}, {constant6, 3, 1, 0}}, 0, 0, 0.5, 5},
        {"a zero weight takes no part", {{constant2, 0, 1, 0}, {constant6, 2, 1, 0}}, 0, 0, 0.5, 6},
        {"all weights 0: entry 0 at the unscaled time", {{ramp, 0, 2, 0.5f}, {constant6, 0, 1, 0}}, 0, 0, 0.25, 2.5},
        {"weights cancelling out: entry 0 at the unscaled time", {{ramp, 1, 2, 0.5f}, {constant6, -1, 1, 0}}, 0, 0, 0.25, 2.5},
        {"start time and speed shift the entry's clock", {{ramp, 2, 2, 0.5f}}, 0, 0, 0.75, 5},
        {"loop wraps the entry's clock", {{ramp, 1, 1, 0}}, 1, 1.0f, 2.75, 7.5},
        {"start, speed and loop together: (1.375 - 0.5) x 2 = 1.75 wraps to 0.75; (6 + 3 x 7.5) / 4",
         {{constant6, 1, 1, 0}, {ramp, 3, 2, 0.5f}}, 1, 1.0f, 1.375, 7.125},
        {"loop of no length plays unlooped", {{ramp, 1, 1, 0}}, 1, 0.0f, 2.75, 10},
        {"loop length ignored while loop is off", {{ramp, 1, 1, 0}}, 0, 1.0f, 2.75, 10},
        {"a weighted entry without a channel is skipped", {{constant2, 1, 1, 0}, {none, 5, 1, 0}}, 0, 0, 0, 2},
        {"no channel anywhere", {{none, 0, 1, 0}}, 0, 0, 1, 0},
        {"no entries", {}, 0, 0, 1, 0},
    };
    for (const Case& c : cases) {
        MixerChannel m;
        for (const EntrySetup& s : c.entries) {
            m.addEntry(s.make());
            m.entries.back().weight = s.weight;
            m.entries.back().speed = s.speed;
            m.entries.back().startTime = s.startTime;
        }
        m.loop = c.loop;
        m.loopLength = c.loopLength;
        double v = m.evaluate(c.time);
        EXPECT_NEAR(v, c.expected, 1e-6) << c.what;
    }
}

TEST(MixerChannel, AddEntryAppendsUnweightedAndCounts)
{
    MixerChannel m;
    EXPECT_EQ(m.entryCount(), 0);
    EXPECT_EQ(m.asMixerChannel(), &m);
    EXPECT_EQ(m.asEnvelope(), nullptr);
    m.addEntry(constant(1));
    auto second = constant(2);
    Channel* secondRaw = second.get();
    m.addEntry(std::move(second));
    ASSERT_EQ(m.entryCount(), 2);
    const MixerEntry& e = m.entries[1];
    EXPECT_EQ(e.channel.get(), secondRaw);
    EXPECT_EQ(e.weight, 0.0f);
    EXPECT_EQ(e.speed, 1.0f);
    EXPECT_EQ(e.startTime, 0.0f);
}
