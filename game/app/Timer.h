#pragma once
#include <cstdint>

// The frame timer: the last frame's time, the total of all frame times and
// the frames per second, read from the performance counter. The application,
// the race and the menu each own one; the network control uses one for its
// waits. It is stopped after construction: the owner starts it when its
// loading is done, so loading never counts as a frame.
class Timer {
public:
    Timer();

    // A stopped span is left out of the elapsed time.
    void start();
    void stop();
    // Seconds since time 0, without the stopped spans; frozen while stopped.
    double getSeconds() const;
    // Once per frame.
    void update();

    uint8_t m_running = 0;
    uint64_t m_baseCount = 0;
    uint64_t m_stopCount = 0;
    uint64_t m_frequency = 1000;
    // Seconds, the sum of all frame times.
    double m_total = 0.0;
    // Seconds, the last frame's time scaled by the speed factor.
    double m_frameTime = 0.0;
    uint32_t m_frames = 0;
    double m_framesPerSecond = 0.0;
    double m_lastTime = 0.0;
    double m_lastFpsTime = 0.0;
    double m_speedFactor = 1.0;

private:
    uint64_t now() const;
    bool m_counterWorks = false;
};
