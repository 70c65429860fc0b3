// The fixed-function pipeline through the device on GL: each case sets its
// states with the device's own calls, draws from user memory and compares
// the read-back pixel with Direct3D 9's documented formulas.
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/Direct3DTexture9.h"
#include "support/GlDeviceRig.h"
#include "support/GlRequirement.h"
#include "tests/platform/FixedFunctionTestRig.h"
#include "tests/platform/LightingReference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

namespace {

using namespace lighting;

constexpr float kTolerance = 2.5f / 255.0f;

DWORD bits(float value)
{
    DWORD b;
    std::memcpy(&b, &value, sizeof b);
    return b;
}

void expectColour(D3DCOLOR got, const Rgba& expected, bool alpha = true)
{
    const Rgba g = rgbaOf(got);
    EXPECT_NEAR(g.r, expected.r, kTolerance);
    EXPECT_NEAR(g.g, expected.g, kTolerance);
    EXPECT_NEAR(g.b, expected.b, kTolerance);
    if (alpha)
        EXPECT_NEAR(g.a, expected.a, kTolerance);
}

void selectDiffuse(IDirect3DDevice9* d)
{
    d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    d->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
}

// A managed A8R8G8B8 texture filled row by row through LockRect.
IDirect3DTexture9* argbTexture(IDirect3DDevice9* d, UINT width, UINT height, const std::vector<D3DCOLOR>& texels)
{
    IDirect3DTexture9* texture = nullptr;
    if (FAILED(d->CreateTexture(width, height, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr)))
        return nullptr;
    D3DLOCKED_RECT locked{};
    texture->LockRect(0, &locked, nullptr, 0);
    for (UINT y = 0; y < height; ++y)
        std::memcpy(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch, &texels[y * width], width * 4);
    texture->UnlockRect(0);
    return texture;
}

// ---- Lights: one light of each kind, each material source in turn. ----

// One light of each kind, each material source in turn; the light's range
// (100) reaches every corner and the viewer is local.
const LightCase kLights[] = {
    {"directional_material", D3DLIGHT_DIRECTIONAL, {0, 0, 0}, {0.6f, 0, 0.8f}, 100, 0, 0, 0, 1, 0, 0,
     D3DMCS_MATERIAL, D3DMCS_MATERIAL, D3DMCS_MATERIAL, D3DMCS_MATERIAL, false, true},
    {"directional_diffuse_ambient_color1", D3DLIGHT_DIRECTIONAL, {0, 0, 0}, {0, 0, 1}, 100, 0, 0, 0, 1, 0, 0,
     D3DMCS_COLOR1, D3DMCS_COLOR1, D3DMCS_MATERIAL, D3DMCS_MATERIAL, false, true},
    {"point_attenuated_emissive_color2", D3DLIGHT_POINT, {0, 0, 1}, {0, 0, 1}, 100, 0, 0, 0, 0.5f, 0.1f, 0.02f,
     D3DMCS_MATERIAL, D3DMCS_MATERIAL, D3DMCS_COLOR2, D3DMCS_MATERIAL, false, true},
    {"point_specular_color2", D3DLIGHT_POINT, {0, 0, 1}, {0, 0, 1}, 100, 0, 0, 0, 1, 0, 0,
     D3DMCS_MATERIAL, D3DMCS_MATERIAL, D3DMCS_MATERIAL, D3DMCS_COLOR2, true, true},
    {"spot_falloff", D3DLIGHT_SPOT, {0, 0, 0}, {0, 0, 1}, 100, 60 * kPi / 180, 90 * kPi / 180, 2.0f, 1, 0, 0,
     D3DMCS_MATERIAL, D3DMCS_MATERIAL, D3DMCS_MATERIAL, D3DMCS_MATERIAL, true, true},
    {"spot_inner_cone_color1", D3DLIGHT_SPOT, {0, 0, 0}, {0, 0, 1}, 100, 80 * kPi / 180, 100 * kPi / 180, 1.0f, 1,
     0.05f, 0, D3DMCS_COLOR1, D3DMCS_COLOR1, D3DMCS_COLOR1, D3DMCS_COLOR1, true, true},
};

class DeviceLighting : public ::testing::TestWithParam<LightCase> {};

TEST_P(DeviceLighting, VertexLitQuadMatchesDocumentedEquations)
{
    GlDeviceRig rig;
    REQUIRE_GL(rig.ready(), rig.failure());
    const LightCase& c = GetParam();
    IDirect3DDevice9* d = rig.device();
    const D3DMATRIX projection = FixedFunctionTestRig::perspective(kPi / 2, 1.0f, 1.0f, 100.0f);
    d->SetTransform(D3DTS_PROJECTION, &projection);
    d->SetRenderState(D3DRS_LIGHTING, TRUE);
    d->SetRenderState(D3DRS_AMBIENT, kGlobalAmbient);
    d->SetRenderState(D3DRS_SPECULARENABLE, c.specular);
    d->SetRenderState(D3DRS_LOCALVIEWER, TRUE);
    d->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);
    d->SetRenderState(D3DRS_AMBIENTMATERIALSOURCE, c.ambientSource);
    d->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, c.diffuseSource);
    d->SetRenderState(D3DRS_EMISSIVEMATERIALSOURCE, c.emissiveSource);
    d->SetRenderState(D3DRS_SPECULARMATERIALSOURCE, c.specularSource);
    ASSERT_EQ(d->SetMaterial(&kMaterial), D3D_OK);
    D3DLIGHT9 light{};
    light.Type = c.type;
    light.Diffuse = kLightDiffuse;
    light.Ambient = kLightAmbient;
    light.Specular = kLightSpecular;
    light.Position = {c.position.x, c.position.y, c.position.z};
    light.Direction = {c.direction.x, c.direction.y, c.direction.z};
    light.Range = c.range;
    light.Theta = c.theta;
    light.Phi = c.phi;
    light.Falloff = c.falloff;
    light.Attenuation0 = c.att0;
    light.Attenuation1 = c.att1;
    light.Attenuation2 = c.att2;
    ASSERT_EQ(d->SetLight(2, &light), D3D_OK);
    ASSERT_EQ(d->LightEnable(2, TRUE), D3D_OK);
    selectDiffuse(d);
    rig.clear(0xFF000000);
    // All four corners sit alike about the view axis, so the centre shows
    // the vertex colour; a normal of length 2 checks NORMALIZENORMALS.
    ASSERT_EQ(rig.drawList(GlDeviceRig::quad(-2, -2, 2, 2, 5, kVertexDiffuse, kVertexSpecular, -2.0f)), D3D_OK);
    expectColour(rig.pixel(8, 8), reference(c, {&c}, {2, 2, 5}, {0, 0, -1}));
}

INSTANTIATE_TEST_SUITE_P(Lights, DeviceLighting, ::testing::ValuesIn(kLights),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Linear table fog at its start, middle and end. ----

struct FogCase {
    const char* name;
    float depth;
    float factor;
};

class DeviceFog : public ::testing::TestWithParam<FogCase> {};

TEST_P(DeviceFog, BlendsTowardsFogColourWithDepth)
{
    GlDeviceRig rig;
    REQUIRE_GL(rig.ready(), rig.failure());
    const FogCase& c = GetParam();
    IDirect3DDevice9* d = rig.device();
    const D3DMATRIX projection = FixedFunctionTestRig::perspective(kPi / 2, 1.0f, 1.0f, 100.0f);
    d->SetTransform(D3DTS_PROJECTION, &projection);
    d->SetRenderState(D3DRS_FOGENABLE, TRUE);
    d->SetRenderState(D3DRS_FOGCOLOR, 0xff2040ff);
    d->SetRenderState(D3DRS_FOGSTART, bits(10.0f));
    d->SetRenderState(D3DRS_FOGEND, bits(20.0f));
    d->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
    selectDiffuse(d);
    rig.clear(0xFF000000);
    const D3DCOLOR colour = 0x80ff8000;
    ASSERT_EQ(rig.drawList(GlDeviceRig::quad(-c.depth, -c.depth, c.depth, c.depth, c.depth, colour)), D3D_OK);
    const Rgba in = rgbaOf(colour), fog = rgbaOf(0xff2040ff);
    const float f = c.factor;
    expectColour(rig.pixel(8, 8), {f * in.r + (1 - f) * fog.r, f * in.g + (1 - f) * fog.g,
                                   f * in.b + (1 - f) * fog.b, in.a});
}

const FogCase kFog[] = {{"start", 10.0f, 1.0f}, {"middle", 15.0f, 0.5f}, {"end", 20.0f, 0.0f}};
INSTANTIATE_TEST_SUITE_P(Linear, DeviceFog, ::testing::ValuesIn(kFog),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Texture stage operations on texture T, diffuse D, factor F. ----

struct StageCase {
    const char* name;
    DWORD op, arg1, arg2, arg0;
    bool secondStageModulatesFactor;
    Rgba (*expected)(Rgba t, Rgba d, Rgba f);
};

const D3DCOLOR kTexel = 0xC0804020, kDiffuse = 0xFF60A0E0, kFactor = 0xFF4080C0;

Rgba each(Rgba a, Rgba b, float (*f)(float, float))
{
    return {f(a.r, b.r), f(a.g, b.g), f(a.b, b.b), 1.0f};
}

const StageCase kStages[] = {
    {"modulate", D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTA_CURRENT, false,
     [](Rgba t, Rgba d, Rgba) { return each(t, d, [](float a, float b) { return a * b; }); }},
    {"modulate2x", D3DTOP_MODULATE2X, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTA_CURRENT, false,
     [](Rgba t, Rgba d, Rgba) { return each(t, d, [](float a, float b) { return saturate(2 * a * b); }); }},
    {"add", D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTA_CURRENT, false,
     [](Rgba t, Rgba d, Rgba) { return each(t, d, [](float a, float b) { return saturate(a + b); }); }},
    {"add_signed", D3DTOP_ADDSIGNED, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTA_CURRENT, false,
     [](Rgba t, Rgba d, Rgba) { return each(t, d, [](float a, float b) { return saturate(a + b - 0.5f); }); }},
    {"subtract", D3DTOP_SUBTRACT, D3DTA_DIFFUSE, D3DTA_TEXTURE, D3DTA_CURRENT, false,
     [](Rgba t, Rgba d, Rgba) { return each(d, t, [](float a, float b) { return saturate(a - b); }); }},
    {"blend_texture_alpha", D3DTOP_BLENDTEXTUREALPHA, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTA_CURRENT, false,
     [](Rgba t, Rgba d, Rgba) {
         return Rgba{t.r * t.a + d.r * (1 - t.a), t.g * t.a + d.g * (1 - t.a), t.b * t.a + d.b * (1 - t.a), 1};
     }},
    {"multiply_add_factor", D3DTOP_MULTIPLYADD, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTA_TFACTOR, false,
     [](Rgba t, Rgba d, Rgba f) {
         return Rgba{saturate(f.r + t.r * d.r), saturate(f.g + t.g * d.g), saturate(f.b + t.b * d.b), 1};
     }},
    {"complement_then_factor_stage", D3DTOP_SELECTARG1, D3DTA_TEXTURE | D3DTA_COMPLEMENT, D3DTA_DIFFUSE,
     D3DTA_CURRENT, true, [](Rgba t, Rgba, Rgba f) {
         return Rgba{(1 - t.r) * f.r, (1 - t.g) * f.g, (1 - t.b) * f.b, 1};
     }},
};

class DeviceStages : public ::testing::TestWithParam<StageCase> {};

TEST_P(DeviceStages, CombineAsDocumented)
{
    GlDeviceRig rig;
    REQUIRE_GL(rig.ready(), rig.failure());
    const StageCase& c = GetParam();
    IDirect3DDevice9* d = rig.device();
    IDirect3DTexture9* texture = argbTexture(d, 2, 2, std::vector<D3DCOLOR>(4, kTexel));
    ASSERT_NE(texture, nullptr);
    d->SetTexture(0, texture);
    d->SetRenderState(D3DRS_TEXTUREFACTOR, kFactor);
    d->SetTextureStageState(0, D3DTSS_COLOROP, c.op);
    d->SetTextureStageState(0, D3DTSS_COLORARG1, c.arg1);
    d->SetTextureStageState(0, D3DTSS_COLORARG2, c.arg2);
    d->SetTextureStageState(0, D3DTSS_COLORARG0, c.arg0);
    d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    d->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    if (c.secondStageModulatesFactor) {
        d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
        d->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_CURRENT);
        d->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_TFACTOR);
        d->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        d->SetTextureStageState(1, D3DTSS_ALPHAARG1, D3DTA_CURRENT);
    }
    rig.clear(0xFF000000);
    ASSERT_EQ(rig.drawList(GlDeviceRig::quad(-1, -1, 1, 1, 0.5f, kDiffuse)), D3D_OK);
    expectColour(rig.pixel(8, 8), c.expected(rgbaOf(kTexel), rgbaOf(kDiffuse), rgbaOf(kFactor)), false);
    d->SetTexture(0, nullptr);
    texture->Release();
}

INSTANTIATE_TEST_SUITE_P(Operations, DeviceStages, ::testing::ValuesIn(kStages),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Camera-space coordinate generation through a texture transform. ----

struct TexGenCase {
    const char* name;
    DWORD index;
    float uFromX, uFromZ;
    D3DCOLOR left, right;
};

const D3DCOLOR kRed = 0xFFFF0000, kBlue = 0xFF0000FF;

// A 2x1 texture, red on the left and blue on the right, is addressed by
// u = uFromX * x + uFromZ * z + 0.5 of the generated coordinate.
const TexGenCase kTexGen[] = {
    {"position_left_to_right", D3DTSS_TCI_CAMERASPACEPOSITION, 0.1f, 0.0f, kRed, kBlue},
    {"position_mirrored", D3DTSS_TCI_CAMERASPACEPOSITION, -0.1f, 0.0f, kBlue, kRed},
    {"normal_towards_viewer", D3DTSS_TCI_CAMERASPACENORMAL, 0.0f, 0.25f, kRed, kRed},
    {"normal_mirrored", D3DTSS_TCI_CAMERASPACENORMAL, 0.0f, -0.25f, kBlue, kBlue},
};

class DeviceTexGen : public ::testing::TestWithParam<TexGenCase> {};

TEST_P(DeviceTexGen, TransformedCameraSpaceCoordinatesAddressTheTexture)
{
    GlDeviceRig rig;
    REQUIRE_GL(rig.ready(), rig.failure());
    const TexGenCase& c = GetParam();
    IDirect3DDevice9* d = rig.device();
    IDirect3DTexture9* texture = argbTexture(d, 2, 1, {kRed, kBlue});
    ASSERT_NE(texture, nullptr);
    const D3DMATRIX projection = FixedFunctionTestRig::perspective(kPi / 2, 1.0f, 1.0f, 100.0f);
    d->SetTransform(D3DTS_PROJECTION, &projection);
    D3DMATRIX m{};
    m._11 = c.uFromX;
    m._31 = c.uFromZ;
    m._41 = 0.5f;
    m._42 = 0.5f;
    d->SetTransform(D3DTS_TEXTURE0, &m);
    d->SetTexture(0, texture);
    d->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, c.index);
    d->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
    d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    d->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
    rig.clear(0xFF000000);
    ASSERT_EQ(rig.drawList(GlDeviceRig::quad(-5, -5, 5, 5, 5)), D3D_OK);
    EXPECT_EQ(rig.pixel(2, 8), c.left);
    EXPECT_EQ(rig.pixel(13, 8), c.right);
    d->SetTexture(0, nullptr);
    texture->Release();
}

INSTANTIATE_TEST_SUITE_P(Coordinates, DeviceTexGen, ::testing::ValuesIn(kTexGen),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Alpha test against the reference value. ----

struct AlphaCase {
    const char* name;
    DWORD func;
    DWORD alpha;
    bool drawn;
};

const AlphaCase kAlpha[] = {
    {"greater_passes", D3DCMP_GREATER, 0x81, true},  {"greater_equal_value_fails", D3DCMP_GREATER, 0x80, false},
    {"less_passes", D3DCMP_LESS, 0x7F, true},        {"less_fails", D3DCMP_LESS, 0x90, false},
    {"equal_passes", D3DCMP_EQUAL, 0x80, true},      {"not_equal_fails", D3DCMP_NOTEQUAL, 0x80, false},
};

class DeviceAlphaTest : public ::testing::TestWithParam<AlphaCase> {};

TEST_P(DeviceAlphaTest, KeepsOrDiscardsByVertexAlpha)
{
    GlDeviceRig rig;
    REQUIRE_GL(rig.ready(), rig.failure());
    const AlphaCase& c = GetParam();
    IDirect3DDevice9* d = rig.device();
    selectDiffuse(d);
    d->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    d->SetRenderState(D3DRS_ALPHAREF, 0x80);
    d->SetRenderState(D3DRS_ALPHAFUNC, c.func);
    rig.clear(0xFF000000);
    ASSERT_EQ(rig.drawList(GlDeviceRig::quad(-1, -1, 1, 1, 0.5f, (c.alpha << 24) | 0x00FF00)), D3D_OK);
    EXPECT_EQ(rig.pixel(8, 8), c.drawn ? ((c.alpha << 24) | 0x00FF00) : 0xFF000000u);
}

INSTANTIATE_TEST_SUITE_P(Functions, DeviceAlphaTest, ::testing::ValuesIn(kAlpha),
                         [](const auto& info) { return std::string(info.param.name); });

// Screen pixels i and j are the quad's bounds when its corners sit on the
// pixel edges i - 0.5 and j + 0.5 of the 16-pixel target.
float edge(float pixel)
{
    return (pixel / 8.0f) - 1.0f;
}

TEST(DeviceStencil, IncrementThenEqualDrawsOnlyWhereMarked)
{
    GlDeviceRig rig;
    REQUIRE_GL(rig.ready(), rig.failure());
    IDirect3DDevice9* d = rig.device();
    selectDiffuse(d);
    rig.clear(0xFF000000, 1.0f, 0);
    // Mark the left half without touching colour.
    d->SetRenderState(D3DRS_STENCILENABLE, TRUE);
    d->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_ALWAYS);
    d->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_INCR);
    d->SetRenderState(D3DRS_COLORWRITEENABLE, 0);
    ASSERT_EQ(rig.drawList(GlDeviceRig::quad(edge(-0.5f), -1.5f, edge(7.5f), 1.5f, 0.5f, kRed)), D3D_OK);
    // Then a full-screen quad only where the count is 1.
    d->SetRenderState(D3DRS_COLORWRITEENABLE, 0xF);
    d->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
    d->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
    d->SetRenderState(D3DRS_STENCILREF, 1);
    ASSERT_EQ(rig.drawList(GlDeviceRig::quad(-1.5f, -1.5f, 1.5f, 1.5f, 0.5f, 0xFF00FF00)), D3D_OK);
    EXPECT_EQ(rig.pixel(0, 8), 0xFF00FF00u);
    EXPECT_EQ(rig.pixel(7, 0), 0xFF00FF00u);
    EXPECT_EQ(rig.pixel(8, 8), 0xFF000000u);
    EXPECT_EQ(rig.pixel(15, 15), 0xFF000000u);
    DWORD value = 0;
    EXPECT_EQ(d->GetRenderState(D3DRS_STENCILREF, &value), D3D_OK);
    EXPECT_EQ(value, 1u);
}

TEST(DeviceClipPlane, KeepsTheSideThePlaneFaces)
{
    GlDeviceRig rig;
    REQUIRE_GL(rig.ready(), rig.failure());
    IDirect3DDevice9* d = rig.device();
    selectDiffuse(d);
    // Direct3D keeps points with dot(plane, (x, y, z, 1)) >= 0: here x >= 0.25.
    const float plane[4] = {1.0f, 0.0f, 0.0f, -0.25f};
    ASSERT_EQ(d->SetClipPlane(0, plane), D3D_OK);
    d->SetRenderState(D3DRS_CLIPPLANEENABLE, D3DCLIPPLANE0);
    rig.clear(0xFF000000);
    ASSERT_EQ(rig.drawList(GlDeviceRig::quad(-1.5f, -1.5f, 1.5f, 1.5f, 0.5f, kRed)), D3D_OK);
    EXPECT_EQ(rig.pixel(8, 8), 0xFF000000u);
    EXPECT_EQ(rig.pixel(11, 8), kRed);
    d->SetRenderState(D3DRS_CLIPPLANEENABLE, 0);
    ASSERT_EQ(rig.drawList(GlDeviceRig::quad(-1.5f, -1.5f, 1.5f, 1.5f, 0.5f, kBlue)), D3D_OK);
    EXPECT_EQ(rig.pixel(8, 8), kBlue);
}

TEST(DeviceBlend, SourceAlphaBlendsOverTheTarget)
{
    GlDeviceRig rig;
    REQUIRE_GL(rig.ready(), rig.failure());
    IDirect3DDevice9* d = rig.device();
    selectDiffuse(d);
    d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    rig.clear(0xFF0000FF);
    ASSERT_EQ(rig.drawList(GlDeviceRig::quad(-1.5f, -1.5f, 1.5f, 1.5f, 0.5f, 0x40FF0000)), D3D_OK);
    const float a = 0x40 / 255.0f;
    expectColour(rig.pixel(8, 8), {a, 0, 1 - a, a * a + (1 - a)});
}

// Pre-transformed vertices are window pixels with Direct3D 9's centres on
// whole coordinates: a texture spread from -0.5 to 3.5 maps texel i onto
// pixel i exactly, and neither transforms, lighting nor clip planes touch
// them.
TEST(DevicePretransformed, TexelsLandOnTheirPixels)
{
    GlDeviceRig rig;
    REQUIRE_GL(rig.ready(), rig.failure());
    IDirect3DDevice9* d = rig.device();
    const std::vector<D3DCOLOR> texels = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
    IDirect3DTexture9* texture = argbTexture(d, 4, 1, texels);
    ASSERT_NE(texture, nullptr);
    struct ScreenVertex {
        float x, y, z, rhw;
        D3DCOLOR diffuse;
        float u, v;
    };
    const float lo = -0.5f, hi = 3.5f;
    const ScreenVertex quad[4] = {{lo, 2 + lo, 0.5f, 1, 0xFFFFFFFF, 0, 0}, {hi, 2 + lo, 0.5f, 1, 0xFFFFFFFF, 1, 0},
                                  {lo, 2 + hi, 0.5f, 1, 0xFFFFFFFF, 0, 1}, {hi, 2 + hi, 0.5f, 1, 0xFFFFFFFF, 1, 1}};
    const D3DMATRIX scale = FixedFunctionTestRig::translation(5, 5, 0);
    d->SetTransform(D3DTS_WORLD, &scale);
    d->SetRenderState(D3DRS_LIGHTING, TRUE);
    const float everywhere[4] = {0, 0, 0, -1};
    d->SetClipPlane(0, everywhere);
    d->SetRenderState(D3DRS_CLIPPLANEENABLE, D3DCLIPPLANE0);
    d->SetTexture(0, texture);
    d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    ASSERT_EQ(d->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1), D3D_OK);
    rig.clear(0xFF000000);
    ASSERT_EQ(d->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ScreenVertex)), D3D_OK);
    for (int x = 0; x < 4; ++x) {
        SCOPED_TRACE(x);
        EXPECT_EQ(rig.pixel(x, 2), texels[x]);
        EXPECT_EQ(rig.pixel(x, 5), texels[x]);
    }
    EXPECT_EQ(rig.pixel(4, 3), 0xFF000000u);
    EXPECT_EQ(rig.pixel(1, 1), 0xFF000000u);
    EXPECT_EQ(rig.pixel(1, 6), 0xFF000000u);
    d->SetTexture(0, nullptr);
    texture->Release();
}

} // namespace
