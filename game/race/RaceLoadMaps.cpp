// The level's AI paths and the maps laid over its ground, and the paths put
// onto the floor once the level stands.
#include "game/race/Race.h"

#include "engine/core/base/Report.h"
#include "engine/scene/CollisionObject.h"
#include "engine/scene/NearCallback.h"
#include "engine/scene/Scene.h"
#include "game/app/Application.h"
#include "game/app/ConfigRecords.h"
#include "game/race/ColourMap.h"
#include "game/race/GroundMap.h"
#include "game/race/SpeedMap.h"

#include <cstdio>

namespace {

constexpr float kPi = 3.14159265358979f;
// What the height probe holds while it has found no floor.
constexpr float kNoFloor = 1000000.0f;

} // namespace

void Race::loadPaths(Stream* files, const LevelInfo& level)
{
    const MapRect& r = level.speedMapRect;
    m_speedMap = new SpeedMap(r.xmin, r.xmax, r.zmin, r.zmax);
    if (level.aiPath.empty())
        return;
    int32_t lanes = level.lanes < 0 ? 0 : level.lanes;
    if (lanes > kPathSlots) {
        // config.xml may name more lanes than the race has path slots.
        reportError(("level " + level.name + " names " + std::to_string(lanes) + " AI paths; the race takes " +
                     std::to_string(kPathSlots))
                        .c_str());
        lanes = kPathSlots;
    }
    m_pathCount = lanes;
    for (int32_t i = 0; i < lanes; ++i) {
        char name[512];
        std::snprintf(name, sizeof name, "%spath%02d.dat", level.aiPath.c_str(), i + 1);
        m_paths[i].load(*files, name);
        m_paths[i].halfWidth = 1.5f;
    }
    if (!level.speedMap.empty())
        m_speedMap->load(0, *files, (level.aiPath + level.speedMap).c_str());
}

void Race::loadMaps(Stream* files, const LevelInfo& level)
{
    if (!level.colormap.empty()) {
        const MapRect& r = level.colormapRect;
        m_colourMap = new ColourMap(*files, level.colormap.c_str(), r.xmin, r.xmax, r.zmin, r.zmax);
    }
    if (m_app)
        m_app->setLoadingProgress(0.8f);
    if (!level.posmap.empty()) {
        const MapRect& r = level.posmapRect;
        m_posMap = new GroundMap(*files, level.posmap.c_str(), r.xmin, r.xmax, r.zmin, r.zmax);
    }
    if (m_app)
        m_app->setLoadingProgress(0.85f);
}

void Race::snapPathsToFloor()
{
    const float size[3] = {1.0f, 1.0f, 1.0f};
    CollisionObject* ray = m_scene->addCollisionObject(ShapeRay, 29, SpaceRay, size, "");
    if (!ray->m_geom) {
        ray->remove();
        return;
    }
    // From 100 below each point straight up through 200.
    const float up[3] = {kPi / 2.0f, 0.0f, 0.0f};
    ray->setRotation(up, false);
    for (int32_t i = 0; i < m_pathCount; ++i) {
        Path& path = m_paths[i];
        if (path.spareFlag != 0)
            continue;
        for (Vector3& point : path.points) {
            dGeomRaySetLength(ray->m_geom, 200.0);
            const float from[3] = {point.x, -100.0f, point.z};
            ray->setPosition(from);
            ray->invalidateMatrices();
            ray->getMatrix(0.0);
            m_heightTestY = kNoFloor;
            collideSpace(m_scene, m_scene->getSpace(SpaceDefault).space);
            dJointGroupEmpty(m_scene->m_contactGroup);
            if (m_heightTestY == kNoFloor)
                reportAssertion("\"m_heightTestY != 1000000.0f\"");
            point.y = m_heightTestY;
        }
    }
    ray->remove();
}
