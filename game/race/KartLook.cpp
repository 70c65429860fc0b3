// How a kart looks: the parts its look shows, its colour and logo, the
// colour-map tint, the shadow and its own drawing.
#include "game/race/Kart.h"

#include "engine/core/math/Matrix4.h"
#include "engine/lightwave/Surface.h"
#include "engine/lightwave/TextureLayer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "game/race/ColourMap.h"
#include "game/race/SceneLookup.h"

#include <array>
#include <cmath>
#include <cstdio>

namespace {

// The kart object's layers of each part level.
const int32_t kTyreLayers[6][4] = {{1, 7, 18, 24},   {34, 35, 36, 37}, {30, 31, 32, 33},
                                   {38, 39, 40, 41}, {61, 62, 63, 64}, {42, 43, 44, 45}};
const int32_t kEngineLayers[6][3] = {{46, 50, 53}, {46, 51, 53}, {47, 51, 54},
                                     {48, 51, 54}, {48, 50, 55}, {47, 51, 55}};
const char* const kColourTextures[7] = {
    "D:\\Zoprax9\\textures_cars\\kart_blau_0001.bmp",  "D:\\Zoprax9\\textures_cars\\kart_gelb_0001.bmp",
    "D:\\Zoprax9\\textures_cars\\kart_gruen_0001.bmp", "D:\\Zoprax9\\textures_cars\\kart_orange_0001.bmp",
    "D:\\Zoprax9\\textures_cars\\kart_pink_0001.bmp",  "D:\\Zoprax9\\textures_cars\\kart_rot_0001.bmp",
    "D:\\Zoprax9\\textures_cars\\kart_schwarz_0001.bmp",
};

} // namespace

void Kart::applyLook(Stream* files, const int32_t* look)
{
    if (!m_body)
        return;
    const std::string& object = m_body->m_name;
    const int32_t instance = m_index + 1;
    auto layer = [&](int32_t number) { return lookup::instance(m_scene, object, number, instance); };
    auto show = [&](int32_t number) {
        if (MeshObject* part = layer(number))
            part->m_hidden = 0;
    };
    const int32_t spoiler = look[0], tyres = look[1], skirts = look[2], engine = look[3];
    const int32_t colour = look[4], logo = look[5];

    // A kart scene may carry every level of a part: the look hides the
    // levels it does not choose, then shows the one it does.
    auto hide = [&](int32_t number) {
        if (MeshObject* part = layer(number))
            part->m_hidden = 1;
    };
    for (int32_t level = 1; level <= 5; ++level) {
        hide(55 + level);
        hide(24 + level);
    }
    for (const auto& row : kTyreLayers)
        for (int32_t number : row)
            hide(number);
    for (const auto& row : kEngineLayers)
        for (int32_t number : row)
            hide(number);

    // The spoiler stays hidden: the kart draws it itself.
    m_spoiler = spoiler >= 1 && spoiler <= 5 ? layer(55 + spoiler) : nullptr;
    if (skirts >= 1 && skirts <= 5)
        show(24 + skirts);
    if (tyres >= 0 && tyres <= 5)
        for (int32_t number : kTyreLayers[tyres])
            show(number);
    if (engine >= 0 && engine <= 5)
        for (int32_t number : kEngineLayers[engine])
            show(number);

    SceneManager* manager = m_scene->m_manager;
    if (manager && colour >= 0 && colour <= 6)
        m_colourTexture = manager->getTexture(files, kColourTextures[colour]);
    if (manager && logo >= 1 && logo <= 7) {
        char name[64];
        std::snprintf(name, sizeof name, "D:\\Zoprax9\\textures_cars\\kartlogo_%02d.png", logo);
        m_logoTexture = manager->getTexture(files, name);
    }
    // The paint: its first picture layer takes the colour, the second the logo.
    if (Surface* paint = manager ? manager->findSurface(object + "@kart logo") : nullptr) {
        if (TextureLayer* first = paint->findImageLayer(lwoCode("COLR"), 1))
            m_colourSlot = &first->m_image;
        if (TextureLayer* second = paint->findImageLayer(lwoCode("COLR"), 2))
            m_logoSlot = &second->m_image;
    }
}

void Kart::render(float time, float frameTime, Camera* camera)
{
    if (m_holeSteps != 0 || !camera)
        return;
    // The paint belongs to the object file that every kart shares: each kart
    // writes its own pictures just before it draws.
    if (m_colourSlot)
        *m_colourSlot = m_colourTexture;
    if (m_logoSlot)
        *m_logoSlot = m_logoTexture;
    for (SceneObject* part : {m_body, m_spoiler, static_cast<SceneObject*>(m_shadow)})
        if (part)
            static_cast<MeshObject*>(part)->render(time, camera);
}

void Kart::setLayersVisible(bool on)
{
    for (int32_t i = 0; i < kLayers; ++i)
        if (m_layer[i])
            m_layer[i]->m_hidden = on ? uint8_t(!m_layerVisible[i]) : 1;
}

void Kart::placeShadow(const Vector3& ground, const Vector3& normal)
{
    if (!m_shadow || !m_chassis)
        return;
    m_chassis->invalidateMatrices();
    const Matrix4 m = m_chassis->getMatrix(0.0);
    // The heading of the chassis: the angle of its forward axis about the
    // vertical.
    const float heading = std::atan2(m.at(2, 0), m.at(2, 2));
    const float at[3] = {m.at(3, 0), ground.y + 0.2f, m.at(3, 2)};
    const float turn[3] = {0.0f, heading, 0.0f};
    m_shadow->setPosition(at);
    m_shadow->setRotation(turn, false);
    m_shadow->invalidateMatrices();
}

void Kart::applyTint(const ColourMap* map)
{
    if (!map)
        return;
    Vector3 at;
    getChassisPosition(at);
    const std::array<float, 4> light = map->sample(at);
    for (Surface* surface : m_tintSurfaces)
        for (int k = 0; k < 4; ++k)
            surface->m_renderFactors[k] = light[size_t(k)];
}
