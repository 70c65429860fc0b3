// GlBackend: textures, buffers, queries and shader stages.
#include "platform/d3d9/GlBackend.h"

#include "platform/d3d9/GlTextureFormat.h"
#include "platform/d3d9/TextureFormatLayout.h"

#include <GL/glew.h>

#include <cstdio>

namespace {

GLenum targetOf(FixedFunctionTextureKind kind)
{
    switch (kind) {
    case FixedFunctionTextureKind::Cube: return GL_TEXTURE_CUBE_MAP;
    case FixedFunctionTextureKind::Volume: return GL_TEXTURE_3D;
    default: return GL_TEXTURE_2D;
    }
}

UINT extent(UINT size, UINT level)
{
    return size >> level ? size >> level : 1;
}

void clearErrors()
{
    while (glGetError() != GL_NO_ERROR) {
    }
}

// Texel rows arrive tightly packed, top row first, from memory.
void unpackFromMemory()
{
    glBindBuffer(GL_PIXEL_UNPACK_BUFFER, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_IMAGE_HEIGHT, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_SKIP_IMAGES, 0);
}

} // namespace

// Uploads bind on unit 0; a device that drew last must not trust its
// record of that unit any more.
void GlBackend::noteUnitZero(uint32_t name, uint32_t target)
{
    m_boundTextures[0] = name;
    m_boundTargets[0] = target;
    if (s_lastDrawer != this)
        s_lastDrawer = nullptr;
}

uint32_t GlBackend::createTexture(const BackendTextureDesc& desc)
{
    GlTextureFormat format;
    TextureFormatLayout layout;
    if (!GlTextureFormat::of(desc.format, &format) || !TextureFormatLayout::of(desc.format, &layout) || !current())
        return 0;
    if (format.compressed && !GLEW_EXT_texture_compression_s3tc)
        return 0;
    clearErrors();
    GLuint name = 0;
    glGenTextures(1, &name);
    const GLenum target = targetOf(desc.kind);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(target, name);
    noteUnitZero(name, target);
    unpackFromMemory();
    glTexParameteri(target, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(target, GL_TEXTURE_MAX_LEVEL, GLint(desc.levels) - 1);
    glTexParameteriv(target, GL_TEXTURE_SWIZZLE_RGBA, format.swizzle);
    const int faces = desc.kind == FixedFunctionTextureKind::Cube ? 6 : 1;
    for (UINT level = 0; level < desc.levels; ++level) {
        const GLsizei w = GLsizei(extent(desc.width, level)), h = GLsizei(extent(desc.height, level));
        const GLsizei d = GLsizei(extent(desc.depth, level));
        for (int face = 0; face < faces; ++face) {
            const GLenum imageTarget = desc.kind == FixedFunctionTextureKind::Cube
                                           ? GLenum(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face)
                                           : target;
            if (desc.kind == FixedFunctionTextureKind::Volume) {
                if (format.compressed)
                    glCompressedTexImage3D(target, GLint(level), format.internalFormat, w, h, d, 0,
                                           GLsizei(layout.levelBytes(UINT(w), UINT(h)) * UINT(d)), nullptr);
                else
                    glTexImage3D(target, GLint(level), GLint(format.internalFormat), w, h, d, 0, format.format,
                                 format.type, nullptr);
            } else if (format.compressed) {
                glCompressedTexImage2D(imageTarget, GLint(level), format.internalFormat, w, h, 0,
                                       GLsizei(layout.levelBytes(UINT(w), UINT(h))), nullptr);
            } else {
                glTexImage2D(imageTarget, GLint(level), GLint(format.internalFormat), w, h, 0, format.format,
                             format.type, nullptr);
            }
        }
    }
    if (glGetError() != GL_NO_ERROR) {
        glDeleteTextures(1, &name);
        m_boundTextures[0] = 0;
        return 0;
    }
    const uint32_t handle = newHandle();
    m_textures[handle] = Texture{name, desc};
    return handle;
}

void GlBackend::destroyTexture(uint32_t texture)
{
    auto it = m_textures.find(texture);
    if (it == m_textures.end())
        return;
    if (current()) {
        for (uint32_t& bound : m_boundTextures)
            if (bound == it->second.name)
                bound = 0;
        glDeleteTextures(1, &it->second.name);
    }
    m_textures.erase(it);
}

void GlBackend::uploadTexture(uint32_t texture, UINT face, UINT level, const void* data, UINT rowPitch,
                              UINT slicePitch)
{
    auto it = m_textures.find(texture);
    GlTextureFormat format;
    if (it == m_textures.end() || !GlTextureFormat::of(it->second.desc.format, &format) || !current())
        return;
    const BackendTextureDesc& desc = it->second.desc;
    const GLenum target = targetOf(desc.kind);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(target, it->second.name);
    noteUnitZero(it->second.name, target);
    unpackFromMemory();
    const GLsizei w = GLsizei(extent(desc.width, level)), h = GLsizei(extent(desc.height, level));
    const GLsizei d = GLsizei(extent(desc.depth, level));
    const GLenum imageTarget =
        desc.kind == FixedFunctionTextureKind::Cube ? GLenum(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face) : target;
    if (desc.kind == FixedFunctionTextureKind::Volume) {
        if (format.compressed)
            glCompressedTexSubImage3D(target, GLint(level), 0, 0, 0, w, h, d, format.internalFormat,
                                      GLsizei(slicePitch) * d, data);
        else
            glTexSubImage3D(target, GLint(level), 0, 0, 0, w, h, d, format.format, format.type, data);
    } else if (format.compressed) {
        glCompressedTexSubImage2D(imageTarget, GLint(level), 0, 0, w, h, format.internalFormat, GLsizei(slicePitch),
                                  data);
    } else {
        glTexSubImage2D(imageTarget, GLint(level), 0, 0, w, h, format.format, format.type, data);
    }
}

uint32_t GlBackend::createTextureSurface(uint32_t texture, UINT face, UINT level, const D3DSURFACE_DESC& desc)
{
    auto it = m_textures.find(texture);
    if (it == m_textures.end())
        return 0;
    Surface surface;
    surface.texture = it->second.name;
    surface.target = it->second.desc.kind == FixedFunctionTextureKind::Cube ? GL_TEXTURE_CUBE_MAP_POSITIVE_X + face
                                                                            : GL_TEXTURE_2D;
    surface.level = int(level);
    surface.desc = desc;
    const uint32_t handle = newHandle();
    m_surfaces[handle] = surface;
    return handle;
}

uint32_t GlBackend::createBuffer(UINT bytes, bool index, bool dynamic)
{
    if (!current())
        return 0;
    clearErrors();
    GLuint name = 0;
    glGenBuffers(1, &name);
    // The copy-write binding point touches no vertex array state.
    glBindBuffer(GL_COPY_WRITE_BUFFER, name);
    glBufferData(GL_COPY_WRITE_BUFFER, GLsizeiptr(bytes), nullptr, dynamic ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
    glBindBuffer(GL_COPY_WRITE_BUFFER, 0);
    if (glGetError() != GL_NO_ERROR) {
        glDeleteBuffers(1, &name);
        return 0;
    }
    const uint32_t handle = newHandle();
    m_buffers[handle] = Buffer{name, bytes, index, dynamic};
    return handle;
}

void GlBackend::destroyBuffer(uint32_t buffer)
{
    auto it = m_buffers.find(buffer);
    if (it == m_buffers.end())
        return;
    if (current())
        glDeleteBuffers(1, &it->second.name);
    m_buffers.erase(it);
}

void GlBackend::uploadBuffer(uint32_t buffer, UINT offset, const void* data, UINT bytes, bool discard)
{
    auto it = m_buffers.find(buffer);
    if (it == m_buffers.end() || uint64_t(offset) + bytes > it->second.bytes || !current())
        return;
    glBindBuffer(GL_COPY_WRITE_BUFFER, it->second.name);
    if (discard && offset == 0 && bytes == it->second.bytes)
        glBufferData(GL_COPY_WRITE_BUFFER, GLsizeiptr(bytes), data,
                     it->second.dynamic ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
    else
        glBufferSubData(GL_COPY_WRITE_BUFFER, GLintptr(offset), GLsizeiptr(bytes), data);
    glBindBuffer(GL_COPY_WRITE_BUFFER, 0);
}

uint32_t GlBackend::createQuery()
{
    if (!current())
        return 0;
    GLuint name = 0;
    glGenQueries(1, &name);
    const uint32_t handle = newHandle();
    m_queries[handle] = name;
    return handle;
}

void GlBackend::destroyQuery(uint32_t query)
{
    auto it = m_queries.find(query);
    if (it == m_queries.end())
        return;
    if (current())
        glDeleteQueries(1, &it->second);
    m_queries.erase(it);
}

// GL counts one query of a kind at a time; Direct3D's overlapping queries
// end the one before.
void GlBackend::beginQuery(uint32_t query)
{
    auto it = m_queries.find(query);
    if (it == m_queries.end() || !current())
        return;
    if (m_activeQuery)
        glEndQuery(GL_SAMPLES_PASSED);
    glBeginQuery(GL_SAMPLES_PASSED, it->second);
    m_activeQuery = it->second;
}

void GlBackend::endQuery(uint32_t query)
{
    auto it = m_queries.find(query);
    if (it == m_queries.end() || !current() || m_activeQuery != it->second)
        return;
    glEndQuery(GL_SAMPLES_PASSED);
    m_activeQuery = 0;
}

bool GlBackend::queryResult(uint32_t query, DWORD* samples, bool flush)
{
    auto it = m_queries.find(query);
    if (it == m_queries.end() || !current()) {
        *samples = 0;
        return true;
    }
    GLuint available = 0;
    glGetQueryObjectuiv(it->second, GL_QUERY_RESULT_AVAILABLE, &available);
    if (!available) {
        if (flush)
            glFlush();
        return false;
    }
    GLuint result = 0;
    glGetQueryObjectuiv(it->second, GL_QUERY_RESULT, &result);
    *samples = result;
    return true;
}

uint32_t GlBackend::createShader(bool pixel, const std::string& source)
{
    if (!current())
        return 0;
    const GLuint name = glCreateShader(pixel ? GL_FRAGMENT_SHADER : GL_VERTEX_SHADER);
    const char* text = source.c_str();
    glShaderSource(name, 1, &text, nullptr);
    glCompileShader(name);
    GLint ok = 0;
    glGetShaderiv(name, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[1024] = {};
        glGetShaderInfoLog(name, sizeof(log), nullptr, log);
        std::fprintf(stderr, "Direct3D: %s shader does not compile:\n%s\n", pixel ? "pixel" : "vertex", log);
        glDeleteShader(name);
        return 0;
    }
    const uint32_t handle = newHandle();
    m_shaders[handle] = Shader{name, pixel};
    return handle;
}

void GlBackend::destroyShader(uint32_t shader)
{
    auto it = m_shaders.find(shader);
    if (it == m_shaders.end())
        return;
    if (current()) {
        for (auto link = m_linked.begin(); link != m_linked.end();) {
            if (link->first.first == shader || link->first.second == shader) {
                glDeleteProgram(link->second.name);
                link = m_linked.erase(link);
            } else {
                ++link;
            }
        }
        glDeleteShader(it->second.name);
    }
    m_shaders.erase(it);
}
