// HyperVoxel sprites on the recording backend: the slice stack, the volume
// texture, the one indexed draw with its states, the texture turn, the
// stack's orientation, and the index buffer across a device reset.
#include "engine/core/render/Renderer.h"
#include "engine/core/render/ShaderFloatParams.h"
#include "engine/scene/Camera.h"
#include "engine/scene/HyperVoxelSprites.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/Scene.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/Direct3DVolumeTexture9.h"
#include "platform/d3d9/RecordingBackend.h"
#include "support/RecordingWorld.h"
#include "support/SceneRig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

class HyperVoxelSpritesTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_rig.start());
        m_scene = m_rig.scene;
        m_camera = m_scene->addCamera(true);
        m_camera->m_motion[PositionZ].m_value = -5.0f;
        recording().clearCalls();
        m_sprites = std::make_unique<HyperVoxelSprites>(m_rig.renderer());
    }
    void TearDown() override
    {
        m_sprites.reset();
    }

    IDirect3DDevice9* device() { return m_rig.device(); }
    const FixedFunctionState& state() { return device()->state(); }
    RecordingBackend& recording() { return recordingBackend(device()); }
    std::vector<std::string> calls(const std::string& prefix) { return recordedCalls(device(), prefix); }
    // The storage of the buffer whose creation line ends in `what`.
    uint32_t bufferMade(const std::string& what)
    {
        for (const std::string& call : calls("createBuffer "))
            if (call.find(what) != std::string::npos)
                return uint32_t(std::stoul(call.substr(13)));
        return 0;
    }
    void setAlive(std::initializer_list<int> records)
    {
        for (Particle& p : m_table)
            p = Particle{};
        for (int i : records)
            m_table[i].alive = 1;
    }

    RecordingWorld m_world;
    SceneRig m_rig;
    Scene* m_scene = nullptr;
    Camera* m_camera = nullptr;
    std::unique_ptr<HyperVoxelSprites> m_sprites;
    Particle m_table[ParticleTableSize];
};

} // namespace

TEST_F(HyperVoxelSpritesTest, TheSliceStackFillsTheUnitCube)
{
    const uint32_t vertices = bufferMade(" 3072 bytes vertex");
    ASSERT_NE(vertices, 0u) << "32 slices of four 24-byte vertices, managed";
    EXPECT_NE(bufferMade(" 38400 bytes index dynamic"), 0u) << "six indices a slice a record";
    const std::vector<uint8_t>* bytes = recording().bufferBytes(vertices);
    ASSERT_NE(bytes, nullptr);
    ASSERT_EQ(bytes->size(), 3072u);
    std::vector<float> v(768);
    std::memcpy(v.data(), bytes->data(), 3072);
    struct Case {
        int vertex;
        float x, y, z, u, vv, w;
    };
    const Case cases[] = {
        {0, 0.5f, 0.5f, -0.484375f, 1.0f, 1.0f, 0.015625f},
        {3, -0.5f, -0.5f, -0.484375f, 0.0f, 0.0f, 0.015625f},
        {4 * 16 + 1, -0.5f, 0.5f, 0.015625f, 0.0f, 1.0f, 0.515625f},
        {4 * 31 + 2, 0.5f, -0.5f, 0.484375f, 1.0f, 0.0f, 0.984375f},
    };
    for (const Case& c : cases) {
        const float* p = &v[size_t(c.vertex) * 6];
        const float expected[6] = {c.x, c.y, c.z, c.u, c.vv, c.w};
        for (int k = 0; k < 6; ++k)
            EXPECT_EQ(p[k], expected[k]) << c.vertex << " " << k;
    }
}

TEST_F(HyperVoxelSpritesTest, ThreeCrossingPlanesInTheVolume)
{
    struct Case {
        int x, y, z;
        uint32_t texel;
    };
    const Case cases[] = {
        {16, 16, 16, 0xFFFFFFFFu}, {10, 12, 16, 0xFFFF0000u}, {8, 16, 23, 0xFF00FF00u}, {16, 9, 20, 0xFF0000FFu},
        {16, 16, 9, 0xFF00FFFFu},  {7, 16, 16, 0u},           {16, 24, 16, 0u},         {12, 12, 12, 0u},
        {0, 0, 0, 0u},
    };
    ASSERT_NE(m_sprites->m_volumeTexture, nullptr);
    D3DLOCKED_BOX box{};
    ASSERT_EQ(m_sprites->m_volumeTexture->LockBox(0, &box, nullptr, D3DLOCK_READONLY), D3D_OK);
    for (const Case& c : cases) {
        EXPECT_EQ(HyperVoxelSprites::volumeTexel(c.x, c.y, c.z), c.texel) << c.x << " " << c.y << " " << c.z;
        uint32_t stored;
        std::memcpy(&stored, static_cast<const uint8_t*>(box.pBits) + c.z * box.SlicePitch + c.y * box.RowPitch + 4 * c.x,
                    sizeof stored);
        EXPECT_EQ(stored, c.texel) << c.x << " " << c.y << " " << c.z;
    }
    m_sprites->m_volumeTexture->UnlockBox(0);
}

TEST_F(HyperVoxelSpritesTest, OneDrawOfSixtyFourTrianglesALiveRecord)
{
    struct Case {
        std::vector<int> alive;
        int triangles;
    };
    const Case cases[] = {{{}, 0}, {{4}, 64}, {{0, 50, 99}, 192}};
    for (const Case& c : cases) {
        setAlive({});
        for (int i : c.alive)
            m_table[i].alive = 1;
        device()->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
        device()->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
        recording().clearCalls();
        m_sprites->render(0.0, m_table, m_camera);
        const auto draws = calls("draw");
        if (c.triangles == 0) {
            EXPECT_TRUE(draws.empty()) << "no live record, no draw";
        } else {
            ASSERT_EQ(draws.size(), 1u);
            char prefix[64];
            std::snprintf(prefix, sizeof prefix, "draw type 4 primitives %d indexed start 0 base 0", c.triangles);
            EXPECT_EQ(draws[0].rfind(prefix, 0), 0u) << draws[0];
        }
        // Set whether or not anything was drawn.
        EXPECT_EQ(state().renderState(D3DRS_CULLMODE), DWORD(D3DCULL_NONE));
        EXPECT_EQ(state().renderState(D3DRS_ZWRITEENABLE), DWORD(FALSE));
        EXPECT_EQ(state().renderState(D3DRS_ALPHABLENDENABLE), DWORD(FALSE)) << "blending ends switched off";
        EXPECT_EQ(state().renderState(D3DRS_SRCBLEND), DWORD(D3DBLEND_ONE));
        EXPECT_EQ(state().renderState(D3DRS_DESTBLEND), DWORD(D3DBLEND_INVSRCALPHA));
        EXPECT_EQ(state().textureStageState(0, D3DTSS_COLOROP), DWORD(D3DTOP_SELECTARG1));
        EXPECT_EQ(state().textureStageState(0, D3DTSS_ALPHAARG1), DWORD(D3DTA_TEXTURE));
        EXPECT_EQ(state().textureStageState(1, D3DTSS_COLOROP), DWORD(D3DTOP_DISABLE));
        EXPECT_EQ(state().textureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS), DWORD(D3DTTFF_COUNT3));
        EXPECT_EQ(state().samplerState(0, D3DSAMP_ADDRESSW), DWORD(D3DTADDRESS_CLAMP));
        EXPECT_FLOAT_EQ(state().transform(D3DTS_VIEW)._43, 5.0f);
        EXPECT_FLOAT_EQ(state().transform(D3DTS_TEXTURE0)._11, 1.0f);
        EXPECT_FLOAT_EQ(state().transform(D3DTS_PROJECTION)._34, m_camera->m_projection.at(2, 3));
    }

    // Every record alive fills the index buffer to its end.
    setAlive({});
    for (Particle& p : m_table)
        p.alive = 1;
    recording().clearCalls();
    m_sprites->render(0.0, m_table, m_camera);
    ASSERT_EQ(calls("draw type 4 primitives 6400 indexed").size(), 1u);
    const auto uploads = calls("uploadBuffer");
    ASSERT_EQ(uploads.size(), 1u);
    const uint32_t indices = uint32_t(std::stoul(uploads[0].substr(13)));
    const std::vector<uint8_t>* bytes = recording().bufferBytes(indices);
    ASSERT_NE(bytes, nullptr);
    ASSERT_EQ(bytes->size(), 38400u);
    uint16_t tail[6];
    std::memcpy(tail, bytes->data() + 38400 - sizeof tail, sizeof tail);
    const uint16_t lastSlice[6] = {124, 125, 126, 126, 125, 127};
    EXPECT_EQ(std::memcmp(tail, lastSlice, sizeof tail), 0);
}

TEST_F(HyperVoxelSpritesTest, TheVolumeTurnsAboutItsCentre)
{
    EXPECT_EQ(HyperVoxelSprites::textureMatrix(0.0), Matrix4::identity());
    const Matrix4 turned = HyperVoxelSprites::textureMatrix(360.0 / 14.0);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(turned.m[i], Matrix4::identity().m[i], 1e-5f) << "a full turn after 360/14 seconds";

    // A quarter turn: u' = 1 - u, v' = 1 - w, w' = 1 - v.
    const Matrix4 quarter = HyperVoxelSprites::textureMatrix(90.0 / 14.0);
    const float expected[16] = {-1, 0, 0, 0, 0, 0, -1, 0, 0, -1, 0, 0, 1, 1, 1, 1};
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(quarter.m[i], expected[i], 1e-6f) << i;

    for (double t : {0.0, 1.0, 3.3, 7.0, 20.0}) {
        const Matrix4 m = HyperVoxelSprites::textureMatrix(t);
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(0.5f * (m.at(0, c) + m.at(1, c) + m.at(2, c)) + m.at(3, c), 0.5f, 1e-6f) << t;
    }
}

TEST_F(HyperVoxelSpritesTest, TheFirstRecordSteersTheStack)
{
    struct Case {
        Vector3 eye, first;
        float yaw, pitch;
    };
    const Case cases[] = {
        {Vector3(0, 0, 5), Vector3(0, 0, 0), 0.0f, 0.0f},
        {Vector3(5, 0, 0), Vector3(0, 0, 0), float(kPi / 2), 0.0f},
        {Vector3(3, 4, 0), Vector3(3, 0, -4), 0.0f, float(kPi / 4)},
    };
    for (const Case& c : cases) {
        const Matrix4 w = HyperVoxelSprites::stackMatrix(c.eye, c.first);
        const float sy = std::sin(c.yaw), cy = std::cos(c.yaw), sp = std::sin(c.pitch), cp = std::cos(c.pitch);
        const float expected[16] = {cy, -sp * sy, cp * sy, 0, 0, cp, sp, 0, -sy, -sp * cy, cp * cy, 0, 0, 0, 0, 1};
        for (int i = 0; i < 16; ++i)
            EXPECT_NEAR(w.m[i], expected[i], 1e-6f) << i;
    }

    // The world matrix comes from the first record even while it is dead.
    setAlive({1});
    m_table[0].position[0] = 0.0f;
    m_table[0].position[2] = -10.0f;
    m_table[1].position[0] = 100.0f;
    m_sprites->render(0.0, m_table, m_camera);
    const D3DMATRIX& world = state().transform(D3DTS_WORLD);
    EXPECT_NEAR(world._11, 1.0f, 1e-6f);
    EXPECT_NEAR(world._33, 1.0f, 1e-6f);
    EXPECT_EQ(world._41, 0.0f) << "no translation";
    EXPECT_EQ(m_rig.renderer()->m_shaderFloatParams->m_world, Matrix4::identity());
}

TEST_F(HyperVoxelSpritesTest, TheIndexBufferIsReleasedBeforeAResetAndMadeAfter)
{
    setAlive({2});
    m_sprites->render(0.0, m_table, m_camera);
    D3DPRESENT_PARAMETERS params = device()->presentParameters();
    m_rig.renderer()->onLostDevice();
    testing::internal::CaptureStderr();
    EXPECT_NE(device()->Reset(&params), D3D_OK) << "the default-pool index buffer is still alive";
    EXPECT_NE(testing::internal::GetCapturedStderr().find("index buffer 38400 bytes"), std::string::npos);

    // The mesh object that carries the sprites hands the reset on.
    MeshObject* item = m_scene->addNullObject("voxels", m_scene->m_root);
    HyperVoxelSprites& sprites = *m_sprites;
    item->m_deviceObject = std::move(m_sprites);
    item->onLostDevice();
    EXPECT_EQ(sprites.m_indexBuffer, nullptr);
    sprites.render(0.0, m_table, m_camera);
    params = device()->presentParameters();
    ASSERT_EQ(device()->Reset(&params), D3D_OK);
    m_rig.renderer()->onResetDevice();
    item->onResetDevice();
    ASSERT_NE(sprites.m_indexBuffer, nullptr);
    recording().clearCalls();
    sprites.render(0.0, m_table, m_camera);
    EXPECT_EQ(calls("draw type 4 primitives 64 indexed").size(), 1u);
}
