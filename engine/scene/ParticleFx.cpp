#include "engine/scene/ParticleFx.h"

#include "engine/core/math/Random.h"
#include "engine/scene/SceneObject.h"

#include <algorithm>

Vector3 ParticleFx::itemPosition(double time) const
{
    if (!m_item)
        return {};
    const Matrix4 world = m_item->getMatrix(time);
    return {world.at(3, 0), world.at(3, 1), world.at(3, 2)};
}

void ParticleFx::boundRange(int32_t& first, int32_t& end)
{
    first = std::clamp(first, 0, ParticleTableSize);
    end = std::clamp(end, first, ParticleTableSize);
}

float particleFalloff(int32_t code, float distance, float radius, bool allowLinear)
{
    switch (code) {
    case 0:
        return distance <= radius ? 1.0f : 0.0f;
    case 1: {
        // At distance 0 the inverse is unbounded and so exceeds any radius.
        if (distance == 0.0f)
            return 0.0f;
        const float inverse = 1.0f / distance;
        return inverse > radius ? 0.0f : inverse;
    }
    case 2:
        return 1.0f;
    case 3:
        if (allowLinear)
            return distance > radius ? 0.0f : distance;
        return 0.0f;
    default:
        return 0.0f;
    }
}

float randomCentered()
{
    return float(engineRand()) / 32768.0f - 0.5f;
}

float randomUnit()
{
    return float(engineRand()) / 32768.0f;
}
