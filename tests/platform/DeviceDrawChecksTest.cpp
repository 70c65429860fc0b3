// Draw arguments, vertex layouts and state differences on the recording
// backend: a draw that would read past a buffer never reaches the backend,
// and each draw hands over only the states changed since the one before.
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/Direct3DIndexBuffer9.h"
#include "platform/d3d9/Direct3DShader9.h"
#include "platform/d3d9/Direct3DSurface9.h"
#include "platform/d3d9/Direct3DVertexBuffer9.h"
#include "platform/d3d9/Direct3DVertexDeclaration9.h"
#include "platform/d3d9/RecordingBackend.h"
#include "support/RecordingDevice.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <ostream>

namespace {

// Ten 16-byte vertices (XYZ | DIFFUSE) and twelve 16-bit indices 0..9, 0, 9.
class Buffers {
public:
    explicit Buffers(IDirect3DDevice9* d)
    {
        d->CreateVertexBuffer(160, D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED, &vertices, nullptr);
        d->CreateIndexBuffer(24, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices, nullptr);
        void* data = nullptr;
        indices->Lock(0, 0, &data, 0);
        const uint16_t values[12] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 9};
        std::memcpy(data, values, sizeof(values));
        indices->Unlock();
        d->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
        d->SetStreamSource(0, vertices, 0, 16);
        d->SetIndices(indices);
    }
    ~Buffers()
    {
        indices->Release();
        vertices->Release();
    }
    IDirect3DVertexBuffer9* vertices = nullptr;
    IDirect3DIndexBuffer9* indices = nullptr;
};

// What a draw comes to: handed to the backend, accepted with nothing to
// draw, or refused before the backend sees it.
enum class Outcome { Drawn, Nothing, Refused };

struct DrawCase {
    const char* name;
    std::function<HRESULT(IDirect3DDevice9*, Buffers&)> draw;
    Outcome outcome;
};

// Positions from stream 0 and texture coordinates (8 bytes) from stream 1,
// which holds `buffer` from `offset` with a 16-byte stride.
void useSecondStream(IDirect3DDevice9* d, IDirect3DVertexBuffer9* buffer, UINT offset)
{
    const D3DVERTEXELEMENT9 elements[] = {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
                                          {1, 0, D3DDECLTYPE_FLOAT2, 0, D3DDECLUSAGE_TEXCOORD, 0}, D3DDECL_END()};
    IDirect3DVertexDeclaration9* declaration = nullptr;
    d->CreateVertexDeclaration(elements, &declaration);
    d->SetVertexDeclaration(declaration);
    declaration->Release();
    d->SetStreamSource(1, buffer, offset, 16);
}

const uint16_t kUserIndices[3] = {4, 5, 6};
const float kUserVertices[7 * 4] = {};

const DrawCase kDraws[] = {
    {"list_fits", [](IDirect3DDevice9* d, Buffers&) { return d->DrawPrimitive(D3DPT_TRIANGLELIST, 1, 3); }, Outcome::Drawn},
    {"list_one_past", [](IDirect3DDevice9* d, Buffers&) { return d->DrawPrimitive(D3DPT_TRIANGLELIST, 2, 3); },
     Outcome::Refused},
    {"strip_fits", [](IDirect3DDevice9* d, Buffers&) { return d->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 8); }, Outcome::Drawn},
    {"fan_one_past", [](IDirect3DDevice9* d, Buffers&) { return d->DrawPrimitive(D3DPT_TRIANGLEFAN, 1, 8); },
     Outcome::Refused},
    {"points_start_huge",
     [](IDirect3DDevice9* d, Buffers&) { return d->DrawPrimitive(D3DPT_POINTLIST, 0xFFFFFFF0u, 1); },
     Outcome::Refused},
    {"unknown_type", [](IDirect3DDevice9* d, Buffers&) { return d->DrawPrimitive(D3DPRIMITIVETYPE(9), 0, 1); },
     Outcome::Refused},
    {"stream_offset_past",
     [](IDirect3DDevice9* d, Buffers& b) {
         d->SetStreamSource(0, b.vertices, 32, 16);
         return d->DrawPrimitive(D3DPT_LINELIST, 0, 5);
     },
     Outcome::Refused},
    {"indexed_fits",
     [](IDirect3DDevice9* d, Buffers&) { return d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 10, 0, 4); },
     Outcome::Drawn},
    {"indexed_past_index_buffer",
     [](IDirect3DDevice9* d, Buffers&) { return d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 10, 3, 4); },
     Outcome::Refused},
    {"indexed_base_pushes_past_vertices",
     [](IDirect3DDevice9* d, Buffers&) { return d->DrawIndexedPrimitive(D3DPT_LINELIST, 1, 0, 10, 0, 5); },
     Outcome::Refused},
    {"indexed_base_below_zero",
     [](IDirect3DDevice9* d, Buffers&) { return d->DrawIndexedPrimitive(D3DPT_LINELIST, -1, 0, 10, 0, 1); },
     Outcome::Refused},
    {"indexed_hints_ignored",
     // The indices (4, 5, 6) decide; wrong hints neither fail nor widen the check.
     [](IDirect3DDevice9* d, Buffers&) { return d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 3, 0, 1, 4, 1); },
     Outcome::Drawn},
    {"indexed_without_indices",
     [](IDirect3DDevice9* d, Buffers&) {
         d->SetIndices(nullptr);
         return d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 10, 0, 1);
     },
     Outcome::Refused},
    {"without_stream",
     [](IDirect3DDevice9* d, Buffers&) {
         d->SetStreamSource(0, nullptr, 0, 0);
         return d->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1);
     },
     Outcome::Refused},
    {"stride_shorter_than_layout_reads_past",
     [](IDirect3DDevice9* d, Buffers& b) {
         d->SetStreamSource(0, b.vertices, 0, 4);
         return d->DrawPrimitive(D3DPT_POINTLIST, 0, 38);
     },
     Outcome::Refused},
    {"stride_wraps_the_byte_count",
     // (2^32 + 1) vertices of 2^32 - 1 bytes end one byte short of 2^64:
     // the layout's 16 bytes must not wrap that round to a small count.
     [](IDirect3DDevice9* d, Buffers& b) {
         d->SetStreamSource(0, b.vertices, 0, 0xFFFFFFFFu);
         return d->DrawPrimitive(D3DPT_POINTLIST, 0xFFFFFFFFu, 3);
     },
     Outcome::Refused},
    {"indexed_stride_wraps_the_byte_count",
     [](IDirect3DDevice9* d, Buffers& b) {
         d->SetStreamSource(0, b.vertices, 0, 0xFFFFFFFFu);
         return d->DrawIndexedPrimitive(D3DPT_POINTLIST, 0x7FFFFFFF, 0, 10, 0, 1);
     },
     Outcome::Refused},
    {"indexed_while_indices_locked",
     // The new indices are in range, yet the backend still holds the old ones.
     [](IDirect3DDevice9* d, Buffers& b) {
         void* data = nullptr;
         b.indices->Lock(0, 0, &data, 0);
         std::memset(data, 0, 24);
         const HRESULT hr = d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 10, 0, 4);
         b.indices->Unlock();
         return hr;
     },
     Outcome::Refused},
    {"indexed_after_unlock",
     [](IDirect3DDevice9* d, Buffers& b) {
         void* data = nullptr;
         b.indices->Lock(0, 0, &data, 0);
         b.indices->Unlock();
         return d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 10, 0, 4);
     },
     Outcome::Drawn},
    {"up_fits",
     [](IDirect3DDevice9* d, Buffers&) { return d->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, kUserVertices, 16); },
     Outcome::Drawn},
    {"up_stride_below_vertex",
     [](IDirect3DDevice9* d, Buffers&) { return d->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, kUserVertices, 8); },
     Outcome::Refused},
    {"up_null", [](IDirect3DDevice9* d, Buffers&) { return d->DrawPrimitiveUP(D3DPT_LINELIST, 1, nullptr, 16); },
     Outcome::Refused},
    {"indexed_up_fits",
     [](IDirect3DDevice9* d, Buffers&) {
         return d->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 4, 3, 1, kUserIndices, D3DFMT_INDEX16, kUserVertices, 16);
     },
     Outcome::Drawn},
    {"indexed_up_index_outside_range",
     [](IDirect3DDevice9* d, Buffers&) {
         return d->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 4, 2, 1, kUserIndices, D3DFMT_INDEX16, kUserVertices, 16);
     },
     Outcome::Refused},
    {"indexed_up_bad_format",
     [](IDirect3DDevice9* d, Buffers&) {
         return d->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 7, 1, kUserIndices, D3DFMT_D16, kUserVertices, 16);
     },
     Outcome::Refused},
    {"pretransformed",
     [](IDirect3DDevice9* d, Buffers&) {
         d->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
         return d->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, kUserVertices, 20);
     },
     Outcome::Drawn},
    {"zero_primitives_draw_nothing",
     [](IDirect3DDevice9* d, Buffers&) { return d->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 0); }, Outcome::Nothing},
    {"second_stream_fits",
     [](IDirect3DDevice9* d, Buffers& b) {
         useSecondStream(d, b.vertices, 0);
         return d->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 3);
     },
     Outcome::Drawn},
    {"second_stream_unbound",
     [](IDirect3DDevice9* d, Buffers&) {
         useSecondStream(d, nullptr, 0);
         return d->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1);
     },
     Outcome::Refused},
    {"second_stream_short",
     // Stream 0 holds vertex 8; stream 1 from byte 100 ends 76 bytes short.
     [](IDirect3DDevice9* d, Buffers& b) {
         useSecondStream(d, b.vertices, 100);
         return d->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 3);
     },
     Outcome::Refused},
    {"indexed_second_stream_short",
     // Index 9 ends at byte 176 of stream 1: 16 bytes past its buffer.
     [](IDirect3DDevice9* d, Buffers& b) {
         useSecondStream(d, b.vertices, 24);
         return d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 10, 0, 4);
     },
     Outcome::Refused},
    {"indexed_second_stream_fits",
     [](IDirect3DDevice9* d, Buffers& b) {
         useSecondStream(d, b.vertices, 8);
         return d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 10, 0, 4);
     },
     Outcome::Drawn},
    {"up_with_a_second_stream",
     // User memory feeds stream 0 only.
     [](IDirect3DDevice9* d, Buffers& b) {
         useSecondStream(d, b.vertices, 0);
         return d->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, kUserVertices, 16);
     },
     Outcome::Refused},
};

void PrintTo(const DrawCase& c, std::ostream* os)
{
    *os << c.name;
}

class DeviceDrawChecks : public ::testing::TestWithParam<DrawCase> {};

TEST_P(DeviceDrawChecks, OnlyDrawsThatStayInsideTheirBuffersReachTheBackend)
{
    RecordingDevice rig;
    Buffers buffers(rig.device());
    rig.take();
    const DrawCase& c = GetParam();
    EXPECT_EQ(c.draw(rig.device(), buffers), c.outcome == Outcome::Refused ? D3DERR_INVALIDCALL : D3D_OK);
    const bool drawn = !rig.take("draw").empty();
    EXPECT_EQ(drawn, c.outcome == Outcome::Drawn);
    rig->SetStreamSource(0, nullptr, 0, 0);
    rig->SetStreamSource(1, nullptr, 0, 0);
    rig->SetFVF(D3DFVF_XYZ);
    rig->SetIndices(nullptr);
}

INSTANTIATE_TEST_SUITE_P(Arguments, DeviceDrawChecks, ::testing::ValuesIn(kDraws),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DeviceDrawState, EachDrawHandsOverOnlyWhatChanged)
{
    RecordingDevice rig;
    const float vertices[3 * 4] = {};
    rig->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    ASSERT_EQ(rig->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, vertices, 16), D3D_OK);
    EXPECT_GT(rig.take("renderState").size(), 10u) << "the first draw applies everything";
    ASSERT_EQ(rig->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, vertices, 16), D3D_OK);
    EXPECT_TRUE(rig.take("renderState").empty());

    rig->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    rig->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    rig->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    rig->SetSamplerState(2, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    ASSERT_EQ(rig->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, vertices, 16), D3D_OK);
    EXPECT_EQ(rig.take("renderState"), (std::vector<std::string>{"renderState 7 0", "renderState 27 1"}));
    ASSERT_EQ(rig->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, vertices, 16), D3D_OK);
    EXPECT_TRUE(rig.take("samplerStates").empty());

    // Setting a value back to what the last draw used still counts as a
    // change; setting the same value twice does not.
    rig->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    rig->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    rig->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    ASSERT_EQ(rig->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, vertices, 16), D3D_OK);
    EXPECT_EQ(rig.take("renderState"), (std::vector<std::string>{"renderState 7 0"}));
}

// Numbers the program passes that the layer uses to pick a slot: each one out
// of range is refused before it reaches a table, and the device draws as
// before afterwards.
const float kPlane[4] = {};
const float kConstants[4 * 4] = {};

struct SlotCase {
    const char* name;
    std::function<HRESULT(IDirect3DDevice9*, Buffers&)> call;
    HRESULT result;
};

void PrintTo(const SlotCase& c, std::ostream* os)
{
    *os << c.name;
}

const SlotCase kSlotArguments[] = {
    {"texture_stage_16", [](IDirect3DDevice9* d, Buffers&) { return d->SetTexture(16, nullptr); },
     D3DERR_INVALIDCALL},
    {"texture_stage_huge", [](IDirect3DDevice9* d, Buffers&) { return d->SetTexture(0xFFFFFFFFu, nullptr); },
     D3DERR_INVALIDCALL},
    {"stream_4", [](IDirect3DDevice9* d, Buffers& b) { return d->SetStreamSource(4, b.vertices, 0, 16); },
     D3DERR_INVALIDCALL},
    {"stream_huge", [](IDirect3DDevice9* d, Buffers& b) { return d->SetStreamSource(0xFFFFFFFFu, b.vertices, 0, 16); },
     D3DERR_INVALIDCALL},
    {"stream_offset_at_end", [](IDirect3DDevice9* d, Buffers& b) { return d->SetStreamSource(1, b.vertices, 160, 16); },
     D3DERR_INVALIDCALL},
    {"sampler_type_zero", [](IDirect3DDevice9* d, Buffers&) { return d->SetSamplerState(0, D3DSAMPLERSTATETYPE(0), 1); },
     D3DERR_INVALIDCALL},
    {"sampler_type_past_last",
     [](IDirect3DDevice9* d, Buffers&) { return d->SetSamplerState(0, D3DSAMPLERSTATETYPE(14), 1); },
     D3DERR_INVALIDCALL},
    {"sampler_huge",
     [](IDirect3DDevice9* d, Buffers&) { return d->SetSamplerState(0xFFFFFFFFu, D3DSAMP_ADDRESSU, 1); },
     D3DERR_INVALIDCALL},
    {"stage_type_past_last",
     [](IDirect3DDevice9* d, Buffers&) { return d->SetTextureStageState(0, D3DTEXTURESTAGESTATETYPE(33), 1); },
     D3DERR_INVALIDCALL},
    {"render_state_past_last",
     [](IDirect3DDevice9* d, Buffers&) { return d->SetRenderState(D3DRENDERSTATETYPE(210), 1); },
     D3DERR_INVALIDCALL},
    {"render_state_huge",
     [](IDirect3DDevice9* d, Buffers&) { return d->SetRenderState(D3DRENDERSTATETYPE(0xFFFFFFFFu), 1); },
     D3DERR_INVALIDCALL},
    {"light_past_bound",
     [](IDirect3DDevice9* d, Buffers&) {
         D3DLIGHT9 light{};
         light.Type = D3DLIGHT_POINT;
         return d->SetLight(0xFFFFFFFFu, &light);
     },
     D3DERR_INVALIDCALL},
    {"light_enable_huge", [](IDirect3DDevice9* d, Buffers&) { return d->LightEnable(0xFFFFFFFFu, TRUE); },
     D3DERR_INVALIDCALL},
    {"clip_plane_huge", [](IDirect3DDevice9* d, Buffers&) { return d->SetClipPlane(0xFFFFFFFFu, kPlane); },
     D3DERR_INVALIDCALL},
    {"transform_unknown_ignored",
     [](IDirect3DDevice9* d, Buffers&) {
         D3DMATRIX m{};
         return d->SetTransform(D3DTRANSFORMSTATETYPE(0xFFFFFFFFu), &m);
     },
     D3D_OK},
    {"vertex_constants_last_fits",
     [](IDirect3DDevice9* d, Buffers&) { return d->SetVertexShaderConstantF(255, kConstants, 1); }, D3D_OK},
    {"vertex_constants_past_end",
     [](IDirect3DDevice9* d, Buffers&) { return d->SetVertexShaderConstantF(255, kConstants, 2); },
     D3DERR_INVALIDCALL},
    {"vertex_constants_start_wraps",
     [](IDirect3DDevice9* d, Buffers&) { return d->SetVertexShaderConstantF(0xFFFFFFFFu, kConstants, 2); },
     D3DERR_INVALIDCALL},
    {"pixel_constants_past_end",
     [](IDirect3DDevice9* d, Buffers&) { return d->SetPixelShaderConstantF(224, kConstants, 1); },
     D3DERR_INVALIDCALL},
    {"render_target_1",
     [](IDirect3DDevice9* d, Buffers&) {
         IDirect3DSurface9* back = nullptr;
         d->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
         const HRESULT hr = d->SetRenderTarget(1, back);
         back->Release();
         return hr;
     },
     D3DERR_INVALIDCALL},
};

class DeviceSlotArguments : public ::testing::TestWithParam<SlotCase> {};

TEST_P(DeviceSlotArguments, OutOfRangeSlotsAreRefusedAndChangeNothing)
{
    RecordingDevice rig;
    Buffers buffers(rig.device());
    const SlotCase& c = GetParam();
    EXPECT_EQ(c.call(rig.device(), buffers), c.result);
    EXPECT_EQ(rig->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 10, 0, 4), D3D_OK);
    rig->SetStreamSource(0, nullptr, 0, 0);
    rig->SetIndices(nullptr);
}

INSTANTIATE_TEST_SUITE_P(Arguments, DeviceSlotArguments, ::testing::ValuesIn(kSlotArguments),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DeviceDrawState, RenderStatesReadBackAsSetAndBadArgumentsAreRefused)
{
    RecordingDevice rig;
    DWORD value = 0;
    EXPECT_EQ(rig->GetRenderState(D3DRS_CULLMODE, &value), D3D_OK);
    EXPECT_EQ(value, DWORD(D3DCULL_CCW));
    EXPECT_EQ(rig->GetRenderState(D3DRS_ZENABLE, &value), D3D_OK);
    EXPECT_EQ(value, DWORD(D3DZB_TRUE)) << "a depth surface was made with the device";
    rig->SetRenderState(D3DRS_STENCILREF, 3);
    EXPECT_EQ(rig->GetRenderState(D3DRS_STENCILREF, &value), D3D_OK);
    EXPECT_EQ(value, 3u);
    EXPECT_EQ(rig->GetRenderState(D3DRENDERSTATETYPE(400), &value), D3DERR_INVALIDCALL);
    EXPECT_EQ(rig->GetRenderState(D3DRS_ZENABLE, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(rig->SetSamplerState(16, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR), D3DERR_INVALIDCALL);
    EXPECT_EQ(rig->SetTextureStageState(8, D3DTSS_COLOROP, D3DTOP_DISABLE), D3DERR_INVALIDCALL);
    EXPECT_EQ(rig->SetTransform(D3DTS_WORLD, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(rig->SetClipPlane(6, std::array<float, 4>{}.data()), D3DERR_INVALIDCALL);
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_POINT;
    for (DWORD i = 0; i < 8; ++i) {
        ASSERT_EQ(rig->SetLight(i * 10, &light), D3D_OK);
        ASSERT_EQ(rig->LightEnable(i * 10, TRUE), D3D_OK);
    }
    EXPECT_EQ(rig->LightEnable(99, TRUE), D3DERR_INVALIDCALL) << "a ninth active light";
    light.Type = D3DLIGHTTYPE(7);
    EXPECT_EQ(rig->SetLight(0, &light), D3DERR_INVALIDCALL);
}

struct FvfCase {
    const char* name;
    DWORD fvf;
    UINT stride;
    std::vector<std::array<int, 4>> elements; // offset, type, usage, usage index
};

const FvfCase kFvfs[] = {
    {"position_colour", D3DFVF_XYZ | D3DFVF_DIFFUSE, 16,
     {{0, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION, 0}, {12, D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 0}}},
    {"lit_textured", D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1, 32,
     {{0, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION, 0},
      {12, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_NORMAL, 0},
      {24, D3DDECLTYPE_FLOAT2, D3DDECLUSAGE_TEXCOORD, 0}}},
    {"volume_coordinates", D3DFVF_XYZ | D3DFVF_TEX1 | D3DFVF_TEXCOORDSIZE3(0), 24,
     {{0, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION, 0}, {12, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_TEXCOORD, 0}}},
    {"both_colours_two_sets", D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX2 | D3DFVF_TEXCOORDSIZE1(1), 32,
     {{0, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION, 0},
      {12, D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 0},
      {16, D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 1},
      {20, D3DDECLTYPE_FLOAT2, D3DDECLUSAGE_TEXCOORD, 0},
      {28, D3DDECLTYPE_FLOAT1, D3DDECLUSAGE_TEXCOORD, 1}}},
    {"no_position", D3DFVF_DIFFUSE, 0, {}},
    {"nine_sets", D3DFVF_XYZ | 0x900, 0, {}},
};

void PrintTo(const FvfCase& c, std::ostream* os)
{
    *os << c.name;
}

class DeviceFvf : public ::testing::TestWithParam<FvfCase> {};

TEST_P(DeviceFvf, CodesBecomeTheElementsDirect3DPacks)
{
    RecordingDevice rig;
    const FvfCase& c = GetParam();
    EXPECT_EQ(IDirect3DVertexDeclaration9::fvfStride(c.fvf), c.stride);
    EXPECT_EQ(rig->SetFVF(c.fvf), c.stride ? D3D_OK : D3DERR_INVALIDCALL);
    IDirect3DVertexDeclaration9* declaration = IDirect3DVertexDeclaration9::fromFvf(rig.device(), c.fvf);
    if (c.stride == 0) {
        EXPECT_EQ(declaration, nullptr);
        return;
    }
    ASSERT_NE(declaration, nullptr);
    UINT count = 0;
    ASSERT_EQ(declaration->GetDeclaration(nullptr, &count), D3D_OK);
    ASSERT_EQ(count, c.elements.size() + 1);
    std::vector<D3DVERTEXELEMENT9> elements(count);
    declaration->GetDeclaration(elements.data(), &count);
    for (size_t i = 0; i < c.elements.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(elements[i].Stream, 0);
        EXPECT_EQ(elements[i].Offset, c.elements[i][0]);
        EXPECT_EQ(elements[i].Type, c.elements[i][1]);
        EXPECT_EQ(elements[i].Usage, c.elements[i][2]);
        EXPECT_EQ(elements[i].UsageIndex, c.elements[i][3]);
    }
    EXPECT_EQ(elements.back().Stream, 0xFF);
    EXPECT_EQ(declaration->streamExtent(0), c.stride);
    declaration->Release();
}

INSTANTIATE_TEST_SUITE_P(Codes, DeviceFvf, ::testing::ValuesIn(kFvfs),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DeviceDeclaration, InvalidLayoutsAreRefused)
{
    RecordingDevice rig;
    IDirect3DVertexDeclaration9* declaration = nullptr;
    const D3DVERTEXELEMENT9 good[] = {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
                                      {1, 0, D3DDECLTYPE_FLOAT2, 0, D3DDECLUSAGE_TEXCOORD, 0}, D3DDECL_END()};
    ASSERT_EQ(rig->CreateVertexDeclaration(good, &declaration), D3D_OK);
    EXPECT_TRUE(declaration->usesStream(1));
    EXPECT_EQ(declaration->streamExtent(1), 8u);
    declaration->Release();
    const D3DVERTEXELEMENT9 duplicate[] = {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
                                           {0, 12, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0}, D3DDECL_END()};
    EXPECT_EQ(rig->CreateVertexDeclaration(duplicate, &declaration), D3DERR_INVALIDCALL);
    const D3DVERTEXELEMENT9 farStream[] = {{9, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0}, D3DDECL_END()};
    EXPECT_EQ(rig->CreateVertexDeclaration(farStream, &declaration), D3DERR_INVALIDCALL);
    const D3DVERTEXELEMENT9 badType[] = {{0, 0, 40, 0, D3DDECLUSAGE_POSITION, 0}, D3DDECL_END()};
    EXPECT_EQ(rig->CreateVertexDeclaration(badType, &declaration), D3DERR_INVALIDCALL);
    EXPECT_EQ(rig->CreateVertexDeclaration(nullptr, &declaration), D3DERR_INVALIDCALL);
}

TEST(DeviceDrawState, UserMemoryDrawsLeaveNoStreamBound)
{
    RecordingDevice rig;
    Buffers buffers(rig.device());
    const float vertices[3 * 4] = {};
    ASSERT_EQ(rig->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3D_OK);
    ASSERT_EQ(rig->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, vertices, 16), D3D_OK);
    EXPECT_EQ(rig->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(rig->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0, 1), D3DERR_INVALIDCALL);
}

// Direct3D forgets the index buffer after an indexed user-memory draw only;
// a plain one leaves it bound for the buffer draws that follow.
struct UserMemoryDrawCase {
    const char* name;
    std::function<HRESULT(IDirect3DDevice9*)> draw;
    HRESULT indexedAfterwards;
};

const UserMemoryDrawCase kUserMemoryDraws[] = {
    {"plain_keeps_indices",
     [](IDirect3DDevice9* d) { return d->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, kUserVertices, 16); }, D3D_OK},
    {"indexed_forgets_indices",
     [](IDirect3DDevice9* d) {
         return d->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 4, 3, 1, kUserIndices, D3DFMT_INDEX16, kUserVertices, 16);
     },
     D3DERR_INVALIDCALL},
};

void PrintTo(const UserMemoryDrawCase& c, std::ostream* os)
{
    *os << c.name;
}

class DeviceUserMemoryDraw : public ::testing::TestWithParam<UserMemoryDrawCase> {};

TEST_P(DeviceUserMemoryDraw, LeavesTheIndexBufferAsDirect3DDoes)
{
    RecordingDevice rig;
    Buffers buffers(rig.device());
    const UserMemoryDrawCase& c = GetParam();
    ASSERT_EQ(c.draw(rig.device()), D3D_OK);
    ASSERT_EQ(rig->SetStreamSource(0, buffers.vertices, 0, 16), D3D_OK);
    EXPECT_EQ(rig->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 10, 0, 1), c.indexedAfterwards);
    rig->SetStreamSource(0, nullptr, 0, 0);
    rig->SetIndices(nullptr);
}

INSTANTIATE_TEST_SUITE_P(Draws, DeviceUserMemoryDraw, ::testing::ValuesIn(kUserMemoryDraws),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DeviceDrawState, SystemMemoryBuffersDrawAsUserMemory)
{
    RecordingDevice rig;
    IDirect3DVertexBuffer9* vertices = nullptr;
    IDirect3DIndexBuffer9* indices = nullptr;
    ASSERT_EQ(rig->CreateVertexBuffer(48, 0, 0, D3DPOOL_SYSTEMMEM, &vertices, nullptr), D3D_OK);
    ASSERT_EQ(rig->CreateIndexBuffer(6, 0, D3DFMT_INDEX16, D3DPOOL_SYSTEMMEM, &indices, nullptr), D3D_OK);
    rig->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    rig->SetStreamSource(0, vertices, 0, 16);
    rig->SetIndices(indices);
    rig.take();
    EXPECT_EQ(rig->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0, 1), D3D_OK);
    const std::vector<std::string> draws = rig.take("draw");
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_NE(draws[0].find("stream0 0+0/16"), std::string::npos) << draws[0];
    EXPECT_TRUE(rig.take("uploadBuffer").empty());
    rig->SetStreamSource(0, nullptr, 0, 0);
    rig->SetIndices(nullptr);
    vertices->Release();
    indices->Release();
}

TEST(DeviceShaderContainer, OnlyWellFormedContainersOfTheRightStageCompile)
{
    RecordingDevice rig;
    std::vector<DWORD> vs = IDirect3DShader9::wrap("void main() { d3d_Position = vec4(0.0); }", false);
    IDirect3DVertexShader9* shader = nullptr;
    ASSERT_EQ(rig->CreateVertexShader(vs.data(), &shader), D3D_OK);
    rig->SetVertexShader(shader);
    const float vertices[3 * 4] = {};
    rig->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    EXPECT_EQ(rig->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, vertices, 16), D3DERR_INVALIDCALL)
        << "a vertex shader needs its pixel shader";
    rig->SetVertexShader(nullptr);
    shader->Release();

    std::vector<DWORD> noEnd = vs;
    noEnd.back() = 0;
    EXPECT_EQ(rig->CreateVertexShader(noEnd.data(), &shader), D3DERR_INVALIDCALL);
    std::vector<DWORD> huge = vs;
    huge[2] = IDirect3DShader9::kMaxSourceBytes + 1;
    EXPECT_EQ(rig->CreateVertexShader(huge.data(), &shader), D3DERR_INVALIDCALL);
    EXPECT_EQ(rig->CreateVertexShader(nullptr, &shader), D3DERR_INVALIDCALL);
    EXPECT_EQ(rig.recording().liveObjects(), 0u);
}

} // namespace
