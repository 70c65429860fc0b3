#pragma once
#include "engine/scene/CollisionDisplay.h"
#include "engine/scene/MeshObject.h"

#include <ode/ode.h>

#include <cstdint>
#include <memory>
#include <vector>

enum CollisionShape : uint32_t {
    ShapeSphere = 0,
    ShapeBox = 1,
    ShapeCapsule = 2,
    ShapeTriMesh = 3,
    ShapePlane = 4,
    ShapeRay = 5,
};

// A scene object that owns one ODE geom in one of the scene's collision
// spaces. The geom's user data is the object, which is how the near callback
// finds its surface class. It rides on a body (its own, or a carrier's that
// it is fixed to) or is a static geom that follows the object's animation.
class CollisionObject : public MeshObject {
public:
    static constexpr uint32_t ClassCount = 50;

    explicit CollisionObject(Scene* scene);
    // The copy has the source's shape and settings but no geom of its own
    // until it is initialised.
    CollisionObject(const CollisionObject& source);
    ~CollisionObject() override;

    // Makes the geom anew from the shape, the extents times the scale, and
    // the pose at time 0, and puts it into its space.
    void initialize() override;
    // The shape's display, made on first use while the renderer's gadget or
    // collision display is on.
    BoundingBox* extraDisplay() override;
    SceneObject* clone() const override { return new CollisionObject(*this); }
    // A body of its own, then the geom again, now riding on it.
    void createBody() override;
    void destroyBody() override;
    void evaluateMotion(double time) override { syncTransform(time); }
    void syncTransform(double time);

    uint32_t m_shapeType = ShapeSphere;
    uint32_t m_surfaceClass = 0;
    uint32_t m_spaceIndex = 0;
    dGeomID m_geom = nullptr;
    // A second geom the scene loader may hang on the object; destroyed with it.
    dGeomID m_extraGeom = nullptr;
    // The object whose body carries this geom.
    SceneObject* m_attachedTo = nullptr;
    float m_extents[3] = {1.0f, 1.0f, 1.0f};
    // A value of the game's: a checkpoint's number, a pickup's countdown.
    int32_t m_trigger = 0;
    dTriMeshDataID m_triMeshData = nullptr;
    bool m_initialized = false;
    // Made when the renderer's gadget or collision display is on;
    // m_extraDisplay points at it.
    std::unique_ptr<CollisionDisplay> m_collisionDisplay;
    // The triangle mesh's own copy of what ODE reads: the visible mesh of
    // the same layer may free its build arrays while the geom lives on.
    std::vector<float> m_triPositions;
    std::vector<uint32_t> m_triIndices;

private:
    void releaseGeoms();
    void releaseTriMesh();
    dGeomID makeGeom(const float size[3], const dMatrix3 rotation, const float position[3]);
    dGeomID makeTriMesh();
};
