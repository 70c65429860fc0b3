#include "engine/core/render/LoadingScreen.h"

#include "engine/core/display/DisplayManager.h"
#include "engine/core/render/Renderer.h"
#include "engine/core/texture/Texture.h"
#include "platform/d3d9/D3D9States.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/Direct3DSurface9.h"
#include "platform/d3d9/Direct3DTexture9.h"
#include "platform/win/MessageQueue.h"

#include <algorithm>
#include <cmath>

namespace {

// Corners given straight in clip space, drawn through identity transforms
// with lighting off, so the quads need nothing of the scene's state and
// cover whatever back buffer size the device has.
struct QuadVertex {
    float x, y, z;
    D3DCOLOR colour;
    float u, v;
};
constexpr DWORD quadFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// In dual-head stereo each eye's quads move apart by these fractions of the
// screen, the picture's left and right edges by the first pair and the bar's
// by the second, so the loading screen floats just in front of the display.
constexpr float pictureParallax[2] = {0.007f, 0.006f};
constexpr float barParallax[2] = {0.005f, 0.004f};

} // namespace

LoadingScreen::LoadingScreen(Renderer* renderer, DisplayManager* displayManager, Texture* picture)
    : m_renderer(renderer), m_displayManager(displayManager), m_picture(picture)
{
}

void LoadingScreen::pumpMessages()
{
    MSG msg {};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0)
            throw LoadingAbortedException();
        // An error from the queue is not a message: stop pumping rather than
        // spin on it.
        if (got < 0)
            break;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void LoadingScreen::renderFrame(float progress)
{
    pumpMessages();
    m_progress = std::isfinite(progress) ? std::clamp(progress, 0.0f, 1.0f) : 0.0f;

    const bool stereo = m_displayManager && m_displayManager->m_stereoMode == 3;
    int heads = stereo ? 2 : 1;
    if (m_displayManager)
        heads = std::min<int>(heads, int(m_displayManager->m_heads.size()));
    for (int head = 0; head < heads; ++head) {
        IDirect3DDevice9* device = m_displayManager ? m_displayManager->m_heads[size_t(head)].device
                                                    : (m_renderer ? m_renderer->m_device : nullptr);
        if (!device)
            continue;
        IDirect3DSurface9* backBuffer = nullptr;
        if (SUCCEEDED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer))) {
            device->SetRenderTarget(0, backBuffer);
            backBuffer->Release();
        }
        device->SetRenderState(D3DRS_ZENABLE, FALSE);
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 0.0f, 0);

        const float sign = stereo ? (head == 0 ? 1.0f : -1.0f) : 0.0f;
        Rect picture = pictureRect;
        picture.left += sign * pictureParallax[0];
        picture.right += sign * pictureParallax[1];
        drawQuad(device, m_picture, picture);
        drawBar(device, m_progress, sign);
        device->Present(nullptr, nullptr, nullptr, nullptr);
    }
}

void LoadingScreen::drawQuad(IDirect3DDevice9* device, Texture* texture, const Rect& rect)
{
    device->SetTexture(0, texture ? texture->getD3DTexture(0.0) : nullptr);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_ANISOTROPIC);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetTexture(1, nullptr);
    drawStrip(device, rect, 0xFFFFFFFF);
    device->SetTexture(0, nullptr);
}

void LoadingScreen::drawBar(IDirect3DDevice9* device, float progress, float parallax)
{
    Rect bar = barRect;
    bar.right = bar.left + (bar.right - bar.left) * progress;
    bar.left += parallax * barParallax[0];
    bar.right += parallax * barParallax[1];
    if (!(bar.right > bar.left))
        return;
    device->SetTexture(0, nullptr);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetTexture(1, nullptr);
    drawStrip(device, bar, 0xFFFFFFFF);
}

void LoadingScreen::drawStrip(IDirect3DDevice9* device, const Rect& rect, uint32_t colour)
{
    const float x0 = rect.left * 2.0f - 1.0f;
    const float x1 = rect.right * 2.0f - 1.0f;
    const float y0 = 1.0f - rect.top * 2.0f;
    const float y1 = 1.0f - rect.bottom * 2.0f;
    const QuadVertex strip[4] = {
        {x0, y0, 0.0f, colour, 0.0f, 0.0f},
        {x1, y0, 0.0f, colour, 1.0f, 0.0f},
        {x0, y1, 0.0f, colour, 0.0f, 1.0f},
        {x1, y1, 0.0f, colour, 1.0f, 1.0f},
    };
    D3DMATRIX identity {};
    identity._11 = identity._22 = identity._33 = identity._44 = 1.0f;
    device->SetTransform(D3DTS_WORLD, &identity);
    device->SetTransform(D3DTS_VIEW, &identity);
    device->SetTransform(D3DTS_PROJECTION, &identity);
    // The passes keep the cull mode they last set; lighting and culling go
    // back to what they were so that nothing after the loading frame is
    // surprised. The transforms are set anew by every scene frame.
    DWORD lighting = TRUE, cullMode = D3DCULL_CCW;
    device->GetRenderState(D3DRS_LIGHTING, &lighting);
    device->GetRenderState(D3DRS_CULLMODE, &cullMode);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetFVF(quadFvf);
    device->BeginScene();
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, strip, sizeof(QuadVertex));
    device->EndScene();
    device->SetRenderState(D3DRS_LIGHTING, lighting);
    device->SetRenderState(D3DRS_CULLMODE, cullMode);
}
