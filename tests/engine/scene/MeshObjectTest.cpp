#include "engine/core/BoundingBox.h"
#include "engine/scene/Camera.h"
#include "engine/scene/Envelope.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

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
