// Resources drawn through the device on GL: every texture format samples
// back its texels, cube and volume textures address the right texels, a
// rendered texture is sampled the right way up, buffers draw each primitive
// type, an occlusion query counts pixels, authored shaders run.
#include "platform/d3d9/DeviceBackend.h"
#include "platform/d3d9/Direct3DCubeTexture9.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/Direct3DIndexBuffer9.h"
#include "platform/d3d9/Direct3DQuery9.h"
#include "platform/d3d9/Direct3DShader9.h"
#include "platform/d3d9/Direct3DSurface9.h"
#include "platform/d3d9/Direct3DTexture9.h"
#include "platform/d3d9/Direct3DVertexBuffer9.h"
#include "platform/d3d9/Direct3DVertexDeclaration9.h"
#include "platform/d3d9/Direct3DVolumeTexture9.h"
#include "support/GlDeviceRig.h"
#include "support/GlRequirement.h"
#include "tests/platform/FixedFunctionTestRig.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void sampleTextureStage(IDirect3DDevice9* d)
{
    d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    d->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
}

bool near(D3DCOLOR a, D3DCOLOR b, int tolerance)
{
    for (int shift = 0; shift < 32; shift += 8)
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance)
            return false;
    return true;
}

// ---- Every texture format: one texel value, filled over a 4x4 level. ----

struct FormatCase {
    const char* name;
    D3DFORMAT format;
    std::vector<uint8_t> element; // one texel, or one 4x4 block
    D3DCOLOR expected;
    int tolerance;
};

std::vector<uint8_t> le16(std::initializer_list<uint16_t> words)
{
    std::vector<uint8_t> out;
    for (uint16_t w : words) {
        out.push_back(uint8_t(w));
        out.push_back(uint8_t(w >> 8));
    }
    return out;
}

std::vector<uint8_t> le32(std::initializer_list<uint32_t> words)
{
    std::vector<uint8_t> out;
    for (uint32_t w : words)
        for (int i = 0; i < 4; ++i)
            out.push_back(uint8_t(w >> (8 * i)));
    return out;
}

std::vector<uint8_t> floats(std::initializer_list<float> values)
{
    std::vector<uint8_t> out(values.size() * 4);
    std::memcpy(out.data(), values.begin(), out.size());
    return out;
}

std::vector<uint8_t> concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// DXT colour block: endpoints red (0xF800) and blue (0x001F), every index
// 2, which is 2/3 of the first plus 1/3 of the second in four-colour mode.
const std::vector<uint8_t> kColourBlock = concat(le16({0xF800, 0x001F}), le32({0xAAAAAAAAu}));

const FormatCase kFormats[] = {
    {"A8R8G8B8", D3DFMT_A8R8G8B8, le32({0x80C04020}), 0x80C04020, 0},
    {"X8R8G8B8", D3DFMT_X8R8G8B8, le32({0x00C04020}), 0xFFC04020, 0},
    {"A8B8G8R8", D3DFMT_A8B8G8R8, le32({0x80204080}), 0x80804020, 0},
    {"R5G6B5", D3DFMT_R5G6B5, le16({(31 << 11) | (32 << 5) | 8}), 0xFFFF8242, 1},
    {"X1R5G5B5", D3DFMT_X1R5G5B5, le16({(16 << 10) | (8 << 5) | 31}), 0xFF8442FF, 1},
    {"A1R5G5B5", D3DFMT_A1R5G5B5, le16({0x8000 | (16 << 10) | (8 << 5) | 31}), 0xFF8442FF, 1},
    {"A4R4G4B4", D3DFMT_A4R4G4B4, le16({0x8C42}), 0x88CC4422, 0},
    {"X4R4G4B4", D3DFMT_X4R4G4B4, le16({0x0C42}), 0xFFCC4422, 0},
    {"A2R10G10B10", D3DFMT_A2R10G10B10, le32({(2u << 30) | (1023u << 20) | (512u << 10) | 0u}), 0xAAFF8000, 1},
    {"A8", D3DFMT_A8, {0x80}, 0x80000000, 0},
    {"L8", D3DFMT_L8, {0x60}, 0xFF606060, 0},
    {"A8L8", D3DFMT_A8L8, {0x60, 0x80}, 0x80606060, 0},
    {"L16", D3DFMT_L16, le16({0x6060}), 0xFF606060, 1},
    {"G16R16", D3DFMT_G16R16, le16({0x4040, 0x8080}), 0xFF4080FF, 1},
    {"A16B16G16R16", D3DFMT_A16B16G16R16, le16({0x4040, 0x8080, 0xC0C0, 0xFFFF}), 0xFF4080C0, 1},
    {"R16F", D3DFMT_R16F, le16({0x3400}), 0xFF40FFFF, 1},
    {"G16R16F", D3DFMT_G16R16F, le16({0x3400, 0x3800}), 0xFF4080FF, 1},
    {"A16B16G16R16F", D3DFMT_A16B16G16R16F, le16({0x3400, 0x3800, 0x3A00, 0x3800}), 0x804080BF, 1},
    {"R32F", D3DFMT_R32F, floats({0.25f}), 0xFF40FFFF, 1},
    {"G32R32F", D3DFMT_G32R32F, floats({0.25f, 0.5f}), 0xFF4080FF, 1},
    {"A32B32G32R32F", D3DFMT_A32B32G32R32F, floats({0.25f, 0.5f, 0.75f, 0.5f}), 0x804080BF, 1},
    {"DXT1", D3DFMT_DXT1, kColourBlock, 0xFFAA0055, 2},
    {"DXT2", D3DFMT_DXT2, concat(le32({0x88888888u, 0x88888888u}), kColourBlock), 0x88AA0055, 2},
    {"DXT3", D3DFMT_DXT3, concat(le32({0x88888888u, 0x88888888u}), kColourBlock), 0x88AA0055, 2},
    {"DXT4", D3DFMT_DXT4, concat({0x80, 0x00, 0, 0, 0, 0, 0, 0}, kColourBlock), 0x80AA0055, 2},
    {"DXT5", D3DFMT_DXT5, concat({0x80, 0x00, 0, 0, 0, 0, 0, 0}, kColourBlock), 0x80AA0055, 2},
};

class DeviceTextureFormat : public ::testing::TestWithParam<FormatCase> {};

TEST_P(DeviceTextureFormat, UploadsAndSamplesBackItsTexels)
{
    GlDeviceRig rig;
    REQUIRE_GL(rig.ready(), rig.failure());
    const FormatCase& c = GetParam();
    IDirect3DDevice9* d = rig.device();
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(d->CreateTexture(4, 4, 1, 0, c.format, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    const bool block = c.element.size() >= 8 && std::string(c.name).rfind("DXT", 0) == 0;
    const int rows = block ? 1 : 4, perRow = block ? 1 : 4;
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < perRow; ++x)
            std::memcpy(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch + x * c.element.size(),
                        c.element.data(), c.element.size());
    ASSERT_EQ(texture->UnlockRect(0), D3D_OK);
    sampleTextureStage(d);
    d->SetTexture(0, texture);
    rig.clear(0xFF000000);
    ASSERT_EQ(rig.drawList(GlDeviceRig::quad(-1, -1, 1, 1, 0.5f)), D3D_OK);
    const D3DCOLOR got = rig.pixel(8, 8);
    EXPECT_TRUE(near(got, c.expected, c.tolerance)) << std::hex << "got 0x" << got << " expected 0x" << c.expected;
    d->SetTexture(0, nullptr);
    texture->Release();
}

INSTANTIATE_TEST_SUITE_P(Formats, DeviceTextureFormat, ::testing::ValuesIn(kFormats),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Cube and volume textures through three-component coordinates. ----

struct Vertex3 {
    float x, y, z;
    float u, v, w;
};
constexpr DWORD kVertex3Fvf = D3DFVF_XYZ | D3DFVF_TEX1 | D3DFVF_TEXCOORDSIZE3(0);

std::vector<Vertex3> flatQuad(float u, float v, float w)
{
    const Vertex3 a{-1.5f, 1.5f, 0.5f, u, v, w}, b{1.5f, 1.5f, 0.5f, u, v, w}, c{1.5f, -1.5f, 0.5f, u, v, w},
        e{-1.5f, -1.5f, 0.5f, u, v, w};
    return {a, b, c, a, c, e};
}

const D3DCOLOR kFaceColours[6] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00, 0xFF00FFFF, 0xFFFF00FF};

TEST(DeviceCubeTexture, EachAxisReadsItsFace)
{
    GlDeviceRig rig;
    REQUIRE_GL(rig.ready(), rig.failure());
    IDirect3DDevice9* d = rig.device();
    IDirect3DCubeTexture9* cube = nullptr;
    ASSERT_EQ(d->CreateCubeTexture(2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &cube, nullptr), D3D_OK);
    for (int face = 0; face < 6; ++face) {
        D3DLOCKED_RECT locked{};
        ASSERT_EQ(cube->LockRect(D3DCUBEMAP_FACES(face), 0, &locked, nullptr, 0), D3D_OK);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 2; ++x)
                std::memcpy(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch + x * 4, &kFaceColours[face], 4);
        ASSERT_EQ(cube->UnlockRect(D3DCUBEMAP_FACES(face), 0), D3D_OK);
    }
    sampleTextureStage(d);
    d->SetTexture(0, cube);
    d->SetFVF(kVertex3Fvf);
    const float directions[6][3] = {{1, 0.1f, 0.1f}, {-1, 0.1f, 0.1f}, {0.1f, 1, 0.1f},
                                    {0.1f, -1, 0.1f}, {0.1f, 0.1f, 1}, {0.1f, 0.1f, -1}};
    for (int face = 0; face < 6; ++face) {
        SCOPED_TRACE(face);
        rig.clear(0xFF000000);
        const std::vector<Vertex3> quad = flatQuad(directions[face][0], directions[face][1], directions[face][2]);
        ASSERT_EQ(d->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, quad.data(), sizeof(Vertex3)), D3D_OK);
        EXPECT_EQ(rig.pixel(8, 8), kFaceColours[face]);
    }
    d->SetTexture(0, nullptr);
    cube->Release();
}

TEST(DeviceVolumeTexture, DepthCoordinateChoosesTheSlice)
{
    GlDeviceRig rig;
    REQUIRE_GL(rig.ready(), rig.failure());
    IDirect3DDevice9* d = rig.device();
    IDirect3DVolumeTexture9* volume = nullptr;
    ASSERT_EQ(d->CreateVolumeTexture(2, 2, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &volume, nullptr), D3D_OK);
    D3DLOCKED_BOX box{};
    ASSERT_EQ(volume->LockBox(0, &box, nullptr, 0), D3D_OK);
    for (int slice = 0; slice < 4; ++slice)
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 2; ++x)
                std::memcpy(static_cast<uint8_t*>(box.pBits) + slice * box.SlicePitch + y * box.RowPitch + x * 4,
                            &kFaceColours[slice], 4);
    ASSERT_EQ(volume->AddDirtyBox(nullptr), D3D_OK);
    ASSERT_EQ(volume->UnlockBox(0), D3D_OK);
    sampleTextureStage(d);
    d->SetTexture(0, volume);
    d->SetFVF(kVertex3Fvf);
    for (int slice = 0; slice < 4; ++slice) {
        SCOPED_TRACE(slice);
        rig.clear(0xFF000000);
        const std::vector<Vertex3> quad = flatQuad(0.5f, 0.5f, (slice + 0.5f) / 4.0f);
        ASSERT_EQ(d->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, quad.data(), sizeof(Vertex3)), D3D_OK);
        EXPECT_EQ(rig.pixel(8, 8), kFaceColours[slice]);
    }
    d->SetTexture(0, nullptr);
    volume->Release();
}

// Pixels i to j of the 16-pixel target, as normalised device coordinates
// of the pixel edges (Direct3D's centres sit on whole coordinates).
float edge(float pixel)
{
    return pixel / 8.0f - 1.0f;
}

TEST(DeviceRenderTarget, RenderedTextureSamplesTheRightWayUp)
{
    GlDeviceRig rig;
    REQUIRE_GL(rig.ready(), rig.failure());
    IDirect3DDevice9* d = rig.device();
    IDirect3DTexture9* target = nullptr;
    ASSERT_EQ(d->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &target, nullptr),
              D3D_OK);
    IDirect3DSurface9* level = nullptr;
    ASSERT_EQ(target->GetSurfaceLevel(0, &level), D3D_OK);
    IDirect3DSurface9* backBuffer = nullptr;
    ASSERT_EQ(d->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), D3D_OK);

    // Red over the top half of the texture, green below.
    ASSERT_EQ(d->SetRenderTarget(0, level), D3D_OK);
    d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0);
    d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    d->SetRenderState(D3DRS_ZENABLE, FALSE);
    ASSERT_EQ(rig.drawList(GlDeviceRig::quad(-1.5f, 0.0f, 1.5f, 1.5f, 0.5f, 0xFFFF0000)), D3D_OK);

    std::vector<D3DCOLOR> direct;
    ASSERT_TRUE(d->backend().readPixels(level->storage(), RECT{8, 2, 9, 14}, direct));
    EXPECT_EQ(direct.front(), 0xFFFF0000u) << "the level reads back top row first";
    EXPECT_EQ(direct.back(), 0xFF00FF00u);

    ASSERT_EQ(d->SetRenderTarget(0, backBuffer), D3D_OK);
    sampleTextureStage(d);
    d->SetTexture(0, target);
    rig.clear(0xFF000000);
    ASSERT_EQ(rig.drawList(GlDeviceRig::quad(edge(-0.5f), edge(-0.5f), edge(15.5f), edge(15.5f), 0.5f)), D3D_OK);
    EXPECT_EQ(rig.pixel(8, 2), 0xFFFF0000u);
    EXPECT_EQ(rig.pixel(8, 13), 0xFF00FF00u);

    d->SetTexture(0, nullptr);
    backBuffer->Release();
    level->Release();
    target->Release();
}

// ---- Buffers: each primitive type the engine draws, from vertex and
// index buffers. ----

struct PrimitiveCase {
    const char* name;
    D3DPRIMITIVETYPE type;
    UINT primitives;
    bool indexed32;
    std::vector<int> order; // vertex indices into the four corners
    int lit[2];             // a pixel the draw covers
};

// Corners of the square between pixels 2 and 13: 0 top-left, 1 top-right,
// 2 bottom-left, 3 bottom-right.
const PrimitiveCase kPrimitives[] = {
    {"triangle_list", D3DPT_TRIANGLELIST, 2, false, {0, 1, 2, 2, 1, 3}, {8, 8}},
    {"triangle_list_32", D3DPT_TRIANGLELIST, 2, true, {0, 1, 2, 2, 1, 3}, {8, 8}},
    {"triangle_strip", D3DPT_TRIANGLESTRIP, 2, false, {0, 1, 2, 3}, {8, 8}},
    {"triangle_fan", D3DPT_TRIANGLEFAN, 2, false, {0, 1, 3, 2}, {8, 8}},
    {"line_list", D3DPT_LINELIST, 1, false, {0, 1}, {8, 2}},
    {"line_strip", D3DPT_LINESTRIP, 2, false, {2, 0, 1}, {2, 8}},
    {"point_list", D3DPT_POINTLIST, 1, false, {3}, {13, 13}},
};

struct ColourVertex {
    float x, y, z;
    D3DCOLOR colour;
};

class DevicePrimitives : public ::testing::TestWithParam<PrimitiveCase> {};

TEST_P(DevicePrimitives, DrawFromBuffersWithAndWithoutIndices)
{
    GlDeviceRig rig;
    REQUIRE_GL(rig.ready(), rig.failure());
    const PrimitiveCase& c = GetParam();
    IDirect3DDevice9* d = rig.device();
    d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    d->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    const float lo = edge(2.0f), hi = edge(13.0f);
    // Rows run downwards on screen while y runs upwards.
    const ColourVertex corners[4] = {{lo, -lo, 0.5f, 0xFFFFFFFF}, {hi, -lo, 0.5f, 0xFFFFFFFF},
                                     {lo, -hi, 0.5f, 0xFFFFFFFF}, {hi, -hi, 0.5f, 0xFFFFFFFF}};
    // Two vertices of padding before the draw's first one exercise the
    // start vertex and the base vertex.
    std::vector<ColourVertex> listed(2, ColourVertex{9, 9, 9, 0});
    for (int i : c.order)
        listed.push_back(corners[i]);

    IDirect3DVertexBuffer9* vertices = nullptr;
    ASSERT_EQ(d->CreateVertexBuffer(UINT(listed.size() * sizeof(ColourVertex)), D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC,
                                    0, D3DPOOL_DEFAULT, &vertices, nullptr),
              D3D_OK);
    void* data = nullptr;
    ASSERT_EQ(vertices->Lock(0, 0, &data, D3DLOCK_DISCARD), D3D_OK);
    std::memcpy(data, listed.data(), listed.size() * sizeof(ColourVertex));
    ASSERT_EQ(vertices->Unlock(), D3D_OK);
    ASSERT_EQ(d->SetStreamSource(0, vertices, 0, sizeof(ColourVertex)), D3D_OK);

    rig.clear(0xFF000000);
    ASSERT_EQ(d->DrawPrimitive(c.type, 2, c.primitives), D3D_OK);
    EXPECT_EQ(rig.pixel(c.lit[0], c.lit[1]), 0xFFFFFFFFu) << "non-indexed";
    EXPECT_EQ(rig.pixel(0, 15), 0xFF000000u);

    IDirect3DIndexBuffer9* indices = nullptr;
    const UINT indexBytes = c.indexed32 ? 4 : 2;
    ASSERT_EQ(d->CreateIndexBuffer(UINT(c.order.size() + 1) * indexBytes, D3DUSAGE_WRITEONLY,
                                   c.indexed32 ? D3DFMT_INDEX32 : D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices, nullptr),
              D3D_OK);
    ASSERT_EQ(indices->Lock(0, 0, &data, 0), D3D_OK);
    for (size_t i = 0; i < c.order.size(); ++i) {
        const uint32_t index = uint32_t(i);
        std::memcpy(static_cast<uint8_t*>(data) + (i + 1) * indexBytes, &index, indexBytes);
    }
    ASSERT_EQ(indices->Unlock(), D3D_OK);
    ASSERT_EQ(d->SetIndices(indices), D3D_OK);
    rig.clear(0xFF000000);
    ASSERT_EQ(d->DrawIndexedPrimitive(c.type, 2, 0, UINT(c.order.size()), 1, c.primitives), D3D_OK);
    EXPECT_EQ(rig.pixel(c.lit[0], c.lit[1]), 0xFFFFFFFFu) << "indexed";
    EXPECT_EQ(rig.pixel(0, 15), 0xFF000000u);

    d->SetStreamSource(0, nullptr, 0, 0);
    d->SetIndices(nullptr);
    indices->Release();
    vertices->Release();
}

INSTANTIATE_TEST_SUITE_P(Types, DevicePrimitives, ::testing::ValuesIn(kPrimitives),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- System-memory buffers on two streams: each stream's vertices come
// from its own buffer, though both go up as user memory. ----

struct SplitStreamCase {
    const char* name;
    bool indexed;
};

const SplitStreamCase kSplitStreams[] = {
    {"vertices", false},
    {"indexed", true},
};

void PrintTo(const SplitStreamCase& c, std::ostream* os)
{
    *os << c.name;
}

class DeviceSplitStreams : public ::testing::TestWithParam<SplitStreamCase> {};

TEST_P(DeviceSplitStreams, EachSystemMemoryStreamReadsItsOwnBuffer)
{
    GlDeviceRig rig;
    REQUIRE_GL(rig.ready(), rig.failure());
    IDirect3DDevice9* d = rig.device();
    d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    const D3DVERTEXELEMENT9 elements[] = {
        {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
        {1, 0, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
        D3DDECL_END(),
    };
    IDirect3DVertexDeclaration9* declaration = nullptr;
    ASSERT_EQ(d->CreateVertexDeclaration(elements, &declaration), D3D_OK);
    const float positions[4 * 3] = {-1.5f, 1.5f, 0.5f, 1.5f, 1.5f, 0.5f, -1.5f, -1.5f, 0.5f, 1.5f, -1.5f, 0.5f};
    const D3DCOLOR colours[4] = {0xFFFF0000, 0xFFFF0000, 0xFFFF0000, 0xFFFF0000};
    const uint16_t order[4] = {0, 1, 2, 3};
    IDirect3DVertexBuffer9* where = nullptr;
    IDirect3DVertexBuffer9* tint = nullptr;
    IDirect3DIndexBuffer9* indices = nullptr;
    ASSERT_EQ(d->CreateVertexBuffer(sizeof(positions), 0, 0, D3DPOOL_SYSTEMMEM, &where, nullptr), D3D_OK);
    ASSERT_EQ(d->CreateVertexBuffer(sizeof(colours), 0, 0, D3DPOOL_SYSTEMMEM, &tint, nullptr), D3D_OK);
    ASSERT_EQ(d->CreateIndexBuffer(sizeof(order), 0, D3DFMT_INDEX16, D3DPOOL_SYSTEMMEM, &indices, nullptr), D3D_OK);
    void* data = nullptr;
    ASSERT_EQ(where->Lock(0, 0, &data, 0), D3D_OK);
    std::memcpy(data, positions, sizeof(positions));
    where->Unlock();
    ASSERT_EQ(tint->Lock(0, 0, &data, 0), D3D_OK);
    std::memcpy(data, colours, sizeof(colours));
    tint->Unlock();
    ASSERT_EQ(indices->Lock(0, 0, &data, 0), D3D_OK);
    std::memcpy(data, order, sizeof(order));
    indices->Unlock();

    d->SetVertexDeclaration(declaration);
    ASSERT_EQ(d->SetStreamSource(0, where, 0, 12), D3D_OK);
    ASSERT_EQ(d->SetStreamSource(1, tint, 0, 4), D3D_OK);
    d->SetIndices(indices);
    rig.clear(0xFF000000);
    const bool indexed = GetParam().indexed;
    ASSERT_EQ(indexed ? d->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, 0, 4, 0, 2)
                      : d->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2),
              D3D_OK);
    EXPECT_EQ(rig.pixel(8, 8), 0xFFFF0000u);
    EXPECT_EQ(rig.pixel(1, 14), 0xFFFF0000u);

    d->SetStreamSource(0, nullptr, 0, 0);
    d->SetStreamSource(1, nullptr, 0, 0);
    d->SetIndices(nullptr);
    d->SetVertexDeclaration(nullptr);
    indices->Release();
    tint->Release();
    where->Release();
    declaration->Release();
}

INSTANTIATE_TEST_SUITE_P(Draws, DeviceSplitStreams, ::testing::ValuesIn(kSplitStreams),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DeviceOcclusionQuery, CountsTheVisiblePixels)
{
    GlDeviceRig rig;
    REQUIRE_GL(rig.ready(), rig.failure());
    IDirect3DDevice9* d = rig.device();
    d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    IDirect3DQuery9* query = nullptr;
    ASSERT_EQ(d->CreateQuery(D3DQUERYTYPE_OCCLUSION, &query), D3D_OK);
    rig.clear(0xFF000000);
    // A near quad over columns 0-7, then the query around a far quad over
    // columns 4-11 of rows 0-9: only columns 8-11 survive the depth test.
    ASSERT_EQ(rig.drawList(GlDeviceRig::quad(edge(-0.5f), -1.5f, edge(7.5f), 1.5f, 0.2f)), D3D_OK);
    ASSERT_EQ(query->Issue(D3DISSUE_BEGIN), D3D_OK);
    ASSERT_EQ(rig.drawList(GlDeviceRig::quad(edge(3.5f), -edge(9.5f), edge(11.5f), 1.5f, 0.6f, 0xFF00FF00)), D3D_OK);
    ASSERT_EQ(query->Issue(D3DISSUE_END), D3D_OK);
    DWORD pixels = 0;
    HRESULT hr = query->GetData(&pixels, sizeof(pixels), 0);
    while (hr == S_FALSE)
        hr = query->GetData(&pixels, sizeof(pixels), D3DGETDATA_FLUSH);
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(pixels, 4u * 10u);
    query->Release();
}

TEST(DeviceShaders, AuthoredGlslDrawsWithItsConstants)
{
    GlDeviceRig rig;
    REQUIRE_GL(rig.ready(), rig.failure());
    IDirect3DDevice9* d = rig.device();
    const std::vector<DWORD> vs = IDirect3DShader9::wrap(
        "layout(location = 0) in vec3 position;\n"
        "void main() { d3d_Position = vec4(position * vs_c[0].x, 1.0); }\n",
        false);
    const std::vector<DWORD> ps =
        IDirect3DShader9::wrap("void main() { d3d_FragColor = ps_c[2]; }\n", true);
    IDirect3DVertexShader9* vertexShader = nullptr;
    IDirect3DPixelShader9* pixelShader = nullptr;
    ASSERT_EQ(d->CreateVertexShader(vs.data(), &vertexShader), D3D_OK);
    ASSERT_EQ(d->CreatePixelShader(ps.data(), &pixelShader), D3D_OK);
    IDirect3DPixelShader9* wrongStage = nullptr;
    EXPECT_EQ(d->CreatePixelShader(vs.data(), &wrongStage), D3DERR_INVALIDCALL);
    EXPECT_EQ(wrongStage, nullptr);
    d->SetVertexShader(vertexShader);
    d->SetPixelShader(pixelShader);
    const float scale[4] = {0.5f, 0, 0, 0};
    const float colour[4] = {0.25f, 0.5f, 0.75f, 1.0f};
    ASSERT_EQ(d->SetVertexShaderConstantF(0, scale, 1), D3D_OK);
    ASSERT_EQ(d->SetPixelShaderConstantF(2, colour, 1), D3D_OK);
    EXPECT_EQ(d->SetPixelShaderConstantF(224, colour, 1), D3DERR_INVALIDCALL);
    rig.clear(0xFF000000);
    // Scaled by half, the quad covers the middle half of the target.
    ASSERT_EQ(rig.drawList(GlDeviceRig::quad(-1, -1, 1, 1, 0.5f)), D3D_OK);
    EXPECT_TRUE(near(rig.pixel(8, 8), 0xFF4080BF, 1)) << std::hex << rig.pixel(8, 8);
    EXPECT_EQ(rig.pixel(1, 1), 0xFF000000u);
    // User clip planes apply to the shader's output in clip space.
    const float rightHalf[4] = {1, 0, 0, 0};
    d->SetClipPlane(0, rightHalf);
    d->SetRenderState(D3DRS_CLIPPLANEENABLE, D3DCLIPPLANE0);
    rig.clear(0xFF000000);
    ASSERT_EQ(rig.drawList(GlDeviceRig::quad(-1, -1, 1, 1, 0.5f)), D3D_OK);
    EXPECT_EQ(rig.pixel(6, 8), 0xFF000000u);
    EXPECT_TRUE(near(rig.pixel(10, 8), 0xFF4080BF, 1));
    d->SetRenderState(D3DRS_CLIPPLANEENABLE, 0);
    // Null shaders go back to the fixed-function pipeline.
    d->SetVertexShader(nullptr);
    d->SetPixelShader(nullptr);
    d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    ASSERT_EQ(rig.drawList(GlDeviceRig::quad(-1.5f, -1.5f, 1.5f, 1.5f, 0.5f, 0xFF00FF00)), D3D_OK);
    EXPECT_EQ(rig.pixel(1, 1), 0xFF00FF00u);
    vertexShader->Release();
    pixelShader->Release();
}

// Authored shaders made from their bodies and bound to the device for the
// helper's life.
class BoundShaders {
public:
    BoundShaders(IDirect3DDevice9* device, const char* vertexBody, const char* pixelBody) : m_device(device)
    {
        const std::vector<DWORD> vs = IDirect3DShader9::wrap(vertexBody, false);
        const std::vector<DWORD> ps = IDirect3DShader9::wrap(pixelBody, true);
        if (device->CreateVertexShader(vs.data(), &m_vertex) != D3D_OK
            || device->CreatePixelShader(ps.data(), &m_pixel) != D3D_OK)
            return;
        device->SetVertexShader(m_vertex);
        device->SetPixelShader(m_pixel);
    }
    ~BoundShaders()
    {
        m_device->SetVertexShader(nullptr);
        m_device->SetPixelShader(nullptr);
        if (m_vertex)
            m_vertex->Release();
        if (m_pixel)
            m_pixel->Release();
    }
    BoundShaders(const BoundShaders&) = delete;
    BoundShaders& operator=(const BoundShaders&) = delete;
    bool bound() const { return m_vertex && m_pixel; }

private:
    IDirect3DDevice9* m_device;
    IDirect3DVertexShader9* m_vertex = nullptr;
    IDirect3DPixelShader9* m_pixel = nullptr;
};

TEST(DeviceShaders, AuthoredPixelShadersAreAlphaTestedAndFogged)
{
    GlDeviceRig rig;
    REQUIRE_GL(rig.ready(), rig.failure());
    IDirect3DDevice9* d = rig.device();
    // The vertex shader hands the device its fog value; the pixel shader
    // draws blue at alpha 0.4 (102 of 255).
    const BoundShaders shaders(d,
                               "layout(location = 0) in vec3 position;\n"
                               "void main() { d3d_Position = vec4(position, 1.0); d3d_Fog = vs_c[0].x; }\n",
                               "void main() { d3d_FragColor = ps_c[0]; }\n");
    ASSERT_TRUE(shaders.bound());
    const float fog[4] = {0.25f, 0, 0, 0};
    const float colour[4] = {0.0f, 0.0f, 1.0f, 0.4f};
    ASSERT_EQ(d->SetVertexShaderConstantF(0, fog, 1), D3D_OK);
    ASSERT_EQ(d->SetPixelShaderConstantF(0, colour, 1), D3D_OK);
    d->SetRenderState(D3DRS_FOGCOLOR, 0xFFFF0000u);
    struct Case {
        DWORD alphaTest, func, reference, fog;
        D3DCOLOR expected;
    };
    const Case cases[] = {
        {FALSE, D3DCMP_ALWAYS, 0, FALSE, 0xFF0000FF},
        {TRUE, D3DCMP_GREATER, 127, FALSE, 0xFF000000},
        {TRUE, D3DCMP_GREATER, 101, FALSE, 0xFF0000FF},
        {TRUE, D3DCMP_LESSEQUAL, 101, FALSE, 0xFF000000},
        {TRUE, D3DCMP_EQUAL, 102, FALSE, 0xFF0000FF},
        {TRUE, D3DCMP_NEVER, 0, FALSE, 0xFF000000},
        // Vertex fog: three quarters fog colour over the shader's blue.
        {FALSE, D3DCMP_ALWAYS, 0, TRUE, 0xFFBF0040},
    };
    for (const Case& c : cases) {
        d->SetRenderState(D3DRS_ALPHATESTENABLE, c.alphaTest);
        d->SetRenderState(D3DRS_ALPHAFUNC, c.func);
        d->SetRenderState(D3DRS_ALPHAREF, c.reference);
        d->SetRenderState(D3DRS_FOGENABLE, c.fog);
        d->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_NONE);
        rig.clear(0xFF000000);
        ASSERT_EQ(rig.drawList(GlDeviceRig::quad(-1, -1, 1, 1, 0.5f)), D3D_OK);
        const D3DCOLOR got = rig.pixel(8, 8) | 0xFF000000u;
        EXPECT_TRUE(near(got, c.expected, 2)) << c.func << " " << c.reference << std::hex << " got 0x" << got;
    }
}

// Table fog after authored shaders runs the fixed-function programs' formula
// on the depth: clamped to 0..1, reversed ranges fog the near side and a
// range of no length fogs everything.
TEST(DeviceShaders, AuthoredShadersTakeTableFogByTheFixedFunctionFormula)
{
    GlDeviceRig rig;
    REQUIRE_GL(rig.ready(), rig.failure());
    IDirect3DDevice9* d = rig.device();
    const BoundShaders shaders(d,
                               "layout(location = 0) in vec3 position;\n"
                               "void main() { d3d_Position = vec4(position, 1.0); }\n",
                               "void main() { d3d_FragColor = vec4(0, 0, 1, 1); }\n");
    ASSERT_TRUE(shaders.bound());
    d->SetRenderState(D3DRS_FOGENABLE, TRUE);
    d->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
    d->SetRenderState(D3DRS_FOGCOLOR, 0xFFFF0000u);
    struct Case {
        float start, end;
        D3DCOLOR expected; // at depth 0.5
    };
    const Case cases[] = {
        {0.25f, 0.75f, 0xFF800080},
        {0.8f, 0.2f, 0xFF800080},
        {0.7f, 0.7f, 0xFFFF0000},
        {0.2f, 0.4f, 0xFFFF0000},
        {0.6f, 0.9f, 0xFF0000FF},
    };
    for (const Case& c : cases) {
        DWORD start, end;
        std::memcpy(&start, &c.start, 4);
        std::memcpy(&end, &c.end, 4);
        d->SetRenderState(D3DRS_FOGSTART, start);
        d->SetRenderState(D3DRS_FOGEND, end);
        rig.clear(0xFF000000);
        ASSERT_EQ(rig.drawList(GlDeviceRig::quad(-1, -1, 1, 1, 0.5f)), D3D_OK);
        const D3DCOLOR got = rig.pixel(8, 8);
        EXPECT_TRUE(near(got, c.expected, 2)) << c.start << " to " << c.end << std::hex << " got 0x" << got;
    }
}

} // namespace
