// Power-up messages from other machines: hits on this machine's karts and
// objects other machines' karts spawned, applied when every field names a
// kart and a kind of the race, refused with a report otherwise; hits on a
// kart driven elsewhere go to its machine once the race runs.
#include "MessagePayload.h"
#include "PowerupRig.h"

#include "engine/core/base/Report.h"
#include "game/race/Extras.h"
#include "support/RecordedReports.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

MessagePayload hit(int32_t kart, int32_t kind, int32_t attacker, int32_t flags)
{
    return MessagePayload().byte(kart).byte(kind).byte(attacker).byte(flags);
}

MessagePayload spawn(int32_t owner, int32_t kind, float px = 0.0f, float dz = 1.0f)
{
    return MessagePayload().byte(owner).byte(kind).f32(px).f32(0.5f).f32(-40.0f).f32(0.0f).f32(0.0f).f32(dz);
}

class RacePowerupMessages : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_rig.loaded());
        m_rig.place(0, 100.0f);
        m_rig.place(1, 150.0f);
        m_rig.place(2, 200.0f);
        m_rig.steps(2);
        lastErrorText.assignCString("");
    }
    TestRace& race() { return m_rig.race(); }
    void receiveHit(const MessagePayload& p) { race().onHitMessage(p.data(), p.size()); }
    void receiveSpawn(const MessagePayload& p) { race().onSpawnMessage(p.data(), p.size()); }

    RecordedReports m_reports;
    // Kart 2 is driven by another machine.
    PowerupRig m_rig{3, "testring", {2}};
};

} // namespace

TEST_F(RacePowerupMessages, AHitIsAppliedToAKartThisMachineDrives)
{
    receiveHit(hit(1, 3, 2, Kart::HitQuadDamage));
    EXPECT_EQ(m_rig.kart(1).energy(), 60) << "a rocket with quad damage";
    EXPECT_EQ(m_rig.kart(1).m_rocketHitSteps, 300);
    // A kart driven elsewhere takes its hits there.
    receiveHit(hit(2, 3, 0, 0));
    EXPECT_EQ(m_rig.kart(2).energy(), 100);
    EXPECT_EQ(m_reports.last(), "");
}

TEST_F(RacePowerupMessages, HitsNamingNoKartOrKindAreRefusedWithAReport)
{
    struct Case {
        const char* what;
        MessagePayload payload;
        const char* report;
    };
    const Case cases[] = {
        {"a kart past the race's", hit(3, 3, 0, 0), "kart 3 is not in the race"},
        {"a negative kart", hit(0xFF, 3, 0, 0), "kart -1 is not in the race"},
        {"the last index", hit(0x7F, 3, 0, 0), "kart 127 is not in the race"},
        {"a kind past the last", hit(1, 40, 0, 0), "refused hit 40"},
        {"a negative kind", hit(1, 0xF0, 0, 0), "refused hit -16"},
        {"an attacker past the race's", hit(1, 3, 200, 0), "from kart 200"},
        {"a short message", MessagePayload().byte(1).byte(3), "2 bytes"},
        {"an empty message", MessagePayload(), "0 bytes"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        lastErrorText.assignCString("");
        receiveHit(c.payload);
        EXPECT_NE(m_reports.last().find(c.report), std::string::npos) << m_reports.last();
        for (int32_t i = 0; i < 3; ++i)
            EXPECT_EQ(m_rig.kart(i).energy(), 100);
    }
}

TEST_F(RacePowerupMessages, AHitOnAKartDrivenElsewhereGoesToItsMachineOnceTheRaceRuns)
{
    Kart& remote = m_rig.kart(2);
    // Before the start, and when it came from the network, it is applied
    // here.
    remote.applyHit(5, 0, 0, true);
    EXPECT_EQ(remote.energy(), 90);
    race().m_started = 1;
    remote.applyHit(5, 0, 0, false);
    EXPECT_EQ(remote.energy(), 80);
    remote.applyHit(1, 0, 0, true);
    EXPECT_EQ(remote.energy(), 80);
    EXPECT_EQ(remote.m_oilHitSteps, 0);
}

TEST_F(RacePowerupMessages, AnObjectIsSpawnedForTheKartThatSentIt)
{
    receiveSpawn(spawn(2, 3, 12.0f));
    ASSERT_EQ(race().m_extras->effects().size(), 1u);
    const ExtraEffect* e = race().m_extras->effects().front();
    EXPECT_EQ(e->kind, 3);
    EXPECT_EQ(e->owner, 2);
    EXPECT_FLOAT_EQ(e->position.x, 12.0f);
    EXPECT_FLOAT_EQ(e->position.z, -39.0f);
    EXPECT_FLOAT_EQ(e->direction.z, 1.0f);
    EXPECT_EQ(m_reports.last(), "");
}

TEST_F(RacePowerupMessages, SpawnsNamingNoKartNoKindOrNoNumberAreRefusedWithAReport)
{
    struct Case {
        const char* what;
        MessagePayload payload;
        const char* report;
    };
    const Case cases[] = {
        {"an owner past the race's", spawn(5, 3), "kart 5 is not in the race"},
        {"a negative owner", spawn(0x80, 3), "kart -128 is not in the race"},
        {"a kind that leaves nothing", spawn(0, 2), "kind 2 leaves no object"},
        {"a kind past the last", spawn(0, 100), "kind 100 leaves no object"},
        {"a position that is no number", spawn(0, 3, std::nanf("")), "not a number"},
        {"an endless direction", spawn(0, 3, 0.0f, INFINITY), "not a number"},
        {"a short message", MessagePayload().byte(0).byte(3).f32(1.0f), "6 bytes long"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        lastErrorText.assignCString("");
        receiveSpawn(c.payload);
        EXPECT_NE(m_reports.last().find(c.report), std::string::npos) << m_reports.last();
    }
    EXPECT_TRUE(race().m_extras->effects().empty());
    EXPECT_EQ(m_rig.collisionObjects(30), 0);
}
