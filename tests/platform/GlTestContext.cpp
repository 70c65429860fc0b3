#include "tests/platform/GlTestContext.h"

#include "platform/d3d9/FixedFunctionShader.h"

#include <GL/glew.h>
#include <SDL2/SDL.h>

#include <cstddef>
#include <cstdio>

namespace {

std::string& failureText()
{
    static std::string text;
    return text;
}

void fail(const char* what, const char* detail)
{
    failureText() = std::string(what) + ": " + detail;
    std::fprintf(stderr, "GlTestContext: %s\n", failureText().c_str());
}

} // namespace

const std::string& GlTestContext::failure()
{
    return failureText();
}

GlTestContext* GlTestContext::instance()
{
    static GlTestContext* context = [] {
        auto* c = new GlTestContext();
        if (!c->init()) {
            delete c;
            return static_cast<GlTestContext*>(nullptr);
        }
        return c;
    }();
    return context;
}

void GlTestContext::acquire()
{
    m_previousWindow = SDL_GL_GetCurrentWindow();
    m_previousContext = SDL_GL_GetCurrentContext();
    SDL_GL_MakeCurrent(static_cast<SDL_Window*>(m_window), static_cast<SDL_GLContext>(m_context));
}

void GlTestContext::release()
{
    if (m_previousContext && m_previousContext != m_context)
        SDL_GL_MakeCurrent(static_cast<SDL_Window*>(m_previousWindow), static_cast<SDL_GLContext>(m_previousContext));
    m_previousWindow = nullptr;
    m_previousContext = nullptr;
}

bool GlTestContext::init()
{
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        fail("no video", SDL_GetError());
        return false;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_Window* window = SDL_CreateWindow("fixed-function tests", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 16,
                                          16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!window) {
        fail("no window", SDL_GetError());
        return false;
    }
    SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
    SDL_GLContext previousContext = SDL_GL_GetCurrentContext();
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (!context) {
        fail("no context", SDL_GetError());
        SDL_DestroyWindow(window);
        return false;
    }
    glewExperimental = GL_TRUE;
    GLenum glew = glewInit();
    if (glew != GLEW_OK && glew != GLEW_ERROR_NO_GLX_DISPLAY) {
        fail("GLEW", reinterpret_cast<const char*>(glewGetErrorString(glew)));
        return false;
    }
    while (glGetError() != GL_NO_ERROR) {
    }
    m_window = window;
    m_context = context;
    glGenVertexArrays(1, &m_vao);
    glGenBuffers(1, &m_vbo);
    glFrontFace(GL_CCW);
    glDisable(GL_CULL_FACE);
    if (previousContext)
        SDL_GL_MakeCurrent(previousWindow, previousContext);
    return true;
}

void GlTestContext::bindTarget(int width, int height)
{
    if (width != m_width || height != m_height) {
        if (m_fbo) {
            glDeleteFramebuffers(1, &m_fbo);
            glDeleteTextures(1, &m_color);
            glDeleteRenderbuffers(1, &m_depth);
        }
        glGenFramebuffers(1, &m_fbo);
        glGenTextures(1, &m_color);
        glBindTexture(GL_TEXTURE_2D, m_color);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
        glGenRenderbuffers(1, &m_depth);
        glBindRenderbuffer(GL_RENDERBUFFER, m_depth);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
        glBindFramebuffer(GL_FRAMEBUFFER, m_fbo);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, m_color, 0);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, m_depth);
        m_width = width;
        m_height = height;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, m_fbo);
    glViewport(0, 0, width, height);
}

void GlTestContext::clear(uint32_t argb, float depth)
{
    glClearColor(((argb >> 16) & 0xff) / 255.0f, ((argb >> 8) & 0xff) / 255.0f, (argb & 0xff) / 255.0f,
                 ((argb >> 24) & 0xff) / 255.0f);
    glClearDepth(depth);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

uint32_t GlTestContext::pixel(int x, int y) const
{
    // Targets are stored top row first: Direct3D's row y is GL's row y.
    uint32_t value = 0;
    glReadPixels(x, y, 1, 1, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, &value);
    return value;
}

float GlTestContext::depth(int x, int y) const
{
    float value = 0.0f;
    glReadPixels(x, y, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &value);
    return value;
}

void GlTestContext::draw(const std::vector<GlTestVertex>& vertices, const FixedFunctionVertexFormat& format)
{
    glBindVertexArray(m_vao);
    glBindBuffer(GL_ARRAY_BUFFER, m_vbo);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(GlTestVertex)), vertices.data(),
                 GL_STREAM_DRAW);
    const GLsizei stride = sizeof(GlTestVertex);
    for (int i = 0; i < 16; ++i)
        glDisableVertexAttribArray(i);
    auto attrib = [&](int location, int size, GLenum type, GLboolean normalised, size_t offset) {
        glEnableVertexAttribArray(location);
        glVertexAttribPointer(location, size, type, normalised, stride, reinterpret_cast<const void*>(offset));
    };
    attrib(FixedFunctionShader::kPositionLocation, 3, GL_FLOAT, GL_FALSE, offsetof(GlTestVertex, position));
    if (format.hasNormal)
        attrib(FixedFunctionShader::kNormalLocation, 3, GL_FLOAT, GL_FALSE, offsetof(GlTestVertex, normal));
    // D3DCOLOR bytes are B, G, R, A in memory.
    if (format.hasDiffuse)
        attrib(FixedFunctionShader::kDiffuseLocation, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, offsetof(GlTestVertex, diffuse));
    if (format.hasSpecular)
        attrib(FixedFunctionShader::kSpecularLocation, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE,
               offsetof(GlTestVertex, specular));
    for (int i = 0; i < format.texCoordCount && i < 2; ++i)
        attrib(FixedFunctionShader::kTexCoordLocation + i, format.texCoordSize[i], GL_FLOAT, GL_FALSE,
               offsetof(GlTestVertex, tex) + i * sizeof(std::array<float, 4>));
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(vertices.size()));
    glBindVertexArray(0);
}

unsigned GlTestContext::createTexture(int width, int height, const std::vector<uint32_t>& argb, int stage)
{
    GLuint id = 0;
    glActiveTexture(GL_TEXTURE0 + stage);
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, argb.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glActiveTexture(GL_TEXTURE0);
    return id;
}

unsigned GlTestContext::createVolumeTexture(int width, int height, int depth, const std::vector<uint32_t>& argb,
                                            int stage)
{
    GLuint id = 0;
    glActiveTexture(GL_TEXTURE0 + stage);
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_3D, id);
    glTexImage3D(GL_TEXTURE_3D, 0, GL_RGBA8, width, height, depth, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                 argb.data());
    glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
    glActiveTexture(GL_TEXTURE0);
    return id;
}

void GlTestContext::deleteTexture(unsigned id)
{
    GLuint name = id;
    glDeleteTextures(1, &name);
}
