#include "engine/scene/Light.h"

#include "engine/core/math/BoundingBox.h"
#include "engine/core/math/Random.h"
#include "engine/core/texture/RenderTexture.h"
#include "engine/core/render/Renderer.h"
#include "engine/core/render/ShaderFloatParams.h"
#include "engine/core/render/ShaderIntParams.h"
#include "engine/scene/ChannelCopy.h"
#include "engine/scene/LensFlare.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/Scene.h"

#include <algorithm>
#include <cmath>
#include <limits>

using SceneMath::transformPoint;

const uint32_t Light::CyclePalette[PaletteSize] = {0xFFFFFF, 0x40FFFF, 0x00FF00, 0x0000FF,
                                                   0x00FFFF, 0xFF4040, 0x00FFFF, 0xFFFF00};

namespace {

constexpr float MinIntensity = 1e-6f;
// Ranges and distances divide the falloffs: a zero one is taken as this,
// so the device and the shaders get large but finite factors.
constexpr float MinDistance = 1e-6f;

float positive(float value)
{
    return value > MinDistance ? value : MinDistance;
}

Vector3 rotate(const Vector3& v, const Matrix4& m)
{
    return {v.x * m.at(0, 0) + v.y * m.at(1, 0) + v.z * m.at(2, 0),
            v.x * m.at(0, 1) + v.y * m.at(1, 1) + v.z * m.at(2, 1),
            v.x * m.at(0, 2) + v.y * m.at(1, 2) + v.z * m.at(2, 2)};
}

Vector3 row(const Matrix4& m, int r)
{
    return {m.at(r, 0), m.at(r, 1), m.at(r, 2)};
}

void put3(float* out, const Vector3& v)
{
    out[0] = v.x;
    out[1] = v.y;
    out[2] = v.z;
}

RenderTexture* makeShadowMap(Renderer* renderer, int32_t size)
{
    auto* map = new RenderTexture(renderer, "ShadowMapTex", size, size);
    map->create();
    return map;
}

} // namespace

Light::Light(Scene* scene) : SceneItem(scene, ItemLight)
{
    m_nearLimit = 0.01f;
    m_cyclePeriod = (engineRand() & 1) ? 1.3043478f : 1.7391304f;
}

Light::Light(const Light& source)
    : SceneItem(source),
      m_d3dLight(source.m_d3dLight),
      m_viewAxisMatrix(source.m_viewAxisMatrix),
      m_viewAxisInverse(source.m_viewAxisInverse),
      m_viewAxisValid(source.m_viewAxisValid),
      m_prepared(source.m_prepared),
      m_affectsObject(source.m_affectsObject),
      m_switchedOff(source.m_switchedOff),
      m_lightType(source.m_lightType),
      m_falloffType(source.m_falloffType),
      m_viewAxis(source.m_viewAxis),
      m_noDiffuse(source.m_noDiffuse),
      m_noSpecular(source.m_noSpecular),
      m_lensFlareEnabled(source.m_lensFlareEnabled),
      m_flareFade(source.m_flareFade),
      m_flareOptions(source.m_flareOptions),
      m_flareNominalDistance(source.m_flareNominalDistance),
      m_projectionImage(source.m_projectionImage),
      m_noRealtime(source.m_noRealtime),
      m_shadowType(source.m_shadowType),
      m_shadowMapSize(source.m_shadowMapSize),
      m_shadowBias(source.m_shadowBias),
      m_cyclePeriod(source.m_cyclePeriod),
      m_cycleColorIndex(source.m_cycleColorIndex),
      m_cycleStep(source.m_cycleStep),
      m_setupDone(source.m_setupDone)
{
    for (int i = 0; i < 3; ++i)
        copyAnimatedValue(m_color[i], source.m_color[i]);
    copyAnimatedValue(m_intensity, source.m_intensity);
    copyAnimatedValue(m_range, source.m_range);
    copyAnimatedValue(m_coneAngle, source.m_coneAngle);
    copyAnimatedValue(m_edgeAngle, source.m_edgeAngle);
    copyAnimatedValue(m_flareIntensity, source.m_flareIntensity);
    copyAnimatedValue(m_flareRotationAngle, source.m_flareRotationAngle);
    std::copy(source.m_shadowColor, source.m_shadowColor + 4, m_shadowColor);
    std::copy(source.m_localPosition, source.m_localPosition + 3, m_localPosition);
    std::copy(source.m_localDirection, source.m_localDirection + 3, m_localDirection);
    // The source's shadow map already has the size setup chose.
    if (source.m_shadowMap)
        m_shadowMap = makeShadowMap(m_renderer, m_shadowMapSize);
}

Light::~Light()
{
    delete m_shadowMap;
    delete m_lensFlare;
}

void Light::onLostDevice()
{
    if (m_lensFlare)
        m_lensFlare->onLostDevice();
    if (m_shadowMap)
        m_shadowMap->onLostDevice();
}

void Light::onResetDevice()
{
    if (m_lensFlare)
        m_lensFlare->onResetDevice();
    if (m_shadowMap)
        m_shadowMap->onResetDevice();
}

void Light::buildViewAxis()
{
    m_viewAxisMatrix = SceneMath::viewAxisMatrix(m_viewAxis);
    Matrix4::inverseAffine(m_viewAxisInverse, m_viewAxisMatrix);
    m_viewAxisValid = 1;
}

Matrix4 Light::getMatrix(double time, bool withViewAxis)
{
    const Matrix4 world = SceneItem::getMatrix(time, false);
    if (!withViewAxis)
        return world;
    if (!m_viewAxisValid)
        buildViewAxis();
    Matrix4 out;
    Matrix4::multiplyAffineAffine(out, m_viewAxisMatrix, world);
    return out;
}

Matrix4 Light::getInvMatrix(double time, bool withViewAxis)
{
    const Matrix4 inverse = SceneItem::getInvMatrix(time, false);
    if (!withViewAxis)
        return inverse;
    if (!m_viewAxisValid)
        buildViewAxis();
    Matrix4 out;
    Matrix4::multiplyAffineAffine(out, inverse, m_viewAxisInverse);
    return out;
}

D3DVIEWPORT9* Light::viewport()
{
    const DWORD size = DWORD(std::max(m_shadowMapSize, 0));
    m_viewport = {0, 0, size, size, 0.0f, 1.0f};
    return &m_viewport;
}

void Light::updateProjection(double time)
{
    const float t = std::tan(m_coneAngle.evaluate(time));
    m_projection = Matrix4();
    m_projection.at(0, 0) = 0.75f / t;
    m_projection.at(1, 1) = 1.0f / t;
    m_projection.at(2, 2) = 1.0f;
    m_projection.at(2, 3) = 1.0f;
    m_projectionValid = 1;
}

void Light::setup()
{
    if (m_setupDone)
        return;
    m_d3dLight.Type = m_lightType == 0 ? D3DLIGHT_DIRECTIONAL : (m_lightType == 2 ? D3DLIGHT_SPOT : D3DLIGHT_POINT);
    m_d3dLight.Diffuse = m_d3dLight.Specular = m_d3dLight.Ambient = {0.0f, 0.0f, 0.0f, 1.0f};
    m_d3dLight.Range = 1e19f;
    m_d3dLight.Falloff = 1.0f;
    m_d3dLight.Attenuation0 = 1.0f;
    m_d3dLight.Attenuation1 = 0.0f;
    m_d3dLight.Attenuation2 = 0.0f;
    m_prepared = 1;

    if (m_lensFlareEnabled && !m_lensFlare)
        m_lensFlare = new LensFlare(m_scene ? m_scene->m_manager : nullptr, this);

    if (m_shadowType == 2) {
        const int32_t detail = m_renderer ? m_renderer->m_shadowDetail : 2;
        if (detail == 0) {
            m_shadowType = 0;
        } else {
            if (detail == 1)
                m_shadowMapSize /= 2;
            m_shadowMap = makeShadowMap(m_renderer, m_shadowMapSize);
        }
    }
    m_setupDone = 1;
}

void Light::getColor(double time, float out[4])
{
    if (m_lightType == 1 && m_renderer && m_renderer->m_colorCyclePointLights && m_cyclePeriod > 0.0f) {
        // Steps past the int range count as the last one.
        const double step = std::clamp(std::trunc(time / m_cyclePeriod), double(std::numeric_limits<int32_t>::min()),
                                       double(std::numeric_limits<int32_t>::max()));
        if (int32_t(step) != m_cycleStep) {
            m_cycleColorIndex = engineRand() % PaletteSize;
            m_cycleStep = int32_t(step);
        }
        const uint32_t rgb = CyclePalette[m_cycleColorIndex];
        out[0] = float((rgb >> 16) & 0xFF) / 255.0f;
        out[1] = float((rgb >> 8) & 0xFF) / 255.0f;
        out[2] = float(rgb & 0xFF) / 255.0f;
    } else {
        for (int i = 0; i < 3; ++i)
            out[i] = m_color[i].evaluate(time);
    }
    out[3] = 1.0f;
}

float Light::globalIntensity(double time)
{
    return m_scene ? m_scene->m_globalLightIntensity.evaluate(time) : 1.0f;
}

void Light::scaledColor(double time, float out[3])
{
    float c[4];
    getColor(time, c);
    const float scale = m_intensity.evaluate(time) * globalIntensity(time);
    for (int i = 0; i < 3; ++i)
        out[i] = c[i] * scale;
}

bool Light::updateDeviceLight(double time)
{
    const float intensity = m_intensity.evaluate(time);
    if ((m_renderer && !m_renderer->m_lightingEnabled) || m_switchedOff || intensity <= MinIntensity)
        return false;
    evaluateMotion(time);

    const bool doubled = m_renderer && m_renderer->m_doubleLightIntensity;
    float c[3];
    scaledColor(time, c);
    for (float& v : c)
        v *= doubled ? 2.0f : 1.0f;
    const D3DCOLORVALUE lit = {c[0], c[1], c[2], 1.0f};
    const D3DCOLORVALUE dark = {0.0f, 0.0f, 0.0f, 1.0f};
    m_d3dLight.Diffuse = m_noDiffuse ? dark : lit;
    m_d3dLight.Specular = m_noSpecular ? dark : lit;

    m_d3dLight.Position = {m_worldMatrix.at(3, 0), m_worldMatrix.at(3, 1), m_worldMatrix.at(3, 2)};
    m_d3dLight.Direction = {m_worldMatrix.at(2, 0), m_worldMatrix.at(2, 1), m_worldMatrix.at(2, 2)};

    const float r = positive(m_range.evaluate(time));
    const float s = std::max((c[0] + c[1] + c[2]) / 3.0f, 0.0f);
    switch (m_falloffType) {
    case 0:
        m_d3dLight.Attenuation0 = 1.0f;
        m_d3dLight.Attenuation1 = 0.0f;
        m_d3dLight.Attenuation2 = 0.0f;
        m_d3dLight.Range = 1e19f;
        break;
    case 1:
        m_d3dLight.Attenuation0 = 1.0f;
        m_d3dLight.Attenuation1 = 0.0f;
        m_d3dLight.Attenuation2 = 4.0f / (r * r);
        m_d3dLight.Range = std::sqrt(s) * r * (doubled ? 1.0f : 3.0f);
        break;
    case 2:
        m_d3dLight.Attenuation0 = 0.0f;
        m_d3dLight.Attenuation1 = 1.0f / r;
        m_d3dLight.Attenuation2 = 0.0f;
        m_d3dLight.Range = r * s * 36.0f;
        break;
    case 3:
        m_d3dLight.Attenuation0 = 0.0f;
        m_d3dLight.Attenuation1 = 0.0f;
        m_d3dLight.Attenuation2 = 1.0f / (r * r);
        m_d3dLight.Range = std::sqrt(s) * r * 6.0f;
        break;
    default:
        break;
    }

    const float cone = m_coneAngle.evaluate(time);
    const float edge = m_edgeAngle.evaluate(time);
    m_d3dLight.Theta = 2.0f * (cone - edge);
    m_d3dLight.Phi = 2.0f * cone;
    return true;
}

float Light::toObjectSpace(SceneObject* object, double time)
{
    const Matrix4 world = getMatrix(time, false);
    const Matrix4 toObject = object->getInvMatrix(time, true);
    const Vector3 position = transformPoint(row(world, 3), toObject);
    const Vector3 direction = rotate(row(world, 2), toObject);
    put3(m_localPosition, position);
    put3(m_localDirection, direction);
    return float(direction.length());
}

float Light::prepareForObject(MeshObject* object, const BoundingBox* bounds, double time)
{
    m_affectsObject = 0;
    if ((m_renderer && !m_renderer->m_lightingEnabled) || m_switchedOff || m_intensity.evaluate(time) <= MinIntensity
        || !object)
        return 0.0f;
    const auto& excluded = object->m_excludedLights;
    if (std::find(excluded.begin(), excluded.end(), this) != excluded.end())
        return 0.0f;

    const float length = toObjectSpace(object, time);
    if (!bounds || !bounds->m_valid || m_falloffType == 0) {
        m_affectsObject = 1;
        return length;
    }
    const Vector3 position(m_localPosition[0], m_localPosition[1], m_localPosition[2]);
    const double gap = (position - bounds->m_center).length() - bounds->m_radius;
    m_affectsObject = gap <= double(m_range.evaluate(time)) * length * 10.0 ? 1 : 0;
    return length;
}

float Light::intensityAt(SceneObject* object, const BoundingBox* bounds, double time)
{
    if (object)
        toObjectSpace(object, time);
    const float i = m_intensity.evaluate(time);
    if (!bounds)
        return i;
    const Vector3 position(m_localPosition[0], m_localPosition[1], m_localPosition[2]);
    const float d = positive(float(bounds->distanceToSphere(position)));
    const float r = positive(m_range.evaluate(time));
    switch (m_falloffType) {
    case 1: return i * std::max(0.0f, 1.0f - d / r);
    case 2: return i / d;
    case 3: return i / (d * d);
    default: return i;
    }
}

void Light::bindShaderLight(int32_t slot, double time)
{
    if (slot < 0 || slot >= ShaderSlots || !m_renderer || !m_renderer->m_shaderFloatParams
        || !m_renderer->m_shaderIntParams)
        return;
    ShaderFloatParams& f = *m_renderer->m_shaderFloatParams;
    ShaderIntParams& n = *m_renderer->m_shaderIntParams;

    float c[3];
    scaledColor(time, c);
    const Matrix4 m = getMatrix(time, true);
    const Vector3 position = transformPoint(row(m, 3), f.m_view);
    Vector3 direction = rotate(row(m, 2) * -1.0f, f.m_view);
    direction.normalize();

    const float r = positive(m_range.evaluate(time));
    int32_t falloffType = 0;
    float attenuation[3] = {1.0f, 0.0f, 0.0f};
    switch (m_falloffType) {
    case 1:
        falloffType = 1;
        attenuation[1] = -1.0f / r;
        break;
    case 2:
        falloffType = 2;
        attenuation[0] = 0.0f;
        attenuation[1] = 1.0f / r;
        break;
    case 3:
        falloffType = 2;
        attenuation[0] = 0.0f;
        attenuation[2] = 1.0f / (r * r);
        break;
    default:
        break;
    }

    const int32_t k = 3 * slot;
    switch (m_lightType) {
    case 0:
        std::copy(c, c + 3, f.m_distantLightColor + k);
        put3(f.m_distantLightDir + k, direction);
        break;
    case 1:
        std::copy(c, c + 3, f.m_pointLightColor + k);
        put3(f.m_pointLightPos + k, position);
        n.m_pointLightFalloffType[slot] = falloffType;
        std::copy(attenuation, attenuation + 3, f.m_pointLightAttenuation + k);
        break;
    case 2: {
        std::copy(c, c + 3, f.m_spotLightColor + k);
        put3(f.m_spotLightPos + k, position);
        put3(f.m_spotLightDir + k, direction);
        const float cone = m_coneAngle.evaluate(time);
        const float inner = std::cos(cone - m_edgeAngle.evaluate(time));
        f.m_spotLightCosTheta[slot] = inner;
        f.m_spotLightCosThetaMinusCosPhi[slot] = inner - std::cos(cone);
        n.m_spotLightFalloffType[slot] = falloffType;
        std::copy(attenuation, attenuation + 3, f.m_spotLightAttenuation + k);
        break;
    }
    default:
        break;
    }
}
