// The options through the GUI: every option changed by the player's clicks
// and drags, OK, and each found in settings.xml and on the screen again
// after a restart (on a display, whose modes the video-mode list offers);
// Cancel puts everything back, Reset takes the defaults and keeps the
// language.
#include "MenuRig.h"

#include "engine/core/render/Renderer.h"
#include "game/app/Settings.h"
#include "game/app/TextTable.h"
#include "support/RendererRig.h"

#include <CEGUI/Window.h>
#include <CEGUI/widgets/Combobox.h>
#include <CEGUI/widgets/RadioButton.h>
#include <CEGUI/widgets/Slider.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

struct Slide {
    const char* slider;
    float target;
    float Settings::*value;
};
const Slide kSlides[] = {
    {"Options/SldBrightness", 0.8f, &Settings::brightness}, {"Options/SldContrast", 0.3f, &Settings::contrast},
    {"Options/SldGamma", 0.6f, &Settings::gamma},           {"Options/SldMusicVolume", 0.2f, &Settings::musicVolume},
    {"Options/SldSfxVolume", 0.9f, &Settings::sfxVolume},
};

class MenuOptions : public ::testing::Test {
protected:
    void TearDown() override
    {
        rig.reset();
        g_settings = nullptr;
    }
    // A run of the game on the settings, its menu open on the main menu.
    void startGame(Settings& settings, Renderer* renderer = nullptr)
    {
        g_settings = &settings;
        Menu::s_firstMenu = 1;
        if (!rig)
            rig = std::make_unique<MenuRig>("menu-options", renderer);
        std::string why;
        ASSERT_TRUE(rig->start(why)) << why;
        rig->openMenu();
        rig->settle();
        ASSERT_EQ(rig->shown(), "MainMenu");
    }
    void stopGame()
    {
        rig->closeMenu();
        rig->app.reset();
    }
    void openOptions()
    {
        rig->click("MainMenu/BtnOptions");
        rig->settle();
        ASSERT_EQ(rig->shown(), "Options");
    }
    std::string text(const std::string& path) const { return rig->window(path)->getText().c_str(); }
    std::string table(int32_t id) const { return rig->app->m_textTable->getText(id).c_str(); }
    float sliderValue(const char* path) const
    {
        return static_cast<CEGUI::Slider*>(rig->window(path))->getCurrentValue();
    }
    bool selected(const char* path) const
    {
        return static_cast<CEGUI::RadioButton*>(rig->window(path))->isSelected();
    }

    // The display outlives the game run on it.
    RendererRig gl;
    std::unique_ptr<MenuRig> rig;
};

TEST_F(MenuOptions, EveryOptionChangedIsInSettingsXmlAndOnTheScreenAfterARestart)
{
    ASSERT_TRUE(gl.start(1024, 768)) << "no display";
    Settings first;
    first.multilanguage = 1;
    startGame(first, gl.renderer.get());
    openOptions();
    // The display runs in a window: its entry is the last, but the settings
    // ask for the full screen, so the screen shows that mode.
    ASSERT_TRUE(gl.renderer->m_windowed);
    EXPECT_NE(text("Options/CboVideoMode"), "Windowed");
    EXPECT_EQ(text("Options/CboLanguage"), table(3010));
    EXPECT_TRUE(selected("Options/OptTextureDetailMedium"));
    EXPECT_TRUE(selected("Options/OptObjectDetailLow"));

    // The player's changes: the window, French, low textures, detailed
    // objects, and every slider moved.
    const auto* modes = static_cast<CEGUI::Combobox*>(rig->window("Options/CboVideoMode"));
    ASSERT_GE(modes->getItemCount(), 1u);
    rig->choose("Options/CboVideoMode", uint32_t(modes->getItemCount() - 1));
    EXPECT_EQ(text("Options/CboVideoMode"), "Windowed");
    rig->choose("Options/CboLanguage", 2);
    // The language changes at once, every screen with it.
    const std::string optionsFr = table(5070), creditsFr = table(5080);
    EXPECT_EQ(text("Options/LblHeader"), optionsFr);
    EXPECT_EQ(text("MainMenu/BtnCredits"), creditsFr);
    rig->click("Options/OptTextureDetailLow");
    rig->click("Options/OptObjectDetailHigh");
    for (const Slide& slide : kSlides) {
        SCOPED_TRACE(slide.slider);
        rig->slide(slide.slider, slide.target);
        EXPECT_NEAR(sliderValue(slide.slider), slide.target, 0.02f);
        EXPECT_EQ(first.*slide.value, sliderValue(slide.slider));
    }
    rig->click("Options/BtnOk");
    rig->settle();
    EXPECT_EQ(rig->shown(), "MainMenu");
    // The new mode waits for the main loop's reset; the detail is the renderer's now.
    EXPECT_TRUE(gl.renderer->takeResetRequest());
    EXPECT_EQ(gl.renderer->m_textureDetail, -2);
    EXPECT_EQ(gl.renderer->m_objectDetail, 1);

    // The restart: settings.xml read as the program reads it.
    stopGame();
    Settings second;
    ASSERT_TRUE(second.load());
    EXPECT_EQ(second.language, 2);
    EXPECT_EQ(second.windowed, 1);
    EXPECT_EQ(second.width, 960);
    EXPECT_EQ(second.height, 720);
    EXPECT_EQ(second.textureDetail, -2);
    EXPECT_EQ(second.objectDetail, 1);
    for (const Slide& slide : kSlides)
        EXPECT_NEAR(second.*slide.value, first.*slide.value, 1e-5f) << slide.slider;
    startGame(second);
    EXPECT_EQ(text("MainMenu/BtnCredits"), creditsFr);
    openOptions();
    EXPECT_EQ(text("Options/CboVideoMode"), "Windowed");
    EXPECT_EQ(text("Options/CboLanguage"), table(3020));
    EXPECT_TRUE(selected("Options/OptTextureDetailLow"));
    EXPECT_TRUE(selected("Options/OptObjectDetailHigh"));
    for (const Slide& slide : kSlides)
        EXPECT_NEAR(sliderValue(slide.slider), first.*slide.value, 1e-5f) << slide.slider;
}

TEST_F(MenuOptions, CancelPutsEverythingBackAndResetTakesTheDefaultsButTheLanguage)
{
    Settings settings;
    settings.multilanguage = 1;
    settings.language = 0;
    settings.brightness = 0.25f;
    settings.objectDetail = 1;
    const Settings before = settings;
    startGame(settings);
    const std::string optionsDe = table(5070);
    openOptions();
    rig->choose("Options/CboLanguage", 4);
    EXPECT_NE(text("Options/LblHeader"), optionsDe);
    rig->slide("Options/SldBrightness", 0.75f);
    rig->slide("Options/SldMusicVolume", 0.1f);
    rig->click("Options/OptTextureDetailHigh");
    rig->click("Options/OptObjectDetailLow");
    EXPECT_EQ(settings.textureDetail, 0);
    EXPECT_EQ(settings.objectDetail, 0);
    rig->click("Options/BtnCancel");
    rig->settle();
    EXPECT_EQ(rig->shown(), "MainMenu");
    EXPECT_EQ(settings.print(), before.print());
    EXPECT_EQ(rig->app->m_textTable->language, 0u);
    EXPECT_EQ(text("Options/LblHeader"), optionsDe);
    EXPECT_FALSE(std::filesystem::exists(rig->playerFolder.file("settings.xml")));

    // Reset: every value its default, the language kept, written on OK.
    openOptions();
    rig->click("Options/BtnReset");
    EXPECT_NEAR(sliderValue("Options/SldBrightness"), 0.5f, 1e-6f);
    EXPECT_NEAR(sliderValue("Options/SldSfxVolume"), 0.7f, 1e-6f);
    EXPECT_TRUE(selected("Options/OptTextureDetailMedium"));
    EXPECT_TRUE(selected("Options/OptObjectDetailLow"));
    rig->click("Options/BtnOk");
    rig->settle();
    Settings defaults;
    defaults.multilanguage = 1;
    defaults.language = 0;
    EXPECT_EQ(settings.print(), defaults.print());
    Settings saved;
    ASSERT_TRUE(saved.load());
    EXPECT_EQ(saved.print(), defaults.print());
}

} // namespace
