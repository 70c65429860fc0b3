#include "platform/d3d9/FixedFunctionState.h"

#include <algorithm>
#include <cstring>

namespace {

DWORD floatBits(float value)
{
    DWORD bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

D3DMATRIX identity()
{
    D3DMATRIX m {};
    m._11 = m._22 = m._33 = m._44 = 1.0f;
    return m;
}

// Render states whose value changes the generated program.
bool changesProgram(D3DRENDERSTATETYPE state)
{
    switch (state) {
    case D3DRS_LIGHTING:
    case D3DRS_SPECULARENABLE:
    case D3DRS_LOCALVIEWER:
    case D3DRS_NORMALIZENORMALS:
    case D3DRS_COLORVERTEX:
    case D3DRS_DIFFUSEMATERIALSOURCE:
    case D3DRS_SPECULARMATERIALSOURCE:
    case D3DRS_AMBIENTMATERIALSOURCE:
    case D3DRS_EMISSIVEMATERIALSOURCE:
    case D3DRS_FOGENABLE:
    case D3DRS_FOGTABLEMODE:
    case D3DRS_FOGVERTEXMODE:
    case D3DRS_ALPHATESTENABLE:
    case D3DRS_ALPHAFUNC:
    case D3DRS_CLIPPLANEENABLE:
        return true;
    default:
        return false;
    }
}

// Render states that only feed uniforms of the generated program.
bool feedsConstants(D3DRENDERSTATETYPE state)
{
    switch (state) {
    case D3DRS_TEXTUREFACTOR:
    case D3DRS_FOGCOLOR:
    case D3DRS_FOGSTART:
    case D3DRS_FOGEND:
    case D3DRS_ALPHAREF:
    case D3DRS_AMBIENT:
        return true;
    default:
        return false;
    }
}

} // namespace

FixedFunctionState::FixedFunctionState(bool autoDepthStencil)
{
    reset(autoDepthStencil);
}

void FixedFunctionState::reset(bool autoDepthStencil)
{
    m_render.fill(0);
    m_render[D3DRS_ZENABLE] = autoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
    m_render[D3DRS_FILLMODE] = D3DFILL_SOLID;
    m_render[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
    m_render[D3DRS_ZWRITEENABLE] = TRUE;
    m_render[D3DRS_ALPHATESTENABLE] = FALSE;
    m_render[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    m_render[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    m_render[D3DRS_CULLMODE] = D3DCULL_CCW;
    m_render[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    m_render[D3DRS_ALPHAREF] = 0;
    m_render[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
    m_render[D3DRS_ALPHABLENDENABLE] = FALSE;
    m_render[D3DRS_FOGENABLE] = FALSE;
    m_render[D3DRS_SPECULARENABLE] = FALSE;
    m_render[D3DRS_FOGCOLOR] = 0;
    m_render[D3DRS_FOGTABLEMODE] = D3DFOG_NONE;
    m_render[D3DRS_FOGSTART] = floatBits(0.0f);
    m_render[D3DRS_FOGEND] = floatBits(1.0f);
    m_render[D3DRS_STENCILENABLE] = FALSE;
    m_render[D3DRS_STENCILFAIL] = D3DSTENCILOP_KEEP;
    m_render[D3DRS_STENCILZFAIL] = D3DSTENCILOP_KEEP;
    m_render[D3DRS_STENCILPASS] = D3DSTENCILOP_KEEP;
    m_render[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
    m_render[D3DRS_STENCILREF] = 0;
    m_render[D3DRS_STENCILMASK] = 0xffffffffu;
    m_render[D3DRS_STENCILWRITEMASK] = 0xffffffffu;
    m_render[D3DRS_TEXTUREFACTOR] = 0xffffffffu;
    m_render[D3DRS_CLIPPING] = TRUE;
    m_render[D3DRS_LIGHTING] = TRUE;
    m_render[D3DRS_AMBIENT] = 0;
    m_render[D3DRS_FOGVERTEXMODE] = D3DFOG_NONE;
    m_render[D3DRS_COLORVERTEX] = TRUE;
    m_render[D3DRS_LOCALVIEWER] = TRUE;
    m_render[D3DRS_NORMALIZENORMALS] = FALSE;
    m_render[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
    m_render[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
    m_render[D3DRS_AMBIENTMATERIALSOURCE] = D3DMCS_MATERIAL;
    m_render[D3DRS_EMISSIVEMATERIALSOURCE] = D3DMCS_MATERIAL;
    m_render[D3DRS_CLIPPLANEENABLE] = 0;
    m_render[D3DRS_POINTSIZE] = floatBits(1.0f);
    m_render[D3DRS_COLORWRITEENABLE] = 0x0000000fu;
    m_render[D3DRS_BLENDOP] = D3DBLENDOP_ADD;

    for (int s = 0; s < kStageCount; ++s) {
        auto& stage = m_stages[s];
        stage.fill(0);
        stage[D3DTSS_COLOROP] = s == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        stage[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
        stage[D3DTSS_COLORARG2] = D3DTA_CURRENT;
        stage[D3DTSS_ALPHAOP] = s == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        stage[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        stage[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
        stage[D3DTSS_TEXCOORDINDEX] = static_cast<DWORD>(s);
        stage[D3DTSS_TEXTURETRANSFORMFLAGS] = D3DTTFF_DISABLE;
        stage[D3DTSS_COLORARG0] = D3DTA_CURRENT;
        stage[D3DTSS_ALPHAARG0] = D3DTA_CURRENT;
        stage[D3DTSS_RESULTARG] = D3DTA_CURRENT;
    }

    for (auto& sampler : m_samplers) {
        sampler.fill(0);
        sampler[D3DSAMP_ADDRESSU] = D3DTADDRESS_WRAP;
        sampler[D3DSAMP_ADDRESSV] = D3DTADDRESS_WRAP;
        sampler[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
        sampler[D3DSAMP_BORDERCOLOR] = 0;
        sampler[D3DSAMP_MAGFILTER] = D3DTEXF_POINT;
        sampler[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
        sampler[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
        sampler[D3DSAMP_MAXANISOTROPY] = 1;
    }

    m_transforms.fill(identity());
    m_lights.clear();
    m_lightSet.clear();
    m_enabledLights.clear();
    m_material = D3DMATERIAL9 {};
    for (auto& plane : m_clipPlanes)
        plane.fill(0.0f);

    m_dirtyRender.set();
    m_dirtySampler.fill((1u << D3D9_SAMPLERSTATE_COUNT) - 1u);
    for (int g = 0; g < GroupCount; ++g)
        touch(static_cast<Group>(g));
    touchProgram();
}

bool FixedFunctionState::setRenderState(D3DRENDERSTATETYPE state, DWORD value)
{
    if (state >= D3D9_RENDERSTATE_COUNT || m_render[state] == value)
        return false;
    m_render[state] = value;
    m_dirtyRender.set(state);
    if (changesProgram(state))
        touchProgram();
    if (feedsConstants(state))
        touch(GroupConstants);
    return true;
}

DWORD FixedFunctionState::renderState(D3DRENDERSTATETYPE state) const
{
    return state < D3D9_RENDERSTATE_COUNT ? m_render[state] : 0;
}

float FixedFunctionState::renderStateFloat(D3DRENDERSTATETYPE state) const
{
    DWORD bits = renderState(state);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

bool FixedFunctionState::setTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value)
{
    if (stage >= kStageCount || type >= D3D9_TEXTURESTAGESTATE_COUNT || m_stages[stage][type] == value)
        return false;
    m_stages[stage][type] = value;
    touchProgram();
    return true;
}

DWORD FixedFunctionState::textureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type) const
{
    if (stage >= kStageCount || type >= D3D9_TEXTURESTAGESTATE_COUNT)
        return 0;
    return m_stages[stage][type];
}

bool FixedFunctionState::setSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value)
{
    if (sampler >= kSamplerCount || type >= D3D9_SAMPLERSTATE_COUNT || m_samplers[sampler][type] == value)
        return false;
    m_samplers[sampler][type] = value;
    m_dirtySampler[sampler] |= 1u << type;
    return true;
}

DWORD FixedFunctionState::samplerState(DWORD sampler, D3DSAMPLERSTATETYPE type) const
{
    if (sampler >= kSamplerCount || type >= D3D9_SAMPLERSTATE_COUNT)
        return 0;
    return m_samplers[sampler][type];
}

uint32_t FixedFunctionState::dirtySamplers() const
{
    uint32_t mask = 0;
    for (int s = 0; s < kSamplerCount; ++s)
        if (m_dirtySampler[s])
            mask |= 1u << s;
    return mask;
}

int FixedFunctionState::transformSlot(D3DTRANSFORMSTATETYPE type)
{
    if (type == D3DTS_WORLD)
        return 0;
    if (type == D3DTS_VIEW)
        return 1;
    if (type == D3DTS_PROJECTION)
        return 2;
    if (type >= D3DTS_TEXTURE0 && type <= D3DTS_TEXTURE7)
        return 3 + static_cast<int>(type - D3DTS_TEXTURE0);
    return -1;
}

bool FixedFunctionState::setTransform(D3DTRANSFORMSTATETYPE type, const D3DMATRIX& matrix)
{
    int slot = transformSlot(type);
    if (slot < 0)
        return false;
    m_transforms[slot] = matrix;
    if (slot >= 3) {
        touch(GroupTextureTransforms);
    } else {
        touch(GroupTransforms);
        // Lights are given in world space and lit in camera space.
        if (type == D3DTS_VIEW)
            touch(GroupLights);
    }
    return true;
}

const D3DMATRIX& FixedFunctionState::transform(D3DTRANSFORMSTATETYPE type) const
{
    int slot = transformSlot(type);
    return m_transforms[slot < 0 ? 0 : slot];
}

D3DLIGHT9 FixedFunctionState::defaultLight()
{
    // What Direct3D enables for an index that was never set: a white
    // directional light shining along +z.
    D3DLIGHT9 light {};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
    light.Direction = {0.0f, 0.0f, 1.0f};
    return light;
}

bool FixedFunctionState::setLight(DWORD index, const D3DLIGHT9& light)
{
    if (index >= static_cast<DWORD>(kMaxLightIndex))
        return false;
    if (light.Type != D3DLIGHT_POINT && light.Type != D3DLIGHT_SPOT && light.Type != D3DLIGHT_DIRECTIONAL)
        return false;
    if (index >= m_lights.size()) {
        m_lights.resize(index + 1, defaultLight());
        m_lightSet.resize(index + 1, 0);
    }
    bool typeChanged = m_lights[index].Type != light.Type;
    m_lights[index] = light;
    m_lightSet[index] = 1;
    if (isLightEnabled(index)) {
        touch(GroupLights);
        if (typeChanged)
            touchProgram();
    }
    return true;
}

bool FixedFunctionState::light(DWORD index, D3DLIGHT9* out) const
{
    if (index >= m_lights.size() || !m_lightSet[index])
        return false;
    *out = m_lights[index];
    return true;
}

bool FixedFunctionState::lightEnable(DWORD index, BOOL enable)
{
    if (index >= static_cast<DWORD>(kMaxLightIndex))
        return false;
    auto it = std::find(m_enabledLights.begin(), m_enabledLights.end(), index);
    if (!enable) {
        if (it != m_enabledLights.end()) {
            m_enabledLights.erase(it);
            touch(GroupLights);
            touchProgram();
        }
        return true;
    }
    if (it != m_enabledLights.end())
        return true;
    if (m_enabledLights.size() >= static_cast<size_t>(kMaxActiveLights))
        return false;
    if (index >= m_lights.size()) {
        m_lights.resize(index + 1, defaultLight());
        m_lightSet.resize(index + 1, 0);
    }
    m_lightSet[index] = 1;
    m_enabledLights.push_back(index);
    touch(GroupLights);
    touchProgram();
    return true;
}

bool FixedFunctionState::isLightEnabled(DWORD index) const
{
    return std::find(m_enabledLights.begin(), m_enabledLights.end(), index) != m_enabledLights.end();
}

void FixedFunctionState::setMaterial(const D3DMATERIAL9& material)
{
    m_material = material;
    touch(GroupMaterial);
}

bool FixedFunctionState::setClipPlane(DWORD index, const float plane[4])
{
    if (index >= static_cast<DWORD>(kClipPlaneCount))
        return false;
    std::copy(plane, plane + 4, m_clipPlanes[index].begin());
    touch(GroupClipPlanes);
    return true;
}

void FixedFunctionState::clearDirty()
{
    m_dirtyRender.reset();
    m_dirtySampler.fill(0);
}
