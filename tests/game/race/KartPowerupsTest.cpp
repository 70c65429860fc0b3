// Every power-up kind used in a race: what it does to the kart that uses it
// and to the kart it hits (timers, shield and immunity, damage, animations,
// cues), the objects it leaves and their end; every kind of hit and its
// damage; the frog's three jumps, the item box's odds and the special
// pickup; kinds and karts that do not exist.
#include "PowerupRig.h"

#include "engine/core/math/Random.h"
#include "engine/core/base/Report.h"
#include "support/RecordedReports.h"
#include "engine/scene/CollisionObject.h"
#include "game/app/RaceSetup.h"
#include "game/race/Extras.h"

#include <gtest/gtest.h>
#include <ode/ode.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <optional>
#include <utility>
#include <vector>

namespace {

using KartTimer = int32_t Kart::*;
using TimerValues = std::vector<std::pair<KartTimer, int32_t>>;

struct Animation {
    int32_t id;
    float hold;
    float fadeIn = 0.0f;
    float fadeOut = 0.0f;
};

// Where the other kart stands when the power-up is used: far away, 5 m or
// 2 m beside the user, or driven onto the object the power-up leaves.
enum Victim { Away, Beside5, Beside2, OnObject };

struct HitOnVictim {
    KartTimer timer;
    int32_t steps;
    Animation animation;
    float weight;
    uint32_t cue;
    int32_t damage;
};

struct UseCase {
    int32_t kind;
    const char* name;
    // On the user.
    TimerValues timers;
    std::vector<Animation> animations;
    std::vector<uint32_t> cues;
    int32_t energyAfter;
    int32_t heldAfter;
    // What it leaves: the object kind, how many and for how many steps.
    int32_t objectKind;
    int32_t objects;
    int32_t lifetime;
    // On the other kart.
    Victim victim;
    std::optional<HitOnVictim> hit;
};

const Animation Activate{Kart::AnimActivate, 0.5f};
// The users start at half energy, so that health shows.
constexpr int32_t StartEnergy = 50;

const HitOnVictim OilHit{&Kart::m_oilHitSteps, 500, {Kart::AnimSpin2, 5.0f}, 1.0f, 14, 10};
const HitOnVictim RocketHit{&Kart::m_rocketHitSteps, 300, {Kart::AnimSmoke, 3.0f}, 1.0f, 17, 10};
const HitOnVictim DecoyHit{&Kart::m_decoyHitSteps, 500, {Kart::AnimSmoke, 5.0f}, 1.0f, 9, 10};
const HitOnVictim SnowballHit{&Kart::m_snowballHitSteps, 500, {Kart::AnimSnowball, 5.0f}, 1.0f, 11, 10};
const HitOnVictim BananaHit{&Kart::m_bananaHitSteps, 300, {Kart::AnimSpin2, 3.0f}, 1.0f, 10, 10};
const HitOnVictim TankHit{&Kart::m_spinHitSteps, 300, {Kart::AnimSpin2, 3.0f}, 1.0f, 16, 10};
const HitOnVictim PumpkinHit{&Kart::m_pumpkinHitSteps, 500, {Kart::AnimSmoke, 5.0f}, 1.0f, 12, 10};
const HitOnVictim AlienHit{&Kart::m_alienHitSteps, 500, {Kart::AnimShock, 5.0f}, 1.0f, 13, 10};
const HitOnVictim HoleHit{&Kart::m_holeSteps, 300, {Kart::AnimFall, 3.0f}, 0.5f, 15, 10};

// The fixture's karts boost for 5 s.
const std::vector<UseCase> Cases = {
    {0, "boost", {{&Kart::m_boostSteps, 500}}, {Activate}, {0}, StartEnergy, -1, 0, 0, 0, Away, {}},
    {1, "oil", {}, {Activate}, {1}, StartEnergy, -1, 1, 1, 15000, OnObject, OilHit},
    {2, "shield", {{&Kart::m_shieldSteps, 1200}}, {{Kart::AnimShield, 12.0f}, Activate}, {2}, StartEnergy, -1, 0, 0, 0,
     Away, {}},
    {3, "rocket", {}, {Activate}, {3}, StartEnergy, -1, 3, 1, 1000, OnObject, RocketHit},
    {4, "decoy", {}, {Activate}, {4}, StartEnergy, -1, 4, 1, 15000, OnObject, DecoyHit},
    {5, "snowball", {}, {Activate}, {5}, StartEnergy, -1, 5, 1, 1000, OnObject, SnowballHit},
    {6, "health", {}, {{Kart::AnimHealth, 2.0f}}, {}, StartEnergy + 10, -1, 0, 0, 0, Away, {}},
    {7, "quad damage", {{&Kart::m_quadDamageSteps, 3000}}, {{Kart::AnimQuadDamage, 30.0f}}, {}, StartEnergy, -1, 0, 0,
     0, Away, {}},
    {8, "hammer", {{&Kart::m_hammerSteps, 3000}}, {{Kart::AnimHammer, 30.0f}}, {}, StartEnergy, -1, 0, 0, 0, Away, {}},
    {9, "speed-up", {{&Kart::m_speedupSteps, 800}}, {{Kart::AnimSpeedup, 8.0f, 0.2f, 0.2f}}, {}, StartEnergy, -1, 0, 0,
     0, Away, {}},
    {10, "bananas", {}, {Activate}, {}, StartEnergy, -1, 10, 10, 15000, OnObject, BananaHit},
    {11, "frog", {{&Kart::m_jump1Steps, 300}}, {{Kart::AnimJump, 1.0f / 3.0f, 0.0f, 1.0f / 3.0f}}, {}, StartEnergy, 12,
     0, 0, 0, Away, {}},
    {14, "tank", {{&Kart::m_tankSteps, 1000}, {&Kart::m_immunitySteps, 1000}}, {{Kart::AnimTank, 10.0f}}, {},
     StartEnergy, -1, 0, 0, 0, Beside2, TankHit},
    {15, "pumpkin", {}, {{Kart::AnimThrow, 0.05f}}, {}, StartEnergy, -1, 15, 1, 1000, OnObject, PumpkinHit},
    {16, "alien", {}, {{Kart::AnimShoot, 2.0f / 3.0f}}, {6}, StartEnergy, -1, 0, 0, 0, Beside5, AlienHit},
    {17, "hole", {}, {Activate}, {7}, StartEnergy, -1, 17, 1, 15000, OnObject, HoleHit},
};

// Every timer a power-up or hit sets.
const KartTimer AllTimers[] = {
    &Kart::m_boostSteps,      &Kart::m_oilHitSteps,     &Kart::m_bananaHitSteps, &Kart::m_shieldSteps,
    &Kart::m_speedupSteps,    &Kart::m_jump1Steps,      &Kart::m_jump2Steps,     &Kart::m_jump3Steps,
    &Kart::m_quadDamageSteps, &Kart::m_hammerSteps,     &Kart::m_decoyHitSteps,  &Kart::m_snowballHitSteps,
    &Kart::m_tankSteps,       &Kart::m_spinHitSteps,    &Kart::m_immunitySteps,  &Kart::m_pumpkinHitSteps,
    &Kart::m_alienHitSteps,   &Kart::m_rocketHitSteps,  &Kart::m_holeSteps,      &Kart::m_collisionHitSteps,
};

void expectAnimation(const Kart& kart, const Animation& a, float weight = 1.0f)
{
    SCOPED_TRACE(a.id);
    const AnimationEnvelope& e = kart.m_envelope[a.id];
    EXPECT_TRUE(e.active);
    EXPECT_FLOAT_EQ(e.hold, a.hold);
    EXPECT_FLOAT_EQ(e.fadeIn, a.fadeIn);
    EXPECT_FLOAT_EQ(e.fadeOut, a.fadeOut);
    EXPECT_FLOAT_EQ(kart.m_animationWeight[a.id], weight);
}

// Timers other than the listed ones are all 0.
void expectOnlyTimers(const Kart& kart, const TimerValues& set)
{
    for (size_t i = 0; i < std::size(AllTimers); ++i) {
        const auto it = std::find_if(set.begin(), set.end(), [&](const auto& t) { return t.first == AllTimers[i]; });
        EXPECT_EQ(kart.*AllTimers[i], it == set.end() ? 0 : it->second) << "timer " << i;
    }
}

class KartPowerups : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_rig.loaded());
        // User and victim on a straight-enough stretch, far apart.
        m_rig.place(0, 100.0f);
        m_rig.place(1, 200.0f);
        m_rig.steps(20);
        // What loading the fixture reported is the race's business.
        lastErrorText.assignCString("");
    }

    Extras& extras() { return *m_rig.race().m_extras; }
    RecordedReports m_reports;
    PowerupRig m_rig;
};

} // namespace

TEST_F(KartPowerups, EveryKindOnTheUserAndOnTheKartItHits)
{
    for (const UseCase& c : Cases) {
        SCOPED_TRACE(c.name);
        Kart& user = m_rig.kart(0);
        Kart& victim = m_rig.kart(1);
        // A fresh pair: both back in place with nothing running.
        for (Kart* k : {&user, &victim}) {
            k->resetEffects(true);
            k->m_immunitySteps = 0;
            for (auto& e : k->m_envelope)
                e.active = 0;
            k->setEnergy(StartEnergy);
        }
        m_rig.place(0, 100.0f);
        if (c.victim == Beside5 || c.victim == Beside2)
            m_rig.place(1, 100.0f, c.victim == Beside5 ? 5.0f : 2.0f);
        else
            m_rig.place(1, 200.0f);
        m_rig.steps(1);
        const size_t cueMark = m_rig.race().m_cues.size();
        ASSERT_TRUE(extras().effects().empty());

        user.m_powerup = c.kind;
        user.usePowerup();

        expectOnlyTimers(user, c.timers);
        for (const Animation& a : c.animations)
            expectAnimation(user, a);
        EXPECT_EQ(user.energy(), c.energyAfter);
        EXPECT_EQ(user.m_powerup, c.heldAfter);

        ASSERT_EQ(int32_t(extras().effects().size()), c.objects);
        for (const ExtraEffect* e : extras().effects()) {
            EXPECT_EQ(e->kind, c.objectKind);
            EXPECT_EQ(e->owner, 0);
            EXPECT_EQ(e->lifetime, c.lifetime);
            ASSERT_NE(e->body, nullptr);
            EXPECT_EQ(e->body->m_owner, e);
        }
        EXPECT_EQ(m_rig.collisionObjects(30), c.objects);

        // The other kart meets it, once the user is out of the way.
        const ExtraEffect* target = c.objects ? extras().effects().front() : nullptr;
        if (c.victim == OnObject) {
            m_rig.place(0, 150.0f);
            m_rig.placeOver(1, target->position);
        }
        int32_t steps = 0;
        while (steps < 20 && victim.energy() == StartEnergy) {
            m_rig.steps(1);
            ++steps;
        }
        if (!c.hit) {
            EXPECT_EQ(victim.energy(), StartEnergy);
            expectOnlyTimers(victim, {});
        } else {
            const HitOnVictim& hit = *c.hit;
            EXPECT_EQ(victim.energy(), StartEnergy - hit.damage);
            // Set in the step it struck and not yet counted down, except by
            // the tank, which strikes in the user's step before the victim's.
            expectOnlyTimers(victim, {{hit.timer, hit.steps - (c.victim == Beside2 ? 1 : 0)}});
            expectAnimation(victim, hit.animation, hit.weight);
        }
        // The user's cues and the victim's, each once (the alien strikes
        // before its user's cue sounds).
        std::vector<uint32_t> cues = m_rig.cuesSince(cueMark);
        std::vector<uint32_t> expected = c.cues;
        if (c.hit)
            expected.push_back(c.hit->cue);
        std::sort(cues.begin(), cues.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(cues, expected);
        // The user is never hit by its own objects.
        EXPECT_EQ(user.energy(), c.energyAfter);

        if (c.objects > 0) {
            // The object that struck ends in the next step; a hole stays 3 s.
            m_rig.steps(1);
            const int32_t left = int32_t(extras().effects().size());
            if (c.objectKind == ExtraHole) {
                ASSERT_EQ(left, 1);
                EXPECT_EQ(extras().effects().front()->lifetime, 300 - 1);
            } else {
                EXPECT_LT(left, c.objects);
            }
            // Every object left runs out in its time.
            for (ExtraEffect* e : extras().effects()) {
                EXPECT_EQ(e->lifetime, c.objectKind == ExtraHole ? 299 : c.lifetime - steps - 1);
                e->lifetime = 1;
            }
            m_rig.steps(1);
            EXPECT_TRUE(extras().effects().empty());
            EXPECT_EQ(m_rig.collisionObjects(30), 0);
            EXPECT_EQ(m_rig.collisionObjects(31), 0);
        }
        // Let the tank and the immunity run out before the next kind.
        user.m_tankSteps = 0;
    }
    EXPECT_EQ(m_reports.last(), "");
}

TEST_F(KartPowerups, HitsOfEveryKind)
{
    struct Case {
        int32_t kind;
        KartTimer timer;
        int32_t steps;
        int32_t animation;
        float hold, weight;
        int32_t cue;
        int32_t damage;
        bool pushed;
    };
    const Case cases[] = {
        {1, &Kart::m_oilHitSteps, 500, Kart::AnimSpin2, 5.0f, 1.0f, 14, 10, true},
        {3, &Kart::m_rocketHitSteps, 300, Kart::AnimSmoke, 3.0f, 1.0f, 17, 10, false},
        {4, &Kart::m_decoyHitSteps, 500, Kart::AnimSmoke, 5.0f, 1.0f, 9, 10, false},
        {5, &Kart::m_snowballHitSteps, 500, Kart::AnimSnowball, 5.0f, 1.0f, 11, 10, false},
        {10, &Kart::m_bananaHitSteps, 300, Kart::AnimSpin2, 3.0f, 1.0f, 10, 10, true},
        {14, &Kart::m_spinHitSteps, 300, Kart::AnimSpin2, 3.0f, 1.0f, 16, 10, true},
        {15, &Kart::m_pumpkinHitSteps, 500, Kart::AnimSmoke, 5.0f, 1.0f, 12, 10, false},
        {16, &Kart::m_alienHitSteps, 500, Kart::AnimShock, 5.0f, 1.0f, 13, 10, false},
        {17, &Kart::m_holeSteps, 300, Kart::AnimFall, 3.0f, 0.5f, 15, 10, false},
        {18, &Kart::m_collisionHitSteps, 300, -1, 0.0f, 0.0f, 25, 5, false},
        // No hits: they cost nothing and play nothing.
        {2, nullptr, 0, -1, 0.0f, 0.0f, -1, 0, false},
        {6, nullptr, 0, -1, 0.0f, 0.0f, -1, 0, false},
        {9, nullptr, 0, -1, 0.0f, 0.0f, -1, 0, false},
        {13, nullptr, 0, -1, 0.0f, 0.0f, -1, 0, false},
    };
    Kart& kart = m_rig.kart(1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        kart.resetEffects(true);
        for (auto& e : kart.m_envelope)
            e.active = 0;
        kart.m_exclusiveAnimation = -1;
        kart.m_gear = 1;
        m_rig.place(1, 200.0f);
        kart.setEnergy(100);
        const size_t mark = m_rig.race().m_cues.size();
        kart.applyHit(c.kind, 0, 0, true);
        EXPECT_EQ(kart.energy(), 100 - c.damage);
        expectOnlyTimers(kart, c.timer ? TimerValues{{c.timer, c.steps}} : TimerValues{});
        if (c.animation >= 0)
            expectAnimation(kart, {c.animation, c.hold}, c.weight);
        EXPECT_EQ(m_rig.cuesSince(mark), c.cue >= 0 ? std::vector<uint32_t>{uint32_t(c.cue)} : std::vector<uint32_t>{});
        // A hole takes the kart out of gear and silences its other animations.
        EXPECT_EQ(kart.m_gear, c.kind == 17 ? 0 : 1);
        EXPECT_EQ(kart.m_exclusiveAnimation, c.kind == 17 ? int32_t(Kart::AnimFall) : -1);
        // The push throws the kart sideways.
        const dReal* force = dBodyGetForce(kart.m_chassis->m_body);
        EXPECT_EQ(std::fabs(force[0]) + std::fabs(force[2]) > 0.0, c.pushed);
        m_rig.steps(1);
    }
}

TEST_F(KartPowerups, DamageCountsTheAttackersQuadDamageAndHammerAndTheVictimsHammer)
{
    Kart& attacker = m_rig.kart(0);
    Kart& victim = m_rig.kart(1);
    struct Case {
        const char* what;
        bool quad, hammer, victimHammer;
        uint8_t flags;
        int32_t damage;
    };
    const Case cases[] = {
        {"plain", false, false, false, 0, 10},
        {"quad damage", true, false, false, 0, 40},
        {"the attacker's hammer", false, true, false, 0, 20},
        {"both", true, true, false, 0, 80},
        {"against the hammer", false, false, true, 0, 5},
        {"quad damage against the hammer", true, false, true, 0, 20},
        {"quad damage sent along", false, false, false, Kart::HitQuadDamage, 40},
        {"the hammer sent along", false, false, false, Kart::HitHammer, 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        victim.resetEffects(true);
        victim.setEnergy(100);
        attacker.m_quadDamageSteps = c.quad ? 100 : 0;
        attacker.m_hammerSteps = c.hammer ? 100 : 0;
        victim.m_hammerSteps = c.victimHammer ? 100 : 0;
        victim.applyHit(3, 0, c.flags, true);
        EXPECT_EQ(victim.energy(), 100 - c.damage);
    }
}

TEST_F(KartPowerups, ShieldImmunityAndTheFinishIgnoreHits)
{
    Kart& kart = m_rig.kart(1);
    struct Case {
        const char* what;
        KartTimer timer;
        uint8_t finished;
    };
    const Case cases[] = {
        {"shield", &Kart::m_shieldSteps, 0},
        {"the tank's immunity", &Kart::m_immunitySteps, 0},
        {"finished", nullptr, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        kart.resetEffects(true);
        kart.m_immunitySteps = 0;
        if (c.timer)
            kart.*c.timer = 100;
        kart.m_finished = c.finished;
        const size_t mark = m_rig.race().m_cues.size();
        for (int32_t kind = 1; kind <= 18; ++kind)
            kart.applyHit(kind, 0, Kart::HitQuadDamage, true);
        EXPECT_EQ(kart.energy(), 100);
        EXPECT_EQ(kart.m_rocketHitSteps + kart.m_holeSteps + kart.m_oilHitSteps, 0);
        EXPECT_TRUE(m_rig.cuesSince(mark).empty());
    }
    // A finished kart takes no pickups and uses nothing either.
    kart.m_powerup = Kart::PowerupShield;
    kart.usePowerup();
    kart.applyHealth();
    kart.applyQuadDamage();
    kart.rollPowerup();
    EXPECT_EQ(kart.m_powerup, int32_t(Kart::PowerupShield));
    EXPECT_EQ(kart.m_shieldSteps + kart.m_quadDamageSteps, 0);
}

TEST_F(KartPowerups, ASecondBananaWithinThreeSecondsIsIgnoredButOilIsNot)
{
    Kart& kart = m_rig.kart(1);
    kart.applyHit(10, 0, 0, true);
    m_rig.steps(299);
    kart.applyHit(10, 0, 0, true);
    EXPECT_EQ(kart.energy(), 90);
    EXPECT_EQ(kart.m_bananaHitSteps, 1);
    m_rig.steps(1);
    kart.applyHit(10, 0, 0, true);
    EXPECT_EQ(kart.energy(), 80);
    kart.applyHit(1, 0, 0, true);
    kart.applyHit(1, 0, 0, true);
    EXPECT_EQ(kart.energy(), 60);
}

TEST_F(KartPowerups, TheFrogJumpsThreeTimesEachAfterTheLast)
{
    Kart& kart = m_rig.kart(0);
    kart.m_powerup = Kart::PowerupFrog;
    kart.usePowerup();
    EXPECT_EQ(kart.m_jump1Steps, 300);
    EXPECT_EQ(kart.m_powerup, int32_t(Kart::PowerupFrog2));
    // Too early: nothing happens, the jump is kept.
    m_rig.steps(150);
    kart.usePowerup();
    EXPECT_EQ(kart.m_jump2Steps, 0);
    EXPECT_EQ(kart.m_powerup, int32_t(Kart::PowerupFrog2));
    m_rig.steps(150);
    ASSERT_EQ(kart.m_jump1Steps, 0);
    kart.usePowerup();
    EXPECT_EQ(kart.m_jump2Steps, 300);
    EXPECT_EQ(kart.m_powerup, int32_t(Kart::PowerupFrog3));
    kart.usePowerup();
    EXPECT_EQ(kart.m_jump3Steps, 0);
    m_rig.steps(300);
    kart.usePowerup();
    EXPECT_EQ(kart.m_jump3Steps, 300);
    EXPECT_EQ(kart.m_jump1Steps + kart.m_jump2Steps, 0);
    EXPECT_EQ(kart.m_powerup, -1);
}

TEST_F(KartPowerups, ItemBoxOddsFollowThePlace)
{
    struct Case {
        const char* what;
        int32_t gameType, rank;
        float odds[6];
    };
    const Case cases[] = {
        {"last man standing", Race::LastManStanding, 0, {1, 1, 1, 1, 1, 1}},
        {"the leader", Race::SingleRace, 0, {0.5f, 2.5f, 2.5f, 1.0f, 2.5f, 1.0f}},
        {"second", Race::SingleRace, 1, {0.5f, 2.5f, 2.5f, 1.0f, 2.5f, 1.0f}},
        {"the middle", Race::SingleRace, 3, {1, 1, 1, 1, 1, 1}},
        {"the last", Race::SingleRace, 6, {3.0f, 0.5f, 2.0f, 2.0f, 0.5f, 2.0f}},
    };
    Kart& kart = m_rig.kart(0);
    constexpr int32_t Draws = 20000;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_rig.race().m_setup->gameType = c.gameType;
        kart.m_rank = c.rank;
        engineSrand(11);
        int32_t counts[6] = {};
        for (int32_t i = 0; i < Draws; ++i) {
            kart.rollPowerup();
            ASSERT_GE(kart.m_powerup, 0);
            ASSERT_LT(kart.m_powerup, 6);
            ++counts[kart.m_powerup];
        }
        float total = 0.0f;
        for (float o : c.odds)
            total += o;
        for (int k = 0; k < 6; ++k)
            EXPECT_NEAR(float(counts[k]) / Draws, c.odds[k] / total, 0.015f) << "kind " << k;
    }
}

TEST_F(KartPowerups, TheSpecialPickupGivesTheKartsOwnSpecial)
{
    Kart& kart = m_rig.kart(0);
    kart.m_special = Kart::PowerupTank;
    kart.giveSpecial();
    EXPECT_EQ(kart.m_powerup, int32_t(Kart::PowerupTank));
}

TEST_F(KartPowerups, KindsThatDoNotExistAreRefusedWithAReport)
{
    Kart& kart = m_rig.kart(0);
    Kart& other = m_rig.kart(1);
    // From a kart record: a special that is no power-up.
    for (int32_t special : {-1, 18, 1000}) {
        SCOPED_TRACE(special);
        lastErrorText.assignCString("");
        kart.m_powerup = -1;
        kart.m_special = special;
        kart.giveSpecial();
        EXPECT_EQ(kart.m_powerup, -1);
        EXPECT_NE(m_reports.last().find("special power-up " + std::to_string(special)), std::string::npos);
    }
    // A held kind set from anywhere else.
    lastErrorText.assignCString("");
    kart.m_powerup = 99;
    kart.usePowerup();
    EXPECT_EQ(kart.m_powerup, -1);
    EXPECT_NE(m_reports.last().find("power-up 99"), std::string::npos);
    // Hits of no kind, or from no kart of the race.
    struct Hit {
        int32_t kind, attacker;
    };
    for (const Hit& h : {Hit{0, 0}, Hit{19, 0}, Hit{-5, 0}, Hit{200, 0}, Hit{3, 2}, Hit{3, 127}, Hit{3, -2}}) {
        SCOPED_TRACE(testing::Message() << h.kind << " from " << h.attacker);
        lastErrorText.assignCString("");
        other.applyHit(h.kind, h.attacker, 0, true);
        EXPECT_EQ(other.energy(), 100);
        EXPECT_NE(m_reports.last().find("refused hit"), std::string::npos);
    }
    // No attacker at all is a plain hit.
    other.applyHit(3, -1, 0, true);
    EXPECT_EQ(other.energy(), 90);
}
