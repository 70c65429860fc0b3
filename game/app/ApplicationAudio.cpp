// The application's sound wrappers. Until the audio engine is wired in the
// game runs silent: every wrapper does what the Part asks of it without an
// engine, which is nothing.
#include "game/app/Application.h"

void Application::playCue(uint32_t cue)
{
}

void Application::stopCue(uint32_t cue)
{
}

void Application::stopCategory(uint16_t category)
{
}

void Application::setCategoryPaused(int32_t which, bool pause)
{
}

void Application::setCategoryVolume(uint16_t category, float volume)
{
}

void Application::setGlobalVariable(uint32_t index, float value)
{
}

int32_t Application::getCategory(const char* name)
{
    return -1;
}

void Application::doAudioWork()
{
}
