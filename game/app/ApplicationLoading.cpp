#include "game/app/Application.h"

#include "engine/core/EngineLog.h"

#include <algorithm>

void Application::openLoadingScreen(const std::string& levelName, float progress, float a, float b)
{
    engineLog() << "progressOpen" << std::endl;
    m_progressLow = std::min(a, b);
    m_progressHigh = std::max(a, b);
    // TODO(gui): the level's loading picture on the loading window.
    setLoadingProgress(progress);
}

void Application::setLoadingProgress(float progress)
{
    engineLog() << "progress: " << progress << std::endl;
    // TODO(gui): the bar takes loadingBarValue(progress) and one frame draws.
}

void Application::closeLoadingScreen()
{
    engineLog() << "progressClose" << std::endl;
}
