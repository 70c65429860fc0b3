// Vertex lighting of the generated programs against Direct3D 9's documented
// lighting equations, computed here independently for one vertex.
//
// The quad's four corners sit symmetrically about the view axis and every
// light lies on that axis, so all corners light alike and the centre pixel
// shows the vertex colour itself, whatever the interpolation.
#include "tests/platform/FixedFunctionTestRig.h"
#include "support/GlRequirement.h"
#include "tests/platform/LightingReference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <ostream>
#include <string>
#include <vector>

namespace {

using namespace lighting;


const LightCase kCases[] = {
    {"directional_material", D3DLIGHT_DIRECTIONAL, {0, 0, 0}, {0, 0, 1}, 0, 0, 0, 0, 1, 0, 0,
     D3DMCS_MATERIAL, D3DMCS_MATERIAL, D3DMCS_MATERIAL, D3DMCS_MATERIAL, false, true},
    {"directional_tilted_color1", D3DLIGHT_DIRECTIONAL, {0, 0, 0}, {0.6f, 0, 0.8f}, 0, 0, 0, 0, 1, 0, 0,
     D3DMCS_COLOR1, D3DMCS_COLOR1, D3DMCS_MATERIAL, D3DMCS_MATERIAL, false, true},
    {"directional_specular_infinite_viewer", D3DLIGHT_DIRECTIONAL, {0, 0, 0}, {0, 0, 1}, 0, 0, 0, 0, 1, 0, 0,
     D3DMCS_MATERIAL, D3DMCS_MATERIAL, D3DMCS_MATERIAL, D3DMCS_COLOR2, true, false},
    {"point_attenuated", D3DLIGHT_POINT, {0, 0, 1}, {0, 0, 1}, 100, 0, 0, 0, 0.5f, 0.1f, 0.02f,
     D3DMCS_MATERIAL, D3DMCS_MATERIAL, D3DMCS_MATERIAL, D3DMCS_MATERIAL, false, true},
    {"point_emissive_color1_specular_local", D3DLIGHT_POINT, {0, 0, 1}, {0, 0, 1}, 100, 0, 0, 0, 1, 0, 0,
     D3DMCS_MATERIAL, D3DMCS_MATERIAL, D3DMCS_COLOR1, D3DMCS_MATERIAL, true, true},
    {"point_out_of_range", D3DLIGHT_POINT, {0, 0, 1}, {0, 0, 1}, 4.0f, 0, 0, 0, 1, 0, 0,
     D3DMCS_COLOR1, D3DMCS_COLOR1, D3DMCS_MATERIAL, D3DMCS_MATERIAL, false, true},
    {"spot_falloff_region", D3DLIGHT_SPOT, {0, 0, 0}, {0, 0, 1}, 100, 60 * kPi / 180, 90 * kPi / 180, 2.0f, 1, 0, 0,
     D3DMCS_MATERIAL, D3DMCS_MATERIAL, D3DMCS_MATERIAL, D3DMCS_MATERIAL, false, true},
    {"spot_inner_cone_color1", D3DLIGHT_SPOT, {0, 0, 0}, {0, 0, 1}, 100, 80 * kPi / 180, 100 * kPi / 180, 1.0f, 1, 0.05f, 0,
     D3DMCS_COLOR1, D3DMCS_COLOR1, D3DMCS_MATERIAL, D3DMCS_MATERIAL, true, true},
    {"spot_outside_cone", D3DLIGHT_SPOT, {0, 0, 0}, {0, 0, 1}, 100, 20 * kPi / 180, 40 * kPi / 180, 1.0f, 1, 0, 0,
     D3DMCS_MATERIAL, D3DMCS_MATERIAL, D3DMCS_MATERIAL, D3DMCS_MATERIAL, false, true},
};

// The camera of the "moved" set-up: at (3, 1, -2) looking along world +x.
// Giving the quad the camera's own world matrix keeps its camera-space
// position, so the expected colours stay those of the identity set-up, while
// the world, view and normal matrices and the lights' placement all work.
D3DMATRIX movedCamera()
{
    D3DMATRIX m = FixedFunctionTestRig::identity();
    m._11 = 0, m._12 = 0, m._13 = -1;
    m._31 = 1, m._32 = 0, m._33 = 0;
    m._41 = 3, m._42 = 1, m._43 = -2;
    return m;
}

D3DMATRIX affineInverse(const D3DMATRIX& m)
{
    // Rotation part transposed, translation taken back through it.
    D3DMATRIX r = FixedFunctionTestRig::identity();
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r.m[i][j] = m.m[j][i];
    for (int j = 0; j < 3; ++j)
        r.m[3][j] = -(m.m[3][0] * r.m[0][j] + m.m[3][1] * r.m[1][j] + m.m[3][2] * r.m[2][j]);
    return r;
}

D3DVECTOR toWorld(Vec3 v, const D3DMATRIX& m, bool point)
{
    float w = point ? 1.0f : 0.0f;
    return {v.x * m._11 + v.y * m._21 + v.z * m._31 + w * m._41, v.x * m._12 + v.y * m._22 + v.z * m._32 + w * m._42,
            v.x * m._13 + v.y * m._23 + v.z * m._33 + w * m._43};
}

// Lights the symmetric quad with `lights` (camera-space placements, enabled
// at the given indices in this order) and compares the centre pixel.
void expectLit(const LightCase& settings, const std::vector<const LightCase*>& lights,
               const std::vector<DWORD>& indices, bool moved)
{
    FixedFunctionTestRig rig;
    REQUIRE_GL(rig.ready(), rig.failure());
    auto& s = rig.state();
    D3DMATRIX camera = moved ? movedCamera() : FixedFunctionTestRig::identity();
    s.setTransform(D3DTS_WORLD, camera);
    s.setTransform(D3DTS_VIEW, affineInverse(camera));
    s.setTransform(D3DTS_PROJECTION, FixedFunctionTestRig::perspective(kPi / 2, 1.0f, 1.0f, 100.0f));
    s.setRenderState(D3DRS_LIGHTING, TRUE);
    s.setRenderState(D3DRS_AMBIENT, kGlobalAmbient);
    s.setRenderState(D3DRS_SPECULARENABLE, settings.specular);
    s.setRenderState(D3DRS_LOCALVIEWER, settings.localViewer);
    s.setRenderState(D3DRS_NORMALIZENORMALS, TRUE);
    s.setRenderState(D3DRS_AMBIENTMATERIALSOURCE, settings.ambientSource);
    s.setRenderState(D3DRS_DIFFUSEMATERIALSOURCE, settings.diffuseSource);
    s.setRenderState(D3DRS_EMISSIVEMATERIALSOURCE, settings.emissiveSource);
    s.setRenderState(D3DRS_SPECULARMATERIALSOURCE, settings.specularSource);
    s.setMaterial(kMaterial);
    for (size_t i = 0; i < lights.size(); ++i) {
        const LightCase& c = *lights[i];
        D3DLIGHT9 light {};
        light.Type = c.type;
        light.Diffuse = kLightDiffuse;
        light.Ambient = kLightAmbient;
        light.Specular = kLightSpecular;
        light.Position = toWorld(c.position, camera, true);
        light.Direction = toWorld(c.direction, camera, false);
        light.Range = c.range;
        light.Theta = c.theta;
        light.Phi = c.phi;
        light.Falloff = c.falloff;
        light.Attenuation0 = c.att0;
        light.Attenuation1 = c.att1;
        light.Attenuation2 = c.att2;
        ASSERT_TRUE(s.setLight(indices[i], light));
        ASSERT_TRUE(s.lightEnable(indices[i], TRUE));
    }
    s.setTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    s.setTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    s.setTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    s.setTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);

    // A normal of length 2 also checks NORMALIZENORMALS.
    const float normal[3] = {0, 0, -2};
    FixedFunctionVertexFormat format =
        FixedFunctionVertexFormat::fromFvf(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_SPECULAR);
    ASSERT_TRUE(rig.draw(FixedFunctionTestRig::quad(-2, -2, 2, 2, 5, normal, kVertexDiffuse, kVertexSpecular), format));

    Rgba expected = reference(settings, lights, {2, 2, 5}, {0, 0, -1});
    Rgba got = rig.pixel(8, 8);
    const float tolerance = 2.5f / 255.0f;
    EXPECT_NEAR(got.r, expected.r, tolerance);
    EXPECT_NEAR(got.g, expected.g, tolerance);
    EXPECT_NEAR(got.b, expected.b, tolerance);
    EXPECT_NEAR(got.a, expected.a, tolerance);
}

class FixedFunctionLightingTest : public ::testing::TestWithParam<LightCase> {};

TEST_P(FixedFunctionLightingTest, VertexColourMatchesDocumentedEquations)
{
    expectLit(GetParam(), {&GetParam()}, {3}, false);
}

TEST_P(FixedFunctionLightingTest, MovedCameraLightsAlike)
{
    expectLit(GetParam(), {&GetParam()}, {3}, true);
}

// One light of each kind, enabled out of kind order and at scattered
// indices: the program's light slots must still meet the right lights.
TEST(FixedFunctionLighting, LightsOfEveryKindSum)
{
    const LightCase& spot = kCases[6];
    const LightCase& directional = kCases[1];
    const LightCase& point = kCases[4];
    expectLit(point, {&spot, &directional, &point}, {5, 2, 0}, true);
}

INSTANTIATE_TEST_SUITE_P(Lights, FixedFunctionLightingTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FixedFunctionLighting, LightingOffPassesVertexColours)
{
    FixedFunctionTestRig rig;
    REQUIRE_GL(rig.ready(), rig.failure());
    auto& s = rig.state();
    s.setRenderState(D3DRS_LIGHTING, FALSE);
    s.setRenderState(D3DRS_SPECULARENABLE, TRUE);
    s.setTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    s.setTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    s.setTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    s.setTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    const float normal[3] = {0, 0, -1};
    FixedFunctionVertexFormat format = FixedFunctionVertexFormat::fromFvf(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_SPECULAR);
    ASSERT_TRUE(rig.draw(FixedFunctionTestRig::quad(-1, -1, 1, 1, 0.5f, normal, 0x80402010, 0x00101010), format));
    // Diffuse plus the specular colour, which SPECULARENABLE adds after the stages.
    EXPECT_EQ(rig.gl().pixel(8, 8), 0x80503020u);
}

} // namespace
