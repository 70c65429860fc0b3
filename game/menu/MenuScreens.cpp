// The builders of the menu's screens: each loads its layout (hidden until a
// fade shows it), finds its windows, applies its settings and subscribes
// the menu's handlers to its widgets' events.
#include "game/menu/Menu.h"

#include "engine/core/io/Stream.h"
#include "game/app/Application.h"
#include "game/app/Gui.h"
#include "game/app/TextTable.h"
#include "game/app/XmlText.h"
#include "game/menu/CareerScreen.h"
#include "game/menu/MenuListItem.h"
#include "game/menu/RankingScreen.h"
#include "game/menu/ScreenManifest.h"
#include "game/menu/ShopScreen.h"
#include "platform/win/ComputerName.h"

#include <CEGUI/FontManager.h>
#include <CEGUI/GUIContext.h>
#include <CEGUI/InputEvent.h>
#include <CEGUI/Window.h>
#include <CEGUI/WindowManager.h>
#include <CEGUI/widgets/Combobox.h>
#include <CEGUI/widgets/Editbox.h>
#include <CEGUI/widgets/PushButton.h>
#include <CEGUI/widgets/RadioButton.h>
#include <CEGUI/widgets/Slider.h>

#include <cstdio>

namespace {


// Every text field below the window.
void collectEditboxes(CEGUI::Window* window, std::vector<CEGUI::Window*>& out)
{
    for (size_t i = 0; i < window->getChildCount(); ++i) {
        CEGUI::Window* child = window->getChildAtIdx(i);
        if (dynamic_cast<CEGUI::Editbox*>(child) && !child->isAutoWindow())
            out.push_back(child);
        else if (!child->isAutoWindow())
            collectEditboxes(child, out);
    }
}

const CEGUI::String& clicked()
{
    return CEGUI::PushButton::EventClicked;
}

// A Credits.xml holds at most this many lines; the rest are left out.
constexpr size_t kMaxCreditsLines = 1000;

} // namespace

CEGUI::Window* Menu::loadScreen(const ScreenManifest& screen)
{
    const LoadedScreen loaded = loadScreenLayout(screen);
    m_windows.insert(loaded.windows.begin(), loaded.windows.end());
    m_screens[screen.root] = loaded.root;
    // Keys its widgets leave alone move the keyboard's focus; a text field
    // keeps every key but Tab, which would otherwise accept its text.
    subscribe(loaded.root, CEGUI::Window::EventKeyDown, &Menu::onScreenKey);
    std::vector<CEGUI::Window*> edits;
    collectEditboxes(loaded.root, edits);
    for (CEGUI::Window* edit : edits)
        subscribe(edit, CEGUI::Window::EventKeyDown, &Menu::onScreenKey);
    m_application->m_rootWindow->addChild(loaded.root);
    return loaded.root;
}

void Menu::subscribe(CEGUI::Window* window, const CEGUI::String& event, Handler handler)
{
    window->subscribeEvent(event, CEGUI::Event::Subscriber(handler, this));
}

void Menu::subscribe(const std::string& path, const CEGUI::String& event, Handler handler)
{
    subscribe(m_windows.at(path), event, handler);
}

bool Menu::onScreenKey(const CEGUI::EventArgs& e)
{
    const auto& key = static_cast<const CEGUI::KeyEventArgs&>(e);
    const bool shift = (key.sysKeys & CEGUI::Shift) != 0;
    if (dynamic_cast<CEGUI::Editbox*>(key.window)) {
        if (key.scancode != CEGUI::Key::Tab)
            return false;
        CEGUI::Window* screen = gui::context().getModalWindow();
        return m_focus.onKey(screen ? screen : key.window->getParent(), key.scancode, shift);
    }
    return m_focus.onKey(key.window, key.scancode, shift);
}

void Menu::buildMainMenu()
{
    loadScreen(screenManifest("MainMenu.layout"));
    m_windows["MainMenu/LblVersion"]->setText(gui::text(m_application->m_settings.gameversion));
    subscribe("MainMenu/BtnMultiplayer", clicked(), &Menu::onMainMenuMultiplayer);
    subscribe("MainMenu/BtnNewProfile", clicked(), &Menu::onMainMenuNewProfile);
    subscribe("MainMenu/BtnLoadProfile", clicked(), &Menu::onMainMenuLoadProfile);
    subscribe("MainMenu/BtnHighscores", clicked(), &Menu::onMainMenuHighscores);
    subscribe("MainMenu/BtnOptions", clicked(), &Menu::onMainMenuOptions);
    subscribe("MainMenu/BtnCredits", clicked(), &Menu::onMainMenuCredits);
    subscribe("MainMenu/BtnExit", clicked(), &Menu::onMainMenuExit);
    const Handler doubleClicks[5] = {
        &Menu::onMainMenuProfileSlot1DoubleClick, &Menu::onMainMenuProfileSlot2DoubleClick,
        &Menu::onMainMenuProfileSlot3DoubleClick, &Menu::onMainMenuProfileSlot4DoubleClick,
        &Menu::onMainMenuProfileSlot5DoubleClick,
    };
    for (int i = 0; i < 5; ++i) {
        const std::string slot = "MainMenu/OptProfile0" + std::to_string(i + 1);
        subscribe(slot, CEGUI::ToggleButton::EventSelectStateChanged, &Menu::onProfileSlotSelected);
        subscribe(slot, CEGUI::Window::EventMouseDoubleClick, doubleClicks[i]);
    }
}

void Menu::buildExit()
{
    loadScreen(screenManifest("Exit.layout"));
    subscribe("Exit/BtnYes", clicked(), &Menu::onExitYes);
    subscribe("Exit/BtnNo", clicked(), &Menu::onExitNo);
}

void Menu::buildConfirm()
{
    loadScreen(screenManifest("Confirm.layout"));
    subscribe("Confirm/BtnYes", clicked(), &Menu::onConfirmYes);
    subscribe("Confirm/BtnNo", clicked(), &Menu::onConfirmNo);
}

void Menu::buildProfile()
{
    loadScreen(screenManifest("Profile.layout"));
    static_cast<CEGUI::Editbox*>(m_windows["Profile/EdtName"])->setMaxTextLength(12);
    // The kart turns in this picture; a clear one lets its look draw the
    // character's name under it.
    m_windows["Profile/ImgCharacter"]->setProperty("Image", gui::image("Speed", "FullTransparentBrush"));
    subscribe("Profile/BtnOk", clicked(), &Menu::createProfile);
    subscribe("Profile/BtnBack", clicked(), &Menu::onProfileBack);
    subscribe("Profile/BtnCharacterPrev", clicked(), &Menu::onProfileCharacterPrev);
    subscribe("Profile/BtnCharacterNext", clicked(), &Menu::onProfileCharacterNext);
    subscribe("Profile/EdtName", CEGUI::Window::EventActivated, &Menu::onNameFieldCaret);
    subscribe("Profile/EdtName", CEGUI::Window::EventTextChanged, &Menu::onProfileNameTextChanged);
    subscribe("Profile/EdtName", CEGUI::Editbox::EventTextSelectionChanged, &Menu::onNameFieldCaret);
    subscribe("Profile/EdtName", CEGUI::Editbox::EventTextAccepted, &Menu::onProfileNameAccepted);
}

void Menu::buildSingleplayer()
{
    loadScreen(screenManifest("Singleplayer.layout"));
    subscribe("Singleplayer/BtnCareer", clicked(), &Menu::onSingleplayerCareer);
    subscribe("Singleplayer/BtnSingleRace", clicked(), &Menu::onSingleplayerSingleRace);
    subscribe("Singleplayer/BtnLastManStanding", clicked(), &Menu::onSingleplayerLastManStanding);
    subscribe("Singleplayer/BtnBack", clicked(), &Menu::onSingleplayerBack);
}

void Menu::buildSingleRace()
{
    loadScreen(screenManifest("SingleRace.layout"));
    subscribe("SingleRace/BtnBack", clicked(), &Menu::onSingleRaceBack);
    subscribe("SingleRace/BtnStart", clicked(), &Menu::onSingleRaceStart);
    subscribe("SingleRace/BtnLapsDec", clicked(), &Menu::onSingleRaceLapsDec);
    subscribe("SingleRace/BtnLapsInc", clicked(), &Menu::onSingleRaceLapsInc);
    subscribe("SingleRace/BtnCcmDec", clicked(), &Menu::onSingleRaceCcmDec);
    subscribe("SingleRace/BtnCcmInc", clicked(), &Menu::onSingleRaceCcmInc);
    subscribe("SingleRace/BtnTrackDec", clicked(), &Menu::onSingleRaceTrackDec);
    subscribe("SingleRace/BtnTrackInc", clicked(), &Menu::onSingleRaceTrackInc);
}

void Menu::buildLastManStanding()
{
    loadScreen(screenManifest("LastManStanding.layout"));
    subscribe("LastManStanding/BtnBack", clicked(), &Menu::onLastManStandingBack);
    subscribe("LastManStanding/BtnStart", clicked(), &Menu::onLastManStandingStart);
    subscribe("LastManStanding/BtnCcmDec", clicked(), &Menu::onLastManStandingCcmDec);
    subscribe("LastManStanding/BtnCcmInc", clicked(), &Menu::onLastManStandingCcmInc);
    subscribe("LastManStanding/BtnTrackDec", clicked(), &Menu::onLastManStandingTrackDec);
    subscribe("LastManStanding/BtnTrackInc", clicked(), &Menu::onLastManStandingTrackInc);
}

// The career, ranking and shop screens are objects of their own, which the
// race builds too; the menu keeps their windows beside its own so that its
// keys, fades and texts reach them, but the objects destroy them.
void Menu::buildRanking()
{
    m_ranking = new RankingScreen(m_application);
    m_ranking->root()->setProperty("Image", gui::image("Speed", "FullTransparentBrush"));
    m_screens["Ranking"] = m_ranking->root();
    m_windows.insert(m_ranking->windows().begin(), m_ranking->windows().end());
    subscribe(m_ranking->root(), CEGUI::Window::EventKeyDown, &Menu::onScreenKey);
    subscribe(m_ranking->backButton(), clicked(), &Menu::onRankingBack);
    subscribe(m_ranking->continueButton(), clicked(), &Menu::onRankingContinue);
}

void Menu::buildCareer()
{
    m_career = new CareerScreen(m_application);
    m_career->root()->setProperty("Image", gui::image("Speed", "FullTransparentBrush"));
    m_screens["Career"] = m_career->root();
    m_windows.insert(m_career->windows().begin(), m_career->windows().end());
    subscribe(m_career->root(), CEGUI::Window::EventKeyDown, &Menu::onScreenKey);
    subscribe(m_career->backButton(), clicked(), &Menu::onCareerBack);
    subscribe(m_career->shopButton(), clicked(), &Menu::onCareerShop);
    subscribe(m_career->startButton(), clicked(), &Menu::onCareerStart);
}

void Menu::buildShop()
{
    m_shop = new ShopScreen(m_application);
    m_screens["Shop"] = m_shop->root();
    m_windows.insert(m_shop->windows().begin(), m_shop->windows().end());
    for (const char* dialog : {"Shop", "Shop/Confirm", "Shop/Denied"})
        subscribe(window(dialog), CEGUI::Window::EventKeyDown, &Menu::onScreenKey);
    subscribe(m_shop->backButton(), clicked(), &Menu::onShopBack);
}

void Menu::buildMultiplayer()
{
    loadScreen(screenManifest("Multiplayer.layout"));
    subscribe("Multiplayer/BtnTwoPlayers", clicked(), &Menu::onMultiplayerTwoPlayers);
    subscribe("Multiplayer/BtnCreateGame", clicked(), &Menu::onMultiplayerCreateGame);
    subscribe("Multiplayer/BtnJoinGame", clicked(), &Menu::onMultiplayerJoinGame);
    subscribe("Multiplayer/BtnBack", clicked(), &Menu::onMultiplayerBack);
}

void Menu::buildJoin()
{
    loadScreen(screenManifest("Join.layout"));
    auto* host = static_cast<CEGUI::Editbox*>(m_windows["Join/EdtHost"]);
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof(name);
    if (GetComputerNameA(name, &size))
        host->setText(gui::text(name));
    host->setMaxTextLength(32);
    subscribe("Join/BtnOk", clicked(), &Menu::onJoinOk);
    subscribe("Join/BtnCancel", clicked(), &Menu::onJoinCancel);
    subscribe("Join/EdtHost", CEGUI::Editbox::EventTextAccepted, &Menu::onJoinHostAccepted);

    loadScreen(screenManifest("MessageBox.layout"));
    subscribe("Join_MessageBox/BtnOk", clicked(), &Menu::onJoinMessageOk);
}

void Menu::buildTwoPlayers()
{
    loadScreen(screenManifest("TwoPlayers.layout"));
    for (const char* name : {"TwoPlayers/EdtName1", "TwoPlayers/EdtName2"})
        static_cast<CEGUI::Editbox*>(m_windows[name])->setMaxTextLength(12);
    subscribe("TwoPlayers/BtnBack", clicked(), &Menu::onTwoPlayersBack);
    subscribe("TwoPlayers/BtnStart", clicked(), &Menu::onTwoPlayersStart);
    subscribe("TwoPlayers/BtnCcmInc", clicked(), &Menu::onTwoPlayersCcmInc);
    subscribe("TwoPlayers/BtnCcmDec", clicked(), &Menu::onTwoPlayersCcmDec);
    subscribe("TwoPlayers/BtnLapsInc", clicked(), &Menu::onTwoPlayersLapsInc);
    subscribe("TwoPlayers/BtnLapsDec", clicked(), &Menu::onTwoPlayersLapsDec);
    subscribe("TwoPlayers/BtnGameInc", clicked(), &Menu::onTwoPlayersGameInc);
    subscribe("TwoPlayers/BtnGameDec", clicked(), &Menu::onTwoPlayersGameDec);
    subscribe("TwoPlayers/BtnTrackInc", clicked(), &Menu::onTwoPlayersTrackInc);
    subscribe("TwoPlayers/BtnTrackDec", clicked(), &Menu::onTwoPlayersTrackDec);
    subscribe("TwoPlayers/BtnKart1Inc", clicked(), &Menu::onTwoPlayersKart1Inc);
    subscribe("TwoPlayers/BtnKart1Dec", clicked(), &Menu::onTwoPlayersKart1Dec);
    subscribe("TwoPlayers/BtnKart2Inc", clicked(), &Menu::onTwoPlayersKart2Inc);
    subscribe("TwoPlayers/BtnKart2Dec", clicked(), &Menu::onTwoPlayersKart2Dec);
    subscribe("TwoPlayers/EdtName1", CEGUI::Window::EventActivated, &Menu::onNameFieldCaret);
    subscribe("TwoPlayers/EdtName1", CEGUI::Window::EventTextChanged, &Menu::onTwoPlayersName1TextChanged);
    subscribe("TwoPlayers/EdtName1", CEGUI::Editbox::EventTextAccepted, &Menu::onTwoPlayersName1Accepted);
    subscribe("TwoPlayers/EdtName1", CEGUI::Editbox::EventTextSelectionChanged,
              &Menu::onNameFieldCaret);
    subscribe("TwoPlayers/EdtName2", CEGUI::Window::EventActivated, &Menu::onNameFieldCaret);
    subscribe("TwoPlayers/EdtName2", CEGUI::Window::EventTextChanged, &Menu::onTwoPlayersName2TextChanged);
    subscribe("TwoPlayers/EdtName2", CEGUI::Editbox::EventTextAccepted, &Menu::onTwoPlayersName2Accepted);
    subscribe("TwoPlayers/EdtName2", CEGUI::Editbox::EventTextSelectionChanged,
              &Menu::onNameFieldCaret);
}

void Menu::buildLobby()
{
    loadScreen(screenManifest("Lobby.layout"));
    static_cast<CEGUI::Editbox*>(m_windows["Lobby/EdtName"])->setMaxTextLength(12);
    subscribe("Lobby/BtnBack", clicked(), &Menu::onLobbyBack);
    subscribe("Lobby/BtnStart", clicked(), &Menu::onLobbyStart);
    subscribe("Lobby/BtnCcmInc", clicked(), &Menu::onLobbyCcmInc);
    subscribe("Lobby/BtnCcmDec", clicked(), &Menu::onLobbyCcmDec);
    subscribe("Lobby/BtnLapsInc", clicked(), &Menu::onLobbyLapsInc);
    subscribe("Lobby/BtnLapsDec", clicked(), &Menu::onLobbyLapsDec);
    subscribe("Lobby/BtnGameInc", clicked(), &Menu::onLobbyGameInc);
    subscribe("Lobby/BtnGameDec", clicked(), &Menu::onLobbyGameDec);
    subscribe("Lobby/BtnTrackInc", clicked(), &Menu::onLobbyTrackInc);
    subscribe("Lobby/BtnTrackDec", clicked(), &Menu::onLobbyTrackDec);
    subscribe("Lobby/BtnKartInc", clicked(), &Menu::onLobbyKartInc);
    subscribe("Lobby/BtnKartDec", clicked(), &Menu::onLobbyKartDec);
    subscribe("Lobby/EdtName", CEGUI::Window::EventActivated, &Menu::onNameFieldCaret);
    subscribe("Lobby/EdtName", CEGUI::Window::EventTextChanged, &Menu::onLobbyNameTextChanged);
    subscribe("Lobby/EdtName", CEGUI::Editbox::EventTextAccepted, &Menu::onLobbyNameAccepted);
    subscribe("Lobby/EdtName", CEGUI::Editbox::EventTextSelectionChanged, &Menu::onNameFieldCaret);
    registerLobbyHandlers();
}

void Menu::buildOptions()
{
    loadScreen(screenManifest(m_application->m_settings.multilanguage ? "Options.layout" : "Options2.layout"));
    for (const char* name : {"Options/OptTextureDetailLow", "Options/OptTextureDetailMedium",
                             "Options/OptTextureDetailHigh"})
        static_cast<CEGUI::RadioButton*>(m_windows[name])->setGroupID(0);
    for (const char* name : {"Options/OptObjectDetailLow", "Options/OptObjectDetailHigh"})
        static_cast<CEGUI::RadioButton*>(m_windows[name])->setGroupID(1);
    auto* modes = static_cast<CEGUI::Combobox*>(m_windows["Options/CboVideoMode"]);
    for (size_t i = 0; i < m_videoModes.size(); ++i)
        modes->addItem(new MenuListItem(m_videoModes[i].label, uint32_t(i)));
    auto* languages = static_cast<CEGUI::Combobox*>(m_windows["Options/CboLanguage"]);
    for (uint32_t language = 0; language < 5; ++language)
        languages->addItem(new MenuListItem(m_textTable->getText(int32_t(3000 + 10 * language)), language));
    subscribe("Options/BtnOk", clicked(), &Menu::onOptionsOk);
    subscribe("Options/BtnReset", clicked(), &Menu::onOptionsReset);
    subscribe("Options/BtnCancel", clicked(), &Menu::onOptionsCancel);
    subscribe("Options/CboVideoMode", CEGUI::Combobox::EventListSelectionAccepted, &Menu::onOptionsVideoModeAccepted);
    subscribe("Options/CboLanguage", CEGUI::Combobox::EventListSelectionAccepted, &Menu::onOptionsLanguageAccepted);
    subscribe("Options/SldMusicVolume", CEGUI::Slider::EventValueChanged, &Menu::onOptionsMusicVolumeChanged);
    subscribe("Options/SldSfxVolume", CEGUI::Slider::EventValueChanged, &Menu::onOptionsSfxVolumeChanged);
    subscribe("Options/SldBrightness", CEGUI::Slider::EventValueChanged, &Menu::onOptionsBrightnessChanged);
    subscribe("Options/SldContrast", CEGUI::Slider::EventValueChanged, &Menu::onOptionsContrastChanged);
    subscribe("Options/SldGamma", CEGUI::Slider::EventValueChanged, &Menu::onOptionsGammaChanged);
    for (const char* name : {"Options/OptTextureDetailLow", "Options/OptTextureDetailMedium",
                             "Options/OptTextureDetailHigh"})
        subscribe(name, CEGUI::ToggleButton::EventSelectStateChanged, &Menu::onOptionsTextureDetailSelected);
    for (const char* name : {"Options/OptObjectDetailLow", "Options/OptObjectDetailHigh"})
        subscribe(name, CEGUI::ToggleButton::EventSelectStateChanged, &Menu::onOptionsObjectDetailSelected);
}

void Menu::buildHighscoresCareer()
{
    loadScreen(screenManifest("HighscoresCareer.layout"));
    subscribe("HighscoresCareer/BtnBack", clicked(), &Menu::onHighscoresCareerBack);
    subscribe("HighscoresCareer/BtnGame01", clicked(), &Menu::onHighscoresCareerGame01);
    subscribe("HighscoresCareer/BtnGame02", clicked(), &Menu::onHighscoresCareerGame02);
    subscribe("HighscoresCareer/BtnGame03", clicked(), &Menu::onHighscoresCareerGame03);
}

void Menu::buildHighscoresSingle()
{
    const ScreenManifest& screen = screenManifest("HighscoresSingle.layout");
    loadScreen(screen);
    subscribe("HighscoresSingle/BtnBack", clicked(), &Menu::onHighscoresSingleBack);
    subscribe("HighscoresSingle/BtnGame01", clicked(), &Menu::onHighscoresSingleGame01);
    subscribe("HighscoresSingle/BtnGame02", clicked(), &Menu::onHighscoresSingleGame02);
    subscribe("HighscoresSingle/BtnGame03", clicked(), &Menu::onHighscoresSingleGame03);
    for (const std::string& path : screen.windows)
        if (path.find("/BtnCcm") != std::string::npos || path.find("/BtnLaps") != std::string::npos
            || path.find("/BtnTrack") != std::string::npos)
            subscribe(path, clicked(), &Menu::onHighscoresSingleSelect);
}

void Menu::buildHighscoresLMS()
{
    const ScreenManifest& screen = screenManifest("HighscoresLMS.layout");
    loadScreen(screen);
    subscribe("HighscoresLMS/BtnBack", clicked(), &Menu::onHighscoresLMSBack);
    subscribe("HighscoresLMS/BtnGame01", clicked(), &Menu::onHighscoresLMSGame01);
    subscribe("HighscoresLMS/BtnGame02", clicked(), &Menu::onHighscoresLMSGame02);
    subscribe("HighscoresLMS/BtnGame03", clicked(), &Menu::onHighscoresLMSGame03);
    for (const std::string& path : screen.windows)
        if (path.find("/BtnCcm") != std::string::npos || path.find("/BtnTrack") != std::string::npos)
            subscribe(path, clicked(), &Menu::onHighscoresLMSSelect);
}

void Menu::buildCredits()
{
    loadScreen(screenManifest("Credits.layout"));
    subscribe("Credits/BtnBack", clicked(), &Menu::onCreditsBack);
    m_creditsWrap = 0.0f;
    readCredits();
}

// The lines of Credits.xml, placed in a virtual screen of 1024 x 768: the
// root's XPos, YPos, Width and LineHeight, then each Line's Text, Font,
// Colours and Height. A missing or broken file leaves the screen empty; a
// number that does not parse keeps its default.
void Menu::readCredits()
{
    std::string text;
    TiXmlDocument doc;
    if (!m_fileSystem || !readStreamText(*m_fileSystem, "D:\\Zoprax9/menu/Credits.xml", text)
        || !parseXmlText(doc, text))
        return;
    const TiXmlElement* root = doc.FirstChildElement("Credits");
    if (!root)
        return;
    double x = 256.0, y = 40.0, width = 768.0, lineHeight = 40.0;
    queryDouble(root, "XPos", x);
    queryDouble(root, "YPos", y);
    queryDouble(root, "Width", width);
    queryDouble(root, "LineHeight", lineHeight);
    CEGUI::Window* credits = m_screens["Credits"];
    CEGUI::FontManager& fonts = CEGUI::FontManager::getSingleton();
    for (const TiXmlElement* line = root->FirstChildElement("Line");
         line && m_creditsLines.size() < kMaxCreditsLines; line = line->NextSiblingElement("Line")) {
        double height = lineHeight;
        CEGUI::Window* w = CEGUI::WindowManager::getSingleton().createWindow("Speed/StaticText", "");
        w->disable();
        if (const char* said = line->Attribute("Text"))
            w->setText(gui::text(said));
        // A font the GUI does not have would stop the menu: the default stays.
        const std::string font = attributeText(line, "Font");
        w->setProperty("Font", !font.empty() && fonts.isDefined(gui::text(font)) ? gui::text(font) : "Comic-26");
        if (const char* colours = line->Attribute("Colours"))
            w->setProperty("TextColours", gui::text(colours));
        queryDouble(line, "Height", height);
        w->setProperty("HorzFormatting", "CentreAligned");
        w->setProperty("VertFormatting", "CentreAligned");
        const float fx = float(x), fy = float(y), fw = float(width), fh = float(height);
        w->setPosition(CEGUI::UVector2(CEGUI::UDim(fx / 1024.0f, 0.0f), CEGUI::UDim(fy / 768.0f, 0.0f)));
        w->setSize(CEGUI::USize(CEGUI::UDim(fw / 1024.0f, 0.0f), CEGUI::UDim(fh / 768.0f, 0.0f)));
        credits->addChild(w);
        m_creditsLines.push_back({fx, fy, fh, fy, w});
        y += height;
        m_creditsWrap += fh;
    }
}

void Menu::buildLanguage()
{
    loadScreen(screenManifest("Language.layout"));
    subscribe("Language/BtnDE", clicked(), &Menu::onLanguageDE);
    subscribe("Language/BtnEN", clicked(), &Menu::onLanguageEN);
    subscribe("Language/BtnFR", clicked(), &Menu::onLanguageFR);
    subscribe("Language/BtnSP", clicked(), &Menu::onLanguageSP);
    subscribe("Language/BtnIT", clicked(), &Menu::onLanguageIT);
}

void Menu::buildWinning()
{
    loadScreen(screenManifest("Winning.layout"));
    subscribe("Winning/BtnOk", clicked(), &Menu::onWinningOk);
}
