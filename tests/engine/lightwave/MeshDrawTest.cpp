// A built mesh drawn through a pass: the buffer, declaration and draw calls
// on the recording backend, and a textured cube's texels read back on GL.
#include "LwoRig.h"

#include "engine/core/render/FixedFunctionPass.h"
#include "engine/core/geometry/RenderGeometry.h"
#include "engine/core/render/Renderer.h"
#include "engine/core/render/ShaderFloatParams.h"
#include "engine/core/texture/Texture.h"
#include "engine/scene/MeshObject.h"
#include "platform/d3d9/D3D9Backend.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/Direct3DTexture9.h"
#include "platform/d3d9/RecordingBackend.h"
#include "support/DeviceReadBack.h"
#include "support/GlRequirement.h"
#include "tools/lib/ImageWriters.h"

#include <cstring>

namespace {

// The cube whose -z face carries a 2 x 2 image across it, corner to corner.
// LightWave's v runs up the image, as the textures keep their rows.
std::vector<uint8_t> texturedCube()
{
    Lwo2Writer w;
    w.tags({"Face"});
    w.layer(0);
    std::vector<std::array<float, 3>> points;
    for (int i = 0; i < 8; ++i)
        points.push_back({i & 4 ? 0.5f : -0.5f, i & 2 ? 0.5f : -0.5f, i & 1 ? 0.5f : -0.5f});
    w.points(points);
    std::vector<std::pair<uint32_t, std::vector<float>>> uv;
    for (uint32_t i : {0u, 2u, 4u, 6u})
        uv.push_back({i, {points[i][0] + 0.5f, points[i][1] + 0.5f}});
    w.vmap("TXUV", 2, "UV", uv);
    w.polygons({{4, 6, 7, 5}, {0, 1, 3, 2}, {2, 3, 7, 6}, {0, 4, 5, 1}, {1, 5, 7, 3}, {0, 2, 6, 4}});
    w.polygonTags({0, 0, 0, 0, 0, 0});
    w.clipStill(1, "check.bmp");
    Lwo2Surface s;
    s.name = "Face";
    Lwo2Block block;
    block.image = 1;
    block.vmap = "UV";
    s.blocks.push_back(block);
    w.surface(s);
    return w.finish();
}

// Fixed function with the surface's first colour image on stage 0, unlit
// and unfiltered, so that texels reach the screen as they are.
class TexelPass : public FixedFunctionPass {
public:
    using FixedFunctionPass::FixedFunctionPass;
    void bindTextures(Material* surface, double time, const std::vector<ActiveLight>&) override
    {
        IDirect3DDevice9* d = m_renderer->m_device;
        MaterialLayer* layer = surface ? surface->findImageLayer(lwoCode("COLR"), 1) : nullptr;
        d->SetTexture(0, layer ? layer->m_image->getD3DTexture(time) : nullptr);
        d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        d->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        d->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
        d->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
        d->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
        d->SetRenderState(D3DRS_LIGHTING, FALSE);
        d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    }
};

class MeshDrawTest : public LwoRig {
protected:
    void start(D3D9Backend backend) { started = startRenderer(backend); }

    bool started = false;
};

TEST_F(MeshDrawTest, RecordingBackendSeesBuffersDeclarationAndDraw)
{
    start(D3D9Backend::Recording);
    ASSERT_TRUE(started);
    auto& recording = static_cast<RecordingBackend&>(rig().device()->backend());
    recording.clearCalls();
    files.addFile("box.lwo", lwo2Cube());
    MeshObject* object = scene->loadObjectLayer(&files, "box.lwo", 0, scene->m_root);
    ASSERT_NE(object, nullptr) << lastError();
    auto* mesh = static_cast<LwMesh*>(object->firstLodMesh());
    ASSERT_TRUE(mesh->isBuilt());
    ASSERT_EQ(mesh->m_geometries.size(), 1u);
    RenderGeometry& geometry = *mesh->m_geometries[0];
    EXPECT_TRUE(geometry.m_uploaded);
    EXPECT_EQ(geometry.m_format.m_stride, 24u);
    EXPECT_EQ(geometry.m_indexFormat, D3DFMT_INDEX16);
    EXPECT_EQ(geometry.m_vertexCount, 24);
    EXPECT_EQ(geometry.m_primitiveCount, 12);
    EXPECT_EQ(mesh->m_data.vertexCount(), 0) << "the static mesh let its build data go";
    std::vector<std::string> buffers;
    for (const std::string& line : recording.calls())
        if (line.rfind("createBuffer", 0) == 0)
            buffers.push_back(line.substr(line.find(' ', 13) + 1));
    EXPECT_EQ(buffers, (std::vector<std::string>{"576 bytes vertex", "72 bytes index"}));
    const auto elements = geometry.m_format.elements();
    ASSERT_EQ(elements.size(), 3u);
    EXPECT_EQ(elements[1].Usage, D3DDECLUSAGE_NORMAL);
    EXPECT_EQ(elements[1].Offset, 12);

    recording.clearCalls();
    const uint32_t drawsBefore = rig().renderer->m_drawCallCount;
    object->render(0.0, nullptr);
    std::vector<std::string> draws;
    for (const std::string& line : recording.calls())
        if (line.rfind("draw ", 0) == 0)
            draws.push_back(line.substr(0, line.find(" start")));
    EXPECT_EQ(draws, (std::vector<std::string>{"draw type 4 primitives 12 indexed"}));
    EXPECT_EQ(rig().renderer->m_drawCallCount, drawsBefore + 1);
}

TEST_F(MeshDrawTest, WrapModesFollowTheDeviceAddressCaps)
{
    start(D3D9Backend::Recording);
    ASSERT_TRUE(started);
    const uint32_t caps = rig().renderer->m_caps.TextureAddressCaps;
    Lwo2Writer w;
    w.tags({"S"});
    w.layer(0);
    w.clipStill(1, "tex.bmp");
    w.clipStill(2, "big_noscale.bmp");
    Lwo2Surface s;
    s.name = "S";
    const std::pair<int, int> wraps[] = {{0, 0}, {2, 3}, {3, 2}};
    for (const auto& [u, v] : wraps) {
        Lwo2Block b;
        b.image = 1;
        b.wrapU = u;
        b.wrapV = v;
        b.ordinal = std::string(1, char(0x80 + s.blocks.size()));
        s.blocks.push_back(b);
    }
    // An image that keeps its size clamps whatever the block says.
    Lwo2Block noscale;
    noscale.image = 2;
    noscale.ordinal = "\x90";
    s.blocks.push_back(noscale);
    w.surface(s);
    ASSERT_NE(load("wrap.lwo", w.finish()), nullptr) << lastError();
    const Surface* surface = this->surface("wrap.lwo@S");
    ASSERT_EQ(surface->m_imageLayers.size(), 4u);
    EXPECT_EQ(surface->m_imageLayers[3]->m_addressU, 3);
    EXPECT_EQ(surface->m_imageLayers[3]->m_addressV, 3);
    auto mode = [&](int code) {
        switch (code) {
        case 0: return (caps & 0x8) ? 4 : (caps & 0x4) ? 3 : 1;
        case 2: return (caps & 0x2) ? 2 : 1;
        case 3: return (caps & 0x4) ? 3 : 1;
        default: return code;
        }
    };
    for (size_t i = 0; i < 3; ++i) {
        const TextureLayer& l = *surface->m_imageLayers[i];
        EXPECT_EQ(l.m_addressV, mode(wraps[i].second)) << i;
        EXPECT_EQ(l.m_addressU, (caps & 0x10) ? mode(wraps[i].first) : l.m_addressV) << i;
    }
    EXPECT_EQ(surface->m_imageLayers[0]->m_addressV, (caps & 0x8) ? 4 : 3) << "the recording device clamps or borders";
}

TEST_F(MeshDrawTest, TexturedCubeShowsItsTexelsOnGl)
{
    start(D3D9Backend::Gl);
    REQUIRE_GL(started, startOutput);
    BmpLayout layout;
    layout.width = 2;
    layout.height = 2;
    files.addFile("check.bmp", writeBmp(layout, {}, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}));
    files.addFile("cube.lwo", texturedCube());
    MeshObject* object = scene->loadObjectLayer(&files, "cube.lwo", 0, scene->m_root);
    ASSERT_NE(object, nullptr) << lastError();
    auto* mesh = static_cast<LwMesh*>(object->firstLodMesh());
    ASSERT_TRUE(mesh->isBuilt());
    ASSERT_EQ(mesh->m_geometries.size(), 1u);
    EXPECT_EQ(mesh->m_geometries[0]->m_format.m_stride, 32u);

    IDirect3DDevice9* d = rig().device();
    // Clip space is the object's space moved half a unit back: the -z face
    // sits at depth 0 and covers the middle of the view.
    Matrix4 world = Matrix4::identity();
    world.at(3, 2) = 0.5f;
    D3DMATRIX w, identity;
    std::memcpy(&w, world.m, sizeof w);
    std::memcpy(&identity, Matrix4::identity().m, sizeof identity);
    d->SetTransform(D3DTS_WORLD, &w);
    d->SetTransform(D3DTS_VIEW, &identity);
    d->SetTransform(D3DTS_PROJECTION, &identity);
    TexelPass pass(rig().renderer.get());
    d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
    d->BeginScene();
    mesh->m_geometries[0]->draw(&pass, 0.0, {});
    d->EndScene();
    const struct {
        int x, y;
        D3DCOLOR colour;
    } samples[] = {{24, 24, 0xFFFF0000u}, {40, 24, 0xFF00FF00u}, {24, 40, 0xFF0000FFu},
                   {40, 40, 0xFFFFFFFFu}, {4, 4, 0xFF000000u},   {60, 32, 0xFF000000u}};
    for (const auto& s : samples)
        EXPECT_EQ(readBackBufferPixel(d, s.x, s.y) | 0xFF000000u, s.colour) << s.x << "," << s.y;
}

} // namespace
