// The pass family on GL: shader permutations compiled from the material
// source (programs made and milliseconds per permutation), and 200 material
// draws a frame through each pass family, each draw the full pass sequence
// (material states, activate, texture binding) and one small quad. Each
// frame reads one pixel back so the rasteriser's work is counted too.
// Counters: draws per second; programs and ms per permutation.
#include "engine/core/FixedFunctionPass.h"
#include "engine/core/Renderer.h"
#include "engine/core/ShaderIntParams.h"
#include "platform/d3d9/D3D9Backend.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/Direct3DSurface9.h"
#include "platform/d3d9/DeviceBackend.h"
#include "platform/d3dx/D3DXShader.h"
#include "support/MaterialShaders.h"
#include "support/RendererRig.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

namespace {

constexpr int kMaterials = 200;
constexpr int kSize = 256;

struct Vertex {
    float x, y, z, nx, ny, nz, u, v;
};
constexpr DWORD kFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;

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
    std::vector<Vertex> quads;
    for (int i = 0; i < kMaterials; ++i) {
        const float x = -1.0f + float(i % 20) / 10.0f, y = -1.0f + float(i / 20) / 10.0f, s = 0.09f;
        const Vertex a{x, y + s, 0.5f, 0, 0, -1, 0, 0}, b{x + s, y + s, 0.5f, 0, 0, -1, 1, 0};
        const Vertex c{x, y, 0.5f, 0, 0, -1, 0, 1}, e{x + s, y, 0.5f, 0, 0, -1, 1, 1};
        for (const Vertex& v : {a, b, c, c, b, e})
            quads.push_back(v);
    }
    IDirect3DSurface9* backBuffer = nullptr;
    d->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer);
    std::vector<D3DCOLOR> pixel;
    for (auto _ : bench) {
        d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        d->BeginScene();
        for (int i = 0; i < kMaterials; ++i) {
            pass->applyMaterialStates(nullptr, 0.0);
            d->SetFVF(kFvf);
            if (pass->activate())
                pass->bindTextures(nullptr, 0.0, {});
            d->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, &quads[size_t(i) * 6], sizeof(Vertex));
        }
        d->EndScene();
        d->backend().readPixels(backBuffer->storage(), RECT{0, 0, 1, 1}, pixel);
    }
    backBuffer->Release();
    bench.counters["draws/s"] =
        benchmark::Counter(double(bench.iterations()) * kMaterials, benchmark::Counter::kIsRate);
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
