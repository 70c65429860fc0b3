// The ways between the menu's screens: every screen's entry and the handlers
// that lead from one screen to the next (fade the current one out, the next
// one in), the modal dialogs over the main menu and the multiplayer screen,
// and the language chosen at the first start.
#include "game/menu/Menu.h"

#include "game/app/Application.h"
#include "game/app/Gui.h"
#include "game/app/RaceSetup.h"
#include "game/app/TextTable.h"
#include "game/menu/CareerScreen.h"
#include "game/menu/DrawableText.h"
#include "game/menu/ProfileStore.h"
#include "game/menu/RankingScreen.h"
#include "game/menu/ShopScreen.h"
#include "game/net/NetControl.h"

#include <CEGUI/Window.h>
#include <CEGUI/widgets/Editbox.h>
#include <CEGUI/widgets/RadioButton.h>

#include <cstdio>
#include <thread>

namespace {


// A profile slot's eight state pictures from the Portraits imageset: the
// portrait P small, larger under the mouse and when pressed, framed when
// chosen, grey when disabled.
const struct {
    const char* property;
    const char* suffix;
} kSlotImages[8] = {
    {"NormalImage", "_Small_Normal"},          {"HoverImage", "_Large_Normal"},
    {"PushedImage", "_Large_Normal"},          {"DisabledImage", "_Small_Disabled"},
    {"SelectedNormalImage", "_Small_Selected"}, {"SelectedHoverImage", "_Large_Selected"},
    {"SelectedPushedImage", "_Large_Selected"}, {"SelectedDisabledImage", "_Small_Disabled"},
};

// A local relay that refuses so often is not coming back.
constexpr int kCreateGameAttempts = 5;

} // namespace

// --- Screen entries ---------------------------------------------------------

void Menu::showMainMenu()
{
    const int32_t current = m_profileStore ? m_profileStore->getCurrentSlot() : 0;
    for (int32_t slot = 0; slot < 5; ++slot) {
        refreshProfileSlot(slot);
        static_cast<CEGUI::RadioButton*>(m_windows["MainMenu/OptProfile0" + std::to_string(slot + 1)])
            ->setSelected(slot == current);
    }
    m_windows["MainMenu/BtnLoadProfile"]->setEnabled(m_profileStore && !m_profileStore->isEmpty());
    previewsOff();
    fadeIn(m_screens["MainMenu"]);
}

void Menu::refreshProfileSlot(int32_t slot)
{
    CEGUI::Window* button = m_windows["MainMenu/OptProfile0" + std::to_string(slot + 1)];
    const bool used = m_profileStore && !m_profileStore->isEmpty(slot);
    const std::string kart = used ? m_profileStore->getKart(0, slot) : std::string();
    if (used)
        button->setText(drawableText(*button, gui::text(m_profileStore->getName(0, slot))) + "\n"
                        + gui::text(m_profileStore->getCreationDate(slot) + "\n" + m_profileStore->getCreationTime(slot)));
    else
        button->setText(m_textTable->getText(1104));
    for (const auto& image : kSlotImages)
        button->setProperty(image.property, gui::text(portrait("Portraits", kart, image.suffix)));
}

void Menu::showSingleplayer()
{
    previewsOff();
    fadeIn(m_screens["Singleplayer"]);
}

void Menu::showMultiplayer()
{
    fadeIn(m_screens["Multiplayer"]);
}

void Menu::showCareer()
{
    m_career->refresh();
    fadeIn(m_career->root());
}

void Menu::showShop()
{
    previewsOff();
    m_shop->refresh();
    placeKartPreview(0, m_windows["Shop/ImgKart"]);
    fadeIn(m_shop->root());
}

void Menu::showWinning()
{
    const RaceSetup& setup = m_application->m_raceSetup;
    int32_t headline = 0, line = 0;
    if (setup.careerResult == 1 && setup.ccm >= 0 && setup.ccm <= 2) {
        m_trophyIndex = setup.ccm + 1;
        headline = 10500;
        line = 10510 + 10 * setup.ccm;
    } else if (setup.careerResult == 2) {
        m_trophyIndex = 4;
        headline = 10505;
        line = 10540;
    }
    if (headline)
        m_windows["Winning/LblText"]->setText(m_textTable->getText(headline) + "\n" + m_textTable->getText(line));
    fadeIn(m_screens["Winning"]);
}

void Menu::openDialog(CEGUI::Window* over, CEGUI::Window* dialog)
{
    over->setModalState(false);
    dialog->setModalState(true);
    dialog->show();
    dialog->activate();
}

void Menu::closeDialog(CEGUI::Window* dialog, CEGUI::Window* under)
{
    dialog->deactivate();
    dialog->hide();
    dialog->setModalState(false);
    under->setModalState(true);
    under->activate();
}

void Menu::showJoin()
{
    for (const char* button : {"Multiplayer/BtnTwoPlayers", "Multiplayer/BtnCreateGame", "Multiplayer/BtnJoinGame"})
        m_windows[button]->hide();
    CEGUI::Window* multiplayer = m_screens["Multiplayer"];
    multiplayer->setModalState(false);
    multiplayer->deactivate();
    openDialog(multiplayer, m_screens["Join"]);
    auto* host = static_cast<CEGUI::Editbox*>(m_windows["Join/EdtHost"]);
    host->activate();
    host->setCaretIndex(host->getText().length());
}

void Menu::closeJoin()
{
    for (const char* button : {"Multiplayer/BtnTwoPlayers", "Multiplayer/BtnCreateGame", "Multiplayer/BtnJoinGame"})
        m_windows[button]->show();
    closeDialog(m_screens["Join"], m_screens["Multiplayer"]);
}

void Menu::languageChosen(int32_t language)
{
    fadeOut(m_screens["Language"]);
    setLanguage(language);
    m_application->m_settings.save();
    showMainMenu();
}

// --- The main menu and its dialogs --------------------------------------------

bool Menu::onMainMenuMultiplayer(const CEGUI::EventArgs&)
{
    switchTo(m_screens["MainMenu"], m_screens["Multiplayer"]);
    return true;
}

bool Menu::onMainMenuNewProfile(const CEGUI::EventArgs&)
{
    if (m_profileStore && !m_profileStore->isEmpty()) {
        openDialog(m_screens["MainMenu"], m_screens["Confirm"]);
        return true;
    }
    fadeOut(m_screens["MainMenu"]);
    showProfile();
    return true;
}

bool Menu::onMainMenuLoadProfile(const CEGUI::EventArgs&)
{
    fadeOut(m_screens["MainMenu"]);
    showSingleplayer();
    return true;
}

bool Menu::onMainMenuHighscores(const CEGUI::EventArgs&)
{
    fadeOut(m_screens["MainMenu"]);
    showHighscoresCareer(true);
    return true;
}

bool Menu::onMainMenuOptions(const CEGUI::EventArgs&)
{
    fadeOut(m_screens["MainMenu"]);
    showOptions();
    return true;
}

bool Menu::onMainMenuCredits(const CEGUI::EventArgs&)
{
    fadeOut(m_screens["MainMenu"]);
    showCredits();
    return true;
}

bool Menu::onMainMenuExit(const CEGUI::EventArgs&)
{
    openDialog(m_screens["MainMenu"], m_screens["Exit"]);
    return true;
}

bool Menu::onProfileSlotSelected(const CEGUI::EventArgs&)
{
    for (int32_t slot = 0; slot < 5; ++slot)
        if (static_cast<CEGUI::RadioButton*>(m_windows["MainMenu/OptProfile0" + std::to_string(slot + 1)])->isSelected()) {
            if (m_profileStore)
                m_profileStore->setCurrentSlot(slot);
            m_windows["MainMenu/BtnLoadProfile"]->setEnabled(m_profileStore && !m_profileStore->isEmpty(slot));
            break;
        }
    return true;
}

bool Menu::profileSlotDoubleClick(int32_t slot)
{
    if (m_profileStore)
        m_profileStore->setCurrentSlot(slot);
    fadeOut(m_screens["MainMenu"]);
    if (m_profileStore && !m_profileStore->isEmpty(slot))
        showSingleplayer();
    else
        showProfile();
    return true;
}

bool Menu::onMainMenuProfileSlot1DoubleClick(const CEGUI::EventArgs&) { return profileSlotDoubleClick(0); }
bool Menu::onMainMenuProfileSlot2DoubleClick(const CEGUI::EventArgs&) { return profileSlotDoubleClick(1); }
bool Menu::onMainMenuProfileSlot3DoubleClick(const CEGUI::EventArgs&) { return profileSlotDoubleClick(2); }
bool Menu::onMainMenuProfileSlot4DoubleClick(const CEGUI::EventArgs&) { return profileSlotDoubleClick(3); }
bool Menu::onMainMenuProfileSlot5DoubleClick(const CEGUI::EventArgs&) { return profileSlotDoubleClick(4); }

bool Menu::onExitYes(const CEGUI::EventArgs&)
{
    closeDialog(m_screens["Exit"], m_screens["MainMenu"]);
    fadeOut(m_screens["MainMenu"]);
    m_result = 1;
    return true;
}

bool Menu::onExitNo(const CEGUI::EventArgs&)
{
    closeDialog(m_screens["Exit"], m_screens["MainMenu"]);
    return true;
}

bool Menu::onConfirmYes(const CEGUI::EventArgs&)
{
    closeDialog(m_screens["Confirm"], m_screens["MainMenu"]);
    fadeOut(m_screens["MainMenu"]);
    showProfile();
    return true;
}

bool Menu::onConfirmNo(const CEGUI::EventArgs&)
{
    closeDialog(m_screens["Confirm"], m_screens["MainMenu"]);
    return true;
}

// --- Profile, single player, career ------------------------------------------

bool Menu::onProfileBack(const CEGUI::EventArgs&)
{
    fadeOut(m_screens["Profile"]);
    showMainMenu();
    return true;
}

bool Menu::onSingleplayerCareer(const CEGUI::EventArgs&)
{
    fadeOut(m_screens["Singleplayer"]);
    m_ranking->fill();
    fadeIn(m_ranking->root());
    return true;
}

bool Menu::onSingleplayerSingleRace(const CEGUI::EventArgs&)
{
    fadeOut(m_screens["Singleplayer"]);
    showSingleRace();
    return true;
}

bool Menu::onSingleplayerLastManStanding(const CEGUI::EventArgs&)
{
    fadeOut(m_screens["Singleplayer"]);
    showLastManStanding();
    return true;
}

bool Menu::onSingleplayerBack(const CEGUI::EventArgs&)
{
    fadeOut(m_screens["Singleplayer"]);
    showMainMenu();
    return true;
}

bool Menu::onRankingBack(const CEGUI::EventArgs&)
{
    fadeOut(m_ranking->root());
    showSingleplayer();
    return true;
}

bool Menu::onRankingContinue(const CEGUI::EventArgs&)
{
    fadeOut(m_ranking->root());
    showCareer();
    return true;
}

bool Menu::onCareerBack(const CEGUI::EventArgs&)
{
    fadeOut(m_career->root());
    showSingleplayer();
    return true;
}

bool Menu::onCareerShop(const CEGUI::EventArgs&)
{
    fadeOut(m_career->root());
    showShop();
    return true;
}

bool Menu::onShopBack(const CEGUI::EventArgs&)
{
    if (m_profileStore)
        m_profileStore->save();
    previewsOff();
    fadeOut(m_shop->root());
    showCareer();
    return true;
}

bool Menu::onSingleRaceBack(const CEGUI::EventArgs&)
{
    fadeOut(m_screens["SingleRace"]);
    showSingleplayer();
    return true;
}

bool Menu::onLastManStandingBack(const CEGUI::EventArgs&)
{
    fadeOut(m_screens["LastManStanding"]);
    showSingleplayer();
    return true;
}

// --- Multiplayer ---------------------------------------------------------------

bool Menu::onMultiplayerTwoPlayers(const CEGUI::EventArgs&)
{
    fadeOut(m_screens["Multiplayer"]);
    showTwoPlayers();
    return true;
}

bool Menu::onMultiplayerCreateGame(const CEGUI::EventArgs&)
{
    // This program's own relay accepts at once; a few tries cover its start.
    NetControl& net = NetControl::getInstance();
    bool connected = false;
    for (int attempt = 0; attempt < kCreateGameAttempts && !connected; ++attempt) {
        if (attempt > 0)
            std::this_thread::yield();
        connected = net.connect("localhost", true);
    }
    if (!connected) {
        m_messageUnder = m_screens["Multiplayer"];
        m_windows["Join_MessageBox/LblMessage"]->setText(m_textTable->getText(20010));
        openDialog(m_screens["Multiplayer"], m_screens["Join_MessageBox"]);
        return true;
    }
    fadeOut(m_screens["Multiplayer"]);
    showLobby(true);
    return true;
}

bool Menu::onMultiplayerJoinGame(const CEGUI::EventArgs&)
{
    showJoin();
    return true;
}

bool Menu::onMultiplayerBack(const CEGUI::EventArgs&)
{
    fadeOut(m_screens["Multiplayer"]);
    showMainMenu();
    return true;
}

bool Menu::onJoinOk(const CEGUI::EventArgs&)
{
    const std::string host = m_windows["Join/EdtHost"]->getText().c_str();
    if (!NetControl::getInstance().connect(host, false)) {
        CEGUI::Window* join = m_screens["Join"];
        join->setModalState(false);
        join->hide();
        m_messageUnder = join;
        m_windows["Join_MessageBox/LblMessage"]->setText(m_textTable->getText(20010));
        CEGUI::Window* box = m_screens["Join_MessageBox"];
        box->setModalState(true);
        box->show();
        box->activate();
        return true;
    }
    closeJoin();
    fadeOut(m_screens["Multiplayer"]);
    showLobby(false);
    return true;
}

bool Menu::onJoinHostAccepted(const CEGUI::EventArgs& e)
{
    return onJoinOk(e);
}

bool Menu::onJoinCancel(const CEGUI::EventArgs&)
{
    closeJoin();
    return true;
}

bool Menu::onJoinMessageOk(const CEGUI::EventArgs&)
{
    // Back to what it was opened over; the Join dialog was hidden under it.
    CEGUI::Window* under = m_messageUnder ? m_messageUnder : m_screens["MainMenu"];
    closeDialog(m_screens["Join_MessageBox"], under);
    if (!m_messageFont.empty()) {
        m_windows["Join_MessageBox/LblMessage"]->setProperty("Font", m_messageFont);
        m_messageFont.clear();
    }
    if (under == m_screens["Join"])
        under->show();
    return true;
}

bool Menu::onTwoPlayersBack(const CEGUI::EventArgs&)
{
    fadeOut(m_screens["TwoPlayers"]);
    previewsOff();
    showMultiplayer();
    return true;
}

// --- Credits, language, winning -------------------------------------------------

bool Menu::onCreditsBack(const CEGUI::EventArgs&)
{
    fadeOut(m_screens["Credits"]);
    showMainMenu();
    return true;
}

bool Menu::onLanguageDE(const CEGUI::EventArgs&)
{
    languageChosen(0);
    return true;
}

bool Menu::onLanguageEN(const CEGUI::EventArgs&)
{
    languageChosen(1);
    return true;
}

bool Menu::onLanguageFR(const CEGUI::EventArgs&)
{
    languageChosen(2);
    return true;
}

bool Menu::onLanguageSP(const CEGUI::EventArgs&)
{
    languageChosen(3);
    return true;
}

bool Menu::onLanguageIT(const CEGUI::EventArgs&)
{
    languageChosen(4);
    return true;
}

bool Menu::onWinningOk(const CEGUI::EventArgs&)
{
    fadeOut(m_screens["Winning"]);
    m_trophyIndex = 0;
    if (m_application->m_raceSetup.highscoreSlot == -1)
        showCareer();
    else
        showHighscoresCareer(false);
    return true;
}
