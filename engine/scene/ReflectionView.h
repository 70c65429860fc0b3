#pragma once
#include "engine/scene/SceneItem.h"

#include <cstdint>
#include <memory>

class Camera;

// The mirrored camera of a planar mirror, made on the stack of one mirror
// draw. Its world matrix is the inverse of the mirrored view matrix; it
// borrows the real camera's projection, depth range and viewport, and its
// box test keeps only what can be seen through the mirror's outline and
// lies in front of the mirror. Everything it holds is in the mirrored
// view's space, where the eye is the origin.
class ReflectionView : public SceneItem {
public:
    // `planes` holds `planeCount` unit normals, three floats each, of planes
    // through the eye; the view takes the array over.
    ReflectionView(Scene* scene, const Matrix4& viewMatrix, const Vector3& eye, const Vector3& mirrorPoint,
                   const Vector3& mirrorNormal, int32_t planeCount, std::unique_ptr<float[]> planes,
                   Camera* camera);
    ReflectionView(const ReflectionView& source);

    const Matrix4& setDepthRange(double time, float nearDistance, float farDistance) override;
    // The corners as the scene hands them to every view: clip space of this
    // view's projection. They are taken back into the view's space before
    // the outline planes and the mirror plane are tested.
    bool isBoxOutside(const float corners[32]) const override;
    D3DVIEWPORT9* viewport() override;
    void evaluateMotion(double time) override;
    void resetProjection(double time) override;
    SceneObject* clone() const override { return new ReflectionView(*this); }
    // Not in any list: the mirror draw that made it destroys it.
    void remove() override {}

    Matrix4 m_viewMatrix;
    Vector3 m_eye;
    Vector3 m_mirrorPoint;
    Vector3 m_mirrorNormal;
    Camera* m_camera;
    int32_t m_planeCount;
    std::unique_ptr<float[]> m_planes;
};
