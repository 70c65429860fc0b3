#pragma once
#include "engine/scene/SceneObject.h"

// The concrete base of every item class: the frustum tests against the
// item's own projection and the default projection.
class SceneItem : public SceneObject {
public:
    SceneItem(Scene* scene, uint32_t itemType) : SceneObject(scene, itemType) {}
    SceneItem(const SceneItem& source) = default;

    const Matrix4& setDepthRange(double time, float nearDistance, float farDistance) override;
    bool isPointOutside(const float clip[4]) const override;
    bool isBoxOutside(const float corners[32]) const override;
    SceneObject* clone() const override { return new SceneItem(*this); }
    // A light item leaves through its scene's light list, as cameras and
    // objects leave through theirs, so the list never keeps a deleted item.
    void remove() override;
    void resetProjection(double time) override;

    // The smallest near clip distance, and the near bound of the tests.
    float m_nearLimit = 0.01f;
    // The depth range the item's view was last drawn with: a camera's is
    // set by the scene each frame from what it sees, a light's by its
    // shadow map's draw.
    float m_nearPlane = 0.01f;
    float m_farPlane = 1.0f;
};
