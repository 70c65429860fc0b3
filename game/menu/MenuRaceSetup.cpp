// The screens that prepare a race: single race and last man standing against
// the profile's computer players, the career's next race, and two players on
// this machine. Their selectors cycle class, laps, track and karts; a start
// fills the application's race set-up and ends the menu with "start race".
#include "game/menu/Menu.h"

#include "game/app/Application.h"
#include "game/app/Gui.h"
#include "game/app/RaceSetup.h"
#include "game/app/TextTable.h"
#include "game/menu/CareerScreen.h"
#include "game/menu/ProfileStore.h"
#include "game/menu/SelectorSteps.h"

#include <CEGUI/Window.h>

#include <cstdlib>
#include <vector>

using namespace selector;

// --- Shared by the screens -----------------------------------------------------

const std::vector<std::string>& Menu::trackList(int32_t gameType) const
{
    const GameConfig& config = m_application->m_config;
    return gameType == 3 ? config.lastManStandingTracks() : config.singleRaceTracks();
}

void Menu::showTrack(const std::string& screen, int32_t gameType, int32_t track)
{
    const std::vector<std::string>& tracks = trackList(gameType);
    CEGUI::Window* image = m_windows[screen + "/ImgTrack"];
    const LevelInfo* level = track >= 0 && size_t(track) < tracks.size() ? m_application->findLevel(tracks[size_t(track)])
                                                                       : nullptr;
    if (!level) {
        image->setText("");
        image->setProperty("Image", "");
        return;
    }
    image->setText(m_textTable->getText(level->menutext));
    image->setProperty("Image", gui::text("Tracks/" + level->menuimage));
}

void Menu::previewProfileKart(CEGUI::Window* image, int32_t ccm)
{
    m_application->m_previewCount = 0;
    if (!m_profileStore)
        return;
    const ProfileStore& store = *m_profileStore;
    if (m_application->applyKartLook(store.getKart(0), store.getSpoiler(0, ccm), store.getTires(0, ccm),
                                     store.getSideskirts(0, ccm), store.getLogo(0, ccm), store.getColor(0, ccm),
                                     store.getEngine(0, ccm), 0))
        placeKartPreview(0, image);
}

// Every start: a set-up of nothing but the race itself, so nothing of the
// race before (a career's result, another machine's slot) carries over.
RaceSetup& Menu::beginSetup(int32_t mode, int32_t gameType, int32_t ccm, int32_t laps, const std::string& level)
{
    RaceSetup& setup = m_application->m_raceSetup;
    setup = RaceSetup{};
    setup.mode = mode;
    setup.gameType = gameType;
    setup.ccm = ccm;
    setup.laps = laps;
    setup.level = level;
    setup.highscoreSlot = -1;
    setup.careerResult = 0;
    return setup;
}

void Menu::fillProfilePlayers(RaceSetup& setup, int32_t ccm, int32_t careerRace)
{
    if (!m_profileStore)
        return;
    const ProfileStore& store = *m_profileStore;
    for (int32_t i = 0; i < RaceSetup::kPlayers; ++i) {
        setup.kartName[i] = store.getKart(i);
        setup.playerName[i] = store.getName(i);
        setup.kudos[i] = store.getKudos(i);
        int32_t* look = setup.upgrades[i];
        look[0] = store.getSpoiler(i, ccm);
        look[1] = store.getTires(i, ccm);
        look[2] = store.getSideskirts(i, ccm);
        look[3] = store.getEngine(i, ccm);
        look[4] = store.getColor(i, ccm);
        look[5] = store.getLogo(i, ccm);
        // The career's grid follows the season so far, as after each of its
        // races; a race outside the career lines the profile up in reverse.
        setup.startSlot[i] = careerRace >= 0 ? store.getStartPosition(i, ccm, careerRace) : 6 - i;
        setup.playerType[i] = i == 0 ? 1 : 4;
    }
}

void Menu::startRace(CEGUI::Window* screen)
{
    m_result = 2;
    previewsOff();
    fadeOut(screen);
}

std::string Menu::trackName(int32_t gameType, int32_t track) const
{
    const std::vector<std::string>& tracks = trackList(gameType);
    if (track < 0 || size_t(track) >= tracks.size())
        return std::string();
    const LevelInfo* level = m_application->findLevel(tracks[size_t(track)]);
    return level ? level->name : tracks[size_t(track)];
}

// --- Single race -----------------------------------------------------------------

void Menu::showSingleRace()
{
    const int32_t reached = m_profileStore ? m_profileStore->getCcm() : 0;
    m_singleRaceTrack = 0;
    m_singleRaceCcm = 0;
    m_singleRaceLaps = 3;
    showTrack("SingleRace", 0, m_singleRaceTrack);
    m_windows["SingleRace/LblCcm"]->setText(m_textTable->getText(classText(m_singleRaceCcm)));
    m_windows["SingleRace/LblLaps"]->setText(m_textTable->getText(lapsText(m_singleRaceLaps)));
    m_windows["SingleRace/BtnCcmDec"]->setEnabled(reached != 0);
    m_windows["SingleRace/BtnCcmInc"]->setEnabled(reached != 0);
    previewProfileKart(m_windows["SingleRace/ImgKart"], reached);
    fadeIn(m_screens["SingleRace"]);
}

bool Menu::onSingleRaceLapsDec(const CEGUI::EventArgs&)
{
    m_singleRaceLaps = lapsStep(m_singleRaceLaps, -1);
    m_windows["SingleRace/LblLaps"]->setText(m_textTable->getText(lapsText(m_singleRaceLaps)));
    return true;
}

bool Menu::onSingleRaceLapsInc(const CEGUI::EventArgs&)
{
    m_singleRaceLaps = lapsStep(m_singleRaceLaps, 1);
    m_windows["SingleRace/LblLaps"]->setText(m_textTable->getText(lapsText(m_singleRaceLaps)));
    return true;
}

// The class runs from 0 up to the class the profile has reached.
bool Menu::onSingleRaceCcmDec(const CEGUI::EventArgs&)
{
    const int32_t reached = m_profileStore ? m_profileStore->getCcm() : 0;
    if (m_singleRaceCcm >= 0 && m_singleRaceCcm <= 2)
        m_singleRaceCcm = m_singleRaceCcm - 1 < 0 ? reached : m_singleRaceCcm - 1;
    m_windows["SingleRace/LblCcm"]->setText(m_textTable->getText(classText(m_singleRaceCcm)));
    return true;
}

bool Menu::onSingleRaceCcmInc(const CEGUI::EventArgs&)
{
    const int32_t reached = m_profileStore ? m_profileStore->getCcm() : 0;
    if (m_singleRaceCcm >= 0 && m_singleRaceCcm <= 2)
        m_singleRaceCcm = m_singleRaceCcm + 1 > reached ? 0 : m_singleRaceCcm + 1;
    m_windows["SingleRace/LblCcm"]->setText(m_textTable->getText(classText(m_singleRaceCcm)));
    return true;
}

bool Menu::onSingleRaceTrackDec(const CEGUI::EventArgs&)
{
    m_singleRaceTrack = wrapStep(m_singleRaceTrack, -1, trackList(0).size());
    showTrack("SingleRace", 0, m_singleRaceTrack);
    return true;
}

bool Menu::onSingleRaceTrackInc(const CEGUI::EventArgs&)
{
    m_singleRaceTrack = wrapStep(m_singleRaceTrack, 1, trackList(0).size());
    showTrack("SingleRace", 0, m_singleRaceTrack);
    return true;
}

bool Menu::onSingleRaceStart(const CEGUI::EventArgs&)
{
    RaceSetup& setup = beginSetup(0, 0, m_singleRaceCcm, m_singleRaceLaps, trackName(0, m_singleRaceTrack));
    fillProfilePlayers(setup, m_singleRaceCcm, -1);
    startRace(m_screens["SingleRace"]);
    return true;
}

// --- Last man standing ---------------------------------------------------------------

void Menu::showLastManStanding()
{
    m_lmsSetupArena = 0;
    m_lmsSetupCcm = 0;
    showTrack("LastManStanding", 3, m_lmsSetupArena);
    m_windows["LastManStanding/LblCcm"]->setText(m_textTable->getText(classText(m_lmsSetupCcm)));
    previewProfileKart(m_windows["LastManStanding/ImgKart"], m_profileStore ? m_profileStore->getCcm() : 0);
    fadeIn(m_screens["LastManStanding"]);
}

bool Menu::onLastManStandingCcmDec(const CEGUI::EventArgs&)
{
    m_lmsSetupCcm = classStep(m_lmsSetupCcm, -1);
    m_windows["LastManStanding/LblCcm"]->setText(m_textTable->getText(classText(m_lmsSetupCcm)));
    return true;
}

bool Menu::onLastManStandingCcmInc(const CEGUI::EventArgs&)
{
    m_lmsSetupCcm = classStep(m_lmsSetupCcm, 1);
    m_windows["LastManStanding/LblCcm"]->setText(m_textTable->getText(classText(m_lmsSetupCcm)));
    return true;
}

bool Menu::onLastManStandingTrackDec(const CEGUI::EventArgs&)
{
    m_lmsSetupArena = wrapStep(m_lmsSetupArena, -1, trackList(3).size());
    showTrack("LastManStanding", 3, m_lmsSetupArena);
    return true;
}

bool Menu::onLastManStandingTrackInc(const CEGUI::EventArgs&)
{
    m_lmsSetupArena = wrapStep(m_lmsSetupArena, 1, trackList(3).size());
    showTrack("LastManStanding", 3, m_lmsSetupArena);
    return true;
}

bool Menu::onLastManStandingStart(const CEGUI::EventArgs&)
{
    RaceSetup& setup = beginSetup(0, 3, m_lmsSetupCcm, -1, trackName(3, m_lmsSetupArena));
    fillProfilePlayers(setup, m_lmsSetupCcm, -1);
    startRace(m_screens["LastManStanding"]);
    return true;
}

// --- Career ----------------------------------------------------------------------------

// The next race of the profile's season in the class it has reached. A
// profile whose race lies beyond the class's career (a data set with fewer
// races than the profile has run) has no race to start.
bool Menu::onCareerStart(const CEGUI::EventArgs&)
{
    if (!m_profileStore)
        return true;
    const int32_t c = m_profileStore->getCcm();
    const int32_t r = m_profileStore->getLevel(c);
    const GameConfig& config = m_application->m_config;
    const std::vector<std::string>& tracks = config.careerTracks(c);
    if (r < 0 || size_t(r) >= tracks.size())
        return true;
    const LevelInfo* level = m_application->findLevel(tracks[size_t(r)]);
    RaceSetup& setup = beginSetup(3, config.careerGames(c)[size_t(r)], c, config.careerLaps(c)[size_t(r)],
                                  level ? level->name : tracks[size_t(r)]);
    setup.careerRace = r;
    fillProfilePlayers(setup, c, r);
    m_result = 2;
    fadeOut(m_career->root());
    return true;
}

// --- Two players -------------------------------------------------------------------------

void Menu::showTwoPlayersKart(int32_t player)
{
    const int32_t index = player == 0 ? m_twoPlayersKart1 : m_twoPlayersKart2;
    CEGUI::Window* image = m_windows[player == 0 ? "TwoPlayers/ImgKart1" : "TwoPlayers/ImgKart2"];
    const KartInfo* kart = m_application->kartAt(index);
    image->setText(kart ? m_textTable->getText(kart->menutext) : CEGUI::String());
    if (kart && m_application->applyKartLook(kart->name, 0, 0, 0, 0, player, 0, player))
        placeKartPreview(player, image);
}

void Menu::showTwoPlayersGame()
{
    const bool laps = m_twoPlayersGame != 3;
    m_windows["TwoPlayers/LblGame"]->setText(m_textTable->getText(gameText(m_twoPlayersGame)));
    m_windows["TwoPlayers/LblLaps"]->setVisible(laps);
    for (const char* button : {"TwoPlayers/BtnLapsDec", "TwoPlayers/BtnLapsInc"}) {
        m_windows[button]->setEnabled(laps);
        m_windows[button]->setVisible(laps);
    }
    showTrack("TwoPlayers", m_twoPlayersGame, m_twoPlayersTrack);
}

void Menu::showTwoPlayers()
{
    m_application->attachMenuKarts();
    m_application->m_previewCount = 0;
    m_twoPlayersKart1 = 0;
    m_twoPlayersKart2 = 1;
    showTwoPlayersKart(0);
    showTwoPlayersKart(1);
    m_windows["TwoPlayers/EdtName1"]->setText(m_textTable->getText(5110));
    m_windows["TwoPlayers/EdtName2"]->setText(m_textTable->getText(5120));
    m_twoPlayersCcm = 0;
    m_twoPlayersLaps = 3;
    m_twoPlayersGame = 0;
    m_twoPlayersTrack = 0;
    m_windows["TwoPlayers/LblCcm"]->setText(m_textTable->getText(classText(m_twoPlayersCcm)));
    m_windows["TwoPlayers/LblLaps"]->setText(m_textTable->getText(lapsText(m_twoPlayersLaps)));
    showTwoPlayersGame();
    fadeIn(m_screens["TwoPlayers"]);
}

bool Menu::onTwoPlayersCcmInc(const CEGUI::EventArgs&)
{
    m_twoPlayersCcm = classStep(m_twoPlayersCcm, 1);
    m_windows["TwoPlayers/LblCcm"]->setText(m_textTable->getText(classText(m_twoPlayersCcm)));
    return true;
}

bool Menu::onTwoPlayersCcmDec(const CEGUI::EventArgs&)
{
    m_twoPlayersCcm = classStep(m_twoPlayersCcm, -1);
    m_windows["TwoPlayers/LblCcm"]->setText(m_textTable->getText(classText(m_twoPlayersCcm)));
    return true;
}

bool Menu::onTwoPlayersLapsInc(const CEGUI::EventArgs&)
{
    m_twoPlayersLaps = lapsStep(m_twoPlayersLaps, 1);
    m_windows["TwoPlayers/LblLaps"]->setText(m_textTable->getText(lapsText(m_twoPlayersLaps)));
    return true;
}

bool Menu::onTwoPlayersLapsDec(const CEGUI::EventArgs&)
{
    m_twoPlayersLaps = lapsStep(m_twoPlayersLaps, -1);
    m_windows["TwoPlayers/LblLaps"]->setText(m_textTable->getText(lapsText(m_twoPlayersLaps)));
    return true;
}

// Both arrows switch between a single race and last man standing, each from
// the first track of its own list.
bool Menu::onTwoPlayersGameInc(const CEGUI::EventArgs&)
{
    m_twoPlayersGame = m_twoPlayersGame == 0 ? 3 : 0;
    m_twoPlayersTrack = 0;
    showTwoPlayersGame();
    return true;
}

bool Menu::onTwoPlayersGameDec(const CEGUI::EventArgs& e)
{
    return onTwoPlayersGameInc(e);
}

bool Menu::onTwoPlayersTrackInc(const CEGUI::EventArgs&)
{
    m_twoPlayersTrack = wrapStep(m_twoPlayersTrack, 1, trackList(m_twoPlayersGame).size());
    showTrack("TwoPlayers", m_twoPlayersGame, m_twoPlayersTrack);
    return true;
}

bool Menu::onTwoPlayersTrackDec(const CEGUI::EventArgs&)
{
    m_twoPlayersTrack = wrapStep(m_twoPlayersTrack, -1, trackList(m_twoPlayersGame).size());
    showTrack("TwoPlayers", m_twoPlayersGame, m_twoPlayersTrack);
    return true;
}

// A player's kart steps on past the other player's, wrapping at the list's
// ends; with fewer than two karts there is nothing to choose.
void Menu::stepTwoPlayersKart(int32_t player, int32_t step)
{
    const size_t count = m_application->m_config.karts().size();
    if (count < 2)
        return;
    int32_t& kart = player == 0 ? m_twoPlayersKart1 : m_twoPlayersKart2;
    const int32_t other = player == 0 ? m_twoPlayersKart2 : m_twoPlayersKart1;
    kart = wrapStep(kart, step, count);
    if (kart == other)
        kart = wrapStep(kart, step, count);
    showTwoPlayersKart(player);
}

bool Menu::onTwoPlayersKart1Inc(const CEGUI::EventArgs&)
{
    stepTwoPlayersKart(0, 1);
    return true;
}

bool Menu::onTwoPlayersKart1Dec(const CEGUI::EventArgs&)
{
    stepTwoPlayersKart(0, -1);
    return true;
}

bool Menu::onTwoPlayersKart2Inc(const CEGUI::EventArgs&)
{
    stepTwoPlayersKart(1, 1);
    return true;
}

bool Menu::onTwoPlayersKart2Dec(const CEGUI::EventArgs&)
{
    stepTwoPlayersKart(1, -1);
    return true;
}

// The two humans start at the back of the grid; in a single race five
// computer players in karts the humans did not take fill the front, in a
// random order.
bool Menu::onTwoPlayersStart(const CEGUI::EventArgs&)
{
    const bool lms = m_twoPlayersGame == 3;
    RaceSetup& setup =
        beginSetup(1, m_twoPlayersGame, m_twoPlayersCcm, lms ? -1 : m_twoPlayersLaps, trackName(m_twoPlayersGame, m_twoPlayersTrack));
    setup.playerType[0] = 2;
    setup.playerType[1] = 3;
    for (int32_t i = 2; i < RaceSetup::kPlayers; ++i)
        setup.playerType[i] = lms ? 0 : 4;
    int32_t players = 0;
    for (int32_t type : setup.playerType)
        players += type != 0 ? 1 : 0;
    const KartInfo* kart1 = m_application->kartAt(m_twoPlayersKart1);
    const KartInfo* kart2 = m_application->kartAt(m_twoPlayersKart2);
    setup.kartName[0] = kart1 ? kart1->name : std::string();
    setup.kartName[1] = kart2 ? kart2->name : std::string();
    setup.playerName[0] = m_twoPlayersName1.c_str();
    setup.playerName[1] = m_twoPlayersName2.c_str();
    setup.startSlot[0] = players - 1;
    setup.startSlot[1] = players - 2;

    // The karts nobody took, shuffled on the game's one random generator;
    // a list too short for five distinct karts repeats them.
    const int32_t count = int32_t(m_application->m_config.karts().size());
    std::vector<int32_t> free;
    for (int32_t k = 0; k < count; ++k)
        if (k != m_twoPlayersKart1 && k != m_twoPlayersKart2)
            free.push_back(k);
    for (size_t i = free.size(); i > 1; --i)
        std::swap(free[i - 1], free[size_t(std::rand()) % i]);
    for (int32_t i = 2; i < RaceSetup::kPlayers && !lms; ++i) {
        const KartInfo* kart = free.empty() ? nullptr : m_application->kartAt(free[size_t(i - 2) % free.size()]);
        setup.kartName[i] = kart ? kart->name : std::string();
        setup.playerName[i] = kart ? m_textTable->getText(kart->menutext).c_str() : "";
        setup.startSlot[i] = i - 2;
    }
    startRace(m_screens["TwoPlayers"]);
    return true;
}
