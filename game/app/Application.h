#pragma once
// game/app: the game's application half: the program entry with its main
// loop and crash guard, input, the frame timer, the application object with
// its frame state machine, the loading screen, audio, settings, texts and the
// configuration tables. It includes engine/ and platform/ (and CEGUI, ODE,
// TinyXML); the menu and the race, built on top of it, reach it through the
// Application and come back through the stage interfaces of GameStage.h.
#include "game/app/GameAudio.h"
#include "game/app/GameConfig.h"
#include "game/app/GameStage.h"
#include "game/app/RaceSetup.h"
#include "game/app/Settings.h"
#include "game/app/Timer.h"

#include <cstdint>
#include <string>

class Renderer;
class Stream;
class WinInput;
class TextTable;
class ProfileStore;
class Highscores;
class GuiResourceProvider;
class GuiRenderer;
class GuiLog;
class GuiXmlParser;
class SceneManager;
class Scene;
class SceneObject;
class MeshObject;
class Texture;
namespace CEGUI {
class System;
class Renderer;
class Window;
class ProgressBar;
} // namespace CEGUI

// The game's shared context and its top-level state machine: one instance
// for the whole run, created by WinMain with the renderer and set up by
// init. Each main-loop pass calls update once.
class Application {
public:
    // The states of update.
    enum State : int32_t {
        StateMenu = 0,
        StateRace = 1,
        StateStartRace = 2,
        StateRaceEnded = 3,
        StateQuit = 4,
        StateCreateMenu = 5,
        StateMenuToQuit = 6,
        StateMenuToRace = 7,
    };
    // The menu music: prepared at start-up, stopped when the menu quits.
    static constexpr uint32_t kMenuMusicCue = 21;
    // The XACT global variable that chooses the music.
    static constexpr uint32_t kMusicVariable = 7;

    // The settings are the program's (g_settings) when it has them, else a
    // set of defaults of the application's own (tests, tools).
    explicit Application(Renderer* renderer, StageMakers makers = {});
    virtual ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The one application of the process, null before it exists.
    static Application* instance();

    // Start-up after the archives are mounted (ApplicationInit.cpp). False
    // only when the audio banks cannot be made.
    bool init(Stream* archive);

    // One frame; true (the crash guard turns a fault into false).
    bool update(WinInput* input);
    void onLostDevice();
    void onResetDevice();

    // The loading screen (ApplicationLoading.cpp). Progress values run from
    // 0 to 1 and are mapped into the range [min(a, b), max(a, b)] of the bar.
    void openLoadingScreen(const std::string& levelName, float progress, float a, float b);
    void setLoadingProgress(float progress);
    void closeLoadingScreen();
    // The bar's value for a progress value.
    float loadingBarValue(float progress) const { return m_progressLow + (m_progressHigh - m_progressLow) * progress; }

    // Audio (ApplicationAudio.cpp): each does nothing without an engine.
    void playCue(uint32_t cue);
    void stopCue(uint32_t cue);
    void stopCategory(uint16_t category);
    void setCategoryPaused(int32_t which, bool pause);
    void setCategoryVolume(uint16_t category, float volume);
    void setGlobalVariable(uint32_t index, float value);
    int32_t getCategory(const char* name);
    // The engine's per-frame work.
    void doAudioWork();

    // Configuration lookups (config.xml): exact names, null when absent.
    const LevelInfo* findLevel(const std::string& name) const { return m_config.findLevel(name); }
    const LevelInfo* levelAt(int32_t index) const { return m_config.levelAt(index); }
    const KartInfo* findKart(const std::string& name) const { return m_config.findKart(name); }
    const KartInfo* kartAt(int32_t index) const { return m_config.kartAt(index); }
    bool kartStatRatios(const std::string& kartName, float ratios[GameConfig::StatCount]) const
    {
        return m_config.kartStatRatios(kartName, ratios);
    }

    Renderer* m_renderer;
    RaceSetup m_raceSetup;
    TextTable* m_textTable = nullptr;
    ProfileStore* m_profileStore = nullptr;
    Highscores* m_highscores = nullptr;
    CEGUI::System* m_guiSystem = nullptr;
    // CEGUI's renderer on the device (platform/gui).
    GuiRenderer* m_guiRenderer = nullptr;
    CEGUI::Window* m_rootWindow = nullptr;
    CEGUI::Window* m_loadingWindow = nullptr;
    CEGUI::ProgressBar* m_progressBar = nullptr;
    float m_progressLow = 0.0f;
    float m_progressHigh = 1.0f;
    uint8_t m_soundOff = 0;
private:
    Settings m_ownSettings;
public:
    // The settings the application reads: detail levels for a race, the
    // language at start-up, and the volumes, which the options screen changes
    // in place.
    Settings& m_settings;
    // The XACT engine with its banks, 3D set-up and the files it reads; its
    // volumes are the settings' own.
    GameAudio m_audio{m_settings.musicVolume, m_settings.sfxVolume};
    int32_t m_previewCount = 0;
    // Top-left and bottom-right corners in screen pixels.
    float m_previewRects[2][4] = {};
    Timer m_timer;
    uint8_t m_quit = 0;
    int32_t m_state = StateCreateMenu;
    MenuStage* m_menu = nullptr;
    RaceStage* m_race = nullptr;
    GuiResourceProvider* m_resourceProvider = nullptr;
    // The tables of config.xml.
    GameConfig m_config;
    Stream* m_archive = nullptr;
    SceneManager* m_previewScenes = nullptr;
    Scene* m_previewScene = nullptr;
    // The kart preview's menu models, one a configured kart.
    static constexpr int kPreviewKarts = 7;
    SceneObject* m_kartMenuModels[kPreviewKarts] = {};
    // One kart preview of the selection and shop screens: the turning
    // chassis with the current menu model under it, the kart item, and the
    // look applyKartLook chose.
    struct KartPreview {
        MeshObject* chassis = nullptr;
        MeshObject* kart = nullptr;
        SceneObject* model = nullptr;
        // Drawn on its own; null without a spoiler.
        MeshObject* spoiler = nullptr;
        Texture* colour = nullptr;
        Texture* logo = nullptr;
        // The picture layers of the kart object's paint (the first and second
        // image layer of its surface "kart logo") that the colour and logo go
        // into while this preview draws; null where the object has none.
        Texture** colourSlot = nullptr;
        Texture** logoSlot = nullptr;
    };
    KartPreview m_previews[2];

    // Draws the first m_previewCount previews into their rectangles, each
    // chassis turned a fixed step further per call, each with its own colour
    // and logo in the paint's picture layers while it draws; the object's
    // own pictures are back in them afterwards.
    void renderKartPreviews();
    // Hangs the first two karts' menu models under the two previews' chassis,
    // every other model under none.
    void attachMenuKarts();
    // Shows the kart by name with the look's levels in preview 0 or 1: its
    // menu model, the parts of its object for spoiler, tyres, side skirts
    // and engine, and the colour and logo textures. False, changing nothing,
    // for a kart the configuration does not list or a preview index other
    // than 0 and 1.
    bool applyKartLook(const std::string& kartName, int32_t spoiler, int32_t tires, int32_t sideskirts,
                       int32_t logo, int32_t colour, int32_t engine, int32_t previewIndex);

protected:
    // The career's books after a race of set-up mode 3; answers the result
    // that decides the next state.
    virtual int32_t bookCareer(int32_t result);

private:
    // The GUI up to the open loading screen (ApplicationGui.cpp). False,
    // after a message naming the file, when a GUI file is missing or damaged.
    bool startGui();
    void stopGui();
    // The menu's kart preview scene with the kart colour and logo textures
    // (ApplicationInit.cpp).
    void loadKartPreview();
    // The picture behind the loading screen's bar: the level's, or the
    // game's own when the level has none or its file is missing.
    std::string loadingPicture(const std::string& levelName) const;
    void createMenu(WinInput* input);
    void startRace(WinInput* input);
    void endRace();
    // Says once on stderr that a part of the game is missing from this build.
    void missingStage(const char* what);

    StageMakers m_makers;
    int32_t m_raceResult = 0;
    GuiXmlParser* m_xmlParser = nullptr;
    GuiLog* m_guiLog = nullptr; // null when another logger was there first
};
