#include "engine/scene/OdeJointItem.h"

#include "engine/core/base/Report.h"
#include "engine/scene/Scene.h"

#include <cmath>

namespace {

dBodyID bodyOf(const SceneObject* object)
{
    return object ? object->m_body : nullptr;
}

} // namespace

OdeJointItem::OdeJointItem(Scene* scene) : MeshObject(scene, ItemOdeJoint) {}

OdeJointItem::OdeJointItem(const OdeJointItem& source)
    : MeshObject(source),
      m_jointType(source.m_jointType),
      m_object1(source.m_object1),
      m_object2(source.m_object2),
      m_springForce(source.m_springForce),
      m_damperForce(source.m_damperForce)
{
}

OdeJointItem::~OdeJointItem()
{
    if (m_joint)
        dJointDestroy(m_joint);
}

void OdeJointItem::destroyJoint()
{
    SceneObject::destroyBody();
    if (m_joint) {
        dJointDestroy(m_joint);
        m_joint = nullptr;
    }
}

bool OdeJointItem::canJoin(dBodyID body1, dBodyID body2) const
{
    switch (m_jointType) {
    case JointBall:
    case JointHinge:
    case JointSlider:
    case JointUniversal:
    case JointHinge2:
    case JointFixed:
    case JointAngularMotor:
        break;
    default:
        reportAssertion("");
        return false;
    }
    if (!body1 && !body2) {
        reportError("joint between two missing bodies: no joint made");
        return false;
    }
    // ODE stops the process on a joint from a body to itself, and on a
    // hinge-2 with one body.
    if (body1 == body2) {
        reportError("joint joins a body to itself: no joint made");
        return false;
    }
    const bool needsBoth = m_jointType == JointHinge2 || m_jointType == JointUniversal || m_jointType == JointFixed ||
                           m_jointType == JointAngularMotor;
    if (needsBoth && (!body1 || !body2)) {
        reportError("joint needs two bodies: no joint made");
        return false;
    }
    return true;
}

void OdeJointItem::createJoint()
{
    if (m_joint) {
        dJointDestroy(m_joint);
        m_joint = nullptr;
    }
    if (!m_scene)
        return;
    const dBodyID body1 = bodyOf(m_object1), body2 = bodyOf(m_object2);
    if (!canJoin(body1, body2))
        return;

    const Matrix4 world = getMatrix(0.0, true);
    const dReal p[3] = {world.at(3, 0), world.at(3, 1), world.at(3, 2)};
    // The axes without the item's scale: ODE wants directions, and a zero
    // scale must not leave it a zero axis.
    const Matrix4 rotation = getWorldRotation(0.0);
    dVector3 x = {rotation.at(0, 0), rotation.at(0, 1), rotation.at(0, 2), 0.0};
    dVector3 y = {rotation.at(1, 0), rotation.at(1, 1), rotation.at(1, 2), 0.0};

    const dWorldID w = m_scene->m_world;
    switch (m_jointType) {
    case JointBall:
        m_joint = dJointCreateBall(w, nullptr);
        dJointAttach(m_joint, body1, body2);
        dJointSetBallAnchor(m_joint, p[0], p[1], p[2]);
        break;
    case JointHinge:
        m_joint = dJointCreateHinge(w, nullptr);
        dJointAttach(m_joint, body1, body2);
        dJointSetHingeAnchor(m_joint, p[0], p[1], p[2]);
        dJointSetHingeAxis(m_joint, x[0], x[1], x[2]);
        break;
    case JointSlider:
        m_joint = dJointCreateSlider(w, nullptr);
        dJointAttach(m_joint, body1, body2);
        dJointSetSliderAxis(m_joint, x[0], x[1], x[2]);
        if (body1)
            dBodyGetPosRelPoint(body1, p[0], p[1], p[2], m_anchor1);
        if (body2)
            dBodyGetPosRelPoint(body2, p[0], p[1], p[2], m_anchor2);
        break;
    case JointUniversal:
        m_joint = dJointCreateUniversal(w, nullptr);
        dJointAttach(m_joint, body1, body2);
        dJointSetUniversalAnchor(m_joint, p[0], p[1], p[2]);
        dJointSetUniversalAxis1(m_joint, x[0], x[1], x[2]);
        dJointSetUniversalAxis2(m_joint, y[0], y[1], y[2]);
        reportAssertion("\"untested\"");
        break;
    case JointHinge2:
        m_joint = dJointCreateHinge2(w, nullptr);
        dJointAttach(m_joint, body1, body2);
        dJointSetHinge2Anchor(m_joint, p[0], p[1], p[2]);
        dJointSetHinge2Axes(m_joint, x, y);
        break;
    case JointFixed:
        m_joint = dJointCreateFixed(w, nullptr);
        dJointAttach(m_joint, body1, body2);
        dJointSetFixed(m_joint);
        break;
    case JointAngularMotor:
        m_joint = dJointCreateAMotor(w, nullptr);
        dJointAttach(m_joint, body1, body2);
        reportAssertion("\"implementation not finished\"");
        break;
    }
    dJointSetData(m_joint, this);
}

void OdeJointItem::evaluateMotion(double time)
{
    SceneObject::evaluateMotion(time);
    if (m_jointType != JointSlider || !m_joint)
        return;
    // The bodies as the joint holds them: when a joined object has gone,
    // ODE has detached its body and the object pointer is stale.
    const dBodyID body1 = dJointGetBody(m_joint, 0), body2 = dJointGetBody(m_joint, 1);
    if (!body1 && !body2)
        return;
    // The spring pulls the two anchor points together; it needs both ends.
    if (body1 && body2) {
        dVector3 w1, w2;
        dBodyGetRelPointPos(body1, m_anchor1[0], m_anchor1[1], m_anchor1[2], w1);
        dBodyGetRelPointPos(body2, m_anchor2[0], m_anchor2[1], m_anchor2[2], w2);
        const dReal k = m_springForce;
        dBodyAddForceAtRelPos(body1, k * (w2[0] - w1[0]), k * (w2[1] - w1[1]), k * (w2[2] - w1[2]), m_anchor1[0],
                              m_anchor1[1], m_anchor1[2]);
        dBodyAddForceAtRelPos(body2, k * (w1[0] - w2[0]), k * (w1[1] - w2[1]), k * (w1[2] - w2[2]), m_anchor2[0],
                              m_anchor2[1], m_anchor2[2]);
    }
    // The joint's motor brakes the slide with a force that grows with the
    // displacement.
    dJointSetSliderParam(m_joint, dParamVel, 0.0);
    dJointSetSliderParam(m_joint, dParamFMax, std::fabs(dJointGetSliderPosition(m_joint)) * m_damperForce);
}
