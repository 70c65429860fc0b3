// The loading screen drawn by CEGUI's GL renderer over our device, read back
// from the device's back buffer: the bar's fill follows the progress, and the
// device draws correctly before and after the GUI in the same frame.
#include "game/app/Application.h"

#include "engine/core/archive/ArchiveFile.h"
#include "engine/core/io/DiskFile.h"
#include "engine/core/render/Renderer.h"
#include "game/app/Gui.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/gui/GuiRenderer.h"
#include "support/DeviceReadBack.h"
#include "support/PlayerFolderRig.h"
#include "support/RendererRig.h"
#include "support/ScopedWorkingDirectory.h"

#include <CEGUI/GUIContext.h>
#include <CEGUI/MouseCursor.h>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;

struct ScreenVertex {
    float x, y, z, rhw;
    D3DCOLOR diffuse;
};

void drawRect(IDirect3DDevice9* d, float left, float top, float right, float bottom, D3DCOLOR colour)
{
    const ScreenVertex quad[4] = {{left - 0.5f, top - 0.5f, 0.5f, 1, colour},
                                  {right - 0.5f, top - 0.5f, 0.5f, 1, colour},
                                  {left - 0.5f, bottom - 0.5f, 0.5f, 1, colour},
                                  {right - 0.5f, bottom - 0.5f, 0.5f, 1, colour}};
    d->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
    d->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ScreenVertex));
}

bool isFill(D3DCOLOR c)
{
    const int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
    return r > 200 && g > 80 && g < 230 && b < 120;
}

class LoadingScreenDraw : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string archive = std::string(std::getenv("VORLUND_BINARY_DIR")) + "/bin/data.sar";
        DiskFile disk("");
        ASSERT_TRUE(m_archive.mount(disk, archive.c_str())) << archive;
        ASSERT_TRUE(m_rig.start(kWidth, kHeight)) << "no display";
        m_app = std::make_unique<Application>(m_rig.renderer.get());
        ASSERT_TRUE(m_app->init(&m_archive));
        ASSERT_TRUE(m_app->m_guiRenderer->drawsPixels());
    }
    void TearDown() override { m_app.reset(); }

    // Pixels of the bar's middle row that show its fill.
    int fillWidth()
    {
        const int row = int(kHeight * 0.9f);
        int count = 0;
        for (D3DCOLOR c : readBackBuffer(m_rig.device(), RECT{0, row, kWidth, row + 1}))
            count += isFill(c);
        return count;
    }

    ScopedWorkingDirectory m_folder{"loading-draw"};
    PlayerFolderRig m_playerFolder;
    ArchiveFile m_archive;
    RendererRig m_rig;
    std::unique_ptr<Application> m_app;
};

TEST_F(LoadingScreenDraw, TheBarsFillGrowsWithTheProgress)
{
    // The fill area is the bar (0.1 to 0.9 of the width) less a 3-pixel rim.
    const float area = kWidth * 0.8f - 6.0f;
    m_app->openLoadingScreen("", 0.25f, 0.0f, 1.0f);
    const int quarter = fillWidth();
    m_app->setLoadingProgress(0.75f);
    const int threeQuarters = fillWidth();
    EXPECT_NEAR(quarter, 0.25f * area, 4.0f);
    EXPECT_NEAR(threeQuarters, 0.75f * area, 4.0f);
    // The picture behind the bar: neither the clear colour nor the fill.
    const D3DCOLOR sky = readBackBufferPixel(m_rig.device(), kWidth / 2, 10);
    EXPECT_NE(sky & 0xFFFFFF, 0u);
    EXPECT_FALSE(isFill(sky));
}

TEST_F(LoadingScreenDraw, TheDeviceDrawsAsBeforeAroundTheGui)
{
    IDirect3DDevice9* d = m_rig.device();
    Renderer& renderer = *m_rig.renderer;
    struct Case {
        const char* name;
        bool loadingScreen;
    };
    for (const Case c : {Case{"over the loading screen", true}, Case{"over an empty GUI", false}}) {
        SCOPED_TRACE(c.name);
        if (c.loadingScreen)
            m_app->openLoadingScreen("", 0.5f, 0.0f, 1.0f);
        else
            m_app->closeLoadingScreen();
        gui::context().getMouseCursor().hide();
        d->BeginScene();
        renderer.restoreRenderTarget();
        renderer.restoreDepthStencil();
        d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FF, 1.0f, 0);
        drawRect(d, 10, 10, 100, 100, 0xFFFF0000);
        m_app->m_guiRenderer->render();
        drawRect(d, 200, 10, 300, 100, 0xFF00FF00);
        d->EndScene();
        d->Present(nullptr, nullptr, nullptr, nullptr);

        EXPECT_EQ(readBackBufferPixel(d, 250, 50) & 0xFFFFFF, 0x00FF00u);
        if (c.loadingScreen) {
            // The loading screen's picture covers what the device drew first.
            EXPECT_NE(readBackBufferPixel(d, 50, 50) & 0xFFFFFF, 0xFF0000u);
            EXPECT_NE(readBackBufferPixel(d, 150, 150) & 0xFFFFFF, 0x0000FFu);
        } else {
            EXPECT_EQ(readBackBufferPixel(d, 50, 50) & 0xFFFFFF, 0xFF0000u);
            EXPECT_EQ(readBackBufferPixel(d, 150, 150) & 0xFFFFFF, 0x0000FFu);
        }
    }
}

} // namespace
