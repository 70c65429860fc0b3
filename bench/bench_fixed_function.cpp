// The CPU side of a fixed-function draw: building the key from the state
// block (every draw whose program inputs changed), finding it among the
// cached programs (every draw), and generating GLSL (once per new key, before
// the driver compiles it). The draw path is the first two; the third, plus
// the driver's compile, is what every cache hit saves.
#include "platform/d3d9/FixedFunctionKey.h"
#include "platform/d3d9/FixedFunctionShader.h"
#include "platform/d3d9/FixedFunctionState.h"

#include <benchmark/benchmark.h>

#include <unordered_map>

namespace {

// A lit, fogged surface with a colour layer, the vertex-colour shift and a
// specular layer: the common shape of the engine's fixed-function draws.
void typicalState(FixedFunctionState& s)
{
    s.setRenderState(D3DRS_LIGHTING, TRUE);
    s.setRenderState(D3DRS_FOGENABLE, TRUE);
    s.setRenderState(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
    s.setRenderState(D3DRS_NORMALIZENORMALS, TRUE);
    s.setRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1);
    s.setRenderState(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_COLOR1);
    for (DWORD i = 0; i < 3; ++i) {
        D3DLIGHT9 light {};
        light.Type = i == 0 ? D3DLIGHT_DIRECTIONAL : i == 1 ? D3DLIGHT_POINT : D3DLIGHT_SPOT;
        light.Range = 100;
        light.Attenuation0 = 1;
        s.setLight(i, light);
        s.lightEnable(i, TRUE);
    }
    s.setTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE2X);
    s.setTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE4X);
    s.setTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TFACTOR | D3DTA_ALPHAREPLICATE);
    s.setTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    s.setTextureStageState(1, D3DTSS_ALPHAARG1, D3DTA_CURRENT);
    s.setTextureStageState(2, D3DTSS_COLOROP, D3DTOP_MULTIPLYADD);
    s.setTextureStageState(2, D3DTSS_COLORARG0, D3DTA_CURRENT);
    s.setTextureStageState(2, D3DTSS_COLORARG1, D3DTA_SPECULAR);
    s.setTextureStageState(2, D3DTSS_COLORARG2, D3DTA_TEXTURE);
    s.setTextureStageState(2, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    s.setTextureStageState(2, D3DTSS_ALPHAARG1, D3DTA_CURRENT);
    s.setTextureStageState(2, D3DTSS_TEXCOORDINDEX, 1);
}

const FixedFunctionVertexFormat kFormat =
    FixedFunctionVertexFormat::fromFvf(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX2);
const std::array<FixedFunctionTextureKind, 8> kTextures {};

void BM_KeyBuild(benchmark::State& bench)
{
    FixedFunctionState s;
    typicalState(s);
    for (auto _ : bench)
        benchmark::DoNotOptimize(FixedFunctionKey::build(s, kFormat, kTextures));
}
BENCHMARK(BM_KeyBuild);

// A cache of 64 programs, as a race scene reaches after its first frames.
void BM_KeyLookup(benchmark::State& bench)
{
    FixedFunctionState s;
    typicalState(s);
    std::unordered_map<FixedFunctionKey, int, FixedFunctionKeyHash> cache;
    std::vector<FixedFunctionKey> keys;
    for (int i = 0; i < 64; ++i) {
        s.setTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1 + i % 25);
        s.setRenderState(D3DRS_CLIPPLANEENABLE, i / 25);
        keys.push_back(FixedFunctionKey::build(s, kFormat, kTextures));
        cache.emplace(keys.back(), i);
    }
    size_t n = 0;
    for (auto _ : bench)
        benchmark::DoNotOptimize(cache.find(keys[n++ & 63]));
}
BENCHMARK(BM_KeyLookup);

void BM_SourceGeneration(benchmark::State& bench)
{
    FixedFunctionState s;
    typicalState(s);
    FixedFunctionKey::Fields fields = FixedFunctionKey::build(s, kFormat, kTextures).fields();
    for (auto _ : bench) {
        benchmark::DoNotOptimize(FixedFunctionShader::vertexSource(fields));
        benchmark::DoNotOptimize(FixedFunctionShader::fragmentSource(fields));
    }
}
BENCHMARK(BM_SourceGeneration);

} // namespace

BENCHMARK_MAIN();
