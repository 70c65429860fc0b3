#include "engine/core/display/DisplayChecker.h"
#include "engine/core/display/DisplayManager.h"
#include "engine/core/render/Renderer.h"
#include "engine/core/base/Report.h"
#include "engine/core/display/ScreenTarget.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/Direct3DSurface9.h"
#include "platform/d3d9/RecordingBackend.h"
#include "platform/win/DisplaySettings.h"
#include "support/DeviceReadBack.h"
#include "support/GlRequirement.h"
#include "support/GlWorld.h"
#include "support/RecordingWorld.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <type_traits>

// The renderer and the display manager own device objects, tables and
// passes: a copy of either would free them twice, so neither can be copied.
static_assert(!std::is_copy_constructible_v<Renderer> && !std::is_copy_assignable_v<Renderer>);
static_assert(!std::is_copy_constructible_v<DisplayManager> && !std::is_copy_assignable_v<DisplayManager>);

namespace {

// The program's own start sequence up to the renderer, in a window.
struct Started {
    std::unique_ptr<DisplayManager> displayManager = std::make_unique<DisplayManager>();
    std::unique_ptr<Renderer> renderer;

    bool start(int width = 320, int height = 240, uint8_t reference = 0, uint8_t windowed = 1)
    {
        DisplayManager& dm = *displayManager;
        if (!dm.init("", ""))
            return false;
        dm.m_settings->referenceDevice = reference;
        DisplayChecker(&dm).check(0);
        dm.m_settings->width = width;
        dm.m_settings->height = height;
        dm.m_settings->windowed = windowed;
        dm.m_settings->windowWidth = width;
        dm.m_settings->windowHeight = height;
        dm.m_settings->fixedFunction = 1;
        dm.setTitle("Vorlund");
        if (!dm.createWindows(testWindowClass(), nullptr))
            return false;
        renderer = std::make_unique<Renderer>(displayManager.get());
        return true;
    }
    ~Started()
    {
        renderer.reset();
        if (displayManager) {
            displayManager->hideWindows();
            displayManager->shutdown();
        }
    }
    IDirect3DDevice9* device() const { return renderer->m_device; }
};

class RendererRecording : public ::testing::Test {
protected:
    RecordingWorld m_world;
};

TEST_F(RendererRecording, ConstructionReadsCapsAndChoosesFormats)
{
    Started s;
    ASSERT_TRUE(s.start());
    const Renderer& r = *s.renderer;
    EXPECT_EQ(r.m_renderTargetFormats[0], D3DFMT_A8R8G8B8);
    EXPECT_EQ(r.m_renderTargetFormats[1], D3DFMT_D32) << "the deepest discardable depth the model offers";
    EXPECT_STREQ(r.m_vertexProfile.c_str(), "vs_2_0");
    EXPECT_STREQ(r.m_pixelProfile.c_str(), "ps_2_0");
    EXPECT_STREQ(r.m_textureProfile.c_str(), "tx_1_0");
    EXPECT_EQ(r.m_hardwareVertexShaders, 1);
    EXPECT_EQ(r.m_baseWidth, 320);
    EXPECT_EQ(r.m_baseHeight, 240);
    EXPECT_EQ(r.m_windowed, 1);
    EXPECT_NEAR(r.m_fovY, 2.0 * std::atan(1.0 / 3.2) * 180.0 / M_PI, 1e-4);
    EXPECT_NEAR(r.m_fovX, 2.0 * std::atan((320.0 / 240.0) / 3.2) * 180.0 / M_PI, 1e-4);
    ASSERT_NE(r.m_offscreenDepthSurface, nullptr);
    D3DSURFACE_DESC desc{};
    r.m_offscreenDepthSurface->GetDesc(&desc);
    EXPECT_EQ(desc.Width, 1024u);
    EXPECT_EQ(desc.Format, D3DFMT_D24S8);
    EXPECT_NE(r.m_deviceDepthSurface, nullptr);
    EXPECT_EQ(r.m_screenTargets[0]->m_useBackBuffer, 0) << "the back buffer is X8R8G8B8";
    EXPECT_STREQ(lastErrorText.c_str(), "");
}

TEST_F(RendererRecording, ProfilesFallBackWithoutHardwareShaders)
{
    struct Case {
        DWORD vertex;
        DWORD pixel;
        uint8_t reference;
        const char* vertexProfile;
        const char* pixelProfile;
    };
    const Case cases[] = {
        {D3DVS_VERSION(3, 0), D3DPS_VERSION(1, 4), 0, "vs_2_0", "ps_1_4"},
        {D3DVS_VERSION(1, 0), D3DPS_VERSION(1, 0), 0, "vs_2_sw", "ps_2_sw"},
        {D3DVS_VERSION(2, 0), D3DPS_VERSION(2, 0), 1, "vs_2_sw", "ps_2_sw"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.vertexProfile);
        m_world.setup().capabilities.vertexShaderVersion = c.vertex;
        m_world.setup().capabilities.pixelShaderVersion = c.pixel;
        Started s;
        ASSERT_TRUE(s.start(320, 240, c.reference));
        EXPECT_STREQ(s.renderer->m_vertexProfile.c_str(), c.vertexProfile);
        EXPECT_STREQ(s.renderer->m_pixelProfile.c_str(), c.pixelProfile);
    }
}

TEST_F(RendererRecording, MissingRenderTargetFormatsAssertAndLeaveZero)
{
    m_world.setup().capabilities.renderTargetFormats.clear();
    m_world.setup().capabilities.depthFormats = {D3DFMT_D24S8};
    Started s;
    ASSERT_TRUE(s.start());
    EXPECT_STREQ(lastErrorText.c_str(), "device does not support render to texture?");
    EXPECT_EQ(s.renderer->m_renderTargetFormats[0], D3DFMT_UNKNOWN);
}

TEST_F(RendererRecording, GammaRampFollowsTheFormula)
{
    Started s;
    ASSERT_TRUE(s.start());
    struct Case {
        float gamma, brightness, contrast;
        int index;
        WORD value;
    };
    const Case cases[] = {
        {1.0f, 0.5f, 0.5f, 0, 0},       {1.0f, 0.5f, 0.5f, 1, 257},   {1.0f, 0.5f, 0.5f, 128, 128 * 257},
        {1.0f, 0.5f, 0.5f, 255, 65535}, {1.0f, 1.0f, 0.5f, 255, 65535}, {1.0f, 0.0f, 0.5f, 0, 0},
        {2.0f, 0.5f, 0.5f, 64, 32831},  {1.0f, 0.5f, 0.0f, 0, 16384},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.gamma << " " << c.brightness << " " << c.contrast << " [" << c.index
                                        << "]");
        s.renderer->setGamma(c.gamma, c.brightness, c.contrast);
        const D3DGAMMARAMP& ramp = s.device()->gammaRamp();
        EXPECT_EQ(ramp.red[c.index], c.value);
        EXPECT_EQ(ramp.green[c.index], c.value);
        EXPECT_EQ(ramp.blue[c.index], c.value);
    }
    // The identity ramp is exact over its whole length.
    s.renderer->setGamma(1.0f, 0.5f, 0.5f);
    const D3DGAMMARAMP& ramp = s.device()->gammaRamp();
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(ramp.red[i], i * 257) << i;
}

TEST_F(RendererRecording, TwoResolutionChangesMakeOneReset)
{
    Started s;
    ASSERT_TRUE(s.start());
    EXPECT_FALSE(s.renderer->takeResetRequest());
    s.renderer->setResolution(800, 600, 0);
    s.renderer->setResolution(640, 480, 1);
    EXPECT_TRUE(s.renderer->takeResetRequest());
    EXPECT_FALSE(s.renderer->takeResetRequest());
    EXPECT_EQ(s.renderer->m_baseWidth, 640);
    EXPECT_EQ(s.renderer->m_height, 480);
    EXPECT_EQ(s.renderer->m_windowed, 1);
}

TEST_F(RendererRecording, RestoringTargetsPutsBackTheDeviceSurfaces)
{
    Started s;
    ASSERT_TRUE(s.start());
    Renderer& r = *s.renderer;
    r.setViewport(10, 20, 100, 50, 0.25f, 0.75f);
    r.setViewportRect(10, 20, 100, 50, 2.0f);
    EXPECT_EQ(r.m_width, 100);
    ASSERT_EQ(s.device()->SetDepthStencilSurface(r.m_offscreenDepthSurface), D3D_OK);
    auto& log = static_cast<RecordingBackend&>(s.device()->backend());
    log.clearCalls();
    r.restoreRenderTarget();
    r.restoreDepthStencil();
    EXPECT_EQ(r.m_width, 320);
    EXPECT_EQ(r.m_height, 240);
    IDirect3DSurface9* depth = nullptr;
    ASSERT_EQ(s.device()->GetDepthStencilSurface(&depth), D3D_OK);
    EXPECT_EQ(depth, r.m_deviceDepthSurface);
    depth->Release();
    ASSERT_GE(log.calls().size(), 2u);
    EXPECT_EQ(log.calls()[1], "setViewport 0 0 320 240 0 1") << "a new render target takes the whole viewport";
}

// The game's reset sequence on a resolution change, with the lost-device
// step forgotten first.
void resetSequence(Started& s, int width, int height, bool releaseFirst, HRESULT expected)
{
    Renderer& r = *s.renderer;
    DisplayManager& dm = *s.displayManager;
    r.setResolution(width, height, 1);
    ASSERT_TRUE(r.takeResetRequest());
    if (releaseFirst)
        r.onLostDevice();
    dm.m_settings->width = r.m_baseWidth;
    dm.m_settings->height = r.m_baseHeight;
    dm.m_settings->windowed = r.m_windowed;
    D3DPRESENT_PARAMETERS& pp = dm.m_heads[0].presentParams[0];
    pp.BackBufferWidth = UINT(r.m_baseWidth);
    pp.BackBufferHeight = UINT(r.m_baseHeight);
    pp.Windowed = r.m_windowed;
    testing::internal::CaptureStderr();
    EXPECT_EQ(dm.resetDevices(), expected);
    const std::string report = testing::internal::GetCapturedStderr();
    if (expected != D3D_OK)
        EXPECT_NE(report.find("default-pool resource(s) still alive"), std::string::npos) << report;
    if (releaseFirst)
        r.onResetDevice();
}

TEST_F(RendererRecording, ResetWithLiveDepthSurfacesIsRefusedAndReported)
{
    Started s;
    ASSERT_TRUE(s.start());
    resetSequence(s, 200, 100, false, D3DERR_INVALIDCALL);
    EXPECT_EQ(s.device()->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    resetSequence(s, 200, 100, true, D3D_OK);
    EXPECT_EQ(s.device()->TestCooperativeLevel(), D3D_OK);
    EXPECT_EQ(s.device()->presentParameters().BackBufferWidth, 200u);
}

TEST_F(RendererRecording, ScreenTargetsTakeTheDisplaySize)
{
    struct Case {
        uint8_t windowed;
        int32_t width;
        int32_t height;
    };
    DEVMODEA desktop{};
    desktop.dmSize = sizeof(desktop);
    const bool display = EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &desktop);
    const Case cases[] = {
        {0, 640, 480},
        {1, display ? int32_t(desktop.dmPelsWidth) : 0, display ? int32_t(desktop.dmPelsHeight) : 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.windowed));
        Started s;
        ASSERT_TRUE(s.start(640, 480, 0, c.windowed));
        for (const auto& target : s.renderer->m_screenTargets) {
            EXPECT_EQ(target->m_width, c.width);
            EXPECT_EQ(target->m_height, c.height);
            EXPECT_EQ(target->m_renderer, s.renderer.get());
            target->m_value0 = 7;
            target->m_name.assignCString("name");
            target->release();
            EXPECT_EQ(target->m_value0, 0);
            EXPECT_STREQ(target->m_name.c_str(), "");
        }
    }
}

// The start sequence and a resolution change on the GL backend, read back
// from the device's own back buffer.
class RendererGl : public ::testing::Test {
protected:
    GlWorld m_world;
};

void clearAndPresent(IDirect3DDevice9* device, D3DCOLOR colour)
{
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, colour, 1.0f, 0),
              D3D_OK);
    ASSERT_EQ(device->EndScene(), D3D_OK);
    ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
}

TEST_F(RendererGl, StartsClearsPresentsAndSurvivesAResolutionChange)
{
    Started s;
    testing::internal::CaptureStderr();
    const bool started = s.start(320, 240);
    const std::string boxes = testing::internal::GetCapturedStderr();
    if (boxes.find("Creation of Direct3D Device failed.") == std::string::npos)
        REQUIRE_GL(started, boxes);
    ASSERT_TRUE(started) << boxes;
    IDirect3DDevice9* device = s.device();
    ASSERT_EQ(s.renderer->m_renderTargetFormats[0], D3DFMT_A8R8G8B8);

    clearAndPresent(device, D3DCOLOR_XRGB(0x20, 0x60, 0xA0));
    EXPECT_EQ(readBackBufferPixel(device, 0, 0), 0xFF2060A0u);
    EXPECT_EQ(readBackBufferPixel(device, 319, 239), 0xFF2060A0u);

    // Full-screen gamma on a display that may refuse it: the game goes on.
    testing::internal::CaptureStderr();
    s.renderer->setGamma(1.0f, 0.5f, 0.5f);
    testing::internal::GetCapturedStderr();

    resetSequence(s, 400, 300, true, D3D_OK);
    EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
    EXPECT_EQ(device->presentParameters().BackBufferWidth, 400u);
    s.renderer->restoreRenderTarget();
    s.renderer->restoreDepthStencil();
    clearAndPresent(device, D3DCOLOR_XRGB(0x00, 0x00, 0xFF));
    s.renderer->setViewport(0, 0, 200, 150, 0.0f, 1.0f);
    clearAndPresent(device, D3DCOLOR_XRGB(0xFF, 0x00, 0x00));
    EXPECT_EQ(readBackBufferPixel(device, 199, 149), 0xFFFF0000u);
    EXPECT_EQ(readBackBufferPixel(device, 200, 149), 0xFF0000FFu) << "outside the viewport";
    EXPECT_EQ(readBackBufferPixel(device, 399, 299), 0xFF0000FFu);
    EXPECT_TRUE(readBackBuffer(device, RECT{0, 0, 400, 300}).size() == 400u * 300u);
    EXPECT_STREQ(lastErrorText.c_str(), "");
}

// Full screen at the desktop's size (the only mode a virtual display has),
// then back into a window through the reset protocol.
TEST_F(RendererGl, FullScreenAndBackToAWindow)
{
    DEVMODEA desktop{};
    desktop.dmSize = sizeof(desktop);
    REQUIRE_GL(EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &desktop), "no desktop display mode");
    Started s;
    testing::internal::CaptureStderr();
    const bool started = s.start(int(desktop.dmPelsWidth), int(desktop.dmPelsHeight), 0, 0);
    const std::string boxes = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(started) << boxes;
    IDirect3DDevice9* device = s.device();
    EXPECT_EQ(device->presentParameters().Windowed, FALSE);
    EXPECT_EQ(device->presentParameters().BackBufferWidth, desktop.dmPelsWidth);
    s.renderer->setGamma(1.5f, 0.5f, 0.5f);
    clearAndPresent(device, 0xFF808080);
    EXPECT_EQ(readBackBufferPixel(device, int(desktop.dmPelsWidth) - 1, 0), 0xFF808080u);

    resetSequence(s, 256, 128, true, D3D_OK);
    EXPECT_EQ(device->presentParameters().Windowed, TRUE);
    EXPECT_EQ(device->presentParameters().BackBufferWidth, 256u);
    clearAndPresent(device, 0xFF00FF00);
    EXPECT_EQ(readBackBufferPixel(device, 255, 127), 0xFF00FF00u);
}

} // namespace
