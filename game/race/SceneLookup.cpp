#include "game/race/SceneLookup.h"

#include "engine/scene/MeshObject.h"
#include "engine/scene/Scene.h"

namespace lookup {

namespace {

bool matches(MeshObject* object, const std::string& name, int32_t layer)
{
    return object->m_name == name && (layer == -1 || object->meshId() == layer);
}

} // namespace

MeshObject* instance(Scene* scene, const std::string& name, int32_t layer, int32_t instance)
{
    if (!scene || instance < 1)
        return nullptr;
    int32_t seen = 0;
    for (MeshObject* object : scene->m_objects)
        if (matches(object, name, layer) && ++seen == instance)
            return object;
    return nullptr;
}

int32_t count(Scene* scene, const std::string& name, int32_t layer)
{
    int32_t seen = 0;
    if (scene)
        for (MeshObject* object : scene->m_objects)
            seen += matches(object, name, layer) ? 1 : 0;
    return seen;
}

MeshObject* last(Scene* scene, const std::string& name)
{
    if (!scene)
        return nullptr;
    for (size_t i = scene->m_objects.size(); i-- > 0;)
        if (scene->m_objects[i]->m_name == name)
            return scene->m_objects[i];
    return nullptr;
}

} // namespace lookup
