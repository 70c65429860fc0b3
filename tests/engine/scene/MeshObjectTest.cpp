#include "engine/core/math/BoundingBox.h"
#include "engine/scene/Camera.h"
#include "engine/scene/Envelope.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "engine/scene/SoundEmitter.h"
#include "support/RecordedReports.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

// A layer mesh as far as the mesh object sees it: bounds and a layer.
class TestMesh : public BoundingBox {
public:
    explicit TestMesh(int32_t layer) : BoundingBox(nullptr, nullptr)
    {
        m_layer = layer;
        setMinMax(Vector3(-1, -1, -1), Vector3(1, 1, 1));
    }
    void computeBounds() override { ++m_initialized; }
    const Vector3* points() override { return m_corners; }
    void clearFrameFlag() override { ++m_cleared; }
    void render() override {}

    int m_initialized = 0;
    int m_cleared = 0;
};

// Writes every call into a shared log, which outlives it.
class LoggedEmitter : public SoundEmitter {
public:
    explicit LoggedEmitter(std::vector<std::string>& log) : m_log(log)
    {
        m_range = 10.0f;
        m_baseVolume = 0.8f;
    }
    void start(bool loop) override
    {
        m_log.push_back(loop ? "start loop" : "start");
        m_playing = true;
    }
    void stop() override
    {
        m_log.push_back("stop");
        m_playing = false;
    }
    void setVolume(float volume) override { m_log.push_back("volume " + std::to_string(volume)); }
    bool isPlaying() const override { return m_playing; }
    void setPosition(const Vector3& p) override
    {
        m_log.push_back("at " + std::to_string(int(p.x)) + " " + std::to_string(int(p.y)) + " " +
                        std::to_string(int(p.z)));
    }
    void setConeAngles(float inner, float outer) override
    {
        m_log.push_back("cone " + std::to_string(inner) + " " + std::to_string(outer));
    }
    void applyDistanceParameters() override { m_log.push_back("distances"); }

    std::vector<std::string>& m_log;
    bool m_playing = false;
};

class MeshObjectTest : public testing::Test {
protected:
    SceneManager m_manager{nullptr, "meshes"};
    Scene* m_scene = m_manager.loadScene("lod");
    MeshObject* m_object = m_scene->addNullObject("tree", m_scene->m_root);
    TestMesh m_near{0}, m_middle{1}, m_far{2};
};

} // namespace

TEST_F(MeshObjectTest, LevelOfDetailFollowsDistanceAndBias)
{
    EXPECT_EQ(m_object->selectLod(10.0f), nullptr);
    m_object->addLod(&m_far, 50.0f);
    EXPECT_EQ(m_object->selectLod(0.0f), &m_far); // one record: always it
    m_object->addLod(&m_near, 10.0f);
    m_object->addLod(&m_middle, 30.0f);
    ASSERT_EQ(m_object->m_lods.size(), 3u);
    EXPECT_EQ(m_object->m_lods[0]->switchDistance, 10.0f);
    EXPECT_EQ(m_object->m_lods[1]->switchDistance, 30.0f);
    EXPECT_EQ(m_object->m_lods[2]->switchDistance, 50.0f);
    EXPECT_EQ(m_object->firstLodMesh(), &m_near);
    EXPECT_EQ(m_object->meshId(), 0);

    struct Case {
        int32_t bias;
        float distance;
        BoundingBox* expected;
    };
    const Case cases[] = {
        {0, 5.0f, &m_near},  {0, 20.0f, &m_near},   {0, 40.0f, &m_middle}, {0, 1000.0f, &m_far},
        {0, 30.0f, &m_near}, {1, 40.0f, &m_near},   {1, 1000.0f, &m_middle}, {1, 5.0f, &m_near},
        {-1, 20.0f, &m_middle}, {-5, 5.0f, &m_far},
    };
    for (const Case& c : cases) {
        m_manager.m_view.lodBias = c.bias;
        EXPECT_EQ(m_object->selectLod(c.distance), c.expected) << "bias " << c.bias << " at " << c.distance;
    }
    m_manager.m_view.lodBias = 0;

    // A tie goes in front of the record already there.
    TestMesh tie(9);
    m_object->addLod(&tie, 30.0f);
    EXPECT_EQ(m_object->m_lods[1]->mesh, &tie);
}

TEST_F(MeshObjectTest, DistanceIsMeasuredFromTheEyeToTheMeshCentre)
{
    m_near.setMinMax(Vector3(0, 0, 0), Vector3(2, 2, 2)); // centre (1, 1, 1)
    m_object->addLod(&m_near, 0.0f);
    m_object->addLod(&m_far, 25.0f);
    m_object->m_motion[PositionX].m_value = 10.0f;
    Camera* camera = m_scene->addCamera(true);
    camera->m_motion[PositionX].m_value = 11.0f;
    camera->m_motion[PositionY].m_value = 1.0f;
    camera->m_motion[PositionZ].m_value = -29.0f;
    const float distance = m_object->cameraDistance(0.0, camera);
    EXPECT_NEAR(distance, 30.0f, 1e-4f);
    EXPECT_EQ(m_object->selectLod(distance), &m_far);
}

TEST_F(MeshObjectTest, InitializeAndInvalidateReachTheMeshes)
{
    m_object->addLod(&m_near, 0.0f);
    m_object->addLod(&m_far, 100.0f);
    m_object->initialize();
    EXPECT_EQ(m_near.m_initialized, 1);
    EXPECT_EQ(m_far.m_initialized, 1);
    m_object->invalidateMatrices();
    EXPECT_EQ(m_near.m_cleared, 1);
    EXPECT_EQ(m_far.m_cleared, 0);
}

TEST_F(MeshObjectTest, CloneCopiesRecordsAndNamedValuesItOwns)
{
    m_object->addLod(&m_near, 0.0f);
    m_object->addLod(&m_far, 40.0f);
    auto value = std::make_unique<AnimatedValue>(2.0f);
    value->m_name = "Morph.Smile";
    auto envelope = std::make_unique<Envelope>();
    envelope->addKeyLinear(0.0f, 0.0f);
    envelope->addKeyLinear(1.0f, 1.0f);
    value->m_envelope = std::move(envelope);
    m_object->m_namedValues.push_back(std::move(value));

    std::unique_ptr<SceneObject> copy(m_object->clone());
    m_object->remove(); // the source and everything it owns go first
    auto* mesh = static_cast<MeshObject*>(copy.get());
    ASSERT_EQ(mesh->m_lods.size(), 2u);
    EXPECT_EQ(mesh->selectLod(100.0f), &m_far);
    AnimatedValue* smile = mesh->findByName("Morph.Smile");
    ASSERT_NE(smile, nullptr);
    EXPECT_FLOAT_EQ(smile->evaluate(0.5), 0.5f);
    EXPECT_EQ(mesh->findByName("Morph.Smil"), nullptr);
    // The copy is listed nowhere: deleting it directly is its owner's job.
    EXPECT_EQ(m_scene->objectCount(), 1);
}

TEST_F(MeshObjectTest, ExtremeBiasesClampToTheFirstAndLastRecord)
{
    m_object->addLod(&m_near, 0.0f);
    m_object->addLod(&m_middle, 10.0f);
    m_object->addLod(&m_far, 20.0f);
    const struct {
        int32_t bias;
        float distance;
        BoundingBox* expected;
    } cases[] = {
        {INT32_MIN, 0.0f, &m_far},   {INT32_MIN, 100.0f, &m_far}, {INT32_MIN + 1, 15.0f, &m_far},
        {INT32_MAX, 100.0f, &m_near}, {INT32_MAX, 0.0f, &m_near},
    };
    for (const auto& c : cases) {
        m_manager.m_view.lodBias = c.bias;
        EXPECT_EQ(m_object->selectLod(c.distance), c.expected) << "bias " << c.bias << " at " << c.distance;
    }
    m_manager.m_view.lodBias = 0;
}

// The sound follows its object: started silent, placed and made audible
// while the listener is within half the square of its range, stopped beyond
// it, and stopped when the object goes.
TEST_F(MeshObjectTest, TheSoundEmitterFollowsItsObjectWithinReach)
{
    std::vector<std::string> log;
    m_object->m_soundEmitter = std::make_unique<LoggedEmitter>(log);
    m_object->m_motion[PositionX].m_value = 3.0f;
    m_scene->m_soundVolume = 0.5f;
    m_object->initialize();
    EXPECT_EQ(log, (std::vector<std::string>{"start loop", "volume 0.000000"}));

    MeshObject* listener = m_scene->addNullObject("ear", m_scene->m_root);
    const std::string cone = "cone " + std::to_string(6.2831855f) + " " + std::to_string(6.2831855f);
    struct Case {
        float listenerX;
        bool playingBefore;
        std::vector<std::string> calls;
    };
    // Range 10: heard while the squared distance is at most 50.
    const Case cases[] = {
        {10.0f, true, {"at 3 0 0", cone, "distances", "volume 0.400000"}},
        {10.0f, false, {"at 3 0 0", cone, "distances", "volume 0.400000", "start loop"}},
        {-4.0f, true, {"at 3 0 0", cone, "distances", "volume 0.400000"}},
        {11.0f, true, {"stop"}},
    };
    for (const Case& c : cases) {
        log.clear();
        listener->m_motion[PositionX].m_value = c.listenerX;
        listener->invalidateMatrices();
        m_object->invalidateMatrices();
        static_cast<LoggedEmitter&>(*m_object->m_soundEmitter).m_playing = c.playingBefore;
        m_object->updateSound(listener, 0.0);
        EXPECT_EQ(log, c.calls) << "listener at " << c.listenerX;
    }

    RecordedReports reports;
    log.clear();
    m_object->updateSound(nullptr, 0.0);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(reports.last(), "listener");

    // A copy carries no emitter of its own; the object's goes with it.
    std::unique_ptr<SceneObject> copy(m_object->clone());
    EXPECT_EQ(static_cast<MeshObject*>(copy.get())->m_soundEmitter, nullptr);
    log.clear();
    m_object->remove();
    EXPECT_EQ(log, (std::vector<std::string>{"stop"}));
}
