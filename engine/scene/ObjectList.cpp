#include "engine/scene/ObjectList.h"

#include "engine/core/base/Report.h"
#include "engine/scene/Camera.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/SceneItem.h"

ObjectList::ObjectList(Renderer* renderer) : m_renderer(renderer) {}

ObjectList::~ObjectList() = default;

MeshObject* ObjectList::findObjectInstance(const std::string& name, int32_t meshId, int32_t instance)
{
    if (instance < 1 || instance > objectCount())
        reportAssertion("\"object instance out of range\"");
    int32_t seen = 0;
    for (MeshObject* object : m_objects) {
        if (object->m_name == name && object->meshId() == meshId && ++seen == instance)
            return object;
    }
    return nullptr;
}

MeshObject* ObjectList::objectAt(int32_t index)
{
    if (index < 0 || index >= objectCount())
        return nullptr;
    return m_objects[size_t(index)];
}
