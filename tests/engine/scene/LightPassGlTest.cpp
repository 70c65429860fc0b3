// Lights through the passes on the GL backend, read back from the screen:
// a box's shadow map projected on a wall, and one lit scene drawn with the
// fixed-function setting and with the shader setting.
#include "engine/core/FixedFunctionPass.h"
#include "engine/core/RenderTexture.h"
#include "engine/core/Renderer.h"
#include "engine/core/Report.h"
#include "engine/core/ShaderFloatParams.h"
#include "engine/core/ShaderIntParams.h"
#include "engine/scene/Light.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "platform/d3d9/D3D9Backend.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/Direct3DSurface9.h"
#include "platform/d3dx/D3DXShader.h"
#include "platform/win/MessageQueue.h"
#include "support/DeviceReadBack.h"
#include "support/RendererRig.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
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

// A perspective of 90 degrees both ways, depth 1 to 100.
Matrix4 perspective()
{
    Matrix4 p;
    const float q = 100.0f / 99.0f;
    p.at(0, 0) = 1.0f;
    p.at(1, 1) = 1.0f;
    p.at(2, 2) = q;
    p.at(2, 3) = 1.0f;
    p.at(3, 2) = -q;
    return p;
}

D3DMATRIX toD3D(const Matrix4& m)
{
    D3DMATRIX out;
    std::memcpy(&out, m.m, sizeof out);
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

void drainMessages()
{
    MSG msg{};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

std::string shaderSource()
{
    const char* root = std::getenv("VORLUND_SOURCE_DIR");
    std::ifstream in(std::string(root ? root : ".") + "/data/shaders/material.glsl");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// One renderer on the GL backend with a scene to hold lights.
class GlScene {
public:
    explicit GlScene(bool fixedFunction)
    {
        testing::internal::CaptureStderr();
        m_started = m_rig.start(kSize, kSize, fixedFunction);
        testing::internal::GetCapturedStderr();
        drainMessages();
        if (!m_started)
            return;
        m_manager = std::make_unique<SceneManager>(m_rig.renderer.get(), "gl");
        m_scene = m_manager->loadScene("lit");
        const std::string source = shaderSource();
        ID3DXEffectCompiler* compiler = nullptr;
        D3DXCreateEffectCompiler(source.data(), UINT(source.size()), &compiler);
        m_rig.renderer->setEffectCompiler(compiler);
        compiler->Release();
    }
    ~GlScene()
    {
        m_manager.reset();
        drainMessages();
    }

    bool started() const { return m_started; }
    Renderer& renderer() { return *m_rig.renderer; }
    IDirect3DDevice9* device() { return m_rig.device(); }
    Light* addLight(int32_t type)
    {
        auto* light = new Light(m_scene);
        m_scene->m_lights.push_back(light);
        m_scene->m_root->addChild(light);
        light->m_lightType = type;
        light->m_intensity.m_value = 1.0f;
        return light;
    }
    // World, view and projection for both pipelines.
    void setTransforms(const Matrix4& world, const Matrix4& view, const Matrix4& projection)
    {
        ShaderFloatParams& f = *renderer().m_shaderFloatParams;
        f.m_world = world;
        f.m_view = view;
        f.m_projection = projection;
        f.m_transformsValid = false;
        const D3DMATRIX w = toD3D(world), v = toD3D(view), p = toD3D(projection);
        device()->SetTransform(D3DTS_WORLD, &w);
        device()->SetTransform(D3DTS_VIEW, &v);
        device()->SetTransform(D3DTS_PROJECTION, &p);
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

private:
    RendererRig m_rig;
    bool m_started = false;
    std::unique_ptr<SceneManager> m_manager;
    Scene* m_scene = nullptr;
};

class LightPassGl : public testing::Test {
protected:
    void SetUp() override
    {
        resetReportSwitch();
        reportLevel = 3;
        reportToText = 1;
        selectD3D9Backend(D3D9Backend::Gl);
    }
    void TearDown() override
    {
        selectD3D9Backend(D3D9Backend::Default);
        resetReportSwitch();
    }
};

int channel(D3DCOLOR c, int shift)
{
    return int((c >> shift) & 0xFF);
}

// The pixels at the sample points of the lit scene.
std::vector<D3DCOLOR> drawLitScene(bool fixedFunction, std::string* skip)
{
    GlScene gl(fixedFunction);
    if (!gl.started()) {
        *skip = "no display";
        return {};
    }
    IDirect3DDevice9* d = gl.device();
    gl.setTransforms(Matrix4::identity(), Matrix4::identity(), perspective());

    Light* sun = gl.addLight(0);
    sun->m_color[0].m_value = 0.8f;
    sun->m_color[1].m_value = 0.6f;
    sun->m_color[2].m_value = 0.4f;
    sun->m_motion[RotationP].m_value = 0.6f;
    sun->m_motion[RotationH].m_value = -0.3f;
    Light* lamp = gl.addLight(1);
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
        ShaderIntParams& n = *gl.renderer().m_shaderIntParams;
        ShaderFloatParams& f = *gl.renderer().m_shaderFloatParams;
        *n.m_numActiveDistantLights = 1;
        *n.m_numActivePointLights = 1;
        std::fill(f.m_ambientLightColor, f.m_ambientLightColor + 3, ambient);
        sun->bindShaderLight(0, 0.0);
        lamp->bindShaderLight(0, 0.0);
    }
    d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
    d->BeginScene();
    gl.draw(gl.renderer().m_mainPass.get(), wall(-8, -8, 8, 8, 8));
    d->EndScene();
    EXPECT_STREQ(lastErrorText.c_str(), "");

    std::vector<D3DCOLOR> pixels;
    for (int y : {8, 32, 56})
        for (int x : {8, 32, 56})
            pixels.push_back(readBackBufferPixel(d, x, y));
    return pixels;
}

} // namespace

TEST_F(LightPassGl, ABoxCastsItsShadowOnAWall)
{
    GlScene gl(true);
    if (!gl.started())
        GTEST_SKIP() << "no display";
    IDirect3DDevice9* d = gl.device();
    Renderer& r = gl.renderer();
    r.m_shadowDetail = 2;

    // A spot light at the origin looking down +Z; its map sees the box.
    Light* spot = gl.addLight(2);
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
    gl.setTransforms(Matrix4::identity(), cameraView, perspective());

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
    d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000080u, 1.0f, 0);
    d->BeginScene();
    gl.draw(r.m_mainPass.get(), wall(-20, -20, 20, 20, 10), {ActiveLight{0, spot, 1.0f, spot->m_shadowMap}});
    d->EndScene();

    // x / z = -0.08 on the wall lies in the shadow, 0.3 in the light; the
    // box itself was not drawn on screen.
    const D3DCOLOR shadowed = readBackBufferPixel(d, 29, 32);
    const D3DCOLOR lit = readBackBufferPixel(d, 42, 32);
    EXPECT_LT(channel(shadowed, 16), 0x40) << std::hex << shadowed;
    EXPECT_GT(channel(lit, 16), 0xF0) << std::hex << lit;
    EXPECT_GT(channel(lit, 0), 0xF0) << std::hex << lit;
}

TEST_F(LightPassGl, FixedFunctionAndShaderSettingsDrawTheSameScene)
{
    std::string skip;
    const std::vector<D3DCOLOR> fixed = drawLitScene(true, &skip);
    if (!skip.empty())
        GTEST_SKIP() << skip;
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
