// CEGUI's GL header brings GLEW, which must come before any other GL header.
#include <CEGUI/RendererModules/OpenGL/GLRenderer.h>

#include "platform/gui/GuiRenderer.h"

#include "platform/d3d9/DeviceBackend.h"
#include "platform/d3d9/Direct3DDevice9.h"

#include <CEGUI/RendererModules/Null/Renderer.h>
#include <CEGUI/System.h>

#include <array>

namespace {

class NullGuiRenderer : public GuiRenderer {
public:
    NullGuiRenderer(int width, int height)
        : m_renderer(CEGUI::NullRenderer::create())
    {
        m_renderer.setDisplaySize(CEGUI::Sizef(float(width), float(height)));
    }
    ~NullGuiRenderer() override { CEGUI::NullRenderer::destroy(m_renderer); }
    CEGUI::Renderer& renderer() override { return m_renderer; }
    void render() override
    {
        if (CEGUI::System* system = CEGUI::System::getSingletonPtr())
            system->renderAllGUIContexts();
    }
    void setDisplaySize(int width, int height) override
    {
        m_renderer.setDisplaySize(CEGUI::Sizef(float(width), float(height)));
    }
    bool drawsPixels() const override { return false; }

private:
    CEGUI::NullRenderer& m_renderer;
};

// Everything of the context that either the device or CEGUI's renderer
// leaves changed and the other would trip over. The classic states go on
// GL's attribute stacks; the objects bound since GL 2 are not on them.
class SavedGlState {
public:
    SavedGlState()
    {
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
        glGetIntegerv(GL_CURRENT_PROGRAM, &m_program);
        glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &m_vertexArray);
        glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &m_arrayBuffer);
        glGetIntegerv(GL_PIXEL_UNPACK_BUFFER_BINDING, &m_unpackBuffer);
        glGetIntegerv(GL_PIXEL_PACK_BUFFER_BINDING, &m_packBuffer);
        glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &m_drawFramebuffer);
        glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &m_readFramebuffer);
        glGetIntegerv(GL_ACTIVE_TEXTURE, &m_activeTexture);
        for (GLuint unit = 0; unit < m_samplers.size(); ++unit) {
            glActiveTexture(GL_TEXTURE0 + unit);
            glGetIntegerv(GL_SAMPLER_BINDING, &m_samplers[unit]);
            // The device's sampler objects would override the filters and
            // wrapping of the GUI's textures.
            glBindSampler(unit, 0);
        }
        glActiveTexture(GL_TEXTURE0);
        glUseProgram(0);
        glBindVertexArray(0);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
        glBindBuffer(GL_PIXEL_UNPACK_BUFFER, 0);
        glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
        // Fixed-function drawing clips against enabled planes; the device's
        // clip distances are those planes.
        for (int i = 0; i < 6; ++i)
            glDisable(GL_CLIP_DISTANCE0 + i);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_DEPTH_CLAMP);
        glDisable(GL_STENCIL_TEST);
        glDisable(GL_CULL_FACE);
        glDisable(GL_ALPHA_TEST);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
        glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    }
    ~SavedGlState()
    {
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, GLuint(m_drawFramebuffer));
        glBindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(m_readFramebuffer));
        for (GLuint unit = 0; unit < m_samplers.size(); ++unit)
            glBindSampler(unit, GLuint(m_samplers[unit]));
        glBindBuffer(GL_PIXEL_PACK_BUFFER, GLuint(m_packBuffer));
        glBindBuffer(GL_PIXEL_UNPACK_BUFFER, GLuint(m_unpackBuffer));
        glBindVertexArray(GLuint(m_vertexArray));
        glBindBuffer(GL_ARRAY_BUFFER, GLuint(m_arrayBuffer));
        glUseProgram(GLuint(m_program));
        glPopClientAttrib();
        glPopAttrib();
        glActiveTexture(GLenum(m_activeTexture));
    }
    SavedGlState(const SavedGlState&) = delete;
    SavedGlState& operator=(const SavedGlState&) = delete;

    GLuint deviceFramebuffer() const { return GLuint(m_drawFramebuffer); }

private:
    GLint m_program = 0;
    GLint m_vertexArray = 0;
    GLint m_arrayBuffer = 0;
    GLint m_unpackBuffer = 0;
    GLint m_packBuffer = 0;
    GLint m_drawFramebuffer = 0;
    GLint m_readFramebuffer = 0;
    GLint m_activeTexture = GL_TEXTURE0;
    std::array<GLint, 16> m_samplers {};
};

// Lays the GUI's picture over the device's render target. CEGUI draws as
// into a window, bottom row first, with colours already multiplied by their
// coverage; the device keeps its pictures top row first.
const char* const kOverlayVertex = R"(#version 330
out vec2 guiUv;
void main()
{
    vec2 corner = vec2(float((gl_VertexID << 1) & 2), float(gl_VertexID & 2));
    guiUv = vec2(corner.x, 1.0 - corner.y);
    gl_Position = vec4(corner * 2.0 - 1.0, 0.0, 1.0);
}
)";
const char* const kOverlayFragment = R"(#version 330
uniform sampler2D gui;
in vec2 guiUv;
out vec4 colour;
void main()
{
    colour = texture(gui, guiUv);
}
)";

GLuint compile(GLenum kind, const char* source)
{
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

class GlGuiRenderer : public GuiRenderer {
public:
    GlGuiRenderer(IDirect3DDevice9* device, int width, int height)
        : m_device(device), m_renderer(createRenderer(device, width, height))
    {
        m_renderer.enableExtraStateSettings(true);
        setDisplaySize(width, height);
    }
    ~GlGuiRenderer() override
    {
        const bool current = m_device->backend().beginForeignDraw();
        if (current) {
            glDeleteFramebuffers(1, &m_framebuffer);
            glDeleteTextures(1, &m_picture);
            glDeleteProgram(m_program);
            glDeleteVertexArrays(1, &m_vertexArray);
        }
        CEGUI::OpenGLRenderer::destroy(m_renderer);
        if (current)
            m_device->backend().endForeignDraw();
    }
    CEGUI::Renderer& renderer() override { return m_renderer; }
    bool drawsPixels() const override { return true; }

    void setDisplaySize(int width, int height) override
    {
        m_width = width > 0 ? width : 1;
        m_height = height > 0 ? height : 1;
        m_renderer.setDisplaySize(CEGUI::Sizef(float(m_width), float(m_height)));
        m_pictureWidth = 0; // made again at the next draw
    }

    void render() override
    {
        CEGUI::System* system = CEGUI::System::getSingletonPtr();
        if (!system || !m_device->backend().beginForeignDraw())
            return;
        {
            SavedGlState saved;
            if (preparePicture()) {
                glBindFramebuffer(GL_FRAMEBUFFER, m_framebuffer);
                glViewport(0, 0, m_width, m_height);
                glDisable(GL_SCISSOR_TEST);
                glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
                glClear(GL_COLOR_BUFFER_BIT);
                system->renderAllGUIContexts();
                overlay(saved.deviceFramebuffer());
            }
        }
        m_device->backend().endForeignDraw();
    }

private:
    static CEGUI::OpenGLRenderer& createRenderer(IDirect3DDevice9* device, int width, int height)
    {
        device->backend().beginForeignDraw();
        CEGUI::OpenGLRenderer& renderer = CEGUI::OpenGLRenderer::create(
            CEGUI::Sizef(float(width), float(height)), CEGUI::OpenGLRenderer::TTT_FBO);
        device->backend().endForeignDraw();
        return renderer;
    }

    // The GUI's own picture of the display's size, and the overlay program.
    bool preparePicture()
    {
        if (!m_program) {
            const GLuint vertex = compile(GL_VERTEX_SHADER, kOverlayVertex);
            const GLuint fragment = compile(GL_FRAGMENT_SHADER, kOverlayFragment);
            if (!vertex || !fragment) {
                glDeleteShader(vertex);
                glDeleteShader(fragment);
                return false;
            }
            m_program = glCreateProgram();
            glAttachShader(m_program, vertex);
            glAttachShader(m_program, fragment);
            glLinkProgram(m_program);
            glDeleteShader(vertex);
            glDeleteShader(fragment);
            GLint ok = 0;
            glGetProgramiv(m_program, GL_LINK_STATUS, &ok);
            if (!ok) {
                glDeleteProgram(m_program);
                m_program = 0;
                return false;
            }
            glUseProgram(m_program);
            glUniform1i(glGetUniformLocation(m_program, "gui"), 0);
            glUseProgram(0);
            glGenVertexArrays(1, &m_vertexArray);
        }
        if (m_pictureWidth != m_width || m_pictureHeight != m_height) {
            if (!m_picture)
                glGenTextures(1, &m_picture);
            glBindTexture(GL_TEXTURE_2D, m_picture);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, m_width, m_height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
            if (!m_framebuffer)
                glGenFramebuffers(1, &m_framebuffer);
            glBindFramebuffer(GL_FRAMEBUFFER, m_framebuffer);
            glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, m_picture, 0);
            if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
                return false;
            m_pictureWidth = m_width;
            m_pictureHeight = m_height;
        }
        return true;
    }

    void overlay(GLuint deviceFramebuffer)
    {
        glBindFramebuffer(GL_FRAMEBUFFER, deviceFramebuffer);
        GLint width = m_width, height = m_height;
        // The device's render target may be smaller than the display (a
        // texture target); the picture is laid over its whole area.
        if (deviceFramebuffer) {
            GLint type = GL_NONE;
            glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0,
                                                  GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE, &type);
            if (type == GL_RENDERBUFFER) {
                GLint name = 0;
                glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0,
                                                      GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME, &name);
                GLint bound = 0;
                glGetIntegerv(GL_RENDERBUFFER_BINDING, &bound);
                glBindRenderbuffer(GL_RENDERBUFFER, GLuint(name));
                glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_WIDTH, &width);
                glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_HEIGHT, &height);
                glBindRenderbuffer(GL_RENDERBUFFER, GLuint(bound));
            }
        }
        glViewport(0, 0, width, height);
        glDisable(GL_SCISSOR_TEST);
        glEnable(GL_BLEND);
        glBlendEquation(GL_FUNC_ADD);
        // The picture's colours are premultiplied; the target keeps its alpha.
        glBlendFuncSeparate(GL_ONE, GL_ONE_MINUS_SRC_ALPHA, GL_ZERO, GL_ONE);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, m_picture);
        glUseProgram(m_program);
        glBindVertexArray(m_vertexArray);
        glDrawArrays(GL_TRIANGLES, 0, 3);
    }

    IDirect3DDevice9* m_device;
    CEGUI::OpenGLRenderer& m_renderer;
    int m_width = 1;
    int m_height = 1;
    int m_pictureWidth = 0;
    int m_pictureHeight = 0;
    GLuint m_picture = 0;
    GLuint m_framebuffer = 0;
    GLuint m_program = 0;
    GLuint m_vertexArray = 0;
};

} // namespace

GuiRenderer* GuiRenderer::create(IDirect3DDevice9* device, int width, int height)
{
    if (device && device->backend().beginForeignDraw()) {
        device->backend().endForeignDraw();
        return new GlGuiRenderer(device, width, height);
    }
    return createNull(width, height);
}

GuiRenderer* GuiRenderer::createNull(int width, int height)
{
    return new NullGuiRenderer(width, height);
}
