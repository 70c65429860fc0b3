#include "engine/core/display/DisplayChecker.h"
#include "engine/core/display/DisplayManager.h"
#include "engine/core/base/EngineLog.h"
#include "engine/core/base/Report.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/win/DisplaySettings.h"
#include "platform/win/MessageQueue.h"
#include "platform/win/WindowRecord.h"
#include "support/DeviceReadBack.h"
#include "support/GlRequirement.h"
#include "support/RecordingWorld.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

class DisplayManagerRecording : public ::testing::Test {
protected:
    void SetUp() override { setEngineLogSink(&m_log); }
    void TearDown() override { setEngineLogSink(nullptr); }

    // The program's start-up up to the devices, in a window.
    bool start(DisplayManager& dm)
    {
        if (!dm.init("", ""))
            return false;
        DisplayChecker(&dm).check(0);
        dm.m_settings->windowed = 1;
        dm.setTitle("Vorlund");
        return dm.createWindows(testWindowClass(), nullptr);
    }

    RecordingWorld m_world;
    std::ostringstream m_log;
};

TEST_F(DisplayManagerRecording, InitRecordsAdaptersAndModes)
{
    RecordingAdapter second;
    second.description = "Second";
    second.modes = {{800, 600, 75, D3DFMT_X8R8G8B8}, {800, 600, 60, D3DFMT_R5G6B5}};
    m_world.setup().adapters.push_back(second);
    DisplayManager dm;
    EXPECT_EQ(DisplayManager::instance(), &dm);
    ASSERT_TRUE(dm.init("", ""));
    ASSERT_EQ(dm.m_adapterCount, 2);
    EXPECT_EQ(dm.m_adapters[0].modeCount, 4);
    EXPECT_EQ(dm.m_adapters[0].modes[3].Width, 1280u);
    ASSERT_EQ(dm.m_adapters[1].modeCount, 1) << "only X8R8G8B8 modes";
    EXPECT_EQ(dm.m_adapters[1].modes[0].RefreshRate, 75u);
    EXPECT_EQ(dm.m_adapters[0].currentMode.Width, 1280u);
    EXPECT_EQ(dm.m_adapters[1].master, nullptr);
    EXPECT_NE(m_log.str().find("number of adapters: 2"), std::string::npos) << m_log.str();
    EXPECT_NE(m_log.str().find("Second"), std::string::npos);
}

TEST_F(DisplayManagerRecording, NoAdapterMeansNoDirect3DNotACrash)
{
    m_world.setup().adapters.clear();
    DisplayManager dm;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(dm.init("no device", "Caption"));
    EXPECT_FALSE(dm.createWindows(testWindowClass(), nullptr));
    const std::string boxes = testing::internal::GetCapturedStderr();
    EXPECT_NE(boxes.find("Caption: no device"), std::string::npos) << boxes;
    EXPECT_NE(boxes.find("Error: Creation of Direct3D Device failed."), std::string::npos) << boxes;
}

TEST_F(DisplayManagerRecording, MultisampleRequestsSettleOnWhatTheAdapterOffers)
{
    struct Case {
        std::vector<D3DMULTISAMPLE_TYPE> offered;
        bool nonMaskable;
        int32_t type;
        uint32_t quality;
        int32_t expectedType;
        uint32_t expectedQuality;
    };
    using M = D3DMULTISAMPLE_TYPE;
    const Case cases[] = {
        {{M(2), M(4)}, true, 6, 3, 4, 0},
        {{M(2)}, true, 3, 0, 2, 0},
        {{M(2), M(4)}, true, 0, 5, 0, 0},
        {{M(4)}, true, 2, 0, 0, 0},
        {{M(2), M(4)}, true, 1, 7, 1, 1},
        {{M(2), M(4)}, true, 1, 0, 1, 0},
        {{M(2), M(4)}, true, 17, 0, 1, 0},
        {{M(2), M(4)}, true, -1, 1, 1, 1},
        {{M(2), M(4)}, false, 1, 3, 4, 0},
        {{}, true, 1, 3, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "requested " << c.type << "/" << c.quality);
        m_world.setup().capabilities.multisampleTypes = c.offered;
        m_world.setup().capabilities.offersNonMaskable = c.nonMaskable;
        DisplayManager dm;
        ASSERT_TRUE(dm.init("", ""));
        dm.m_settings->multisampleType = c.type;
        dm.m_settings->multisampleQuality = c.quality;
        dm.checkMultiSampleTypes(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, TRUE);
        EXPECT_EQ(dm.m_settings->multisampleType, c.expectedType);
        EXPECT_EQ(dm.m_settings->multisampleQuality, c.expectedQuality);
        EXPECT_EQ(dm.m_adapters[0].multisampleTypes.size(), c.offered.size());
    }
}

TEST_F(DisplayManagerRecording, CheckerFillsTheFormatLists)
{
    DisplayManager dm;
    ASSERT_TRUE(dm.init("", ""));
    dm.m_settings->windowed = 1;
    EXPECT_TRUE(DisplayChecker(&dm).check(0));
    const AdapterInfo& a = dm.m_adapters[0];
    ASSERT_EQ(a.backBufferFormats.size(), 6u);
    EXPECT_EQ(a.backBufferFormats[0]->format, D3DFMT_A8R8G8B8);
    ASSERT_EQ(a.depthStencilFormats.size(), 4u);
    EXPECT_EQ(a.depthStencilFormats[0]->format, D3DFMT_D32) << "table order";
    EXPECT_FALSE(a.textureFormats.empty());
    EXPECT_FALSE(a.cubeTextureFormats.empty());
    for (const FormatDescription* d : a.textureFormats)
        EXPECT_EQ(d->flags & FormatClassCompressed, 0u) << d->name;
    bool depthTarget = false;
    for (const FormatDescription* d : a.renderTargetFormats)
        depthTarget = depthTarget || (d->flags & FormatClassDepth);
    EXPECT_TRUE(depthTarget);
}

TEST_F(DisplayManagerRecording, DeviceGetsTheChosenDepthAndParameters)
{
    DisplayManager dm;
    ASSERT_TRUE(start(dm));
    ASSERT_EQ(dm.m_numHeads, 1);
    const DisplayHead& head = dm.m_heads[0];
    ASSERT_NE(head.device, nullptr);
    ASSERT_NE(head.depthStencilFormat, nullptr);
    EXPECT_EQ(head.depthStencilFormat->format, D3DFMT_D24S8);
    const D3DPRESENT_PARAMETERS& pp = head.presentParams[0];
    EXPECT_EQ(pp.AutoDepthStencilFormat, D3DFMT_D24S8);
    EXPECT_EQ(pp.BackBufferWidth, 960u) << "the client area of the window";
    EXPECT_EQ(pp.BackBufferHeight, 720u);
    EXPECT_EQ(pp.Flags, D3DPRESENTFLAG_DISCARD_DEPTHSTENCIL);
    EXPECT_EQ(head.device->behaviourFlags(), D3DCREATE_MULTITHREADED | D3DCREATE_HARDWARE_VERTEXPROCESSING);
    EXPECT_NE(m_log.str().find("trying to create the d3d device for adapter 0... succeeded!"), std::string::npos);
    EXPECT_STREQ(lastErrorText.c_str(), "");
}

TEST_F(DisplayManagerRecording, WithoutDepthFormatsTheDeviceAssertsAndGoesOn)
{
    DisplayManager dm;
    ASSERT_TRUE(dm.init("", ""));
    dm.m_settings->windowed = 1;
    ASSERT_TRUE(dm.createWindows(testWindowClass(), nullptr));
    EXPECT_STREQ(lastErrorText.c_str(), "device does not support depth/stencil?");
    EXPECT_EQ(dm.m_heads[0].presentParams[0].EnableAutoDepthStencil, FALSE);
}

TEST_F(DisplayManagerRecording, BehaviourFlagsFollowTheSettingsAndCaps)
{
    struct Case {
        const char* what;
        bool hardwareTransform;
        DWORD vertexShaders;
        uint8_t pure;
        DWORD flags;
        uint8_t software;
    };
    const Case cases[] = {
        {"no hardware T&L", false, D3DVS_VERSION(2, 0), 0, D3DCREATE_SOFTWARE_VERTEXPROCESSING, 1},
        {"pure", true, D3DVS_VERSION(2, 0), 1, D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_PUREDEVICE, 0},
        {"old vertex shaders", true, D3DVS_VERSION(1, 0), 0, D3DCREATE_MIXED_VERTEXPROCESSING, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CapabilityModel& caps = m_world.setup().capabilities;
        caps = CapabilityModel::gl();
        if (!c.hardwareTransform)
            caps.devCaps &= ~D3DDEVCAPS_HWTRANSFORMANDLIGHT;
        caps.vertexShaderVersion = c.vertexShaders;
        DisplayManager dm;
        ASSERT_TRUE(dm.init("", ""));
        DisplayChecker(&dm).check(0);
        dm.m_settings->windowed = 1;
        dm.m_settings->pureDevice = c.pure;
        ASSERT_TRUE(dm.createWindows(testWindowClass(), nullptr));
        EXPECT_EQ(dm.m_heads[0].device->behaviourFlags(), c.flags | D3DCREATE_MULTITHREADED);
        EXPECT_EQ(dm.m_settings->softwareVertexProcessing, c.software);
    }
}

TEST_F(DisplayManagerRecording, SecondCreateDeviceAttemptMaySucceed)
{
    m_world.setup().createDeviceFailures = 1;
    DisplayManager dm;
    ASSERT_TRUE(start(dm));
    EXPECT_NE(dm.m_heads[0].device, nullptr);
    EXPECT_NE(m_log.str().find("CreateDevice first attempt failed, starting second attempt... succeeded!"),
              std::string::npos)
        << m_log.str();
}

TEST_F(DisplayManagerRecording, TwoFailedAttemptsEndStartUp)
{
    m_world.setup().createDeviceFailures = 2;
    DisplayManager dm;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(start(dm));
    const std::string boxes = testing::internal::GetCapturedStderr();
    EXPECT_NE(boxes.find("Error: Creation of Direct3D Device failed."), std::string::npos);
    EXPECT_NE(m_log.str().find("CreateDevice failed... exiting..."), std::string::npos);
}

TEST_F(DisplayManagerRecording, FullScreenStereoNeedsTwoAdapters)
{
    DisplayManager dm;
    ASSERT_TRUE(dm.init("", ""));
    dm.m_stereoMode = 4;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(dm.createWindows(testWindowClass(), nullptr));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("For fullscreen stereo two adapters are required."),
              std::string::npos);
}

TEST_F(DisplayManagerRecording, DualHeadStereoNeedsAGroupOfTwo)
{
    struct Case {
        const char* what;
        UINT groupSize[2];
        UINT master[2];
        bool created;
        int32_t adapterIndex;
        int32_t windowCount;
    };
    const Case cases[] = {
        {"a group of two on its master", {2, 0}, {0, 0}, true, 0, 2},
        {"one monitor", {1, 1}, {0, 1}, false, 0, 0},
        {"a master the driver never reported", {1, 0}, {0, 9}, false, 0, 0},
        {"a master that owns no group", {0, 0}, {0, 0}, false, 0, 0},
    };
    m_world.setup().adapters.push_back(m_world.setup().adapters[0]);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DisplayManager dm;
        ASSERT_TRUE(dm.init("", ""));
        DisplayChecker(&dm).check(0);
        for (int a = 0; a < 2; ++a) {
            dm.m_adapters[size_t(a)].caps.NumberOfAdaptersInGroup = c.groupSize[a];
            dm.m_adapters[size_t(a)].caps.MasterAdapterOrdinal = c.master[a];
        }
        dm.m_settings->adapterIndex = 1;
        dm.m_stereoMode = 3;
        testing::internal::CaptureStderr();
        EXPECT_EQ(dm.createWindows(testWindowClass(), nullptr), c.created);
        const std::string boxes = testing::internal::GetCapturedStderr();
        if (!c.created) {
            EXPECT_NE(boxes.find("For dualhead stereo support two monitors are required"), std::string::npos) << boxes;
            continue;
        }
        ASSERT_EQ(dm.m_heads.size(), 1u);
        EXPECT_EQ(dm.m_heads[0].adapterIndex, c.adapterIndex);
        EXPECT_EQ(dm.m_heads[0].windowCount, c.windowCount);
        EXPECT_EQ(dm.m_heads[0].windows.size(), size_t(c.windowCount));
    }
}

TEST_F(DisplayManagerRecording, ResetResizesAndShutdownDestroysTheWindows)
{
    DisplayManager dm;
    ASSERT_TRUE(start(dm));
    DisplayHead& head = dm.m_heads[0];
    dm.m_settings->width = 640;
    dm.m_settings->height = 480;
    head.presentParams[0].BackBufferWidth = 640;
    head.presentParams[0].BackBufferHeight = 480;
    EXPECT_EQ(dm.resetDevices(), D3D_OK);
    RECT client{};
    ASSERT_TRUE(GetClientRect(head.windows[0], &client));
    EXPECT_EQ(client.right, 640);
    EXPECT_EQ(client.bottom, 480);
    EXPECT_EQ(head.device->presentParameters().BackBufferWidth, 640u);

    const HWND window = head.windows[0];
    dm.hideWindows();
    dm.shutdown();
    EXPECT_FALSE(windowIsLive(window));
    EXPECT_TRUE(dm.m_heads.empty());
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) << "the pump took WM_QUIT too";
}

} // namespace

namespace {

// The program's checker relies on the hooks' order and on the adapter the
// settings name, wrapped into range.
class OrderChecker : public DisplayChecker {
public:
    using DisplayChecker::DisplayChecker;
    std::string order;
    int adapterSeen = -1;

protected:
    bool enumerateModes(int adapter) override
    {
        order += "modes ";
        adapterSeen = adapter;
        return DisplayChecker::enumerateModes(adapter);
    }
    bool checkBackBufferFormats(int adapter) override
    {
        order += "backbuffer ";
        return DisplayChecker::checkBackBufferFormats(adapter);
    }
    bool checkMultiSampleTypes(int adapter) override
    {
        order += "multisample ";
        return DisplayChecker::checkMultiSampleTypes(adapter);
    }
    bool checkDepthStencilFormats(int adapter) override
    {
        order += "depth";
        return DisplayChecker::checkDepthStencilFormats(adapter);
    }
};

TEST_F(DisplayManagerRecording, CheckerHooksRunInOrderOnTheSettingsAdapter)
{
    m_world.setup().adapters.push_back(m_world.setup().adapters[0]);
    DisplayManager dm;
    ASSERT_TRUE(dm.init("", ""));
    dm.m_settings->adapterIndex = 3;
    OrderChecker checker(&dm);
    EXPECT_TRUE(checker.check(0));
    EXPECT_EQ(checker.order, "modes backbuffer multisample depth");
    EXPECT_EQ(checker.adapterSeen, 1);
    EXPECT_FALSE(dm.m_adapters[1].depthStencilFormats.empty());
    EXPECT_TRUE(dm.m_adapters[0].depthStencilFormats.empty());
}

TEST_F(DisplayManagerRecording, FullScreenDevicesTakeTheSettingsSize)
{
    DisplayManager dm;
    ASSERT_TRUE(dm.init("", ""));
    DisplayChecker(&dm).check(0);
    ASSERT_TRUE(dm.createWindows(testWindowClass(), nullptr));
    const D3DPRESENT_PARAMETERS& pp = dm.m_heads[0].presentParams[0];
    EXPECT_EQ(pp.Windowed, FALSE);
    EXPECT_EQ(pp.BackBufferWidth, 1024u);
    EXPECT_EQ(pp.BackBufferHeight, 768u);
    EXPECT_EQ(pp.BackBufferCount, 2u);
    EXPECT_EQ(pp.BackBufferFormat, D3DFMT_X8R8G8B8) << "an unknown format becomes the display's";
    RECT client{};
    ASSERT_TRUE(GetClientRect(dm.m_heads[0].windows[0], &client));
    EXPECT_EQ(client.right, 960) << "windows open at the window size";
    EXPECT_EQ(client.bottom, 720);
}

} // namespace

namespace {

TEST(DisplayManagerGl, AdaptersComeFromTheDisplays)
{
    selectD3D9Backend(D3D9Backend::Gl);
    DEVMODEA desktop{};
    desktop.dmSize = sizeof(desktop);
    DisplayManager dm;
    testing::internal::CaptureStderr();
    const bool ok = dm.init("", "");
    testing::internal::GetCapturedStderr();
    selectD3D9Backend(D3D9Backend::Default);
    REQUIRE_GL(ok, "the display manager did not start");
    REQUIRE_GL(EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &desktop), "no desktop display mode");
    ASSERT_GE(dm.m_adapterCount, 1);
    const AdapterInfo& a = dm.m_adapters[0];
    EXPECT_GE(a.modeCount, 1) << "a virtual display still has its one mode";
    EXPECT_EQ(a.currentMode.Width, desktop.dmPelsWidth);
    EXPECT_EQ(a.currentMode.Height, desktop.dmPelsHeight);
    EXPECT_EQ(a.currentMode.Format, D3DFMT_X8R8G8B8);
    EXPECT_NE(a.monitor, nullptr);
    EXPECT_TRUE(a.caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT);
    EXPECT_EQ(std::string(a.identifier.Driver), "vorlund-gl");
}

} // namespace
