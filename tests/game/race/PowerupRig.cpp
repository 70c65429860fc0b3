#include "PowerupRig.h"

#include "engine/scene/CollisionObject.h"
#include "engine/scene/Scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

// As high as the grid places: wheels that rest exactly on the ground when
// their bodies are made give the collider no contact normal.
constexpr float kAboveGround = 0.02f;

} // namespace

PowerupRig::PowerupRig(int32_t karts, const std::string& level, const std::vector<int32_t>& network)
{
    rig.setUp(karts, 1, level);
    rig.make().m_controllerMaker = [network](int32_t player) -> KartController* {
        if (std::find(network.begin(), network.end(), player) != network.end())
            return new KartController();
        return new ScriptedController(nullptr);
    };
    EXPECT_TRUE(rig.load().loaded());
}

void PowerupRig::place(int32_t i, float s, float across)
{
    const Vector3 centre = RaceFixture::ringPoint(s);
    const Vector3 d = RaceFixture::ringDirection(s);
    // Across the road: the direction turned a quarter to the right.
    kart(i).setTransform({centre.x + d.z * across, kAboveGround, centre.z - d.x * across},
                         {0.0f, std::atan2(d.x, d.z), 0.0f});
}

void PowerupRig::placeOver(int32_t i, const Vector3& at)
{
    const float s = std::atan2(at.z, at.x) * RaceFixture::kRingRadius;
    const Vector3 d = RaceFixture::ringDirection(s);
    kart(i).setTransform({at.x, kAboveGround, at.z}, {0.0f, std::atan2(d.x, d.z), 0.0f});
}

void PowerupRig::steps(int32_t n)
{
    for (int32_t k = 0; k < n; ++k)
        race().stepOnce();
}

std::vector<uint32_t> PowerupRig::cuesSince(size_t mark) const
{
    std::vector<uint32_t> out;
    for (size_t i = mark; i < rig.race->m_cues.size(); ++i)
        out.push_back(rig.race->m_cues[i].cue);
    return out;
}

int32_t PowerupRig::collisionObjects(uint32_t surfaceClass) const
{
    int32_t count = 0;
    for (MeshObject* object : rig.race->m_scene->m_objects)
        if (object->m_itemType == ItemCollision && static_cast<CollisionObject*>(object)->m_surfaceClass == surfaceClass)
            ++count;
    return count;
}
