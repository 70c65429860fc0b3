#include "engine/core/display/DisplayManager.h"
#include "engine/core/texture/FileTexture.h"
#include "engine/core/render/LoadingScreen.h"
#include "engine/core/render/Renderer.h"
#include "engine/core/base/Report.h"
#include "platform/d3d9/D3D9Backend.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/RecordingBackend.h"
#include "platform/win/MessageQueue.h"
#include "support/DeviceReadBack.h"
#include "support/GlRequirement.h"
#include "support/GlWorld.h"
#include "support/RecordingWorld.h"
#include "support/RendererRig.h"
#include "tools/lib/ImageWriters.h"
#include "tools/lib/MemoryFileSystem.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Red, green / blue, white quadrants, top row first.
std::vector<uint8_t> quadrantPicture(int side)
{
    std::vector<uint32_t> pixels;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            pixels.push_back(y < side / 2 ? (x < side / 2 ? 0xFF0000 : 0x00FF00)
                                          : (x < side / 2 ? 0x0000FF : 0xFFFFFF));
    BmpLayout layout;
    layout.width = side;
    layout.height = side;
    return writeBmp(layout, {}, pixels);
}

size_t countCalls(const RecordingBackend& backend, const char* prefix)
{
    return size_t(std::count_if(backend.calls().begin(), backend.calls().end(),
                                [&](const std::string& call) { return call.rfind(prefix, 0) == 0; }));
}

class LoadingScreenRecording : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_rig.start(64, 48));
        drainWindowMessages();
        m_backend = static_cast<RecordingBackend*>(&m_rig.device()->backend());
        m_backend->clearCalls();
    }
    void TearDown() override { drainWindowMessages(); }

    RecordingWorld m_world;
    RendererRig m_rig;
    RecordingBackend* m_backend = nullptr;
};

TEST_F(LoadingScreenRecording, QuitBeforeAStepAbortsWithoutDrawing)
{
    LoadingScreen screen(m_rig.renderer.get(), m_rig.displayManager.get(), nullptr);
    PostQuitMessage(0);
    EXPECT_THROW(screen.renderFrame(0.5f), LoadingAbortedException);
    EXPECT_EQ(countCalls(*m_backend, "clear"), 0u);
    EXPECT_EQ(countCalls(*m_backend, "draw"), 0u);
    EXPECT_EQ(countCalls(*m_backend, "present"), 0u);
}

TEST_F(LoadingScreenRecording, PendingMessagesAreHandledAndTheFrameDrawn)
{
    LoadingScreen screen(m_rig.renderer.get(), m_rig.displayManager.get(), nullptr);
    postWindowMessage(m_rig.displayManager->m_heads[0].windows[0], WM_MOUSEMOVE, 0, 0);
    screen.renderFrame(0.5f);
    MSG msg {};
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) << "the queue is empty afterwards";
    EXPECT_EQ(countCalls(*m_backend, "clear"), 1u);
    EXPECT_EQ(countCalls(*m_backend, "draw"), 2u) << "the picture and the bar";
    EXPECT_EQ(countCalls(*m_backend, "present"), 1u);
    EXPECT_EQ(m_backend->calls().back().rfind("present", 0), 0u) << "presenting ends the frame";

    // At no progress the bar has nothing to draw; progress past the end is
    // the whole bar.
    m_backend->clearCalls();
    screen.renderFrame(0.0f);
    EXPECT_EQ(countCalls(*m_backend, "draw"), 1u);
    screen.renderFrame(7.0f);
    EXPECT_FLOAT_EQ(screen.m_progress, 1.0f);
}

// The picture drawn on the GL backend and read back from the back buffer.
class LoadingScreenGl : public ::testing::Test {
protected:
    GlWorld m_world;
};

TEST_F(LoadingScreenGl, PictureTexelsReachTheScreen)
{
    RendererRig rig;
    testing::internal::CaptureStderr();
    const bool started = rig.start(128, 128);
    const std::string boxes = testing::internal::GetCapturedStderr();
    REQUIRE_GL(started, boxes);
    drainWindowMessages();
    MemoryFileSystem files;
    files.addFile("x\\loading.bmp", quadrantPicture(16));
    {
        FileTexture picture(rig.renderer.get());
        ASSERT_TRUE(picture.load(&files, "x\\loading.bmp", 0));
        picture.create();
        ASSERT_NE(picture.getFirstTexture(), nullptr);
        LoadingScreen screen(rig.renderer.get(), rig.displayManager.get(), &picture);
        screen.renderFrame(0.5f);
        IDirect3DDevice9* device = rig.device();
        EXPECT_EQ(readBackBufferPixel(device, 32, 32), 0xFFFF0000u);
        EXPECT_EQ(readBackBufferPixel(device, 96, 32), 0xFF00FF00u);
        EXPECT_EQ(readBackBufferPixel(device, 32, 96), 0xFF0000FFu);
        EXPECT_EQ(readBackBufferPixel(device, 96, 100), 0xFFFFFFFFu);
        // The bar, half full, over the bottom of the picture.
        EXPECT_EQ(readBackBufferPixel(device, 20, 117), 0xFFFFFFFFu);
        EXPECT_EQ(readBackBufferPixel(device, 60, 117), 0xFFFFFFFFu) << "in the blue quadrant, under the bar";
        EXPECT_EQ(readBackBufferPixel(device, 70, 117), 0xFFFFFFFFu) << "the white quadrant";
        EXPECT_EQ(readBackBufferPixel(device, 40, 110), 0xFF0000FFu) << "above the bar";
    }
    EXPECT_STREQ(lastErrorText.c_str(), "");
}

} // namespace
