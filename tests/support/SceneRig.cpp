#include "SceneRig.h"

#include "engine/core/render/Renderer.h"
#include "engine/scene/Light.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"

SceneRig::SceneRig() = default;

SceneRig::~SceneRig()
{
    manager.reset();
}

bool SceneRig::start(int width, int height, bool fixedFunction)
{
    if (!rig.start(width, height, fixedFunction))
        return false;
    manager = std::make_unique<SceneManager>(rig.renderer.get(), "test");
    scene = manager->loadScene("scene");
    return true;
}

Light* SceneRig::addLight(int32_t type)
{
    auto* light = new Light(scene);
    scene->m_lights.push_back(light);
    scene->m_root->addChild(light);
    light->m_lightType = type;
    return light;
}
