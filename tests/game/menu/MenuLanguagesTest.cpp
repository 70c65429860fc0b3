// The menu in each of the five languages, switched through the options as
// the player does: every window that has a text in English has one in every
// language, each drawn by its window's font; and every text of the table
// exists in all five.
#include "MenuRig.h"

#include "game/app/Gui.h"
#include "game/app/TextTable.h"

#include <CEGUI/Font.h>
#include <CEGUI/GUIContext.h>
#include <CEGUI/Window.h>
#include <gtest/gtest.h>

#include <map>

namespace {

using Texts = std::map<std::string, const CEGUI::Window*>;

// Every window of the menu's screens by its path.
void collect(const CEGUI::Window& window, Texts& out)
{
    for (size_t i = 0; i < window.getChildCount(); ++i) {
        const CEGUI::Window& child = *window.getChildAtIdx(i);
        if (child.getName() == "LoadingScreen")
            continue;
        out[child.getNamePath().c_str()] = &child;
        collect(child, out);
    }
}

Texts menuWindows()
{
    Texts windows;
    collect(*gui::context().getRootWindow(), windows);
    return windows;
}

// The first character of the text that the window's font has no picture
// for (line breaks are layout); 0 when it has them all.
CEGUI::utf32 undrawable(const CEGUI::Window& window)
{
    const CEGUI::String& text = window.getText();
    for (size_t i = 0; i < text.length(); ++i)
        if (text[i] != '\n' && !window.getFont()->isCodepointAvailable(text[i]))
            return text[i];
    return 0;
}

const char* const kLanguages[5] = {"DE", "EN", "FR", "SP", "IT"};

TEST(MenuLanguages, EveryScreenTextIsThereInEachLanguageAndDrawn)
{
    MenuRig rig("menu-languages");
    std::string why;
    ASSERT_TRUE(rig.start(why)) << why;
    rig.app->m_settings.multilanguage = 1;
    rig.addProfile();
    rig.openMenu();
    rig.settle();
    ASSERT_EQ(rig.shown(), "MainMenu");

    std::map<std::string, std::string> english;
    for (const auto& [path, window] : menuWindows())
        if (!window->getText().empty())
            english[path] = window->getText().c_str();
    ASSERT_GT(english.size(), 150u);

    for (uint32_t language : {0u, 2u, 3u, 4u, 1u}) {
        SCOPED_TRACE(kLanguages[language]);
        rig.click("MainMenu/BtnOptions");
        rig.settle();
        rig.choose("Options/CboLanguage", language);
        rig.click("Options/BtnOk");
        rig.settle();
        ASSERT_EQ(rig.shown(), "MainMenu");
        ASSERT_EQ(rig.app->m_textTable->language, language);
        const Texts windows = menuWindows();
        size_t translated = 0;
        for (const auto& [path, text] : english) {
            const auto it = windows.find(path);
            ASSERT_NE(it, windows.end()) << path;
            const CEGUI::Window& window = *it->second;
            EXPECT_FALSE(window.getText().empty()) << path << " has no text";
            EXPECT_EQ(undrawable(window), 0u) << path << ": \"" << window.getText().c_str() << "\"";
            translated += text != window.getText().c_str();
        }
        if (language != 1)
            EXPECT_GT(translated, english.size() / 3);
        else
            EXPECT_EQ(translated, 0u);
    }
}

TEST(MenuLanguages, EveryTextOfTheTableIsThereInAllFiveLanguages)
{
    MenuRig rig("menu-language-table");
    ASSERT_TRUE(rig.mount());
    TextTable table(&rig.archive, "D:\\Zoprax9/menu/Texts.xml");
    ASSERT_GT(table.size(1), 100u);
    size_t ids = 0;
    for (int32_t id = 0; id < 100000; ++id) {
        if (!table.hasText(1, id))
            continue;
        ++ids;
        for (uint32_t language = 0; language < 5; ++language) {
            table.language = language;
            EXPECT_FALSE(table.getText(id).empty()) << "text " << id << " in " << kLanguages[language];
        }
    }
    EXPECT_EQ(ids, table.size(1));
    for (uint32_t language = 0; language < 5; ++language)
        EXPECT_EQ(table.size(language), ids) << kLanguages[language];
}

} // namespace
