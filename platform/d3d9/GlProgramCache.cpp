#include "platform/d3d9/GlProgramCache.h"

#include "platform/d3d9/FixedFunctionShader.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace {

using Matrix = D3DMATRIX;

Matrix multiply(const Matrix& a, const Matrix& b)
{
    Matrix r {};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
    return r;
}

bool affine(const Matrix& m)
{
    return m._14 == 0.0f && m._24 == 0.0f && m._34 == 0.0f && m._44 == 1.0f;
}

// The general inverse by cofactors; false when the matrix has none.
bool inverse(const Matrix& m, Matrix& out)
{
    const float* a = &m.m[0][0];
    float c[16];
    c[0] = a[5] * a[10] * a[15] - a[5] * a[11] * a[14] - a[9] * a[6] * a[15] + a[9] * a[7] * a[14]
           + a[13] * a[6] * a[11] - a[13] * a[7] * a[10];
    c[4] = -a[4] * a[10] * a[15] + a[4] * a[11] * a[14] + a[8] * a[6] * a[15] - a[8] * a[7] * a[14]
           - a[12] * a[6] * a[11] + a[12] * a[7] * a[10];
    c[8] = a[4] * a[9] * a[15] - a[4] * a[11] * a[13] - a[8] * a[5] * a[15] + a[8] * a[7] * a[13]
           + a[12] * a[5] * a[11] - a[12] * a[7] * a[9];
    c[12] = -a[4] * a[9] * a[14] + a[4] * a[10] * a[13] + a[8] * a[5] * a[14] - a[8] * a[6] * a[13]
            - a[12] * a[5] * a[10] + a[12] * a[6] * a[9];
    c[1] = -a[1] * a[10] * a[15] + a[1] * a[11] * a[14] + a[9] * a[2] * a[15] - a[9] * a[3] * a[14]
           - a[13] * a[2] * a[11] + a[13] * a[3] * a[10];
    c[5] = a[0] * a[10] * a[15] - a[0] * a[11] * a[14] - a[8] * a[2] * a[15] + a[8] * a[3] * a[14]
           + a[12] * a[2] * a[11] - a[12] * a[3] * a[10];
    c[9] = -a[0] * a[9] * a[15] + a[0] * a[11] * a[13] + a[8] * a[1] * a[15] - a[8] * a[3] * a[13]
           - a[12] * a[1] * a[11] + a[12] * a[3] * a[9];
    c[13] = a[0] * a[9] * a[14] - a[0] * a[10] * a[13] - a[8] * a[1] * a[14] + a[8] * a[2] * a[13]
            + a[12] * a[1] * a[10] - a[12] * a[2] * a[9];
    c[2] = a[1] * a[6] * a[15] - a[1] * a[7] * a[14] - a[5] * a[2] * a[15] + a[5] * a[3] * a[14]
           + a[13] * a[2] * a[7] - a[13] * a[3] * a[6];
    c[6] = -a[0] * a[6] * a[15] + a[0] * a[7] * a[14] + a[4] * a[2] * a[15] - a[4] * a[3] * a[14]
           - a[12] * a[2] * a[7] + a[12] * a[3] * a[6];
    c[10] = a[0] * a[5] * a[15] - a[0] * a[7] * a[13] - a[4] * a[1] * a[15] + a[4] * a[3] * a[13]
            + a[12] * a[1] * a[7] - a[12] * a[3] * a[5];
    c[14] = -a[0] * a[5] * a[14] + a[0] * a[6] * a[13] + a[4] * a[1] * a[14] - a[4] * a[2] * a[13]
            - a[12] * a[1] * a[6] + a[12] * a[2] * a[5];
    c[3] = -a[1] * a[6] * a[11] + a[1] * a[7] * a[10] + a[5] * a[2] * a[11] - a[5] * a[3] * a[10]
           - a[9] * a[2] * a[7] + a[9] * a[3] * a[6];
    c[7] = a[0] * a[6] * a[11] - a[0] * a[7] * a[10] - a[4] * a[2] * a[11] + a[4] * a[3] * a[10]
           + a[8] * a[2] * a[7] - a[8] * a[3] * a[6];
    c[11] = -a[0] * a[5] * a[11] + a[0] * a[7] * a[9] + a[4] * a[1] * a[11] - a[4] * a[3] * a[9]
            - a[8] * a[1] * a[7] + a[8] * a[3] * a[5];
    c[15] = a[0] * a[5] * a[10] - a[0] * a[6] * a[9] - a[4] * a[1] * a[10] + a[4] * a[2] * a[9]
            + a[8] * a[1] * a[6] - a[8] * a[2] * a[5];
    const float det = a[0] * c[0] + a[1] * c[4] + a[2] * c[8] + a[3] * c[12];
    if (!(std::fabs(det) > 1e-30f) || !std::isfinite(det))
        return false;
    float* o = &out.m[0][0];
    for (int k = 0; k < 16; ++k)
        o[k] = c[k] / det;
    return true;
}

// The normal matrix, row-major, for row-vector normals: the inverse
// transpose of the upper 3x3. A projective matrix (a last column other than
// 0, 0, 0, 1) turns normals by the inverse transpose of the whole matrix, as
// drivers light it, whose upper 3x3 differs from the 3x3's own. A singular
// matrix (a scale of 0 on one axis) has no inverse: its normals go through
// the cofactor matrix, the inverse transpose times the determinant, which
// still turns them the way the squashed surface faces, so lighting still
// happens. A matrix of rank 1 or 0 leaves them as they are.
void normalMatrix(const Matrix& m, float out[9])
{
    Matrix whole;
    if (!affine(m) && inverse(m, whole)) {
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                out[i * 3 + j] = whole.m[j][i];
        return;
    }
    const float a = m._11, b = m._12, c = m._13;
    const float d = m._21, e = m._22, f = m._23;
    const float g = m._31, h = m._32, i = m._33;
    const float A = e * i - f * h, B = -(d * i - f * g), C = d * h - e * g;
    const float D = -(b * i - c * h), E = a * i - c * g, F = -(a * h - b * g);
    const float G = b * f - c * e, H = -(a * f - c * d), I = a * e - b * d;
    const float det = a * A + b * B + c * C;
    // inverse = adjugate / det, adjugate = cofactor^T; its transpose is the cofactor matrix.
    const float cof[9] = {A, B, C, D, E, F, G, H, I};
    if (!(std::fabs(det) > 1e-30f) || !std::isfinite(det)) {
        const bool rankTwo = std::any_of(cof, cof + 9, [](float v) { return v != 0.0f; });
        const float identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
        std::copy(rankTwo ? cof : identity, (rankTwo ? cof : identity) + 9, out);
        return;
    }
    const float s = 1.0f / det;
    for (int k = 0; k < 9; ++k)
        out[k] = cof[k] * s;
}

void colorOf(DWORD argb, float out[4])
{
    out[0] = ((argb >> 16) & 0xff) / 255.0f;
    out[1] = ((argb >> 8) & 0xff) / 255.0f;
    out[2] = (argb & 0xff) / 255.0f;
    out[3] = ((argb >> 24) & 0xff) / 255.0f;
}

void uniformColor(int location, const D3DCOLORVALUE& c)
{
    if (location >= 0)
        glUniform4f(location, c.r, c.g, c.b, c.a);
}

void uniformMatrix(int location, const Matrix& m)
{
    if (location >= 0)
        glUniformMatrix4fv(location, 1, GL_TRUE, &m.m[0][0]);
}

D3DVECTOR transformPoint(const D3DVECTOR& p, const Matrix& m)
{
    return {p.x * m._11 + p.y * m._21 + p.z * m._31 + m._41, p.x * m._12 + p.y * m._22 + p.z * m._32 + m._42,
            p.x * m._13 + p.y * m._23 + p.z * m._33 + m._43};
}

D3DVECTOR transformNormalised(const D3DVECTOR& v, const Matrix& m, float sign)
{
    D3DVECTOR r {v.x * m._11 + v.y * m._21 + v.z * m._31, v.x * m._12 + v.y * m._22 + v.z * m._32,
                 v.x * m._13 + v.y * m._23 + v.z * m._33};
    float len = std::sqrt(r.x * r.x + r.y * r.y + r.z * r.z);
    float s = len > 0.0f ? sign / len : 0.0f;
    return {r.x * s, r.y * s, r.z * s};
}

bool compile(GLuint shader, const std::string& source, std::string& error)
{
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok)
        return true;
    char log[2048] = {};
    glGetShaderInfoLog(shader, sizeof log - 1, nullptr, log);
    error = log;
    return false;
}

} // namespace

GlProgramCache::~GlProgramCache()
{
    clear();
}

void GlProgramCache::clear()
{
    for (auto& entry : m_programs)
        if (entry.second && entry.second->id)
            glDeleteProgram(entry.second->id);
    m_programs.clear();
}

GlProgram* GlProgramCache::program(const FixedFunctionKey& key)
{
    auto it = m_programs.find(key);
    if (it != m_programs.end())
        return it->second.get();
    auto built = build(key);
    GlProgram* result = built.get();
    m_programs.emplace(key, std::move(built));
    return result;
}

std::unique_ptr<GlProgram> GlProgramCache::build(const FixedFunctionKey& key)
{
    ++m_generated;
    auto program = std::make_unique<GlProgram>();
    program->fields = key.fields();
    const auto& f = program->fields;

    GLuint vs = glCreateShader(GL_VERTEX_SHADER);
    GLuint fs = glCreateShader(GL_FRAGMENT_SHADER);
    std::string error;
    bool ok = compile(vs, FixedFunctionShader::vertexSource(f), error)
           && compile(fs, FixedFunctionShader::fragmentSource(f), error);
    GLuint id = 0;
    if (ok) {
        id = glCreateProgram();
        glAttachShader(id, vs);
        glAttachShader(id, fs);
        glLinkProgram(id);
        GLint linked = GL_FALSE;
        glGetProgramiv(id, GL_LINK_STATUS, &linked);
        if (!linked) {
            char log[2048] = {};
            glGetProgramInfoLog(id, sizeof log - 1, nullptr, log);
            error = log;
            glDeleteProgram(id);
            id = 0;
            ok = false;
        }
    }
    glDeleteShader(vs);
    glDeleteShader(fs);
    if (!ok) {
        // A generator fault, not a user error: say so loudly once.
        m_lastError = error;
        std::fprintf(stderr, "fixed-function program failed to build:\n%s\n", error.c_str());
        return nullptr;
    }

    program->id = id;
    auto loc = [id](const std::string& name) { return glGetUniformLocation(id, name.c_str()); };
    program->world = loc("ff_world");
    program->worldView = loc("ff_worldView");
    program->projection = loc("ff_projection");
    program->normalMatrix = loc("ff_normalMatrix");
    program->posFixup = loc("ff_posFixup");
    program->screen = loc("ff_screen");
    for (int s = 0; s < 8; ++s)
        program->textureMatrix[s] = loc("ff_textureMatrix[" + std::to_string(s) + "]");
    program->clipPlanes = loc("ff_clipPlanes");
    program->globalAmbient = loc("ff_globalAmbient");
    program->materialDiffuse = loc("ff_materialDiffuse");
    program->materialAmbient = loc("ff_materialAmbient");
    program->materialSpecular = loc("ff_materialSpecular");
    program->materialEmissive = loc("ff_materialEmissive");
    program->materialPower = loc("ff_materialPower");
    int lights = f.directionalLights + f.pointLights + f.spotLights;
    for (int i = 0; i < lights && i < 8; ++i) {
        std::string base = "ff_lights[" + std::to_string(i) + "].";
        auto& l = program->lights[i];
        l.diffuse = loc(base + "diffuse");
        l.specular = loc(base + "specular");
        l.ambient = loc(base + "ambient");
        l.position = loc(base + "position");
        l.direction = loc(base + "direction");
        l.attenuation = loc(base + "attenuation");
        l.spot = loc(base + "spot");
    }
    program->textureFactor = loc("ff_textureFactor");
    program->fogColor = loc("ff_fogColor");
    program->fogRange = loc("ff_fogRange");
    program->alphaRef = loc("ff_alphaRef");

    // Samplers are fixed to their stage's unit once; the caller's program
    // stays bound.
    GLint previous = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &previous);
    glUseProgram(id);
    for (int s = 0; s < f.stageCount; ++s) {
        int sampler = loc("ff_texture" + std::to_string(s));
        if (sampler >= 0)
            glUniform1i(sampler, s);
    }
    // A program deleted while it was current is gone once unbound.
    if (previous && glIsProgram(static_cast<GLuint>(previous)))
        glUseProgram(static_cast<GLuint>(previous));
    else
        glUseProgram(0);
    return program;
}

void GlProgramCache::applyUniforms(GlProgram& p, const FixedFunctionState& state, int viewportWidth,
                                   int viewportHeight, bool flipY, int viewportX, int viewportY)
{
    // Bound every time: authored programs are bound elsewhere, so a
    // remembered binding could be stale.
    glUseProgram(p.id);
    using G = FixedFunctionState;
    auto stale = [&](G::Group g) {
        if (p.uploaded[g] == state.serial(g))
            return false;
        p.uploaded[g] = state.serial(g);
        return true;
    };

    const float sign = flipY ? -1.0f : 1.0f;
    const std::array<float, 3> fixup = {viewportWidth > 0 ? 1.0f / viewportWidth : 0.0f,
                                        viewportHeight > 0 ? -sign / viewportHeight : 0.0f, sign};
    if (fixup != p.uploadedFixup) {
        p.uploadedFixup = fixup;
        glUniform4f(p.posFixup, fixup[0], fixup[1], fixup[2], 0.0f);
    }
    if (p.screen >= 0) {
        const std::array<float, 4> screen = {float(viewportX), float(viewportY),
                                             viewportWidth > 0 ? 2.0f / viewportWidth : 0.0f,
                                             viewportHeight > 0 ? 2.0f / viewportHeight : 0.0f};
        if (screen != p.uploadedScreen) {
            p.uploadedScreen = screen;
            glUniform4fv(p.screen, 1, screen.data());
        }
    }

    if (stale(G::GroupTransforms)) {
        const Matrix& world = state.transform(D3DTS_WORLD);
        Matrix worldView = multiply(world, state.transform(D3DTS_VIEW));
        uniformMatrix(p.world, world);
        uniformMatrix(p.worldView, worldView);
        uniformMatrix(p.projection, state.transform(D3DTS_PROJECTION));
        if (p.normalMatrix >= 0) {
            float n[9];
            normalMatrix(worldView, n);
            glUniformMatrix3fv(p.normalMatrix, 1, GL_TRUE, n);
        }
    }

    if (stale(G::GroupTextureTransforms)) {
        for (int s = 0; s < 8; ++s)
            uniformMatrix(p.textureMatrix[s], state.transform(static_cast<D3DTRANSFORMSTATETYPE>(D3DTS_TEXTURE0 + s)));
    }

    if (stale(G::GroupMaterial)) {
        const D3DMATERIAL9& m = state.material();
        uniformColor(p.materialDiffuse, m.Diffuse);
        uniformColor(p.materialAmbient, m.Ambient);
        uniformColor(p.materialSpecular, m.Specular);
        uniformColor(p.materialEmissive, m.Emissive);
        if (p.materialPower >= 0)
            glUniform1f(p.materialPower, m.Power);
    }

    if (stale(G::GroupLights) && p.fields.lighting) {
        const Matrix& view = state.transform(D3DTS_VIEW);
        // The program's light slots hold directional, then point, then spot
        // lights, each kind in the order the lights were enabled.
        int slot = 0;
        const D3DLIGHTTYPE order[3] = {D3DLIGHT_DIRECTIONAL, D3DLIGHT_POINT, D3DLIGHT_SPOT};
        for (D3DLIGHTTYPE type : order) {
            for (DWORD index : state.enabledLights()) {
                D3DLIGHT9 light;
                if (slot >= 8 || !state.light(index, &light) || light.Type != type)
                    continue;
                const auto& l = p.lights[slot++];
                uniformColor(l.diffuse, light.Diffuse);
                uniformColor(l.specular, light.Specular);
                uniformColor(l.ambient, light.Ambient);
                D3DVECTOR position = transformPoint(light.Position, view);
                D3DVECTOR direction = transformNormalised(light.Direction, view, type == D3DLIGHT_DIRECTIONAL ? -1.0f : 1.0f);
                if (l.position >= 0)
                    glUniform3f(l.position, position.x, position.y, position.z);
                if (l.direction >= 0)
                    glUniform3f(l.direction, direction.x, direction.y, direction.z);
                if (l.attenuation >= 0)
                    glUniform4f(l.attenuation, light.Attenuation0, light.Attenuation1, light.Attenuation2, light.Range);
                if (l.spot >= 0)
                    glUniform3f(l.spot, std::cos(light.Theta * 0.5f), std::cos(light.Phi * 0.5f), light.Falloff);
            }
        }
    }

    if (stale(G::GroupConstants)) {
        float c[4];
        colorOf(state.renderState(D3DRS_TEXTUREFACTOR), c);
        if (p.textureFactor >= 0)
            glUniform4fv(p.textureFactor, 1, c);
        colorOf(state.renderState(D3DRS_AMBIENT), c);
        if (p.globalAmbient >= 0)
            glUniform4fv(p.globalAmbient, 1, c);
        colorOf(state.renderState(D3DRS_FOGCOLOR), c);
        if (p.fogColor >= 0)
            glUniform3fv(p.fogColor, 1, c);
        if (p.fogRange >= 0) {
            float range[2];
            FixedFunctionShader::linearFogRange(state.renderStateFloat(D3DRS_FOGSTART),
                                                state.renderStateFloat(D3DRS_FOGEND), range);
            glUniform2fv(p.fogRange, 1, range);
        }
        if (p.alphaRef >= 0)
            glUniform1f(p.alphaRef, static_cast<float>(state.renderState(D3DRS_ALPHAREF) & 0xff));
    }

    if (stale(G::GroupClipPlanes) && p.clipPlanes >= 0) {
        float planes[24];
        for (int i = 0; i < 6; ++i)
            for (int j = 0; j < 4; ++j)
                planes[i * 4 + j] = state.clipPlane(i)[j];
        glUniform4fv(p.clipPlanes, 6, planes);
    }
}
