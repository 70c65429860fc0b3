// The engine's material shaders: the same materials as the fixed-function
// passes draw - the surface colour or its colour images, lighting with
// specular highlights, diffuse, specular and transparency images, alpha
// test, projected shadows - and the vertex side of the lens distortion. The
// integer parameters arrive as literals, so every branch on them is settled
// when a permutation compiles. Fog and the alpha test are the device's, as
// after any pixel shader.
//
// A material's image layers use the texture coordinates of the slots the
// stage plan gives them: the colour layers first, then luminosity, diffuse,
// reflection, specular and transparency, in that order.

#stage common
#define slotCOLR 0
#define slotDIFF (numTexCOLR + numTexLUMI)
#define slotSPEC (slotDIFF + numTexDIFF + numTexREFL)
#define slotTRAN (slotSPEC + numTexSPEC)
// Eight coordinate slots: a branch its counts leave out still compiles, so
// its index stays in range too.
#define SLOT(n) min(n, 7)
// A colour image replaces the surface colour unless it multiplies (mode 3).
#define colourFromImage (numTexCOLR > 0 && metaTexCOLRBlendop[0] != 3)

#stage vertex
layout(location = 0) in vec4 inPosition;
layout(location = 1) in vec3 inNormal;
layout(location = 4) in vec2 inTexCoord0;
layout(location = 5) in vec2 inTexCoord1;
layout(location = 6) in vec2 inTexCoord2;
layout(location = 7) in vec2 inTexCoord3;
layout(location = 8) in vec2 inTexCoord4;
layout(location = 9) in vec2 inTexCoord5;
layout(location = 10) in vec2 inTexCoord6;
layout(location = 11) in vec2 inTexCoord7;

uniform vec4 matWorldViewProj[4];
uniform vec3 matWorldView[4];
uniform vec3 matWorldViewNormalized[3];
uniform vec4 matWorldLightviewLightprojShadowbias[16];
uniform vec3 ambientLightColor;
uniform vec3 distantLightColor[8];
uniform vec3 distantLightDir[8];
uniform vec3 pointLightColor[8];
uniform vec3 pointLightPos[8];
uniform vec3 pointLightAttenuation[8];
uniform vec3 spotLightColor[8];
uniform vec3 spotLightPos[8];
uniform vec3 spotLightDir[8];
uniform float spotLightCosTheta[8];
uniform float spotLightCosThetaMinusCosPhi[8];
uniform vec3 spotLightAttenuation[8];
uniform vec4 srfColor;
uniform vec4 srfLighting;
uniform vec3 srfReflectivity;
uniform float srfAddTransparency;
uniform float cylindricalScale;

out vec4 vColor;
out vec4 vSpecular;
out vec2 vTexCoord[8];
out vec4 vShadow[4];

// Row vectors, as the tables store the matrices.
vec4 transformRows(vec4 p, vec4 m[4])
{
    return p.x * m[0] + p.y * m[1] + p.z * m[2] + p.w * m[3];
}

float falloff(int type, vec3 a, float d)
{
    if (type == 1)
        return clamp(a.x + a.y * d, 0.0, 1.0);
    if (type == 2)
        return 1.0 / max(a.x + a.y * d + a.z * d * d, 1e-6);
    return 1.0;
}

vec3 lightTerm(vec3 colour, vec3 toLight, vec3 n, vec3 toEye, inout vec3 specular)
{
    float lambert = max(dot(n, toLight), 0.0);
    if (specularEnabled != 0 && lambert > 0.0) {
        vec3 h = normalize(toLight + toEye);
        specular += colour * srfLighting.z * pow(max(dot(n, h), 0.0), srfLighting.w);
    }
    return colour * lambert;
}

void vertexMain()
{
    vec4 p = vec4(inPosition.xyz, 1.0);
    vec3 viewPos = p.x * matWorldView[0] + p.y * matWorldView[1] + p.z * matWorldView[2] + matWorldView[3];
    vec3 n = normalize(inNormal.x * matWorldViewNormalized[0] + inNormal.y * matWorldViewNormalized[1]
                       + inNormal.z * matWorldViewNormalized[2]);
    vec3 toEye = normalize(-viewPos);
    vec3 diffuse = vec3(0.0);
    vec3 specular = vec3(0.0);
    for (int i = 0; i < numActiveDistantLights; ++i)
        diffuse += lightTerm(distantLightColor[i], distantLightDir[i], n, toEye, specular);
    for (int i = 0; i < numActivePointLights; ++i) {
        vec3 d = pointLightPos[i] - viewPos;
        float len = length(d);
        float f = falloff(pointLightFalloffType[i], pointLightAttenuation[i], len);
        diffuse += lightTerm(pointLightColor[i] * f, d / max(len, 1e-6), n, toEye, specular);
    }
    for (int i = 0; i < numActiveSpotLights; ++i) {
        vec3 d = spotLightPos[i] - viewPos;
        float len = length(d);
        vec3 l = d / max(len, 1e-6);
        float cone = clamp((dot(l, spotLightDir[i]) - spotLightCosTheta[i] + spotLightCosThetaMinusCosPhi[i])
                           / max(spotLightCosThetaMinusCosPhi[i], 1e-6), 0.0, 1.0);
        float f = falloff(spotLightFalloffType[i], spotLightAttenuation[i], len) * cone;
        diffuse += lightTerm(spotLightColor[i] * f, l, n, toEye, specular);
    }
    // Under a colour image the lit colour is white, faded as the surface
    // colour was (its alpha over the additive part; a mirror never fades).
    vec3 base = srfColor.rgb;
    if (colourFromImage) {
        float fade = srfReflectivity.x != 0.0 ? 1.0 : srfColor.a / max(1.0 - srfAddTransparency, 1e-6);
        base = vec3(clamp(fade, 0.0, 1.0));
    }
    vec3 colour = base * (srfLighting.y * (ambientLightColor + diffuse) + srfLighting.x);
    vColor = vec4(clamp(colour, 0.0, 1.0), srfColor.a);
    vSpecular = vec4(clamp(specular, 0.0, 1.0), 0.0);
    vTexCoord = vec2[8](inTexCoord0, inTexCoord1, inTexCoord2, inTexCoord3, inTexCoord4, inTexCoord5, inTexCoord6,
                        inTexCoord7);
    for (int i = 0; i < 4; ++i) {
        vec4 m[4] = vec4[4](matWorldLightviewLightprojShadowbias[4 * i], matWorldLightviewLightprojShadowbias[4 * i + 1],
                            matWorldLightviewLightprojShadowbias[4 * i + 2],
                            matWorldLightviewLightprojShadowbias[4 * i + 3]);
        vShadow[i] = transformRows(vec4(viewPos, 1.0), m);
    }
    vec4 clip = transformRows(p, matWorldViewProj);
    // Lens distortion: the projection was widened; x / w becomes
    // proportional to the horizontal angle, as the scene warps the corners
    // of what it culls (cylindricalScale is one over the half angle).
    if (isCylindricalViewer != 0) {
        float s = sqrt(clip.x * clip.x + clip.w * clip.w);
        if (clip.w < 0.0)
            s = -s;
        clip.x = s == 0.0 ? 0.0 : atan(clip.x / clip.w) * s * cylindricalScale;
        clip.w = s;
    }
    d3d_Position = clip;
}

void vshader() { vertexMain(); }
void vshader0() { vertexMain(); }
void vshader1() { vertexMain(); }
void vshader2() { vertexMain(); }
void vshader3() { vertexMain(); }
void vshader4() { vertexMain(); }
void vshader5() { vertexMain(); }
void vshader6() { vertexMain(); }
void vshader7() { vertexMain(); }
void vshader8() { vertexMain(); }
void vshaderS0() { vertexMain(); }
void vshaderS1() { vertexMain(); }
void vshaderS2() { vertexMain(); }
void vshaderS3() { vertexMain(); }
void vshaderS4() { vertexMain(); }
void vshaderS5() { vertexMain(); }
void vshaderS6() { vertexMain(); }
void vshaderS7() { vertexMain(); }
void vshaderS8() { vertexMain(); }
void vshaderF0() { vertexMain(); }
void vshaderF1() { vertexMain(); }
void vshaderF2() { vertexMain(); }
void vshaderF3() { vertexMain(); }
void vshaderF4() { vertexMain(); }
void vshaderF5() { vertexMain(); }
void vshaderF6() { vertexMain(); }
void vshaderF7() { vertexMain(); }
void vshaderF8() { vertexMain(); }
void vshaderSF0() { vertexMain(); }
void vshaderSF1() { vertexMain(); }
void vshaderSF2() { vertexMain(); }
void vshaderSF3() { vertexMain(); }
void vshaderSF4() { vertexMain(); }
void vshaderSF5() { vertexMain(); }
void vshaderSF6() { vertexMain(); }
void vshaderSF7() { vertexMain(); }
void vshaderSF8() { vertexMain(); }

#stage pixel
in vec4 vColor;
in vec4 vSpecular;
in vec2 vTexCoord[8];
in vec4 vShadow[4];

uniform sampler2D COLR0;
uniform sampler2D COLR1;
uniform sampler2D COLR2;
uniform sampler2D COLR3;
uniform sampler2D DIFF0;
uniform sampler2D DIFF1;
uniform sampler2D SPEC0;
uniform sampler2D TRAN0;
uniform sampler2D ZMAP0;
uniform sampler2D ZMAP1;
uniform sampler2D ZMAP2;
uniform sampler2D ZMAP3;

// Outside the map the border is white: unshadowed.
vec3 shadowOf(sampler2D map, vec4 coord)
{
    if (coord.w <= 0.0)
        return vec3(1.0);
    vec2 uv = coord.xy / coord.w;
    if (any(lessThan(uv, vec2(0.0))) || any(greaterThan(uv, vec2(1.0))))
        return vec3(1.0);
    return texture(map, uv).rgb;
}

// A later colour layer lies over the colours below by its image's alpha.
vec3 overlay(vec3 below, sampler2D image, int slot)
{
    vec4 t = texture(image, vTexCoord[slot]);
    return mix(below, t.rgb, t.a);
}

void pshader()
{
    vec4 c = vColor;
    if (numTexCOLR > 0) {
        vec3 t = texture(COLR0, vTexCoord[SLOT(slotCOLR)]).rgb;
        c.rgb *= metaTexCOLRInvert[0] != 0 ? vec3(1.0) - t : t;
    }
    if (numTexCOLR > 1)
        c.rgb = overlay(c.rgb, COLR1, SLOT(slotCOLR + 1));
    if (numTexCOLR > 2)
        c.rgb = overlay(c.rgb, COLR2, SLOT(slotCOLR + 2));
    if (numTexCOLR > 3)
        c.rgb = overlay(c.rgb, COLR3, SLOT(slotCOLR + 3));
    if (numTexDIFF > 0) {
        vec4 t = texture(DIFF0, vTexCoord[SLOT(slotDIFF)]);
        c = vec4(clamp(c.rgb * t.rgb * 2.0, 0.0, 1.0), c.a * t.a);
    }
    if (numTexDIFF > 1) {
        vec4 t = texture(DIFF1, vTexCoord[SLOT(slotDIFF + 1)]);
        c = vec4(clamp(c.rgb * t.rgb * 2.0, 0.0, 1.0), c.a * t.a);
    }
    vec3 highlight = vSpecular.rgb;
    if (numTexSPEC > 0)
        highlight *= texture(SPEC0, vTexCoord[SLOT(slotSPEC)]).rgb;
    c.rgb = min(c.rgb + highlight, vec3(1.0));
    // The transparency image's alpha; the blend takes premultiplied colour.
    if (numTexTRAN > 0) {
        c *= vec4(texture(TRAN0, vTexCoord[SLOT(slotTRAN)]).a);
    }
    if (numShadows > 0)
        c.rgb *= shadowOf(ZMAP0, vShadow[0]);
    if (numShadows > 1)
        c.rgb *= shadowOf(ZMAP1, vShadow[1]);
    if (numShadows > 2)
        c.rgb *= shadowOf(ZMAP2, vShadow[2]);
    if (numShadows > 3)
        c.rgb *= shadowOf(ZMAP3, vShadow[3]);
    d3d_FragColor = c;
}
