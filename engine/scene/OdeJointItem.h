#pragma once
#include "engine/scene/MeshObject.h"

#include <ode/ode.h>

#include <cstdint>

// ODE's joint-type numbering; contact (4) and null (8) joints are never made.
enum OdeJointType : uint32_t {
    JointNone = 0,
    JointBall = 1,
    JointHinge = 2,
    JointSlider = 3,
    JointUniversal = 5,
    JointHinge2 = 6,
    JointFixed = 7,
    JointAngularMotor = 9,
};

// A scene item that joins the bodies of two other objects with an ODE joint
// at the item's own position, oriented by the item's own axes. A slider can
// carry a spring and a damper, applied each time the item is evaluated.
class OdeJointItem : public MeshObject {
public:
    explicit OdeJointItem(Scene* scene);
    // The copy joins the same objects but makes its own joint when initialised.
    OdeJointItem(const OdeJointItem& source);
    ~OdeJointItem() override;

    void initialize() override { createJoint(); }
    SceneObject* clone() const override { return new OdeJointItem(*this); }
    void createBody() override { initialize(); }
    void destroyBody() override { destroyJoint(); }
    void evaluateMotion(double time) override;

    // Replaces the joint with one made from the item's pose at time 0.
    void createJoint();
    void destroyJoint();

    uint32_t m_jointType = JointNone;
    SceneObject* m_object1 = nullptr;
    SceneObject* m_object2 = nullptr;
    // A slider's position in the frame of body 1 and of body 2.
    dVector3 m_anchor1 = {0.0, 0.0, 0.0, 0.0};
    dVector3 m_anchor2 = {0.0, 0.0, 0.0, 0.0};
    dJointID m_joint = nullptr;
    float m_springForce = 0.0f;
    float m_damperForce = 0.0f;

private:
    // Whether ODE can join these bodies with this kind of joint; reports why not.
    bool canJoin(dBodyID body1, dBodyID body2) const;
};
