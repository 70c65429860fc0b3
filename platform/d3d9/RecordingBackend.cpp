#include "platform/d3d9/RecordingBackend.h"

#include "platform/d3d9/FixedFunctionState.h"

#include <cstdarg>
#include <algorithm>
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
    // A whole-screen clear every frame: row by row as one fill each.
    const LONG left = std::max(area.left, LONG(0)), right = std::min(area.right, LONG(s.desc.Width));
    const LONG bottom = std::min(area.bottom, LONG(s.desc.Height));
    if (left >= right || s.pixels.size() < size_t(s.desc.Width) * s.desc.Height)
        return;
    for (LONG y = std::max(area.top, LONG(0)); y < bottom; ++y) {
        D3DCOLOR* row = s.pixels.data() + size_t(y) * s.desc.Width;
        std::fill(row + left, row + right, colour);
    }
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

uint32_t RecordingBackend::createTexture(const BackendTextureDesc& desc)
{
    const uint32_t storage = m_nextStorage++;
    m_textures[storage] = desc;
    log("createTexture %u kind %d %ux%ux%u levels %u format %u usage 0x%x", storage, int(desc.kind), desc.width,
        desc.height, desc.depth, desc.levels, unsigned(desc.format), unsigned(desc.usage));
    return storage;
}

void RecordingBackend::destroyTexture(uint32_t texture)
{
    m_textures.erase(texture);
    log("destroyTexture %u", texture);
}

void RecordingBackend::uploadTexture(uint32_t texture, UINT face, UINT level, const void* data, UINT rowPitch,
                                     UINT slicePitch)
{
    log("uploadTexture %u face %u level %u pitch %u", texture, face, level, rowPitch);
}

uint32_t RecordingBackend::createTextureSurface(uint32_t texture, UINT face, UINT level, const D3DSURFACE_DESC& desc)
{
    const uint32_t storage = m_nextStorage++;
    Surface& surface = m_surfaces[storage];
    surface.desc = desc;
    surface.pixels.assign(size_t(desc.Width) * desc.Height, 0);
    log("createTextureSurface %u texture %u face %u level %u", storage, texture, face, level);
    return storage;
}

uint32_t RecordingBackend::createBuffer(UINT bytes, bool index, bool dynamic)
{
    const uint32_t storage = m_nextStorage++;
    m_buffers[storage].assign(bytes, 0);
    log("createBuffer %u %u bytes %s%s", storage, bytes, index ? "index" : "vertex", dynamic ? " dynamic" : "");
    return storage;
}

void RecordingBackend::destroyBuffer(uint32_t buffer)
{
    m_buffers.erase(buffer);
    log("destroyBuffer %u", buffer);
}

void RecordingBackend::uploadBuffer(uint32_t buffer, UINT offset, const void* data, UINT bytes, bool discard)
{
    log("uploadBuffer %u offset %u bytes %u%s", buffer, offset, bytes, discard ? " discard" : "");
    auto it = m_buffers.find(buffer);
    if (it == m_buffers.end() || uint64_t(offset) + bytes > it->second.size())
        return;
    const auto* from = static_cast<const uint8_t*>(data);
    std::copy(from, from + bytes, it->second.begin() + offset);
}

const std::vector<uint8_t>* RecordingBackend::bufferBytes(uint32_t buffer) const
{
    auto it = m_buffers.find(buffer);
    return it == m_buffers.end() ? nullptr : &it->second;
}

uint32_t RecordingBackend::createQuery()
{
    const uint32_t storage = m_nextStorage++;
    m_queries[storage] = Query{};
    log("createQuery %u", storage);
    return storage;
}

void RecordingBackend::destroyQuery(uint32_t query)
{
    m_queries.erase(query);
    log("destroyQuery %u", query);
}

void RecordingBackend::beginQuery(uint32_t query)
{
    m_queries[query].polls = 0;
    log("beginQuery %u", query);
}

void RecordingBackend::endQuery(uint32_t query)
{
    log("endQuery %u", query);
}

void RecordingBackend::setQueryAnswer(DWORD samples, int pollsUntilReady)
{
    m_queryAnswer = samples;
    m_queryPolls = pollsUntilReady;
}

bool RecordingBackend::queryResult(uint32_t query, DWORD* samples, bool flush)
{
    Query& q = m_queries[query];
    log("queryResult %u%s", query, flush ? " flush" : "");
    if (!flush && q.polls++ < m_queryPolls)
        return false;
    *samples = m_queryAnswer;
    return true;
}

uint32_t RecordingBackend::createShader(bool pixel, const std::string& source)
{
    const uint32_t storage = m_nextStorage++;
    ++m_shaders;
    log("createShader %u %s %zu bytes", storage, pixel ? "pixel" : "vertex", source.size());
    return storage;
}

void RecordingBackend::destroyShader(uint32_t shader)
{
    --m_shaders;
    log("destroyShader %u", shader);
}

HRESULT RecordingBackend::draw(const DrawCall& call)
{
    // The states this draw would apply: exactly those changed since the last one.
    const auto& dirty = call.state->dirtyRenderStates();
    for (uint32_t s = 0; s < D3D9_RENDERSTATE_COUNT; ++s)
        if (dirty.test(s))
            log("renderState %u %u", s, call.state->renderState(D3DRENDERSTATETYPE(s)));
    const uint32_t samplers = call.state->dirtySamplers();
    for (uint32_t i = 0; i < 16; ++i)
        if (samplers & (1u << i))
            log("samplerStates %u 0x%x", i, call.state->dirtySamplerStates(i));
    log("draw type %u primitives %u %s start %u base %d stream0 %u+%u/%u texture0 %u%s", unsigned(call.type),
        call.primitiveCount, call.indexed ? "indexed" : "vertices", call.start, call.baseVertex,
        call.streams[0].buffer, call.streams[0].offset, call.streams[0].stride, call.textures[0].texture,
        call.vertexShader ? " shaders" : "");
    return D3D_OK;
}
