// The particle quad renderer on the recording backend: buffer sizes, the
// quads of the live records with their turn, the upload and draw, and the
// dynamic buffers across a device reset.
#include "engine/core/Renderer.h"
#include "engine/core/ShaderFloatParams.h"
#include "engine/scene/Camera.h"
#include "engine/scene/Envelope.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/ParticleRenderer.h"
#include "engine/scene/Scene.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/RecordingBackend.h"
#include "support/RecordingWorld.h"
#include "support/SceneRig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

namespace {

// A texture layer as the voxel sees it: each corner's coordinates name the
// layer and the corner, so a test can tell which slot got which.
class FakeLayer : public HyperVoxelLayer {
public:
    FakeLayer(int32_t id, bool image, int32_t blend) : m_id(id), m_image(image), m_blend(blend) {}
    bool hasImage() const override { return m_image; }
    int32_t blendMode() const override { return m_blend; }
    void quadCoordinates(const Vector3 (&corners)[4], const Vector3& normal, float (&out)[4][3]) override
    {
        for (int k = 0; k < 4; ++k) {
            out[k][0] = float(m_id);
            out[k][1] = float(k);
            out[k][2] = corners[k].z + normal.z;
        }
    }
    int32_t m_id;
    bool m_image;
    int32_t m_blend;
};

class ParticleRendererTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_rig.start());
        m_scene = m_rig.scene;
        m_camera = m_scene->addCamera(true);
        m_camera->m_motion[PositionZ].m_value = -5.0f;
        recording().clearCalls();
        m_quads = std::make_unique<ParticleRenderer>(m_rig.renderer());
        m_quads->createBuffers();
    }
    void TearDown() override
    {
        m_quads.reset();
    }

    IDirect3DDevice9* device() { return m_rig.device(); }
    RecordingBackend& recording() { return recordingBackend(device()); }
    std::vector<std::string> calls(const std::string& prefix) { return recordedCalls(device(), prefix); }
    static Particle particle(float x, float y, float z, float size, float angle)
    {
        Particle p;
        p.position[0] = x;
        p.position[1] = y;
        p.position[2] = z;
        p.size = size;
        p.angle = angle;
        p.alive = 1;
        return p;
    }

    RecordingWorld m_world;
    SceneRig m_rig;
    Scene* m_scene = nullptr;
    Camera* m_camera = nullptr;
    std::unique_ptr<ParticleRenderer> m_quads;
    Particle m_table[ParticleTableSize];
};

} // namespace

TEST_F(ParticleRendererTest, BuffersForAHundredQuads)
{
    // Position, normal, colour word and one three-coordinate slot: 40 bytes.
    const auto made = calls("createBuffer");
    ASSERT_EQ(made.size(), 2u);
    EXPECT_NE(made[0].find(" 16000 bytes vertex dynamic"), std::string::npos) << made[0];
    EXPECT_NE(made[1].find(" 1200 bytes index dynamic"), std::string::npos) << made[1];
    EXPECT_EQ(m_quads->m_capacity, 100);
    EXPECT_EQ(m_quads->m_vertices.size() * sizeof(LwVertex), 100u * 2384u);
    EXPECT_EQ(m_quads->m_indices.size(), 600u);
    EXPECT_EQ(m_quads->m_texCoordSets.size(), 100u);
}

TEST_F(ParticleRendererTest, AnUnpreparedRendererMakesItsBuffersOnItsFirstFrame)
{
    ParticleRenderer fresh(m_rig.renderer());
    m_table[0] = particle(0, 0, 0, 1, 0);
    recording().clearCalls();
    fresh.render(0.0, m_table, m_camera);
    EXPECT_EQ(calls("createBuffer").size(), 2u);
    EXPECT_EQ(calls("draw type 4 primitives 2").size(), 1u);
    fresh.render(0.0, m_table, m_camera);
    EXPECT_EQ(calls("createBuffer").size(), 2u) << "made once";
}

TEST_F(ParticleRendererTest, AnEmptyTableDrawsNothing)
{
    m_table[3] = particle(0, 0, 0, 1, 0);
    m_table[3].alive = 0;
    m_quads->render(0.0, m_table, m_camera);
    EXPECT_TRUE(calls("uploadBuffer").empty());
    EXPECT_TRUE(calls("draw").empty());
}

TEST_F(ParticleRendererTest, LiveRecordsBecomeTurnedQuads)
{
    struct Case {
        float angle;
        // Corner 0 relative to the centre (size 2): right is -X for a camera
        // looking along +Z, up is +Y.
        float x0, y0;
    };
    const Case cases[] = {{0.0f, -1.0f, 1.0f}, {90.0f, -1.0f, -1.0f}, {180.0f, 1.0f, -1.0f}, {270.0f, 1.0f, 1.0f}};
    for (const Case& c : cases) {
        for (Particle& p : m_table)
            p = Particle{};
        m_table[7] = particle(5, 0, 10, 2, c.angle);
        const Matrix4 camera = m_camera->getMatrix(0.0, true);
        const Vector3 right(-camera.at(0, 0), -camera.at(0, 1), -camera.at(0, 2));
        ASSERT_EQ(m_quads->buildQuads(m_table, right, Vector3(0, 1, 0), Vector3(0, 0, 1)), 1);
        const LwVertex* v = m_quads->m_vertices.data();
        EXPECT_NEAR(v[0].position[0], 5.0f + c.x0, 1e-5f) << c.angle;
        EXPECT_NEAR(v[0].position[1], c.y0, 1e-5f) << c.angle;
        // Corner 3 lies opposite corner 0.
        EXPECT_NEAR(v[3].position[0], 5.0f - c.x0, 1e-5f) << c.angle;
        EXPECT_NEAR(v[3].position[1], -c.y0, 1e-5f) << c.angle;
        for (int k = 0; k < 4; ++k) {
            EXPECT_FLOAT_EQ(v[k].position[2], 10.0f);
            EXPECT_FLOAT_EQ(v[k].normal[2], 1.0f);
            EXPECT_FLOAT_EQ(v[k].color[0], 1.0f);
            EXPECT_FLOAT_EQ(v[k].color[1], 0.0f);
            EXPECT_FLOAT_EQ(v[k].color[2], 1.0f);
            EXPECT_FLOAT_EQ(v[k].color[3], 1.0f);
        }
        const float uv[4][2] = {{1, 1}, {0, 1}, {1, 0}, {0, 0}};
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(v[k].texCoords[0][0], uv[k][0]);
            EXPECT_EQ(v[k].texCoords[0][1], uv[k][1]);
        }
    }

    // Quads follow the table order of the live records.
    for (Particle& p : m_table)
        p = Particle{};
    for (int i : {0, 5, 99})
        m_table[i] = particle(float(i), 0, 0, 1, 0);
    ASSERT_EQ(m_quads->buildQuads(m_table, Vector3(1, 0, 0), Vector3(0, 1, 0), Vector3(0, 0, 1)), 3);
    const uint32_t expected[18] = {0, 1, 2, 2, 1, 3, 4, 5, 6, 6, 5, 7, 8, 9, 10, 10, 9, 11};
    EXPECT_TRUE(std::equal(expected, expected + 18, m_quads->m_indices.begin()));
    EXPECT_FLOAT_EQ(m_quads->m_vertices[8].position[0], 99.5f);
}

TEST_F(ParticleRendererTest, UploadsAndDrawsThroughTheMainPass)
{
    for (int i : {2, 40, 41})
        m_table[i] = particle(float(i), 1, 3, 0.5f, 0);
    ShaderFloatParams& params = *m_rig.renderer()->m_shaderFloatParams;
    params.m_world.at(3, 0) = 9.0f;
    m_quads->render(0.0, m_table, m_camera);

    EXPECT_EQ(calls("uploadBuffer").size(), 2u);
    const auto draws = calls("draw type 4 primitives 6 indexed");
    ASSERT_EQ(draws.size(), 1u) << "three quads in one indexed draw";
    EXPECT_EQ(params.m_world, Matrix4::identity());
    EXPECT_FLOAT_EQ(params.m_view.at(3, 2), 5.0f) << "the camera's inverse";
    EXPECT_FLOAT_EQ(device()->state().transform(D3DTS_VIEW)._43, 5.0f);
    EXPECT_FLOAT_EQ(device()->state().transform(D3DTS_WORLD)._41, 0.0f);
    EXPECT_EQ(m_quads->m_buffers->m_indexCount, 18);
    EXPECT_EQ(m_quads->m_buffers->m_vertexCount, 12);
}

TEST_F(ParticleRendererTest, DynamicBuffersAreRemadeAroundAReset)
{
    m_table[0] = particle(0, 0, 0, 1, 0);
    m_quads->onLostDevice();
    EXPECT_EQ(calls("destroyBuffer").size(), 2u);
    m_quads->onResetDevice();
    EXPECT_EQ(calls("createBuffer").size(), 4u);
    recording().clearCalls();
    m_quads->render(0.0, m_table, m_camera);
    EXPECT_EQ(calls("uploadBuffer").size(), 2u);
    EXPECT_EQ(calls("draw type 4 primitives 2").size(), 1u);

    // A mesh object hands device loss and reset to its render object.
    MeshObject* item = m_scene->addNullObject("emitter", m_scene->m_root);
    MeshBuffers& buffers = *m_quads->m_buffers;
    item->m_deviceObject = std::move(m_quads);
    item->onLostDevice();
    EXPECT_EQ(buffers.m_vertexBuffers[0], nullptr);
    EXPECT_EQ(buffers.m_indexBuffers[0], nullptr);
    recording().clearCalls();
    item->onResetDevice();
    EXPECT_EQ(calls("createBuffer").size(), 2u);
    EXPECT_NE(buffers.m_vertexBuffers[0], nullptr);
}

TEST_F(ParticleRendererTest, TheFirstLayersImageKeepsTheColourChannels)
{
    struct Case {
        const char* what;
        std::vector<std::pair<bool, int32_t>> layers; // image, blend mode
        bool colourEvaluated;
    };
    const Case cases[] = {
        {"no layers", {}, true},
        {"a first layer without image", {{false, 0}, {true, 0}}, true},
        {"a first image blended by the voxel's colour", {{true, 3}}, true},
        {"a first image", {{true, 0}, {false, 3}}, false},
        {"a first image of another blend mode", {{true, 6}}, false},
    };
    for (const Case& c : cases) {
        ParticleRenderer quads(m_rig.renderer());
        for (const auto& [image, blend] : c.layers)
            ASSERT_TRUE(quads.addTextureLayer(std::make_unique<FakeLayer>(0, image, blend)));
        for (AnimatedValue* v : {&quads.m_colorR, &quads.m_opacity}) {
            auto ramp = std::make_unique<Envelope>();
            ramp->addKeyLinear(0.0f, 0.0f);
            ramp->addKeyLinear(1.0f, 0.5f);
            v->m_envelope = std::move(ramp);
        }
        quads.evaluateChannels(1.0);
        EXPECT_FLOAT_EQ(quads.m_opacity.m_value, 0.5f) << c.what;
        EXPECT_FLOAT_EQ(quads.m_colorR.m_value, c.colourEvaluated ? 0.5f : 200.0f / 255.0f) << c.what;
    }
}

TEST_F(ParticleRendererTest, QuadsCarryTheCoordinatesOfEachLayer)
{
    for (int32_t id : {1, 2})
        m_quads->addTextureLayer(std::make_unique<FakeLayer>(id, true, 0));
    m_table[4] = particle(0, 0, 3, 1, 0);
    recording().clearCalls();
    m_quads->render(0.0, m_table, m_camera);
    // Made again for two more slots: 40 bytes and 12 for each layer.
    const auto made = calls("createBuffer");
    ASSERT_EQ(made.size(), 2u);
    EXPECT_NE(made[0].find(" 25600 bytes vertex"), std::string::npos) << made[0];
    EXPECT_EQ(m_quads->m_buffers->m_format.m_layout.slotCount, 3);
    const LwVertex* v = m_quads->m_vertices.data();
    for (int k = 0; k < 4; ++k) {
        for (int32_t slot : {1, 2}) {
            EXPECT_EQ(v[k].texCoords[slot][0], float(slot));
            EXPECT_EQ(v[k].texCoords[slot][1], float(k));
            // The corner as drawn, seen along the camera's normal.
            EXPECT_FLOAT_EQ(v[k].texCoords[slot][2], 4.0f);
        }
    }
    EXPECT_EQ(calls("draw type 4 primitives 2").size(), 1u);

    // Slots run out before layers do; a voxel keeps a bounded number.
    for (int32_t id = 3; size_t(id) <= HyperVoxel::MaxTextureLayers; ++id)
        EXPECT_TRUE(m_quads->addTextureLayer(std::make_unique<FakeLayer>(id, true, 0)));
    EXPECT_FALSE(m_quads->addTextureLayer(std::make_unique<FakeLayer>(0, true, 0)));
    m_quads->render(0.0, m_table, m_camera);
    EXPECT_EQ(m_quads->m_buffers->m_format.m_layout.slotCount, VertexLayout::MaxSlots);
    EXPECT_EQ(m_quads->m_vertices[0].texCoords[7][0], 7.0f);
}
