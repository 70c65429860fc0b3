#pragma once
#include <cstdint>
#include <string>
#include <vector>

class Camera;
class MeshObject;
class Renderer;
class Scene;
class SceneItem;

// The item lists of a scene. Cameras and lights belong to the list; the
// objects belong to the scene graph and are only listed here.
class ObjectList {
public:
    explicit ObjectList(Renderer* renderer) : m_renderer(renderer) {}
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
    std::vector<Camera*> m_cameras;
    std::vector<MeshObject*> m_objects;
    // The light items (lights are scene items of type 2).
    std::vector<SceneItem*> m_lights;
};
