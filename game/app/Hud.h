#pragma once
#include "engine/core/math/Vector3.h"

#include <cstdint>
#include <string>

class Application;
struct RaceSetup;
namespace CEGUI {
class Window;
}

// The race's head-up display: CEGUI windows over the 3D view, one set per
// view (HUD.layout for one view, HUD2.layout for two), showing what the race
// feeds it each frame: start message, countdown, lap, rank, times, held
// power-up, coins, energy bars, the wrong-way sign and the minimap with one
// marker per kart.
//
// Without an application or its GUI the HUD has no windows: every operation
// then only keeps the marker slots, so races run headless as well. With a
// GUI, a layout, imageset or picture that does not load throws the GUI
// library's exception out of the constructor, after the HUD removed what it
// had made.
class Hud {
public:
    static constexpr int32_t kMarkers = 32;
    static constexpr int32_t kViews = 2;
    static constexpr int32_t kBars = 6;

    Hud(Application* application, const RaceSetup* setup, int32_t viewCount);
    ~Hud();
    Hud(const Hud&) = delete;
    Hud& operator=(const Hud&) = delete;

    // Showing the whole HUD also activates it.
    void setVisible(bool show);
    void setStartVisible(bool show, int32_t view);
    bool isStartVisible() const;
    // ready: the second start text (waiting for the others).
    void setStartText(bool ready, int32_t view);
    void setCountdownVisible(bool show);
    // 0 "1", 1 "2", 2 "3", 3 "GO"; any other stage changes nothing.
    void setCountdown(int32_t stage);
    void setUTurnVisible(bool show, int32_t view);
    void setEnergyVisible(int32_t bar, bool show);
    bool isEnergyVisible(int32_t bar) const;
    void setEnergyText(int32_t bar, const std::string& text, int32_t view);
    // A fraction 0 to 1 (clamped), written only when it differs from the one
    // given before.
    void setEnergy(int32_t bar, float value, int32_t view);

    // The "set" operations act on every view, the "is" ones ask view 0.
    void setLapVisible(bool show);
    bool isLapVisible() const;
    void setRankVisible(bool show);
    bool isRankVisible() const;
    void setTotalTimeVisible(bool show);
    bool isTotalTimeVisible() const;
    void setLapTimeVisible(bool show);
    bool isLapTimeVisible() const;
    void setBestLapTimeVisible(bool show);
    bool isBestLapTimeVisible() const;
    void setPowerupVisible(bool show);
    bool isPowerupVisible() const;
    void setCoinsVisible(bool show);
    void setMinimapVisible(bool show);
    bool isMinimapVisible() const;

    // Each does nothing while view 0's window of its element is hidden.
    void setTotalTime(float seconds, int32_t view);
    void setLapTime(float seconds, int32_t view);
    void setBestLapTime(float seconds, int32_t view);
    void setLap(int32_t lap, int32_t laps, int32_t view);
    void setRank(int32_t rank, int32_t view);
    void setCoins(int32_t count, int32_t view);
    void setPowerup(int32_t kind, int32_t view);

    // The first free marker slot (0 to 31), -1 when all are taken; the
    // colours (0 green, 1 red, 2 blue, 3 yellow, others hide the marker) are
    // those of view 0 and view 1.
    int32_t addMarker(int32_t colourView0, int32_t colourView1);
    // Shows the slot's marker in every view at the world position's place on
    // the minimap.
    void updateMarker(int32_t slot, const Vector3& position);

    // The game's one time format: minutes, seconds and hundredths.
    static std::string formatTime(float seconds);
    // The image a held power-up kind shows (the empty slot for none and for
    // kinds without a picture), and a marker colour's image ("" hides).
    static std::string powerupImage(int32_t kind);
    static std::string markerImage(int32_t colour);

    // The HUD's root window; null without a GUI.
    CEGUI::Window* root() const { return m_root; }

private:
    struct ViewWindows {
        CEGUI::Window* topLeft = nullptr;
        CEGUI::Window* topRight = nullptr;
        CEGUI::Window* start = nullptr;
        CEGUI::Window* startLabel = nullptr;
        CEGUI::Window* energy[kBars] = {};
        CEGUI::Window* countdown = nullptr;
        CEGUI::Window* lapText = nullptr;
        CEGUI::Window* lapValue = nullptr;
        CEGUI::Window* rankValue = nullptr;
        CEGUI::Window* totalTimeText = nullptr;
        CEGUI::Window* totalTimeValue = nullptr;
        CEGUI::Window* lapTimeText = nullptr;
        CEGUI::Window* lapTimeValue = nullptr;
        CEGUI::Window* bestLapTimeText = nullptr;
        CEGUI::Window* bestLapTimeValue = nullptr;
        CEGUI::Window* powerup = nullptr;
        CEGUI::Window* coinImage = nullptr;
        CEGUI::Window* coinLabel = nullptr;
        CEGUI::Window* uturn = nullptr;
        CEGUI::Window* minimap = nullptr;
        CEGUI::Window* markers[kMarkers] = {};
    };

    void build(const RaceSetup& setup);
    void findWindows();
    void createMarkers();
    void initialValues(int32_t gameType);
    // Removes every imageset and window the HUD made (also of a build that
    // failed half way).
    void destroy();
    bool validView(int32_t view) const { return view >= 0 && view < m_viewCount; }
    // Shows or hides one element (the member of ViewWindows) in every view.
    void showAll(CEGUI::Window* ViewWindows::*element, bool show);
    bool shownInView0(CEGUI::Window* ViewWindows::*element) const;
    void setText(CEGUI::Window* window, const std::string& text);
    std::string text(int32_t id) const;

    Application* m_app;
    int32_t m_viewCount;
    float m_energy[kViews][kBars];
    float m_xmin = 0.0f, m_xmax = 1.0f, m_zmin = 0.0f, m_zmax = 1.0f;
    CEGUI::Window* m_root = nullptr;
    ViewWindows m_views[kViews];
    bool m_slotFree[kMarkers];
    // The imagesets made so far, so that a failed build removes just those.
    int32_t m_imagesets = 0;
};
