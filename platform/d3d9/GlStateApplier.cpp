#include "platform/d3d9/GlStateApplier.h"

#include <GL/glew.h>

#include <algorithm>
#include <cstring>

namespace {

GLenum compare(DWORD func)
{
    switch (func) {
    case D3DCMP_NEVER: return GL_NEVER;
    case D3DCMP_LESS: return GL_LESS;
    case D3DCMP_EQUAL: return GL_EQUAL;
    case D3DCMP_LESSEQUAL: return GL_LEQUAL;
    case D3DCMP_GREATER: return GL_GREATER;
    case D3DCMP_NOTEQUAL: return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL: return GL_GEQUAL;
    default: return GL_ALWAYS;
    }
}

GLenum blendFactor(DWORD blend)
{
    switch (blend) {
    case D3DBLEND_ZERO: return GL_ZERO;
    case D3DBLEND_SRCCOLOR: return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA: return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA: return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA: return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR: return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT: return GL_SRC_ALPHA_SATURATE;
    default: return GL_ONE;
    }
}

GLenum blendOp(DWORD op)
{
    switch (op) {
    case D3DBLENDOP_SUBTRACT: return GL_FUNC_SUBTRACT;
    case D3DBLENDOP_REVSUBTRACT: return GL_FUNC_REVERSE_SUBTRACT;
    case D3DBLENDOP_MIN: return GL_MIN;
    case D3DBLENDOP_MAX: return GL_MAX;
    default: return GL_FUNC_ADD;
    }
}

GLenum stencilOp(DWORD op)
{
    switch (op) {
    case D3DSTENCILOP_ZERO: return GL_ZERO;
    case D3DSTENCILOP_REPLACE: return GL_REPLACE;
    case D3DSTENCILOP_INCRSAT: return GL_INCR;
    case D3DSTENCILOP_DECRSAT: return GL_DECR;
    case D3DSTENCILOP_INVERT: return GL_INVERT;
    case D3DSTENCILOP_INCR: return GL_INCR_WRAP;
    case D3DSTENCILOP_DECR: return GL_DECR_WRAP;
    default: return GL_KEEP;
    }
}

GLint address(DWORD mode)
{
    switch (mode) {
    case D3DTADDRESS_MIRROR: return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP: return GL_CLAMP_TO_EDGE;
    case D3DTADDRESS_BORDER: return GL_CLAMP_TO_BORDER;
    case D3DTADDRESS_MIRRORONCE: return GL_MIRROR_CLAMP_TO_EDGE;
    default: return GL_REPEAT;
    }
}

void enable(GLenum cap, bool on)
{
    if (on)
        glEnable(cap);
    else
        glDisable(cap);
}

float asFloat(DWORD bits)
{
    float f;
    std::memcpy(&f, &bits, sizeof(f));
    return f;
}

// The render states this class applies, each standing for its group.
constexpr uint32_t kApplied[] = {
    D3DRS_ZENABLE, D3DRS_ZWRITEENABLE, D3DRS_ZFUNC, D3DRS_FILLMODE, D3DRS_CULLMODE, D3DRS_ALPHABLENDENABLE,
    D3DRS_SRCBLEND, D3DRS_DESTBLEND, D3DRS_BLENDOP, D3DRS_STENCILENABLE, D3DRS_STENCILFUNC, D3DRS_STENCILREF,
    D3DRS_STENCILMASK, D3DRS_STENCILWRITEMASK, D3DRS_STENCILFAIL, D3DRS_STENCILZFAIL, D3DRS_STENCILPASS,
    D3DRS_COLORWRITEENABLE, D3DRS_POINTSIZE,
};

} // namespace

GlStateApplier::~GlStateApplier() = default;

void GlStateApplier::release()
{
    for (uint32_t& sampler : m_samplers)
        if (sampler) {
            glDeleteSamplers(1, &sampler);
            sampler = 0;
        }
    m_last = nullptr;
}

void GlStateApplier::apply(const FixedFunctionState& state, bool clipPlanes)
{
    const bool all = m_last != &state;
    m_last = &state;
    const uint32_t mask = clipPlanes ? state.renderState(D3DRS_CLIPPLANEENABLE) & 0x3Fu : 0u;
    if (mask != m_clipMask) {
        for (DWORD i = 0; i < D3DMAXUSERCLIPPLANES; ++i)
            if (((mask ^ m_clipMask) >> i) & 1)
                enable(GL_CLIP_DISTANCE0 + i, (mask >> i) & 1);
        m_clipMask = mask;
    }
    const auto& dirty = state.dirtyRenderStates();
    for (uint32_t which : kApplied)
        if (all || dirty.test(which))
            applyRenderState(state, which);
    const uint32_t samplers = all ? 0xFFFFu : state.dirtySamplers();
    for (int unit = 0; unit < FixedFunctionState::kSamplerCount; ++unit)
        if ((samplers & (1u << unit)) || !m_samplers[unit])
            applySampler(state, unit);
}

void GlStateApplier::applyRenderState(const FixedFunctionState& s, uint32_t which)
{
    auto rs = [&](D3DRENDERSTATETYPE t) { return s.renderState(t); };
    switch (which) {
    case D3DRS_ZENABLE:
        enable(GL_DEPTH_TEST, rs(D3DRS_ZENABLE) != D3DZB_FALSE);
        break;
    case D3DRS_ZWRITEENABLE:
        glDepthMask(rs(D3DRS_ZWRITEENABLE) ? GL_TRUE : GL_FALSE);
        break;
    case D3DRS_ZFUNC:
        glDepthFunc(compare(rs(D3DRS_ZFUNC)));
        break;
    case D3DRS_FILLMODE: {
        const DWORD fill = rs(D3DRS_FILLMODE);
        glPolygonMode(GL_FRONT_AND_BACK, fill == D3DFILL_POINT ? GL_POINT : fill == D3DFILL_WIREFRAME ? GL_LINE
                                                                                                        : GL_FILL);
        break;
    }
    case D3DRS_CULLMODE: {
        // See the winding note in Direct3DDevice9.h: the y flip swaps GL's faces.
        const DWORD cull = rs(D3DRS_CULLMODE);
        glFrontFace(GL_CCW);
        enable(GL_CULL_FACE, cull == D3DCULL_CW || cull == D3DCULL_CCW);
        glCullFace(cull == D3DCULL_CW ? GL_FRONT : GL_BACK);
        break;
    }
    case D3DRS_ALPHABLENDENABLE:
        enable(GL_BLEND, rs(D3DRS_ALPHABLENDENABLE) != 0);
        break;
    case D3DRS_SRCBLEND:
    case D3DRS_DESTBLEND:
        glBlendFunc(blendFactor(rs(D3DRS_SRCBLEND)), blendFactor(rs(D3DRS_DESTBLEND)));
        break;
    case D3DRS_BLENDOP:
        glBlendEquation(blendOp(rs(D3DRS_BLENDOP)));
        break;
    case D3DRS_STENCILENABLE:
        enable(GL_STENCIL_TEST, rs(D3DRS_STENCILENABLE) != 0);
        break;
    case D3DRS_STENCILFUNC:
    case D3DRS_STENCILREF:
    case D3DRS_STENCILMASK:
        glStencilFunc(compare(rs(D3DRS_STENCILFUNC)), GLint(rs(D3DRS_STENCILREF) & 0xFF),
                      GLuint(rs(D3DRS_STENCILMASK)));
        break;
    case D3DRS_STENCILWRITEMASK:
        glStencilMask(GLuint(rs(D3DRS_STENCILWRITEMASK)));
        break;
    case D3DRS_STENCILFAIL:
    case D3DRS_STENCILZFAIL:
    case D3DRS_STENCILPASS:
        glStencilOp(stencilOp(rs(D3DRS_STENCILFAIL)), stencilOp(rs(D3DRS_STENCILZFAIL)),
                    stencilOp(rs(D3DRS_STENCILPASS)));
        break;
    case D3DRS_COLORWRITEENABLE: {
        const DWORD mask = rs(D3DRS_COLORWRITEENABLE);
        glColorMask((mask & D3DCOLORWRITEENABLE_RED) != 0, (mask & D3DCOLORWRITEENABLE_GREEN) != 0,
                    (mask & D3DCOLORWRITEENABLE_BLUE) != 0, (mask & D3DCOLORWRITEENABLE_ALPHA) != 0);
        break;
    }
    case D3DRS_POINTSIZE: {
        const float size = asFloat(rs(D3DRS_POINTSIZE));
        glPointSize(size >= 1.0f && size <= 256.0f ? size : 1.0f);
        break;
    }
    default:
        break;
    }
}

void GlStateApplier::applySampler(const FixedFunctionState& s, int unit)
{
    if (!m_samplers[unit])
        glGenSamplers(1, &m_samplers[unit]);
    const GLuint sampler = m_samplers[unit];
    auto ss = [&](D3DSAMPLERSTATETYPE t) { return s.samplerState(DWORD(unit), t); };
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, address(ss(D3DSAMP_ADDRESSU)));
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, address(ss(D3DSAMP_ADDRESSV)));
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_R, address(ss(D3DSAMP_ADDRESSW)));
    const DWORD border = ss(D3DSAMP_BORDERCOLOR);
    const float colour[4] = {float((border >> 16) & 0xFF) / 255.0f, float((border >> 8) & 0xFF) / 255.0f,
                             float(border & 0xFF) / 255.0f, float(border >> 24) / 255.0f};
    glSamplerParameterfv(sampler, GL_TEXTURE_BORDER_COLOR, colour);
    const DWORD mag = ss(D3DSAMP_MAGFILTER), min = ss(D3DSAMP_MINFILTER), mip = ss(D3DSAMP_MIPFILTER);
    glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, mag == D3DTEXF_POINT ? GL_NEAREST : GL_LINEAR);
    const bool linearMin = min != D3DTEXF_POINT && min != D3DTEXF_NONE;
    GLint minFilter = linearMin ? GL_LINEAR : GL_NEAREST;
    if (mip == D3DTEXF_POINT)
        minFilter = linearMin ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    else if (mip == D3DTEXF_LINEAR || mip == D3DTEXF_ANISOTROPIC)
        minFilter = linearMin ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, minFilter);
    if (GLEW_EXT_texture_filter_anisotropic) {
        const float anisotropy = min == D3DTEXF_ANISOTROPIC || mag == D3DTEXF_ANISOTROPIC
                                     ? float(std::max<DWORD>(1, std::min<DWORD>(16, ss(D3DSAMP_MAXANISOTROPY))))
                                     : 1.0f;
        glSamplerParameterf(sampler, GL_TEXTURE_MAX_ANISOTROPY_EXT, anisotropy);
    }
    glSamplerParameterf(sampler, GL_TEXTURE_LOD_BIAS, asFloat(ss(D3DSAMP_MIPMAPLODBIAS)));
    glSamplerParameterf(sampler, GL_TEXTURE_MIN_LOD, float(ss(D3DSAMP_MAXMIPLEVEL)));
    glBindSampler(GLuint(unit), sampler);
}
