#pragma once
#include "engine/scene/MeshObject.h"

// An invisible occluder: a flat, axis-aligned rectangle (the first level's
// mesh) that hides whatever lies wholly behind it as seen from the camera.
// Each frame the scene maps it into clip space (x, y, w), where it spans an
// occlusion volume: four side planes through the eye and the rectangle's
// edges, closed by the rectangle's own plane.
class Antiportal : public MeshObject {
public:
    explicit Antiportal(Scene* scene);
    Antiportal(const Antiportal& source) = default;

    SceneObject* clone() const override { return new Antiportal(*this); }
    // The corners from the first level's bounding box; a box that is not
    // flat along one axis is logged and occludes nothing.
    void initialize() override;

    // Maps the rectangle by the object-to-clip matrix; true when the eye is
    // in front of it, the only case in which it may hide anything.
    bool updatePlanes(const Matrix4& objectToClip);
    // A clip-space point (x, y, z, w) inside the volume and behind the plane.
    bool occludesPoint(const float clip[4]) const;
    // Eight clip-space corners, 32 floats: hidden only when every one is.
    bool occludesBox(const float corners[32]) const;

    // Grid order: c0, c1 along one edge, c2, c3 along the opposite one.
    Vector3 m_corners[4];
    // Turns the edge cross products below into inward normals.
    float m_orientation = 1.0f;
    Vector3 m_apex;
    Vector3 m_planePoint;
    Vector3 m_planeNormal;
};
