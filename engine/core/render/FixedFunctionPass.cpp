#include "engine/core/render/FixedFunctionPass.h"

#include "engine/core/render/Material.h"
#include "engine/core/render/MaterialBlend.h"
#include "engine/core/render/Renderer.h"
#include "engine/core/render/ShaderFloatParams.h"
#include "engine/core/texture/Texture.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/Direct3DTexture9.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t MaxStages = 8;

// Address modes from a file: anything but the device's five is wrap.
DWORD addressMode(int32_t mode)
{
    return mode >= int32_t(D3DTADDRESS_WRAP) && mode <= int32_t(D3DTADDRESS_MIRRORONCE) ? DWORD(mode)
                                                                                   : DWORD(D3DTADDRESS_WRAP);
}

DWORD anisotropy(float strength)
{
    return strength >= 1.0f ? DWORD(std::min(strength, 16.0f)) : 1u;
}

DWORD textureArg(const MaterialLayer& layer)
{
    return D3DTA_TEXTURE | (layer.m_negative ? D3DTA_COMPLEMENT : 0u);
}

D3DMATRIX shadowMatrix(const float* values)
{
    D3DMATRIX m;
    std::memcpy(&m, values, sizeof m);
    return m;
}

} // namespace

Matrix4 FixedFunctionPass::layerTextureMatrix(const Matrix4& layer, int32_t axis)
{
    const int cu = axis == 0 ? 2 : 0;
    const int cv = axis == 0 ? 1 : (axis == 1 ? 2 : 1);
    Matrix4 t;
    for (int r = 0; r < 4; ++r) {
        t.at(r, 0) = layer.at(r, cu);
        t.at(r, 1) = layer.at(r, cv);
    }
    t.at(3, 3) = 1.0f;
    return t;
}

Matrix4 FixedFunctionPass::reflectionTextureMatrix(const Matrix4& view, int32_t axis)
{
    Matrix4 inverse;
    Matrix4::inverseAffine(inverse, view);
    if (axis < 0 || axis > 2)
        return inverse;
    // u and v from the two coordinates across the axis, into 0..1.
    const int u = axis == 0 ? 2 : 0;
    const int v = axis == 1 ? 2 : 1;
    Matrix4 a;
    a.at(u, 0) = 0.5f;
    a.at(v, 1) = 0.5f;
    a.at(3, 0) = 0.5f;
    a.at(3, 1) = 0.5f;
    a.at(3, 3) = 1.0f;
    Matrix4 out;
    Matrix4::multiply(out, inverse, a);
    return out;
}

bool FixedFunctionPass::activate()
{
    if (!m_renderer)
        return false;
    m_renderer->m_shaderFloatParams->updateTransforms();
    device()->SetVertexShader(nullptr);
    device()->SetPixelShader(nullptr);
    return true;
}

uint32_t FixedFunctionPass::stageLimit() const
{
    return uint32_t(std::clamp<int32_t>(m_renderer->m_stageCount, 0, int32_t(MaxStages)));
}

uint32_t FixedFunctionPass::bindShadowStages(uint32_t stage, const std::vector<ActiveLight>& lights)
{
    IDirect3DDevice9* d = device();
    const bool border = (m_renderer->m_caps.TextureAddressCaps & D3DPTADDRESSCAPS_BORDER) != 0;
    const float* matrices = m_renderer->m_shaderFloatParams->m_matWorldLightviewLightprojShadowbias;
    int32_t shadow = 0;
    for (const ActiveLight& light : lights) {
        if (!light.shadowMap)
            continue;
        // Each shadow map has its own matrix and stage; past either the
        // remaining lights draw without their shadows.
        if (stage >= stageLimit() || shadow >= ShaderFloatParams::MaxShadowMaps)
            break;
        const DWORD s = stage;
        d->SetSamplerState(s, D3DSAMP_ADDRESSU, border ? D3DTADDRESS_BORDER : D3DTADDRESS_CLAMP);
        d->SetSamplerState(s, D3DSAMP_ADDRESSV, border ? D3DTADDRESS_BORDER : D3DTADDRESS_CLAMP);
        if (border)
            d->SetSamplerState(s, D3DSAMP_BORDERCOLOR, 0xFFFFFFFFu);
        d->SetSamplerState(s, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
        d->SetSamplerState(s, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
        d->SetSamplerState(s, D3DSAMP_MINFILTER, D3DTEXF_ANISOTROPIC);
        d->SetTexture(s, light.shadowMap->getD3DTexture(0.0));
        const D3DMATRIX m = shadowMatrix(matrices + 16 * shadow);
        d->SetTransform(D3DTRANSFORMSTATETYPE(D3DTS_TEXTURE0 + s), &m);
        d->SetTextureStageState(s, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEPOSITION);
        d->SetTextureStageState(s, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT3 | D3DTTFF_PROJECTED);
        d->SetTextureStageState(s, D3DTSS_COLOROP, D3DTOP_MODULATE);
        d->SetTextureStageState(s, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        d->SetTextureStageState(s, D3DTSS_COLORARG2, D3DTA_CURRENT);
        d->SetTextureStageState(s, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        d->SetTextureStageState(s, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        d->SetTextureStageState(s, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
        ++stage;
        ++shadow;
    }
    return stage;
}

void FixedFunctionPass::endCascade(uint32_t stage)
{
    // With every stage in use the cascade ends by itself.
    if (stage >= stageLimit())
        return;
    IDirect3DDevice9* d = device();
    d->SetTexture(stage, nullptr);
    d->SetTextureStageState(stage, D3DTSS_COLOROP, D3DTOP_DISABLE);
    d->SetTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
}

D3DCOLOR FixedFunctionPass::packColor(const float* rgb, float alpha)
{
    auto byte = [](float v) { return DWORD(255.0f * (v > 0.0f ? std::min(v, 1.0f) : 0.0f) + 0.5f); };
    return (byte(alpha) << 24) | (byte(rgb[0]) << 16) | (byte(rgb[1]) << 8) | byte(rgb[2]);
}

void FixedFunctionPass::bindLayer(uint32_t stage, MaterialLayer* layer, D3DCOLOR borderColor, double time)
{
    IDirect3DDevice9* d = device();
    const DWORD s = stage;
    const DWORD u = addressMode(layer->m_addressU);
    const DWORD v = addressMode(layer->m_addressV);
    d->SetSamplerState(s, D3DSAMP_ADDRESSU, u);
    d->SetSamplerState(s, D3DSAMP_ADDRESSV, v);
    if (u == D3DTADDRESS_BORDER || v == D3DTADDRESS_BORDER)
        d->SetSamplerState(s, D3DSAMP_BORDERCOLOR, borderColor);
    d->SetSamplerState(s, D3DSAMP_MIPFILTER, layer->m_antialias ? D3DTEXF_LINEAR : D3DTEXF_NONE);
    d->SetSamplerState(s, D3DSAMP_MAGFILTER, layer->m_pixelBlending ? D3DTEXF_LINEAR : D3DTEXF_POINT);
    d->SetSamplerState(s, D3DSAMP_MINFILTER, layer->m_pixelBlending ? D3DTEXF_ANISOTROPIC : D3DTEXF_POINT);
    d->SetSamplerState(s, D3DSAMP_MAXANISOTROPY, anisotropy(layer->m_antialiasStrength));
    if (layer->hasAnimatedTransform()) {
        Matrix4& t = m_renderer->m_shaderFloatParams->m_textureMatrices[stage];
        t = layerTextureMatrix(layer->setupTransform(time), layer->m_axis);
        d->SetTransform(D3DTRANSFORMSTATETYPE(D3DTS_TEXTURE0 + s), reinterpret_cast<const D3DMATRIX*>(t.m));
        d->SetTextureStageState(s, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
    } else {
        d->SetTextureStageState(s, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
    }
    d->SetTexture(s, layer->m_image ? layer->m_image->getD3DTexture(time) : nullptr);
}

uint32_t FixedFunctionPass::bindColorStages(uint32_t s, const StagePlan& plan, D3DCOLOR border, double time)
{
    IDirect3DDevice9* d = device();
    for (int32_t k = 0; k < plan.stageCount[StagePlan::PlanCOLR] && s < stageLimit(); ++k) {
        MaterialLayer* layer = plan.channelLayer(StagePlan::PlanCOLR, k);
        if (!layer)
            break;
        const int32_t slot = plan.firstStage[StagePlan::PlanCOLR] + k;
        bindLayer(s, layer, border, time);
        d->SetTextureStageState(s, D3DTSS_TEXCOORDINDEX, DWORD(slot));
        DWORD op = D3DTOP_BLENDTEXTUREALPHA;
        if (k == 0)
            op = plan.levels[slot] >= 2 ? D3DTOP_MODULATE4X : plan.levels[slot] == 1 ? D3DTOP_MODULATE2X : D3DTOP_MODULATE;
        d->SetTextureStageState(s, D3DTSS_COLOROP, op);
        d->SetTextureStageState(s, D3DTSS_COLORARG1, textureArg(*layer));
        d->SetTextureStageState(s, D3DTSS_COLORARG2, D3DTA_CURRENT);
        d->SetTextureStageState(s, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        d->SetTextureStageState(s, D3DTSS_ALPHAARG1, D3DTA_CURRENT);
        ++s;
    }
    const int32_t shift = plan.levels[StagePlan::MaxStages];
    if (shift > 0 && s < stageLimit()) {
        d->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFF000000u);
        d->SetTextureStageState(s, D3DTSS_COLOROP, shift == 1 ? D3DTOP_MODULATE2X : D3DTOP_MODULATE4X);
        d->SetTextureStageState(s, D3DTSS_COLORARG1, D3DTA_TFACTOR | D3DTA_ALPHAREPLICATE);
        d->SetTextureStageState(s, D3DTSS_COLORARG2, D3DTA_CURRENT);
        d->SetTextureStageState(s, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        d->SetTextureStageState(s, D3DTSS_ALPHAARG1, D3DTA_CURRENT);
        ++s;
    }
    return s;
}

uint32_t FixedFunctionPass::bindReflectionStage(uint32_t s, const StagePlan& plan, Material& surface, double time)
{
    if (!surface.m_reflectionImage || surface.m_reflectionMode != 2 || !m_renderer->m_sphereMap || s >= stageLimit())
        return s;
    IDirect3DDevice9* d = device();
    MaterialValues values;
    surface.evaluateMaterial(time, values);
    d->SetTexture(s, surface.m_reflectionImage->getD3DTexture(time));
    d->SetRenderState(D3DRS_TEXTUREFACTOR, reflectionFactor(values.reflection));
    d->SetTextureStageState(s, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR);
    d->SetTextureStageState(s, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
    d->SetTextureStageState(s, D3DTSS_COLOROP, D3DTOP_MULTIPLYADD);
    d->SetTextureStageState(s, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d->SetTextureStageState(s, D3DTSS_COLORARG2, D3DTA_TFACTOR);
    d->SetTextureStageState(s, D3DTSS_COLORARG0, D3DTA_CURRENT);
    d->SetTextureStageState(s, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    d->SetTextureStageState(s, D3DTSS_ALPHAARG1, D3DTA_CURRENT);
    d->SetSamplerState(s, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
    d->SetSamplerState(s, D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP);
    // The sphere map lies across the axis the colour image is projected
    // along; UV-mapped and cubic colour layers have no such axis.
    const MaterialLayer* colour = plan.channelLayer(StagePlan::PlanCOLR, 0);
    int32_t axis = 0;
    if (colour && colour->m_projection != 3 && colour->m_projection != 5)
        axis = colour->m_axis;
    Matrix4& t = m_renderer->m_shaderFloatParams->m_textureMatrices[s];
    t = reflectionTextureMatrix(m_renderer->m_shaderFloatParams->m_view, axis);
    d->SetTransform(D3DTRANSFORMSTATETYPE(D3DTS_TEXTURE0 + s), reinterpret_cast<const D3DMATRIX*>(t.m));
    return s + 1;
}

uint32_t FixedFunctionPass::bindTransparencyStage(uint32_t s, const StagePlan& plan, Material& surface, double time)
{
    MaterialLayer* layer = plan.channelLayer(StagePlan::PlanTRAN, 0);
    if (!layer || s >= stageLimit())
        return s;
    IDirect3DDevice9* d = device();
    bindLayer(s, layer, 0, time);
    // The layer's own coordinates: slot 0 belongs to the first layer of the
    // plan, which is the colour image whenever there is one.
    d->SetTextureStageState(s, D3DTSS_TEXCOORDINDEX, DWORD(plan.firstStage[StagePlan::PlanTRAN]));
    d->SetTextureStageState(s, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    d->SetTextureStageState(s, D3DTSS_COLORARG1, textureArg(*layer) | D3DTA_ALPHAREPLICATE);
    d->SetTextureStageState(s, D3DTSS_COLORARG2, D3DTA_CURRENT);
    d->SetTextureStageState(s, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    d->SetTextureStageState(s, D3DTSS_ALPHAARG1, textureArg(*layer));
    d->SetTextureStageState(s, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
    MaterialLayer* first = surface.findImageLayer(lwoCode("TRAN"), 1);
    if (first && first->m_image == layer->m_image && layer->m_negative)
        d->SetTexture(s, first->m_image ? first->m_image->getD3DTexture(time) : nullptr);
    return s + 1;
}

void FixedFunctionPass::bindTextures(Material* surface, double time, const std::vector<ActiveLight>& lights)
{
    if (!m_renderer->m_multitexture || m_renderer->m_flatMaterial) {
        IDirect3DDevice9* d = device();
        d->SetTexture(0, nullptr);
        d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_DISABLE);
        d->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
        return;
    }
    static const StagePlan empty;
    const StagePlan& plan = m_stagePlan ? *m_stagePlan : empty;
    IDirect3DDevice9* d = device();
    uint32_t s = 0;
    if (surface) {
        MaterialValues values;
        surface->evaluateMaterial(time, values);
        s = bindColorStages(s, plan, packColor(values.color, 1.0f), time);
        for (int32_t k = 0; k < plan.stageCount[StagePlan::PlanDIFF] && s < stageLimit(); ++k) {
            MaterialLayer* layer = plan.channelLayer(StagePlan::PlanDIFF, k);
            if (!layer)
                break;
            bindLayer(s, layer, 0, time);
            d->SetTextureStageState(s, D3DTSS_TEXCOORDINDEX, DWORD(plan.firstStage[StagePlan::PlanDIFF] + k));
            d->SetTextureStageState(s, D3DTSS_COLOROP, D3DTOP_MODULATE2X);
            d->SetTextureStageState(s, D3DTSS_COLORARG1, textureArg(*layer));
            d->SetTextureStageState(s, D3DTSS_COLORARG2, D3DTA_CURRENT);
            d->SetTextureStageState(s, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
            d->SetTextureStageState(s, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
            d->SetTextureStageState(s, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
            ++s;
        }
        if (MaterialLayer* layer = plan.channelLayer(StagePlan::PlanSPEC, 0); layer && s < stageLimit()) {
            bindLayer(s, layer, 0, time);
            d->SetTextureStageState(s, D3DTSS_TEXCOORDINDEX, DWORD(plan.firstStage[StagePlan::PlanSPEC]));
            d->SetTextureStageState(s, D3DTSS_COLOROP, D3DTOP_MULTIPLYADD);
            d->SetTextureStageState(s, D3DTSS_COLORARG0, D3DTA_CURRENT);
            d->SetTextureStageState(s, D3DTSS_COLORARG1, D3DTA_SPECULAR);
            d->SetTextureStageState(s, D3DTSS_COLORARG2, textureArg(*layer));
            d->SetTextureStageState(s, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
            d->SetTextureStageState(s, D3DTSS_ALPHAARG1, D3DTA_CURRENT);
            d->SetTextureStageState(s, D3DTSS_ALPHAARG2, D3DTA_SPECULAR);
            ++s;
        }
        s = bindReflectionStage(s, plan, *surface, time);
        s = bindTransparencyStage(s, plan, *surface, time);
    }
    endCascade(bindShadowStages(s, lights));
}

void FixedFunctionPass::applyMaterialStates(Material* surface, double time)
{
    IDirect3DDevice9* d = device();
    static const StagePlan empty;
    const StagePlan& plan = m_stagePlan ? *m_stagePlan : empty;
    MaterialValues values;
    MaterialBlendInput in;
    if (surface) {
        surface->evaluateMaterial(time, values);
        in = blendInputOf(*surface, values);
        // Without multitexturing no transparency stage is drawn.
        const MaterialLayer* tran = m_renderer->m_multitexture ? plan.channelLayer(StagePlan::PlanTRAN, 0) : nullptr;
        if (tran) {
            in.hasTranLayer = true;
            in.tranOpacityType = tran->m_opacityType;
            in.tranPunchThrough = tran->m_image && (tran->m_image->m_flags & TextureAlphaTested) != 0;
        }
    } else {
        values.color[0] = values.color[1] = values.color[2] = 1.0f;
    }
    const bool vertexColors = plan.vertexColorLayer != nullptr;
    const MaterialLayer* colour = plan.channelLayer(StagePlan::PlanCOLR, 0);
    // The colour image (unless it multiplies) and vertex colours replace
    // the surface colour; the stages modulate the lit white.
    D3DCOLORVALUE c = {1.0f, 1.0f, 1.0f, 1.0f};
    if (!vertexColors && (!colour || colour->m_opacityType == 3))
        c = {values.color[0], values.color[1], values.color[2], 1.0f};
    D3DCOLORVALUE h;
    h.r = 1.0f - (1.0f - c.r) * values.colorHighlights;
    h.g = 1.0f - (1.0f - c.g) * values.colorHighlights;
    h.b = 1.0f - (1.0f - c.b) * values.colorHighlights;
    h.a = 1.0f;
    if (m_renderer->m_flatMaterial) {
        c = {0.9f, 0.9f, 0.9f, 1.0f};
        h = {0.0f, 0.0f, 0.0f, 1.0f};
    }
    const MaterialBlend blend = fixedFunctionBlend(in);
    blend.apply(d);
    for (float* channel : {&c.r, &c.g, &c.b})
        *channel *= blend.colourScale;
    d->SetRenderState(D3DRS_AMBIENTMATERIALSOURCE,
                      vertexColors && values.diffuse > 0.5f ? D3DMCS_COLOR1 : D3DMCS_MATERIAL);
    d->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE,
                      vertexColors && values.diffuse > 0.5f ? D3DMCS_COLOR1 : D3DMCS_MATERIAL);
    d->SetRenderState(D3DRS_EMISSIVEMATERIALSOURCE,
                      vertexColors && values.luminosity > 0.5f ? D3DMCS_COLOR1 : D3DMCS_MATERIAL);

    const float diffuse = values.diffuse, specular = values.specular, luminosity = values.luminosity;
    const float alpha = blend.alpha;
    const bool shiny = specular > 0.000001f;
    D3DMATERIAL9 material{};
    material.Diffuse = {c.r * diffuse, c.g * diffuse, c.b * diffuse, alpha};
    material.Ambient = material.Diffuse;
    material.Specular = {h.r * specular, h.g * specular, h.b * specular, alpha};
    material.Emissive = {c.r * luminosity, c.g * luminosity, c.b * luminosity, alpha};
    material.Power = shiny ? specularPower(values.glossiness, 255.0f) : 0.0f;
    d->SetMaterial(&material);
    d->SetRenderState(D3DRS_CULLMODE, m_renderer->m_cullMode);
    const bool specularStage = m_renderer->m_multitexture && plan.stageCount[StagePlan::PlanSPEC] > 0;
    d->SetRenderState(D3DRS_SPECULARENABLE, shiny && !specularStage ? TRUE : FALSE);
    d->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);
}

void StatePass::bindTextures(Material*, double, const std::vector<ActiveLight>&)
{
    IDirect3DDevice9* d = device();
    d->SetTexture(0, nullptr);
    d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_DISABLE);
    d->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
}

void StatePass::applyMaterialStates(Material*, double)
{
    IDirect3DDevice9* d = device();
    // Opaque, whatever the surface.
    fixedFunctionBlend(MaterialBlendInput{}).apply(d);
    d->SetRenderState(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL);
    d->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);
    d->SetRenderState(D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_MATERIAL);
    D3DMATERIAL9 material{};
    material.Diffuse = material.Ambient = material.Specular = {0.0f, 0.0f, 0.0f, 1.0f};
    material.Emissive = {0.0f, 0.0f, 0.0f, 0.0f};
    material.Power = 0.0f;
    d->SetMaterial(&material);
    d->SetRenderState(D3DRS_CULLMODE, m_renderer->m_cullMode);
    d->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
    d->SetRenderState(D3DRS_NORMALIZENORMALS, FALSE);
}
