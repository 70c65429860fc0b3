// Fixed-function scenarios through the device on GL, each answered as
// Direct3D 9 answers it: every row sets its states with the device's own
// calls, draws, and names the pixel it expects at one place of the 16x16
// back buffer.
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/Direct3DSurface9.h"
#include "platform/d3d9/Direct3DTexture9.h"
#include "platform/d3d9/Direct3DVolumeTexture9.h"
#include "support/GlDeviceRig.h"
#include "support/GlRequirement.h"
#include "tests/platform/FixedFunctionTestRig.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace {

constexpr D3DCOLOR kBlack = 0xFF000000, kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF;
constexpr D3DCOLOR kFog = 0xFF2040FF, kColour = 0xFFFF8000;

DWORD bits(float value)
{
    DWORD b;
    std::memcpy(&b, &value, sizeof b);
    return b;
}

// Linear blend of `colour` towards the fog colour by fog factor f.
D3DCOLOR fogged(D3DCOLOR colour, float f)
{
    D3DCOLOR out = 0xFF000000;
    for (int shift = 0; shift < 24; shift += 8) {
        const float c = float((colour >> shift) & 0xFF), fog = float((kFog >> shift) & 0xFF);
        out |= D3DCOLOR(f * c + (1 - f) * fog + 0.5f) << shift;
    }
    return out;
}

D3DMATRIX scaleTranslate(float sx, float sy, float sz, float tz)
{
    D3DMATRIX m = FixedFunctionTestRig::identity();
    m._11 = sx;
    m._22 = sy;
    m._33 = sz;
    m._43 = tz;
    return m;
}

// Right-handed perspective: the camera looks down -z.
D3DMATRIX perspectiveRh(float zn, float zf)
{
    D3DMATRIX m{};
    m._11 = 1;
    m._22 = 1;
    m._33 = zf / (zn - zf);
    m._34 = -1;
    m._43 = zn * zf / (zn - zf);
    return m;
}

// Orthographic: z from 0 to 100 maps onto depth 0 to 1.
D3DMATRIX orthographic()
{
    return scaleTranslate(0.1f, 0.1f, 0.01f, 0);
}

IDirect3DTexture9* argbTexture(IDirect3DDevice9* d, UINT width, UINT height, const std::vector<D3DCOLOR>& texels,
                               DWORD lockFlags = 0)
{
    IDirect3DTexture9* texture = nullptr;
    if (FAILED(d->CreateTexture(width, height, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr)))
        return nullptr;
    D3DLOCKED_RECT locked{};
    if (FAILED(texture->LockRect(0, &locked, nullptr, lockFlags))) {
        texture->Release();
        return nullptr;
    }
    for (UINT y = 0; y < height; ++y)
        std::memcpy(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch, &texels[y * width], width * 4);
    texture->UnlockRect(0);
    return texture;
}

// Textures made by a scenario, released when the row is done.
struct Held {
    std::vector<IDirect3DBaseTexture9*> textures;
    ~Held()
    {
        for (IDirect3DBaseTexture9* t : textures)
            t->Release();
    }
    template <class T>
    T* keep(T* texture)
    {
        if (texture)
            textures.push_back(texture);
        return texture;
    }
};

struct ScreenVertex {
    float x, y, z, rhw;
    D3DCOLOR diffuse;
    float u, v;
};

// A screen-space quad over the whole 16x16 target at depth z.
HRESULT drawScreenQuad(IDirect3DDevice9* d, float z, D3DCOLOR diffuse, float u = 0.25f, float v = 0.5f)
{
    const float lo = -0.5f, hi = 15.5f;
    const ScreenVertex quad[4] = {{lo, lo, z, 1, diffuse, u, v}, {hi, lo, z, 1, diffuse, u, v},
                                  {lo, hi, z, 1, diffuse, u, v}, {hi, hi, z, 1, diffuse, u, v}};
    d->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
    return d->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ScreenVertex));
}

// One texture coordinate set of `size` components, all vertices alike.
HRESULT drawWithCoordinates(IDirect3DDevice9* d, const std::vector<float>& coordinate)
{
    struct Vertex {
        float x, y, z;
        float t[4];
    };
    Vertex corner[4];
    const float xy[4][2] = {{-1.5f, 1.5f}, {1.5f, 1.5f}, {-1.5f, -1.5f}, {1.5f, -1.5f}};
    for (int i = 0; i < 4; ++i) {
        corner[i] = Vertex{xy[i][0], xy[i][1], 0.5f, {0, 0, 0, 0}};
        std::memcpy(corner[i].t, coordinate.data(), coordinate.size() * sizeof(float));
    }
    const DWORD size = coordinate.size() == 1   ? D3DFVF_TEXCOORDSIZE1(0)
                       : coordinate.size() == 3 ? D3DFVF_TEXCOORDSIZE3(0)
                       : coordinate.size() == 4 ? D3DFVF_TEXCOORDSIZE4(0)
                                                : D3DFVF_TEXCOORDSIZE2(0);
    d->SetFVF(D3DFVF_XYZ | D3DFVF_TEX1 | size);
    return d->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, corner, sizeof(Vertex));
}

void textureOnly(IDirect3DDevice9* d)
{
    d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    d->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    for (D3DSAMPLERSTATETYPE a : {D3DSAMP_ADDRESSU, D3DSAMP_ADDRESSV, D3DSAMP_ADDRESSW})
        d->SetSamplerState(0, a, D3DTADDRESS_CLAMP);
}

void linearFog(IDirect3DDevice9* d, bool table, float start, float end)
{
    d->SetRenderState(D3DRS_FOGENABLE, TRUE);
    d->SetRenderState(D3DRS_FOGCOLOR, kFog);
    d->SetRenderState(D3DRS_FOGSTART, bits(start));
    d->SetRenderState(D3DRS_FOGEND, bits(end));
    d->SetRenderState(table ? D3DRS_FOGTABLEMODE : D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
}

struct Scenario {
    const char* name;
    // Sets the states and draws; the rig starts cleared to black with
    // identity transforms and Direct3D's default states.
    std::function<void(GlDeviceRig&, IDirect3DDevice9*, Held&)> run;
    int x, y;
    D3DCOLOR expected;
};

void PrintTo(const Scenario& s, std::ostream* os)
{
    *os << s.name;
}

const Scenario kScenarios[] = {
    // Texture stages without a texture pass the current colour on.
    {"untextured_default_stages_show_the_vertex_colour",
     [](GlDeviceRig& rig, IDirect3DDevice9*, Held&) { rig.drawList(GlDeviceRig::quad(-2, -2, 2, 2, 0.5f, kColour)); },
     8, 8, kColour},
    {"untextured_second_stage_passes_the_first_on",
     [](GlDeviceRig& rig, IDirect3DDevice9* d, Held&) {
         d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
         d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TFACTOR);
         d->SetRenderState(D3DRS_TEXTUREFACTOR, kBlue);
         d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_BLENDTEXTUREALPHA);
         d->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
         d->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
         rig.drawList(GlDeviceRig::quad(-2, -2, 2, 2, 0.5f, kColour));
     },
     8, 8, kBlue},
    {"textured_stage_modulates",
     [](GlDeviceRig& rig, IDirect3DDevice9* d, Held& held) {
         d->SetTexture(0, held.keep(argbTexture(d, 1, 1, {0xFF808080})));
         rig.drawList(GlDeviceRig::quad(-2, -2, 2, 2, 0.5f, kColour));
     },
     8, 8, 0xFF804000},
    {"untextured_lit_shows_the_material",
     [](GlDeviceRig& rig, IDirect3DDevice9* d, Held&) {
         D3DMATERIAL9 material{};
         material.Diffuse = {1, 1, 1, 1};
         material.Emissive = {0.2f, 0.4f, 0.6f, 0};
         d->SetMaterial(&material);
         d->SetRenderState(D3DRS_LIGHTING, TRUE);
         rig.drawList(GlDeviceRig::quad(-2, -2, 2, 2, 0.5f, kColour));
     },
     8, 8, 0xFF336699},
    // A world matrix that squashes z away still lights the quad.
    {"singular_world_still_lights",
     [](GlDeviceRig& rig, IDirect3DDevice9* d, Held&) {
         const D3DMATRIX world = scaleTranslate(1, 1, 0, 0.5f);
         d->SetTransform(D3DTS_WORLD, &world);
         D3DMATERIAL9 material{};
         material.Diffuse = {1, 1, 1, 1};
         d->SetMaterial(&material);
         D3DLIGHT9 light{};
         light.Type = D3DLIGHT_DIRECTIONAL;
         light.Diffuse = {0.5f, 0.5f, 0.5f, 1};
         light.Direction = {0, 0, 1};
         d->SetLight(0, &light);
         d->LightEnable(0, TRUE);
         d->SetRenderState(D3DRS_LIGHTING, TRUE);
         rig.drawList(GlDeviceRig::quad(-2, -2, 2, 2, 3.0f));
     },
     8, 8, 0xFF808080},
    // A projective world matrix turns normals by the inverse transpose of
    // the whole matrix: here (0, 0, -1) becomes (-2, 0, -1), normalised,
    // and the light falls on it at a slant (0.5 x 0.447 = 0x39).
    {"projective_world_lights_by_the_whole_inverse_transpose",
     [](GlDeviceRig& rig, IDirect3DDevice9* d, Held&) {
         D3DMATRIX world = scaleTranslate(1, 1, 1, 2);
         world._14 = 1;
         d->SetTransform(D3DTS_WORLD, &world);
         D3DMATERIAL9 material{};
         material.Diffuse = {1, 1, 1, 1};
         d->SetMaterial(&material);
         D3DLIGHT9 light{};
         light.Type = D3DLIGHT_DIRECTIONAL;
         light.Diffuse = {0.5f, 0.5f, 0.5f, 1};
         light.Direction = {0, 0, 1};
         d->SetLight(0, &light);
         d->LightEnable(0, TRUE);
         d->SetRenderState(D3DRS_LIGHTING, TRUE);
         d->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);
         rig.drawList(GlDeviceRig::quad(-0.5f, -0.5f, 0.5f, 0.5f, -1.5f));
     },
     8, 8, 0xFF393939},
    // Fog of both kinds.
    {"vertex_fog_looking_down_negative_z",
     [](GlDeviceRig& rig, IDirect3DDevice9* d, Held&) {
         const D3DMATRIX projection = perspectiveRh(1, 100);
         d->SetTransform(D3DTS_PROJECTION, &projection);
         d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
         linearFog(d, false, 10, 20);
         rig.drawList(GlDeviceRig::quad(-15, -15, 15, 15, -15, kColour));
     },
     8, 8, fogged(kColour, 0.5f)},
    {"table_fog_start_equal_to_end_fogs_from_there",
     [](GlDeviceRig& rig, IDirect3DDevice9* d, Held&) {
         const D3DMATRIX projection = FixedFunctionTestRig::perspective(1.5707964f, 1, 1, 100);
         d->SetTransform(D3DTS_PROJECTION, &projection);
         linearFog(d, true, 15, 15);
         rig.drawList(GlDeviceRig::quad(-20, -20, 20, 20, 20, kColour));
     },
     8, 8, kFog},
    {"vertex_fog_start_equal_to_end_fogs_nearer_too",
     [](GlDeviceRig& rig, IDirect3DDevice9* d, Held&) {
         const D3DMATRIX projection = FixedFunctionTestRig::perspective(1.5707964f, 1, 1, 100);
         d->SetTransform(D3DTS_PROJECTION, &projection);
         linearFog(d, false, 15, 15);
         rig.drawList(GlDeviceRig::quad(-10, -10, 10, 10, 10, kColour));
     },
     8, 8, kFog},
    {"table_fog_reversed_fogs_the_near_side",
     [](GlDeviceRig& rig, IDirect3DDevice9* d, Held&) {
         const D3DMATRIX projection = orthographic();
         d->SetTransform(D3DTS_PROJECTION, &projection);
         linearFog(d, true, 0.8f, 0.2f);
         rig.drawList(GlDeviceRig::quad(-20, -20, 20, 20, 50, kColour));
     },
     8, 8, fogged(kColour, 0.5f)},
    {"table_fog_reversed_leaves_past_the_start_clear",
     [](GlDeviceRig& rig, IDirect3DDevice9* d, Held&) {
         const D3DMATRIX projection = orthographic();
         d->SetTransform(D3DTS_PROJECTION, &projection);
         linearFog(d, true, 0.8f, 0.2f);
         rig.drawList(GlDeviceRig::quad(-20, -20, 20, 20, 90, kColour));
     },
     8, 8, kColour},
    {"table_fog_orthographic_reads_depth",
     [](GlDeviceRig& rig, IDirect3DDevice9* d, Held&) {
         const D3DMATRIX projection = orthographic();
         d->SetTransform(D3DTS_PROJECTION, &projection);
         linearFog(d, true, 0.25f, 0.75f);
         rig.drawList(GlDeviceRig::quad(-20, -20, 20, 20, 50, kColour));
     },
     8, 8, fogged(kColour, 0.5f)},
    // Alpha test, blending, depth, stencil and clip planes.
    {"alpha_test_discards",
     [](GlDeviceRig& rig, IDirect3DDevice9* d, Held&) {
         d->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
         d->SetRenderState(D3DRS_ALPHAREF, 0x80);
         d->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
         rig.drawList(GlDeviceRig::quad(-2, -2, 2, 2, 0.5f, 0x7FFF8000));
     },
     8, 8, kBlack},
    {"additive_blend",
     [](GlDeviceRig& rig, IDirect3DDevice9* d, Held&) {
         rig.clear(kBlue);
         d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
         d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
         d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
         rig.drawList(GlDeviceRig::quad(-2, -2, 2, 2, 0.5f, kRed));
     },
     8, 8, 0xFFFF00FF},
    {"nearer_quad_wins_the_depth_test",
     [](GlDeviceRig& rig, IDirect3DDevice9*, Held&) {
         rig.drawList(GlDeviceRig::quad(-2, -2, 2, 2, 0.25f, kGreen));
         rig.drawList(GlDeviceRig::quad(-2, -2, 2, 2, 0.75f, kRed));
     },
     8, 8, kGreen},
    {"stencil_keeps_unmarked_pixels",
     [](GlDeviceRig& rig, IDirect3DDevice9* d, Held&) {
         d->SetRenderState(D3DRS_STENCILENABLE, TRUE);
         d->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_NOTEQUAL);
         d->SetRenderState(D3DRS_STENCILREF, 0);
         rig.drawList(GlDeviceRig::quad(-2, -2, 2, 2, 0.5f, kRed));
     },
     8, 8, kBlack},
    {"clip_plane_cuts_the_quad",
     [](GlDeviceRig& rig, IDirect3DDevice9* d, Held&) {
         const float plane[4] = {0, 1, 0, -0.5f};
         d->SetClipPlane(0, plane);
         d->SetRenderState(D3DRS_CLIPPLANEENABLE, D3DCLIPPLANE0);
         rig.drawList(GlDeviceRig::quad(-2, -2, 2, 2, 0.5f, kRed));
     },
     8, 8, kBlack},
    // Screen-space vertices outside 0..1 without a depth test are clamped.
    {"pretransformed_beyond_far_drawn_without_z_test",
     [](GlDeviceRig&, IDirect3DDevice9* d, Held&) {
         d->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
         drawScreenQuad(d, 1.5f, kGreen);
     },
     8, 8, kGreen},
    {"pretransformed_before_near_drawn_without_z_test",
     [](GlDeviceRig&, IDirect3DDevice9* d, Held&) {
         d->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
         drawScreenQuad(d, -0.5f, kGreen);
     },
     8, 8, kGreen},
    // Clears and viewports.
    {"clear_count_zero_with_rectangles_clears_nothing",
     [](GlDeviceRig&, IDirect3DDevice9* d, Held&) {
         const D3DRECT rect{0, 0, 16, 16};
         EXPECT_EQ(d->Clear(0, &rect, D3DCLEAR_TARGET, kRed, 1, 0), D3D_OK);
     },
     8, 8, kBlack},
    {"clear_count_without_rectangles_clears_everything",
     [](GlDeviceRig&, IDirect3DDevice9* d, Held&) {
         EXPECT_EQ(d->Clear(2, nullptr, D3DCLEAR_TARGET, kRed, 1, 0), D3D_OK);
     },
     3, 12, kRed},
    {"viewport_past_the_target_is_cut_to_it",
     [](GlDeviceRig&, IDirect3DDevice9* d, Held&) {
         const D3DVIEWPORT9 viewport{8, 8, 16, 16, 0, 1};
         EXPECT_EQ(d->SetViewport(&viewport), D3D_OK);
         d->Clear(0, nullptr, D3DCLEAR_TARGET, kRed, 1, 0);
     },
     15, 15, kRed},
    {"viewport_past_the_target_clears_only_its_part",
     [](GlDeviceRig&, IDirect3DDevice9* d, Held&) {
         const D3DVIEWPORT9 viewport{8, 8, 16, 16, 0, 1};
         d->SetViewport(&viewport);
         d->Clear(0, nullptr, D3DCLEAR_TARGET, kRed, 1, 0);
     },
     7, 7, kBlack},
    // Past the target the viewport still maps as asked: the top-left
    // quarter of the clip square lands on the target's lower-right quarter.
    {"viewport_past_the_target_maps_as_asked",
     [](GlDeviceRig& rig, IDirect3DDevice9* d, Held&) {
         const D3DVIEWPORT9 viewport{8, 8, 16, 16, 0, 1};
         EXPECT_EQ(d->SetViewport(&viewport), D3D_OK);
         rig.drawList(GlDeviceRig::quad(-1, 0, 0, 1, 0.5f, kRed));
     },
     14, 14, kRed},
    {"viewport_past_the_target_draws_nothing_outside_it",
     [](GlDeviceRig& rig, IDirect3DDevice9* d, Held&) {
         const D3DVIEWPORT9 viewport{8, 8, 16, 16, 0, 1};
         d->SetViewport(&viewport);
         rig.drawList(GlDeviceRig::quad(-2, -2, 2, 2, 0.5f, kRed));
     },
     7, 7, kBlack},
    // MinZ above MaxZ turns the depth range round: z 0.9 lands nearer than
    // z 0.1.
    {"viewport_min_above_max_turns_depth_round",
     [](GlDeviceRig& rig, IDirect3DDevice9* d, Held&) {
         const D3DVIEWPORT9 viewport{0, 0, 16, 16, 1.0f, 0.0f};
         EXPECT_EQ(d->SetViewport(&viewport), D3D_OK);
         d->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
         rig.drawList(GlDeviceRig::quad(-2, -2, 2, 2, 0.1f, kRed));
         rig.drawList(GlDeviceRig::quad(-2, -2, 2, 2, 0.9f, kGreen));
     },
     8, 8, kGreen},
    {"viewport_min_equal_to_max_still_orders_depth",
     [](GlDeviceRig& rig, IDirect3DDevice9* d, Held&) {
         const D3DVIEWPORT9 viewport{0, 0, 16, 16, 0.5f, 0.5f};
         d->SetViewport(&viewport);
         d->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
         rig.drawList(GlDeviceRig::quad(-2, -2, 2, 2, 0.9f, kRed));
         rig.drawList(GlDeviceRig::quad(-2, -2, 2, 2, 0.1f, kGreen));
     },
     8, 8, kGreen},
    // Locks and render targets.
    {"managed_texture_locked_with_discard_is_updated",
     [](GlDeviceRig& rig, IDirect3DDevice9* d, Held& held) {
         IDirect3DTexture9* texture = held.keep(argbTexture(d, 1, 1, {kGreen}, D3DLOCK_DISCARD));
         EXPECT_NE(texture, nullptr);
         d->SetTexture(0, texture);
         textureOnly(d);
         rig.drawList(GlDeviceRig::quad(-2, -2, 2, 2, 0.5f));
     },
     8, 8, kGreen},
    {"x8r8g8b8_target_reads_destination_alpha_as_one",
     [](GlDeviceRig& rig, IDirect3DDevice9* d, Held& held) {
         IDirect3DTexture9* target = nullptr;
         ASSERT_EQ(d->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &target,
                                    nullptr),
                   D3D_OK);
         held.keep(target);
         IDirect3DSurface9* back = nullptr;
         IDirect3DSurface9* surface = nullptr;
         d->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
         target->GetSurfaceLevel(0, &surface);
         d->SetRenderTarget(0, surface);
         d->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00000000, 1, 0);
         // Source times destination alpha: red where that alpha reads 1.
         d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
         d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_DESTALPHA);
         d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
         rig.drawList(GlDeviceRig::quad(-2, -2, 2, 2, 0.5f, kRed));
         d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
         d->SetRenderTarget(0, back);
         surface->Release();
         back->Release();
         d->SetTexture(0, target);
         textureOnly(d);
         rig.drawList(GlDeviceRig::quad(-2, -2, 2, 2, 0.5f));
         d->SetTexture(0, nullptr);
     },
     8, 8, kRed},
    // Texture transforms.
    {"pretransformed_vertices_ignore_the_texture_transform",
     [](GlDeviceRig&, IDirect3DDevice9* d, Held& held) {
         d->SetTexture(0, held.keep(argbTexture(d, 2, 1, {kRed, kBlue})));
         textureOnly(d);
         D3DMATRIX shift = FixedFunctionTestRig::identity();
         shift._31 = 0.5f; // u + 0.5 through the third row
         d->SetTransform(D3DTS_TEXTURE0, &shift);
         d->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
         drawScreenQuad(d, 0.5f, 0xFFFFFFFF, 0.25f, 0.5f);
     },
     8, 8, kRed},
    {"transformed_vertices_take_the_texture_transform",
     [](GlDeviceRig&, IDirect3DDevice9* d, Held& held) {
         d->SetTexture(0, held.keep(argbTexture(d, 2, 1, {kRed, kBlue})));
         textureOnly(d);
         D3DMATRIX shift = FixedFunctionTestRig::identity();
         shift._31 = 0.5f;
         d->SetTransform(D3DTS_TEXTURE0, &shift);
         d->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
         drawWithCoordinates(d, {0.25f, 0.5f});
     },
     8, 8, kBlue},
    {"projected_alone_divides_by_the_fourth",
     [](GlDeviceRig&, IDirect3DDevice9* d, Held& held) {
         d->SetTexture(0, held.keep(argbTexture(d, 2, 1, {kRed, kBlue})));
         textureOnly(d);
         d->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_PROJECTED);
         drawWithCoordinates(d, {0.6f, 0.5f, 0.0f, 4.0f}); // u = 0.15
     },
     8, 8, kRed},
    // COUNT1 without PROJECTED is taken as no count: v and w go on.
    {"count1_keeps_the_second_coordinate",
     [](GlDeviceRig&, IDirect3DDevice9* d, Held& held) {
         d->SetTexture(0, held.keep(argbTexture(d, 1, 2, {kRed, kBlue})));
         textureOnly(d);
         const D3DMATRIX identity = FixedFunctionTestRig::identity();
         d->SetTransform(D3DTS_TEXTURE0, &identity);
         d->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT1);
         drawWithCoordinates(d, {0.5f, 0.75f});
     },
     8, 8, kBlue},
    {"count1_on_a_volume_keeps_the_third_coordinate",
     [](GlDeviceRig&, IDirect3DDevice9* d, Held& held) {
         IDirect3DVolumeTexture9* volume = nullptr;
         ASSERT_EQ(d->CreateVolumeTexture(1, 1, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &volume, nullptr), D3D_OK);
         held.keep(volume);
         D3DLOCKED_BOX box{};
         ASSERT_EQ(volume->LockBox(0, &box, nullptr, 0), D3D_OK);
         std::memcpy(box.pBits, &kRed, 4);
         std::memcpy(static_cast<uint8_t*>(box.pBits) + box.SlicePitch, &kBlue, 4);
         volume->UnlockBox(0);
         d->SetTexture(0, volume);
         textureOnly(d);
         const D3DMATRIX identity = FixedFunctionTestRig::identity();
         d->SetTransform(D3DTS_TEXTURE0, &identity);
         d->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT1);
         drawWithCoordinates(d, {0.5f, 0.5f, 0.9f});
     },
     8, 8, kBlue},
};

class DeviceConformance : public ::testing::TestWithParam<Scenario> {};

TEST_P(DeviceConformance, DrawsAsDirect3DDoes)
{
    GlDeviceRig rig;
    REQUIRE_GL(rig.ready(), rig.failure());
    const Scenario& s = GetParam();
    rig.clear(kBlack);
    {
        Held held;
        s.run(rig, rig.device(), held);
        rig->SetTexture(0, nullptr);
    }
    const D3DCOLOR got = rig.pixel(s.x, s.y);
    for (int shift = 0; shift < 32; shift += 8)
        EXPECT_LE(std::abs(int((got >> shift) & 0xFF) - int((s.expected >> shift) & 0xFF)), 2)
            << std::hex << "got 0x" << got << " expected 0x" << s.expected;
}

INSTANTIATE_TEST_SUITE_P(Scenarios, DeviceConformance, ::testing::ValuesIn(kScenarios),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
