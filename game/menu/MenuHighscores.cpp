// The three highscore screens: the career table, the single-race tables by
// class, laps and track, and the last-man-standing tables by class and
// arena; their tabs, filters and the way back to where they were opened.
#include "game/menu/Menu.h"

#include "game/app/Application.h"
#include "game/app/Gui.h"
#include "game/app/TextTable.h"
#include "game/menu/DrawableText.h"
#include "game/menu/Highscores.h"
#include "game/race/RaceScoring.h"

#include <CEGUI/Window.h>

#include <cstdio>
#include <cstdlib>

namespace {


std::string rowName(const char* screen, const char* widget, int row)
{
    char name[64];
    std::snprintf(name, sizeof name, "%s/%s%02d", screen, widget, row);
    return name;
}

// The number a filter button's name ends in (BtnCcm02: 2); 0 for none.
int trailingNumber(const std::string& name)
{
    const size_t digits = name.find_last_not_of("0123456789");
    return digits + 1 < name.size() ? std::atoi(name.c_str() + digits + 1) : 0;
}

} // namespace

void Menu::showHighscoresCareer(bool fromMainMenu)
{
    fillHighscoresCareer();
    fadeIn(m_screens["HighscoresCareer"]);
    m_highscoresFromMainMenu = fromMainMenu;
}

void Menu::showHighscoresSingle(bool fromMainMenu)
{
    fillHighscoresSingle();
    fadeIn(m_screens["HighscoresSingle"]);
    m_highscoresFromMainMenu = fromMainMenu;
}

void Menu::showHighscoresLMS(bool fromMainMenu)
{
    fillHighscoresLMS();
    fadeIn(m_screens["HighscoresLMS"]);
    m_highscoresFromMainMenu = fromMainMenu;
}

// One track button per single-race track and one arena button per arena of
// the configuration, each named by its level in the current language; the
// buttons beyond the lists are hidden.
void Menu::labelHighscoreTracks()
{
    const struct {
        const char* screen;
        size_t buttons;
        const std::vector<std::string>& tracks;
    } lists[] = {
        {"HighscoresSingle", 9, m_application->m_config.singleRaceTracks()},
        {"HighscoresLMS", 3, m_application->m_config.lastManStandingTracks()},
    };
    for (const auto& list : lists)
        for (size_t i = 0; i < list.buttons; ++i) {
            CEGUI::Window* button = m_windows[rowName(list.screen, "BtnTrack", int(i + 1))];
            button->setVisible(i < list.tracks.size());
            if (i < list.tracks.size())
                if (const LevelInfo* level = m_application->findLevel(list.tracks[i]))
                    button->setText(m_textTable->getText(level->menutext));
        }
}

// The tabs and filters: the screen's own tab and the chosen class, laps and
// track are the disabled (gold) ones.
void Menu::fillHighscoresCareer()
{
    m_windows["HighscoresCareer/BtnGame01"]->setEnabled(true);
    m_windows["HighscoresCareer/BtnGame02"]->setEnabled(false);
    m_windows["HighscoresCareer/BtnGame03"]->setEnabled(true);
    fillHighscoreRows("HighscoresCareer", m_application->m_highscores ? &m_application->m_highscores->overallTable()
                                                                      : nullptr);
}

void Menu::fillHighscoresSingle()
{
    m_windows["HighscoresSingle/BtnGame01"]->setEnabled(false);
    m_windows["HighscoresSingle/BtnGame02"]->setEnabled(true);
    m_windows["HighscoresSingle/BtnGame03"]->setEnabled(true);
    const int32_t laps = m_singleLaps == 8 ? 3 : m_singleLaps == 5 ? 2 : 1;
    for (int i = 1; i <= 3; ++i) {
        m_windows[rowName("HighscoresSingle", "BtnCcm", i)]->setEnabled(i - 1 != m_singleCcm);
        m_windows[rowName("HighscoresSingle", "BtnLaps", i)]->setEnabled(i != laps);
    }
    for (int i = 1; i <= 9; ++i)
        m_windows[rowName("HighscoresSingle", "BtnTrack", i)]->setEnabled(i - 1 != m_singleTrack);
    Highscores* highscores = m_application->m_highscores;
    fillHighscoreRows("HighscoresSingle", highscores ? highscores->table(m_singleCcm, m_singleTrack, m_singleLaps)
                                                     : nullptr);
}

void Menu::fillHighscoresLMS()
{
    m_windows["HighscoresLMS/BtnGame01"]->setEnabled(true);
    m_windows["HighscoresLMS/BtnGame02"]->setEnabled(true);
    m_windows["HighscoresLMS/BtnGame03"]->setEnabled(false);
    for (int i = 1; i <= 3; ++i) {
        m_windows[rowName("HighscoresLMS", "BtnCcm", i)]->setEnabled(i - 1 != m_lmsCcm);
        m_windows[rowName("HighscoresLMS", "BtnTrack", i)]->setEnabled(i - 1 != m_lmsArena);
    }
    Highscores* highscores = m_application->m_highscores;
    fillHighscoreRows("HighscoresLMS", highscores ? highscores->extraTable(m_lmsCcm, m_lmsArena) : nullptr);
}

// Ten rows of the table: the driver's small portrait, the name and the time;
// on the career table also the points and the tries. A table the choice
// does not address (an arena beyond the tables) shows ten empty rows.
void Menu::fillHighscoreRows(const char* screen, const HighscoreTable* table)
{
    static const HighscoreTable kEmpty;
    if (!table)
        table = &kEmpty;
    const bool career = std::string(screen) == "HighscoresCareer";
    for (int row = 0; row < HighscoreTable::kEntries; ++row) {
        const HighscoreEntry& entry = table->entry(row);
        m_windows[rowName(screen, "ImgKart", row + 1)]->setProperty("Image", gui::text(portrait("PortraitsSmall", entry.kart, "")));
        CEGUI::Window* name = m_windows[rowName(screen, "LblName", row + 1)];
        name->setText(drawableText(*name, gui::text(entry.name)));
        m_windows[rowName(screen, "LblTime", row + 1)]->setText(scoring::formatTime(entry.time));
        if (!career)
            continue;
        // An empty place has no points and no tries to show.
        if (entry.isEmpty()) {
            m_windows[rowName(screen, "LblScore", row + 1)]->setText("");
            m_windows[rowName(screen, "LblRetries", row + 1)]->setText("");
            continue;
        }
        m_windows[rowName(screen, "LblScore", row + 1)]->setText(std::to_string(entry.score) + " "
                                                                 + m_textTable->getText(8500));
        m_windows[rowName(screen, "LblRetries", row + 1)]->setText(std::to_string(int64_t(entry.retries) + 1) + " "
                                                                   + m_textTable->getText(8510));
    }
}

// Back from the single-race or last-man-standing table: to the main menu, or
// to the single-player screen the table was opened from.
void Menu::leaveHighscores(const char* screen)
{
    fadeOut(m_screens[screen]);
    if (m_highscoresFromMainMenu) {
        showMainMenu();
    } else {
        previewsOff();
        fadeIn(m_screens["Singleplayer"]);
        m_highscoresFromMainMenu = 1;
    }
}

// A tab of the highscore tables: the other table, opened from where this one was.
void Menu::switchHighscores(const char* from, void (Menu::*show)(bool))
{
    fadeOut(m_screens[from]);
    (this->*show)(m_highscoresFromMainMenu);
}

bool Menu::onHighscoresCareerBack(const CEGUI::EventArgs&)
{
    fadeOut(m_screens["HighscoresCareer"]);
    if (m_highscoresFromMainMenu) {
        showMainMenu();
    } else {
        showCareer();
        m_highscoresFromMainMenu = 1;
    }
    return true;
}

bool Menu::onHighscoresCareerGame01(const CEGUI::EventArgs&)
{
    switchHighscores("HighscoresCareer", &Menu::showHighscoresSingle);
    return true;
}

bool Menu::onHighscoresCareerGame02(const CEGUI::EventArgs&)
{
    return true;
}

bool Menu::onHighscoresCareerGame03(const CEGUI::EventArgs&)
{
    switchHighscores("HighscoresCareer", &Menu::showHighscoresLMS);
    return true;
}

bool Menu::onHighscoresSingleBack(const CEGUI::EventArgs&)
{
    leaveHighscores("HighscoresSingle");
    return true;
}

bool Menu::onHighscoresSingleGame01(const CEGUI::EventArgs&)
{
    return true;
}

bool Menu::onHighscoresSingleGame02(const CEGUI::EventArgs&)
{
    switchHighscores("HighscoresSingle", &Menu::showHighscoresCareer);
    return true;
}

bool Menu::onHighscoresSingleGame03(const CEGUI::EventArgs&)
{
    switchHighscores("HighscoresSingle", &Menu::showHighscoresLMS);
    return true;
}

bool Menu::onHighscoresLMSBack(const CEGUI::EventArgs&)
{
    leaveHighscores("HighscoresLMS");
    return true;
}

bool Menu::onHighscoresLMSGame01(const CEGUI::EventArgs&)
{
    switchHighscores("HighscoresLMS", &Menu::showHighscoresSingle);
    return true;
}

bool Menu::onHighscoresLMSGame02(const CEGUI::EventArgs&)
{
    switchHighscores("HighscoresLMS", &Menu::showHighscoresCareer);
    return true;
}

bool Menu::onHighscoresLMSGame03(const CEGUI::EventArgs&)
{
    return true;
}

// The filters, told apart by their names: class 01-03, laps 01-03 (3, 5 or
// 8 laps), track or arena 01-09.
bool Menu::onHighscoresSingleSelect(const CEGUI::EventArgs& e)
{
    const std::string name = static_cast<const CEGUI::WindowEventArgs&>(e).window->getName().c_str();
    const int number = trailingNumber(name);
    if (name.rfind("BtnCcm", 0) == 0)
        m_singleCcm = number - 1;
    else if (name.rfind("BtnLaps", 0) == 0)
        m_singleLaps = number == 3 ? 8 : number == 2 ? 5 : 3;
    else
        m_singleTrack = number - 1;
    fillHighscoresSingle();
    return true;
}

bool Menu::onHighscoresLMSSelect(const CEGUI::EventArgs& e)
{
    const std::string name = static_cast<const CEGUI::WindowEventArgs&>(e).window->getName().c_str();
    const int number = trailingNumber(name);
    if (name.rfind("BtnCcm", 0) == 0)
        m_lmsCcm = number - 1;
    else
        m_lmsArena = number - 1;
    fillHighscoresLMS();
    return true;
}
