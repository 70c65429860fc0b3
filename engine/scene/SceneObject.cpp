#include "engine/scene/SceneObject.h"

#include "engine/core/base/Profiler.h"
#include "engine/core/base/Report.h"
#include "engine/scene/ChannelCopy.h"
#include "engine/scene/ItemDisplay.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace SceneMath {

Matrix4 axisRotation(int32_t axis, float angle)
{
    Matrix4 m = Matrix4::identity();
    const float c = std::cos(angle), s = std::sin(angle);
    switch (axis) {
    case 0:
        m.at(1, 1) = c;
        m.at(1, 2) = s;
        m.at(2, 1) = -s;
        m.at(2, 2) = c;
        break;
    case 1:
        m.at(0, 0) = c;
        m.at(0, 2) = -s;
        m.at(2, 0) = s;
        m.at(2, 2) = c;
        break;
    case 2:
        m.at(0, 0) = c;
        m.at(0, 1) = s;
        m.at(1, 0) = -s;
        m.at(1, 1) = c;
        break;
    default:
        break;
    }
    return m;
}

Matrix4 translation(float x, float y, float z)
{
    Matrix4 m = Matrix4::identity();
    m.at(3, 0) = x;
    m.at(3, 1) = y;
    m.at(3, 2) = z;
    return m;
}

Matrix4 scaling(float x, float y, float z)
{
    Matrix4 m = Matrix4::identity();
    m.at(0, 0) = x;
    m.at(1, 1) = y;
    m.at(2, 2) = z;
    return m;
}

Matrix4 product(const Matrix4& a, const Matrix4& b)
{
    Matrix4 out;
    Matrix4::multiplyAffineAffine(out, a, b);
    return out;
}

Vector3 transformPoint(const Vector3& p, const Matrix4& m)
{
    return {p.x * m.at(0, 0) + p.y * m.at(1, 0) + p.z * m.at(2, 0) + m.at(3, 0),
            p.x * m.at(0, 1) + p.y * m.at(1, 1) + p.z * m.at(2, 1) + m.at(3, 1),
            p.x * m.at(0, 2) + p.y * m.at(1, 2) + p.z * m.at(2, 2) + m.at(3, 2)};
}

Matrix4 viewAxisMatrix(int32_t axis)
{
    Matrix4 m = Matrix4::identity();
    if (axis == 0) {
        m.at(0, 0) = 0.0f;
        m.at(0, 2) = -1.0f;
        m.at(2, 0) = 1.0f;
        m.at(2, 2) = 0.0f;
    } else if (axis == 1) {
        m.at(1, 1) = 0.0f;
        m.at(1, 2) = 1.0f;
        m.at(2, 1) = -1.0f;
        m.at(2, 2) = 0.0f;
    }
    return m;
}

} // namespace SceneMath

using namespace SceneMath;

namespace {

// The names the motion mixer matches channels by.
const char* const motionChannelNames[MotionChannelCount] = {
    "Position.X", "Position.Y", "Position.Z", "Rotation.H", "Rotation.P",
    "Rotation.B", "Scale.X",    "Scale.Y",    "Scale.Z"};

float clampTo(float value, float low, float high)
{
    if (value < low)
        return low;
    if (value > high)
        return high;
    return value;
}

struct ProfileScope {
    explicit ProfileScope(int32_t index) : m_index(index) { Profiler::start(index); }
    ~ProfileScope() { Profiler::stop(m_index); }
    int32_t m_index;
};

} // namespace

SceneObject::SceneObject(Scene* scene, uint32_t itemType)
    : m_renderer(scene ? scene->m_renderer : nullptr), m_itemType(itemType), m_scene(scene)
{
    for (int32_t i = 0; i < MotionChannelCount; ++i)
        m_motion[i].m_name = motionChannelNames[i];
    for (int32_t i = ScaleX; i <= ScaleZ; ++i)
        m_motion[i].m_value = 1.0f;
    dMassSetZero(&m_mass);
    m_worldMatrix = Matrix4::identity();
    m_invWorldMatrix = Matrix4::identity();
    m_projection = Matrix4::identity();
    m_fixedMatrix = Matrix4::identity();
    m_localMatrix = Matrix4::identity();
    m_display = std::make_unique<ItemDisplay>(this);
}

SceneObject::SceneObject(const SceneObject& source)
    : m_renderer(source.m_renderer), m_itemType(source.m_itemType), m_scene(source.m_scene)
{
    for (int32_t i = 0; i < MotionChannelCount; ++i)
        copyAnimatedValue(m_motion[i], source.m_motion[i]);
    std::memcpy(m_pivotPosition, source.m_pivotPosition, sizeof m_pivotPosition);
    std::memcpy(m_pivotRotation, source.m_pivotRotation, sizeof m_pivotRotation);
    m_headingController = source.m_headingController;
    m_pitchController = source.m_pitchController;
    m_bankController = source.m_bankController;
    m_pathLookAhead = source.m_pathLookAhead;
    std::memcpy(m_rotationOrder, source.m_rotationOrder, sizeof m_rotationOrder);
    // m_ownedObjects stays empty: its elements belong to the source.
    m_hasEnvMinDistance = source.m_hasEnvMinDistance;
    m_hasEnvMaxDistance = source.m_hasEnvMaxDistance;
    m_envMinDistance = source.m_envMinDistance;
    m_envMaxDistance = source.m_envMaxDistance;
    if (source.m_portalPlanes) {
        m_portalPlanes = std::make_unique<float[]>(12);
        std::memcpy(m_portalPlanes.get(), source.m_portalPlanes.get(), 12 * sizeof(float));
    }
    // The body lives in the source's world and is destroyed with the
    // source; the copy makes its own with createBody when it needs one.
    m_mass = source.m_mass;
    m_autoDisable = source.m_autoDisable;
    m_goalObject = source.m_goalObject;
    m_matchGoalOrientation = source.m_matchGoalOrientation;
    // The copy follows the same parent but is not one of its children, and
    // takes no children: they stay linked to (and are removed with) the
    // source, so a tree removal of the copy cannot delete them twice.
    m_parent = source.m_parent;
    m_target = source.m_target;
    m_worldMatrix = source.m_worldMatrix;
    m_invWorldMatrix = source.m_invWorldMatrix;
    m_projection = source.m_projection;
    m_fixedMatrix = source.m_fixedMatrix;
    m_viewport = source.m_viewport;
    m_matrixValid = source.m_matrixValid;
    m_invMatrixValid = source.m_invMatrixValid;
    m_projectionValid = source.m_projectionValid;
    m_depthRangeSet = source.m_depthRangeSet;
    m_farLimit = source.m_farLimit;
    m_name = source.m_name;
    m_limitPosition = source.m_limitPosition;
    std::memcpy(m_minPosition, source.m_minPosition, sizeof m_minPosition);
    std::memcpy(m_maxPosition, source.m_maxPosition, sizeof m_maxPosition);
    m_rotationLimitFlags = source.m_rotationLimitFlags;
    std::memcpy(m_minRotation, source.m_minRotation, sizeof m_minRotation);
    std::memcpy(m_maxRotation, source.m_maxRotation, sizeof m_maxRotation);
    m_owner = source.m_owner;
    std::memcpy(m_axis, source.m_axis, sizeof m_axis);
    m_useLocalMatrix = source.m_useLocalMatrix;
    m_localMatrix = source.m_localMatrix;
    m_display = std::make_unique<ItemDisplay>(this);
}

SceneObject::~SceneObject()
{
    // Children deleted later must not reach back to this item.
    for (SceneObject* child : m_children) {
        if (child->m_parent == this)
            child->m_parent = nullptr;
    }
    destroyBody();
}

ViewState* SceneObject::view() const
{
    return m_scene ? m_scene->view() : nullptr;
}

Vector3 SceneObject::position(double time)
{
    return {m_motion[PositionX].evaluate(time), m_motion[PositionY].evaluate(time),
            m_motion[PositionZ].evaluate(time)};
}

Vector3 SceneObject::channelAngles(double time)
{
    return {-m_motion[RotationP].evaluate(time), m_motion[RotationH].evaluate(time),
            -m_motion[RotationB].evaluate(time)};
}

Vector3 SceneObject::getRotationAngles(double time)
{
    if (m_evaluatingAngles)
        return channelAngles(time);
    m_evaluatingAngles = true;

    Vector3 angles;
    if (m_matchGoalOrientation && m_goalObject) {
        angles = m_goalObject->getRotationAngles(time);
        m_evaluatingAngles = false;
        return angles;
    }

    angles = channelAngles(time);
    const bool towardTarget = m_target != nullptr;
    if ((m_headingController == ControlPointAtTarget && towardTarget) ||
        (m_pitchController == ControlPointAtTarget && towardTarget)) {
        const Vector3 pivot(m_target->m_pivotPosition[0], m_target->m_pivotPosition[1],
                            m_target->m_pivotPosition[2]);
        Vector3 target = transformPoint(pivot, m_target->getMatrix(time));
        if (m_parent)
            target = transformPoint(target, m_parent->getInvMatrix(time));
        const Vector3 pos = position(time);
        const float dx = target.x - pos.x, dy = target.y - pos.y, dz = target.z - pos.z;
        if (m_headingController == ControlPointAtTarget)
            angles.y = std::atan2(dx, dz);
        if (m_pitchController == ControlPointAtTarget)
            angles.x = std::atan2(dy, std::sqrt(dx * dx + dz * dz));
    }
    if (m_headingController == ControlAlignToPath || m_pitchController == ControlAlignToPath) {
        const double ahead = time + m_pathLookAhead;
        Vector3 p0 = position(time);
        Vector3 p1 = position(ahead);
        if (m_parent) {
            p0 = transformPoint(p0, m_parent->getMatrix(time));
            p1 = transformPoint(p1, m_parent->getMatrix(ahead));
        }
        const float dx = p1.x - p0.x, dy = p1.y - p0.y, dz = p1.z - p0.z;
        if (m_headingController == ControlAlignToPath)
            angles.y = std::atan2(dx, dz);
        if (m_pitchController == ControlAlignToPath)
            angles.x = std::atan2(dy, std::sqrt(dx * dx + dz * dz));
    }
    m_evaluatingAngles = false;
    return angles;
}

Matrix4 SceneObject::rotationPart(double time)
{
    const Vector3 angles = getRotationAngles(time);
    // The axis rotations take the x- and z-angles negated, so that each
    // axis turns by its channel value.
    const float byAxis[3] = {-angles.x, angles.y, -angles.z};
    auto axis = [&](int32_t selector) {
        const float angle = (selector >= 0 && selector < 3) ? byAxis[selector] : 0.0f;
        return axisRotation(selector, angle);
    };
    Matrix4 m = product(axis(m_rotationOrder[2]), axis(m_rotationOrder[1]));
    m = product(m, axis(m_rotationOrder[0]));
    m = product(m, axisRotation(2, m_pivotRotation[2]));
    m = product(m, axisRotation(0, m_pivotRotation[0]));
    return product(m, axisRotation(1, m_pivotRotation[1]));
}

Matrix4 SceneObject::composeMotion(double time, bool withParent)
{
    Matrix4 m = product(translation(-m_pivotPosition[0], -m_pivotPosition[1], -m_pivotPosition[2]),
                        scaling(m_motion[ScaleX].evaluate(time), m_motion[ScaleY].evaluate(time),
                                m_motion[ScaleZ].evaluate(time)));
    m = product(m, rotationPart(time));
    const Vector3 pos = position(time);
    m = product(m, translation(pos.x, pos.y, pos.z));
    if (withParent && m_parent)
        m = product(m, m_parent->getMatrix(time));
    return m;
}

void SceneObject::evaluateMotion(double time)
{
    static ProfileSection section("getMatrix");
    ProfileScope scope(section.index());
    if (m_useLocalMatrix) {
        m_worldMatrix = m_parent ? product(m_localMatrix, m_parent->getMatrix(time)) : m_localMatrix;
    } else if (m_body) {
        setBodyTransform(dBodyGetRotation(m_body), dBodyGetPosition(m_body));
        // The body lives in world space: no parent factor.
        Matrix4 m = product(translation(-m_pivotPosition[0], -m_pivotPosition[1], -m_pivotPosition[2]),
                            scaling(m_motion[ScaleX].evaluate(time), m_motion[ScaleY].evaluate(time),
                                    m_motion[ScaleZ].evaluate(time)));
        m_worldMatrix = product(m, m_fixedMatrix);
    } else {
        m_worldMatrix = composeMotion(time, true);
    }
    m_matrixValid = 1;
}

Matrix4 SceneObject::getMatrix(double time, bool)
{
    if (!m_matrixValid && !m_evaluatingMatrix) {
        m_evaluatingMatrix = true;
        evaluateMotion(time);
        m_evaluatingMatrix = false;
    }
    return m_worldMatrix;
}

void SceneObject::computeInvMatrix(double time)
{
    static ProfileSection section("getInvMatrix");
    ProfileScope scope(section.index());
    Matrix4::inverseAffine(m_invWorldMatrix, getMatrix(time, false));
    m_invMatrixValid = 1;
}

Matrix4 SceneObject::getInvMatrix(double time, bool)
{
    if (!m_invMatrixValid)
        computeInvMatrix(time);
    return m_invWorldMatrix;
}

Matrix4 SceneObject::getWorldRotation(double time)
{
    Matrix4 m = rotationPart(time);
    if (m_parent && !m_evaluatingMatrix) {
        m_evaluatingMatrix = true;
        m = product(m, m_parent->getWorldRotation(time));
        m_evaluatingMatrix = false;
    }
    return m;
}

Matrix4 SceneObject::getLocalMatrix(double time)
{
    return composeMotion(time, false);
}

void SceneObject::getOdeRotation(dMatrix3 rotation, double time)
{
    const Matrix4 w = getWorldRotation(time);
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col)
            rotation[row * 4 + col] = w.at(col, row);
        rotation[row * 4 + 3] = 0.0;
    }
}

void SceneObject::setBodyTransform(const dReal* r, const dReal* pos)
{
    Matrix4& m = m_fixedMatrix;
    for (int row = 0; row < 3; ++row) {
        m.at(row, 0) = float(r[row]);
        m.at(row, 1) = float(r[row + 4]);
        m.at(row, 2) = float(r[row + 8]);
        m.at(row, 3) = 0.0f;
    }
    m.at(3, 0) = float(pos[0]);
    m.at(3, 1) = float(pos[1]);
    m.at(3, 2) = float(pos[2]);
    m.at(3, 3) = 1.0f;
}

void SceneObject::setPosition(const float p[3])
{
    for (int i = 0; i < 3; ++i) {
        float v = p[i];
        if (m_limitPosition)
            v = clampTo(v, m_minPosition[i], m_maxPosition[i]);
        m_motion[PositionX + i].m_value = v;
    }
    if (!m_body)
        return;
    Vector3 at = position(0.0);
    if (m_parent)
        at = transformPoint(at, m_parent->getMatrix(0.0, true));
    dBodySetPosition(m_body, at.x, at.y, at.z);
    dBodySetLinearVel(m_body, 0, 0, 0);
    dBodySetAngularVel(m_body, 0, 0, 0);
    dBodySetForce(m_body, 0, 0, 0);
    dBodySetTorque(m_body, 0, 0, 0);
}

void SceneObject::setRotation(const float a[3], bool clamp)
{
    float pitch = -a[0], heading = a[1], bank = -a[2];
    if (clamp) {
        if (m_rotationLimitFlags & 1)
            pitch = clampTo(pitch, m_minRotation[0], m_maxRotation[0]);
        if (m_rotationLimitFlags & 2)
            heading = clampTo(heading, m_minRotation[1], m_maxRotation[1]);
        if (m_rotationLimitFlags & 4)
            bank = clampTo(bank, m_minRotation[2], m_maxRotation[2]);
    }
    m_motion[RotationH].m_value = heading;
    m_motion[RotationP].m_value = pitch;
    m_motion[RotationB].m_value = bank;
    if (m_body) {
        dMatrix3 r;
        getOdeRotation(r, 0.0);
        dBodySetRotation(m_body, r);
    }
}

void SceneObject::translate(const float d[3])
{
    float now[3], moved[3];
    for (int i = 0; i < 3; ++i) {
        now[i] = m_motion[PositionX + i].m_value;
        moved[i] = now[i] + d[i];
    }
    if (m_limitPosition) {
        // A step that runs far past a bound is taken as a jump that the
        // limit cannot make sense of, and is dropped rather than clamped.
        float clamped[3];
        double overshoot = 0.0, kept = 0.0;
        for (int i = 0; i < 3; ++i) {
            clamped[i] = clampTo(moved[i], m_minPosition[i], m_maxPosition[i]);
            overshoot += double(moved[i] - clamped[i]) * (moved[i] - clamped[i]);
            kept += double(clamped[i] - now[i]) * (clamped[i] - now[i]);
        }
        if (3.0 * std::sqrt(overshoot) > std::sqrt(kept))
            return;
        std::memcpy(moved, clamped, sizeof moved);
    }
    for (int i = 0; i < 3; ++i)
        m_motion[PositionX + i].m_value = moved[i];
}

void SceneObject::setPivotPosition(const float p[3])
{
    std::memcpy(m_pivotPosition, p, sizeof m_pivotPosition);
}

SceneObject* SceneObject::nextInHierarchy() const
{
    if (!m_children.empty())
        return m_children.front();
    for (const SceneObject* node = this; node->m_parent; node = node->m_parent) {
        const std::vector<SceneObject*>& siblings = node->m_parent->m_children;
        auto it = std::find(siblings.begin(), siblings.end(), node);
        if (it != siblings.end() && ++it != siblings.end())
            return *it;
    }
    return nullptr;
}

bool SceneObject::isAncestorOf(const SceneObject* object) const
{
    for (const SceneObject* node = object; node; node = node->m_parent) {
        if (node == this)
            return true;
    }
    return false;
}

bool SceneObject::addChild(SceneObject* child)
{
    if (!child || child->isAncestorOf(this)) {
        reportError("scene item cannot be its own ancestor");
        return false;
    }
    if (child->m_parent)
        child->m_parent->removeChild(child);
    child->m_parent = this;
    m_children.push_back(child);
    return true;
}

void SceneObject::removeChild(SceneObject* child)
{
    auto it = std::find(m_children.begin(), m_children.end(), child);
    if (it != m_children.end())
        m_children.erase(it);
    if (child && child->m_parent == this)
        child->m_parent = nullptr;
}

void SceneObject::invalidateTree(SceneObject* root)
{
    for (SceneObject* child : root->m_children)
        invalidateTree(child);
    root->invalidateMatrices();
}

void SceneObject::forEachChild(const std::function<void(SceneObject*)>& visit)
{
    for (SceneObject* child : m_children) {
        child->forEachChild(visit);
        visit(child);
    }
}

void SceneObject::removeTree(SceneObject* object)
{
    while (!object->m_children.empty())
        removeTree(object->m_children.back());
    object->remove();
}

bool SceneObject::invalidateMatrices()
{
    m_matrixValid = 0;
    m_invMatrixValid = 0;
    m_projectionValid = 0;
    m_depthRangeSet = 0;
    return false;
}

void SceneObject::remove()
{
    if (m_parent)
        m_parent->removeChild(this);
    m_parent = nullptr;
    delete this;
}

void SceneObject::createBody()
{
    destroyBody();
    if (!m_scene)
        return;
    dMatrix3 r;
    getOdeRotation(r, 0.0);
    dMassRotate(&m_mass, r);
    // ODE aborts the process on a mass it rejects; scene data can carry one
    // (a zero radius with a mass set), so such an item simply gets no body.
    if (!dMassCheck(&m_mass)) {
        reportError("invalid mass: no rigid body made");
        return;
    }
    m_body = dBodyCreate(m_scene->m_world);
    dBodySetMass(m_body, &m_mass);
    dBodySetAutoDisableFlag(m_body, m_autoDisable);
    const Vector3 at = position(0.0);
    const float p[3] = {at.x, at.y, at.z};
    setPosition(p);
    m_motion[RotationH].m_value = m_motion[RotationH].evaluate(0.0);
    m_motion[RotationP].m_value = m_motion[RotationP].evaluate(0.0);
    m_motion[RotationB].m_value = m_motion[RotationB].evaluate(0.0);
    getOdeRotation(r, 0.0);
    dBodySetRotation(m_body, r);
}

void SceneObject::destroyBody()
{
    if (m_body) {
        dBodyDestroy(m_body);
        m_body = nullptr;
    }
}
