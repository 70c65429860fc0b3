#pragma once
#include "game/app/GameStage.h"
#include "engine/core/math/Vector3.h"
#include "game/app/Timer.h"
#include "game/race/Path.h"

#include <cstdint>
#include <string>
#include <vector>

class Application;
class Camera;
class CareerScreen;
class CollideFilter;
class ColourMap;
class ContactHandler;
class DebugConsole;
class EffectManager;
class Extras;
class GroundMap;
class Hud;
class Kart;
class KartController;
class RankingScreen;
class Renderer;
class Scene;
class SceneManager;
class SceneObject;
class ShopScreen;
class SpeedMap;
class Stream;
class WinInput;
struct KartInfo;
struct LevelInfo;
struct RaceSetup;
namespace CEGUI {
class EventArgs;
class Window;
} // namespace CEGUI

// One race, from loading to its end: the level scene with its collision
// spaces, contact handlers and collide filter, the karts and their
// controllers, the pickups, the HUD and the console, and the frame that
// steps the simulation in 0.01 s steps, keeps the race's progress and draws
// one or two views. The application makes it, loads it once, updates it
// every frame until its result word is not 0, and deletes it.
//
// Its operations are split by concern: Race.cpp (life and the stage
// interface), RaceLoad.cpp (loading), RaceContacts.cpp (the tables it puts
// into the scene), RaceFrame.cpp (the frame and the steps), RaceView.cpp
// (cameras and drawing), RaceProgress.cpp (start, countdown, ranks, laps,
// finish), RaceInput.cpp (keys), RacePickups.cpp (pickups and respawns),
// RacePowerupMessages.cpp (power-up messages from other machines),
// RaceResults.cpp (ranking and booking a finished race), RaceDialogs.cpp
// (pause, results and the career's screens after a race).
class Race : public RaceStage {
public:
    static constexpr int32_t kMaxKarts = 7;
    static constexpr int32_t kMaxViews = 2;
    static constexpr int32_t kPathSlots = 9;
    static constexpr float kStep = 0.01f;
    static constexpr int32_t kMaxStepsPerFrame = 20;
    static constexpr int32_t kReadyMessage = 31;
    static constexpr double kReadyRepeat = 1.0;

    // The collision spaces, in the order they are made: the index is the
    // space class of the collide filters.
    enum Space : uint32_t {
        SpaceDefault = 0,
        SpaceKarts = 1,
        SpaceFloor = 2,
        SpaceCheck = 3,
        SpaceRay = 4,
        SpaceObstacles = 5,
    };
    // The race kinds of the set-up's gameType.
    enum Kind : int32_t { SingleRace = 0, CoinRace = 1, TimedRun = 2, LastManStanding = 3 };
    // The console's watch rows, in the order the race adds them.
    enum WatchRow : int32_t {
        WatchPosmap = 0,
        WatchCheck = 1,
        WatchLap = 2,
        WatchFps = 3,
        WatchPolys = 4,
        WatchDipcalls = 5,
        WatchSpeed = 6,
    };
    // The camera modes of a view.
    enum CameraMode : int32_t { ChaseCamera = 0, FreeCamera = 1, LevelCamera2 = 2, StartCamera = 3, LookBack = 4 };

    Race(Application* application, Renderer* renderer);
    ~Race() override;
    Race(const Race&) = delete;
    Race& operator=(const Race&) = delete;

    // The race that exists, null when none does.
    static Race* current();

    // RaceStage. A set-up the race cannot be built from is refused with a
    // report: the race is left empty and its result word sends the
    // application back to the menu.
    void load(Stream* files, RaceSetup& setup, WinInput* input) override;
    void update(WinInput* input) override;
    int32_t result() const override { return m_result; }
    void onLostDevice() override;
    void onResetDevice() override;

    // The race clock: seconds of racing, stopped while paused.
    double raceClock() const { return m_timer.m_total; }
    bool loaded() const { return m_loaded; }

    // The frame (RaceFrame.cpp).
    void stepPhysics();
    void stepOnce();
    // The console's watches from view 0's kart and the renderer.
    void updateWatches();
    // Brings every item's world matrix up to the race clock.
    void updateTransforms();

    // Views (RaceView.cpp).
    void setCameraMode(int32_t view, int32_t mode);
    void updateCameras();
    void render();

    // Progress (RaceProgress.cpp, RacePickups.cpp).
    void start();
    bool updateCountdown();
    void updatePositions();
    void updatePosmapHistory();
    void updateWrongWay();
    void updateHud();
    bool checkFinished(float elapsed);
    void respawnKart(int32_t index);
    void updatePickups(float time, float dt);
    void setCoinsActive(bool on);
    void setPickupsActive(bool on);
    // The results (RaceResults.cpp): acts once, in the first frame after
    // the countdown in which the race is over: estimates the times of the
    // karts still under way, ranks and books the race and shows the
    // results dialog.
    void showResults();
    void finishRemainingKarts();
    void storeResults();
    // The target time of the set-up's career race in its class; 0 when the
    // career table has none.
    float careerTargetTime() const;
    // The position map's value (0 to 255) under a point; 0 without a map.
    int32_t positionValue(const Vector3& position) const;
    // Whether a respawn request can be honoured: the first AI path has
    // points to put a kart on.
    bool canRespawn() const;
    void handleInput(WinInput* input);
    // Race message 31 for every kart driven here, each marked ready.
    void sendReady();

    // Sound, through the application; the sound of the race's own events
    // goes through here so that a test can listen.
    virtual void playCue(uint32_t cue);
    void stopCue(uint32_t cue);
    // A particle effect of the race's effect manager; nothing while the race
    // has none. The contact handlers' effects go through here so that a
    // test can watch them.
    virtual void spawnEffect(int32_t kind, const float position[3], const float direction[3], float size,
                             int32_t count);

    // The dialogs' buttons (RaceDialogs.cpp), each answering true.
    bool onPauseContinue(const CEGUI::EventArgs& e);
    bool onPauseRestart(const CEGUI::EventArgs& e);
    // Outside a career: back to the menu. In a career the race is given
    // up: the player last, no kudos or points, the results next frame.
    bool onPauseExit(const CEGUI::EventArgs& e);
    bool onResultsOk(const CEGUI::EventArgs& e);
    bool onRankingBack(const CEGUI::EventArgs& e);
    bool onRankingContinue(const CEGUI::EventArgs& e);
    bool onCareerBack(const CEGUI::EventArgs& e);
    bool onCareerShop(const CEGUI::EventArgs& e);
    bool onCareerStart(const CEGUI::EventArgs& e);
    bool onShopBack(const CEGUI::EventArgs& e);
    bool onMessageOk(const CEGUI::EventArgs& e);
    // The pause dialog and the clock (stopped outside a network race).
    void setPaused(bool paused);
    bool paused() const { return m_paused; }
    // Whether one of the pause, results, ranking, career or shop windows
    // is visible: the mouse cursor shows exactly then.
    bool dialogShown() const;

    // Race messages 33 (another machine hit one of this machine's karts)
    // and 38 (another machine's kart spawned a power-up object), for the
    // network control (RacePowerupMessages.cpp). A kart index that is no
    // kart of the race, a kind out of range or a short payload is refused
    // with a report.
    void onHitMessage(const uint8_t* payload, int32_t size);
    void onSpawnMessage(const uint8_t* payload, int32_t size);
    // The other race messages (RaceMessages.cpp): 31 a kart is ready to
    // start, 32 (unused), 34 and 35 a kart's animation starts or ends, 36 a
    // kart finished, 37 a kart's pose. Each refuses with a report a payload
    // that names no kart of the race or no animation, or carries a value
    // that is not a number; what concerns only the karts another machine
    // drives leaves this machine's own karts alone.
    void onReadyMessage(const uint8_t* payload, int32_t size);
    void onUnusedMessage(const uint8_t* payload, int32_t size);
    void onAnimationMessage(const uint8_t* payload, int32_t size);
    void onAnimationEndMessage(const uint8_t* payload, int32_t size);
    void onFinishMessage(const uint8_t* payload, int32_t size);
    void onPoseMessage(const uint8_t* payload, int32_t size);
    // The karts of the players whose machines left the race: they hold the
    // race open no more.
    void dropDepartedPlayers();

    Renderer* m_renderer;
    RaceSetup* m_setup = nullptr;
    Extras* m_extras = nullptr;
    Scene* m_scene = nullptr;
    Camera* m_cameras[kMaxViews] = {};
    int32_t m_viewKart[kMaxViews] = {0, 1};
    SpeedMap* m_speedMap = nullptr;
    int32_t m_pathCount = 0;
    Path m_paths[kPathSlots];
    EffectManager* m_effects = nullptr;
    // 0 running, 1 back to the menu, 2 the set-up again.
    int32_t m_result = 0;
    Application* m_app;
    Timer m_timer;
    float m_physicsClock = 0.0f;
    SceneManager* m_sceneManager = nullptr;
    int32_t m_viewCount = 1;
    DebugConsole* m_console = nullptr;
    float m_heightTestY = 0.0f;
    uint8_t m_singleStep = 0;
    std::vector<ContactHandler*> m_contactHandlers;
    CollideFilter* m_collideFilter = nullptr;
    Hud* m_hud = nullptr;
    int32_t m_kartCount = 0;
    Kart* m_karts[kMaxKarts] = {};
    int32_t m_cameraMode[kMaxViews] = {};
    float m_cameraDistance[kMaxViews] = {};
    float m_cameraSpeedfactor[kMaxViews] = {};
    float m_cameraHeight[kMaxViews] = {};
    float m_cameraFov[kMaxViews] = {};
    uint8_t m_started = 0;
    uint8_t m_abandoned = 0;
    float m_startTime = -1.0f;
    float m_countdownStart = -1.0f;
    // 1 armed, 2 to 5 the countdown, 0 racing, 6 results shown.
    int32_t m_countdownPhase = 0;
    uint8_t m_ready[kMaxKarts] = {};
    std::vector<SceneObject*> m_coins;
    std::vector<SceneObject*> m_itemPickups;
    std::vector<SceneObject*> m_specialPickups;
    std::vector<SceneObject*> m_hammerPickups;
    std::vector<SceneObject*> m_quadDamagePickups;
    std::vector<SceneObject*> m_healthPickups;
    uint8_t m_wrongWay[kMaxViews] = {};
    float m_wrongWayTime[kMaxViews] = {};
    // Per view, the last four position-map values, newest first.
    int32_t m_posHistory[kMaxViews][4] = {};
    ColourMap* m_colourMap = nullptr;
    GroundMap* m_posMap = nullptr;
    // The dialogs and screens of the race's end; absent until they are
    // built.
    CEGUI::Window* m_messageBox = nullptr;
    CEGUI::Window* m_messageText = nullptr;
    CEGUI::Window* m_messageOk = nullptr;
    CEGUI::Window* m_pauseWindow = nullptr;
    CEGUI::Window* m_pauseContinue = nullptr;
    CEGUI::Window* m_pauseRestart = nullptr;
    CEGUI::Window* m_pauseExit = nullptr;
    CareerScreen* m_careerScreen = nullptr;
    ShopScreen* m_shopScreen = nullptr;
    RankingScreen* m_rankingScreen = nullptr;
    int32_t m_kudosBefore[kMaxKarts] = {};
    int32_t m_seasonPointsBefore[kMaxKarts] = {};
    CEGUI::Window* m_resultsWindow = nullptr;
    CEGUI::Window* m_resultsOk = nullptr;
    CEGUI::Window* m_resultsHeader = nullptr;
    CEGUI::Window* m_resultsRank[kMaxKarts] = {};
    CEGUI::Window* m_resultsName[kMaxKarts] = {};
    CEGUI::Window* m_resultsTime[kMaxKarts] = {};

    // Per kart: its machine left the race (network races).
    uint8_t m_departed[kMaxKarts] = {};

    // Race clock at which the race was over; a race without a results
    // dialog (no GUI) leaves for the menu a little later.
    double m_overTime = -1.0;

protected:
    // The controllers of a player type (1 to 5): the primary and the one
    // that takes over at the finish (the same object for types 4 and 5),
    // and the marker colours for the two views. False for any other type.
    virtual bool makeControllers(int32_t playerType, WinInput* input, KartController*& primary,
                                 KartController*& second, int32_t markerColours[2]);

private:
    // The load's steps (RaceLoad.cpp); each false refuses the race with
    // the reason in `why`.
    // The HUD and the console; false, with the GUI's reason, when a file of
    // theirs does not load.
    bool loadHudAndConsole(std::string& why);
    bool loadLevel(Stream* files, const LevelInfo& level);
    void loadPaths(Stream* files, const LevelInfo& level);
    void loadMaps(Stream* files, const LevelInfo& level);
    // Puts every point of the paths whose flag byte is 0 onto the floor.
    void snapPathsToFloor();
    void createSpaces();
    void installContacts();
    bool createKarts(Stream* files, WinInput* input, std::string& why);
    void findPickups();
    bool numberCheckpoints(std::string& why);
    void refuse(const std::string& why);
    void hideMouseCursor();
    void stepSimulation();
    // The kart's tint from the level's colour map.
    void applyTint(Kart& kart);
    // The camera a view is drawn from in its mode.
    Camera* viewCamera(int32_t view) const;
    void renderView(int32_t view, double time, float frameTime);
    // The dialogs' windows and screens, built when the application has a
    // GUI; false, with the reason, when a layout lacks a window.
    bool loadDialogs(std::string& why);
    void destroyDialogs();
    void deleteScreens();
    void updateMouseCursor();
    // The kart preview over the shop's kart picture while the shop shows.
    void renderShopPreview();
    // The career race given up from the pause dialog.
    void giveUp();

    // The race's network handlers (RaceMessages.cpp): the ready message at
    // the start of loading, the others at its end; all of them go with the
    // race.
    void registerReadyHandler();
    void registerRaceHandlers();
    void removeRaceHandlers();

    bool m_loaded = false;
    bool m_paused = false;
    bool m_handlersRegistered = false;
    // This machine's start key was pressed, and when it last said so.
    bool m_readySent = false;
    double m_readySentClock = 0.0;
};
