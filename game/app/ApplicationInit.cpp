#include "game/app/Application.h"

bool Application::init(Stream* archive)
{
    m_archive = archive;
    // TODO(gui, records, config): the GUI and the loading screen, the texts,
    // the highscores, the configuration, the profiles and the kart preview
    // scene with its textures load here, each step advancing the loading
    // screen.

    // Audio: the engine and its banks; a bank it refuses ends start-up, no
    // engine leaves the game silent.
    if (archive && !m_audio.startUp(*archive, [this](float p) { setLoadingProgress(p); }))
        return false;
    setLoadingProgress(1.0f);
    m_timer.start();
    return true;
}
