// The showcase scene, made by our scene generator, loaded and drawn the way
// the game draws a scene: on the recording backend, which objects are drawn
// and in which order; on GL, what the frame shows where.
#include "engine/core/geometry/RenderGeometry.h"
#include "engine/core/render/Renderer.h"
#include "engine/lightwave/LwMesh.h"
#include "engine/scene/Antiportal.h"
#include "engine/scene/Camera.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "platform/d3d9/D3D9Backend.h"
#include "platform/d3d9/Direct3DVertexBuffer9.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/Direct3DSurface9.h"
#include "platform/d3d9/RecordingBackend.h"
#include "platform/win/MessageQueue.h"
#include "support/DeviceReadBack.h"
#include "support/GlRequirement.h"
#include "support/RendererRig.h"
#include "support/ShowcaseProbes.h"
#include "tools/lib/MemoryFileSystem.h"
#include "tools/lib/ShowcaseScene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

void drainMessages()
{
    MSG msg{};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

class ShowcaseSceneTest : public testing::Test {
protected:
    void TearDown() override
    {
        m_manager.reset();
        m_rig.reset();
        drainMessages();
        selectD3D9Backend(D3D9Backend::Default);
    }

    // Shadow detail 0 (the renderer's own setting) makes no shadow maps.
    bool start(D3D9Backend backend, int32_t shadowDetail = 0)
    {
        selectD3D9Backend(backend);
        if (backend == D3D9Backend::Recording)
            recordingSetup() = RecordingSetup::standard();
        m_rig = std::make_unique<RendererRig>();
        testing::internal::CaptureStderr();
        const bool started = m_rig->start(640, 480, true);
        m_startOutput = testing::internal::GetCapturedStderr();
        drainMessages();
        if (!started)
            return false;
        for (const ShowcaseScene::File& file : ShowcaseScene::files())
            m_files.addFile(file.name, file.bytes);
        m_rig->renderer->m_shadowDetail = shadowDetail;
        m_manager = std::make_unique<SceneManager>(m_rig->renderer.get(), "showcase");
        m_scene = m_manager->loadScene("showcase");
        EXPECT_TRUE(m_scene->loadLWS(&m_files, ShowcaseScene::SceneFile, nullptr, 0.0f, 1.0f));
        m_manager->prepare(nullptr);
        m_camera = m_scene->m_currentCamera;
        return m_camera != nullptr;
    }

    void frame(double time = 0.0)
    {
        IDirect3DDevice9* d = m_rig->device();
        d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0xFF000000u, 1.0f, 0);
        d->BeginScene();
        m_scene->render(time, m_camera);
        d->EndScene();
    }

    MeshObject* object(const std::string& name) const
    {
        for (MeshObject* o : m_scene->m_objects)
            if (o->m_name == ShowcaseScene::objectFile(name))
                return o;
        return nullptr;
    }

    // The object each recorded draw belongs to, by the vertex buffer it
    // draws from, in drawing order: the camera's own view, or what the
    // mirror reflects (drawn with the mirror's clip plane on); `textures`
    // gets each of those draws' stage-0 texture.
    // The draws of the camera's view (or of its reflections); with
    // `intoShadowMaps` the draws into the lights' shadow maps instead.
    std::vector<std::string> recordedDraws(bool reflected = false, std::vector<unsigned>* textures = nullptr,
                                           bool intoShadowMaps = false) const
    {
        // Everything but the shadow maps draws into the back buffer.
        unsigned screen = 0;
        IDirect3DSurface9* backBuffer = nullptr;
        if (SUCCEEDED(m_rig->device()->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer))) {
            screen = backBuffer->storage();
            backBuffer->Release();
        }
        std::map<uint32_t, std::string> byBuffer;
        for (const ShowcaseScene::Placement& p : ShowcaseScene::placements()) {
            MeshObject* o = object(p.name);
            auto* mesh = o ? dynamic_cast<LwMesh*>(o->firstLodMesh()) : nullptr;
            if (!mesh)
                continue;
            for (const auto& geometry : mesh->m_geometries)
                if (!geometry->m_vertexBuffers.empty() && geometry->m_vertexBuffers[0])
                    byBuffer[geometry->m_vertexBuffers[0]->storage()] = p.name;
        }
        std::vector<std::string> draws;
        auto* recording = dynamic_cast<RecordingBackend*>(&m_rig->device()->backend());
        bool clipping = false;
        bool inMap = false;
        for (const std::string& call : recording->calls()) {
            unsigned colour = 0, depth = 0;
            if (std::sscanf(call.c_str(), "bindTargets %u %u", &colour, &depth) == 2)
                inMap = colour != screen;
            unsigned state = 0, value = 0;
            if (std::sscanf(call.c_str(), "renderState %u %u", &state, &value) == 2 && state == D3DRS_CLIPPLANEENABLE)
                clipping = value != 0;
            unsigned buffer = 0, offset = 0, stride = 0, texture = 0;
            const size_t at = call.find(" stream0 ");
            if (call.rfind("draw ", 0) != 0 || at == std::string::npos ||
                std::sscanf(call.c_str() + at, " stream0 %u+%u/%u texture0 %u", &buffer, &offset, &stride,
                            &texture) != 4)
                continue;
            if (inMap != intoShadowMaps || (!inMap && clipping != reflected))
                continue;
            if (textures)
                textures->push_back(texture);
            const auto found = byBuffer.find(buffer);
            draws.push_back(found == byBuffer.end() ? "?" : found->second);
        }
        return draws;
    }
    void clearRecording()
    {
        dynamic_cast<RecordingBackend*>(&m_rig->device()->backend())->clearCalls();
    }

    uint32_t pixel(int x, int y) { return readBackBufferPixel(m_rig->device(), x, y) & 0xFFFFFFu; }

    std::unique_ptr<RendererRig> m_rig;
    std::string m_startOutput;
    MemoryFileSystem m_files;
    std::unique_ptr<SceneManager> m_manager;
    Scene* m_scene = nullptr;
    Camera* m_camera = nullptr;
};

size_t countOf(const std::vector<std::string>& draws, const std::string& name)
{
    return size_t(std::count(draws.begin(), draws.end(), name));
}

} // namespace

TEST_F(ShowcaseSceneTest, LoadsEveryPartOfTheScene)
{
    ASSERT_TRUE(start(D3D9Backend::Recording));
    for (const ShowcaseScene::Placement& p : ShowcaseScene::placements())
        EXPECT_NE(object(p.name), nullptr) << p.name;
    ASSERT_EQ(m_scene->m_antiportals.size(), 1u);
    EXPECT_EQ(static_cast<MeshObject*>(m_scene->m_antiportals[0]), object("AntiPortal"));
    ASSERT_EQ(m_scene->m_lights.size(), 2u);
    EXPECT_EQ(object("Arm")->m_bones.size(), 1u);
    auto* blob = dynamic_cast<LwMesh*>(object("Blob")->firstLodMesh());
    ASSERT_NE(blob, nullptr);
    EXPECT_EQ(blob->numMorphmaps(), 1u);
    EXPECT_EQ(object("Blob")->m_namedValues.size(), 1u);
    EXPECT_EQ(object("Floor")->m_shadowOptions & 4, 4);
}

// What the frustum and the occluder leave out is never drawn; the opaque
// objects come first, then the two glass boxes, the farther one first. The
// mirror's reflection draws only what its outline can show. With shadow
// maps on, the objects that receive shadows draw with the spot light's map.
TEST_F(ShowcaseSceneTest, DrawsOnlyWhatTheCameraSeesOpaqueFirstThenGlassFarToNear)
{
    ASSERT_TRUE(start(D3D9Backend::Recording, 2));
    frame();
    clearRecording();
    const uint32_t before = m_rig->renderer->m_drawCallCount;
    frame(1.0 / 30.0);
    std::vector<unsigned> textures;
    const std::vector<std::string> draws = recordedDraws(false, &textures);
    const std::vector<std::string> reflected = recordedDraws(true);
    const std::vector<std::string> cast = recordedDraws(false, nullptr, true);
    EXPECT_EQ(m_rig->renderer->m_drawCallCount - before, draws.size() + reflected.size() + cast.size());
    // The spot light sees every shadow caster under it, the box the camera
    // cannot see behind the occluder too.
    for (const char* caster : {"Floor", "Box", "Pole", "Hidden"})
        EXPECT_GE(countOf(cast, caster), 1u) << caster;
    EXPECT_EQ(countOf(cast, "?"), 0u);

    for (const char* seen : {"Floor", "Mirror", "Pole", "Box", "Arm", "Blob", "GlassNear", "GlassFar"})
        EXPECT_GE(countOf(draws, seen), 1u) << seen;
    for (const char* unseen : {"Hidden", "Aside", "Behind", "AntiPortal", "?"})
        EXPECT_EQ(countOf(draws, unseen), 0u) << unseen;
    // The mirror draws three times: the stencil mark, the depth reset and
    // the surface over its reflection.
    EXPECT_EQ(countOf(draws, "Mirror"), 3u);
    EXPECT_EQ(draws.size(), 10u);
    // The pole standing on the mirror shows in it; the mirror never shows
    // in its own image.
    EXPECT_GE(countOf(reflected, "Pole"), 1u);
    for (const char* unseen : {"Mirror", "AntiPortal", "?"})
        EXPECT_EQ(countOf(reflected, unseen), 0u) << unseen;
    for (const char* outside : {"Box", "Arm", "Blob", "GlassNear", "GlassFar", "Aside", "Behind"})
        EXPECT_EQ(countOf(reflected, outside), 0u) << outside;

    // The spot light's shadow map lies on the floor and the mirror, which
    // receive shadows, and on nothing else.
    ASSERT_EQ(textures.size(), draws.size());
    for (size_t i = 0; i < draws.size(); ++i) {
        if (draws[i] == "Floor" || draws[i] == "Mirror")
            EXPECT_NE(textures[i], 0u) << i << " " << draws[i];
        else
            EXPECT_EQ(textures[i], 0u) << i << " " << draws[i];
    }

    // Both glass boxes after every opaque draw, far before near.
    const auto firstGlass = std::find_if(draws.begin(), draws.end(),
                                         [](const std::string& d) { return d.rfind("Glass", 0) == 0; });
    ASSERT_NE(firstGlass, draws.end());
    EXPECT_EQ(std::vector<std::string>(firstGlass, draws.end()), (std::vector<std::string>{"GlassFar", "GlassNear"}));

    // Without the occluder the box behind it is drawn too.
    m_scene->m_antiportals.clear();
    clearRecording();
    frame(2.0 / 30.0);
    const std::vector<std::string> unoccluded = recordedDraws();
    EXPECT_EQ(countOf(unoccluded, "Hidden"), 1u);
    EXPECT_EQ(unoccluded.size(), draws.size() + 1);
}

TEST_F(ShowcaseSceneTest, FrameShowsWhatIsThereAndNotWhatIsHidden)
{
    REQUIRE_GL(start(D3D9Backend::Gl), m_startOutput);
    frame();
    frame(1.0 / 30.0);
    expectShowcaseRegions([this](int x, int y) { return pixel(x, y); });
}
