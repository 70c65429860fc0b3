// lwsview: shows a LightWave scene as the engine loads and draws it, from
// the scene's camera, and can write one frame to a BMP file.
//   lwsview SCENE.lws [--archive FILE.sar] [--frames N] [--shot OUT.bmp]
// Without --frames it runs until the window is closed (one frame with
// --shot). Files are read from the archive when one is given, else from the
// scene's folder and the working folder.
#include "engine/core/archive/ArchiveFile.h"
#include "engine/core/io/DiskFile.h"
#include "engine/core/display/DisplayChecker.h"
#include "engine/core/display/DisplayManager.h"
#include "engine/core/display/EngineSettings.h"
#include "engine/core/render/Renderer.h"
#include "engine/core/base/Report.h"
#include "engine/scene/Camera.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "platform/d3d9/DeviceBackend.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/Direct3DSurface9.h"
#include "platform/win/MessageQueue.h"
#include "platform/win/SdlVideo.h"
#include "platform/win/Window.h"
#include "tools/lib/ImageWriters.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

struct Options {
    std::string scene;
    std::string archive;
    std::string shot;
    long frames = -1;
};

int usage()
{
    std::fprintf(stderr, "usage: lwsview SCENE.lws [--archive FILE.sar] [--frames N] [--shot OUT.bmp]\n");
    return 2;
}

bool parse(int argc, char** argv, Options& o)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--archive" && hasValue) {
            o.archive = argv[++i];
        } else if (a == "--shot" && hasValue) {
            o.shot = argv[++i];
        } else if (a == "--frames" && hasValue) {
            char* end = nullptr;
            o.frames = std::strtol(argv[++i], &end, 10);
            if (!end || *end || o.frames < 1 || o.frames > 1000000)
                return false;
        } else if (!a.empty() && a[0] != '-' && o.scene.empty()) {
            o.scene = a;
        } else {
            return false;
        }
    }
    return !o.scene.empty();
}

bool quitRequested = false;

// Closing the window, Ctrl+C and SIGTERM (which the window layer turns into
// a close of every window) all end the run.
LRESULT procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE || message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

const char* windowClass()
{
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = procedure;
    wc.lpszClassName = "VorlundSceneView";
    RegisterClassExA(&wc);
    return "VorlundSceneView";
}

void pumpMessages()
{
    MSG msg{};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quitRequested = true;
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Why a scene did not load, in the words of the loaders' reports where they
// gave one.
std::string loadFailure(bool found)
{
    if (!found)
        return "no such file";
    std::string reason = lastErrorText.size > 1 ? lastErrorText.c_str() : "";
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == ' '))
        reason.pop_back();
    if (!reason.empty())
        return reason;
    return "it is empty, damaged or not a LightWave scene";
}

bool writeShot(IDirect3DDevice9* device, const std::string& path)
{
    IDirect3DSurface9* backBuffer = nullptr;
    if (FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer)))
        return false;
    std::vector<D3DCOLOR> pixels;
    const bool read = device->backend().readPixels(backBuffer->storage(), RECT{0, 0, kWidth, kHeight}, pixels);
    backBuffer->Release();
    if (!read || pixels.size() != size_t(kWidth) * kHeight)
        return false;
    BmpLayout layout;
    layout.width = kWidth;
    layout.height = kHeight;
    std::vector<uint32_t> colours(pixels.begin(), pixels.end());
    for (uint32_t& c : colours)
        c &= 0xFFFFFFu;
    const std::vector<uint8_t> file = writeBmp(layout, {}, colours);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
    return bool(out);
}

} // namespace

int main(int argc, char** argv)
{
    // Ctrl+C or SIGTERM at any time, even before the window is up, ends the
    // run through the window's close.
    holdCloseRequests();
    Options o;
    if (!parse(argc, argv, o))
        return usage();
    long frames = o.frames > 0 ? o.frames : (o.shot.empty() ? -1 : 1);

    // The scene's folder joins the search path, so that the objects it
    // names are found beside it.
    std::string folder = ".";
    std::string fileName = o.scene;
    if (const size_t slash = o.scene.find_last_of('/'); slash != std::string::npos) {
        folder = o.scene.substr(0, slash);
        fileName = o.scene.substr(slash + 1);
    }
    DiskFile disk((folder + "\\;.\\").c_str());
    ArchiveFile archive;
    Stream* files = &disk;
    if (!o.archive.empty()) {
        DiskFile here(".\\");
        if (!archive.mount(here, o.archive.c_str())) {
            std::fprintf(stderr, "lwsview: cannot open the archive %s\n", o.archive.c_str());
            return 1;
        }
        files = &archive;
        fileName = o.scene;
    }

    auto displays = std::make_unique<DisplayManager>();
    if (!displays->init("", "")) {
        std::fprintf(stderr, "lwsview: no display: %s\n", sdlVideoProblem().c_str());
        return 1;
    }
    DisplayChecker(displays.get()).check(0);
    EngineSettings& settings = *displays->m_settings;
    settings.width = settings.windowWidth = kWidth;
    settings.height = settings.windowHeight = kHeight;
    settings.windowed = 1;
    settings.fixedFunction = 1;
    displays->setTitle("lwsview");
    if (!displays->createWindows(windowClass(), nullptr)) {
        std::fprintf(stderr, "lwsview: no window\n");
        return 1;
    }
    int status = 0;
    {
        auto renderer = std::make_unique<Renderer>(displays.get());
        auto manager = std::make_unique<SceneManager>(renderer.get(), "lwsview");
        Scene* scene = manager->loadScene(fileName);
        // The loaders' reports become text to print rather than boxes.
        reportLevel = ReportAssertion;
        reportToText = 1;
        lastErrorText.assignCString("");
        if (!scene->loadLWS(files, fileName, nullptr, 0.0f, 1.0f)) {
            const bool found = o.archive.empty() ? std::filesystem::is_regular_file(o.scene)
                                                 : archive.exists(fileName.c_str());
            std::fprintf(stderr, "lwsview: cannot load %s: %s\n", o.scene.c_str(), loadFailure(found).c_str());
            status = 1;
        } else if (!scene->m_currentCamera && scene->m_cameras.empty()) {
            std::fprintf(stderr, "lwsview: %s has no camera\n", o.scene.c_str());
            status = 1;
        } else {
            manager->prepare(nullptr);
            Camera* camera = scene->m_currentCamera ? scene->m_currentCamera : scene->m_cameras.back();
            IDirect3DDevice9* device = renderer->m_device;
            const double fps = scene->m_framesPerSecond > 0.0 ? scene->m_framesPerSecond : 30.0;
            for (long frame = 0; (frames < 0 || frame < frames) && !quitRequested && device; ++frame) {
                const double time = (scene->m_firstFrame + double(frame)) / fps;
                const float* b = scene->m_backdropColor;
                auto channel = [](float v) { return DWORD(v <= 0.0f ? 0 : v >= 1.0f ? 255 : v * 255.0f + 0.5f); };
                const D3DCOLOR backdrop = 0xFF000000u | channel(b[0]) << 16 | channel(b[1]) << 8 | channel(b[2]);
                device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, backdrop, 1.0f, 0);
                device->BeginScene();
                scene->render(time, camera);
                device->EndScene();
                const bool last = frames > 0 && frame + 1 == frames;
                if (last && !o.shot.empty() && !writeShot(device, o.shot)) {
                    std::fprintf(stderr, "lwsview: cannot write %s\n", o.shot.c_str());
                    status = 1;
                }
                device->Present(nullptr, nullptr, nullptr, nullptr);
                pumpMessages();
            }
        }
        manager.reset();
        renderer.reset();
    }
    displays->hideWindows();
    displays->shutdown();
    pumpMessages();
    return status;
}
