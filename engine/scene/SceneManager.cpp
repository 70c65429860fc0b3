#include "engine/scene/SceneManager.h"

#include "engine/core/texture/FileTexture.h"
#include "engine/core/render/LoadingScreen.h"
#include "engine/core/render/Renderer.h"
#include "engine/scene/ObjectFileStore.h"
#include "engine/scene/Scene.h"
#include "platform/d3d9/Direct3DDevice9.h"

SceneManager::SceneManager(Renderer* renderer, const std::string& name) : m_renderer(renderer), m_name(name) {}

SceneManager::~SceneManager()
{
    // Nothing the manager is about to free may stay bound to the device.
    if (m_renderer && m_renderer->m_device) {
        for (uint32_t stage = 0; stage < stageCount(); ++stage)
            m_renderer->m_device->SetTexture(stage, nullptr);
    }
    for (Texture* texture : m_textures)
        delete texture;
    for (Scene* scene : m_scenes)
        delete scene;
    // Surfaces and object files after the scenes whose objects show them.
    m_objectFiles.reset();
}

Scene* SceneManager::loadScene(const std::string& name)
{
    auto* scene = new Scene(this);
    scene->m_name = name;
    addScene(scene);
    prepare(nullptr);
    return scene;
}

void SceneManager::addScene(Scene* scene)
{
    m_scenes.push_back(scene);
}

float SceneManager::sceneProgressStart(size_t index, size_t count)
{
    return float(0.72 + 0.28 * double(index) / double(count));
}

float SceneManager::sceneProgressSpan(size_t count)
{
    return float(0.28 / double(count));
}

void SceneManager::prepare(LoadingScreen* screen)
{
    const size_t textures = m_textures.size();
    for (size_t i = 0; i < textures; ++i) {
        if (screen)
            screen->renderFrame(float(0.7 + 0.02 * double(i) / double(textures)));
        m_textures[i]->create();
        m_textures[i]->preload();
    }
    if (m_objectFiles)
        m_objectFiles->markPrepared();
    const size_t count = m_scenes.size();
    for (size_t i = 0; i < count; ++i)
        m_scenes[i]->prepare(screen, sceneProgressStart(i, count), sceneProgressSpan(count));
    if (screen)
        screen->renderFrame(1.0f);
}

void SceneManager::onLostDevice()
{
    for (Scene* scene : m_scenes)
        scene->onLostDevice();
    if (m_objectFiles)
        m_objectFiles->onLostDevice();
    for (Texture* texture : m_textures)
        texture->onLostDevice();
}

Texture* SceneManager::findTexture(const std::string& name, uint32_t flags)
{
    for (Texture* texture : m_textures) {
        if (texture->m_name == name) {
            // Through setFlags, so that a clip passes the bits on to its frames.
            texture->setFlags(texture->m_flags | (flags & ~3u));
            return texture;
        }
    }
    return nullptr;
}

Texture* SceneManager::getTexture(Stream* fileSystem, const std::string& name)
{
    if (Texture* known = findTexture(name, 0))
        return known;
    auto* texture = new FileTexture(m_renderer);
    texture->m_flags = 3;
    texture->load(fileSystem, name.c_str(), 1);
    texture->create();
    addTexture(texture);
    texture->preload();
    return texture;
}

void SceneManager::addTexture(Texture* texture)
{
    m_textures.push_back(texture);
}

uint32_t SceneManager::stageCount() const
{
    return m_renderer ? m_renderer->m_caps.MaxSimultaneousTextures : 0;
}

void SceneManager::onResetDevice()
{
    if (m_renderer && m_renderer->m_device) {
        IDirect3DDevice9* device = m_renderer->m_device;
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
        device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
        device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
        device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
        device->SetRenderState(D3DRS_CLIPPING, TRUE);
        device->SetRenderState(D3DRS_COLORVERTEX, TRUE);
        // Colours come from the material unless a pass says otherwise.
        device->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);
        device->SetRenderState(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL);
        device->SetRenderState(D3DRS_SPECULARMATERIALSOURCE, D3DMCS_MATERIAL);
        device->SetRenderState(D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_MATERIAL);
        device->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);
        for (uint32_t i = 0; i < stageCount(); ++i) {
            device->SetSamplerState(i, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
            device->SetSamplerState(i, D3DSAMP_MINFILTER, D3DTEXF_ANISOTROPIC);
            device->SetSamplerState(i, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
            device->SetSamplerState(i, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
            device->SetSamplerState(i, D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP);
            device->SetSamplerState(i, D3DSAMP_ADDRESSW, D3DTADDRESS_WRAP);
            device->SetTextureStageState(i, D3DTSS_COLOROP, D3DTOP_DISABLE);
            device->SetTextureStageState(i, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
            device->SetTextureStageState(i, D3DTSS_RESULTARG, D3DTA_CURRENT);
        }
    }
    for (Scene* scene : m_scenes)
        scene->onResetDevice();
    if (m_objectFiles)
        m_objectFiles->onResetDevice();
    for (Texture* texture : m_textures)
        texture->onResetDevice();
}
