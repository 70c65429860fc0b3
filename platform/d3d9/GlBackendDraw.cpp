// GlBackend: one draw. The state block's differences go to GL, textures to
// their units, the vertex layout to attribute arrays, then the program (the
// generated fixed-function one for the key, or the linked authored pair).
#include "platform/d3d9/GlBackend.h"

#include "platform/d3d9/FixedFunctionShader.h"

#include <GL/glew.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

namespace {

GLenum modeOf(D3DPRIMITIVETYPE type)
{
    switch (type) {
    case D3DPT_POINTLIST: return GL_POINTS;
    case D3DPT_LINELIST: return GL_LINES;
    case D3DPT_LINESTRIP: return GL_LINE_STRIP;
    case D3DPT_TRIANGLESTRIP: return GL_TRIANGLE_STRIP;
    case D3DPT_TRIANGLEFAN: return GL_TRIANGLE_FAN;
    default: return GL_TRIANGLES;
    }
}

GLenum targetOf(FixedFunctionTextureKind kind)
{
    switch (kind) {
    case FixedFunctionTextureKind::Cube: return GL_TEXTURE_CUBE_MAP;
    case FixedFunctionTextureKind::Volume: return GL_TEXTURE_3D;
    default: return GL_TEXTURE_2D;
    }
}

// The attribute location of a declaration usage: the fixed-function
// program's for the usages it reads, then the documented authored ones.
int locationOf(const D3DVERTEXELEMENT9& e)
{
    switch (e.Usage) {
    case D3DDECLUSAGE_POSITION:
    case D3DDECLUSAGE_POSITIONT: return e.UsageIndex == 0 ? FixedFunctionShader::kPositionLocation : -1;
    case D3DDECLUSAGE_NORMAL: return e.UsageIndex == 0 ? FixedFunctionShader::kNormalLocation : -1;
    case D3DDECLUSAGE_COLOR:
        return e.UsageIndex == 0   ? FixedFunctionShader::kDiffuseLocation
               : e.UsageIndex == 1 ? FixedFunctionShader::kSpecularLocation
                                   : -1;
    case D3DDECLUSAGE_TEXCOORD: return e.UsageIndex < 8 ? FixedFunctionShader::kTexCoordLocation + e.UsageIndex : -1;
    case D3DDECLUSAGE_BLENDWEIGHT: return e.UsageIndex == 0 ? 12 : -1;
    case D3DDECLUSAGE_BLENDINDICES: return e.UsageIndex == 0 ? 13 : -1;
    case D3DDECLUSAGE_TANGENT: return e.UsageIndex == 0 ? 14 : -1;
    case D3DDECLUSAGE_BINORMAL: return e.UsageIndex == 0 ? 15 : -1;
    default: return -1;
    }
}

void pointerFor(int location, BYTE type, GLsizei stride, const void* offset)
{
    switch (type) {
    case D3DDECLTYPE_FLOAT1: glVertexAttribPointer(location, 1, GL_FLOAT, GL_FALSE, stride, offset); break;
    case D3DDECLTYPE_FLOAT2: glVertexAttribPointer(location, 2, GL_FLOAT, GL_FALSE, stride, offset); break;
    case D3DDECLTYPE_FLOAT3: glVertexAttribPointer(location, 3, GL_FLOAT, GL_FALSE, stride, offset); break;
    case D3DDECLTYPE_FLOAT4: glVertexAttribPointer(location, 4, GL_FLOAT, GL_FALSE, stride, offset); break;
    // D3DCOLOR bytes are B, G, R, A in memory.
    case D3DDECLTYPE_D3DCOLOR: glVertexAttribPointer(location, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride, offset); break;
    case D3DDECLTYPE_UBYTE4: glVertexAttribPointer(location, 4, GL_UNSIGNED_BYTE, GL_FALSE, stride, offset); break;
    case D3DDECLTYPE_UBYTE4N: glVertexAttribPointer(location, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride, offset); break;
    case D3DDECLTYPE_SHORT2: glVertexAttribPointer(location, 2, GL_SHORT, GL_FALSE, stride, offset); break;
    case D3DDECLTYPE_SHORT4: glVertexAttribPointer(location, 4, GL_SHORT, GL_FALSE, stride, offset); break;
    default: break;
    }
}

} // namespace

uint32_t GlBackend::streamBuffer(uint32_t* name, UINT* capacity, uint32_t target, const void* data, UINT bytes)
{
    if (!*name)
        glGenBuffers(1, name);
    glBindBuffer(target, *name);
    // Orphaned on every draw: the previous draw may still be reading it.
    if (bytes > *capacity)
        *capacity = bytes;
    glBufferData(target, GLsizeiptr(*capacity), nullptr, GL_STREAM_DRAW);
    glBufferSubData(target, 0, GLsizeiptr(bytes), data);
    return *name;
}

bool GlBackend::setUpVertexInput(const DrawCall& call)
{
    glBindVertexArray(m_vao);
    // User memory goes up once per draw, whatever number of elements read it.
    // System-memory buffers on several streams are separate blocks of memory:
    // each goes to its own place in the one upload, or every stream would
    // read the last one's bytes.
    std::array<uintptr_t, DrawCall::kStreamCount> userBase {};
    uint64_t userBytes = 0;
    for (int s = 0; s < DrawCall::kStreamCount; ++s)
        if (call.streams[s].memory) {
            userBase[s] = uintptr_t(userBytes);
            userBytes += (uint64_t(call.streams[s].bytes) + 15) & ~uint64_t(15);
        }
    if (userBytes > UINT32_MAX)
        return false;
    GLuint userBuffer = 0;
    if (userBytes) {
        if (!m_upVertices)
            glGenBuffers(1, &m_upVertices);
        glBindBuffer(GL_ARRAY_BUFFER, m_upVertices);
        // Orphaned on every draw: the previous draw may still be reading it.
        m_upVertexCapacity = std::max(m_upVertexCapacity, UINT(userBytes));
        glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(m_upVertexCapacity), nullptr, GL_STREAM_DRAW);
        for (int s = 0; s < DrawCall::kStreamCount; ++s)
            if (call.streams[s].memory)
                glBufferSubData(GL_ARRAY_BUFFER, GLintptr(userBase[s]), GLsizeiptr(call.streams[s].bytes),
                                call.streams[s].memory);
        userBuffer = m_upVertices;
    }
    uint32_t enabled = 0;
    for (const D3DVERTEXELEMENT9* e = call.elements; e && e->Stream != 0xFF; ++e) {
        const int location = locationOf(*e);
        if (location < 0 || e->Stream >= DrawCall::kStreamCount)
            continue;
        const DrawStream& stream = call.streams[e->Stream];
        GLuint buffer = 0;
        uintptr_t base = 0;
        if (stream.memory) {
            buffer = userBuffer;
            base = userBase[e->Stream];
        } else {
            auto it = m_buffers.find(stream.buffer);
            if (it == m_buffers.end())
                return false;
            buffer = it->second.name;
        }
        glBindBuffer(GL_ARRAY_BUFFER, buffer);
        glEnableVertexAttribArray(GLuint(location));
        pointerFor(location, e->Type, GLsizei(stream.stride),
                   reinterpret_cast<const void*>(base + stream.offset + e->Offset));
        // Stride 0 repeats one vertex on Direct3D; GL reads it as packed,
        // while a divisor keeps every vertex of the draw on the first one.
        glVertexAttribDivisor(GLuint(location), stream.stride == 0 ? 1 : 0);
        enabled |= 1u << location;
    }
    for (int location = 0; location < 16; ++location)
        if (!(enabled & (1u << location)))
            glDisableVertexAttribArray(GLuint(location));
    return true;
}

void GlBackend::bindTextures(const DrawCall& call)
{
    for (int unit = 0; unit < DrawCall::kSamplerCount; ++unit) {
        GLuint name = 0;
        GLenum target = m_boundTargets[unit] ? m_boundTargets[unit] : GL_TEXTURE_2D;
        if (call.textures[unit].texture) {
            auto it = m_textures.find(call.textures[unit].texture);
            if (it != m_textures.end()) {
                name = it->second.name;
                target = targetOf(call.textures[unit].kind);
            }
        }
        if (m_boundTextures[unit] == name && (name == 0 || m_boundTargets[unit] == target))
            continue;
        glActiveTexture(GL_TEXTURE0 + GLenum(unit));
        if (m_boundTextures[unit] && m_boundTargets[unit] != target)
            glBindTexture(m_boundTargets[unit], 0);
        glBindTexture(target, name);
        m_boundTextures[unit] = name;
        m_boundTargets[unit] = target;
    }
}

GlBackend::LinkedProgram* GlBackend::linkedProgram(uint32_t vertexShader, uint32_t pixelShader)
{
    const auto key = std::make_pair(vertexShader, pixelShader);
    auto found = m_linked.find(key);
    if (found != m_linked.end())
        return found->second.name ? &found->second : nullptr;
    LinkedProgram& linked = m_linked[key];
    auto vs = m_shaders.find(vertexShader);
    auto ps = m_shaders.find(pixelShader);
    if (vs == m_shaders.end() || ps == m_shaders.end())
        return nullptr;
    const GLuint program = glCreateProgram();
    glAttachShader(program, vs->second.name);
    glAttachShader(program, ps->second.name);
    glLinkProgram(program);
    GLint ok = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) {
        char log[1024] = {};
        glGetProgramInfoLog(program, sizeof(log), nullptr, log);
        std::fprintf(stderr, "Direct3D: shaders do not link:\n%s\n", log);
        glDeleteProgram(program);
        return nullptr;
    }
    linked.name = program;
    glUseProgram(program);
    for (int unit = 0; unit < DrawCall::kSamplerCount; ++unit) {
        const GLint location = glGetUniformLocation(program, ("ps_s" + std::to_string(unit)).c_str());
        if (location >= 0)
            glUniform1i(location, unit);
    }
    linked.vertexConstants = glGetUniformLocation(program, "vs_c");
    linked.pixelConstants = glGetUniformLocation(program, "ps_c");
    linked.posFixup = glGetUniformLocation(program, "d3d_posFixup");
    linked.clipPlanes = glGetUniformLocation(program, "d3d_clipPlanes");
    linked.alphaTest = glGetUniformLocation(program, "d3d_alphaTest");
    linked.fogColor = glGetUniformLocation(program, "d3d_fogColor");
    linked.fogRange = glGetUniformLocation(program, "d3d_fogRange");
    linked.fogAffine = glGetUniformLocation(program, "d3d_fogAffine");
    return &linked;
}

void GlBackend::setPostShaderUniforms(const LinkedProgram& linked, const FixedFunctionState& state)
{
    if (linked.alphaTest >= 0) {
        const DWORD func = state.renderState(D3DRS_ALPHATESTENABLE) ? std::min<DWORD>(state.renderState(D3DRS_ALPHAFUNC), 8) : 0;
        glUniform4f(linked.alphaTest, float(func), float(state.renderState(D3DRS_ALPHAREF) & 0xFF), 0.0f, 0.0f);
    }
    if (linked.fogColor >= 0) {
        // With a vertex shader the table mode decides: linear table fog
        // from the depth, otherwise the fog value the shader wrote.
        float mode = 0.0f;
        if (state.renderState(D3DRS_FOGENABLE))
            mode = state.renderState(D3DRS_FOGTABLEMODE) == D3DFOG_LINEAR ? 2.0f : 1.0f;
        const DWORD c = state.renderState(D3DRS_FOGCOLOR);
        glUniform4f(linked.fogColor, float((c >> 16) & 0xFF) / 255.0f, float((c >> 8) & 0xFF) / 255.0f,
                    float(c & 0xFF) / 255.0f, mode);
    }
    if (linked.fogRange >= 0) {
        float range[2];
        FixedFunctionShader::linearFogRange(state.renderStateFloat(D3DRS_FOGSTART),
                                            state.renderStateFloat(D3DRS_FOGEND), range);
        glUniform2fv(linked.fogRange, 1, range);
    }
    if (linked.fogAffine >= 0) {
        // Table fog reads the depth under an affine projection and eye w
        // under a perspective one, as the fixed-function programs do.
        const D3DMATRIX& p = state.transform(D3DTS_PROJECTION);
        const bool affine = p._14 == 0.0f && p._24 == 0.0f && p._34 == 0.0f && p._44 == 1.0f;
        glUniform1f(linked.fogAffine, affine ? 1.0f : 0.0f);
    }
}

HRESULT GlBackend::draw(const DrawCall& call)
{
    if (!current() || !call.state)
        return D3DERR_INVALIDCALL;
    if (!m_vao)
        glGenVertexArrays(1, &m_vao);
    if (!m_programs)
        m_programs = std::make_unique<GlProgramCache>();
    glBindFramebuffer(GL_FRAMEBUFFER, m_drawFbo);
    // Another device drew on the shared context since: nothing it left
    // can be trusted to be ours.
    if (s_lastDrawer != this) {
        m_applier.invalidate();
        m_boundTextures.fill(0);
        s_lastDrawer = this;
    }
    m_applier.apply(*call.state, !call.vertexFormat.pretransformed || call.vertexShader);
    // Screen-space vertices drawn without a depth test are clamped to the
    // depth range rather than clipped by it.
    const bool clampDepth = call.vertexFormat.pretransformed && !call.vertexShader
                            && call.state->renderState(D3DRS_ZENABLE) == D3DZB_FALSE;
    if (clampDepth)
        glEnable(GL_DEPTH_CLAMP);
    else
        glDisable(GL_DEPTH_CLAMP);
    bindTextures(call);

    const float width = float(call.viewport.Width), height = float(call.viewport.Height);
    if (call.vertexShader) {
        LinkedProgram* linked = linkedProgram(call.vertexShader, call.pixelShader);
        if (!linked)
            return D3DERR_INVALIDCALL;
        glUseProgram(linked->name);
        if (linked->vertexConstants >= 0)
            glUniform4fv(linked->vertexConstants, GLsizei(call.vertexConstantCount), call.vertexConstants);
        if (linked->pixelConstants >= 0)
            glUniform4fv(linked->pixelConstants, GLsizei(call.pixelConstantCount), call.pixelConstants);
        glUniform4f(linked->posFixup, width > 0 ? 1.0f / width : 0.0f, height > 0 ? 1.0f / height : 0.0f, -1.0f,
                    0.0f);
        if (linked->clipPlanes >= 0) {
            float planes[4 * D3DMAXUSERCLIPPLANES];
            for (DWORD i = 0; i < D3DMAXUSERCLIPPLANES; ++i)
                std::copy(call.state->clipPlane(i), call.state->clipPlane(i) + 4, planes + 4 * i);
            glUniform4fv(linked->clipPlanes, GLsizei(D3DMAXUSERCLIPPLANES), planes);
        }
        setPostShaderUniforms(*linked, *call.state);
    } else {
        // The key is rebuilt only when something it depends on moved.
        std::array<FixedFunctionTextureKind, FixedFunctionKey::kStageCount> kinds {};
        for (int stage = 0; stage < FixedFunctionKey::kStageCount; ++stage)
            kinds[stage] = call.textures[stage].texture ? call.textures[stage].kind : FixedFunctionTextureKind::None;
        const FixedFunctionVertexFormat& v = call.vertexFormat;
        const bool same = m_lastProgram && m_lastState == call.state
                          && m_lastProgramSerial == call.state->programSerial() && m_lastKinds == kinds
                          && m_lastFormat.hasNormal == v.hasNormal && m_lastFormat.hasDiffuse == v.hasDiffuse
                          && m_lastFormat.hasSpecular == v.hasSpecular
                          && m_lastFormat.pretransformed == v.pretransformed
                          && m_lastFormat.texCoordCount == v.texCoordCount
                          && m_lastFormat.texCoordSize == v.texCoordSize;
        if (!same) {
            m_lastProgram = m_programs->program(FixedFunctionKey::build(*call.state, v, kinds));
            m_lastState = call.state;
            m_lastProgramSerial = call.state->programSerial();
            m_lastKinds = kinds;
            m_lastFormat = v;
        }
        if (!m_lastProgram)
            return D3DERR_INVALIDCALL;
        m_programs->applyUniforms(*m_lastProgram, *call.state, int(call.viewport.Width), int(call.viewport.Height),
                                  true, int(call.viewport.X), int(call.viewport.Y));
    }

    if (!setUpVertexInput(call))
        return D3DERR_INVALIDCALL;
    const GLenum mode = modeOf(call.type);
    if (call.indexed) {
        const GLenum type = call.indexFormat == D3DFMT_INDEX32 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT;
        const UINT indexBytes = call.indexFormat == D3DFMT_INDEX32 ? 4 : 2;
        uintptr_t offset = uintptr_t(call.start) * indexBytes;
        if (call.indexMemory) {
            streamBuffer(&m_upIndices, &m_upIndexCapacity, GL_ELEMENT_ARRAY_BUFFER, call.indexMemory,
                         call.vertexCount * indexBytes);
            offset = 0;
        } else {
            auto it = m_buffers.find(call.indexBuffer);
            if (it == m_buffers.end())
                return D3DERR_INVALIDCALL;
            glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, it->second.name);
        }
        glDrawElementsBaseVertex(mode, GLsizei(call.vertexCount), type, reinterpret_cast<const void*>(offset),
                                 call.baseVertex);
    } else {
        glDrawArrays(mode, GLint(call.start), GLsizei(call.vertexCount));
    }
    return D3D_OK;
}

bool GlBackend::beginForeignDraw()
{
    if (!current())
        return false;
    glBindFramebuffer(GL_FRAMEBUFFER, m_drawFbo);
    return true;
}

void GlBackend::endForeignDraw()
{
    if (s_lastDrawer == this)
        s_lastDrawer = nullptr;
    m_lastProgram = nullptr;
    m_boundTextures.fill(0);
    if (current())
        glBindFramebuffer(GL_FRAMEBUFFER, m_drawFbo);
}
