// LightWave surfaces drawn on GL and read back: a plain colour, a colour
// image, two colour layers, an alpha-tested transparency image, additive
// transparency and a multiplying image, each on its own quad, through the
// fixed-function pass; then the same lit surfaces with the fixed-function
// setting and with the shader setting, which must agree; and the shaders' lens
// distortion.
#include "LwoRig.h"

#include "engine/core/render/Renderer.h"
#include "engine/core/render/ShaderPass.h"
#include "engine/core/render/ShaderFloatParams.h"
#include "engine/core/render/ShaderIntParams.h"
#include "engine/core/geometry/RenderGeometry.h"
#include "engine/scene/Light.h"
#include "engine/scene/MeshObject.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3dx/DdsWriter.h"
#include "support/GlSceneRig.h"
#include "support/GlRequirement.h"
#include "support/MaterialShaders.h"
#include "tools/lib/ImageWriters.h"

#include <cmath>
#include <cstring>

namespace {

constexpr int kSize = 64;
constexpr D3DCOLOR kBackground = 0xFF404040u;

// A 2 x 2 image with alpha, as the converted copy a texture prefers.
std::vector<uint8_t> ddsImage(const uint32_t (&argb)[4])
{
    ConstSurfaceView view{reinterpret_cast<const uint8_t*>(argb), sizeof argb, 8, D3DFMT_A8R8G8B8, 2, 2};
    std::vector<uint8_t> out;
    EXPECT_EQ(writeDds(&view, 1, out), D3D_OK);
    return out;
}

Lwo2Block imageBlock(const char* channel, int clip, const char* ordinal)
{
    Lwo2Block b;
    b.channel = channel;
    b.image = clip;
    b.ordinal = ordinal;
    b.vmap = "UV";
    // Texel for texel, so that each quarter of a quad shows one texel.
    b.pixelBlending = 0;
    return b;
}

// Six surfaces, each on a quad of a 3 x 2 grid over clip space.
std::vector<Lwo2Surface> surfaces(float diffuse, float luminosity)
{
    auto make = [&](const char* name, std::array<float, 3> colour) {
        Lwo2Surface s;
        s.name = name;
        s.color = colour;
        s.values = {{"DIFF", diffuse}, {"LUMI", luminosity}};
        return s;
    };
    std::vector<Lwo2Surface> out;
    out.push_back(make("Plain", {0.2f, 0.4f, 0.6f}));
    Lwo2Surface textured = make("Textured", {0.2f, 0.4f, 0.6f});
    textured.blocks.push_back(imageBlock("COLR", 1, "\x80"));
    out.push_back(textured);
    Lwo2Surface two = textured;
    two.name = "TwoLayers";
    two.blocks.push_back(imageBlock("COLR", 2, "\x81"));
    out.push_back(two);
    Lwo2Surface masked = textured;
    masked.name = "Masked";
    masked.blocks.push_back(imageBlock("TRAN", 3, "\x81"));
    out.push_back(masked);
    Lwo2Surface additive = make("Additive", {1.0f, 0.5f, 0.0f});
    additive.values.push_back({"ADTR", 0.5f});
    out.push_back(additive);
    Lwo2Surface multiplied = textured;
    multiplied.name = "Multiplied";
    multiplied.color = {0.5f, 1.0f, 1.0f};
    multiplied.blocks[0].opacityType = 3;
    out.push_back(multiplied);
    return out;
}

std::vector<uint8_t> gridObject(const std::vector<Lwo2Surface>& list)
{
    Lwo2Writer w;
    std::vector<std::string> names;
    for (const Lwo2Surface& s : list)
        names.push_back(s.name);
    w.tags(names);
    w.layer(0);
    std::vector<std::array<float, 3>> points;
    std::vector<std::vector<uint32_t>> quads;
    std::vector<uint16_t> tags;
    std::vector<std::pair<uint32_t, std::vector<float>>> uv;
    for (uint32_t i = 0; i < list.size(); ++i) {
        const float x0 = -1.0f + 2.0f * float(i % 3) / 3.0f + 0.05f, x1 = x0 + 2.0f / 3.0f - 0.1f;
        const float y1 = i < 3 ? 0.95f : -0.05f, y0 = y1 - 0.9f;
        const uint32_t p = uint32_t(points.size());
        points.insert(points.end(), {{x0, y0, 0.5f}, {x0, y1, 0.5f}, {x1, y1, 0.5f}, {x1, y0, 0.5f}});
        uv.insert(uv.end(), {{p, {0, 0}}, {p + 1, {0, 1}}, {p + 2, {1, 1}}, {p + 3, {1, 0}}});
        quads.push_back({p, p + 1, p + 2, p + 3});
        tags.push_back(uint16_t(i));
    }
    w.points(points);
    w.vmap("TXUV", 2, "UV", uv);
    w.polygons(quads);
    w.polygonTags(tags);
    w.clipStill(1, "red.bmp");
    w.clipStill(2, "half.bmp");
    w.clipStill(3, "mask.bmp");
    for (const Lwo2Surface& s : list)
        w.surface(s);
    return w.finish();
}

struct Sample {
    const char* what;
    int x, y;
};

// Cell centres of the grid and the quarters of a cell.
int cellX(int cell) { return (2 * (cell % 3) + 1) * kSize / 6; }
int cellY(int cell) { return cell < 3 ? kSize / 4 : 3 * kSize / 4; }

const Sample kSamples[] = {
    {"plain", cellX(0), cellY(0)},
    {"image", cellX(1), cellY(1)},
    {"two layers, left", cellX(2) - 5, cellY(2)},
    {"two layers, right", cellX(2) + 5, cellY(2)},
    {"masked, top left", cellX(3) - 5, cellY(3) - 6},
    {"masked, top right", cellX(3) + 5, cellY(3) - 6},
    {"masked, bottom left", cellX(3) - 5, cellY(3) + 6},
    {"masked, bottom right", cellX(3) + 5, cellY(3) + 6},
    {"additive", cellX(4), cellY(4)},
    {"multiplied", cellX(5), cellY(5)},
};

class SurfaceDrawGl : public LwoRig {
protected:
    void TearDown() override
    {
        m_gl.reset();
        LwoRig::TearDown();
    }

    // Draws the grid with one setting and reads the samples back; empty
    // when there is no display.
    std::vector<D3DCOLOR> drawGrid(bool fixedFunction, float diffuse, float luminosity, bool lit)
    {
        // The last setting's rig goes first: it puts the backend back.
        m_gl.reset();
        m_gl = std::make_unique<GlSceneRig>();
        if (!m_gl->start(kSize, fixedFunction))
            return {};
        Renderer& r = *m_gl->renderer();
        IDirect3DDevice9* d = m_gl->device();
        useMaterialShaders(r);

        BmpLayout layout;
        layout.width = layout.height = 2;
        files.addFile("red.bmp", writeBmp(layout, {}, {0xFF0000, 0xFF0000, 0xFF0000, 0xFF0000}));
        // Green over the right column only; the left lets the layer below show.
        files.addFile("half.bmp", writeBmp(layout, {}, {0x00FF00, 0x00FF00, 0x00FF00, 0x00FF00}));
        files.addFile("half.bmp.dds", ddsImage({0x0000FF00u, 0xFF00FF00u, 0x0000FF00u, 0xFF00FF00u}));
        // Black keeps, white cuts: the top left and bottom right remain.
        files.addFile("mask.bmp", writeBmp(layout, {}, {0x000000, 0xFFFFFF, 0xFFFFFF, 0x000000}));
        files.addFile("grid.lwo", gridObject(surfaces(diffuse, luminosity)));
        Scene* glScene = m_gl->scene();
        MeshObject* object = glScene->loadObjectLayer(&files, "grid.lwo", 0, glScene->m_root);
        EXPECT_NE(object, nullptr) << lastError();
        if (!object)
            return {};
        m_gl->manager()->prepare(nullptr);
        auto* mesh = static_cast<LwMesh*>(object->firstLodMesh());
        EXPECT_EQ(mesh->m_geometries.size(), 6u);

        ShaderFloatParams& f = *r.m_shaderFloatParams;
        ShaderIntParams& n = *r.m_shaderIntParams;
        m_gl->setTransforms(Matrix4::identity(), Matrix4::identity(), Matrix4::identity());
        r.m_cullMode = D3DCULL_NONE;
        d->SetRenderState(D3DRS_LIGHTING, TRUE);
        d->SetRenderState(D3DRS_AMBIENT, 0xFF333333u);
        std::fill(f.m_ambientLightColor, f.m_ambientLightColor + 3, 0.2f);
        if (lit) {
            // One distant light shining straight into the screen.
            Light* sun = m_gl->addLight(0);
            sun->m_intensity.m_value = 1.0f;
            sun->m_color[0].m_value = 0.9f;
            sun->m_color[1].m_value = 0.7f;
            sun->m_color[2].m_value = 0.5f;
            sun->setup();
            if (fixedFunction) {
                EXPECT_TRUE(sun->updateDeviceLight(0.0));
                d->SetLight(0, &sun->m_d3dLight);
                d->LightEnable(0, TRUE);
            } else {
                *n.m_numActiveDistantLights = 1;
                sun->bindShaderLight(0, 0.0);
            }
        }
        m_gl->frame(
            [&] {
                for (const auto& geometry : mesh->m_geometries)
                    geometry->draw(r.m_mainPass.get(), 0.0, {});
            },
            kBackground);
        EXPECT_STREQ(lastErrorText.c_str(), "");
        std::vector<D3DCOLOR> pixels;
        for (const Sample& s : kSamples)
            pixels.push_back(m_gl->pixel(s.x, s.y) & 0xFFFFFFu);
        return pixels;
    }

    std::unique_ptr<GlSceneRig> m_gl;
};

int channel(D3DCOLOR c, int shift)
{
    return int((c >> shift) & 0xFF);
}

} // namespace

TEST_F(SurfaceDrawGl, FixedFunctionDrawsEachSurface)
{
    // Unlit: every surface shows its own colour (luminosity 1, diffuse 0).
    const std::vector<D3DCOLOR> pixels = drawGrid(true, 0.0f, 1.0f, false);
    REQUIRE_GL(!pixels.empty(), m_gl->failure());
    const D3DCOLOR expected[] = {
        0x336699,                        // the surface colour
        0xFF0000,                        // the image replaces it
        0xFF0000, 0x00FF00,              // the second layer over the first by its alpha
        0xFF0000, 0x404040, 0x404040, 0xFF0000, // cut where the mask is white
        0xFFA020,                        // (1, 0.5, 0) added over half the grey
        0x800000,                        // the image times the surface colour
    };
    ASSERT_EQ(pixels.size(), std::size(expected));
    for (size_t i = 0; i < pixels.size(); ++i)
        for (int shift : {0, 8, 16})
            EXPECT_NEAR(channel(pixels[i], shift), channel(expected[i], shift), 2)
                << kSamples[i].what << std::hex << " got " << pixels[i] << " expected " << expected[i];
}

TEST_F(SurfaceDrawGl, FixedFunctionAndShaderSettingsDrawTheSameSurfaces)
{
    const std::vector<D3DCOLOR> fixed = drawGrid(true, 0.8f, 0.2f, true);
    REQUIRE_GL(!fixed.empty(), m_gl->failure());
    const std::vector<D3DCOLOR> shaded = drawGrid(false, 0.8f, 0.2f, true);
    ASSERT_EQ(fixed.size(), shaded.size());
    for (size_t i = 0; i < fixed.size(); ++i)
        for (int shift : {0, 8, 16})
            EXPECT_NEAR(channel(fixed[i], shift), channel(shaded[i], shift), 3)
                << kSamples[i].what << std::hex << " fixed " << fixed[i] << " shaded " << shaded[i];
    // Lit, not black: the plain surface and the image.
    EXPECT_GT(channel(fixed[0], 0), 0x30);
    EXPECT_GT(channel(fixed[1], 16), 0x80);
}

TEST(SurfaceShaderGl, LensDistortionBendsTheViewAsTheCornersAre)
{
    // A quad over x, y in -0.5..0.5 at w = 1 through a view widened to 45
    // degrees each side: x / w = 0.5 lies at atan(0.5) / (pi / 4) = 0.59,
    // and the corners' w grows to sqrt(1.25), pulling the top and bottom in.
    struct Vertex {
        float x, y, z, nx, ny, nz;
    };
    const Vertex a{-0.5f, 0.5f, 0.5f, 0, 0, -1}, b{0.5f, 0.5f, 0.5f, 0, 0, -1};
    const Vertex c{-0.5f, -0.5f, 0.5f, 0, 0, -1}, d{0.5f, -0.5f, 0.5f, 0, 0, -1};
    const Vertex quad[] = {a, b, c, c, b, d};
    std::string failure;
    auto draw = [&](bool distorted) -> std::vector<D3DCOLOR> {
        GlSceneRig gl;
        if (!gl.start(kSize, false)) {
            failure = gl.failure();
            return {};
        }
        Renderer& r = *gl.renderer();
        useMaterialShaders(r);
        r.m_cullMode = D3DCULL_NONE;
        gl.setTransforms(Matrix4::identity(), Matrix4::identity(), Matrix4::identity());
        std::fill(r.m_shaderFloatParams->m_ambientLightColor, r.m_shaderFloatParams->m_ambientLightColor + 3, 1.0f);
        *r.m_shaderIntParams->m_isCylindricalViewer = distorted ? 1 : 0;
        *r.m_shaderFloatParams->m_cylindricalScale = float(4.0 / 3.14159265358979323846);
        ShaderPass* pass = r.m_mainPass.get();
        gl.frame([&] {
            pass->applyMaterialStates(nullptr, 0.0);
            gl.device()->SetFVF(D3DFVF_XYZ | D3DFVF_NORMAL);
            if (pass->activate())
                pass->bindTextures(nullptr, 0.0, {});
            gl.device()->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, quad, sizeof(Vertex));
        });
        EXPECT_STREQ(lastErrorText.c_str(), "");
        // Right edge at 48 plain, at 50.9 bent; top edge at 16 plain, 17.7 bent.
        std::vector<D3DCOLOR> pixels;
        for (const auto& [x, y] : {std::pair{32, 32}, {49, 32}, {50, 32}, {52, 32}, {32, 16}, {32, 19}})
            pixels.push_back(gl.pixel(x, y) & 0xFFFFFFu);
        return pixels;
    };
    const std::vector<D3DCOLOR> plain = draw(false);
    REQUIRE_GL(!plain.empty(), failure);
    const std::vector<D3DCOLOR> bent = draw(true);
    const D3DCOLOR white = 0xFFFFFF, black = 0;
    EXPECT_EQ(plain, (std::vector<D3DCOLOR>{white, black, black, black, white, white}));
    EXPECT_EQ(bent, (std::vector<D3DCOLOR>{white, white, white, black, black, white}));
}

TEST(SurfaceShaderGl, FogOverTheShadersAsOverFixedFunction)
{
    // Linear table fog from 0 to 1 over a quad at depth 0.5 under an affine
    // projection: half fog colour, whichever pipeline draws it.
    struct Vertex {
        float x, y, z, nx, ny, nz;
    };
    const Vertex a{-0.5f, 0.5f, 0.5f, 0, 0, -1}, b{0.5f, 0.5f, 0.5f, 0, 0, -1};
    const Vertex c{-0.5f, -0.5f, 0.5f, 0, 0, -1}, d{0.5f, -0.5f, 0.5f, 0, 0, -1};
    const Vertex quad[] = {a, b, c, c, b, d};
    std::string failure;
    auto draw = [&](bool fixedFunction) -> D3DCOLOR {
        GlSceneRig gl;
        if (!gl.start(kSize, fixedFunction)) {
            failure = gl.failure();
            return 0;
        }
        Renderer& r = *gl.renderer();
        IDirect3DDevice9* device = gl.device();
        useMaterialShaders(r);
        r.m_cullMode = D3DCULL_NONE;
        gl.setTransforms(Matrix4::identity(), Matrix4::identity(), Matrix4::identity());
        std::fill(r.m_shaderFloatParams->m_ambientLightColor, r.m_shaderFloatParams->m_ambientLightColor + 3, 1.0f);
        device->SetRenderState(D3DRS_LIGHTING, TRUE);
        device->SetRenderState(D3DRS_AMBIENT, 0xFFFFFFFFu);
        const float start = 0.0f, end = 1.0f;
        DWORD bits[2];
        std::memcpy(&bits[0], &start, 4);
        std::memcpy(&bits[1], &end, 4);
        device->SetRenderState(D3DRS_FOGENABLE, TRUE);
        device->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
        device->SetRenderState(D3DRS_FOGSTART, bits[0]);
        device->SetRenderState(D3DRS_FOGEND, bits[1]);
        device->SetRenderState(D3DRS_FOGCOLOR, 0xFFFF0000u);
        *r.m_shaderIntParams->m_isFogEnabled = 1;
        ShaderPass* pass = r.m_mainPass.get();
        gl.frame([&] {
            pass->applyMaterialStates(nullptr, 0.0);
            device->SetFVF(D3DFVF_XYZ | D3DFVF_NORMAL);
            if (pass->activate())
                pass->bindTextures(nullptr, 0.0, {});
            device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, quad, sizeof(Vertex));
        });
        EXPECT_STREQ(lastErrorText.c_str(), "");
        return gl.pixel(32, 32) | 0xFF000000u;
    };
    const D3DCOLOR fixed = draw(true);
    REQUIRE_GL(fixed, failure);
    const D3DCOLOR shaded = draw(false);
    for (D3DCOLOR colour : {fixed, shaded}) {
        EXPECT_EQ(channel(colour, 16), 0xFF) << std::hex << colour;
        EXPECT_NEAR(channel(colour, 8), 0x80, 2) << std::hex << colour;
        EXPECT_NEAR(channel(colour, 0), 0x80, 2) << std::hex << colour;
    }
}

TEST(SurfaceShaderGl, EveryLayerCountTheTablesAllowCompilesAndDraws)
{
    GlSceneRig gl;
    REQUIRE_GL(gl.start(kSize, false), gl.failure());
    Renderer& r = *gl.renderer();
    useMaterialShaders(r);
    r.m_cullMode = D3DCULL_NONE;
    gl.setTransforms(Matrix4::identity(), Matrix4::identity(), Matrix4::identity());
    std::fill(r.m_shaderFloatParams->m_ambientLightColor, r.m_shaderFloatParams->m_ambientLightColor + 3, 1.0f);
    struct Vertex {
        float x, y, z, nx, ny, nz;
    };
    const Vertex a{-0.5f, 0.5f, 0.5f, 0, 0, -1}, b{0.5f, 0.5f, 0.5f, 0, 0, -1};
    const Vertex c{-0.5f, -0.5f, 0.5f, 0, 0, -1}, d{0.5f, -0.5f, 0.5f, 0, 0, -1};
    const Vertex quad[] = {a, b, c, c, b, d};
    // Counts per channel (colour, luminosity, diffuse, reflection, specular,
    // transparency) and shadows; the branches a permutation leaves out
    // still compile.
    const std::array<int32_t, 7> cases[] = {
        {0, 0, 0, 0, 0, 0, 0}, {4, 4, 0, 0, 0, 0, 0}, {4, 0, 4, 0, 0, 0, 0}, {4, 4, 4, 4, 4, 4, 0},
        {1, 0, 1, 0, 1, 1, 4}, {0, 0, 0, 0, 0, 4, 2},
    };
    ShaderIntParams& n = *r.m_shaderIntParams;
    ShaderPass* pass = r.m_mainPass.get();
    for (const auto& counts : cases) {
        SCOPED_TRACE(testing::PrintToString(counts));
        HRESULT drawn = D3DERR_INVALIDCALL;
        gl.frame([&] {
            pass->applyMaterialStates(nullptr, 0.0);
            int32_t* slots[] = {n.m_numTexCOLR, n.m_numTexLUMI, n.m_numTexDIFF, n.m_numTexREFL, n.m_numTexSPEC,
                                n.m_numTexTRAN, n.m_numShadows};
            for (size_t i = 0; i < counts.size(); ++i)
                *slots[i] = counts[i];
            gl.device()->SetFVF(D3DFVF_XYZ | D3DFVF_NORMAL);
            ASSERT_TRUE(pass->activate());
            pass->bindTextures(nullptr, 0.0, {});
            drawn = gl.device()->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, quad, sizeof(Vertex));
        });
        EXPECT_EQ(drawn, D3D_OK);
        EXPECT_STREQ(lastErrorText.c_str(), "");
    }
    *n.m_numShadows = 0;
}
