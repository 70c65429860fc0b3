#pragma once
#include "engine/core/math/BoundingBox.h"

#include <cstdint>
#include <vector>

class CollisionObject;

// One vertex of the collision wire shape, in the device's XYZ | DIFFUSE layout.
struct CollisionLineVertex {
    float x, y, z;
    uint32_t color;
};

// The debug shape of a collision object: its box or sphere as lines in the
// object's own frame. Other shapes draw nothing.
class CollisionDisplay : public BoundingBox {
public:
    explicit CollisionDisplay(CollisionObject* object);

    void computeBounds() override;
    const Vector3* points() override { return m_corners; }
    void clearFrameFlag() override {}
    // Draws at the object's matrix for the time; the world transform and the
    // shared table's world matrix are put back afterwards.
    void render(double time);
    void render() override { render(0.0); }
    void renderFor(double time, MeshObject*, SceneObject*) override { render(time); }

    // The line list (vertex pairs) of a shape with extents ex, ey, ez:
    // 12 lines for a box, 48 for a sphere, none for the rest.
    static void buildLines(uint32_t shapeType, const float extents[3], std::vector<CollisionLineVertex>& out);

    CollisionObject* m_object;
    std::vector<CollisionLineVertex> m_lines;
};
