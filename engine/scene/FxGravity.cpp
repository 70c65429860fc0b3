#include "engine/scene/FxGravity.h"

#include <cfloat>
#include <cmath>

namespace {

// A push component brought into float range: a particle right next to a
// point of gravity is pulled hard, but never by an infinite amount.
float clampToFloat(double value)
{
    return float(std::fmax(-double(FLT_MAX), std::fmin(double(FLT_MAX), value)));
}

} // namespace

void FxGravity::apply(Particle* particles, int32_t first, int32_t end, double time, double dt, Camera*)
{
    boundRange(first, end);
    const float radius = m_radius.evaluate(time);
    const float strength = m_strength.evaluate(time);
    const Vector3 centre = itemPosition(time);
    for (int32_t i = first; i < end; ++i) {
        Particle& p = particles[i];
        if (!p.alive)
            continue;
        const Vector3 offset = Vector3(p.position[0], p.position[1], p.position[2]) - centre;
        const double distance = offset.length();
        const float f = particleFalloff(m_falloff, float(distance), radius, false);
        if (m_mode == Directional) {
            const float push = f * p.speedScale * strength * float(dt) * 10.0f;
            for (int axis = 0; axis < 3; ++axis)
                p.velocity[axis] += m_direction[axis] * push;
        } else if (m_mode == Point) {
            // On the point itself there is no direction to pull in.
            if (distance == 0.0)
                continue;
            // The unit direction and the 1/d strength together: offset / d^2.
            const double pull = double(f) * p.speedScale * strength * dt / (distance * distance);
            p.velocity[0] = clampToFloat(p.velocity[0] + offset.x * pull);
            p.velocity[1] = clampToFloat(p.velocity[1] + offset.y * pull);
            p.velocity[2] = clampToFloat(p.velocity[2] + offset.z * pull);
        }
    }
}
