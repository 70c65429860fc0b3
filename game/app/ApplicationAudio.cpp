// The application's sound wrappers: each forwards to the game's audio, which
// does nothing without an engine.
#include "game/app/Application.h"

void Application::playCue(uint32_t cue)
{
    if (!m_soundOff)
        m_audio.playCue(cue);
}

void Application::stopCue(uint32_t cue)
{
    m_audio.stopCue(cue);
}

void Application::stopCategory(uint16_t category)
{
    m_audio.stopCategory(category);
}

void Application::setCategoryPaused(int32_t which, bool pause)
{
    m_audio.setCategoryPaused(which, pause);
}

void Application::setCategoryVolume(uint16_t category, float volume)
{
    m_audio.setCategoryVolume(category, volume);
}

void Application::setGlobalVariable(uint32_t index, float value)
{
    m_audio.setGlobalVariable(index, value);
}

int32_t Application::getCategory(const char* name)
{
    return m_audio.getCategory(name);
}

void Application::doAudioWork()
{
    m_audio.doWork();
}
