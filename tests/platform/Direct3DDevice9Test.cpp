#include "platform/d3d9/CapabilityModel.h"
#include "platform/d3d9/D3D9Backend.h"
#include "platform/d3d9/Direct3D9.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/Direct3DSurface9.h"
#include "platform/d3d9/RecordingBackend.h"
#include "platform/win/Window.h"
#include "support/DeviceReadBack.h"
#include "support/GlRequirement.h"

#include <gtest/gtest.h>

namespace {

// Every device test runs on both backends; GL needs a display.
class Device : public ::testing::TestWithParam<D3D9Backend> {
protected:
    void SetUp() override
    {
        selectD3D9Backend(GetParam());
        recordingSetup() = RecordingSetup::standard();
        m_window = CreateWindowExA(0, testWindowClass(), "device", WS_OVERLAPPEDWINDOW, 0, 0, 64, 48, nullptr,
                                   nullptr, nullptr, nullptr);
        ASSERT_NE(m_window, nullptr);
        m_d3d = Direct3DCreate9(D3D_SDK_VERSION);
        REQUIRE_GL(m_d3d, "no Direct3D object");
        m_params = windowedParams(m_window);
        const HRESULT hr = m_d3d->CreateDevice(0, D3DDEVTYPE_HAL, m_window, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                               &m_params, &m_device);
        if (GetParam() == D3D9Backend::Gl)
            REQUIRE_GL(hr != D3DERR_NOTAVAILABLE, "CreateDevice: no OpenGL context");
        ASSERT_EQ(hr, D3D_OK);
    }
    void TearDown() override
    {
        if (m_device)
            EXPECT_EQ(m_device->Release(), 0u);
        if (m_d3d)
            EXPECT_EQ(m_d3d->Release(), 0u);
        DestroyWindow(m_window);
        selectD3D9Backend(D3D9Backend::Default);
    }
    static D3DPRESENT_PARAMETERS windowedParams(HWND window)
    {
        D3DPRESENT_PARAMETERS pp{};
        pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        pp.Windowed = TRUE;
        pp.hDeviceWindow = window;
        pp.EnableAutoDepthStencil = TRUE;
        pp.AutoDepthStencilFormat = D3DFMT_D24S8;
        return pp;
    }

    HWND m_window = nullptr;
    IDirect3D9* m_d3d = nullptr;
    IDirect3DDevice9* m_device = nullptr;
    D3DPRESENT_PARAMETERS m_params{};
};

TEST_P(Device, WindowedParametersAreResolvedAndWrittenBack)
{
    EXPECT_EQ(m_params.BackBufferWidth, 64u);
    EXPECT_EQ(m_params.BackBufferHeight, 48u);
    EXPECT_EQ(m_params.BackBufferFormat, D3DFMT_X8R8G8B8);
    EXPECT_EQ(m_params.BackBufferCount, 1u);
}

// The clear colour is ARGB, the origin is top-left and the read-back comes
// top row first: a viewport in the top-left quarter shows exactly there.
TEST_P(Device, ClearFillsTheViewportFromTheTopLeft)
{
    ASSERT_EQ(m_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_ARGB(255, 0x10, 0x20, 0x30),
                              1.0f, 0),
              D3D_OK);
    const D3DVIEWPORT9 quarter{0, 0, 32, 24, 0.0f, 1.0f};
    ASSERT_EQ(m_device->SetViewport(&quarter), D3D_OK);
    ASSERT_EQ(m_device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(0xFF, 0x80, 0x00), 1.0f, 0), D3D_OK);
    const D3DRECT strip{40, 40, 64, 48};
    const D3DVIEWPORT9 lower{0, 24, 64, 24, 0.0f, 1.0f};
    ASSERT_EQ(m_device->SetViewport(&lower), D3D_OK);
    ASSERT_EQ(m_device->Clear(1, &strip, D3DCLEAR_TARGET, D3DCOLOR_XRGB(0x00, 0x00, 0xFF), 1.0f, 0), D3D_OK);

    struct Probe {
        int x, y;
        D3DCOLOR colour;
    };
    const Probe probes[] = {
        {0, 0, 0xFFFF8000},   {31, 23, 0xFFFF8000}, {32, 0, 0xFF102030}, {0, 24, 0xFF102030},
        {63, 0, 0xFF102030},  {39, 47, 0xFF102030}, {40, 40, 0xFF0000FF}, {63, 47, 0xFF0000FF},
        {40, 39, 0xFF102030},
    };
    for (const Probe& p : probes) {
        SCOPED_TRACE(testing::Message() << p.x << "," << p.y);
        EXPECT_EQ(readBackBufferPixel(m_device, p.x, p.y), p.colour);
    }
}

TEST_P(Device, SceneAndPresentFollowDirect3DRules)
{
    EXPECT_EQ(m_device->EndScene(), D3DERR_INVALIDCALL);
    ASSERT_EQ(m_device->BeginScene(), D3D_OK);
    EXPECT_EQ(m_device->BeginScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);
    ASSERT_EQ(m_device->EndScene(), D3D_OK);
    EXPECT_EQ(m_device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(m_device->TestCooperativeLevel(), D3D_OK);
}

TEST_P(Device, InvalidCallsAreRefused)
{
    const D3DVIEWPORT9 outside{4000, 0, 32, 10, 0.0f, 1.0f};
    EXPECT_EQ(m_device->SetViewport(&outside), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_device->Clear(0, nullptr, D3DCLEAR_TARGET | 0x100, 0, 1.0f, 0), D3DERR_INVALIDCALL);
    ASSERT_EQ(m_device->SetDepthStencilSurface(nullptr), D3D_OK);
    EXPECT_EQ(m_device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3DERR_INVALIDCALL);
    IDirect3DSurface9* surface = nullptr;
    EXPECT_EQ(m_device->GetBackBuffer(0, 1, D3DBACKBUFFER_TYPE_MONO, &surface), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_device->CreateDepthStencilSurface(16, 16, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, 0, TRUE, &surface,
                                                  nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(surface, nullptr);
}

// A render target change resets the viewport to the whole target, and the
// device keeps a bound surface alive after the program's last Release.
TEST_P(Device, BoundSurfacesOutliveTheirLastRelease)
{
    IDirect3DSurface9* depth = nullptr;
    ASSERT_EQ(m_device->CreateDepthStencilSurface(128, 128, D3DFMT_D24S8, D3DMULTISAMPLE_NONE, 0, TRUE, &depth,
                                                  nullptr),
              D3D_OK);
    ASSERT_EQ(m_device->SetDepthStencilSurface(depth), D3D_OK);
    EXPECT_EQ(depth->Release(), 0u);
    IDirect3DSurface9* bound = nullptr;
    ASSERT_EQ(m_device->GetDepthStencilSurface(&bound), D3D_OK);
    EXPECT_EQ(bound, depth);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(bound->GetDesc(&desc), D3D_OK);
    EXPECT_EQ(desc.Width, 128u);
    EXPECT_EQ(desc.Pool, D3DPOOL_DEFAULT);
    bound->Release();
    EXPECT_EQ(m_device->Clear(0, nullptr, D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0, 1.0f, 0), D3D_OK);
    ASSERT_EQ(m_device->SetDepthStencilSurface(nullptr), D3D_OK);
}

// Reset refuses while a default-pool resource lives, leaves the device
// asking for a reset, and works once the resource is gone.
TEST_P(Device, ResetNeedsDefaultPoolResourcesReleased)
{
    IDirect3DSurface9* depth = nullptr;
    ASSERT_EQ(m_device->CreateDepthStencilSurface(32, 32, D3DFMT_D16, D3DMULTISAMPLE_NONE, 0, TRUE, &depth, nullptr),
              D3D_OK);
    IDirect3DSurface9* backBuffer = nullptr;
    ASSERT_EQ(m_device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), D3D_OK);

    D3DPRESENT_PARAMETERS pp = windowedParams(m_window);
    pp.BackBufferWidth = 40;
    pp.BackBufferHeight = 30;
    testing::internal::CaptureStderr();
    EXPECT_EQ(m_device->Reset(&pp), D3DERR_INVALIDCALL);
    const std::string report = testing::internal::GetCapturedStderr();
    EXPECT_NE(report.find("2 default-pool resource(s) still alive"), std::string::npos) << report;
    EXPECT_EQ(m_device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    EXPECT_EQ(m_device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);

    depth->Release();
    backBuffer->Release();
    ASSERT_EQ(m_device->Reset(&pp), D3D_OK);
    EXPECT_EQ(m_device->TestCooperativeLevel(), D3D_OK);
    ASSERT_EQ(m_device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0), D3D_OK);
    EXPECT_EQ(readBackBufferPixel(m_device, 39, 29), 0xFF00FF00u);
    EXPECT_TRUE(readBackBuffer(m_device, RECT{0, 0, 41, 30}).empty());
}

TEST_P(Device, MultisampledBackBuffersResolveOnRead)
{
    D3DPRESENT_PARAMETERS pp = windowedParams(m_window);
    pp.MultiSampleType = D3DMULTISAMPLE_4_SAMPLES;
    ASSERT_EQ(m_device->Reset(&pp), D3D_OK);
    ASSERT_EQ(m_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF4080C0, 1.0f, 0), D3D_OK);
    EXPECT_EQ(readBackBufferPixel(m_device, 10, 10), 0xFF4080C0u);
    EXPECT_EQ(m_device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    pp.SwapEffect = D3DSWAPEFFECT_COPY;
    EXPECT_EQ(m_device->Reset(&pp), D3DERR_INVALIDCALL);
}

TEST_P(Device, GammaRampIsKeptEvenWhereTheDisplayRefusesIt)
{
    D3DGAMMARAMP ramp{};
    for (int i = 0; i < 256; ++i)
        ramp.red[i] = ramp.green[i] = ramp.blue[i] = WORD(i * 257);
    testing::internal::CaptureStderr();
    m_device->SetGammaRamp(0, D3DSGR_CALIBRATE, &ramp);
    testing::internal::GetCapturedStderr();
    const D3DGAMMARAMP& back = m_device->gammaRamp();
    EXPECT_EQ(back.green[255], 65535);
    EXPECT_EQ(back.blue[1], 257);
}

INSTANTIATE_TEST_SUITE_P(Backends, Device, ::testing::Values(D3D9Backend::Recording, D3D9Backend::Gl),
                         [](const auto& info) { return info.param == D3D9Backend::Gl ? "Gl" : "Recording"; });

// Adapter answers and the capability model, on the recording backend.
class Direct3D : public ::testing::Test {
protected:
    void SetUp() override
    {
        selectD3D9Backend(D3D9Backend::Recording);
        recordingSetup() = RecordingSetup::standard();
    }
    void TearDown() override { selectD3D9Backend(D3D9Backend::Default); }
};

TEST_F(Direct3D, OnlyTheSdkVersionCreates)
{
    EXPECT_EQ(Direct3DCreate9(32), nullptr);
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    EXPECT_EQ(d3d->GetAdapterCount(), 1u);
    EXPECT_EQ(d3d->GetAdapterModeCount(0, D3DFMT_X8R8G8B8), 4u);
    EXPECT_EQ(d3d->GetAdapterModeCount(0, D3DFMT_R5G6B5), 0u);
    D3DDISPLAYMODE mode{};
    EXPECT_EQ(d3d->EnumAdapterModes(0, D3DFMT_X8R8G8B8, 4, &mode), D3DERR_INVALIDCALL);
    ASSERT_EQ(d3d->EnumAdapterModes(0, D3DFMT_X8R8G8B8, 0, &mode), D3D_OK);
    EXPECT_EQ(mode.Width, 640u);
    EXPECT_EQ(d3d->GetAdapterMonitor(1), nullptr);
    EXPECT_NE(d3d->GetAdapterMonitor(0), nullptr);
    EXPECT_EQ(d3d->Release(), 0u);
}

TEST_F(Direct3D, FormatChecksAnswerFromTheCapabilityModel)
{
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    struct Case {
        DWORD usage;
        D3DRESOURCETYPE type;
        D3DFORMAT format;
        HRESULT result;
    };
    const Case cases[] = {
        {0, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8, D3D_OK},
        {0, D3DRTYPE_TEXTURE, D3DFMT_DXT1, D3DERR_NOTAVAILABLE},
        {D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, D3DFMT_A16B16G16R16F, D3D_OK},
        {D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, D3DFMT_L8, D3DERR_NOTAVAILABLE},
        {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D24S8, D3D_OK},
        {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D24FS8, D3DERR_NOTAVAILABLE},
        {D3DUSAGE_DMAP, D3DRTYPE_TEXTURE, D3DFMT_R32F, D3DERR_NOTAVAILABLE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, c.usage, c.type, c.format), c.result);
    }
    DWORD qualities = 0;
    EXPECT_EQ(d3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, TRUE, D3DMULTISAMPLE_NONMASKABLE,
                                              &qualities),
              D3D_OK);
    EXPECT_EQ(qualities, 2u);
    EXPECT_EQ(d3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, TRUE, D3DMULTISAMPLE_8_SAMPLES,
                                              &qualities),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(d3d->CheckDeviceType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, FALSE), D3D_OK);
    EXPECT_EQ(d3d->CheckDeviceType(0, D3DDEVTYPE_HAL, D3DFMT_R5G6B5, D3DFMT_R5G6B5, FALSE), D3DERR_NOTAVAILABLE);
    EXPECT_EQ(d3d->CheckDepthStencilMatch(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_D16), D3D_OK);
    EXPECT_EQ(d3d->CheckDeviceFormat(1, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8),
              D3DERR_INVALIDCALL);
    d3d->Release();
}

TEST_F(Direct3D, CreateDeviceChecksItsArguments)
{
    HWND window = CreateWindowExA(0, testWindowClass(), "", WS_OVERLAPPEDWINDOW, 0, 0, 32, 32, nullptr, nullptr,
                                  nullptr, nullptr);
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    D3DPRESENT_PARAMETERS pp{};
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.Windowed = TRUE;
    pp.hDeviceWindow = window;
    IDirect3DDevice9* device = reinterpret_cast<IDirect3DDevice9*>(1);
    struct Case {
        DWORD flags;
        HRESULT result;
    };
    const Case cases[] = {
        {D3DCREATE_MULTITHREADED, D3DERR_INVALIDCALL},
        {D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING, D3DERR_INVALIDCALL},
        {D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_PUREDEVICE, D3DERR_INVALIDCALL},
        {D3DCREATE_MIXED_VERTEXPROCESSING | D3DCREATE_MULTITHREADED, D3D_OK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, c.flags, &pp, &device), c.result);
        EXPECT_EQ(device != nullptr, c.result == D3D_OK);
        if (device)
            device->Release();
    }
    EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(d3d->Release(), 0u);
    DestroyWindow(window);
}

} // namespace

// The capability bits answer what the layer carries out, each checked by a
// test of its own elsewhere, and nothing it does not.
TEST(CapabilityModel, CapsNameWhatTheLayerCarriesOut)
{
    const D3DCAPS9 caps = CapabilityModel::gl().caps(0, D3DDEVTYPE_HAL);
    const struct {
        const char* field;
        DWORD value;
        DWORD present;
        DWORD absent;
    } cases[] = {
        {"PrimitiveMiscCaps", caps.PrimitiveMiscCaps,
         D3DPMISCCAPS_MASKZ | D3DPMISCCAPS_CULLNONE | D3DPMISCCAPS_CULLCW | D3DPMISCCAPS_CULLCCW
             | D3DPMISCCAPS_COLORWRITEENABLE | D3DPMISCCAPS_TSSARGTEMP | D3DPMISCCAPS_BLENDOP,
         0x00020000 /* separate alpha blend */},
        {"RasterCaps", caps.RasterCaps,
         D3DPRASTERCAPS_ZTEST | D3DPRASTERCAPS_FOGVERTEX | D3DPRASTERCAPS_FOGTABLE | D3DPRASTERCAPS_ZFOG
             | D3DPRASTERCAPS_WFOG,
         0x00010000 /* range fog */ | 0x01000000 /* scissor */ | 0x04000000 /* depth bias */},
        {"ZCmpCaps", caps.ZCmpCaps, 0xFF, ~0xFFu},
        {"AlphaCmpCaps", caps.AlphaCmpCaps, 0xFF, ~0xFFu},
        {"SrcBlendCaps", caps.SrcBlendCaps, D3DPBLENDCAPS_DESTALPHA | 0x7FF, ~0x7FFu},
        {"DestBlendCaps", caps.DestBlendCaps, 0x7FF, ~0x7FFu},
        {"StencilCaps", caps.StencilCaps, D3DSTENCILCAPS_REPLACE | 0xFF, ~0xFFu /* two-sided */},
        {"TextureOpCaps", caps.TextureOpCaps,
         D3DTEXOPCAPS_SELECTARG1 | D3DTEXOPCAPS_MODULATE | D3DTEXOPCAPS_DOTPRODUCT3 | 0x3000000 /* lerp, madd */,
         0x10000 /* premodulate */ | 0x600000 /* bump mapping */},
        {"TextureAddressCaps", caps.TextureAddressCaps, 0x3F, ~0x3Fu},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.value & c.present, c.present) << c.field;
        EXPECT_EQ(c.value & c.absent, 0u) << c.field;
    }
    // The versions CreateVertexShader and CreatePixelShader take.
    EXPECT_EQ(caps.VertexShaderVersion, D3DVS_VERSION(3, 0));
    EXPECT_EQ(caps.PixelShaderVersion, D3DPS_VERSION(3, 0));
    EXPECT_EQ(caps.ZCmpCaps & D3DPCMPCAPS_ALWAYS, D3DPCMPCAPS_ALWAYS);
}
