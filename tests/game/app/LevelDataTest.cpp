// Every level of our packed data set, read through data.sar as the race
// reads it: the scene loads through the engine with what the race looks up
// in it (cameras, the grid, the check boxes, the pickups), every AI path
// point lies on a floor the race's height probe reaches, the position map
// grows along the first path, the map rectangles hold the paths, and the
// pictures the HUD, the loading screen and the menu show are there.
#include "engine/core/archive/ArchiveFile.h"
#include "engine/core/io/DiskFile.h"
#include "engine/core/image/ImageFile.h"
#include "engine/core/render/Renderer.h"
#include "engine/scene/CollisionObject.h"
#include "engine/scene/NearCallback.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "game/app/GameConfig.h"
#include "game/race/ColourMap.h"
#include "game/race/GroundMap.h"
#include "game/race/Path.h"
#include "platform/d3d9/D3D9Backend.h"
#include "support/RendererRig.h"
#include "support/ScopedWorkingDirectory.h"

#include <gtest/gtest.h>

#include <tinyxml.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

const char* const kMenuFolder = "D:\\ZoPrax9\\menu\\";
// The race's probe: a ray from this far below a path point straight up,
// twice as long.
constexpr float kProbeBelow = 100.0f;
constexpr uint32_t kProbeClass = 29;
constexpr uint32_t kRaySpace = 4;
constexpr uint32_t kFloorSpace = 2;

std::vector<uint8_t> readAll(Stream& files, const std::string& name)
{
    std::vector<uint8_t> bytes;
    std::unique_ptr<Stream> file = files.clone();
    if (!file->openRead(name.c_str()))
        return bytes;
    bytes.resize(file->length);
    if (file->length && file->read(bytes.data(), file->length) != file->length)
        bytes.clear();
    file->close();
    return bytes;
}

bool holds(const MapRect& r, const Vector3& p)
{
    return p.x >= r.xmin && p.x <= r.xmax && p.z >= r.zmin && p.z <= r.zmax;
}

// Notes the height of every floor the probe ray meets; creates no contact.
class FloorProbe : public ContactHandler {
public:
    ContactHandler onContact(const dContactGeom& contact) override
    {
        heights.push_back(float(contact.pos[1]));
        ContactHandler answer(*this);
        answer.m_createContact = false;
        return answer;
    }
    std::vector<float> heights;
};

class LevelData : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string archive = std::string(std::getenv("VORLUND_BINARY_DIR")) + "/bin/data.sar";
        DiskFile disk("");
        ASSERT_TRUE(m_archive.mount(disk, archive.c_str())) << archive;
        ASSERT_TRUE(m_config.loadConfig(m_archive)) << m_config.error();
        selectD3D9Backend(D3D9Backend::Recording);
        ASSERT_TRUE(m_rig.start());
    }
    void TearDown() override { selectD3D9Backend(D3D9Backend::Default); }

    // The level names config.xml gives, whether or not the game could add
    // them.
    std::vector<std::string> namedLevels()
    {
        const std::vector<uint8_t> bytes = readAll(m_archive, "config.xml");
        std::string text(bytes.begin(), bytes.end());
        TiXmlDocument doc;
        doc.Parse(text.c_str());
        std::vector<std::string> names;
        const TiXmlElement* levels = doc.FirstChildElement("vrl9") ? doc.FirstChildElement("vrl9")->FirstChildElement("levels") : nullptr;
        for (const TiXmlElement* l = levels ? levels->FirstChildElement("level") : nullptr; l; l = l->NextSiblingElement("level"))
            names.push_back(l->Attribute("name") ? l->Attribute("name") : "");
        return names;
    }

    void checkLevel(const LevelInfo& level);

    ScopedWorkingDirectory m_folder{"level_data"};
    ArchiveFile m_archive;
    GameConfig m_config;
    RendererRig m_rig;
};

std::vector<CollisionObject*> objectsNamed(Scene& scene, const std::string& name)
{
    std::vector<CollisionObject*> out;
    for (MeshObject* o : scene.m_objects)
        if (o->m_name == name)
            out.push_back(o->m_itemType == ItemCollision ? static_cast<CollisionObject*>(o) : nullptr);
    return out;
}

void LevelData::checkLevel(const LevelInfo& level)
{
    SCOPED_TRACE(level.name);
    SceneManager manager(m_rig.renderer.get(), "metascene");
    Scene* scene = manager.loadScene("scene");
    ASSERT_TRUE(scene->loadLWS(&m_archive, level.filename, nullptr, 0.0f, 0.7f)) << level.filename;
    EXPECT_GE(scene->cameraCount(), 1);

    // The grid: start slots 0 to 6 in order.
    EXPECT_EQ(objectsNamed(*scene, "start").size(), 7u);
    // Three check boxes in the race's order, in the check space.
    const std::vector<CollisionObject*> checks = objectsNamed(*scene, "check");
    ASSERT_EQ(checks.size(), 3u);
    for (CollisionObject* c : checks) {
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->m_shapeType, uint32_t(ShapeBox));
        EXPECT_EQ(c->m_surfaceClass, 9u);
        EXPECT_EQ(c->m_spaceIndex, 3u);
    }
    // Pickups collide in the check space with their own classes; twelve
    // coins make a coin race.
    const struct {
        const char* file;
        uint32_t surfaceClass;
    } pickups[] = {{"coin.lwo", 8},          {"extra_addon.lwo", 7},  {"spezial_addon.lwo", 5},
                   {"health_addon.lwo", 15}, {"hammer_addon.lwo", 17}, {"quaddamage_addon.lwo", 16}};
    for (const auto& p : pickups) {
        const std::vector<CollisionObject*> found = objectsNamed(*scene, std::string("D:\\Zoprax9/3dobjects_extras/") + p.file);
        if (p.surfaceClass == 8)
            EXPECT_EQ(found.size(), 12u);
        for (CollisionObject* c : found) {
            ASSERT_NE(c, nullptr) << p.file;
            EXPECT_EQ(c->m_surfaceClass, p.surfaceClass) << p.file;
            EXPECT_EQ(c->m_spaceIndex, 3u) << p.file;
            EXPECT_NE(c->firstLodMesh(), nullptr) << p.file;
        }
    }

    // The race's spaces, and a ray that meets only floors.
    scene->addSpace(1, "(default)", SpaceRecord::NoParent);
    scene->addSpace(1, "karts", 0);
    scene->addSpace(0, "floor", 0);
    scene->addSpace(1, "check", 0);
    scene->addSpace(0, "ray", 0);
    scene->addSpace(1, "obstacles", 0);
    CollideFilter rayMeetsFloor(true);
    scene->m_collideFilterTable.m_filters[kRaySpace][kFloorSpace] = &rayMeetsFloor;
    scene->m_collideFilterTable.m_filters[kFloorSpace][kRaySpace] = &rayMeetsFloor;
    FloorProbe probe;
    for (uint32_t floor = 10; floor <= 13; ++floor)
        scene->m_contactTable.m_handlers[kProbeClass][floor] = scene->m_contactTable.m_handlers[floor][kProbeClass] = &probe;
    manager.prepare(nullptr);
    const float unit[3] = {1.0f, 1.0f, 1.0f};
    CollisionObject* ray = scene->addCollisionObject(ShapeRay, kProbeClass, kRaySpace, unit, "");
    ASSERT_NE(ray->m_geom, nullptr);
    auto floorsUnder = [&](const Vector3& p) {
        probe.heights.clear();
        dGeomRaySet(ray->m_geom, p.x, -kProbeBelow, p.z, 0.0, 1.0, 0.0);
        dGeomRaySetLength(ray->m_geom, 2.0 * kProbeBelow);
        dSpaceCollide(scene->m_spaces[0].space, scene, nearCallback);
        dJointGroupEmpty(scene->m_contactGroup);
        return probe.heights;
    };

    // Every lane: a loop whose points all lie on a floor in the probe's
    // reach, inside every map rectangle.
    ASSERT_GE(level.lanes, 1);
    ASSERT_LE(level.lanes, 9);
    std::vector<Path> paths(size_t(level.lanes));
    for (int32_t lane = 1; lane <= level.lanes; ++lane) {
        char name[16];
        std::snprintf(name, sizeof name, "path%02d.dat", lane);
        Path& path = paths[size_t(lane - 1)];
        ASSERT_TRUE(path.load(m_archive, (level.aiPath + name).c_str())) << level.aiPath << name;
        EXPECT_TRUE(path.closed);
        // The race keeps the heights written rather than probing for them.
        EXPECT_EQ(path.spareFlag, 1);
        int offFloor = 0, outside = 0;
        for (const Vector3& p : path.points) {
            // A ray exactly along a triangle's edge may slip between the
            // two triangles: the point counts as on the floor when the
            // floor is found at it or a hand's breadth beside it.
            bool onFloor = false;
            for (const Vector3& d : {Vector3(0, 0, 0), Vector3(0.05f, 0, 0.03f), Vector3(-0.04f, 0, -0.05f)})
                for (float h : floorsUnder(p + d))
                    onFloor = onFloor || std::fabs(h - p.y) < 0.3f;
            offFloor += onFloor && std::fabs(p.y) < kProbeBelow ? 0 : 1;
            for (const MapRect* r : {&level.minimapRect, &level.posmapRect, &level.colormapRect})
                outside += holds(*r, p) ? 0 : 1;
        }
        EXPECT_EQ(offFloor, 0) << name << ": points without a floor under them";
        EXPECT_EQ(outside, 0) << name << ": points outside a map rectangle";
    }

    // The position map grows along the first path, which runs from the
    // finish line round to it, and falls back only across the line; where the track passes over itself the map
    // cannot tell the two roads apart and is not asked.
    const MapRect& r = level.posmapRect;
    const GroundMap posmap(m_archive, level.posmap.c_str(), r.xmin, r.xmax, r.zmin, r.zmax);
    ASSERT_TRUE(posmap.loaded()) << level.posmap;
    const std::vector<Vector3>& first = paths[0].points;
    std::vector<float> along(first.size(), 0.0f);
    for (size_t i = 1; i < first.size(); ++i)
        along[i] = along[i - 1] + float((first[i] - first[i - 1]).length());
    const float lap = paths[0].totalLength;
    auto overOrUnder = [&](size_t i) {
        for (size_t j = 0; j < first.size(); ++j) {
            const float apart = std::fabs(along[i] - along[j]);
            if (std::min(apart, lap - apart) > 60.0f && std::hypot(first[i].x - first[j].x, first[i].z - first[j].z) < 20.0f)
                return true;
        }
        return false;
    };
    int falls = 0, previous = -1;
    for (size_t i = 0; i < first.size(); ++i) {
        if (overOrUnder(i))
            continue;
        const int v = posmap.valueAt(first[i]);
        EXPECT_GT(v, 0);
        EXPECT_LT(v, 255);
        if (previous >= 0 && v < previous) {
            ++falls;
            EXPECT_LT(std::min(along[i], lap - along[i]), 10.0f) << "the value falls away from the finish line";
        }
        previous = v;
    }
    EXPECT_LE(falls, 1);
    EXPECT_GT(posmap.valueAt(first[first.size() / 2]), 100);

    // The colour map, the HUD's map, the loading screen's picture.
    const MapRect& c = level.colormapRect;
    const ColourMap colours(m_archive, level.colormap.c_str(), c.xmin, c.xmax, c.zmin, c.zmax);
    EXPECT_TRUE(colours.loaded()) << level.colormap;
    const std::vector<uint8_t> minimap = readAll(m_archive, kMenuFolder + level.minimap);
    ASSERT_GT(minimap.size(), 8u) << level.minimap;
    EXPECT_EQ(std::memcmp(minimap.data(), "\x89PNG", 4), 0);
    std::unique_ptr<ImageFile> loading = loadImage(m_archive, (kMenuFolder + level.loadingscreen).c_str(), 0);
    ASSERT_NE(loading, nullptr) << level.loadingscreen;
    EXPECT_EQ(loading->width, 1920);
    EXPECT_EQ(loading->height, 1080);
}

TEST_F(LevelData, EveryLevelConfigNamesIsInTheArchive)
{
    const std::vector<std::string> named = namedLevels();
    ASSERT_FALSE(named.empty());
    for (const std::string& name : named)
        EXPECT_NE(m_config.findLevel(name), nullptr) << name << " is named but its scene is missing";
    EXPECT_EQ(m_config.levels().size(), named.size());
}

TEST_F(LevelData, EveryLevelHoldsWhatTheRaceReads)
{
    ASSERT_FALSE(m_config.levels().empty());
    for (const LevelInfo& level : m_config.levels())
        checkLevel(level);
}

TEST_F(LevelData, TheMenuHasAPictureOfEveryLevel)
{
    const std::vector<uint8_t> bytes = readAll(m_archive, std::string(kMenuFolder) + "Tracks.imageset");
    const std::string imageset(bytes.begin(), bytes.end());
    ASSERT_NE(imageset.find("name=\"Tracks\""), std::string::npos);
    for (const LevelInfo& level : m_config.levels())
        EXPECT_NE(imageset.find("<Image name=\"" + level.menuimage + "\""), std::string::npos) << level.menuimage;
    EXPECT_TRUE(m_archive.exists((std::string(kMenuFolder) + "Tracks.jpg").c_str()));
}

TEST_F(LevelData, EveryPickupTheRaceLooksForIsAnObject)
{
    for (const char* file : {"coin.lwo", "extra_addon.lwo", "spezial_addon.lwo", "health_addon.lwo",
                             "hammer_addon.lwo", "quaddamage_addon.lwo"}) {
        const std::vector<uint8_t> bytes = readAll(m_archive, std::string("D:\\Zoprax9/3dobjects_extras/") + file);
        ASSERT_GT(bytes.size(), 12u) << file;
        EXPECT_EQ(std::memcmp(bytes.data() + 8, "LWO2", 4), 0) << file;
    }
}

} // namespace
