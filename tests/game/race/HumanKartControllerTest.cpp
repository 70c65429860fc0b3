// The keyboard driver: its three key sets, the reset key taken once a
// press, and the start timing before GO.
#include "game/app/WinInput.h"
#include "game/race/HumanKartController.h"
#include "game/race/Kart.h"
#include "game/race/Race.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(HumanKartController, EachKeySetReadsItsOwnKeys)
{
    struct Case {
        int32_t set;
        uint8_t throttle, brake, left, right, fire, reset, lookBack;
    };
    const Case cases[] = {
        {1, 0xC8, 0xD0, 0xCB, 0xCD, 0x39, 0xD3, 0x0F},
        {2, 0xC8, 0xD0, 0xCB, 0xCD, 0x9D, 0xD3, 0x0E},
        {3, 0x11, 0x1F, 0x1E, 0x20, 0x1D, 0x13, 0x0F},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.set);
        WinInput input;
        HumanKartController driver(&input, c.set);
        EXPECT_EQ(driver.getType(), KartController::Human);
        EXPECT_FALSE(driver.isAI());
        const struct {
            uint8_t key;
            float KartController::*output;
        } keys[] = {{c.throttle, &KartController::m_throttle}, {c.brake, &KartController::m_brake},
                    {c.left, &KartController::m_steerLeft},    {c.right, &KartController::m_steerRight},
                    {c.fire, &KartController::m_fire},         {c.lookBack, &KartController::m_lookBack}};
        for (const auto& k : keys) {
            input.m_keys[k.key] = 1;
            driver.update();
            EXPECT_EQ(driver.*k.output, 1.0f) << int(k.key);
            input.m_keys[k.key] = 0;
            driver.update();
            EXPECT_EQ(driver.*k.output, 0.0f) << int(k.key);
        }
        // Held, the reset key gives one request.
        input.m_keys[c.reset] = 1;
        driver.update();
        EXPECT_EQ(driver.m_reset, 1.0f);
        driver.update();
        EXPECT_EQ(driver.m_reset, 0.0f);
    }
}

TEST(HumanKartController, NoResetWhileAHitHoldsTheKart)
{
    WinInput input;
    auto* driver = new HumanKartController(&input, 1);
    Kart kart(nullptr, nullptr, 0, nullptr, driver, driver, nullptr, nullptr, 0);
    kart.m_bananaHitSteps = 10;
    input.m_keys[0xD3] = 1;
    driver->update();
    EXPECT_EQ(driver->m_reset, 0.0f);
    EXPECT_EQ(input.m_keys[0xD3], 0);
}

TEST(HumanKartController, ThrottleBeforeGoBoostsOrStalls)
{
    struct Case {
        const char* name;
        double beforeGo; // seconds before GO the throttle is pressed
        float boost, stall;
    };
    const Case cases[] = {
        {"0.4 s: a good start", 0.4, 1.0f, 0.0f},
        {"0.8 s: too early", 0.8, 0.0f, 1.0f},
        {"0.1 s: too late", 0.1, 0.0f, 1.0f},
        {"1.5 s: nothing yet", 1.5, 0.0f, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Race race(nullptr, nullptr);
        race.m_countdownStart = 10.0f;
        race.m_timer.m_total = 13.0 - c.beforeGo;
        WinInput input;
        HumanKartController driver(&input, 1);
        input.m_keys[0xC8] = 1;
        driver.update();
        EXPECT_EQ(driver.m_startBoost, c.boost);
        EXPECT_EQ(driver.m_falseStart, c.stall);
        // Both clear once the clock is a second past GO.
        race.m_timer.m_total = 14.1;
        driver.update();
        EXPECT_EQ(driver.m_startBoost, 0.0f);
        EXPECT_EQ(driver.m_falseStart, 0.0f);
    }
}

TEST(HumanKartController, WithoutACountdownNothingIsTimed)
{
    Race race(nullptr, nullptr);
    race.m_timer.m_total = 2.6;
    WinInput input;
    HumanKartController driver(&input, 1);
    input.m_keys[0xC8] = 1;
    driver.update();
    EXPECT_EQ(driver.m_startBoost, 0.0f);
    EXPECT_EQ(driver.m_falseStart, 0.0f);
}

} // namespace
