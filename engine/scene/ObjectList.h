#pragma once
#include "engine/scene/OwningList.h"

#include <cstdint>
#include <string>
#include <vector>

class Camera;
class MeshObject;
class Renderer;
class Scene;
class SceneItem;

// The item lists of a scene, and who frees the scene's items: these lists
// do. Every object (mesh, null, collision and joint objects), camera and
// light made for a scene is owned by its list here, and freed when it leaves
// the list (Scene::removeObject, removeCamera, removeLight, which the item's
// own remove() calls) or with the scene. The item tree only links items:
// parents never free their children, and a removal takes an item out of the
// tree before its list frees it.
class ObjectList {
public:
    // Both out of line: the lists free items of types only declared here.
    explicit ObjectList(Renderer* renderer);
    ObjectList(const ObjectList&) = delete;
    ObjectList& operator=(const ObjectList&) = delete;
    virtual ~ObjectList();

    virtual Scene* asScene() { return nullptr; }
    virtual int32_t objectCount() const { return int32_t(m_objects.size()); }
    // The instance-th (from 1) object of that name and mesh id, or null.
    virtual MeshObject* findObjectInstance(const std::string& name, int32_t meshId, int32_t instance);
    // Null for an index outside the list.
    virtual MeshObject* objectAt(int32_t index);

    Renderer* m_renderer;
    Camera* m_currentCamera = nullptr;
    OwningList<Camera> m_cameras;
    OwningList<MeshObject> m_objects;
    // The light items (lights are scene items of type 2).
    OwningList<SceneItem> m_lights;
};
