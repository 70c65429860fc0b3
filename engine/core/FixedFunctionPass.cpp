#include "engine/core/FixedFunctionPass.h"

#include "engine/core/MaterialBlend.h"
#include "engine/core/Renderer.h"
#include "engine/core/ShaderFloatParams.h"
#include "engine/core/Texture.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/Direct3DTexture9.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t MaxStages = 8;

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

void FixedFunctionPass::bindTextures(Surface* surface, double, const std::vector<ActiveLight>& lights)
{
    (void)surface;
    if (!m_renderer->m_multitexture || m_renderer->m_flatMaterial) {
        IDirect3DDevice9* d = device();
        d->SetTexture(0, nullptr);
        d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_DISABLE);
        d->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
        return;
    }
    endCascade(bindShadowStages(0, lights));
}

void FixedFunctionPass::applyMaterialStates(Surface* surface, double)
{
    (void)surface;
    IDirect3DDevice9* d = device();
    D3DCOLORVALUE c = {1.0f, 1.0f, 1.0f, 1.0f};
    D3DCOLORVALUE h = c;
    if (m_renderer->m_flatMaterial) {
        c = {0.9f, 0.9f, 0.9f, 1.0f};
        h = {0.0f, 0.0f, 0.0f, 1.0f};
    }
    const MaterialBlend blend = fixedFunctionBlend(MaterialBlendInput{});
    blend.apply(d);
    for (float* channel : {&c.r, &c.g, &c.b})
        *channel *= blend.colourScale;
    d->SetRenderState(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL);
    d->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);
    d->SetRenderState(D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_MATERIAL);

    const float diffuse = 1.0f, specular = 0.0f, luminosity = 0.0f, alpha = blend.alpha;
    D3DMATERIAL9 material{};
    material.Diffuse = {c.r * diffuse, c.g * diffuse, c.b * diffuse, alpha};
    material.Ambient = material.Diffuse;
    material.Specular = {h.r * specular, h.g * specular, h.b * specular, alpha};
    material.Emissive = {c.r * luminosity, c.g * luminosity, c.b * luminosity, alpha};
    material.Power = 0.0f;
    d->SetMaterial(&material);
    d->SetRenderState(D3DRS_CULLMODE, m_renderer->m_cullMode);
    d->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
    d->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);
}

void StatePass::bindTextures(Surface*, double, const std::vector<ActiveLight>&)
{
    IDirect3DDevice9* d = device();
    d->SetTexture(0, nullptr);
    d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_DISABLE);
    d->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
}

void StatePass::applyMaterialStates(Surface*, double)
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
