#include "tests/platform/LightingReference.h"

#include <algorithm>
#include <cmath>

namespace lighting {

Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator*(Vec3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
float dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 norm(Vec3 a) { return a * (1.0f / std::sqrt(dot(a, a))); }

const D3DCOLORVALUE kLightDiffuse {0.8f, 0.6f, 0.4f, 1.0f};
const D3DCOLORVALUE kLightAmbient {0.1f, 0.2f, 0.3f, 1.0f};
const D3DCOLORVALUE kLightSpecular {0.5f, 0.5f, 0.7f, 1.0f};
const D3DMATERIAL9 kMaterial {{0.9f, 0.7f, 0.5f, 0.6f}, {0.3f, 0.35f, 0.4f, 1.0f}, {1.0f, 0.8f, 0.6f, 1.0f},
                              {0.05f, 0.1f, 0.0f, 1.0f}, 6.0f};

namespace {

D3DCOLORVALUE source(DWORD which, const D3DCOLORVALUE& material)
{
    auto value = [](DWORD argb) {
        Rgba c = rgbaOf(argb);
        return D3DCOLORVALUE {c.r, c.g, c.b, c.a};
    };
    if (which == D3DMCS_COLOR1)
        return value(kVertexDiffuse);
    if (which == D3DMCS_COLOR2)
        return value(kVertexSpecular);
    return material;
}

} // namespace

Rgba reference(const LightCase& settings, const std::vector<const LightCase*>& lights, Vec3 P, Vec3 N)
{
    Vec3 ambient {0, 0, 0}, diffuse {0, 0, 0}, specular {0, 0, 0};
    for (const LightCase* c : lights) {
        Vec3 L;
        float atten = 1.0f;
        float spot = 1.0f;
        if (c->type == D3DLIGHT_DIRECTIONAL) {
            L = norm(c->direction) * -1.0f;
        } else {
            Vec3 toLight = c->position - P;
            float d = std::sqrt(dot(toLight, toLight));
            L = norm(toLight);
            atten = d > c->range ? 0.0f : 1.0f / (c->att0 + c->att1 * d + c->att2 * d * d);
            if (c->type == D3DLIGHT_SPOT) {
                float rho = dot(norm(c->direction), L * -1.0f);
                float cosTheta = std::cos(c->theta / 2), cosPhi = std::cos(c->phi / 2);
                spot = rho > cosTheta ? 1.0f
                     : rho <= cosPhi  ? 0.0f
                                      : std::pow((rho - cosPhi) / (cosTheta - cosPhi), c->falloff);
            }
        }
        float k = atten * spot;
        float nDotL = std::max(dot(N, L), 0.0f);
        Vec3 toEye = settings.localViewer ? norm(P * -1.0f) : Vec3 {0, 0, -1};
        float nDotH = std::max(dot(N, norm(toEye + L)), 0.0f);
        float specularTerm =
            (settings.specular && nDotL > 0 && nDotH > 0) ? std::pow(nDotH, kMaterial.Power) : 0.0f;
        ambient = ambient + Vec3 {kLightAmbient.r, kLightAmbient.g, kLightAmbient.b} * k;
        diffuse = diffuse + Vec3 {kLightDiffuse.r, kLightDiffuse.g, kLightDiffuse.b} * (nDotL * k);
        specular = specular + Vec3 {kLightSpecular.r, kLightSpecular.g, kLightSpecular.b} * (specularTerm * k);
    }

    D3DCOLORVALUE Ca = source(settings.ambientSource, kMaterial.Ambient);
    D3DCOLORVALUE Cd = source(settings.diffuseSource, kMaterial.Diffuse);
    D3DCOLORVALUE Ce = source(settings.emissiveSource, kMaterial.Emissive);
    D3DCOLORVALUE Cs = source(settings.specularSource, kMaterial.Specular);
    Rgba ga = rgbaOf(kGlobalAmbient);
    auto channel = [](float ca, float cd, float ce, float cs, float gA, float la, float ld, float ls) {
        return saturate(saturate(ca * (gA + la) + cd * ld + ce) + saturate(cs * ls));
    };
    return {channel(Ca.r, Cd.r, Ce.r, Cs.r, ga.r, ambient.x, diffuse.x, specular.x),
            channel(Ca.g, Cd.g, Ce.g, Cs.g, ga.g, ambient.y, diffuse.y, specular.y),
            channel(Ca.b, Cd.b, Ce.b, Cs.b, ga.b, ambient.z, diffuse.z, specular.z), saturate(Cd.a)};
}

} // namespace lighting
