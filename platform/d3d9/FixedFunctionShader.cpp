#include "platform/d3d9/FixedFunctionShader.h"

#include <string>

// The formulas follow Direct3D 9's documented fixed-function pipeline: the
// lighting equations (ambient, diffuse, specular with the halfway vector,
// attenuation, spotlight factor), camera-space texture coordinate generation,
// texture transforms with D3DTTFF_COUNTn/PROJECTED, the texture stage
// operations, and linear fog.

namespace {

using Fields = FixedFunctionKey::Fields;

std::string num(int value)
{
    return std::to_string(value);
}

const char* sourceColor(uint8_t source, const char* material)
{
    if (source == D3DMCS_COLOR1)
        return "in_diffuse";
    if (source == D3DMCS_COLOR2)
        return "in_specular";
    return material;
}

int lightCount(const Fields& k)
{
    return k.directionalLights + k.pointLights + k.spotLights;
}

// Direct3D pads a coordinate set to four components with a 1 after its last
// component and zeros beyond: (u, v) enters the texture matrix as
// (u, v, 1, 0), which is why 2D texture scrolls live in the third row.
std::string paddedTexCoord(const Fields& k, int set)
{
    if (set >= k.vertex.texCoordCount)
        return "vec4(0.0)";
    std::string name = "in_texcoord" + num(set);
    switch (k.vertex.texCoordSize[set]) {
    case 1: return "vec4(" + name + ", 1.0, 0.0, 0.0)";
    case 2: return "vec4(" + name + ", 1.0, 0.0)";
    case 3: return "vec4(" + name + ", 1.0)";
    default: return name;
    }
}

void appendLightFunctions(std::string& s, const Fields& k)
{
    s += "struct FfLight {\n"
         "    vec4 diffuse;\n"
         "    vec4 specular;\n"
         "    vec4 ambient;\n"
         "    vec3 position;   // camera space\n"
         "    vec3 direction;  // camera space; towards the light for directional lights\n"
         "    vec4 attenuation; // a0, a1, a2, range\n"
         "    vec3 spot;        // cos(theta / 2), cos(phi / 2), falloff\n"
         "};\n";
    s += "uniform FfLight ff_lights[" + num(lightCount(k)) + "];\n";
    s += "uniform float ff_materialPower;\n";

    // One contribution: D3D adds the light's ambient, N.L-weighted diffuse and
    // (N.H)^P specular, each scaled by attenuation times spotlight factor.
    s += "void ffAccumulate(FfLight l, vec3 L, float factor, vec3 P, vec3 N,\n"
         "                  inout vec3 ambient, inout vec3 diffuse, inout vec3 specular)\n"
         "{\n"
         "    ambient += l.ambient.rgb * factor;\n"
         "    float nDotL = max(dot(N, L), 0.0);\n"
         "    diffuse += l.diffuse.rgb * (nDotL * factor);\n";
    if (k.specular) {
        s += k.localViewer ? "    vec3 toEye = ffNormalize(-P);\n" : "    vec3 toEye = vec3(0.0, 0.0, -1.0);\n";
        s += "    if (nDotL > 0.0) {\n"
             "        float nDotH = dot(N, ffNormalize(toEye + L));\n"
             "        if (nDotH > 0.0)\n"
             "            specular += l.specular.rgb * (pow(nDotH, ff_materialPower) * factor);\n"
             "    }\n";
    }
    s += "}\n";

    s += "void ffDirectional(FfLight l, vec3 P, vec3 N, inout vec3 a, inout vec3 d, inout vec3 sp)\n"
         "{\n"
         "    ffAccumulate(l, l.direction, 1.0, P, N, a, d, sp);\n"
         "}\n";
    s += "float ffAttenuation(FfLight l, float dist)\n"
         "{\n"
         "    if (dist > l.attenuation.w)\n"
         "        return 0.0;\n"
         "    return 1.0 / (l.attenuation.x + l.attenuation.y * dist + l.attenuation.z * dist * dist);\n"
         "}\n";
    s += "void ffPoint(FfLight l, vec3 P, vec3 N, inout vec3 a, inout vec3 d, inout vec3 sp)\n"
         "{\n"
         "    vec3 toLight = l.position - P;\n"
         "    float dist = length(toLight);\n"
         "    float att = ffAttenuation(l, dist);\n"
         "    if (att > 0.0)\n"
         "        ffAccumulate(l, toLight / max(dist, 1e-30), att, P, N, a, d, sp);\n"
         "}\n";
    s += "void ffSpot(FfLight l, vec3 P, vec3 N, inout vec3 a, inout vec3 d, inout vec3 sp)\n"
         "{\n"
         "    vec3 toLight = l.position - P;\n"
         "    float dist = length(toLight);\n"
         "    float att = ffAttenuation(l, dist);\n"
         "    if (att <= 0.0)\n"
         "        return;\n"
         "    vec3 L = toLight / max(dist, 1e-30);\n"
         "    float rho = dot(-L, l.direction);\n"
         "    float spot;\n"
         "    if (rho > l.spot.x)\n"
         "        spot = 1.0;\n"
         "    else if (rho <= l.spot.y)\n"
         "        spot = 0.0;\n"
         "    else\n"
         "        spot = pow((rho - l.spot.y) / (l.spot.x - l.spot.y), l.spot.z);\n"
         "    if (spot > 0.0)\n"
         "        ffAccumulate(l, L, att * spot, P, N, a, d, sp);\n"
         "}\n";
}

void appendFogFactor(std::string& s)
{
    s += FixedFunctionShader::kLinearFogFunction;
    s += "float ffFogFactor(float d)\n"
         "{\n"
         "    return d3d_linearFog(ff_fogRange, d);\n"
         "}\n";
}

std::string argument(uint8_t arg, int stage)
{
    std::string value;
    switch (arg & D3DTA_SELECTMASK) {
    case D3DTA_DIFFUSE: value = "diffuse"; break;
    case D3DTA_CURRENT: value = stage == 0 ? "diffuse" : "current"; break;
    case D3DTA_TEXTURE: value = "tex"; break;
    case D3DTA_TFACTOR: value = "ff_textureFactor"; break;
    case D3DTA_SPECULAR: value = "specular"; break;
    case D3DTA_TEMP: value = "temp"; break;
    default: value = "vec4(1.0)"; break;
    }
    if (arg & D3DTA_COMPLEMENT)
        value = "(vec4(1.0) - " + value + ")";
    if (arg & D3DTA_ALPHAREPLICATE)
        value = value + ".aaaa";
    return value;
}

// The operation on the arguments a0, a1, a2 (vec4s), written for the
// channels in `sw` ("rgb" or "a").
std::string operation(uint8_t op, const std::string& sw, int stage)
{
    auto ch = [&](const char* v) { return std::string(v) + "." + sw; };
    const std::string a0 = ch("a0"), a1 = ch("a1"), a2 = ch("a2");
    std::string currentAlpha = stage == 0 ? "diffuse.a" : "current.a";
    switch (op) {
    case D3DTOP_SELECTARG1: return a1;
    case D3DTOP_SELECTARG2: return a2;
    case D3DTOP_MODULATE: return a1 + " * " + a2;
    case D3DTOP_MODULATE2X: return a1 + " * " + a2 + " * 2.0";
    case D3DTOP_MODULATE4X: return a1 + " * " + a2 + " * 4.0";
    case D3DTOP_ADD: return a1 + " + " + a2;
    case D3DTOP_ADDSIGNED: return a1 + " + " + a2 + " - 0.5";
    case D3DTOP_ADDSIGNED2X: return "(" + a1 + " + " + a2 + " - 0.5) * 2.0";
    case D3DTOP_SUBTRACT: return a1 + " - " + a2;
    case D3DTOP_ADDSMOOTH: return a1 + " + " + a2 + " - " + a1 + " * " + a2;
    case D3DTOP_BLENDDIFFUSEALPHA: return "mix(" + a2 + ", " + a1 + ", diffuse.a)";
    case D3DTOP_BLENDTEXTUREALPHA: return "mix(" + a2 + ", " + a1 + ", tex.a)";
    case D3DTOP_BLENDFACTORALPHA: return "mix(" + a2 + ", " + a1 + ", ff_textureFactor.a)";
    case D3DTOP_BLENDCURRENTALPHA: return "mix(" + a2 + ", " + a1 + ", " + currentAlpha + ")";
    case D3DTOP_BLENDTEXTUREALPHAPM: return a1 + " + " + a2 + " * (1.0 - tex.a)";
    case D3DTOP_MODULATEALPHA_ADDCOLOR: return sw == "a" ? a1 : "a1.rgb + a1.a * a2.rgb";
    case D3DTOP_MODULATECOLOR_ADDALPHA: return sw == "a" ? a1 : "a1.rgb * a2.rgb + a1.aaa";
    case D3DTOP_MODULATEINVALPHA_ADDCOLOR: return sw == "a" ? a1 : "(1.0 - a1.a) * a2.rgb + a1.rgb";
    case D3DTOP_MODULATEINVCOLOR_ADDALPHA: return sw == "a" ? a1 : "(vec3(1.0) - a1.rgb) * a2.rgb + a1.aaa";
    case D3DTOP_MULTIPLYADD: return a0 + " + " + a1 + " * " + a2;
    case D3DTOP_LERP: return a0 + " * " + a1 + " + (1.0 - " + a0 + ") * " + a2;
    case D3DTOP_DOTPRODUCT3:
        return sw == "a" ? "clamp(4.0 * dot(a1.rgb - 0.5, a2.rgb - 0.5), 0.0, 1.0)"
                         : "vec3(clamp(4.0 * dot(a1.rgb - 0.5, a2.rgb - 0.5), 0.0, 1.0))";
    default:
        // Stage operations without a stage to take part in (bump mapping,
        // PREMODULATE) and a disabled alpha operation pass the current value.
        return sw == "a" ? currentAlpha : (stage == 0 ? "diffuse.rgb" : "current.rgb");
    }
}

std::string samplerType(FixedFunctionTextureKind kind)
{
    switch (kind) {
    case FixedFunctionTextureKind::Volume: return "sampler3D";
    case FixedFunctionTextureKind::Cube: return "samplerCube";
    default: return "sampler2D";
    }
}

std::string sampleExpression(const FixedFunctionKey::Stage& st, int s)
{
    std::string sampler = "ff_texture" + num(s);
    std::string t = "ff_vTex" + num(s);
    // PROJECTED divides by the last of the COUNTn components.
    const char* last[] = {"w", "x", "y", "z", "w"};
    std::string divisor = t + "." + last[st.transformCount];
    switch (st.textureKind) {
    case FixedFunctionTextureKind::Volume:
        return "texture(" + sampler + ", " + (st.projected ? t + ".xyz / " + divisor : t + ".xyz") + ")";
    case FixedFunctionTextureKind::Cube:
        return "texture(" + sampler + ", " + t + ".xyz)";
    default:
        return "texture(" + sampler + ", " + (st.projected ? t + ".xy / " + divisor : t + ".xy") + ")";
    }
}

} // namespace

const char* const FixedFunctionShader::kLinearFogFunction =
    "float d3d_linearFog(vec2 range, float d)\n"
    "{\n"
    "    return clamp((range.x - d) * range.y, 0.0, 1.0);\n"
    "}\n";

void FixedFunctionShader::linearFogRange(float start, float end, float out[2])
{
    out[0] = end;
    out[1] = end != start ? 1.0f / (end - start) : 0.0f;
}

std::string FixedFunctionShader::vertexSource(const Fields& k)
{
    std::string s = "#version 330\n";
    s += "layout(location = " + num(kPositionLocation) + ") in " + (k.vertex.pretransformed ? "vec4" : "vec3")
         + " in_position;\n";
    if (k.vertex.hasNormal)
        s += "layout(location = " + num(kNormalLocation) + ") in vec3 in_normal;\n";
    if (k.vertex.hasDiffuse)
        s += "layout(location = " + num(kDiffuseLocation) + ") in vec4 in_diffuse;\n";
    if (k.vertex.hasSpecular)
        s += "layout(location = " + num(kSpecularLocation) + ") in vec4 in_specular;\n";
    for (int i = 0; i < k.vertex.texCoordCount; ++i) {
        int size = k.vertex.texCoordSize[i];
        std::string type = size == 1 ? "float" : "vec" + num(size);
        s += "layout(location = " + num(kTexCoordLocation + i) + ") in " + type + " in_texcoord" + num(i) + ";\n";
    }

    s += "uniform mat4 ff_world;\n"
         "uniform mat4 ff_worldView;\n"
         "uniform mat4 ff_projection;\n"
         "uniform mat3 ff_normalMatrix;\n"
         "uniform vec4 ff_posFixup; // x, y: half-pixel shift per w; z: y sign\n";
    if (k.vertex.pretransformed)
        s += "uniform vec4 ff_screen; // viewport x, y; 2 / width, 2 / height\n";
    if (k.fog != FixedFunctionKey::FogNone)
        s += "uniform vec2 ff_fogRange; // end, 1 / (end - start)\n";
    if (k.clipPlanes)
        s += "uniform vec4 ff_clipPlanes[6];\n";
    bool anyTransform = false;
    for (int st = 0; st < k.stageCount; ++st)
        anyTransform = anyTransform || (k.stages[st].usesTexture && k.stages[st].transformCount > 0);
    if (anyTransform)
        s += "uniform mat4 ff_textureMatrix[8];\n";
    if (k.lighting) {
        s += "uniform vec4 ff_globalAmbient;\n"
             "uniform vec4 ff_materialDiffuse;\n"
             "uniform vec4 ff_materialAmbient;\n"
             "uniform vec4 ff_materialSpecular;\n"
             "uniform vec4 ff_materialEmissive;\n";
    }

    s += "out vec4 ff_vDiffuse;\n"
         "out vec4 ff_vSpecular;\n";
    if (k.fog != FixedFunctionKey::FogNone)
        s += "out float ff_vFog;\n";
    for (int st = 0; st < k.stageCount; ++st)
        if (k.stages[st].usesTexture)
            s += "out vec4 ff_vTex" + num(st) + ";\n";

    s += "vec3 ffNormalize(vec3 v)\n"
         "{\n"
         "    return v * inversesqrt(max(dot(v, v), 1e-30));\n"
         "}\n";
    if (k.lighting && lightCount(k) > 0)
        appendLightFunctions(s, k);
    if (k.fog == FixedFunctionKey::FogVertexLinear)
        appendFogFactor(s);

    s += "void main()\n{\n";
    if (k.vertex.pretransformed) {
        // Window coordinates, top-left origin, and 1/w: back to clip space
        // through the viewport, so the shared epilogue below applies.
        s += "    float w = in_position.w != 0.0 ? 1.0 / in_position.w : 1.0;\n"
             "    vec4 clip = vec4(((in_position.x - ff_screen.x) * ff_screen.z - 1.0) * w,\n"
             "                     (1.0 - (in_position.y - ff_screen.y) * ff_screen.w) * w,\n"
             "                     in_position.z * w, w);\n"
             "    vec3 P = vec3(in_position.xy, w);\n";
        s += k.vertex.hasNormal ? "    vec3 N = in_normal;\n" : "    vec3 N = vec3(0.0);\n";
    } else {
        s += "    vec4 cameraPos = vec4(in_position, 1.0) * ff_worldView;\n"
             "    vec3 P = cameraPos.xyz;\n";
        s += k.vertex.hasNormal ? "    vec3 N = in_normal * ff_normalMatrix;\n" : "    vec3 N = vec3(0.0);\n";
    }
    if (k.normalizeNormals)
        s += "    N = ffNormalize(N);\n";

    if (k.lighting) {
        s += "    vec3 lightAmbient = vec3(0.0);\n"
             "    vec3 lightDiffuse = vec3(0.0);\n"
             "    vec3 lightSpecular = vec3(0.0);\n";
        int index = 0;
        for (int i = 0; i < k.directionalLights; ++i, ++index)
            s += "    ffDirectional(ff_lights[" + num(index) + "], P, N, lightAmbient, lightDiffuse, lightSpecular);\n";
        for (int i = 0; i < k.pointLights; ++i, ++index)
            s += "    ffPoint(ff_lights[" + num(index) + "], P, N, lightAmbient, lightDiffuse, lightSpecular);\n";
        for (int i = 0; i < k.spotLights; ++i, ++index)
            s += "    ffSpot(ff_lights[" + num(index) + "], P, N, lightAmbient, lightDiffuse, lightSpecular);\n";
        s += std::string("    vec4 Ca = ") + sourceColor(k.ambientSource, "ff_materialAmbient") + ";\n";
        s += std::string("    vec4 Cd = ") + sourceColor(k.diffuseSource, "ff_materialDiffuse") + ";\n";
        s += std::string("    vec4 Ce = ") + sourceColor(k.emissiveSource, "ff_materialEmissive") + ";\n";
        s += "    vec3 lit = Ca.rgb * (ff_globalAmbient.rgb + lightAmbient) + Cd.rgb * lightDiffuse + Ce.rgb;\n"
             "    ff_vDiffuse = clamp(vec4(lit, Cd.a), 0.0, 1.0);\n";
        if (k.specular) {
            s += std::string("    vec4 Cs = ") + sourceColor(k.specularSource, "ff_materialSpecular") + ";\n";
            s += "    ff_vSpecular = vec4(clamp(Cs.rgb * lightSpecular, 0.0, 1.0), 1.0);\n";
        } else {
            s += "    ff_vSpecular = vec4(0.0);\n";
        }
    } else {
        s += k.vertex.hasDiffuse ? "    ff_vDiffuse = in_diffuse;\n" : "    ff_vDiffuse = vec4(1.0);\n";
        s += k.vertex.hasSpecular ? "    ff_vSpecular = in_specular;\n" : "    ff_vSpecular = vec4(0.0);\n";
    }

    for (int st = 0; st < k.stageCount; ++st) {
        const auto& stage = k.stages[st];
        if (!stage.usesTexture)
            continue;
        std::string source;
        switch (stage.texGen) {
        case FixedFunctionKey::TexGenCameraNormal: source = "vec4(N, 1.0)"; break;
        case FixedFunctionKey::TexGenCameraPosition: source = "vec4(P, 1.0)"; break;
        case FixedFunctionKey::TexGenReflection:
            source = k.localViewer ? "vec4(reflect(ffNormalize(P), ffNormalize(N)), 1.0)"
                                   : "vec4(reflect(vec3(0.0, 0.0, 1.0), ffNormalize(N)), 1.0)";
            break;
        default: source = paddedTexCoord(k, stage.texCoordSet); break;
        }
        // Screen-space vertices take their coordinates as they are: the
        // texture matrix applies to transformed vertices only.
        const std::string tex = "ff_vTex" + num(st);
        if (stage.transformCount > 0 && !k.vertex.pretransformed)
            s += "    " + tex + " = " + source + " * ff_textureMatrix[" + num(st) + "];\n";
        else
            s += "    " + tex + " = " + source + ";\n";
        // COUNT2 and COUNT3 hand the rasteriser that many components and
        // the rest read as 0. Drivers take COUNT1 without PROJECTED as no
        // count at all: every transformed component goes on.
        if (stage.transformCount == 2 && !stage.projected)
            s += "    " + tex + " = vec4(" + tex + ".xy, 0.0, 0.0);\n";
        else if (stage.transformCount == 3 && !stage.projected)
            s += "    " + tex + " = vec4(" + tex + ".xyz, 0.0);\n";
    }

    // Vertex fog runs on the eye distance's magnitude: a view down -z is
    // fogged as one down +z.
    if (k.fog == FixedFunctionKey::FogVertexLinear)
        s += "    ff_vFog = ffFogFactor(abs(P.z));\n";

    if (k.clipPlanes) {
        s += "    vec4 worldPos = vec4(in_position, 1.0) * ff_world;\n";
        for (int i = 0; i < 6; ++i)
            if (k.clipPlanes & (1 << i))
                s += "    gl_ClipDistance[" + num(i) + "] = dot(worldPos, ff_clipPlanes[" + num(i) + "]);\n";
    }

    if (!k.vertex.pretransformed)
        s += "    vec4 clip = cameraPos * ff_projection;\n";
    // Table fog reads the depth value under an affine (orthographic)
    // projection and eye w under a perspective one.
    if (k.fog == FixedFunctionKey::FogTableLinear)
        s += "    ff_vFog = ff_projection[3] == vec4(0.0, 0.0, 0.0, 1.0) ? clip.z / clip.w : clip.w;\n";
    s += "    gl_Position = vec4(clip.x + ff_posFixup.x * clip.w,\n"
         "                       ff_posFixup.z * clip.y + ff_posFixup.y * clip.w,\n"
         "                       2.0 * clip.z - clip.w,\n"
         "                       clip.w);\n";
    s += "}\n";
    return s;
}

std::string FixedFunctionShader::fragmentSource(const Fields& k)
{
    std::string s = "#version 330\n";
    s += "in vec4 ff_vDiffuse;\n"
         "in vec4 ff_vSpecular;\n";
    if (k.fog != FixedFunctionKey::FogNone)
        s += "in float ff_vFog;\n";
    for (int st = 0; st < k.stageCount; ++st) {
        if (!k.stages[st].usesTexture)
            continue;
        s += "in vec4 ff_vTex" + num(st) + ";\n";
        s += "uniform " + samplerType(k.stages[st].textureKind) + " ff_texture" + num(st) + ";\n";
    }
    s += "uniform vec4 ff_textureFactor;\n";
    if (k.fog != FixedFunctionKey::FogNone)
        s += "uniform vec3 ff_fogColor;\n"
             "uniform vec2 ff_fogRange;\n";
    if (k.alphaFunc)
        s += "uniform float ff_alphaRef;\n";
    s += "layout(location = 0) out vec4 ff_fragColor;\n";
    if (k.fog == FixedFunctionKey::FogTableLinear)
        appendFogFactor(s);

    s += "void main()\n{\n"
         "    vec4 diffuse = ff_vDiffuse;\n"
         "    vec4 specular = ff_vSpecular;\n"
         "    vec4 current = diffuse;\n"
         "    vec4 temp = vec4(0.0);\n"
         "    vec4 tex = vec4(1.0);\n"
         "    vec4 a0, a1, a2;\n"
         "    vec4 result;\n";

    for (int st = 0; st < k.stageCount; ++st) {
        const auto& stage = k.stages[st];
        s += "    // stage " + num(st) + "\n";
        if (stage.usesTexture)
            s += "    tex = " + sampleExpression(stage, st) + ";\n";
        s += "    a0 = " + argument(stage.colorArg[0], st) + ";\n";
        s += "    a1 = " + argument(stage.colorArg[1], st) + ";\n";
        s += "    a2 = " + argument(stage.colorArg[2], st) + ";\n";
        if (stage.colorOp == D3DTOP_DOTPRODUCT3) {
            // The dot product lands in all four channels, alpha included.
            s += "    result = vec4(" + operation(stage.colorOp, "a", st) + ");\n";
        } else {
            s += "    result.rgb = " + operation(stage.colorOp, "rgb", st) + ";\n";
            s += "    a0 = " + argument(stage.alphaArg[0], st) + ";\n";
            s += "    a1 = " + argument(stage.alphaArg[1], st) + ";\n";
            s += "    a2 = " + argument(stage.alphaArg[2], st) + ";\n";
            s += "    result.a = " + operation(stage.alphaOp, "a", st) + ";\n";
        }
        s += std::string("    ") + (stage.resultTemp ? "temp" : "current") + " = clamp(result, 0.0, 1.0);\n";
    }

    s += "    vec4 color = current;\n";
    if (k.specular)
        s += "    color.rgb = min(color.rgb + specular.rgb, vec3(1.0));\n";

    if (k.alphaFunc) {
        // Direct3D compares the alpha as an 8-bit value with D3DRS_ALPHAREF.
        const char* cmp = "false";
        switch (k.alphaFunc) {
        case D3DCMP_NEVER: cmp = "false"; break;
        case D3DCMP_LESS: cmp = "alpha8 < ff_alphaRef"; break;
        case D3DCMP_EQUAL: cmp = "alpha8 == ff_alphaRef"; break;
        case D3DCMP_LESSEQUAL: cmp = "alpha8 <= ff_alphaRef"; break;
        case D3DCMP_GREATER: cmp = "alpha8 > ff_alphaRef"; break;
        case D3DCMP_NOTEQUAL: cmp = "alpha8 != ff_alphaRef"; break;
        case D3DCMP_GREATEREQUAL: cmp = "alpha8 >= ff_alphaRef"; break;
        default: cmp = "true"; break;
        }
        s += "    float alpha8 = floor(color.a * 255.0 + 0.5);\n";
        s += std::string("    if (!(") + cmp + "))\n        discard;\n";
    }

    if (k.fog == FixedFunctionKey::FogVertexLinear)
        s += "    color.rgb = mix(ff_fogColor, color.rgb, ff_vFog);\n";
    else if (k.fog == FixedFunctionKey::FogTableLinear)
        s += "    color.rgb = mix(ff_fogColor, color.rgb, ffFogFactor(ff_vFog));\n";

    s += "    ff_fragColor = color;\n}\n";
    return s;
}
