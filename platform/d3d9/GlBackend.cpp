#include "platform/d3d9/GlBackend.h"

#include "platform/d3d9/GlContext.h"
#include "platform/win/WindowRecord.h"

#include <GL/glew.h>
#include <SDL2/SDL.h>
#include <algorithm>
#include <cstdio>

namespace {

GLenum internalFormat(D3DFORMAT format)
{
    switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_A8B8G8R8:
        return GL_RGBA8;
    case D3DFMT_X8R8G8B8:
    case D3DFMT_X8B8G8R8:
        return GL_RGB8;
    case D3DFMT_R5G6B5:
        return GL_RGB565;
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
        return GL_RGB5_A1;
    case D3DFMT_A4R4G4B4:
        return GL_RGBA4;
    case D3DFMT_A2R10G10B10:
        return GL_RGB10_A2;
    case D3DFMT_G16R16:
        return GL_RG16;
    case D3DFMT_A16B16G16R16:
        return GL_RGBA16;
    case D3DFMT_R16F:
        return GL_R16F;
    case D3DFMT_G16R16F:
        return GL_RG16F;
    case D3DFMT_A16B16G16R16F:
        return GL_RGBA16F;
    case D3DFMT_R32F:
        return GL_R32F;
    case D3DFMT_G32R32F:
        return GL_RG32F;
    case D3DFMT_A32B32G32R32F:
        return GL_RGBA32F;
    case D3DFMT_D16:
        return GL_DEPTH_COMPONENT16;
    case D3DFMT_D24X8:
        return GL_DEPTH_COMPONENT24;
    case D3DFMT_D24S8:
        return GL_DEPTH24_STENCIL8;
    case D3DFMT_D32:
        return GL_DEPTH_COMPONENT32;
    default:
        return 0;
    }
}

bool hasStencil(D3DFORMAT format)
{
    return format == D3DFMT_D24S8;
}

SDL_Window* sdlWindowOf(HWND window)
{
    return windowIsLive(window) ? window->sdl : nullptr;
}

// Full screen shows the back buffer pixel for pixel: at the desktop's own
// size without a mode switch, at any other size only where the display has
// exactly that mode, as Direct3D refuses a full-screen size that is no mode.
// SDL asks the window manager to cover the display; with none (a bare X
// server) only SDL's idea of the window changes, so the window is also laid
// over the display by hand.
HRESULT enterFullScreen(SDL_Window* sdl, const D3DPRESENT_PARAMETERS& params)
{
    const int width = int(params.BackBufferWidth);
    const int height = int(params.BackBufferHeight);
    const int display = std::max(0, SDL_GetWindowDisplayIndex(sdl));
    SDL_Rect bounds{};
    SDL_DisplayMode desktop{};
    if (SDL_GetDisplayBounds(display, &bounds) != 0 || SDL_GetDesktopDisplayMode(display, &desktop) != 0)
        return D3DERR_NOTAVAILABLE;
    if (width == desktop.w && height == desktop.h) {
        SDL_SetWindowBordered(sdl, SDL_FALSE);
        SDL_SetWindowPosition(sdl, bounds.x, bounds.y);
        SDL_SetWindowSize(sdl, width, height);
        return SDL_SetWindowFullscreen(sdl, SDL_WINDOW_FULLSCREEN_DESKTOP) == 0 ? D3D_OK : D3DERR_NOTAVAILABLE;
    }
    SDL_DisplayMode mode{};
    bool found = false;
    for (int i = 0, count = SDL_GetNumDisplayModes(display); i < count && !found; ++i)
        found = SDL_GetDisplayMode(display, i, &mode) == 0 && mode.w == width && mode.h == height
                && (params.FullScreen_RefreshRateInHz == 0 || UINT(mode.refresh_rate) == params.FullScreen_RefreshRateInHz);
    if (!found)
        return D3DERR_INVALIDCALL;
    SDL_SetWindowBordered(sdl, SDL_FALSE);
    SDL_SetWindowPosition(sdl, bounds.x, bounds.y);
    SDL_SetWindowSize(sdl, width, height);
    if (SDL_SetWindowDisplayMode(sdl, &mode) != 0 || SDL_SetWindowFullscreen(sdl, SDL_WINDOW_FULLSCREEN) != 0)
        return D3DERR_NOTAVAILABLE;
    return D3D_OK;
}

} // namespace

GlBackend* GlBackend::s_lastDrawer = nullptr;

GlBackend::GlBackend(const CapabilityModel& capabilities) : m_capabilities(capabilities)
{
}

GlBackend::~GlBackend()
{
    if (s_lastDrawer == this)
        s_lastDrawer = nullptr;
    if (!GlContext::exists() || !GlContext::makeCurrent(sdlWindowOf(m_window)))
        return;
    m_programs.reset();
    m_applier.release();
    // Leave the shared context as GL starts, for whoever draws next.
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_STENCIL_TEST);
    for (int i = 0; i < 6; ++i)
        glDisable(GL_CLIP_DISTANCE0 + i);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    glStencilMask(0xFFFFFFFFu);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glBindVertexArray(0);
    for (auto& [handle, surface] : m_surfaces)
        if (surface.renderbuffer)
            glDeleteRenderbuffers(1, &surface.renderbuffer);
    for (auto& [handle, texture] : m_textures)
        glDeleteTextures(1, &texture.name);
    for (auto& [handle, buffer] : m_buffers)
        glDeleteBuffers(1, &buffer.name);
    for (auto& [handle, query] : m_queries)
        glDeleteQueries(1, &query);
    for (auto& [handle, shader] : m_shaders)
        glDeleteShader(shader.name);
    for (auto& [pair, program] : m_linked)
        glDeleteProgram(program.name);
    if (m_upVertices)
        glDeleteBuffers(1, &m_upVertices);
    if (m_upIndices)
        glDeleteBuffers(1, &m_upIndices);
    if (m_vao)
        glDeleteVertexArrays(1, &m_vao);
    if (m_resolveBuffer)
        glDeleteRenderbuffers(1, &m_resolveBuffer);
    if (m_drawFbo)
        glDeleteFramebuffers(1, &m_drawFbo);
    if (m_readFbo)
        glDeleteFramebuffers(1, &m_readFbo);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glUseProgram(0);
}

bool GlBackend::current()
{
    return GlContext::makeCurrent(sdlWindowOf(m_window));
}

HRESULT GlBackend::configure(const D3DPRESENT_PARAMETERS& params, HWND window)
{
    SDL_Window* sdl = sdlWindowOf(window);
    if (!sdl || !(SDL_GetWindowFlags(sdl) & SDL_WINDOW_OPENGL) || !GlContext::makeCurrent(sdl))
        return D3DERR_NOTAVAILABLE;
    m_window = window;
    if (!m_drawFbo) {
        glGenFramebuffers(1, &m_drawFbo);
        glGenFramebuffers(1, &m_readFbo);
    }
    if (params.Windowed) {
        SDL_SetWindowFullscreen(sdl, 0);
        SDL_SetWindowBordered(sdl, SDL_TRUE);
    } else if (HRESULT hr = enterFullScreen(sdl, params); FAILED(hr)) {
        return hr;
    }
    SDL_GL_SetSwapInterval(params.PresentationInterval == D3DPRESENT_INTERVAL_IMMEDIATE ? 0 : 1);
    return D3D_OK;
}

uint32_t GlBackend::createSurface(const D3DSURFACE_DESC& desc, int samples)
{
    const GLenum format = internalFormat(desc.Format);
    if (!format || !current())
        return 0;
    GLint maxSamples = 0;
    glGetIntegerv(GL_MAX_SAMPLES, &maxSamples);
    samples = std::min(samples, int(maxSamples));
    while (glGetError() != GL_NO_ERROR) {
    }
    GLuint renderbuffer = 0;
    glGenRenderbuffers(1, &renderbuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, renderbuffer);
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, format, GLsizei(desc.Width), GLsizei(desc.Height));
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    if (glGetError() != GL_NO_ERROR) {
        glDeleteRenderbuffers(1, &renderbuffer);
        return 0;
    }
    const uint32_t handle = newHandle();
    Surface surface;
    surface.renderbuffer = renderbuffer;
    surface.desc = desc;
    surface.samples = samples;
    m_surfaces[handle] = surface;
    return handle;
}

void GlBackend::destroySurface(uint32_t storage)
{
    auto it = m_surfaces.find(storage);
    if (it == m_surfaces.end())
        return;
    if (current() && it->second.renderbuffer) {
        GLuint renderbuffer = it->second.renderbuffer;
        glDeleteRenderbuffers(1, &renderbuffer);
    }
    if (m_colour == storage)
        m_colour = 0;
    if (m_depth == storage)
        m_depth = 0;
    m_surfaces.erase(it);
}

void GlBackend::attach(uint32_t framebufferTarget, uint32_t attachment, const Surface* surface)
{
    if (surface && surface->texture)
        glFramebufferTexture2D(framebufferTarget, attachment, surface->target, surface->texture, surface->level);
    else
        glFramebufferRenderbuffer(framebufferTarget, attachment, GL_RENDERBUFFER, surface ? surface->renderbuffer : 0);
}

void GlBackend::bindTargets(uint32_t colour, uint32_t depth)
{
    m_colour = colour;
    m_depth = depth;
    if (!current())
        return;
    glBindFramebuffer(GL_FRAMEBUFFER, m_drawFbo);
    auto colourIt = m_surfaces.find(colour);
    auto depthIt = m_surfaces.find(depth);
    const Surface* colourSurface = colourIt == m_surfaces.end() ? nullptr : &colourIt->second;
    const Surface* depthSurface = depthIt == m_surfaces.end() ? nullptr : &depthIt->second;
    // Detach first: a texture attachment and a renderbuffer cannot share a
    // point, and GL keeps the old one when the new one fails.
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, 0);
    attach(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, colourSurface);
    const bool stencil = depthSurface && hasStencil(depthSurface->desc.Format);
    attach(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, depthSurface);
    attach(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, stencil ? depthSurface : nullptr);
}

void GlBackend::setViewport(const D3DVIEWPORT9& v)
{
    if (!current())
        return;
    glViewport(GLint(v.X), GLint(v.Y), GLsizei(v.Width), GLsizei(v.Height));
    // Direct3D keeps a sliver of depth range when MinZ equals MaxZ, so depth
    // tests still order what is drawn there. MinZ above MaxZ is a range
    // turned round, which GL takes as it is.
    glDepthRange(v.MinZ, v.MaxZ == v.MinZ ? v.MinZ + 0.001f : v.MaxZ);
}

void GlBackend::clear(const RECT& area, DWORD flags, D3DCOLOR colour, float z, DWORD stencil)
{
    if (!current())
        return;
    glBindFramebuffer(GL_FRAMEBUFFER, m_drawFbo);
    // Clears ignore the write masks in Direct3D; the masks the draw state
    // set are put back afterwards.
    GLboolean colourMask[4];
    GLboolean depthMask;
    GLint stencilMask;
    const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    GLint oldScissor[4];
    glGetBooleanv(GL_COLOR_WRITEMASK, colourMask);
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthMask);
    glGetIntegerv(GL_STENCIL_WRITEMASK, &stencilMask);
    glGetIntegerv(GL_SCISSOR_BOX, oldScissor);

    glEnable(GL_SCISSOR_TEST);
    glScissor(area.left, area.top, area.right - area.left, area.bottom - area.top);
    GLbitfield mask = 0;
    if (flags & D3DCLEAR_TARGET) {
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glClearColor(float((colour >> 16) & 0xFF) / 255.0f, float((colour >> 8) & 0xFF) / 255.0f,
                     float(colour & 0xFF) / 255.0f, float((colour >> 24) & 0xFF) / 255.0f);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if (flags & D3DCLEAR_ZBUFFER) {
        glDepthMask(GL_TRUE);
        glClearDepth(z);
        mask |= GL_DEPTH_BUFFER_BIT;
    }
    if (flags & D3DCLEAR_STENCIL) {
        glStencilMask(0xFF);
        glClearStencil(GLint(stencil));
        mask |= GL_STENCIL_BUFFER_BIT;
    }
    glClear(mask);

    glColorMask(colourMask[0], colourMask[1], colourMask[2], colourMask[3]);
    glDepthMask(depthMask);
    glStencilMask(GLuint(stencilMask));
    glScissor(oldScissor[0], oldScissor[1], oldScissor[2], oldScissor[3]);
    if (!scissor)
        glDisable(GL_SCISSOR_TEST);
}

void GlBackend::beginScene()
{
}

void GlBackend::endScene()
{
    if (current())
        glFlush();
}

bool GlBackend::attachForReading(const Surface& surface)
{
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_readFbo);
    glFramebufferRenderbuffer(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, 0);
    attach(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, &surface);
    if (surface.samples == 0)
        return true;
    const D3DSURFACE_DESC& d = surface.desc;
    if (!m_resolveBuffer || m_resolveWidth != d.Width || m_resolveHeight != d.Height || m_resolveFormat != d.Format) {
        if (m_resolveBuffer)
            glDeleteRenderbuffers(1, &m_resolveBuffer);
        glGenRenderbuffers(1, &m_resolveBuffer);
        glBindRenderbuffer(GL_RENDERBUFFER, m_resolveBuffer);
        glRenderbufferStorage(GL_RENDERBUFFER, internalFormat(d.Format), GLsizei(d.Width), GLsizei(d.Height));
        glBindRenderbuffer(GL_RENDERBUFFER, 0);
        m_resolveWidth = d.Width;
        m_resolveHeight = d.Height;
        m_resolveFormat = d.Format;
    }
    // The multisampled picture is resolved through the draw framebuffer's
    // slot, then the single-sampled copy becomes the read source.
    GLuint resolveFbo = 0;
    glGenFramebuffers(1, &resolveFbo);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, resolveFbo);
    glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, m_resolveBuffer);
    glBlitFramebuffer(0, 0, GLint(d.Width), GLint(d.Height), 0, 0, GLint(d.Width), GLint(d.Height),
                      GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, m_drawFbo);
    glDeleteFramebuffers(1, &resolveFbo);
    glFramebufferRenderbuffer(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, m_resolveBuffer);
    return true;
}

HRESULT GlBackend::present(uint32_t backBuffer, HWND window)
{
    SDL_Window* sdl = sdlWindowOf(window);
    auto it = m_surfaces.find(backBuffer);
    if (!sdl || it == m_surfaces.end() || !GlContext::makeCurrent(sdl))
        return D3DERR_INVALIDCALL;
    const D3DSURFACE_DESC& d = it->second.desc;
    // Blits obey the scissor and the colour write mask; the draw state's
    // settings must not cut into the picture.
    const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    GLboolean colourMask[4];
    glGetBooleanv(GL_COLOR_WRITEMASK, colourMask);
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    attachForReading(it->second);
    int width = 0, height = 0;
    SDL_GL_GetDrawableSize(sdl, &width, &height);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    // Our storage is top row first; the window's is bottom row first.
    glBlitFramebuffer(0, 0, GLint(d.Width), GLint(d.Height), 0, height, width, 0, GL_COLOR_BUFFER_BIT,
                      GLint(d.Width) == width && GLint(d.Height) == height ? GL_NEAREST : GL_LINEAR);
    SDL_GL_SwapWindow(sdl);
    glBindFramebuffer(GL_FRAMEBUFFER, m_drawFbo);
    glColorMask(colourMask[0], colourMask[1], colourMask[2], colourMask[3]);
    if (scissor)
        glEnable(GL_SCISSOR_TEST);
    if (window != m_window)
        current();
    return D3D_OK;
}

bool GlBackend::setGammaRamp(HWND window, const D3DGAMMARAMP& ramp)
{
    SDL_Window* sdl = sdlWindowOf(window);
    return sdl && SDL_SetWindowGammaRamp(sdl, ramp.red, ramp.green, ramp.blue) == 0;
}

void GlBackend::setSoftwareVertexProcessing(bool software)
{
}

bool GlBackend::readPixels(uint32_t storage, const RECT& area, std::vector<D3DCOLOR>& pixels)
{
    auto it = m_surfaces.find(storage);
    if (it == m_surfaces.end() || !current() || (it->second.desc.Usage & D3DUSAGE_DEPTHSTENCIL))
        return false;
    const D3DSURFACE_DESC& d = it->second.desc;
    if (area.left < 0 || area.top < 0 || area.right > LONG(d.Width) || area.bottom > LONG(d.Height)
        || area.left >= area.right || area.top >= area.bottom)
        return false;
    while (glGetError() != GL_NO_ERROR) {
    }
    const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    GLboolean colourMask[4];
    glGetBooleanv(GL_COLOR_WRITEMASK, colourMask);
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    attachForReading(it->second);
    glColorMask(colourMask[0], colourMask[1], colourMask[2], colourMask[3]);
    if (scissor)
        glEnable(GL_SCISSOR_TEST);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    pixels.assign(size_t(area.right - area.left) * size_t(area.bottom - area.top), 0);
    GLint packBuffer = 0;
    glGetIntegerv(GL_PIXEL_PACK_BUFFER_BINDING, &packBuffer);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    // BGRA bytes read as one little-endian word are 0xAARRGGBB.
    glReadPixels(area.left, area.top, area.right - area.left, area.bottom - area.top, GL_BGRA,
                 GL_UNSIGNED_INT_8_8_8_8_REV, pixels.data());
    glBindBuffer(GL_PIXEL_PACK_BUFFER, GLuint(packBuffer));
    glBindFramebuffer(GL_FRAMEBUFFER, m_drawFbo);
    return glGetError() == GL_NO_ERROR;
}
