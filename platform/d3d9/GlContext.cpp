#include "platform/d3d9/GlContext.h"

#include <GL/glew.h>
#include <SDL2/SDL.h>
#include <cstdio>

namespace {
SDL_GLContext g_context = nullptr;
// The context's own drawable while no device window is current.
SDL_Window* g_home = nullptr;
SDL_Window* g_current = nullptr;

bool create()
{
    g_home = SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!g_home) {
        std::fprintf(stderr, "GL: no window for the context: %s\n", SDL_GetError());
        return false;
    }
    g_context = SDL_GL_CreateContext(g_home);
    if (!g_context) {
        std::fprintf(stderr, "GL: no OpenGL 3.3 compatibility context: %s\n", SDL_GetError());
        SDL_DestroyWindow(g_home);
        g_home = nullptr;
        return false;
    }
    g_current = g_home;
    glewExperimental = GL_TRUE;
    const GLenum status = glewInit();
    // GLEW asks for the GLX extension string first and can fail on that alone
    // while every entry point we need was found.
    if (status != GLEW_OK && !glBlitFramebuffer) {
        std::fprintf(stderr, "GL: %s\n", reinterpret_cast<const char*>(glewGetErrorString(status)));
        SDL_GL_DeleteContext(g_context);
        SDL_DestroyWindow(g_home);
        g_context = nullptr;
        g_home = nullptr;
        return false;
    }
    while (glGetError() != GL_NO_ERROR) {
    }
    return true;
}
} // namespace

void GlContext::configureAttributes()
{
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    // Depth, stencil and multisampling live in our framebuffer objects; the
    // window only ever receives the finished picture.
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, 0);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, 0);
}

bool GlContext::makeCurrent(SDL_Window* window)
{
    if (!g_context && !create())
        return false;
    SDL_Window* target = window ? window : g_home;
    if (target == g_current)
        return true;
    if (SDL_GL_MakeCurrent(target, g_context) != 0)
        return false;
    g_current = target;
    return true;
}

void GlContext::windowDestroyed(SDL_Window* window)
{
    if (g_context && window == g_current) {
        SDL_GL_MakeCurrent(g_home, g_context);
        g_current = g_home;
    }
}

bool GlContext::exists()
{
    return g_context != nullptr;
}
