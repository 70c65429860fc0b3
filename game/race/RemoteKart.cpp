#include "game/race/RemoteKart.h"

#include "engine/scene/CollisionObject.h"
#include "engine/scene/OdeJointItem.h"
#include "engine/scene/SceneObject.h"
#include "game/race/VectorOps.h"

void RemoteKart::makeKinematic()
{
    if (!m_root)
        return;
    m_root->forEachChild([](SceneObject* item) {
        item->invalidateMatrices();
        item->getMatrix(0.0);
    });
    m_root->forEachChild([](SceneObject* item) {
        if (item->m_itemType == ItemOdeJoint)
            static_cast<OdeJointItem*>(item)->destroyJoint();
    });
    m_root->forEachChild([](SceneObject* item) {
        if (item->m_itemType == ItemCollision) {
            // Its geom rides on no body from now on: it follows the item.
            auto* object = static_cast<CollisionObject*>(item);
            object->m_attachedTo = nullptr;
            object->destroyBody();
            object->initialize();
        } else if (item->m_itemType != ItemOdeJoint) {
            item->destroyBody();
        }
    });
    m_root->m_localMatrix = m_root->getLocalMatrix(0.0);
    m_root->m_useLocalMatrix = 1;
    SceneObject::invalidateTree(m_root);
    takeAxesFromRoot(0.0f);
}

void RemoteKart::update(float time, float dt)
{
    if (!m_root)
        return;
    const Vector3 up = vec::cross(m_side, m_forward);
    Matrix4& m = m_root->m_localMatrix;
    const Vector3 rows[4] = {m_side * -1.0f, up, m_forward, m_position};
    for (int r = 0; r < 4; ++r) {
        m.at(r, 0) = rows[r].x;
        m.at(r, 1) = rows[r].y;
        m.at(r, 2) = rows[r].z;
        m.at(r, 3) = r == 3 ? 1.0f : 0.0f;
    }
    m_root->m_useLocalMatrix = 1;
    SceneObject::invalidateTree(m_root);
    // Its geoms follow now, so that this step's contacts meet the kart
    // where its owner put it.
    m_root->getMatrix(time);
    m_root->forEachChild([time](SceneObject* item) {
        if (item->m_itemType != ItemOdeJoint)
            item->getMatrix(time);
    });
    placeGroundRay(time);
}

void RemoteKart::setTransform(const Vector3& position, const Vector3& rotation)
{
    m_position = position;
    if (!m_root)
        return;
    const float p[3] = {position.x, position.y, position.z};
    const float r[3] = {rotation.x, rotation.y, rotation.z};
    m_root->m_useLocalMatrix = 0;
    m_root->setPosition(p);
    m_root->setRotation(r, false);
    SceneObject::invalidateTree(m_root);
    m_root->m_localMatrix = m_root->getLocalMatrix(0.0);
    m_root->m_useLocalMatrix = 1;
    takeAxesFromRoot(0.0f);
}

void RemoteKart::getVelocity(Vector3& out)
{
    out = {0.0f, 0.0f, 0.0f};
}

// The axes as update() reads them back (row 2 forward, row 0 the side
// negated, the kart's own convention), so that a kart standing on the grid
// before the first pose keeps the heading it was placed with.
void RemoteKart::takeAxesFromRoot(float time)
{
    const Matrix4 world = m_root->getMatrix(time);
    m_forward = {world.at(2, 0), world.at(2, 1), world.at(2, 2)};
    m_side = Vector3{world.at(0, 0), world.at(0, 1), world.at(0, 2)} * -1.0f;
}
