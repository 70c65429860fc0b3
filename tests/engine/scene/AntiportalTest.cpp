#include "engine/core/base/EngineLog.h"
#include "engine/scene/Antiportal.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "tools/lib/TriangleWriter.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>

namespace {

// A camera at the origin looking along +Z with a unit lens: clip (x, y, w) =
// view (x, y, z). Permuting the axes puts the eye on the X or Y axis instead;
// both permutations are rotations, so no side flips.
Matrix4 lookAlong(int axis)
{
    Matrix4 m;
    const int clipColumn[3][3] = {{3, 0, 1}, {1, 3, 0}, {0, 1, 3}}; // [axis][object coordinate]
    for (int c = 0; c < 3; ++c)
        m.at(c, clipColumn[axis][c]) = 1.0f;
    m.at(2, 2) += axis == 2 ? 1.0f : 0.0f; // some depth; the test never reads it
    return m;
}

// A rectangle across `axis` at `distance`, spanning [0, 2] x [-1, 1] in the
// other two coordinates; its triangle faces the origin when `facing`.
TriangleSource* rectangle(int axis, float distance, bool facing)
{
    auto point = [&](float u, float v) {
        float p[3];
        p[axis] = distance;
        p[(axis + 1) % 3] = u;
        p[(axis + 2) % 3] = v;
        return std::vector<float>{p[0], p[1], p[2]};
    };
    std::vector<float> positions;
    for (auto [u, v] : {std::pair{0.0f, -1.0f}, {2.0f, -1.0f}, {0.0f, 1.0f}, {2.0f, 1.0f}}) {
        auto p = point(u, v);
        positions.insert(positions.end(), p.begin(), p.end());
    }
    // (1 - 0) x (2 - 0) points along +axis for these cyclic coordinates.
    std::vector<uint32_t> indices = facing == (distance < 0) ? std::vector<uint32_t>{0, 1, 2, 2, 1, 3}
                                                             : std::vector<uint32_t>{0, 2, 1, 1, 2, 3};
    auto* mesh = new TriangleSource(positions, indices);
    Vector3 lo{positions[0], positions[1], positions[2]}, hi = lo;
    for (size_t i = 0; i < positions.size(); i += 3) {
        lo = {std::min(lo.x, positions[i]), std::min(lo.y, positions[i + 1]), std::min(lo.z, positions[i + 2])};
        hi = {std::max(hi.x, positions[i]), std::max(hi.y, positions[i + 1]), std::max(hi.z, positions[i + 2])};
    }
    mesh->setMinMax(lo, hi);
    mesh->m_name = "Occluder";
    return mesh;
}

class AntiportalTest : public testing::Test {
protected:
    Antiportal* make(TriangleSource* mesh)
    {
        m_mesh.reset(mesh);
        auto* portal = new Antiportal(m_scene);
        m_portals.emplace_back(portal);
        portal->setName("Wall");
        portal->addLod(mesh, 0.0f);
        portal->m_lods[0]->owned = 0;
        portal->initialize();
        return portal;
    }

    // A clip-space point along the view axis: (x, y, depth unused, w).
    static bool hides(const Antiportal& p, float x, float y, float w)
    {
        const float clip[4] = {x, y, 0.0f, w};
        return p.occludesPoint(clip);
    }

    SceneManager m_manager{nullptr, "portals"};
    Scene* m_scene = m_manager.loadScene("portals");
    std::unique_ptr<TriangleSource> m_mesh;
    std::vector<std::unique_ptr<Antiportal>> m_portals;
};

} // namespace

TEST_F(AntiportalTest, HidesWhatLiesBehindTheRectangleSeenAlongEachAxis)
{
    for (int axis = 0; axis < 3; ++axis) {
        SCOPED_TRACE(axis);
        Antiportal* p = make(rectangle(axis, 5.0f, true));
        ASSERT_TRUE(p->updatePlanes(lookAlong(axis)));
        // The rectangle covers x/w in [0, 0.4] and y/w in [-0.2, 0.2].
        EXPECT_TRUE(hides(*p, 1.0f, 0.0f, 10.0f)) << "behind the middle";
        EXPECT_TRUE(hides(*p, 3.9f, 1.9f, 10.0f)) << "behind a corner";
        EXPECT_FALSE(hides(*p, 1.0f, 0.0f, 4.0f)) << "between the eye and the rectangle";
        EXPECT_FALSE(hides(*p, 4.1f, 0.0f, 10.0f)) << "beside it";
        EXPECT_FALSE(hides(*p, 1.0f, -2.1f, 10.0f)) << "below it";
        EXPECT_FALSE(hides(*p, 0.0f, 0.0f, 10.0f)) << "exactly on a side plane";
    }
}

TEST_F(AntiportalTest, ABoxIsHiddenOnlyWhenEveryCornerIs)
{
    Antiportal* p = make(rectangle(2, 5.0f, true));
    ASSERT_TRUE(p->updatePlanes(lookAlong(2)));
    float box[32];
    for (int i = 0; i < 8; ++i) {
        box[4 * i + 0] = (i & 4) ? 1.5f : 0.5f;
        box[4 * i + 1] = (i & 2) ? 0.5f : -0.5f;
        box[4 * i + 2] = 0.0f;
        box[4 * i + 3] = (i & 1) ? 12.0f : 8.0f;
    }
    EXPECT_TRUE(p->occludesBox(box));
    box[4 * 7 + 0] = 5.0f; // one corner beyond the right side plane
    EXPECT_FALSE(p->occludesBox(box));
}

TEST_F(AntiportalTest, AnEyeBehindOrInThePlaneGetsNoCulling)
{
    Antiportal* away = make(rectangle(2, 5.0f, false));
    EXPECT_FALSE(away->updatePlanes(lookAlong(2))) << "the rectangle faces away from the eye";

    Antiportal* edgeOn = make(rectangle(2, 0.0f, true));
    EXPECT_FALSE(edgeOn->updatePlanes(lookAlong(2))) << "the eye lies in the rectangle's plane";

    Antiportal* opposite = make(rectangle(2, -5.0f, true));
    Matrix4 turned = lookAlong(2); // looking along -Z: x and depth flip
    turned.at(0, 0) = -1.0f;
    turned.at(2, 3) = -1.0f;
    EXPECT_TRUE(opposite->updatePlanes(turned)) << "the same rectangle kind seen from its own front";
    EXPECT_TRUE(hides(*opposite, -1.0f, 0.0f, 10.0f));
}

TEST_F(AntiportalTest, ABoxThatIsNotFlatIsLoggedAndHidesNothing)
{
    std::ostringstream log;
    setEngineLogSink(&log);
    auto* mesh = rectangle(2, 5.0f, true);
    mesh->setMinMax(Vector3(0, -1, 5), Vector3(2, 1, 6));
    Antiportal* p = make(mesh);
    setEngineLogSink(nullptr);
    EXPECT_EQ(log.str(), "Antiportal Wall:Occluder is not axisaligned!\n");
    p->updatePlanes(lookAlong(2));
    EXPECT_FALSE(hides(*p, 1.0f, 0.0f, 10.0f));
}

TEST_F(AntiportalTest, ARemovedAntiportalLeavesTheScenesList)
{
    auto* portal = new Antiportal(m_scene);
    m_scene->m_objects.push_back(portal);
    m_scene->m_antiportals.push_back(portal);
    m_scene->removeObject(portal);
    EXPECT_TRUE(m_scene->m_antiportals.empty());
}
