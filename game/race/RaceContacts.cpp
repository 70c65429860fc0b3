// What the race puts into its scene's physics: the collision spaces, the
// contact handlers by pair of surface classes and the collide filter by pair
// of spaces.
#include "game/race/Race.h"

#include "engine/scene/CollideFilter.h"
#include "engine/scene/Scene.h"
#include "game/race/ContactHandlers.h"
#include "game/race/RaceCollideFilter.h"

#include <initializer_list>
#include <memory>
#include <utility>

namespace {

using Pairs = std::initializer_list<std::pair<uint32_t, uint32_t>>;

} // namespace

void Race::createSpaces()
{
    struct SpaceDef {
        uint32_t type;
        const char* name;
        uint32_t parent;
    };
    static const SpaceDef spaces[] = {
        {1, "(default)", SpaceRecord::NoParent}, {1, "karts", SpaceDefault}, {0, "floor", SpaceDefault},
        {1, "check", SpaceDefault},              {0, "ray", SpaceDefault},   {1, "obstacles", SpaceDefault},
    };
    for (const SpaceDef& s : spaces)
        m_scene->addSpace(s.type, s.name, s.parent);
}

void Race::installContacts()
{
    ContactTable& table = m_scene->m_contactTable;
    auto install = [&](ContactHandler* handler, Pairs pairs) {
        m_contactHandlers.push_back(handler);
        for (const auto& [a, b] : pairs) {
            table.m_handlers[a][b] = handler;
            table.m_handlers[b][a] = handler;
        }
    };
    install(new WheelRoadContact(this), {{6, 10}});
    install(new WheelRoughContact(this), {{6, 12}, {6, 11}, {6, 13}});
    install(new FinishLineContact(this), {{2, 9}, {6, 9}});
    install(new CoinContact(this), {{2, 8}, {6, 8}});
    install(new ItemPickupContact(this), {{2, 7}, {6, 7}});
    install(new SpecialPickupContact(this), {{2, 5}, {6, 5}});
    install(new KartKartContact(this), {{2, 2}});
    install(new ChassisScrapeContact(this), {{2, 10}, {2, 11}, {2, 13}, {2, 12}, {2, 20}, {6, 20}});
    install(new WheelChassisContact(this), {{6, 2}});
    install(new ProjectileKartContact(this), {{30, 6}, {30, 2}});
    install(new GroundRayContact(this), {{3, 10}, {3, 12}, {3, 11}, {3, 13}});
    install(new Class29FloorContact(this), {{29, 10}, {29, 12}, {29, 11}, {29, 13}});
    install(new Class25Contact(this), {{25, 2}, {25, 6}});
    install(new HammerPickupContact(this), {{17, 2}, {17, 6}});
    install(new HealthPickupContact(this), {{15, 2}, {15, 6}});
    install(new QuadDamagePickupContact(this), {{16, 2}, {16, 6}});
    install(new EffectGroundContact(this), {{31, 10}, {31, 11}, {31, 13}, {31, 12}});
    install(new ProjectileWallContact(this), {{30, 20}});
    install(new Class35Contact(this), {{35, 10}, {35, 12}, {35, 11}, {35, 13}, {35, 2}});

    // Karts meet karts, the floor, checkpoints and obstacles; the rays only
    // the floor; obstacles the floor and each other (the fixed meshes among
    // them excepted).
    m_collideFilter = new RaceCollideFilter();
    CollideFilterTable& filters = m_scene->m_collideFilterTable;
    for (const auto& [a, b] : Pairs{{SpaceKarts, SpaceKarts},
                                    {SpaceKarts, SpaceFloor},
                                    {SpaceKarts, SpaceCheck},
                                    {SpaceKarts, SpaceObstacles},
                                    {SpaceFloor, SpaceRay},
                                    {SpaceFloor, SpaceObstacles},
                                    {SpaceObstacles, SpaceObstacles}}) {
        filters.m_filters[a][b] = m_collideFilter;
        filters.m_filters[b][a] = m_collideFilter;
    }
}
