#pragma once
#include "engine/core/math/Vector3.h"

#include <cstdint>
#include <string>

class Application;
struct RaceSetup;

// The race's head-up display. This is its outline: the operations the race
// calls, doing nothing beyond handing out marker slots. The windows, images
// and the minimap are filled in later.
class Hud {
public:
    static constexpr int32_t kMarkers = 32;

    Hud(Application* application, const RaceSetup* setup, int32_t viewCount) {}

    void setVisible(bool show) {}
    void setStartVisible(bool show, int32_t view) {}
    // ready: the second start text (waiting for the others).
    void setStartText(bool ready, int32_t view) {}
    void setCountdownVisible(bool show) {}
    // 0 "1", 1 "2", 2 "3", 3 "GO".
    void setCountdown(int32_t stage) {}
    void setUTurnVisible(bool show, int32_t view) {}
    void setEnergyVisible(int32_t bar, bool show) {}
    void setEnergyText(int32_t bar, const std::string& text, int32_t view) {}
    void setEnergy(int32_t bar, float value, int32_t view) {}
    void setTotalTime(float seconds, int32_t view) {}
    void setLapTime(float seconds, int32_t view) {}
    void setBestLapTime(float seconds, int32_t view) {}
    void setLap(int32_t lap, int32_t laps, int32_t view) {}
    void setRank(int32_t rank, int32_t view) {}
    void setCoins(int32_t count, int32_t view) {}
    void setPowerup(int32_t kind, int32_t view) {}

    // The first free marker slot (0 to 31), -1 when all are taken; the
    // colours (0 green, 1 red) are those of view 0 and view 1.
    int32_t addMarker(int32_t colourView0, int32_t colourView1)
    {
        return m_markers < kMarkers ? m_markers++ : -1;
    }
    void updateMarker(int32_t slot, const Vector3& position) {}

private:
    int32_t m_markers = 0;
};
