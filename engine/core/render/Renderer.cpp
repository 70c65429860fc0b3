#include "engine/core/render/Renderer.h"

#include "engine/core/display/DisplayManager.h"
#include "engine/core/base/Format.h"
#include "engine/core/display/FormatRequirements.h"
#include "engine/core/render/FixedFunctionPass.h"
#include "engine/core/base/Report.h"
#include "engine/core/display/ScreenTarget.h"
#include "engine/core/render/ShaderFloatParams.h"
#include "engine/core/render/ShaderIntParams.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/Direct3DSurface9.h"
#include "platform/win/Window.h"

#include <algorithm>
#include <cmath>

namespace {

void releaseSurface(IDirect3DSurface9*& surface)
{
    if (surface)
        surface->Release();
    surface = nullptr;
}

ByteBuffer profileName(const char* prefix, DWORD version)
{
    return formatText("%s_%u_%u", prefix, unsigned((version >> 8) & 0xFF), unsigned(version & 0xFF));
}

} // namespace

Renderer::Renderer(DisplayManager* displayManager) : m_displayManager(displayManager), m_textureProfile("tx_1_0")
{
    const DisplayHead& head = m_displayManager->m_heads.at(0);
    m_shaderIntParams = std::make_unique<ShaderIntParams>(this);
    m_shaderFloatParams = std::make_unique<ShaderFloatParams>(this);
    m_device = head.device;
    const EngineSettings& s = *m_displayManager->m_settings;
    m_fixedFunction = s.fixedFunction;

    chooseRenderTargetFormats();
    readCaps();

    m_windowed = s.windowed;
    if (s.windowed) {
        RECT client{};
        GetClientRect(head.windows.at(0), &client);
        m_baseWidth = client.right - client.left;
        m_baseHeight = client.bottom - client.top;
    } else {
        m_baseWidth = s.width;
        m_baseHeight = s.height;
    }
    m_width = m_baseWidth;
    m_height = m_baseHeight;
    setViewportRect(0, 0, m_width, m_height, m_height > 0 ? float(m_width) / float(m_height) : 1.0f);

    m_screenTargets[0] = std::make_unique<ScreenTarget>(this);
    m_screenTargets[1] = std::make_unique<ScreenTarget>(this);
    createPasses();
    onResetDevice();
}

Renderer::~Renderer()
{
    releaseSurface(m_offscreenDepthSurface);
    releaseSurface(m_deviceDepthSurface);
    // The members go in reverse order: passes, targets, then the tables.
}

void Renderer::chooseRenderTargetFormats()
{
    const AdapterInfo& adapter = *m_displayManager->m_heads.at(0).adapter;

    FormatRequirements colour;
    colour.m_min[1] = colour.m_min[2] = colour.m_min[3] = formatChannel(5);
    for (uint32_t& field : colour.m_preferred)
        field = formatChannel(8);
    for (uint32_t& field : colour.m_max)
        field = formatChannel(32, FormatFloat, 2);
    colour.m_requiredFlags = 0;
    colour.m_allowedFlags = FormatClassDisplay;
    colour.avoid(FormatClassFloat);
    const FormatDescription* rtdesc = colour.choose(adapter.renderTargetFormats);
    ENGINE_ASSERT(rtdesc != 0 && "device does not support render to texture?");
    m_renderTargetFormats[0] = rtdesc ? rtdesc->format : D3DFMT_UNKNOWN;

    FormatRequirements depth;
    depth.m_min[1] = formatChannel(15);
    depth.m_preferred[1] = formatChannel(32, FormatFloat);
    for (uint32_t& field : depth.m_max)
        field = formatChannel(32, FormatFloat, 2);
    depth.m_requiredFlags = FormatClassDepth;
    depth.m_allowedFlags = FormatClassDisplay | FormatClassDepth | FormatClassDiscardable;
    depth.m_preferredFlags.push_back(int32_t(FormatClassDiscardable));
    const FormatDescription* depthDesc = depth.choose(adapter.renderTargetFormats);
    m_renderTargetFormats[1] = depthDesc ? depthDesc->format : D3DFMT_UNKNOWN;
}

void Renderer::readCaps()
{
    const EngineSettings& s = *m_displayManager->m_settings;
    m_device->SetSoftwareVertexProcessing(FALSE);
    m_device->GetDeviceCaps(&m_caps);
    m_hardwareVertexShaders = (m_caps.VertexShaderVersion & 0xFFFF) >= 0x101 && !s.softwareVertexProcessing ? 1 : 0;
    m_pixelShaders = (m_caps.PixelShaderVersion & 0xFFFF) >= 0x101 ? 1 : 0;
    m_stageCount = int32_t(std::clamp<DWORD>(m_caps.MaxTextureBlendStages, 1, 8));
    if (!m_hardwareVertexShaders) {
        m_device->SetSoftwareVertexProcessing(TRUE);
        m_device->GetDeviceCaps(&m_softwareCaps);
    }
    const DWORD vertexVersion = std::min<DWORD>(m_caps.VertexShaderVersion & 0xFFFF, 0x200);
    const DWORD pixelVersion = std::min<DWORD>(m_caps.PixelShaderVersion & 0xFFFF, 0x200);
    const bool reference = m_displayManager->m_heads.at(0).deviceType == 2;
    m_vertexProfile = !reference && m_hardwareVertexShaders ? profileName("vs", vertexVersion) : ByteBuffer("vs_2_sw");
    m_pixelProfile = !reference && m_pixelShaders ? profileName("ps", pixelVersion) : ByteBuffer("ps_2_sw");
}

void Renderer::createPasses()
{
    if (m_fixedFunction) {
        m_mainPass = std::make_unique<FixedFunctionPass>(this);
        m_secondPass = std::make_unique<StatePass>(this);
    } else {
        m_mainPass = std::make_unique<MaterialShaderPass>(this);
        m_secondPass = std::make_unique<ShaderPass>(this);
        m_noDepthPass = std::make_unique<NoDepthShaderPass>(this);
    }
    // The opaque slot redraws depth under mirrors in both settings.
    m_opaquePass = std::make_unique<OpaqueShaderPass>(this);
}

void Renderer::setEffectCompiler(ID3DXEffectCompiler* compiler)
{
    for (ShaderPass* pass : {m_mainPass.get(), m_secondPass.get(), m_noDepthPass.get(), m_opaquePass.get()})
        if (pass)
            pass->setCompiler(compiler);
}

void Renderer::setResolution(int32_t width, int32_t height, uint8_t windowed)
{
    m_baseWidth = m_width = width;
    m_baseHeight = m_height = height;
    m_windowed = windowed;
    m_resetRequested = 1;
}

bool Renderer::takeResetRequest()
{
    const bool requested = m_resetRequested != 0;
    m_resetRequested = 0;
    return requested;
}

void Renderer::onLostDevice()
{
    releaseSurface(m_offscreenDepthSurface);
    releaseSurface(m_deviceDepthSurface);
}

void Renderer::onResetDevice()
{
    m_device->GetDepthStencilSurface(&m_deviceDepthSurface);
    m_device->CreateDepthStencilSurface(1024, 1024, D3DFMT_D24S8, D3DMULTISAMPLE_NONE, 0, TRUE,
                                        &m_offscreenDepthSurface, nullptr);
}

void Renderer::restoreRenderTarget()
{
    m_width = m_baseWidth;
    m_height = m_baseHeight;
    const UINT swapChain = m_displayManager->m_stereoMode == 3 ? 1 : 0;
    IDirect3DSurface9* backBuffer = nullptr;
    if (SUCCEEDED(m_device->GetBackBuffer(swapChain, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer))) {
        m_device->SetRenderTarget(0, backBuffer);
        backBuffer->Release();
    }
}

void Renderer::restoreDepthStencil()
{
    m_device->SetDepthStencilSurface(m_deviceDepthSurface);
}

void Renderer::setViewport(int32_t x, int32_t y, int32_t width, int32_t height, float minZ, float maxZ)
{
    const D3DVIEWPORT9 viewport{DWORD(x), DWORD(y), DWORD(width), DWORD(height), minZ, maxZ};
    m_device->SetViewport(&viewport);
}

void Renderer::setViewportRect(int32_t x, int32_t y, int32_t width, int32_t height, float aspect)
{
    m_viewportX = x;
    m_viewportY = y;
    m_width = width;
    m_height = height;
    m_fovX = float(std::atan(double(aspect) / 3.2) * 114.59155902616465);
    m_fovY = float(std::atan(1.0 / 3.2) * 114.59155902616465);
}

void Renderer::setGamma(float gamma, float brightness, float contrast)
{
    D3DGAMMARAMP ramp{};
    for (int i = 0; i < 256; ++i) {
        const double v = std::pow(i / 255.0, 1.0 / double(gamma)) * (double(contrast) + 0.5) * 65535.0
                         + (double(brightness) - 0.5) * 32768.0 - double(contrast) * 32768.0 + 16384.0;
        // Clamped before the conversion, which is undefined outside the
        // integer range; a NaN from a nonsense gamma lands on 0.
        const double clamped = v >= 0.0 ? std::min(v, 65535.0) : 0.0;
        const WORD entry = WORD(int32_t(clamped));
        ramp.red[i] = ramp.green[i] = ramp.blue[i] = entry;
    }
    m_device->SetGammaRamp(0, D3DSGR_CALIBRATE, &ramp);
}
