// The kart's fixed step: pedals and steering into joint motors, the boost and
// hit modifiers, the cached axes and speed, the ground ray and the timers.
#include "game/race/Kart.h"

#include "engine/scene/CollisionObject.h"
#include "engine/scene/OdeJointItem.h"
#include "game/app/RaceSetup.h"
#include "game/race/KartController.h"
#include "game/race/Race.h"
#include "game/race/VectorOps.h"

#include <ode/ode.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr float kPi = 3.14159265358979f;

dJointID jointOf(SceneObject* item)
{
    return item && item->m_itemType == ItemOdeJoint ? static_cast<OdeJointItem*>(item)->m_joint : nullptr;
}

bool isJointType(dJointID joint, int type)
{
    return joint && dJointGetType(joint) == type;
}

Vector3 row(const Matrix4& m, int r)
{
    return {m.at(r, 0), m.at(r, 1), m.at(r, 2)};
}

} // namespace

void Kart::update(float time, float dt)
{
    KartController* c = m_controller;
    if (c && c->m_fire != 0.0f)
        usePowerup();
    if (!m_chassis)
        return;
    // Bodies moved in the last step: the cached matrices are older.
    m_chassis->invalidateMatrices();
    if (m_body)
        m_body->invalidateMatrices();
    const Matrix4 chassis = m_chassis->getMatrix(time);
    if (chassis.at(1, 1) < 0.0f || (c && c->m_reset != 0.0f))
        m_respawnRequest = 1;

    // Drive targets: speed v, force f, the back wheels braking, the
    // steering rate.
    float v = 0.0f, f = m_idleForce, rate = m_steerSpeed;
    bool braking = false;
    const float throttle = c ? c->m_throttle : 0.0f;
    const float brake = c ? c->m_brake : 0.0f;
    // The spin of the back-left wheel decides when braking turns to reverse.
    auto wheelSpin = [this]() {
        dJointID joint = jointOf(m_wheelJoint[BL]);
        dBodyID wheel = joint ? dJointGetBody(joint, 1) : nullptr;
        if (!wheel && m_wheel[BL])
            wheel = m_wheel[BL]->m_body;
        if (!wheel)
            return 0.0f;
        const dReal* w = dBodyGetAngularVel(wheel);
        return float(std::sqrt(w[0] * w[0] + w[1] * w[1] + w[2] * w[2]));
    };
    if (m_gear == 1) {
        if (throttle != 0.0f) {
            f = m_forwardForce * throttle;
            v = m_forwardSpeed;
        }
        if (brake != 0.0f) {
            if (wheelSpin() <= m_reverseThreshold) {
                shiftGear(2);
                f = m_brakeForce;
            } else {
                f = m_brakeForce * brake;
                braking = true;
            }
            v = 0.0f;
        }
    } else if (m_gear == 2) {
        if (brake != 0.0f) {
            f = m_backwardForce;
            v = -m_backwardSpeed;
        } else if (throttle != 0.0f) {
            if (wheelSpin() <= m_reverseThreshold) {
                shiftGear(1);
            } else {
                braking = true;
            }
            f = m_brakeForce;
            v = 0.0f;
        }
    } else {
        // Before the start the wheels are held.
        f = 1000.0f;
        v = 0.0f;
        braking = true;
    }

    // Boosts drive harder, hits slow the kart down.
    struct Boost {
        int32_t steps;
        float factor;
    };
    for (const Boost& b : {Boost{m_boostSteps, 1.25f}, Boost{m_speedupSteps, 1.35f}, Boost{m_jump1Steps, 1.4f},
                           Boost{m_jump2Steps, 1.3f}, Boost{m_jump3Steps, 1.2f}})
        if (b.steps > 0) {
            f *= b.factor;
            v *= b.factor;
        }
    if (m_decoyHitSteps > 0)
        v *= 0.3f;
    if (m_snowballHitSteps > 0) {
        v = 0.0f;
        rate = 0.0f;
    }
    if (m_pumpkinHitSteps > 0)
        v *= 0.1f;
    if (m_alienHitSteps > 0)
        v *= 0.1f;
    if (m_bananaHitSteps > 0) {
        v *= 0.2f;
        rate *= 0.1f;
    }
    if (m_quadDamageSteps > 0)
        v *= 0.75f;
    if (m_rocketHitSteps > 0) {
        v = 0.0f;
        rate = 0.0f;
    }
    if (m_onRoughGround)
        v *= 0.75f;

    // The start: a good one doubles the drive until a second after GO, a
    // false one stalls the kart as long.
    const bool boosting = m_gear != 0 && c && c->m_startBoost > 0.0f && c->m_falseStart <= 0.0f;
    if (boosting) {
        f *= 2.0f;
        v = m_forwardSpeed * 2.0f;
        // Once per start, not once per step.
        if (!m_startBoosting)
            playCue(18);
    }
    m_startBoosting = boosting ? 1 : 0;
    if (m_gear != 0 && c && c->m_falseStart > 0.0f) {
        f = 0.0f;
        if (!m_envelope[AnimFalseStart].active)
            playAnimation(AnimFalseStart, 1.0f, 0.0f, 0.0f, 1.0f, true, true, true);
    }
    driveWheels(f, v, braking);
    steer(rate, dt);

    // Suspensions, back before front.
    for (int corner : {BL, BR, FL, FR})
        if (m_suspensionJoint[corner])
            m_suspensionJoint[corner]->evaluateMotion(time);

    // Cached state for the handlers, the controllers and the race.
    getVelocity(m_velocity);
    if (m_velocity.length() < 1e-6f)
        m_velocity = {0.0f, 1.0f, 0.0f};
    if (m_body) {
        const Vector3 forward = row(m_body->getMatrix(time), 2);
        if (forward.length() != 0.0f)
            m_forward = vec::unit(forward);
    }
    m_backward = m_forward * -1.0f;
    m_side = {-m_forward.z, 0.0f, m_forward.x};
    m_speed = m_velocity.length();
    m_position = row(chassis, 3);

    placeGroundRay(time);

    Race* race = Race::current();
    if (m_tankSteps > 0 && race) {
        for (int32_t i = 0; i < race->m_kartCount; ++i) {
            Kart* other = race->m_karts[i];
            if (other && other != this && vec::distance(other->m_position, m_position) < 2.5f)
                other->applyHit(14, m_index, 0, true);
        }
    }
    countDownTimers();

    if (c && c->getType() == KartController::Human) {
        const float skid = vec::lengthSquared(vec::cross(m_forward * -0.5f, m_velocity));
        const int32_t ccm = race && race->m_setup ? race->m_setup->ccm : 0;
        if (skid > 1.4f + 0.2f * float(ccm))
            playCue(26);
    }
    if (race && race->m_started) {
        if (m_poseSendCountdown == 0) {
            sendPose();
            m_poseSendCountdown = 1;
        }
        --m_poseSendCountdown;
    }
}

void Kart::placeGroundRay(float time)
{
    // The ground ray looks straight down from above the chassis.
    if (!m_groundRay || !m_groundRay->m_geom)
        return;
    dGeomEnable(m_groundRay->m_geom);
    dGeomRaySetLength(m_groundRay->m_geom, 100.0);
    const float down[3] = {-kPi / 2.0f, 0.0f, 0.0f};
    const float above[3] = {m_position.x, m_position.y + 10.0f, m_position.z};
    m_groundRay->setRotation(down, false);
    m_groundRay->setPosition(above);
    m_groundRay->invalidateMatrices();
    m_groundRay->getMatrix(time);
}

void Kart::shiftGear(int32_t gear)
{
    // The driver turns round to reverse and back to drive on.
    if (!m_finished) {
        const bool reverse = gear == 2;
        playAnimation(reverse ? AnimReverse : AnimDrive, 1.0f, 0.1f, 0.1f, 10000.0f, false, true, false);
        const int32_t ended[2][3] = {{AnimReverse, AnimReverseLeft, AnimReverseRight},
                                     {AnimDrive, AnimSteerLeft, AnimSteerRight}};
        for (int32_t id : ended[reverse ? 1 : 0])
            endAnimation(id, -1.0f, true);
    }
    m_gear = gear;
}

void Kart::driveWheels(float force, float speed, bool braking)
{
    for (int corner : {BL, BR}) {
        dJointID joint = jointOf(m_wheelJoint[corner]);
        if (!isJointType(joint, dJointTypeHinge))
            continue;
        dJointSetHingeParam(joint, dParamFMax, braking ? force : 0.0f);
        dJointSetHingeParam(joint, dParamVel, speed);
    }
    for (int corner : {FL, FR}) {
        dJointID joint = jointOf(m_wheelJoint[corner]);
        if (!isJointType(joint, dJointTypeHinge2))
            continue;
        dJointSetHinge2Param(joint, dParamFMax2, force);
        dJointSetHinge2Param(joint, dParamVel2, -speed);
    }
}

void Kart::steer(float rate, float dt)
{
    // Each wheel's axle, for the wheel contacts' friction direction.
    float angle[Corners] = {};
    for (int corner = 0; corner < Corners; ++corner) {
        dJointID joint = jointOf(m_wheelJoint[corner]);
        dVector3 axis = {0, 0, 0, 0};
        if (isJointType(joint, dJointTypeHinge2)) {
            dJointGetHinge2Axis2(joint, axis);
            angle[corner] = float(dJointGetHinge2Angle1(joint));
        } else if (isJointType(joint, dJointTypeHinge)) {
            dJointGetHingeAxis(joint, axis);
        } else {
            continue;
        }
        if (m_wheel[corner])
            for (int k = 0; k < 3; ++k)
                m_wheel[corner]->m_axis[k] = float(axis[k]);
    }

    // The limit narrows from m_steerAngle at a standstill to m_steerAngleMin
    // at 12 units per second.
    const float limit = std::clamp((1.0f - m_speed / 12.0f) * (m_steerAngle - m_steerAngleMin) + m_steerAngleMin,
                                   std::min(m_steerAngleMin, m_steerAngle), std::max(m_steerAngleMin, m_steerAngle));
    KartController* c = m_controller;
    const bool left = c && c->m_steerLeft != 0.0f;
    const bool right = c && c->m_steerRight != 0.0f;
    const bool steering = m_gear != 0 && left != right && m_rocketHitSteps == 0;
    float target = 0.0f;
    if (steering) {
        const bool human = !c->isAI();
        if (left) {
            if (human) {
                if (m_steer < 0.0f)
                    m_steer = 0.0f;
                m_steer = std::min(m_steer + (limit - m_steer) * rate, 1.0f);
                target = m_steer * limit;
            } else {
                target = c->m_steerLeft * limit;
            }
        } else {
            if (human) {
                if (m_steer > 0.0f)
                    m_steer = 0.0f;
                m_steer = std::max(m_steer - (m_steer + limit) * rate, -1.0f);
                target = m_steer * limit;
            } else {
                target = -c->m_steerRight * limit;
            }
        }
    } else {
        m_steer = 0.0f;
    }
    for (int corner : {FL, FR}) {
        dJointID joint = jointOf(m_wheelJoint[corner]);
        if (!isJointType(joint, dJointTypeHinge2))
            continue;
        dJointSetHinge2Param(joint, dParamVel, ((steering ? target : 0.0f) - angle[corner]) / dt);
        dJointSetHinge2Param(joint, dParamFMax, 1000.0);
    }
}

void Kart::countDownTimers()
{
    int32_t* timers[] = {&m_boostSteps,       &m_oilHitSteps,    &m_bananaHitSteps,  &m_shieldSteps,
                         &m_speedupSteps,     &m_jump1Steps,     &m_jump2Steps,      &m_jump3Steps,
                         &m_quadDamageSteps,  &m_hammerSteps,    &m_decoyHitSteps,   &m_snowballHitSteps,
                         &m_tankSteps,        &m_spinHitSteps,   &m_immunitySteps,   &m_pumpkinHitSteps,
                         &m_alienHitSteps,    &m_rocketHitSteps, &m_holeSteps,       &m_collisionHitSteps};
    for (int32_t* timer : timers)
        if (*timer > 0)
            --*timer;
    // The sounds that last as long as their effect stop with it; a kart
    // that fell into a hole comes back.
    if (m_shieldSteps == 1)
        if (Race* race = Race::current())
            race->stopCue(2);
    if (m_alienHitSteps == 1)
        if (Race* race = Race::current())
            race->stopCue(13);
    if (m_holeSteps == 1) {
        m_respawnRequest = 1;
        m_gear = 1;
    }
}
