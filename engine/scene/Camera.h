#pragma once
#include "engine/scene/SceneItem.h"

// The item a scene is rendered through. Its world matrix places the eye;
// the lens comes from the zoom factor and the renderer's fields of view;
// for stereo views the eye moves sideways by half the eye separation.
class Camera : public SceneItem {
public:
    explicit Camera(Scene* scene);
    Camera(const Camera& source);

    // With `eye`, the matrices of the eye rather than of the item: the view
    // axis turn and the stereo offset applied.
    Matrix4 getMatrix(double time, bool eye = false) override;
    Matrix4 getInvMatrix(double time, bool eye = false) override;
    D3DVIEWPORT9* viewport() override;
    bool invalidateMatrices() override;
    void remove() override;
    SceneObject* clone() const override { return new Camera(*this); }
    void resetProjection(double time) override { updateLens(time); }

    void updateLens(double time);

    // 0 looks along the item's +X axis, 1 along -Y, anything else along +Z.
    int32_t m_viewAxis = 2;
    AnimatedValue m_zoomFactor{3.2f};
    float m_eyeSeparation = 0.06f;
    Matrix4 m_eyeMatrix;
    Matrix4 m_invEyeMatrix;
    uint8_t m_eyeMatricesValid = 0;

private:
    void updateEyeMatrices();
};
