#include "engine/core/math/BoundingBox.h"

#include <cmath>

BoundingBox::BoundingBox(Renderer* context, void* owner) : m_context(context), m_owner(owner) {}

Vector3 BoundingBox::setMinMax(const Vector3& min, const Vector3& max)
{
    for (int i = 0; i < 8; ++i)
        m_corners[i] = {(i & 4) ? max.x : min.x, (i & 2) ? max.y : min.y, (i & 1) ? max.z : min.z};
    m_center = {(min.x + max.x) / 2, (min.y + max.y) / 2, (min.z + max.z) / 2};
    m_radius = float((max - m_center).length());
    m_valid = true;
    return m_center;
}

void BoundingBox::transformCorners(const Matrix4& M, float* out) const
{
    for (int i = 0; i < 8; ++i) {
        const Vector3& c = m_corners[i];
        for (int col = 0; col < 4; ++col)
            out[i * 4 + col] = c.x * M.at(0, col) + c.y * M.at(1, col) + c.z * M.at(2, col) + M.at(3, col);
    }
}

double BoundingBox::distanceToSphere(const Vector3& point) const
{
    Vector3 d = point - m_center;
    const double len = d.length();
    if (len != 0.0 && !std::isnan(len))
        d.normalize();
    const Vector3 nearest = m_center + d * m_radius;
    return (point - nearest).length();
}
