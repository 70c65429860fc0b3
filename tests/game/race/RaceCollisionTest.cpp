// What one simulation step hands the collider, on every level of our packed
// data set with seven karts on the grid: every pair once, never two
// triangle meshes, never two fixed objects (only the rays, which the race
// places itself, probe the fixed floor). And the race's collide filter,
// which keeps fixed meshes apart.
#include "RaceRig.h"

#include "engine/core/archive/ArchiveFile.h"
#include "engine/core/io/DiskFile.h"
#include "engine/scene/CollideFilter.h"
#include "engine/scene/CollisionObject.h"
#include "engine/scene/OdeRuntime.h"
#include "engine/scene/Scene.h"
#include "game/race/RaceCollideFilter.h"

#include <gtest/gtest.h>

#include <ode/ode.h>

#include <cstdlib>
#include <map>
#include <string>
#include <utility>

namespace {

// Notes every pair of geoms the race's filter lets through to the collider.
class CountingFilter : public CollideFilter {
public:
  explicit CountingFilter(CollideFilter *inner)
      : CollideFilter(inner->m_enabled), m_inner(inner) {}
  CollideFilter test(dGeomID first, dGeomID second) override {
    const CollideFilter answer = m_inner->test(first, second);
    if (answer.m_enabled && !dGeomIsSpace(first) && !dGeomIsSpace(second))
      ++m_pairs[first < second ? std::make_pair(first, second)
                               : std::make_pair(second, first)];
    return answer;
  }
  CollideFilter *m_inner;
  std::map<std::pair<dGeomID, dGeomID>, int> m_pairs;
};

bool isMesh(dGeomID g) { return dGeomGetClass(g) == dTriMeshClass; }

uint32_t surfaceClass(dGeomID g) {
  auto *object = static_cast<CollisionObject *>(dGeomGetData(g));
  return object ? object->m_surfaceClass : ~0u;
}

// One case per level of the data set, so that the levels load side by side;
// more levels than slots fail the first case.
constexpr int32_t kLevelSlots = 12;

class RaceCollision : public ::testing::TestWithParam<int32_t> {};

TEST_P(RaceCollision, StepHandsTheColliderEachPairOnceAndNoFixedPairs) {
  RaceRig rig;
  ArchiveFile data;
  DiskFile disk("");
  const std::string packed =
      std::string(std::getenv("VORLUND_BINARY_DIR")) + "/bin/data.sar";
  ASSERT_TRUE(data.mount(disk, packed.c_str())) << packed;
  ASSERT_TRUE(rig.app->m_config.loadConfig(data)) << rig.app->m_config.error();
  const std::vector<KartInfo> &karts = rig.app->m_config.karts();
  const std::vector<LevelInfo> &levels = rig.app->m_config.levels();
  ASSERT_FALSE(karts.empty());
  ASSERT_FALSE(levels.empty());
  ASSERT_LE(levels.size(), size_t(kLevelSlots));
  if (size_t(GetParam()) >= levels.size())
    GTEST_SKIP() << "no level " << GetParam();
  const LevelInfo &level = levels[size_t(GetParam())];
  SCOPED_TRACE(level.name);

  RaceSetup &setup = rig.setUp(Race::kMaxKarts, 1, level.name);
  for (int32_t i = 0; i < Race::kMaxKarts; ++i)
    setup.kartName[i] = karts[size_t(i) % karts.size()].name;
  // The karts stand on the grid, driven on this machine: their controllers
  // give nothing.
  TestRace &race = rig.make();
  race.m_controllerMaker = [](int32_t) { return new ScriptedController(nullptr); };
  race.load(&data, setup, &rig.input);
  ASSERT_TRUE(race.loaded());
  ASSERT_EQ(race.m_kartCount, Race::kMaxKarts);

  CountingFilter counting(race.m_collideFilter);
  CollideFilterTable &table = race.m_scene->m_collideFilterTable;
  for (auto &row : table.m_filters)
    for (CollideFilter *&entry : row)
      if (entry == race.m_collideFilter)
        entry = &counting;
  race.stepOnce();
  for (auto &row : table.m_filters)
    for (CollideFilter *&entry : row)
      if (entry == &counting)
        entry = race.m_collideFilter;

  const dSpaceID kartSpace = race.m_scene->getSpace(Race::SpaceKarts).space;
  int32_t insideKarts = 0;
  for (const auto &[pair, count] : counting.m_pairs) {
    const auto [a, b] = pair;
    const std::string what =
        std::to_string(surfaceClass(a)) + "-" + std::to_string(surfaceClass(b));
    EXPECT_EQ(count, 1) << what;
    EXPECT_FALSE(isMesh(a) && isMesh(b)) << what;
    const bool fixed = !dGeomGetBody(a) && !dGeomGetBody(b);
    EXPECT_FALSE(fixed && dGeomGetClass(a) != dRayClass &&
                 dGeomGetClass(b) != dRayClass)
        << what;
    insideKarts +=
        dGeomGetSpace(a) == kartSpace && dGeomGetSpace(b) == kartSpace ? 1 : 0;
  }
  // The karts' space is collided inside: at least every kart's wheels
  // with its chassis.
  EXPECT_GE(insideKarts, Race::kMaxKarts);
}

INSTANTIATE_TEST_SUITE_P(Levels, RaceCollision,
                         ::testing::Range(0, kLevelSlots));

// A triangle mesh of one triangle, and a sphere, each fixed or on a body.
TEST(RaceCollideFilter, KeepsFixedMeshesApart) {
  OdeRuntime::ensure();
  const dReal vertices[] = {-1, 0, -1, 1, 0, -1, 0, 0, 1};
  const dTriIndex indices[] = {0, 1, 2};
  dTriMeshDataID mesh = dGeomTriMeshDataCreate();
  dGeomTriMeshDataBuildSingle(mesh, vertices, 3 * sizeof(dReal), 3, indices, 3,
                              3 * sizeof(dTriIndex));
  dWorldID world = dWorldCreate();
  dSpaceID space = dSimpleSpaceCreate(nullptr);
  const dGeomID fixedMesh =
      dCreateTriMesh(space, mesh, nullptr, nullptr, nullptr);
  const dGeomID otherFixedMesh =
      dCreateTriMesh(space, mesh, nullptr, nullptr, nullptr);
  const dGeomID movingMesh =
      dCreateTriMesh(space, mesh, nullptr, nullptr, nullptr);
  dGeomSetBody(movingMesh, dBodyCreate(world));
  const dGeomID fixedSphere = dCreateSphere(space, 1.0);
  const dGeomID ray = dCreateRay(space, 1.0);
  const dGeomID innerSpace =
      reinterpret_cast<dGeomID>(dSimpleSpaceCreate(space));

  struct Case {
    const char *name;
    dGeomID first, second;
    bool collided;
  };
  const Case cases[] = {
      {"two fixed meshes", fixedMesh, otherFixedMesh, false},
      {"a fixed mesh and a mesh on a body", fixedMesh, movingMesh, true},
      {"a mesh on a body and a fixed mesh", movingMesh, fixedMesh, true},
      {"a fixed mesh and a sphere without a body", fixedMesh, fixedSphere,
       true},
      {"a fixed mesh and a ray", ray, fixedMesh, true},
      {"a fixed mesh and a space", fixedMesh, innerSpace, true},
  };
  RaceCollideFilter filter;
  for (const Case &c : cases)
    EXPECT_EQ(filter.test(c.first, c.second).m_enabled, c.collided) << c.name;

  dSpaceDestroy(space);
  dGeomTriMeshDataDestroy(mesh);
  dWorldDestroy(world);
}

} // namespace
