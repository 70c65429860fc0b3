#include "engine/scene/NearCallback.h"

#include "engine/core/base/Report.h"
#include "engine/scene/CollisionObject.h"
#include "engine/scene/Scene.h"

#include <cstdint>

namespace {

constexpr uint32_t NoClass = 0xFFFFFFFFu;

// A space carries its class as an integer in its user data. Anything that
// would not index the tables (a space from elsewhere, no space) is no class.
uint32_t spaceClass(dGeomID space)
{
    if (!space)
        return NoClass;
    const intptr_t value = reinterpret_cast<intptr_t>(dGeomGetData(space));
    return value >= 0 && value < intptr_t(CollideFilterTable::Size) ? uint32_t(value) : NoClass;
}

uint32_t holderClass(dGeomID geom)
{
    return spaceClass(reinterpret_cast<dGeomID>(dGeomGetSpace(geom)));
}

bool passes(Scene* scene, uint32_t a, uint32_t b, dGeomID g1, dGeomID g2)
{
    if (a == NoClass || b == NoClass)
        return false;
    return scene->m_collideFilterTable.m_filters[a][b]->test(g1, g2).m_enabled;
}

bool bodyEnabled(dBodyID body)
{
    return !body || dBodyIsEnabled(body);
}

void collideGeoms(Scene* scene, dGeomID o1, dGeomID o2)
{
    if (!passes(scene, holderClass(o1), holderClass(o2), o1, o2))
        return;
    auto* item1 = static_cast<CollisionObject*>(dGeomGetData(o1));
    auto* item2 = static_cast<CollisionObject*>(dGeomGetData(o2));
    if (!item1 || !item2) {
        reportAssertion("\"geomData1 && geomData2\"");
        return;
    }
    const uint32_t class1 = item1->m_surfaceClass, class2 = item2->m_surfaceClass;
    // Reported when the object was made; such an object collides with nothing.
    if (class1 >= ContactTable::Size || class2 >= ContactTable::Size)
        return;
    ContactHandler* handler = scene->m_contactTable.m_handlers[class1][class2];
    const dBodyID body1 = dGeomGetBody(o1), body2 = dGeomGetBody(o2);
    if (handler->m_skipIfBodyDisabled && (!bodyEnabled(body1) || !bodyEnabled(body2)))
        return;
    if (!dGeomIsEnabled(o1) || !dGeomIsEnabled(o2))
        return;
    int32_t wanted = handler->maxCollisions();
    if (wanted > ContactHandler::MaxContacts) {
        reportAssertion("\"js->maxCollisions() <= 32\"");
        wanted = ContactHandler::MaxContacts;
    }
    // ODE stops the process when asked for no contacts at all.
    if (wanted < 1)
        return;

    dContact contacts[ContactHandler::MaxContacts];
    const int n = dCollide(o1, o2, wanted, &contacts[0].geom, sizeof(dContact));
    for (int i = 0; i < n; ++i) {
        dContact& contact = contacts[i];
        const ContactHandler answer = handler->onContact(contact.geom);
        if (!answer.m_createContact)
            continue;
        // A joint needs two different bodies, or one and the static world:
        // ODE stops the process on a joint from a body to itself.
        if (body1 == body2)
            continue;
        contact.surface = answer.m_surface;
        for (int k = 0; k < 4; ++k)
            contact.fdir1[k] = answer.m_fdir1[k];
        dJointID joint = dJointCreateContact(scene->m_world, scene->m_contactGroup, &contact);
        dJointAttach(joint, body1, body2);
    }
}

// Pairs across the members of a space: a member that is a space is met with
// its members, never collided inside itself here.
void crossCallback(void* data, dGeomID o1, dGeomID o2)
{
    auto* scene = static_cast<Scene*>(data);
    const bool space1 = dGeomIsSpace(o1) != 0, space2 = dGeomIsSpace(o2) != 0;
    if (!space1 && !space2) {
        collideGeoms(scene, o1, o2);
        return;
    }
    const uint32_t class1 = space1 ? spaceClass(o1) : holderClass(o1);
    const uint32_t class2 = space2 ? spaceClass(o2) : holderClass(o2);
    if (passes(scene, class1, class2, o1, o2))
        dSpaceCollide2(o1, o2, scene, crossCallback);
}

} // namespace

void collideSpace(Scene* scene, dSpaceID space)
{
    if (!scene || !space)
        return;
    dSpaceCollide(space, scene, crossCallback);
    const int count = dSpaceGetNumGeoms(space);
    for (int i = 0; i < count; ++i) {
        const dGeomID member = dSpaceGetGeom(space, i);
        if (dGeomIsSpace(member) && passes(scene, spaceClass(member), spaceClass(member), member, member))
            collideSpace(scene, reinterpret_cast<dSpaceID>(member));
    }
}

void nearCallback(void* data, dGeomID o1, dGeomID o2)
{
    auto* scene = static_cast<Scene*>(data);
    const bool space1 = dGeomIsSpace(o1) != 0, space2 = dGeomIsSpace(o2) != 0;
    if (!space1 && !space2) {
        collideGeoms(scene, o1, o2);
        return;
    }
    if (space1 && !space2 && passes(scene, spaceClass(o1), holderClass(o2), o1, o2))
        dSpaceCollide2(o1, o2, scene, nearCallback);
    if (!space1 && space2 && passes(scene, holderClass(o1), spaceClass(o2), o1, o2))
        dSpaceCollide2(o1, o2, scene, nearCallback);
    if (space1 && passes(scene, spaceClass(o1), spaceClass(o1), o1, o1))
        dSpaceCollide(reinterpret_cast<dSpaceID>(o1), scene, nearCallback);
    if (space2 && passes(scene, spaceClass(o2), spaceClass(o2), o2, o2))
        dSpaceCollide(reinterpret_cast<dSpaceID>(o2), scene, nearCallback);
    if (space1 && space2 && passes(scene, spaceClass(o1), spaceClass(o2), o1, o2))
        dSpaceCollide2(o1, o2, scene, nearCallback);
}
