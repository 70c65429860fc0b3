// The shop over our data set and a profile the test writes: what is on
// offer at which price, the question and the refusal, a purchase written into
// the profile at once, and the stat bars with their percentages.
#include "MenuRig.h"

#include "game/app/TextTable.h"
#include "game/menu/ProfileStore.h"
#include "game/menu/ShopScreen.h"

#include <CEGUI/Window.h>
#include <CEGUI/widgets/ProgressBar.h>
#include <CEGUI/widgets/PushButton.h>
#include <gtest/gtest.h>

namespace {

class Shop : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string why;
        ASSERT_TRUE(rig.start(why)) << why;
        rig.addProfile();
        shop = std::make_unique<ShopScreen>(rig.app.get());
    }
    void TearDown() override { shop.reset(); }

    CEGUI::Window* w(const std::string& path) const { return shop->windows().at(path); }
    void press(const std::string& path)
    {
        CEGUI::WindowEventArgs args(w(path));
        w(path)->fireEvent(CEGUI::PushButton::EventClicked, args, CEGUI::PushButton::EventNamespace);
    }
    CEGUI::String text(int32_t id) const { return rig.app->m_textTable->getText(id); }
    ProfileStore& store() { return *rig.app->m_profileStore; }
    const UpgradeTable& prices() const { return rig.app->m_config.upgrades(); }
    std::string image(const std::string& path, const char* property) const
    {
        return w(path)->getProperty(property).c_str();
    }
    float bar(const char* path) const { return static_cast<CEGUI::ProgressBar*>(w(path))->getProgress(); }

    MenuRig rig{"shop"};
    std::unique_ptr<ShopScreen> shop;
};

TEST_F(Shop, RefreshOffersTheNextPaintLogoAndLevelsWithTheirPrices)
{
    store().setKudos(0, 777);
    store().setColor(0, 0, 2);
    store().setLogo(0, 0, 3);
    store().setEngine(0, 0, 1);
    store().setTires(0, 0, 5);
    shop->refresh();
    EXPECT_EQ(w("Shop/LblKudos")->getText(), "$777");
    EXPECT_EQ(shop->colorSelection(), 3);
    EXPECT_EQ(shop->logoSelection(), 4);
    EXPECT_EQ(image("Shop/BtnColor", "IconNormal"), "Logos/ColorOrange_Normal");
    EXPECT_EQ(image("Shop/BtnColor", "IconHover"), "Logos/ColorOrange_Hover");
    EXPECT_EQ(image("Shop/BtnColor", "IconPushed"), "Logos/ColorOrange_Hover");
    EXPECT_EQ(image("Shop/BtnColor", "IconDisabled"), "Logos/ColorOrange_Normal");
    EXPECT_EQ(image("Shop/BtnLogo", "IconNormal"), "Logos/Logo05_Normal");
    EXPECT_EQ(w("Shop/BtnColor")->getText(), "$" + std::to_string(prices().color[3].price));
    EXPECT_EQ(w("Shop/BtnLogo")->getText(), "$" + std::to_string(prices().logo[4].price));
    // Engine level 1 offers level 2; the tyres are sold out.
    EXPECT_EQ(image("Shop/BtnEngine", "IconNormal"), "Upgrades/Engine02_Normal");
    EXPECT_EQ(image("Shop/BtnEngine", "TransparencyLayer"), "Speed/FullTransparentBrush");
    EXPECT_EQ(w("Shop/BtnEngine")->getText(), "$" + std::to_string(prices().engine[2].price));
    EXPECT_FALSE(w("Shop/BtnEngine")->isDisabled());
    EXPECT_EQ(image("Shop/BtnTires", "IconNormal"), "Upgrades/Tires05_Normal");
    EXPECT_EQ(image("Shop/BtnTires", "TransparencyLayer"), "Upgrades/SoldOut");
    EXPECT_EQ(w("Shop/BtnTires")->getText(), "");
    EXPECT_TRUE(w("Shop/BtnTires")->isDisabled());
    EXPECT_EQ(image("Shop/BtnSpoiler", "IconNormal"), "Upgrades/Spoiler01_Normal");
    EXPECT_EQ(w("Shop/LblHeader")->getText(), text(2050));
    EXPECT_EQ(w("Shop/BtnBack")->getText(), text(1085));
    EXPECT_FALSE(w("Shop/Confirm")->isVisible());
    EXPECT_FALSE(w("Shop/Denied")->isVisible());
}

TEST_F(Shop, PaintChoiceSkipsThePaintTheKartWears)
{
    store().setColor(0, 0, 6);
    shop->refresh();
    EXPECT_EQ(shop->colorSelection(), 0);
    const int32_t down[] = {5, 4};
    for (int32_t expected : down) {
        press("Shop/BtnColorDec");
        EXPECT_EQ(shop->colorSelection(), expected);
    }
    press("Shop/BtnColorInc");
    press("Shop/BtnColorInc"); // 5 -> 6 is owned -> 0
    EXPECT_EQ(shop->colorSelection(), 0);
    press("Shop/BtnColorDec"); // 0 -> 6 is owned -> 5
    EXPECT_EQ(shop->colorSelection(), 5);
    EXPECT_EQ(image("Shop/BtnColor", "IconNormal"), "Logos/ColorRed_Normal");
    // Logos wrap without a skip; the price stays the one of the refresh.
    const CEGUI::String price = w("Shop/BtnLogo")->getText();
    for (int i = 0; i < 6; ++i)
        press("Shop/BtnLogoDec");
    EXPECT_EQ(shop->logoSelection(), 2);
    EXPECT_EQ(image("Shop/BtnLogo", "IconNormal"), "Logos/Logo06_Normal");
    EXPECT_EQ(w("Shop/BtnLogo")->getText(), price);
}

TEST_F(Shop, BuyingAsksFirstAndWritesTheProfileAtOnce)
{
    struct Case {
        const char* button;
        int32_t name;        // the category's name in the question
        int32_t description; // the level text appended, 0 for none
    };
    store().setEngine(0, 0, 4);
    store().setSpoiler(0, 0, 2);
    const int32_t enginePrice = prices().engine[5].price;
    const int32_t spoilerPrice = prices().spoiler[3].price;
    const int32_t colourPrice = prices().color[1].price;
    const int32_t logoPrice = prices().logo[1].price;
    const int32_t kudos = enginePrice + spoilerPrice + colourPrice + logoPrice;
    store().setKudos(0, kudos);
    shop->refresh();
    const Case cases[] = {
        {"Shop/BtnEngine", 2075, 9004},
        {"Shop/BtnSpoiler", 2080, 9007},
        {"Shop/BtnColor", 2065, 0},
        {"Shop/BtnLogo", 2070, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        const std::string price = w(c.button)->getText().c_str();
        press(c.button);
        ASSERT_TRUE(w("Shop/Confirm")->isVisible());
        EXPECT_TRUE(w("Shop/Confirm")->getModalState());
        CEGUI::String question = text(2055);
        question.replace(question.find("[UPGRADE]"), 9, text(c.name));
        question.replace(question.find("[KUDOS]"), 7, price.substr(1));
        if (c.description)
            question += "\n\n" + text(c.description);
        EXPECT_EQ(w("Shop/Confirm/LblMessage")->getText(), question);
        // No leaves everything as it was; yes buys.
        press("Shop/Confirm/BtnNo");
        EXPECT_FALSE(w("Shop/Confirm")->isVisible());
        EXPECT_FALSE(w("Shop/Confirm")->getModalState());
        press(c.button);
        press("Shop/Confirm/BtnYes");
        EXPECT_FALSE(w("Shop/Confirm")->isVisible());
    }
    // Every class carries the purchases; the kudos are spent to the last.
    for (int32_t ccm = 0; ccm < 3; ++ccm) {
        EXPECT_EQ(store().getEngine(0, ccm), 5);
        EXPECT_EQ(store().getSpoiler(0, ccm), 3);
        EXPECT_EQ(store().getColor(0, ccm), 1);
        EXPECT_EQ(store().getLogo(0, ccm), 2); // the offer after a refresh, one past the stored 0
    }
    EXPECT_EQ(store().getKudos(0), 0);
    EXPECT_EQ(w("Shop/LblKudos")->getText(), "$0");
    EXPECT_TRUE(w("Shop/BtnEngine")->isDisabled());
    EXPECT_EQ(image("Shop/BtnEngine", "TransparencyLayer"), "Upgrades/SoldOut");
    EXPECT_EQ(shop->colorSelection(), 2);
    EXPECT_EQ(shop->logoSelection(), 3);
}

TEST_F(Shop, TooFewKudosAreRefusedAndChangeNothing)
{
    store().setTires(0, 0, 1);
    const int32_t price = prices().tires[2].price;
    store().setKudos(0, price - 1);
    shop->refresh();
    press("Shop/BtnTires");
    EXPECT_FALSE(w("Shop/Confirm")->isVisible());
    ASSERT_TRUE(w("Shop/Denied")->isVisible());
    EXPECT_TRUE(w("Shop/Denied")->getModalState());
    EXPECT_EQ(w("Shop/Denied/LblMessage")->getText(), text(2060) + "\n\n" + text(9016));
    press("Shop/Denied/BtnOk");
    EXPECT_FALSE(w("Shop/Denied")->isVisible());
    EXPECT_FALSE(w("Shop/Denied")->getModalState());
    EXPECT_EQ(store().getTires(0, 0), 1);
    EXPECT_EQ(store().getKudos(0), price - 1);
    // A paint refused says so without a level's text.
    store().setKudos(0, 0);
    shop->refresh();
    press("Shop/BtnColor");
    EXPECT_EQ(w("Shop/Denied/LblMessage")->getText(), text(2060));
}

TEST_F(Shop, StatBarsAddTheCarriedUpgradesToTheKartsOwnRatios)
{
    float base[GameConfig::StatCount] = {};
    ASSERT_TRUE(rig.app->kartStatRatios("vela", base));
    shop->refresh();
    for (const char* text : {"Shop/PrgSpeed", "Shop/PrgAccel", "Shop/PrgGrip"})
        EXPECT_EQ(w(text)->getText(), "") << text;
    EXPECT_FLOAT_EQ(bar("Shop/PrgSpeed"), base[GameConfig::StatSpeed]);
    EXPECT_FLOAT_EQ(bar("Shop/PrgAccel"), base[GameConfig::StatAcceleration]);
    EXPECT_FLOAT_EQ(bar("Shop/PrgGrip"), base[GameConfig::StatDrift]);
    EXPECT_FLOAT_EQ(bar("Shop/PrgBrakes"), base[GameConfig::StatBrake]);
    EXPECT_FLOAT_EQ(bar("Shop/PrgTurboTime"), base[GameConfig::StatTurbo]);
    EXPECT_FLOAT_EQ(bar("Shop/PrgStrength"), base[GameConfig::StatMass]);

    store().setEngine(0, 0, 2);
    store().setSpoiler(0, 0, 1);
    store().setSideskirts(0, 0, 0);
    store().setTires(0, 0, 3);
    shop->refresh();
    EXPECT_EQ(w("Shop/PrgSpeed")->getText(), "+4%");
    EXPECT_EQ(w("Shop/PrgAccel")->getText(), "+4%");
    EXPECT_EQ(w("Shop/PrgGrip")->getText(), "+6%");
    // Of the ten parts that speed a kart up (engine and side skirts) it
    // carries two; of the ten that accelerate it (engine and tyres) five; of
    // the ten that help its grip (spoiler and tyres) four.
    auto share = [](float ratio, float part) { return ratio + (1.0f - ratio) * part; };
    EXPECT_FLOAT_EQ(bar("Shop/PrgSpeed"), share(base[GameConfig::StatSpeed], 0.2f));
    EXPECT_FLOAT_EQ(bar("Shop/PrgAccel"), share(base[GameConfig::StatAcceleration], 0.5f));
    EXPECT_FLOAT_EQ(bar("Shop/PrgGrip"), share(base[GameConfig::StatDrift], 0.4f));
    EXPECT_FLOAT_EQ(bar("Shop/PrgBrakes"), base[GameConfig::StatBrake]);

    // Everything at level 5 fills the three bars.
    store().setEngine(0, 0, 5);
    store().setSpoiler(0, 0, 5);
    store().setSideskirts(0, 0, 5);
    store().setTires(0, 0, 5);
    shop->refresh();
    EXPECT_FLOAT_EQ(bar("Shop/PrgSpeed"), 1.0f);
    EXPECT_FLOAT_EQ(bar("Shop/PrgAccel"), 1.0f);
    EXPECT_FLOAT_EQ(bar("Shop/PrgGrip"), 1.0f);
    EXPECT_EQ(w("Shop/PrgSpeed")->getText(), "+20%");
}

} // namespace
