#include "engine/scene/ParticleEmitter.h"

#include "engine/core/math/Random.h"
#include "engine/scene/Envelope.h"
#include "engine/scene/HyperVoxel.h"
#include "engine/scene/MeshObject.h"

#include <algorithm>
#include <cmath>
#include <limits>

ParticleEmitter::ParticleEmitter(SceneObject* item) : ParticleFx(item) {}

int32_t ParticleEmitter::activeLimit() const
{
    // The scene file may ask for more records than the table holds.
    return std::clamp(m_limit, 0, ParticleTableSize);
}

int32_t ParticleEmitter::liveCount() const
{
    return int32_t(std::count_if(std::begin(m_particles), std::end(m_particles),
                                 [](const Particle& p) { return p.alive != 0; }));
}

HyperVoxel* ParticleEmitter::renderObject() const
{
    if (!m_item)
        return nullptr;
    // Every item of these types is a mesh object (the scene lists them as such).
    switch (m_item->m_itemType) {
    case ItemMesh:
    case ItemCollision:
    case ItemOdeJoint:
        return static_cast<MeshObject*>(m_item)->m_deviceObject.get();
    default:
        return nullptr;
    }
}

bool ParticleEmitter::keyChanged(double time, double dt) const
{
    if (!m_item || !m_item->m_motion[PositionX].m_envelope)
        return false;
    const Envelope* envelope = m_item->m_motion[PositionX].m_envelope->asEnvelope();
    if (!envelope)
        return false;
    return envelope->firstKeyBefore(time) != envelope->firstKeyBefore(time - dt);
}

Vector3 ParticleEmitter::itemMotion(double time, const Vector3& position) const
{
    // The item's world matrix a second ago, built from the channels up the
    // chain (the cached matrices all hold the current time). A body keeps no
    // past positions: from the first body up, the current matrix stands, and
    // the body's own velocity is the motion it carries.
    Matrix4 past = Matrix4::identity();
    Vector3 bodyVelocity;
    for (SceneObject* o = m_item; o; o = o->m_parent) {
        if (o->m_body) {
            past = SceneMath::product(past, o->getMatrix(time));
            const dReal* v = dBodyGetLinearVel(o->m_body);
            bodyVelocity = Vector3(float(v[0]), float(v[1]), float(v[2]));
            break;
        }
        past = SceneMath::product(past, o->getLocalMatrix(time - 1.0));
    }
    return position - Vector3(past.at(3, 0), past.at(3, 1), past.at(3, 2)) + bodyVelocity;
}

int32_t ParticleEmitter::birthCount(double dt)
{
    double births = 0.0;
    if (m_generateBy == GeneratePerFrame || m_generateBy == GeneratePerFrameBelowGround)
        births = std::trunc(double(m_birthRate.m_value) * dt * 30.0);
    else if (m_generateBy == GeneratePerSecond)
        births = std::trunc(double(m_birthRate.m_value) * dt);
    // Negative rates or times give none; a huge rate must not overflow the
    // count (the walk stops at the table's end anyway).
    if (!(births > 0.0))
        return 0;
    const double top = double(std::numeric_limits<int32_t>::max());
    const int32_t n = births >= top ? std::numeric_limits<int32_t>::max() : int32_t(births);
    m_bornTotal = int32_t(std::min(int64_t(m_bornTotal) + n, int64_t(std::numeric_limits<int32_t>::max())));
    return n;
}

void ParticleEmitter::restart()
{
    for (Particle& p : m_particles)
        p.alive = 0;
    m_lastSlot = 0;
    m_restartCount = 0;
    m_bornTotal = 0;
}

void ParticleEmitter::update(double time, double dt)
{
    switch (m_trigger) {
    case TriggerOnKey:
        if (!keyChanged(time, dt))
            return;
        break;
    case TriggerRestartOnKey:
        if (keyChanged(time, dt))
            restart();
        break;
    case TriggerNever:
        return;
    default:
        break;
    }

    m_birthRate.evaluate(time);
    const int32_t wanted = birthCount(dt);
    // An idle emitter (a pooled one between its effects) costs no more.
    if (wanted == 0)
        return;
    const Vector3 centre = itemPosition(time);
    const float life = m_life.evaluate(time);
    const float lifeVariation = m_lifeVariation.evaluate(time);
    const float velocity[3] = {m_velocity[0].evaluate(time), m_velocity[1].evaluate(time),
                               m_velocity[2].evaluate(time)};
    const float explosion = m_explosion.evaluate(time);
    const float speedScale = m_speedScale.evaluate(time);
    const float speedScaleVariation = m_speedScaleVariation.evaluate(time);
    const float drag = m_drag.evaluate(time);
    const float dragVariation = m_dragVariation.evaluate(time);
    const float sizeStart = m_sizeStart.evaluate(time);
    const float sizeVariation = m_sizeVariation.evaluate(time);
    const Vector3 motion = m_inherit != 0.0f ? itemMotion(time, centre) : Vector3();

    const int32_t limit = activeLimit();
    int32_t born = 0;
    for (int32_t i = 0; i < limit && born < wanted; ++i) {
        m_lastSlot = i;
        Particle& p = m_particles[i];
        if (p.alive)
            continue;
        if (m_nozzle == 0 || m_nozzle == 4 || m_nozzle == 1) {
            const float scale = m_nozzle == 1 ? 1.0f / 32767.0f : 1.0f / 32768.0f;
            for (int axis = 0; axis < 3; ++axis) {
                const float u = float(engineRand()) * scale - 0.5f;
                p.position[axis] = (&centre.x)[axis] + u * m_nozzleSize[axis];
            }
        }
        if (m_generateBy == GeneratePerFrameBelowGround && p.position[1] > 0.0f)
            continue;
        p.life = life + randomCentered() * lifeVariation;
        p.speedScale = speedScale + 2.0f * randomCentered() * speedScaleVariation;
        p.drag = drag - randomUnit() * dragVariation;
        p.size = sizeStart + 2.0f * randomCentered() * sizeVariation;
        p.angleRising = engineRand() % 2;
        p.angle = m_angleMin + randomUnit() * (m_angleMax - m_angleMin);

        Vector3 v = Vector3(velocity[0], velocity[1], velocity[2]) * p.speedScale;
        Vector3 away = Vector3(p.position[0], p.position[1], p.position[2]) - centre;
        if (away.normalize() != 0.0)
            v = v + away * (p.speedScale * explosion);
        v = v + motion * (p.speedScale * m_inherit);
        p.velocity[0] = v.x;
        p.velocity[1] = v.y;
        p.velocity[2] = v.z;
        p.alive = 1;
        ++born;
    }
}

void ParticleEmitter::apply(Particle* particles, int32_t first, int32_t end, double, double dt, Camera*)
{
    boundRange(first, end);
    const float step = float(dt);
    for (int32_t i = first; i < end; ++i) {
        Particle& p = particles[i];
        if (!p.alive)
            continue;
        p.life -= step;
        if (p.life <= 0.0f) {
            p.alive = 0;
            continue;
        }
        for (int axis = 0; axis < 3; ++axis)
            p.velocity[axis] = p.velocity[axis] * step + m_drift[axis] * step;
        p.size += m_sizeRate * step;
        if (m_angleRate > 0.0f) {
            if (p.angleRising == 0) {
                p.angle -= m_angleRate * step;
                if (p.angle < m_angleMin) {
                    p.angle = m_angleMin;
                    p.angleRising = 1;
                }
            } else {
                p.angle += m_angleRate * step;
                if (p.angle > m_angleMax) {
                    p.angle = m_angleMax;
                    p.angleRising = 0;
                }
            }
        }
    }
}

void ParticleEmitter::step(Camera* camera, double time, double dt)
{
    const float step = float(dt);
    // A step too short for a float moves nothing (and must not divide by 0).
    if (step != 0.0f) {
        for (Particle& p : m_particles) {
            if (!p.alive)
                continue;
            const float k = p.drag * step;
            for (float& component : p.velocity)
                component -= component * k;
            if (m_maxStep > 0.0f) {
                const float travel = float(Vector3(p.velocity[0], p.velocity[1], p.velocity[2]).length()) * step;
                if (travel > m_maxStep) {
                    const float scale = m_maxStep / travel;
                    for (float& component : p.velocity)
                        component *= scale;
                }
            }
            for (int axis = 0; axis < 3; ++axis) {
                p.position[axis] += p.velocity[axis];
                p.velocity[axis] /= step;
            }
        }
    }
    if (HyperVoxel* renderer = renderObject())
        renderer->render(time, m_particles, camera);
}
