#pragma once
#include "engine/core/math/Matrix4.h"
#include "engine/core/math/Vector3.h"

#include <cstdint>
#include <string>
#include <vector>

class MeshObject;
class Renderer;
class SceneObject;

// The object-space bounds of a renderable: the eight corners of an
// axis-aligned box (corner i takes max.x when bit 2 is set, max.y for bit 1,
// max.z for bit 0) and the sphere around it. Base of meshes and the debug
// displays.
class BoundingBox {
public:
    BoundingBox(Renderer* context, void* owner);
    virtual ~BoundingBox() = default;

    // Renderable data of a built mesh; null for everything else.
    virtual const void* renderData() const { return nullptr; }
    virtual void computeBounds() = 0;
    virtual const Vector3* points() = 0;
    // How many entries points() returns; 0 where there are none to read.
    virtual int32_t pointCount() const { return 0; }
    virtual void clearFrameFlag() { m_flags[2] = 0; }
    // Writes (c.x, c.y, c.z, 1) * matrix for each corner: 32 floats.
    virtual void transformCorners(const Matrix4& matrix, float* out) const;
    virtual void render() = 0;
    // The mesh steps of an object's preparation and draw; renderables that
    // are no meshes have nothing to build and draw as they always do.
    virtual bool prepareFor(MeshObject* owner) { return true; }
    // `camera` is the view being drawn; it may be null.
    virtual void renderFor(double time, MeshObject* owner, SceneObject* camera) { render(); }
    virtual void onResetDevice() {}
    virtual void onLostDevice() {}
    // Non-zero for a mesh the scene draws after all others, far to near
    // (its surfaces blend).
    virtual uint8_t depthSortFlag() const { return 0; }
    // The mirror view this mesh is drawing its reflection through, if any:
    // the scene leaves the mesh out of that view.
    virtual const void* activeReflection() const { return nullptr; }
    // The renderable's triangles for collision, copied into the caller's
    // vectors: x, y, z per point and three point indices per triangle,
    // wound as the engine draws them (the front is where (p1 - p0) x
    // (p2 - p0) points). False for renderables without triangles.
    virtual bool copyTriangles(std::vector<float>& positions, std::vector<uint32_t>& indices)
    {
        (void)positions;
        (void)indices;
        return false;
    }

    // Sets the corners, centre and radius; returns the centre.
    Vector3 setMinMax(const Vector3& min, const Vector3& max);
    // Distance from a point to the nearest point of the bounding sphere.
    double distanceToSphere(const Vector3& point) const;

    Renderer* m_context;
    void* m_owner;
    bool m_valid = false;
    Vector3 m_corners[8];
    Vector3 m_center;
    float m_radius = 0.0f;
    int32_t m_cornerCount = 0;
    int32_t m_layer = -1;
    uint8_t m_flags[3] = {0, 0, 0};
    Vector3 m_pivot;
    std::string m_name;
};
