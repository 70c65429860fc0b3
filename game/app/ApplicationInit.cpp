#include "game/app/Application.h"

bool Application::init(Stream* archive)
{
    m_archive = archive;
    // TODO(gui, records, config, audio): the GUI and the loading screen, the
    // texts, the highscores, the configuration, the profiles, the kart
    // preview scene with its textures and the audio engine load here, each
    // step advancing the loading screen.
    m_timer.start();
    return true;
}
