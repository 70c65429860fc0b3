#include "game/app/Application.h"

#include "engine/core/base/EngineLog.h"
#include "game/app/TextTable.h"
#include "game/menu/Highscores.h"
#include "game/menu/ProfileStore.h"
#include "engine/core/render/Renderer.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"

#include <algorithm>
#include <cstdio>

namespace {
const char* const kKartObject = "D:\\Zoprax9/3dobjects_cars/kart_01.lwo";
} // namespace

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

    // Without a readable config.xml the tables stay empty: the menus offer
    // no level and no kart, and no race can start. Values it skipped are
    // logged one a line.
    if (archive && !m_config.loadConfig(*archive))
        engineLog() << "config.xml: " << m_config.error() << std::endl;
    for (const std::string& report : m_config.reports())
        engineLog() << report << std::endl;
    setLoadingProgress(0.15f);

    m_profileStore = new ProfileStore();
    m_profileStore->loadOrReset();
    setLoadingProgress(0.2f);

    loadKartPreview();

    // Audio: the engine and its banks; a bank it refuses ends start-up, no
    // engine leaves the game silent.
    if (archive && !m_audio.startUp(*archive, [this](float p) { setLoadingProgress(p); }))
        return false;
    setLoadingProgress(1.0f);
    m_timer.start();
    return true;
}

void Application::loadKartPreview()
{
    // The preview is drawn by the device: without one there is nothing to load.
    const bool device = m_renderer && m_renderer->m_device;
    if (device) {
        m_previewScenes = new SceneManager(m_renderer, "metascene");
        m_previewScene = m_previewScenes->loadScene("sceneKart");
        // The preview stage loads once for each preview; the n-th copy's
        // kart item (the kart object's body layer) and chassis are preview n's.
        for (int32_t instance = 1; instance <= 2; ++instance) {
            m_previewScene->loadLWS(m_archive, "D:\\Zoprax9\\menu\\choose_kart.lws", nullptr, 0.0f, 0.0f);
            KartPreview& preview = m_previews[instance - 1];
            if (m_previewScene->countInstances(kKartObject, 0) >= instance)
                preview.kart = m_previewScene->findObjectInstance(kKartObject, 0, instance);
            if (m_previewScene->countInstances("chassis", -1) >= instance)
                preview.chassis = m_previewScene->findObjectInstance("chassis", -1, instance);
        }
    }
    setLoadingProgress(0.3f);

    // One menu model a kart; the preview keeps seven, so a longer kart list
    // in config.xml shows its first seven.
    const size_t karts = std::min(m_config.karts().size(), size_t(kPreviewKarts));
    for (size_t i = 0; device && i < karts; ++i) {
        // The scene's items hang under a null named after the file: that
        // null is the kart's menu model, kept apart until a preview shows it.
        const std::string& file = m_config.karts()[i].menuscene;
        if (file.empty() || !m_previewScene->loadLWS(m_archive, file, nullptr, 0.0f, 0.0f))
            continue;
        SceneObject* model = m_previewScene->findObjectByName(file);
        if (model && model->m_parent)
            model->m_parent->removeChild(model);
        m_kartMenuModels[i] = model;
    }
    setLoadingProgress(0.4f);

    static const char* const colours[kPreviewKarts] = {
        "D:\\Zoprax9\\textures_cars\\kart_blau_0001.bmp",   "D:\\Zoprax9\\textures_cars\\kart_gelb_0001.bmp",
        "D:\\Zoprax9\\textures_cars\\kart_gruen_0001.bmp",  "D:\\Zoprax9\\textures_cars\\kart_orange_0001.bmp",
        "D:\\Zoprax9\\textures_cars\\kart_pink_0001.bmp",   "D:\\Zoprax9\\textures_cars\\kart_rot_0001.bmp",
        "D:\\Zoprax9\\textures_cars\\kart_schwarz_0001.bmp",
    };
    if (device)
        for (const char* name : colours)
            m_previewScenes->getTexture(m_archive, name);
    setLoadingProgress(0.5f);

    if (device)
        for (int logo = 1; logo <= kPreviewKarts; ++logo) {
            char name[64];
            std::snprintf(name, sizeof(name), "D:\\Zoprax9\\textures_cars\\kartlogo_%02d.png", logo);
            m_previewScenes->getTexture(m_archive, name);
        }
    setLoadingProgress(0.6f);

    if (device)
        m_previewScenes->prepare(nullptr);
    setLoadingProgress(0.7f);
}
