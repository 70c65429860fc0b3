#pragma once
#include "engine/core/math/BoundingBox.h"

class SceneObject;

// The per-item debug renderable: a unit box for picking and, while the
// renderer's item display is on, a line from the item's pivot to its
// target's.
class ItemDisplay : public BoundingBox {
public:
    explicit ItemDisplay(SceneObject* item);

    void computeBounds() override;
    const Vector3* points() override { return m_corners; }
    void clearFrameFlag() override {}
    // The target line in world space; the world transform is the item's
    // own again afterwards, as the item's draw left it.
    void render() override;

    SceneObject* m_item;
};
