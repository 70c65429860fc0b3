#pragma once
// game/menu: the front end between races (the Menu, its screens, the career,
// ranking and shop screens, the profile store and the highscores). It
// includes engine/, platform/ and game/app; the program entry makes the Menu
// through the application's stage interface.
#include "game/app/GameStage.h"
#include "game/app/Settings.h"
#include "game/app/Timer.h"
#include "game/menu/LobbyInbox.h"
#include "game/menu/MenuFocus.h"
#include "game/menu/VideoMode.h"

#include <CEGUI/String.h>

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

class Application;
class CareerScreen;
class HighscoreTable;
class ProfileStore;
class RankingScreen;
class Renderer;
class Scene;
class SceneManager;
class ShopScreen;
class Stream;
class TextTable;
class WinInput;
struct D3DDISPLAYMODE;
struct RaceSetup;
struct ScreenManifest;
namespace CEGUI {
class EventArgs;
class String;
class Window;
} // namespace CEGUI

// The whole front end: every menu screen (hidden CEGUI windows from the
// layouts, shown one at a time through half-second fades), the menu's own 3D
// scenes (a background behind every screen and four trophies drawn over the
// winning screen), and the selections that become the next race. The
// application makes one for every stay in the menu: construct, load, update
// once a frame until it answers quit (1) or start the race (2), destroy.
class Menu : public MenuStage {
public:
    // A fade lasts this long; while one runs the GUI gets no input.
    static constexpr double kFadeSeconds = 0.5;
    // The lobby's player slots: the host's (0), the guests' and one more.
    static constexpr int32_t kLobbySlots = 7;

    Menu(Application* application, Renderer* renderer, WinInput* input);
    ~Menu() override;
    Menu(const Menu&) = delete;
    Menu& operator=(const Menu&) = delete;

    // Builds every screen under the loading screen and fades in the first
    // one; the set-up tells which screen follows the race just run. A GUI
    // file that is missing or damaged ends the program with a message naming
    // it: update then answers quit.
    void load(Stream* fileSystem, RaceSetup& setup) override;
    int32_t update() override;
    void onLostDevice() override;
    void onResetDevice() override;

    // The video modes of the adapter the display uses: each size of at least
    // 800 x 600 once, ascending, and the windowed entry last when the
    // program runs in a window.
    static std::vector<VideoMode> videoModes(const std::vector<D3DDISPLAYMODE>& adapterModes, bool windowed);
    // The first menu of a run opens on the main menu; the flag is the
    // program's (tests put it back).
    static uint8_t s_firstMenu;

    int32_t result() const { return m_result; }
    bool loadFailed() const { return m_loadFailed; }
    int32_t trophyIndex() const { return m_trophyIndex; }
    bool fading() const { return m_fadeInWindow || m_fadeOutWindow; }
    // A window of the menu's screens by its path ("MainMenu/BtnExit"); null
    // when no screen has it.
    CEGUI::Window* window(const std::string& path) const;
    // The screen whose root is shown and not fading out: the one the player
    // sees; null during a switch's first half when nothing is settled yet.
    CEGUI::Window* shownScreen() const;
    const MenuFocus& focus() const { return m_focus; }

private:
    struct CreditsLine {
        float x, y, height, startY;
        CEGUI::Window* window;
    };
    using Handler = bool (Menu::*)(const CEGUI::EventArgs&);

    void render();
    void fadeIn(CEGUI::Window* window);
    void fadeOut(CEGUI::Window* window);
    void updateFades();
    // The current screen out, the next one in.
    void switchTo(CEGUI::Window* from, CEGUI::Window* to);
    void previewsOff();
    // Preview 0 or 1 over the picture window, in its screen pixels.
    void placeKartPreview(int32_t preview, CEGUI::Window* image);
    void scrollCredits(float delta);
    void placeCreditsLine(const CreditsLine& line);
    void chooseFirstScreen(const RaceSetup& setup);
    void loadScenes(Stream* fileSystem);
    void applyLanguageTexts();

    // Building (MenuScreens.cpp): each screen's layout, its windows, its
    // settings and its events.
    CEGUI::Window* loadScreen(const ScreenManifest& screen);
    void subscribe(const std::string& path, const CEGUI::String& event, Handler handler);
    void subscribe(CEGUI::Window* window, const CEGUI::String& event, Handler handler);
    void buildMainMenu();
    void buildExit();
    void buildConfirm();
    void buildProfile();
    void buildSingleplayer();
    void buildSingleRace();
    void buildLastManStanding();
    void buildRanking();
    void buildCareer();
    void buildShop();
    void buildMultiplayer();
    void buildJoin();
    void buildTwoPlayers();
    void buildLobby();
    void buildOptions();
    void buildHighscoresCareer();
    void buildHighscoresSingle();
    void buildHighscoresLMS();
    void buildCredits();
    void buildLanguage();
    void buildWinning();
    void readCredits();
    bool onScreenKey(const CEGUI::EventArgs& e);

    // Screen entries (MenuNavigation.cpp).
    void showMainMenu();
    void refreshProfileSlot(int32_t slot);
    void showProfile();
    void showCharacter();
    // "Set/Image" of the kart's portrait with the suffix; the blank portrait
    // for a kart the configuration does not know.
    std::string portrait(const char* set, const std::string& kartName, const char* suffix) const;
    void showSingleplayer();
    void showMultiplayer();
    void showCareer();
    void showShop();
    void showJoin();
    void closeJoin();
    void showWinning();
    void showOptions();
    void fillOptions();
    int32_t findVideoMode(int32_t width, int32_t height, uint8_t windowed) const;
    void applyOptions();
    void applyGamma(const Settings& settings);
    void applyVolumes(const Settings& settings);
    void pictureChanged();
    // The settings' and the texts' language, every screen relabelled.
    void setLanguage(int32_t language);
    void showCredits();
    void showSingleRace();
    void showLastManStanding();
    void showTwoPlayers();
    // The lobby (MenuLobby.cpp). Received lobby messages wait in the
    // inbox until the frame applies them (LobbyMessages.h refuses what
    // names nothing the lobby has).
    void showLobby(bool host);
    void registerLobbyHandlers();
    void removeLobbyHandlers();
    // This machine's lobby slot.
    int32_t ownSlot() const;
    void showLobbyKart();
    void showLobbyGame();
    int32_t freeLobbyKart(int32_t kart, int32_t step) const;
    int32_t freeLobbyKartFor(int32_t slot) const;
    void stepLobbyKart(int32_t step);
    void sendLobbyName(int32_t slot);
    void sendLobbyState();
    // Per frame while in the lobby: the received messages, the rows, the
    // wait for the host's state and the connection.
    void updateLobby();
    void leaveLobby();
    // The message that a network race lost its game, over the multiplayer
    // screen once it is in.
    void showConnectionNotice();
    void refreshLobbySlots();
    void updateLobbyStart();
    // A received message, applied once it named nothing out of range.
    void applyLobbyMessage(int32_t id, const uint8_t* payload, int32_t size);
    void startLobbyRace(int32_t humans);
    void showHighscoresCareer(bool fromMainMenu);
    void showHighscoresSingle(bool fromMainMenu);
    void showHighscoresLMS(bool fromMainMenu);
    void leaveHighscores(const char* screen);
    void switchHighscores(const char* from, void (Menu::*show)(bool));
    void fillHighscoresCareer();
    void fillHighscoresSingle();
    void fillHighscoresLMS();
    void fillHighscoreRows(const char* screen, const HighscoreTable* table);
    void labelHighscoreTracks();
    // The message over the main menu when damaged player records were kept
    // aside at start-up.
    void showRecordsNotice();
    // A modal dialog over a screen, and its closing.
    void openDialog(CEGUI::Window* over, CEGUI::Window* dialog);
    void closeDialog(CEGUI::Window* dialog, CEGUI::Window* under);
    void languageChosen(int32_t language);
    // Caret to the end, nothing selected: the name fields' behaviour.
    bool onNameFieldCaret(const CEGUI::EventArgs& e);

    // The race set-up screens (MenuRaceSetup.cpp).
    // The single-race list, or the last-man-standing list for game kind 3.
    const std::vector<std::string>& trackList(int32_t gameType) const;
    // The level record's name of a track of that list; "" past its end.
    std::string trackName(int32_t gameType, int32_t track) const;
    // A screen's ImgTrack: the track's picture captioned with its name.
    void showTrack(const std::string& screen, int32_t gameType, int32_t track);
    // Preview 0 with the profile's kart as it looks in the class.
    void previewProfileKart(CEGUI::Window* image, int32_t ccm);
    RaceSetup& beginSetup(int32_t mode, int32_t gameType, int32_t ccm, int32_t laps, const std::string& level);
    // The profile's seven drivers with their looks in the class; the grid
    // of a career race (-1: another race).
    void fillProfilePlayers(RaceSetup& setup, int32_t ccm, int32_t careerRace);
    void startRace(CEGUI::Window* screen);
    void showTwoPlayersKart(int32_t player);
    void showTwoPlayersGame();
    void stepTwoPlayersKart(int32_t player, int32_t step);

    // Handlers (MenuNavigation.cpp, MenuHandlers.cpp); every one answers true.
    bool onMainMenuMultiplayer(const CEGUI::EventArgs& e);
    bool onMainMenuNewProfile(const CEGUI::EventArgs& e);
    bool onMainMenuLoadProfile(const CEGUI::EventArgs& e);
    bool onMainMenuHighscores(const CEGUI::EventArgs& e);
    bool onMainMenuOptions(const CEGUI::EventArgs& e);
    bool onMainMenuCredits(const CEGUI::EventArgs& e);
    bool onMainMenuExit(const CEGUI::EventArgs& e);
    bool onProfileSlotSelected(const CEGUI::EventArgs& e);
    bool onMainMenuProfileSlot1DoubleClick(const CEGUI::EventArgs& e);
    bool onMainMenuProfileSlot2DoubleClick(const CEGUI::EventArgs& e);
    bool onMainMenuProfileSlot3DoubleClick(const CEGUI::EventArgs& e);
    bool onMainMenuProfileSlot4DoubleClick(const CEGUI::EventArgs& e);
    bool onMainMenuProfileSlot5DoubleClick(const CEGUI::EventArgs& e);
    bool profileSlotDoubleClick(int32_t slot);
    bool onExitYes(const CEGUI::EventArgs& e);
    bool onExitNo(const CEGUI::EventArgs& e);
    bool onConfirmYes(const CEGUI::EventArgs& e);
    bool onConfirmNo(const CEGUI::EventArgs& e);
    bool createProfile(const CEGUI::EventArgs& e);
    bool onProfileBack(const CEGUI::EventArgs& e);
    bool onProfileCharacterPrev(const CEGUI::EventArgs& e);
    bool onProfileCharacterNext(const CEGUI::EventArgs& e);
    bool onProfileNameTextChanged(const CEGUI::EventArgs& e);
    bool onProfileNameAccepted(const CEGUI::EventArgs& e);
    bool onSingleplayerCareer(const CEGUI::EventArgs& e);
    bool onSingleplayerSingleRace(const CEGUI::EventArgs& e);
    bool onSingleplayerLastManStanding(const CEGUI::EventArgs& e);
    bool onSingleplayerBack(const CEGUI::EventArgs& e);
    bool onSingleRaceBack(const CEGUI::EventArgs& e);
    bool onSingleRaceStart(const CEGUI::EventArgs& e);
    bool onSingleRaceLapsDec(const CEGUI::EventArgs& e);
    bool onSingleRaceLapsInc(const CEGUI::EventArgs& e);
    bool onSingleRaceCcmDec(const CEGUI::EventArgs& e);
    bool onSingleRaceCcmInc(const CEGUI::EventArgs& e);
    bool onSingleRaceTrackDec(const CEGUI::EventArgs& e);
    bool onSingleRaceTrackInc(const CEGUI::EventArgs& e);
    bool onLastManStandingBack(const CEGUI::EventArgs& e);
    bool onLastManStandingStart(const CEGUI::EventArgs& e);
    bool onLastManStandingCcmDec(const CEGUI::EventArgs& e);
    bool onLastManStandingCcmInc(const CEGUI::EventArgs& e);
    bool onLastManStandingTrackDec(const CEGUI::EventArgs& e);
    bool onLastManStandingTrackInc(const CEGUI::EventArgs& e);
    bool onRankingBack(const CEGUI::EventArgs& e);
    bool onRankingContinue(const CEGUI::EventArgs& e);
    bool onCareerBack(const CEGUI::EventArgs& e);
    bool onCareerShop(const CEGUI::EventArgs& e);
    bool onCareerStart(const CEGUI::EventArgs& e);
    bool onShopBack(const CEGUI::EventArgs& e);
    bool onMultiplayerTwoPlayers(const CEGUI::EventArgs& e);
    bool onMultiplayerCreateGame(const CEGUI::EventArgs& e);
    bool onMultiplayerJoinGame(const CEGUI::EventArgs& e);
    bool onMultiplayerBack(const CEGUI::EventArgs& e);
    bool onJoinOk(const CEGUI::EventArgs& e);
    bool onJoinCancel(const CEGUI::EventArgs& e);
    bool onJoinHostAccepted(const CEGUI::EventArgs& e);
    bool onJoinMessageOk(const CEGUI::EventArgs& e);
    bool onTwoPlayersBack(const CEGUI::EventArgs& e);
    bool onTwoPlayersStart(const CEGUI::EventArgs& e);
    bool onTwoPlayersCcmInc(const CEGUI::EventArgs& e);
    bool onTwoPlayersCcmDec(const CEGUI::EventArgs& e);
    bool onTwoPlayersLapsInc(const CEGUI::EventArgs& e);
    bool onTwoPlayersLapsDec(const CEGUI::EventArgs& e);
    bool onTwoPlayersGameInc(const CEGUI::EventArgs& e);
    bool onTwoPlayersGameDec(const CEGUI::EventArgs& e);
    bool onTwoPlayersTrackInc(const CEGUI::EventArgs& e);
    bool onTwoPlayersTrackDec(const CEGUI::EventArgs& e);
    bool onTwoPlayersKart1Inc(const CEGUI::EventArgs& e);
    bool onTwoPlayersKart1Dec(const CEGUI::EventArgs& e);
    bool onTwoPlayersKart2Inc(const CEGUI::EventArgs& e);
    bool onTwoPlayersKart2Dec(const CEGUI::EventArgs& e);
    bool onTwoPlayersName1TextChanged(const CEGUI::EventArgs& e);
    bool onTwoPlayersName1Accepted(const CEGUI::EventArgs& e);
    bool onTwoPlayersName2TextChanged(const CEGUI::EventArgs& e);
    bool onTwoPlayersName2Accepted(const CEGUI::EventArgs& e);
    bool onLobbyBack(const CEGUI::EventArgs& e);
    bool onLobbyStart(const CEGUI::EventArgs& e);
    bool onLobbyCcmInc(const CEGUI::EventArgs& e);
    bool onLobbyCcmDec(const CEGUI::EventArgs& e);
    bool onLobbyLapsInc(const CEGUI::EventArgs& e);
    bool onLobbyLapsDec(const CEGUI::EventArgs& e);
    bool onLobbyGameInc(const CEGUI::EventArgs& e);
    bool onLobbyGameDec(const CEGUI::EventArgs& e);
    bool onLobbyTrackInc(const CEGUI::EventArgs& e);
    bool onLobbyTrackDec(const CEGUI::EventArgs& e);
    bool onLobbyKartInc(const CEGUI::EventArgs& e);
    bool onLobbyKartDec(const CEGUI::EventArgs& e);
    bool onLobbyNameTextChanged(const CEGUI::EventArgs& e);
    bool onLobbyNameAccepted(const CEGUI::EventArgs& e);
    bool onOptionsOk(const CEGUI::EventArgs& e);
    bool onOptionsReset(const CEGUI::EventArgs& e);
    bool onOptionsCancel(const CEGUI::EventArgs& e);
    bool onOptionsVideoModeAccepted(const CEGUI::EventArgs& e);
    bool onOptionsLanguageAccepted(const CEGUI::EventArgs& e);
    bool onOptionsMusicVolumeChanged(const CEGUI::EventArgs& e);
    bool onOptionsSfxVolumeChanged(const CEGUI::EventArgs& e);
    bool onOptionsBrightnessChanged(const CEGUI::EventArgs& e);
    bool onOptionsContrastChanged(const CEGUI::EventArgs& e);
    bool onOptionsGammaChanged(const CEGUI::EventArgs& e);
    bool onOptionsTextureDetailSelected(const CEGUI::EventArgs& e);
    bool onOptionsObjectDetailSelected(const CEGUI::EventArgs& e);
    bool onHighscoresCareerBack(const CEGUI::EventArgs& e);
    bool onHighscoresCareerGame01(const CEGUI::EventArgs& e);
    bool onHighscoresCareerGame02(const CEGUI::EventArgs& e);
    bool onHighscoresCareerGame03(const CEGUI::EventArgs& e);
    bool onHighscoresSingleBack(const CEGUI::EventArgs& e);
    bool onHighscoresSingleGame01(const CEGUI::EventArgs& e);
    bool onHighscoresSingleGame02(const CEGUI::EventArgs& e);
    bool onHighscoresSingleGame03(const CEGUI::EventArgs& e);
    bool onHighscoresSingleSelect(const CEGUI::EventArgs& e);
    bool onHighscoresLMSBack(const CEGUI::EventArgs& e);
    bool onHighscoresLMSGame01(const CEGUI::EventArgs& e);
    bool onHighscoresLMSGame02(const CEGUI::EventArgs& e);
    bool onHighscoresLMSGame03(const CEGUI::EventArgs& e);
    bool onHighscoresLMSSelect(const CEGUI::EventArgs& e);
    bool onCreditsBack(const CEGUI::EventArgs& e);
    bool onLanguageDE(const CEGUI::EventArgs& e);
    bool onLanguageEN(const CEGUI::EventArgs& e);
    bool onLanguageFR(const CEGUI::EventArgs& e);
    bool onLanguageSP(const CEGUI::EventArgs& e);
    bool onLanguageIT(const CEGUI::EventArgs& e);
    bool onWinningOk(const CEGUI::EventArgs& e);

    int32_t m_result = 0;
    Timer m_timer;
    Application* m_application;
    Renderer* m_renderer;
    WinInput* m_input;
    SceneManager* m_scenes = nullptr;
    Scene* m_background = nullptr;
    // Bronze, silver, gold and the consolation prize: trophy index 1 to 4.
    Scene* m_trophies[4] = {};
    int32_t m_trophyIndex = 0;
    TextTable* m_textTable;
    ProfileStore* m_profileStore;
    std::vector<VideoMode> m_videoModes;
    float m_fadeInStart = 0.0f;
    CEGUI::Window* m_fadeInWindow = nullptr;
    float m_fadeOutStart = 0.0f;
    CEGUI::Window* m_fadeOutWindow = nullptr;
    uint8_t m_highscoresFromMainMenu = 1;
    // The profile screen's character: an index into the configuration's karts.
    int32_t m_characterIndex = 0;
    // The settings as they were when the options opened, for Cancel.
    Settings m_optionsBackup;
    // The highscore tables shown: single race by class, track and laps;
    // last man standing by class and arena.
    int32_t m_singleCcm = 0;
    int32_t m_singleTrack = 0;
    int32_t m_singleLaps = 3;
    int32_t m_lmsCcm = 0;
    int32_t m_lmsArena = 0;
    // Every looked-up window of every screen by its path, and the screens'
    // roots by name.
    std::unordered_map<std::string, CEGUI::Window*> m_windows;
    std::unordered_map<std::string, CEGUI::Window*> m_screens;
    RankingScreen* m_ranking = nullptr;
    CareerScreen* m_career = nullptr;
    ShopScreen* m_shop = nullptr;
    Stream* m_fileSystem = nullptr;
    // The race set-up screens' selections, reset whenever a screen opens:
    // laps 3, 5 or 8, class 0-2, indices into the track and kart lists.
    int32_t m_singleRaceLaps = 3;
    int32_t m_singleRaceCcm = 0;
    int32_t m_singleRaceTrack = 0;
    int32_t m_lmsSetupCcm = 0;
    int32_t m_lmsSetupArena = 0;
    int32_t m_twoPlayersCcm = 0;
    int32_t m_twoPlayersLaps = 3;
    int32_t m_twoPlayersGame = 0; // 0 single race, 3 last man standing
    int32_t m_twoPlayersTrack = 0;
    int32_t m_twoPlayersKart1 = 0;
    int32_t m_twoPlayersKart2 = 1;
    CEGUI::String m_twoPlayersName1;
    CEGUI::String m_twoPlayersName2;
    // The lobby's state: the host's choices, and per slot the kart (-1 no
    // player), the ready state (0 waiting, 1 ready, 2 no human) and name.
    LobbyInbox m_lobbyInbox;
    bool m_lobbyHandlers = false;
    bool m_inLobby = false;
    bool m_lobbyHost = false;
    int32_t m_lobbyCcm = 0;
    int32_t m_lobbyLaps = 3;
    int32_t m_lobbyGame = 0;
    int32_t m_lobbyTrack = 0;
    int32_t m_lobbyKart[kLobbySlots] = {-1, -1, -1, -1, -1, -1, -1};
    int32_t m_lobbyReady[kLobbySlots] = {2, 2, 2, 2, 2, 2, 2};
    CEGUI::String m_lobbyNames[kLobbySlots];
    // Menu clock at which a guest asked for the host's state; -1 when it
    // waits for none.
    double m_lobbyWaitStart = -1.0;
    bool m_connectionNoticePending = false;
    std::vector<CreditsLine> m_creditsLines;
    float m_creditsWrap = 0.0f;
    MenuFocus m_focus;
    // What the Join message box was opened over: the Join dialog (a failed
    // join), the multiplayer screen (a game that could not be made) or the
    // main menu (the records notice).
    CEGUI::Window* m_messageUnder = nullptr;
    // The records notice waits for the main menu's fade-in to end.
    bool m_recordsNoticePending = false;
    // The message box's own font while the longer notice is shown in a
    // smaller one; empty otherwise.
    CEGUI::String m_messageFont;
    bool m_loadFailed = false;
    bool m_built = false;
};
