#include "tests/platform/FixedFunctionTestRig.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>

FixedFunctionTestRig::FixedFunctionTestRig() : m_hold(GlTestContext::instance()), m_gl(m_hold.gl)
{
    // The programs live in this rig's cache; start every test from a clean target.
    if (m_gl)
        m_gl->bindTarget(kSize, kSize);
}

FixedFunctionTestRig::~FixedFunctionTestRig() = default;

bool FixedFunctionTestRig::draw(const std::vector<GlTestVertex>& vertices, const FixedFunctionVertexFormat& format,
                                uint32_t clearArgb, const std::array<FixedFunctionTextureKind, 8>& textures)
{
    m_gl->bindTarget(kSize, kSize);
    if (m_depthTest) {
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        glDepthMask(GL_TRUE);
    } else {
        glDisable(GL_DEPTH_TEST);
    }
    glDisable(GL_BLEND);
    m_gl->clear(clearArgb);
    FixedFunctionKey key = FixedFunctionKey::build(m_state, format, textures);
    GlProgram* program = m_cache.program(key);
    if (!program)
        return false;
    m_cache.applyUniforms(*program, m_state, kSize, kSize);
    DWORD planes = m_state.renderState(D3DRS_CLIPPLANEENABLE);
    for (int i = 0; i < 6; ++i) {
        if (planes & (1u << i))
            glEnable(GL_CLIP_DISTANCE0 + i);
        else
            glDisable(GL_CLIP_DISTANCE0 + i);
    }
    m_gl->draw(vertices, format);
    for (int i = 0; i < 6; ++i)
        glDisable(GL_CLIP_DISTANCE0 + i);
    return glGetError() == GL_NO_ERROR;
}

Rgba FixedFunctionTestRig::pixel(int x, int y) const
{
    return rgbaOf(m_gl->pixel(x, y));
}

std::vector<GlTestVertex> FixedFunctionTestRig::quad(float x0, float y0, float x1, float y1, float z,
                                                     const float normal[3], uint32_t diffuse, uint32_t specular)
{
    auto v = [&](float x, float y, float u, float t) {
        GlTestVertex vertex;
        vertex.position[0] = x;
        vertex.position[1] = y;
        vertex.position[2] = z;
        std::copy(normal, normal + 3, vertex.normal);
        vertex.diffuse = diffuse;
        vertex.specular = specular;
        vertex.tex[0] = {u, t, 0.0f, 0.0f};
        vertex.tex[1] = {u, t, 0.0f, 0.0f};
        return vertex;
    };
    // Texture (0, 0) at the top-left corner (x0, y1), v growing downwards.
    GlTestVertex a = v(x0, y1, 0, 0), b = v(x1, y1, 1, 0), c = v(x1, y0, 1, 1), d = v(x0, y0, 0, 1);
    return {a, b, c, a, c, d};
}

D3DMATRIX FixedFunctionTestRig::identity()
{
    D3DMATRIX m {};
    m._11 = m._22 = m._33 = m._44 = 1.0f;
    return m;
}

D3DMATRIX FixedFunctionTestRig::translation(float x, float y, float z)
{
    D3DMATRIX m = identity();
    m._41 = x;
    m._42 = y;
    m._43 = z;
    return m;
}

D3DMATRIX FixedFunctionTestRig::perspective(float fovY, float aspect, float zn, float zf)
{
    D3DMATRIX m {};
    float yScale = 1.0f / std::tan(fovY * 0.5f);
    m._11 = yScale / aspect;
    m._22 = yScale;
    m._33 = zf / (zf - zn);
    m._34 = 1.0f;
    m._43 = -zn * zf / (zf - zn);
    return m;
}

Rgba rgbaOf(uint32_t argb)
{
    return {((argb >> 16) & 0xff) / 255.0f, ((argb >> 8) & 0xff) / 255.0f, (argb & 0xff) / 255.0f,
            ((argb >> 24) & 0xff) / 255.0f};
}

uint32_t argbOf(const Rgba& c)
{
    auto byte = [](float v) { return static_cast<uint32_t>(std::lround(saturate(v) * 255.0f)); };
    return byte(c.a) << 24 | byte(c.r) << 16 | byte(c.g) << 8 | byte(c.b);
}

float saturate(float v)
{
    return std::clamp(v, 0.0f, 1.0f);
}
