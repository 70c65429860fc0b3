// Lens flares on the GL backend, read back from the screen: the glow fades
// towards the edge of the view, and an occluder in front of the light hides
// the flare through the occlusion query of the frame before.
#include "engine/core/Renderer.h"
#include "engine/core/Report.h"
#include "engine/core/ShaderFloatParams.h"
#include "engine/scene/Camera.h"
#include "engine/scene/LensFlare.h"
#include "engine/scene/Light.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "platform/d3d9/D3D9Backend.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/win/MessageQueue.h"
#include "support/DeviceReadBack.h"
#include "support/RendererRig.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int kSize = 128;

struct Vertex {
    float x, y, z;
    D3DCOLOR diffuse;
};
constexpr DWORD kFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;

void drainMessages()
{
    MSG msg{};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

D3DMATRIX toD3D(const Matrix4& m)
{
    D3DMATRIX out;
    std::memcpy(&out, m.m, sizeof out);
    return out;
}

class LensFlareGl : public testing::Test {
protected:
    void SetUp() override
    {
        resetReportSwitch();
        reportLevel = 3;
        reportToText = 1;
        LensFlare::resetLargestPixelCount();
        selectD3D9Backend(D3D9Backend::Gl);
        testing::internal::CaptureStderr();
        m_started = m_rig.start(kSize, kSize, true);
        testing::internal::GetCapturedStderr();
        drainMessages();
        if (!m_started)
            return;
        m_manager = std::make_unique<SceneManager>(m_rig.renderer.get(), "gl");
        m_scene = m_manager->loadScene("flares");
        m_camera = m_scene->addCamera(true);
        // 90 degrees both ways, depth 0.5 to 100.
        const float q = 100.0f / 99.5f;
        Matrix4& p = m_camera->m_projection;
        p = Matrix4();
        p.at(0, 0) = 1.0f;
        p.at(1, 1) = 1.0f;
        p.at(2, 2) = q;
        p.at(2, 3) = 1.0f;
        p.at(3, 2) = -q * 0.5f;
        m_camera->m_projectionValid = 1;
    }
    void TearDown() override
    {
        m_manager.reset();
        drainMessages();
        selectD3D9Backend(D3D9Backend::Default);
        resetReportSwitch();
        LensFlare::resetLargestPixelCount();
    }

    // A grey glow 2 units wide (k = 10) at depth 2.
    Light* addGlow(float x, float y)
    {
        auto* light = new Light(m_scene);
        m_scene->m_lights.push_back(light);
        m_scene->m_root->addChild(light);
        light->m_lightType = 1;
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
        const D3DMATRIX identity = toD3D(Matrix4::identity());
        const D3DMATRIX projection = toD3D(m_camera->m_projection);
        d->SetTransform(D3DTS_WORLD, &identity);
        d->SetTransform(D3DTS_VIEW, &identity);
        d->SetTransform(D3DTS_PROJECTION, &projection);
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

    int green(int x, int y) { return int((readBackBufferPixel(m_rig.device(), x, y) >> 8) & 0xFF); }
    long sumGreen()
    {
        const RECT all{0, 0, kSize, kSize};
        long sum = 0;
        for (D3DCOLOR c : readBackBuffer(m_rig.device(), all))
            sum += long((c >> 8) & 0xFF);
        return sum;
    }

    RendererRig m_rig;
    bool m_started = false;
    std::unique_ptr<SceneManager> m_manager;
    Scene* m_scene = nullptr;
    Camera* m_camera = nullptr;
};

} // namespace

TEST_F(LensFlareGl, TheGlowFadesTowardsTheEdgeOfTheView)
{
    if (!m_started)
        GTEST_SKIP() << "no display";
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
    if (!m_started)
        GTEST_SKIP() << "no display";
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
