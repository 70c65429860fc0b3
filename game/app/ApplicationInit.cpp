#include "game/app/Application.h"

#include "engine/core/EngineLog.h"
#include "game/app/TextTable.h"
#include "game/menu/Highscores.h"
#include "game/menu/ProfileStore.h"

bool Application::init(Stream* archive)
{
    m_archive = archive;
    if (!startGui())
        return false;

    m_textTable = new TextTable(archive, "D:\\Zoprax9/menu/Texts.xml");
    m_textTable->language = uint32_t(m_settings.language == -1 ? 1 : m_settings.language);
    setLoadingProgress(0.05f);

    m_highscores = new Highscores();
    m_highscores->loadOrReset();
    setLoadingProgress(0.1f);

    // Without a usable config.xml the tables stay empty: the menus offer no
    // level and no kart, and no race can start.
    if (archive && !m_config.loadConfig(*archive))
        engineLog() << "config.xml: " << m_config.error() << std::endl;
    setLoadingProgress(0.15f);

    m_profileStore = new ProfileStore();
    m_profileStore->loadOrReset();
    setLoadingProgress(0.2f);

    // TODO(lightwave): the kart preview scene ("choose_kart.lws" twice, each
    // kart's menu scene, at most seven) with the kart colour and logo
    // textures loads here once scenes can be loaded from LightWave files.
    for (float progress : {0.3f, 0.4f, 0.5f, 0.6f, 0.7f})
        setLoadingProgress(progress);

    // Audio: the engine and its banks; a bank it refuses ends start-up, no
    // engine leaves the game silent.
    if (archive && !m_audio.startUp(*archive, [this](float p) { setLoadingProgress(p); }))
        return false;
    setLoadingProgress(1.0f);
    m_timer.start();
    return true;
}
