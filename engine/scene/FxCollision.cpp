#include "engine/scene/FxCollision.h"

#include "engine/core/math/Random.h"

void FxCollision::apply(Particle* particles, int32_t first, int32_t end, double time, double, Camera*)
{
    if (m_shape != 0 || (m_mode != Sphere && m_mode != Floor))
        return;
    boundRange(first, end);
    const float size = m_size.evaluate(time);
    const float bounce = m_bounce.evaluate(time);
    const Vector3 centre = itemPosition(time);
    const float floorHeight = centre.y + size;
    for (int32_t i = first; i < end; ++i) {
        Particle& p = particles[i];
        if (!p.alive)
            continue;
        Vector3 v(p.velocity[0], p.velocity[1], p.velocity[2]);
        if (m_mode == Sphere) {
            Vector3 away = Vector3(p.position[0], p.position[1], p.position[2]) - centre;
            if (!(away.length() < double(size)))
                continue;
            away.normalize();
            v = v + away * (float(v.length()) * bounce);
        } else {
            if (!(p.position[1] < floorHeight))
                continue;
            const float a = float(engineRand()) * m_scatter * 2.0f / 32768.0f - m_scatter;
            const float b = float(engineRand()) * m_scatter * 2.0f / 32768.0f - m_scatter;
            Vector3 n(a, 1.0f, b);
            n.normalize();
            const float along = v.x * n.x + v.y * n.y + v.z * n.z;
            v = (v - n * (2.0f * along)) * bounce;
            p.position[1] = floorHeight;
        }
        p.velocity[0] = v.x;
        p.velocity[1] = v.y;
        p.velocity[2] = v.z;
    }
}
