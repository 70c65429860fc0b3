#include "engine/scene/Camera.h"

#include "engine/core/render/Renderer.h"
#include "engine/scene/ChannelCopy.h"
#include "engine/scene/Scene.h"
#include "engine/scene/ViewState.h"

#include <cmath>

namespace {

const ViewState defaultView;

const ViewState& viewOf(const SceneObject& item)
{
    const ViewState* v = item.view();
    return v ? *v : defaultView;
}

bool isSideEye(int32_t eye)
{
    return eye == 0 || eye == 1;
}

} // namespace

Camera::Camera(Scene* scene) : SceneItem(scene, ItemCamera)
{
    m_nearLimit = 0.01f;
    m_eyeMatrix = Matrix4::identity();
    m_invEyeMatrix = Matrix4::identity();
}

Camera::Camera(const Camera& source)
    : SceneItem(source),
      m_viewAxis(source.m_viewAxis),
      m_eyeSeparation(source.m_eyeSeparation),
      m_eyeMatrix(source.m_eyeMatrix),
      m_invEyeMatrix(source.m_invEyeMatrix),
      m_eyeMatricesValid(source.m_eyeMatricesValid)
{
    copyAnimatedValue(m_zoomFactor, source.m_zoomFactor);
}

void Camera::updateEyeMatrices()
{
    Matrix4 e = SceneMath::viewAxisMatrix(m_viewAxis);
    const ViewState& v = viewOf(*this);
    if (isSideEye(v.stereoEye)) {
        const float side = v.stereoEye == 0 ? -0.5f : 0.5f;
        const float s = v.stereoScale[0] * v.stereoScale[1] * m_eyeSeparation * side;
        e = SceneMath::product(SceneMath::translation(s, 0.0f, 0.0f), e);
    }
    m_eyeMatrix = e;
    Matrix4::inverseAffine(m_invEyeMatrix, e);
    m_eyeMatricesValid = 1;
}

Matrix4 Camera::getMatrix(double time, bool eye)
{
    const Matrix4 world = SceneItem::getMatrix(time, eye);
    if (!eye)
        return world;
    if (!m_eyeMatricesValid)
        updateEyeMatrices();
    return SceneMath::product(m_eyeMatrix, world);
}

Matrix4 Camera::getInvMatrix(double time, bool eye)
{
    const Matrix4 inverse = SceneItem::getInvMatrix(time, eye);
    if (!eye)
        return inverse;
    if (!m_eyeMatricesValid)
        updateEyeMatrices();
    return SceneMath::product(inverse, m_invEyeMatrix);
}

D3DVIEWPORT9* Camera::viewport()
{
    if (m_renderer) {
        m_viewport = {DWORD(m_renderer->m_viewportX), DWORD(m_renderer->m_viewportY), DWORD(m_renderer->m_width),
                      DWORD(m_renderer->m_height), 0.0f, 1.0f};
    } else {
        const ViewState& v = viewOf(*this);
        m_viewport = {DWORD(v.viewportX), DWORD(v.viewportY), DWORD(v.viewportWidth), DWORD(v.viewportHeight),
                      0.0f, 1.0f};
    }
    return &m_viewport;
}

bool Camera::invalidateMatrices()
{
    SceneItem::invalidateMatrices();
    // Eye matrices still carrying a side eye's offset are rebuilt as well:
    // after stereo is switched off the camera would otherwise keep looking
    // from beside itself.
    const bool offset = m_eyeMatrix.at(3, 0) != 0.0f || m_eyeMatrix.at(3, 1) != 0.0f || m_eyeMatrix.at(3, 2) != 0.0f;
    if (isSideEye(viewOf(*this).stereoEye) || offset)
        m_eyeMatricesValid = 0;
    return false;
}

void Camera::remove()
{
    if (m_scene) {
        m_scene->removeCamera(this);
        return;
    }
    SceneObject::remove();
}

void Camera::updateLens(double time)
{
    ViewState fallback;
    ViewState* view = SceneObject::view();
    ViewState& v = view ? *view : fallback;

    const float zoom = m_zoomFactor.evaluate(time);
    v.lens = zoom * 31.25f;
    const float k = v.lens / v.lensReference;
    const double toRadians = 3.14159265358979323846 / 180.0;
    const double fovX = m_renderer ? m_renderer->m_fovX : v.fovX;
    const double fovY = m_renderer ? m_renderer->m_fovY : v.fovY;
    m_projection = Matrix4();
    m_projection.at(0, 0) = float(k / std::tan(fovX * toRadians / 2.0));
    m_projection.at(1, 1) = float(k / std::tan(fovY * toRadians / 2.0));
    // Stereo shifts the image sideways rather than turning the view.
    float shift = 0.0f;
    switch (v.stereoEye) {
    case 0:
        shift = -0.5f * v.stereoScale[0] * m_eyeSeparation * m_projection.at(0, 0);
        break;
    case 1:
        shift = 0.5f * v.stereoScale[0] * m_eyeSeparation * m_projection.at(0, 0);
        break;
    case 2:
        shift = 1.0f;
        break;
    case 3:
        shift = -1.0f;
        break;
    default:
        break;
    }
    m_projection.at(2, 0) = shift;
    m_projection.at(2, 2) = 1.0f;
    m_projection.at(2, 3) = 1.0f;
    m_projectionValid = 1;
}
