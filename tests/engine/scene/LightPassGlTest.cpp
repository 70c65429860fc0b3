// Lights through the passes on the GL backend, read back from the screen:
// a box's shadow map projected on a wall, and one lit scene drawn with the
// fixed-function setting and with the shader setting.
#include "engine/core/render/FixedFunctionPass.h"
#include "engine/core/texture/RenderTexture.h"
#include "engine/core/render/Renderer.h"
#include "engine/core/base/Report.h"
#include "engine/core/render/ShaderFloatParams.h"
#include "engine/core/render/ShaderIntParams.h"
#include "engine/scene/Light.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/Direct3DSurface9.h"
#include "support/GlRequirement.h"
#include "support/GlSceneRig.h"
#include "support/MaterialShaders.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct Vertex {
    float x, y, z, nx, ny, nz, u, v;
};
constexpr DWORD kFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;
constexpr int kSize = 64;

// A quad in the plane z = `z` facing -Z, over x0..x1, y0..y1.
std::vector<Vertex> wall(float x0, float y0, float x1, float y1, float z)
{
    const Vertex a{x0, y1, z, 0, 0, -1, 0, 0}, b{x1, y1, z, 0, 0, -1, 1, 0};
    const Vertex c{x0, y0, z, 0, 0, -1, 0, 1}, d{x1, y0, z, 0, 0, -1, 1, 1};
    return {a, b, c, c, b, d};
}

// The six sides of an axis-aligned box, as walls of both windings.
std::vector<Vertex> box(float x0, float y0, float z0, float x1, float y1, float z1)
{
    std::vector<Vertex> out;
    auto add = [&](Vertex a, Vertex b, Vertex c, Vertex d) {
        for (const Vertex& v : {a, b, c, c, b, d})
            out.push_back(v);
    };
    add({x0, y1, z0}, {x1, y1, z0}, {x0, y0, z0}, {x1, y0, z0});
    add({x0, y1, z1}, {x1, y1, z1}, {x0, y0, z1}, {x1, y0, z1});
    add({x0, y1, z0}, {x0, y1, z1}, {x0, y0, z0}, {x0, y0, z1});
    add({x1, y1, z0}, {x1, y1, z1}, {x1, y0, z0}, {x1, y0, z1});
    add({x0, y1, z0}, {x1, y1, z0}, {x0, y1, z1}, {x1, y1, z1});
    add({x0, y0, z0}, {x1, y0, z0}, {x0, y0, z1}, {x1, y0, z1});
    return out;
}

Matrix4 translationMatrix(float x, float y, float z)
{
    Matrix4 m = Matrix4::identity();
    m.at(3, 0) = x;
    m.at(3, 1) = y;
    m.at(3, 2) = z;
    return m;
}

// A GL scene for lights, with the material shaders for the shader setting.
class LitRig : public GlSceneRig {
public:
    explicit LitRig(bool fixedFunction)
    {
        if (start(kSize, fixedFunction))
            useMaterialShaders(*renderer());
    }
    Light* addFullLight(int32_t type)
    {
        Light* light = addLight(type);
        light->m_intensity.m_value = 1.0f;
        return light;
    }
    // One draw in the order the geometry makes it.
    void draw(ShaderPass* pass, const std::vector<Vertex>& vertices, const std::vector<ActiveLight>& lights = {})
    {
        pass->applyMaterialStates(nullptr, 0.0);
        device()->SetFVF(kFvf);
        if (pass->activate())
            pass->bindTextures(nullptr, 0.0, lights);
        device()->DrawPrimitiveUP(D3DPT_TRIANGLELIST, UINT(vertices.size() / 3), vertices.data(), sizeof(Vertex));
    }
};

int channel(D3DCOLOR c, int shift)
{
    return int((c >> shift) & 0xFF);
}

// The pixels at the sample points of the lit scene.
std::vector<D3DCOLOR> drawLitScene(bool fixedFunction, std::string* skip)
{
    LitRig gl(fixedFunction);
    if (!gl.started()) {
        *skip = gl.failure().empty() ? "the scene rig did not start" : gl.failure();
        return {};
    }
    IDirect3DDevice9* d = gl.device();
    gl.setTransforms(Matrix4::identity(), Matrix4::identity(), perspective90(1.0f, 100.0f));

    Light* sun = gl.addFullLight(0);
    sun->m_color[0].m_value = 0.8f;
    sun->m_color[1].m_value = 0.6f;
    sun->m_color[2].m_value = 0.4f;
    sun->m_motion[RotationP].m_value = 0.6f;
    sun->m_motion[RotationH].m_value = -0.3f;
    Light* lamp = gl.addFullLight(1);
    lamp->m_color[0].m_value = 0.3f;
    lamp->m_color[1].m_value = 0.5f;
    lamp->m_color[2].m_value = 0.2f;
    lamp->m_motion[PositionX].m_value = 3.0f;
    lamp->m_motion[PositionZ].m_value = 6.0f;
    for (Light* light : {sun, lamp})
        light->setup();

    const float ambient = 0.2f;
    if (fixedFunction) {
        d->SetRenderState(D3DRS_LIGHTING, TRUE);
        d->SetRenderState(D3DRS_AMBIENT, 0xFF333333u);
        for (DWORD i = 0; i < 2; ++i) {
            Light* light = i ? lamp : sun;
            EXPECT_TRUE(light->updateDeviceLight(0.0));
            d->SetLight(i, &light->m_d3dLight);
            d->LightEnable(i, TRUE);
        }
    } else {
        ShaderIntParams& n = *gl.renderer()->m_shaderIntParams;
        ShaderFloatParams& f = *gl.renderer()->m_shaderFloatParams;
        *n.m_numActiveDistantLights = 1;
        *n.m_numActivePointLights = 1;
        std::fill(f.m_ambientLightColor, f.m_ambientLightColor + 3, ambient);
        sun->bindShaderLight(0, 0.0);
        lamp->bindShaderLight(0, 0.0);
    }
    gl.frame([&] { gl.draw(gl.renderer()->m_mainPass.get(), wall(-8, -8, 8, 8, 8)); });
    EXPECT_STREQ(lastErrorText.c_str(), "");

    std::vector<D3DCOLOR> pixels;
    for (int y : {8, 32, 56})
        for (int x : {8, 32, 56})
            pixels.push_back(gl.pixel(x, y));
    return pixels;
}

} // namespace

TEST(LightPassGl, ABoxCastsItsShadowOnAWall)
{
    LitRig gl(true);
    REQUIRE_GL(gl.started(), gl.failure());
    IDirect3DDevice9* d = gl.device();
    Renderer& r = *gl.renderer();
    r.m_shadowDetail = 2;

    // A spot light at the origin looking down +Z; its map sees the box.
    Light* spot = gl.addFullLight(2);
    spot->m_shadowType = 2;
    spot->m_shadowMapSize = 64;
    spot->setup();
    ASSERT_NE(spot->m_shadowMap, nullptr);
    spot->updateProjection(0.0);
    const Matrix4 lightProjection = spot->setDepthRange(0.0, 1.0f, 20.0f);
    const Matrix4 lightView = spot->getInvMatrix(0.0, true);
    const std::vector<Vertex> caster = box(-1, -1, 4.5f, 1, 1, 5.5f);

    IDirect3DSurface9* map = spot->m_shadowMap->getSurface();
    ASSERT_NE(map, nullptr);
    d->SetRenderTarget(0, map);
    map->Release();
    d->SetDepthStencilSurface(r.m_offscreenDepthSurface);
    d->SetViewport(spot->viewport());
    d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFFFFFFFFu, 1.0f, 0);
    d->SetRenderState(D3DRS_LIGHTING, TRUE);
    d->SetRenderState(D3DRS_AMBIENT, 0);
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    r.m_cullMode = D3DCULL_NONE;
    gl.setTransforms(Matrix4::identity(), lightView, lightProjection);
    d->BeginScene();
    gl.draw(r.m_secondPass.get(), caster);
    d->EndScene();

    // The camera stands 2 to the right of the light: the shadow falls on
    // the wall beside the box as the camera sees it.
    r.restoreRenderTarget();
    r.restoreDepthStencil();
    const D3DVIEWPORT9 screen = {0, 0, kSize, kSize, 0.0f, 1.0f};
    d->SetViewport(&screen);
    const Matrix4 cameraWorld = translationMatrix(2, 0, 0);
    Matrix4 cameraView;
    Matrix4::inverseAffine(cameraView, cameraWorld);
    gl.setTransforms(Matrix4::identity(), cameraView, perspective90(1.0f, 100.0f));

    // Camera space to the map: camera world, light view, light projection,
    // then the bias whose last row carries w into the third coordinate.
    const float o = 0.5f + 0.5f / 64.0f;
    Matrix4 bias;
    bias.at(0, 0) = 0.5f;
    bias.at(1, 1) = -0.5f;
    bias.at(3, 0) = o;
    bias.at(3, 1) = o;
    bias.at(3, 2) = 1.0f;
    bias.at(3, 3) = 1.0f;
    Matrix4 toLight, toClip, toMap;
    Matrix4::multiplyAffineAffine(toLight, cameraWorld, lightView);
    Matrix4::multiply(toClip, toLight, lightProjection);
    Matrix4::multiply(toMap, toClip, bias);
    std::memcpy(r.m_shaderFloatParams->m_matWorldLightviewLightprojShadowbias, toMap.m, sizeof toMap.m);

    d->SetRenderState(D3DRS_LIGHTING, FALSE);
    gl.frame([&] { gl.draw(r.m_mainPass.get(), wall(-20, -20, 20, 20, 10), {ActiveLight{0, spot, 1.0f, spot->m_shadowMap}}); },
             0xFF000080u);

    // x / z = -0.08 on the wall lies in the shadow, 0.3 in the light; the
    // box itself was not drawn on screen.
    const D3DCOLOR shadowed = gl.pixel(29, 32);
    const D3DCOLOR lit = gl.pixel(42, 32);
    EXPECT_LT(channel(shadowed, 16), 0x40) << std::hex << shadowed;
    EXPECT_GT(channel(lit, 16), 0xF0) << std::hex << lit;
    EXPECT_GT(channel(lit, 0), 0xF0) << std::hex << lit;
}

TEST(LightPassGl, FixedFunctionAndShaderSettingsDrawTheSameScene)
{
    std::string skip;
    const std::vector<D3DCOLOR> fixed = drawLitScene(true, &skip);
    REQUIRE_GL(skip.empty(), skip);
    const std::vector<D3DCOLOR> shaded = drawLitScene(false, &skip);
    ASSERT_EQ(fixed.size(), shaded.size());
    for (size_t i = 0; i < fixed.size(); ++i) {
        // Lit, not black, and within a few steps of each other.
        EXPECT_GT(channel(fixed[i], 16), 0x30) << i;
        for (int shift : {0, 8, 16})
            EXPECT_NEAR(channel(fixed[i], shift), channel(shaded[i], shift), 3)
                << i << std::hex << " fixed " << fixed[i] << " shaded " << shaded[i];
    }
}
