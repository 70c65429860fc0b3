#include "engine/scene/SceneItem.h"

#include "engine/scene/Scene.h"
#include "engine/scene/ViewState.h"

#include <algorithm>

const Matrix4& SceneItem::setDepthRange(double time, float nearDistance, float farDistance)
{
    if (!m_projectionValid)
        resetProjection(time);
    const float zn = std::max(m_nearLimit, nearDistance - 0.0001f);
    float zf = std::min(farDistance, m_farLimit);
    // Never a zero-depth range: a far plane at or before the near plane
    // still leaves a sliver, so Q stays finite.
    zf = std::max(zn, zf) + 0.0001f;
    if (ViewState* v = view()) {
        v->nearPlane[0] = zn;
        v->nearPlane[1] = zn;
    }
    m_depthRangeSet = 1;
    const float q = zf / (zf - zn);
    m_projection.at(2, 2) = q;
    m_projection.at(3, 2) = -q * zn;
    return m_projection;
}

bool SceneItem::isPointOutside(const float c[4]) const
{
    const float x = c[0], y = c[1], w = c[3];
    return w < m_nearLimit || w > m_farLimit || x < -w || x > w || y < -w || y > w;
}

bool SceneItem::isBoxOutside(const float corners[32]) const
{
    // A box is outside only when all corners lie beyond one and the same
    // plane; a box that straddles planes counts as visible.
    unsigned inside = 0;
    for (int i = 0; i < 8; ++i) {
        const float* c = corners + 4 * i;
        const float x = c[0], y = c[1], w = c[3];
        inside |= (w >= m_nearLimit ? 1u : 0u) | (m_farLimit >= w ? 2u : 0u) | (x >= -w ? 4u : 0u) |
                  (w >= x ? 8u : 0u) | (y >= -w ? 16u : 0u) | (w >= y ? 32u : 0u);
    }
    return inside != 63u;
}

void SceneItem::remove()
{
    if (m_itemType == ItemLight && m_scene) {
        m_scene->removeLight(this);
        return;
    }
    SceneObject::remove();
}

void SceneItem::resetProjection(double)
{
    m_projection = Matrix4();
    m_projection.at(0, 0) = 1.0f;
    m_projection.at(1, 1) = 1.0f;
    m_projection.at(2, 2) = 1.0f;
    m_projection.at(2, 3) = 1.0f;
    m_projectionValid = 1;
}
