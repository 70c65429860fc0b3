// The state block: Direct3D's documented defaults, dirty bits and serials
// for applying differences only, and the light table's rules.
#include "platform/d3d9/FixedFunctionState.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

DWORD bits(float value)
{
    DWORD b;
    std::memcpy(&b, &value, sizeof b);
    return b;
}

struct Default {
    D3DRENDERSTATETYPE state;
    DWORD value;
};

TEST(FixedFunctionState, RenderStateDefaults)
{
    const Default defaults[] = {
        {D3DRS_ZENABLE, D3DZB_TRUE},
        {D3DRS_FILLMODE, D3DFILL_SOLID},
        {D3DRS_SHADEMODE, D3DSHADE_GOURAUD},
        {D3DRS_ZWRITEENABLE, TRUE},
        {D3DRS_ALPHATESTENABLE, FALSE},
        {D3DRS_SRCBLEND, D3DBLEND_ONE},
        {D3DRS_DESTBLEND, D3DBLEND_ZERO},
        {D3DRS_CULLMODE, D3DCULL_CCW},
        {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
        {D3DRS_ALPHAFUNC, D3DCMP_ALWAYS},
        {D3DRS_FOGSTART, bits(0.0f)},
        {D3DRS_FOGEND, bits(1.0f)},
        {D3DRS_STENCILFUNC, D3DCMP_ALWAYS},
        {D3DRS_STENCILMASK, 0xffffffff},
        {D3DRS_STENCILWRITEMASK, 0xffffffff},
        {D3DRS_TEXTUREFACTOR, 0xffffffff},
        {D3DRS_CLIPPING, TRUE},
        {D3DRS_LIGHTING, TRUE},
        {D3DRS_COLORVERTEX, TRUE},
        {D3DRS_LOCALVIEWER, TRUE},
        {D3DRS_NORMALIZENORMALS, FALSE},
        {D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1},
        {D3DRS_SPECULARMATERIALSOURCE, D3DMCS_COLOR2},
        {D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL},
        {D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_MATERIAL},
        {D3DRS_POINTSIZE, bits(1.0f)},
        {D3DRS_COLORWRITEENABLE, 0x0f},
        {D3DRS_BLENDOP, D3DBLENDOP_ADD},
    };
    FixedFunctionState s;
    for (const Default& d : defaults)
        EXPECT_EQ(s.renderState(d.state), d.value) << "render state " << d.state;
    EXPECT_EQ(FixedFunctionState(false).renderState(D3DRS_ZENABLE), static_cast<DWORD>(D3DZB_FALSE));
}

TEST(FixedFunctionState, StageAndSamplerDefaults)
{
    FixedFunctionState s;
    EXPECT_EQ(s.textureStageState(0, D3DTSS_COLOROP), static_cast<DWORD>(D3DTOP_MODULATE));
    EXPECT_EQ(s.textureStageState(0, D3DTSS_ALPHAOP), static_cast<DWORD>(D3DTOP_SELECTARG1));
    for (DWORD stage = 1; stage < 8; ++stage) {
        EXPECT_EQ(s.textureStageState(stage, D3DTSS_COLOROP), static_cast<DWORD>(D3DTOP_DISABLE));
        EXPECT_EQ(s.textureStageState(stage, D3DTSS_ALPHAOP), static_cast<DWORD>(D3DTOP_DISABLE));
        EXPECT_EQ(s.textureStageState(stage, D3DTSS_TEXCOORDINDEX), stage);
    }
    EXPECT_EQ(s.textureStageState(3, D3DTSS_COLORARG1), D3DTA_TEXTURE);
    EXPECT_EQ(s.textureStageState(3, D3DTSS_COLORARG2), D3DTA_CURRENT);
    EXPECT_EQ(s.textureStageState(3, D3DTSS_RESULTARG), D3DTA_CURRENT);
    EXPECT_EQ(s.textureStageState(3, D3DTSS_TEXTURETRANSFORMFLAGS), static_cast<DWORD>(D3DTTFF_DISABLE));
    EXPECT_EQ(s.samplerState(5, D3DSAMP_ADDRESSU), static_cast<DWORD>(D3DTADDRESS_WRAP));
    EXPECT_EQ(s.samplerState(5, D3DSAMP_MAGFILTER), static_cast<DWORD>(D3DTEXF_POINT));
    EXPECT_EQ(s.samplerState(5, D3DSAMP_MIPFILTER), static_cast<DWORD>(D3DTEXF_NONE));
    EXPECT_EQ(s.samplerState(5, D3DSAMP_MAXANISOTROPY), 1u);
    EXPECT_EQ(s.transform(D3DTS_TEXTURE7).m[3][3], 1.0f);
}

TEST(FixedFunctionState, DirtyBitsAndSerialsMarkOnlyChanges)
{
    FixedFunctionState s;
    s.clearDirty();
    EXPECT_TRUE(s.dirtyRenderStates().none());

    EXPECT_FALSE(s.setRenderState(D3DRS_CULLMODE, D3DCULL_CCW)) << "same value";
    EXPECT_TRUE(s.dirtyRenderStates().none());
    EXPECT_TRUE(s.setRenderState(D3DRS_CULLMODE, D3DCULL_NONE));
    EXPECT_TRUE(s.dirtyRenderStates().test(D3DRS_CULLMODE));
    EXPECT_EQ(s.dirtyRenderStates().count(), 1u);

    EXPECT_TRUE(s.setSamplerState(2, D3DSAMP_MINFILTER, D3DTEXF_ANISOTROPIC));
    EXPECT_EQ(s.dirtySamplers(), 1u << 2);
    EXPECT_EQ(s.dirtySamplerStates(2), 1u << D3DSAMP_MINFILTER);
    s.clearDirty();
    EXPECT_EQ(s.dirtySamplers(), 0u);

    uint64_t program = s.programSerial();
    uint64_t constants = s.serial(FixedFunctionState::GroupConstants);
    s.setRenderState(D3DRS_ZWRITEENABLE, FALSE);
    EXPECT_EQ(s.programSerial(), program) << "a GL state, not a program input";
    s.setRenderState(D3DRS_TEXTUREFACTOR, 0x80808080);
    EXPECT_EQ(s.programSerial(), program);
    EXPECT_NE(s.serial(FixedFunctionState::GroupConstants), constants);
    s.setTextureStageState(1, D3DTSS_COLOROP, D3DTOP_ADD);
    EXPECT_NE(s.programSerial(), program);

    uint64_t lights = s.serial(FixedFunctionState::GroupLights);
    D3DMATRIX view {};
    s.setTransform(D3DTS_VIEW, view);
    EXPECT_NE(s.serial(FixedFunctionState::GroupLights), lights) << "lights are placed by the view";
    uint64_t textures = s.serial(FixedFunctionState::GroupTextureTransforms);
    s.setTransform(D3DTS_TEXTURE3, view);
    EXPECT_NE(s.serial(FixedFunctionState::GroupTextureTransforms), textures);
}

TEST(FixedFunctionState, LightsEnableUpToEightAndDefaultWhenUnset)
{
    FixedFunctionState s;
    D3DLIGHT9 light {};
    light.Type = D3DLIGHT_POINT;
    EXPECT_TRUE(s.setLight(40, light)) << "indices beyond eight are fine to set";
    EXPECT_FALSE(s.setLight(FixedFunctionState::kMaxLightIndex, light));
    for (DWORD i = 0; i < 8; ++i)
        EXPECT_TRUE(s.lightEnable(i * 3, TRUE));
    EXPECT_FALSE(s.lightEnable(40, TRUE)) << "a ninth active light";
    EXPECT_TRUE(s.lightEnable(3, FALSE));
    EXPECT_TRUE(s.lightEnable(40, TRUE));
    EXPECT_TRUE(s.isLightEnabled(40));
    EXPECT_FALSE(s.isLightEnabled(3));

    D3DLIGHT9 got {};
    ASSERT_TRUE(s.light(6, &got)) << "enabling an unset index creates the default light";
    EXPECT_EQ(got.Type, D3DLIGHT_DIRECTIONAL);
    EXPECT_EQ(got.Diffuse.r, 1.0f);
    EXPECT_EQ(got.Direction.z, 1.0f);
    EXPECT_FALSE(s.light(7, &got));
}

} // namespace
