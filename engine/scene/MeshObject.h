#pragma once
#include "engine/core/render/ActiveLight.h"
#include "engine/scene/SceneItem.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class Bone;
class BoundingBox;
class Camera;
class HyperVoxel;
class Material;
class ShaderFloatParams;
class SoundEmitter;

// One level of detail: the mesh drawn from switchDistance on. The mesh
// belongs to its object file; the record only points at it.
struct LodRecord {
    BoundingBox* mesh = nullptr;
    float switchDistance = 0.0f;
    uint8_t owned = 1;
};

// The scene item that draws geometry: an object layer with distance levels
// of detail, the bones that skin it, its per-object render switches and an
// optional sound that follows it. Without a mesh it is a null object, such
// as the scene's root.
class MeshObject : public SceneItem {
public:
    static constexpr size_t MaxBones = 1024;

    explicit MeshObject(Scene* scene, uint32_t itemType = ItemMesh);
    // Copies records and named values rather than the pointers to them, so
    // that each object deletes only its own; a copy has no sound emitter.
    MeshObject(const MeshObject& source);
    ~MeshObject() override;

    // Forwarded to the render object.
    void onLostDevice() override;
    void onResetDevice() override;
    bool invalidateMatrices() override;
    // Removal through the scene's object list.
    void remove() override;
    void initialize() override;
    SceneObject* clone() const override { return new MeshObject(*this); }

    // Inserts before the first record at the same or a larger distance.
    void addLod(BoundingBox* mesh, float distance);
    BoundingBox* firstLodMesh() const;
    BoundingBox* selectLod(float distance) const;
    // The distance the level of detail is chosen by: from the camera to
    // the centre of the first mesh's bounds in world space.
    float cameraDistance(double time, SceneObject* camera);
    // Writes the skinning matrix of each of the first 1024 bones.
    void writeSkinning(ShaderFloatParams& params, double time);
    AnimatedValue* findByName(const std::string& name) const;
    // The first mesh's bounding box as twelve lines, in the current world
    // transform.
    void drawBounds();
    // The object's draw: its world transform, the debug displays the
    // renderer's switches ask for, the skinning matrices, the bump
    // displacement, fill mode, fog and material values, then the level of
    // detail for the camera's distance draws itself. An object unaffected by
    // fog switches it off for itself; restoreFog switches it on again after
    // the draw (the scene passes it while its fog is on).
    void render(double time, SceneObject* camera, bool restoreFog = false);
    // Keeps the sound emitter, if any, where the object is and as loud as
    // the listener's distance allows: beyond half the square of its range it
    // stops; within it, it plays on.
    void updateSound(SceneObject* listener, double time);
    // The first level's mesh id (its layer number), -1 without one.
    int32_t meshId() const;
    // The second display node the debug switches draw (a collision
    // object's shape); null when there is none.
    virtual BoundingBox* extraDisplay() { return m_extraDisplay; }

    int32_t m_shadowOptions = 7;
    uint8_t m_unseenByRays = 0;
    uint8_t m_bumpDisplacement = 0;
    uint8_t m_wireframe = 0;
    // "MatteColor": red, green, blue and alpha.
    float m_matteColor[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    // The render object of a particle item; owned. A copy starts without
    // one, as device objects are never shared.
    std::unique_ptr<HyperVoxel> m_deviceObject;
    // "vxs_ObjectMaterial": a surface of this object that takes these three
    // values before each draw.
    Material* m_objectMaterial = nullptr;
    float m_objectMaterialValues[3] = {0.0f, 0.0f, 0.0f};
    std::unique_ptr<SoundEmitter> m_soundEmitter;
    std::vector<uint32_t> m_auxList;
    // Lights that never light this object ("ExcludeLight"); not owned.
    std::vector<const SceneObject*> m_excludedLights;
    std::vector<std::unique_ptr<AnimatedValue>> m_namedValues;
    // In skinning-matrix order; the bones belong to the scene graph.
    std::vector<Bone*> m_bones;
    // Cleared by "UnaffectedByFog" with a non-zero value: a sky is not
    // fogged, everything else is.
    uint8_t m_affectedByFog = 1;
    uint8_t m_unseenByCamera = 0;
    std::vector<std::unique_ptr<LodRecord>> m_lods;
    // The lights picked for the current draw, most influential first; the
    // scene fills it before the object draws.
    std::vector<ActiveLight> m_lightList;
};
