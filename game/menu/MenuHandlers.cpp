// The handlers of the screens' own work: the name fields, the highscore
// filters, and the selectors, lobby and options controls, which are wired
// here and come with the race set-up, lobby and options work.
#include "game/menu/Menu.h"

#include <CEGUI/Window.h>
#include <CEGUI/widgets/Editbox.h>

#include <cstdlib>

// A name field, entered or with its text selected, keeps no selection and
// has its caret at the end, so typing adds to the name.
bool Menu::onNameFieldCaret(const CEGUI::EventArgs& e)
{
    auto* edit = static_cast<CEGUI::Editbox*>(static_cast<const CEGUI::WindowEventArgs&>(e).window);
    const size_t end = edit->getText().length();
    edit->setSelection(end, end);
    edit->setCaretIndex(end);
    return true;
}

bool Menu::onProfileNameTextChanged(const CEGUI::EventArgs&)
{
    return true;
}

bool Menu::onTwoPlayersName1TextChanged(const CEGUI::EventArgs& e)
{
    m_twoPlayersName1 = static_cast<const CEGUI::WindowEventArgs&>(e).window->getText();
    return true;
}

bool Menu::onTwoPlayersName1Accepted(const CEGUI::EventArgs&)
{
    return true;
}

bool Menu::onTwoPlayersName2TextChanged(const CEGUI::EventArgs& e)
{
    m_twoPlayersName2 = static_cast<const CEGUI::WindowEventArgs&>(e).window->getText();
    return true;
}

bool Menu::onTwoPlayersName2Accepted(const CEGUI::EventArgs&)
{
    return true;
}

bool Menu::onLobbyNameAccepted(const CEGUI::EventArgs&)
{
    return true;
}

// The filters of the highscore screens, told apart by their names'
// numbers: class 01-03, laps 01-03 (3, 5 or 8 laps), track or arena 01-09.
bool Menu::onHighscoresSingleSelect(const CEGUI::EventArgs& e)
{
    const std::string name = static_cast<const CEGUI::WindowEventArgs&>(e).window->getName().c_str();
    const int number = std::atoi(name.c_str() + name.find_first_of("0123456789"));
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
    const int number = std::atoi(name.c_str() + name.find_first_of("0123456789"));
    if (name.rfind("BtnCcm", 0) == 0)
        m_lmsCcm = number - 1;
    else
        m_lmsArena = number - 1;
    fillHighscoresLMS();
    return true;
}

// Wired now; their rules come with the work on the race set-up, the lobby
// and the options.
bool Menu::onProfileCharacterPrev(const CEGUI::EventArgs&) { return true; }
bool Menu::onProfileCharacterNext(const CEGUI::EventArgs&) { return true; }
bool Menu::onSingleRaceLapsDec(const CEGUI::EventArgs&) { return true; }
bool Menu::onSingleRaceLapsInc(const CEGUI::EventArgs&) { return true; }
bool Menu::onSingleRaceCcmDec(const CEGUI::EventArgs&) { return true; }
bool Menu::onSingleRaceCcmInc(const CEGUI::EventArgs&) { return true; }
bool Menu::onSingleRaceTrackDec(const CEGUI::EventArgs&) { return true; }
bool Menu::onSingleRaceTrackInc(const CEGUI::EventArgs&) { return true; }
bool Menu::onLastManStandingCcmDec(const CEGUI::EventArgs&) { return true; }
bool Menu::onLastManStandingCcmInc(const CEGUI::EventArgs&) { return true; }
bool Menu::onLastManStandingTrackDec(const CEGUI::EventArgs&) { return true; }
bool Menu::onLastManStandingTrackInc(const CEGUI::EventArgs&) { return true; }
bool Menu::onTwoPlayersCcmInc(const CEGUI::EventArgs&) { return true; }
bool Menu::onTwoPlayersCcmDec(const CEGUI::EventArgs&) { return true; }
bool Menu::onTwoPlayersLapsInc(const CEGUI::EventArgs&) { return true; }
bool Menu::onTwoPlayersLapsDec(const CEGUI::EventArgs&) { return true; }
bool Menu::onTwoPlayersGameInc(const CEGUI::EventArgs&) { return true; }
bool Menu::onTwoPlayersGameDec(const CEGUI::EventArgs&) { return true; }
bool Menu::onTwoPlayersTrackInc(const CEGUI::EventArgs&) { return true; }
bool Menu::onTwoPlayersTrackDec(const CEGUI::EventArgs&) { return true; }
bool Menu::onTwoPlayersKart1Inc(const CEGUI::EventArgs&) { return true; }
bool Menu::onTwoPlayersKart1Dec(const CEGUI::EventArgs&) { return true; }
bool Menu::onTwoPlayersKart2Inc(const CEGUI::EventArgs&) { return true; }
bool Menu::onTwoPlayersKart2Dec(const CEGUI::EventArgs&) { return true; }
bool Menu::onLobbyStart(const CEGUI::EventArgs&) { return true; }
bool Menu::onLobbyCcmInc(const CEGUI::EventArgs&) { return true; }
bool Menu::onLobbyCcmDec(const CEGUI::EventArgs&) { return true; }
bool Menu::onLobbyLapsInc(const CEGUI::EventArgs&) { return true; }
bool Menu::onLobbyLapsDec(const CEGUI::EventArgs&) { return true; }
bool Menu::onLobbyGameInc(const CEGUI::EventArgs&) { return true; }
bool Menu::onLobbyGameDec(const CEGUI::EventArgs&) { return true; }
bool Menu::onLobbyTrackInc(const CEGUI::EventArgs&) { return true; }
bool Menu::onLobbyTrackDec(const CEGUI::EventArgs&) { return true; }
bool Menu::onLobbyKartInc(const CEGUI::EventArgs&) { return true; }
bool Menu::onLobbyKartDec(const CEGUI::EventArgs&) { return true; }
bool Menu::onLobbyNameTextChanged(const CEGUI::EventArgs&) { return true; }
bool Menu::onOptionsReset(const CEGUI::EventArgs&) { return true; }
bool Menu::onOptionsVideoModeAccepted(const CEGUI::EventArgs&) { return true; }
bool Menu::onOptionsLanguageAccepted(const CEGUI::EventArgs&) { return true; }
bool Menu::onOptionsMusicVolumeChanged(const CEGUI::EventArgs&) { return true; }
bool Menu::onOptionsSfxVolumeChanged(const CEGUI::EventArgs&) { return true; }
bool Menu::onOptionsBrightnessChanged(const CEGUI::EventArgs&) { return true; }
bool Menu::onOptionsContrastChanged(const CEGUI::EventArgs&) { return true; }
bool Menu::onOptionsGammaChanged(const CEGUI::EventArgs&) { return true; }
bool Menu::onOptionsTextureDetailSelected(const CEGUI::EventArgs&) { return true; }
bool Menu::onOptionsObjectDetailSelected(const CEGUI::EventArgs&) { return true; }
