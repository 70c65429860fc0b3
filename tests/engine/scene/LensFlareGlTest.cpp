// Lens flares on the GL backend, read back from the screen: the glow fades
// towards the edge of the view, and an occluder in front of the light hides
// the flare through the occlusion query of the frame before.
#include "engine/core/base/Report.h"
#include "engine/scene/Camera.h"
#include "engine/scene/LensFlare.h"
#include "engine/scene/Light.h"
#include "engine/scene/Scene.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "support/GlRequirement.h"
#include "support/GlSceneRig.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

constexpr int kSize = 128;

struct Vertex {
    float x, y, z;
    D3DCOLOR diffuse;
};
constexpr DWORD kFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;

class LensFlareGl : public testing::Test {
protected:
    void SetUp() override
    {
        LensFlare::resetLargestPixelCount();
        if (!m_rig.start(kSize))
            return;
        m_scene = m_rig.scene();
        m_camera = m_rig.camera();
        m_camera->m_projection = perspective90(0.5f, 100.0f);
        m_camera->m_projectionValid = 1;
    }
    void TearDown() override { LensFlare::resetLargestPixelCount(); }

    // A grey glow 2 units wide (k = 10) at depth 2.
    Light* addGlow(float x, float y)
    {
        Light* light = m_rig.addLight(1);
        light->m_lensFlareEnabled = 1;
        light->m_flareOptions = 0x1;
        light->m_flareIntensity.m_value = 2.0f;
        light->m_motion[PositionX].m_value = x;
        light->m_motion[PositionY].m_value = y;
        light->m_motion[PositionZ].m_value = 2.0f;
        light->setup();
        return light;
    }

    // One frame as the scene draws its flares, over a black picture with
    // an optional black occluder at depth 1 covering x in [x0, x1].
    void frame(Light* light, bool occluder, float x0 = -2.0f, float x1 = 2.0f)
    {
        IDirect3DDevice9* d = m_rig.device();
        m_rig.setTransforms(Matrix4::identity(), Matrix4::identity(), m_camera->m_projection);
        d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
        d->BeginScene();
        if (occluder) {
            const Vertex a{x0, 2, 1, 0xFF000000u}, b{x1, 2, 1, 0xFF000000u};
            const Vertex c{x0, -2, 1, 0xFF000000u}, e{x1, -2, 1, 0xFF000000u};
            const Vertex quad[6] = {a, b, c, c, b, e};
            d->SetRenderState(D3DRS_ZENABLE, TRUE);
            d->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
            d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
            d->SetRenderState(D3DRS_LIGHTING, FALSE);
            d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
            d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
            d->SetTexture(0, nullptr);
            d->SetFVF(kFvf);
            d->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, quad, sizeof(Vertex));
        }

        LensFlare* flare = light->m_lensFlare;
        const bool query = flare->updateVisibility(m_camera, m_scene->m_antiportals, 0.0);
        // The states the scene sets around its flares.
        d->SetRenderState(D3DRS_FOGENABLE, FALSE);
        d->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
        d->SetRenderState(D3DRS_LIGHTING, FALSE);
        d->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
        d->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
        d->SetRenderState(D3DRS_ZENABLE, FALSE);
        d->SetRenderState(D3DRS_COLORWRITEENABLE, 0xF);
        d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
        d->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
        d->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
        d->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
        d->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, 0);
        d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
        d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
        d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        d->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        d->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TFACTOR);
        d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
        flare->render(m_camera, 0.0);

        d->SetRenderState(D3DRS_ZENABLE, TRUE);
        d->SetRenderState(D3DRS_COLORWRITEENABLE, 0);
        d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_DISABLE);
        d->SetTexture(0, nullptr);
        const float pointSize = 4.0f;
        DWORD bits;
        std::memcpy(&bits, &pointSize, sizeof bits);
        d->SetRenderState(D3DRS_POINTSIZE, bits);
        if (query)
            flare->issueOcclusionQuery(m_camera, 0.0);
        d->SetRenderState(D3DRS_COLORWRITEENABLE, 0xF);
        d->EndScene();
    }

    int green(int x, int y) { return int((m_rig.pixel(x, y) >> 8) & 0xFF); }
    long sumGreen()
    {
        long sum = 0;
        for (D3DCOLOR c : m_rig.screen())
            sum += long((c >> 8) & 0xFF);
        return sum;
    }

    GlSceneRig m_rig;
    Scene* m_scene = nullptr;
    Camera* m_camera = nullptr;
};

} // namespace

TEST_F(LensFlareGl, TheGlowFadesTowardsTheEdgeOfTheView)
{
    REQUIRE_GL(m_rig.started(), m_rig.failure());
    Light* centre = addGlow(0.0f, 0.0f);
    frame(centre, false);
    EXPECT_EQ(sumGreen(), 0) << "nothing in the first frame: no query was read yet";
    frame(centre, false);
    const int full = green(kSize / 2, kSize / 2);
    EXPECT_GT(full, 60) << "grey 0.46 over the bright centre";

    // x / w = 0.94: six tenths of the way out of the fade band, fade 0.6.
    Light* edge = addGlow(0.94f * 2.0f, 0.0f);
    centre->m_lensFlareEnabled = 0;
    frame(edge, false);
    frame(edge, false);
    const int faded = green(kSize / 2 + int(0.94f * kSize / 2), kSize / 2);
    EXPECT_NEAR(double(faded) / full, 0.6, 0.06) << faded << " of " << full;

    // Beyond the view nothing is drawn at all.
    Light* outside = addGlow(1.05f * 2.0f, 0.0f);
    edge->m_lensFlareEnabled = 0;
    frame(outside, false);
    frame(outside, false);
    EXPECT_EQ(sumGreen(), 0);
    EXPECT_STREQ(lastErrorText.c_str(), "");
}

TEST_F(LensFlareGl, AnOccluderHidesTheFlareByTheQuery)
{
    REQUIRE_GL(m_rig.started(), m_rig.failure());
    Light* light = addGlow(0.0f, 0.0f);
    frame(light, false);
    frame(light, false);
    const long open = sumGreen();
    ASSERT_GT(open, 0);

    // The occluder covers the light's centre: the next frame draws the
    // flare at size 0 although the flare itself ignores depth.
    frame(light, true);
    EXPECT_GT(sumGreen(), 0) << "this frame still uses the open query of the last";
    frame(light, true);
    EXPECT_EQ(sumGreen(), 0);

    // Part of the test point hidden: the flare shrinks with the share seen.
    frame(light, true, -2.0f, 0.0f);
    frame(light, true, -2.0f, 0.0f);
    const long part = sumGreen();
    EXPECT_GT(part, open / 8) << part << " of " << open;
    EXPECT_LT(part, open * 3 / 4) << part << " of " << open;

    frame(light, false);
    frame(light, false);
    EXPECT_EQ(sumGreen(), open) << "back in full once the occluder is gone";
    EXPECT_STREQ(lastErrorText.c_str(), "");
}
