#include "engine/core/render/ShaderPass.h"

#include "engine/core/base/Format.h"
#include "engine/core/render/Material.h"
#include "engine/core/render/MaterialBlend.h"
#include "engine/core/render/Renderer.h"
#include "engine/core/base/Report.h"
#include "engine/core/render/ShaderFloatParams.h"
#include "engine/core/render/ShaderIntParams.h"
#include "engine/core/render/ShaderProgram.h"
#include "engine/core/texture/Texture.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/Direct3DTexture9.h"
#include "platform/d3dx/D3DXShader.h"

#include <algorithm>
#include <cstring>

namespace {

void releaseBuffer(ID3DXBuffer*& buffer)
{
    if (buffer)
        buffer->Release();
    buffer = nullptr;
}

} // namespace

ShaderPass::ShaderPass(Renderer* renderer) : m_renderer(renderer) {}

ShaderPass::~ShaderPass()
{
    for (auto& [key, pair] : m_programs) {
        delete pair.vertex;
        delete pair.pixel;
    }
    m_programs.clear();
    if (m_compiler)
        m_compiler->Release();
}

void ShaderPass::setCompiler(ID3DXEffectCompiler* compiler)
{
    if (compiler)
        compiler->AddRef();
    if (m_compiler)
        m_compiler->Release();
    m_compiler = compiler;
}

IDirect3DDevice9* ShaderPass::device() const
{
    return m_renderer ? m_renderer->m_device : nullptr;
}

std::string ShaderPass::vertexShaderName() const
{
    return "vshader";
}

std::string ShaderPass::pixelShaderName() const
{
    return "pshader";
}

std::string MaterialShaderPass::vertexShaderName() const
{
    const ShaderIntParams& p = *m_renderer->m_shaderIntParams;
    const bool specular = *p.m_specularEnabled != 0;
    int64_t n = int64_t(specular ? 3 : 2) * *p.m_numShadows + *p.m_numTexCOLR + *p.m_numTexLUMI + *p.m_numTexDIFF
                + *p.m_numTexREFL + *p.m_numTexSPEC + *p.m_numTexTRAN + *p.m_numTexTRNL + *p.m_numTexBUMP;
    if (*p.m_sphericalEnvmapAvailable)
        n += 1;
    if (*p.m_numTexBUMP > 0)
        n += 4;
    n = std::clamp<int64_t>(n, 0, 8);
    return std::string("vshader") + (specular ? "S" : "") + (*p.m_isFogEnabled ? "F" : "") + std::to_string(n);
}

std::string NoDepthShaderPass::vertexShaderName() const
{
    const ShaderIntParams& p = *m_renderer->m_shaderIntParams;
    const int32_t shadows = std::clamp(*p.m_numShadows, 0, 8);
    return std::string("vshader") + (*p.m_isFogEnabled ? "F" : "") + std::to_string(shadows);
}

void ShaderPass::reportParseError(const char* message)
{
    const char* text = message ? message : "";
    const ByteBuffer report = text[0] == '(' ? formatText("\n%s%s", m_name.c_str(), text) : formatText("\n%s", text);
    reportWarning(report.c_str(), "Parse Error");
}

bool ShaderPass::compile()
{
    m_vertexProgram = nullptr;
    m_pixelProgram = nullptr;
    if (!m_compiler) {
        reportParseError("no shader source for the shader passes");
        return false;
    }
    for (const ShaderParameter<int32_t>& entry : m_renderer->m_shaderIntParams->entries())
        m_compiler->SetValue(entry.name, entry.values, UINT(4 * entry.count));

    auto build = [&](const std::string& function, const ByteBuffer& profile, bool pixel) -> bool {
        ID3DXBuffer* code = nullptr;
        ID3DXBuffer* errors = nullptr;
        ID3DXConstantTable* constants = nullptr;
        const HRESULT hr = m_compiler->CompileShader(function.c_str(), profile.c_str(), D3DXSHADER_NO_PRESHADER,
                                                     &code, &errors, &constants);
        if (hr != D3D_OK || !code) {
            if (errors)
                reportParseError(static_cast<const char*>(errors->GetBufferPointer()));
            releaseBuffer(errors);
            releaseBuffer(code);
            if (constants)
                constants->Release();
            return false;
        }
        releaseBuffer(errors);
        const auto* words = static_cast<const uint32_t*>(code->GetBufferPointer());
        if (pixel)
            m_pixelProgram = new PixelProgram(m_renderer, words, constants);
        else
            m_vertexProgram = new VertexProgram(m_renderer, words, constants);
        releaseBuffer(code);
        return true;
    };

    if (!build(vertexShaderName(), m_renderer->m_vertexProfile, false))
        return false;
    if (!build(pixelShaderName(), m_renderer->m_pixelProfile, true)) {
        // A half-made pair is never cached: the vertex program goes too.
        delete m_vertexProgram;
        m_vertexProgram = nullptr;
        return false;
    }
    return true;
}

bool ShaderPass::prepare()
{
    std::vector<int32_t> key;
    key.reserve(160);
    for (const ShaderParameter<int32_t>& entry : m_renderer->m_shaderIntParams->entries())
        key.insert(key.end(), entry.values, entry.values + entry.count);

    auto [it, inserted] = m_programs.try_emplace(std::move(key));
    if (!inserted) {
        m_vertexProgram = it->second.vertex;
        m_pixelProgram = it->second.pixel;
        return m_vertexProgram != nullptr;
    }
    if (!compile())
        return false;
    it->second = ProgramPair{m_vertexProgram, m_pixelProgram};
    return true;
}

bool ShaderPass::activate()
{
    if (!m_renderer || !prepare())
        return false;
    m_renderer->m_shaderFloatParams->updateTransforms();
    IDirect3DDevice9* d = device();
    IDirect3DVertexShader9* vertex = m_vertexProgram->shader();
    IDirect3DPixelShader9* pixel = m_pixelProgram ? m_pixelProgram->shader() : nullptr;
    // A head whose device could not make one of the shaders draws with
    // neither: the device draws nothing with only one of them set.
    if (!vertex || !pixel) {
        d->SetVertexShader(nullptr);
        d->SetPixelShader(nullptr);
        return false;
    }
    d->SetVertexShader(vertex);
    d->SetPixelShader(pixel);
    m_vertexProgram->uploadConstants();
    m_pixelProgram->uploadConstants();
    return true;
}

namespace {

void setSampler(IDirect3DDevice9* d, DWORD stage, DWORD u, DWORD v, DWORD mip, DWORD mag, DWORD min)
{
    d->SetSamplerState(stage, D3DSAMP_ADDRESSU, u);
    d->SetSamplerState(stage, D3DSAMP_ADDRESSV, v);
    d->SetSamplerState(stage, D3DSAMP_MIPFILTER, mip);
    d->SetSamplerState(stage, D3DSAMP_MAGFILTER, mag);
    d->SetSamplerState(stage, D3DSAMP_MINFILTER, min);
}

DWORD addressMode(int32_t mode)
{
    return mode >= int32_t(D3DTADDRESS_WRAP) && mode <= int32_t(D3DTADDRESS_MIRRORONCE) ? DWORD(mode)
                                                                                   : DWORD(D3DTADDRESS_WRAP);
}

// The image layer a sampler named after a channel and a digit reads
// ("COLR0" the first colour layer, "DIFF1" the second diffuse layer).
MaterialLayer* samplerLayer(Material* surface, const std::string& name)
{
    const size_t n = name.size();
    if (!surface || n < 5 || name[n - 1] < '0' || name[n - 1] > '9')
        return nullptr;
    const char* c = name.c_str() + n - 5;
    const int32_t channel = int32_t(uint32_t(uint8_t(c[0])) << 24 | uint32_t(uint8_t(c[1])) << 16 |
                                    uint32_t(uint8_t(c[2])) << 8 | uint32_t(uint8_t(c[3])));
    return surface->findImageLayer(channel, name[n - 1] - '0' + 1);
}

} // namespace

void ShaderPass::bindTextures(Material* surface, double time, const std::vector<ActiveLight>& lights)
{
    if (!m_pixelProgram) {
        reportError("no shader set");
        return;
    }
    IDirect3DDevice9* d = device();
    const int32_t shadows = std::min<int64_t>(*m_renderer->m_shaderIntParams->m_numShadows, int64_t(lights.size()));
    const std::vector<std::string>& names = m_pixelProgram->m_samplerNames;
    for (DWORD stage = 0; stage < names.size(); ++stage) {
        const std::string& name = names[stage];
        IDirect3DBaseTexture9* texture = nullptr;
        if (MaterialLayer* layer = samplerLayer(surface, name)) {
            setSampler(d, stage, addressMode(layer->m_addressU), addressMode(layer->m_addressV),
                       layer->m_antialias ? D3DTEXF_LINEAR : D3DTEXF_NONE,
                       layer->m_pixelBlending ? D3DTEXF_LINEAR : D3DTEXF_POINT,
                       layer->m_pixelBlending ? D3DTEXF_ANISOTROPIC : D3DTEXF_POINT);
            d->SetSamplerState(stage, D3DSAMP_MAXANISOTROPY, 8);
            texture = layer->m_image ? layer->m_image->getD3DTexture(time) : nullptr;
        } else if (surface && (name == "ZIMG0" || name == "CUBE0")) {
            setSampler(d, stage, D3DTADDRESS_WRAP, D3DTADDRESS_WRAP, D3DTEXF_LINEAR, D3DTEXF_LINEAR,
                       D3DTEXF_ANISOTROPIC);
            if (name == "ZIMG0")
                texture = surface->m_reflectionImage ? surface->m_reflectionImage->getD3DTexture(time) : nullptr;
            else
                // The render code keeps its cube environment map first.
                texture = static_cast<IDirect3DBaseTexture9*>(surface->m_renderResources[0]);
        } else {
            for (int32_t i = 0; i < shadows; ++i) {
                const bool map = name == "ZMAP" + std::to_string(i);
                if (!map && name != "SPOT" + std::to_string(i))
                    continue;
                setSampler(d, stage, D3DTADDRESS_BORDER, D3DTADDRESS_BORDER, map ? D3DTEXF_NONE : D3DTEXF_LINEAR,
                           D3DTEXF_LINEAR, D3DTEXF_ANISOTROPIC);
                d->SetSamplerState(stage, D3DSAMP_BORDERCOLOR, 0);
                if (map && lights[size_t(i)].shadowMap)
                    texture = lights[size_t(i)].shadowMap->getD3DTexture(0.0);
                break;
            }
        }
        d->SetTexture(stage, texture);
    }
}

void ShaderPass::setStagePassThrough() const
{
    IDirect3DDevice9* d = device();
    for (DWORD s = 0; s < DWORD(m_renderer->m_stageCount); ++s) {
        d->SetTextureStageState(s, D3DTSS_TEXCOORDINDEX, s);
        d->SetTextureStageState(s, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
    }
}

void ShaderPass::applyMaterialStates(Material* surface, double time)
{
    IDirect3DDevice9* d = device();
    ShaderIntParams& n = *m_renderer->m_shaderIntParams;
    ShaderFloatParams& f = *m_renderer->m_shaderFloatParams;
    static const StagePlan empty;
    const StagePlan& plan = m_stagePlan ? *m_stagePlan : empty;
    MaterialValues values;
    MaterialBlendInput in;
    if (surface) {
        surface->evaluateMaterial(time, values);
        in = blendInputOf(*surface, values);
        if (const MaterialLayer* tran = surface->findImageLayer(lwoCode("TRAN"), 1)) {
            in.hasTranLayer = true;
            in.tranOpacityType = tran->m_opacityType;
        }
    } else {
        values.color[0] = values.color[1] = values.color[2] = 1.0f;
    }
    const MaterialBlend blend = shaderPassBlend(in);
    blend.apply(d);
    d->SetRenderState(D3DRS_CULLMODE, m_renderer->m_cullMode);
    setStagePassThrough();
    d->SetRenderState(D3DRS_SPECULARENABLE, FALSE);

    const bool shiny = values.specular > 0.000001f;
    *n.m_specularEnabled = shiny || (surface && surface->findImageLayer(ChannelSpecularity, 1)) ? 1 : 0;
    const float m = blend.colourScale;
    const float colour[4] = {values.color[0] * m, values.color[1] * m, values.color[2] * m, blend.alpha};
    const float lighting[4] = {values.luminosity, values.diffuse, values.specular,
                               shiny ? specularPower(values.glossiness, 127.9961f) : 0.0f};
    std::copy(colour, colour + 4, f.m_srfColor);
    std::copy(lighting, lighting + 4, f.m_srfLighting);
    std::fill(f.m_srfReflectivity, f.m_srfReflectivity + 3, values.reflection);
    *f.m_srfAddTransparency = values.additiveTransparency;
    // The per-layer tables hold four layers a channel; the shaders never
    // read past the count.
    int32_t* counts[StagePlan::PlanChannelCount] = {n.m_numTexCOLR, n.m_numTexLUMI, n.m_numTexDIFF, n.m_numTexREFL,
                                                     n.m_numTexSPEC, n.m_numTexTRAN, n.m_numTexBUMP};
    for (int32_t c = 0; c < StagePlan::PlanChannelCount; ++c)
        *counts[c] = std::clamp(plan.stageCount[c], 0, int32_t(ShaderIntParams::MaxLayers));
    *n.m_numTexTRNL = 0;
    *n.m_sphericalEnvmapAvailable = surface && surface->m_reflectionImage ? 1 : 0;
    *n.m_cubemapAvailable = surface && surface->m_renderResources[0] ? 1 : 0;
    *f.m_time = float(time);
    if (surface)
        writeSurfaceLayers(*surface, time);
}

void ShaderPass::writeSurfaceLayers(Material& surface, double time)
{
    ShaderIntParams& n = *m_renderer->m_shaderIntParams;
    ShaderFloatParams& f = *m_renderer->m_shaderFloatParams;
    int32_t next[LayerChannelCount] = {};
    const int32_t count = surface.imageLayerCount();
    for (int32_t i = 0; i < count; ++i) {
        MaterialLayer* layer = surface.imageLayer(i);
        const int32_t channel = layer ? layerChannel(layer->m_channel) : -1;
        if (channel < 0)
            continue;
        LayerTableValues values;
        values.opacity = layer->opacityAt(time);
        values.opacityType = layer->m_opacityType;
        values.gradientInput = layer->m_gradientInput;
        values.negative = layer->m_negative;
        values.gradientEnd = layer->m_gradientEnd;
        writeLayerTables(n, f, channel, next[channel]++, values);
    }
}

int32_t ShaderPass::layerChannel(int32_t code)
{
    for (int32_t c = 0; c < StagePlan::PlanChannelCount; ++c)
        if (StagePlan::channelCode(c) == code)
            return c;
    return -1;
}

bool ShaderPass::writeLayerTables(ShaderIntParams& n, ShaderFloatParams& f, int32_t channel, int32_t k,
                                  const LayerTableValues& layer)
{
    if (channel < 0 || channel >= LayerChannelCount || k < 0 || k >= ShaderIntParams::MaxLayers)
        return false;
    if (channel == LayerCOLR)
        std::fill(f.m_metaTexOpacity[channel] + 3 * k, f.m_metaTexOpacity[channel] + 3 * k + 3, layer.opacity);
    else
        f.m_metaTexOpacity[channel][k] = layer.opacity;
    n.m_metaTexFullOpacity[channel][k] = layer.opacity >= 0.999999f ? 1 : 0;
    n.m_metaTexBlendop[channel][k] = layer.opacityType;
    n.m_metaTexgInput[channel][k] = layer.gradientInput;
    if (channel == LayerCOLR) {
        n.m_metaTexInvert[channel][k] = layer.negative;
        // A gradient that ends where it starts has no ramp to scale by.
        f.m_metaTexgParam[channel][4 * k + 3] = layer.gradientEnd != 0.0f ? 1.0f / layer.gradientEnd : 0.0f;
    }
    return true;
}

void NoDepthShaderPass::applyMaterialStates(Material* surface, double time)
{
    ShaderPass::applyMaterialStates(surface, time);
    IDirect3DDevice9* d = device();
    d->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    d->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    d->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
}

void OpaqueShaderPass::applyMaterialStates(Material* surface, double time)
{
    ShaderPass::applyMaterialStates(surface, time);
    device()->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
}
