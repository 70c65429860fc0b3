#include "game/app/WinMain.h"

#include "engine/core/archive/ArchiveFile.h"
#include "engine/core/io/DiskFile.h"
#include "engine/core/display/DisplayManager.h"
#include "engine/core/base/EngineLog.h"
#include "engine/core/texture/FileTexture.h"
#include "engine/core/base/Profiler.h"
#include "engine/core/render/Renderer.h"
#include "engine/core/base/Report.h"
#include "game/app/Application.h"
#include "game/app/EffectSource.h"
#include "game/app/FatalError.h"
#include "game/app/MainLoop.h"
#include "game/app/Settings.h"
#include "game/app/VideoModeFit.h"
#include "game/app/VideoSettingsWrapper.h"
#include "game/app/WinInput.h"
#include "game/net/NetServer.h"
#include "platform/crash/CrashDump.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/files/PlayerFiles.h"
#include "platform/files/ProgramFolder.h"
#include "platform/firewall/FirewallHelper.h"
#include "platform/time/Time.h"
#include "platform/win/Cursor.h"
#include "platform/win/MessageBox.h"
#include "platform/win/SdlVideo.h"
#include "platform/win/Window.h"

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

Renderer* g_renderer = nullptr;

namespace {

// The profiling sections, in the order that gives each its index.
constexpr const char* kProfileSections[] = {
    "CompleteRenderTime", "GetCubeMapSurface", "Clear", "setStates", "SetSources", "DrawIndexedPrimitive",
    "Present", "svp switch", "getMatrix", "getInvMatrix", "renderShadowMap", "VorbisChannel::Fill",
    "ObjectSceneCollision", "CameraSceneCollision", "bones", "morphs", "setvertex",
};

constexpr const char* kWindowClass = "Quenlight";

// The loop bound to the program's renderer, display manager, application
// and input.
class GameLoop : public MainLoop {
public:
    GameLoop(DisplayManager& display, Renderer& renderer, Application& application, WinInput& input)
        : m_display(display), m_renderer(renderer), m_application(application), m_input(input),
          m_debugger(IsDebuggerPresent())
    {
    }

protected:
    bool quitRequested() override { return m_application.m_quit != 0; }
    bool takeResetRequest() override { return m_renderer.takeResetRequest(); }
    HRESULT testCooperativeLevel() override
    {
        g_renderer = &m_renderer;
        return m_renderer.m_device ? m_renderer.m_device->TestCooperativeLevel() : D3DERR_DEVICELOST;
    }
    void lostDevice() override
    {
        m_application.onLostDevice();
        m_renderer.onLostDevice();
    }
    void takeNewMode() override
    {
        EngineSettings& settings = *m_display.m_settings;
        settings.width = m_renderer.m_width;
        settings.height = m_renderer.m_height;
        settings.windowed = m_renderer.m_windowed;
        if (!m_display.m_heads.empty() && !m_display.m_heads[0].presentParams.empty()) {
            D3DPRESENT_PARAMETERS& params = m_display.m_heads[0].presentParams[0];
            params.BackBufferWidth = UINT(m_renderer.m_width);
            params.BackBufferHeight = UINT(m_renderer.m_height);
            params.Windowed = BOOL(m_renderer.m_windowed);
        }
    }
    void resetDevices() override { m_display.resetDevices(); }
    void resetDevice() override
    {
        m_renderer.onResetDevice();
        m_application.onResetDevice();
    }
    void giveInputNewMode() override { m_input.setWindowSize(m_renderer.m_width, m_renderer.m_height); }
    bool runFrame() override
    {
        // A debugger sees the fault itself. A frame that gave up with a
        // message ends the run like a failed one.
        if (m_debugger)
            return m_application.update(&m_input) && !fatalErrorReported();
        return guardedFrame([this] { return m_application.update(&m_input); }) && !fatalErrorReported();
    }
    void endFrame() override { m_input.endFrame(); }

private:
    DisplayManager& m_display;
    Renderer& m_renderer;
    Application& m_application;
    WinInput& m_input;
    bool m_debugger;
};

bool registerWindowClass(HINSTANCE instance)
{
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = mainWindowProc;
    windowClass.hInstance = instance;
    // The program has no icon resource on this platform.
    windowClass.hCursor = LoadCursorA(nullptr, IDC_CROSS);
    windowClass.lpszClassName = kWindowClass;
    return RegisterClassExA(&windowClass) != 0;
}

// Mounts the game's one data archive; without it nothing can be shown, so a
// missing or unreadable one ends the start with a message naming the file.
bool mountDataArchive(ArchiveFile& archive, Stream& disk, const std::string& path)
{
    lastErrorText.assignCString("");
    if (archive.mount(disk, path.c_str()))
        return true;
    std::string message = "The game cannot start: its data file \"" + path + "\" ";
    if (!fileExists(path)) {
        message += "is missing.";
    } else {
        // The archive reader's own report says what is wrong with it.
        std::string detail = lastErrorText.size > 1 ? lastErrorText.c_str() : "";
        if (detail.rfind("error: ", 0) == 0)
            detail.erase(0, 7);
        while (!detail.empty() && detail.back() == '\n')
            detail.pop_back();
        message += "cannot be read" + (detail.empty() ? std::string(".") : ": " + detail + ".");
    }
    reportFatalError(message);
    return false;
}

// Start-up from the archives to the end of the main loop, and the game
// half of the shut-down. False when a frame failed; `started` says whether
// start-up got as far as the main loop.
bool runGame(DisplayManager& display, HINSTANCE instance, bool& started)
{
    Renderer renderer(&display);
    g_renderer = &renderer;
    const Settings& settings = *g_settings;
    // The settings' gamma 0..1 spans ramp gammas 0.5..2.0; its default 1/3
    // gives 1.0.
    if (!display.m_settings->windowed)
        renderer.setGamma(settings.gamma * 1.5f + 0.5f, settings.brightness, settings.contrast);
    renderer.m_textureDetail = settings.textureDetail;
    renderer.m_objectDetail = settings.objectDetail;
    renderer.m_shadowDetail = settings.shadowDetail;
    std::optional<Application> application(std::in_place, &renderer, programStages());

    for (DisplayHead& head : display.m_heads)
        for (HWND window : head.windows) {
            ShowWindow(window, SW_SHOW);
            UpdateWindow(window);
        }
    HWND mainWindow = display.m_heads.empty() || display.m_heads[0].windows.empty() ? nullptr
                                                                                   : display.m_heads[0].windows[0];
    g_cursor = display.m_settings->windowed ? LoadCursorA(nullptr, IDC_CROSS) : nullptr;
    SetCursor(g_cursor);
    SetFocus(mainWindow);

    auto input = std::make_unique<WinInput>();
    g_input = input.get();
    input->attach(mainWindow);
    input->setWindowSize(renderer.m_width, renderer.m_height);

    // The archives lie beside the program, wherever it was started from.
    auto disk = std::make_unique<DiskFile>(".\\;..\\");
    auto archive = std::make_unique<ArchiveFile>();
    const std::string folder = programFolder();
    const bool mounted = mountDataArchive(*archive, *disk, folder + "/data.sar");
    archive->mount(*disk, (folder + "/data.s01").c_str());
    FileTexture::setDefaultFileSystem(archive.get());
    supplyEffectCompiler(renderer, *archive);

    bool frameOk = true;
    started = mounted && application->init(archive.get());
    if (started) {
        engineLog() << "entering main loop..." << std::endl;
        TIMECAPS caps{};
        if (timeGetDevCaps(&caps, sizeof(caps)) != TIMERR_NOERROR)
            caps.wPeriodMin = 1;
        timeBeginPeriod(caps.wPeriodMin);
        GameLoop loop(display, renderer, *application, *input);
        loop.run();
        frameOk = loop.m_frameOk;
        timeEndPeriod(caps.wPeriodMin);
    }

    display.hideWindows();
    g_input = nullptr;
    input.reset();
    FileTexture::setDefaultFileSystem(nullptr);
    archive.reset();
    disk.reset();
    application.reset();
    g_renderer = nullptr;
    return frameOk;
}

// Said once, before anything tries to save there: every later save fails
// quietly, as the record files' own rules have it.
void warnIfPlayerFolderUnwritable()
{
    std::string why;
    if (playerFolderWritable(why))
        return;
    const std::string message = "Settings, profiles and highscores will not be saved: the player folder \""
                                + playerFolder() + "\" cannot be written (" + why + ").";
    engineLog() << message << std::endl;
    MessageBoxA(nullptr, message.c_str(), "Vorlund", MB_OK | MB_ICONEXCLAMATION);
}

// The settings' video mode made one the display takes; a corrected mode is
// written back, so settings.xml says what the game runs at.
void fitSettingsToDisplay(Settings& settings, const DisplayManager& display)
{
    if (display.m_adapters.empty())
        return;
    const int32_t count = int32_t(display.m_adapters.size());
    const int32_t index = ((display.m_settings->adapterIndex % count) + count) % count;
    const int32_t width = settings.width;
    const int32_t height = settings.height;
    if (!fitVideoMode(settings, display.m_adapters[size_t(index)]))
        return;
    std::fprintf(stderr, "settings.xml: %s %d x %d cannot be shown on this display; using %d x %d\n",
                 settings.windowed ? "a window of" : "full screen at", width, height, settings.width,
                 settings.height);
    settings.save();
}

} // namespace

StageMakers& programStages()
{
    static StageMakers makers;
    return makers;
}

int WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    for (const char* section : kProfileSections)
        Profiler::registerSection(section);
    registerWindowClass(instance);
    // COM and the common controls have no counterpart here.
    FirewallHelper::onInstall(L"Vorlund");
    // Every copy of the game runs a relay, so any of them can host.
    auto relay = std::make_unique<NetServer>();

    warnIfPlayerFolderUnwritable();
    auto display = std::make_unique<DisplayManager>();
    auto checker = std::make_unique<VideoSettingsWrapper>(display.get());
    auto settings = std::make_unique<Settings>();
    g_settings = settings.get();
    // A missing or damaged file gives the defaults, saved at once.
    settings->loadOrReset();

    bool frameOk = true;
    bool started = false;
    const std::string problem = sdlVideoProblem();
    const std::string noDisplay =
        "The game cannot start: no display could be opened" + (problem.empty() ? "." : " (" + problem + ").");
    if (!display->init(noDisplay.c_str(), "Vorlund")) {
        noteFatalErrorShown(noDisplay);
    } else if (checker->check(0)) {
        fitSettingsToDisplay(*settings, *display);
        display->m_settings->width = settings->width;
        display->m_settings->height = settings->height;
        display->m_settings->windowed = settings->windowed;
        // The window opens at the size it will show, in a window and in
        // full screen alike.
        display->m_settings->windowWidth = settings->width;
        display->m_settings->windowHeight = settings->height;
        display->m_settings->fixedFunction = 1;
        reportLevel = 3;
        reportToText = 1;
        display->setTitle("Vorlund");
        if (display->createWindows(kWindowClass, instance))
            frameOk = runGame(*display, instance, started);
        else
            noteFatalErrorShown("Creation of Direct3D Device failed.");
    }

    display->shutdown();
    if (!frameOk)
        engineLog() << (fatalErrorReported()      ? fatalErrorMessage().c_str()
                        : lastErrorText.size > 1 ? lastErrorText.c_str()
                                                 : "loading aborted...")
                    << std::endl;
    checker.reset();
    display.reset();
    FirewallHelper::onUninstall();
    g_settings = nullptr;
    settings.reset();
    Profiler::report();
    // The relay stops last, waiting for its threads.
    relay.reset();
    // A start that never reached the main loop, a frame that failed and a
    // reported failure all end with a status a launcher or script can see.
    return started && frameOk && !fatalErrorReported() ? 0 : 1;
}
