#include "engine/core/texture/AnimatedTexture.h"
#include "engine/core/io/DiskFile.h"
#include "engine/core/texture/FileTexture.h"
#include "engine/core/render/LoadingScreen.h"
#include "engine/core/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/ItemDisplay.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/RecordingBackend.h"
#include "support/RecordingWorld.h"
#include "support/RendererRig.h"
#include "support/ScopedWorkingDirectory.h"

#include "tools/lib/ImageWriters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <string>

namespace {

size_t presents(IDirect3DDevice9* device)
{
    return recordedCalls(device, "present").size();
}

void writeFile(const std::string& name, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

} // namespace

TEST(SceneManagerDeviceTest, ResetRestoresTheEngineDefaultStatesOnEveryStage)
{
    RecordingWorld world;
    RendererRig rig;
    ASSERT_TRUE(rig.start());
    IDirect3DDevice9* device = rig.device();
    {
        SceneManager manager(rig.renderer.get(), "game");
        manager.loadScene("menu");
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
        device->SetSamplerState(3, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);

        manager.onLostDevice();
        manager.onResetDevice();

        const FixedFunctionState& state = device->state();
        const struct {
            D3DRENDERSTATETYPE state;
            DWORD value;
        } renderStates[] = {
            {D3DRS_CULLMODE, D3DCULL_CCW},
            {D3DRS_ZENABLE, D3DZB_TRUE},
            {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
            {D3DRS_ZWRITEENABLE, TRUE},
            {D3DRS_CLIPPING, TRUE},
            {D3DRS_COLORVERTEX, TRUE},
            {D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL},
            {D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL},
            {D3DRS_SPECULARMATERIALSOURCE, D3DMCS_MATERIAL},
            {D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_MATERIAL},
            {D3DRS_NORMALIZENORMALS, TRUE},
        };
        for (const auto& expected : renderStates)
            EXPECT_EQ(state.renderState(expected.state), expected.value) << expected.state;

        ASSERT_GT(manager.stageCount(), 3u);
        for (DWORD stage = 0; stage < manager.stageCount(); ++stage) {
            SCOPED_TRACE(stage);
            EXPECT_EQ(state.samplerState(stage, D3DSAMP_MIPFILTER), DWORD(D3DTEXF_LINEAR));
            EXPECT_EQ(state.samplerState(stage, D3DSAMP_MINFILTER), DWORD(D3DTEXF_ANISOTROPIC));
            EXPECT_EQ(state.samplerState(stage, D3DSAMP_MAGFILTER), DWORD(D3DTEXF_LINEAR));
            EXPECT_EQ(state.samplerState(stage, D3DSAMP_ADDRESSU), DWORD(D3DTADDRESS_WRAP));
            EXPECT_EQ(state.samplerState(stage, D3DSAMP_ADDRESSV), DWORD(D3DTADDRESS_WRAP));
            EXPECT_EQ(state.samplerState(stage, D3DSAMP_ADDRESSW), DWORD(D3DTADDRESS_WRAP));
            EXPECT_EQ(state.textureStageState(stage, D3DTSS_COLOROP), DWORD(D3DTOP_DISABLE));
            EXPECT_EQ(state.textureStageState(stage, D3DTSS_ALPHAOP), DWORD(D3DTOP_DISABLE));
            EXPECT_EQ(state.textureStageState(stage, D3DTSS_RESULTARG), DWORD(D3DTA_CURRENT));
        }
    }
}

TEST(SceneManagerDeviceTest, TexturesAreSharedByNameAndPreparedBehindTheLoadingScreen)
{
    RecordingWorld world;
    ScopedWorkingDirectory directory("scene-manager-textures");
    RendererRig rig;
    ASSERT_TRUE(rig.start());
    BmpLayout layout;
    layout.width = 4;
    layout.height = 4;
    writeFile("kart.bmp", writeBmp(layout, {}, std::vector<uint32_t>(16, 0x336699)));
    DiskFile disk;

    SceneManager manager(rig.renderer.get(), "game");
    Texture* kart = manager.getTexture(&disk, "kart.bmp");
    ASSERT_NE(kart, nullptr);
    EXPECT_EQ(manager.getTexture(&disk, "kart.bmp"), kart);
    EXPECT_EQ(manager.m_textures.size(), 1u);
    EXPECT_EQ(manager.findTexture("KART.BMP", 0), nullptr);

    const uint32_t before = kart->m_flags;
    EXPECT_EQ(manager.findTexture("kart.bmp", 7), kart);
    EXPECT_EQ(kart->m_flags, before | 4u);

    // No texture and no scene: only the closing frame is drawn.
    SceneManager empty(rig.renderer.get(), "empty");
    LoadingScreen screen(rig.renderer.get(), rig.displayManager.get(), nullptr);
    size_t start = presents(rig.device());
    empty.prepare(&screen);
    EXPECT_EQ(presents(rig.device()) - start, 1u);
    EXPECT_EQ(screen.m_progress, 1.0f);

    // One frame per texture, one per object of each scene, and the last.
    manager.loadScene("first");
    manager.loadScene("second");
    start = presents(rig.device());
    manager.prepare(&screen);
    EXPECT_EQ(presents(rig.device()) - start, 1u + 2u + 1u);

    manager.onLostDevice();
    manager.onResetDevice();
}

TEST(SceneManagerDeviceTest, ItemDisplayDrawsOneLineToTheTargetAndRestoresTheWorld)
{
    RecordingWorld world;
    RendererRig rig;
    ASSERT_TRUE(rig.start());
    IDirect3DDevice9* device = rig.device();
    SceneManager manager(rig.renderer.get(), "game");
    Scene* scene = manager.loadScene("debug");
    MeshObject* item = scene->addNullObject("eye", scene->m_root);
    MeshObject* target = scene->addNullObject("target", scene->m_root);
    item->m_motion[PositionX].m_value = 4.0f;

    const size_t before = recordedCalls(device, "draw type 2 primitives 1 ").size();
    item->m_display->render(); // no target: nothing
    EXPECT_EQ(recordedCalls(device, "draw type 2 primitives 1 ").size(), before);

    item->m_target = target;
    item->m_display->render();
    EXPECT_EQ(recordedCalls(device, "draw type 2 primitives 1 ").size(), before + 1);
    EXPECT_EQ(device->state().transform(D3DTS_WORLD)._41, 4.0f);
    EXPECT_EQ(device->state().renderState(D3DRS_ZWRITEENABLE), DWORD(TRUE));
    EXPECT_EQ(device->state().textureStageState(0, D3DTSS_COLOROP), DWORD(D3DTOP_DISABLE));

    // The bounds box: nothing without a mesh, twelve indexed lines with one.
    const size_t boxes = recordedCalls(device, "draw type 2 primitives 12 indexed").size();
    item->drawBounds();
    EXPECT_EQ(recordedCalls(device, "draw type 2 primitives 12 indexed").size(), boxes);
    item->addLod(item->m_display.get(), 0.0f);
    item->m_display->computeBounds();
    item->drawBounds();
    EXPECT_EQ(recordedCalls(device, "draw type 2 primitives 12 indexed").size(), boxes + 1);
}

TEST(SceneManagerDeviceTest, CameraTakesFieldOfViewAndViewportFromTheRenderer)
{
    RecordingWorld world;
    RendererRig rig;
    ASSERT_TRUE(rig.start(96, 64));
    SceneManager manager(rig.renderer.get(), "game");
    Scene* scene = manager.loadScene("race");
    Camera* camera = scene->addCamera(true);

    // A 3:2 view: the horizontal scale is the vertical one over the aspect.
    const Matrix4& p = camera->setDepthRange(0.0, 1.0f, 100.0f);
    EXPECT_NEAR(p.at(1, 1), 3.2f, 1e-4f);
    EXPECT_NEAR(p.at(0, 0), 3.2f / 1.5f, 1e-4f);

    rig.renderer->setViewportRect(10, 20, 48, 32, 1.5f);
    const D3DVIEWPORT9* v = camera->viewport();
    EXPECT_EQ(v->X, 10u);
    EXPECT_EQ(v->Y, 20u);
    EXPECT_EQ(v->Width, 48u);
    EXPECT_EQ(v->Height, 32u);
    EXPECT_EQ(v->MaxZ, 1.0f);
}

TEST(SceneManagerDeviceTest, AFoundClipPassesTheNewFlagsOnToItsFrames)
{
    SceneManager manager(nullptr, "game");
    auto* clip = new AnimatedTexture(nullptr);
    clip->m_name = "water.iff";
    clip->m_frames.push_back(std::make_unique<FileTexture>(nullptr));
    clip->m_frames.push_back(nullptr); // a gap in the sequence
    clip->m_frames.push_back(std::make_unique<FileTexture>(nullptr));
    clip->setFlags(3);
    manager.addTexture(clip);

    const struct {
        uint32_t asked;
        uint32_t expected;
    } cases[] = {{0, 3}, {7, 7}, {0x113, 0x117}};
    for (const auto& c : cases) {
        ASSERT_EQ(manager.findTexture("water.iff", c.asked), clip);
        EXPECT_EQ(clip->m_flags, c.expected) << c.asked;
        EXPECT_EQ(clip->m_frames[0]->m_flags, c.expected) << c.asked;
        EXPECT_EQ(clip->m_frames[2]->m_flags, c.expected) << c.asked;
    }
}
