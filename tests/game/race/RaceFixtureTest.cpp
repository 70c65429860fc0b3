// The race fixture's data set reads back through the game's file system as
// the race expects it.
#include "engine/core/base/Report.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "game/race/SceneLookup.h"
#include "support/RaceFixture.h"

#include <gtest/gtest.h>

namespace {

TEST(RaceFixture, KartSceneHoldsEveryNamedPart)
{
    RaceFixture fixture;
    SceneManager manager(nullptr, "metascene");
    Scene* scene = manager.loadScene("scene");
    scene->addCamera(false);
    ASSERT_TRUE(scene->loadLWS(&fixture.files(), "D:\\Zoprax9\\karts\\testkart.lws", nullptr, 0.0f, 0.7f));
    for (const char* name : {"chassis", "CameraTarget", "kartcol", "wheelFL", "wheelBR", "jointFLwheel", "jointBRwheel",
                             "jointFLsuspension", "jointBRsuspension"})
        EXPECT_NE(lookup::instance(scene, name, -1, 1), nullptr) << name;
    for (int layer : {0, 11, 5, 19, 13})
        EXPECT_NE(lookup::instance(scene, "D:\\Zoprax9/3dobjects_cars/kart_01.lwo", layer, 1), nullptr) << layer;
}

} // namespace
