// The pass family on GL: shader permutations compiled from the material
// source (programs made and milliseconds per permutation), and 200 material
// draws a frame through each pass family: 200 LightWave surfaces (plain
// colours, one or two colour images, a transparency image, specular and
// additive ones) on a quad each, each draw the full sequence the geometry
// makes (material states, declaration, activate, texture binding, draw).
// Each frame reads one pixel back so the rasteriser's work is counted too.
// Counters: draws per second; programs and ms per permutation.
#include "engine/core/render/FixedFunctionPass.h"
#include "engine/core/geometry/RenderGeometry.h"
#include "engine/core/render/Renderer.h"
#include "engine/lightwave/LwMesh.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "engine/core/render/ShaderIntParams.h"
#include "platform/d3d9/D3D9Backend.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/Direct3DSurface9.h"
#include "platform/d3d9/DeviceBackend.h"
#include "platform/d3dx/D3DXShader.h"
#include "support/MaterialShaders.h"
#include "support/RendererRig.h"
#include "tools/lib/ImageWriters.h"
#include "tools/lib/Lwo2Writer.h"
#include "tools/lib/MemoryFileSystem.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

namespace {

constexpr int kMaterials = 200;
constexpr int kSize = 256;

// The start sequence up to the renderer on GL, with the material source
// given to the shader passes.
class Rig {
public:
    explicit Rig(bool fixedFunction)
    {
        selectD3D9Backend(D3D9Backend::Gl);
        if (m_rig.start(kSize, kSize, fixedFunction))
            useMaterialShaders(*m_rig.renderer);
    }
    ~Rig() { selectD3D9Backend(D3D9Backend::Default); }
    Renderer* renderer() const { return m_rig.renderer.get(); }

private:
    RendererRig m_rig;
};

void compilePermutations(benchmark::State& bench)
{
    Rig rig(false);
    if (!rig.renderer()) {
        bench.SkipWithError("no display");
        return;
    }
    Renderer& r = *rig.renderer();
    ShaderIntParams& n = *r.m_shaderIntParams;
    double seconds = 0.0;
    size_t programs = 0;
    for (auto _ : bench) {
        // A fresh pass each round, so every permutation compiles again.
        MaterialShaderPass pass(&r);
        bench.PauseTiming();
        ID3DXEffectCompiler* compiler = nullptr;
        const std::string source = materialShaderSource();
        D3DXCreateEffectCompiler(source.data(), UINT(source.size()), &compiler);
        pass.setCompiler(compiler);
        compiler->Release();
        bench.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        for (int32_t colour = 0; colour < 9; ++colour) {
            *n.m_numTexCOLR = colour;
            benchmark::DoNotOptimize(pass.activate());
        }
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        programs += 2 * pass.permutationCount();
    }
    *n.m_numTexCOLR = 0;
    bench.counters["programs"] = double(programs);
    bench.counters["ms/permutation"] = programs ? 2000.0 * seconds / double(programs) : 0.0;
}

// 200 surfaces, a quad each over a 20 x 10 grid: every second with a
// colour image, every fourth with a second one, every eighth with a
// transparency image, every fifth specular, every seventh additive.
std::vector<uint8_t> materialGrid()
{
    Lwo2Writer w;
    std::vector<std::string> names;
    for (int i = 0; i < kMaterials; ++i)
        names.push_back("S" + std::to_string(i));
    w.tags(names);
    w.layer(0);
    std::vector<std::array<float, 3>> points;
    std::vector<std::vector<uint32_t>> quads;
    std::vector<uint16_t> tags;
    std::vector<std::pair<uint32_t, std::vector<float>>> uv;
    for (int i = 0; i < kMaterials; ++i) {
        const float x = -1.0f + float(i % 20) / 10.0f, y = -1.0f + float(i / 20) / 5.0f, s = 0.09f;
        const uint32_t p = uint32_t(points.size());
        points.insert(points.end(), {{x, y, 0.5f}, {x, y + s, 0.5f}, {x + s, y + s, 0.5f}, {x + s, y, 0.5f}});
        uv.insert(uv.end(), {{p, {0, 0}}, {p + 1, {0, 1}}, {p + 2, {1, 1}}, {p + 3, {1, 0}}});
        quads.push_back({p, p + 1, p + 2, p + 3});
        tags.push_back(uint16_t(i));
    }
    w.points(points);
    w.vmap("TXUV", 2, "UV", uv);
    w.polygons(quads);
    w.polygonTags(tags);
    w.clipStill(1, "a.bmp");
    w.clipStill(2, "b.bmp");
    for (int i = 0; i < kMaterials; ++i) {
        Lwo2Surface s;
        s.name = names[size_t(i)];
        s.color = {float(i % 7) / 6.0f, float(i % 5) / 4.0f, float(i % 3) / 2.0f};
        s.values = {{"DIFF", 0.8f}, {"LUMI", 0.1f}};
        if (i % 5 == 0)
            s.values.push_back({Lwo2Specularity, 0.4f});
        if (i % 7 == 0)
            s.values.push_back({"ADTR", 0.3f});
        auto block = [&](const char* channel, int clip, char ordinal) {
            Lwo2Block b;
            b.channel = channel;
            b.image = clip;
            b.vmap = "UV";
            b.ordinal = std::string(1, ordinal);
            s.blocks.push_back(b);
        };
        if (i % 2 == 0)
            block("COLR", 1, '\x80');
        if (i % 4 == 0)
            block("COLR", 2, '\x81');
        if (i % 8 == 0)
            block("TRAN", 2, '\x82');
        w.surface(s);
    }
    return w.finish();
}

// 200 draws a frame through the slot's pass.
void drawMaterials(benchmark::State& bench, bool fixedFunction, std::unique_ptr<ShaderPass> Renderer::*slot)
{
    Rig rig(fixedFunction);
    if (!rig.renderer() || !(rig.renderer()->*slot)) {
        bench.SkipWithError("no display");
        return;
    }
    Renderer& r = *rig.renderer();
    ShaderPass* pass = (r.*slot).get();
    IDirect3DDevice9* d = r.m_device;
    MemoryFileSystem files;
    BmpLayout layout;
    layout.width = layout.height = 16;
    files.addFile("a.bmp", writeBmp(layout, {}, std::vector<uint32_t>(256, 0xC08040)));
    files.addFile("b.bmp", writeBmp(layout, {}, std::vector<uint32_t>(256, 0x4080C0)));
    files.addFile("grid.lwo", materialGrid());
    SceneManager manager(&r, "bench");
    Scene* scene = manager.loadScene("bench");
    MeshObject* object = scene->loadObjectLayer(&files, "grid.lwo", 0, scene->m_root);
    if (!object) {
        bench.SkipWithError("the material grid did not load");
        return;
    }
    manager.prepare(nullptr);
    auto* mesh = static_cast<LwMesh*>(object->firstLodMesh());
    IDirect3DSurface9* backBuffer = nullptr;
    d->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer);
    std::vector<D3DCOLOR> pixel;
    const std::vector<ActiveLight> lights;
    auto frame = [&] {
        d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        d->BeginScene();
        for (const auto& geometry : mesh->m_geometries)
            geometry->draw(pass, 0.0, lights);
        d->EndScene();
        d->backend().readPixels(backBuffer->storage(), RECT{0, 0, 1, 1}, pixel);
    };
    // The first frame makes the programs of every material; the compile
    // costs are the permutation benchmark's.
    frame();
    for (auto _ : bench)
        frame();
    backBuffer->Release();
    bench.counters["draws/s"] = benchmark::Counter(double(bench.iterations()) * double(mesh->m_geometries.size()),
                                                   benchmark::Counter::kIsRate);
}

void BM_CompilePermutations(benchmark::State& bench)
{
    compilePermutations(bench);
}
void BM_FixedFunctionPass(benchmark::State& bench)
{
    drawMaterials(bench, true, &Renderer::m_mainPass);
}
void BM_StatePass(benchmark::State& bench)
{
    drawMaterials(bench, true, &Renderer::m_secondPass);
}
void BM_MaterialShaderPass(benchmark::State& bench)
{
    drawMaterials(bench, false, &Renderer::m_mainPass);
}
void BM_NoDepthShaderPass(benchmark::State& bench)
{
    drawMaterials(bench, false, &Renderer::m_noDepthPass);
}
void BM_OpaqueShaderPass(benchmark::State& bench)
{
    drawMaterials(bench, false, &Renderer::m_opaquePass);
}

} // namespace

BENCHMARK(BM_CompilePermutations)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FixedFunctionPass)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StatePass)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MaterialShaderPass)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NoDepthShaderPass)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpaqueShaderPass)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
