// Scene drawing, CPU time per frame at 640x480 from the scene's camera:
// a small scene (a floor, eight cubes, a light) and a crowd of 2,000 cubes
// of which an occluder hides the back half. Each runs on the recording
// backend (our code alone: culling, sorting, light choice, pass set-up and
// the recorded draws) and on GL (llvmpipe under Xvfb). Counters: draw
// calls and visible objects per frame. The showcase scene (floor, mirror,
// skinned and morphed objects, glass, an occluder and a shadow-casting
// light; tools/lib/ShowcaseScene.h) runs the same way.
#include "engine/core/render/Renderer.h"
#include "engine/scene/Antiportal.h"
#include "engine/scene/Camera.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "platform/d3d9/D3D9Backend.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/RecordingBackend.h"
#include "support/DeviceReadBack.h"
#include "support/SceneRig.h"
#include "tools/lib/Lwo2Writer.h"
#include "tools/lib/LwsWriter.h"
#include "tools/lib/MemoryFileSystem.h"
#include "tools/lib/ShowcaseScene.h"
#include "tools/lib/TriangleWriter.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

class Rig {
public:
    // cubes < 0: the showcase scene.
    Rig(D3D9Backend backend, int cubes, bool occluder)
    {
        selectD3D9Backend(backend);
        if (backend == D3D9Backend::Recording)
            recordingSetup() = RecordingSetup::standard();
        m_rig = std::make_unique<SceneRig>();
        if (!m_rig->start(kWidth, kHeight))
            return;
        m_scene = m_rig->scene;
        if (cubes < 0) {
            for (const ShowcaseScene::File& file : ShowcaseScene::files())
                m_files.addFile(file.name, file.bytes);
            if (!m_scene->loadLWS(&m_files, ShowcaseScene::SceneFile, nullptr, 0.0f, 1.0f))
                return;
            m_rig->manager->prepare(nullptr);
            m_camera = m_scene->m_currentCamera;
            return;
        }

        // The cubes on a grid in front of the camera, and a floor under them.
        m_files.addFile("Objects/cube.lwo", lwo2Cube());
        LwsWriter w;
        w.key("FirstFrame", {1}).key("LastFrame", {60}).key("FramesPerSecond", {30});
        for (int i = 0; i < cubes + 1; ++i)
            w.loadObjectLayer(1, "Objects/cube.lwo");
        w.addLight("Sun");
        w.addCamera("Camera");
        const std::string text = w.text();
        m_files.addFile("bench.lws", std::vector<uint8_t>(text.begin(), text.end()));
        if (!m_scene->loadLWS(&m_files, "bench.lws", nullptr, 0.0f, 1.0f))
            return;
        const int side = cubes <= 8 ? 4 : 50;
        int placed = 0;
        for (MeshObject* object : m_scene->m_objects) {
            if (!object->firstLodMesh())
                continue;
            if (placed == cubes) { // the floor
                object->m_motion[PositionY].m_value = -3.0f;
                object->m_motion[PositionZ].m_value = 40.0f;
                object->m_motion[ScaleX].m_value = 200.0f;
                object->m_motion[ScaleZ].m_value = 80.0f;
                object->m_motion[ScaleY].m_value = 0.1f;
                break;
            }
            // Rows ever farther off; the back half lies behind z = 30.
            const int row = placed / side, column = placed % side;
            object->m_motion[PositionX].m_value = 0.3f * float(column - side / 2);
            object->m_motion[PositionY].m_value = 0.3f * float((row % 20) - 10);
            object->m_motion[PositionZ].m_value = 10.0f + 40.0f * float(row) / float(cubes / side);
            object->m_motion[ScaleX].m_value = object->m_motion[ScaleY].m_value =
                object->m_motion[ScaleZ].m_value = 0.2f;
            ++placed;
        }
        if (occluder) {
            const float z = 29.0f;
            std::vector<float> p = {-40, -40, z, 40, -40, z, -40, 40, z, 40, 40, z};
            m_portalMesh = std::make_unique<TriangleSource>(p, std::vector<uint32_t>{0, 2, 1, 1, 2, 3});
            m_portalMesh->setMinMax(Vector3(-40, -40, z), Vector3(40, 40, z));
            m_portal = std::make_unique<Antiportal>(m_scene);
            m_portal->addLod(m_portalMesh.get(), 0.0f);
            m_portal->m_lods[0]->owned = 0;
            m_portal->initialize();
            m_scene->m_antiportals.push_back(m_portal.get());
        }
        m_rig->manager->prepare(nullptr);
        m_camera = m_scene->m_currentCamera;
    }
    ~Rig()
    {
        if (m_scene)
            m_scene->m_antiportals.clear();
        m_portal.reset();
        m_rig.reset();
        drainWindowMessages();
        selectD3D9Backend(D3D9Backend::Default);
    }
    bool ready() const { return m_camera != nullptr; }

    void frame(double time)
    {
        IDirect3DDevice9* d = m_rig->device();
        d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
        d->BeginScene();
        m_scene->render(time, m_camera);
        d->EndScene();
        d->Present(nullptr, nullptr, nullptr, nullptr);
        if (auto* recording = dynamic_cast<RecordingBackend*>(&d->backend()))
            recording->clearCalls();
    }
    Renderer& renderer() { return *m_rig->renderer(); }

private:
    std::unique_ptr<SceneRig> m_rig;
    Scene* m_scene = nullptr;
    Camera* m_camera = nullptr;
    MemoryFileSystem m_files;
    std::unique_ptr<TriangleSource> m_portalMesh;
    std::unique_ptr<Antiportal> m_portal;
};

void drawScene(benchmark::State& bench, D3D9Backend backend, int cubes, bool occluder)
{
    Rig rig(backend, cubes, occluder);
    if (!rig.ready()) {
        bench.SkipWithError("no display or scene");
        return;
    }
    rig.frame(0.0); // first uploads out of the timing
    const uint32_t before = rig.renderer().m_drawCallCount;
    double time = 0.0;
    int64_t frames = 0;
    for (auto _ : bench) {
        rig.frame(time);
        time += 1.0 / 60.0;
        ++frames;
    }
    const uint32_t draws = rig.renderer().m_drawCallCount - before;
    bench.counters["draws/frame"] = frames ? double(draws) / double(frames) : 0.0;
}

} // namespace

BENCHMARK_CAPTURE(drawScene, small_recording, D3D9Backend::Recording, 8, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(drawScene, small_gl, D3D9Backend::Gl, 8, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(drawScene, crowd_recording, D3D9Backend::Recording, 2000, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(drawScene, crowd_occluded_recording, D3D9Backend::Recording, 2000, true)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(drawScene, crowd_gl, D3D9Backend::Gl, 2000, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(drawScene, crowd_occluded_gl, D3D9Backend::Gl, 2000, true)->Unit(benchmark::kMicrosecond);

BENCHMARK_CAPTURE(drawScene, showcase_recording, D3D9Backend::Recording, -1, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(drawScene, showcase_gl, D3D9Backend::Gl, -1, false)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
