#include "platform/d3d9/RecordingBackend.h"

#include <cstdarg>
#include <cstdio>

void RecordingBackend::log(const char* format, ...)
{
    char line[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof(line), format, args);
    va_end(args);
    m_calls.emplace_back(line);
}

HRESULT RecordingBackend::configure(const D3DPRESENT_PARAMETERS& params, HWND window)
{
    log("configure %ux%u format %u windowed %d multisample %u/%u", params.BackBufferWidth, params.BackBufferHeight,
        unsigned(params.BackBufferFormat), params.Windowed, unsigned(params.MultiSampleType),
        unsigned(params.MultiSampleQuality));
    return D3D_OK;
}

uint32_t RecordingBackend::createSurface(const D3DSURFACE_DESC& desc, int samples)
{
    const uint32_t storage = m_nextStorage++;
    Surface& surface = m_surfaces[storage];
    surface.desc = desc;
    if (!(desc.Usage & D3DUSAGE_DEPTHSTENCIL))
        surface.pixels.assign(size_t(desc.Width) * desc.Height, 0);
    log("createSurface %u %ux%u format %u samples %d", storage, desc.Width, desc.Height, unsigned(desc.Format),
        samples);
    return storage;
}

void RecordingBackend::destroySurface(uint32_t storage)
{
    m_surfaces.erase(storage);
    log("destroySurface %u", storage);
}

void RecordingBackend::bindTargets(uint32_t colour, uint32_t depth)
{
    m_colour = colour;
    m_depth = depth;
    log("bindTargets %u %u", colour, depth);
}

void RecordingBackend::setViewport(const D3DVIEWPORT9& v)
{
    log("setViewport %u %u %u %u %g %g", v.X, v.Y, v.Width, v.Height, double(v.MinZ), double(v.MaxZ));
}

void RecordingBackend::clear(const RECT& area, DWORD flags, D3DCOLOR colour, float z, DWORD stencil)
{
    log("clear %d %d %d %d flags %u colour 0x%08x z %g stencil %u", area.left, area.top, area.right, area.bottom,
        flags, colour, double(z), stencil);
    auto it = m_surfaces.find(m_colour);
    if (!(flags & D3DCLEAR_TARGET) || it == m_surfaces.end())
        return;
    Surface& s = it->second;
    for (LONG y = area.top; y < area.bottom && y < LONG(s.desc.Height); ++y)
        for (LONG x = area.left; x < area.right && x < LONG(s.desc.Width); ++x)
            s.pixels[size_t(y) * s.desc.Width + size_t(x)] = colour;
}

void RecordingBackend::beginScene()
{
    log("beginScene");
}

void RecordingBackend::endScene()
{
    log("endScene");
}

HRESULT RecordingBackend::present(uint32_t backBuffer, HWND window)
{
    log("present %u", backBuffer);
    return D3D_OK;
}

bool RecordingBackend::setGammaRamp(HWND window, const D3DGAMMARAMP& ramp)
{
    log("setGammaRamp %u %u %u", ramp.red[0], ramp.red[128], ramp.red[255]);
    return true;
}

void RecordingBackend::setSoftwareVertexProcessing(bool software)
{
    log("setSoftwareVertexProcessing %d", software ? 1 : 0);
}

bool RecordingBackend::readPixels(uint32_t storage, const RECT& area, std::vector<D3DCOLOR>& pixels)
{
    auto it = m_surfaces.find(storage);
    if (it == m_surfaces.end() || it->second.pixels.empty())
        return false;
    const Surface& s = it->second;
    if (area.left < 0 || area.top < 0 || area.right > LONG(s.desc.Width) || area.bottom > LONG(s.desc.Height)
        || area.left >= area.right || area.top >= area.bottom)
        return false;
    pixels.clear();
    for (LONG y = area.top; y < area.bottom; ++y)
        for (LONG x = area.left; x < area.right; ++x)
            pixels.push_back(s.pixels[size_t(y) * s.desc.Width + size_t(x)]);
    return true;
}
