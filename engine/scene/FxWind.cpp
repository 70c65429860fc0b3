#include "engine/scene/FxWind.h"

#include "engine/scene/SceneObject.h"

namespace {

void push(Particle& p, const Vector3& v)
{
    p.velocity[0] += v.x;
    p.velocity[1] += v.y;
    p.velocity[2] += v.z;
}

} // namespace

void FxWind::apply(Particle* particles, int32_t first, int32_t end, double time, double dt, Camera*)
{
    boundRange(first, end);
    const float radius = m_radius.evaluate(time);
    const float power = m_power.evaluate(time);
    const Vector3 wind(m_wind[0].evaluate(time), m_wind[1].evaluate(time), m_wind[2].evaluate(time));
    const Vector3 centre = itemPosition(time);
    const float step = float(dt);

    Vector3 localWind = wind;
    if (m_mode == Local && m_item) {
        const Matrix4 turn = m_item->getWorldRotation(time);
        localWind = SceneMath::transformPoint(wind, turn);
    }

    for (int32_t i = first; i < end; ++i) {
        Particle& p = particles[i];
        if (!p.alive)
            continue;
        if (m_mode == Turbulence) {
            const float s = p.speedScale * step;
            const float x = randomCentered();
            const float y = randomCentered();
            const float z = randomCentered();
            push(p, Vector3(x, y, z) * s);
            continue;
        }
        const Vector3 position(p.position[0], p.position[1], p.position[2]);
        Vector3 offset = position - centre;
        const float f = particleFalloff(m_falloff, float(offset.length()), radius, true);
        const float s = f * p.speedScale * power * step;
        switch (m_mode) {
        case Directional:
            push(p, wind * s);
            break;
        case Explosion:
            offset.normalize();
            push(p, offset * s);
            break;
        case Vortex:
            push(p, Vector3(-offset.z, 0.0f, offset.x) * (s * p.drag) + wind * (f * p.speedScale * step));
            break;
        case Fountain: {
            Vector3 n(offset.x, 0.0f, offset.z);
            n.normalize();
            push(p, Vector3(n.x, n.y + wind.y, n.z) * s);
            break;
        }
        case Local:
            if (p.position[1] < 0.0f)
                push(p, localWind * s);
            break;
        default:
            break;
        }
    }
}
