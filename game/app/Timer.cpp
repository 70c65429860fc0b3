#include "game/app/Timer.h"

#include "platform/time/Time.h"

#include <cmath>

Timer::Timer()
{
    LARGE_INTEGER frequency{};
    // Without the performance counter the multimedia timer's milliseconds
    // are the counter.
    m_counterWorks = QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0;
    m_frequency = m_counterWorks ? uint64_t(frequency.QuadPart) : 1000;
}

uint64_t Timer::now() const
{
    LARGE_INTEGER count{};
    if (m_counterWorks && QueryPerformanceCounter(&count))
        return uint64_t(count.QuadPart);
    return uint64_t(timeGetTime());
}

void Timer::start()
{
    if (m_running)
        return;
    m_baseCount += now() - m_stopCount;
    m_running = 1;
}

void Timer::stop()
{
    if (!m_running)
        return;
    m_stopCount = now();
    m_running = 0;
}

double Timer::getSeconds() const
{
    const uint64_t count = m_running ? now() : m_stopCount;
    // Signed, so a counter behind the base reads as negative time rather
    // than as centuries.
    return double(int64_t(count - m_baseCount)) / double(m_frequency);
}

void Timer::update()
{
    const double t = getSeconds();
    const double d = std::fabs(t - m_lastTime);
    // Two updates within a microsecond are one frame.
    if (d <= 1e-6) {
        m_lastTime = t;
        return;
    }
    m_frameTime = d * m_speedFactor;
    ++m_frames;
    m_total += m_frameTime;
    const double span = std::fabs(t - m_lastFpsTime);
    if (span >= 0.5) {
        m_framesPerSecond = double(m_frames) / span;
        m_frames = 0;
        m_lastFpsTime = t;
    }
    m_lastTime = t;
}
