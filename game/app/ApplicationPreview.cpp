#include "game/app/Application.h"

#include "engine/core/render/Renderer.h"
#include "engine/lightwave/Surface.h"
#include "engine/lightwave/TextureLayer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "platform/d3d9/Direct3DDevice9.h"

#include <algorithm>
#include <cstdio>

namespace {

// The layers of the kart object's exchangeable parts, per level 0 to 5.
struct LayerSet {
    int32_t count;
    int32_t layers[4];
};
const LayerSet kTyres[6] = {{4, {1, 7, 18, 24}},   {4, {34, 35, 36, 37}}, {4, {30, 31, 32, 33}},
                            {4, {38, 39, 40, 41}}, {4, {61, 62, 63, 64}}, {4, {42, 43, 44, 45}}};
const LayerSet kEngines[6] = {{3, {46, 50, 53}}, {3, {46, 51, 53}}, {3, {47, 51, 54}},
                              {3, {48, 51, 54}}, {3, {48, 50, 55}}, {3, {47, 51, 55}}};

const char* const kColourTextures[7] = {
    "D:\\Zoprax9\\textures_cars\\kart_blau_0001.bmp",   "D:\\Zoprax9\\textures_cars\\kart_gelb_0001.bmp",
    "D:\\Zoprax9\\textures_cars\\kart_gruen_0001.bmp",  "D:\\Zoprax9\\textures_cars\\kart_orange_0001.bmp",
    "D:\\Zoprax9\\textures_cars\\kart_pink_0001.bmp",   "D:\\Zoprax9\\textures_cars\\kart_rot_0001.bmp",
    "D:\\Zoprax9\\textures_cars\\kart_schwarz_0001.bmp",
};

// Points a preview's picture slots at its colour and logo for as long as it
// draws. The paint surface belongs to the kart object file, so both previews
// (and every kart made from that file) share it: what one preview writes
// must not stay for the next one, nor for the race's karts.
class PaintSlots {
public:
    PaintSlots(Texture** colourSlot, Texture* colour, Texture** logoSlot, Texture* logo)
        : m_colourSlot(colourSlot), m_logoSlot(logoSlot)
    {
        if (m_colourSlot) {
            m_ownColour = *m_colourSlot;
            *m_colourSlot = colour;
        }
        if (m_logoSlot) {
            m_ownLogo = *m_logoSlot;
            *m_logoSlot = logo;
        }
    }
    ~PaintSlots()
    {
        if (m_colourSlot)
            *m_colourSlot = m_ownColour;
        if (m_logoSlot)
            *m_logoSlot = m_ownLogo;
    }
    PaintSlots(const PaintSlots&) = delete;
    PaintSlots& operator=(const PaintSlots&) = delete;

private:
    Texture** m_colourSlot;
    Texture** m_logoSlot;
    Texture* m_ownColour = nullptr;
    Texture* m_ownLogo = nullptr;
};

} // namespace

void Application::renderKartPreviews()
{
    IDirect3DDevice9* device = m_renderer ? m_renderer->m_device : nullptr;
    Camera* camera = m_previewScene ? m_previewScene->m_currentCamera : nullptr;
    if (!device || !camera)
        return;
    const double time = m_timer.m_total;
    const int32_t count = std::clamp(m_previewCount, 0, 2);
    for (int32_t i = 0; i < count; ++i) {
        KartPreview& preview = m_previews[i];
        if (!preview.chassis)
            continue;
        // The turn: a heading envelope gives the start, a step of 0.01 a
        // drawn frame is added and kept as the chassis's heading.
        AnimatedValue& heading = preview.chassis->m_motion[RotationH];
        const float angle = heading.evaluate(0.0) + 0.01f;
        heading.m_envelope.reset();
        heading.m_value = angle;

        const float* rect = m_previewRects[i];
        const float width = rect[2] - rect[0];
        const float height = rect[3] - rect[1];
        m_renderer->setViewportRect(int32_t(rect[0]), int32_t(rect[1]), int32_t(width), int32_t(height),
                                    height > 0.0f ? width / height : 1.0f);
        device->SetViewport(camera->viewport());
        device->Clear(0, nullptr, D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0, 1.0f, 0);
        const PaintSlots paint(preview.colourSlot, preview.colour, preview.logoSlot, preview.logo);
        m_previewScene->render(time, camera, preview.chassis);
        if (preview.kart)
            preview.kart->render(time, camera);
        if (preview.spoiler)
            preview.spoiler->render(time, camera);
    }
}

void Application::attachMenuKarts()
{
    for (SceneObject* model : m_kartMenuModels)
        if (model && model->m_parent)
            model->m_parent->removeChild(model);
    for (int i = 0; i < 2; ++i) {
        KartPreview& preview = m_previews[i];
        preview.model = m_kartMenuModels[i];
        if (preview.model && preview.chassis)
            preview.chassis->addChild(preview.model);
    }
}

bool Application::applyKartLook(const std::string& kartName, int32_t spoiler, int32_t tires, int32_t sideskirts,
                                 int32_t logo, int32_t colour, int32_t engine, int32_t previewIndex)
{
    // The name comes from a profile or a peer: a kart we do not have, or a
    // preview that does not exist, leaves the previews as they are.
    const KartInfo* kart = m_config.findKart(kartName);
    if (!kart || previewIndex < 0 || previewIndex > 1)
        return false;
    KartPreview& preview = m_previews[previewIndex];
    const size_t index = size_t(kart - m_config.karts().data());
    SceneObject* model = index < size_t(kPreviewKarts) ? m_kartMenuModels[index] : nullptr;
    if (preview.model && preview.model->m_parent)
        preview.model->m_parent->removeChild(preview.model);
    preview.model = model;
    if (model) {
        if (model->m_parent)
            model->m_parent->removeChild(model);
        if (preview.chassis)
            preview.chassis->addChild(model);
    }

    // The parts: this preview's copy of each layer of the kart object.
    const int32_t instance = previewIndex + 1;
    auto part = [&](int32_t layer) -> MeshObject* {
        if (!m_previewScene || m_previewScene->countInstances(kart->kartObject, layer) < instance)
            return nullptr;
        return m_previewScene->findObjectInstance(kart->kartObject, layer, instance);
    };
    auto setHidden = [&](int32_t layer, uint8_t hidden) {
        if (MeshObject* object = part(layer))
            object->m_hidden = hidden;
    };

    preview.spoiler = nullptr;
    for (int32_t level = 1; level <= 5; ++level)
        setHidden(55 + level, 1);
    if (spoiler >= 1 && spoiler <= 5)
        preview.spoiler = part(55 + spoiler);

    for (int32_t level = 1; level <= 5; ++level)
        setHidden(24 + level, level == sideskirts ? 0 : 1);

    for (const LayerSet& set : kTyres)
        for (int32_t i = 0; i < set.count; ++i)
            setHidden(set.layers[i], 1);
    if (tires >= 0 && tires <= 5)
        for (int32_t i = 0; i < kTyres[tires].count; ++i)
            setHidden(kTyres[tires].layers[i], 0);

    for (const LayerSet& set : kEngines)
        for (int32_t i = 0; i < set.count; ++i)
            setHidden(set.layers[i], 1);
    if (engine >= 0 && engine <= 5)
        for (int32_t i = 0; i < kEngines[engine].count; ++i)
            setHidden(kEngines[engine].layers[i], 0);

    preview.colour = nullptr;
    preview.logo = nullptr;
    preview.colourSlot = nullptr;
    preview.logoSlot = nullptr;
    if (m_previewScenes) {
        if (colour >= 0 && colour <= 6)
            preview.colour = m_previewScenes->findTexture(kColourTextures[colour], 0);
        if (logo >= 1 && logo <= 7) {
            char name[64];
            std::snprintf(name, sizeof(name), "D:\\Zoprax9\\textures_cars\\kartlogo_%02d.png", logo);
            preview.logo = m_previewScenes->findTexture(name, 0);
        }
        // The kart object's paint: its first picture layer takes the colour,
        // the second the logo.
        if (Surface* paint = m_previewScenes->findSurface(kart->kartObject + "@kart logo")) {
            if (TextureLayer* layer = paint->findImageLayer(lwoCode("COLR"), 1))
                preview.colourSlot = &layer->m_image;
            if (TextureLayer* layer = paint->findImageLayer(lwoCode("COLR"), 2))
                preview.logoSlot = &layer->m_image;
        }
    }
    return true;
}
