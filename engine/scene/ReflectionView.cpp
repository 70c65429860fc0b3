#include "engine/scene/ReflectionView.h"

#include "engine/core/base/Profiler.h"
#include "engine/scene/Camera.h"

#include <algorithm>
#include <cstring>

namespace {

struct ProfileScope {
    explicit ProfileScope(int32_t index) : m_index(index) { Profiler::start(index); }
    ~ProfileScope() { Profiler::stop(m_index); }
    int32_t m_index;
};

} // namespace

ReflectionView::ReflectionView(Scene* scene, const Matrix4& viewMatrix, const Vector3& eye,
                               const Vector3& mirrorPoint, const Vector3& mirrorNormal, int32_t planeCount,
                               std::unique_ptr<float[]> planes, Camera* camera)
    : SceneItem(scene, ItemReflectionView),
      m_viewMatrix(viewMatrix),
      m_eye(eye),
      m_mirrorPoint(mirrorPoint),
      m_mirrorNormal(mirrorNormal),
      m_camera(camera),
      m_planeCount(planes ? std::max(planeCount, 0) : 0),
      m_planes(std::move(planes))
{
    m_nearLimit = 0.01f;
}

ReflectionView::ReflectionView(const ReflectionView& source)
    : SceneItem(source),
      m_viewMatrix(source.m_viewMatrix),
      m_eye(source.m_eye),
      m_mirrorPoint(source.m_mirrorPoint),
      m_mirrorNormal(source.m_mirrorNormal),
      m_camera(source.m_camera),
      m_planeCount(source.m_planeCount)
{
    if (source.m_planes) {
        m_planes = std::make_unique<float[]>(size_t(m_planeCount) * 3);
        std::memcpy(m_planes.get(), source.m_planes.get(), sizeof(float) * 3 * size_t(m_planeCount));
    }
}

const Matrix4& ReflectionView::setDepthRange(double time, float, float)
{
    if (!m_camera)
        return m_projection;
    // The camera's own range where it has one; otherwise the range the
    // scene chose for it this frame, never an empty one.
    const float nearDistance = m_camera->m_hasEnvMinDistance ? m_camera->m_envMinDistance : m_camera->m_nearPlane;
    const float farDistance = m_camera->m_hasEnvMaxDistance ? m_camera->m_envMaxDistance : m_camera->m_farPlane;
    m_projection = m_camera->setDepthRange(time, nearDistance, farDistance);
    m_projectionValid = 1;
    return m_projection;
}

bool ReflectionView::isBoxOutside(const float corners[32]) const
{
    // Clip x and y back to the view's space: x' = x sx + z ox, y' = y sy +
    // z oy, w = z for the borrowed projection.
    const Matrix4& p = m_projection;
    const float sx = p.at(0, 0) != 0.0f ? p.at(0, 0) : 1.0f;
    const float sy = p.at(1, 1) != 0.0f ? p.at(1, 1) : 1.0f;
    bool front = false;
    bool inside[64] = {};
    const int32_t planes = std::min(m_planeCount, 64);
    for (int i = 0; i < 8; ++i) {
        const float* c = corners + 4 * i;
        const float w = c[3];
        const Vector3 v((c[0] - w * p.at(2, 0)) / sx, (c[1] - w * p.at(2, 1)) / sy, w);
        const Vector3 fromEye = v - m_eye;
        for (int32_t j = 0; j < planes; ++j) {
            const float* n = m_planes.get() + 3 * j;
            if (fromEye.x * n[0] + fromEye.y * n[1] + fromEye.z * n[2] >= 0.0f)
                inside[j] = true;
        }
        const Vector3 fromMirror = v - m_mirrorPoint;
        if (fromMirror.x * m_mirrorNormal.x + fromMirror.y * m_mirrorNormal.y + fromMirror.z * m_mirrorNormal.z
            >= 0.0f)
            front = true;
    }
    for (int32_t j = 0; j < planes; ++j) {
        if (!inside[j])
            return true;
    }
    return !front;
}

D3DVIEWPORT9* ReflectionView::viewport()
{
    return m_camera ? m_camera->viewport() : &m_viewport;
}

void ReflectionView::evaluateMotion(double)
{
    static ProfileSection section("ReflectionView");
    ProfileScope scope(section.index());
    Matrix4::inverseAffine(m_worldMatrix, m_viewMatrix);
    m_matrixValid = 1;
}

void ReflectionView::resetProjection(double time)
{
    // The camera's lens with the camera's depth range: its bare lens has no
    // depth terms, which would draw the whole reflection at one depth.
    if (m_camera)
        setDepthRange(time, 0.0f, 0.0f);
    m_projectionValid = 1;
}
